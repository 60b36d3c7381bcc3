#include "KVD_Edit/planview/KvdGprLines.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "RecordingDC.h"

#include <gtest/gtest.h>

using namespace plantest;

namespace {

// A line of one radar file through the given points, evenly spread along the file.
SLineSource Line(int index, int type, std::vector<std::pair<double, double>> pts,
                 long long traces = 100, ORQ::EUnitType unit = ORQ::UNIT_M) {
    SLineSource line;
    line.set = 0;
    line.line = index;
    line.lineType = type;
    SLineFileSource file;
    file.traces = traces;
    for (size_t i = 0; i < pts.size(); ++i) {
        SLinePosition p;
        p.x = pts[i].first;
        p.y = pts[i].second;
        p.normalized_file_pos = pts.size() > 1 ? double(i) / double(pts.size() - 1) : 0;
        p.units = unit;
        file.positions.push_back(p);
    }
    line.files.push_back(file);
    return line;
}

// Three X lines (y = 0, 5, 10) and three Y lines (x = 0, 5, 10), 0 to 10 m long.
CLinesSource Grid() {
    CLinesSource s;
    for (int i = 0; i < 3; ++i)
        s.push_back(Line(i, 2, {{0, 5.0 * i}, {10, 5.0 * i}}));
    for (int i = 0; i < 3; ++i)
        s.push_back(Line(3 + i, 3, {{5.0 * i, 0}, {5.0 * i, 10}}));
    return s;
}

// y up: logical (0, 0) at the bottom-left of a 1000 x 1000 device area.
void YUp(CPlanDC &dc) {
    CMapping &m = dc.Mapping();
    m.SetMapMode(CMapping::MM_ISOTROPIC);
    m.SetWindowExt(1000, -1000);
    m.SetViewportExt(1000, 1000);
    m.SetViewportOrg(0, 1000);
}

class CSelectOne : public ILineSelection {
public:
    explicit CSelectOne(int line) : m_line(line) {}
    bool IsSelected(int, int line) const override { return line == m_line; }
    SPlanPen GetFocusPen() const override {
        SPlanPen p;
        p.colour = RGB(255, 0, 0);
        p.width = 3;
        return p;
    }

private:
    int m_line;
};

} // namespace

TEST(LineGeometryBounds, LineExtendsOneTraceBeyondEachLaterPosition) {
    ORQ::SRectMeasure r;
    ASSERT_TRUE(CKvdGprLines::GetLineBounds(r, Line(0, 2, {{0, 0}, {10, 0}}, 100)));
    EXPECT_DOUBLE_EQ(r.left, 0);
    EXPECT_DOUBLE_EQ(r.right, 10.1);
    EXPECT_DOUBLE_EQ(r.top, 0);
    EXPECT_DOUBLE_EQ(r.bottom, 0);
    // No traces, or positions at one place along the file: the positions themselves.
    ASSERT_TRUE(CKvdGprLines::GetLineBounds(r, Line(0, 2, {{0, 0}, {10, 0}}, 0)));
    EXPECT_DOUBLE_EQ(r.right, 10);
    SLineSource same = Line(0, 2, {{0, 0}, {10, 0}});
    same.files[0].positions[1].normalized_file_pos = 0;
    ASSERT_TRUE(CKvdGprLines::GetLineBounds(r, same));
    EXPECT_DOUBLE_EQ(r.right, 10);
    // Refused: no positions, a negative trace count, mixed units.
    EXPECT_FALSE(CKvdGprLines::GetLineBounds(r, Line(0, 2, {})));
    EXPECT_FALSE(CKvdGprLines::GetLineBounds(r, Line(0, 2, {{0, 0}}, -1)));
    SLineSource mixed = Line(0, 2, {{0, 0}, {10, 0}});
    mixed.files[0].positions[1].units = ORQ::UNIT_FT;
    EXPECT_FALSE(CKvdGprLines::GetLineBounds(r, mixed));
}

TEST(LineGeometryBounds, DataBoundsInThreeWays) {
    CLinesSource grid = Grid();
    ORQ::SRectMeasure r;
    ASSERT_TRUE(CKvdGprLines::GetDataBounds(r, grid, CKvdGprLines::LIMIT_ALL));
    EXPECT_DOUBLE_EQ(r.left, 0);
    EXPECT_DOUBLE_EQ(r.right, 10.1);
    EXPECT_DOUBLE_EQ(r.top, 10.1);
    EXPECT_DOUBLE_EQ(r.bottom, 0);
    // Cross positions: Y range of the X lines, X range of the Y lines.
    ASSERT_TRUE(CKvdGprLines::GetDataBounds(r, grid, CKvdGprLines::LIMIT_CROSS));
    EXPECT_DOUBLE_EQ(r.right, 10);
    EXPECT_DOUBLE_EQ(r.top, 10);
    // Common area: a shorter X line narrows the X range.
    grid.push_back(Line(6, 2, {{2, 3}, {8, 3}}));
    ASSERT_TRUE(CKvdGprLines::GetDataBounds(r, grid, CKvdGprLines::LIMIT_COMMON));
    EXPECT_DOUBLE_EQ(r.left, 2);
    EXPECT_NEAR(r.right, 8.06, 1e-12);
    EXPECT_FALSE(CKvdGprLines::GetDataBounds(r, grid, CKvdGprLines::LIMIT_REFUSED));
    EXPECT_FALSE(CKvdGprLines::GetDataBounds(r, CLinesSource(), CKvdGprLines::LIMIT_ALL));
    // Lines on negative coordinates run along an axis as well.
    CLinesSource south = {Line(0, 2, {{-10, -5}, {-2, -5}}), Line(1, 3, {{-4, -9}, {-4, -1}})};
    ASSERT_TRUE(CKvdGprLines::GetDataBounds(r, south, CKvdGprLines::LIMIT_CROSS));
    EXPECT_DOUBLE_EQ(r.top, -5);
    EXPECT_DOUBLE_EQ(r.left, -4);
    // Without any line along X or Y there are no cross positions.
    CLinesSource diagonal = {Line(0, 0, {{0, 0}, {10, 10}})};
    EXPECT_FALSE(CKvdGprLines::GetDataBounds(r, diagonal, CKvdGprLines::LIMIT_CROSS));
}

TEST(LineGeometryBounds, LinesWithoutBoundsAreLeftOut) {
    CLinesSource lines = Grid();
    lines.insert(lines.begin(), Line(9, 2, {})); // no positions
    SLineSource unreadable = Line(10, 2, {{100, 100}, {200, 100}});
    unreadable.files[0].found = false;
    lines.push_back(unreadable);
    ORQ::SRectMeasure r;
    ASSERT_TRUE(CKvdGprLines::GetDataBounds(r, lines, CKvdGprLines::LIMIT_ALL));
    EXPECT_DOUBLE_EQ(r.right, 10.1);
    CLinesSource none = {Line(0, 2, {}), unreadable};
    EXPECT_FALSE(CKvdGprLines::GetDataBounds(r, none, CKvdGprLines::LIMIT_ALL));
    // Other units are converted into the unit of the later line.
    CLinesSource mixed = {Line(0, 2, {{0, 0}, {10, 0}}, 0),
                          Line(1, 2, {{0, 1}, {10, 1}}, 0, ORQ::UNIT_FT)};
    ASSERT_TRUE(CKvdGprLines::GetDataBounds(r, mixed, CKvdGprLines::LIMIT_ALL));
    EXPECT_EQ(r.unit, ORQ::UNIT_FT);
    EXPECT_NEAR(r.right, 10 / 0.3048, 1e-9);
}

TEST(LineGeometryPolylines, PointsRectanglesAndRangesAtTheScale) {
    CKvdGprLines lines;
    CKvdGprLines::SLinesData data;
    CLinesSource src = Grid();
    src.insert(src.begin() + 1, Line(7, 2, {}));
    lines.GetLinesData(data, src, ORQ::SMeasure(10, ORQ::UNIT_M), 8, 2);
    const auto &poly = data.polylines;
    ASSERT_EQ(poly.rects.size(), 7u);
    EXPECT_EQ(poly.points[1], P(100, 0));
    EXPECT_TRUE(PlanRect::Equal(poly.rects[0], R(-4, 4, 104, -4)));
    // The empty line: range (first, first - 1) and an empty rectangle.
    EXPECT_EQ(poly.ranges[1], P(2, 1));
    EXPECT_TRUE(PlanRect::IsEmpty(poly.rects[1]));
    EXPECT_EQ(poly.ranges[2], P(2, 3));
    EXPECT_EQ(lines.GetPointAddress(2, 0, &data).line, 1);
    EXPECT_EQ(lines.GetPointAddress(99, 0, &data).line, -1);
    // Feet convert into the scale's unit; the line kind filters.
    CLinesSource feet = {Line(0, 3, {{0, 0}, {0, 10}}, 100, ORQ::UNIT_FT)};
    lines.GetLinesData(data, feet, ORQ::SMeasure(100, ORQ::UNIT_M), 0, 2);
    EXPECT_EQ(data.polylines.points[1], P(0, 305));
    lines.GetLinesData(data, feet, ORQ::SMeasure(100, ORQ::UNIT_M), 0, 0);
    EXPECT_TRUE(data.polylines.points.empty());
}

TEST(LineGeometryHitTest, NearestCentreOnEitherAxisWins) {
    CKvdGprLines::SPolylines dev;
    dev.rects = {R(0, 0, 100, 100), R(40, 0, 80, 100), R(200, 200, 300, 300)};
    // Distances to the centres are negative on both axes here: the nearer one must win.
    POINT p = P(70, 90);
    POINT hit = CKvdGprLines::HitTest(&p, dev);
    EXPECT_EQ(hit.x, 1);
    EXPECT_EQ(hit.y, 100);
    POINT between = P(150, 150);
    EXPECT_EQ(CKvdGprLines::HitTest(&between, dev), P(-1, -1));
    // Equal metrics: the first line wins.
    POINT centre = P(50, 50);
    EXPECT_EQ(CKvdGprLines::HitTest(&centre, dev).x, 0);
    EXPECT_EQ(CKvdGprLines::LinesInBand(R(90, 10, 250, 20), dev), (std::vector<int>{0}));
    EXPECT_EQ(CKvdGprLines::LinesInBand(R(290, 290, 60, 50), dev), (std::vector<int>{0, 1, 2}));
}

TEST(LineGeometryDrawing, ArrowHeadSitsOnTheLastSegment) {
    POINT c[3];
    ASSERT_TRUE(CKvdGprLines::ArrowHead(P(100, 0), P(0, 0), 10, c));
    EXPECT_EQ(c[0], P(100, 0));
    EXPECT_EQ(c[1], P(90, 5));
    EXPECT_EQ(c[2], P(90, -5));
    ASSERT_TRUE(CKvdGprLines::ArrowHead(P(0, 0), P(0, 50), 8, c));
    EXPECT_EQ(c[1], P(4, 8));
    EXPECT_EQ(c[2], P(-4, 8));
    EXPECT_FALSE(CKvdGprLines::ArrowHead(P(3, 3), P(3, 3), 10, c));
}

TEST(LineGeometryDrawing, SelectedLinesUseTheFocusPenAndEmptyLinesAreSkipped) {
    CRecordingDC dc;
    YUp(dc);
    CKvdGprLines lines;
    CSelectOne selection(1);
    lines.SetSelection(&selection);
    int style = PS_NULL;
    lines.SetLineStyle(RGB(0, 0, 255), &style, nullptr);
    CLinesSource src = Grid();
    src.insert(src.begin(), Line(99, 2, {})); // a line without points comes first
    ORQ::SMeasure arrow(2, ORQ::UNIT_MM);
    CKvdGprLines::SPolylines dev;
    ASSERT_EQ(lines.DrawLines(&src, &dc, ORQ::SMeasure(50, ORQ::UNIT_M), &dev, &arrow, 2), 1);
    // Unselected lines are hidden by the null style; the selected one and the outline of its
    // arrow head (tip round to tip) show.
    ASSERT_EQ(dc.strokes.size(), 2u);
    EXPECT_EQ(dc.strokes[1].points.size(), 4u);
    for (const auto &s : dc.strokes)
        EXPECT_EQ(s.pen.colour, RGB(255, 0, 0));
    EXPECT_EQ(dc.strokes[0].points.front().y, 750);
    EXPECT_EQ(dev.rects.size(), 7u);
    POINT onLine = P(250, 750);
    EXPECT_EQ(CKvdGprLines::HitTest(&onLine, dev).x, 2);

    dc.Clear();
    lines.SetLineStyle(RGB(0, 0, 255), nullptr, nullptr);
    lines.SetSelection(nullptr);
    lines.DrawLines(&src, &dc, ORQ::SMeasure(50, ORQ::UNIT_M), nullptr, nullptr, 2);
    EXPECT_EQ(dc.strokes.size(), 6u); // no arrows without an arrow size
    EXPECT_EQ(lines.DrawLines(nullptr, &dc, ORQ::SMeasure(50), nullptr, nullptr, 2), 0);
}

// A numbered source keeps its geometry from paint to paint; a new number, another source or
// another scale builds it again, and an unnumbered source is read at every paint.
TEST(LineGeometryDrawing, GeometryIsReadAgainOnlyWhenTheSourceOrTheScaleChanged) {
    CRecordingDC dc;
    YUp(dc);
    CKvdGprLines lines;
    CLinesSource src = Grid();
    const ORQ::SMeasure scale(50, ORQ::UNIT_M);
    auto firstY = [&] { return lines.GetData().polylines.points.front().y; };
    lines.DrawLines(&src, &dc, scale, nullptr, nullptr, 2, 7);
    const int y = firstY();
    src[0].files[0].positions.front().y += 1; // read again, this moves the first point
    lines.DrawLines(&src, &dc, scale, nullptr, nullptr, 2, 7);
    EXPECT_EQ(y, firstY()) << "same source, same number: the geometry is kept";
    lines.DrawLines(&src, &dc, scale, nullptr, nullptr, 2, 8);
    const int moved = firstY();
    EXPECT_NE(y, moved);
    src[0].files[0].positions.front().y += 1;
    lines.DrawLines(&src, &dc, ORQ::SMeasure(10, ORQ::UNIT_M), nullptr, nullptr, 2, 8);
    const int zoomed = firstY();
    EXPECT_NE(moved, zoomed) << "another scale";
    src[0].files[0].positions.front().y += 1;
    lines.DrawLines(&src, &dc, ORQ::SMeasure(10, ORQ::UNIT_M), nullptr, nullptr, 2);
    EXPECT_NE(zoomed, firstY()) << "an unnumbered source";
    // The drawing itself is the same from kept and from rebuilt geometry.
    dc.Clear();
    lines.DrawLines(&src, &dc, scale, nullptr, nullptr, 2, 9);
    const auto rebuilt = dc.strokes.size();
    dc.Clear();
    lines.DrawLines(&src, &dc, scale, nullptr, nullptr, 2, 9);
    EXPECT_EQ(rebuilt, dc.strokes.size());
}

TEST(LineGeometryDrawing, FiducialCommentsStayInsideTheDrawing) {
    CRecordingDC dc;
    YUp(dc);
    CPrgFont font;
    SLogFont record = SLogFont::Fixed();
    font.CreateFromLogFont(&record);
    CKvdGprLines lines;
    lines.SetFidDisplay(true, true, &font);
    CLinesSource src = Grid();
    src[2].files[0].fiducials.push_back({"top", 5});    // on the top line y = 10
    src[0].files[0].fiducials.push_back({"bottom", 5}); // on the bottom line y = 0
    src[0].files[0].fiducials.push_back({"far right", 10.5});
    lines.DrawLines(&src, &dc, ORQ::SMeasure(50, ORQ::UNIT_M), nullptr, nullptr, 2);
    ASSERT_EQ(dc.texts.size(), 3u);
    auto find = [&](const std::string &text) {
        for (const auto &t : dc.texts)
            if (t.text == text)
                return t;
        ADD_FAILURE() << text;
        return dc.texts[0];
    };
    // Near the top edge a comment goes below its mark (device y 500), elsewhere above it.
    EXPECT_GT(find("top").y, 500);
    EXPECT_LT(find("bottom").y + 16, 1000);
    EXPECT_EQ(find("bottom").colour, RGB(170, 170, 170));
    // Past the right-most line end (x = 10 m = 500) the comment ends there.
    EXPECT_DOUBLE_EQ(find("far right").x + 8 * 9, 500);
    // Marks: a white square with a navy one inside, per fiducial.
    ASSERT_EQ(dc.fills.size(), 6u);
    EXPECT_EQ(dc.fills[1].colour, RGB(0, 0, 128));
}

TEST(LineGeometryPositions, PositionAlongTheLineInterpolates) {
    CRecordingDC dc;
    CKvdGprLines lines;
    CLinesSource src = {Line(0, 2, {{0, 0}, {10, 0}, {20, 4}}), Line(1, 2, {{5, 5}})};
    lines.DrawLines(&src, &dc, ORQ::SMeasure(1), nullptr, nullptr, 2);
    EXPECT_EQ(lines.GetLineCount(), 2);
    double x = 0, y = 0, z = 0;
    double d = 0.75;
    ASSERT_TRUE(lines.GetPosAtDistance(&x, &y, &z, 0, &d));
    EXPECT_DOUBLE_EQ(x, 15);
    EXPECT_DOUBLE_EQ(y, 2);
    d = -0.5; // before the first point: the first two points extrapolate
    ASSERT_TRUE(lines.GetPosAtDistance(&x, &y, &z, 0, &d));
    EXPECT_DOUBLE_EQ(x, -10);
    d = 1.5;
    ASSERT_TRUE(lines.GetPosAtDistance(&x, &y, &z, 0, &d));
    EXPECT_DOUBLE_EQ(x, 30);
    EXPECT_FALSE(lines.GetPosAtDistance(&x, &y, &z, 1, &d));
    EXPECT_FALSE(lines.GetPosAtDistance(&x, &y, &z, 2, &d));
}

TEST(LineGeometrySeparation, AverageSeparationAndTraceSpacing) {
    ORQ::SMeasure sep;
    ASSERT_TRUE(CKvdGprLines::GetAvgLineSeparation(sep, Grid()));
    EXPECT_DOUBLE_EQ(sep.value, 5);
    ASSERT_TRUE(CKvdGprLines::GetAvgLineSeparation(sep, CLinesSource()));
    EXPECT_DOUBLE_EQ(sep.value, 0);
    CLinesSource src = Grid();
    EXPECT_DOUBLE_EQ(CKvdGprLines::GetTraceSpacing(src, 0, 0, ORQ::UNIT_M), 0.1);
    EXPECT_NEAR(CKvdGprLines::GetTraceSpacing(src, 0, 3, ORQ::UNIT_FT), 0.1 / 0.3048, 1e-12);
    EXPECT_DOUBLE_EQ(CKvdGprLines::GetTraceSpacing(src, 1, 0, ORQ::UNIT_M), 0);
    src[0].files[0].traces = 0;
    EXPECT_DOUBLE_EQ(CKvdGprLines::GetTraceSpacing(src, 0, 0, ORQ::UNIT_M), 0);
}
