// Concurrent calls, run under ThreadSanitizer (the tsan preset), which reports any data race.
// The cipher and hash keep all state in the caller's header; the curves are the objects that
// threads share, and the first use of a field may build tables.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "dstu4145_test_helpers.h"

namespace {

using qirvale_test::Bytes;

// Runs work(thread) on four threads released together; returns what each produced.
std::vector<Bytes> RunTogether(const std::function<Bytes(int)>& work) {
    std::atomic<int> ready{0};
    std::vector<Bytes> results(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (ready.fetch_add(1); ready.load() < 4;) std::this_thread::yield();
            results[t] = work(t);
        });
    }
    for (auto& thread : threads) thread.join();
    return results;
}

// Fields and curves of both bases made by every thread at once, before any other use in the
// process (whatever the library builds on first use is built concurrently), then one curve of
// each basis shared by every thread. Each signs a hash with a fixed e under a key pair made
// from the same seed, verifies it, and must get the single-threaded signature.
TEST(Concurrency, DSTU4145OwnCurvesFirstThenSharedCurves) {
    const dstutest::CurveRecord records[] = {dstutest::PBRecord(101), dstutest::ONBRecord(201)};
    const dstutest::Family* families[] = {&dstutest::PB(), &dstutest::ONB()};
    const Bytes hash(32, 0x5C), e(16, 0x3A);
    const auto sign = [&](const dstutest::Session& s) {  // empty unless the signature verifies
        dstutest::Args a = s.args;
        a.hash = hash;
        a.e = e;
        a.outX = s.SignatureBytes();
        a.sig = s.Call("sign", a).x;
        const dstutest::Outcome verdict = s.Call("verify", a);
        return verdict.status == 0 && verdict.x == Bytes{1} ? a.sig : Bytes();
    };
    const std::vector<Bytes> firstUse = RunTogether([&](int thread) {
        dstutest::Session session(*families[thread % 2], records[thread % 2], 7);
        session.MakeKeys();
        return sign(session);
    });
    for (int basis = 0; basis < 2; ++basis) {
        dstutest::Session session(*families[basis], records[basis], 7);
        session.MakeKeys();
        const Bytes expected = sign(session);
        ASSERT_FALSE(expected.empty());
        const std::vector<Bytes> shared = RunTogether([&](int) { return sign(session); });
        for (int t = 0; t < 4; ++t) {
            EXPECT_EQ(shared[t], expected) << "shared curve, thread " << t;
            EXPECT_EQ(firstUse[t - t % 2 + basis], expected) << "own curve";  // threads of basis
        }
    }
}

}  // namespace
