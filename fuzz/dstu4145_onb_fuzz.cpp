// Fuzz target: the DSTU 4145 normal-basis exports (dstu4145_fuzz.h, fuzz/README.md).
#include "dstu4145_fuzz.h"

using namespace qirvale_fuzz;

namespace {

// The degrees up to 8176 with a type II optimal normal basis, which field creation accepts
// exactly: 2m + 1 is a prime p, and 2 generates the multiplicative group modulo p, or
// p = 3 (mod 4) and 2 generates the squares.
bool HasTypeTwoBasis(uint32_t m) {
    const uint32_t p = 2 * m + 1;
    if (m == 0 || m > 8176) return false;
    for (uint32_t d = 3; d * d <= p; d += 2) {
        if (p % d == 0) return false;
    }
    uint32_t order = 1;
    for (uint64_t x = 2; x != 1; x = x * 2 % p) ++order;
    return order == 2 * m || (order == m && p % 4 == 3);
}

uint32_t CreateONBField(DSTU4145BaseFieldHandle* field, FuzzInput* in, uint32_t* m) {
    uint16_t degree = in->U16();
    if (in->Bool()) {  // the next degree with a type II basis (small ones mostly)
        degree = uint16_t(in->Bool() ? degree % 8177 : degree % 300);
        while (degree <= 8176 && !HasTypeTwoBasis(degree)) ++degree;
    }
    *m = degree;
    const uint32_t status = QIRVALEDSTU4145ONBSignBaseFieldCreate(field, degree);
    Require((status == 0) == HasTypeTwoBasis(degree), "ONB BaseFieldCreate gave %u for m = %u",
            status, degree);
    return status;
}

const Basis kONB = {QIRVALE::kDSTU4145ONBExports, CreateONBField,  CreateStandardONB, 240,
                    &QIRVALE::kDSTU4145PBExports, CreateStandardPB};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    DSTU4145Session(kONB, in).Run();
    return 0;
}
