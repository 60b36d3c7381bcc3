#include "orq_utils/OrqMath.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace ORQ;

namespace {
POINT P(int x, int y) {
    return POINT{x, y};
}
RECT R(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}
const double kEps = 2.220446049250313e-16;
} // namespace

TEST(MathRound, HalfUpInBinaryDoubles) {
    EXPECT_EQ(Round(2.345, 2), 2.35);
    EXPECT_EQ(Round(-2.345, 2), -2.34);
    EXPECT_EQ(Round(1.005, 2), 1.0);
    EXPECT_EQ(Round(2.5, 0), 3);
    EXPECT_EQ(Round(-2.5, 0), -2);
    EXPECT_EQ(Round(1234.5678, 6), 1234.5678);
    EXPECT_EQ(Round(1250, -2), 1300);
    EXPECT_TRUE(DEquals(1.234, 1.2349, 2));
    EXPECT_FALSE(DEquals(1.234, 1.236, 2));
}

TEST(MathRound, ToMultiple) {
    EXPECT_EQ(RoundToMultiple(7, 5), 5);
    EXPECT_EQ(RoundToMultiple(7.5, 5), 10);
    EXPECT_EQ(RoundToMultiple(10, 5), 10);
    EXPECT_EQ(RoundToMultiple(-7, 5), -5);
    EXPECT_EQ(RoundToMultiple(-3, 5), 0);
    EXPECT_EQ(RoundToMultiple(3.25, 0), 3.25);
}

TEST(MathCompare, RelativeTolerances) {
    EXPECT_FALSE(ApproximatelyEqual(1e-20, 0, kEps));
    EXPECT_TRUE(ApproximatelyEqual(0, 0, 0.5));
    EXPECT_TRUE(ApproximatelyEqual(1.0, 1.0 + kEps, kEps));
    EXPECT_FALSE(ApproximatelyEqual(1.0, 1.0 + 4 * kEps, kEps));
    EXPECT_TRUE(ApproximatelyEqual(100, 110, 0.1));  // scale: the larger, 110
    EXPECT_FALSE(EssentiallyEqual(100, 110, 0.095)); // scale: the smaller, 100
    EXPECT_TRUE(EssentiallyEqual(100, 109, 0.095));
    EXPECT_TRUE(DefinitelyGreaterThan(2, 1, 0.1));
    EXPECT_FALSE(DefinitelyGreaterThan(1.05, 1, 0.1));
    EXPECT_TRUE(DefinitelyLessThan(1, 2, 0.1));
    EXPECT_FALSE(DefinitelyLessThan(2, 1, 0.1));
}

TEST(MathDistance, PointsWithoutIntegerOverflow) {
    EXPECT_EQ(CalcDistance(P(0, 0), P(3, 4)), 5);
    EXPECT_EQ(CalcDistance(P(2, 7), P(2, 3)), 4);
    EXPECT_EQ(CalcDistance(P(-5, 1), P(5, 1)), 10);
    EXPECT_EQ(CalcDistance(P(9, 9), P(9, 9)), 0);
    EXPECT_DOUBLE_EQ(CalcDistance(P(0, 0), P(60000, 80000)), 100000);
    EXPECT_DOUBLE_EQ(CalcDistance(P(INT32_MIN, 0), P(INT32_MAX, 0)), 4294967295.0);
}

TEST(MathDistance, ToSegmentAndRect) {
    EXPECT_DOUBLE_EQ(DistanceToLine(0, 1, -1, 0, 1, 0), 1);
    EXPECT_DOUBLE_EQ(DistanceToLine(3, 0, -1, 0, 1, 0), 2);  // nearest point B
    EXPECT_DOUBLE_EQ(DistanceToLine(-4, 4, -1, 0, 1, 0), 5); // nearest point A
    EXPECT_DOUBLE_EQ(DistanceToLine(P(0, 1), P(-1, 0), P(1, 0)), 1);
    // A degenerate segment is its one point.
    EXPECT_DOUBLE_EQ(DistanceToLine(3, 4, 0, 0, 0, 0), 5);
    EXPECT_DOUBLE_EQ(DistanceToLine(P(2, 2), P(2, 2), P(2, 2)), 0);

    const RECT r = R(0, 0, 10, 10);
    EXPECT_EQ(DistanceToRect(P(5, 5), r), 0);
    EXPECT_EQ(DistanceToRect(P(10, 3), r), 0);
    EXPECT_DOUBLE_EQ(DistanceToRect(P(5, -3), r), 3);
    EXPECT_DOUBLE_EQ(DistanceToRect(P(14, 5), r), 4);
    EXPECT_DOUBLE_EQ(DistanceToRect(P(13, 14), r), 5);
    EXPECT_DOUBLE_EQ(DistanceToRect(P(-2, 5), P(0, 0), P(10, 10)), 2);
}

TEST(MathClip, OutCodesAndPointInRect) {
    const RECT r = R(0, 0, 10, 10);
    EXPECT_EQ(CompOutCode(P(-5, -5), r), 9);
    EXPECT_EQ(CompOutCode(P(15, 15), r), 6);
    EXPECT_EQ(CompOutCode(P(5, 11), r), 4);
    EXPECT_EQ(CompOutCode(P(10, 0), r), 0);
    EXPECT_TRUE(PointInRect(P(0, 10), r));
    EXPECT_FALSE(PointInRect(P(11, 10), r));
}

TEST(MathClip, SegmentsCrossingTheRectangle) {
    const RECT r = R(0, 0, 10, 10);
    EXPECT_TRUE(LineCrossesRect(P(-5, 5), P(15, 5), r));
    EXPECT_FALSE(LineCrossesRect(P(-5, -5), P(-1, 20), r));
    // Enters through the left edge after missing the top edge: a full clip finds it.
    EXPECT_TRUE(LineCrossesRect(P(-5, -2), P(3, 15), r));
    EXPECT_TRUE(LineCrossesRect(P(3, 15), P(-5, -2), r));
    EXPECT_TRUE(LineCrossesRect(P(5, 5), P(50, 50), r));
    EXPECT_TRUE(LineCrossesRect(P(-5, 5), P(5, -5), r));  // touches the corner (0, 0)
    EXPECT_FALSE(LineCrossesRect(P(-5, 4), P(4, -5), r)); // passes the corner outside
    EXPECT_FALSE(LineCrossesRect(P(-5, -5), P(15, -5), r));
    EXPECT_TRUE(LineCrossesRect(P(-5, 20), P(20, -5), r)); // diagonal through the middle
    EXPECT_FALSE(LineCrossesRect(P(12, -3), P(20, 8), r));
}

TEST(MathRadar, SampleTimeAndDepthConversions) {
    const double c = kSpeedOfLight;
    EXPECT_DOUBLE_EQ(SampleIdx2FlightTime(4, 1, 0.8, 5), 1 / c);
    EXPECT_DOUBLE_EQ(SampleIdx2FlightTime(10, 1, 0.8, 5), 6 * 0.8 + 1 / c);
    EXPECT_DOUBLE_EQ(FlightTime2SampleIdx(SampleIdx2FlightTime(37, 1, 0.4, 12), 1, 0.4, 12), 37);

    EXPECT_EQ(FlightTime2Depth(10, 0.1, 1), 0);
    EXPECT_EQ(FlightTime2Depth(9, 0.1, 1), -DBL_MAX);
    EXPECT_DOUBLE_EQ(FlightTime2Depth(-12, 0.1, 1), -std::sqrt(0.36 - 0.25));
    EXPECT_DOUBLE_EQ(FlightTime2Depth(12, 0.1, 1), std::sqrt(0.36 - 0.25));
    EXPECT_DOUBLE_EQ(Depth2FlightTime(1, 0.1, 1), 22.360679774997898);
    EXPECT_DOUBLE_EQ(FlightTime2Depth(Depth2FlightTime(2.5, 0.1, 1), 0.1, 1), 2.5);

    const double idx = Depth2SampleIdx(2, 0.1, 1, 0.5, 20);
    EXPECT_DOUBLE_EQ(SampleIdx2Depth(idx, 0.1, 1, 0.5, 20), 2);
    // Before the direct wave arrives there is no depth.
    EXPECT_EQ(SampleIdx2Depth(19, 0.1, 1, 0.5, 20), -DBL_MAX);
    const double zero = SampleIdx2Depth(-1, 0.1, 0, 1, 0);
    EXPECT_EQ(zero, 0);
    EXPECT_TRUE(std::signbit(zero));
}
