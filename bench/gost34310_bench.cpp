// GOST 34.310: signing and verification on the worked-example parameters with a 512-bit and a
// 1024-bit p (benchmark argument = bits of p), the fixed-width path of the exports against the
// literal algorithms in the same run, signing with a full-length and a half-length k, one
// modular exponentiation with a 256-bit exponent as the unit of cost, and each parameter
// procedure run once on its worked example.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "gost34310/signature.h"
#include "longint/long_integer.h"
#include "qirvale.h"

namespace {

namespace GOST34310 = QIRVALE::GOST34310;
using Bytes = std::vector<uint8_t>;

struct Domain {
    Bytes p, q, a, x, y, k, hash;
};

// The parameters of the 16-bit worked examples (short procedure for 512 bits, long procedure
// for 1024 bits), generated once, with a fixed key, random number and hash.
const Domain& DomainOf(int bits) {
    static const auto make = [](bool longProcedure) {
        Domain d;
        d.p.resize(longProcedure ? 128 : 64);
        d.q.resize(32);
        d.a.resize(d.p.size());
        d.y.resize(d.p.size());
        uint16_t code = 0;
        if (longProcedure) {
            QIRVALEGOST34310SignGenerateParametersPQ16Long(d.p.data(), 128, d.q.data(), 32, 1024,
                                                           256, 42341, 21387, &code);
        } else {
            QIRVALEGOST34310SignGenerateParametersPQ16Short(d.p.data(), 64, d.q.data(), 32, 512,
                                                            24265, 29505, &code);
        }
        QIRVALEGOST34310SignGenerateParameterA(d.a.data(), uint32_t(d.a.size()), d.p.data(),
                                               uint32_t(d.p.size()), d.q.data(), 32, &code);
        for (uint8_t i = 0; i < 32; ++i) {
            d.x.push_back(uint8_t(0x30 + i));
            d.k.push_back(uint8_t(0x51 ^ (7 * i)));
            d.hash.push_back(uint8_t(0xA0 + 3 * i));
        }
        d.x[31] = d.k[31] = 0x12;  // below q
        QIRVALEGOST34310SignGeneratePublicKey(d.y.data(), uint32_t(d.y.size()), d.p.data(),
                                              uint32_t(d.p.size()), d.a.data(),
                                              uint32_t(d.a.size()), d.x.data(), 32, &code);
        return d;
    };
    static const Domain d512 = make(false), d1024 = make(true);
    return bits == 512 ? d512 : d1024;
}

// A random number of exactly `bits` bits (below q for bits < 256).
Bytes RandomNumberOfBits(uint32_t bits) {
    Bytes k(32, 0);
    for (uint32_t i = 0; i < bits / 8 + 1 && i < 32; ++i) k[i] = uint8_t(0x5B ^ (29 * i));
    for (uint32_t bit = bits; bit < 256; ++bit) k[bit / 8] &= uint8_t(~(1u << (bit % 8)));
    k[(bits - 1) / 8] |= uint8_t(1u << ((bits - 1) % 8));
    return k;
}

QIRVALE::LongIntegerClass Number(const Bytes& bytes) {
    QIRVALE::LongIntegerClass v;
    v.FromBytes(bytes.data(), uint32_t(bytes.size()));
    return v;
}

// Signing through the export (the fixed-width path) or the literal algorithm on the numbers the
// export reads; arguments: bits of p, bits of k.
template <bool kLiteral>
void SignHash(benchmark::State& state) {
    const Domain& d = DomainOf(int(state.range(0)));
    const Bytes k = RandomNumberOfBits(uint32_t(state.range(1)));
    uint8_t signature[64];
    uint16_t code = 0;
    for (auto _ : state) {
        if (kLiteral) {
            code = GOST34310::Literal::SignHash(signature, Number(d.p), Number(d.q), Number(d.a),
                                                Number(d.hash), Number(d.x), Number(k));
        } else {
            QIRVALEGOST34310SignSignHash(signature, d.p.data(), uint32_t(d.p.size()), d.q.data(),
                                         32, d.a.data(), uint32_t(d.a.size()), d.hash.data(), 32,
                                         d.x.data(), 32, k.data(), 32, &code);
        }
        benchmark::DoNotOptimize(signature);
    }
    if (code != ResultCodeNone) state.SkipWithError("signing failed");
}

template <bool kLiteral>
void VerifyHash(benchmark::State& state) {
    const Domain& d = DomainOf(int(state.range(0)));
    uint8_t signature[64];
    uint16_t code = 0;
    QIRVALEGOST34310SignSignHash(signature, d.p.data(), uint32_t(d.p.size()), d.q.data(), 32,
                                 d.a.data(), uint32_t(d.a.size()), d.hash.data(), 32, d.x.data(),
                                 32, d.k.data(), 32, &code);
    uint8_t verified = 0;
    for (auto _ : state) {
        verified = 0;
        if (kLiteral) {
            GOST34310::Literal::VerifyHash(&verified, Number(d.p), Number(d.q), Number(d.a),
                                           Number(d.hash), signature, Number(d.y));
        } else {
            QIRVALEGOST34310SignVerifyHash(&verified, d.p.data(), uint32_t(d.p.size()), d.q.data(),
                                           32, d.a.data(), uint32_t(d.a.size()), d.hash.data(), 32,
                                           signature, d.y.data(), uint32_t(d.y.size()), &code);
        }
        benchmark::DoNotOptimize(verified);
    }
    if (verified != 1) state.SkipWithError("verification failed");
}

// a^k mod p: the exponentiation that dominates signing.
void ModExp(benchmark::State& state) {
    const Domain& d = DomainOf(int(state.range(0)));
    const QIRVALE::LongIntegerClass a = Number(d.a), k = Number(d.k), p = Number(d.p);
    for (auto _ : state) {
        QIRVALE::LongIntegerClass r = QIRVALE::LongIntegerClass::ModExp(a, k, p);
        benchmark::DoNotOptimize(r);
    }
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(512)->Arg(1024)->Unit(benchmark::kMicrosecond);
}

// Full-length and half-length k: the fixed-width path takes the same time for both.
void SigningSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"p", "kbits"})->Unit(benchmark::kMicrosecond);
    for (int p : {512, 1024}) b->Args({p, 255})->Args({p, 128});
}

BENCHMARK(ModExp)->Apply(Sizes);
BENCHMARK_TEMPLATE(SignHash, false)->Name("SignHash/fixed")->Apply(SigningSizes);
BENCHMARK_TEMPLATE(SignHash, true)->Name("SignHash/literal")->Apply(SigningSizes);
BENCHMARK_TEMPLATE(VerifyHash, false)->Name("VerifyHash/fixed")->Apply(Sizes);
BENCHMARK_TEMPLATE(VerifyHash, true)->Name("VerifyHash/literal")->Apply(Sizes);

// The worked examples of the four procedures and of a, each run once.
void GenerateParameters(benchmark::State& state) {
    const bool longProcedure = state.range(0) != 0;
    const bool wide = state.range(1) != 0;
    Bytes p(128), q(32);
    uint16_t code = 0;
    for (auto _ : state) {
        if (longProcedure && wide) {
            QIRVALEGOST34310SignGenerateParametersPQ32Long(p.data(), 128, q.data(), 32, 1024, 256,
                                                           1039943409, 13, &code);
        } else if (longProcedure) {
            QIRVALEGOST34310SignGenerateParametersPQ16Long(p.data(), 128, q.data(), 32, 1024, 256,
                                                           42341, 21387, &code);
        } else if (wide) {
            QIRVALEGOST34310SignGenerateParametersPQ32Short(p.data(), 128, q.data(), 32, 512,
                                                            1039943409, 13, &code);
        } else {
            QIRVALEGOST34310SignGenerateParametersPQ16Short(p.data(), 128, q.data(), 32, 512, 24265,
                                                            29505, &code);
        }
    }
    if (code != ResultCodeNone) state.SkipWithError("generation failed");
}

void ParameterA(benchmark::State& state) {
    const Domain& d = DomainOf(int(state.range(0)));
    Bytes a(d.p.size());
    uint16_t code = 0;
    for (auto _ : state) {
        QIRVALEGOST34310SignGenerateParameterA(a.data(), uint32_t(a.size()), d.p.data(),
                                               uint32_t(d.p.size()), d.q.data(), 32, &code);
    }
}

BENCHMARK(GenerateParameters)
    ->ArgNames({"long", "w32"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ParameterA)->Arg(512)->Arg(1024)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
