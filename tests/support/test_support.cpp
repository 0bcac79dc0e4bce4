#include "support/test_support.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qirvale_test {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

Bytes FromHex(std::string_view hex) {
    Bytes out;
    int high = -1;
    for (char c : hex) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r') continue;
        int digit = HexDigit(c);
        if (digit < 0) throw std::invalid_argument("bad hex digit");
        if (high < 0) {
            high = digit;
        } else {
            out.push_back(static_cast<uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd number of hex digits");
    return out;
}

std::string ToHex(const uint8_t* data, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 15]);
    }
    return out;
}

std::string VectorPath(const std::string& name) {
    return std::string(QIRVALE_TEST_VECTORS) + "/" + name;
}

std::vector<Json> ReadJsonLines(const std::string& name) {
    std::ifstream in(VectorPath(name));
    if (!in) throw std::runtime_error("cannot open " + VectorPath(name));
    std::vector<Json> records;
    std::string line;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        records.push_back(Json::Parse(line));
    }
    return records;
}

Json ReadJson(const std::string& name) {
    std::ifstream in(VectorPath(name));
    if (!in) throw std::runtime_error("cannot open " + VectorPath(name));
    std::stringstream text;
    text << in.rdbuf();
    return Json::Parse(text.str());
}

GuardedBuffer::GuardedBuffer(std::size_t size, uint8_t fill)
    : size_(size), fill_(fill), storage_(size + 2 * kGuard, kGuardByte) {
    for (std::size_t i = 0; i < size_; ++i) storage_[kGuard + i] = fill_;
}

Bytes GuardedBuffer::bytes() const {
    return Bytes(storage_.begin() + kGuard, storage_.begin() + kGuard + size_);
}

bool GuardedBuffer::Intact() const {
    for (std::size_t i = 0; i < kGuard; ++i) {
        if (storage_[i] != kGuardByte || storage_[kGuard + size_ + i] != kGuardByte) return false;
    }
    return true;
}

bool GuardedBuffer::Untouched() const {
    for (std::size_t i = 0; i < size_; ++i) {
        if (storage_[kGuard + i] != fill_) return false;
    }
    return true;
}

}  // namespace qirvale_test
