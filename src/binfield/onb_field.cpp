#include "binfield/onb_field.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "binfield/quadratic.h"
#include "frame/exceptions.h"
#include "frame/memory.h"

namespace QIRVALE {

namespace {

// ---------------------------------------------------------------------------------------
// Word vectors
//
// Elements are worked on as little-endian arrays of machine words (64-bit on 64-bit targets,
// 32-bit on 32-bit x86, where 64-bit shifts are several instructions each).
// ---------------------------------------------------------------------------------------

#if UINTPTR_MAX > 0xFFFFFFFFu
using Word = uint64_t;
#else
using Word = uint32_t;
#endif
constexpr uint32_t kWordBits = 8 * sizeof(Word);
constexpr uint32_t kDigitsPerWord = kWordBits / 16;

constexpr uint32_t WordsFor(uint32_t bits) {
    return (bits + kWordBits - 1) / kWordBits;
}

// Any long integer fits in kValueWords words; a doubled element (below 2^(2m)) plus the two
// spare words the window reads need in kDoubledWords.
constexpr uint32_t kValueWords = LongIntegerMaxDigits / kDigitsPerWord;
constexpr uint32_t kDoubledWords = 2 * WordsFor(ONBMaxDegree) + 2;
static_assert(WordsFor(ONBMaxDegree) <= kValueWords, "a field element fits a long integer");

// A stack array of words of which the first `used` are zeroed on construction and wiped on
// destruction: the values are secret-derived (coordinates, keys in scalar multiplication).
template <uint32_t Capacity>
class ScratchWords {
  public:
    // zeroed = false leaves the words for the caller to write in full.
    explicit ScratchWords(uint32_t used, bool zeroed = true) : used_(used) {
        if (used > Capacity) throw AssertExceptionClass();
        if (zeroed) std::memset(words_, 0, used * sizeof(Word));
    }
    ~ScratchWords() { SecureWipe(words_, used_ * sizeof(Word)); }
    ScratchWords(const ScratchWords&) = delete;
    ScratchWords& operator=(const ScratchWords&) = delete;

    Word* data() { return words_; }
    Word& operator[](uint32_t i) { return words_[i]; }

  private:
    uint32_t used_;
    Word words_[Capacity];
};
using ValueWords = ScratchWords<kValueWords>;

// words[0 .. n) |= the value of a. The caller ensures n >= WordsFor(a.BitLength()).
void LoadWords(const LongIntegerClass& a, Word* words) {
    const uint32_t digitCount = a.EffectiveDigitCount();
    const uint16_t* digits = a.Digits();
    for (uint32_t i = 0; i < digitCount; ++i)
        words[i / kDigitsPerWord] |= Word(digits[i]) << (16 * (i % kDigitsPerWord));
}

// The long integer of words[0 .. n), normalised.
LongIntegerClass StoreWords(const Word* words, uint32_t n) {
    LongIntegerClass out;
    while (n > 0 && words[n - 1] == 0) --n;
    if (n == 0) return out;
    const uint32_t digitCount = n * kDigitsPerWord;
    uint16_t* digits = out.MutableDigits();
    for (uint32_t i = 0; i < digitCount; ++i)
        digits[i] = uint16_t(words[i / kDigitsPerWord] >> (16 * (i % kDigitsPerWord)));
    out.SetDigitCount(digitCount);
    out.Normalize();
    return out;
}

// A word with the low `bits` bits set (bits < kWordBits).
inline Word LowMask(uint32_t bits) {
    return (Word(1) << bits) - 1;
}

// Clears every bit at or above `bits` in words[0 .. n).
void TruncateWords(Word* words, uint32_t n, uint32_t bits) {
    for (uint32_t k = bits / kWordBits; k < n; ++k) {
        const uint32_t keep = k == bits / kWordBits ? bits % kWordBits : 0;
        words[k] &= LowMask(keep);
    }
}

// True when words[0 .. n) is below 2^bits.
bool FitsBits(const Word* words, uint32_t n, uint32_t bits) {
    for (uint32_t k = bits / kWordBits; k < n; ++k) {
        const uint32_t keep = k == bits / kWordBits ? bits % kWordBits : 0;
        if ((words[k] & ~LowMask(keep)) != 0) return false;
    }
    return true;
}

// dst = src >> s over n words (dst may be src).
void ShiftRightWords(Word* dst, const Word* src, uint32_t n, uint32_t s) {
    const uint32_t q = s / kWordBits, t = s % kWordBits;
    for (uint32_t k = 0; k < n; ++k) {
        const Word low = k + q < n ? src[k + q] : 0;
        const Word high = k + q + 1 < n ? src[k + q + 1] : 0;
        // (high << 1) << (W - 1 - t) is high << (W - t), and 0 when t = 0.
        dst[k] = (low >> t) | ((high << 1) << (kWordBits - 1 - t));
    }
}

// dst ^= (src mod 2^bits) << s over n words (dst is not src). The caller ensures that
// bits + s <= n * kWordBits, so nothing is lost.
void XorLowBitsShiftedLeft(Word* dst, const Word* src, uint32_t n, uint32_t bits, uint32_t s) {
    const uint32_t q = s / kWordBits, t = s % kWordBits;
    const uint32_t sourceWords = WordsFor(bits);
    for (uint32_t i = 0; i < sourceWords; ++i) {
        Word w = src[i];
        if (i == sourceWords - 1 && bits % kWordBits != 0) w &= LowMask(bits % kWordBits);
        dst[i + q] ^= w << t;
        if (t != 0 && i + q + 1 < n) dst[i + q + 1] ^= w >> (kWordBits - t);
    }
}

// Rotations within m bits, defined for every value (file comment of onb_field.h), 0 < r < m:
//   left:  dst = (src >> (m - r)) ^ ((src mod 2^(m-r)) << r)
//   right: dst = (src >> r) ^ ((src mod 2^r) << (m - r))
// Both results stay below 2^max(m, bit length of src), so n words always hold them.
void RotateLeftWords(Word* dst, const Word* src, uint32_t n, uint32_t m, uint32_t r) {
    ShiftRightWords(dst, src, n, m - r);
    XorLowBitsShiftedLeft(dst, src, n, m - r, r);
}
void RotateRightWords(Word* dst, const Word* src, uint32_t n, uint32_t m, uint32_t r) {
    ShiftRightWords(dst, src, n, r);
    XorLowBitsShiftedLeft(dst, src, n, r, m - r);
}

// ---------------------------------------------------------------------------------------
// Multiplication
//
// The defining algorithm, over the table in its stored order (rows never decrease):
//   R = 0, X = a, s = 0
//   for each entry (i, j):
//     if i > s: X = X rotated left by i - s; s = i      (X is a rotated left by i)
//     Y = b rotated left by j
//     R = R ^ (X & Y)
// which for operands below 2^m is c_k = sum over (i, j) of a_(k+i) * b_(k+j).
// ---------------------------------------------------------------------------------------

struct FieldShape {
    uint32_t m;
    const MultiplicationTableEntry* table;
    uint32_t entries;
};

// d[0 .. 2 * WordsFor(m) + 2) = v | (v << m) for v < 2^m given in WordsFor(m) words. The
// m bits of d from bit `offset` (0 < offset <= m) are v rotated left by m - offset.
void Double(const Word* v, uint32_t m, Word* d) {
    const uint32_t nw = WordsFor(m), nd = 2 * nw + 2;
    std::memcpy(d, v, nw * sizeof(Word));
    std::memset(d + nw, 0, (nd - nw) * sizeof(Word));
    XorLowBitsShiftedLeft(d, v, nd, m, m);
}

// The rotations of a doubled vector d, read as windows shifted on the fly: word k of
// Rotated(offset) is word k of d >> offset.
struct DoubledRotations {
    struct Window {
        Word operator[](uint32_t k) const {
            // (high << 1) << (W - 1 - shift) is high << (W - shift), and 0 when shift = 0.
            return (base[k] >> shift) | ((base[k + 1] << 1) << (kWordBits - 1 - shift));
        }
        const Word* base;
        uint32_t shift;
    };
    Window Rotated(uint32_t offset) const {
        return Window{d + offset / kWordBits, offset % kWordBits};
    }
    const Word* d;
};

// The same rotations from kWordBits copies of d, copy s shifted right by s bits: every
// rotation is a run of whole words. Worth its set-up cost, and its stack, for small fields.
constexpr uint32_t kCopiesMaxDegree = 512;
constexpr uint32_t kCopiesMaxStride = 2 * WordsFor(kCopiesMaxDegree) + 1;
struct ShiftedRotations {
    // copies[s * stride + k] = word k of d >> s, for k < stride = 2 * WordsFor(m) + 1.
    static void Build(const Word* d, uint32_t m, Word* copies) {
        const uint32_t stride = 2 * WordsFor(m) + 1;
        const DoubledRotations source{d};
        for (uint32_t s = 0; s < kWordBits; ++s) {
            const auto window = source.Rotated(s);
            for (uint32_t k = 0; k < stride; ++k) copies[s * stride + k] = window[k];
        }
    }
    const Word* Rotated(uint32_t offset) const {
        return copies + (offset % kWordBits) * stride + offset / kWordBits;
    }
    const Word* copies;
    uint32_t stride;
};

// r = a * b for a, b below 2^m, given as the rotation sources of their doubled vectors.
//
// X = a rotated left by i is the rotation at offset m - i, and Y likewise for b, so no
// rotation is carried out per entry; the entries of one row share their X:
// R ^= X & (Y_j1 ^ Y_j2 ^ ...). Junk above bit m-1 of the rotations only reaches bits of R
// that are cleared at the end. `sum` is scratch of WordsFor(m) words.
template <class Rotations>
void MultiplyRows(const FieldShape& f, const Rotations& a, const Rotations& b, Word* r, Word* sum) {
    const uint32_t m = f.m, nw = WordsFor(m);
    std::memset(r, 0, nw * sizeof(Word));
    const MultiplicationTableEntry* entry = f.table;
    const MultiplicationTableEntry* const end = f.table + f.entries;
    while (entry != end) {
        const MultiplicationTableEntry* rowEnd = entry + 1;
        while (rowEnd != end && rowEnd->row == entry->row) ++rowEnd;
        const auto x = a.Rotated(m - entry->row);
        const auto y1 = b.Rotated(m - entry->column);
        switch (rowEnd - entry) {
            case 1:
                for (uint32_t k = 0; k < nw; ++k) r[k] ^= x[k] & y1[k];
                break;
            case 2: {
                const auto y2 = b.Rotated(m - entry[1].column);
                for (uint32_t k = 0; k < nw; ++k) r[k] ^= x[k] & (y1[k] ^ y2[k]);
                break;
            }
            default: {
                for (uint32_t k = 0; k < nw; ++k) sum[k] = y1[k];
                for (const MultiplicationTableEntry* e = entry + 1; e != rowEnd; ++e) {
                    const auto y = b.Rotated(m - e->column);
                    for (uint32_t k = 0; k < nw; ++k) sum[k] ^= y[k];
                }
                for (uint32_t k = 0; k < nw; ++k) r[k] ^= x[k] & sum[k];
                break;
            }
        }
        entry = rowEnd;
    }
    TruncateWords(r, nw, m);
}

// r = a * b for a, b below 2^m (WordsFor(m) words each).
void MultiplyReduced(const FieldShape& f, const Word* a, const Word* b, Word* r) {
    const uint32_t m = f.m, nw = WordsFor(m), nd = 2 * nw + 2;
    ScratchWords<kDoubledWords> da(nd), db(nd);
    ScratchWords<kValueWords> sum(nw);
    Double(a, m, da.data());
    Double(b, m, db.data());
    if (m > kCopiesMaxDegree) {
        MultiplyRows(f, DoubledRotations{da.data()}, DoubledRotations{db.data()}, r, sum.data());
        return;
    }
    const uint32_t stride = 2 * nw + 1;
    ScratchWords<kWordBits * kCopiesMaxStride> ca(kWordBits * stride, false),
        cb(kWordBits * stride, false);
    ShiftedRotations::Build(da.data(), m, ca.data());
    ShiftedRotations::Build(db.data(), m, cb.data());
    MultiplyRows(f, ShiftedRotations{ca.data(), stride}, ShiftedRotations{cb.data(), stride}, r,
                 sum.data());
}

// r = a * b for operands of any size, in n >= WordsFor(m) words: the defining algorithm
// step by step, since rotations of values of more than m bits do not compose.
void MultiplyUnreduced(const FieldShape& f, const Word* a, const Word* b, Word* r, uint32_t n) {
    ValueWords x(n), rotated(n), y(n);
    std::memcpy(x.data(), a, n * sizeof(Word));
    std::memset(r, 0, n * sizeof(Word));
    uint32_t s = 0;
    for (uint32_t e = 0; e < f.entries; ++e) {
        const uint32_t i = f.table[e].row, j = f.table[e].column;
        if (i > s) {
            RotateLeftWords(rotated.data(), x.data(), n, f.m, i - s);
            std::memcpy(x.data(), rotated.data(), n * sizeof(Word));
            s = i;
        }
        const Word* yj = b;
        if (j != 0) {
            RotateLeftWords(y.data(), b, n, f.m, j);
            yj = y.data();
        }
        for (uint32_t k = 0; k < n; ++k) r[k] ^= x[k] & yj[k];
    }
}

// r = a * b in n words (n >= WordsFor(m), operands given in n words, r not a or b).
void MultiplyWords(const FieldShape& f, const Word* a, const Word* b, Word* r, uint32_t n) {
    if (FitsBits(a, n, f.m) && FitsBits(b, n, f.m)) {
        MultiplyReduced(f, a, b, r);
        std::memset(r + WordsFor(f.m), 0, (n - WordsFor(f.m)) * sizeof(Word));
    } else {
        MultiplyUnreduced(f, a, b, r, n);
    }
}

// dst = src squared k times in n words, for k < m or m = 1 (where squaring is a rotation by
// 0 and changes nothing). Unlike left rotations, right rotations compose for every value:
// with (v >> j) ^ ((v mod 2^j) << (m - j)) after j < m squarings, bit 0 is bit j of v, and
// one more squaring gives the same form for j + 1. So k squarings are one rotation right by
// k, also above 2^m.
void SquareTimesWords(Word* dst, const Word* src, uint32_t n, uint32_t m, uint32_t k) {
    k %= m;
    if (k == 0) {
        std::memcpy(dst, src, n * sizeof(Word));
    } else {
        RotateRightWords(dst, src, n, m, k);
    }
}

// The number of words that holds both an element of the field and the value a.
uint32_t WorkingWords(uint32_t m, const LongIntegerClass& a) {
    return std::max(WordsFor(m), WordsFor(a.BitLength()));
}

// ---------------------------------------------------------------------------------------
// Heap blocks of the table construction
// ---------------------------------------------------------------------------------------

// count zero-filled Ts from the library heap; OutOfMemoryExceptionClass when there is no room.
// Wiped and released on destruction unless released to the caller.
template <class T>
class HeapArray {
  public:
    explicit HeapArray(std::size_t count)
        : count_(count), data_(static_cast<T*>(AllocateZeroed(count * sizeof(T)))) {
        if (data_ == nullptr) throw OutOfMemoryExceptionClass();
    }
    ~HeapArray() { FreeWiped(data_, count_ * sizeof(T)); }
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    T* get() { return data_; }
    T* release() { return std::exchange(data_, nullptr); }

  private:
    std::size_t count_;
    T* data_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction, copying, destruction
// ---------------------------------------------------------------------------------------

ONBBaseField::ONBBaseField(uint32_t m) : degree(m), multiplicationTable(nullptr) {
    BuildMultiplicationTable();
}

ONBBaseField::ONBBaseField(const ONBBaseField& other)
    : degree(other.degree), multiplicationTable(nullptr) {
    if (other.degree == 0) throw AssertExceptionClass();
    if (other.multiplicationTable != nullptr) {
        HeapArray<MultiplicationTableEntry> table(other.MultiplicationTableLength());
        std::memcpy(table.get(), other.multiplicationTable,
                    other.MultiplicationTableLength() * sizeof(MultiplicationTableEntry));
        multiplicationTable = table.release();
    }
}

ONBBaseField& ONBBaseField::operator=(const ONBBaseField& other) {
    if (this != &other) *this = ONBBaseField(other);
    return *this;
}

ONBBaseField::ONBBaseField(ONBBaseField&& other) noexcept
    : degree(std::exchange(other.degree, 0)),
      multiplicationTable(std::exchange(other.multiplicationTable, nullptr)) {}

ONBBaseField& ONBBaseField::operator=(ONBBaseField&& other) noexcept {
    if (this != &other) {
        DestroyField();
        degree = std::exchange(other.degree, 0);
        multiplicationTable = std::exchange(other.multiplicationTable, nullptr);
    }
    return *this;
}

void ONBBaseField::DestroyField() noexcept {
    FreeWiped(multiplicationTable, MultiplicationTableLength() * sizeof(MultiplicationTableEntry));
    multiplicationTable = nullptr;
    degree = 0;
}

// Trial division up to the square root of p, then the order of 2 by repeated doubling
// (at most 2m steps; m is at most ONBMaxDegree here).
bool ONBBaseField::HasTypeTwoBasis(uint32_t m) {
    if (m == 0 || m > ONBMaxDegree) return false;
    const uint32_t p = 2 * m + 1;
    for (uint32_t d = 3; d * d <= p; d += 2) {
        if (p % d == 0) return false;
    }
    uint32_t order = 1;
    for (uint32_t r = 2; r != 1; r = 2 * r % p) ++order;
    return order == 2 * m || (order == m && p % 4 == 3);
}

void ONBBaseField::RequireBuilt() const {
    if (multiplicationTable == nullptr) throw AssertExceptionClass();
}

// The table is defined by the loop over all m^2 pairs: with p = 2m+1, a = 2^i mod p and
// b = 2^j mod p, the pair (i, j) belongs when p divides one of a+b+1, a+b-1, a-b+1, a-b-1;
// pairs are stored row by row, columns ascending; finding a (2m)-th pair, or fewer than 2m-1
// in all, refuses the degree. Degrees without a type II basis are refused before the table
// is built (HasTypeTwoBasis); for the others the count always comes out 2m - 1.
//
// The same table without the m^2 loop: the columns j whose residue 2^j mod p is one of the
// four b = -a-1, 1-a, a+1, a-1 (mod p) are read from an index of the residues, and sorted
// within their row. The powers of 2 modulo p repeat with period ord_p(2), so the columns of
// one residue are j0, j0 + period, ... below m. A row is counted before it is written, so
// the work stays O(m log m) even for degrees (such as p a Mersenne number) where the loop
// would find far too many pairs.
void ONBBaseField::BuildMultiplicationTable() {
    if (multiplicationTable != nullptr) return;
    const uint32_t m = degree;
    if (m == 0) throw AssertExceptionClass();
    if (m > ONBMaxDegree) throw OutOfMemoryExceptionClass();
    if (!HasTypeTwoBasis(m)) throw AssertExceptionClass();
    const uint32_t p = 2 * m + 1, capacity = 2 * m - 1;
    HeapArray<MultiplicationTableEntry> table(capacity);

    // power[j] = 2^j mod p for j < m; firstColumn[r] = the least j with power[j] = r.
    constexpr uint16_t kNone = 0xFFFF;  // p <= 16353 and m <= 8176 fit in 16 bits
    HeapArray<uint16_t> scratch(std::size_t{m} + p);
    uint16_t* const power = scratch.get();
    uint16_t* const firstColumn = power + m;
    std::fill(firstColumn, firstColumn + p, kNone);
    uint32_t period = m;  // m: no residue repeats among the columns
    for (uint32_t j = 0, r = 1; j < m; ++j, r = 2 * r % p) {
        power[j] = uint16_t(r);
        if (firstColumn[r] == kNone) firstColumn[r] = uint16_t(j);
        if (j > 0 && r == 1 && period == m) period = j;
    }

    MultiplicationTableEntry* const entries = table.get();
    uint32_t count = 0;
    for (uint32_t i = 0; i < m; ++i) {
        const uint32_t a = power[i];  // 1 <= a < p
        const uint32_t candidates[4] = {p - a - 1, (p + 1 - a) % p, (a + 1) % p, a - 1};
        uint32_t targets[4];
        uint32_t targetCount = 0;
        for (uint32_t b : candidates) {
            if (firstColumn[b] == kNone) continue;
            if (std::find(targets, targets + targetCount, b) == targets + targetCount)
                targets[targetCount++] = b;
        }
        uint32_t rowCount = 0;
        for (uint32_t t = 0; t < targetCount; ++t)
            rowCount += 1 + (m - 1 - firstColumn[targets[t]]) / period;
        if (rowCount > capacity - count) throw AssertExceptionClass();
        MultiplicationTableEntry* const rowStart = entries + count;
        for (uint32_t t = 0; t < targetCount; ++t)
            for (uint32_t j = firstColumn[targets[t]]; j < m; j += period)
                entries[count++] = MultiplicationTableEntry{i, j};
        std::sort(rowStart, entries + count,
                  [](const MultiplicationTableEntry& x, const MultiplicationTableEntry& y) {
                      return x.column < y.column;
                  });
    }
    if (count != capacity) throw AssertExceptionClass();
    multiplicationTable = table.release();
}

// ---------------------------------------------------------------------------------------
// Element operations
// ---------------------------------------------------------------------------------------

ONBBaseField::Element ONBBaseField::One() const {
    const uint32_t n = WordsFor(degree);
    ValueWords one(n);
    for (uint32_t k = 0; k < n; ++k) one[k] = ~Word(0);
    TruncateWords(one.data(), n, degree);
    return StoreWords(one.data(), n);
}

ONBBaseField::Element ONBBaseField::Add(const Element& a, const Element& b) const {
    if (a.BitLength() > degree || b.BitLength() > degree) throw AssertExceptionClass();
    Element sum(a);
    sum.XorWith(b);
    return sum;
}

ONBBaseField::Element ONBBaseField::Multiply(const Element& a, const Element& b) const {
    RequireBuilt();
    const FieldShape f{degree, multiplicationTable, MultiplicationTableLength()};
    const uint32_t n = std::max(WorkingWords(degree, a), WorkingWords(degree, b));
    ValueWords x(n), y(n), r(n);
    LoadWords(a, x.data());
    LoadWords(b, y.data());
    MultiplyWords(f, x.data(), y.data(), r.data(), n);
    return StoreWords(r.data(), n);
}

ONBBaseField::Element ONBBaseField::Square(const Element& a) const {
    RequireBuilt();
    if (degree < 2) return a;  // a rotation by 1 mod 1 = 0 positions
    const uint32_t n = WorkingWords(degree, a);
    ValueWords x(n), r(n);
    LoadWords(a, x.data());
    RotateRightWords(r.data(), x.data(), n, degree, 1);
    return StoreWords(r.data(), n);
}

ONBBaseField::Element ONBBaseField::SquareRoot(const Element& a) const {
    RequireBuilt();
    if (degree < 2) return a;
    const uint32_t n = WorkingWords(degree, a);
    ValueWords x(n), r(n);
    LoadWords(a, x.data());
    RotateLeftWords(r.data(), x.data(), n, degree, 1);
    return StoreWords(r.data(), n);
}

// Itoh-Tsujii: with b = a^(2^k - 1), b * b^(2^k) = a^(2^(2k) - 1) and (b^2) * a =
// a^(2^(k+1) - 1). Walking the bits of m - 1 from the top reaches k = m - 1, and
// (a^(2^(m-1) - 1))^2 = a^(2^m - 2) = 1/a.
//   b = a, k = 1
//   for s = (bit length of m-1) - 2 down to 0:
//     b = b * (b squared k times); k = 2k
//     if bit s of m-1 is set: b = (b squared) * a; k = k + 1
//   result: b squared
ONBBaseField::Element ONBBaseField::Invert(const Element& a) const {
    RequireBuilt();
    if (IsZero(a)) throw AssertExceptionClass();
    const FieldShape f{degree, multiplicationTable, MultiplicationTableLength()};
    const uint32_t m = degree, n = WorkingWords(m, a);
    ValueWords x(n), b(n), t(n), product(n);
    LoadWords(a, x.data());
    std::memcpy(b.data(), x.data(), n * sizeof(Word));
    const uint32_t exponent = m - 1;
    int top = 31;
    while (top >= 0 && ((exponent >> top) & 1) == 0) --top;
    uint32_t k = 1;
    for (int s = top - 1; s >= 0; --s) {
        SquareTimesWords(t.data(), b.data(), n, m, k);
        MultiplyWords(f, b.data(), t.data(), product.data(), n);
        std::memcpy(b.data(), product.data(), n * sizeof(Word));
        k *= 2;
        if ((exponent >> s) & 1) {
            SquareTimesWords(t.data(), b.data(), n, m, 1);
            MultiplyWords(f, t.data(), x.data(), b.data(), n);
            k += 1;
        }
    }
    SquareTimesWords(t.data(), b.data(), n, m, 1);
    return StoreWords(t.data(), n);
}

ONBBaseField::Element ONBBaseField::Divide(const Element& a, const Element& b) const {
    return Multiply(a, Invert(b));
}

// v = a; repeat m-1 times: v = Add(Square(v), a). For a below 2^m every v stays below 2^m and
// the sum of the m conjugates of a is One() times the parity of the bits of a; a larger a
// fails the first Add.
ONBBaseField::Element ONBBaseField::Trace(const Element& a) const {
    RequireBuilt();
    if (degree == 1) return a;
    if (a.BitLength() > degree) throw AssertExceptionClass();
    const uint32_t digitCount = a.EffectiveDigitCount();
    uint16_t parity = 0;
    for (uint32_t i = 0; i < digitCount; ++i) parity ^= a.GetDigit(i);
    for (uint32_t s = 8; s > 0; s /= 2) parity ^= parity >> s;
    return (parity & 1) != 0 ? One() : Zero();
}

// v = a; repeat (m-1)/2 times: v = Add(Square(Square(v)), a), that is the sum of a rotated
// right by 2i for i = 0 .. (m-1)/2. Rotating right by 2i is the window at offset 2i of the
// doubled a.
ONBBaseField::Element ONBBaseField::HalfTrace(const Element& a) const {
    RequireBuilt();
    const uint32_t m = degree, steps = (m - 1) / 2;
    if (steps == 0) return a;
    if (a.BitLength() > m) throw AssertExceptionClass();
    const uint32_t nw = WordsFor(m);
    ValueWords x(nw), sum(nw);
    ScratchWords<kDoubledWords> doubled(2 * nw + 2);
    LoadWords(a, x.data());
    Double(x.data(), m, doubled.data());
    const DoubledRotations rotations{doubled.data()};
    for (uint32_t i = 0; i <= steps; ++i) {
        const auto rotated = rotations.Rotated(2 * i);
        for (uint32_t k = 0; k < nw; ++k) sum[k] ^= rotated[k];
    }
    TruncateWords(sum.data(), nw, m);
    return StoreWords(sum.data(), nw);
}

ONBBaseField::Element ONBBaseField::QuadraticRoot(const Element& t) const {
    RequireBuilt();
    if (degree % 2 == 1) return HalfTrace(t);

    // Even m: squaring moves bit b+1 to bit b, so z^2 + z = t reads z_(b+1) ^ z_b = t_b for
    // every bit b (indices mod m). With z_(m-1) = 0, z_b is the XOR of t_b .. t_(m-2); the
    // remaining equation, at b = m-1, holds because Trace(t) = 0. t is below 2^m here: a
    // larger t has already failed the checked sums of Trace.
    const uint32_t m = degree, nw = WordsFor(m);
    ValueWords tw(nw), z(nw);
    LoadWords(t, tw.data());
    Word running = 0;
    for (uint32_t bit = m - 1; bit-- > 0;) {
        running ^= (tw[bit / kWordBits] >> (bit % kWordBits)) & 1;
        z[bit / kWordBits] |= running << (bit % kWordBits);
    }
    return StoreWords(z.data(), nw);
}

ONBBaseField::Element ONBBaseField::SolveQuadratic(const Element& u, const Element& w,
                                                   uint32_t& rootCount) const {
    RequireBuilt();
    return SolveQuadraticIn(*this, u, w, rootCount);
}

ONBBaseField::Element ONBBaseField::ElementFromBytes(const uint8_t* bytes, uint32_t length,
                                                     uint16_t bigEndian) {
    Element a;
    a.FromBytes(bytes, length, bigEndian);
    return a;
}

void ONBBaseField::ElementToBytes(const Element& a, uint8_t* buffer, uint32_t length,
                                  uint16_t bigEndian) {
    if (length == 0) return;
    std::memset(buffer, 0, length);
    const uint32_t count = std::min(length, a.ByteLength());
    for (uint32_t i = 0; i < count; ++i) buffer[bigEndian != 0 ? length - 1 - i : i] = a.GetByte(i);
}

}  // namespace QIRVALE
