#include "binfield/onb_conversion.h"

#include <cstring>

#include "binfield/binary_words.h"
#include "frame/constant_time.h"
#include "frame/memory.h"

namespace QIRVALE {

namespace {

// theta = phi(beta) for each standard degree, as little-endian bytes of its polynomial-basis
// vector: the output of tools/onb_isomorphism.py.
// m = 173: t^173 + t^10 + t^2 + t^1 + 1
const uint8_t kBetaImage173[22] = {
    0x68, 0x1D, 0xC2, 0x8E, 0x48, 0x03, 0xD3, 0xEC, 0x3E, 0x4E, 0x8F,
    0x6B, 0x87, 0xC5, 0x6D, 0xB6, 0xAD, 0xDC, 0x9C, 0x25, 0xDE, 0x12,
};
// m = 179: t^179 + t^4 + t^2 + t^1 + 1
const uint8_t kBetaImage179[23] = {
    0x40, 0xFA, 0x97, 0x2B, 0xAB, 0x54, 0x53, 0xC9, 0xF1, 0xE5, 0xB8, 0x8D,
    0x67, 0xDE, 0xE3, 0x59, 0x36, 0x5A, 0xA5, 0x7D, 0xBC, 0xD3, 0x01,
};
// m = 191: t^191 + t^9 + 1
const uint8_t kBetaImage191[24] = {
    0x4F, 0x7D, 0x7A, 0x2C, 0xE5, 0x62, 0xF8, 0x91, 0xBD, 0x59, 0xD2, 0x58,
    0x5C, 0x05, 0x0E, 0x30, 0xD3, 0xE2, 0xC6, 0xDF, 0xE6, 0x79, 0x13, 0x57,
};
// m = 233: t^233 + t^9 + t^4 + t^1 + 1
const uint8_t kBetaImage233[30] = {
    0xA3, 0xB0, 0x82, 0xD2, 0xE8, 0xFE, 0x58, 0x77, 0x83, 0xF1, 0xF7, 0xC8, 0xB5, 0xC3, 0xA2,
    0x0D, 0x20, 0xFB, 0x83, 0x54, 0xC3, 0xFF, 0x53, 0x4A, 0xFA, 0xC8, 0x42, 0x7B, 0x99, 0x01,
};
// m = 431: t^431 + t^5 + t^3 + t^1 + 1
const uint8_t kBetaImage431[54] = {
    0xD7, 0x15, 0x33, 0xCD, 0x25, 0x6E, 0xD1, 0xEA, 0x43, 0xEB, 0x38, 0x7B, 0x12, 0xA3,
    0xE9, 0x95, 0xA5, 0xFC, 0x1A, 0xB0, 0xBB, 0x8F, 0xB1, 0xA4, 0x22, 0x47, 0x8A, 0x7F,
    0xF3, 0xF2, 0x9F, 0xAA, 0xB1, 0x11, 0x53, 0xD8, 0x1F, 0x91, 0x4E, 0x0C, 0x73, 0xCE,
    0x3B, 0xFF, 0xDB, 0x2B, 0x0A, 0xC4, 0x30, 0xF2, 0x06, 0x74, 0x7E, 0x31,
};

struct StandardDegree {
    uint32_t m;
    uint32_t exponents[3];  // k, j, l of t^m + t^k + t^j + t^l + 1
    const uint8_t* betaImage;
    uint32_t betaImageLength;
};

const StandardDegree kStandardDegrees[] = {
    {173, {10, 2, 1}, kBetaImage173, sizeof kBetaImage173},
    {179, {4, 2, 1}, kBetaImage179, sizeof kBetaImage179},
    {191, {9, 0, 0}, kBetaImage191, sizeof kBetaImage191},
    {233, {9, 4, 1}, kBetaImage233, sizeof kBetaImage233},
    {431, {5, 3, 1}, kBetaImage431, sizeof kBetaImage431},
};

using Word = ONBConversion::Word;

// The parity of the bits of w.
inline Word Parity(Word w) {
    for (uint32_t shift = 32; shift > 0; shift /= 2) w ^= w >> shift;
    return w & 1;
}

using Columns = Word[ONBConversion::kMaxWords];

// The conversions for W words (the word counts of the standard degrees: 3, 4 and 7), so that
// the compiler knows every inner loop bound.

// out = sum over the bits t of in of in_t columns[t], through masks.
template <uint32_t W>
void ColumnSum(const Columns* columns, uint32_t m, const Word* in, Word* out) {
    Word sum[W] = {};
    for (uint32_t t = 0; t < m; ++t) {
        const Word mask = MaskFromBit<Word>((in[t / 64] >> (t % 64)) & 1);
        for (uint32_t w = 0; w < W; ++w) sum[w] ^= columns[t][w] & mask;
    }
    for (uint32_t w = 0; w < W; ++w) out[w] = sum[w];
    SecureWipe(sum, sizeof sum);
}

// dual bit s = Tr(y t^s), the parity of y AND (traces >> s); then out bit t = Tr(y theta_t),
// the parity of dual AND columns[t].
template <uint32_t W>
void TraceProducts(const Columns* columns, const Word* traces, uint32_t m, const Word* in,
                   Word* out) {
    Word dual[W] = {};
    for (uint32_t s = 0; s < m; ++s) {
        const uint32_t q = s / 64, r = s % 64;
        Word sum = 0;
        for (uint32_t w = 0; w < W; ++w) {
            // (high << 1) << (63 - r) is high << (64 - r), and 0 when r = 0.
            const Word window = (traces[w + q] >> r) | ((traces[w + q + 1] << 1) << (63 - r));
            sum ^= in[w] & window;
        }
        dual[q] |= Parity(sum) << r;
    }
    Word result[W] = {};
    for (uint32_t t = 0; t < m; ++t) {
        Word sum = 0;
        for (uint32_t w = 0; w < W; ++w) sum ^= columns[t][w] & dual[w];
        result[t / 64] |= Parity(sum) << (t % 64);
    }
    for (uint32_t w = 0; w < W; ++w) out[w] = result[w];
    SecureWipe(dual, sizeof dual);
    SecureWipe(result, sizeof result);
}

}  // namespace

template <unsigned Index>
const ONBConversion& ONBConversion::Instance() {
    static const ONBConversion conversion(Index);
    return conversion;
}

const ONBConversion* ONBConversion::ForDegree(uint32_t m) {
    switch (m) {
        case 173:
            return &Instance<0>();
        case 179:
            return &Instance<1>();
        case 191:
            return &Instance<2>();
        case 233:
            return &Instance<3>();
        case 431:
            return &Instance<4>();
        default:
            return nullptr;
    }
}

// The columns are theta, theta^2, theta^4, ... (m - 1 squarings of public data). The traces
// Tr(t^s) are the power sums of the roots of g = t^m + c_1 t^(m-1) + ... + c_m, from Newton's
// identities over GF(2): Tr(1) = m mod 2, and Tr(t^s) is the sum of c_i Tr(t^(s-i)) over
// 0 < i < s, i <= m, plus c_s when s <= m is odd.
ONBConversion::ONBConversion(unsigned index)
    : degree(kStandardDegrees[index].m),
      words(BinaryWords::WordsForBits(degree)),
      exponents{},
      columns{},
      traces{} {
    const StandardDegree& standard = kStandardDegrees[index];
    std::memcpy(exponents, standard.exponents, sizeof exponents);
    const uint32_t m = degree;
    uint32_t terms[4] = {0, exponents[0], exponents[1], exponents[2]};
    const uint32_t termCount = exponents[1] == 0 ? 2 : 4;

    Word theta[kMaxWords] = {};
    for (uint32_t i = 0; i < standard.betaImageLength; ++i)
        theta[i / 8] |= Word(standard.betaImage[i]) << (8 * (i % 8));
    const BinaryWords::ReductionRule rule(m, terms, termCount);
    BinaryWords::WordScratch square(2 * kMaxWords + 1);
    for (uint32_t i = 0; i < m; ++i) {
        std::memcpy(columns[m - 1 - i], theta, words * sizeof(Word));
        BinaryWords::SquarePolynomial(theta, words, square.data());
        uint32_t n = 2 * words;
        rule.Reduce(square.data(), n);
        for (uint32_t w = 0; w < words; ++w) theta[w] = w < n ? square[w] : 0;
    }

    const auto trace = [this](uint32_t s) { return (traces[s / 64] >> (s % 64)) & 1; };
    traces[0] = m & 1;
    for (uint32_t s = 1; s <= 2 * m - 2; ++s) {
        Word bit = 0;
        for (uint32_t e = 0; e < termCount; ++e) {
            const uint32_t i = m - terms[e];  // c_i = 1
            if (i < s) bit ^= trace(s - i);
            if (i == s) bit ^= s & 1;
        }
        traces[s / 64] |= bit << (s % 64);
    }
}

void ONBConversion::ToPolynomialBasis(const Word* onb, Word* pb) const {
    switch (words) {
        case 3:
            return ColumnSum<3>(columns, degree, onb, pb);
        case 4:
            return ColumnSum<4>(columns, degree, onb, pb);
        default:
            return ColumnSum<kMaxWords>(columns, degree, onb, pb);
    }
}

void ONBConversion::ToNormalBasis(const Word* pb, Word* onb) const {
    switch (words) {
        case 3:
            return TraceProducts<3>(columns, traces, degree, pb, onb);
        case 4:
            return TraceProducts<4>(columns, traces, degree, pb, onb);
        default:
            return TraceProducts<kMaxWords>(columns, traces, degree, pb, onb);
    }
}

}  // namespace QIRVALE
