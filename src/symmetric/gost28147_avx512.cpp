// The vector paths of GOST 28147-89 for processors with AVX-512 VBMI (byte permutes over
// 64 entries) and VL (the 32 registers and AVX-512 operations at 256 bits); this file is
// compiled for them and runs only where the processor has them (gost28147_vector.cpp
// decides).
#include "symmetric/gost28147_vector.h"

#if defined(QIRVALE_VECTOR_UNITS)

#include "symmetric/gost28147_vector_cycle.h"

namespace QIRVALE {

namespace {

// The four even rows form one 64-entry table in two registers, the four odd rows another;
// a permute indexed by nibble + 16 p looks up row 2p (2p + 1) in byte p.
struct Avx512Vbmi {
    struct Tables {
        __m256i even[2];  // rows 0, 2 | rows 4, 6
        __m256i odd[2];   // rows 1, 3 | rows 5, 7
        __m256i lowNibbles;
        __m256i rowOffsets;  // 16 p in byte p
    };

    static void Load(Tables& t, const uint8_t* rows) {
        for (int half = 0; half < 2; ++half) {
            for (int parity = 0; parity < 2; ++parity) {
                const __m128i first = _mm_loadu_si128(
                    reinterpret_cast<const __m128i*>(rows + 16 * (4 * half + parity)));
                const __m128i second = _mm_loadu_si128(
                    reinterpret_cast<const __m128i*>(rows + 16 * (4 * half + parity + 2)));
                (parity == 0 ? t.even : t.odd)[half] =
                    _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
            }
        }
        t.lowNibbles = _mm256_set1_epi32(0x0F0F0F0F);
        t.rowOffsets = _mm256_set1_epi32(0x30201000);
    }

    static __m256i Round(const Tables& t, __m256i a, __m256i b, __m256i k) {
        const __m256i x = _mm256_add_epi32(a, k);
        // (x & lowNibbles) | rowOffsets in one ternary-logic operation (0xEA).
        const __m256i evenIndex = _mm256_ternarylogic_epi32(x, t.lowNibbles, t.rowOffsets, 0xEA);
        const __m256i oddIndex =
            _mm256_ternarylogic_epi32(_mm256_srli_epi32(x, 4), t.lowNibbles, t.rowOffsets, 0xEA);
        const __m256i even = _mm256_permutex2var_epi8(t.even[0], evenIndex, t.even[1]);
        const __m256i odd = _mm256_permutex2var_epi8(t.odd[0], oddIndex, t.odd[1]);
        // b ^ ((even | odd << 4) <<< 11), rotating the two parts apart: (A | B) ^ C is 0x56.
        return _mm256_ternarylogic_epi32(_mm256_rol_epi32(even, 11),
                                         _mm256_rol_epi32(_mm256_slli_epi32(odd, 4), 11), b, 0x56);
    }
};

}  // namespace

void GOST28147CycleBlocksAvx512Vbmi(const uint8_t* rows, const uint32_t* roundKeys, uint32_t* words,
                                    std::size_t blockCount) noexcept {
    VectorCycle::CycleBlocks<Avx512Vbmi>(rows, roundKeys, words, blockCount);
}

void GOST28147EncryptFourKeysAvx512Vbmi(const uint8_t* rows, const uint32_t* keys,
                                        uint32_t* words) noexcept {
    VectorCycle::EncryptFourKeys<Avx512Vbmi>(rows, keys, words);
}

}  // namespace QIRVALE

#endif
