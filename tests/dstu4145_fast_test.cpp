// The constant-time fast path of the polynomial-basis exports against the kept reference path:
// the word-sized field (both multiplication backends) against PBBaseField, then every standard
// curve with one curve on each path, compared export by export on random and edge inputs (keys,
// pre-signatures, signatures, verification results and codes, short buffers, scalars around n,
// points of even order, points off the curve, unreduced coordinates).
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/fixed_pb_field.h"
#include "binfield/pb_field.h"
#include "curve/pb_curve.h"
#include "dstu4145/family.h"
#include "dstu4145_test_helpers.h"
#include "pb_test_helpers.h"

namespace {

using PBFamily = QIRVALE::DSTU4145Family<QIRVALE::PBBaseField, QIRVALE::ObjectKind::PBField,
                                         QIRVALE::ObjectKind::PBCurve>;

using dstutest::Bytes;
using dstutest::Session;
using QIRVALE::LongIntegerClass;
using QIRVALE::PBBaseField;

// ---- the field -----------------------------------------------------------------------------

template <unsigned W>
LongIntegerClass ToLong(const std::array<uint64_t, W>& a) {
    uint8_t bytes[8 * W];
    for (unsigned i = 0; i < 8 * W; ++i) bytes[i] = uint8_t(a[i / 8] >> (8 * (i % 8)));
    LongIntegerClass v;
    v.FromBytes(bytes, 8 * W, 0);
    return v;
}

// Products, squares and (for irreducible f) inverses of random and sparse operands on both
// backends, against PBBaseField.
template <unsigned W>
void CheckField(uint32_t m, uint32_t k, uint32_t j, uint32_t l, bool irreducible) {
    const PBBaseField reference = pbtest::MakeField(m, k, j, l);
    const QIRVALE::FixedPBField<W> fields[2] = {{m, k, j, l, true}, {m, k, j, l, false}};
    std::mt19937_64 random(m * 31 + k);
    using Element = typename QIRVALE::FixedPBField<W>::Element;
    const auto draw = [&](int kind) {
        Element a{};
        for (auto& w : a) w = kind == 0 ? random() : kind == 1 ? ~uint64_t(0) : 0;
        if (kind == 2) a[random() % W] = uint64_t(1) << (random() % 64);
        a[W - 1] &= (uint64_t(1) << (m % 64)) - 1;
        return a;
    };
    for (int i = 0; i < 60; ++i) {
        const Element a = draw(i % 3), b = draw((i / 3) % 3);
        const std::string where = "m=" + std::to_string(m) + " case " + std::to_string(i);
        for (const auto& f : fields) {
            EXPECT_TRUE(ToLong<W>(f.Multiply(a, b)) ==
                        reference.Multiply(ToLong<W>(a), ToLong<W>(b)))
                << where;
            EXPECT_TRUE(ToLong<W>(f.Square(a)) == reference.Square(ToLong<W>(a))) << where;
            if (irreducible && f.ZeroMask(a) == 0) {
                EXPECT_TRUE(ToLong<W>(f.Invert(a)) == reference.Invert(ToLong<W>(a))) << where;
            }
        }
    }
}

TEST(DSTU4145FastField, BothBackendsAgainstTheReferenceField) {
    // The recommended polynomials (constant shifts), then shapes read at run time.
    CheckField<3>(163, 7, 6, 3, true);
    CheckField<3>(167, 6, 0, 0, true);
    CheckField<3>(173, 10, 2, 1, true);
    CheckField<3>(179, 4, 2, 1, true);
    CheckField<3>(191, 9, 0, 0, true);
    CheckField<4>(233, 9, 4, 1, true);
    CheckField<5>(257, 12, 0, 0, true);
    CheckField<5>(307, 8, 4, 2, true);
    CheckField<6>(367, 21, 0, 0, true);
    CheckField<7>(431, 5, 3, 1, true);
    CheckField<9>(571, 10, 5, 2, true);
    CheckField<3>(131, 63, 62, 1, false);
    CheckField<4>(255, 52, 0, 0, false);
    CheckField<8>(509, 63, 40, 7, false);
}

// ---- the exports ---------------------------------------------------------------------------

// What an export call gave: status, code, flag and the bytes it wrote.
std::string Outcome(uint32_t status, uint16_t code, const std::vector<Bytes>& outputs) {
    std::string s = std::to_string(status) + "/" + std::to_string(code);
    for (const Bytes& b : outputs) s += " " + qirvale_test::ToHex(b);
    return s;
}

// Runs every signature export with the same arguments on two curves, one on each path, and
// compares what they give.
class TwoPaths {
  public:
    explicit TwoPaths(uint16_t index)
        : fast(dstutest::PB(), dstutest::PBRecord(index), index),
          reference(dstutest::PB(), dstutest::PBRecord(index), index) {
        PBFamily::UseReferencePath(reference.curve());
        fast.MakeKeys();
        reference.px = fast.px, reference.py = fast.py, reference.d = fast.d;
    }

    // Each export on (x, y) as P with key d, random e, hash and F; output buffers of `size`
    // bytes (signatures: `signatureSize`). Returns the fast path's pre-signature.
    Bytes Compare(const Bytes& x, const Bytes& y, const Bytes& d, const Bytes& e, const Bytes& hash,
                  const Bytes& f, uint32_t size, uint32_t signatureSize, const std::string& where) {
        Bytes fastF;
        for (Session* s : {&fast, &reference}) {
            s->px = x, s->py = y, s->d = d;
            std::vector<std::string>& log = s == &fast ? fastLog : referenceLog;
            log.clear();
            Bytes qx(size), qy(size), fe(size), sig(signatureSize), byPre(signatureSize);
            uint16_t code = 7;
            uint32_t status = s->PublicKey(d, qx, qy, &code);
            log.push_back(Outcome(status, code, {qx, qy}));
            uint8_t flag = 7;
            status =
                s->family().verifyPrivateKey(&flag, s->curve(), x.data(), L(x), y.data(), L(y),
                                             qx.data(), L(qx), qy.data(), L(qy), d.data(), L(d));
            log.push_back(Outcome(status, flag, {}));
            status = s->PreSign(fe.data(), size, e, &code);
            log.push_back(Outcome(status, code, {fe}));
            if (s == &fast) fastF = fe;
            status = s->Sign(sig.data(), signatureSize, hash, e, &code);
            log.push_back(Outcome(status, code, {sig}));
            status = s->SignByPreSign(byPre.data(), signatureSize, hash, e, f, &code);
            log.push_back(Outcome(status, code, {byPre}));
            for (const Bytes& checked : {sig, byPre}) {
                status = s->VerifyWith(hash, checked, qx, qy, &flag, &code);
                log.push_back(Outcome(status, code, {Bytes{flag}}));
                status = s->VerifyWith(hash, checked, fast.qx, fast.qy, &flag, &code);
                log.push_back(Outcome(status, code, {Bytes{flag}}));
            }
        }
        EXPECT_EQ(fastLog, referenceLog) << where;
        return fastF;
    }

    static uint32_t L(const Bytes& v) { return uint32_t(v.size()); }

    Session fast, reference;
    std::vector<std::string> fastLog, referenceLog;
};

class DSTU4145FastPath : public ::testing::TestWithParam<uint16_t> {};

TEST_P(DSTU4145FastPath, EveryExportAgreesWithTheReferencePath) {
    TwoPaths paths(GetParam());
    Session& s = paths.fast;
    const Bytes& n = s.record().n;
    const uint32_t bits = s.OrderBits(), bytes = s.ElementBytes();
    const uint32_t signatureBytes = s.SignatureBytes();
    dstutest::Random& random = s.random();

    // T = (0, sqrt B) of order 2 (the unpacked zero), and P + T of order 2n.
    Bytes tx(bytes), ty(bytes);
    uint16_t code = 0;
    ASSERT_EQ(s.Unpack(tx.data(), bytes, ty.data(), bytes, Bytes(bytes, 0), &code), 0u);
    const auto& curve =
        static_cast<const QIRVALE::Tagged<QIRVALE::PBCurveParameters>*>(s.curve()->parameters)
            ->value;
    const QIRVALE::PBAffinePoint sum = QIRVALE::AddPoints(
        curve,
        QIRVALE::PBAffinePoint(PBBaseField::ElementFromBytes(s.px.data(), bytes),
                               PBBaseField::ElementFromBytes(s.py.data(), bytes)),
        QIRVALE::PBAffinePoint(PBBaseField::ElementFromBytes(tx.data(), bytes),
                               PBBaseField::ElementFromBytes(ty.data(), bytes)));
    Bytes ex(bytes), ey(bytes);
    sum.x.ToBytes(ex.data(), bytes, 0);
    sum.y.ToBytes(ey.data(), bytes, 0);
    Bytes offX = s.px, offY = s.py;
    offY[0] ^= 1;
    Bytes longX = s.px;
    longX.push_back(1);  // a bit above t^m

    const Bytes one{1};
    const std::vector<Bytes> scalars = {random.NonZeroBits(bits - 1),
                                        random.NonZeroBits(bits - 1),
                                        one,
                                        Bytes{2},
                                        dstutest::Minus(n, one),
                                        n,
                                        dstutest::Plus(n, 1),
                                        Bytes(bytes, 0),
                                        random.NonZeroBits(bits),
                                        random.NonZeroBits(bits + 9)};
    const std::vector<std::pair<Bytes, Bytes>> points = {
        {s.px, s.py}, {ex, ey}, {tx, ty}, {offX, offY}, {longX, s.py}};
    for (std::size_t p = 0; p < points.size(); ++p) {
        for (std::size_t i = 0; i < scalars.size(); ++i) {
            if (p != 0 && i % 2 == 1) continue;  // the base point takes every scalar
            const Bytes& k = scalars[i];
            const Bytes& other = scalars[(i + 3) % scalars.size()];
            const Bytes hash = i == 7 ? Bytes(32, 0) : random.BytesOf(32 + i);
            const std::string where = "point " + std::to_string(p) + " scalar " + std::to_string(i);
            // d = k with e random, then e = k with d random; F from the fast path, then edges.
            const Bytes f = paths.Compare(points[p].first, points[p].second, k, other, hash,
                                          random.BytesOf(bytes), bytes, signatureBytes, where);
            paths.Compare(points[p].first, points[p].second, other, k, hash, f, bytes,
                          signatureBytes, where + " swapped");
            if (p == 0 && i < 2) {
                paths.Compare(s.px, s.py, k, other, hash, Bytes(bytes, 0), bytes - 1,
                              signatureBytes + 2, where + " short buffers, F = 0");
                paths.Compare(s.px, s.py, k, other, hash, longX, bytes + 1, signatureBytes - 1,
                              where + " long F, odd signature");
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(StandardCurves, DSTU4145FastPath, ::testing::Range<uint16_t>(101, 111));

}  // namespace
