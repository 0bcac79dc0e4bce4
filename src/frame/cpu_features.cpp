#include "frame/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace QIRVALE {

namespace {

CpuFeatures Detect() noexcept {
    CpuFeatures features{false, false, false, false};
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) return features;
    const unsigned maxLeaf = eax;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return features;
    features.pclmul = (ecx & bit_PCLMUL) != 0;
    features.sse41 = (ecx & bit_SSE4_1) != 0;
    const unsigned osState = [&] {  // the register state the operating system saves (XCR0)
        if ((ecx & bit_OSXSAVE) == 0 || (ecx & bit_AVX) == 0) return 0u;
        unsigned lo = 0, hi = 0;
        __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
        return lo;
    }();
    const bool osSavesYmm = (osState & 0x6) == 0x6;    // XMM and YMM state
    const bool osSavesZmm = (osState & 0xE6) == 0xE6;  // and the mask and ZMM state
    if (osSavesYmm && maxLeaf >= 7) {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        features.avx2 = (ebx & bit_AVX2) != 0;
        const unsigned avx512 = bit_AVX512F | bit_AVX512BW | bit_AVX512VL;
        features.avx512vbmi = osSavesZmm && (ebx & avx512) == avx512 && (ecx & bit_AVX512VBMI) != 0;
    }
#endif
    return features;
}

}  // namespace

const CpuFeatures& DetectedCpuFeatures() noexcept {
    static const CpuFeatures features = Detect();
    return features;
}

}  // namespace QIRVALE
