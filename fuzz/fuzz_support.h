// The driver core of the fuzz targets: input decoding, guarded caller memory, one Caller that
// runs any export and checks guards, time bound and result convention, and Drive, which runs
// a target's table of operations. fuzz/README.md describes the design.
#pragma once

#include <sanitizer/asan_interface.h>  // no-op macros without AddressSanitizer
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

#include "longint/long_integer.h"
#include "qirvale.h"

namespace qirvale_fuzz {

// A finding unless `ok`.
inline void Require(bool ok, const char* format, ...) {
    if (ok) return;
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
    explicit InputBytes(std::size_t size = 0) : size_(size), bytes_(new uint8_t[size]()) {}
    InputBytes(const uint8_t* bytes, std::size_t size) : InputBytes(size) {
        if (size != 0) std::memcpy(data(), bytes, size);
    }
    template <class Bytes>  // a copy of a buffer or vector
    explicit InputBytes(const Bytes& bytes) : InputBytes(bytes.data(), bytes.size()) {}
    const uint8_t* data() const { return bytes_.get(); }
    uint8_t* data() { return bytes_.get(); }
    uint32_t size() const { return uint32_t(size_); }

  private:
    std::size_t size_;
    std::unique_ptr<uint8_t[]> bytes_;
};

// Reads arguments from the front of the fuzzer's bytes, integers little-endian. Past the end
// every integer reads as zero and every string as empty, so any input decodes to some calls.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return position_ >= size_; }
    uint8_t U8() { return position_ < size_ ? data_[position_++] : 0; }
    uint16_t U16() { return uint16_t(U8() | U8() << 8); }
    uint32_t U32() { return U16() | uint32_t(U16()) << 16; }
    bool Bool() { return (U8() & 1) != 0; }
    // A value in [low, high], read from as few bytes as the range needs.
    uint32_t Range(uint32_t low, uint32_t high) {
        const uint32_t span = high - low;
        const uint32_t raw = span < 0x100 ? U8() : span < 0x10000 ? U16() : U32();
        return span == 0xFFFFFFFFu ? raw : low + raw % (span + 1);
    }
    // A string of a length read by Range(0, maxLength); shorter when the input runs out.
    InputBytes Bytes(std::size_t maxLength) { return Take(Range(0, uint32_t(maxLength))); }
    // A string of exactly `length` bytes, zero-filled past the end of the input.
    InputBytes Fixed(std::size_t length) {
        const InputBytes bytes = Take(length);
        InputBytes padded(length);
        std::copy(bytes.data(), bytes.data() + bytes.size(), padded.data());
        return padded;
    }

  private:
    InputBytes Take(std::size_t length) {
        const std::size_t count = Empty() ? 0 : std::min(length, size_ - position_);
        position_ += count;
        return InputBytes(data_ + position_ - count, count);
    }
    const uint8_t* data_;
    std::size_t size_, position_ = 0;
};

// An output buffer (or a caller-memory handle or header) between two runs of guard bytes,
// poisoned under AddressSanitizer so that a stray write is reported where it happens.
class GuardedOutput {
  public:
    explicit GuardedOutput(std::size_t size, uint8_t fill = 0xA5)
        : size_(size), fill_(fill), bytes_(new uint8_t[size + 2 * kGuard]) {
        std::memset(bytes_.get(), kGuardByte, size + 2 * kGuard);
        std::memset(data(), fill, size);
        Poison(true);
    }
    ~GuardedOutput() { Poison(false); }
    uint8_t* data() { return bytes_.get() + kGuard; }
    const uint8_t* data() const { return bytes_.get() + kGuard; }
    uint32_t size() const { return uint32_t(size_); }
    template <class T>
    T* As() {
        return reinterpret_cast<T*>(data());
    }
    auto Pass() { return std::make_tuple(data(), size()); }
    const GuardedOutput* Guard() const { return this; }
    bool Kept() const { return Untouched(); }
    // True while the buffer holds nothing but its fill byte.
    bool Untouched() const {
        return std::all_of(data(), data() + size_, [&](uint8_t b) { return b == fill_; });
    }
    void Check(const char* call) const {
        Poison(false);
        for (std::size_t i = 0; i < kGuard; ++i) {
            Require(bytes_[i] == kGuardByte && bytes_[kGuard + size_ + i] == kGuardByte,
                    "%s wrote outside a %zu-byte buffer", call, size_);
        }
        Poison(true);
    }

  private:
    void Poison(bool on) const {
        for (uint8_t* guard : {bytes_.get(), bytes_.get() + kGuard + size_}) {
            on ? ASAN_POISON_MEMORY_REGION(guard, kGuard)
               : ASAN_UNPOISON_MEMORY_REGION(guard, kGuard);
        }
    }
    static constexpr std::size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xCD;
    std::size_t size_;
    uint8_t fill_;
    std::unique_ptr<uint8_t[]> bytes_;
};

// Export arguments: strings and buffers pass as (pointer, length), At as a pointer alone (a
// flag, block, handle or header), Watch as nothing (a buffer reached by a raw pointer: only its
// guards are checked), anything else as it is. Kept(): what a failing call must not change.
template <class T = uint8_t>
struct At {
    GuardedOutput& out;
    auto Pass() const { return std::make_tuple(out.template As<T>()); }
    const GuardedOutput* Guard() const { return &out; }
    bool Kept() const { return !std::is_same_v<T, uint8_t> || out.Untouched(); }
};
struct Watch {
    const GuardedOutput& out;
    auto Pass() const { return std::tuple<>(); }
    const GuardedOutput* Guard() const { return &out; }
    bool Kept() const { return true; }
};
template <class T>
auto Pass(T& arg) {
    if constexpr (std::is_scalar_v<std::decay_t<T>>) {
        return std::make_tuple(arg);
    } else if constexpr (std::is_same_v<std::decay_t<T>, InputBytes>) {
        return std::make_tuple(arg.data(), arg.size());
    } else {
        return arg.Pass();
    }
}
template <class T>
const GuardedOutput* Guard(const T& arg) {
    if constexpr (std::is_scalar_v<T> || std::is_same_v<T, InputBytes>)
        return nullptr;
    else
        return arg.Guard();
}
// Strings beyond the library's capacity of 1024 bytes are refused before any work.
constexpr uint32_t kCapacity = 1024;
inline bool Oversized(std::initializer_list<const InputBytes*> strings) {
    for (const InputBytes* s : strings) {
        if (s->size() > kCapacity) return true;
    }
    return false;
}
template <class T>
bool Beyond(const T& arg) {
    if constexpr (std::is_same_v<T, InputBytes>) return arg.size() > kCapacity;
    return false;
}
template <class T>
bool Kept(const T& arg) {
    if constexpr (std::is_scalar_v<T> || std::is_same_v<T, InputBytes>)
        return true;
    else
        return arg.Kept();
}

class Caller {
  public:
    explicit Caller(double boundSeconds) : bound_(boundSeconds) {}

    // Runs one export. The bound is on processor time, so that a loaded machine does not
    // trip it; with the sizes fed, a legitimate call stays far below it.
    template <class F, class... A>
    auto operator()(const char* name, F f, A&&... args) {
        const std::clock_t start = std::clock();
        auto finish = [&] {
            for (const GuardedOutput* out : {Guard(args)..., Guard(0)}) {
                if (out != nullptr) out->Check(name);
            }
            const double took = double(std::clock() - start) / CLOCKS_PER_SEC;
            Require(took <= bound_, "%s took %.3f s of processor time, over the bound", name, took);
        };
        auto call = [&] { return std::apply(f, std::tuple_cat(Pass(args)...)); };
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            finish();
        } else {
            const auto result = call();
            finish();
            return result;
        }
    }

    // A status export whose last argument receives the result code (kept in `code`): status
    // 0 or 1, a code from `allowed` (ResultCodeNone and ResultCodeInternalFailure always are),
    // status 0 exactly for ResultCodeNone and ResultCodeSignatureMismatch, and outputs left
    // untouched by a call that fails; failure for a string beyond the capacity.
    template <class F, class... A>
    uint32_t Coded(const char* name, std::initializer_list<uint16_t> allowed, F f, A&&... args) {
        code = 0xFFFF;
        const uint32_t status = (*this)(name, f, args..., &code);
        bool known = code == ResultCodeNone || code == ResultCodeInternalFailure;
        for (uint16_t value : allowed) known = known || code == value;
        Require(known, "%s returned the unexpected code %u", name, code);
        Require(status == (code == ResultCodeNone || code == ResultCodeSignatureMismatch ? 0 : 1),
                "%s returned status %u with code %u", name, status, code);
        Require(status == 0 || (Kept(args) && ...), "%s failed after writing", name);
        Require(status == 1 || !(Beyond(args) || ...), "%s took a string beyond capacity", name);
        return status;
    }

    uint16_t code = 0;

  private:
    double bound_;
};

// A flag output (`valid`, `verified`) is 0 or 1, and 1 only with status 0 and no code.
inline void CheckFlag(const char* name, uint8_t flag, uint32_t status, uint16_t code = 0) {
    Require(flag <= 1 && (flag == 0 || (status == 0 && code == 0)),
            "%s set its flag to %u with status %u, code %u", name, flag, status, code);
}

// Runs at most `maxOperations` operations, each chosen by one input byte modulo the table size.
template <class Session, std::size_t N>
void Drive(FuzzInput& in, Session& session, void (Session::*const (&table)[N])(),
           int maxOperations) {
    for (int i = 0; i < maxOperations && !in.Empty(); ++i) (session.*table[in.U8() % N])();
}

// ---- little-endian numbers, read independently of the library --------------------------

struct View {
    template <class Bytes>  // a string, buffer or vector
    View(const Bytes& bytes) : data(bytes.data()), size(bytes.size()) {}
    View(const uint8_t* bytes, std::size_t length) : data(bytes), size(length) {}
    const uint8_t* data;
    std::size_t size;
};
inline uint32_t BitLength(View v) {
    while (v.size > 0 && v.data[v.size - 1] == 0) --v.size;
    uint32_t bits = v.size == 0 ? 0 : uint32_t(8 * (v.size - 1));
    for (uint8_t top = v.size == 0 ? 0 : v.data[v.size - 1]; top != 0; top >>= 1) ++bits;
    return bits;
}
inline uint32_t ByteLength(View v) {
    return (BitLength(v) + 7) / 8;
}
inline bool IsZero(View v) {
    return BitLength(v) == 0;
}
inline std::vector<uint8_t> ToBytes(View v) {
    return std::vector<uint8_t>(v.data, v.data + v.size);
}
// The library's long integers serve as the arithmetic oracle of the GOST 34.310 targets.
using QIRVALE::LongIntegerClass;
inline LongIntegerClass Number(View v) {
    LongIntegerClass value;
    value.FromBytes(v.data, uint32_t(v.size));
    return value;
}
// -1, 0 or 1 as the number a is below, equal to or above b.
inline int Compare(View a, View b) {
    for (std::size_t i = std::max(a.size, b.size); i-- > 0;) {
        const uint8_t x = i < a.size ? a.data[i] : 0, y = i < b.size ? b.data[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace qirvale_fuzz
