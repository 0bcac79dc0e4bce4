// LongIntegerClass: known answers, capacity limits, wiping, and randomized differential tests
// against GMP where the host has it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frame/exceptions.h"
#include "longint/fixed_width.h"
#include "longint/long_integer.h"
#include "longint/long_integer_reference.h"
#include "support/test_support.h"

#if QIRVALE_HAVE_GMP
#include <gmp.h>
#endif

namespace {

using QIRVALE::DivideByZeroExceptionClass;
using QIRVALE::IntegerOverflowExceptionClass;
using QIRVALE::LongIntegerClass;
using QIRVALE::OutOfMemoryExceptionClass;
using qirvale_test::Bytes;

// ---- helpers --------------------------------------------------------------------------------

// The value of a big-endian hex string ("" is 0).
LongIntegerClass Hex(const std::string& hex) {
    std::string even = hex.size() % 2 ? "0" + hex : hex;
    Bytes bytes = qirvale_test::FromHex(even);
    LongIntegerClass v;
    v.FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), 1);
    return v;
}

// Big-endian hex of the significant bytes ("0" for zero).
std::string Hex(const LongIntegerClass& v) {
    const uint32_t n = v.ByteLength();
    if (n == 0) return "0";
    Bytes bytes(n);
    v.ToBytes(bytes.data(), n, 1);
    std::string hex = qirvale_test::ToHex(bytes);
    return hex[0] == '0' ? hex.substr(1) : hex;
}

// 2^k - 1.
LongIntegerClass Ones(uint32_t k) {
    LongIntegerClass v;
    for (uint32_t i = 0; i < k; ++i) v.SetBit(i, true);
    return v;
}

LongIntegerClass PowerOfTwo(uint32_t k) {
    LongIntegerClass v;
    v.SetBit(k, true);
    return v;
}

LongIntegerClass U(uint32_t v) {
    return LongIntegerClass(v);
}

// ---- conversions, copying, wiping and access --------------------------------------------------
//
// Values of every operation are checked against GMP below; these tests hold what GMP cannot
// see: digit counts (values are not normalised by construction), capacity edges, aliasing,
// and the wiping of dropped digits.

TEST(LongIntegerBytes, ConversionsCountsAndCapacity) {
    const uint8_t low[] = {0x01, 0x00, 0x00, 0x00};
    LongIntegerClass v;
    v.FromBytes(low, 4, 0);
    EXPECT_EQ(v.DigitCount(), 2u);  // not normalised by construction
    EXPECT_EQ(v.ByteLength(), 1u);
    EXPECT_EQ(v.DigitCount(), 1u);  // reading normalised it in place
    v.FromBytes(low, 0, 0);
    EXPECT_TRUE(v.IsZero());
    EXPECT_EQ(v.DigitCount(), 1u);
    LongIntegerClass w(0x12345678u);
    EXPECT_EQ(w.DigitCount(), 2u);
    w.FromUInt32(7);
    EXPECT_EQ(w.DigitCount(), 2u);
    EXPECT_EQ(w.ToUInt32(), 7u);

    Bytes bytes(1025, 0xFF);
    v.FromBytes(bytes.data(), 1024, 0);
    EXPECT_EQ(v.BitLength(), 8192u);
    EXPECT_THROW(v.FromBytes(bytes.data(), 1025, 0), OutOfMemoryExceptionClass);
    EXPECT_THROW(v.FromBytes(bytes.data(), 1025, 1), OutOfMemoryExceptionClass);
    EXPECT_THROW(v.FromBytes(bytes.data(), 0xFFFFFFFFu, 0), OutOfMemoryExceptionClass);

    EXPECT_EQ(Hex("0000000000ffffffff").ToUInt32(), 0xFFFFFFFFu);
    EXPECT_THROW(Hex("0100000000").ToUInt32(), IntegerOverflowExceptionClass);
    LongIntegerClass one(1u);
    EXPECT_THROW(one <<= Hex("0100000000"), IntegerOverflowExceptionClass);
    one <<= Hex("0000000000000020");
    EXPECT_EQ(Hex(one), "100000000");
}

TEST(LongIntegerMemory, AssignmentDestructionAndShrinkingWipe) {
    LongIntegerClass big = Ones(160);
    big = U(3);
    EXPECT_EQ(big.DigitCount(), 2u);
    for (uint32_t i = 2; i < 10; ++i) {
        EXPECT_EQ(big.Digits()[i], 0u) << i;
    }
    EXPECT_EQ(LongIntegerClass(big).DigitCount(), 2u);

    alignas(LongIntegerClass) unsigned char storage[sizeof(LongIntegerClass)];
    std::memset(storage, 0x5A, sizeof storage);
    auto* v = new (storage) LongIntegerClass;
    Bytes bytes(1024, 0xC3);
    v->FromBytes(bytes.data(), 1024, 0);
    v->~LongIntegerClass();
    for (size_t i = 0; i < 1024; ++i) {
        ASSERT_EQ(storage[i], 0) << i;
    }
    uint32_t count;
    std::memcpy(&count, storage + 1024, sizeof count);
    EXPECT_EQ(count, 0u);

    // Shrinking and clearing also overwrite what they drop.
    v = new (storage) LongIntegerClass;
    v->FromBytes(bytes.data(), 200, 0);
    v->ShiftRight(800);
    for (size_t i = 100; i < 200; ++i) {
        ASSERT_EQ(storage[i], 0) << i;
    }
    v->SetZero();
    for (size_t i = 0; i < 200; ++i) {
        ASSERT_EQ(storage[i], 0) << i;
    }
    v->~LongIntegerClass();
}

TEST(LongIntegerAccess, SettersAndResize) {
    LongIntegerClass v(1u);
    v.Normalize();
    v.SetBit(40, false);
    EXPECT_EQ(v.DigitCount(), 1u);
    v.SetBit(40, true);
    EXPECT_EQ(v.DigitCount(), 3u);
    v.SetBit(40, false);  // in place, not normalised
    EXPECT_EQ(v.DigitCount(), 3u);
    LongIntegerClass b;
    b.SetByte(9, 0);
    EXPECT_EQ(b.DigitCount(), 1u);
    b.SetByte(9, 0xAB);
    EXPECT_EQ(b.DigitCount(), 5u);
    EXPECT_EQ(b.GetByte(9), 0xAB);
    EXPECT_EQ(b.GetByte(100), 0);
    b.SetByte(9, 0);  // within the used digits: written, the count kept
    EXPECT_EQ(b.DigitCount(), 5u);
    LongIntegerClass d;
    d.SetDigit(7, 0x1234);
    EXPECT_EQ(d.DigitCount(), 8u);
    d.SetDigit(7, 0);  // SetDigit normalises
    EXPECT_EQ(d.DigitCount(), 1u);

    LongIntegerClass e;
    EXPECT_THROW(e.SetBit(8192, true), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(e.SetBit(8192, false));
    EXPECT_THROW(e.SetByte(1024, 1), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(e.SetByte(1024, 0));
    EXPECT_THROW(e.SetDigit(512, 0), OutOfMemoryExceptionClass);
    EXPECT_THROW(e.SetDigit(0xFFFFFFFFu, 1), OutOfMemoryExceptionClass);
    EXPECT_THROW(e.Resize(513), OutOfMemoryExceptionClass);
    EXPECT_THROW(e.SetDigitCount(513), OutOfMemoryExceptionClass);
    e.SetBit(8191, true);
    EXPECT_EQ(e.DigitCount(), 512u);

    LongIntegerClass r = Hex("123456789abc");
    r.Resize(6);  // grows without changing the count
    EXPECT_EQ(r.DigitCount(), 3u);
    r.SetDigitCount(6);
    EXPECT_EQ(Hex(r), "123456789abc");
    r.Resize(2);
    EXPECT_EQ(Hex(r), "56789abc");
    r.Resize(0);
    EXPECT_EQ(r.DigitCount(), 1u);
    EXPECT_TRUE(r.IsZero());
    LongIntegerClass t = Hex("10000");
    t.Resize(1);  // drops the top digit and normalises
    EXPECT_EQ(t.DigitCount(), 1u);
}

// ---- capacity edges and aliasing of the arithmetic -------------------------------------------

TEST(LongIntegerArithmetic, ComparisonAddSubtractLimits) {
    const LongIntegerClass a = Hex("0000000000000005"), b = U(5);
    EXPECT_TRUE(a == b && !(a != b) && a <= b && a >= b && U(0) < U(1) && Hex("10000") > b);
    EXPECT_THROW(U(0) - U(1), IntegerOverflowExceptionClass);
    LongIntegerClass top = Ones(8192);
    EXPECT_THROW(top.Increment(), OutOfMemoryExceptionClass);
    top = Ones(8191);
    top.Increment();
    EXPECT_EQ(top, PowerOfTwo(8191));
    EXPECT_THROW(Ones(8192) + PowerOfTwo(0), OutOfMemoryExceptionClass);
    EXPECT_THROW(PowerOfTwo(8191) + PowerOfTwo(8191), OutOfMemoryExceptionClass);
    EXPECT_EQ(Ones(8192) + U(0), Ones(8192));
    EXPECT_TRUE((LongIntegerClass() + U(0)).IsZero());
    LongIntegerClass self = Hex("8000ffff");
    self += self;
    EXPECT_EQ(Hex(self), "10001fffe");
    self -= self;
    EXPECT_TRUE(self.IsZero());
    EXPECT_EQ(self.DigitCount(), 1u);
}

TEST(LongIntegerShifts, ShiftLeftRoomCheckCountsWholeDigits) {
    LongIntegerClass v = PowerOfTwo(8176);  // 512 digits, top bit of digit 511 clear
    EXPECT_THROW(v.ShiftLeft(1), OutOfMemoryExceptionClass);
    LongIntegerClass w = PowerOfTwo(8175);  // 511 digits
    w.ShiftLeft(16);
    EXPECT_EQ(w, PowerOfTwo(8191));
    EXPECT_THROW(PowerOfTwo(8175) << 17, OutOfMemoryExceptionClass);
    EXPECT_THROW(PowerOfTwo(0) << 8191, OutOfMemoryExceptionClass);  // 1 + 512 digits of room
    EXPECT_EQ((PowerOfTwo(0) << 8176).BitLength(), 8177u);
    EXPECT_THROW(PowerOfTwo(0) << 0xFFFFFFFFu, OutOfMemoryExceptionClass);
    LongIntegerClass zero;
    zero.ShiftLeft(0xFFFFFFFFu);
    EXPECT_TRUE(zero.IsZero());
    EXPECT_TRUE((Hex("80010000") >> 0xFFFFFFFFu).IsZero());
}

// Xor and And work on the stored counts (no normalising); aliases; capacity.
TEST(LongIntegerBitwise, StoredCountsAliasesAndCapacity) {
    LongIntegerClass a = Hex("0000000000ff");  // 3 digits stored
    a ^= Hex("00ff");                          // 1 digit stored
    EXPECT_EQ(a.DigitCount(), 3u);
    EXPECT_TRUE(a.IsZero());
    LongIntegerClass c = U(0);
    c.Normalize();
    c ^= Hex("000000010000");
    EXPECT_EQ(c.DigitCount(), 3u);
    LongIntegerClass d = c;
    d ^= d;
    EXPECT_EQ(d.DigitCount(), 3u);
    EXPECT_TRUE(d.IsZero());
    LongIntegerClass same = Hex("0100ffff");
    same &= Hex("00ff00000000ffff");
    EXPECT_EQ(same.DigitCount(), 2u);  // the smaller count, not normalised
    EXPECT_EQ(Hex(same), "ffff");

    LongIntegerClass t = Hex("123456789");
    t.TruncateBits(100);  // grows the count, not the value
    EXPECT_EQ(t.DigitCount(), 7u);
    t.TruncateBits(0);
    EXPECT_EQ(t.DigitCount(), 1u);
    EXPECT_THROW(U(1).TruncateBits(8193), OutOfMemoryExceptionClass);
    EXPECT_THROW(U(1).TruncateBits(0xFFFFFFFFu), OutOfMemoryExceptionClass);

    LongIntegerClass x = U(1);
    x.XorShifted(U(3), 20);
    EXPECT_EQ(x.DigitCount(), 3u);  // (20 + 15) / 16 + 1
    LongIntegerClass y = U(5);
    y.XorShifted(LongIntegerClass(), 100000);  // zero does nothing, at any shift
    EXPECT_EQ(y.ToUInt32(), 5u);
    EXPECT_THROW(y.XorShifted(U(1), 8192), OutOfMemoryExceptionClass);
    y.XorShifted(y, 3);
    EXPECT_EQ(Hex(y), "2d");

    // Rotations within 0 or 1 bits do nothing; bit w - 1 beyond the stored digits reads as 0.
    LongIntegerClass r = U(0x13);
    r.RotateRightOne(1);
    r.RotateLeftOne(0);
    EXPECT_EQ(r.ToUInt32(), 0x13u);
    LongIntegerClass small = U(1);
    small.Normalize();
    small.RotateLeftOne(163);
    EXPECT_EQ(small.ToUInt32(), 2u);
}

TEST(LongIntegerDivision, ZeroDivisorsAndCapacityLimits) {
    LongIntegerClass q, r;
    EXPECT_THROW(U(7).DivMod(U(0), q, r), DivideByZeroExceptionClass);
    EXPECT_THROW(U(7) / Hex("0000"), DivideByZeroExceptionClass);
    EXPECT_THROW(U(7) % U(0), DivideByZeroExceptionClass);
    EXPECT_THROW(PowerOfTwo(64).ModuloUInt32(0), DivideByZeroExceptionClass);
    EXPECT_EQ(Hex("ffffffffffffffff").ModuloUInt32(0xFFFFFFFFu), 0u);

    EXPECT_EQ((Ones(256 * 16) * Ones(256 * 16)).BitLength(), 8192u);
    EXPECT_THROW(Ones(257 * 16) * Ones(256 * 16), OutOfMemoryExceptionClass);
    // The check counts digits: 2^8176 * 1 needs 513 digits of room, 2^8175 * 1 fits.
    EXPECT_THROW(PowerOfTwo(8176) * U(1), OutOfMemoryExceptionClass);
    EXPECT_EQ(PowerOfTwo(8175) * U(1), PowerOfTwo(8175));
    EXPECT_TRUE((Ones(8192) * U(0)).IsZero());

    // Long division: BitLength(dividend) + normalising shift must not exceed 8176.
    const LongIntegerClass fullTop = Hex("80000000");  // shift 0
    const LongIntegerClass shift15 = Hex("10000");     // shift 15
    EXPECT_NO_THROW(Ones(8176).DivMod(fullTop, q, r));
    EXPECT_THROW(Ones(8177).DivMod(fullTop, q, r), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(Ones(8161).DivMod(shift15, q, r));
    EXPECT_EQ(q, Ones(8161) >> 16);
    EXPECT_THROW(Ones(8162).DivMod(shift15, q, r), OutOfMemoryExceptionClass);
    // A single-digit divisor never runs out of room; neither does a longer divisor.
    EXPECT_NO_THROW(Ones(8192).DivMod(U(3), q, r));
    EXPECT_NO_THROW(Ones(8176).DivMod(Ones(8177), q, r));
    EXPECT_EQ(r, Ones(8176));
    // ModuloUInt32 with a two-digit divisor follows the same rule.
    EXPECT_THROW(Ones(8176).ModuloUInt32(65537), OutOfMemoryExceptionClass);
    EXPECT_EQ(Ones(8176).ModuloUInt32(65535), 0u);
}

TEST(LongIntegerModular, ModExpKnownAnswers) {
    EXPECT_EQ(LongIntegerClass::ModExp(U(3), U(0), U(0)).ToUInt32(), 1u);
    EXPECT_EQ(LongIntegerClass::ModExp(U(10), U(1), U(7)).ToUInt32(), 10u);  // e = 1: unreduced
    EXPECT_EQ(LongIntegerClass::ModExp(U(10), U(1), U(0)).ToUInt32(), 10u);
    EXPECT_EQ(LongIntegerClass::ModExp(U(2), U(10), U(1000)).ToUInt32(), 24u);
    EXPECT_THROW(LongIntegerClass::ModExp(U(2), U(2), U(0)), DivideByZeroExceptionClass);
    EXPECT_THROW(LongIntegerClass::ModMul(U(1), U(1), U(0)), DivideByZeroExceptionClass);
    // Fermat: a^(p-1) = 1 mod p for p = 2^127 - 1.
    const LongIntegerClass p = Ones(127);
    EXPECT_EQ(LongIntegerClass::ModExp(U(3), p - U(1), p), U(1));
    // A base too long to square raises before the zero modulus is noticed.
    EXPECT_THROW(LongIntegerClass::ModExp(Ones(257 * 16), U(2), U(0)), OutOfMemoryExceptionClass);
}

// ---- randomized operands ---------------------------------------------------------------------

// Random operands: lengths spread over 0..maxBits with extra weight at digit boundaries, and
// bit patterns that provoke long carries and borrows (all ones, single bits, runs of 0xffff
// and 0x0000 digits). Some values carry leading zero digits, as after FromBytes.
class Operands {
  public:
    explicit Operands(uint64_t seed) : rng_(seed) {}

    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

    uint32_t Bits(uint32_t maxBits) {
        switch (Below(4)) {
            case 0: {  // near a digit boundary
                const uint32_t b = 16 * Below(maxBits / 16 + 1) + Below(3);
                return b >= 1 && b <= maxBits + 1 ? b - 1 : b > maxBits ? maxBits : b;
            }
            case 1:
                return Below(std::min(maxBits, 64u) + 1);  // short
            default:
                return Below(maxBits + 1);
        }
    }

    LongIntegerClass Value(uint32_t maxBits) { return WithBits(Bits(maxBits)); }

    LongIntegerClass WithBits(uint32_t bits) {
        Bytes bytes((bits + 7) / 8);
        const uint32_t pattern = Below(8);
        for (size_t i = 0; i < bytes.size(); ++i) {
            switch (pattern) {
                case 0:
                    bytes[i] = 0xFF;
                    break;
                case 1:
                    bytes[i] = 0;
                    break;
                case 2: {  // runs of whole 0xffff / 0x0000 digits
                    const uint32_t run = static_cast<uint32_t>(rng_() & 3);
                    bytes[i] = run == 0 ? 0x00 : run == 1 ? 0xFF : static_cast<uint8_t>(rng_());
                    if (i + 1 < bytes.size()) bytes[i + 1] = bytes[i], ++i;
                    break;
                }
                default:
                    bytes[i] = static_cast<uint8_t>(rng_());
            }
        }
        if (bits > 0) {  // exactly `bits` bits
            const uint32_t topBit = (bits - 1) % 8;
            bytes.back() &= static_cast<uint8_t>((2u << topBit) - 1);
            bytes.back() |= static_cast<uint8_t>(1u << topBit);
        }
        const uint32_t pad = Below(4) == 0 ? Below(5) : 0;  // leading zero bytes
        if (bytes.size() + pad <= 1024) bytes.resize(bytes.size() + pad, 0);
        LongIntegerClass v;
        v.FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), 0);
        return v;
    }

    std::mt19937_64& Engine() { return rng_; }

  private:
    std::mt19937_64 rng_;
};

// Every result must come out normalised: digit count max(1, ceil(bits / 16)).
bool Normalised(const LongIntegerClass& v) {
    return v.DigitCount() == std::max(1u, (v.BitLength() + 15) / 16);
}

std::string Describe(const LongIntegerClass& v) {
    return Normalised(v) ? Hex(v) : Hex(v) + " not normalised";
}
std::string Describe(const std::string& s) {
    return s;
}

// Runs an operation and names its outcome: the result, or the exception.
template <class Operation>
std::string Outcome(Operation operation) {
    try {
        return Describe(operation());
    } catch (const OutOfMemoryExceptionClass&) {
        return "OutOfMemory";
    } catch (const DivideByZeroExceptionClass&) {
        return "DivideByZero";
    } catch (const IntegerOverflowExceptionClass&) {
        return "IntegerOverflow";
    }
}

namespace Reference = QIRVALE::LongIntegerReference;

// q and r of a division, by the word-wise or the digit-by-digit algorithm.
std::string Divide(const LongIntegerClass& a, const LongIntegerClass& d, bool reference) {
    LongIntegerClass q(1u), r(2u);
    if (reference)
        Reference::DivMod(a, d, q, r);
    else
        a.DivMod(d, q, r);
    return Describe(q) + " " + Describe(r);
}

// Dividends and divisors whose long division needs the add-back step: in base 2^16 (digits),
// 2^32 and 2^64 (the word sizes of the 32- and 64-bit builds). Found by searching structured
// operands with a model of each algorithm.
TEST(LongIntegerDivision, AddBackCases) {
    struct Case {
        const char *u, *v, *q, *r;
    };
    const Case cases[] = {
        // base 2^16
        {"4000c0000001f45865b5fffe", "ab2ee64a0002", "5fb6f70ccfe0", "4e3320dc603e"},
        {"fffea03180000001", "20003", "7ffe901ae7d7", "1487c"},
        {"c000400000010002", "40007fff", "2fffb0015", "3ff18017"},
        // base 2^32
        {"fffffffe00000002ffffffff00000002ffffffff0000000200000001",
         "ffffffff000000028000000040000000", "fffffffeffffffff80000000",
         "c00000047fffffff2000000200000001"},
        {"24000000000000002000000013fffffff3fffffff7fffffff", "240000000000000027fffffff",
         "ffffffffffffffffc71c71c8", "3fffffffce38e38b471c71c7"},
        {"40000000c000000000000000ffffffffc0000000", "100000003000000007fffffff",
         "3fffffffffffffff", "e0000004400000003fffffff"},
        // base 2^64
        {"7fffffffffffffff7fffffffffffffffc0000000000000004000000000000000",
         "80000000000000010000000000000002c3201ef12d27dadf", "fffffffffffffffc",
         "8000000000000000fcdfe10ed2d8252c4c807bc4b49f6b7c"},
        {"ffffffffffffffff800000000000000000000000000000008000000000000001800000000000000100000000"
         "000000004834cc4b9c73ac96",
         "1ffffffffffffffff00000000000000010000000000000003",
         "7fffffffffffffffffffffffffffffffbfffffffffffffff6000000000000000",
         "1200000000000000260000000000000022834cc4b9c73ac96"},
        {"c000000000000000ffffffffffffffff3fffffffffffffffd97075c9ccc340becc2f5159895f727d",
         "17fffffffffffffff0000000000000000fffffffffffffffe", "8000000000000000ffffffffffffffff",
         "13ffffffffffffffed97075c9ccc340c1cc2f5159895f727b"},
    };
    for (const Case& c : cases) {
        const std::string expected = std::string(c.q) + " " + c.r;
        EXPECT_EQ(Divide(Hex(c.u), Hex(c.v), false), expected) << c.u;
        EXPECT_EQ(Divide(Hex(c.u), Hex(c.v), true), expected) << c.u;
    }
}

// ---- word-wise operations against the digit-by-digit forms -----------------------------------

// Same results and same exceptions, with operands up to full capacity and moduli around 255
// digits, the largest the Montgomery path accepts (beyond it the square-and-multiply path
// runs and may raise where its products outgrow the room). These run on every build, with or
// without GMP.
TEST(LongIntegerReference, FastPathsAgreeAtTheLimits) {
    Operands ops(11);
    for (int iteration = 0; iteration < 1500; ++iteration) {
        const LongIntegerClass a = ops.Value(8192);
        const LongIntegerClass b = iteration % 3 == 0 ? ops.Value(8192 - a.BitLength() + 48)
                                                      : ops.Value(iteration % 2 ? 600 : 8192);
        ASSERT_EQ(Outcome([&] { return a * b; }),
                  Outcome([&] { return Reference::Multiply(a, b); }))
            << Hex(a) << " * " << Hex(b);
        ASSERT_EQ(Outcome([&] { return a * a; }),
                  Outcome([&] { return Reference::Multiply(a, a); }))
            << Hex(a) << " ^ 2";
        const LongIntegerClass d = iteration % 4 == 0 ? ops.WithBits(1 + ops.Below(20)) : b;
        ASSERT_EQ(Outcome([&] { return Divide(a, d, false); }),
                  Outcome([&] { return Divide(a, d, true); }))
            << Hex(a) << " / " << Hex(d);
    }
    for (int iteration = 0; iteration < 60; ++iteration) {
        const uint32_t mBits = 16 * (253 + ops.Below(5)) - ops.Below(16);
        LongIntegerClass m = ops.WithBits(mBits);
        if (iteration % 2 == 0) m.SetBit(0, true);
        const uint32_t baseBits =
            iteration % 3 == 0 ? ops.Below(mBits) : 16 * (253 + ops.Below(5)) - ops.Below(16);
        const LongIntegerClass base = ops.WithBits(baseBits);
        const LongIntegerClass e = ops.WithBits(2 + ops.Below(4));
        ASSERT_EQ(Outcome([&] { return LongIntegerClass::ModExp(base, e, m); }),
                  Outcome([&] { return Reference::ModExp(base, e, m); }))
            << base.BitLength() << " ^ " << Hex(e) << " mod " << m.BitLength() << " bits";
    }
}

TEST(LongIntegerReference, ModExpAgreesOnSmallAndDegenerateModuli) {
    Operands ops(13);
    for (int iteration = 0; iteration < 400; ++iteration) {
        LongIntegerClass m = ops.Value(iteration % 10 == 0 ? 1024 : 300);
        if (iteration % 3 != 0) m.SetBit(0, true);
        const LongIntegerClass base =
            iteration % 4 == 0 ? ops.Value(600) : ops.Value(m.BitLength());
        const LongIntegerClass e = ops.Value(iteration % 10 == 0 ? 40 : 300);
        ASSERT_EQ(Outcome([&] { return LongIntegerClass::ModExp(base, e, m); }),
                  Outcome([&] { return Reference::ModExp(base, e, m); }))
            << Hex(base) << " ^ " << Hex(e) << " mod " << Hex(m);
    }
    for (const char* mod : {"0", "1", "2", "3", "ffff", "10001", "ffffffffffffffff"}) {
        for (const char* b : {"0", "1", "2", "ffff", "123456789abcdef0123"}) {
            for (const char* ex : {"0", "1", "2", "3", "10", "ffffffff"}) {
                ASSERT_EQ(
                    Outcome([&] { return LongIntegerClass::ModExp(Hex(b), Hex(ex), Hex(mod)); }),
                    Outcome([&] { return Reference::ModExp(Hex(b), Hex(ex), Hex(mod)); }))
                    << b << " ^ " << ex << " mod " << mod;
            }
        }
    }
}

// The constant-time fixed-width layer against LongIntegerClass: odd moduli of every word count
// up to its limit (the unrolled sizes among them), patterned operands below them, long values
// to reduce, and exponents read over public lengths beyond their bit length.
TEST(FixedWidth, AgreesWithLongIntegerArithmetic) {
    namespace Fixed = QIRVALE::FixedWidth;
    using Words = std::vector<Fixed::Word>;
    auto words = [](const LongIntegerClass& v, uint32_t count) {
        Bytes bytes(count * sizeof(Fixed::Word));
        v.ToBytes(bytes.data(), uint32_t(bytes.size()));
        Words w(count);
        Fixed::LoadBytes(w.data(), count, bytes.data(), uint32_t(bytes.size()));
        return w;
    };
    auto number = [](const Words& w) {
        Bytes bytes(w.size() * sizeof(Fixed::Word) + 3);
        Fixed::StoreBytes(bytes.data(), uint32_t(bytes.size()), w.data(), uint32_t(w.size()));
        LongIntegerClass v;
        v.FromBytes(bytes.data(), uint32_t(bytes.size()));
        return v;
    };
    Operands ops(17);
    for (int iteration = 0; iteration < 200; ++iteration) {
        const uint32_t mBits =
            iteration % 4 == 0 ? 256u << (iteration / 4 % 3) : 2 + ops.Below(4079);
        LongIntegerClass m = ops.WithBits(mBits);
        m.SetBit(0, true);
        const uint32_t k = Fixed::WordsForBits(mBits);
        const Words mw = words(m, k);
        ASSERT_TRUE(Fixed::Modulus::Fits(mw.data(), k));
        const Fixed::Modulus mod(mw.data(), k);
        const LongIntegerClass a = ops.Value(mBits) % m, b = ops.Value(mBits) % m;
        const LongIntegerClass x = ops.Value(std::min(3 * mBits + 100, 8100u)), e = ops.Value(600),
                               f = ops.Value(300);
        const Words aw = words(a, k), bw = words(b, k);
        const uint32_t eBits = e.BitLength() + ops.Below(70), fBits = f.BitLength();
        const Words ew = words(e, Fixed::WordsForBits(eBits) + 1), fw = words(f, 5 + fBits / 8);
        const Words xw = words(x, Fixed::WordsForBits(x.BitLength()) + 1 + ops.Below(3));
        Words r(k), t(k);
        auto expect = [&](const LongIntegerClass& want, const char* what) {
            ASSERT_EQ(Hex(number(r)), Hex(want))
                << what << " mod " << Hex(m) << " of " << Hex(a) << ", " << Hex(b);
        };
        mod.Add(r.data(), aw.data(), bw.data());
        expect((a + b) % m, "sum");
        mod.Subtract(r.data(), aw.data(), bw.data());
        expect((a + m - b) % m, "difference");
        mod.ToMontgomery(t.data(), aw.data());
        mod.Multiply(r.data(), t.data(), bw.data());
        expect(a * b % m, "product");
        mod.Square(r.data(), t.data());
        mod.FromMontgomery(r.data(), r.data());
        expect(a * a % m, "square");
        mod.Reduce(r.data(), xw.data(), uint32_t(xw.size()));
        expect(x % m, "reduction");
        mod.Power(r.data(), aw.data(), ew.data(), eBits);
        expect(LongIntegerClass::ModExp(a, e, m), "power");
        mod.PublicDoublePower(r.data(), aw.data(), ew.data(), eBits, bw.data(), fw.data(), fBits);
        expect(LongIntegerClass::ModMul(LongIntegerClass::ModExp(a, e, m),
                                        LongIntegerClass::ModExp(b, f, m), m),
               "double power");
        ASSERT_EQ(Fixed::LessThanMask(aw.data(), bw.data(), k) != 0, a < b);
        ASSERT_EQ(Fixed::IsZeroMask(aw.data(), k) != 0, a.IsZero());
    }
}

// ---- randomized differential tests against GMP ---------------------------------------------

#if QIRVALE_HAVE_GMP

// An owned mpz_t.
class Mpz {
  public:
    Mpz() { mpz_init(z_); }
    explicit Mpz(const LongIntegerClass& v) {
        mpz_init(z_);
        const uint32_t n = v.ByteLength();
        Bytes bytes(n + 1);
        v.ToBytes(bytes.data(), n, 0);
        mpz_import(z_, n, -1, 1, 0, 0, bytes.data());
    }
    ~Mpz() { mpz_clear(z_); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    mpz_ptr operator*() { return z_; }
    // The hex of the value, as Describe writes a normalised result.
    std::string Hex() const {
        char* s = mpz_get_str(nullptr, 16, z_);
        std::string out(s);
        void (*release)(void*, size_t);
        mp_get_memory_functions(nullptr, nullptr, &release);
        release(s, out.size() + 1);
        return out;
    }

  private:
    mpz_t z_;
};

TEST(LongIntegerGmp, AddSubtractMultiply) {
    Operands ops(1);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const LongIntegerClass a = ops.Value(8192);
        const LongIntegerClass b =
            iteration % 3 == 0 ? ops.WithBits(a.BitLength()) : ops.Value(8192);
        Mpz za(a), zb(b), expected;
        mpz_add(*expected, *za, *zb);
        ASSERT_EQ(Outcome([&] { return a + b; }),
                  mpz_sizeinbase(*expected, 2) > 8192 ? "OutOfMemory" : expected.Hex())
            << Hex(a) << " + " << Hex(b);
        const int cmp = mpz_cmp(*za, *zb);
        mpz_sub(*expected, *za, *zb);
        ASSERT_EQ(Outcome([&] { return a - b; }), cmp < 0 ? "IntegerOverflow" : expected.Hex())
            << Hex(a) << " - " << Hex(b);
        ASSERT_EQ(a.Compare(b), cmp < 0 ? -1 : cmp > 0 ? 1 : 0);
        // Products: b either short or just about fitting next to a.
        const LongIntegerClass c = ops.Value(iteration % 2 ? 8192 - a.BitLength() + 32 : 1024);
        const uint32_t room = a.EffectiveDigitCount() + c.EffectiveDigitCount();
        Mpz zc(c);
        mpz_mul(*expected, *za, *zc);
        ASSERT_EQ(Outcome([&] { return a * c; }),
                  !a.IsZero() && !c.IsZero() && room > 512 ? "OutOfMemory" : expected.Hex())
            << Hex(a) << " * " << Hex(c);
    }
}

TEST(LongIntegerGmp, DivMod) {
    Operands ops(3);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const LongIntegerClass a = ops.Value(8192);
        LongIntegerClass d;
        switch (iteration % 5) {
            case 0:  // single digit
                d = ops.WithBits(1 + ops.Below(16));
                break;
            case 1:  // top bit of the top digit set: no normalising shift
                d = ops.WithBits(16 * (2 + ops.Below(a.BitLength() / 16 + 1)));
                break;
            case 2:  // about as long as the dividend
                d = ops.WithBits(a.BitLength() > 8 ? a.BitLength() - ops.Below(8) : 17);
                break;
            default:
                d = ops.Value(8192);
        }
        if (d.IsZero()) d = U(1);
        const uint32_t m = d.EffectiveDigitCount();
        const uint32_t shift = (16 - d.BitLength() % 16) % 16;  // normalising shift
        Mpz za(a), zd(d), zq, zr;
        mpz_tdiv_qr(*zq, *zr, *za, *zd);
        const bool noRoom = m >= 2 && a.EffectiveDigitCount() >= m && a.BitLength() + shift > 8176;
        ASSERT_EQ(Outcome([&] { return Divide(a, d, false); }),
                  noRoom ? "OutOfMemory" : zq.Hex() + " " + zr.Hex())
            << Hex(a) << " / " << Hex(d);
        if (d.BitLength() <= 32 && !noRoom) {
            ASSERT_EQ(a.ModuloUInt32(d.ToUInt32()), mpz_get_ui(*zr));
        }
    }
}

TEST(LongIntegerGmp, ModExpAndModMul) {
    Operands ops(4);
    for (int iteration = 0; iteration < 300; ++iteration) {
        const uint32_t modBits = iteration < 250 ? 1 + ops.Below(1100) : 1 + ops.Below(4096);
        LongIntegerClass m = ops.WithBits(modBits);
        if (iteration % 3 == 0) m.SetBit(0, true);  // odd moduli as in the signatures
        const LongIntegerClass base =
            iteration % 4 == 0 ? ops.Value(modBits + 64) : ops.Value(modBits) % m;
        const LongIntegerClass e = ops.Value(iteration < 250 ? modBits : 64);
        Mpz zb(base), ze(e), zm(m), expected;
        if (e.BitLength() <= 1) {  // e = 0 gives 1 and e = 1 the base, unreduced
            mpz_set(*expected, e.IsZero() ? *Mpz(U(1)) : *zb);
        } else {
            mpz_powm(*expected, *zb, *ze, *zm);
        }
        ASSERT_EQ(Hex(LongIntegerClass::ModExp(base, e, m)), expected.Hex())
            << Hex(base) << " ^ " << Hex(e) << " mod " << Hex(m);
        mpz_mul(*expected, *zb, *zb);
        mpz_mod(*expected, *expected, *zm);
        ASSERT_EQ(Hex(LongIntegerClass::ModMul(base, base, m)), expected.Hex());
    }
}

TEST(LongIntegerGmp, ShiftsRotationsAndBitwise) {
    Operands ops(6);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const LongIntegerClass a = ops.Value(8192);
        const uint32_t s = iteration % 2 ? ops.Below(8300) : ops.Below(40);
        Mpz za(a), expected;
        mpz_mul_2exp(*expected, *za, s);
        ASSERT_EQ(Outcome([&] { return a << s; }),
                  !a.IsZero() && a.EffectiveDigitCount() + (s + 15) / 16 > 512 ? "OutOfMemory"
                                                                               : expected.Hex())
            << Hex(a) << " << " << s;
        mpz_fdiv_q_2exp(*expected, *za, s);
        ASSERT_EQ(Outcome([&] { return a >> s; }), expected.Hex()) << Hex(a) << " >> " << s;
        if (iteration % 3 != 0) continue;

        const uint32_t w = 1 + ops.Below(iteration % 4 ? 600 : 8000);
        const LongIntegerClass v = ops.Value(w);
        const uint32_t k =
            iteration % 8 == 0 ? static_cast<uint32_t>(ops.Engine()()) : ops.Below(2 * w);
        const uint32_t r = k % w;
        Mpz zv(v), low, high, right, left;
        // right by r: (v >> r) | (v mod 2^r) << (w - r); left by r likewise.
        mpz_fdiv_q_2exp(*high, *zv, r);
        mpz_fdiv_r_2exp(*low, *zv, r);
        mpz_mul_2exp(*low, *low, w - r);
        mpz_ior(*right, *high, *low);
        mpz_fdiv_q_2exp(*high, *zv, w - r);
        mpz_fdiv_r_2exp(*low, *zv, w - r);
        mpz_mul_2exp(*low, *low, r);
        mpz_ior(*left, *high, *low);
        LongIntegerClass x = v, y = v;
        x.RotateRight(w, k);
        y.RotateLeft(w, k);
        ASSERT_EQ(Hex(x), right.Hex()) << Hex(v) << " ror(" << w << ", " << k << ")";
        ASSERT_EQ(Hex(y), left.Hex()) << Hex(v) << " rol(" << w << ", " << k << ")";
        // One-position rotations agree with the general ones.
        x = v, y = v;
        x.RotateRightOne(w);
        y.RotateRight(w, 1);
        ASSERT_EQ(x, y) << w;
        x = v, y = v;
        x.RotateLeftOne(w);
        y.RotateLeft(w, 1);
        ASSERT_EQ(x, y) << w;

        const LongIntegerClass b = ops.Value(w);
        Mpz zb(b);
        mpz_xor(*expected, *zv, *zb);
        ASSERT_EQ(Hex((x = v) ^= b), expected.Hex());
        mpz_and(*expected, *zv, *zb);
        ASSERT_EQ(Hex((x = v) &= b), expected.Hex());
        const uint32_t t = ops.Below(600);
        mpz_mul_2exp(*expected, *zb, t);
        mpz_xor(*expected, *expected, *zv);
        x = v;
        x.XorShifted(b, t);
        ASSERT_EQ(Hex(x), expected.Hex());
        mpz_fdiv_r_2exp(*expected, *zv, t);
        x = v;
        x.TruncateBits(t);
        ASSERT_EQ(x.DigitCount(), std::max(1u, (t + 15) / 16));
        ASSERT_EQ(Hex(x), expected.Hex());
    }
}

TEST(LongIntegerGmp, ByteConversions) {
    Operands ops(7);
    for (int iteration = 0; iteration < 1000; ++iteration) {
        const uint32_t length = iteration < 20 ? iteration : ops.Below(1025);
        Bytes bytes(length);
        for (auto& b : bytes) b = static_cast<uint8_t>(ops.Engine()());
        if (length > 0 && iteration % 3 == 0) bytes[length - 1] = 0;  // leading zeros
        for (uint16_t order : {uint16_t{0}, uint16_t{1}, uint16_t{0x100}}) {
            LongIntegerClass v;
            v.FromBytes(bytes.data(), length, order);
            ASSERT_EQ(v.DigitCount(), length == 0 ? 1u : (length + 1) / 2);
            Mpz expected;
            mpz_import(*expected, length, order ? 1 : -1, 1, 0, 0, bytes.data());
            ASSERT_EQ(Hex(v), expected.Hex());
            ASSERT_EQ(v.BitLength(),
                      length == 0 || mpz_sgn(*expected) == 0 ? 0u : mpz_sizeinbase(*expected, 2));
            // Round trip into a buffer of any length, truncating or padding.
            const uint32_t outLength = ops.Below(length + 8);
            qirvale_test::GuardedBuffer out(outLength);
            v.ToBytes(out.data(), outLength, order);
            ASSERT_TRUE(out.Intact());
            Bytes want(outLength, 0);
            for (uint32_t j = 0; j < outLength && j < length; ++j) {
                const uint8_t byte = order ? bytes[length - 1 - j] : bytes[j];
                want[order ? outLength - 1 - j : j] = byte;
            }
            ASSERT_EQ(out.bytes(), want) << length << " -> " << outLength;
        }
    }
}

#endif  // QIRVALE_HAVE_GMP

}  // namespace
