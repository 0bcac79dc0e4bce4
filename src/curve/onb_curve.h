// The curve types of the normal-basis family: the templates of curve.h over ONBBaseField.
#pragma once

#include "binfield/onb_field.h"
#include "curve/curve.h"

namespace QIRVALE {

using ONBCurveParameters = CurveParameters<ONBBaseField>;
using ONBAffinePoint = AffinePoint<ONBBaseField>;
using ONBProjectivePoint = ProjectivePoint<ONBBaseField>;

}  // namespace QIRVALE
