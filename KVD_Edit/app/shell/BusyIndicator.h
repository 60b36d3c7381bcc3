#pragma once

#include <functional>
#include <memory>

// What the busy indicator shows while a level is open: the "Processing" dialog with the wait
// cursor in the program, nothing (or a recorder) in headless tests.
class IBusyDisplay {
public:
    virtual ~IBusyDisplay() = default;
    // Whether the user asked to cancel; pumps the display's own events first.
    virtual bool IsCancelled() = 0;
};

// The application's busy state. Begin and End nest: the outermost Begin shows the display, the
// matching last End removes it. Everything runs on the UI thread (the toolkit allows windows
// only there), so the display lives as long as the outermost level and nothing waits for another
// thread. The state belongs to this process alone.
class CBusyIndicator {
public:
    using DisplayFactory = std::function<std::unique_ptr<IBusyDisplay>()>;

    // Shows the "Processing" dialog when the program runs with windows, nothing otherwise.
    CBusyIndicator();
    explicit CBusyIndicator(DisplayFactory factory);
    ~CBusyIndicator();
    CBusyIndicator(const CBusyIndicator &) = delete;
    CBusyIndicator &operator=(const CBusyIndicator &) = delete;

    void Begin();
    void End();
    void EndAll();

    int GetCount() const { return m_count; }
    bool IsShown() const { return m_display != nullptr; }
    // The cancel request of the shown dialog; false when nothing is shown.
    bool IsCancelled();

private:
    DisplayFactory m_factory;
    std::unique_ptr<IBusyDisplay> m_display;
    int m_count = 0;
};
