#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/HelpErrDlg.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/app/shell/ManualOpener.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <wx/accel.h>
#include <wx/docview.h>
#include <wx/log.h>
#include <wx/menu.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sys/stat.h>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// The manual the build puts beside the program.
std::string ProgramManual() {
    return std::string(KVD_PROGRAM_DIR) + "/MANUAL/KVD_ViewHelp.pdf";
}

// Shows the help-error dialog, clears the messages and clicks its web link as a person does,
// then pumps events for ms.
void ClickWebLink(CHelpErrDlg &dialog, int ms) {
    dialog.Show();
    ASSERT_TRUE(FocusWindow(&dialog));
    wxWindow *link = dialog.FindWindow(1011);
    ASSERT_NE(nullptr, link);
    Sink().Clear();
    RealClick(link, wxPoint(link->GetSize().x / 2, link->GetSize().y / 2), 1, false, ms);
}

// The standard output of a shell command.
std::string Output(const std::string &command) {
    std::string text;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, got);
        pclose(pipe);
    }
    return text;
}

// Runs of white space (line ends of the laid-out text included) become one space.
std::string Collapse(const std::string &text) {
    std::string out;
    bool space = false;
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f') {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

// A menu entry as a person reads it: without the mnemonic, the key column, a key shown in
// brackets and the closing "...".
std::string PlainLabel(const wxString &label) {
    std::string text = wxMenuItem::GetLabelText(label).utf8_string();
    const size_t bracket = text.find('[');
    if (bracket != std::string::npos)
        text.erase(bracket);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0)
        text.erase(text.size() - 3);
    return text;
}

// Every command of a menu as its path ("Edit > GPS Data > Attach to Line"), and the keys its
// entries show.
void CollectCommands(wxMenu *menu, const std::string &path, std::set<std::string> &commands,
                     std::set<std::string> &keys) {
    for (wxMenuItem *item : menu->GetMenuItems()) {
        if (item->IsSeparator())
            continue;
        const std::string itemPath = path + " > " + PlainLabel(item->GetItemLabel());
        if (item->IsSubMenu()) {
            CollectCommands(item->GetSubMenu(), itemPath, commands, keys);
            continue;
        }
        commands.insert(itemPath);
        if (std::unique_ptr<wxAcceleratorEntry> key{item->GetAccel()})
            keys.insert(key->ToString().utf8_string());
    }
}

void CollectCommands(wxMenuBar *bar, std::set<std::string> &commands, std::set<std::string> &keys) {
    CMainFrame::ApplyAboutLabel(bar);
    for (size_t i = 0; i < bar->GetMenuCount(); ++i)
        CollectCommands(bar->GetMenu(i), bar->GetMenuLabelText(i).utf8_string(), commands, keys);
}

// A stand-in for the desktop's opener in a folder of its own: it records its arguments, one a
// line, in "asked" beside itself and ends with exitCode.
std::string WriteStandInOpener(const TempDir &dir, int exitCode) {
    const std::string script = dir.File(CManualOpener::kOpener);
    WriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + dir.File("asked.part") + "'\nmv '" +
                          dir.File("asked.part") + "' '" + dir.File("asked") + "'\nexit " +
                          std::to_string(exitCode) + "\n");
    chmod(script.c_str(), 0755);
    return dir.Path();
}

// Presses a help key (F1 unless named) in the main window as a person does.
void PressHelpKey(const std::string &key = "F1") {
    ASSERT_TRUE(RealInputAvailable());
    ASSERT_TRUE(FocusWindow(App().GetMainFrame()));
    ASSERT_TRUE(RealKey(key));
}

} // namespace

TEST(ManualGui, ManualBesideTheProgramIsAPdfOfTenPagesOrMore) {
    const std::string manual = ProgramManual();
    ASSERT_TRUE(FileExists(manual)) << manual << " was not built beside the program";
    EXPECT_EQ("%PDF-", ReadFile(manual).substr(0, 5));
    const std::string info = Output("pdfinfo '" + manual + "' 2>&1");
    const size_t at = info.find("Pages:");
    ASSERT_NE(std::string::npos, at) << "pdfinfo does not read it as a PDF:\n" << info;
    EXPECT_GE(std::stoi(info.substr(at + 6)), 10) << info;
}

// The commands come from the program's own menus, so a command added without a word about it
// in the manual fails here.
TEST(ManualGui, ManualNamesEveryMenuCommandAndItsKey) {
    App();
    std::set<std::string> commands, keys;
    std::unique_ptr<wxMenuBar> frameMenus{CMainFrame::CreateFrameMenuBar(nullptr)};
    std::unique_ptr<wxMenuBar> projectMenus{CMainFrame::CreateDocumentMenuBar(nullptr)};
    CollectCommands(frameMenus.get(), commands, keys);
    CollectCommands(projectMenus.get(), commands, keys);
    ASSERT_GT(commands.size(), 30u) << "the menus were not read";
    EXPECT_TRUE(commands.count("Edit > GPS Data > Attach to Line")) << "paths read wrongly";

    const std::string text =
        Collapse(Output("pdftotext -enc UTF-8 '" + ProgramManual() + "' - 2>&1"));
    ASSERT_NE(std::string::npos, text.find("KVD_Edit User Manual")) << text.substr(0, 400);
    for (const std::string &command : commands)
        EXPECT_NE(std::string::npos, text.find(command)) << "the manual does not name " << command;
    for (const std::string &key : keys)
        EXPECT_NE(std::string::npos, text.find(key)) << "the manual does not name the key " << key;
}

// Both help keys, with no project open: no window of the main frame holds the focus then.
TEST(ManualGui, F1AndShiftF1AskTheDesktopHandlerToOpenTheManual) {
    App();
    const std::string manual = App().GetHelpFilePath();
    ASSERT_TRUE(FileExists(manual)) << "the build copies the manual beside the test program";
    wxDocManager *manager = App().GetMainFrame()->GetDocumentManager();
    ASSERT_TRUE(!manager || !manager->GetCurrentDocument()) << "a project is open";
    for (const char *key : {"F1", "shift+F1"}) {
        SCOPED_TRACE(key);
        TempDir bin;
        const ScopedEnv path("PATH", WriteStandInOpener(bin, 0) + ":/usr/bin:/bin");
        AnswerNextModal([](wxDialog *dialog) { ADD_FAILURE() << dialog->GetTitle(); }, wxID_OK);

        PressHelpKey(key);
        ASSERT_TRUE(WaitFor([&] { return FileExists(bin.File("asked")); }, 5000))
            << key << " did not start the handler";
        EXPECT_EQ(manual + "\n", ReadFile(bin.File("asked")));
        PumpEvents(300);
        EXPECT_FALSE(ModalAnswered()) << "a handler that opened the manual is no failure";
    }
}

// A desktop without any handler, and one whose handler finds no PDF reader (xdg-open's code 3):
// the help-error dialog names the reason and the manual.
TEST(ManualGui, WithoutAWorkingHandlerF1ShowsTheHelpErrorDialog) {
    App();
    const std::string manual = App().GetHelpFilePath();
    ASSERT_TRUE(FileExists(manual));
    struct SCase {
        const char *name;
        bool opener;
        std::string reason;
    };
    const SCase cases[] = {
        {"no handler on PATH", false, CManualOpener::MissingOpenerText()},
        {"handler without a PDF reader", true, CManualOpener::FailureText(3)},
    };
    for (const SCase &row : cases) {
        SCOPED_TRACE(row.name);
        TempDir bin;
        // Without the stand-in the PATH names an empty folder only: the system's xdg-open
        // stays out of reach.
        const ScopedEnv path("PATH", row.opener ? WriteStandInOpener(bin, 3) + ":/usr/bin:/bin"
                                                : bin.Path());
        std::string caption, error;
        AnswerNextModal(
            [&](wxDialog *dialog) {
                caption = dialog->GetTitle().utf8_string();
                if (auto *help = dynamic_cast<CHelpErrDlg *>(dialog))
                    error = help->GetErrorText();
            },
            wxID_OK);
        PressHelpKey();
        ASSERT_TRUE(WaitFor([] { return ModalAnswered(); }, 5000)) << "no dialog appeared";
        EXPECT_EQ("Loading Error", caption);
        EXPECT_EQ(row.reason + "\nHelp File is " + manual, error);
        EXPECT_EQ(row.opener, FileExists(bin.File("asked")));
    }
}

// The help-error dialog that a failed opener of the manual brings up: its web link's failure is
// reported while the dialog is up, not held back until it closes.
TEST(ManualGui, WebLinkOfTheDialogAFailedOpenBroughtReportsWhileItIsUp) {
    App();
    TempDir bin;
    const ScopedEnv path("PATH", WriteStandInOpener(bin, 3) + ":/usr/bin:/bin");
    bool reported = false;
    AnswerNextModal(
        [&](wxDialog *dialog) {
            Sink().Clear();
            std::remove(bin.File("asked").c_str());
            PressButton(*dialog, 1011);
            ASSERT_TRUE(WaitFor([&] { return FileExists(bin.File("asked")); }, 5000))
                << "the link did not start the handler";
            reported = WaitFor([] { return !Sink().Messages().empty(); }, 5000);
        },
        wxID_OK);
    PressHelpKey();
    ASSERT_TRUE(WaitFor([] { return ModalAnswered(); }, 10000)) << "no dialog appeared";
    EXPECT_TRUE(reported) << "the web link's failure was held back while the dialog was up";
    PumpEvents(300);
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ(CHelpErrDlg::WebFailureText(3), Sink().Messages()[0].text);
}

// The help-error dialog's web link on a desktop without the handler: one report, once, that
// names what is missing (not the toolkit's own box as well).
TEST(ManualGui, WebLinkWithoutAHandlerReportsOneFailureNamingIt) {
    App();
    // Whatever the toolkit logs while the link is followed.
    struct SCountingLog : wxLog {
        int records = 0;
        void DoLogRecord(wxLogLevel, const wxString &, const wxLogRecordInfo &) override {
            ++records;
        }
    } log;
    wxLog *previous = wxLog::SetActiveTarget(&log);
    TempDir bin;
    {
        const ScopedEnv path("PATH", bin.Path());
        CHelpErrDlg dialog(App().GetMainFrame());
        ClickWebLink(dialog, 500);
        wxLog::FlushActive();
        dialog.Hide();
    }
    wxLog::SetActiveTarget(previous);
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ(CHelpErrDlg::WebFailureText(false), Sink().Messages()[0].text);
    EXPECT_NE(std::string::npos, Sink().Messages()[0].text.find(CManualOpener::kOpener));
    EXPECT_EQ(0, log.records) << "the toolkit reported the failure as well";
}

// The web link on a desktop whose handler takes the address and then fails (no browser): the
// failure is known only when the handler ends, and then reported once; a handler that shows
// the address is no failure.
TEST(ManualGui, WebLinkReportsAFailingHandlerOnceWhenItEnds) {
    App();
    struct SCase {
        const char *name;
        int exitCode;
        size_t messages;
    };
    const SCase cases[] = {
        {"handler shows the address", 0, 0},
        {"handler finds no browser", 3, 1},
        {"handler fails", 1, 1},
    };
    for (const SCase &row : cases) {
        SCOPED_TRACE(row.name);
        TempDir bin;
        const ScopedEnv path("PATH", WriteStandInOpener(bin, row.exitCode) + ":/usr/bin:/bin");
        CHelpErrDlg dialog(App().GetMainFrame());
        ClickWebLink(dialog, 200);
        ASSERT_TRUE(WaitFor([&] { return FileExists(bin.File("asked")); }, 5000))
            << "the link did not start the handler";
        EXPECT_EQ(std::string(CHelpErrDlg::kWebAddress) + "\n", ReadFile(bin.File("asked")));
        if (row.messages > 0) {
            EXPECT_TRUE(WaitFor([] { return !Sink().Messages().empty(); }, 5000))
                << "the failure was not reported";
        }
        // Long enough for the handler's end to be seen and a second report to come.
        PumpEvents(800);
        dialog.Hide();
        ASSERT_EQ(row.messages, Sink().Messages().size()) << Sink().AllTexts();
        if (row.messages > 0) {
            EXPECT_EQ(CHelpErrDlg::WebFailureText(row.exitCode), Sink().Messages()[0].text);
            EXPECT_EQ(0u, Sink().Messages()[0].text.rfind("Unable to load web site", 0));
        }
    }
}
