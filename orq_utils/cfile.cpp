#include "orq_utils/cfile.h"

#include "orq_utils/Str.h"

#include <cstring>

namespace ORQ {

namespace {

const char *const kTrimmed = " \r\t\n";
const char *const kForbidden = "<>:\"/\\|?*";

bool IsForbidden(char c) {
    return static_cast<unsigned char>(c) < 32 || std::strchr(kForbidden, c) != nullptr;
}

// The first characters of s equal prefix, without regard to case.
bool StartsWithNoCase(const std::string &s, const char *prefix) {
    return CStr::CompareNoCase(s.substr(0, std::strlen(prefix)), prefix) == 0;
}

bool IsReservedDeviceName(const std::string &name) {
    if (name.size() == 3)
        for (const char *device : {"con", "prn", "aux", "nul"})
            if (StartsWithNoCase(name, device))
                return true;
    if (name.size() == 4 && name[3] >= '1' && name[3] <= '9')
        return StartsWithNoCase(name, "com") || StartsWithNoCase(name, "lpt");
    return false;
}

// Copies part into a buffer of size characters; false when it does not fit.
bool CopyPart(const std::string &part, char *out, size_t size) {
    if (!out)
        return true;
    if (part.size() >= size)
        return false;
    std::memcpy(out, part.c_str(), part.size() + 1);
    return true;
}

void Clear(char *out) {
    if (out)
        out[0] = '\0';
}

} // namespace

bool cfile::SanitizeName(std::string &name, bool skipReservedTest) {
    const size_t first = name.find_first_not_of(kTrimmed);
    if (first == std::string::npos)
        name.clear();
    else
        name = name.substr(first, name.find_last_not_of(kTrimmed) - first + 1);
    for (char &c : name)
        if (IsForbidden(c))
            c = '_';
    if (name.empty() || name == "." || name == "..")
        return false;
    return skipReservedTest || !IsReservedDeviceName(name);
}

void cfile::fnsplit(const std::string &path, std::string &drive, std::string &folder,
                    std::string &name, std::string &extension) {
    drive.clear();
    folder.clear();
    extension.clear();
    std::string rest = path;
    if (rest.size() >= 2 && rest[1] == ':') {
        drive = rest.substr(0, 2);
        rest.erase(0, 2);
    }
    const size_t last = rest.rfind('\\');
    if (last != std::string::npos) {
        // The root folder keeps its backslash, so that joining gives the path back.
        folder = last == 0 ? "\\" : rest.substr(0, last);
        rest.erase(0, last + 1);
    }
    const size_t dot = rest.rfind('.');
    if (dot != std::string::npos) {
        extension = rest.substr(dot + 1);
        rest.erase(dot);
    }
    name = rest;
}

bool cfile::fnsplit(const char *path, char *drive, char *folder, char *name, char *extension) {
    std::string d, f, n, e;
    fnsplit(std::string(path ? path : ""), d, f, n, e);
    if (CopyPart(d, drive, kDriveSize) && CopyPart(f, folder, kPartSize) &&
        CopyPart(n, name, kPartSize) && CopyPart(e, extension, kPartSize))
        return true;
    for (char *out : {drive, folder, name, extension})
        Clear(out);
    return false;
}

std::string cfile::fnmerge(const std::string &drive, const std::string &folder,
                           const std::string &name, const std::string &extension) {
    std::string out;
    if (drive.size() >= 2 && drive[1] == ':')
        out = drive;
    if (!folder.empty()) {
        out += folder;
        if (folder.back() != '\\')
            out += '\\';
    }
    out += name;
    if (!extension.empty()) {
        if (extension[0] != '.')
            out += '.';
        out += extension;
    }
    return out;
}

bool cfile::fnmerge(char *out, const char *drive, const char *folder, const char *name,
                    const char *extension, size_t outSize) {
    const auto text = [](const char *s) { return std::string(s ? s : ""); };
    const std::string joined = fnmerge(text(drive), text(folder), text(name), text(extension));
    if (!out || outSize == 0)
        return false;
    if (CopyPart(joined, out, outSize))
        return true;
    out[0] = '\0';
    return false;
}

} // namespace ORQ
