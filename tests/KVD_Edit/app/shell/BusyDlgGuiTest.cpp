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
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <wx/eventfilter.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
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

// The reload the tests watch lasts about this long: time for several frames of the animation,
// for a cover to come and go over the main window and the main window to paint the uncovered
// part again, and for input sent during the reload to wait a while. The work is sized to it from
// the reload rate of the build under test, which differs fiftyfold between the plain build and
// the sanitizer build (every allocation unwound in full).
constexpr auto kWantedReload = std::chrono::milliseconds(2500);
// A calibration reload shorter than this is measured again with four times the lines.
constexpr auto kLeastCalibration = std::chrono::milliseconds(150);
constexpr int kFirstCalibrationLines = 250;
constexpr int kLeastLines = 100;
// The plain build reloads this many lines in about a second and a quarter, which is enough;
// writing more would cost the test more than the longer watch gives it.
constexpr int kMostLines = 48000;

long Ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

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

// Writes the project of the first lines lines into folder, whose files of the first written
// lines are there already (each project is the one before with lines added): the files of
// tens of thousands of lines take longer to write than the reloads take to read.
std::string WriteProject(const std::string &folder, int lines, int written) {
    kvdtest::GridProjectLayout layout = kvdtest::ManyLines(lines);
    for (int i = 0; i < std::min(written, lines); ++i) {
        layout.lines[static_cast<size_t>(i)].writeHd = false;
        layout.lines[static_cast<size_t>(i)].writeDt1 = false;
    }
    return kvdtest::WriteGridProject(folder, layout);
}

// The number of lines whose reload lasts about kWantedReload in this build: reloads of growing
// projects in folder until one lasts long enough to measure, then that rate. written is the
// number of lines whose files the folder holds.
int CalibratedLines(const std::string &folder, int &written) {
    int lines = kFirstCalibrationLines;
    for (;;) {
        SOpenProject project = OpenProject(WriteProject(folder, lines, written));
        written = std::max(written, lines);
        CChildFrame *frame = FrameOf(project);
        if (frame == nullptr)
            return kMostLines; // the test's own open says what failed
        std::atomic<bool> busy{false};
        const Clock::duration took = Reload(frame, busy);
        CloseProject(project);
        if (took >= kLeastCalibration || lines >= kMostLines) {
            const double perMs = static_cast<double>(lines) / std::max(1L, Ms(took));
            const double wanted = perMs * static_cast<double>(kWantedReload.count());
            return static_cast<int>(std::clamp(wanted, static_cast<double>(kLeastLines),
                                               static_cast<double>(kMostLines)));
        }
        lines = std::min(4 * lines, kMostLines);
    }
}

struct SLargeProject {
    std::string path;
    int lines = 0;
};

// The project whose reload the tests watch, sized for this build on first use.
const SLargeProject &LargeProject() {
    static kvdtest::TempDir dir;
    static const SLargeProject project = [] {
        SLargeProject p;
        int written = 0;
        p.lines = CalibratedLines(dir.Path(), written);
        p.path = WriteProject(dir.Path(), p.lines, written);
        return p;
    }();
    ::testing::Test::RecordProperty("lines", project.lines);
    return project;
}

CBusyDlg *ShownBusyDialog() {
    for (wxWindow *window : wxTopLevelWindows)
        if (auto *dlg = dynamic_cast<CBusyDlg *>(window); dlg && dlg->IsShown())
            return dlg;
    return nullptr;
}

// The pixels of a screen rectangle, read from the X server.
struct SPicture {
    int width = 0;
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
    picture.width = rect.width;
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x)
            picture.pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    return picture;
}

// Saves a picture under the artifacts folder, for the reader of a failed test.
std::string SavePicture(const SPicture &picture, const std::string &name) {
    if (picture.width <= 0 || picture.pixels.empty())
        return "(no picture)";
    const int height = static_cast<int>(picture.pixels.size()) / picture.width;
    wxImage image(picture.width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            image.SetRGB(x, y, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
    return SaveArtifact(image, name);
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

// The most frequent colour of a picture: the background of the list or panel it shows.
uint32_t Background(const SPicture &picture) {
    std::map<uint32_t, size_t> counts;
    for (uint32_t p : picture.pixels)
        ++counts[p];
    uint32_t background = 0;
    size_t most = 0;
    for (const auto &[colour, n] : counts)
        if (n > most) {
            most = n;
            background = colour;
        }
    return background;
}

// The share of a picture that is not its background: its text, lines and frames.
double ContentShare(const SPicture &picture) {
    return picture.pixels.empty() ? 0 : 1 - Share(picture, Background(picture));
}

// How much of what before shows besides its background after shows too: the share of before's
// pixels other than its background that after has unchanged. Counting the background would let
// a part that the toolkit merely cleared (but nobody painted) pass as painted again.
double KeptContent(const SPicture &before, const SPicture &after) {
    if (before.pixels.empty() || before.pixels.size() != after.pixels.size())
        return 0;
    const uint32_t background = Background(before);
    size_t content = 0, kept = 0;
    for (size_t i = 0; i < before.pixels.size(); ++i)
        if (before.pixels[i] != background) {
            ++content;
            kept += after.pixels[i] == before.pixels[i];
        }
    return content ? static_cast<double>(kept) / content : 0;
}

// A main window that painted the uncovered part again keeps all of its content there (1); one
// that did not shows the cover, or its cleared background, and keeps none (0). The margin takes
// a caret or a highlight that changes meanwhile.
constexpr double kRepainted = 0.9;
// The part watched must show enough besides its background for the comparison to tell.
constexpr double kLeastContent = 0.01;
// How long after the uncovering the watcher waits for the main window to paint the part again:
// a few of the work's ticks (kTickInterval) and the painting itself under load.
constexpr auto kRepaintBound = std::chrono::milliseconds(2000);

// Watches the screen from a thread of its own while the UI thread works: takes a picture of
// the busy dialog's animation every 50 ms, and once covers part of the main window with a
// magenta window of its own, takes it away again and looks, for kRepaintBound at most, whether
// the main window painted the uncovered part again.
class CScreenWatcher {
public:
    ~CScreenWatcher() { Stop(); }

    void Start(const std::atomic<bool> &busy) {
        m_busy = &busy;
        m_thread = std::thread([this] { Run(); });
    }
    // Called from the UI thread while the dialog shows: where the animation is (again on each
    // call, a new dialog may show in another place) and, from the first call, the part of the
    // main window to cover.
    void Publish(const wxRect &animation, const wxRect &cover) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_animation = animation;
        if (!m_published)
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
    // The uncovering: before, while covered, and the last look after (all while the work ran).
    SPicture before, covered, after;
    // Whether the last look showed the content again, and how long after the uncovering.
    bool repainted = false;
    long lookedMs = 0;

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
        // its content again or kRepaintBound has passed.
        using std::chrono::milliseconds;
        Window cover = None;
        Clock::time_point covering{}, uncovering{};
        while (!Stopped() && m_busy->load()) {
            SPicture frame = Grab(display, Animation());
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
                uncovering = Clock::now();
            } else if (uncovering != Clock::time_point{} && !repainted &&
                       now - uncovering <= kRepaintBound) {
                SPicture look = Grab(display, m_cover);
                if (!m_busy->load())
                    break;
                after = std::move(look);
                lookedMs = Ms(Clock::now() - uncovering);
                repainted = KeptContent(before, after) >= kRepainted;
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
    wxRect Animation() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_animation;
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

// What the test timer saw of one watched reload.
struct SWatchedReload {
    Clock::duration took{};
    bool published = false;    // the dialog showed beside the main window
    std::set<int> paintCounts; // the animation's paint counts seen
};

// The part of the map to cover: a piece of the plan view above or below the dialog (which
// stands in the middle of the main window), with the map's axes, labels and grid in it. The
// grid list beside it shows no rows while the reload runs. Empty while there is no room.
wxRect PartToCover(const wxRect &plan, const wxRect &dialog) {
    const wxRect above(plan.x + 10, plan.y + 10, std::min(300, plan.width - 20),
                       std::min(200, dialog.y - 10 - (plan.y + 10)));
    const wxRect below(plan.x + 10, dialog.GetBottom() + 10, std::min(300, plan.width - 20),
                       std::min(200, plan.GetBottom() - 10 - (dialog.GetBottom() + 10)));
    for (const wxRect &part : {above, below})
        if (part.width >= 60 && part.height >= 60 && !part.Intersects(dialog))
            return part;
    return wxRect();
}

// Runs the reload while watcher watches the screen; the test timer tells the watcher where to
// look once the dialog shows.
SWatchedReload WatchReload(CChildFrame *frame, wxWindow *plan, CScreenWatcher &watcher) {
    SWatchedReload watched;
    std::atomic<bool> busy{false};
    watcher.Start(busy);
    CTestTimer timer([&] {
        CBusyDlg *dlg = ShownBusyDialog();
        if (!busy || !dlg)
            return;
        watched.paintCounts.insert(dlg->GetAnimation()->GetPaintCount());
        const wxRect part = PartToCover(plan->GetScreenRect(), dlg->GetScreenRect());
        if (part.IsEmpty())
            return;
        watcher.Publish(dlg->GetAnimation()->GetScreenRect(), part);
        watched.published = true;
    });
    watched.took = Reload(frame, busy);
    watcher.Stop();
    return watched;
}

// Holds back, while it lives, every paint of the main window and the windows in it: a main
// window that stays as the screen left it, as one that is not painted during the work would.
class CPaintHolder : public wxEventFilter {
public:
    explicit CPaintHolder(wxWindow *main) : m_main(main) { wxEvtHandler::AddFilter(this); }
    ~CPaintHolder() override {
        wxEvtHandler::RemoveFilter(this);
        m_main->Refresh();
    }
    int FilterEvent(wxEvent &event) override {
        const wxEventType type = event.GetEventType();
        if (type != wxEVT_PAINT && type != wxEVT_ERASE_BACKGROUND)
            return Event_Skip;
        auto *window = dynamic_cast<wxWindow *>(event.GetEventObject());
        return window && wxGetTopLevelParent(window) == m_main ? Event_Processed : Event_Skip;
    }

private:
    wxWindow *m_main;
};

TEST(BusyDlgGui, AnimationAndMainWindowStayAliveDuringALongReload) {
    App();
    const SLargeProject &large = LargeProject();
    SOpenProject project = OpenProject(large.path);
    CChildFrame *frame = FrameOf(project);
    ASSERT_NE(nullptr, frame);
    ASSERT_NE(nullptr, project.window);
    ASSERT_EQ(large.lines, frame->GetGridView()->GetNumRows());
    wxWindow *main = App().GetTopWindow();
    main->Raise();
    PumpEvents(200);

    CScreenWatcher watcher;
    const SWatchedReload watched = WatchReload(frame, project.window, watcher);
    RecordProperty("reload_ms", static_cast<int>(Ms(watched.took)));
    EXPECT_EQ(large.lines, frame->GetGridView()->GetNumRows());
    EXPECT_TRUE(WaitFor([] { return ShownBusyDialog() == nullptr; }))
        << "the dialog goes once the reload is over and the program idle";
    ASSERT_GE(Ms(watched.took), 600)
        << "the reload of " << large.lines << " lines is too short to show anything";
    ASSERT_TRUE(watched.published)
        << "the dialog never showed over the main window, with room for a cover beside it, during "
           "the reload";

    EXPECT_GE(watched.paintCounts.size(), 3u)
        << "the animation painted new frames during the " << Ms(watched.took) << " ms reload";
    std::set<SPicture> distinct(watcher.frames.begin(), watcher.frames.end());
    EXPECT_GE(distinct.size(), 3u)
        << watcher.frames.size() << " pictures of the animation on screen during the reload";

    EXPECT_GT(Share(watcher.covered, kMagenta), 0.9) << "the cover showed on the main window";
    ASSERT_GE(ContentShare(watcher.before), kLeastContent)
        << "the watched part of the main window shows something besides its background: "
        << SavePicture(watcher.before, "busy-watched-part");
    RecordProperty("repaint_ms", static_cast<int>(watcher.lookedMs));
    RecordProperty("kept_percent",
                   static_cast<int>(KeptContent(watcher.before, watcher.after) * 100));
    EXPECT_TRUE(watcher.repainted)
        << "the main window painted the part uncovered during the " << Ms(watched.took)
        << " ms reload: " << KeptContent(watcher.before, watcher.after) * 100
        << "% of its content back, " << Share(watcher.after, kMagenta) * 100 << "% cover, "
        << watcher.lookedMs << " ms after the uncovering; before "
        << SavePicture(watcher.before, "busy-before") << ", after "
        << SavePicture(watcher.after, "busy-after");

    // The same watch while the main window paints nothing: the comparison fails, so the one
    // above tells a repaint from none.
    {
        CPaintHolder hold(main);
        CScreenWatcher control;
        const SWatchedReload unpainted = WatchReload(frame, project.window, control);
        ASSERT_TRUE(unpainted.published);
        RecordProperty("unpainted_kept_percent",
                       static_cast<int>(KeptContent(control.before, control.after) * 100));
        EXPECT_GT(Share(control.covered, kMagenta), 0.9) << "the cover showed on the main window";
        EXPECT_GE(control.lookedMs, std::max(300L, watcher.lookedMs))
            << "the watcher looked, during the " << Ms(unpainted.took)
            << " ms reload, longer than the painting main window needed";
        EXPECT_FALSE(control.repainted)
            << "the part of a main window that paints nothing compares as not painted again: "
            << KeptContent(control.before, control.after) * 100 << "% of its content back; after "
            << SavePicture(control.after, "busy-unpainted-after");
    }
    PumpEvents(100);
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
    SOpenProject project = OpenProject(LargeProject().path);
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
