#include "curve/curve.h"

namespace QIRVALE {

// Reads k from bit 0 up with a carry: a one followed by another one starts a run that is
// written as -1 at its bottom and a carry into the zero above the run; a one (or carry) with
// a zero above it is written as +1.
void RecodeNonAdjacent(const LongIntegerClass& k, LongIntegerClass& nonZeroMask,
                       LongIntegerClass& negativeMask) {
    const LongIntegerClass scalar(k);  // BitLength normalises; k itself stays untouched
    nonZeroMask.SetZero();
    negativeMask.SetZero();
    const uint32_t length = scalar.BitLength();
    bool carry = false;
    uint32_t i = 0;
    while (i < length + 1) {
        if (!scalar.TestBit(i) && !carry) {
            ++i;
            continue;
        }
        carry = false;
        if (scalar.TestBit(i + 1)) {
            nonZeroMask.SetBit(i, true);
            negativeMask.SetBit(i, true);
            ++i;
            while (i < length + 1 && scalar.TestBit(i)) ++i;
            carry = true;
        } else {
            nonZeroMask.SetBit(i, true);
            ++i;
        }
    }
}

}  // namespace QIRVALE
