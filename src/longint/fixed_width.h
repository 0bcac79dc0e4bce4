// Constant-time arithmetic on fixed-width word arrays, for computations with secrets.
//
// A number is an array of Word (least significant word first, the Word of word_arithmetic.h)
// whose length is public: it comes from a modulus or from the length of a caller's byte
// string, never from the value itself. Every function below runs a sequence of operations,
// memory accesses and loop counts that depends only on those lengths and on the modulus,
// which is public: it never branches on a value, forms an address from one or takes a loop
// count from one. Choices are made with masks (all-zero or all-one words).
//
// Modulus holds an odd modulus m > 1 and computes modulo m with Montgomery multiplication
// (R = 2^(kWordBits k) for m of k words). Residues are k-word arrays below m. Outputs may
// alias inputs. Intermediate values stay in the object's scratch words, which its destructor
// wipes, or on the stack, wiped before the function returns; an object is therefore used by
// one thread at a time.
//
// Typical use, s = (e + d r) mod n for secret d and public n, r and e < n:
//     Modulus n(nWords, k);
//     n.Reduce(dReduced, dWords, dCount);       // d mod n, d of any public length
//     n.ToMontgomery(rMontgomery, r);           // r R mod n
//     n.Multiply(product, dReduced, rMontgomery);  // d r mod n
//     n.Add(s, e, product);
#pragma once

#include <cstdint>

#include "longint/word_arithmetic.h"

namespace QIRVALE {
namespace FixedWidth {

using Word = WordArithmetic::Word;
constexpr uint32_t kWordBits = WordArithmetic::kWordBits;
// The widest modulus: 4096 bits.
constexpr uint32_t kMaxWords = 4096 / kWordBits;
// The longest exponent of the variable-time exponentiations.
constexpr uint32_t kMaxExponentBits = 8192;

constexpr uint32_t WordsForBits(uint32_t bits) {
    return bits / kWordBits + (bits % kWordBits != 0 ? 1 : 0);
}
constexpr uint32_t WordsForBytes(uint32_t bytes) {
    return bytes / sizeof(Word) + (bytes % sizeof(Word) != 0 ? 1 : 0);
}

// words[0 .. count) = the little-endian number bytes[0 .. length), zero-padded; length must
// be at most count * sizeof(Word).
void LoadBytes(Word* words, uint32_t count, const uint8_t* bytes, uint32_t length);
// bytes[0 .. length) = the low `length` bytes of the number words[0 .. count), little-endian
// and zero-padded.
void StoreBytes(uint8_t* bytes, uint32_t length, const Word* words, uint32_t count);

// All ones when a[0 .. n) is zero, else zero.
Word IsZeroMask(const Word* a, uint32_t n);
// All ones when a < b (both of n words), else zero.
Word LessThanMask(const Word* a, const Word* b, uint32_t n);
// r = a + b and r = a - b over n words; the carry (borrow) out is returned as 0 or 1.
Word AddWords(Word* r, const Word* a, const Word* b, uint32_t n);
Word SubtractWords(Word* r, const Word* a, const Word* b, uint32_t n);

class OddPowers;

class Modulus {
  public:
    // m[0 .. k): odd, greater than 1, m[k - 1] != 0, 1 <= k <= kMaxWords (see Fits). The
    // modulus is public: setting up branches on it.
    Modulus(const Word* m, uint32_t k);
    // Wipes the scratch words.
    ~Modulus();
    Modulus(const Modulus&) = delete;
    Modulus& operator=(const Modulus&) = delete;
    // Whether m[0 .. k) is a modulus this class takes (public data only).
    static bool Fits(const Word* m, uint32_t k);

    uint32_t Words() const { return k_; }
    const Word* Value() const { return m_; }
    // R mod m, the residue 1 in Montgomery form.
    const Word* MontgomeryOne() const { return one_; }

    // r = (a + b) mod m and r = (a - b) mod m, for a, b < m.
    void Add(Word* r, const Word* a, const Word* b) const;
    void Subtract(Word* r, const Word* a, const Word* b) const;
    // Montgomery product r = a b / R mod m, for any k-word a (a < R) and b < m.
    void Multiply(Word* r, const Word* a, const Word* b) const;
    // r = a^2 / R mod m, for a < m.
    void Square(Word* r, const Word* a) const;
    // r = a R mod m and r = a / R mod m, for any k-word a.
    void ToMontgomery(Word* r, const Word* a) const;
    void FromMontgomery(Word* r, const Word* a) const;
    // r = x mod m for x[0 .. n) of any length n >= 1; the operations depend on n only.
    void Reduce(Word* r, const Word* x, uint32_t n) const;
    // r = base^e mod m for base < m, the exponent e read from its low exponentBits bits
    // (exponent[0 .. WordsForBits(exponentBits)), higher bits ignored). Fixed windows: the
    // number of squarings and multiplications depends only on exponentBits, and every table
    // entry is read for every window. exponentBits = 0 gives 1.
    void Power(Word* r, const Word* base, const Word* exponent, uint32_t exponentBits) const;
    // r = a^e mod m and r = a^e1 b^e2 mod m for a, b < m and exponents of at most
    // kMaxExponentBits bits (eBits, e1Bits, e2Bits; 0 bits is the exponent 0). Sliding windows,
    // interleaved with shared squarings: NOT constant time, for public values only (signature
    // verification).
    void PublicPower(Word* r, const Word* a, const Word* e, uint32_t eBits) const;
    void PublicDoublePower(Word* r, const Word* a, const Word* e1, uint32_t e1Bits, const Word* b,
                           const Word* e2, uint32_t e2Bits) const;
    // The same with the odd powers of a made beforehand (by OddPowers::Build on this modulus),
    // in the wider window they allow.
    void PublicDoublePower(Word* r, const OddPowers& a, const Word* e1, uint32_t e1Bits,
                           const Word* b, const Word* e2, uint32_t e2Bits) const;

  private:
    friend class OddPowers;
    // Window width and table entries of the bases that come without odd powers.
    static constexpr uint32_t kWindow = 4;
    static constexpr uint32_t kEntries = 1u << (kWindow - 1);
    // table[i] = base^(2i + 1) R mod m for i < 2^(window - 1).
    void OddPowersOf(Word* table, const Word* base, uint32_t window) const;
    void DoublePower(Word* r, const Word* aTable, uint32_t aWindow, const Word* e1, uint32_t e1Bits,
                     const Word* b, const Word* e2, uint32_t e2Bits) const;

    using Kernel = void (*)(Word* r, const Word* a, const Word* b, const Word* m, Word mInverse,
                            uint32_t k, Word* scratch);
    using SquareKernel = void (*)(Word* r, const Word* a, const Word* m, Word mInverse, uint32_t k,
                                  Word* scratch);

    Word m_[kMaxWords];
    Word one_[kMaxWords];       // R mod m: 1 in Montgomery form
    Word rSquared_[kMaxWords];  // R^2 mod m
    uint32_t k_;
    Word mInverse_;  // -m^-1 mod 2^kWordBits
    Kernel multiply_;
    SquareKernel square_;
    // Intermediate values of the products and sums (wiped by the destructor).
    mutable Word scratch_[3 * kMaxWords];
};

// The odd powers of one public base modulo a public modulus of at most kMaxWords / 4 words
// (1024 bits on 64-bit words), for the public double exponentiation: with the table made once,
// a window of 7 bits halves the multiplications by that base. Public data only.
class OddPowers {
  public:
    static constexpr uint32_t kMaxModulusWords = kMaxWords / 4;
    // For m.Words() <= kMaxModulusWords and base < m.
    void Build(const Modulus& m, const Word* base);

  private:
    friend class Modulus;
    static constexpr uint32_t kWindowBits = 7;
    Word table_[(1u << (kWindowBits - 1)) * kMaxModulusWords] = {};
};

// Powers of one public base by exponents of a fixed public bit length, by a fixed-base comb
// with four teeth: the exponent's bits are cut into four slices of `span` bits, and one
// squaring and one multiplication by a table entry (read under masks) serve one bit of each
// slice. A power costs a quarter of the squarings of Modulus::Power, and its operations depend
// only on the bit length, never on the exponent. The table depends on the base and the
// modulus only, so it is built once and kept for as long as both stay the same.
class FixedBaseComb {
  public:
    // table for base < m and exponents of exponentBits bits (1 .. kMaxExponentBits).
    void Build(const Modulus& m, const Word* base, uint32_t exponentBits);
    // r = base^e mod m for the m and base of Build, e read from its low exponentBits bits
    // (exponent[0 .. WordsForBits(exponentBits))).
    void Power(const Modulus& m, Word* r, const Word* exponent) const;

  private:
    static constexpr uint32_t kTeeth = 4;
    static constexpr uint32_t kEntries = 1u << kTeeth;
    uint32_t bits_ = 0;
    uint32_t span_ = 0;
    Word table_[kEntries * kMaxWords] = {};
};

}  // namespace FixedWidth
}  // namespace QIRVALE
