// The curve types of the polynomial-basis family: the templates of curve.h over PBBaseField.
#pragma once

#include <cstddef>

#include "binfield/pb_field.h"
#include "curve/curve.h"
#include "qirvale.h"

namespace QIRVALE {

using PBCurveParameters = CurveParameters<PBBaseField>;
using PBAffinePoint = AffinePoint<PBBaseField>;
using PBProjectivePoint = ProjectivePoint<PBBaseField>;
// The block behind a DSTU4145CurveHandle of the polynomial-basis exports.
using PBCurve = CurveHandle<PBBaseField>;

static_assert(sizeof(PBCurve) == sizeof(DSTU4145CurveHandle), "curve handle layout");
static_assert(offsetof(PBCurve, parameters) == offsetof(DSTU4145CurveHandle, parameters),
              "curve handle layout");
static_assert(offsetof(PBCurve, order) == offsetof(DSTU4145CurveHandle, order),
              "curve handle layout");

}  // namespace QIRVALE
