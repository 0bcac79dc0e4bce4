#include "frame/memory.h"

#include <cstdlib>
#include <cstring>

namespace QIRVALE {

namespace {
// The most WipeStack overwrites in one call.
constexpr std::size_t kLargestStackWipe = 16384;
}  // namespace

void SecureWipe(void* block, std::size_t size) noexcept {
    if (block == nullptr || size == 0) return;
    std::memset(block, 0, size);
    // Make the zeroed bytes observable, so the store above is not treated as dead.
#if defined(__GNUC__) || defined(__clang__)
    __asm__ __volatile__("" : : "r"(block) : "memory");
#else
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(block);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
#endif
}

#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
void WipeStack(std::size_t size) noexcept {
    unsigned char scratch[kLargestStackWipe];
    SecureWipe(scratch, size < sizeof scratch ? size : sizeof scratch);
}

void* AllocateZeroed(std::size_t size) noexcept {
    return std::calloc(1, size);
}

void FreeWiped(void* block, std::size_t size) noexcept {
    if (block == nullptr) return;
    SecureWipe(block, size);
    std::free(block);
}

}  // namespace QIRVALE
