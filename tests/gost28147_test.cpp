// GOST 28147-89 through its exports: reference vectors of all four modes, the caller-visible
// header layout, mode and synchro rules, the gamma counter's arithmetic modulo 2^32 - 1,
// feedback on in-place calls, the MAC step, unmasked S-box entries and wiping; and the fast
// one-block and many-block paths against the plain round algorithm.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "support/test_support.h"
#include "symmetric/gost28147.h"
#include "symmetric/gost28147_reference.h"

namespace {

using qirvale_test::Bytes;
using qirvale_test::FromHex;
using qirvale_test::ToHex;

constexpr std::size_t kHeaderSize = 555;

const Bytes kKey = FromHex("56af9c873b4971b6fed85cf2d045cfb3a8f4cf020d79f13db210fcf04ab30216");
const Bytes kSynchro = FromHex("0ded0adf2b9d316c");
const uint8_t* const kSBox = QIRVALEGOST34311HashStdSampleSBoxPtr();

// A message of `blocks` 8-byte blocks with distinct bytes.
Bytes Message(std::size_t blocks) {
    Bytes message(8 * blocks);
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<uint8_t>(31 * i + 7);
    return message;
}

// Runs every 8-byte block of `data` through Action on `header`, in place; Process runs a fresh
// header out of place.
Bytes InPlace(GOST28147CipherStateHeader& header, Bytes data) {
    for (std::size_t i = 0; i < data.size(); i += 8)
        QIRVALEGOST28147CipherAction(&header, data.data() + i, data.data() + i);
    return data;
}

Bytes Process(uint8_t direction, uint16_t mode, const uint8_t* synchro, const Bytes& input,
              const uint8_t* sBox = kSBox) {
    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, sBox, direction, mode, kKey.data(), synchro);
    Bytes output(input.size());
    for (std::size_t i = 0; i < input.size(); i += 8)
        QIRVALEGOST28147CipherAction(&header, output.data() + i, input.data() + i);
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

TEST(GOST28147Reference, EveryRecordOutOfPlaceAndInPlace) {
    const auto records = qirvale_test::ReadJsonLines("reference-gost28147.jsonl");
    ASSERT_EQ(records.size(), 16u);
    for (const auto& record : records) {
        SCOPED_TRACE(record["case"].get<std::string>());
        const Bytes sBox = FromHex(record["sbox"].get<std::string>());
        const Bytes key = FromHex(record["key"].get<std::string>());
        const Bytes synchro =
            record["synchro"].is_null() ? Bytes() : FromHex(record["synchro"].get<std::string>());
        GOST28147CipherStateHeader outOfPlace{}, inPlace{};
        for (auto* header : {&outOfPlace, &inPlace}) {
            QIRVALEGOST28147CipherInit(header, sBox.data(), record["dir"].get<uint8_t>(),
                                       record["mode"].get<uint16_t>(), key.data(),
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

// Size, zeroed allocation, the raw bytes as a caller sees them (key words, register,
// direction, the unaligned 16-bit mode at offset 41 and the shifted tables from offset 43,
// all little-endian), wiping by Done in every mode, and an allocated header used before Init.
TEST(GOST28147Header, LayoutAllocationAndWiping) {
    EXPECT_EQ(QIRVALEGOST28147CipherStateHeaderSizeOf(), kHeaderSize);
    EXPECT_EQ(sizeof(GOST28147CipherStateHeader), kHeaderSize);
    GOST28147CipherStateHeader* allocated = QIRVALEGOST28147CipherStateHeaderAllocate();
    ASSERT_NE(allocated, nullptr);
    EXPECT_EQ(HeaderBytes(*allocated), Bytes(kHeaderSize, 0));
    InPlace(*allocated, Message(1));  // all zero: neither crashes nor fails the sanitizers
    QIRVALEGOST28147CipherInit(allocated, kSBox, 1, 0, kKey.data(), nullptr);
    EXPECT_EQ(InPlace(*allocated, Message(1)), Process(1, 0, nullptr, Message(1)));
    QIRVALEGOST28147CipherStateHeaderFree(allocated);
    QIRVALEGOST28147CipherStateHeaderFree(nullptr);

    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, kSBox, 0x5A, 0x0302, kKey.data(), nullptr);
    const Bytes raw = HeaderBytes(header);
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 32), kKey);
    EXPECT_EQ(raw[40], 0x5A);
    EXPECT_EQ(raw[41], 0x02);
    EXPECT_EQ(raw[42], 0x03);
    for (int e = 0; e < 128; ++e)
        EXPECT_EQ(LE32(&raw[43 + 4 * e]), static_cast<uint32_t>(kSBox[e]) << (4 * (e / 16)));

    for (uint16_t mode : {0, 1, 2, 3}) {
        QIRVALEGOST28147CipherInit(&header, kSBox, 1, mode, kKey.data(), kSynchro.data());
        InPlace(header, Message(1));
        QIRVALEGOST28147CipherDone(&header);
        EXPECT_EQ(HeaderBytes(header), Bytes(kHeaderSize, 0)) << "mode " << mode;
    }
}

// Mode values other than 1, 2, 3 are simple replacement, which never reads the synchro and
// keeps whatever register the header held; any nonzero direction encrypts.
TEST(GOST28147Modes, UnknownModesAndTheRegisterOfSimpleReplacement) {
    const Bytes plain = Message(4);
    const Bytes cipher = Process(1, 0, nullptr, plain);
    EXPECT_NE(cipher, plain);
    for (uint16_t mode : {4, 0xFF, 0x100, 0xFFFF}) {
        EXPECT_EQ(Process(0xFF, mode, nullptr, plain), cipher) << mode;
        EXPECT_EQ(Process(0, mode, nullptr, cipher), plain) << mode;
    }
    // Simple replacement and the MAC step never read the synchro: a zero-size block faults
    // under the address sanitizer if they do.
    auto* noSynchro = new uint8_t[0];
    for (uint16_t mode : {0, 3, 7}) {
        GOST28147CipherStateHeader header{};
        QIRVALEGOST28147CipherInit(&header, kSBox, 1, mode, kKey.data(), noSynchro);
    }
    delete[] noSynchro;

    // Init over a dirty header rewrites everything but the register in simple replacement;
    // a gamma-with-feedback register survives a switch to it, every other mode sets it afresh.
    GOST28147CipherStateHeader fresh{}, reused;
    std::memset(&reused, 0xA7, sizeof reused);
    QIRVALEGOST28147CipherInit(&fresh, kSBox, 1, 0, kKey.data(), nullptr);
    QIRVALEGOST28147CipherInit(&reused, kSBox, 1, 0, kKey.data(), nullptr);
    Bytes expected = HeaderBytes(fresh);
    std::fill(expected.begin() + 32, expected.begin() + 40, 0xA7);
    EXPECT_EQ(HeaderBytes(reused), expected);
    InPlace(reused, plain);
    EXPECT_EQ(RegisterBytes(reused), Bytes(8, 0xA7));
    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, kSBox, 1, 2, kKey.data(), kSynchro.data());
    QIRVALEGOST28147CipherInit(&header, kSBox, 0, 0, kKey.data(), nullptr);
    EXPECT_EQ(RegisterBytes(header), kSynchro);
    QIRVALEGOST28147CipherInit(&header, kSBox, 0, 3, kKey.data(), kSynchro.data());
    EXPECT_EQ(RegisterBytes(header), Bytes(8, 0));
}

// Gamma starts from the encrypted synchro (null means zero) in either direction, and the
// direction has no effect.
TEST(GOST28147Gamma, StartsFromTheEncryptedSynchro) {
    const Bytes zeros(8, 0), plain = Message(5);
    for (uint8_t direction : {0, 1}) {
        GOST28147CipherStateHeader header{};
        QIRVALEGOST28147CipherInit(&header, kSBox, direction, 1, kKey.data(), kSynchro.data());
        EXPECT_EQ(RegisterBytes(header), Process(1, 0, nullptr, kSynchro));
    }
    for (uint16_t mode : {1, 2}) {
        EXPECT_EQ(Process(1, mode, nullptr, plain), Process(1, mode, zeros.data(), plain));
        EXPECT_NE(Process(1, mode, nullptr, plain), Process(1, mode, kSynchro.data(), plain));
    }
    const Bytes cipher = Process(1, 1, kSynchro.data(), plain);
    EXPECT_EQ(Process(0, 1, kSynchro.data(), plain), cipher);
    EXPECT_EQ(Process(0, 1, kSynchro.data(), cipher), plain);
}

// Each block steps the counter (N1 + C2 mod 2^32, N2 + C1 mod 2^32 - 1) and outputs the
// encryption of the stepped counter.
TEST(GOST28147Gamma, CounterArithmetic) {
    struct Step {
        uint32_t n1, n2, expected1, expected2;
    };
    // N1 wraps modulo 2^32; N2 steps modulo 2^32 - 1: an exact sum of 2^32 - 1 gives 0, larger
    // sums wrap by 2^32 - 1, and 0xFFFFFFFF (possible after Init) counts as 0.
    for (const Step& s : {Step{0, 0, 0x01010101, 0x01010104},
                          {0xFFFFFFFF, 5, 0x01010100, 0x01010109},
                          {0, 0xFEFEFEFB, 0x01010101, 0},
                          {0, 0xFEFEFEFA, 0x01010101, 0xFFFFFFFE},
                          {0, 0xFEFEFEFC, 0x01010101, 1},
                          {0, 0xFFFFFFFE, 0x01010101, 0x01010103},
                          {0, 0xFFFFFFFF, 0x01010101, 0x01010104}}) {
        SCOPED_TRACE(testing::Message() << std::hex << "N1 " << s.n1 << " N2 " << s.n2);
        GOST28147CipherStateHeader gamma{};
        QIRVALEGOST28147CipherInit(&gamma, kSBox, 1, 1, kKey.data(), nullptr);
        gamma.workRegister[0] = s.n1;
        gamma.workRegister[1] = s.n2;
        const Bytes output = InPlace(gamma, Bytes(8, 0));
        EXPECT_EQ(static_cast<uint32_t>(gamma.workRegister[0]), s.expected1);
        EXPECT_EQ(static_cast<uint32_t>(gamma.workRegister[1]), s.expected2);
        EXPECT_EQ(output, Process(1, 0, nullptr, RegisterBytes(gamma)));
    }
    // Around the wrap, N2 never takes the value 0xFFFFFFFF.
    GOST28147CipherStateHeader gamma{};
    QIRVALEGOST28147CipherInit(&gamma, kSBox, 1, 1, kKey.data(), nullptr);
    gamma.workRegister[1] = 0xFFFFFFFF - 300 * 0x01010104u;
    for (int i = 0; i < 600; ++i) {
        InPlace(gamma, Bytes(8, 0));
        ASSERT_NE(static_cast<uint32_t>(gamma.workRegister[1]), 0xFFFFFFFFu) << i;
    }
}

// The ciphertext is fed back in both directions, also when the call works in place.
TEST(GOST28147Feedback, CiphertextIsFedBackInBothDirectionsAndInPlace) {
    const Bytes plain = Message(6);
    GOST28147CipherStateHeader encrypt{}, decrypt{};
    QIRVALEGOST28147CipherInit(&encrypt, kSBox, 1, 2, kKey.data(), kSynchro.data());
    QIRVALEGOST28147CipherInit(&decrypt, kSBox, 0, 2, kKey.data(), kSynchro.data());
    const Bytes cipher = InPlace(encrypt, plain);
    EXPECT_EQ(InPlace(decrypt, cipher), plain);
    for (auto* header : {&encrypt, &decrypt})
        EXPECT_EQ(RegisterBytes(*header), Bytes(cipher.end() - 8, cipher.end()));
    EXPECT_EQ(Process(1, 2, kSynchro.data(), plain), cipher);
    EXPECT_EQ(Process(0, 2, kSynchro.data(), cipher), plain);
}

// The MAC step outputs the whole register after each block, ignores the direction and the
// synchro, and every block counts.
TEST(GOST28147Mac, OutputIsTheWholeRegister) {
    const Bytes message = Message(5);
    GOST28147CipherStateHeader header{};
    QIRVALEGOST28147CipherInit(&header, kSBox, 1, 3, kKey.data(), nullptr);
    Bytes output(8);
    for (std::size_t i = 0; i < message.size(); i += 8) {
        QIRVALEGOST28147CipherAction(&header, output.data(), message.data() + i);
        EXPECT_EQ(output, RegisterBytes(header));
    }
    EXPECT_EQ(Process(0, 3, kSynchro.data(), message), Process(1, 3, nullptr, message));
    Bytes altered = message;
    altered[0] ^= 1;
    const Bytes alteredOutputs = Process(1, 3, nullptr, altered);
    EXPECT_NE(Bytes(alteredOutputs.end() - 8, alteredOutputs.end()), output);
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
    const Bytes cipher = Process(1, 0, nullptr, plain, sBox.data());
    EXPECT_EQ(LE32(cipher.data()), a);
    EXPECT_EQ(LE32(cipher.data() + 4), b);
    EXPECT_EQ(Process(0, 0, nullptr, cipher, sBox.data()), plain);
}

// The fast paths against the plain round algorithm over random keys, synchros and S-boxes
// (bytes above 15 included, and tables with stray bits, which only a header written by
// other means than Init holds), every mode and other mode values, three directions, gamma
// counters at the wrap, and block counts around the group and batch sizes. Successive
// Action calls, and ActionBlocks with every vector unit the processor has, out of place and
// in place, must give the plain algorithm's output and its whole final header.
TEST(GOST28147Differential, FastPathsMatchThePlainAlgorithm) {
    using QIRVALE::GOST28147VectorUnit;
    std::vector<GOST28147VectorUnit> units = {GOST28147VectorUnit::kNone};
    const GOST28147VectorUnit best = QIRVALE::GOST28147VectorUnitOfProcessor();
    if (best != GOST28147VectorUnit::kNone) units.push_back(GOST28147VectorUnit::kAvx2);
    if (best == GOST28147VectorUnit::kAvx512Vbmi) units.push_back(best);

    std::mt19937 random(28147);
    const auto fill = [&](Bytes& bytes, unsigned mask) {
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random() & mask);
    };
    const uint16_t modes[] = {0, 1, 2, 3, 4, 0xFFFF, 0x0201};
    const uint8_t directions[] = {0, 1, 0x80};
    const std::size_t counts[] = {0, 1, 2, 7, 8, 9, 15, 16, 17, 31, 63, 64, 65, 130};
    for (int trial = 0; trial < 7 * 3 * 4; ++trial) {
        const uint16_t mode = modes[trial % 7];
        const uint8_t direction = directions[trial / 7 % 3];
        const std::size_t count = counts[trial % 14];
        SCOPED_TRACE(testing::Message() << "trial " << trial << " mode " << mode << " direction "
                                        << int{direction} << " blocks " << count);
        Bytes sBox(128), key(32), synchro(8), input(8 * count);
        fill(sBox, trial % 3 == 0 ? 0xFF : 0x0F);
        fill(key, 0xFF);
        fill(synchro, 0xFF);
        fill(input, 0xFF);
        GOST28147CipherStateHeader start;
        std::memset(&start, 0x3C, sizeof start);
        QIRVALEGOST28147CipherInit(&start, sBox.data(), direction, mode, key.data(),
                                   trial % 5 == 0 ? nullptr : synchro.data());
        if (trial % 8 == 7) {
            for (int e = 0; e < 128; ++e) {  // the packed fields are written in place
                start.substitutionTables[e / 16][e % 16] ^= static_cast<uint32_t>(random());
            }
        }
        if (trial % 4 == 1) {  // counter words about to wrap, or 0xFFFFFFFF as after Init
            start.workRegister[0] = 0xFFFFFFFFu - 2 * 0x01010101u;
            start.workRegister[1] = trial % 8 == 1 ? 0xFFFFFFFFu : 0xFFFFFFFFu - 3 * 0x01010104u;
        }

        GOST28147CipherStateHeader plain = start, single = start;
        Bytes expected(input.size()), output(input.size());
        for (std::size_t i = 0; i < input.size(); i += 8) {
            QIRVALE::GOST28147Reference::Action(plain, expected.data() + i, input.data() + i);
            QIRVALEGOST28147CipherAction(&single, output.data() + i, input.data() + i);
        }
        EXPECT_EQ(output, expected);
        EXPECT_EQ(HeaderBytes(single), HeaderBytes(plain));

        GOST28147CipherStateHeader exported = start;
        Bytes inPlace = input;
        QIRVALEGOST28147CipherActionBlocks(&exported, inPlace.data(), inPlace.data(),
                                           static_cast<uint32_t>(count));
        EXPECT_EQ(inPlace, expected) << "export";
        EXPECT_EQ(HeaderBytes(exported), HeaderBytes(plain)) << "export";
        for (const GOST28147VectorUnit unit : units) {
            uint8_t storage[sizeof start + 1];  // the header at an odd address
            auto& many = *reinterpret_cast<GOST28147CipherStateHeader*>(storage + 1);
            std::memcpy(&many, &start, sizeof start);
            qirvale_test::GuardedBuffer fenced(input.size());
            QIRVALE::GOST28147ActionBlocks(many, fenced.data(), input.data(), count, unit);
            EXPECT_TRUE(fenced.Intact());
            EXPECT_EQ(fenced.bytes(), expected) << "unit " << static_cast<int>(unit);
            EXPECT_EQ(HeaderBytes(many), HeaderBytes(plain)) << "unit " << static_cast<int>(unit);
        }
    }
}

}  // namespace
