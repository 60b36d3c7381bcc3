#pragma once

#include <chrono>
#include <functional>
#include <memory>

// What the busy indicator shows while a level is open: the "Processing" dialog with the wait
// cursor in the program, nothing (or a recorder) in headless tests.
class IBusyDisplay {
public:
    virtual ~IBusyDisplay() = default;
    // Whether the user asked to cancel; pumps the display's own events first.
    virtual bool IsCancelled() = 0;
    // The work has gone on a while: the display draws its next frame and the program's windows
    // repaint what needs it. Only painting and timers run here, never input or posted commands.
    virtual void Tick() = 0;
};

// The application's busy state. Begin and End nest: the outermost Begin shows the display, the
// matching last End removes it. Everything runs on the UI thread (the toolkit allows windows
// only there), so the display lives as long as the outermost level and nothing waits for another
// thread; long work keeps the display alive by calling Tick once per unit of work. The state
// belongs to this process alone.
//
// One operation a person started may run as several levels one after another: an open loads
// the project, then the reload it posted fills the grid, and that may post more. A level whose
// work goes on in work it posted calls HandOver: its last End then keeps the display for the
// next outermost level, which shows the same display again, so the person sees one dialog from
// the start to the end of the operation. A kept display that no level takes goes when the
// program is idle (Idle).
class CBusyIndicator {
public:
    using Clock = std::chrono::steady_clock;
    using DisplayFactory = std::function<std::unique_ptr<IBusyDisplay>()>;
    using TimeSource = std::function<Clock::time_point()>;

    // The least time between two drawings of the display by Tick.
    static constexpr std::chrono::milliseconds kTickInterval{100};

    // Shows the "Processing" dialog when the program runs with windows, nothing otherwise.
    CBusyIndicator();
    // now is asked only while the display is shown (the steady clock when empty).
    explicit CBusyIndicator(DisplayFactory factory, TimeSource now = TimeSource());
    ~CBusyIndicator();
    CBusyIndicator(const CBusyIndicator &) = delete;
    CBusyIndicator &operator=(const CBusyIndicator &) = delete;

    void Begin();
    void End();
    // Ends every level and removes the display, also one kept for posted work.
    void EndAll();

    // The work of the open levels goes on in work they posted: the last End keeps the display
    // for the level that work begins. Does nothing while no level is open.
    void HandOver();
    // The program has nothing left to do (no posted work waits): a display kept for a level that
    // did not come goes at the second call in a row, so that the windows first finish what their
    // own idle work does (a list lays out the rows it was given) and the display's removal
    // paints them. True when the display waits for the next call: the caller asks for more
    // idle time.
    bool IdleAsksForMore();

    // One unit of long work done. Costs a test while nothing is shown; while the display is
    // shown it lets the display draw when kTickInterval has passed since it last drew.
    void Tick() {
        if (m_display)
            TickShown();
    }

    int GetCount() const { return m_count; }
    // Whether a display is up: while a level is open, or kept between levels of one operation.
    bool IsShown() const { return m_display != nullptr; }
    // Whether long work runs or its display is up (or going).
    bool IsBusy() const { return m_count > 0 || m_display || m_removing; }
    // Whether no level is open and the display waits for the next level of the operation.
    bool IsKept() const { return m_count == 0 && m_display != nullptr; }
    // The cancel request of the shown dialog; false when nothing is shown.
    bool IsCancelled();
    // Replaces what Begin shows from the next outermost level on (benchmarks compare displays).
    void SetDisplayFactory(DisplayFactory factory) { m_factory = std::move(factory); }

private:
    void TickShown();
    void Remove();
    Clock::time_point Now() const { return m_now ? m_now() : Clock::now(); }

    DisplayFactory m_factory;
    TimeSource m_now;
    std::unique_ptr<IBusyDisplay> m_display;
    std::unique_ptr<IBusyDisplay> m_retired;
    Clock::time_point m_lastDraw;
    int m_count = 0;
    bool m_ticking = false;
    bool m_handOver = false;
    bool m_removing = false;
    bool m_idleOnce = false; // Idle was called once since the last level ended
};

// The application's busy indicator; null while the program has no application object (headless
// tests, benchmarks of the plain classes).
CBusyIndicator *AppBusyIndicator();

// Whether the application runs long work (or shows its busy display): windows put off drawing
// that costs much until it is over.
bool AppIsBusy();

// One unit of long work done: a tick of the application's busy indicator, when there is one.
// Long loops call it once per row, line, file or save.
void BusyTick();

// One level of the application's busy indicator for the life of the object: long work shows the
// "Processing" dialog and the wait cursor while it runs. Does nothing without the application.
class CBusyLevel {
public:
    CBusyLevel() : m_busy(AppBusyIndicator()) {
        if (m_busy)
            m_busy->Begin();
    }
    ~CBusyLevel() {
        if (m_busy)
            m_busy->End();
    }
    CBusyLevel(const CBusyLevel &) = delete;
    CBusyLevel &operator=(const CBusyLevel &) = delete;

private:
    CBusyIndicator *m_busy;
};
