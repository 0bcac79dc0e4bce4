// The normal-basis DSTU 4145 exports: the m = 173 vector byte for byte (with its image in
// polynomial basis as a cross-check), every recommended curve, the checks shared with the
// polynomial basis, and what the normal basis does differently: creation from m alone, the
// unit element 2^m - 1, the compression bit m - 1, checked sums of over-long coordinates.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/onb_field.h"
#include "curve/onb_curve.h"
#include "dstu4145/family.h"
#include "dstu4145_family_checks.h"
#include "dstu4145_test_helpers.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace {

using dstutest::Bytes;
using dstutest::CurveRecord;
using dstutest::GuardedBuffer;
using dstutest::ONBRecord;
using dstutest::Session;
using QIRVALE::LongIntegerClass;
using QIRVALE::ONBBaseField;
using qirvale_test::FromHex;
using qirvale_test::HexBytes;
using qirvale_test::ToHex;

const qirvale_test::Json& Vector() {
    static const qirvale_test::Json data =
        qirvale_test::ReadJson("standard-data.json").at("dstu4145_onb173_derived_vector");
    return data;
}

// Little-endian bytes of a big-endian hex number, in `length` bytes.
Bytes FromBigEndian(const std::string& hex, std::size_t length) {
    Bytes v = FromHex(hex.size() % 2 ? "0" + hex : hex);
    std::reverse(v.begin(), v.end());
    v.resize(length, 0);
    return v;
}

// ---- known answers -----------------------------------------------------------------------

TEST(DSTU4145ONBKnownAnswer, DerivedVectorOfDegree173) {
    const auto& v = Vector().at("values");
    Session session(dstutest::ONB(), ONBRecord(201));
    ASSERT_EQ(ToHex(session.record().b), ToHex(HexBytes(v.at("B_le22"))));
    ASSERT_EQ(ToHex(session.record().n), ToHex(HexBytes(v.at("n_le22"))));
    session.px = HexBytes(v.at("Px_le22"));
    session.py = HexBytes(v.at("Py_le22"));
    session.d = HexBytes(v.at("d_le22"));
    const Bytes e = HexBytes(v.at("e_le22"));
    const Bytes hash = HexBytes(v.at("hash_le32"));

    uint16_t code = 7;
    Bytes qx(22), qy(22);
    ASSERT_EQ(session.PublicKey(session.d, qx, qy, &code), 0u);
    EXPECT_EQ(ToHex(qx), ToHex(HexBytes(v.at("Qx_le22"))));
    EXPECT_EQ(ToHex(qy), ToHex(HexBytes(v.at("Qy_le22"))));
    session.qx = qx;
    session.qy = qy;

    Bytes fe(22);
    ASSERT_EQ(session.PreSign(fe.data(), 22, e, &code), 0u);
    EXPECT_EQ(ToHex(fe), ToHex(HexBytes(v.at("Fe_le22"))));

    const Bytes zeroHash(32, 0);
    for (const auto& [h, expected] :
         {std::make_pair(hash, HexBytes(v.at("signature_44"))),
          std::make_pair(zeroHash, HexBytes(v.at("zero_hash_signature_44")))}) {
        Bytes signature(44);
        ASSERT_EQ(session.Sign(signature.data(), 44, h, e, &code), 0u);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(ToHex(signature), ToHex(expected));
        Bytes byPreSign(44);
        ASSERT_EQ(session.SignByPreSign(byPreSign.data(), 44, h, e, fe, &code), 0u);
        EXPECT_EQ(ToHex(byPreSign), ToHex(expected));
        uint8_t verified = 0;
        EXPECT_EQ(session.Verify(h, expected, &verified, &code), 0u);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(verified, 1);
    }
}

// The same computation mapped into polynomial basis: the PB exports give the images of Q and
// F_e (r differs: it is read from the bits of h F_e, which depend on the basis).
TEST(DSTU4145ONBKnownAnswer, PolynomialBasisImageOfTheVector) {
    const auto& image = Vector().at("values").at("pb_image");
    const auto exponents = image.at("f_exps").get<std::vector<uint16_t>>();
    ASSERT_EQ(exponents.size(), 3u);
    CurveRecord record{0,
                       173,
                       exponents[0],
                       exponents[1],
                       exponents[2],
                       0,
                       FromBigEndian(image.at("B"), 22),
                       HexBytes(Vector().at("values").at("n_le22"))};
    Session session(dstutest::PB(), record);
    session.px = FromBigEndian(image.at("Px"), 22);
    session.py = FromBigEndian(image.at("Py"), 22);
    const Bytes d = FromBigEndian(image.at("d"), 22);
    const Bytes e = FromBigEndian(image.at("e"), 22);
    uint16_t code = 0;
    Bytes qx(22), qy(22), fe(22);
    ASSERT_EQ(session.PublicKey(d, qx, qy, &code), 0u);
    EXPECT_EQ(ToHex(qx), ToHex(FromBigEndian(image.at("Qx"), 22)));
    EXPECT_EQ(ToHex(qy), ToHex(FromBigEndian(image.at("Qy"), 22)));
    ASSERT_EQ(session.PreSign(fe.data(), 22, e, &code), 0u);
    EXPECT_EQ(ToHex(fe), ToHex(FromBigEndian(image.at("Fe"), 22)));
}

// ---- every recommended curve -------------------------------------------------------------

// Base point, keys, signatures; the packed base point differs from x at most in bit m - 1
// and unpacks to the point.
class DSTU4145ONBCurves : public ::testing::TestWithParam<uint16_t> {};

TEST_P(DSTU4145ONBCurves, BasePointKeysSignaturesPacking) {
    Session session(dstutest::ONB(), ONBRecord(GetParam()), GetParam());
    dstutest::CheckKeysSignVerify(session);
    const uint32_t bytes = session.ElementBytes(), m = session.record().m;
    Bytes packed(bytes), x(bytes), y(bytes);
    uint16_t code = 0;
    ASSERT_EQ(session.Pack(packed.data(), bytes, session.px, session.py, &code), 0u);
    EXPECT_TRUE(packed == session.px || dstutest::WithBitFlipped(packed, m - 1) == session.px);
    ASSERT_EQ(session.Unpack(x.data(), bytes, y.data(), bytes, packed, &code), 0u);
    EXPECT_EQ(ToHex(x), ToHex(session.px));
    EXPECT_EQ(ToHex(y), ToHex(session.py));
}

INSTANTIATE_TEST_SUITE_P(StandardCurves, DSTU4145ONBCurves, ::testing::Range<uint16_t>(201, 206));

// ---- the checks of every export ----------------------------------------------------------

// The checks shared with the polynomial basis (dstu4145_family_checks.h); among them, a hash
// whose low m bits are zero signs and verifies as h = 2^m - 1. Curve 201 has A = 0, 202 A = 1.
TEST(DSTU4145ONBExports, SharedChecks) {
    using namespace dstutest;
    RunSharedChecks(ONB(), ONBRecord,
                    {{"signature format", CheckSignatureFormat, {201}, 21},
                     {"hash conversion", CheckHashConversion, {201}, 22},
                     {"random numbers and private keys", CheckRandomNumbers, {202}, 23},
                     {"pre-signatures", CheckPreSignPath, {201}, 24},
                     {"points and the base-point check", CheckPoints, {201, 202}, 25},
                     {"output buffers one byte short", CheckShortBuffers, {201}, 26},
                     {"strings at and beyond the capacity", CheckCapacity, {201}, 27}});
}

TEST(DSTU4145ONBHandles, UncreatedDestroyedAndLifecycle) {
    dstutest::CheckUncreatedHandles(dstutest::ONB(), ONBRecord(201), dstutest::PB(),
                                    dstutest::PBRecord(101));
    dstutest::CheckLifecycle(dstutest::ONB(), ONBRecord(201));
}

// ---- what only the normal basis has ------------------------------------------------------

TEST(DSTU4145ONBField, CreationFromTheDegree) {
    DSTU4145BaseFieldHandle field{};
    // 12 and 24 give a table of 2m - 1 pairs but no field (25 and 49 are not prime).
    for (uint16_t m : {0, 4, 12, 24, 8176 + 1, 65535}) {
        field.field = reinterpret_cast<void*>(uintptr_t(0x10));  // overwritten first
        EXPECT_EQ(QIRVALEDSTU4145ONBSignBaseFieldCreate(&field, m), 1u) << m;
        EXPECT_EQ(field.field, nullptr) << m;
        EXPECT_EQ(QIRVALEDSTU4145ONBSignPreSignMaxBitCount(&field), 0u);
    }
    for (uint16_t m : {1, 2, 3, 5, 173, 179, 191, 233}) {
        ASSERT_EQ(QIRVALEDSTU4145ONBSignBaseFieldCreate(&field, m), 0u) << m;
        EXPECT_EQ(QIRVALEDSTU4145ONBSignBaseFieldElementMaxSizeInBitsByField(&field), m);
        EXPECT_EQ(QIRVALEDSTU4145ONBSignCurvePointCoordMaxSizeInBitsByField(&field), m);
        EXPECT_EQ(QIRVALEDSTU4145ONBSignCurvePointPackMaxSizeInBitsByField(&field), m);
        EXPECT_EQ(QIRVALEDSTU4145ONBSignPreSignMaxBitCount(&field), m);
        QIRVALEDSTU4145ONBSignBaseFieldDestroy(&field);
        EXPECT_EQ(field.field, nullptr);
    }
}

// A = 1 is the unit 2^m - 1; the curve owns a table of its own.
TEST(DSTU4145ONBField, CurveCoefficientsAndFieldCopy) {
    const CurveRecord record = ONBRecord(202);
    DSTU4145BaseFieldHandle field{};
    DSTU4145CurveHandle curve{};
    ASSERT_EQ(QIRVALEDSTU4145ONBSignBaseFieldCreate(&field, record.m), 0u);
    ASSERT_EQ(QIRVALEDSTU4145ONBSignCurveCreate(&curve, &field, 1, record.b.data(),
                                                uint32_t(record.b.size()), record.n.data(),
                                                uint32_t(record.n.size())),
              0u);
    using QIRVALE::Tagged;
    const QIRVALE::ONBCurveParameters* parameters =
        &static_cast<const Tagged<QIRVALE::ONBCurveParameters>*>(curve.parameters)->value;
    LongIntegerClass unit;
    for (uint32_t bit = 0; bit < record.m; ++bit) unit.SetBit(bit, true);
    EXPECT_EQ(parameters->a, unit);
    EXPECT_NE(parameters->field.MultiplicationTable(),
              static_cast<const Tagged<ONBBaseField>*>(field.field)->value.MultiplicationTable());
    EXPECT_EQ(parameters->field.MultiplicationTableLength(), 2u * record.m - 1);
    QIRVALEDSTU4145ONBSignBaseFieldDestroy(&field);
    EXPECT_EQ(parameters->field.Degree(), record.m);
    QIRVALEDSTU4145ONBSignCurveDestroy(&curve);
}

// Coordinates of more than m bits reach the checked sums of the normal basis and fail with
// code 9 (the polynomial basis computes on them unchecked); unpacking a value whose x comes
// out 0 inverts zero.
TEST(DSTU4145ONBField, OverlongCoordinatesAndZeroX) {
    Session session(dstutest::ONB(), ONBRecord(201), 28);
    session.MakeKeys();
    const uint32_t m = session.record().m, bytes = session.ElementBytes();
    const Bytes longX = dstutest::WithBitFlipped(session.px, m);
    GuardedBuffer qx(bytes), qy(bytes), fe(bytes);
    uint16_t code = 0;
    const Bytes d{5};
    EXPECT_EQ(QIRVALEDSTU4145ONBSignGeneratePublicKey(
                  qx.data(), bytes, qy.data(), bytes, session.curve(), longX.data(),
                  uint32_t(longX.size()), session.py.data(), bytes, d.data(), 1, &code),
              1u);
    EXPECT_EQ(code, ResultCodeInternalFailure);
    EXPECT_TRUE(qx.Untouched() && qy.Untouched() && qx.Intact() && qy.Intact());
    EXPECT_EQ(QIRVALEDSTU4145ONBSignCreatePreSign(fe.data(), bytes, session.curve(),
                                                  session.px.data(), bytes, longX.data(),
                                                  uint32_t(longX.size()), d.data(), 1, &code),
              1u);
    EXPECT_EQ(code, ResultCodeInternalFailure);

    // Curve 201 has A = 0: only bit m - 1 set leaves x = 0 after the trace adjustment.
    const Bytes onlyTop = dstutest::WithBitFlipped(Bytes(bytes, 0), m - 1);
    GuardedBuffer x(bytes), y(bytes);
    EXPECT_EQ(QIRVALEDSTU4145ONBSignCurveUnPackPoint(x.data(), bytes, y.data(), bytes,
                                                     session.curve(), onlyTop.data(), bytes, &code),
              1u);
    EXPECT_EQ(code, ResultCodeInternalFailure);
    EXPECT_TRUE(x.Untouched() && y.Untouched());
}

}  // namespace
