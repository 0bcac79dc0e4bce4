// The fast path of the normal-basis exports against the reference path, on every standard
// normal-basis curve: two curves are created from the same record, the engine of one is
// detached, and each export must give the same status, code, flag and output bytes on both,
// for valid inputs and for those the engine leaves to the reference path (points off the curve
// or with x = 0, coordinates of more than m bits, scalars at or above n, strings of more than
// 1024 bytes, short buffers, malformed signatures).
#include <cstdint>
#include <functional>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/onb_field.h"
#include "curve/onb_curve.h"
#include "dstu4145/family.h"
#include "dstu4145_test_helpers.h"
#include "support/test_support.h"

namespace {

using dstutest::Bytes;
using dstutest::L;
using dstutest::Session;
using ONBFamily = QIRVALE::DSTU4145Family<QIRVALE::ONBBaseField>;

// What an export did: status, code, flag and up to two outputs.
struct Outcome {
    uint32_t status = 0;
    uint16_t code = 0xEEEE;
    uint8_t flag = 0xEE;
    Bytes first, second;
    bool operator==(const Outcome& o) const {
        return std::tie(status, code, flag, first, second) ==
               std::tie(o.status, o.code, o.flag, o.first, o.second);
    }
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "status " << o.status << " code " << o.code << " flag " << int(o.flag) << " "
               << qirvale_test::ToHex(o.first) << " " << qirvale_test::ToHex(o.second);
}

struct Point {
    Bytes x, y;
};

Bytes WithBit(Bytes v, uint32_t bit, std::size_t length) {
    v.resize(std::max(v.size(), length), 0);
    v[bit / 8] ^= uint8_t(1u << (bit % 8));
    return v;
}

Bytes Padded(Bytes v, std::size_t length) {
    v.resize(length, 0);
    return v;
}

class DSTU4145ONBFastPath : public ::testing::TestWithParam<uint16_t> {
  protected:
    DSTU4145ONBFastPath()
        : record(dstutest::ONBRecord(GetParam())),
          fast(dstutest::ONB(), record, GetParam()),
          reference(dstutest::ONB(), record, GetParam()) {
        ONBFamily::UseReferencePath(reference.curve());
        fast.MakeKeys();
    }

    // Runs `call` on both curves and compares what it did.
    void Same(const char* what, const std::function<Outcome(DSTU4145CurveHandle*)>& call) {
        const Outcome a = call(fast.curve()), b = call(reference.curve());
        EXPECT_EQ(a, b) << what << " on curve " << record.index;
    }

    const QIRVALE::DSTU4145ExportTable& x = QIRVALE::kDSTU4145ONBExports;
    dstutest::CurveRecord record;
    Session fast, reference;
};

TEST_P(DSTU4145ONBFastPath, EveryExportGivesTheReferenceResults) {
    ASSERT_NE(static_cast<QIRVALE::ONBCurveParameters*>(fast.curve()->parameters)->engine, nullptr);
    const uint32_t m = record.m, bytes = fast.ElementBytes(), sig = fast.SignatureBytes();
    dstutest::Random& random = fast.random();
    const Bytes& n = record.n;

    // Points: the base point, another point of the curve, T = (0, sqrt B) of order 2, P + T of
    // order 2n, off the curve, a coordinate with bit m set, infinity, a string of 1025 bytes.
    Point other, zeroX{Bytes(bytes), Bytes(bytes)}, even{Bytes(bytes), Bytes(bytes)};
    fast.GenerateBasePoint(other.x, other.y);
    uint16_t code = 0;
    ASSERT_EQ(fast.Unpack(zeroX.x.data(), bytes, zeroX.y.data(), bytes, Bytes(bytes), &code), 0u);
    const auto& curve = *static_cast<const QIRVALE::ONBCurveParameters*>(fast.curve()->parameters);
    const auto element = [](const Bytes& v) {
        return QIRVALE::ONBBaseField::ElementFromBytes(v.data(), L(v));
    };
    const QIRVALE::ONBAffinePoint sum =
        QIRVALE::AddPoints(curve, QIRVALE::ONBAffinePoint(element(fast.px), element(fast.py)),
                           QIRVALE::ONBAffinePoint(element(zeroX.x), element(zeroX.y)));
    QIRVALE::ONBBaseField::ElementToBytes(sum.x, even.x.data(), bytes);
    QIRVALE::ONBBaseField::ElementToBytes(sum.y, even.y.data(), bytes);
    const std::vector<Point> points = {{fast.px, fast.py},
                                       other,
                                       zeroX,
                                       even,
                                       {fast.px, WithBit(fast.py, 0, bytes)},
                                       {WithBit(fast.px, m, bytes), fast.py},
                                       {Bytes(bytes), Bytes(bytes)},
                                       {Padded(fast.px, 1025), fast.py}};
    // Scalars: random, 1, n - 1, n, n + 1, 0, padded with zero bytes, 1025 bytes, longer than n.
    const std::vector<Bytes> scalars = {fast.d,
                                        random.NonZeroBits(fast.OrderBits() - 1),
                                        {1},
                                        dstutest::Minus(n, {1}),
                                        n,
                                        dstutest::Plus(n, 1),
                                        {0},
                                        Padded(fast.d, 64),
                                        Padded(fast.d, 1025),
                                        random.NonZeroBits(fast.OrderBits() + 9)};
    const std::vector<Bytes> hashes = {random.BytesOf(32), Bytes(32), {}, random.BytesOf(100)};

    for (const Point& p : points) {
        for (const Bytes& k : scalars) {
            // Short output buffers with the base point only.
            for (uint32_t length : {bytes, &p == &points[0] ? bytes - 1 : bytes}) {
                Same("GeneratePublicKey", [&](DSTU4145CurveHandle* c) {
                    Outcome o{0, 0, 0, Bytes(length, 0xA5), Bytes(length, 0xA5)};
                    o.status = x.generatePublicKey(o.first.data(), length, o.second.data(), length,
                                                   c, p.x.data(), L(p.x), p.y.data(), L(p.y),
                                                   k.data(), L(k), &o.code);
                    return o;
                });
                Same("CreatePreSign", [&](DSTU4145CurveHandle* c) {
                    Outcome o{0, 0, 0, Bytes(length, 0xA5), {}};
                    o.status = x.createPreSign(o.first.data(), length, c, p.x.data(), L(p.x),
                                               p.y.data(), L(p.y), k.data(), L(k), &o.code);
                    return o;
                });
                if (length != bytes) break;
            }
            for (const Point& q : {Point{fast.qx, fast.qy}, Point{Padded(fast.qx, 40), fast.px}}) {
                Same("VerifyPrivateKey", [&](DSTU4145CurveHandle* c) {
                    Outcome o;
                    o.status =
                        x.verifyPrivateKey(&o.flag, c, p.x.data(), L(p.x), p.y.data(), L(p.y),
                                           q.x.data(), L(q.x), q.y.data(), L(q.y), k.data(), L(k));
                    return o;
                });
            }
        }
    }

    // Signing: every hash with random and edge e, buffers of the minimum length, one byte
    // short, odd and longer; by pre-signature also with F_e altered, zero or of m + 1 bits.
    Bytes fe(bytes);
    ASSERT_EQ(fast.PreSign(fe.data(), bytes, scalars[1], &code), 0u);
    const std::vector<Bytes> preSignatures = {fe, WithBit(fe, 0, bytes), Bytes(bytes),
                                              WithBit(fe, m, bytes), Padded(fe, 1025)};
    const Bytes wide = WithBit({}, fast.OrderBits() + 40, bytes + 8);  // d far above n
    std::vector<Bytes> signatures;
    for (const Bytes& hash : hashes) {
        for (const Bytes& e : scalars) {
            for (uint32_t length : {sig, sig - 1, sig - 2, sig + 6}) {
                if (length != sig && &hash != &hashes[0]) continue;
                Same("SignHash", [&](DSTU4145CurveHandle* c) {
                    Outcome o{0, 0, 0, Bytes(length, 0xA5), {}};
                    o.status = x.signHash(o.first.data(), length, c, fast.px.data(), L(fast.px),
                                          fast.py.data(), L(fast.py), hash.data(), L(hash),
                                          fast.d.data(), L(fast.d), e.data(), L(e), &o.code);
                    if (o.status == 0 && c == fast.curve() && signatures.size() < 4)
                        signatures.push_back(o.first);
                    return o;
                });
            }
        }
        if (&hash == &hashes[2]) continue;  // the empty hash signs like the zero hash
        for (const Bytes& f : preSignatures) {
            for (const Bytes& key : {fast.d, n, scalars[8], wide}) {
                Same("SignHashByPreSign", [&](DSTU4145CurveHandle* c) {
                    Outcome o{0, 0, 0, Bytes(sig, 0xA5), {}};
                    o.status = x.signHashByPreSign(
                        o.first.data(), sig, c, fast.px.data(), L(fast.px), fast.py.data(),
                        L(fast.py), hash.data(), L(hash), key.data(), L(key), scalars[1].data(),
                        L(scalars[1]), f.data(), L(f), &o.code);
                    return o;
                });
            }
        }
    }

    // Verification: the signatures made above, altered, with r or s at 0 or n, and against
    // other keys and points.
    ASSERT_FALSE(signatures.empty());
    const Bytes good = signatures.front();
    const uint32_t half = sig / 2;
    Bytes rZero = good, sIsN = good;
    std::fill(rZero.begin(), rZero.begin() + half, 0);
    std::copy(n.begin(), n.end(), sIsN.begin() + half);
    signatures.insert(signatures.end(), {WithBit(good, 3, sig), WithBit(good, 8 * half + 3, sig),
                                         rZero, sIsN, Bytes(good.begin(), good.end() - 1)});
    for (const Bytes& hash : {hashes[0], hashes[1]}) {
        for (const Bytes& signature : signatures) {
            for (const Point& q : {Point{fast.qx, fast.qy}, even, points[5]}) {
                Same("VerifyHash", [&](DSTU4145CurveHandle* c) {
                    Outcome o;
                    o.status =
                        x.verifyHash(&o.flag, c, fast.px.data(), L(fast.px), fast.py.data(),
                                     L(fast.py), hash.data(), L(hash), signature.data(),
                                     L(signature), q.x.data(), L(q.x), q.y.data(), L(q.y), &o.code);
                    return o;
                });
            }
        }
    }

    // Packing and base points.
    for (const Point& p : points) {
        Same("PackPoint and UnPackPoint", [&](DSTU4145CurveHandle* c) {
            Outcome o{0, 0, 0, Bytes(bytes), Bytes(2 * bytes)};
            o.status = x.packPoint(o.first.data(), bytes, c, p.x.data(), L(p.x), p.y.data(), L(p.y),
                                   &o.code);
            o.status += 2 * x.unpackPoint(o.second.data(), bytes, o.second.data() + bytes, bytes, c,
                                          o.first.data(), bytes, &o.code);
            return o;
        });
        Same("VerifyBasePoint", [&](DSTU4145CurveHandle* c) {
            Outcome o;
            o.status = x.verifyBasePoint(&o.flag, c, p.x.data(), L(p.x), p.y.data(), L(p.y));
            return o;
        });
    }
    const Bytes u = fast.lastU;
    Same("GenBasePoint", [&](DSTU4145CurveHandle* c) {
        Outcome o{0, 0, 0, Bytes(bytes), Bytes(bytes)};
        o.status = x.genBasePoint(o.first.data(), bytes, o.second.data(), bytes, c, u.data(), L(u),
                                  &o.code);
        return o;
    });
}

INSTANTIATE_TEST_SUITE_P(StandardCurves, DSTU4145ONBFastPath, ::testing::Range<uint16_t>(201, 206));

}  // namespace
