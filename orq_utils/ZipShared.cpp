#include "orq_utils/ZipShared.h"

#include "orq_utils/Str.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace ORQ {

EZResult FromLibzip(int code, EZResult fallback) {
    switch (code) {
    case ZIP_ER_OK:
        return ZR_OK;
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
        return ZR_PASSWORD;
    case ZIP_ER_CRC:
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
    case ZIP_ER_INCONS:
    case ZIP_ER_NOZIP:
    case ZIP_ER_EOF:
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_MULTIDISK:
        return ZR_CORRUPT;
    case ZIP_ER_MEMORY:
        return ZR_NOALLOC;
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL:
    case ZIP_ER_CHANGED:
        return ZR_READ;
    case ZIP_ER_WRITE:
    case ZIP_ER_CLOSE:
    case ZIP_ER_RENAME:
    case ZIP_ER_TMPOPEN:
        return ZR_WRITE;
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT:
        return ZR_NOFILE;
    case ZIP_ER_EXISTS:
    case ZIP_ER_INVAL:
        return ZR_ARGS;
    default:
        return fallback;
    }
}

EZResult FromLibzip(zip_error_t *error, EZResult fallback) {
    return FromLibzip(zip_error_code_zip(error), fallback);
}

std::string CleanEntryName(const std::string &raw) {
    std::string s = raw;
    std::replace(s.begin(), s.end(), '\\', '/');
    const bool folder = !s.empty() && s.back() == '/';
    if (s.size() >= 2 && s[1] == ':' &&
        ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')))
        s.erase(0, 2);
    std::string clean;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find('/', start);
        if (end == std::string::npos)
            end = s.size();
        const std::string part = s.substr(start, end - start);
        if (!part.empty() && part != "." && part != "..") {
            if (!clean.empty())
                clean += '/';
            clean += part;
        }
        start = end + 1;
    }
    if (folder && !clean.empty())
        clean += '/';
    return clean;
}

bool IsFolderName(const std::string &name) {
    return !name.empty() && name.back() == '/';
}

bool SameName(const std::string &a, const std::string &b, bool ignoreCase) {
    return ignoreCase ? CStr::CompareNoCase(a, b) == 0 : a == b;
}

bool WriteAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

ssize_t ReadFull(int fd, char *data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

} // namespace ORQ
