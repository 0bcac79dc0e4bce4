// The engine of the normal-basis exports: the curve's field is carried over to the
// polynomial-basis field of the same degree by the isomorphism of binfield/onb_conversion.h,
// and the engine computes there. The standard degrees have the isomorphism; others keep the
// reference path.
#include <cstdint>
#include <memory>

#include "binfield/onb_conversion.h"
#include "binfield/onb_field.h"
#include "dstu4145/engine.h"
#include "dstu4145/fixed_engine.h"

namespace QIRVALE {

namespace {

// The basis policy of engine.h for the normal basis: the caller's elements are normal-basis
// integers, the engine's those of the polynomial basis of the same degree; In is phi, Out its
// inverse (both linear and constant time), and phi(2^m - 1) = 1 carries the unit over. The
// engine's word count W is that of m, the conversion's own.
struct NormalBasisPolicy {
    uint32_t m, k, j, l;
    const ONBConversion* conversion;

    template <unsigned W>
    void In(const uint64_t* caller, uint64_t* fixed) const {
        conversion->ToPolynomialBasis(caller, fixed);
    }
    template <unsigned W>
    void Out(const uint64_t* fixed, uint64_t* caller) const {
        conversion->ToNormalBasis(fixed, caller);
    }
};

}  // namespace

std::shared_ptr<const DSTU4145Engine> MakeEngineFor(const ONBBaseField& field, bool aIsOne,
                                                    const LongIntegerClass& b,
                                                    const LongIntegerClass& order) {
    const ONBConversion* conversion = ONBConversion::ForDegree(field.Degree());
    if (conversion == nullptr) return nullptr;
    const NormalBasisPolicy policy{conversion->Degree(), conversion->ExponentK(),
                                   conversion->ExponentJ(), conversion->ExponentL(), conversion};
    return MakeEngine(policy, aIsOne, b, order);
}

}  // namespace QIRVALE
