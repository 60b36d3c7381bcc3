#include "KVD_Edit/planview/ZoomAndPan.h"
#include "RecordingDC.h"

#include <gtest/gtest.h>

using namespace plantest;

namespace {

void ExpectRect(const ORQ::SRectMeasure &r, double l, double t, double rt, double b) {
    EXPECT_NEAR(r.left, l, 1e-9);
    EXPECT_NEAR(r.top, t, 1e-9);
    EXPECT_NEAR(r.right, rt, 1e-9);
    EXPECT_NEAR(r.bottom, b, 1e-9);
}

} // namespace

TEST(ZoomAndPanZoom, InAndOutScaleAboutTheCentre) {
    CZoomAndPan z;
    ORQ::SRectMeasure in = z.ZoomIn(ORQ::SRectMeasure(0, 10, 10, 0, ORQ::UNIT_FT));
    ExpectRect(in, 1, 9, 9, 1);
    EXPECT_EQ(in.unit, ORQ::UNIT_FT);
    ExpectRect(z.ZoomOut(in), 0, 10, 10, 0);
}

TEST(ZoomAndPanZoom, DraggedRectangleBecomesTheExtent) {
    CZoomAndPan z;
    z.SetExtent(ORQ::SRectMeasure(0, 50, 100, 0, ORQ::UNIT_M), R(0, 0, 400, 200));
    z.ToggleZoomArea();
    z.OnLButtonDown(P(0, 0));
    EXPECT_TRUE(z.IsFocusShown());
    z.OnMouseMove(P(100, 150));
    EXPECT_TRUE(PlanRect::Equal(z.GetFocus(), R(0, 0, 100, 150)));
    EXPECT_TRUE(z.OnLButtonUp(P(200, 200)));
    // Left half of the plot area: old left edge to old centre, full height.
    ExpectRect(z.GetExtent(), 0, 50, 50, 0);
    EXPECT_EQ(z.GetMode(), CZoomAndPan::MODE_NONE);
    EXPECT_FALSE(z.IsFocusShown());
}

TEST(ZoomAndPanZoom, RectangleReleasedAtItsPressPointIsIgnored) {
    CZoomAndPan z;
    z.SetExtent(ORQ::SRectMeasure(0, 50, 100, 0, ORQ::UNIT_M), R(0, 0, 400, 200));
    z.ToggleZoomArea();
    z.OnLButtonDown(P(50, 50));
    EXPECT_FALSE(z.OnLButtonUp(P(50, 50)));
    ExpectRect(z.GetExtent(), 0, 50, 100, 0);
    z.ToggleZoomArea();
    z.OnLButtonDown(P(50, 50));
    EXPECT_FALSE(z.OnLButtonUp(P(50, 120))); // along a line
    ExpectRect(z.GetExtent(), 0, 50, 100, 0);
}

TEST(ZoomAndPanPan, DragMovesTheExtentWithTheMouse) {
    CZoomAndPan z;
    z.SetExtent(ORQ::SRectMeasure(0, 50, 50, 0, ORQ::UNIT_M), R(0, 0, 500, 500));
    z.TogglePan();
    EXPECT_TRUE(z.IsPanMode());
    z.OnLButtonDown(P(100, 100));
    EXPECT_EQ(z.GetMode(), CZoomAndPan::MODE_PANNING);
    EXPECT_FALSE(z.IsPanMode());
    EXPECT_EQ(z.GetCursor(), CZoomAndPan::CURSOR_PANNING);
    EXPECT_TRUE(z.OnLButtonUp(P(150, 100)));
    ExpectRect(z.GetExtent(), -5, 50, 45, 0);
    EXPECT_EQ(z.GetMode(), CZoomAndPan::MODE_PAN);
    // Dragging down shows what lies further up (y grows upwards).
    z.OnLButtonDown(P(100, 100));
    z.OnLButtonUp(P(100, 200));
    ExpectRect(z.GetExtent(), -5, 60, 45, 10);
}

TEST(ZoomAndPanModes, CommandsSwitchModesAndCursors) {
    CZoomAndPan z;
    EXPECT_NE(z.ToggleZoomArea(), 0);
    EXPECT_TRUE(z.IsZoomAreaMode());
    EXPECT_EQ(z.GetCursor(), CZoomAndPan::CURSOR_ZOOM);
    z.ToggleZoomArea();
    EXPECT_FALSE(z.IsActive());
    EXPECT_EQ(z.GetCursor(), CZoomAndPan::CURSOR_ARROW);
    z.TogglePan();
    EXPECT_EQ(z.GetCursor(), CZoomAndPan::CURSOR_PAN);
    z.ToggleZoomArea(); // straight from pan to rectangle zoom
    EXPECT_TRUE(z.IsZoomAreaMode());
    z.TogglePan();
    z.TogglePan();
    EXPECT_EQ(z.GetMode(), CZoomAndPan::MODE_NONE);
    z.TogglePan();
    z.ZoomIn(ORQ::SRectMeasure(0, 1, 1, 0));
    EXPECT_EQ(z.GetMode(), CZoomAndPan::MODE_NONE);
    z.ToggleZoomArea();
    z.Reset();
    EXPECT_FALSE(z.IsActive());
    // A button going up without a mode changes nothing.
    EXPECT_FALSE(z.OnLButtonUp(P(1, 1)));
}
