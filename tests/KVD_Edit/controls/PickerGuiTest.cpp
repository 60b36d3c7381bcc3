#include "KVD_Edit/controls/PickerLineStyle.h"
#include "KVD_Edit/controls/PickerLineWidth.h"
#include "KVD_Edit/controls/PickerMarkerStyle.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"

#include <gtest/gtest.h>

#include <wx/settings.h>

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

// Every face shows the picker's value, its sample on the face's middle row: a line, a width, a
// marker, and the word for no line and no marker; a new marker picker shows the style it reads
// as. A disabled picker draws its sample in the toolkit's grey-text colour.
TEST_F(PickerGui, FacesShowTheirValueCentred) {
    const SPickerMetrics metrics = SystemPickerMetrics();
    auto face = [](CGenericPicker *picker) {
        return Render(picker->GetSize(), [picker](wxDC &dc) { picker->DrawFace(dc); });
    };
    // The sample area: the face inside its edge, left of the arrow.
    auto sampleArea = [&](CGenericPicker *picker) {
        wxRect area(picker->GetSize());
        area.Deflate(metrics.ex, metrics.ey);
        area.width -= picker->GetArrowRect().width;
        return area;
    };
    struct Case {
        const char *name;
        CGenericPicker *picker;
        std::function<void()> set;
        int rows; // rows the sample covers on its middle column; 0 where a word or shape shows
    } cases[] = {
        {"solid line", m_style, [this] { m_style->SetLineStyle(0); }, 1},
        {"no line", m_style, [this] { m_style->SetLineStyle(5); }, 0},
        {"width 4", m_width, [this] { m_width->SetLineWidth(4.0f); }, 4},
        {"width 9.5", m_width, [this] { m_width->SetLineWidth(9.5f); }, 9},
        {"square", m_marker, [this] { m_marker->SetMarkerStyle(0); }, 0},
        {"circle", m_marker, [this] { m_marker->SetMarkerStyle(1); }, 0},
        {"diamond", m_marker, [this] { m_marker->SetMarkerStyle(2); }, 0},
        {"no marker", m_marker, [this] { m_marker->SetMarkerStyle(3); }, 0},
        {"new marker picker", m_marker, [this] { m_marker->SetValue(PickerValue::None); }, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.set();
        const wxImage image = face(c.picker);
        const wxRect area = sampleArea(c.picker);
        int top = -1, bottom = -1, dark = 0;
        for (int y = area.y; y < area.GetBottom() + 1; ++y)
            for (int x = area.x; x < area.GetRight() + 1; ++x)
                if (image.GetRed(x, y) < 128 && image.GetGreen(x, y) < 128) {
                    ++dark;
                    top = top < 0 ? y : top;
                    bottom = y;
                }
        ASSERT_GT(dark, 8) << "the face shows the value";
        const double middle = area.y + (area.height - 1) / 2.0;
        EXPECT_NEAR((top + bottom) / 2.0, middle, 1.5) << "the sample sits on the middle row";
        if (c.rows > 0) {
            EXPECT_NEAR(bottom - top + 1, c.rows, 1) << "the line is as thick as its width";
        }
    }

    m_style->SetLineStyle(0);
    const wxRect area = sampleArea(m_style);
    const wxPoint at(area.x + area.width / 2, area.y + area.height / 2);
    auto colourAt = [&at](const wxImage &image) {
        return wxColour(image.GetRed(at.x, at.y), image.GetGreen(at.x, at.y),
                        image.GetBlue(at.x, at.y));
    };
    const wxColour enabled = colourAt(face(m_style));
    m_style->Disable();
    const wxColour disabled = colourAt(face(m_style));
    m_style->Enable();
    EXPECT_EQ(enabled, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    EXPECT_EQ(disabled, wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    EXPECT_NE(enabled, disabled);
    m_width->Disable();
    SaveScreenPicture(m_frame->Get(), "picker faces");
    m_width->Enable();
}

// The width popup: a thick sample ends at its cell's side (no cap runs into the next cell), and
// the hovered cell stands out by its fill, not by its edge alone.
TEST_F(PickerGui, WidthPopupClipsSamplesAndFillsTheHoveredCell) {
    ASSERT_TRUE(m_width->OpenPopup());
    CGenericPickerPopup *popup = m_width->GetPopup();
    ASSERT_NE(nullptr, popup);
    Mouse(popup, wxEVT_MOTION, CellCentre(m_width, 0, 0));
    PumpEvents(50);
    const CPickerPopupLogic &logic = popup->GetLogic();
    const wxImage image = Render(logic.GetPopupSize(), [popup](wxDC &dc) { popup->DrawGrid(dc); });
    auto colourAt = [&image](int x, int y) {
        return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
    };
    const wxColour background = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);

    // Between the samples of column 0 and column 1 on the thickest rows only background shows.
    for (int row : {7, 8}) {
        const wxRect left = logic.GetDrawRect(0, row);
        const wxRect right = logic.GetDrawRect(1, row);
        const int y = left.y + left.height / 2;
        for (int x = left.GetRight() + 1; x < right.x; ++x)
            EXPECT_EQ(background, colourAt(x, y)) << "row " << row << ", x " << x;
    }
    // A corner of the hovered cell (above its one-pixel sample) against the same corner of
    // another cell of one-pixel width.
    const wxRect hot = logic.GetDrawRect(0, 0);
    const wxRect other = logic.GetDrawRect(0, 1);
    EXPECT_EQ(background, colourAt(other.x + 2, other.y + 1));
    EXPECT_NE(background, colourAt(hot.x + 2, hot.y + 1)) << "the hovered cell is filled";
    SaveScreenPicture(popup, "picker width popup");
    popup->End(PickerMsg::ClosedOtherwise);
    PumpEvents(50);
    EXPECT_FALSE(m_width->IsPopupOpen());
}

} // namespace
