// The program's questions to the window system, asked on a display of the test's own with a
// second X connection beside the toolkit's, which destroys windows just before the program asks
// about them.

#include "KVD_Edit/platform/WindowSystem.h"
#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

#include <memory>
#include <vector>

// Xlib's macros (None, Bool, Status) clash with names declared elsewhere: its header comes last.
#include <X11/Xlib.h>

using namespace kvdtest::gui;

namespace {

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
