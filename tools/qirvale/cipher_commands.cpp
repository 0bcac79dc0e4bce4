// encrypt, decrypt and mac: GOST 28147 over whole files. The library processes whole 8-byte
// blocks, a chunk of them per call; this file owns the padding and the streaming.
//
// Padding (documented in tools/README.md):
//   ecb  the plaintext gets 0x80 and then zero bytes up to a multiple of 8 (always at least
//        one byte, so a whole extra block when it already was a multiple of 8); decryption
//        checks and removes it.
//   ctr, cfb  no padding: the ciphertext is as long as the plaintext. A short last block is
//        processed as a whole block of the data followed by zeros, and only its first bytes
//        are kept, which XORs the data with the prefix of a whole gamma block.
//   mac  the data followed by zeros up to a multiple of 8 (an empty file is one zero block).
#include <cstring>
#include <filesystem>
#include <system_error>

#include "commands.h"
#include "io.h"
#include "symmetric.h"

namespace QIRVALETool {

namespace {

constexpr std::size_t kBlock = QIRVALE_GOST28147_BLOCK_SIZE;

// The values of the library's mode argument.
enum class Mode : uint16_t { kSimpleReplacement = 0, kGamma = 1, kGammaFeedback = 2, kMac = 3 };

// One initialised cipher state, wiped when it goes away.
class Cipher {
  public:
    Cipher(const SBox& sBox, bool encrypt, Mode mode, const SecretBytes& key,
           const uint8_t* synchro) {
        QIRVALEGOST28147CipherInit(&header_, sBox.data(), encrypt ? 1 : 0,
                                   static_cast<uint16_t>(mode), key.data(), synchro);
    }
    ~Cipher() { QIRVALEGOST28147CipherDone(&header_); }
    Cipher(const Cipher&) = delete;
    Cipher& operator=(const Cipher&) = delete;

    // Processes `size` bytes (a multiple of 8, less than 2^35) in place, all in one call.
    void InPlace(uint8_t* data, std::size_t size) {
        QIRVALEGOST28147CipherActionBlocks(&header_, data, data,
                                           static_cast<uint32_t>(size / kBlock));
    }

  private:
    GOST28147CipherStateHeader header_;
};

// Reads a file to its end and hands its bytes over as whole blocks, a chunk at a time
// (onBlocks(data, size), size a multiple of 8, data writable), then what is left
// (onTail(data, size)). The tail is 0 to 7 bytes; with holdLastBlock a last whole block is
// kept back for the tail too, so the tail is 8 bytes exactly when the file is a non-empty
// multiple of 8 bytes.
template <typename OnBlocks, typename OnTail>
void StreamBlocks(InputFile& input, bool holdLastBlock, OnBlocks onBlocks, OnTail onTail) {
    SecretBytes buffer(kChunkBytes + kBlock);
    std::size_t held = 0;
    while (const std::size_t got = input.Read(buffer.data() + held, kChunkBytes)) {
        held += got;
        std::size_t ready = held - held % kBlock;
        if (holdLastBlock && held % kBlock == 0 && ready > 0) ready -= kBlock;
        if (ready == 0) continue;
        onBlocks(buffer.data(), ready);
        std::memmove(buffer.data(), buffer.data() + ready, held - ready);
        held -= ready;
    }
    onTail(buffer.data(), held);
}

struct CipherOptions {
    SBox sBox{};
    SecretBytes key;
    Mode mode = Mode::kSimpleReplacement;
    Bytes iv;  // empty for ecb
};

CipherOptions LoadCipherOptions(const Arguments& args) {
    CipherOptions options;
    const std::string mode = args.Required("mode");
    if (mode == "ecb") {
        options.mode = Mode::kSimpleReplacement;
    } else if (mode == "ctr") {
        options.mode = Mode::kGamma;
    } else if (mode == "cfb") {
        options.mode = Mode::kGammaFeedback;
    } else {
        args.UsageError("--mode must be ecb, ctr or cfb, not \"" + mode + "\"");
    }
    if (options.mode == Mode::kSimpleReplacement) {
        if (args.Value("iv")) args.UsageError("--iv is not used in ecb mode");
    } else {
        options.iv = HexOption(args, "iv", kBlock);
    }
    if (args.operands().size() > 1) args.UsageError("give at most one input file");
    options.sBox = LoadSBox(args.Value("sbox"));
    options.key = LoadCipherKey(args.Required("key"));
    return options;
}

// Removes the ecb padding of the decrypted last block; returns the length of the data in
// it, or nothing when the block does not end in 0x80 followed by zeros.
std::optional<std::size_t> UnpaddedLength(const uint8_t* block) {
    std::size_t end = kBlock;
    while (end > 0 && block[end - 1] == 0) --end;
    if (end == 0 || block[end - 1] != 0x80) return std::nullopt;
    return end - 1;
}

ExitStatus Transform(const Arguments& args, bool encrypt) {
    const CipherOptions options = LoadCipherOptions(args);
    const std::string inputPath = args.operands().empty() ? "-" : args.operands()[0];
    const std::string outputPath = args.Value("out").value_or("-");
    // The output replaces its file when the command succeeds: it must not be the input.
    std::error_code error;
    if (inputPath != "-" && outputPath != "-" &&
        std::filesystem::equivalent(inputPath, outputPath, error)) {
        args.UsageError("--out names the input file");
    }
    InputFile input(inputPath);
    OutputFile output(outputPath, OutputFile::Existing::kReplace);
    Cipher cipher(options.sBox, encrypt, options.mode, options.key,
                  options.iv.empty() ? nullptr : options.iv.data());
    const auto blocks = [&](uint8_t* data, std::size_t size) {
        cipher.InPlace(data, size);
        output.Write(data, size);
    };

    if (options.mode != Mode::kSimpleReplacement) {
        StreamBlocks(input, false, blocks, [&](uint8_t* tail, std::size_t size) {
            if (size == 0) return;
            std::memset(tail + size, 0, kBlock - size);
            cipher.InPlace(tail, kBlock);
            output.Write(tail, size);
        });
    } else if (encrypt) {
        StreamBlocks(input, false, blocks, [&](uint8_t* tail, std::size_t size) {
            tail[size] = 0x80;
            std::memset(tail + size + 1, 0, kBlock - size - 1);
            blocks(tail, kBlock);
        });
    } else {
        StreamBlocks(input, true, blocks, [&](uint8_t* tail, std::size_t size) {
            if (size != kBlock) {
                Fail(ExitStatus::kMalformed, input.name() +
                                                 ": malformed ciphertext: ecb ciphertext must be a "
                                                 "non-empty multiple of 8 bytes");
            }
            cipher.InPlace(tail, kBlock);
            const std::optional<std::size_t> length = UnpaddedLength(tail);
            if (!length) {
                Fail(ExitStatus::kMalformed, input.name() +
                                                 ": malformed ciphertext: bad padding (wrong key "
                                                 "or S-box, or damaged data)");
            }
            output.Write(tail, *length);
        });
    }
    output.Commit();
    return ExitStatus::kOk;
}

}  // namespace

ExitStatus RunEncrypt(const Arguments& args) {
    return Transform(args, true);
}

ExitStatus RunDecrypt(const Arguments& args) {
    return Transform(args, false);
}

ExitStatus RunMac(const Arguments& args) {
    std::size_t macBytes = 4;
    if (const std::optional<std::string> text = args.Value("bytes")) {
        const std::optional<unsigned long> value = ParseDecimal(*text, kBlock);
        if (!value || *value == 0) args.UsageError("--bytes must be a number from 1 to 8");
        macBytes = *value;
    }
    const SBox sBox = LoadSBox(args.Value("sbox"));
    const SecretBytes key = LoadCipherKey(args.Required("key"));
    return PrintForEachFile(args.operands(), [&](InputFile& input) {
        Cipher cipher(sBox, true, Mode::kMac, key, nullptr);
        uint8_t mac[kBlock] = {};
        bool anyBlock = false;
        // The MAC step outputs the register after each block: the last output is the MAC.
        const auto macBlocks = [&](uint8_t* data, std::size_t size) {
            cipher.InPlace(data, size);
            std::memcpy(mac, data + size - kBlock, kBlock);
        };
        StreamBlocks(
            input, false,
            [&](uint8_t* data, std::size_t size) {
                macBlocks(data, size);
                anyBlock = true;
            },
            [&](uint8_t* tail, std::size_t size) {
                if (size == 0 && anyBlock) return;
                std::memset(tail + size, 0, kBlock - size);
                macBlocks(tail, kBlock);
            });
        return ToHex(mac, macBytes);
    });
}

}  // namespace QIRVALETool
