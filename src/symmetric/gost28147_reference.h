// GOST 28147-89 written the plain way: one round at a time, the round key taken from the
// key-order table, the substitution as eight lookups ORed in order.
//
// This is the definition the fast paths of gost28147.h (one block, many blocks, the hash's
// four-key encryption) must reproduce bit for bit, on any header contents; the tests hold
// them against each other and the benchmarks measure the gain.
#pragma once

#include <cstdint>

#include "qirvale.h"

namespace QIRVALE {
namespace GOST28147Reference {

// One 8-byte block in the mode stored in `state`, as one Action call does it. `output` may
// equal `input`.
void Action(GOST28147CipherStateHeader& state, uint8_t* output, const uint8_t* input) noexcept;

}  // namespace GOST28147Reference
}  // namespace QIRVALE
