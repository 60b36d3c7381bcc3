#pragma once

#include "orq_utils/OrqExport.h"

#include <cstddef>
#include <string>

namespace ORQ {

// Replaces a file atomically: the new content goes into a temporary file beside the target
// (same folder, so the final rename never crosses file systems), is flushed to disk, and only
// then renamed over the target. Until Commit the target is untouched; an object that goes
// without a Commit removes its temporary file. Every file the editor and its libraries write
// is replaced this way, so a crash or a full disk never leaves half a file behind.
class ORQ_UTILS_API CFileReplacement {
public:
    // target may be a symbolic link: the file it points to is replaced, the link stays.
    explicit CFileReplacement(const std::string &target);
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement &) = delete;
    CFileReplacement &operator=(const CFileReplacement &) = delete;

    // Creates the temporary file, with the permissions of the target when it exists (else the
    // usual ones for a new file); false for a target that exists but may not be written.
    bool Open();
    // Appends bytes to the temporary file.
    bool Write(const void *data, size_t size);
    // Closes the temporary file; durable: flushed to the disk first, and the rename of Commit
    // too. Files that may be lost with the session (logs) skip the flushing.
    bool Finish(bool durable = true);
    // Renames the finished temporary file over the target.
    bool Commit();
    // Removes the temporary file (nothing happens once committed).
    void Discard();

    const std::string &Target() const { return m_target; }
    const std::string &TempPath() const { return m_temp; }
    // errno of the first failure, 0 when there was none.
    int Error() const { return m_error; }

private:
    bool Fail(int error);

    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    int m_error = 0;
    bool m_durable = true;
    bool m_committed = false;
};

// Replaces the file with the bytes given (temporary file beside it, then rename); false, errno
// set and the file unchanged on any failure.
ORQ_UTILS_API bool ReplaceFileContent(const std::string &path, const std::string &bytes,
                                      bool durable = true);

} // namespace ORQ
