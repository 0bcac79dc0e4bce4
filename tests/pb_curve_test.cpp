// Curve arithmetic over the polynomial basis: the recommended curves and their published
// base points, the worked signature example's public key, group laws on generated base
// points, packing, the base-point check, the failure cases, the signed-digit recoding, and
// the fast field against the reference field under the same curve templates.
#include <cstdint>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/pb_field.h"
#include "binfield/pb_field_reference.h"
#include "curve/pb_curve.h"
#include "frame/exceptions.h"
#include "pb_test_helpers.h"

namespace {

using pbtest::BitsAt;
using pbtest::FromHexBE;
using pbtest::FromHexLE;
using pbtest::Hex;
using pbtest::Random;
using pbtest::StandardCurve;
using QIRVALE::AffinePoint;
using QIRVALE::AssertExceptionClass;
using QIRVALE::CurveParameters;
using QIRVALE::DivideByZeroExceptionClass;
using QIRVALE::GeneralExceptionClass;
using QIRVALE::LongIntegerClass;
using QIRVALE::PBAffinePoint;
using QIRVALE::PBBaseField;
using QIRVALE::PBCurveParameters;
using QIRVALE::PBProjectivePoint;

const std::vector<StandardCurve>& Curves() {
    static const std::vector<StandardCurve> curves = pbtest::LoadStandardCurves();
    return curves;
}

const StandardCurve& CurveOfDegree(uint32_t m) {
    for (const StandardCurve& c : Curves()) {
        if (c.m == m) return c;
    }
    throw std::runtime_error("no curve of degree " + std::to_string(m));
}

PBCurveParameters Parameters(const StandardCurve& c) {
    return PBCurveParameters(pbtest::MakeField(c.m, c.k, c.j, c.l), c.a == 1, c.b);
}

LongIntegerClass Minus(LongIntegerClass a, const LongIntegerClass& b) {
    a.Subtract(b);
    return a;
}

::testing::AssertionResult SamePoint(const PBAffinePoint& p, const PBAffinePoint& q) {
    if (p.atInfinity == q.atInfinity && p.x == q.x && p.y == q.y) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << Hex(p.x) << ", " << Hex(p.y) << ", " << int(p.atInfinity) << ") vs ("
           << Hex(q.x) << ", " << Hex(q.y) << ", " << int(q.atInfinity) << ")";
}

bool OnCurve(const PBCurveParameters& c, const PBAffinePoint& p) {
    const PBBaseField& f = c.field;
    LongIntegerClass left = f.Multiply(p.y, f.Add(p.y, p.x));
    LongIntegerClass right = f.Multiply(f.Square(p.x), f.Add(p.x, c.a));
    f.AddInPlace(right, c.b);
    return left == right;
}

// A base point generated the way a caller does it: random U until generation succeeds.
PBAffinePoint GeneratedBasePoint(const PBCurveParameters& c, const LongIntegerClass& n,
                                 Random& random, int* attempts = nullptr) {
    PBAffinePoint g;
    for (int i = 1; i <= 64; ++i) {
        if (QIRVALE::GenerateBasePoint(c, n, random.Bits(c.field.Degree()), g)) {
            if (attempts != nullptr) *attempts = i;
            return g;
        }
    }
    ADD_FAILURE() << "no base point in 64 attempts";
    return g;
}

// Projective (x Z, y Z^2, Z) of an affine point.
PBProjectivePoint Projective(const PBBaseField& f, const PBAffinePoint& p,
                             const LongIntegerClass& z) {
    return PBProjectivePoint{f.Multiply(p.x, z), f.Multiply(p.y, f.Square(z)), z};
}

PBAffinePoint Affine(const PBBaseField& f, const PBProjectivePoint& p) {
    if (PBBaseField::IsZero(p.Z)) return PBAffinePoint();
    const LongIntegerClass z = f.Invert(p.Z);
    return PBAffinePoint(f.Multiply(p.X, z), f.Multiply(f.Multiply(p.Y, z), z));
}

// ---- signed digits ----------------------------------------------------------------------

TEST(RecodeNonAdjacent, KnownExamples) {
    struct Case {
        uint32_t k, nonZero, negative;
    };
    for (const Case& c : {Case{7, 0b1001, 0b0001}, Case{5, 0b101, 0}, Case{6, 0b1010, 0b0010},
                          Case{11, 0b10101, 0b00101}, Case{1, 1, 0}, Case{3, 0b101, 0b001}}) {
        LongIntegerClass nonZero(99u);
        LongIntegerClass negative(99u);
        QIRVALE::RecodeNonAdjacent(LongIntegerClass(c.k), nonZero, negative);
        EXPECT_EQ(nonZero, LongIntegerClass(c.nonZero)) << c.k;
        EXPECT_EQ(negative, LongIntegerClass(c.negative)) << c.k;
    }
    LongIntegerClass nonZero(5u);
    LongIntegerClass negative(5u);
    QIRVALE::RecodeNonAdjacent(LongIntegerClass(), nonZero, negative);
    EXPECT_TRUE(nonZero.IsZero());
    EXPECT_TRUE(negative.IsZero());
}

TEST(RecodeNonAdjacent, DigitsSumToTheScalarWithoutAdjacentNonZeros) {
    Random random(21);
    for (int i = 0; i < 200; ++i) {
        const uint32_t bits = 1 + random.Below(600);
        const LongIntegerClass k = random.ExactBits(bits);
        LongIntegerClass nonZero;
        LongIntegerClass negative;
        QIRVALE::RecodeNonAdjacent(k, nonZero, negative);
        LongIntegerClass positive = nonZero;
        positive.XorWith(negative);
        EXPECT_EQ(Minus(positive, negative), k);
        LongIntegerClass adjacent = nonZero;
        adjacent.AndWith(nonZero >> 1);
        EXPECT_TRUE(adjacent.IsZero());
        const uint32_t top = nonZero.BitLength() - 1;
        EXPECT_TRUE(top == bits - 1 || top == bits);
        EXPECT_FALSE(negative.TestBit(top));
    }
}

TEST(RecodeNonAdjacent, ScalarOfFullCapacityWhoseTopDigitOverflowsRaises) {
    LongIntegerClass k;
    for (uint32_t b = 0; b < 8192; ++b) k.SetBit(b, true);
    LongIntegerClass nonZero;
    LongIntegerClass negative;
    EXPECT_THROW(QIRVALE::RecodeNonAdjacent(k, nonZero, negative),
                 QIRVALE::OutOfMemoryExceptionClass);
}

// ---- recommended curves and published data -----------------------------------------------

TEST(PBCurveStandard, PublishedBasePointsAreValid) {
    ASSERT_EQ(Curves().size(), 10u);
    for (const StandardCurve& s : Curves()) {
        const PBCurveParameters c = Parameters(s);
        ASSERT_TRUE(c.field.IsIrreducible()) << s.index;
        const PBAffinePoint g(s.gx, s.gy);
        EXPECT_TRUE(OnCurve(c, g)) << s.index;
        EXPECT_TRUE(QIRVALE::CheckBasePoint(c, s.n, s.gx, s.gy)) << s.index;
        const PBAffinePoint minusG =
            QIRVALE::ScalarMultiply(c, Minus(s.n, LongIntegerClass(1u)), g);
        EXPECT_TRUE(SamePoint(minusG, QIRVALE::NegatePoint(c, g))) << s.index;
        EXPECT_TRUE(SamePoint(QIRVALE::UnpackPoint(c, QIRVALE::PackPoint(c, g)), g)) << s.index;
    }
}

// The public key of the worked example of the standard (m = 163) and of a published m = 173
// example: Q = -(d P).
TEST(PBCurveStandard, PublicKeysOfPublishedExamples) {
    const qirvale_test::Json data = qirvale_test::ReadJson("standard-data.json");
    {
        const auto& be = data.at("dstu4145_pb163_example").at("be");
        const StandardCurve& s = CurveOfDegree(163);
        const PBCurveParameters c = Parameters(s);
        const PBAffinePoint p(FromHexBE(be.at("Px")), FromHexBE(be.at("Py")));
        ASSERT_TRUE(OnCurve(c, p));
        const PBAffinePoint q =
            QIRVALE::NegatePoint(c, QIRVALE::ScalarMultiply(c, FromHexBE(be.at("d")), p));
        EXPECT_EQ(q.x, FromHexBE(be.at("Qx")));
        EXPECT_EQ(q.y, FromHexBE(be.at("Qy")));
        // F_e = x(e P) of the same example.
        EXPECT_EQ(QIRVALE::ScalarMultiply(c, FromHexBE(be.at("e")), p).x, FromHexBE(be.at("Fe")));
    }
    {
        const auto& v = data.at("dstu4145_more_published_pb_vectors").at("vectors").at("pb173");
        const StandardCurve& s = CurveOfDegree(173);
        const PBCurveParameters c(pbtest::MakeField(s.m, s.k, s.j, s.l), false,
                                  FromHexBE(v.at("B_be")));
        const PBAffinePoint p(FromHexBE(v.at("Px_be")), FromHexBE(v.at("Py_be")));
        const PBAffinePoint q =
            QIRVALE::NegatePoint(c, QIRVALE::ScalarMultiply(c, FromHexBE(v.at("d_be")), p));
        EXPECT_EQ(q.x, FromHexBE(v.at("Qx_be")));
        EXPECT_EQ(q.y, FromHexBE(v.at("Qy_be")));
        EXPECT_TRUE(QIRVALE::CheckBasePoint(c, FromHexBE(v.at("n_be")), q.x, q.y));
    }
}

// ---- generated base points and group laws ------------------------------------------------

TEST(PBCurveGroupLaw, GeneratedBasePointsObeyTheGroupLaw) {
    for (uint32_t m : {163u, 167u, 173u, 257u, 431u}) {
        const StandardCurve& s = CurveOfDegree(m);
        const PBCurveParameters c = Parameters(s);
        Random random(100 + m);
        const PBAffinePoint g = GeneratedBasePoint(c, s.n, random);
        ASSERT_FALSE(g.atInfinity);
        EXPECT_TRUE(OnCurve(c, g)) << m;
        EXPECT_TRUE(QIRVALE::CheckBasePoint(c, s.n, g.x, g.y)) << m;
        EXPECT_TRUE(QIRVALE::ScalarMultiply(c, s.n, g).atInfinity) << m;

        const PBAffinePoint minusG = QIRVALE::NegatePoint(c, g);
        EXPECT_EQ(minusG.y, c.field.Add(g.x, g.y));
        EXPECT_TRUE(
            SamePoint(QIRVALE::ScalarMultiply(c, Minus(s.n, LongIntegerClass(1u)), g), minusG));
        EXPECT_TRUE(QIRVALE::AddPoints(c, g, minusG).atInfinity) << m;
        EXPECT_TRUE(SamePoint(QIRVALE::AddPoints(c, g, g),
                              QIRVALE::ScalarMultiply(c, LongIntegerClass(2u), g)));
        EXPECT_TRUE(QIRVALE::ScalarMultiply(c, LongIntegerClass(), g).atInfinity);
        EXPECT_TRUE(SamePoint(QIRVALE::ScalarMultiply(c, LongIntegerClass(1u), g), g));

        const uint32_t scalarBits = s.n.BitLength() - 1;
        const LongIntegerClass a = random.Bits(scalarBits);
        const LongIntegerClass b = random.Bits(scalarBits);
        const PBAffinePoint aG = QIRVALE::ScalarMultiply(c, a, g);
        const PBAffinePoint bG = QIRVALE::ScalarMultiply(c, b, g);
        EXPECT_TRUE(OnCurve(c, aG));
        EXPECT_TRUE(SamePoint(QIRVALE::ScalarMultiply(c, a + b, g), QIRVALE::AddPoints(c, aG, bG)))
            << m;
        EXPECT_TRUE(SamePoint(QIRVALE::UnpackPoint(c, QIRVALE::PackPoint(c, aG)), aG));
        EXPECT_TRUE(SamePoint(QIRVALE::AddPoints(c, PBAffinePoint(), aG), aG));
        EXPECT_TRUE(SamePoint(QIRVALE::AddPoints(c, aG, PBAffinePoint()), aG));
        EXPECT_TRUE(QIRVALE::NegatePoint(c, PBAffinePoint()).atInfinity);
    }
}

TEST(PBCurveGroupLaw, GenerationFailsOftenAsTheCofactorSays) {
    // Cofactor 2 (A = 1, m = 163) and 4 (A = 0, m = 173): of random U about 1/2 and 1/4
    // succeed; every success is a valid base point.
    for (uint32_t m : {163u, 173u}) {
        const StandardCurve& s = CurveOfDegree(m);
        const PBCurveParameters c = Parameters(s);
        Random random(300 + m);
        int successes = 0;
        const int trials = 24;
        for (int i = 0; i < trials; ++i) {
            PBAffinePoint p(BitsAt({1}), BitsAt({2}));
            const PBAffinePoint before = p;
            if (QIRVALE::GenerateBasePoint(c, s.n, random.Bits(m), p)) {
                ++successes;
                EXPECT_TRUE(QIRVALE::CheckBasePoint(c, s.n, p.x, p.y));
            } else {
                EXPECT_TRUE(SamePoint(p, before));
            }
        }
        EXPECT_GT(successes, 0) << m;
        EXPECT_LT(successes, s.a == 1 ? trials : trials * 3 / 4) << m;
        PBAffinePoint p;
        EXPECT_FALSE(QIRVALE::GenerateBasePoint(c, s.n, LongIntegerClass(), p));  // order 2
    }
}

TEST(PBCurveGroupLaw, ProjectiveSteps) {
    const StandardCurve& s = CurveOfDegree(163);
    const PBCurveParameters c = Parameters(s);
    const PBBaseField& f = c.field;
    const PBAffinePoint g(s.gx, s.gy);
    const PBAffinePoint twoG = QIRVALE::AddPoints(c, g, g);
    Random random(400);

    PBProjectivePoint infinity{f.One(), f.Zero(), f.Zero()};
    PBProjectivePoint doubled = infinity;
    QIRVALE::DoublePoint(c, doubled);
    EXPECT_EQ(doubled.X, f.One());
    EXPECT_TRUE(doubled.Y.IsZero() && doubled.Z.IsZero());
    QIRVALE::MixedAdd(c, infinity, g.x, g.y);
    EXPECT_EQ(infinity.X, g.x);
    EXPECT_EQ(infinity.Y, g.y);
    EXPECT_EQ(infinity.Z, f.One());

    // Equal points are doubled, with Z = One and with any other Z.
    for (const LongIntegerClass& z : {f.One(), random.NonZero(163), random.NonZero(163)}) {
        PBProjectivePoint r = Projective(f, g, z);
        QIRVALE::MixedAdd(c, r, g.x, g.y);
        EXPECT_TRUE(SamePoint(Affine(f, r), twoG)) << Hex(z);
        PBProjectivePoint d = Projective(f, g, z);
        QIRVALE::DoublePoint(c, d);
        EXPECT_TRUE(SamePoint(Affine(f, d), twoG));
        // Adding the negative gives Z = 0.
        PBProjectivePoint n = Projective(f, QIRVALE::NegatePoint(c, g), z);
        QIRVALE::MixedAdd(c, n, g.x, g.y);
        EXPECT_TRUE(n.Z.IsZero());
        // A general sum agrees with the affine one.
        PBProjectivePoint sum = Projective(f, twoG, z);
        QIRVALE::MixedAdd(c, sum, g.x, g.y);
        EXPECT_TRUE(SamePoint(Affine(f, sum), QIRVALE::AddPoints(c, twoG, g)));
    }
}

// The fast field and the reference field give the same points under the same templates.
TEST(PBCurveGroupLaw, FastFieldAgreesWithReferenceField) {
    using QIRVALE::PBReference::PBReferenceField;
    const StandardCurve& s = CurveOfDegree(163);
    const PBCurveParameters fast = Parameters(s);
    const CurveParameters<PBReferenceField> slow(PBReferenceField(fast.field), true, s.b);
    Random random(500);
    const LongIntegerClass k = random.Bits(40);
    const PBAffinePoint g(s.gx, s.gy);
    const AffinePoint<PBReferenceField> h(s.gx, s.gy);
    const PBAffinePoint p = QIRVALE::ScalarMultiply(fast, k, g);
    const AffinePoint<PBReferenceField> q = QIRVALE::ScalarMultiply(slow, k, h);
    EXPECT_EQ(p.x, q.x);
    EXPECT_EQ(p.y, q.y);
    EXPECT_EQ(QIRVALE::PackPoint(fast, p), QIRVALE::PackPoint(slow, q));
}

// ---- packing ------------------------------------------------------------------------------

TEST(PBCurvePacking, ZeroAndTheCompressionBit) {
    const StandardCurve& s = CurveOfDegree(163);
    const PBCurveParameters c = Parameters(s);
    const PBBaseField& f = c.field;
    EXPECT_TRUE(QIRVALE::PackPoint(c, PBAffinePoint()).IsZero());
    EXPECT_TRUE(QIRVALE::PackPoint(c, PBAffinePoint(LongIntegerClass(), s.gy)).IsZero());

    const PBAffinePoint t = QIRVALE::UnpackPoint(c, LongIntegerClass());
    EXPECT_TRUE(t.x.IsZero());
    EXPECT_EQ(t.y, f.SquareRoot(s.b));
    EXPECT_EQ(f.Square(t.y), s.b);
    EXPECT_FALSE(t.atInfinity);

    const PBAffinePoint g(s.gx, s.gy);
    const LongIntegerClass packed = QIRVALE::PackPoint(c, g);
    LongIntegerClass expected = s.gx;
    expected.SetBit(0, !PBBaseField::IsZero(f.Trace(f.Divide(s.gy, s.gx))));
    EXPECT_EQ(packed, expected);
    // The other compression bit gives the negative point.
    LongIntegerClass flipped = packed;
    flipped.SetBit(0, !packed.TestBit(0));
    EXPECT_TRUE(SamePoint(QIRVALE::UnpackPoint(c, flipped), QIRVALE::NegatePoint(c, g)));
}

TEST(PBCurvePacking, ValuesWithoutAPointRaiseTheBaseException) {
    const StandardCurve& s = CurveOfDegree(167);
    const PBCurveParameters c = Parameters(s);
    Random random(600);
    int raised = 0;
    for (int i = 0; i < 16; ++i) {
        const LongIntegerClass packed = random.NonZero(167);
        try {
            const PBAffinePoint p = QIRVALE::UnpackPoint(c, packed);
            EXPECT_TRUE(OnCurve(c, p));
            EXPECT_EQ(c.field.Trace(p.x), c.a);  // the compression bit was chosen for that
        } catch (const GeneralExceptionClass& e) {
            EXPECT_TRUE(typeid(e) == typeid(GeneralExceptionClass)) << typeid(e).name();
            ++raised;
        }
    }
    EXPECT_GT(raised, 0);
    EXPECT_LT(raised, 16);
    // p = 1 on a curve with A = 0 leaves x = 0, which cannot be inverted.
    const StandardCurve& s0 = CurveOfDegree(257);
    EXPECT_THROW(QIRVALE::UnpackPoint(Parameters(s0), LongIntegerClass(1u)),
                 DivideByZeroExceptionClass);
}

// ---- the base-point check and affine failures --------------------------------------------

TEST(PBCurveCheck, EachConditionRejects) {
    const StandardCurve& s = CurveOfDegree(163);
    const PBCurveParameters c = Parameters(s);
    const PBBaseField& f = c.field;
    EXPECT_TRUE(QIRVALE::CheckBasePoint(c, s.n, s.gx, s.gy));
    // 1. (0, 0).
    EXPECT_FALSE(QIRVALE::CheckBasePoint(c, s.n, LongIntegerClass(), LongIntegerClass()));
    // 2. A coordinate with bit m set (x' = x + t^163 is the same field element, so the point
    //    would otherwise pass).
    LongIntegerClass wideX = s.gx;
    wideX.SetBit(163, true);
    LongIntegerClass wideY = s.gy;
    wideY.SetBit(163, true);
    EXPECT_FALSE(QIRVALE::CheckBasePoint(c, s.n, wideX, s.gy));
    EXPECT_FALSE(QIRVALE::CheckBasePoint(c, s.n, s.gx, wideY));
    // 3. Off the curve.
    EXPECT_FALSE(QIRVALE::CheckBasePoint(c, s.n, s.gx, f.Add(s.gy, f.One())));
    // 4. On the curve, but of order 2n: G plus the point of order 2.
    const PBAffinePoint two = QIRVALE::UnpackPoint(c, LongIntegerClass());
    const PBAffinePoint p = QIRVALE::AddPoints(c, PBAffinePoint(s.gx, s.gy), two);
    ASSERT_TRUE(OnCurve(c, p));
    EXPECT_FALSE(QIRVALE::CheckBasePoint(c, s.n, p.x, p.y));
    EXPECT_TRUE(QIRVALE::CheckBasePoint(c, s.n + s.n, p.x, p.y));
    // The order-2 point itself passes the first three tests only.
    EXPECT_FALSE(QIRVALE::CheckBasePoint(c, s.n, two.x, two.y));
    EXPECT_TRUE(QIRVALE::ScalarMultiply(c, LongIntegerClass(2u), two).atInfinity);
}

TEST(PBCurveCheck, AffineAdditionFailures) {
    const StandardCurve& s = CurveOfDegree(163);
    const PBCurveParameters c = Parameters(s);
    const PBAffinePoint g(s.gx, s.gy);
    // Equal x, y neither equal nor negated: not two points of one curve.
    EXPECT_THROW(QIRVALE::AddPoints(c, g, PBAffinePoint(s.gx, LongIntegerClass(5u))),
                 AssertExceptionClass);
    // Doubling a point with x = 0 divides by zero.
    const PBAffinePoint two = QIRVALE::UnpackPoint(c, LongIntegerClass());
    EXPECT_THROW(QIRVALE::AddPoints(c, two, two), DivideByZeroExceptionClass);
    // It is its own negative, so adding its negative takes the same doubling path.
    EXPECT_TRUE(SamePoint(QIRVALE::NegatePoint(c, two), two));
}

// ---- sharing ----------------------------------------------------------------------------

// One curve, order and base point read by several threads at once (B given with padding
// bytes, as a caller's string may carry): every thread gets the single-threaded results.
TEST(PBCurveSharing, ConcurrentCallsOnOneCurve) {
    const StandardCurve& s = CurveOfDegree(163);
    uint8_t paddedB[40] = {};
    s.b.ToBytes(paddedB, sizeof paddedB, 0);
    const PBCurveParameters c(pbtest::MakeField(163, 7, 6, 3), true,
                              PBBaseField::ElementFromBytes(paddedB, sizeof paddedB));
    const PBAffinePoint g(s.gx, s.gy);
    Random random(700);
    std::vector<LongIntegerClass> scalars;
    std::vector<PBAffinePoint> expected;
    for (int i = 0; i < 4; ++i) {
        scalars.push_back(random.Bits(162));
        expected.push_back(QIRVALE::ScalarMultiply(c, scalars.back(), g));
    }
    std::vector<int> matches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                const PBAffinePoint p = QIRVALE::ScalarMultiply(c, scalars[t], g);
                const bool same = p.x == expected[t].x && p.y == expected[t].y &&
                                  QIRVALE::CheckBasePoint(c, s.n, p.x, p.y) &&
                                  c.field.One() == LongIntegerClass(1u);
                matches[t] += same ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(matches[t], 3) << t;
}

// ---- the template serves a field whose Add is checked ----------------------------------

// PBBaseField with the normal basis's checked Add: it counts its calls and raises
// AssertExceptionClass for an operand of more than m bits.
class CheckedAddField : public PBBaseField {
  public:
    explicit CheckedAddField(const PBBaseField& f) : PBBaseField(f) {}
    Element Add(const Element& a, const Element& b) const {
        ++calls;
        if (a.BitLength() > Degree() || b.BitLength() > Degree()) {
            throw AssertExceptionClass();
        }
        return PBBaseField::Add(a, b);
    }
    static int calls;
};
int CheckedAddField::calls = 0;

TEST(PBCurveTemplate, CheckedSumsSitWhereTheNormalBasisNeedsThem) {
    const StandardCurve& s = CurveOfDegree(163);
    const CurveParameters<CheckedAddField> c(CheckedAddField(pbtest::MakeField(163, 7, 6, 3)), true,
                                             s.b);
    const AffinePoint<CheckedAddField> g(s.gx, s.gy);
    // k = 2^10: one y' sum and ten doublings, each with one checked sum.
    CheckedAddField::calls = 0;
    QIRVALE::ScalarMultiply(c, BitsAt({10}), g);
    EXPECT_EQ(CheckedAddField::calls, 11);
    // A y with bit m set reaches the checked sum y' = x + y and raises.
    LongIntegerClass wideY = s.gy;
    wideY.SetBit(170, true);
    EXPECT_THROW(
        QIRVALE::ScalarMultiply(c, LongIntegerClass(3u), AffinePoint<CheckedAddField>(s.gx, wideY)),
        AssertExceptionClass);
    // k = 0 returns before any sum.
    EXPECT_TRUE(
        QIRVALE::ScalarMultiply(c, LongIntegerClass(), AffinePoint<CheckedAddField>(s.gx, wideY))
            .atInfinity);
}

}  // namespace
