// GOST 28147-89: simple replacement, gamma, gamma with feedback and the MAC step on the
// caller-visible state header, one 8-byte block per call or many blocks per call.
#include "symmetric/gost28147.h"

#include <algorithm>
#include <cstddef>

#include "frame/export.h"
#include "frame/memory.h"
#include "symmetric/byte_order.h"
#include "symmetric/gost28147_vector.h"

// The header stores its words in host order and documents them as little-endian; every
// target of the library is little-endian.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the state header layout assumes a little-endian host"
#endif

namespace QIRVALE {

// The caller-visible layout: 555 bytes, byte-packed, fields at fixed offsets.
static_assert(offsetof(GOST28147CipherStateHeader, subkeys) == 0);
static_assert(offsetof(GOST28147CipherStateHeader, workRegister) == 32);
static_assert(offsetof(GOST28147CipherStateHeader, direction) == 40);
static_assert(offsetof(GOST28147CipherStateHeader, mode) == 41);
static_assert(offsetof(GOST28147CipherStateHeader, substitutionTables) == 43);
static_assert(sizeof(GOST28147CipherStateHeader) == QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE);
static_assert(QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE == 555);

namespace {

using Header = GOST28147CipherStateHeader;

// The gamma counter constants: N1 steps by C1 modulo 2^32, N2 by C2 modulo 2^32 - 1.
constexpr uint32_t kGammaStep1 = 0x01010101u;
constexpr uint32_t kGammaStep2 = 0x01010104u;
constexpr uint32_t kModulusMinusOne = 0xFFFFFFFFu;  // 2^32 - 1

// The substitution tables as the header holds them, read in place (at any alignment).
struct HeaderTables {
    const Header& s;
    uint32_t operator()(int j, uint32_t v) const noexcept { return s.substitutionTables[j][v]; }
};

// An aligned copy of the tables: each 16-entry table fills exactly one 64-byte cache line,
// so which lines a substitution touches does not depend on the data.
struct alignas(64) TableCopy {
    uint32_t t[8][16];
    uint32_t operator()(int j, uint32_t v) const noexcept { return t[j][v]; }
};

// Keeps the compiler from reassociating an OR tree into one long chain (which it does to
// fold the loads into the ORs): the value is taken as computed.
inline void Materialise(uint32_t& value) noexcept {
#if defined(__GNUC__) || defined(__clang__)
    __asm__("" : "+r"(value));
#else
    (void)value;
#endif
}

// f(x): eight lookups in the pre-shifted tables, ORed. The entries are not masked, so an
// S-box byte above 15 spills into the neighbouring nibbles of the result. The lookups are
// independent; ORing them as a balanced tree (three steps instead of seven) keeps the
// dependent chain of a round short.
template <class Tables>
inline uint32_t Substitute(const Tables& t, uint32_t x) noexcept {
    uint32_t p0 = t(0, x & 15) | t(1, x >> 4 & 15);
    uint32_t p1 = t(2, x >> 8 & 15) | t(3, x >> 12 & 15);
    uint32_t p2 = t(4, x >> 16 & 15) | t(5, x >> 20 & 15);
    uint32_t p3 = t(6, x >> 24 & 15) | t(7, x >> 28);
    Materialise(p0);
    Materialise(p1);
    Materialise(p2);
    Materialise(p3);
    uint32_t low = p0 | p1, high = p2 | p3;
    Materialise(low);
    Materialise(high);
    return low | high;
}

// f(x) <<< 11.
template <class Tables>
inline uint32_t RoundValue(const Tables& t, uint32_t x) noexcept {
    const uint32_t s = Substitute(t, x);
    return (s << 11) | (s >> 21);
}

// Eight rounds with K0..K7 (forward) or K7..K0. A round is (A, B) <- (f(A + k) <<< 11 ^ B,
// A); here the two words trade roles instead of places, so after an even number of rounds A
// is back in `a`.
template <bool Forward, class Tables>
inline void EightRounds(const Tables& t, const Header& s, uint32_t& a, uint32_t& b) noexcept {
    for (int r = 0; r < 8; r += 2) {
        b ^= RoundValue(t, a + s.subkeys[Forward ? r : 7 - r]);
        a ^= RoundValue(t, b + s.subkeys[Forward ? r + 1 : 6 - r]);
    }
}

// The 32-round cycle on (n1, n2). Encryption uses K0..K7 three times, then K7..K0;
// decryption K0..K7 once, then K7..K0 three times. The last round writes B and keeps A, so
// the result is the pair after 32 exchanging rounds, exchanged back.
//
// For one block this is a single dependent chain, 32 times: add the key, cut out eight
// nibbles, eight table loads (which the processor issues over about three cycles), the OR
// tree, the rotation and the XOR; about 14 cycles a round on current x86 processors. Larger
// tables (a byte per lookup, four loads) would shorten it, but the header holds only the
// sixteen-entry ones and building others costs more than one block's cycle; many blocks go
// faster only side by side (ActionBlocks).
template <bool Encrypt, class Tables>
inline void FullCycle(const Tables& t, const Header& s, uint32_t& n1, uint32_t& n2) noexcept {
    uint32_t a = n1, b = n2;
    EightRounds<true>(t, s, a, b);
    EightRounds<Encrypt>(t, s, a, b);
    EightRounds<Encrypt>(t, s, a, b);
    EightRounds<false>(t, s, a, b);
    n1 = b;
    n2 = a;
}

// The MAC step's cycle: 16 rounds with K0..K7 twice. Here the last round writes B as well,
// and the step then stores (b, a) into (N1, N2): taken together, every one of the 16 rounds
// ends with the exchange of halves.
template <class Tables>
inline void MacCycle(const Tables& t, const Header& s, uint32_t& n1, uint32_t& n2) noexcept {
    EightRounds<true>(t, s, n1, n2);
    EightRounds<true>(t, s, n1, n2);
}

// N2 + C2 modulo 2^32 - 1, with results in 0..2^32-2: a sum of exactly 2^32 - 1 gives 0, and
// an N2 of 0xFFFFFFFF (reachable only through the synchro) steps to C2.
inline uint32_t StepCounterWord(uint32_t n2) noexcept {
    const uint64_t sum = uint64_t{n2} + kGammaStep2;
    return static_cast<uint32_t>(sum < kModulusMinusOne ? sum : sum - kModulusMinusOne);
}

// K0..K7: the key bytes as eight little-endian words.
void SetKey(Header& state, const uint8_t* key) noexcept {
    for (int i = 0; i < 8; ++i) state.subkeys[i] = LoadLE32(key + 4 * i);
}

inline void SetRegister(Header& s, uint32_t n1, uint32_t n2) noexcept {
    s.workRegister[0] = n1;
    s.workRegister[1] = n2;
}

// Independent blocks through the full cycle, `Lanes` at a time round by round: one block's
// rounds form a dependent chain, and the other lanes fill the processor's idle slots.
// key(lane, r) is the key of round r for that lane. words holds N1, N2 of each block, in
// place.
template <int Lanes, class Tables, class KeyOf>
inline void CycleLanes(const Tables& t, KeyOf key, uint32_t* words) noexcept {
    uint32_t a[Lanes], b[Lanes];
    for (int l = 0; l < Lanes; ++l) {
        a[l] = words[2 * l];
        b[l] = words[2 * l + 1];
    }
    for (int r = 0; r < 32; r += 2) {
        for (int l = 0; l < Lanes; ++l) b[l] ^= RoundValue(t, a[l] + key(l, r));
        for (int l = 0; l < Lanes; ++l) a[l] ^= RoundValue(t, b[l] + key(l, r + 1));
    }
    for (int l = 0; l < Lanes; ++l) {
        words[2 * l] = b[l];
        words[2 * l + 1] = a[l];
    }
}

// Index of the key word of round r (0..31) of the full cycle.
constexpr int KeyIndex(bool encrypt, int r) {
    return r < (encrypt ? 24 : 8) ? r % 8 : 7 - r % 8;
}

// The substitution as S-box rows for the vector path: rows[16 j + v] = table j entry v
// shifted back down. Returns false when some entry has bits outside the byte at 4 j (only
// a header written by other means than Init has such entries); the vector path, which
// looks up bytes, would then compute something else, so the table path must be used.
bool RowsOfTables(const Header& s, uint8_t* rows) noexcept {
    uint32_t stray = 0;
    for (int j = 0; j < 8; ++j) {
        for (int v = 0; v < 16; ++v) {
            const uint32_t entry = s.substitutionTables[j][v];
            rows[16 * j + v] = static_cast<uint8_t>(entry >> (4 * j));
            stray |= entry & ~(0xFFu << (4 * j));
        }
    }
    return stray == 0;
}

// Blocks per batch of the many-block path: the batch's cycle inputs are gathered, run
// through the cycle together, then combined with the input.
constexpr std::size_t kBatchBlocks = 64;

// The working memory of one many-block call; wiped when it ends.
struct BlockEngine {
    TableCopy tables;
    alignas(32) uint32_t words[2 * kBatchBlocks];
    uint32_t roundKeys[32];
    uint8_t rows[128];
    GOST28147VectorUnit unit;

    BlockEngine(const Header& s, bool encrypt, GOST28147VectorUnit vectorUnit) noexcept {
        for (int j = 0; j < 8; ++j) {
            for (int v = 0; v < 16; ++v) tables.t[j][v] = s.substitutionTables[j][v];
        }
        for (int r = 0; r < 32; ++r) roundKeys[r] = s.subkeys[KeyIndex(encrypt, r)];
        unit = vectorUnit;
        if (unit != GOST28147VectorUnit::kNone && !RowsOfTables(s, rows)) {
            unit = GOST28147VectorUnit::kNone;
        }
    }
    ~BlockEngine() { SecureWipe(this, sizeof *this); }
    BlockEngine(const BlockEngine&) = delete;
    BlockEngine& operator=(const BlockEngine&) = delete;

    // The full cycle on the first `count` blocks of `words`.
    void Cycle(std::size_t count) noexcept {
        const auto key = [this](int, int r) { return roundKeys[r]; };
        if (unit != GOST28147VectorUnit::kNone) {
            // Groups of eight; a short last group is padded (its extra lanes are ignored).
            const std::size_t padded = (count + 7) / 8 * 8;
            for (std::size_t i = 2 * count; i < 2 * padded; ++i) words[i] = 0;
            GOST28147CycleBlocksVector(unit, rows, roundKeys, words, padded);
            return;
        }
        std::size_t i = 0;
        for (; i + 8 <= count; i += 8) CycleLanes<8>(tables, key, words + 2 * i);
        for (; i < count; ++i) CycleLanes<1>(tables, key, words + 2 * i);
    }
};

// Simple replacement, gamma and feedback decryption: every block's cycle input is known
// before the call, so the cycles of a batch run side by side.
void IndependentBlocks(Header& s, uint8_t* output, const uint8_t* input, std::size_t blockCount,
                       GOST28147VectorUnit unit) noexcept {
    const uint16_t mode = s.mode;
    const bool encrypt =
        s.direction != 0 || mode == GOST28147ModeGamma || mode == GOST28147ModeGammaFeedback;
    BlockEngine engine(s, encrypt, unit);
    uint32_t* const words = engine.words;
    uint32_t n1 = s.workRegister[0], n2 = s.workRegister[1];
    for (std::size_t done = 0; done < blockCount;) {
        const std::size_t count = std::min(kBatchBlocks, blockCount - done);
        const uint8_t* in = input + 8 * done;
        uint8_t* out = output + 8 * done;
        switch (mode) {
            case GOST28147ModeGamma:
                // The counter steps before every block; the register keeps the counter.
                for (std::size_t i = 0; i < count; ++i) {
                    n1 += kGammaStep1;
                    n2 = StepCounterWord(n2);
                    words[2 * i] = n1;
                    words[2 * i + 1] = n2;
                }
                break;
            case GOST28147ModeGammaFeedback:
                // Block i's gamma encrypts ciphertext block i - 1 (the register for the
                // first). The batch's last ciphertext is read before any output is written,
                // so in-place calls feed back the ciphertext too.
                words[0] = n1;
                words[1] = n2;
                for (std::size_t i = 1; i < count; ++i) {
                    words[2 * i] = LoadLE32(in + 8 * (i - 1));
                    words[2 * i + 1] = LoadLE32(in + 8 * (i - 1) + 4);
                }
                n1 = LoadLE32(in + 8 * (count - 1));
                n2 = LoadLE32(in + 8 * (count - 1) + 4);
                break;
            default:
                for (std::size_t i = 0; i < 2 * count; ++i) words[i] = LoadLE32(in + 4 * i);
                break;
        }
        engine.Cycle(count);
        if (mode == GOST28147ModeGamma || mode == GOST28147ModeGammaFeedback) {
            for (std::size_t i = 0; i < 2 * count; ++i) {
                StoreLE32(out + 4 * i, LoadLE32(in + 4 * i) ^ words[i]);
            }
        } else {
            for (std::size_t i = 0; i < 2 * count; ++i) StoreLE32(out + 4 * i, words[i]);
        }
        done += count;
    }
    if (mode == GOST28147ModeGamma || mode == GOST28147ModeGammaFeedback) {
        SetRegister(s, n1, n2);
    }
}

// Feedback encryption and the MAC step: each block's cycle needs the previous result, so
// the blocks go one after another, with the tables in an aligned copy.
void ChainedBlocks(Header& s, uint8_t* output, const uint8_t* input,
                   std::size_t blockCount) noexcept {
    const bool mac = s.mode == GOST28147ModeMacStep;
    TableCopy tables;
    for (int j = 0; j < 8; ++j) {
        for (int v = 0; v < 16; ++v) tables.t[j][v] = s.substitutionTables[j][v];
    }
    uint32_t n1 = s.workRegister[0], n2 = s.workRegister[1];
    for (std::size_t i = 0; i < blockCount; ++i) {
        const uint32_t in1 = LoadLE32(input + 8 * i), in2 = LoadLE32(input + 8 * i + 4);
        if (mac) {
            n1 ^= in1;
            n2 ^= in2;
            MacCycle(tables, s, n1, n2);
        } else {
            FullCycle<true>(tables, s, n1, n2);
            n1 ^= in1;
            n2 ^= in2;
        }
        StoreLE32(output + 8 * i, n1);
        StoreLE32(output + 8 * i + 4, n2);
    }
    SetRegister(s, n1, n2);
    SecureWipe(&tables, sizeof tables);
}

}  // namespace

void GOST28147Init(Header& state, const uint8_t* sBox, uint8_t direction, uint16_t mode,
                   const uint8_t* key, const uint8_t* synchro) noexcept {
    for (int j = 0; j < 8; ++j) {
        for (int v = 0; v < 16; ++v) {
            state.substitutionTables[j][v] = static_cast<uint32_t>(sBox[16 * j + v]) << (4 * j);
        }
    }
    state.direction = direction;
    state.mode = mode;
    SetKey(state, key);

    // Only the gamma modes read the synchro.
    switch (mode) {
        case GOST28147ModeGamma:
        case GOST28147ModeGammaFeedback: {
            uint32_t n1 = synchro != nullptr ? LoadLE32(synchro) : 0;
            uint32_t n2 = synchro != nullptr ? LoadLE32(synchro + 4) : 0;
            if (mode == GOST28147ModeGamma) FullCycle<true>(HeaderTables{state}, state, n1, n2);
            SetRegister(state, n1, n2);
            break;
        }
        case GOST28147ModeMacStep:
            SetRegister(state, 0, 0);
            break;
        default:  // simple replacement carries nothing in the register
            break;
    }
}

void GOST28147Action(Header& state, uint8_t* output, const uint8_t* input) noexcept {
    const HeaderTables tables{state};
    const uint32_t in1 = LoadLE32(input);
    const uint32_t in2 = LoadLE32(input + 4);
    uint32_t n1 = state.workRegister[0];
    uint32_t n2 = state.workRegister[1];
    uint32_t out1, out2;
    switch (state.mode) {
        case GOST28147ModeGamma: {
            // The counter steps before every block, the first one included; the register
            // keeps the counter, not the gamma.
            n1 += kGammaStep1;
            n2 = StepCounterWord(n2);
            SetRegister(state, n1, n2);
            FullCycle<true>(tables, state, n1, n2);
            out1 = in1 ^ n1;
            out2 = in2 ^ n2;
            break;
        }
        case GOST28147ModeGammaFeedback:
            FullCycle<true>(tables, state, n1, n2);
            out1 = in1 ^ n1;
            out2 = in2 ^ n2;
            // The ciphertext is fed back: the output when encrypting, the input (read above,
            // so also for an in-place call) when decrypting.
            if (state.direction != 0) {
                SetRegister(state, out1, out2);
            } else {
                SetRegister(state, in1, in2);
            }
            break;
        case GOST28147ModeMacStep:
            n1 ^= in1;
            n2 ^= in2;
            MacCycle(tables, state, n1, n2);
            SetRegister(state, n1, n2);
            out1 = n1;
            out2 = n2;
            break;
        default:
            out1 = in1;
            out2 = in2;
            if (state.direction != 0) {
                FullCycle<true>(tables, state, out1, out2);
            } else {
                FullCycle<false>(tables, state, out1, out2);
            }
            break;
    }
    StoreLE32(output, out1);
    StoreLE32(output + 4, out2);
}

void GOST28147ActionBlocks(Header& state, uint8_t* output, const uint8_t* input,
                           std::size_t blockCount, GOST28147VectorUnit unit) noexcept {
    if (blockCount == 0) return;
    const uint16_t mode = state.mode;
    if (mode == GOST28147ModeMacStep ||
        (mode == GOST28147ModeGammaFeedback && state.direction != 0)) {
        ChainedBlocks(state, output, input, blockCount);
    } else {
        IndependentBlocks(state, output, input, blockCount, unit);
    }
}

void GOST28147EncryptBlock(const Header& state, uint8_t* output, const uint8_t* input) noexcept {
    uint32_t n1 = LoadLE32(input);
    uint32_t n2 = LoadLE32(input + 4);
    FullCycle<true>(HeaderTables{state}, state, n1, n2);
    StoreLE32(output, n1);
    StoreLE32(output + 4, n2);
}

void GOST28147EncryptUnderFourKeys(const uint8_t* sBox, const uint32_t* keys, uint32_t* words,
                                   GOST28147VectorUnit unit) noexcept {
    if (unit != GOST28147VectorUnit::kNone) {
        GOST28147EncryptFourKeysVector(unit, sBox, keys, words);
        return;
    }
    TableCopy tables;
    for (int j = 0; j < 8; ++j) {
        for (int v = 0; v < 16; ++v) {
            tables.t[j][v] = static_cast<uint32_t>(sBox[16 * j + v]) << (4 * j);
        }
    }
    CycleLanes<4>(
        tables, [keys](int lane, int r) { return keys[8 * lane + KeyIndex(true, r)]; }, words);
    SecureWipe(&tables, sizeof tables);
}

void GOST28147Done(Header& state) noexcept {
    SecureWipe(&state, sizeof state);
}

}  // namespace QIRVALE

// ---------------------------------------------------------------------------------------
// Exports
// ---------------------------------------------------------------------------------------

QIRVALE_EXPORT(void)
QIRVALEGOST28147CipherInit(GOST28147CipherStateHeader* header, const uint8_t* sBox,
                           uint8_t direction, uint16_t mode, const uint8_t* key,
                           const uint8_t* synchro) {
    QIRVALE::GOST28147Init(*header, sBox, direction, mode, key, synchro);
}

QIRVALE_EXPORT(void)
QIRVALEGOST28147CipherAction(GOST28147CipherStateHeader* header, uint8_t* output,
                             const uint8_t* input) {
    QIRVALE::GOST28147Action(*header, output, input);
}

QIRVALE_EXPORT(void)
QIRVALEGOST28147CipherActionBlocks(GOST28147CipherStateHeader* header, uint8_t* output,
                                   const uint8_t* input, uint32_t blockCount) {
    QIRVALE::GOST28147ActionBlocks(*header, output, input, blockCount,
                                   QIRVALE::GOST28147VectorUnitOfProcessor());
}

QIRVALE_EXPORT(void) QIRVALEGOST28147CipherDone(GOST28147CipherStateHeader* header) {
    QIRVALE::GOST28147Done(*header);
}

QIRVALE_EXPORT(GOST28147CipherStateHeader*) QIRVALEGOST28147CipherStateHeaderAllocate(void) {
    return QIRVALE::AllocateBlock<GOST28147CipherStateHeader>();
}

QIRVALE_EXPORT(void) QIRVALEGOST28147CipherStateHeaderFree(GOST28147CipherStateHeader* header) {
    QIRVALE::FreeWiped(header, sizeof(GOST28147CipherStateHeader));
}

QIRVALE_EXPORT(uint32_t) QIRVALEGOST28147CipherStateHeaderSizeOf(void) {
    return sizeof(GOST28147CipherStateHeader);
}
