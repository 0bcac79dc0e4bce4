// The DSTU 4145 exports of the polynomial basis: the family bodies of family.h over
// PBBaseField. Only field creation is the basis' own.
#include <cstdint>
#include <memory>

#include "binfield/pb_field.h"
#include "curve/pb_curve.h"
#include "dstu4145/family.h"
#include "frame/export.h"

namespace {

using PB = QIRVALE::DSTU4145Family<QIRVALE::PBBaseField, QIRVALE::ObjectKind::PBField,
                                   QIRVALE::ObjectKind::PBCurve>;

// The field of t^m + t^k + 1 (j = l = 0, 0 < k < m) or t^m + t^k + t^j + t^l + 1
// (m > k > j > l >= 1); null for any other exponents and for a reducible polynomial, which
// gives no field (inversion, traces and square roots would be meaningless).
std::unique_ptr<QIRVALE::PBBaseField> BuildField(uint16_t m, uint16_t k, uint16_t j, uint16_t l) {
    const bool pentanomial = l != 0 && m > k && k > j && j > l;
    const bool trinomial = l == 0 && j == 0 && k > 0 && k < m;
    if (!pentanomial && !trinomial) return nullptr;
    const QIRVALE::LongIntegerClass polynomial =
        QIRVALE::PBBaseField::PolynomialFromExponents(m, k, j, l);
    if (!QIRVALE::PBBaseField::IsIrreduciblePolynomial(polynomial)) return nullptr;
    return std::make_unique<QIRVALE::PBBaseField>(polynomial);
}

}  // namespace

// ---- fields ------------------------------------------------------------------------------

QIRVALE_EXPORT(void) QIRVALEDSTU4145PBSignBaseFieldFree(DSTU4145BaseFieldHandle* field) {
    PB::BaseFieldFree(field);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignBaseFieldCreate(DSTU4145BaseFieldHandle* field, uint16_t m, uint16_t k,
                                     uint16_t j, uint16_t l) {
    return PB::BaseFieldCreate(field, [&] { return BuildField(m, k, j, l); });
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145PBSignBaseFieldDestroy(DSTU4145BaseFieldHandle* field) {
    PB::BaseFieldDestroy(field);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignBaseFieldElementMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field) {
    return PB::FieldDegree(field);
}

// One function for the coordinate, packed-point and pre-signature sizes.
QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignCurvePointCoordMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field) {
    return PB::FieldDegree(field);
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145PBSignCurvePointPackMaxSizeInBitsByField,
                     QIRVALEDSTU4145PBSignCurvePointCoordMaxSizeInBitsByField);
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145PBSignPreSignMaxBitCount,
                     QIRVALEDSTU4145PBSignCurvePointCoordMaxSizeInBitsByField);

// ---- curves ------------------------------------------------------------------------------

QIRVALE_EXPORT(void) QIRVALEDSTU4145PBSignCurveFree(DSTU4145CurveHandle* curve) {
    PB::CurveFree(curve);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignCurveCreate(DSTU4145CurveHandle* curve, const DSTU4145BaseFieldHandle* field,
                                 uint16_t a, const uint8_t* b, uint32_t bLength, const uint8_t* n,
                                 uint32_t nLength) {
    return PB::CurveCreate(curve, field, a, b, bLength, n, nLength);
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145PBSignCurveDestroy(DSTU4145CurveHandle* curve) {
    PB::CurveDestroy(curve);
}

// ---- points ------------------------------------------------------------------------------

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignCurvePackPoint(uint8_t* packed, uint32_t packedLength,
                                    const DSTU4145CurveHandle* curve, const uint8_t* x,
                                    uint32_t xLength, const uint8_t* y, uint32_t yLength,
                                    uint16_t* errorCode) {
    return PB::CurvePackPoint(packed, packedLength, curve, x, xLength, y, yLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignCurveUnPackPoint(uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength,
                                      const DSTU4145CurveHandle* curve, const uint8_t* packed,
                                      uint32_t packedLength, uint16_t* errorCode) {
    return PB::CurveUnPackPoint(x, xLength, y, yLength, curve, packed, packedLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignCurveGenBasePoint(uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength,
                                       const DSTU4145CurveHandle* curve, const uint8_t* u,
                                       uint32_t uLength, uint16_t* errorCode) {
    return PB::CurveGenBasePoint(x, xLength, y, yLength, curve, u, uLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignCurveVerifyBasePoint(uint8_t* valid, const DSTU4145CurveHandle* curve,
                                          const uint8_t* x, uint32_t xLength, const uint8_t* y,
                                          uint32_t yLength) {
    return PB::CurveVerifyBasePoint(valid, curve, x, xLength, y, yLength);
}

// ---- keys --------------------------------------------------------------------------------

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignGeneratePrivateKey(uint8_t* d, uint32_t dLength,
                                        const DSTU4145CurveHandle* curve, const uint8_t* random,
                                        uint32_t randomLength, uint16_t* errorCode) {
    return PB::GeneratePrivateKey(d, dLength, curve, random, randomLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignGeneratePublicKey(uint8_t* qx, uint32_t qxLength, uint8_t* qy,
                                       uint32_t qyLength, const DSTU4145CurveHandle* curve,
                                       const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                       uint32_t pyLength, const uint8_t* d, uint32_t dLength,
                                       uint16_t* errorCode) {
    return PB::GeneratePublicKey(qx, qxLength, qy, qyLength, curve, px, pxLength, py, pyLength, d,
                                 dLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignVerifyPrivateKey(uint8_t* valid, const DSTU4145CurveHandle* curve,
                                      const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                      uint32_t pyLength, const uint8_t* qx, uint32_t qxLength,
                                      const uint8_t* qy, uint32_t qyLength, const uint8_t* d,
                                      uint32_t dLength) {
    return PB::VerifyPrivateKey(valid, curve, px, pxLength, py, pyLength, qx, qxLength, qy,
                                qyLength, d, dLength);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignVerifyPublicKey(uint8_t* valid, const DSTU4145CurveHandle* curve,
                                     const uint8_t* qx, uint32_t qxLength, const uint8_t* qy,
                                     uint32_t qyLength) {
    return PB::CurveVerifyBasePoint(valid, curve, qx, qxLength, qy, qyLength);
}

// ---- signatures --------------------------------------------------------------------------

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignCreatePreSign(uint8_t* f, uint32_t fLength, const DSTU4145CurveHandle* curve,
                                   const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                   uint32_t pyLength, const uint8_t* e, uint32_t eLength,
                                   uint16_t* errorCode) {
    return PB::CreatePreSign(f, fLength, curve, px, pxLength, py, pyLength, e, eLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignSignHashByPreSign(uint8_t* signature, uint32_t signatureLength,
                                       const DSTU4145CurveHandle* curve, const uint8_t* px,
                                       uint32_t pxLength, const uint8_t* py, uint32_t pyLength,
                                       const uint8_t* hash, uint32_t hashLength, const uint8_t* d,
                                       uint32_t dLength, const uint8_t* e, uint32_t eLength,
                                       const uint8_t* f, uint32_t fLength, uint16_t* errorCode) {
    return PB::SignHashByPreSign(signature, signatureLength, curve, px, pxLength, py, pyLength,
                                 hash, hashLength, d, dLength, e, eLength, f, fLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignSignHash(uint8_t* signature, uint32_t signatureLength,
                              const DSTU4145CurveHandle* curve, const uint8_t* px,
                              uint32_t pxLength, const uint8_t* py, uint32_t pyLength,
                              const uint8_t* hash, uint32_t hashLength, const uint8_t* d,
                              uint32_t dLength, const uint8_t* e, uint32_t eLength,
                              uint16_t* errorCode) {
    return PB::SignHash(signature, signatureLength, curve, px, pxLength, py, pyLength, hash,
                        hashLength, d, dLength, e, eLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignVerifyHash(uint8_t* verified, const DSTU4145CurveHandle* curve,
                                const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                uint32_t pyLength, const uint8_t* hash, uint32_t hashLength,
                                const uint8_t* signature, uint32_t signatureLength,
                                const uint8_t* qx, uint32_t qxLength, const uint8_t* qy,
                                uint32_t qyLength, uint16_t* errorCode) {
    return PB::VerifyHash(verified, curve, px, pxLength, py, pyLength, hash, hashLength, signature,
                          signatureLength, qx, qxLength, qy, qyLength, errorCode);
}
