#include "orq_utils/SmallFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ORQ {

ESmallFileRead ReadSmallFile(int fd, size_t limit, std::string &bytes) {
    bytes.clear();
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return SMALL_FILE_NOT_MEASURED;
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return SMALL_FILE_NOT_A_FILE;
    }
    auto tooLarge = [&bytes] {
        bytes.clear();
        errno = EFBIG;
        return SMALL_FILE_TOO_LARGE;
    };
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > limit)
        return tooLarge();
    bytes.resize(static_cast<size_t>(st.st_size) + 1);
    size_t have = 0;
    while (true) {
        if (have == bytes.size()) {
            if (have > limit)
                return tooLarge();
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t n = ::read(fd, &bytes[have], bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes.clear();
            return SMALL_FILE_UNREADABLE;
        }
        if (n == 0)
            break;
        have += static_cast<size_t>(n);
    }
    if (have > limit)
        return tooLarge();
    bytes.resize(have);
    return SMALL_FILE_READ;
}

} // namespace ORQ
