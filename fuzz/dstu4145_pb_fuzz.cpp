// Fuzz target: the DSTU 4145 polynomial-basis exports (dstu4145_fuzz.h, fuzz/README.md).
#include "dstu4145_fuzz.h"

using namespace qirvale_fuzz;

namespace {

uint32_t CreatePBField(DSTU4145BaseFieldHandle* field, FuzzInput* in, uint32_t* m) {
    uint16_t degree = in->U16(), k = in->U16(), j = in->U16(), l = in->U16();
    switch (in->U8() % 4) {
        case 0:  // raw exponents
            break;
        case 1:  // a trinomial of a degree below 8192
            degree %= 8192;
            k = degree > 1 ? uint16_t(1 + k % (degree - 1)) : 1;
            j = l = 0;
            break;
        case 2:  // a pentanomial with m > k > j > l >= 1
            degree = uint16_t(4 + degree % 8188);
            l = uint16_t(1 + l % (degree - 3));
            j = uint16_t(l + 1 + j % (degree - l - 2));
            k = uint16_t(j + 1 + k % (degree - j - 1));
            break;
        default:  // small fields, where most trinomials are irreducible
            degree = uint16_t(2 + degree % 64);
            k = uint16_t(1 + k % (degree - 1));
            j = l = 0;
    }
    *m = degree;
    return QIRVALEDSTU4145PBSignBaseFieldCreate(field, degree, k, j, l);
}

const Basis kPB = {QIRVALE::kDSTU4145PBExports,   CreatePBField,    CreateStandardPB, 640,
                   &QIRVALE::kDSTU4145ONBExports, CreateStandardONB};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    DSTU4145Session(kPB, in).Run();
    return 0;
}
