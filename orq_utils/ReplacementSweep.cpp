#include "orq_utils/ReplacementSweep.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/FolderListing.h"
#include "orq_utils/PathName.h"
#include "orq_utils/PendingReplacement.h"
#include "orq_utils/ReplacementFolder.h"
#include "orq_utils/ReplacementLock.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <set>
#include <strings.h>
#include <unistd.h>

namespace ORQ {

namespace {

// What the record of the line of lineFile says on disk now, for a caller that holds the line's
// lock: with extensions given, the record is carried out first. named receives the temporaries
// a record that still stands names; false when it cannot be read (it may name any of the line's
// files).
bool NamedByLineRecord(const std::string &lineFile, const std::vector<std::string> *extensions,
                       std::set<std::string> &named) {
    std::string why;
    if (extensions) {
        const EPendingReplacement result = FinishHeldReplacementOf(lineFile, *extensions, &why);
        if (result == PENDING_NONE || result == PENDING_FINISHED)
            return true;
    }
    SReplacementRecord record;
    if (ReadRecordFile(ReplacementRecordPath(lineFile), record, why)) {
        for (const auto &r : record.renames)
            named.insert(r.temporary);
        return true;
    }
    return errno == ENOENT;
}

// Removes those of one line's temporaries (names in folder) that are stale; lineFile: a file
// of the line. Only under the line's lock, and after a look at the line's record on disk at
// that moment: a writer of the line holds the lock from before its temporaries have names until
// its record is gone, so a listing read before may lack a record that now names them. A line
// another holds is left.
int RemoveStaleOfLine(const std::string &lineFile, const std::vector<std::string> &temporaries,
                      const std::vector<std::string> *extensions) {
    CReplacementLock lock;
    const std::string lockPath = ReplacementLockPath(lineFile);
    if (!CReplacementLock::HeldHere(lockPath) && !lock.Take(lockPath, 0))
        return 0;
    std::set<std::string> named;
    if (!NamedByLineRecord(lineFile, extensions, named))
        return 0;
    const std::string folder = FolderOf(lineFile);
    int removed = 0;
    for (const std::string &name : temporaries) {
        if (named.count(name))
            continue;
        const std::string path = JoinPath(folder, name);
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

// Removes the stale temporaries among files (the replacement files of folder, read before) that
// whose() accepts (given a temporary's target name), unless a pending record of the folder names
// them. A record that cannot be read may name any file of its own line (no other: see
// CheckReplacementTargets), so it keeps the temporaries of that line's files and no others. A
// record that reads keeps those it names, even when it is refused: they are left with it for the
// person to look at. A record that went since files were read sends it to the folder again.
// Each line's are then removed under its lock (RemoveStaleOfLine); extensions, when given, are
// those of the line's files, and a record found then is carried out.
template <typename Whose>
int RemoveStale(const std::string &folder, const SReplacementFiles &files, Whose whose,
                const std::vector<std::string> *extensions) {
    std::vector<const std::pair<std::string, std::string> *> candidates;
    for (const auto &temporary : files.temporaries)
        if (whose(temporary.second))
            candidates.push_back(&temporary);
    if (candidates.empty())
        return 0;
    std::set<std::string> named, heldLines;
    for (const std::string &leaf : files.records) {
        SReplacementRecord record;
        std::string why;
        if (ReadRecordFile(JoinPath(folder, leaf), record, why)) {
            for (const auto &r : record.renames)
                named.insert(r.temporary);
        } else if (errno == ENOENT) {
            SReplacementFiles again;
            return ScanReplacementFiles(folder, again)
                       ? RemoveStale(folder, again, whose, extensions)
                       : 0;
        } else {
            heldLines.insert(FileNameKey(ReplacementRecordLine(leaf)));
        }
    }
    // line -> a file of it, and its temporaries
    std::map<std::string, std::pair<std::string, std::vector<std::string>>> byLine;
    for (const auto *candidate : candidates) {
        const auto &[name, target] = *candidate;
        if (named.count(name) ||
            (!heldLines.empty() && heldLines.count(FileNameKey(StemOf(target)))))
            continue;
        auto &line = byLine[ReplacementLineOf(target)];
        line.first = JoinPath(folder, target);
        line.second.push_back(name);
    }
    int removed = 0;
    for (const auto &line : byLine)
        removed += RemoveStaleOfLine(line.second.first, line.second.second, extensions);
    return removed;
}

// Removes the lock files that killed writers left (named in files): each is taken, which only
// a file nobody holds allows, and let go, which removes it.
void RemoveStaleLocks(const std::string &folder, const SReplacementFiles &files) {
    for (const std::string &leaf : files.locks) {
        CReplacementLock lock;
        lock.Take(JoinPath(folder, leaf), 0);
    }
}

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

// Whether folder may hold temporaries of leaf. files receives the folder's replacement files
// when it was read for this answer (fresh then true), else nothing.
bool MayHoldTemporariesOf(const std::string &folder, const std::string &leaf,
                          SReplacementFiles &files, bool &fresh) {
    fresh = false;
    std::lock_guard<std::mutex> hold(g_readingsLock);
    auto found = g_readings.find(folder);
    if (found == g_readings.end() || ++found->second.writesSince > found->second.names / 100) {
        if (!ScanReplacementFiles(folder, files))
            return false;
        fresh = true;
        SFolderReading reading;
        reading.names = files.names;
        for (const auto &temporary : files.temporaries)
            reading.targetsWithTemporaries.insert(temporary.second);
        found = g_readings.insert_or_assign(folder, std::move(reading)).first;
    }
    // Asked once: what stays (held by a live write, named by a record) is found again by the
    // next reading.
    return found->second.targetsWithTemporaries.erase(leaf) > 0;
}

// Carries out the pending records among files, then removes the stale temporaries of the files
// with one of extensions and of records, and the lock files killed writers left. files were
// read since the last record this process wrote, or are read again; one that another process
// wrote since is found under the line's lock before any temporary of its line goes.
int Tidy(const std::string &folder, SReplacementFiles files,
         const std::vector<std::string> &extensions) {
    std::vector<std::string> left; // records that still stand
    for (const std::string &leaf : files.records) {
        const EPendingReplacement result =
            FinishReplacementRecord(JoinPath(folder, leaf), extensions);
        if (result != PENDING_NONE && result != PENDING_FINISHED)
            left.push_back(leaf);
    }
    files.records = std::move(left);
    const int removed = RemoveStale(
        folder, files,
        [&](const std::string &target) {
            if (IsReplacementRecordName(target))
                return true;
            const std::string extension = ExtensionOf(target);
            for (const std::string &e : extensions)
                if (!extension.empty() && ::strcasecmp(e.c_str(), extension.c_str()) == 0)
                    return true;
            return false;
        },
        &extensions);
    RemoveStaleLocks(folder, files);
    return removed;
}

} // namespace

int RemoveStaleTemporaries(const std::string &target) {
    const std::string folder = FolderOf(target);
    const std::string leaf = LeafOf(target);
    SReplacementFiles files;
    bool fresh = false;
    if (!MayHoldTemporariesOf(folder, leaf, files, fresh))
        return 0;
    if (!fresh && !ScanReplacementFiles(folder, files))
        return 0;
    return RemoveStale(
        folder, files, [&](const std::string &of) { return of == leaf; }, nullptr);
}

int TidyReplacementFolder(const std::string &folder, const std::vector<std::string> &extensions) {
    SReplacementFiles files;
    if (!ScanReplacementFiles(folder, files))
        return 0;
    return Tidy(folder, std::move(files), extensions);
}

int TidyReplacementFolder(const CFolderListing &listing,
                          const std::vector<std::string> &extensions) {
    if (!listing.IsRead() || listing.MayLackNewEntries())
        return TidyReplacementFolder(listing.Folder(), extensions);
    if (!listing.HasHiddenEntries())
        return 0;
    SReplacementFiles files;
    ListReplacementFiles(listing, files);
    return Tidy(listing.Folder(), std::move(files), extensions);
}

} // namespace ORQ
