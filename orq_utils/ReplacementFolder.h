#pragma once

// Folder helpers the file replacement and the group replacement share (not exported).

#include <string>

namespace ORQ {

// The folder of path ("." for a bare name, "/" for a file at the root) and its last part.
std::string FolderOf(const std::string &path);
std::string LeafOf(const std::string &path);
// Flushes the folder's entries (renames, new and removed names) to the disk.
void SyncFolderOf(const std::string &path);

} // namespace ORQ
