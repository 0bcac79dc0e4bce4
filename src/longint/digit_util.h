// Small helpers on single digits and words shared by the LongIntegerClass sources.
#pragma once

#include <cstdint>

namespace QIRVALE {

// Position of the highest set bit plus one; 0 for 0.
inline uint32_t DigitBitLength(uint32_t d) {
#if defined(__GNUC__) || defined(__clang__)
    return d == 0 ? 0u : 32u - static_cast<uint32_t>(__builtin_clz(d));
#else
    uint32_t n = 0;
    while (d != 0) {
        ++n;
        d >>= 1;
    }
    return n;
#endif
}

}  // namespace QIRVALE
