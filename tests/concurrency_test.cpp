// Concurrent calls. The library keeps no state between calls: threads that share read-only
// inputs (domain parameters, curve objects) and keep their own headers and outputs must each
// get what a single thread gets. Every preset runs these tests for their results; the tsan
// preset runs them under ThreadSanitizer, which reports any data race between the threads.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "dstu4145_test_helpers.h"
#include "qirvale.h"
#include "support/test_support.h"

using qirvale_test::Bytes;
using qirvale_test::FromHex;
using qirvale_test::ToHex;

namespace {

constexpr int kThreads = 4;

// Runs work(thread) on kThreads threads released together; returns the failures each thread
// reported (work returns an empty string on success).
std::vector<std::string> RunTogether(const std::function<std::string(int)>& work) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ready.fetch_add(1);
            while (!go.load()) std::this_thread::yield();
            failures[t] = work(t);
        });
    }
    while (ready.load() < kThreads) std::this_thread::yield();
    go.store(true);
    for (auto& thread : threads) thread.join();
    return failures;
}

void ExpectNoFailures(const std::vector<std::string>& failures) {
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], "") << "thread " << t;
}

Bytes OptionalHex(const qirvale_test::Json& value) {
    return value.is_null() ? Bytes() : qirvale_test::HexBytes(value);
}

// ---- cipher, hash and generator: one header per thread -----------------------------------

TEST(Concurrency, CipherWithSeparateHeaders) {
    const auto cases = qirvale_test::ReadJsonLines("reference-gost28147.jsonl");
    ASSERT_FALSE(cases.empty());
    ExpectNoFailures(RunTogether([&](int thread) -> std::string {
        // Each thread starts at another case so that different modes run at the same time.
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const auto& c = cases[(i + thread * cases.size() / kThreads) % cases.size()];
            const Bytes sBox = qirvale_test::HexBytes(c["sbox"]);
            const Bytes key = qirvale_test::HexBytes(c["key"]);
            const Bytes synchro = OptionalHex(c["synchro"]);
            GOST28147CipherStateHeader header;
            QIRVALEGOST28147CipherInit(&header, sBox.data(), uint8_t(c["dir"].get<int>()),
                                       uint16_t(c["mode"].get<int>()), key.data(),
                                       synchro.empty() ? nullptr : synchro.data());
            for (std::size_t b = 0; b < c["blocks"].size(); ++b) {
                const Bytes in = qirvale_test::HexBytes(c["blocks"][b]);
                uint8_t out[8];
                QIRVALEGOST28147CipherAction(&header, out, in.data());
                if (ToHex(out, 8) != c["expect"]["out"][b].get<std::string>()) {
                    return c["case"].get<std::string>() + " block " + std::to_string(b);
                }
            }
            QIRVALEGOST28147CipherDone(&header);
        }
        return "";
    }));
}

TEST(Concurrency, HashWithSeparateHeaders) {
    const auto cases = qirvale_test::ReadJsonLines("reference-gost34311.jsonl");
    ASSERT_FALSE(cases.empty());
    ExpectNoFailures(RunTogether([&](int thread) -> std::string {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const auto& c = cases[(i + thread * cases.size() / kThreads) % cases.size()];
            const Bytes sBox = qirvale_test::HexBytes(c["sbox"]);
            const Bytes start = OptionalHex(c["start"]);
            const Bytes message = qirvale_test::HexBytes(c["msg"]);
            GOST34311HashStateHeader header;
            QIRVALEGOST34311HashInit(&header, sBox.data(), start.empty() ? nullptr : start.data());
            QIRVALEGOST34311HashAction(&header, message.data(), uint32_t(message.size()));
            uint8_t digest[32];
            QIRVALEGOST34311HashDone(&header, digest);
            if (ToHex(digest, 32) != c["expect"]["digest"].get<std::string>()) {
                return c["case"].get<std::string>();
            }
        }
        return "";
    }));
}

TEST(Concurrency, GeneratorWithSeparateHeaders) {
    const Bytes sBox(QIRVALEGOST34311HashStdSampleSBoxPtr(),
                     QIRVALEGOST34311HashStdSampleSBoxPtr() + 128);
    const Bytes seed = FromHex("00112233445566778899aabbccddeeff");
    auto draw = [&] {
        DSTU4145RNGHeader header;
        QIRVALEDSTU4145RNGCreateExt(&header, seed.data(), uint32_t(seed.size()), sBox.data(),
                                    nullptr, nullptr, sBox.data());
        Bytes bits(256);
        QIRVALEDSTU4145RNGGenerateBitSequence(&header, bits.data(), 2048);
        QIRVALEDSTU4145RNGDestroy(&header);
        return bits;
    };
    const Bytes expected = draw();
    ExpectNoFailures(RunTogether([&](int) -> std::string {
        for (int round = 0; round < 4; ++round) {
            if (draw() != expected) return "round " + std::to_string(round);
        }
        return "";
    }));
}

// ---- GOST 34.310: one set of parameter buffers read by every thread ------------------------

TEST(Concurrency, GOST34310SharedParameters) {
    const qirvale_test::Json json = qirvale_test::ReadJson("gost34310.json");
    const Bytes x = qirvale_test::HexBytes(json["x"]);
    const Bytes k = qirvale_test::HexBytes(json["k"]);
    const Bytes hash = qirvale_test::HexBytes(json["hash"]);
    struct Example {
        Bytes p, q, a, y, signature;
    };
    std::vector<Example> examples;
    for (const auto& e : json["examples"]) {
        examples.push_back({qirvale_test::HexBytes(e["p"]), qirvale_test::HexBytes(e["q"]),
                            qirvale_test::HexBytes(e["a"]), qirvale_test::HexBytes(e["y"]),
                            qirvale_test::HexBytes(e["signature"])});
    }
    ASSERT_FALSE(examples.empty());
    ExpectNoFailures(RunTogether([&](int thread) -> std::string {
        for (std::size_t i = 0; i < examples.size(); ++i) {
            const Example& e = examples[(i + thread) % examples.size()];
            uint16_t code = 0;
            Bytes y(e.y.size());
            if (QIRVALEGOST34310SignGeneratePublicKey(
                    y.data(), uint32_t(y.size()), e.p.data(), uint32_t(e.p.size()), e.a.data(),
                    uint32_t(e.a.size()), x.data(), uint32_t(x.size()), &code) != 0 ||
                y != e.y) {
                return "public key of example " + std::to_string(i);
            }
            uint8_t signature[QIRVALE_GOST34310_SIGNATURE_SIZE];
            if (QIRVALEGOST34310SignSignHash(
                    signature, e.p.data(), uint32_t(e.p.size()), e.q.data(), uint32_t(e.q.size()),
                    e.a.data(), uint32_t(e.a.size()), hash.data(), uint32_t(hash.size()), x.data(),
                    uint32_t(x.size()), k.data(), uint32_t(k.size()), &code) != 0 ||
                Bytes(signature, signature + sizeof signature) != e.signature) {
                return "signature of example " + std::to_string(i);
            }
            uint8_t verified = 0;
            if (QIRVALEGOST34310SignVerifyHash(
                    &verified, e.p.data(), uint32_t(e.p.size()), e.q.data(), uint32_t(e.q.size()),
                    e.a.data(), uint32_t(e.a.size()), hash.data(), uint32_t(hash.size()),
                    e.signature.data(), e.y.data(), uint32_t(e.y.size()), &code) != 0 ||
                verified != 1) {
                return "verification of example " + std::to_string(i);
            }
        }
        return "";
    }));
}

// ---- DSTU 4145: one field and one curve of each basis shared by every thread --------------

// A published known answer: standard curve, base point, key pair, and the signature of a hash
// with a given per-signature random number e.
struct SignatureVector {
    dstutest::CurveRecord record;
    Bytes px, py, d, qx, qy, e, hash, signature;
};

SignatureVector PBVector() {
    const qirvale_test::Json data = qirvale_test::ReadJson("standard-data.json");
    const auto& le = data.at("dstu4145_pb163_example").at("le");
    return {dstutest::PBRecord(101),
            qirvale_test::HexBytes(le["Px_le21"]),
            qirvale_test::HexBytes(le["Py_le20"]),
            qirvale_test::HexBytes(le["d_le21"]),
            qirvale_test::HexBytes(le["Qx_le21"]),
            qirvale_test::HexBytes(le["Qy_le21"]),
            qirvale_test::HexBytes(le["e_le21"]),
            qirvale_test::HexBytes(le["hash_le32"]),
            qirvale_test::HexBytes(le["signature_64"])};
}

SignatureVector ONBVector() {
    const qirvale_test::Json data = qirvale_test::ReadJson("standard-data.json");
    const auto& v = data.at("dstu4145_onb173_derived_vector").at("values");
    return {dstutest::ONBRecord(201),
            qirvale_test::HexBytes(v["Px_le22"]),
            qirvale_test::HexBytes(v["Py_le22"]),
            qirvale_test::HexBytes(v["d_le22"]),
            qirvale_test::HexBytes(v["Qx_le22"]),
            qirvale_test::HexBytes(v["Qy_le22"]),
            qirvale_test::HexBytes(v["e_le22"]),
            qirvale_test::HexBytes(v["hash_le32"]),
            qirvale_test::HexBytes(v["signature_44"])};
}

// Every export that reads a curve, on `curve`, with the results of the known answer: public
// key and its checks, signature, verification, point packing. An empty string when all agree.
std::string UseCurve(const dstutest::Family& f, const DSTU4145CurveHandle* curve,
                     const SignatureVector& v) {
    auto size = [](const Bytes& b) { return uint32_t(b.size()); };
    uint16_t code = 0;
    uint8_t flag = 0;
    Bytes qx(v.qx.size()), qy(v.qy.size());
    if (f.generatePublicKey(qx.data(), size(qx), qy.data(), size(qy), curve, v.px.data(),
                            size(v.px), v.py.data(), size(v.py), v.d.data(), size(v.d),
                            &code) != 0 ||
        qx != v.qx || qy != v.qy) {
        return "public key";
    }
    if (f.verifyPublicKey(&flag, curve, qx.data(), size(qx), qy.data(), size(qy)) != 0 ||
        flag != 1) {
        return "public key check";
    }
    if (f.verifyPrivateKey(&flag, curve, v.px.data(), size(v.px), v.py.data(), size(v.py),
                           qx.data(), size(qx), qy.data(), size(qy), v.d.data(), size(v.d)) != 0 ||
        flag != 1) {
        return "private key check";
    }
    Bytes signature(v.signature.size());
    if (f.signHash(signature.data(), size(signature), curve, v.px.data(), size(v.px), v.py.data(),
                   size(v.py), v.hash.data(), size(v.hash), v.d.data(), size(v.d), v.e.data(),
                   size(v.e), &code) != 0 ||
        signature != v.signature) {
        return "signature";
    }
    if (f.verifyHash(&flag, curve, v.px.data(), size(v.px), v.py.data(), size(v.py), v.hash.data(),
                     size(v.hash), signature.data(), size(signature), qx.data(), size(qx),
                     qy.data(), size(qy), &code) != 0 ||
        flag != 1) {
        return "verification";
    }
    Bytes packed(qx.size()), x(qx.size()), y(qy.size());
    if (f.packPoint(packed.data(), size(packed), curve, qx.data(), size(qx), qy.data(), size(qy),
                    &code) != 0 ||
        f.unpackPoint(x.data(), size(x), y.data(), size(y), curve, packed.data(), size(packed),
                      &code) != 0 ||
        x != qx || y != qy) {
        return "packed public key";
    }
    return "";
}

void ShareOneCurve(const dstutest::Family& f, const SignatureVector& v) {
    DSTU4145BaseFieldHandle field{};
    DSTU4145CurveHandle curve{};
    ASSERT_EQ(f.createField(&field, v.record), 0u);
    ASSERT_EQ(
        f.curveCreate(&curve, &field, v.record.a, v.record.b.data(), uint32_t(v.record.b.size()),
                      v.record.n.data(), uint32_t(v.record.n.size())),
        0u);
    ExpectNoFailures(RunTogether([&](int) -> std::string {
        for (int round = 0; round < 2; ++round) {
            const std::string failure = UseCurve(f, &curve, v);
            if (!failure.empty()) return failure + " in round " + std::to_string(round);
        }
        return "";
    }));
    f.curveDestroy(&curve);
    f.fieldDestroy(&field);
}

TEST(Concurrency, DSTU4145PBSharedCurve) {
    ShareOneCurve(dstutest::PB(), PBVector());
}

TEST(Concurrency, DSTU4145ONBSharedCurve) {
    ShareOneCurve(dstutest::ONB(), ONBVector());
}

// Fields and curves of both bases created and used by every thread at once, before any other
// use in the process: whatever the library builds on first use is built concurrently here.
TEST(Concurrency, DSTU4145FieldsCreatedTogether) {
    const SignatureVector vectors[] = {PBVector(), ONBVector()};
    const dstutest::Family* families[] = {&dstutest::PB(), &dstutest::ONB()};
    ExpectNoFailures(RunTogether([&](int thread) -> std::string {
        for (int i = 0; i < 2; ++i) {
            const int which = (i + thread) % 2;
            const dstutest::Family& f = *families[which];
            const SignatureVector& v = vectors[which];
            DSTU4145BaseFieldHandle field{};
            DSTU4145CurveHandle curve{};
            if (f.createField(&field, v.record) != 0 ||
                f.curveCreate(&curve, &field, v.record.a, v.record.b.data(),
                              uint32_t(v.record.b.size()), v.record.n.data(),
                              uint32_t(v.record.n.size())) != 0) {
                return std::string(f.name) + " creation";
            }
            f.fieldDestroy(&field);  // the curve keeps its own copy
            const std::string failure = UseCurve(f, &curve, v);
            f.curveDestroy(&curve);
            if (!failure.empty()) return std::string(f.name) + " " + failure;
        }
        return "";
    }));
}

}  // namespace
