// The curve types of the normal-basis family: the templates of curve.h over ONBBaseField.
#pragma once

#include <cstddef>

#include "binfield/onb_field.h"
#include "curve/curve.h"
#include "qirvale.h"

namespace QIRVALE {

using ONBCurveParameters = CurveParameters<ONBBaseField>;
using ONBAffinePoint = AffinePoint<ONBBaseField>;
using ONBProjectivePoint = ProjectivePoint<ONBBaseField>;
// The block behind a DSTU4145CurveHandle of the normal-basis exports.
using ONBCurve = CurveHandle<ONBBaseField>;

static_assert(sizeof(ONBCurve) == sizeof(DSTU4145CurveHandle), "curve handle layout");
static_assert(offsetof(ONBCurve, parameters) == offsetof(DSTU4145CurveHandle, parameters),
              "curve handle layout");
static_assert(offsetof(ONBCurve, order) == offsetof(DSTU4145CurveHandle, order),
              "curve handle layout");

}  // namespace QIRVALE
