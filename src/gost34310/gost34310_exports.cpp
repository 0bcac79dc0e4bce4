// The GOST 34.310-95 exports: domain parameters, keys, signing and verification. Each export
// reads its strings and runs one function of parameter_generation.h or signature.h inside the
// guarded boundary. The secrets x and k are passed on as the caller's strings.
#include "frame/boundary.h"
#include "frame/export.h"
#include "gost34310/byte_strings.h"
#include "gost34310/parameter_generation.h"
#include "gost34310/signature.h"

using QIRVALE::GuardedCount;
using QIRVALE::GuardedStatus;
using QIRVALE::LongIntegerClass;
using QIRVALE::GOST34310::NumberFromBytes;
namespace GOST34310 = QIRVALE::GOST34310;

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignGenerateParametersPQ16Short(uint8_t* p, uint32_t pLength, uint8_t* q,
                                                uint32_t qLength, uint16_t t, uint16_t x0,
                                                uint16_t c, uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::GenerateParameters(16, false, p, pLength, q, qLength, t, 0, x0, c);
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignGenerateParametersPQ32Short(uint8_t* p, uint32_t pLength, uint8_t* q,
                                                uint32_t qLength, uint16_t t, uint32_t x0,
                                                uint32_t c, uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::GenerateParameters(32, false, p, pLength, q, qLength, t, 0, x0, c);
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignGenerateParametersPQ16Long(uint8_t* p, uint32_t pLength, uint8_t* q,
                                               uint32_t qLength, uint16_t tp, uint16_t tq,
                                               uint16_t x0, uint16_t c, uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::GenerateParameters(16, true, p, pLength, q, qLength, tp, tq, x0, c);
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignGenerateParametersPQ32Long(uint8_t* p, uint32_t pLength, uint8_t* q,
                                               uint32_t qLength, uint16_t tp, uint16_t tq,
                                               uint32_t x0, uint32_t c, uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::GenerateParameters(32, true, p, pLength, q, qLength, tp, tq, x0, c);
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignGenerateParameterA(uint8_t* a, uint32_t aLength, const uint8_t* p,
                                       uint32_t pLength, const uint8_t* q, uint32_t qLength,
                                       uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::GenerateElementA(a, aLength, NumberFromBytes(p, pLength),
                                           NumberFromBytes(q, qLength));
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignPrivateKeyGetMaxSizeInBitsByQ(const uint8_t* q, uint32_t qLength) {
    return GuardedCount([&] { return NumberFromBytes(q, qLength).BitLength(); });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignPublicKeyGetMaxSizeInBitsByP(const uint8_t* p, uint32_t pLength) {
    return GuardedCount([&] { return NumberFromBytes(p, pLength).BitLength(); });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignGeneratePrivateKey(uint8_t* x, uint32_t xLength, const uint8_t* q,
                                       uint32_t qLength, const uint8_t* random,
                                       uint32_t randomLength, uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::GeneratePrivateKey(x, xLength, NumberFromBytes(q, qLength), random,
                                             randomLength);
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignGeneratePublicKey(uint8_t* y, uint32_t yLength, const uint8_t* p,
                                      uint32_t pLength, const uint8_t* a, uint32_t aLength,
                                      const uint8_t* x, uint32_t xLength, uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::GeneratePublicKey(y, yLength, NumberFromBytes(p, pLength),
                                            NumberFromBytes(a, aLength), x, xLength);
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignSignHash(uint8_t* signature, const uint8_t* p, uint32_t pLength,
                             const uint8_t* q, uint32_t qLength, const uint8_t* a, uint32_t aLength,
                             const uint8_t* hash, uint32_t hashLength, const uint8_t* x,
                             uint32_t xLength, const uint8_t* k, uint32_t kLength,
                             uint16_t* errorCode) {
    return GuardedStatus(errorCode, nullptr, [&] {
        return GOST34310::SignHash(signature, NumberFromBytes(p, pLength),
                                   NumberFromBytes(q, qLength), NumberFromBytes(a, aLength),
                                   NumberFromBytes(hash, hashLength), x, xLength, k, kLength);
    });
}

QIRVALE_EXPORT(uint32_t)
QIRVALEGOST34310SignVerifyHash(uint8_t* verified, const uint8_t* p, uint32_t pLength,
                               const uint8_t* q, uint32_t qLength, const uint8_t* a,
                               uint32_t aLength, const uint8_t* hash, uint32_t hashLength,
                               const uint8_t* signature, const uint8_t* y, uint32_t yLength,
                               uint16_t* errorCode) {
    return GuardedStatus(errorCode, verified, [&] {
        return GOST34310::VerifyHash(verified, NumberFromBytes(p, pLength),
                                     NumberFromBytes(q, qLength), NumberFromBytes(a, aLength),
                                     NumberFromBytes(hash, hashLength), signature,
                                     NumberFromBytes(y, yLength));
    });
}
