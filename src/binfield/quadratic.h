// Solving z^2 + u z = w in GF(2^m), written once for every field type.
//
// The field supplies QuadraticRoot(v): a root of z^2 + z = v for an element v of trace zero
// (for odd m the half-trace of v; for even m, where the half-trace solves nothing, a method of
// the basis' own). Everything else is the same in every basis.
#pragma once

#include <cstdint>

namespace QIRVALE {

// One root z of z^2 + u z = w and the number of roots:
//   u = 0:              SquareRoot(w), 1 root;
//   w = 0:              0, 2 roots (0 and u);
//   Trace(w/u^2) = One: 0, no root;
//   otherwise:          u * QuadraticRoot(w/u^2), 2 roots (z and z + u).
template <class Field>
typename Field::Element SolveQuadraticIn(const Field& field, const typename Field::Element& u,
                                         const typename Field::Element& w, uint32_t& rootCount) {
    if (Field::IsZero(u)) {
        rootCount = 1;
        return field.SquareRoot(w);
    }
    if (Field::IsZero(w)) {
        rootCount = 2;
        return field.Zero();
    }
    const typename Field::Element v = field.Divide(field.Divide(w, u), u);
    if (field.Trace(v) == field.One()) {
        rootCount = 0;
        return field.Zero();
    }
    rootCount = 2;
    return field.Multiply(field.QuadraticRoot(v), u);
}

}  // namespace QIRVALE
