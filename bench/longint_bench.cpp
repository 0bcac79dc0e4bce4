// LongIntegerClass: the word-wise Multiply, DivMod and ModExp against their digit-by-digit
// reference forms, on operands of 256, 512 and 1024 bits (benchmark argument = bits).
#include <cstdint>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "longint/long_integer.h"
#include "longint/long_integer_reference.h"

namespace {

using QIRVALE::LongIntegerClass;
namespace Reference = QIRVALE::LongIntegerReference;

// A value of exactly `bits` bits (top bit set), odd when asked.
LongIntegerClass RandomValue(uint32_t bits, uint64_t seed, bool odd = false) {
    std::mt19937_64 rng(seed);
    std::vector<uint8_t> bytes((bits + 7) / 8);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    const uint32_t top = (bits - 1) % 8;
    bytes.back() = static_cast<uint8_t>((bytes.back() & ((2u << top) - 1)) | (1u << top));
    if (odd) bytes[0] |= 1;
    LongIntegerClass v;
    v.FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return v;
}

template <bool kReference>
void Multiply(benchmark::State& state) {
    const uint32_t bits = static_cast<uint32_t>(state.range(0));
    const LongIntegerClass a = RandomValue(bits, 1), b = RandomValue(bits, 2);
    for (auto _ : state) {
        LongIntegerClass p = kReference ? Reference::Multiply(a, b) : a * b;
        benchmark::DoNotOptimize(p);
    }
}

template <bool kReference>
void DivMod(benchmark::State& state) {
    // A double-length product reduced by a modulus, as in every modular step.
    const uint32_t bits = static_cast<uint32_t>(state.range(0));
    const LongIntegerClass a = RandomValue(2 * bits - 1, 3), m = RandomValue(bits, 4);
    LongIntegerClass q, r;
    for (auto _ : state) {
        if (kReference)
            Reference::DivMod(a, m, q, r);
        else
            a.DivMod(m, q, r);
        benchmark::DoNotOptimize(r);
    }
}

template <bool kReference, bool kOdd>
void ModExp(benchmark::State& state) {
    const uint32_t bits = static_cast<uint32_t>(state.range(0));
    LongIntegerClass m = RandomValue(bits, 5, kOdd);
    if (!kOdd) m.SetBit(0, false);
    const LongIntegerClass base = RandomValue(bits - 1, 6), e = RandomValue(bits, 7);
    for (auto _ : state) {
        LongIntegerClass r =
            kReference ? Reference::ModExp(base, e, m) : LongIntegerClass::ModExp(base, e, m);
        benchmark::DoNotOptimize(r);
    }
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(256)->Arg(512)->Arg(1024);
}

BENCHMARK_TEMPLATE(Multiply, false)->Name("Multiply/word")->Apply(Sizes);
BENCHMARK_TEMPLATE(Multiply, true)->Name("Multiply/reference")->Apply(Sizes);
BENCHMARK_TEMPLATE(DivMod, false)->Name("DivMod/word")->Apply(Sizes);
BENCHMARK_TEMPLATE(DivMod, true)->Name("DivMod/reference")->Apply(Sizes);
BENCHMARK_TEMPLATE(ModExp, false, true)->Name("ModExp/odd/montgomery")->Apply(Sizes);
BENCHMARK_TEMPLATE(ModExp, false, false)->Name("ModExp/even/word")->Apply(Sizes);
BENCHMARK_TEMPLATE(ModExp, true, true)->Name("ModExp/odd/reference")->Apply(Sizes);

}  // namespace
