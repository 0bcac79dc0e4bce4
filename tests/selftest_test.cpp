// The exported known-answer self-tests: they pass on this build, and each one fails when any
// of its stored answers is changed. The runners take their vectors as an argument, so the
// failure paths are exercised on corrupted copies of the real vector tables.
#include <cstdint>

#include <gtest/gtest.h>

#include "qirvale.h"
#include "selftest/selftest.h"

namespace {

using namespace QIRVALE;

TEST(SelfTest, EveryExportedTestPassesOnThisBuild) {
    for (uint16_t caseNumber = 0; caseNumber < 4; ++caseNumber) {
        EXPECT_EQ(QIRVALETestGOST28147(caseNumber), 0u) << caseNumber;
    }
    EXPECT_EQ(QIRVALETestGOST34311(), 0u);
    EXPECT_EQ(QIRVALETestGOST34310(), 0u);
    EXPECT_EQ(QIRVALETestDSTU4145PB(), 0u);
    EXPECT_EQ(QIRVALETestDSTU4145ONB(), 0u);
}

TEST(SelfTest, UnknownCipherCasesFail) {
    EXPECT_EQ(QIRVALETestGOST28147(4), 1u);
    EXPECT_EQ(QIRVALETestGOST28147(0xFFFF), 1u);
}

// Flips one bit of byte i of `field` in a copy of `vectors` and runs `run` on it.
template <class Vectors, class Field, class Run>
uint32_t RunCorrupted(const Vectors& vectors, Field Vectors::*field, std::size_t i, Run run) {
    Vectors copy = vectors;
    (copy.*field)[i] ^= 0x01;
    return run(copy);
}

TEST(SelfTest, CipherCasesDetectEveryChangedAnswerByte) {
    for (uint16_t caseNumber = 0; caseNumber < 4; ++caseNumber) {
        for (std::size_t i = 0; i < 8; ++i) {
            Gost28147SelfTestVectors copy = kGost28147SelfTestVectors;
            copy.cases[caseNumber].expected[i] ^= 0x80;
            EXPECT_EQ(RunGost28147SelfTest(copy, caseNumber), 1u) << caseNumber << " byte " << i;
        }
    }
}

TEST(SelfTest, HashDetectsEveryChangedAnswerByte) {
    auto run = [](const Gost34311SelfTestVectors& v) { return RunGost34311SelfTest(v); };
    for (std::size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(
            RunCorrupted(kGost34311SelfTestVectors, &Gost34311SelfTestVectors::digest32, i, run),
            1u);
        EXPECT_EQ(
            RunCorrupted(kGost34311SelfTestVectors, &Gost34311SelfTestVectors::digest50, i, run),
            1u);
    }
}

// Parameter generation dominates this test's cost, so every stored answer is corrupted at one
// position (moving through the values: first bytes, last bytes, middle bytes) rather than at all.
TEST(SelfTest, Gost34310DetectsChangedAnswers) {
    auto run = [](const Gost34310SelfTestVectors& v) { return RunGost34310SelfTest(v); };
    using V = Gost34310SelfTestVectors;
    std::size_t moving = 0;
    auto check = [&](auto field, std::size_t size, const char* name) {
        for (std::size_t i : {std::size_t{0}, size - 1, moving % size}) {
            EXPECT_NE(RunCorrupted(kGost34310SelfTestVectors, field, i, run), 0u)
                << name << " " << i;
        }
        moving += 7;
    };
    check(&V::p16Short, 64, "p16Short");
    check(&V::q16Short, 32, "q16Short");
    check(&V::p32Short, 64, "p32Short");
    check(&V::q32Short, 32, "q32Short");
    check(&V::p16Long, 128, "p16Long");
    check(&V::q16Long, 32, "q16Long");
    check(&V::p32Long, 128, "p32Long");
    check(&V::q32Long, 32, "q32Long");
    check(&V::a, 64, "a");
    check(&V::y, 64, "y");
    check(&V::signature, 64, "signature");
}

// The stored answers of a DSTU 4145 test: the private key made from the stored random number,
// the public key and the signature (padding bytes included).
void CheckDstuAnswers(const DstuSelfTestVectors& vectors,
                      uint32_t (*runner)(const DstuSelfTestVectors&)) {
    ASSERT_EQ(runner(vectors), 0u);
    for (SelfTestBytes DstuSelfTestVectors::*field :
         {&DstuSelfTestVectors::qx, &DstuSelfTestVectors::qy, &DstuSelfTestVectors::signature}) {
        for (uint32_t i = 0; i < (vectors.*field).length; ++i) {
            DstuSelfTestVectors copy = vectors;
            (copy.*field).bytes[i] ^= 0x10;
            EXPECT_NE(runner(copy), 0u) << "byte " << i;
        }
    }
}

TEST(SelfTest, PolynomialBasisDetectsEveryChangedAnswerByte) {
    CheckDstuAnswers(kDstu4145PBSelfTestVectors, RunDstu4145PBSelfTest);
}

TEST(SelfTest, NormalBasisDetectsEveryChangedAnswerByte) {
    CheckDstuAnswers(kDstu4145ONBSelfTestVectors, RunDstu4145ONBSelfTest);
}

// A broken curve makes the runner stop with the failing export's status (1) and still clean up.
TEST(SelfTest, DstuRunnerReportsAFailingExport) {
    DstuSelfTestVectors copy = kDstu4145PBSelfTestVectors;
    copy.k = 0;  // (163, 0, ...) is not a valid polynomial: field creation fails
    EXPECT_EQ(RunDstu4145PBSelfTest(copy), 1u);
    copy = kDstu4145PBSelfTestVectors;
    copy.a = 2;  // curve creation fails after the field was created
    EXPECT_EQ(RunDstu4145PBSelfTest(copy), 1u);
}

}  // namespace
