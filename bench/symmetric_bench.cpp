// Throughput of the symmetric primitives through their exports: one cipher block per mode,
// the hash over short and long messages, and the bit generator one bit versus up to 64 bits
// per step.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "qirvale.h"

namespace {

const uint8_t kKey[32] = {0x56, 0xaf, 0x9c, 0x87, 0x3b, 0x49, 0x71, 0xb6, 0xfe, 0xd8, 0x5c,
                          0xf2, 0xd0, 0x45, 0xcf, 0xb3, 0xa8, 0xf4, 0xcf, 0x02, 0x0d, 0x79,
                          0xf1, 0x3d, 0xb2, 0x10, 0xfc, 0xf0, 0x4a, 0xb3, 0x02, 0x16};
const uint8_t kBlock[8] = {1, 2, 3, 4, 5, 6, 7, 8};

void CipherBlock(benchmark::State& state) {
    GOST28147CipherStateHeader header;
    QIRVALEGOST28147CipherInit(&header, QIRVALEGOST34311HashStdSampleSBoxPtr(), 1,
                               static_cast<uint16_t>(state.range(0)), kKey, kBlock);
    uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (auto _ : state) {
        QIRVALEGOST28147CipherAction(&header, block, block);
        benchmark::DoNotOptimize(block);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 8);
}
BENCHMARK(CipherBlock)->ArgName("mode")->Arg(0)->Arg(1)->Arg(2)->Arg(3);

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
