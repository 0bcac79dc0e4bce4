// The standard curve records: lookup by index, and every byte of B and n against the
// published tables in tests/vectors/standard-data.json. Fields of the packed records are
// read by value, never bound to references.
#include <gtest/gtest.h>

#include "qirvale.h"
#include "support/test_support.h"

namespace {

using qirvale_test::Bytes;
using qirvale_test::HexBytes;
using qirvale_test::ReadJson;

Bytes Of(const uint8_t* bytes, uint32_t length) {
    return Bytes(bytes, bytes + length);
}

TEST(CurveTables, IndicesOutsideTheTablesGiveNull) {
    for (uint16_t index : {0, 1, 100, 111, 200, 206, 301, 0xFFFF}) {
        EXPECT_EQ(QIRVALEDSTU4145DataPBCurveInfoPtr(index), nullptr) << index;
        EXPECT_EQ(QIRVALEDSTU4145DataONBCurveInfoPtr(index), nullptr) << index;
    }
    EXPECT_EQ(QIRVALEDSTU4145DataPBCurveInfoPtr(201), nullptr);
    EXPECT_EQ(QIRVALEDSTU4145DataONBCurveInfoPtr(101), nullptr);
}

TEST(CurveTables, PolynomialBasisRecordsMatchThePublishedCurves) {
    const auto curves = ReadJson("standard-data.json")["dstu4145_pb_curves"];
    ASSERT_EQ(curves.size(), 10u);
    for (const auto& curve : curves) {
        const uint16_t index = curve["index"];
        const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(index);
        ASSERT_NE(info, nullptr) << index;
        EXPECT_EQ(unsigned{info->m}, curve["m"].get<unsigned>());
        EXPECT_EQ(unsigned{info->k}, curve["k"].get<unsigned>());
        EXPECT_EQ(unsigned{info->j}, curve["j"].get<unsigned>());
        EXPECT_EQ(unsigned{info->l}, curve["l"].get<unsigned>());
        EXPECT_EQ(unsigned{info->coefficientA}, curve["A"].get<unsigned>());
        EXPECT_EQ(uint32_t{info->coefficientBLength}, (info->m + 7u) / 8u) << index;
        EXPECT_EQ(Of(info->coefficientB, info->coefficientBLength), HexBytes(curve["B_le"]));
        EXPECT_EQ(Of(info->order, info->orderLength), HexBytes(curve["n_le"]));
        EXPECT_EQ(uint32_t{info->orderLength}, (curve["n_bits"].get<unsigned>() + 7u) / 8u);
        EXPECT_NE(info->order[info->orderLength - 1], 0) << "n has no leading zero byte";
    }
    // The one curve whose n is a byte shorter than its B.
    const PBCurveInfo* c107 = QIRVALEDSTU4145DataPBCurveInfoPtr(107);
    EXPECT_EQ(uint32_t{c107->coefficientBLength}, 33u);
    EXPECT_EQ(uint32_t{c107->orderLength}, 32u);
}

TEST(CurveTables, NormalBasisRecordsMatchThePublishedCurves) {
    const auto curves = ReadJson("standard-data.json")["dstu4145_onb_curves"];
    ASSERT_EQ(curves.size(), 5u);
    for (const auto& curve : curves) {
        const uint16_t index = curve["index"];
        const ONBCurveInfo* info = QIRVALEDSTU4145DataONBCurveInfoPtr(index);
        ASSERT_NE(info, nullptr) << index;
        EXPECT_EQ(unsigned{info->m}, curve["m"].get<unsigned>());
        EXPECT_EQ(unsigned{info->coefficientA}, curve["A"].get<unsigned>());
        EXPECT_EQ(uint32_t{info->coefficientBLength}, (info->m + 7u) / 8u) << index;
        EXPECT_EQ(Of(info->coefficientB, info->coefficientBLength), HexBytes(curve["B_le"]));
        EXPECT_EQ(Of(info->order, info->orderLength), HexBytes(curve["n_le"]));
    }
    EXPECT_EQ(unsigned{QIRVALEDSTU4145DataONBCurveInfoPtr(205)->m}, 431u);
}

}  // namespace
