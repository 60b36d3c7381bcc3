// The "Processing" dialog during long work: a reload of a large project keeps the dialog's
// animation turning and the main window painted, while key presses and posted commands wait
// until the reload is over. The screen is watched from a thread with an X connection of its
// own, as a person watching it would see it; the UI thread meanwhile only runs the reload (and
// the timers that the reload's ticks let run).

#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/BusyDlg.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <wx/eventfilter.h>
#include <wx/listctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace kvdtest::gui;
using Clock = std::chrono::steady_clock;

// Large enough that a reload takes about a second on the test machines.
constexpr int kLines = 24000;

const std::string &LargeProject() {
    static kvdtest::TempDir dir;
    static const std::string path =
        kvdtest::WriteGridProject(dir.Path(), kvdtest::ManyLines(kLines));
    return path;
}

CBusyDlg *ShownBusyDialog() {
    for (wxWindow *window : wxTopLevelWindows)
        if (auto *dlg = dynamic_cast<CBusyDlg *>(window); dlg && dlg->IsShown())
            return dlg;
    return nullptr;
}

// The pixels of a screen rectangle, read from the X server.
struct SPicture {
    std::vector<uint32_t> pixels;
    bool operator<(const SPicture &other) const { return pixels < other.pixels; }
};

SPicture Grab(Display *display, const wxRect &rect) {
    SPicture picture;
    XImage *image = XGetImage(display, DefaultRootWindow(display), rect.x, rect.y,
                              static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height),
                              AllPlanes, ZPixmap);
    if (!image)
        return picture;
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x)
            picture.pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    return picture;
}

constexpr uint32_t kMagenta = 0xFF00FF;

double Share(const SPicture &picture, uint32_t colour) {
    if (picture.pixels.empty())
        return 0;
    size_t n = 0;
    for (uint32_t p : picture.pixels)
        n += p == colour;
    return static_cast<double>(n) / picture.pixels.size();
}

double SameShare(const SPicture &a, const SPicture &b) {
    if (a.pixels.empty() || a.pixels.size() != b.pixels.size())
        return 0;
    size_t n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        n += a.pixels[i] == b.pixels[i];
    return static_cast<double>(n) / a.pixels.size();
}

// Watches the screen from a thread of its own while the UI thread works: takes a picture of
// the busy dialog's animation every 50 ms, and once covers part of the main window with a
// magenta window of its own, takes it away again and looks whether the main window painted
// the uncovered part again.
class CScreenWatcher {
public:
    ~CScreenWatcher() { Stop(); }

    void Start(const std::atomic<bool> &busy) {
        m_busy = &busy;
        m_thread = std::thread([this] { Run(); });
    }
    // Called from the UI thread once the dialog shows: where to look.
    void Publish(const wxRect &animation, const wxRect &cover) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_animation = animation;
        m_cover = cover;
        m_published = true;
        m_wake.notify_all();
    }
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
            m_wake.notify_all();
        }
        if (m_thread.joinable())
            m_thread.join();
    }

    // Pictures of the animation taken while the work ran.
    std::vector<SPicture> frames;
    // The uncovering: before, while covered, after (all while the work ran).
    SPicture before, covered, after;
    // Whether the uncovered part showed no cover any more while the work ran, and when.
    bool uncoveredWhileBusy = false;
    long repaintMs = 0;

private:
    void Run() {
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            return;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait_for(lock, std::chrono::seconds(20),
                            [this] { return m_published || m_stop; });
            if (!m_published) {
                XCloseDisplay(display);
                return;
            }
        }
        // A picture of the animation every 50 ms; meanwhile the cover comes (after two
        // pictures), stays 100 ms and goes, and the uncovered part is looked at until it shows
        // no cover any more.
        using std::chrono::milliseconds;
        Window cover = None;
        Clock::time_point covering{}, uncovering{};
        bool looked = false;
        while (!Stopped() && m_busy->load()) {
            SPicture frame = Grab(display, m_animation);
            if (m_busy->load())
                frames.push_back(std::move(frame));
            const auto now = Clock::now();
            if (frames.size() >= 2 && cover == None && covering == Clock::time_point{}) {
                before = Grab(display, m_cover);
                cover = Cover(display);
                covering = now;
            } else if (cover != None && now - covering >= milliseconds(100)) {
                covered = Grab(display, m_cover);
                XDestroyWindow(display, cover);
                XSync(display, False);
                cover = None;
                uncovering = now;
            } else if (!looked && uncovering != Clock::time_point{}) {
                SPicture now = Grab(display, m_cover);
                if (!m_busy->load())
                    break;
                after = std::move(now);
                repaintMs = static_cast<long>(
                    std::chrono::duration_cast<milliseconds>(Clock::now() - uncovering).count());
                looked = Share(after, kMagenta) < 0.01;
                uncoveredWhileBusy = looked;
            }
            std::this_thread::sleep_for(milliseconds(50));
        }
        if (cover != None)
            XDestroyWindow(display, cover);
        XCloseDisplay(display);
    }

    // A magenta window of this connection over the part of the main window to look at.
    Window Cover(Display *display) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = kMagenta;
        const Window cover =
            XCreateWindow(display, DefaultRootWindow(display), m_cover.x, m_cover.y,
                          static_cast<unsigned>(m_cover.width),
                          static_cast<unsigned>(m_cover.height), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(display, cover);
        XSync(display, False);
        return cover;
    }

    bool Stopped() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_stop;
    }

    const std::atomic<bool> *m_busy = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_published = false, m_stop = false;
    wxRect m_animation, m_cover;
};

// A timer of the test: its events are among those that run inside the work's ticks.
class CTestTimer : public wxEvtHandler {
public:
    explicit CTestTimer(std::function<void()> onTick) : m_onTick(std::move(onTick)), m_timer(this) {
        Bind(wxEVT_TIMER, [this](wxTimerEvent &) { m_onTick(); });
        m_timer.Start(40);
    }
    ~CTestTimer() override { m_timer.Stop(); }

private:
    std::function<void()> m_onTick;
    wxTimer m_timer;
};

CChildFrame *FrameOf(const SOpenProject &project) {
    return project.doc ? dynamic_cast<CChildFrame *>(project.doc->GetFrame()) : nullptr;
}

// Runs the reload that the open posts (with its error report) synchronously, with busy set
// while it runs; its length.
Clock::duration Reload(CChildFrame *frame, std::atomic<bool> &busy) {
    wxCommandEvent reload(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_RELOAD_REPORT_ERRORS));
    const auto start = Clock::now();
    busy = true;
    frame->GetEventHandler()->ProcessEvent(reload);
    busy = false;
    return Clock::now() - start;
}

long Ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

TEST(BusyDlgGui, AnimationAndMainWindowStayAliveDuringALongReload) {
    App();
    SOpenProject project = OpenProject(LargeProject());
    CChildFrame *frame = FrameOf(project);
    ASSERT_NE(nullptr, frame);
    ASSERT_EQ(kLines, frame->GetGridView()->GetNumRows());
    wxWindow *main = App().GetTopWindow();
    main->Raise();
    PumpEvents(200);

    std::atomic<bool> busy{false};
    CScreenWatcher watcher;
    watcher.Start(busy);
    std::set<int> paintCounts;
    bool published = false;
    CTestTimer timer([&] {
        CBusyDlg *dlg = ShownBusyDialog();
        if (!busy || !dlg)
            return;
        paintCounts.insert(dlg->GetAnimation()->GetPaintCount());
        if (published)
            return;
        // A band of the main window beside the dialog (the dialog stands in its middle).
        const wxRect whole = main->GetScreenRect();
        const wxRect dialog = dlg->GetScreenRect();
        const int width = std::min(200, dialog.x - whole.x - 20);
        if (width < 40)
            return;
        watcher.Publish(dlg->GetAnimation()->GetScreenRect(),
                        wxRect(whole.x + 10, whole.y + whole.height / 3, width, whole.height / 3));
        published = true;
    });

    const Clock::duration took = Reload(frame, busy);
    watcher.Stop();
    RecordProperty("reload_ms", static_cast<int>(Ms(took)));
    EXPECT_EQ(kLines, frame->GetGridView()->GetNumRows());
    EXPECT_TRUE(WaitFor([] { return ShownBusyDialog() == nullptr; }))
        << "the dialog goes once the reload is over and the program idle";
    ASSERT_GE(Ms(took), 600) << "the reload is too short to show anything";
    ASSERT_TRUE(published) << "the dialog never showed beside the main window during the reload";

    EXPECT_GE(paintCounts.size(), 3u)
        << "the animation painted new frames during the " << Ms(took) << " ms reload";
    std::set<SPicture> distinct(watcher.frames.begin(), watcher.frames.end());
    EXPECT_GE(distinct.size(), 3u)
        << watcher.frames.size() << " pictures of the animation on screen during the reload";

    EXPECT_GT(Share(watcher.covered, kMagenta), 0.9) << "the cover showed on the main window";
    ASSERT_TRUE(watcher.uncoveredWhileBusy)
        << "the main window painted the part uncovered during the reload (still "
        << Share(watcher.after, kMagenta) * 100 << "% cover " << watcher.repaintMs
        << " ms after the uncovering)";
    RecordProperty("repaint_ms", static_cast<int>(watcher.repaintMs));
    EXPECT_GT(SameShare(watcher.before, watcher.after), 0.99)
        << "the uncovered part shows what it showed before";
    CloseProject(project);
}

// Records, for the key presses and the commands that arrive, whether the reload was running.
class CArrivalRecorder : public wxEventFilter {
public:
    explicit CArrivalRecorder(const std::atomic<bool> &busy) : m_busy(busy) {
        wxEvtHandler::AddFilter(this);
    }
    ~CArrivalRecorder() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent &event) override {
        if (event.GetEventType() == wxEVT_KEY_DOWN &&
            static_cast<wxKeyEvent &>(event).GetKeyCode() == 'A')
            keys.push_back(m_busy.load());
        return Event_Skip;
    }
    std::vector<bool> keys; // per key event: whether it arrived during the reload

private:
    const std::atomic<bool> &m_busy;
};

TEST(BusyDlgGui, KeysAndPostedCommandsSentDuringAReloadRunAfterIt) {
    App();
    ASSERT_TRUE(RealInputAvailable()) << "the display offers no XTest extension";
    SOpenProject project = OpenProject(LargeProject());
    CChildFrame *frame = FrameOf(project);
    ASSERT_NE(nullptr, frame);
    auto *main = dynamic_cast<wxTopLevelWindow *>(App().GetTopWindow());
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(FocusWindow(main)) << "the main window never became active";
    frame->GetGridView()->GetListCtrl()->SetFocus();
    PumpEvents(100);

    std::atomic<bool> busy{false};
    CArrivalRecorder recorder(busy);
    // The key reaches the program while it is idle.
    ASSERT_TRUE(RealKey("ctrl+a"));
    ASSERT_FALSE(recorder.keys.empty()) << "the key press reaches the program";
    recorder.keys.clear();
    std::vector<bool> commands, calls; // per arrival: during the reload?
    const int commandId = wxWindow::NewControlId();
    frame->Bind(
        wxEVT_MENU, [&](wxCommandEvent &) { commands.push_back(busy.load()); }, commandId);
    bool sent = false;
    int ticksAfterSending = 0;
    CTestTimer timer([&] {
        if (!busy || !ShownBusyDialog())
            return;
        if (sent) {
            ++ticksAfterSending;
            return;
        }
        sent = true;
        // Sent from inside the reload: the key through the X server to the focused grid, the
        // command and a deferred call through the program's own queue.
        SendRealKey("ctrl+a");
        wxPostEvent(frame, wxCommandEvent(wxEVT_MENU, commandId));
        frame->CallAfter([&] { calls.push_back(busy.load()); });
    });

    const Clock::duration took = Reload(frame, busy);
    ASSERT_TRUE(sent) << "no timer ran inside the " << Ms(took) << " ms reload";
    EXPECT_GE(ticksAfterSending, 2) << "the reload went on a while after the input was sent";
    EXPECT_TRUE(commands.empty() && calls.empty() && recorder.keys.empty())
        << "nothing sent during the reload ran inside it";

    ASSERT_TRUE(WaitFor([&] {
        return !recorder.keys.empty() && !commands.empty() && !calls.empty();
    })) << "the key press, the command and the call all run once the reload is over: "
        << recorder.keys.size() << " key presses, " << commands.size() << " commands, "
        << calls.size() << " calls";
    // The toolkit hands one key press to more than one window (the list and its frame).
    EXPECT_EQ(0, std::count(recorder.keys.begin(), recorder.keys.end(), true))
        << "the key press ran after the reload";
    EXPECT_EQ(std::vector<bool>{false}, commands);
    EXPECT_EQ(std::vector<bool>{false}, calls);
    PumpEvents(100);
    CloseProject(project);
}

} // namespace
