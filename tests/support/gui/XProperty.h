#pragma once

// Reading what the X server holds of a window, for tests that watch a desktop as a person sees
// it: the window manager's lists and a window's title, type and decorations. Include it after
// every other header: Xlib's macros (None, Bool, Status) clash with names declared elsewhere.

#include <vector>

#include <X11/Xlib.h>

namespace kvdtest::gui {

// The property name of window as bytes, of the given type; empty when it has none. Lists of
// 32-bit items (windows, atoms, cardinals) come as longs, as Xlib hands them out.
std::vector<unsigned char> WindowProperty(::Display *display, Window window, const char *name,
                                          Atom type);

} // namespace kvdtest::gui
