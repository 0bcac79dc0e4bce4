// DSTU 4145 in polynomial basis: the exports that make or use private keys, per-signature random
// numbers and pre-signatures run with those secrets marked undefined, on the curves of degree
// 163, 257 and 431. Any branch or address that depends on them is a memcheck error. The
// results are compared with the reference path run on the same, defined, inputs.
#include <cstdint>
#include <vector>

#include "binfield/pb_field.h"
#include "ctime_support.h"
#include "dstu4145/family.h"
#include "qirvale.h"

namespace {

using PBFamily = QIRVALE::DSTU4145Family<QIRVALE::PBBaseField, QIRVALE::ObjectKind::PBField,
                                         QIRVALE::ObjectKind::PBCurve>;

using Bytes = std::vector<uint8_t>;

struct Curve {
    DSTU4145BaseFieldHandle field{};
    DSTU4145CurveHandle curve{};
    explicit Curve(const PBCurveInfo* info, bool referencePath) {
        QIRVALEDSTU4145PBSignBaseFieldCreate(&field, info->m, info->k, info->j, info->l);
        QIRVALEDSTU4145PBSignCurveCreate(&curve, &field, info->coefficientA, info->coefficientB,
                                         info->coefficientBLength, info->order, info->orderLength);
        if (referencePath) PBFamily::UseReferencePath(&curve);
    }
    ~Curve() {
        QIRVALEDSTU4145PBSignCurveDestroy(&curve);
        QIRVALEDSTU4145PBSignBaseFieldDestroy(&field);
    }
};

// Every secret-handling export on one curve with secrets d, e (and F) as given; the outputs,
// codes and flags in one byte string, marked defined.
Bytes RunExports(DSTU4145CurveHandle* curve, const Bytes& px, const Bytes& py, Bytes d, Bytes e,
                 const Bytes& hash, Bytes f, uint32_t size, uint32_t signatureSize, bool secret) {
    if (secret) {
        ctime_check::Secret(d.data(), d.size());
        ctime_check::Secret(e.data(), e.size());
        ctime_check::Secret(f.data(), f.size());
    }
    const uint32_t dl = uint32_t(d.size()), el = uint32_t(e.size()), fl = uint32_t(f.size());
    Bytes key(size), qx(size), qy(size), fe(size), sig(signatureSize), byPre(signatureSize);
    uint16_t codes[5] = {};
    uint8_t valid = 0;
    QIRVALEDSTU4145PBSignGeneratePrivateKey(key.data(), size, curve, d.data(), dl, &codes[4]);
    QIRVALEDSTU4145PBSignGeneratePublicKey(qx.data(), size, qy.data(), size, curve, px.data(), size,
                                           py.data(), size, d.data(), dl, &codes[0]);
    QIRVALEDSTU4145PBSignVerifyPrivateKey(&valid, curve, px.data(), size, py.data(), size,
                                          qx.data(), size, qy.data(), size, d.data(), dl);
    QIRVALEDSTU4145PBSignCreatePreSign(fe.data(), size, curve, px.data(), size, py.data(), size,
                                       e.data(), el, &codes[1]);
    QIRVALEDSTU4145PBSignSignHashByPreSign(byPre.data(), signatureSize, curve, px.data(), size,
                                           py.data(), size, hash.data(), uint32_t(hash.size()),
                                           d.data(), dl, e.data(), el, f.data(), fl, &codes[2]);
    QIRVALEDSTU4145PBSignSignHash(sig.data(), signatureSize, curve, px.data(), size, py.data(),
                                  size, hash.data(), uint32_t(hash.size()), d.data(), dl, e.data(),
                                  el, &codes[3]);
    Bytes all;
    for (const Bytes* b : {&key, &qx, &qy, &fe, &sig, &byPre})
        all.insert(all.end(), b->begin(), b->end());
    all.push_back(valid);
    for (uint16_t c : codes) all.push_back(uint8_t(c));
    ctime_check::Public(all.data(), all.size());
    return all;
}

void CheckCurve(uint16_t index) {
    const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(index);
    Curve fast(info, false), reference(info, true);
    const uint32_t size = (info->m + 7) / 8;
    const uint32_t signatureSize = QIRVALEDSTU4145PBSignSignMinByteCount(&fast.curve);
    const uint32_t scalarBits = QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve(&fast.curve);
    uint64_t state = index;
    const auto random = [&](uint32_t bits) {
        Bytes v((bits + 7) / 8);
        for (uint8_t& b : v) b = uint8_t((state = state * 6364136223846793005u + 1) >> 56);
        if (bits % 8 != 0) v.back() &= uint8_t((1u << (bits % 8)) - 1);
        return v;
    };
    Bytes px(size), py(size);
    uint16_t code = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const Bytes u = random(info->m);
        if (QIRVALEDSTU4145PBSignCurveGenBasePoint(px.data(), size, py.data(), size, &fast.curve,
                                                   u.data(), size, &code) == 0) {
            break;
        }
    }
    const Bytes hash = random(256);
    // A long and a short random number of each kind: the path must not depend on either.
    for (uint32_t bits : {scalarBits, 17u}) {
        const Bytes d = random(bits), e = random(scalarBits), f = random(info->m);
        const Bytes expected =
            RunExports(&reference.curve, px, py, d, e, hash, f, size, signatureSize, false);
        const Bytes actual =
            RunExports(&fast.curve, px, py, d, e, hash, f, size, signatureSize, true);
        ctime_check::Check(actual == expected, "fast path against the reference path");
    }
}

}  // namespace

int main() {
    for (uint16_t index : {101, 107, 110}) CheckCurve(index);
    return ctime_check::Finish();
}
