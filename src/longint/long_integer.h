// LongIntegerClass: the library's one number type.
//
// A non-negative integer of at most 8192 bits held in a fixed array of 512 16-bit digits
// (least significant first) plus a digit count; no heap storage. The prime-field signature
// computes with it directly, the binary fields use it as a bit vector, and every byte string
// that crosses the boundary as a number is converted to and from it here.
//
// Conventions:
//  - Zero is digitCount 1 with digit 0 equal to 0. A value may carry leading zero digits
//    (after FromBytes and the bitwise operations); it is then "not normalised". Operations
//    whose result depends on an operand's length normalise that operand first, in place,
//    even when they only read it. This never changes a value, so those operations take
//    const references and digitCount is mutable. Two threads must therefore not share one
//    object even for reading.
//  - Digits at index digitCount and above are not part of the value and may hold anything;
//    an operation that lengthens a value zeroes the digits it starts to use.
//  - Capacity: 512 digits. Growing beyond it raises OutOfMemoryExceptionClass from the
//    growing step, before the digit is written.
//  - Destruction, SetZero and shrinking overwrite the dropped digits with zero, so secrets
//    leave no copies behind. Every temporary is wiped as the stack unwinds.
//  - The "effective digit count" of a value is digitCount when it is at least 2, else 1 when
//    digit 0 is non-zero, else 0.
#pragma once

#include <cstdint>

namespace QIRVALE {

constexpr uint32_t LongIntegerMaxDigits = 512;
constexpr uint32_t LongIntegerMaxBytes = 2 * LongIntegerMaxDigits;

class LongIntegerClass {
  public:
    // ---- construction, copying, destruction -------------------------------------------

    // The value 0.
    LongIntegerClass();
    // The value of an unsigned 32-bit number (FromUInt32).
    explicit LongIntegerClass(uint32_t value);
    LongIntegerClass(const LongIntegerClass& other);
    // Copies the used digits of `other`, zeroes this object's digits from other's count up
    // to its own old count, then takes other's count.
    LongIntegerClass& operator=(const LongIntegerClass& other);
    // Wipe().
    ~LongIntegerClass();

    // Builds the value from `length` bytes: little-endian (first byte least significant)
    // when bigEndian is 0, big-endian otherwise. Length 0 gives 0. More than 1024 bytes
    // raises OutOfMemoryExceptionClass. digitCount becomes (length + 1) / 2: the result is
    // not normalised.
    void FromBytes(const uint8_t* bytes, uint32_t length, uint16_t bigEndian = 0);
    // FromBytes of the four little-endian bytes of `value`.
    void FromUInt32(uint32_t value);
    // Overwrites the used digits with zero and sets digitCount to 0 (destroyed state).
    void Wipe();

    // ---- conversions out --------------------------------------------------------------

    // Writes exactly `length` bytes: the value's ByteLength() bytes and zero padding
    // (little-endian: value first, zeros after; big-endian: zeros first). When the value has
    // more bytes than `length`, only the low `length` bytes are written; callers that must
    // not lose bytes compare ByteLength() first.
    void ToBytes(uint8_t* buffer, uint32_t length, uint16_t bigEndian = 0) const;
    // The value as 32 bits; IntegerOverflowExceptionClass when ByteLength() > 4.
    uint32_t ToUInt32() const;
    // Position of the highest set bit plus one; 0 for zero.
    uint32_t BitLength() const;
    // Number of significant bytes; 0 for zero.
    uint32_t ByteLength() const;
    // Bit i of the value; 0 when i >= 16 * digitCount.
    bool TestBit(uint32_t i) const;
    bool IsZero() const;

    // ---- digit, byte and bit access ---------------------------------------------------

    uint32_t DigitCount() const { return digitCount; }
    // Effective digit count (normalises first): 0 for zero.
    uint32_t EffectiveDigitCount() const;
    // Digit i; 0 when i >= digitCount.
    uint16_t GetDigit(uint32_t i) const { return i < digitCount ? digits[i] : 0; }
    // Byte j of the little-endian byte view; 0 beyond the used digits.
    uint8_t GetByte(uint32_t j) const;
    // Direct access to the digit array, for word-wise algorithms. Digits at and above
    // DigitCount() are not part of the value. After writing digits, set the count with
    // SetDigitCount (which does not zero anything) and normalise if required.
    const uint16_t* Digits() const { return digits; }
    uint16_t* MutableDigits() { return digits; }
    // Sets digitCount to n (1..512) without touching any digit; OutOfMemoryExceptionClass
    // for n > 512.
    void SetDigitCount(uint32_t n);

    // Drops leading zero digits, keeping digitCount >= 1.
    void Normalize() const;
    // Overwrites the used digits with zero; digitCount 1.
    void SetZero();
    // n > digitCount: zero digits digitCount..n-1 (OutOfMemoryExceptionClass when n > 512),
    // digitCount unchanged. n < digitCount: zero digits n..digitCount-1; n = 0 gives the
    // value 0, otherwise digitCount = n, then Normalize. n = digitCount: nothing.
    void Resize(uint32_t n);
    // Grows to i + 1 digits when needed, writes d to digit i, then Normalize.
    void SetDigit(uint32_t i, uint16_t d);
    // Writes byte j of the byte view; a zero byte beyond the used digits is not written,
    // a non-zero one grows the value to j / 2 + 1 digits.
    void SetByte(uint32_t j, uint8_t v);
    // Sets (v != 0) or clears bit i in place without normalising; setting a bit beyond the
    // used digits grows the value to i / 16 + 1 digits, clearing one there does nothing.
    void SetBit(uint32_t i, bool v);

    // ---- comparison (unsigned magnitudes, operands normalised) --------------------------

    // -1, 0 or 1.
    int Compare(const LongIntegerClass& other) const;
    friend bool operator==(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Compare(b) == 0;
    }
    friend bool operator!=(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Compare(b) != 0;
    }
    friend bool operator<(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Compare(b) < 0;
    }
    friend bool operator<=(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Compare(b) <= 0;
    }
    friend bool operator>(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Compare(b) > 0;
    }
    friend bool operator>=(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Compare(b) >= 0;
    }

    // ---- addition, subtraction, shifts ------------------------------------------------

    // this += other; a carry out of digit 511 raises OutOfMemoryExceptionClass.
    void Add(const LongIntegerClass& other);
    // this -= other; IntegerOverflowExceptionClass when other > this (this is then
    // unspecified, but destructible).
    void Subtract(const LongIntegerClass& other);
    // this += 1.
    void Increment();
    // this <<= s. Raises OutOfMemoryExceptionClass when the effective count plus
    // (s + 15) / 16 exceeds 512, even if the shifted value would fit in one digit less.
    void ShiftLeft(uint32_t s);
    // this >>= s.
    void ShiftRight(uint32_t s);

    LongIntegerClass& operator+=(const LongIntegerClass& other) {
        Add(other);
        return *this;
    }
    LongIntegerClass& operator-=(const LongIntegerClass& other) {
        Subtract(other);
        return *this;
    }
    LongIntegerClass& operator<<=(uint32_t s) {
        ShiftLeft(s);
        return *this;
    }
    // Shift by a long count: IntegerOverflowExceptionClass when the count has more than
    // 4 significant bytes.
    LongIntegerClass& operator<<=(const LongIntegerClass& s);
    LongIntegerClass& operator>>=(uint32_t s) {
        ShiftRight(s);
        return *this;
    }
    friend LongIntegerClass operator+(const LongIntegerClass& a, const LongIntegerClass& b) {
        LongIntegerClass r(a);
        r.Add(b);
        return r;
    }
    friend LongIntegerClass operator-(const LongIntegerClass& a, const LongIntegerClass& b) {
        LongIntegerClass r(a);
        r.Subtract(b);
        return r;
    }
    friend LongIntegerClass operator<<(const LongIntegerClass& a, uint32_t s) {
        LongIntegerClass r(a);
        r.ShiftLeft(s);
        return r;
    }
    friend LongIntegerClass operator>>(const LongIntegerClass& a, uint32_t s) {
        LongIntegerClass r(a);
        r.ShiftRight(s);
        return r;
    }

    // ---- bitwise operations (the value as a bit vector) --------------------------------

    // this ^= other over the stored digit counts, without normalising either operand; the
    // result keeps the longer count and is not normalised.
    void XorWith(const LongIntegerClass& other);
    // this &= other over the effective counts; the result has the smaller count.
    void AndWith(const LongIntegerClass& other);
    // this ^= other * 2^s (grows this when needed; not normalised).
    void XorShifted(const LongIntegerClass& other, uint32_t s);
    // Keeps the low n bits: digitCount becomes (n + 15) / 16 (value 0 for n = 0).
    void TruncateBits(uint32_t n);
    // Cyclic rotation of the low w bits (w >= 1, value below 2^w) by k mod w positions.
    // Right: bit t goes to bit (t - k) mod w. Left: bit t goes to bit (t + k) mod w.
    void RotateRight(uint32_t w, uint32_t k);
    void RotateLeft(uint32_t w, uint32_t k);
    // Rotation by one position within w bits (w < 2 does nothing).
    void RotateRightOne(uint32_t w);
    void RotateLeftOne(uint32_t w);

    LongIntegerClass& operator^=(const LongIntegerClass& other) {
        XorWith(other);
        return *this;
    }
    LongIntegerClass& operator&=(const LongIntegerClass& other) {
        AndWith(other);
        return *this;
    }

    // ---- multiplication, division, modular arithmetic ----------------------------------

    // this * other. OutOfMemoryExceptionClass when the effective counts add up to more than
    // 512, even if the product would need one digit less.
    LongIntegerClass Multiply(const LongIntegerClass& other) const;
    // quotient = this div divisor, remainder = this mod divisor (both may not alias this or
    // divisor). DivideByZeroExceptionClass for a zero divisor (quotient and remainder then
    // untouched); otherwise the quotient is zeroed first. With a divisor of m >= 2 digits and
    // a dividend of at least m digits, OutOfMemoryExceptionClass when BitLength() + s > 8176,
    // s being the shift that sets the top bit of the divisor's top digit.
    void DivMod(const LongIntegerClass& divisor, LongIntegerClass& quotient,
                LongIntegerClass& remainder) const;
    LongIntegerClass Divide(const LongIntegerClass& divisor) const;
    LongIntegerClass Modulo(const LongIntegerClass& divisor) const;
    // this mod d; DivideByZeroExceptionClass for d = 0.
    uint32_t ModuloUInt32(uint32_t d) const;
    // (a * b) mod m.
    static LongIntegerClass ModMul(const LongIntegerClass& a, const LongIntegerClass& b,
                                   const LongIntegerClass& m);
    // base ^ exponent mod m. Exponent 0 gives 1 whatever m is; exponent 1 gives base
    // unreduced; m = 0 with an exponent of two or more bits raises
    // DivideByZeroExceptionClass.
    static LongIntegerClass ModExp(const LongIntegerClass& base, const LongIntegerClass& exponent,
                                   const LongIntegerClass& m);

    LongIntegerClass& operator*=(const LongIntegerClass& other) {
        *this = Multiply(other);
        return *this;
    }
    LongIntegerClass& operator%=(const LongIntegerClass& m) {
        *this = Modulo(m);
        return *this;
    }
    friend LongIntegerClass operator*(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Multiply(b);
    }
    friend LongIntegerClass operator/(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Divide(b);
    }
    friend LongIntegerClass operator%(const LongIntegerClass& a, const LongIntegerClass& b) {
        return a.Modulo(b);
    }

  private:
    uint16_t digits[LongIntegerMaxDigits];
    mutable uint32_t digitCount;
};

}  // namespace QIRVALE
