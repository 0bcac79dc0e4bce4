// The polynomial-basis DSTU 4145 exports: the standard's worked example and three more
// published vectors byte for byte, then every export's checks in their order, output
// buffers, hostile lengths and handle lifecycles.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/pb_field.h"
#include "dstu4145_family_checks.h"
#include "dstu4145_test_helpers.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace {

using dstutest::Bytes;
using dstutest::CurveRecord;
using dstutest::GuardedBuffer;
using dstutest::PBRecord;
using dstutest::Session;
using QIRVALE::LongIntegerClass;
using QIRVALE::PBBaseField;
using qirvale_test::HexBytes;
using qirvale_test::ToHex;

const qirvale_test::Json& Data() {
    static const qirvale_test::Json data = qirvale_test::ReadJson("standard-data.json");
    return data;
}

// One signature computation with its known results.
struct KnownAnswer {
    Bytes px, py, d, e, hash;
    Bytes qx, qy;
    Bytes fe;  // empty when not published
    Bytes signature;
};

// Public key, pre-signature, both signing paths byte for byte, and verification.
void CheckKnownAnswer(Session& session, const KnownAnswer& v) {
    session.px = v.px;
    session.py = v.py;
    session.d = v.d;
    uint16_t code = 7;

    Bytes qx(v.qx.size()), qy(v.qy.size());
    ASSERT_EQ(session.PublicKey(v.d, qx, qy, &code), 0u);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ToHex(qx), ToHex(v.qx));
    EXPECT_EQ(ToHex(qy), ToHex(v.qy));
    session.qx = qx;
    session.qy = qy;

    Bytes signature(v.signature.size());
    ASSERT_EQ(session.Sign(signature.data(), uint32_t(signature.size()), v.hash, v.e, &code), 0u);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ToHex(signature), ToHex(v.signature));

    Bytes fe(session.ElementBytes());
    ASSERT_EQ(session.PreSign(fe.data(), uint32_t(fe.size()), v.e, &code), 0u);
    if (!v.fe.empty()) {
        EXPECT_EQ(ToHex(fe), ToHex(v.fe));
    }
    Bytes byPreSign(v.signature.size());
    ASSERT_EQ(
        session.SignByPreSign(byPreSign.data(), uint32_t(byPreSign.size()), v.hash, v.e, fe, &code),
        0u);
    EXPECT_EQ(ToHex(byPreSign), ToHex(v.signature));

    uint8_t verified = 0;
    EXPECT_EQ(session.Verify(v.hash, v.signature, &verified, &code), 0u);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(verified, 1);
}

TEST(DSTU4145PBKnownAnswer, WorkedExampleOfTheStandard) {
    const auto& le = Data().at("dstu4145_pb163_example").at("le");
    Session session(dstutest::PB(), PBRecord(101));
    ASSERT_EQ(ToHex(session.record().b), ToHex(HexBytes(le.at("B_le21"))));
    ASSERT_EQ(ToHex(session.record().n), ToHex(HexBytes(le.at("n_le21"))));
    KnownAnswer v;
    v.px = HexBytes(le.at("Px_le21"));
    v.py = HexBytes(le.at("Py_le20"));  // its significant bytes only
    v.d = HexBytes(le.at("d_le21"));
    v.e = HexBytes(le.at("e_le21"));
    v.hash = HexBytes(le.at("hash_le32"));
    v.qx = HexBytes(le.at("Qx_le21"));
    v.qy = HexBytes(le.at("Qy_le21"));
    v.fe = HexBytes(le.at("Fe_le21"));
    v.signature = HexBytes(le.at("signature_64"));
    CheckKnownAnswer(session, v);
}

// Published vectors on the recommended curves of degree 173 and 431.
TEST(DSTU4145PBKnownAnswer, FurtherPublishedVectors) {
    const auto& vectors = Data().at("dstu4145_more_published_pb_vectors").at("vectors");
    for (const char* name : {"pb173", "pb173_truncation", "pb431"}) {
        SCOPED_TRACE(name);
        const auto& j = vectors.at(name);
        const uint16_t index = j.at("m").get<uint32_t>() == 173 ? 103 : 110;
        Session session(dstutest::PB(), PBRecord(index));
        KnownAnswer v;
        v.px = HexBytes(j.at("Px_le"));
        v.py = HexBytes(j.at("Py_le"));
        v.d = HexBytes(j.at("d_le"));
        v.e = HexBytes(j.at("e_le"));
        v.hash = HexBytes(j.at("hash_le"));
        v.qx = HexBytes(j.at("Qx_le"));
        v.qy = HexBytes(j.at("Qy_le"));
        v.signature = HexBytes(j.at("signature_le"));
        CheckKnownAnswer(session, v);
    }
}

// ---- every recommended curve -------------------------------------------------------------

class DSTU4145PBCurves : public ::testing::TestWithParam<uint16_t> {};

TEST_P(DSTU4145PBCurves, BasePointKeysSignatures) {
    Session session(dstutest::PB(), PBRecord(GetParam()), GetParam());
    dstutest::CheckKeysSignVerify(session);
}

INSTANTIATE_TEST_SUITE_P(StandardCurves, DSTU4145PBCurves, ::testing::Range<uint16_t>(101, 111));

// ---- the checks of every export ----------------------------------------------------------

// The checks shared with the normal basis (dstu4145_family_checks.h). Curve 107 has an order
// one byte shorter than its field elements; 101 has A = 1 and 103 A = 0.
TEST(DSTU4145PBExports, SharedChecks) {
    using namespace dstutest;
    RunSharedChecks(PB(), PBRecord,
                    {{"signature format", CheckSignatureFormat, {101}, 11},
                     {"hash conversion", CheckHashConversion, {101}, 12},
                     {"random numbers and private keys", CheckRandomNumbers, {101, 107}, 13},
                     {"pre-signatures", CheckPreSignPath, {101}, 14},
                     {"points and the base-point check", CheckPoints, {101, 103}, 15},
                     {"output buffers one byte short", CheckShortBuffers, {101}, 16},
                     {"strings at and beyond the capacity", CheckCapacity, {101}, 17}});
}

TEST(DSTU4145PBHandles, UncreatedDestroyedAndLifecycle) {
    dstutest::CheckUncreatedHandles(dstutest::PB(), PBRecord(101), dstutest::ONB(),
                                    dstutest::ONBRecord(201));
    dstutest::CheckLifecycle(dstutest::PB(), PBRecord(101));
}

// ---- what only the polynomial basis has --------------------------------------------------

TEST(DSTU4145PBField, CreationArguments) {
    DSTU4145BaseFieldHandle field{};
    struct Case {
        uint16_t m, k, j, l;
        uint32_t status;
    };
    const Case cases[] = {
        {163, 7, 6, 3, 0},  {167, 6, 0, 0, 0},   {4, 1, 0, 0, 0},     {163, 7, 6, 0, 1},
        {163, 0, 0, 0, 1},  {163, 163, 0, 0, 1}, {163, 164, 0, 0, 1}, {163, 6, 7, 3, 1},
        {163, 7, 3, 6, 1},  {163, 7, 7, 3, 1},   {163, 7, 0, 3, 1},   {1, 0, 0, 0, 1},
        {0, 0, 0, 0, 1},    {8, 2, 0, 0, 1},  // t^8 + t^2 + 1 = (t^4 + t + 1)^2
        {8, 6, 4, 2, 1},                      // the square of t^4 + t^3 + t^2 + t + 1
        {8192, 1, 0, 0, 1}, {65535, 3, 2, 1, 1},
    };
    for (const Case& c : cases) {
        field.field = reinterpret_cast<void*>(uintptr_t(0x10));  // overwritten first
        EXPECT_EQ(QIRVALEDSTU4145PBSignBaseFieldCreate(&field, c.m, c.k, c.j, c.l), c.status)
            << c.m << " " << c.k << " " << c.j << " " << c.l;
        EXPECT_EQ(field.field == nullptr, c.status == 1);
        EXPECT_EQ(QIRVALEDSTU4145PBSignBaseFieldElementMaxSizeInBitsByField(&field),
                  c.status == 0 ? c.m : 0u);
        QIRVALEDSTU4145PBSignBaseFieldDestroy(&field);
    }
}

// Unpacking on the A = 0 curve: a packed value of 1 leaves x = 0, whose inversion fails;
// zero gives (0, sqrt(B)).
TEST(DSTU4145PBField, UnpackingSpecialValues) {
    Session session(dstutest::PB(), PBRecord(103), 18);
    const uint32_t bytes = session.ElementBytes();
    GuardedBuffer x(bytes), y(bytes);
    uint16_t code = 0;
    const uint8_t one = 1;
    EXPECT_EQ(QIRVALEDSTU4145PBSignCurveUnPackPoint(x.data(), bytes, y.data(), bytes,
                                                    session.curve(), &one, 1, &code),
              1u);
    EXPECT_EQ(code, ResultCodeInternalFailure);
    EXPECT_TRUE(x.Untouched() && y.Untouched() && x.Intact() && y.Intact());

    const uint8_t zero = 0;
    ASSERT_EQ(QIRVALEDSTU4145PBSignCurveUnPackPoint(x.data(), bytes, y.data(), bytes,
                                                    session.curve(), &zero, 1, &code),
              0u);
    const CurveRecord& record = session.record();
    const PBBaseField field(
        PBBaseField::PolynomialFromExponents(record.m, record.k, record.j, record.l));
    EXPECT_TRUE(dstutest::IsZero(x.bytes()));
    const Bytes yBytes = y.bytes();
    EXPECT_EQ(field.Square(PBBaseField::ElementFromBytes(yBytes.data(), bytes)),
              PBBaseField::ElementFromBytes(record.b.data(), uint32_t(record.b.size())));
}

// An even degree: base points, keys and signatures work, with n the number of points of the
// curve (counted here), so that every point passes the order test.
TEST(DSTU4145PBField, EvenDegreeCurve) {
    const uint16_t m = 10, k = 3;
    const PBBaseField field(PBBaseField::PolynomialFromExponents(m, k, 0, 0));
    const LongIntegerClass b(0x2A5u);
    // #E = infinity + (0, sqrt(B)) + 2 for each x != 0 whose equation has roots.
    uint32_t points = 2;
    std::vector<bool> solvable(1u << m, false);
    for (uint32_t xv = 1; xv < (1u << m); ++xv) {
        const LongIntegerClass x(xv);
        const LongIntegerClass x2 = field.Square(x);
        LongIntegerClass beta = field.Multiply(x2, x);
        field.AddInPlace(beta, x2);  // A = 1
        field.AddInPlace(beta, b);
        beta = field.Divide(beta, x2);
        solvable[xv] = PBBaseField::IsZero(field.Trace(beta));
        if (solvable[xv]) points += 2;
    }
    CurveRecord record{
        0, m, k, 0, 0, 1, Bytes{0xA5, 0x02}, Bytes{uint8_t(points), uint8_t(points >> 8)}};
    Session session(dstutest::PB(), record, 19);
    // Every U with a root gives a base point that passes the check; the others give 99.
    for (uint32_t uv = 1; uv < 64; ++uv) {
        const Bytes u{uint8_t(uv)};
        Bytes x(2), y(2);
        uint16_t code = 0;
        const uint32_t status = QIRVALEDSTU4145PBSignCurveGenBasePoint(
            x.data(), 2, y.data(), 2, session.curve(), u.data(), 1, &code);
        ASSERT_EQ(status, solvable[uv] ? 0u : 1u) << uv;
        if (status != 0) {
            EXPECT_EQ(code, ResultCodeBadValue);
            continue;
        }
        uint8_t valid = 0;
        EXPECT_EQ(QIRVALEDSTU4145PBSignCurveVerifyBasePoint(&valid, session.curve(), x.data(), 2,
                                                            y.data(), 2),
                  0u);
        EXPECT_EQ(valid, 1) << uv;
    }
    session.MakeKeys();
    const Bytes hash = session.random().BytesOf(32);
    const Bytes signature = session.SignFresh(hash);
    uint8_t verified = 0;
    uint16_t code = 0;
    EXPECT_EQ(session.Verify(hash, signature, &verified, &code), 0u);
    EXPECT_EQ(verified, 1);
}

}  // namespace
