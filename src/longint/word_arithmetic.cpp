// Word-wise kernels: schoolbook product and square, Knuth's long division, Montgomery
// multiplication and fixed-window exponentiation.
#include "longint/word_arithmetic.h"

#include <cstring>

#include "frame/memory.h"

namespace QIRVALE {
namespace WordArithmetic {

namespace {

// Number of leading zero bits of a non-zero word.
inline uint32_t LeadingZeros(Word w) {
#if defined(__GNUC__) || defined(__clang__)
    if (sizeof(Word) == 8) return static_cast<uint32_t>(__builtin_clzll(w));
    return static_cast<uint32_t>(__builtin_clz(static_cast<uint32_t>(w)));
#else
    uint32_t n = 0;
    for (Word top = Word(1) << (kWordBits - 1); (w & top) == 0; top >>= 1) ++n;
    return n;
#endif
}

// All ones when x is 0, else 0, without a branch.
inline Word MaskIfZero(Word x) {
    return Word(0) - (((x | (Word(0) - x)) >> (kWordBits - 1)) ^ 1);
}

}  // namespace

uint32_t LoadDigits(Word* words, const uint16_t* digits, uint32_t n) {
    const uint32_t count = WordsForDigits(n);
    for (uint32_t w = 0; w < count; ++w) {
        Word value = 0;
        const uint32_t first = w * kDigitsPerWord;
        for (uint32_t i = 0; i < kDigitsPerWord && first + i < n; ++i)
            value |= static_cast<Word>(digits[first + i]) << (16 * i);
        words[w] = value;
    }
    return count;
}

void StoreDigits(uint16_t* digits, uint32_t n, const Word* words) {
    for (uint32_t i = 0; i < n; ++i)
        digits[i] = static_cast<uint16_t>(words[i / kDigitsPerWord] >> (16 * (i % kDigitsPerWord)));
}

void MulWords(Word* r, const Word* a, uint32_t na, const Word* b, uint32_t nb) {
    // Column by column (product scanning): the products of column c = i + j are summed in a
    // three-word accumulator, so the carries do not chain from one multiplication to the next.
    DoubleWord accumulator = 0;
    Word overflow = 0;
    for (uint32_t c = 0; c + 1 < na + nb; ++c) {
        const uint32_t first = c + 1 > nb ? c + 1 - nb : 0;
        const uint32_t last = c < na - 1 ? c : na - 1;
        for (uint32_t i = first; i <= last; ++i) {
            const DoubleWord p = static_cast<DoubleWord>(a[i]) * b[c - i];
            accumulator += p;
            overflow += accumulator < p;
        }
        r[c] = static_cast<Word>(accumulator);
        accumulator = (accumulator >> kWordBits) | (static_cast<DoubleWord>(overflow) << kWordBits);
        overflow = 0;
    }
    r[na + nb - 1] = static_cast<Word>(accumulator);
}

void SquareWords(Word* r, const Word* a, uint32_t n) {
    // Column by column as in MulWords; each product a[i] a[j] with i < j is formed once and
    // counted twice, the squares a[i]^2 once.
    DoubleWord accumulator = 0;
    Word overflow = 0;
    for (uint32_t c = 0; c + 1 < 2 * n; ++c) {
        DoubleWord cross = 0;
        Word crossOverflow = 0;
        for (uint32_t i = c + 1 > n ? c + 1 - n : 0; i < c - i; ++i) {
            const DoubleWord p = static_cast<DoubleWord>(a[i]) * a[c - i];
            cross += p;
            crossOverflow += cross < p;
        }
        crossOverflow = (crossOverflow << 1) | static_cast<Word>(cross >> (2 * kWordBits - 1));
        cross <<= 1;
        if (c % 2 == 0) {
            const DoubleWord square = static_cast<DoubleWord>(a[c / 2]) * a[c / 2];
            cross += square;
            crossOverflow += cross < square;
        }
        accumulator += cross;
        overflow += crossOverflow + (accumulator < cross);
        r[c] = static_cast<Word>(accumulator);
        accumulator = (accumulator >> kWordBits) | (static_cast<DoubleWord>(overflow) << kWordBits);
        overflow = 0;
    }
    r[2 * n - 1] = static_cast<Word>(accumulator);
}

void DivModWords(Word* q, Word* r, const Word* u, uint32_t nu, const Word* v, uint32_t nv) {
    if (nv == 1) {
        const Word d = v[0];
        Word rem = 0;
        for (uint32_t j = nu; j-- > 0;) {
            const DoubleWord x = (static_cast<DoubleWord>(rem) << kWordBits) | u[j];
            q[j] = static_cast<Word>(x / d);
            rem = static_cast<Word>(x % d);
        }
        r[0] = rem;
        return;
    }

    // Shift both operands so that the divisor's top word has its top bit set; the quotient
    // digit estimate is then at most two too large and the test below removes most of that.
    Word un[kMaxWords + 1];
    Word vn[kMaxWords];
    const uint32_t s = LeadingZeros(v[nv - 1]);
    if (s == 0) {
        std::memcpy(vn, v, nv * sizeof(Word));
        std::memcpy(un, u, nu * sizeof(Word));
        un[nu] = 0;
    } else {
        for (uint32_t i = nv - 1; i > 0; --i) vn[i] = (v[i] << s) | (v[i - 1] >> (kWordBits - s));
        vn[0] = v[0] << s;
        un[nu] = u[nu - 1] >> (kWordBits - s);
        for (uint32_t i = nu - 1; i > 0; --i) un[i] = (u[i] << s) | (u[i - 1] >> (kWordBits - s));
        un[0] = u[0] << s;
    }

    const Word vTop = vn[nv - 1];
    const Word vNext = vn[nv - 2];
    for (uint32_t j = nu - nv + 1; j-- > 0;) {
        const DoubleWord x = (static_cast<DoubleWord>(un[j + nv]) << kWordBits) | un[j + nv - 1];
        DoubleWord qhat = x / vTop;
        DoubleWord rhat = x - qhat * vTop;
        while ((qhat >> kWordBits) != 0 || qhat * vNext > ((rhat << kWordBits) | un[j + nv - 2])) {
            --qhat;
            rhat += vTop;
            if ((rhat >> kWordBits) != 0) break;
        }
        // un[j .. j + nv] -= qhat * vn.
        Word carry = 0;
        Word borrow = 0;
        for (uint32_t i = 0; i < nv; ++i) {
            const DoubleWord p = qhat * vn[i] + carry;
            carry = static_cast<Word>(p >> kWordBits);
            const Word low = static_cast<Word>(p);
            const Word t = un[i + j] - low;
            const Word b1 = un[i + j] < low;
            un[i + j] = t - borrow;
            borrow = b1 | (t < borrow);
        }
        const Word t = un[j + nv] - carry;
        const Word b1 = un[j + nv] < carry;
        un[j + nv] = t - borrow;
        const bool negative = (b1 | (t < borrow)) != 0;
        q[j] = static_cast<Word>(qhat);
        if (negative) {
            // The estimate was one too large: add the divisor back once.
            --q[j];
            Word c = 0;
            for (uint32_t i = 0; i < nv; ++i) {
                const DoubleWord sum = static_cast<DoubleWord>(un[i + j]) + vn[i] + c;
                un[i + j] = static_cast<Word>(sum);
                c = static_cast<Word>(sum >> kWordBits);
            }
            un[j + nv] += c;
        }
    }
    if (s == 0) {
        std::memcpy(r, un, nv * sizeof(Word));
    } else {
        for (uint32_t i = 0; i < nv; ++i) r[i] = (un[i] >> s) | (un[i + 1] << (kWordBits - s));
    }
    SecureWipe(un, (nu + 1) * sizeof(Word));
    SecureWipe(vn, nv * sizeof(Word));
}

// ---- Montgomery arithmetic ----------------------------------------------------------------

MontgomeryContext::MontgomeryContext(const Word* m, uint32_t k) : m_(m), k_(k) {
    // Newton's iteration for m^-1 mod 2^w: each step doubles the number of correct low bits,
    // starting from the 3 bits that m itself gets right for odd m (m * m = 1 mod 8).
    Word inverse = m[0];
    for (int i = 0; i < 6; ++i) inverse *= Word(2) - m[0] * inverse;
    mInverse_ = Word(0) - inverse;
}

MontgomeryContext::~MontgomeryContext() {
    SecureWipe(t_, sizeof t_);
}

void MontgomeryContext::Multiply(Word* r, const Word* a, const Word* b) {
    MulWords(t_, a, k_, b, k_);
    Reduce(r);
}

void MontgomeryContext::Square(Word* r, const Word* a) {
    SquareWords(t_, a, k_);
    Reduce(r);
}

void MontgomeryContext::Reduce(Word* r) {
    // t (2k words) < m R. Adding q_i m 2^(w i) for i = 0 .. k - 1, with q_i chosen to clear
    // word i, makes t divisible by R, and t / R < 2m. Column by column: column c sums t[c]
    // and the products q_j m[c - j]; the multipliers q_j replace the words t[j] they cleared,
    // and the words of t / R go to t[0 .. k) once those multipliers are no longer needed.
    const uint32_t k = k_;
    const Word* m = m_;
    Word* t = t_;
    DoubleWord accumulator = 0;
    Word overflow = 0;
    auto add = [&](DoubleWord x) {
        accumulator += x;
        overflow += accumulator < x;
    };
    auto shift = [&] {
        accumulator = (accumulator >> kWordBits) | (static_cast<DoubleWord>(overflow) << kWordBits);
        overflow = 0;
    };
    for (uint32_t c = 0; c < k; ++c) {
        add(t[c]);
        for (uint32_t j = 0; j < c; ++j) add(static_cast<DoubleWord>(t[j]) * m[c - j]);
        const Word q = static_cast<Word>(accumulator) * mInverse_;
        add(static_cast<DoubleWord>(q) * m[0]);  // clears the low word
        t[c] = q;
        shift();
    }
    for (uint32_t c = k; c < 2 * k; ++c) {
        add(t[c]);
        for (uint32_t j = c - k + 1; j < k; ++j) add(static_cast<DoubleWord>(t[j]) * m[c - j]);
        t[c - k] = static_cast<Word>(accumulator);
        shift();
    }
    const Word top = static_cast<Word>(accumulator);
    // (top, t[0 .. k)) < 2m. Subtract m into t[k .. 2k); keep the difference unless it
    // borrowed beyond the top word (the value was below m). The choice is made with a mask,
    // not a branch.
    Word* difference = t + k;
    Word borrow = 0;
    for (uint32_t j = 0; j < k; ++j) {
        const Word x = t[j] - m[j];
        const Word b1 = t[j] < m[j];
        difference[j] = x - borrow;
        borrow = b1 | (x < borrow);
    }
    const Word keep = MaskIfZero(top) & (Word(0) - borrow);
    for (uint32_t j = 0; j < k; ++j) r[j] = (t[j] & keep) | (difference[j] & ~keep);
}

namespace {

// r[0 .. k) = u mod m for u of nu words (any nu <= kMaxWords).
void ReduceWords(Word* r, const Word* u, uint32_t nu, const Word* m, uint32_t k) {
    while (nu > 0 && u[nu - 1] == 0) --nu;
    if (nu < k) {
        std::memset(r, 0, k * sizeof(Word));
        std::memcpy(r, u, nu * sizeof(Word));
        return;
    }
    Word q[kMaxWords];
    DivModWords(q, r, u, nu, m, k);
    SecureWipe(q, (nu - k + 1) * sizeof(Word));
}

uint32_t WindowBits(uint32_t exponentBits) {
    if (exponentBits > 512) return 5;
    if (exponentBits > 128) return 4;
    if (exponentBits > 24) return 3;
    return 2;
}

}  // namespace

void MontgomeryModExp(Word* result, const Word* a, uint32_t na, const LongIntegerClass& exponent,
                      uint32_t exponentBits, const Word* m, uint32_t k) {
    constexpr uint32_t kMaxWindow = 5;
    constexpr uint32_t kTableWords = kMaxWords / 2;
    MontgomeryContext context(m, k);
    const uint32_t window = WindowBits(exponentBits);
    const uint32_t entries = 1u << window;

    // table[i] = a^i R mod m.
    Word table[(1u << kMaxWindow) * kTableWords];
    Word scratch[kMaxWords];
    std::memset(scratch, 0, k * sizeof(Word));
    scratch[k] = 1;
    ReduceWords(table, scratch, k + 1, m, k);  // R mod m
    std::memset(scratch, 0, k * sizeof(Word));
    std::memcpy(scratch + k, a, na * sizeof(Word));
    ReduceWords(table + k, scratch, k + na, m, k);  // a R mod m
    for (uint32_t i = 2; i < entries; ++i)
        context.Multiply(table + i * k, table + (i - 1) * k, table + k);

    // Reads entry `index` by touching every entry, so the memory access pattern does not
    // depend on the exponent.
    Word* selected = scratch;
    auto select = [&](uint32_t index) {
        std::memset(selected, 0, k * sizeof(Word));
        for (uint32_t i = 0; i < entries; ++i) {
            const Word mask = MaskIfZero(static_cast<Word>(i ^ index));
            const Word* entry = table + i * k;
            for (uint32_t j = 0; j < k; ++j) selected[j] |= entry[j] & mask;
        }
    };
    auto windowValue = [&](uint32_t low, uint32_t bits) {
        uint32_t value = 0;
        for (uint32_t b = bits; b-- > 0;)
            value = (value << 1) | (exponent.TestBit(low + b) ? 1 : 0);
        return value;
    };

    Word accumulator[kTableWords];
    const uint32_t windows = (exponentBits + window - 1) / window;
    uint32_t low = (windows - 1) * window;
    select(windowValue(low, exponentBits - low));
    std::memcpy(accumulator, selected, k * sizeof(Word));
    while (low > 0) {
        low -= window;
        for (uint32_t i = 0; i < window; ++i) context.Square(accumulator, accumulator);
        select(windowValue(low, window));
        context.Multiply(accumulator, accumulator, selected);
    }
    // Leave the Montgomery form: multiply by 1.
    std::memset(selected, 0, k * sizeof(Word));
    selected[0] = 1;
    context.Multiply(result, accumulator, selected);

    SecureWipe(table, entries * k * sizeof(Word));
    SecureWipe(scratch, kMaxWords * sizeof(Word));
    SecureWipe(accumulator, k * sizeof(Word));
}

}  // namespace WordArithmetic
}  // namespace QIRVALE
