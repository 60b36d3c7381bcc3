#include "orq_utils/PendingReplacement.h"

#include "orq_utils/FolderListing.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/PathName.h"
#include "orq_utils/ReplacementFolder.h"
#include "orq_utils/ReplacementLock.h"
#include "orq_utils/ReplacementRecord.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace ORQ {

namespace {

// Carries out the record at path, which may name only its line's files with one of extensions;
// the caller holds the line's lock. why receives the reason of anything but NONE and FINISHED.
EPendingReplacement FinishLockedRecord(const std::string &path,
                                       const std::vector<std::string> &extensions,
                                       std::string &why) {
    struct stat st {};
    SReplacementRecord record;
    if (!ReadRecordFile(path, record, why))
        return errno == ENOENT && ::lstat(path.c_str(), &st) != 0 ? PENDING_NONE
                                                                  : PENDING_UNREADABLE;
    // Refused whole: renaming the files it may name and not the others would be a guess.
    if (!CheckReplacementTargets(record, ReplacementRecordLine(LeafOf(path)), extensions, why))
        return PENDING_REFUSED;
    const std::string folder = FolderOf(path);

    // Every temporary still waiting is taken over first: one that a live write holds means
    // that write is under way (it removes the record itself), and nothing is touched.
    CLockedFiles held;
    std::vector<const SReplacementRecord::SRename *> waiting;
    for (const auto &r : record.renames) {
        const int fd = LockTemporary(JoinPath(folder, r.temporary));
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
        if (::rename(JoinPath(folder, r->temporary).c_str(), JoinPath(folder, r->target).c_str()) !=
            0) {
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

// FinishLockedRecord under the line's lock, taken here unless held (by the caller, or by this
// thread for a read-change-write of the line): a record whose line another holds is that
// writer's own (it removes the record itself), and is left to it. Most reads find no record,
// and take no lock.
EPendingReplacement FinishRecord(const std::string &path,
                                 const std::vector<std::string> &extensions, std::string &why,
                                 bool held) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? PENDING_NONE : (why = std::strerror(errno), PENDING_UNREADABLE);
    CReplacementLock lock;
    held = held || CReplacementLock::HeldHere(ReplacementLockPath(path));
    if (!held && !lock.Take(ReplacementLockPath(path), 0)) {
        if (errno == EWOULDBLOCK)
            return PENDING_BUSY;
        why = "its line's lock " + ReplacementLockPath(path) + ": " + std::strerror(errno);
        return PENDING_FAILED;
    }
    return FinishLockedRecord(path, extensions, why);
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
    // Shown once the thread holds no line: the other program's writer of this line must not wait
    // while the person reads.
    CReplacementLock::AfterRelease([text] { ShowMessage(text, MB_OK | MB_ICONWARNING); });
}

// FinishRecord, with a record left alone reported under line.
EPendingReplacement FinishAndReport(const std::string &record, const std::string &line,
                                    const std::vector<std::string> &extensions, std::string *why,
                                    bool held = false) {
    std::string reason;
    const EPendingReplacement result = FinishRecord(record, extensions, reason, held);
    if (result == PENDING_UNREADABLE || result == PENDING_FAILED || result == PENDING_REFUSED)
        ReportLeftAlone(record, line, result, reason);
    if (why)
        *why = reason;
    return result;
}

} // namespace

EPendingReplacement FinishPendingReplacementOf(const std::string &path,
                                               const std::vector<std::string> &extensions,
                                               std::string *why) {
    return FinishAndReport(ReplacementRecordPath(path), StemOf(LeafOf(path)), extensions, why);
}

EPendingReplacement FinishPendingReplacementOf(const std::string &path,
                                               const CFolderListing &listing,
                                               const std::vector<std::string> &extensions,
                                               std::string *why) {
    // A folder without hidden names held no record for this file: the usual case needs
    // neither the record's name nor a look in the listing.
    if (listing.IsRead() && !listing.MayLackNewEntries() && FolderOf(path) == listing.Folder()) {
        const bool none = !listing.HasHiddenEntries() || [&] {
            const std::string record = LeafOf(ReplacementRecordPath(path));
            return !IsReplacementRecordName(record) || !listing.Has(record);
        }();
        if (none) {
            if (why)
                why->clear();
            return PENDING_NONE;
        }
    }
    return FinishPendingReplacementOf(path, extensions, why);
}

EPendingReplacement FinishReplacementRecord(const std::string &recordPath,
                                            const std::vector<std::string> &extensions,
                                            std::string *why) {
    return FinishAndReport(recordPath, ReplacementRecordLine(LeafOf(recordPath)), extensions, why);
}

EPendingReplacement FinishHeldReplacementOf(const std::string &path,
                                            const std::vector<std::string> &extensions,
                                            std::string *why) {
    const std::string leaf = LeafOf(path);
    const std::string line =
        IsReplacementRecordName(leaf) ? ReplacementRecordLine(leaf) : StemOf(leaf);
    return FinishAndReport(ReplacementRecordPath(path), line, extensions, why, true);
}

} // namespace ORQ
