// Little-endian loads and stores of 16-, 32- and 64-bit words at any byte address.
//
// The state headers and every byte string at the boundary are little-endian. These helpers
// read and write them byte by byte, so they need no alignment and mean the same on every
// host; compilers turn them into single moves on x86.
#pragma once

#include <cstdint>

namespace QIRVALE {

inline uint16_t LoadLE16(const uint8_t* bytes) noexcept {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline uint32_t LoadLE32(const uint8_t* bytes) noexcept {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline uint64_t LoadLE64(const uint8_t* bytes) noexcept {
    return static_cast<uint64_t>(LoadLE32(bytes)) | static_cast<uint64_t>(LoadLE32(bytes + 4))
                                                        << 32;
}

inline void StoreLE16(uint8_t* bytes, uint16_t value) noexcept {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLE32(uint8_t* bytes, uint32_t value) noexcept {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value >> 16);
    bytes[3] = static_cast<uint8_t>(value >> 24);
}

inline void StoreLE64(uint8_t* bytes, uint64_t value) noexcept {
    StoreLE32(bytes, static_cast<uint32_t>(value));
    StoreLE32(bytes + 4, static_cast<uint32_t>(value >> 32));
}

}  // namespace QIRVALE
