// A project's session as a surveyor has it: what opening, cancelling, reloading and saving
// leave behind in the status bar, the message boxes and the project's modified state.

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "tests/KVD_Edit/app/document/DocumentDialogsScript.h"
#include "tests/support/gui/GpsProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include "orq_utils/MessageSink.h"

#include <gtest/gtest.h>

#include <fstream>

#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>

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
        ASSERT_TRUE(AddCreatedBy(gps.path));
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
    s.project.doc->OnEditGpsDetach();
    PumpEvents(200);
    EXPECT_EQ(0, LoadErrorBoxes()) << Sink().AllTexts();
    for (int i = 0; i < grid->GetNumRows(); ++i)
        grid->SelectRow(i, grid->GetRowInfo(i)->gpsStatus == GFS_BESIDE);
    grid->OnNMClick(false);
    Sink().Answer(ORQ::IDYES); // attach to every line
    s.project.doc->OnEditGpsAttach();
    PumpEvents(200);
    EXPECT_EQ(0, LoadErrorBoxes()) << Sink().AllTexts();
    EXPECT_EQ(1u, Sink().Messages().size()) << "the one question of the attach, no answer left";
}

// Save As into another folder asks first, since the lines' stored paths stay relative to the
// old folder: No saves nothing, Yes saves with the paths as they were.
TEST(ProjectSessionGui, SaveAsIntoAnotherFolderAsksFirst) {
    GpsSession s;
    ASSERT_NO_FATAL_FAILURE(s.Open());
    CKVDVDoc *doc = s.project.doc;
    const std::string original = s.gps.path;
    const std::string folder = original.substr(0, original.rfind('/'));
    TempDir elsewhere;
    const std::string copy = elsewhere.File("copy.kvd");
    doctest::ScriptedDialogs dialogs;
    dialogs.saveAsPath = copy;
    doctest::ScopedDialogs scripted(dialogs);
    const std::string question = "The line files stay in " + folder + "; the project saved in " +
                                 elsewhere.Path() + " will not find them. Save anyway?";

    Sink().Clear();
    Sink().Answer(ORQ::IDNO);
    EXPECT_FALSE(doc->SaveAs());
    EXPECT_EQ(original, dialogs.saveAsStartedAt) << "the dialog starts at the project's own file";
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ(question, Sink().Messages()[0].text);
    EXPECT_FALSE(FileExists(copy)) << "No saves nothing";
    EXPECT_EQ(original, doc->GetFilename().utf8_string());

    Sink().Clear();
    Sink().Answer(ORQ::IDYES);
    EXPECT_TRUE(doc->SaveAs());
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ(question, Sink().Messages()[0].text);
    ASSERT_TRUE(FileExists(copy));
    EXPECT_EQ(copy, doc->GetFilename().utf8_string());
    const std::string before = ReadFile(original), saved = ReadFile(copy);
    for (const PlanLineSpec &line : s.gps.lines) {
        const std::string entry = "name=\"" + line.name + "\" ext=\".dt1\"";
        EXPECT_NE(std::string::npos, before.find(entry)) << line.name;
        EXPECT_NE(std::string::npos, saved.find(entry))
            << line.name << ": the stored file name is kept as it was";
    }

    // Into the project's own folder (now the new one) nothing is asked.
    Sink().Clear();
    dialogs.saveAsPath = elsewhere.File("again.kvd");
    EXPECT_TRUE(doc->SaveAs());
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
}

// The toolkit's Save As dialog opens over the project's window, in the project's folder with its
// file name filled in (so that Enter saves it there).
TEST(ProjectSessionGui, SaveAsDialogStartsAtTheProjectsFile) {
    GpsSession s;
    ASSERT_NO_FATAL_FAILURE(s.Open());
    struct CRecorder : wxModalDialogHook {
        wxString folder, name;
        wxWindow *parent = nullptr;
        bool seen = false;
        int Enter(wxDialog *dialog) override {
            if (auto *files = dynamic_cast<wxFileDialog *>(dialog)) {
                seen = true;
                folder = files->GetDirectory();
                name = files->GetFilename();
                parent = files->GetParent();
            }
            return wxID_CANCEL;
        }
        void Exit(wxDialog *) override {}
    } recorder;
    recorder.Register();
    ASSERT_TRUE(FocusWindow(App().GetMainFrame()));
    const bool saved = s.project.doc->SaveAs();
    recorder.Unregister();
    EXPECT_FALSE(saved);
    ASSERT_TRUE(recorder.seen);
    const std::string path = s.gps.path;
    EXPECT_EQ(path.substr(0, path.rfind('/')), recorder.folder.utf8_string());
    EXPECT_EQ(path.substr(path.rfind('/') + 1), recorder.name.utf8_string());
    EXPECT_EQ(App().GetMainFrame(), recorder.parent);
}

// Message boxes and dialogs stand over the window the person works in: a modal dialog while
// one is open, else the main frame.
TEST(ProjectSessionGui, MessagesOpenOverTheActiveWindow) {
    App();
    ASSERT_TRUE(FocusWindow(App().GetMainFrame()));
    EXPECT_EQ(App().GetMainFrame(), DialogParent());
    wxDialog dialog(App().GetMainFrame(), wxID_ANY, "modal", wxDefaultPosition, wxSize(200, 100));
    wxWindow *inside = nullptr;
    RunModal(
        dialog, [&] { return dialog.ShowModal(); },
        [&] {
            PumpEvents(100);
            inside = DialogParent();
        });
    EXPECT_EQ(&dialog, inside);
}
