// The isomorphism between the normal basis and the polynomial basis of each standard degree,
// against the reference fields (products, squares and the unit map across, the two maps are
// inverse to each other) and against the standard curves (each normal-basis curve maps onto the
// polynomial-basis curve of the same degree, points of order n onto points of order n, and
// scalar multiples onto scalar multiples).
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "binfield/binary_words.h"
#include "binfield/onb_conversion.h"
#include "binfield/onb_field.h"
#include "binfield/pb_field.h"
#include "curve/curve.h"
#include "qirvale.h"

namespace {

using QIRVALE::ONBBaseField;
using QIRVALE::ONBConversion;
using QIRVALE::PBBaseField;
using Element = QIRVALE::LongIntegerClass;
using Word = ONBConversion::Word;

// The standard curves of the same degree in the two bases.
struct CurvePair {
    uint16_t pb;
    uint16_t onb;
};
const CurvePair kCurvePairs[] = {{103, 201}, {104, 202}, {105, 203}, {106, 204}, {110, 205}};

struct Fields {
    explicit Fields(const PBCurveInfo& info)
        : onb(info.m),
          pb(PBBaseField::PolynomialFromExponents(info.m, info.k, info.j, info.l)),
          conversion(ONBConversion::ForDegree(info.m)) {}

    Element Convert(const Element& a, bool toPolynomialBasis) const {
        Word in[ONBConversion::kMaxWords] = {}, out[ONBConversion::kMaxWords] = {};
        QIRVALE::BinaryWords::LoadLowBits(a, conversion->Degree(), in);
        if (toPolynomialBasis) {
            conversion->ToPolynomialBasis(in, out);
        } else {
            conversion->ToNormalBasis(in, out);
        }
        Element r;
        QIRVALE::BinaryWords::StoreWords(r, out, conversion->WordCount());
        return r;
    }
    Element ToPB(const Element& a) const { return Convert(a, true); }
    Element ToONB(const Element& a) const { return Convert(a, false); }

    ONBBaseField onb;
    PBBaseField pb;
    const ONBConversion* conversion;
};

const PBCurveInfo& PBInfo(uint16_t index) {
    return *QIRVALEDSTU4145DataPBCurveInfoPtr(index);
}

Element FromBytes(const uint8_t* bytes, uint32_t length) {
    Element v;
    v.FromBytes(bytes, length);
    return v;
}

// Bit patterns below 2^m that meet the word and degree boundaries, then random values.
std::vector<Element> TestElements(uint32_t m, uint32_t randomCount) {
    std::vector<Element> values;
    const auto bits = [&](std::initializer_list<uint32_t> positions) {
        Element v;
        for (uint32_t p : positions) v.SetBit(p, true);
        values.push_back(v);
    };
    bits({});
    bits({0});
    bits({1});
    bits({63});
    bits({64});
    bits({m - 1});
    bits({0, m - 1});
    Element ones, alternating;
    for (uint32_t t = 0; t < m; ++t) {
        ones.SetBit(t, true);
        alternating.SetBit(t, t % 2 == 0);
    }
    values.push_back(ones);
    values.push_back(alternating);
    ones.SetBit(0, false);
    values.push_back(ones);
    std::mt19937_64 engine(m);
    std::vector<uint8_t> bytes((m + 7) / 8);
    for (uint32_t i = 0; i < randomCount; ++i) {
        for (auto& byte : bytes) byte = uint8_t(engine());
        Element v = FromBytes(bytes.data(), uint32_t(bytes.size()));
        v.TruncateBits(m);
        values.push_back(v);
    }
    return values;
}

TEST(ONBConversion, IsAFieldIsomorphismForEveryStandardDegree) {
    for (uint32_t m : {0u, 1u, 5u, 163u, 174u, 257u, 432u})
        EXPECT_EQ(ONBConversion::ForDegree(m), nullptr);
    for (const CurvePair& pair : kCurvePairs) {
        const PBCurveInfo& info = PBInfo(pair.pb);
        const Fields f(info);
        ASSERT_NE(f.conversion, nullptr) << info.m;
        EXPECT_EQ(f.conversion->Degree(), info.m);
        EXPECT_EQ(f.conversion->ExponentK(), info.k);
        EXPECT_EQ(f.conversion->ExponentJ(), info.j);
        EXPECT_EQ(f.conversion->ExponentL(), info.l);
        EXPECT_EQ(f.ToPB(f.onb.One()), f.pb.One()) << info.m;

        // The same patterns serve as normal-basis and as polynomial-basis vectors.
        const std::vector<Element> values = TestElements(info.m, 14);
        std::vector<Element> images;
        for (const Element& a : values) {
            images.push_back(f.ToPB(a));
            EXPECT_EQ(f.ToONB(images.back()), a) << info.m;
            EXPECT_EQ(f.ToPB(f.ToONB(a)), a) << info.m;
            EXPECT_EQ(f.ToPB(f.onb.Square(a)), f.pb.Square(images.back())) << info.m;
        }
        for (size_t i = 0; i < values.size(); ++i) {
            for (size_t j = i; j < values.size(); ++j) {
                EXPECT_EQ(f.ToPB(f.onb.Multiply(values[i], values[j])),
                          f.pb.Multiply(images[i], images[j]))
                    << info.m << " " << i << " " << j;
            }
        }
    }
}

TEST(ONBConversion, MapsTheStandardCurvesOntoThoseOfThePolynomialBasis) {
    using QIRVALE::AffinePoint;
    using QIRVALE::CurveParameters;
    std::mt19937_64 engine(7);
    for (const CurvePair& pair : kCurvePairs) {
        const PBCurveInfo& pbInfo = PBInfo(pair.pb);
        const ONBCurveInfo& onbInfo = *QIRVALEDSTU4145DataONBCurveInfoPtr(pair.onb);
        const Fields f(pbInfo);
        const Element onbB = FromBytes(onbInfo.coefficientB, onbInfo.coefficientBLength);
        const Element pbB = FromBytes(pbInfo.coefficientB, pbInfo.coefficientBLength);
        const Element n = FromBytes(onbInfo.order, onbInfo.orderLength);
        ASSERT_EQ(onbInfo.m, pbInfo.m);
        EXPECT_EQ(onbInfo.coefficientA, pbInfo.coefficientA);
        EXPECT_EQ(n, FromBytes(pbInfo.order, pbInfo.orderLength));
        EXPECT_EQ(f.ToPB(onbB), pbB) << pbInfo.m;

        const CurveParameters<ONBBaseField> onbCurve(f.onb, onbInfo.coefficientA != 0, onbB);
        const CurveParameters<PBBaseField> pbCurve(f.pb, pbInfo.coefficientA != 0, pbB);
        AffinePoint<ONBBaseField> base;
        uint32_t u = 2;
        while (!QIRVALE::GenerateBasePoint(onbCurve, n, Element(u), base)) ++u;
        const AffinePoint<PBBaseField> image(f.ToPB(base.x), f.ToPB(base.y));
        EXPECT_TRUE(QIRVALE::CheckBasePoint(pbCurve, n, image.x, image.y)) << pbInfo.m;

        std::vector<uint8_t> bytes(onbInfo.orderLength);
        for (auto& byte : bytes) byte = uint8_t(engine());
        Element k = FromBytes(bytes.data(), uint32_t(bytes.size()));
        k.TruncateBits(n.BitLength() - 1);
        const auto q = QIRVALE::ScalarMultiply(onbCurve, k, base);
        const auto qImage = QIRVALE::ScalarMultiply(pbCurve, k, image);
        EXPECT_EQ(f.ToPB(q.x), qImage.x) << pbInfo.m;
        EXPECT_EQ(f.ToPB(q.y), qImage.y) << pbInfo.m;
    }
}

}  // namespace
