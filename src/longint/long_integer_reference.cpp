// Digit-by-digit multiplication, long division and exponentiation (see the header).
#include "longint/long_integer_reference.h"

#include "frame/exceptions.h"
#include "longint/digit_util.h"

namespace QIRVALE {
namespace LongIntegerReference {

LongIntegerClass Multiply(const LongIntegerClass& a, const LongIntegerClass& b) {
    const uint32_t na = a.EffectiveDigitCount();
    const uint32_t nb = b.EffectiveDigitCount();
    LongIntegerClass product;
    if (na == 0 || nb == 0) return product;
    product.Resize(na + nb);  // raises beyond 512 digits
    uint16_t* p = product.MutableDigits();
    const uint16_t* x = a.Digits();
    const uint16_t* y = b.Digits();
    for (uint32_t j = 0; j < nb; ++j) {
        uint32_t carry = 0;
        for (uint32_t i = 0; i < na; ++i) {
            const uint32_t t = static_cast<uint32_t>(x[i]) * y[j] + p[i + j] + carry;
            p[i + j] = static_cast<uint16_t>(t);
            carry = t >> 16;
        }
        p[j + na] = static_cast<uint16_t>(carry);
    }
    product.SetDigitCount(na + nb);
    product.Normalize();
    return product;
}

void DivMod(const LongIntegerClass& a, const LongIntegerClass& divisor, LongIntegerClass& quotient,
            LongIntegerClass& remainder) {
    const uint32_t na = a.EffectiveDigitCount();
    const uint32_t m = divisor.EffectiveDigitCount();
    if (m == 0) throw DivideByZeroExceptionClass();
    quotient.SetZero();
    if (na < m) {
        remainder = a;
        return;
    }
    if (m == 1) {
        const uint32_t d = divisor.Digits()[0];
        uint32_t rem = 0;
        for (uint32_t i = na; i-- > 0;) {
            const uint32_t x = (rem << 16) | a.Digits()[i];
            quotient.SetDigit(i, static_cast<uint16_t>(x / d));
            rem = x % d;
        }
        remainder.SetZero();
        remainder.SetDigit(0, static_cast<uint16_t>(rem));
        return;
    }

    const uint32_t top = DigitBitLength(divisor.Digits()[m - 1]);
    const uint32_t s = top == 16 ? 0 : 16 - top;
    remainder = a;
    LongIntegerClass v(divisor);
    if (s > 0) {
        remainder.ShiftLeft(s);
        v.ShiftLeft(s);
    }
    const uint32_t n = remainder.EffectiveDigitCount();
    quotient.Resize(n - m + 1);
    remainder.Resize(n + 1);  // the spare digit r[n]; raises when n = 512
    uint16_t* r = remainder.MutableDigits();
    uint16_t* q = quotient.MutableDigits();
    const uint16_t* vd = v.Digits();
    for (uint32_t j = n - m + 1; j-- > 0;) {
        const uint32_t x = (static_cast<uint32_t>(r[j + m]) << 16) | r[j + m - 1];
        uint32_t qhat = x / vd[m - 1];
        if (qhat < 65536) {
            const uint32_t rhat = x % vd[m - 1];
            if (vd[m - 2] * qhat > ((rhat << 16) | r[j + m - 2])) --qhat;
        } else {
            qhat = 65535;
        }
        // Subtract qhat * v from the window, digit pair by digit pair, borrowing upwards.
        bool negative = false;
        for (uint32_t i = 0; i < m; ++i) {
            const uint32_t product = qhat * vd[i];
            const uint32_t window = (static_cast<uint32_t>(r[j + i + 1]) << 16) | r[j + i];
            const uint32_t difference = window - product;
            r[j + i] = static_cast<uint16_t>(difference);
            r[j + i + 1] = static_cast<uint16_t>(difference >> 16);
            if (window < product) {
                uint32_t k = j + i + 2;
                for (;;) {
                    if (k > j + m) {
                        negative = true;
                        break;
                    }
                    const uint16_t before = r[k];
                    r[k] = static_cast<uint16_t>(before - 1);
                    if (before != 0) break;
                    ++k;
                }
            }
        }
        if (negative) {
            --qhat;
            uint32_t carry = 0;
            for (uint32_t i = 0; i < m; ++i) {
                const uint32_t sum = static_cast<uint32_t>(r[j + i]) + vd[i] + carry;
                r[j + i] = static_cast<uint16_t>(sum);
                carry = sum >> 16;
            }
        }
        r[j + m] = 0;
        q[j] = static_cast<uint16_t>(qhat);
    }
    uint32_t count = m;
    while (count > 1 && r[count - 1] == 0) --count;
    remainder.SetDigitCount(count);
    if (s > 0) remainder.ShiftRight(s);
    quotient.SetDigitCount(n - m + 1);
    quotient.Normalize();
}

LongIntegerClass ModExp(const LongIntegerClass& base, const LongIntegerClass& exponent,
                        const LongIntegerClass& m) {
    const uint32_t bits = exponent.BitLength();
    if (bits == 0) return LongIntegerClass(1u);
    LongIntegerClass result(base);
    if (bits == 1) return result;
    LongIntegerClass quotient;
    LongIntegerClass remainder;
    for (uint32_t i = bits - 1; i-- > 0;) {
        result = Multiply(result, result);
        DivMod(result, m, quotient, remainder);
        result = remainder;
        if (exponent.TestBit(i)) {
            result = Multiply(result, base);
            DivMod(result, m, quotient, remainder);
            result = remainder;
        }
    }
    return result;
}

}  // namespace LongIntegerReference
}  // namespace QIRVALE
