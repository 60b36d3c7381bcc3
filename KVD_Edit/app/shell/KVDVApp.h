#pragma once

#include "KVD_Edit/app/shell/AppClock.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "KVD_Edit/app/shell/INIAccess.h"
#include "KVD_Edit/app/shell/KVDVAppLogic.h"
#include "KVD_Edit/app/shell/WxMessageSink.h"

#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

class CCodeLogger;
class CMainFrame;
class wxDocManager;
class wxDocTemplate;

// The application profile (recent files, usage clock) in the profile store of the settings
// folder; safe to use from the clock's worker thread.
class CAppProfileStore;
class CModalWindows;

// The one application object. It owns the INI access, the busy indicator, the usage clock and
// the document manager, runs start-up and shutdown and handles the application's commands.
class CKVDVApp : public wxApp {
public:
    CKVDVApp();
    ~CKVDVApp() override;

    bool OnInit() override;
    int OnExit() override;

    // The program's arguments as the system handed them over (paths spelled as on disk), kept
    // by main before the toolkit converts them in the locale, which drops every argument it
    // cannot convert (any name with an accent in the C locale).
    static void KeepFileSystemArguments(std::vector<std::string> args);

    // A termination request (logout, kill): the main window closes as a person would close it,
    // as soon as a person could. Not while a modal window (a question, a message box, a file
    // dialog) is up or long work is under way: they would go on with a main window that is gone.
    // Requests that come while one waits are one request. A request that comes while a close of
    // the main window asks its questions is answered by that close: the person's answers decide
    // (Cancel keeps the program), and no second close asks them again.
    void CloseWhenPossible();

    // Marks a close of the main window under way while it lives (the frame's close handler makes
    // one around its questions).
    class CCloseUnderWay {
    public:
        CCloseUnderWay();
        ~CCloseUnderWay();
        CCloseUnderWay(const CCloseUnderWay &) = delete;
        CCloseUnderWay &operator=(const CCloseUnderWay &) = delete;

    private:
        CKVDVApp *m_app;
    };
    // True while a close of the main window is under way.
    bool IsCloseUnderWay() const { return m_closesUnderWay > 0; }
    // True while a modal window of the program is up.
    bool IsModalWindowUp() const;

    // Services the other parts of the program reach through the application.
    INIAccess &GetINIAccess() { return m_iniAccess; }
    CBusyIndicator &GetBusyIndicator() { return *m_busyIndicator; }
    CAppClock &GetAppClock() { return m_appClock; }
    // The record the program font is made from at start-up: the INI access object's font, or
    // the system font when that has none.
    const SLogFont &GetProgramFontRecord() const { return m_programFontRecord; }
    IAppProfile &GetProfile();
    bool GetCheckGPSImport() const { return m_checkGPSImport; }
    void SetCheckGPSImport(bool on) { m_checkGPSImport = on; }
    std::string GetExeDir() const { return m_exeDir; }
    const std::string &GetIniPath() const { return m_iniPath; }
    const std::string &GetInternalName() const { return m_internalName; }
    const std::string &GetSoftwareDIP() const { return m_softwareDIP; }
    const std::string &GetProductVersion() const { return m_productVersion; }
    wxDocManager *GetDocManager() const { return m_docManager; }
    wxDocTemplate *GetDocTemplate() const { return m_docTemplate; }
    CMainFrame *GetMainFrame() const { return m_mainFrame; }

    // Commands of the application (the main frame routes its menu commands here).
    void OnFileNew();
    void OnFileOpen();
    void OnAppAbout();
    void OnHelpFinder();
    void OnHelpTroubleshootingmode();
    bool IsDiagnosticModeChecked() const;
    void OnVostrel();
    void OnOpenRecentFile(size_t index);

    // The part of File Open after the dialog: opens the project and remembers its folder as
    // FILE/MRUDirectory whether or not it opened. True when the project opened.
    bool OpenChosenProject(const std::string &path);
    // The folder File Open starts in.
    std::string GetOpenFileInitialDir();
    // Opens a project as the command line, a dropped file or the recent-file list asks.
    bool OpenDocumentFile(const std::string &path);

    // Writes "Vostrel.ini" beside the program and starts the feedback program.
    bool LaunchVostrel(CAppClock *clock, CCodeLogger *logger);

    // Path of the manual opened by the help commands.
    std::string GetHelpFilePath() const { return m_exeDir + "MANUAL/KVD_ViewHelp.pdf"; }

    // Longest wait of start-up and shutdown for the usage clock's worker.
    static constexpr int kClockWaitMs = 2000;

private:
    // Records the time of key and mouse input in the main window for the usage clock.
    class CInputFilter : public wxEventFilter {
    public:
        explicit CInputFilter(CKVDVApp &app) : m_app(app) {}
        int FilterEvent(wxEvent &event) override;

    private:
        CKVDVApp &m_app;
    };

    // Steps of start-up. Messages go to message boxes unless a sink is installed already.
    void UseMessageSink();
    // The version strings start-up cannot go on without; false (with a message) when missing.
    bool ReadVersionStrings();
    // Opens or creates the project the command line names; false when that failed.
    bool FollowCommandLine();
    // Start-up failed after the main frame was made: it goes again; false.
    bool DropMainFrame();
    bool RunShellCommand(const SCommandLineRequest &request);
    void RestoreWindowPlacement();
    void StartAppClock();
    void StopAppClock();
    void LoadRecentFiles();
    void SaveRecentFiles();

    SLogFont m_programFontRecord;
    INIAccess m_iniAccess;
    std::unique_ptr<CBusyIndicator> m_busyIndicator;
    std::unique_ptr<wxTimer> m_closeTimer; // asks again while a close must wait
    int m_closesUnderWay = 0;
    // Counts the modal windows where they open: the toolkit's message box runs a loop of its own,
    // which no event loop of ours shows.
    std::unique_ptr<CModalWindows> m_modalWindows;
    bool m_checkGPSImport = false;
    std::string m_exeDir;
    std::string m_iniPath;
    std::string m_internalName;
    std::string m_softwareDIP;
    std::string m_productVersion;
    std::unique_ptr<CAppProfileStore> m_profile;
    CAppClock m_appClock;

    wxDocManager *m_docManager = nullptr;
    wxDocTemplate *m_docTemplate = nullptr;
    CMainFrame *m_mainFrame = nullptr;
    CWxMessageSink m_messageSink;
    bool m_ownsMessageSink = false;
    CInputFilter m_inputFilter{*this};
    bool m_filterAdded = false;
};

// The running application object, or null when there is none (headless code and tests).
CKVDVApp *GetKVDVApp();
