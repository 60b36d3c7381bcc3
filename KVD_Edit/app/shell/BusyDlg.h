#pragma once

#include "KVD_Edit/app/shell/BusyIndicator.h"

#include <wx/bitmap.h>
#include <wx/dialog.h>
#include <wx/timer.h>

#include <chrono>
#include <memory>
#include <vector>

// The looping animation of the busy dialog: a ring of spokes, one of them dark, turning by one
// spoke per frame. The work steps it (through the busy indicator's ticks), and a timer steps it
// while the program waits in an event loop (a question asked during the work).
class CBusyAnimation : public wxWindow {
public:
    static constexpr int kFrames = 12;

    explicit CBusyAnimation(wxWindow *parent);

    // Moves to the next frame (after the last comes the first) unless a frame was shown less
    // than a timer period ago, and asks for a repaint. True when it moved.
    bool Step();
    int GetFrame() const { return m_frame; }
    // How many frames have been painted on screen since the animation was created.
    int GetPaintCount() const { return m_painted; }

private:
    void DrawFrames(const wxColour &background);
    void OnPaint(wxPaintEvent &event);

    std::vector<wxBitmap> m_frames;
    std::chrono::steady_clock::time_point m_lastStep;
    int m_frame = 0;
    int m_painted = 0;
};

// The small modeless "Processing" dialog of the busy indicator, with a running animation. Cancel
// and Escape only note the request; the dialog closes when the busy indicator ends its level.
class CBusyDlg : public wxDialog {
public:
    explicit CBusyDlg(wxWindow *parent);
    ~CBusyDlg() override;

    // Pumps the dialog's waiting events and returns the cancel flag.
    bool IsCancelled();
    bool GetCancelFlag() const { return m_cancelled; }
    // One tick of long work: the animation steps, then the toolkit paints this dialog and the
    // main window and runs its timers (see YieldForPaintAndTimers).
    void Tick();
    // Stops the animation's timer (the dialog is about to go).
    void StopAnimation() { m_timer.Stop(); }
    // Shows the dialog on top without taking the keyboard, and lets the toolkit draw it before
    // the work goes on: the window system shows the window once the window manager has framed
    // it, which a loaded machine does late, and a window shown but not yet drawn is black until
    // the work next ticks. Waits at most kFirstDrawMs for the window manager.
    void ShowDrawn();
    // A question or message is about to be shown: the dialog leaves the screen for it.
    void StepAside();
    // The question is answered: the dialog comes back at the next tick of the work (or of its
    // timer), not at once, so that work that ends right after the answer shows nothing more.
    void ComeBackWhenTicked();
    bool IsAside() const { return m_aside; }
    CBusyAnimation *GetAnimation() const { return m_animation; }

    // The display of the application's busy indicator: the dialog over the main window and the
    // wait cursor. Null when the program runs without windows or off the UI thread.
    static std::unique_ptr<IBusyDisplay> CreateDisplay();

    // Lets the toolkit paint waiting windows and run due timers, and nothing else: key presses
    // and mouse clicks stay queued in the toolkit, posted events (commands, CallAfter) in the
    // program, and input the toolkit delivers as window events (pointer motion, a window's close
    // box) is dropped, so no command starts inside the work. Does nothing off the UI thread.
    static void YieldForPaintAndTimers();

    static constexpr const char *kMessage = "Processing data...\nPlease wait";
    // The animation's frame period while the program waits in an event loop.
    static constexpr int kTimerMs = 100;
    // How long the start of the work waits at most for the dialog's first drawing.
    static constexpr int kFirstDrawMs = 1000;
    // The longest wait between two looks at the first drawing: about one screen frame.
    static constexpr int kFrameMs = 16;
    // How long the end of the work waits at most for the window manager to take the dialog's
    // frame off the screen before the program paints what the dialog covered and goes on.
    static constexpr int kManagerLetsGoMs = 1000;
    // Room beside the title for the window manager's icon and buttons (pixels at 96 dpi).
    static constexpr int kTitleMargin = 110;

private:
    void OnCancel(wxCommandEvent &event);
    void OnCloseWindow(wxCloseEvent &event);
    void OnTimer(wxTimerEvent &event);
    void ComeBack();

    CBusyAnimation *m_animation = nullptr;
    wxTimer m_timer;
    bool m_cancelled = false;
    bool m_aside = false;    // hidden while a question is up
    bool m_comeBack = false; // the question was answered: shown again at the next tick
};
