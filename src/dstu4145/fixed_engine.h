// The DSTU 4145 engine over a basis policy (see engine.h for the policy and the domain) and a
// word count W: the signature exports on FixedPBField<W>, with secrets in fixed-length limbs.
//
// Secrets (d, e, F_e and everything computed from them before a result) only pass through
// constant-time code: fixed_integers.h, fixed_pb_field.h, LadderMultiply. What leaves that
// code is released explicitly: the outputs (public keys, signatures, pre-signatures) and the
// single refusal bits that end a call, each with its reason at the QIRVALE_DECLASSIFY. Every
// secret buffer is wiped before return, and so is the stack below the engine's frame.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <type_traits>

#include "binfield/fixed_pb_field.h"
#include "curve/fixed_ladder.h"
#include "dstu4145/engine.h"
#include "dstu4145/fixed_integers.h"
#include "dstu4145/protocol.h"
#include "frame/constant_time.h"
#include "frame/memory.h"
#include "qirvale.h"

namespace QIRVALE {

template <class Basis, unsigned W>
class FixedEngine final : public DSTU4145Engine {
  public:
    using Field = FixedPBField<W>;
    using Element = typename Field::Element;
    using Point = FixedPoint<Field>;
    // Scalars and integers modulo n: n has at most m + 64 <= 64 (W + 1) bits.
    static constexpr unsigned kLimbs = 2 * W + 2;

    // B in caller bits (below t^m, not zero), n odd of 2 .. 64 (W + 1) bits in `order` and
    // R^2 mod n (R = 2^(32 limbs of n)) in `rSquared` (kLimbs limbs each).
    FixedEngine(const Basis& policy, bool aIsOne, const Element& b, const uint32_t* order,
                const uint32_t* rSquared, uint32_t bits, bool useInstruction = true)
        : basis(policy),
          curve{Field(policy.m, policy.k, policy.j, policy.l, useInstruction), aIsOne, In(b)},
          orderBits(bits),
          limbs((bits + 31) / 32) {
        for (unsigned i = 0; i < kLimbs; ++i) n[i] = order[i];
        modulus.Set(order, rSquared, limbs);
        orderBytes = (bits + 7) / 8;
    }

    bool PublicKey(ByteString px, ByteString py, ByteString d, OutputBytes qx, OutputBytes qy,
                   uint16_t& code) const override {
        Point p;
        if (!Readable({px, py, d}) || !ReadPoint(px, py, p)) return false;
        Secrets s;
        if (!LoadScalar(d, s.d, orderBits)) return false;
        Point q = LadderMultiply(curve, p, s.d, orderBits);
        q.y = Field::Add(q.y, q.x);  // -(x, y) = (x, x + y); infinity stays (0, 0)
        Element x = Out(q.x), y = Out(q.y);
        // The public key is the output of this export.
        QIRVALE_DECLASSIFY(x.data(), sizeof x);
        QIRVALE_DECLASSIFY(y.data(), sizeof y);
        if (SignificantBytes(x) > qx.length || SignificantBytes(y) > qy.length) {
            code = ResultCodeBufferTooSmall;
        } else {
            WriteElement(x, qx);
            WriteElement(y, qy);
            code = ResultCodeNone;
        }
        return true;
    }

    bool PrivateKeyMatches(ByteString px, ByteString py, ByteString qx, ByteString qy, ByteString d,
                           bool& matches) const override {
        Point p;
        Element x{}, y{};
        if (!Readable({px, py, qx, qy, d}) || !ReadPoint(px, py, p)) return false;
        // Coordinates of more than m bits never equal a computed point.
        const bool reduced = LoadBits(qx, x) == 0 && LoadBits(qy, y) == 0;
        Secrets s;
        if (!LoadScalar(d, s.d, orderBits)) return false;
        Point q = LadderMultiply(curve, p, s.d, orderBits);
        q.y = Field::Add(q.y, q.x);
        uint64_t equal = Field::EqualMask(Out(q.x), x) & Field::EqualMask(Out(q.y), y);
        SecureWipe(&q, sizeof q);
        // The answer of this export.
        QIRVALE_DECLASSIFY(&equal, sizeof equal);
        matches = reduced && equal != 0;
        return true;
    }

    bool PreSign(ByteString px, ByteString py, ByteString e, OutputBytes f,
                 uint16_t& code) const override {
        Point p;
        if (!Readable({px, py, e}) || !ReadPoint(px, py, p)) return false;
        Secrets s;
        code = PreSignCore(p, e, s);
        if (code != ResultCodeNone) return true;
        Element out = Out(s.fe);
        uint32_t bytes = SignificantBytes(out);
        // Whether F_e fits the caller's buffer: the pre-signature has ceil(m / 8) bytes at most,
        // so a buffer of that size never depends on F_e; only a shorter one does.
        QIRVALE_DECLASSIFY(&bytes, sizeof bytes);
        if (bytes > f.length) {
            code = ResultCodeBufferTooSmall;
        } else {
            WriteElement(out, f);
        }
        SecureWipe(&out, sizeof out);
        return true;
    }

    bool SignByPreSign(ByteString px, ByteString py, ByteString hash, ByteString d, ByteString e,
                       ByteString f, OutputBytes signature, uint16_t& code) const override {
        if (!Readable({px, py, hash, d, e, f})) return false;
        Secrets s;
        // F_e of more than m bits, d or e longer than n: never produced by the key and
        // pre-signature exports; the reference path gives their results.
        uint64_t excess = LoadBits(f, s.fe);
        QIRVALE_DECLASSIFY(&excess, sizeof excess);
        if (excess != 0) return false;
        s.fe = In(s.fe);
        if (!LoadScalar(d, s.d, 32 * limbs)) return false;
        if (!RandomInRange(e, s)) {
            code = ResultCodeBadSeed;
            return true;
        }
        code = SignCore(hash, s, signature);
        return true;
    }

    bool Sign(ByteString px, ByteString py, ByteString hash, ByteString d, ByteString e,
              OutputBytes signature, uint16_t& code) const override {
        Point p;
        if (!Readable({px, py, hash, d, e}) || !ReadPoint(px, py, p)) return false;
        Secrets s;
        if (!LoadScalar(d, s.d, 32 * limbs)) return false;
        code = PreSignCore(p, e, s);
        if (code == ResultCodeNone) code = SignCore(hash, s, signature);
        return true;
    }

    bool Verify(ByteString px, ByteString py, ByteString hash, ByteString signature, ByteString qx,
                ByteString qy, uint16_t& code) const override {
        if (!Readable({px, py, hash, qx, qy}) || signature.length / 2 > LongIntegerMaxBytes) {
            return false;
        }
        if (signature.length % 2 != 0 || signature.length < 2 * orderBytes) {
            code = ResultCodeBadSignatureLength;
            return true;
        }
        const uint32_t half = signature.length / 2;
        uint32_t r[kLimbs], s[kLimbs];
        const bool rLong = FixedIntegers::Load(signature.data, half, r, limbs, 32 * limbs) != 0;
        const bool sLong =
            FixedIntegers::Load(signature.data + half, half, s, limbs, 32 * limbs) != 0;
        if (rLong || FixedIntegers::IsZeroMask(r, limbs) != 0 ||
            FixedIntegers::LessMask(r, n, limbs) == 0 || sLong ||
            FixedIntegers::IsZeroMask(s, limbs) != 0 || FixedIntegers::LessMask(s, n, limbs) == 0) {
            code = ResultCodeBadSignatureLength;
            return true;
        }
        Point q, p;
        if (!ReadPoint(qx, qy, q) || !ReadPoint(px, py, p)) return false;
        // R = s P + r Q in one pass. R at infinity may come from s P = -r Q, or from
        // s P = r Q of order 2, where AddPoints of the reference path raises: those forged
        // cases take the reference path.
        const Point sum = JointMultiplyVar(curve, p, s, q, r, limbs, orderBits);
        if (Field::ZeroMask(sum.x) != 0 && Field::ZeroMask(sum.y) != 0) return false;
        uint32_t check[kLimbs];
        ScalarOf(curve.field.Multiply(HashElement(hash), sum.x), check);
        bool equal = true;
        for (unsigned i = 0; i < limbs; ++i) equal = equal && check[i] == r[i];
        code = equal ? ResultCodeNone : ResultCodeSignatureMismatch;
        return true;
    }

  private:
    // The secrets of one call, wiped with the stack below it when the call ends.
    struct Secrets {
        uint32_t d[kLimbs] = {};
        uint32_t e[kLimbs] = {};
        Element fe{};
        ~Secrets() {
            SecureWipe(this, sizeof *this);
            WipeStack(kStackBytes);
        }
    };
    // More than the deepest call below the engine uses (ladder, inversion, field kernels).
    static constexpr std::size_t kStackBytes = 8192;

    Element In(const Element& caller) const {
        Element r;
        basis.template In<W>(caller.data(), r.data());
        return r;
    }
    Element Out(const Element& fixed) const {
        Element r;
        basis.template Out<W>(fixed.data(), r.data());
        return r;
    }

    // Strings the reference path reads: more than LongIntegerMaxBytes raise there.
    static bool Readable(std::initializer_list<ByteString> strings) {
        for (const ByteString& s : strings) {
            if (s.length > LongIntegerMaxBytes) return false;
        }
        return true;
    }

    // The caller bits of a string into `v` (the low W words); a mask of all ones when the
    // string has a set bit at or above m.
    uint64_t LoadBits(ByteString s, Element& v) const {
        v = Element{};
        uint64_t excess = 0;
        for (uint32_t i = 0; i < s.length; ++i) {
            if (i < 8 * W) {
                v[i / 8] |= uint64_t(s.data[i]) << (8 * (i % 8));
            } else {
                excess |= s.data[i];
            }
        }
        const uint32_t top = curve.field.Degree() % 64;
        if (top != 0) {
            excess |= v[W - 1] >> top;
            v[W - 1] &= (uint64_t(1) << top) - 1;
        }
        return ~ZeroMask(excess);
    }

    // A public point the ladder serves: coordinates of at most m bits, on the curve, x != 0.
    bool ReadPoint(ByteString xs, ByteString ys, Point& p) const {
        if (LoadBits(xs, p.x) != 0 || LoadBits(ys, p.y) != 0) return false;
        p.x = In(p.x);
        p.y = In(p.y);
        return Field::ZeroMask(p.x) == 0 && IsOnCurveVar(curve, p);
    }

    // A secret scalar into `limbs` limbs; false (the reference path serves it) when it has a
    // bit at or above `bits`, which no key or random number of this curve has.
    bool LoadScalar(ByteString s, uint32_t* v, uint32_t bits) const {
        uint32_t excess = FixedIntegers::Load(s.data, s.length, v, limbs, bits);
        QIRVALE_DECLASSIFY(&excess, sizeof excess);
        return excess == 0;
    }

    // h: the hash's low m bits, zero replaced by the unit element.
    Element HashElement(ByteString hash) const {
        Element bits;
        LoadBits(hash, bits);
        return Field::Select(Field::ZeroMask(bits), Field::One(), In(bits));
    }

    // The integer with the caller bits of y cut to bitlen(n) - 1 bits, in `limbs` limbs.
    void ScalarOf(const Element& y, uint32_t* v) const {
        const Element bits = Out(y);
        const uint32_t keep = orderBits - 1;
        for (unsigned i = 0; i < limbs; ++i) {
            const uint32_t word = uint32_t(bits[i / 2] >> (32 * (i % 2)));
            const uint32_t low = 32 * i;
            v[i] = low >= keep ? 0 : keep - low >= 32 ? word : word & ((1u << (keep - low)) - 1);
        }
    }

    // e into s.e; whether 0 < e < n.
    bool RandomInRange(ByteString e, Secrets& s) const {
        uint32_t bad = FixedIntegers::Load(e.data, e.length, s.e, limbs, orderBits);
        bad |= FixedIntegers::IsZeroMask(s.e, limbs) | ~FixedIntegers::LessMask(s.e, n, limbs);
        // A refusal of e ends the call with ResultCodeBadSeed: it tells only that e is out of
        // range.
        QIRVALE_DECLASSIFY(&bad, sizeof bad);
        return bad == 0;
    }

    // F_e = x(e P) for 0 < e < n (else ResultCodeBadSeed); F_e = 0 gives ResultCodeBadValue
    // (n is odd here, so not 2; P has x != 0).
    uint16_t PreSignCore(const Point& p, ByteString e, Secrets& s) const {
        if (!RandomInRange(e, s)) return ResultCodeBadSeed;
        s.fe = LadderMultiply(curve, p, s.e, orderBits).x;
        uint64_t zero = Field::ZeroMask(s.fe);
        // x(e P) = 0 means e P is infinity or of order 2, which no 0 < e < n gives on a base
        // point of odd prime order n: the caller draws again.
        QIRVALE_DECLASSIFY(&zero, sizeof zero);
        return zero != 0 ? ResultCodeBadValue : ResultCodeNone;
    }

    // r = bits of h F_e cut to bitlen(n) - 1 bits, s = (e + d r) mod n, written as r || s.
    uint16_t SignCore(ByteString hash, const Secrets& secrets, OutputBytes signature) const {
        if (signature.length % 2 != 0 || signature.length < 2 * orderBytes) {
            return ResultCodeBadSignatureLength;
        }
        uint32_t r[kLimbs] = {}, s[kLimbs] = {};
        ScalarOf(curve.field.Multiply(HashElement(hash), secrets.fe), r);
        // r is the first half of the signature.
        QIRVALE_DECLASSIFY(r, sizeof r);
        if (FixedIntegers::IsZeroMask(r, limbs) != 0) return ResultCodeBadValue;
        FixedIntegers::MultiplyAddMod(secrets.d, r, secrets.e, modulus, s);
        // s is the second half of the signature.
        QIRVALE_DECLASSIFY(s, sizeof s);
        if (FixedIntegers::IsZeroMask(s, limbs) != 0) return ResultCodeBadValue;
        const uint32_t half = signature.length / 2;
        FixedIntegers::Store(r, limbs, signature.data, half);
        FixedIntegers::Store(s, limbs, signature.data + half, half);
        return ResultCodeNone;
    }

    // Significant bytes of caller bits (0 for zero), without branching on them.
    static uint32_t SignificantBytes(const Element& v) {
        uint32_t length = 0;
        for (uint32_t i = 0; i < 8 * W; ++i) {
            const uint32_t byte = uint32_t(v[i / 8] >> (8 * (i % 8))) & 0xFF;
            length = Select(~ZeroMask32(byte), i + 1, length);
        }
        return length;
    }

    // Caller bits into the whole buffer (zero padding); they fit (checked by the caller).
    static void WriteElement(const Element& v, OutputBytes out) {
        for (uint32_t i = 0; i < out.length; ++i) {
            out.data[i] = i < 8 * W ? uint8_t(v[i / 8] >> (8 * (i % 8))) : 0;
        }
    }

    Basis basis;
    FixedCurve<Field> curve;
    uint32_t n[kLimbs];
    FixedIntegers::OddModulus modulus;
    uint32_t orderBits;
    uint32_t orderBytes;
    unsigned limbs;
};

// The engine of `policy` for a curve with A = 1 (or 0), B and n, or null when they lie outside
// the engine's domain (engine.h). `useInstruction` false keeps the portable multiplication.
template <class Basis>
std::shared_ptr<const DSTU4145Engine> MakeEngine(const Basis& policy, bool aIsOne,
                                                 const LongIntegerClass& b,
                                                 const LongIntegerClass& order,
                                                 bool useInstruction = true) {
    const uint32_t m = policy.m;
    const uint32_t words = (m + 63) / 64;
    const uint32_t bBits = b.BitLength(), orderBits = order.BitLength();
    if (words < 3 || words > Carryless::kMaxWords) return nullptr;
    if (m % 64 == 0 || policy.k >= 64 || 2 * policy.k >= m) return nullptr;
    if (bBits == 0 || bBits > m || orderBits < 2 || orderBits > 64 * (words + 1)) return nullptr;
    if (!order.TestBit(0)) return nullptr;  // Montgomery reduction needs an odd n
    uint8_t bytes[8 * Carryless::kMaxWords] = {};
    b.ToBytes(bytes, 8 * words, 0);
    uint64_t bWords[Carryless::kMaxWords] = {};
    for (uint32_t i = 0; i < 8 * words; ++i) bWords[i / 8] |= uint64_t(bytes[i]) << (8 * (i % 8));
    uint8_t orderBytes[8 * (Carryless::kMaxWords + 1)] = {};
    order.ToBytes(orderBytes, sizeof orderBytes, 0);
    uint32_t limbs[FixedIntegers::kMaxLimbs] = {};
    FixedIntegers::Load(orderBytes, sizeof orderBytes, limbs, FixedIntegers::kMaxLimbs, 0);
    LongIntegerClass rSquared;
    rSquared.SetBit(64 * ((orderBits + 31) / 32), true);
    rSquared %= order;
    rSquared.ToBytes(orderBytes, sizeof orderBytes, 0);
    uint32_t rSquaredLimbs[FixedIntegers::kMaxLimbs] = {};
    FixedIntegers::Load(orderBytes, sizeof orderBytes, rSquaredLimbs, FixedIntegers::kMaxLimbs, 0);
    const auto make = [&](auto width) -> std::shared_ptr<const DSTU4145Engine> {
        constexpr unsigned W = decltype(width)::value;
        typename FixedPBField<W>::Element element;
        for (unsigned i = 0; i < W; ++i) element[i] = bWords[i];
        return std::make_shared<const FixedEngine<Basis, W>>(
            policy, aIsOne, element, limbs, rSquaredLimbs, orderBits, useInstruction);
    };
    switch (words) {
        case 3:
            return make(std::integral_constant<unsigned, 3>());
        case 4:
            return make(std::integral_constant<unsigned, 4>());
        case 5:
            return make(std::integral_constant<unsigned, 5>());
        case 6:
            return make(std::integral_constant<unsigned, 6>());
        case 7:
            return make(std::integral_constant<unsigned, 7>());
        case 8:
            return make(std::integral_constant<unsigned, 8>());
        default:
            return make(std::integral_constant<unsigned, 9>());
    }
}

}  // namespace QIRVALE
