#include "selftest/selftest.h"

#include <cstring>

#include "dstu4145/export_table.h"
#include "frame/export.h"

namespace QIRVALE {
namespace {

// 0 when `length` bytes match, else 1 (the comparison result of a runner).
uint32_t Mismatch(const uint8_t* actual, const uint8_t* expected, std::size_t length) {
    return std::memcmp(actual, expected, length) == 0 ? 0u : 1u;
}

template <std::size_t N>
uint32_t Mismatch(const uint8_t (&actual)[N], const std::array<uint8_t, N>& expected) {
    return Mismatch(actual, expected.data(), N);
}

// ---- GOST 28147 --------------------------------------------------------------------

// Sets up a state, processes `blockCount` blocks of `input` into `output` (the last block's
// output stays) and wipes the state.
void RunCipher(const Gost28147SelfTestCase& vector, uint8_t direction, const uint8_t* input,
               uint32_t blockCount, uint8_t (&output)[8]) {
    GOST28147CipherStateHeader state;
    QIRVALEGOST28147CipherInit(&state, vector.sBox.data(), direction, vector.mode,
                               vector.key.data(),
                               vector.hasSynchro ? vector.synchro.data() : nullptr);
    for (uint32_t i = 0; i < blockCount; ++i) {
        QIRVALEGOST28147CipherAction(&state, output, input + 8 * i);
    }
    QIRVALEGOST28147CipherDone(&state);
}

// ---- DSTU 4145 ---------------------------------------------------------------------

// The exports one DSTU 4145 family is tested through; the field is created from the
// vector's m (and exponents, in polynomial basis).
struct DstuFamily : DSTU4145ExportTable {
    uint32_t (*createField)(DSTU4145BaseFieldHandle*, const DstuSelfTestVectors&);
};

// Steps 3 to 8 on a created curve: private key, key-pair check, public key, public-key
// check, signature, verification.
uint32_t RunDstuSteps(const DstuFamily& family, const DstuSelfTestVectors& v,
                      const DSTU4145CurveHandle* curve) {
    uint16_t code = 0;
    uint8_t flag = 0;
    uint8_t d[64] = {}, qx[64] = {}, qy[64] = {}, signature[64] = {};

    if (uint32_t status =
            family.generatePrivateKey(d, v.d.length, curve, v.d.data(), v.d.length, &code)) {
        return status;
    }
    if (Mismatch(d, v.d.data(), v.d.length)) return 1;

    if (uint32_t status = family.verifyPrivateKey(
            &flag, curve, v.px.data(), v.px.length, v.py.data(), v.py.length, v.qx.data(),
            v.qx.length, v.qy.data(), v.qy.length, d, v.d.length)) {
        return status;
    }
    if (flag == 0) return 1;

    if (uint32_t status =
            family.generatePublicKey(qx, v.qx.length, qy, v.qy.length, curve, v.px.data(),
                                     v.px.length, v.py.data(), v.py.length, d, v.d.length, &code)) {
        return status;
    }
    if (Mismatch(qx, v.qx.data(), v.qx.length) || Mismatch(qy, v.qy.data(), v.qy.length)) return 1;

    if (uint32_t status = family.verifyPublicKey(&flag, curve, qx, v.qx.length, qy, v.qy.length)) {
        return status;
    }
    if (flag == 0) return 1;

    if (uint32_t status =
            family.signHash(signature, v.signature.length, curve, v.px.data(), v.px.length,
                            v.py.data(), v.py.length, v.hash.data(), v.hash.length, d, v.d.length,
                            v.e.data(), v.e.length, &code)) {
        return status;
    }
    if (Mismatch(signature, v.signature.data(), v.signature.length)) return 1;

    if (uint32_t status =
            family.verifyHash(&flag, curve, v.px.data(), v.px.length, v.py.data(), v.py.length,
                              v.hash.data(), v.hash.length, v.signature.data(), v.signature.length,
                              qx, v.qx.length, qy, v.qy.length, &code)) {
        return status;
    }
    return flag != 0 ? 0u : 1u;
}

uint32_t RunDstuSelfTest(const DstuFamily& family, const DstuSelfTestVectors& v) {
    DSTU4145BaseFieldHandle field = {nullptr};
    DSTU4145CurveHandle curve = {nullptr, nullptr};
    if (uint32_t status = family.createField(&field, v)) return status;
    if (uint32_t status = family.curveCreate(&curve, &field, v.a, v.b.data(), v.b.length,
                                             v.n.data(), v.n.length)) {
        family.fieldDestroy(&field);
        return status;
    }
    const uint32_t result = RunDstuSteps(family, v, &curve);
    family.curveDestroy(&curve);
    family.fieldDestroy(&field);
    return result;
}

uint32_t CreatePBField(DSTU4145BaseFieldHandle* field, const DstuSelfTestVectors& v) {
    return QIRVALEDSTU4145PBSignBaseFieldCreate(field, v.m, v.k, v.j, v.l);
}

uint32_t CreateONBField(DSTU4145BaseFieldHandle* field, const DstuSelfTestVectors& v) {
    return QIRVALEDSTU4145ONBSignBaseFieldCreate(field, v.m);
}

const DstuFamily kPBFamily = {kDSTU4145PBExports, CreatePBField};
const DstuFamily kONBFamily = {kDSTU4145ONBExports, CreateONBField};

}  // namespace

uint32_t RunGost28147SelfTest(const Gost28147SelfTestVectors& vectors, uint16_t caseNumber) {
    if (caseNumber >= vectors.cases.size()) return 1;
    const Gost28147SelfTestCase& vector = vectors.cases[caseNumber];
    uint8_t output[8] = {};
    if (vector.mode == 3) {
        const uint32_t blocks = vector.blockCount < 3 ? vector.blockCount : 3;
        RunCipher(vector, 1, vector.input.data(), blocks, output);
        return Mismatch(output, vector.expected);
    }
    RunCipher(vector, 1, vector.input.data(), 1, output);
    if (Mismatch(output, vector.expected)) return 1;
    RunCipher(vector, 0, vector.expected.data(), 1, output);
    return Mismatch(output, vector.input.data(), sizeof output);
}

uint32_t RunGost34311SelfTest(const Gost34311SelfTestVectors& vectors) {
    static const char kMessage32[] = "This is message, length=32 bytes";
    static const char kMessage50[] = "Suppose the original message has length = 50 bytes";
    static const uint8_t kZeroStart[32] = {};
    auto hash = [](const char* message, uint32_t length, uint8_t(&digest)[32]) {
        GOST34311HashStateHeader state;
        QIRVALEGOST34311HashInit(&state, QIRVALEGOST34311HashStdSampleSBoxPtr(), kZeroStart);
        QIRVALEGOST34311HashAction(&state, reinterpret_cast<const uint8_t*>(message), length);
        QIRVALEGOST34311HashDone(&state, digest);
    };
    uint8_t digest[32];
    hash(kMessage32, sizeof kMessage32 - 1, digest);
    if (Mismatch(digest, vectors.digest32)) return 1;
    hash(kMessage50, sizeof kMessage50 - 1, digest);
    return Mismatch(digest, vectors.digest50);
}

uint32_t RunGost34310SelfTest(const Gost34310SelfTestVectors& v) {
    uint16_t code = 0;
    uint8_t p[64], q[32], pLong[128], a[64], y[64], signature[64];

    if (uint32_t status = QIRVALEGOST34310SignGenerateParametersPQ16Short(
            p, sizeof p, q, sizeof q, 512, 24265, 29505, &code)) {
        return status;
    }
    if (Mismatch(p, v.p16Short) || Mismatch(q, v.q16Short)) return 1;

    if (uint32_t status = QIRVALEGOST34310SignGenerateParametersPQ32Short(
            p, sizeof p, q, sizeof q, 512, 1039943409u, 13u, &code)) {
        return status;
    }
    if (Mismatch(p, v.p32Short) || Mismatch(q, v.q32Short)) return 1;

    if (uint32_t status = QIRVALEGOST34310SignGenerateParametersPQ16Long(
            pLong, sizeof pLong, q, sizeof q, 1024, 256, 42341, 21387, &code)) {
        return status;
    }
    if (Mismatch(pLong, v.p16Long) || Mismatch(q, v.q16Long)) return 1;

    if (uint32_t status = QIRVALEGOST34310SignGenerateParametersPQ32Long(
            pLong, sizeof pLong, q, sizeof q, 1024, 256, 1039943409u, 13u, &code)) {
        return status;
    }
    if (Mismatch(pLong, v.p32Long) || Mismatch(q, v.q32Long)) return 1;

    // The key and signature steps work on the stored parameters of the first example.
    const uint8_t* storedP = v.p16Short.data();
    const uint8_t* storedQ = v.q16Short.data();
    if (uint32_t status =
            QIRVALEGOST34310SignGenerateParameterA(a, sizeof a, storedP, 64, storedQ, 32, &code)) {
        return status;
    }
    if (Mismatch(a, v.a)) return 1;

    if (uint32_t status = QIRVALEGOST34310SignGeneratePublicKey(
            y, sizeof y, storedP, 64, v.a.data(), 64, v.x.data(), 32, &code)) {
        return status;
    }
    if (Mismatch(y, v.y)) return 1;

    if (uint32_t status = QIRVALEGOST34310SignSignHash(signature, storedP, 64, storedQ, 32,
                                                       v.a.data(), 64, v.hash.data(), 32,
                                                       v.x.data(), 32, v.k.data(), 32, &code)) {
        return status;
    }
    if (Mismatch(signature, v.signature)) return 1;

    uint8_t verified = 0;
    if (uint32_t status = QIRVALEGOST34310SignVerifyHash(
            &verified, storedP, 64, storedQ, 32, v.a.data(), 64, v.hash.data(), 32,
            v.signature.data(), v.y.data(), 64, &code)) {
        return status;
    }
    return verified != 0 ? 0u : 1u;
}

uint32_t RunDstu4145PBSelfTest(const DstuSelfTestVectors& vectors) {
    return RunDstuSelfTest(kPBFamily, vectors);
}

uint32_t RunDstu4145ONBSelfTest(const DstuSelfTestVectors& vectors) {
    return RunDstuSelfTest(kONBFamily, vectors);
}

}  // namespace QIRVALE

QIRVALE_EXPORT(uint32_t) QIRVALETestGOST28147(uint16_t caseNumber) {
    return QIRVALE::RunGost28147SelfTest(QIRVALE::kGost28147SelfTestVectors, caseNumber);
}

QIRVALE_EXPORT(uint32_t) QIRVALETestGOST34311(void) {
    return QIRVALE::RunGost34311SelfTest(QIRVALE::kGost34311SelfTestVectors);
}

QIRVALE_EXPORT(uint32_t) QIRVALETestGOST34310(void) {
    return QIRVALE::RunGost34310SelfTest(QIRVALE::kGost34310SelfTestVectors);
}

QIRVALE_EXPORT(uint32_t) QIRVALETestDSTU4145PB(void) {
    return QIRVALE::RunDstu4145PBSelfTest(QIRVALE::kDstu4145PBSelfTestVectors);
}

QIRVALE_EXPORT(uint32_t) QIRVALETestDSTU4145ONB(void) {
    return QIRVALE::RunDstu4145ONBSelfTest(QIRVALE::kDstu4145ONBSelfTestVectors);
}
