// DSTU 4145: the exports that make or use private keys, per-signature random numbers and
// pre-signatures run with those secrets marked undefined, on curves 101, 107, 110, 201 and 205:
// any branch or address that depends on them is a memcheck error. The results must equal the
// reference path's on the same, defined, inputs.
#include <cstdint>
#include <vector>

#include "ctime_support.h"
#include "dstu4145_test_helpers.h"

namespace {

using namespace dstutest;

// Every secret-handling export with d, e and F of `a`, marked secret when `secret`; what they
// give, marked defined. The public-key check takes the Q just computed.
std::vector<Outcome> RunExports(Session& s, Args a, bool secret) {
    a.curve = s.curve();
    if (secret) {
        for (Bytes* v : {&a.d, &a.e, &a.fe, &a.random}) ctime_check::Secret(v->data(), v->size());
    }
    std::vector<Outcome> log;
    for (const char* name : {"privkey", "pubkey", "checkpriv", "presign", "signpre", "sign"}) {
        a.outX = name[0] == 's' ? s.SignatureBytes() : s.ElementBytes();
        log.push_back(s.Call(name, a));
        Outcome& o = log.back();
        for (Bytes* v : {&o.x, &o.y}) ctime_check::Public(v->data(), v->size());
        ctime_check::Public(&o.status, sizeof o.status), ctime_check::Public(&o.code, 2);
        if (log.size() == 2) a.qx = o.x, a.qy = o.y;
    }
    return log;
}

void CheckCurve(uint16_t index) {
    Session fast(index, index), reference(index, index);
    UseReferencePath(reference);
    fast.MakeKeys();
    Args a = fast.args;
    // A long and a short random number of each kind: the path must not depend on either.
    for (uint32_t bits : {fast.OrderBits() - 1, 17u}) {
        a.d = a.random = fast.random().NonZeroBits(bits);
        a.e = fast.random().NonZeroBits(fast.OrderBits() - 1);
        a.fe = fast.random().NonZeroBits(fast.record().m);
        const std::vector<Outcome> expected = RunExports(reference, a, false);
        ctime_check::Check(RunExports(fast, a, true) == expected,
                           "fast path against the reference path");
    }
}

}  // namespace

int main() {
    for (uint16_t index : {101, 107, 110, 201, 205}) CheckCurve(index);
    return ctime_check::Finish();
}
