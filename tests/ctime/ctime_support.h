// Secrets are marked undefined for valgrind memcheck before they reach the library, results
// defined again before they are compared (a comparison is a branch); Check() counts failures.
#pragma once

#include <valgrind/memcheck.h>

#include <cstdio>
#include <cstdlib>

namespace ctime_check {

inline int failures = 0;

inline void Secret(const void* data, std::size_t size) {
    VALGRIND_MAKE_MEM_UNDEFINED(data, size);
}

inline void Public(const void* data, std::size_t size) {
    VALGRIND_MAKE_MEM_DEFINED(data, size);
}

inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "ctime: wrong result: %s\n", what);
    ++failures;
}

inline int Finish() {
    if (RUNNING_ON_VALGRIND == 0) std::fprintf(stderr, "ctime: not running under valgrind\n");
    return failures == 0 && RUNNING_ON_VALGRIND != 0 ? 0 : 1;
}

}  // namespace ctime_check
