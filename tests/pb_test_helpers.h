// Helpers of the polynomial-basis field and curve tests: values from hex and bit lists, a
// deterministic random source, and the standard curves of tests/vectors/standard-data.json.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "binfield/pb_field.h"
#include "longint/long_integer.h"
#include "support/test_support.h"

namespace pbtest {

using QIRVALE::LongIntegerClass;
using QIRVALE::PBBaseField;

// The value with exactly the listed bits set.
inline LongIntegerClass BitsAt(std::initializer_list<uint32_t> bits) {
    LongIntegerClass v;
    for (uint32_t b : bits) v.SetBit(b, true);
    return v;
}

// Value of a big-endian hex string.
inline LongIntegerClass FromHexBE(const std::string& hex) {
    const std::string even = hex.size() % 2 ? "0" + hex : hex;
    const qirvale_test::Bytes bytes = qirvale_test::FromHex(even);
    LongIntegerClass v;
    v.FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), 1);
    return v;
}

// Value of a little-endian byte string given as hex in memory order.
inline LongIntegerClass FromHexLE(const std::string& hex) {
    const qirvale_test::Bytes bytes = qirvale_test::FromHex(hex);
    LongIntegerClass v;
    v.FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), 0);
    return v;
}

// Big-endian hex of the significant bytes, "0" for zero (for failure messages).
inline std::string Hex(const LongIntegerClass& v) {
    const uint32_t n = v.ByteLength();
    if (n == 0) return "0";
    qirvale_test::Bytes bytes(n);
    v.ToBytes(bytes.data(), n, 1);
    return qirvale_test::ToHex(bytes);
}

inline PBBaseField MakeField(uint32_t m, uint32_t k, uint32_t j = 0, uint32_t l = 0) {
    return PBBaseField(PBBaseField::PolynomialFromExponents(m, k, j, l));
}

// A seeded source of random values, so every run sees the same inputs.
class Random {
  public:
    explicit Random(uint64_t seed) : engine(seed) {}

    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(engine() % bound); }
    uint64_t Word() { return engine(); }

    // Uniform below 2^bits.
    LongIntegerClass Bits(uint32_t bits) {
        LongIntegerClass v;
        for (uint32_t i = 0; i < bits; i += 64) {
            const uint64_t w = engine();
            for (uint32_t b = 0; b < 64 && i + b < bits; ++b) {
                if ((w >> b) & 1) v.SetBit(i + b, true);
            }
        }
        return v;
    }
    // Bit length exactly `bits` (>= 1).
    LongIntegerClass ExactBits(uint32_t bits) {
        LongIntegerClass v = Bits(bits - 1);
        v.SetBit(bits - 1, true);
        return v;
    }
    // Non-zero and below 2^bits.
    LongIntegerClass NonZero(uint32_t bits) {
        for (;;) {
            LongIntegerClass v = Bits(bits);
            if (!v.IsZero()) return v;
        }
    }

  private:
    std::mt19937_64 engine;
};

// A recommended curve of the polynomial basis with its published base point.
struct StandardCurve {
    uint32_t index;
    uint32_t m, k, j, l;
    uint32_t a;
    LongIntegerClass b;
    LongIntegerClass n;
    LongIntegerClass gx;
    LongIntegerClass gy;
};

inline std::vector<StandardCurve> LoadStandardCurves() {
    const qirvale_test::Json data = qirvale_test::ReadJson("standard-data.json");
    std::vector<StandardCurve> curves;
    for (const auto& c : data.at("dstu4145_pb_curves")) {
        StandardCurve s;
        s.index = c.at("index").get<uint32_t>();
        s.m = c.at("m").get<uint32_t>();
        s.k = c.at("k").get<uint32_t>();
        s.j = c.at("j").get<uint32_t>();
        s.l = c.at("l").get<uint32_t>();
        s.a = c.at("A").get<uint32_t>();
        s.b = FromHexLE(c.at("B_le").get<std::string>());
        s.n = FromHexLE(c.at("n_le").get<std::string>());
        s.gx = FromHexLE(c.at("published_base_point").at("x_le").get<std::string>());
        s.gy = FromHexLE(c.at("published_base_point").at("y_le").get<std::string>());
        curves.push_back(s);
    }
    return curves;
}

}  // namespace pbtest
