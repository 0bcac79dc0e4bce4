// Random bytes from the operating system: getrandom on Linux, BCryptGenRandom on Windows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"

namespace QIRVALETool {

// Fills `out` with `size` random bytes; a failure of the system source is a ToolError.
void FillRandom(uint8_t* out, std::size_t size);

// ceil(bitCount / 8) random bytes, little-endian, with every bit at or above bitCount zero.
SecretBytes RandomBits(uint32_t bitCount);

}  // namespace QIRVALETool
