// The editor program as a person starts it: in a process of its own, on a desktop with a window
// manager, with a project on its command line or none. What it prints at start-up, and the line
// table's width it comes back with.

#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/SplitterLayout.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/support/GridProject.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/gui/DemoProgram.h"
#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GpsProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/ProgramProcess.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// The program's title: its main frame carries it.
constexpr const char *kTitle = "KVD_Edit";

// Ten X lines and ten Y lines of one grid: enough rows for the table to show its widths.
std::string WriteSurvey(const std::string &folder) {
    GridProjectLayout layout;
    for (int i = 0; i < 10; ++i) {
        GridLineLayout x;
        x.name = "X0" + std::to_string(i);
        x.positions = {{0, 2.0 * i + 1, 0, "m"}, {20, 2.0 * i + 1, 1, "m"}};
        x.final = 20;
        layout.lines.push_back(x);
        GridLineLayout y;
        y.name = "Y0" + std::to_string(i);
        y.positions = {{2.0 * i + 1, 0, 0, "m"}, {2.0 * i + 1, 20, 1, "m"}};
        y.final = 20;
        layout.lines.push_back(y);
    }
    const std::string path = WriteGridProject(folder, layout);
    AddCreatedByRecord(path);
    // Saved by the editor without GPS in use: opening it changes nothing, so that the program
    // closes without asking to save.
    SOpenProject open = OpenProject(path);
    EXPECT_NE(nullptr, open.doc) << Sink().AllTexts();
    if (open.doc) {
        open.doc->GetMapperSettings()->LocalWorld.EnableGPS = 0;
        open.doc->Modify(true);
        EXPECT_TRUE(open.doc->Save()) << Sink().AllTexts();
        EXPECT_FALSE(open.doc->IsModified());
    }
    CloseProject(open);
    return path;
}

// One start of the program and its end, as a desktop's termination request ends it.
struct SStart {
    bool shown = false; // its main frame came on the screen
    bool ended = false; // it ended by itself after the request
    wxRect frame;       // the main frame on the screen, decorations included, once settled
    std::string errors; // what it printed on its error output
    SSplitterLayout layout;
    std::string layoutText; // the line table's layout it stored when it closed
    std::string position;   // the frame's placement it stored when it closed
};

// What a frame on the screen is expected to come to.
using FFrameWanted = std::function<bool(const wxRect &)>;

// The main frame as it settles: the same for a second in a row and, when wanted is given, as
// wanted (a loaded machine gives a restored size its last correction a while after the window
// shows, once the open is done). Gives up after about 20 s with the last frame read.
wxRect SettledFrame(const CDesktop &desktop, const FFrameWanted &wanted = {}) {
    wxRect frame = desktop.WaitForWindow(kTitle, 5000, 0, true, NORMAL_WINDOW);
    for (int same = 0, read = 0; (same < 4 || (wanted && !wanted(frame))) && read < 80; ++read) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const wxRect now = desktop.WaitForWindow(kTitle, 1000, 0, true, NORMAL_WINDOW);
        same = now == frame ? same + 1 : 0;
        frame = now;
    }
    return frame;
}

// Starts the program on desktop with its settings under configHome and args on its command
// line, and ends it once its frame settled (as wanted, when given); a picture of the screen goes
// into the artifacts as picture (when not empty).
SStart StartAndEndIn(const CDesktop &desktop, const std::string &configHome,
                     const std::vector<std::string> &args, const std::string &picture,
                     const FFrameWanted &wanted = {}) {
    const std::string ini = IniIn(configHome);
    EXPECT_TRUE(EnsureFolder(SettingsFolder(configHome)));
    const std::string errors = configHome + "/../errors.txt";
    SStart start;
    {
        CProgramProcess program(configHome, args, {desktop.Display(), errors});
        EXPECT_TRUE(program.Started()) << ProgramPath();
        EXPECT_TRUE(program.WaitForStartUp(ini, 30000)) << "the program did not start";
        start.shown = !desktop.WaitForWindow(kTitle, 20000, 1000, true).IsEmpty();
        start.frame = SettledFrame(desktop, wanted);
        if (!picture.empty())
            SaveArtifact(desktop.Grab(), picture);
        int status = -1;
        start.ended = program.Terminate(20000, status) && WIFEXITED(status);
    }
    start.errors = ReadFile(errors);
    start.layoutText =
        CIniFile::ReadString(ini, SSplitterLayout::kSection, SSplitterLayout::kKey, std::string());
    start.layout = SSplitterLayout::Parse(start.layoutText);
    start.position = CIniFile::ReadString(ini, "GENERAL", "Window Position", std::string());
    return start;
}

// StartAndEndIn with a settings folder of its own, settingsText its INI file.
SStart StartAndEnd(const CDesktop &desktop, const std::string &settingsText,
                   const std::vector<std::string> &args, const std::string &picture,
                   const FFrameWanted &wanted = {}) {
    TempDir home;
    EXPECT_TRUE(EnsureFolder(SettingsFolder(home.File("config"))));
    if (!settingsText.empty())
        WriteFile(IniIn(home.File("config")), settingsText);
    return StartAndEndIn(desktop, home.File("config"), args, picture, wanted);
}

// Where the line table's first row lies below the top of the main frame's decorations.
constexpr int kFirstRowY = 160;

// The desktop's screen (Desktop.cpp's Xvfb screen).
const wxRect kScreen(0, 0, 1280, 1024);

// Starts of the program in a row: fewer when built with AddressSanitizer, where each start takes
// a few times as long and the test must stay well inside its time.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kStarts = 5;
constexpr bool kSanitizedBuild = true;
#else
constexpr int kStarts = 10;
constexpr bool kSanitizedBuild = false;
#endif

// The lines of text that contain what.
std::string LinesWith(const std::string &text, const std::string &what) {
    std::istringstream in(text);
    std::string line, found;
    while (std::getline(in, line))
        if (line.find(what) != std::string::npos)
            found += line + "\n";
    return found;
}

} // namespace

// The toolkit's complaints about sizes (a notebook or toolbar laid out below its minimum) come
// when a window is first shown under a window manager: a start prints none, with a project and
// without.
TEST(ProgramDesktop, StartsWithoutToolkitWarnings) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteSurvey(data.Path());
    struct SCase {
        const char *name;
        std::vector<std::string> args;
    };
    for (const SCase &c : {SCase{"no project", {}}, SCase{"a project", {project}}}) {
        SCOPED_TRACE(c.name);
        const SStart start = StartAndEnd(desktop, "", c.args, "");
        EXPECT_TRUE(start.shown);
        EXPECT_TRUE(start.ended) << "the program did not end after the termination request";
        EXPECT_EQ("", LinesWith(start.errors, "Gtk-CRITICAL")) << start.errors;
        EXPECT_EQ("", LinesWith(start.errors, "Gtk-WARNING")) << start.errors;
    }
}

// The line table takes the width the INI file keeps for it, fitted to the frame the person
// sees (the right pane keeps at least its 100 pixels), and 400 pixels without a stored width.
TEST(ProgramDesktop, LineTableTakesItsStoredOrDefaultWidth) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteSurvey(data.Path());
    const std::string wide = "Window Position=40,40,1240,940\n";
    const std::string narrow = "Window Position=40,40,640,740\n";
    struct SCase {
        const char *name;
        std::string settings;
        int left; // the line table's width; 0: the frame's width less the right pane's 100
    };
    const SCase cases[] = {
        {"first start", "", 400},
        {"no stored width", "[GENERAL]\n" + wide, 400},
        {"stored width", "[GENERAL]\n" + wide + "Grid_Window_Location=0, 0, 550, 150, 100\n", 550},
        {"stored width wider than the frame allows",
         "[GENERAL]\n" + narrow + "Grid_Window_Location=0, 0, 550, 150, 100\n", 0},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string picture =
            c.settings.empty() ? "ProgramDesktop_FirstStart" : std::string();
        const SStart start = StartAndEnd(desktop, c.settings, {project}, picture);
        ASSERT_TRUE(start.shown);
        ASSERT_TRUE(start.ended) << "the program did not end after the termination request";
        ASSERT_FALSE(start.layoutText.empty()) << "no layout stored at the close";
        if (c.left > 0) {
            EXPECT_EQ(c.left, start.layout.leftWidth) << start.layoutText;
        } else {
            // The splitter's sash takes a few pixels of the right pane's 100.
            EXPECT_GE(start.layout.rightWidth, SSplitterLayout::kMinRightWidth - 10)
                << start.layoutText;
            EXPECT_LT(start.layout.leftWidth, 550) << start.layoutText;
            EXPECT_GT(start.layout.leftWidth, 400) << start.layoutText;
        }
    }
}

// Started and closed again and again with one settings folder, the frame comes back with the
// same outer size at the same place, fully on the screen: what it stores is what it restores.
TEST(ProgramDesktop, KeepsItsSizeAndPlaceFromStartToStart) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteDemo(data.File("demo"));
    ASSERT_FALSE(project.empty()) << "the demo tool failed";
    TempDir home;
    const SStart first = StartAndEndIn(desktop, home.File("config"), {project}, "");
    ASSERT_TRUE(first.shown);
    ASSERT_TRUE(first.ended);
    EXPECT_TRUE(kScreen.Contains(first.frame)) << AsPlacement(first.frame);
    EXPECT_EQ(AsPlacement(first.frame), first.position) << "it stores the frame it showed";
    for (int start = 2; start <= kStarts; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        const SStart again =
            StartAndEndIn(desktop, home.File("config"), {project}, "",
                          [&](const wxRect &frame) { return frame == first.frame; });
        ASSERT_TRUE(again.shown);
        ASSERT_TRUE(again.ended);
        EXPECT_EQ(AsPlacement(first.frame), AsPlacement(again.frame));
        EXPECT_EQ(first.position, again.position);
    }
}

// Closed while maximised or minimised, the frame stores the rectangle of its normal state, and
// the next start shows it there, in its normal state: the person's size and place are not lost
// to the screen's.
TEST(ProgramDesktop, ClosedMaximisedOrMinimisedItKeepsItsNormalPlace) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteDemo(data.File("demo"));
    ASSERT_FALSE(project.empty()) << "the demo tool failed";
    const std::string stored = "100,80,900,680";
    struct SCase {
        const char *name;
        bool minimise;
    };
    for (const SCase &c : {SCase{"maximised by a double click on its title", false},
                           SCase{"minimised by a task bar", true}}) {
        SCOPED_TRACE(c.name);
        TempDir home;
        const std::string config = home.File("config");
        ASSERT_TRUE(EnsureFolder(SettingsFolder(config)));
        WriteFile(IniIn(config), "[GENERAL]\nWindow Position=" + stored + "\n");
        wxRect normal;
        {
            CProgramProcess program(config, {project},
                                    {desktop.Display(), home.File("errors.txt")});
            ASSERT_TRUE(program.WaitForStartUp(IniIn(config), 30000)) << "it did not start";
            normal =
                SettledFrame(desktop, [&](const wxRect &f) { return AsPlacement(f) == stored; });
            ASSERT_EQ(stored, AsPlacement(normal)) << "it did not start at its stored place";
            // The program reads its frame on timers of its own; a slow build reads the frame's
            // last correction at the start seconds after the screen shows it.
            std::this_thread::sleep_for(std::chrono::milliseconds(kSanitizedBuild ? 6000 : 2000));
            if (c.minimise) {
                ASSERT_TRUE(desktop.AskToMinimise(kTitle));
                ASSERT_TRUE(desktop.WaitForNoWindow(kTitle, 10000, true, NORMAL_WINDOW))
                    << "the frame was not minimised";
                // The program hears of its new state a while after the manager acted on it, on a
                // slow build later: the termination request is meant for a minimised frame.
                std::this_thread::sleep_for(
                    std::chrono::milliseconds(kSanitizedBuild ? 3000 : 500));
            } else {
                // Two clicks in the manager's double-click time; again while the frame stays.
                const wxPoint title(normal.x + normal.width / 2, normal.y + 8);
                wxRect maximised;
                for (int attempt = 0; attempt < 3 && maximised != kScreen; ++attempt) {
                    ASSERT_TRUE(RealClickOn(desktop.Display(), title));
                    ASSERT_TRUE(RealClickOn(desktop.Display(), title));
                    maximised = SettledFrame(desktop, [](const wxRect &f) { return f == kScreen; });
                }
                ASSERT_EQ(AsPlacement(kScreen), AsPlacement(maximised))
                    << "the double click did not maximise the frame";
                SaveArtifact(desktop.Grab(), "ProgramDesktop_Maximised");
            }
            int status = -1;
            ASSERT_TRUE(program.Terminate(20000, status)) << "it did not end";
        }
        EXPECT_EQ(stored,
                  CIniFile::ReadString(IniIn(config), "GENERAL", "Window Position", std::string()))
            << "it stores its normal rectangle";
        const SStart again = StartAndEndIn(desktop, config, {project}, "",
                                           [&](const wxRect &f) { return f == normal; });
        ASSERT_TRUE(again.shown);
        ASSERT_TRUE(again.ended);
        EXPECT_EQ(stored, AsPlacement(again.frame)) << "the next start shows the normal rectangle";
        EXPECT_EQ(stored, again.position);
    }
}

// A stored placement that lies off the screen, or is larger than it, is brought onto it: the
// whole frame shows, and it keeps the stored size where that fits.
TEST(ProgramDesktop, BringsAStoredPlacementOffTheScreenOntoIt) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    struct SCase {
        const char *name;
        const char *position;
        wxSize size; // the outer size it keeps; empty: the screen's
    };
    const SCase cases[] = {
        {"beyond the right and bottom edges", "2000,1500,3200,2400", wxSize(1200, 900)},
        {"above and left of the screen", "-900,-700,-100,-100", wxSize(800, 600)},
        {"larger than the screen", "-50,-50,2000,1600", wxSize()},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        const auto onTheScreen = [&](const wxRect &frame) {
            return kScreen.Contains(frame) &&
                   (c.size != wxSize()
                        ? frame.GetSize() == c.size
                        : frame.width * frame.height > kScreen.width * kScreen.height / 2);
        };
        const SStart start =
            StartAndEnd(desktop, std::string("[GENERAL]\nWindow Position=") + c.position + "\n", {},
                        "", onTheScreen);
        ASSERT_TRUE(start.shown);
        EXPECT_TRUE(start.ended);
        EXPECT_TRUE(kScreen.Contains(start.frame)) << AsPlacement(start.frame);
        if (c.size != wxSize())
            EXPECT_EQ(c.size, start.frame.GetSize()) << AsPlacement(start.frame);
        else
            EXPECT_GT(start.frame.width * start.frame.height, kScreen.width * kScreen.height / 2)
                << AsPlacement(start.frame);
        EXPECT_EQ(AsPlacement(start.frame), start.position) << "it stores the frame it showed";
    }
}

// A whole session with real input: the demo opened, the pointer over its plan, File > Close,
// Ctrl+N without a project and Escape in its file dialog, File > Exit. The toolkit and the
// drawing library print no complaint on the program's error output.
TEST(ProgramDesktop, SessionLeavesTheErrorOutputSilent) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteDemo(data.File("demo"));
    ASSERT_FALSE(project.empty()) << "the demo tool failed";
    TempDir home;
    const std::string config = home.File("config");
    ASSERT_TRUE(EnsureFolder(SettingsFolder(config)));
    const std::string errors = home.File("errors.txt");
    const std::string &display = desktop.Display();
    CProgramProcess program(config, {project}, {display, errors});
    ASSERT_TRUE(program.WaitForStartUp(IniIn(config), 30000)) << "the program did not start";
    const wxRect frame = desktop.WaitForWindow(kTitle, 20000, 1500, true);
    ASSERT_FALSE(frame.IsEmpty());

    // The plan view takes the frame's right part.
    const wxPoint plan(frame.x + frame.width * 3 / 4, frame.y + frame.height / 2);
    for (int step = 0; step < 5; ++step) {
        ASSERT_TRUE(RealMoveOn(display, plan + wxSize(8 * step, 5 * step)));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    SaveArtifact(desktop.Grab(), "ProgramDesktop_SessionPlan");
    const auto key = [&](const std::string &keys, int ms) {
        EXPECT_TRUE(RealKeyOn(display, keys)) << keys;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    // Each menu entry's key waits for its menu, which a loaded machine shows late.
    key("alt+f", 0);
    ASSERT_TRUE(desktop.WaitForMenu(true, 10000)) << "alt+f showed no File menu";
    key("c", 0); // Close
    EXPECT_TRUE(desktop.WaitForMenu(false, 10000)) << "the File menu stayed";
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    SaveArtifact(desktop.Grab(), "ProgramDesktop_SessionClosed");
    key("ctrl+n", 0);
    EXPECT_FALSE(desktop.WaitForWindow("Please select new KVD file", 20000, 500).IsEmpty())
        << "Ctrl+N showed no file dialog";
    // The file dialog takes the keyboard a moment after its window shows, later in a slow build:
    // Escape again until it goes.
    bool gone = false;
    for (int attempt = 0; attempt < 5 && !gone; ++attempt) {
        key("Escape", 0);
        gone = desktop.WaitForNoWindow("Please select new KVD file", 3000);
    }
    EXPECT_TRUE(gone) << "Escape did not close the file dialog";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    key("alt+f", 0);
    ASSERT_TRUE(desktop.WaitForMenu(true, 10000)) << "alt+f showed no File menu";
    key("x", 0); // Exit
    int status = -1;
    EXPECT_TRUE(program.WaitForEnd(20000, status)) << "File > Exit did not end the program";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const std::string text = ReadFile(errors);
    EXPECT_EQ("", LinesWith(text, "BUG")) << text;
    EXPECT_EQ("", LinesWith(text, "Gtk-CRITICAL")) << text;
    EXPECT_EQ("", LinesWith(text, "Gtk-WARNING")) << text;
}

// Right after a start without a project, a new project made from the toolbar's New button: the
// frame's first project window is drawn as the pointer comes back over the button, without a
// toolkit complaint.
TEST(ProgramDesktop, NewProjectRightAfterAStartIsSilent) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir home;
    const std::string config = home.File("config");
    ASSERT_TRUE(EnsureFolder(SettingsFolder(config)));
    const std::string errors = home.File("errors.txt");
    const std::string &display = desktop.Display();
    CProgramProcess program(config, {}, {display, errors});
    ASSERT_TRUE(program.WaitForStartUp(IniIn(config), 30000)) << "the program did not start";
    const wxRect frame = desktop.WaitForWindow(kTitle, 20000, 500, true);
    ASSERT_FALSE(frame.IsEmpty());
    const auto key = [&](const std::string &keys, int ms) {
        EXPECT_TRUE(RealKeyOn(display, keys)) << keys;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    // The New button, second on the toolbar.
    const wxPoint button(frame.x + 59, frame.y + 65);
    ASSERT_TRUE(RealMoveOn(display, button));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(RealClickOn(display, button));
    // The quiet time lets the dialog take the keyboard before the name is typed (later in a slow
    // build than its window shows).
    ASSERT_FALSE(desktop.WaitForWindow("Please select new KVD file", 20000, 2000).IsEmpty())
        << "the New button showed no file dialog";
    const std::string made = home.File("New.kvd");
    // A name typed before the dialog took the keyboard is lost in part: typed again over
    // whatever the entry holds until the dialog goes.
    bool gone = false;
    for (int attempt = 0; attempt < 3 && !gone; ++attempt) {
        if (attempt > 0)
            key("ctrl+a", 200);
        for (char c : made)
            key(c == '/'   ? std::string("slash")
                : c == '.' ? std::string("period")
                : c == '-' ? std::string("minus")
                           : std::string(1, c),
                10);
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the name's completion
        key("Return", 0);
        gone = desktop.WaitForNoWindow("Please select new KVD file", 5000);
    }
    EXPECT_TRUE(gone) << "the file dialog did not take the new project's name";
    for (int wait = 0; wait < 100 && !FileExists(made); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(FileExists(made)) << "File > New made no project";
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    SaveArtifact(desktop.Grab(), "ProgramDesktop_NewProject");
    int status = -1;
    EXPECT_TRUE(program.Terminate(20000, status));

    const std::string text = ReadFile(errors);
    EXPECT_EQ("", LinesWith(text, "Gtk-CRITICAL")) << text;
    EXPECT_EQ("", LinesWith(text, "Gtk-WARNING")) << text;
}

// ---- Termination requests while the program asks a question -----------------------------------

namespace {

// The number of "ModifiedBy" records of a project file's text.
int ModifiedByRecords(const std::string &text) {
    int count = 0;
    for (size_t at = text.find("<ModifiedBy"); at != std::string::npos;
         at = text.find("<ModifiedBy", at + 1))
        ++count;
    return count;
}

// The program on desktop with a project whose lines have GPS files beside them: the open asks
// to import the GPS data, and gpsAnswer is typed (yes, "Return", changes the project; no,
// "alt+n", leaves it unchanged). Messages of the program carry its title, as its main frame
// does.
class CGpsProjectRun {
public:
    CGpsProjectRun(const CDesktop &desktop, const std::string &gpsAnswer,
                   const std::string &picture)
        : m_desktop(desktop), m_project(WriteGpsProject(m_data.Path())) {
        EXPECT_FALSE(m_project.path.empty());
        EXPECT_TRUE(AddCreatedBy(m_project.path));
        m_before = ReadFile(m_project.path);
        const std::string config = m_home.File("config");
        EXPECT_TRUE(EnsureFolder(SettingsFolder(config)));
        m_program = std::make_unique<CProgramProcess>(
            config, std::vector<std::string>{m_project.path},
            SProgramPlace{desktop.Display(), m_home.File("errors.txt")});
        EXPECT_TRUE(m_program->WaitForStartUp(IniIn(config), 30000)) << "the program did not start";
        m_shown = WaitForWindows(2, 30000);
        EXPECT_TRUE(m_shown) << "the open asked no GPS question";
        if (!m_shown)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        Key(gpsAnswer, 0);
        m_shown = WaitForWindows(1, 20000);
        EXPECT_TRUE(m_shown) << "the GPS question stayed";
        m_frame = desktop.WaitForWindow(kTitle, 5000, 1500, true);
        SaveArtifact(desktop.Grab(), picture);
    }

    bool Shown() const { return m_shown; }
    CProgramProcess &Program() { return *m_program; }
    const wxRect &Frame() const { return m_frame; }
    const std::string &Project() const { return m_project.path; }
    const std::string &Before() const { return m_before; }
    std::string Errors() const { return ReadFile(m_home.File("errors.txt")); }

    void Key(const std::string &keys, int ms) const {
        EXPECT_TRUE(RealKeyOn(m_desktop.Display(), keys)) << keys;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    // Waits until the desktop shows count windows with the program's title.
    bool WaitForWindows(int count, int timeoutMs) const {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (m_desktop.CountWindows(kTitle) != count) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    // A person's close of the main window, File > Exit; true when "Save ... ?" came up.
    bool CloseAsAPerson() const {
        Key("alt+f", 0);
        if (!m_desktop.WaitForMenu(true, 10000))
            return false;
        Key("x", 0);
        if (!WaitForWindows(2, 20000))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(700)); // it takes the keyboard
        return true;
    }
    // Answers the question up with keys; true when the program then ended with status 0.
    bool AnswerAndEnd(const std::string &keys) {
        Key(keys, 0);
        int status = -1;
        const bool ended = m_program->WaitForEnd(20000, status);
        EXPECT_TRUE(ended) << "the answer did not end the program";
        EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    // Whether the program still runs after waiting ms.
    bool RunsAfter(int ms) {
        int status = -1;
        return !m_program->WaitForEnd(ms, status);
    }

private:
    const CDesktop &m_desktop;
    TempDir m_data;
    TempDir m_home;
    SGpsProject m_project;
    std::string m_before;
    std::unique_ptr<CProgramProcess> m_program;
    bool m_shown = false;
    wxRect m_frame;
};

} // namespace

// A close of the main window asks "Save ... ?"; termination requests that come meanwhile are
// answered by that close: no second question comes, and the program ends as the person answers
// (yes saves the project with one more modification record, no leaves the file as it was).
TEST(ProgramDesktop, TerminationRequestsDuringTheSaveQuestionLeaveTheAnswerToThePerson) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    struct SCase {
        const char *name;
        int requests;
        const char *answer;
        bool saves;
    };
    for (const SCase &row : {SCase{"yes after two requests", 2, "alt+y", true},
                             SCase{"no after one request", 1, "alt+n", false}}) {
        SCOPED_TRACE(row.name);
        CGpsProjectRun run(desktop, "Return", "ProgramDesktop_TerminationOpened");
        ASSERT_TRUE(run.Shown());
        ASSERT_TRUE(run.CloseAsAPerson()) << "File > Exit did not ask to save";
        for (int request = 0; request < row.requests; ++request) {
            ASSERT_TRUE(run.Program().RequestTermination());
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
        ASSERT_TRUE(run.RunsAfter(1000)) << "the program ended under its question";
        SaveArtifact(desktop.Grab(), "ProgramDesktop_TerminationDuringSaveQuestion");
        EXPECT_EQ(2, desktop.CountWindows(kTitle)) << "a second question came, or none stayed";
        ASSERT_TRUE(run.AnswerAndEnd(row.answer));
        const std::string after = ReadFile(run.Project());
        if (row.saves) {
            EXPECT_EQ(ModifiedByRecords(run.Before()) + 1, ModifiedByRecords(after));
            EXPECT_NE(run.Before(), after);
        } else {
            EXPECT_EQ(run.Before(), after) << "no changed the file";
        }
        EXPECT_EQ("", LinesWith(run.Errors(), "CRITICAL")) << run.Errors();
    }
}

// Cancel to the question of a close keeps the program, whatever request came meanwhile; a later
// request closes it, asking again.
TEST(ProgramDesktop, CancelToTheSaveQuestionKeepsTheProgramThroughATerminationRequest) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    CGpsProjectRun run(desktop, "Return", "ProgramDesktop_TerminationCancelOpened");
    ASSERT_TRUE(run.Shown());
    ASSERT_TRUE(run.CloseAsAPerson()) << "File > Exit did not ask to save";
    ASSERT_TRUE(run.Program().RequestTermination());
    // The program takes a request in from its event loop: on a slow build it may come to it a
    // while after the signal, and the answer is meant for a request it has taken in.
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    run.Key("Escape", 0); // Cancel
    EXPECT_TRUE(run.WaitForWindows(1, 10000)) << "the question stayed";
    EXPECT_TRUE(run.RunsAfter(1500)) << "the program ended although the person cancelled";
    EXPECT_EQ(1, desktop.CountWindows(kTitle)) << "the request asked again at once";
    EXPECT_EQ(run.Before(), ReadFile(run.Project()));

    ASSERT_TRUE(run.Program().RequestTermination());
    ASSERT_TRUE(run.WaitForWindows(2, 20000)) << "a later request did not close the window";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TerminationLaterRequestAsks");
    ASSERT_TRUE(run.AnswerAndEnd("alt+n"));
    EXPECT_EQ(run.Before(), ReadFile(run.Project()));
}

// A termination request while a command asks "Do you wish to include all lines?" (GPS data
// attached with one line selected) waits for the answer and the command, which changes the
// project; then the close asks to save it.
TEST(ProgramDesktop, TerminationRequestDuringACommandsQuestionWaitsForTheCommand) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    // The GPS data stay beside the lines, for the command to attach.
    CGpsProjectRun run(desktop, "alt+n", "ProgramDesktop_TerminationCommandOpened");
    ASSERT_TRUE(run.Shown());
    // The first row of the line table, at the left of the project window.
    const wxRect &frame = run.Frame();
    ASSERT_TRUE(RealClickOn(desktop.Display(), wxPoint(frame.x + 60, frame.y + kFirstRowY)));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // Edit > GPS Data > Attach to Line.
    run.Key("alt+e", 700);
    for (int item = 0; item < 7; ++item)
        run.Key("Down", 100);
    run.Key("Right", 400);
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TerminationCommandMenu");
    run.Key("Return", 0);
    ASSERT_TRUE(run.WaitForWindows(2, 20000)) << "the command asked nothing";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    ASSERT_TRUE(run.Program().RequestTermination());
    ASSERT_TRUE(run.RunsAfter(1500)) << "the program ended under the question";
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TerminationDuringCommandQuestion");
    EXPECT_EQ(2, desktop.CountWindows(kTitle)) << "the window closed under the question";
    run.Key("alt+n", 0); // the selected line only
    // The command goes on, and then the close asks to save.
    ASSERT_TRUE(run.WaitForWindows(1, 10000));
    ASSERT_TRUE(run.WaitForWindows(2, 20000)) << "the close did not come after the command";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TerminationAfterCommand");
    ASSERT_TRUE(run.AnswerAndEnd("alt+n"));
    EXPECT_EQ(run.Before(), ReadFile(run.Project()));
}

// After an open that listed load errors (a message box over the busy dialog, which steps aside
// for it), the frame stores where it stood, and comes back there at the next start: it does not
// creep by its decorations from start to start.
TEST(ProgramDesktop, KeepsItsPlaceFromStartToStartAfterAnOpenWithLoadErrors) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteDemoWithoutATraceFile(data.File("demo"));
    ASSERT_FALSE(project.empty()) << "the demo tool failed";
    TempDir home;
    const std::string config = home.File("config");
    ASSERT_TRUE(EnsureFolder(SettingsFolder(config)));
    std::string firstPosition;
    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        CProgramProcess program(config, {project}, {desktop.Display(), home.File("errors.txt")});
        ASSERT_TRUE(program.WaitForStartUp(IniIn(config), 30000)) << "the program did not start";
        ASSERT_FALSE(desktop.WaitForWindow(kTitle, 30000, 700, true, DIALOG_WINDOW).IsEmpty())
            << "the open listed no load errors";
        bool gone = false;
        for (int attempt = 0; attempt < 5 && !gone; ++attempt) {
            EXPECT_TRUE(RealKeyOn(desktop.Display(), "Return"));
            gone = desktop.WaitForNoWindow(kTitle, 3000, true, DIALOG_WINDOW);
        }
        ASSERT_TRUE(gone) << "the load-error list stayed";
        const wxRect frame = SettledFrame(desktop);
        int status = -1;
        ASSERT_TRUE(program.Terminate(20000, status));
        const std::string position =
            CIniFile::ReadString(IniIn(config), "GENERAL", "Window Position", std::string());
        EXPECT_EQ(AsPlacement(frame), position) << "it stores the frame it showed";
        if (start == 1)
            firstPosition = position;
        EXPECT_EQ(firstPosition, position);
    }
}

// ---- Two instances of the program on one project ----------------------------------------------

namespace {

// The names of the lines a project file's text holds, in their order.
std::vector<std::string> LineNames(const std::string &text) {
    std::vector<std::string> names;
    const std::string mark = "<Line name=\"";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
        const size_t start = at + mark.size();
        names.push_back(text.substr(start, text.find('"', start) - start));
    }
    return names;
}

bool Holds(const std::vector<std::string> &names, const std::string &name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// One instance of the program on desktop, started on project with settings of its own that place
// its main frame at frame.
class CInstance {
public:
    CInstance(const CDesktop &desktop, const std::string &project, const wxRect &frame)
        : m_desktop(desktop), m_frame(frame) {
        const std::string config = m_home.File("config");
        EXPECT_TRUE(EnsureFolder(SettingsFolder(config)));
        WriteFile(IniIn(config), "[GENERAL]\nWindow Position=" + AsPlacement(frame) + "\n");
        m_program = std::make_unique<CProgramProcess>(
            config, std::vector<std::string>{project},
            SProgramPlace{desktop.Display(), m_home.File("errors.txt")});
        m_started = m_program->WaitForStartUp(IniIn(config), 30000);
    }

    bool Started() const { return m_started; }
    CProgramProcess &Program() { return *m_program; }
    std::string Errors() const { return ReadFile(m_home.File("errors.txt")); }

    void Key(const std::string &keys, int ms = 300) const {
        EXPECT_TRUE(RealKeyOn(m_desktop.Display(), keys)) << keys;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    // Selects the line table's first row (the click gives this instance the keyboard), moves the
    // selection down by `down` rows and deletes the selected line with the Delete key.
    void DeleteRow(int down) const {
        const wxPoint row = m_frame.GetPosition() + wxSize(60, kFirstRowY);
        EXPECT_TRUE(RealClickOn(m_desktop.Display(), row));
        // On a slow machine the manager hands the keyboard over a while after the click.
        EXPECT_TRUE(m_desktop.WaitForKeyboardAt(row, 10000)) << "the click gave no keyboard";
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (int row = 0; row < down; ++row)
            Key("Down");
        Key("Delete", 1000);
    }

private:
    const CDesktop &m_desktop;
    wxRect m_frame;
    TempDir m_home;
    std::unique_ptr<CProgramProcess> m_program;
    bool m_started = false;
};

// Waits up to timeoutMs until the file at path no longer holds before; its text then.
std::string WaitForNewContent(const std::string &path, const std::string &before, int timeoutMs) {
    std::string now = ReadFile(path);
    for (int waited = 0; now == before && waited < timeoutMs; waited += 100) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        now = ReadFile(path);
    }
    return now;
}

// Waits up to timeoutMs until the desktop shows count message boxes of the program.
bool WaitForMessages(const CDesktop &desktop, int count, int timeoutMs) {
    for (int waited = 0; desktop.CountWindows(kTitle, true, DIALOG_WINDOW) != count; waited += 50) {
        if (waited >= timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace

// Two instances on one project, as two opens from the file manager give them: A deletes a line
// and saves, twice, and asks nothing (its own earlier write is no other program's). B deletes
// another line; its Save asks before writing over A's saves, and No leaves A's file as it was
// and B modified: its close at a termination request asks to save, and Yes there asks again,
// where No keeps B running, and Yes writes B's project over A's.
TEST(ProgramDesktop, TwoInstancesSecondSaveAsksBeforeUndoingTheFirst) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteSurvey(data.Path());
    const std::string opened = ReadFile(project);
    const std::vector<std::string> lines = LineNames(opened);
    ASSERT_EQ(20u, lines.size());

    // Side by side (a placement at the screen's very corner is left to the window manager).
    CInstance a(desktop, project, wxRect(10, 10, 620, 880));
    ASSERT_TRUE(a.Started()) << "A did not start";
    CInstance b(desktop, project, wxRect(650, 10, 620, 880));
    ASSERT_TRUE(b.Started()) << "B did not start";
    for (int waited = 0; desktop.CountWindows(kTitle, true, NORMAL_WINDOW) != 2 && waited < 20000;
         waited += 100)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(2, desktop.CountWindows(kTitle, true, NORMAL_WINDOW)) << "two main frames";
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TwoInstancesOpened");

    std::string saved = opened;
    for (int save = 1; save <= 2; ++save) {
        SCOPED_TRACE("A's save " + std::to_string(save));
        a.DeleteRow(0);
        a.Key("ctrl+s", 0);
        const std::string now = WaitForNewContent(project, saved, 20000);
        ASSERT_TRUE(saved != now) << "ctrl+s in A wrote nothing";
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        EXPECT_EQ(0, desktop.CountWindows(kTitle, true, DIALOG_WINDOW)) << "A's save asked";
        saved = now;
    }
    const std::vector<std::string> afterA = LineNames(saved);
    ASSERT_EQ(18u, afterA.size());
    const int recordsOfA = ModifiedByRecords(saved) - ModifiedByRecords(opened);

    b.DeleteRow(2);
    b.Key("ctrl+s", 0);
    ASSERT_TRUE(WaitForMessages(desktop, 1, 20000)) << "B's save did not ask";
    std::this_thread::sleep_for(std::chrono::milliseconds(700)); // it takes the keyboard
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TwoInstancesSecondSaveAsks");
    b.Key("alt+n", 0);
    ASSERT_TRUE(WaitForMessages(desktop, 0, 10000)) << "the question stayed";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(saved == ReadFile(project)) << "No wrote over A's save";

    // B is still modified: a termination request asks to save; Yes asks about A's write again.
    ASSERT_TRUE(b.Program().RequestTermination());
    ASSERT_TRUE(WaitForMessages(desktop, 1, 20000)) << "B's close did not ask to save";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TwoInstancesCloseAsks");
    b.Key("alt+y", 1500);
    ASSERT_TRUE(WaitForMessages(desktop, 1, 10000)) << "Yes to the close did not ask again";
    SaveArtifact(desktop.Grab(), "ProgramDesktop_TwoInstancesCloseSaveAsks");
    b.Key("alt+n", 0);
    ASSERT_TRUE(WaitForMessages(desktop, 0, 10000));
    int status = -1;
    EXPECT_FALSE(b.Program().WaitForEnd(1500, status)) << "B ended, its changes lost";
    EXPECT_TRUE(saved == ReadFile(project)) << "No wrote over A's save";

    // Yes to both questions writes B's project over A's, and B ends.
    ASSERT_TRUE(b.Program().RequestTermination());
    ASSERT_TRUE(WaitForMessages(desktop, 1, 20000)) << "B's close did not ask to save";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    b.Key("alt+y", 1500);
    ASSERT_TRUE(WaitForMessages(desktop, 1, 10000)) << "Yes to the close did not ask again";
    b.Key("alt+y", 0);
    ASSERT_TRUE(b.Program().WaitForEnd(20000, status)) << "B did not end after its save";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string ofB = ReadFile(project);
    const std::vector<std::string> afterB = LineNames(ofB);
    EXPECT_EQ(19u, afterB.size()) << "B's project: one line of its own deleted";
    for (const std::string &line : lines)
        if (!Holds(afterA, line)) {
            EXPECT_TRUE(Holds(afterB, line)) << line << ", deleted by A, is back";
        }
    // Each save adds the same records: B's file holds those of B's one save, not A's two.
    EXPECT_EQ(recordsOfA, 2 * (ModifiedByRecords(ofB) - ModifiedByRecords(opened)));

    // A has nothing left to save: it ends at a request without asking, and writes nothing.
    EXPECT_TRUE(a.Program().Terminate(20000, status)) << "A asked at its end";
    EXPECT_TRUE(ofB == ReadFile(project)) << "A's end wrote the project";
    EXPECT_EQ("", LinesWith(a.Errors() + b.Errors(), "Gtk-CRITICAL"));
    EXPECT_EQ("", LinesWith(a.Errors() + b.Errors(), "Gtk-WARNING"));
}

// ---- The desktop's opener -------------------------------------------------------------------

namespace {

// A stand-in for the desktop's opener in folder that finds no program for anything, as on a
// desktop without a PDF reader or browser: it names on its error output every program it tried,
// says a word on its output, and ends with xdg-open's code 3.
void WriteFailingOpener(const std::string &folder) {
    std::string script = "#!/bin/sh\n";
    for (const char *tried :
         {"x-www-browser", "firefox", "iceweasel", "seamonkey", "mozilla", "epiphany", "konqueror",
          "chromium", "google-chrome", "links2", "elinks", "links", "lynx", "w3m"})
        script += std::string("echo '/usr/bin/xdg-open: 869: ") + tried + ": not found' >&2\n";
    script += "echo 'xdg-open tried everything for '\"$1\"\nexit 3\n";
    const std::string path = folder + "/xdg-open";
    WriteFile(path, script);
    chmod(path.c_str(), 0755);
}

// The diagnostic log in a settings folder (its name carries the program's version).
std::string DiagnosticLog(const std::string &settingsFolder) {
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(settingsFolder, error))
        if (entry.path().extension() == ".log")
            return ReadFile(entry.path().string());
    return std::string();
}

} // namespace

// F1 and the help-error dialog's web link on a desktop whose opener finds no program: the person
// sees the program's own messages, the opener's lines go into the diagnostic log and none of
// them to the program's error output (the terminal it was started from).
TEST(ProgramDesktop, TheDesktopOpenersOutputGoesToTheLogNotTheTerminal) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir bin;
    WriteFailingOpener(bin.Path());
    const ScopedEnv path("PATH", bin.Path() + ":/usr/bin:/bin");
    TempDir home;
    const std::string config = home.File("config");
    ASSERT_TRUE(EnsureFolder(SettingsFolder(config)));
    const std::string errors = home.File("errors.txt");
    const std::string &display = desktop.Display();
    {
        CProgramProcess program(config, {}, {display, errors});
        ASSERT_TRUE(program.WaitForStartUp(IniIn(config), 30000)) << "the program did not start";
        ASSERT_FALSE(desktop.WaitForWindow(kTitle, 20000, 500, true).IsEmpty());
        const auto key = [&](const std::string &keys) {
            EXPECT_TRUE(RealKeyOn(display, keys)) << keys;
        };
        // Each key again until its window comes or goes: a loaded machine gives a new window the
        // keyboard late.
        wxRect help;
        for (int attempt = 0; attempt < 3 && help.IsEmpty(); ++attempt) {
            key("F1");
            help = desktop.WaitForWindow("Loading Error", 10000, 500, true);
        }
        ASSERT_FALSE(help.IsEmpty()) << "F1 showed no help-error dialog";
        SaveArtifact(desktop.Grab(), "ProgramDesktop_OpenerHelpError");
        // The web link holds the keyboard first.
        wxRect failed;
        for (int attempt = 0; attempt < 3 && failed.IsEmpty(); ++attempt) {
            key("space");
            failed = desktop.WaitForWindow(kTitle, 5000, 500, true, DIALOG_WINDOW);
        }
        ASSERT_FALSE(failed.IsEmpty()) << "the web link reported no failure";
        SaveArtifact(desktop.Grab(), "ProgramDesktop_OpenerWebFailure");
        for (int attempt = 0; attempt < 6 && desktop.CountWindows(kTitle, true, DIALOG_WINDOW);
             ++attempt) {
            key("Return");
            desktop.WaitForNoWindow(kTitle, 2000, true, DIALOG_WINDOW);
        }
        EXPECT_EQ(0, desktop.CountWindows(kTitle, true, DIALOG_WINDOW)) << "a message stayed";
        for (int attempt = 0; attempt < 3 && desktop.CountWindows("Loading Error"); ++attempt) {
            key("Escape");
            desktop.WaitForNoWindow("Loading Error", 3000, true);
        }
        int status = -1;
        EXPECT_TRUE(program.Terminate(20000, status));
    }
    const std::string text = ReadFile(errors);
    EXPECT_EQ("", LinesWith(text, "not found")) << text;
    EXPECT_EQ("", LinesWith(text, "tried everything")) << text;
    const std::string log = DiagnosticLog(SettingsFolder(config));
    const std::string opened = LinesWith(log, "xdg-open \"");
    EXPECT_NE(std::string::npos, LinesWith(opened, "KVD_ViewHelp.pdf").find("w3m: not found"))
        << "the manual's opener is not in the log:\n"
        << log;
    EXPECT_NE(std::string::npos,
              LinesWith(opened, "get.adobe.com").find("tried everything for https://"))
        << "the web link's opener is not in the log:\n"
        << log;
    EXPECT_NE(std::string::npos, opened.find("exit code 3")) << log;
}

namespace {

// The help-error dialog that a key brings up, once it has settled on the screen; empty when none
// came. Each key again until it comes: a loaded machine gives a new window the keyboard late.
wxRect HelpErrorAfter(const CDesktop &desktop, const std::string &keys) {
    wxRect help;
    for (int attempt = 0; attempt < 3 && help.IsEmpty(); ++attempt) {
        EXPECT_TRUE(RealKeyOn(desktop.Display(), keys)) << keys;
        help = desktop.WaitForWindow("Loading Error", 10000, 1000, true);
    }
    return help;
}

// Escape until no window of title is shown: a loaded machine takes a key late.
void CloseWithEscape(const CDesktop &desktop, const std::string &title) {
    for (int attempt = 0; attempt < 3 && desktop.CountWindows(title); ++attempt) {
        EXPECT_TRUE(RealKeyOn(desktop.Display(), "Escape"));
        desktop.WaitForNoWindow(title, 3000, true);
    }
    EXPECT_EQ(0, desktop.CountWindows(title)) << title << " stayed after Escape";
}

} // namespace

// The first help-error dialog of a process comes after the open's busy dialog went: it is laid
// out as every later one (the line naming the manual shown, its OK button whole), over the main
// window, and the toolkit prints no complaint about a size.
TEST(ProgramDesktop, TheFirstHelpErrorAfterAnOpenIsLaidOutAsTheNextOne) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteSurvey(data.Path());
    TempDir bin;
    WriteFailingOpener(bin.Path());
    const ScopedEnv path("PATH", bin.Path() + ":/usr/bin:/bin");
    TempDir home;
    const std::string config = home.File("config");
    ASSERT_TRUE(EnsureFolder(SettingsFolder(config)));
    const std::string errors = home.File("errors.txt");
    wxRect first, second, main;
    {
        CProgramProcess program(config, {project}, {desktop.Display(), errors});
        ASSERT_TRUE(program.WaitForStartUp(IniIn(config), 30000)) << "the program did not start";
        main = SettledFrame(desktop);
        ASSERT_FALSE(main.IsEmpty());
        first = HelpErrorAfter(desktop, "F1");
        ASSERT_FALSE(first.IsEmpty()) << "F1 showed no help-error dialog";
        SaveArtifact(desktop.Grab(), "ProgramDesktop_FirstHelpError");
        CloseWithEscape(desktop, "Loading Error");
        second = HelpErrorAfter(desktop, "F1");
        ASSERT_FALSE(second.IsEmpty()) << "the second F1 showed no help-error dialog";
        SaveArtifact(desktop.Grab(), "ProgramDesktop_SecondHelpError");
        CloseWithEscape(desktop, "Loading Error");
        int status = -1;
        EXPECT_TRUE(program.Terminate(20000, status));
    }
    EXPECT_EQ(second.GetSize(), first.GetSize())
        << "the first box is laid out otherwise than the next (a line or the button cut off)";
    // Over the main window: inside it, its middle in the main window's middle.
    const wxRect middle(main.x + main.width / 4, main.y + main.height / 4, main.width / 2,
                        main.height / 2);
    for (const wxRect &box : {first, second}) {
        EXPECT_TRUE(main.Contains(box)) << "not over the main window";
        EXPECT_TRUE(middle.Contains(wxPoint(box.x + box.width / 2, box.y + box.height / 2)))
            << "not over the main window's middle";
    }
    const std::string text = ReadFile(errors);
    EXPECT_EQ("", LinesWith(text, "Gtk-WARNING")) << text;
    EXPECT_EQ("", LinesWith(text, "Gtk-CRITICAL")) << text;
}

namespace {

// How many pixels of rect in picture are darker than the light background of a list or a map:
// the rows' texts, the map's lines.
int InkIn(const wxImage &picture, const wxRect &rect) {
    int ink = 0;
    const wxRect inside = rect.Intersect(wxRect(0, 0, picture.GetWidth(), picture.GetHeight()));
    for (int y = inside.GetTop(); y <= inside.GetBottom(); ++y)
        for (int x = inside.GetLeft(); x <= inside.GetRight(); ++x)
            if (picture.GetRed(x, y) + picture.GetGreen(x, y) + picture.GetBlue(x, y) < 3 * 160)
                ++ink;
    return ink;
}

} // namespace

// While the Create New dialog asks for the new project's file, the open project stays in front:
// the grid's rows and the plan view beside the dialog show what they showed before File > New.
TEST(ProgramDesktop, TheOpenProjectStaysDrawnBehindTheCreateNewDialog) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteSurvey(data.Path());
    TempDir home;
    const std::string config = home.File("config");
    ASSERT_TRUE(EnsureFolder(SettingsFolder(config)));
    // The whole screen, so that the dialog in its middle leaves the grid's first columns and the
    // plan view's right side in sight.
    WriteFile(IniIn(config), "[GENERAL]\nWindow Position=0,0,1280,1024\n");
    const std::string errors = home.File("errors.txt");
    CProgramProcess program(config, {project}, {desktop.Display(), errors});
    ASSERT_TRUE(program.WaitForStartUp(IniIn(config), 30000)) << "the program did not start";
    const wxRect main = SettledFrame(desktop);
    ASSERT_FALSE(main.IsEmpty());
    // The project as drawn once the screen holds still: a slow machine draws it a while after
    // the frame settles.
    wxImage before = desktop.Grab();
    for (int look = 0; look < 20; ++look) {
        wxMilliSleep(1000);
        const wxImage again = desktop.Grab();
        const size_t bytes = static_cast<size_t>(again.GetWidth()) * again.GetHeight() * 3;
        const bool still = again.GetSize() == before.GetSize() &&
                           std::memcmp(again.GetData(), before.GetData(), bytes) == 0;
        before = again;
        if (still)
            break;
    }
    const char *kDialog = "Please select new KVD file name and location";
    wxRect dialog;
    for (int attempt = 0; attempt < 3 && dialog.IsEmpty(); ++attempt) {
        EXPECT_TRUE(RealKeyOn(desktop.Display(), "ctrl+n"));
        dialog = desktop.WaitForWindow(kDialog, 10000, 1000, true);
    }
    ASSERT_FALSE(dialog.IsEmpty()) << "File > New showed no Create New dialog";
    const wxImage during = desktop.Grab();
    SaveArtifact(during, "ProgramDesktop_CreateNewOverTheProject");
    // The rows below the column headers left of the dialog, and the plan view right of it.
    const int top = main.y + kFirstRowY;
    const wxRect rows(main.x + 5, top, dialog.x - main.x - 10, 200);
    const wxRect map(dialog.GetRight() + 5, top, main.GetRight() - dialog.GetRight() - 10, 400);
    ASSERT_GT(rows.width, 20) << "the dialog covers the grid";
    ASSERT_GT(map.width, 20) << "the dialog covers the plan view";
    EXPECT_GT(InkIn(before, rows), 100) << "no rows drawn before File > New";
    EXPECT_GT(InkIn(before, map), 100) << "no map drawn before File > New";
    EXPECT_EQ(InkIn(before, rows), InkIn(during, rows)) << "the grid's rows went";
    EXPECT_EQ(InkIn(before, map), InkIn(during, map)) << "the plan view went";
    CloseWithEscape(desktop, kDialog);
    int status = -1;
    EXPECT_TRUE(program.Terminate(20000, status));
    const std::string text = ReadFile(errors);
    EXPECT_EQ("", LinesWith(text, "Gtk-CRITICAL")) << text;
    EXPECT_EQ("", LinesWith(text, "Gtk-WARNING")) << text;
}
