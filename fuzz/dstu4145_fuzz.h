// The DSTU 4145 fuzz target, written once over the export table of a basis:
// dstu4145_pb_fuzz.cpp and dstu4145_onb_fuzz.cpp give it their exports and field creation.
// fuzz/README.md lists the properties it checks and the sizes it feeds.
#pragma once

#include <utility>
#include <vector>

#include "dstu4145/export_table.h"
#include "fuzz_support.h"

namespace qirvale_fuzz {

using Bytes = std::vector<uint8_t>;
using Pair = std::pair<InputBytes, InputBytes>;
using CreateStandardCurve = uint32_t (*)(DSTU4145BaseFieldHandle*, uint32_t choice, uint16_t& a,
                                         Bytes& b, Bytes& n);

struct Basis : QIRVALE::DSTU4145ExportTable {
    uint32_t (*createField)(DSTU4145BaseFieldHandle*, FuzzInput*, uint32_t* m);  // from the input
    CreateStandardCurve createStandard;
    uint32_t maxScalarDegree;
    const QIRVALE::DSTU4145ExportTable* other;  // the other basis
    CreateStandardCurve createOtherStandard;
};

// The curve tables, read once for every index: a record exactly for 101..110 (PB) and
// 201..205 (ONB), every byte of it readable, and its fields consistent.
template <class Info>
bool ConsistentRecord(uint32_t index, const Info* info, uint32_t first, uint32_t last) {
    if (info == nullptr) return index < first || index > last;
    const uint32_t m = info->m, nBits = BitLength({info->order, info->orderLength});
    return index >= first && index <= last && info->coefficientA <= 1 && nBits <= m + 1 &&
           nBits >= m / 2 && info->coefficientBLength == (m + 7) / 8 &&
           !IsZero({info->coefficientB, info->coefficientBLength});
}
inline bool CurveTablesConsistent() {
    for (uint32_t i = 0; i <= 0xFFFF; ++i) {
        const PBCurveInfo* pb = QIRVALEDSTU4145DataPBCurveInfoPtr(uint16_t(i));
        Require(
            ConsistentRecord(i, pb, 101, 110) &&
                ConsistentRecord(i, QIRVALEDSTU4145DataONBCurveInfoPtr(uint16_t(i)), 201, 205) &&
                (pb == nullptr ||
                 (pb->m > pb->k && pb->k >= 1 &&
                  ((pb->j == 0 && pb->l == 0) || (pb->k > pb->j && pb->j > pb->l && pb->l >= 1)))),
            "curve %u has an inconsistent record", i);
    }
    return true;
}

class DSTU4145Session {
    using Field = At<DSTU4145BaseFieldHandle>;
    using Curve = At<DSTU4145CurveHandle>;
    using S = DSTU4145Session;
    static constexpr uint32_t kMaxScalar = 72;

  public:
    DSTU4145Session(const Basis& basis, FuzzInput& in) : b_(basis), in_(in) {
        static const bool tablesConsistent = CurveTablesConsistent();
        (void)tablesConsistent;
    }
    ~DSTU4145Session() { b_.curveDestroy(C()), b_.fieldDestroy(F()); }
    void Run() {
        static constexpr void (S::*const kOperations[])() = {
            &S::CreateField, &S::CreateCurve, &S::CreateStandard, &S::Pack,
            &S::Unpack,      &S::GenBase,     &S::VerifyPoint,    &S::PrivateKey,
            &S::PublicKey,   &S::VerifyKeys,  &S::Sign,           &S::Verify,
            &S::SizeQueries, &S::Destroy,     &S::Allocate,       &S::Lifecycle};
        Drive(in_, *this, kOperations, 24);
    }

  private:
    DSTU4145BaseFieldHandle* F() { return field_.As<DSTU4145BaseFieldHandle>(); }
    DSTU4145CurveHandle* C() { return curve_.As<DSTU4145CurveHandle>(); }
    bool FieldCreated() { return F()->field != nullptr; }
    bool CurveIs(bool created) {
        return (C()->parameters != nullptr) == created && (C()->order != nullptr) == created;
    }
    bool Affordable() {
        return CurveIs(true) && degree_ <= b_.maxScalarDegree && BitLength(n_) <= 8 * kMaxScalar;
    }
    uint32_t ElementBytes() const { return (degree_ + 7) / 8; }
    uint32_t ScalarBits() const { return BitLength(n_) == 0 ? 0 : BitLength(n_) - 1; }
    uint32_t Buffer() { return in_.Range(0, ElementBytes() + 4); }
    // An element of about m bits or a scalar, or now and then a string beyond the capacity.
    InputBytes Element() {
        const uint8_t kind = in_.U8();
        if (kind == 0xFF) return in_.Fixed(kCapacity + in_.Range(1, 16));
        return in_.Bytes(ElementBytes() + (kind & 7));
    }
    InputBytes Scalar() {
        if (in_.U8() == 0xFF) return in_.Fixed(kCapacity + in_.Range(1, 16));
        return in_.Bytes(kMaxScalar);
    }
    // The stored point or key when the input asks for it and there is one, else a new one.
    Pair Point(const Bytes& x, const Bytes& y) {
        if (in_.Bool() && !x.empty()) return {InputBytes(x), InputBytes(y)};
        InputBytes u = Element();
        return {std::move(u), Element()};
    }
    std::pair<InputBytes, bool> Key() {
        if (in_.Bool() && !d_.empty()) return {InputBytes(d_), true};
        return {Scalar(), false};
    }
    bool Own(const Pair& point) const {
        return !px_.empty() && Compare(point.first, px_) == 0 && Compare(point.second, py_) == 0 &&
               point.first.size() == px_.size() && point.second.size() == py_.size();
    }
    void ForgetCurve() { px_ = py_ = d_ = qx_ = qy_ = Bytes(), standard_ = false; }

    void CreateField() {
        uint32_t m = 0;
        b_.fieldDestroy(F());
        FieldMade(call_("BaseFieldCreate", b_.createField, Field{field_}, &in_, &m), m);
    }
    void FieldMade(uint32_t status, uint32_t m) {
        Require(status <= 1 && (status == 0) == FieldCreated(), "BaseFieldCreate gave %u", status);
        fieldDegree_ = status == 0 ? m : 0;
        for (auto query : {b_.elementMaxBits, b_.coordMaxBits, b_.packMaxBits, b_.preSignMaxBits}) {
            Require(query(F()) == fieldDegree_, "%s a field size query is not m", b_.name);
        }
    }

    void CreateCurve() {
        uint16_t a = in_.U16();
        if (in_.Bool()) a &= 1;
        const InputBytes b = Element();
        MakeCurve(a, b, in_.U8() == 0xFF ? in_.Fixed(kCapacity + 1) : in_.Bytes(kMaxScalar + 8));
    }
    void MakeCurve(uint16_t a, const InputBytes& b, const InputBytes& n, bool standard = false) {
        b_.curveDestroy(C());
        ForgetCurve();
        const uint32_t status = call_("CurveCreate", b_.curveCreate, Curve{curve_}, F(), a, b, n);
        const bool refused = a > 1 || !FieldCreated() || Oversized({&b, &n});
        Require(status == (refused ? 1u : 0u) && CurveIs(status == 0), "CurveCreate gave %u",
                status);
        if (status != 0) return;
        degree_ = fieldDegree_, standard_ = standard, n_ = ToBytes(n), bCoefficient_ = ToBytes(b);
    }
    void CreateStandard() {
        uint16_t a = 0;
        Bytes b, n;
        b_.fieldDestroy(F());
        Require(b_.createStandard(F(), in_.U8(), a, b, n) == 0, "%s no standard field", b_.name);
        FieldMade(0, b_.elementMaxBits(F()));
        MakeCurve(a, InputBytes(b), InputBytes(n), true);
        Require(CurveIs(true), "%s cannot create a standard curve", b_.name);
        if (in_.Bool()) b_.fieldDestroy(F()), fieldDegree_ = 0;  // the curve keeps a copy
    }
    void Destroy() {
        const uint8_t what = in_.U8() % 3;
        if (what != 1) call_("BaseFieldDestroy", b_.fieldDestroy, Field{field_}), fieldDegree_ = 0;
        if (what != 0) call_("CurveDestroy", b_.curveDestroy, Curve{curve_}), ForgetCurve();
        Require(!FieldCreated() || what == 1, "%s BaseFieldDestroy left the handle", b_.name);
        Require(CurveIs(false) || what == 0, "%s CurveDestroy left the handle", b_.name);
    }
    // Free releases created objects too: LeakSanitizer reports anything left behind.
    void Allocate() {
        DSTU4145BaseFieldHandle* field = b_.fieldAllocate();
        DSTU4145CurveHandle* curve = b_.curveAllocate();
        Require(field != nullptr && curve != nullptr && field->field == nullptr &&
                    curve->parameters == nullptr && curve->order == nullptr &&
                    b_.fieldSizeOf() == sizeof *field && b_.curveSizeOf() == sizeof *curve,
                "%s Allocate gave no zero-filled handle of its size", b_.name);
        uint32_t m = 0;
        if (in_.Bool() && b_.createField(field, &in_, &m) == 0) {
            const InputBytes b = Element(), n = in_.Bytes(kMaxScalar);
            b_.curveCreate(curve, field, 1, b.data(), b.size(), n.data(), n.size());
        }
        b_.curveFree(curve), b_.fieldFree(field), b_.curveFree(nullptr), b_.fieldFree(nullptr);
    }

    // Handles destroyed twice, then holding the other basis's objects: exports must refuse.
    void Lifecycle() {
        GuardedOutput field(sizeof(DSTU4145BaseFieldHandle), 0);
        GuardedOutput curve(sizeof(DSTU4145CurveHandle), 0);
        auto* f = field.As<DSTU4145BaseFieldHandle>();
        auto* c = curve.As<DSTU4145CurveHandle>();
        uint16_t a = 0;
        Bytes b, n;
        const uint8_t choice = in_.U8();
        b_.createStandard(f, choice, a, b, n);
        b_.curveCreate(c, f, a, b.data(), uint32_t(b.size()), n.data(), uint32_t(n.size()));
        auto destroy = [&] {
            call_("CurveDestroy", b_.curveDestroy, Curve{curve});
            call_("BaseFieldDestroy", b_.fieldDestroy, Field{field});
        };
        destroy(), destroy();
        const InputBytes bytes = in_.Bytes(64);
        Refusals(f, c, bytes, "a destroyed handle", 0, 0);
        b_.createOtherStandard(f, choice, a, b, n);
        b_.other->curveCreate(c, f, a, b.data(), uint32_t(b.size()), n.data(), uint32_t(n.size()));
        const InputBytes before(field), curveBefore(curve);
        Refusals(f, c, bytes, "a handle of the other basis", BitLength(n) - 1, 2 * ByteLength(n));
        destroy();
        Require(Compare(field, before) == 0 && Compare(curve, curveBefore) == 0,
                "%s Destroy changed a handle of the other basis", b_.name);
        b_.other->curveDestroy(c), b_.other->fieldDestroy(f);
    }
    void Refusals(DSTU4145BaseFieldHandle* f, DSTU4145CurveHandle* c, const InputBytes& s,
                  const char* state, uint32_t sharedBits, uint32_t sharedBytes) {
        GuardedOutput o1(64), o2(64), flagBuffer(1, 0), fresh(sizeof(DSTU4145CurveHandle), 0);
        const At<> flag{flagBuffer};
        auto refused = [&](const char* what, uint32_t status) {
            Require(status == 1 && flagBuffer.data()[0] == 0, "%s %s on %s", b_.name, what, state);
        };
        auto coded = [&](const char* what, auto export_, auto&&... args) {
            const uint32_t status = call_.Coded(what, {}, export_, args...);
            refused(what, call_.code == ResultCodeInternalFailure ? status : 0);
        };
        refused("CurveCreate", call_("CurveCreate", b_.curveCreate, Curve{fresh}, f, 0, s, s));
        coded("PackPoint", b_.packPoint, o1, c, s, s);
        coded("UnPackPoint", b_.unpackPoint, o1, o2, c, s);
        coded("GenBasePoint", b_.genBasePoint, o1, o2, c, s);
        refused("VerifyBasePoint", call_("VerifyBasePoint", b_.verifyBasePoint, flag, c, s, s));
        coded("GeneratePrivateKey", b_.generatePrivateKey, o1, c, s);
        coded("GeneratePublicKey", b_.generatePublicKey, o1, o2, c, s, s, s);
        refused("VerifyPrivateKey",
                call_("VerifyPrivateKey", b_.verifyPrivateKey, flag, c, s, s, s, s, s));
        refused("VerifyPublicKey", call_("VerifyPublicKey", b_.verifyPublicKey, flag, c, s, s));
        coded("CreatePreSign", b_.createPreSign, o1, c, s, s, s);
        coded("SignHashByPreSign", b_.signHashByPreSign, o1, c, s, s, s, s, s, s);
        coded("SignHash", b_.signHash, o1, c, s, s, s, s, s);
        coded("VerifyHash", b_.verifyHash, flag, c, s, s, s, s, s, s);
        Require(b_.elementMaxBits(f) == 0 && b_.privateKeyMaxBits(c) == sharedBits &&
                    b_.randomMaxBits(c) == sharedBits && b_.signMinByteCount(c) == sharedBytes,
                "%s size queries on %s are wrong", b_.name, state);
    }
    void SizeQueries() {
        const uint32_t bits = CurveIs(true) ? ScalarBits() : 0;
        const uint32_t bytes = CurveIs(true) ? 2 * ByteLength(n_) : 0;
        Require(b_.privateKeyMaxBits(C()) == bits && b_.randomMaxBits(C()) == bits &&
                    b_.signMinByteCount(C()) == bytes,
                "%s curve size queries are wrong", b_.name);
    }

    void Pack() {
        const Pair p = Point(px_, py_);
        GuardedOutput packed(Buffer()), x(ElementBytes()), y(ElementBytes());
        const uint32_t status = call_.Coded("PackPoint", {ResultCodeBufferTooSmall}, b_.packPoint,
                                            packed, C(), p.first, p.second);
        Require(CurveIs(true) || call_.code == ResultCodeInternalFailure, "PackPoint on no curve");
        if (status != 0 || !Own(p) || !standard_) return;
        Require(
            call_.Coded("UnPackPoint", {}, b_.unpackPoint, x, y, C(), InputBytes(packed)) == 0 &&
                Compare(x, px_) == 0 && Compare(y, py_) == 0,
            "%s a base point does not unpack from its packed form", b_.name);
    }
    void Unpack() {
        const InputBytes packed = Element();
        GuardedOutput x(Buffer()), y(Buffer()), again(ElementBytes());
        if (call_.Coded("UnPackPoint", {ResultCodeBufferTooSmall}, b_.unpackPoint, x, y, C(),
                        packed) != 0 ||
            degree_ % 2 == 0 || BitLength(packed) > degree_ || BitLength(bCoefficient_) > degree_) {
            return;
        }
        Require(call_.Coded("PackPoint", {}, b_.packPoint, again, C(), InputBytes(x),
                            InputBytes(y)) == 0 &&
                    Compare(again, packed) == 0,
                "%s an unpacked point does not pack to its packed form", b_.name);
    }
    // With U and B reduced a generated point satisfies the equation as integers, as it must.
    void GenBase() {
        if (!Affordable()) return;
        const InputBytes u = Element();
        GuardedOutput x(Buffer()), y(Buffer()), valid(1, 0);
        if (call_.Coded("GenBasePoint", {ResultCodeBadValue, ResultCodeBufferTooSmall},
                        b_.genBasePoint, x, y, C(), u) != 0) {
            return;
        }
        const bool passes = call_("VerifyBasePoint", b_.verifyBasePoint, At<>{valid}, C(),
                                  InputBytes(x), InputBytes(y)) == 0 &&
                            valid.data()[0] == 1;
        Require(passes || BitLength(u) > degree_ || BitLength(bCoefficient_) > degree_,
                "%s a generated base point fails VerifyBasePoint", b_.name);
        if (passes) px_ = ToBytes(x), py_ = ToBytes(y), qx_ = qy_ = Bytes();
    }
    void Checked(uint32_t status, const GuardedOutput& valid, const Pair& p) {
        CheckFlag("a check export", valid.data()[0], status);
        Require(status == 1 || (status == 0 && !Oversized({&p.first, &p.second})),
                "%s a check export gave status %u", b_.name, status);
    }
    void VerifyPoint() {
        if (!Affordable()) return;
        const Pair p = Point(px_, py_);
        GuardedOutput valid(1, 0);
        const auto check = in_.Bool() ? b_.verifyPublicKey : b_.verifyBasePoint;
        Checked(call_("VerifyPoint", check, At<>{valid}, C(), p.first, p.second), valid, p);
    }
    void VerifyKeys() {
        if (!Affordable()) return;
        const Pair p = Point(px_, py_), q = Point(qx_, qy_);
        GuardedOutput valid(1, 0);
        Checked(call_("VerifyPrivateKey", b_.verifyPrivateKey, At<>{valid}, C(), p.first, p.second,
                      q.first, q.second, Key().first),
                valid, p);
    }

    void PrivateKey() {
        const InputBytes random = Scalar();
        GuardedOutput d(in_.Range(0, kMaxScalar));
        const uint32_t status =
            call_.Coded("GeneratePrivateKey",
                        {ResultCodeRandomTooLong, ResultCodeBadValue, ResultCodeBufferTooSmall},
                        b_.generatePrivateKey, d, C(), random);
        const uint16_t expected = !CurveIs(true) || Oversized({&random}) ? ResultCodeInternalFailure
                                  : BitLength(random) > ScalarBits()     ? ResultCodeRandomTooLong
                                  : IsZero(random) && ScalarBits() == 0  ? ResultCodeInternalFailure
                                  : IsZero(random)                       ? ResultCodeBadValue
                                  : ByteLength(random) > d.size()        ? ResultCodeBufferTooSmall
                                                                         : ResultCodeNone;
        Require(call_.code == expected, "GeneratePrivateKey gave %u, not %u", call_.code, expected);
        Require(status != 0 || Compare(d, random) == 0, "%s the key is not the random", b_.name);
        if (status == 0) d_ = ToBytes(d), qx_ = qy_ = Bytes();
    }
    void PublicKey() {
        if (!Affordable()) return;
        const Pair p = Point(px_, py_);
        const auto [d, ownKey] = Key();
        GuardedOutput qx(Buffer()), qy(Buffer()), valid(1, 0);
        if (call_.Coded("GeneratePublicKey", {ResultCodeBufferTooSmall}, b_.generatePublicKey, qx,
                        qy, C(), p.first, p.second, d) != 0) {
            return;
        }
        Require(call_("VerifyPrivateKey", b_.verifyPrivateKey, At<>{valid}, C(), p.first, p.second,
                      InputBytes(qx), InputBytes(qy), d) == 0 &&
                    valid.data()[0] == 1,
                "%s a public key fails VerifyPrivateKey with its own d and P", b_.name);
        if (ownKey && Own(p)) qx_ = ToBytes(qx), qy_ = ToBytes(qy);
    }

    void Sign() {
        if (!Affordable()) return;
        const Pair p = Point(px_, py_);
        const auto& [x, y] = p;
        const auto [d, ownKey] = Key();
        const InputBytes e = Scalar(), hash = in_.Bytes(ElementBytes() + 8);
        const uint32_t minimum = 2 * ByteLength(n_);
        const uint32_t length =
            in_.Bool() ? minimum + 2 * in_.Range(0, 4) : in_.Range(0, minimum + 8);
        GuardedOutput whole(length), f(Buffer()), parts(length);
        const std::initializer_list<uint16_t> codes = {
            ResultCodeBadSeed, ResultCodeBadSignatureLength, ResultCodeBadValue};
        const uint32_t status =
            call_.Coded("SignHash", codes, b_.signHash, whole, C(), x, y, hash, d, e);
        const uint16_t code = call_.code;
        // No e can succeed for n <= 1 (code 9), nor another one for n = 2 or x = 0 (F_e = 0).
        const bool eInRange = !IsZero(e) && Compare(e, n_) < 0;
        const uint16_t eCode = ScalarBits() == 0 ? ResultCodeInternalFailure : ResultCodeBadSeed;
        const bool noRetry = Compare(n_, Bytes{2}) == 0 || IsZero(x);
        Require(Oversized({&x, &y, &e}) || (eInRange ? code != ResultCodeBadSeed : code == eCode),
                "%s SignHash gave code %u for e against n", b_.name, code);
        const uint32_t pre = call_.Coded(
            "CreatePreSign", {ResultCodeBadSeed, ResultCodeBadValue, ResultCodeBufferTooSmall},
            b_.createPreSign, f, C(), x, y, e);
        Require(!noRetry || (code != ResultCodeBadValue && call_.code != ResultCodeBadValue),
                "%s signing asked for another e where none can succeed", b_.name);
        if (pre != 0) {
            // e = 0 or n would make s = d r and give d away: refused with any F_e (here x).
            Require(eInRange || Oversized({&x, &y, &e, &d}) ||
                        (call_.Coded("SignHashByPreSign", codes, b_.signHashByPreSign, parts, C(),
                                     x, y, hash, d, e, x) == 1 &&
                         call_.code == eCode),
                    "%s SignHashByPreSign gave code %u for an e out of range", b_.name, call_.code);
            return;
        }
        const uint32_t part = call_.Coded("SignHashByPreSign", codes, b_.signHashByPreSign, parts,
                                          C(), x, y, hash, d, e, InputBytes(f));
        Require(part == status && call_.code == code && (status != 0 || Compare(whole, parts) == 0),
                "%s SignHash differs from CreatePreSign + SignHashByPreSign", b_.name);
        if (status != 0 || !ownKey || qx_.empty() || !Own(p) || (IsZero(qx_) && IsZero(qy_))) {
            return;
        }
        InputBytes signature(whole);
        Require(Verifies(hash, signature), "%s a signature with its own key fails", b_.name);
        if (!standard_) return;
        const uint32_t flip = in_.Range(0, 8 * length - 1);
        signature.data()[flip / 8] ^= uint8_t(1u << (flip % 8));
        Require(!Verifies(hash, signature), "%s a changed signature verifies", b_.name);
    }
    bool Verifies(const InputBytes& hash, const InputBytes& signature) {
        GuardedOutput verified(1, 0);
        const uint32_t status =
            call_.Coded("VerifyHash", {ResultCodeBadSignatureLength, ResultCodeSignatureMismatch},
                        b_.verifyHash, At<>{verified}, C(), InputBytes(px_), InputBytes(py_), hash,
                        signature, InputBytes(qx_), InputBytes(qy_));
        CheckFlag("VerifyHash", verified.data()[0], status, call_.code);
        return verified.data()[0] == 1;
    }
    void Verify() {
        if (!Affordable()) return;
        const Pair p = Point(px_, py_), q = Point(qx_, qy_);
        const InputBytes hash = in_.Bytes(ElementBytes() + 8);
        const InputBytes signature = in_.Bytes(2 * kMaxScalar + 8);
        GuardedOutput verified(1, 0);
        const uint32_t status = call_.Coded(
            "VerifyHash",
            {ResultCodeBadSignatureLength, ResultCodeSignatureMismatch, ResultCodeBadValue},
            b_.verifyHash, At<>{verified}, C(), p.first, p.second, hash, signature, q.first,
            q.second);
        const uint16_t code = call_.code;
        CheckFlag("VerifyHash", verified.data()[0], status, code);
        const uint32_t half = signature.size() / 2;
        auto bad = [&](const uint8_t* v) {
            return IsZero({v, half}) || Compare({v, half}, n_) >= 0;
        };
        const bool malformed = signature.size() % 2 != 0 || signature.size() < 2 * ByteLength(n_) ||
                               bad(signature.data()) || bad(signature.data() + half);
        Require(!malformed || Oversized({&hash}) || code == ResultCodeBadSignatureLength,
                "%s VerifyHash gave code %u for a malformed signature", b_.name, code);
        auto noPoint = [&](const Pair& u) {
            return (IsZero(u.first) && IsZero(u.second)) || BitLength(u.first) > degree_ ||
                   BitLength(u.second) > degree_;
        };
        Require(malformed || Oversized({&p.first, &p.second, &hash, &q.first, &q.second}) ||
                    !(noPoint(p) || noPoint(q)) || code == ResultCodeBadValue,
                "%s VerifyHash gave code %u for a P or Q that is no point", b_.name, code);
    }

    const Basis& b_;
    FuzzInput& in_;
    Caller call_{10.0};
    GuardedOutput field_{sizeof(DSTU4145BaseFieldHandle), 0};
    GuardedOutput curve_{sizeof(DSTU4145CurveHandle), 0};
    uint32_t fieldDegree_ = 0, degree_ = 0;
    bool standard_ = false;
    Bytes n_, bCoefficient_, px_, py_, d_, qx_, qy_;
};

// A standard curve record of the basis, by any number (taken modulo the number of records).
template <class Info>
const Info* Standard(const Info* info, uint16_t& a, Bytes& b, Bytes& n) {
    a = info->coefficientA;
    b = ToBytes({info->coefficientB, info->coefficientBLength});
    n = ToBytes({info->order, info->orderLength});
    return info;
}
inline uint32_t CreateStandardPB(DSTU4145BaseFieldHandle* field, uint32_t choice, uint16_t& a,
                                 Bytes& b, Bytes& n) {
    const PBCurveInfo* info =
        Standard(QIRVALEDSTU4145DataPBCurveInfoPtr(uint16_t(101 + choice % 10)), a, b, n);
    return QIRVALEDSTU4145PBSignBaseFieldCreate(field, info->m, info->k, info->j, info->l);
}
inline uint32_t CreateStandardONB(DSTU4145BaseFieldHandle* field, uint32_t choice, uint16_t& a,
                                  Bytes& b, Bytes& n) {
    const ONBCurveInfo* info =
        Standard(QIRVALEDSTU4145DataONBCurveInfoPtr(uint16_t(201 + choice % 5)), a, b, n);
    return QIRVALEDSTU4145ONBSignBaseFieldCreate(field, info->m);
}

}  // namespace qirvale_fuzz
