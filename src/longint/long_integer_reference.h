// The digit-by-digit forms of LongIntegerClass multiplication, long division and modular
// exponentiation: 16-bit digits, one quotient-digit test and at most one add-back per step,
// square-and-multiply with a full product and division at every step, and capacity raised by
// the growing steps themselves. The class itself computes on wider words and uses Montgomery
// exponentiation where that cannot change a result or an exception; the tests hold the two
// against each other, and the benchmarks measure the gain.
#pragma once

#include "longint/long_integer.h"

namespace QIRVALE {
namespace LongIntegerReference {

LongIntegerClass Multiply(const LongIntegerClass& a, const LongIntegerClass& b);
void DivMod(const LongIntegerClass& a, const LongIntegerClass& divisor, LongIntegerClass& quotient,
            LongIntegerClass& remainder);
LongIntegerClass ModExp(const LongIntegerClass& base, const LongIntegerClass& exponent,
                        const LongIntegerClass& m);

}  // namespace LongIntegerReference
}  // namespace QIRVALE
