#include "KVD_Edit/platform/WindowSystem.h"

#include <wx/mdi.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <type_traits>

// The window system's headers come after the toolkit's: Xlib's macros (None, Bool, Status)
// clash with names those declare.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace WindowSystem {

static_assert(std::is_same_v<XWindowId, Window>, "an X window id is Xlib's Window");

namespace {

using Clock = std::chrono::steady_clock;

// The toolkit's display when it is open and an X display; null otherwise.
GdkDisplay *XDisplayOfToolkit() {
    GdkDisplay *display = gdk_display_get_default();
    return display && GDK_IS_X11_DISPLAY(display) ? display : nullptr;
}

// Runs the X requests made during its life under an error trap of the toolkit's connection: an
// error the server answers one of them with (a window destroyed in between) stays here instead
// of reaching the toolkit's handler, which ends the program.
class CErrorTrap {
public:
    explicit CErrorTrap(GdkDisplay *display) : m_display(display) {
        gdk_x11_display_error_trap_push(m_display);
    }
    ~CErrorTrap() {
        if (!m_ended)
            gdk_x11_display_error_trap_pop_ignored(m_display);
    }
    CErrorTrap(const CErrorTrap &) = delete;
    CErrorTrap &operator=(const CErrorTrap &) = delete;

    // Ends the trap once the server has answered every request made in it; true when none failed.
    bool Passed() {
        m_ended = true;
        return gdk_x11_display_error_trap_pop(m_display) == 0;
    }

private:
    GdkDisplay *m_display;
    bool m_ended = false;
};

// The toolkit's window of a top-level window of ours; null when it has none yet.
GdkWindow *ToolkitWindow(const wxWindow *topLevel) {
    if (!topLevel || !topLevel->IsTopLevel())
        return nullptr;
    GtkWidget *widget = topLevel->GetHandle();
    return widget ? gtk_widget_get_window(widget) : nullptr;
}

// The parent and the root window of a window; false when the server could not say.
bool TreeOf(GdkDisplay *display, XWindowId window, Window &parent, Window &root) {
    CErrorTrap trap(display);
    Window *children = nullptr;
    unsigned count = 0;
    const Status status =
        XQueryTree(GDK_DISPLAY_XDISPLAY(display), window, &root, &parent, &children, &count);
    if (children)
        XFree(children);
    return trap.Passed() && status != 0;
}

// What a wait for the manager's letting go of a window has seen of the X server's events.
struct SLetGoWatch {
    XWindowId window = 0;
    Window root = 0;
    bool letGo = false;
};

// Sees every X event the toolkit reads, before the toolkit handles it: the window put back on
// the root window (the manager took it out of its frame) or destroyed.
GdkFilterReturn NoteLetGo(GdkXEvent *native, GdkEvent *, gpointer data) {
    auto &watch = *static_cast<SLetGoWatch *>(data);
    const XEvent &event = *static_cast<const XEvent *>(native);
    if (event.type == ReparentNotify && event.xreparent.window == watch.window)
        watch.letGo = event.xreparent.parent == watch.root;
    else if (event.type == DestroyNotify && event.xdestroywindow.window == watch.window)
        watch.letGo = true;
    return GDK_FILTER_CONTINUE;
}

// Drops the manager's word on the frame sizes of a top-level window of ours that is not shown:
// the toolkit would take those of a window let go as the sizes of every new window of its kind.
GdkFilterReturn DropFrameSizesOfHiddenWindows(GdkXEvent *native, GdkEvent *, gpointer data) {
    const XEvent &event = *static_cast<const XEvent *>(native);
    const Atom frameExtents = static_cast<Atom>(reinterpret_cast<uintptr_t>(data));
    if (event.type != PropertyNotify || event.xproperty.atom != frameExtents)
        return GDK_FILTER_CONTINUE;
    for (const wxWindow *top : wxTopLevelWindows)
        if (!top->IsShown() && WindowOf(top) == event.xproperty.window)
            return GDK_FILTER_REMOVE;
    return GDK_FILTER_CONTINUE;
}

// Sends what is asked so far and waits, until the time given at most, for the X server to send
// the connection something; at once when the connection holds events nobody has read yet.
void WaitForServer(Display *x, Clock::time_point until) {
    if (XEventsQueued(x, QueuedAfterFlush) > 0)
        return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0)
        return;
    pollfd connection{ConnectionNumber(x), POLLIN, 0};
    poll(&connection, 1, static_cast<int>(left.count()));
}

// The toolkit holds back a new top-level window's first show until the window manager has told
// its decoration sizes, with a protected switch and no call to turn it off: the pointer to it is
// formed through a class of our own derived from the window's.
struct CDeferredShowSwitch : wxTopLevelWindow {
    static auto Member() { return &CDeferredShowSwitch::m_deferShow; }
};

} // namespace

bool IsDisplayOpen() {
    // The toolkit tells whether an application object exists, not whether it opened a display.
    return gdk_display_get_default() != nullptr;
}

void Flush() {
    // The toolkit sends its requests when it next waits for events and offers no call to do it now.
    if (GdkDisplay *display = gdk_display_get_default())
        gdk_display_flush(display);
}

XWindowId WindowOf(const wxWindow *topLevel) {
    // The toolkit names a window by its own handle only, not by the X server's id.
    GdkWindow *window = XDisplayOfToolkit() ? ToolkitWindow(topLevel) : nullptr;
    return window && GDK_IS_X11_WINDOW(window) ? gdk_x11_window_get_xid(window) : 0;
}

EAnswer ManagerHolds(XWindowId window) {
    // The toolkit knows nothing of the manager's frames: the window tree is the X server's.
    GdkDisplay *display = XDisplayOfToolkit();
    Window parent = 0, root = 0;
    if (!display || window == 0 || !TreeOf(display, window, parent, root))
        return ANSWER_NOT_KNOWN;
    return parent != root && parent != 0 ? ANSWER_YES : ANSWER_NO;
}

bool FrameOnScreen(const wxWindow *topLevel, wxRect &frame) {
    // The toolkit's own position of a top-level window rests on frame sizes it keeps for all
    // windows of a kind, which a dialog hidden and shown again (the busy dialog stepping aside
    // for a message) can leave at nothing; the window system knows the frame itself.
    if (!topLevel || !topLevel->IsShown())
        return false;
    GdkWindow *window = ToolkitWindow(topLevel);
    if (!window)
        return false;
    GdkRectangle r{};
    if (GdkDisplay *display = XDisplayOfToolkit()) {
        CErrorTrap trap(display);
        gdk_window_get_frame_extents(window, &r);
        if (!trap.Passed())
            return false;
    } else {
        gdk_window_get_frame_extents(window, &r);
    }
    if (r.width <= 0 || r.height <= 0)
        return false;
    frame = wxRect(r.x, r.y, r.width, r.height);
    return true;
}

bool WaitUntilLetGo(XWindowId window, std::chrono::milliseconds bound,
                    const std::function<void()> &takeEvents) {
    // The toolkit offers no event for a window's leaving its manager's frame: the X server's
    // reparenting of it is watched below the toolkit.
    GdkDisplay *display = XDisplayOfToolkit();
    if (!display || window == 0)
        return false;
    const Clock::time_point until = Clock::now() + bound;
    SLetGoWatch watch;
    watch.window = window;
    // Watched from before the first look, so that a letting go between the look and the wait
    // is seen too.
    gdk_window_add_filter(nullptr, &NoteLetGo, &watch);
    Window parent = 0;
    const bool known = TreeOf(display, window, parent, watch.root);
    bool letGo = known && parent == watch.root;
    while (known && !letGo && Clock::now() < until) {
        WaitForServer(GDK_DISPLAY_XDISPLAY(display), until);
        if (takeEvents)
            takeEvents();
        letGo = watch.letGo;
    }
    gdk_window_remove_filter(nullptr, &NoteLetGo, &watch);
    return letGo;
}

void WaitForServer(std::chrono::milliseconds most) {
    if (GdkDisplay *display = XDisplayOfToolkit())
        WaitForServer(GDK_DISPLAY_XDISPLAY(display), Clock::now() + most);
}

void KeepClassicScrollBars(wxWindow *window) {
    // The toolkit offers no switch of its own for the overlay scroll bars of its controls.
    GtkWidget *widget = window ? static_cast<GtkWidget *>(window->GetHandle()) : nullptr;
    if (widget && GTK_IS_SCROLLED_WINDOW(widget))
        gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(widget), FALSE);
}

void ShowAtOnce(wxTopLevelWindow *window) {
    if (window)
        window->*CDeferredShowSwitch::Member() = false;
}

bool FrameSizesKnown(const wxTopLevelWindow *window) {
    // The toolkit keeps the manager's decoration sizes of a window in a member of its own and
    // offers no call that tells whether the manager has given them yet.
    if (!window)
        return false;
    const auto &decorations = window->m_decorSize;
    return decorations.left + decorations.right + decorations.top + decorations.bottom > 0;
}

void HoldNewChildBack(wxMDIChildFrame *child) {
    // The toolkit notes a new page in a public member of the main frame kept for its own use, and
    // offers no call to put off what it does with it when next idle.
    wxMDIParentFrame *parent = child ? child->GetMDIParent() : nullptr;
    wxMDIClientWindowBase *client = parent ? parent->GetClientWindow() : nullptr;
    if (!client)
        return;
    // Alone in the notebook, the page stays: a notebook without a page to show has no size for
    // its tabs, and draws them as such once the page comes.
    const wxWindowList &pages = client->GetChildren();
    if (std::none_of(pages.begin(), pages.end(), [child](const wxWindow *page) {
            return page != child && page->IsShown() && wxDynamicCast(page, wxMDIChildFrame);
        }))
        return;
    parent->m_justInserted = false;
    // A child frame is a page of the main frame's notebook, yet the toolkit hides it as a window
    // of its own, which it moves first (asking a page's widget for a window's move): the page is
    // hidden as the plain window it is.
    child->wxWindow::Show(false);
}

void ShowHeldChild(wxMDIChildFrame *child) {
    if (!child)
        return;
    child->Show();
    child->Activate();
}

void IgnoreFrameSizesOfHiddenWindows() {
    // The toolkit keeps the frame sizes of each kind of window in a store of its own, which every
    // window it is told of writes to, shown or not, and offers no call to guard it.
    static bool installed = false;
    GdkDisplay *display = XDisplayOfToolkit();
    if (installed || !display)
        return;
    installed = true;
    const Atom frameExtents = gdk_x11_get_xatom_by_name_for_display(display, "_NET_FRAME_EXTENTS");
    gdk_window_add_filter(nullptr, &DropFrameSizesOfHiddenWindows,
                          reinterpret_cast<gpointer>(static_cast<uintptr_t>(frameExtents)));
}

} // namespace WindowSystem
