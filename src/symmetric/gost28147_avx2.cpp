// The vector paths of GOST 28147-89 for processors with AVX2; this file is compiled for
// AVX2 and runs only where the processor has it (gost28147_vector.cpp decides).
#include "symmetric/gost28147_vector.h"

#if defined(QIRVALE_VECTOR_UNITS)

#include "symmetric/gost28147_vector_cycle.h"

namespace QIRVALE {

namespace {

// Byte shuffles look up sixteen bytes within each 128-bit half, so every S-box row is held
// in both halves of its own register.
struct Avx2 {
    struct Tables {
        __m256i row[8];
        __m256i oddBytes;  // bytes 1 and 3 of every word
        __m256i lowNibbles;
    };

    static void Load(Tables& t, const uint8_t* rows) {
        for (int j = 0; j < 8; ++j) {
            t.row[j] = _mm256_broadcastsi128_si256(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows + 16 * j)));
        }
        t.oddBytes = _mm256_set1_epi32(static_cast<int>(0xFF00FF00u));
        t.lowNibbles = _mm256_set1_epi32(0x0F0F0F0F);
    }

    // Byte p of `index` holds nibble 2p (or 2p + 1) of x; the four rows it may need are
    // looked up for every byte, and the blends keep row 2p (2p + 1) in byte p.
    static __m256i Lookup(const Tables& t, const __m256i* rows, __m256i index) {
        const __m256i low = _mm256_blendv_epi8(_mm256_shuffle_epi8(rows[0], index),
                                               _mm256_shuffle_epi8(rows[2], index), t.oddBytes);
        const __m256i high = _mm256_blendv_epi8(_mm256_shuffle_epi8(rows[4], index),
                                                _mm256_shuffle_epi8(rows[6], index), t.oddBytes);
        return _mm256_blend_epi16(low, high, 0xAA);
    }

    // The even rows' bytes land in place; the odd rows' bytes belong one nibble higher.
    static __m256i Round(const Tables& t, __m256i a, __m256i b, __m256i k) {
        const __m256i x = _mm256_add_epi32(a, k);
        const __m256i even = Lookup(t, t.row, _mm256_and_si256(x, t.lowNibbles));
        const __m256i odd =
            Lookup(t, t.row + 1, _mm256_and_si256(_mm256_srli_epi32(x, 4), t.lowNibbles));
        const __m256i f = _mm256_or_si256(even, _mm256_slli_epi32(odd, 4));
        return _mm256_xor_si256(
            b, _mm256_or_si256(_mm256_slli_epi32(f, 11), _mm256_srli_epi32(f, 21)));
    }
};

}  // namespace

void GOST28147CycleBlocksAvx2(const uint8_t* rows, const uint32_t* roundKeys, uint32_t* words,
                              std::size_t blockCount) noexcept {
    VectorCycle::CycleBlocks<Avx2>(rows, roundKeys, words, blockCount);
}

void GOST28147EncryptFourKeysAvx2(const uint8_t* rows, const uint32_t* keys,
                                  uint32_t* words) noexcept {
    VectorCycle::EncryptFourKeys<Avx2>(rows, keys, words);
}

}  // namespace QIRVALE

#endif
