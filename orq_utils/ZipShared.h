#pragma once

// What the reading and writing sides of the zip interface share, inside orq_utils only (not
// exported): libzip's errors in our result codes, entry names, whole reads and writes.

#include "orq_utils/ZipArchive.h"

#include <zip.h>

#include <string>
#include <sys/types.h>

namespace ORQ {

// What a libzip error means in our codes; fallback for the errors without a closer match.
EZResult FromLibzip(int code, EZResult fallback);
EZResult FromLibzip(zip_error_t *error, EZResult fallback);

// Entry names: '/' separators, no drive prefix, no leading slashes, no "." or ".." components;
// a folder keeps its trailing '/'. Empty when nothing is left.
std::string CleanEntryName(const std::string &raw);
bool IsFolderName(const std::string &name);
bool SameName(const std::string &a, const std::string &b, bool ignoreCase);

// Writes all bytes (false on failure); reads up to size bytes, fewer only at the end of the
// data (-1 on a read error).
bool WriteAll(int fd, const char *data, size_t size);
ssize_t ReadFull(int fd, char *data, size_t size);

} // namespace ORQ
