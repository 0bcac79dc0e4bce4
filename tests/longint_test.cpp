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

// ---- construction and byte conversions ----------------------------------------------------

TEST(LongIntegerBytes, FromBytesKeepsLeadingZerosAndBothOrders) {
    const uint8_t three[] = {0x01, 0x02, 0x03};
    LongIntegerClass v;
    v.FromBytes(three, 3, 0);
    EXPECT_EQ(v.DigitCount(), 2u);
    EXPECT_EQ(v.ToUInt32(), 0x030201u);
    v.FromBytes(three, 3, 1);
    EXPECT_EQ(v.DigitCount(), 2u);
    EXPECT_EQ(v.ToUInt32(), 0x010203u);

    const uint8_t high[] = {0x00, 0x00, 0x00, 0x01};
    v.FromBytes(high, 4, 0);
    EXPECT_EQ(v.ByteLength(), 4u);
    EXPECT_EQ(v.BitLength(), 25u);
    const uint8_t low[] = {0x01, 0x00, 0x00, 0x00};
    v.FromBytes(low, 4, 0);
    EXPECT_EQ(v.DigitCount(), 2u);  // not normalised by construction
    EXPECT_EQ(v.ByteLength(), 1u);
    EXPECT_EQ(v.DigitCount(), 1u);  // reading normalised it in place
    EXPECT_EQ(v.BitLength(), 1u);

    v.FromBytes(low, 0, 0);
    EXPECT_TRUE(v.IsZero());
    EXPECT_EQ(v.DigitCount(), 1u);
    EXPECT_EQ(v.ByteLength(), 0u);
    EXPECT_EQ(v.BitLength(), 0u);

    LongIntegerClass w(0x12345678u);
    EXPECT_EQ(w.DigitCount(), 2u);
    EXPECT_EQ(w.ToUInt32(), 0x12345678u);
    w.FromUInt32(7);
    EXPECT_EQ(w.DigitCount(), 2u);
    EXPECT_EQ(w.ToUInt32(), 7u);
}

TEST(LongIntegerBytes, CapacityOfByteStrings) {
    Bytes bytes(1025, 0xFF);
    LongIntegerClass v(5u);
    v.FromBytes(bytes.data(), 1024, 0);
    EXPECT_EQ(v.DigitCount(), 512u);
    EXPECT_EQ(v.BitLength(), 8192u);
    EXPECT_THROW(v.FromBytes(bytes.data(), 1025, 0), OutOfMemoryExceptionClass);
    EXPECT_THROW(v.FromBytes(bytes.data(), 1025, 1), OutOfMemoryExceptionClass);
    EXPECT_THROW(v.FromBytes(bytes.data(), 0xFFFFFFFFu, 0), OutOfMemoryExceptionClass);
    bytes[1023] = 0x81;
    bytes[0] = 0x01;
    v.FromBytes(bytes.data(), 1024, 1);
    EXPECT_EQ(v.BitLength(), 8185u);
    EXPECT_TRUE(v.TestBit(0));
}

TEST(LongIntegerBytes, ToBytesPadsAndTruncates) {
    const LongIntegerClass v = U(0x0102);
    uint8_t out[4];
    v.ToBytes(out, 4, 0);
    EXPECT_EQ(qirvale_test::ToHex(out, 4), "02010000");
    v.ToBytes(out, 4, 1);
    EXPECT_EQ(qirvale_test::ToHex(out, 4), "00000102");
    v.ToBytes(out, 1, 0);
    EXPECT_EQ(out[0], 0x02);
    v.ToBytes(out, 1, 1);
    EXPECT_EQ(out[0], 0x02);
    // Truncation keeps the low bytes, in the requested order.
    Hex("0a0b0c0d0e").ToBytes(out, 3, 1);
    EXPECT_EQ(qirvale_test::ToHex(out, 3), "0c0d0e");
    Hex("0a0b0c0d0e").ToBytes(out, 3, 0);
    EXPECT_EQ(qirvale_test::ToHex(out, 3), "0e0d0c");
    // Zero writes only zeros; length 0 writes nothing.
    qirvale_test::GuardedBuffer buffer(5);
    LongIntegerClass().ToBytes(buffer.data(), 5, 1);
    EXPECT_EQ(qirvale_test::ToHex(buffer.bytes()), "0000000000");
    qirvale_test::GuardedBuffer empty(0);
    v.ToBytes(empty.data(), 0, 0);
    EXPECT_TRUE(empty.Intact());
    EXPECT_TRUE(buffer.Intact());
}

TEST(LongIntegerBytes, ToUInt32Limit) {
    EXPECT_EQ(Hex("ffffffff").ToUInt32(), 0xFFFFFFFFu);
    EXPECT_EQ(Hex("0000000000ffffffff").ToUInt32(), 0xFFFFFFFFu);
    EXPECT_THROW(Hex("0100000000").ToUInt32(), IntegerOverflowExceptionClass);
    LongIntegerClass v(1u);
    EXPECT_THROW(v <<= Hex("0100000000"), IntegerOverflowExceptionClass);
    v <<= Hex("0000000000000020");
    EXPECT_EQ(Hex(v), "100000000");
}

// ---- copying and wiping ----------------------------------------------------------------------

TEST(LongIntegerMemory, AssignmentZeroesDroppedDigits) {
    LongIntegerClass big = Ones(160);
    const LongIntegerClass small = U(3);
    big = small;
    EXPECT_EQ(big.DigitCount(), 2u);
    for (uint32_t i = 2; i < 10; ++i) EXPECT_EQ(big.Digits()[i], 0u) << i;
    LongIntegerClass copy(big);
    EXPECT_EQ(copy.DigitCount(), 2u);
    EXPECT_EQ(copy, big);
    EXPECT_EQ(big.ToUInt32(), 3u);
}

TEST(LongIntegerMemory, DestructionWipesTheObject) {
    alignas(LongIntegerClass) unsigned char storage[sizeof(LongIntegerClass)];
    std::memset(storage, 0x5A, sizeof storage);
    auto* v = new (storage) LongIntegerClass;
    Bytes bytes(1024, 0xC3);
    v->FromBytes(bytes.data(), 1024, 0);
    v->~LongIntegerClass();
    for (size_t i = 0; i < 1024; ++i) ASSERT_EQ(storage[i], 0) << i;
    uint32_t count;
    std::memcpy(&count, storage + 1024, sizeof count);
    EXPECT_EQ(count, 0u);

    // Shrinking and clearing also overwrite what they drop.
    v = new (storage) LongIntegerClass;
    v->FromBytes(bytes.data(), 200, 0);
    v->ShiftRight(800);
    for (size_t i = 100; i < 200; ++i) ASSERT_EQ(storage[i], 0) << i;
    v->SetZero();
    for (size_t i = 0; i < 200; ++i) ASSERT_EQ(storage[i], 0) << i;
    v->~LongIntegerClass();
}

// ---- digit, byte and bit setters --------------------------------------------------------------

TEST(LongIntegerAccess, SettersGrowOnlyForNonZeroValues) {
    LongIntegerClass v(1u);
    v.Normalize();
    v.SetBit(40, false);
    EXPECT_EQ(v.DigitCount(), 1u);
    v.SetBit(40, true);
    EXPECT_EQ(v.DigitCount(), 3u);
    EXPECT_EQ(Hex(v), "10000000001");
    v.SetBit(40, false);  // in place, not normalised
    EXPECT_EQ(v.DigitCount(), 3u);
    EXPECT_EQ(v.ToUInt32(), 1u);

    LongIntegerClass b;
    b.SetByte(9, 0);
    EXPECT_EQ(b.DigitCount(), 1u);
    b.SetByte(9, 0xAB);
    EXPECT_EQ(b.DigitCount(), 5u);
    EXPECT_EQ(b.GetByte(9), 0xAB);
    EXPECT_EQ(b.GetByte(100), 0);
    b.SetByte(9, 0);
    EXPECT_EQ(b.DigitCount(), 5u);
    EXPECT_TRUE(b.IsZero());

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
    EXPECT_EQ(e.BitLength(), 8192u);
}

TEST(LongIntegerAccess, ResizeRules) {
    LongIntegerClass v = Hex("123456789abc");
    v.Resize(6);  // grows without changing the count
    EXPECT_EQ(v.DigitCount(), 3u);
    v.SetDigitCount(6);
    EXPECT_EQ(Hex(v), "123456789abc");
    v.Resize(2);
    EXPECT_EQ(Hex(v), "56789abc");
    v.Resize(0);
    EXPECT_TRUE(v.IsZero());
    EXPECT_EQ(v.DigitCount(), 1u);
    LongIntegerClass w = Hex("10000");
    w.Resize(1);  // drops the top digit and normalises
    EXPECT_EQ(w.DigitCount(), 1u);
    EXPECT_TRUE(w.IsZero());
}

// ---- comparison, addition, subtraction --------------------------------------------------------

TEST(LongIntegerArithmetic, ComparisonIgnoresLeadingZeros) {
    const LongIntegerClass a = Hex("0000000000000005");
    const LongIntegerClass b = U(5);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(a <= b && a >= b);
    EXPECT_TRUE(U(0) < U(1));
    EXPECT_TRUE(Hex("10000") > Hex("ffff"));
    EXPECT_TRUE(Hex("1ffff") > Hex("10000"));
    EXPECT_EQ(Hex("1ffff").Compare(Hex("20000")), -1);
    EXPECT_EQ(LongIntegerClass().Compare(Hex("0000")), 0);
}

TEST(LongIntegerArithmetic, AddSubtractLimits) {
    LongIntegerClass v = U(5);
    EXPECT_THROW(v.Subtract(U(7)), IntegerOverflowExceptionClass);
    LongIntegerClass seven = U(7);
    seven -= U(7);
    EXPECT_TRUE(seven.IsZero());
    EXPECT_EQ(seven.DigitCount(), 1u);
    EXPECT_THROW(U(0) - U(1), IntegerOverflowExceptionClass);
    EXPECT_THROW(Hex("10000") - Hex("10001"), IntegerOverflowExceptionClass);
    EXPECT_THROW(Hex("ffff") - Hex("10000"), IntegerOverflowExceptionClass);
    EXPECT_EQ(Hex(Hex("10000") - U(1)), "ffff");

    LongIntegerClass top = Ones(8192);
    EXPECT_THROW(top.Increment(), OutOfMemoryExceptionClass);
    top = Ones(8191);
    top.Increment();
    EXPECT_EQ(top, PowerOfTwo(8191));
    EXPECT_THROW(Ones(8192) + PowerOfTwo(0), OutOfMemoryExceptionClass);
    EXPECT_THROW(PowerOfTwo(8191) + PowerOfTwo(8191), OutOfMemoryExceptionClass);
    EXPECT_EQ(Ones(8192) + U(0), Ones(8192));
    EXPECT_EQ(Hex(Hex("ffffffff") + Hex("1")), "100000000");
    LongIntegerClass self = Hex("8000ffff");
    self += self;
    EXPECT_EQ(Hex(self), "10001fffe");
    self -= self;
    EXPECT_TRUE(self.IsZero());
}

// ---- shifts -----------------------------------------------------------------------------------

TEST(LongIntegerShifts, ShiftLeftRoomCheckCountsWholeDigits) {
    LongIntegerClass v = PowerOfTwo(8176);  // 512 digits, top bit of digit 511 clear
    EXPECT_THROW(v.ShiftLeft(1), OutOfMemoryExceptionClass);
    LongIntegerClass w = PowerOfTwo(8175);  // 511 digits
    w.ShiftLeft(16);
    EXPECT_EQ(w, PowerOfTwo(8191));
    LongIntegerClass x = PowerOfTwo(8175);
    EXPECT_THROW(x.ShiftLeft(17), OutOfMemoryExceptionClass);
    LongIntegerClass y = PowerOfTwo(0);
    EXPECT_THROW(y.ShiftLeft(8191), OutOfMemoryExceptionClass);  // 1 + 512 digits of room
    y = PowerOfTwo(0);
    y.ShiftLeft(8176);
    EXPECT_EQ(y.BitLength(), 8177u);
    EXPECT_THROW(PowerOfTwo(0) << 8192, OutOfMemoryExceptionClass);
    EXPECT_THROW(PowerOfTwo(0) << 0xFFFFFFFFu, OutOfMemoryExceptionClass);
    LongIntegerClass zero;
    zero.ShiftLeft(0xFFFFFFFFu);
    EXPECT_TRUE(zero.IsZero());
    EXPECT_EQ(Hex(Hex("8001") << 16), "80010000");
    EXPECT_EQ(Hex(Hex("8001") << 15), "40008000");
    EXPECT_EQ(Hex(Hex("8001") << 0), "8001");
}

TEST(LongIntegerShifts, ShiftRight) {
    EXPECT_EQ(Hex(Hex("80010000") >> 16), "8001");
    EXPECT_EQ(Hex(Hex("80010000") >> 17), "4000");
    EXPECT_TRUE((Hex("80010000") >> 32).IsZero());
    EXPECT_TRUE((Hex("80010000") >> 0xFFFFFFFFu).IsZero());
    EXPECT_EQ(Hex(Hex("0000123456789") >> 4), "12345678");
}

// ---- bitwise operations ----------------------------------------------------------------------

TEST(LongIntegerBitwise, XorWorksOnStoredCounts) {
    LongIntegerClass a = Hex("0000000000ff");  // 3 digits stored
    const LongIntegerClass b = Hex("00ff");    // 1 digit stored
    a ^= b;
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
    EXPECT_EQ(Hex(c), "10000");
}

TEST(LongIntegerBitwise, AndAndTruncate) {
    LongIntegerClass a = Hex("ff00ff00ff");
    a &= Hex("0000000f0f");
    EXPECT_EQ(a.DigitCount(), 1u);
    EXPECT_EQ(Hex(a), "f");
    LongIntegerClass same = Hex("0100ffff");
    same &= Hex("00ff00000000ffff");
    EXPECT_EQ(same.DigitCount(), 2u);  // the smaller count, not normalised
    EXPECT_EQ(Hex(same), "ffff");
    LongIntegerClass b = Hex("1ff00");
    b &= Hex("00ff");
    EXPECT_TRUE(b.IsZero());

    LongIntegerClass t = Hex("123456789");
    t.TruncateBits(20);
    EXPECT_EQ(t.DigitCount(), 2u);
    EXPECT_EQ(Hex(t), "56789");
    t.TruncateBits(100);  // grows the count, not the value
    EXPECT_EQ(t.DigitCount(), 7u);
    EXPECT_EQ(Hex(t), "56789");
    t.TruncateBits(0);
    EXPECT_TRUE(t.IsZero());
    EXPECT_EQ(t.DigitCount(), 1u);
    LongIntegerClass u = U(1);
    EXPECT_THROW(u.TruncateBits(8193), OutOfMemoryExceptionClass);
    EXPECT_THROW(u.TruncateBits(0xFFFFFFFFu), OutOfMemoryExceptionClass);
}

TEST(LongIntegerBitwise, XorShifted) {
    LongIntegerClass a = U(1);
    a.XorShifted(U(3), 20);
    EXPECT_EQ(a.DigitCount(), 3u);  // (20 + 15) / 16 + 1
    EXPECT_EQ(Hex(a), "300001");
    LongIntegerClass b = Hex("ffffffffffff");
    b.XorShifted(U(1), 16);
    EXPECT_EQ(Hex(b), "fffffffeffff");
    EXPECT_EQ(b.DigitCount(), 3u);
    LongIntegerClass c = U(5);
    c.XorShifted(LongIntegerClass(), 100000);  // zero does nothing, at any shift
    EXPECT_EQ(c.ToUInt32(), 5u);
    EXPECT_THROW(c.XorShifted(U(1), 8192), OutOfMemoryExceptionClass);
    c.XorShifted(c, 3);
    EXPECT_EQ(Hex(c), "2d");
}

TEST(LongIntegerBitwise, Rotations) {
    LongIntegerClass v = U(0x13);  // 10011
    v.RotateLeft(5, 2);
    EXPECT_EQ(v.ToUInt32(), 0x0Eu);
    v = U(0x13);
    v.RotateRight(5, 2);
    EXPECT_EQ(v.ToUInt32(), 0x1Cu);
    v = U(0x13);
    v.RotateLeft(5, 5);
    EXPECT_EQ(v.ToUInt32(), 0x13u);
    v.RotateRight(5, 12);  // 12 mod 5 = 2
    EXPECT_EQ(v.ToUInt32(), 0x1Cu);
    v = U(0x13);
    v.RotateLeftOne(5);
    EXPECT_EQ(v.ToUInt32(), 0x07u);
    v.RotateRightOne(5);
    EXPECT_EQ(v.ToUInt32(), 0x13u);
    v.RotateRightOne(1);
    v.RotateLeftOne(0);
    EXPECT_EQ(v.ToUInt32(), 0x13u);
    // Bit w - 1 beyond the stored digits reads as 0.
    LongIntegerClass small = U(1);
    small.Normalize();
    small.RotateLeftOne(163);
    EXPECT_EQ(small.ToUInt32(), 2u);
}

// ---- multiplication and division ---------------------------------------------------------------

TEST(LongIntegerDivision, KnownAnswers) {
    LongIntegerClass q, r;
    U(0).DivMod(U(7), q, r);
    EXPECT_TRUE(q.IsZero() && r.IsZero());
    U(5).DivMod(U(7), q, r);
    EXPECT_TRUE(q.IsZero());
    EXPECT_EQ(r.ToUInt32(), 5u);
    U(7).DivMod(U(7), q, r);
    EXPECT_EQ(q.ToUInt32(), 1u);
    EXPECT_TRUE(r.IsZero());
    EXPECT_THROW(U(7).DivMod(U(0), q, r), DivideByZeroExceptionClass);
    EXPECT_THROW(U(7) / Hex("0000"), DivideByZeroExceptionClass);
    EXPECT_THROW(U(7) % U(0), DivideByZeroExceptionClass);

    // 2^128 + 5 = (2^64 + 1)(2^64 - 1) + 6
    (PowerOfTwo(128) + U(5)).DivMod(PowerOfTwo(64) + U(1), q, r);
    EXPECT_EQ(q, Ones(64));
    EXPECT_EQ(r.ToUInt32(), 6u);
    // Divisor whose top digit already has its top bit set (no normalising shift).
    (PowerOfTwo(128) + U(5)).DivMod(Hex("80000000000000000001"), q, r);
    EXPECT_EQ(Hex(q), "1ffffffffffff");
    EXPECT_EQ(Hex(r), "7ffffffe000000000006");
    EXPECT_EQ(q * Hex("80000000000000000001") + r, PowerOfTwo(128) + U(5));
    EXPECT_TRUE(r < Hex("80000000000000000001"));

    EXPECT_EQ(PowerOfTwo(64).ModuloUInt32(65537), 1u);
    EXPECT_EQ(PowerOfTwo(64).ModuloUInt32(3), 1u);
    EXPECT_EQ(Hex("ffffffffffffffff").ModuloUInt32(0xFFFFFFFFu), 0u);
    EXPECT_THROW(PowerOfTwo(64).ModuloUInt32(0), DivideByZeroExceptionClass);
}

TEST(LongIntegerDivision, CapacityLimits) {
    const LongIntegerClass a256 = Ones(256 * 16);
    const LongIntegerClass a257 = Ones(257 * 16);
    EXPECT_EQ((a256 * a256).BitLength(), 8192u);
    EXPECT_THROW(a257 * a256, OutOfMemoryExceptionClass);
    // The check counts digits: 2^4096 * 1 needs 258 digits of room... and fits in 257.
    EXPECT_THROW(PowerOfTwo(8176) * U(1), OutOfMemoryExceptionClass);
    EXPECT_EQ(PowerOfTwo(8175) * U(1), PowerOfTwo(8175));
    EXPECT_TRUE((Ones(8192) * U(0)).IsZero());

    // Long division: BitLength(dividend) + normalising shift must not exceed 8176.
    LongIntegerClass q, r;
    const LongIntegerClass fullTop = Hex("80000000");  // shift 0
    const LongIntegerClass shift15 = Hex("10000");     // shift 15
    EXPECT_NO_THROW(Ones(8176).DivMod(fullTop, q, r));
    EXPECT_THROW(Ones(8177).DivMod(fullTop, q, r), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(Ones(8161).DivMod(shift15, q, r));
    EXPECT_EQ(q, Ones(8161) >> 16);
    EXPECT_THROW(Ones(8162).DivMod(shift15, q, r), OutOfMemoryExceptionClass);
    EXPECT_THROW(Ones(8192).DivMod(shift15, q, r), OutOfMemoryExceptionClass);
    // A single-digit divisor never runs out of room; neither does a longer divisor.
    EXPECT_NO_THROW(Ones(8192).DivMod(U(3), q, r));
    EXPECT_TRUE(r.IsZero());
    EXPECT_NO_THROW(Ones(8176).DivMod(Ones(8177), q, r));
    EXPECT_EQ(r, Ones(8176));
    // ModuloUInt32 with a two-digit divisor follows the same rule.
    EXPECT_THROW(Ones(8176).ModuloUInt32(65537), OutOfMemoryExceptionClass);
    EXPECT_EQ(Ones(8176).ModuloUInt32(65535), 0u);
}

TEST(LongIntegerModular, ModExpKnownAnswers) {
    using QIRVALE::LongIntegerClass;
    EXPECT_EQ(LongIntegerClass::ModExp(U(3), U(0), U(7)).ToUInt32(), 1u);
    EXPECT_EQ(LongIntegerClass::ModExp(U(3), U(0), U(0)).ToUInt32(), 1u);
    EXPECT_EQ(LongIntegerClass::ModExp(U(10), U(1), U(7)).ToUInt32(), 10u);
    EXPECT_EQ(LongIntegerClass::ModExp(U(10), U(1), U(0)).ToUInt32(), 10u);
    EXPECT_EQ(LongIntegerClass::ModExp(U(10), U(2), U(7)).ToUInt32(), 2u);
    EXPECT_EQ(LongIntegerClass::ModExp(U(2), U(10), U(1000)).ToUInt32(), 24u);
    EXPECT_THROW(LongIntegerClass::ModExp(U(2), U(2), U(0)), DivideByZeroExceptionClass);
    EXPECT_TRUE(LongIntegerClass::ModExp(U(2), U(10), U(1)).IsZero());
    // Fermat: a^(p-1) = 1 mod p for p = 2^127 - 1.
    const LongIntegerClass p = Ones(127);
    EXPECT_EQ(LongIntegerClass::ModExp(U(3), p - U(1), p), U(1));
    EXPECT_EQ(LongIntegerClass::ModMul(Ones(200), Ones(200), p), (Ones(200) * Ones(200)) % p);
    EXPECT_THROW(LongIntegerClass::ModMul(U(1), U(1), U(0)), DivideByZeroExceptionClass);
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

uint32_t Digits(uint32_t bits) {
    return (bits + 15) / 16;
}

// Runs an operation and names its outcome: the big-endian hex of the result, or the exception.
template <class Operation>
std::string Outcome(Operation operation) {
    try {
        return Hex(operation());
    } catch (const OutOfMemoryExceptionClass&) {
        return "OutOfMemory";
    } catch (const DivideByZeroExceptionClass&) {
        return "DivideByZero";
    } catch (const IntegerOverflowExceptionClass&) {
        return "IntegerOverflow";
    }
}

namespace Reference = QIRVALE::LongIntegerReference;

// ---- long division: add-back cases -------------------------------------------------------------

// Dividends and divisors whose long division needs the add-back step: in base 2^16 (digits),
// 2^32 and 2^64 (the word sizes of the 32- and 64-bit builds). Found by searching structured
// operands with a model of each algorithm.
TEST(LongIntegerDivision, AddBackCases) {
    struct Case {
        const char* u;
        const char* v;
        const char* q;
        const char* r;
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
        const LongIntegerClass u = Hex(c.u), v = Hex(c.v);
        LongIntegerClass q, r;
        u.DivMod(v, q, r);
        EXPECT_EQ(Hex(q), c.q) << c.u;
        EXPECT_EQ(Hex(r), c.r) << c.u;
        Reference::DivMod(u, v, q, r);
        EXPECT_EQ(Hex(q), c.q) << c.u;
        EXPECT_EQ(Hex(r), c.r) << c.u;
        EXPECT_EQ(Hex(Reference::Multiply(q, v) + r), Hex(u));
    }
}

// ---- word-wise operations against the digit-by-digit forms
// ----------------------------------------

// Same results and same exceptions, with operands up to full capacity. These run on every build,
// with or without GMP.
TEST(LongIntegerReference, MultiplyAndDivModAgree) {
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
        auto divide = [&](bool reference) {
            LongIntegerClass q(1u), r(2u);
            if (reference)
                Reference::DivMod(a, d, q, r);
            else
                a.DivMod(d, q, r);
            return q.DigitCount() == std::max(1u, Digits(q.BitLength())) &&
                           r.DigitCount() == std::max(1u, Digits(r.BitLength()))
                       ? Hex(q) + " " + Hex(r)
                       : "not normalised";
        };
        auto run = [&](bool reference) {
            try {
                return divide(reference);
            } catch (const OutOfMemoryExceptionClass&) {
                return std::string("OutOfMemory");
            } catch (const DivideByZeroExceptionClass&) {
                return std::string("DivideByZero");
            }
        };
        ASSERT_EQ(run(false), run(true)) << Hex(a) << " / " << Hex(d);
    }
}

TEST(LongIntegerReference, ModExpAgreesAtTheFastPathLimits) {
    // Moduli and bases around 255 digits, the largest the Montgomery path accepts; beyond it
    // the square-and-multiply path runs and may raise where its products outgrow the room.
    Operands ops(12);
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

TEST(LongIntegerReference, ModExpAgreesOnSmallModuli) {
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
    // Degenerate moduli and bases.
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

// ---- randomized differential tests against GMP
// ---------------------------------------------------

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

// The normalising shift of a divisor of at least two digits.
uint32_t NormalisingShift(const LongIntegerClass& d) {
    return (16 - d.BitLength() % 16) % 16;
}

TEST(LongIntegerGmp, AddSubtract) {
    Operands ops(1);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const LongIntegerClass a = ops.Value(8192);
        const LongIntegerClass b =
            iteration % 3 == 0 ? ops.WithBits(a.BitLength()) : ops.Value(8192);
        Mpz za(a), zb(b), expected;
        mpz_add(*expected, *za, *zb);
        if (mpz_sizeinbase(*expected, 2) > 8192) {
            EXPECT_THROW(a + b, OutOfMemoryExceptionClass);
        } else {
            const LongIntegerClass sum = a + b;
            ASSERT_EQ(Hex(sum), expected.Hex()) << Hex(a) << " + " << Hex(b);
            EXPECT_EQ(sum.DigitCount(), std::max(1u, Digits(sum.BitLength())));
        }
        if (mpz_cmp(*za, *zb) < 0) {
            EXPECT_THROW(a - b, IntegerOverflowExceptionClass);
        } else {
            mpz_sub(*expected, *za, *zb);
            ASSERT_EQ(Hex(a - b), expected.Hex()) << Hex(a) << " - " << Hex(b);
        }
        const int cmp = mpz_cmp(*za, *zb);
        ASSERT_EQ(a.Compare(b), cmp < 0 ? -1 : cmp > 0 ? 1 : 0);
    }
}

TEST(LongIntegerGmp, Multiply) {
    Operands ops(2);
    for (int iteration = 0; iteration < 1500; ++iteration) {
        const LongIntegerClass a = ops.Value(8192);
        const LongIntegerClass b = ops.Value(iteration % 2 ? 8192 - a.BitLength() + 32 : 1024);
        const uint32_t room = a.EffectiveDigitCount() + b.EffectiveDigitCount();
        if (!a.IsZero() && !b.IsZero() && room > 512) {
            EXPECT_THROW(a * b, OutOfMemoryExceptionClass);
            continue;
        }
        Mpz za(a), zb(b), expected;
        mpz_mul(*expected, *za, *zb);
        const LongIntegerClass product = a * b;
        ASSERT_EQ(Hex(product), expected.Hex()) << Hex(a) << " * " << Hex(b);
        EXPECT_EQ(product.DigitCount(), std::max(1u, Digits(product.BitLength())));
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
        LongIntegerClass q(77u), r(88u);
        const uint32_t m = d.EffectiveDigitCount();
        if (m >= 2 && a.EffectiveDigitCount() >= m && a.BitLength() + NormalisingShift(d) > 8176) {
            EXPECT_THROW(a.DivMod(d, q, r), OutOfMemoryExceptionClass);
            continue;
        }
        Mpz za(a), zd(d), zq, zr;
        mpz_tdiv_qr(*zq, *zr, *za, *zd);
        a.DivMod(d, q, r);
        ASSERT_EQ(Hex(q), zq.Hex()) << Hex(a) << " / " << Hex(d);
        ASSERT_EQ(Hex(r), zr.Hex()) << Hex(a) << " % " << Hex(d);
        EXPECT_EQ(q.DigitCount(), std::max(1u, Digits(q.BitLength())));
        EXPECT_EQ(r.DigitCount(), std::max(1u, Digits(r.BitLength())));
        if (d.BitLength() <= 32) {
            ASSERT_EQ(a.ModuloUInt32(d.ToUInt32()), mpz_get_ui(*zr));
        }
    }
}

TEST(LongIntegerGmp, ModExp) {
    Operands ops(4);
    for (int iteration = 0; iteration < 300; ++iteration) {
        const uint32_t modBits = iteration < 250 ? 1 + ops.Below(1100) : 1 + ops.Below(4096);
        LongIntegerClass m = ops.WithBits(modBits);
        if (iteration % 3 == 0) m.SetBit(0, true);  // odd moduli as in the signatures
        const LongIntegerClass base =
            iteration % 4 == 0 ? ops.Value(modBits + 64) : ops.Value(modBits) % m;
        const LongIntegerClass e = ops.Value(iteration < 250 ? modBits : 64);
        Mpz zb(base), ze(e), zm(m), expected;
        if (e.BitLength() <= 1) {
            mpz_set(*expected, e.IsZero() ? *Mpz(U(1)) : *zb);
        } else {
            mpz_powm(*expected, *zb, *ze, *zm);
        }
        ASSERT_EQ(Hex(LongIntegerClass::ModExp(base, e, m)), expected.Hex())
            << Hex(base) << " ^ " << Hex(e) << " mod " << Hex(m);
        Mpz product;
        mpz_mul(*product, *zb, *zb);
        mpz_mod(*product, *product, *zm);
        ASSERT_EQ(Hex(LongIntegerClass::ModMul(base, base, m)), product.Hex());
    }
}

TEST(LongIntegerGmp, Shifts) {
    Operands ops(5);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const LongIntegerClass a = ops.Value(8192);
        const uint32_t s = iteration % 2 ? ops.Below(8300) : ops.Below(40);
        Mpz za(a), expected;
        if (!a.IsZero() && a.EffectiveDigitCount() + (s + 15) / 16 > 512) {
            EXPECT_THROW(a << s, OutOfMemoryExceptionClass);
        } else {
            mpz_mul_2exp(*expected, *za, s);
            const LongIntegerClass shifted = a << s;
            ASSERT_EQ(Hex(shifted), expected.Hex()) << Hex(a) << " << " << s;
            EXPECT_EQ(shifted.DigitCount(), std::max(1u, Digits(shifted.BitLength())));
        }
        mpz_fdiv_q_2exp(*expected, *za, s);
        const LongIntegerClass shifted = a >> s;
        ASSERT_EQ(Hex(shifted), expected.Hex()) << Hex(a) << " >> " << s;
        EXPECT_EQ(shifted.DigitCount(), std::max(1u, Digits(shifted.BitLength())));
    }
}

TEST(LongIntegerGmp, BitwiseAndRotations) {
    Operands ops(6);
    for (int iteration = 0; iteration < 2000; ++iteration) {
        const uint32_t w = 1 + ops.Below(iteration % 4 ? 600 : 8000);
        const LongIntegerClass v = ops.Value(w);
        const uint32_t k =
            iteration % 8 == 0 ? static_cast<uint32_t>(ops.Engine()()) : ops.Below(2 * w);
        const uint32_t r = k % w;
        Mpz zv(v), low, high, right, left;
        // right by r: (v >> r) | (v mod 2^r) << (w - r)
        mpz_fdiv_q_2exp(*high, *zv, r);
        mpz_fdiv_r_2exp(*low, *zv, r);
        mpz_mul_2exp(*low, *low, w - r);
        mpz_ior(*right, *high, *low);
        mpz_fdiv_q_2exp(*high, *zv, w - r);
        mpz_fdiv_r_2exp(*low, *zv, w - r);
        mpz_mul_2exp(*low, *low, r);
        mpz_ior(*left, *high, *low);
        LongIntegerClass x = v;
        x.RotateRight(w, k);
        ASSERT_EQ(Hex(x), right.Hex()) << Hex(v) << " ror(" << w << ", " << k << ")";
        x = v;
        x.RotateLeft(w, k);
        ASSERT_EQ(Hex(x), left.Hex()) << Hex(v) << " rol(" << w << ", " << k << ")";

        // One-position rotations agree with the general ones.
        x = v;
        x.RotateRightOne(w);
        LongIntegerClass y = v;
        y.RotateRight(w, 1);
        ASSERT_EQ(x, y) << w;
        x = v;
        x.RotateLeftOne(w);
        y = v;
        y.RotateLeft(w, 1);
        ASSERT_EQ(x, y) << w;

        // Xor, and, shifted xor.
        const LongIntegerClass b = ops.Value(w);
        Mpz zb(b), expected;
        mpz_xor(*expected, *zv, *zb);
        x = v;
        x ^= b;
        ASSERT_EQ(Hex(x), expected.Hex());
        mpz_and(*expected, *zv, *zb);
        x = v;
        x &= b;
        ASSERT_EQ(Hex(x), expected.Hex());
        const uint32_t s = ops.Below(600);
        mpz_mul_2exp(*expected, *zb, s);
        mpz_xor(*expected, *expected, *zv);
        x = v;
        x.XorShifted(b, s);
        ASSERT_EQ(Hex(x), expected.Hex());
        mpz_fdiv_r_2exp(*expected, *zv, s);
        x = v;
        x.TruncateBits(s);
        ASSERT_EQ(x.DigitCount(), std::max(1u, Digits(s)));
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
