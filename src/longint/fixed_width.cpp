// Constant-time fixed-width arithmetic: masks, Montgomery multiplication and squaring by
// finely integrated product scanning, reduction of long values, fixed-window exponentiation
// with masked table reads, and the variable-time double exponentiation of verification.
#include "longint/fixed_width.h"

#include <cstring>

#include "frame/constant_time.h"
#include "frame/memory.h"

namespace QIRVALE {
namespace FixedWidth {

using WordArithmetic::DoubleWord;

namespace {

// All ones when x is zero, else zero.
inline Word ZeroWordMask(Word x) {
    return MaskFromBit(static_cast<Word>(((x | (Word(0) - x)) >> (kWordBits - 1)) ^ 1));
}

// A three-word column accumulator: (top, low) with low of two words. The column sums of the
// products below stay far below 2^(3 kWordBits).
struct Column {
    DoubleWord low = 0;
    Word top = 0;

    // += a b (the compilers turn this into a multiplication and an add-with-carry chain).
    void Add(Word a, Word b) {
        const DoubleWord product = static_cast<DoubleWord>(a) * b;
        low += product;
        top += low < product;
    }
    void Add(const Column& other) {
        low += other.low;
        top += other.top + (low < other.low);
    }
    // 2 (this), for columns below 2^(3 kWordBits - 1).
    void Double() {
        top = (top << 1) | static_cast<Word>(low >> (2 * kWordBits - 1));
        low <<= 1;
    }
    Word Word0() const { return static_cast<Word>(low); }
    // Moves to the next column: drops the low word.
    void Shift() {
        low = (low >> kWordBits) | (static_cast<DoubleWord>(top) << kWordBits);
        top = 0;
    }
};

// The largest table of the masked reads: 2^5 entries.
constexpr uint32_t kMaxTableBits = 5;

// out = table[index] of `entries` entries of k words, read by touching every entry under a
// mask: neither the addresses nor the branches depend on index.
void SelectEntry(Word* out, const Word* table, uint32_t entries, uint32_t k, Word index) {
    Word masks[1u << kMaxTableBits];
    for (uint32_t i = 0; i < entries; ++i) masks[i] = ZeroWordMask(static_cast<Word>(i) ^ index);
    uint32_t j = 0;
    for (; j + 4 <= k; j += 4) {  // four words at a time, one mask load per entry
        Word w0 = 0, w1 = 0, w2 = 0, w3 = 0;
        for (uint32_t i = 0; i < entries; ++i) {
            const Word* entry = table + i * k + j;
            const Word mask = masks[i];
            w0 |= entry[0] & mask;
            w1 |= entry[1] & mask;
            w2 |= entry[2] & mask;
            w3 |= entry[3] & mask;
        }
        out[j] = w0;
        out[j + 1] = w1;
        out[j + 2] = w2;
        out[j + 3] = w3;
    }
    for (; j < k; ++j) {
        Word word = 0;
        for (uint32_t i = 0; i < entries; ++i) word |= table[i * k + j] & masks[i];
        out[j] = word;
    }
    SecureWipe(masks, entries * sizeof(Word));
}

// Window width of the fixed-window exponentiation for an exponent of `bits` bits.
uint32_t WindowBits(uint32_t bits) {
    if (bits > 512) return 5;
    if (bits > 128) return 4;
    if (bits > 24) return 3;
    return 2;
}

// Bit i of the exponent words.
inline Word ExponentBit(const Word* e, uint32_t i) {
    return (e[i / kWordBits] >> (i % kWordBits)) & 1;
}

}  // namespace

void LoadBytes(Word* words, uint32_t count, const uint8_t* bytes, uint32_t length) {
    for (uint32_t i = 0; i < count; ++i) {
        Word w = 0;
        for (uint32_t b = 0; b < sizeof(Word); ++b) {
            const uint32_t j = i * sizeof(Word) + b;
            if (j < length) w |= static_cast<Word>(bytes[j]) << (8 * b);
        }
        words[i] = w;
    }
}

void StoreBytes(uint8_t* bytes, uint32_t length, const Word* words, uint32_t count) {
    for (uint32_t j = 0; j < length; ++j) {
        const uint32_t i = j / sizeof(Word);
        bytes[j] = i < count ? static_cast<uint8_t>(words[i] >> (8 * (j % sizeof(Word)))) : 0;
    }
}

Word IsZeroMask(const Word* a, uint32_t n) {
    Word any = 0;
    for (uint32_t i = 0; i < n; ++i) any |= a[i];
    return ZeroWordMask(any);
}

Word LessThanMask(const Word* a, const Word* b, uint32_t n) {
    Word borrow = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const DoubleWord d = static_cast<DoubleWord>(a[i]) - b[i] - borrow;
        borrow = static_cast<Word>(d >> kWordBits) & 1;
    }
    return MaskFromBit(borrow);
}

Word AddWords(Word* r, const Word* a, const Word* b, uint32_t n) {
    Word carry = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const DoubleWord s = static_cast<DoubleWord>(a[i]) + b[i] + carry;
        r[i] = static_cast<Word>(s);
        carry = static_cast<Word>(s >> kWordBits);
    }
    return carry;
}

Word SubtractWords(Word* r, const Word* a, const Word* b, uint32_t n) {
    Word borrow = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const DoubleWord d = static_cast<DoubleWord>(a[i]) - b[i] - borrow;
        r[i] = static_cast<Word>(d);
        borrow = static_cast<Word>(d >> kWordBits) & 1;
    }
    return borrow;
}

// ---- Montgomery kernels ---------------------------------------------------------------------
//
// Both products run column by column (product scanning) with the Montgomery reduction folded
// in: column i adds the products a_j b_(i-j) and u_j m_(i-j), where the multiplier u_i is
// chosen in column i < k to clear the column's low word. The sum a b + u m is then divisible
// by R, and columns k .. 2k - 1 give the words of (a b + u m) / R < 2m, from which one masked
// subtraction of m gives the residue. K is the word count when it is fixed at compile time
// (the loops are then unrolled), or 0 for the run-time count k. scratch holds 3k words.

namespace {

// Full unrolling of the kernel loops when the word count is a compile-time constant (GCC does
// not do it by itself at -O2; clang does).
#if defined(__GNUC__) && !defined(__clang__)
#define QIRVALE_UNROLL _Pragma("GCC unroll 32")
#else
#define QIRVALE_UNROLL
#endif

// r = (top, t) - m when that does not borrow beyond top, else t, for (top, t) < 2m.
template <uint32_t K>
inline void FinalSubtract(Word* r, const Word* t, Word top, const Word* m, uint32_t k,
                          Word* difference) {
    if (K != 0) k = K;
    Word borrow = 0;
    QIRVALE_UNROLL
    for (uint32_t j = 0; j < k; ++j) {
        const DoubleWord d = static_cast<DoubleWord>(t[j]) - m[j] - borrow;
        difference[j] = static_cast<Word>(d);
        borrow = static_cast<Word>(d >> kWordBits) & 1;
    }
    const Word keep = ZeroWordMask(top) & MaskFromBit(borrow);
    QIRVALE_UNROLL
    for (uint32_t j = 0; j < k; ++j) r[j] = Select(keep, t[j], difference[j]);
}

template <uint32_t K>
void MontgomeryMultiply(Word* r, const Word* a, const Word* b, const Word* m, Word mInverse,
                        uint32_t k, Word* scratch) {
    if (K != 0) k = K;
    Word* u = scratch;
    Word* t = scratch + k;
    Column c;
    QIRVALE_UNROLL
    for (uint32_t i = 0; i < k; ++i) {
        QIRVALE_UNROLL
        for (uint32_t j = 0; j < i; ++j) {
            c.Add(a[j], b[i - j]);
            c.Add(u[j], m[i - j]);
        }
        c.Add(a[i], b[0]);
        u[i] = c.Word0() * mInverse;
        c.Add(u[i], m[0]);  // clears the low word
        c.Shift();
    }
    QIRVALE_UNROLL
    for (uint32_t i = k; i < 2 * k; ++i) {
        QIRVALE_UNROLL
        for (uint32_t j = i - k + 1; j < k; ++j) {
            c.Add(a[j], b[i - j]);
            c.Add(u[j], m[i - j]);
        }
        t[i - k] = c.Word0();
        c.Shift();
    }
    FinalSubtract<K>(r, t, c.Word0(), m, k, scratch + 2 * k);
}

// As MontgomeryMultiply, with each product a_j a_(i-j), j < i - j, formed once and counted
// twice.
template <uint32_t K>
void MontgomerySquare(Word* r, const Word* a, const Word* m, Word mInverse, uint32_t k,
                      Word* scratch) {
    if (K != 0) k = K;
    Word* u = scratch;
    Word* t = scratch + k;
    Column c;
    QIRVALE_UNROLL
    for (uint32_t i = 0; i < 2 * k; ++i) {
        const uint32_t first = i < k ? 0 : i - k + 1;
        Column cross;
        QIRVALE_UNROLL
        for (uint32_t j = first; j < i - j; ++j) cross.Add(a[j], a[i - j]);
        cross.Double();
        if (i % 2 == 0) cross.Add(a[i / 2], a[i / 2]);
        c.Add(cross);
        if (i < k) {
            QIRVALE_UNROLL
            for (uint32_t j = 0; j < i; ++j) c.Add(u[j], m[i - j]);
            u[i] = c.Word0() * mInverse;
            c.Add(u[i], m[0]);  // clears the low word
        } else {
            QIRVALE_UNROLL
            for (uint32_t j = first; j < k; ++j) c.Add(u[j], m[i - j]);
            t[i - k] = c.Word0();
        }
        c.Shift();
    }
    FinalSubtract<K>(r, t, c.Word0(), m, k, scratch + 2 * k);
}

}  // namespace

// ---- Modulus ------------------------------------------------------------------------------

bool Modulus::Fits(const Word* m, uint32_t k) {
    if (k == 0 || k > kMaxWords || m[k - 1] == 0 || (m[0] & 1) == 0) return false;
    return k > 1 || m[0] > 1;
}

Modulus::Modulus(const Word* m, uint32_t k) : k_(k) {
    std::memcpy(m_, m, k * sizeof(Word));
    // Newton's iteration for m^-1 mod 2^w: each step doubles the number of correct low bits,
    // starting from the 3 bits that m itself gets right (m m = 1 mod 8 for odd m).
    Word inverse = m[0];
    for (int i = 0; i < 6; ++i) inverse *= Word(2) - m[0] * inverse;
    mInverse_ = Word(0) - inverse;
    // Unrolled kernels for the common sizes: 256-, 512- and 1024-bit moduli on 64-bit words,
    // 256- and 512-bit moduli on 32-bit words.
    constexpr uint32_t k256 = 256 / kWordBits, k512 = 512 / kWordBits;
    constexpr uint32_t k1024 = 1024 / kWordBits <= 16 ? 1024 / kWordBits : 0;
    multiply_ = MontgomeryMultiply<0>;
    square_ = MontgomerySquare<0>;
    if (k == k256) {
        multiply_ = MontgomeryMultiply<k256>;
        square_ = MontgomerySquare<k256>;
    } else if (k == k512) {
        multiply_ = MontgomeryMultiply<k512>;
        square_ = MontgomerySquare<k512>;
    } else if (k == k1024) {
        multiply_ = MontgomeryMultiply<k1024>;
        square_ = MontgomerySquare<k1024>;
    }
    // R mod m and R^2 mod m = (R mod m) R mod m by long division (m is public).
    Word u[2 * kMaxWords];
    Word q[2 * kMaxWords];
    std::memset(u, 0, sizeof u);
    u[k] = 1;
    WordArithmetic::DivModWords(q, one_, u, k + 1, m_, k);
    std::memset(u, 0, k * sizeof(Word));
    std::memcpy(u + k, one_, k * sizeof(Word));
    WordArithmetic::DivModWords(q, rSquared_, u, 2 * k, m_, k);
}

Modulus::~Modulus() {
    SecureWipe(scratch_, sizeof scratch_);
}

void Modulus::Add(Word* r, const Word* a, const Word* b) const {
    Word* sum = scratch_;
    const Word carry = AddWords(sum, a, b, k_);
    FinalSubtract<0>(r, sum, carry, m_, k_, scratch_ + k_);
}

void Modulus::Subtract(Word* r, const Word* a, const Word* b) const {
    Word* difference = scratch_;
    Word* correction = scratch_ + k_;
    const Word mask = MaskFromBit(SubtractWords(difference, a, b, k_));
    for (uint32_t j = 0; j < k_; ++j) correction[j] = m_[j] & mask;
    AddWords(r, difference, correction, k_);
}

void Modulus::Multiply(Word* r, const Word* a, const Word* b) const {
    multiply_(r, a, b, m_, mInverse_, k_, scratch_);
}

void Modulus::Square(Word* r, const Word* a) const {
    square_(r, a, m_, mInverse_, k_, scratch_);
}

void Modulus::ToMontgomery(Word* r, const Word* a) const {
    Multiply(r, a, rSquared_);
}

void Modulus::FromMontgomery(Word* r, const Word* a) const {
    Word unit[kMaxWords] = {1};
    Multiply(r, a, unit);
}

void Modulus::Reduce(Word* r, const Word* x, uint32_t n) const {
    // Horner's rule over k-word chunks C_c of x = sum C_c R^c, keeping acc = (chunks so far) / R
    // mod m: acc <- acc R + C_c / R, each term one Montgomery product; finally acc R.
    const uint32_t k = k_;
    Word acc[kMaxWords] = {};
    Word chunk[kMaxWords];
    Word unit[kMaxWords] = {1};
    for (uint32_t c = (n + k - 1) / k; c-- > 0;) {
        for (uint32_t j = 0; j < k; ++j) chunk[j] = c * k + j < n ? x[c * k + j] : 0;
        Multiply(acc, acc, rSquared_);
        Multiply(chunk, chunk, unit);
        Add(acc, acc, chunk);
    }
    Multiply(r, acc, rSquared_);
    SecureWipe(acc, k * sizeof(Word));
    SecureWipe(chunk, k * sizeof(Word));
}

void Modulus::Power(Word* r, const Word* base, const Word* exponent, uint32_t exponentBits) const {
    constexpr uint32_t kMaxWindow = kMaxTableBits;
    const uint32_t k = k_;
    const uint32_t window = WindowBits(exponentBits);
    const uint32_t entries = 1u << window;

    // table[i] = base^i R mod m.
    Word table[(1u << kMaxWindow) * kMaxWords];
    std::memcpy(table, one_, k * sizeof(Word));
    ToMontgomery(table + k, base);
    for (uint32_t i = 2; i < entries; ++i) Multiply(table + i * k, table + (i - 1) * k, table + k);

    Word selected[kMaxWords];
    auto select = [&](Word index) { SelectEntry(selected, table, entries, k, index); };
    // Bits low .. low + bits - 1 of the exponent (the positions are public).
    auto windowValue = [&](uint32_t low, uint32_t bits) {
        Word value = 0;
        for (uint32_t b = bits; b-- > 0;) value = (value << 1) | ExponentBit(exponent, low + b);
        return value;
    };

    Word accumulator[kMaxWords];
    std::memcpy(accumulator, one_, k * sizeof(Word));
    const uint32_t windows = (exponentBits + window - 1) / window;
    for (uint32_t w = windows; w-- > 0;) {
        const uint32_t low = w * window;
        const uint32_t bits = exponentBits - low < window ? exponentBits - low : window;
        select(windowValue(low, bits));
        if (w + 1 == windows) {
            std::memcpy(accumulator, selected, k * sizeof(Word));
            continue;
        }
        for (uint32_t i = 0; i < window; ++i) Square(accumulator, accumulator);
        Multiply(accumulator, accumulator, selected);
    }
    FromMontgomery(r, accumulator);

    SecureWipe(table, entries * k * sizeof(Word));
    SecureWipe(selected, k * sizeof(Word));
    SecureWipe(accumulator, k * sizeof(Word));
}

void FixedBaseComb::Build(const Modulus& m, const Word* base, uint32_t exponentBits) {
    const uint32_t k = m.Words();
    bits_ = exponentBits;
    span_ = (exponentBits + kTeeth - 1) / kTeeth;
    // tooth[t] = base^(2^(t span)) R mod m; table[i] = product of tooth[t] over the bits t of i.
    Word tooth[kTeeth][kMaxWords];
    m.ToMontgomery(tooth[0], base);
    for (uint32_t t = 1; t < kTeeth; ++t) {
        std::memcpy(tooth[t], tooth[t - 1], k * sizeof(Word));
        for (uint32_t i = 0; i < span_; ++i) m.Square(tooth[t], tooth[t]);
    }
    std::memcpy(table_, m.MontgomeryOne(), k * sizeof(Word));
    for (uint32_t i = 1; i < kEntries; ++i) {
        uint32_t t = 0;
        while ((i >> t & 1) == 0) ++t;
        // i = (i with bit t cleared) + 2^t, the lower entry already built.
        m.Multiply(table_ + i * k, table_ + (i & (i - 1)) * k, tooth[t]);
    }
}

void FixedBaseComb::Power(const Modulus& m, Word* r, const Word* exponent) const {
    const uint32_t k = m.Words();
    Word accumulator[kMaxWords], selected[kMaxWords];
    std::memcpy(accumulator, m.MontgomeryOne(), k * sizeof(Word));
    for (uint32_t column = span_; column-- > 0;) {
        // Bit `column` of each of the kTeeth slices of the exponent (positions are public).
        Word index = 0;
        for (uint32_t t = 0; t < kTeeth; ++t) {
            const uint32_t position = t * span_ + column;
            if (position < bits_) index |= ExponentBit(exponent, position) << t;
        }
        SelectEntry(selected, table_, kEntries, k, index);
        m.Square(accumulator, accumulator);
        m.Multiply(accumulator, accumulator, selected);
    }
    m.FromMontgomery(r, accumulator);
    SecureWipe(selected, k * sizeof(Word));
    SecureWipe(accumulator, k * sizeof(Word));
}

void Modulus::PublicPower(Word* r, const Word* a, const Word* e, uint32_t eBits) const {
    PublicDoublePower(r, a, e, eBits, a, e, 0);
}

void Modulus::PublicDoublePower(Word* r, const Word* a, const Word* e1, uint32_t e1Bits,
                                const Word* b, const Word* e2, uint32_t e2Bits) const {
    Word table[kEntries * kMaxWords];
    OddPowersOf(table, a, kWindow);
    DoublePower(r, table, kWindow, e1, e1Bits, b, e2, e2Bits);
}

void Modulus::PublicDoublePower(Word* r, const OddPowers& a, const Word* e1, uint32_t e1Bits,
                                const Word* b, const Word* e2, uint32_t e2Bits) const {
    DoublePower(r, a.table_, OddPowers::kWindowBits, e1, e1Bits, b, e2, e2Bits);
}

void Modulus::OddPowersOf(Word* table, const Word* base, uint32_t window) const {
    const uint32_t k = k_;
    Word squared[kMaxWords];
    ToMontgomery(table, base);
    Square(squared, table);
    for (uint32_t i = 1; i < (1u << (window - 1)); ++i)
        Multiply(table + i * k, table + (i - 1) * k, squared);
}

void Modulus::DoublePower(Word* r, const Word* aTable, uint32_t aWindow, const Word* e1,
                          uint32_t e1Bits, const Word* b, const Word* e2, uint32_t e2Bits) const {
    const uint32_t k = k_;
    Word bTable[kEntries * kMaxWords];
    if (e2Bits != 0) OddPowersOf(bTable, b, kWindow);
    const Word* tables[2] = {aTable, bTable};
    const uint32_t windows[2] = {aWindow, kWindow};
    const Word* exponents[2] = {e1, e2};
    const uint32_t bits[2] = {e1Bits, e2Bits};

    // Sliding-window recoding: digit[t][i] is the odd window value of exponent t that ends at
    // bit i, or 0; it selects tables[t][digit >> 1] = base_t^digit R mod m.
    uint8_t digit[2][kMaxExponentBits];
    for (int t = 0; t < 2; ++t) {
        const Word* e = exponents[t];
        std::memset(digit[t], 0, bits[t]);
        for (uint32_t top = bits[t]; top-- > 0;) {
            if (ExponentBit(e, top) == 0) continue;
            uint32_t low = top + 1 > windows[t] ? top + 1 - windows[t] : 0;
            while (ExponentBit(e, low) == 0) ++low;
            uint32_t value = 0;
            for (uint32_t i = top + 1; i-- > low;) value = (value << 1) | ExponentBit(e, i);
            digit[t][low] = static_cast<uint8_t>(value);
            top = low;
        }
    }

    Word accumulator[kMaxWords];
    std::memcpy(accumulator, one_, k * sizeof(Word));
    bool started = false;
    for (uint32_t i = e1Bits > e2Bits ? e1Bits : e2Bits; i-- > 0;) {
        if (started) Square(accumulator, accumulator);
        for (int t = 0; t < 2; ++t) {
            if (i >= bits[t] || digit[t][i] == 0) continue;
            const Word* entry = tables[t] + (digit[t][i] >> 1) * k;
            if (started)
                Multiply(accumulator, accumulator, entry);
            else
                std::memcpy(accumulator, entry, k * sizeof(Word));
            started = true;
        }
    }
    FromMontgomery(r, accumulator);
}

void OddPowers::Build(const Modulus& m, const Word* base) {
    m.OddPowersOf(table_, base, kWindowBits);
}

}  // namespace FixedWidth
}  // namespace QIRVALE
