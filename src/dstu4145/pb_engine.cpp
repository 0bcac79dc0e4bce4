// The engine of the polynomial-basis exports: the caller's elements are the engine's own.
#include <cstdint>
#include <memory>

#include "binfield/pb_field.h"
#include "dstu4145/engine.h"
#include "dstu4145/fixed_engine.h"

namespace QIRVALE {

namespace {

// The basis policy of engine.h for the polynomial basis: the field of the curve itself and
// the identity at the edges.
struct PolynomialBasisPolicy {
    uint32_t m, k, j, l;

    template <unsigned W>
    void In(const uint64_t* caller, uint64_t* fixed) const {
        for (unsigned i = 0; i < W; ++i) fixed[i] = caller[i];
    }
    template <unsigned W>
    void Out(const uint64_t* fixed, uint64_t* caller) const {
        for (unsigned i = 0; i < W; ++i) caller[i] = fixed[i];
    }
};

}  // namespace

std::shared_ptr<const DSTU4145Engine> MakeEngineFor(const PBBaseField& field, bool aIsOne,
                                                    const LongIntegerClass& b,
                                                    const LongIntegerClass& order) {
    // Trinomials and pentanomials only (the field creation export makes no other).
    if (field.ExponentK() == 0 || (field.ExponentJ() == 0) != (field.ExponentL() == 0)) {
        return nullptr;
    }
    const PolynomialBasisPolicy policy{field.Degree(), field.ExponentK(), field.ExponentJ(),
                                       field.ExponentL()};
    return MakeEngine(policy, aIsOne, b, order);
}

}  // namespace QIRVALE
