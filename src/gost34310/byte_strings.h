// Numbers of the GOST 34.310 exports as caller byte strings: little-endian, any length up to
// the capacity of LongIntegerClass, written zero-padded to the caller's length.
#pragma once

#include <cstdint>

#include "longint/long_integer.h"

namespace QIRVALE {
namespace GOST34310 {

// The little-endian string as a number; OutOfMemoryExceptionClass above 1024 bytes.
LongIntegerClass NumberFromBytes(const uint8_t* bytes, uint32_t length);

// Writes `value` little-endian and zero-padded into `length` bytes, or returns
// ResultCodeBufferTooSmall, writing nothing, when it has more significant bytes.
uint16_t WriteNumber(uint8_t* output, uint32_t length, const LongIntegerClass& value);

}  // namespace GOST34310
}  // namespace QIRVALE
