#pragma once

#include "orq_utils/FileReplacement.h"
#include "orq_utils/OrqExport.h"

#include <memory>
#include <string>
#include <vector>

namespace ORQ {

class CFolderListing;

// Replaces several files of one folder as a group (a radar line's .hd and .dt1): after a crash,
// a kill or a power loss at any moment, the next reader finds either all old files or all new
// ones, never a mix. The files of a group are those of one line: they share the name before
// their last "." (letter case aside), and only that line's record may name them. The steps:
//  1. every new file is written and flushed into its temporary file beside its target (through
//     the CFileReplacement that Add returns), then all of them are given their names;
//  2. an intent record naming each temporary and its target is written and flushed (the
//     folder's ".<stem>.kvd-intent", stem = the first target's name before its last ".", in
//     lower case, so that every file of a line finds it);
//  3. each temporary is renamed over its target, and the folder flushed;
//  4. the record is removed, and the folder flushed.
// Whoever next reads or writes one of the files calls FinishPendingReplacementOf first: a
// record it finds is carried out (step 3 for what still waits) and removed. Until the record
// exists the old files stay; from then on the new ones count. A record that cannot be read, or
// that names anything but its own line's files, holds that line back (its files are left as they
// are and its writes refused) until the person deletes it; other lines are not held back.
//
// Each temporary file is locked (an advisory lock) from its creation until it is renamed or
// removed, so stale temporaries of killed writes are told from those a live write uses.
class ORQ_UTILS_API CFileGroupReplacement {
public:
    CFileGroupReplacement() = default;
    ~CFileGroupReplacement();
    CFileGroupReplacement(const CFileGroupReplacement &) = delete;
    CFileGroupReplacement &operator=(const CFileGroupReplacement &) = delete;

    // A member's replacement: Open, Write and Finish it as any replacement, but do not Commit:
    // the group's Commit does. All members must lie in one folder.
    CFileReplacement &Add(const std::string &target);

    // Steps 1 (naming) to 4, once every member is finished; false with errno, a text in Why()
    // and every target unchanged when it fails before the record exists. A failure after it
    // (a rename refused) leaves the record for the next reader to finish. Members that are not
    // files of one line (EINVAL) are refused before anything is written.
    bool Commit();
    // Why the last Commit failed, in words for a message.
    const std::string &Why() const { return m_why; }

    // For tests that stop the group as a kill would: after the step given, Commit leaves every
    // file as it is (temporaries unlocked, record in place) and returns false with EINTR.
    enum EStep { STEP_NONE = 0, STEP_TEMPORARIES = 1, STEP_RECORD = 2, STEP_RENAMES = 3 };
    static void SetStopAfter(EStep step);

private:
    bool Fail(int error, const std::string &why);
    bool Stopped(EStep step);

    std::vector<std::unique_ptr<CFileReplacement>> m_members;
    std::string m_why;
};

// The intent record a group replacement of the file at path writes (see above).
ORQ_UTILS_API std::string ReplacementRecordPath(const std::string &path);

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
// receives the reason.
ORQ_UTILS_API EPendingReplacement
FinishPendingReplacementOf(const std::string &path, const std::vector<std::string> &extensions,
                           std::string *why = nullptr);

// The same, for a reader of many files of one folder (opening a project) that read the folder
// once: where listing (the folder of path, read before) holds no record for path and none was
// written since its reading, there is none, and no file-system call is made.
ORQ_UTILS_API EPendingReplacement
FinishPendingReplacementOf(const std::string &path, const CFolderListing &listing,
                           const std::vector<std::string> &extensions, std::string *why = nullptr);

// How many intent records group replacements of this process have begun to write: a listing of
// a folder taken before may miss a record only when this count has moved since.
ORQ_UTILS_API unsigned long ReplacementRecordsWritten();
// Whether a name (without folder) is that of an intent record.
ORQ_UTILS_API bool IsReplacementRecordName(const std::string &leaf);

// Removes the temporary files of target that killed replacements left behind: only those no
// live write holds locked, no pending record names and no record that cannot be read may name
// (those of its own line's files). Returns how many went. The folder is
// read whole again only after a hundredth of its names were written since its last reading,
// so that writing every line of a large folder costs no more per line than a small one.
ORQ_UTILS_API int RemoveStaleTemporaries(const std::string &target);

// Once for a folder (opening a project): carries out every pending record in it (each may name
// only its line's files with one of extensions), then removes the stale temporaries of its files
// whose extension is one of extensions (without ".", letter case ignored) and of records, as
// RemoveStaleTemporaries does. Returns how many temporaries went.
ORQ_UTILS_API int TidyReplacementFolder(const std::string &folder,
                                        const std::vector<std::string> &extensions);
// The same for the folder of a listing read before: a folder that held neither record nor
// temporary, and has had no record written since, is not read again.
ORQ_UTILS_API int TidyReplacementFolder(const CFolderListing &listing,
                                        const std::vector<std::string> &extensions);

} // namespace ORQ
