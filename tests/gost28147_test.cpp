// GOST 28147-89 through its exports: reference vectors of all four modes, the caller-visible
// header layout, mode and synchro rules, the gamma counter's arithmetic modulo 2^32 - 1,
// feedback on in-place calls, unmasked S-box entries and wiping.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "support/test_support.h"

namespace {

using qirvale_test::Bytes;
using qirvale_test::FromHex;
using qirvale_test::ToHex;

constexpr std::size_t kHeaderSize = 555;

const Bytes kKey = FromHex("56af9c873b4971b6fed85cf2d045cfb3a8f4cf020d79f13db210fcf04ab30216");
const Bytes kSynchro = FromHex("0ded0adf2b9d316c");

const uint8_t* SampleSBox() {
    return QIRVALEGOST34311HashStdSampleSBoxPtr();
}

// A message of `blocks` 8-byte blocks with distinct bytes.
Bytes Message(std::size_t blocks) {
    Bytes message(8 * blocks);
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<uint8_t>(31 * i + 7);
    return message;
}

// Runs every 8-byte block of `input` through Action on `header`, into `output` (which may be
// `input` itself).
void RunBlocks(GOST28147CipherStateHeader& header, uint8_t* output, const uint8_t* input,
               std::size_t size) {
    for (std::size_t i = 0; i < size; i += 8)
        QIRVALEGOST28147CipherAction(&header, output + i, input + i);
}

Bytes Process(const uint8_t* sBox, uint8_t direction, uint16_t mode, const uint8_t* synchro,
              const Bytes& input) {
    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, sBox, direction, mode, kKey.data(), synchro);
    Bytes output(input.size());
    RunBlocks(header, output.data(), input.data(), input.size());
    return output;
}

Bytes HeaderBytes(const GOST28147CipherStateHeader& header) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
    return Bytes(bytes, bytes + sizeof header);
}

Bytes RegisterBytes(const GOST28147CipherStateHeader& header) {
    const Bytes all = HeaderBytes(header);
    return Bytes(all.begin() + 32, all.begin() + 40);
}

uint32_t LE32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

#if QIRVALE_HAVE_JSON
TEST(GOST28147Reference, EveryRecordOutOfPlaceAndInPlace) {
    const auto records = qirvale_test::ReadJsonLines("reference-gost28147.jsonl");
    ASSERT_EQ(records.size(), 16u);
    for (const auto& record : records) {
        SCOPED_TRACE(record["case"].get<std::string>());
        const Bytes sBox = FromHex(record["sbox"].get<std::string>());
        const Bytes key = FromHex(record["key"].get<std::string>());
        const Bytes synchro =
            record["synchro"].is_null() ? Bytes() : FromHex(record["synchro"].get<std::string>());
        const auto mode = record["mode"].get<uint16_t>();
        const auto direction = record["dir"].get<uint8_t>();
        GOST28147CipherStateHeader outOfPlace{}, inPlace{};
        for (auto* header : {&outOfPlace, &inPlace}) {
            QIRVALEGOST28147CipherInit(header, sBox.data(), direction, mode, key.data(),
                                       synchro.empty() ? nullptr : synchro.data());
        }
        const auto& blocks = record["blocks"];
        const auto& expected = record["expect"]["out"];
        ASSERT_EQ(blocks.size(), expected.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            Bytes block = FromHex(blocks[i].get<std::string>());
            qirvale_test::GuardedBuffer output(8);
            QIRVALEGOST28147CipherAction(&outOfPlace, output.data(), block.data());
            EXPECT_TRUE(output.Intact());
            EXPECT_EQ(ToHex(output.bytes()), expected[i].get<std::string>()) << "block " << i;
            QIRVALEGOST28147CipherAction(&inPlace, block.data(), block.data());
            EXPECT_EQ(ToHex(block), expected[i].get<std::string>()) << "in place, block " << i;
        }
    }
}
#endif

TEST(GOST28147Header, SizeAllocationAndLayout) {
    EXPECT_EQ(QIRVALEGOST28147CipherStateHeaderSizeOf(), kHeaderSize);
    EXPECT_EQ(sizeof(GOST28147CipherStateHeader), kHeaderSize);
    GOST28147CipherStateHeader* allocated = QIRVALEGOST28147CipherStateHeaderAllocate();
    ASSERT_NE(allocated, nullptr);
    EXPECT_EQ(HeaderBytes(*allocated), Bytes(kHeaderSize, 0));
    QIRVALEGOST28147CipherStateHeaderFree(allocated);
    QIRVALEGOST28147CipherStateHeaderFree(nullptr);

    // The raw bytes as a caller sees them: key words, register, direction, the unaligned
    // 16-bit mode at offset 41 and the shifted tables from offset 43, all little-endian.
    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, SampleSBox(), 0x5A, 0x0302, kKey.data(), nullptr);
    const Bytes raw = HeaderBytes(header);
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 32), kKey);
    EXPECT_EQ(raw[40], 0x5A);
    EXPECT_EQ(raw[41], 0x02);
    EXPECT_EQ(raw[42], 0x03);
    for (int j = 0; j < 8; ++j) {
        for (int v = 0; v < 16; ++v) {
            EXPECT_EQ(LE32(&raw[43 + 4 * (16 * j + v)]),
                      static_cast<uint32_t>(SampleSBox()[16 * j + v]) << (4 * j));
        }
    }
}

TEST(GOST28147Modes, UnknownModeValuesAreSimpleReplacement) {
    const Bytes plain = Message(4);
    for (uint8_t direction : {0, 1, 0x80}) {
        const Bytes expected = Process(SampleSBox(), direction, 0, nullptr, plain);
        for (uint16_t mode : {4, 0xFF, 0x100, 0xFFFF}) {
            EXPECT_EQ(Process(SampleSBox(), direction, mode, nullptr, plain), expected)
                << "mode " << mode << " direction " << int{direction};
        }
    }
    // Encrypting and decrypting are inverse, any nonzero direction encrypts, and the
    // register is neither used nor changed.
    const Bytes cipher = Process(SampleSBox(), 1, 0xFFFF, nullptr, plain);
    EXPECT_NE(cipher, plain);
    EXPECT_EQ(Process(SampleSBox(), 0, 4, nullptr, cipher), plain);
    EXPECT_EQ(Process(SampleSBox(), 0xFF, 0, nullptr, plain), cipher);
    GOST28147CipherStateHeader header{};
    header.workRegister[0] = 0x11223344;
    header.workRegister[1] = 0x55667788;
    QIRVALEGOST28147CipherInit(&header, SampleSBox(), 1, 0, kKey.data(), kSynchro.data());
    Bytes output(plain.size());
    RunBlocks(header, output.data(), plain.data(), plain.size());
    EXPECT_EQ(ToHex(RegisterBytes(header)), "4433221188776655");
}

TEST(GOST28147Modes, SynchroRules) {
    const Bytes plain = Message(3);
    const Bytes zeros(8, 0);
    // Gamma and gamma with feedback: null means all zero.
    for (uint16_t mode : {1, 2}) {
        EXPECT_EQ(Process(SampleSBox(), 1, mode, nullptr, plain),
                  Process(SampleSBox(), 1, mode, zeros.data(), plain))
            << "mode " << mode;
        EXPECT_NE(Process(SampleSBox(), 1, mode, nullptr, plain),
                  Process(SampleSBox(), 1, mode, kSynchro.data(), plain));
    }
    // The MAC step ignores the synchro and starts from zero.
    EXPECT_EQ(Process(SampleSBox(), 1, 3, kSynchro.data(), plain),
              Process(SampleSBox(), 1, 3, nullptr, plain));
    // Simple replacement and the MAC step never read it: a zero-size block faults under the
    // address sanitizer if they do.
    auto* noSynchro = new uint8_t[0];
    for (uint16_t mode : {0, 3, 7}) {
        GOST28147CipherStateHeader header{};
        QIRVALEGOST28147CipherInit(&header, SampleSBox(), 1, mode, kKey.data(), noSynchro);
    }
    delete[] noSynchro;
}

TEST(GOST28147Modes, InitRewritesEverythingButTheRegisterOfSimpleReplacement) {
    GOST28147CipherStateHeader fresh{}, reused;
    std::memset(&reused, 0xA7, sizeof reused);
    QIRVALEGOST28147CipherInit(&fresh, SampleSBox(), 1, 0, kKey.data(), nullptr);
    QIRVALEGOST28147CipherInit(&reused, SampleSBox(), 1, 0, kKey.data(), nullptr);
    Bytes expected = HeaderBytes(fresh);
    std::fill(expected.begin() + 32, expected.begin() + 40, 0xA7);
    EXPECT_EQ(HeaderBytes(reused), expected);

    // A gamma-with-feedback register survives a switch to simple replacement; every other
    // mode sets it afresh.
    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, SampleSBox(), 1, 2, kKey.data(), kSynchro.data());
    QIRVALEGOST28147CipherInit(&header, SampleSBox(), 0, 0, kKey.data(), nullptr);
    EXPECT_EQ(RegisterBytes(header), kSynchro);
    QIRVALEGOST28147CipherInit(&header, SampleSBox(), 0, 3, kKey.data(), kSynchro.data());
    EXPECT_EQ(RegisterBytes(header), Bytes(8, 0));
}

TEST(GOST28147Gamma, StartsFromTheEncryptedSynchroInEitherDirection) {
    const Bytes encryptedSynchro = Process(SampleSBox(), 1, 0, nullptr, kSynchro);
    for (uint8_t direction : {0, 1}) {
        GOST28147CipherStateHeader header{};
        QIRVALEGOST28147CipherInit(&header, SampleSBox(), direction, 1, kKey.data(),
                                   kSynchro.data());
        EXPECT_EQ(RegisterBytes(header), encryptedSynchro);
    }
    // The direction has no effect; a second header with the same key and synchro decrypts.
    const Bytes plain = Message(5);
    const Bytes cipher = Process(SampleSBox(), 1, 1, kSynchro.data(), plain);
    EXPECT_EQ(Process(SampleSBox(), 0, 1, kSynchro.data(), plain), cipher);
    EXPECT_EQ(Process(SampleSBox(), 0, 1, kSynchro.data(), cipher), plain);
}

// Sets the counter, runs one block of zeros and checks the stepped counter and that the
// output is the encryption of the stepped counter (the register keeps the counter).
void CheckCounterStep(uint32_t n1, uint32_t n2, uint32_t expected1, uint32_t expected2) {
    SCOPED_TRACE(testing::Message() << std::hex << "N1 " << n1 << " N2 " << n2);
    GOST28147CipherStateHeader gamma{};
    QIRVALEGOST28147CipherInit(&gamma, SampleSBox(), 1, 1, kKey.data(), nullptr);
    gamma.workRegister[0] = n1;
    gamma.workRegister[1] = n2;
    const Bytes zeros(8, 0);
    Bytes output(8);
    QIRVALEGOST28147CipherAction(&gamma, output.data(), zeros.data());
    EXPECT_EQ(static_cast<uint32_t>(gamma.workRegister[0]), expected1);
    EXPECT_EQ(static_cast<uint32_t>(gamma.workRegister[1]), expected2);
    EXPECT_EQ(output, Process(SampleSBox(), 1, 0, nullptr, RegisterBytes(gamma)));
}

TEST(GOST28147Gamma, CounterArithmetic) {
    CheckCounterStep(0, 0, 0x01010101, 0x01010104);
    // N1 wraps modulo 2^32.
    CheckCounterStep(0xFFFFFFFF, 5, 0x01010100, 0x01010109);
    // N2 steps modulo 2^32 - 1: an exact sum of 2^32 - 1 gives 0, larger sums wrap by 2^32 - 1,
    // and 0xFFFFFFFF (possible after Init) counts as 0.
    CheckCounterStep(0, 0xFEFEFEFB, 0x01010101, 0);
    CheckCounterStep(0, 0xFEFEFEFA, 0x01010101, 0xFFFFFFFE);
    CheckCounterStep(0, 0xFEFEFEFC, 0x01010101, 1);
    CheckCounterStep(0, 0xFFFFFFFE, 0x01010101, 0x01010103);
    CheckCounterStep(0, 0xFFFFFFFF, 0x01010101, 0x01010104);

    // Around the wrap, N2 never takes the value 0xFFFFFFFF.
    GOST28147CipherStateHeader gamma{};
    QIRVALEGOST28147CipherInit(&gamma, SampleSBox(), 1, 1, kKey.data(), nullptr);
    gamma.workRegister[1] = 0xFFFFFFFF - 300 * 0x01010104u;
    Bytes block(8, 0);
    for (int i = 0; i < 600; ++i) {
        QIRVALEGOST28147CipherAction(&gamma, block.data(), block.data());
        ASSERT_NE(static_cast<uint32_t>(gamma.workRegister[1]), 0xFFFFFFFFu) << i;
    }
}

TEST(GOST28147Feedback, CiphertextIsFedBackInBothDirectionsAndInPlace) {
    const Bytes plain = Message(6);
    Bytes cipher = plain;
    GOST28147CipherStateHeader encrypt{};
    QIRVALEGOST28147CipherInit(&encrypt, SampleSBox(), 1, 2, kKey.data(), kSynchro.data());
    RunBlocks(encrypt, cipher.data(), cipher.data(), cipher.size());
    EXPECT_EQ(cipher, Process(SampleSBox(), 1, 2, kSynchro.data(), plain));
    EXPECT_EQ(RegisterBytes(encrypt), Bytes(cipher.end() - 8, cipher.end()));

    EXPECT_EQ(Process(SampleSBox(), 0, 2, kSynchro.data(), cipher), plain);
    Bytes inPlace = cipher;
    GOST28147CipherStateHeader decrypt{};
    QIRVALEGOST28147CipherInit(&decrypt, SampleSBox(), 0, 2, kKey.data(), kSynchro.data());
    RunBlocks(decrypt, inPlace.data(), inPlace.data(), inPlace.size());
    EXPECT_EQ(inPlace, plain);
    EXPECT_EQ(RegisterBytes(decrypt), Bytes(cipher.end() - 8, cipher.end()));
}

TEST(GOST28147Mac, OutputIsTheWholeRegisterAndTheDirectionIsIgnored) {
    const Bytes message = Message(5);
    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, SampleSBox(), 1, 3, kKey.data(), nullptr);
    Bytes output(8);
    Bytes previous;
    for (std::size_t i = 0; i < message.size(); i += 8) {
        QIRVALEGOST28147CipherAction(&header, output.data(), message.data() + i);
        EXPECT_EQ(output, RegisterBytes(header));
        EXPECT_NE(output, previous);
        previous = output;
    }
    EXPECT_EQ(Process(SampleSBox(), 0, 3, nullptr, message),
              Process(SampleSBox(), 1, 3, nullptr, message));
    // Every block counts: changing the first block changes the final value.
    Bytes altered = message;
    altered[0] ^= 1;
    const Bytes alteredOutputs = Process(SampleSBox(), 1, 3, nullptr, altered);
    EXPECT_NE(Bytes(alteredOutputs.end() - 8, alteredOutputs.end()), previous);
}

// With every S-box row constant, f(x) is the constant c = OR of (row byte << 4j) and the
// cipher no longer depends on key or data beyond XORs: each round maps (A, B) to
// ((c <<< 11) ^ B, A), and the last round keeps A. Unmasked bytes above 15 show in c.
TEST(GOST28147SBox, EntriesAreUsedUnmasked) {
    Bytes sBox(128, 0);
    std::fill(sBox.begin(), sBox.begin() + 16, 0xAB);         // row 0: spills into bits 4..7
    std::fill(sBox.begin() + 96, sBox.begin() + 112, 0xFF);   // row 6: spills into bits 28..31
    std::fill(sBox.begin() + 112, sBox.begin() + 128, 0x3C);  // row 7: high bits fall off
    const uint32_t c = 0xABu | 0xFFu << 24 | 0x3Cu << 28;
    const uint32_t rotated = c << 11 | c >> 21;
    const Bytes plain = FromHex("0123456789abcdef");
    uint32_t a = LE32(plain.data()), b = LE32(plain.data() + 4);
    for (int round = 0; round < 31; ++round) {
        const uint32_t t = rotated ^ b;
        b = a;
        a = t;
    }
    b ^= rotated;
    const Bytes cipher = Process(sBox.data(), 1, 0, nullptr, plain);
    EXPECT_EQ(LE32(cipher.data()), a);
    EXPECT_EQ(LE32(cipher.data() + 4), b);
    EXPECT_EQ(Process(sBox.data(), 0, 0, nullptr, cipher), plain);
}

TEST(GOST28147Lifecycle, DoneWipesEverythingAndInitRestores) {
    for (uint16_t mode : {0, 1, 2, 3}) {
        GOST28147CipherStateHeader header{};
        QIRVALEGOST28147CipherInit(&header, SampleSBox(), 1, mode, kKey.data(), kSynchro.data());
        Bytes block = Message(1);
        QIRVALEGOST28147CipherAction(&header, block.data(), block.data());
        QIRVALEGOST28147CipherDone(&header);
        EXPECT_EQ(HeaderBytes(header), Bytes(kHeaderSize, 0)) << "mode " << mode;
    }
    // An allocated header used without Init (all zero) neither crashes nor fails the sanitizers.
    GOST28147CipherStateHeader* allocated = QIRVALEGOST28147CipherStateHeaderAllocate();
    ASSERT_NE(allocated, nullptr);
    Bytes block = Message(1);
    QIRVALEGOST28147CipherAction(allocated, block.data(), block.data());
    QIRVALEGOST28147CipherInit(allocated, SampleSBox(), 1, 0, kKey.data(), nullptr);
    Bytes output(8);
    const Bytes plain = Message(1);
    QIRVALEGOST28147CipherAction(allocated, output.data(), plain.data());
    EXPECT_EQ(output, Process(SampleSBox(), 1, 0, nullptr, plain));
    QIRVALEGOST28147CipherStateHeaderFree(allocated);
}

}  // namespace
