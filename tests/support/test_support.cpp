#include "support/test_support.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qirvale_test {

Bytes FromHex(std::string_view hex) {
    static const std::string_view kDigits = "0123456789abcdef0123456789ABCDEF";
    Bytes out;
    std::size_t digits = 0;
    for (char c : hex) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r') continue;
        const std::size_t digit = kDigits.find(c);
        if (digit == std::string_view::npos) throw std::invalid_argument("bad hex digit");
        if (digits++ % 2 == 0) out.push_back(0);
        out.back() = static_cast<uint8_t>(out.back() << 4 | digit % 16);
    }
    if (digits % 2 != 0) throw std::invalid_argument("odd number of hex digits");
    return out;
}

std::string ToHex(const uint8_t* data, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) out += {kDigits[data[i] >> 4], kDigits[data[i] & 15]};
    return out;
}

std::string VectorPath(const std::string& name) {
    return std::string(QIRVALE_TEST_VECTORS) + "/" + name;
}

static std::string ReadText(const std::string& name) {
    std::ifstream in(VectorPath(name));
    if (!in) throw std::runtime_error("cannot open " + VectorPath(name));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Json ReadJson(const std::string& name) {
    return Json::Parse(ReadText(name));
}

std::vector<Json> ReadJsonLines(const std::string& name) {
    std::istringstream in(ReadText(name));
    std::vector<Json> records;
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            records.push_back(Json::Parse(line));
        }
    }
    return records;
}

GuardedBuffer::GuardedBuffer(std::size_t size, uint8_t fill)
    : fill_(fill), storage_(size + 2 * kGuard, kGuardByte) {
    std::fill_n(storage_.begin() + kGuard, size, fill);
}

bool GuardedBuffer::Intact() const {
    const auto guard = [](uint8_t b) { return b == kGuardByte; };
    return std::all_of(storage_.begin(), storage_.begin() + kGuard, guard) &&
           std::all_of(storage_.end() - kGuard, storage_.end(), guard);
}

}  // namespace qirvale_test
