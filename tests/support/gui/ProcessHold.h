#pragma once

// A process of a test's desktop (its window manager, the program under test) held still, as a
// loaded machine leaves a process waiting for its turn: what the process does waits until the
// hold ends, while the X server and the other processes go on.

#include <string>
#include <sys/types.h>

namespace kvdtest::gui {

class CProcessHold {
public:
    // The process that this process started under name (its first 15 characters, as the system
    // keeps it) for the display (":<number>", from the process's DISPLAY): the desktop's
    // window manager ("openbox"), or a program started with that DISPLAY. Not found while it
    // does not run yet.
    CProcessHold(const std::string &name, const std::string &display);
    // Lets the process go on.
    ~CProcessHold();
    CProcessHold(const CProcessHold &) = delete;
    CProcessHold &operator=(const CProcessHold &) = delete;

    // Looks for the process again when it was not found; true when it is known.
    bool Find();
    // Stops the process (SIGSTOP); true when it is held.
    bool Hold();
    // Lets it go on (SIGCONT).
    void Release();

private:
    std::string m_name, m_display;
    pid_t m_pid = -1;
    bool m_held = false;
};

} // namespace kvdtest::gui
