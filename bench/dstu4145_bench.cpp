// DSTU 4145 signatures through the exports: key generation, signing, verification and
// base-point generation in polynomial basis on the recommended curves of degree 163, 257 and
// 431, each on the fast path (second argument 0) and on the reference path alone (1, the
// curve's engine detached), so the figures read as ratios within one run; pre-signatures with
// random numbers of very different length and weight (the fast path takes the same time for
// all); scalar multiplication, signing and verification in normal basis at 173 and 431, with
// field creation at 431.
//   ./build/bench/bench/dstu4145_bench
#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include <benchmark/benchmark.h>

#include "binfield/onb_field.h"
#include "binfield/pb_field.h"
#include "curve/onb_curve.h"
#include "curve/pb_curve.h"
#include "dstu4145/family.h"
#include "qirvale.h"

namespace {

using PBFamily = QIRVALE::DSTU4145Family<QIRVALE::PBBaseField, QIRVALE::ObjectKind::PBField,
                                         QIRVALE::ObjectKind::PBCurve>;

using Bytes = std::vector<uint8_t>;

// A created curve of one basis with a base point, a key pair, a hash, a random number and a
// signature, all through the exports.
struct Setup {
    bool normalBasis;
    DSTU4145BaseFieldHandle field{};
    DSTU4145CurveHandle curve{};
    uint32_t elementBytes = 0, signatureBytes = 0;
    Bytes u, px, py, d, qx, qy, hash, e, signature;

    Setup(bool onb, uint16_t index, bool referencePath = false) : normalBasis(onb) {
        const uint8_t *b, *n;
        uint32_t bLength, nLength;
        uint16_t m, a;
        if (onb) {
            const ONBCurveInfo* info = QIRVALEDSTU4145DataONBCurveInfoPtr(index);
            m = info->m, a = info->coefficientA, b = info->coefficientB, n = info->order;
            bLength = info->coefficientBLength, nLength = info->orderLength;
            if (QIRVALEDSTU4145ONBSignBaseFieldCreate(&field, m) != 0 ||
                QIRVALEDSTU4145ONBSignCurveCreate(&curve, &field, a, b, bLength, n, nLength) != 0) {
                throw std::runtime_error("ONB curve");
            }
        } else {
            const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(index);
            m = info->m, a = info->coefficientA, b = info->coefficientB, n = info->order;
            bLength = info->coefficientBLength, nLength = info->orderLength;
            if (QIRVALEDSTU4145PBSignBaseFieldCreate(&field, m, info->k, info->j, info->l) != 0 ||
                QIRVALEDSTU4145PBSignCurveCreate(&curve, &field, a, b, bLength, n, nLength) != 0) {
                throw std::runtime_error("PB curve");
            }
            if (referencePath) {
                PBFamily::UseReferencePath(&curve);
            }
        }
        elementBytes = (m + 7u) / 8u;
        signatureBytes = QIRVALEDSTU4145PBSignSignMinByteCount(&curve);
        const uint32_t scalarBits = QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve(&curve);
        std::mt19937_64 engine(index);
        auto random = [&](uint32_t bits) {
            Bytes v((bits + 7) / 8);
            for (auto& byte : v) byte = uint8_t(engine());
            if (bits % 8 != 0) v.back() &= uint8_t((1u << (bits % 8)) - 1);
            v[0] |= 1;
            return v;
        };
        px.assign(elementBytes, 0);
        py.assign(elementBytes, 0);
        uint16_t code = 0;
        for (int attempt = 0;; ++attempt) {
            if (attempt == 100) throw std::runtime_error("no base point");
            u = random(m);
            if (GenBasePoint(px.data(), py.data(), &code) == 0) break;
        }
        d = random(scalarBits);
        e = random(scalarBits);
        hash = random(256);
        qx.assign(elementBytes, 0);
        qy.assign(elementBytes, 0);
        (onb ? QIRVALEDSTU4145ONBSignGeneratePublicKey : QIRVALEDSTU4145PBSignGeneratePublicKey)(
            qx.data(), elementBytes, qy.data(), elementBytes, &curve, px.data(), elementBytes,
            py.data(), elementBytes, d.data(), uint32_t(d.size()), &code);
        signature.assign(signatureBytes, 0);
        if (Sign(signature.data(), &code) != 0) throw std::runtime_error("signing");
    }
    ~Setup() {
        if (normalBasis) {
            QIRVALEDSTU4145ONBSignCurveDestroy(&curve);
            QIRVALEDSTU4145ONBSignBaseFieldDestroy(&field);
        } else {
            QIRVALEDSTU4145PBSignCurveDestroy(&curve);
            QIRVALEDSTU4145PBSignBaseFieldDestroy(&field);
        }
    }
    Setup(const Setup&) = delete;
    Setup& operator=(const Setup&) = delete;

    uint32_t GenBasePoint(uint8_t* x, uint8_t* y, uint16_t* code) {
        return (normalBasis ? QIRVALEDSTU4145ONBSignCurveGenBasePoint
                            : QIRVALEDSTU4145PBSignCurveGenBasePoint)(
            x, elementBytes, y, elementBytes, &curve, u.data(), uint32_t(u.size()), code);
    }
    uint32_t Sign(uint8_t* out, uint16_t* code) {
        return (normalBasis ? QIRVALEDSTU4145ONBSignSignHash : QIRVALEDSTU4145PBSignSignHash)(
            out, signatureBytes, &curve, px.data(), elementBytes, py.data(), elementBytes,
            hash.data(), uint32_t(hash.size()), d.data(), uint32_t(d.size()), e.data(),
            uint32_t(e.size()), code);
    }
    uint32_t Verify(uint8_t* verified, uint16_t* code) {
        return (normalBasis ? QIRVALEDSTU4145ONBSignVerifyHash : QIRVALEDSTU4145PBSignVerifyHash)(
            verified, &curve, px.data(), elementBytes, py.data(), elementBytes, hash.data(),
            uint32_t(hash.size()), signature.data(), signatureBytes, qx.data(), elementBytes,
            qy.data(), elementBytes, code);
    }
};

// Curve index of each benchmarked degree.
uint16_t PBIndex(int64_t m) {
    return m == 163 ? 101 : m == 173 ? 103 : m == 257 ? 107 : 110;
}
uint16_t ONBIndex(int64_t m) {
    return m == 173 ? 201 : 205;
}

// ---- polynomial basis --------------------------------------------------------------------

// m = 163, 257, 431, each on the fast path (0) and on the reference path (1).
void BothPaths(benchmark::internal::Benchmark* b) {
    for (int64_t m : {163, 257, 431}) b->Args({m, 0})->Args({m, 1});
}

// CreatePreSign at m = 163 with e of 16 bits, 162 bits of low weight (2^161 + 1), 162 bits of
// high weight (2^162 - 1) and random 162 bits: argument 0 picks e, argument 1 the path.
void BM_PB_CreatePreSignByScalar(benchmark::State& state) {
    Setup s(false, 101, state.range(1) != 0);
    Bytes e(21, 0);
    switch (state.range(0)) {
        case 0:
            e[0] = 0x35, e[1] = 0xA7;
            break;
        case 1:
            e[0] = 1, e[20] = 0x02;
            break;
        case 2:
            std::fill(e.begin(), e.end(), 0xFF), e[20] = 0x03;
            break;
        default:
            e = s.e;
    }
    Bytes f(s.elementBytes);
    uint16_t code = 0;
    for (auto _ : state) {
        QIRVALEDSTU4145PBSignCreatePreSign(f.data(), s.elementBytes, &s.curve, s.px.data(),
                                           s.elementBytes, s.py.data(), s.elementBytes, e.data(),
                                           uint32_t(e.size()), &code);
        benchmark::DoNotOptimize(f.data());
    }
    if (code != 0) state.SkipWithError("pre-signature refused");
}
BENCHMARK(BM_PB_CreatePreSignByScalar)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

void BM_PB_GeneratePublicKey(benchmark::State& state) {
    Setup s(false, PBIndex(state.range(0)), state.range(1) != 0);
    Bytes qx(s.elementBytes), qy(s.elementBytes);
    uint16_t code = 0;
    for (auto _ : state) {
        QIRVALEDSTU4145PBSignGeneratePublicKey(
            qx.data(), s.elementBytes, qy.data(), s.elementBytes, &s.curve, s.px.data(),
            s.elementBytes, s.py.data(), s.elementBytes, s.d.data(), uint32_t(s.d.size()), &code);
        benchmark::DoNotOptimize(qx.data());
    }
}
BENCHMARK(BM_PB_GeneratePublicKey)->Apply(BothPaths)->Unit(benchmark::kMicrosecond);

void BM_PB_SignHash(benchmark::State& state) {
    Setup s(false, PBIndex(state.range(0)), state.range(1) != 0);
    Bytes signature(s.signatureBytes);
    uint16_t code = 0;
    for (auto _ : state) {
        s.Sign(signature.data(), &code);
        benchmark::DoNotOptimize(signature.data());
    }
}
BENCHMARK(BM_PB_SignHash)->Apply(BothPaths)->Unit(benchmark::kMicrosecond);

void BM_PB_VerifyHash(benchmark::State& state) {
    Setup s(false, PBIndex(state.range(0)), state.range(1) != 0);
    uint8_t verified = 0;
    uint16_t code = 0;
    for (auto _ : state) {
        s.Verify(&verified, &code);
        benchmark::DoNotOptimize(verified);
    }
    if (verified != 1) state.SkipWithError("signature rejected");
}
BENCHMARK(BM_PB_VerifyHash)->Apply(BothPaths)->Unit(benchmark::kMicrosecond);

// One successful generation (the quadratic and the order test n P); a random U succeeds about
// every second (A = 1) or fourth (A = 0) time.
void BM_PB_CurveGenBasePoint(benchmark::State& state) {
    Setup s(false, PBIndex(state.range(0)), state.range(1) != 0);
    Bytes x(s.elementBytes), y(s.elementBytes);
    uint16_t code = 0;
    for (auto _ : state) {
        s.GenBasePoint(x.data(), y.data(), &code);
        benchmark::DoNotOptimize(x.data());
    }
}
BENCHMARK(BM_PB_CurveGenBasePoint)->Apply(BothPaths)->Unit(benchmark::kMicrosecond);

// ---- scalar multiplication of both bases, as the unit of the figures above -----------------

template <class Field>
void ScalarMultiplyLoop(benchmark::State& state, const Setup& s) {
    const auto& curve =
        static_cast<const QIRVALE::Tagged<QIRVALE::CurveParameters<Field>>*>(s.curve.parameters)
            ->value;
    const QIRVALE::AffinePoint<Field> p(Field::ElementFromBytes(s.px.data(), s.elementBytes),
                                        Field::ElementFromBytes(s.py.data(), s.elementBytes));
    QIRVALE::LongIntegerClass k;
    k.FromBytes(s.d.data(), uint32_t(s.d.size()));
    for (auto _ : state) {
        auto q = QIRVALE::ScalarMultiply(curve, k, p);
        benchmark::DoNotOptimize(q.x);
    }
}

void BM_PB_ScalarMultiply(benchmark::State& state) {
    Setup s(false, PBIndex(state.range(0)));
    ScalarMultiplyLoop<QIRVALE::PBBaseField>(state, s);
}
BENCHMARK(BM_PB_ScalarMultiply)
    ->Arg(163)
    ->Arg(173)
    ->Arg(257)
    ->Arg(431)
    ->Unit(benchmark::kMicrosecond);

void BM_ONB_ScalarMultiply(benchmark::State& state) {
    Setup s(true, ONBIndex(state.range(0)));
    ScalarMultiplyLoop<QIRVALE::ONBBaseField>(state, s);
}
BENCHMARK(BM_ONB_ScalarMultiply)->Arg(173)->Arg(431)->Unit(benchmark::kMicrosecond);

// ---- normal basis ------------------------------------------------------------------------

void BM_ONB_SignHash(benchmark::State& state) {
    Setup s(true, ONBIndex(state.range(0)));
    Bytes signature(s.signatureBytes);
    uint16_t code = 0;
    for (auto _ : state) {
        s.Sign(signature.data(), &code);
        benchmark::DoNotOptimize(signature.data());
    }
}
BENCHMARK(BM_ONB_SignHash)->Arg(173)->Arg(431)->Unit(benchmark::kMicrosecond);

void BM_ONB_VerifyHash(benchmark::State& state) {
    Setup s(true, ONBIndex(state.range(0)));
    uint8_t verified = 0;
    uint16_t code = 0;
    for (auto _ : state) {
        s.Verify(&verified, &code);
        benchmark::DoNotOptimize(verified);
    }
    if (verified != 1) state.SkipWithError("signature rejected");
}
BENCHMARK(BM_ONB_VerifyHash)->Arg(173)->Arg(431)->Unit(benchmark::kMicrosecond);

void BM_ONB_BaseFieldCreate(benchmark::State& state) {
    const uint16_t m = uint16_t(state.range(0));
    DSTU4145BaseFieldHandle field{};
    for (auto _ : state) {
        QIRVALEDSTU4145ONBSignBaseFieldCreate(&field, m);
        benchmark::DoNotOptimize(field.field);
        QIRVALEDSTU4145ONBSignBaseFieldDestroy(&field);
    }
}
BENCHMARK(BM_ONB_BaseFieldCreate)->Arg(431)->Unit(benchmark::kMicrosecond);

// PB creation tests the polynomial for irreducibility: the same degree for comparison.
void BM_PB_BaseFieldCreate(benchmark::State& state) {
    DSTU4145BaseFieldHandle field{};
    for (auto _ : state) {
        QIRVALEDSTU4145PBSignBaseFieldCreate(&field, 431, 5, 3, 1);
        benchmark::DoNotOptimize(field.field);
        QIRVALEDSTU4145PBSignBaseFieldDestroy(&field);
    }
}
BENCHMARK(BM_PB_BaseFieldCreate)->Unit(benchmark::kMicrosecond);

}  // namespace
