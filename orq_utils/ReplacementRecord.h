#pragma once

#include "orq_utils/OrqExport.h"

#include <string>
#include <vector>

namespace ORQ {

// The intent record of a group replacement: which finished temporary file goes over which
// target, all in the record's own folder. It is written only once every temporary it names is
// complete, so whoever finds it may put them in place. Its text:
//
//   kvd group replacement 1
//   rename<TAB>.LINE01.dt1.tmpab12cd34<TAB>LINE01.dt1
//   rename<TAB>.LINE01.hd.tmp0z9y8x7w<TAB>LINE01.hd
//   end
//
// Names are plain names in the record's folder. A temporary's name is always the one the file
// replacement gives it beside its target (".<target>.tmp" and 8 letters or digits), so a record,
// however it was made, can rename nothing but a temporary over the file it was written for.
// Its targets are further bound to the files of the one line it is named for (see
// CheckReplacementTargets): a record found in a folder never replaces the project or another
// line's files.
struct SReplacementRecord {
    struct SRename {
        std::string temporary;
        std::string target;
    };
    std::vector<SRename> renames;
};

// The largest record the reader accepts; a real one names two or three files.
constexpr size_t kMaxReplacementRecordBytes = 64 * 1024;
constexpr size_t kMaxReplacementRecordRenames = 64;

// The record's text; empty when a name cannot be written into one (see IsReplacementTarget).
ORQ_UTILS_API std::string FormatReplacementRecord(const SReplacementRecord &record);

// Reads a record's text. false, with why in plain words, for anything that is not exactly a
// record as FormatReplacementRecord writes it: such a record is never acted on.
ORQ_UTILS_API bool ParseReplacementRecord(const std::string &text, SReplacementRecord &record,
                                          std::string &why);

// Whether every target of the record is one of the files of the line stem, the name the record
// is found under (".<stem>.kvd-intent"): the stem followed by "." and one of extensions (given
// without "."), each at most once. Letter case is ignored as the program's name lookup ignores
// it (FileNameKey), so the spellings a line's files have on disk all count as its own. false,
// with why in plain words, for a record that names anything else: it is never acted on.
ORQ_UTILS_API bool CheckReplacementTargets(const SReplacementRecord &record,
                                           const std::string &stem,
                                           const std::vector<std::string> &extensions,
                                           std::string &why);

// The intent record a group replacement of the file at path writes: the folder's
// ".<stem>.kvd-intent", stem = the file's name before its last "." in lower case, so that every
// file of a line finds it (the line of ReplacementLineOf: a record's path is its own record's).
ORQ_UTILS_API std::string ReplacementRecordPath(const std::string &path);
// Whether a name (without folder) is that of an intent record.
ORQ_UTILS_API bool IsReplacementRecordName(const std::string &leaf);
// The line an intent record's name is for: the stem of ".<stem>.kvd-intent".
ORQ_UTILS_API std::string ReplacementRecordLine(const std::string &recordLeaf);

// The lock file of the line of the file at path (one of the line's files, the target of a
// temporary, or the line's record or lock): the folder's ".<stem>.kvd-lock", stem as for the
// record. One writer of a line holds it (an advisory lock) from before its first temporary has
// a name until its record is gone, and removes it then; whoever finishes the line's record or
// removes its stale temporaries holds it meanwhile. A process killed with it leaves the file,
// unlocked, for the next holder to remove.
ORQ_UTILS_API std::string ReplacementLockPath(const std::string &path);
// Whether a name (without folder) is that of a line's lock file.
ORQ_UTILS_API bool IsReplacementLockName(const std::string &leaf);
// The line the file leaf of a folder belongs to, as its record and lock are named: a record's
// or a lock's own line, else the name before its last "." in lower case.
ORQ_UTILS_API std::string ReplacementLineOf(const std::string &leaf);

// A name a record can hold as a target: not empty, not "." or "..", at most 255 bytes, without
// "/", NUL, tab, carriage return or line feed.
ORQ_UTILS_API bool IsReplacementTarget(const std::string &name);

// Whether name is a temporary file the file replacement made for target (".<target>.tmp" and 8
// of [0-9a-z]); with an empty target, for any target (which target receives).
ORQ_UTILS_API bool IsTemporaryName(const std::string &name, const std::string &target);
ORQ_UTILS_API bool IsTemporaryName(const std::string &name, std::string *target = nullptr);

} // namespace ORQ
