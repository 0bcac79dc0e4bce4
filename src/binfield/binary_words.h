// Binary polynomials on arrays of 64-bit words: the working representation of the
// polynomial-basis field.
//
// A polynomial is an array of words, least significant first; bit i of the array is the
// coefficient of t^i. Functions take the array and its word count; a count of 0 is the zero
// polynomial. Nothing here allocates, and apart from an oversized WordScratch nothing throws:
// callers size their buffers and check capacity limits before calling.
//
// The conversions to and from LongIntegerClass read and write the digit array directly and
// never normalise their source, so a shared, read-only value (a curve coefficient, a field
// polynomial) may be read by several threads at once.
#pragma once

#include <cstdint>

#include "frame/memory.h"
#include "longint/long_integer.h"

namespace QIRVALE {
namespace BinaryWords {

// 8192 bits, the capacity of a LongIntegerClass.
constexpr uint32_t kValueWords = LongIntegerMaxDigits / 4;
// Room for a product of two values of kValueWords words, plus slack for shifted writes.
constexpr uint32_t kScratchWords = 2 * kValueWords + 2;

inline uint32_t WordsForBits(uint32_t bits) {
    return (bits + 63) / 64;
}

// A stack buffer of `count` words (at most kScratchWords; more raises AssertExceptionClass):
// zeroed on construction, wiped on destruction. Users never touch words at or above count().
class WordScratch {
  public:
    explicit WordScratch(uint32_t count) : wordCount(count) {
        // Callers size their buffers from the capacity of a LongIntegerClass; a larger request
        // is a fault of this library, reported like every other internal failure.
        if (count > kScratchWords) Oversized();
        for (uint32_t i = 0; i < wordCount; ++i) words[i] = 0;
    }
    ~WordScratch() { SecureWipe(words, wordCount * sizeof(uint64_t)); }
    WordScratch(const WordScratch&) = delete;
    WordScratch& operator=(const WordScratch&) = delete;

    uint64_t* data() { return words; }
    const uint64_t* data() const { return words; }
    uint32_t count() const { return wordCount; }
    uint64_t& operator[](uint32_t i) { return words[i]; }
    uint64_t operator[](uint32_t i) const { return words[i]; }

  private:
    [[noreturn]] static void Oversized();

    uint64_t words[kScratchWords];
    uint32_t wordCount;
};

// ---- LongIntegerClass views (no normalisation of the source) -----------------------------

// Bit length of the value, read from the stored digits.
uint32_t BitLengthOf(const LongIntegerClass& a);
inline bool IsZeroValue(const LongIntegerClass& a) {
    return BitLengthOf(a) == 0;
}
// Writes the low `bits` bits of `a` into w[0 .. WordsForBits(bits)) and returns the number
// of significant words among them.
uint32_t LoadLowBits(const LongIntegerClass& a, uint32_t bits, uint64_t* w);
// r = the n words of w (n <= kValueWords). The old digits of r are wiped first.
void StoreWords(LongIntegerClass& r, const uint64_t* w, uint32_t n);

// ---- word-array helpers ------------------------------------------------------------------

// Word count without leading zero words.
uint32_t Trim(const uint64_t* w, uint32_t n);
// Bit length (degree + 1), 0 for zero.
uint32_t BitLength(const uint64_t* w, uint32_t n);
// Clears every bit at or above `bits`; n becomes the trimmed count.
void KeepLowBits(uint64_t* w, uint32_t& n, uint32_t bits);
// dst ^= src * t^shift. dst must have room for srcCount + shift / 64 + 1 words.
void XorShifted(uint64_t* dst, const uint64_t* src, uint32_t srcCount, uint32_t shift);
bool EqualWords(const uint64_t* a, uint32_t na, const uint64_t* b, uint32_t nb);

// c = a * b over GF(2)[t]; c receives na + nb words (the caller provides them). na, nb <=
// kValueWords.
void MultiplyPolynomials(const uint64_t* a, uint32_t na, const uint64_t* b, uint32_t nb,
                         uint64_t* c);
// c = a^2 over GF(2)[t]; c receives 2 * na words.
void SquarePolynomial(const uint64_t* a, uint32_t na, uint64_t* c);

// Reduction modulo t^m + sum of t^e over `terms` (each e < m, all distinct). Terms that
// cancel (a term 0 listed twice) must be removed by the caller.
class ReductionRule {
  public:
    // `terms` must outlive the rule; termCount may be 0 (reduction is then truncation).
    ReductionRule(uint32_t degree, const uint32_t* terms, uint32_t termCount);
    uint32_t Degree() const { return degree; }
    // c mod f in place, whatever the degree of c; c has n words of which the array holds at
    // least n + 1 (one slack word). n becomes the trimmed count (<= WordsForBits(m)).
    void Reduce(uint64_t* c, uint32_t& n) const;

  private:
    uint32_t degree;
    const uint32_t* terms;
    uint32_t termCount;
    // Distances m - e below 64: terms whose fold lands inside the 64-bit chunk being folded.
    uint32_t nearShifts[64];
    uint32_t nearCount;
    // For the first terms: word and bit distance of the fold of a whole word.
    static constexpr uint32_t kWordStepTerms = 8;
    uint32_t wordStep[kWordStepTerms];
    uint32_t bitStep[kWordStepTerms];
};

// gcd(a, b) over GF(2)[t], destroying both inputs; the result is left in one of them and
// returned as a pointer with its word count. Both arrays need one slack word.
const uint64_t* GreatestCommonDivisor(uint64_t* a, uint32_t na, uint64_t* b, uint32_t nb,
                                      uint32_t& resultCount);

}  // namespace BinaryWords
}  // namespace QIRVALE
