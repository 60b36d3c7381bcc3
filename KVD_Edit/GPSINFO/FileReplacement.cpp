#include "KVD_Edit/GPSINFO/FileReplacement.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    return false;
}

bool CFileReplacement::Open() {
    Discard();
    m_committed = false;
    m_error = 0;
    // A file the user made read-only stays as it is, although its folder would allow a rename.
    if (::access(m_target.c_str(), F_OK) == 0 && ::access(m_target.c_str(), W_OK) != 0)
        return Fail(errno);
    std::string pattern = m_target + ".tmpXXXXXX";
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0)
        return Fail(errno);
    m_temp = pattern;
    struct stat st {};
    const mode_t mode = ::stat(m_target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::fchmod(m_fd, mode) != 0)
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

bool CFileReplacement::Finish() {
    if (m_fd < 0)
        return Fail(m_error ? m_error : EBADF);
    if (::fsync(m_fd) != 0)
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
    return true;
}

void CFileReplacement::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_committed && !m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
}

bool ReplaceFileContent(const std::string &path, const std::string &bytes) {
    CFileReplacement file(path);
    return file.Open() && file.Write(bytes.data(), bytes.size()) && file.Finish() && file.Commit();
}
