// Polynomial-basis fields from their exponents.
#pragma once

#include <cstdint>

#include "binfield/pb_field.h"

namespace pbtest {

inline QIRVALE::PBBaseField MakeField(uint32_t m, uint32_t k, uint32_t j = 0, uint32_t l = 0) {
    return QIRVALE::PBBaseField(QIRVALE::PBBaseField::PolynomialFromExponents(m, k, j, l));
}

}  // namespace pbtest
