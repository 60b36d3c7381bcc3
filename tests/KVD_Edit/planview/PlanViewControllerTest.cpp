#include "KVD_Edit/planview/PlanViewController.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "tests/KVD_Edit/planview/RecordingDC.h"
#include "tests/support/PlanProject.h"
#include "tests/support/ProjectFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

using namespace kvdtest;
using plantest::CRecordingDC;
using plantest::P;
using plantest::R;

namespace {

// The selection list as the plan view sees it, recording what the view does to it.
class FakeSelection : public IPlanSelection {
public:
    bool IsSelected(int set, int line) const override {
        return std::find(entries.begin(), entries.end(), std::make_pair(set, line)) !=
               entries.end();
    }
    SPlanPen GetFocusPen() const override { return pen; }
    void SetFocusPen(COLORREF colour, const int *style, const int *width) override {
        pen.colour = colour;
        if (style)
            pen.style = *style;
        if (width)
            pen.width = *width;
    }
    void ClearSelection() override {
        entries.clear();
        ++clears;
    }
    void AddToSelection(int set, int line) override { entries.emplace_back(set, line); }

    std::vector<std::pair<int, int>> entries;
    SPlanPen pen;
    int clears = 0;
};

// A project opened with its query interface, and a view state over it.
struct Plan {
    explicit Plan(const std::vector<PlanLineSpec> &lines, const std::string &units = "m")
        : project(PlanProjectText(lines, units)) {
        iface.reset(static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(project.File(), 0, nullptr)));
        SLogFont record;
        record.lfHeight = -12;
        font.CreateFromLogFont(&record);
        doc.query = iface.get();
        doc.selection = &selection;
        doc.font = &font;
    }
    CaptureSink sink;
    ProjectFixture project;
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> iface;
    FakeSelection selection;
    CPrgFont font;
    SPlanViewDoc doc;
};

const RECT kClient = R(0, 0, 800, 500);

// The device y of every horizontal stroke of two points in a colour, and the x of every
// vertical one.
struct Strokes {
    std::vector<double> horizontalY, verticalX;
    std::vector<double> horizontalLeft, horizontalRight;
};
Strokes LinesIn(const CRecordingDC &dc, COLORREF colour) {
    Strokes s;
    for (const auto &st : dc.strokes) {
        if (st.pen.colour != colour || st.points.size() != 2)
            continue;
        const SDPoint &a = st.points[0];
        const SDPoint &b = st.points[1];
        if (std::fabs(a.y - b.y) < 0.5 && std::fabs(a.x - b.x) > 20) {
            s.horizontalY.push_back(a.y);
            s.horizontalLeft.push_back(std::min(a.x, b.x));
            s.horizontalRight.push_back(std::max(a.x, b.x));
        } else if (std::fabs(a.x - b.x) < 0.5 && std::fabs(a.y - b.y) > 20) {
            s.verticalX.push_back(a.x);
        }
    }
    return s;
}

POINT ToDevice(const CPlanViewController &c, double x, double y) {
    return plantest::LocalToDevice(c, x, y);
}

} // namespace

TEST(PlanViewController, DrawsTheLinesToScaleWithYUpAndScaleBars) {
    Plan plan(PlanGridLines());
    CPlanViewController view;
    CRecordingDC dc(800, 500);
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));

    // The first layout shows every line: the extent reaches a trace beyond each line's end.
    ORQ::SRectMeasure req = view.GetRequested();
    EXPECT_EQ(ORQ::UNIT_M, req.unit);
    EXPECT_NEAR(0, req.left, 1e-9);
    EXPECT_NEAR(20.2, req.right, 1e-9);
    EXPECT_NEAR(10.1, req.top, 1e-9);
    EXPECT_NEAR(0, req.bottom, 1e-9);

    // Unselected lines in the InActive style of the local layer (black).
    Strokes s = LinesIn(dc, RGB(0, 0, 0));
    ASSERT_EQ(3u, s.horizontalY.size());
    ASSERT_EQ(3u, s.verticalX.size());
    // Y = 10 above Y = 5 above Y = 0 on screen; X grows to the right.
    EXPECT_LT(s.horizontalY[2], s.horizontalY[1]);
    EXPECT_LT(s.horizontalY[1], s.horizontalY[0]);
    EXPECT_LT(s.verticalX[0], s.verticalX[1]);
    // One scale for both axes: 10 m up is 10/8 of the 8 m between Y lines.
    const double perMetreX = (s.verticalX[2] - s.verticalX[0]) / 16.0;
    const double perMetreY = (s.horizontalY[0] - s.horizontalY[2]) / 10.0;
    EXPECT_NEAR(perMetreX, perMetreY, 0.15);
    EXPECT_NEAR(s.horizontalY[0] - s.horizontalY[1], s.horizontalY[1] - s.horizontalY[2], 1.0);
    // The map lies inside the window, right of and below the scale bars.
    const RECT &d = view.GetDevicePlot();
    EXPECT_GT(d.left, 0);
    EXPECT_GT(d.top, 0);
    EXPECT_LE(d.right, 801);
    EXPECT_LE(d.bottom, 501);

    // Scale bar labels in the scales' grey, with the unit title.
    std::vector<std::string> labels;
    for (const auto &t : dc.texts)
        if (t.colour == RGB(170, 170, 170))
            labels.push_back(t.text);
    EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), "0"));
    EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), "10"));
    EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), " m "));
}

TEST(PlanViewController, SelectedLinesUseTheActiveStyleAsSelectionPen) {
    Plan plan(PlanGridLines());
    plan.selection.entries = {{0, 4}};
    SLineDisplayTable table;
    table.Entry[0].LineColour = RGB(0, 200, 0);
    table.Entry[0].LineWidth = 3;
    table.Entry[1].LineColour = RGB(0, 0, 255);
    plan.doc.lineDisplay = &table;

    CPlanViewController view;
    CRecordingDC dc(800, 500);
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));
    EXPECT_EQ(RGB(0, 200, 0), plan.selection.pen.colour);
    EXPECT_EQ(3, plan.selection.pen.width);
    Strokes selected = LinesIn(dc, RGB(0, 200, 0));
    ASSERT_EQ(1u, selected.verticalX.size());
    EXPECT_TRUE(selected.horizontalY.empty());
    Strokes others = LinesIn(dc, RGB(0, 0, 255));
    EXPECT_EQ(3u, others.horizontalY.size());
    ASSERT_EQ(2u, others.verticalX.size());
    // Y10 is the selected one: between the two others.
    EXPECT_GT(selected.verticalX[0], others.verticalX[0]);
    EXPECT_LT(selected.verticalX[0], others.verticalX[1]);

    // A hidden local layer draws no lines at all.
    table.LayerShown[LINE_KIND_LOCAL_XY] = false;
    CRecordingDC hidden(800, 500);
    ASSERT_EQ(1, view.Paint(&hidden, kClient, plan.doc));
    EXPECT_TRUE(LinesIn(hidden, RGB(0, 0, 255)).horizontalY.empty());
}

TEST(PlanViewController, ZoomInOutAndFitChangeTheRequestedRectangle) {
    Plan plan(PlanGridLines());
    CPlanViewController view;
    CRecordingDC dc(800, 500);
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));
    const ORQ::SRectMeasure fit = view.GetRequested();
    const Strokes before = LinesIn(dc, RGB(0, 0, 0));

    ASSERT_TRUE(view.ZoomIn(plan.doc));
    ORQ::SRectMeasure in = view.GetRequested();
    EXPECT_NEAR(fit.left + 0.1 * (fit.right - fit.left), in.left, 1e-9);
    EXPECT_NEAR(fit.top - 0.1 * (fit.top - fit.bottom), in.top, 1e-9);
    CRecordingDC zoomed(800, 500);
    ASSERT_EQ(1, view.Paint(&zoomed, kClient, plan.doc));
    const Strokes after = LinesIn(zoomed, RGB(0, 0, 0));
    ASSERT_EQ(3u, after.horizontalY.size());
    EXPECT_NEAR(1.25,
                (after.horizontalY[0] - after.horizontalY[2]) /
                    (before.horizontalY[0] - before.horizontalY[2]),
                0.02);

    ASSERT_TRUE(view.ZoomOut(plan.doc));
    ORQ::SRectMeasure out = view.GetRequested();
    EXPECT_NEAR(fit.left, out.left, 1e-9);
    EXPECT_NEAR(fit.right, out.right, 1e-9);
    EXPECT_NEAR(fit.top, out.top, 1e-9);
    EXPECT_NEAR(fit.bottom, out.bottom, 1e-9);

    view.ZoomIn(plan.doc);
    view.ZoomIn(plan.doc);
    view.TogglePan();
    ASSERT_TRUE(view.ZoomToFit(plan.doc));
    EXPECT_EQ(0, view.ZoomAndPan().GetMode());
    EXPECT_NEAR(fit.right, view.GetRequested().right, 1e-9);
    EXPECT_NEAR(fit.top, view.GetRequested().top, 1e-9);

    // Feet as display unit: the same rectangle in feet.
    plan.doc.unit = ORQ::UNIT_FT;
    view.ZoomToFit(plan.doc);
    EXPECT_EQ(ORQ::UNIT_FT, view.GetRequested().unit);
    EXPECT_NEAR(20.2 / 0.3048, view.GetRequested().right, 1e-6);
}

TEST(PlanViewController, ClicksAndRubberBandsSelectTheLinesTheyTouch) {
    Plan plan(PlanGridLines());
    CPlanViewController view;
    CRecordingDC dc(800, 500);
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));

    // A click on Y10 (x = 10, y = 7) selects just that line.
    plan.selection.entries = {{0, 0}, {0, 1}};
    POINT onY10 = ToDevice(view, 10, 7);
    EXPECT_EQ(CPlanViewController::CURSOR_HAND, view.OnMouseMove(onY10, false));
    view.OnLButtonDown(onY10);
    EXPECT_TRUE(view.IsRubberBandActive());
    EXPECT_FALSE(view.OnLButtonUp(onY10, false, plan.doc));
    EXPECT_FALSE(view.IsRubberBandActive());
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 4}}), plan.selection.entries);

    // With Ctrl the click adds.
    POINT onX05 = ToDevice(view, 6, 5);
    view.OnLButtonDown(onX05);
    view.OnLButtonUp(onX05, true, plan.doc);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 4}, {0, 1}}), plan.selection.entries);

    // A click outside every line's rectangle keeps the selection.
    POINT outside = ToDevice(view, 6, 2.5);
    EXPECT_EQ(CZoomAndPan::CURSOR_ARROW, view.OnMouseMove(outside, false));
    const int clears = plan.selection.clears;
    view.OnLButtonDown(outside);
    view.OnLButtonUp(outside, false, plan.doc);
    EXPECT_EQ(2u, plan.selection.entries.size());
    EXPECT_EQ(clears, plan.selection.clears);

    // A band across the lower right touches X00, X05 and Y18, selected in line order.
    POINT from = ToDevice(view, 16, 6);
    POINT to = ToDevice(view, 19, -0.5);
    view.OnLButtonDown(from);
    view.OnMouseMove(to, true);
    EXPECT_EQ(PlanRect::Normalized(R(from.x, from.y, to.x, to.y)).left, view.GetRubberBand().left);
    view.OnLButtonUp(to, false, plan.doc);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 5}}), plan.selection.entries);

    // A band released outside the window (a move without buttons) selects nothing.
    view.OnLButtonDown(from);
    view.OnMouseMove(to, false);
    EXPECT_FALSE(view.IsRubberBandActive());
    view.OnLButtonUp(to, false, plan.doc);
    EXPECT_EQ(3u, plan.selection.entries.size());
}

TEST(PlanViewController, RectangleZoomAndPanMoveTheMapButAZeroSizedZoomIsIgnored) {
    Plan plan(PlanGridLines());
    CPlanViewController view;
    CRecordingDC dc(800, 500);
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));
    const ORQ::SRectMeasure before = view.GetRequested();

    // Released at its press point: nothing to zoom to.
    view.ToggleZoomArea();
    POINT p = ToDevice(view, 5, 5);
    view.OnLButtonDown(p);
    EXPECT_FALSE(view.OnLButtonUp(p, false, plan.doc));
    EXPECT_EQ(0, view.ZoomAndPan().GetMode());
    EXPECT_DOUBLE_EQ(before.left, view.GetRequested().left);
    EXPECT_DOUBLE_EQ(before.top, view.GetRequested().top);
    EXPECT_TRUE(plan.selection.entries.empty());

    // A real rectangle becomes the requested one.
    view.ToggleZoomArea();
    view.OnLButtonDown(ToDevice(view, 2, 8));
    view.OnMouseMove(ToDevice(view, 12, 3), true);
    ASSERT_TRUE(view.OnLButtonUp(ToDevice(view, 12, 3), false, plan.doc));
    ORQ::SRectMeasure z = view.GetRequested();
    EXPECT_NEAR(2, z.left, 0.1);
    EXPECT_NEAR(12, z.right, 0.1);
    EXPECT_NEAR(8, z.top, 0.1);
    EXPECT_NEAR(3, z.bottom, 0.1);

    // Pan: dragging to the right moves the map's extent to the left.
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));
    const ORQ::SRectMeasure shown = view.ZoomAndPan().GetExtent();
    view.TogglePan();
    POINT a = ToDevice(view, 5, 5);
    view.OnLButtonDown(a);
    ASSERT_TRUE(view.OnLButtonUp(P(a.x + 100, a.y), false, plan.doc));
    EXPECT_EQ(CZoomAndPan::MODE_PAN, view.ZoomAndPan().GetMode());
    const double perPixel =
        (shown.right - shown.left) / (view.GetDevicePlot().right - view.GetDevicePlot().left);
    EXPECT_NEAR(shown.left - 100 * perPixel, view.GetRequested().left, 0.05);
}

TEST(PlanViewController, ScrollBarsFollowTheRequestedRectangleAndNeedAnExtent) {
    Plan plan(PlanGridLines());
    CPlanViewController view;
    CRecordingDC dc(800, 500);
    SPlanScrollInfo info;
    EXPECT_FALSE(view.GetScrollInfo(CPlanScroll::BAR_VERT, info));
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));
    view.ZoomIn(plan.doc);
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));
    ASSERT_TRUE(view.GetScrollInfo(CPlanScroll::BAR_VERT, info));
    EXPECT_EQ(10100, info.max);
    EXPECT_GT(info.page, 0);
    EXPECT_LT(info.page, info.max);

    // Top shows the top end of the lines, Bottom the bottom end (y up).
    ASSERT_TRUE(view.OnScroll(CPlanScroll::BAR_VERT, CPlanScroll::SB_TOP, info, plan.doc));
    EXPECT_NEAR(10.1, view.GetRequested().top, 1e-9);
    ASSERT_TRUE(view.OnScroll(CPlanScroll::BAR_VERT, CPlanScroll::SB_BOTTOM, info, plan.doc));
    EXPECT_NEAR(0, view.GetRequested().bottom, 1e-9);
    // A thumb message at the current position changes nothing.
    info.trackPos = info.pos;
    EXPECT_FALSE(view.OnScroll(CPlanScroll::BAR_HORZ, CPlanScroll::SB_THUMBTRACK, info, plan.doc));

    // Without lines there is no extent: scrolling leaves the map where it is.
    Plan empty({});
    CPlanViewController none;
    const ORQ::SRectMeasure start = none.GetRequested();
    SPlanScrollInfo bar;
    bar.max = 1000;
    bar.page = 100;
    for (int code : {CPlanScroll::SB_TOP, CPlanScroll::SB_BOTTOM, CPlanScroll::SB_LINEDOWN,
                     CPlanScroll::SB_PAGEUP}) {
        EXPECT_FALSE(none.OnScroll(CPlanScroll::BAR_VERT, code, bar, empty.doc));
        EXPECT_FALSE(none.OnScroll(CPlanScroll::BAR_HORZ, code, bar, empty.doc));
    }
    EXPECT_DOUBLE_EQ(start.top, none.GetRequested().top);
    EXPECT_DOUBLE_EQ(start.left, none.GetRequested().left);
    EXPECT_FALSE(none.ZoomToFit(empty.doc));
    CRecordingDC blank(800, 500);
    EXPECT_EQ(0, none.Paint(&blank, kClient, empty.doc));
    EXPECT_TRUE(blank.strokes.empty());
    EXPECT_TRUE(blank.texts.empty());
}

TEST(PlanViewController, LinesOnOneYValueAreCentredWithThePlotHeight) {
    std::vector<PlanLineSpec> lines(2);
    lines[0].name = "A";
    lines[0].x1 = 20;
    lines[0].y0 = lines[0].y1 = 7;
    lines[1] = lines[0];
    lines[1].name = "B";
    lines[1].x0 = 30;
    lines[1].x1 = 50;
    Plan plan(lines);
    CPlanViewController view;
    CRecordingDC dc(800, 500);
    ASSERT_EQ(1, view.Paint(&dc, kClient, plan.doc));
    ORQ::SRectMeasure r = view.GetRequested();
    EXPECT_NEAR(7, (r.top + r.bottom) / 2, 1e-6);
    ORQ::SRectMeasure shown = MapRectToMeasure(view.GetPlot(), view.GetScale());
    EXPECT_NEAR(shown.top - shown.bottom, r.top - r.bottom, 0.2);
    // The lines run across the middle of the plot area.
    Strokes s = LinesIn(dc, RGB(0, 0, 0));
    ASSERT_EQ(2u, s.horizontalY.size());
    const RECT &d = view.GetDevicePlot();
    EXPECT_NEAR((d.top + d.bottom) / 2.0, s.horizontalY[0], 3);
}

TEST(PlanViewController, KeysBecomeTheFramesCommands) {
    using C = CPlanViewController;
    EXPECT_EQ(KVDCmd::ID_IMPORT_LINES, C::CommandForKey(C::VK_INSERT, false));
    EXPECT_EQ(KVDCmd::ID_IMPORT_LINES, C::CommandForKey(C::VK_INSERT, true));
    EXPECT_EQ(KVDCmd::ID_DELETE_LINES, C::CommandForKey(C::VK_DELETE, false));
    EXPECT_EQ(KVDCmd::ID_DELETE_LINES, C::CommandForKey(C::VK_DELETE, true));
    EXPECT_EQ(KVDCmd::ID_SELECT_ALL_LINES, C::CommandForKey('A', true));
    EXPECT_EQ(KVDCmd::ID_DESELECT_ALL_LINES, C::CommandForKey('D', true));
    EXPECT_EQ(0, CPlanViewController::CommandForKey('A', false));
    EXPECT_EQ(0, CPlanViewController::CommandForKey('D', false));
    EXPECT_EQ(0, CPlanViewController::CommandForKey('B', true));
}
