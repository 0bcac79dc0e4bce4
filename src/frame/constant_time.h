// Constant-time building blocks, and the markers of secret data for the constant-time check.
//
// Code that handles secrets (private keys, per-signature random numbers and everything
// computed from them before the result) never branches on them, never uses them to form an
// address and never takes a loop count from them. Choices are made with masks instead: a mask
// is a word of all zero bits or all one bits, and the helpers below select, swap and compare
// through masks. ValueBarrier hides a value from the optimiser, so that it cannot prove a mask
// to be 0 or 1 and turn a masked selection back into a branch.
//
// The constant-time check (tests/ctime, built with QIRVALE_CTIME_CHECKS) runs the exports under
// valgrind memcheck with the secrets marked undefined: any branch or address that depends on
// them is reported. Where the library deliberately releases a value computed from secrets (a
// signature component, a refusal that ends the call), it says so with QIRVALE_DECLASSIFY and a
// comment that gives the reason; in normal builds the markers compile to nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(QIRVALE_CTIME_CHECKS)
#include <valgrind/memcheck.h>
#define QIRVALE_DECLASSIFY(address, size) VALGRIND_MAKE_MEM_DEFINED((address), (size))
#define QIRVALE_CLASSIFY(address, size) VALGRIND_MAKE_MEM_UNDEFINED((address), (size))
#else
// Marks `size` bytes at `address` as public again (the constant-time check stops tracking them).
#define QIRVALE_DECLASSIFY(address, size) static_cast<void>(0)
// Marks `size` bytes at `address` as secret for the constant-time check.
#define QIRVALE_CLASSIFY(address, size) static_cast<void>(0)
#endif

namespace QIRVALE {

// The value itself, opaque to the optimiser.
template <class Word>
inline Word ValueBarrier(Word value) {
#if defined(__GNUC__) || defined(__clang__)
    __asm__("" : "+r"(value));
#else
    volatile Word v = value;
    value = v;
#endif
    return value;
}

// All ones when bit is 1, all zeros when it is 0 (bit must be 0 or 1).
template <class Word>
inline Word MaskFromBit(Word bit) {
    return static_cast<Word>(0) - ValueBarrier(bit);
}

// All ones when value is zero, else all zeros.
inline uint64_t ZeroMask(uint64_t value) {
    // The top bit of value | -value is set exactly when value != 0.
    return ((value | (0 - value)) >> 63) - 1;
}

inline uint32_t ZeroMask32(uint32_t value) {
    return ((value | (0u - value)) >> 31) - 1;
}

// mask ? a : b, for a mask of all ones or all zeros.
template <class Word>
inline Word Select(Word mask, Word a, Word b) {
    return b ^ (mask & (a ^ b));
}

// Copies `count` words of `source` over `target` when mask is all ones; leaves target as it is
// when mask is zero. Every word is read and written either way.
template <class Word>
inline void ConditionalCopy(Word mask, Word* target, const Word* source, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) target[i] = Select(mask, source[i], target[i]);
}

// Exchanges `count` words of a and b when mask is all ones.
template <class Word>
inline void ConditionalSwap(Word mask, Word* a, Word* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const Word t = mask & (a[i] ^ b[i]);
        a[i] ^= t;
        b[i] ^= t;
    }
}

}  // namespace QIRVALE
