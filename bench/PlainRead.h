#pragma once

// What the benchmarks' baselines read files with: plain open and read calls, none of the
// program's own code, so that a baseline is the least any reader of the files must do.

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace kvdbench {

// A file's bytes read whole; empty when it cannot be read.
inline std::string ReadWhole(const std::string &path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    char buffer[8192];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return bytes;
}

} // namespace kvdbench
