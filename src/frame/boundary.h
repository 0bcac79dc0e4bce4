// The guarded boundary between the exported C functions and the C++ inside.
//
// Every export that computes with long integers, fields or curves runs its body through one
// of the helpers below. They clear the caller's out-arguments before anything else, run the
// body inside a catch-all region and turn any exception into the documented failure result.
// No export writes its own try/catch, and no exception ever leaves the library.
#pragma once

#include <cstdint>

#include "qirvale.h"

namespace QIRVALE {

// The status an export returns for a result code: a rejected signature is a successful
// verification (status 0) that says no; every other non-zero code is a failure.
constexpr uint32_t StatusOf(uint16_t code) {
    return (code == ResultCodeNone || code == ResultCodeSignatureMismatch) ? 0u : 1u;
}

// Runs `body` (returning a result code) for a status export.
//   errorCode: written with 0 first and with the final code last; null for the status-only
//              shape, which reports nothing but the status.
//   flag:      the one-byte `valid` / `verified` out-argument, cleared first; null if none.
//              The body sets it to 1 itself when it accepts.
// An exception becomes status 1 with ResultCodeInternalFailure; the flag stays 0.
template <class Body>
uint32_t GuardedStatus(uint16_t* errorCode, uint8_t* flag, Body&& body) noexcept {
    if (errorCode != nullptr) *errorCode = ResultCodeNone;
    if (flag != nullptr) *flag = 0;
    uint16_t code;
    try {
        code = body();
    } catch (...) {
        if (flag != nullptr) *flag = 0;
        code = ResultCodeInternalFailure;
    }
    if (errorCode != nullptr) *errorCode = code;
    return StatusOf(code);
}

// Runs `body` (returning a count) for a guarded size query: an exception gives 0.
template <class Body>
uint32_t GuardedCount(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return 0;
    }
}

}  // namespace QIRVALE
