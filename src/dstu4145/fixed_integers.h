// Fixed-length integer arithmetic for the secrets of the DSTU 4145 exports: private keys and
// per-signature random numbers, read from byte strings, range-checked and combined as
// s = (e + d r) mod n.
//
// Integers are arrays of N 32-bit limbs, least significant first. Every function runs the same
// instructions for every value: lengths come from N and the caller's (public) byte counts,
// comparisons give masks (all ones or all zeros), and the reduction modulo n is a bitwise long
// division with a masked subtraction per bit.
#pragma once

#include <cstdint>

#include "frame/constant_time.h"

namespace QIRVALE {
namespace FixedIntegers {

// The largest N used (scalars of up to 64 * 10 bits).
constexpr unsigned kMaxLimbs = 20;

// v = the little-endian `length` bytes at `bytes`, cut to N limbs. Returns all ones when the
// value has a set bit at or above `bits` (bits <= 32 N), else zero.
inline uint32_t Load(const uint8_t* bytes, uint32_t length, uint32_t* v, unsigned n,
                     uint32_t bits) {
    for (unsigned i = 0; i < n; ++i) v[i] = 0;
    uint32_t excess = 0;
    for (uint32_t i = 0; i < length; ++i) {
        if (i < 4 * n) {
            v[i / 4] |= uint32_t(bytes[i]) << (8 * (i % 4));
        } else {
            excess |= bytes[i];
        }
    }
    for (unsigned i = 0; i < n; ++i) {
        // The bits of limb i at and above `bits`: all of them, some, or none (public shape).
        const uint32_t low = 32 * i;
        if (low >= bits) {
            excess |= v[i];
        } else if (bits - low < 32) {
            excess |= v[i] >> (bits - low);
        }
    }
    return ~ZeroMask32(excess);
}

// Little-endian bytes of v into `length` bytes (zero padding; limbs beyond are cut).
inline void Store(const uint32_t* v, unsigned n, uint8_t* bytes, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i) {
        bytes[i] = i < 4 * n ? uint8_t(v[i / 4] >> (8 * (i % 4))) : 0;
    }
}

inline uint32_t IsZeroMask(const uint32_t* v, unsigned n) {
    uint32_t any = 0;
    for (unsigned i = 0; i < n; ++i) any |= v[i];
    return ZeroMask32(any);
}

// All ones when a < b.
inline uint32_t LessMask(const uint32_t* a, const uint32_t* b, unsigned n) {
    uint64_t borrow = 0;
    for (unsigned i = 0; i < n; ++i) borrow = (uint64_t(a[i]) - b[i] - borrow) >> 63;
    return 0u - uint32_t(borrow);
}

// s = (e + d r) mod modulus for d, r, e, modulus of n limbs (n <= kMaxLimbs, modulus != 0). The sum
// d r + e is formed in 2n + 1 limbs and divided bit by bit from the top: the remainder doubles,
// takes in the next bit and loses the modulus where it reaches it, so it stays below the modulus.
inline void MultiplyAddMod(const uint32_t* d, const uint32_t* r, const uint32_t* e,
                           const uint32_t* modulus, unsigned n, uint32_t* s) {
    uint32_t sum[2 * kMaxLimbs + 1] = {};
    for (unsigned i = 0; i < n; ++i) {
        uint64_t carry = 0;
        for (unsigned j = 0; j < n; ++j) {
            const uint64_t t = uint64_t(d[i]) * r[j] + sum[i + j] + carry;
            sum[i + j] = uint32_t(t);
            carry = t >> 32;
        }
        sum[i + n] = uint32_t(carry);
    }
    uint64_t carry = 0;
    for (unsigned i = 0; i < 2 * n + 1; ++i) {
        carry += uint64_t(sum[i]) + (i < n ? e[i] : 0);
        sum[i] = uint32_t(carry);
        carry >>= 32;
    }
    uint32_t rest[kMaxLimbs + 1] = {};
    for (unsigned bit = 32 * (2 * n + 1); bit-- > 0;) {
        // rest = 2 rest + bit; rest < 2 modulus fits n limbs and one more.
        for (unsigned i = n + 1; i-- > 1;) rest[i] = (rest[i] << 1) | (rest[i - 1] >> 31);
        rest[0] = (rest[0] << 1) | ((sum[bit / 32] >> (bit % 32)) & 1);
        uint32_t difference[kMaxLimbs + 1];
        uint64_t borrow = 0;
        for (unsigned i = 0; i <= n; ++i) {
            const uint64_t t = uint64_t(rest[i]) - (i < n ? modulus[i] : 0) - borrow;
            difference[i] = uint32_t(t);
            borrow = t >> 63;
        }
        const uint32_t keep = 0u - uint32_t(borrow);  // rest < modulus
        for (unsigned i = 0; i <= n; ++i) rest[i] = Select(keep, rest[i], difference[i]);
    }
    for (unsigned i = 0; i < n; ++i) s[i] = rest[i];
}

}  // namespace FixedIntegers
}  // namespace QIRVALE
