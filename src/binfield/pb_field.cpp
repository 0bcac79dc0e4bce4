#include "binfield/pb_field.h"

#include "binfield/binary_words.h"
#include "binfield/pb_field_reference.h"
#include "binfield/quadratic.h"
#include "frame/exceptions.h"

namespace QIRVALE {

using namespace BinaryWords;

namespace {

// The shared constants, built on first use (thread-safe initialisation of function-local
// statics) and wiped by their destructors when the library is unloaded.
const LongIntegerClass& SharedZero() {
    static const LongIntegerClass zero;
    return zero;
}

const LongIntegerClass& SharedOne() {
    static const LongIntegerClass one(1u);
    return one;
}

// Digit spreading writes ceil((2L - 1) / 16) digits for an operand of bit length L; more
// than 512 digits, that is L > 4096, do not fit a LongIntegerClass.
constexpr uint32_t kLongestSquareOperand = 8 * LongIntegerMaxDigits;

// Shift-and-add multiplication accumulates a * t^i for the set bits i of b; the last step
// grows the accumulator to (i + 15) / 16 + (digits of a) digits, i the top bit of b.
bool ProductOutgrowsCapacity(uint32_t aBits, uint32_t bBits) {
    return (bBits - 1 + 15) / 16 + (aBits + 15) / 16 > LongIntegerMaxDigits;
}

// The reduction as the field reads it: t^m = t^k + t^j + t^l + 1, j and l only when not 0.
// With k = 0 (a polynomial with no middle term) the terms 1 and t^k cancel and the
// reduction is plain truncation.
class FieldReduction {
  public:
    FieldReduction(uint32_t m, uint32_t k, uint32_t j, uint32_t l)
        : terms{0, k, j, l},
          termCount(k == 0 ? 0 : (j == 0 ? 2 : (l == 0 ? 3 : 4))),
          rule(m, terms, termCount),
          degree(m),
          productBits(m == 0 ? 0 : 2 * m - 1) {}

    uint32_t Degree() const { return degree; }
    // Terms at or above this many bits are never folded: t^(2m-2) is the top one.
    uint32_t ProductBits() const { return productBits; }
    void Reduce(uint64_t* c, uint32_t& n) const {
        KeepLowBits(c, n, productBits);
        rule.Reduce(c, n);
    }

  private:
    uint32_t terms[4];
    uint32_t termCount;
    ReductionRule rule;
    uint32_t degree;
    uint32_t productBits;
};

uint32_t Min(uint32_t a, uint32_t b) {
    return a < b ? a : b;
}
uint32_t Max(uint32_t a, uint32_t b) {
    return a > b ? a : b;
}

// x = x^2 reduced, as Square does it (the 4096-bit limit included). x holds n words and has
// room for WordsForBits(m) words; scratch holds 2 * n + 1 words at least.
void SquareStep(const FieldReduction& field, uint64_t* x, uint32_t& n, WordScratch& scratch) {
    const uint32_t bits = BitLength(x, n);
    if (bits == 0) {
        n = 0;
        return;
    }
    if (bits > kLongestSquareOperand) throw OutOfMemoryExceptionClass();
    // Operand bits at or above m only reach square terms above t^(2m-2).
    KeepLowBits(x, n, field.Degree());
    uint32_t count = 2 * n;
    SquarePolynomial(x, n, scratch.data());
    field.Reduce(scratch.data(), count);
    for (uint32_t i = 0; i < count; ++i) x[i] = scratch[i];
    for (uint32_t i = count; i < n; ++i) x[i] = 0;
    n = count;
}

void XorInto(uint64_t* x, uint32_t& n, const uint64_t* a, uint32_t na) {
    for (uint32_t i = n; i < na; ++i) x[i] = 0;
    for (uint32_t i = 0; i < na; ++i) x[i] ^= a[i];
    n = Max(n, na);
}

uint32_t SmallestPrimeFactors(uint32_t m, uint32_t* primes) {
    uint32_t count = 0;
    for (uint32_t p = 2; p * p <= m; ++p) {
        if (m % p != 0) continue;
        primes[count++] = p;
        while (m % p == 0) m /= p;
    }
    if (m > 1) primes[count++] = m;
    return count;
}

}  // namespace

PBBaseField::PBBaseField(const LongIntegerClass& polynomial)
    : fieldPolynomial(polynomial), degree(0), exponentK(0), exponentJ(0), exponentL(0) {
    const uint32_t length = fieldPolynomial.BitLength();  // also normalises our copy
    degree = length == 0 ? 0 : length - 1;
    uint32_t* exponents[3] = {&exponentK, &exponentJ, &exponentL};
    uint32_t found = 0;
    for (uint32_t i = degree; i-- > 1 && found < 3;) {
        if (fieldPolynomial.TestBit(i)) *exponents[found++] = i;
    }
}

LongIntegerClass PBBaseField::PolynomialFromExponents(uint32_t m, uint32_t k, uint32_t j,
                                                      uint32_t l) {
    LongIntegerClass f;
    f.SetBit(m, true);
    f.SetBit(k, true);
    if (l != 0) {  // pentanomial
        f.SetBit(j, true);
        f.SetBit(l, true);
    }
    f.SetBit(0, true);
    return f;
}

bool PBBaseField::IsIrreduciblePolynomial(const LongIntegerClass& polynomial) {
    const uint32_t length = BitLengthOf(polynomial);
    if (length < 2) return false;  // 0 and 1 are not irreducible
    const uint32_t m = length - 1;
    if (m == 1) return true;                              // t and t + 1
    if ((polynomial.GetDigit(0) & 1) == 0) return false;  // divisible by t

    const uint32_t words = WordsForBits(m + 1);
    WordScratch f(words + 1);
    LoadLowBits(polynomial, length, f.data());
    uint32_t terms[8 * LongIntegerMaxBytes];
    uint32_t termCount = 0;
    for (uint32_t i = 0; i < m; ++i) {
        if ((f[i / 64] >> (i % 64)) & 1) terms[termCount++] = i;
    }
    const ReductionRule rule(m, terms, termCount);

    uint32_t primes[8];
    const uint32_t primeCount = SmallestPrimeFactors(m, primes);

    // x runs through t^(2^i) mod f; at i = m / r the gcd condition for the prime r is tested
    // on the spot.
    WordScratch x(words + 1);
    WordScratch scratch(2 * words + 1);
    WordScratch difference(words + 1);
    WordScratch modulus(words + 1);
    uint32_t n = 1;
    x[0] = 2;  // t, reduced since m >= 2
    for (uint32_t i = 1; i <= m; ++i) {
        uint32_t count = 2 * n;
        SquarePolynomial(x.data(), n, scratch.data());
        rule.Reduce(scratch.data(), count);
        for (uint32_t w = 0; w < count; ++w) x[w] = scratch[w];
        for (uint32_t w = count; w < n; ++w) x[w] = 0;
        n = count;
        for (uint32_t p = 0; p < primeCount; ++p) {
            if (i != m / primes[p]) continue;
            for (uint32_t w = 0; w <= words; ++w) {
                difference[w] = w < n ? x[w] : 0;
                modulus[w] = w < words ? f[w] : 0;
            }
            difference[0] ^= 2;  // t^(2^(m/r)) - t
            uint32_t gcdCount = 0;
            const uint64_t* g =
                GreatestCommonDivisor(difference.data(), words, modulus.data(), words, gcdCount);
            if (BitLength(g, gcdCount) != 1) return false;
        }
    }
    const uint64_t t[1] = {2};
    return EqualWords(x.data(), n, t, 1);
}

LongIntegerClass PBBaseField::Zero() const {
    return SharedZero();
}

LongIntegerClass PBBaseField::One() const {
    return SharedOne();
}

bool PBBaseField::IsZero(const Element& a) {
    return IsZeroValue(a);
}

LongIntegerClass PBBaseField::Add(const Element& a, const Element& b) const {
    Element r(a);
    r.XorWith(b);
    return r;
}

void PBBaseField::AddInPlace(Element& a, const Element& b) const {
    a.XorWith(b);
}

LongIntegerClass PBBaseField::Multiply(const Element& a, const Element& b) const {
    Element r;
    const uint32_t aBits = BitLengthOf(a);
    const uint32_t bBits = BitLengthOf(b);
    if (aBits == 0 || bBits == 0) return r;
    if (ProductOutgrowsCapacity(aBits, bBits)) throw OutOfMemoryExceptionClass();
    const FieldReduction field(degree, exponentK, exponentJ, exponentL);
    // Operand bits at or above 2m - 1 only reach product terms that are dropped.
    const uint32_t aKeep = Min(aBits, field.ProductBits());
    const uint32_t bKeep = Min(bBits, field.ProductBits());
    // Both operands padded to one length, which the multiplication kernels prefer.
    const uint32_t words = Max(WordsForBits(aKeep), WordsForBits(bKeep));
    WordScratch operands(2 * words);
    uint64_t* x = operands.data();
    uint64_t* y = x + words;
    LoadLowBits(a, aKeep, x);
    LoadLowBits(b, bKeep, y);
    WordScratch product(2 * words + 1);
    MultiplyPolynomials(x, words, y, words, product.data());
    uint32_t n = 2 * words;
    field.Reduce(product.data(), n);
    StoreWords(r, product.data(), n);
    return r;
}

void PBBaseField::MultiplyInPlace(Element& a, const Element& b) const {
    a = Multiply(a, b);
}

LongIntegerClass PBBaseField::Square(const Element& a) const {
    Element r;
    const uint32_t bits = BitLengthOf(a);
    if (bits == 0) return r;
    if (bits > kLongestSquareOperand) throw OutOfMemoryExceptionClass();
    const FieldReduction field(degree, exponentK, exponentJ, exponentL);
    const uint32_t keep = Min(bits, degree);
    WordScratch x(WordsForBits(keep));
    const uint32_t n = LoadLowBits(a, keep, x.data());
    WordScratch square(2 * n + 1);
    SquarePolynomial(x.data(), n, square.data());
    uint32_t count = 2 * n;
    field.Reduce(square.data(), count);
    StoreWords(r, square.data(), count);
    return r;
}

LongIntegerClass PBBaseField::SquareRoot(const Element& a) const {
    const FieldReduction field(degree, exponentK, exponentJ, exponentL);
    const uint32_t bits = BitLengthOf(a);
    WordScratch x(Max(WordsForBits(bits), WordsForBits(degree)));
    uint32_t n = LoadLowBits(a, bits, x.data());
    WordScratch scratch(2 * x.count() + 1);
    for (uint32_t i = 1; i < degree; ++i) SquareStep(field, x.data(), n, scratch);
    Element r;
    StoreWords(r, x.data(), n);
    return r;
}

LongIntegerClass PBBaseField::Invert(const Element& a) const {
    const uint32_t bits = BitLengthOf(a);
    if (bits == 0) throw DivideByZeroExceptionClass();
    // Unreduced operands and fields of degree 4096 and more take the Euclidean algorithm on
    // long integers itself: its intermediate products then reach the capacity limit at
    // places that only that algorithm defines.
    if (bits > degree || degree >= 4096) {
        const LongIntegerClass f(fieldPolynomial);
        const LongIntegerClass x(a);
        return PBReference::Invert(f, x);
    }

    // Euclid on (f, a), tracking the cofactors of a: r0 = t0 * a and r1 = t1 * a mod f. Each
    // inner step removes the top term of r0 with a shifted r1, so a full inner loop is one
    // polynomial division; when the remainder becomes 0, r1 is gcd(f, a) and t1 the result.
    // The cofactors stay below t^(m+1); the arrays have two words of slack for the shifted
    // exclusive-ors.
    const uint32_t words = WordsForBits(degree + 1) + 2;
    WordScratch rA(words), rB(words), tA(words), tB(words);
    LoadLowBits(fieldPolynomial, degree + 1, rA.data());
    LoadLowBits(a, bits, rB.data());
    tB[0] = 1;
    uint64_t* r0 = rA.data();
    uint64_t* r1 = rB.data();
    uint64_t* t0 = tA.data();
    uint64_t* t1 = tB.data();
    uint32_t d0 = degree + 1;  // bit lengths
    uint32_t d1 = bits;
    uint32_t e0 = 0;
    uint32_t e1 = 1;
    for (;;) {
        const uint32_t rWords = WordsForBits(d1);
        const uint32_t tWords = WordsForBits(e1);
        while (d0 >= d1) {
            const uint32_t shift = d0 - d1;
            XorShifted(r0, r1, rWords, shift);
            XorShifted(t0, t1, tWords, shift);
            e0 = Max(e0, e1 + shift);
            d0 = BitLength(r0, WordsForBits(d0));
        }
        if (d0 == 0) break;
        uint64_t* swap = r0;
        r0 = r1;
        r1 = swap;
        swap = t0;
        t0 = t1;
        t1 = swap;
        const uint32_t d = d0;
        d0 = d1;
        d1 = d;
        const uint32_t e = e0;
        e0 = e1;
        e1 = e;
    }
    Element r;
    StoreWords(r, t1, WordsForBits(e1));
    return r;
}

LongIntegerClass PBBaseField::Divide(const Element& a, const Element& b) const {
    return Multiply(a, Invert(b));
}

// x = a, then `steps` times x = x^(2^squaresPerStep) + a: the trace (one square per step,
// m - 1 steps) and the half-trace (two squares per step, (m - 1) / 2 steps).
LongIntegerClass PBBaseField::SumOfPowers(const Element& a, uint32_t squaresPerStep,
                                          uint32_t steps) const {
    const FieldReduction field(degree, exponentK, exponentJ, exponentL);
    const uint32_t bits = BitLengthOf(a);
    const uint32_t words = Max(WordsForBits(bits), WordsForBits(degree));
    WordScratch base(words), x(words), scratch(2 * words + 1);
    const uint32_t na = LoadLowBits(a, bits, base.data());
    uint32_t n = LoadLowBits(a, bits, x.data());
    for (uint32_t i = 0; i < steps; ++i) {
        for (uint32_t j = 0; j < squaresPerStep; ++j) SquareStep(field, x.data(), n, scratch);
        XorInto(x.data(), n, base.data(), na);
    }
    Element r;
    StoreWords(r, x.data(), n);
    return r;
}

LongIntegerClass PBBaseField::Trace(const Element& a) const {
    return SumOfPowers(a, 1, degree == 0 ? 0 : degree - 1);
}

LongIntegerClass PBBaseField::HalfTrace(const Element& a) const {
    return SumOfPowers(a, 2, degree == 0 ? 0 : (degree - 1) / 2);
}

LongIntegerClass PBBaseField::QuadraticRoot(const Element& v) const {
    if (degree % 2 == 1) return HalfTrace(v);

    // Even m: the half-trace solves nothing. With tau of trace 1 (the first t^i that has one;
    // the trace is a non-zero linear form, so some basis element has trace 1), the steps
    // z = z^2 + s^2 tau, s = s^2 + v, m - 1 times from z = 0, s = v, give
    // z = sum over i < m-1 of (sum over i < j < m of tau^(2^j)) v^(2^i), and
    // z^2 + z = Tr(tau) v + Tr(v) tau = v because Tr(v) = 0.
    Element tau;
    for (uint32_t i = 1; i < degree; ++i) {
        tau.SetZero();
        tau.SetBit(i, true);
        if (BitLengthOf(Trace(tau)) == 1) break;
    }
    Element z;
    Element s(v);
    for (uint32_t i = 1; i < degree; ++i) {
        z = Square(z);
        AddInPlace(z, Multiply(Square(s), tau));
        s = Square(s);
        AddInPlace(s, v);
    }
    return z;
}

LongIntegerClass PBBaseField::SolveQuadratic(const Element& u, const Element& w,
                                             uint32_t& rootCount) const {
    return SolveQuadraticIn(*this, u, w, rootCount);
}

LongIntegerClass PBBaseField::ElementFromBytes(const uint8_t* bytes, uint32_t length) {
    Element r;
    r.FromBytes(bytes, length, 0);
    return r;
}

void PBBaseField::ElementToBytes(const Element& a, uint8_t* buffer, uint32_t length) {
    a.ToBytes(buffer, length, 0);
}

uint32_t PBBaseField::ElementByteLength(const Element& a) {
    return a.ByteLength();
}

void PBBaseField::Reduce(Element& c) const {
    const uint32_t bits = BitLengthOf(c);
    if (bits < degree) return;
    const FieldReduction field(degree, exponentK, exponentJ, exponentL);
    const uint32_t keep = Min(bits, field.ProductBits());
    WordScratch x(WordsForBits(keep) + 1);
    uint32_t n = LoadLowBits(c, keep, x.data());
    field.Reduce(x.data(), n);
    StoreWords(c, x.data(), n);
}

LongIntegerClass PBBaseField::PolynomialMultiply(const LongIntegerClass& a,
                                                 const LongIntegerClass& b) {
    LongIntegerClass r;
    const uint32_t aBits = BitLengthOf(a);
    const uint32_t bBits = BitLengthOf(b);
    if (aBits == 0 || bBits == 0) return r;
    if (ProductOutgrowsCapacity(aBits, bBits)) throw OutOfMemoryExceptionClass();
    WordScratch x(WordsForBits(aBits));
    WordScratch y(WordsForBits(bBits));
    const uint32_t na = LoadLowBits(a, aBits, x.data());
    const uint32_t nb = LoadLowBits(b, bBits, y.data());
    WordScratch product(na + nb);
    MultiplyPolynomials(x.data(), na, y.data(), nb, product.data());
    StoreWords(r, product.data(), na + nb);
    return r;
}

void PBBaseField::PolynomialDivide(const LongIntegerClass& a, const LongIntegerClass& b,
                                   LongIntegerClass& quotient, LongIntegerClass& remainder) {
    PBReference::PolynomialDivide(a, b, quotient, remainder);
}

}  // namespace QIRVALE
