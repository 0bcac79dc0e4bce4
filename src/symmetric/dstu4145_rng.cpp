// The DSTU 4145-2002 random bit generator: GOST 28147 in simple replacement, seeded directly
// or through two GOST 34.311 hashes of a seed.
#include "symmetric/dstu4145_rng.h"

#include <cstddef>
#include <cstring>

#include "frame/export.h"
#include "frame/memory.h"
#include "symmetric/gost28147.h"
#include "symmetric/gost34311.h"

namespace QIRVALE {

// The caller-visible layout: 571 bytes, byte-packed; a whole cipher state header first.
static_assert(offsetof(DSTU4145RNGHeader, cipherState) == 0);
static_assert(offsetof(DSTU4145RNGHeader, encryptedDateTime) ==
              QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE);
static_assert(offsetof(DSTU4145RNGHeader, generatorState) == 563);
static_assert(sizeof(DSTU4145RNGHeader) == QIRVALE_DSTU4145_RNG_HEADER_SIZE);
static_assert(QIRVALE_DSTU4145_RNG_HEADER_SIZE == 571);

namespace {

constexpr std::size_t kBlockBytes = 8;
constexpr std::size_t kHashBytes = 32;
constexpr unsigned kMaxBitsPerStep = 64;
constexpr uint32_t kMinSeedBytes = 4;

// One generator step: x = E(I ^ s), s <- E(x ^ I). Returns x read as a little-endian 64-bit
// number (the first cipher word is the low half).
uint64_t Step(DSTU4145RNGHeader& generator) noexcept {
    uint8_t block[kBlockBytes];
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        block[i] = generator.encryptedDateTime[i] ^ generator.generatorState[i];
    }
    GOST28147EncryptBlock(generator.cipherState, block, block);
    uint64_t x = 0;
    for (std::size_t i = 0; i < kBlockBytes; ++i) x |= uint64_t{block[i]} << (8 * i);
    for (std::size_t i = 0; i < kBlockBytes; ++i) block[i] ^= generator.encryptedDateTime[i];
    GOST28147EncryptBlock(generator.cipherState, generator.generatorState, block);
    return x;
}

}  // namespace

void DSTU4145RNGCreate(DSTU4145RNGHeader& generator, const uint8_t* sBox, const uint8_t* key,
                       const uint8_t* startValue, const uint8_t* dateTime) noexcept {
    GOST28147Init(generator.cipherState, sBox, 1, GOST28147ModeSimpleReplacement, key, nullptr);
    GOST28147EncryptBlock(generator.cipherState, generator.encryptedDateTime, dateTime);
    std::memcpy(generator.generatorState, startValue, kBlockBytes);
}

uint32_t DSTU4145RNGCreateExt(DSTU4145RNGHeader& generator, const uint8_t* seed,
                              uint32_t seedLength, const uint8_t* hashSBox,
                              const uint8_t* hashStart, const uint8_t* dateTime,
                              const uint8_t* cipherSBox) noexcept {
    if (seedLength < kMinSeedBytes) return 1;
    struct Temporaries {
        GOST34311HashStateHeader hash;
        uint8_t h1[kHashBytes], h2[kHashBytes];
    } t;
    const uint64_t seedBits = uint64_t{seedLength} * 8;
    GOST34311Init(t.hash, hashSBox, hashStart);
    GOST34311Append(t.hash, seed, seedBits);
    GOST34311Finish(t.hash, t.h1);
    GOST34311Init(t.hash, hashSBox, hashStart);
    GOST34311Append(t.hash, seed, seedBits);
    GOST34311Append(t.hash, t.h1, kHashBytes * 8);
    GOST34311Finish(t.hash, t.h2);
    DSTU4145RNGCreate(generator, cipherSBox, t.h1, t.h2,
                      dateTime != nullptr ? dateTime : t.h2 + 24);
    SecureWipe(&t, sizeof t);
    return 0;
}

void DSTU4145RNGGenerate(DSTU4145RNGHeader& generator, uint8_t* output, uint32_t bitCount,
                         uint16_t bitsPerStep) noexcept {
    const unsigned perStep = bitsPerStep < 1                 ? 1u
                             : bitsPerStep > kMaxBitsPerStep ? kMaxBitsPerStep
                                                             : bitsPerStep;
    if (bitCount == 0) return;
    std::memset(output, 0, (uint64_t{bitCount} + 7) / 8);
    uint64_t offset = 0;
    for (uint32_t remaining = bitCount; remaining > 0;) {
        const unsigned take = remaining < perStep ? remaining : perStep;
        uint64_t bits = Step(generator);
        if (take < 64) bits &= (uint64_t{1} << take) - 1;
        // OR the bits in from bit offset % 8 of byte offset / 8 onwards.
        uint8_t* byte = output + offset / 8;
        const unsigned shift = static_cast<unsigned>(offset % 8);
        *byte |= static_cast<uint8_t>(bits << shift);
        bits >>= 8 - shift;
        for (int left = static_cast<int>(take + shift) - 8; left > 0; left -= 8) {
            *++byte |= static_cast<uint8_t>(bits);
            bits >>= 8;
        }
        offset += take;
        remaining -= take;
    }
}

void DSTU4145RNGDestroy(DSTU4145RNGHeader& generator) noexcept {
    GOST28147Done(generator.cipherState);
    SecureWipe(&generator, sizeof generator);
}

}  // namespace QIRVALE

// ---------------------------------------------------------------------------------------
// Exports
// ---------------------------------------------------------------------------------------

QIRVALE_EXPORT(void)
QIRVALEDSTU4145RNGCreate(DSTU4145RNGHeader* header, const uint8_t* sBox, const uint8_t* key,
                         const uint8_t* startValue, const uint8_t* dateTime) {
    QIRVALE::DSTU4145RNGCreate(*header, sBox, key, startValue, dateTime);
}

QIRVALE_EXPORT(uint32_t)
QIRVALEDSTU4145RNGCreateExt(DSTU4145RNGHeader* header, const uint8_t* seed, uint32_t seedLength,
                            const uint8_t* hashSBox, const uint8_t* hashStart,
                            const uint8_t* dateTime, const uint8_t* cipherSBox) {
    return QIRVALE::DSTU4145RNGCreateExt(*header, seed, seedLength, hashSBox, hashStart, dateTime,
                                         cipherSBox);
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145RNGGenerateBit(DSTU4145RNGHeader* header, uint8_t* bit) {
    QIRVALE::DSTU4145RNGGenerate(*header, bit, 1, 1);
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145RNGGenerateByte(DSTU4145RNGHeader* header, uint8_t* byte) {
    QIRVALE::DSTU4145RNGGenerate(*header, byte, 8, 1);
}

QIRVALE_EXPORT(void)
QIRVALEDSTU4145RNGGenerateBitSequence(DSTU4145RNGHeader* header, uint8_t* output,
                                      uint32_t bitCount) {
    QIRVALE::DSTU4145RNGGenerate(*header, output, bitCount, 1);
}

QIRVALE_EXPORT(void)
QIRVALEDSTU4145RNGGenerateBitSequenceExt(DSTU4145RNGHeader* header, uint8_t* output,
                                         uint32_t bitCount, uint16_t bitsPerStep) {
    QIRVALE::DSTU4145RNGGenerate(*header, output, bitCount, bitsPerStep);
}

QIRVALE_EXPORT(void)
QIRVALEDSTU4145RNGGenerateByteExt(DSTU4145RNGHeader* header, uint8_t* byte, uint16_t bitsPerStep) {
    QIRVALE::DSTU4145RNGGenerate(*header, byte, 8, bitsPerStep);
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145RNGDestroy(DSTU4145RNGHeader* header) {
    QIRVALE::DSTU4145RNGDestroy(*header);
}

QIRVALE_EXPORT(DSTU4145RNGHeader*) QIRVALEDSTU4145RNGHeaderAllocate(void) {
    return QIRVALE::AllocateBlock<DSTU4145RNGHeader>();
}

QIRVALE_EXPORT(void) QIRVALEDSTU4145RNGHeaderFree(DSTU4145RNGHeader* header) {
    if (header == nullptr) return;
    QIRVALE::DSTU4145RNGDestroy(*header);
    QIRVALE::FreeWiped(header, sizeof(DSTU4145RNGHeader));
}

QIRVALE_EXPORT(uint32_t) QIRVALEDSTU4145RNGHeaderSizeOf(void) {
    return sizeof(DSTU4145RNGHeader);
}
