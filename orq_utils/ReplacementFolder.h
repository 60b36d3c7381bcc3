#pragma once

// What the file replacement's units share about the files they leave in a folder (not
// exported): the folder's flush, the lock that tells a live write's temporary from a stale one,
// an intent record read from disk and the replacement files a folder holds. The record's text is
// ReplacementRecord's; finishing records is PendingReplacement's (which uses this unit),
// removing stale temporaries ReplacementSweep's, the line's lock ReplacementLock's.

#include "orq_utils/ReplacementRecord.h"

#include <string>
#include <utility>
#include <vector>

namespace ORQ {

class CFolderListing;

// Flushes the folder's entries (renames, new and removed names) to the disk.
void SyncFolderOf(const std::string &path);

// Whether the name path still leads to the file open as fd.
bool NameLeadsTo(const std::string &path, int fd);

// A temporary file locked for the caller; -1 when it is gone (errno ENOENT), held by a live
// write (EWOULDBLOCK) or cannot be opened.
int LockTemporary(const std::string &path);

// The descriptors of temporaries taken over, closed (and so unlocked) when it goes.
class CLockedFiles {
public:
    CLockedFiles() = default;
    CLockedFiles(const CLockedFiles &) = delete;
    CLockedFiles &operator=(const CLockedFiles &) = delete;
    ~CLockedFiles();
    void Add(int fd) { m_fds.push_back(fd); }

private:
    std::vector<int> m_fds;
};

// The intent record at path; false with why in plain words and errno: that of the reading,
// EBADMSG for a text that is no record.
bool ReadRecordFile(const std::string &path, SReplacementRecord &record, std::string &why);

// The temporaries, intent records and line locks among a folder's names.
struct SReplacementFiles {
    std::vector<std::pair<std::string, std::string>> temporaries; // temporary, its target
    std::vector<std::string> records;
    std::vector<std::string> locks;
    size_t names = 0; // all names of the folder
};
// Reads the folder's names once; false when it cannot be read.
bool ScanReplacementFiles(const std::string &folder, SReplacementFiles &files);
// The same from the names of a listing read before.
void ListReplacementFiles(const CFolderListing &listing, SReplacementFiles &files);

} // namespace ORQ
