// GOST 28147-89 rounds on several blocks at once in 256-bit vector registers, with the
// S-box applied by byte shuffles or byte permutes of registers instead of table loads.
//
// A byte shuffle looks up entries held in a register, so the substitution reads no memory at
// an address that depends on the data: these paths take the same time and touch the same
// cache lines whatever the key, S-box and data. They are chosen at run time
// (GOST28147VectorUnitOfProcessor); the callers in gost28147.cpp fall back to portable table
// code on processors without AVX2 and on other architectures.
//
// The S-box is given as rows[16 j + v] = entry v of row j, a full byte: the substitution
// ORs row j's byte shifted left by 4 j into the 32-bit result, so the high bits of a byte
// above 15 spill into the neighbouring nibble exactly as in the table form, and those of row
// 7 fall off the top.
#pragma once

#include <cstddef>
#include <cstdint>

namespace QIRVALE {

enum class GOST28147VectorUnit {
    kNone,
    kAvx2,       // byte shuffles (vpshufb) on eight blocks per register
    kAvx512Vbmi  // 64-entry byte permutes (vpermi2b) and 32 vector registers
};

// The best unit that the running processor and operating system support.
GOST28147VectorUnit GOST28147VectorUnitOfProcessor() noexcept;

// The 32-round cycle applied in place to `blockCount` blocks (a multiple of 8), each stored
// as its two words N1, N2 at words[2 i], words[2 i + 1]. roundKeys[r] is the key of round
// r; the last round keeps A, as the full cycle does. `unit` must not be kNone.
void GOST28147CycleBlocksVector(GOST28147VectorUnit unit, const uint8_t* rows,
                                const uint32_t* roundKeys, uint32_t* words,
                                std::size_t blockCount) noexcept;

// The 32-round encryption of four blocks, block i (words[2 i], words[2 i + 1]) under key i
// (keys[8 i .. 8 i + 7], K0..K7), in place. `unit` must not be kNone.
void GOST28147EncryptFourKeysVector(GOST28147VectorUnit unit, const uint8_t* rows,
                                    const uint32_t* keys, uint32_t* words) noexcept;

// The same two operations for one unit; defined in files compiled for that unit.
void GOST28147CycleBlocksAvx2(const uint8_t* rows, const uint32_t* roundKeys, uint32_t* words,
                              std::size_t blockCount) noexcept;
void GOST28147EncryptFourKeysAvx2(const uint8_t* rows, const uint32_t* keys,
                                  uint32_t* words) noexcept;
void GOST28147CycleBlocksAvx512Vbmi(const uint8_t* rows, const uint32_t* roundKeys, uint32_t* words,
                                    std::size_t blockCount) noexcept;
void GOST28147EncryptFourKeysAvx512Vbmi(const uint8_t* rows, const uint32_t* keys,
                                        uint32_t* words) noexcept;

}  // namespace QIRVALE
