#include "orq_utils/FileGroupReplacement.h"

#include "orq_utils/FolderListing.h"
#include "orq_utils/PathName.h"
#include "orq_utils/ReplacementFolder.h"
#include "orq_utils/ReplacementLock.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace ORQ {

namespace {

std::atomic<int> g_stopAfter{CFileGroupReplacement::STEP_NONE};
std::atomic<CFileGroupReplacement::StepHook> g_stepHook{nullptr};
// How long a writer waits for another writer of its line: a line's write takes milliseconds to
// seconds (a long trace file on a slow disk).
constexpr int kLockWaitMs = 15000;
std::atomic<int> g_lockWaitMs{kLockWaitMs};

} // namespace

void CFileGroupReplacement::SetStopAfter(EStep step) {
    g_stopAfter = step;
}

void CFileGroupReplacement::SetStepHook(StepHook hook) {
    g_stepHook = hook;
}

void CFileGroupReplacement::SetLockWait(int milliseconds) {
    g_lockWaitMs = milliseconds < 0 ? kLockWaitMs : milliseconds;
}

int CFileGroupReplacement::LockWait() {
    return g_lockWaitMs;
}

void CFileGroupReplacement::SetWaitHook(void (*hook)()) {
    CReplacementLock::SetWaitHook(hook);
}

std::string CFileGroupReplacement::BusyText(const std::string &lineFile) {
    const int ms = g_lockWaitMs;
    const std::string waited =
        ms >= 1000 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
    return "another program is writing the files of the line " + StemOf(LeafOf(lineFile)) +
           " and did not finish within " + waited +
           "; nothing was changed. Try again once it is done";
}

bool CFileGroupReplacement::Hold(const std::string &hdFile) {
    m_why.clear();
    // A record a killed write left is carried out first: the header it puts in place is the one
    // to hold and read.
    for (int tries = 0; tries < 8; ++tries) {
        if (!m_hold->Take(hdFile, g_lockWaitMs))
            return errno == ENOENT || LockRefused(hdFile);
        if (FinishPendingReplacementOf(hdFile, m_extensions) == PENDING_NONE || m_hold->StillAt())
            return true;
    }
    errno = EWOULDBLOCK;
    return LockRefused(hdFile);
}

CFileGroupReplacement::CFileGroupReplacement(std::vector<std::string> extensions)
    : m_extensions(std::move(extensions)), m_lock(std::make_unique<CReplacementLock>()),
      m_hold(std::make_unique<CLineHold>()) {}

CFileGroupReplacement::~CFileGroupReplacement() {
    // The members' temporaries go first, the line's lock (when a Commit part-way still holds
    // it) after them.
    m_members.clear();
}

CFileReplacement &CFileGroupReplacement::Add(const std::string &target) {
    m_members.push_back(std::make_unique<CFileReplacement>(target));
    return *m_members.back();
}

bool CFileGroupReplacement::Fail(int error, const std::string &why) {
    m_why = why;
    errno = error ? error : EIO;
    return false;
}

bool CFileGroupReplacement::Stopped(EStep step) {
    if (const StepHook hook = g_stepHook)
        hook(step);
    if (g_stopAfter != step)
        return false;
    for (auto &m : m_members)
        m->Abandon();
    return true;
}

bool CFileGroupReplacement::CheckMembers(const std::string &recordPath) {
    const std::string folder = FolderOf(recordPath);
    SReplacementRecord record;
    for (auto &m : m_members) {
        if (FolderOf(m->Target()) != folder)
            return Fail(EXDEV, m->Target() + " does not lie in " + folder +
                                   " with the files it is replaced with");
        if (!IsReplacementTarget(LeafOf(m->Target())))
            return Fail(EINVAL, m->Target() + ": a name this replacement cannot record");
        record.renames.push_back({std::string(), LeafOf(m->Target())});
    }
    // The reader carries out only a record of one line's files: a group of others could be
    // stopped part-way and never finished.
    std::string why;
    if (!CheckReplacementTargets(record, ReplacementRecordLine(LeafOf(recordPath)), m_extensions,
                                 why))
        return Fail(EINVAL, "these files cannot be replaced as one line's: " + why);
    return true;
}

bool CFileGroupReplacement::Commit() {
    m_why.clear();
    if (m_members.empty())
        return true;
    const std::string recordPath = ReplacementRecordPath(m_members.front()->Target());
    if (!CheckMembers(recordPath))
        return false;
    // One writer of a line at a time, across processes: the line's lock is held from before its
    // first temporary has a name (until then no one else can see it) until its record is gone.
    // A writer that waited in vain has changed nothing.
    // A group that holds its line (Hold) has it from every other holder. Without a record or a
    // lock file on disk no other writer is under way and nothing is to be finished, and the
    // line's lock file, which would add a name to the folder whose entries the write flushes,
    // is not needed: a writer that does not hold lines and comes in meanwhile meets this
    // group's record (the exclusive creation of a record refuses the later of the two) and its
    // temporaries locked.
    struct stat there {};
    const bool lockNeeded =
        !m_hold->Held() || ::lstat(recordPath.c_str(), &there) == 0 || errno != ENOENT ||
        ::lstat(ReplacementLockPath(recordPath).c_str(), &there) == 0 || errno != ENOENT;
    const bool committed = !lockNeeded ? CommitHeld(recordPath)
                           : m_lock->Take(ReplacementLockPath(recordPath), g_lockWaitMs)
                               ? CommitHeld(recordPath)
                               : LockRefused(m_members.front()->Target());
    // The temporaries of a group that failed before its record go (while the line is ours).
    for (auto &m : m_members)
        m->Discard();
    m_lock->Release();
    m_hold->Release();
    return committed;
}

bool CFileGroupReplacement::LockRefused(const std::string &lineFile) {
    const int err = errno;
    if (err != EWOULDBLOCK)
        return Fail(err, "the line's lock " + ReplacementLockPath(lineFile) +
                             " cannot be taken: " + std::strerror(err));
    return Fail(EBUSY, BusyText(lineFile));
}

bool CFileGroupReplacement::CommitHeld(const std::string &recordPath) {
    // A record an earlier, killed replacement left is carried out first; ours takes its name.
    std::string why;
    const EPendingReplacement pending =
        FinishHeldReplacementOf(m_members.front()->Target(), m_extensions, &why);
    if (pending == PENDING_BUSY)
        return Fail(EBUSY, "another program is replacing these files at this moment");
    if (pending == PENDING_UNREADABLE || pending == PENDING_FAILED || pending == PENDING_REFUSED)
        return Fail(EBUSY, "an earlier replacement of these files was left unfinished (" +
                               recordPath + ": " + why +
                               "); deleting that record lets them be written again");

    // A line held since its read must still have the header that was read.
    if (m_hold->Held() && !m_hold->StillAt())
        return Fail(EBUSY, "another program wrote the files of the line " +
                               StemOf(LeafOf(m_hold->Path())) +
                               " after they were read here; nothing was changed. Try again");

    // Step 1: every temporary complete (Finish) and named.
    SReplacementRecord record;
    for (auto &m : m_members) {
        if (!m->Name())
            return Fail(m->Error(), m->Target() + ": " + std::strerror(m->Error()));
        record.renames.push_back({LeafOf(m->TempPath()), LeafOf(m->Target())});
    }
    SyncFolderOf(recordPath);
    if (Stopped(STEP_TEMPORARIES))
        return Fail(EINTR, "stopped after its temporary files");

    // Step 2: the record; from here on the new files count. Listings of the folder read before
    // do not show it, and say so. What it is on disk is noted, so that step 4 removes this
    // record and no other.
    const std::string text = FormatReplacementRecord(record);
    if (text.empty())
        return Fail(EINVAL, "the names of these files cannot be recorded");
    CFileReplacement recordFile(recordPath);
    CFolderListing::NoteNewEntry();
    struct stat written {};
    if (!recordFile.Open(0644) || !recordFile.Write(text.data(), text.size()) ||
        !recordFile.Finish() || !recordFile.CommitNew() ||
        ::lstat(recordPath.c_str(), &written) != 0)
        return Fail(recordFile.Error(),
                    recordPath + ": " +
                        std::strerror(recordFile.Error() ? recordFile.Error() : EIO));
    if (Stopped(STEP_RECORD))
        return Fail(EINTR, "stopped after its record");

    // Step 3: the renames. A refused one leaves the record to the next reader, who retries.
    for (auto &m : m_members) {
        if (!m->Commit(false)) {
            const int err = m->Error();
            for (auto &other : m_members)
                other->Abandon();
            return Fail(err, m->Target() + ": " + std::strerror(err));
        }
        if (m == m_members.front() && m_members.size() > 1 && Stopped(STEP_FIRST_RENAME))
            return Fail(EINTR, "stopped after its first rename");
    }
    SyncFolderOf(recordPath);
    if (Stopped(STEP_RENAMES))
        return Fail(EINTR, "stopped after its renames");

    // Step 4: done; the record goes while the name still leads to the one written in step 2.
    struct stat now {};
    if (::lstat(recordPath.c_str(), &now) == 0 && now.st_dev == written.st_dev &&
        now.st_ino == written.st_ino)
        ::unlink(recordPath.c_str());
    SyncFolderOf(recordPath);
    return true;
}

} // namespace ORQ
