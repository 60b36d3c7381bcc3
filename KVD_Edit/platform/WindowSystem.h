#pragma once

#include <wx/gdicmn.h>

#include <chrono>
#include <functional>

class wxMDIChildFrame;
class wxTopLevelWindow;
class wxWindow;

// What the program asks of the window system the toolkit draws with (GTK over X11) below the
// toolkit's own interface: a top-level window's frame on the screen, whether the window manager
// still holds a window, waiting until it lets one go, sending what was asked at once, whether
// the display is open, and showing a top-level window at once. This is the one place that
// includes the window system's headers and reaches into the toolkit's internals.
//
// Every question put to the X server runs under an error trap of the toolkit's connection: a
// window destroyed in between, or a display of another window system, gives the answer "not
// known" (ANSWER_NOT_KNOWN, false, 0), never an X error, which would end the program with the
// person's unsaved work. Everything here runs on the UI thread.
namespace WindowSystem {

// An X window's id as the X server numbers it; 0 for none.
using XWindowId = unsigned long;

// An answer the window system may be unable to give.
enum EAnswer : int {
    ANSWER_NO,
    ANSWER_YES,
    ANSWER_NOT_KNOWN, // the window is gone, or the display is not an X display
};

// True once the toolkit has opened its display (the application initialised it); false before
// that and in programs without windows, where no other function here does anything.
bool IsDisplayOpen();

// Sends what the program asked of the display server so far (a window withdrawn, a part of a
// window painted) now, rather than when the toolkit next waits for events.
void Flush();

// The X window of a shown top-level window of ours; 0 when it has none (not realised yet, or
// another window system).
XWindowId WindowOf(const wxWindow *topLevel);

// Whether the window manager holds the window in a frame of its own (a reparenting manager, as
// nearly all are, puts each window it manages into one): ANSWER_NO when the window stands on the
// root window itself (no manager, or the manager let it go).
EAnswer ManagerHolds(XWindowId window);

// Where the window manager's frame of a shown top-level window stands on the screen, its
// decorations included; false when it cannot be known (not shown, not a top-level window).
bool FrameOnScreen(const wxWindow *topLevel, wxRect &frame);

// Waits, at most bound, until the window manager has let a window go (taken it out of its frame,
// or the window was destroyed), following the window system's events as they come: between
// looks it waits on the toolkit's connection and then runs takeEvents, which must let the
// toolkit read and dispatch what came (a limited yield). No sleeping: it wakes when the server
// speaks, and at the bound. True when the manager let the window go within bound or holds it no
// longer; false when the bound passed, or nothing can be known of the window.
bool WaitUntilLetGo(XWindowId window, std::chrono::milliseconds bound,
                    const std::function<void()> &takeEvents);

// Waits, at most the time given, until the X server sends the toolkit's connection something
// (at once when it holds events nobody has read yet): a wait that wakes when the window system
// answers, for loops that look again after each answer. Returns at once without an X display.
void WaitForServer(std::chrono::milliseconds most);

// Gives a scrolled window (the grid's list) classic scroll bars in place of the toolkit's
// overlay ones, which fade in whenever the pointer moves over the window or it scrolls and out
// again a second later, one step per screen frame, each step repainting the whole view under
// them: for the grid every row in view, dozens of times per click or scroll. No effect on any
// other window.
void KeepClassicScrollBars(wxWindow *window);

// Shows a top-level window at once when it is next shown, without the toolkit's deferred first
// show (which waits for the window manager's decoration sizes). Call before the first Show.
void ShowAtOnce(wxTopLevelWindow *window);

// True once the window manager has told the toolkit the sizes of the window's decorations.
bool FrameSizesKnown(const wxTopLevelWindow *window);

// Holds a child frame just made in a tabbed main frame off the screen, its tab out of the row
// and the page in front left in front, until ShowHeldChild: the toolkit brings a new page to the
// front when it is next idle, also when a dialog is up before that (the one that names a new
// project's file, over the project that was open). A child alone in the main frame stays.
void HoldNewChildBack(wxMDIChildFrame *child);
// Shows a child frame held back and brings its page to the front.
void ShowHeldChild(wxMDIChildFrame *child);

// Keeps what the window manager says of the frames of windows that are off the screen from the
// toolkit. A manager that lets a window go (hidden, or destroyed once the program is next idle)
// tells it that its frame has sizes of nothing; the toolkit takes the frame sizes any window is
// told as those of every new window of its kind, and the next dialog of that kind would be laid
// out for a frame of nothing: placed in the screen's corner and given too small a size for what
// it shows. From this call on, the frame sizes told to a top-level window of ours that is not
// shown do not reach the toolkit; those of a window being shown do. Call once the display is
// open; later calls do nothing.
void IgnoreFrameSizesOfHiddenWindows();

} // namespace WindowSystem
