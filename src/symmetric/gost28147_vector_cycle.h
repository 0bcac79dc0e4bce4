// The block loops of the vector paths (gost28147_vector.h), written once over the unit that
// supplies the round: included only by the files compiled for a unit, each of which
// instantiates them with a unit type of its own.
//
// A unit provides
//     struct Tables;                                     the S-box in registers
//     static void Load(Tables&, const uint8_t* rows);
//     static __m256i Round(const Tables&, __m256i a, __m256i b, __m256i k);
// where Round returns b ^ (f(a + k) <<< 11) for the eight 32-bit words side by side.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "frame/memory.h"

namespace QIRVALE {
namespace VectorCycle {
// Internal linkage: each including file is compiled for its own instruction set, so no
// function here may be shared between them at link time.
namespace {

// Eight blocks (N1, N2 pairs) into their N1 and N2 words, in an order that Store undoes.
inline void Load(const uint32_t* words, __m256i& n1, __m256i& n2) {
    const __m256 first = _mm256_loadu_ps(reinterpret_cast<const float*>(words));
    const __m256 second = _mm256_loadu_ps(reinterpret_cast<const float*>(words + 8));
    n1 = _mm256_castps_si256(_mm256_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
    n2 = _mm256_castps_si256(_mm256_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
}

inline void Store(uint32_t* words, __m256i n1, __m256i n2) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(words), _mm256_unpacklo_epi32(n1, n2));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(words + 8), _mm256_unpackhi_epi32(n1, n2));
}

// The cycle on two groups of eight blocks side by side: the rounds of one group form a
// dependent chain, and the other group fills the processor's idle slots. Every round here
// exchanges the halves; the last round of the cycle does not, so the result is (b, a).
template <class Unit>
void CycleBlocks(const uint8_t* rows, const uint32_t* roundKeys, uint32_t* words,
                 std::size_t blockCount) {
    struct Work {
        typename Unit::Tables tables;
        __m256i keys[32];
    } w;
    Unit::Load(w.tables, rows);
    for (int r = 0; r < 32; ++r) w.keys[r] = _mm256_set1_epi32(static_cast<int>(roundKeys[r]));
    for (std::size_t i = 0; i < blockCount; i += 16) {
        // An odd group of eight at the end runs beside a copy of itself.
        const bool pair = i + 16 <= blockCount;
        __m256i a0, b0, a1, b1;
        Load(words + 2 * i, a0, b0);
        Load(words + 2 * i + (pair ? 16 : 0), a1, b1);
        for (int r = 0; r < 32; r += 2) {
            b0 = Unit::Round(w.tables, a0, b0, w.keys[r]);
            b1 = Unit::Round(w.tables, a1, b1, w.keys[r]);
            a0 = Unit::Round(w.tables, b0, a0, w.keys[r + 1]);
            a1 = Unit::Round(w.tables, b1, a1, w.keys[r + 1]);
        }
        Store(words + 2 * i, b0, a0);
        if (pair) Store(words + 2 * i + 16, b1, a1);
    }
    SecureWipe(&w, sizeof w);
    _mm256_zeroall();  // registers 0-15 keep no key or data (16-31 are left as they are)
}

// Four blocks with a key each, in the low half of the registers; the round key is the
// vector of the four blocks' key words.
template <class Unit>
void EncryptFourKeys(const uint8_t* rows, const uint32_t* keys, uint32_t* words) {
    struct Work {
        typename Unit::Tables tables;
        __m256i columns[8];  // column i: word i of every key
    } w;
    Unit::Load(w.tables, rows);
    for (int q = 0; q < 2; ++q) {
        const __m128i m0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + 4 * q));
        const __m128i m1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + 8 + 4 * q));
        const __m128i m2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + 16 + 4 * q));
        const __m128i m3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + 24 + 4 * q));
        const __m128i t0 = _mm_unpacklo_epi32(m0, m1), t1 = _mm_unpackhi_epi32(m0, m1);
        const __m128i t2 = _mm_unpacklo_epi32(m2, m3), t3 = _mm_unpackhi_epi32(m2, m3);
        w.columns[4 * q] = _mm256_castsi128_si256(_mm_unpacklo_epi64(t0, t2));
        w.columns[4 * q + 1] = _mm256_castsi128_si256(_mm_unpackhi_epi64(t0, t2));
        w.columns[4 * q + 2] = _mm256_castsi128_si256(_mm_unpacklo_epi64(t1, t3));
        w.columns[4 * q + 3] = _mm256_castsi128_si256(_mm_unpackhi_epi64(t1, t3));
    }
    const __m128 first = _mm_loadu_ps(reinterpret_cast<const float*>(words));
    const __m128 second = _mm_loadu_ps(reinterpret_cast<const float*>(words + 4));
    __m256i a = _mm256_castsi128_si256(
        _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0))));
    __m256i b = _mm256_castsi128_si256(
        _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1))));
    // K0..K7 three times, then K7..K0.
    for (int r = 0; r < 32; r += 2) {
        b = Unit::Round(w.tables, a, b, w.columns[r < 24 ? r % 8 : 7 - r % 8]);
        a = Unit::Round(w.tables, b, a, w.columns[r < 24 ? (r + 1) % 8 : 6 - r % 8]);
    }
    const __m128i n1 = _mm256_castsi256_si128(b), n2 = _mm256_castsi256_si128(a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(words), _mm_unpacklo_epi32(n1, n2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(words + 4), _mm_unpackhi_epi32(n1, n2));
    SecureWipe(&w, sizeof w);
    _mm256_zeroall();  // registers 0-15 keep no key or data (16-31 are left as they are)
}

}  // namespace
}  // namespace VectorCycle
}  // namespace QIRVALE
