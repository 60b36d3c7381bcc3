#pragma once

#include "orq_utils/OrqExport.h"

#include <cstddef>
#include <string>

namespace ORQ {

// File-name operations in the Windows path syntax that project files carry (a drive letter and
// colon, backslash separators): making a typed name safe as a file name, splitting a path into
// drive, folder, name and extension, and joining such parts again. Splitting then joining gives
// the path back. Each operation has a std::string form without length limits and a form over
// fixed character buffers that reports, rather than cuts, a part that does not fit.
class ORQ_UTILS_API cfile {
public:
    // Buffer sizes of the fixed-buffer fnsplit, terminator included: the drive ("D:") and each
    // of folder, name and extension (the platform's path limit).
    static constexpr size_t kDriveSize = 3;
    static constexpr size_t kPartSize = 260;

    // Trims blanks, carriage returns, tabs and line feeds from both ends and replaces every
    // character a file name may not hold (< > : " / \ | ? * and the codes 0 to 31) by '_'.
    // Bytes from 128 up (UTF-8 or code page 1252 letters) stay. The edited name is kept in
    // every case. False when the result is "", "." or "..", or (unless skipReservedTest) a
    // reserved device name: con, prn, aux, nul, com1 to com9, lpt1 to lpt9, in any case.
    static bool SanitizeName(std::string &name, bool skipReservedTest);

    // 'D:\data\lines\file01.dt1' gives drive 'D:', folder '\data\lines', name 'file01' and
    // extension 'dt1' (without the dot); 'a\b\c.x' gives folder 'a\b'; 'D:\c.x' gives folder
    // '\'. Missing parts come out empty.
    static void fnsplit(const std::string &path, std::string &drive, std::string &folder,
                        std::string &name, std::string &extension);
    // The same into buffers of kDriveSize and kPartSize characters (a null output is skipped);
    // false, with every output empty, when a part does not fit its buffer. A null path is empty.
    static bool fnsplit(const char *path, char *drive, char *folder, char *name, char *extension);

    // The drive when its second character is ':', the folder followed by '\' unless it ends in
    // one, the name, and the extension after a '.' unless it begins with one. Empty parts (or
    // null ones) are left out.
    static std::string fnmerge(const std::string &drive, const std::string &folder,
                               const std::string &name, const std::string &extension);
    // The same into out, a buffer of outSize characters; false, with out empty, when the joined
    // path does not fit.
    static bool fnmerge(char *out, const char *drive, const char *folder, const char *name,
                        const char *extension, size_t outSize);
    template <size_t N>
    static bool fnmerge(char (&out)[N], const char *drive, const char *folder, const char *name,
                        const char *extension) {
        return fnmerge(out, drive, folder, name, extension, N);
    }
};

} // namespace ORQ
