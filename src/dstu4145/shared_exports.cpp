// The DSTU 4145 exports that are one function for both bases: handle memory and the size
// queries that read only the order n. The normal-basis names (and the second names within
// the polynomial basis) are bound to these bodies as aliases, here for ELF and in
// src/exports/qirvale.def for the DLL.
//
// A handle holds pointers, so its size is that of one pointer (field) or two (curve):
// 4 and 8 bytes on 32-bit targets, 8 and 16 on 64-bit targets.
#include <cstdint>

#include "dstu4145/family.h"
#include "dstu4145/protocol.h"
#include "frame/export.h"
#include "frame/memory.h"

QIRVALE_EXPORT(DSTU4145BaseFieldHandle*) QIRVALEDSTU4145PBSignBaseFieldAllocate(void) {
    return QIRVALE::AllocateBlock<DSTU4145BaseFieldHandle>();
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignBaseFieldAllocate,
                     QIRVALEDSTU4145PBSignBaseFieldAllocate);

QIRVALE_EXPORT(uint32_t) QIRVALEDSTU4145PBSignBaseFieldSizeOf(void) {
    return sizeof(DSTU4145BaseFieldHandle);
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignBaseFieldSizeOf, QIRVALEDSTU4145PBSignBaseFieldSizeOf);

QIRVALE_EXPORT(DSTU4145CurveHandle*) QIRVALEDSTU4145PBSignCurveAllocate(void) {
    return QIRVALE::AllocateBlock<DSTU4145CurveHandle>();
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignCurveAllocate, QIRVALEDSTU4145PBSignCurveAllocate);

QIRVALE_EXPORT(uint32_t) QIRVALEDSTU4145PBSignCurveSizeOf(void) {
    return sizeof(DSTU4145CurveHandle);
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignCurveSizeOf, QIRVALEDSTU4145PBSignCurveSizeOf);

// Bit length of n minus 1 (0 for an uncreated curve).
QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve(const DSTU4145CurveHandle* curve) {
    const QIRVALE::LongIntegerClass* order = QIRVALE::OrderOrNull(curve);
    return order == nullptr ? 0 : QIRVALE::ScalarBitCount(*order);
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145PBSignSignRandomNumberMaxBitCountByCurve,
                     QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve);
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignPrivateKeyGetMaxSizeInBitsByCurve,
                     QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve);
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignSignRandomNumberMaxBitCountByCurve,
                     QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve);

// 2 * (significant bytes of n), the shortest signature (0 for an uncreated curve).
QIRVALE_EXPORT(uint32_t) QIRVALEDSTU4145PBSignSignMinByteCount(const DSTU4145CurveHandle* curve) {
    const QIRVALE::LongIntegerClass* order = QIRVALE::OrderOrNull(curve);
    return order == nullptr ? 0 : 2 * order->ByteLength();
}
QIRVALE_EXPORT_ALIAS(QIRVALEDSTU4145ONBSignSignMinByteCount, QIRVALEDSTU4145PBSignSignMinByteCount);
