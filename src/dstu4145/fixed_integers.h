// Fixed-length integer arithmetic for the secrets of the DSTU 4145 exports: private keys and
// per-signature random numbers, read from byte strings, range-checked and combined as
// s = (e + d r) mod n.
//
// Integers are arrays of N 32-bit limbs, least significant first. Every function runs the same
// instructions for every value: lengths come from N and the caller's (public) byte counts,
// comparisons give masks (all ones or all zeros), and the reduction modulo the (odd) n is
// Montgomery's, with masked final subtractions.
#pragma once

#include <cstdint>

#include "frame/constant_time.h"
#include "frame/memory.h"

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

// An odd modulus n of `limbs` limbs with the constants of Montgomery reduction modulo n:
// -n^-1 mod 2^32 and R^2 mod n for R = 2^(32 limbs). All public.
struct OddModulus {
    uint32_t n[kMaxLimbs];
    uint32_t rSquared[kMaxLimbs];
    uint32_t inverse;  // -n^-1 mod 2^32
    unsigned limbs;

    // n (odd) and R^2 mod n; the inverse follows by Newton's iteration (each step doubles the
    // correct low bits of n^-1, from 3 bits: n n = 1 mod 8 for odd n).
    void Set(const uint32_t* value, const uint32_t* rSquaredValue, unsigned count) {
        limbs = count;
        for (unsigned i = 0; i < kMaxLimbs; ++i) {
            n[i] = i < count ? value[i] : 0;
            rSquared[i] = i < count ? rSquaredValue[i] : 0;
        }
        uint32_t x = n[0];
        for (int i = 0; i < 4; ++i) x *= 2 - n[0] * x;
        inverse = 0u - x;
    }
};

// v = t / R mod n for t of 2 limbs + 2 limbs below 3 n R (Montgomery reduction): each step
// adds the multiple of n that clears the lowest limb, carrying through every higher limb, and
// the result (below 4 n) loses n twice by masked subtractions.
inline void Reduce(uint32_t* t, const OddModulus& m, uint32_t* v) {
    const unsigned limbs = m.limbs;
    for (unsigned i = 0; i < limbs; ++i) {
        const uint32_t q = t[i] * m.inverse;
        uint64_t carry = 0;
        for (unsigned j = 0; j < limbs; ++j) {
            carry += uint64_t(q) * m.n[j] + t[i + j];
            t[i + j] = uint32_t(carry);
            carry >>= 32;
        }
        for (unsigned j = i + limbs; j < 2 * limbs + 2; ++j) {
            carry += t[j];
            t[j] = uint32_t(carry);
            carry >>= 32;
        }
    }
    uint32_t* high = t + limbs;  // limbs + 2 limbs
    for (int round = 0; round < 2; ++round) {
        uint32_t difference[kMaxLimbs + 2];
        uint64_t borrow = 0;
        for (unsigned i = 0; i < limbs + 2; ++i) {
            const uint64_t x = uint64_t(high[i]) - (i < limbs ? m.n[i] : 0) - borrow;
            difference[i] = uint32_t(x);
            borrow = x >> 63;
        }
        const uint32_t keep = 0u - uint32_t(borrow);  // high < n
        for (unsigned i = 0; i < limbs + 2; ++i) high[i] = Select(keep, high[i], difference[i]);
    }
    for (unsigned i = 0; i < limbs; ++i) v[i] = high[i];
}

// s = (e + d r) mod n for d and e below R = 2^(32 limbs) and r below n: t = d r + e is below
// n R + R, its reduction u = t / R mod n, and the Montgomery product of u and R^2 is t mod n.
inline void MultiplyAddMod(const uint32_t* d, const uint32_t* r, const uint32_t* e,
                           const OddModulus& m, uint32_t* s) {
    const unsigned limbs = m.limbs;
    uint32_t t[2 * kMaxLimbs + 2] = {};
    for (unsigned i = 0; i < limbs; ++i) {
        uint64_t carry = 0;
        for (unsigned j = 0; j < limbs; ++j) {
            carry += uint64_t(d[i]) * r[j] + t[i + j];
            t[i + j] = uint32_t(carry);
            carry >>= 32;
        }
        t[i + limbs] = uint32_t(carry);
    }
    uint64_t carry = 0;
    for (unsigned i = 0; i < 2 * limbs + 2; ++i) {
        carry += uint64_t(t[i]) + (i < limbs ? e[i] : 0);
        t[i] = uint32_t(carry);
        carry >>= 32;
    }
    uint32_t u[kMaxLimbs];
    Reduce(t, m, u);
    for (unsigned i = 0; i < 2 * limbs + 2; ++i) t[i] = 0;
    for (unsigned i = 0; i < limbs; ++i) {
        uint64_t c = 0;
        for (unsigned j = 0; j < limbs; ++j) {
            c += uint64_t(u[i]) * m.rSquared[j] + t[i + j];
            t[i + j] = uint32_t(c);
            c >>= 32;
        }
        t[i + limbs] = uint32_t(c);
    }
    Reduce(t, m, s);
    SecureWipe(t, sizeof t);
    SecureWipe(u, sizeof u);
}

}  // namespace FixedIntegers
}  // namespace QIRVALE
