#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/GridInfo.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "tests/support/GridProject.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/StandInDocument.h"

#include "KVD3/KVDXmlFile.h"

#include <gtest/gtest.h>

#include <wx/docview.h>
#include <wx/listctrl.h>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

std::string ProjectXml(CStandInDocument *doc) {
    std::string out;
    doc->GetDataFiles()->GetKvdXmlFile()->GetFileHnd()->Serialize(out);
    return out;
}

// The project at path in a child frame over a stand-in document, its rows loaded.
void OpenFrame(const std::string &path, CStandInDocument *&doc, CChildFrame *&frame) {
    doc = new CStandInDocument();
    ASSERT_EQ(1, doc->GetDataFiles()->LoadKvdXmlFile(path.c_str()));
    auto *view = new CPaneView();
    view->SetDocument(doc);
    frame = new CChildFrame(doc, view, App().GetMainFrame());
    view->SetFrame(frame);
    frame->Show();
    frame->LoadKVD(path, true, true);
    PumpEvents(100);
}

void Command(CChildFrame *frame, int id) {
    wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(id));
    frame->GetEventHandler()->ProcessEvent(event);
    PumpEvents(100);
}

TEST(LineCommandsGui, DeleteAndReimportFiducialsThroughTheFrame) {
    App();
    Sink().Clear();
    TempDir dir;
    GridProjectLayout layout;
    GridLineLayout l1, l2;
    l1.name = "L1";
    l2.name = "L2";
    l2.positions = {{0, 5, 0, "m"}, {10, 5, 1, "m"}};
    layout.lines = {l1, l2};
    const std::string path = WriteGridProject(dir.Path(), layout);
    // L2's trace file carries a fiducial at 2.5 m.
    SRadarLine line;
    line.traces = 21;
    line.samples = 16;
    line.step = 0.5;
    line.synthetic = false;
    line.fiducials = {{5, "MARK"}};
    ASSERT_TRUE(WriteRadarLine(dir.File("L2"), line));

    CStandInDocument *doc = nullptr;
    CChildFrame *frame = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenFrame(path, doc, frame));
    KVDGridView *grid = frame->GetGridView();
    ASSERT_EQ(grid->GetNumRows(), 2);

    Command(frame, KVDCmd::ID_IMPORT_FIDUCIALS);
    EXPECT_NE(ProjectXml(doc).find("fileflag=\"C\">MARK</FIDComment>"), std::string::npos)
        << ProjectXml(doc) << Sink().AllTexts();
    EXPECT_TRUE(doc->IsModified());

    // A second import finds the comments as they are: the project stays unmodified.
    doc->Modify(false);
    const std::string imported = ProjectXml(doc);
    Command(frame, KVDCmd::ID_IMPORT_FIDUCIALS);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(ProjectXml(doc), imported);

    const int row = grid->GetRowInfo(0)->lineName == "L1" ? 0 : 1;
    grid->SelectRow(row, true);
    Command(frame, KVDCmd::ID_DELETE_LINES);
    EXPECT_EQ(ProjectXml(doc).find("name=\"L1\""), std::string::npos);
    EXPECT_EQ(frame->GetChangeFlags() & 2, 2);
    EXPECT_NE(std::find(doc->hints.begin(), doc->hints.end(), KVDCmd::HINT_LINES_CHANGED),
              doc->hints.end());
    ASSERT_TRUE(WaitFor([&] { return grid->GetNumRows() == 1; }));
    EXPECT_EQ(grid->GetRowInfo(0)->lineName, "L2");

    // Nothing selected that can be found: nothing changes and no flag is set.
    const int flags = frame->GetChangeFlags();
    grid->SelectRow(0, false);
    EXPECT_FALSE(frame->DeleteKVDEntries());
    EXPECT_EQ(frame->GetChangeFlags(), flags);

    doc->Modify(false);
    frame->Close(true);
    PumpEvents(100);
}

// A project of a German crew: set, line and file names in the code page show their letters in
// the grid, the files named so on disk are found, and the lines are deleted by their names.
TEST(LineCommandsGui, NamesWithAccentsShowInTheGridAndAreDeletedByName) {
    App();
    Sink().Clear();
    TempDir dir;
    GridProjectLayout layout;
    GridLineLayout l1, l2;
    l1.set = l2.set = "GR\xDCN \x80";
    l1.name = "S\xFC"
              "d 1";
    l2.name = "S\xFC"
              "d 2";
    l2.positions = {{0, 5, 0, "m"}, {10, 5, 1, "m"}};
    layout.lines = {l1, l2};
    const std::string path = WriteGridProject(dir.Path(), layout);

    CStandInDocument *doc = nullptr;
    CChildFrame *frame = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenFrame(path, doc, frame));
    KVDGridView *grid = frame->GetGridView();
    ASSERT_EQ(grid->GetNumRows(), 2) << Sink().AllTexts();
    wxListCtrl *list = grid->GetListCtrl();
    ASSERT_NE(list, nullptr);
    const int row = grid->GetRowInfo(0)->lineName == l1.name ? 0 : 1;
    EXPECT_EQ(list->GetItemText(row, CGridRowFormatter::COL_GRID_NAME),
              wxString::FromUTF8("GR\xC3\x9CN \xE2\x82\xAC"));
    EXPECT_EQ(list->GetItemText(row, CGridRowFormatter::COL_LINE_NAME),
              wxString::FromUTF8("S\xC3\xBC"
                                 "d 1"));
    EXPECT_EQ(list->GetItemText(row, CGridRowFormatter::COL_GPR_DATA),
              wxString::FromUTF8(".\\S\xC3\xBC"
                                 "d 1.dt1"));
    EXPECT_NE(grid->GetRowInfo(row)->editFlag, SGridInfo::kUnknown) << "the files were read";
    EXPECT_EQ(grid->GetRowInfo(row)->numTraces, 21);

    grid->SelectRow(row, true);
    Command(frame, KVDCmd::ID_DELETE_LINES);
    ASSERT_TRUE(WaitFor([&] { return grid->GetNumRows() == 1; }));
    EXPECT_EQ(grid->GetRowInfo(0)->lineName, l2.name);
    EXPECT_EQ(ProjectXml(doc).find("S\xC3\xBC"
                                   "d 1"),
              std::string::npos)
        << ProjectXml(doc);
    EXPECT_NE(ProjectXml(doc).find("<LineSet name=\"GR\xC3\x9CN \xE2\x82\xAC\">"),
              std::string::npos)
        << ProjectXml(doc);

    doc->Modify(false);
    frame->Close(true);
    PumpEvents(100);
}

} // namespace
