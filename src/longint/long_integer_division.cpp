// LongIntegerClass: multiplication, long division and the modular operations.
#include <cstring>

#include "frame/exceptions.h"
#include "frame/memory.h"
#include "longint/digit_util.h"
#include "longint/long_integer.h"

namespace QIRVALE {

LongIntegerClass LongIntegerClass::Multiply(const LongIntegerClass& other) const {
    const uint32_t na = EffectiveDigitCount();
    const uint32_t nb = other.EffectiveDigitCount();
    LongIntegerClass product;
    if (na == 0 || nb == 0) return product;
    // The room check uses the digit counts, not the product's actual length.
    if (na + nb > LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
    uint16_t* p = product.digits;
    std::memset(p, 0, (na + nb) * sizeof(uint16_t));
    for (uint32_t j = 0; j < nb; ++j) {
        const uint32_t bj = other.digits[j];
        uint32_t carry = 0;
        for (uint32_t i = 0; i < na; ++i) {
            const uint32_t t = static_cast<uint32_t>(digits[i]) * bj + p[i + j] + carry;
            p[i + j] = static_cast<uint16_t>(t);
            carry = t >> 16;
        }
        p[j + na] = static_cast<uint16_t>(carry);
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
    if (m == 1) {
        const uint32_t d = divisor.digits[0];
        quotient.Resize(na);
        uint32_t rem = 0;
        for (uint32_t i = na; i-- > 0;) {
            const uint32_t x = (rem << 16) | digits[i];
            quotient.digits[i] = static_cast<uint16_t>(x / d);
            rem = x % d;
        }
        quotient.digitCount = na;
        quotient.Normalize();
        remainder.SetZero();
        remainder.digits[0] = static_cast<uint16_t>(rem);
        return;
    }

    // Normalise the divisor so that its top digit has its highest bit set. The shifted
    // dividend needs one spare digit above it, so it may use at most 511 digits.
    const uint32_t top = DigitBitLength(divisor.digits[m - 1]);
    const uint32_t s = top == 16 ? 0 : 16 - top;
    if (BitLength() + s > 16 * (LongIntegerMaxDigits - 1)) throw OutOfMemoryExceptionClass();
    remainder = *this;
    LongIntegerClass v(divisor);
    if (s > 0) {
        remainder.ShiftLeft(s);
        v.ShiftLeft(s);
    }
    const uint32_t n = remainder.digitCount;
    quotient.Resize(n - m + 1);
    remainder.Resize(n + 1);
    uint16_t* r = remainder.digits;
    const uint16_t* vd = v.digits;
    const uint32_t vTop = vd[m - 1];
    const uint32_t vNext = vd[m - 2];
    for (uint32_t j = n - m + 1; j-- > 0;) {
        // Estimate the quotient digit from the top two digits of the window and correct it
        // once with the divisor's second digit; it is then at most one too large.
        const uint32_t x = (static_cast<uint32_t>(r[j + m]) << 16) | r[j + m - 1];
        uint32_t qhat = x / vTop;
        if (qhat < 65536) {
            const uint32_t rhat = x % vTop;
            if (vNext * qhat > ((rhat << 16) | r[j + m - 2])) --qhat;
        } else {
            qhat = 65535;
        }
        // r[j .. j + m] -= qhat * v.
        uint32_t carry = 0;
        uint32_t borrow = 0;
        for (uint32_t i = 0; i < m; ++i) {
            const uint32_t p = qhat * vd[i] + carry;
            carry = p >> 16;
            const uint32_t t = static_cast<uint32_t>(r[j + i]) - (p & 0xFFFF) - borrow;
            r[j + i] = static_cast<uint16_t>(t);
            borrow = (t >> 16) != 0 ? 1 : 0;
        }
        const uint32_t t = static_cast<uint32_t>(r[j + m]) - carry - borrow;
        if ((t >> 16) != 0) {
            // The estimate was one too large: add the divisor back once.
            --qhat;
            carry = 0;
            for (uint32_t i = 0; i < m; ++i) {
                const uint32_t sum = static_cast<uint32_t>(r[j + i]) + vd[i] + carry;
                r[j + i] = static_cast<uint16_t>(sum);
                carry = sum >> 16;
            }
        }
        r[j + m] = 0;
        quotient.digits[j] = static_cast<uint16_t>(qhat);
    }
    quotient.digitCount = n - m + 1;
    quotient.Normalize();
    remainder.digitCount = m;
    remainder.Normalize();
    if (s > 0) remainder.ShiftRight(s);
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
    LongIntegerClass result(base);
    if (bits == 1) return result;  // not reduced
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
