#include "symmetric.h"

#include <cstring>
#include <vector>

#include "status.h"

namespace QIRVALETool {

namespace {

// Reads a small file that holds exactly `size` bytes, raw or as hex digits.
SecretBytes LoadRawOrHex(const std::string& path, std::size_t size, const std::string& kind) {
    const SecretBytes content = ReadSmallFile(path, 16 * size + 64, kind);
    const std::string name = DisplayName(path);
    if (content.size() == size) return SecretBytes(content.data(), size);
    std::string digits = WithoutSpace(content.view());
    SecretBytes bytes(size);
    const bool decoded = DecodeHex(digits, bytes.data(), size);
    Wipe(digits);
    if (!decoded) {
        Fail(ExitStatus::kMalformed, name + ": malformed " + kind + ": expected " +
                                         std::to_string(size) + " bytes or " +
                                         std::to_string(2 * size) + " hex digits");
    }
    return bytes;
}

}  // namespace

SBox LoadSBox(const std::optional<std::string>& path) {
    SBox sBox{};
    if (!path) {
        std::memcpy(sBox.data(), QIRVALEGOST34311HashStdSampleSBoxPtr(), sBox.size());
        return sBox;
    }
    const SecretBytes bytes = LoadRawOrHex(*path, sBox.size(), "S-box file");
    for (std::size_t i = 0; i < sBox.size(); ++i) {
        if (bytes[i] > 15) {
            Fail(ExitStatus::kMalformed, DisplayName(*path) + ": malformed S-box file: entry " +
                                             std::to_string(i % 16) + " of row " +
                                             std::to_string(i / 16) + " is above 15");
        }
        sBox[i] = bytes[i];
    }
    return sBox;
}

SecretBytes LoadCipherKey(const std::string& path) {
    return LoadRawOrHex(path, QIRVALE_GOST28147_KEY_SIZE, "key file");
}

Bytes HexOption(const Arguments& args, const char* name, std::size_t size) {
    const std::string text = args.Required(name);
    Bytes bytes(size);
    if (!DecodeHex(text, bytes.data(), size)) {
        args.UsageError("--" + std::string(name) + " must be " + std::to_string(2 * size) +
                        " hex digits");
    }
    return bytes;
}

HashParameters LoadHashParameters(const Arguments& args) {
    HashParameters parameters;
    parameters.sBox = LoadSBox(args.Value("sbox"));
    if (args.Value("iv"))
        parameters.startValue = HexOption(args, "iv", QIRVALE_GOST34311_HASH_SIZE);
    return parameters;
}

Digest HashFile(InputFile& file, const HashParameters& parameters) {
    GOST34311HashStateHeader state;
    QIRVALEGOST34311HashInit(&state, parameters.sBox.data(),
                             parameters.startValue ? parameters.startValue->data() : nullptr);
    std::vector<uint8_t> chunk(kChunkBytes);
    try {
        while (const std::size_t size = file.Read(chunk.data(), chunk.size())) {
            QIRVALEGOST34311HashAction(&state, chunk.data(), static_cast<uint32_t>(size));
        }
    } catch (...) {
        QIRVALEGOST34311HashDone(&state, nullptr);
        throw;
    }
    Digest digest{};
    QIRVALEGOST34311HashDone(&state, digest.data());
    return digest;
}

}  // namespace QIRVALETool
