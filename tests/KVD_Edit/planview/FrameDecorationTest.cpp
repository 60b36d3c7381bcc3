#include "KVD_Edit/planview/FrameDecoration.h"
#include "KVD_Edit/planview/Legend.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "RecordingDC.h"

#include <gtest/gtest.h>

using namespace plantest;

namespace {

class CFixedDecoration : public CFrameDecoration {
public:
    CFixedDecoration(int position, CSize size) : m_size(size) { m_position = position; }
    int Draw(CPlanDC *) override { return 1; }
    CSize GetSize(CPlanDC *) override { return m_size; }

private:
    CSize m_size;
};

} // namespace

TEST(FrameDecorationReserve, TopBandIsTakenOnceAndReportsWhetherItFits) {
    CRecordingDC dc;
    CFixedDecoration top(6, CSize(100, 20));
    RECT frame = R(0, 0, 400, 300);
    RECT free = frame;
    EXPECT_EQ(top.ReserveSpace(&free, &frame, &dc, true), 1);
    EXPECT_TRUE(PlanRect::Equal(free, R(0, 20, 400, 300)));
    EXPECT_EQ(top.ReserveSpace(&free, &frame, &dc, true), 0);

    RECT narrow = R(0, 0, 50, 300);
    EXPECT_EQ(top.ReserveSpace(&narrow, &frame, &dc, true), 2);
    EXPECT_TRUE(PlanRect::Equal(narrow, R(0, 20, 50, 300)));
}

TEST(FrameDecorationReserve, OversizedBandLeavesNothing) {
    CRecordingDC dc;
    CFixedDecoration left(24, CSize(500, 10));
    RECT frame = R(0, 0, 400, 300);
    RECT free = frame;
    EXPECT_EQ(left.ReserveSpace(&free, &frame, &dc, true), -1);
    EXPECT_TRUE(PlanRect::IsEmpty(free));
}

TEST(FrameDecorationReserve, CornersTakeBothSidesAndCentreNothing) {
    CRecordingDC dc;
    RECT frame = R(0, 0, 400, 300);
    RECT free = frame;
    CFixedDecoration corner(10, CSize(30, 40));
    EXPECT_EQ(corner.ReserveSpace(&free, &frame, &dc, false), 1);
    EXPECT_TRUE(PlanRect::Equal(free, R(0, 0, 370, 260)));
    CFixedDecoration centre(30, CSize(30, 40));
    EXPECT_EQ(centre.ReserveSpace(&free, &frame, &dc, false), 0);
    // Without snap a second band on the same side only takes what is not already taken.
    CFixedDecoration small(26, CSize(20, 10));
    EXPECT_EQ(small.ReserveSpace(&free, &frame, &dc, false), 0);
}

TEST(FrameDecorationText, EstimatesFollowTheAlignment) {
    CRecordingDC dc;
    UINT centreBaseline = TA_CENTER | TA_BASELINE;
    RECT r =
        CFrameDecoration::GetTextPosEstimate(&dc, P(100, 100), "abcde", nullptr, &centreBaseline);
    EXPECT_TRUE(PlanRect::Equal(r, R(80, 88, 120, 104)));
    UINT rightBottom = TA_RIGHT | TA_BOTTOM;
    RECT grow = R(1, 2, 3, 4);
    r = CFrameDecoration::GetTextPosEstimate(&dc, P(0, 0), "ab", &grow, &rightBottom);
    EXPECT_TRUE(PlanRect::Equal(r, R(-17, -18, 3, 4)));
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    r = CFrameDecoration::GetTextPosEstimate(&dc, P(5, 5), "a", nullptr, nullptr);
    EXPECT_TRUE(PlanRect::Equal(r, R(5, 5, 13, 21)));
}

TEST(LegendLayout, AnchorsAndFrameWithoutFont) {
    RECT r = R(10, 0, 30, 20);
    EXPECT_EQ(CLegend::GetAnchorPoint(30, &r), P(20, 10));
    EXPECT_EQ(CLegend::GetAnchorPoint(10, &r), P(30, 20));
    CRecordingDC dc;
    CLegend legend;
    RECT area = R(0, 0, 300, 200);
    EXPECT_TRUE(PlanRect::IsEmpty(legend.GetLegendFrame(&dc, &area)));
    EXPECT_EQ(legend.Draw(&dc), 1);
    EXPECT_TRUE(dc.texts.empty());
    EXPECT_TRUE(dc.fills.empty());
}

TEST(LegendLayout, TextIsParsedIntoFormatsAndPlacedTopRight) {
    CRecordingDC dc;
    CLegend legend;
    CPrgFont prgFont;
    SLogFont record = SLogFont::Fixed();
    prgFont.CreateFromLogFont(&record);
    const CPrgFont *font = &prgFont;
    std::string text = "BDepth\t12 m\nplain\nVcentred\n\nafter empty";
    legend.Init(font, &text, 2, 2);
    legend.ParseLegendText();
    ASSERT_EQ(legend.GetLines().size(), 3u);
    EXPECT_EQ(legend.GetLines()[0], "Depth\t12 m");
    EXPECT_EQ(legend.GetLines()[1], "plain");
    EXPECT_EQ(legend.GetFormats(), (std::vector<int>{16, 0, 4}));

    RECT area = R(0, 0, 300, 200);
    RECT frame = legend.GetLegendFrame(&dc, &area);
    // Widest line "Depth12 m" is 72 pixels, three lines 48 high, plus 1 mm (4 px) around.
    EXPECT_EQ(frame.right, 300);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(PlanRect::Width(frame), 80);
    EXPECT_EQ(PlanRect::Height(frame), 56);

    legend.PlaceLegend(&dc, &area, &area);
    legend.Draw(&dc);
    ASSERT_GE(dc.texts.size(), 2u);
    EXPECT_EQ(dc.texts[0].text, "Depth");
    EXPECT_EQ(dc.texts[0].colour, RGB(0, 128, 0));
    EXPECT_EQ(dc.texts[1].text, "12 m");
    EXPECT_EQ(dc.texts[1].colour, CLegend::kValueColour);
    EXPECT_DOUBLE_EQ(dc.texts[1].x, dc.texts[0].x + 40);
}
