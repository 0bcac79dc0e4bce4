// The multiply-and-reduce and square-and-reduce kernels of FixedPBField (fixed_pb_field.h).
//
// A kernel is chosen once per field: the multiplication backend (the carry-less instruction
// or the portable masked products, carryless.h) and the reduction, which folds with shifts
// that are compile-time constants for the recommended polynomials and run-time values for
// the others. Every kernel runs the same instructions for every operand value.
#pragma once

#include <cstdint>

namespace QIRVALE {

// f = t^m + t^k + t^j + t^l + 1 (j = l = 0 for a trinomial).
struct FieldShape {
    uint32_t m, k, j, l;
};

// r[0 .. W) = a * b mod f, and r = a^2 mod f, for reduced a and b of W words.
using MultiplyKernel = void (*)(const uint64_t* a, const uint64_t* b, uint64_t* r,
                                const FieldShape& shape);
using SquareKernel = void (*)(const uint64_t* a, uint64_t* r, const FieldShape& shape);

struct FieldKernels {
    MultiplyKernel multiply;
    SquareKernel square;
};

// The kernels for a field of W words: with the instruction when `instruction` (the caller has
// checked the CPU), specialised when the shape is a recommended polynomial.
template <unsigned W>
FieldKernels KernelsFor(const FieldShape& shape, bool instruction);

}  // namespace QIRVALE
