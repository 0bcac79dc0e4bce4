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

// The key-generation constant C3 (C2 and C4 are zero) as four little-endian 64-bit
// sub-blocks, y1 first: bytes 00 ff 00 ff 00 ff 00 ff ff 00 ff 00 ff 00 ff 00 00 ff ff 00 ff
// 00 00 ff ff 00 00 00 ff ff 00 ff.
constexpr uint64_t kC3[4] = {0xff00ff00ff00ff00u, 0x00ff00ff00ff00ffu, 0xff0000ff00ffff00u,
                             0xff00ffff000000ffu};

// A 256-bit value as its four 64-bit sub-blocks y1..y4 (y1 = bytes 0..7).
struct SubBlocks {
    uint64_t y[4];
};

inline SubBlocks LoadSubBlocks(const uint8_t* bytes) noexcept {
    return {{LoadLE64(bytes), LoadLE64(bytes + 8), LoadLE64(bytes + 16), LoadLE64(bytes + 24)}};
}

// A(Y): y4||y3||y2||y1 -> (y1 ^ y2)||y4||y3||y2.
inline SubBlocks TransformA(const SubBlocks& v) noexcept {
    return {{v.y[1], v.y[2], v.y[3], v.y[0] ^ v.y[1]}};
}

// P(Y) as the cipher's eight key words: output byte t is input byte 8 (t mod 4) + t div 4,
// so key word i (bytes 4i..4i+3) gathers byte i of y1, y2, y3, y4.
inline void KeyWords(const SubBlocks& v, uint32_t* key) noexcept {
    for (int i = 0; i < 8; ++i) {
        key[i] = static_cast<uint32_t>(v.y[0] >> (8 * i) & 0xFF) |
                 static_cast<uint32_t>(v.y[1] >> (8 * i) & 0xFF) << 8 |
                 static_cast<uint32_t>(v.y[2] >> (8 * i) & 0xFF) << 16 |
                 static_cast<uint32_t>(v.y[3] >> (8 * i) & 0xFF) << 24;
    }
}

// The mixing psi^61(H ^ psi(M ^ psi^12(S))) equals psi^74(S) ^ psi^62(M) ^ psi^61(H), and
// each psi^n is linear over the sixteen 16-bit words: output word i is the XOR of the input
// words j whose bit j is set in mask[i]. Row i of psi^n is word n + i of the sequence that
// extends the unit masks by w[k + 16] = w[k] ^ w[k + 1] ^ w[k + 2] ^ w[k + 3] ^ w[k + 12] ^
// w[k + 15], exactly as psi extends the register.
struct WordMatrix {
    uint16_t mask[16];
};

constexpr WordMatrix PsiPowerMatrix(int n) {
    uint16_t sequence[16 + 80] = {};
    for (int i = 0; i < 16; ++i) sequence[i] = static_cast<uint16_t>(1u << i);
    for (int k = 0; k < n; ++k) {
        sequence[k + 16] =
            static_cast<uint16_t>(sequence[k] ^ sequence[k + 1] ^ sequence[k + 2] ^
                                  sequence[k + 3] ^ sequence[k + 12] ^ sequence[k + 15]);
    }
    WordMatrix matrix{};
    for (int i = 0; i < 16; ++i) matrix.mask[i] = sequence[n + i];
    return matrix;
}

// By columns: for input word j of S (j), M (16 + j) and H (32 + j), the four 64-bit lanes of
// the output (words 4q..4q+3 in lane q) with 0xFFFF in each word the input enters.
struct MixingColumns {
    uint64_t lanes[48][4];
};

constexpr MixingColumns MakeMixingColumns() {
    const WordMatrix matrices[3] = {PsiPowerMatrix(74), PsiPowerMatrix(62), PsiPowerMatrix(61)};
    MixingColumns columns{};
    for (int source = 0; source < 3; ++source) {
        for (int j = 0; j < 16; ++j) {
            for (int i = 0; i < 16; ++i) {
                if ((matrices[source].mask[i] >> j & 1) != 0) {
                    columns.lanes[16 * source + j][i / 4] |= uint64_t{0xFFFF} << (16 * (i % 4));
                }
            }
        }
    }
    return columns;
}

constexpr MixingColumns kMixing = MakeMixingColumns();

}  // namespace

void GOST34311Step(const uint8_t* sBox, uint8_t* h, const uint8_t* m) noexcept {
    struct Temporaries {
        uint32_t keys[4][8];
        uint32_t s[8];  // the four encrypted sub-blocks, N1 and N2 of each
        uint16_t input[48];
        SubBlocks u, v;
    } t;  // every field is written before it is read

    // Keys: K1 = P(H ^ M); then U <- A(U) ^ Cj, V <- A(A(V)), Kj = P(U ^ V) for j = 2, 3, 4.
    t.u = LoadSubBlocks(h);
    t.v = LoadSubBlocks(m);
    for (int j = 0; j < 4; ++j) {
        if (j > 0) {
            t.u = TransformA(t.u);
            if (j == 2) {
                for (int i = 0; i < 4; ++i) t.u.y[i] ^= kC3[i];
            }
            t.v = TransformA(TransformA(t.v));
        }
        SubBlocks sum;
        for (int i = 0; i < 4; ++i) sum.y[i] = t.u.y[i] ^ t.v.y[i];
        KeyWords(sum, t.keys[j]);
    }

    // Encryption: s_i = E_{K_i}(h_i), the four side by side under the step's S-box.
    for (int i = 0; i < 8; ++i) t.s[i] = LoadLE32(h + 4 * i);
    GOST28147EncryptUnderFourKeys(sBox, t.keys[0], t.s, GOST28147VectorUnitOfProcessor());

    // Mixing: H <- psi^74(S) ^ psi^62(M) ^ psi^61(H), column by column: each input word,
    // repeated into the four words of a lane, is masked into the lanes of the output.
    for (int i = 0; i < 16; ++i) {
        t.input[i] = static_cast<uint16_t>(t.s[i / 2] >> (16 * (i % 2)));
        t.input[16 + i] = LoadLE16(m + 2 * i);
        t.input[32 + i] = LoadLE16(h + 2 * i);
    }
    uint64_t out[4] = {};
    for (int j = 0; j < 48; ++j) {
        uint64_t repeated = t.input[j];
        repeated |= repeated << 16;
        repeated |= repeated << 32;
        for (int q = 0; q < 4; ++q) out[q] ^= repeated & kMixing.lanes[j][q];
    }
    for (int q = 0; q < 4; ++q) StoreLE64(h + 8 * q, out[q]);

    // The temporaries derive from the message and the chaining value.
    SecureWipe(&t, sizeof t);
    SecureWipe(out, sizeof out);
}

namespace {

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
    uint64_t carry = 0;
    for (std::size_t i = 0; i < kBlockBytes; i += 8) {
        const uint64_t a = LoadLE64(sum + i);
        const uint64_t partial = a + LoadLE64(block + i);
        const uint64_t total = partial + carry;
        carry = static_cast<uint64_t>(partial < a) | static_cast<uint64_t>(total < partial);
        StoreLE64(sum + i, total);
    }
}

bool IsZero(const uint8_t* bytes) noexcept {
    uint8_t any = 0;
    for (std::size_t i = 0; i < kBlockBytes; ++i) any |= bytes[i];
    return any == 0;
}

// Absorbs one full block: the step, then the length and the checksum.
void Absorb(Header& state, const uint8_t* block) noexcept {
    GOST34311Step(state.sBox, state.hashValue, block);
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
            GOST34311Step(state.sBox, state.hashValue, state.blockBuffer);
        }
        GOST34311Step(state.sBox, state.hashValue, state.lengthCounter);
        GOST34311Step(state.sBox, state.hashValue, state.checksum);
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
