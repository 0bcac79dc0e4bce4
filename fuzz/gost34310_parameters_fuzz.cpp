// Fuzz target: the GOST 34.310 parameter exports (properties and bounds: fuzz/README.md).
#include <algorithm>

#include "fuzz_support.h"

using namespace qirvale_fuzz;

namespace {

constexpr uint32_t kMaxPrimeBits = 4080, kMaxBuffer = 96, kMaxElementBytes = 96;
const std::initializer_list<uint16_t> kCodes = {ResultCodeBadSeed, ResultCodeBadValue,
                                                ResultCodeBufferTooSmall};
const LongIntegerClass kOne(1u);

bool Divides(View q, View p) {
    return ((Number(p) - kOne) % Number(q)).IsZero();
}

class ParametersSession {
  public:
    explicit ParametersSession(FuzzInput& in) : in_(in) {}
    void Run() {
        using S = ParametersSession;
        static constexpr void (S::*const kOperations[])() = {
            &S::Short16,  &S::Short32,  &S::Long16,         &S::Long32,
            &S::ElementA, &S::ElementA, &S::ParametersThenA};
        Drive(in_, *this, kOperations, 4);
    }

  private:
    void Short16() { Procedure(false, false); }
    void Short32() { Procedure(true, false); }
    void Long16() { Procedure(false, true); }
    void Long32() { Procedure(true, true); }

    // One p-and-q export; only one call of the long procedure per input.
    void Procedure(bool wide, bool longProcedure) {
        if (longProcedure && longDone_) return;
        longDone_ = longDone_ || longProcedure;
        // kind 0: sizes with no p; 1: beyond the capacity of the arithmetic; 2: a real search;
        // 3: the short procedure, with t in tq.
        uint32_t tq = in_.U16(), tp = longProcedure ? in_.U16() : 0;
        const uint32_t kind = longProcedure ? in_.U8() % 3 : 3;
        if (kind == 3 && tq <= kMaxPrimeBits) tq %= 321;
        if (kind == 0) {
            tq %= kMaxPrimeBits + 1;
            tp %= std::max(tq, 1u) + 512;
        } else if (kind == 1 && tq <= kMaxPrimeBits && tp <= kMaxPrimeBits) {
            tq = kMaxPrimeBits + 1 + tq % 100;
        } else if (kind == 2) {
            tq %= 65;
            tp = std::max(tq, 1u) + 528 + tp % (640 - std::max(tq, 1u) - 528 + 1);
        }
        const uint32_t x0 = wide ? in_.U32() : in_.U16(), c = wide ? in_.U32() : in_.U16();
        GuardedOutput p(in_.Range(0, kMaxBuffer)), q(in_.Range(0, kMaxBuffer));
        Caller call(longProcedure ? 30.0 : 10.0);
        const auto t = uint16_t(tq), t2 = uint16_t(tp), x16 = uint16_t(x0), c16 = uint16_t(c);
        if (!longProcedure && wide) {
            call.Coded("PQ32Short", kCodes, QIRVALEGOST34310SignGenerateParametersPQ32Short, p, q,
                       t, x0, c);
        } else if (!longProcedure) {
            call.Coded("PQ16Short", kCodes, QIRVALEGOST34310SignGenerateParametersPQ16Short, p, q,
                       t, x16, c16);
        } else if (wide) {
            call.Coded("PQ32Long", kCodes, QIRVALEGOST34310SignGenerateParametersPQ32Long, p, q, t2,
                       t, x0, c);
        } else {
            call.Coded("PQ16Long", kCodes, QIRVALEGOST34310SignGenerateParametersPQ16Long, p, q, t2,
                       t, x16, c16);
        }
        const uint16_t code = call.code;
        Require((code == ResultCodeBadSeed) == ((wide ? x0 : x16) == 0 || (c & 1) == 0),
                "code %u for x0 = %u, c = %u", code, x0, c);
        // The size checks, in order: q beyond capacity, no p of tp bits, p beyond capacity.
        const uint16_t refusal = tq > kMaxPrimeBits ? ResultCodeInternalFailure
                                 : longProcedure && tp < std::max(tq, 1u) + 512 ? ResultCodeBadValue
                                 : tp > kMaxPrimeBits ? ResultCodeInternalFailure
                                                      : ResultCodeNone;
        Require(kind == 2 || (kind == 3 && tq <= kMaxPrimeBits) || code == ResultCodeBadSeed ||
                    code == refusal,
                "code %u for sizes %u, %u", code, tp, tq);
        if (code != ResultCodeNone) return;
        const uint32_t pBits = longProcedure ? tp : tq;
        const uint32_t qBits = longProcedure ? tq : tq > (wide ? 32u : 16u) ? tq / 2 : 0;
        Require(pBits < 2 || BitLength(p) == pBits, "made p of other than %u bits", pBits);
        Require(qBits < 2 || (BitLength(q) == qBits && Divides(q, p)), "made a wrong q of %u bits",
                qBits);
    }

    void ElementA() {
        const bool oversized = in_.U8() == 0xFF;
        const InputBytes p = oversized ? in_.Fixed(QIRVALE::LongIntegerMaxBytes + in_.Range(1, 64))
                                       : in_.Bytes(kMaxElementBytes);
        const InputBytes q = in_.Bytes(kMaxElementBytes);
        GuardedOutput a(in_.Range(0, kMaxBuffer));
        const uint32_t status =
            call_.Coded("ParameterA", {ResultCodeBadValue, ResultCodeBufferTooSmall},
                        QIRVALEGOST34310SignGenerateParameterA, a, p, q);
        Require(!(oversized || IsZero(q)) || call_.code == ResultCodeInternalFailure,
                "ParameterA gave code %u for an oversized p or q = 0", call_.code);
        // Success only with 1 < a < p where q > 1 divides p - 1.
        Require(status != 0 || ((Compare(a, p) < 0 || BitLength(p) <= 1) && Number(a) != kOne &&
                                Number(q) > kOne && Divides(q, p)),
                "ParameterA succeeded for p and q without an element of order q");
    }

    // Parameters of a small size, then a for them: a has order q modulo p.
    void ParametersThenA() {
        const uint32_t t = in_.Range(34, 256), x0 = in_.U32(), c = in_.U32() | 1;
        GuardedOutput p(64), q(64), a(64);
        if (call_.Coded("PQ32Short", kCodes, QIRVALEGOST34310SignGenerateParametersPQ32Short, p, q,
                        uint16_t(t), x0, c) != 0) {
            return;
        }
        Require(call_.Coded("ParameterA", {}, QIRVALEGOST34310SignGenerateParameterA, a,
                            InputBytes(p), InputBytes(q)) == 0 &&
                    Number(a) != kOne &&
                    LongIntegerClass::ModExp(Number(a), Number(q), Number(p)) == kOne,
                "ParameterA made no a of order q for t = %u", t);
    }

    FuzzInput& in_;
    Caller call_{10.0};
    bool longDone_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    ParametersSession(in).Run();
    return 0;
}
