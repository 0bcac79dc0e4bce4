// Polynomial-basis field and curve: the word-level field against the long-integer reference
// algorithms, measured in the same run, at m = 163, 257 and 431 (recommended polynomials).
//
//   ./pb_field_bench --benchmark_filter=Multiply
//
// Names: <Operation>/<Fast|Reference>/<m>.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "binfield/pb_field.h"
#include "binfield/pb_field_reference.h"
#include "curve/pb_curve.h"

namespace {

using QIRVALE::CurveParameters;
using QIRVALE::LongIntegerClass;
using QIRVALE::PBBaseField;
using QIRVALE::PBReference::PBReferenceField;

// The recommended reduction polynomials of these degrees.
struct Setting {
    uint32_t m, k, j, l;
};

const Setting kSettings[] = {{163, 7, 6, 3}, {257, 12, 0, 0}, {431, 5, 3, 1}};

LongIntegerClass RandomElement(std::mt19937_64& engine, uint32_t bits) {
    LongIntegerClass v;
    for (uint32_t i = 0; i < bits; ++i) {
        if (engine() & 1) v.SetBit(i, true);
    }
    v.SetBit(bits - 1, true);
    return v;
}

PBBaseField FieldOf(uint32_t m) {
    for (const Setting& s : kSettings) {
        if (s.m == m) return PBBaseField(PBBaseField::PolynomialFromExponents(s.m, s.k, s.j, s.l));
    }
    return PBBaseField(LongIntegerClass());
}

template <class Field>
Field Make(const PBBaseField& f);
template <>
PBBaseField Make<PBBaseField>(const PBBaseField& f) {
    return f;
}
template <>
PBReferenceField Make<PBReferenceField>(const PBBaseField& f) {
    return PBReferenceField(f);
}

template <class Field>
void Multiply(benchmark::State& state) {
    const uint32_t m = static_cast<uint32_t>(state.range(0));
    const Field f = Make<Field>(FieldOf(m));
    std::mt19937_64 engine(m);
    const LongIntegerClass a = RandomElement(engine, m);
    LongIntegerClass b = RandomElement(engine, m);
    for (auto _ : state) {
        b = f.Multiply(a, b);
        benchmark::DoNotOptimize(b);
    }
}

template <class Field>
void Square(benchmark::State& state) {
    const uint32_t m = static_cast<uint32_t>(state.range(0));
    const Field f = Make<Field>(FieldOf(m));
    std::mt19937_64 engine(m);
    LongIntegerClass a = RandomElement(engine, m);
    for (auto _ : state) {
        a = f.Square(a);
        benchmark::DoNotOptimize(a);
    }
}

template <class Field>
void Invert(benchmark::State& state) {
    const uint32_t m = static_cast<uint32_t>(state.range(0));
    const Field f = Make<Field>(FieldOf(m));
    std::mt19937_64 engine(m);
    LongIntegerClass a = RandomElement(engine, m);
    for (auto _ : state) {
        a = f.Invert(a);
        benchmark::DoNotOptimize(a);
    }
}

// k P for a full-length k on a point found by base-point generation.
template <class Field>
void ScalarMultiply(benchmark::State& state) {
    const uint32_t m = static_cast<uint32_t>(state.range(0));
    const PBBaseField base = FieldOf(m);
    std::mt19937_64 engine(m);
    // A curve of the recommended shape; the point need not have the recommended order for
    // timing, so B is random and P comes from a solvable U.
    const CurveParameters<Field> curve(Make<Field>(base), m % 2 == 1, RandomElement(engine, m));
    LongIntegerClass y;
    LongIntegerClass x;
    for (;;) {
        x = RandomElement(engine, m);
        const LongIntegerClass x2 = curve.field.Square(x);
        LongIntegerClass w = curve.field.Multiply(x2, x);
        w.XorWith(curve.field.Multiply(curve.a, x2));
        w.XorWith(curve.b);
        uint32_t roots = 0;
        y = curve.field.SolveQuadratic(x, w, roots);
        if (roots != 0) break;
    }
    const QIRVALE::AffinePoint<Field> p(x, y);
    const LongIntegerClass k = RandomElement(engine, m - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(QIRVALE::ScalarMultiply(curve, k, p));
    }
}

void IsIrreducible(benchmark::State& state) {
    const uint32_t m = static_cast<uint32_t>(state.range(0));
    LongIntegerClass f;
    for (uint32_t b : {m, 17u, 5u, 2u, 0u}) f.SetBit(b, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PBBaseField::IsIrreduciblePolynomial(f));
    }
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int m : {163, 257, 431}) b->Arg(m);
}

BENCHMARK_TEMPLATE(Multiply, PBBaseField)->Name("Multiply/Fast")->Apply(Sizes);
BENCHMARK_TEMPLATE(Multiply, PBReferenceField)->Name("Multiply/Reference")->Apply(Sizes);
BENCHMARK_TEMPLATE(Square, PBBaseField)->Name("Square/Fast")->Apply(Sizes);
BENCHMARK_TEMPLATE(Square, PBReferenceField)->Name("Square/Reference")->Apply(Sizes);
BENCHMARK_TEMPLATE(Invert, PBBaseField)->Name("Invert/Fast")->Apply(Sizes);
BENCHMARK_TEMPLATE(Invert, PBReferenceField)->Name("Invert/Reference")->Apply(Sizes);
BENCHMARK_TEMPLATE(ScalarMultiply, PBBaseField)
    ->Name("ScalarMultiply/Fast")
    ->Apply(Sizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(ScalarMultiply, PBReferenceField)
    ->Name("ScalarMultiply/Reference")
    ->Apply(Sizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(IsIrreducible)
    ->Arg(163)
    ->Arg(431)
    ->Arg(4096)
    ->Arg(8190)
    ->Arg(8191)
    ->Unit(benchmark::kMillisecond);

}  // namespace
