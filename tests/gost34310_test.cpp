// GOST 34.310-95: the worked examples of the standard (p, q, a, public key, signature), the
// parameter procedures cross-checked at small sizes against an independent 64-bit
// implementation (including every way a search can fail to end), the bounds on degenerate
// input, and the key, signing and verification exports on valid and hostile input.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gost34310/parameter_generation.h"
#include "longint/long_integer.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace {

namespace GOST34310 = QIRVALE::GOST34310;
using QIRVALE::LongIntegerClass;
using qirvale_test::Bytes;
using qirvale_test::FromHex;
using qirvale_test::GuardedBuffer;

// ---- values ---------------------------------------------------------------------------------

// The worked examples, as the exports take them (little-endian strings).
struct Example {
    std::string name;
    bool longProcedure;
    uint32_t width;
    uint16_t tp, tq;
    uint32_t x0, c;
    Bytes p, q, a, y, signature;
};

struct Examples {
    Bytes x, k, hash;
    std::vector<Example> all;
};

const Examples& WorkedExamples() {
    static const Examples examples = [] {
        const qirvale_test::Json json = qirvale_test::ReadJson("gost34310.json");
        Examples result;
        result.x = FromHex(json["x"].get<std::string>());
        result.k = FromHex(json["k"].get<std::string>());
        result.hash = FromHex(json["hash"].get<std::string>());
        for (const auto& e : json["examples"]) {
            Example example;
            example.name = e["name"].get<std::string>();
            example.longProcedure = e["procedure"].get<std::string>() == "long";
            example.width = e["generator_bits"];
            example.tp = e["t_p"];
            example.tq = e["t_q"].is_null() ? 0 : e["t_q"].get<uint16_t>();
            example.x0 = e["x0"];
            example.c = e["c"];
            for (auto [field, bytes] : {std::pair{"p", &example.p},
                                        {"q", &example.q},
                                        {"a", &example.a},
                                        {"y", &example.y},
                                        {"signature", &example.signature}}) {
                *bytes = FromHex(e[field].get<std::string>());
            }
            result.all.push_back(example);
        }
        return result;
    }();
    return examples;
}

const Example& ExampleNamed(const std::string& name) {
    for (const Example& e : WorkedExamples().all) {
        if (e.name == name) return e;
    }
    throw std::runtime_error("no example " + name);
}

LongIntegerClass Number(const Bytes& bytes) {
    LongIntegerClass v;
    v.FromBytes(bytes.data(), uint32_t(bytes.size()));
    return v;
}

Bytes BytesOf(const LongIntegerClass& v, uint32_t length) {
    Bytes out(length);
    v.ToBytes(out.data(), length);
    return out;
}

uint64_t Low64(const LongIntegerClass& v) {
    uint64_t out = 0;
    for (uint32_t i = 8; i-- > 0;) out = out << 8 | v.GetByte(i);
    return out;
}

Bytes BytesOf64(uint64_t v) {
    Bytes out(8);
    for (int i = 0; i < 8; ++i) out[i] = uint8_t(v >> (8 * i));
    return out;
}

// The four p-and-q exports behind one call.
uint32_t Generate(bool longProcedure, uint32_t width, uint8_t* p, uint32_t pLength, uint8_t* q,
                  uint32_t qLength, uint16_t tp, uint16_t tq, uint32_t x0, uint32_t c,
                  uint16_t* code) {
    if (width == 16) {
        return longProcedure ? QIRVALEGOST34310SignGenerateParametersPQ16Long(
                                   p, pLength, q, qLength, tp, tq, uint16_t(x0), uint16_t(c), code)
                             : QIRVALEGOST34310SignGenerateParametersPQ16Short(
                                   p, pLength, q, qLength, tp, uint16_t(x0), uint16_t(c), code);
    }
    return longProcedure ? QIRVALEGOST34310SignGenerateParametersPQ32Long(p, pLength, q, qLength,
                                                                          tp, tq, x0, c, code)
                         : QIRVALEGOST34310SignGenerateParametersPQ32Short(p, pLength, q, qLength,
                                                                           tp, x0, c, code);
}

// A call whose outputs must stay untouched: the status and code it gave.
std::pair<uint32_t, uint16_t> GenerateUntouched(bool longProcedure, uint32_t width, uint16_t tp,
                                                uint16_t tq, uint32_t x0, uint32_t c) {
    GuardedBuffer p(130), q(40);
    uint16_t code = 0xFFFF;
    const uint32_t status = Generate(longProcedure, width, p.data(), uint32_t(p.size()), q.data(),
                                     uint32_t(q.size()), tp, tq, x0, c, &code);
    EXPECT_TRUE(p.Untouched() && p.Intact() && q.Untouched() && q.Intact());
    return {status, code};
}

// ---- an independent implementation of the procedures for primes below 2^62 ----------------
//
// Plain 64-bit arithmetic; the fractions of N are taken as the top bits of Y (floor(2^(T-1) Y /
// (f 2^b)) = floor(floor(2^(T-1) Y / 2^b) / f)). A search gives up after `cap` attempts; with
// the 16-bit generator a cap of 2^16 is exact, because the start states of 2^16 + 1 attempts
// must repeat one, and from then on the attempts repeat.
namespace reference {

constexpr uint32_t kExactCap16 = 1u << 16;

uint64_t MulMod(uint64_t a, uint64_t b, uint64_t m) {  // m < 2^63
    uint64_t result = 0;
    a %= m;
    for (; b != 0; b >>= 1) {
        if (b & 1) result = (result + a) % m;
        a = (2 * a) % m;
    }
    return result;
}

uint64_t PowMod(uint64_t base, uint64_t e, uint64_t m) {
    uint64_t result = 1 % m;
    for (base %= m; e != 0; e >>= 1) {
        if (e & 1) result = MulMod(result, base, m);
        base = MulMod(base, base, m);
    }
    return result;
}

bool IsPrime(uint64_t v) {
    if (v < 2) return false;
    for (uint64_t d = 2; d * d <= v; ++d) {
        if (v % d == 0) return false;
    }
    return true;
}

uint64_t SmallestPrime(uint32_t bits, uint32_t w) {
    if (bits == w) return w == 16 ? 32771 : 0x8000000B;
    if (bits < 2) return 1;
    uint64_t v = (uint64_t(1) << (bits - 1)) + 1;
    while (!IsPrime(v)) ++v;
    return v;
}

struct Generator {
    uint32_t w, y, c;
    void Step() {
        y = uint32_t((uint64_t(w == 16 ? 19381 : 97781173) * y + c) & ((uint64_t(1) << w) - 1));
    }
    uint32_t Word() {
        const uint32_t v = y;
        Step();
        return v;
    }
};

// The first prime f n + 1 <= 2^bits, n = start, start + 2, ..., with 2^(f n) = 1 and
// 2^(g n) != 1 modulo it.
std::optional<uint64_t> Scan(uint64_t f, uint64_t g, uint64_t start, uint32_t bits) {
    const uint64_t limit = uint64_t(1) << bits;
    for (uint64_t n = start + (start & 1);; n += 2) {
        const uint64_t candidate = f * n + 1;
        if (candidate > limit) return std::nullopt;
        if (PowMod(2, f * n, candidate) == 1 && PowMod(2, g * n, candidate) != 1) {
            return candidate;
        }
    }
}

uint64_t CeilDiv(uint64_t a, uint64_t b) {
    return a / b + (a % b != 0);
}

std::optional<std::pair<uint64_t, uint64_t>> Short(uint32_t t, Generator& g, uint32_t cap) {
    std::vector<uint32_t> sizes{t};
    while (sizes.back() > g.w) sizes.push_back(sizes.back() / 2);
    const uint32_t s = uint32_t(sizes.size()) - 1;
    uint64_t prime = SmallestPrime(sizes[s], g.w), below = 0;
    for (uint32_t m = s; m-- > 0;) {
        const uint32_t bits = sizes[m];
        const uint32_t wordBits = g.w * ((bits / 2 + g.w - 1) / g.w);  // at most 32 here
        std::optional<uint64_t> next;
        for (uint32_t attempt = 0; attempt < cap && !next; ++attempt) {
            for (uint32_t i = 0; i < (1u << (s - m - 1)); ++i) g.Step();
            uint64_t y = 0;
            for (uint32_t i = 0; i < wordBits / g.w; ++i) y |= uint64_t(g.Word()) << (g.w * i);
            const uint64_t half = uint64_t(1) << (bits - 1);
            next =
                Scan(prime, 1, CeilDiv(half, prime) + (y << (bits - 1 - wordBits)) / prime, bits);
        }
        if (!next) return std::nullopt;
        below = prime;
        prime = *next;
    }
    return std::pair{prime, below};
}

std::optional<std::pair<uint64_t, uint64_t>> Long(uint32_t tp, uint32_t tq, uint32_t cofactorBits,
                                                  Generator& g, uint32_t cap) {
    for (uint32_t attempt = 0; attempt < cap; ++attempt) {
        const auto q = Short(tq, g, cap);
        if (!q) return std::nullopt;
        const auto cofactor = Short(cofactorBits, g, cap);
        if (!cofactor) return std::nullopt;
        std::vector<uint32_t> words(1024 / g.w);
        for (uint32_t& word : words) word = g.Word();
        uint64_t top = 0;  // floor(2^(tp-1) Y / 2^1024): the top tp - 1 bits of Y
        for (uint32_t bit = 1024; bit-- > 1025 - tp;) {
            top = top << 1 | ((words[bit / g.w] >> (bit % g.w)) & 1);
        }
        const uint64_t f = q->first * cofactor->first;
        const auto p = Scan(f, q->first, CeilDiv(uint64_t(1) << (tp - 1), f) + top / f, tp);
        if (p) return std::pair{*p, q->first};
    }
    return std::nullopt;
}

// The search of a as written: every d from 2 while d < p - 1. Returns a and the d that gave
// it (0 when no d gave a != 1).
std::pair<uint64_t, uint64_t> ElementA(uint64_t p, uint64_t q) {
    const uint64_t e = (p - 1) / q;
    uint64_t a = 1, d = 2;
    for (; a == 1 && d + 1 < p; ++d) a = e == 0 ? 1 : e == 1 ? d : PowMod(d, e, p);
    return {a, a == 1 ? 0 : d - 1};
}

}  // namespace reference

// ---- parameter generation -------------------------------------------------------------------

// Refused before any work, with neither buffer written: bad seeds (x0 = 0 or c even; the
// 32-bit procedures look at all 32 bits); long-procedure sizes without candidates, tp <
// max(tq, 1) + 512, where qQ is at least 2^(tp - 1) and no p = qQ(N + k) + 1 <= 2^tp; sizes
// beyond the capacity (q too large comes first, then sizes without candidates, then p).
TEST(GOST34310Parameters, RefusedInputsWriteNothing) {
    constexpr uint16_t kFirstTooLarge = GOST34310::MaxPrimeBits + 1;
    static_assert(kFirstTooLarge == 4081);
    const auto badSeed = std::pair(1u, uint16_t(ResultCodeBadSeed));
    const auto badValue = std::pair(1u, uint16_t(ResultCodeBadValue));
    const auto failure = std::pair(1u, uint16_t(ResultCodeInternalFailure));
    for (uint32_t width : {16u, 32u}) {
        SCOPED_TRACE(width);
        for (bool longProcedure : {false, true}) {
            for (auto [x0, c] :
                 {std::pair{0u, 29505u}, {24265u, 0u}, {24265u, 29504u}, {0u, 0u}, {24265u, 2u}}) {
                EXPECT_EQ(GenerateUntouched(longProcedure, width, 512, 256, x0, c), badSeed);
            }
        }
        for (auto [tp, tq] : {std::pair{512, 256},
                              {767, 256},
                              {0, 0},
                              {512, 0},
                              {512, 1},
                              {513, 2},
                              {600, 700},
                              {1024, 1024},
                              {4591, 4080},
                              {4100, 4000}}) {
            EXPECT_EQ(GenerateUntouched(true, width, uint16_t(tp), uint16_t(tq), 42341, 21387),
                      badValue)
                << tp << " " << tq;
        }
        for (uint16_t t : {kFirstTooLarge, uint16_t(8192), uint16_t(65535)}) {
            EXPECT_EQ(GenerateUntouched(false, width, t, 0, 24265, 29505), failure);
            EXPECT_EQ(GenerateUntouched(true, width, 65535, t, 24265, 29505), failure);
            EXPECT_EQ(GenerateUntouched(true, width, 600, t, 24265, 29505), failure);
            EXPECT_EQ(GenerateUntouched(true, width, t, 256, 24265, 29505), failure);
        }
    }
    EXPECT_EQ(GenerateUntouched(false, 32, 512, 0, 0x10000, 0x20000), badSeed);
}

TEST(GOST34310Parameters, SixteenBitSeedsUseOnlyTheirLowBits) {
    // As a caller passing 32-bit words sees the 16-bit procedures.
    const Example& e = ExampleNamed("A");
    Bytes p(64), q(32);
    EXPECT_EQ(GOST34310::GenerateParameters(16, false, p.data(), 64, q.data(), 32, 512, 0,
                                            e.x0 | 0xABCD0000u, e.c | 0x12340000u),
              ResultCodeNone);
    EXPECT_EQ(p, e.p);
    EXPECT_EQ(q, e.q);
    for (auto [x0, c] : {std::pair{0x10000u, e.c}, {e.x0, 0x30000u}, {e.x0, 0x10002u}}) {
        EXPECT_EQ(
            GOST34310::GenerateParameters(16, false, p.data(), 64, q.data(), 32, 512, 0, x0, c),
            ResultCodeBadSeed);
    }
}

TEST(GOST34310Parameters, OutputBuffers) {
    const Example& e = ExampleNamed("A");
    // One byte short, for either number: status 1, code 2, neither buffer written.
    for (auto [pLength, qLength] : {std::pair{63u, 32u}, {64u, 31u}, {0u, 0u}}) {
        GuardedBuffer p(pLength), q(qLength);
        uint16_t code = 0;
        EXPECT_EQ(
            QIRVALEGOST34310SignGenerateParametersPQ16Short(
                p.data(), pLength, q.data(), qLength, e.tp, uint16_t(e.x0), uint16_t(e.c), &code),
            1u);
        EXPECT_EQ(code, ResultCodeBufferTooSmall);
        EXPECT_TRUE(p.Untouched() && p.Intact() && q.Untouched() && q.Intact());
    }
    // Longer buffers: the value, then zero bytes; a stale code is cleared.
    GuardedBuffer p(70), q(45);
    uint16_t code = 1234;
    EXPECT_EQ(QIRVALEGOST34310SignGenerateParametersPQ16Short(p.data(), 70, q.data(), 45, e.tp,
                                                              uint16_t(e.x0), uint16_t(e.c), &code),
              0u);
    EXPECT_EQ(code, ResultCodeNone);
    Bytes expectedP = e.p, expectedQ = e.q;
    expectedP.resize(70);
    expectedQ.resize(45);
    EXPECT_EQ(p.bytes(), expectedP);
    EXPECT_EQ(q.bytes(), expectedQ);
    EXPECT_TRUE(p.Intact() && q.Intact());
}

TEST(GOST34310Parameters, SizesWithoutLevels) {
    // t <= w: the smallest prime of t bits (1 below 2 bits), q = 0, the generator unused.
    for (uint32_t width : {16u, 32u}) {
        for (uint32_t t = 0; t <= width; ++t) {
            SCOPED_TRACE(testing::Message() << "w " << width << " t " << t);
            const uint64_t expected = reference::SmallestPrime(t, width);
            EXPECT_EQ(GOST34310::SmallestPrimeOfBits(t, width), expected);
            GuardedBuffer p(8), q(4);
            uint16_t code = 0;
            ASSERT_EQ(Generate(false, width, p.data(), 8, q.data(), 4, uint16_t(t), 0, 7, 9, &code),
                      0u);
            EXPECT_EQ(p.bytes(), BytesOf64(expected));
            EXPECT_EQ(q.bytes(), Bytes(4, 0));
        }
    }
    // The fixed primes for t = w are the smallest primes of w bits.
    EXPECT_EQ(reference::SmallestPrime(16, 0), 32771u);
    EXPECT_EQ(reference::SmallestPrime(32, 0), 0x8000000Bu);
}

TEST(GOST34310Parameters, ShortProcedureMatchesIndependentImplementation) {
    std::mt19937 random(34310);
    for (uint32_t width : {16u, 32u}) {
        for (uint32_t t = width + 1; t <= 62; ++t) {
            for (int seed = 0; seed < 6; ++seed) {
                const uint32_t x0 = 1 + random() % ((1u << 16) - 1), c = random() | 1;
                SCOPED_TRACE(testing::Message()
                             << "w " << width << " t " << t << " x0 " << x0 << " c " << c);
                reference::Generator expectedGenerator{width, x0, c & (width == 16 ? 0xFFFF : ~0u)};
                const auto expected = reference::Short(t, expectedGenerator, 1u << 16);
                ASSERT_TRUE(expected.has_value());
                GOST34310::WordGenerator generator(width, x0, c);
                LongIntegerClass p, q;
                ASSERT_EQ(GOST34310::ShortProcedure(t, generator, p, q), ResultCodeNone);
                EXPECT_EQ(Low64(p), expected->first);
                EXPECT_EQ(Low64(q), expected->second);
                EXPECT_EQ(p.BitLength(), t);
                EXPECT_EQ((expected->first - 1) % expected->second, 0u);
                EXPECT_EQ(generator.State(), expectedGenerator.y);
            }
        }
    }
}

// The long procedure with a small cofactor, so that every outcome is reachable at sizes the
// 64-bit implementation covers: success, sizes without candidates, and seeds whose attempts
// run into a cycle. With the 16-bit generator the comparison is exact in every case.
TEST(GOST34310Parameters, LongProcedureMatchesIndependentImplementation) {
    std::mt19937 random(4101);
    int refused = 0, cycled = 0, found = 0;
    // Failures the plain search confirms with its 2^16 attempts, a few of each kind, where q
    // and Q have at most 16 bits (fixed primes) and an attempt costs little.
    int confirmedRefusals = 0, confirmedCycles = 0;
    for (uint32_t tq : {0u, 1u, 2u, 5u, 16u, 17u, 20u}) {
        for (uint32_t cofactorBits : {2u, 7u, 16u, 17u, 19u}) {
            const uint32_t threshold = std::max(tq, 1u) + cofactorBits;
            const bool cheap = tq <= 16 && cofactorBits <= 16;
            for (uint32_t tp = threshold - 2; tp <= threshold + 3; ++tp) {
                const uint32_t x0 = 1 + random() % 0xFFFF, c = (random() | 1) & 0xFFFF;
                SCOPED_TRACE(testing::Message() << "tp " << tp << " tq " << tq << " Q "
                                                << cofactorBits << " x0 " << x0 << " c " << c);
                GOST34310::WordGenerator generator(16, x0, c);
                LongIntegerClass p, q;
                const uint16_t code =
                    GOST34310::LongProcedure(tp, tq, generator, p, q, cofactorBits);
                bool confirm = true;
                if (tp < threshold) {
                    // Refused before any work.
                    EXPECT_EQ(code, ResultCodeBadValue);
                    EXPECT_EQ(generator.State(), x0);
                    ++refused;
                    confirm = cheap && confirmedRefusals < 2;
                } else if (code != ResultCodeNone) {
                    EXPECT_EQ(code, ResultCodeBadValue);
                    ++cycled;
                    confirm = cheap && confirmedCycles < 4;
                } else {
                    ++found;
                }
                if (!confirm) continue;
                reference::Generator expectedGenerator{16, x0, c};
                const auto expected = reference::Long(tp, tq, cofactorBits, expectedGenerator,
                                                      reference::kExactCap16);
                ASSERT_EQ(code == ResultCodeNone, expected.has_value());
                if (!expected) {
                    ++(tp < threshold ? confirmedRefusals : confirmedCycles);
                    continue;
                }
                EXPECT_EQ(Low64(p), expected->first);
                EXPECT_EQ(Low64(q), expected->second);
                EXPECT_EQ(p.BitLength(), tp);
                EXPECT_EQ(generator.State(), expectedGenerator.y);
            }
        }
    }
    // The grid reaches all three outcomes, and the failures were confirmed.
    EXPECT_GT(found, 0);
    EXPECT_GT(refused, confirmedRefusals);
    EXPECT_GT(cycled, confirmedCycles);
    EXPECT_EQ(confirmedRefusals, 2);
    EXPECT_EQ(confirmedCycles, 4);
}

// ---- the element a --------------------------------------------------------------------------

uint16_t ElementA(uint64_t p, uint64_t q, uint64_t* a) {
    Bytes out(8, 0xEE);
    uint16_t code = 0xFFFF;
    const Bytes pBytes = BytesOf64(p), qBytes = BytesOf64(q);
    QIRVALEGOST34310SignGenerateParameterA(out.data(), 8, pBytes.data(), 8, qBytes.data(), 8,
                                           &code);
    if (code == ResultCodeNone)
        *a = Low64(Number(out));
    else
        EXPECT_EQ(out, Bytes(8, 0xEE));
    return code;
}

TEST(GOST34310ElementA, MatchesTheLiteralSearch) {
    // Every p below 300 with every q, and some p above the bound with every q: the same a
    // as trying every d, except that p and q without an element of order q (q = 1, q not
    // dividing p - 1, every d giving 1) and a search that would go beyond d = 1024 are
    // refused, so that a = 1 is never reported.
    std::vector<uint64_t> moduli;
    for (uint64_t p = 1; p < 300; ++p) moduli.push_back(p);
    for (uint64_t p : {1031, 1033, 1105, 2003, 2689, 2821}) moduli.push_back(p);
    for (uint64_t p : moduli) {
        for (uint64_t q = 1; q <= p + 1; ++q) {
            SCOPED_TRACE(testing::Message() << "p " << p << " q " << q);
            const auto [expected, d] = reference::ElementA(p, q);
            uint64_t a = 0;
            const uint16_t code = ElementA(p, q, &a);
            const bool refused = q == 1 || (p - 1) % q != 0 || d == 0 || d > GOST34310::MaxBaseOfA;
            if (refused) {
                EXPECT_EQ(code, ResultCodeBadValue);
            } else {
                ASSERT_EQ(code, ResultCodeNone);
                EXPECT_EQ(a, expected);
            }
        }
    }
}

TEST(GOST34310ElementA, DegenerateInputEndsPromptly) {
    const Example& e = ExampleNamed("A");
    const LongIntegerClass p = Number(e.p);
    const Bytes one{1}, pPlusOne = BytesOf(p + LongIntegerClass(1u), 64);
    // q = 1 (every d^(p-1) = 1 for the prime p) and q > p - 1 (exponent 0).
    for (const Bytes* q : {&one, &pPlusOne}) {
        GuardedBuffer a(64);
        uint16_t code = 0;
        EXPECT_EQ(QIRVALEGOST34310SignGenerateParameterA(a.data(), 64, e.p.data(), 64, q->data(),
                                                         uint32_t(q->size()), &code),
                  1u);
        EXPECT_EQ(code, ResultCodeBadValue);
        EXPECT_TRUE(a.Untouched() && a.Intact());
    }
    // A composite p = (6k+1)(12k+1)(18k+1) of three primes, with q dividing (p - 1) / (36k):
    // every d prime to p gives 1, so only d = 6k + 1 would end the search.
    const uint64_t k = 206;  // 1237, 2473, 3709 are prime
    const uint64_t f1 = 6 * k + 1, f2 = 12 * k + 1, f3 = 18 * k + 1;
    ASSERT_TRUE(reference::IsPrime(f1) && reference::IsPrime(f2) && reference::IsPrime(f3));
    const uint64_t carmichael = f1 * f2 * f3, cofactor = 36 * k * k + 11 * k + 1;
    uint64_t q = 2;
    while (cofactor % q != 0) ++q;
    ASSERT_EQ((carmichael - 1) % (36 * k * q), 0u);
    uint64_t a = 0;
    EXPECT_EQ(ElementA(carmichael, q, &a), ResultCodeBadValue);
    EXPECT_EQ(reference::ElementA(carmichael, q).second, f1);
    // No element of order q: q = 1, q not dividing p - 1 (the exponent is 0), every d below
    // p - 1 giving 1 (p = 3, q = 2) and p = 1. The plain search would report a = 1.
    for (const auto& [pSmall, qSmall] :
         std::vector<std::pair<uint64_t, uint64_t>>{{5, 1}, {7, 100}, {3, 2}, {1, 2}}) {
        EXPECT_EQ(ElementA(pSmall, qSmall, &a), ResultCodeBadValue) << pSmall << " " << qSmall;
    }
    // Zero modulus or order: an internal failure.
    EXPECT_EQ(ElementA(0, 3, &a), ResultCodeInternalFailure);
    EXPECT_EQ(ElementA(23, 0, &a), ResultCodeInternalFailure);
}

TEST(GOST34310ElementA, ShortBuffer) {
    const Example& e = ExampleNamed("A");
    GuardedBuffer a(63);
    uint16_t code = 0;
    EXPECT_EQ(
        QIRVALEGOST34310SignGenerateParameterA(a.data(), 63, e.p.data(), 64, e.q.data(), 32, &code),
        1u);
    EXPECT_EQ(code, ResultCodeBufferTooSmall);
    EXPECT_TRUE(a.Untouched() && a.Intact());
}

// ---- keys -------------------------------------------------------------------------------

TEST(GOST34310Keys, PrivateKeyIsTheRandomNumberInRange) {
    const Example& e = ExampleNamed("A");
    const LongIntegerClass q = Number(e.q);
    const Bytes zero{0, 0}, qBytes = e.q, above = BytesOf(q + LongIntegerClass(1u), 33);
    for (const Bytes* random : {&zero, &qBytes, &above}) {
        GuardedBuffer x(40);
        uint16_t code = 0;
        EXPECT_EQ(
            QIRVALEGOST34310SignGeneratePrivateKey(x.data(), 40, e.q.data(), 32, random->data(),
                                                   uint32_t(random->size()), &code),
            1u);
        EXPECT_EQ(code, ResultCodeBadValue);
        EXPECT_TRUE(x.Untouched() && x.Intact());
    }
    // q - 1, given with extra zero bytes: written unchanged, zero-padded to the buffer.
    Bytes random = BytesOf(q - LongIntegerClass(1u), 40);
    GuardedBuffer x(36);
    uint16_t code = 0;
    EXPECT_EQ(QIRVALEGOST34310SignGeneratePrivateKey(x.data(), 36, e.q.data(), 32, random.data(),
                                                     40, &code),
              0u);
    random.resize(36);
    EXPECT_EQ(x.bytes(), random);
    // One byte shorter than the key.
    GuardedBuffer shortX(31);
    EXPECT_EQ(QIRVALEGOST34310SignGeneratePrivateKey(shortX.data(), 31, e.q.data(), 32,
                                                     random.data(), 32, &code),
              1u);
    EXPECT_EQ(code, ResultCodeBufferTooSmall);
    EXPECT_TRUE(shortX.Untouched() && shortX.Intact());
}

TEST(GOST34310Keys, PublicKey) {
    const Example& e = ExampleNamed("A");
    const Bytes zero{0}, one{1};
    auto publicKey = [&](const Bytes& x, uint32_t length, uint16_t* code) {
        GuardedBuffer y(length);
        QIRVALEGOST34310SignGeneratePublicKey(y.data(), length, e.p.data(), 64, e.a.data(), 64,
                                              x.data(), uint32_t(x.size()), code);
        EXPECT_TRUE(y.Intact());
        return y.bytes();
    };
    uint16_t code = 0;
    EXPECT_EQ(publicKey(WorkedExamples().x, 64, &code), e.y);
    Bytes expected(64, 0);
    expected[0] = 1;
    EXPECT_EQ(publicKey(zero, 64, &code), expected);  // a^0 = 1
    EXPECT_EQ(publicKey(one, 64, &code), e.a);        // a^1 = a
    EXPECT_EQ(publicKey(WorkedExamples().x, 63, &code), Bytes(63, 0xA5));
    EXPECT_EQ(code, ResultCodeBufferTooSmall);
}

TEST(GOST34310Keys, SizeQueries) {
    Bytes q(32, 0);
    q[31] = 0x80;
    EXPECT_EQ(QIRVALEGOST34310SignPrivateKeyGetMaxSizeInBitsByQ(q.data(), 32), 256u);
    q.resize(40, 0);
    EXPECT_EQ(QIRVALEGOST34310SignPrivateKeyGetMaxSizeInBitsByQ(q.data(), 40), 256u);
    const Example& e = ExampleNamed("B");
    EXPECT_EQ(QIRVALEGOST34310SignPublicKeyGetMaxSizeInBitsByP(e.p.data(), 128), 1024u);
    const Bytes huge(1025, 1);
    EXPECT_EQ(QIRVALEGOST34310SignPrivateKeyGetMaxSizeInBitsByQ(huge.data(), 1025), 0u);
    EXPECT_EQ(QIRVALEGOST34310SignPublicKeyGetMaxSizeInBitsByP(huge.data(), 1025), 0u);
}

// ---- signing and verification ------------------------------------------------------------

struct Domain {
    Bytes p, q, a;
};

Domain DomainOf(const Example& e) {
    return {e.p, e.q, e.a};
}

uint32_t Sign(const Domain& d, const Bytes& hash, const Bytes& x, const Bytes& k,
              uint8_t* signature, uint16_t* code) {
    return QIRVALEGOST34310SignSignHash(signature, d.p.data(), uint32_t(d.p.size()), d.q.data(),
                                        uint32_t(d.q.size()), d.a.data(), uint32_t(d.a.size()),
                                        hash.data(), uint32_t(hash.size()), x.data(),
                                        uint32_t(x.size()), k.data(), uint32_t(k.size()), code);
}

// Status, code and flag of a verification.
struct Verdict {
    uint32_t status;
    uint16_t code;
    uint8_t verified;
    bool operator==(const Verdict& o) const {
        return status == o.status && code == o.code && verified == o.verified;
    }
};
std::ostream& operator<<(std::ostream& out, const Verdict& v) {
    return out << "{" << v.status << ", " << v.code << ", " << int(v.verified) << "}";
}
const Verdict kAccepted{0, ResultCodeNone, 1};
const Verdict kRejected{0, ResultCodeSignatureMismatch, 0};
const Verdict kOutOfRange{1, ResultCodeSignatureOutOfRange, 0};

Verdict Verify(const Domain& d, const Bytes& hash, const Bytes& signature, const Bytes& y) {
    Verdict v{0, 0xFFFF, 0xEE};
    v.status = QIRVALEGOST34310SignVerifyHash(
        &v.verified, d.p.data(), uint32_t(d.p.size()), d.q.data(), uint32_t(d.q.size()), d.a.data(),
        uint32_t(d.a.size()), hash.data(), uint32_t(hash.size()), signature.data(), y.data(),
        uint32_t(y.size()), &v.code);
    return v;
}

Bytes PublicKey(const Domain& d, const Bytes& x) {
    Bytes y(d.p.size());
    uint16_t code = 0;
    EXPECT_EQ(QIRVALEGOST34310SignGeneratePublicKey(
                  y.data(), uint32_t(y.size()), d.p.data(), uint32_t(d.p.size()), d.a.data(),
                  uint32_t(d.a.size()), x.data(), uint32_t(x.size()), &code),
              0u);
    return y;
}

// A uniform number in 1 .. q - 1.
Bytes RandomBelow(const LongIntegerClass& q, std::mt19937_64& random) {
    for (;;) {
        Bytes bytes(q.ByteLength());
        for (uint8_t& b : bytes) b = uint8_t(random());
        const LongIntegerClass v = Number(bytes);
        if (!v.IsZero() && v < q) return bytes;
    }
}

// p and q (twice: the same inputs always give the same outputs), a, y and the signature of
// each worked example.
TEST(GOST34310Signature, WorkedExamples) {
    const Examples& examples = WorkedExamples();
    for (const Example& e : examples.all) {
        SCOPED_TRACE(e.name);
        for (int run = 0; run < 2; ++run) {
            GuardedBuffer p(e.p.size()), q(e.q.size());
            uint16_t code = 0xFFFF;
            ASSERT_EQ(Generate(e.longProcedure, e.width, p.data(), uint32_t(p.size()), q.data(),
                               uint32_t(q.size()), e.tp, e.tq, e.x0, e.c, &code),
                      0u);
            EXPECT_EQ(code, ResultCodeNone);
            EXPECT_EQ(p.bytes(), e.p);
            EXPECT_EQ(q.bytes(), e.q);
            EXPECT_TRUE(p.Intact() && q.Intact());
        }
        GuardedBuffer a(e.a.size());
        uint16_t code = 0xFFFF;
        EXPECT_EQ(QIRVALEGOST34310SignGenerateParameterA(a.data(), uint32_t(a.size()), e.p.data(),
                                                         uint32_t(e.p.size()), e.q.data(),
                                                         uint32_t(e.q.size()), &code),
                  0u);
        EXPECT_EQ(a.bytes(), e.a);
        const Domain d = DomainOf(e);
        GuardedBuffer signature(64);
        EXPECT_EQ(Sign(d, examples.hash, examples.x, examples.k, signature.data(), &code), 0u);
        EXPECT_EQ(code, ResultCodeNone);
        EXPECT_EQ(signature.bytes(), e.signature);
        EXPECT_TRUE(signature.Intact());
        EXPECT_EQ(PublicKey(d, examples.x), e.y);
        EXPECT_EQ(Verify(d, examples.hash, e.signature, e.y), kAccepted);
    }
}

TEST(GOST34310Signature, RoundTripsWithRandomKeys) {
    std::mt19937_64 random(3431095);
    for (const char* name : {"A", "B"}) {
        const Domain d = DomainOf(ExampleNamed(name));
        const LongIntegerClass q = Number(d.q);
        for (int i = 0; i < 24; ++i) {
            SCOPED_TRACE(testing::Message() << name << " " << i);
            const Bytes x = RandomBelow(q, random), k = RandomBelow(q, random);
            Bytes hash(32);
            for (uint8_t& b : hash) b = uint8_t(random());
            const Bytes y = PublicKey(d, x);
            Bytes signature(64);
            uint16_t code = 0;
            ASSERT_EQ(Sign(d, hash, x, k, signature.data(), &code), 0u);
            EXPECT_EQ(Verify(d, hash, signature, y), kAccepted);
            Bytes otherHash = hash;
            otherHash[i % 32] ^= 0x10;
            EXPECT_EQ(Verify(d, otherHash, signature, y), kRejected);
            EXPECT_EQ(Verify(d, hash, signature, PublicKey(d, RandomBelow(q, random))), kRejected);
        }
    }
}

TEST(GOST34310Signature, EverySingleBitChangeIsRejected) {
    const Examples& examples = WorkedExamples();
    const Example& e = ExampleNamed("A");
    const Domain d = DomainOf(e);
    const LongIntegerClass q = Number(e.q);
    int rejected = 0;
    for (uint32_t bit = 0; bit < 512; ++bit) {
        Bytes changed = e.signature;
        changed[bit / 8] ^= uint8_t(1u << (bit % 8));
        const LongIntegerClass half = Number(
            Bytes(changed.begin() + (bit < 256 ? 0 : 32), changed.begin() + (bit < 256 ? 32 : 64)));
        const bool inRange = !half.IsZero() && half < q;
        EXPECT_EQ(Verify(d, examples.hash, changed, e.y), inRange ? kRejected : kOutOfRange)
            << "bit " << bit;
        rejected += inRange;
    }
    EXPECT_GT(rejected, 500);
}

TEST(GOST34310Signature, ComponentsOutOfRange) {
    const Examples& examples = WorkedExamples();
    const Example& e = ExampleNamed("A");
    const Domain d = DomainOf(e);
    const LongIntegerClass q = Number(e.q);
    const Bytes s(e.signature.begin(), e.signature.begin() + 32);
    const Bytes r(e.signature.begin() + 32, e.signature.end());
    for (const Bytes& bad :
         {Bytes(32, 0), e.q, BytesOf(q + LongIntegerClass(1u), 32), Bytes(32, 0xFF)}) {
        Bytes badR = s, badS = bad;
        badR.insert(badR.end(), bad.begin(), bad.end());
        badS.insert(badS.end(), r.begin(), r.end());
        EXPECT_EQ(Verify(d, examples.hash, badR, e.y), kOutOfRange);
        EXPECT_EQ(Verify(d, examples.hash, badS, e.y), kOutOfRange);
    }
}

TEST(GOST34310Signature, UnusableRandomNumberWritesNothing) {
    const Examples& examples = WorkedExamples();
    const Example& e = ExampleNamed("A");
    const LongIntegerClass q = Number(e.q);
    for (const Bytes& k :
         {Bytes{}, Bytes(32, 0), e.q, BytesOf(q + LongIntegerClass(1u), 32), Bytes(40, 0xFF)}) {
        GuardedBuffer signature(64);
        uint16_t code = 0;
        EXPECT_EQ(Sign(DomainOf(e), examples.hash, examples.x, k, signature.data(), &code), 1u);
        EXPECT_EQ(code, ResultCodeBadValue);
        EXPECT_TRUE(signature.Untouched() && signature.Intact());
    }
}

TEST(GOST34310Signature, ZeroComponentsAreRefused) {
    // Small parameters where some k gives r = 0: p prime, q prime dividing p - 1, a of order q.
    using reference::PowMod;
    for (uint64_t p = 5; p < 3000; ++p) {
        if (!reference::IsPrime(p)) continue;
        for (uint64_t q = 3; q < p; ++q) {
            if ((p - 1) % q != 0 || !reference::IsPrime(q)) continue;
            const uint64_t a = PowMod(2, (p - 1) / q, p);
            if (a == 1) continue;
            uint64_t zeroK = 0, usableK = 0;
            for (uint64_t k = 1; k < q; ++k) {
                (PowMod(a, k, p) % q == 0 ? zeroK : usableK) = k;
            }
            if (zeroK == 0) continue;
            const Domain d{BytesOf64(p), BytesOf64(q), BytesOf64(a)};
            GuardedBuffer signature(64);
            uint16_t code = 0;
            EXPECT_EQ(Sign(d, Bytes{1}, Bytes{1}, BytesOf64(zeroK), signature.data(), &code), 1u);
            EXPECT_EQ(code, ResultCodeBadValue);
            EXPECT_TRUE(signature.Untouched());
            // s = (x r + k H) mod q = 0 for H = 1 and the x that solves x r = -k.
            const uint64_t r = PowMod(a, usableK, p) % q;
            uint64_t x = 1;
            while ((x * r + usableK) % q != 0) ++x;
            EXPECT_EQ(Sign(d, Bytes{1}, BytesOf64(x), BytesOf64(usableK), signature.data(), &code),
                      1u);
            EXPECT_EQ(code, ResultCodeBadValue);
            EXPECT_TRUE(signature.Untouched() && signature.Intact());
            return;
        }
    }
    FAIL() << "no small parameters with r = 0";
}

TEST(GOST34310Signature, HashMultipleOfQSignsAsOne) {
    const Examples& examples = WorkedExamples();
    const Example& e = ExampleNamed("A");
    const Domain d = DomainOf(e);
    const LongIntegerClass q = Number(e.q);
    const Bytes one{1}, zero(32, 0), twoQ = BytesOf(q + q, 40);
    Bytes expected(64), signature(64);
    uint16_t code = 0;
    ASSERT_EQ(Sign(d, one, examples.x, examples.k, expected.data(), &code), 0u);
    for (const Bytes& hash : {e.q, zero, twoQ}) {
        ASSERT_EQ(Sign(d, hash, examples.x, examples.k, signature.data(), &code), 0u);
        EXPECT_EQ(signature, expected);
    }
    for (const Bytes& hash : {one, e.q, twoQ}) EXPECT_EQ(Verify(d, hash, expected, e.y), kAccepted);
}

TEST(GOST34310Signature, OrderWiderThanTheSignatureIsRefused) {
    // A 257-bit q would make r and s too long for their 32 bytes, whatever k: no k can help.
    const Examples& examples = WorkedExamples();
    const Example& e = ExampleNamed("A");
    Domain d = DomainOf(e);
    d.q = Bytes(33, 0);
    d.q[32] = 1;
    d.q[0] = 0x0F;
    GuardedBuffer signature(64);
    uint16_t code = 0;
    EXPECT_EQ(Sign(d, examples.hash, examples.x, examples.k, signature.data(), &code), 1u);
    EXPECT_EQ(code, ResultCodeInternalFailure);
    EXPECT_TRUE(signature.Untouched() && signature.Intact());
}

// Parameters on which every random number fails answer ResultCodeInternalFailure, not the
// code on which callers draw again: q <= 1 (no k or x in range), q = 2 (its one k = 1
// failed), a = 0 (mod p) with p = 1 among them (r = 0 for every k). With q = 3 the same
// failures leave another k and keep ResultCodeBadValue.
TEST(GOST34310Signature, NoRandomNumberCanSucceed) {
    struct Case {
        uint64_t p, q, a, x, k;
        uint16_t expected;
    };
    const Case cases[] = {
        {23, 11, 0, 1, 3, ResultCodeInternalFailure},   // a = 0
        {23, 11, 46, 1, 3, ResultCodeInternalFailure},  // a = 2p
        {1, 11, 5, 1, 3, ResultCodeInternalFailure},    // p = 1
        {23, 1, 2, 1, 1, ResultCodeInternalFailure},    // q = 1: no k
        {23, 1, 2, 1, 0, ResultCodeInternalFailure},
        {7, 2, 6, 1, 1, ResultCodeInternalFailure},  // r = 6 mod 2 = 0
        {7, 2, 3, 1, 1, ResultCodeInternalFailure},  // r = 1, s = (1 + 1) mod 2 = 0
        {7, 2, 3, 1, 2, ResultCodeBadValue},         // k out of range: k = 1 remains
        {7, 3, 3, 1, 1, ResultCodeBadValue},         // r = 3 mod 3 = 0; k = 2 gives r = 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "p " << c.p << " q " << c.q << " a " << c.a << " k " << c.k);
        GuardedBuffer signature(64);
        uint16_t code = 0;
        EXPECT_EQ(Sign({BytesOf64(c.p), BytesOf64(c.q), BytesOf64(c.a)}, Bytes{1}, BytesOf64(c.x),
                       BytesOf64(c.k), signature.data(), &code),
                  1u);
        EXPECT_EQ(code, c.expected);
        EXPECT_TRUE(signature.Untouched() && signature.Intact());
    }
    for (uint64_t q : {0, 1}) {
        Bytes x(8);
        uint16_t code = 0;
        const Bytes qBytes = BytesOf64(q), random{1};
        EXPECT_EQ(QIRVALEGOST34310SignGeneratePrivateKey(x.data(), 8, qBytes.data(), 8,
                                                         random.data(), 1, &code),
                  1u);
        EXPECT_EQ(code, ResultCodeInternalFailure) << q;
    }
}

// ---- hostile lengths ----------------------------------------------------------------------

TEST(GOST34310Exports, NumbersAbove1024BytesGiveInternalFailure) {
    const Examples& examples = WorkedExamples();
    const Example& e = ExampleNamed("A");
    const Bytes huge(1025, 0);
    // Each call gets its arguments in order; `which` of them is replaced by the huge string.
    using Call = std::function<uint32_t(const std::vector<const Bytes*>&, uint8_t*, uint16_t*)>;
    struct Case {
        const char* name;
        std::vector<const Bytes*> arguments;
        Call call;
    };
    auto data = [](const Bytes* b) { return b->data(); };
    auto size = [](const Bytes* b) { return uint32_t(b->size()); };
    const std::vector<Case> cases{
        {"ParameterA",
         {&e.p, &e.q},
         [&](auto& v, uint8_t* out, uint16_t* code) {
             return QIRVALEGOST34310SignGenerateParameterA(out, 64, data(v[0]), size(v[0]),
                                                           data(v[1]), size(v[1]), code);
         }},
        {"PrivateKey",
         {&e.q, &examples.x},
         [&](auto& v, uint8_t* out, uint16_t* code) {
             return QIRVALEGOST34310SignGeneratePrivateKey(out, 64, data(v[0]), size(v[0]),
                                                           data(v[1]), size(v[1]), code);
         }},
        {"PublicKey",
         {&e.p, &e.a, &examples.x},
         [&](auto& v, uint8_t* out, uint16_t* code) {
             return QIRVALEGOST34310SignGeneratePublicKey(out, 64, data(v[0]), size(v[0]),
                                                          data(v[1]), size(v[1]), data(v[2]),
                                                          size(v[2]), code);
         }},
        {"SignHash",
         {&e.p, &e.q, &e.a, &examples.hash, &examples.x, &examples.k},
         [&](auto& v, uint8_t* out, uint16_t* code) {
             return QIRVALEGOST34310SignSignHash(
                 out, data(v[0]), size(v[0]), data(v[1]), size(v[1]), data(v[2]), size(v[2]),
                 data(v[3]), size(v[3]), data(v[4]), size(v[4]), data(v[5]), size(v[5]), code);
         }},
        {"VerifyHash",
         {&e.p, &e.q, &e.a, &examples.hash, &e.y},
         [&](auto& v, uint8_t* out, uint16_t* code) {
             return QIRVALEGOST34310SignVerifyHash(
                 out, data(v[0]), size(v[0]), data(v[1]), size(v[1]), data(v[2]), size(v[2]),
                 data(v[3]), size(v[3]), e.signature.data(), data(v[4]), size(v[4]), code);
         }},
    };
    for (const Case& c : cases) {
        for (size_t which = 0; which < c.arguments.size(); ++which) {
            SCOPED_TRACE(testing::Message() << c.name << " argument " << which);
            std::vector<const Bytes*> arguments = c.arguments;
            arguments[which] = &huge;
            GuardedBuffer out(64);
            uint16_t code = 0;
            EXPECT_EQ(c.call(arguments, out.data(), &code), 1u);
            EXPECT_EQ(code, ResultCodeInternalFailure);
            EXPECT_TRUE(out.Intact());
            // The verification flag is the first output byte: cleared, never set.
            if (std::string(c.name) == "VerifyHash")
                EXPECT_EQ(out.bytes()[0], 0);
            else
                EXPECT_TRUE(out.Untouched());
        }
    }
}

}  // namespace
