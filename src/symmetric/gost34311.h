// GOST 34.311-95 hash on the caller-visible state header.
//
// The state lives in a GOST34311HashStateHeader (qirvale.h). Every 256-bit quantity (hash
// value, start value, message block, length counter, checksum) is a 32-byte little-endian
// string, and message bits are taken least significant bit first within each byte. Each
// block step encrypts the four 64-bit sub-blocks of the chaining value with GOST 28147
// (gost28147.h) on a fresh cipher state, under the S-box the hash was started with.
#pragma once

#include <cstdint>

#include "qirvale.h"

namespace QIRVALE {

// The S-box of the standard's worked example (its test parameter set), in the 128-byte
// layout of the cipher.
extern const uint8_t kGOST34311SampleSBox[128];

// Starts a hash: copies the 128-byte S-box, sets the chaining value to the 32-byte start
// value (zero when null) and clears the length, checksum and block buffer.
void GOST34311Init(GOST34311HashStateHeader& state, const uint8_t* sBox,
                   const uint8_t* startHash) noexcept;

// Appends `bitCount` message bits: bitCount / 8 whole bytes of `data`, then the low
// bitCount % 8 bits of the next byte. If the previous call ended inside a byte, that byte is
// first closed with zero bits, which count in the length. Whole blocks are hashed straight
// from `data`; only a partial block is buffered. The count is 64-bit so that every 32-bit
// byte count of the byte-wise interface fits without wrapping.
void GOST34311Append(GOST34311HashStateHeader& state, const uint8_t* data,
                     uint64_t bitCount) noexcept;

// The step function H <- chi(M, H) under the 128-byte S-box. `m` must not overlap `h`.
void GOST34311Step(const uint8_t* sBox, uint8_t* h, const uint8_t* m) noexcept;

// Finishes the hash into the 32-byte `hash` and wipes the whole state. With a null `hash`
// it only wipes the state.
void GOST34311Finish(GOST34311HashStateHeader& state, uint8_t* hash) noexcept;

}  // namespace QIRVALE
