// Word-wise kernels behind LongIntegerClass multiplication, division and exponentiation.
//
// The class stores 16-bit digits; these kernels load them into the widest word whose double
// the compiler multiplies natively (64-bit words with a 128-bit product where available, else
// 32-bit words), run the schoolbook algorithms there and store the digits back. Word arrays
// are least significant word first. None of the kernels checks capacity: LongIntegerClass
// applies its own digit-count rules before it calls them, so the limits stay those of the
// digit algorithms.
#pragma once

#include <cstdint>

#include "longint/long_integer.h"

namespace QIRVALE {
namespace WordArithmetic {

#if defined(__SIZEOF_INT128__)
using Word = uint64_t;
using DoubleWord = unsigned __int128;
#else
using Word = uint32_t;
using DoubleWord = uint64_t;
#endif

constexpr uint32_t kWordBits = 8 * sizeof(Word);
constexpr uint32_t kDigitsPerWord = sizeof(Word) / 2;
// Words of a full-capacity value.
constexpr uint32_t kMaxWords = LongIntegerMaxDigits / kDigitsPerWord;

constexpr uint32_t WordsForDigits(uint32_t digitCount) {
    return (digitCount + kDigitsPerWord - 1) / kDigitsPerWord;
}

// words[0 .. WordsForDigits(n)) = digits[0 .. n), the top word zero-padded. Returns the word
// count.
uint32_t LoadDigits(Word* words, const uint16_t* digits, uint32_t n);
// digits[0 .. n) = the low n digits of words (which must hold WordsForDigits(n) words).
void StoreDigits(uint16_t* digits, uint32_t n, const Word* words);

// r[0 .. na + nb) = a * b (na, nb >= 1). r must not overlap a or b.
void MulWords(Word* r, const Word* a, uint32_t na, const Word* b, uint32_t nb);
// r[0 .. 2n) = a * a (n >= 1). r must not overlap a.
void SquareWords(Word* r, const Word* a, uint32_t n);

// Long division of u (nu words) by v (nv words, v[nv - 1] != 0, nv <= nu <= kMaxWords):
// q[0 .. nu - nv] = u div v, r[0 .. nv) = u mod v. q and r must not overlap the inputs.
void DivModWords(Word* q, Word* r, const Word* u, uint32_t nu, const Word* v, uint32_t nv);

// Montgomery arithmetic modulo an odd m of k words (R = 2^(kWordBits * k)), with
// 1 <= k <= kMaxWords / 2. The context holds the product scratch and wipes it when destroyed.
class MontgomeryContext {
  public:
    // m[0 .. k) with m odd and m[k - 1] != 0; m must outlive the context.
    MontgomeryContext(const Word* m, uint32_t k);
    ~MontgomeryContext();
    MontgomeryContext(const MontgomeryContext&) = delete;
    MontgomeryContext& operator=(const MontgomeryContext&) = delete;

    // r = a b / R mod m and r = a^2 / R mod m, for a, b < m (k words each); r may alias the
    // operands. The sequence of operations does not depend on the values.
    void Multiply(Word* r, const Word* a, const Word* b);
    void Square(Word* r, const Word* a);

  private:
    // r = t / R mod m for the product t in t_ (t < m R).
    void Reduce(Word* r);

    const Word* m_;
    uint32_t k_;
    Word mInverse_;  // -m^-1 mod 2^kWordBits
    Word t_[kMaxWords + 1];
};

// a^e mod m for an odd modulus m of k words (m[k - 1] != 0) and any a of na words, with
// k <= kMaxWords / 2 and k + na <= kMaxWords. The exponent is read through TestBit;
// exponentBits >= 1 is its bit length. Fixed windows: every table entry is read for every
// window, and the sequence of operations depends only on the exponent's length. The result
// has k words and is below m.
void MontgomeryModExp(Word* result, const Word* a, uint32_t na, const LongIntegerClass& exponent,
                      uint32_t exponentBits, const Word* m, uint32_t k);

}  // namespace WordArithmetic
}  // namespace QIRVALE
