// GOST 28147-89: simple replacement, gamma, gamma with feedback and the MAC step, one 8-byte
// block per call, on the caller-visible state header.
#include "symmetric/gost28147.h"

#include <cstddef>
#include <utility>

#include "frame/export.h"
#include "frame/memory.h"
#include "symmetric/byte_order.h"

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

// f(x): eight lookups in the pre-shifted tables, ORed. The entries are not masked, so an
// S-box byte above 15 spills into the neighbouring nibbles of the result.
inline uint32_t Substitute(const Header& s, uint32_t x) noexcept {
    return s.substitutionTables[0][x & 15] | s.substitutionTables[1][x >> 4 & 15] |
           s.substitutionTables[2][x >> 8 & 15] | s.substitutionTables[3][x >> 12 & 15] |
           s.substitutionTables[4][x >> 16 & 15] | s.substitutionTables[5][x >> 20 & 15] |
           s.substitutionTables[6][x >> 24 & 15] | s.substitutionTables[7][x >> 28];
}

// One round on the working pair: (A, B) <- (f(A + k) <<< 11 XOR B, A). It always exchanges
// the halves; the cycles below account for the last round, which does not.
inline void Round(const Header& s, uint32_t key, uint32_t& a, uint32_t& b) noexcept {
    uint32_t t = Substitute(s, a + key);
    t = ((t << 11) | (t >> 21)) ^ b;
    b = a;
    a = t;
}

// Blocks going through a cycle together, each with its own key words and working pair
// (A = a[i], B = b[i]). A round is one chain of dependent steps, so running several
// independent blocks round by round side by side keeps the processor busy.
template <int Lanes>
struct LaneSet {
    uint32_t key[Lanes][8];
    uint32_t a[Lanes];
    uint32_t b[Lanes];
};

// Eight rounds, with K0..K7 (forward) or K7..K0, in every lane.
template <int Lanes>
inline void KeyPass(const Header& s, LaneSet<Lanes>& x, bool forward) noexcept {
    for (int r = 0; r < 8; ++r) {
        const int i = forward ? r : 7 - r;
        for (int lane = 0; lane < Lanes; ++lane) Round(s, x.key[lane][i], x.a[lane], x.b[lane]);
    }
}

enum class KeyOrder { Encryption, Decryption };

// The 32-round cycle. Encryption uses K0..K7 three times, then K7..K0; decryption K0..K7
// once, then K7..K0 three times. The last round of a cycle writes B and keeps A, which is
// Round() followed by exchanging the halves back. Afterwards (a, b) is the output block.
template <int Lanes>
void FullCycle(const Header& s, KeyOrder order, LaneSet<Lanes>& x) noexcept {
    const bool middleForward = order == KeyOrder::Encryption;
    KeyPass(s, x, true);
    KeyPass(s, x, middleForward);
    KeyPass(s, x, middleForward);
    KeyPass(s, x, false);
    for (int lane = 0; lane < Lanes; ++lane) std::swap(x.a[lane], x.b[lane]);
}

// One block (n1, n2) under the state's own key.
void FullCycle(const Header& s, KeyOrder order, uint32_t& n1, uint32_t& n2) noexcept {
    LaneSet<1> x;
    for (int i = 0; i < 8; ++i) x.key[0][i] = s.subkeys[i];
    x.a[0] = n1;
    x.b[0] = n2;
    FullCycle(s, order, x);
    n1 = x.a[0];
    n2 = x.b[0];
    SecureWipe(&x, sizeof x);  // no copy of the key words stays behind on the stack
}

// The MAC step's cycle: 16 rounds with K0..K7 twice. Here the last round writes B as well,
// and the step then stores (b, a) into (N1, N2): taken together, every one of the 16 rounds
// ends with the exchange of halves, which is Round() as it stands.
void MacCycle(const Header& s, uint32_t& n1, uint32_t& n2) noexcept {
    LaneSet<1> x;
    for (int i = 0; i < 8; ++i) x.key[0][i] = s.subkeys[i];
    x.a[0] = n1;
    x.b[0] = n2;
    KeyPass(s, x, true);
    KeyPass(s, x, true);
    n1 = x.a[0];
    n2 = x.b[0];
    SecureWipe(&x, sizeof x);
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
            if (mode == GOST28147ModeGamma) FullCycle(state, KeyOrder::Encryption, n1, n2);
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
            FullCycle(state, KeyOrder::Encryption, n1, n2);
            out1 = in1 ^ n1;
            out2 = in2 ^ n2;
            break;
        }
        case GOST28147ModeGammaFeedback:
            FullCycle(state, KeyOrder::Encryption, n1, n2);
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
            MacCycle(state, n1, n2);
            SetRegister(state, n1, n2);
            out1 = n1;
            out2 = n2;
            break;
        default:
            out1 = in1;
            out2 = in2;
            FullCycle(state, state.direction != 0 ? KeyOrder::Encryption : KeyOrder::Decryption,
                      out1, out2);
            break;
    }
    StoreLE32(output, out1);
    StoreLE32(output + 4, out2);
}

void GOST28147EncryptBlock(const Header& state, uint8_t* output, const uint8_t* input) noexcept {
    uint32_t n1 = LoadLE32(input);
    uint32_t n2 = LoadLE32(input + 4);
    FullCycle(state, KeyOrder::Encryption, n1, n2);
    StoreLE32(output, n1);
    StoreLE32(output + 4, n2);
}

void GOST28147EncryptUnderFourKeys(const Header& state, const uint8_t* keys, uint8_t* output,
                                   const uint8_t* input) noexcept {
    LaneSet<4> x;
    for (int lane = 0; lane < 4; ++lane) {
        for (int i = 0; i < 8; ++i) x.key[lane][i] = LoadLE32(keys + 32 * lane + 4 * i);
        x.a[lane] = LoadLE32(input + 8 * lane);
        x.b[lane] = LoadLE32(input + 8 * lane + 4);
    }
    FullCycle(state, KeyOrder::Encryption, x);
    for (int lane = 0; lane < 4; ++lane) {
        StoreLE32(output + 8 * lane, x.a[lane]);
        StoreLE32(output + 8 * lane + 4, x.b[lane]);
    }
    SecureWipe(&x, sizeof x);
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
