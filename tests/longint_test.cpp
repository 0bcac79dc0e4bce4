// LongIntegerClass: the division's edge cases from a table, capacity limits and wiping, and
// randomized differential tests against the digit-by-digit algorithms and, where the host has
// it, GMP. (The fixed-width layer meets the literal algorithms in gost34310_test.)
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
namespace Reference = QIRVALE::LongIntegerReference;

// ---- values and outcomes ----------------------------------------------------------------------

// The value of a big-endian hex string ("" is 0).
LongIntegerClass Hex(const std::string& hex) {
    const Bytes bytes = qirvale_test::FromHex(hex.size() % 2 ? "0" + hex : hex);
    LongIntegerClass v;
    v.FromBytes(bytes.data(), uint32_t(bytes.size()), 1);
    return v;
}

// Big-endian hex of the significant bytes ("0" for zero).
std::string Hex(const LongIntegerClass& v) {
    const uint32_t n = v.ByteLength();
    if (n == 0) return "0";
    Bytes bytes(n);
    v.ToBytes(bytes.data(), n, 1);
    const std::string hex = qirvale_test::ToHex(bytes);
    return hex[0] == '0' ? hex.substr(1) : hex;
}

LongIntegerClass Ones(uint32_t k) {  // 2^k - 1
    LongIntegerClass v;
    for (uint32_t i = 0; i < k; ++i) v.SetBit(i, true);
    return v;
}

LongIntegerClass U(uint32_t v) {
    return LongIntegerClass(v);
}

// The hex of a result, marked when its digit count is not max(1, ceil(bits / 16)).
std::string Describe(const LongIntegerClass& v) {
    const bool normalised = v.DigitCount() == std::max(1u, (v.BitLength() + 15) / 16);
    return normalised ? Hex(v) : Hex(v) + " not normalised";
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

// Quotient and remainder by the word-wise or the digit-by-digit algorithm.
std::string Divide(const LongIntegerClass& a, const LongIntegerClass& d, bool reference) {
    return Outcome([&] {
        LongIntegerClass q(1u), r(2u);
        reference ? Reference::DivMod(a, d, q, r) : a.DivMod(d, q, r);
        return Describe(q) + " " + Describe(r);
    });
}

// Random operands: lengths spread over 0..maxBits with extra weight at digit boundaries, bit
// patterns that provoke long carries and borrows (all ones, all zeros, runs of whole 0xffff
// and 0x0000 digits), and sometimes leading zero bytes, as after FromBytes.
class Operands {
  public:
    explicit Operands(uint64_t seed) : rng_(seed) {}
    uint32_t Below(uint32_t n) { return uint32_t(rng_() % n); }
    std::mt19937_64& Engine() { return rng_; }

    LongIntegerClass Value(uint32_t maxBits) {
        switch (Below(4)) {
            case 0:  // at a digit boundary or one bit either side
                return WithBits(std::min(maxBits, 16 * Below(maxBits / 16 + 1) + Below(3) - 1));
            case 1:
                return WithBits(Below(std::min(maxBits, 64u) + 1));
            default:
                return WithBits(Below(maxBits + 1));
        }
    }

    LongIntegerClass WithBits(uint32_t bits) {  // exactly `bits` bits
        Bytes bytes((std::min(bits, 8192u) + 7) / 8);
        const uint32_t pattern = Below(8);
        for (size_t i = 0; i < bytes.size(); ++i) {
            const uint64_t run = rng_() & 3, byte = pattern == 2 && run < 2 ? run * 0xFF : rng_();
            bytes[i] = pattern == 0 ? 0xFF : pattern == 1 ? 0 : uint8_t(byte);
            if (pattern == 2 && i + 1 < bytes.size()) bytes[i + 1] = bytes[i], ++i;
        }
        if (!bytes.empty()) {
            const uint32_t top = (std::min(bits, 8192u) - 1) % 8;
            bytes.back() = uint8_t((bytes.back() & ((2u << top) - 1)) | (1u << top));
        }
        bytes.resize(std::min<size_t>(1024, bytes.size() + (Below(4) == 0 ? Below(5) : 0)), 0);
        LongIntegerClass v;
        v.FromBytes(bytes.data(), uint32_t(bytes.size()), 0);
        return v;
    }

  private:
    std::mt19937_64 rng_;
};

#if QIRVALE_HAVE_GMP
// An owned mpz_t.
class Mpz {
  public:
    Mpz() { mpz_init(z_); }
    explicit Mpz(const LongIntegerClass& v) : Mpz() {
        Bytes bytes(v.ByteLength() + 1);
        v.ToBytes(bytes.data(), v.ByteLength(), 0);
        mpz_import(z_, v.ByteLength(), -1, 1, 0, 0, bytes.data());
    }
    explicit Mpz(const std::string& hex) : Mpz() { mpz_set_str(z_, hex.c_str(), 16); }
    ~Mpz() { mpz_clear(z_); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    mpz_ptr operator*() { return z_; }
    std::string Hex() const {  // as Describe writes a normalised result
        std::string out(mpz_sizeinbase(z_, 16) + 2, '\0');
        mpz_get_str(out.data(), 16, z_);
        return out.c_str();
    }

  private:
    mpz_t z_;
};
#endif

// ---- edge cases ---------------------------------------------------------------------------------

// Dividends and divisors whose division needs the add-back step in base 2^16 (the digits) and
// 2^32 and 2^64 (the words of the 32- and 64-bit builds), among them add-backs at the last
// quotient word after a non-zero normalising shift; and the limits of the room the division
// needs.
TEST(LongIntegerDivision, EdgeTable) {
    for (const qirvale_test::Json& row : qirvale_test::ReadJsonLines("longint-division.jsonl")) {
        const std::string u = row["u"], v = row["v"], c = row["case"];
        SCOPED_TRACE(c + ": " + u.substr(0, 40) + " / " + v.substr(0, 40));
        const std::string expected = row.contains("throws") ? row["throws"].get<std::string>()
                                                            : row["q"].get<std::string>() + " " +
                                                                  row["r"].get<std::string>();
        EXPECT_EQ(Divide(Hex(u), Hex(v), false), expected);
        EXPECT_EQ(Divide(Hex(u), Hex(v), true), expected);
        if (row.contains("throws")) continue;
        if (v.size() <= 8) {
            EXPECT_EQ(U(Hex(u).ModuloUInt32(Hex(v).ToUInt32())), Hex(row["r"].get<std::string>()));
        }
#if QIRVALE_HAVE_GMP
        Mpz zu(u), zv(v), q, r;
        mpz_tdiv_qr(*q, *r, *zu, *zv);
        EXPECT_EQ(q.Hex() + " " + r.Hex(), expected);
#endif
    }
}

TEST(LongIntegerLimits, CapacityAndKnownAnswers) {
    Bytes bytes(1025, 0xFF);
    LongIntegerClass v;
    EXPECT_THROW(v.FromBytes(bytes.data(), 1025, 1), OutOfMemoryExceptionClass);
    EXPECT_THROW(v.FromBytes(bytes.data(), 0xFFFFFFFFu, 0), OutOfMemoryExceptionClass);
    EXPECT_EQ(Hex("0000000000ffffffff").ToUInt32(), 0xFFFFFFFFu);
    EXPECT_THROW(Hex("0100000000").ToUInt32(), IntegerOverflowExceptionClass);
    LongIntegerClass one(1u);
    EXPECT_THROW(one <<= Hex("0100000000"), IntegerOverflowExceptionClass);
    EXPECT_EQ(Hex(one <<= Hex("0000000000000020")), "100000000");

    LongIntegerClass e;
    EXPECT_THROW(e.SetBit(8192, true), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(e.SetBit(8192, false));
    EXPECT_THROW(e.SetByte(1024, 1), OutOfMemoryExceptionClass);
    EXPECT_NO_THROW(e.SetByte(1024, 0));
    EXPECT_THROW(e.SetDigit(512, 0), OutOfMemoryExceptionClass);
    EXPECT_THROW(e.Resize(513), OutOfMemoryExceptionClass);
    EXPECT_THROW(e.SetDigitCount(513), OutOfMemoryExceptionClass);
    LongIntegerClass r = Hex("123456789abc");
    r.Resize(2);
    EXPECT_EQ(Hex(r), "56789abc");

    LongIntegerClass top = Ones(8192);
    EXPECT_THROW(top.Increment(), OutOfMemoryExceptionClass);
    LongIntegerClass self = Hex("8000ffff");
    EXPECT_EQ(Hex(self += self), "10001fffe");
    EXPECT_TRUE((self -= self).IsZero());
    EXPECT_THROW(U(1) << 0xFFFFFFFFu, OutOfMemoryExceptionClass);
    EXPECT_TRUE((LongIntegerClass() << 0xFFFFFFFFu).IsZero());
    EXPECT_THROW(U(1).TruncateBits(8193), OutOfMemoryExceptionClass);
    LongIntegerClass x = U(5);
    x.XorShifted(LongIntegerClass(), 100000);  // zero does nothing, at any shift
    EXPECT_THROW(x.XorShifted(U(1), 8192), OutOfMemoryExceptionClass);
    x.XorShifted(x, 3);
    EXPECT_EQ(Hex(x), "2d");
    x.RotateLeftOne(0);  // within no bits: nothing to rotate
    x.RotateRightOne(1);
    EXPECT_EQ(Hex(x), "2d");

    // e = 0 gives 1 and e = 1 the base, unreduced, whatever the modulus.
    EXPECT_EQ(LongIntegerClass::ModExp(U(3), U(0), U(0)), U(1));
    EXPECT_EQ(LongIntegerClass::ModExp(U(10), U(1), U(7)), U(10));
    EXPECT_EQ(LongIntegerClass::ModExp(U(3), Ones(127) - U(1), Ones(127)), U(1));  // Fermat
    EXPECT_THROW(LongIntegerClass::ModExp(U(2), U(2), U(0)), DivideByZeroExceptionClass);
    EXPECT_THROW(LongIntegerClass::ModMul(U(1), U(1), U(0)), DivideByZeroExceptionClass);
    // A base too long to square raises before the zero modulus is noticed.
    EXPECT_THROW(LongIntegerClass::ModExp(Ones(257 * 16), U(2), U(0)), OutOfMemoryExceptionClass);
}

TEST(LongIntegerLimits, DestructionAndShrinkingWipe) {
    alignas(LongIntegerClass) unsigned char storage[sizeof(LongIntegerClass)];
    std::memset(storage, 0x5A, sizeof storage);
    auto* v = new (storage) LongIntegerClass;
    Bytes bytes(1024, 0xC3);
    v->FromBytes(bytes.data(), 1024, 0);
    v->~LongIntegerClass();
    EXPECT_EQ(Bytes(storage, storage + 1024 + sizeof(uint32_t)), Bytes(1024 + sizeof(uint32_t), 0));
    v = new (storage) LongIntegerClass;
    v->FromBytes(bytes.data(), 200, 0);
    v->ShiftRight(800);
    EXPECT_EQ(Bytes(storage + 100, storage + 200), Bytes(100, 0));
    *v = U(3);
    EXPECT_EQ(Bytes(storage + 4, storage + 100), Bytes(96, 0));
    v->SetZero();
    EXPECT_EQ(Bytes(storage, storage + 200), Bytes(200, 0));
    v->~LongIntegerClass();
}

// ---- differential tests -------------------------------------------------------------------------

// The word-wise multiplication, division and Montgomery exponentiation against the
// digit-by-digit algorithms: the same results and exceptions with operands up to the capacity,
// moduli around 255 digits (the limit of the Montgomery path), small and degenerate moduli.
TEST(LongIntegerReference, AgreesWithTheDigitByDigitAlgorithms) {
    Operands ops(11);
    for (int iteration = 0; iteration < 1500; ++iteration) {
        SCOPED_TRACE(iteration);
        const LongIntegerClass a = ops.Value(8192);
        const LongIntegerClass b = iteration % 3 == 0 ? ops.Value(8192 - a.BitLength() + 48)
                                                      : ops.Value(iteration % 2 ? 600 : 8192);
        ASSERT_EQ(Outcome([&] { return a * b; }),
                  Outcome([&] { return Reference::Multiply(a, b); }));
        ASSERT_EQ(Outcome([&] { return a * a; }),
                  Outcome([&] { return Reference::Multiply(a, a); }));
        const LongIntegerClass d = iteration % 4 == 0 ? ops.WithBits(1 + ops.Below(20)) : b;
        ASSERT_EQ(Divide(a, d, false), Divide(a, d, true)) << Hex(a) << " / " << Hex(d);
    }
    for (int iteration = 0; iteration < 460; ++iteration) {
        SCOPED_TRACE(iteration);
        LongIntegerClass m, base, e;
        if (iteration < 60) {
            const uint32_t mBits = 16 * (253 + ops.Below(5)) - ops.Below(16);
            m = ops.WithBits(mBits);
            if (iteration % 2 == 0) m.SetBit(0, true);
            base = ops.WithBits(iteration % 3 ? 16 * (253 + ops.Below(5)) - ops.Below(16)
                                              : ops.Below(mBits));
            e = ops.WithBits(2 + ops.Below(4));
        } else {
            m = ops.Value(iteration % 10 == 0 ? 1024 : 300);
            if (iteration % 3 != 0) m.SetBit(0, true);
            base = iteration % 4 == 0 ? ops.Value(600) : ops.Value(m.BitLength());
            e = ops.Value(iteration % 10 == 0 ? 40 : 300);
        }
        ASSERT_EQ(Outcome([&] { return LongIntegerClass::ModExp(base, e, m); }),
                  Outcome([&] { return Reference::ModExp(base, e, m); }));
    }
    for (const char* m : {"0", "1", "2", "3", "ffff", "10001", "ffffffffffffffff"}) {
        for (const char* b : {"0", "1", "2", "ffff", "123456789abcdef0123"}) {
            for (const char* e : {"0", "1", "2", "3", "10", "ffffffff"}) {
                ASSERT_EQ(Outcome([&] { return LongIntegerClass::ModExp(Hex(b), Hex(e), Hex(m)); }),
                          Outcome([&] { return Reference::ModExp(Hex(b), Hex(e), Hex(m)); }));
            }
        }
    }
}

#if QIRVALE_HAVE_GMP

// Every operation on random and patterned operands up to the capacity, with the class's
// exceptions where a result or an intermediate needs more room than it has.
TEST(LongIntegerGmp, EveryOperationAgrees) {
    Operands ops(1);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        SCOPED_TRACE(iteration);
        const LongIntegerClass a = ops.Value(8192);
        const LongIntegerClass b =
            iteration % 3 == 0 ? ops.WithBits(a.BitLength()) : ops.Value(8192);
        Mpz za(a), zb(b), expected;
        mpz_add(*expected, *za, *zb);
        ASSERT_EQ(Outcome([&] { return a + b; }),
                  mpz_sizeinbase(*expected, 2) > 8192 ? "OutOfMemory" : expected.Hex());
        const int cmp = mpz_cmp(*za, *zb);
        mpz_sub(*expected, *za, *zb);
        ASSERT_EQ(Outcome([&] { return a - b; }), cmp < 0 ? "IntegerOverflow" : expected.Hex());
        ASSERT_EQ(a.Compare(b), cmp < 0 ? -1 : cmp > 0 ? 1 : 0);

        // Products with c short or just about fitting next to a.
        const LongIntegerClass c = ops.Value(iteration % 2 ? 8192 - a.BitLength() + 32 : 1024);
        const uint32_t room = a.EffectiveDigitCount() + c.EffectiveDigitCount();
        Mpz zc(c);
        mpz_mul(*expected, *za, *zc);
        ASSERT_EQ(Outcome([&] { return a * c; }),
                  !a.IsZero() && !c.IsZero() && room > 512 ? "OutOfMemory" : expected.Hex());

        // Division by a single digit, a divisor with no normalising shift, one about as long as
        // the dividend, or any.
        LongIntegerClass d =
            iteration % 4 == 0   ? ops.WithBits(1 + ops.Below(16))
            : iteration % 4 == 1 ? ops.WithBits(16 * (2 + ops.Below(a.BitLength() / 16 + 1)))
            : iteration % 4 == 2
                ? ops.WithBits(a.BitLength() > 8 ? a.BitLength() - ops.Below(8) : 17)
                : ops.Value(8192);
        if (d.IsZero()) d = U(1);
        const uint32_t m = d.EffectiveDigitCount(), shift = (16 - d.BitLength() % 16) % 16;
        Mpz zd(d), zq, zr;
        mpz_tdiv_qr(*zq, *zr, *za, *zd);
        const bool noRoom = m >= 2 && a.EffectiveDigitCount() >= m && a.BitLength() + shift > 8176;
        ASSERT_EQ(Divide(a, d, false), noRoom ? "OutOfMemory" : zq.Hex() + " " + zr.Hex());
        if (d.BitLength() <= 32 && !noRoom) {
            ASSERT_EQ(a.ModuloUInt32(d.ToUInt32()), mpz_get_ui(*zr));
        }

        // Shifts.
        const uint32_t s = iteration % 2 ? ops.Below(8300) : ops.Below(40);
        mpz_mul_2exp(*expected, *za, s);
        ASSERT_EQ(Outcome([&] { return a << s; }),
                  !a.IsZero() && a.EffectiveDigitCount() + (s + 15) / 16 > 512 ? "OutOfMemory"
                                                                               : expected.Hex());
        mpz_fdiv_q_2exp(*expected, *za, s);
        ASSERT_EQ(Outcome([&] { return a >> s; }), expected.Hex()) << Hex(a) << " >> " << s;

        if (iteration % 10 == 0) {  // modular exponentiation
            const uint32_t modBits = iteration < 2500 ? 1 + ops.Below(1100) : 1 + ops.Below(4096);
            LongIntegerClass mod = ops.WithBits(modBits);
            if (iteration % 3 == 0) mod.SetBit(0, true);
            const LongIntegerClass base =
                iteration % 4 == 0 ? ops.Value(modBits + 64) : ops.Value(modBits) % mod;
            const LongIntegerClass e = ops.WithBits(2 + ops.Below(iteration < 2500 ? modBits : 64));
            Mpz zbase(base), ze(e), zm(mod);
            mpz_powm(*expected, *zbase, *ze, *zm);  // e = 0 and e = 1 have known answers above
            ASSERT_EQ(Hex(LongIntegerClass::ModExp(base, e, mod)), expected.Hex());
        }
        if (iteration % 3 != 0) continue;

        // Rotations within w bits, by any count, and the bitwise operations.
        const uint32_t w = 1 + ops.Below(iteration % 4 ? 600 : 8000);
        const LongIntegerClass v = ops.Value(w), b2 = ops.Value(w);
        const uint32_t k = iteration % 8 == 0 ? uint32_t(ops.Engine()()) : ops.Below(2 * w);
        const uint32_t r = k % w;
        Mpz zv(v), zb2(b2);
        auto rotated = [&](uint32_t by) {  // v rotated right by `by` within w bits
            Mpz high, low;
            mpz_fdiv_q_2exp(*high, *zv, by);
            mpz_fdiv_r_2exp(*low, *zv, by);
            mpz_mul_2exp(*low, *low, w - by);
            mpz_ior(*low, *low, *high);
            return low.Hex();
        };
        LongIntegerClass x = v, y = v;
        x.RotateRight(w, k);
        y.RotateLeft(w, k);
        ASSERT_EQ(Hex(x), rotated(r)) << Hex(v) << " ror(" << w << ", " << k << ")";
        ASSERT_EQ(Hex(y), rotated((w - r) % w)) << Hex(v) << " rol(" << w << ", " << k << ")";
        x = v, y = v;
        x.RotateRightOne(w);
        y.RotateLeftOne(w);
        ASSERT_EQ(Hex(x), rotated(1 % w)) << w;
        ASSERT_EQ(Hex(y), rotated(w - 1)) << w;
        mpz_xor(*expected, *zv, *zb2);
        ASSERT_EQ(Hex((x = v) ^= b2), expected.Hex());
        mpz_and(*expected, *zv, *zb2);
        ASSERT_EQ(Hex((x = v) &= b2), expected.Hex());
        const uint32_t t = ops.Below(600);
        mpz_mul_2exp(*expected, *zb2, t);
        mpz_xor(*expected, *expected, *zv);
        x = v;
        x.XorShifted(b2, t);
        ASSERT_EQ(Hex(x), expected.Hex());
        mpz_fdiv_r_2exp(*expected, *zv, t);
        x = v;
        x.TruncateBits(t);
        ASSERT_EQ(Hex(x), expected.Hex());

        // Byte strings in both orders, and back into buffers of any length.
        const uint32_t length = iteration < 60 ? iteration / 3 : ops.Below(1025);
        Bytes bytes(length);
        for (auto& byte : bytes) byte = uint8_t(ops.Engine()());
        if (length > 0 && iteration % 2 == 0) bytes[length - 1] = 0;  // leading zeros
        for (uint16_t order : {uint16_t{0}, uint16_t{1}, uint16_t{0x100}}) {
            LongIntegerClass n;
            n.FromBytes(bytes.data(), length, order);
            mpz_import(*expected, length, order ? 1 : -1, 1, 0, 0, bytes.data());
            ASSERT_EQ(Hex(n), expected.Hex());
            ASSERT_EQ(n.BitLength(), mpz_sgn(*expected) == 0 ? 0u : mpz_sizeinbase(*expected, 2));
            const uint32_t outLength = ops.Below(length + 8);
            qirvale_test::GuardedBuffer out(outLength);
            n.ToBytes(out.data(), outLength, order);
            ASSERT_TRUE(out.Intact());
            Bytes want(outLength, 0);
            for (uint32_t j = 0; j < outLength && j < length; ++j) {
                want[order ? outLength - 1 - j : j] = order ? bytes[length - 1 - j] : bytes[j];
            }
            ASSERT_EQ(out.bytes(), want) << length << " -> " << outLength;
        }
    }
}

#endif  // QIRVALE_HAVE_GMP

}  // namespace
