#include "Tamsel/LinePath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <memory>

namespace ORQ {
namespace {

bool Exists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of folder whose name equals name without regard to (ASCII) case; empty when none.
std::string FindNoCase(const std::string &folder, const std::string &name) {
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.empty() ? "." : folder.c_str()),
                                             &::closedir);
    if (!dir)
        return std::string();
    while (const dirent *entry = ::readdir(dir.get())) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0)
            return entry->d_name;
    }
    return std::string();
}

} // namespace

std::string ResolveLinePath(const std::string &path) {
    if (path.empty() || Exists(path))
        return path;
    std::string slashed = path;
    for (char &c : slashed)
        if (c == '\\')
            c = '/';
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
        std::string name = part;
        if (!lost && part != "." && part != ".." && !Exists(resolved + part)) {
            const std::string found = FindNoCase(resolved, part);
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
