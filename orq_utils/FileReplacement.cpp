#include "orq_utils/FileReplacement.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ORQ {

namespace {

std::string FolderOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new, empty file beside path under a name no one else uses. It is made with the
// usual permissions of a new file (0666 less the umask), as the target would get if it were
// written directly. The open descriptor, or -1 with errno; name receives the file's path.
int CreateTempBeside(const std::string &path, std::string &name) {
    static std::atomic<unsigned long long> counter{0};
    const size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned long long n = (seed ^ (counter++ * 0x9E3779B97F4A7C15ULL)) + ::getpid();
        std::string suffix;
        for (int i = 0; i < 8; ++i, n /= 36)
            suffix += digits[n % 36];
        name = folder + "." + leaf + ".tmp" + suffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

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

bool CFileReplacement::Open() {
    Discard();
    m_committed = false;
    m_error = 0;
    struct stat st {};
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    // A file the user made read-only stays as it is, although its folder would allow a rename.
    if (exists && ::access(m_target.c_str(), W_OK) != 0)
        return Fail(errno);
    std::string name;
    m_fd = CreateTempBeside(m_target, name);
    if (m_fd < 0)
        return Fail(errno);
    m_temp = name;
    if (exists && ::fchmod(m_fd, st.st_mode & 07777) != 0)
        return Fail(errno);
    return true;
}

bool CFileReplacement::Write(const void *data, size_t size) {
    if (m_fd < 0)
        return Fail(m_error ? m_error : EBADF);
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        // One write call moves at most about 2 GiB on Linux; larger blocks go in pieces.
        const size_t chunk = size < (size_t(1) << 30) ? size : (size_t(1) << 30);
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
    }
    return true;
}

bool CFileReplacement::Finish(bool durable) {
    if (m_fd < 0)
        return Fail(m_error ? m_error : EBADF);
    m_durable = durable;
    if (durable && ::fsync(m_fd) != 0)
        return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail(errno);
    return true;
}

bool CFileReplacement::Commit() {
    if (m_fd >= 0 || m_temp.empty() || m_error)
        return Fail(m_error ? m_error : EBADF);
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
        return Fail(errno);
    m_committed = true;
    m_temp.clear();
    // The rename itself reaches the disk with the folder's entry.
    if (m_durable) {
        const int dir = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return true;
}

void CFileReplacement::Discard() {
    const int err = errno;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_committed && !m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
    errno = err;
}

bool ReplaceFileContent(const std::string &path, const std::string &bytes, bool durable) {
    CFileReplacement file(path);
    if (file.Open() && file.Write(bytes.data(), bytes.size()) && file.Finish(durable) &&
        file.Commit())
        return true;
    const int err = file.Error();
    file.Discard();
    errno = err;
    return false;
}

} // namespace ORQ
