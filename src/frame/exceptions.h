// Exception classes that carry failures inside the library.
//
// Every class is empty and thrown by value; only its type carries information. All derive
// from GeneralExceptionClass, so the catch-all handlers of the boundary (boundary.h) see every
// library failure. No code inside the library catches a named class.
#pragma once

#include <type_traits>

namespace QIRVALE {

// Common base. Thrown by itself when a packed point has no second coordinate.
class GeneralExceptionClass {};

// A LongIntegerClass result is not representable: a negative difference, or a conversion
// to 32 bits of a value with more than 4 significant bytes.
class IntegerOverflowExceptionClass : public GeneralExceptionClass {};

// Integer division or remainder by zero; polynomial division by the zero polynomial.
class DivideByZeroExceptionClass : public GeneralExceptionClass {};

// A LongIntegerClass would need more than 512 digits; a heap allocation failed.
class OutOfMemoryExceptionClass : public GeneralExceptionClass {};

// An internal consistency check of normal-basis field or curve arithmetic failed.
class AssertExceptionClass : public GeneralExceptionClass {};

// The boundary's handlers rely on these: every class is an empty GeneralExceptionClass.
static_assert(std::is_base_of_v<GeneralExceptionClass, IntegerOverflowExceptionClass> &&
              std::is_base_of_v<GeneralExceptionClass, DivideByZeroExceptionClass> &&
              std::is_base_of_v<GeneralExceptionClass, OutOfMemoryExceptionClass> &&
              std::is_base_of_v<GeneralExceptionClass, AssertExceptionClass>);
static_assert(std::is_empty_v<AssertExceptionClass> &&
              !std::is_polymorphic_v<GeneralExceptionClass> &&
              std::is_trivially_copyable_v<OutOfMemoryExceptionClass>);

}  // namespace QIRVALE
