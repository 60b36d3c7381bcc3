#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/RecentFileHistory.h"

#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/lines/LineOffsetDlg.h"
#include "KVD_Edit/app/shell/AboutDlg.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/app/shell/ManualOpener.h"
#include "KVD_Edit/app/shell/RegistryValues.h"
#include "KVD_Edit/app/shell/VersionInfo.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/platform/RegistryStore.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "KVD_Edit/platform/WxText.h"

#include "KVD3/LineOffsetDlg.h"
#include "orq_utils/FileGroupReplacement.h"

#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/docmdi.h>
#include <wx/docview.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/stdpaths.h>
#include <wx/thread.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <list>
#include <mutex>

// ---------------------------------------------------------------------------------------------

// The application profile of the settings folder. Calls come from the UI thread and the usage
// clock's worker; one lock serialises them.
class CAppProfileStore : public IAppProfile {
public:
    void SetPath(const std::string &path) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_profile = std::make_unique<CAppProfile>(path);
    }
    int GetProfileInt(const std::string &section, const std::string &entry,
                      int defaultValue) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_profile ? m_profile->GetProfileInt(section, entry, defaultValue) : defaultValue;
    }
    bool WriteProfileInt(const std::string &section, const std::string &entry, int value) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_profile && m_profile->WriteProfileInt(section, entry, value);
    }
    std::string GetProfileString(const std::string &section, const std::string &entry,
                                 const std::string &defaultValue) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_profile ? m_profile->GetProfileString(section, entry, defaultValue) : defaultValue;
    }
    bool WriteProfileString(const std::string &section, const std::string &entry,
                            const std::string &value) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_profile && m_profile->WriteProfileString(section, entry, value);
    }

private:
    std::mutex m_mutex;
    std::unique_ptr<CAppProfile> m_profile;
};

// The modal windows up: each dialog from the moment its modal show begins until it ends. A dialog
// whose show another hook preempted never gets its end: it counts only while it lives.
class CModalWindows : public wxModalDialogHook {
public:
    bool AnyUp() {
        m_shown.remove_if([](const wxWeakRef<wxDialog> &dialog) { return !dialog; });
        return !m_shown.empty();
    }

protected:
    int Enter(wxDialog *dialog) override {
        m_shown.emplace_back(dialog);
        return wxID_NONE;
    }
    void Exit(wxDialog *dialog) override {
        const auto found = std::find_if(m_shown.begin(), m_shown.end(),
                                        [&](const wxWeakRef<wxDialog> &d) { return d == dialog; });
        if (found != m_shown.end())
            m_shown.erase(found);
    }

private:
    std::list<wxWeakRef<wxDialog>> m_shown;
};

namespace {

// The document manager keeps four recent files under the framework's recent-file commands.
class CKVDVDocManager : public wxDocManager {
public:
    // Initialize() runs after construction, so that the recent-file list below is the one made.
    CKVDVDocManager() : wxDocManager(0, false) {}
    wxFileHistory *OnCreateFileHistory() override {
        return new CRecentFileHistory(4, KVDCmd::ToWxId(KVDCmd::ID_FILE_MRU_FILE1));
    }
};

constexpr const char *kRecentSection = "Recent File List";

// A termination request (logout, kill) closes the main window as the user would.
void OnTerminateSignal(int) {
    if (wxTheApp) {
        wxTheApp->CallAfter([] {
            if (CKVDVApp *app = GetKVDVApp())
                app->CloseWhenPossible();
        });
    }
}

// How often a close that must wait asks again.
constexpr int kCloseRetryMs = 200;

void CloseTopWindow() {
    // Not forced: the person's answer to a question of the close (Cancel) keeps the window.
    if (wxWindow *top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr)
        top->Close(false);
}

// Closes the main window once a person could.
class CCloseWhenPossible : public wxTimer {
public:
    void Notify() override {
        if (CKVDVApp *app = GetKVDVApp())
            app->CloseWhenPossible();
        else
            Stop();
    }
};

} // namespace

CKVDVApp *GetKVDVApp() {
    return dynamic_cast<CKVDVApp *>(wxApp::GetInstance());
}

CKVDVApp::CKVDVApp()
    : m_busyIndicator(std::make_unique<CBusyIndicator>()),
      m_profile(std::make_unique<CAppProfileStore>()) {
    SetAppName(kProgramTitle);
    SetAppDisplayName(kProgramTitle);
    m_appClock.SetProfile(m_profile.get());
    // A busy dialog kept for work that an operation posted goes once the program has nothing
    // left to do.
    Bind(wxEVT_IDLE, [this](wxIdleEvent &event) {
        event.Skip();
        if (!m_busyIndicator || !m_busyIndicator->IsKept())
            return;
        if (HasPendingEvents()) {
            event.RequestMore();
            return;
        }
        if (m_busyIndicator->IdleAsksForMore())
            event.RequestMore();
    });
}

CKVDVApp::~CKVDVApp() {
    if (m_modalWindows)
        m_modalWindows->Unregister();
    m_busyIndicator->EndAll();
    m_busyIndicator.reset();
}

IAppProfile &CKVDVApp::GetProfile() {
    return *m_profile;
}

bool CKVDVApp::OnInit() {
    UseMessageSink();
    // A window the manager lets go (the busy dialog at the work's end) lays out no later one.
    WindowSystem::IgnoreFrameSizesOfHiddenWindows();
    m_modalWindows = std::make_unique<CModalWindows>();
    m_modalWindows->Register();
    // The project library asks for a line offset through the program's dialog.
    ORQ::CLineOffsetDlg::SetPresenter(&LineOffsetDlg::Present);
    // A wait for a line another program writes keeps the busy dialog alive.
    ORQ::CFileGroupReplacement::SetWaitHook([] {
        if (wxIsMainThread())
            BusyTick();
    });
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxInitAllImageHandlers();

    // Program folder and settings folder with the INI file.
    m_exeDir = GetProgramFolder();
    std::string settingsFolder;
    MakeSettingsFolder(GetProgramBaseName(), &settingsFolder);
    m_iniPath = settingsFolder + "/KVDGridView.ini";
    m_iniAccess.Initialize(m_iniPath, false);

    // Application profile: recent files and the usage clock.
    m_profile->SetPath(CAppProfile::PathIn(settingsFolder));

    // The document template: project document, child frame, plan view.
    m_docManager = new CKVDVDocManager();
    m_docManager->Initialize();
    m_docTemplate =
        new wxDocTemplate(m_docManager, "KVD file", "*.kvd;*.KVD", "", "kvd", "KVDV.Document",
                          "KVDV.View", CLASSINFO(CKVDVDoc), CLASSINFO(CKVDVView));
    LoadRecentFiles();

    // Main frame.
    m_mainFrame = new CMainFrame();
    if (!m_mainFrame->Create(m_docManager))
        return DropMainFrame();
    SetTopWindow(m_mainFrame);
    if (!ReadVersionStrings())
        return DropMainFrame();
    // Dropped files open as projects; the desktop file passes shell open requests as argument.
    m_mainFrame->DragAcceptFiles(true);
    if (!FollowCommandLine())
        return DropMainFrame();

    // Placed before it is shown: the frame comes up where it was, without a jump.
    RestoreWindowPlacement();
    m_mainFrame->Show(true);
    m_mainFrame->Update();
    if (!m_iniAccess.GetLogFont(m_programFontRecord))
        m_programFontRecord = m_iniAccess.GetSystemLogfont();

    wxEvtHandler::AddFilter(&m_inputFilter);
    m_filterAdded = true;
    StartAppClock();

    delete g_pCodeLogger;
    g_pCodeLogger = new CCodeLogger(m_iniAccess.GetIniPath(), std::string(), &m_appClock);

    SetSignalHandler(SIGTERM, &OnTerminateSignal);
    SetSignalHandler(SIGHUP, &OnTerminateSignal);
    return true;
}

void CKVDVApp::UseMessageSink() {
    // Messages go to message boxes unless someone (a test) installed a sink already.
    if (ORQ::IMessageSink *current = ORQ::SetMessageSink(nullptr)) {
        ORQ::SetMessageSink(current);
    } else {
        ORQ::SetMessageSink(&m_messageSink);
        m_ownsMessageSink = true;
    }
}

bool CKVDVApp::DropMainFrame() {
    m_mainFrame->Destroy();
    m_mainFrame = nullptr;
    return false;
}

bool CKVDVApp::ReadVersionStrings() {
    CVersionInfo info;
    std::string internalName, dip, product;
    if (info.Load(nullptr) < 0 || !info.GetString(4, internalName) || !info.GetString(11, dip) ||
        !info.GetString(10, product)) {
        ORQ::ShowMessage("Unable to retrieve File Properties");
        return false;
    }
    m_internalName = internalName;
    m_softwareDIP = dip;
    m_productVersion = product;
    return true;
}

namespace {

std::vector<std::string> &FileSystemArguments() {
    static std::vector<std::string> args;
    return args;
}

} // namespace

void CKVDVApp::KeepFileSystemArguments(std::vector<std::string> args) {
    FileSystemArguments() = std::move(args);
}

bool CKVDVApp::FollowCommandLine() {
    // The toolkit's own command-line parsing is not used: the arguments are a project path.
    std::vector<std::string> args = FileSystemArguments();
    if (args.empty())
        for (int i = 1; i < argc; ++i)
            args.push_back(PathFromWx(argv[i]));
    const SCommandLineRequest request = CutCommandLine(args);
    m_checkGPSImport = request.checkGPSImport;
    return request.kind == SCommandLineRequest::None || RunShellCommand(request);
}

bool CKVDVApp::RunShellCommand(const SCommandLineRequest &request) {
    if (request.kind == SCommandLineRequest::New)
        return m_docManager->CreateNewDocument() != nullptr;
    return OpenDocumentFile(request.path);
}

void CKVDVApp::RestoreWindowPlacement() {
    const std::string position = m_iniAccess.ReadIni("GENERAL", "Window Position", "0,0,0,0");
    SScreenRect stored;
    if (DecideWindowPlacement(position, stored.left, stored.top, stored.right, stored.bottom)) {
        // The screen the rectangle lies on most, or the first one when it lies on none.
        const wxRect wanted(stored.left, stored.top, std::max(stored.right - stored.left, 1),
                            std::max(stored.bottom - stored.top, 1));
        unsigned screen = 0;
        long most = 0;
        for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
            const wxRect common = wxDisplay(i).GetGeometry().Intersect(wanted);
            if (long(common.width) * common.height > most) {
                most = long(common.width) * common.height;
                screen = i;
            }
        }
        const wxRect work = wxDisplay(screen).GetClientArea();
        const wxSize fallback = m_mainFrame->GetSize();
        const SScreenRect fitted =
            FitWindowOnScreen(stored, {work.x, work.y, work.GetRight() + 1, work.GetBottom() + 1},
                              fallback.x, fallback.y);
        m_mainFrame->RestorePlacement(wxRect(fitted.left, fitted.top, fitted.right - fitted.left,
                                             fitted.bottom - fitted.top));
    }
}

void CKVDVApp::StartAppClock() {
    // The clock is a statistic: start-up does not wait long for it, nor fail without it.
    WaitForClockState(m_appClock, 1, 1, kClockWaitMs);
}

void CKVDVApp::StopAppClock() {
    WaitForClockState(m_appClock, -1, 0, kClockWaitMs);
}

bool CKVDVApp::IsModalWindowUp() const {
    return m_modalWindows && m_modalWindows->AnyUp();
}

CKVDVApp::CCloseUnderWay::CCloseUnderWay() : m_app(GetKVDVApp()) {
    if (m_app)
        ++m_app->m_closesUnderWay;
}

CKVDVApp::CCloseUnderWay::~CCloseUnderWay() {
    if (m_app)
        --m_app->m_closesUnderWay;
}

void CKVDVApp::CloseWhenPossible() {
    // A close under way asks the person already; what they answer stands.
    const bool answered = IsCloseUnderWay();
    // A person could close the window: no dialog or message box up, no event loop of a wait of
    // ours running, no long work.
    if (answered ||
        (wxEventLoopBase::GetActive() == GetMainLoop() && !IsModalWindowUp() && !AppIsBusy())) {
        if (m_closeTimer)
            m_closeTimer->Stop();
        if (!answered)
            CloseTopWindow();
        return;
    }
    if (!m_closeTimer)
        m_closeTimer = std::make_unique<CCloseWhenPossible>();
    if (!m_closeTimer->IsRunning())
        m_closeTimer->Start(kCloseRetryMs);
}

int CKVDVApp::OnExit() {
    m_closeTimer.reset();
    if (m_modalWindows) {
        m_modalWindows->Unregister();
        m_modalWindows.reset();
    }
    if (g_pCodeLogger) {
        delete g_pCodeLogger; // writes the log
        g_pCodeLogger = nullptr;
    }
    StopAppClock();
    if (m_filterAdded) {
        wxEvtHandler::RemoveFilter(&m_inputFilter);
        m_filterAdded = false;
    }
    SaveRecentFiles();
    delete m_docManager;
    m_docManager = nullptr;
    m_docTemplate = nullptr;
    m_mainFrame = nullptr;
    ORQ::CLineOffsetDlg::SetPresenter(nullptr);
    ORQ::CFileGroupReplacement::SetWaitHook(nullptr);
    if (m_ownsMessageSink) {
        ORQ::SetMessageSink(nullptr);
        m_ownsMessageSink = false;
    }
    return wxApp::OnExit();
}

int CKVDVApp::CInputFilter::FilterEvent(wxEvent &event) {
    const wxEventType type = event.GetEventType();
    const bool input = type == wxEVT_KEY_DOWN || type == wxEVT_CHAR || type == wxEVT_LEFT_DOWN ||
                       type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN ||
                       type == wxEVT_MOTION || type == wxEVT_MOUSEWHEEL;
    if (input) {
        // Input in the main window counts; dialogs and message boxes do not.
        auto *window = dynamic_cast<wxWindow *>(event.GetEventObject());
        if (window && m_app.m_mainFrame && wxGetTopLevelParent(window) == m_app.m_mainFrame)
            m_app.m_appClock.NoteUserInput();
    }
    return Event_Skip;
}

// ---------------------------------------------------------------------------------------------
// Recent files

void CKVDVApp::LoadRecentFiles() {
    wxFileHistory *history = m_docManager->GetFileHistory();
    if (!history)
        return;
    // The profile lists the most recent first; the history adds to its front.
    for (int i = 4; i >= 1; --i) {
        const std::string path =
            m_profile->GetProfileString(kRecentSection, "File" + std::to_string(i), "");
        if (!path.empty())
            history->AddFileToHistory(PathToWx(path));
    }
}

void CKVDVApp::SaveRecentFiles() {
    wxFileHistory *history = m_docManager ? m_docManager->GetFileHistory() : nullptr;
    if (!history)
        return;
    for (size_t i = 0; i < 4; ++i) {
        const std::string value =
            i < history->GetCount() ? PathFromWx(history->GetHistoryFile(i)) : std::string();
        m_profile->WriteProfileString(kRecentSection, "File" + std::to_string(i + 1), value);
    }
}

void CKVDVApp::OnOpenRecentFile(size_t index) {
    wxFileHistory *history = m_docManager->GetFileHistory();
    if (!history || index >= history->GetCount())
        return;
    const std::string path = PathFromWx(history->GetHistoryFile(index));
    if (!OpenDocumentFile(path) && !wxFileExists(PathToWx(path)))
        history->RemoveFileFromHistory(index);
}

// ---------------------------------------------------------------------------------------------
// Commands

bool CKVDVApp::OpenDocumentFile(const std::string &path) {
    if (!m_docManager)
        return false;
    wxDocument *doc = m_docManager->CreateDocument(PathToWx(path), wxDOC_SILENT);
    return doc != nullptr;
}

void CKVDVApp::OnFileNew() {
    if (m_docManager)
        m_docManager->CreateNewDocument();
}

std::string CKVDVApp::GetOpenFileInitialDir() {
    const std::string documents = PathFromWx(wxStandardPaths::Get().GetDocumentsDir());
    return m_iniAccess.ReadIni("FILE", "MRUDirectory", documents);
}

void CKVDVApp::OnFileOpen() {
    KVD_LOG_CALL();
    wxFileDialog dialog(m_mainFrame, wxFileSelectorPromptStr, PathToWx(GetOpenFileInitialDir()), "",
                        "KVD file (*.KVD)|*.KVD;*.kvd", wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return;
    OpenChosenProject(PathFromWx(dialog.GetPath()));
}

bool CKVDVApp::OpenChosenProject(const std::string &path) {
    const bool opened = OpenDocumentFile(path);
    std::string folder;
    SplitPath(path, &folder, nullptr);
    m_iniAccess.WriteIni("FILE", "MRUDirectory", folder);
    return opened;
}

void CKVDVApp::OnAppAbout() {
    KVD_LOG_CALL();
    CAboutDlg dialog(m_mainFrame);
    dialog.ShowModal();
}

void CKVDVApp::OnHelpFinder() {
    KVD_LOG_CALL();
    CManualOpener::Open(m_mainFrame, GetHelpFilePath());
}

void CKVDVApp::OnHelpTroubleshootingmode() {
    KVD_LOG_CALL();
    if (g_pCodeLogger)
        g_pCodeLogger->SetLevel(NextDiagnosticLevel(g_pCodeLogger->GetLevel()));
}

bool CKVDVApp::IsDiagnosticModeChecked() const {
    return g_pCodeLogger && g_pCodeLogger->GetLevel() == 2;
}

void CKVDVApp::OnVostrel() {
    KVD_LOG_CALL();
    LaunchVostrel(&m_appClock, g_pCodeLogger);
}

bool CKVDVApp::LaunchVostrel(CAppClock *clock, CCodeLogger *logger) {
    if (logger)
        logger->WriteLog();
    CVersionInfo info;
    info.Load(nullptr);
    std::string folder, name;
    SplitPath(info.GetFilePath(false, false), &folder, &name);

    const std::string iniPath = folder + "Vostrel.ini";
    std::remove(iniPath.c_str());
    INIAccess ini;
    ini.Initialize(iniPath, false);
    ini.WriteIni("AppInfo", "Name", name);
    if (clock) {
        ini.WriteIni("AppInfo", "Clk(s)", clock->GetActiveSeconds(true));
        std::string stats;
        ini.WriteIni("AppInfo", "Stat",
                     clock->GetStatsText(stats) ? stats : "Error getting stats!");
    } else {
        ini.WriteIni("AppInfo", "Stat", "NA");
    }
    if (logger) {
        const int count = logger->GetEntryCount();
        const int total = logger->GetLocationTotal();
        const float coverage = total > 0 ? 100.0f * static_cast<float>(count) / total : 0.0f;
        ini.WriteIni("AppInfo", "Log", FormatC("%.2f%%, %i, %i", coverage, count, total));
    } else {
        ini.WriteIni("AppInfo", "Log", "NA");
    }

    const std::string program = folder + "Vostrel";
    std::string command = "\"" + program + "\"";
    if (logger)
        command += " \"" + std::string(logger->GetLogPath()) + "\"";
    // The launcher's error numbers: 2 for a missing program, 0 for a failed start.
    int error = 2;
    if (wxFileExists(wxString::FromUTF8(program.c_str()))) {
        if (wxExecute(wxString::FromUTF8(command.c_str()), wxEXEC_ASYNC) > 0)
            return true;
        error = 0;
    }
    ORQ::ShowMessage(FormatC("Unable to launch Vostrel Application, WinExec err=%d\n", error) +
                     command);
    return false;
}
