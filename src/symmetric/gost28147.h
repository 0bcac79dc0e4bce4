// GOST 28147-89 block cipher on the caller-visible state header.
//
// The whole cipher state lives in a GOST28147CipherStateHeader (qirvale.h): the key words,
// the S-box expanded into eight shifted 32-bit tables, the direction, the mode and the 64-bit
// working register N1, N2. A 64-bit block in memory is two little-endian words, N1 first.
// The hash (gost34311.h) and the random bit generator (dstu4145_rng.h) drive the cipher
// through these functions on headers of their own.
#pragma once

#include <cstdint>

#include "qirvale.h"

namespace QIRVALE {

// Values of the header's mode field. Every other value acts as simple replacement.
enum GOST28147Mode : uint16_t {
    GOST28147ModeSimpleReplacement = 0,
    GOST28147ModeGamma = 1,
    GOST28147ModeGammaFeedback = 2,
    GOST28147ModeMacStep = 3,
};

// Sets up `state` completely, except that simple replacement leaves workRegister as it was:
// expands the 128-byte S-box (row j substitutes bits 4j..4j+3; entries are used unmasked),
// stores direction and mode, loads the 32-byte key and prepares the register. `synchro` (8
// bytes, null meaning zero) is encrypted to start the gamma counter, is the first feedback
// value of gamma with feedback, and is ignored by the MAC step, which starts from zero.
void GOST28147Init(GOST28147CipherStateHeader& state, const uint8_t* sBox, uint8_t direction,
                   uint16_t mode, const uint8_t* key, const uint8_t* synchro) noexcept;

// Processes one 8-byte block in the stored mode. `output` may equal `input`: the whole input
// block is read before anything is written.
void GOST28147Action(GOST28147CipherStateHeader& state, uint8_t* output,
                     const uint8_t* input) noexcept;

// The 32-round encryption of one block (simple replacement in encryption order), whatever
// the stored direction and mode; the state is not changed. `output` may equal `input`.
void GOST28147EncryptBlock(const GOST28147CipherStateHeader& state, uint8_t* output,
                           const uint8_t* input) noexcept;

// The 32-round encryption of four blocks at once with the expanded S-box of `state`: block
// i (bytes 8i..8i+7 of `input`) under the 32-byte key at keys + 32i. The state's own key,
// direction and mode are not used, and the state is not changed. The four cycles run side
// by side, which is several times faster than one after another. `output` may equal
// `input`.
void GOST28147EncryptUnderFourKeys(const GOST28147CipherStateHeader& state, const uint8_t* keys,
                                   uint8_t* output, const uint8_t* input) noexcept;

// Overwrites the whole state, key material included, with zeros.
void GOST28147Done(GOST28147CipherStateHeader& state) noexcept;

}  // namespace QIRVALE
