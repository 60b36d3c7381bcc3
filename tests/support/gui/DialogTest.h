#pragma once

// Dialog tests: the fixture that starts the application and empties the message sink, a
// dialog's controls by id, and what a user's click or choice sends to them.

#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

#include <wx/window.h>

#include <functional>
#include <utility>

class wxCheckBox;
class wxChoice;
class wxRadioButton;

namespace kvdtest::gui {

// A test of a dialog: the application started, no message recorded yet.
class CDialogTest : public testing::Test {
protected:
    void SetUp() override;
};

// The control id of dialog, of type T; a test fails when there is none of that type.
template <class T> T *Control(wxWindow &dialog, int id) {
    T *control = dynamic_cast<T *>(dialog.FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

// The control takes the value, then its handlers get the command event a click or choice sends.
void Select(wxRadioButton *button);
void Toggle(wxCheckBox *box);
void Choose(wxChoice *choice, int index);

// Runs the dialog's own DoModal() with act inside its modal loop (see RunModal).
template <class D> int RunDoModal(D &dialog, std::function<void()> act) {
    return RunModal(
        dialog, [&dialog] { return dialog.DoModal(); }, std::move(act));
}

} // namespace kvdtest::gui
