// Fuzz target: the GOST 34.310 parameter exports (short and long procedures with both
// generators, element a) with arbitrary seeds, sizes, buffers and caller p and q.
//
// Size bounds (measured in this build, AddressSanitizer and UndefinedBehaviorSanitizer):
//  - short procedure: t <= 320 bits (at most about 0.2 s), or t > 4080, refused at once;
//  - long procedure: tq <= 64 and max(tq, 1) + 528 <= tp <= 640, or sizes refused at once:
//    tp < max(tq, 1) + 512, tq or tp above 4080. Every call builds a 512-bit cofactor and
//    searches p among candidates of more than 540 bits, and the number of candidates tested
//    varies widely: over 150 random seeds 0.55 s on average and 3.2 s at worst in this build
//    without the fuzzer's runtime, which about doubles it; one seed took 6 s under the fuzzer
//    (12 s on a loaded machine) and 0.34 s in a release build. Such calls get a bound of
//    30 s, and one input makes at most one of them.
//    Closer to the minimum tp = max(tq, 1) + 512 each attempt has only a few candidates and
//    the search restarts with new q and Q until one holds a prime: legitimate, but 10 to 20 s
//    in a release build and up to minutes in this one, so not fed here;
//  - element a: p and q of at most 96 bytes (at most 172 exponentiations of 768 bits, about
//    0.5 s), or strings above 1024 bytes, refused at once.
// Any other call over 10 s is a finding.
#include <algorithm>

#include "fuzz_support.h"
#include "longint/long_integer.h"

using namespace qirvale_fuzz;
using QIRVALE::LongIntegerClass;

namespace {

constexpr double kCallBound = 10.0;
constexpr double kLongProcedureBound = 30.0;
constexpr int kMaxOperations = 4;
constexpr uint32_t kMaxPrimeBits = 4080;
constexpr uint32_t kMaxShortBits = 320;
constexpr uint32_t kMaxLongQBits = 64;
constexpr uint32_t kMaxLongPBits = 640;
constexpr uint32_t kLongMargin = 528;
constexpr uint32_t kMaxElementBytes = 96;
constexpr uint32_t kMaxBuffer = 96;

LongIntegerClass Number(const uint8_t* bytes, uint32_t size) {
    LongIntegerClass value;
    value.FromBytes(bytes, size);
    return value;
}

// p of `bits` bits and, for q of at least two bits, q of `qBits` bits dividing p - 1.
void CheckPrimes(const char* call, const GuardedOutput& p, const GuardedOutput& q, uint32_t bits,
                 uint32_t qBits) {
    if (bits >= 2 && BitLength(p.data(), p.size()) != bits) {
        Finding("%s made p of %u bits for t = %u", call, BitLength(p.data(), p.size()), bits);
    }
    if (qBits < 2) return;
    if (BitLength(q.data(), q.size()) != qBits) {
        Finding("%s made q of %u bits for %u", call, BitLength(q.data(), q.size()), qBits);
    }
    const LongIntegerClass pValue = Number(p.data(), p.size());
    const LongIntegerClass qValue = Number(q.data(), q.size());
    if (!((pValue - LongIntegerClass(1u)) % qValue).IsZero()) {
        Finding("%s made a q that does not divide p - 1", call);
    }
}

// The checks shared by the four p-and-q exports.
void CheckParameters(const char* call, uint32_t width, uint32_t status, uint16_t code, uint32_t x0,
                     uint32_t c, const GuardedOutput& p, const GuardedOutput& q) {
    CheckStatus(call, status, code,
                {ResultCodeBadSeed, ResultCodeBadValue, ResultCodeBufferTooSmall});
    const uint32_t mask = width == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    const bool badSeed = (x0 & mask) == 0 || (c & 1) == 0;
    if (badSeed != (code == ResultCodeBadSeed)) {
        Finding("%s gave code %u for x0 = %u, c = %u", call, code, x0, c);
    }
    if (status != 0 && !(p.Untouched() && q.Untouched())) {
        Finding("%s wrote an output although it failed with code %u", call, code);
    }
}

void ShortProcedure(FuzzInput& in, Caller& call, bool wide) {
    uint32_t t = in.U16();
    if (t <= kMaxPrimeBits) t %= kMaxShortBits + 1;
    const uint32_t x0 = wide ? in.U32() : in.U16();
    const uint32_t c = wide ? in.U32() : in.U16();
    GuardedOutput p(in.Range(0, kMaxBuffer));
    GuardedOutput q(in.Range(0, kMaxBuffer));
    uint16_t code = 0xFFFF;
    const char* name = wide ? "PQ32Short" : "PQ16Short";
    const uint32_t status = call(
        name,
        [&] {
            return wide ? QIRVALEGOST34310SignGenerateParametersPQ32Short(
                              p.data(), p.size(), q.data(), q.size(), uint16_t(t), x0, c, &code)
                        : QIRVALEGOST34310SignGenerateParametersPQ16Short(
                              p.data(), p.size(), q.data(), q.size(), uint16_t(t), uint16_t(x0),
                              uint16_t(c), &code);
        },
        p, q);
    CheckParameters(name, wide ? 32 : 16, status, code, x0, c, p, q);
    if (t > kMaxPrimeBits && code != ResultCodeBadSeed && code != ResultCodeInternalFailure) {
        Finding("%s gave code %u for t = %u", name, code, t);
    }
    if (status == 0) CheckPrimes(name, p, q, t, t > (wide ? 32u : 16u) ? t / 2 : 0);
}

void LongProcedure(FuzzInput& in, bool wide) {
    Caller call(kLongProcedureBound);
    uint32_t tq = in.U16();
    uint32_t tp = in.U16();
    const uint8_t kind = in.U8() % 3;
    switch (kind) {
        case 0:  // sizes with no p: refused before any work
            tq %= kMaxPrimeBits + 1;
            tp %= std::max(tq, 1u) + 512;
            break;
        case 1:  // beyond the capacity of the arithmetic
            if (tq <= kMaxPrimeBits && tp <= kMaxPrimeBits) tq = kMaxPrimeBits + 1 + tq % 100;
            break;
        default:
            tq %= kMaxLongQBits + 1;
            tp = std::max(tq, 1u) + kLongMargin +
                 tp % (kMaxLongPBits - std::max(tq, 1u) - kLongMargin + 1);
            break;
    }
    const uint32_t x0 = wide ? in.U32() : in.U16();
    const uint32_t c = wide ? in.U32() : in.U16();
    GuardedOutput p(in.Range(0, kMaxBuffer));
    GuardedOutput q(in.Range(0, kMaxBuffer));
    uint16_t code = 0xFFFF;
    const char* name = wide ? "PQ32Long" : "PQ16Long";
    const uint32_t status = call(
        name,
        [&] {
            return wide ? QIRVALEGOST34310SignGenerateParametersPQ32Long(
                              p.data(), p.size(), q.data(), q.size(), uint16_t(tp), uint16_t(tq),
                              x0, c, &code)
                        : QIRVALEGOST34310SignGenerateParametersPQ16Long(
                              p.data(), p.size(), q.data(), q.size(), uint16_t(tp), uint16_t(tq),
                              uint16_t(x0), uint16_t(c), &code);
        },
        p, q);
    CheckParameters(name, wide ? 32 : 16, status, code, x0, c, p, q);
    // The size checks, in order: q beyond capacity, no p of tp bits, p beyond capacity.
    const uint16_t refusal = tq > kMaxPrimeBits            ? ResultCodeInternalFailure
                             : tp < std::max(tq, 1u) + 512 ? ResultCodeBadValue
                             : tp > kMaxPrimeBits          ? ResultCodeInternalFailure
                                                           : ResultCodeNone;
    if (kind != 2 && code != ResultCodeBadSeed && code != refusal) {
        Finding("%s gave code %u for tp = %u, tq = %u", name, code, tp, tq);
    }
    if (status == 0) CheckPrimes(name, p, q, tp, tq);
}

void ElementA(FuzzInput& in, Caller& call) {
    const bool oversized = in.U8() == 0xFF;
    const InputBytes p = oversized ? in.Fixed(QIRVALE::LongIntegerMaxBytes + in.Range(1, 64))
                                   : in.Bytes(kMaxElementBytes);
    const InputBytes q = in.Bytes(kMaxElementBytes);
    GuardedOutput a(in.Range(0, kMaxBuffer));
    uint16_t code = 0xFFFF;
    const uint32_t status = call(
        "ParameterA",
        [&] {
            return QIRVALEGOST34310SignGenerateParameterA(a.data(), a.size(), p.data(), p.size(),
                                                          q.data(), q.size(), &code);
        },
        a);
    CheckStatus("ParameterA", status, code, {ResultCodeBadValue, ResultCodeBufferTooSmall});
    if (status != 0 && !a.Untouched()) Finding("ParameterA wrote a although it failed");
    if ((oversized || IsZero(q.data(), q.size())) && code != ResultCodeInternalFailure) {
        Finding("ParameterA gave code %u for an oversized p or q = 0", code);
    }
    if (status == 0 && Compare(a.data(), a.size(), p.data(), p.size()) >= 0 &&
        BitLength(p.data(), p.size()) > 1) {
        Finding("ParameterA made a >= p");
    }
    // Success only where an element of order q can exist, q > 1 dividing p - 1, and never
    // with a = 1.
    if (status == 0) {
        const LongIntegerClass one(1u), pValue = Number(p.data(), p.size()),
                                        qValue = Number(q.data(), q.size());
        if (Number(a.data(), a.size()) == one || qValue <= one ||
            !((pValue - one) % qValue).IsZero()) {
            Finding("ParameterA succeeded for p and q without an element of order q");
        }
    }
}

// Parameters of a small size, then a for them: a has order q modulo p.
void ParametersThenA(FuzzInput& in, Caller& call) {
    const uint32_t t = in.Range(34, 256);
    const uint32_t x0 = in.U32();
    const uint32_t c = in.U32() | 1;
    GuardedOutput p(64);
    GuardedOutput q(64);
    GuardedOutput a(64);
    uint16_t code = 0;
    if (call(
            "PQ32Short",
            [&] {
                return QIRVALEGOST34310SignGenerateParametersPQ32Short(p.data(), 64, q.data(), 64,
                                                                       uint16_t(t), x0, c, &code);
            },
            p, q) != 0) {
        return;
    }
    const uint32_t status = call(
        "ParameterA",
        [&] {
            return QIRVALEGOST34310SignGenerateParameterA(a.data(), 64, p.data(), 64, q.data(), 64,
                                                          &code);
        },
        a);
    if (status != 0) Finding("ParameterA failed with code %u on generated p and q", code);
    const LongIntegerClass aValue = Number(a.data(), 64);
    const LongIntegerClass one(1u);
    if (aValue == one ||
        LongIntegerClass::ModExp(aValue, Number(q.data(), 64), Number(p.data(), 64)) != one) {
        Finding("ParameterA made an a without order q for t = %u", t);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Caller call(kCallBound);
    bool longProcedureDone = false;
    for (int operation = 0; operation < kMaxOperations && !in.Empty(); ++operation) {
        const uint8_t choice = in.U8() % 7;
        if (choice == 2 || choice == 3) {
            if (longProcedureDone) continue;
            longProcedureDone = true;
        }
        switch (choice) {
            case 0:
                ShortProcedure(in, call, false);
                break;
            case 1:
                ShortProcedure(in, call, true);
                break;
            case 2:
                LongProcedure(in, false);
                break;
            case 3:
                LongProcedure(in, true);
                break;
            case 4:
            case 5:
                ElementA(in, call);
                break;
            default:
                ParametersThenA(in, call);
                break;
        }
    }
    return 0;
}
