// GOST 34.311-95: the block step (key generation, encryption with GOST 28147, mixing with
// psi), bit-exact incremental absorption and the final length and checksum steps.
#include "symmetric/gost34311.h"

#include <cstddef>
#include <cstring>

#include "frame/export.h"
#include "frame/memory.h"
#include "symmetric/byte_order.h"
#include "symmetric/gost28147.h"

namespace QIRVALE {

// The caller-visible layout: 260 bytes, byte-packed, fields at fixed offsets.
static_assert(offsetof(GOST34311HashStateHeader, sBox) == 0);
static_assert(offsetof(GOST34311HashStateHeader, lengthCounter) == 128);
static_assert(offsetof(GOST34311HashStateHeader, checksum) == 160);
static_assert(offsetof(GOST34311HashStateHeader, hashValue) == 192);
static_assert(offsetof(GOST34311HashStateHeader, blockBuffer) == 224);
static_assert(offsetof(GOST34311HashStateHeader, bufferedBits) == 256);
static_assert(sizeof(GOST34311HashStateHeader) == QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE);
static_assert(QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE == 260);

const uint8_t kGOST34311SampleSBox[128] = {
    4,  10, 9,  2,  13, 8,  0,  14, 6,  11, 1,  12, 7,  15, 5,  3,   // bits 0..3
    14, 11, 4,  12, 6,  13, 15, 10, 2,  3,  8,  1,  0,  7,  5,  9,   // bits 4..7
    5,  8,  1,  13, 10, 3,  4,  2,  14, 15, 12, 7,  6,  0,  9,  11,  // bits 8..11
    7,  13, 10, 1,  0,  8,  9,  15, 14, 4,  6,  12, 11, 2,  5,  3,   // bits 12..15
    6,  12, 7,  1,  5,  15, 13, 8,  4,  10, 9,  14, 0,  3,  11, 2,   // bits 16..19
    4,  11, 10, 0,  7,  2,  1,  13, 3,  6,  8,  5,  9,  12, 15, 14,  // bits 20..23
    13, 11, 4,  1,  3,  15, 5,  9,  0,  10, 14, 7,  6,  8,  2,  12,  // bits 24..27
    1,  15, 13, 0,  5,  7,  10, 4,  9,  2,  3,  14, 6,  11, 8,  12,  // bits 28..31
};

namespace {

using Header = GOST34311HashStateHeader;

constexpr std::size_t kBlockBytes = 32;
constexpr uint32_t kBlockBits = 256;

// The key-generation constant C3 (C2 and C4 are zero), byte 0 first.
constexpr uint8_t kC3[kBlockBytes] = {
    0x00, 0xff, 0x00, 0xff, 0x00, 0xff, 0x00, 0xff, 0xff, 0x00, 0xff, 0x00, 0xff, 0x00, 0xff, 0x00,
    0x00, 0xff, 0xff, 0x00, 0xff, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0xff,
};

// A(Y) in place: y4||y3||y2||y1 -> (y1 ^ y2)||y4||y3||y2 (y1 = bytes 0..7).
void TransformA(uint8_t* y) noexcept {
    uint8_t top[8];
    for (int i = 0; i < 8; ++i) top[i] = y[i] ^ y[8 + i];
    std::memmove(y, y + 8, 24);
    std::memcpy(y + 24, top, 8);
}

// P(Y): output byte t = input byte 8 * (t mod 4) + t div 4.
constexpr uint8_t kPermutationP[kBlockBytes] = {0,  8,  16, 24, 1,  9,  17, 25, 2,  10, 18,
                                                26, 3,  11, 19, 27, 4,  12, 20, 28, 5,  13,
                                                21, 29, 6,  14, 22, 30, 7,  15, 23, 31};

void TransformP(const uint8_t* y, uint8_t* out) noexcept {
    for (std::size_t t = 0; t < kBlockBytes; ++t) out[t] = y[kPermutationP[t]];
}

// psi^N on sixteen 16-bit words (w0 = bytes 0..1). psi drops w0 and appends
// w0 ^ w1 ^ w2 ^ w3 ^ w12 ^ w15, so psi^N(Y) is words N..N+15 of the sequence that extends
// w0..w15 by w[i + 16] = w[i] ^ w[i + 1] ^ w[i + 2] ^ w[i + 3] ^ w[i + 12] ^ w[i + 15].
template <int N>
void PsiPower(uint16_t (&w)[16]) noexcept {
    uint16_t sequence[16 + N];
    std::memcpy(sequence, w, sizeof w);
    for (int i = 0; i < N; ++i) {
        sequence[i + 16] = sequence[i] ^ sequence[i + 1] ^ sequence[i + 2] ^ sequence[i + 3] ^
                           sequence[i + 12] ^ sequence[i + 15];
    }
    std::memcpy(w, sequence + N, sizeof w);
}

void LoadWords(uint16_t (&w)[16], const uint8_t* bytes) noexcept {
    for (int i = 0; i < 16; ++i) w[i] = LoadLE16(bytes + 2 * i);
}

void XorWords(uint16_t (&w)[16], const uint8_t* bytes) noexcept {
    for (int i = 0; i < 16; ++i) w[i] ^= LoadLE16(bytes + 2 * i);
}

// The step function: H <- chi(M, H). `m` may lie in the caller's data; it must not overlap
// `h`.
void Step(const uint8_t* sBox, uint8_t* h, const uint8_t* m) noexcept {
    struct Temporaries {
        uint8_t keys[4][kBlockBytes];
        uint8_t u[kBlockBytes], v[kBlockBytes], sum[kBlockBytes], s[kBlockBytes];
        uint16_t words[16];
        GOST28147CipherStateHeader cipher;
    } t;  // every field is written before it is read

    // Keys: K1 = P(H ^ M); then U <- A(U) ^ Cj, V <- A(A(V)), Kj = P(U ^ V) for j = 2, 3, 4.
    std::memcpy(t.u, h, kBlockBytes);
    std::memcpy(t.v, m, kBlockBytes);
    for (int j = 0; j < 4; ++j) {
        if (j > 0) {
            TransformA(t.u);
            if (j == 2) {
                for (std::size_t i = 0; i < kBlockBytes; ++i) t.u[i] ^= kC3[i];
            }
            TransformA(t.v);
            TransformA(t.v);
        }
        for (std::size_t i = 0; i < kBlockBytes; ++i) t.sum[i] = t.u[i] ^ t.v[i];
        TransformP(t.sum, t.keys[j]);
    }

    // Encryption: s_i = E_{K_i}(h_i), on a fresh cipher state for this step.
    GOST28147Init(t.cipher, sBox, 1, GOST28147ModeSimpleReplacement, t.keys[0], nullptr);
    GOST28147EncryptUnderFourKeys(t.cipher, t.keys[0], t.s, h);

    // Mixing: H <- psi^61(H ^ psi(M ^ psi^12(S))).
    LoadWords(t.words, t.s);
    PsiPower<12>(t.words);
    XorWords(t.words, m);
    PsiPower<1>(t.words);
    XorWords(t.words, h);
    PsiPower<61>(t.words);
    for (int i = 0; i < 16; ++i) StoreLE16(h + 2 * i, t.words[i]);

    // The temporaries derive from the message and the chaining value.
    SecureWipe(&t, sizeof t);
}

// counter <- counter + value modulo 2^256.
void AddToCounter(uint8_t* counter, uint32_t value) noexcept {
    uint64_t carry = value;
    for (std::size_t i = 0; i < kBlockBytes && carry != 0; ++i) {
        carry += counter[i];
        counter[i] = static_cast<uint8_t>(carry);
        carry >>= 8;
    }
}

// sum <- sum + block modulo 2^256, both little-endian.
void AddBlock(uint8_t* sum, const uint8_t* block) noexcept {
    unsigned carry = 0;
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        carry += static_cast<unsigned>(sum[i]) + block[i];
        sum[i] = static_cast<uint8_t>(carry);
        carry >>= 8;
    }
}

bool IsZero(const uint8_t* bytes) noexcept {
    uint8_t any = 0;
    for (std::size_t i = 0; i < kBlockBytes; ++i) any |= bytes[i];
    return any == 0;
}

// Absorbs one full block: the step, then the length and the checksum.
void Absorb(Header& state, const uint8_t* block) noexcept {
    Step(state.sBox, state.hashValue, block);
    AddToCounter(state.lengthCounter, kBlockBits);
    AddBlock(state.checksum, block);
}

// Copies `bits` (> 0) bits: ceil(bits / 8) bytes, the last one masked to its low bits % 8.
void CopyBits(uint8_t* to, const uint8_t* from, uint32_t bits) noexcept {
    std::memcpy(to, from, (bits + 7) / 8);
    if (bits % 8 != 0) to[bits / 8] &= static_cast<uint8_t>((1u << (bits % 8)) - 1);
}

// bufferedBits as stored. A value above 255 can only come from a damaged header; keeping
// the low eight bits keeps every access inside blockBuffer.
uint32_t BufferedBits(const Header& state) noexcept {
    return state.bufferedBits & 0xFFu;
}

}  // namespace

void GOST34311Init(Header& state, const uint8_t* sBox, const uint8_t* startHash) noexcept {
    std::memcpy(state.sBox, sBox, sizeof state.sBox);
    if (startHash != nullptr) {
        std::memcpy(state.hashValue, startHash, kBlockBytes);
    } else {
        std::memset(state.hashValue, 0, kBlockBytes);
    }
    std::memset(state.lengthCounter, 0, kBlockBytes);
    std::memset(state.checksum, 0, kBlockBytes);
    std::memset(state.blockBuffer, 0, kBlockBytes);
    state.bufferedBits = 0;
}

void GOST34311Append(Header& state, const uint8_t* data, uint64_t bitCount) noexcept {
    uint32_t buffered = BufferedBits(state);

    // Close a byte that an earlier call left partial: its unused high bits are already zero
    // and become padding that counts in the length. This runs even for a count of 0.
    if (buffered % 8 != 0) {
        buffered = (buffered + 7) & ~7u;
        if (buffered == kBlockBits) {
            Absorb(state, state.blockBuffer);
            buffered = 0;
        }
    }

    // Top up a started block (buffered is now a whole number of bytes).
    if (buffered > 0) {
        const uint32_t free = kBlockBits - buffered;
        if (bitCount < free) {
            if (bitCount > 0) {
                CopyBits(state.blockBuffer + buffered / 8, data, static_cast<uint32_t>(bitCount));
                buffered += static_cast<uint32_t>(bitCount);
            }
            state.bufferedBits = buffered;
            return;
        }
        std::memcpy(state.blockBuffer + buffered / 8, data, free / 8);
        Absorb(state, state.blockBuffer);
        data += free / 8;
        bitCount -= free;
        buffered = 0;
    }

    // Whole blocks straight from the caller's data.
    for (; bitCount >= kBlockBits; bitCount -= kBlockBits, data += kBlockBytes) {
        Absorb(state, data);
    }

    // Buffer the tail; the bytes beyond it stay zero.
    if (bitCount > 0) {
        std::memset(state.blockBuffer, 0, kBlockBytes);
        CopyBits(state.blockBuffer, data, static_cast<uint32_t>(bitCount));
        buffered = static_cast<uint32_t>(bitCount);
    }
    state.bufferedBits = buffered;
}

void GOST34311Finish(Header& state, uint8_t* hash) noexcept {
    if (hash != nullptr) {
        // The last, partial block; the empty message is hashed as one all-zero block of
        // length 0 (blockBuffer is zero since Init). A non-empty message of whole blocks has
        // nothing left here.
        const uint32_t buffered = BufferedBits(state);
        if (buffered > 0 || IsZero(state.lengthCounter)) {
            AddToCounter(state.lengthCounter, buffered);
            AddBlock(state.checksum, state.blockBuffer);
            Step(state.sBox, state.hashValue, state.blockBuffer);
        }
        Step(state.sBox, state.hashValue, state.lengthCounter);
        Step(state.sBox, state.hashValue, state.checksum);
        std::memcpy(hash, state.hashValue, kBlockBytes);
    }
    SecureWipe(&state, sizeof state);
}

}  // namespace QIRVALE

// ---------------------------------------------------------------------------------------
// Exports
// ---------------------------------------------------------------------------------------

QIRVALE_EXPORT(void)
QIRVALEGOST34311HashInit(GOST34311HashStateHeader* header, const uint8_t* sBox,
                         const uint8_t* startHash) {
    QIRVALE::GOST34311Init(*header, sBox, startHash);
}

QIRVALE_EXPORT(void)
QIRVALEGOST34311HashActionExact(GOST34311HashStateHeader* header, const uint8_t* data,
                                uint32_t bitCount) {
    QIRVALE::GOST34311Append(*header, data, bitCount);
}

// The bit count is formed in 64 bits: every 32-bit byte count is hashed whole.
QIRVALE_EXPORT(void)
QIRVALEGOST34311HashAction(GOST34311HashStateHeader* header, const uint8_t* data,
                           uint32_t byteCount) {
    QIRVALE::GOST34311Append(*header, data, uint64_t{byteCount} * 8);
}

QIRVALE_EXPORT(void) QIRVALEGOST34311HashDone(GOST34311HashStateHeader* header, uint8_t* hash) {
    QIRVALE::GOST34311Finish(*header, hash);
}

QIRVALE_EXPORT(GOST34311HashStateHeader*) QIRVALEGOST34311HashStateHeaderAllocate(void) {
    return QIRVALE::AllocateBlock<GOST34311HashStateHeader>();
}

QIRVALE_EXPORT(void) QIRVALEGOST34311HashStateHeaderFree(GOST34311HashStateHeader* header) {
    QIRVALE::FreeWiped(header, sizeof(GOST34311HashStateHeader));
}

QIRVALE_EXPORT(uint32_t) QIRVALEGOST34311HashStateHeaderSizeOf(void) {
    return sizeof(GOST34311HashStateHeader);
}

QIRVALE_EXPORT(const uint8_t*) QIRVALEGOST34311HashStdSampleSBoxPtr(void) {
    return QIRVALE::kGOST34311SampleSBox;
}
