#include "Tamsel/LinePath.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/FolderListing.h"

#include <sys/stat.h>

namespace ORQ {
namespace {

bool Exists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of folder (ending in "/", or empty) that a part of a path names: its UTF-8
// spelling, then its bytes as they are (files copied from Windows with raw code page 1252
// names), then any entry of the same key. Empty when none.
std::string FindPart(const std::string &folder, const std::string &part) {
    const std::string spelled = PathToFileSystemSpelling(part);
    if (Exists(folder + spelled))
        return spelled;
    const std::string widened = TextToFileName(part);
    if (widened != spelled && Exists(folder + widened))
        return widened;
    if (part != spelled && Exists(folder + part))
        return part;
    return CFolderListing(folder).Find(part);
}

} // namespace

std::string ResolveLinePath(const std::string &path) {
    if (path.empty())
        return path;
    std::string slashed = path;
    for (char &c : slashed)
        if (c == '\\')
            c = '/';
    // The usual case first: every name already spelled as on disk.
    const std::string spelled = PathToFileSystemSpelling(slashed);
    if (Exists(spelled))
        return spelled;
    if (Exists(path))
        return path;
    if (Exists(slashed))
        return slashed;

    std::string resolved = slashed[0] == '/' ? "/" : "";
    size_t pos = 0;
    bool lost = false;
    while (pos <= slashed.size()) {
        size_t next = slashed.find('/', pos);
        if (next == std::string::npos)
            next = slashed.size();
        const std::string part = slashed.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty())
            continue;
        // A part that is not there is spelled as a new file is named on disk.
        std::string name = PathToFileSystemSpelling(part);
        if (!lost && part != "." && part != "..") {
            const std::string found = FindPart(resolved, part);
            if (found.empty())
                lost = true;
            else
                name = found;
        }
        resolved += name;
        if (next < slashed.size())
            resolved += '/';
    }
    return resolved;
}

} // namespace ORQ
