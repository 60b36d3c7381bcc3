#pragma once

// The lock of one line's replacement files: an advisory lock (flock) on the line's lock file
// (ReplacementLockPath), which the kernel drops with its holder, so a killed writer never holds
// a line for ever. Different descriptors exclude each other, also within one process: a thread
// holding a line never takes it again (HeldHere tells its sweeps and reads that it holds it).
//
// The holder removes the file on its release, still locked. Whoever opened it meanwhile and
// then gets the lock finds that the name no longer leads to its file, and opens the name anew:
// so at any moment at most one process holds the file the name leads to.
//
// A wait for a line another holds blocks in the kernel until the holder lets it go or the wait
// is over (a timer of this thread interrupts it), waking every tenth of a second to call the
// wait hook, which the program sets to keep its busy display alive.

#include "orq_utils/OrqExport.h"

#include <functional>
#include <string>
#include <sys/types.h>

namespace ORQ {

class ORQ_UTILS_API CReplacementLock {
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
    const std::string &Path() const { return m_path; }
    // Removes the lock file and lets it go (nothing happens when not held). A file of that name
    // that holds bytes is no lock file of ours, and stays. When the thread then holds no line,
    // what was put off until then (AfterRelease) runs.
    void Release();

    // Whether this thread holds the lock file path (through any CReplacementLock).
    static bool HeldHere(const std::string &path);
    // Runs action now when this thread holds no line's lock nor line (CLineHold), else once it
    // has let the last one go: a message box shown while a line is held would keep the other
    // program's writer of it waiting for as long as the person reads.
    static void AfterRelease(std::function<void()> action);

    // Called on the waiting thread about every tenth of a second while a wait for a line lasts;
    // null (the default) calls nothing.
    using WaitHook = void (*)();
    static void SetWaitHook(WaitHook hook);

private:
    std::string m_path;
    int m_fd = -1;
    // The lock file held, and whether its holder removes it on release.
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    bool m_removable = false;
};

// A hold of a line for a read-change-write: an advisory lock (flock) on its header file itself,
// the file the name leads to, taken before the line is read and let go when its write is done.
// It adds no name to the folder, so a writer killed with it leaves nothing behind. The name gets
// a new file when the line is written; whoever waited on the old one finds that the name no
// longer leads to it, and takes the new one: so at any moment at most one process holds the
// file the name leads to, and one that got it reads what the last holder wrote (a write under
// way is waited for through the line's lock, CReplacementLock).
class ORQ_UTILS_API CLineHold {
public:
    CLineHold() = default;
    ~CLineHold() { Release(); }
    CLineHold(const CLineHold &) = delete;
    CLineHold &operator=(const CLineHold &) = delete;

    // Holds the file at path (links followed), waiting up to waitMs while another holds it.
    // false with errno: EWOULDBLOCK when another held it all that time, ENOENT when there is no
    // file, else why it could not be opened or locked.
    bool Take(const std::string &path, int waitMs);
    bool Held() const { return m_fd >= 0; }
    const std::string &Path() const { return m_path; }
    // Whether the name still leads to the file held: false once another program gave it a new
    // file meanwhile, which a holder's write must then not overwrite.
    bool StillAt() const;
    void Release();

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace ORQ
