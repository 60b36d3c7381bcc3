#pragma once

// The editor program itself in a process of its own, for tests of its start-up and shutdown.

#include <string>
#include <sys/types.h>
#include <vector>

namespace kvdtest::gui {

// The editor program built beside the test programs (<build>/bin/KVD_Edit).
std::string ProgramPath();

// Where the program runs: its display (empty: the test's own) and the file that takes its
// error output (empty: the test's own).
struct SProgramPlace {
    std::string display;
    std::string errorFile;
};

// The program started with its settings under configHome ($XDG_CONFIG_HOME) and args on its
// command line; a process still running when the object goes is killed.
class CProgramProcess {
public:
    CProgramProcess(const std::string &configHome, const std::vector<std::string> &args,
                    const SProgramPlace &place = SProgramPlace());
    ~CProgramProcess();
    CProgramProcess(const CProgramProcess &) = delete;
    CProgramProcess &operator=(const CProgramProcess &) = delete;

    bool Started() const { return m_pid > 0; }
    // Waits up to timeoutMs for the end of start-up: the diagnostic logger, made last of all
    // start-up steps, stores its level in the INI file at once. True when it did.
    bool WaitForStartUp(const std::string &ini, int timeoutMs) const;
    // Asks the program to end as a desktop's termination request does (SIGTERM) and waits up
    // to timeoutMs; status gets its wait status. False when it did not end (it is then killed).
    bool Terminate(int timeoutMs, int &status);
    // Sends the program a termination request (SIGTERM) and returns at once; false when it has
    // ended already.
    bool RequestTermination();
    // Waits up to timeoutMs for the program to end by itself (its own Exit command); status gets
    // its wait status. False when it still runs.
    bool WaitForEnd(int timeoutMs, int &status);

private:
    pid_t m_pid = -1;
};

} // namespace kvdtest::gui
