#include "orq_utils/ReplacementSweep.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/FolderListing.h"
#include "orq_utils/PathName.h"
#include "orq_utils/PendingReplacement.h"
#include "orq_utils/ReplacementFolder.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <set>
#include <strings.h>
#include <unistd.h>

namespace ORQ {

namespace {

// Removes the stale temporaries among files (the replacement files of folder, read before) that
// whose() accepts (given a temporary's target name), unless a pending record of the folder names
// them. A record that cannot be read may name any file of its own line (no other: see
// CheckReplacementTargets), so it keeps the temporaries of that line's files and no others. A
// record that reads keeps those it names, even when it is refused: they are left with it for the
// person to look at. A record that went since files were read sends it to the folder again.
template <typename Whose>
int RemoveStale(const std::string &folder, const SReplacementFiles &files, Whose whose) {
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
            return ScanReplacementFiles(folder, again) ? RemoveStale(folder, again, whose) : 0;
        } else {
            heldLines.insert(FileNameKey(ReplacementRecordLine(leaf)));
        }
    }
    int removed = 0;
    for (const auto *candidate : candidates) {
        const auto &[name, target] = *candidate;
        if (named.count(name) ||
            (!heldLines.empty() && heldLines.count(FileNameKey(StemOf(target)))))
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
// with one of extensions and of records. files were read since the last record written, or are
// read again: a record the folder gained since would go unseen.
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
    return RemoveStale(folder, files, [&](const std::string &target) {
        if (IsReplacementRecordName(target))
            return true;
        const std::string extension = ExtensionOf(target);
        for (const std::string &e : extensions)
            if (!extension.empty() && ::strcasecmp(e.c_str(), extension.c_str()) == 0)
                return true;
        return false;
    });
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
    return RemoveStale(folder, files, [&](const std::string &of) { return of == leaf; });
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
