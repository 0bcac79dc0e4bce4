// Helpers of the DSTU 4145 export tests, shared by both bases: the exports of one family as a
// table of function pointers (so one test body checks both families), the standard curve
// records as creation arguments, and a session that owns a created field and curve with a
// generated base point and key pair.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "dstu4145/export_table.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace dstutest {

using qirvale_test::Bytes;
using qirvale_test::GuardedBuffer;

// The arguments of field and curve creation, from a standard record.
struct CurveRecord {
    uint16_t index;
    uint16_t m, k, j, l;  // k, j, l: polynomial basis only
    uint16_t a;
    Bytes b;
    Bytes n;
};

inline CurveRecord PBRecord(uint16_t index) {
    const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(index);
    if (info == nullptr) throw std::runtime_error("no PB curve " + std::to_string(index));
    return CurveRecord{index,
                       info->m,
                       info->k,
                       info->j,
                       info->l,
                       info->coefficientA,
                       Bytes(info->coefficientB, info->coefficientB + info->coefficientBLength),
                       Bytes(info->order, info->order + info->orderLength)};
}

inline CurveRecord ONBRecord(uint16_t index) {
    const ONBCurveInfo* info = QIRVALEDSTU4145DataONBCurveInfoPtr(index);
    if (info == nullptr) throw std::runtime_error("no ONB curve " + std::to_string(index));
    return CurveRecord{index,
                       info->m,
                       0,
                       0,
                       0,
                       info->coefficientA,
                       Bytes(info->coefficientB, info->coefficientB + info->coefficientBLength),
                       Bytes(info->order, info->order + info->orderLength)};
}

// The exports of one family, with its field creation from a curve record.
struct Family : QIRVALE::DSTU4145ExportTable {
    uint32_t (*createField)(DSTU4145BaseFieldHandle*, const CurveRecord&);
};

inline uint32_t CreatePBField(DSTU4145BaseFieldHandle* field, const CurveRecord& s) {
    return QIRVALEDSTU4145PBSignBaseFieldCreate(field, s.m, s.k, s.j, s.l);
}
inline uint32_t CreateONBField(DSTU4145BaseFieldHandle* field, const CurveRecord& s) {
    return QIRVALEDSTU4145ONBSignBaseFieldCreate(field, s.m);
}

inline const Family& PB() {
    static const Family family = {QIRVALE::kDSTU4145PBExports, CreatePBField};
    return family;
}

inline const Family& ONB() {
    static const Family family = {QIRVALE::kDSTU4145ONBExports, CreateONBField};
    return family;
}

// ---- byte strings as little-endian numbers ------------------------------------------------

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
inline bool SameNumber(const Bytes& a, const Bytes& b) {
    const std::size_t n = SignificantLength(a);
    return n == SignificantLength(b) && std::equal(a.begin(), a.begin() + n, b.begin());
}

// a - b for little-endian numbers with a >= b, in a.size() bytes.
inline Bytes Minus(Bytes a, const Bytes& b) {
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int d = int(a[i]) - (i < b.size() ? int(b[i]) : 0) - borrow;
        a[i] = uint8_t(d & 0xFF);
        borrow = d < 0 ? 1 : 0;
    }
    return a;
}

// a + small, in a.size() + 1 bytes.
inline Bytes Plus(Bytes a, uint32_t small) {
    a.push_back(0);
    uint64_t carry = small;
    for (std::size_t i = 0; i < a.size() && carry != 0; ++i) {
        carry += a[i];
        a[i] = uint8_t(carry & 0xFF);
        carry >>= 8;
    }
    return a;
}

// Bit length of a little-endian number.
inline uint32_t BitLength(const Bytes& v) {
    const std::size_t n = SignificantLength(v);
    if (n == 0) return 0;
    uint32_t bits = uint32_t(8 * (n - 1));
    for (uint8_t top = v[n - 1]; top != 0; top >>= 1) ++bits;
    return bits;
}

// `length` bytes with value exactly `bits` bits long (random below the top bit).
class Random {
  public:
    explicit Random(uint64_t seed) : engine_(seed) {}

    Bytes BytesOf(std::size_t length) {
        Bytes v(length);
        for (auto& byte : v) byte = uint8_t(engine_());
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

  private:
    std::mt19937_64 engine_;
};

// A created field and curve of one family with a base point generated from seeded random
// elements and a key pair; destroyed and freed at the end.
class Session {
  public:
    Session(const Family& family, const CurveRecord& record, uint64_t seed = 1)
        : family_(family), record_(record), random_(seed) {
        field_ = family.fieldAllocate();
        curve_ = family.curveAllocate();
        const bool created =
            family.createField(field_, record) == 0 &&
            family.curveCreate(curve_, field_, record.a, record.b.data(), uint32_t(record.b.size()),
                               record.n.data(), uint32_t(record.n.size())) == 0;
        if (!created) {
            Release();
            throw std::runtime_error(std::string(family.name) + " curve " +
                                     std::to_string(record.index) + " not created");
        }
    }
    ~Session() { Release(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Family& family() const { return family_; }
    const CurveRecord& record() const { return record_; }
    DSTU4145CurveHandle* curve() { return curve_; }
    DSTU4145BaseFieldHandle* field() { return field_; }
    Random& random() { return random_; }
    uint32_t ElementBytes() const { return (record_.m + 7u) / 8u; }
    uint32_t OrderBits() const { return BitLength(record_.n); }
    uint32_t SignatureBytes() const { return 2 * uint32_t(SignificantLength(record_.n)); }

    // Random elements U until generation succeeds; the number of attempts is returned.
    int GenerateBasePoint(Bytes& x, Bytes& y) {
        for (int attempt = 1; attempt <= 64; ++attempt) {
            const Bytes u = random_.NonZeroBits(record_.m);
            x.assign(ElementBytes(), 0);
            y.assign(ElementBytes(), 0);
            uint16_t code = 0;
            if (family_.genBasePoint(x.data(), uint32_t(x.size()), y.data(), uint32_t(y.size()),
                                     curve_, u.data(), uint32_t(u.size()), &code) == 0) {
                lastU = u;
                return attempt;
            }
            if (code != ResultCodeBadValue) throw std::runtime_error("unexpected code");
        }
        throw std::runtime_error("no base point in 64 attempts");
    }

    // A base point, a private key of bitlen(n) - 1 random bits and Q = -(d P).
    void MakeKeys() {
        GenerateBasePoint(px, py);
        d = random_.NonZeroBits(OrderBits() - 1);
        qx.assign(ElementBytes(), 0);
        qy.assign(ElementBytes(), 0);
        uint16_t code = 0;
        if (PublicKey(d, qx, qy, &code) != 0) throw std::runtime_error("public key");
    }

    uint32_t PublicKey(const Bytes& key, Bytes& x, Bytes& y, uint16_t* code) {
        return family_.generatePublicKey(x.data(), uint32_t(x.size()), y.data(), uint32_t(y.size()),
                                         curve_, px.data(), uint32_t(px.size()), py.data(),
                                         uint32_t(py.size()), key.data(), uint32_t(key.size()),
                                         code);
    }

    uint32_t Sign(uint8_t* signature, uint32_t length, const Bytes& hash, const Bytes& e,
                  uint16_t* code) {
        return family_.signHash(signature, length, curve_, px.data(), uint32_t(px.size()),
                                py.data(), uint32_t(py.size()), hash.data(), uint32_t(hash.size()),
                                d.data(), uint32_t(d.size()), e.data(), uint32_t(e.size()), code);
    }

    // Signs with a fresh random e until it succeeds (degenerate r or s is rare).
    Bytes SignFresh(const Bytes& hash) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            Bytes signature(SignatureBytes());
            uint16_t code = 0;
            const Bytes e = random_.NonZeroBits(OrderBits() - 1);
            if (Sign(signature.data(), uint32_t(signature.size()), hash, e, &code) == 0) {
                return signature;
            }
        }
        throw std::runtime_error("signing failed");
    }

    uint32_t PreSign(uint8_t* fe, uint32_t length, const Bytes& e, uint16_t* code) {
        return family_.createPreSign(fe, length, curve_, px.data(), L(px), py.data(), L(py),
                                     e.data(), L(e), code);
    }

    uint32_t SignByPreSign(uint8_t* signature, uint32_t length, const Bytes& hash, const Bytes& e,
                           const Bytes& fe, uint16_t* code) {
        return family_.signHashByPreSign(signature, length, curve_, px.data(), L(px), py.data(),
                                         L(py), hash.data(), L(hash), d.data(), L(d), e.data(),
                                         L(e), fe.data(), L(fe), code);
    }

    uint32_t Pack(uint8_t* packed, uint32_t length, const Bytes& x, const Bytes& y,
                  uint16_t* code) {
        return family_.packPoint(packed, length, curve_, x.data(), L(x), y.data(), L(y), code);
    }

    uint32_t Unpack(uint8_t* x, uint32_t lx, uint8_t* y, uint32_t ly, const Bytes& packed,
                    uint16_t* code) {
        return family_.unpackPoint(x, lx, y, ly, curve_, packed.data(), L(packed), code);
    }

    uint32_t Verify(const Bytes& hash, const Bytes& signature, uint8_t* verified, uint16_t* code) {
        return VerifyWith(hash, signature, qx, qy, verified, code);
    }

    uint32_t VerifyWith(const Bytes& hash, const Bytes& signature, const Bytes& x, const Bytes& y,
                        uint8_t* verified, uint16_t* code) {
        return family_.verifyHash(verified, curve_, px.data(), uint32_t(px.size()), py.data(),
                                  uint32_t(py.size()), hash.data(), uint32_t(hash.size()),
                                  signature.data(), uint32_t(signature.size()), x.data(),
                                  uint32_t(x.size()), y.data(), uint32_t(y.size()), code);
    }

    Bytes px, py, d, qx, qy;
    Bytes lastU;  // the element U of the last generated base point

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

}  // namespace dstutest
