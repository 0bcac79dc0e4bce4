// GOST 28147-89 block cipher on the caller-visible state header.
//
// The whole cipher state lives in a GOST28147CipherStateHeader (qirvale.h): the key words,
// the S-box expanded into eight shifted 32-bit tables, the direction, the mode and the 64-bit
// working register N1, N2. A 64-bit block in memory is two little-endian words, N1 first.
// The hash (gost34311.h) and the random bit generator (dstu4145_rng.h) drive the cipher
// through these functions on headers of their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qirvale.h"
#include "symmetric/gost28147_vector.h"

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

// Processes `blockCount` 8-byte blocks exactly as that many successive Action calls would:
// the same output blocks and the same final state. `output` may equal `input`; the two must
// not overlap otherwise. Simple replacement, gamma and feedback decryption run the cycles of
// many blocks side by side, in vector registers with `unit` (kNone: portable table code;
// otherwise a unit the processor has, GOST28147VectorUnitOfProcessor() or one below it);
// feedback encryption and the MAC step are chained and go block by block.
void GOST28147ActionBlocks(GOST28147CipherStateHeader& state, uint8_t* output, const uint8_t* input,
                           std::size_t blockCount, GOST28147VectorUnit unit) noexcept;

// The 32-round encryption of one block (simple replacement in encryption order), whatever
// the stored direction and mode; the state is not changed. `output` may equal `input`.
void GOST28147EncryptBlock(const GOST28147CipherStateHeader& state, uint8_t* output,
                           const uint8_t* input) noexcept;

// The 32-round encryption of four blocks at once under the 128-byte S-box `sBox` (no
// header needed): block i, stored as its words N1, N2 at words[2 i], words[2 i + 1], under
// the key words keys[8 i .. 8 i + 7] (K0..K7), in place. The four cycles run side by side,
// in vector registers with `unit` (as for ActionBlocks).
void GOST28147EncryptUnderFourKeys(const uint8_t* sBox, const uint32_t* keys, uint32_t* words,
                                   GOST28147VectorUnit unit) noexcept;

// Overwrites the whole state, key material included, with zeros.
void GOST28147Done(GOST28147CipherStateHeader& state) noexcept;

}  // namespace QIRVALE
