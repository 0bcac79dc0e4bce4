#include "os_random.h"

#include <cerrno>
#include <cstring>
#include <string>

#if defined(_WIN32)
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on
#else
#include <sys/random.h>
#endif

#include "status.h"

namespace QIRVALETool {

void FillRandom(uint8_t* out, std::size_t size) {
#if defined(_WIN32)
    while (size > 0) {
        const ULONG chunk = size > 0x10000 ? 0x10000 : static_cast<ULONG>(size);
        const NTSTATUS status =
            BCryptGenRandom(nullptr, out, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
        if (status != 0) {
            Fail(ExitStatus::kFailure,
                 "the system random source failed (status " + std::to_string(status) + ")");
        }
        out += chunk;
        size -= chunk;
    }
#else
    // getrandom blocks until the kernel's pool is initialised and then never runs dry; it
    // may return fewer bytes than asked (large requests, signals), so loop.
    while (size > 0) {
        const ssize_t got = getrandom(out, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail(ExitStatus::kFailure,
                 std::string("the system random source failed: ") + std::strerror(errno));
        }
        out += got;
        size -= static_cast<std::size_t>(got);
    }
#endif
}

SecretBytes RandomBits(uint32_t bitCount) {
    SecretBytes bytes((static_cast<std::size_t>(bitCount) + 7) / 8);
    FillRandom(bytes.data(), bytes.size());
    if (bitCount % 8 != 0)
        bytes[bytes.size() - 1] &= static_cast<uint8_t>((1u << (bitCount % 8)) - 1);
    return bytes;
}

}  // namespace QIRVALETool
