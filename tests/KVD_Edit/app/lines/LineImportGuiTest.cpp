#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/lines/ImportDlg.h"
#include "KVD_Edit/app/lines/LineImporter.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/platform/WxText.h"
#include "tests/KVD_Edit/app/lines/ImportTestSupport.h"
#include "tests/support/OutsideXml.h"
#include "tests/support/gui/DialogTest.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

using namespace kvdtest::gui;

namespace {

// The lines' names as a Linux disk spells them and as the windows show them.
const std::vector<std::string> kUtf8Names = {"X_L\xC3\xADnea1", "GR\xC3\x9CN_Y2", "L\xC3\xAFne_3"};

// The import as the frame runs it, with the file list a person would pick in the native file
// chooser (which the harness cannot drive) handed over through the window boundary of paths.
// The import dialog is the program's own and is driven with real input by act.
class CChosenFilesHost : public IImportHost {
public:
    CChosenFilesHost(CChildFrame &frame, std::vector<std::string> paths,
                     std::function<void(ImportDlg &)> act)
        : m_frame(frame), m_paths(std::move(paths)), m_act(std::move(act)) {}

    bool ChooseFiles(const std::string &folder, const std::string &, std::vector<std::string> &out,
                     int &filterIndex) override {
        chooserFolder = folder;
        for (const std::string &path : m_paths)
            out.push_back(PathFromWx(PathToWx(path)));
        filterIndex = 1;
        return true;
    }
    bool RunImportDialog(int setsSupported, ImportLineType &record, int preselect) override {
        ImportDlg dialog(setsSupported, &record, m_frame.RowGridNames(),
                         static_cast<char>(preselect), &m_frame);
        return RunDoModal(dialog, [&] { m_act(dialog); }) == 1;
    }

    std::string chooserFolder;

private:
    CChildFrame &m_frame;
    std::vector<std::string> m_paths;
    std::function<void(ImportDlg &)> m_act;
};

// Clicks into a control of the dialog and types text there in place of what it held.
void TypeInto(wxWindow *control, const std::string &text) {
    const wxSize size = control->GetSize();
    RealClick(control, wxPoint(size.x / 2, size.y / 2));
    RealKey("ctrl+a");
    RealType(text);
}

std::vector<std::string> ListColumn(wxListCtrl *list, int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->GetItemCount(); ++i)
        texts.push_back(list->GetItemText(i, column).utf8_string());
    std::sort(texts.begin(), texts.end());
    return texts;
}

CChildFrame *FrameOf(const SOpenProject &project) {
    return project.doc ? dynamic_cast<CChildFrame *>(project.doc->GetFrame()) : nullptr;
}

TEST(LineImportGui, ImportDialogOverUtf8NamedFilesShowsTheAccentedNames) {
    if (!RealInputAvailable())
        GTEST_SKIP() << "the display offers no XTest";
    App();
    Sink().Clear();
    kvdtest::TempDir dir;
    const std::string path = dir.File("site.kvd");
    kvdtest::WriteFile(path,
                       "<?xml version='1.0'?>\n<ORQ_KVD version=\"1.1.0\"><Data "
                       "version=\"1.2.0\"><CreatedBy name=\"KVD_Edit\" version=\"2.0\" "
                       "DIP=\"X\" date=\"2020-01-02\" time=\"10:11:12\"/></Data></ORQ_KVD>\n");
    std::vector<std::string> chosen;
    for (const std::string &name : kUtf8Names) {
        ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File(name), importtest::SmallLine()));
        chosen.push_back(dir.File(name + ".dt1"));
    }

    SOpenProject project = OpenProject(path);
    CChildFrame *frame = FrameOf(project);
    ASSERT_NE(frame, nullptr);
    bool dialogSeen = false;
    CChosenFilesHost host(*frame, chosen, [&](ImportDlg &dialog) {
        dialogSeen = true;
        ASSERT_TRUE(FocusWindow(&dialog)) << "the import dialog never became active";
        EXPECT_TRUE(Control<wxRadioButton>(dialog, ImportDlg::IDC_XYLINE)->GetValue())
            << "X and Y lines preselected by the first filter";
        TypeInto(Control<wxComboBox>(dialog, ImportDlg::IDC_GRIDNAME), "site a");
        TypeInto(Control<wxTextCtrl>(dialog, ImportDlg::IDC_SPACING), "2");
        SaveScreenshot(&dialog, "LineImportGui_Dialog");
        wxWindow *ok = dialog.FindWindow(wxID_OK);
        ASSERT_NE(ok, nullptr);
        RealClick(ok, wxPoint(ok->GetSize().x / 2, ok->GetSize().y / 2));
    });
    SImportMemory memory;
    CLineImporter importer(frame->GetKvdFilePtr(), frame->GetProjectPath());
    ASSERT_TRUE(importer.Import(host, memory)) << Sink().AllTexts();
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(host.chooserFolder, dir.Path());
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();

    // What the frame does once lines are imported: the project changed, the views reload.
    project.doc->Modify(true);
    project.doc->GetDataFiles()->UpdateKvdDataBlockPtr();
    project.doc->UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_LINES_CHANGED);
    PumpEvents(200);
    wxListCtrl *list = frame->GetGridView()->GetListCtrl();
    ASSERT_EQ(list->GetItemCount(), 3);
    std::vector<std::string> sorted = kUtf8Names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(ListColumn(list, 1), sorted) << "the grid shows the names the disk shows";
    EXPECT_EQ(ListColumn(list, 0), std::vector<std::string>(3, "SITE A"));
    EXPECT_EQ(ListColumn(list, 9), std::vector<std::string>(3, "No")) << "headers were read";
    frame->Raise();
    PumpEvents(200);
    EXPECT_FALSE(SaveScreenshot(frame, "LineImportGui_AccentedNames").empty());

    // Saved, read by an outside reader, and opened again: every line finds its files.
    ASSERT_TRUE(project.doc->Save()) << Sink().AllTexts();
    std::vector<std::string> outside;
    std::string messages;
    ASSERT_TRUE(kvdtest::ElementTreeValues(path, "Line", "name", outside, messages)) << messages;
    std::sort(outside.begin(), outside.end());
    EXPECT_EQ(outside, sorted);
    CloseProject(project);

    Sink().Clear();
    SOpenProject again = OpenProject(path);
    CChildFrame *reopened = FrameOf(again);
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    wxListCtrl *rows = reopened->GetGridView()->GetListCtrl();
    EXPECT_EQ(ListColumn(rows, 1), sorted);
    EXPECT_EQ(ListColumn(rows, 9), std::vector<std::string>(3, "No"));
    CloseProject(again);
}

} // namespace

namespace {

// Paths go into windows (file choosers, the recent-file list, the document's name) and come
// back as the bytes they are on disk: UTF-8 names and raw code page names alike.
TEST(LineImportGui, PathsCrossTheWindowBoundaryUnchanged) {
    App();
    for (const std::string &path :
         {std::string("/data/Pr\xC3\xBC"
                      "fung/X_L\xC3\xADnea1.dt1"),
          std::string("/data/GR\xDCN_Y2.dt1"), std::string("/plain/ascii.kvd")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(PathFromWx(PathToWx(path)), path);
    }
    EXPECT_EQ(PathToWx("/data/Pr\xC3\xBC"
                       "fung"),
              wxString::FromUTF8("/data/Pr\xC3\xBC"
                                 "fung"));
    // A message quoting a path beside a line name in the code page shows both.
    EXPECT_EQ(ToWxQuotingPaths("Error Loading /d/Pr\xC3\xBC"
                               "fung/X.hd for line L\xEDnea"),
              wxString::FromUTF8("Error Loading /d/Pr\xC3\xBC"
                                 "fung/X.hd for line L\xC3\xADnea"));
}

} // namespace
