// A project's session as a surveyor has it: what opening, cancelling, reloading and saving
// leave behind in the status bar, the message boxes and the project's modified state.

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "tests/support/gui/GpsProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include "orq_utils/MessageSink.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

constexpr const char *kLoadErrorIntro = "errors have occured while attempting to load the KVD";

int LoadErrorBoxes() {
    int boxes = 0;
    for (const CaptureSink::Message &m : Sink().Messages())
        boxes += m.text.find(kLoadErrorIntro) != std::string::npos;
    return boxes;
}

// A GPS project opened as File > Open opens it, its GPS files imported on the open.
struct GpsSession {
    TempDir dir;
    SGpsProject gps;
    SOpenProject project;
    CChildFrame *frame = nullptr;

    // spoil: the GPS file of the first line gets a malformed sentence among its fixes.
    void Open(bool spoil = false) {
        App();
        Sink().Clear();
        gps = WriteGpsProject(dir.Path(), 30);
        ASSERT_FALSE(gps.path.empty());
        if (spoil)
            std::ofstream(gps.gpsFiles[0], std::ios::app) << "Trace #3\n$GPGGA,garbage,,,\n";
        Sink().Answer(ORQ::IDYES); // import the GPS files beside the lines
        project = OpenProject(gps.path);
        ASSERT_NE(nullptr, project.doc);
        ASSERT_NE(nullptr, project.window);
        frame = project.view->GetChildFrame();
        ASSERT_NE(nullptr, frame);
        PumpEvents(200);
    }
    ~GpsSession() { CloseProject(project); }

    // The cursor moved over the middle of the plan, as the pointer of a person moves it.
    std::string WorldTextAtMiddle() {
        EXPECT_TRUE(FocusWindow(App().GetMainFrame()));
        const wxSize size = project.window->GetClientSize();
        RealMove(project.window, wxPoint(size.x / 2 - 7, size.y / 2 + 5));
        RealMove(project.window, wxPoint(size.x / 2, size.y / 2), 150);
        return App().GetMainFrame()->GetPaneText(2);
    }
};

} // namespace

// Cancelling the import's file dialog changes nothing: the GPS data stays, and with it the
// world coordinates of the cursor in the status bar.
TEST(ProjectSessionGui, ImportCancelledKeepsTheCursorsWorldCoordinates) {
    GpsSession s;
    ASSERT_NO_FATAL_FAILURE(s.Open());
    ASSERT_TRUE(s.project.doc->GetGPSInfo()->HasGPSData()) << Sink().AllTexts();
    const std::string before = s.WorldTextAtMiddle();
    ASSERT_NE(std::string::npos, before.find("Lat")) << before;

    // The harness cancels the toolkit's file dialog as soon as it opens.
    wxCommandEvent import(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_IMPORT_LINES));
    s.frame->GetEventHandler()->ProcessEvent(import);
    PumpEvents(100);
    EXPECT_TRUE(s.project.doc->GetGPSInfo()->HasGPSData()) << "the cancelled import kept the GPS";
    const std::string after = s.WorldTextAtMiddle();
    EXPECT_EQ(std::string::npos, after.find("N/A")) << after;
    EXPECT_NE(std::string::npos, after.find("Lat")) << after;
}

// The load errors are reported by the reload the open posts, once; the reloads after edits,
// attaching and detaching run without the report.
TEST(ProjectSessionGui, LoadErrorsShowOnceForTheOpenOnly) {
    GpsSession s;
    ASSERT_NO_FATAL_FAILURE(s.Open(true));
    EXPECT_EQ(1, LoadErrorBoxes()) << Sink().AllTexts();
    Sink().Clear();

    KVDGridView *grid = s.frame->GetGridView();
    ASSERT_NE(nullptr, grid);
    ASSERT_GT(grid->GetNumRows(), 1);
    // An edit's reload.
    s.frame->ReloadDOMReportNoErrors();
    PumpEvents(100);
    EXPECT_EQ(0, LoadErrorBoxes()) << Sink().AllTexts();
    // Detach and attach the GPS of a good line.
    int good = -1;
    for (int i = 0; i < grid->GetNumRows(); ++i)
        if (grid->GetRowInfo(i)->gpsStatus == GFS_LOADED)
            good = i;
    ASSERT_GE(good, 0);
    s.frame->DeselectAllLines();
    grid->SelectRow(good, true);
    grid->OnNMClick(false);
    Sink().Answer(ORQ::IDYES);
    s.project.doc->OnEditGpsDetach();
    PumpEvents(200);
    EXPECT_EQ(0, LoadErrorBoxes()) << Sink().AllTexts();
    for (int i = 0; i < grid->GetNumRows(); ++i)
        grid->SelectRow(i, grid->GetRowInfo(i)->gpsStatus == GFS_BESIDE);
    grid->OnNMClick(false);
    Sink().Answer(ORQ::IDYES);
    s.project.doc->OnEditGpsAttach();
    PumpEvents(200);
    EXPECT_EQ(0, LoadErrorBoxes()) << Sink().AllTexts();
}
