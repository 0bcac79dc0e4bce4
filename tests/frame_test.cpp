// The guarded boundary: out-arguments cleared first, result codes mapped to statuses, every
// exception converted, and the heap helpers behind Allocate / Free.
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include <gtest/gtest.h>

#include "frame/boundary.h"
#include "frame/exceptions.h"
#include "frame/memory.h"

namespace {

using QIRVALE::GuardedCount;
using QIRVALE::GuardedStatus;

TEST(Boundary, SuccessClearsAStaleErrorCode) {
    uint16_t code = 1234;
    EXPECT_EQ(GuardedStatus(&code, nullptr, [] { return uint16_t{ResultCodeNone}; }), 0u);
    EXPECT_EQ(code, ResultCodeNone);
}

TEST(Boundary, CodesMapToStatuses) {
    for (uint16_t expected :
         {ResultCodeBadSeed, ResultCodeBufferTooSmall, ResultCodeSignatureOutOfRange,
          ResultCodeRandomTooLong, ResultCodeBadSignatureLength, ResultCodeBadValue}) {
        uint16_t code = 0;
        EXPECT_EQ(GuardedStatus(&code, nullptr, [&] { return expected; }), 1u);
        EXPECT_EQ(code, expected);
    }
    // A rejected signature is a verification that was carried out: status 0.
    uint16_t code = 0;
    EXPECT_EQ(GuardedStatus(&code, nullptr, [] { return uint16_t{ResultCodeSignatureMismatch}; }),
              0u);
    EXPECT_EQ(code, ResultCodeSignatureMismatch);
}

TEST(Boundary, FlagIsClearedBeforeTheBodyRuns) {
    uint8_t flag = 7;
    uint16_t code = 5;
    GuardedStatus(&code, &flag, [&] {
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(code, 0);
        return uint16_t{ResultCodeSignatureMismatch};
    });
    EXPECT_EQ(flag, 0);
}

TEST(Boundary, EveryExceptionBecomesInternalFailure) {
    auto check = [](auto thrower) {
        uint16_t code = 0;
        uint8_t flag = 0;
        EXPECT_EQ(GuardedStatus(&code, &flag,
                                [&]() -> uint16_t {
                                    flag = 1;  // an accepting body that fails afterwards
                                    thrower();
                                    return ResultCodeNone;
                                }),
                  1u);
        EXPECT_EQ(code, ResultCodeInternalFailure);
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(GuardedCount([&]() -> uint32_t {
                      thrower();
                      return 77;
                  }),
                  0u);
    };
    check([] { throw QIRVALE::GeneralExceptionClass(); });
    check([] { throw QIRVALE::IntegerOverflowExceptionClass(); });
    check([] { throw QIRVALE::DivideByZeroExceptionClass(); });
    check([] { throw QIRVALE::OutOfMemoryExceptionClass(); });
    check([] { throw QIRVALE::AssertExceptionClass(); });
    check([] { throw std::bad_alloc(); });
    check([] { throw std::runtime_error("foreign"); });
    check([] { throw 42; });
}

TEST(Boundary, StatusOnlyShapeHasNoErrorCode) {
    EXPECT_EQ(GuardedStatus(nullptr, nullptr, []() -> uint16_t { throw 1; }), 1u);
    EXPECT_EQ(GuardedStatus(nullptr, nullptr, [] { return uint16_t{ResultCodeBadValue}; }), 1u);
    EXPECT_EQ(GuardedCount([] { return uint32_t{163}; }), 163u);
}

TEST(ExceptionClasses, AllDeriveFromTheGeneralClass) {
    EXPECT_TRUE((
        std::is_base_of_v<QIRVALE::GeneralExceptionClass, QIRVALE::IntegerOverflowExceptionClass>));
    EXPECT_TRUE(
        (std::is_base_of_v<QIRVALE::GeneralExceptionClass, QIRVALE::DivideByZeroExceptionClass>));
    EXPECT_TRUE(
        (std::is_base_of_v<QIRVALE::GeneralExceptionClass, QIRVALE::OutOfMemoryExceptionClass>));
    EXPECT_TRUE((std::is_base_of_v<QIRVALE::GeneralExceptionClass, QIRVALE::AssertExceptionClass>));
    EXPECT_TRUE(std::is_empty_v<QIRVALE::AssertExceptionClass>);
    EXPECT_TRUE(std::is_trivially_copyable_v<QIRVALE::OutOfMemoryExceptionClass>);
    EXPECT_FALSE(std::is_polymorphic_v<QIRVALE::GeneralExceptionClass>);
}

TEST(Memory, AllocatedBlocksAreZeroAndWipedOnRelease) {
    auto* block = static_cast<uint8_t*>(QIRVALE::AllocateZeroed(555));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 555; ++i) EXPECT_EQ(block[i], 0);
    std::memset(block, 0x5A, 555);
    QIRVALE::SecureWipe(block, 555);
    for (int i = 0; i < 555; ++i) EXPECT_EQ(block[i], 0);
    QIRVALE::FreeWiped(block, 555);
    QIRVALE::FreeWiped(nullptr, 555);  // ignored
}

}  // namespace
