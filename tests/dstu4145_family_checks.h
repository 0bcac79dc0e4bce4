// Checks of the DSTU 4145 exports that hold alike for both bases, written once over the
// table of exports (dstu4145_test_helpers.h) and run by the PB and ONB tests on their curves:
// round trips, every check of every export in its order and with its code, output buffers
// (one byte short: code 2 and nothing written; never a write outside), strings at and beyond
// the 1024-byte capacity, and uncreated or destroyed handles.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dstu4145_test_helpers.h"
#include "longint/long_integer.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace dstutest {

using qirvale_test::ToHex;

// The little-endian bytes of the field's unit element: 1 (PB) or 2^m - 1 (ONB).
inline Bytes UnitBytes(const Family& family, uint32_t m) {
    Bytes unit((m + 7) / 8, 0);
    if (std::string(family.name) == "PB") {
        unit[0] = 1;
        return unit;
    }
    for (uint32_t bit = 0; bit < m; ++bit) unit[bit / 8] |= uint8_t(1u << (bit % 8));
    return unit;
}

inline Bytes Padded(Bytes v, std::size_t length) {
    v.resize(length, 0);
    return v;
}

inline Bytes WithBitFlipped(Bytes v, uint32_t bit) {
    if (v.size() <= bit / 8) v.resize(bit / 8 + 1, 0);
    v[bit / 8] ^= uint8_t(1u << (bit % 8));
    return v;
}

inline QIRVALE::LongIntegerClass Number(const Bytes& v) {
    QIRVALE::LongIntegerClass x;
    x.FromBytes(v.data(), uint32_t(v.size()), 0);
    return x;
}

inline Bytes BytesOf(const QIRVALE::LongIntegerClass& x, std::size_t length) {
    Bytes v(length);
    x.ToBytes(v.data(), uint32_t(length), 0);
    return v;
}

// The two halves of a signature.
inline Bytes FirstHalf(const Bytes& signature) {
    return Bytes(signature.begin(), signature.begin() + signature.size() / 2);
}
inline Bytes SecondHalf(const Bytes& signature) {
    return Bytes(signature.begin() + signature.size() / 2, signature.end());
}
inline Bytes Joined(const Bytes& r, const Bytes& s) {
    Bytes v(r);
    v.insert(v.end(), s.begin(), s.end());
    return v;
}

// ---- round trip on one curve -------------------------------------------------------------

// Base point, keys, sign and verify; each changed input is rejected with code 90.
inline void CheckKeysSignVerify(Session& s) {
    s.MakeKeys();
    const Family& f = s.family();
    uint8_t valid[3] = {9, 9, 9};
    EXPECT_EQ(
        f.verifyBasePoint(&valid[0], s.curve(), s.px.data(), L(s.px), s.py.data(), L(s.py)) +
            f.verifyPublicKey(&valid[1], s.curve(), s.qx.data(), L(s.qx), s.qy.data(), L(s.qy)) +
            f.verifyPrivateKey(&valid[2], s.curve(), s.px.data(), L(s.px), s.py.data(), L(s.py),
                               s.qx.data(), L(s.qx), s.qy.data(), L(s.qy), s.d.data(), L(s.d)),
        0u);
    EXPECT_TRUE(valid[0] == 1 && valid[1] == 1 && valid[2] == 1);

    const Bytes hash = s.random().BytesOf(32);
    const Bytes signature = s.SignFresh(hash);
    uint8_t verified = 9;
    uint16_t code = 0xFFFF;
    EXPECT_EQ(s.Verify(hash, signature, &verified, &code), 0u);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(verified, 1);

    auto rejected = [&](const Bytes& h, const Bytes& sig, const char* what) {
        verified = 9;
        code = 0xFFFF;
        EXPECT_EQ(s.Verify(h, sig, &verified, &code), 0u) << what;
        EXPECT_EQ(code, ResultCodeSignatureMismatch) << what;
        EXPECT_EQ(verified, 0) << what;
    };
    Bytes changedHash = hash;
    changedHash[5] ^= 0x40;
    rejected(changedHash, signature, "hash byte");
    // r keeps fewer bits than n, so flipping its bit 1 keeps it in range (and non-zero
    // unless r was 2); s is moved by one within 1 .. n-1.
    Bytes r = FirstHalf(signature);
    r = IsZero(WithBitFlipped(r, 1)) ? WithBitFlipped(r, 2) : WithBitFlipped(r, 1);
    rejected(hash, Joined(r, SecondHalf(signature)), "r");
    Bytes sHalf = SecondHalf(signature);
    sHalf = SignificantLength(sHalf) == 1 && sHalf[0] == 1 ? Padded(Plus(sHalf, 1), sHalf.size())
                                                           : Minus(sHalf, Bytes{1});
    rejected(hash, Joined(FirstHalf(signature), sHalf), "s");
    // -Q = (Qx, Qx + Qy), the point d P: a wrong key, not an error.
    Bytes negatedY = s.qy;
    for (std::size_t i = 0; i < negatedY.size(); ++i) negatedY[i] ^= s.qx[i];
    verified = 9;
    EXPECT_EQ(s.VerifyWith(hash, signature, s.qx, negatedY, &verified, &code), 0u);
    EXPECT_EQ(code, ResultCodeSignatureMismatch);
    EXPECT_EQ(verified, 0);

    // Signing with d = 0 needs no secret, and its signature satisfies the equation under
    // Q = (0, 0). A P or Q that is no finite point of the curve is refused with code 99 once
    // the signature is well formed; a malformed signature keeps code 6.
    Bytes forged(s.SignatureBytes());
    const Bytes noKey{0}, e = s.random().NonZeroBits(s.OrderBits() - 1);
    ASSERT_EQ(f.signHash(forged.data(), L(forged), s.curve(), s.px.data(), L(s.px), s.py.data(),
                         L(s.py), hash.data(), L(hash), noKey.data(), 1, e.data(), L(e), &code),
              0u);
    const uint32_t m = s.record().m;
    const Bytes zero(s.ElementBytes(), 0);
    const Bytes malformed = Joined(Bytes(forged.size() / 2, 0), SecondHalf(forged));
    struct BadPoints {
        const char* what;
        const Bytes& sig;
        Bytes px, py, qx, qy;
        uint16_t code;
    };
    const BadPoints cases[] = {
        {"Q at infinity", forged, s.px, s.py, zero, zero, ResultCodeBadValue},
        {"Q off the curve", signature, s.px, s.py, s.qx, WithBitFlipped(s.qy, 0),
         ResultCodeBadValue},
        {"Q with m + 1 bits", signature, s.px, s.py, WithBitFlipped(s.qx, m), s.qy,
         ResultCodeBadValue},
        {"P at infinity", signature, zero, zero, s.qx, s.qy, ResultCodeBadValue},
        {"P off the curve", signature, s.px, WithBitFlipped(s.py, 1), s.qx, s.qy,
         ResultCodeBadValue},
        {"r = 0 and Q at infinity", malformed, s.px, s.py, zero, zero,
         ResultCodeBadSignatureLength},
    };
    for (const BadPoints& c : cases) {
        verified = 9;
        code = 0;
        EXPECT_EQ(f.verifyHash(&verified, s.curve(), c.px.data(), L(c.px), c.py.data(), L(c.py),
                               hash.data(), L(hash), c.sig.data(), L(c.sig), c.qx.data(), L(c.qx),
                               c.qy.data(), L(c.qy), &code),
                  1u)
            << c.what;
        EXPECT_EQ(code, c.code) << c.what;
        EXPECT_EQ(verified, 0) << c.what;
    }
}

// ---- signature format --------------------------------------------------------------------

inline void CheckSignatureFormat(Session& s) {
    s.MakeKeys();
    const Family& f = s.family();
    const Bytes hash = s.random().BytesOf(32);
    const Bytes e = s.random().NonZeroBits(s.OrderBits() - 1);
    const uint32_t minimum = s.SignatureBytes();
    EXPECT_EQ(f.signMinByteCount(s.curve()), minimum);
    Bytes signature(minimum);
    uint16_t code = 0;
    ASSERT_EQ(s.Sign(signature.data(), minimum, hash, e, &code), 0u);
    const std::size_t half = minimum / 2;
    const Bytes n = Padded(s.record().n, half);

    auto malformed = [&](const Bytes& sig, const char* what) {
        uint8_t verified = 9;
        code = 0;
        EXPECT_EQ(s.Verify(hash, sig, &verified, &code), 1u) << what;
        EXPECT_EQ(code, ResultCodeBadSignatureLength) << what;
        EXPECT_EQ(verified, 0) << what;
    };
    const Bytes zero(half, 0);
    malformed(Joined(zero, SecondHalf(signature)), "r = 0");
    malformed(Joined(n, SecondHalf(signature)), "r = n");
    malformed(Joined(FirstHalf(signature), zero), "s = 0");
    malformed(Joined(FirstHalf(signature), n), "s = n");
    malformed(Bytes(signature.begin(), signature.end() - 1), "one byte short");
    malformed(Bytes(signature.begin(), signature.end() - 2), "two bytes short");
    malformed(Padded(signature, minimum + 1), "odd length");
    malformed(Bytes(), "empty");

    // A longer even buffer holds r and s each padded in its half, and verifies.
    const Bytes padded =
        Joined(Padded(FirstHalf(signature), half + 1), Padded(SecondHalf(signature), half + 1));
    GuardedBuffer longer(minimum + 2);
    ASSERT_EQ(s.Sign(longer.data(), minimum + 2, hash, e, &code), 0u);
    EXPECT_TRUE(longer.Intact());
    EXPECT_EQ(ToHex(longer.bytes()), ToHex(padded));
    uint8_t verified = 0;
    EXPECT_EQ(s.Verify(hash, padded, &verified, &code), 0u);
    EXPECT_EQ(verified, 1);
    // r = n - 1 is in range: the signature is well formed and simply wrong.
    verified = 9;
    EXPECT_EQ(s.Verify(hash, Joined(Minus(n, Bytes{1}), SecondHalf(signature)), &verified, &code),
              0u);
    EXPECT_EQ(code, ResultCodeSignatureMismatch);

    // Signing into a buffer of odd or too short length: code 6, nothing written.
    for (uint32_t length : {minimum - 1, minimum + 1, minimum - 2, 0u}) {
        GuardedBuffer out(length);
        code = 0;
        EXPECT_EQ(s.Sign(out.data(), length, hash, e, &code), 1u) << length;
        EXPECT_EQ(code, ResultCodeBadSignatureLength) << length;
        EXPECT_TRUE(out.Untouched() && out.Intact()) << length;
    }
}

// ---- hash conversion ---------------------------------------------------------------------

// h keeps the low m bits of the hash; a zero h is the unit element.
inline void CheckHashConversion(Session& s) {
    s.MakeKeys();
    const uint32_t m = s.record().m;
    const Bytes e = s.random().NonZeroBits(s.OrderBits() - 1);
    auto sign = [&](const Bytes& hash) {
        Bytes signature(s.SignatureBytes());
        uint16_t code = 0;
        EXPECT_EQ(s.Sign(signature.data(), uint32_t(signature.size()), hash, e, &code), 0u) << code;
        return signature;
    };
    const Bytes zeroHash(32, 0);
    const Bytes zeroSignature = sign(zeroHash);
    EXPECT_EQ(ToHex(zeroSignature), ToHex(sign(UnitBytes(s.family(), m))));
    EXPECT_EQ(ToHex(zeroSignature), ToHex(sign(Bytes())));
    // Only the bits above m set: h is zero, hence the unit.
    Bytes highOnly((m + 7) / 8 + 4, 0xFF);
    for (uint32_t bit = 0; bit < m; ++bit) highOnly[bit / 8] &= uint8_t(~(1u << (bit % 8)));
    EXPECT_EQ(ToHex(zeroSignature), ToHex(sign(highOnly)));
    uint8_t verified = 0;
    uint16_t code = 0;
    EXPECT_EQ(s.Verify(highOnly, zeroSignature, &verified, &code), 0u);
    EXPECT_EQ(verified, 1);

    // Bits above m do not count; a 1024-byte hash is read, a 1025-byte one is refused.
    const Bytes hash = s.random().BytesOf((m + 7) / 8);
    Bytes cut = hash;
    if (m % 8 != 0) cut.back() &= uint8_t((1u << (m % 8)) - 1);
    const Bytes expected = sign(cut);
    Bytes longer = hash;
    longer.push_back(0x5A);
    EXPECT_EQ(ToHex(sign(longer)), ToHex(expected));
    EXPECT_EQ(ToHex(sign(Padded(cut, 1024))), ToHex(expected));
    GuardedBuffer out(s.SignatureBytes());
    const Bytes tooLong = Padded(cut, 1025);
    EXPECT_EQ(s.Sign(out.data(), uint32_t(out.size()), tooLong, e, &code), 1u);
    EXPECT_EQ(code, ResultCodeInternalFailure);
    EXPECT_TRUE(out.Untouched() && out.Intact());
    EXPECT_EQ(s.Verify(tooLong, expected, &verified, &code), 1u);
    EXPECT_EQ(code, ResultCodeInternalFailure);
    EXPECT_EQ(verified, 0);
}

// ---- random numbers and keys -------------------------------------------------------------

inline void CheckRandomNumbers(Session& s) {
    s.MakeKeys();
    const Family& f = s.family();
    const uint32_t orderBits = s.OrderBits();
    EXPECT_EQ(f.privateKeyMaxBits(s.curve()), orderBits - 1);
    EXPECT_EQ(f.randomMaxBits(s.curve()), orderBits - 1);
    const Bytes& n = s.record().n;

    // Private keys: more than bitlen(n) - 1 bits, then zero, then the buffer size.
    auto privateKey = [&](const Bytes& random, uint32_t dLength, uint16_t expected) {
        GuardedBuffer d(dLength);
        uint16_t code = 0xFFFF;
        const uint32_t status = f.generatePrivateKey(d.data(), dLength, s.curve(), random.data(),
                                                     uint32_t(random.size()), &code);
        EXPECT_EQ(status, expected == 0 ? 0u : 1u) << ToHex(random);
        EXPECT_EQ(code, expected) << ToHex(random);
        EXPECT_TRUE(d.Intact());
        if (expected != 0) {
            EXPECT_TRUE(d.Untouched());
        } else {
            EXPECT_TRUE(SameNumber(d.bytes(), random));
        }
    };
    Bytes top(n.size(), 0);  // 2^(L-1): L bits, below n or not, is too long
    top = WithBitFlipped(top, orderBits - 1);
    privateKey(top, uint32_t(n.size()), ResultCodeRandomTooLong);
    privateKey(n, 0, ResultCodeRandomTooLong);  // before the buffer check
    privateKey(Bytes(n.size(), 0), uint32_t(n.size()), ResultCodeBadValue);
    privateKey(Bytes(), 0, ResultCodeBadValue);  // before the buffer check
    Bytes largest = Minus(top, Bytes{1});        // L - 1 bits, all set
    privateKey(largest, uint32_t(SignificantLength(largest)), ResultCodeNone);
    privateKey(largest, uint32_t(SignificantLength(largest)) - 1, ResultCodeBufferTooSmall);
    Bytes hundredBits = Padded(s.random().NonZeroBits(100), 30);
    hundredBits[12] |= 0x08;  // bit 99: exactly 100 bits
    privateKey(hundredBits, 13, ResultCodeNone);

    // Per-signature random numbers: 0 < e < n.
    const Bytes hash = s.random().BytesOf(32);
    auto preSign = [&](const Bytes& e, uint16_t expected) {
        GuardedBuffer fe(s.ElementBytes());
        uint16_t code = 0xFFFF;
        EXPECT_EQ(s.PreSign(fe.data(), uint32_t(fe.size()), e, &code), expected == 0 ? 0u : 1u);
        EXPECT_EQ(code, expected);
        EXPECT_TRUE(fe.Intact());
        EXPECT_TRUE(expected == 0 || fe.Untouched());
        GuardedBuffer signature(s.SignatureBytes());
        code = 0xFFFF;
        EXPECT_EQ(s.Sign(signature.data(), uint32_t(signature.size()), hash, e, &code),
                  expected == 0 ? 0u : 1u);
        EXPECT_EQ(code, expected);
        EXPECT_TRUE(signature.Intact());
        EXPECT_TRUE(expected == 0 || signature.Untouched());
        // SignHashByPreSign checks e alike: e = 0 or e = n would give s = d r, and d.
        GuardedBuffer byPreSign(s.SignatureBytes());
        code = 0xFFFF;
        EXPECT_EQ(s.SignByPreSign(byPreSign.data(), uint32_t(byPreSign.size()), hash, e,
                                  expected == 0 ? fe.bytes() : s.px, &code),
                  expected == 0 ? 0u : 1u);
        EXPECT_EQ(code, expected);
        EXPECT_TRUE(byPreSign.Intact());
        EXPECT_TRUE(expected == 0 || byPreSign.Untouched());
        return fe.bytes();
    };
    preSign(Bytes(n.size(), 0), ResultCodeBadSeed);
    preSign(n, ResultCodeBadSeed);
    preSign(Plus(n, 1), ResultCodeBadSeed);
    // (n - 1) P = -P and 1 P = P share the x of P.
    EXPECT_TRUE(SameNumber(preSign(Minus(n, Bytes{1}), ResultCodeNone), s.px));
    EXPECT_TRUE(SameNumber(preSign(Bytes{1}, ResultCodeNone), s.px));
    // A bad e is reported before a bad signature length.
    uint16_t code = 0;
    uint8_t dummy[1];
    EXPECT_EQ(s.Sign(dummy, 1, hash, n, &code), 1u);
    EXPECT_EQ(code, ResultCodeBadSeed);
    EXPECT_EQ(s.SignByPreSign(dummy, 1, hash, n, s.px, &code), 1u);
    EXPECT_EQ(code, ResultCodeBadSeed);
}

// ---- pre-signatures ----------------------------------------------------------------------

// SignHash is CreatePreSign followed by SignHashByPreSign; degenerate r and s give code 99.
inline void CheckPreSignPath(Session& s) {
    s.MakeKeys();
    const Family& f = s.family();
    const Bytes hash = s.random().BytesOf(40);
    for (int round = 0; round < 3; ++round) {
        const Bytes e = s.random().NonZeroBits(s.OrderBits() - 1);
        Bytes fe(s.ElementBytes());
        uint16_t code = 0;
        ASSERT_EQ(s.PreSign(fe.data(), L(fe), e, &code), 0u);
        Bytes direct(s.SignatureBytes()), twoStep(s.SignatureBytes());
        ASSERT_EQ(s.Sign(direct.data(), uint32_t(direct.size()), hash, e, &code), 0u);
        ASSERT_EQ(s.SignByPreSign(twoStep.data(), L(twoStep), hash, e, fe, &code), 0u);
        EXPECT_EQ(ToHex(direct), ToHex(twoStep));
    }

    // F_e = 0 makes r = 0.
    const Bytes e = s.random().NonZeroBits(s.OrderBits() - 1);
    GuardedBuffer out(s.SignatureBytes());
    uint16_t code = 0;
    EXPECT_EQ(s.SignByPreSign(out.data(), uint32_t(out.size()), hash, e, Bytes(s.ElementBytes(), 0),
                              &code),
              1u);
    EXPECT_EQ(code, ResultCodeBadValue);
    EXPECT_TRUE(out.Untouched() && out.Intact());
    // With a hash of zero (h = unit element) and F_e = the unit, y = the unit, so r is known;
    // e = n - (d r mod n) then makes s = 0.
    using QIRVALE::LongIntegerClass;
    const Bytes unit = UnitBytes(f, s.record().m);
    LongIntegerClass r = Number(unit);
    r.TruncateBits(s.OrderBits() - 1);
    const LongIntegerClass n = Number(s.record().n);
    LongIntegerClass dr = LongIntegerClass::ModMul(Number(s.d), r, n);
    LongIntegerClass sZero = n;
    sZero.Subtract(dr);
    const Bytes eZero = BytesOf(sZero, s.record().n.size());
    const Bytes zeroHash(8, 0);
    GuardedBuffer out2(s.SignatureBytes());
    code = 0;
    EXPECT_EQ(s.SignByPreSign(out2.data(), uint32_t(out2.size()), zeroHash, eZero, unit, &code),
              1u);
    EXPECT_EQ(code, ResultCodeBadValue);
    EXPECT_TRUE(out2.Untouched() && out2.Intact());

    // A P with x = 0 has multiples with x = 0 only: F_e = 0 for every e, code 9 instead of
    // 99 (a caller drawing again would loop for ever). An e out of range still gives code 1.
    const uint32_t bytes = s.ElementBytes();
    Bytes zeroX(bytes, 0), sqrtB(bytes, 0);
    ASSERT_EQ(s.Unpack(zeroX.data(), bytes, sqrtB.data(), bytes, Bytes(bytes, 0), &code), 0u);
    for (const Bytes& y : {Bytes(bytes, 0), sqrtB, Bytes{1}}) {
        for (const Bytes& random : {e, Bytes{0}}) {
            const uint16_t expected =
                IsZero(random) ? ResultCodeBadSeed : ResultCodeInternalFailure;
            GuardedBuffer fe(bytes), signature(s.SignatureBytes());
            code = 0;
            EXPECT_EQ(f.createPreSign(fe.data(), bytes, s.curve(), zeroX.data(), bytes, y.data(),
                                      L(y), random.data(), L(random), &code),
                      1u);
            EXPECT_EQ(code, expected) << ToHex(y);
            code = 0;
            EXPECT_EQ(f.signHash(signature.data(), uint32_t(signature.size()), s.curve(),
                                 zeroX.data(), bytes, y.data(), L(y), hash.data(), L(hash),
                                 s.d.data(), L(s.d), random.data(), L(random), &code),
                      1u);
            EXPECT_EQ(code, expected) << ToHex(y);
            EXPECT_TRUE(fe.Untouched() && signature.Untouched());
        }
    }
}

// ---- points ------------------------------------------------------------------------------

// Pack / unpack round trips; a packed value differs from x at most in the compression bit;
// unpackable values give code 9; and the base-point check rejects each kind of bad point.
inline void CheckPoints(Session& s) {
    s.MakeKeys();
    const Family& f = s.family();
    const uint32_t compressionBit = std::string(f.name) == "PB" ? 0 : s.record().m - 1;
    const uint32_t bytes = s.ElementBytes();
    auto pack = [&](const Bytes& x, const Bytes& y) {
        Bytes packed(bytes);
        uint16_t code = 0;
        EXPECT_EQ(s.Pack(packed.data(), bytes, x, y, &code), 0u);
        return packed;
    };
    auto unpack = [&](const Bytes& packed, Bytes& x, Bytes& y, uint16_t* code) {
        x.assign(bytes, 0);
        y.assign(bytes, 0);
        return s.Unpack(x.data(), bytes, y.data(), bytes, packed, code);
    };
    Bytes negY = s.py;
    for (std::size_t i = 0; i < negY.size(); ++i) negY[i] ^= s.px[i];
    const std::vector<std::pair<Bytes, Bytes>> points = {{s.px, s.py}, {s.px, negY}, {s.qx, s.qy}};
    for (const auto& [x, y] : points) {
        const Bytes packed = pack(x, y);
        for (std::size_t i = 0; i < bytes; ++i) {
            const uint8_t mask =
                i == compressionBit / 8 ? uint8_t(~(1u << (compressionBit % 8))) : 0xFF;
            EXPECT_EQ(packed[i] & mask, x[i] & mask) << i;
        }
        Bytes ux, uy;
        uint16_t code = 0;
        ASSERT_EQ(unpack(packed, ux, uy, &code), 0u);
        EXPECT_EQ(ToHex(ux), ToHex(x));
        EXPECT_EQ(ToHex(uy), ToHex(y));
    }
    // P and -P differ in the compression bit only.
    EXPECT_NE(ToHex(pack(s.px, s.py)), ToHex(pack(s.px, negY)));

    // Random x: about half have a point, which packs back; the others give code 9.
    int failures = 0;
    for (int i = 0; i < 24; ++i) {
        const Bytes packed = s.random().NonZeroBits(s.record().m);
        GuardedBuffer x(bytes), y(bytes);
        uint16_t code = 0;
        const uint32_t status = s.Unpack(x.data(), bytes, y.data(), bytes, packed, &code);
        EXPECT_TRUE(x.Intact() && y.Intact());
        if (status != 0) {
            ++failures;
            EXPECT_EQ(code, ResultCodeInternalFailure);
            EXPECT_TRUE(x.Untouched() && y.Untouched());
            continue;
        }
        // The unpacked x differs from the packed value at most in the compression bit, which
        // packing sets back to the trace bit of y / x chosen by unpacking.
        EXPECT_TRUE(SameNumber(pack(x.bytes(), y.bytes()), packed)) << ToHex(packed);
    }
    EXPECT_GT(failures, 0);
    EXPECT_LT(failures, 24);

    // Zero packs to zero whatever y is, and unpacks to (0, sqrt(B)), a point of order 2.
    EXPECT_TRUE(IsZero(pack(Bytes(bytes, 0), s.py)));
    Bytes zx, zy;
    uint16_t code = 0;
    ASSERT_EQ(unpack(Bytes(bytes, 0), zx, zy, &code), 0u);
    EXPECT_TRUE(IsZero(zx));
    EXPECT_FALSE(IsZero(zy));

    // The base-point check: status 0 and valid 0 for each kind of bad point.
    auto valid = [&](const Bytes& x, const Bytes& y) {
        uint8_t flag = 9;
        EXPECT_EQ(f.verifyBasePoint(&flag, s.curve(), x.data(), uint32_t(x.size()), y.data(),
                                    uint32_t(y.size())),
                  0u);
        return flag;
    };
    EXPECT_EQ(valid(s.px, s.py), 1);
    EXPECT_EQ(valid(Bytes(bytes, 0), Bytes(bytes, 0)), 0);
    EXPECT_EQ(valid(Bytes(), Bytes()), 0);
    EXPECT_EQ(valid(WithBitFlipped(s.px, s.record().m), s.py), 0);
    EXPECT_EQ(valid(s.px, WithBitFlipped(s.py, s.record().m)), 0);
    EXPECT_EQ(valid(s.px, WithBitFlipped(s.py, 0)), 0);  // off the curve
    EXPECT_EQ(valid(zx, zy), 0);                         // on the curve, order 2
    // Padding does not matter.
    EXPECT_EQ(valid(Padded(s.px, 300), Padded(s.py, 1024)), 1);

    // Base-point generation: U = 0 gives the point of order 2, refused with code 99.
    GuardedBuffer x(bytes), y(bytes);
    code = 0;
    const Bytes zero(bytes, 0);
    EXPECT_EQ(
        f.genBasePoint(x.data(), bytes, y.data(), bytes, s.curve(), zero.data(), bytes, &code), 1u);
    EXPECT_EQ(code, ResultCodeBadValue);
    EXPECT_TRUE(x.Untouched() && y.Untouched() && x.Intact() && y.Intact());

    // Keys: the pair checks, and -Q passes the public-key check as well.
    uint8_t flag = 9;
    const Bytes dPlusOne = Plus(s.d, 1);
    EXPECT_EQ(
        f.verifyPrivateKey(&flag, s.curve(), s.px.data(), uint32_t(s.px.size()), s.py.data(),
                           uint32_t(s.py.size()), s.qx.data(), uint32_t(s.qx.size()), s.qy.data(),
                           uint32_t(s.qy.size()), dPlusOne.data(), uint32_t(dPlusOne.size())),
        0u);
    EXPECT_EQ(flag, 0);
    Bytes negQy = s.qy;
    for (std::size_t i = 0; i < negQy.size(); ++i) negQy[i] ^= s.qx[i];
    flag = 9;
    EXPECT_EQ(f.verifyPublicKey(&flag, s.curve(), s.qx.data(), uint32_t(s.qx.size()), negQy.data(),
                                uint32_t(negQy.size())),
              0u);
    EXPECT_EQ(flag, 1);
    // d = 0 gives the point at infinity, written as zeros.
    Bytes ix(bytes, 0xEE), iy(bytes, 0xEE);
    EXPECT_EQ(s.PublicKey(Bytes{0}, ix, iy, &code), 0u);
    EXPECT_TRUE(IsZero(ix) && IsZero(iy));
}

// ---- output buffers ----------------------------------------------------------------------

// Every output one byte short of its result: code 2 and nothing written; exactly long enough:
// written, nothing outside.
inline void CheckShortBuffers(Session& s) {
    s.MakeKeys();
    const Family& f = s.family();
    // A result's significant length; the calls below are made with that, and with one less.
    auto check = [&](const char* what, std::size_t needX, std::size_t needY,
                     const std::function<uint32_t(uint8_t*, uint32_t, uint8_t*, uint32_t,
                                                  uint16_t*)>& call) {
        for (int shortOne = 0; shortOne < (needY == 0 ? 1 : 2); ++shortOne) {
            const std::size_t lx = needX - (shortOne == 0 ? 1 : 0);
            const std::size_t ly = needY == 0 ? 0 : needY - (shortOne == 1 ? 1 : 0);
            GuardedBuffer x(lx), y(ly);
            uint16_t code = 0;
            EXPECT_EQ(call(x.data(), uint32_t(lx), y.data(), uint32_t(ly), &code), 1u) << what;
            EXPECT_EQ(code, ResultCodeBufferTooSmall) << what;
            EXPECT_TRUE(x.Untouched() && y.Untouched() && x.Intact() && y.Intact()) << what;
        }
        GuardedBuffer x(needX), y(needY);
        uint16_t code = 0xFFFF;
        EXPECT_EQ(call(x.data(), uint32_t(needX), y.data(), uint32_t(needY), &code), 0u) << what;
        EXPECT_EQ(code, 0) << what;
        EXPECT_TRUE(x.Intact() && y.Intact()) << what;
    };
    const std::size_t xLength = SignificantLength(s.px), yLength = SignificantLength(s.py);
    Bytes packed(s.ElementBytes());
    uint16_t code = 0;
    ASSERT_EQ(s.Pack(packed.data(), L(packed), s.px, s.py, &code), 0u);
    check("pack", SignificantLength(packed), 0,
          [&](uint8_t* x, uint32_t lx, uint8_t*, uint32_t, uint16_t* c) {
              return s.Pack(x, lx, s.px, s.py, c);
          });
    check("unpack", xLength, yLength,
          [&](uint8_t* x, uint32_t lx, uint8_t* y, uint32_t ly, uint16_t* c) {
              return s.Unpack(x, lx, y, ly, packed, c);
          });
    check("base point", xLength, yLength,
          [&](uint8_t* x, uint32_t lx, uint8_t* y, uint32_t ly, uint16_t* c) {
              return f.genBasePoint(x, lx, y, ly, s.curve(), s.lastU.data(),
                                    uint32_t(s.lastU.size()), c);
          });
    check("public key", SignificantLength(s.qx), SignificantLength(s.qy),
          [&](uint8_t* x, uint32_t lx, uint8_t* y, uint32_t ly, uint16_t* c) {
              return f.generatePublicKey(x, lx, y, ly, s.curve(), s.px.data(),
                                         uint32_t(s.px.size()), s.py.data(), uint32_t(s.py.size()),
                                         s.d.data(), uint32_t(s.d.size()), c);
          });
    check("private key", SignificantLength(s.d), 0,
          [&](uint8_t* x, uint32_t lx, uint8_t*, uint32_t, uint16_t* c) {
              return f.generatePrivateKey(x, lx, s.curve(), s.d.data(), uint32_t(s.d.size()), c);
          });
    const Bytes e = s.random().NonZeroBits(s.OrderBits() - 1);
    Bytes fe(s.ElementBytes());
    ASSERT_EQ(s.PreSign(fe.data(), L(fe), e, &code), 0u);
    check("pre-signature", SignificantLength(fe), 0,
          [&](uint8_t* x, uint32_t lx, uint8_t*, uint32_t, uint16_t* c) {
              return s.PreSign(x, lx, e, c);
          });
}

// ---- strings at and beyond the capacity --------------------------------------------------

// Each byte-string argument, zero-padded to 1024 bytes, gives the same result as unpadded;
// padded to 1025 bytes (2050 for a signature, whose halves are read), it gives status 1 (code
// 9 where there is one), with nothing written. Exports of each kind: a check with a flag, an
// integer, a field element, the longest argument list (with the P that SignHashByPreSign
// reads but does not use), and a signature.
inline void CheckCapacity(Session& s) {
    s.MakeKeys();
    const Family& f = s.family();
    const Bytes hash = s.random().BytesOf(32);
    const Bytes e = s.random().NonZeroBits(s.OrderBits() - 1);
    Bytes fe(s.ElementBytes());
    uint16_t code = 0;
    ASSERT_EQ(s.PreSign(fe.data(), L(fe), e, &code), 0u);
    Bytes packed(s.ElementBytes());
    ASSERT_EQ(s.Pack(packed.data(), L(packed), s.px, s.py, &code), 0u);
    Bytes signature(s.SignatureBytes());
    ASSERT_EQ(s.Sign(signature.data(), uint32_t(signature.size()), hash, e, &code), 0u);

    // An export as a call on its string arguments, writing into one output buffer; the
    // returned pair is (status, code), code 0xFFFF when the export has none.
    struct Case {
        const char* name;
        std::vector<Bytes> args;
        std::size_t output;
        std::function<std::pair<uint32_t, uint16_t>(const std::vector<Bytes>&, uint8_t*, uint32_t)>
            call;
    };
    const std::vector<Case> cases = {
        {"UnPackPoint",
         {packed},
         2 * s.ElementBytes(),
         [&](const std::vector<Bytes>& a, uint8_t* out, uint32_t n) {
             uint16_t c = 0;
             uint32_t st = s.Unpack(out, n / 2, out + n / 2, n / 2, a[0], &c);
             return std::make_pair(st, c);
         }},
        {"VerifyBasePoint",
         {s.px, s.py},
         1,
         [&](const std::vector<Bytes>& a, uint8_t* out, uint32_t) {
             uint32_t st =
                 f.verifyBasePoint(out, s.curve(), a[0].data(), L(a[0]), a[1].data(), L(a[1]));
             return std::make_pair(st, uint16_t(0xFFFF));
         }},
        {"GeneratePrivateKey",
         {s.d},
         s.ElementBytes(),
         [&](const std::vector<Bytes>& a, uint8_t* out, uint32_t n) {
             uint16_t c = 0;
             uint32_t st = f.generatePrivateKey(out, n, s.curve(), a[0].data(), L(a[0]), &c);
             return std::make_pair(st, c);
         }},
        {"SignHashByPreSign",
         {s.px, s.py, hash, s.d, e, fe},
         s.SignatureBytes(),
         [&](const std::vector<Bytes>& a, uint8_t* out, uint32_t n) {
             uint16_t c = 0;
             uint32_t st = f.signHashByPreSign(out, n, s.curve(), a[0].data(), L(a[0]), a[1].data(),
                                               L(a[1]), a[2].data(), L(a[2]), a[3].data(), L(a[3]),
                                               a[4].data(), L(a[4]), a[5].data(), L(a[5]), &c);
             return std::make_pair(st, c);
         }},
        {"VerifyHash",
         {s.px, s.py, hash, signature, s.qx, s.qy},
         1,
         [&](const std::vector<Bytes>& a, uint8_t* out, uint32_t) {
             uint16_t c = 0;
             uint32_t st = f.verifyHash(out, s.curve(), a[0].data(), L(a[0]), a[1].data(), L(a[1]),
                                        a[2].data(), L(a[2]), a[3].data(), L(a[3]), a[4].data(),
                                        L(a[4]), a[5].data(), L(a[5]), &c);
             return std::make_pair(st, c);
         }},
    };
    for (const Case& c : cases) {
        GuardedBuffer baseline(c.output);
        const auto expected = c.call(c.args, baseline.data(), uint32_t(c.output));
        ASSERT_EQ(expected.first, 0u) << c.name;
        for (std::size_t i = 0; i < c.args.size(); ++i) {
            const bool isSignature = std::string(c.name) == "VerifyHash" && i == 3;
            std::vector<Bytes> args = c.args;
            auto pad = [&](std::size_t capacity) {
                if (!isSignature) return Padded(c.args[i], capacity);
                return Joined(Padded(FirstHalf(c.args[i]), capacity),
                              Padded(SecondHalf(c.args[i]), capacity));
            };
            args[i] = pad(1024);
            GuardedBuffer full(c.output);
            const auto atCapacity = c.call(args, full.data(), uint32_t(c.output));
            EXPECT_EQ(atCapacity, expected) << c.name << " argument " << i;
            EXPECT_EQ(ToHex(full.bytes()), ToHex(baseline.bytes())) << c.name << " " << i;
            args[i] = pad(1025);
            GuardedBuffer over(c.output);
            const auto beyond = c.call(args, over.data(), uint32_t(c.output));
            EXPECT_EQ(beyond.first, 1u) << c.name << " argument " << i;
            if (expected.second != 0xFFFF) {
                EXPECT_EQ(beyond.second, ResultCodeInternalFailure) << c.name << " " << i;
            }
            // The flag of a check export is cleared; other outputs are not written.
            if (c.output == 1) {
                EXPECT_EQ(over.bytes()[0], 0) << c.name << " " << i;
            } else {
                EXPECT_TRUE(over.Untouched()) << c.name << " argument " << i;
            }
            EXPECT_TRUE(full.Intact() && over.Intact()) << c.name << " " << i;
        }
    }
    // Curve creation: B or n of 1025 bytes.
    DSTU4145CurveHandle* curve = f.curveAllocate();
    const CurveRecord& record = s.record();
    for (int which = 0; which < 2; ++which) {
        const Bytes b = Padded(record.b, which == 0 ? 1025 : 1024);
        const Bytes n = Padded(record.n, which == 1 ? 1025 : 1024);
        EXPECT_EQ(f.curveCreate(curve, s.field(), record.a, b.data(), L(b), n.data(), L(n)), 1u);
        EXPECT_EQ(curve->parameters, nullptr);
        EXPECT_EQ(curve->order, nullptr);
    }
    const Bytes b = Padded(record.b, 1024), n = Padded(record.n, 1024);
    EXPECT_EQ(f.curveCreate(curve, s.field(), record.a, b.data(), L(b), n.data(), L(n)), 0u);
    EXPECT_EQ(f.signMinByteCount(curve), s.SignatureBytes());
    f.curveFree(curve);
}

// ---- handles -----------------------------------------------------------------------------

// Handles that were never created, have been destroyed, or hold objects of the other basis:
// no crash, status 1 (code 9, never 99), flags 0, sizes 0 (except the size queries that are
// one function for both bases), nothing written; Destroy and Free leave the other basis's
// objects alone.
inline void CheckUncreatedHandles(const Family& f, const CurveRecord& record, const Family& other,
                                  const CurveRecord& otherRecord) {
    DSTU4145BaseFieldHandle* field = f.fieldAllocate();
    DSTU4145CurveHandle* curve = f.curveAllocate();
    ASSERT_NE(field, nullptr);
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(field->field, nullptr);
    EXPECT_EQ(curve->parameters, nullptr);
    EXPECT_EQ(curve->order, nullptr);

    const Bytes one{1};
    auto everything = [&](const char* state, uint32_t sharedBits = 0, uint32_t sharedBytes = 0) {
        SCOPED_TRACE(state);
        EXPECT_EQ(f.elementMaxBits(field), 0u);
        EXPECT_EQ(f.coordMaxBits(field), 0u);
        EXPECT_EQ(f.packMaxBits(field), 0u);
        EXPECT_EQ(f.preSignMaxBits(field), 0u);
        EXPECT_EQ(f.privateKeyMaxBits(curve), sharedBits);
        EXPECT_EQ(f.randomMaxBits(curve), sharedBits);
        EXPECT_EQ(f.signMinByteCount(curve), sharedBytes);
        DSTU4145CurveHandle* fresh = f.curveAllocate();
        EXPECT_EQ(f.curveCreate(fresh, field, record.a, record.b.data(), uint32_t(record.b.size()),
                                record.n.data(), uint32_t(record.n.size())),
                  1u);
        EXPECT_EQ(fresh->parameters, nullptr);
        f.curveFree(fresh);

        GuardedBuffer a(64), b(64);
        // Each call with the error code preset to 0xFFFF, checked after the call.
        auto failed = [&](const char* what, const std::function<uint32_t(uint16_t*)>& call) {
            uint16_t code = 0xFFFF;
            EXPECT_EQ(call(&code), 1u) << what;
            EXPECT_EQ(code, ResultCodeInternalFailure) << what;
            EXPECT_TRUE(a.Untouched() && b.Untouched() && a.Intact() && b.Intact()) << what;
        };
        const uint8_t* o = one.data();
        failed("pack",
               [&](uint16_t* c) { return f.packPoint(a.data(), 64, curve, o, 1, o, 1, c); });
        failed("unpack", [&](uint16_t* c) {
            return f.unpackPoint(a.data(), 64, b.data(), 64, curve, o, 1, c);
        });
        failed("base point", [&](uint16_t* c) {
            return f.genBasePoint(a.data(), 64, b.data(), 64, curve, o, 1, c);
        });
        failed("private key",
               [&](uint16_t* c) { return f.generatePrivateKey(a.data(), 64, curve, o, 1, c); });
        failed("public key", [&](uint16_t* c) {
            return f.generatePublicKey(a.data(), 64, b.data(), 64, curve, o, 1, o, 1, o, 1, c);
        });
        failed("pre-signature", [&](uint16_t* c) {
            return f.createPreSign(a.data(), 64, curve, o, 1, o, 1, o, 1, c);
        });
        failed("by pre-signature", [&](uint16_t* c) {
            return f.signHashByPreSign(a.data(), 64, curve, o, 1, o, 1, o, 1, o, 1, o, 1, o, 1, c);
        });
        failed("sign", [&](uint16_t* c) {
            return f.signHash(a.data(), 64, curve, o, 1, o, 1, o, 1, o, 1, o, 1, c);
        });
        uint16_t code = 0;
        uint8_t flag = 7;
        EXPECT_EQ(f.verifyHash(&flag, curve, o, 1, o, 1, o, 1, a.data(), 64, o, 1, o, 1, &code),
                  1u);
        EXPECT_EQ(code, ResultCodeInternalFailure);
        EXPECT_EQ(flag, 0);
        flag = 7;
        EXPECT_EQ(f.verifyBasePoint(&flag, curve, o, 1, o, 1), 1u);
        EXPECT_EQ(flag, 0);
        flag = 7;
        EXPECT_EQ(f.verifyPublicKey(&flag, curve, o, 1, o, 1), 1u);
        EXPECT_EQ(flag, 0);
        flag = 7;
        EXPECT_EQ(f.verifyPrivateKey(&flag, curve, o, 1, o, 1, o, 1, o, 1, o, 1), 1u);
        EXPECT_EQ(flag, 0);
    };
    everything("never created");
    f.fieldDestroy(field);  // nothing to destroy
    f.curveDestroy(curve);
    everything("destroyed without creation");

    ASSERT_EQ(f.createField(field, record), 0u);
    ASSERT_EQ(f.curveCreate(curve, field, record.a, record.b.data(), uint32_t(record.b.size()),
                            record.n.data(), uint32_t(record.n.size())),
              0u);
    f.curveDestroy(curve);
    f.curveDestroy(curve);
    f.fieldDestroy(field);
    f.fieldDestroy(field);
    everything("destroyed twice");

    ASSERT_EQ(other.createField(field, otherRecord), 0u);
    ASSERT_EQ(other.curveCreate(curve, field, otherRecord.a, otherRecord.b.data(), L(otherRecord.b),
                                otherRecord.n.data(), L(otherRecord.n)),
              0u);
    everything("of the other basis", BitLength(otherRecord.n) - 1,
               2 * uint32_t(SignificantLength(otherRecord.n)));
    f.curveDestroy(curve);
    f.fieldDestroy(field);
    f.curveFree(curve);
    f.fieldFree(field);
    EXPECT_EQ(other.elementMaxBits(field), otherRecord.m);
    EXPECT_EQ(other.signMinByteCount(curve), 2 * uint32_t(SignificantLength(otherRecord.n)));
    other.curveFree(curve);
    other.fieldFree(field);
    f.curveFree(nullptr);
    f.fieldFree(nullptr);
}

// Allocation, creation, destroying the field before its curve, and Free of created handles.
inline void CheckLifecycle(const Family& f, const CurveRecord& record) {
    EXPECT_EQ(f.fieldSizeOf(), sizeof(void*));
    EXPECT_EQ(f.curveSizeOf(), 2 * sizeof(void*));
    EXPECT_EQ(f.fieldSizeOf(), sizeof(DSTU4145BaseFieldHandle));
    EXPECT_EQ(f.curveSizeOf(), sizeof(DSTU4145CurveHandle));

    // A handle in caller memory of SizeOf bytes.
    DSTU4145BaseFieldHandle field{};
    DSTU4145CurveHandle curve{};
    ASSERT_EQ(f.createField(&field, record), 0u);
    EXPECT_EQ(f.elementMaxBits(&field), record.m);
    EXPECT_EQ(f.coordMaxBits(&field), record.m);
    EXPECT_EQ(f.packMaxBits(&field), record.m);
    EXPECT_EQ(f.preSignMaxBits(&field), record.m);

    // A other than 0 or 1: refused before anything is built.
    EXPECT_EQ(f.curveCreate(&curve, &field, 2, record.b.data(), uint32_t(record.b.size()),
                            record.n.data(), uint32_t(record.n.size())),
              1u);
    EXPECT_EQ(curve.parameters, nullptr);
    EXPECT_EQ(curve.order, nullptr);
    f.curveDestroy(&curve);

    ASSERT_EQ(f.curveCreate(&curve, &field, record.a, record.b.data(), uint32_t(record.b.size()),
                            record.n.data(), uint32_t(record.n.size())),
              0u);
    EXPECT_NE(curve.parameters, nullptr);
    EXPECT_NE(curve.order, nullptr);
    f.fieldDestroy(&field);  // the curve holds its own copy of the field
    EXPECT_EQ(field.field, nullptr);
    EXPECT_EQ(f.elementMaxBits(&field), 0u);

    Bytes x(64), y(64);
    Random random(77);
    bool generated = false;
    for (int attempt = 0; attempt < 64 && !generated; ++attempt) {
        const Bytes u = random.NonZeroBits(record.m);
        uint16_t code = 0;
        generated = f.genBasePoint(x.data(), 64, y.data(), 64, &curve, u.data(), uint32_t(u.size()),
                                   &code) == 0;
    }
    ASSERT_TRUE(generated);
    uint8_t valid = 0;
    EXPECT_EQ(f.verifyBasePoint(&valid, &curve, x.data(), 64, y.data(), 64), 0u);
    EXPECT_EQ(valid, 1);
    f.curveDestroy(&curve);
    EXPECT_EQ(curve.parameters, nullptr);
    EXPECT_EQ(curve.order, nullptr);

    // Curves with n = 0, 1 or 2 (n is not checked at creation): sizes are 0, not wrapped, and
    // every operation that needs n refuses with its code instead of dividing by zero or
    // looping. With n <= 1 no d and no e exist, and with n = 2 the one e = 1 fails for d = 1
    // and a zero hash (r = x mod 2, s = (1 + r) mod 2): code 9, never the codes 1 and 99 on
    // which callers draw again.
    const Bytes one{1}, zeroHash(8, 0);
    for (const Bytes& n : {Bytes(), Bytes{1}, Bytes{2}}) {
        SCOPED_TRACE(testing::Message() << "n = " << ToHex(n));
        ASSERT_EQ(f.createField(&field, record), 0u);
        ASSERT_EQ(f.curveCreate(&curve, &field, record.a, record.b.data(),
                                uint32_t(record.b.size()), n.data(), L(n)),
                  0u);
        const bool none = BitLength(n) <= 1;
        EXPECT_EQ(f.privateKeyMaxBits(&curve), none ? 0u : 1u);
        EXPECT_EQ(f.signMinByteCount(&curve), 2 * uint32_t(SignificantLength(n)));
        uint16_t code = 0;
        Bytes out(64), fe(64);
        EXPECT_EQ(f.generatePrivateKey(out.data(), 64, &curve, one.data(), 1, &code),
                  none ? 1u : 0u);
        EXPECT_EQ(code, none ? ResultCodeRandomTooLong : ResultCodeNone);
        EXPECT_EQ(f.generatePrivateKey(out.data(), 64, &curve, zeroHash.data(), 1, &code), 1u);
        EXPECT_EQ(code, none ? ResultCodeInternalFailure : ResultCodeBadValue);
        EXPECT_EQ(f.createPreSign(fe.data(), 64, &curve, x.data(), 64, y.data(), 64, one.data(), 1,
                                  &code),
                  none ? 1u : 0u);
        EXPECT_EQ(code, none ? ResultCodeInternalFailure : ResultCodeNone);
        if (none) fe = x;
        const uint32_t length = none ? 2 : 2 * uint32_t(SignificantLength(n));
        EXPECT_EQ(f.signHash(out.data(), length, &curve, x.data(), 64, y.data(), 64,
                             zeroHash.data(), 8, one.data(), 1, one.data(), 1, &code),
                  1u);
        EXPECT_EQ(code, ResultCodeInternalFailure);
        EXPECT_EQ(f.signHashByPreSign(out.data(), length, &curve, x.data(), 64, y.data(), 64,
                                      zeroHash.data(), 8, one.data(), 1, one.data(), 1, fe.data(),
                                      64, &code),
                  1u);
        EXPECT_EQ(code, ResultCodeInternalFailure);
        uint8_t verified = 9;
        EXPECT_EQ(f.verifyHash(&verified, &curve, x.data(), 64, y.data(), 64, one.data(), 1,
                               y.data(), 2, x.data(), 64, y.data(), 64, &code),
                  1u);
        EXPECT_EQ(code, ResultCodeBadSignatureLength);
        f.curveDestroy(&curve);
        f.fieldDestroy(&field);
    }

    // Allocated handles, freed while created.
    DSTU4145BaseFieldHandle* heapField = f.fieldAllocate();
    DSTU4145CurveHandle* heapCurve = f.curveAllocate();
    ASSERT_EQ(f.createField(heapField, record), 0u);
    ASSERT_EQ(f.curveCreate(heapCurve, heapField, record.a, record.b.data(),
                            uint32_t(record.b.size()), record.n.data(), uint32_t(record.n.size())),
              0u);
    f.fieldFree(heapField);
    f.curveFree(heapCurve);
}

// ---- running the shared checks -----------------------------------------------------------

// One shared check on the listed curves of a family, each on a session with its own seed.
struct SharedCheck {
    const char* name;
    void (*check)(Session&);
    std::vector<uint16_t> curves;
    uint64_t seed;
};

inline void RunSharedChecks(const Family& f, CurveRecord (*record)(uint16_t),
                            const std::vector<SharedCheck>& checks) {
    for (const SharedCheck& c : checks) {
        for (uint16_t index : c.curves) {
            SCOPED_TRACE(testing::Message() << c.name << " on curve " << index);
            Session session(f, record(index), c.seed);
            c.check(session);
        }
    }
}

}  // namespace dstutest
