#include "binfield/fixed_pb_kernels.h"

#include "binfield/carryless.h"

#if defined(__x86_64__) || defined(__i386__)
#define QIRVALE_HAVE_PCLMUL 1
#include <immintrin.h>
#define QIRVALE_PCLMUL_TARGET __attribute__((target("pclmul,sse2")))
#endif

namespace QIRVALE {

namespace {

// The shape read at run time.
struct RuntimeShape {
    explicit RuntimeShape(const FieldShape& s) : m(s.m), k(s.k), j(s.j), l(s.l) {}
    uint32_t m, k, j, l;
};

// A recommended polynomial: every shift below is a constant.
template <uint32_t M, uint32_t K, uint32_t J, uint32_t L>
struct ConstantShape {
    explicit ConstantShape(const FieldShape&) {}
    static constexpr uint32_t m = M, k = K, j = J, l = L;
};

// (x >> 1) >> (63 - s): x >> (64 - s) for 0 < s < 64, and 0 for s = 0.
inline uint64_t Above(uint64_t x, uint32_t s) {
    return (x >> 1) >> (63 - s);
}

// c (2W words, below t^(2m-1)) mod f, with g = f - t^m = 1 + t^l + t^j + t^k (a trinomial has
// j = l = 0, and 1 + 1 + 1 = 1): the part H = c div t^m (below t^(m-1)) is folded as H g,
// whose part above t^m (below t^(k-1)) is folded once more. Needs m mod 64 != 0, k < 64 and
// 2k < m.
template <unsigned W, class S>
inline void Reduce(const uint64_t* c, const S& s, uint64_t* out) {
    const uint32_t r = s.m % 64;
    uint64_t high[W];
    for (unsigned i = 0; i < W; ++i) high[i] = (c[W - 1 + i] >> r) | (c[W + i] << (64 - r));
    uint64_t folded[W + 1];
    for (unsigned i = 0; i < W; ++i) folded[i] = high[i];
    folded[W] = 0;
    const uint32_t exponents[3] = {s.k, s.j, s.l};
    for (uint32_t e : exponents) {
        folded[0] ^= high[0] << e;
        for (unsigned i = 1; i < W; ++i) folded[i] ^= (high[i] << e) | Above(high[i - 1], e);
        folded[W] ^= Above(high[W - 1], e);
    }
    const uint64_t topMask = (uint64_t(1) << r) - 1;
    for (unsigned i = 0; i + 1 < W; ++i) out[i] = c[i] ^ folded[i];
    out[W - 1] = ((c[W - 1] ^ folded[W - 1]) & topMask);
    const uint64_t again = (folded[W - 1] >> r) | (folded[W] << (64 - r));
    out[0] ^= again;
    for (uint32_t e : exponents) {
        out[0] ^= again << e;
        out[1] ^= Above(again, e);
    }
}

template <unsigned W, class S>
void MultiplyPortableReduce(const uint64_t* a, const uint64_t* b, uint64_t* r,
                            const FieldShape& shape) {
    uint64_t c[2 * W];
    Carryless::MultiplyPortable<W>(a, b, c);
    Reduce<W>(c, S(shape), r);
}

template <unsigned W, class S>
void SquarePortableReduce(const uint64_t* a, uint64_t* r, const FieldShape& shape) {
    uint64_t c[2 * W];
    Carryless::Square<W>(a, c);
    Reduce<W>(c, S(shape), r);
}

#if defined(QIRVALE_HAVE_PCLMUL)
// Schoolbook: the 128-bit products of each column i + j = k are summed in a register, and
// column k contributes its low half to word k and its high half to word k + 1.
template <unsigned W, class S>
QIRVALE_PCLMUL_TARGET void MultiplyInstructionReduce(const uint64_t* a, const uint64_t* b,
                                                     uint64_t* r, const FieldShape& shape) {
    __m128i x[W], y[W];
    for (unsigned i = 0; i < W; ++i) {
        x[i] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i));
        y[i] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + i));
    }
    uint64_t c[2 * W];
    uint64_t carry = 0;
    for (unsigned k = 0; k < 2 * W - 1; ++k) {
        __m128i column = _mm_setzero_si128();
        const unsigned first = k < W ? 0 : k - W + 1;
        const unsigned last = k < W ? k : W - 1;
        for (unsigned i = first; i <= last; ++i) {
            column = _mm_xor_si128(column, _mm_clmulepi64_si128(x[i], y[k - i], 0x00));
        }
        alignas(16) uint64_t halves[2];
        _mm_store_si128(reinterpret_cast<__m128i*>(halves), column);
        c[k] = halves[0] ^ carry;
        carry = halves[1];
    }
    c[2 * W - 1] = carry;
    Reduce<W>(c, S(shape), r);
}

template <unsigned W, class S>
QIRVALE_PCLMUL_TARGET void SquareInstructionReduce(const uint64_t* a, uint64_t* r,
                                                   const FieldShape& shape) {
    alignas(16) uint64_t c[2 * W];
    for (unsigned i = 0; i < W; ++i) {
        const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i));
        _mm_store_si128(reinterpret_cast<__m128i*>(c + 2 * i), _mm_clmulepi64_si128(x, x, 0x00));
    }
    Reduce<W>(c, S(shape), r);
}
#endif

template <unsigned W, class S>
FieldKernels Kernels(bool instruction) {
#if defined(QIRVALE_HAVE_PCLMUL)
    if (instruction) return {MultiplyInstructionReduce<W, S>, SquareInstructionReduce<W, S>};
#endif
    static_cast<void>(instruction);
    return {MultiplyPortableReduce<W, S>, SquarePortableReduce<W, S>};
}

template <uint32_t M, uint32_t K, uint32_t J, uint32_t L>
bool Is(const FieldShape& s) {
    return s.m == M && s.k == K && s.j == J && s.l == L;
}

}  // namespace

// The recommended polynomials of each width; any other shape reads its shifts at run time.
template <>
FieldKernels KernelsFor<3>(const FieldShape& s, bool instruction) {
    if (Is<163, 7, 6, 3>(s)) return Kernels<3, ConstantShape<163, 7, 6, 3>>(instruction);
    if (Is<167, 6, 0, 0>(s)) return Kernels<3, ConstantShape<167, 6, 0, 0>>(instruction);
    if (Is<173, 10, 2, 1>(s)) return Kernels<3, ConstantShape<173, 10, 2, 1>>(instruction);
    if (Is<179, 4, 2, 1>(s)) return Kernels<3, ConstantShape<179, 4, 2, 1>>(instruction);
    if (Is<191, 9, 0, 0>(s)) return Kernels<3, ConstantShape<191, 9, 0, 0>>(instruction);
    return Kernels<3, RuntimeShape>(instruction);
}
template <>
FieldKernels KernelsFor<4>(const FieldShape& s, bool instruction) {
    if (Is<233, 9, 4, 1>(s)) return Kernels<4, ConstantShape<233, 9, 4, 1>>(instruction);
    return Kernels<4, RuntimeShape>(instruction);
}
template <>
FieldKernels KernelsFor<5>(const FieldShape& s, bool instruction) {
    if (Is<257, 12, 0, 0>(s)) return Kernels<5, ConstantShape<257, 12, 0, 0>>(instruction);
    if (Is<307, 8, 4, 2>(s)) return Kernels<5, ConstantShape<307, 8, 4, 2>>(instruction);
    return Kernels<5, RuntimeShape>(instruction);
}
template <>
FieldKernels KernelsFor<6>(const FieldShape& s, bool instruction) {
    if (Is<367, 21, 0, 0>(s)) return Kernels<6, ConstantShape<367, 21, 0, 0>>(instruction);
    return Kernels<6, RuntimeShape>(instruction);
}
template <>
FieldKernels KernelsFor<7>(const FieldShape& s, bool instruction) {
    if (Is<431, 5, 3, 1>(s)) return Kernels<7, ConstantShape<431, 5, 3, 1>>(instruction);
    return Kernels<7, RuntimeShape>(instruction);
}
template <>
FieldKernels KernelsFor<8>(const FieldShape&, bool instruction) {
    return Kernels<8, RuntimeShape>(instruction);
}
template <>
FieldKernels KernelsFor<9>(const FieldShape& s, bool instruction) {
    if (Is<571, 10, 5, 2>(s)) return Kernels<9, ConstantShape<571, 10, 5, 2>>(instruction);
    return Kernels<9, RuntimeShape>(instruction);
}

}  // namespace QIRVALE
