#include "tests/support/HeldWriter.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvdtest {

namespace {

// Set in the child only, before its body runs.
unsigned g_holds = 0;
int g_readyFd = -1;
int g_goFd = -1;

void HoldAt(ORQ::CFileGroupReplacement::EStep step) {
    if (!(g_holds & (1u << step)))
        return;
    const char byte = static_cast<char>(step);
    if (::write(g_readyFd, &byte, 1) != 1)
        return;
    char go = 0;
    // A test that went away (end of file) lets the child go on.
    while (::read(g_goFd, &go, 1) < 0 && errno == EINTR) {
    }
}

} // namespace

CHeldWriter::CHeldWriter(const std::function<bool()> &body, std::initializer_list<EStep> holds) {
    int ready[2], go[2];
    if (::pipe(ready) != 0)
        return;
    if (::pipe(go) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    std::fflush(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::close(ready[0]);
        ::close(go[1]);
        g_readyFd = ready[1];
        g_goFd = go[0];
        for (EStep step : holds)
            g_holds |= 1u << step;
        ORQ::CFileGroupReplacement::SetStepHook(&HoldAt);
        const bool ok = body();
        // No exit handlers: they belong to the test process.
        ::_exit(ok ? 0 : 1);
    }
    ::close(ready[1]);
    ::close(go[0]);
    m_ready = ready[0];
    m_go = go[1];
}

CHeldWriter::~CHeldWriter() {
    Kill();
    if (m_ready >= 0)
        ::close(m_ready);
    if (m_go >= 0)
        ::close(m_go);
}

CHeldWriter::EStep CHeldWriter::WaitHeld(int timeoutMs) {
    if (m_pid <= 0)
        return ORQ::CFileGroupReplacement::STEP_NONE;
    pollfd wait{m_ready, POLLIN, 0};
    int polled = 0;
    while ((polled = ::poll(&wait, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    char byte = 0;
    if (polled != 1 || ::read(m_ready, &byte, 1) != 1)
        return ORQ::CFileGroupReplacement::STEP_NONE;
    return static_cast<EStep>(byte);
}

void CHeldWriter::Go() {
    const char byte = 1;
    if (m_go >= 0 && ::write(m_go, &byte, 1) != 1)
        std::perror("held writer: go");
}

void CHeldWriter::Kill() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

int CHeldWriter::Wait(int timeoutMs) {
    if (m_pid <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (true) {
        const pid_t ended = ::waitpid(m_pid, &status, WNOHANG);
        if (ended == m_pid)
            break;
        if (ended < 0 && errno != EINTR) {
            m_pid = -1;
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            Kill();
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace kvdtest
