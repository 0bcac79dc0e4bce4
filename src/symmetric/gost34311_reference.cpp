#include "symmetric/gost34311_reference.h"

#include <cstddef>
#include <cstring>

#include "frame/memory.h"
#include "symmetric/byte_order.h"
#include "symmetric/gost28147.h"
#include "symmetric/gost28147_reference.h"

namespace QIRVALE {
namespace GOST34311Reference {

namespace {

constexpr std::size_t kBlockBytes = 32;

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
void TransformP(const uint8_t* y, uint8_t* out) noexcept {
    for (std::size_t t = 0; t < kBlockBytes; ++t) out[t] = y[8 * (t % 4) + t / 4];
}

// psi^N on sixteen 16-bit words (w0 = bytes 0..1): N times, drop w0 and append
// w0 ^ w1 ^ w2 ^ w3 ^ w12 ^ w15.
void PsiPower(int n, uint16_t (&w)[16]) noexcept {
    for (int step = 0; step < n; ++step) {
        const uint16_t next = w[0] ^ w[1] ^ w[2] ^ w[3] ^ w[12] ^ w[15];
        std::memmove(w, w + 1, 15 * sizeof w[0]);
        w[15] = next;
    }
}

void XorWords(uint16_t (&w)[16], const uint8_t* bytes) noexcept {
    for (int i = 0; i < 16; ++i) w[i] ^= LoadLE16(bytes + 2 * i);
}

}  // namespace

void Step(const uint8_t* sBox, uint8_t* h, const uint8_t* m) noexcept {
    struct Temporaries {
        uint8_t keys[4][kBlockBytes];
        uint8_t u[kBlockBytes], v[kBlockBytes], sum[kBlockBytes], s[kBlockBytes];
        uint16_t words[16];
        GOST28147CipherStateHeader cipher;
    } t{};

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

    // Encryption: s_i = E_{K_i}(h_i), each on a fresh cipher state.
    for (int i = 0; i < 4; ++i) {
        GOST28147Init(t.cipher, sBox, 1, GOST28147ModeSimpleReplacement, t.keys[i], nullptr);
        GOST28147Reference::Action(t.cipher, t.s + 8 * i, h + 8 * i);
        GOST28147Done(t.cipher);
    }

    // Mixing: H <- psi^61(H ^ psi(M ^ psi^12(S))).
    for (int i = 0; i < 16; ++i) t.words[i] = LoadLE16(t.s + 2 * i);
    PsiPower(12, t.words);
    XorWords(t.words, m);
    PsiPower(1, t.words);
    XorWords(t.words, h);
    PsiPower(61, t.words);
    for (int i = 0; i < 16; ++i) StoreLE16(h + 2 * i, t.words[i]);

    SecureWipe(&t, sizeof t);
}

}  // namespace GOST34311Reference
}  // namespace QIRVALE
