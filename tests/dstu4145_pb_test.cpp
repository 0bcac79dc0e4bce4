// The polynomial-basis DSTU 4145 exports: the standard's worked example and three more
// published vectors byte for byte, then every export's checks in their order, output
// buffers, hostile lengths and handle lifecycles.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dstu4145_test_helpers.h"
#include "qirvale.h"
#include "support/test_support.h"

#if QIRVALE_HAVE_JSON

namespace {

using dstutest::Bytes;
using dstutest::CurveSpec;
using dstutest::GuardedBuffer;
using dstutest::PBSpec;
using dstutest::Session;
using qirvale_test::HexBytes;
using qirvale_test::ToHex;

const nlohmann::json& Data() {
    static const nlohmann::json data = qirvale_test::ReadJson("standard-data.json");
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
    const auto& f = session.family();
    ASSERT_EQ(f.createPreSign(fe.data(), uint32_t(fe.size()), session.curve(), v.px.data(),
                              uint32_t(v.px.size()), v.py.data(), uint32_t(v.py.size()), v.e.data(),
                              uint32_t(v.e.size()), &code),
              0u);
    if (!v.fe.empty()) {
        EXPECT_EQ(ToHex(fe), ToHex(v.fe));
    }
    Bytes byPreSign(v.signature.size());
    ASSERT_EQ(f.signHashByPreSign(byPreSign.data(), uint32_t(byPreSign.size()), session.curve(),
                                  v.px.data(), uint32_t(v.px.size()), v.py.data(),
                                  uint32_t(v.py.size()), v.hash.data(), uint32_t(v.hash.size()),
                                  v.d.data(), uint32_t(v.d.size()), v.e.data(),
                                  uint32_t(v.e.size()), fe.data(), uint32_t(fe.size()), &code),
              0u);
    EXPECT_EQ(ToHex(byPreSign), ToHex(v.signature));

    uint8_t verified = 0;
    EXPECT_EQ(session.Verify(v.hash, v.signature, &verified, &code), 0u);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(verified, 1);
}

TEST(DSTU4145PBKnownAnswer, WorkedExampleOfTheStandard) {
    const auto& le = Data().at("dstu4145_pb163_example").at("le");
    Session session(dstutest::PB(), PBSpec(101));
    ASSERT_EQ(ToHex(session.spec().b), ToHex(HexBytes(le.at("B_le21"))));
    ASSERT_EQ(ToHex(session.spec().n), ToHex(HexBytes(le.at("n_le21"))));
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
        Session session(dstutest::PB(), PBSpec(index));
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

}  // namespace

#endif  // QIRVALE_HAVE_JSON
