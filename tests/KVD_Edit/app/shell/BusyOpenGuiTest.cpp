// Opening a large project as a person does: the program in a process of its own on a desktop
// with a window manager, the project on its command line, and the screen read from the X server
// about every 100 ms until the program is idle again. One "Processing" dialog stands from the
// start of the open to the filled grid, moving all the time, over a main window that is painted;
// when it goes nothing of it stays on the screen; and a question asked during the open stands
// above it.

#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"
#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/ProgramProcess.h"

#include <gtest/gtest.h>

#include <wx/image.h>

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/gui/XProperty.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// A surveyor's large project; smaller in the sanitizer build, where everything runs slower.
constexpr int kLines = kSanitized ? 1500 : 10000;
constexpr int kGpsLines = kSanitized ? 400 : 1500;
// How soon the windows under the dialog show their own picture again once it went. The
// sanitizer build paints the grid and the plan several times slower (every allocation of the
// drawing is traced), so it is given longer; what is checked stays the same.
constexpr std::chrono::milliseconds kRepaintedWithin{kSanitized ? 1500 : 200};
// How long after the main window is first seen it may still be black (mapped, not yet painted):
// in the plain build only the first capture that sees it may fall into that moment; the
// sanitizer build's first paint takes longer than a capture's period.
constexpr std::chrono::milliseconds kFirstPaintWithin{kSanitized ? 1000 : 0};

constexpr const char *kBusyTitle = "Processing";

// ---- what the X server shows ---------------------------------------------------------------

std::vector<long> Longs(const std::vector<unsigned char> &bytes) {
    std::vector<long> values(bytes.size() / sizeof(long));
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = reinterpret_cast<const long *>(bytes.data())[i];
    return values;
}

// A managed window on the screen.
struct SClient {
    Window id = None;
    std::string title;
    bool dialog = false; // a dialog by its window type (the main frame is a normal window)
    wxRect frame;        // with the manager's decorations; empty while not viewable
};

// The managed windows that are viewable now, bottom to top.
std::vector<SClient> Clients(::Display *display) {
    std::vector<SClient> clients;
    const Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    for (long id : Longs(WindowProperty(display, DefaultRootWindow(display),
                                        "_NET_CLIENT_LIST_STACKING", XA_WINDOW))) {
        SClient client;
        client.id = static_cast<Window>(id);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, client.id, &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        const std::vector<unsigned char> name = WindowProperty(
            display, client.id, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False));
        client.title.assign(name.begin(), name.end());
        for (long type : Longs(WindowProperty(display, client.id, "_NET_WM_WINDOW_TYPE", XA_ATOM)))
            client.dialog = client.dialog || static_cast<Atom>(type) == dialogType;
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(display, client.id, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        long extents[4] = {0, 0, 0, 0}; // left, right, top, bottom
        const std::vector<long> frame =
            Longs(WindowProperty(display, client.id, "_NET_FRAME_EXTENTS", XA_CARDINAL));
        for (size_t i = 0; i < 4 && i < frame.size(); ++i)
            extents[i] = frame[i];
        client.frame =
            wxRect(x - extents[0], y - extents[2], attributes.width + extents[0] + extents[1],
                   attributes.height + extents[2] + extents[3]);
        clients.push_back(client);
    }
    return clients;
}

bool IsBusy(const SClient &client) {
    return client.title.find(kBusyTitle) != std::string::npos;
}

// The whole screen as 0xRRGGBB pixels.
struct SScreen {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    std::vector<uint32_t> Cut(const wxRect &rect) const {
        std::vector<uint32_t> part;
        const wxRect r = wxRect(rect).Intersect(wxRect(0, 0, width, height));
        for (int y = r.y; y < r.GetBottom() + 1; ++y)
            for (int x = r.x; x < r.GetRight() + 1; ++x)
                part.push_back(At(x, y));
        return part;
    }
    wxImage Image() const {
        wxImage image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t p = At(x, y);
                image.SetRGB(x, y, p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
            }
        return image;
    }
};

SScreen GrabAll(::Display *display) {
    SScreen screen;
    XWindowAttributes attributes;
    const Window root = DefaultRootWindow(display);
    XGetWindowAttributes(display, root, &attributes);
    XImage *shot = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                             static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!shot)
        return screen;
    screen.width = attributes.width;
    screen.height = attributes.height;
    screen.pixels.resize(static_cast<size_t>(screen.width) * screen.height);
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            screen.pixels[static_cast<size_t>(y) * screen.width + x] =
                shot->bits_per_pixel == 32
                    ? reinterpret_cast<const uint32_t *>(shot->data + y * shot->bytes_per_line)[x] &
                          0xFFFFFF
                    : static_cast<uint32_t>(XGetPixel(shot, x, y) & 0xFFFFFF);
    XDestroyImage(shot);
    return screen;
}

// The share of black pixels of the main window outside the rectangle hidden (every fourth
// pixel of every fourth row).
double BlackShare(const SScreen &screen, const wxRect &main, const wxRect &hidden) {
    size_t black = 0, all = 0;
    const wxRect r = wxRect(main).Intersect(wxRect(0, 0, screen.width, screen.height));
    for (int y = r.y; y <= r.GetBottom(); y += 4)
        for (int x = r.x; x <= r.GetRight(); x += 4) {
            if (hidden.Contains(x, y))
                continue;
            ++all;
            black += screen.At(x, y) == 0;
        }
    return all ? static_cast<double>(black) / all : 0;
}

// ---- watching an open ----------------------------------------------------------------------

// One look at the screen.
struct SCapture {
    Clock::time_point at;
    std::vector<SClient> busy;     // the busy dialogs on the screen
    std::vector<SClient> others;   // other dialogs (questions, messages)
    wxRect main;                   // the main window (empty before it shows)
    wxRect watched;                // the busy dialog's place (its last place once it went)
    std::vector<uint32_t> picture; // what the screen shows there
    double black = 0;              // black share of the main window beside the busy dialog
    std::vector<uint32_t> grid;    // a strip of the line grid, left of the dialog's place
};

// A strip of the main window's left part, where the line grid shows its rows.
wxRect GridStrip(const wxRect &main) {
    return wxRect(main.x + 20, main.y + main.height / 4, main.width / 5, main.height / 2);
}

// The program opened with a project on its command line, the screen read about every 100 ms
// until the busy dialog went and the screen stood still for a while, or until timeoutMs.
struct SOpenWatch {
    std::vector<SCapture> captures;
    std::string errors;                                           // the program's error output
    std::function<void(::Display *, const SCapture &)> onCapture; // may answer a question
};

void WatchOpen(const CDesktop &desktop, const std::string &project, SOpenWatch &watch,
               const std::string &artifact, int timeoutMs) {
    TempDir home;
    const std::string folder = home.File("config") + "/Brenwick/KVD_Edit";
    ASSERT_TRUE(EnsureFolder(folder));
    const std::string errors = home.File("errors.txt");
    ::Display *display = XOpenDisplay(desktop.Display().c_str());
    ASSERT_NE(nullptr, display);
    {
        CProgramProcess program(home.File("config"), {project}, {desktop.Display(), errors});
        ASSERT_TRUE(program.Started()) << ProgramPath();
        const auto start = Clock::now();
        wxRect lastBusy;
        bool seen = false, savedFirst = false, savedGone = false;
        Clock::time_point gone{};
        std::vector<uint32_t> still;
        Clock::time_point stillSince = Clock::now();
        while (Clock::now() - start < std::chrono::milliseconds(timeoutMs)) {
            const auto next = Clock::now() + std::chrono::milliseconds(100);
            SCapture capture;
            capture.at = Clock::now();
            for (const SClient &client : Clients(display)) {
                if (IsBusy(client))
                    capture.busy.push_back(client);
                else if (client.dialog)
                    capture.others.push_back(client);
                else if (client.title.find("KVD_Edit") != std::string::npos)
                    capture.main = client.frame;
            }
            const SScreen screen = GrabAll(display);
            if (!capture.busy.empty())
                lastBusy = capture.busy.front().frame;
            capture.watched = lastBusy;
            if (!lastBusy.IsEmpty())
                capture.picture = screen.Cut(lastBusy);
            if (!capture.main.IsEmpty())
                capture.grid = screen.Cut(GridStrip(capture.main));
            if (!capture.main.IsEmpty())
                capture.black =
                    BlackShare(screen, capture.main, capture.busy.empty() ? wxRect() : lastBusy);
            if (!capture.busy.empty() && !savedFirst) {
                SaveArtifact(screen.Image(), artifact + "_first");
                savedFirst = true;
            }
            seen = seen || !capture.busy.empty();
            if (seen && capture.busy.empty() && gone == Clock::time_point{}) {
                gone = capture.at;
                SaveArtifact(screen.Image(), artifact + "_gone");
            }
            if (gone != Clock::time_point{} && !savedGone &&
                capture.at - gone >= std::chrono::milliseconds(200)) {
                SaveArtifact(screen.Image(), artifact + "_after");
                savedGone = true;
            }
            watch.captures.push_back(capture);
            if (watch.onCapture)
                watch.onCapture(display, capture);
            // The end: the dialog went a second ago and the screen has stood still since.
            if (screen.pixels != still) {
                still = screen.pixels;
                stillSince = capture.at;
            }
            if (gone != Clock::time_point{} &&
                capture.at - gone > std::chrono::milliseconds(1000) &&
                capture.at - stillSince > std::chrono::milliseconds(800))
                break;
            std::this_thread::sleep_until(next);
        }
        SaveArtifact(GrabAll(display).Image(), artifact + "_idle");
    }
    XCloseDisplay(display);
    watch.errors = ReadFile(errors);
}

// The captures from the first with a busy dialog to the last with one.
std::pair<size_t, size_t> BusySpan(const std::vector<SCapture> &captures) {
    size_t first = captures.size(), last = captures.size();
    for (size_t i = 0; i < captures.size(); ++i)
        if (!captures[i].busy.empty()) {
            if (first == captures.size())
                first = i;
            last = i;
        }
    return {first, last};
}

std::string Seconds(const SCapture &capture, const SCapture &start) {
    return std::to_string(
               std::chrono::duration_cast<std::chrono::milliseconds>(capture.at - start.at)
                   .count()) +
           " ms";
}

} // namespace

TEST(BusyOpenGui, OneMovingDialogFromOpenToFilledGridAndNothingLeftAfter) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    GridProjectLayout layout = ManyLines(kLines);
    // Fiducials on every line: the open renews them, which reloads the grid once more.
    for (GridLineLayout &line : layout.lines)
        line.fidComment = "1:Start";
    const std::string project = WriteGridProject(data.Path(), layout);

    SOpenWatch watch;
    WatchOpen(desktop, project, watch, "BusyOpen", 45000);
    const std::vector<SCapture> &all = watch.captures;
    ASSERT_FALSE(all.empty());
    const auto [first, last] = BusySpan(all);
    ASSERT_LT(first, all.size()) << "no busy dialog was seen during the open";
    ASSERT_LT(last + 1, all.size()) << "the busy dialog never went";

    std::set<Window> dialogs;
    std::set<std::vector<uint32_t>> pictures;
    const SCapture *mainFirstSeen = nullptr;
    for (size_t i = 0; i < all.size(); ++i) {
        const SCapture &c = all[i];
        EXPECT_LE(c.busy.size(), 1u) << "two busy dialogs at once at " << Seconds(c, all[0]);
        for (const SClient &busy : c.busy)
            dialogs.insert(busy.id);
        if (i >= first && i <= last) {
            EXPECT_EQ(1u, c.busy.size())
                << "the busy dialog was away at " << Seconds(c, all[0]) << " during the open";
            if (!c.busy.empty())
                pictures.insert(c.picture);
        }
        // A window is black from its mapping to its first paint: the capture that first sees
        // the main window may fall into that moment, no later one (kFirstPaintWithin).
        if (c.main.IsEmpty())
            continue;
        if (!mainFirstSeen) {
            mainFirstSeen = &c;
        } else if (c.at - mainFirstSeen->at > kFirstPaintWithin) {
            EXPECT_LT(c.black, 0.5) << "the main window was mostly black at " << Seconds(c, all[0])
                                    << ", " << Seconds(c, *mainFirstSeen) << " after it came";
        }
    }
    EXPECT_EQ(1u, dialogs.size()) << "one busy dialog window for the whole open";
    EXPECT_GE(pictures.size(), 3u)
        << "the busy dialog moved during the open (" << last - first + 1 << " captures)";

    // Nothing of the dialog's last picture stays where it stood: the pixels where that picture
    // differs from what the place shows at the end must not show it 200 ms after it went.
    const SCapture &lastSeen = all[last];
    const SCapture &end = all.back();
    ASSERT_EQ(lastSeen.picture.size(), end.picture.size());
    const Clock::time_point went = all[last + 1].at;
    for (size_t i = last + 1; i < all.size(); ++i) {
        const SCapture &c = all[i];
        if (c.at - went < kRepaintedWithin || c.picture.size() != end.picture.size())
            continue;
        size_t differing = 0, remaining = 0;
        for (size_t p = 0; p < end.picture.size(); ++p)
            if (lastSeen.picture[p] != end.picture[p]) {
                ++differing;
                remaining += c.picture[p] == lastSeen.picture[p];
            }
        EXPECT_LT(remaining, differing / 50 + 1) << "the dialog's picture still showed "
                                                 << Seconds(c, lastSeen) << " after its last sight";
    }

    // The grid was filled when the dialog went: the main window beside the dialog's place
    // shows then what it shows at the end.
    const SCapture &after = all[last + 1];
    ASSERT_FALSE(after.main.IsEmpty());
    ASSERT_EQ(after.grid.size(), end.grid.size());
    size_t same = 0;
    for (size_t p = 0; p < end.grid.size(); ++p)
        same += after.grid[p] == end.grid[p];
    EXPECT_GT(same, end.grid.size() * 95 / 100)
        << "the grid showed its rows only after the dialog went";
    EXPECT_TRUE(watch.errors.find("CRITICAL") == std::string::npos) << watch.errors;
    RecordProperty("busy_captures", static_cast<int>(last - first + 1));
}

TEST(BusyOpenGui, GpsQuestionStandsAboveTheDialogAndTheOpenGoesOnUnderIt) {
    CDesktop desktop;
    ASSERT_TRUE(desktop.Started()) << desktop.Problem();
    TempDir data;
    GridProjectLayout layout = ManyLines(kGpsLines);
    for (GridLineLayout &line : layout.lines)
        line.gpsBeside = true;
    const std::string project = WriteGridProject(data.Path(), layout);

    SOpenWatch watch;
    bool answered = false;
    Window question = None;
    watch.onCapture = [&](::Display *display, const SCapture &capture) {
        if (answered || capture.others.empty())
            return;
        // The question has come: it gets the keyboard and Return answers its default, Yes.
        question = capture.others.back().id;
        XSetInputFocus(display, question, RevertToParent, CurrentTime);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        SaveArtifact(GrabAll(display).Image(), "BusyOpenGpsQuestion_question");
        const KeyCode enter = XKeysymToKeycode(display, XK_Return);
        XTestFakeKeyEvent(display, enter, True, CurrentTime);
        XTestFakeKeyEvent(display, enter, False, CurrentTime);
        XSync(display, False);
        answered = true;
    };
    WatchOpen(desktop, project, watch, "BusyOpenGpsQuestion", 40000);
    const std::vector<SCapture> &all = watch.captures;
    ASSERT_TRUE(answered) << "no question came during the open";

    std::set<Window> dialogs;
    size_t askedAt = all.size(), answeredAt = all.size();
    for (size_t i = 0; i < all.size(); ++i) {
        const SCapture &c = all[i];
        for (const SClient &busy : c.busy)
            dialogs.insert(busy.id);
        bool asking = false;
        for (const SClient &other : c.others) {
            asking = asking || other.id == question;
            for (const SClient &busy : c.busy)
                EXPECT_FALSE(busy.frame.Intersects(other.frame))
                    << "the busy dialog covered the question at " << Seconds(c, all[0]);
        }
        if (asking && askedAt == all.size())
            askedAt = i;
        if (!asking && askedAt < all.size() && answeredAt == all.size())
            answeredAt = i;
    }
    ASSERT_LT(answeredAt, all.size()) << "the question stayed after the answer";
    bool backAfter = false;
    for (size_t i = answeredAt; i < all.size(); ++i)
        backAfter = backAfter || !all[i].busy.empty();
    EXPECT_TRUE(backAfter) << "the open went on without the busy dialog after the answer";
    EXPECT_EQ(1u, dialogs.size()) << "one busy dialog window for the whole open";
}
