#pragma once

#include "KVD_Edit/app/shell/NormalPlacement.h"

#include <wx/docmdi.h>

#include <wx/accel.h>
#include <wx/timer.h>

#include <string>
#include <vector>

class wxDocManager;
class wxMenuBar;
class wxToolBar;

// The program's top-level window: the multi-document frame with the menu bar, one toolbar, the
// status bar (message pane and two coordinate panes) and the client area of the project
// windows. It stores its placement when it closes: the rectangle of its normal state, also when
// it is maximised or minimised then.
class CMainFrame : public wxDocMDIParentFrame {
public:
    CMainFrame();
    // Creates the window with its menus, toolbar and status bar; false when any of them fails.
    bool Create(wxDocManager *manager);

    // Gives the frame its outer rectangle on the screen, the window manager's decorations
    // included (the rectangle it stores when it closes).
    void RestorePlacement(const wxRect &outer);
    // The placement it stores: its frame now while it is normal, else the frame of its normal
    // state as last seen (the frame now when it was never seen normal).
    SWindowPlacement GetNormalPlacement() const;

    // Sets the text of status pane 0, 1 or 2. Panes 1 and 2 take the width of their text (no
    // border when empty); an empty text leaves pane 0 as it is.
    void SetStatusText(int pane, const char *text);
    using wxDocMDIParentFrame::SetStatusText;
    // The last text given to a pane.
    std::string GetPaneText(int pane) const;

    // The menu bars: without a document, and the one of a project's frame. Both carry the
    // recent files of the document manager.
    static wxMenuBar *CreateFrameMenuBar(wxDocManager *manager);
    static wxMenuBar *CreateDocumentMenuBar(wxDocManager *manager);
    // "&About " + the program's short title on the About entry of a menu bar.
    static void ApplyAboutLabel(wxMenuBar *menuBar);

    // Puts the toolbar's buttons on bar, each with its picture (the caller realizes the bar).
    // Without their own pictures, disabled buttons show the toolkit's greyed form of them.
    static void AddToolButtons(wxToolBar *bar);

    // The frame's keys: F1 help, Shift+F1 context help, F5 the editing dialog, Ctrl+P print, F6
    // and Shift+F6 the next and previous pane.
    static std::vector<wxAcceleratorEntry> AcceleratorEntries();

    // The maker's contact text of Help > Brenwick contact information.
    static std::string GetContactText();

    static constexpr const char *kContactCaption = "Brenwick Contact Information";

protected:
    // Menu and toolbar help in the message pane, shown once the pending events ran.
    void DoGiveHelp(const wxString &text, bool show) override;

private:
    // The window is shown at its own size at once, without the toolkit's deferred first show.
    void ShowAtOnce();
    // True once the window manager has reported the sizes of the frame's decorations.
    bool DecorationsKnown() const;
    void OnIdle(wxIdleEvent &event);
    // After events: has the frame on the screen read for the normal placement a while later,
    // at once after it moved, changed its size or its state, and again for a while.
    void WatchPlacement();
    void OnReadTimer(wxTimerEvent &event);
    CNormalPlacement::EState PlacementState() const;
    bool CreateToolBarWithButtons();
    void OnClose(wxCloseEvent &event);
    void OnMenuOpen(wxMenuEvent &event);
    void OnHelpContactinfo(wxCommandEvent &event);
    void OnDropFiles(wxDropFilesEvent &event);
    void OnCommand(wxCommandEvent &event);
    void OnUpdateCommand(wxUpdateUIEvent &event);
    void OnUpdateProjectCommand(wxUpdateUIEvent &event);
    void OnRecentFile(wxCommandEvent &event);

    std::string m_paneText[3];
    // The outer size asked for before the decorations' sizes were known; given again once they
    // are, as the toolkit took it for the size inside them.
    wxSize m_pendingOuterSize = wxDefaultSize;
    CNormalPlacement m_normalPlacement;
    wxTimer m_readTimer;            // the next reading of the frame
    bool m_placementChanged = true; // moved, sized or changed its state since the last idle time
    bool m_readerWoke = false;      // the reading's timer event made the program idle again
    CNormalPlacement::Clock::time_point m_lastChange; // the last move, size or state change
    SPlacementRect m_lastFrame;                       // the frame at the last reading
    CNormalPlacement::EState m_lastState = CNormalPlacement::NORMAL; // and the state then
    static constexpr int kReadEveryMs = 200;
    static constexpr int kFollowMs = 3000;
};
