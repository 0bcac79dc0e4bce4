#include "gost34310/parameter_generation.h"

#include <algorithm>
#include <vector>

#include "frame/exceptions.h"
#include "gost34310/byte_strings.h"
#include "qirvale.h"

namespace QIRVALE {
namespace GOST34310 {

namespace {

LongIntegerClass PowerOfTwo(uint32_t exponent) {
    LongIntegerClass value;
    value.SetBit(exponent, true);
    return value;
}

// The first multiplier N of a search for a prime of `bits` bits of the form f * n + 1:
// ceil(2^(bits-1) / f) + floor(2^(bits-1) * y / (f * 2^yBits)), made even. The first term puts
// the candidates at or above 2^(bits-1); the second, y being a random fraction of 2^yBits,
// spreads the start over the range.
LongIntegerClass FirstMultiplier(const LongIntegerClass& f, uint32_t bits,
                                 const LongIntegerClass& y, uint32_t yBits) {
    const LongIntegerClass half = PowerOfTwo(bits - 1);
    LongIntegerClass n = (half + f - LongIntegerClass(1u)) / f;
    n += (half * y) / (f << yBits);
    if (n.TestBit(0)) n.Increment();
    return n;
}

// Scans p = f * n + 1 for n = start, start + 2, ... while p <= 2^bits and accepts the first p
// with 2^(f n) mod p = 1 and 2^(g n) mod p != 1. False when the range runs out.
bool SearchPrime(const LongIntegerClass& f, const LongIntegerClass& g,
                 const LongIntegerClass& start, uint32_t bits, LongIntegerClass& prime) {
    const LongIntegerClass one(1u);
    const LongIntegerClass two(2u);
    const LongIntegerClass limit = PowerOfTwo(bits);
    for (LongIntegerClass n = start;; n += two) {
        const LongIntegerClass exponent = f * n;
        const LongIntegerClass candidate = exponent + one;
        if (candidate > limit) return false;
        if (LongIntegerClass::ModExp(two, exponent, candidate) == one &&
            LongIntegerClass::ModExp(two, g * n, candidate) != one) {
            prime = candidate;
            return true;
        }
    }
}

// Trial division; the verdict is the same as dividing by every odd number below v / 2 + 1.
bool IsSmallPrime(uint64_t v) {
    if (v < 4) return v >= 2;
    if (v % 2 == 0) return false;
    for (uint64_t divisor = 3; divisor * divisor <= v; divisor += 2) {
        if (v % divisor == 0) return false;
    }
    return true;
}

}  // namespace

WordGenerator::WordGenerator(uint32_t width, uint32_t x0, uint32_t c)
    : width_(width),
      mask_(width == 32 ? 0xFFFFFFFFu : 0xFFFFu),
      multiplier_(width == 32 ? 97781173u : 19381u),
      increment_(c & mask_),
      state_(x0 & mask_) {}

LongIntegerClass WordGenerator::TakeNumber(uint32_t count) {
    const uint32_t wordBytes = width_ / 8;
    std::vector<uint8_t> bytes(count * wordBytes);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t word = TakeWord();
        for (uint32_t j = 0; j < wordBytes; ++j)
            bytes[i * wordBytes + j] = uint8_t(word >> (8 * j));
    }
    LongIntegerClass number;
    number.FromBytes(bytes.data(), uint32_t(bytes.size()));
    return number;
}

uint32_t SmallestPrimeOfBits(uint32_t bits, uint32_t width) {
    if (bits == width) return width == 32 ? 0x8000000Bu : 32771u;
    if (bits < 2) return 1;
    uint64_t candidate = (uint64_t(1) << (bits - 1)) + 1;
    while (!IsSmallPrime(candidate)) ++candidate;
    return uint32_t(candidate);
}

uint16_t ShortProcedure(uint32_t t, WordGenerator& generator, LongIntegerClass& p,
                        LongIntegerClass& q) {
    if (t > MaxPrimeBits) throw OutOfMemoryExceptionClass();
    const uint32_t w = generator.Width();
    uint32_t levels = 0;
    while ((t >> levels) >= w + 1) ++levels;

    // Level m builds a prime of t >> m bits from the prime of level m + 1, which has
    // (t >> m) / 2 bits; the bottom level is the smallest prime of its size.
    LongIntegerClass prime(SmallestPrimeOfBits(t >> levels, w));
    LongIntegerClass below;
    const LongIntegerClass one(1u);
    for (uint32_t m = levels; m-- > 0;) {
        const uint32_t bits = t >> m;
        const uint32_t words = ((bits >> 1) + w - 1) / w;
        const uint32_t discarded = 1u << (levels - m - 1);
        AttemptHistory history;
        LongIntegerClass next;
        for (;;) {
            if (!history.Enter(generator.State())) return ResultCodeBadValue;
            generator.Skip(discarded);
            const LongIntegerClass y = generator.TakeNumber(words);
            if (SearchPrime(prime, one, FirstMultiplier(prime, bits, y, w * words), bits, next)) {
                break;
            }
        }
        below = prime;
        prime = next;
    }
    p = prime;
    q = below;
    return ResultCodeNone;
}

uint16_t LongProcedure(uint32_t tp, uint32_t tq, WordGenerator& generator, LongIntegerClass& p,
                       LongIntegerClass& q, uint32_t cofactorBits) {
    // The checks come in the order in which an unbounded search would meet them: q's size,
    // then the candidate range, then p's size. q >= 2^(max(tq, 1) - 1) and
    // Q > 2^(cofactorBits - 1), so for tp < max(tq, 1) + cofactorBits every qQ >= 2^(tp - 1)
    // and even the smallest candidate, 2qQ + 1, exceeds 2^tp.
    if (tq > MaxPrimeBits) throw OutOfMemoryExceptionClass();
    if (tp < std::max(tq, 1u) + cofactorBits) return ResultCodeBadValue;
    if (tp > MaxPrimeBits) throw OutOfMemoryExceptionClass();

    AttemptHistory history;
    for (;;) {
        if (!history.Enter(generator.State())) return ResultCodeBadValue;
        LongIntegerClass order;
        LongIntegerClass cofactor;
        LongIntegerClass unused;
        if (ShortProcedure(tq, generator, order, unused) != ResultCodeNone ||
            ShortProcedure(cofactorBits, generator, cofactor, unused) != ResultCodeNone) {
            return ResultCodeBadValue;
        }
        const LongIntegerClass y = generator.TakeNumber(LongFractionBits / generator.Width());
        const LongIntegerClass f = order * cofactor;
        if (SearchPrime(f, order, FirstMultiplier(f, tp, y, LongFractionBits), tp, p)) {
            q = order;
            return ResultCodeNone;
        }
    }
}

uint16_t GenerateParameters(uint32_t width, bool longProcedure, uint8_t* p, uint32_t pLength,
                            uint8_t* q, uint32_t qLength, uint32_t t, uint32_t tq, uint32_t x0,
                            uint32_t c) {
    WordGenerator generator(width, x0, c);
    // Only the low `width` bits of x0 and c count: x0 = 0 and an even c (c = 0 among them)
    // are refused.
    if (generator.State() == 0 || (c & 1) == 0) return ResultCodeBadSeed;
    LongIntegerClass pValue;
    LongIntegerClass qValue;
    const uint16_t code = longProcedure ? LongProcedure(t, tq, generator, pValue, qValue)
                                        : ShortProcedure(t, generator, pValue, qValue);
    if (code != ResultCodeNone) return code;
    if (pValue.ByteLength() > pLength || qValue.ByteLength() > qLength) {
        return ResultCodeBufferTooSmall;
    }
    WriteNumber(p, pLength, pValue);
    return WriteNumber(q, qLength, qValue);
}

uint16_t ElementA(const LongIntegerClass& p, const LongIntegerClass& q, LongIntegerClass& a) {
    const LongIntegerClass one(1u);
    const LongIntegerClass pMinusOne = p - one;
    const LongIntegerClass e = pMinusOne / q;
    // An element of order q exists only for q > 1 dividing p - 1 (the order of the group for
    // a prime p); for other q the formula gives a = 1 or an element of another order.
    if (q <= one || !(pMinusOne % q).IsZero()) return ResultCodeBadValue;
    // The d with d^e = 1 (mod p) are closed under multiplication, so the first d that gives
    // a != 1 is a prime: a composite d is a product of smaller d that all gave 1 and gives 1
    // itself. Only prime d are therefore tried. For a prime p and a prime q dividing p - 1 the
    // answer is the least prime that is not a q-th power modulo p, which lies beyond
    // MaxBaseOfA only if all 172 primes up to it are q-th powers; degenerate input (q = 1,
    // q > p - 1, a composite p) can make every d below a huge bound give 1.
    a = one;
    for (uint32_t d = 2; a == one && LongIntegerClass(d) < pMinusOne; ++d) {
        if (d > MaxBaseOfA) return ResultCodeBadValue;
        if (IsSmallPrime(d)) a = LongIntegerClass::ModExp(LongIntegerClass(d), e, p);
    }
    // a = 1 has order 1, not q: every d tried gave 1 (p = 1, or a small p such as p = 3,
    // q = 2, where only d = p - 1 would give a != 1).
    if (a == one) return ResultCodeBadValue;
    return ResultCodeNone;
}

uint16_t GenerateElementA(uint8_t* a, uint32_t aLength, const LongIntegerClass& p,
                          const LongIntegerClass& q) {
    LongIntegerClass value;
    const uint16_t code = ElementA(p, q, value);
    return code != ResultCodeNone ? code : WriteNumber(a, aLength, value);
}

}  // namespace GOST34310
}  // namespace QIRVALE
