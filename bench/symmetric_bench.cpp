// Throughput of the symmetric primitives: the cipher one block per call (export and the kept
// plain round algorithm) and many blocks per call, per mode; the hash over short and long
// messages, and its step against the plain step; the bit generator one bit versus up to 64
// bits per step.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "qirvale.h"
#include "symmetric/gost28147.h"
#include "symmetric/gost28147_reference.h"
#include "symmetric/gost34311_reference.h"

namespace {

const uint8_t kKey[32] = {0x56, 0xaf, 0x9c, 0x87, 0x3b, 0x49, 0x71, 0xb6, 0xfe, 0xd8, 0x5c,
                          0xf2, 0xd0, 0x45, 0xcf, 0xb3, 0xa8, 0xf4, 0xcf, 0x02, 0x0d, 0x79,
                          0xf1, 0x3d, 0xb2, 0x10, 0xfc, 0xf0, 0x4a, 0xb3, 0x02, 0x16};
const uint8_t kBlock[8] = {1, 2, 3, 4, 5, 6, 7, 8};

// Modes: 0 simple replacement, 1 gamma, 2 feedback encryption, 3 MAC, 4 feedback decryption.
GOST28147CipherStateHeader CipherFor(int64_t mode) {
    GOST28147CipherStateHeader header;
    QIRVALEGOST28147CipherInit(&header, QIRVALEGOST34311HashStdSampleSBoxPtr(), mode == 4 ? 0 : 1,
                               static_cast<uint16_t>(mode == 4 ? 2 : mode), kKey, kBlock);
    return header;
}

void CipherBlock(benchmark::State& state) {
    GOST28147CipherStateHeader header = CipherFor(state.range(0));
    uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (auto _ : state) {
        QIRVALEGOST28147CipherAction(&header, block, block);
        benchmark::DoNotOptimize(block);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 8);
}
BENCHMARK(CipherBlock)->ArgName("mode")->DenseRange(0, 4);

// The plain round algorithm, one block at a time: what the exports are measured against.
void CipherBlockReference(benchmark::State& state) {
    GOST28147CipherStateHeader header = CipherFor(state.range(0));
    uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (auto _ : state) {
        QIRVALE::GOST28147Reference::Action(header, block, block);
        benchmark::DoNotOptimize(block);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 8);
}
BENCHMARK(CipherBlockReference)->ArgName("mode")->DenseRange(0, 4);

// 16 KiB per call, in place.
void CipherBlocks(benchmark::State& state) {
    GOST28147CipherStateHeader header = CipherFor(state.range(0));
    std::vector<uint8_t> buffer(16 * 1024, 0x5A);
    for (auto _ : state) {
        QIRVALEGOST28147CipherActionBlocks(&header, buffer.data(), buffer.data(),
                                           static_cast<uint32_t>(buffer.size() / 8));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(buffer.size()));
}
BENCHMARK(CipherBlocks)->ArgName("mode")->DenseRange(0, 4);

// Simple replacement, 16 KiB per call, on each way of running the blocks side by side that
// the processor has: 0 the portable table code, 1 AVX2, 2 AVX-512 VBMI.
void CipherBlocksByUnit(benchmark::State& state) {
    const auto unit = static_cast<QIRVALE::GOST28147VectorUnit>(state.range(0));
    if (unit > QIRVALE::GOST28147VectorUnitOfProcessor()) {
        state.SkipWithError("not on this processor");
        return;
    }
    GOST28147CipherStateHeader header = CipherFor(0);
    std::vector<uint8_t> buffer(16 * 1024, 0x5A);
    for (auto _ : state) {
        QIRVALE::GOST28147ActionBlocks(header, buffer.data(), buffer.data(), buffer.size() / 8,
                                       unit);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(buffer.size()));
}
BENCHMARK(CipherBlocksByUnit)->ArgName("unit")->DenseRange(0, 2);

void Hash(benchmark::State& state) {
    const std::vector<uint8_t> message(static_cast<std::size_t>(state.range(0)), 0x5A);
    uint8_t digest[32];
    for (auto _ : state) {
        GOST34311HashStateHeader header;
        QIRVALEGOST34311HashInit(&header, QIRVALEGOST34311HashStdSampleSBoxPtr(), nullptr);
        QIRVALEGOST34311HashAction(&header, message.data(), static_cast<uint32_t>(message.size()));
        QIRVALEGOST34311HashDone(&header, digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(Hash)->ArgName("bytes")->Arg(32)->Arg(1024)->Arg(1 << 20);

// The plain step over a 1 MiB message, block by block (the length and checksum additions
// and the three final steps, under 0.1% of the work, left out).
void HashReferenceSteps(benchmark::State& state) {
    const std::vector<uint8_t> message(1 << 20, 0x5A);
    uint8_t h[32] = {};
    for (auto _ : state) {
        for (std::size_t i = 0; i < message.size(); i += 32) {
            QIRVALE::GOST34311Reference::Step(QIRVALEGOST34311HashStdSampleSBoxPtr(), h,
                                              message.data() + i);
        }
        benchmark::DoNotOptimize(h);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(message.size()));
}
BENCHMARK(HashReferenceSteps);

void GeneratorBits(benchmark::State& state) {
    DSTU4145RNGHeader header;
    QIRVALEDSTU4145RNGCreate(&header, QIRVALEGOST34311HashStdSampleSBoxPtr(), kKey, kBlock, kBlock);
    std::vector<uint8_t> out(128);
    for (auto _ : state) {
        QIRVALEDSTU4145RNGGenerateBitSequenceExt(&header, out.data(), 1024,
                                                 static_cast<uint16_t>(state.range(0)));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 128);
}
BENCHMARK(GeneratorBits)->ArgName("bitsPerStep")->Arg(1)->Arg(8)->Arg(64);

}  // namespace
