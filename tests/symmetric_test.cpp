// The symmetric algorithms through their exports. GOST 28147-89: reference vectors of all
// four modes, one block and many blocks a call; the one-block and many-block paths of every
// vector unit against the plain round algorithm. GOST 34.311-95: reference vectors, any
// sequence of byte and bit pieces against the hash composed from the plain step, a damaged
// header, and 2^29 + 1 bytes in one call.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "support/test_support.h"
#include "symmetric/gost28147.h"
#include "symmetric/gost28147_reference.h"
#include "symmetric/gost34311_reference.h"

namespace {

using qirvale_test::Bytes;
using qirvale_test::HexBytes;
using qirvale_test::ToHex;

const uint8_t* const kSBox = QIRVALEGOST34311HashStdSampleSBoxPtr();

template <class Header>
Bytes HeaderBytes(const Header& header) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&header);
    return Bytes(raw, raw + sizeof header);
}

// Every record one block a call and all blocks in one call, in place, the latter on an
// allocated header, which starts zeroed and is wiped by Done. Simple replacement and the MAC
// step are given a synchro of no bytes: any read of it faults under the address sanitizer.
TEST(GOST28147Reference, EveryRecordOneAndManyBlocksACall) {
    auto* noSynchro = new uint8_t[0];
    for (const auto& record : qirvale_test::ReadJsonLines("reference-gost28147.jsonl")) {
        SCOPED_TRACE(record["case"].get<std::string>());
        const Bytes sBox = HexBytes(record["sbox"]), key = HexBytes(record["key"]);
        const uint16_t mode = record["mode"];
        const Bytes synchro = record["synchro"].is_null() ? Bytes() : HexBytes(record["synchro"]);
        const uint8_t* const synchroValue = mode != 1 && mode != 2 ? noSynchro
                                            : synchro.empty()      ? nullptr
                                                                   : synchro.data();
        GOST28147CipherStateHeader inPlace{};
        GOST28147CipherStateHeader* many = QIRVALEGOST28147CipherStateHeaderAllocate();
        EXPECT_EQ(HeaderBytes(*many), Bytes(sizeof *many, 0));
        for (auto* header : {&inPlace, many}) {
            QIRVALEGOST28147CipherInit(header, sBox.data(), record["dir"], mode, key.data(),
                                       synchroValue);
        }
        Bytes all;
        std::string expected;
        for (std::size_t i = 0; i < record["blocks"].size(); ++i) {
            Bytes block = HexBytes(record["blocks"][i]);
            all.insert(all.end(), block.begin(), block.end());
            expected += record["expect"]["out"][i].get<std::string>();
            QIRVALEGOST28147CipherAction(&inPlace, block.data(), block.data());
            EXPECT_EQ(ToHex(block), expected.substr(16 * i)) << "block " << i;
        }
        QIRVALEGOST28147CipherActionBlocks(many, all.data(), all.data(), uint32_t(all.size() / 8));
        EXPECT_EQ(ToHex(all), expected);
        EXPECT_EQ(HeaderBytes(*many), HeaderBytes(inPlace));
        QIRVALEGOST28147CipherDone(many);
        EXPECT_EQ(HeaderBytes(*many), Bytes(sizeof *many, 0));
        QIRVALEGOST28147CipherStateHeaderFree(many);
    }
    QIRVALEGOST28147CipherStateHeaderFree(nullptr);
    delete[] noSynchro;
}

// The fast paths against the plain round algorithm over random keys, synchros and S-boxes
// (bytes above 15 included, and tables with stray bits, which only a header written by other
// means than Init holds), every mode and other mode values, three directions, gamma counters
// at the wrap, and block counts around the group and batch sizes. Successive Action calls, and
// ActionBlocks with every vector unit the processor has (on a header at an odd address), must
// give the plain algorithm's output and its whole final header; the encryption of four blocks
// under four keys (the hash step's) must give four plain encryptions.
TEST(GOST28147Differential, FastPathsMatchThePlainAlgorithm) {
    std::mt19937 random(28147);
    const uint16_t modes[] = {0, 1, 2, 3, 4, 0xFFFF, 0x0201};
    const uint8_t directions[] = {0, 1, 0x80};
    const std::size_t counts[] = {0, 1, 2, 7, 8, 9, 15, 16, 17, 31, 63, 64, 65, 130};
    for (int trial = 0; trial < 7 * 3 * 4; ++trial) {
        const uint16_t mode = modes[trial % 7];
        const std::size_t count = counts[trial % 14];
        SCOPED_TRACE(testing::Message() << "trial " << trial << " mode " << mode);
        Bytes sBox(128), key(32), synchro(8), input(8 * count), keys(128), blocks(32), four(32);
        for (Bytes* bytes : {&sBox, &key, &synchro, &input, &keys, &blocks}) {
            for (uint8_t& b : *bytes) b = static_cast<uint8_t>(random());
        }
        if (trial % 3 != 0)
            for (uint8_t& b : sBox) b &= 0x0F;
        GOST28147CipherStateHeader start;
        std::memset(&start, 0x3C, sizeof start);
        QIRVALEGOST28147CipherInit(&start, sBox.data(), directions[trial / 7 % 3], mode, key.data(),
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

        for (int i = 0; i < 4; ++i) {  // four blocks under four keys, as the hash step needs
            GOST28147CipherStateHeader one{};
            QIRVALEGOST28147CipherInit(&one, sBox.data(), 1, 0, &keys[32 * i], nullptr);
            QIRVALE::GOST28147Reference::Action(one, &four[8 * i], &blocks[8 * i]);
        }
        GOST28147CipherStateHeader plain = start, single = start;
        Bytes expected(input.size()), output(input.size());
        for (std::size_t i = 0; i < input.size(); i += 8) {
            QIRVALE::GOST28147Reference::Action(plain, expected.data() + i, input.data() + i);
            QIRVALEGOST28147CipherAction(&single, output.data() + i, input.data() + i);
        }
        EXPECT_EQ(output, expected);
        EXPECT_EQ(HeaderBytes(single), HeaderBytes(plain));
        for (int unit = 0; unit <= int(QIRVALE::GOST28147VectorUnitOfProcessor()); ++unit) {
            const auto vectorUnit = static_cast<QIRVALE::GOST28147VectorUnit>(unit);
            uint8_t storage[sizeof start + 1];  // the header at an odd address
            auto& many = *reinterpret_cast<GOST28147CipherStateHeader*>(storage + 1);
            std::memcpy(&many, &start, sizeof start);
            qirvale_test::GuardedBuffer fenced(input.size());
            std::copy(input.begin(), input.end(), fenced.data());  // odd trials work in place
            QIRVALE::GOST28147ActionBlocks(
                many, fenced.data(), trial % 2 ? fenced.data() : input.data(), count, vectorUnit);
            EXPECT_TRUE(fenced.Intact());
            EXPECT_EQ(fenced.bytes(), expected) << "unit " << unit;
            EXPECT_EQ(HeaderBytes(many), HeaderBytes(plain)) << "unit " << unit;
            uint32_t keyWords[32], words[8];
            std::memcpy(keyWords, keys.data(), sizeof keyWords);
            std::memcpy(words, blocks.data(), sizeof words);
            QIRVALE::GOST28147EncryptUnderFourKeys(sBox.data(), keyWords, words, vectorUnit);
            EXPECT_EQ(std::memcmp(words, four.data(), 32), 0) << "four keys, unit " << unit;
        }
    }
}

Bytes Finish(GOST34311HashStateHeader& header) {
    Bytes digest(32);
    QIRVALEGOST34311HashDone(&header, digest.data());
    return digest;
}

// The hash composed from the plain step: 256-bit blocks, the last one (or, for the empty
// message, the only one) padded with zero bits, then the steps on the bit count and on the
// sum of the blocks modulo 2^256.
Bytes PlainHash(const Bytes& message, uint64_t bits, const uint8_t* sBox) {
    uint8_t h[32] = {}, length[32] = {}, sum[32] = {};
    uint64_t done = 0;
    do {
        uint8_t block[32] = {};
        const uint64_t take = std::min<uint64_t>(256, bits - done);
        std::copy_n(message.begin() + done / 8, (take + 7) / 8, block);
        if (take % 8 != 0) block[take / 8] &= static_cast<uint8_t>((1u << take % 8) - 1);
        QIRVALE::GOST34311Reference::Step(sBox, h, block);
        for (unsigned i = 0, carry = 0; i < 32; ++i, carry >>= 8) {
            carry += sum[i] + block[i];
            sum[i] = static_cast<uint8_t>(carry);
        }
        done += take;
    } while (done < bits);
    for (int i = 0; i < 8; ++i) length[i] = static_cast<uint8_t>(bits >> 8 * i);
    QIRVALE::GOST34311Reference::Step(sBox, h, length);
    QIRVALE::GOST34311Reference::Step(sBox, h, sum);
    return Bytes(h, h + 32);
}

TEST(GOST34311Reference, EveryRecord) {
    const auto records = qirvale_test::ReadJsonLines("reference-gost34311.jsonl");
    EXPECT_EQ(HexBytes(records[0]["sbox"]), Bytes(kSBox, kSBox + 128));
    for (const auto& record : records) {
        const Bytes sBox = HexBytes(record["sbox"]), message = HexBytes(record["msg"]);
        const Bytes start = record["start"].is_null() ? Bytes(32) : HexBytes(record["start"]);
        GOST34311HashStateHeader header;
        QIRVALEGOST34311HashInit(&header, sBox.data(), start.data());
        QIRVALEGOST34311HashAction(&header, message.data(), static_cast<uint32_t>(message.size()));
        EXPECT_EQ(Finish(header), HexBytes(record["expect"]["digest"]))
            << record["case"].get<std::string>();
    }
}

// Random S-boxes (bytes above 15 included) and up to four pieces, in bytes or in bits, of
// lengths around byte and block boundaries. The bits of a piece beyond its count are noise
// the hash must ignore; a piece that ends inside a byte is closed with zero bits by the next
// call (also a call of no bits), and that padding counts in the length. Headers are
// allocated (zeroed) and wiped by Done.
TEST(GOST34311Differential, PiecesOfAnyLengthMatchThePlainComposition) {
    std::mt19937 random(34311);
    const uint32_t edges[] = {0, 1, 7, 8, 9, 248, 255, 256, 257, 264, 511, 512, 513, 1024};
    for (int trial = 0; trial < 400; ++trial) {
        Bytes sBox(128), message;
        for (uint8_t& b : sBox) b = static_cast<uint8_t>(random() & (trial % 2 ? 0xFF : 0x0F));
        GOST34311HashStateHeader* header = QIRVALEGOST34311HashStateHeaderAllocate();
        EXPECT_EQ(HeaderBytes(*header), Bytes(sizeof *header, 0));
        QIRVALEGOST34311HashInit(header, sBox.data(), nullptr);
        uint64_t bits = 0;
        for (int piece = 0; piece < trial % 5; ++piece) {
            const uint32_t count = random() % 3 ? random() % 1100 : edges[random() % 14];
            Bytes data((count + 7) / 8);
            for (uint8_t& b : data) b = static_cast<uint8_t>(random());
            if (count % 8 == 0 && random() % 2) {
                QIRVALEGOST34311HashAction(header, data.data(), count / 8);
            } else {
                QIRVALEGOST34311HashActionExact(header, data.data(), count);
            }
            bits = (bits + 7) / 8 * 8 + count;
            message.insert(message.end(), data.begin(), data.end());
            if (count % 8 != 0) message.back() &= static_cast<uint8_t>((1u << count % 8) - 1);
        }
        qirvale_test::GuardedBuffer digest(32);
        QIRVALEGOST34311HashDone(header, digest.data());
        EXPECT_EQ(HeaderBytes(*header), Bytes(sizeof *header, 0));
        EXPECT_TRUE(digest.Intact());
        EXPECT_EQ(digest.bytes(), PlainHash(message, bits, sBox.data())) << trial;
        QIRVALEGOST34311HashStateHeaderFree(header);
    }
}

// A damaged count of buffered bits in a caller's header keeps every write inside blockBuffer;
// Done without an output only wipes.
TEST(GOST34311Header, DamagedCountStaysInside) {
    const Bytes message(64, 0x5A);
    for (uint32_t damaged : {256u, 0x1FFu, 0xFFFFFFFFu}) {
        GOST34311HashStateHeader* header = QIRVALEGOST34311HashStateHeaderAllocate();
        QIRVALEGOST34311HashInit(header, kSBox, nullptr);
        header->bufferedBits = damaged;
        QIRVALEGOST34311HashActionExact(header, message.data(), 500);
        EXPECT_LT(uint32_t{header->bufferedBits}, 256u);
        header->bufferedBits = damaged;
        QIRVALEGOST34311HashDone(header, nullptr);
        EXPECT_EQ(HeaderBytes(*header), Bytes(sizeof *header, 0));
        QIRVALEGOST34311HashStateHeaderFree(header);
    }
}

// 2^29 + 1 zero bytes in one call: 2^32 + 8 bits, which a count formed in 32 bits would wrap
// to 8 (the hash of one byte). calloc'd zero pages cost little; the 2^24 blocks take seconds.
TEST(GOST34311Slow, ByteCountOf2To29PlusOneInOneCall) {
    constexpr uint32_t kSize = (1u << 29) + 1;
    auto* zeros = static_cast<uint8_t*>(std::calloc(kSize, 1));
    ASSERT_NE(zeros, nullptr);
    GOST34311HashStateHeader whole, one;
    for (auto* header : {&whole, &one}) QIRVALEGOST34311HashInit(header, kSBox, nullptr);
    QIRVALEGOST34311HashAction(&whole, zeros, kSize);
    QIRVALEGOST34311HashAction(&one, zeros, 1);
    EXPECT_EQ(ToHex(whole.lengthCounter, 8), "0000000001000000");  // 2^32 bits
    EXPECT_NE(Finish(whole), Finish(one));
    std::free(zeros);
}

}  // namespace
