#include "KVD_Edit/app/lines/ImportDlg.h"
#include "KVD_Edit/app/lines/ImportDlgLogic.h"
#include "tests/support/gui/DialogTest.h"

#include "orq_utils/MessageSink.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <functional>

using namespace kvdtest::gui;

namespace {

class ImportDlgGui : public CDialogTest {};

TEST_F(ImportDlgGui, ShowsTheRecordAndFillsItOnOk) {
    ImportLineType record;
    record.lineType = ImportLineType::kXAndYLines;
    record.spacing = 0.5;
    record.offsetX = 1;
    record.offsetY = -2;
    record.unit = ORQ::UNIT_FT;
    ImportDlg dialog(1, &record, {"a10", "A1", "", "A10"}, 0, nullptr);
    const int result = RunDoModal(dialog, [&] {
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
        PressButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(record.lineType, ImportLineType::kYLines);
    EXPECT_EQ(record.gridName, "GRID1");
    EXPECT_EQ(record.spacing, 2);
    EXPECT_EQ(record.offsetY, -2);
    EXPECT_TRUE(kvdtest::gui::Sink().Messages().empty());
}

// Set names are the project's code page text: the window shows their letters, and a name typed
// with accents reaches the record in the code page, upper-cased letter by letter. A character
// the code page lacks becomes '?'.
TEST_F(ImportDlgGui, GridNamesWithAccentsCrossTheWindowInTheCodePage) {
    ImportLineType record;
    record.lineType = ImportLineType::kXLines;
    record.spacing = -1;
    ImportDlg dialog(1, &record,
                     {"GR\xDCN \x80", "S\xDC"
                                      "D"},
                     1, nullptr);
    const int result = RunDoModal(dialog, [&] {
        wxComboBox *grid = Control<wxComboBox>(dialog, ImportDlg::IDC_GRIDNAME);
        ASSERT_EQ(grid->GetCount(), 2u);
        EXPECT_EQ(grid->GetString(0), wxString::FromUTF8("GR\xC3\x9CN \xE2\x82\xAC"));
        EXPECT_EQ(grid->GetString(1), wxString::FromUTF8("S\xC3\x9C"
                                                         "D"));
        grid->SetValue(wxString::FromUTF8(" gr\xC3\xBCn \xC5\x93\xE2\x80\x93\xCE\xA9 "));
        kvdtest::gui::PumpEvents();
        PressButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(record.gridName, "GR\xDCN \x8C\x96?");
    EXPECT_TRUE(kvdtest::gui::Sink().Messages().empty()) << kvdtest::gui::Sink().AllTexts();
}

TEST_F(ImportDlgGui, AllFilesSelectsNoTypeAndOkAsksForOne) {
    ImportLineType record; // line type -1: "X && Y Lines" is not offered
    record.spacing = -1;   // one file
    ImportDlg dialog(1, &record, {}, 3, nullptr);
    const int result = RunDoModal(dialog, [&] {
        EXPECT_FALSE(Control<wxRadioButton>(dialog, ImportDlg::IDC_XYLINE)->IsEnabled());
        EXPECT_FALSE(Control<wxTextCtrl>(dialog, ImportDlg::IDC_SPACING)->IsEnabled());
        for (int id : {ImportDlg::IDC_XYLINE, ImportDlg::IDC_XTYPE, ImportDlg::IDC_YTYPE})
            EXPECT_FALSE(Control<wxRadioButton>(dialog, id)->GetValue()) << id;
        PressButton(dialog, wxID_OK);
        EXPECT_TRUE(dialog.IsModal()) << "stays open";
        EXPECT_EQ(kvdtest::gui::Sink().AllTexts(), ImportDlgLogic::kNoLineType);
        Select(Control<wxRadioButton>(dialog, ImportDlg::IDC_XTYPE));
        Control<wxComboBox>(dialog, ImportDlg::IDC_GRIDNAME)->SetValue("g");
        PressButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(record.lineType, ImportLineType::kXLines);
    EXPECT_EQ(record.spacing, -1);
}

} // namespace
