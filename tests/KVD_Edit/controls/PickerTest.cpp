#include "KVD_Edit/controls/GenericPickerLogic.h"
#include "KVD_Edit/controls/PickerCells.h"

#include <gtest/gtest.h>

namespace {

using Notices = std::vector<SPickerNotice>;

std::vector<int> Codes(const Notices &notices) {
    std::vector<int> codes;
    for (const SPickerNotice &n : notices)
        codes.push_back(n.code);
    return codes;
}

const wxSize kEdge(2, 2);

TEST(PickerValue, PacksColumnLowAndRowHigh) {
    EXPECT_EQ(PickerValue::Make(1, 4), 0x00040001u);
    EXPECT_EQ(PickerValue::Make(-1, -1), PickerValue::None);
    EXPECT_EQ(PickerValue::Column(0x00040001u), 1);
    EXPECT_EQ(PickerValue::Row(0x00040001u), 4);
    EXPECT_EQ(PickerValue::Row(PickerValue::None), -1);
    EXPECT_EQ(CGenericPickerLogic().GetValue(), 0xFFFFFFFFu) << "a new picker holds nothing";
}

TEST(PickerKinds, TranslateTheirValues) {
    EXPECT_EQ(CLineWidthCells::FromLineWidth(7.0f), 0x00040001u);
    EXPECT_EQ(CLineWidthCells::FromLineWidth(2.5f), PickerValue::Make(0, 5));
    EXPECT_FLOAT_EQ(CLineWidthCells::ToLineWidth(CLineWidthCells::FromLineWidth(2.5f)), 2.5f);
    EXPECT_FLOAT_EQ(CLineWidthCells::ToLineWidth(CLineWidthCells::FromLineWidth(0.74f)), 0.5f);
    EXPECT_FLOAT_EQ(CLineWidthCells::ToLineWidth(CLineWidthCells::FromLineWidth(9.5f)), 9.5f);

    EXPECT_EQ(CLineStyleCells::FromLineStyle(3), PickerValue::Make(0, 3));
    EXPECT_EQ(CLineStyleCells::ToLineStyle(PickerValue::Make(0, 4)), 4);
    EXPECT_EQ(CLineStyleCells::ToLineStyle(PickerValue::None), -1);

    EXPECT_EQ(CMarkerStyleCells::FromMarkerStyle(-3), PickerValue::Make(0, 0));
    EXPECT_EQ(CMarkerStyleCells::ToMarkerStyle(PickerValue::Make(0, 9)), 3);
    EXPECT_EQ(CMarkerStyleCells::ToMarkerStyle(PickerValue::None), 0);

    EXPECT_EQ(CFillStyleCells::ToFillStyle(CFillStyleCells::FromFillStyle(60)), 52);
    EXPECT_EQ(CFillStyleCells::ToFillStyle(CFillStyleCells::FromFillStyle(-2)), -2);
    EXPECT_EQ(CFillStyleCells::ToFillStyle(CFillStyleCells::FromFillStyle(-5)), -1);
    EXPECT_EQ(CFillStyleCells::ToFillStyle(CFillStyleCells::FromFillStyle(17)), 17);
}

TEST(PickerKinds, SettersClampToExistingCells) {
    const CLineStyleCells style;
    const CLineWidthCells width;
    const CMarkerStyleCells marker;
    auto exists = [](const CPickerGrid &grid, uint32_t value) {
        const int c = PickerValue::Column(value), r = PickerValue::Row(value);
        return c >= 0 && c < grid.GetColumnCount() && r >= 0 && r < grid.GetRowCount() &&
               grid.IsCellValid(c, r);
    };
    for (int s : {-5, 0, 5, 6, 40000})
        EXPECT_TRUE(exists(style, CLineStyleCells::FromLineStyle(s))) << s;
    for (float w : {-1.0f, 0.0f, 9.5f, 10.0f, 1e9f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_TRUE(exists(width, CLineWidthCells::FromLineWidth(w))) << w;
    EXPECT_FLOAT_EQ(CLineWidthCells::ToLineWidth(CLineWidthCells::FromLineWidth(20.0f)), 9.5f);
    EXPECT_FLOAT_EQ(CLineWidthCells::ToLineWidth(CLineWidthCells::FromLineWidth(-1.0f)), 0.0f);
    for (int s : {-3, 0, 3, 4, 100000})
        EXPECT_TRUE(exists(marker, CMarkerStyleCells::FromMarkerStyle(s))) << s;
}

TEST(PickerKinds, FillGridHasItsHoles) {
    const CFillStyleCells fill;
    EXPECT_TRUE(fill.IsCellValid(0, 0));
    EXPECT_TRUE(fill.IsCellValid(1, 0));
    EXPECT_FALSE(fill.IsCellValid(2, 0));
    EXPECT_TRUE(fill.IsCellValid(4, 7)); // 52
    EXPECT_FALSE(fill.IsCellValid(5, 7));
}

TEST(PickerMetrics, ArrowBoxAndMinimumSize) {
    const SPickerMetrics m = SPickerMetrics::Make(2, 2, 16, 16);
    EXPECT_EQ(m.ArrowSide(), 16);
    EXPECT_EQ(m.MinButtonSize(wxSize(10, 5)), wxSize(36, 20)) << "narrow buttons grow";
    EXPECT_EQ(m.MinButtonSize(wxSize(100, 30)), wxSize(100, 30));
    EXPECT_EQ(m.ArrowRect(wxSize(100, 30)), wxRect(82, 2, 16, 26));
    EXPECT_EQ(SPickerMetrics::Make(4, 1, -1, 0).ArrowSide(), 20) << "unknown thumbs default";
}

TEST(PickerPopup, LaysOutAndHitTestsCells) {
    const CLineWidthCells width;
    // A 100 x 24 button: cells of 50 x 12, each framed by 2 pixels.
    CPickerPopupLogic popup(width, wxSize(100, 24), kEdge, PickerValue::None);
    EXPECT_EQ(popup.GetPopupSize(), wxSize(4 + 2 * 54, 4 + 10 * 16));
    int c = 9, r = 9;
    ASSERT_TRUE(popup.HitTest(wxPoint(2 + 54 + 10, 2 + 16 * 3 + 5), c, r));
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 3);
    ASSERT_TRUE(popup.HitTest(wxPoint(1, 1), c, r)) << "the outer margin truncates onto 0";
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(popup.HitTest(wxPoint(-3, 5), c, r)) << "left of the popup picks nothing";
    EXPECT_FALSE(popup.HitTest(wxPoint(5, -1), c, r)) << "above the popup picks nothing";
    EXPECT_FALSE(popup.HitTest(wxPoint(111, 5), c, r)) << "the right margin is no column";
    EXPECT_FALSE(popup.HitTest(wxPoint(5, 500), c, r));
    EXPECT_EQ(popup.GetCellRect(1, 3), wxRect(56, 50, 54, 16));
    EXPECT_EQ(popup.GetDrawRect(1, 3), wxRect(58, 52, 50, 12));

    const CFillStyleCells fill;
    CPickerPopupLogic fills(fill, wxSize(100, 24), kEdge, PickerValue::None);
    EXPECT_FALSE(fills.HitTest(fills.GetCellRect(3, 0).GetTopLeft() + wxPoint(3, 3), c, r))
        << "a hole of the fill grid is no cell";
}

TEST(PickerPopup, HoverChangesTheValueOncePerCell) {
    const CLineStyleCells style;
    CPickerPopupLogic popup(style, wxSize(80, 20), kEdge, PickerValue::Make(0, 0));
    EXPECT_FALSE(popup.MouseMove(wxPoint(10, 5))) << "the cell already held";
    EXPECT_TRUE(popup.MouseMove(wxPoint(10, 2 + 17 * 2 + 4)));
    EXPECT_EQ(popup.GetValue(), PickerValue::Make(0, 2));
    EXPECT_FALSE(popup.MouseMove(wxPoint(12, 2 + 17 * 2 + 6))) << "same cell: one message only";
    EXPECT_FALSE(popup.MouseMove(wxPoint(-20, -20)));
    EXPECT_EQ(popup.GetValue(), PickerValue::Make(0, 2));
}

TEST(PickerPopup, KeyboardMovesOverExistingCells) {
    const CLineWidthCells width;
    CPickerPopupLogic popup(width, wxSize(100, 24), kEdge, PickerValue::None);
    ASSERT_TRUE(popup.MoveBy(0, 1)) << "nothing hot: the first cell";
    EXPECT_EQ(popup.GetValue(), PickerValue::Make(0, 0));
    EXPECT_FALSE(popup.MoveBy(0, -1)) << "no row above the first";
    EXPECT_TRUE(popup.MoveBy(1, 0));
    EXPECT_TRUE(popup.MoveBy(0, 1));
    EXPECT_EQ(popup.GetValue(), PickerValue::Make(1, 1));
    EXPECT_FALSE(popup.MoveBy(1, 0));

    const CFillStyleCells fill;
    CPickerPopupLogic fills(fill, wxSize(100, 24), kEdge, PickerValue::Make(1, 0));
    EXPECT_FALSE(fills.MoveBy(1, 0)) << "the holes of row 0 end it";
    CPickerPopupLogic last(fill, wxSize(100, 24), kEdge, PickerValue::Make(4, 6));
    EXPECT_TRUE(last.MoveBy(0, 1));
    EXPECT_TRUE(last.MoveBy(1, 0) == false) << "row 7 stops at column 4";
}

TEST(PickerPopup, PlacedOnTheDisplay) {
    const CLineStyleCells style;
    CPickerPopupLogic popup(style, wxSize(80, 20), kEdge, PickerValue::None);
    const wxSize size = popup.GetPopupSize(); // 88 x 106
    const wxRect display(0, 0, 1600, 1200);
    EXPECT_EQ(popup.Place(wxRect(100, 100, 80, 20), display), wxPoint(100, 120));
    EXPECT_EQ(popup.Place(wxRect(1560, 100, 80, 20), display), wxPoint(1600 - size.x, 120))
        << "shifted left at the right edge";
    EXPECT_EQ(popup.Place(wxRect(-30, 100, 80, 20), display), wxPoint(0, 120))
        << "shifted right to the left edge";
    EXPECT_EQ(popup.Place(wxRect(100, 1150, 80, 20), display), wxPoint(100, 1150 - size.y))
        << "above the button at the bottom";
    // A second display right of the first: the popup stays on the picker's own display.
    const wxRect second(1600, 0, 1024, 768);
    EXPECT_EQ(popup.Place(wxRect(1700, 700, 80, 20), second), wxPoint(1700, 700 - size.y));
    EXPECT_EQ(popup.Place(wxRect(1590, 100, 80, 20), second), wxPoint(1600, 120));
}

TEST(PickerNotices, HoverThenClickInside) {
    CGenericPickerLogic picker;
    picker.SetValue(PickerValue::Make(0, 1));
    EXPECT_EQ(Codes(picker.Open()), std::vector<int>{PickerMsg::PopupOpened});
    EXPECT_TRUE(picker.IsPopupOpen());
    EXPECT_EQ(Codes(picker.HotCellChanged(PickerValue::Make(0, 3))),
              std::vector<int>{PickerNotify::ValueChanged});
    EXPECT_EQ(picker.GetValue(), PickerValue::Make(0, 3)) << "the button shows the hovered item";
    EXPECT_EQ(Codes(picker.ClosedInside(PickerValue::Make(0, 3))),
              (std::vector<int>{PickerNotify::Closed, PickerNotify::ClosedInside}))
        << "the hovered value was reported already: 1, 8 and 9 once each";
    EXPECT_FALSE(picker.IsPopupOpen());
    EXPECT_EQ(picker.GetValue(), PickerValue::Make(0, 3));

    // Hovering over several cells reports each; the click on the last one adds no change, a
    // pick that differs from the last hovered cell (Enter after the pointer left) adds one.
    picker.Open();
    Notices all;
    for (int row : {4, 5, 2})
        for (const SPickerNotice &n : picker.HotCellChanged(PickerValue::Make(0, row)))
            all.push_back(n);
    for (const SPickerNotice &n : picker.ClosedInside(PickerValue::Make(0, 1)))
        all.push_back(n);
    EXPECT_EQ(Codes(all),
              (std::vector<int>{PickerNotify::ValueChanged, PickerNotify::ValueChanged,
                                PickerNotify::ValueChanged, PickerNotify::Closed,
                                PickerNotify::ClosedInside, PickerNotify::ValueChanged}));
    EXPECT_EQ(all.back().value, PickerValue::Make(0, 1));
}

TEST(PickerNotices, ClickWithoutHover) {
    CGenericPickerLogic picker;
    picker.SetValue(PickerValue::Make(0, 2));
    picker.Open();
    EXPECT_EQ(Codes(picker.ClosedInside(PickerValue::Make(0, 2))),
              (std::vector<int>{PickerNotify::Closed, PickerNotify::ClosedInside}))
        << "no change, no code 1";
}

TEST(PickerNotices, ClickOutsideKeepsTheValueHeldAtOpening) {
    CGenericPickerLogic picker;
    picker.SetValue(PickerValue::Make(0, 2));
    picker.Open();
    picker.HotCellChanged(PickerValue::Make(0, 4));
    const Notices notices = picker.ClosedOtherwise();
    EXPECT_EQ(Codes(notices), (std::vector<int>{PickerNotify::Closed, PickerNotify::ClosedOutside,
                                                PickerNotify::ValueChanged}));
    EXPECT_EQ(picker.GetValue(), PickerValue::Make(0, 2));
    EXPECT_EQ(notices.back().value, PickerValue::Make(0, 2));

    picker.Open();
    EXPECT_EQ(Codes(picker.ClosedOtherwise()),
              (std::vector<int>{PickerNotify::Closed, PickerNotify::ClosedOutside}));
}

TEST(PickerNotices, FailedPopupClosesQuietly) {
    CGenericPickerLogic picker;
    picker.SetValue(PickerValue::Make(0, 1));
    picker.Open();
    picker.OpenFailed();
    EXPECT_FALSE(picker.IsPopupOpen());
    EXPECT_EQ(picker.GetValue(), PickerValue::Make(0, 1));
    EXPECT_TRUE(picker.ClosedOtherwise().empty()) << "a closed picker reports nothing";
    EXPECT_EQ(Codes(picker.Open()), std::vector<int>{PickerMsg::PopupOpened}) << "opens again";
    EXPECT_TRUE(picker.Open().empty()) << "no second popup while one is open";
}

} // namespace
