#include "KVD_Edit/planview/PlanViewScales.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "RecordingDC.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plantest;

namespace {

// A font record is all the scale needs: the recording context has fixed metrics.
struct FontHolder {
    CPrgFont font;
    FontHolder() {
        SLogFont r = SLogFont::Fixed();
        font.CreateFromLogFont(&r);
    }
};

CScale MakeScale(const CPrgFont *font, int position, int margin = 4, const char *title = "") {
    CScale::SScaleDef def;
    def.position = position;
    def.margin = margin;
    def.title = title;
    CScale s;
    s.Init(def, font);
    return s;
}

CScale::SDrawParam Param(RECT rect, double start, double end) {
    CScale::SDrawParam p;
    p.rect = rect;
    p.start = start;
    p.end = end;
    return p;
}

std::vector<std::string> Labels(const CRecordingDC &dc) {
    std::vector<std::string> out;
    for (const auto &t : dc.texts)
        out.push_back(t.text);
    return out;
}

} // namespace

TEST(ScaleNiceCeil, RoundsUpToOneTwoOrFiveTimesAPowerOfTen) {
    EXPECT_NEAR(CScale::NiceCeil(0.3), 0.5, 1e-12);
    EXPECT_NEAR(CScale::NiceCeil(1), 1, 1e-12);
    EXPECT_NEAR(CScale::NiceCeil(1.2), 2, 1e-12);
    EXPECT_NEAR(CScale::NiceCeil(4.9), 5, 1e-12);
    EXPECT_NEAR(CScale::NiceCeil(7), 10, 1e-12);
    EXPECT_NEAR(CScale::NiceCeil(25), 50, 1e-12);
    EXPECT_NEAR(CScale::NiceCeil(0.002), 0.002, 1e-15);
    // Nothing to round: no step at all rather than log10(0).
    EXPECT_EQ(CScale::NiceCeil(0), 0);
    EXPECT_EQ(CScale::NiceCeil(NAN), 0);
}

TEST(ScaleAutoScale, StepFollowsTheRoomTheLabelsNeed) {
    FontHolder f;
    CRecordingDC dc;
    CScale x = MakeScale(&f.font, 6);
    // Widest label "-100" is 32 pixels, plus the 2 mm margin (8 pixels): 40.
    CScale::SDrawParam p = Param(R(0, 50, 500, 300), 0, 100);
    x.AutoScale(p, &dc, nullptr);
    EXPECT_DOUBLE_EQ(p.step, 10);
    EXPECT_EQ(p.decimals, 0);
    ASSERT_EQ(x.Draw(&dc, nullptr, &p, 1), 1);
    EXPECT_EQ(Labels(dc), (std::vector<std::string>{"0", "10", "20", "30", "40", "50", "60", "70",
                                                    "80", "90", "100"}));
}

TEST(ScaleAutoScale, WiderLabelsWithDecimalsAreMeasuredAgain) {
    FontHolder f;
    CRecordingDC dc;
    CScale x = MakeScale(&f.font, 6);
    CScale::SDrawParam p = Param(R(0, 50, 100, 300), 0.5, 1.3);
    x.AutoScale(p, &dc, nullptr);
    EXPECT_DOUBLE_EQ(p.step, 0.5);
    EXPECT_EQ(p.decimals, 1);
    x.Draw(&dc, nullptr, &p, 1);
    EXPECT_EQ(Labels(dc), (std::vector<std::string>{"0.5", "1.0"}));
}

TEST(ScaleAutoScale, RangeWithoutExtentHasNoTicks) {
    FontHolder f;
    CRecordingDC dc;
    CScale y = MakeScale(&f.font, 24);
    CScale::SDrawParam p = Param(R(50, 0, 400, 300), 5, 5);
    y.AutoScale(p, &dc, nullptr);
    EXPECT_EQ(p.step, 0);
    EXPECT_EQ(p.decimals, 0);
    y.Draw(&dc, nullptr, &p, -1);
    EXPECT_TRUE(dc.texts.empty());
    EXPECT_TRUE(dc.strokes.empty());
    // No room at all: the same.
    CScale::SDrawParam q = Param(R(50, 0, 50, 0), 0, 10);
    y.AutoScale(q, &dc, nullptr);
    EXPECT_EQ(q.step, 0);
}

TEST(ScaleDraw, OverlappingLabelsAreLeftOutUnlessAllAreAsked) {
    FontHolder f;
    CRecordingDC dc;
    CScale x = MakeScale(&f.font, 6);
    CScale::SDrawParam p = Param(R(0, 50, 100, 300), 0, 100);
    p.step = 10;
    EXPECT_EQ(x.Draw(&dc, nullptr, &p, 1), 1);
    EXPECT_EQ(dc.texts.size(), 11u);
    dc.Clear();
    EXPECT_EQ(x.Draw(&dc, nullptr, &p, -1), 0);
    EXPECT_LT(dc.texts.size(), 11u);
    EXPECT_EQ(dc.texts.front().text, "0");
    dc.Clear();
    x.Draw(&dc, nullptr, &p, 0);
    EXPECT_TRUE(dc.texts.empty());
    EXPECT_TRUE(dc.strokes.empty());
}

TEST(ScaleDraw, ATickThatRoundsToZeroReadsZeroWithoutASign) {
    FontHolder f;
    CRecordingDC dc;
    CScale x = MakeScale(&f.font, 6);
    // From -0.5 in steps of 0.1 the sum reaches -2.8e-17, not 0.
    CScale::SDrawParam p = Param(R(0, 50, 1000, 300), -0.5, 0.5);
    p.step = 0.1;
    p.decimals = 1;
    x.Draw(&dc, nullptr, &p, 1);
    std::vector<std::string> labels;
    for (const auto &t : dc.texts)
        labels.push_back(t.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"-0.5", "-0.4", "-0.3", "-0.2", "-0.1", "0.0",
                                                "0.1", "0.2", "0.3", "0.4", "0.5"}));
}

TEST(ScaleDraw, MinorTicksNeedTwoMajorTicksAndStayAtMostTenPerStep) {
    FontHolder f;
    CRecordingDC dc;
    CScale x = MakeScale(&f.font, 6);
    // Major ticks 100 pixels apart, tick width 8: minor step 0.5, limited to 1.
    CScale::SDrawParam p = Param(R(0, 50, 1000, 300), 0, 100);
    p.step = 10;
    x.Draw(&dc, nullptr, &p, 1);
    int majors = 0, minors = 0;
    for (const auto &s : dc.strokes) {
        double length = std::fabs(s.points.front().y - s.points.back().y);
        if (length == 12)
            ++majors;
        else if (length == 8)
            ++minors;
    }
    EXPECT_EQ(majors, 11);
    EXPECT_EQ(minors, 101);
    // Ticks point away from the map: upwards for the top bar.
    EXPECT_LT(dc.strokes.front().points.front().y, 50);

    dc.Clear();
    p.step = 1000; // a single major tick
    x.Draw(&dc, nullptr, &p, 1);
    EXPECT_EQ(dc.strokes.size(), 1u);
    EXPECT_EQ(dc.texts.size(), 1u);
}

TEST(ScaleDraw, DefinitionLimitsTheLabelledValues) {
    FontHolder f;
    CRecordingDC dc;
    CScale::SScaleDef def;
    def.position = 14;
    def.min = 20;
    def.max = 60;
    CScale x;
    x.Init(def, &f.font);
    CScale::SDrawParam p = Param(R(0, 0, 1000, 300), 0, 100);
    p.step = 10;
    x.Draw(&dc, nullptr, &p, 1);
    EXPECT_EQ(Labels(dc), (std::vector<std::string>{"20", "30", "40", "50", "60"}));
}

TEST(ScaleDraw, WithoutFontNothingIsMeasuredOrDrawn) {
    CRecordingDC dc;
    CScale x = MakeScale(nullptr, 6);
    CScale::SDrawParam p = Param(R(0, 0, 100, 100), 0, 10);
    p.step = 1;
    EXPECT_EQ(x.Draw(&dc, nullptr, &p, 1), 0);
    EXPECT_EQ(x.GetMaxTxtSize(&dc, p), CSize(0, 0));
    EXPECT_TRUE(dc.strokes.empty());
}

TEST(PlanViewScalesLayout, BarsShareOneStepAndLeaveTheRestForTheMap) {
    FontHolder f;
    CRecordingDC dc(400, 300);
    CPlanViewScales scales;
    EXPECT_EQ(scales.Draw(&dc), -1);
    scales.Init(&f.font, nullptr);
    ASSERT_TRUE(scales.IsInitialised());
    scales.SetUnit(ORQ::UNIT_FT);
    SPlanScaleParams params = scales.GetParams();
    params.grid = 1;
    params.showScales = 1;
    params.showLegend = 0;
    params.extent = ORQ::SRectMeasure(0, 10, 10, 0, ORQ::UNIT_FT);
    scales.SetParams(params, &dc);
    RECT frame = R(0, 0, 400, 300);
    RECT free = scales.GetFreeRect(&dc, frame, params.extent);
    EXPECT_GT(free.top, 0);
    EXPECT_GT(free.left, 0);
    EXPECT_EQ(free.right, 400);
    EXPECT_EQ(free.bottom, 300);
    EXPECT_EQ(scales.XScale().GetDrawParam().step, scales.YScale().GetDrawParam().step);
    EXPECT_EQ(scales.XScale().GetDef().title, "ft");
    EXPECT_EQ(scales.YScale().GetDef().title, "ft");

    // Lay out again over the map area and draw: white bands, dotted grid, labels, title.
    params.frame = frame;
    params.factor = 30;
    params.extent = ORQ::SRectMeasure(free.left / 30.0, free.top / 30.0, free.right / 30.0,
                                      free.bottom / 30.0, ORQ::UNIT_FT);
    scales.SetParams(params, &dc);
    EXPECT_EQ(scales.Draw(&dc), 0);
    // Top and left bands; the map reaches the right edge, so that band is empty.
    ASSERT_EQ(dc.fills.size(), 2u);
    EXPECT_EQ(dc.fills[0].colour, RGB(255, 255, 255));
    bool dotted = false;
    for (const auto &s : dc.strokes)
        dotted = dotted || s.pen.style == PS_DOT;
    EXPECT_TRUE(dotted);
    bool title = false;
    for (const auto &t : dc.texts)
        title = title || t.text == " ft ";
    EXPECT_TRUE(title);
    EXPECT_GE(dc.texts.size(), 4u);
}

TEST(PlanViewScalesLayout, ExtentWithoutSizeDrawsWithoutTicks) {
    FontHolder f;
    CRecordingDC dc(400, 300);
    CPlanViewScales scales;
    scales.Init(&f.font, nullptr);
    SPlanScaleParams params = scales.GetParams();
    params.showScales = 1;
    params.grid = 1;
    params.frame = R(0, 0, 400, 300);
    params.factor = 10;
    params.extent = ORQ::SRectMeasure(5, 7, 5, 7, ORQ::UNIT_M);
    scales.SetParams(params, &dc);
    EXPECT_EQ(scales.XScale().GetDrawParam().step, 0);
    EXPECT_EQ(scales.XScale().GetDrawParam().decimals, 0);
    EXPECT_EQ(scales.Draw(&dc), 0);
    for (const auto &t : dc.texts)
        EXPECT_EQ(t.text, " m ");
}
