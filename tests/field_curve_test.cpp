// The binary fields and their curves: the polynomial basis against the reference field, the
// normal basis against its defining algorithms, curves against the published tables and keys,
// the group law, and the isomorphism between the bases.
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/binary_words.h"
#include "binfield/onb_conversion.h"
#include "binfield/onb_field.h"
#include "binfield/pb_field.h"
#include "binfield/pb_field_reference.h"
#include "curve/curve.h"
#include "frame/exceptions.h"
#include "pb_test_helpers.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace {

using namespace QIRVALE;
using PBReference::PBReferenceField;
using pbtest::MakeField;
using Element = LongIntegerClass;
using Bits = std::vector<uint32_t>;
using Pairs = std::vector<Bits>;
using Json = qirvale_test::Json;
using PB = CurveParameters<PBBaseField>;
using ONB = CurveParameters<ONBBaseField>;
using PBPoint = AffinePoint<PBBaseField>;

Element BitsAt(const Bits& bits) {
    Element v;
    for (uint32_t b : bits) v.SetBit(b, true);
    return v;
}

// Hex strings: little-endian bytes in memory order (or big-endian), and big-endian out.
Element FromHex(const std::string& hex, bool bigEndian = false) {
    const qirvale_test::Bytes bytes = qirvale_test::FromHex(hex.size() % 2 ? "0" + hex : hex);
    Element v;
    v.FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), bigEndian ? 1 : 0);
    return v;
}

std::string Hex(const Element& v) {
    qirvale_test::Bytes bytes(v.ByteLength() + 1);
    v.ToBytes(bytes.data(), uint32_t(bytes.size()), 1);
    return qirvale_test::ToHex(bytes);
}

// A seeded source of random values, so every run sees the same inputs.
class Random {
  public:
    explicit Random(uint64_t seed) : engine(seed) {}

    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(engine() % bound); }
    // Uniform below 2^bits; of bit length exactly `bits`; non-zero below 2^bits.
    Element Bits(uint32_t bits) {
        Element v;
        uint64_t word = 0;
        for (uint32_t b = 0; b < bits; ++b) {
            if (b % 64 == 0) word = engine();
            if ((word >> (b % 64)) & 1) v.SetBit(b, true);
        }
        return v;
    }
    Element ExactBits(uint32_t bits) { return Bits(bits - 1) + BitsAt({bits - 1}); }
    Element NonZero(uint32_t bits) {
        Element v = Bits(bits);
        return v.IsZero() ? NonZero(bits) : v;
    }

  private:
    std::mt19937_64 engine;
};

const Json& Data() {
    static const Json data = qirvale_test::ReadJson("binary-fields.json");
    return data;
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

// z^2 + u z = w: u = 0 gives the square root, w = 0 the roots 0 and u; otherwise roots z and
// z + u exactly when Trace(w / u^2) = 0, else none and z = 0. Every w for m <= 8.
template <class Field>
void CheckQuadratics(const Field& f, Random& random) {
    const uint32_t m = f.Degree();
    std::vector<Element> ws;
    for (uint32_t i = 1; i < (m <= 8 ? (1u << m) : 30); ++i)
        ws.push_back(m <= 8 ? Element(i) : random.NonZero(m));
    uint32_t count = 7, seen[3] = {};
    const Element w0 = random.Bits(m);
    EXPECT_EQ(f.SolveQuadratic(f.Zero(), w0, count), f.SquareRoot(w0));
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(f.SolveQuadratic(random.NonZero(m), f.Zero(), count).IsZero());
    EXPECT_EQ(count, 2u);
    for (std::size_t i = 0; i < ws.size(); ++i) {
        const Element u = i % 3 == 0 ? f.One() : random.NonZero(m);
        const Element z = f.SolveQuadratic(u, ws[i], count);
        const bool traceZero = f.Trace(f.Divide(f.Divide(ws[i], u), u)) == f.Zero();
        ASSERT_EQ(count, traceZero ? 2u : 0u) << m << " " << Hex(ws[i]);
        ++seen[count];
        if (!traceZero) {
            EXPECT_TRUE(z.IsZero()) << m;
            continue;
        }
        for (const Element& root : {z, f.Add(z, u)})
            EXPECT_EQ(f.Add(f.Square(root), f.Multiply(u, root)), ws[i]) << m;
    }
    EXPECT_TRUE(m <= 3 || (seen[0] > 0 && seen[2] > 0)) << m;
}

// Every operation equals the reference field's, on the standard fields and on polynomials
// with terms close to t^m, small, word-aligned or reducible; unreduced operands too.
TEST(PBField, EqualsTheReferenceField) {
    std::vector<std::pair<PBBaseField, bool>> fields;
    for (const Bits& e : Data()["pb_standard_fields"].get<std::vector<Bits>>())
        fields.emplace_back(MakeField(e[0], e[1], e[2], e[3]), true);
    for (const Bits& bits : Data()["pb_test_polynomials"].get<std::vector<Bits>>())
        fields.emplace_back(PBBaseField(BitsAt(bits)), false);
    for (const auto& [f, standard] : fields) {
        const PBReferenceField reference(f);
        const uint32_t m = f.Degree();
        SCOPED_TRACE("m=" + std::to_string(m) + " k=" + std::to_string(f.ExponentK()));
        Random random(1000 + m + f.ExponentK());
        Element ones;
        for (uint32_t b = 0; b + 1 < 2 * m; ++b) ones.SetBit(b, true);
        std::vector<Element> wide = {ones, BitsAt({2 * m - 2}), random.ExactBits(2 * m + 70)};
        for (uint32_t bits :
             {m + 1, m + 2, m + 63, m + 64, m + 65, 2 * m - 2, 2 * m - 1, 2 * m - 1})
            if (bits <= 2 * m - 1) wide.push_back(random.Bits(bits));
        for (const Element& c : wide) {
            Element fast = c, slow = c;
            f.Reduce(fast);
            reference.Reduce(slow);
            ASSERT_EQ(fast, slow) << Hex(c);
        }
        std::vector<Element> operands = {BitsAt({m - 1}), f.FieldPolynomial()};
        for (int i = 0; i < 6; ++i) operands.push_back(random.NonZero(m));
        if (standard)
            for (uint32_t bits : {m + 1, 2 * m - 1, 2 * m + 5, 3 * m})
                operands.push_back(random.ExactBits(bits));
        for (const Element& a : operands) {
            SCOPED_TRACE("a = " + Hex(a));
            const Element b = random.Bits(m), u = random.NonZero(m);
            ASSERT_EQ(f.Multiply(a, b), reference.Multiply(a, b));
            ASSERT_EQ(f.Multiply(b, a), reference.Multiply(b, a));
            ASSERT_EQ(f.Square(a), reference.Square(a));
            ASSERT_EQ(f.Invert(a), reference.Invert(a));
            if (!standard) continue;
            EXPECT_EQ(f.SquareRoot(a), reference.SquareRoot(a));
            EXPECT_EQ(f.Trace(a), reference.Trace(a));
            EXPECT_EQ(f.HalfTrace(a), reference.HalfTrace(a));
            uint32_t fastCount = 9, slowCount = 7;
            EXPECT_EQ(f.SolveQuadratic(u, a, fastCount), reference.SolveQuadratic(u, a, slowCount));
            EXPECT_EQ(fastCount, slowCount);
        }
    }
    // A multiple of f inverts to 0, the Euclidean cofactor.
    const PBBaseField f = MakeField(163, 7, 6, 3);
    EXPECT_TRUE(f.Invert(f.PolynomialMultiply(f.FieldPolynomial(), BitsAt({3, 0}))).IsZero());
}

// Zero has no inverse; products and squares outgrow a long integer where the reference does.
TEST(PBField, CapacityLimitsAndZeroMatchTheReference) {
    const PBBaseField f = MakeField(5000, 7, 3, 1), small = MakeField(163, 7, 6, 3);
    const Element paddedZero = PBBaseField::ElementFromBytes(qirvale_test::Bytes(30).data(), 30);
    EXPECT_THROW(small.Invert(paddedZero), DivideByZeroExceptionClass);
    EXPECT_THROW(f.Divide(Element(7u), paddedZero), DivideByZeroExceptionClass);
    const PBReferenceField reference(f);
    Random random(7);
    for (uint32_t aBits : {4079u, 4080u, 4081u, 4095u, 4096u, 4097u, 4112u, 4113u}) {
        const Element a = random.ExactBits(aBits);
        for (uint32_t bBits : {4080u, 4081u, 4082u, 4096u, 4097u, 4098u, 4113u, 4114u}) {
            const Element b = random.ExactBits(bBits);
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
    EXPECT_THROW(small.Square(random.ExactBits(4097)), OutOfMemoryExceptionClass);
    EXPECT_THROW(small.Trace(random.ExactBits(5000)), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(small.Square(random.ExactBits(4096)));
    // Degree above 4096: the squares of a full-length element outgrow the capacity.
    const PBBaseField large = MakeField(4200, 7, 3, 1);
    EXPECT_THROW(large.Trace(random.ExactBits(4150)), OutOfMemoryExceptionClass);
    EXPECT_THROW(large.SquareRoot(random.ExactBits(60)), OutOfMemoryExceptionClass);
}

// Products and quotients; shared operands are only read; quadratics of odd and even degree;
// Rabin's irreducibility test on known polynomials and on all those of degree up to 12.
TEST(PBField, PolynomialsQuadraticsAndIrreducibility) {
    Random random(6);
    for (uint32_t aBits : {1u, 17u, 64u, 65u, 700u, 4000u}) {
        for (uint32_t bBits : {1u, 63u, 130u, 4100u}) {
            const Element a = random.ExactBits(aBits), b = random.ExactBits(bBits);
            const Element product = PBBaseField::PolynomialMultiply(a, b);
            ASSERT_EQ(product, QIRVALE::PBReference::PolynomialMultiply(a, b));
            const Element noise = random.Bits(bBits - 1);
            Element quotient, remainder, dividend = product;
            dividend.XorWith(noise);
            PBBaseField::PolynomialDivide(dividend, b, quotient, remainder);
            EXPECT_EQ(quotient, a);
            EXPECT_EQ(remainder, noise);
        }
    }
    Element q, r;
    EXPECT_THROW(PBBaseField::PolynomialDivide(BitsAt({5}), Element(), q, r),
                 DivideByZeroExceptionClass);
    const PBBaseField f = MakeField(163, 7, 6, 3);
    uint8_t bytes[40] = {0x35, 0x12, 0x77};
    const Element padded = PBBaseField::ElementFromBytes(bytes, sizeof bytes), other(12345u);
    EXPECT_EQ(f.Multiply(padded, other), f.Multiply(other, padded));
    EXPECT_FALSE(f.Square(padded).IsZero() || f.Invert(padded).IsZero() ||
                 f.SquareRoot(padded).IsZero());
    EXPECT_EQ(f.Trace(padded), f.Trace(f.Square(padded)));
    EXPECT_EQ(padded.DigitCount(), 20u);
    const PBBaseField scan(BitsAt({40, 30, 20, 10, 5}));  // the top three middle terms
    EXPECT_EQ(scan.ExponentK() * 10000 + scan.ExponentJ() * 100 + scan.ExponentL(), 302010u);
    for (const Bits& bits : Data()["pb_quadratic_polynomials"].get<std::vector<Bits>>())
        CheckQuadratics(PBBaseField(BitsAt(bits)), random);
    for (const Bits& bits : Data()["irreducible"].get<std::vector<Bits>>())
        EXPECT_TRUE(PBBaseField::IsIrreduciblePolynomial(BitsAt(bits))) << bits[0];
    for (const Bits& bits : Data()["reducible"].get<std::vector<Bits>>())
        EXPECT_FALSE(PBBaseField::IsIrreduciblePolynomial(BitsAt(bits))) << Hex(BitsAt(bits));
    for (const auto& pair : Data()["reducible_products"].get<std::vector<std::vector<Bits>>>()) {
        const Element product = PBBaseField::PolynomialMultiply(BitsAt(pair[0]), BitsAt(pair[1]));
        EXPECT_FALSE(PBBaseField::IsIrreduciblePolynomial(product)) << Hex(product);
    }
    // All polynomials of degree n <= 12 hold (1/n) sum over d | n of mu(d) 2^(n/d) irreducible.
    const Bits counts = Data()["irreducible_counts"].get<Bits>();
    for (uint32_t n = 1; n < counts.size(); ++n) {
        uint32_t found = 0;
        for (uint32_t low = 0; low < (1u << n); ++low)
            found += PBBaseField::IsIrreduciblePolynomial(Element(low) + BitsAt({n}));
        EXPECT_EQ(found, counts[n]) << "degree " << n;
    }
}

// ---- the normal basis: the defining algorithms on long integers; squaring rotates right ----

Element RotateLeft(Element v, uint32_t w, uint32_t k) {
    const uint32_t r = k % w;
    if (r == 0) return v;
    Element low(v);
    low.TruncateBits(w - r);
    v.ShiftRight(w - r);
    v.XorShifted(low, r);
    return v;
}
Element Square(const ONBBaseField& f, const Element& a, uint32_t times = 1) {
    return RotateLeft(a, f.Degree(), f.Degree() - times % f.Degree());
}

Pairs TableOf(const ONBBaseField& field) {
    Pairs pairs;
    for (uint32_t e = 0; e < field.MultiplicationTableLength(); ++e)
        pairs.push_back(
            {field.MultiplicationTable()[e].row, field.MultiplicationTable()[e].column});
    return pairs;
}

// Per table pair (i, j): R ^= (a rotated left by i) & (b rotated left by j), X kept rotated.
Element Multiply(const ONBBaseField& f, const Element& a, const Element& b) {
    Element r, x(a);
    uint32_t s = 0;
    for (const Bits& pair : TableOf(f)) {
        const uint32_t i = pair[0], j = pair[1];
        x = RotateLeft(x, f.Degree(), i >= s ? i - s : f.Degree() - (s - i));
        s = i;
        Element y = RotateLeft(b, f.Degree(), j);
        y.AndWith(x);
        r.XorWith(y);
    }
    return r;
}

// The Itoh-Tsujii chain for a^(2^m - 2), every squaring a separate rotation.
Element Invert(const ONBBaseField& f, const Element& a) {
    const uint32_t n = f.Degree() - 1;
    Element b(a);
    uint32_t k = 1;
    for (int s = int(Element(n).BitLength()) - 2; s >= 0; --s) {
        Element t(b);
        for (uint32_t i = 0; i < k; ++i) t = Square(f, t);
        b = Multiply(f, b, t);
        k *= 2;
        if ((n >> s) & 1) b = Multiply(f, Square(f, b), a), k += 1;
    }
    return Square(f, b);
}

// a + a^(2^s) + a^(2^2s) + ..., `terms` terms: the trace (s = 1) and half-trace (s = 2).
Element SumOfPowers(const ONBBaseField& f, const Element& a, uint32_t s, uint32_t terms) {
    Element v(a);
    for (uint32_t i = 1; i < terms; ++i) {
        v = Square(f, v, s);
        v.XorWith(a);
    }
    return v;
}

// Exactly the degrees of a type II basis are accepted; their tables hold, in order and once
// each, the 2m - 1 pairs (i, j) with 2^i +- 2^j = +-1 mod 2m + 1; 8174 is the largest.
TEST(ONBField, AcceptsExactlyTheTypeTwoBasesWithTheirTables) {
    Bits accepted;
    for (uint32_t m = 1; m <= 2000; ++m) {
        try {
            const ONBBaseField field(m);
            accepted.push_back(m);
            if (m > 300 && m != 431) continue;
            const uint32_t p = 2 * m + 1;
            Bits power(m);
            for (uint32_t i = 0, v = 1; i < m; ++i, v = 2 * v % p) power[i] = v;
            const Pairs pairs = TableOf(field);
            ASSERT_EQ(pairs.size(), 2 * m - 1);
            for (std::size_t e = 0; e < pairs.size(); ++e) {
                const uint32_t a = power[pairs[e][0]], b = power[pairs[e][1]];
                ASSERT_TRUE((a + b + 1) % p == 0 || (a + b + p - 1) % p == 0 ||
                            (a + p - b + 1) % p == 0 || (a + 2 * p - b - 1) % p == 0)
                    << m << " " << e;
                ASSERT_TRUE(e == 0 || pairs[e - 1] < pairs[e]) << m;
            }
        } catch (const AssertExceptionClass&) {
        }
    }
    EXPECT_EQ(accepted, Data()["onb_type_two_degrees_to_2000"].get<Bits>());
    EXPECT_EQ(ONBBaseField(8174).MultiplicationTableLength(), 2 * 8174u - 1);
    for (uint32_t m : Data()["onb_refused_degrees"].get<Bits>())
        EXPECT_THROW(ONBBaseField{m}, AssertExceptionClass) << m;
    for (uint32_t m : Data()["onb_degrees_beyond_capacity"].get<Bits>())
        EXPECT_THROW(ONBBaseField{m}, OutOfMemoryExceptionClass) << m;
}

// Degrees up to 70, the standard ones and two beyond 512 (rotations through shifted windows);
// operands of more than m bits are not checked and give the algorithms' literal results.
TEST(ONBField, OperationsEqualTheLiteralAlgorithms) {
    Random random(1);
    Bits degrees = {173, 179, 191, 233, 431, 515, 606};
    for (uint32_t m : Data()["onb_type_two_degrees_to_2000"].get<Bits>())
        if (m <= 70) degrees.push_back(m);
    for (uint32_t m : degrees) {
        const ONBBaseField f(m);
        for (const Element& a : {random.Bits(m), random.Bits(m), f.One()}) {
            const Element b = random.Bits(m);
            ASSERT_EQ(f.Multiply(a, b), Multiply(f, a, b)) << m;
            ASSERT_EQ(f.Multiply(a, a), Multiply(f, a, a)) << m;
        }
        if (m > 431 || m % 3 != 2) continue;  // a sample of odd and even degrees
        const Element one = f.One();
        EXPECT_EQ(f.Trace(one), m % 2 == 1 ? one : f.Zero()) << m;
        for (int trial = 0; trial < 3; ++trial) {
            const Element a = random.NonZero(m), b = random.NonZero(m), c = random.Bits(m);
            EXPECT_EQ(f.Multiply(a, f.Invert(a)), one) << m;
            EXPECT_EQ(f.Divide(f.Multiply(a, b), b), a) << m;
            EXPECT_EQ(f.Trace(c), SumOfPowers(f, c, 1, m)) << m;
            EXPECT_EQ(f.HalfTrace(c), SumOfPowers(f, c, 2, (m + 1) / 2)) << m;
        }
        CheckQuadratics(f, random);
    }
    for (uint32_t m : {1u, 2u, 3u, 5u, 14u, 53u, 173u}) {
        const ONBBaseField f(m);
        const Element small = random.Bits(m), big = random.ExactBits(m + 1 + random.Below(130));
        const Element other = random.ExactBits(m + 1 + random.Below(130));
        EXPECT_EQ(f.Multiply(big, small), Multiply(f, big, small)) << m;
        EXPECT_EQ(f.Multiply(big, other), Multiply(f, big, other)) << m;
        EXPECT_EQ(f.Square(big), Square(f, big)) << m;
        EXPECT_EQ(f.SquareRoot(big), RotateLeft(big, m, 1)) << m;
        EXPECT_EQ(f.Invert(big), Invert(f, big)) << m;
        // Only far larger operands keep the chain's products above 2^m.
        const Element huge = random.ExactBits(8000 + random.Below(193));
        if (m < 100) {
            EXPECT_EQ(f.Invert(huge), Invert(f, huge)) << m;
        }
    }
    const ONBBaseField f(173);
    const Element huge = random.ExactBits(8192), small = random.Bits(173);
    EXPECT_EQ(f.Multiply(huge, small), Multiply(f, huge, small));
    EXPECT_EQ(f.Square(huge), Square(f, huge));
    EXPECT_EQ(f.SquareRoot(huge), RotateLeft(huge, 173, 1));
}

// Only Add and the traces check their operands; zero has no inverse; copies own their tables;
// byte strings are zero-filled or truncated.
TEST(ONBField, CheckedOperationsOwnershipAndBytes) {
    const ONBBaseField field(5);
    const Element bitM(0b100000u);
    EXPECT_EQ(field.Add(Element(0b11111u), Element(1u)), Element(0b11110u));
    EXPECT_THROW(field.Add(bitM, Element(1u)), AssertExceptionClass);
    EXPECT_THROW(field.Add(Element(1u), bitM), AssertExceptionClass);
    EXPECT_THROW(field.Trace(bitM), AssertExceptionClass);
    EXPECT_THROW(field.HalfTrace(bitM), AssertExceptionClass);
    const Element paddedZero = ONBBaseField::ElementFromBytes(qirvale_test::Bytes(8).data(), 8);
    EXPECT_THROW(ONBBaseField(173).Invert(paddedZero), AssertExceptionClass);
    EXPECT_THROW(field.Divide(field.One(), Element()), AssertExceptionClass);

    ONBBaseField original(173), target(5);
    const Element a = BitsAt({172, 3, 1}), b = BitsAt({170, 64, 0}),
                  product = original.Multiply(a, b);
    target = ONBBaseField::CopyField(original);
    original.DestroyField();
    original.DestroyField();  // a second destruction does nothing
    ONBBaseField moved(std::move(target));
    EXPECT_TRUE(original.MultiplicationTable() == nullptr && target.Degree() == 0);
    EXPECT_THROW(moved = original, AssertExceptionClass);  // an unbuilt field
    EXPECT_THROW(original.Multiply(Element(1u), Element(1u)), AssertExceptionClass);
    EXPECT_EQ(moved.Multiply(a, b), product);

    qirvale_test::GuardedBuffer wide(5), narrow(2);
    ONBBaseField::ElementToBytes(Element(0x030201u), wide.data(), 5, 1);
    ONBBaseField::ElementToBytes(Element(0x030201u), narrow.data(), 2);
    EXPECT_EQ(qirvale_test::ToHex(wide.bytes()) + qirvale_test::ToHex(narrow.bytes()),
              "00000302010102");
    EXPECT_TRUE(wide.Intact() && narrow.Intact());
}

const Json& Standard() {
    static const Json data = qirvale_test::ReadJson("standard-data.json");
    return data;
}

Element Of(const uint8_t* bytes, uint32_t length) {
    return PBBaseField::ElementFromBytes(bytes, length);
}

// The standard curve of degree m from the library's record; its published table record.
const Json& Record(uint32_t m) {
    for (const Json& c : Standard()["dstu4145_pb_curves"])
        if (c["m"].get<uint32_t>() == m) return c;
    throw std::runtime_error("no curve of degree " + std::to_string(m));
}
PB PBCurve(uint32_t m) {
    const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(Record(m)["index"].get<uint16_t>());
    return PB(MakeField(info->m, info->k, info->j, info->l), info->coefficientA != 0,
              Of(info->coefficientB, info->coefficientBLength));
}
ONB ONBCurve(uint16_t index) {
    const ONBCurveInfo* info = QIRVALEDSTU4145DataONBCurveInfoPtr(index);
    return ONB(ONBBaseField(info->m), info->coefficientA != 0,
               Of(info->coefficientB, info->coefficientBLength));
}
template <class Field = PBBaseField>
AffinePoint<Field> BasePoint(const Json& record) {
    const Json& g = record["published_base_point"];
    return AffinePoint<Field>(FromHex(g["x_le"]), FromHex(g["y_le"]));
}

template <class Field>
std::string Str(const AffinePoint<Field>& p) {
    return Hex(p.x) + ", " + Hex(p.y) + (p.atInfinity ? " at infinity" : "");
}

// The published base point passes the check, (n - 1) G = -G, and packing round-trips.
template <class Field>
void CheckPublishedPoint(const CurveParameters<Field>& c, const Json& record) {
    const Element n = FromHex(record["n_le"]);
    const AffinePoint<Field> g = BasePoint<Field>(record);
    EXPECT_TRUE(CheckBasePoint(c, n, g.x, g.y));
    EXPECT_EQ(Str(ScalarMultiply(c, n - Element(1u), g)), Str(NegatePoint(c, g)));
    EXPECT_EQ(Str(UnpackPoint(c, PackPoint(c, g))), Str(g));
}

// A record of the library (either basis) against the published curve: m, A, B and n.
template <class Info>
void CheckRecord(const Info* info, const Json& record) {
    ASSERT_NE(info, nullptr);
    EXPECT_EQ((Bits{info->m, info->coefficientA}), (Bits{record["m"], record["A"]}));
    const auto published = [&](const char* key) { return qirvale_test::HexBytes(record[key]); };
    EXPECT_EQ(
        qirvale_test::Bytes(info->coefficientB, info->coefficientB + info->coefficientBLength),
        published("B_le"));
    EXPECT_EQ(qirvale_test::Bytes(info->order, info->order + info->orderLength), published("n_le"));
}

TEST(CurveTables, RecordsMatchThePublishedCurvesAndTheirBasePoints) {
    for (uint16_t index : {0, 1, 100, 111, 200, 201, 206, 301, 0xFFFF})
        EXPECT_EQ(QIRVALEDSTU4145DataPBCurveInfoPtr(index), nullptr) << index;
    for (uint16_t index : {0, 1, 100, 101, 111, 200, 206, 301, 0xFFFF})
        EXPECT_EQ(QIRVALEDSTU4145DataONBCurveInfoPtr(index), nullptr) << index;
    ASSERT_EQ(Standard()["dstu4145_pb_curves"].size(), 10u);
    for (const Json& record : Standard()["dstu4145_pb_curves"]) {
        const PBCurveInfo* info =
            QIRVALEDSTU4145DataPBCurveInfoPtr(record["index"].get<uint16_t>());
        CheckRecord(info, record);
        EXPECT_EQ((Bits{info->k, info->j, info->l}), (Bits{record["k"], record["j"], record["l"]}));
        CheckPublishedPoint(PBCurve(info->m), record);
    }
    ASSERT_EQ(Standard()["dstu4145_onb_curves"].size(), 5u);
    for (const Json& record : Standard()["dstu4145_onb_curves"]) {
        CheckRecord(QIRVALEDSTU4145DataONBCurveInfoPtr(record["index"].get<uint16_t>()), record);
        CheckPublishedPoint(ONBCurve(record["index"].get<uint16_t>()), record);
    }
}

// Q = -(d P) and F_e = x(e P) of the worked example (m = 163), Q of a published m = 173 one.
TEST(CurveArithmetic, PublicKeysOfPublishedExamples) {
    const Json& be = Standard()["dstu4145_pb163_example"]["be"];
    const Json& v = Standard()["dstu4145_more_published_pb_vectors"]["vectors"]["pb173"];
    const PB c = PBCurve(163), c173(PBCurve(173).field, false, FromHex(v["B_be"], true));
    const PBPoint p(FromHex(be["Px"], true), FromHex(be["Py"], true));
    const PBPoint p173(FromHex(v["Px_be"], true), FromHex(v["Py_be"], true));
    EXPECT_EQ(Str(NegatePoint(c, ScalarMultiply(c, FromHex(be["d"], true), p))),
              Str(PBPoint(FromHex(be["Qx"], true), FromHex(be["Qy"], true))));
    EXPECT_EQ(ScalarMultiply(c, FromHex(be["e"], true), p).x, FromHex(be["Fe"], true));
    EXPECT_EQ(Str(NegatePoint(c173, ScalarMultiply(c173, FromHex(v["d_be"], true), p173))),
              Str(PBPoint(FromHex(v["Qx_be"], true), FromHex(v["Qy_be"], true))));
}

// Generated base points (A = 1 and A = 0) obey the group law; the reference field agrees.
TEST(CurveArithmetic, GroupLawAndTheReferenceField) {
    using Reference = PBReference::PBReferenceField;
    for (uint32_t m : {163u, 173u, 257u}) {
        const PB c = PBCurve(m);
        const Element n = FromHex(Record(m)["n_le"]);
        const CurveParameters<Reference> slow(Reference(c.field), !c.a.IsZero(), c.b);
        Random random(100 + m);
        PBPoint g, unchanged(BitsAt({1}), BitsAt({2}));
        for (int i = 0; i < 64 && !GenerateBasePoint(c, n, random.Bits(m), g);) ++i;
        ASSERT_TRUE(CheckBasePoint(c, n, g.x, g.y)) << m;
        EXPECT_FALSE(GenerateBasePoint(c, n, Element(), unchanged));  // U = 0: order 2
        EXPECT_EQ(Str(unchanged), Str(PBPoint(BitsAt({1}), BitsAt({2}))));
        const PBPoint minusG = NegatePoint(c, g), infinity;
        EXPECT_TRUE(AddPoints(c, g, minusG).atInfinity);
        EXPECT_TRUE(ScalarMultiply(c, Element(), g).atInfinity &&
                    NegatePoint(c, infinity).atInfinity);
        EXPECT_EQ(Str(ScalarMultiply(c, Element(1u), g)), Str(g));
        const Element a = random.Bits(n.BitLength() - 1), b = random.Bits(n.BitLength() - 1);
        const PBPoint aG = ScalarMultiply(c, a, g), bG = ScalarMultiply(c, b, g);
        EXPECT_EQ(Str(ScalarMultiply(c, a + b, g)), Str(AddPoints(c, aG, bG))) << m;
        EXPECT_EQ(Str(AddPoints(c, infinity, aG)), Str(aG));
        EXPECT_EQ(Str(AddPoints(c, aG, infinity)), Str(aG));
        EXPECT_EQ(Str(aG), Str(ScalarMultiply(slow, a, AffinePoint<Reference>(g.x, g.y)))) << m;
        // Scalars around n reach the projective sum of equal points and, with n inside the
        // scalar, pass through infinity and back.
        const PBPoint twoG = AddPoints(c, g, g);
        EXPECT_EQ(Str(ScalarMultiply(c, n + Element(2u), g)), Str(twoG));
        EXPECT_EQ(Str(ScalarMultiply(c, n - Element(2u), g)), Str(NegatePoint(c, twoG)));
        EXPECT_EQ(Str(ScalarMultiply(c, (n << 8) + Element(1u), g)), Str(g));
    }
}

// Signed digits sum to k, none adjacent, the top one positive (which fixes them); overflow raises.
TEST(CurveArithmetic, NonAdjacentForm) {
    Random random(21);
    Element nonZero(99u), negative(99u);
    RecodeNonAdjacent(Element(), nonZero, negative);
    EXPECT_TRUE(nonZero.IsZero() && negative.IsZero());
    for (int i = 0; i < 200; ++i) {
        const uint32_t bits = 1 + random.Below(i < 20 ? 8 : 600);
        const Element k = random.ExactBits(bits);
        RecodeNonAdjacent(k, nonZero, negative);
        Element positive = nonZero, adjacent = nonZero;
        positive.XorWith(negative);
        EXPECT_EQ(positive - negative, k);
        adjacent.AndWith(nonZero >> 1);
        EXPECT_TRUE(adjacent.IsZero());
        const uint32_t top = nonZero.BitLength() - 1;
        EXPECT_TRUE((top == bits - 1 || top == bits) && !negative.TestBit(top));
    }
    Element full;
    for (uint32_t b = 0; b < 8192; ++b) full.SetBit(b, true);
    EXPECT_THROW(RecodeNonAdjacent(full, nonZero, negative), OutOfMemoryExceptionClass);
}

// Packing, and the failures: values without a point, each condition of the base-point check,
// sums of unrelated points with one x, doubling x = 0, and (normal basis) a y above 2^m.
TEST(CurveArithmetic, PackingAndHostilePoints) {
    const PB c = PBCurve(163);
    const PBBaseField& f = c.field;
    const Element n = FromHex(Record(163)["n_le"]);
    const PBPoint g = BasePoint(Record(163)), two = UnpackPoint(c, Element());
    EXPECT_TRUE(PackPoint(c, PBPoint()).IsZero());
    EXPECT_TRUE(two.x.IsZero() && f.Square(two.y) == c.b && !two.atInfinity);
    Element packed = PackPoint(c, g), expected = g.x;
    expected.SetBit(0, !PBBaseField::IsZero(f.Trace(f.Divide(g.y, g.x))));
    EXPECT_EQ(packed, expected);
    packed.SetBit(0, !packed.TestBit(0));
    EXPECT_EQ(Str(UnpackPoint(c, packed)), Str(NegatePoint(c, g)));
    const PB c167 = PBCurve(167);
    Random random(600);
    int raised = 0;
    for (int i = 0; i < 16; ++i) {
        try {
            const PBPoint p = UnpackPoint(c167, random.NonZero(167));
            EXPECT_TRUE(IsCurvePoint(c167, p.x, p.y) && c167.field.Trace(p.x) == c167.a);
        } catch (const GeneralExceptionClass& e) {
            raised += typeid(e) == typeid(GeneralExceptionClass);
        }
    }
    EXPECT_TRUE(raised > 0 && raised < 16) << raised;
    EXPECT_THROW(UnpackPoint(PBCurve(257), Element(1u)), DivideByZeroExceptionClass);

    EXPECT_FALSE(CheckBasePoint(c, n, Element(), Element()));
    EXPECT_FALSE(CheckBasePoint(c, n, g.x + BitsAt({163}), g.y));  // the same element, unreduced
    EXPECT_FALSE(CheckBasePoint(c, n, g.x, g.y + BitsAt({163})));
    EXPECT_FALSE(CheckBasePoint(c, n, g.x, f.Add(g.y, f.One())));
    const PBPoint p = AddPoints(c, g, two);  // on the curve, of order 2n
    EXPECT_TRUE(IsCurvePoint(c, p.x, p.y) && !CheckBasePoint(c, n, p.x, p.y));
    EXPECT_TRUE(CheckBasePoint(c, n + n, p.x, p.y));
    EXPECT_FALSE(CheckBasePoint(c, n, two.x, two.y));
    EXPECT_TRUE(ScalarMultiply(c, Element(2u), two).atInfinity);
    EXPECT_THROW(AddPoints(c, g, PBPoint(g.x, Element(5u))), AssertExceptionClass);
    EXPECT_THROW(AddPoints(c, two, two), DivideByZeroExceptionClass);
    EXPECT_EQ(Str(NegatePoint(c, two)), Str(two));
    const AffinePoint<ONBBaseField> wide(BitsAt({3}), BitsAt({180, 1}));
    EXPECT_THROW(ScalarMultiply(ONBCurve(201), Element(3u), wide), AssertExceptionClass);
    EXPECT_TRUE(ScalarMultiply(ONBCurve(201), Element(), wide).atInfinity);
}

// For each standard degree the maps are mutually inverse and carry the unit, B, squares and
// products across; the normal-basis curve maps onto the other, multiples onto multiples.
TEST(ONBConversion, IsAFieldIsomorphismMappingCurveOntoCurve) {
    for (uint32_t m : {0u, 1u, 5u, 163u, 174u, 257u, 432u})
        EXPECT_EQ(ONBConversion::ForDegree(m), nullptr);
    for (uint16_t index = 201; index <= 205; ++index) {
        const ONB onb = ONBCurve(index);
        const uint32_t m = onb.field.Degree();
        const PB pb = PBCurve(m);
        const ONBConversion* conversion = ONBConversion::ForDegree(m);
        SCOPED_TRACE(m);
        ASSERT_NE(conversion, nullptr);
        const auto convert = [&](const Element& a, bool toPolynomialBasis) {  // in place
            ONBConversion::Word w[ONBConversion::kMaxWords] = {};
            BinaryWords::LoadLowBits(a, m, w);
            toPolynomialBasis ? conversion->ToPolynomialBasis(w, w)
                              : conversion->ToNormalBasis(w, w);
            Element r;
            BinaryWords::StoreWords(r, w, conversion->WordCount());
            return r;
        };
        EXPECT_EQ(convert(onb.field.One(), true), pb.field.One());
        EXPECT_EQ(convert(onb.b, true), pb.b);
        Random random(m);
        std::vector<Element> values = {Element(), onb.field.One(), onb.field.One() - Element(1u)};
        for (const Bits& bits : std::vector<Bits>{{0}, {1}, {63}, {64}, {m - 1}, {0, m - 1}})
            values.push_back(BitsAt(bits));
        for (int i = 0; i < 14; ++i) values.push_back(random.Bits(m));
        std::vector<Element> images;
        for (const Element& a : values) {
            images.push_back(convert(a, true));
            EXPECT_EQ(convert(images.back(), false), a);
            EXPECT_EQ(convert(convert(a, false), true), a);
            EXPECT_EQ(convert(onb.field.Square(a), true), pb.field.Square(images.back()));
        }
        for (size_t i = 0; i < values.size(); ++i)
            for (size_t j = i; j < values.size(); ++j)
                ASSERT_EQ(convert(onb.field.Multiply(values[i], values[j]), true),
                          pb.field.Multiply(images[i], images[j]))
                    << i << " " << j;
        const Element n = FromHex(Record(m)["n_le"]);
        AffinePoint<ONBBaseField> base;
        for (uint32_t u = 2; u < 64 && !GenerateBasePoint(onb, n, Element(u), base);) ++u;
        const PBPoint image(convert(base.x, true), convert(base.y, true));
        EXPECT_TRUE(CheckBasePoint(pb, n, image.x, image.y));
        const Element k = random.Bits(n.BitLength() - 1);
        const auto q = ScalarMultiply(onb, k, base);
        EXPECT_EQ(Str(PBPoint(convert(q.x, true), convert(q.y, true))),
                  Str(ScalarMultiply(pb, k, image)));
    }
}

}  // namespace
