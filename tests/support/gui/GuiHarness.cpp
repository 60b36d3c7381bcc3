#include "tests/support/gui/GuiHarness.h"

#include "KVD_Edit/app/shell/KVDVApp.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <unistd.h>

#include <X11/Xlib.h>

namespace kvdtest::gui {
namespace {

// Answers one modal dialog from a timer that runs inside the dialog's own event loop.
class CModalAnswerer : public wxEvtHandler {
public:
    CModalAnswerer() : m_timer(this) { Bind(wxEVT_TIMER, &CModalAnswerer::OnTimer, this); }
    void Arm(std::function<void(wxDialog *)> inspect, int retCode) {
        m_inspect = std::move(inspect);
        m_retCode = retCode;
        m_answered = false;
        m_timer.Start(20);
    }
    bool Answered() const { return m_answered; }
    void Stop() { m_timer.Stop(); }

private:
    void OnTimer(wxTimerEvent &) {
        for (wxWindow *window : wxTopLevelWindows) {
            auto *dialog = dynamic_cast<wxDialog *>(window);
            if (!dialog || !dialog->IsModal())
                continue;
            m_timer.Stop();
            m_answered = true;
            if (m_inspect)
                m_inspect(dialog);
            // The inspection may have ended the dialog itself, as a press of its OK does.
            if (dialog->IsModal())
                dialog->EndModal(m_retCode);
            return;
        }
    }

    wxTimer m_timer;
    std::function<void(wxDialog *)> m_inspect;
    int m_retCode = wxID_CANCEL;
    bool m_answered = false;
};

// The toolkit's native file and folder choosers cannot be driven by a test: they end at once
// with Cancel instead of waiting for a person.
class CNativeDialogCanceller : public wxModalDialogHook {
protected:
    int Enter(wxDialog *dialog) override {
        // Asked through the class information: wxDynamicCast would first cast the pointer down to
        // a class the dialog may not have, which the undefined-behaviour checks rightly flag.
        if (dialog->IsKindOf(wxCLASSINFO(wxFileDialog)) ||
            dialog->IsKindOf(wxCLASSINFO(wxDirDialog)))
            return wxID_CANCEL;
        return wxID_NONE;
    }
    void Exit(wxDialog *) override {}
};

CNativeDialogCanceller &NativeDialogCanceller() {
    static CNativeDialogCanceller canceller;
    return canceller;
}

struct SHarness {
    std::unique_ptr<TempDir> home;
    std::unique_ptr<CaptureSink> sink;
    std::unique_ptr<CModalAnswerer> answerer;
    bool created = false;
    bool started = false;
    bool shutDown = false;
    std::string argv0;
};

// A virtual display can refuse a connection for a moment after its start on a loaded machine:
// wait for it a while before the toolkit tries its one connection.
void WaitForDisplay() {
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (Display *display = XOpenDisplay(nullptr)) {
            XCloseDisplay(display);
            return;
        }
        usleep(250 * 1000);
    }
}

SHarness &Harness() {
    static SHarness harness;
    return harness;
}

void Create() {
    SHarness &h = Harness();
    if (h.created)
        return;
    h.created = true;

    // Private settings: tests never read or write the user's own, nor each other's.
    h.home = std::make_unique<TempDir>();
    const std::string config = h.home->File("config");
    const std::string runtime = h.home->File("runtime");
    wxFileName::Mkdir(config, 0700, wxPATH_MKDIR_FULL);
    wxFileName::Mkdir(runtime, 0700, wxPATH_MKDIR_FULL);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);

    // Installed before start-up, so the application keeps it instead of routing messages to
    // message boxes that nobody would answer.
    h.sink = std::make_unique<CaptureSink>();

    // The program sees no command-line arguments: the test runner's flags are not file names.
    char path[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    h.argv0 = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("kvd_gui_tests");
    static char *argv[2] = {h.argv0.data(), nullptr};
    int argc = 1;
    WaitForDisplay();
    // The toolkit says why its start-up failed through the log: to stderr, into the test output.
    delete wxLog::SetActiveTarget(new wxLogStderr());
    wxApp::SetInstance(new CKVDVApp());
    if (!wxEntryStart(argc, argv))
        throw std::runtime_error("the toolkit could not be initialised (no display?)");
    // wxWidgets' own error reports go to stderr rather than into dialogs.
    delete wxLog::SetActiveTarget(new wxLogStderr());
    // A failed toolkit assertion fails the test instead of waiting in a dialog.
    wxSetAssertHandler([](const wxString &file, int line, const wxString &func,
                          const wxString &cond, const wxString &msg) {
        ADD_FAILURE_AT(file.utf8_string().c_str(), line)
            << "wxWidgets assertion \"" << cond.utf8_string() << "\" failed in "
            << func.utf8_string() << ": " << msg.utf8_string();
    });
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler());
    h.answerer = std::make_unique<CModalAnswerer>();
    NativeDialogCanceller().Register();
}

class CGuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override { Create(); }
    void TearDown() override {
        SHarness &h = Harness();
        if (!h.created)
            return;
        if (h.started && !h.shutDown)
            ShutDownApp();
        h.answerer.reset();
        NativeDialogCanceller().Unregister();
        wxEntryCleanup();
        h.sink.reset();
        h.home.reset();
        h.created = false;
    }
};

::testing::Environment *const g_environment =
    ::testing::AddGlobalTestEnvironment(new CGuiEnvironment());

} // namespace

CKVDVApp &App() {
    Create();
    SHarness &h = Harness();
    if (h.shutDown)
        throw std::runtime_error("the application was shut down earlier in this process");
    if (!h.started) {
        h.started = true;
        if (!wxTheApp->CallOnInit())
            throw std::runtime_error("the application's start-up failed:\n" + Sink().AllTexts());
        PumpEvents(100);
    }
    return *static_cast<CKVDVApp *>(wxTheApp);
}

bool AppStarted() {
    return Harness().started;
}

void ShutDownApp() {
    SHarness &h = Harness();
    if (!h.started || h.shutDown)
        return;
    h.shutDown = true;
    if (wxWindow *top = wxTheApp->GetTopWindow())
        top->Close(true);
    PumpEvents(100);
    wxTheApp->OnExit();
}

std::string ConfigHome() {
    Create();
    return Harness().home->File("config");
}

std::string RuntimeDir() {
    Create();
    return Harness().home->File("runtime");
}

void RemovePrivateFolders() {
    Harness().home.reset();
}

CaptureSink &Sink() {
    Create();
    return *Harness().sink;
}

void PumpEvents(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        wxMilliSleep(5);
    } while (std::chrono::steady_clock::now() < end);
}

bool WaitFor(const std::function<bool()> &cond, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= end)
            return cond();
        PumpEvents(10);
    }
    return true;
}

void PressButton(wxDialog &dialog, int id) {
    wxWindow *button = dialog.FindWindow(id);
    ASSERT_NE(button, nullptr) << "button " << id;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

int RunModal(wxDialog &dialog, const std::function<int()> &show, std::function<void()> act) {
    dialog.CallAfter([&dialog, act] {
        act();
        if (dialog.IsModal())
            dialog.EndModal(wxID_CANCEL);
    });
    return show();
}

void AnswerNextModal(std::function<void(wxDialog *)> inspect, int retCode) {
    Create();
    Harness().answerer->Arm(std::move(inspect), retCode);
}

bool ModalAnswered() {
    return Harness().answerer && Harness().answerer->Answered();
}

std::string ArtifactsFolder() {
    wxString folder;
    if (const char *artifacts = std::getenv("KVD_ARTIFACTS"); artifacts && *artifacts)
        folder = artifacts;
    else
        folder = wxFileName(Harness().argv0).GetPath() + "/../artifacts";
    wxFileName::Mkdir(folder, 0755, wxPATH_MKDIR_FULL);
    return folder.utf8_string();
}

std::string SaveArtifact(const wxImage &image, const std::string &name) {
    std::string file = name;
    for (char &c : file) {
        if (!isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            c = '_';
    }
    const wxString path = wxString::FromUTF8(ArtifactsFolder() + "/" + file + ".png");
    if (!image.IsOk() || !image.SaveFile(path, wxBITMAP_TYPE_PNG))
        return std::string();
    return wxFileName(path).GetAbsolutePath().utf8_string();
}

int PixelDifferences(const wxImage &a, const wxImage &b, wxPoint &first) {
    if (a.GetSize() != b.GetSize())
        return -1;
    int n = 0;
    const unsigned char *p = a.GetData();
    const unsigned char *q = b.GetData();
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x, p += 3, q += 3)
            if ((p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) && n++ == 0)
                first = wxPoint(x, y);
    return n;
}

std::string SaveScreenshot(wxWindow *window, const std::string &name) {
    if (!window)
        return std::string();
    window->Raise();
    window->Refresh();
    window->Update();
    PumpEvents(150);
    const wxRect rect = window->GetScreenRect();
    if (rect.IsEmpty())
        return std::string();
    wxBitmap bitmap(rect.width, rect.height, 24);
    {
        // Under GTK 3 the screen DC hands back the first picture it took, again and again: a
        // window inside the client area of its top-level window is read from that client area.
        bool copied = false;
        wxWindow *top = wxGetTopLevelParent(window);
        const wxRect client =
            top ? wxRect(top->ClientToScreen(wxPoint(0, 0)), top->GetClientSize()) : wxRect();
        if (top && client.Contains(rect)) {
            wxClientDC source(top);
            wxMemoryDC memory(bitmap);
            copied = memory.Blit(0, 0, rect.width, rect.height, &source, rect.x - client.x,
                                 rect.y - client.y);
        }
        if (!copied) {
            wxMemoryDC memory(bitmap);
            wxScreenDC screen;
            if (!memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y))
                return std::string();
        }
    }
    return SaveArtifact(bitmap.ConvertToImage(), name);
}

} // namespace kvdtest::gui
