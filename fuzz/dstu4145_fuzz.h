// The DSTU 4145 fuzz target, written once for both bases: dstu4145_pb_fuzz.cpp and
// dstu4145_onb_fuzz.cpp give it the exports of their family and their field creation.
//
// One input is a sequence of operations on one field handle and one curve handle (caller
// memory fenced with guard bytes): field creation with arbitrary parameters or from a standard
// record, curve creation with arbitrary A, B and n, destruction (then every export must fail
// cleanly on the uncreated handle, and on handles that hold the other basis's objects), and
// every point, key and signature export with arbitrary strings, buffer lengths, points,
// hashes and signature bytes. Besides the result convention and the guards, these hold
// whatever the input:
//  - size queries give m, bit length of n minus 1 and 2 * bytes of n;
//  - GeneratePrivateKey accepts exactly the random numbers of 1 .. bitlen(n) - 1 bits;
//  - a random number out of range gives code 1 (e) or 99 (d), and code 9 instead where no
//    random number can succeed: n <= 1; code 99 never comes from signing with n = 2 or a P
//    with x = 0; SignHashByPreSign refuses an e out of range as CreatePreSign does;
//  - VerifyHash refuses a well-formed signature with code 99 when P or Q is (0, 0) or has a
//    coordinate of more than m bits;
//  - a point made by GenBasePoint passes VerifyBasePoint; a public key made by
//    GeneratePublicKey passes VerifyPrivateKey;
//  - SignHash gives exactly CreatePreSign followed by SignHashByPreSign, and a signature
//    made with a generated base point and key pair verifies; on a standard curve the same
//    signature with one bit changed does not;
//  - on a standard curve a generated base point packs and unpacks to itself, and for odd m
//    any packed value that unpacks packs back to itself.
//
// Size bounds: fields of any degree may be created, packed and unpacked on; scalar
// multiplication (base points, keys, signing, verification) runs only on fields of at most
// Basis::maxScalarDegree bits, with n, keys and per-signature numbers of at most kMaxScalar
// bytes (and strings beyond the 1024-byte capacity, refused before any work). The basis
// files give the bounds and what they cost.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dstu4145/export_table.h"
#include "fuzz_support.h"

namespace qirvale_fuzz {

// The exports of one family, and how it makes a field.
using CreateStandardCurve = uint32_t (*)(DSTU4145BaseFieldHandle*, uint32_t choice, uint16_t& a,
                                         std::vector<uint8_t>& b, std::vector<uint8_t>& n);

struct Basis : QIRVALE::DSTU4145ExportTable {
    // Creates the field from the input (arbitrary parameters); writes the degree it asked for.
    uint32_t (*createField)(DSTU4145BaseFieldHandle*, FuzzInput&, uint32_t& m);
    // Creates the field and fills B and n of standard curve number `choice` (any value).
    CreateStandardCurve createStandard;
    uint32_t maxScalarDegree;
    // The other basis: its exports and standard curves.
    const QIRVALE::DSTU4145ExportTable* otherExports;
    CreateStandardCurve createOtherStandard;
};

class DSTU4145Session {
  public:
    static constexpr double kCallBound = 5.0;
    static constexpr int kMaxOperations = 24;
    static constexpr uint32_t kMaxScalar = 72;
    static constexpr uint32_t kCapacity = 1024;

    DSTU4145Session(const Basis& basis, FuzzInput& in)
        : basis_(basis), in_(in), call_(kCallBound) {}

    ~DSTU4145Session() {
        basis_.curveDestroy(Curve());
        basis_.fieldDestroy(Field());
    }

    void Run() {
        for (int operation = 0; operation < kMaxOperations && !in_.Empty(); ++operation) {
            switch (in_.U8() % 16) {
                case 0:
                    CreateField();
                    break;
                case 1:
                    CreateCurve();
                    break;
                case 2:
                    CreateStandard();
                    break;
                case 3:
                    Pack();
                    break;
                case 4:
                    Unpack();
                    break;
                case 5:
                    GenBasePoint();
                    break;
                case 6:
                    VerifyPoint();
                    break;
                case 7:
                    PrivateKey();
                    break;
                case 8:
                    PublicKey();
                    break;
                case 9:
                    VerifyKeys();
                    break;
                case 10:
                    Sign();
                    break;
                case 11:
                    Verify();
                    break;
                case 12:
                    SizeQueries();
                    break;
                case 13:
                    Destroy();
                    break;
                case 14:
                    AllocateAndFree();
                    break;
                default:
                    Lifecycle();
                    break;
            }
        }
    }

  private:
    using Bytes = std::vector<uint8_t>;

    DSTU4145BaseFieldHandle* Field() { return field_.As<DSTU4145BaseFieldHandle>(); }
    DSTU4145CurveHandle* Curve() { return curve_.As<DSTU4145CurveHandle>(); }
    bool FieldCreated() { return Field()->field != nullptr; }
    bool CurveCreated() { return Curve()->parameters != nullptr && Curve()->order != nullptr; }
    // Whether scalar multiplication on the current curve stays within the bounds.
    bool ScalarsAffordable() {
        return CurveCreated() && curveDegree_ <= basis_.maxScalarDegree &&
               BitLength(n_.data(), n_.size()) <= 8 * kMaxScalar;
    }
    uint32_t ElementBytes() const { return (curveDegree_ + 7) / 8; }
    uint32_t ScalarBits() const {
        const uint32_t bits = BitLength(n_.data(), n_.size());
        return bits == 0 ? 0 : bits - 1;
    }

    std::string Name(const char* operation) const {
        return std::string(basis_.name) + " " + operation;
    }

    // A field element: mostly of about m bits, sometimes longer or beyond the capacity.
    InputBytes Element() {
        const uint8_t kind = in_.U8();
        if (kind == 0xFF) return in_.Fixed(kCapacity + in_.Range(1, 16));
        return in_.Bytes(ElementBytes() + (kind & 7));
    }
    InputBytes Scalar() {
        if (in_.U8() == 0xFF) return in_.Fixed(kCapacity + in_.Range(1, 16));
        return in_.Bytes(kMaxScalar);
    }
    // The stored point, or an arbitrary one.
    void PointArgument(InputBytes& x, InputBytes& y, const Bytes& px, const Bytes& py) {
        if (in_.Bool() && !px.empty()) {
            x = InputBytes(px.data(), px.size());
            y = InputBytes(py.data(), py.size());
        } else {
            x = Element();
            y = Element();
        }
    }
    static bool Oversized(std::initializer_list<const InputBytes*> strings) {
        for (const InputBytes* s : strings) {
            if (s->size() > kCapacity) return true;
        }
        return false;
    }
    uint32_t Buffer() { return in_.Range(0, ElementBytes() + 4); }

    void ForgetCurve() {
        px_.clear();
        py_.clear();
        d_.clear();
        qx_.clear();
        qy_.clear();
        standard_ = false;
    }

    // ---- objects ---------------------------------------------------------------------

    void CreateField() {
        uint32_t m = 0;
        basis_.fieldDestroy(Field());
        const uint32_t status = call_(
            Name("BaseFieldCreate").c_str(), [&] { return basis_.createField(Field(), in_, m); },
            field_);
        AfterFieldCreate(status, m);
    }

    void AfterFieldCreate(uint32_t status, uint32_t m) {
        if (status > 1) Finding("%s BaseFieldCreate returned %u", basis_.name, status);
        if ((status == 0) != FieldCreated()) {
            Finding("%s BaseFieldCreate returned %u with a handle of %p", basis_.name, status,
                    Field()->field);
        }
        fieldDegree_ = status == 0 ? m : 0;
        const uint32_t expected = fieldDegree_;
        if (basis_.elementMaxBits(Field()) != expected ||
            basis_.coordMaxBits(Field()) != expected || basis_.packMaxBits(Field()) != expected ||
            basis_.preSignMaxBits(Field()) != expected) {
            Finding("%s field size queries disagree with m = %u", basis_.name, expected);
        }
    }

    void CreateCurve() {
        uint16_t a = in_.U16();
        if (in_.Bool()) a &= 1;
        const InputBytes b = Element();
        const InputBytes n =
            in_.U8() == 0xFF ? in_.Fixed(kCapacity + 1) : in_.Bytes(kMaxScalar + 8);
        MakeCurve(a, b, n, false);
    }

    void MakeCurve(uint16_t a, const InputBytes& b, const InputBytes& n, bool standard) {
        basis_.curveDestroy(Curve());
        ForgetCurve();
        const uint32_t status = call_(
            Name("CurveCreate").c_str(),
            [&] {
                return basis_.curveCreate(Curve(), Field(), a, b.data(), b.size(), n.data(),
                                          n.size());
            },
            curve_);
        const bool refused = a > 1 || !FieldCreated() || Oversized({&b, &n});
        if (status != (refused ? 1u : 0u)) {
            Finding("%s CurveCreate returned %u (A = %u, field %s)", basis_.name, status, a,
                    FieldCreated() ? "created" : "not created");
        }
        if ((status == 0) != CurveCreated() ||
            (status != 0 && (Curve()->parameters != nullptr || Curve()->order != nullptr))) {
            Finding("%s CurveCreate left a half-created handle", basis_.name);
        }
        if (status != 0) return;
        curveDegree_ = fieldDegree_;
        n_.assign(n.data(), n.data() + n.size());
        b_.assign(b.data(), b.data() + b.size());
        standard_ = standard;
    }

    void CreateStandard() {
        uint16_t a = 0;
        Bytes b, n;
        basis_.fieldDestroy(Field());
        const uint32_t status = basis_.createStandard(Field(), in_.U8(), a, b, n);
        if (status != 0) Finding("%s cannot create a standard field", basis_.name);
        field_.Check("standard field creation");
        AfterFieldCreate(status, basis_.elementMaxBits(Field()));
        MakeCurve(a, InputBytes(b.data(), b.size()), InputBytes(n.data(), n.size()), true);
        if (!CurveCreated()) Finding("%s cannot create a standard curve", basis_.name);
        // The field is the caller's to destroy now: the curve keeps its own copy.
        if (in_.Bool()) {
            basis_.fieldDestroy(Field());
            fieldDegree_ = 0;
        }
    }

    void Destroy() {
        const uint8_t what = in_.U8() % 3;
        if (what != 1) {
            call_(
                Name("BaseFieldDestroy").c_str(), [&] { basis_.fieldDestroy(Field()); }, field_);
            if (FieldCreated()) Finding("%s BaseFieldDestroy left the handle set", basis_.name);
            fieldDegree_ = 0;
        }
        if (what != 0) {
            call_(
                Name("CurveDestroy").c_str(), [&] { basis_.curveDestroy(Curve()); }, curve_);
            if (Curve()->parameters != nullptr || Curve()->order != nullptr) {
                Finding("%s CurveDestroy left the handle set", basis_.name);
            }
            ForgetCurve();
        }
    }

    void AllocateAndFree() {
        DSTU4145BaseFieldHandle* field = basis_.fieldAllocate();
        DSTU4145CurveHandle* curve = basis_.curveAllocate();
        if (field == nullptr || curve == nullptr || field->field != nullptr ||
            curve->parameters != nullptr || curve->order != nullptr) {
            Finding("%s Allocate gave no zero-filled handle", basis_.name);
        }
        if (basis_.fieldSizeOf() != sizeof(DSTU4145BaseFieldHandle) ||
            basis_.curveSizeOf() != sizeof(DSTU4145CurveHandle)) {
            Finding("%s SizeOf disagrees with the handle types", basis_.name);
        }
        // Free releases created objects too; LeakSanitizer reports anything left behind.
        if (in_.Bool()) {
            uint32_t m = 0;
            if (basis_.createField(field, in_, m) == 0) {
                const InputBytes b = Element();
                const InputBytes n = in_.Bytes(kMaxScalar);
                basis_.curveCreate(curve, field, 1, b.data(), b.size(), n.data(), n.size());
            }
        }
        basis_.curveFree(curve);
        basis_.fieldFree(field);
        basis_.curveFree(nullptr);
        basis_.fieldFree(nullptr);
    }

    // A whole lifetime on handles of its own: create, use, destroy twice, use again; then the
    // same handles holding the other basis's objects, which this basis must not touch.
    void Lifecycle() {
        GuardedOutput field(sizeof(DSTU4145BaseFieldHandle), 0);
        GuardedOutput curve(sizeof(DSTU4145CurveHandle), 0);
        auto* f = field.As<DSTU4145BaseFieldHandle>();
        auto* c = curve.As<DSTU4145CurveHandle>();
        uint16_t a = 0;
        Bytes b, n;
        const uint8_t choice = in_.U8();
        basis_.createStandard(f, choice, a, b, n);
        basis_.curveCreate(c, f, a, b.data(), uint32_t(b.size()), n.data(), uint32_t(n.size()));
        for (int round = 0; round < 2; ++round) {
            basis_.curveDestroy(c);
            basis_.fieldDestroy(f);
            field.Check("Destroy");
            curve.Check("Destroy");
        }
        const InputBytes bytes = in_.Bytes(64);
        ExpectRefusals(f, c, bytes, "a destroyed handle", 0, 0);

        const QIRVALE::DSTU4145ExportTable& other = *basis_.otherExports;
        basis_.createOtherStandard(f, choice, a, b, n);
        other.curveCreate(c, f, a, b.data(), uint32_t(b.size()), n.data(), uint32_t(n.size()));
        const DSTU4145BaseFieldHandle fieldBefore = *f;
        const DSTU4145CurveHandle curveBefore = *c;
        ExpectRefusals(f, c, bytes, "a handle of the other basis",
                       BitLength(n.data(), n.size()) - 1, 2 * ByteLength(n.data(), n.size()));
        basis_.curveDestroy(c);
        basis_.fieldDestroy(f);
        if (f->field != fieldBefore.field || c->parameters != curveBefore.parameters ||
            c->order != curveBefore.order) {
            Finding("%s Destroy changed a handle of the other basis", basis_.name);
        }
        other.curveDestroy(c);
        other.fieldDestroy(f);
        field.Check("Destroy");
        curve.Check("Destroy");
    }

    // Every export on handles that hold no object of this basis: failure with
    // ResultCodeInternalFailure; the size queries shared by both bases answer `sharedBits` and
    // `sharedBytes`, the others 0.
    void ExpectRefusals(DSTU4145BaseFieldHandle* f, DSTU4145CurveHandle* c, const InputBytes& bytes,
                        const char* state, uint32_t sharedBits, uint32_t sharedBytes) {
        GuardedOutput out1(64), out2(64), flag(1, 0);
        GuardedOutput fresh(sizeof(DSTU4145CurveHandle), 0);
        uint16_t code = 0;
        auto expectRefusal = [&](const char* what, uint32_t status, bool withCode) {
            if (status != 1 || (withCode && code != ResultCodeInternalFailure) ||
                flag.data()[0] != 0) {
                Finding("%s %s on %s gave status %u, code %u", basis_.name, what, state, status,
                        code);
            }
        };
        const uint8_t* p = bytes.data();
        const uint32_t l = bytes.size();
        expectRefusal("CurveCreate",
                      basis_.curveCreate(fresh.As<DSTU4145CurveHandle>(), f, 0, p, l, p, l), false);
        expectRefusal("PackPoint", basis_.packPoint(out1.data(), 64, c, p, l, p, l, &code), true);
        expectRefusal("UnPackPoint",
                      basis_.unpackPoint(out1.data(), 64, out2.data(), 64, c, p, l, &code), true);
        expectRefusal("GenBasePoint",
                      basis_.genBasePoint(out1.data(), 64, out2.data(), 64, c, p, l, &code), true);
        expectRefusal("VerifyBasePoint", basis_.verifyBasePoint(flag.data(), c, p, l, p, l), false);
        expectRefusal("GeneratePrivateKey",
                      basis_.generatePrivateKey(out1.data(), 64, c, p, l, &code), true);
        expectRefusal(
            "GeneratePublicKey",
            basis_.generatePublicKey(out1.data(), 64, out2.data(), 64, c, p, l, p, l, p, l, &code),
            true);
        expectRefusal("VerifyPrivateKey",
                      basis_.verifyPrivateKey(flag.data(), c, p, l, p, l, p, l, p, l, p, l), false);
        expectRefusal("VerifyPublicKey", basis_.verifyPublicKey(flag.data(), c, p, l, p, l), false);
        expectRefusal("CreatePreSign",
                      basis_.createPreSign(out1.data(), 64, c, p, l, p, l, p, l, &code), true);
        expectRefusal(
            "SignHashByPreSign",
            basis_.signHashByPreSign(out1.data(), 64, c, p, l, p, l, p, l, p, l, p, l, p, l, &code),
            true);
        expectRefusal("SignHash",
                      basis_.signHash(out1.data(), 64, c, p, l, p, l, p, l, p, l, p, l, &code),
                      true);
        expectRefusal("VerifyHash",
                      basis_.verifyHash(flag.data(), c, p, l, p, l, p, l, p, l, p, l, p, l, &code),
                      true);
        if (basis_.elementMaxBits(f) != 0 || basis_.privateKeyMaxBits(c) != sharedBits ||
            basis_.randomMaxBits(c) != sharedBits || basis_.signMinByteCount(c) != sharedBytes) {
            Finding("%s size queries on %s are wrong", basis_.name, state);
        }
        out1.Check("exports on handles without an object");
        out2.Check("exports on handles without an object");
        flag.Check("exports on handles without an object");
        fresh.Check("CurveCreate from a handle without a field");
    }

    void SizeQueries() {
        const uint32_t keyBits = basis_.privateKeyMaxBits(Curve());
        const uint32_t randomBits = basis_.randomMaxBits(Curve());
        const uint32_t minBytes = basis_.signMinByteCount(Curve());
        const uint32_t expectedBits = CurveCreated() ? ScalarBits() : 0;
        const uint32_t expectedBytes = CurveCreated() ? 2 * ByteLength(n_.data(), n_.size()) : 0;
        if (keyBits != expectedBits || randomBits != expectedBits || minBytes != expectedBytes) {
            Finding("%s curve size queries gave %u, %u, %u", basis_.name, keyBits, randomBits,
                    minBytes);
        }
    }

    // ---- points ----------------------------------------------------------------------

    void Pack() {
        InputBytes x, y;
        PointArgument(x, y, px_, py_);
        const bool own = !px_.empty() && x.size() == px_.size() &&
                         std::memcmp(x.data(), px_.data(), px_.size()) == 0;
        GuardedOutput packed(Buffer());
        uint16_t code = 0xFFFF;
        const uint32_t status = call_(
            Name("CurvePackPoint").c_str(),
            [&] {
                return basis_.packPoint(packed.data(), packed.size(), Curve(), x.data(), x.size(),
                                        y.data(), y.size(), &code);
            },
            packed);
        CheckStatus(Name("CurvePackPoint").c_str(), status, code, {ResultCodeBufferTooSmall});
        if (!CurveCreated() && code != ResultCodeInternalFailure) {
            Finding("%s CurvePackPoint on no curve gave %u", basis_.name, code);
        }
        // A generated base point of a standard curve comes back from its packed form.
        if (status == 0 && own && standard_) {
            GuardedOutput ux(ElementBytes()), uy(ElementBytes());
            const uint32_t back = call_(
                Name("CurveUnPackPoint").c_str(),
                [&] {
                    return basis_.unpackPoint(ux.data(), ux.size(), uy.data(), uy.size(), Curve(),
                                              packed.data(), packed.size(), &code);
                },
                ux, uy);
            if (back != 0 || Compare(ux.data(), ux.size(), px_.data(), px_.size()) != 0 ||
                Compare(uy.data(), uy.size(), py_.data(), py_.size()) != 0) {
                Finding("%s a base point does not unpack from its packed form", basis_.name);
            }
        }
    }

    void Unpack() {
        const InputBytes packed = Element();
        GuardedOutput x(Buffer()), y(Buffer());
        uint16_t code = 0xFFFF;
        const uint32_t status = call_(
            Name("CurveUnPackPoint").c_str(),
            [&] {
                return basis_.unpackPoint(x.data(), x.size(), y.data(), y.size(), Curve(),
                                          packed.data(), packed.size(), &code);
            },
            x, y);
        CheckStatus(Name("CurveUnPackPoint").c_str(), status, code, {ResultCodeBufferTooSmall});
        if (status != 0 && !(x.Untouched() && y.Untouched())) {
            Finding("%s CurveUnPackPoint failed after writing", basis_.name);
        }
        // For odd m a reduced packed value that unpacks packs back to itself.
        if (status != 0 || curveDegree_ % 2 == 0 ||
            BitLength(packed.data(), packed.size()) > curveDegree_ ||
            BitLength(b_.data(), b_.size()) > curveDegree_) {
            return;
        }
        GuardedOutput again(ElementBytes());
        const uint32_t back = call_(
            Name("CurvePackPoint").c_str(),
            [&] {
                return basis_.packPoint(again.data(), again.size(), Curve(), x.data(), x.size(),
                                        y.data(), y.size(), &code);
            },
            again);
        if (back != 0 || Compare(again.data(), again.size(), packed.data(), packed.size()) != 0) {
            Finding("%s an unpacked point does not pack to its packed form (m = %u)", basis_.name,
                    curveDegree_);
        }
    }

    void GenBasePoint() {
        if (!ScalarsAffordable()) return;
        const InputBytes u = Element();
        GuardedOutput x(Buffer()), y(Buffer());
        uint16_t code = 0xFFFF;
        const uint32_t status = call_(
            Name("CurveGenBasePoint").c_str(),
            [&] {
                return basis_.genBasePoint(x.data(), x.size(), y.data(), y.size(), Curve(),
                                           u.data(), u.size(), &code);
            },
            x, y);
        CheckStatus(Name("CurveGenBasePoint").c_str(), status, code,
                    {ResultCodeBadValue, ResultCodeBufferTooSmall});
        if (status != 0) return;
        GuardedOutput valid(1);
        const uint32_t checked = call_(
            Name("CurveVerifyBasePoint").c_str(),
            [&] {
                return basis_.verifyBasePoint(valid.data(), Curve(), x.data(), x.size(), y.data(),
                                              y.size());
            },
            valid);
        // With U and B reduced the point has coordinates of m bits and satisfies the curve
        // equation as integers, as the check requires.
        if (BitLength(u.data(), u.size()) <= curveDegree_ &&
            BitLength(b_.data(), b_.size()) <= curveDegree_ &&
            (checked != 0 || valid.data()[0] != 1)) {
            Finding("%s a generated base point fails VerifyBasePoint", basis_.name);
        }
        if (checked == 0 && valid.data()[0] == 1) {
            px_.assign(x.data(), x.data() + x.size());
            py_.assign(y.data(), y.data() + y.size());
            qx_.clear();
            qy_.clear();
        }
    }

    void VerifyPoint() {
        if (!ScalarsAffordable()) return;
        InputBytes x, y;
        PointArgument(x, y, px_, py_);
        GuardedOutput valid(1);
        const bool publicKey = in_.Bool();
        const uint32_t status = call_(
            Name("CurveVerifyBasePoint").c_str(),
            [&] {
                return publicKey ? basis_.verifyPublicKey(valid.data(), Curve(), x.data(), x.size(),
                                                          y.data(), y.size())
                                 : basis_.verifyBasePoint(valid.data(), Curve(), x.data(), x.size(),
                                                          y.data(), y.size());
            },
            valid);
        if (status > 1 || valid.data()[0] > 1 || (status != 0 && valid.data()[0] != 0)) {
            Finding("%s VerifyBasePoint gave status %u, flag %u", basis_.name, status,
                    valid.data()[0]);
        }
        if (Oversized({&x, &y}) && status != 1)
            Finding("%s VerifyBasePoint oversized", basis_.name);
    }

    // ---- keys ------------------------------------------------------------------------

    void PrivateKey() {
        const InputBytes random = Scalar();
        GuardedOutput d(in_.Range(0, kMaxScalar));
        uint16_t code = 0xFFFF;
        const uint32_t status = call_(
            Name("GeneratePrivateKey").c_str(),
            [&] {
                return basis_.generatePrivateKey(d.data(), d.size(), Curve(), random.data(),
                                                 random.size(), &code);
            },
            d);
        CheckStatus(Name("GeneratePrivateKey").c_str(), status, code,
                    {ResultCodeRandomTooLong, ResultCodeBadValue, ResultCodeBufferTooSmall});
        uint16_t expected = ResultCodeNone;
        if (!CurveCreated() || Oversized({&random})) {
            expected = ResultCodeInternalFailure;
        } else if (BitLength(random.data(), random.size()) > ScalarBits()) {
            expected = ResultCodeRandomTooLong;
        } else if (IsZero(random.data(), random.size())) {
            expected = ScalarBits() == 0 ? ResultCodeInternalFailure : ResultCodeBadValue;
        } else if (ByteLength(random.data(), random.size()) > d.size()) {
            expected = ResultCodeBufferTooSmall;
        }
        if (code != expected) {
            Finding("%s GeneratePrivateKey gave code %u, not %u", basis_.name, code, expected);
        }
        if (status == 0) {
            if (!HoldsNumber(d.data(), d.size(), random.data(), random.size())) {
                Finding("%s GeneratePrivateKey did not write the random number", basis_.name);
            }
            d_.assign(d.data(), d.data() + d.size());
            qx_.clear();
            qy_.clear();
        } else if (!d.Untouched()) {
            Finding("%s GeneratePrivateKey failed after writing", basis_.name);
        }
    }

    void PublicKey() {
        if (!ScalarsAffordable()) return;
        InputBytes x, y;
        PointArgument(x, y, px_, py_);
        const bool ownKey = in_.Bool() && !d_.empty();
        const InputBytes d = ownKey ? InputBytes(d_.data(), d_.size()) : Scalar();
        GuardedOutput qx(Buffer()), qy(Buffer());
        uint16_t code = 0xFFFF;
        const uint32_t status = call_(
            Name("GeneratePublicKey").c_str(),
            [&] {
                return basis_.generatePublicKey(qx.data(), qx.size(), qy.data(), qy.size(), Curve(),
                                                x.data(), x.size(), y.data(), y.size(), d.data(),
                                                d.size(), &code);
            },
            qx, qy);
        CheckStatus(Name("GeneratePublicKey").c_str(), status, code, {ResultCodeBufferTooSmall});
        if (status != 0) return;
        GuardedOutput valid(1);
        const uint32_t checked = call_(
            Name("VerifyPrivateKey").c_str(),
            [&] {
                return basis_.verifyPrivateKey(valid.data(), Curve(), x.data(), x.size(), y.data(),
                                               y.size(), qx.data(), qx.size(), qy.data(), qy.size(),
                                               d.data(), d.size());
            },
            valid);
        if (checked != 0 || valid.data()[0] != 1) {
            Finding("%s a public key fails VerifyPrivateKey with its own d and P", basis_.name);
        }
        const bool ownPoint = !px_.empty() && x.size() == px_.size() &&
                              std::memcmp(x.data(), px_.data(), px_.size()) == 0 &&
                              std::memcmp(y.data(), py_.data(), py_.size()) == 0;
        if (ownPoint && ownKey) {
            qx_.assign(qx.data(), qx.data() + qx.size());
            qy_.assign(qy.data(), qy.data() + qy.size());
        }
    }

    void VerifyKeys() {
        if (!ScalarsAffordable()) return;
        InputBytes x, y, qx, qy;
        PointArgument(x, y, px_, py_);
        PointArgument(qx, qy, qx_, qy_);
        const InputBytes d =
            in_.Bool() && !d_.empty() ? InputBytes(d_.data(), d_.size()) : Scalar();
        GuardedOutput valid(1);
        const uint32_t status = call_(
            Name("VerifyPrivateKey").c_str(),
            [&] {
                return basis_.verifyPrivateKey(valid.data(), Curve(), x.data(), x.size(), y.data(),
                                               y.size(), qx.data(), qx.size(), qy.data(), qy.size(),
                                               d.data(), d.size());
            },
            valid);
        if (status > 1 || valid.data()[0] > 1 || (status != 0 && valid.data()[0] != 0)) {
            Finding("%s VerifyPrivateKey gave status %u, flag %u", basis_.name, status,
                    valid.data()[0]);
        }
    }

    // ---- signatures --------------------------------------------------------------------

    void Sign() {
        if (!ScalarsAffordable()) return;
        InputBytes x, y;
        PointArgument(x, y, px_, py_);
        const bool ownKey = in_.Bool() && !d_.empty();
        const InputBytes d = ownKey ? InputBytes(d_.data(), d_.size()) : Scalar();
        const InputBytes e = Scalar();
        const InputBytes hash = in_.Bytes(ElementBytes() + 8);
        const uint32_t minimum = 2 * ByteLength(n_.data(), n_.size());
        const uint32_t length =
            in_.Bool() ? minimum + 2 * in_.Range(0, 4) : in_.Range(0, minimum + 8);
        GuardedOutput whole(length), f(Buffer()), parts(length);
        uint16_t code = 0xFFFF, preCode = 0xFFFF, partCode = 0xFFFF;
        const uint32_t status = call_(
            Name("SignHash").c_str(),
            [&] {
                return basis_.signHash(whole.data(), whole.size(), Curve(), x.data(), x.size(),
                                       y.data(), y.size(), hash.data(), hash.size(), d.data(),
                                       d.size(), e.data(), e.size(), &code);
            },
            whole);
        CheckStatus(Name("SignHash").c_str(), status, code,
                    {ResultCodeBadSeed, ResultCodeBadSignatureLength, ResultCodeBadValue});
        const bool eInRange =
            !IsZero(e.data(), e.size()) && Compare(e.data(), e.size(), n_.data(), n_.size()) < 0;
        // n <= 1 leaves no e, n = 2 only e = 1, and a P with x = 0 makes F_e = 0 for every e.
        const bool noE = ScalarBits() == 0;
        const uint8_t two = 2;
        const bool noRetry =
            Compare(n_.data(), n_.size(), &two, 1) == 0 || IsZero(x.data(), x.size());
        const uint16_t eCode = noE ? ResultCodeInternalFailure : ResultCodeBadSeed;
        if (!Oversized({&x, &y, &e}) && (eInRange ? code == ResultCodeBadSeed : code != eCode)) {
            Finding("%s SignHash gave code %u for e against n", basis_.name, code);
        }
        if (code == ResultCodeBadValue && noRetry) {
            Finding("%s SignHash asked for another e where none can succeed", basis_.name);
        }
        if (status != 0 && !whole.Untouched())
            Finding("%s SignHash failed after writing", basis_.name);

        const uint32_t pre = call_(
            Name("CreatePreSign").c_str(),
            [&] {
                return basis_.createPreSign(f.data(), f.size(), Curve(), x.data(), x.size(),
                                            y.data(), y.size(), e.data(), e.size(), &preCode);
            },
            f);
        CheckStatus(Name("CreatePreSign").c_str(), pre, preCode,
                    {ResultCodeBadSeed, ResultCodeBadValue, ResultCodeBufferTooSmall});
        if (preCode == ResultCodeBadValue && noRetry) {
            Finding("%s CreatePreSign asked for another e where none can succeed", basis_.name);
        }
        if (pre != 0) {
            // An e out of range is refused with any F_e (here x): with e = 0 or n the
            // signature would be s = d r and give d away.
            if (!eInRange && !Oversized({&x, &y, &e, &d})) {
                const uint32_t refused = call_(
                    Name("SignHashByPreSign").c_str(),
                    [&] {
                        return basis_.signHashByPreSign(
                            parts.data(), parts.size(), Curve(), x.data(), x.size(), y.data(),
                            y.size(), hash.data(), hash.size(), d.data(), d.size(), e.data(),
                            e.size(), x.data(), x.size(), &partCode);
                    },
                    parts);
                if (refused != 1 || partCode != eCode || !parts.Untouched()) {
                    Finding("%s SignHashByPreSign gave code %u for an e out of range", basis_.name,
                            partCode);
                }
            }
            return;
        }
        const uint32_t part = call_(
            Name("SignHashByPreSign").c_str(),
            [&] {
                return basis_.signHashByPreSign(parts.data(), parts.size(), Curve(), x.data(),
                                                x.size(), y.data(), y.size(), hash.data(),
                                                hash.size(), d.data(), d.size(), e.data(), e.size(),
                                                f.data(), f.size(), &partCode);
            },
            parts);
        CheckStatus(Name("SignHashByPreSign").c_str(), part, partCode,
                    {ResultCodeBadSeed, ResultCodeBadSignatureLength, ResultCodeBadValue});
        if (part != status || partCode != code ||
            (status == 0 && std::memcmp(whole.data(), parts.data(), length) != 0)) {
            Finding(
                "%s SignHash (%u, code %u) differs from CreatePreSign + SignHashByPreSign "
                "(%u, code %u)",
                basis_.name, status, code, part, partCode);
        }
        // (A key pair with Q at infinity, d a multiple of the order of P, is refused.)
        if (status != 0 || !ownKey || qx_.empty() || !SameAs(x, px_) || !SameAs(y, py_) ||
            (IsZero(qx_.data(), qx_.size()) && IsZero(qy_.data(), qy_.size()))) {
            return;
        }
        // Signed with the generated base point and key pair: it verifies; on a standard
        // curve one changed bit makes it fail.
        if (!VerifyOwn(hash, whole.data(), length)) {
            Finding("%s a signature made with a generated key pair does not verify", basis_.name);
        }
        if (!standard_) return;
        InputBytes changed(whole.data(), length);
        const uint32_t flip = in_.Range(0, 8 * length - 1);
        changed.data()[flip / 8] ^= uint8_t(1u << (flip % 8));
        if (VerifyOwn(hash, changed.data(), length)) {
            Finding("%s a signature with bit %u changed verifies", basis_.name, flip);
        }
    }

    static bool SameAs(const InputBytes& a, const Bytes& b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), b.size()) == 0;
    }

    bool VerifyOwn(const InputBytes& hash, const uint8_t* signature, uint32_t length) {
        GuardedOutput verified(1);
        uint16_t code = 0xFFFF;
        const uint32_t status = call_(
            Name("VerifyHash").c_str(),
            [&] {
                return basis_.verifyHash(verified.data(), Curve(), px_.data(), uint32_t(px_.size()),
                                         py_.data(), uint32_t(py_.size()), hash.data(), hash.size(),
                                         signature, length, qx_.data(), uint32_t(qx_.size()),
                                         qy_.data(), uint32_t(qy_.size()), &code);
            },
            verified);
        CheckStatus(Name("VerifyHash").c_str(), status, code,
                    {ResultCodeBadSignatureLength, ResultCodeSignatureMismatch});
        CheckFlag(Name("VerifyHash").c_str(), verified.data()[0], status, code);
        return verified.data()[0] == 1;
    }

    void Verify() {
        if (!ScalarsAffordable()) return;
        InputBytes x, y, qx, qy;
        PointArgument(x, y, px_, py_);
        PointArgument(qx, qy, qx_, qy_);
        const InputBytes hash = in_.Bytes(ElementBytes() + 8);
        const InputBytes signature = in_.Bytes(2 * kMaxScalar + 8);
        GuardedOutput verified(1);
        uint16_t code = 0xFFFF;
        const uint32_t status = call_(
            Name("VerifyHash").c_str(),
            [&] {
                return basis_.verifyHash(verified.data(), Curve(), x.data(), x.size(), y.data(),
                                         y.size(), hash.data(), hash.size(), signature.data(),
                                         signature.size(), qx.data(), qx.size(), qy.data(),
                                         qy.size(), &code);
            },
            verified);
        CheckStatus(
            Name("VerifyHash").c_str(), status, code,
            {ResultCodeBadSignatureLength, ResultCodeSignatureMismatch, ResultCodeBadValue});
        CheckFlag(Name("VerifyHash").c_str(), verified.data()[0], status, code);
        // The shape of the signature decides before anything else.
        const uint32_t length = signature.size();
        const uint32_t half = length / 2;
        const bool malformed = length % 2 != 0 || length < 2 * ByteLength(n_.data(), n_.size()) ||
                               IsZero(signature.data(), half) ||
                               Compare(signature.data(), half, n_.data(), n_.size()) >= 0 ||
                               IsZero(signature.data() + half, half) ||
                               Compare(signature.data() + half, half, n_.data(), n_.size()) >= 0;
        if (malformed && CurveCreated() && !Oversized({&hash}) &&
            code != ResultCodeBadSignatureLength) {
            Finding("%s VerifyHash gave code %u for a malformed signature", basis_.name, code);
        }
        // Then P and Q: (0, 0) or a coordinate of more than m bits is no point of the curve.
        auto noPoint = [&](const InputBytes& u, const InputBytes& v) {
            return (IsZero(u.data(), u.size()) && IsZero(v.data(), v.size())) ||
                   BitLength(u.data(), u.size()) > curveDegree_ ||
                   BitLength(v.data(), v.size()) > curveDegree_;
        };
        if (!malformed && CurveCreated() && !Oversized({&x, &y, &hash, &qx, &qy}) &&
            (noPoint(x, y) || noPoint(qx, qy)) && code != ResultCodeBadValue) {
            Finding("%s VerifyHash gave code %u for a P or Q that is no point", basis_.name, code);
        }
    }

    const Basis& basis_;
    FuzzInput& in_;
    Caller call_;
    GuardedOutput field_{sizeof(DSTU4145BaseFieldHandle), 0};
    GuardedOutput curve_{sizeof(DSTU4145CurveHandle), 0};
    uint32_t fieldDegree_ = 0;
    uint32_t curveDegree_ = 0;
    bool standard_ = false;
    Bytes n_, b_;
    Bytes px_, py_, d_, qx_, qy_;
};

// A standard curve record of the basis, by any number (taken modulo the number of records).
inline uint32_t CreateStandardPB(DSTU4145BaseFieldHandle* field, uint32_t choice, uint16_t& a,
                                 std::vector<uint8_t>& b, std::vector<uint8_t>& n) {
    const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(uint16_t(101 + choice % 10));
    a = info->coefficientA;
    b.assign(info->coefficientB, info->coefficientB + info->coefficientBLength);
    n.assign(info->order, info->order + info->orderLength);
    return QIRVALEDSTU4145PBSignBaseFieldCreate(field, info->m, info->k, info->j, info->l);
}

inline uint32_t CreateStandardONB(DSTU4145BaseFieldHandle* field, uint32_t choice, uint16_t& a,
                                  std::vector<uint8_t>& b, std::vector<uint8_t>& n) {
    const ONBCurveInfo* info = QIRVALEDSTU4145DataONBCurveInfoPtr(uint16_t(201 + choice % 5));
    a = info->coefficientA;
    b.assign(info->coefficientB, info->coefficientB + info->coefficientBLength);
    n.assign(info->order, info->order + info->orderLength);
    return QIRVALEDSTU4145ONBSignBaseFieldCreate(field, info->m);
}

}  // namespace qirvale_fuzz
