// Normal-basis field: multiplication and table construction, each beside a straightforward
// long-integer version of its defining algorithm measured in the same run; the conversions to
// and from the polynomial basis of the standard degrees.
//   ./build/bench/bench/onb_field_bench
#include <cstdint>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "binfield/onb_conversion.h"
#include "binfield/onb_field.h"
#include "frame/exceptions.h"

namespace {

using QIRVALE::LongIntegerClass;
using QIRVALE::ONBBaseField;

LongIntegerClass RandomElement(uint32_t m, uint64_t seed) {
    std::mt19937_64 engine(seed);
    std::vector<uint8_t> bytes((m + 7) / 8);
    for (auto& byte : bytes) byte = uint8_t(engine());
    LongIntegerClass v;
    v.FromBytes(bytes.data(), uint32_t(bytes.size()));
    v.TruncateBits(m);
    return v;
}

// Per table entry (i, j): X = a rotated left by i, R ^= X & (b rotated left by j), with the
// long-integer rotations.
LongIntegerClass ReferenceMultiply(const ONBBaseField& field, const LongIntegerClass& a,
                                   const LongIntegerClass& b) {
    const uint32_t m = field.Degree();
    LongIntegerClass r, x(a);
    uint32_t s = 0;
    for (uint32_t e = 0; e < field.MultiplicationTableLength(); ++e) {
        const auto& entry = field.MultiplicationTable()[e];
        if (entry.row > s) x.RotateLeft(m, entry.row - s);
        s = entry.row;
        LongIntegerClass y(b);
        y.RotateLeft(m, entry.column);
        y.AndWith(x);
        r.XorWith(y);
    }
    return r;
}

// The loop over all m^2 pairs with exact powers and a long-integer remainder for each of a
// and b; returns the number of pairs.
uint32_t ReferenceTableCount(uint32_t m) {
    const int32_t p = int32_t(2 * m + 1);
    uint32_t count = 0;
    LongIntegerClass u(1u);
    for (uint32_t i = 0; i < m; ++i, u.ShiftLeft(1)) {
        LongIntegerClass v(1u);
        for (uint32_t j = 0; j < m; ++j, v.ShiftLeft(1)) {
            const int32_t a = int32_t(u.ModuloUInt32(uint32_t(p)));
            const int32_t b = int32_t(v.ModuloUInt32(uint32_t(p)));
            if ((a + b + 1) % p == 0 || (a + b - 1) % p == 0 || (a - b + 1) % p == 0 ||
                (a - b - 1) % p == 0)
                ++count;
        }
    }
    return count;
}

void BM_Multiply(benchmark::State& state) {
    const uint32_t m = uint32_t(state.range(0));
    const ONBBaseField field(m);
    LongIntegerClass a = RandomElement(m, 1), b = RandomElement(m, 2);
    for (auto _ : state) {
        a = field.Multiply(a, b);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_Multiply)->Arg(173)->Arg(431);

void BM_MultiplyReference(benchmark::State& state) {
    const uint32_t m = uint32_t(state.range(0));
    const ONBBaseField field(m);
    LongIntegerClass a = RandomElement(m, 1), b = RandomElement(m, 2);
    for (auto _ : state) {
        a = ReferenceMultiply(field, a, b);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_MultiplyReference)->Arg(173)->Arg(431);

void BM_Square(benchmark::State& state) {
    const uint32_t m = uint32_t(state.range(0));
    const ONBBaseField field(m);
    LongIntegerClass a = RandomElement(m, 3);
    for (auto _ : state) {
        a = field.Square(a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_Square)->Arg(431);

void BM_Invert(benchmark::State& state) {
    const uint32_t m = uint32_t(state.range(0));
    const ONBBaseField field(m);
    LongIntegerClass a = RandomElement(m, 4);
    for (auto _ : state) {
        a = field.Invert(a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_Invert)->Arg(173)->Arg(431);

// Field creation; degrees above the limit (65535) and with far too many pairs (4095) are
// refused, and the time to refuse is measured.
void BM_CreateField(benchmark::State& state) {
    const uint32_t m = uint32_t(state.range(0));
    for (auto _ : state) {
        try {
            ONBBaseField field(m);
            benchmark::DoNotOptimize(field.MultiplicationTable());
        } catch (const QIRVALE::GeneralExceptionClass&) {
        }
    }
}
BENCHMARK(BM_CreateField)->Arg(173)->Arg(431)->Arg(4095)->Arg(8174)->Arg(65535);

void BM_CreateFieldReference(benchmark::State& state) {
    const uint32_t m = uint32_t(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ReferenceTableCount(m));
}
BENCHMARK(BM_CreateFieldReference)->Arg(431)->Unit(benchmark::kMillisecond);

// One conversion each way per iteration, on a value that changes every time.
void BM_BasisConversionRoundTrip(benchmark::State& state) {
    const auto& conversion = *QIRVALE::ONBConversion::ForDegree(uint32_t(state.range(0)));
    QIRVALE::ONBConversion::Word a[QIRVALE::ONBConversion::kMaxWords] = {0x0123456789ABCDEF};
    QIRVALE::ONBConversion::Word b[QIRVALE::ONBConversion::kMaxWords];
    for (auto _ : state) {
        conversion.ToPolynomialBasis(a, b);
        b[0] ^= 1;
        conversion.ToNormalBasis(b, a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_BasisConversionRoundTrip)->Arg(173)->Arg(431);

}  // namespace
