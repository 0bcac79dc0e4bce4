// GOST 34.310-95 domain parameters: the primes p and q (q divides p - 1) made by the
// standard's deterministic procedures from a caller seed, and the element a of order q.
//
// Both procedures are driven by a linear congruential generator and accept a candidate prime
// by two powers of 2 (a Fermat-style test), so the same seed always gives the same p and q.
// The procedures search until they accept a candidate; this code bounds every search without
// changing any result a search would reach:
//  - an attempt (one draw of generator words and the scan of its candidate range) depends on
//    nothing but the generator state it starts from, so a start state met a second time means
//    that every later attempt repeats one that already failed; the search is then refused;
//  - sizes for which no candidate can ever lie in range are refused before any work;
//  - sizes whose arithmetic cannot fit a LongIntegerClass raise the capacity exception before
//    any work instead of after the lower levels have been built.
#pragma once

#include <cstdint>
#include <unordered_set>

#include "longint/long_integer.h"

namespace QIRVALE {
namespace GOST34310 {

// Largest bit length of a generated prime. A candidate is tested with ModExp modulo itself,
// and ModExp keeps every product within capacity only for moduli of at most 255 digits; a
// larger size raises OutOfMemoryExceptionClass at once.
constexpr uint32_t MaxPrimeBits = 16 * (LongIntegerMaxDigits / 2 - 1);

// Bit length of the cofactor Q of the long procedure, and of its fraction Y.
constexpr uint32_t LongCofactorBits = 512;
constexpr uint32_t LongFractionBits = 1024;

// ElementA tries bases d up to this bound (see ElementA).
constexpr uint32_t MaxBaseOfA = 1024;

// y <- (A * y + c) mod 2^w with w = 16 (A = 19381) or w = 32 (A = 97781173). Only the low w
// bits of x0 and c are used. With c odd the generator runs through all 2^w states.
class WordGenerator {
  public:
    WordGenerator(uint32_t width, uint32_t x0, uint32_t c);

    uint32_t Width() const { return width_; }
    uint32_t State() const { return state_; }
    void Step() { state_ = (multiplier_ * state_ + increment_) & mask_; }
    void Skip(uint32_t steps) {
        while (steps-- > 0) Step();
    }
    // The current state, then one step.
    uint32_t TakeWord() {
        const uint32_t word = state_;
        Step();
        return word;
    }
    // sum of word_i * 2^(w * i) over `count` successive words, the first one least significant.
    LongIntegerClass TakeNumber(uint32_t count);

  private:
    uint32_t width_;
    uint32_t mask_;
    uint32_t multiplier_;
    uint32_t increment_;
    uint32_t state_;
};

// The start states of the attempts of one search. Enter() is false for a state seen before.
class AttemptHistory {
  public:
    bool Enter(uint32_t state) { return states_.insert(state).second; }

  private:
    std::unordered_set<uint32_t> states_;
};

// The smallest prime of `bits` bits for bits <= width: 32771 (w = 16) or 0x8000000B (w = 32)
// when bits = width, 1 when bits < 2, otherwise the first prime from 2^(bits-1) + 1 upwards.
uint32_t SmallestPrimeOfBits(uint32_t bits, uint32_t width);

// The short procedure: p of t bits and q = the prime of the level below (about t/2 bits),
// with the generator continuing from its state. t <= w gives the smallest prime of t bits and
// q = 0. Returns ResultCodeNone, or ResultCodeBadValue when the attempts of a level return to
// a state already tried (the search would never end). OutOfMemoryExceptionClass for
// t > MaxPrimeBits.
uint16_t ShortProcedure(uint32_t t, WordGenerator& generator, LongIntegerClass& p,
                        LongIntegerClass& q);

// The long procedure: q from the short procedure with tq, a cofactor Q from the short
// procedure with cofactorBits (LongCofactorBits for the standard), and p = qQ(N + k) + 1 of
// tp bits, all repeated with fresh values whenever no p of tp bits is found. Codes as
// ShortProcedure, and ResultCodeBadValue before any work when tp < max(tq, 1) + cofactorBits:
// then qQ >= 2^(tp - 1), so even the smallest candidate 2qQ + 1 exceeds 2^tp. Capacity:
// OutOfMemoryExceptionClass for tq > MaxPrimeBits, or (for sizes not refused) tp >
// MaxPrimeBits.
uint16_t LongProcedure(uint32_t tp, uint32_t tq, WordGenerator& generator, LongIntegerClass& p,
                       LongIntegerClass& q, uint32_t cofactorBits = LongCofactorBits);

// The p-and-q exports: the seed checks on the low `width` bits of x0 and c
// (ResultCodeBadSeed for x0 = 0, c = 0 or c even), the short procedure of t bits or, when
// `longProcedure` is set, the long procedure of t and tq bits, then p and q into their
// buffers, both written only when both fit (else ResultCodeBufferTooSmall).
uint16_t GenerateParameters(uint32_t width, bool longProcedure, uint8_t* p, uint32_t pLength,
                            uint8_t* q, uint32_t qLength, uint32_t t, uint32_t tq, uint32_t x0,
                            uint32_t c);

// a = d^((p - 1) / q) mod p for the first d = 2, 3, ... below p - 1 that gives a != 1. Raises
// for p = 0 and q = 0. Returns ResultCodeBadValue, leaving a unspecified, when q <= 1 or q
// does not divide p - 1 (no element of order q), when every such d gives 1, and when no d up
// to MaxBaseOfA gives a != 1 and larger d remain.
uint16_t ElementA(const LongIntegerClass& p, const LongIntegerClass& q, LongIntegerClass& a);

// The a export: ElementA, then a into its buffer (ResultCodeBufferTooSmall when it does not
// fit; nothing is written on any failure).
uint16_t GenerateElementA(uint8_t* a, uint32_t aLength, const LongIntegerClass& p,
                          const LongIntegerClass& q);

}  // namespace GOST34310
}  // namespace QIRVALE
