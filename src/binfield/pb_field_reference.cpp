#include "binfield/pb_field_reference.h"

#include "binfield/quadratic.h"

#include "frame/exceptions.h"

namespace QIRVALE {
namespace PBReference {

namespace {

void FlipBit(LongIntegerClass& c, uint32_t i) {
    c.SetBit(i, !c.TestBit(i));
}

// The eight bits of a byte moved to the even positions of 16 bits.
uint16_t SpreadByte(uint32_t byte) {
    uint16_t r = 0;
    for (uint32_t b = 0; b < 8; ++b) {
        if ((byte >> b) & 1) r = static_cast<uint16_t>(r | (1u << (2 * b)));
    }
    return r;
}

}  // namespace

LongIntegerClass PolynomialMultiply(const LongIntegerClass& a, const LongIntegerClass& b) {
    LongIntegerClass r;
    const uint32_t length = b.BitLength();
    for (uint32_t i = 0; i < length; ++i) {
        if (b.TestBit(i)) r.XorShifted(a, i);
    }
    return r;
}

void PolynomialDivide(const LongIntegerClass& a, const LongIntegerClass& b,
                      LongIntegerClass& quotient, LongIntegerClass& remainder) {
    const uint32_t d = b.BitLength();
    if (d == 0) throw DivideByZeroExceptionClass();
    quotient.SetZero();
    remainder = a;
    for (uint32_t i = a.BitLength(); i >= d; --i) {
        if (remainder.TestBit(i - 1)) {
            quotient.SetBit(i - d, true);
            remainder.XorShifted(b, i - d);
        }
    }
}

void Reduce(LongIntegerClass& c, const Shape& s) {
    if (c.BitLength() < s.m) return;
    if (s.m <= 1) {
        c.TruncateBits(s.m);
        return;
    }
    for (uint32_t i = 2 * s.m - 2; i >= s.m; --i) {
        if (!c.TestBit(i)) continue;
        FlipBit(c, i - s.m);
        FlipBit(c, i - s.m + s.k);
        if (s.j != 0) FlipBit(c, i - s.m + s.j);
        if (s.l != 0) FlipBit(c, i - s.m + s.l);
    }
    c.TruncateBits(s.m);
}

LongIntegerClass Multiply(const LongIntegerClass& a, const LongIntegerClass& b,
                          const Shape& shape) {
    LongIntegerClass r = PolynomialMultiply(a, b);
    Reduce(r, shape);
    return r;
}

LongIntegerClass Square(const LongIntegerClass& a, const Shape& shape) {
    LongIntegerClass r;
    const uint32_t length = a.BitLength();
    if (length == 0) return r;
    const uint32_t digits = (2 * length - 1 + 15) / 16;
    r.Resize(digits);  // OutOfMemoryExceptionClass beyond 512 digits
    uint16_t* out = r.MutableDigits();
    for (uint32_t i = 0; i < (length + 15) / 16; ++i) {
        const uint16_t d = a.GetDigit(i);
        out[2 * i] = SpreadByte(d & 0xFF);
        if (2 * i + 1 < digits) out[2 * i + 1] = SpreadByte(d >> 8);
    }
    r.SetDigitCount(digits);
    Reduce(r, shape);
    return r;
}

LongIntegerClass Invert(const LongIntegerClass& f, const LongIntegerClass& a) {
    LongIntegerClass r0(f);
    LongIntegerClass r1(a);
    LongIntegerClass s0(1u);
    LongIntegerClass s1;
    while (!r1.IsZero()) {
        LongIntegerClass q;
        LongIntegerClass r;
        PolynomialDivide(r0, r1, q, r);
        LongIntegerClass s(s0);
        s.XorWith(PolynomialMultiply(s1, q));
        r0 = r1;
        r1 = r;
        s0 = s1;
        s1 = s;
    }
    LongIntegerClass numerator(r0);
    numerator.XorWith(PolynomialMultiply(f, s0));
    LongIntegerClass quotient;
    LongIntegerClass remainder;
    PolynomialDivide(numerator, a, quotient, remainder);
    return quotient;
}

PBReferenceField::PBReferenceField(const PBBaseField& field)
    : fieldPolynomial(field.FieldPolynomial()),
      shape{field.Degree(), field.ExponentK(), field.ExponentJ(), field.ExponentL()} {}

LongIntegerClass PBReferenceField::Add(const Element& a, const Element& b) const {
    Element r(a);
    r.XorWith(b);
    return r;
}

LongIntegerClass PBReferenceField::Multiply(const Element& a, const Element& b) const {
    return PBReference::Multiply(a, b, shape);
}

LongIntegerClass PBReferenceField::Square(const Element& a) const {
    return PBReference::Square(a, shape);
}

LongIntegerClass PBReferenceField::SquareRoot(const Element& a) const {
    Element r(a);
    for (uint32_t i = 1; i < shape.m; ++i) r = Square(r);
    return r;
}

LongIntegerClass PBReferenceField::Invert(const Element& a) const {
    return PBReference::Invert(fieldPolynomial, a);
}

LongIntegerClass PBReferenceField::Divide(const Element& a, const Element& b) const {
    return Multiply(a, Invert(b));
}

LongIntegerClass PBReferenceField::Trace(const Element& a) const {
    Element t(a);
    for (uint32_t i = 1; i < shape.m; ++i) {
        t = Square(t);
        t.XorWith(a);
    }
    return t;
}

LongIntegerClass PBReferenceField::HalfTrace(const Element& a) const {
    Element t(a);
    const uint32_t steps = shape.m == 0 ? 0 : (shape.m - 1) / 2;
    for (uint32_t i = 0; i < steps; ++i) {
        t = Square(Square(t));
        t.XorWith(a);
    }
    return t;
}

LongIntegerClass PBReferenceField::SolveQuadratic(const Element& u, const Element& w,
                                                  uint32_t& rootCount) const {
    return SolveQuadraticIn(*this, u, w, rootCount);
}

}  // namespace PBReference
}  // namespace QIRVALE
