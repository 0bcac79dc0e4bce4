#include "binfield/binary_words.h"

#include <cstring>

#include "binfield/carryless.h"
#include "frame/exceptions.h"
#include "frame/memory.h"

namespace QIRVALE {
namespace BinaryWords {

namespace {

// Position of the highest set bit of a non-zero word.
inline uint32_t TopBit(uint64_t x) {
#if defined(__GNUC__) || defined(__clang__)
    return 63u - static_cast<uint32_t>(__builtin_clzll(x));
#else
    uint32_t r = 0;
    while (x >>= 1) ++r;
    return r;
#endif
}

inline uint32_t DigitBits(uint16_t d) {
    uint32_t r = 0;
    while (d != 0) {
        ++r;
        d = static_cast<uint16_t>(d >> 1);
    }
    return r;
}

// c ^= x * t^position; touches words position / 64 and position / 64 + 1 (the second only
// when the bit offset is not zero).
inline void XorWordAt(uint64_t* c, uint32_t position, uint64_t x) {
    const uint32_t w = position / 64;
    const uint32_t b = position % 64;
    c[w] ^= x << b;
    if (b != 0) c[w + 1] ^= x >> (64 - b);
}

}  // namespace

void WordScratch::Oversized() {
    throw AssertExceptionClass();
}

uint32_t BitLengthOf(const LongIntegerClass& a) {
    const uint16_t* d = a.Digits();
    for (uint32_t i = a.DigitCount(); i > 0; --i) {
        if (d[i - 1] != 0) return 16 * (i - 1) + DigitBits(d[i - 1]);
    }
    return 0;
}

uint32_t LoadLowBits(const LongIntegerClass& a, uint32_t bits, uint64_t* w) {
    const uint32_t words = WordsForBits(bits);
    const uint16_t* d = a.Digits();
    uint32_t digits = a.DigitCount();
    if (digits > 4 * words) digits = 4 * words;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // The digit array, least significant digit first, is the words' little-endian image.
    for (uint32_t i = 0; i < words; ++i) w[i] = 0;
    std::memcpy(w, d, digits * sizeof(uint16_t));
#else
    for (uint32_t i = 0; i < words; ++i) {
        uint64_t x = 0;
        for (uint32_t j = 0; j < 4; ++j) {
            const uint32_t index = 4 * i + j;
            if (index < digits) x |= static_cast<uint64_t>(d[index]) << (16 * j);
        }
        w[i] = x;
    }
#endif
    uint32_t n = words;
    KeepLowBits(w, n, bits);
    return n;
}

void StoreWords(LongIntegerClass& r, const uint64_t* w, uint32_t n) {
    r.SetZero();
    n = Trim(w, n);
    if (n == 0) return;
    uint16_t* d = r.MutableDigits();
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(d, w, n * sizeof(uint64_t));
#else
    for (uint32_t i = 0; i < n; ++i) {
        for (uint32_t j = 0; j < 4; ++j) d[4 * i + j] = static_cast<uint16_t>(w[i] >> (16 * j));
    }
#endif
    r.SetDigitCount(4 * n);
    r.Normalize();
}

uint32_t Trim(const uint64_t* w, uint32_t n) {
    while (n > 0 && w[n - 1] == 0) --n;
    return n;
}

uint32_t BitLength(const uint64_t* w, uint32_t n) {
    n = Trim(w, n);
    return n == 0 ? 0 : 64 * (n - 1) + TopBit(w[n - 1]) + 1;
}

void KeepLowBits(uint64_t* w, uint32_t& n, uint32_t bits) {
    const uint32_t keep = WordsForBits(bits);
    if (n > keep) {
        for (uint32_t i = keep; i < n; ++i) w[i] = 0;
        n = keep;
    }
    if (bits % 64 != 0 && n == keep && n > 0) w[n - 1] &= (uint64_t{1} << (bits % 64)) - 1;
    n = Trim(w, n);
}

void XorShifted(uint64_t* dst, const uint64_t* src, uint32_t srcCount, uint32_t shift) {
    const uint32_t q = shift / 64;
    const uint32_t b = shift % 64;
    if (b == 0) {
        for (uint32_t i = 0; i < srcCount; ++i) dst[i + q] ^= src[i];
        return;
    }
    uint64_t carry = 0;
    for (uint32_t i = 0; i < srcCount; ++i) {
        dst[i + q] ^= (src[i] << b) | carry;
        carry = src[i] >> (64 - b);
    }
    dst[srcCount + q] ^= carry;
}

bool EqualWords(const uint64_t* a, uint32_t na, const uint64_t* b, uint32_t nb) {
    na = Trim(a, na);
    nb = Trim(b, nb);
    if (na != nb) return false;
    for (uint32_t i = 0; i < na; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

// The comb below for operands of exactly N words each, with every loop bound known to the
// compiler so that the accumulator lives in registers.
template <uint32_t N>
void CombMultiplyFixed(const uint64_t* a, const uint64_t* b, uint64_t* c) {
    uint64_t table[16][N + 1];
    for (uint32_t i = 0; i <= N; ++i) table[0][i] = 0;
    for (uint32_t i = 0; i < N; ++i) table[1][i] = b[i];
    table[1][N] = 0;
    for (uint32_t u = 2; u < 16; u += 2) {
        uint64_t carry = 0;
        for (uint32_t i = 0; i <= N; ++i) {
            table[u][i] = (table[u / 2][i] << 1) | carry;
            carry = table[u / 2][i] >> 63;
        }
        for (uint32_t i = 0; i <= N; ++i) table[u + 1][i] = table[u][i] ^ table[1][i];
    }
    uint64_t acc[2 * N];
    for (uint32_t i = 0; i < 2 * N; ++i) acc[i] = 0;
    for (int shift = 60; shift >= 0; shift -= 4) {
        for (uint32_t j = 0; j < N; ++j) {
            const uint64_t* r = table[(a[j] >> shift) & 15];
            for (uint32_t i = 0; i <= N && j + i < 2 * N; ++i) acc[j + i] ^= r[i];
        }
        if (shift != 0) {
            for (uint32_t i = 2 * N - 1; i > 0; --i) acc[i] = (acc[i] << 4) | (acc[i - 1] >> 60);
            acc[0] <<= 4;
        }
    }
    for (uint32_t i = 0; i < 2 * N; ++i) c[i] = acc[i];
    SecureWipe(table, sizeof table);
}

// Left-to-right comb with 4-bit windows: the 16 multiples u(t) * b(t) of b by the
// polynomials u of degree below 4 are tabulated once, then each nibble of a selects one
// table row, which is added at the nibble's word; the accumulator moves up four bits
// between nibble positions.
void MultiplyPolynomials(const uint64_t* a, uint32_t na, const uint64_t* b, uint32_t nb,
                         uint64_t* c) {
    const uint32_t total = na + nb;
    if (na == nb) {
        switch (na) {
            case 1:
                return CombMultiplyFixed<1>(a, b, c);
            case 2:
                return CombMultiplyFixed<2>(a, b, c);
            case 3:
                return CombMultiplyFixed<3>(a, b, c);
            case 4:
                return CombMultiplyFixed<4>(a, b, c);
            case 5:
                return CombMultiplyFixed<5>(a, b, c);
            case 6:
                return CombMultiplyFixed<6>(a, b, c);
            case 7:
                return CombMultiplyFixed<7>(a, b, c);
            case 8:
                return CombMultiplyFixed<8>(a, b, c);
            case 9:
                return CombMultiplyFixed<9>(a, b, c);
            default:
                break;
        }
    }
    for (uint32_t i = 0; i < total; ++i) c[i] = 0;
    if (na == 0 || nb == 0) return;

    const uint32_t row = nb + 1;
    uint64_t table[16 * (kValueWords + 1)];
    for (uint32_t i = 0; i < row; ++i) table[i] = 0;
    for (uint32_t i = 0; i < nb; ++i) table[row + i] = b[i];
    table[row + nb] = 0;
    for (uint32_t u = 2; u < 16; ++u) {
        uint64_t* t = table + u * row;
        const uint64_t* half = table + (u >> 1) * row;
        uint64_t carry = 0;
        for (uint32_t i = 0; i < row; ++i) {
            t[i] = (half[i] << 1) | carry;
            carry = half[i] >> 63;
        }
        if (u & 1) {
            for (uint32_t i = 0; i < nb; ++i) t[i] ^= b[i];
        }
    }

    // For each nibble position, output word w collects row word w - j of the row chosen by
    // nibble j; every output word is written once per position (accumulating in a register
    // rather than through overlapping stores keeps the loads from waiting on those stores).
    const uint64_t* rows[kValueWords];
    for (int shift = 60; shift >= 0; shift -= 4) {
        for (uint32_t j = 0; j < na; ++j) rows[j] = table + ((a[j] >> shift) & 15) * row;
        for (uint32_t w = 0; w < total; ++w) {
            const uint32_t first = w + 1 > row ? w + 1 - row : 0;
            const uint32_t last = w < na ? w : na - 1;
            uint64_t sum = 0;
            for (uint32_t j = first; j <= last; ++j) sum ^= rows[j][w - j];
            c[w] ^= sum;
        }
        if (shift != 0) {
            for (uint32_t i = total - 1; i > 0; --i) c[i] = (c[i] << 4) | (c[i - 1] >> 60);
            c[0] <<= 4;
        }
    }
    SecureWipe(table, 16 * row * sizeof(uint64_t));
}

void SquarePolynomial(const uint64_t* a, uint32_t na, uint64_t* c) {
    for (uint32_t i = 0; i < na; ++i) {
        c[2 * i] = Carryless::Spread32(a[i]);
        c[2 * i + 1] = Carryless::Spread32(a[i] >> 32);
    }
}

ReductionRule::ReductionRule(uint32_t m, const uint32_t* t, uint32_t count)
    : degree(m), terms(t), termCount(count), nearCount(0) {
    for (uint32_t i = 0; i < termCount; ++i) {
        const uint32_t distance = degree - terms[i];
        if (distance < 64 && nearCount < 64) nearShifts[nearCount++] = distance;
        if (i < kWordStepTerms) {
            // Bit t of word i lands at 64 i + t - distance = 64 (i - q) + r + t.
            wordStep[i] = (distance + 63) / 64;
            bitStep[i] = 64 * wordStep[i] - distance;
        }
    }
}

// The bits at or above m are folded a word at a time from the top down: the chunk of word i
// that lies at or above m (all of it above the boundary word, the part from bit m up in the
// boundary word) is cleared and its value F is added at the positions lo - m + e for every
// term e, lo being the chunk's lowest bit position. Everything a chunk adds lands below the
// chunk itself except when a term lies within 64 of m; those "near" terms feed the chunk back
// into itself, and F must then be the value the chunk has after its own feedback:
// F = X + sum over near distances d of (F >> d). Since the right shifts form the algebra
// GF(2)[s] / s^64, F = X * prod_i (1 + g^(2^i)) with g = sum of s^d, and g^(2^i) is the sum of
// the shifts by d * 2^i; six rounds suffice for a 64-bit chunk. This equals the bit-at-a-time
// fold from the top down, which processes every bit with its final value.
void ReductionRule::Reduce(uint64_t* c, uint32_t& n) const {
    n = Trim(c, n);
    const uint32_t m = degree;
    const uint32_t boundaryWord = m / 64;
    const uint32_t boundaryBit = m % 64;
    if (n <= boundaryWord) return;

    uint32_t stop = boundaryWord;
    if (nearCount == 0 && termCount <= kWordStepTerms) {
        // Every term lies at least 64 below m: whole words fold without touching themselves,
        // each term at a fixed word and bit distance.
        stop = boundaryBit == 0 ? boundaryWord : boundaryWord + 1;
        for (uint32_t i = n; i-- > stop;) {
            const uint64_t x = c[i];
            c[i] = 0;
            for (uint32_t k = 0; k < termCount; ++k) {
                uint64_t* target = c + (i - wordStep[k]);
                const uint32_t b = bitStep[k];
                target[0] ^= x << b;
                if (b != 0) target[1] ^= x >> (64 - b);
            }
        }
        if (stop == boundaryWord) {
            n = Trim(c, boundaryWord);
            return;
        }
        n = stop;  // only the boundary word is left above m
    }

    for (uint32_t i = n; i-- > boundaryWord;) {
        const uint32_t offset = (i == boundaryWord) ? boundaryBit : 0;
        uint64_t chunk = c[i] >> offset;
        if (chunk == 0) continue;
        const uint64_t keepMask = offset == 0 ? 0 : (uint64_t{1} << offset) - 1;
        if (nearCount != 0) {
            for (uint32_t round = 0; round < 6; ++round) {
                uint64_t feedback = 0;
                for (uint32_t k = 0; k < nearCount; ++k) {
                    const uint32_t shift = nearShifts[k] << round;
                    if (shift < 64) feedback ^= chunk >> shift;
                }
                if (feedback == 0) break;
                chunk ^= feedback;
            }
        }
        c[i] &= keepMask;
        const uint32_t low = 64 * i + offset - m;
        for (uint32_t k = 0; k < termCount; ++k) XorWordAt(c, low + terms[k], chunk);
        // Near terms wrote into the chunk itself; their effect is already part of `chunk`.
        c[i] &= keepMask;
    }
    n = Trim(c, boundaryWord + 1);
}

const uint64_t* GreatestCommonDivisor(uint64_t* a, uint32_t na, uint64_t* b, uint32_t nb,
                                      uint32_t& resultCount) {
    uint64_t* r0 = a;
    uint64_t* r1 = b;
    uint32_t d0 = BitLength(r0, na);
    uint32_t d1 = BitLength(r1, nb);
    if (d0 < d1) {
        uint64_t* t = r0;
        r0 = r1;
        r1 = t;
        const uint32_t s = d0;
        d0 = d1;
        d1 = s;
    }
    // Invariant: bit lengths d0 >= d1.
    while (d1 != 0) {
        const uint32_t count1 = WordsForBits(d1);
        while (d0 >= d1) {
            XorShifted(r0, r1, count1, d0 - d1);
            d0 = BitLength(r0, WordsForBits(d0));
        }
        uint64_t* t = r0;
        r0 = r1;
        r1 = t;
        const uint32_t s = d0;
        d0 = d1;
        d1 = s;
    }
    resultCount = WordsForBits(d0);
    return r0;
}

}  // namespace BinaryWords
}  // namespace QIRVALE
