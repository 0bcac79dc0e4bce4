// The DSTU 4145 exports of the optimal normal basis: the family bodies of family.h over
// ONBBaseField. Only field creation is the basis' own; the exports that are one function for
// both bases are in shared_exports.cpp.
#include <cstdint>
#include <memory>

#include "binfield/onb_field.h"
#include "curve/onb_curve.h"
#include "dstu4145/family.h"
#include "frame/export.h"

namespace {

using ONB = QIRVALE::DSTU4145Family<QIRVALE::ONBBaseField, QIRVALE::ObjectKind::ONBField,
                                    QIRVALE::ObjectKind::ONBCurve>;

}  // namespace

// ---- fields ------------------------------------------------------------------------------

QIRVALE_EXPORT(void) QIRVALEDSTU4145ONBSignBaseFieldFree(DSTU4145BaseFieldHandle* field) {
    ONB::BaseFieldFree(field);
}

// The field of degree m when m has a type II optimal normal basis
// (ONBBaseField::HasTypeTwoBasis); status 1 for m = 0, m = 4, m = 12 and every other degree
// without one.
QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignBaseFieldCreate(DSTU4145BaseFieldHandle* field, uint16_t m) {
    return ONB::BaseFieldCreate(field, [&] { return std::make_unique<QIRVALE::ONBBaseField>(m); });
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145ONBSignBaseFieldDestroy(DSTU4145BaseFieldHandle* field) {
    ONB::BaseFieldDestroy(field);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignBaseFieldElementMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field) {
    return ONB::FieldDegree(field);
}

// One function for the coordinate, packed-point and pre-signature sizes.
QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignCurvePointCoordMaxSizeInBitsByField(const DSTU4145BaseFieldHandle* field) {
    return ONB::FieldDegree(field);
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignCurvePointPackMaxSizeInBitsByField,
                     QIRVALEDSTU4145ONBSignCurvePointCoordMaxSizeInBitsByField);
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignPreSignMaxBitCount,
                     QIRVALEDSTU4145ONBSignCurvePointCoordMaxSizeInBitsByField);

// ---- curves ------------------------------------------------------------------------------

QIRVALE_EXPORT(void) QIRVALEDSTU4145ONBSignCurveFree(DSTU4145CurveHandle* curve) {
    ONB::CurveFree(curve);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignCurveCreate(DSTU4145CurveHandle* curve, const DSTU4145BaseFieldHandle* field,
                                  uint16_t a, const uint8_t* b, uint32_t bLength, const uint8_t* n,
                                  uint32_t nLength) {
    return ONB::CurveCreate(curve, field, a, b, bLength, n, nLength);
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145ONBSignCurveDestroy(DSTU4145CurveHandle* curve) {
    ONB::CurveDestroy(curve);
}

// ---- points ------------------------------------------------------------------------------

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignCurvePackPoint(uint8_t* packed, uint32_t packedLength,
                                     const DSTU4145CurveHandle* curve, const uint8_t* x,
                                     uint32_t xLength, const uint8_t* y, uint32_t yLength,
                                     uint16_t* errorCode) {
    return ONB::CurvePackPoint(packed, packedLength, curve, x, xLength, y, yLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignCurveUnPackPoint(uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength,
                                       const DSTU4145CurveHandle* curve, const uint8_t* packed,
                                       uint32_t packedLength, uint16_t* errorCode) {
    return ONB::CurveUnPackPoint(x, xLength, y, yLength, curve, packed, packedLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignCurveGenBasePoint(uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength,
                                        const DSTU4145CurveHandle* curve, const uint8_t* u,
                                        uint32_t uLength, uint16_t* errorCode) {
    return ONB::CurveGenBasePoint(x, xLength, y, yLength, curve, u, uLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignCurveVerifyBasePoint(uint8_t* valid, const DSTU4145CurveHandle* curve,
                                           const uint8_t* x, uint32_t xLength, const uint8_t* y,
                                           uint32_t yLength) {
    return ONB::CurveVerifyBasePoint(valid, curve, x, xLength, y, yLength);
}

// ---- keys --------------------------------------------------------------------------------

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignGeneratePrivateKey(uint8_t* d, uint32_t dLength,
                                         const DSTU4145CurveHandle* curve, const uint8_t* random,
                                         uint32_t randomLength, uint16_t* errorCode) {
    return ONB::GeneratePrivateKey(d, dLength, curve, random, randomLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignGeneratePublicKey(uint8_t* qx, uint32_t qxLength, uint8_t* qy,
                                        uint32_t qyLength, const DSTU4145CurveHandle* curve,
                                        const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                        uint32_t pyLength, const uint8_t* d, uint32_t dLength,
                                        uint16_t* errorCode) {
    return ONB::GeneratePublicKey(qx, qxLength, qy, qyLength, curve, px, pxLength, py, pyLength, d,
                                  dLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignVerifyPrivateKey(uint8_t* valid, const DSTU4145CurveHandle* curve,
                                       const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                       uint32_t pyLength, const uint8_t* qx, uint32_t qxLength,
                                       const uint8_t* qy, uint32_t qyLength, const uint8_t* d,
                                       uint32_t dLength) {
    return ONB::VerifyPrivateKey(valid, curve, px, pxLength, py, pyLength, qx, qxLength, qy,
                                 qyLength, d, dLength);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignVerifyPublicKey(uint8_t* valid, const DSTU4145CurveHandle* curve,
                                      const uint8_t* qx, uint32_t qxLength, const uint8_t* qy,
                                      uint32_t qyLength) {
    return ONB::CurveVerifyBasePoint(valid, curve, qx, qxLength, qy, qyLength);
}

// ---- signatures --------------------------------------------------------------------------

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignCreatePreSign(uint8_t* f, uint32_t fLength, const DSTU4145CurveHandle* curve,
                                    const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                    uint32_t pyLength, const uint8_t* e, uint32_t eLength,
                                    uint16_t* errorCode) {
    return ONB::CreatePreSign(f, fLength, curve, px, pxLength, py, pyLength, e, eLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignSignHashByPreSign(uint8_t* signature, uint32_t signatureLength,
                                        const DSTU4145CurveHandle* curve, const uint8_t* px,
                                        uint32_t pxLength, const uint8_t* py, uint32_t pyLength,
                                        const uint8_t* hash, uint32_t hashLength, const uint8_t* d,
                                        uint32_t dLength, const uint8_t* e, uint32_t eLength,
                                        const uint8_t* f, uint32_t fLength, uint16_t* errorCode) {
    return ONB::SignHashByPreSign(signature, signatureLength, curve, px, pxLength, py, pyLength,
                                  hash, hashLength, d, dLength, e, eLength, f, fLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignSignHash(uint8_t* signature, uint32_t signatureLength,
                               const DSTU4145CurveHandle* curve, const uint8_t* px,
                               uint32_t pxLength, const uint8_t* py, uint32_t pyLength,
                               const uint8_t* hash, uint32_t hashLength, const uint8_t* d,
                               uint32_t dLength, const uint8_t* e, uint32_t eLength,
                               uint16_t* errorCode) {
    return ONB::SignHash(signature, signatureLength, curve, px, pxLength, py, pyLength, hash,
                         hashLength, d, dLength, e, eLength, errorCode);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145ONBSignVerifyHash(uint8_t* verified, const DSTU4145CurveHandle* curve,
                                 const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                 uint32_t pyLength, const uint8_t* hash, uint32_t hashLength,
                                 const uint8_t* signature, uint32_t signatureLength,
                                 const uint8_t* qx, uint32_t qxLength, const uint8_t* qy,
                                 uint32_t qyLength, uint16_t* errorCode) {
    return ONB::VerifyHash(verified, curve, px, pxLength, py, pyLength, hash, hashLength, signature,
                           signatureLength, qx, qxLength, qy, qyLength, errorCode);
}
