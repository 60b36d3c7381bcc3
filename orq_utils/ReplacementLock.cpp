#include "orq_utils/ReplacementLock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ORQ {

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<CReplacementLock::WaitHook> g_waitHook{nullptr};

// The lock files and held lines (CLineHold, their paths after a NUL) this thread holds, and
// what waits until it holds none.
thread_local std::vector<std::string> t_held;
thread_local std::vector<std::function<void()>> t_afterRelease;

std::string HoldKey(const std::string &path) {
    return std::string(1, '\0') + path;
}

// Notes that this thread no longer holds key, and runs what waited for its last hold to go.
void Unheld(const std::string &key) {
    const auto held = std::find(t_held.begin(), t_held.end(), key);
    if (held != t_held.end())
        t_held.erase(held);
    if (t_held.empty() && !t_afterRelease.empty()) {
        std::vector<std::function<void()>> actions;
        actions.swap(t_afterRelease);
        for (auto &action : actions)
            action();
    }
}

// The longest a blocked wait lasts before the wait hook is called.
constexpr auto kWaitSlice = std::chrono::milliseconds(100);

// Opens the lock file, made when it is not there. One that another user made, and this one may
// only read, locks all the same; where none can be made, the reason is why it could not.
int OpenLockFile(const std::string &path) {
    const int flags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | flags, 0644);
    if (fd >= 0 || (errno != EACCES && errno != EROFS))
        return fd;
    const int err = errno;
    const int readOnly = ::open(path.c_str(), O_RDONLY | flags);
    if (readOnly < 0)
        errno = err;
    return readOnly;
}

// The signal a thread's wait timer sends to end a blocked flock: a real-time one that nothing
// else here uses, with a handler that does nothing and does not restart the call. 0 when another
// part of the process has a handler of its own for it.
void WakeHandler(int) {}
int WakeSignal() {
    static const int signal = [] {
        const int s = SIGRTMAX - 2;
        struct sigaction old {};
        if (::sigaction(s, nullptr, &old) != 0)
            return 0;
        if (old.sa_handler == WakeHandler)
            return s;
        if (old.sa_handler != SIG_DFL || (old.sa_flags & SA_SIGINFO))
            return 0;
        struct sigaction action {};
        action.sa_handler = WakeHandler;
        sigemptyset(&action.sa_mask);
        return ::sigaction(s, &action, nullptr) == 0 ? s : 0;
    }();
    return signal;
}

// A one-shot timer of this thread that interrupts its blocking call when it runs out.
class CWakeTimer {
public:
    CWakeTimer() {
        m_signal = WakeSignal();
        if (!m_signal)
            return;
        sigset_t wake;
        sigemptyset(&wake);
        sigaddset(&wake, m_signal);
        ::pthread_sigmask(SIG_UNBLOCK, &wake, &m_mask);
        struct sigevent event {};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = m_signal;
        event._sigev_un._tid = ::gettid();
        m_made = ::timer_create(CLOCK_MONOTONIC, &event, &m_timer) == 0;
    }
    ~CWakeTimer() {
        if (m_made)
            ::timer_delete(m_timer);
        if (m_signal)
            ::pthread_sigmask(SIG_SETMASK, &m_mask, nullptr);
    }
    CWakeTimer(const CWakeTimer &) = delete;
    CWakeTimer &operator=(const CWakeTimer &) = delete;
    bool Made() const { return m_made; }
    // Arms the timer for the time given (0 disarms it).
    void Arm(Clock::duration after) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(after).count();
        struct itimerspec when {};
        when.it_value.tv_sec = ns / 1000000000;
        when.it_value.tv_nsec = ns % 1000000000;
        ::timer_settime(m_timer, 0, &when, nullptr);
    }

private:
    int m_signal = 0;
    bool m_made = false;
    timer_t m_timer{};
    sigset_t m_mask{};
};

// Waits until fd's lock is taken or the deadline passed: false with errno EWOULDBLOCK then, or
// the error of the lock. The wait blocks in the kernel, which hands the lock over the moment its
// holder lets it go; the timer ends each block after a slice, for the wait hook.
bool WaitForLock(int fd, Clock::time_point deadline) {
    CWakeTimer timer;
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        const auto slice = std::min<Clock::duration>(kWaitSlice, deadline - now);
        int locked;
        if (timer.Made()) {
            timer.Arm(slice);
            locked = ::flock(fd, LOCK_EX);
            const int err = errno;
            timer.Arm(Clock::duration::zero());
            errno = err;
        } else {
            // Without a timer a lock that is free is still found at once; a held one is looked
            // at again after the slice.
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
            if (locked != 0 && errno == EWOULDBLOCK) {
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(slice);
                struct timespec pause {
                    static_cast<time_t>(ns.count() / 1000000000),
                        static_cast<long>(ns.count() % 1000000000)
                };
                ::nanosleep(&pause, nullptr);
                errno = EINTR;
            }
        }
        if (locked == 0)
            return true;
        if (errno != EINTR)
            return false;
        if (const CReplacementLock::WaitHook hook = g_waitHook)
            hook();
    }
}

} // namespace

bool CReplacementLock::Take(const std::string &path, int waitMs) {
    Release();
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
    int fd = -1;
    for (int renewed = 0;;) {
        if (fd < 0 && (fd = OpenLockFile(path)) < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 ||
            (errno == EWOULDBLOCK && waitMs > 0 && WaitForLock(fd, deadline))) {
            struct stat byFd {
            }, byName{};
            if (::fstat(fd, &byFd) == 0 && ::lstat(path.c_str(), &byName) == 0 &&
                byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino) {
                m_path = path;
                m_fd = fd;
                m_dev = byFd.st_dev;
                m_ino = byFd.st_ino;
                // A file with content is no lock file of ours (one is always empty): only its
                // lock is used, and it stays.
                m_removable = S_ISREG(byFd.st_mode) && byFd.st_size == 0;
                t_held.push_back(path);
                return true;
            }
            // Its holder removed it on its release: the name is free again, or another's.
            ::close(fd);
            fd = -1;
            if (++renewed < 100 || Clock::now() < deadline)
                continue;
            errno = EWOULDBLOCK;
            return false;
        }
        const int err = errno;
        ::close(fd);
        errno = err;
        return false;
    }
}

void CReplacementLock::Release() {
    if (m_fd < 0)
        return;
    const int err = errno;
    // Removed while still held; a name that leads elsewhere was never ours to remove.
    struct stat byName {};
    if (m_removable && ::lstat(m_path.c_str(), &byName) == 0 && byName.st_dev == m_dev &&
        byName.st_ino == m_ino)
        ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
    const std::string path = std::move(m_path);
    m_path.clear();
    Unheld(path);
    errno = err;
}

bool CReplacementLock::HeldHere(const std::string &path) {
    return std::find(t_held.begin(), t_held.end(), path) != t_held.end();
}

void CReplacementLock::AfterRelease(std::function<void()> action) {
    if (t_held.empty())
        action();
    else
        t_afterRelease.push_back(std::move(action));
}

void CReplacementLock::SetWaitHook(WaitHook hook) {
    g_waitHook = hook;
}

bool CLineHold::Take(const std::string &path, int waitMs) {
    Release();
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
    for (int renewed = 0;; ++renewed) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 &&
            !(errno == EWOULDBLOCK && waitMs > 0 && WaitForLock(fd, deadline))) {
            const int err = errno;
            ::close(fd);
            errno = err;
            return false;
        }
        m_fd = fd;
        m_path = path;
        if (StillAt()) {
            t_held.push_back(HoldKey(path));
            return true;
        }
        // The holder before gave the name a new file: that one is the line's now.
        ::close(m_fd);
        m_fd = -1;
        m_path.clear();
        if (renewed >= 100 && Clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
    }
}

bool CLineHold::StillAt() const {
    struct stat byName {
    }, byFd{};
    return m_fd >= 0 && ::stat(m_path.c_str(), &byName) == 0 && ::fstat(m_fd, &byFd) == 0 &&
           byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

void CLineHold::Release() {
    if (m_fd < 0)
        return;
    const int err = errno;
    ::close(m_fd);
    m_fd = -1;
    const std::string key = HoldKey(m_path);
    m_path.clear();
    Unheld(key);
    errno = err;
}

} // namespace ORQ
