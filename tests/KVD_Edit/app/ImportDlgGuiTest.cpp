#include "KVD_Edit/app/ImportDlg.h"
#include "KVD_Edit/app/ImportDlgLogic.h"
#include "KVD_Edit/app/SCFileDialog.h"
#include "tests/support/gui/GuiHarness.h"

#include "orq_utils/MessageSink.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <class T> T *Control(wxWindow &dialog, int id) {
    T *control = dynamic_cast<T *>(dialog.FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

void Select(wxRadioButton *button) {
    button->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, button->GetId());
    event.SetInt(1);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

void Press(wxDialog &dialog, int id) {
    wxWindow *button = dialog.FindWindow(id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

int RunModal(ImportDlg &dialog, std::function<void()> act) {
    dialog.CallAfter([&dialog, act] {
        act();
        if (dialog.IsModal())
            dialog.EndModal(wxID_CANCEL);
    });
    return dialog.DoModal();
}

class ImportDlgGui : public testing::Test {
protected:
    void SetUp() override {
        kvdtest::gui::App();
        kvdtest::gui::Sink().Clear();
    }
};

TEST_F(ImportDlgGui, ShowsTheRecordAndFillsItOnOk) {
    ImportLineType record;
    record.lineType = ImportLineType::kXAndYLines;
    record.spacing = 0.5;
    record.offsetX = 1;
    record.offsetY = -2;
    record.unit = ORQ::UNIT_FT;
    ImportDlg dialog(1, &record, {"a10", "A1", "", "A10"}, 0, nullptr);
    const int result = RunModal(dialog, [&] {
        EXPECT_EQ(dialog.GetTitle(), "Import Line Parameters");
        wxComboBox *grid = Control<wxComboBox>(dialog, ImportDlg::IDC_GRIDNAME);
        ASSERT_EQ(grid->GetCount(), 2u);
        EXPECT_EQ(grid->GetString(0), "a10");
        EXPECT_EQ(grid->GetString(1), "A1");
        EXPECT_TRUE(Control<wxRadioButton>(dialog, ImportDlg::IDC_XYLINE)->GetValue());
        EXPECT_EQ(Control<wxTextCtrl>(dialog, ImportDlg::IDC_SPACING)->GetValue(), "0.50000000");
        EXPECT_EQ(Control<wxTextCtrl>(dialog, ImportDlg::IDC_OFFSETY)->GetValue(), "-2.000");
        EXPECT_EQ(Control<wxStaticBox>(dialog, ImportDlg::IDC_SPACING_GROUP)->GetLabel(),
                  "Line Spacing (ft)");
        EXPECT_EQ(Control<wxStaticBox>(dialog, ImportDlg::IDC_OFFSET_GROUP)->GetLabel(),
                  "Offset from current origin (ft)");
        EXPECT_TRUE(Control<wxCheckBox>(dialog, ImportDlg::IDC_ADDGPS)->GetValue());

        Select(Control<wxRadioButton>(dialog, ImportDlg::IDC_YTYPE));
        grid->SetValue(" grid1 ");
        Control<wxTextCtrl>(dialog, ImportDlg::IDC_SPACING)->SetValue("2");
        kvdtest::gui::PumpEvents();
        EXPECT_FALSE(kvdtest::gui::SaveScreenshot(&dialog, "ImportDlg_filled").empty());
        Press(dialog, wxID_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(record.lineType, ImportLineType::kYLines);
    EXPECT_EQ(record.gridName, "GRID1");
    EXPECT_EQ(record.spacing, 2);
    EXPECT_EQ(record.offsetY, -2);
    EXPECT_TRUE(kvdtest::gui::Sink().Messages().empty());
}

TEST_F(ImportDlgGui, AllFilesSelectsNoTypeAndOkAsksForOne) {
    ImportLineType record; // line type -1: "X && Y Lines" is not offered
    record.spacing = -1;   // one file
    ImportDlg dialog(1, &record, {}, 3, nullptr);
    const int result = RunModal(dialog, [&] {
        EXPECT_FALSE(Control<wxRadioButton>(dialog, ImportDlg::IDC_XYLINE)->IsEnabled());
        EXPECT_FALSE(Control<wxTextCtrl>(dialog, ImportDlg::IDC_SPACING)->IsEnabled());
        for (int id : {ImportDlg::IDC_XYLINE, ImportDlg::IDC_XTYPE, ImportDlg::IDC_YTYPE})
            EXPECT_FALSE(Control<wxRadioButton>(dialog, id)->GetValue()) << id;
        Press(dialog, wxID_OK);
        EXPECT_TRUE(dialog.IsModal()) << "stays open";
        EXPECT_EQ(kvdtest::gui::Sink().AllTexts(), ImportDlgLogic::kNoLineType);
        Select(Control<wxRadioButton>(dialog, ImportDlg::IDC_XTYPE));
        Control<wxComboBox>(dialog, ImportDlg::IDC_GRIDNAME)->SetValue("g");
        Press(dialog, wxID_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(record.lineType, ImportLineType::kXLines);
    EXPECT_EQ(record.spacing, -1);
}

TEST_F(ImportDlgGui, FileDialogReportsItsFilterAndMatchesEitherCase) {
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
