#include "binfield/carryless.h"

#include "frame/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#define QIRVALE_HAVE_PCLMUL 1
#endif

namespace QIRVALE {
namespace Carryless {

namespace {

// 32 x 32 -> 64-bit carry-less product. Each operand is split into four masks of the bits at
// positions i mod 4; the integer product of two masks holds at any position a count of at most
// 8 terms, which fits in the four bits up to the next position of its class, so its parity bit
// is exact. The products of each class are combined by exclusive-or and the class kept.
inline uint64_t Multiply32(uint32_t x, uint32_t y) {
    const uint64_t x0 = x & 0x11111111u, x1 = x & 0x22222222u;
    const uint64_t x2 = x & 0x44444444u, x3 = x & 0x88888888u;
    const uint64_t y0 = y & 0x11111111u, y1 = y & 0x22222222u;
    const uint64_t y2 = y & 0x44444444u, y3 = y & 0x88888888u;
    const uint64_t z0 = (x0 * y0) ^ (x1 * y3) ^ (x2 * y2) ^ (x3 * y1);
    const uint64_t z1 = (x0 * y1) ^ (x1 * y0) ^ (x2 * y3) ^ (x3 * y2);
    const uint64_t z2 = (x0 * y2) ^ (x1 * y1) ^ (x2 * y0) ^ (x3 * y3);
    const uint64_t z3 = (x0 * y3) ^ (x1 * y2) ^ (x2 * y1) ^ (x3 * y0);
    return (z0 & 0x1111111111111111ull) | (z1 & 0x2222222222222222ull) |
           (z2 & 0x4444444444444444ull) | (z3 & 0x8888888888888888ull);
}

// 64 x 64 -> 128 bits (Karatsuba on the 32-bit halves): lo, hi.
inline void Multiply64(uint64_t a, uint64_t b, uint64_t& lo, uint64_t& hi) {
    const uint32_t a0 = uint32_t(a), a1 = uint32_t(a >> 32);
    const uint32_t b0 = uint32_t(b), b1 = uint32_t(b >> 32);
    const uint64_t low = Multiply32(a0, b0);
    const uint64_t high = Multiply32(a1, b1);
    const uint64_t middle = Multiply32(a0 ^ a1, b0 ^ b1) ^ low ^ high;
    lo = low ^ (middle << 32);
    hi = high ^ (middle >> 32);
}

}  // namespace

bool InstructionAvailable() noexcept {
#if defined(QIRVALE_HAVE_PCLMUL)
    return DetectedCpuFeatures().pclmul;
#else
    return false;
#endif
}

template <unsigned W>
void MultiplyPortable(const uint64_t* a, const uint64_t* b, uint64_t* c) noexcept {
    for (unsigned i = 0; i < 2 * W; ++i) c[i] = 0;
    for (unsigned i = 0; i < W; ++i) {
        for (unsigned j = 0; j < W; ++j) {
            uint64_t lo, hi;
            Multiply64(a[i], b[j], lo, hi);
            c[i + j] ^= lo;
            c[i + j + 1] ^= hi;
        }
    }
}

#define QIRVALE_CARRYLESS_WIDTH(W) \
    template void MultiplyPortable<W>(const uint64_t*, const uint64_t*, uint64_t*) noexcept;
QIRVALE_CARRYLESS_WIDTH(1)
QIRVALE_CARRYLESS_WIDTH(2)
QIRVALE_CARRYLESS_WIDTH(3)
QIRVALE_CARRYLESS_WIDTH(4)
QIRVALE_CARRYLESS_WIDTH(5)
QIRVALE_CARRYLESS_WIDTH(6)
QIRVALE_CARRYLESS_WIDTH(7)
QIRVALE_CARRYLESS_WIDTH(8)
QIRVALE_CARRYLESS_WIDTH(9)
#undef QIRVALE_CARRYLESS_WIDTH

}  // namespace Carryless
}  // namespace QIRVALE
