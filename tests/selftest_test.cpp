// The exported known-answer self-tests pass on this build, and their runners (which take the
// vectors as an argument) fail on copies of the real tables with the last byte of one stored
// answer flipped, or with a curve that cannot be created.
#include <array>
#include <cstdint>
#include <utility>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "selftest/selftest.h"

namespace {

using namespace QIRVALE;

template <std::size_t N>
std::pair<uint8_t*, std::size_t> Answer(std::array<uint8_t, N>& bytes) {
    return {bytes.data(), N};
}
std::pair<uint8_t*, std::size_t> Answer(SelfTestBytes& bytes) {
    return {bytes.bytes.data(), bytes.length};
}

// `run` passes on `vectors` and fails on every copy with a changed byte in one of `answers`.
template <class V, class Run, class... Answers>
void ExpectChangedAnswersDetected(const V& vectors, Run run, Answers... answers) {
    EXPECT_EQ(run(vectors), 0u);
    const auto check = [&](auto answer) {
        V copy = vectors;
        const auto [bytes, size] = Answer(copy.*answer);
        bytes[size - 1] ^= 0x10;
        EXPECT_NE(run(copy), 0u) << "answer of " << size << " bytes";
    };
    (check(answers), ...);
}

TEST(SelfTest, ExportsPassAndRunnersDetectChangedAnswers) {
    for (uint16_t n = 0; n < 5; ++n) EXPECT_EQ(QIRVALETestGOST28147(n), n == 4 ? 1u : 0u) << n;
    EXPECT_EQ(QIRVALETestGOST34311() | QIRVALETestGOST34310(), 0u);
    EXPECT_EQ(QIRVALETestDSTU4145PB() | QIRVALETestDSTU4145ONB(), 0u);
    for (uint16_t n = 0; n < 4; ++n) {
        Gost28147SelfTestVectors copy = kGost28147SelfTestVectors;
        copy.cases[n].expected[7] ^= 0x10;
        EXPECT_EQ(RunGost28147SelfTest(copy, n), 1u) << "cipher case " << n;
    }
    using H = Gost34311SelfTestVectors;
    ExpectChangedAnswersDetected(kGost34311SelfTestVectors, RunGost34311SelfTest, &H::digest32,
                                 &H::digest50);
    using P = Gost34310SelfTestVectors;
    ExpectChangedAnswersDetected(kGost34310SelfTestVectors, RunGost34310SelfTest, &P::p16Short,
                                 &P::q16Short, &P::p32Short, &P::q32Short, &P::p16Long, &P::q16Long,
                                 &P::p32Long, &P::q32Long, &P::a, &P::y, &P::signature);
    using D = DstuSelfTestVectors;
    ExpectChangedAnswersDetected(kDstu4145PBSelfTestVectors, RunDstu4145PBSelfTest, &D::qx, &D::qy,
                                 &D::signature);
    ExpectChangedAnswersDetected(kDstu4145ONBSelfTestVectors, RunDstu4145ONBSelfTest, &D::qx,
                                 &D::qy, &D::signature);
    // A broken curve stops the runner with the failing export's status (1).
    D broken = kDstu4145PBSelfTestVectors;
    broken.k = 0;  // (163, 0, ...) is not a valid polynomial: field creation fails
    EXPECT_EQ(RunDstu4145PBSelfTest(broken), 1u);
    broken = kDstu4145PBSelfTestVectors;
    broken.a = 2;  // curve creation fails after the field was created
    EXPECT_EQ(RunDstu4145PBSelfTest(broken), 1u);
}

}  // namespace
