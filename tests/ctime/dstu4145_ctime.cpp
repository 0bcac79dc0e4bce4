// DSTU 4145: the exports that make or use private keys, per-signature random numbers and
// pre-signatures run with those secrets marked undefined, on the polynomial-basis curves of
// degree 163, 257 and 431 and the normal-basis curves of degree 173 and 431. Any branch or
// address that depends on them is a memcheck error. The results are compared with the
// reference path run on the same, defined, inputs.
#include <cstdint>
#include <vector>

#include "binfield/onb_field.h"
#include "binfield/pb_field.h"
#include "ctime_support.h"
#include "dstu4145/export_table.h"
#include "dstu4145/family.h"
#include "qirvale.h"

namespace {

using PBFamily = QIRVALE::DSTU4145Family<QIRVALE::PBBaseField, QIRVALE::ObjectKind::PBField,
                                         QIRVALE::ObjectKind::PBCurve>;
using ONBFamily = QIRVALE::DSTU4145Family<QIRVALE::ONBBaseField, QIRVALE::ObjectKind::ONBField,
                                          QIRVALE::ObjectKind::ONBCurve>;

using Bytes = std::vector<uint8_t>;

// A standard curve of either basis (indices 101..110 and 201..205) through its exports.
struct Curve {
    const QIRVALE::DSTU4145ExportTable& x;
    DSTU4145BaseFieldHandle field{};
    DSTU4145CurveHandle curve{};
    uint16_t m = 0;
    Curve(uint16_t index, bool referencePath)
        : x(index > 200 ? QIRVALE::kDSTU4145ONBExports : QIRVALE::kDSTU4145PBExports) {
        if (index > 200) {
            const ONBCurveInfo* info = QIRVALEDSTU4145DataONBCurveInfoPtr(index);
            m = info->m;
            QIRVALEDSTU4145ONBSignBaseFieldCreate(&field, m);
            x.curveCreate(&curve, &field, info->coefficientA, info->coefficientB,
                          info->coefficientBLength, info->order, info->orderLength);
            if (referencePath) {
                ONBFamily::UseReferencePath(&curve);
            }
        } else {
            const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(index);
            m = info->m;
            QIRVALEDSTU4145PBSignBaseFieldCreate(&field, m, info->k, info->j, info->l);
            x.curveCreate(&curve, &field, info->coefficientA, info->coefficientB,
                          info->coefficientBLength, info->order, info->orderLength);
            if (referencePath) {
                PBFamily::UseReferencePath(&curve);
            }
        }
    }
    ~Curve() {
        x.curveDestroy(&curve);
        x.fieldDestroy(&field);
    }
};

// Every secret-handling export on one curve with secrets d, e (and F) as given; the outputs,
// codes and flags in one byte string, marked defined.
Bytes RunExports(Curve& c, const Bytes& px, const Bytes& py, Bytes d, Bytes e, const Bytes& hash,
                 Bytes f, uint32_t size, uint32_t signatureSize, bool secret) {
    if (secret) {
        ctime_check::Secret(d.data(), d.size());
        ctime_check::Secret(e.data(), e.size());
        ctime_check::Secret(f.data(), f.size());
    }
    const uint32_t dl = uint32_t(d.size()), el = uint32_t(e.size()), fl = uint32_t(f.size());
    DSTU4145CurveHandle* curve = &c.curve;
    Bytes key(size), qx(size), qy(size), fe(size), sig(signatureSize), byPre(signatureSize);
    uint16_t codes[5] = {};
    uint8_t valid = 0;
    c.x.generatePrivateKey(key.data(), size, curve, d.data(), dl, &codes[4]);
    c.x.generatePublicKey(qx.data(), size, qy.data(), size, curve, px.data(), size, py.data(), size,
                          d.data(), dl, &codes[0]);
    c.x.verifyPrivateKey(&valid, curve, px.data(), size, py.data(), size, qx.data(), size,
                         qy.data(), size, d.data(), dl);
    c.x.createPreSign(fe.data(), size, curve, px.data(), size, py.data(), size, e.data(), el,
                      &codes[1]);
    c.x.signHashByPreSign(byPre.data(), signatureSize, curve, px.data(), size, py.data(), size,
                          hash.data(), uint32_t(hash.size()), d.data(), dl, e.data(), el, f.data(),
                          fl, &codes[2]);
    c.x.signHash(sig.data(), signatureSize, curve, px.data(), size, py.data(), size, hash.data(),
                 uint32_t(hash.size()), d.data(), dl, e.data(), el, &codes[3]);
    Bytes all;
    for (const Bytes* b : {&key, &qx, &qy, &fe, &sig, &byPre})
        all.insert(all.end(), b->begin(), b->end());
    all.push_back(valid);
    for (uint16_t c : codes) all.push_back(uint8_t(c));
    ctime_check::Public(all.data(), all.size());
    return all;
}

void CheckCurve(uint16_t index) {
    Curve fast(index, false), reference(index, true);
    const uint32_t m = fast.m, size = (m + 7) / 8;
    const uint32_t signatureSize = fast.x.signMinByteCount(&fast.curve);
    const uint32_t scalarBits = fast.x.privateKeyMaxBits(&fast.curve);
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
        const Bytes u = random(m);
        if (fast.x.genBasePoint(px.data(), size, py.data(), size, &fast.curve, u.data(), size,
                                &code) == 0) {
            break;
        }
    }
    const Bytes hash = random(256);
    // A long and a short random number of each kind: the path must not depend on either.
    for (uint32_t bits : {scalarBits, 17u}) {
        const Bytes d = random(bits), e = random(scalarBits), f = random(m);
        const Bytes expected =
            RunExports(reference, px, py, d, e, hash, f, size, signatureSize, false);
        const Bytes actual = RunExports(fast, px, py, d, e, hash, f, size, signatureSize, true);
        ctime_check::Check(actual == expected, "fast path against the reference path");
    }
}

}  // namespace

int main() {
    for (uint16_t index : {101, 107, 110, 201, 205}) CheckCurve(index);
    return ctime_check::Finish();
}
