#pragma once

// A desktop of its own for the editor program in a process of its own: a virtual display with a
// window manager (Xvfb and openbox), as a person's screen has one. The manager decorates,
// places and sizes top-level windows, and the toolkit shows a window differently under one:
// start-up faults that only a managed window shows (its first layout, its size) are seen here.

#include "tests/support/TestSupport.h"

#include <wx/gdicmn.h>
#include <wx/image.h>

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

typedef struct _XDisplay Display; // as the X library declares it

namespace kvdtest::gui {

// What the screen of display (empty: the process's own) shows inside rect (the whole screen
// when rect is empty), read from the X server itself: what a person sees, the toolkit's own
// drawing of native controls included.
wxImage GrabScreen(const std::string &display, const wxRect &rect = wxRect());

// Which windows a wait looks for, by the window type the program gives them: a message box
// carries the program's title as its main frame does.
enum EWindowKind : int {
    ANY_WINDOW,
    NORMAL_WINDOW, // a frame
    DIALOG_WINDOW, // a dialog or message box
};

class CDesktop {
public:
    // Starts the display and its window manager, and waits until the manager runs.
    CDesktop();
    // Ends the manager and the display.
    ~CDesktop();
    CDesktop(const CDesktop &) = delete;
    CDesktop &operator=(const CDesktop &) = delete;

    // True when the display and its manager run; Problem() says why not.
    bool Started() const { return m_problem.empty(); }
    const std::string &Problem() const { return m_problem; }
    // The display's name for DISPLAY (":<number>").
    const std::string &Display() const { return m_display; }

    // Waits up to timeoutMs until the manager shows a window whose title contains title (is
    // title, when whole: the main frame "KVD_Edit" and not its "KVD_Edit Processing" dialog), and
    // then for quietMs more (the window's first layout and drawing). The window's frame on the
    // screen (with its decorations), empty when none came.
    wxRect WaitForWindow(const std::string &title, int timeoutMs, int quietMs = 1000,
                         bool whole = false, EWindowKind kind = ANY_WINDOW) const;

    // Waits up to timeoutMs until no window whose title contains title (is title, when whole) of
    // that kind is shown; true when none is.
    bool WaitForNoWindow(const std::string &title, int timeoutMs, bool whole = false,
                         EWindowKind kind = ANY_WINDOW) const;

    // How many windows of that kind the manager shows whose title is title (contains it, when
    // not whole).
    int CountWindows(const std::string &title, bool whole = true,
                     EWindowKind kind = ANY_WINDOW) const;

    // Waits up to timeoutMs until a menu of the toolkit's is shown (shown) or none is (!shown):
    // keys meant for an open menu wait for it, as a person waits to see it.
    bool WaitForMenu(bool shown, int timeoutMs) const;

    // Waits up to timeoutMs until the window that holds the keyboard (the X server's input focus)
    // is that of a frame on the screen at point: keys sent after a click then reach the window
    // clicked, however late the manager hands it the focus. True when it does.
    bool WaitForKeyboardAt(const wxPoint &point, int timeoutMs) const;

    // Asks the window manager to minimise the frame (a normal window) whose title is title, as a
    // task bar asks it (an ICCCM WM_CHANGE_STATE message to the root window). False when no such
    // window is shown.
    bool AskToMinimise(const std::string &title) const;

    // What the screen shows, read from the X server.
    wxImage Grab() const;

private:
    // Asks reached of a connection to the display every 50 ms until it holds, up to timeoutMs.
    bool WaitOnDisplay(int timeoutMs, const std::function<bool(::Display *)> &reached) const;
    bool StartServer();
    bool StartManager();

    std::unique_ptr<TempDir> m_home; // the manager's settings and cache
    pid_t m_server = -1;
    pid_t m_manager = -1;
    std::string m_display;
    std::string m_problem;
};

} // namespace kvdtest::gui
