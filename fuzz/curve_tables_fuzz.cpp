// Fuzz target: the DSTU 4145 curve-table exports with arbitrary indices. A record is returned
// exactly for 101..110 (polynomial basis) and 201..205 (normal basis); every byte it points to
// is read (AddressSanitizer checks the lengths), and its fields are consistent: exponents in
// order, B of ceil(m/8) bytes, A of 0 or 1, and an order n of at most m + 1 bits.
#include "fuzz_support.h"

using namespace qirvale_fuzz;

namespace {

constexpr double kCallBound = 1.0;

uint32_t ReadAll(const uint8_t* bytes, uint32_t length) {
    uint32_t sum = 0;
    for (uint32_t i = 0; i < length; ++i) sum += bytes[i];
    return sum;
}

void CheckCommon(uint16_t index, uint16_t m, uint16_t a, const uint8_t* b, uint32_t bLength,
                 const uint8_t* n, uint32_t nLength) {
    if (a > 1) Finding("curve %u has A = %u", index, a);
    if (bLength != (m + 7u) / 8)
        Finding("curve %u has B of %u bytes for m = %u", index, bLength, m);
    if (nLength == 0 || BitLength(n, nLength) > m + 1u || BitLength(n, nLength) < m / 2u) {
        Finding("curve %u has an order of %u bits for m = %u", index, BitLength(n, nLength), m);
    }
    if (ReadAll(b, bLength) == 0) Finding("curve %u has B = 0", index);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Caller call(kCallBound);
    while (!in.Empty()) {
        const uint16_t index = in.U16();
        const PBCurveInfo* pb =
            call("DataPBCurveInfoPtr", [&] { return QIRVALEDSTU4145DataPBCurveInfoPtr(index); });
        const ONBCurveInfo* onb =
            call("DataONBCurveInfoPtr", [&] { return QIRVALEDSTU4145DataONBCurveInfoPtr(index); });
        if ((pb != nullptr) != (index >= 101 && index <= 110)) {
            Finding("DataPBCurveInfoPtr(%u) gave %p", index, static_cast<const void*>(pb));
        }
        if ((onb != nullptr) != (index >= 201 && index <= 205)) {
            Finding("DataONBCurveInfoPtr(%u) gave %p", index, static_cast<const void*>(onb));
        }
        if (pb != nullptr) {
            const bool trinomial = pb->j == 0 && pb->l == 0;
            if (!(pb->m > pb->k && pb->k >= 1 &&
                  (trinomial || (pb->k > pb->j && pb->j > pb->l && pb->l >= 1)))) {
                Finding("curve %u has exponents %u %u %u %u", index, pb->m, pb->k, pb->j, pb->l);
            }
            CheckCommon(index, pb->m, pb->coefficientA, pb->coefficientB, pb->coefficientBLength,
                        pb->order, pb->orderLength);
        }
        if (onb != nullptr) {
            CheckCommon(index, onb->m, onb->coefficientA, onb->coefficientB,
                        onb->coefficientBLength, onb->order, onb->orderLength);
        }
    }
    return 0;
}
