#include "gost34310/byte_strings.h"

#include "qirvale.h"

namespace QIRVALE {
namespace GOST34310 {

LongIntegerClass NumberFromBytes(const uint8_t* bytes, uint32_t length) {
    LongIntegerClass number;
    number.FromBytes(bytes, length);
    return number;
}

uint16_t WriteNumber(uint8_t* output, uint32_t length, const LongIntegerClass& value) {
    if (value.ByteLength() > length) return ResultCodeBufferTooSmall;
    value.ToBytes(output, length);
    return ResultCodeNone;
}

}  // namespace GOST34310
}  // namespace QIRVALE
