// The constant-time fast path against the kept reference path: the word-sized field (both
// backends) against PBBaseField, then on every standard curve of both bases every export on
// random and edge inputs (scalars around n, points of even order or off the curve, unreduced
// coordinates, strings too long to read, short buffers).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/fixed_pb_field.h"
#include "binfield/pb_field.h"
#include "curve/curve.h"
#include "dstu4145_test_helpers.h"

namespace {

using namespace dstutest;
using QIRVALE::LongIntegerClass;
using QIRVALE::PBBaseField;

template <unsigned W>
LongIntegerClass ToLong(const std::array<uint64_t, W>& a) {
    uint8_t bytes[8 * W];
    for (unsigned i = 0; i < 8 * W; ++i) bytes[i] = uint8_t(a[i / 8] >> (8 * (i % 8)));
    LongIntegerClass v;
    v.FromBytes(bytes, 8 * W, 0);
    return v;
}

// Products, squares and (for irreducible f) inverses of random, all-ones and sparse operands on
// both backends, against PBBaseField.
template <unsigned W>
void CheckField(uint32_t m, uint32_t k, uint32_t j, uint32_t l, bool irreducible) {
    const PBBaseField reference(PBBaseField::PolynomialFromExponents(m, k, j, l));
    const QIRVALE::FixedPBField<W> fields[2] = {{m, k, j, l, true}, {m, k, j, l, false}};
    std::mt19937_64 random(m * 31 + k);
    const auto draw = [&](int kind) {
        typename QIRVALE::FixedPBField<W>::Element a{};
        for (auto& w : a) w = kind == 0 ? random() : kind == 1 ? ~uint64_t(0) : 0;
        if (kind == 2) a[random() % W] = uint64_t(1) << (random() % 64);
        a[W - 1] &= (uint64_t(1) << (m % 64)) - 1;
        return a;
    };
    for (int i = 0; i < 60; ++i) {
        const auto a = draw(i % 3), b = draw((i / 3) % 3);
        for (const auto& f : fields) {
            const auto A = ToLong<W>(a);
            EXPECT_TRUE(ToLong<W>(f.Multiply(a, b)) == reference.Multiply(A, ToLong<W>(b))) << m;
            EXPECT_TRUE(ToLong<W>(f.Square(a)) == reference.Square(A)) << m;
            if (irreducible && f.ZeroMask(a) == 0) {
                EXPECT_TRUE(ToLong<W>(f.Invert(a)) == reference.Invert(A)) << m;
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

// P + Q on the curve of `s` by the reference arithmetic, and whether the curve has its fast
// path attached.
template <class Field>
std::pair<Bytes, Bytes> AddOnCurve(Session& s, const Bytes& px, const Bytes& py, const Bytes& qx,
                                   const Bytes& qy, bool& fast) {
    using Point = QIRVALE::AffinePoint<Field>;
    const auto& curve =
        static_cast<const QIRVALE::Tagged<QIRVALE::CurveParameters<Field>>*>(s.curve()->parameters)
            ->value;
    fast = curve.engine != nullptr;
    const auto element = [](const Bytes& v) { return Field::ElementFromBytes(v.data(), L(v)); };
    const Point sum =
        QIRVALE::AddPoints(curve, Point(element(px), element(py)), Point(element(qx), element(qy)));
    Bytes x(s.ElementBytes()), y(s.ElementBytes());
    sum.x.ToBytes(x.data(), L(x), 0);
    sum.y.ToBytes(y.data(), L(y), 0);
    return {x, y};
}

// Every export on one path with P, d, e, F and hash of `a`: public key, its check, the
// pre-signature, both signatures each verified under the Q computed and the Q of the
// session, the base-point check, packing and unpacking, and base-point generation from x(P).
std::vector<Outcome> RunAll(Session& s, Args a, uint32_t signatureBytes) {
    a.curve = s.curve();
    Args own = a;
    const Outcome q = s.Call("pubkey", a);
    own.qx = q.x, own.qy = q.y;
    std::vector<Outcome> log = {q, s.Call("checkpriv", own), s.Call("presign", a),
                                s.Call("checkbase", a), s.Call("pack", a)};
    a.packed = log.back().x, a.u = a.px;
    log.push_back(s.Call("unpack", a));
    log.push_back(s.Call("genbase", a));
    a.outX = signatureBytes;
    for (const char* signer : {"sign", "signpre"}) {
        log.push_back(s.Call(signer, a));
        own.sig = a.sig = log.back().x;
        log.push_back(s.Call("verify", own));
        log.push_back(s.Call("verify", a));
    }
    return log;
}

class DSTU4145FastPath : public ::testing::TestWithParam<uint16_t> {};

TEST_P(DSTU4145FastPath, EveryExportAgreesWithTheReferencePath) {
    const uint16_t index = GetParam();
    Session fast(index, index), reference(index, index);
    UseReferencePath(reference);
    fast.MakeKeys();
    const Args& base = fast.args;
    const Bytes& n = fast.record().n;
    const uint32_t bits = fast.OrderBits(), bytes = fast.ElementBytes();
    Random& random = fast.random();

    // T = (0, sqrt B) of order 2 (the unpacked zero), and P + T of order 2n.
    Args t = base;
    t.packed.assign(bytes, 0);
    const Outcome order2 = fast.Call("unpack", t);
    bool fastPath = false;
    const auto [ex, ey] =
        NormalBasis(index)
            ? AddOnCurve<QIRVALE::ONBBaseField>(fast, base.px, base.py, order2.x, order2.y,
                                                fastPath)
            : AddOnCurve<PBBaseField>(fast, base.px, base.py, order2.x, order2.y, fastPath);
    ASSERT_TRUE(fastPath);
    const Bytes offY = WithBitFlipped(base.py, 0);
    const Bytes longX = WithBitFlipped(Padded(base.px, bytes + 1), 8 * bytes);  // above t^m
    const std::vector<std::pair<Bytes, Bytes>> points = {
        {base.px, base.py}, {ex, ey},         {order2.x, order2.y},
        {base.px, offY},    {longX, base.py}, {Padded(base.px, 1025), base.py}};
    const auto below = [&](uint32_t b) { return random.NonZeroBits(b); };
    const std::vector<Bytes> scalars = {
        below(bits - 1), below(bits - 1), {1}, {2}, Add(n, -1), n, Add(n, 1), Bytes(bytes),
        below(bits),     below(bits + 9)};
    const uint32_t signatureBytes = fast.SignatureBytes();
    const auto compare = [&](const Args& a, uint32_t signatureLength) {
        const std::vector<Outcome> log = RunAll(fast, a, signatureLength);
        EXPECT_TRUE(log == RunAll(reference, a, signatureLength)) << signatureLength;
        return log[2].x;
    };
    for (std::size_t p = 0; p < points.size(); ++p) {
        for (std::size_t i = 0; i < scalars.size(); ++i) {
            if (p != 0 && i % 2 == 1) continue;  // the base point takes every scalar
            SCOPED_TRACE(testing::Message() << "point " << p << " scalar " << i);
            Args a = base;
            a.px = points[p].first, a.py = points[p].second;
            a.hash = i == 7 ? Bytes(32, 0) : random.BytesOf(32 + i);
            // d = k with e random, then e = k with d random; F from the fast path, then edges:
            // short buffers and F = 0, long ones and a long F, odd signature lengths.
            a.d = scalars[i], a.e = scalars[(i + 3) % scalars.size()], a.fe = random.BytesOf(bytes);
            a.fe = compare(a, signatureBytes);
            std::swap(a.d, a.e);
            compare(a, signatureBytes);
            if (p == 0 && i < 2) {
                a.fe.assign(bytes, 0);
                a.outX = a.outY = bytes - 1;
                compare(a, signatureBytes + 2);
                a.fe = longX;
                a.outX = a.outY = bytes + 1;
                compare(a, signatureBytes - 1);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(StandardCurves, DSTU4145FastPath, ::testing::Range<uint16_t>(101, 111));
INSTANTIATE_TEST_SUITE_P(NormalBasisCurves, DSTU4145FastPath, ::testing::Range<uint16_t>(201, 206));

}  // namespace
