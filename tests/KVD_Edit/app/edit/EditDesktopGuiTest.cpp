// The editing dialog as a person meets it: the program in a process of its own on a desktop
// with a window manager, reached by a click in the grid and F5, answered with real keys. Where
// it stands after an open that listed load errors, and how many messages a refused entry shows.

#include "KVD_Edit/app/edit/EditText.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/support/TestSupport.h"
#include "tests/support/gui/DemoProgram.h"
#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/ProgramProcess.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// The program's title: its main frame and its message boxes carry it.
constexpr const char *kTitle = "KVD_Edit";

#if defined(__SANITIZE_ADDRESS__)
constexpr int kOpens = 5;
#else
constexpr int kOpens = 10;
#endif

// Where a person clicks, from the main frame's top left (decorations included): the first
// grid row's line name.
const wxSize kFirstRow(130, 160);

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// One session of the program on a desktop.
class CSession {
public:
    CSession(const CDesktop &desktop, const std::string &config, const std::string &project,
             const std::string &errors)
        : m_desktop(desktop), m_config(config),
          m_program(config, {project}, {desktop.Display(), errors}) {}

    bool Start() { return m_program.WaitForStartUp(IniIn(m_config), 30000); }
    bool Key(const std::string &keys, int ms = 150) {
        const bool sent = RealKeyOn(m_desktop.Display(), keys);
        Sleep(ms);
        return sent;
    }
    bool Click(const wxPoint &at, int ms = 400) {
        const bool sent = RealClickOn(m_desktop.Display(), at);
        Sleep(ms);
        return sent;
    }
    void Type(const std::string &text) {
        for (char c : text)
            Key(c == '-'   ? std::string("minus")
                : c == '.' ? std::string("period")
                           : std::string(1, c),
                30);
    }
    // A message box of the program: its frame, empty when none came within timeoutMs.
    wxRect WaitForMessage(int timeoutMs) const {
        return m_desktop.WaitForWindow(kTitle, timeoutMs, 300, true, DIALOG_WINDOW);
    }
    // Answers the message box in front with Return; true when it went.
    bool AnswerMessage() {
        const int shown = m_desktop.CountWindows(kTitle, true, DIALOG_WINDOW);
        for (int attempt = 0; attempt < 5; ++attempt) {
            Key("Return", 0);
            for (int wait = 0; wait < 40; ++wait) {
                if (m_desktop.CountWindows(kTitle, true, DIALOG_WINDOW) < shown)
                    return true;
                Sleep(50);
            }
        }
        return false;
    }
    // The messages that come, one after another or one over another, each answered, until none
    // comes for a while.
    int CountMessages() {
        int count = 0;
        while (count < 4 && !WaitForMessage(count == 0 ? 5000 : 1500).IsEmpty()) {
            ++count;
            if (!AnswerMessage())
                break;
        }
        return count;
    }
    wxRect MainFrame() const {
        return m_desktop.WaitForWindow(kTitle, 10000, 300, true, NORMAL_WINDOW);
    }
    // Clicks the first grid row and presses F5: the editing dialog's frame, empty when it did
    // not come. A slow build may fill the grid after its frame shows: the click and the key are
    // sent again then.
    wxRect OpenEditing(const wxRect &main) {
        wxRect dialog;
        for (int attempt = 0; attempt < 3 && dialog.IsEmpty(); ++attempt) {
            Click(main.GetPosition() + kFirstRow, 500);
            Key("F5", 0);
            dialog = m_desktop.WaitForWindow(EditText::kCaption, 10000, 800, true);
        }
        return dialog;
    }
    bool CloseEditing() {
        Key("Escape", 0);
        return m_desktop.WaitForNoWindow(EditText::kCaption, 5000, true);
    }
    bool End() {
        int status = -1;
        return m_program.Terminate(20000, status);
    }

private:
    const CDesktop &m_desktop;
    std::string m_config;
    CProgramProcess m_program;
};

// The demo project as the run script makes it, open in the program on a desktop of its own,
// with a settings folder of its own.
struct SDemoSession {
    CDesktop desktop;
    TempDir data, home;
    std::unique_ptr<CSession> session;
    wxRect main; // the main frame once the program started

    ::testing::AssertionResult Start() {
        if (!desktop.Started())
            return ::testing::AssertionFailure() << desktop.Problem();
        const std::string project = WriteDemo(data.File("demo"));
        if (project.empty())
            return ::testing::AssertionFailure() << "the demo tool failed";
        const std::string config = home.File("config");
        if (!EnsureFolder(config + "/Brenwick/KVD_Edit"))
            return ::testing::AssertionFailure() << "no settings folder";
        session = std::make_unique<CSession>(desktop, config, project, home.File("errors.txt"));
        if (!session->Start())
            return ::testing::AssertionFailure() << "the program did not start";
        main = session->MainFrame();
        if (main.IsEmpty())
            return ::testing::AssertionFailure() << "no main frame came";
        return ::testing::AssertionSuccess();
    }
};

} // namespace

// Opened again and again after the list of load errors (one line's trace file is gone), the
// dialog stands over the main window every time, at the same place, and Cancel stores where
// it stood.
TEST(EditDesktop, StandsOverTheMainWindowAfterTheLoadErrors) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    const std::string project = WriteDemoWithoutATraceFile(data.File("demo"));
    ASSERT_FALSE(project.empty()) << "the demo tool failed";
    TempDir home;
    const std::string config = home.File("config");
    ASSERT_TRUE(EnsureFolder(config + "/Brenwick/KVD_Edit"));
    wxRect first;
    for (int open = 1; open <= kOpens; ++open) {
        SCOPED_TRACE("open " + std::to_string(open));
        CSession session(desktop, config, project, home.File("errors.txt"));
        ASSERT_TRUE(session.Start()) << "the program did not start";
        ASSERT_FALSE(session.WaitForMessage(30000).IsEmpty()) << "no list of load errors";
        ASSERT_TRUE(session.AnswerMessage());
        const wxRect main = session.MainFrame();
        ASSERT_FALSE(main.IsEmpty());
        const wxRect dialog = session.OpenEditing(main);
        ASSERT_FALSE(dialog.IsEmpty()) << "F5 showed no editing dialog";
        if (open == 1)
            SaveArtifact(desktop.Grab(), "EditDesktop_AfterLoadErrors");
        EXPECT_TRUE(main.Contains(dialog))
            << AsPlacement(dialog) << " is not over the main window " << AsPlacement(main);
        if (open == 1) {
            first = dialog;
            // Centred over the project's window, which fills the main window below its bars.
            EXPECT_NEAR(dialog.x + dialog.width / 2, main.x + main.width / 2, 40)
                << AsPlacement(dialog);
            EXPECT_NEAR(dialog.y + dialog.height / 2, main.y + main.height / 2, 80)
                << AsPlacement(dialog);
        } else {
            EXPECT_EQ(AsPlacement(first), AsPlacement(dialog)) << "it stands where it stood";
        }
        ASSERT_TRUE(session.CloseEditing()) << "Escape did not close the dialog";
        EXPECT_EQ(AsPlacement(dialog),
                  CIniFile::ReadString(IniIn(config), EditText::kPlacementSection,
                                       EditText::kPlacementKey, std::string()))
            << "Cancel stores where the dialog stood";
        EXPECT_TRUE(session.End());
    }
}

// Every refused entry of the dialog's number and name fields shows its message once, whether
// Enter or Tab ends it; the field holds its value again before the message shows, so the
// focus the message takes from the field refuses nothing more.
TEST(EditDesktop, ARefusedEntryShowsOneMessage) {
    SDemoSession demo;
    ASSERT_TRUE(demo.Start());
    CSession &session = *demo.session;
    const wxRect dialog = session.OpenEditing(demo.main);
    ASSERT_FALSE(dialog.IsEmpty()) << "F5 showed no editing dialog";

    // Points of the dialog, from its frame's top left: its tabs and its fields.
    struct SCase {
        const char *name;
        wxPoint tab;
        wxPoint field;
        const char *text;
    };
    const wxPoint name(49, 46), position(232, 46), length(312, 46), step(396, 46);
    const wxPoint middle(308, 155), xmin(209, 137), ymin(309, 189);
    const SCase cases[] = {
        {"name left empty", name, middle, ""},
        {"length of letters", length, middle, "abc"},
        {"length 0", length, middle, "0"},
        {"step of letters", step, middle, "abc"},
        {"step 0", step, middle, "0"},
        {"step -0.1", step, middle, "-0.1"},
        {"Xmin with a '-' inside", position, xmin, "1-2"},
        {"Ymin with a '-' inside", position, ymin, "1-2"},
    };
    for (const SCase &c : cases) {
        for (const char *end : {"Return", "Tab"}) {
            SCOPED_TRACE(std::string(c.name) + ", " + end);
            session.Click(dialog.GetPosition() + c.tab, 500);
            session.Click(dialog.GetPosition() + c.field, 300);
            session.Key("ctrl+a");
            session.Key("BackSpace");
            session.Type(c.text);
            session.Key(end, 0);
            EXPECT_EQ(1, session.CountMessages());
        }
    }
    SaveArtifact(demo.desktop.Grab(), "EditDesktop_AfterRefusedEntries");
    EXPECT_TRUE(session.CloseEditing());
    EXPECT_TRUE(session.End());
}

// Escape is Cancel wherever the keyboard stands in the dialog: in the name field with a name
// typed, and on each of its buttons, also on the one a Tab from a typed name reaches (the edit
// is applied as the field is left, which disables Preview, the button the Tab went to). Every
// Escape returns the project to what it was: the program then ends without asking to save.
TEST(EditDesktop, EscapeCancelsFromTheFieldAndFromEveryButton) {
    SDemoSession demo;
    ASSERT_TRUE(demo.Start());
    CSession &session = *demo.session;

    // Points of the dialog, from its frame's top left: the Position tab and its Xmin field.
    const wxPoint position(232, 46), xmin(209, 137);
    // The buttons stand in the order Undo, Preview, Cancel, OK after the tabs' controls; a
    // disabled one is passed over.
    struct SCase {
        const char *name;
        std::function<void(CSession &, const wxRect &)> reach;
    };
    const SCase cases[] = {
        {"the name field with a name typed", [](CSession &s, const wxRect &) { s.Type("Z9"); }},
        {"where a Tab from a typed name goes",
         [](CSession &s, const wxRect &) {
             s.Type("Z9");
             s.Key("Tab", 800);
         }},
        {"Undo, once a typed name was applied",
         [](CSession &s, const wxRect &) {
             s.Type("Z9");
             s.Key("Tab", 800);
             s.Key("shift+Tab", 300);
         }},
        {"Preview, after a typed position",
         [&](CSession &s, const wxRect &dialog) {
             s.Click(dialog.GetPosition() + position, 500);
             s.Click(dialog.GetPosition() + xmin, 300);
             s.Key("ctrl+a");
             s.Type("12.5");
             s.Key("Tab", 300); // Ymin
             s.Key("Tab", 300);
         }},
        {"Cancel", [](CSession &s, const wxRect &) { s.Key("Tab", 300); }},
        {"OK",
         [](CSession &s, const wxRect &) {
             s.Key("Tab");
             s.Key("Tab", 300);
         }},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        const wxRect dialog = session.OpenEditing(demo.main);
        ASSERT_FALSE(dialog.IsEmpty()) << "F5 showed no editing dialog";
        c.reach(session, dialog);
        SaveArtifact(demo.desktop.Grab(),
                     std::string("EditDesktop_EscapeFrom_") + std::to_string(&c - cases));
        ASSERT_TRUE(session.CloseEditing()) << "Escape did not cancel the dialog";
    }
    EXPECT_TRUE(session.End()) << "the program asked to save: an Escape kept an edit";
}
