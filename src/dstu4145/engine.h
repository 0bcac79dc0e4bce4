// The fast path of the DSTU 4145 exports: an engine attached to a created curve that computes
// the signature exports on word-sized field elements, in constant time for every secret.
//
// The reference path (protocol.h and curve.h over PBBaseField / ONBBaseField) stays the
// definition of every result. An engine serves only inputs inside its domain, where it gives
// the reference results byte for byte: each method returns false, having written nothing,
// when its inputs lie outside (a string too long to read, a point not on the curve or with
// x = 0, a coordinate of more than m bits, a secret longer than the scalar length), and the
// export then runs the reference path, which raises or answers exactly as before. The choice
// is made on public data, or on one bit computed from a secret that only invalid secrets set;
// that bit is released with QIRVALE_DECLASSIFY where it is computed.
//
// ---- plugging in a basis ----------------------------------------------------------------
// The engine (fixed_engine.h) is written once over a basis policy and a word count W. A
// policy maps the caller's field elements (the bits of their little-endian strings) to
// elements of a polynomial-basis field of the same degree and back; the polynomial basis uses
// the identity, a normal basis the isomorphism to a polynomial-basis field. It provides:
//   uint32_t m, k, j, l;   the polynomial-basis field the engine computes in (t^m + t^k + 1
//                          with j = l = 0, or a pentanomial), k < 64, 2k < m,
//                          m not a multiple of 64;
//   template <unsigned W> void In(const uint64_t* caller, uint64_t* fixed) const;
//   template <unsigned W> void Out(const uint64_t* fixed, uint64_t* caller) const;
//                          W words each, bits below m; linear, constant time (no branch or
//                          address on the bits), In(1) = 1 so the unit element is shared.
// Everything else follows: a caller's coordinate is read as bits (at most m, else the engine
// declines), passed through In, computed on, and passed through Out before it is written or
// read as the integer r. A zero hash becomes the unit: zero caller bits map to zero, so the
// engine tests the caller bits and substitutes One() after In. The packed form and base-point
// exports stay on the reference path. MakeEngine (below) builds the engine of a policy for the
// curve's A, B and n; a family exposes it as the overload of MakeEngineFor for its field type.
#pragma once

#include <cstdint>
#include <memory>

#include "dstu4145/protocol.h"
#include "longint/long_integer.h"

namespace QIRVALE {

class PBBaseField;
class ONBBaseField;

// A caller's output buffer: `length` bytes at `data`.
struct OutputBytes {
    uint8_t* data;
    uint32_t length;
};

class DSTU4145Engine {
  public:
    virtual ~DSTU4145Engine() = default;

    // GeneratePublicKey: Q = -(d P) written as WritePoint does; `code` as the export.
    virtual bool PublicKey(ByteString px, ByteString py, ByteString d, OutputBytes qx,
                           OutputBytes qy, uint16_t& code) const = 0;
    // VerifyPrivateKey: whether -(d P) has exactly the coordinates (qx, qy) as integers.
    virtual bool PrivateKeyMatches(ByteString px, ByteString py, ByteString qx, ByteString qy,
                                   ByteString d, bool& matches) const = 0;
    // CreatePreSign: F_e = x(e P).
    virtual bool PreSign(ByteString px, ByteString py, ByteString e, OutputBytes f,
                         uint16_t& code) const = 0;
    // SignHashByPreSign: the signature from d, e and F_e (P is only read).
    virtual bool SignByPreSign(ByteString px, ByteString py, ByteString hash, ByteString d,
                               ByteString e, ByteString f, OutputBytes signature,
                               uint16_t& code) const = 0;
    // SignHash: CreatePreSign and SignHashByPreSign in one call.
    virtual bool Sign(ByteString px, ByteString py, ByteString hash, ByteString d, ByteString e,
                      OutputBytes signature, uint16_t& code) const = 0;
    // VerifyHash. Every input is public: R = s P + r Q is computed by a variable-time joint
    // multiplication (JointMultiplyVar), and inverses by a variable-time Euclid.
    virtual bool Verify(ByteString px, ByteString py, ByteString hash, ByteString signature,
                        ByteString qx, ByteString qy, uint16_t& code) const = 0;
};

// The engine of a created curve, or null where the field, B or n lie outside its domain (a
// degree above 576 or below 129, a polynomial FixedPBField does not serve, B of more than m bits or
// zero, n zero or longer than m + 64 bits).
std::shared_ptr<const DSTU4145Engine> MakeEngineFor(const PBBaseField& field, bool aIsOne,
                                                    const LongIntegerClass& b,
                                                    const LongIntegerClass& order);
// The engine of a normal-basis curve, which computes in the polynomial basis of the same
// degree through the field isomorphism; null for degrees without one (only the standard
// degrees 173, 179, 191, 233 and 431 have it) and for the curves the polynomial engine refuses.
std::shared_ptr<const DSTU4145Engine> MakeEngineFor(const ONBBaseField& field, bool aIsOne,
                                                    const LongIntegerClass& b,
                                                    const LongIntegerClass& order);

}  // namespace QIRVALE
