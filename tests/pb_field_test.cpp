// Polynomial-basis field: construction, the word-wise reduction and arithmetic against the
// straightforward long-integer algorithms (results and exceptions, reduced and unreduced
// operands), the field identities, the quadratic solver for odd and even degrees, and Rabin's
// irreducibility test.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/pb_field.h"
#include "binfield/pb_field_reference.h"
#include "frame/exceptions.h"
#include "pb_test_helpers.h"

namespace {

using pbtest::BitsAt;
using pbtest::Hex;
using pbtest::MakeField;
using pbtest::Random;
using QIRVALE::DivideByZeroExceptionClass;
using QIRVALE::LongIntegerClass;
using QIRVALE::OutOfMemoryExceptionClass;
using QIRVALE::PBBaseField;
using QIRVALE::PBReference::PBReferenceField;

struct Exponents {
    uint32_t m, k, j, l;
};

// The recommended fields (trinomials and pentanomials) and m = 571.
const std::vector<Exponents> kStandardFields = {
    {163, 7, 6, 3},  {167, 6, 0, 0}, {173, 10, 2, 1}, {179, 4, 2, 1},
    {191, 9, 0, 0},  {233, 9, 4, 1}, {257, 12, 0, 0}, {307, 8, 4, 2},
    {367, 21, 0, 0}, {431, 5, 3, 1}, {571, 10, 5, 2},
};

// The standard fields, then polynomials whose terms sit close to t^m (the fold feeds a word
// back into itself), small degrees, a word-aligned degree, and reducible polynomials.
std::vector<PBBaseField> TestFields() {
    std::vector<PBBaseField> fields;
    for (const Exponents& e : kStandardFields) fields.push_back(MakeField(e.m, e.k, e.j, e.l));
    for (const LongIntegerClass& f :
         {BitsAt({163, 162, 161, 160, 0}), BitsAt({100, 99, 0}), BitsAt({64, 4, 3, 1, 0}),
          BitsAt({128, 7, 2, 1, 0}), BitsAt({2, 1, 0}), BitsAt({7, 1, 0}), BitsAt({65, 64, 0}),
          BitsAt({200, 150, 0}), BitsAt({163, 7, 6, 3}), BitsAt({163, 0}), BitsAt({1, 0}),
          BitsAt({70, 69, 68, 67, 0})})
        fields.emplace_back(f);
    return fields;
}

std::string Describe(const PBBaseField& f) {
    return "m=" + std::to_string(f.Degree()) + " k=" + std::to_string(f.ExponentK()) +
           " j=" + std::to_string(f.ExponentJ()) + " l=" + std::to_string(f.ExponentL());
}

// The outcome of an operation: its result, or "OutOfMemory".
template <class Body>
std::string Outcome(Body&& body) {
    try {
        return Hex(body());
    } catch (const OutOfMemoryExceptionClass&) {
        return "OutOfMemory";
    }
}

TEST(PBField, ConstructionAndEncoding) {
    const PBBaseField f = MakeField(163, 7, 6, 3);
    EXPECT_EQ(f.FieldPolynomial(), BitsAt({163, 7, 6, 3, 0}));
    EXPECT_EQ(Describe(f), "m=163 k=7 j=6 l=3");
    EXPECT_EQ(Describe(MakeField(167, 6)), "m=167 k=6 j=0 l=0");
    EXPECT_EQ(f.CompressionBitIndex(), 0u);
    // The scan keeps the top three middle terms and ignores bit 0.
    EXPECT_EQ(Describe(PBBaseField(BitsAt({40, 30, 20, 10, 5}))), "m=40 k=30 j=20 l=10");
    EXPECT_EQ(PBBaseField(BitsAt({1, 0})).ExponentK(), 0u);
    EXPECT_EQ(PBBaseField(LongIntegerClass()).Degree(), 0u);
    EXPECT_THROW(PBBaseField::PolynomialFromExponents(8192, 5, 0, 0), OutOfMemoryExceptionClass);
    EXPECT_EQ(PBBaseField::PolynomialFromExponents(8191, 5, 0, 0).BitLength(), 8192u);
    // One is a copy: changing it leaves the field's constant alone.
    LongIntegerClass one = f.One();
    one.SetBit(5, true);
    EXPECT_EQ(f.One(), LongIntegerClass(1u));
    EXPECT_TRUE(PBBaseField::IsZero(f.Zero()));
    // Little-endian byte strings.
    uint8_t out[4] = {9, 9, 9, 9};
    PBBaseField::ElementToBytes(BitsAt({8, 0}), out, 4);
    EXPECT_EQ(qirvale_test::ToHex(out, 4), "01010000");
    const uint8_t in[5] = {0x01, 0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(PBBaseField::ElementFromBytes(in, 5), BitsAt({8, 0}));
    EXPECT_EQ(PBBaseField::ElementByteLength(PBBaseField::ElementFromBytes(in, 5)), 2u);
}

// Reduce(t^m) is the low terms of f; the word-wise fold equals the bit-at-a-time fold on
// products of every length, on t^(2m-2), on all-ones, and above t^(2m-2).
TEST(PBField, ReduceEqualsTheBitwiseFold) {
    for (const Exponents& e : kStandardFields) {
        LongIntegerClass power = BitsAt({e.m});
        MakeField(e.m, e.k, e.j, e.l).Reduce(power);
        EXPECT_EQ(power, e.j != 0 ? BitsAt({e.k, e.j, e.l, 0}) : BitsAt({e.k, 0})) << e.m;
    }
    for (const PBBaseField& f : TestFields()) {
        const PBReferenceField reference(f);
        const uint32_t m = f.Degree();
        Random random(1000 + m);
        std::vector<LongIntegerClass> inputs = {random.Bits(m), BitsAt({2 * m - 2}),
                                                random.ExactBits(2 * m + 70)};
        for (uint32_t bits : {m + 1, m + 2, m + 63, m + 64, m + 65, 2 * m - 2, 2 * m - 1}) {
            if (bits >= 1 && bits <= 2 * m - 1) inputs.push_back(random.Bits(bits));
        }
        for (int i = 0; i < 6; ++i) inputs.push_back(random.Bits(2 * m - 1));
        LongIntegerClass ones;
        for (uint32_t b = 0; b + 1 < 2 * m; ++b) ones.SetBit(b, true);
        inputs.push_back(ones);
        for (const LongIntegerClass& c : inputs) {
            LongIntegerClass fast = c, slow = c;
            f.Reduce(fast);
            reference.Reduce(slow);
            ASSERT_EQ(fast, slow) << Describe(f) << " input " << Hex(c);
            ASSERT_LE(fast.BitLength(), m);
        }
    }
}

// Every operation of the fast field against the reference field, on reduced elements of every
// test field and on unreduced operands of three fields.
TEST(PBField, FastOperationsEqualTheReference) {
    const std::vector<PBBaseField> fields = TestFields();
    for (std::size_t index = 0; index < fields.size(); ++index) {
        const PBBaseField& f = fields[index];
        const PBReferenceField reference(f);
        const uint32_t m = f.Degree();
        Random random(2000 + m);
        std::vector<LongIntegerClass> operands = {BitsAt({m - 1})};
        for (int i = 0; i < 6; ++i) operands.push_back(random.Bits(m));
        const bool unreduced = (index == 0 || index == 1 || index == 9);  // 163, 167, 431
        if (unreduced) {
            for (uint32_t bits : {m + 1, 2 * m - 1, 2 * m + 5, 3 * m})
                operands.push_back(random.ExactBits(bits));
        }
        for (const LongIntegerClass& a : operands) {
            SCOPED_TRACE(Describe(f) + " a = " + Hex(a));
            const LongIntegerClass b = random.Bits(m), u = random.NonZero(m);
            ASSERT_EQ(f.Multiply(a, b), reference.Multiply(a, b));
            ASSERT_EQ(f.Multiply(b, a), reference.Multiply(b, a));
            ASSERT_EQ(f.Square(a), reference.Square(a));
            if (!a.IsZero()) {
                ASSERT_EQ(f.Invert(a), reference.Invert(a));
            }
            if (!unreduced) continue;
            EXPECT_EQ(f.SquareRoot(a), reference.SquareRoot(a));
            EXPECT_EQ(f.Trace(a), reference.Trace(a));
            EXPECT_EQ(f.HalfTrace(a), reference.HalfTrace(a));
            if (a.BitLength() > m) continue;
            uint32_t fastCount = 9, slowCount = 7;
            EXPECT_EQ(f.SolveQuadratic(u, a, fastCount), reference.SolveQuadratic(u, a, slowCount));
            EXPECT_EQ(fastCount, slowCount);
        }
        if (unreduced) {
            // A non-zero multiple of f inverts to 0 (the Euclidean quotient), not to an error.
            EXPECT_TRUE(
                f.Invert(f.PolynomialMultiply(f.FieldPolynomial(), BitsAt({3, 0}))).IsZero());
        }
    }
}

// In a ring GF(2)[t]/f with f reducible, inversion returns the Euclidean cofactor t with
// t a = gcd(f, a); the fast path must find the same cofactor.
TEST(PBField, ReduciblePolynomialsGiveTheEuclideanCofactor) {
    const LongIntegerClass p = BitsAt({3, 1, 0}), q = BitsAt({5, 2, 0});
    const PBBaseField field(
        PBBaseField::PolynomialMultiply(PBBaseField::PolynomialMultiply(p, q), BitsAt({80, 9, 0})));
    const PBReferenceField reference(field);
    ASSERT_FALSE(field.IsIrreducible());
    Random random(5);
    std::vector<LongIntegerClass> inputs = {p, q, PBBaseField::PolynomialMultiply(p, q)};
    for (int i = 0; i < 20; ++i) inputs.push_back(random.NonZero(field.Degree()));
    for (const LongIntegerClass& a : inputs)
        EXPECT_EQ(field.Invert(a), reference.Invert(a)) << Hex(a);
}

TEST(PBField, PolynomialMultiplyAndDivide) {
    Random random(6);
    for (uint32_t aBits : {1u, 17u, 64u, 65u, 700u, 4000u}) {
        for (uint32_t bBits : {1u, 63u, 130u, 4100u}) {
            const LongIntegerClass a = random.ExactBits(aBits), b = random.ExactBits(bBits);
            const LongIntegerClass product = PBBaseField::PolynomialMultiply(a, b);
            ASSERT_EQ(product, QIRVALE::PBReference::PolynomialMultiply(a, b));
            // Adding a polynomial of lower degree than b leaves the quotient and is the remainder.
            const LongIntegerClass noise = random.Bits(bBits - 1);
            LongIntegerClass quotient, remainder, dividend = product;
            dividend.XorWith(noise);
            PBBaseField::PolynomialDivide(dividend, b, quotient, remainder);
            EXPECT_EQ(quotient, a);
            EXPECT_EQ(remainder, noise);
        }
    }
    EXPECT_TRUE(PBBaseField::PolynomialMultiply(LongIntegerClass(), random.Bits(99)).IsZero());
    LongIntegerClass q, r;
    EXPECT_THROW(PBBaseField::PolynomialDivide(BitsAt({5}), LongIntegerClass(), q, r),
                 DivideByZeroExceptionClass);
}

// A shared operand may hold leading zero digits (from a padded byte string); reading it must
// not normalise it, so that fields and curves can be shared between threads.
TEST(PBField, OperandsAreNotWrittenTo) {
    const PBBaseField f = MakeField(163, 7, 6, 3);
    uint8_t bytes[40] = {0x35, 0x12, 0x77};
    const LongIntegerClass padded = PBBaseField::ElementFromBytes(bytes, sizeof bytes);
    ASSERT_EQ(padded.DigitCount(), 20u);
    const LongIntegerClass other(12345u);
    f.Multiply(padded, other);
    f.Multiply(other, padded);
    f.Square(padded);
    f.Invert(padded);
    f.Trace(padded);
    f.HalfTrace(padded);
    f.SquareRoot(padded);
    EXPECT_FALSE(PBBaseField::IsZero(padded));
    EXPECT_EQ(padded.DigitCount(), 20u);
}

// Zero has no inverse; products, squares and the squaring chains outgrow a LongIntegerClass
// exactly where the reference algorithms do, probed on a grid of lengths around the limit.
TEST(PBField, ExceptionsMatchTheReference) {
    uint8_t zeros[30] = {};
    for (const PBBaseField& f : {MakeField(163, 7, 6, 3), MakeField(5000, 7, 3, 1)}) {
        EXPECT_THROW(f.Invert(LongIntegerClass()), DivideByZeroExceptionClass);
        EXPECT_THROW(f.Invert(PBBaseField::ElementFromBytes(zeros, 30)),
                     DivideByZeroExceptionClass);
        EXPECT_THROW(f.Divide(LongIntegerClass(7u), LongIntegerClass()),
                     DivideByZeroExceptionClass);
    }
    const PBBaseField f = MakeField(5000, 7, 3, 1);
    const PBReferenceField reference(f);
    Random random(7);
    for (uint32_t aBits : {4079u, 4080u, 4081u, 4095u, 4096u, 4097u, 4112u, 4113u}) {
        const LongIntegerClass a = random.ExactBits(aBits);
        for (uint32_t bBits : {4080u, 4081u, 4082u, 4096u, 4097u, 4098u, 4113u, 4114u}) {
            const LongIntegerClass b = random.ExactBits(bBits);
            const std::string slow = Outcome([&] { return reference.Multiply(a, b); });
            ASSERT_EQ(Outcome([&] { return f.Multiply(a, b); }), slow) << aBits << " x " << bBits;
            ASSERT_EQ(
                Outcome([&] { return PBBaseField::PolynomialMultiply(a, b); }) == "OutOfMemory",
                slow == "OutOfMemory");
        }
        const std::string square = Outcome([&] { return f.Square(a); });
        ASSERT_EQ(square, Outcome([&] { return reference.Square(a); }));
        ASSERT_EQ(square == "OutOfMemory", aBits > 4096);
    }
    // In a small field an unreduced operand of more than 4096 bits cannot be squared either.
    const PBBaseField small = MakeField(163, 7, 6, 3);
    EXPECT_THROW(small.Square(random.ExactBits(4097)), OutOfMemoryExceptionClass);
    EXPECT_THROW(small.Trace(random.ExactBits(5000)), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(small.Square(random.ExactBits(4096)));
    // Degree above 4096: the iterated squares of a full-length element outgrow the capacity.
    const PBBaseField large = MakeField(4200, 7, 3, 1);
    const PBReferenceField largeReference(large);
    const LongIntegerClass short60 = random.ExactBits(60), full = random.ExactBits(4150);
    EXPECT_THROW(large.Trace(full), OutOfMemoryExceptionClass);
    EXPECT_THROW(largeReference.Trace(full), OutOfMemoryExceptionClass);
    EXPECT_THROW(large.SquareRoot(short60), OutOfMemoryExceptionClass);
    EXPECT_THROW(largeReference.SquareRoot(short60), OutOfMemoryExceptionClass);
    EXPECT_EQ(Outcome([&] { return large.Invert(full); }),
              Outcome([&] { return largeReference.Invert(full); }));
}

TEST(PBField, Identities) {
    for (const Exponents& e : {Exponents{163, 7, 6, 3}, Exponents{167, 6, 0, 0},
                               Exponents{431, 5, 3, 1}, Exponents{10, 3, 0, 0}}) {
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        Random random(9000 + e.m);
        EXPECT_EQ(f.Invert(f.One()), f.One());
        EXPECT_EQ(f.Trace(f.One()), e.m % 2 ? f.One() : f.Zero());
        for (int i = 0; i < 10; ++i) {
            const LongIntegerClass a = random.NonZero(e.m), b = random.Bits(e.m);
            EXPECT_EQ(f.Multiply(a, f.Invert(a)), f.One()) << e.m << " " << Hex(a);
            EXPECT_EQ(f.Divide(f.Multiply(b, a), a), b);
            EXPECT_EQ(f.SquareRoot(f.Square(a)), a);
            EXPECT_EQ(f.Square(a), f.Multiply(a, a));
            LongIntegerClass product = a;
            f.MultiplyInPlace(product, b);
            EXPECT_EQ(product, f.Multiply(a, b));
            EXPECT_TRUE(PBBaseField::IsZero(f.Trace(f.Add(a, f.Square(a)))));
        }
    }
}

// A root of z^2 + u z = w exactly when Trace(w / u^2) = 0: exhaustive for m = 4 and 8, where
// the half-trace solves nothing, sampled for odd degrees and m = 10.
TEST(PBField, SolveQuadratic) {
    for (const Exponents& e : {Exponents{4, 1, 0, 0}, Exponents{8, 4, 3, 1}, Exponents{10, 3, 0, 0},
                               Exponents{163, 7, 6, 3}, Exponents{167, 6, 0, 0}}) {
        SCOPED_TRACE(e.m);
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        Random random(9700 + e.m);
        const LongIntegerClass w0 = random.Bits(e.m);
        uint32_t count = 7;
        EXPECT_EQ(f.SolveQuadratic(f.Zero(), w0, count), f.SquareRoot(w0));
        EXPECT_EQ(count, 1u);
        EXPECT_TRUE(f.SolveQuadratic(random.NonZero(e.m), f.Zero(), count).IsZero());
        EXPECT_EQ(count, 2u);
        const uint32_t limit = e.m <= 8 ? (1u << e.m) : 40;
        int solved = 0;
        for (uint32_t i = 1; i < limit; ++i) {
            const LongIntegerClass w = e.m <= 8 ? LongIntegerClass(i) : random.NonZero(e.m);
            const LongIntegerClass u = i % 3 == 0 ? f.One() : random.NonZero(e.m);
            count = 9;
            const LongIntegerClass z = f.SolveQuadratic(u, w, count);
            const bool traceZero = PBBaseField::IsZero(f.Trace(f.Divide(w, f.Square(u))));
            ASSERT_EQ(count, traceZero ? 2u : 0u) << Hex(w);
            if (!traceZero) {
                EXPECT_TRUE(z.IsZero());
                continue;
            }
            ++solved;
            for (const LongIntegerClass& root : {z, f.Add(z, u)}) {
                LongIntegerClass lhs = f.Square(root);
                f.AddInPlace(lhs, f.Multiply(u, root));
                EXPECT_EQ(lhs, w) << Hex(u) << " " << Hex(w);
            }
        }
        EXPECT_GT(solved, 0);
        EXPECT_LT(solved, int(limit) - 1);
    }
}

TEST(PBField, IrreducibilityOfKnownPolynomials) {
    for (const Exponents& e : kStandardFields)
        EXPECT_TRUE(MakeField(e.m, e.k, e.j, e.l).IsIrreducible()) << e.m;
    // Primitive trinomials of Mersenne-prime degree, the polynomial of AES, and degree 1 and 0.
    const LongIntegerClass big1 = BitsAt({4423, 271, 0}), big2 = BitsAt({2281, 715, 0});
    for (const LongIntegerClass& f :
         {BitsAt({127, 1, 0}), BitsAt({521, 32, 0}), BitsAt({607, 105, 0}), BitsAt({1279, 216, 0}),
          big2, big1, BitsAt({8, 4, 3, 1, 0}), BitsAt({2, 1, 0}), BitsAt({1, 0}), BitsAt({1})})
        EXPECT_TRUE(PBBaseField::IsIrreduciblePolynomial(f)) << f.BitLength();
    for (const LongIntegerClass& f :
         {LongIntegerClass(), LongIntegerClass(1u), BitsAt({2, 0}), BitsAt({4, 2, 0}),
          BitsAt({163, 7, 6, 3}), BitsAt({163, 7, 6, 3, 0, 1}), BitsAt({8, 4, 3, 2, 1, 0}),
          PBBaseField::PolynomialMultiply(BitsAt({127, 1, 0}), BitsAt({3, 1, 0})),
          PBBaseField::PolynomialMultiply(big1, big2),
          PBBaseField::PolynomialMultiply(big1, BitsAt({1, 0})),
          PBBaseField::PolynomialMultiply(big2, big2)})
        EXPECT_FALSE(PBBaseField::IsIrreduciblePolynomial(f)) << Hex(f);
    // Degree 8191 and 8190 agree with their reciprocals, irreducible exactly when they are.
    LongIntegerClass g1, g2;
    for (uint32_t b : {8191u, 8190u, 4000u, 1u, 0u}) g1.SetBit(8191 - b, true);
    for (uint32_t b : {8190u, 17u, 5u, 2u, 0u}) g2.SetBit(8190 - b, true);
    EXPECT_EQ(PBBaseField::IsIrreduciblePolynomial(g1),
              PBBaseField::IsIrreduciblePolynomial(BitsAt({8191, 8190, 4000, 1, 0})));
    EXPECT_EQ(PBBaseField::IsIrreduciblePolynomial(g2),
              PBBaseField::IsIrreduciblePolynomial(BitsAt({8190, 17, 5, 2, 0})));
}

// The number of irreducible polynomials of degree n over GF(2) is (1/n) sum over d | n of
// mu(d) 2^(n/d); the test must find exactly that many among all polynomials of each degree.
TEST(PBField, IrreducibleCountsAgreeWithTheNecklaceFormula) {
    const uint32_t expected[] = {0, 2, 1, 2, 3, 6, 9, 18, 30, 56, 99, 186, 335};
    for (uint32_t n = 1; n <= 12; ++n) {
        uint32_t found = 0;
        for (uint32_t low = 0; low < (1u << n); ++low) {
            LongIntegerClass f(low);
            f.SetBit(n, true);
            found += PBBaseField::IsIrreduciblePolynomial(f);
        }
        EXPECT_EQ(found, expected[n]) << "degree " << n;
    }
}

}  // namespace
