#include "tests/support/gui/Desktop.h"

#include "tests/support/gui/XProperty.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kvdtest::gui {
namespace {

using Clock = std::chrono::steady_clock;

// Ends a child process of ours: a termination request, then a kill when it does not end.
void EndChild(pid_t &pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid = -1;
}

// The child's output goes nowhere: the display and the manager talk about themselves a lot.
void Quiet() {
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 1);
        dup2(null, 2);
        close(null);
    }
}

std::vector<Window> Windows(::Display *display, Window window, const char *name) {
    const std::vector<unsigned char> bytes = WindowProperty(display, window, name, XA_WINDOW);
    std::vector<Window> windows(bytes.size() / sizeof(long));
    for (size_t i = 0; i < windows.size(); ++i)
        windows[i] = reinterpret_cast<const long *>(bytes.data())[i];
    return windows;
}

std::string Title(::Display *display, Window window) {
    const std::vector<unsigned char> bytes =
        WindowProperty(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False));
    return std::string(bytes.begin(), bytes.end());
}

// Whether a window is of kind, by its window type.
bool IsKind(::Display *display, Window window, EWindowKind kind) {
    if (kind == ANY_WINDOW)
        return true;
    const std::vector<unsigned char> bytes =
        WindowProperty(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    const Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    bool isDialog = false;
    for (size_t i = 0; (i + 1) * sizeof(long) <= bytes.size(); ++i)
        isDialog = isDialog ||
                   static_cast<Atom>(reinterpret_cast<const long *>(bytes.data())[i]) == dialog;
    return isDialog == (kind == DIALOG_WINDOW);
}

bool TitleMatches(const std::string &shown, const std::string &title, bool whole) {
    return whole ? shown == title : shown.find(title) != std::string::npos;
}

// The window's frame on the screen: the window with the decorations the manager put around it.
wxRect Frame(::Display *display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return wxRect();
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    const std::vector<unsigned char> bytes =
        WindowProperty(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    long extents[4] = {0, 0, 0, 0}; // left, right, top, bottom
    for (size_t i = 0; i < 4 && (i + 1) * sizeof(long) <= bytes.size(); ++i)
        extents[i] = reinterpret_cast<const long *>(bytes.data())[i];
    return wxRect(x - extents[0], y - extents[2], attributes.width + extents[0] + extents[1],
                  attributes.height + extents[2] + extents[3]);
}

// Whether a menu is mapped: the toolkit shows a menu as a window the manager does not decorate
// (override-redirect), a child of the root that carries a menu's window type.
bool MenuShown(::Display *display) {
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    const Atom dropDown = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", False);
    const Atom popUp = XInternAtom(display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    bool shown = false;
    for (unsigned i = 0; i < count && !shown; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            !attributes.override_redirect || attributes.map_state != IsViewable)
            continue;
        const std::vector<unsigned char> bytes =
            WindowProperty(display, children[i], "_NET_WM_WINDOW_TYPE", XA_ATOM);
        for (size_t j = 0; (j + 1) * sizeof(long) <= bytes.size(); ++j) {
            const Atom type = static_cast<Atom>(reinterpret_cast<const long *>(bytes.data())[j]);
            shown = shown || type == dropDown || type == popUp;
        }
    }
    if (children)
        XFree(children);
    return shown;
}

// Whether window is ancestor or window itself.
bool IsWithin(::Display *display, Window window, Window ancestor) {
    const Window root = DefaultRootWindow(display);
    while (window != None && window != root) {
        if (window == ancestor)
            return true;
        Window top = None, parent = None, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &top, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        window = parent;
    }
    return false;
}

// The frame on the screen of the managed window that holds the keyboard; empty when none does.
wxRect KeyboardFrame(::Display *display) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    for (Window window : Windows(display, DefaultRootWindow(display), "_NET_CLIENT_LIST_STACKING"))
        if (IsWithin(display, focus, window))
            return Frame(display, window);
    return wxRect();
}

} // namespace

std::vector<unsigned char> WindowProperty(::Display *display, Window window, const char *name,
                                          Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned char> bytes;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1 << 16, False,
                           type, &actualType, &format, &count, &after, &data) == Success &&
        data) {
        const size_t unit = format == 32 ? sizeof(long) : format / 8;
        bytes.assign(data, data + count * unit);
    }
    if (data)
        XFree(data);
    return bytes;
}

CDesktop::CDesktop() : m_home(std::make_unique<TempDir>()) {
    if (StartServer())
        StartManager();
}

CDesktop::~CDesktop() {
    EndChild(m_manager);
    EndChild(m_server);
}

bool CDesktop::StartServer() {
    // The server picks a free display number itself and writes it to the pipe once it accepts
    // connections.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        m_problem = "no pipe for the display's number";
        return false;
    }
    const std::string fd = std::to_string(pipeEnds[1]);
    m_server = fork();
    if (m_server == 0) {
        close(pipeEnds[0]);
        Quiet();
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string number;
    const auto until = Clock::now() + std::chrono::seconds(20);
    pollfd wait = {pipeEnds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && Clock::now() < until) {
        if (poll(&wait, 1, 100) <= 0)
            continue;
        char buffer[32];
        const ssize_t got = read(pipeEnds[0], buffer, sizeof(buffer));
        if (got <= 0)
            break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    if (number.find('\n') == std::string::npos) {
        m_problem = "the virtual display (Xvfb) did not start";
        return false;
    }
    m_display = ":" + number.substr(0, number.find('\n'));
    return true;
}

bool CDesktop::StartManager() {
    const std::string config = m_home->File("config");
    const std::string cache = m_home->File("cache");
    m_manager = fork();
    if (m_manager == 0) {
        Quiet();
        setenv("DISPLAY", m_display.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        execlp("openbox", "openbox", "--sm-disable", static_cast<char *>(nullptr));
        _exit(127);
    }
    // The manager runs once it names itself on the root window.
    ::Display *display = XOpenDisplay(m_display.c_str());
    if (!display) {
        m_problem = "no connection to the virtual display " + m_display;
        return false;
    }
    const Window root = DefaultRootWindow(display);
    const auto until = Clock::now() + std::chrono::seconds(20);
    bool running = false;
    while (!running && Clock::now() < until) {
        running = !Windows(display, root, "_NET_SUPPORTING_WM_CHECK").empty();
        if (!running) {
            if (waitpid(m_manager, nullptr, WNOHANG) == m_manager) {
                m_manager = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    XCloseDisplay(display);
    if (!running)
        m_problem = "the window manager (openbox, installed by scripts/setup) did not start";
    return running;
}

wxRect CDesktop::WaitForWindow(const std::string &title, int timeoutMs, int quietMs, bool whole,
                               EWindowKind kind) const {
    ::Display *display = Started() ? XOpenDisplay(m_display.c_str()) : nullptr;
    if (!display)
        return wxRect();
    wxRect frame;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (frame.IsEmpty() && Clock::now() < until) {
        for (Window window :
             Windows(display, DefaultRootWindow(display), "_NET_CLIENT_LIST_STACKING")) {
            if (TitleMatches(Title(display, window), title, whole) && IsKind(display, window, kind))
                frame = Frame(display, window);
        }
        if (frame.IsEmpty())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    if (!frame.IsEmpty())
        std::this_thread::sleep_for(std::chrono::milliseconds(quietMs));
    return frame;
}

bool CDesktop::WaitForNoWindow(const std::string &title, int timeoutMs, bool whole,
                               EWindowKind kind) const {
    ::Display *display = Started() ? XOpenDisplay(m_display.c_str()) : nullptr;
    if (!display)
        return false;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool shown = true;
    while (shown) {
        shown = false;
        for (Window window :
             Windows(display, DefaultRootWindow(display), "_NET_CLIENT_LIST_STACKING"))
            shown = shown || (TitleMatches(Title(display, window), title, whole) &&
                              IsKind(display, window, kind) && !Frame(display, window).IsEmpty());
        if (!shown || Clock::now() > until)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    return !shown;
}

int CDesktop::CountWindows(const std::string &title, bool whole, EWindowKind kind) const {
    ::Display *display = Started() ? XOpenDisplay(m_display.c_str()) : nullptr;
    if (!display)
        return 0;
    int count = 0;
    for (Window window : Windows(display, DefaultRootWindow(display), "_NET_CLIENT_LIST_STACKING"))
        if (TitleMatches(Title(display, window), title, whole) && IsKind(display, window, kind) &&
            !Frame(display, window).IsEmpty())
            ++count;
    XCloseDisplay(display);
    return count;
}

bool CDesktop::WaitOnDisplay(int timeoutMs, const std::function<bool(::Display *)> &reached) const {
    ::Display *display = Started() ? XOpenDisplay(m_display.c_str()) : nullptr;
    if (!display)
        return false;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool done = reached(display);
    while (!done && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        done = reached(display);
    }
    XCloseDisplay(display);
    return done;
}

bool CDesktop::WaitForMenu(bool shown, int timeoutMs) const {
    return WaitOnDisplay(timeoutMs,
                         [shown](::Display *display) { return MenuShown(display) == shown; });
}

bool CDesktop::WaitForKeyboardAt(const wxPoint &point, int timeoutMs) const {
    return WaitOnDisplay(
        timeoutMs, [&point](::Display *display) { return KeyboardFrame(display).Contains(point); });
}

bool CDesktop::AskToMinimise(const std::string &title) const {
    ::Display *display = Started() ? XOpenDisplay(m_display.c_str()) : nullptr;
    if (!display)
        return false;
    const Window root = DefaultRootWindow(display);
    bool asked = false;
    for (Window window : Windows(display, root, "_NET_CLIENT_LIST_STACKING")) {
        if (asked || Title(display, window) != title || !IsKind(display, window, NORMAL_WINDOW) ||
            Frame(display, window).IsEmpty())
            continue;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_CHANGE_STATE", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = IconicState;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        asked = true;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return asked;
}

wxImage CDesktop::Grab() const {
    return Started() ? GrabScreen(m_display) : wxImage();
}

wxImage GrabScreen(const std::string &name, const wxRect &rect) {
    ::Display *display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (!display)
        return wxImage();
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    wxRect area = rect.IsEmpty() ? wxRect(0, 0, attributes.width, attributes.height) : rect;
    area.Intersect(wxRect(0, 0, attributes.width, attributes.height));
    wxImage image;
    XImage *shot = area.IsEmpty() ? nullptr
                                  : XGetImage(display, root, area.x, area.y, area.width,
                                              area.height, AllPlanes, ZPixmap);
    if (shot) {
        image.Create(area.width, area.height);
        // A colour channel of a pixel, by the channel's mask.
        const auto channel = [](unsigned long mask, unsigned long pixel) {
            int shift = 0;
            while (mask && !(mask & 1)) {
                mask >>= 1;
                ++shift;
            }
            return static_cast<unsigned char>(((pixel >> shift) & mask) * 255 / (mask ? mask : 1));
        };
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x) {
                const unsigned long pixel = XGetPixel(shot, x, y);
                image.SetRGB(x, y, channel(shot->red_mask, pixel), channel(shot->green_mask, pixel),
                             channel(shot->blue_mask, pixel));
            }
        XDestroyImage(shot);
    }
    XCloseDisplay(display);
    return image;
}

} // namespace kvdtest::gui
