#include "KVD_Edit/platform/SettingsFolder.h"

#include "orq_utils/MessageSink.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Env(const char *name) {
    const char *v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeFolder() {
    std::string home = Env("HOME");
    if (!home.empty())
        return home;
    if (const passwd *pw = getpwuid(getuid()))
        if (pw->pw_dir)
            return pw->pw_dir;
    return "/tmp";
}

std::string StripTrailingSlashes(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

} // namespace

std::string GetProgramPath() {
    std::vector<char> buf(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

std::string GetProgramFolder() {
    std::string p = GetProgramPath();
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

std::string GetProgramBaseName() {
    std::string p = GetProgramPath();
    size_t slash = p.rfind('/');
    std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string GetUserConfigHome() {
    std::string dir = Env("XDG_CONFIG_HOME");
    if (dir.empty() || dir[0] != '/')
        dir = HomeFolder() + "/.config";
    return StripTrailingSlashes(dir);
}

std::string GetMakerConfigFolder() {
    return GetUserConfigHome() + "/Brenwick";
}

std::string GetSettingsFolderPath(const std::string &programBaseName) {
    return GetMakerConfigFolder() + "/" + programBaseName;
}

std::string GetRuntimeFolderPath() {
    std::string dir = Env("XDG_RUNTIME_DIR");
    if (dir.empty() || dir[0] != '/')
        return GetMakerConfigFolder();
    return StripTrailingSlashes(dir) + "/Brenwick";
}

std::string GetMachineFolderPath() {
    std::string dirs = Env("XDG_CONFIG_DIRS");
    std::string first = dirs.substr(0, dirs.find(':'));
    if (first.empty() || first[0] != '/')
        first = "/etc/xdg";
    return StripTrailingSlashes(first) + "/Brenwick";
}

bool EnsureFolder(const std::string &path, std::string *error) {
    if (path.empty()) {
        if (error)
            *error = "no folder name";
        return false;
    }
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        if (error)
            *error = "a file of that name is in the way";
        return false;
    }
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !EnsureFolder(path.substr(0, slash), error))
        return false;
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return true;
    }
    if (error)
        *error = std::strerror(errno);
    return false;
}

bool MakeSettingsFolder(const std::string &programBaseName, std::string *folder) {
    std::string path = GetSettingsFolderPath(programBaseName);
    if (folder)
        *folder = path;
    std::string reason;
    if (EnsureFolder(path, &reason))
        return true;
    ORQ::ShowMessage("The settings folder\n" + path + "\ncannot be created (" + reason +
                         ").\nSettings will not be saved in this session.",
                     ORQ::MB_OK | ORQ::MB_ICONWARNING);
    return false;
}
