// Inputs on which fuzzing (fuzz/) found the library at fault, kept as tests of the behaviour
// that replaced the fault. The fuzz inputs themselves stay in the seed corpora as
// fuzz/corpus/<target>/regression-*.
#include <gtest/gtest.h>

#include "dstu4145_test_helpers.h"
#include "qirvale.h"
#include "support/test_support.h"

namespace {

using dstutest::Bytes;
using dstutest::CurveRecord;
using dstutest::Family;
using qirvale_test::GuardedBuffer;

// A curve of the given family and field record with B = 0 and an arbitrary n.
class DegenerateCurve {
  public:
    DegenerateCurve(const Family& f, CurveRecord record, uint16_t a) : f_(f) {
        record.a = a;
        record.b.assign(record.b.size(), 0);
        record.n = {0x05};
        created_ =
            f.createField(&field_, record) == 0 &&
            f.curveCreate(&curve_, &field_, record.a, record.b.data(), uint32_t(record.b.size()),
                          record.n.data(), uint32_t(record.n.size())) == 0;
    }
    ~DegenerateCurve() {
        f_.curveDestroy(&curve_);
        f_.fieldDestroy(&field_);
    }
    bool created() const { return created_; }
    DSTU4145CurveHandle* curve() { return &curve_; }

  private:
    const Family& f_;
    DSTU4145BaseFieldHandle field_{};
    DSTU4145CurveHandle curve_{};
    bool created_ = false;
};

// On y^2 + xy = x^3 + A x^2 (B = 0) the element U = 0 solves to y = 0, and (0, 0) stands for
// the point at infinity, which every order test passes. GenBasePoint returned it as a base
// point with status 0; VerifyBasePoint rightly rejects it. It is now refused like any U that
// gives no base point.
TEST(FuzzRegression, NoBasePointAtInfinityOnACurveWithoutB) {
    for (const Family* family : {&dstutest::PB(), &dstutest::ONB()}) {
        const CurveRecord record =
            family == &dstutest::PB() ? dstutest::PBRecord(101) : dstutest::ONBRecord(201);
        for (uint16_t a : {0, 1}) {
            SCOPED_TRACE(std::string(family->name) + " A = " + std::to_string(a));
            DegenerateCurve degenerate(*family, record, a);
            ASSERT_TRUE(degenerate.created());
            const uint32_t bytes = (record.m + 7u) / 8u;
            for (const Bytes& u : {Bytes(), Bytes(bytes, 0)}) {
                GuardedBuffer x(bytes), y(bytes);
                uint16_t code = 0;
                EXPECT_EQ(family->genBasePoint(x.data(), bytes, y.data(), bytes, degenerate.curve(),
                                               u.data(), uint32_t(u.size()), &code),
                          1u);
                EXPECT_EQ(code, ResultCodeBadValue);
                EXPECT_TRUE(x.Intact() && y.Intact());
                EXPECT_TRUE(x.Untouched() && y.Untouched());
            }
        }
    }
}

}  // namespace
