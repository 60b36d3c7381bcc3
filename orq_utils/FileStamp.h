#pragma once

#include "orq_utils/OrqExport.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ORQ {

// A 64-bit digest of a stream of bytes, fed in pieces of any size: the same bytes give the same
// value however they are cut. Tells files apart that their metadata cannot (it guards against
// accidents, not against someone who wants two files to look alike).
class ORQ_UTILS_API CByteDigest {
public:
    void Add(const void *data, size_t size);
    uint64_t Value() const;

private:
    void Round(uint64_t word);

    uint64_t m_acc = 0x27D4EB2F165667C5ULL;
    uint64_t m_length = 0;
    unsigned char m_tail[8] = {};
    size_t m_tailSize = 0;
};

// One state of a file on disk as this process read or wrote it: its device, inode, size and
// modification time (nanoseconds). Compare tells later whether the file at a path is still that
// state, or whether some other program has written, replaced or removed it since.
//
// File systems keep modification times in ticks (a few milliseconds here, whole seconds on some
// disks): a write in the same tick as the stamp leaves the time as it was. A stamp whose time
// lies that close to the moment it was taken needs the digest of the bytes the process read or
// wrote (NeedsDigest, SetDigest), and Compare then reads the file where the metadata agree. A
// stamp that needs a digest and has none can never vouch for the file: Compare calls it changed.
class ORQ_UTILS_API CFileStamp {
public:
    // What Compare finds at the path.
    enum EFileChange {
        FILE_UNCHANGED = 0, // the file of the stamp, as it was
        FILE_CHANGED = 1,   // another file (replaced, new inode), or this one written since
        FILE_GONE = 2,      // no file at the path (removed, renamed away, its folder gone)
        FILE_UNKNOWN = 3,   // no stamp, or the path cannot be looked at (errno set)
    };

    // No state known.
    CFileStamp() = default;
    // The state of the plain file open as fd, now; an empty stamp (errno set) when fd cannot be
    // looked at or is no plain file.
    static CFileStamp OfOpenFile(int fd);

    bool IsKnown() const { return m_known; }
    bool NeedsDigest() const { return m_needsDigest; }
    // The digest (CByteDigest) of the bytes the file held at the stamp.
    void SetDigest(uint64_t digest);

    // Whether the file at path is the state of the stamp. Reads the file only for a stamp that
    // needs its digest and only when device, inode, size and time all agree.
    EFileChange Compare(const std::string &path) const;

    // What the metadata of a state are.
    struct SMetadata {
        uint64_t device = 0;
        uint64_t inode = 0;
        uint64_t size = 0;
        int64_t mtimeSec = 0;
        long mtimeNsec = 0;
        bool operator==(const SMetadata &o) const {
            return device == o.device && inode == o.inode && size == o.size &&
                   mtimeSec == o.mtimeSec && mtimeNsec == o.mtimeNsec;
        }
        bool operator!=(const SMetadata &o) const { return !(*this == o); }
    };

private:
    bool m_known = false;
    bool m_needsDigest = false;
    bool m_hasDigest = false;
    SMetadata m_meta;
    uint64_t m_digest = 0;
};

} // namespace ORQ
