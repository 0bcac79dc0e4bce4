// Shared pieces of the fuzz targets: a reader that turns the fuzzer's bytes into arguments,
// input strings in exactly sized heap blocks, output buffers fenced with guard bytes, the
// result-convention checks, and the time bound on each call.
//
// Every finding ends the process through Finding(), which prints what went wrong and aborts,
// so libFuzzer keeps the input that caused it as a crash artifact.
#pragma once

#include <chrono>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <utility>

#include "qirvale.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QIRVALE_FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QIRVALE_FUZZ_ASAN 1
#endif
#if QIRVALE_FUZZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace qirvale_fuzz {

[[noreturn]] inline void Finding(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("\n*** FINDING: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputs("\n", stderr);
    va_end(args);
    std::abort();
}

// A caller string: exactly `size` bytes on the heap, so that AddressSanitizer reports any read
// past its end (a zero-length string is a valid pointer to no bytes).
class InputBytes {
  public:
    // `size` zero bytes.
    explicit InputBytes(std::size_t size = 0) : size_(size), storage_(new uint8_t[size]()) {}
    InputBytes(const uint8_t* bytes, std::size_t size) : InputBytes(size) {
        if (size != 0) std::memcpy(storage_.get(), bytes, size);
    }
    const uint8_t* data() const { return storage_.get(); }
    uint8_t* data() { return storage_.get(); }
    uint32_t size() const { return uint32_t(size_); }

  private:
    std::size_t size_;
    std::unique_ptr<uint8_t[]> storage_;
};

// Reads arguments from the front of the fuzzer's bytes. Past the end every integer reads as
// zero and every string as empty, so any input decodes to some call sequence.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return position_ >= size_; }
    std::size_t Remaining() const { return Empty() ? 0 : size_ - position_; }

    uint8_t U8() { return position_ < size_ ? data_[position_++] : 0; }
    uint16_t U16() {
        const uint16_t low = U8();
        return uint16_t(low | U8() << 8);
    }
    uint32_t U32() {
        const uint32_t low = U16();
        return low | uint32_t(U16()) << 16;
    }
    bool Bool() { return (U8() & 1) != 0; }
    // A value in [low, high], read from as few bytes as the range needs.
    uint32_t Range(uint32_t low, uint32_t high) {
        const uint32_t span = high - low;
        const uint32_t raw = span < 0x100 ? U8() : span < 0x10000 ? U16() : U32();
        return span == 0xFFFFFFFFu ? raw : low + raw % (span + 1);
    }
    // A string whose length (two bytes) is reduced to at most maxLength; fewer bytes when the
    // input runs out.
    InputBytes Bytes(std::size_t maxLength) { return Take(Range(0, uint32_t(maxLength))); }
    // A string of exactly `length` bytes, zero-filled past the end of the input.
    InputBytes Fixed(std::size_t length) {
        InputBytes bytes = Take(length);
        if (bytes.size() == length) return bytes;
        InputBytes padded(length);
        if (bytes.size() != 0) std::memcpy(padded.data(), bytes.data(), bytes.size());
        return padded;
    }

  private:
    InputBytes Take(std::size_t length) {
        const std::size_t count = length < Remaining() ? length : Remaining();
        InputBytes bytes(data_ + position_, count);
        position_ += count;
        return bytes;
    }

    const uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// An output buffer (or a caller-memory state header) between two runs of guard bytes. Under
// AddressSanitizer the guards are poisoned, so a stray write is reported where it happens;
// Check() compares them after every call in any build.
class GuardedOutput {
  public:
    explicit GuardedOutput(std::size_t size, uint8_t fill = 0xA5)
        : size_(size), fill_(fill), storage_(new uint8_t[size + 2 * kGuard]) {
        std::memset(storage_.get(), kGuardByte, size + 2 * kGuard);
        std::memset(data(), fill, size);
        Poison(true);
    }
    ~GuardedOutput() { Poison(false); }
    GuardedOutput(const GuardedOutput&) = delete;
    GuardedOutput& operator=(const GuardedOutput&) = delete;

    uint8_t* data() { return storage_.get() + kGuard; }
    const uint8_t* data() const { return storage_.get() + kGuard; }
    uint32_t size() const { return uint32_t(size_); }
    template <class T>
    T* As() {
        return reinterpret_cast<T*>(data());
    }

    // True while the buffer still holds nothing but its fill byte.
    bool Untouched() const {
        for (std::size_t i = 0; i < size_; ++i) {
            if (data()[i] != fill_) return false;
        }
        return true;
    }

    void Check(const char* call) const {
        Poison(false);
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (storage_[i] != kGuardByte) {
                Finding("%s wrote %zu bytes before a %zu-byte buffer", call, kGuard - i, size_);
            }
            if (storage_[kGuard + size_ + i] != kGuardByte) {
                Finding("%s wrote past the end of a %zu-byte buffer (offset %zu)", call, size_,
                        size_ + i);
            }
        }
        Poison(true);
    }

  private:
    void Poison(bool on) const {
#if QIRVALE_FUZZ_ASAN
        uint8_t* base = storage_.get();
        if (on) {
            ASAN_POISON_MEMORY_REGION(base, kGuard);
            ASAN_POISON_MEMORY_REGION(base + kGuard + size_, kGuard);
        } else {
            ASAN_UNPOISON_MEMORY_REGION(base, kGuard);
            ASAN_UNPOISON_MEMORY_REGION(base + kGuard + size_, kGuard);
        }
#else
        (void)on;
#endif
    }

    static constexpr std::size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xCD;
    std::size_t size_;
    uint8_t fill_;
    std::unique_ptr<uint8_t[]> storage_;
};

// With QIRVALE_FUZZ_TRACE set in the environment, every call and result is printed: for
// replaying one input (`target input-file`) to see what it does.
inline bool Tracing() {
    static const bool tracing = std::getenv("QIRVALE_FUZZ_TRACE") != nullptr;
    return tracing;
}

// Runs one export call, then checks the guards of the given outputs and the time it took.
// A call over `boundSeconds` is a finding: with the sizes a target feeds, every legitimate
// call finishes far below its bound.
class Caller {
  public:
    explicit Caller(double boundSeconds) : bound_(boundSeconds) {}

    template <class Call, class... Outputs>
    auto operator()(const char* name, Call&& call, const Outputs&... outputs) {
        const auto start = std::chrono::steady_clock::now();
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            Finish(name, start, outputs...);
        } else {
            auto result = call();
            Finish(name, start, outputs...);
            return result;
        }
    }

  private:
    template <class... Outputs>
    void Finish(const char* name, std::chrono::steady_clock::time_point start,
                const Outputs&... outputs) const {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        (outputs.Check(name), ...);
        if (Tracing()) std::fprintf(stderr, "  %s: %.6f s\n", name, seconds);
        if (seconds > bound_) {
            Finding("%s took %.3f s, over the bound of %.3f s", name, seconds, bound_);
        }
    }

    double bound_;
};

// The result convention of a status export with error code: status 0 or 1, a code from
// `allowed` (ResultCodeNone and ResultCodeInternalFailure are always allowed), status 0
// exactly for ResultCodeNone and ResultCodeSignatureMismatch.
inline void CheckStatus(const char* call, uint32_t status, uint16_t code,
                        std::initializer_list<uint16_t> allowed) {
    if (Tracing()) std::fprintf(stderr, "  %s -> status %u, code %u\n", call, status, code);
    bool known = code == ResultCodeNone || code == ResultCodeInternalFailure;
    for (uint16_t value : allowed) known = known || code == value;
    if (!known) Finding("%s returned the unexpected code %u (status %u)", call, code, status);
    const uint32_t expected =
        (code == ResultCodeNone || code == ResultCodeSignatureMismatch) ? 0u : 1u;
    if (status != expected) Finding("%s returned status %u with code %u", call, status, code);
}

// ---- little-endian numbers, read independently of the library --------------------------

inline uint32_t BitLength(const uint8_t* bytes, std::size_t size) {
    while (size > 0 && bytes[size - 1] == 0) --size;
    if (size == 0) return 0;
    uint32_t bits = uint32_t(8 * (size - 1));
    for (uint8_t top = bytes[size - 1]; top != 0; top >>= 1) ++bits;
    return bits;
}
inline uint32_t ByteLength(const uint8_t* bytes, std::size_t size) {
    return (BitLength(bytes, size) + 7) / 8;
}
inline bool IsZero(const uint8_t* bytes, std::size_t size) {
    return BitLength(bytes, size) == 0;
}
// -1, 0 or 1 as the number a is below, equal to or above b.
inline int Compare(const uint8_t* a, std::size_t aSize, const uint8_t* b, std::size_t bSize) {
    for (std::size_t i = aSize > bSize ? aSize : bSize; i-- > 0;) {
        const uint8_t x = i < aSize ? a[i] : 0;
        const uint8_t y = i < bSize ? b[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}
// True when `output` holds `value` zero-padded to its whole length.
inline bool HoldsNumber(const uint8_t* output, std::size_t outputSize, const uint8_t* value,
                        std::size_t valueSize) {
    return outputSize >= ByteLength(value, valueSize) &&
           Compare(output, outputSize, value, valueSize) == 0;
}

// A one-byte `valid` / `verified` flag is 0 or 1, and 1 only on success.
inline void CheckFlag(const char* call, uint8_t flag, uint32_t status, uint16_t code) {
    if (flag > 1) Finding("%s set its flag to %u", call, flag);
    if (flag == 1 && (status != 0 || code != ResultCodeNone)) {
        Finding("%s accepted with status %u and code %u", call, status, code);
    }
}

}  // namespace qirvale_fuzz
