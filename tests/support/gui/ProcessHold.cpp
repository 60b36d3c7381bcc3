#include "tests/support/gui/ProcessHold.h"

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace kvdtest::gui {

namespace {

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The name and the parent of a process, from its stat record: "pid (name) state ppid ...".
bool NameAndParent(pid_t pid, std::string &name, pid_t &parent) {
    const std::string text = ReadAll("/proc/" + std::to_string(pid) + "/stat");
    const size_t open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 4 > text.size())
        return false;
    name = text.substr(open + 1, close - open - 1);
    // After the name: a blank, the state letter, a blank and the parent's id.
    parent = static_cast<pid_t>(std::atol(text.c_str() + close + 4));
    return true;
}

// Whether the environment of a process sets DISPLAY to display.
bool OnDisplay(pid_t pid, const std::string &display) {
    const std::string text = ReadAll("/proc/" + std::to_string(pid) + "/environ");
    const std::string wanted = "DISPLAY=" + display;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(start, end - start, wanted) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

CProcessHold::CProcessHold(const std::string &name, const std::string &display)
    : m_name(name.substr(0, 15)), m_display(display) {
    Find();
}

CProcessHold::~CProcessHold() {
    Release();
}

bool CProcessHold::Find() {
    if (m_pid > 0)
        return true;
    DIR *proc = opendir("/proc");
    if (!proc)
        return false;
    while (dirent *entry = readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        std::string name;
        pid_t parent = 0;
        if (NameAndParent(static_cast<pid_t>(pid), name, parent) && parent == getpid() &&
            name == m_name && OnDisplay(static_cast<pid_t>(pid), m_display)) {
            m_pid = static_cast<pid_t>(pid);
            break;
        }
    }
    closedir(proc);
    return m_pid > 0;
}

bool CProcessHold::Hold() {
    if (m_pid <= 0 || kill(m_pid, SIGSTOP) != 0)
        return false;
    m_held = true;
    return true;
}

void CProcessHold::Release() {
    if (!m_held)
        return;
    kill(m_pid, SIGCONT);
    m_held = false;
}

} // namespace kvdtest::gui
