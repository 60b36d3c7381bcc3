#include "KVD_Edit/app/lines/LineOffsetDlg.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/gui/DialogTest.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/LineOffsetDlg.h"
#include "orq_utils/MessageSink.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

wxTextCtrl *Edit(wxWindow &dialog) {
    auto *edit =
        dynamic_cast<wxTextCtrl *>(dialog.FindWindow(ORQ::CLineOffsetDlg::IDC_LINE_OFFSET));
    EXPECT_NE(edit, nullptr);
    return edit;
}

void PressOk(wxDialog &dialog) {
    kvdtest::gui::PressButton(dialog, wxID_OK);
}

int RunModal(LineOffsetDlg &dialog, std::function<void()> act) {
    return kvdtest::gui::RunModal(
        dialog, [&dialog] { return dialog.ShowModal(); }, std::move(act));
}

class LineOffsetDlgGui : public kvdtest::gui::CDialogTest {};

TEST_F(LineOffsetDlgGui, RefusesAnOffsetOutOfRangeAndTakesANumber) {
    ORQ::CLineOffsetDlg record;
    LineOffsetDlg dialog(record, nullptr);
    const int result = RunModal(dialog, [&] {
        EXPECT_EQ(dialog.GetTitle(), "Enter Line Offset");
        EXPECT_EQ(Edit(dialog)->GetValue(), "0.1") << "the preset, in metres";
        EXPECT_EQ(dialog.FindWindow(wxID_CANCEL), nullptr) << "no Cancel button";
        bool unitShown = false;
        for (wxWindow *child : dialog.GetChildren())
            unitShown =
                unitShown || (dynamic_cast<wxStaticText *>(child) && child->GetLabel() == "m");
        EXPECT_TRUE(unitShown);

        Edit(dialog)->SetValue("1500");
        PressOk(dialog);
        EXPECT_TRUE(dialog.IsModal()) << "a refused offset keeps the dialog open";
        EXPECT_EQ(kvdtest::gui::Sink().AllTexts(), ORQ::CLineOffsetDlg::kOutOfRange);
        EXPECT_EQ(record.m_LineOffset, 0.1);
        kvdtest::gui::PumpEvents();
        EXPECT_FALSE(kvdtest::gui::SaveScreenshot(&dialog, "LineOffsetDlg_refused").empty());

        Edit(dialog)->SetValue("2.5");
        PressOk(dialog);
        EXPECT_FALSE(dialog.IsModal());
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(record.m_LineOffset, 2.5);
}

TEST_F(LineOffsetDlgGui, ClosingOrEscapeKeepsThePreset) {
    {
        ORQ::CLineOffsetDlg record;
        LineOffsetDlg dialog(record, nullptr);
        const int result = RunModal(dialog, [&] {
            Edit(dialog)->SetValue("7");
            dialog.Close();
            EXPECT_FALSE(dialog.IsModal());
        });
        EXPECT_EQ(result, wxID_CANCEL) << "the close box";
        EXPECT_EQ(record.m_LineOffset, 0.1);
    }
    {
        ORQ::CLineOffsetDlg record;
        LineOffsetDlg dialog(record, nullptr);
        const int result = RunModal(dialog, [&] {
            Edit(dialog)->SetValue("7");
            wxKeyEvent escape(wxEVT_CHAR_HOOK);
            escape.m_keyCode = WXK_ESCAPE;
            escape.SetEventObject(Edit(dialog));
            dialog.GetEventHandler()->ProcessEvent(escape);
            EXPECT_FALSE(dialog.IsModal());
        });
        EXPECT_EQ(result, wxID_CANCEL) << "Escape";
        EXPECT_EQ(record.m_LineOffset, 0.1);
    }
    EXPECT_TRUE(kvdtest::gui::Sink().Messages().empty()) << kvdtest::gui::Sink().AllTexts();
}

TEST_F(LineOffsetDlgGui, TheNewFileWriterAsksThroughTheProgramsDialog) {
    kvdtest::TempDir dir;
    std::vector<ORQ::CStr> files;
    for (const char *name : {"GRIDC1B1", "GRIDC3B1"}) {
        kvdtest::SRadarLine line;
        line.traces = 10;
        line.samples = 16;
        line.synthetic = false;
        ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File(name), line));
        files.push_back(dir.File(std::string(name) + ".dt1"));
    }
    bool shown = false;
    kvdtest::gui::AnswerNextModal(
        [&](wxDialog *dialog) {
            shown = dynamic_cast<LineOffsetDlg *>(dialog) != nullptr;
            if (shown) {
                EXPECT_EQ(Edit(*dialog)->GetValue(), "0.1");
            }
        },
        wxID_CANCEL);
    ORQ::SCreatedBy creator;
    creator.name = "KVD_Edit";
    ORQ::CKVDXmlFile file;
    EXPECT_EQ(0, file.CreateNewFile_V110(dir.File("new.kvd"), creator, files, nullptr));
    EXPECT_TRUE(shown) << "the application installed its dialog for the library";
    const std::string text = kvdtest::ReadFile(dir.File("new.kvd"));
    EXPECT_NE(text.find("reflateral=\"0.200000\""), std::string::npos)
        << "closed without OK: (3 - 1) x the preset 0.1 m";
}

} // namespace
