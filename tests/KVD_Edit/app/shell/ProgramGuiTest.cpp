// The editor end to end: a generated survey opened through the application's document manager,
// shown in the grid (left) and the plan view (right) of its frame, selected from either pane,
// switched to feet and saved.

#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/planview/PlanGeometry.h"
#include "KVD_Edit/planview/PlanMap.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/RegistryStore.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/support/GridProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/ProgramProcess.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/docview.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/splitter.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>

using namespace kvdtest;
using namespace kvdtest::gui;
using namespace KVDCmd;

namespace {

// Three X lines (20 m, along x) and three Y lines (8 m, along y) of one grid.
GridProjectLayout Survey() {
    GridProjectLayout layout;
    for (int i = 0; i < 3; ++i) {
        GridLineLayout x;
        x.name = "X" + std::to_string(i);
        x.positions = {{0, 4.0 * i, 0, "m"}, {20, 4.0 * i, 1, "m"}};
        x.final = 20;
        layout.lines.push_back(x);
    }
    for (int i = 0; i < 3; ++i) {
        GridLineLayout y;
        y.name = "Y" + std::to_string(i);
        y.positions = {{10.0 * i, 0, 0, "m"}, {10.0 * i, 8, 1, "m"}};
        y.final = 8;
        layout.lines.push_back(y);
    }
    return layout;
}

// The survey written into folder as the acquisition program leaves it (its own created-by
// record, which every save of the editor needs); returns the project's path.
std::string WriteSurvey(const std::string &folder) {
    const std::string path = WriteGridProject(folder, Survey());
    AddCreatedByRecord(path);
    return path;
}

// What the plan view shows (its map with any overlay), also saved as a PNG.
wxImage Grab(CPlanViewWindow *window, const std::string &name) {
    window->Update();
    PumpEvents(150);
    wxImage image = window->Snapshot().ConvertToImage();
    if (image.IsOk()) {
        const char *folder = std::getenv("KVD_ARTIFACTS");
        const std::string dir = folder && *folder ? folder : ".";
        image.SaveFile(wxString::FromUTF8(dir + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
    }
    return image;
}

bool IsRed(const wxImage &img, int x, int y) {
    if (x < 0 || y < 0 || x >= img.GetWidth() || y >= img.GetHeight())
        return false;
    const int r = img.GetRed(x, y), g = img.GetGreen(x, y), b = img.GetBlue(x, y);
    return r > 170 && r - g > 90 && r - b > 90;
}

bool IsDark(const wxImage &img, int x, int y) {
    if (x < 0 || y < 0 || x >= img.GetWidth() || y >= img.GetHeight())
        return false;
    return img.GetRed(x, y) < 170 && img.GetGreen(x, y) < 170 && img.GetBlue(x, y) < 170;
}

// Red or dark within two pixels of (x, y) across the line.
bool LineAt(const wxImage &img, int x, int y, bool red, bool horizontal) {
    for (int d = -2; d <= 2; ++d) {
        const int px = horizontal ? x : x + d;
        const int py = horizontal ? y + d : y;
        if (red ? IsRed(img, px, py) : IsDark(img, px, py))
            return true;
    }
    return false;
}

int CountRed(const wxImage &img) {
    int count = 0;
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            count += IsRed(img, x, y) ? 1 : 0;
    return count;
}

// The project as the program shows it once its frame has loaded the rows.
struct ProgramProject {
    ProgramProject() {
        App();
        Sink().Clear();
        path = WriteSurvey(dir.Path());
        const size_t before = App().GetDocManager()->GetDocumentsVector().size();
        opened = App().OpenChosenProject(path);
        if (App().GetDocManager()->GetDocumentsVector().size() == before + 1)
            doc = dynamic_cast<CKVDVDoc *>(App().GetDocManager()->GetDocumentsVector().back());
        frame = doc ? dynamic_cast<CChildFrame *>(doc->GetFrame()) : nullptr;
        if (frame) {
            frame->Maximize();
            WaitFor([this] { return frame->GetNumRows() == 6; });
            plan = dynamic_cast<CPlanViewWindow *>(frame->GetPlanPane());
        }
        if (plan)
            WaitFor([this] { return plan->MapDrawCount() > 0; });
        PumpEvents(200);
    }
    ~ProgramProject() {
        if (doc && frame) {
            doc->Modify(false);
            frame->Close(true);
            PumpEvents(200);
        }
    }

    // The device pixel of a local position (metres) in the plan view's last layout.
    wxPoint ToDevice(double x, double y) const {
        const CPlanViewController &c = plan->Controller();
        const ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
        const RECT &d = c.GetDevicePlot();
        const double f = doc->GetUnits() == ORQ::UNIT_FT ? 1 / 0.3048 : 1.0;
        return wxPoint(
            static_cast<int>(std::lround(PlanInterpolate(x * f, e.left, e.right, d.left, d.right))),
            static_cast<int>(
                std::lround(PlanInterpolate(y * f, e.top, e.bottom, d.top, d.bottom))));
    }

    // Whether the plan view shows every line, each in red (selected) or dark.
    void ExpectLines(const wxImage &img, bool red) const {
        for (int i = 0; i < 3; ++i) {
            const wxPoint mid = ToDevice(10, 4.0 * i);
            EXPECT_TRUE(LineAt(img, mid.x, mid.y, red, true))
                << "X" << i << " at " << mid.x << "," << mid.y;
            const wxPoint across = ToDevice(10.0 * i, 4);
            EXPECT_TRUE(LineAt(img, across.x, across.y, red, false))
                << "Y" << i << " at " << across.x << "," << across.y;
        }
    }

    int SelectedRows() const { return frame->GetGridView()->GetSelectedCount(); }
    size_t FocusEntries() const { return doc->GetFocusList()->GetEntries().size(); }

    // A menu command as the menu sends it through the frame.
    void Command(int id) const {
        wxCommandEvent event(wxEVT_MENU, ToWxId(id));
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
        PumpEvents(100);
    }

    TempDir dir;
    std::string path;
    bool opened = false;
    CKVDVDoc *doc = nullptr;
    CChildFrame *frame = nullptr;
    CPlanViewWindow *plan = nullptr;
};

// A key typed on the display's keyboard (xdotool's names) while target has the focus.
void TypeKey(wxWindow *target, const std::string &keys) {
    EXPECT_TRUE(FocusWindow(App().GetMainFrame()));
    target->SetFocus();
    EXPECT_TRUE(WaitFor([target] { return wxWindow::FindFocus() == target; }, 2000));
    EXPECT_TRUE(RealKey(keys));
}

} // namespace

TEST(ProgramGui, OpensShowsSelectsSwitchesUnitsAndSaves) {
    ProgramProject p;
    ASSERT_TRUE(p.opened) << Sink().AllTexts();
    ASSERT_NE(nullptr, p.doc);
    ASSERT_NE(nullptr, p.frame);
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();

    // Left pane: one row per line, in name order.
    KVDGridView *grid = p.frame->GetGridView();
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ(p.frame->GetGridPane(), grid->GetListCtrl());
    ASSERT_EQ(6, grid->GetNumRows());
    const char *names[] = {"X0", "X1", "X2", "Y0", "Y1", "Y2"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ("GRID1", grid->QueryItemText(i, 0));
        EXPECT_EQ(names[i], grid->QueryItemText(i, 1));
    }
    EXPECT_EQ("X", grid->QueryItemText(0, 2));
    EXPECT_EQ("Y", grid->QueryItemText(3, 2));
    EXPECT_EQ("20.000", grid->QueryItemText(0, 7));

    // Right pane: the plan view, drawing the document's lines in the line colour.
    ASSERT_NE(nullptr, p.plan);
    EXPECT_TRUE(p.plan->IsShown());
    EXPECT_GT(p.plan->GetClientSize().x, 100);
    wxImage shown = Grab(p.plan, "ProgramGui_Plan1");
    p.ExpectLines(shown, false);
    EXPECT_EQ(0, CountRed(shown));
    SaveScreenshot(App().GetMainFrame(), "ProgramGui_Opened");

    // The document routes the View menu's zoom commands through the frame to this view.
    ASSERT_NE(nullptr, p.frame->GetPlanView());
    const double fitWidth =
        p.plan->Controller().GetRequested().right - p.plan->Controller().GetRequested().left;
    p.Command(ID_ZOOM_IN);
    EXPECT_LT(p.plan->Controller().GetRequested().right - p.plan->Controller().GetRequested().left,
              fitWidth * 0.9);
    p.Command(ID_ZOOM_FIT);
    PumpEvents(100);
    p.ExpectLines(Grab(p.plan, "ProgramGui_Plan0"), false);

    // Select All from the menu: every row, the document's selection and the red lines.
    p.Command(ID_SELECT_ALL_LINES);
    EXPECT_EQ(6, p.SelectedRows());
    EXPECT_EQ(6u, p.FocusEntries());
    shown = Grab(p.plan, "ProgramGui_Plan2");
    p.ExpectLines(shown, true);
    SaveScreenshot(App().GetMainFrame(), "ProgramGui_AllSelected");

    // Ctrl+D in the plan view reaches the frame's Deselect All: both panes follow.
    TypeKey(p.plan, "ctrl+d");
    EXPECT_TRUE(WaitFor([&] { return p.SelectedRows() == 0; }));
    EXPECT_EQ(0u, p.FocusEntries());
    PumpEvents(100);
    shown = Grab(p.plan, "ProgramGui_Plan3");
    EXPECT_EQ(0, CountRed(shown));
    p.ExpectLines(shown, false);

    // Ctrl+A in the grid reaches Select All: the plan view shows the lines selected.
    TypeKey(grid->GetListCtrl(), "ctrl+a");
    EXPECT_TRUE(WaitFor([&] { return p.SelectedRows() == 6; }));
    EXPECT_EQ(6u, p.FocusEntries());
    PumpEvents(100);
    p.ExpectLines(Grab(p.plan, "ProgramGui_Plan4"), true);

    // Ctrl+A in the plan view after a Ctrl+D in the grid.
    TypeKey(grid->GetListCtrl(), "ctrl+d");
    EXPECT_TRUE(WaitFor([&] { return p.SelectedRows() == 0; }));
    TypeKey(p.plan, "ctrl+a");
    EXPECT_TRUE(WaitFor([&] { return p.SelectedRows() == 6; }));
    EXPECT_EQ(6u, p.FocusEntries());

    // Feet from the View menu: the grid's lengths, the title and the plan view's scale follow;
    // the selection stays.
    p.Command(ID_DISPLAYUNITS_FEET);
    EXPECT_EQ(ORQ::UNIT_FT, p.doc->GetUnits());
    EXPECT_EQ("65.617", grid->QueryItemText(0, 7));
    EXPECT_EQ(0u, p.frame->GetTitle().utf8_string().find("(ft) project.kvd"));
    EXPECT_EQ(6, p.SelectedRows());
    shown = Grab(p.plan, "ProgramGui_Plan5");
    p.ExpectLines(shown, true);
    SaveScreenshot(App().GetMainFrame(), "ProgramGui_Feet");
    p.Command(ID_DISPLAYUNITS_METERS);
    EXPECT_EQ("20.000", grid->QueryItemText(0, 7));

    // Save from the File menu: the acquisition program's file is kept aside, ours gets our record
    // and still holds every line.
    p.doc->Modify(true);
    Sink().Clear();
    p.Command(ID_FILE_SAVE);
    EXPECT_FALSE(p.doc->IsModified()) << Sink().AllTexts();
    EXPECT_TRUE(FileExists(p.dir.File("project_Original.kvd")));
    const std::string saved = ReadFile(p.path);
    EXPECT_NE(std::string::npos, saved.find("<ModifiedBy name=\"KVD_Edit\"")) << saved;
    CKvdGprDataFiles reread;
    ASSERT_EQ(1, reread.LoadKvdXmlFile(p.path.c_str()));
    EXPECT_NE(nullptr, reread.GetDataBlockInterface());
    for (const char *name : names)
        EXPECT_NE(std::string::npos, saved.find(std::string("name=\"") + name + "\"")) << name;
}

TEST(ProgramGui, ClosingTheFrameEndsTheDocumentAndItsViews) {
    size_t before = 0;
    {
        ProgramProject p;
        ASSERT_NE(nullptr, p.frame);
        before = App().GetDocManager()->GetDocumentsVector().size() - 1;
        // Close while a redraw is pending: the plan view's window goes with its view.
        p.plan->InvalidateMap();
        p.doc->Modify(false);
        p.frame->Close(true);
        p.frame = nullptr;
        PumpEvents(300);
        EXPECT_EQ(before, App().GetDocManager()->GetDocumentsVector().size());
    }
    PumpEvents(100);
    EXPECT_EQ(before, App().GetDocManager()->GetDocumentsVector().size());
}

// Saves the survey without GPS in use: opening it again changes nothing, so the program closes
// without asking to save.
void SaveWithoutGps(ProgramProject &p) {
    ASSERT_NE(nullptr, p.doc);
    p.doc->GetMapperSettings()->LocalWorld.EnableGPS = 0;
    p.doc->Modify(true);
    p.Command(ID_FILE_SAVE);
    ASSERT_FALSE(p.doc->IsModified()) << Sink().AllTexts();
}

// Runs the real program in a process of its own, with settings of its own, on the project named
// on its command line, ends it as a desktop does, and reads the first of its recent files.
void RunProgramOn(const std::string &project, std::string &recentFirst) {
    TempDir home;
    const std::string folder = home.File("config") + "/Brenwick/KVD_Edit";
    ASSERT_TRUE(EnsureFolder(folder));
    CProgramProcess program(home.File("config"), {project});
    ASSERT_TRUE(program.Started()) << ProgramPath();
    program.WaitForStartUp(folder + "/KVDGridView.ini", 30000);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int status = -1;
    ASSERT_TRUE(program.Terminate(20000, status))
        << "the program did not end after the termination request";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    CAppProfile profile(CAppProfile::PathIn(folder));
    recentFirst = profile.GetProfileString("Recent File List", "File1", "");
}

TEST(ProgramGui, ProgramOpensTheProjectNamedOnItsCommandLine) {
    ProgramProject p;
    ASSERT_NO_FATAL_FAILURE(SaveWithoutGps(p));
    std::string recent;
    ASSERT_NO_FATAL_FAILURE(RunProgramOn(p.path, recent));
    // The project was opened through the document manager: it heads the recent files.
    EXPECT_EQ(p.path, recent);
}

// Folders named in the user's language: the command line hands the program the bytes the file
// system names them by, which the toolkit cannot convert in the locale the tests run in.
TEST(ProgramGui, ProgramOpensAProjectInAFolderWithAnAccentedName) {
    ProgramProject p;
    ASSERT_NO_FATAL_FAILURE(SaveWithoutGps(p));
    const std::string saved = p.path.substr(0, p.path.find_last_of('/'));
    const std::string name = p.path.substr(p.path.find_last_of('/') + 1);
    struct Row {
        const char *what;
        std::string folder;
    };
    const std::vector<Row> rows = {{"UTF-8 folder name", "Pr\xC3\xBC"
                                                         "fung \xC3\xB1"},
                                   {"raw code page folder name", "GR\xDC"
                                                                 "N"}};
    TempDir copies;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        std::error_code ec;
        std::filesystem::copy(saved, copies.File(row.folder),
                              std::filesystem::copy_options::recursive, ec);
        ASSERT_FALSE(ec) << ec.message();
        const std::string project = copies.File(row.folder) + "/" + name;
        std::string recent;
        ASSERT_NO_FATAL_FAILURE(RunProgramOn(project, recent));
        EXPECT_EQ(project, recent)
            << "the project was opened and is remembered by the bytes of its path";
    }
}
