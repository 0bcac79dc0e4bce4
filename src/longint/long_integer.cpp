// LongIntegerClass: representation, conversions, comparison, addition, subtraction, shifts
// and the bit-vector operations. Multiplication and division are in long_integer_division.cpp.
#include "longint/long_integer.h"

#include <cstring>

#include "frame/exceptions.h"
#include "frame/memory.h"
#include "longint/digit_util.h"

namespace QIRVALE {

// ---- construction, copying, destruction -----------------------------------------------

LongIntegerClass::LongIntegerClass() : digitCount(1) {
    digits[0] = 0;
}

LongIntegerClass::LongIntegerClass(uint32_t value) : digitCount(1) {
    digits[0] = 0;
    FromUInt32(value);
}

LongIntegerClass::LongIntegerClass(const LongIntegerClass& other) : digitCount(other.digitCount) {
    if (digitCount == 0) {  // a wiped source reads as zero
        digitCount = 1;
        digits[0] = 0;
        return;
    }
    std::memcpy(digits, other.digits, digitCount * sizeof(uint16_t));
}

LongIntegerClass& LongIntegerClass::operator=(const LongIntegerClass& other) {
    if (this == &other) return *this;
    uint32_t n = other.digitCount;
    if (n == 0) {
        n = 1;
        digits[0] = 0;
    } else {
        std::memcpy(digits, other.digits, n * sizeof(uint16_t));
    }
    if (digitCount > n) SecureWipe(digits + n, (digitCount - n) * sizeof(uint16_t));
    digitCount = n;
    return *this;
}

LongIntegerClass::~LongIntegerClass() {
    Wipe();
}

void LongIntegerClass::Wipe() {
    const uint32_t n = digitCount;
    digitCount = 0;
    // The barrier inside SecureWipe also keeps the count store above from being dropped.
    SecureWipe(digits, (n == 0 ? 1 : n) * sizeof(uint16_t));
}

void LongIntegerClass::FromBytes(const uint8_t* bytes, uint32_t length, uint16_t bigEndian) {
    if (length > LongIntegerMaxBytes) throw OutOfMemoryExceptionClass();
    if (length == 0) {
        SetZero();
        return;
    }
    const uint32_t n = (length + 1) / 2;
    const uint32_t old = digitCount;
    if (bigEndian == 0) {
        for (uint32_t i = 0; i + 1 < length; i += 2)
            digits[i / 2] = static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (length & 1) digits[n - 1] = bytes[length - 1];
    } else {
        // bytes[length - 1 - j] is byte j of the value.
        for (uint32_t j = 0; j + 1 < length; j += 2)
            digits[j / 2] =
                static_cast<uint16_t>(bytes[length - 1 - j] | (bytes[length - 2 - j] << 8));
        if (length & 1) digits[n - 1] = bytes[0];
    }
    if (old > n) SecureWipe(digits + n, (old - n) * sizeof(uint16_t));
    digitCount = n;
}

void LongIntegerClass::FromUInt32(uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    FromBytes(bytes, 4, 0);
}

// ---- conversions out --------------------------------------------------------------------

void LongIntegerClass::ToBytes(uint8_t* buffer, uint32_t length, uint16_t bigEndian) const {
    const uint32_t b = ByteLength();
    const uint32_t used = b < length ? b : length;
    for (uint32_t j = 0; j < length; ++j) {
        const uint8_t v = j < used ? GetByte(j) : 0;
        buffer[bigEndian == 0 ? j : length - 1 - j] = v;
    }
}

uint32_t LongIntegerClass::ToUInt32() const {
    if (ByteLength() > 4) throw IntegerOverflowExceptionClass();
    uint32_t v = digits[0];
    if (digitCount >= 2) v |= static_cast<uint32_t>(digits[1]) << 16;
    return v;
}

uint32_t LongIntegerClass::BitLength() const {
    Normalize();
    return 16 * (digitCount - 1) + DigitBitLength(digits[digitCount - 1]);
}

uint32_t LongIntegerClass::ByteLength() const {
    Normalize();
    const uint16_t top = digits[digitCount - 1];
    return 2 * (digitCount - 1) + (top >= 256 ? 2 : (top != 0 ? 1 : 0));
}

bool LongIntegerClass::TestBit(uint32_t i) const {
    if (i / 16 >= digitCount) return false;
    return (digits[i / 16] >> (i % 16)) & 1;
}

bool LongIntegerClass::IsZero() const {
    Normalize();
    return digitCount == 1 && digits[0] == 0;
}

// ---- digit, byte and bit access -------------------------------------------------------

uint32_t LongIntegerClass::EffectiveDigitCount() const {
    Normalize();
    if (digitCount >= 2) return digitCount;
    return digits[0] != 0 ? 1 : 0;
}

uint8_t LongIntegerClass::GetByte(uint32_t j) const {
    if (j / 2 >= digitCount) return 0;
    return static_cast<uint8_t>(digits[j / 2] >> (8 * (j % 2)));
}

void LongIntegerClass::SetDigitCount(uint32_t n) {
    if (n > LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
    digitCount = n == 0 ? 1 : n;
}

void LongIntegerClass::Normalize() const {
    if (digitCount == 0) digitCount = 1;  // a wiped object: digit 0 is zero
    while (digitCount >= 2 && digits[digitCount - 1] == 0) --digitCount;
}

void LongIntegerClass::SetZero() {
    SecureWipe(digits, (digitCount == 0 ? 1 : digitCount) * sizeof(uint16_t));
    digitCount = 1;
}

void LongIntegerClass::Resize(uint32_t n) {
    if (n > digitCount) {
        if (n > LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
        std::memset(digits + digitCount, 0, (n - digitCount) * sizeof(uint16_t));
    } else if (n < digitCount) {
        SecureWipe(digits + n, (digitCount - n) * sizeof(uint16_t));
        if (n == 0) {
            digits[0] = 0;
            digitCount = 1;
        } else {
            digitCount = n;
            Normalize();
        }
    }
}

void LongIntegerClass::SetDigit(uint32_t i, uint16_t d) {
    if (i >= digitCount) {
        if (i >= LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
        Resize(i + 1);
        digitCount = i + 1;
    }
    digits[i] = d;
    Normalize();
}

void LongIntegerClass::SetByte(uint32_t j, uint8_t v) {
    const uint32_t i = j / 2;
    if (i >= digitCount) {
        if (v == 0) return;
        if (i >= LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
        Resize(i + 1);
        digitCount = i + 1;
    }
    const unsigned shift = 8 * (j % 2);
    digits[i] = static_cast<uint16_t>((digits[i] & ~(0xFFu << shift)) | (v << shift));
}

void LongIntegerClass::SetBit(uint32_t i, bool v) {
    const uint32_t d = i / 16;
    if (d >= digitCount) {
        if (!v) return;
        if (d >= LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
        Resize(d + 1);
        digitCount = d + 1;
    }
    const uint16_t mask = static_cast<uint16_t>(1u << (i % 16));
    if (v)
        digits[d] |= mask;
    else
        digits[d] &= static_cast<uint16_t>(~mask);
}

// ---- comparison -------------------------------------------------------------------------

int LongIntegerClass::Compare(const LongIntegerClass& other) const {
    Normalize();
    other.Normalize();
    if (digitCount != other.digitCount) return digitCount > other.digitCount ? 1 : -1;
    for (uint32_t i = digitCount; i-- > 0;) {
        if (digits[i] != other.digits[i]) return digits[i] > other.digits[i] ? 1 : -1;
    }
    return 0;
}

// ---- addition, subtraction, shifts ------------------------------------------------------

void LongIntegerClass::Add(const LongIntegerClass& other) {
    const uint32_t na = EffectiveDigitCount();
    const uint32_t nb = other.EffectiveDigitCount();
    const uint32_t n = na > nb ? na : nb;
    if (n == 0) return;
    if (nb > na) Resize(nb);
    // Reads digit i of both operands before writing digit i, so other may be this object.
    uint32_t carry = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t sum = digits[i] + carry + (i < nb ? other.digits[i] : 0u);
        digits[i] = static_cast<uint16_t>(sum);
        carry = sum >> 16;
    }
    digitCount = n;
    if (carry != 0) {
        if (n >= LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
        digits[n] = static_cast<uint16_t>(carry);
        digitCount = n + 1;
    }
    Normalize();
}

void LongIntegerClass::Subtract(const LongIntegerClass& other) {
    const uint32_t na = EffectiveDigitCount();
    const uint32_t nb = other.EffectiveDigitCount();
    if (nb > na) throw IntegerOverflowExceptionClass();
    uint32_t borrow = 0;
    for (uint32_t i = 0; i < na; ++i) {
        const uint32_t d = digits[i] - (i < nb ? other.digits[i] : 0u) - borrow;
        digits[i] = static_cast<uint16_t>(d);
        borrow = (d >> 16) != 0 ? 1 : 0;
    }
    if (borrow != 0) throw IntegerOverflowExceptionClass();
    Normalize();
}

void LongIntegerClass::Increment() {
    Add(LongIntegerClass(1u));
}

void LongIntegerClass::ShiftLeft(uint32_t s) {
    const uint32_t bits = BitLength();
    if (bits == 0) return;
    const uint32_t c = digitCount;
    // The room check counts whole digits of the shift, so it may refuse a value whose
    // shifted bit length would still fit in 512 digits.
    if (c + (static_cast<uint64_t>(s) + 15) / 16 > LongIntegerMaxDigits)
        throw OutOfMemoryExceptionClass();
    const uint32_t q = s / 16;
    const unsigned t = s % 16;
    const uint32_t newCount = (bits + s + 15) / 16;
    // From the top down: new digit i takes bits from old digits i - q and i - q - 1.
    for (uint32_t i = newCount; i-- > q;) {
        const uint32_t k = i - q;
        const uint32_t hi = k < c ? digits[k] : 0u;
        const uint32_t lo = (k >= 1 && t != 0) ? digits[k - 1] : 0u;
        digits[i] = static_cast<uint16_t>(t == 0 ? hi : ((hi << t) | (lo >> (16 - t))));
    }
    if (q > 0) std::memset(digits, 0, q * sizeof(uint16_t));
    digitCount = newCount;
}

void LongIntegerClass::ShiftRight(uint32_t s) {
    const uint32_t bits = BitLength();
    if (s >= bits) {
        SetZero();
        return;
    }
    const uint32_t c = digitCount;
    const uint32_t q = s / 16;
    const unsigned t = s % 16;
    const uint32_t newCount = c - q;
    for (uint32_t i = 0; i < newCount; ++i) {
        const uint32_t lo = digits[q + i];
        const uint32_t hi = q + i + 1 < c ? digits[q + i + 1] : 0u;
        digits[i] = static_cast<uint16_t>(((hi << 16) | lo) >> t);
    }
    if (q > 0) SecureWipe(digits + newCount, q * sizeof(uint16_t));
    digitCount = newCount;
    Normalize();
}

LongIntegerClass& LongIntegerClass::operator<<=(const LongIntegerClass& s) {
    if (s.ByteLength() > 4) throw IntegerOverflowExceptionClass();
    ShiftLeft(s.ToUInt32());
    return *this;
}

// ---- bitwise operations -----------------------------------------------------------------

void LongIntegerClass::XorWith(const LongIntegerClass& other) {
    const uint32_t na = digitCount;
    const uint32_t nb = other.digitCount;
    const uint32_t common = na < nb ? na : nb;
    for (uint32_t i = 0; i < common; ++i) digits[i] ^= other.digits[i];
    if (nb > na) {
        std::memcpy(digits + na, other.digits + na, (nb - na) * sizeof(uint16_t));
        digitCount = nb;
    }
    if (digitCount == 0) {
        digits[0] = 0;
        digitCount = 1;
    }
}

void LongIntegerClass::AndWith(const LongIntegerClass& other) {
    const uint32_t na = EffectiveDigitCount();
    const uint32_t nb = other.EffectiveDigitCount();
    const uint32_t k = na < nb ? na : nb;
    for (uint32_t i = 0; i < k; ++i) digits[i] &= other.digits[i];
    Resize(k);
}

void LongIntegerClass::XorShifted(const LongIntegerClass& other, uint32_t s) {
    if (&other == this) {
        const LongIntegerClass copy(other);
        XorShifted(copy, s);
        return;
    }
    const uint32_t nb = other.EffectiveDigitCount();
    if (nb == 0) return;
    const uint64_t n = (static_cast<uint64_t>(s) + 15) / 16 + nb;
    if (EffectiveDigitCount() < n) {
        if (n > LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
        Resize(static_cast<uint32_t>(n));
        digitCount = static_cast<uint32_t>(n);
    }
    const uint32_t q = s / 16;
    const unsigned t = s % 16;
    if (t == 0) {
        for (uint32_t i = 0; i < nb; ++i) digits[q + i] ^= other.digits[i];
    } else {
        for (uint32_t i = 0; i < nb; ++i) {
            const uint32_t w = static_cast<uint32_t>(other.digits[i]) << t;
            digits[q + i] ^= static_cast<uint16_t>(w);
            digits[q + i + 1] ^= static_cast<uint16_t>(w >> 16);
        }
    }
}

void LongIntegerClass::TruncateBits(uint32_t n) {
    Normalize();
    const uint64_t keep = (static_cast<uint64_t>(n) + 15) / 16;
    if (keep > LongIntegerMaxDigits) throw OutOfMemoryExceptionClass();
    const uint32_t k = static_cast<uint32_t>(keep);
    Resize(k);
    if (k == 0) return;
    if (n % 16 != 0) digits[k - 1] &= static_cast<uint16_t>((1u << (n % 16)) - 1);
    digitCount = k;
}

void LongIntegerClass::RotateRight(uint32_t w, uint32_t k) {
    if (w == 0) return;
    const uint32_t r = k % w;
    if (r == 0) return;
    LongIntegerClass low(*this);
    low.TruncateBits(r);
    ShiftRight(r);
    XorShifted(low, w - r);
}

void LongIntegerClass::RotateLeft(uint32_t w, uint32_t k) {
    if (w == 0) return;
    const uint32_t r = k % w;
    if (r == 0) return;
    LongIntegerClass low(*this);
    low.TruncateBits(w - r);
    ShiftRight(w - r);
    XorShifted(low, r);
}

void LongIntegerClass::RotateRightOne(uint32_t w) {
    if (w < 2) return;
    const bool bit = TestBit(0);
    ShiftRight(1);
    SetBit(w - 1, bit);
}

void LongIntegerClass::RotateLeftOne(uint32_t w) {
    if (w < 2) return;
    const bool bit = TestBit(w - 1);
    ShiftLeft(1);
    SetBit(w, false);
    SetBit(0, bit);
}

}  // namespace QIRVALE
