// The polynomial-basis field arithmetic written the plain way, on LongIntegerClass values.
//
// These are the definitions the fast field (pb_field.h) must reproduce bit for bit,
// exceptions included. The field itself falls back to them where speed does not matter and
// the exact capacity behaviour is intricate (inversion of unreduced operands, inversion in
// fields of degree 4096 and more); tests and benchmarks compare against them.
//
// Every function reads its operands through LongIntegerClass operations, which normalise
// them in place: pass values that no other thread uses.
#pragma once

#include <cstdint>

#include "binfield/pb_field.h"
#include "longint/long_integer.h"

namespace QIRVALE {
namespace PBReference {

// For each set bit i of b, from bit 0 up: result ^= a * t^i.
LongIntegerClass PolynomialMultiply(const LongIntegerClass& a, const LongIntegerClass& b);
// Schoolbook division from the top bit of a down to the degree of b.
void PolynomialDivide(const LongIntegerClass& a, const LongIntegerClass& b,
                      LongIntegerClass& quotient, LongIntegerClass& remainder);

// The reduction polynomial as the fold reads it: t^m = t^k + t^j + t^l + 1 (j, l = 0 absent).
struct Shape {
    uint32_t m;
    uint32_t k;
    uint32_t j;
    uint32_t l;
};

// Bit-at-a-time fold of positions 2m-2 down to m, then truncation to m bits.
void Reduce(LongIntegerClass& c, const Shape& shape);
LongIntegerClass Multiply(const LongIntegerClass& a, const LongIntegerClass& b, const Shape& shape);
// Digit spreading, then Reduce.
LongIntegerClass Square(const LongIntegerClass& a, const Shape& shape);
// Extended Euclid on (f, a) tracking the cofactor of f; the result is the exact quotient
// (r0 + f * s0) / a.
LongIntegerClass Invert(const LongIntegerClass& f, const LongIntegerClass& a);

// The whole field interface on these algorithms (the definition of PBBaseField's results).
class PBReferenceField {
  public:
    using Element = LongIntegerClass;

    explicit PBReferenceField(const PBBaseField& field);

    uint32_t Degree() const { return shape.m; }
    uint32_t CompressionBitIndex() const { return 0; }
    Element Zero() const { return Element(); }
    Element One() const { return Element(1u); }
    static bool IsZero(const Element& a) { return a.BitLength() == 0; }
    Element Add(const Element& a, const Element& b) const;
    void AddInPlace(Element& a, const Element& b) const { a.XorWith(b); }
    Element Multiply(const Element& a, const Element& b) const;
    void MultiplyInPlace(Element& a, const Element& b) const { a = Multiply(a, b); }
    Element Square(const Element& a) const;
    Element SquareRoot(const Element& a) const;
    Element Invert(const Element& a) const;
    Element Divide(const Element& a, const Element& b) const;
    Element Trace(const Element& a) const;
    Element HalfTrace(const Element& a) const;
    // The half-trace for every m, as the literal algorithm has it.
    Element QuadraticRoot(const Element& v) const { return HalfTrace(v); }
    Element SolveQuadratic(const Element& u, const Element& w, uint32_t& rootCount) const;
    static Element ElementFromBytes(const uint8_t* bytes, uint32_t length) {
        return PBBaseField::ElementFromBytes(bytes, length);
    }
    static void ElementToBytes(const Element& a, uint8_t* buffer, uint32_t length) {
        PBBaseField::ElementToBytes(a, buffer, length);
    }
    static uint32_t ElementByteLength(const Element& a) { return a.ByteLength(); }
    void Reduce(Element& c) const { PBReference::Reduce(c, shape); }

  private:
    LongIntegerClass fieldPolynomial;
    Shape shape;
};

}  // namespace PBReference
}  // namespace QIRVALE
