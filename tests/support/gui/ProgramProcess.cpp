#include "tests/support/gui/ProgramProcess.h"

#include "KVD_Edit/platform/IniFile.h"

#include <wx/filename.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvdtest::gui {

std::string ProgramPath() {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof(self) - 1) <= 0)
        return std::string();
    return wxFileName(self).GetPath().utf8_string() + "/../bin/KVD_Edit";
}

CProgramProcess::CProgramProcess(const std::string &configHome,
                                 const std::vector<std::string> &args, const SProgramPlace &place) {
    const std::string program = ProgramPath();
    if (program.empty() || !wxFileExists(program))
        return;
    // Everything the child needs is made before the fork: it only sets its settings folder and
    // runs the program.
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        if (!place.display.empty())
            setenv("DISPLAY", place.display.c_str(), 1);
        if (!place.errorFile.empty()) {
            const int error = open(place.errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (error >= 0) {
                dup2(error, 2);
                close(error);
            }
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

CProgramProcess::~CProgramProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool CProgramProcess::WaitForStartUp(const std::string &ini, int timeoutMs) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!CIniFile::HasKey(ini, "CODE_LOGGER", "LOG_LEVEL") &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return CIniFile::HasKey(ini, "CODE_LOGGER", "LOG_LEVEL");
}

bool CProgramProcess::Terminate(int timeoutMs, int &status) {
    status = -1;
    if (m_pid <= 0)
        return false;
    kill(m_pid, SIGTERM);
    const bool ended = WaitForEnd(timeoutMs, status);
    if (!ended) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    return ended;
}

bool CProgramProcess::RequestTermination() {
    return m_pid > 0 && kill(m_pid, SIGTERM) == 0;
}

bool CProgramProcess::WaitForEnd(int timeoutMs, int &status) {
    status = -1;
    if (m_pid <= 0)
        return false;
    pid_t done = 0;
    const auto stop = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while ((done = waitpid(m_pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (done != 0)
        m_pid = -1;
    return done != 0;
}

} // namespace kvdtest::gui
