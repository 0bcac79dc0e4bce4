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

// ---- variable-time joint multiplication (public data) ---------------------------------------

// A López-Dahab projective point (X / Z, Y / Z^2); Z = 0 is infinity.
template <class F>
struct FixedProjective {
    typename F::Element X, Y, Z;
};

// p = 2 p: Z3 = X^2 Z^2, X3 = X^4 + B Z^4, Y3 = (Y^2 + B Z^4 + A Z3) X3 + B Z^4 Z3.
template <class F>
void DoubleVar(const FixedCurve<F>& curve, FixedProjective<F>& p) {
    const F& f = curve.field;
    if (F::ZeroMask(p.Z) != 0) return;
    const auto x2 = f.Square(p.X), z2 = f.Square(p.Z);
    const auto z3 = f.Multiply(x2, z2);
    const auto bz4 = f.Multiply(curve.b, f.Square(z2));
    const auto x3 = F::Add(f.Square(x2), bz4);
    auto y3 = F::Add(f.Square(p.Y), bz4);
    if (curve.aIsOne) y3 = F::Add(y3, z3);
    p.Y = F::Add(f.Multiply(y3, x3), f.Multiply(bz4, z3));
    p.X = x3;
    p.Z = z3;
}

// p = p + (x2, y2), the affine point not infinity; doubles when the points are equal.
template <class F>
void MixedAddVar(const FixedCurve<F>& curve, FixedProjective<F>& p, const FixedPoint<F>& q) {
    const F& f = curve.field;
    if (F::ZeroMask(p.Z) != 0) {
        p = FixedProjective<F>{q.x, q.y, F::One()};
        return;
    }
    const auto t1 = f.Square(p.Z);
    const auto t2 = F::Add(f.Multiply(q.y, t1), p.Y);
    const auto t3 = F::Add(f.Multiply(q.x, p.Z), p.X);
    if (F::ZeroMask(t3) != 0) {
        if (F::ZeroMask(t2) != 0) {
            DoubleVar(curve, p);
        } else {
            p.Z = F::Zero();  // p = -q
        }
        return;
    }
    const auto t4 = f.Multiply(p.Z, t3);
    const auto t5 = f.Multiply(f.Square(t3), curve.aIsOne ? F::Add(t4, t1) : t4);
    const auto z3 = f.Square(t4);
    const auto t6 = f.Multiply(t2, t4);
    const auto x3 = F::Add(F::Add(f.Square(t2), t5), t6);
    const auto t7 = F::Add(f.Multiply(q.x, z3), x3);
    const auto t8 = f.Multiply(F::Add(q.x, q.y), f.Square(z3));
    p.Y = F::Add(f.Multiply(F::Add(t6, z3), t7), t8);
    p.X = x3;
    p.Z = z3;
}

// Width-4 non-adjacent form of k (limbs of 32 bits, k below 2^bits, limbs <= 20): digits in
// {0, +-1, +-3, +-5, +-7} with k = sum of digits[i] 2^i; returns the count up to the top
// non-zero digit (at most bits + 1).
inline uint32_t RecodeWidth4Var(const uint32_t* k, unsigned limbs, uint32_t bits, int8_t* digits) {
    uint32_t v[32] = {};
    for (unsigned i = 0; i < limbs; ++i) v[i] = k[i];
    uint32_t count = 0;
    for (uint32_t i = 0; i <= bits; ++i) {
        int digit = 0;
        if (v[0] & 1) {
            digit = int(v[0] & 15);
            if (digit >= 8) digit -= 16;
            if (digit > 0) {
                v[0] -= uint32_t(digit);  // clears the low four bits: no borrow
            } else {
                uint64_t carry = uint64_t(-digit);  // v + (-digit) clears them with a carry
                for (unsigned j = 0; j <= limbs && carry != 0; ++j) {
                    carry += v[j];
                    v[j] = uint32_t(carry);
                    carry >>= 32;
                }
            }
            count = i + 1;
        }
        digits[i] = int8_t(digit);
        for (unsigned j = 0; j < limbs; ++j) v[j] = (v[j] >> 1) | (v[j + 1] << 31);
        v[limbs] >>= 1;
    }
    return count;
}

// s P + r Q for s, r below 2^bits (limbs of 32 bits) and P, Q on the curve with x != 0, by
// interleaved width-4 NAF (Straus) in López-Dahab coordinates, with P, 3P, 5P, 7P and the same
// for Q made affine by one shared inversion. NOT constant time: public data only. The result
// is the group sum, (0, 0) for infinity.
template <class F>
FixedPoint<F> JointMultiplyVar(const FixedCurve<F>& curve, const FixedPoint<F>& p,
                               const uint32_t* s, const FixedPoint<F>& q, const uint32_t* r,
                               unsigned limbs, uint32_t bits) {
    using Element = typename F::Element;
    const F& f = curve.field;
    // Odd multiples 1, 3, 5, 7 of both points: 2B made affine, then 3B, 5B, 7B by adding it to
    // the running odd multiple in projective form.
    FixedPoint<F> table[2][4];
    FixedProjective<F> odd[2][3];
    const FixedPoint<F>* bases[2] = {&p, &q};
    for (int t = 0; t < 2; ++t) {
        table[t][0] = *bases[t];
        FixedProjective<F> twice{bases[t]->x, bases[t]->y, F::One()};
        DoubleVar(curve, twice);
        const Element zInverse = f.InvertVar(twice.Z);
        const FixedPoint<F> twoB{f.Multiply(twice.X, zInverse),
                                 f.Multiply(twice.Y, f.Square(zInverse))};
        FixedProjective<F> run{bases[t]->x, bases[t]->y, F::One()};
        for (int i = 0; i < 3; ++i) {
            MixedAddVar(curve, run, twoB);  // 2B is not infinity: only x = 0 has order 2
            odd[t][i] = run;
        }
    }
    // Montgomery's simultaneous inversion of the six Z (a zero Z stays a zero result).
    Element prefix[6];
    Element accumulated = F::One();
    for (int i = 0; i < 6; ++i) {
        const Element& z = odd[i / 3][i % 3].Z;
        if (F::ZeroMask(z) == 0) accumulated = f.Multiply(accumulated, z);
        prefix[i] = accumulated;
    }
    Element inverse = f.InvertVar(accumulated);
    for (int i = 6; i-- > 0;) {
        const FixedProjective<F>& v = odd[i / 3][i % 3];
        FixedPoint<F>& out = table[i / 3][i % 3 + 1];
        if (F::ZeroMask(v.Z) != 0) {
            out = FixedPoint<F>{F::Zero(), F::Zero()};
            continue;
        }
        const Element zInverse = i == 0 ? inverse : f.Multiply(inverse, prefix[i - 1]);
        inverse = f.Multiply(inverse, v.Z);
        out = FixedPoint<F>{f.Multiply(v.X, zInverse), f.Multiply(v.Y, f.Square(zInverse))};
    }
    int8_t sDigits[32 * 32 + 1], rDigits[32 * 32 + 1];
    const uint32_t sCount = RecodeWidth4Var(s, limbs, bits, sDigits);
    const uint32_t rCount = RecodeWidth4Var(r, limbs, bits, rDigits);
    FixedProjective<F> sum{F::One(), F::Zero(), F::Zero()};
    for (uint32_t i = sCount > rCount ? sCount : rCount; i-- > 0;) {
        DoubleVar(curve, sum);
        for (int t = 0; t < 2; ++t) {
            const int digit =
                t == 0 ? (i < sCount ? sDigits[i] : 0) : (i < rCount ? rDigits[i] : 0);
            if (digit == 0) continue;
            FixedPoint<F> addend = table[t][(digit < 0 ? -digit : digit) / 2];
            if (F::ZeroMask(addend.x) != 0 && F::ZeroMask(addend.y) != 0) continue;  // infinity
            if (digit < 0) addend.y = F::Add(addend.x, addend.y);
            MixedAddVar(curve, sum, addend);
        }
    }
    if (F::ZeroMask(sum.Z) != 0) return FixedPoint<F>{F::Zero(), F::Zero()};
    const Element zInverse = f.InvertVar(sum.Z);
    return FixedPoint<F>{f.Multiply(sum.X, zInverse), f.Multiply(sum.Y, f.Square(zInverse))};
}

}  // namespace QIRVALE
