#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/shell/AboutDlg.h"
#include "KVD_Edit/app/shell/BusyDlg.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/HelpErrDlg.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/RegistryStore.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/KVD_Edit/app/document/DocumentDialogsScript.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/ProgramProcess.h"

#include <gtest/gtest.h>

#include <wx/dcclient.h>
#include <wx/dir.h>
#include <wx/docview.h>
#include <wx/filehistory.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include <chrono>
#include <sys/wait.h>
#include <thread>

using namespace kvdtest::gui;
using namespace KVDCmd;

namespace {

std::string IniPath() {
    return App().GetIniPath();
}

// The texts of the static texts of a window, joined by "|".
std::string StaticTexts(wxWindow *window) {
    std::string texts;
    for (wxWindow *child : window->GetChildren()) {
        if (auto *text = dynamic_cast<wxStaticText *>(child))
            texts += text->GetLabel().utf8_string() + "|";
    }
    return texts;
}

} // namespace

TEST(ShellGui, StartsAtTheStoredWindowPosition) {
    if (AppStarted())
        GTEST_SKIP() << "needs a process of its own (ctest runs each test alone)";
    // The settings folder of this test program, prepared before start-up.
    const std::string folder = GetSettingsFolderPath(GetProgramBaseName());
    ASSERT_TRUE(EnsureFolder(folder));
    ASSERT_TRUE(CIniFile::WriteString(folder + "/KVDGridView.ini", "GENERAL", "Window Position",
                                      "30,40,830,640"));
    CMainFrame *frame = App().GetMainFrame();
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(WaitFor([&] { return frame->GetPosition() == wxPoint(30, 40); }));
    EXPECT_EQ(wxSize(800, 600), frame->GetSize());
}

TEST(ShellGui, MainFrameHasMenusToolbarAndStatusPanes) {
    CMainFrame *frame = App().GetMainFrame();
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(frame, wxTheApp->GetTopWindow());
    EXPECT_EQ(kProgramTitle, frame->GetTitle());

    wxMenuBar *menus = frame->GetMenuBar();
    ASSERT_NE(nullptr, menus);
    ASSERT_EQ(3u, menus->GetMenuCount());
    EXPECT_EQ("&File", menus->GetMenuLabel(0));
    EXPECT_EQ("&View", menus->GetMenuLabel(1));
    EXPECT_EQ("&Help", menus->GetMenuLabel(2));
    for (int id : std::initializer_list<int>{
             ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_APP_EXIT, ID_DISPLAYUNITS_METERS,
             ID_DISPLAYUNITS_FEET, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_HELP_FINDER,
             ID_HELP_CONTACTINFO, ID_HELP_TROUBLESHOOTINGMODE, ID_APP_ABOUT})
        EXPECT_NE(nullptr, menus->FindItem(ToWxId(id))) << id;
    EXPECT_EQ("Create &New KVD for Grid Lines...\tCtrl+N", menus->GetLabel(ToWxId(ID_FILE_NEW)));

    wxToolBar *tools = frame->GetToolBar();
    ASSERT_NE(nullptr, tools);
    EXPECT_EQ(17, tools->GetToolsCount() - 6); // 17 buttons and 6 separators
    EXPECT_EQ(ToWxId(ID_FILE_OPEN), tools->GetToolByPos(0)->GetId());
    EXPECT_EQ(ToWxId(ID_HELP_FINDER), tools->GetToolByPos(tools->GetToolsCount() - 1)->GetId());

    wxStatusBar *status = frame->GetStatusBar();
    ASSERT_NE(nullptr, status);
    EXPECT_EQ(3, status->GetFieldsCount());

    // The document template pairs the project document with its plan view.
    wxDocTemplate *docTemplate = App().GetDocTemplate();
    ASSERT_NE(nullptr, docTemplate);
    EXPECT_EQ(CLASSINFO(CKVDVDoc), docTemplate->GetDocClassInfo());
    EXPECT_EQ(CLASSINFO(CKVDVView), docTemplate->GetViewClassInfo());
    ASSERT_NE(nullptr, App().GetDocManager()->GetFileHistory());
    EXPECT_EQ(4u, App().GetDocManager()->GetFileHistory()->GetMaxFiles());
    EXPECT_TRUE(App().GetDocManager()->GetDocuments().empty()); // no argument, no document

    const std::string shot = SaveScreenshot(frame, "ShellGui_MainFrame");
    EXPECT_FALSE(shot.empty());
}

TEST(ShellGui, StatusPanesTakeTheWidthOfTheirText) {
    CMainFrame *frame = App().GetMainFrame();
    wxStatusBar *status = frame->GetStatusBar();
    frame->SetStatusText(0, "Ready to edit");
    frame->SetStatusText(1, "");
    EXPECT_EQ(0, status->GetStatusWidth(1));
    EXPECT_EQ(wxSB_FLAT, status->GetStatusStyle(1));

    const char *gps = "E: 512345.67 N: 4987654.32";
    frame->SetStatusText(2, gps);
    // Room for the whole text beside the size grip at the bar's right-hand end.
    EXPECT_GE(status->GetStatusWidth(2),
              status->GetTextExtent(gps).x + status->GetSize().GetHeight());
    EXPECT_EQ(wxSB_NORMAL, status->GetStatusStyle(2));
    EXPECT_EQ(gps, status->GetStatusText(2));
    EXPECT_EQ(gps, frame->GetPaneText(2));
    // Positions in degrees carry the code page's degree sign, shown as such.
    frame->SetStatusText(2, "Lat: 45\xB0 30' N");
    EXPECT_EQ(wxString::FromUTF8("Lat: 45\xC2\xB0 30' N"), status->GetStatusText(2));

    // An empty text does not clear the message pane.
    frame->SetStatusText(0, "");
    EXPECT_EQ("Ready to edit", status->GetStatusText(0));
    frame->SetStatusText(1, "X: 12.50 m Y: 3.00 m");
    EXPECT_GT(status->GetStatusWidth(1), 0);
    SaveScreenshot(frame, "ShellGui_StatusPanes");
    frame->SetStatusText(1, "");
    frame->SetStatusText(2, "");
    EXPECT_EQ(0, status->GetStatusWidth(2));
}

TEST(ShellGui, AboutEntryNamesTheProgramOnceAMenuOpens) {
    CMainFrame *frame = App().GetMainFrame();
    wxMenuBar *menus = frame->GetMenuBar();
    EXPECT_EQ("&About KVD_View...", menus->GetLabel(ToWxId(ID_APP_ABOUT)));
    wxMenuEvent open(wxEVT_MENU_OPEN, 0, menus->GetMenu(2));
    open.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(open);
    EXPECT_EQ("&About KVD_Edit", menus->GetLabel(ToWxId(ID_APP_ABOUT)));
}

TEST(ShellGui, ContactInformationGoesToAnInformationBox) {
    CMainFrame *frame = App().GetMainFrame();
    Sink().Clear();
    wxCommandEvent command(wxEVT_MENU, ToWxId(ID_HELP_CONTACTINFO));
    frame->GetEventHandler()->ProcessEvent(command);
    ASSERT_EQ(1u, Sink().Messages().size());
    const auto &message = Sink().Messages()[0];
    EXPECT_EQ("Brenwick Contact Information", message.caption);
    EXPECT_EQ(ORQ::MB_ICONINFORMATION, message.style & ORQ::MB_ICONMASK);
    EXPECT_EQ(8, std::count(message.text.begin(), message.text.end(), '\n')); // nine lines
    EXPECT_NE(std::string::npos, message.text.find("Attn: Customer Service"));
}

TEST(ShellGui, DiagnosticModeSwitchesTheLoggerLevel) {
    CMainFrame *frame = App().GetMainFrame();
    ASSERT_NE(nullptr, g_pCodeLogger);
    g_pCodeLogger->SetLevel(1);
    wxCommandEvent command(wxEVT_MENU, ToWxId(ID_HELP_TROUBLESHOOTINGMODE));
    frame->GetEventHandler()->ProcessEvent(command);
    EXPECT_EQ(2, g_pCodeLogger->GetLevel());
    EXPECT_EQ(2, CIniFile::ReadInt(IniPath(), "CODE_LOGGER", "LOG_LEVEL", -1));
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(ToWxId(ID_HELP_TROUBLESHOOTINGMODE)));

    frame->GetEventHandler()->ProcessEvent(command);
    EXPECT_EQ(1, g_pCodeLogger->GetLevel());
    EXPECT_EQ(1, CIniFile::ReadInt(IniPath(), "CODE_LOGGER", "LOG_LEVEL", -1));
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_FALSE(frame->GetMenuBar()->IsChecked(ToWxId(ID_HELP_TROUBLESHOOTINGMODE)));

    g_pCodeLogger->SetLevel(0);
    frame->GetEventHandler()->ProcessEvent(command);
    EXPECT_EQ(1, g_pCodeLogger->GetLevel());
}

TEST(ShellGui, FileOpenRemembersTheFolderEvenWhenTheProjectFails) {
    App();
    kvdtest::TempDir dir;
    const std::string path = dir.File("broken.kvd");
    kvdtest::WriteFile(path, "not a project");
    Sink().Clear();
    App().OpenChosenProject(path);
    PumpEvents(50);
    EXPECT_EQ(dir.Path() + "/", CIniFile::ReadString(IniPath(), "FILE", "MRUDirectory", ""));
    EXPECT_EQ(dir.Path() + "/", App().GetOpenFileInitialDir());
    // The failure was reported and left no document behind.
    EXPECT_FALSE(Sink().Messages().empty());
    EXPECT_TRUE(App().GetDocManager()->GetDocuments().empty());
}

TEST(ShellGui, AboutBoxShowsTheProgramVersion) {
    App();
    std::string version, title, name;
    AnswerNextModal(
        [&](wxDialog *dialog) {
            auto *about = dynamic_cast<CAboutDlg *>(dialog);
            ASSERT_NE(nullptr, about);
            version = about->GetVersionText();
            name = about->GetProgramNameText();
            title = about->GetTitle().utf8_string();
            SaveScreenshot(dialog, "ShellGui_About");
        },
        wxID_OK);
    wxCommandEvent command(wxEVT_MENU, ToWxId(ID_APP_ABOUT));
    App().GetMainFrame()->GetEventHandler()->ProcessEvent(command);
    ASSERT_TRUE(ModalAnswered());
    EXPECT_EQ("Version 4 Release 1.1", version);
    EXPECT_EQ("KVD_Edit (64 bit)", name);
    EXPECT_EQ("About KVD_Edit (64 bit)", title);
}

TEST(ShellGui, MissingManualShowsTheHelpErrorDialog) {
    App();
    ASSERT_FALSE(wxFileExists(App().GetHelpFilePath()));
    std::string error, caption;
    AnswerNextModal(
        [&](wxDialog *dialog) {
            auto *help = dynamic_cast<CHelpErrDlg *>(dialog);
            ASSERT_NE(nullptr, help);
            error = help->GetErrorText();
            caption = dialog->GetTitle().utf8_string();
        },
        wxID_OK);
    wxCommandEvent command(wxEVT_MENU, ToWxId(ID_HELP_FINDER));
    App().GetMainFrame()->GetEventHandler()->ProcessEvent(command);
    ASSERT_TRUE(ModalAnswered());
    EXPECT_EQ("Loading Error", caption);
    EXPECT_NE(std::string::npos,
              error.find("\nHelp File is " + App().GetExeDir() + "MANUAL/KVD_ViewHelp.pdf"));
}

TEST(ShellGui, BusyDialogShowsWhileTheOutermostLevelIsOpen) {
    App();
    CBusyIndicator &busy = App().GetBusyIndicator();
    auto findBusy = [] {
        for (wxWindow *window : wxTopLevelWindows) {
            if (auto *dlg = dynamic_cast<CBusyDlg *>(window); dlg && dlg->IsShown())
                return dlg;
        }
        return static_cast<CBusyDlg *>(nullptr);
    };
    busy.Begin();
    CBusyDlg *dialog = findBusy();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("KVD_Edit Processing", dialog->GetTitle());
    EXPECT_NE(std::string::npos, StaticTexts(dialog).find("Processing data...\nPlease wait"));
    EXPECT_TRUE(wxIsBusy());
    SaveScreenshot(dialog, "ShellGui_Busy");

    busy.Begin();
    busy.End();
    EXPECT_EQ(dialog, findBusy());

    // Cancel only notes the request.
    wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
    dialog->GetEventHandler()->ProcessEvent(cancel);
    EXPECT_TRUE(busy.IsCancelled());
    EXPECT_EQ(dialog, findBusy());

    busy.End();
    EXPECT_EQ(nullptr, findBusy());
    EXPECT_FALSE(wxIsBusy());
}

TEST(ShellGui, NewDocumentOpensAChildFrameWithTwoPanes) {
    App();
    wxDocManager *manager = App().GetDocManager();
    // File New asks for the new project's name and starts it from the template.
    kvdtest::TempDir dir;
    ASSERT_TRUE(doctest::InstallTemplate(App().GetExeDir()));
    doctest::ScriptedDialogs dialogs;
    dialogs.newPath = dir.File("new.kvd");
    doctest::ScopedDialogs scripted(dialogs);
    wxCommandEvent command(wxEVT_MENU, ToWxId(ID_FILE_NEW));
    App().GetMainFrame()->GetEventHandler()->ProcessEvent(command);
    PumpEvents(100);
    ASSERT_EQ(1u, manager->GetDocuments().size());
    auto *doc = dynamic_cast<CKVDVDoc *>(manager->GetDocuments()[0]);
    ASSERT_NE(nullptr, doc);
    auto *view = dynamic_cast<CKVDVView *>(doc->GetFirstView());
    ASSERT_NE(nullptr, view);
    CChildFrame *frame = view->GetChildFrame();
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(doc, frame->GetKVDVDoc());
    EXPECT_NE(nullptr, frame->GetGridPane());
    EXPECT_NE(nullptr, frame->GetPlanPane());
    wxMenuBar *menus = frame->GetMenuBar();
    ASSERT_NE(nullptr, menus);
    for (int id : std::initializer_list<int>{
             ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_IMPORT_LINES, ID_DELETE_LINES, ID_EDIT_KVD,
             ID_SELECT_ALL_LINES, ID_DESELECT_ALL_LINES, ID_ZOOM_FIT, ID_PAN, ID_LINE_SETTINGS,
             ID_EDIT_GPS_FORMAT, ID_HELP_TROUBLESHOOTINGMODE})
        EXPECT_NE(nullptr, menus->FindItem(ToWxId(id))) << id;
    SaveScreenshot(App().GetMainFrame(), "ShellGui_NewDocument");
    EXPECT_TRUE(manager->CloseDocuments(true));
    PumpEvents(100);
    EXPECT_TRUE(manager->GetDocuments().empty());
}

TEST(ShellGui, ProgramShutsDownInOrderOnATerminationRequest) {
    // The real program in a process of its own, with settings of its own.
    kvdtest::TempDir home;
    const std::string config = home.File("config");
    const std::string folder = config + "/Brenwick/KVD_Edit";
    ASSERT_TRUE(EnsureFolder(folder));
    const std::string ini = folder + "/KVDGridView.ini";
    ASSERT_TRUE(CIniFile::WriteString(ini, "GENERAL", "Window Position", "50,60,850,660"));
    CProgramProcess program(config, {});
    ASSERT_TRUE(program.Started()) << ProgramPath();
    ASSERT_TRUE(program.WaitForStartUp(ini, 20000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // Forget the stored placement: the close must write it again.
    ASSERT_TRUE(CIniFile::WriteString(ini, "GENERAL", "Window Position", "removed"));

    int status = -1;
    ASSERT_TRUE(program.Terminate(15000, status))
        << "the program did not end after the termination request";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    // Placement stored, log written, clock stopped with its statistics saved.
    EXPECT_EQ("50,60,850,660", CIniFile::ReadString(ini, "GENERAL", "Window Position", ""));
    wxArrayString logs;
    wxDir::GetAllFiles(folder, &logs, "*.log", wxDIR_FILES);
    EXPECT_EQ(1u, logs.size());
    EXPECT_TRUE(CIniFile::HasKey(CAppProfile::PathIn(folder), "APPCLKSTATS", "Ver(4.1.1.0)"));
}

// A termination request that comes while a question is up (the GPS question of an open) closes
// the main window only once the question is answered: closed at once, the open would go on with a
// main window that is gone, and the program crashed when the question was answered.
TEST(ShellGui, TerminationRequestDuringAQuestionClosesTheWindowAfterIt) {
    CKVDVApp &app = App();
    wxWindow *const mainWindow = wxTheApp->GetTopWindow();
    // A window of its own stands for the main window, so that the harness keeps its own.
    wxWeakRef<wxFrame> top(new wxFrame(nullptr, wxID_ANY, "Top"));
    top->Show();
    wxTheApp->SetTopWindow(top.get());
    bool openDuringQuestion = false;
    {
        wxDialog question(top.get(), wxID_ANY, "Question");
        wxTimer ask, answer;
        ask.Bind(wxEVT_TIMER, [&](wxTimerEvent &) { app.CloseWhenPossible(); });
        answer.Bind(wxEVT_TIMER, [&](wxTimerEvent &) {
            openDuringQuestion = top && !top->IsBeingDeleted();
            question.EndModal(wxID_NO);
        });
        ask.StartOnce(100);
        answer.StartOnce(900);
        question.ShowModal();
    }
    EXPECT_TRUE(openDuringQuestion) << "the window closed under the question";
    EXPECT_TRUE(WaitFor([&] { return !top || top->IsBeingDeleted(); }, 3000))
        << "the window did not close after the question";
    wxTheApp->SetTopWindow(mainWindow);
    PumpEvents(100);
}

TEST(ShellGui, FeedbackLauncherWritesItsInfoFileAndReportsAMissingProgram) {
    App();
    const std::string ini = App().GetExeDir() + "Vostrel.ini";
    Sink().Clear();
    EXPECT_FALSE(App().LaunchVostrel(&App().GetAppClock(), g_pCodeLogger));
    ASSERT_EQ(1u, Sink().Messages().size());
    EXPECT_EQ(0u, Sink().Messages()[0].text.find(
                      "Unable to launch Vostrel Application, WinExec err=2\n\"" +
                      App().GetExeDir() + "Vostrel\" \""));
    EXPECT_EQ(GetProgramBaseName(), CIniFile::ReadString(ini, "AppInfo", "Name", ""));
    EXPECT_TRUE(CIniFile::HasKey(ini, "AppInfo", "Clk(s)"));
    EXPECT_EQ(0u, CIniFile::ReadString(ini, "AppInfo", "Stat", "").find("11, 5, 500"));
    EXPECT_NE(std::string::npos, CIniFile::ReadString(ini, "AppInfo", "Log", "").find("%, "));

    // Without clock and logger the values say so.
    Sink().Clear();
    EXPECT_FALSE(App().LaunchVostrel(nullptr, nullptr));
    EXPECT_FALSE(CIniFile::HasKey(ini, "AppInfo", "Clk(s)"));
    EXPECT_EQ("NA", CIniFile::ReadString(ini, "AppInfo", "Stat", ""));
    EXPECT_EQ("NA", CIniFile::ReadString(ini, "AppInfo", "Log", ""));
    std::remove(ini.c_str());
}

// Every button shows a picture (the theme's icon or our own, both with a transparent ground),
// not a boxed text label, and has its tooltip.
TEST(ShellGui, ToolbarButtonsShowPicturesAndTooltips) {
    CMainFrame *frame = App().GetMainFrame();
    ASSERT_NE(nullptr, frame);
    wxToolBar *tools = frame->GetToolBar();
    ASSERT_NE(nullptr, tools);
    int buttons = 0;
    for (size_t pos = 0; pos < tools->GetToolsCount(); ++pos) {
        const wxToolBarToolBase *tool = tools->GetToolByPos(static_cast<int>(pos));
        if (tool->IsSeparator())
            continue;
        ++buttons;
        SCOPED_TRACE(tool->GetLabel().utf8_string());
        EXPECT_FALSE(tool->GetShortHelp().empty());
        const wxBitmap bitmap = tool->GetNormalBitmap();
        ASSERT_TRUE(bitmap.IsOk());
        const wxImage image = bitmap.ConvertToImage();
        bool transparent = false;
        for (int y = 0; y < image.GetHeight() && !transparent; ++y)
            for (int x = 0; x < image.GetWidth() && !transparent; ++x)
                transparent =
                    image.HasAlpha() ? image.GetAlpha(x, y) == 0 : image.IsTransparent(x, y);
        EXPECT_TRUE(transparent) << "a boxed label instead of a picture";
    }
    EXPECT_EQ(17, buttons);
    for (const char *name : {"Import", "Delete", "Edit", "LocalGlobal", "Metres", "Feet",
                             "LineSettings", "Fiducials", "ZoomArea", "Pan"}) {
        EXPECT_TRUE(wxFileExists(wxString::FromUTF8(GetProgramFolder() + "Tool" + name + ".png")))
            << name;
        EXPECT_TRUE(
            wxFileExists(wxString::FromUTF8(GetProgramFolder() + "Tool" + name + "@2x.png")))
            << name;
    }
    EXPECT_FALSE(SaveScreenshot(tools, "ShellGui_Toolbar").empty());
}

// Files added while the program runs join the recent-file block above Close and Exit instead
// of landing below Exit.
TEST(ShellGui, RecentFilesStayInOneBlockAboveExit) {
    CMainFrame *frame = App().GetMainFrame();
    ASSERT_NE(nullptr, frame);
    wxFileHistory *history = App().GetDocManager()->GetFileHistory();
    ASSERT_NE(nullptr, history);
    kvdtest::TempDir dir;
    for (const char *name : {"a.kvd", "b.kvd", "c.kvd"})
        history->AddFileToHistory(wxString::FromUTF8(dir.File(name)));
    history->RemoveFileFromHistory(1);
    history->AddFileToHistory(wxString::FromUTF8(dir.File("d.kvd")));

    wxMenu *file = frame->GetMenuBar()->GetMenu(0);
    const int first = ToWxId(ID_FILE_MRU_FILE1);
    std::vector<std::string> shape; // "N" for a recent file, "-" a separator, else the label
    for (size_t pos = 0; pos < file->GetMenuItemCount(); ++pos) {
        const wxMenuItem *item = file->FindItemByPosition(pos);
        if (item->IsSeparator())
            shape.push_back("-");
        else if (item->GetId() >= first && item->GetId() < first + 4)
            shape.push_back(std::to_string(item->GetId() - first + 1));
        else
            shape.push_back(item->GetItemLabel().utf8_string());
    }
    const std::vector<std::string> expected = {"Create &New KVD for Grid Lines...\tCtrl+N",
                                               "&Open...\tCtrl+O",
                                               "-",
                                               "1",
                                               "2",
                                               "3",
                                               "-",
                                               "&Close",
                                               "E&xit"};
    EXPECT_EQ(expected, shape);
    EXPECT_EQ(history->GetHistoryFile(0).utf8_string(), dir.File("d.kvd"));
    EXPECT_NE(file->FindItem(first)->GetItemLabel().Find("d.kvd"), wxNOT_FOUND);
    EXPECT_NE(file->FindItem(first + 2)->GetItemLabel().Find("a.kvd"), wxNOT_FOUND);
}

// The keys that stand in no menu: print, help, the editing dialog and the two pane keys.
TEST(ShellGui, AcceleratorsReachPrintAndThePanes) {
    const std::vector<wxAcceleratorEntry> entries = CMainFrame::AcceleratorEntries();
    const wxAcceleratorTable keys(static_cast<int>(entries.size()), entries.data());
    auto command = [&keys](int code, bool ctrl, bool shift) {
        wxKeyEvent key(wxEVT_KEY_DOWN);
        key.m_keyCode = code;
        key.m_controlDown = ctrl;
        key.m_shiftDown = shift;
        return keys.GetCommand(key);
    };
    EXPECT_EQ(ToWxId(ID_FILE_PRINT), command('P', true, false));
    EXPECT_EQ(ToWxId(ID_NEXT_PANE), command(WXK_F6, false, false));
    EXPECT_EQ(ToWxId(ID_PREV_PANE), command(WXK_F6, false, true));
    EXPECT_EQ(ToWxId(ID_EDIT_KVD), command(WXK_F5, false, false));
    EXPECT_EQ(ToWxId(ID_HELP), command(WXK_F1, false, false));
    EXPECT_EQ(-1, command('P', false, false));
}
