#include "KVD_Edit/app/shell/BusyDlg.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/platform/WindowSystem.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcgraph.h>
#include <wx/dcmemory.h>
#include <wx/eventfilter.h>
#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/thread.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

namespace {

// A top-level window of ours as the screen shows it: inside the window manager's frame while
// the manager holds it (a reparenting manager, as nearly all are), on the root window otherwise.
struct SManagedWindow {
    WindowSystem::XWindowId window = 0;
    bool framed = false; // the manager holds it in a frame of its own
    wxRect frame;        // the frame on the screen, decorations included
};

SManagedWindow ManagedWindow(const wxWindow *topLevel) {
    SManagedWindow managed;
    managed.window = WindowSystem::WindowOf(topLevel);
    managed.framed = WindowSystem::ManagerHolds(managed.window) == WindowSystem::ANSWER_YES;
    if (managed.framed) {
        // The frame as the window system shows it, read as a stored placement reads it.
        const SPlacementRect r = GetWindowPlacement(topLevel).rcNormalPosition;
        managed.frame = wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    return managed;
}

// What the windows under a place of the screen paint there at once.
enum ERepaint {
    REPAINT_ALL,    // all of it: the X server may not have told them yet, or told them too early
    REPAINT_EXPOSED // what the X server told them to paint again, which the toolkit took in
};

// Paints at once what the program's windows show in a rectangle of the screen (where a window
// of ours stood): nothing of that window's last picture stays there while the program works on.
void RepaintUnder(const wxRect &screen, const wxWindow *gone, ERepaint what = REPAINT_ALL) {
    // Every window under the rectangle is told what to paint again, and then paints it: a window
    // that lays itself out only when idle (a list given new rows) does so in its Update.
    std::vector<wxWindow *> under;
    std::function<void(wxWindow *)> refresh = [&](wxWindow *window) {
        if (!window->IsShown())
            return;
        wxRect part = window->GetScreenRect().Intersect(screen);
        if (part.IsEmpty())
            return;
        part.SetPosition(window->ScreenToClient(part.GetPosition()));
        if (what == REPAINT_ALL)
            window->Refresh(false, &part);
        under.push_back(window);
        for (wxWindow *child : window->GetChildren())
            if (!child->IsTopLevel())
                refresh(child);
    };
    for (wxWindow *top : wxTopLevelWindows)
        if (top != gone)
            refresh(top);
    for (auto it = under.rbegin(); it != under.rend(); ++it)
        (*it)->Update();
    WindowSystem::Flush();
}

} // namespace

// ---- the animation ---------------------------------------------------------------------------

CBusyAnimation::CBusyAnimation(wxWindow *parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, parent->FromDIP(wxSize(32, 32))) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    DrawFrames(parent->GetBackgroundColour());
    Bind(wxEVT_PAINT, &CBusyAnimation::OnPaint, this);
}

void CBusyAnimation::DrawFrames(const wxColour &background) {
    const wxSize size = GetClientSize();
    const double cx = size.x / 2.0, cy = size.y / 2.0;
    const double outer = std::min(cx, cy) - 1, inner = outer / 2;
    const wxColour ink = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    const double pi = std::acos(-1.0);
    for (int frame = 0; frame < kFrames; ++frame) {
        wxBitmap bitmap(size);
        {
            wxMemoryDC memory(bitmap);
            wxGCDC dc(memory);
            dc.SetBackground(wxBrush(background));
            dc.Clear();
            for (int k = 0; k < kFrames; ++k) {
                // The spoke of the frame is darkest; the ones before it fade out behind it.
                const int age = (frame - k + kFrames) % kFrames;
                const unsigned char alpha = static_cast<unsigned char>(255 - age * 200 / kFrames);
                const double angle = 2 * pi * k / kFrames;
                dc.SetPen(wxPen(wxColour(ink.Red(), ink.Green(), ink.Blue(), alpha), FromDIP(3)));
                dc.DrawLine(wxPoint(static_cast<int>(cx + inner * std::sin(angle)),
                                    static_cast<int>(cy - inner * std::cos(angle))),
                            wxPoint(static_cast<int>(cx + outer * std::sin(angle)),
                                    static_cast<int>(cy - outer * std::cos(angle))));
            }
        }
        m_frames.push_back(bitmap);
    }
}

bool CBusyAnimation::Step() {
    // A tick and the timer may both come due at once: one frame per period is enough.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastStep < std::chrono::milliseconds(CBusyDlg::kTimerMs * 8 / 10))
        return false;
    m_lastStep = now;
    m_frame = (m_frame + 1) % kFrames;
    Refresh(false);
    return true;
}

void CBusyAnimation::OnPaint(wxPaintEvent &) {
    // The frames are drawn once beforehand, as those of a film: a repaint during the work costs
    // one copy.
    wxPaintDC dc(this);
    dc.DrawBitmap(m_frames[static_cast<size_t>(m_frame)], 0, 0);
    ++m_painted;
}

// ---- the dialog ------------------------------------------------------------------------------

CBusyDlg::CBusyDlg(wxWindow *parent)
    : wxDialog(parent, wxID_ANY, wxString(kProgramTitle) + " Processing", wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSTAY_ON_TOP),
      m_timer(this) {
    auto *top = new wxBoxSizer(wxVERTICAL);
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    m_animation = new CBusyAnimation(this);
    row->Add(m_animation, 0, wxALIGN_CENTER_VERTICAL | wxALL, 10);
    row->Add(new wxStaticText(this, wxID_ANY, kMessage), 1, wxALIGN_CENTER_VERTICAL | wxALL, 10);
    top->Add(row, 1, wxEXPAND);
    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    // OK has nothing to confirm while the work runs: it is shown, as the dialog always had it,
    // but cannot be pressed.
    auto *ok = new wxButton(this, wxID_OK, "OK");
    ok->Disable();
    buttons->Add(ok, 0, wxALL, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 5);
    top->Add(buttons, 0, wxALIGN_CENTER);
    // The window manager writes the title in a larger bold face between its own buttons: the
    // dialog is wide enough for the whole title there.
    int titleWidth = 0;
    const wxFont titleFont = GetFont().Bold().Scaled(1.25f);
    GetTextExtent(GetTitle(), &titleWidth, nullptr, nullptr, nullptr, &titleFont);
    top->SetMinSize(wxSize(titleWidth + FromDIP(kTitleMargin), -1));
    SetSizerAndFit(top);
    CentreOnParent();

    // Neither a button nor Escape closes the dialog: it goes when the work is done.
    Bind(
        wxEVT_BUTTON, [](wxCommandEvent &) {}, wxID_OK);
    Bind(wxEVT_BUTTON, &CBusyDlg::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CBusyDlg::OnCloseWindow, this);
    Bind(wxEVT_TIMER, &CBusyDlg::OnTimer, this);
    m_timer.Start(kTimerMs);
}

CBusyDlg::~CBusyDlg() = default;

void CBusyDlg::OnCancel(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_cancelled = true;
}

void CBusyDlg::OnCloseWindow(wxCloseEvent &event) {
    if (event.CanVeto()) {
        m_cancelled = true;
        event.Veto();
        return;
    }
    Destroy();
}

void CBusyDlg::OnTimer(wxTimerEvent &) {
    ComeBack();
    m_animation->Step();
}

void CBusyDlg::ShowDrawn() {
    const int drawn = m_animation->GetPaintCount();
    ShowWithoutActivating();
    // The toolkit draws a window once the window system has mapped it, and the drawing of the
    // animation comes with that of the whole dialog.
    // Between looks it waits for the window system's next answer, at most a screen frame, as the
    // toolkit may also paint at its own frame clock's tick.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFirstDrawMs);
    for (;;) {
        YieldForPaintAndTimers();
        Update();
        const auto now = std::chrono::steady_clock::now();
        if (m_animation->GetPaintCount() != drawn || now >= until)
            return;
        WindowSystem::WaitForServer(
            std::min(std::chrono::milliseconds(kFrameMs),
                     std::chrono::ceil<std::chrono::milliseconds>(until - now)));
    }
}

void CBusyDlg::StepAside() {
    m_comeBack = false;
    if (!IsShown())
        return;
    const wxRect where = GetScreenRect();
    Hide();
    m_aside = true;
    RepaintUnder(where, this);
}

void CBusyDlg::ComeBackWhenTicked() {
    m_comeBack = m_aside;
}

void CBusyDlg::ComeBack() {
    if (!m_comeBack)
        return;
    m_comeBack = m_aside = false;
    ShowWithoutActivating();
    Refresh();
}

bool CBusyDlg::IsCancelled() {
    // Only this dialog takes input while it is pumped, so the busy work cannot be re-entered.
    if (wxTheApp && wxIsMainThread())
        wxTheApp->SafeYieldFor(this, wxEVT_CATEGORY_UI | wxEVT_CATEGORY_USER_INPUT);
    return m_cancelled;
}

void CBusyDlg::Tick() {
    ComeBack();
    m_animation->Step();
    YieldForPaintAndTimers();
    // What the toolkit has not painted yet (it paints at its own frame times) is painted now:
    // the dialog's next frame, and whatever of the main window was uncovered meanwhile.
    Update();
    if (wxWindow *main = GetParent())
        main->Update();
}

namespace {

// Drops, while it is installed, every event that a person's input makes: the toolkit's yield
// lets pointer motion and a window's close box through among window events.
class CInputDropper : public wxEventFilter {
public:
    int FilterEvent(wxEvent &event) override {
        const wxEventType type = event.GetEventType();
        if (event.GetEventCategory() == wxEVT_CATEGORY_USER_INPUT || type == wxEVT_CLOSE_WINDOW ||
            type == wxEVT_MENU || type == wxEVT_BUTTON)
            return Event_Ignore;
        return Event_Skip;
    }
};

} // namespace

void CBusyDlg::YieldForPaintAndTimers() {
    if (!wxTheApp || !wxIsMainThread())
        return;
    CInputDropper dropper;
    wxEvtHandler::AddFilter(&dropper);
    // The yield limited to window events and timers keeps key presses and clicks queued and
    // leaves the program's posted events alone; holding those back makes sure of the latter.
    wxTheApp->SuspendProcessingOfPendingEvents();
    const long allowed = wxEVT_CATEGORY_UI | wxEVT_CATEGORY_TIMER;
    if (wxEventLoopBase *loop = wxEventLoopBase::GetActive()) {
        loop->YieldFor(allowed);
    } else {
        // Work started before the main loop runs (start-up, tests) yields through a loop of
        // its own.
        wxGUIEventLoop own;
        own.YieldFor(allowed);
    }
    wxTheApp->ResumeProcessingOfPendingEvents();
    wxEvtHandler::RemoveFilter(&dropper);
}

namespace {

class CBusyDlgDisplay : public IBusyDisplay, public wxModalDialogHook {
public:
    explicit CBusyDlgDisplay(wxWindow *parent) {
        wxBeginBusyCursor();
        m_dlg = new CBusyDlg(parent);
        // Shown on top (it stays there) without taking the keyboard: what is typed during the
        // work goes to the window it was meant for and runs after the work, not into a dialog
        // that then goes. Drawn before the work goes on, so that it never stands there black.
        m_dlg->ShowDrawn();
        Register();
    }
    ~CBusyDlgDisplay() override {
        Unregister();
        wxEndBusyCursor();
        // A dialog kept between the levels of an operation may have gone with the main window
        // it belongs to (the program closed before it was idle again).
        if (!m_dlg)
            return;
        const SManagedWindow managed = ManagedWindow(m_dlg);
        const wxRect where = m_dlg->GetScreenRect().Union(managed.frame);
        m_dlg->StopAnimation();
        // A window manager takes the frame of a withdrawn window off the screen in its own time,
        // late on a loaded machine. What the other windows have waiting to paint (a grid given
        // its rows) is then painted while the dialog still stands, so that once the frame goes
        // only the part it covered is left. A dialog of no frame goes with its withdrawal, and
        // the paint below takes all of it.
        if (managed.framed)
            for (wxWindow *top : wxTopLevelWindows)
                if (top != m_dlg && top->IsShown())
                    top->Update();
        // The window itself goes when the program is next idle, which may be after more work
        // (a large map drawn at once): out of sight now, and what it covered painted again once
        // the window manager has taken its frame away, while the program still counts as busy
        // and windows paint only what is quick to paint. A reparenting manager takes the window
        // out of its frame only after it has taken the frame off the screen (the rule every
        // such manager keeps), and the X server tells the windows beneath what to paint again
        // as the frame goes: once the toolkit has taken in the letting go, it has taken that in
        // too, and painted some of it during the wait. Only what is left is painted then;
        // without a frame, or when the manager is later than the bound, all of the place is.
        // Work that went on at once would draw over none of that part, and the frame's last
        // picture would stay on the screen until the work is over.
        m_dlg->Hide();
        const bool letGo =
            managed.framed &&
            WindowSystem::WaitUntilLetGo(managed.window,
                                         std::chrono::milliseconds(CBusyDlg::kManagerLetsGoMs),
                                         &CBusyDlg::YieldForPaintAndTimers);
        RepaintUnder(where, m_dlg, letGo ? REPAINT_EXPOSED : REPAINT_ALL);
        // The wait ran the toolkit's window events: the dialog may have gone with them.
        if (m_dlg)
            m_dlg->Destroy();
    }
    bool IsCancelled() override { return m_dlg && m_dlg->IsCancelled(); }
    void Tick() override {
        if (m_dlg)
            m_dlg->Tick();
    }

protected:
    // A question or message during the work stands above everything: the dialog (which stays
    // on top) steps aside while it is up and comes back with the next tick of the work.
    int Enter(wxDialog *dialog) override {
        if (m_dlg && dialog != m_dlg && m_modals++ == 0)
            m_dlg->StepAside();
        return wxID_NONE;
    }
    void Exit(wxDialog *dialog) override {
        if (m_dlg && dialog != m_dlg && m_modals > 0 && --m_modals == 0)
            m_dlg->ComeBackWhenTicked();
    }

private:
    wxWeakRef<CBusyDlg> m_dlg;
    int m_modals = 0;
};

} // namespace

std::unique_ptr<IBusyDisplay> CBusyDlg::CreateDisplay() {
    if (!wxTheApp || !wxTheApp->IsGUI() || !wxIsMainThread())
        return nullptr;
    return std::make_unique<CBusyDlgDisplay>(wxTheApp->GetTopWindow());
}
