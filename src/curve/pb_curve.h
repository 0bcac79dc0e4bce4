// The curve types of the polynomial-basis family: the templates of curve.h over PBBaseField.
#pragma once

#include "binfield/pb_field.h"
#include "curve/curve.h"

namespace QIRVALE {

using PBCurveParameters = CurveParameters<PBBaseField>;
using PBAffinePoint = AffinePoint<PBBaseField>;
using PBProjectivePoint = ProjectivePoint<PBBaseField>;

}  // namespace QIRVALE
