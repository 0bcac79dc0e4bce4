// The curve types of the normal-basis family: the templates of curve.h over ONBBaseField.
#pragma once

#include "binfield/onb_field.h"
#include "curve/curve.h"

namespace QIRVALE {

using ONBCurveParameters = CurveParameters<ONBBaseField>;
using ONBAffinePoint = AffinePoint<ONBBaseField>;
using ONBProjectivePoint = ProjectivePoint<ONBBaseField>;
// The block behind a DSTU4145CurveHandle of the normal-basis exports.
using ONBCurve = CurveHandle<ONBBaseField>;

static_assert(HasCallerHandleLayout<ONBBaseField>(), "curve handle layout");

}  // namespace QIRVALE
