// Scalar multiplication on y^2 + x y = x^3 + A x^2 + B over a word-sized field
// (binfield/fixed_pb_field.h): the López-Dahab Montgomery ladder for secret scalars and the
// affine group law for public points.
//
// The ladder runs a public number of steps (the bit length of the curve order) from the point
// at infinity, so it gives exactly k P for every k below 2^steps and every point P on the curve
// with x != 0, whatever the order of P: no scalar is padded by adding a multiple of the order.
// It keeps x-only projective points R0 = j P, R1 = (j + 1) P; each step exchanges them by a
// mask, adds (with the known difference x(P)) and doubles, then recovers y at the end. Its
// sequence of field operations and addresses depends only on the curve and the step count.
#pragma once

#include <cstdint>

#include "frame/constant_time.h"

namespace QIRVALE {

// The curve over a fixed field F: B (as an element) and whether A is 1 (A is 0 or 1).
template <class F>
struct FixedCurve {
    using Element = typename F::Element;

    F field;
    bool aIsOne;
    Element b;
};

// An affine point; (0, 0) stands for the point at infinity, as in curve.h.
template <class F>
struct FixedPoint {
    typename F::Element x;
    typename F::Element y;
};

// Whether (x, y) satisfies y^2 + x y = x^3 + A x^2 + B (public data: branches freely).
template <class F>
bool IsOnCurveVar(const FixedCurve<F>& curve, const FixedPoint<F>& p) {
    const F& f = curve.field;
    const auto left = f.Multiply(p.y, F::Add(p.y, p.x));
    auto xPlusA = p.x;
    if (curve.aIsOne) xPlusA[0] ^= 1;
    const auto right = F::Add(f.Multiply(f.Square(p.x), xPlusA), curve.b);
    return F::EqualMask(left, right) != 0;
}

// k P for the `steps` low bits of k (32-bit limbs, least significant first; bits at and above
// `steps` are not read), P on the curve with x != 0. The point at infinity comes out as (0, 0).
template <class F>
FixedPoint<F> LadderMultiply(const FixedCurve<F>& curve, const FixedPoint<F>& p, const uint32_t* k,
                             uint32_t steps) {
    using Element = typename F::Element;
    const F& f = curve.field;
    Element x0 = F::One(), z0 = F::Zero();  // R0 = infinity
    Element x1 = p.x, z1 = F::One();        // R1 = P
    uint64_t swapped = 0;
    for (uint32_t i = steps; i-- > 0;) {
        const uint64_t bit = (k[i / 32] >> (i % 32)) & 1;
        const uint64_t mask = MaskFromBit(bit ^ swapped);
        swapped = bit;
        F::Swap(mask, x0, x1);
        F::Swap(mask, z0, z1);
        // R1 = R0 + R1 with R1 - R0 = P: Z = (X0 Z1 + X1 Z0)^2, X = x Z + X0 Z1 X1 Z0.
        const Element t0 = f.Multiply(x0, z1);
        const Element t1 = f.Multiply(x1, z0);
        z1 = f.Square(F::Add(t0, t1));
        x1 = F::Add(f.Multiply(p.x, z1), f.Multiply(t0, t1));
        // R0 = 2 R0: Z = X0^2 Z0^2, X = X0^4 + B Z0^4.
        const Element xx = f.Square(x0);
        const Element zz = f.Square(z0);
        z0 = f.Multiply(xx, zz);
        x0 = F::Add(f.Square(xx), f.Multiply(curve.b, f.Square(zz)));
    }
    const uint64_t mask = MaskFromBit(swapped);
    F::Swap(mask, x0, x1);
    F::Swap(mask, z0, z1);

    // y of R0 = k P from x(P), y(P), R0 and R1 = (k + 1) P (López-Dahab):
    //   x3 = X0 / Z0,
    //   y3 = (x + x3) ((X0 + x Z0)(X1 + x Z1) + (x^2 + y) Z0 Z1) / (x Z0 Z1) + y,
    // with one inversion of x Z0 Z1. Z0 = 0 is k P = infinity; Z1 = 0 is k P = -P = (x, x + y).
    const Element z01 = f.Multiply(z0, z1);
    const Element inverse = f.Invert(f.Multiply(p.x, z01));
    const Element x3 = f.Multiply(f.Multiply(x0, f.Multiply(p.x, z1)), inverse);
    Element sum = f.Multiply(F::Add(x0, f.Multiply(p.x, z0)), F::Add(x1, f.Multiply(p.x, z1)));
    sum = F::Add(sum, f.Multiply(F::Add(f.Square(p.x), p.y), z01));
    const Element y3 = F::Add(f.Multiply(f.Multiply(F::Add(p.x, x3), sum), inverse), p.y);
    const uint64_t infinity = F::ZeroMask(z0);
    const uint64_t minusP = F::ZeroMask(z1) & ~infinity;
    FixedPoint<F> r;
    r.x = F::Select(minusP, p.x, F::Select(infinity, F::Zero(), x3));
    r.y = F::Select(minusP, F::Add(p.x, p.y), F::Select(infinity, F::Zero(), y3));
    return r;
}

// The outcome of AddPointsVar: a point, or the case the affine formulas cannot handle.
enum class AdditionOutcome { Point, DoublingOfXZero, UnequalPointsOfEqualX };

// P + Q in affine coordinates, public data, exactly as AddPoints of curve.h computes it for
// points with coordinates below t^m: infinity is (0, 0), P = Q doubles, Q = -P cancels. Where
// AddPoints raises (doubling a point with x = 0 inverts zero; equal x with neither Q = P nor
// Q = -P, which no two curve points have), the outcome says so and `sum` is unspecified.
template <class F>
AdditionOutcome AddPointsVar(const FixedCurve<F>& curve, const FixedPoint<F>& p,
                             const FixedPoint<F>& q, FixedPoint<F>& sum) {
    using Element = typename F::Element;
    const F& f = curve.field;
    const auto isInfinity = [](const FixedPoint<F>& v) {
        return F::ZeroMask(v.x) != 0 && F::ZeroMask(v.y) != 0;
    };
    if (isInfinity(p)) {
        sum = q;
        return AdditionOutcome::Point;
    }
    if (isInfinity(q)) {
        sum = p;
        return AdditionOutcome::Point;
    }
    Element one = F::One();
    Element a = F::Zero();
    if (curve.aIsOne) a = one;
    if (F::EqualMask(p.x, q.x) != 0) {
        if (F::EqualMask(p.y, q.y) != 0) {
            if (F::ZeroMask(p.x) != 0) return AdditionOutcome::DoublingOfXZero;
            // x3 = x^2 + B / x^2, lambda = x + y / x, y3 = x^2 + lambda x3 + x3.
            const Element x2 = f.Square(p.x);
            const Element x3 = F::Add(f.Multiply(curve.b, f.Invert(x2)), x2);
            const Element lambda = F::Add(f.Multiply(p.y, f.Invert(p.x)), p.x);
            sum.x = x3;
            sum.y = F::Add(F::Add(f.Multiply(lambda, x3), x2), x3);
            return AdditionOutcome::Point;
        }
        if (F::EqualMask(q.y, F::Add(p.x, p.y)) != 0) {
            sum = FixedPoint<F>{F::Zero(), F::Zero()};
            return AdditionOutcome::Point;
        }
        return AdditionOutcome::UnequalPointsOfEqualX;
    }
    // lambda = (yP + yQ) / (xP + xQ); x3 = lambda^2 + lambda + xP + xQ + A;
    // y3 = lambda (xP + x3) + x3 + yP.
    const Element lambda = f.Multiply(F::Add(p.y, q.y), f.Invert(F::Add(p.x, q.x)));
    const Element x3 = F::Add(F::Add(F::Add(f.Square(lambda), lambda), F::Add(p.x, q.x)), a);
    sum.x = x3;
    sum.y = F::Add(F::Add(f.Multiply(lambda, F::Add(p.x, x3)), x3), p.y);
    return AdditionOutcome::Point;
}

}  // namespace QIRVALE
