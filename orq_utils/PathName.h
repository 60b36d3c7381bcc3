#pragma once

// Splitting and joining the paths of this system's file system ("/" separators): the one place
// that says where a folder, a name and an extension begin.

#include "orq_utils/OrqExport.h"

#include <string>

namespace ORQ {

// The folder of path: "." for a bare name, "/" for a file at the root.
ORQ_UTILS_API std::string FolderOf(const std::string &path);
// The last part of path, after its last "/" (all of it without one).
ORQ_UTILS_API std::string LeafOf(const std::string &path);
// folder, "/" and leaf; a single "/" after the root.
ORQ_UTILS_API std::string JoinPath(const std::string &folder, const std::string &leaf);

// A name (without folder) before and after its last ".". A name whose only "." is its first
// character (".hd", a hidden file) has no extension: its stem is the whole name.
ORQ_UTILS_API std::string StemOf(const std::string &leaf);
ORQ_UTILS_API std::string ExtensionOf(const std::string &leaf);

} // namespace ORQ
