#include "tests/support/gui/InputEvents.h"

#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GuiHarness.h"

#include <cctype>
#include <cstdlib>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/utils.h>
#include <wx/weakref.h>

namespace kvdtest::gui {

namespace {
wxFrame *TestFrame() {
    static wxWeakRef<wxFrame> frame;
    if (!frame) {
        frame = new wxFrame(nullptr, wxID_ANY, "controls", wxPoint(50, 50), wxSize(400, 300));
        frame->Show();
    }
    return frame;
}
} // namespace

CTestFrame::CTestFrame(const wxString &title, const wxSize &size) {
    wxFrame *frame = TestFrame();
    frame->SetTitle(title);
    frame->SetClientSize(size);
    m_panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), size);
    frame->Raise();
    PumpEvents(100);
}

CTestFrame::~CTestFrame() {
    m_panel->Destroy();
    PumpEvents(50);
}

namespace {
wxKeyEvent Key(wxEventType type, wxWindow *window, int keyCode, bool alt) {
    wxKeyEvent event(type);
    event.m_keyCode = keyCode;
    event.m_altDown = alt;
    event.SetEventObject(window);
    event.SetId(window->GetId());
    return event;
}
} // namespace

void KeyDown(wxWindow *window, int keyCode, bool alt) {
    wxKeyEvent event = Key(wxEVT_KEY_DOWN, window, keyCode, alt);
    window->GetEventHandler()->ProcessEvent(event);
}

void KeyUp(wxWindow *window, int keyCode) {
    wxKeyEvent event = Key(wxEVT_KEY_UP, window, keyCode, false);
    window->GetEventHandler()->ProcessEvent(event);
}

void PressKey(wxWindow *window, int keyCode, bool alt) {
    KeyDown(window, keyCode, alt);
    KeyUp(window, keyCode);
    PumpEvents(20);
}

void Mouse(wxWindow *window, wxEventType type, const wxPoint &client) {
    wxMouseEvent event(type);
    event.SetPosition(client);
    event.SetEventObject(window);
    event.SetId(window->GetId());
    event.m_leftDown = type == wxEVT_LEFT_DOWN;
    window->GetEventHandler()->ProcessEvent(event);
}

std::string SaveScreenPicture(wxWindow *window, const std::string &name) {
    if (!window)
        return std::string();
    window->Raise();
    window->Refresh();
    window->Update();
    PumpEvents(150);
    const std::string path = SaveArtifact(GrabScreen(std::string(), window->GetScreenRect()), name);
    return path.empty() ? SaveScreenshot(window, name) : path;
}

} // namespace kvdtest::gui

namespace kvdtest::gui {
wxImage Render(const wxSize &size, const std::function<void(wxDC &)> &draw) {
    wxBitmap bitmap(size, 24);
    {
        wxMemoryDC memory(bitmap);
        memory.SetBackground(*wxWHITE_BRUSH);
        memory.Clear();
        draw(memory);
    }
    return bitmap.ConvertToImage();
}

} // namespace kvdtest::gui
