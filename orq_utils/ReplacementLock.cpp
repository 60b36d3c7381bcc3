#include "orq_utils/ReplacementLock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ORQ {

namespace {

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

} // namespace

bool CReplacementLock::Take(const std::string &path, int waitMs) {
    using Clock = std::chrono::steady_clock;
    Release();
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
    // Waits start short (a line's write is usually over in milliseconds) and grow to a bound
    // that keeps a waiter from missing its turn for long.
    auto pause = std::chrono::microseconds(250);
    const auto longestPause = std::chrono::microseconds(10000);
    int fd = -1;
    for (int renewed = 0;;) {
        if (fd < 0 && (fd = OpenLockFile(path)) < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
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
        const auto now = Clock::now();
        if (err != EWOULDBLOCK || now >= deadline) {
            ::close(fd);
            errno = err;
            return false;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, longestPause);
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
    m_path.clear();
    errno = err;
}

} // namespace ORQ
