// GOST 34.310-95 keys, signing and verification over a prime field.
//
// Domain parameters p, q, a, keys x and y = a^x mod p, hash H and per-signature random k are
// LongIntegerClass values read from the caller's little-endian strings. None of p, q and a is
// checked: wrong parameters give wrong keys and signatures, not errors. The signature is 64
// bytes: s (32 bytes, little-endian) then r (32 bytes). Each function returns a result code
// and writes its outputs only when every check has passed.
#pragma once

#include <cstdint>

#include "longint/long_integer.h"

namespace QIRVALE {
namespace GOST34310 {

constexpr uint32_t SignatureHalfSize = 32;
// q of more bits than this gives r and s that a signature half cannot hold.
constexpr uint32_t MaxOrderBits = 8 * SignatureHalfSize;

// The caller's random number becomes the private key x when 0 < x < q (else
// ResultCodeBadValue, or ResultCodeInternalFailure for q <= 1, where no such x exists); it is
// neither reduced nor masked.
uint16_t GeneratePrivateKey(uint8_t* x, uint32_t xLength, const LongIntegerClass& q,
                            const LongIntegerClass& random);

// y = a^x mod p (x = 0 gives 1, x = 1 gives a unreduced).
uint16_t GeneratePublicKey(uint8_t* y, uint32_t yLength, const LongIntegerClass& p,
                           const LongIntegerClass& a, const LongIntegerClass& x);

// r = (a^k mod p) mod q, s = (x r + k H) mod q, H taken as 1 when H mod q = 0. Checks, in
// order: q of at most MaxOrderBits bits (else ResultCodeInternalFailure), 0 < k < q, r != 0,
// s != 0, each failure ResultCodeBadValue, on which the caller supplies another k. Where no
// k can succeed, ResultCodeInternalFailure replaces that code: q <= 1 (no k in range), q = 2
// (its one k failed), a = 0 (mod p) (r = 0 for every k). Other parameters on which every k
// fails (a of order 1, p or q not prime) are not detected.
uint16_t SignHash(uint8_t* signature, const LongIntegerClass& p, const LongIntegerClass& q,
                  const LongIntegerClass& a, const LongIntegerClass& hash,
                  const LongIntegerClass& x, const LongIntegerClass& k);

// Accepts (sets *verified = 1, returns ResultCodeNone) when
// (a^(s/H) * y^(-r/H) mod p) mod q = r, the divisions taken modulo the prime q; returns
// ResultCodeSignatureMismatch when not, ResultCodeSignatureOutOfRange when r or s is outside
// 0 < value < q (checked in the order r > 0, r < q, s > 0, s < q).
uint16_t VerifyHash(uint8_t* verified, const LongIntegerClass& p, const LongIntegerClass& q,
                    const LongIntegerClass& a, const LongIntegerClass& hash,
                    const uint8_t* signature, const LongIntegerClass& y);

}  // namespace GOST34310
}  // namespace QIRVALE
