// Known-answer self-tests. Each test runs one algorithm family through its exported
// functions on stored inputs and compares every output with a stored answer over its full
// length. The runners take their vectors as an argument, so a unit test can hand them a copy
// with one answer byte changed and see the failure; the exports run them on the constant
// vectors of selftest_vectors.cpp.
//
// A runner returns 0 when every step succeeded and every comparison matched, 1 on a mismatch
// or a failed check, and the failing export's own status when an export reports failure.
// Headers, fields and curves live on the runner's stack and are wiped or destroyed before it
// returns.
#pragma once

#include <array>
#include <cstdint>

namespace QIRVALE {

// One cipher case. Mode 0, 1, 2: `input` (one block) processed with direction 1 must give
// `expected`, and `expected` processed by a fresh state with direction 0 must give `input`
// back. Mode 3: the `blockCount` blocks of `input` fed through one state; the whole register
// after the last block must equal `expected`.
struct Gost28147SelfTestCase {
    uint16_t mode;
    std::array<uint8_t, 128> sBox;
    std::array<uint8_t, 32> key;
    bool hasSynchro;
    std::array<uint8_t, 8> synchro;
    uint32_t blockCount;
    std::array<uint8_t, 24> input;
    std::array<uint8_t, 8> expected;
};

struct Gost28147SelfTestVectors {
    std::array<Gost28147SelfTestCase, 4> cases;  // case numbers 0..3
};

// Digests of the two worked messages, with the sample S-box and a zero start value.
struct Gost34311SelfTestVectors {
    std::array<uint8_t, 32> digest32;  // "This is message, length=32 bytes"
    std::array<uint8_t, 32> digest50;  // "Suppose the original message has length = 50 bytes"
};

struct Gost34310SelfTestVectors {
    std::array<uint8_t, 64> p16Short;
    std::array<uint8_t, 32> q16Short;
    std::array<uint8_t, 64> p32Short;
    std::array<uint8_t, 32> q32Short;
    std::array<uint8_t, 128> p16Long;
    std::array<uint8_t, 32> q16Long;
    std::array<uint8_t, 128> p32Long;
    std::array<uint8_t, 32> q32Long;
    std::array<uint8_t, 64> a;  // for p16Short, q16Short
    std::array<uint8_t, 32> x;
    std::array<uint8_t, 64> y;
    std::array<uint8_t, 32> hash;
    std::array<uint8_t, 32> k;
    std::array<uint8_t, 64> signature;  // s || r
};

// A byte string of a DSTU 4145 vector: `length` significant bytes of `bytes`.
struct SelfTestBytes {
    std::array<uint8_t, 64> bytes;
    uint32_t length;
    const uint8_t* data() const { return bytes.data(); }
};

// One DSTU 4145 signature example: the curve (m, and k, j, l in polynomial basis), the
// base point, the private key (also the random number it is made from), the public key, and
// a signature of `hash` with the per-signature random number `e`.
struct DstuSelfTestVectors {
    uint16_t m, k, j, l, a;
    SelfTestBytes b, n, px, py, d, qx, qy, hash, e, signature;
};

extern const Gost28147SelfTestVectors kGost28147SelfTestVectors;
extern const Gost34311SelfTestVectors kGost34311SelfTestVectors;
extern const Gost34310SelfTestVectors kGost34310SelfTestVectors;
extern const DstuSelfTestVectors kDstu4145PBSelfTestVectors;
extern const DstuSelfTestVectors kDstu4145ONBSelfTestVectors;

// Case numbers above 3 return 1 without computing anything.
uint32_t RunGost28147SelfTest(const Gost28147SelfTestVectors& vectors, uint16_t caseNumber);
uint32_t RunGost34311SelfTest(const Gost34311SelfTestVectors& vectors);
uint32_t RunGost34310SelfTest(const Gost34310SelfTestVectors& vectors);
uint32_t RunDstu4145PBSelfTest(const DstuSelfTestVectors& vectors);
uint32_t RunDstu4145ONBSelfTest(const DstuSelfTestVectors& vectors);

}  // namespace QIRVALE
