// The GOST 34.311-95 step function written the plain way: byte-wise key generation, four
// encryptions on fresh cipher states with the plain cipher (gost28147_reference.h), and the
// mixing psi^61(H ^ psi(M ^ psi^12(S))) as literal shifts of the sixteen-word register.
//
// This is the definition the fast step of gost34311.cpp must reproduce bit for bit; the
// tests hold the two against each other and the benchmarks measure the gain.
#pragma once

#include <cstdint>

namespace QIRVALE {
namespace GOST34311Reference {

// H <- chi(M, H) under the 128-byte S-box. `m` must not overlap `h`.
void Step(const uint8_t* sBox, uint8_t* h, const uint8_t* m) noexcept;

}  // namespace GOST34311Reference
}  // namespace QIRVALE
