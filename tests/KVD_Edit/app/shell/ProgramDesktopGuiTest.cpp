// The editor program as a person starts it: in a process of its own, on a desktop with a window
// manager, with a project on its command line or none. What it prints at start-up, and the line
// table's width it comes back with.

#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/SplitterLayout.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/support/GridProject.h"
#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/ProgramProcess.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <sys/wait.h>
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
    std::string errors; // what it printed on its error output
    SSplitterLayout layout;
    std::string layoutText; // the line table's layout it stored when it closed
};

// Starts the program on desktop with settingsText as its INI file and args on its command line;
// a picture of the screen goes into the artifacts as picture (when not empty).
SStart StartAndEnd(const CDesktop &desktop, const std::string &settingsText,
                   const std::vector<std::string> &args, const std::string &picture) {
    TempDir home;
    const std::string folder = home.File("config") + "/Brenwick/KVD_Edit";
    EXPECT_TRUE(EnsureFolder(folder));
    const std::string ini = folder + "/KVDGridView.ini";
    if (!settingsText.empty())
        WriteFile(ini, settingsText);
    const std::string errors = home.File("errors.txt");
    SStart start;
    {
        CProgramProcess program(home.File("config"), args, {desktop.Display(), errors});
        EXPECT_TRUE(program.Started()) << ProgramPath();
        EXPECT_TRUE(program.WaitForStartUp(ini, 30000)) << "the program did not start";
        start.shown = !desktop.WaitForWindow(kTitle, 20000).IsEmpty();
        if (!picture.empty())
            SaveArtifact(desktop.Grab(), picture);
        int status = -1;
        start.ended = program.Terminate(20000, status) && WIFEXITED(status);
    }
    start.errors = ReadFile(errors);
    start.layoutText =
        CIniFile::ReadString(ini, SSplitterLayout::kSection, SSplitterLayout::kKey, std::string());
    start.layout = SSplitterLayout::Parse(start.layoutText);
    return start;
}

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
