// Helpers of the DSTU 4145 export tests, shared by both bases: the exports of one family as a
// table, standard curve records, byte-string numbers, one call shape for every export, and a
// session owning a created field and curve with a base point and keys.
#pragma once

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "binfield/onb_field.h"
#include "binfield/pb_field.h"
#include "dstu4145/export_table.h"
#include "dstu4145/family.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace dstutest {

using qirvale_test::Bytes;
using qirvale_test::GuardedBuffer;

// The arguments of field and curve creation.
struct CurveRecord {
    uint16_t index;
    uint16_t m, k, j, l;  // k, j, l: polynomial basis only
    uint16_t a;
    Bytes b;
    Bytes n;
};

// The polynomial-basis curves are 101..110, the normal-basis curves 201..205.
inline bool NormalBasis(uint16_t index) {
    return index > 200;
}
inline CurveRecord RecordOf(uint16_t index) {
    const auto record = [index](const auto* info, uint16_t k, uint16_t j, uint16_t l) {
        if (info == nullptr) throw std::runtime_error("no curve " + std::to_string(index));
        CurveRecord r{index, info->m, k, j, l, info->coefficientA, {}, {}};
        r.b.assign(info->coefficientB, info->coefficientB + info->coefficientBLength);
        r.n.assign(info->order, info->order + info->orderLength);
        return r;
    };
    if (NormalBasis(index)) return record(QIRVALEDSTU4145DataONBCurveInfoPtr(index), 0, 0, 0);
    const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(index);
    return record(info, info ? info->k : 0, info ? info->j : 0, info ? info->l : 0);
}
inline CurveRecord PBRecord(uint16_t index) {
    return RecordOf(index);
}
inline CurveRecord ONBRecord(uint16_t index) {
    return RecordOf(index);
}

// The exports of one family, with its field creation from a curve record.
struct Family : QIRVALE::DSTU4145ExportTable {
    uint32_t (*createField)(DSTU4145BaseFieldHandle*, const CurveRecord&);
};

inline const Family& PB() {
    static const Family family = {
        QIRVALE::kDSTU4145PBExports, [](DSTU4145BaseFieldHandle* field, const CurveRecord& s) {
            return QIRVALEDSTU4145PBSignBaseFieldCreate(field, s.m, s.k, s.j, s.l);
        }};
    return family;
}
inline const Family& ONB() {
    static const Family family = {QIRVALE::kDSTU4145ONBExports,
                                  [](DSTU4145BaseFieldHandle* field, const CurveRecord& s) {
                                      return QIRVALEDSTU4145ONBSignBaseFieldCreate(field, s.m);
                                  }};
    return family;
}
inline const Family& FamilyOf(uint16_t index) {
    return NormalBasis(index) ? ONB() : PB();
}

inline uint32_t L(const Bytes& v) {
    return uint32_t(v.size());
}

// Significant length: the string without its zero bytes at the high end.
inline std::size_t SignificantLength(const Bytes& v) {
    std::size_t n = v.size();
    while (n > 0 && v[n - 1] == 0) --n;
    return n;
}
inline bool IsZero(const Bytes& v) {
    return SignificantLength(v) == 0;
}
// Equal as little-endian numbers (zero padding does not matter).
inline bool SameNumber(Bytes a, Bytes b) {
    a.resize(SignificantLength(a));
    b.resize(SignificantLength(b));
    return a == b;
}
inline Bytes Padded(Bytes v, std::size_t length) {
    v.resize(length, 0);
    return v;
}
inline Bytes WithBitFlipped(Bytes v, uint32_t bit) {
    if (v.size() <= bit / 8) v.resize(bit / 8 + 1, 0);
    v[bit / 8] ^= uint8_t(1u << (bit % 8));
    return v;
}
inline QIRVALE::LongIntegerClass Number(const Bytes& v) {
    QIRVALE::LongIntegerClass x;
    x.FromBytes(v.data(), L(v), 0);
    return x;
}
// v + delta as a number (not below zero), in v.size() + 1 bytes.
inline Bytes Add(const Bytes& v, int delta) {
    QIRVALE::LongIntegerClass x = Number(v), d(uint32_t(delta < 0 ? -delta : delta));
    delta < 0 ? x.Subtract(d) : x.Add(d);
    Bytes out(v.size() + 1);
    x.ToBytes(out.data(), L(out), 0);
    return out;
}

// Seeded random byte strings.
struct Random : std::mt19937_64 {
    using std::mt19937_64::mt19937_64;
    Bytes BytesOf(std::size_t length) {
        Bytes v(length);
        for (auto& byte : v) byte = uint8_t((*this)());
        return v;
    }
    // Uniform below 2^bits, in (bits + 7) / 8 bytes; non-zero.
    Bytes NonZeroBits(uint32_t bits) {
        for (;;) {
            Bytes v = BytesOf((bits + 7) / 8);
            if (bits % 8 != 0) v.back() &= uint8_t((1u << (bits % 8)) - 1);
            if (!IsZero(v)) return v;
        }
    }
};

// The arguments of every export, each reading those it takes: the curve, byte strings and
// output lengths (x, and y for points; the flag exports write their flag into x instead).
struct Args {
    DSTU4145CurveHandle* curve = nullptr;
    Bytes px, py, qx, qy, d, e, hash, sig, fe, packed, u, random;
    uint32_t outX = 0, outY = 0;
};

// What an export gave: status, code (0xFFFF for exports without one), outputs; the guards are
// read on demand (under the constant-time check the outputs are secret until marked public).
struct Outcome {
    uint32_t status;
    uint16_t code;
    Bytes x, y;
    GuardedBuffer bx, by;
    bool Intact() const { return bx.Intact() && by.Intact(); }
    bool Untouched() const { return bx.Untouched() && by.Untouched(); }
    bool operator==(const Outcome& o) const {
        return status == o.status && code == o.code && x == o.x && y == o.y;
    }
};

inline bool HasFlag(const std::string& name) {
    return name.rfind("check", 0) == 0 || name == "verify";
}

// Calls the export `name` of family `f` with the arguments `a`, outputs in guarded buffers.
inline Outcome CallExport(const Family& f, const std::string& name, const Args& a) {
    GuardedBuffer x(HasFlag(name) ? 1 : a.outX), y(a.outY);
    uint8_t *o = x.data(), *o2 = y.data();
    DSTU4145CurveHandle* c = a.curve;
    uint16_t code = 0xFFFF;
    uint32_t st = 7;
#define A(v) a.v.data(), L(a.v)  // the pointer and length of argument v
    if (name == "pack") st = f.packPoint(o, a.outX, c, A(px), A(py), &code);
    if (name == "unpack") st = f.unpackPoint(o, a.outX, o2, a.outY, c, A(packed), &code);
    if (name == "genbase") st = f.genBasePoint(o, a.outX, o2, a.outY, c, A(u), &code);
    if (name == "checkbase") st = f.verifyBasePoint(o, c, A(px), A(py));
    if (name == "checkpub") st = f.verifyPublicKey(o, c, A(qx), A(qy));
    if (name == "checkpriv") st = f.verifyPrivateKey(o, c, A(px), A(py), A(qx), A(qy), A(d));
    if (name == "privkey") st = f.generatePrivateKey(o, a.outX, c, A(random), &code);
    if (name == "pubkey")
        st = f.generatePublicKey(o, a.outX, o2, a.outY, c, A(px), A(py), A(d), &code);
    if (name == "presign") st = f.createPreSign(o, a.outX, c, A(px), A(py), A(e), &code);
    if (name == "sign") st = f.signHash(o, a.outX, c, A(px), A(py), A(hash), A(d), A(e), &code);
    if (name == "signpre")
        st = f.signHashByPreSign(o, a.outX, c, A(px), A(py), A(hash), A(d), A(e), A(fe), &code);
    if (name == "verify")
        st = f.verifyHash(o, c, A(px), A(py), A(hash), A(sig), A(qx), A(qy), &code);
#undef A
    if (st == 7) throw std::runtime_error("no export " + name);
    return {st, code, x.bytes(), y.bytes(), x, y};
}

// A created field and curve of one family; MakeKeys generates a base point P from seeded
// random elements U, a key pair (d, Q = -(d P)) and valid arguments for every export.
class Session {
  public:
    Session(const Family& family, const CurveRecord& record, uint64_t seed = 1)
        : family_(family), record_(record), random_(seed) {
        field_ = family.fieldAllocate();
        curve_ = family.curveAllocate();
        if (family.createField(field_, record) != 0 ||
            family.curveCreate(curve_, field_, record.a, record.b.data(), L(record.b),
                               record.n.data(), L(record.n)) != 0) {
            Release();
            throw std::runtime_error(std::string(family.name) + " curve not created");
        }
        args.curve = curve_;
        args.outX = args.outY = ElementBytes();
    }
    explicit Session(uint16_t index, uint64_t seed = 1)
        : Session(FamilyOf(index), RecordOf(index), seed) {}
    ~Session() { Release(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Family& family() const { return family_; }
    const CurveRecord& record() const { return record_; }
    DSTU4145CurveHandle* curve() { return curve_; }
    DSTU4145BaseFieldHandle* field() { return field_; }
    Random& random() { return random_; }
    uint32_t ElementBytes() const { return (record_.m + 7u) / 8u; }
    uint32_t OrderBits() const { return Number(record_.n).BitLength(); }
    uint32_t SignatureBytes() const { return 2 * uint32_t(SignificantLength(record_.n)); }
    Outcome Call(const std::string& name, const Args& a) const {
        return CallExport(family_, name, a);
    }
    Outcome Call(const std::string& name) const { return CallExport(family_, name, args); }

    // Base point, keys, e, hash, F_e, signature and packed P into `args`.
    void MakeKeys() {
        Args& a = args;
        for (int attempt = 0; attempt < 64 && a.px.empty(); ++attempt) {
            a.u = random_.NonZeroBits(record_.m);
            const Outcome base = Call("genbase");
            if (base.status == 0) a.px = base.x, a.py = base.y;
            if (base.status != 0 && base.code != ResultCodeBadValue) break;
        }
        if (a.px.empty()) throw std::runtime_error("no base point");
        a.d = a.random = random_.NonZeroBits(OrderBits() - 1);
        const Outcome q = Call("pubkey");
        a.qx = q.x, a.qy = q.y;
        a.e = random_.NonZeroBits(OrderBits() - 1);
        a.hash = random_.BytesOf(32);
        a.fe = Call("presign").x;
        a.packed = Call("pack").x;
        Args s = a;
        s.outX = SignatureBytes();
        a.sig = Call("sign", s).x;
        if (q.status != 0 || Call("verify").code != 0) throw std::runtime_error("no keys");
    }

    Args args;

  private:
    void Release() {
        family_.curveFree(curve_);
        family_.fieldFree(field_);
    }

    const Family& family_;
    CurveRecord record_;
    Random random_;
    DSTU4145BaseFieldHandle* field_ = nullptr;
    DSTU4145CurveHandle* curve_ = nullptr;
};

// Detaches the fast path from the curve of `s`: its exports then run the reference path alone.
inline void UseReferencePath(Session& s) {
    using namespace QIRVALE;
    if (NormalBasis(s.record().index)) {
        DSTU4145Family<ONBBaseField, ObjectKind::ONBField, ObjectKind::ONBCurve>::UseReferencePath(
            s.curve());
    } else {
        DSTU4145Family<PBBaseField, ObjectKind::PBField, ObjectKind::PBCurve>::UseReferencePath(
            s.curve());
    }
}

}  // namespace dstutest
