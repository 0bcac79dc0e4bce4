// The binary field GF(2^m) in polynomial basis.
//
// An element is a LongIntegerClass read as a bit vector: bit i is the coefficient of t^i.
// It is reduced when it has at most m bits. The field is defined by its reduction polynomial
// f(t) = t^m + t^k + 1 or t^m + t^k + t^j + t^l + 1; it is immutable after construction and
// may be shared by concurrent calls (no operation writes to the field or to its operands).
//
// Results are those of the straightforward algorithms of pb_field_reference.h, bit for bit:
// shift-and-add multiplication followed by a bit-at-a-time fold of t^(2m-2) .. t^m, digit
// spreading for squares, and an extended Euclidean inversion. They raise the same
// exceptions at the same limits:
//  - a product whose shift-and-add accumulator would outgrow a LongIntegerClass, a square of
//    a value of more than 4096 bits: OutOfMemoryExceptionClass (fields with m > 4096, or
//    operands that are not reduced);
//  - Invert(0), Divide by 0, PolynomialDivide by 0: DivideByZeroExceptionClass.
// One deliberate difference: SolveQuadratic for even m returns a true root (see there).
// No operation checks that its operands are reduced. Unreduced operands give the
// deterministic results of those algorithms: product and square terms above t^(2m-2) are
// dropped, not folded.
//
// Internally the arithmetic runs on 64-bit words (binary_words.h): comb multiplication, bit
// spreading for squares, word-wise folding for every polynomial, and a word-level Euclidean
// inversion.
#pragma once

#include <cstdint>

#include "longint/long_integer.h"

namespace QIRVALE {

using PBFieldElement = LongIntegerClass;

class PBBaseField {
  public:
    using Element = PBFieldElement;

    // The field of `polynomial`: degree m = bit length - 1 (0 for the zero polynomial); k, j
    // and l are the first three set bits found scanning from t^(m-1) down to t^1 (bit 0 is
    // not looked at), 0 where there are fewer. m = 1 records no exponents. Nothing is
    // checked; see IsIrreduciblePolynomial.
    explicit PBBaseField(const LongIntegerClass& polynomial);

    // t^m + t^k + 1 (l = 0) or t^m + t^k + t^j + t^l + 1 (l != 0), built by setting bits m,
    // k, j, l and 0. m >= 8192 raises OutOfMemoryExceptionClass.
    static LongIntegerClass PolynomialFromExponents(uint32_t m, uint32_t k, uint32_t j, uint32_t l);
    // Rabin's test: f of degree m >= 1 is irreducible over GF(2) exactly when
    // t^(2^m) = t mod f and gcd(t^(2^(m/r)) - t, f) = 1 for every prime r dividing m.
    // Works for every polynomial a LongIntegerClass holds; raises nothing.
    static bool IsIrreduciblePolynomial(const LongIntegerClass& polynomial);

    // ---- the field record --------------------------------------------------------------

    uint32_t Degree() const { return degree; }
    uint32_t ExponentK() const { return exponentK; }
    uint32_t ExponentJ() const { return exponentJ; }
    uint32_t ExponentL() const { return exponentL; }
    // A copy of f.
    LongIntegerClass FieldPolynomial() const { return fieldPolynomial; }
    bool IsIrreducible() const { return IsIrreduciblePolynomial(fieldPolynomial); }

    // ---- the operations shared with the normal basis ---------------------------------------

    // The bit of x that carries the compression bit of a packed point: the constant term.
    uint32_t CompressionBitIndex() const { return 0; }
    // Copies of the library-wide constants 0 and 1.
    Element Zero() const;
    Element One() const;
    static bool IsZero(const Element& a);
    // a XOR b, unchecked.
    Element Add(const Element& a, const Element& b) const;
    void AddInPlace(Element& a, const Element& b) const;
    Element Multiply(const Element& a, const Element& b) const;
    void MultiplyInPlace(Element& a, const Element& b) const;
    Element Square(const Element& a) const;
    // a^(2^(m-1)): m - 1 successive squares.
    Element SquareRoot(const Element& a) const;
    // The Euclidean inverse t with t * a = gcd(f, a) mod f (a^-1 when f is irreducible).
    Element Invert(const Element& a) const;
    // a * Invert(b).
    Element Divide(const Element& a, const Element& b) const;
    // Sum of a^(2^i), i = 0 .. m-1 (computed as m - 1 steps t = t^2 + a).
    Element Trace(const Element& a) const;
    // Sum of a^(4^i), i = 0 .. (m-1)/2.
    Element HalfTrace(const Element& a) const;
    // A root of z^2 + z = v for v of trace zero: HalfTrace(v) for odd m; for even m, where the
    // half-trace solves nothing, a root built with an element of trace 1 (the reference field
    // keeps the half-trace there).
    Element QuadraticRoot(const Element& v) const;
    // One root of z^2 + u z = w and the number of roots (binfield/quadratic.h).
    Element SolveQuadratic(const Element& u, const Element& w, uint32_t& rootCount) const;
    static Element ElementFromBytes(const uint8_t* bytes, uint32_t length);
    static void ElementToBytes(const Element& a, uint8_t* buffer, uint32_t length);
    static uint32_t ElementByteLength(const Element& a);

    // ---- polynomial arithmetic -----------------------------------------------------------

    // c mod f in place, for c of degree at most 2m - 2. Terms above t^(2m-2) are dropped.
    void Reduce(Element& c) const;
    // a * b over GF(2)[t], not reduced. OutOfMemoryExceptionClass when the shift-and-add
    // accumulator (a shifted by the top bit of b) would need more than 512 digits.
    static LongIntegerClass PolynomialMultiply(const LongIntegerClass& a,
                                               const LongIntegerClass& b);
    // a = quotient * b + remainder over GF(2)[t]; DivideByZeroExceptionClass for b = 0.
    static void PolynomialDivide(const LongIntegerClass& a, const LongIntegerClass& b,
                                 LongIntegerClass& quotient, LongIntegerClass& remainder);

  private:
    Element SumOfPowers(const Element& a, uint32_t squaresPerStep, uint32_t steps) const;

    LongIntegerClass fieldPolynomial;
    uint32_t degree;
    uint32_t exponentK;
    uint32_t exponentJ;
    uint32_t exponentL;
};

}  // namespace QIRVALE
