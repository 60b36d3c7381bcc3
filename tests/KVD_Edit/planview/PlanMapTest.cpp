#include "KVD_Edit/planview/PlanMap.h"
#include "KVD_Edit/planview/Clip.h"
#include "RecordingDC.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using namespace plantest;

TEST(PlanMapping, IsotropicModeSharesTheSmallerScaleAndFlipsY) {
    CMapping m;
    m.SetMapMode(CMapping::MM_ISOTROPIC);
    m.SetWindowExt(101, -101);
    m.SetViewportExt(200, 100);
    EXPECT_EQ(m.GetViewportExt(), CSize(100, 100));
    POINT up = m.LPtoDP(P(0, 50));
    EXPECT_LT(up.y, 0); // logical y up is device y down
    POINT back = m.DPtoLP(m.LPtoDP(P(37, -21)));
    EXPECT_EQ(back.x, 37);
    EXPECT_EQ(back.y, -21);
    // Sizes keep their sign and scale by the absolute ratio.
    EXPECT_EQ(m.LPtoDP(CSize(101, -101)), CSize(100, -100));
}

TEST(PlanMapping, HimetricFollowsThePixelsPerInch) {
    CMapping screen(96, 96);
    EXPECT_EQ(screen.HIMETRICtoLP(CSize(2540, 200)), CSize(96, 8));
    CMapping printer(600, 600);
    EXPECT_EQ(printer.HIMETRICtoLP(CSize(200, 200)), CSize(47, 47));
}

TEST(PlanMapPlacement, FitsTheRequestedRectangleWithOneScale) {
    CRecordingDC dc(200, 100);
    CPlanMap map;
    ORQ::SRectMeasure req(0, 10, 10, 0, ORQ::UNIT_M);
    map.SetRequestedDimensions(req, nullptr, 0);
    RECT target = R(0, 0, 200, 100);
    ORQ::SMeasure s = map.DCSetup(&dc, target);
    EXPECT_DOUBLE_EQ(s.value, 10.0);
    EXPECT_EQ(s.unit, ORQ::UNIT_M);
    // Anchor 0: the map's top-left corner on the target's top-left corner, right half spare.
    EXPECT_EQ(dc.LPtoDP(P(0, 100)), P(0, 0));
    POINT br = dc.LPtoDP(P(100, 0));
    EXPECT_NEAR(br.x, 99, 1);
    EXPECT_NEAR(br.y, 99, 1);
    // The target comes back in logical units, y up.
    EXPECT_EQ(target.left, 0);
    EXPECT_GT(target.top, target.bottom);
    EXPECT_NEAR(target.right, 202, 1);
}

TEST(PlanMapPlacement, CentreAnchorSplitsTheSpareRoom) {
    CRecordingDC dc(200, 100);
    CPlanMap map;
    ORQ::SRectMeasure req(0, 10, 10, 0, ORQ::UNIT_M);
    map.SetRequestedDimensions(req, nullptr, 30);
    RECT target = R(0, 0, 200, 100);
    map.DCSetup(&dc, target);
    POINT tl = dc.LPtoDP(P(0, 100));
    POINT br = dc.LPtoDP(P(100, 0));
    EXPECT_NEAR(tl.x, 50, 1);
    EXPECT_NEAR(200 - br.x, 50, 2);
    EXPECT_NEAR(tl.y, 0, 1);
}

TEST(PlanMapPlacement, EmptyTargetLeavesTheContextAlone) {
    CRecordingDC dc;
    CPlanMap map;
    RECT target = R(10, 10, 10, 50);
    ORQ::SMeasure s = map.DCSetup(&dc, target);
    EXPECT_DOUBLE_EQ(s.value, -1.0);
    EXPECT_EQ(dc.Mapping().GetMapMode(), CMapping::MM_TEXT);
}

TEST(PlanMapPlacement, MirroredRequestScalesByAbsoluteSizes) {
    CRecordingDC dc;
    CPlanMap map;
    ORQ::SRectMeasure req(10, 0, 0, 10, ORQ::UNIT_M);
    map.SetRequestedDimensions(req, nullptr, 0);
    RECT target = R(0, 0, 100, 100);
    ORQ::SMeasure s = map.DCSetup(&dc, target);
    EXPECT_DOUBLE_EQ(s.value, 10.0);
}

TEST(PlanMapPlacement, UnitConversionReachesTheCaller) {
    CPlanMap map;
    ORQ::SRectMeasure feet(0, 10, 10, 0, ORQ::UNIT_FT);
    ORQ::EUnitType metre = ORQ::UNIT_M;
    map.SetRequestedDimensions(feet, &metre, 0);
    EXPECT_EQ(feet.unit, ORQ::UNIT_M);
    EXPECT_NEAR(feet.top, 3.048, 1e-12);
    EXPECT_NEAR(map.GetRequestedDimensions().right, 3.048, 1e-12);
}

TEST(PlanMapPlacement, RectangleWithoutWidthOrHeightGetsAMinimumSize) {
    CPlanMap map;
    // One line along X: no height. One point: neither width nor height.
    ORQ::SRectMeasure line(0, 5, 10, 5, ORQ::UNIT_M);
    map.SetRequestedDimensions(line, nullptr, 0);
    EXPECT_GT(line.top, line.bottom);
    EXPECT_DOUBLE_EQ((line.top + line.bottom) / 2, 5.0);
    ORQ::SRectMeasure point(3, 4, 3, 4, ORQ::UNIT_M);
    map.SetRequestedDimensions(point, nullptr, 0);
    EXPECT_GT(point.right, point.left);
    EXPECT_GT(point.top, point.bottom);
    CRecordingDC dc;
    RECT target = R(0, 0, 100, 100);
    ORQ::SMeasure s = map.DCSetup(&dc, target);
    EXPECT_TRUE(std::isfinite(s.value));
    EXPECT_GT(s.value, 0);
    EXPECT_DOUBLE_EQ(MapRectToMeasure(R(0, 100, 50, 0), ORQ::SMeasure(10, ORQ::UNIT_FT)).right,
                     5.0);
}

TEST(PlanMapPlacement, FlatExtentIsCentredWithTheShownSize) {
    CPlanMap map;
    ORQ::SRectMeasure data(0, 5, 10, 5, ORQ::UNIT_M); // three lines on Y = 5
    ORQ::SRectMeasure req = data;
    map.SetRequestedDimensions(req, nullptr, 0);
    CRecordingDC dc;
    RECT target = R(0, 0, 400, 300);
    ORQ::SMeasure s = map.DCSetup(&dc, target);
    ORQ::SRectMeasure visible = MapRectToMeasure(target, s);
    ASSERT_TRUE(RecentreFlatExtent(req, data, visible));
    EXPECT_DOUBLE_EQ((req.top + req.bottom) / 2, 5);
    EXPECT_NEAR(req.top - req.bottom, 7.5, 0.1);
    EXPECT_DOUBLE_EQ(req.left, 0);
    map.SetRequestedDimensions(req, nullptr, 0);
    // Laid out again, the rectangle is stable.
    EXPECT_FALSE(RecentreFlatExtent(req, data, visible));
    // One line on X = 3: centred across.
    ORQ::SRectMeasure column(3, 10, 3, 0, ORQ::UNIT_M);
    ORQ::SRectMeasure colReq = column;
    map.SetRequestedDimensions(colReq, nullptr, 0);
    ASSERT_TRUE(RecentreFlatExtent(colReq, column, visible));
    EXPECT_DOUBLE_EQ((colReq.left + colReq.right) / 2, 3);
    EXPECT_GT(colReq.right - colReq.left, 1);
}

TEST(PlanClip, SegmentsAreCutToTheDrawableArea) {
    SDRect box{0, 0, 100, 100};
    SDPoint a{-1e12, 50};
    SDPoint b{1e12, 50};
    ASSERT_TRUE(ClipSegment(a, b, box));
    EXPECT_DOUBLE_EQ(a.x, 0);
    EXPECT_DOUBLE_EQ(b.x, 100);
    SDPoint c{-50, -50};
    SDPoint d{-10, 200};
    EXPECT_FALSE(ClipSegment(c, d, box));
    SDPoint e{10, 10};
    SDPoint f{20, 30};
    ASSERT_TRUE(ClipSegment(e, f, box));
    EXPECT_DOUBLE_EQ(f.y, 30);
    SDPoint n{NAN, 0};
    SDPoint o{5, 5};
    EXPECT_FALSE(ClipSegment(n, o, box));
}

TEST(PlanDrawing, FarAwayLinesAreClippedAndNullPensDrawNothing) {
    CRecordingDC dc(100, 100);
    POINT pts[3] = {P(-2000000000, 50), P(2000000000, 50), P(50, 2000000000)};
    dc.Polyline(pts, 3);
    ASSERT_EQ(dc.strokes.size(), 1u);
    for (const SDPoint &p : dc.strokes[0].points)
        EXPECT_TRUE(PointInBox(p, dc.DeviceBounds())) << p.x << "," << p.y;
    dc.Clear();
    SPlanPen none;
    none.style = PS_NULL;
    dc.SelectPen(none);
    dc.Polyline(pts, 3);
    EXPECT_TRUE(dc.strokes.empty());
}

TEST(PlanDrawing, TextAlignmentIsEmulatedFromExtentAndDescent) {
    CRecordingDC dc;
    dc.SetTextAlign(TA_CENTER | TA_BASELINE);
    dc.TextOut(100, 100, "abcde"); // 40 x 16, descent 4
    ASSERT_EQ(dc.texts.size(), 1u);
    EXPECT_DOUBLE_EQ(dc.texts[0].x, 80);
    EXPECT_DOUBLE_EQ(dc.texts[0].y, 88);
    dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    dc.TextOut(100, 100, "ab");
    EXPECT_DOUBLE_EQ(dc.texts[1].x, 84);
    EXPECT_DOUBLE_EQ(dc.texts[1].y, 84);
    // Upright text in a y-up mapping: TA_TOP still hangs the text below the point on screen.
    dc.Mapping().SetMapMode(CMapping::MM_ISOTROPIC);
    dc.Mapping().SetWindowExt(100, -100);
    dc.Mapping().SetViewportExt(100, 100);
    dc.Mapping().SetViewportOrg(0, 100);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.TextOut(10, 90, "x");
    EXPECT_DOUBLE_EQ(dc.texts[2].y, 10);
    EXPECT_EQ(dc.GetTextExtent("abc"), CSize(24, 16));
}

TEST(PlanMapPlacement, SmallExtentFarFromTheOriginSaturatesInsteadOfOverflowing) {
    // 2 m of a grid 5,000 km from its origin in 1000 pixels: 500 logical units per metre put
    // the edges beyond the int range.
    CRecordingDC dc(1000, 1000);
    CPlanMap map;
    ORQ::SRectMeasure req(0, 5e6 + 2, 2, 5e6, ORQ::UNIT_M);
    map.SetRequestedDimensions(req, nullptr, 0);
    RECT target = R(0, 0, 1000, 1000);
    EXPECT_DOUBLE_EQ(map.DCSetup(&dc, target).value, 500.0);
    EXPECT_EQ(ORQ::RoundToDevice(2.5e9), INT32_MAX);
    EXPECT_EQ(ORQ::RoundToDevice(-2.5e9), INT32_MIN);
    EXPECT_EQ(ORQ::RoundToDevice(std::nan("")), 0);
    EXPECT_EQ(ORQ::RoundToDevice(-2.5), -2);
}
