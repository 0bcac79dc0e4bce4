// Byte strings: plain ones, and secret ones that are wiped when they go away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace QIRVALETool {

using Bytes = std::vector<uint8_t>;

// Overwrites memory with zeros in a way the compiler does not remove.
void Wipe(void* data, std::size_t size) noexcept;
void Wipe(std::string& text) noexcept;

// A fixed-size byte string holding key material. It is never copied and never grows, so the
// buffer it wipes on destruction is the only copy it ever made.
class SecretBytes {
  public:
    SecretBytes() = default;
    explicit SecretBytes(std::size_t size) : bytes_(size, 0) {}
    SecretBytes(const uint8_t* data, std::size_t size) : bytes_(data, data + size) {}
    SecretBytes(SecretBytes&& other) noexcept : bytes_(std::move(other.bytes_)) {}
    SecretBytes& operator=(SecretBytes&& other) noexcept {
        if (this != &other) {
            Wipe(bytes_.data(), bytes_.size());
            bytes_ = std::move(other.bytes_);
        }
        return *this;
    }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes() { Wipe(bytes_.data(), bytes_.size()); }

    uint8_t* data() noexcept { return bytes_.data(); }
    const uint8_t* data() const noexcept { return bytes_.data(); }
    std::size_t size() const noexcept { return bytes_.size(); }
    uint8_t& operator[](std::size_t i) noexcept { return bytes_[i]; }
    const uint8_t& operator[](std::size_t i) const noexcept { return bytes_[i]; }
    std::string_view view() const noexcept {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }

  private:
    std::vector<uint8_t> bytes_;
};

// Hexadecimal text of bytes in memory order (byte 0 first), lower case.
std::string ToHex(const uint8_t* data, std::size_t size);
inline std::string ToHex(const Bytes& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

// Decodes exactly 2 * size hex digits (either case, nothing else) into `out`. Returns false,
// leaving `out` unspecified, when the text has another length or a character that is not a
// hex digit.
bool DecodeHex(std::string_view text, uint8_t* out, std::size_t size) noexcept;

// The text without any ASCII white space.
std::string WithoutSpace(std::string_view text);

// Number of significant bits of a little-endian byte string.
uint32_t BitLength(const uint8_t* data, std::size_t size) noexcept;

}  // namespace QIRVALETool
