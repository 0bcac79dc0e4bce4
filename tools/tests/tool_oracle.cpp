// Helper of the tool's end-to-end tests: makes binary test files and computes what the tool
// must print, straight from the shared library (one call over the whole data, where the
// tool streams it in chunks).
//
//   qirvale_tool_oracle write FILE SIZE SEED   SIZE deterministic pseudo-random bytes
//   qirvale_tool_oracle unhex HEX FILE          the bytes of HEX
//   qirvale_tool_oracle flip FILE OFFSET        XOR the byte at OFFSET with 0x01
//   qirvale_tool_oracle digest FILE             GOST 34.311 digest (sample S-box, zero start)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qirvale.h"

namespace {

std::vector<uint8_t> ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) std::exit(2);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

int WriteFile(const char* path, const std::vector<uint8_t>& data) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    return file.flush() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[1] : "";
    if (command == "write" && argc == 5) {
        std::vector<uint8_t> data(std::strtoul(argv[3], nullptr, 10));
        uint32_t state =
            static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10)) * 2654435761u + 1;
        for (uint8_t& byte : data) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = static_cast<uint8_t>(state >> 24);
        }
        return WriteFile(argv[2], data);
    }
    if (command == "unhex" && argc == 4) {
        const std::string hex = argv[2];
        std::vector<uint8_t> data(hex.size() / 2);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
        }
        return WriteFile(argv[3], data);
    }
    if (command == "flip" && argc == 4) {
        std::vector<uint8_t> data = ReadFile(argv[2]);
        const std::size_t offset = std::strtoul(argv[3], nullptr, 10);
        if (offset >= data.size()) return 2;
        data[offset] ^= 0x01;
        return WriteFile(argv[2], data);
    }
    if (command == "digest" && argc == 3) {
        const std::vector<uint8_t> data = ReadFile(argv[2]);
        GOST34311HashStateHeader state;
        QIRVALEGOST34311HashInit(&state, QIRVALEGOST34311HashStdSampleSBoxPtr(), nullptr);
        if (!data.empty()) {
            QIRVALEGOST34311HashAction(&state, data.data(), static_cast<uint32_t>(data.size()));
        }
        uint8_t digest[QIRVALE_GOST34311_HASH_SIZE];
        QIRVALEGOST34311HashDone(&state, digest);
        for (uint8_t byte : digest) std::printf("%02x", byte);
        std::printf("\n");
        return 0;
    }
    std::fputs("usage: qirvale_tool_oracle write|unhex|flip|digest ...\n", stderr);
    return 2;
}
