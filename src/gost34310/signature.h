// GOST 34.310-95 keys, signing and verification over a prime field.
//
// Domain parameters p, q and a, the public key y and the hash H are LongIntegerClass values
// read from the caller's little-endian strings. The secrets, private key x and per-signature
// random number k, stay the caller's byte strings: they never enter LongIntegerClass, whose
// normalisation and comparisons take time that depends on the value. None of p, q and a is
// checked: wrong parameters give wrong keys and signatures, not errors. The signature is 64
// bytes: s (32 bytes, little-endian) then r (32 bytes). Each function returns a result code
// and writes its outputs only when every check has passed.
//
// Two implementations give the same results and codes for every input:
//  - the fixed-width path (longint/fixed_width.h), for the parameters the standard's
//    procedures produce: p odd, 3 <= p < 2^4080, a < p, and for signing and verification q odd
//    and q >= 3, and H of at most 510 bytes (once H mod q = 0 is replaced by 1); for signing
//    also x of at most 510 bytes. Public key generation and signing run there in time
//    independent of x and k: the exponentiation a^k runs a fixed number of windows set by the
//    bit length of q (a^x: by the length of x's string), and s is computed modulo q by
//    Montgomery multiplication. Verification runs one double exponentiation.
//  - the literal algorithms (namespace Literal): LongIntegerClass arithmetic step by step, for
//    every other input (even or tiny p, a >= p, even q, longer strings). The choice depends on
//    public data only (p, q, a, H and the lengths of the strings of x and k); on the literal
//    path the time depends on x and k.
#pragma once

#include <cstdint>

#include "longint/long_integer.h"

namespace QIRVALE {
namespace GOST34310 {

constexpr uint32_t SignatureHalfSize = 32;
// q of more bits than this gives r and s that a signature half cannot hold.
constexpr uint32_t MaxOrderBits = 8 * SignatureHalfSize;

// The caller's random number, the little-endian string random[0 .. randomLength), becomes
// the private key x when 0 < x < q (else ResultCodeBadValue, or ResultCodeInternalFailure for
// q <= 1, where no such x exists); it is neither reduced nor masked. The checks take the same
// time for every random number of a given length.
uint16_t GeneratePrivateKey(uint8_t* x, uint32_t xLength, const LongIntegerClass& q,
                            const uint8_t* random, uint32_t randomLength);

// y = a^x mod p (x = 0 gives 1, x = 1 gives a unreduced), x the little-endian string
// x[0 .. xLength). A string above 1024 bytes raises OutOfMemoryExceptionClass.
uint16_t GeneratePublicKey(uint8_t* y, uint32_t yLength, const LongIntegerClass& p,
                           const LongIntegerClass& a, const uint8_t* x, uint32_t xLength);

// r = (a^k mod p) mod q, s = (x r + k H) mod q, H taken as 1 when H mod q = 0; x and k are
// little-endian strings (above 1024 bytes: OutOfMemoryExceptionClass, before any check).
// Checks, in order: q of at most MaxOrderBits bits (else ResultCodeInternalFailure),
// 0 < k < q, r != 0, s != 0, each failure ResultCodeBadValue, on which the caller supplies
// another k. Where no k can succeed, ResultCodeInternalFailure replaces that code: q <= 1 (no
// k in range), q = 2 (its one k failed), a = 0 (mod p) (r = 0 for every k). Other parameters
// on which every k fails (a of order 1, p or q not prime) are not detected.
uint16_t SignHash(uint8_t* signature, const LongIntegerClass& p, const LongIntegerClass& q,
                  const LongIntegerClass& a, const LongIntegerClass& hash, const uint8_t* x,
                  uint32_t xLength, const uint8_t* k, uint32_t kLength);

// Accepts (sets *verified = 1, returns ResultCodeNone) when
// (a^(s/H) * y^(-r/H) mod p) mod q = r, the divisions taken modulo the prime q; returns
// ResultCodeSignatureMismatch when not. Refusals, in order: ResultCodeSignatureOutOfRange when
// r or s is outside 0 < value < q (checked in the order r > 0, r < q, s > 0, s < q);
// ResultCodeBadValue for a public key y outside 2 .. p - 2 (y = 1 would accept a forged
// signature for any message, y = 0 and y = p - 1 nearly as easily). That y lies in the
// subgroup of order q (y^q mod p = 1) is not checked: a caller that takes keys from untrusted
// sources checks it once per key.
uint16_t VerifyHash(uint8_t* verified, const LongIntegerClass& p, const LongIntegerClass& q,
                    const LongIntegerClass& a, const LongIntegerClass& hash,
                    const uint8_t* signature, const LongIntegerClass& y);

// The literal algorithms, with the same checks, results and codes as the functions above (x
// and k as numbers). The functions above use them for inputs outside the fixed-width path;
// the tests hold the two paths against each other and the benchmarks measure the difference.
namespace Literal {

uint16_t GeneratePublicKey(uint8_t* y, uint32_t yLength, const LongIntegerClass& p,
                           const LongIntegerClass& a, const LongIntegerClass& x);
uint16_t SignHash(uint8_t* signature, const LongIntegerClass& p, const LongIntegerClass& q,
                  const LongIntegerClass& a, const LongIntegerClass& hash,
                  const LongIntegerClass& x, const LongIntegerClass& k);
uint16_t VerifyHash(uint8_t* verified, const LongIntegerClass& p, const LongIntegerClass& q,
                    const LongIntegerClass& a, const LongIntegerClass& hash,
                    const uint8_t* signature, const LongIntegerClass& y);

}  // namespace Literal

}  // namespace GOST34310
}  // namespace QIRVALE
