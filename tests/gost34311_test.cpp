// GOST 34.311-95 through its exports: reference vectors, any sequence of byte and bit pieces
// against the hash composed from the plain step, header wiping and damage, and 2^29 + 1 bytes
// in one call.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "support/test_support.h"
#include "symmetric/gost34311_reference.h"

namespace {

using qirvale_test::Bytes;
using qirvale_test::HexBytes;

const uint8_t* const kSBox = QIRVALEGOST34311HashStdSampleSBoxPtr();

Bytes HeaderBytes(const GOST34311HashStateHeader* header) {
    const auto* raw = reinterpret_cast<const uint8_t*>(header);
    return Bytes(raw, raw + sizeof *header);
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
// allocated (zeroed) and wiped by Done, with or without an output.
TEST(GOST34311Differential, PiecesOfAnyLengthMatchThePlainComposition) {
    std::mt19937 random(34311);
    const uint32_t edges[] = {0, 1, 7, 8, 9, 248, 255, 256, 257, 264, 511, 512, 513, 1024};
    for (int trial = 0; trial < 400; ++trial) {
        Bytes sBox(128), message;
        for (uint8_t& b : sBox) b = static_cast<uint8_t>(random() & (trial % 2 ? 0xFF : 0x0F));
        GOST34311HashStateHeader* header = QIRVALEGOST34311HashStateHeaderAllocate();
        EXPECT_EQ(HeaderBytes(header), Bytes(sizeof *header, 0));
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
        QIRVALEGOST34311HashDone(header, trial % 7 ? digest.data() : nullptr);  // wipes either way
        EXPECT_EQ(HeaderBytes(header), Bytes(sizeof *header, 0));
        EXPECT_TRUE(digest.Intact());
        if (trial % 7 != 0) {
            EXPECT_EQ(digest.bytes(), PlainHash(message, bits, sBox.data())) << trial;
        }
        QIRVALEGOST34311HashStateHeaderFree(header);
    }
}

// A damaged count of buffered bits in a caller's header keeps every write inside blockBuffer.
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
    EXPECT_EQ(qirvale_test::ToHex(whole.lengthCounter, 8), "0000000001000000");  // 2^32 bits
    EXPECT_NE(Finish(whole), Finish(one));
    std::free(zeros);
}

}  // namespace
