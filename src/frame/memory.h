// Heap blocks handed to callers (state headers and handles), and wiping of secrets.
#pragma once

#include <cstddef>

namespace QIRVALE {

// Overwrites `size` bytes with zero in a way the compiler may not elide.
void SecureWipe(void* block, std::size_t size) noexcept;

// Overwrites `size` bytes of the stack below the caller's frame: the scratch left there by the
// functions it called (field temporaries computed from secrets). Call it after the secret work
// of an export, from the function that called that work.
void WipeStack(std::size_t size) noexcept;

// A zero-filled block of `size` bytes from the process heap, or null when there is no room.
void* AllocateZeroed(std::size_t size) noexcept;

// Wipes `size` bytes of `block`, then releases it. Null is ignored.
void FreeWiped(void* block, std::size_t size) noexcept;

// A zero-filled caller-visible block of type T (a state header or handle), or null.
template <class T>
T* AllocateBlock() noexcept {
    return static_cast<T*>(AllocateZeroed(sizeof(T)));
}

}  // namespace QIRVALE
