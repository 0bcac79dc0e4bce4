// The optimal-normal-basis field: the multiplication table against the defining loop over
// all pairs, the word-level arithmetic against straightforward long-integer versions of the
// defining algorithms (also for operands of more than m bits), the field laws, the checked
// and unchecked operations, the field object's ownership, and the standard curves' base
// points as an outside check of the multiplication.
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/onb_field.h"
#include "frame/exceptions.h"
#include "support/test_support.h"

namespace {

using QIRVALE::AssertExceptionClass;
using QIRVALE::MultiplicationTableEntry;
using QIRVALE::ONBBaseField;
using QIRVALE::OutOfMemoryExceptionClass;
using Element = QIRVALE::LongIntegerClass;
using Pairs = std::vector<std::pair<uint32_t, uint32_t>>;

// Degrees below 450 that have a type II optimal normal basis, so that the table gives a field.
const uint32_t kFieldDegrees[] = {1, 2, 3, 5, 6, 11, 14, 23, 26, 53, 173, 179, 191, 233, 431, 515};
const uint32_t kStandardDegrees[] = {173, 179, 191, 233, 431};
// The standard degrees, and two beyond 512, where products read their rotations through
// shifted windows instead of shifted copies (one odd, one even).
const uint32_t kLargeDegrees[] = {173, 179, 191, 233, 431, 515, 606};

// ---- straightforward references --------------------------------------------------------

Element Bits(uint32_t value) {
    return Element(value);
}

// Rotations within w bits built from a truncated copy, a shift and an exclusive-or.
Element RotateLeftWithin(Element v, uint32_t w, uint32_t k) {
    const uint32_t r = k % w;
    if (r == 0) return v;
    Element low(v);
    low.TruncateBits(w - r);
    v.ShiftRight(w - r);
    v.XorShifted(low, r);
    return v;
}
Element RotateRightWithin(Element v, uint32_t w, uint32_t k) {
    const uint32_t r = k % w;
    if (r == 0) return v;
    Element low(v);
    low.TruncateBits(r);
    v.ShiftRight(r);
    v.XorShifted(low, w - r);
    return v;
}

// The table by the loop over all m^2 pairs with exact powers and long-integer remainders.
// b = 2^j mod p depends only on the column, so each is computed once instead of in every row.
// Returns false when the degree is refused.
bool ReferenceTable(uint32_t m, Pairs& pairs) {
    pairs.clear();
    const uint32_t p = 2 * m + 1;
    std::vector<int32_t> columnResidue(m);
    Element v(1u);
    for (uint32_t j = 0; j < m; ++j, v.ShiftLeft(1)) columnResidue[j] = v.ModuloUInt32(p);
    Element u(1u);
    const int32_t sp = int32_t(p);
    for (uint32_t i = 0; i < m; ++i, u.ShiftLeft(1)) {
        const int32_t a = int32_t(u.ModuloUInt32(p));
        for (uint32_t j = 0; j < m; ++j) {
            const int32_t b = columnResidue[j];
            if ((a + b + 1) % sp == 0 || (a + b - 1) % sp == 0 || (a - b + 1) % sp == 0 ||
                (a - b - 1) % sp == 0) {
                if (pairs.size() == 2 * m - 1) return false;
                pairs.emplace_back(i, j);
            }
        }
    }
    return pairs.size() == 2 * m - 1;
}

Pairs TableOf(const ONBBaseField& field) {
    Pairs pairs;
    const MultiplicationTableEntry* table = field.MultiplicationTable();
    for (uint32_t e = 0; e < field.MultiplicationTableLength(); ++e)
        pairs.emplace_back(table[e].row, table[e].column);
    return pairs;
}

// The stated criterion for a type II optimal normal basis, computed directly: 2m + 1 prime,
// and 2 of order 2m modulo 2m + 1, or of order m with 2m + 1 = 3 (mod 4).
bool TypeTwoBasis(uint32_t m) {
    const uint32_t p = 2 * m + 1;
    for (uint32_t d = 2; d < p; ++d) {
        if (p % d == 0) return false;
    }
    uint32_t order = 1;
    for (uint32_t x = 2 % p; x != 1; x = 2 * x % p) ++order;
    return order == 2 * m || (order == m && p % 4 == 3);
}

// R = 0, X = a, s = 0; per pair (i, j) of the table: X rotated to a rotated left by i,
// R ^= X & (b rotated left by j).
Element MultiplyByPairs(const Pairs& pairs, uint32_t m, const Element& a, const Element& b) {
    Element r, x(a);
    uint32_t s = 0;
    for (const auto& [i, j] : pairs) {
        if (i > s) x = RotateLeftWithin(x, m, i - s);
        if (i < s) x = RotateRightWithin(x, m, s - i);
        s = i;
        Element y = RotateLeftWithin(b, m, j);
        y.AndWith(x);
        r.XorWith(y);
    }
    return r;
}

Element ReferenceMultiply(const ONBBaseField& field, const Element& a, const Element& b) {
    return MultiplyByPairs(TableOf(field), field.Degree(), a, b);
}

Element ReferenceSquare(const ONBBaseField& field, const Element& a) {
    return RotateRightWithin(a, field.Degree(), 1);
}

// The Itoh-Tsujii chain, every squaring a separate rotation.
Element ReferenceInvert(const ONBBaseField& field, const Element& a) {
    const uint32_t n = field.Degree() - 1;
    Element b(a);
    uint32_t k = 1;
    for (int s = int(Bits(n).BitLength()) - 2; s >= 0; --s) {
        Element t(b);
        for (uint32_t q = 0; q < k; ++q) t = ReferenceSquare(field, t);
        b = ReferenceMultiply(field, b, t);
        k *= 2;
        if ((n >> s) & 1) {
            b = ReferenceMultiply(field, ReferenceSquare(field, b), a);
            k += 1;
        }
    }
    return ReferenceSquare(field, b);
}

Element ReferenceTrace(const ONBBaseField& field, const Element& a) {
    Element v(a);
    for (uint32_t i = 1; i < field.Degree(); ++i) v = field.Add(ReferenceSquare(field, v), a);
    return v;
}

Element ReferenceHalfTrace(const ONBBaseField& field, const Element& a) {
    Element v(a);
    for (uint32_t i = 0; i < (field.Degree() - 1) / 2; ++i)
        v = field.Add(ReferenceSquare(field, ReferenceSquare(field, v)), a);
    return v;
}

// Deterministic random values.
class Random {
  public:
    explicit Random(uint64_t seed) : engine_(seed) {}
    // A uniformly random value below 2^bits.
    Element Below(uint32_t bits) {
        std::vector<uint8_t> bytes((bits + 7) / 8);
        for (auto& byte : bytes) byte = uint8_t(engine_());
        Element v;
        v.FromBytes(bytes.data(), uint32_t(bytes.size()));
        v.TruncateBits(bits);
        return v;
    }
    Element NonZeroBelow(uint32_t bits) {
        for (;;) {
            Element v = Below(bits);
            if (!v.IsZero()) return v;
        }
    }
    // A value of exactly `bits` bits.
    Element Exactly(uint32_t bits) {
        Element v = Below(bits);
        v.SetBit(bits - 1, true);
        return v;
    }
    uint32_t Uniform(uint32_t low, uint32_t high) {
        return std::uniform_int_distribution<uint32_t>(low, high)(engine_);
    }

  private:
    std::mt19937_64 engine_;
};

// ---- the table -------------------------------------------------------------------------

TEST(ONBTable, ExamplesAndTheDegreesItAccepts) {
    EXPECT_EQ(TableOf(ONBBaseField(1)), (Pairs{{0, 0}}));
    EXPECT_EQ(TableOf(ONBBaseField(2)), (Pairs{{0, 1}, {1, 0}, {1, 1}}));
    EXPECT_EQ(TableOf(ONBBaseField(3)), (Pairs{{0, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 2}}));
    EXPECT_EQ(TableOf(ONBBaseField(5)),
              (Pairs{{0, 1}, {1, 0}, {1, 3}, {2, 3}, {2, 4}, {3, 1}, {3, 2}, {4, 2}, {4, 4}}));
    EXPECT_THROW(ONBBaseField(0), AssertExceptionClass);
    EXPECT_THROW(ONBBaseField(4), AssertExceptionClass);
    EXPECT_THROW(ONBBaseField(12), AssertExceptionClass);  // 25 is not prime
    EXPECT_EQ(ONBBaseField(173).MultiplicationTableLength(), 345u);
}

// The degrees accepted are exactly those of the criterion, and their tables equal the loop
// over all pairs. The other degrees whose loop also finds 2m - 1 pairs (m = 12, 24, 60, 84,
// 148, 180, 181 and 218 up to 300) give a product that is not associative: no field.
TEST(ONBTable, AcceptsExactlyTheTypeTwoBases) {
    std::vector<uint32_t> degrees;
    for (uint32_t m = 1; m <= 300; ++m) degrees.push_back(m);
    degrees.insert(degrees.end(), std::begin(kStandardDegrees), std::end(kStandardDegrees));
    Random random(3);
    uint32_t accepted = 0, tablesWithoutField = 0;
    Pairs expected;
    for (uint32_t m : degrees) {
        const bool table = ReferenceTable(m, expected);
        if (TypeTwoBasis(m)) {
            ++accepted;
            ASSERT_TRUE(table) << "m = " << m;
            EXPECT_EQ(TableOf(ONBBaseField(m)), expected) << "m = " << m;
            continue;
        }
        EXPECT_THROW(ONBBaseField{m}, AssertExceptionClass) << "m = " << m;
        if (!table) continue;
        ++tablesWithoutField;
        bool associative = true;
        for (int trial = 0; trial < 8 && associative; ++trial) {
            const Element a = random.Below(m), b = random.Below(m), c = random.Below(m);
            associative = MultiplyByPairs(expected, m, MultiplyByPairs(expected, m, a, b), c) ==
                          MultiplyByPairs(expected, m, a, MultiplyByPairs(expected, m, b, c));
        }
        EXPECT_FALSE(associative) << "m = " << m;
    }
    EXPECT_EQ(accepted, 66u + 5u);
    EXPECT_EQ(tablesWithoutField, 8u);
    // Beyond the reference tables, acceptance alone.
    for (uint32_t m = 301; m <= 2000; ++m) {
        bool built = true;
        try {
            ONBBaseField field(m);
        } catch (const AssertExceptionClass&) {
            built = false;
        }
        EXPECT_EQ(built, TypeTwoBasis(m)) << "m = " << m;
    }
}

TEST(ONBTable, LargestDegreesAndTheCapacityLimit) {
    // 8174 is the largest accepted degree within the limit: 2m - 1 stored entries, each a
    // pair (2^i +- 2^j = +-1 mod 2m + 1), in order.
    const uint32_t m = 8174, p = 2 * m + 1;
    std::vector<uint32_t> power(m);
    for (uint32_t i = 0, v = 1; i < m; ++i, v = 2 * v % p) power[i] = v;
    const Pairs pairs = TableOf(ONBBaseField(m));
    ASSERT_EQ(pairs.size(), 2 * m - 1);
    for (std::size_t e = 0; e < pairs.size(); ++e) {
        const uint32_t a = power[pairs[e].first], b = power[pairs[e].second];
        ASSERT_TRUE((a + b + 1) % p == 0 || (a + b + p - 1) % p == 0 || (a + p - b + 1) % p == 0 ||
                    (a + 2 * p - b - 1) % p == 0)
            << e;
        if (e > 0) {
            ASSERT_LT(pairs[e - 1], pairs[e]);
        }
    }
    EXPECT_THROW(ONBBaseField(8176), AssertExceptionClass);  // 16353 = 3 * 5451
    // Beyond the limit the powers no longer fit a long integer, whatever the pair count
    // (8181 and 65535 would otherwise pass it and fail it); nothing is allocated.
    for (uint32_t big : {8177u, 8181u, 65535u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
        EXPECT_THROW(ONBBaseField{big}, OutOfMemoryExceptionClass) << big;
    // Powers of 2 that repeat with a short period (p = 8191 = 2^13 - 1) are refused quickly.
    EXPECT_THROW(ONBBaseField(4095), AssertExceptionClass);
}

// ---- arithmetic against the references ---------------------------------------------------

TEST(ONBArithmetic, DegreeFiveExamples) {
    const ONBBaseField field(5);
    const Element beta = Bits(0b10000);
    EXPECT_EQ(field.One(), Bits(0b11111));
    EXPECT_EQ(field.Multiply(beta, beta), Bits(0b01000));
    EXPECT_EQ(field.Square(beta), Bits(0b01000));
    EXPECT_EQ(field.Multiply(beta, field.Square(beta)), Bits(0b10010));
    EXPECT_EQ(field.Invert(beta), Bits(0b11001));
    EXPECT_EQ(field.SquareRoot(Bits(0b01000)), beta);
    EXPECT_EQ(field.CompressionBitIndex(), 4u);
}

// Multiply equals the table algorithm for every accepted degree up to 70 and the large
// degrees; operands of more than m bits (up to the capacity) reach Multiply, Square,
// SquareRoot and Invert unchecked, and give the results of the algorithms taken literally.
TEST(ONBArithmetic, OperationsEqualTheLiteralAlgorithms) {
    Random random(1);
    std::vector<uint32_t> degrees(std::begin(kLargeDegrees), std::end(kLargeDegrees));
    for (uint32_t m = 1; m <= 70; ++m) {
        if (TypeTwoBasis(m)) degrees.push_back(m);
    }
    for (uint32_t m : degrees) {
        const ONBBaseField field(m);
        for (int trial = 0; trial < 3; ++trial) {
            const Element a = random.Below(m), b = random.Below(m);
            EXPECT_EQ(field.Multiply(a, b), ReferenceMultiply(field, a, b)) << m;
        }
        EXPECT_EQ(field.Multiply(field.One(), field.One()),
                  ReferenceMultiply(field, field.One(), field.One()))
            << m;
    }
    for (uint32_t m : {1u, 2u, 3u, 5u, 14u, 53u, 173u}) {
        const ONBBaseField field(m);
        const Element small = random.Below(m);
        const Element big = random.Exactly(m + random.Uniform(1, 130));
        const Element other = random.Exactly(m + random.Uniform(1, 130));
        EXPECT_EQ(field.Multiply(big, small), ReferenceMultiply(field, big, small)) << m;
        EXPECT_EQ(field.Multiply(small, big), ReferenceMultiply(field, small, big)) << m;
        EXPECT_EQ(field.Multiply(big, other), ReferenceMultiply(field, big, other)) << m;
        EXPECT_EQ(field.Square(big), ReferenceSquare(field, big)) << m;
        EXPECT_EQ(field.SquareRoot(big), RotateLeftWithin(big, m, 1)) << m;
        EXPECT_EQ(field.Invert(big), ReferenceInvert(field, big)) << m;
        if (m < 100) {
            // Products stay above 2^m only for operands far larger than the field, and only
            // then does the chain square a value of more than m bits several times in a row.
            const Element huge = random.Exactly(random.Uniform(8000, 8192));
            EXPECT_EQ(field.Invert(huge), ReferenceInvert(field, huge)) << m;
        }
    }
    const ONBBaseField field(173);
    const Element huge = random.Exactly(8192), ones = random.Below(173);
    EXPECT_EQ(field.Multiply(huge, ones), ReferenceMultiply(field, huge, ones));
    EXPECT_EQ(field.Square(huge), ReferenceSquare(field, huge));
    EXPECT_EQ(field.SquareRoot(huge), RotateLeftWithin(huge, 173, 1));
}

// The field laws, the traces against their definitions, and the quadratic solver: a root
// exactly when Trace(v / u^2) = 0, for odd and even degrees.
TEST(ONBArithmetic, FieldLawsTracesAndQuadratics) {
    Random random(4);
    for (uint32_t m : kFieldDegrees) {
        const ONBBaseField field(m);
        const Element one = field.One();
        EXPECT_EQ(field.Invert(one), one) << m;
        EXPECT_EQ(field.Trace(one), m % 2 == 1 ? one : field.Zero()) << m;
        for (int trial = 0; trial < 3; ++trial) {
            const Element a = random.NonZeroBelow(m), b = random.NonZeroBelow(m),
                          c = random.Below(m);
            const Element ab = field.Multiply(a, b);
            EXPECT_EQ(field.Multiply(a, one), a) << m;
            EXPECT_EQ(field.Multiply(a, a), field.Square(a)) << m;
            EXPECT_EQ(field.SquareRoot(field.Square(a)), a) << m;
            EXPECT_EQ(field.Multiply(a, field.Invert(a)), one) << m;
            EXPECT_EQ(field.Multiply(a, field.Add(b, c)), field.Add(ab, field.Multiply(a, c))) << m;
            EXPECT_EQ(field.Divide(ab, b), a) << m;
            EXPECT_EQ(field.Trace(c), ReferenceTrace(field, c)) << m;
            EXPECT_EQ(field.HalfTrace(c), ReferenceHalfTrace(field, c)) << m;
        }
        uint32_t count = 99;
        const Element w = random.Below(m);
        EXPECT_EQ(field.SolveQuadratic(field.Zero(), w, count), field.SquareRoot(w));
        EXPECT_EQ(count, 1u);
        EXPECT_EQ(field.SolveQuadratic(one, field.Zero(), count), field.Zero());
        EXPECT_EQ(count, 2u);
        uint32_t seen[3] = {};
        for (int trial = 0; trial < 12; ++trial) {
            const Element u = random.NonZeroBelow(m), v = random.NonZeroBelow(m);
            const Element z = field.SolveQuadratic(u, v, count);
            const Element t = field.Divide(field.Divide(v, u), u);
            ASSERT_LE(count, 2u);
            ++seen[count];
            EXPECT_EQ(count == 0, field.Trace(t) == one) << m;
            if (count == 0)
                EXPECT_TRUE(z.IsZero()) << m;
            else
                EXPECT_EQ(field.Add(field.Square(z), field.Multiply(u, z)), v) << m;
        }
        if (m > 3) {
            EXPECT_TRUE(seen[0] > 0 && seen[2] > 0) << m;
        }
    }
}

// Only Add and the traces check their operands; zero has no inverse.
TEST(ONBArithmetic, CheckedOperations) {
    const ONBBaseField field(5);
    const Element inRange = Bits(0b11111), bitM = Bits(0b100000);
    EXPECT_EQ(field.Add(inRange, Bits(1)), Bits(0b11110));
    EXPECT_THROW(field.Add(bitM, Bits(1)), AssertExceptionClass);
    EXPECT_THROW(field.Add(Bits(1), bitM), AssertExceptionClass);
    Element sum = bitM;
    field.AddInPlace(sum, inRange);
    EXPECT_EQ(sum, Bits(0b111111));
    EXPECT_NO_THROW(field.Multiply(bitM, bitM));
    EXPECT_THROW(field.Trace(bitM), AssertExceptionClass);
    EXPECT_THROW(field.HalfTrace(bitM), AssertExceptionClass);
    // With one term (m = 1) or one summand (m <= 2) there is no sum and so no check.
    EXPECT_EQ(ONBBaseField(1).Trace(Bits(6)), Bits(6));
    EXPECT_EQ(ONBBaseField(2).HalfTrace(Bits(6)), Bits(6));

    Element zero;
    const uint8_t zeros[8] = {};
    zero.FromBytes(zeros, sizeof zeros);  // an unnormalised zero is zero as well
    EXPECT_THROW(ONBBaseField(173).Invert(zero), AssertExceptionClass);
    EXPECT_THROW(field.Divide(field.One(), zero), AssertExceptionClass);
    EXPECT_THROW(ONBBaseField(1).Invert(Element()), AssertExceptionClass);
}

// ---- the field object and byte strings -------------------------------------------------

TEST(ONBFieldObject, CopiesOwnTheirTables) {
    Random random(7);
    ONBBaseField original(173);
    const ONBBaseField copy = ONBBaseField::CopyField(original);
    EXPECT_NE(copy.MultiplicationTable(), original.MultiplicationTable());
    const Element a = random.Below(173), b = random.Below(173);
    const Element product = original.Multiply(a, b);
    original.DestroyField();
    EXPECT_EQ(original.Degree(), 0u);
    EXPECT_EQ(original.MultiplicationTable(), nullptr);
    original.DestroyField();  // a second destruction does nothing
    EXPECT_EQ(copy.Multiply(a, b), product);

    // Assignment replaces the table; a self-assignment keeps it; a move leaves the source
    // unbuilt.
    ONBBaseField target(5);
    target = copy;
    const ONBBaseField& alias = target;
    target = alias;
    EXPECT_EQ(target.Multiply(a, b), product);
    ONBBaseField moved(std::move(target));
    EXPECT_EQ(target.Degree(), 0u);
    target = std::move(moved);
    EXPECT_EQ(target.Multiply(a, b), product);

    // An unbuilt field can be neither copied nor used.
    const ONBBaseField unbuilt;
    EXPECT_EQ(unbuilt.CompressionBitIndex(), 0u);
    EXPECT_EQ(unbuilt.MultiplicationTableLength(), 0u);
    EXPECT_TRUE(unbuilt.One().IsZero());
    EXPECT_THROW(ONBBaseField::CopyField(unbuilt), AssertExceptionClass);
    ONBBaseField three(3);
    EXPECT_THROW(three = unbuilt, AssertExceptionClass);
    EXPECT_EQ(three.Degree(), 3u);  // unchanged by the failed assignment
    EXPECT_THROW(unbuilt.Multiply(Bits(1), Bits(1)), AssertExceptionClass);
    EXPECT_THROW(unbuilt.Square(Bits(1)), AssertExceptionClass);
    EXPECT_THROW(unbuilt.Invert(Bits(1)), AssertExceptionClass);
    EXPECT_THROW(unbuilt.Trace(Bits(0)), AssertExceptionClass);
}

TEST(ONBBytes, WritingFillsOrTruncatesAndReadingIsUnchecked) {
    const Element a = Bits(0x030201);
    qirvale_test::GuardedBuffer buffer(5), shortBuffer(2);
    ONBBaseField::ElementToBytes(a, buffer.data(), 5, 1);
    EXPECT_EQ(buffer.bytes(), (qirvale_test::Bytes{0, 0, 3, 2, 1}));
    ONBBaseField::ElementToBytes(a, shortBuffer.data(), 2);
    EXPECT_EQ(shortBuffer.bytes(), (qirvale_test::Bytes{1, 2}));
    ONBBaseField::ElementToBytes(a, shortBuffer.data(), 0);
    EXPECT_TRUE(buffer.Intact() && shortBuffer.Intact());
    EXPECT_EQ(ONBBaseField::ElementByteLength(a), 3u);
    const qirvale_test::Bytes bytes = qirvale_test::FromHex("0102030000");
    EXPECT_EQ(ONBBaseField::ElementFromBytes(bytes.data(), 5), a);
    EXPECT_EQ(ONBBaseField::ElementFromBytes(bytes.data(), 3, 1), Bits(0x010203));
    const std::vector<uint8_t> big(1025, 0xFF);
    EXPECT_EQ(ONBBaseField::ElementFromBytes(big.data(), 1024).BitLength(), 8192u);
    EXPECT_THROW(ONBBaseField::ElementFromBytes(big.data(), 1025), OutOfMemoryExceptionClass);
}

// ---- the standard curves ---------------------------------------------------------------

Element FromHexLE(const std::string& hex) {
    const qirvale_test::Bytes bytes = qirvale_test::FromHex(hex);
    return ONBBaseField::ElementFromBytes(bytes.data(), uint32_t(bytes.size()));
}

// x with its m bits in the opposite order: the other reading of the basis convention.
Element Reversed(const Element& x, uint32_t m) {
    Element r;
    for (uint32_t t = 0; t < m; ++t)
        if (x.TestBit(t)) r.SetBit(m - 1 - t, true);
    return r;
}

// y^2 + x*y == x^3 + A*x^2 + B.
bool OnCurve(const ONBBaseField& field, const Element& a, const Element& b, const Element& x,
             const Element& y) {
    const Element x2 = field.Square(x);
    const Element left = field.Add(field.Square(y), field.Multiply(x, y));
    const Element right = field.Add(field.Add(field.Multiply(x2, x), field.Multiply(a, x2)), b);
    return left == right;
}

TEST(ONBStandardCurves, PublishedBasePointsLieOnTheirCurves) {
    const auto data = qirvale_test::ReadJson("standard-data.json");
    const auto& curves = data["dstu4145_onb_curves"];
    ASSERT_EQ(curves.size(), 5u);
    for (const auto& curve : curves) {
        const uint32_t m = curve["m"];
        const ONBBaseField field(m);
        const Element a = curve["A"].get<int>() == 1 ? field.One() : field.Zero();
        const Element b = FromHexLE(curve["B_le"]);
        const auto& point = curve["published_base_point"];
        const Element x = FromHexLE(point["x_le"]), y = FromHexLE(point["y_le"]);
        EXPECT_TRUE(OnCurve(field, a, b, x, y)) << m;
        EXPECT_FALSE(OnCurve(field, a, Reversed(b, m), Reversed(x, m), Reversed(y, m))) << m;
        // A point of odd order has Trace(x) = Trace(A) (odd m).
        EXPECT_EQ(field.Trace(x), field.Trace(a)) << m;
    }
}

}  // namespace
