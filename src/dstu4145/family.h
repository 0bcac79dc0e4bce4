// The bodies of the DSTU 4145 family exports, written once over the field type. Each function
// takes the export's own arguments, resolves the handles, runs the steps of protocol.h and
// curve.h inside the guarded boundary (frame/boundary.h) and writes the outputs; the exports
// of pb_exports.cpp and onb_exports.cpp only name the field type and its object kinds. Only
// field creation differs between the bases (PB from its polynomial, ONB from m) and lives
// with the exports.
//
// Handles. A base-field handle holds a pointer to a tagged field, a curve handle pointers to
// tagged curve parameters and a tagged order n; all are null while not created. Both bases
// use the same C handle types, so every object starts with its kind (ObjectKind), and every
// export checks the kind before it reads through a handle. An uncreated or destroyed handle
// is a state a caller may legitimately be in, not a wild pointer, and a handle of the other
// basis is a mistake the kind reveals: status exports given either fail with
// ResultCodeInternalFailure (never ResultCodeBadValue, on which callers draw again and would
// loop), status-only exports return 1, size queries 0, and Destroy and Free leave an object
// of another kind alone. Null handle pointers are the caller's contract violation, except in
// the Free exports.
//
// Created objects are never written after creation: every long integer stored in a curve is
// normalised when the curve is built, so that reading operations leave it untouched, and one
// curve may serve concurrent calls.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include "curve/curve.h"
#include "dstu4145/protocol.h"
#include "frame/boundary.h"
#include "frame/exceptions.h"
#include "frame/memory.h"
#include "longint/long_integer.h"
#include "qirvale.h"

namespace QIRVALE {

// The kind of an object behind a handle, held in its first four bytes. The values are
// arbitrary words unlikely to begin anything else; a destroyed object's kind is wiped to
// None before its memory is released.
enum class ObjectKind : uint32_t {
    None = 0,
    PBField = 0x5142FB01,
    ONBField = 0x5142FB02,
    PBCurve = 0x5142FB03,
    ONBCurve = 0x5142FB04,
    CurveOrder = 0x5142FB05,
};

// An object of type T behind a handle, preceded by its kind.
template <class T>
struct Tagged {
    template <class... Arguments>
    explicit Tagged(ObjectKind objectKind, Arguments&&... arguments)
        : kind(objectKind), value(std::forward<Arguments>(arguments)...) {}
    ~Tagged() { SecureWipe(&kind, sizeof kind); }
    Tagged(const Tagged&) = delete;
    Tagged& operator=(const Tagged&) = delete;

    ObjectKind kind;
    T value;
};

// The kind at the start of a handle's object, read as bytes so that any object may be asked.
inline ObjectKind KindAt(const void* object) {
    ObjectKind kind;
    std::memcpy(&kind, object, sizeof kind);
    return kind;
}

// The value of the object at `object` when it is a Tagged<T> of `kind`; null for a null
// pointer and for an object of any other kind.
template <class T>
T* TaggedValue(void* object, ObjectKind kind) {
    static_assert(std::is_standard_layout<Tagged<T>>::value, "the kind must come first");
    if (object == nullptr || KindAt(object) != kind) return nullptr;
    return &static_cast<Tagged<T>*>(object)->value;
}

// Releases the Tagged<T> at `*object` when it has `kind` and sets the pointer to null;
// returns false, changing nothing, for an object of another kind. A null pointer is nothing
// to release (true).
template <class T>
bool ReleaseTagged(void*& object, ObjectKind kind) noexcept {
    if (object == nullptr) return true;
    if (KindAt(object) != kind) return false;
    delete static_cast<Tagged<T>*>(object);
    object = nullptr;
    return true;
}

// Runs a status-only body (returning whether it succeeded): status 0 or 1, and 1 when an
// exception was caught. `flag`, when given, is cleared first; the body sets it.
template <class Body>
uint32_t GuardedSuccess(uint8_t* flag, Body&& body) noexcept {
    return GuardedStatus(nullptr, flag, [&]() -> uint16_t {
        return body() ? ResultCodeNone : ResultCodeInternalFailure;
    });
}

// n of a created curve of either basis, or null for a handle that holds none (for the size
// queries that are one function for both bases).
inline const LongIntegerClass* OrderOrNull(const DSTU4145CurveHandle* handle) {
    void* parameters = handle->parameters;
    if (parameters == nullptr ||
        (KindAt(parameters) != ObjectKind::PBCurve && KindAt(parameters) != ObjectKind::ONBCurve)) {
        return nullptr;
    }
    return TaggedValue<LongIntegerClass>(handle->order, ObjectKind::CurveOrder);
}

// Writes `value` into `length` bytes (zero-padded) when its significant bytes fit; otherwise
// writes nothing and gives ResultCodeBufferTooSmall.
inline uint16_t WriteInteger(const LongIntegerClass& value, uint8_t* out, uint32_t length) {
    if (value.ByteLength() > length) return ResultCodeBufferTooSmall;
    value.ToBytes(out, length, 0);
    return ResultCodeNone;
}

// The family of one field type, whose field and curve objects carry the kinds given.
template <class Field, ObjectKind kFieldKind, ObjectKind kCurveKind>
class DSTU4145Family {
  public:
    using Element = typename Field::Element;
    using Curve = CurveParameters<Field>;
    using Point = AffinePoint<Field>;

    // ---- fields ------------------------------------------------------------------------

    // Stores the field made by `build` (a std::unique_ptr<Field>, null to refuse), tagged
    // with the field kind, in the handle; the handle is null first and stays null on refusal
    // or an exception.
    template <class Build>
    static uint32_t BaseFieldCreate(DSTU4145BaseFieldHandle* handle, Build&& build) noexcept {
        handle->field = nullptr;
        return GuardedSuccess(nullptr, [&] {
            std::unique_ptr<Field> field = build();
            if (field == nullptr) return false;
            handle->field = new Tagged<Field>(kFieldKind, std::move(*field));
            return true;
        });
    }

    // Releases a field of this basis (its destructor wipes the polynomial or the table); null
    // afterwards. An object of another kind is left as it is.
    static void BaseFieldDestroy(DSTU4145BaseFieldHandle* handle) noexcept {
        ReleaseTagged<Field>(handle->field, kFieldKind);
    }

    // Destroy, then the handle itself, unless the handle holds an object of another kind.
    static void BaseFieldFree(DSTU4145BaseFieldHandle* handle) noexcept {
        if (handle == nullptr || !ReleaseTagged<Field>(handle->field, kFieldKind)) return;
        FreeWiped(handle, sizeof *handle);
    }

    // m of a created field of this basis, else 0.
    static uint32_t FieldDegree(const DSTU4145BaseFieldHandle* handle) noexcept {
        const Field* field = TaggedValue<Field>(handle->field, kFieldKind);
        return field == nullptr ? 0 : field->Degree();
    }

    // ---- curves ------------------------------------------------------------------------

    // A curve over the curve's own copy of the field: A (0 or 1, standing for the field's
    // Zero or One), B and n as given (not checked). Status 1, with both pointers null, for
    // another A, a field handle that holds no field of this basis, a string of more than 1024
    // bytes or an allocation failure.
    static uint32_t CurveCreate(DSTU4145CurveHandle* handle, const DSTU4145BaseFieldHandle* field,
                                uint16_t a, const uint8_t* b, uint32_t bLength, const uint8_t* n,
                                uint32_t nLength) noexcept {
        handle->parameters = nullptr;
        handle->order = nullptr;
        return GuardedSuccess(nullptr, [&] {
            if (a > 1) return false;
            const Field* source = TaggedValue<Field>(field->field, kFieldKind);
            if (source == nullptr) return false;
            auto parameters = std::make_unique<Tagged<Curve>>(kCurveKind, *source, a == 1,
                                                              Field::ElementFromBytes(b, bLength));
            auto order = std::make_unique<Tagged<LongIntegerClass>>(ObjectKind::CurveOrder,
                                                                    IntegerFrom({n, nLength}));
            order->value.Normalize();
            handle->parameters = parameters.release();
            handle->order = order.release();
            return true;
        });
    }

    // Releases the parameters (A, B and the field copy are wiped) and n; null afterwards. A
    // handle whose parameters are of another kind is left as it is.
    static void CurveDestroy(DSTU4145CurveHandle* handle) noexcept {
        if (!ReleaseTagged<Curve>(handle->parameters, kCurveKind)) return;
        // An order of another kind is not this library's to release; the handle forgets it.
        if (!ReleaseTagged<LongIntegerClass>(handle->order, ObjectKind::CurveOrder)) {
            handle->order = nullptr;
        }
    }

    // Destroy, then the handle itself, unless the handle holds parameters of another kind.
    static void CurveFree(DSTU4145CurveHandle* handle) noexcept {
        if (handle == nullptr) return;
        void* parameters = handle->parameters;
        if (parameters != nullptr && KindAt(parameters) != kCurveKind) return;
        CurveDestroy(handle);
        FreeWiped(handle, sizeof *handle);
    }

    // ---- points ------------------------------------------------------------------------

    static uint32_t CurvePackPoint(uint8_t* packed, uint32_t packedLength,
                                   const DSTU4145CurveHandle* handle, const uint8_t* x,
                                   uint32_t xLength, const uint8_t* y, uint32_t yLength,
                                   uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&] {
            const Curve& curve = CreatedCurve(handle);
            const Point p = PointFrom<Field>({x, xLength}, {y, yLength});
            return WriteElement(PackPoint(curve, p), packed, packedLength);
        });
    }

    static uint32_t CurveUnPackPoint(uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength,
                                     const DSTU4145CurveHandle* handle, const uint8_t* packed,
                                     uint32_t packedLength, uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&] {
            const Curve& curve = CreatedCurve(handle);
            const Element value = Field::ElementFromBytes(packed, packedLength);
            return WritePoint(UnpackPoint(curve, value), x, xLength, y, yLength);
        });
    }

    static uint32_t CurveGenBasePoint(uint8_t* x, uint32_t xLength, uint8_t* y, uint32_t yLength,
                                      const DSTU4145CurveHandle* handle, const uint8_t* u,
                                      uint32_t uLength, uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&]() -> uint16_t {
            const Curve& curve = CreatedCurve(handle);
            const Element seed = Field::ElementFromBytes(u, uLength);
            Point base;
            if (!GenerateBasePoint(curve, CreatedOrder(handle), seed, base)) {
                return ResultCodeBadValue;
            }
            return WritePoint(base, x, xLength, y, yLength);
        });
    }

    // Also serves VerifyPublicKey: the same check applied to Q.
    static uint32_t CurveVerifyBasePoint(uint8_t* valid, const DSTU4145CurveHandle* handle,
                                         const uint8_t* x, uint32_t xLength, const uint8_t* y,
                                         uint32_t yLength) noexcept {
        return GuardedSuccess(valid, [&] {
            const Curve& curve = CreatedCurve(handle);
            const Element px = Field::ElementFromBytes(x, xLength);
            const Element py = Field::ElementFromBytes(y, yLength);
            if (CheckBasePoint(curve, CreatedOrder(handle), px, py)) *valid = 1;
            return true;
        });
    }

    // ---- keys --------------------------------------------------------------------------

    static uint32_t GeneratePublicKey(uint8_t* qx, uint32_t qxLength, uint8_t* qy,
                                      uint32_t qyLength, const DSTU4145CurveHandle* handle,
                                      const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                      uint32_t pyLength, const uint8_t* d, uint32_t dLength,
                                      uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&] {
            const Curve& curve = CreatedCurve(handle);
            const Point p = PointFrom<Field>({px, pxLength}, {py, pyLength});
            const LongIntegerClass key = IntegerFrom({d, dLength});
            return WritePoint(PublicKeyOf(curve, p, key), qx, qxLength, qy, qyLength);
        });
    }

    // `valid` = 1 when -(d P) has exactly the coordinates (Qx, Qy), compared as integers.
    static uint32_t VerifyPrivateKey(uint8_t* valid, const DSTU4145CurveHandle* handle,
                                     const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                     uint32_t pyLength, const uint8_t* qx, uint32_t qxLength,
                                     const uint8_t* qy, uint32_t qyLength, const uint8_t* d,
                                     uint32_t dLength) noexcept {
        return GuardedSuccess(valid, [&] {
            const Curve& curve = CreatedCurve(handle);
            const Point p = PointFrom<Field>({px, pxLength}, {py, pyLength});
            const Element x = Field::ElementFromBytes(qx, qxLength);
            const Element y = Field::ElementFromBytes(qy, qyLength);
            const Point q = PublicKeyOf(curve, p, IntegerFrom({d, dLength}));
            if (q.x == x && q.y == y) *valid = 1;
            return true;
        });
    }

    // GeneratePrivateKey (integers only): the checks of CheckPrivateKeyRandom, then the
    // output size (ResultCodeBufferTooSmall); d is the random number itself.
    static uint32_t GeneratePrivateKey(uint8_t* d, uint32_t dLength,
                                       const DSTU4145CurveHandle* handle, const uint8_t* random,
                                       uint32_t randomLength, uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&]() -> uint16_t {
            const LongIntegerClass& order = CreatedOrder(handle);
            const LongIntegerClass r = IntegerFrom({random, randomLength});
            const uint16_t code = CheckPrivateKeyRandom(r, order);
            if (code != ResultCodeNone) return code;
            return WriteInteger(r, d, dLength);
        });
    }

    // ---- signatures --------------------------------------------------------------------

    static uint32_t CreatePreSign(uint8_t* f, uint32_t fLength, const DSTU4145CurveHandle* handle,
                                  const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                  uint32_t pyLength, const uint8_t* e, uint32_t eLength,
                                  uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&] {
            const Curve& curve = CreatedCurve(handle);
            const Point p = PointFrom<Field>({px, pxLength}, {py, pyLength});
            Element fe;
            const uint16_t code =
                PreSignCore(curve, CreatedOrder(handle), p, IntegerFrom({e, eLength}), fe);
            if (code != ResultCodeNone) return code;
            return WriteElement(fe, f, fLength);
        });
    }

    // P is read (a string of more than 1024 bytes fails) but does not enter the signature:
    // F_e already depends on it.
    static uint32_t SignHashByPreSign(uint8_t* signature, uint32_t signatureLength,
                                      const DSTU4145CurveHandle* handle, const uint8_t* px,
                                      uint32_t pxLength, const uint8_t* py, uint32_t pyLength,
                                      const uint8_t* hash, uint32_t hashLength, const uint8_t* d,
                                      uint32_t dLength, const uint8_t* e, uint32_t eLength,
                                      const uint8_t* f, uint32_t fLength,
                                      uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&] {
            const Curve& curve = CreatedCurve(handle);
            const Element fe = Field::ElementFromBytes(f, fLength);
            const LongIntegerClass key = IntegerFrom({d, dLength});
            const LongIntegerClass random = IntegerFrom({e, eLength});
            static_cast<void>(PointFrom<Field>({px, pxLength}, {py, pyLength}));
            return SignCore(curve, CreatedOrder(handle), {hash, hashLength}, key, random, fe,
                            signature, signatureLength);
        });
    }

    // PreSignCore, then SignCore with its F_e: byte for byte CreatePreSign followed by
    // SignHashByPreSign.
    static uint32_t SignHash(uint8_t* signature, uint32_t signatureLength,
                             const DSTU4145CurveHandle* handle, const uint8_t* px,
                             uint32_t pxLength, const uint8_t* py, uint32_t pyLength,
                             const uint8_t* hash, uint32_t hashLength, const uint8_t* d,
                             uint32_t dLength, const uint8_t* e, uint32_t eLength,
                             uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&] {
            const Curve& curve = CreatedCurve(handle);
            const LongIntegerClass& order = CreatedOrder(handle);
            const Point p = PointFrom<Field>({px, pxLength}, {py, pyLength});
            const LongIntegerClass random = IntegerFrom({e, eLength});
            Element fe;
            const uint16_t code = PreSignCore(curve, order, p, random, fe);
            if (code != ResultCodeNone) return code;
            return SignCore(curve, order, {hash, hashLength}, IntegerFrom({d, dLength}), random, fe,
                            signature, signatureLength);
        });
    }

    static uint32_t VerifyHash(uint8_t* verified, const DSTU4145CurveHandle* handle,
                               const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                               uint32_t pyLength, const uint8_t* hash, uint32_t hashLength,
                               const uint8_t* signature, uint32_t signatureLength,
                               const uint8_t* qx, uint32_t qxLength, const uint8_t* qy,
                               uint32_t qyLength, uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, verified, [&] {
            const uint16_t code = VerifyCore(
                CreatedCurve(handle), CreatedOrder(handle), {px, pxLength}, {py, pyLength},
                {hash, hashLength}, {signature, signatureLength}, {qx, qxLength}, {qy, qyLength});
            if (code == ResultCodeNone) *verified = 1;
            return code;
        });
    }

  private:
    // The parameters of a created curve of this basis; GeneralExceptionClass for a handle
    // that holds none (uncreated, destroyed, or of the other basis).
    static const Curve& CreatedCurve(const DSTU4145CurveHandle* handle) {
        const Curve* curve = TaggedValue<Curve>(handle->parameters, kCurveKind);
        if (curve == nullptr ||
            TaggedValue<LongIntegerClass>(handle->order, ObjectKind::CurveOrder) == nullptr) {
            throw GeneralExceptionClass();
        }
        return *curve;
    }

    // n of a created curve of this basis; GeneralExceptionClass as CreatedCurve.
    static const LongIntegerClass& CreatedOrder(const DSTU4145CurveHandle* handle) {
        CreatedCurve(handle);
        return *TaggedValue<LongIntegerClass>(handle->order, ObjectKind::CurveOrder);
    }

    static uint16_t WriteElement(const Element& value, uint8_t* out, uint32_t length) {
        if (Field::ElementByteLength(value) > length) return ResultCodeBufferTooSmall;
        Field::ElementToBytes(value, out, length);
        return ResultCodeNone;
    }

    // Both coordinates, or nothing when either does not fit.
    static uint16_t WritePoint(const Point& p, uint8_t* x, uint32_t xLength, uint8_t* y,
                               uint32_t yLength) {
        if (Field::ElementByteLength(p.x) > xLength || Field::ElementByteLength(p.y) > yLength) {
            return ResultCodeBufferTooSmall;
        }
        Field::ElementToBytes(p.x, x, xLength);
        Field::ElementToBytes(p.y, y, yLength);
        return ResultCodeNone;
    }
};

}  // namespace QIRVALE
