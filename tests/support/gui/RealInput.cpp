#include "tests/support/gui/RealInput.h"

#include "tests/support/gui/GuiHarness.h"

#include <wx/toplevel.h>
#include <wx/window.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kvdtest::gui {
namespace {

// A connection of our own: the toolkit's is busy with its own queue, and XTest events go
// through the server to whichever client has the focus, the toolkit's included.
Display *XDisplay() {
    static Display *display = XOpenDisplay(nullptr);
    return display;
}

KeySym NamedKeySym(const std::string &name) {
    static const struct {
        const char *name;
        KeySym sym;
    } aliases[] = {{"ctrl", XK_Control_L}, {"control", XK_Control_L}, {"shift", XK_Shift_L},
                   {"alt", XK_Alt_L},      {"super", XK_Super_L},     {"enter", XK_Return},
                   {"esc", XK_Escape},     {"del", XK_Delete},        {"ins", XK_Insert},
                   {"space", XK_space}};
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto &alias : aliases)
        if (lower == alias.name)
            return alias.sym;
    return XStringToKeysym(name.c_str());
}

std::vector<std::string> SplitPlus(const std::string &keys) {
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i < keys.size(); ++i) {
        // A '+' standing alone or last is the key itself ("ctrl++").
        if (keys[i] == '+' && !part.empty()) {
            parts.push_back(part);
            part.clear();
        } else {
            part += keys[i];
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

bool KeyCodes(Display *display, const std::string &keys, std::vector<KeyCode> &codes,
              bool &needsShift) {
    needsShift = false;
    for (const std::string &part : SplitPlus(keys)) {
        KeySym sym = part.size() == 1 ? static_cast<KeySym>(static_cast<unsigned char>(part[0]))
                                      : NamedKeySym(part);
        if (part.size() == 1 && part[0] == '+')
            sym = XK_plus;
        if (sym == NoSymbol)
            return false;
        const KeyCode code = XKeysymToKeycode(display, sym);
        if (code == 0)
            return false;
        // A symbol on the shifted level of its key (upper-case letters, '!', ':') needs Shift.
        if (XkbKeycodeToKeysym(display, code, 0, 0) != sym &&
            XkbKeycodeToKeysym(display, code, 0, 1) == sym)
            needsShift = true;
        codes.push_back(code);
    }
    return !codes.empty();
}

wxPoint ScreenPoint(wxWindow *window, const wxPoint &client) {
    return window->ClientToScreen(client);
}

void MoveTo(const wxPoint &screen) {
    Display *display = XDisplay();
    XTestFakeMotionEvent(display, -1, screen.x, screen.y, CurrentTime);
    XFlush(display);
}

// Presses and releases keys (RealKey's form) on display.
bool SendKeys(Display *display, const std::string &keys) {
    std::vector<KeyCode> codes;
    bool needsShift = false;
    if (!KeyCodes(display, keys, codes, needsShift))
        return false;
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    if (needsShift)
        XTestFakeKeyEvent(display, shift, True, CurrentTime);
    for (KeyCode code : codes)
        XTestFakeKeyEvent(display, code, True, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    if (needsShift)
        XTestFakeKeyEvent(display, shift, False, CurrentTime);
    XSync(display, False);
    return true;
}

// A connection to the named display for one piece of input; closed when it goes.
class CDisplayConnection {
public:
    explicit CDisplayConnection(const std::string &name) : m_display(XOpenDisplay(name.c_str())) {
        int event = 0, error = 0, major = 0, minor = 0;
        if (m_display && !XTestQueryExtension(m_display, &event, &error, &major, &minor)) {
            XCloseDisplay(m_display);
            m_display = nullptr;
        }
    }
    ~CDisplayConnection() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    CDisplayConnection(const CDisplayConnection &) = delete;
    CDisplayConnection &operator=(const CDisplayConnection &) = delete;
    Display *Get() const { return m_display; }

private:
    Display *m_display;
};

} // namespace

bool RealInputAvailable() {
    Display *display = XDisplay();
    int event = 0, error = 0, major = 0, minor = 0;
    return display && XTestQueryExtension(display, &event, &error, &major, &minor);
}

bool FocusWindow(wxTopLevelWindow *window) {
    if (!window || !RealInputAvailable())
        return false;
    window->Show();
    window->Raise();
    PumpEvents(50);
    Display *display = XDisplay();
    // Without a window manager nobody hands out the focus: take it as one would, for the X
    // window that shows the frame (the child of the root under its middle), and keep the
    // pointer over it so that a pointer-root focus stays there too.
    const wxRect rect = window->GetScreenRect();
    const wxPoint middle(rect.x + rect.width / 2, rect.y + rect.height / 2);
    MoveTo(middle);
    const Window root = DefaultRootWindow(display);
    int x = 0, y = 0;
    Window shown = None;
    if (XTranslateCoordinates(display, root, root, middle.x, middle.y, &x, &y, &shown) &&
        shown != None)
        XSetInputFocus(display, shown, RevertToParent, CurrentTime);
    XSync(display, False);
    return WaitFor([window] { return window->IsActive(); }, 3000);
}

bool RealKey(const std::string &keys, int ms) {
    if (!SendRealKey(keys))
        return false;
    PumpEvents(ms);
    return true;
}

bool SendRealKey(const std::string &keys) {
    if (!RealInputAvailable())
        return false;
    return SendKeys(XDisplay(), keys);
}

bool RealType(const std::string &text, int ms) {
    for (char c : text) {
        const std::string key = c == ' ' ? std::string("space") : std::string(1, c);
        if (!RealKey(key, 10))
            return false;
    }
    PumpEvents(ms);
    return true;
}

void RealMove(wxWindow *window, const wxPoint &client, int ms) {
    if (!RealInputAvailable())
        return;
    MoveTo(ScreenPoint(window, client));
    XSync(XDisplay(), False);
    PumpEvents(ms);
}

void RealClick(wxWindow *window, const wxPoint &client, int button, bool twice, int ms) {
    if (!RealInputAvailable())
        return;
    Display *display = XDisplay();
    MoveTo(ScreenPoint(window, client));
    XSync(display, False);
    PumpEvents(30);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
        XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
        XSync(display, False);
        if (twice)
            PumpEvents(20);
    }
    PumpEvents(ms);
}

bool RealClickWith(const std::string &modifiers, wxWindow *window, const wxPoint &client, int ms) {
    if (!RealInputAvailable())
        return false;
    Display *display = XDisplay();
    std::vector<KeyCode> codes;
    bool needsShift = false;
    if (!KeyCodes(display, modifiers, codes, needsShift))
        return false;
    MoveTo(ScreenPoint(window, client));
    XSync(display, False);
    PumpEvents(30);
    for (KeyCode code : codes)
        XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    XSync(display, False);
    PumpEvents(ms);
    return true;
}

void RealDrag(wxWindow *window, const wxPoint &from, const wxPoint &to, int button, int ms) {
    if (!RealInputAvailable())
        return;
    Display *display = XDisplay();
    MoveTo(ScreenPoint(window, from));
    XSync(display, False);
    PumpEvents(30);
    XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
    XSync(display, False);
    PumpEvents(30);
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        const wxPoint p(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
        MoveTo(ScreenPoint(window, p));
        XSync(display, False);
        PumpEvents(15);
    }
    XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
    XSync(display, False);
    PumpEvents(ms);
}

bool RealMoveOn(const std::string &display, const wxPoint &screen) {
    CDisplayConnection connection(display);
    if (!connection.Get())
        return false;
    XTestFakeMotionEvent(connection.Get(), -1, screen.x, screen.y, CurrentTime);
    XSync(connection.Get(), False);
    return true;
}

bool RealClickOn(const std::string &display, const wxPoint &screen, int button) {
    CDisplayConnection connection(display);
    if (!connection.Get())
        return false;
    XTestFakeMotionEvent(connection.Get(), -1, screen.x, screen.y, CurrentTime);
    XTestFakeButtonEvent(connection.Get(), static_cast<unsigned>(button), True, CurrentTime);
    XTestFakeButtonEvent(connection.Get(), static_cast<unsigned>(button), False, CurrentTime);
    XSync(connection.Get(), False);
    return true;
}

bool RealKeyOn(const std::string &display, const std::string &keys) {
    CDisplayConnection connection(display);
    return connection.Get() && SendKeys(connection.Get(), keys);
}

} // namespace kvdtest::gui
