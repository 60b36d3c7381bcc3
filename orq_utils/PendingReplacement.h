#pragma once

// Finishing the group replacements that killed writes left part-way (see
// CFileGroupReplacement): whoever next reads or writes one of a line's files calls
// FinishPendingReplacementOf first, and the record it finds is carried out and removed. A record
// that cannot be read, or that names anything but its own line's files, holds that line back
// (its files are left as they are and its writes refused) until the person deletes it; other
// lines are not held back.

#include "orq_utils/OrqExport.h"

#include <string>
#include <vector>

namespace ORQ {

class CFolderListing;

// Results of finishing a pending record.
enum EPendingReplacement {
    PENDING_NONE = 0,       // no record
    PENDING_FINISHED = 1,   // a record was carried out and removed
    PENDING_BUSY = 2,       // a live replacement is under way; its writer finishes it
    PENDING_UNREADABLE = 3, // the record cannot be read; left alone
    PENDING_FAILED = 4,     // a rename the record asks for was refused; left for later
    PENDING_REFUSED = 5,    // the record names files that are not its line's; left alone
};

// Carries out the record a killed group replacement left beside path, if any. extensions: those
// of the line's files (without "."; the line library's list), the only files the record may
// name besides the line's name (CheckReplacementTargets). A record that cannot be read, that
// names other files, or whose renames fail, is left alone and reported through the message sink
// (once per record and reason in a process, as reads repeat) with what the person can do; why
// receives the reason. A record is carried out only under its line's lock (ReplacementLockPath),
// which is tried, not waited for: a line another writer holds is that writer's to finish
// (PENDING_BUSY); a line this thread holds is finished under its hold. Without a record no lock
// is taken. A message is shown only once the thread holds no line's lock.
ORQ_UTILS_API EPendingReplacement
FinishPendingReplacementOf(const std::string &path, const std::vector<std::string> &extensions,
                           std::string *why = nullptr);

// The same, for a reader of many files of one folder (opening a project) that read the folder
// once: where listing (the folder of path, read before) holds no record for path and none may
// have been written since its reading, there is none, and no file-system call is made.
ORQ_UTILS_API EPendingReplacement
FinishPendingReplacementOf(const std::string &path, const CFolderListing &listing,
                           const std::vector<std::string> &extensions, std::string *why = nullptr);

// The same for the record at recordPath itself (one found among a folder's names), reported
// under the line its name is for.
ORQ_UTILS_API EPendingReplacement
FinishReplacementRecord(const std::string &recordPath, const std::vector<std::string> &extensions,
                        std::string *why = nullptr);

// For the replacement's own units (not exported): carries out the record of the line of the file
// at path for a caller that holds the line's lock (FinishPendingReplacementOf without taking
// it); a record left alone is reported once the thread lets its lines go.
EPendingReplacement FinishHeldReplacementOf(const std::string &path,
                                            const std::vector<std::string> &extensions,
                                            std::string *why);

} // namespace ORQ
