// GF(2^m) in an optimal normal basis of type II.
//
// The basis is (beta, beta^2, beta^4, ..., beta^(2^(m-1))) with beta = gamma + 1/gamma for a
// primitive (2m+1)-th root of unity gamma. Nothing of gamma is stored: the basis enters the
// arithmetic only through the multiplication table, the pairs (i, j) with
// 2^i +- 2^j = +-1 (mod 2m+1).
//
// Element representation (ONBFieldElement, a LongIntegerClass below 2^m): bit t of the integer
// is the coefficient of beta^(2^(m-1-t)). So the coefficient of beta is bit m-1 (the
// compression bit of packed points), the unit is 2^m - 1 (all m bits set), squaring is a
// rotation right by one bit within m bits and the square root a rotation left by one bit.
//
// Operands are not reduced on entry: byte strings from callers become elements unchecked, and
// only Add checks that its operands have at most m bits. Every other operation accepts any
// long integer and gives a defined, deterministic result for operands of more than m bits:
// the one obtained by running its algorithm with "rotation left by r within m bits" meaning
// (v >> (m - r)) XOR ((v mod 2^(m-r)) << r) and "rotation right by r" meaning
// (v >> r) XOR ((v mod 2^r) << (m - r)). For values below 2^m these are plain cyclic
// rotations; above, they are what a rotation built from a truncated copy, a shift and an
// exclusive-or produces. Such results may have more than m bits themselves.
//
// Internally the arithmetic runs on arrays of machine words; the results are bit for bit
// those of the table-driven algorithms written above each function in onb_field.cpp.
#pragma once

#include <cstdint>

#include "longint/long_integer.h"

namespace QIRVALE {

// One pair (i, j) of the multiplication table: c_k = sum over the pairs of a_(k+i) * b_(k+j),
// coefficient indices taken modulo m.
struct MultiplicationTableEntry {
    uint32_t row;     // i, 0 .. m-1
    uint32_t column;  // j, 0 .. m-1
};

using ONBFieldElement = LongIntegerClass;

// The largest degree a field can have. The table is defined through the exact powers
// 2^0 .. 2^(m-1) held as long integers, and shifting a 512-digit power fails for capacity,
// from m = 8177 on; element rotations also outgrow a long integer there. Larger degrees are
// refused with OutOfMemoryExceptionClass before anything is allocated (an unsigned 16-bit
// degree such as 65535 is refused at once).
constexpr uint32_t ONBMaxDegree = 8176;

class ONBBaseField {
  public:
    using Element = ONBFieldElement;

    // A field that is not built: degree 0, no table. Element arithmetic on it raises
    // AssertExceptionClass; it may be assigned a built field or destroyed.
    ONBBaseField() noexcept : degree(0), multiplicationTable(nullptr) {}

    // Builds the field of degree m (BuildMultiplicationTable). Raises AssertExceptionClass for
    // m = 0 and for every m without a type II optimal normal basis (HasTypeTwoBasis; m = 4 or
    // m = 12, for example), OutOfMemoryExceptionClass for m > ONBMaxDegree or when the table
    // cannot be allocated.
    explicit ONBBaseField(uint32_t m);

    // Whether GF(2^m) has an optimal normal basis of type II: p = 2m + 1 is prime, and 2
    // generates the multiplicative group modulo p, or p = 3 (mod 4) and 2 has order m modulo
    // p. Only then is beta a normal element and the table's product that of a field. Some
    // other m (12, 24, 60, 84, 148, 180, 181, 218, ...) also give a table of 2m - 1 pairs,
    // but its product is not associative.
    static bool HasTypeTwoBasis(uint32_t m);

    // CopyField: a deep copy with its own table. Copying a field of degree 0 raises
    // AssertExceptionClass; a failed allocation raises OutOfMemoryExceptionClass.
    ONBBaseField(const ONBBaseField& other);
    // Copy-and-swap: on an exception this field is left unchanged.
    ONBBaseField& operator=(const ONBBaseField& other);
    // Moves leave the source as a field of degree 0.
    ONBBaseField(ONBBaseField&& other) noexcept;
    ONBBaseField& operator=(ONBBaseField&& other) noexcept;
    // DestroyField.
    ~ONBBaseField() { DestroyField(); }

    static ONBBaseField CopyField(const ONBBaseField& source) { return ONBBaseField(source); }
    // Overwrites the table with zeros, releases it and sets the degree to 0. Idempotent.
    void DestroyField() noexcept;

    // ---- the field --------------------------------------------------------------------

    uint32_t Degree() const { return degree; }
    // m - 1 (0 when m is 0): the bit of the coefficient of beta.
    uint32_t CompressionBitIndex() const { return degree == 0 ? 0 : degree - 1; }
    // The table in its stored order (row ascending, column ascending within a row); null
    // for a field that is not built.
    const MultiplicationTableEntry* MultiplicationTable() const { return multiplicationTable; }
    // 2m - 1, or 0 for a field that is not built.
    uint32_t MultiplicationTableLength() const {
        return multiplicationTable == nullptr ? 0 : 2 * degree - 1;
    }

    // ---- elements ---------------------------------------------------------------------

    Element Zero() const { return Element(); }
    // 2^m - 1.
    Element One() const;
    static bool IsZero(const Element& a) { return a.BitLength() == 0; }

    // a XOR b; AssertExceptionClass when a or b has more than m bits.
    Element Add(const Element& a, const Element& b) const;
    // a ^= b, unchecked.
    void AddInPlace(Element& a, const Element& b) const { a.XorWith(b); }
    // a * b by the table. Operands are not checked (see the file comment).
    Element Multiply(const Element& a, const Element& b) const;
    void MultiplyInPlace(Element& a, const Element& b) const { a = Multiply(a, b); }
    // Rotation right by one bit within m bits.
    Element Square(const Element& a) const;
    // Rotation left by one bit within m bits.
    Element SquareRoot(const Element& a) const;
    // a^(2^m - 2) by the Itoh-Tsujii chain; AssertExceptionClass for a = 0.
    Element Invert(const Element& a) const;
    // a * Invert(b); AssertExceptionClass for b = 0.
    Element Divide(const Element& a, const Element& b) const;
    // Sum of a^(2^i), i < m: Zero() or One() for a below 2^m. Formed with the checked Add, so
    // an operand of more than m bits raises AssertExceptionClass (for m >= 2; for m = 1 the
    // sum has one term and a is returned as it is).
    Element Trace(const Element& a) const;
    // Sum of a^(4^i), i <= (m-1)/2, formed with the checked Add like Trace (no check, and a
    // itself returned, when m <= 2). For odd m and Trace(a) = 0, z = HalfTrace(a) solves
    // z^2 + z = a.
    Element HalfTrace(const Element& a) const;
    // A root of z^2 + z = t for t of trace zero: HalfTrace(t) for odd m; for even m, where the
    // half-trace solves nothing, the root whose coefficient of beta is 0.
    Element QuadraticRoot(const Element& t) const;
    // One root of z^2 + u z = w and the number of roots (binfield/quadratic.h).
    Element SolveQuadratic(const Element& u, const Element& w, uint32_t& rootCount) const;

    // ---- byte strings -----------------------------------------------------------------

    // The integer of `length` bytes (little-endian unless bigEndian is non-zero), unchecked
    // against m; more than 1024 bytes raise OutOfMemoryExceptionClass.
    static Element ElementFromBytes(const uint8_t* bytes, uint32_t length, uint16_t bigEndian = 0);
    // Fills all `length` bytes with zero, then writes the low min(length, ElementByteLength)
    // bytes of a: byte i to buffer[i] (little-endian) or buffer[length-1-i] (big-endian).
    // Callers that must not lose bytes compare ElementByteLength with length first.
    static void ElementToBytes(const Element& a, uint8_t* buffer, uint32_t length,
                               uint16_t bigEndian = 0);
    // Significant bytes of a; 0 for zero.
    static uint32_t ElementByteLength(const Element& a) { return a.ByteLength(); }

  private:
    // Builds the table for `degree` (see ONBBaseField(uint32_t)); does nothing if it exists.
    void BuildMultiplicationTable();
    // AssertExceptionClass unless the field is built.
    void RequireBuilt() const;

    uint32_t degree;
    MultiplicationTableEntry* multiplicationTable;  // 2m-1 entries, owned
};

}  // namespace QIRVALE
