#include "tests/support/KilledSave.h"

#include "orq_utils/FileReplacement.h"
#include "orq_utils/ReplacementRecord.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvdtest {

namespace {

// Set in the child process only, before its save starts.
size_t g_killAfter = 0;
std::string g_killTargetEnd;

void KillWhenReached(const std::string &target, size_t written) {
    const bool matches = target.size() >= g_killTargetEnd.size() &&
                         target.compare(target.size() - g_killTargetEnd.size(), std::string::npos,
                                        g_killTargetEnd) == 0;
    if (matches && written >= g_killAfter)
        ::raise(SIGKILL);
}

} // namespace

FolderState ReadFolder(const std::string &folder) {
    namespace fs = std::filesystem;
    FolderState state;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink())
            state[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            state[name + "/"] = std::string();
        else
            state[name] = ReadFile(entry.path().string());
    }
    return state;
}

EChildEnd RunKilledPartWay(const std::function<bool()> &save, size_t afterBytes,
                           const std::string &targetEnd) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return EChildEnd::Failed;
    if (child == 0) {
        g_killAfter = afterBytes;
        g_killTargetEnd = targetEnd;
        ORQ::CFileReplacement::SetWriteHook(&KillWhenReached, afterBytes);
        const bool ok = save();
        // No exit handlers: they belong to the test process.
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return EChildEnd::Failed;
    }
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return EChildEnd::Killed;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? EChildEnd::Finished : EChildEnd::Failed;
}

::testing::AssertionResult KilledSaveLeavesFolderAsItWas(const std::string &folder,
                                                         const std::function<bool()> &save,
                                                         size_t afterBytes,
                                                         const std::string &targetEnd) {
    const FolderState before = ReadFolder(folder);
    const EChildEnd end = RunKilledPartWay(save, afterBytes, targetEnd);
    if (end != EChildEnd::Killed)
        return ::testing::AssertionFailure()
               << "the save " << (end == EChildEnd::Finished ? "finished" : "failed")
               << " without writing " << afterBytes << " bytes of a file ending in \"" << targetEnd
               << "\" through the file replacement, so it was never killed";
    const FolderState after = ReadFolder(folder);
    if (after == before)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    failure << "killed after " << afterBytes << " bytes, the folder changed:";
    for (const auto &[name, bytes] : before) {
        const auto found = after.find(name);
        if (found == after.end())
            failure << "\n  gone: " << name;
        else if (found->second != bytes)
            failure << "\n  changed: " << name << " (" << bytes.size() << " -> "
                    << found->second.size() << " bytes)";
    }
    for (const auto &[name, bytes] : after)
        if (!before.count(name))
            failure << "\n  left behind: " << name << " (" << bytes.size() << " bytes)";
    return failure;
}

SRandomKills KillAtRandomMoments(const std::function<void()> &loop,
                                 const std::function<std::string(int kill)> &check, int kills,
                                 int maxDelayUs, double budgetSeconds) {
    SRandomKills result;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay(0, maxDelayUs);
    const auto start = std::chrono::steady_clock::now();
    while (result.kills < kills && result.failures.empty() &&
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
               budgetSeconds) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child < 0) {
            result.failures.push_back("fork failed");
            break;
        }
        if (child == 0) {
            loop();
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
            result.failures.push_back("the child ended by itself");
            break;
        }
        ++result.kills;
        const std::string problem = check(result.kills);
        if (!problem.empty())
            result.failures.push_back("after kill " + std::to_string(result.kills) + ": " +
                                      problem);
    }
    return result;
}

std::vector<std::string> ReplacementLeftovers(const std::string &folder) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const bool record = name.size() > 11 && name[0] == '.' &&
                            name.compare(name.size() - 11, 11, ".kvd-intent") == 0;
        if (record || ORQ::IsTemporaryName(name))
            names.push_back(name);
    }
    return names;
}

std::string DescribeLeftovers(const std::string &folder) {
    const auto left = ReplacementLeftovers(folder);
    return left.empty() ? std::string() : "left behind: " + ::testing::PrintToString(left);
}

} // namespace kvdtest
