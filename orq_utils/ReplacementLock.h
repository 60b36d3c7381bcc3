#pragma once

// The lock of one line's replacement files (not exported): an advisory lock (flock) on the
// line's lock file (ReplacementLockPath), which the kernel drops with its holder, so a killed
// writer never holds a line for ever. Different descriptors exclude each other, also within
// one process: a thread holding a line never takes it again (its sweeps and reads only try).
//
// The holder removes the file on its release, still locked. Whoever opened it meanwhile and
// then gets the lock finds that the name no longer leads to its file, and opens the name anew:
// so at any moment at most one process holds the file the name leads to.

#include <string>
#include <sys/types.h>

namespace ORQ {

class CReplacementLock {
public:
    CReplacementLock() = default;
    ~CReplacementLock() { Release(); }
    CReplacementLock(const CReplacementLock &) = delete;
    CReplacementLock &operator=(const CReplacementLock &) = delete;

    // Takes the lock of the lock file path (made when it is not there), waiting up to waitMs
    // while another holds it (0: only tries). false with errno: EWOULDBLOCK when another held it
    // all that time, else why the file could not be opened or locked.
    bool Take(const std::string &path, int waitMs);
    bool Held() const { return m_fd >= 0; }
    // Removes the lock file and lets it go (nothing happens when not held). A file of that name
    // that holds bytes is no lock file of ours, and stays.
    void Release();

private:
    std::string m_path;
    int m_fd = -1;
    // The lock file held, and whether its holder removes it on release.
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    bool m_removable = false;
};

} // namespace ORQ
