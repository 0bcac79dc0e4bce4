// GOST 28147 and GOST 34.311 through the library: the S-box and key files, the hash
// options shared by the hash, sign and verify commands, and streamed hashing of a file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "arguments.h"
#include "bytes.h"
#include "io.h"
#include "qirvale.h"

namespace QIRVALETool {

// Files are read and processed in pieces of this many bytes (a multiple of the cipher
// block and of the hash block): large enough that the per-call costs vanish beside the
// cipher's and the hash's own work, small enough that a piece stays in the processor's
// second-level cache from reading through processing to writing.
constexpr std::size_t kChunkBytes = 256 * 1024;

using SBox = std::array<uint8_t, QIRVALE_GOST28147_SBOX_SIZE>;
using Digest = std::array<uint8_t, QIRVALE_GOST34311_HASH_SIZE>;

// An S-box file: 128 raw bytes, or 256 hex digits (white space ignored), row j entry v at
// byte 16 j + v; every entry must be 0..15. Without a file: the library's sample S-box.
SBox LoadSBox(const std::optional<std::string>& path);

// A GOST 28147 key file: 32 raw bytes, or 64 hex digits (white space ignored).
SecretBytes LoadCipherKey(const std::string& path);

// Exactly `size` bytes given as 2 * size hex digits on the command line (option `name`).
Bytes HexOption(const Arguments& args, const char* name, std::size_t size);

// The hash parameters: --sbox FILE (default: the sample S-box) and --iv HEX, the 32-byte
// start value (default: zero).
struct HashParameters {
    SBox sBox{};
    std::optional<Bytes> startValue;
};
HashParameters LoadHashParameters(const Arguments& args);

// The GOST 34.311 digest of a whole file, read in chunks.
Digest HashFile(InputFile& file, const HashParameters& parameters);

}  // namespace QIRVALETool
