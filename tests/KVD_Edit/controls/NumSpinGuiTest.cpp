#include "KVD_Edit/controls/NumSpinCtrl.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"

#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace kvdtest::gui;

class NumSpinGui : public testing::Test {
protected:
    void SetUp() override {
        App();
        m_frame = std::make_unique<CTestFrame>("spin", wxSize(300, 120));
        m_text = new wxTextCtrl(m_frame->Get(), 201, "", wxPoint(10, 10), wxSize(80, -1));
        PumpEvents(50);
    }
    CNumSpinCtrl *MakeSpin(long style) {
        auto *spin = new CNumSpinCtrl(m_frame->Get(), 202, wxPoint(95, 10), wxDefaultSize, style);
        spin->SetBuddy(m_text);
        spin->SetRangeAndDelta(1, 20, 1);
        spin->SetDecimalPlaces(0);
        spin->SetTrimTrailingZeros(1);
        PumpEvents(50);
        return spin;
    }
    // What a click on an arrow makes the toolkit report: its position one step further.
    static void Arrow(CNumSpinCtrl *spin, int delta) {
        wxSpinEvent event(wxEVT_SPIN, spin->GetId());
        event.SetEventObject(spin);
        event.SetPosition(spin->GetSpinPosition() + delta);
        spin->GetEventHandler()->ProcessEvent(event);
        PumpEvents(20);
    }
    std::string Text() const { return m_text->GetValue().utf8_string(); }

    std::unique_ptr<CTestFrame> m_frame;
    wxTextCtrl *m_text = nullptr;
};

TEST_F(NumSpinGui, StepsByItsArrowsAndClampsAtTheLimits) {
    CNumSpinCtrl *spin = MakeSpin(wxSP_VERTICAL);
    spin->SetPos(5.0);
    EXPECT_EQ(Text(), "5");
    EXPECT_EQ(spin->GetSpinPosition(), 4);
    Arrow(spin, 1);
    EXPECT_EQ(Text(), "6");
    Arrow(spin, -1);
    Arrow(spin, -1);
    EXPECT_EQ(Text(), "4");
    spin->SetPos(20);
    Arrow(spin, 1);
    EXPECT_EQ(Text(), "20") << "no wrap: the maximum holds";
    EXPECT_DOUBLE_EQ(spin->GetPos(), 20.0);
    SaveScreenPicture(m_frame->Get(), "spin at its maximum");
}

TEST_F(NumSpinGui, WrapsWithTheWrapStyle) {
    CNumSpinCtrl *spin = MakeSpin(wxSP_VERTICAL | wxSP_WRAP);
    spin->SetPos(20);
    Arrow(spin, 1);
    EXPECT_EQ(Text(), "1");
    Arrow(spin, -1);
    EXPECT_EQ(Text(), "20");
}

TEST_F(NumSpinGui, ArrowKeysInTheBuddyStep) {
    CNumSpinCtrl *spin = MakeSpin(wxSP_VERTICAL);
    spin->SetPos(7);
    PressKey(m_text, WXK_UP);
    PressKey(m_text, WXK_UP);
    EXPECT_EQ(Text(), "9");
    PressKey(m_text, WXK_DOWN);
    EXPECT_EQ(Text(), "8");
    EXPECT_EQ(spin->GetSpinPosition(), 7);
}

TEST_F(NumSpinGui, TypedTextIsWhatTheArrowsStepFrom) {
    CNumSpinCtrl *spin = MakeSpin(wxSP_VERTICAL);
    spin->SetPos(3);
    m_text->SetValue("12");
    PumpEvents(20);
    EXPECT_EQ(spin->GetSpinPosition(), 11);
    Arrow(spin, 1);
    EXPECT_EQ(Text(), "13");
    m_text->SetValue("abc");
    Arrow(spin, 1);
    EXPECT_EQ(Text(), "2") << "no number reads as the minimum";
}

} // namespace
