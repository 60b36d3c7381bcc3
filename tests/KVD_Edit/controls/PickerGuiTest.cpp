#include "KVD_Edit/controls/PickerLineStyle.h"
#include "KVD_Edit/controls/PickerLineWidth.h"
#include "KVD_Edit/controls/PickerMarkerStyle.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace kvdtest::gui;

// A frame with one picker of each kind the line display settings use, recording what they
// tell their parent.
class PickerGui : public testing::Test {
protected:
    void SetUp() override {
        App();
        m_frame = std::make_unique<CTestFrame>("pickers", wxSize(420, 200));
        m_style = new CPickerLineStyle(m_frame->Get(), 101, wxPoint(10, 10), wxSize(120, 24));
        m_width = new CPickerLineWidth(m_frame->Get(), 102, wxPoint(140, 10), wxSize(120, 24));
        m_marker = new CPickerMarkerStyle(m_frame->Get(), 103, wxPoint(270, 10), wxSize(120, 24));
        m_frame->Get()->Bind(EVT_PICKER_NOTIFY, [this](wxCommandEvent &e) {
            m_codes.push_back(e.GetInt());
            m_ids.push_back(e.GetId());
        });
        m_frame->Get()->Bind(EVT_PICKER_OPENED, [this](wxCommandEvent &e) {
            m_codes.push_back(PickerMsg::PopupOpened);
            m_ids.push_back(e.GetId());
        });
        PumpEvents(100);
    }
    void TearDown() override { m_frame.reset(); }

    // The centre of a cell of the picker's open popup, in the popup's client coordinates.
    static wxPoint CellCentre(CGenericPicker *picker, int column, int row) {
        const wxRect cell = picker->GetPopup()->GetLogic().GetCellRect(column, row);
        return cell.GetTopLeft() + wxPoint(cell.width / 2, cell.height / 2);
    }

    std::unique_ptr<CTestFrame> m_frame;
    CPickerLineStyle *m_style = nullptr;
    CPickerLineWidth *m_width = nullptr;
    CPickerMarkerStyle *m_marker = nullptr;
    std::vector<int> m_codes;
    std::vector<int> m_ids;
};

TEST_F(PickerGui, ButtonsGrowToTheirMinimum) {
    auto *narrow = new CPickerLineStyle(m_frame->Get(), 104, wxPoint(10, 100), wxSize(5, 5));
    EXPECT_EQ(narrow->GetSize(), SystemPickerMetrics().MinButtonSize(wxSize(5, 5)));
}

TEST_F(PickerGui, MouseOpensHoversAndPicks) {
    struct Kind {
        const char *name;
        CGenericPicker *picker;
        int column, row;
        std::function<bool()> picked;
    } kinds[] = {
        {"line style", m_style, 0, 3, [this] { return m_style->GetLineStyle() == 3; }},
        {"line width", m_width, 1, 4, [this] { return m_width->GetLineWidth() == 7.0f; }},
        {"marker", m_marker, 0, 2, [this] { return m_marker->GetMarkerStyle() == 2; }},
    };
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.name);
        m_codes.clear();
        m_ids.clear();
        Mouse(kind.picker, wxEVT_LEFT_DOWN, wxPoint(10, 10));
        PumpEvents(100);
        ASSERT_TRUE(kind.picker->IsPopupOpen());
        CGenericPickerPopup *popup = kind.picker->GetPopup();
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->IsShown());
        EXPECT_GE(popup->GetScreenPosition().y, kind.picker->GetScreenRect().GetBottom())
            << "the popup opens below the button";
        Mouse(popup, wxEVT_MOTION, CellCentre(kind.picker, kind.column, kind.row));
        Mouse(popup, wxEVT_MOTION, CellCentre(kind.picker, kind.column, kind.row) + wxPoint(1, 1));
        PumpEvents(50);
        SaveScreenPicture(popup, std::string("picker popup ") + kind.name);
        EXPECT_TRUE(kind.picked()) << "the button shows the hovered item";
        Mouse(popup, wxEVT_LEFT_UP, CellCentre(kind.picker, kind.column, kind.row));
        PumpEvents(100);
        EXPECT_FALSE(kind.picker->IsPopupOpen());
        EXPECT_TRUE(kind.picked());
        EXPECT_EQ(m_codes, (std::vector<int>{PickerMsg::PopupOpened, PickerNotify::ValueChanged,
                                             PickerNotify::Closed, PickerNotify::ClosedInside}))
            << "one change per cell hovered, none again for the click on it";
        for (int id : m_ids)
            EXPECT_EQ(id, kind.picker->GetId());
    }
    SaveScreenPicture(m_frame->Get(), "pickers after picking");
}

TEST_F(PickerGui, KeyboardOpensMovesAndPicks) {
    m_width->SetLineWidth(1.0f); // column 0, row 2
    m_width->SetFocus();
    PressKey(m_width, WXK_SPACE);
    ASSERT_TRUE(m_width->IsPopupOpen()) << "Space opens";
    PressKey(m_width, WXK_DOWN);
    PressKey(m_width, WXK_RIGHT);
    EXPECT_FLOAT_EQ(m_width->GetLineWidth(), 6.5f);
    PressKey(m_width, WXK_RETURN);
    PumpEvents(100);
    EXPECT_FALSE(m_width->IsPopupOpen());
    EXPECT_FLOAT_EQ(m_width->GetLineWidth(), 6.5f) << "Enter picks";

    m_codes.clear();
    PressKey(m_style, WXK_DOWN, /*alt*/ true);
    ASSERT_TRUE(m_style->IsPopupOpen()) << "Alt+Down opens";
    PressKey(m_style->GetPopup(), WXK_DOWN); // keys reaching the popup itself work as well
    PressKey(m_style, WXK_DOWN);
    EXPECT_EQ(m_style->GetLineStyle(), 1);
    PressKey(m_style, WXK_ESCAPE);
    PumpEvents(100);
    EXPECT_FALSE(m_style->IsPopupOpen());
    EXPECT_EQ(m_style->GetLineStyle(), -1) << "Escape brings back the value held at opening";
    EXPECT_EQ(m_codes, (std::vector<int>{PickerMsg::PopupOpened, PickerNotify::ValueChanged,
                                         PickerNotify::ValueChanged, PickerNotify::Closed,
                                         PickerNotify::ClosedOutside, PickerNotify::ValueChanged}));
}

TEST_F(PickerGui, ClosingOutsideKeepsTheOldValue) {
    m_marker->SetMarkerStyle(1);
    Mouse(m_marker, wxEVT_LEFT_DOWN, wxPoint(5, 5));
    PumpEvents(100);
    ASSERT_TRUE(m_marker->IsPopupOpen());
    CGenericPickerPopup *popup = m_marker->GetPopup();
    Mouse(popup, wxEVT_MOTION, CellCentre(m_marker, 0, 3));
    EXPECT_EQ(m_marker->GetMarkerStyle(), 3);
    // A release outside the popup (it holds the mouse) closes it without a pick.
    Mouse(popup, wxEVT_LEFT_UP, wxPoint(-40, 300));
    PumpEvents(100);
    EXPECT_FALSE(m_marker->IsPopupOpen());
    EXPECT_EQ(m_marker->GetMarkerStyle(), 1);
    EXPECT_EQ(m_codes.back(), PickerNotify::ValueChanged);
    EXPECT_EQ(m_codes[m_codes.size() - 2], PickerNotify::ClosedOutside);

    // The focus going elsewhere dismisses the popup the same way.
    Mouse(m_marker, wxEVT_LEFT_DOWN, wxPoint(5, 5));
    PumpEvents(100);
    ASSERT_TRUE(m_marker->IsPopupOpen());
    Mouse(m_marker->GetPopup(), wxEVT_MOTION, CellCentre(m_marker, 0, 0));
    wxFocusEvent lost(wxEVT_KILL_FOCUS);
    lost.SetWindow(m_style);
    m_marker->GetPopup()->GetEventHandler()->ProcessEvent(lost);
    PumpEvents(100);
    EXPECT_FALSE(m_marker->IsPopupOpen());
    EXPECT_EQ(m_marker->GetMarkerStyle(), 1);
    EXPECT_EQ(m_marker->GetPopup(), nullptr);
}

TEST_F(PickerGui, FaceShowsTheChosenLine) {
    const wxRect arrow = m_style->GetArrowRect();
    const int y = SystemPickerMetrics().ey + 6;
    auto face = [this] {
        return Render(m_style->GetSize(), [this](wxDC &dc) { m_style->DrawFace(dc); });
    };
    m_style->SetLineStyle(0);
    const wxImage solid = face();
    m_style->SetLineStyle(5); // no line
    const wxImage none = face();
    const int x = arrow.x / 2;
    EXPECT_NE(wxColour(solid.GetRed(x, y), solid.GetGreen(x, y), solid.GetBlue(x, y)),
              wxColour(none.GetRed(x, y), none.GetGreen(x, y), none.GetBlue(x, y)))
        << "a solid line shows on the face, the no-line entry shows none";
    m_marker->SetMarkerStyle(0);
    const wxImage square =
        Render(m_marker->GetSize(), [this](wxDC &dc) { m_marker->DrawFace(dc); });
    const int sx = SystemPickerMetrics().ex + 14, sy = m_marker->GetSize().y / 2;
    EXPECT_LT(square.GetRed(sx, sy), 128) << "the square marker is drawn in the text colour";
    SaveScreenPicture(m_frame->Get(), "picker faces");
}

} // namespace
