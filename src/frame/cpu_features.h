// The instruction-set extensions of the running CPU, read once (CPUID on x86; none elsewhere).
// Fast paths that need an extension are chosen at run time from these flags and always have a
// portable fallback, so one build serves every CPU.
#pragma once

namespace QIRVALE {

struct CpuFeatures {
    bool pclmul;  // PCLMULQDQ, carry-less multiplication of 64-bit words
    bool sse41;
    bool avx2;  // AVX2, with the operating system saving the YMM registers
    // AVX-512 F, BW, VL and VBMI (byte permutes), with the operating system saving the
    // mask and ZMM registers
    bool avx512vbmi;
};

// The features of this CPU, detected on first use (thread-safe).
const CpuFeatures& DetectedCpuFeatures() noexcept;

}  // namespace QIRVALE
