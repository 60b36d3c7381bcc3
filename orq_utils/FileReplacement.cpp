#include "orq_utils/FileReplacement.h"

#include "orq_utils/PathName.h"
#include "orq_utils/ReplacementFolder.h"
#include "orq_utils/ReplacementSweep.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ORQ {

namespace {

std::atomic<CFileReplacement::WriteHook> g_writeHook{nullptr};
std::atomic<size_t> g_hookChunk{0};
std::atomic<unsigned long> g_replacementsBegun{0};

// Unique names for temporary files beside path: ".<leaf>.tmp" and 8 random characters.
class CTempNames {
public:
    explicit CTempNames(const std::string &path) : m_leaf(LeafOf(path)) {
        m_folder = path.substr(0, path.size() - m_leaf.size());
        m_seed = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count());
    }
    std::string Next() {
        static std::atomic<unsigned long long> counter{0};
        static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
        unsigned long long n = (m_seed ^ (counter++ * 0x9E3779B97F4A7C15ULL)) + ::getpid();
        std::string suffix;
        for (int i = 0; i < 8; ++i, n /= 36)
            suffix += digits[n % 36];
        return m_folder + "." + m_leaf + ".tmp" + suffix;
    }

private:
    std::string m_leaf;
    std::string m_folder; // with its "/", empty for a bare name
    unsigned long long m_seed;
};

// Tries name after name until create(name) succeeds or fails for another reason than a taken
// name. create returns false with errno set.
template <typename F>
bool CreateUnderFreeName(const std::string &path, std::string &name, F create) {
    CTempNames names(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = names.Next();
        if (create(name))
            return true;
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

// Creates a new, empty file beside path under a name no one else uses, locked for this write.
// The open descriptor, or -1 with errno; name receives the file's path.
int CreateTempBeside(const std::string &path, unsigned mode, std::string &name) {
    int fd = -1;
    CreateUnderFreeName(path, name, [&](const std::string &candidate) {
        fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0)
            return false;
        // Between the creation and the lock, a tidy of another process may take the file for
        // a stale one and remove it: then this name is no longer ours, and the next is tried.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && NameLeadsTo(candidate, fd))
            return true;
        ::close(fd);
        fd = -1;
        errno = EEXIST;
        return false;
    });
    return fd;
}

// Creates an unnamed file in path's folder; -1 with errno, EOPNOTSUPP when the folder's file
// system has no unnamed files. Naming it later goes through /proc/self/fd (linking by the
// descriptor alone needs a privilege), so without /proc it is not used either.
int CreateUnnamedBeside(const std::string &path, unsigned mode) {
#ifdef O_TMPFILE
    if (::access("/proc/self/fd", X_OK) != 0) {
        errno = EOPNOTSUPP;
        return -1;
    }
    const int fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    // Kernels and file systems without unnamed files answer with one of these.
    if (fd < 0 && (errno == EISDIR || errno == EINVAL || errno == ENOSYS))
        errno = EOPNOTSUPP;
    // Locked before it has a name, so that it is never seen unlocked while it is written.
    if (fd >= 0 && ::flock(fd, LOCK_EX) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
#else
    (void)path;
    (void)mode;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// Gives the unnamed file open as fd the name path; false with errno (EEXIST when taken).
bool LinkUnnamed(int fd, const std::string &path) {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, self, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Renames from to to only when to does not exist. Where the file system cannot do that in one
// step, a hard link (which never replaces) and the removal of from do it.
bool RenameNoReplace(const std::string &from, const std::string &to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

} // namespace

void CFileReplacement::SetWriteHook(WriteHook hook, size_t chunk) {
    g_hookChunk = chunk > 0 ? chunk : 1;
    g_writeHook = hook;
}

CFileReplacement::CFileReplacement(const std::string &target) : m_target(target) {
    if (char *real = ::realpath(target.c_str(), nullptr)) {
        m_target = real;
        ::free(real);
    }
}

CFileReplacement::~CFileReplacement() {
    Discard();
}

bool CFileReplacement::Fail(int error) {
    if (!m_error)
        m_error = error ? error : EIO;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    errno = m_error;
    return false;
}

bool CFileReplacement::Open(unsigned newMode) {
    // Counted before anything changes on disk, also when the open then fails.
    ++g_replacementsBegun;
    Discard();
    m_committed = false;
    m_finished = false;
    m_error = 0;
    m_written = 0;
    struct stat st {};
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    // A file the user made read-only stays as it is, although its folder would allow a rename.
    if (exists && ::access(m_target.c_str(), W_OK) != 0)
        return Fail(errno);
    // Temporaries that killed writes of this target left behind go first.
    RemoveStaleTemporaries(m_target);
    m_fd = CreateUnnamedBeside(m_target, newMode);
    m_unnamed = m_fd >= 0;
    if (m_fd < 0 && errno == EOPNOTSUPP) {
        std::string name;
        m_fd = CreateTempBeside(m_target, newMode, name);
        m_temp = m_fd >= 0 ? name : std::string();
    }
    if (m_fd < 0)
        return Fail(errno);
    if (exists && ::fchmod(m_fd, st.st_mode & 07777) != 0)
        return Fail(errno);
    return true;
}

bool CFileReplacement::Write(const void *data, size_t size) {
    if (m_fd < 0 || m_finished)
        return Fail(m_error ? m_error : EBADF);
    const WriteHook hook = g_writeHook;
    const size_t limit = hook ? size_t(g_hookChunk) : (size_t(1) << 30);
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        // One write call moves at most about 2 GiB on Linux; larger blocks go in pieces.
        const size_t chunk = size < limit ? size : limit;
        const ssize_t n = ::write(m_fd, p, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        if (n == 0)
            return Fail(ENOSPC);
        p += n;
        size -= size_t(n);
        m_written += size_t(n);
        if (hook)
            hook(m_target, m_written);
    }
    return true;
}

bool CFileReplacement::Finish(bool durable) {
    if (m_fd < 0 || m_finished)
        return Fail(m_error ? m_error : EBADF);
    m_durable = durable;
    if (durable && ::fsync(m_fd) != 0)
        return Fail(errno);
    // The file stays open, and so locked, until it is in place or removed.
    m_finished = true;
    return true;
}

bool CFileReplacement::CloseFile() {
    const int fd = m_fd;
    m_fd = -1;
    if (fd >= 0 && ::close(fd) != 0)
        return Fail(errno);
    return true;
}

void CFileReplacement::SyncFolder() const {
    // The rename itself reaches the disk with the folder's entry.
    if (m_durable)
        SyncFolderOf(m_target);
}

bool CFileReplacement::Name() {
    if (!m_finished || m_error || m_fd < 0)
        return Fail(m_error ? m_error : EBADF);
    if (!m_unnamed)
        return true;
    std::string name;
    const int fd = m_fd;
    if (!CreateUnderFreeName(m_target, name,
                             [fd](const std::string &c) { return LinkUnnamed(fd, c); }))
        return Fail(errno);
    m_temp = name;
    m_unnamed = false;
    return true;
}

bool CFileReplacement::Commit(bool syncFolder) {
    if (!Name())
        return false;
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return Fail(errno);
    m_committed = true;
    m_temp.clear();
    // Unlocked only now: until the rename the named temporary belonged to a live write. The
    // content was flushed by Finish (or need not be), so the file is in place either way.
    ::close(m_fd);
    m_fd = -1;
    if (syncFolder)
        SyncFolder();
    return true;
}

bool CFileReplacement::CommitNew() {
    if (!m_finished || m_error || m_fd < 0)
        return Fail(m_error ? m_error : EBADF);
    if (m_unnamed) {
        if (!LinkUnnamed(m_fd, m_target))
            return Fail(errno);
        m_committed = true;
        if (!CloseFile()) {
            // The name was free a moment ago and is ours: a file not known to be whole goes.
            ::unlink(m_target.c_str());
            return false;
        }
    } else {
        if (!RenameNoReplace(m_temp, m_target))
            return Fail(errno);
        m_committed = true;
        m_temp.clear();
        ::close(m_fd);
        m_fd = -1;
    }
    SyncFolder();
    return true;
}

CFileStamp CFileReplacement::Stamp() const {
    if (!m_finished || m_fd < 0)
        return CFileStamp();
    return CFileStamp::OfOpenFile(m_fd);
}

void CFileReplacement::Discard() {
    const int err = errno;
    // Removed while still locked, so that no tidy takes it for a stale one in between.
    if (!m_committed && !m_temp.empty())
        ::unlink(m_temp.c_str());
    Abandon();
    errno = err;
}

void CFileReplacement::Abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_temp.clear();
    m_unnamed = false;
    m_finished = false;
}

unsigned long FileReplacementsBegun() {
    return g_replacementsBegun;
}

namespace {

// Writes bytes whole through a new replacement of path and puts it in place with
// commit(file); false with errno, and its temporary removed, on any failure.
template <typename Commit>
bool WriteWhole(const std::string &path, const std::string &bytes, unsigned newMode, bool durable,
                Commit commit) {
    CFileReplacement file(path);
    if (file.Open(newMode) && file.Write(bytes.data(), bytes.size()) && file.Finish(durable) &&
        commit(file))
        return true;
    const int err = file.Error();
    file.Discard();
    errno = err;
    return false;
}

} // namespace

bool ReplaceFileContent(const std::string &path, const std::string &bytes, bool durable) {
    return WriteWhole(path, bytes, 0666, durable,
                      [](CFileReplacement &file) { return file.Commit(); });
}

bool CreateFileContent(const std::string &path, const std::string &bytes, unsigned newMode,
                       bool durable) {
    // The name as given: a link of that name, even a dangling one, is a taken name.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return WriteWhole(path, bytes, newMode, durable,
                      [](CFileReplacement &file) { return file.CommitNew(); });
}

} // namespace ORQ
