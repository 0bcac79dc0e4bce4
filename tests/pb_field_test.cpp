// Polynomial-basis field: construction, known answers, the fast word arithmetic against the
// straightforward long-integer algorithms (results and exceptions), field identities, and
// Rabin's irreducibility test.
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

// Polynomials whose terms sit close to t^m (the fold feeds a word back into itself), small
// degrees, a word-aligned degree, and polynomials that are not irreducible.
std::vector<LongIntegerClass> UnusualPolynomials() {
    return {
        BitsAt({163, 162, 161, 160, 0}),
        BitsAt({100, 99, 0}),
        BitsAt({64, 4, 3, 1, 0}),
        BitsAt({128, 7, 2, 1, 0}),
        BitsAt({2, 1, 0}),
        BitsAt({7, 1, 0}),
        BitsAt({65, 64, 0}),
        BitsAt({200, 150, 0}),
        BitsAt({163, 7, 6, 3}),
        BitsAt({163, 0}),
        BitsAt({1, 0}),
        BitsAt({70, 69, 68, 67, 0}),
    };
}

std::vector<PBBaseField> TestFields() {
    std::vector<PBBaseField> fields;
    for (const Exponents& e : kStandardFields) fields.push_back(MakeField(e.m, e.k, e.j, e.l));
    for (const LongIntegerClass& f : UnusualPolynomials()) fields.emplace_back(f);
    return fields;
}

std::string Describe(const PBBaseField& f) {
    return "m=" + std::to_string(f.Degree()) + " k=" + std::to_string(f.ExponentK()) +
           " j=" + std::to_string(f.ExponentJ()) + " l=" + std::to_string(f.ExponentL());
}

// Runs `body`; true when it raised `Exception`, false when it returned.
template <class Exception, class Body>
bool Raises(Body&& body) {
    try {
        body();
    } catch (const Exception&) {
        return true;
    }
    return false;
}

// ---- construction and encoding ------------------------------------------------------------

TEST(PBFieldConstruction, PentanomialAndTrinomialRecords) {
    const PBBaseField f = MakeField(163, 7, 6, 3);
    EXPECT_EQ(f.FieldPolynomial(), BitsAt({163, 7, 6, 3, 0}));
    EXPECT_EQ(f.Degree(), 163u);
    EXPECT_EQ(f.ExponentK(), 7u);
    EXPECT_EQ(f.ExponentJ(), 6u);
    EXPECT_EQ(f.ExponentL(), 3u);

    const PBBaseField g = MakeField(167, 6);
    EXPECT_EQ(g.FieldPolynomial(), BitsAt({167, 6, 0}));
    EXPECT_EQ(g.ExponentK(), 6u);
    EXPECT_EQ(g.ExponentJ(), 0u);
    EXPECT_EQ(g.ExponentL(), 0u);
    EXPECT_EQ(g.CompressionBitIndex(), 0u);
}

TEST(PBFieldConstruction, ScanKeepsTheTopThreeMiddleTermsAndIgnoresBitZero) {
    const PBBaseField f(BitsAt({40, 30, 20, 10, 5}));
    EXPECT_EQ(f.Degree(), 40u);
    EXPECT_EQ(f.ExponentK(), 30u);
    EXPECT_EQ(f.ExponentJ(), 20u);
    EXPECT_EQ(f.ExponentL(), 10u);
    EXPECT_EQ(PBBaseField(BitsAt({1, 0})).ExponentK(), 0u);
    EXPECT_EQ(PBBaseField(LongIntegerClass()).Degree(), 0u);
}

TEST(PBFieldConstruction, DegreeBeyondCapacityRaises) {
    EXPECT_THROW(PBBaseField::PolynomialFromExponents(8192, 5, 0, 0), OutOfMemoryExceptionClass);
    EXPECT_EQ(PBBaseField::PolynomialFromExponents(8191, 5, 0, 0).BitLength(), 8192u);
}

TEST(PBFieldConstruction, ElementBytesAreLittleEndian) {
    uint8_t out[4] = {9, 9, 9, 9};
    PBBaseField::ElementToBytes(BitsAt({8, 0}), out, 4);
    EXPECT_EQ(qirvale_test::ToHex(out, 4), "01010000");
    const uint8_t in[5] = {0x01, 0x01, 0x00, 0x00, 0x00};
    const LongIntegerClass e = PBBaseField::ElementFromBytes(in, 5);
    EXPECT_EQ(e, BitsAt({8, 0}));
    EXPECT_EQ(PBBaseField::ElementByteLength(e), 2u);
}

TEST(PBFieldConstruction, ConstantsAreZeroAndOne) {
    const PBBaseField f = MakeField(163, 7, 6, 3);
    EXPECT_TRUE(PBBaseField::IsZero(f.Zero()));
    EXPECT_EQ(f.One(), LongIntegerClass(1u));
    LongIntegerClass one = f.One();
    one.SetBit(5, true);  // a copy: the shared constant stays 1
    EXPECT_EQ(f.One(), LongIntegerClass(1u));
}

// ---- reduction ------------------------------------------------------------------------------

TEST(PBFieldReduce, ReducedValuesStayAndTheTopPowerFolds) {
    for (const Exponents& e : kStandardFields) {
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        Random random(e.m);
        LongIntegerClass a = random.Bits(e.m);
        const LongIntegerClass before = a;
        f.Reduce(a);
        EXPECT_EQ(a, before) << Describe(f);

        LongIntegerClass power = BitsAt({e.m});
        f.Reduce(power);
        LongIntegerClass expected = BitsAt({e.k, 0});
        if (e.j != 0) expected = BitsAt({e.k, e.j, e.l, 0});
        EXPECT_EQ(power, expected) << Describe(f);
    }
}

// The word-wise fold (every field, the three fields with a dedicated fold in the original
// design among them) equals the bit-at-a-time fold on products of every length, on t^(2m-2),
// on all-ones, and on values above t^(2m-2), whose excess terms both drop.
TEST(PBFieldReduce, WordFoldEqualsBitwiseFold) {
    for (const PBBaseField& f : TestFields()) {
        const PBReferenceField reference(f);
        const uint32_t m = f.Degree();
        Random random(1000 + m);
        std::vector<LongIntegerClass> inputs;
        for (uint32_t bits : {m + 1, m + 2, m + 63, m + 64, m + 65, 2 * m - 2, 2 * m - 1}) {
            if (bits >= 1 && bits <= 2 * m - 1) inputs.push_back(random.Bits(bits));
        }
        for (int i = 0; i < 6; ++i) inputs.push_back(random.Bits(2 * m - 1));
        inputs.push_back(BitsAt({2 * m - 2}));
        LongIntegerClass ones;
        for (uint32_t b = 0; b + 1 < 2 * m; ++b) ones.SetBit(b, true);
        inputs.push_back(ones);
        inputs.push_back(random.ExactBits(2 * m + 70));  // not a product of reduced elements
        for (const LongIntegerClass& c : inputs) {
            LongIntegerClass fast = c;
            LongIntegerClass slow = c;
            f.Reduce(fast);
            reference.Reduce(slow);
            ASSERT_EQ(fast, slow) << Describe(f) << " input " << Hex(c);
            ASSERT_LE(fast.BitLength(), m);
        }
    }
}

// ---- the fast paths against the reference algorithms --------------------------------------

TEST(PBFieldAgainstReference, MultiplySquareAndInvertOnRandomReducedElements) {
    for (const PBBaseField& f : TestFields()) {
        const PBReferenceField reference(f);
        const uint32_t m = f.Degree();
        Random random(2000 + m);
        for (int i = 0; i < 8; ++i) {
            const LongIntegerClass a = random.Bits(m);
            const LongIntegerClass b = random.Bits(m);
            ASSERT_EQ(f.Multiply(a, b), reference.Multiply(a, b)) << Describe(f) << Hex(a);
            ASSERT_EQ(f.Square(a), reference.Square(a)) << Describe(f) << Hex(a);
            if (!a.IsZero()) {
                ASSERT_EQ(f.Invert(a), reference.Invert(a)) << Describe(f) << Hex(a);
            }
        }
        const LongIntegerClass top = BitsAt({m - 1});
        EXPECT_EQ(f.Invert(top), reference.Invert(top)) << Describe(f);
    }
}

TEST(PBFieldAgainstReference, UnreducedOperandsGiveTheReferenceResults) {
    for (const Exponents& e : {kStandardFields[0], kStandardFields[1], kStandardFields[9]}) {
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        const PBReferenceField reference(f);
        Random random(3000 + e.m);
        for (uint32_t bits : {e.m + 1, 2 * e.m - 1, 2 * e.m + 5, 3 * e.m}) {
            const LongIntegerClass a = random.ExactBits(bits);
            const LongIntegerClass b = random.Bits(e.m);
            EXPECT_EQ(f.Multiply(a, b), reference.Multiply(a, b)) << bits;
            EXPECT_EQ(f.Multiply(b, a), reference.Multiply(b, a)) << bits;
            EXPECT_EQ(f.Square(a), reference.Square(a)) << bits;
            EXPECT_EQ(f.Invert(a), reference.Invert(a)) << bits;
            EXPECT_EQ(f.Trace(a), reference.Trace(a)) << bits;
            EXPECT_EQ(f.HalfTrace(a), reference.HalfTrace(a)) << bits;
            EXPECT_EQ(f.SquareRoot(a), reference.SquareRoot(a)) << bits;
        }
        // A non-zero multiple of f inverts to 0 (the Euclidean quotient), not to an error.
        const LongIntegerClass multiple = f.PolynomialMultiply(f.FieldPolynomial(), BitsAt({3, 0}));
        EXPECT_TRUE(f.Invert(multiple).IsZero());
    }
}

TEST(PBFieldAgainstReference, SquareRootTraceHalfTraceAndSolveQuadratic) {
    for (const Exponents& e : {kStandardFields[0], kStandardFields[1], kStandardFields[6]}) {
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        const PBReferenceField reference(f);
        Random random(4000 + e.m);
        for (int i = 0; i < 3; ++i) {
            const LongIntegerClass a = random.Bits(e.m);
            const LongIntegerClass u = random.NonZero(e.m);
            EXPECT_EQ(f.SquareRoot(a), reference.SquareRoot(a));
            EXPECT_EQ(f.Trace(a), reference.Trace(a));
            EXPECT_EQ(f.HalfTrace(a), reference.HalfTrace(a));
            uint32_t fastCount = 9;
            uint32_t slowCount = 7;
            EXPECT_EQ(f.SolveQuadratic(u, a, fastCount), reference.SolveQuadratic(u, a, slowCount));
            EXPECT_EQ(fastCount, slowCount);
        }
    }
}

// In a ring GF(2)[t]/f with f reducible, inversion returns the Euclidean cofactor t with
// t a = gcd(f, a); the fast path must find the same cofactor.
TEST(PBFieldAgainstReference, ReduciblePolynomialsGiveTheEuclideanCofactor) {
    const LongIntegerClass p = BitsAt({3, 1, 0});  // t^3 + t + 1
    const LongIntegerClass q = BitsAt({5, 2, 0});  // t^5 + t^2 + 1
    const LongIntegerClass f =
        PBBaseField::PolynomialMultiply(PBBaseField::PolynomialMultiply(p, q), BitsAt({80, 9, 0}));
    const PBBaseField field(f);
    const PBReferenceField reference(field);
    ASSERT_FALSE(field.IsIrreducible());
    Random random(5);
    std::vector<LongIntegerClass> inputs = {p, q, PBBaseField::PolynomialMultiply(p, q)};
    for (int i = 0; i < 20; ++i) inputs.push_back(random.NonZero(field.Degree()));
    for (const LongIntegerClass& a : inputs) {
        EXPECT_EQ(field.Invert(a), reference.Invert(a)) << Hex(a);
    }
}

TEST(PBFieldAgainstReference, PolynomialMultiplyAndDivide) {
    Random random(6);
    for (uint32_t aBits : {1u, 17u, 64u, 65u, 700u, 4000u}) {
        for (uint32_t bBits : {1u, 63u, 130u, 4100u}) {
            const LongIntegerClass a = random.ExactBits(aBits);
            const LongIntegerClass b = random.ExactBits(bBits);
            const LongIntegerClass product = PBBaseField::PolynomialMultiply(a, b);
            ASSERT_EQ(product, QIRVALE::PBReference::PolynomialMultiply(a, b));
            ASSERT_EQ(product.BitLength(), aBits + bBits - 1);
            LongIntegerClass quotient;
            LongIntegerClass remainder;
            PBBaseField::PolynomialDivide(product, b, quotient, remainder);
            EXPECT_EQ(quotient, a);
            EXPECT_TRUE(remainder.IsZero());
            LongIntegerClass dividend = product;
            dividend.XorWith(random.Bits(bBits - 1));
            PBBaseField::PolynomialDivide(dividend, b, quotient, remainder);
            EXPECT_EQ(quotient, a);
            EXPECT_LT(remainder.BitLength(), bBits);
        }
    }
    EXPECT_TRUE(PBBaseField::PolynomialMultiply(LongIntegerClass(), random.Bits(99)).IsZero());
    LongIntegerClass q;
    LongIntegerClass r;
    EXPECT_THROW(PBBaseField::PolynomialDivide(BitsAt({5}), LongIntegerClass(), q, r),
                 DivideByZeroExceptionClass);
}

// A shared operand may hold leading zero digits (from a padded byte string); reading it must
// not normalise it, so that fields and curves can be shared between threads.
TEST(PBFieldAgainstReference, OperandsAreNotWrittenTo) {
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
    EXPECT_TRUE(PBBaseField::IsZero(LongIntegerClass()));
    EXPECT_FALSE(PBBaseField::IsZero(padded));
    EXPECT_EQ(padded.DigitCount(), 20u);
}

// ---- capacity and division by zero --------------------------------------------------------

TEST(PBFieldExceptions, InvertingZeroRaisesDivideByZero) {
    const PBBaseField f = MakeField(163, 7, 6, 3);
    EXPECT_THROW(f.Invert(LongIntegerClass()), DivideByZeroExceptionClass);
    EXPECT_THROW(f.Divide(LongIntegerClass(7u), LongIntegerClass()), DivideByZeroExceptionClass);
    uint8_t zeros[30] = {};
    EXPECT_THROW(f.Invert(PBBaseField::ElementFromBytes(zeros, 30)), DivideByZeroExceptionClass);
    const PBBaseField large = MakeField(5000, 7, 3, 1);
    EXPECT_THROW(large.Invert(LongIntegerClass()), DivideByZeroExceptionClass);
}

// Products and squares outgrow a LongIntegerClass exactly where the shift-and-add and
// digit-spreading algorithms do: probed on a grid of operand lengths around the limit.
TEST(PBFieldExceptions, CapacityLimitsMatchTheReference) {
    const PBBaseField f = MakeField(5000, 7, 3, 1);
    const PBReferenceField reference(f);
    Random random(7);
    for (uint32_t aBits : {4079u, 4080u, 4081u, 4095u, 4096u, 4097u, 4112u, 4113u}) {
        for (uint32_t bBits : {4080u, 4081u, 4082u, 4096u, 4097u, 4098u, 4113u, 4114u}) {
            const LongIntegerClass a = random.ExactBits(aBits);
            const LongIntegerClass b = random.ExactBits(bBits);
            LongIntegerClass fast;
            LongIntegerClass slow;
            const bool fastRaised =
                Raises<OutOfMemoryExceptionClass>([&] { fast = f.Multiply(a, b); });
            const bool slowRaised =
                Raises<OutOfMemoryExceptionClass>([&] { slow = reference.Multiply(a, b); });
            ASSERT_EQ(fastRaised, slowRaised) << aBits << " x " << bBits;
            ASSERT_EQ(fast, slow);
            const bool polyRaised =
                Raises<OutOfMemoryExceptionClass>([&] { PBBaseField::PolynomialMultiply(a, b); });
            ASSERT_EQ(polyRaised, slowRaised) << aBits << " x " << bBits;
        }
        const LongIntegerClass a = random.ExactBits(aBits);
        LongIntegerClass fast;
        LongIntegerClass slow;
        const bool fastRaised = Raises<OutOfMemoryExceptionClass>([&] { fast = f.Square(a); });
        const bool slowRaised =
            Raises<OutOfMemoryExceptionClass>([&] { slow = reference.Square(a); });
        ASSERT_EQ(fastRaised, aBits > 4096);
        ASSERT_EQ(slowRaised, aBits > 4096);
        ASSERT_EQ(fast, slow);
    }
    // In a small field an unreduced operand of more than 4096 bits cannot be squared either.
    const PBBaseField small = MakeField(163, 7, 6, 3);
    EXPECT_THROW(small.Square(random.ExactBits(4097)), OutOfMemoryExceptionClass);
    EXPECT_THROW(small.Trace(random.ExactBits(5000)), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(small.Square(random.ExactBits(4096)));
}

// In a field of degree above 4096 the iterated squares of a full-length element outgrow the
// capacity; the fast chains raise exactly when the reference chains do.
TEST(PBFieldExceptions, LargeFieldChainsMatchTheReference) {
    const PBBaseField f = MakeField(4200, 7, 3, 1);
    const PBReferenceField reference(f);
    Random random(8);
    const LongIntegerClass small = random.ExactBits(60);
    const LongIntegerClass full = random.ExactBits(4150);
    EXPECT_THROW(f.Trace(full), OutOfMemoryExceptionClass);
    EXPECT_THROW(reference.Trace(full), OutOfMemoryExceptionClass);
    EXPECT_THROW(f.SquareRoot(small), OutOfMemoryExceptionClass);
    EXPECT_THROW(reference.SquareRoot(small), OutOfMemoryExceptionClass);
    EXPECT_EQ(f.Square(small), reference.Square(small));
    const bool fastRaised = Raises<OutOfMemoryExceptionClass>([&] { f.Invert(full); });
    const bool slowRaised = Raises<OutOfMemoryExceptionClass>([&] { reference.Invert(full); });
    EXPECT_EQ(fastRaised, slowRaised);
}

// ---- field identities on recommended fields --------------------------------------------

TEST(PBFieldIdentities, InverseSquareRootAndTrace) {
    for (const Exponents& e :
         {Exponents{163, 7, 6, 3}, Exponents{167, 6, 0, 0}, Exponents{257, 12, 0, 0},
          Exponents{431, 5, 3, 1}, Exponents{233, 9, 4, 1}}) {
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        Random random(9000 + e.m);
        EXPECT_EQ(f.Invert(f.One()), f.One());
        EXPECT_EQ(f.Trace(f.One()), e.m % 2 ? f.One() : f.Zero());
        for (int i = 0; i < 10; ++i) {
            const LongIntegerClass a = random.NonZero(e.m);
            const LongIntegerClass b = random.Bits(e.m);
            EXPECT_EQ(f.Multiply(a, f.Invert(a)), f.One()) << e.m << " " << Hex(a);
            EXPECT_EQ(f.Divide(f.Multiply(b, a), a), b);
            EXPECT_EQ(f.SquareRoot(f.Square(a)), a);
            EXPECT_EQ(f.Square(f.SquareRoot(a)), a);
            EXPECT_EQ(f.Square(a), f.Multiply(a, a));
            EXPECT_EQ(f.Multiply(a, b), f.Multiply(b, a));
            LongIntegerClass product = a;
            f.MultiplyInPlace(product, b);
            EXPECT_EQ(product, f.Multiply(a, b));
            const LongIntegerClass trace = f.Trace(a);
            EXPECT_TRUE(trace == f.Zero() || trace == f.One());
            EXPECT_TRUE(PBBaseField::IsZero(f.Trace(f.Add(a, f.Square(a)))));
            // Trace is additive.
            LongIntegerClass sum = f.Trace(a);
            f.AddInPlace(sum, f.Trace(b));
            EXPECT_EQ(f.Trace(f.Add(a, b)), sum);
            if (e.m % 2 == 1 && PBBaseField::IsZero(trace)) {
                const LongIntegerClass z = f.HalfTrace(a);
                EXPECT_EQ(f.Add(f.Square(z), z), a);
            }
        }
    }
}

TEST(PBFieldIdentities, SolveQuadratic) {
    for (const Exponents& e :
         {Exponents{163, 7, 6, 3}, Exponents{167, 6, 0, 0}, Exponents{431, 5, 3, 1}}) {
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        Random random(9500 + e.m);
        const LongIntegerClass w0 = random.Bits(e.m);
        uint32_t count = 7;
        EXPECT_EQ(f.SolveQuadratic(f.Zero(), w0, count), f.SquareRoot(w0));
        EXPECT_EQ(count, 1u);
        EXPECT_TRUE(f.SolveQuadratic(random.NonZero(e.m), f.Zero(), count).IsZero());
        EXPECT_EQ(count, 2u);
        int solved = 0;
        int unsolvable = 0;
        for (int i = 0; i < 12; ++i) {
            const LongIntegerClass u = random.NonZero(e.m);
            const LongIntegerClass w = random.NonZero(e.m);
            const LongIntegerClass z = f.SolveQuadratic(u, w, count);
            const LongIntegerClass v = f.Divide(w, f.Square(u));
            if (count == 0) {
                ++unsolvable;
                EXPECT_EQ(f.Trace(v), f.One());
                EXPECT_TRUE(z.IsZero());
                continue;
            }
            ++solved;
            ASSERT_EQ(count, 2u);
            EXPECT_TRUE(PBBaseField::IsZero(f.Trace(v)));
            for (const LongIntegerClass& root : {z, f.Add(z, u)}) {
                LongIntegerClass lhs = f.Square(root);
                f.AddInPlace(lhs, f.Multiply(u, root));
                EXPECT_EQ(lhs, w);
            }
        }
        EXPECT_GT(solved, 0);
        EXPECT_GT(unsolvable, 0);
    }
}

// For even m the half-trace solves nothing: every equation with Trace(w / u^2) = 0 must still
// get a true root, and exactly the others none (exhaustive for m = 4 and 8, sampled for 10).
TEST(PBFieldIdentities, SolveQuadraticForEvenDegrees) {
    for (const Exponents& e :
         {Exponents{4, 1, 0, 0}, Exponents{8, 4, 3, 1}, Exponents{10, 3, 0, 0}}) {
        SCOPED_TRACE(e.m);
        const PBBaseField f = MakeField(e.m, e.k, e.j, e.l);
        ASSERT_TRUE(f.IsIrreducible());
        Random random(9700 + e.m);
        const uint32_t limit = e.m <= 8 ? (1u << e.m) : 200;
        int solved = 0;
        for (uint32_t i = 1; i < limit; ++i) {
            const LongIntegerClass w = e.m <= 8 ? LongIntegerClass(i) : random.NonZero(e.m);
            const LongIntegerClass u = i % 3 == 0 ? f.One() : random.NonZero(e.m);
            uint32_t count = 9;
            const LongIntegerClass z = f.SolveQuadratic(u, w, count);
            const bool traceZero = PBBaseField::IsZero(f.Trace(f.Divide(w, f.Square(u))));
            ASSERT_EQ(count, traceZero ? 2u : 0u) << Hex(w);
            if (!traceZero) continue;
            ++solved;
            LongIntegerClass lhs = f.Square(z);
            f.AddInPlace(lhs, f.Multiply(u, z));
            EXPECT_EQ(lhs, w) << Hex(u) << " " << Hex(w);
            EXPECT_LE(z.BitLength(), e.m);
        }
        EXPECT_GT(solved, 0);
    }
}

// ---- irreducibility -----------------------------------------------------------------------

TEST(PBFieldIrreducibility, RecommendedAndKnownPolynomialsAreIrreducible) {
    for (const Exponents& e : kStandardFields) {
        EXPECT_TRUE(MakeField(e.m, e.k, e.j, e.l).IsIrreducible()) << e.m;
    }
    // Primitive trinomials of Mersenne-prime degree, and the polynomial of AES.
    for (const LongIntegerClass& f :
         {BitsAt({127, 1, 0}), BitsAt({521, 32, 0}), BitsAt({607, 105, 0}), BitsAt({1279, 216, 0}),
          BitsAt({2281, 715, 0}), BitsAt({4423, 271, 0}), BitsAt({8, 4, 3, 1, 0}),
          BitsAt({2, 1, 0}), BitsAt({1, 0}), BitsAt({1})}) {
        EXPECT_TRUE(PBBaseField::IsIrreduciblePolynomial(f)) << f.BitLength();
    }
}

TEST(PBFieldIrreducibility, ReduciblePolynomialsAreRefused) {
    const LongIntegerClass big1 = BitsAt({4423, 271, 0});
    const LongIntegerClass big2 = BitsAt({2281, 715, 0});
    for (const LongIntegerClass& f :
         {LongIntegerClass(), LongIntegerClass(1u), BitsAt({2, 0}), BitsAt({4, 2, 0}),
          BitsAt({163, 7, 6, 3}), BitsAt({163, 7, 6, 3, 0, 1}), BitsAt({8, 4, 3, 2, 1, 0}),
          PBBaseField::PolynomialMultiply(BitsAt({127, 1, 0}), BitsAt({3, 1, 0})),
          PBBaseField::PolynomialMultiply(big1, big2),
          PBBaseField::PolynomialMultiply(big1, BitsAt({1, 0})),
          PBBaseField::PolynomialMultiply(BitsAt({2281, 715, 0}), BitsAt({2281, 715, 0}))}) {
        EXPECT_FALSE(PBBaseField::IsIrreduciblePolynomial(f)) << Hex(f);
    }
}

// The number of irreducible polynomials of degree n over GF(2) is (1/n) sum over d | n of
// mu(d) 2^(n/d); the test must find exactly that many among all polynomials of each degree.
TEST(PBFieldIrreducibility, CountsAgreeWithTheNecklaceFormula) {
    const uint32_t expected[] = {0, 2, 1, 2, 3, 6, 9, 18, 30, 56, 99, 186, 335};
    for (uint32_t n = 1; n <= 12; ++n) {
        uint32_t found = 0;
        for (uint32_t low = 0; low < (1u << n); ++low) {
            LongIntegerClass f(low);
            f.SetBit(n, true);
            if (PBBaseField::IsIrreduciblePolynomial(f)) ++found;
        }
        EXPECT_EQ(found, expected[n]) << "degree " << n;
    }
}

TEST(PBFieldIrreducibility, WorksUpToTheLargestDegree) {
    // Degree 8191 (prime) and 8190 (= 2 * 3^2 * 5 * 7 * 13), with terms close to both ends.
    const LongIntegerClass f1 = BitsAt({8191, 8190, 4000, 1, 0});
    const LongIntegerClass f2 = BitsAt({8190, 17, 5, 2, 0});
    const bool r1 = PBBaseField::IsIrreduciblePolynomial(f1);
    const bool r2 = PBBaseField::IsIrreduciblePolynomial(f2);
    // Cross-check on the reciprocal polynomials, which are irreducible exactly when these are.
    LongIntegerClass g1;
    LongIntegerClass g2;
    for (uint32_t b : {8191u, 8190u, 4000u, 1u, 0u}) g1.SetBit(8191 - b, true);
    for (uint32_t b : {8190u, 17u, 5u, 2u, 0u}) g2.SetBit(8190 - b, true);
    EXPECT_EQ(PBBaseField::IsIrreduciblePolynomial(g1), r1);
    EXPECT_EQ(PBBaseField::IsIrreduciblePolynomial(g2), r2);
}

}  // namespace
