// The bodies of the DSTU 4145 family exports, written once over the field type. Each function
// takes the export's own arguments, resolves the handles, runs the steps of protocol.h and
// curve.h inside the guarded boundary (frame/boundary.h) and writes the outputs; the exports
// of pb_exports.cpp and onb_exports.cpp only name the field type. Only field creation differs
// between the bases (PB from its polynomial, ONB from m) and lives with the exports.
//
// Handles. A base-field handle holds a Field*, a curve handle a CurveParameters<Field>* and
// the order n; both are null while not created. An uncreated or destroyed handle is a state a
// caller may legitimately be in, not a wild pointer: status exports given one fail with
// ResultCodeInternalFailure (never ResultCodeBadValue, on which callers draw again and would
// loop), status-only exports return 1, size queries 0. Null handle pointers are the caller's
// contract violation, except in the Free exports.
//
// Created objects are never written after creation: every long integer stored in a curve is
// normalised when the curve is built, so that reading operations leave it untouched, and one
// curve may serve concurrent calls.
#pragma once

#include <cstdint>
#include <memory>

#include "curve/curve.h"
#include "dstu4145/engine.h"
#include "dstu4145/fixed_integers.h"
#include "dstu4145/protocol.h"
#include "frame/boundary.h"
#include "frame/constant_time.h"
#include "frame/exceptions.h"
#include "frame/memory.h"
#include "longint/long_integer.h"
#include "qirvale.h"

namespace QIRVALE {

// Runs a status-only body (returning whether it succeeded): status 0 or 1, and 1 when an
// exception was caught. `flag`, when given, is cleared first; the body sets it.
template <class Body>
uint32_t GuardedSuccess(uint8_t* flag, Body&& body) noexcept {
    return GuardedStatus(nullptr, flag, [&]() -> uint16_t {
        return body() ? ResultCodeNone : ResultCodeInternalFailure;
    });
}

// The order n of a created curve. Raises GeneralExceptionClass for a curve handle that is not
// created (either pointer null), which the boundary reports as ResultCodeInternalFailure.
inline const LongIntegerClass& CreatedOrder(const DSTU4145CurveHandle* handle) {
    if (handle->parameters == nullptr || handle->order == nullptr) throw GeneralExceptionClass();
    return *static_cast<const LongIntegerClass*>(handle->order);
}

// n of a created curve, or null for an uncreated one (for the unguarded size queries).
inline const LongIntegerClass* OrderOrNull(const DSTU4145CurveHandle* handle) {
    if (handle->parameters == nullptr || handle->order == nullptr) return nullptr;
    return static_cast<const LongIntegerClass*>(handle->order);
}

// Writes `value` into `length` bytes (zero-padded) when its significant bytes fit; otherwise
// writes nothing and gives ResultCodeBufferTooSmall.
inline uint16_t WriteInteger(const LongIntegerClass& value, uint8_t* out, uint32_t length) {
    if (value.ByteLength() > length) return ResultCodeBufferTooSmall;
    value.ToBytes(out, length, 0);
    return ResultCodeNone;
}

// CheckPrivateKeyRandom and WriteInteger in constant time, for a scalar of at most
// 32 * kMaxLimbs bits: the random number (the private key) is read into fixed limbs.
inline uint16_t CopyPrivateKey(uint8_t* d, uint32_t dLength, uint32_t bits, ByteString random) {
    const unsigned limbs = bits == 0 ? 1 : (bits + 31) / 32;
    uint32_t v[FixedIntegers::kMaxLimbs];
    uint32_t refusals[2];
    refusals[0] = FixedIntegers::Load(random.data, random.length, v, limbs, bits);
    refusals[1] = FixedIntegers::IsZeroMask(v, limbs);
    uint32_t length = 0;
    for (uint32_t i = 0; i < 4 * limbs; ++i) {
        const uint32_t byte = (v[i / 4] >> (8 * (i % 4))) & 0xFF;
        length = Select(~ZeroMask32(byte), i + 1, length);
    }
    // The refusals end the call and concern a random number that does not become a key; the
    // buffer check depends on the key only for a buffer shorter than bitlen(n) - 1 bits.
    QIRVALE_DECLASSIFY(refusals, sizeof refusals);
    uint16_t code = ResultCodeNone;
    if (refusals[0] != 0) {
        code = ResultCodeRandomTooLong;
    } else if (refusals[1] != 0) {
        code = ResultCodeBadValue;
    } else {
        uint32_t fits = uint32_t(((uint64_t(dLength) - length) >> 63) ^ 1);  // dLength >= length
        QIRVALE_DECLASSIFY(&fits, sizeof fits);
        if (fits == 0) {
            code = ResultCodeBufferTooSmall;
        } else {
            FixedIntegers::Store(v, limbs, d, dLength);
        }
    }
    SecureWipe(v, sizeof v);
    return code;
}

// GeneratePrivateKey of both bases (integers only): the checks of CheckPrivateKeyRandom, then
// the output size (ResultCodeBufferTooSmall); d is the random number itself.
inline uint32_t GeneratePrivateKeyExport(uint8_t* d, uint32_t dLength,
                                         const DSTU4145CurveHandle* curve, const uint8_t* random,
                                         uint32_t randomLength, uint16_t* errorCode) noexcept {
    return GuardedStatus(errorCode, nullptr, [&]() -> uint16_t {
        const LongIntegerClass& order = CreatedOrder(curve);
        const uint32_t bits = ScalarBitCount(order);
        if (randomLength <= LongIntegerMaxBytes && bits <= 32 * FixedIntegers::kMaxLimbs) {
            return CopyPrivateKey(d, dLength, bits, {random, randomLength});
        }
        const LongIntegerClass r = IntegerFrom({random, randomLength});
        const uint16_t code = CheckPrivateKeyRandom(r, order);
        if (code != ResultCodeNone) return code;
        return WriteInteger(r, d, dLength);
    });
}

template <class Field>
class DSTU4145Family {
  public:
    using Element = typename Field::Element;
    using Curve = CurveParameters<Field>;
    using Point = AffinePoint<Field>;

    // ---- fields ------------------------------------------------------------------------

    // Stores the field made by `build` (a std::unique_ptr<Field>, null to refuse) in the
    // handle; the handle is null first and stays null on refusal or an exception.
    template <class Build>
    static uint32_t BaseFieldCreate(DSTU4145BaseFieldHandle* handle, Build&& build) noexcept {
        handle->field = nullptr;
        return GuardedSuccess(nullptr, [&] {
            std::unique_ptr<Field> field = build();
            if (field == nullptr) return false;
            handle->field = field.release();
            return true;
        });
    }

    // Releases the field (its destructor wipes the polynomial or the table); null afterwards.
    static void BaseFieldDestroy(DSTU4145BaseFieldHandle* handle) noexcept {
        delete static_cast<Field*>(handle->field);
        handle->field = nullptr;
    }

    static void BaseFieldFree(DSTU4145BaseFieldHandle* handle) noexcept {
        if (handle == nullptr) return;
        BaseFieldDestroy(handle);
        FreeWiped(handle, sizeof *handle);
    }

    // m of a created field, 0 for an uncreated one.
    static uint32_t FieldDegree(const DSTU4145BaseFieldHandle* handle) noexcept {
        const Field* field = static_cast<const Field*>(handle->field);
        return field == nullptr ? 0 : field->Degree();
    }

    // ---- curves ------------------------------------------------------------------------

    // A curve over the curve's own copy of the field: A (0 or 1, standing for the field's
    // Zero or One), B and n as given (not checked). Status 1, with both pointers null, for
    // another A, an uncreated field, a string of more than 1024 bytes or an allocation
    // failure.
    static uint32_t CurveCreate(DSTU4145CurveHandle* handle, const DSTU4145BaseFieldHandle* field,
                                uint16_t a, const uint8_t* b, uint32_t bLength, const uint8_t* n,
                                uint32_t nLength) noexcept {
        handle->parameters = nullptr;
        handle->order = nullptr;
        return GuardedSuccess(nullptr, [&] {
            if (a > 1) return false;
            const Field* source = static_cast<const Field*>(field->field);
            if (source == nullptr) return false;
            auto parameters =
                std::make_unique<Curve>(*source, a == 1, Field::ElementFromBytes(b, bLength));
            auto order = std::make_unique<LongIntegerClass>(IntegerFrom({n, nLength}));
            order->Normalize();
            parameters->engine = MakeEngineFor(*source, a == 1, parameters->b, *order);
            handle->parameters = parameters.release();
            handle->order = order.release();
            return true;
        });
    }

    // Releases the parameters (A, B and the field copy are wiped) and n; null afterwards.
    static void CurveDestroy(DSTU4145CurveHandle* handle) noexcept {
        delete static_cast<Curve*>(handle->parameters);
        handle->parameters = nullptr;
        delete static_cast<LongIntegerClass*>(handle->order);
        handle->order = nullptr;
    }

    static void CurveFree(DSTU4145CurveHandle* handle) noexcept {
        if (handle == nullptr) return;
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
            uint16_t code = ResultCodeNone;
            if (curve.engine != nullptr &&
                curve.engine->PublicKey({px, pxLength}, {py, pyLength}, {d, dLength},
                                        {qx, qxLength}, {qy, qyLength}, code)) {
                return code;
            }
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
            bool matches = false;
            if (curve.engine != nullptr &&
                curve.engine->PrivateKeyMatches({px, pxLength}, {py, pyLength}, {qx, qxLength},
                                                {qy, qyLength}, {d, dLength}, matches)) {
                if (matches) *valid = 1;
                return true;
            }
            const Point p = PointFrom<Field>({px, pxLength}, {py, pyLength});
            const Element x = Field::ElementFromBytes(qx, qxLength);
            const Element y = Field::ElementFromBytes(qy, qyLength);
            const Point q = PublicKeyOf(curve, p, IntegerFrom({d, dLength}));
            if (q.x == x && q.y == y) *valid = 1;
            return true;
        });
    }

    // ---- signatures --------------------------------------------------------------------

    static uint32_t CreatePreSign(uint8_t* f, uint32_t fLength, const DSTU4145CurveHandle* handle,
                                  const uint8_t* px, uint32_t pxLength, const uint8_t* py,
                                  uint32_t pyLength, const uint8_t* e, uint32_t eLength,
                                  uint16_t* errorCode) noexcept {
        return GuardedStatus(errorCode, nullptr, [&] {
            const Curve& curve = CreatedCurve(handle);
            uint16_t code = ResultCodeNone;
            if (curve.engine != nullptr &&
                curve.engine->PreSign({px, pxLength}, {py, pyLength}, {e, eLength}, {f, fLength},
                                      code)) {
                return code;
            }
            const Point p = PointFrom<Field>({px, pxLength}, {py, pyLength});
            Element fe;
            code = PreSignCore(curve, CreatedOrder(handle), p, IntegerFrom({e, eLength}), fe);
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
            uint16_t code = ResultCodeNone;
            if (curve.engine != nullptr &&
                curve.engine->SignByPreSign({px, pxLength}, {py, pyLength}, {hash, hashLength},
                                            {d, dLength}, {e, eLength}, {f, fLength},
                                            {signature, signatureLength}, code)) {
                return code;
            }
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
            uint16_t code = ResultCodeNone;
            if (curve.engine != nullptr &&
                curve.engine->Sign({px, pxLength}, {py, pyLength}, {hash, hashLength}, {d, dLength},
                                   {e, eLength}, {signature, signatureLength}, code)) {
                return code;
            }
            const Point p = PointFrom<Field>({px, pxLength}, {py, pyLength});
            const LongIntegerClass random = IntegerFrom({e, eLength});
            Element fe;
            code = PreSignCore(curve, order, p, random, fe);
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
            const Curve& curve = CreatedCurve(handle);
            uint16_t code = ResultCodeNone;
            if (curve.engine == nullptr ||
                !curve.engine->Verify({px, pxLength}, {py, pyLength}, {hash, hashLength},
                                      {signature, signatureLength}, {qx, qxLength}, {qy, qyLength},
                                      code)) {
                code = VerifyCore(curve, CreatedOrder(handle), {px, pxLength}, {py, pyLength},
                                  {hash, hashLength}, {signature, signatureLength}, {qx, qxLength},
                                  {qy, qyLength});
            }
            if (code == ResultCodeNone) *verified = 1;
            return code;
        });
    }

    // Detaches the fast path from a created curve: its exports then run the reference path
    // alone (for tests and benchmarks that compare the two). Not for curves in use by other
    // threads.
    static void UseReferencePath(DSTU4145CurveHandle* handle) {
        static_cast<Curve*>(handle->parameters)->engine.reset();
    }

  private:
    // The parameters of a created curve; GeneralExceptionClass for an uncreated handle.
    static const Curve& CreatedCurve(const DSTU4145CurveHandle* handle) {
        CreatedOrder(handle);
        return *static_cast<const Curve*>(handle->parameters);
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
