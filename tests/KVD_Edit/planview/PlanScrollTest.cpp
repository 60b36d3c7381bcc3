#include "KVD_Edit/planview/PlanScroll.h"
#include "KVD_Edit/planview/CompassRotation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(PlanScrollBars, RangePageAndPositionInThousandths) {
    ORQ::SRectMeasure data(0, 10, 10, 0, ORQ::UNIT_M);
    ORQ::SRectMeasure view(2, 8, 6, 4, ORQ::UNIT_M);
    SPlanScrollInfo h = CPlanScroll::Compute(CPlanScroll::BAR_HORZ, data, view);
    EXPECT_EQ(h.max, 10000);
    EXPECT_EQ(h.page, 4000);
    EXPECT_EQ(h.pos, 2000);
    SPlanScrollInfo v = CPlanScroll::Compute(CPlanScroll::BAR_VERT, data, view);
    EXPECT_EQ(v.max, 10000);
    EXPECT_EQ(v.page, 4000);
    EXPECT_EQ(v.pos, 2000); // counted down from the top
    // Everything shown: one page over the whole range.
    ORQ::SRectMeasure wide(-5, 20, 15, -10, ORQ::UNIT_M);
    h = CPlanScroll::Compute(CPlanScroll::BAR_HORZ, data, wide);
    EXPECT_EQ(h.page, h.max);
    EXPECT_EQ(h.pos, 0);
    // Lines on one X value: the horizontal bar still gets a range.
    ORQ::SRectMeasure flat(5, 10, 5, 0, ORQ::UNIT_M);
    h = CPlanScroll::Compute(CPlanScroll::BAR_HORZ, flat, view);
    EXPECT_EQ(h.max, 1000);
    EXPECT_EQ(h.page, 1000);
    // Far away from the lines the position stays within the bar's range.
    ORQ::SRectMeasure utm(500000, 6000010, 500010, 6000000, ORQ::UNIT_M);
    ORQ::SRectMeasure far(0, 6000010, 5, 6000000, ORQ::UNIT_M);
    ORQ::SRectMeasure beyond(4000000, 6000010, 4000005, 6000000, ORQ::UNIT_M);
    EXPECT_EQ(CPlanScroll::Compute(CPlanScroll::BAR_HORZ, utm, far).pos, 0);
    EXPECT_EQ(CPlanScroll::Compute(CPlanScroll::BAR_HORZ, utm, beyond).pos, INT_MAX);
}

TEST(PlanScrollBars, RequestsMoveTheShownRectangle) {
    ORQ::SRectMeasure data(0, 10, 10, 0, ORQ::UNIT_M);
    ORQ::SRectMeasure view(2, 8, 6, 4, ORQ::UNIT_M);
    SPlanScrollInfo v = CPlanScroll::Compute(CPlanScroll::BAR_VERT, data, view);
    ASSERT_TRUE(CPlanScroll::Scroll(CPlanScroll::BAR_VERT, CPlanScroll::SB_TOP, v, data, view));
    EXPECT_DOUBLE_EQ(view.top, 10);
    EXPECT_DOUBLE_EQ(view.bottom, 6);
    EXPECT_EQ(v.pos, 0);
    ASSERT_TRUE(CPlanScroll::Scroll(CPlanScroll::BAR_VERT, CPlanScroll::SB_BOTTOM, v, data, view));
    EXPECT_DOUBLE_EQ(view.bottom, 0);
    EXPECT_DOUBLE_EQ(view.top, 4);
    EXPECT_EQ(v.pos, v.max);
    ASSERT_TRUE(CPlanScroll::Scroll(CPlanScroll::BAR_VERT, CPlanScroll::SB_LINEUP, v, data, view));
    EXPECT_NEAR(view.top, 4.4, 1e-12); // a tenth of the view's height
    EXPECT_NEAR(view.bottom, 0.4, 1e-12);
    // The thumb further down the bar shows lower y, a page below the new top.
    v.trackPos = v.pos + 1000;
    ASSERT_TRUE(
        CPlanScroll::Scroll(CPlanScroll::BAR_VERT, CPlanScroll::SB_THUMBTRACK, v, data, view));
    EXPECT_NEAR(view.top, 3.4, 1e-12);
    EXPECT_NEAR(view.bottom, -0.6, 1e-12);
    EXPECT_EQ(v.pos, v.trackPos);

    SPlanScrollInfo h = CPlanScroll::Compute(CPlanScroll::BAR_HORZ, data, view);
    ASSERT_TRUE(
        CPlanScroll::Scroll(CPlanScroll::BAR_HORZ, CPlanScroll::SB_PAGEDOWN, h, data, view));
    EXPECT_DOUBLE_EQ(view.left, 6);
    h.trackPos = h.pos;
    EXPECT_FALSE(
        CPlanScroll::Scroll(CPlanScroll::BAR_HORZ, CPlanScroll::SB_THUMBTRACK, h, data, view));
    h.trackPos = h.pos - 1500;
    ASSERT_TRUE(
        CPlanScroll::Scroll(CPlanScroll::BAR_HORZ, CPlanScroll::SB_THUMBTRACK, h, data, view));
    EXPECT_DOUBLE_EQ(view.left, 4.5);
    EXPECT_DOUBLE_EQ(view.right, 8.5);
    EXPECT_FALSE(
        CPlanScroll::Scroll(CPlanScroll::BAR_HORZ, CPlanScroll::SB_ENDSCROLL, h, data, view));
}

TEST(PlanScrollBars, NoExtentMeansNoScrolling) {
    // The rectangle a failed extent leaves behind.
    ORQ::SRectMeasure none(2147483647.0, -2147483648.0, -2147483648.0, 2147483647.0);
    ORQ::SRectMeasure view(2, 8, 6, 4, ORQ::UNIT_M);
    SPlanScrollInfo info;
    for (int code : {CPlanScroll::SB_TOP, CPlanScroll::SB_BOTTOM, CPlanScroll::SB_LINEDOWN}) {
        EXPECT_FALSE(CPlanScroll::Scroll(CPlanScroll::BAR_VERT, code, info, none, view));
        EXPECT_FALSE(CPlanScroll::Scroll(CPlanScroll::BAR_HORZ, code, info, none, view));
    }
    EXPECT_DOUBLE_EQ(view.left, 2);
    EXPECT_DOUBLE_EQ(view.top, 8);
}

TEST(CompassRotationLayout, QuarterTurnsAndAnglesBeyondOneTurn) {
    SRotatedLayout r = RotatedLayout(40, 20, 90);
    EXPECT_EQ(r.width, 20);
    EXPECT_EQ(r.height, 40);
    EXPECT_EQ(r.upperLeft, PlanRect::Pt(20, 0)); // to the top-right corner
    EXPECT_EQ(r.upperRight, PlanRect::Pt(20, 40));
    EXPECT_EQ(r.lowerLeft, PlanRect::Pt(0, 0));
    SRotatedLayout none = RotatedLayout(40, 20, 0);
    EXPECT_EQ(none.width, 40);
    EXPECT_EQ(none.height, 20);
    EXPECT_EQ(none.upperLeft, PlanRect::Pt(0, 0));
    // Whole turns, either way, change nothing.
    for (double d : {360.0, 720.0, -360.0, -1e9 * 360.0}) {
        SRotatedLayout same = RotatedLayout(40, 20, d);
        EXPECT_EQ(same.width, 40) << d;
        EXPECT_EQ(same.upperLeft, PlanRect::Pt(0, 0)) << d;
    }
    SRotatedLayout back = RotatedLayout(40, 20, -90);
    SRotatedLayout three = RotatedLayout(40, 20, 270);
    EXPECT_EQ(back.upperLeft, three.upperLeft);
    EXPECT_EQ(back.width, 20);
    SRotatedLayout diag = RotatedLayout(10, 10, 405); // 45 degrees
    EXPECT_EQ(diag.width, 15);
    EXPECT_EQ(RotatedLayout(10, 10, NAN).width, 10);
}
