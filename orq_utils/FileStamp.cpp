#include "orq_utils/FileStamp.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace ORQ {

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ULL;

uint64_t RotateLeft(uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

int64_t Nanoseconds(const timespec &t) {
    return int64_t(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// How far apart two writes of a file must lie for its modification time to tell them apart: a
// file system that keeps whole seconds (FAT even ones) shows no nanoseconds; the others take the
// time from the kernel's tick clock, two of whose ticks are allowed for.
int64_t TimeTickNs(const timespec &mtime) {
    if (mtime.tv_nsec == 0)
        return 2000000000LL;
    static const int64_t tick = [] {
        timespec resolution{};
        if (clock_getres(CLOCK_REALTIME_COARSE, &resolution) != 0)
            return int64_t(10000000); // the slowest tick Linux has
        return Nanoseconds(resolution);
    }();
    return std::max<int64_t>(2 * tick, 2000000);
}

CFileStamp::SMetadata MetadataOf(const struct stat &st) {
    CFileStamp::SMetadata m;
    m.device = uint64_t(st.st_dev);
    m.inode = uint64_t(st.st_ino);
    m.size = uint64_t(st.st_size);
    m.mtimeSec = int64_t(st.st_mtim.tv_sec);
    m.mtimeNsec = st.st_mtim.tv_nsec;
    return m;
}

// The digest of the file at path when it is still the file of meta; false when it cannot be read
// whole or is another file by now.
bool DigestOfFile(const std::string &path, const CFileStamp::SMetadata &meta, uint64_t &digest) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && MetadataOf(st) == meta;
    CByteDigest bytes;
    uint64_t total = 0;
    std::vector<char> buffer(ok ? size_t(1) << 16 : 0);
    while (ok) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        bytes.Add(buffer.data(), size_t(got));
        total += uint64_t(got);
    }
    ::close(fd);
    digest = bytes.Value();
    return ok && total == meta.size;
}

} // namespace

void CByteDigest::Round(uint64_t word) {
    m_acc = RotateLeft(m_acc + word * kPrime2, 31) * kPrime1;
}

void CByteDigest::Add(const void *data, size_t size) {
    const unsigned char *p = static_cast<const unsigned char *>(data);
    m_length += size;
    if (m_tailSize > 0) {
        const size_t take = std::min(size, sizeof m_tail - m_tailSize);
        std::memcpy(m_tail + m_tailSize, p, take);
        m_tailSize += take;
        p += take;
        size -= take;
        if (m_tailSize < sizeof m_tail)
            return;
        uint64_t word;
        std::memcpy(&word, m_tail, sizeof word);
        Round(word);
        m_tailSize = 0;
    }
    for (; size >= 8; p += 8, size -= 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        Round(word);
    }
    std::memcpy(m_tail, p, size);
    m_tailSize = size;
}

uint64_t CByteDigest::Value() const {
    uint64_t h = m_acc;
    if (m_tailSize > 0) {
        uint64_t word = 0;
        std::memcpy(&word, m_tail, m_tailSize);
        h = RotateLeft(h + word * kPrime2, 31) * kPrime1;
    }
    // The length tells a tail of zero bytes from none; the last steps spread every bit.
    h ^= m_length;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

CFileStamp CFileStamp::OfOpenFile(int fd) {
    // The clock is read before the file: a later write can keep the stamp's time only while the
    // clock is within the stamp's tick, and an earlier reading errs towards asking for the digest.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return CFileStamp();
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return CFileStamp();
    }
    CFileStamp stamp;
    stamp.m_known = true;
    stamp.m_meta = MetadataOf(st);
    stamp.m_needsDigest = Nanoseconds(st.st_mtim) + TimeTickNs(st.st_mtim) > Nanoseconds(now);
    return stamp;
}

void CFileStamp::SetDigest(uint64_t digest) {
    m_digest = digest;
    m_hasDigest = true;
}

CFileStamp::EFileChange CFileStamp::Compare(const std::string &path) const {
    if (!m_known) {
        errno = ENOENT;
        return FILE_UNKNOWN;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FILE_GONE : FILE_UNKNOWN;
    if (!S_ISREG(st.st_mode) || MetadataOf(st) != m_meta)
        return FILE_CHANGED;
    if (!m_needsDigest)
        return FILE_UNCHANGED;
    uint64_t digest = 0;
    if (!m_hasDigest || !DigestOfFile(path, m_meta, digest))
        return FILE_CHANGED;
    return digest == m_digest ? FILE_UNCHANGED : FILE_CHANGED;
}

} // namespace ORQ
