// Polynomial-basis field and curve: the word-level field against the long-integer reference
// algorithms, measured in the same run, at m = 163, 257 and 431 (recommended polynomials).
//
//   ./pb_field_bench --benchmark_filter=Multiply
//
// Names: <Operation>/<Fast|Reference>/<m>; Fixed/<Operation>_<m>/<backend> is the word-sized
// constant-time field of the signature fast path (backend 1: carry-less instruction, 0:
// portable).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>

#include "binfield/fixed_pb_field.h"
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

// Rabin's test at full cost: it squares m times unless a gcd check fails early, which it
// does for most reducible polynomials.
//   0: t^163 + t^7 + t^6 + t^3 + 1, 1: t^431 + t^5 + t^3 + t + 1 (recommended, irreducible)
//   2: t^8191 + t^17 + t^5 + t^2 + 1 (prime degree: one cheap gcd, 8191 squarings)
//   3: t^8191 + t^8190 + t^4000 + t + 1 (terms next to t^m: the folds feed back into
//      themselves)
//   4: (t^4423 + t^271 + 1)(t^3217 + t^67 + 1), degree 7640 = 2^3 * 5 * 191: every gcd check
//      passes, so all 7640 squarings and three gcds run before the final check fails.
LongIntegerClass RabinCase(int index) {
    LongIntegerClass f;
    auto set = [&f](std::initializer_list<uint32_t> bits) {
        for (uint32_t b : bits) f.SetBit(b, true);
    };
    switch (index) {
        case 0:
            set({163, 7, 6, 3, 0});
            break;
        case 1:
            set({431, 5, 3, 1, 0});
            break;
        case 2:
            set({8191, 17, 5, 2, 0});
            break;
        case 3:
            set({8191, 8190, 4000, 1, 0});
            break;
        default: {
            LongIntegerClass g;
            LongIntegerClass h;
            for (uint32_t b : {4423u, 271u, 0u}) g.SetBit(b, true);
            for (uint32_t b : {3217u, 67u, 0u}) h.SetBit(b, true);
            f = PBBaseField::PolynomialMultiply(g, h);
        }
    }
    return f;
}

void IsIrreducible(benchmark::State& state) {
    const LongIntegerClass f = RabinCase(static_cast<int>(state.range(0)));
    bool result = false;
    for (auto _ : state) {
        result = PBBaseField::IsIrreduciblePolynomial(f);
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel("m=" + std::to_string(f.BitLength() - 1) +
                   (result ? " irreducible" : " reducible"));
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int m : {163, 257, 431}) b->Arg(m);
}

// Operation 0 multiplies, 1 squares, 2 inverts in FixedPBField<W>.
template <unsigned W>
void FixedOperation(benchmark::State& state, const Setting& s, int operation) {
    const QIRVALE::FixedPBField<W> field(s.m, s.k, s.j, s.l, state.range(0) != 0);
    std::mt19937_64 engine(s.m);
    typename QIRVALE::FixedPBField<W>::Element a, b;
    for (unsigned i = 0; i < W; ++i) a[i] = engine(), b[i] = engine();
    a[W - 1] &= (uint64_t(1) << (s.m % 64)) - 1;
    b[W - 1] &= (uint64_t(1) << (s.m % 64)) - 1;
    for (auto _ : state) {
        a = operation == 0   ? field.Multiply(a, b)
            : operation == 1 ? field.Square(a)
                             : field.Invert(a);
        benchmark::DoNotOptimize(a);
    }
}

void Fixed(benchmark::State& state, int operation, int m) {
    if (m == 163) FixedOperation<3>(state, kSettings[0], operation);
    if (m == 257) FixedOperation<5>(state, kSettings[1], operation);
    if (m == 431) FixedOperation<7>(state, kSettings[2], operation);
}

BENCHMARK_CAPTURE(Fixed, Multiply_163, 0, 163)->Arg(1)->Arg(0);
BENCHMARK_CAPTURE(Fixed, Multiply_257, 0, 257)->Arg(1)->Arg(0);
BENCHMARK_CAPTURE(Fixed, Multiply_431, 0, 431)->Arg(1)->Arg(0);
BENCHMARK_CAPTURE(Fixed, Square_163, 1, 163)->Arg(1);
BENCHMARK_CAPTURE(Fixed, Square_431, 1, 431)->Arg(1);
BENCHMARK_CAPTURE(Fixed, Invert_163, 2, 163)->Arg(1);
BENCHMARK_CAPTURE(Fixed, Invert_431, 2, 431)->Arg(1);
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
BENCHMARK(IsIrreducible)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
