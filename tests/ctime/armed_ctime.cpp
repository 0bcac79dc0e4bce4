// Must fail: a branch on a value marked secret is reported by memcheck, which proves that the
// constant-time programs would catch one inside the library.
#include <cstdint>

#include "ctime_support.h"

int main() {
    volatile uint8_t storage = 1;
    uint8_t secret = storage;
    ctime_check::Secret(&secret, sizeof secret);
    int branches = 0;
    if (secret != 0) ++branches;  // the deliberate secret-dependent branch
    ctime_check::Public(&branches, sizeof branches);
    return branches == 1 ? 0 : 1;
}
