// The exports of one DSTU 4145 family as a table of function pointers, for code that drives
// both bases through one path: the self-test, and the tests and fuzz targets of the exports.
// Field creation is the one export whose arguments differ between the bases (PB from
// (m, k, j, l), ONB from m); it is not in the table.
#pragma once

#include "qirvale.h"

namespace QIRVALE {

struct DSTU4145ExportTable {
    const char* name;  // "PB" or "ONB"
    decltype(&QIRVALEDSTU4145PBSignBaseFieldAllocate) fieldAllocate;
    decltype(&QIRVALEDSTU4145PBSignBaseFieldSizeOf) fieldSizeOf;
    decltype(&QIRVALEDSTU4145PBSignBaseFieldFree) fieldFree;
    decltype(&QIRVALEDSTU4145PBSignBaseFieldDestroy) fieldDestroy;
    decltype(&QIRVALEDSTU4145PBSignBaseFieldElementMaxSizeInBitsByField) elementMaxBits;
    decltype(&QIRVALEDSTU4145PBSignCurvePointCoordMaxSizeInBitsByField) coordMaxBits;
    decltype(&QIRVALEDSTU4145PBSignCurvePointPackMaxSizeInBitsByField) packMaxBits;
    decltype(&QIRVALEDSTU4145PBSignPreSignMaxBitCount) preSignMaxBits;
    decltype(&QIRVALEDSTU4145PBSignCurveAllocate) curveAllocate;
    decltype(&QIRVALEDSTU4145PBSignCurveSizeOf) curveSizeOf;
    decltype(&QIRVALEDSTU4145PBSignCurveFree) curveFree;
    decltype(&QIRVALEDSTU4145PBSignCurveCreate) curveCreate;
    decltype(&QIRVALEDSTU4145PBSignCurveDestroy) curveDestroy;
    decltype(&QIRVALEDSTU4145PBSignCurvePackPoint) packPoint;
    decltype(&QIRVALEDSTU4145PBSignCurveUnPackPoint) unpackPoint;
    decltype(&QIRVALEDSTU4145PBSignCurveGenBasePoint) genBasePoint;
    decltype(&QIRVALEDSTU4145PBSignCurveVerifyBasePoint) verifyBasePoint;
    decltype(&QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve) privateKeyMaxBits;
    decltype(&QIRVALEDSTU4145PBSignSignRandomNumberMaxBitCountByCurve) randomMaxBits;
    decltype(&QIRVALEDSTU4145PBSignSignMinByteCount) signMinByteCount;
    decltype(&QIRVALEDSTU4145PBSignGeneratePrivateKey) generatePrivateKey;
    decltype(&QIRVALEDSTU4145PBSignGeneratePublicKey) generatePublicKey;
    decltype(&QIRVALEDSTU4145PBSignVerifyPrivateKey) verifyPrivateKey;
    decltype(&QIRVALEDSTU4145PBSignVerifyPublicKey) verifyPublicKey;
    decltype(&QIRVALEDSTU4145PBSignCreatePreSign) createPreSign;
    decltype(&QIRVALEDSTU4145PBSignSignHashByPreSign) signHashByPreSign;
    decltype(&QIRVALEDSTU4145PBSignSignHash) signHash;
    decltype(&QIRVALEDSTU4145PBSignVerifyHash) verifyHash;
};

// The table of one family, from the export names with their basis infix B (PB or ONB).
#define QIRVALE_DSTU4145_EXPORT_TABLE(B)                                                          \
    DSTU4145ExportTable {                                                                         \
#B, QIRVALEDSTU4145##B##SignBaseFieldAllocate, QIRVALEDSTU4145##B##SignBaseFieldSizeOf,   \
            QIRVALEDSTU4145##B##SignBaseFieldFree, QIRVALEDSTU4145##B##SignBaseFieldDestroy,      \
            QIRVALEDSTU4145##B##SignBaseFieldElementMaxSizeInBitsByField,                         \
            QIRVALEDSTU4145##B##SignCurvePointCoordMaxSizeInBitsByField,                          \
            QIRVALEDSTU4145##B##SignCurvePointPackMaxSizeInBitsByField,                           \
            QIRVALEDSTU4145##B##SignPreSignMaxBitCount, QIRVALEDSTU4145##B##SignCurveAllocate,    \
            QIRVALEDSTU4145##B##SignCurveSizeOf, QIRVALEDSTU4145##B##SignCurveFree,               \
            QIRVALEDSTU4145##B##SignCurveCreate, QIRVALEDSTU4145##B##SignCurveDestroy,            \
            QIRVALEDSTU4145##B##SignCurvePackPoint, QIRVALEDSTU4145##B##SignCurveUnPackPoint,     \
            QIRVALEDSTU4145##B##SignCurveGenBasePoint,                                            \
            QIRVALEDSTU4145##B##SignCurveVerifyBasePoint,                                         \
            QIRVALEDSTU4145##B##SignPrivateKeyGetMaxSizeInBitsByCurve,                            \
            QIRVALEDSTU4145##B##SignSignRandomNumberMaxBitCountByCurve,                           \
            QIRVALEDSTU4145##B##SignSignMinByteCount, QIRVALEDSTU4145##B##SignGeneratePrivateKey, \
            QIRVALEDSTU4145##B##SignGeneratePublicKey, QIRVALEDSTU4145##B##SignVerifyPrivateKey,  \
            QIRVALEDSTU4145##B##SignVerifyPublicKey, QIRVALEDSTU4145##B##SignCreatePreSign,       \
            QIRVALEDSTU4145##B##SignSignHashByPreSign, QIRVALEDSTU4145##B##SignSignHash,          \
            QIRVALEDSTU4145##B##SignVerifyHash                                                    \
    }

inline constexpr DSTU4145ExportTable kDSTU4145PBExports = QIRVALE_DSTU4145_EXPORT_TABLE(PB);
inline constexpr DSTU4145ExportTable kDSTU4145ONBExports = QIRVALE_DSTU4145_EXPORT_TABLE(ONB);

#undef QIRVALE_DSTU4145_EXPORT_TABLE

}  // namespace QIRVALE
