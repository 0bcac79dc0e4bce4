// The isomorphism between the optimal normal basis of ONBBaseField and the polynomial basis of
// the same degree, for the five degrees of the standard normal-basis curves.
//
// For m = 173, 179, 191, 233 and 431, the field of ONBBaseField(m) is mapped onto
// GF(2)[t]/(g), g the standard polynomial of that degree (the polynomial of the
// polynomial-basis curve of the same degree), by the isomorphism phi fixed by
// theta = phi(beta):
//   phi(a_0 beta + a_1 beta^2 + ... + a_(m-1) beta^(2^(m-1))) = sum of a_i theta^(2^i).
// theta is a root of the minimal polynomial of beta; of its m conjugates, the one stored is
// the one whose isomorphism carries the coefficient B of each standard normal-basis curve
// onto the B of the standard polynomial-basis curve of the same degree, so that the standard
// curves of the two bases are the same curves (tools/onb_isomorphism.py computes it).
//
// The inverse needs no second matrix: a type II optimal normal basis is self-dual
// (Tr(beta^(2^i) beta^(2^j)) is 1 for i = j and 0 otherwise), so for y = phi(a) the
// coefficient a_i is Tr(y theta^(2^i)). With d_s = Tr(y t^s) for s < m, that is the parity of
// d AND theta^(2^i) (as bit vectors), and d_s is the parity of y AND the traces Tr(t^(s+k)),
// k < m.
//
// Vectors are arrays of WordCount() 64-bit words, least significant first. A normal-basis
// vector holds the ONBBaseField integer (bit t is the coefficient a_(m-1-t) of
// beta^(2^(m-1-t))); a polynomial-basis vector holds bit s as the coefficient of t^s. Both
// must be below 2^m. Both conversions read every bit of their input and combine it through
// masks: their sequence of operations and memory accesses depends only on m.
//
// The conversions are built on first use, once per process, and are read-only afterwards:
// concurrent calls may share them.
#pragma once

#include <cstdint>

namespace QIRVALE {

class ONBConversion {
  public:
    using Word = uint64_t;
    // The largest standard degree and its word count.
    static constexpr uint32_t kMaxDegree = 431;
    static constexpr uint32_t kMaxWords = (kMaxDegree + 63) / 64;

    // The conversion of degree m, or null when m is not one of the five standard degrees.
    static const ONBConversion* ForDegree(uint32_t m);

    uint32_t Degree() const { return degree; }
    uint32_t WordCount() const { return words; }
    // The polynomial t^m + t^k + t^j + t^l + 1 (j = l = 0 for a trinomial), in the order of
    // the polynomial-basis curve records.
    uint32_t ExponentK() const { return exponents[0]; }
    uint32_t ExponentJ() const { return exponents[1]; }
    uint32_t ExponentL() const { return exponents[2]; }

    // pb = phi(onb), arrays of WordCount() words (they may be the same array).
    void ToPolynomialBasis(const Word* onb, Word* pb) const;
    // onb = phi^-1(pb), arrays of WordCount() words (they may be the same array).
    void ToNormalBasis(const Word* pb, Word* onb) const;

    ONBConversion(const ONBConversion&) = delete;
    ONBConversion& operator=(const ONBConversion&) = delete;

  private:
    // The conversion of entry `index` of the table of standard degrees, built on first use.
    template <unsigned Index>
    static const ONBConversion& Instance();
    explicit ONBConversion(unsigned index);

    uint32_t degree;
    uint32_t words;
    uint32_t exponents[3];
    // columns[t] = phi(beta^(2^(m-1-t))), the image of bit t of a normal-basis integer.
    Word columns[kMaxDegree][kMaxWords];
    // Bit s is Tr(t^s) for s <= 2m - 2; the words above are zero, for shifted reads.
    Word traces[2 * kMaxWords + 2];
};

}  // namespace QIRVALE
