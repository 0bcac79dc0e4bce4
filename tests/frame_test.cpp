// The guarded boundary: out-arguments cleared before the body runs, a rejected signature is
// status 0, and every exception becomes the internal failure with the flag left cleared.
#include <cstdint>
#include <new>
#include <stdexcept>

#include <gtest/gtest.h>

#include "frame/boundary.h"
#include "frame/exceptions.h"

namespace {

using QIRVALE::GuardedCount;
using QIRVALE::GuardedStatus;

TEST(Boundary, OutArgumentsCodesAndExceptions) {
    uint16_t code = 1234;
    uint8_t flag = 7;
    const auto mismatch = [&] {
        EXPECT_TRUE(code == 0 && flag == 0);  // cleared before the body runs
        return uint16_t{ResultCodeSignatureMismatch};
    };
    EXPECT_EQ(GuardedStatus(&code, &flag, mismatch), 0u);
    EXPECT_EQ(code, ResultCodeSignatureMismatch);
    EXPECT_EQ(GuardedStatus(&code, nullptr, [] { return uint16_t{ResultCodeBadValue}; }), 1u);
    EXPECT_EQ(code, ResultCodeBadValue);
    EXPECT_EQ(GuardedStatus(nullptr, nullptr, [] { return uint16_t{ResultCodeNone}; }), 0u);
    EXPECT_EQ(GuardedCount([] { return uint32_t{163}; }), 163u);

    // Every exception becomes the internal failure; the flag an accepting body set is cleared.
    const auto check = [](auto thrower) {
        uint16_t code = 0;
        uint8_t flag = 0;
        const auto body = [&]() -> uint16_t {
            flag = 1;
            thrower();
            return ResultCodeNone;
        };
        EXPECT_EQ(GuardedStatus(&code, &flag, body), 1u);
        EXPECT_EQ(code, ResultCodeInternalFailure);
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(GuardedStatus(nullptr, nullptr, body), 1u);
        EXPECT_EQ(GuardedCount([&] { return body() + 77u; }), 0u);
    };
    check([] { throw QIRVALE::AssertExceptionClass(); });
    check([] { throw std::bad_alloc(); });
    check([] { throw 42; });
}

}  // namespace
