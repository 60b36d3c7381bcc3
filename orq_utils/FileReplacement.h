#pragma once

#include "orq_utils/FileStamp.h"
#include "orq_utils/OrqExport.h"

#include <cstddef>
#include <string>

namespace ORQ {

// Replaces a file atomically: the new content goes into a temporary file beside the target
// (same folder, so the final rename never crosses file systems), is flushed to disk, and only
// then renamed over the target. Until Commit the target is untouched; an object that goes
// without a Commit removes its temporary file. Every file the editor and its libraries write
// is replaced this way, so a crash, a kill or a full disk never leaves half a file behind.
//
// Where the file system allows it the temporary file has no name while it is written (an
// unnamed file in the target's folder): a process killed part-way leaves nothing in the folder
// at all. Commit gives it a unique name, created exclusively, and renames that over the target.
// Elsewhere the temporary file is named from the start (".<name>.tmp<random>").
//
// The temporary file holds an advisory lock (flock) from its creation until it is in place or
// removed. A named temporary without the lock was left by a killed write: Open removes those
// of its target first (RemoveStaleTemporaries), so they never pile up.
class ORQ_UTILS_API CFileReplacement {
public:
    // target may be a symbolic link: the file it points to is replaced, the link stays.
    explicit CFileReplacement(const std::string &target);
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement &) = delete;
    CFileReplacement &operator=(const CFileReplacement &) = delete;

    // Creates the temporary file, with the permissions of the target when it exists (else
    // newMode less the umask, as for any new file); false for a target that exists but may not
    // be written.
    bool Open(unsigned newMode = 0666);
    // Appends bytes to the temporary file.
    bool Write(const void *data, size_t size);
    // Ends the writing; durable: flushed to the disk first, and the rename of Commit too. Files
    // that may be lost with the session (logs, scratch copies) skip the flushing.
    bool Finish(bool durable = true);
    // Gives the finished temporary file its name beside the target (a group replacement names
    // its files before it records them); it stays locked. Commit does this itself.
    bool Name();
    // Renames the finished temporary file over the target; syncFolder: and flushes the folder
    // (a group flushes once for all its members).
    bool Commit(bool syncFolder = true);
    // Puts the finished temporary file in place only when no file of the target's name exists
    // (atomically: an existing file is never overwritten, and no partial one ever appears);
    // false with EEXIST when one does.
    bool CommitNew();
    // Removes the temporary file (nothing happens once committed).
    void Discard();
    // The finished temporary file's stamp, between Finish and Commit: the file's as it stands
    // once in place, for the rename keeps its inode, size and modification time. Empty before
    // Finish and once committed.
    CFileStamp Stamp() const;

    const std::string &Target() const { return m_target; }
    // The temporary file's name while it has one (empty while it is unnamed).
    const std::string &TempPath() const { return m_temp; }
    // errno of the first failure, 0 when there was none.
    int Error() const { return m_error; }

    // For tests that stop a process part-way through a save: while a hook is set every Write
    // goes to the file in pieces of at most chunk bytes, and the hook is called after each
    // piece with the target and the bytes written into its temporary file so far. Null clears.
    using WriteHook = void (*)(const std::string &target, size_t written);
    static void SetWriteHook(WriteHook hook, size_t chunk);

private:
    friend class CFileGroupReplacement;
    // Leaves the temporary file as it is, unlocked, as a killed process would (tests of groups
    // stopped part-way, and a group whose record now speaks for its files).
    void Abandon();
    bool Fail(int error);
    bool CloseFile();
    void SyncFolder() const;

    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    int m_error = 0;
    size_t m_written = 0;
    bool m_unnamed = false;
    bool m_finished = false;
    bool m_durable = true;
    bool m_committed = false;
};

// Replaces the file with the bytes given (temporary file beside it, then rename); false, errno
// set and the file unchanged on any failure.
ORQ_UTILS_API bool ReplaceFileContent(const std::string &path, const std::string &bytes,
                                      bool durable = true);

// Creates the file with the bytes given only when no file of that name exists: written beside
// it first, then put in place without replacing, so a file of that name is never overwritten
// nor ever seen half written. newMode less the umask are its permissions. false with errno
// (EEXIST when the name is taken) and nothing changed on any failure.
ORQ_UTILS_API bool CreateFileContent(const std::string &path, const std::string &bytes,
                                     unsigned newMode = 0666, bool durable = true);

// How many replacements of a file this process has begun (CFileReplacement::Open). What was read
// from files while this count stood still is what they hold, as far as this process is
// concerned: every file the editor and its libraries write is written through a replacement.
ORQ_UTILS_API unsigned long FileReplacementsBegun();

} // namespace ORQ
