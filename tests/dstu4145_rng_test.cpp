// The DSTU 4145 random bit generator through its exports, checked against a model built
// from the exported cipher and hash: the step x = E(I ^ s), s <- E(x ^ I), the bit order of
// every output form, the several-bits-per-step packing, the seeded start and wiping.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "support/test_support.h"

namespace {

using qirvale_test::Bytes;
using qirvale_test::FromHex;
using qirvale_test::ToHex;

constexpr std::size_t kHeaderSize = 571;

const uint8_t* SampleSBox() {
    return QIRVALEGOST34311HashStdSampleSBoxPtr();
}

const Bytes kKey = FromHex("b0a5f9f38914c7be8b458a2347b27e3e7bced68406ca41abc95c8b6541ee16a2");
const Bytes kStart = FromHex("122d268281e3ea35");
const Bytes kDateTime = FromHex("e620eddb9c23184c");

// A second S-box: the sample one with rows reversed.
Bytes OtherSBox() {
    Bytes sBox(128);
    for (int row = 0; row < 8; ++row) {
        std::copy(SampleSBox() + 16 * (7 - row), SampleSBox() + 16 * (8 - row),
                  sBox.begin() + 16 * row);
    }
    return sBox;
}

Bytes HeaderBytes(const DSTU4145RNGHeader& header) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
    return Bytes(bytes, bytes + sizeof header);
}

// The generator written out from its definition, on the exported cipher in simple
// replacement: I = E(D); each step x = E(I ^ s), s = E(x ^ I).
class ModelGenerator {
  public:
    ModelGenerator(const uint8_t* sBox, const uint8_t* key, const uint8_t* start,
                   const uint8_t* dateTime) {
        QIRVALEGOST28147CipherInit(&cipher_, sBox, 1, 0, key, nullptr);
        QIRVALEGOST28147CipherAction(&cipher_, i_, dateTime);
        std::memcpy(s_, start, 8);
    }
    ~ModelGenerator() { QIRVALEGOST28147CipherDone(&cipher_); }

    // The next block x as 64 bits, first cipher word low.
    uint64_t Next() {
        uint8_t block[8], x[8];
        for (int i = 0; i < 8; ++i) block[i] = i_[i] ^ s_[i];
        QIRVALEGOST28147CipherAction(&cipher_, x, block);
        for (int i = 0; i < 8; ++i) block[i] = x[i] ^ i_[i];
        QIRVALEGOST28147CipherAction(&cipher_, s_, block);
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) value |= uint64_t{x[i]} << (8 * i);
        return value;
    }

    // n bits taking the low `perStep` bits of each block, set one by one at their stream
    // positions.
    Bytes Bits(uint32_t n, unsigned perStep) {
        Bytes out((n + 7) / 8, 0);
        for (uint32_t position = 0; position < n;) {
            const uint64_t x = Next();
            for (unsigned bit = 0; bit < perStep && position < n; ++bit, ++position) {
                if ((x >> bit) & 1) out[position / 8] |= static_cast<uint8_t>(1u << (position % 8));
            }
        }
        return out;
    }

    const uint8_t* state() const { return s_; }

  private:
    GOST28147CipherStateHeader cipher_{};
    uint8_t i_[8];
    uint8_t s_[8];
};

class DSTU4145RNG : public ::testing::Test {
  protected:
    void SetUp() override {
        QIRVALEDSTU4145RNGCreate(&header_, SampleSBox(), kKey.data(), kStart.data(),
                                 kDateTime.data());
    }
    ModelGenerator Model() const {
        return ModelGenerator(SampleSBox(), kKey.data(), kStart.data(), kDateTime.data());
    }
    Bytes Ext(uint32_t n, uint16_t k) {
        qirvale_test::GuardedBuffer out((n + 7) / 8);
        QIRVALEDSTU4145RNGGenerateBitSequenceExt(&header_, out.data(), n, k);
        EXPECT_TRUE(out.Intact());
        return out.bytes();
    }
    DSTU4145RNGHeader header_{};
};

TEST_F(DSTU4145RNG, CreateFillsTheHeaderAsDefined) {
    GOST28147CipherStateHeader cipher{};
    QIRVALEGOST28147CipherInit(&cipher, SampleSBox(), 1, 0, kKey.data(), nullptr);
    Bytes expected(reinterpret_cast<uint8_t*>(&cipher), reinterpret_cast<uint8_t*>(&cipher) + 555);
    Bytes encryptedDateTime(8);
    QIRVALEGOST28147CipherAction(&cipher, encryptedDateTime.data(), kDateTime.data());
    expected.insert(expected.end(), encryptedDateTime.begin(), encryptedDateTime.end());
    expected.insert(expected.end(), kStart.begin(), kStart.end());
    EXPECT_EQ(HeaderBytes(header_), expected);
}

TEST_F(DSTU4145RNG, PlainFunctionsFollowTheModelStream) {
    ModelGenerator model = Model();
    const Bytes expected = model.Bits(1 + 8 + 8 + 13 + 100, 1);
    // Bit positions 0; 1..8; 9..16; 17..29; 30..129 of the model stream.
    auto streamBits = [&](uint32_t from, uint32_t count) {
        Bytes out((count + 7) / 8, 0);
        for (uint32_t i = 0; i < count; ++i) {
            if ((expected[(from + i) / 8] >> ((from + i) % 8)) & 1) out[i / 8] |= 1u << (i % 8);
        }
        return out;
    };
    uint8_t bit = 0xEE;
    QIRVALEDSTU4145RNGGenerateBit(&header_, &bit);
    EXPECT_EQ(Bytes{bit}, streamBits(0, 1));
    uint8_t byte = 0;
    QIRVALEDSTU4145RNGGenerateByte(&header_, &byte);
    EXPECT_EQ(Bytes{byte}, streamBits(1, 8));
    QIRVALEDSTU4145RNGGenerateByteExt(&header_, &byte, 1);
    EXPECT_EQ(Bytes{byte}, streamBits(9, 8));
    // 13 bits: two bytes, the high 3 bits of the second zero.
    qirvale_test::GuardedBuffer thirteen(2);
    QIRVALEDSTU4145RNGGenerateBitSequence(&header_, thirteen.data(), 13);
    EXPECT_TRUE(thirteen.Intact());
    EXPECT_EQ(thirteen.bytes(), streamBits(17, 13));
    EXPECT_EQ(thirteen.bytes()[1] & 0xE0, 0);
    EXPECT_EQ(Ext(100, 0), streamBits(30, 100));
    EXPECT_EQ(Bytes(header_.generatorState, header_.generatorState + 8),
              Bytes(model.state(), model.state() + 8));
}

// Zero bits write nothing and take no step; the byte form with several bits per step is the
// sequence form with n = 8.
TEST_F(DSTU4145RNG, ZeroBitsAndTheByteFormOfExt) {
    const DSTU4145RNGHeader saved = header_;
    qirvale_test::GuardedBuffer nothing(0);
    QIRVALEDSTU4145RNGGenerateBitSequence(&header_, nothing.data(), 0);
    QIRVALEDSTU4145RNGGenerateBitSequenceExt(&header_, nothing.data(), 0, 64);
    EXPECT_TRUE(nothing.Intact());
    EXPECT_EQ(HeaderBytes(header_), HeaderBytes(saved));
    for (uint16_t k : {0, 1, 2, 5, 8, 64, 300}) {
        uint8_t viaByte = 0;
        header_ = saved;
        QIRVALEDSTU4145RNGGenerateByteExt(&header_, &viaByte, k);
        header_ = saved;
        EXPECT_EQ(Bytes{viaByte}, Ext(8, k)) << k;
    }
}

TEST_F(DSTU4145RNG, ExtPackingMatchesTheModel) {
    struct Case {
        uint32_t n;
        uint16_t k;
    };
    // k = 64, n = 100: 64 bits, then the low 36 of the second step. k = 33, n = 65: the second
    // piece at offset 33, bits 65..71 zero. k = 63, n = 126: the second piece straddles nine
    // bytes. Then assorted sizes, and k above 64 acting as 64.
    const Case cases[] = {{100, 64}, {65, 33},   {126, 63},   {1, 2},    {7, 3},
                          {9, 8},    {64, 64},   {200, 7},    {333, 31}, {513, 64},
                          {130, 65}, {100, 200}, {90, 0xFFFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << " k " << c.k);
        SetUp();
        ModelGenerator model = Model();
        EXPECT_EQ(ToHex(Ext(c.n, c.k)), ToHex(model.Bits(c.n, std::min<unsigned>(c.k, 64))));
        EXPECT_EQ(Bytes(header_.generatorState, header_.generatorState + 8),
                  Bytes(model.state(), model.state() + 8))
            << "steps taken";
    }
    // The high bits of the last byte stay zero even over a dirty buffer.
    SetUp();
    Bytes dirty(9, 0xFF);
    QIRVALEDSTU4145RNGGenerateBitSequenceExt(&header_, dirty.data(), 65, 33);
    EXPECT_EQ(dirty[8] & 0xFE, 0);
}

// The seeded start against its definition: h1 = hash(seed), h2 = hash(seed || h1), key h1,
// s = h2[0..7], D = the caller's or h2[24..31].
Bytes Hash(const Bytes& message, const uint8_t* sBox, const uint8_t* start) {
    GOST34311HashStateHeader hash;
    QIRVALEGOST34311HashInit(&hash, sBox, start);
    QIRVALEGOST34311HashAction(&hash, message.data(), static_cast<uint32_t>(message.size()));
    Bytes digest(32);
    QIRVALEGOST34311HashDone(&hash, digest.data());
    return digest;
}

Bytes ExpectedExtHeader(const Bytes& seed, const uint8_t* hashSBox, const uint8_t* hashStart,
                        const uint8_t* dateTime, const uint8_t* cipherSBox) {
    const Bytes h1 = Hash(seed, hashSBox, hashStart);
    Bytes joined = seed;
    joined.insert(joined.end(), h1.begin(), h1.end());
    const Bytes h2 = Hash(joined, hashSBox, hashStart);
    DSTU4145RNGHeader header{};
    QIRVALEDSTU4145RNGCreate(&header, cipherSBox, h1.data(), h2.data(),
                             dateTime != nullptr ? dateTime : h2.data() + 24);
    return HeaderBytes(header);
}

Bytes CreateExt(const Bytes& seed, const uint8_t* hashSBox, const uint8_t* hashStart,
                const uint8_t* dateTime, const uint8_t* cipherSBox) {
    DSTU4145RNGHeader header{};
    EXPECT_EQ(QIRVALEDSTU4145RNGCreateExt(&header, seed.data(), static_cast<uint32_t>(seed.size()),
                                          hashSBox, hashStart, dateTime, cipherSBox),
              0u);
    return HeaderBytes(header);
}

// Every input enters: two S-boxes, a null and a given start, a null and a given D.
TEST(DSTU4145RNGSeeded, CreateExtFollowsItsDefinition) {
    const Bytes other = OtherSBox(), zeros(32, 0), seed = FromHex("0102030405060708");
    EXPECT_EQ(CreateExt(seed, SampleSBox(), zeros.data(), nullptr, SampleSBox()),
              CreateExt(seed, SampleSBox(), nullptr, nullptr, SampleSBox()));
    const Bytes start = FromHex("0011223344556677889900112233445566778899001122334455667788990011");
    for (std::size_t length : {4, 5, 31, 32, 33, 64, 100}) {
        SCOPED_TRACE(length);
        Bytes longSeed(length);
        for (std::size_t i = 0; i < length; ++i) longSeed[i] = static_cast<uint8_t>(i * 7 + 3);
        EXPECT_EQ(CreateExt(longSeed, SampleSBox(), nullptr, nullptr, other.data()),
                  ExpectedExtHeader(longSeed, SampleSBox(), nullptr, nullptr, other.data()));
        EXPECT_EQ(CreateExt(longSeed, other.data(), start.data(), kDateTime.data(), SampleSBox()),
                  ExpectedExtHeader(longSeed, other.data(), start.data(), kDateTime.data(),
                                    SampleSBox()));
    }
}

TEST(DSTU4145RNGSeeded, SeedsShorterThanFourBytesChangeNothing) {
    const Bytes seed = FromHex("a1b2c3d4");
    for (uint32_t length : {0u, 1u, 3u}) {
        DSTU4145RNGHeader header;
        std::memset(&header, 0x5C, sizeof header);
        EXPECT_EQ(QIRVALEDSTU4145RNGCreateExt(&header, seed.data(), length, SampleSBox(), nullptr,
                                              nullptr, SampleSBox()),
                  1u);
        EXPECT_EQ(HeaderBytes(header), Bytes(kHeaderSize, 0x5C)) << length;
    }
    DSTU4145RNGHeader header{};
    EXPECT_EQ(QIRVALEDSTU4145RNGCreateExt(&header, seed.data(), 4, SampleSBox(), nullptr, nullptr,
                                          SampleSBox()),
              0u);
}

TEST(DSTU4145RNGHeaderBlock, SizeAllocationAndWiping) {
    EXPECT_EQ(QIRVALEDSTU4145RNGHeaderSizeOf(), kHeaderSize);
    EXPECT_EQ(sizeof(DSTU4145RNGHeader), kHeaderSize);
    DSTU4145RNGHeader* header = QIRVALEDSTU4145RNGHeaderAllocate();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(HeaderBytes(*header), Bytes(kHeaderSize, 0));
    QIRVALEDSTU4145RNGCreate(header, SampleSBox(), kKey.data(), kStart.data(), kDateTime.data());
    uint8_t byte;
    QIRVALEDSTU4145RNGGenerateByte(header, &byte);
    QIRVALEDSTU4145RNGDestroy(header);
    EXPECT_EQ(HeaderBytes(*header), Bytes(kHeaderSize, 0));
    // Create works again on a destroyed header.
    QIRVALEDSTU4145RNGCreate(header, SampleSBox(), kKey.data(), kStart.data(), kDateTime.data());
    QIRVALEDSTU4145RNGHeaderFree(header);
    QIRVALEDSTU4145RNGHeaderFree(nullptr);
}

}  // namespace
