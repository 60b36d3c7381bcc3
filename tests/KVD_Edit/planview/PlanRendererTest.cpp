#include "KVD_Edit/planview/PlanRenderer.h"

#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "KVD_Edit/planview/Cursor.h"
#include "tests/KVD_Edit/planview/RecordingDC.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

using plantest::CRecordingDC;
using plantest::P;
using plantest::R;

namespace {

// A world that is the local grid itself (UTM in zone 17T with the local origin at easting
// 500000, northing 4800000), a plot area of 500 x 400 pixels showing local 0..100 m by
// 0..80 m (5 pixels a metre), and the drawing context's mapping the identity, so that logical
// units are device pixels (y down, the plot's top edge showing the map's top).
struct RendererFixture : ::testing::Test {
    static constexpr double kEast = 500000;
    static constexpr double kNorth = 4800000;

    SLocalWorldDef def;
    CGPSInfo gps;
    CPlanRenderer renderer;
    CRecordingDC dc{1000, 1000};
    CLinesSource lines;
    const RECT plot = R(0, 0, 500, 400);
    SLineDisplayEntry style;

    void SetUp() override {
        def.EnableGPS = 1;
        def.TwoPointDefinition = false;
        def.FitGrid = false;
        def.GlobalKind = 1;
        def.Zone = def.ZoneA = 17;
        def.ZoneLetter = def.ZoneLetterA = 'T';
        def.ShiftX = kEast;
        def.ShiftY = kNorth;
        def.Rotation = 0;
        gps.SetLWCDefinition(&def);
        style.LineStyle = LINE_STYLE_SOLID;
        style.LineColour = RGB(0, 128, 128);
        style.LineWidth = 2;
        style.MarkerStyle = MARKER_SQUARE;
        style.MarkerColour = RGB(200, 0, 0);
        style.MarkerSize = 7;
    }

    // A project line of the given traces from (x0, y0) to (x1, y1) metres, and its GPS line.
    CGPSInfo::SLineRecord *AddLine(int line, double x0, double y0, double x1, double y1, int traces,
                                   int lineType = 2) {
        SLineSource source;
        source.set = 0;
        source.line = line;
        source.lineType = lineType;
        SLineFileSource file;
        file.traces = traces;
        file.odoStep = 0.5;
        file.positions = {{x0, y0, 0, 0, ORQ::UNIT_M}, {x1, y1, 0, 1, ORQ::UNIT_M}};
        source.files.push_back(file);
        lines.push_back(source);
        return gps.FindLine(0, line, traces);
    }
    // Sets source (1 or 2) of a trace to a local position, as the world has it.
    static void SetFix(CGPSInfo::SLineRecord *l, int trace, int source, double x, double y) {
        CGPSInfo::SPointSource &s = l->points[static_cast<size_t>(trace - 1)].source[source];
        s.easting = kEast + x;
        s.northing = kNorth + y;
        s.kind = CGPSInfo::KIND_FILLED;
        s.zone = 17;
        s.letter = 'T';
    }
    void Prepare(CPlanRenderer &r) {
        r.SetGPSInfo(&gps);
        const ORQ::SRectMeasure data(0, 80, 100, 0, ORQ::UNIT_M);
        r.SetExtents(data, data, &plot, &plot);
        r.UpdateLineGeometry(lines, ORQ::SMeasure(5, ORQ::UNIT_M));
        r.UpdateTransform(r.GetTarget() == CPlanRenderer::TARGET_PAGE);
    }
    void Draw(CPlanRenderer &r, int layer) { r.DrawLayer(&dc, -1, -1, -1, layer, &style, &style); }
};

CGPSInfo::SGPSPoint Trace(int t) {
    CGPSInfo::SGPSPoint p;
    p.trace = t;
    return p;
}

} // namespace

TEST_F(RendererFixture, TracesLieAlongTheirLineAndOneTraceLiesAtTheStart) {
    CGPSInfo::SLineRecord *l = AddLine(0, 0, 0, 100, 0, 101);
    CGPSInfo::SLineRecord *one = AddLine(1, 20, 40, 60, 40, 1);
    Prepare(renderer);
    // The line's local range is what the GPS data read of it.
    EXPECT_DOUBLE_EQ(100, l->xRange.y);
    EXPECT_EQ(0, l->orientation);
    EXPECT_DOUBLE_EQ(0.5, l->step);

    POINT p;
    CGPSInfo::SGPSPoint t51 = Trace(51);
    ASSERT_TRUE(renderer.GetTracePoint(*l, t51, CGPSInfo::SOURCE_LOCAL, p));
    EXPECT_EQ(250, p.x) << "trace 51 of 101 lies at 50 m";
    EXPECT_EQ(400, p.y) << "y = 0 m is the plot's bottom edge";
    CGPSInfo::SGPSPoint t1 = Trace(1);
    ASSERT_TRUE(renderer.GetTracePoint(*one, t1, CGPSInfo::SOURCE_LOCAL, p));
    EXPECT_EQ(100, p.x) << "a one-trace line has its trace at the start, not a division by 0";
    EXPECT_EQ(200, p.y);

    // Layer 0: one marker per trace in the marker colour, nothing joining them.
    Draw(renderer, LINE_KIND_LOCAL_XY);
    EXPECT_EQ(102u, dc.fills.size());
    EXPECT_TRUE(dc.strokes.empty());
    ASSERT_FALSE(dc.fills.empty());
    EXPECT_EQ(RGB(200, 0, 0), dc.fills[0].colour);
    EXPECT_DOUBLE_EQ(-3, dc.fills[0].rect.left);

    // A style that draws no marker does not walk the traces at all.
    dc.Clear();
    style.MarkerStyle = MARKER_NONE;
    Draw(renderer, LINE_KIND_LOCAL_XY);
    EXPECT_TRUE(dc.fills.empty() && dc.polygons.empty() && dc.ellipses.empty());
}

TEST_F(RendererFixture, MarkersOfEveryShapeAroundTheirPoint) {
    // Raw fixes at device (100, 50) and (300, 50): local (20, 70) and (60, 70).
    CGPSInfo::SLineRecord *l = AddLine(0, 0, 70, 100, 70, 2);
    SetFix(l, 1, CGPSInfo::SOURCE_RAW, 20, 70);
    SetFix(l, 2, CGPSInfo::SOURCE_RAW, 60, 70);
    Prepare(renderer);
    style.LineStyle = LINE_STYLE_NONE;

    Draw(renderer, LINE_KIND_RAW_GPS);
    EXPECT_TRUE(dc.strokes.empty()) << "no line with the style 'none'";
    ASSERT_EQ(2u, dc.fills.size());
    EXPECT_DOUBLE_EQ(97, dc.fills[0].rect.left);
    EXPECT_DOUBLE_EQ(47, dc.fills[0].rect.top);
    EXPECT_DOUBLE_EQ(7, dc.fills[0].rect.right - dc.fills[0].rect.left);
    EXPECT_DOUBLE_EQ(7, dc.fills[0].rect.bottom - dc.fills[0].rect.top);
    EXPECT_DOUBLE_EQ(297, dc.fills[1].rect.left);

    dc.Clear();
    style.MarkerStyle = MARKER_CIRCLE;
    Draw(renderer, LINE_KIND_RAW_GPS);
    ASSERT_EQ(2u, dc.ellipses.size());
    EXPECT_DOUBLE_EQ(97, dc.ellipses[0].rect.left);
    EXPECT_DOUBLE_EQ(54, dc.ellipses[0].rect.bottom);

    dc.Clear();
    style.MarkerStyle = MARKER_DIAMOND;
    Draw(renderer, LINE_KIND_RAW_GPS);
    ASSERT_EQ(2u, dc.polygons.size());
    const std::vector<SDPoint> &d = dc.polygons[0].points;
    ASSERT_EQ(5u, d.size());
    EXPECT_DOUBLE_EQ(97, d[0].x);
    EXPECT_DOUBLE_EQ(50, d[0].y);
    EXPECT_DOUBLE_EQ(100, d[1].x);
    EXPECT_DOUBLE_EQ(47, d[1].y);
    EXPECT_DOUBLE_EQ(104, d[2].x);
    EXPECT_DOUBLE_EQ(53, d[3].y);
}

TEST(PlanRendererClip, FarSegmentsAreCutToThePlotArea) {
    int x0 = -2000, y0 = 200, x1 = 250, y1 = 200;
    ASSERT_TRUE(CPlanRenderer::ClipSegment(x0, y0, x1, y1, 0, 500, 0, 400));
    EXPECT_EQ(0, x0);
    EXPECT_EQ(200, y0);
    EXPECT_EQ(250, x1);
    EXPECT_EQ(200, y1);
    // Wholly above the plot: rejected. Products of coordinates near 2^24 do not overflow.
    int a = 100, b = -5000, c = 300, d = -4000;
    EXPECT_FALSE(CPlanRenderer::ClipSegment(a, b, c, d, 0, 500, 0, 400));
    int e = -16777000, f = -16777000, g = 16777000, h = 16777000;
    ASSERT_TRUE(CPlanRenderer::ClipSegment(e, f, g, h, 0, 500, 0, 400));
    EXPECT_EQ(0, e);
    EXPECT_EQ(0, f);
    EXPECT_EQ(400, g);
    EXPECT_EQ(400, h);
}

TEST_F(RendererFixture, ChainsOfSegmentsClipSkipAndKeepTheirMarkers) {
    // Raw fixes at device x = -5 (just left of the plot), -1500 (far left), 250, a trace
    // without a fix, and 400; all on y = 200.
    CGPSInfo::SLineRecord *l = AddLine(0, 0, 40, 100, 40, 5);
    SetFix(l, 1, CGPSInfo::SOURCE_RAW, -1, 40);
    SetFix(l, 2, CGPSInfo::SOURCE_RAW, -300, 40);
    SetFix(l, 3, CGPSInfo::SOURCE_RAW, 50, 40);
    SetFix(l, 5, CGPSInfo::SOURCE_RAW, 80, 40);
    Prepare(renderer);
    Draw(renderer, LINE_KIND_RAW_GPS);

    // -5 to -1500 lies left of the plot: rejected. -1500 to 250 is cut at the plot's edge and
    // starts from the far point, not from the first one. 250 to 400 jumps the trace without a
    // fix.
    ASSERT_EQ(2u, dc.strokes.size());
    EXPECT_DOUBLE_EQ(0, dc.strokes[0].points[0].x);
    EXPECT_DOUBLE_EQ(250, dc.strokes[0].points[1].x);
    EXPECT_EQ(2, dc.strokes[0].pen.width) << "pens are in device pixels";
    EXPECT_DOUBLE_EQ(250, dc.strokes[1].points[0].x);
    EXPECT_DOUBLE_EQ(400, dc.strokes[1].points[1].x);
    // Every point has its marker, the first one too although its segment was rejected (the
    // far one lies beyond the drawing area and is left out there).
    std::vector<double> centres;
    for (const auto &f : dc.fills)
        centres.push_back(f.rect.left + 3);
    EXPECT_EQ((std::vector<double>{-5, 250, 400}), centres);
}

TEST_F(RendererFixture, OutOfRangePointsAreNotDrawnAndRaiseTheStateOnce) {
    CGPSInfo::SLineRecord *l = AddLine(0, 0, 40, 100, 40, 3);
    SetFix(l, 1, CGPSInfo::SOURCE_RAW, 10, 40);
    SetFix(l, 2, CGPSInfo::SOURCE_RAW, 4e6, 40); // 2e7 pixels away
    SetFix(l, 3, CGPSInfo::SOURCE_RAW, 30, 40);
    Prepare(renderer);

    // The page's renderer notes the far point for itself only.
    CPlanRenderer page(CPlanRenderer::TARGET_PAGE);
    Prepare(page);
    page.DrawLayer(&dc, -1, -1, -1, LINE_KIND_RAW_GPS, &style, &style);
    EXPECT_TRUE(page.TakeOutOfRange());
    EXPECT_EQ(0, gps.GetDisplayState());

    dc.Clear();
    Draw(renderer, LINE_KIND_RAW_GPS);
    EXPECT_EQ(1, gps.GetDisplayState());
    ASSERT_EQ(1u, dc.strokes.size()) << "the chain goes on past the far point";
    EXPECT_DOUBLE_EQ(50, dc.strokes[0].points[0].x);
    EXPECT_DOUBLE_EQ(150, dc.strokes[0].points[1].x);
    // Once shown (state 2), later paints leave the state alone until the document resets it.
    gps.SetDisplayState(2);
    Draw(renderer, LINE_KIND_RAW_GPS);
    EXPECT_EQ(2, gps.GetDisplayState());
}

TEST_F(RendererFixture, InvalidTraceNumbersAreSkippedAndReportedOncePerLoad) {
    AddLine(0, 0, 40, 100, 40, 3);
    // The GPS line holds more traces than the radar file has.
    CGPSInfo::SLineRecord *l = gps.FindLine(0, 0, 5);
    for (int t = 1; t <= 5; ++t)
        SetFix(l, t, CGPSInfo::SOURCE_RAW, 10.0 * t, 40);
    Prepare(renderer);
    Draw(renderer, LINE_KIND_RAW_GPS);
    EXPECT_EQ(2u, dc.strokes.size()) << "traces 4 and 5 are passed over";
    EXPECT_TRUE(renderer.TakeInvalidTraceReport());
    Draw(renderer, LINE_KIND_RAW_GPS);
    EXPECT_FALSE(renderer.TakeInvalidTraceReport()) << "reported once";
    // New GPS data (a load) report again.
    gps.SetUpdateState(true);
    Draw(renderer, LINE_KIND_RAW_GPS);
    EXPECT_TRUE(renderer.TakeInvalidTraceReport());
}

TEST_F(RendererFixture, LinesWithoutDirectionAreSkippedAndTheRestGoesOn) {
    AddLine(0, 0, 40, 100, 40, 3);
    lines.back().files[0].positions.resize(1);
    CGPSInfo::SLineRecord *good = AddLine(1, 0, 20, 100, 20, 3);
    renderer.SetGPSInfo(&gps);
    EXPECT_FALSE(renderer.UpdateLineGeometry(lines, ORQ::SMeasure(5, ORQ::UNIT_M)));
    EXPECT_DOUBLE_EQ(100, good->xRange.y) << "the line after the short one still has geometry";
}

TEST_F(RendererFixture, StatusTextsOfTheViewPoint) {
    Prepare(renderer);
    SUTMCoord expected;
    std::string text;
    const std::string format = BuildGPSFormatString(DEFAULT_GPS_CONFIGURATION).c_str();
    SPlanPointInfo info = renderer.ViewPointToStatusText(P(250, 200), &text, format.c_str());
    EXPECT_NEAR(50, info.local.x, 1e-9);
    EXPECT_NEAR(40, info.local.y, 1e-9);
    EXPECT_NEAR(kEast + 50, info.utm.easting, 1e-6);
    EXPECT_NEAR(kNorth + 40, info.utm.northing, 1e-6);
    EXPECT_EQ(17, info.utm.zone);
    EXPECT_NE(std::string::npos, text.find("E: 500050.00")) << text;
    EXPECT_NE(std::string::npos, text.find("Lat: ")) << text;

    def.EnableGPS = 0;
    renderer.ViewPointToStatusText(P(250, 200), &text, format.c_str());
    EXPECT_EQ("GPS: N/A", text);
    gps.SetHasGPSData(true);
    renderer.ViewPointToStatusText(P(250, 200), &text, format.c_str());
    EXPECT_EQ("GPS: Disabled", text);

    // No valid world position: a zone that names none does not give latitude 0, longitude 0.
    def.EnableGPS = 1;
    def.Zone = -1;
    renderer.ViewPointToStatusText(P(250, 200), &text, format.c_str());
    EXPECT_EQ("GPS: Invalid, Out of Bounds", text);

    CPlanRenderer none;
    none.ViewPointToStatusText(P(1, 1), &text, format.c_str());
    EXPECT_EQ("GPS: N/A", text);
    info = renderer.LocalPointToStatusText(ORQ::S2DMeasure(10, 20, ORQ::UNIT_FT), nullptr, nullptr);
    EXPECT_NEAR(3.048, info.local.x, 1e-9);
}

TEST_F(RendererFixture, PrintingLeavesTheWindowsStateAsItWas) {
    CGPSInfo::SLineRecord *l = AddLine(0, 0, 40, 100, 40, 3);
    SetFix(l, 1, CGPSInfo::SOURCE_RAW, 0, 40);
    SetFix(l, 2, CGPSInfo::SOURCE_RAW, 50, 40);
    SetFix(l, 3, CGPSInfo::SOURCE_RAW, 100, 40);
    def.FitGrid = true;
    def.ShiftX = def.ShiftY = 0;
    gps.SetHasGPSData(true);
    renderer.SetGPSInfo(&gps);
    renderer.UpdateLineGeometry(lines, ORQ::SMeasure(5, ORQ::UNIT_M));
    gps.ComputeAutoLWCFromGPS();
    Prepare(renderer);
    Draw(renderer, LINE_KIND_RAW_GPS);
    ASSERT_EQ(2u, dc.strokes.size());
    EXPECT_DOUBLE_EQ(250, dc.strokes[0].points[1].x) << "the fit puts fix 2 on trace 2";
    const SLocalWorldDef fitted = def;
    EXPECT_FALSE(def.FitGrid) << "the window's fit is stored in the project's definition";
    const int cachedX = l->points[1].cacheX[CGPSInfo::SOURCE_RAW];
    const int plotMaxX = l->plotMaxX;

    // A page twice the size, fitting its own copy of a definition that asks for a new fit.
    def.FitGrid = true;
    gps.SetUpdateState(true);
    CPlanRenderer page(CPlanRenderer::TARGET_PAGE);
    page.SetGPSInfo(&gps);
    const RECT pagePlot = R(0, 0, 1000, 800);
    const ORQ::SRectMeasure data(0, 80, 100, 0, ORQ::UNIT_M);
    page.SetExtents(data, data, &pagePlot, &pagePlot);
    page.UpdateLineGeometry(lines, ORQ::SMeasure(10, ORQ::UNIT_M));
    page.UpdateTransform(true);
    dc.Clear();
    page.DrawLayer(&dc, -1, -1, -1, LINE_KIND_RAW_GPS, &style, &style);
    ASSERT_EQ(2u, dc.strokes.size());
    EXPECT_DOUBLE_EQ(500, dc.strokes[0].points[1].x) << "the page has its own scale";
    // Points beyond the drawable range on the page: noted by the page alone.
    const ORQ::SRectMeasure tiny(0, 1e-4, 1e-4, 0, ORQ::UNIT_M);
    page.SetExtents(data, tiny, &pagePlot, &pagePlot);
    page.DrawLayer(&dc, -1, -1, -1, LINE_KIND_RAW_GPS, &style, &style);
    EXPECT_TRUE(page.TakeOutOfRange());

    EXPECT_EQ(cachedX, l->points[1].cacheX[CGPSInfo::SOURCE_RAW]);
    EXPECT_EQ(plotMaxX, l->plotMaxX);
    EXPECT_EQ(0, gps.GetDisplayState());
    EXPECT_TRUE(gps.GetUpdateState()) << "the window still has to refit";
    EXPECT_TRUE(def.FitGrid);
    EXPECT_DOUBLE_EQ(fitted.ShiftX, def.ShiftX);
    EXPECT_NEAR(renderer.GetNorthHeading(), page.GetNorthHeading(), 1e-9);
}

TEST_F(RendererFixture, FittingTheGridToRawFixesFindsItsRotation) {
    // Raw fixes of two crossing lines, the grid turned by 30 degrees in the world.
    CGPSInfo::SLineRecord *a = AddLine(0, 0, 0, 40, 0, 41, 2);
    CGPSInfo::SLineRecord *b = AddLine(1, 10, -10, 10, 30, 41, 3);
    const double turn = 30 * 3.14159265358979323846 / 180;
    for (int t = 1; t <= 41; t += 4)
        for (auto [line, x, y] :
             {std::make_tuple(a, t - 1.0, 0.0), std::make_tuple(b, 10.0, t - 11.0)}) {
            CGPSInfo::SPointSource &s = line->points[static_cast<size_t>(t - 1)].source[2];
            s.easting = kEast + 100 + x * std::cos(turn) - y * std::sin(turn);
            s.northing = kNorth + 200 + x * std::sin(turn) + y * std::cos(turn);
            s.kind = CGPSInfo::KIND_FILLED;
        }
    gps.SetHasGPSData(true);
    renderer.SetGPSInfo(&gps);
    renderer.UpdateLineGeometry(lines, ORQ::SMeasure(5, ORQ::UNIT_M));
    gps.ComputeAutoLWCFromGPS();
    def.FitGrid = true;
    gps.SetUpdateState(true);
    renderer.UpdateTransform(false);
    // World to local turns the other way: a grid turned by +30 degrees has rotation -30.
    EXPECT_NEAR(330, renderer.GetRotation(), 0.05);
    EXPECT_NEAR(330, def.Rotation, 0.05);
    EXPECT_FALSE(gps.GetUpdateState());
    // The local origin lands where the fixes put it.
    const auto w = renderer.GetTransform().Transform({0, 0});
    EXPECT_NEAR(kEast + 100, w.x, 0.05);
    EXPECT_NEAR(kNorth + 200, w.y, 0.05);
}

TEST_F(RendererFixture, TwoPointFitsAndARatioOfEqualWorldPointsIsSkipped) {
    def.TwoPointDefinition = true;
    def.RatioCheckBox = true;
    def.RefPoint[0] = {0, 0, kNorth, kEast, 17, 'T'};
    def.RefPoint[1] = {0, 100, kNorth + 200, kEast, 17, 'T'};
    gps.SetLWCDefinition(&def);
    renderer.SetGPSInfo(&gps);
    renderer.UpdateTransform(true);
    // The ratio keeps the local length: the second world point comes to 100 m north.
    auto w = renderer.GetTransform().Transform({0, 100});
    EXPECT_NEAR(kEast, w.x, 1e-6);
    EXPECT_NEAR(kNorth + 100, w.y, 1e-6);

    def.RefPoint[1].NorthingOrLatitude = kNorth;
    gps.SetLWCDefinition(&def);
    renderer.UpdateTransform(true);
    w = renderer.GetTransform().Transform({0, 100});
    EXPECT_TRUE(std::isfinite(w.x) && std::isfinite(w.y)) << "no NaN transform";
    EXPECT_NEAR(kNorth + 100, w.y, 1e-6) << "the last fit stays";
}

TEST(PlanRendererNorth, ConvergenceOfTheMeridiansIsFoundOrZero) {
    ORQ::Transform::STransformParams p;
    // On the central meridian the grid's north is north: no step at all.
    p.shiftX = -500000;
    p.shiftY = -4800000;
    EXPECT_DOUBLE_EQ(0, CPlanRenderer::ComputeNorthRotation(&p, 17, 'T', 23));
    // East of it (northern hemisphere) grid north lies east of true north: about
    // (lon - lon0) * sin(lat), here some 1.4 degrees.
    p.shiftX = -700000;
    const double east = CPlanRenderer::ComputeNorthRotation(&p, 17, 'T', 23) * 180 / 3.14159265;
    EXPECT_GT(std::fabs(east), 1.0);
    EXPECT_LT(std::fabs(east), 2.0);
    p.shiftX = -300000;
    const double west = CPlanRenderer::ComputeNorthRotation(&p, 17, 'T', 23) * 180 / 3.14159265;
    EXPECT_NEAR(-east, west, 0.05);
    // Positions that do not convert give up at once.
    EXPECT_DOUBLE_EQ(0, CPlanRenderer::ComputeNorthRotation(&p, -1, 'T', 23));
    EXPECT_DOUBLE_EQ(0, CPlanRenderer::ComputeNorthRotation(nullptr, 17, 'T', 23));
}

TEST(PlanCursor, LocalTextOfAPixelAndThePlotsEdges) {
    struct Host : ICursorHost {
        std::string GetCursorStatusText(POINT) override { return "GPS: N/A"; }
        void SetStatusText(int pane, const std::string &text) override { panes[pane] = text; }
        std::string panes[3] = {"-", "-", "-"};
    } host;
    CCursor cursor(&host);
    cursor.SetPlotArea(R(50, 10, 250, 110), ORQ::SRectMeasure(0, 100, 100, 0, ORQ::UNIT_M));
    cursor.UpdatePosition(P(150, 60), true);
    EXPECT_EQ("X=50.000 Y=50.000 m", host.panes[1]);
    EXPECT_EQ("GPS: N/A", host.panes[2]);
    EXPECT_EQ("", host.panes[0]);

    cursor.SetPlotArea(R(50, 10, 250, 110), ORQ::SRectMeasure(0, 100, 100, 0, ORQ::UNIT_FT));
    cursor.UpdatePosition(P(50, 10), true);
    EXPECT_EQ("X=0.000 Y=100.000 ft", host.panes[1]);

    // Right and bottom edges are outside; clamping moves onto the last pixel inside.
    EXPECT_FALSE(cursor.IsInPlot(P(250, 60)));
    EXPECT_FALSE(cursor.IsInPlot(P(100, 110)));
    const POINT c = cursor.ClampToPlot(P(900, -5));
    EXPECT_EQ(249, c.x);
    EXPECT_EQ(10, c.y);
    EXPECT_FALSE(cursor.MoveTo(P(250, 60), 300));
    EXPECT_FALSE(cursor.IsShown());

    ASSERT_TRUE(cursor.MoveTo(P(100, 60), 300));
    EXPECT_TRUE(cursor.IsShown());
    EXPECT_EQ(110, cursor.GetVerticalLine().bottom);
    EXPECT_EQ(300, cursor.GetHorizontalLine().right);
    // Leaving: the crosshair goes, the panes keep their texts ((0, 0) is outside the plot).
    cursor.OnMouseLeave();
    EXPECT_FALSE(cursor.IsShown());
    EXPECT_EQ("X=0.000 Y=100.000 ft", host.panes[1]);
}

TEST_F(RendererFixture, AutomaticGpsStaysAutomaticUntilThereAreGpsData) {
    def.EnableGPS = 2;
    gps.SetLWCDefinition(&def);
    Prepare(renderer);
    EXPECT_EQ(2, def.EnableGPS) << "a paint before the GPS files are read keeps it automatic";
    std::string text;
    renderer.ViewPointToStatusText(P(10, 10), &text, "%utme.2%");
    EXPECT_EQ("GPS: N/A", text);
    gps.SetHasGPSData(true);
    gps.SetUpdateState(true);
    renderer.UpdateTransform(false);
    EXPECT_EQ(2, def.EnableGPS) << "the definition keeps its automatic state";
    renderer.ViewPointToStatusText(P(0, 400), &text, "%utme.2%");
    EXPECT_EQ("500000.00", text);
}
