// GF(2^m) in polynomial basis on fixed-size word arrays: the field of the constant-time
// DSTU 4145 path.
//
// An element is std::array<uint64_t, W> with W = ceil(m / 64), bit i the coefficient of t^i,
// always reduced (below t^m). The field is t^m + t^k + 1 or t^m + t^k + t^j + t^l + 1 with
// k < 64, 2k < m and m not a multiple of 64, which lets the reduction fold in two passes of
// whole-word shifts (every recommended polynomial qualifies). The results are the
// unique reduced values, so they agree with PBBaseField on reduced operands bit for bit.
//
// Every operation runs the same instructions and touches the same addresses whatever the
// values of its operands: multiplication is the carry-less kernel (carryless.h), squaring
// spreads bits with shifts, the reduction folds at shifts fixed by the public exponents, and
// inversion is Itoh-Tsujii (a^(2^m - 2): m - 1 squarings and an addition chain on m - 1), so the
// inverse of 0 is 0. Temporaries live on the stack; callers that handle secrets wipe it when
// they are done (WipeStack in frame/memory.h).
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "binfield/binary_words.h"
#include "binfield/carryless.h"
#include "binfield/fixed_pb_kernels.h"
#include "frame/constant_time.h"

namespace QIRVALE {

template <unsigned W>
class FixedPBField {
  public:
    using Element = std::array<uint64_t, W>;
    static constexpr unsigned kWords = W;

    // Whether the field of t^m + t^k (+ t^j + t^l) + 1 (j = l = 0 for a trinomial) is served
    // by this width: m not a multiple of 64 and k below 64 and below m / 2.
    static bool Serves(uint32_t m, uint32_t k) {
        return (m + 63) / 64 == W && m % 64 != 0 && k < 64 && 2 * k < m;
    }

    // The field of the exponents (Serves must hold), with the carry-less instruction when
    // `useInstruction` is true and the CPU has it.
    FixedPBField(uint32_t m, uint32_t k, uint32_t j, uint32_t l, bool useInstruction)
        : degree(m),
          shape{m, k, j, l},
          instruction(useInstruction && Carryless::InstructionAvailable()),
          kernels(KernelsFor<W>(shape, instruction)),
          chainBits(0) {
        for (uint32_t v = m - 1; v != 0; v >>= 1) ++chainBits;
    }

    uint32_t Degree() const { return degree; }
    bool UsesInstruction() const { return instruction; }

    static Element Zero() { return Element{}; }
    static Element One() {
        Element r{};
        r[0] = 1;
        return r;
    }

    static Element Add(const Element& a, const Element& b) {
        Element r;
        for (unsigned i = 0; i < W; ++i) r[i] = a[i] ^ b[i];
        return r;
    }

    Element Multiply(const Element& a, const Element& b) const {
        Element r;
        kernels.multiply(a.data(), b.data(), r.data(), shape);
        return r;
    }

    Element Square(const Element& a) const {
        Element r;
        kernels.square(a.data(), r.data(), shape);
        return r;
    }

    // a^(2^n), n squarings.
    Element SquareTimes(Element a, uint32_t n) const {
        for (uint32_t i = 0; i < n; ++i) a = Square(a);
        return a;
    }

    // a^(2^m - 2): a^-1, and 0 for 0. x runs through a^(2^k - 1) for the prefixes k of the
    // binary digits of m - 1, using a^(2^(2k) - 1) = (a^(2^k - 1))^(2^k) a^(2^k - 1).
    Element Invert(const Element& a) const {
        Element x = a;
        uint32_t k = 1;
        for (uint32_t bit = chainBits - 1; bit-- > 0;) {
            x = Multiply(SquareTimes(x, k), x);
            k *= 2;
            if (((degree - 1) >> bit) & 1) {
                x = Multiply(Square(x), a);
                k += 1;
            }
        }
        return Square(x);
    }

    // a^-1 (0 for 0) by the extended Euclidean algorithm on words: NOT constant time, for
    // public data only (verification). r0 = t0 a and r1 = t1 a mod f throughout; each inner
    // step removes the top term of r0 with a shifted r1.
    Element InvertVar(const Element& a) const {
        if (ZeroMask(a) != 0) return Zero();
        constexpr unsigned kWords = W + 3;  // f has m + 1 bits; slack for shifted writes
        uint64_t rA[kWords] = {}, rB[kWords] = {}, tA[kWords] = {}, tB[kWords] = {};
        for (uint32_t e : {shape.m, shape.k, shape.j, shape.l, 0u})
            rA[e / 64] |= uint64_t(1) << (e % 64);
        for (unsigned i = 0; i < W; ++i) rB[i] = a[i];
        tB[0] = 1;
        uint64_t *r0 = rA, *r1 = rB, *t0 = tA, *t1 = tB;
        uint32_t d0 = degree + 1, d1 = BinaryWords::BitLength(rB, W), e0 = 0, e1 = 1;
        for (;;) {
            const uint32_t rWords = BinaryWords::WordsForBits(d1);
            const uint32_t tWords = BinaryWords::WordsForBits(e1);
            while (d0 >= d1) {
                const uint32_t shift = d0 - d1;
                BinaryWords::XorShifted(r0, r1, rWords, shift);
                BinaryWords::XorShifted(t0, t1, tWords, shift);
                e0 = e0 > e1 + shift ? e0 : e1 + shift;
                d0 = BinaryWords::BitLength(r0, BinaryWords::WordsForBits(d0));
            }
            if (d0 == 0) break;
            std::swap(r0, r1);
            std::swap(t0, t1);
            std::swap(d0, d1);
            std::swap(e0, e1);
        }
        Element r;
        for (unsigned i = 0; i < W; ++i) r[i] = t1[i];
        return r;
    }

    // All ones when a is zero, else zero.
    static uint64_t ZeroMask(const Element& a) {
        uint64_t any = 0;
        for (unsigned i = 0; i < W; ++i) any |= a[i];
        return QIRVALE::ZeroMask(any);
    }
    static uint64_t EqualMask(const Element& a, const Element& b) { return ZeroMask(Add(a, b)); }
    // mask ? a : b.
    static Element Select(uint64_t mask, const Element& a, const Element& b) {
        Element r;
        for (unsigned i = 0; i < W; ++i) r[i] = QIRVALE::Select(mask, a[i], b[i]);
        return r;
    }
    static void Swap(uint64_t mask, Element& a, Element& b) {
        ConditionalSwap(mask, a.data(), b.data(), W);
    }

  private:
    uint32_t degree;
    FieldShape shape;
    bool instruction;
    FieldKernels kernels;
    uint32_t chainBits;  // bit length of m - 1
};

}  // namespace QIRVALE
