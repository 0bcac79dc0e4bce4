// Point arithmetic on the curves y^2 + x y = x^3 + A x^2 + B over GF(2^m), written once for
// every field type that offers the binary-field interface (PBBaseField, ONBBaseField).
//
// What differs between the bases is a property of the field type, never a second copy of an
// algorithm here:
//  - the unit element is field.One() everywhere: projective infinity (One, 0, 0), points
//    entering projective form as (x, y, One), the test Z1 = One of mixed addition (an integer
//    comparison), z + One in unpacking, and A = 1 stored as One;
//  - field.Add is used exactly for the sums the normal basis checks (X1^4 + B Z1^4 in
//    doubling, y' = x + y in scalar multiplication); every other sum is the unchecked
//    field.AddInPlace;
//  - the compression bit of a packed point is field.CompressionBitIndex();
//  - inverting zero raises whatever the field's Invert raises.
//
// Affine points carry an atInfinity flag. Every operation that makes a point from coordinates
// sets it exactly when x = 0 and y = 0 (no point of a curve with B != 0 has those
// coordinates); the point at infinity is held as (0, 0). Projective points are López-Dahab
// triples (X, Y, Z) standing for (X / Z, Y / Z^2); any Z = 0 is infinity.
//
// Coordinates are not checked to be reduced or on the curve, except by CheckBasePoint.
#pragma once

#include <cstdint>

#include "frame/exceptions.h"
#include "longint/long_integer.h"

namespace QIRVALE {

// The curve record: coefficients A (the field's Zero or One) and B, and the curve's own copy
// of the field. A and B are normalised here, so comparing with them later never writes to
// them and a curve may be shared by concurrent calls.
template <class Field>
struct CurveParameters {
    using Element = typename Field::Element;

    CurveParameters(const Field& curveField, bool aIsOne, const Element& coefficientB)
        : a(aIsOne ? curveField.One() : curveField.Zero()), b(coefficientB), field(curveField) {
        a.Normalize();
        b.Normalize();
    }

    Element a;
    Element b;
    Field field;
};

template <class Field>
struct AffinePoint {
    using Element = typename Field::Element;

    // The point at infinity.
    AffinePoint() : x(), y(), atInfinity(1) {}
    // (x, y), flagged as infinity exactly when both are zero.
    AffinePoint(const Element& xValue, const Element& yValue)
        : x(xValue), y(yValue), atInfinity(Field::IsZero(x) && Field::IsZero(y) ? 1 : 0) {}

    Element x;
    Element y;
    uint8_t atInfinity;
};

template <class Field>
struct ProjectivePoint {
    using Element = typename Field::Element;

    Element X;
    Element Y;
    Element Z;
};

// Signed binary digits d_i in {-1, 0, +1} with k = sum of d_i 2^i and no two adjacent digits
// non-zero: nonZeroMask has bit i set where d_i != 0, negativeMask where d_i = -1. The top
// digit is +1, at position L - 1 or L for a k of bit length L. k itself is not modified (nor
// normalised). A k of 8192 bits whose top digit lands at position 8192 raises
// OutOfMemoryExceptionClass.
void RecodeNonAdjacent(const LongIntegerClass& k, LongIntegerClass& nonZeroMask,
                       LongIntegerClass& negativeMask);

// p = 2 p in place (López-Dahab): Z3 = X1^2 Z1^2, X3 = X1^4 + B Z1^4,
// Y3 = (Y1^2 + B Z1^4 + [A != 0] Z3) X3 + B Z1^4 Z3. Five squares, four products.
template <class Field>
void DoublePoint(const CurveParameters<Field>& curve, ProjectivePoint<Field>& p) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    if (Field::IsZero(p.Z)) {
        p.X = f.One();
        p.Y = f.Zero();
        p.Z = f.Zero();
        return;
    }
    const Element x2 = f.Square(p.X);
    const Element z2 = f.Square(p.Z);
    const Element z3 = f.Multiply(x2, z2);
    const Element x4 = f.Square(x2);
    const Element z4 = f.Square(z2);
    const Element bz4 = f.Multiply(curve.b, z4);
    const Element x3 = f.Add(x4, bz4);  // checked in the normal basis
    Element y3 = f.Square(p.Y);
    f.AddInPlace(y3, bz4);
    if (!Field::IsZero(curve.a)) f.AddInPlace(y3, z3);
    f.MultiplyInPlace(y3, x3);
    f.AddInPlace(y3, f.Multiply(bz4, z3));
    p.X = x3;
    p.Y = y3;
    p.Z = z3;
}

// p = p + (x2, y2) in place, (x2, y2) affine (López-Dahab mixed coordinates).
// Equal points are doubled: with Z1 = One when X1 = x2 and Y1 = y2 as integers, otherwise when
// X1 = x2 Z1 and Y1 = y2 Z1^2 (the sums T3 and T2 below vanish), since the general formula
// would give infinity for them. For p = -(x2, y2) it gives Z3 = 0, infinity.
template <class Field>
void MixedAdd(const CurveParameters<Field>& curve, ProjectivePoint<Field>& p,
              const typename Field::Element& x2, const typename Field::Element& y2) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    if (Field::IsZero(p.Z)) {
        p.X = x2;
        p.Y = y2;
        p.Z = f.One();
        return;
    }
    const bool zIsOne = p.Z == f.One();
    if (zIsOne && p.X == x2 && p.Y == y2) {
        DoublePoint(curve, p);
        return;
    }
    const Element t1 = f.Square(p.Z);
    Element t2 = f.Multiply(y2, t1);
    f.AddInPlace(t2, p.Y);
    Element t3 = f.Multiply(x2, p.Z);
    f.AddInPlace(t3, p.X);
    if (!zIsOne && Field::IsZero(t2) && Field::IsZero(t3)) {
        DoublePoint(curve, p);
        return;
    }
    const Element t4 = f.Multiply(p.Z, t3);
    Element t5 = f.Square(t3);
    if (Field::IsZero(curve.a)) {
        f.MultiplyInPlace(t5, t4);
    } else {
        Element s = t4;
        f.AddInPlace(s, t1);
        f.MultiplyInPlace(t5, s);
    }
    const Element z3 = f.Square(t4);
    const Element t6 = f.Multiply(t2, t4);
    Element x3 = f.Square(t2);
    f.AddInPlace(x3, t5);
    f.AddInPlace(x3, t6);
    Element t7 = f.Multiply(x2, z3);
    f.AddInPlace(t7, x3);
    Element t8 = x2;
    f.AddInPlace(t8, y2);
    f.MultiplyInPlace(t8, f.Square(z3));
    Element y3 = t6;
    f.AddInPlace(y3, z3);
    f.MultiplyInPlace(y3, t7);
    f.AddInPlace(y3, t8);
    p.X = x3;
    p.Y = y3;
    p.Z = z3;
}

// k P by the non-adjacent form of k, left to right, in projective coordinates with one
// inversion at the end. k = 0 gives infinity; the flag of P is not consulted, its coordinates
// are used as they are, and k is not reduced modulo any order.
template <class Field>
AffinePoint<Field> ScalarMultiply(const CurveParameters<Field>& curve, const LongIntegerClass& k,
                                  const AffinePoint<Field>& p) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    LongIntegerClass nonZero;
    LongIntegerClass negative;
    {
        const LongIntegerClass scalar(k);  // k may be shared; reading a copy never writes to it
        if (scalar.IsZero()) return AffinePoint<Field>();
        RecodeNonAdjacent(scalar, nonZero, negative);
    }
    const uint32_t digits = nonZero.BitLength();
    const Element yOfNegative = f.Add(p.x, p.y);  // checked in the normal basis
    ProjectivePoint<Field> r{p.x, p.y, f.One()};
    for (uint32_t i = digits - 1; i-- > 0;) {
        DoublePoint(curve, r);
        if (nonZero.TestBit(i)) MixedAdd(curve, r, p.x, negative.TestBit(i) ? yOfNegative : p.y);
    }
    if (Field::IsZero(r.Z)) return AffinePoint<Field>();
    const Element z = f.Invert(r.Z);
    const Element x = f.Multiply(r.X, z);
    const Element y = f.Multiply(f.Multiply(r.Y, z), z);
    return AffinePoint<Field>(x, y);
}

// P + Q in affine coordinates. Points with equal x are doubled when their y are equal and
// cancel when Q = -P; any other pair with equal x raises AssertExceptionClass. Doubling a point
// with x = 0 inverts zero.
template <class Field>
AffinePoint<Field> AddPoints(const CurveParameters<Field>& curve, const AffinePoint<Field>& p,
                             const AffinePoint<Field>& q) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    if (p.atInfinity) return q;
    if (q.atInfinity) return p;
    if (p.x == q.x) {
        if (p.y == q.y) {
            // x3 = x^2 + B / x^2, lambda = x + y / x, y3 = x^2 + lambda x3 + x3.
            const Element x2 = f.Square(p.x);
            Element x3 = f.Divide(curve.b, x2);
            f.AddInPlace(x3, x2);
            Element lambda = f.Divide(p.y, p.x);
            f.AddInPlace(lambda, p.x);
            Element y3 = f.Multiply(lambda, x3);
            f.AddInPlace(y3, x2);
            f.AddInPlace(y3, x3);
            return AffinePoint<Field>(x3, y3);
        }
        Element minusY = p.x;
        f.AddInPlace(minusY, p.y);
        if (q.y == minusY) return AffinePoint<Field>();
        throw AssertExceptionClass();
    }
    // lambda = (yP + yQ) / (xP + xQ); x3 = lambda^2 + lambda + xP + xQ + A;
    // y3 = lambda (xP + x3) + x3 + yP.
    Element dy = p.y;
    f.AddInPlace(dy, q.y);
    Element dx = p.x;
    f.AddInPlace(dx, q.x);
    const Element lambda = f.Divide(dy, dx);
    Element x3 = f.Square(lambda);
    f.AddInPlace(x3, lambda);
    f.AddInPlace(x3, p.x);
    f.AddInPlace(x3, q.x);
    f.AddInPlace(x3, curve.a);
    Element y3 = p.x;
    f.AddInPlace(y3, x3);
    f.MultiplyInPlace(y3, lambda);
    f.AddInPlace(y3, x3);
    f.AddInPlace(y3, p.y);
    return AffinePoint<Field>(x3, y3);
}

// -P = (x, x + y); infinity stays infinity.
template <class Field>
AffinePoint<Field> NegatePoint(const CurveParameters<Field>& curve, const AffinePoint<Field>& p) {
    if (p.atInfinity) return AffinePoint<Field>();
    typename Field::Element y = p.x;
    curve.field.AddInPlace(y, p.y);
    return AffinePoint<Field>(p.x, y);
}

// The packed form: 0 for x = 0 (also for infinity); otherwise x with its compression bit
// replaced by the trace bit of y / x.
template <class Field>
typename Field::Element PackPoint(const CurveParameters<Field>& curve,
                                  const AffinePoint<Field>& p) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    if (Field::IsZero(p.x)) return f.Zero();
    Element packed = p.x;
    const Element trace = f.Trace(f.Divide(p.y, p.x));
    packed.SetBit(f.CompressionBitIndex(), !Field::IsZero(trace));
    return packed;
}

// The point of a packed value: 0 gives (0, sqrt(B)). Otherwise x is the packed value with its
// compression bit chosen so that Trace(x) = A, y = z x for the root z of
// z^2 + z = (x^3 + A x^2 + B) / x^2 whose trace bit is the packed one. No root raises
// GeneralExceptionClass itself; an x of 0 inverts zero.
template <class Field>
AffinePoint<Field> UnpackPoint(const CurveParameters<Field>& curve,
                               const typename Field::Element& packed) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    if (Field::IsZero(packed)) return AffinePoint<Field>(f.Zero(), f.SquareRoot(curve.b));
    const uint32_t bit = f.CompressionBitIndex();
    const bool traceBit = packed.TestBit(bit);
    Element x = packed;
    x.SetBit(bit, false);
    if (f.Trace(x) != curve.a) x.SetBit(bit, true);
    const Element x2 = f.Square(x);
    Element numerator = f.Multiply(x2, x);
    f.AddInPlace(numerator, f.Multiply(curve.a, x2));
    f.AddInPlace(numerator, curve.b);
    const Element beta = f.Divide(numerator, x2);
    uint32_t rootCount = 0;
    Element z = f.SolveQuadratic(f.One(), beta, rootCount);
    if (rootCount == 0) throw GeneralExceptionClass();
    if (!Field::IsZero(f.Trace(z)) != traceBit) f.AddInPlace(z, f.One());
    return AffinePoint<Field>(x, f.Multiply(z, x));
}

// A base point from a caller's field element U: y solves y^2 + U y = U^3 + A U^2 + B, and
// order * (U, y) must be infinity (no cofactor is applied, so on a curve of cofactor c about
// (c - 1) / c of the values U fail). Returns false, leaving `point` unchanged, when there is
// no y or the order test fails. U is used as given.
// On a curve with B = 0, U = 0 gives y = 0: the point (0, 0), which stands for infinity and
// passes any order test. It is no base point (CheckBasePoint rejects it), so it is refused.
template <class Field>
bool GenerateBasePoint(const CurveParameters<Field>& curve, const LongIntegerClass& order,
                       const typename Field::Element& u, AffinePoint<Field>& point) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    const Element u2 = f.Square(u);
    Element w = f.Multiply(u2, u);
    Element rest = f.Multiply(curve.a, u2);
    f.AddInPlace(rest, curve.b);
    f.AddInPlace(w, rest);
    uint32_t rootCount = 0;
    const Element y = f.SolveQuadratic(u, w, rootCount);
    if (rootCount == 0) return false;
    AffinePoint<Field> candidate(u, y);
    if (candidate.atInfinity) return false;
    if (!ScalarMultiply(curve, order, candidate).atInfinity) return false;
    point = candidate;
    return true;
}

// Whether (x, y) is a finite point of the curve, tested in this order: not (0, 0); both
// coordinates of at most m bits; y (y + x) = x^2 (x + A) + B as integers. Two products and a
// square.
template <class Field>
bool IsCurvePoint(const CurveParameters<Field>& curve, const typename Field::Element& x,
                  const typename Field::Element& y) {
    using Element = typename Field::Element;
    const Field& f = curve.field;
    if (Field::IsZero(x) && Field::IsZero(y)) return false;
    if (x.BitLength() > f.Degree() || y.BitLength() > f.Degree()) return false;
    Element sum = y;
    f.AddInPlace(sum, x);
    const Element left = f.Multiply(y, sum);
    Element xPlusA = x;
    f.AddInPlace(xPlusA, curve.a);
    Element right = f.Multiply(f.Square(x), xPlusA);
    f.AddInPlace(right, curve.b);
    return left == right;
}

// Whether (x, y) may serve as a base point (or public key) of order dividing `order`:
// IsCurvePoint, then order * (x, y) is infinity.
template <class Field>
bool CheckBasePoint(const CurveParameters<Field>& curve, const LongIntegerClass& order,
                    const typename Field::Element& x, const typename Field::Element& y) {
    if (!IsCurvePoint(curve, x, y)) return false;
    return ScalarMultiply(curve, order, AffinePoint<Field>(x, y)).atInfinity != 0;
}

}  // namespace QIRVALE
