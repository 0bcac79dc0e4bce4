// Helpers shared by the test executables: hex strings, the vector files under
// tests/vectors/, and output buffers fenced with guard bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/json.h"

namespace qirvale_test {

using Bytes = std::vector<uint8_t>;

// Bytes of a hex string in memory order ("0a1B" -> {0x0a, 0x1b}); whitespace is skipped.
Bytes FromHex(std::string_view hex);
// Lower-case hex of bytes in memory order.
std::string ToHex(const uint8_t* data, std::size_t size);
inline std::string ToHex(const Bytes& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

// Full path of a file under tests/vectors/.
std::string VectorPath(const std::string& name);

// One JSON object per non-empty line of tests/vectors/<name>.
std::vector<Json> ReadJsonLines(const std::string& name);
// The whole of tests/vectors/<name> as one JSON document.
Json ReadJson(const std::string& name);
// The bytes of a JSON string of hex digits.
inline Bytes HexBytes(const Json& hex) {
    return FromHex(hex.get<std::string>());
}

// An output buffer of `size` bytes between two runs of guard bytes. Intact() tells whether
// anything was written outside the buffer; Untouched() whether the buffer itself still holds
// its fill byte.
class GuardedBuffer {
  public:
    explicit GuardedBuffer(std::size_t size, uint8_t fill = 0xA5);
    uint8_t* data() { return storage_.data() + kGuard; }
    std::size_t size() const { return size_; }
    Bytes bytes() const;
    bool Intact() const;
    bool Untouched() const;

  private:
    static constexpr std::size_t kGuard = 32;
    static constexpr uint8_t kGuardByte = 0xCD;
    std::size_t size_;
    uint8_t fill_;
    Bytes storage_;
};

}  // namespace qirvale_test
