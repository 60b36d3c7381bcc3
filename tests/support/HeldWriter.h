#pragma once

// A child process that writes through group replacements (ORQ::CFileGroupReplacement) and
// stops after the steps a test names, until the test lets it go on or kills it there: the
// moments between a writer's steps, which a random kill hits only now and then, on demand.

#include "orq_utils/FileGroupReplacement.h"

#include <functional>
#include <initializer_list>
#include <sys/types.h>

namespace kvdtest {

class CHeldWriter {
public:
    using EStep = ORQ::CFileGroupReplacement::EStep;

    // Runs body in a forked child (its exit code: 0 when body returns true, else 1), which
    // stops after each of the steps holds names, in every group it commits.
    CHeldWriter(const std::function<bool()> &body, std::initializer_list<EStep> holds);
    // A child still running is killed.
    ~CHeldWriter();
    CHeldWriter(const CHeldWriter &) = delete;
    CHeldWriter &operator=(const CHeldWriter &) = delete;

    // Waits up to timeoutMs for the child to stop at a step: that step, or STEP_NONE when it
    // did not stop within the time (it waits for something, or it ended).
    EStep WaitHeld(int timeoutMs);
    // Lets the stopped child go on.
    void Go();
    // Kills the child (SIGKILL) where it is, and waits for it.
    void Kill();
    // Waits up to timeoutMs for the child to end by itself: its exit code, or -1 when it was
    // killed or did not end in time (then it is killed).
    int Wait(int timeoutMs);

private:
    pid_t m_pid = -1;
    int m_ready = -1; // the child's "held at" bytes
    int m_go = -1;    // the test's "go on" bytes
};

} // namespace kvdtest
