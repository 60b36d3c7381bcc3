#include "KVD_Edit/transform/TransformMatrix2D.h"
#include "KVD_Edit/transform/Math2D.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ORQ::Transform;

namespace {

constexpr double kPi = 3.14159265358979323846;

void ExpectPoint(const SPoint2D &actual, double x, double y, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
}

} // namespace

TEST(TransformMatrix2D, NullParametersGiveTheIdentityBothWays) {
    CTransformMatrix2D t(nullptr);
    ExpectPoint(t.Transform({3.5, -2.0}), 3.5, -2.0);
    ExpectPoint(t.InverseTransform({3.5, -2.0}), 3.5, -2.0);
    CTransformMatrix2D byDefault;
    EXPECT_TRUE(byDefault.SetParams(nullptr));
    ExpectPoint(byDefault.Transform({1e6, 5e6}), 1e6, 5e6);
}

TEST(TransformMatrix2D, ParameterMatrixShiftsThenRotatesThenScales) {
    const STransformParams p{-100.0, -200.0, kPi / 2, 2.0, 3.0};
    CTransformMatrix2D t(&p);
    // (101, 200) -> shift (1, 0) -> rotate (0, 1) -> scale (0, 3)
    ExpectPoint(t.InverseTransform({101.0, 200.0}), 0.0, 3.0);
    ExpectPoint(t.Transform({0.0, 3.0}), 101.0, 200.0);
    // Round trip of an arbitrary point.
    const SPoint2D local = t.InverseTransform({523456.25, 4982950.5});
    ExpectPoint(t.Transform(local), 523456.25, 4982950.5, 1e-6);
}

TEST(TransformMatrix2D, ScaleZeroOrNaNIsRefusedAndKeepsPreviousInverse) {
    const STransformParams good{10.0, 20.0, 0.0, 1.0, 1.0};
    CTransformMatrix2D t(&good);
    testing::internal::CaptureStdout();
    const STransformParams flat{0.0, 0.0, 0.3, 0.0, 1.0};
    EXPECT_FALSE(t.SetParams(&flat));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("ERROR: Singular matrix in LUdcmp\n     in file "), std::string::npos);
    // The inverse is the one of the last good parameters.
    ExpectPoint(t.Transform({0.0, 0.0}), -10.0, -20.0);

    testing::internal::CaptureStdout();
    const STransformParams nan{0.0, 0.0, NAN, 1.0, 1.0};
    EXPECT_FALSE(t.SetParams(&nan));
    testing::internal::GetCapturedStdout();

    // A new object whose matrix cannot be inverted maps nowhere rather than somewhere wrong.
    testing::internal::CaptureStdout();
    CTransformMatrix2D broken(0.0, 0.0, 0.0, 1.0, 0.0);
    testing::internal::GetCapturedStdout();
    const SPoint2D p = broken.Transform({1.0, 1.0});
    EXPECT_TRUE(std::isnan(p.x) && std::isnan(p.y));
}

TEST(TransformMatrix2D, CopiesAreIndependent) {
    const STransformParams p{1.0, 2.0, 0.5, 2.0, 2.0};
    CTransformMatrix2D a(&p);
    CTransformMatrix2D b(a);
    a.SetParams(nullptr);
    const SPoint2D moved = b.InverseTransform({0.0, 0.0});
    EXPECT_GT(std::hypot(moved.x, moved.y), 1.0);
    a = b;
    ExpectPoint(a.InverseTransform({0.0, 0.0}), moved.x, moved.y);
}

TEST(TwoPointTransform, FitsRotationScaleAndShift) {
    STransformParams p;
    ASSERT_TRUE(ComputeTwoPointTransform(&p, {0.0, 0.0}, {5.0, 5.0}, {10.0, 0.0}, {5.0, 25.0}));
    EXPECT_NEAR(p.rotation, kPi / 2, 1e-12);
    EXPECT_NEAR(p.scaleX, 2.0, 1e-12);
    EXPECT_NEAR(p.scaleY, 2.0, 1e-12);
    EXPECT_NEAR(p.shiftX, 2.5, 1e-9);
    EXPECT_NEAR(p.shiftY, -2.5, 1e-9);
    CTransformMatrix2D t(&p);
    ExpectPoint(t.InverseTransform({0.0, 0.0}), 5.0, 5.0);
    ExpectPoint(t.InverseTransform({10.0, 0.0}), 5.0, 25.0);
}

TEST(TwoPointTransform, WorldToLocalAtUtmMagnitudes) {
    // World points in UTM metres, local points in the grid: the fit must reproduce both pairs.
    const SPoint2D w1{512345.678, 4982950.123}, w2{512445.678, 4983050.123};
    const SPoint2D l1{0.0, 0.0}, l2{0.0, 141.42135623730951};
    STransformParams p;
    ASSERT_TRUE(ComputeTwoPointTransform(&p, w1, l1, w2, l2));
    EXPECT_NEAR(p.scaleX, 1.0, 1e-9);
    CTransformMatrix2D t(&p);
    ExpectPoint(t.InverseTransform(w1), l1.x, l1.y, 1e-6);
    ExpectPoint(t.InverseTransform(w2), l2.x, l2.y, 1e-6);
    ExpectPoint(t.Transform(l2), w2.x, w2.y, 1e-6);
}

TEST(TwoPointTransform, CoincidentOrNonFinitePointsFailAndLeaveOutput) {
    const STransformParams before{7.0, 8.0, 0.1, 3.0, 3.0};
    STransformParams p = before;
    EXPECT_FALSE(ComputeTwoPointTransform(&p, {1.0, 1.0}, {0.0, 0.0}, {1.0, 1.0}, {5.0, 0.0}));
    EXPECT_FALSE(ComputeTwoPointTransform(&p, {0.0, 0.0}, {0.0, 0.0}, {5.0, 0.0}, {5e-8, 0.0}));
    EXPECT_FALSE(ComputeTwoPointTransform(&p, {0.0, 0.0}, {0.0, 0.0}, {NAN, 0.0}, {5.0, 0.0}));
    EXPECT_FALSE(ComputeTwoPointTransform(&p, {0.0, 0.0}, {0.0, 0.0}, {INFINITY, 0.0}, {5.0, 0.0}));
    EXPECT_FALSE(ComputeTwoPointTransform(nullptr, {0, 0}, {0, 0}, {1, 0}, {1, 0}));
    EXPECT_EQ(p.shiftX, before.shiftX);
    EXPECT_EQ(p.rotation, before.rotation);
    EXPECT_EQ(p.scaleX, before.scaleX);
}

TEST(OnePointTransform, TakesAToBWithTheHeading) {
    STransformParams p;
    ASSERT_TRUE(ComputeOnePointTransform(&p, {3.0, 4.0}, {10.0, 20.0}, 0.0));
    EXPECT_NEAR(p.shiftX, 7.0, 1e-12);
    EXPECT_NEAR(p.shiftY, 16.0, 1e-12);
    EXPECT_EQ(p.scaleX, 1.0);
    EXPECT_EQ(p.scaleY, 1.0);

    ASSERT_TRUE(ComputeOnePointTransform(&p, {500000.0, 4982950.0}, {0.0, 0.0}, kPi / 6));
    CTransformMatrix2D t(&p);
    ExpectPoint(t.InverseTransform({500000.0, 4982950.0}), 0.0, 0.0, 1e-6);
    // One metre east of A turns by the heading.
    ExpectPoint(t.InverseTransform({500001.0, 4982950.0}), std::cos(kPi / 6), std::sin(kPi / 6),
                1e-6);
    EXPECT_FALSE(ComputeOnePointTransform(&p, {0.0, 0.0}, {1.0, 1.0}, NAN));
}

TEST(NormalisingMatrix, TakesAToOriginAndBToUnitX) {
    CNumMatrix<double> m;
    EXPECT_DOUBLE_EQ(ComputeNormalisingMatrix(&m, {1.0, 1.0}, {4.0, 5.0}), 5.0);
    auto apply = [&](double x, double y) {
        return SPoint2D{m[0][0] * x + m[0][1] * y + m[0][2], m[1][0] * x + m[1][1] * y + m[1][2]};
    };
    ExpectPoint(apply(1.0, 1.0), 0.0, 0.0);
    ExpectPoint(apply(4.0, 5.0), 1.0, 0.0);
    CNumMatrix<double> untouched(2, 2, 9.0);
    EXPECT_EQ(ComputeNormalisingMatrix(&untouched, {1.0, 1.0}, {1.0, 1.0}), 0.0);
    EXPECT_EQ(untouched.GetRows(), 2);
    EXPECT_EQ(untouched[1][1], 9.0);
}

TEST(Math2D, LinearInterpolateAndZeroPoint) {
    double x0 = 2.0, x1 = 6.0, y0 = 10.0, y1 = 30.0;
    double x = 2.0;
    EXPECT_DOUBLE_EQ(LinearInterpolate(&x, &x0, &x1, &y0, &y1), 10.0);
    x = 6.0;
    EXPECT_DOUBLE_EQ(LinearInterpolate(&x, &x0, &x1, &y0, &y1), 30.0);
    x = 3.0;
    EXPECT_DOUBLE_EQ(LinearInterpolate(&x, &x0, &x1, &y0, &y1), 15.0);
    x = 8.0; // beyond the ends it extrapolates
    EXPECT_DOUBLE_EQ(LinearInterpolate(&x, &x0, &x1, &y0, &y1), 40.0);
    // A degenerate range gives y0, never a division by zero.
    x1 = x0;
    x = 5.0;
    EXPECT_DOUBLE_EQ(LinearInterpolate(&x, &x0, &x1, &y0, &y1), 10.0);

    SPoint2D p{3.0, 4.0};
    EXPECT_EQ(ZeroPoint2D(&p), &p);
    EXPECT_EQ(p.x, 0.0);
    EXPECT_EQ(p.y, 0.0);
}
