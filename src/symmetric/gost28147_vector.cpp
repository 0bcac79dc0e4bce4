#include "symmetric/gost28147_vector.h"

#include "frame/cpu_features.h"

namespace QIRVALE {

#if defined(QIRVALE_VECTOR_UNITS)

GOST28147VectorUnit GOST28147VectorUnitOfProcessor() noexcept {
    const CpuFeatures& features = DetectedCpuFeatures();
    if (features.avx512vbmi) return GOST28147VectorUnit::kAvx512Vbmi;
    if (features.avx2) return GOST28147VectorUnit::kAvx2;
    return GOST28147VectorUnit::kNone;
}

void GOST28147CycleBlocksVector(GOST28147VectorUnit unit, const uint8_t* rows,
                                const uint32_t* roundKeys, uint32_t* words,
                                std::size_t blockCount) noexcept {
    if (unit == GOST28147VectorUnit::kAvx512Vbmi) {
        GOST28147CycleBlocksAvx512Vbmi(rows, roundKeys, words, blockCount);
    } else {
        GOST28147CycleBlocksAvx2(rows, roundKeys, words, blockCount);
    }
}

void GOST28147EncryptFourKeysVector(GOST28147VectorUnit unit, const uint8_t* rows,
                                    const uint32_t* keys, uint32_t* words) noexcept {
    if (unit == GOST28147VectorUnit::kAvx512Vbmi) {
        GOST28147EncryptFourKeysAvx512Vbmi(rows, keys, words);
    } else {
        GOST28147EncryptFourKeysAvx2(rows, keys, words);
    }
}

#else

GOST28147VectorUnit GOST28147VectorUnitOfProcessor() noexcept {
    return GOST28147VectorUnit::kNone;
}

void GOST28147CycleBlocksVector(GOST28147VectorUnit, const uint8_t*, const uint32_t*, uint32_t*,
                                std::size_t) noexcept {}

void GOST28147EncryptFourKeysVector(GOST28147VectorUnit, const uint8_t*, const uint32_t*,
                                    uint32_t*) noexcept {}

#endif

}  // namespace QIRVALE
