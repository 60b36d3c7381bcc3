#include "KVD_Edit/app/lines/SCFileDialog.h"
#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

namespace {

class SCFileDialogGui : public testing::Test {
protected:
    void SetUp() override {
        kvdtest::gui::App();
        kvdtest::gui::Sink().Clear();
    }
};

TEST_F(SCFileDialogGui, ReportsItsFilterAndMatchesEitherCase) {
    EXPECT_EQ(SCFileDialog::ToWildcard("2- X Line files|*x*.dt1|4- All Files|*.dt1||"),
              "2- X Line files|*[xX]*.[dD][tT]1|4- All Files|*.[dD][tT]1");
    char index = 9;
    SCFileDialog dialog(true, "dt1", "", wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST,
                        "1- X & Y Line files|*x*.dt1;*y*.dt1|2- X Line files|*x*.dt1||", &index,
                        nullptr);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(dialog.GetWildcard(),
              "1- X & Y Line files|*[xX]*.[dD][tT]1;*[yY]*.[dD][tT]1|2- X Line files|"
              "*[xX]*.[dD][tT]1");
    dialog.SetFilterIndex(1);
    dialog.OnTypeChange();
    EXPECT_EQ(index, 2) << "the filter in force, counted from 1";
    // The harness cancels native file choosers: the dialog reports Cancel and its filter.
    dialog.SetFilterIndex(0);
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_EQ(index, 1);
}

} // namespace
