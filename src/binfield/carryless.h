// Carry-less multiplication of fixed-size word arrays for the word-sized polynomial-basis
// field (fixed_pb_field.h, fixed_pb_kernels.cpp).
//
// Two backends compute the same products. The instruction backend uses PCLMULQDQ (x86 and
// x86_64, compiled with a target attribute in fixed_pb_kernels.cpp and chosen at run time, so
// one build serves every CPU); the portable backend here multiplies masked operands with
// ordinary integer multiplications (bits four apart never carry into each other in a
// 32 x 32-bit product). Neither branches on its operands, indexes memory with them or takes a
// loop count from them.
#pragma once

#include <cstdint>

namespace QIRVALE {
namespace Carryless {

// The widest operand, in 64-bit words (GF(2^m) with m <= 576).
constexpr unsigned kMaxWords = 9;

// Whether this CPU has the carry-less multiply instruction (and this build can use it).
bool InstructionAvailable() noexcept;

// c[0 .. 2W) = a[0 .. W) * b[0 .. W) over GF(2)[t], for W = 1 .. kMaxWords, with the portable
// backend. c must not overlap a or b.
template <unsigned W>
void MultiplyPortable(const uint64_t* a, const uint64_t* b, uint64_t* c) noexcept;

// The bits of the low 32 bits of x spread to the even positions of the result (x^2 over
// GF(2)[t] for a 32-bit x): shifts and masks only.
inline uint64_t Spread32(uint64_t x) {
    x &= 0xFFFFFFFFu;
    x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
    x = (x | (x << 8)) & 0x00FF00FF00FF00FFull;
    x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0Full;
    x = (x | (x << 2)) & 0x3333333333333333ull;
    x = (x | (x << 1)) & 0x5555555555555555ull;
    return x;
}

// c[0 .. 2W) = a[0 .. W)^2 over GF(2)[t] (the same on every CPU).
template <unsigned W>
inline void Square(const uint64_t* a, uint64_t* c) noexcept {
    for (unsigned i = 0; i < W; ++i) {
        c[2 * i] = Spread32(a[i]);
        c[2 * i + 1] = Spread32(a[i] >> 32);
    }
}

}  // namespace Carryless
}  // namespace QIRVALE
