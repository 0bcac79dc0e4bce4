#include "symmetric/gost28147_vector.h"

namespace QIRVALE {

#if defined(QIRVALE_VECTOR_UNITS)

namespace {

// The checks include the operating system's support for the register state.
GOST28147VectorUnit DetectUnit() noexcept {
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi")) {
        return GOST28147VectorUnit::kAvx512Vbmi;
    }
    if (__builtin_cpu_supports("avx2")) return GOST28147VectorUnit::kAvx2;
    return GOST28147VectorUnit::kNone;
}

}  // namespace

GOST28147VectorUnit GOST28147VectorUnitOfProcessor() noexcept {
    static const GOST28147VectorUnit unit = DetectUnit();  // a constant of the machine
    return unit;
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
