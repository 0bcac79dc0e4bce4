#include "gost34310/signature.h"

#include "gost34310/byte_strings.h"
#include "qirvale.h"

namespace QIRVALE {
namespace GOST34310 {

namespace {

// H, or 1 when H is a multiple of q (q = 0 raises).
LongIntegerClass UsableHash(const LongIntegerClass& hash, const LongIntegerClass& q) {
    if (hash.Modulo(q).IsZero()) return LongIntegerClass(1u);
    return hash;
}

bool InOpenRange(const LongIntegerClass& value, const LongIntegerClass& q) {
    return !value.IsZero() && value < q;
}

// Whether q leaves no integer strictly between 0 and q: q = 0 or q = 1.
bool OrderAdmitsNoNumber(const LongIntegerClass& q) {
    return q.BitLength() <= 1;
}

}  // namespace

uint16_t GeneratePrivateKey(uint8_t* x, uint32_t xLength, const LongIntegerClass& q,
                            const LongIntegerClass& random) {
    if (!InOpenRange(random, q)) {
        return OrderAdmitsNoNumber(q) ? ResultCodeInternalFailure : ResultCodeBadValue;
    }
    return WriteNumber(x, xLength, random);
}

uint16_t GeneratePublicKey(uint8_t* y, uint32_t yLength, const LongIntegerClass& p,
                           const LongIntegerClass& a, const LongIntegerClass& x) {
    return WriteNumber(y, yLength, LongIntegerClass::ModExp(a, x, p));
}

uint16_t SignHash(uint8_t* signature, const LongIntegerClass& p, const LongIntegerClass& q,
                  const LongIntegerClass& a, const LongIntegerClass& hash,
                  const LongIntegerClass& x, const LongIntegerClass& k) {
    if (q.BitLength() > MaxOrderBits) return ResultCodeInternalFailure;
    const LongIntegerClass h = UsableHash(hash, q);
    if (!InOpenRange(k, q)) {
        return OrderAdmitsNoNumber(q) ? ResultCodeInternalFailure : ResultCodeBadValue;
    }
    // q = 2 has the one k = 1, so its failure is final.
    const bool onlyK = q == LongIntegerClass(2u);
    const LongIntegerClass r = LongIntegerClass::ModExp(a, k, p).Modulo(q);
    if (r.IsZero()) {
        // a = 0 (mod p), p = 1 among them, makes a^k mod p = 0 and r = 0 for every k.
        if (onlyK || a.Modulo(p).IsZero()) return ResultCodeInternalFailure;
        return ResultCodeBadValue;
    }
    const LongIntegerClass s = (k * h + x * r).Modulo(q);
    if (s.IsZero()) return onlyK ? ResultCodeInternalFailure : ResultCodeBadValue;
    s.ToBytes(signature, SignatureHalfSize);
    r.ToBytes(signature + SignatureHalfSize, SignatureHalfSize);
    return ResultCodeNone;
}

uint16_t VerifyHash(uint8_t* verified, const LongIntegerClass& p, const LongIntegerClass& q,
                    const LongIntegerClass& a, const LongIntegerClass& hash,
                    const uint8_t* signature, const LongIntegerClass& y) {
    const LongIntegerClass s = NumberFromBytes(signature, SignatureHalfSize);
    const LongIntegerClass r = NumberFromBytes(signature + SignatureHalfSize, SignatureHalfSize);
    if (!InOpenRange(r, q) || !InOpenRange(s, q)) return ResultCodeSignatureOutOfRange;
    const LongIntegerClass h = UsableHash(hash, q);
    const LongIntegerClass v = LongIntegerClass::ModExp(h, q - LongIntegerClass(2u), q);
    const LongIntegerClass z1 = LongIntegerClass::ModMul(s, v, q);
    const LongIntegerClass z2 = LongIntegerClass::ModMul(q - r, v, q);
    const LongIntegerClass u = LongIntegerClass::ModMul(LongIntegerClass::ModExp(a, z1, p),
                                                        LongIntegerClass::ModExp(y, z2, p), p)
                                   .Modulo(q);
    if (u != r) return ResultCodeSignatureMismatch;
    *verified = 1;
    return ResultCodeNone;
}

}  // namespace GOST34310
}  // namespace QIRVALE
