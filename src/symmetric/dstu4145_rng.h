// The DSTU 4145-2002 pseudo-random bit generator on the caller-visible header.
//
// A DSTU4145RNGHeader (qirvale.h) embeds a GOST 28147 cipher state set up for simple
// replacement in the encryption direction, I = E(D) and the running value s. Each step makes
// one block x = E(I ^ s) and moves s to E(x ^ I). Output bits are packed least significant
// bit first: bit j of the stream lands in byte j / 8 at bit j % 8.
#pragma once

#include <cstdint>

#include "qirvale.h"

namespace QIRVALE {

// Starts the generator from the standard's inputs: the 128-byte cipher S-box, the 32-byte
// key, the 8-byte start value s and the 8-byte date-time value D.
void DSTU4145RNGCreate(DSTU4145RNGHeader& generator, const uint8_t* sBox, const uint8_t* key,
                       const uint8_t* startValue, const uint8_t* dateTime) noexcept;

// Starts the generator from a seed of at least 4 bytes: h1 = hash(seed), h2 = hash(seed ||
// h1), both with the hash S-box and start value (null meaning zero); the key is h1, s is
// bytes 0..7 of h2 and D is `dateTime` or, when null, bytes 24..31 of h2. Returns 1 and
// leaves the header as it was for a shorter seed, else 0.
uint32_t DSTU4145RNGCreateExt(DSTU4145RNGHeader& generator, const uint8_t* seed,
                              uint32_t seedLength, const uint8_t* hashSBox,
                              const uint8_t* hashStart, const uint8_t* dateTime,
                              const uint8_t* cipherSBox) noexcept;

// Writes ceil(bitCount / 8) bytes holding the next bitCount bits of the stream, taking the
// low min(max(bitsPerStep, 1), 64) bits of each step's block (only the last step may give
// fewer). The high bits of the last byte beyond bitCount are zero.
void DSTU4145RNGGenerate(DSTU4145RNGHeader& generator, uint8_t* output, uint32_t bitCount,
                         uint16_t bitsPerStep) noexcept;

// Wipes the embedded cipher state, then the whole header.
void DSTU4145RNGDestroy(DSTU4145RNGHeader& generator) noexcept;

}  // namespace QIRVALE
