#pragma once

#include "orq_utils/OrqExport.h"

#include <cstddef>
#include <string>

namespace ORQ {

// What ReadSmallFile found.
enum ESmallFileRead {
    SMALL_FILE_READ = 0,         // bytes holds the whole file
    SMALL_FILE_NOT_MEASURED = 1, // fstat failed (errno set)
    SMALL_FILE_NOT_A_FILE = 2,   // a folder, a pipe, a device: nothing is read from it
    SMALL_FILE_TOO_LARGE = 3,    // more than the limit (errno EFBIG)
    SMALL_FILE_UNREADABLE = 4,   // a read failed (errno set)
};

// Reads the whole plain file open as fd (headers, intent records: files of a few kilobytes),
// with as few reads as its size needs: one byte more than its size is asked for at once, so
// that its end is seen in the same pass; a file that grows meanwhile is read on up to limit
// bytes. The caller opens fd (O_NONBLOCK, so that a named pipe never hangs it) and closes it.
ORQ_UTILS_API ESmallFileRead ReadSmallFile(int fd, size_t limit, std::string &bytes);

} // namespace ORQ
