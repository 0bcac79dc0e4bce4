#include "bytes.h"

namespace QIRVALETool {

void Wipe(void* data, std::size_t size) noexcept {
    volatile uint8_t* p = static_cast<volatile uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

void Wipe(std::string& text) noexcept {
    if (!text.empty()) Wipe(&text[0], text.size());
    text.clear();
}

std::string ToHex(const uint8_t* data, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text(2 * size, '0');
    for (std::size_t i = 0; i < size; ++i) {
        text[2 * i] = kDigits[data[i] >> 4];
        text[2 * i + 1] = kDigits[data[i] & 15];
    }
    return text;
}

namespace {

int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

bool DecodeHex(std::string_view text, uint8_t* out, std::size_t size) noexcept {
    if (text.size() != 2 * size) return false;
    for (std::size_t i = 0; i < size; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        out[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

std::string WithoutSpace(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (!IsSpace(c)) result.push_back(c);
    }
    return result;
}

uint32_t BitLength(const uint8_t* data, std::size_t size) noexcept {
    for (std::size_t i = size; i-- > 0;) {
        if (data[i] != 0) {
            uint32_t bits = static_cast<uint32_t>(8 * i);
            for (unsigned v = data[i]; v != 0; v >>= 1) ++bits;
            return bits;
        }
    }
    return 0;
}

}  // namespace QIRVALETool
