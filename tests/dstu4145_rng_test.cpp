// The DSTU 4145 random bit generator through its exports, checked against a model built from
// the exported cipher and hash: the step x = E(I ^ s), s <- E(x ^ I), the bit order of every
// output form, the several-bits-per-step packing, the seeded start and wiping.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "support/test_support.h"

namespace {

using qirvale_test::Bytes;
using qirvale_test::FromHex;
using qirvale_test::GuardedBuffer;

const uint8_t* const kSBox = QIRVALEGOST34311HashStdSampleSBoxPtr();
const Bytes kKey = FromHex("b0a5f9f38914c7be8b458a2347b27e3e7bced68406ca41abc95c8b6541ee16a2");
const Bytes kStart = FromHex("122d268281e3ea35");
const Bytes kDateTime = FromHex("e620eddb9c23184c");

Bytes HeaderBytes(const DSTU4145RNGHeader& header) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
    return Bytes(bytes, bytes + sizeof header);
}
Bytes State(const uint8_t* s) {
    return Bytes(s, s + 8);
}

// The generator written out from its definition, on the exported cipher in simple
// replacement: I = E(D); each step x = E(I ^ s), s = E(x ^ I).
class Model {
  public:
    Model() {
        QIRVALEGOST28147CipherInit(&cipher_, kSBox, 1, 0, kKey.data(), nullptr);
        QIRVALEGOST28147CipherAction(&cipher_, i_, kDateTime.data());
        std::memcpy(s, kStart.data(), 8);
    }
    ~Model() { QIRVALEGOST28147CipherDone(&cipher_); }

    // n bits taking the low `perStep` bits of each x (first cipher word low), set one by one
    // at their stream positions.
    Bytes Bits(uint32_t n, unsigned perStep) {
        Bytes out((n + 7) / 8, 0);
        for (uint32_t position = 0; position < n;) {
            uint8_t block[8], x[8];
            for (int i = 0; i < 8; ++i) block[i] = i_[i] ^ s[i];
            QIRVALEGOST28147CipherAction(&cipher_, x, block);
            for (int i = 0; i < 8; ++i) block[i] = x[i] ^ i_[i];
            QIRVALEGOST28147CipherAction(&cipher_, s, block);
            for (unsigned bit = 0; bit < perStep && position < n; ++bit, ++position) {
                if ((x[bit / 8] >> (bit % 8)) & 1) out[position / 8] |= 1 << (position % 8);
            }
        }
        return out;
    }

    uint8_t s[8];

  private:
    GOST28147CipherStateHeader cipher_{};
    uint8_t i_[8];
};

// Every output form from a fresh start, over a dirty buffer, against the model: n bits taking
// k per step (k = 0 acts as 1, k above 64 as 64), the steps taken, nothing written outside.
// Bit, byte and sequence forms take one bit per step; n = 0 writes nothing and takes no step.
// k = 64, n = 100: 64 bits, then the low 36 of the second step. k = 33, n = 65: the second
// piece at offset 33, bits 65..71 zero. k = 63, n = 126: the second piece straddles 9 bytes.
TEST(DSTU4145RNG, EveryFormFollowsTheModel) {
    struct {
        char form;  // Bit, bYte, byte Ext, Sequence, sequence eXt
        uint32_t n;
        uint16_t k;
    } const cases[] = {
        {'B', 1, 1},    {'Y', 8, 1},    {'E', 8, 0},    {'E', 8, 1},     {'E', 8, 5},
        {'E', 8, 64},   {'E', 8, 300},  {'S', 13, 1},   {'S', 130, 1},   {'S', 0, 1},
        {'X', 0, 64},   {'X', 100, 0},  {'X', 100, 64}, {'X', 65, 33},   {'X', 126, 63},
        {'X', 1, 2},    {'X', 7, 3},    {'X', 9, 8},    {'X', 64, 64},   {'X', 200, 7},
        {'X', 333, 31}, {'X', 513, 64}, {'X', 130, 65}, {'X', 100, 200}, {'X', 90, 0xFFFF}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.form << " n " << c.n << " k " << c.k);
        DSTU4145RNGHeader header{};
        QIRVALEDSTU4145RNGCreate(&header, kSBox, kKey.data(), kStart.data(), kDateTime.data());
        GuardedBuffer out((c.n + 7) / 8, 0xFF);
        if (c.form == 'B') QIRVALEDSTU4145RNGGenerateBit(&header, out.data());
        if (c.form == 'Y') QIRVALEDSTU4145RNGGenerateByte(&header, out.data());
        if (c.form == 'E') QIRVALEDSTU4145RNGGenerateByteExt(&header, out.data(), c.k);
        if (c.form == 'S') QIRVALEDSTU4145RNGGenerateBitSequence(&header, out.data(), c.n);
        if (c.form == 'X') QIRVALEDSTU4145RNGGenerateBitSequenceExt(&header, out.data(), c.n, c.k);
        Model model;
        EXPECT_EQ(out.bytes(), model.Bits(c.n, std::clamp<unsigned>(c.k, 1, 64)));
        EXPECT_TRUE(out.Intact());
        EXPECT_EQ(State(header.generatorState), State(model.s)) << "steps taken";
    }
}

Bytes Hash(const Bytes& message, const uint8_t* sBox, const uint8_t* start) {
    GOST34311HashStateHeader hash;
    QIRVALEGOST34311HashInit(&hash, sBox, start);
    QIRVALEGOST34311HashAction(&hash, message.data(), uint32_t(message.size()));
    Bytes digest(32);
    QIRVALEGOST34311HashDone(&hash, digest.data());
    return digest;
}

// The seeded start against its definition: h1 = hash(seed), h2 = hash(seed || h1), key h1,
// s = h2[0..7], D = the caller's or h2[24..31]; with every input changed (two S-boxes, a null
// and a given start, a null and a given D). Seeds of fewer than 4 bytes change nothing.
TEST(DSTU4145RNGSeeded, CreateExtFollowsItsDefinition) {
    Bytes other(128), seed(100);
    for (int row = 0; row < 8; ++row)
        std::copy(kSBox + 16 * (7 - row), kSBox + 16 * (8 - row), &other[16 * row]);
    for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = uint8_t(i * 7 + 3);
    const Bytes start = FromHex("0011223344556677889900112233445566778899001122334455667788990011");
    const struct {
        const uint8_t *hashSBox, *hashStart, *dateTime, *cipherSBox;
    } cases[] = {{kSBox, nullptr, nullptr, other.data()},
                 {other.data(), start.data(), kDateTime.data(), kSBox}};
    for (std::size_t length : {4, 5, 31, 32, 33, 64, 100}) {
        const Bytes s(seed.begin(), seed.begin() + length);
        for (const auto& c : cases) {
            const Bytes h1 = Hash(s, c.hashSBox, c.hashStart);
            Bytes joined = s;
            joined.insert(joined.end(), h1.begin(), h1.end());
            const Bytes h2 = Hash(joined, c.hashSBox, c.hashStart);
            DSTU4145RNGHeader expected{}, actual{};
            QIRVALEDSTU4145RNGCreate(&expected, c.cipherSBox, h1.data(), h2.data(),
                                     c.dateTime != nullptr ? c.dateTime : h2.data() + 24);
            EXPECT_EQ(QIRVALEDSTU4145RNGCreateExt(&actual, s.data(), uint32_t(length), c.hashSBox,
                                                  c.hashStart, c.dateTime, c.cipherSBox),
                      0u);
            EXPECT_EQ(HeaderBytes(actual), HeaderBytes(expected)) << length;
        }
    }
    for (uint32_t length : {0u, 1u, 3u}) {
        DSTU4145RNGHeader header;
        std::memset(&header, 0x5C, sizeof header);
        EXPECT_EQ(QIRVALEDSTU4145RNGCreateExt(&header, seed.data(), length, kSBox, nullptr, nullptr,
                                              kSBox),
                  1u);
        EXPECT_EQ(HeaderBytes(header), Bytes(sizeof header, 0x5C)) << length;
    }
}

// An allocated header starts zeroed, is wiped by Destroy and can be created again.
TEST(DSTU4145RNGHeaderBlock, AllocationAndWiping) {
    EXPECT_EQ(QIRVALEDSTU4145RNGHeaderSizeOf(), sizeof(DSTU4145RNGHeader));
    DSTU4145RNGHeader* header = QIRVALEDSTU4145RNGHeaderAllocate();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(HeaderBytes(*header), Bytes(sizeof *header, 0));
    QIRVALEDSTU4145RNGCreate(header, kSBox, kKey.data(), kStart.data(), kDateTime.data());
    uint8_t byte;
    QIRVALEDSTU4145RNGGenerateByte(header, &byte);
    QIRVALEDSTU4145RNGDestroy(header);
    EXPECT_EQ(HeaderBytes(*header), Bytes(sizeof *header, 0));
    QIRVALEDSTU4145RNGCreate(header, kSBox, kKey.data(), kStart.data(), kDateTime.data());
    QIRVALEDSTU4145RNGHeaderFree(header);
    QIRVALEDSTU4145RNGHeaderFree(nullptr);
}

}  // namespace
