#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/ChildFrame.h"
#include "KVD_Edit/app/CommandIds.h"
#include "KVD_Edit/app/FocusEntryList.h"
#include "KVD_Edit/app/GridDocument.h"
#include "KVD_Edit/app/KVDGridView.h"
#include "KVD_Edit/app/KVDVApp.h"
#include "KVD_Edit/app/KvdGprDataFiles.h"
#include "KVD_Edit/app/MainFrame.h"
#include "KVD_Edit/app/MapperSettings.h"
#include "tests/support/GridProject.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/gui/GuiHarness.h"

#include "KVD3/KVDXmlFile.h"

#include <gtest/gtest.h>

#include <wx/docview.h>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// The document services the frame's line commands use.
class CLinesTestDoc : public wxDocument, public IGridDocument, public IFocusListOwner {
public:
    CLinesTestDoc() { m_focus.SetOwner(this, &m_files); }
    ORQ::EUnitType GetUnits() const override { return ORQ::UNIT_M; }
    void SetUnits(ORQ::EUnitType) override {}
    CKvdGprDataFiles *GetDataFiles() override { return &m_files; }
    CFocusEntryList *GetFocusList() override { return &m_focus; }
    CGPSInfo *GetGPSInfo() override { return &m_gps; }
    CMapperSettings *GetMapperSettings() override { return &m_settings; }
    bool IsSelectingInView() const override { return false; }
    void SetModifiedFlag() override { Modify(true); }
    void UpdateAllViewsWithHint(wxView *sender, int hint) override {
        hints.push_back(hint);
        CViewHint h(hint);
        UpdateAllViews(sender, &h);
    }
    void SetFiducialsPresent(bool) override {}
    bool AttachDataFile(int, const char *, SGridInfo &) override { return false; }
    void RecoverDataFile(int, SGridInfo &) override {}
    void OnEditGpsAttach() override {}
    void OnEditGpsDetach() override {}
    void OnEditTopoAttach() override {}
    void OnEditTopoDetach() override {}

    std::vector<int> hints;

private:
    CKvdGprDataFiles m_files;
    CFocusEntryList m_focus;
    CGPSInfo m_gps;
    CMapperSettings m_settings;
};

class CPaneView : public wxView {
public:
    void OnDraw(wxDC *) override {}
};

std::string ProjectXml(CLinesTestDoc *doc) {
    std::string out;
    doc->GetDataFiles()->GetKvdXmlFile()->GetFileHnd()->Serialize(out);
    return out;
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

    auto *doc = new CLinesTestDoc();
    ASSERT_EQ(1, doc->GetDataFiles()->LoadKvdXmlFile(path.c_str()));
    auto *view = new CPaneView();
    view->SetDocument(doc);
    auto *frame = new CChildFrame(doc, view, App().GetMainFrame());
    view->SetFrame(frame);
    frame->Show();
    frame->LoadKVD(path, true, true);
    PumpEvents(100);
    KVDGridView *grid = frame->GetGridView();
    ASSERT_EQ(grid->GetNumRows(), 2);

    Command(frame, KVDCmd::ID_IMPORT_FIDUCIALS);
    EXPECT_NE(ProjectXml(doc).find("fileflag=\"C\">MARK</FIDComment>"), std::string::npos)
        << ProjectXml(doc) << Sink().AllTexts();
    EXPECT_TRUE(doc->IsModified());

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

} // namespace
