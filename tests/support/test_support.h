// Helpers of the test executables: hex, vector files, output buffers fenced by guard bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/json.h"

namespace qirvale_test {

using Bytes = std::vector<uint8_t>;

// Hex in memory order ("0a1B" <-> {0x0a, 0x1b}); FromHex skips whitespace, ToHex is lower-case.
Bytes FromHex(std::string_view hex);
std::string ToHex(const uint8_t* data, std::size_t size);
inline std::string ToHex(const Bytes& bytes) {
    return ToHex(bytes.data(), bytes.size());
}
inline Bytes HexBytes(const Json& hex) {
    return FromHex(hex.get<std::string>());
}

// tests/vectors/<name>: full path, non-empty lines as JSON objects, the text as one document.
std::string VectorPath(const std::string& name);
std::vector<Json> ReadJsonLines(const std::string& name);
Json ReadJson(const std::string& name);

// An output buffer of `size` bytes between two runs of guard bytes. Intact(): nothing was
// written outside the buffer; Untouched(): the buffer still holds its fill byte.
class GuardedBuffer {
  public:
    explicit GuardedBuffer(std::size_t size, uint8_t fill = 0xA5);
    uint8_t* data() { return storage_.data() + kGuard; }
    std::size_t size() const { return storage_.size() - 2 * kGuard; }
    Bytes bytes() const { return Bytes(storage_.begin() + kGuard, storage_.end() - kGuard); }
    bool Intact() const;
    bool Untouched() const { return bytes() == Bytes(size(), fill_); }

  private:
    static constexpr std::size_t kGuard = 32;
    static constexpr uint8_t kGuardByte = 0xCD;
    uint8_t fill_;
    Bytes storage_;
};

}  // namespace qirvale_test
