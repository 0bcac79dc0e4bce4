// LongIntegerClass: multiplication, long division and the modular operations.
//
// The capacity rules are those of the digit-by-digit algorithms (long_integer_reference.cpp):
// each operation checks them on digit counts first, then computes on machine words.
#include <cstring>

#include "frame/exceptions.h"
#include "frame/memory.h"
#include "longint/digit_util.h"
#include "longint/long_integer.h"
#include "longint/word_arithmetic.h"

namespace QIRVALE {

using WordArithmetic::DivModWords;
using WordArithmetic::kMaxWords;
using WordArithmetic::LoadDigits;
using WordArithmetic::StoreDigits;
using WordArithmetic::Word;

LongIntegerClass LongIntegerClass::Multiply(const LongIntegerClass& other) const {
    const uint32_t na = EffectiveDigitCount();
    const uint32_t nb = other.EffectiveDigitCount();
    LongIntegerClass product;
    if (na == 0 || nb == 0) return product;
    // The room check uses the digit counts, not the product's actual length.
    if (na + nb > LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();

    Word a[kMaxWords];
    Word b[kMaxWords];
    Word r[kMaxWords + 2];
    const uint32_t wa = LoadDigits(a, digits, na);
    if (&other == this) {
        WordArithmetic::SquareWords(r, a, wa);
        StoreDigits(product.digits, na + nb, r);
        SecureWipe(a, wa * sizeof(Word));
        SecureWipe(r, 2 * wa * sizeof(Word));
    } else {
        const uint32_t wb = LoadDigits(b, other.digits, nb);
        WordArithmetic::MulWords(r, a, wa, b, wb);
        StoreDigits(product.digits, na + nb, r);
        SecureWipe(a, wa * sizeof(Word));
        SecureWipe(b, wb * sizeof(Word));
        SecureWipe(r, (wa + wb) * sizeof(Word));
    }
    product.digitCount = na + nb;
    product.Normalize();
    return product;
}

void LongIntegerClass::DivMod(const LongIntegerClass& divisor, LongIntegerClass& quotient,
                              LongIntegerClass& remainder) const {
    const uint32_t na = EffectiveDigitCount();
    const uint32_t m = divisor.EffectiveDigitCount();
    if (m == 0) throw DivideByZeroExceptionClass();
    quotient.SetZero();
    if (na < m) {
        remainder = *this;
        return;
    }
    if (m >= 2) {
        // The digit algorithm shifts the dividend left until the divisor's top digit has its
        // top bit set and then needs one spare digit above it: the shifted dividend may use
        // at most 511 digits.
        const uint32_t top = DigitBitLength(divisor.digits[m - 1]);
        const uint32_t s = top == 16 ? 0 : 16 - top;
        if (BitLength() + s > 16 * (LongIntegerMaxDigits - 1)) throw OutOfMemoryExceptionClass();
    }

    Word u[kMaxWords];
    Word v[kMaxWords];
    Word q[kMaxWords];
    Word r[kMaxWords];
    const uint32_t wu = LoadDigits(u, digits, na);
    const uint32_t wv = LoadDigits(v, divisor.digits, m);
    DivModWords(q, r, u, wu, v, wv);

    const uint32_t quotientDigits = na - m + 1;
    StoreDigits(quotient.digits, quotientDigits, q);
    quotient.digitCount = quotientDigits;
    quotient.Normalize();
    remainder.SetZero();
    StoreDigits(remainder.digits, m, r);
    remainder.digitCount = m;
    remainder.Normalize();

    SecureWipe(u, wu * sizeof(Word));
    SecureWipe(v, wv * sizeof(Word));
    SecureWipe(q, (wu - wv + 1) * sizeof(Word));
    SecureWipe(r, wv * sizeof(Word));
}

LongIntegerClass LongIntegerClass::Divide(const LongIntegerClass& divisor) const {
    LongIntegerClass quotient;
    LongIntegerClass remainder;
    DivMod(divisor, quotient, remainder);
    return quotient;
}

LongIntegerClass LongIntegerClass::Modulo(const LongIntegerClass& divisor) const {
    LongIntegerClass quotient;
    LongIntegerClass remainder;
    DivMod(divisor, quotient, remainder);
    return remainder;
}

uint32_t LongIntegerClass::ModuloUInt32(uint32_t d) const {
    if (d == 0) throw DivideByZeroExceptionClass();
    return Modulo(LongIntegerClass(d)).ToUInt32();
}

LongIntegerClass LongIntegerClass::ModMul(const LongIntegerClass& a, const LongIntegerClass& b,
                                          const LongIntegerClass& m) {
    LongIntegerClass result(a);
    result *= b;
    result %= m;
    return result;
}

LongIntegerClass LongIntegerClass::ModExp(const LongIntegerClass& base,
                                          const LongIntegerClass& exponent,
                                          const LongIntegerClass& m) {
    const uint32_t bits = exponent.BitLength();
    if (bits == 0) return LongIntegerClass(1u);
    if (bits == 1) return base;  // not reduced

    // Montgomery exponentiation for odd moduli, where square-and-multiply with a full product
    // and division at each step cannot raise: with modulus and base of at most 255 digits
    // every product has at most 510 digits and at most 8160 bits, so no product and no
    // division of that method runs out of room, and both methods give base^e mod m.
    constexpr uint32_t kFastLimit = LongIntegerMaxDigits / 2 - 1;
    const uint32_t mDigits = m.EffectiveDigitCount();
    const uint32_t baseDigits = base.EffectiveDigitCount();
    if ((m.digits[0] & 1) != 0 && mDigits <= kFastLimit && baseDigits <= kFastLimit) {
        Word mw[kMaxWords];
        Word aw[kMaxWords];
        Word rw[kMaxWords];
        const uint32_t k = LoadDigits(mw, m.digits, mDigits);
        const uint32_t na = LoadDigits(aw, base.digits, baseDigits);
        WordArithmetic::MontgomeryModExp(rw, aw, na, exponent, bits, mw, k);
        LongIntegerClass result;
        StoreDigits(result.digits, mDigits, rw);
        result.digitCount = mDigits;
        result.Normalize();
        SecureWipe(aw, na * sizeof(Word));
        SecureWipe(rw, k * sizeof(Word));
        return result;
    }

    // Square-and-multiply, left to right, reducing after every product.
    LongIntegerClass result(base);
    for (uint32_t i = bits - 1; i-- > 0;) {
        result *= result;
        result %= m;
        if (exponent.TestBit(i)) {
            result *= base;
            result %= m;
        }
    }
    return result;
}

}  // namespace QIRVALE
