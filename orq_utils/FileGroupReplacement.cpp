#include "orq_utils/FileGroupReplacement.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/FolderListing.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/ReplacementFolder.h"
#include "orq_utils/ReplacementRecord.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ORQ {

namespace {

std::atomic<int> g_stopAfter{CFileGroupReplacement::STEP_NONE};
std::atomic<unsigned long> g_recordsWritten{0};

const char kRecordSuffix[] = ".kvd-intent";

std::string Join(const std::string &folder, const std::string &leaf) {
    return folder == "/" ? "/" + leaf : folder + "/" + leaf;
}

std::string LowerAscii(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

bool EndsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsRecordName(const std::string &leaf) {
    return leaf.size() > 1 + std::strlen(kRecordSuffix) && leaf[0] == '.' &&
           EndsWith(leaf, kRecordSuffix);
}

// The extension of a name (after its last "."), empty when it has none.
std::string ExtensionOf(const std::string &leaf) {
    const size_t dot = leaf.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? std::string() : leaf.substr(dot + 1);
}

// The name of a file before its last ".": the line it belongs to, which names its group's record.
std::string StemOf(const std::string &leaf) {
    const size_t dot = leaf.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? leaf : leaf.substr(0, dot);
}

// The line a record is named for: ".<stem>.kvd-intent".
std::string RecordStemOf(const std::string &recordLeaf) {
    return recordLeaf.substr(1, recordLeaf.size() - 1 - std::strlen(kRecordSuffix));
}

// A file of at most limit bytes, read whole; false with why.
bool ReadSmallFile(const std::string &path, size_t limit, std::string &bytes, std::string &why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "it is not a file";
        errno = EINVAL;
        return false;
    }
    bytes.clear();
    char buffer[4096];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            why = std::strerror(err);
            ::close(fd);
            errno = err;
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, size_t(n));
        if (bytes.size() > limit) {
            ::close(fd);
            why = "it is far too large to be one";
            errno = EFBIG;
            return false;
        }
    }
    ::close(fd);
    return true;
}

// false with errno: that of the reading, or EBADMSG for a text that is no record.
bool ReadRecord(const std::string &path, SReplacementRecord &record, std::string &why) {
    std::string bytes;
    if (!ReadSmallFile(path, kMaxReplacementRecordBytes, bytes, why))
        return false;
    if (ParseReplacementRecord(bytes, record, why))
        return true;
    errno = EBADMSG;
    return false;
}

// A temporary file locked for us; -1 when it is gone (errno ENOENT), held by a live write
// (EWOULDBLOCK) or cannot be opened.
int LockTemporary(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat byFd {
    }, byName{};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    // Locked, but perhaps only after its writer put it in place and went: then the name leads
    // elsewhere, or nowhere.
    if (::fstat(fd, &byFd) != 0 || !S_ISREG(byFd.st_mode) || ::lstat(path.c_str(), &byName) != 0 ||
        byName.st_dev != byFd.st_dev || byName.st_ino != byFd.st_ino) {
        ::close(fd);
        errno = ENOENT;
        return -1;
    }
    return fd;
}

class CLockedFiles {
public:
    ~CLockedFiles() {
        for (int fd : m_fds)
            ::close(fd);
    }
    void Add(int fd) { m_fds.push_back(fd); }

private:
    std::vector<int> m_fds;
};

// Carries out the record at path, which may name only its line's files with one of extensions.
// why receives the reason of anything but NONE and FINISHED.
EPendingReplacement FinishRecord(const std::string &path,
                                 const std::vector<std::string> &extensions, std::string &why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? PENDING_NONE : (why = std::strerror(errno), PENDING_UNREADABLE);
    SReplacementRecord record;
    if (!ReadRecord(path, record, why))
        return errno == ENOENT && ::lstat(path.c_str(), &st) != 0 ? PENDING_NONE
                                                                  : PENDING_UNREADABLE;
    // Refused whole: renaming the files it may name and not the others would be a guess.
    if (!CheckReplacementTargets(record, RecordStemOf(LeafOf(path)), extensions, why))
        return PENDING_REFUSED;
    const std::string folder = FolderOf(path);

    // Every temporary still waiting is taken over first: one that a live write holds means
    // that write is under way (it removes the record itself), and nothing is touched.
    CLockedFiles held;
    std::vector<const SReplacementRecord::SRename *> waiting;
    for (const auto &r : record.renames) {
        const int fd = LockTemporary(Join(folder, r.temporary));
        if (fd >= 0) {
            held.Add(fd);
            waiting.push_back(&r);
            continue;
        }
        if (errno == ENOENT)
            continue; // already in place
        if (errno == EWOULDBLOCK)
            return PENDING_BUSY;
        why = r.temporary + ": " + std::strerror(errno);
        return PENDING_FAILED;
    }
    for (const auto *r : waiting) {
        if (::rename(Join(folder, r->temporary).c_str(), Join(folder, r->target).c_str()) != 0) {
            why = "renaming " + r->temporary + " to " + r->target + ": " + std::strerror(errno);
            return PENDING_FAILED;
        }
    }
    if (!waiting.empty())
        SyncFolderOf(path);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        why = std::strerror(errno);
        return PENDING_FAILED;
    }
    SyncFolderOf(path);
    return PENDING_FINISHED;
}

// Reports a record left alone, with what the person can do, once for each record as it stands:
// the same line is read again and again (every reload of the grid), and one message says it.
// Only the latest state of each record is remembered. line: the line's name as the reader
// spells it.
void ReportLeftAlone(const std::string &record, const std::string &line, EPendingReplacement result,
                     const std::string &why) {
    static std::mutex mutex;
    static std::map<std::string, std::string> reported;
    struct stat st {};
    ::lstat(record.c_str(), &st);
    const std::string state = why + "\n" + std::to_string(st.st_ino) + "\n" +
                              std::to_string(st.st_mtim.tv_sec) + "." +
                              std::to_string(st.st_mtim.tv_nsec);
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::string &last = reported[record];
        if (last == state)
            return;
        last = state;
    }
    std::string text = "The line " + line +
                       " is held back: the record of an unfinished "
                       "replacement of its files, " +
                       record + ", ";
    if (result == PENDING_UNREADABLE)
        text += "cannot be read (" + why + ").";
    else if (result == PENDING_REFUSED)
        text += "was not carried out because " + why + ".";
    else
        text += "could not be carried out (" + why + ").";
    text += "\nThe line's last GPS or topography change may be incomplete. Its files are left as "
            "they are, and the line cannot be written while the record is there.";
    if (result == PENDING_FAILED)
        text += "\nOnce the cause is mended, the record is carried out when the line is next "
                "read. Deleting the record instead lets the line be written again, but its "
                "header and trace file may then come from different changes.";
    else
        text += "\nDeleting the record lets the line be written again.";
    ShowMessage(text, MB_OK | MB_ICONWARNING);
}

// The stale temporaries of a folder that whose() accepts (given a temporary's target name),
// removed unless a pending record of the folder names them. A record that cannot be read may
// name any file of its own line (no other: see CheckReplacementTargets), so it keeps the
// temporaries of that line's files and no others. A record that reads keeps those it names,
// even when it is refused: they are left with it for the person to look at.
template <typename Whose> int RemoveStale(const std::string &folder, Whose whose) {
    std::vector<std::pair<std::string, std::string>> candidates; // temporary, target
    std::vector<std::string> records;
    {
        std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), &::closedir);
        if (!dir)
            return 0;
        while (const dirent *entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            std::string target;
            if (IsTemporaryName(name, &target) && whose(target))
                candidates.emplace_back(name, target);
            else if (IsRecordName(name))
                records.push_back(name);
        }
    }
    if (candidates.empty())
        return 0;
    std::set<std::string> named, heldLines;
    for (const std::string &leaf : records) {
        SReplacementRecord record;
        std::string why;
        if (ReadRecord(Join(folder, leaf), record, why)) {
            for (const auto &r : record.renames)
                named.insert(r.temporary);
        } else if (errno == ENOENT) {
            return RemoveStale(folder, whose);
        } else {
            heldLines.insert(FileNameKey(RecordStemOf(leaf)));
        }
    }
    int removed = 0;
    for (const auto &[name, target] : candidates) {
        if (named.count(name) ||
            (!heldLines.empty() && heldLines.count(FileNameKey(StemOf(target)))))
            continue;
        const std::string path = Join(folder, name);
        const int fd = LockTemporary(path);
        if (fd < 0)
            continue;
        // Removed while we hold its lock: no write can have taken it up in between.
        if (::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

} // namespace

// Folder helpers

std::string FolderOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LeafOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void SyncFolderOf(const std::string &path) {
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// Pending records and stale temporaries

std::string ReplacementRecordPath(const std::string &path) {
    return Join(FolderOf(path), "." + LowerAscii(StemOf(LeafOf(path))) + kRecordSuffix);
}

EPendingReplacement FinishPendingReplacementOf(const std::string &path,
                                               const std::vector<std::string> &extensions,
                                               std::string *why) {
    std::string reason;
    const std::string record = ReplacementRecordPath(path);
    const EPendingReplacement result = FinishRecord(record, extensions, reason);
    if (result == PENDING_UNREADABLE || result == PENDING_FAILED || result == PENDING_REFUSED)
        ReportLeftAlone(record, StemOf(LeafOf(path)), result, reason);
    if (why)
        *why = reason;
    return result;
}

EPendingReplacement FinishPendingReplacementOf(const std::string &path,
                                               const CFolderListing &listing,
                                               const std::vector<std::string> &extensions,
                                               std::string *why) {
    // A folder that held no record or temporary at all holds none for this file: the usual
    // case needs neither the record's name nor a look in the listing.
    if (listing.IsRead() && !listing.RecordsWrittenSince() && FolderOf(path) == listing.Folder() &&
        (!listing.HeldReplacementFiles() || !listing.Has(LeafOf(ReplacementRecordPath(path))))) {
        if (why)
            why->clear();
        return PENDING_NONE;
    }
    return FinishPendingReplacementOf(path, extensions, why);
}

unsigned long ReplacementRecordsWritten() {
    return g_recordsWritten;
}

bool IsReplacementRecordName(const std::string &leaf) {
    return IsRecordName(leaf);
}

namespace {

// What the last reading of a folder found: the targets that had temporaries, and how many
// names it held. A folder of a large grid holds thousands of line files, and a pass over all
// its lines writes each of them: reading the whole folder before every write would make that
// pass cost the square of the lines. The folder is read again only once a hundredth of its
// names have been written since (at every write in a small folder), so the reading costs a
// fixed share of each write; a temporary that a write killed elsewhere leaves meanwhile goes
// with a later write of its target.
struct SFolderReading {
    std::set<std::string> targetsWithTemporaries;
    size_t names = 0;
    size_t writesSince = 0;
};

std::mutex g_readingsLock;
std::map<std::string, SFolderReading> g_readings;

bool MayHoldTemporariesOf(const std::string &folder, const std::string &leaf) {
    std::lock_guard<std::mutex> hold(g_readingsLock);
    auto found = g_readings.find(folder);
    if (found == g_readings.end() || ++found->second.writesSince > found->second.names / 100) {
        std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), &::closedir);
        if (!dir)
            return false;
        SFolderReading reading;
        while (const dirent *entry = ::readdir(dir.get())) {
            ++reading.names;
            std::string target;
            if (IsTemporaryName(entry->d_name, &target))
                reading.targetsWithTemporaries.insert(target);
        }
        found = g_readings.insert_or_assign(folder, std::move(reading)).first;
    }
    // Asked once: what stays (held by a live write, named by a record) is found again by the
    // next reading.
    return found->second.targetsWithTemporaries.erase(leaf) > 0;
}

} // namespace

int RemoveStaleTemporaries(const std::string &target) {
    const std::string folder = FolderOf(target);
    const std::string leaf = LeafOf(target);
    if (!MayHoldTemporariesOf(folder, leaf))
        return 0;
    return RemoveStale(folder, [&](const std::string &of) { return of == leaf; });
}

int TidyReplacementFolder(const std::string &folder, const std::vector<std::string> &extensions) {
    std::vector<std::string> records;
    {
        std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), &::closedir);
        if (!dir)
            return 0;
        while (const dirent *entry = ::readdir(dir.get()))
            if (IsRecordName(entry->d_name))
                records.push_back(entry->d_name);
    }
    for (const std::string &leaf : records) {
        std::string why;
        const std::string path = Join(folder, leaf);
        const EPendingReplacement result = FinishRecord(path, extensions, why);
        if (result == PENDING_UNREADABLE || result == PENDING_FAILED || result == PENDING_REFUSED)
            ReportLeftAlone(path, RecordStemOf(leaf), result, why);
    }
    return RemoveStale(folder, [&](const std::string &target) {
        if (IsRecordName(target))
            return true;
        const std::string extension = ExtensionOf(target);
        for (const std::string &e : extensions)
            if (!extension.empty() && ::strcasecmp(e.c_str(), extension.c_str()) == 0)
                return true;
        return false;
    });
}

int TidyReplacementFolder(const CFolderListing &listing,
                          const std::vector<std::string> &extensions) {
    if (listing.IsRead() && !listing.HeldReplacementFiles() && !listing.RecordsWrittenSince())
        return 0;
    return TidyReplacementFolder(listing.Folder(), extensions);
}

// CFileGroupReplacement

void CFileGroupReplacement::SetStopAfter(EStep step) {
    g_stopAfter = step;
}

CFileGroupReplacement::~CFileGroupReplacement() = default;

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
    if (g_stopAfter != step)
        return false;
    for (auto &m : m_members)
        m->Abandon();
    return true;
}

bool CFileGroupReplacement::Commit() {
    m_why.clear();
    if (m_members.empty())
        return true;
    const std::string folder = FolderOf(m_members.front()->Target());
    const std::string recordPath = ReplacementRecordPath(m_members.front()->Target());
    SReplacementRecord record;
    std::vector<std::string> extensions;
    for (auto &m : m_members) {
        if (FolderOf(m->Target()) != folder)
            return Fail(EXDEV, m->Target() + " does not lie in " + folder +
                                   " with the files it is replaced with");
        if (!IsReplacementTarget(LeafOf(m->Target())))
            return Fail(EINVAL, m->Target() + ": a name this replacement cannot record");
        record.renames.push_back({std::string(), LeafOf(m->Target())});
        extensions.push_back(ExtensionOf(LeafOf(m->Target())));
    }
    // The reader carries out only a record of one line's files: a group of others could be
    // stopped part-way and never finished.
    std::string why;
    if (!CheckReplacementTargets(record, RecordStemOf(LeafOf(recordPath)), extensions, why))
        return Fail(EINVAL, "these files cannot be replaced as one line's: " + why);
    record.renames.clear();

    // A record an earlier, killed replacement left is carried out first; ours takes its name.
    const EPendingReplacement pending =
        FinishPendingReplacementOf(m_members.front()->Target(), extensions, &why);
    if (pending == PENDING_BUSY)
        return Fail(EBUSY, "another program is replacing these files at this moment");
    if (pending == PENDING_UNREADABLE || pending == PENDING_FAILED || pending == PENDING_REFUSED)
        return Fail(EBUSY, "an earlier replacement of these files was left unfinished (" +
                               recordPath + ": " + why +
                               "); deleting that record lets them be written again");

    // Step 1: every temporary complete (Finish) and named.
    for (auto &m : m_members) {
        if (!m->Name())
            return Fail(m->Error(), m->Target() + ": " + std::strerror(m->Error()));
        record.renames.push_back({LeafOf(m->TempPath()), LeafOf(m->Target())});
    }
    SyncFolderOf(recordPath);
    if (Stopped(STEP_TEMPORARIES))
        return Fail(EINTR, "stopped after its temporary files");

    // Step 2: the record; from here on the new files count.
    const std::string text = FormatReplacementRecord(record);
    if (text.empty())
        return Fail(EINVAL, "the names of these files cannot be recorded");
    CFileReplacement recordFile(recordPath);
    ++g_recordsWritten;
    if (!recordFile.Open(0644) || !recordFile.Write(text.data(), text.size()) ||
        !recordFile.Finish() || !recordFile.CommitNew())
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
    }
    SyncFolderOf(recordPath);
    if (Stopped(STEP_RENAMES))
        return Fail(EINTR, "stopped after its renames");

    // Step 4: done.
    ::unlink(recordPath.c_str());
    SyncFolderOf(recordPath);
    return true;
}

} // namespace ORQ
