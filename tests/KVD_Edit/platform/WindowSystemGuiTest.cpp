// The program's questions to the window system, asked on a display of the test's own with a
// second X connection beside the toolkit's: that connection destroys windows just before the
// program asks about them, and plays a reparenting window manager, which takes one of the
// program's windows into a frame and lets it go again when the test says.

#include "KVD_Edit/app/shell/BusyDlg.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

// Xlib's macros (None, Bool, Status) clash with names declared elsewhere: its header comes last.
#include <X11/Xlib.h>

using namespace kvdtest::gui;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long the test's manager holds a window once the wait began, and the wait's bound then.
constexpr milliseconds kLetGoAfter{300};
constexpr milliseconds kBound{20000};

long Ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<milliseconds>(d).count());
}

// The test's own connection to the display the program draws on.
class CTestConnection {
public:
    CTestConnection() : m_display(XOpenDisplay(nullptr)) {}
    ~CTestConnection() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    CTestConnection(const CTestConnection &) = delete;
    CTestConnection &operator=(const CTestConnection &) = delete;

    ::Display *Get() const { return m_display; }
    Window Root() const { return DefaultRootWindow(m_display); }
    // A window of this connection on the root window, mapped, the server done with it.
    Window NewWindow(int x, int y, unsigned width, unsigned height) const {
        const Window window = XCreateSimpleWindow(m_display, Root(), x, y, width, height, 0, 0, 0);
        XMapWindow(m_display, window);
        XSync(m_display, False);
        return window;
    }
    // A window that stood on the screen and is destroyed, the server done with it: its id names
    // nothing any more.
    Window DestroyedWindow() const {
        const Window window = NewWindow(10, 10, 50, 40);
        XDestroyWindow(m_display, window);
        XSync(m_display, False);
        return window;
    }
    // Puts the window into parent (a frame of a manager's), or back onto the root window.
    void Reparent(Window window, Window parent) const {
        XReparentWindow(m_display, window, parent, 0, 0);
        XSync(m_display, False);
    }

private:
    ::Display *m_display;
};

// A top-level window of the program, shown and drawn.
std::unique_ptr<wxFrame> ShownFrame(const wxRect &where) {
    auto frame = std::make_unique<wxFrame>(nullptr, wxID_ANY, "window system test",
                                           where.GetPosition(), where.GetSize());
    frame->Show();
    WaitFor([&] { return WindowSystem::WindowOf(frame.get()) != 0 && frame->IsShownOnScreen(); });
    PumpEvents(100);
    return frame;
}

// What the program's wait for the manager gets to take in the window system's events: the busy
// dialog's own yield.
void TakeEvents() {
    CBusyDlg::YieldForPaintAndTimers();
}

} // namespace

TEST(WindowSystemGui, AWindowDestroyedJustBeforeIsNotKnownAndTheProgramGoesOn) {
    App();
    ASSERT_TRUE(WindowSystem::IsDisplayOpen());
    CTestConnection x;
    ASSERT_NE(nullptr, x.Get());
    struct SRow {
        const char *name;
        WindowSystem::XWindowId window;
    };
    const std::vector<SRow> rows = {
        {"a window destroyed just before", x.DestroyedWindow()},
        {"another one destroyed just before", x.DestroyedWindow()},
        {"no window at all", 0},
    };
    for (const SRow &row : rows) {
        SCOPED_TRACE(row.name);
        // Asked without an error trap, the server's error about the window would end the
        // program here.
        EXPECT_EQ(WindowSystem::ANSWER_NOT_KNOWN, WindowSystem::ManagerHolds(row.window));
        const auto start = Clock::now();
        EXPECT_FALSE(WindowSystem::WaitUntilLetGo(row.window, milliseconds(3000), TakeEvents))
            << "nothing is known of a window that is gone";
        EXPECT_LT(Ms(Clock::now() - start), 1000)
            << "the wait for a window that is gone ends at once, not at its bound";
    }

    // The program goes on talking to the window system: a window of its own is shown, found
    // and answered about.
    const wxRect where(100, 80, 320, 200);
    std::unique_ptr<wxFrame> frame = ShownFrame(where);
    const WindowSystem::XWindowId window = WindowSystem::WindowOf(frame.get());
    ASSERT_NE(0u, window);
    EXPECT_EQ(WindowSystem::ANSWER_NO, WindowSystem::ManagerHolds(window))
        << "no window manager runs on the test's display";
    wxRect onScreen;
    ASSERT_TRUE(WindowSystem::FrameOnScreen(frame.get(), onScreen));
    EXPECT_EQ(frame->GetScreenRect(), onScreen) << "without a manager the frame is the window";
    frame->Hide();
    PumpEvents(50);
    EXPECT_FALSE(WindowSystem::FrameOnScreen(frame.get(), onScreen))
        << "a hidden window has no frame on the screen";
    EXPECT_EQ(0u, WindowSystem::WindowOf(nullptr));
}

TEST(WindowSystemGui, TheWaitForTheManagerEndsWhenItLetsTheWindowGoAndAtItsBound) {
    App();
    CTestConnection x;
    ASSERT_NE(nullptr, x.Get());
    std::unique_ptr<wxFrame> frame = ShownFrame(wxRect(200, 150, 300, 180));
    const WindowSystem::XWindowId window = WindowSystem::WindowOf(frame.get());
    ASSERT_NE(0u, window);

    // The test's connection plays the manager: the window goes into a frame of its own.
    const Window managerFrame = x.NewWindow(190, 120, 320, 220);
    x.Reparent(window, managerFrame);
    PumpEvents(100);
    ASSERT_EQ(WindowSystem::ANSWER_YES, WindowSystem::ManagerHolds(window));

    // A manager that never lets the window go: the wait ends at its bound, and no sooner.
    {
        const auto start = Clock::now();
        EXPECT_FALSE(WindowSystem::WaitUntilLetGo(window, milliseconds(400), TakeEvents));
        const long took = Ms(Clock::now() - start);
        EXPECT_GE(took, 400) << "the wait ended before its bound with the window still held";
        EXPECT_LT(took, 3000) << "the wait ended near its bound";
    }

    // A manager that lets the window go a while after the wait began: the wait ends when the
    // server tells the toolkit's connection, long before its bound.
    std::thread manager([&x, window] {
        std::this_thread::sleep_for(kLetGoAfter);
        x.Reparent(window, x.Root());
    });
    const auto start = Clock::now();
    const bool letGo = WindowSystem::WaitUntilLetGo(window, kBound, TakeEvents);
    const long took = Ms(Clock::now() - start);
    manager.join();
    EXPECT_TRUE(letGo) << "the window was let go " << kLetGoAfter.count() << " ms into the wait";
    EXPECT_GE(took, kLetGoAfter.count() - 50) << "the wait ended while the window was held";
    EXPECT_LT(took, kBound.count() / 4) << "the wait ended when the window was let go";
    EXPECT_EQ(WindowSystem::ANSWER_NO, WindowSystem::ManagerHolds(window));
    RecordProperty("let_go_wait_ms", static_cast<int>(took));

    // Once let go, the wait has nothing to wait for.
    const auto again = Clock::now();
    EXPECT_TRUE(WindowSystem::WaitUntilLetGo(window, kBound, TakeEvents));
    EXPECT_LT(Ms(Clock::now() - again), 1000);

    XDestroyWindow(x.Get(), managerFrame);
    XSync(x.Get(), False);
    frame.reset();
    PumpEvents(50);
}
