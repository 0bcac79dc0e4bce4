// The basis conversions of the standard normal-basis degrees on secret vectors: both directions
// of every degree, with the input marked undefined; memcheck reports any branch or address that
// depends on it. The round trip must give the input back.
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "binfield/onb_conversion.h"
#include "ctime_support.h"

int main() {
    using QIRVALE::ONBConversion;
    for (uint32_t m : {173u, 179u, 191u, 233u, 431u}) {
        const ONBConversion& conversion = *ONBConversion::ForDegree(m);
        ONBConversion::Word secret[ONBConversion::kMaxWords] = {};
        ONBConversion::Word image[ONBConversion::kMaxWords], back[ONBConversion::kMaxWords];
        for (uint32_t w = 0; w < conversion.WordCount(); ++w)
            secret[w] = 0x9E3779B97F4A7C15u * (w + m);
        secret[conversion.WordCount() - 1] &= (ONBConversion::Word(1) << (m % 64)) - 1;
        ctime_check::Secret(secret, sizeof secret);
        conversion.ToPolynomialBasis(secret, image);
        conversion.ToNormalBasis(image, back);
        ctime_check::Public(secret, sizeof secret);
        ctime_check::Public(back, sizeof back);
        ctime_check::Check(std::memcmp(secret, back, conversion.WordCount() * sizeof back[0]) == 0,
                           "normal basis -> polynomial basis -> normal basis");
    }
    return ctime_check::Finish();
}
