// The real-input helpers that key and menu tests rely on: keys typed through the X server reach
// the focused control, an accelerator reaches its frame from a child, a click presses a button.

#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"
#include "tests/support/gui/RealInput.h"

#include <wx/accel.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

namespace {

using namespace kvdtest::gui;

TEST(RealInput, KeysAndClicksArriveAsAPersonsWould) {
    App();
    ASSERT_TRUE(RealInputAvailable()) << "the display offers no XTest extension";
    CTestFrame frame("real input", wxSize(300, 120));
    auto *text = new wxTextCtrl(frame.Get(), wxID_ANY, "", wxPoint(10, 10), wxSize(150, -1));
    auto *button = new wxButton(frame.Get(), wxID_ANY, "Press", wxPoint(10, 60));
    auto *top = static_cast<wxTopLevelWindow *>(wxGetTopLevelParent(frame.Get()));
    int accelerated = 0, pressed = 0;
    const int accelId = wxWindow::NewControlId();
    top->Bind(
        wxEVT_MENU, [&](wxCommandEvent &) { ++accelerated; }, accelId);
    button->Bind(wxEVT_BUTTON, [&](wxCommandEvent &) { ++pressed; });
    wxAcceleratorEntry entry(wxACCEL_CTRL, 'D', accelId);
    top->SetAcceleratorTable(wxAcceleratorTable(1, &entry));

    ASSERT_TRUE(FocusWindow(top)) << "the test frame never became active";
    text->SetFocus();
    PumpEvents(50);
    ASSERT_TRUE(RealType("Ab1"));
    EXPECT_EQ(text->GetValue(), "Ab1") << "typed keys go to the focused text control";

    ASSERT_TRUE(RealKey("ctrl+d"));
    EXPECT_EQ(accelerated, 1) << "an accelerator of the frame is reached from its child";

    RealClick(button, wxPoint(5, 5));
    EXPECT_EQ(pressed, 1) << "a click on the button presses it";
    top->SetAcceleratorTable(wxNullAcceleratorTable);
}

} // namespace
