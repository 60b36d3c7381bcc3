#pragma once

// Input for window tests: a frame to hold controls, synthesised keys and mouse events as a
// user's would arrive, and what a drawing paints.

#include <wx/colour.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <functional>
#include <string>

namespace kvdtest::gui {

// A fresh panel to hold a test's controls, filling one frame that the process keeps shown at a
// fixed place (frames made later in a process do not reliably reach the virtual screen, so
// screenshots would show a stale picture). The panel goes with the object.
class CTestFrame {
public:
    explicit CTestFrame(const wxString &title, const wxSize &size = wxSize(400, 300));
    ~CTestFrame();
    wxWindow *operator->() const { return m_panel; }
    wxWindow *Get() const { return m_panel; }

private:
    wxWindow *m_panel;
};

// A key press (down, then up) delivered to window's handlers.
void PressKey(wxWindow *window, int keyCode, bool alt = false);
void KeyDown(wxWindow *window, int keyCode, bool alt = false);
void KeyUp(wxWindow *window, int keyCode);
// A mouse event of type at a client point of window.
void Mouse(wxWindow *window, wxEventType type, const wxPoint &client);

// Saves a PNG of what the display shows of window, read from the X server itself (GrabScreen;
// the harness's SaveScreenshot when that fails), under the artifacts folder; returns the path,
// empty when nothing was saved. Reading the screen through the toolkit can give a picture taken
// earlier in the process.
std::string SaveScreenPicture(wxWindow *window, const std::string &name);

// What draw(dc) paints into a bitmap of the given size, white before.
wxImage Render(const wxSize &size, const std::function<void(wxDC &)> &draw);
} // namespace kvdtest::gui
