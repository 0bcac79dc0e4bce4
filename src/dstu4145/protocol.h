// The DSTU 4145-2002 signature protocol, written once over the field type (PBBaseField,
// ONBBaseField): keys, pre-signatures, signing and verification on a created curve.
//
// The caller supplies every random number; nothing here retries. A degenerate value is
// reported with its result code and the caller draws again (ResultCodeBadSeed for e out of
// range, ResultCodeBadValue otherwise). Where the curve, the order or the point leaves no
// random number that could succeed, ResultCodeInternalFailure is reported in place of that
// code, so that a caller who draws again on it cannot loop for ever; those tests stand where
// the retry code would be given and run only when it would be, so they change no other
// result. The functions return result codes (QIRVALEResultCode) and raise whatever the
// long-integer, field and curve code raises; the export frame (frame/boundary.h) turns
// exceptions into ResultCodeInternalFailure.
//
// What differs between the bases is a property of the field type: the unit element that
// replaces a zero hash (PB 1, ONB 2^m - 1), the bits of a field element read as an integer
// (so the same point gives different r in the two bases), the field products themselves.
//
// Byte strings are little-endian and are converted where the protocol step that reads them
// stands: a string of more than 1024 bytes raises OutOfMemoryExceptionClass at that step, so
// a check placed before it decides the code.
#pragma once

#include <cstdint>

#include "curve/curve.h"
#include "longint/long_integer.h"
#include "qirvale.h"

namespace QIRVALE {

// A caller's byte string: `length` bytes at `data`.
struct ByteString {
    const uint8_t* data;
    uint32_t length;
};

inline LongIntegerClass IntegerFrom(ByteString bytes) {
    LongIntegerClass v;
    v.FromBytes(bytes.data, bytes.length, 0);
    return v;
}

template <class Field>
AffinePoint<Field> PointFrom(ByteString x, ByteString y) {
    return AffinePoint<Field>(Field::ElementFromBytes(x.data, x.length),
                              Field::ElementFromBytes(y.data, y.length));
}

// The bit length of n minus 1: the size of private keys and per-signature random numbers, and
// of r. A number of that many bits is below n. 0 for n = 0.
inline uint32_t ScalarBitCount(const LongIntegerClass& order) {
    const uint32_t bits = order.BitLength();
    return bits == 0 ? 0 : bits - 1;
}

// A signature length is valid when it is even and at least 2 * (significant bytes of n).
inline bool SignatureLengthValid(const LongIntegerClass& order, uint32_t signatureLength) {
    return signatureLength % 2 == 0 && signatureLength >= 2 * order.ByteLength();
}

// h: the hash read as an integer and cut to its low m bits (the higher bits, at the end of
// the string, are ignored); zero becomes the field's unit element.
template <class Field>
typename Field::Element HashToElement(const Field& field, ByteString hash) {
    typename Field::Element h = Field::ElementFromBytes(hash.data, hash.length);
    h.TruncateBits(field.Degree());
    h.Normalize();
    if (Field::IsZero(h)) return field.One();
    return h;
}

// The integer with the bits of the field element y, cut to bitlen(n) - 1 bits (so below n).
inline LongIntegerClass ElementToScalar(const LongIntegerClass& y, const LongIntegerClass& order) {
    LongIntegerClass r(y);
    r.TruncateBits(ScalarBitCount(order));
    r.Normalize();
    return r;
}

// Whether n leaves no integer strictly between 0 and n: n = 0 or n = 1. Then no private key
// and no per-signature random number exists.
inline bool OrderAdmitsNoScalar(const LongIntegerClass& order) {
    return order.BitLength() <= 1;
}

// The code for a degenerate value met with one per-signature random number e (F_e = 0, r = 0
// or s = 0): ResultCodeBadValue, on which the caller draws another e, or
// ResultCodeInternalFailure for n = 2, whose only e = 1 has just failed.
inline uint16_t DegenerateValueCode(const LongIntegerClass& order) {
    return order == LongIntegerClass(2u) ? ResultCodeInternalFailure : ResultCodeBadValue;
}

// The private key is the caller's random number itself, checked in this order: at most
// bitlen(n) - 1 bits (else ResultCodeRandomTooLong), not zero (ResultCodeBadValue; for
// n <= 1, where only zero has bitlen(n) - 1 = 0 bits, ResultCodeInternalFailure).
inline uint16_t CheckPrivateKeyRandom(const LongIntegerClass& random,
                                      const LongIntegerClass& order) {
    if (random.BitLength() > ScalarBitCount(order)) return ResultCodeRandomTooLong;
    if (random.IsZero()) {
        return OrderAdmitsNoScalar(order) ? ResultCodeInternalFailure : ResultCodeBadValue;
    }
    return ResultCodeNone;
}

// The per-signature random number: 0 < e < n, else ResultCodeBadSeed (for n <= 1, where no
// such e exists, ResultCodeInternalFailure). With e = 0 or e = n the signature would be
// s = d r mod n and give the private key away as s / r mod n.
inline uint16_t CheckSignatureRandom(const LongIntegerClass& e, const LongIntegerClass& order) {
    if (!e.IsZero() && e < order) return ResultCodeNone;
    return OrderAdmitsNoScalar(order) ? ResultCodeInternalFailure : ResultCodeBadSeed;
}

// Q = -(d P). Neither d nor P is checked: d = 0 gives the point at infinity (0, 0).
template <class Field>
AffinePoint<Field> PublicKeyOf(const CurveParameters<Field>& curve, const AffinePoint<Field>& p,
                               const LongIntegerClass& d) {
    return NegatePoint(curve, ScalarMultiply(curve, d, p));
}

// The pre-signature F_e = x(e P) for 0 < e < n (CheckSignatureRandom). F_e = 0, which
// includes e P at infinity, gives DegenerateValueCode: the caller draws another e. A P with
// x = 0 (the point at infinity (0, 0), the point (0, sqrt B) of order 2, any (0, y)) has
// multiples with x = 0 only, so F_e = 0 for every e: ResultCodeInternalFailure.
template <class Field>
uint16_t PreSignCore(const CurveParameters<Field>& curve, const LongIntegerClass& order,
                     const AffinePoint<Field>& p, const LongIntegerClass& e,
                     typename Field::Element& fe) {
    const uint16_t code = CheckSignatureRandom(e, order);
    if (code != ResultCodeNone) return code;
    fe = ScalarMultiply(curve, e, p).x;
    if (Field::IsZero(fe)) {
        if (Field::IsZero(p.x)) return ResultCodeInternalFailure;
        return DegenerateValueCode(order);
    }
    return ResultCodeNone;
}

// The signature of `hash` with private key d and pre-signature (e, F_e):
// r = ElementToScalar(h F_e), s = (e + d r) mod n, written as r || s, each little-endian in
// one half of the buffer (zero-padded). Checks, in order: e (CheckSignatureRandom), the
// buffer length (even, at least 2 * bytes of n: ResultCodeBadSignatureLength), r = 0 and
// s = 0 (DegenerateValueCode: sign again with a fresh e). d is not range-checked, nor F_e
// checked to belong to e; nothing is written on a failed check.
template <class Field>
uint16_t SignCore(const CurveParameters<Field>& curve, const LongIntegerClass& order,
                  ByteString hash, const LongIntegerClass& d, const LongIntegerClass& e,
                  const typename Field::Element& fe, uint8_t* signature, uint32_t signatureLength) {
    const uint16_t code = CheckSignatureRandom(e, order);
    if (code != ResultCodeNone) return code;
    if (!SignatureLengthValid(order, signatureLength)) return ResultCodeBadSignatureLength;
    const typename Field::Element h = HashToElement(curve.field, hash);
    const LongIntegerClass r = ElementToScalar(curve.field.Multiply(h, fe), order);
    if (r.IsZero()) return DegenerateValueCode(order);
    LongIntegerClass s = d * r;
    s += e;
    s %= order;
    if (s.IsZero()) return DegenerateValueCode(order);
    // r, s < n and half >= bytes of n: both fit their halves.
    const uint32_t half = signatureLength / 2;
    r.ToBytes(signature, half, 0);
    s.ToBytes(signature + half, half, 0);
    return ResultCodeNone;
}

// Verification of r || s against public key Q: R = s P + r Q (two scalar multiplications and
// one affine addition), accepted when ElementToScalar(h x(R)) = r. Checks, in order: the
// signature length (ResultCodeBadSignatureLength), r in 1 .. n-1, then s in 1 .. n-1 (both
// ResultCodeBadSignatureLength), then P and Q: each must be a finite point of the curve
// with coordinates of at most m bits (IsCurvePoint), else ResultCodeBadValue. Without that
// test Q = (0, 0) would make R = s P, and anyone could forge a signature for it. Whether Q
// has order n is not tested (VerifyPublicKey does, once per key). A well-formed signature
// that fails the equation gives ResultCodeSignatureMismatch; an R at infinity has x = 0 and
// always fails.
template <class Field>
uint16_t VerifyCore(const CurveParameters<Field>& curve, const LongIntegerClass& order,
                    ByteString px, ByteString py, ByteString hash, ByteString signature,
                    ByteString qx, ByteString qy) {
    if (!SignatureLengthValid(order, signature.length)) return ResultCodeBadSignatureLength;
    const typename Field::Element h = HashToElement(curve.field, hash);
    const uint32_t half = signature.length / 2;
    const LongIntegerClass r = IntegerFrom({signature.data, half});
    const LongIntegerClass s = IntegerFrom({signature.data + half, half});
    if (r.IsZero() || r >= order) return ResultCodeBadSignatureLength;
    if (s.IsZero() || s >= order) return ResultCodeBadSignatureLength;
    const AffinePoint<Field> q = PointFrom<Field>(qx, qy);
    const AffinePoint<Field> p = PointFrom<Field>(px, py);
    if (!IsCurvePoint(curve, p.x, p.y) || !IsCurvePoint(curve, q.x, q.y)) {
        return ResultCodeBadValue;
    }
    const AffinePoint<Field> sum =
        AddPoints(curve, ScalarMultiply(curve, s, p), ScalarMultiply(curve, r, q));
    const LongIntegerClass check = ElementToScalar(curve.field.Multiply(h, sum.x), order);
    return check == r ? ResultCodeNone : ResultCodeSignatureMismatch;
}

}  // namespace QIRVALE
