#pragma once

// Input through the X server itself (the XTest extension, as xdotool sends it): key presses and
// mouse clicks reach the program the way a person's do, through the X focus, the toolkit's key
// handling and the accelerator tables. Use these for tests of keys and menus; the synthetic
// events of InputEvents.h reach one window's handlers only.

#include <wx/gdicmn.h>

#include <string>

class wxWindow;
class wxTopLevelWindow;

namespace kvdtest::gui {

// Whether the display offers the XTest extension; the functions below do nothing without it.
bool RealInputAvailable();

// Raises window and gives it the X input focus (and the toolkit's focus), then waits until
// the toolkit reports it active. True when it did.
bool FocusWindow(wxTopLevelWindow *window);

// Presses and releases one key with modifiers, as a person would type it. keys is in xdotool's
// form: "ctrl+a", "Delete", "Insert", "F1", "shift+Tab", "alt+f", "Return", "Escape". The
// modifiers are pressed first and released last. Events are pumped afterwards for ms
// milliseconds. False when a key name is not known.
bool RealKey(const std::string &keys, int ms = 150);
// Sends the key presses of RealKey and returns without processing any event: for input that
// must arrive while the program is busy (sent from a timer that runs inside long work).
bool SendRealKey(const std::string &keys);

// Types text (letters, digits and punctuation of the US layout) key by key.
bool RealType(const std::string &text, int ms = 150);

// Moves the pointer to a client point of window.
void RealMove(wxWindow *window, const wxPoint &client, int ms = 50);
// Clicks mouse button (1 left, 2 middle, 3 right) at a client point of window; a double click
// when twice is true.
void RealClick(wxWindow *window, const wxPoint &client, int button = 1, bool twice = false,
               int ms = 150);
// A left click at a client point of window with modifier keys held ("shift", "ctrl",
// "ctrl+shift": xdotool's names), as a person extends a selection. False when a name is not
// known.
bool RealClickWith(const std::string &modifiers, wxWindow *window, const wxPoint &client,
                   int ms = 150);
// Presses the button at from, moves to to in a few steps, releases it there (a drag).
void RealDrag(wxWindow *window, const wxPoint &from, const wxPoint &to, int button = 1,
              int ms = 150);

// Input on another display, where the program runs in a process of its own (a CDesktop's):
// the pointer to a point of the screen, a click there, and keys to the window that has the
// focus. False when the display cannot be reached or lacks XTest, or a key name is not known.
bool RealMoveOn(const std::string &display, const wxPoint &screen);
bool RealClickOn(const std::string &display, const wxPoint &screen, int button = 1);
bool RealKeyOn(const std::string &display, const std::string &keys);

} // namespace kvdtest::gui
