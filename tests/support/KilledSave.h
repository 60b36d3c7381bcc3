#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kvdtest {

// Everything under a folder: the path below it of each file and link, with the file's bytes
// (a link: "-> " and where it points). Folders appear with an empty text and a trailing "/".
using FolderState = std::map<std::string, std::string>;
FolderState ReadFolder(const std::string &folder);

// How a save run in a child process ended.
enum class EChildEnd { Killed, Finished, Failed };

// Runs save in a forked child process, which is killed (SIGKILL) as soon as a file being
// replaced through ORQ::CFileReplacement, whose target path ends with targetEnd (empty: any
// file), has received afterBytes bytes. save returns whether it succeeded.
EChildEnd RunKilledPartWay(const std::function<bool()> &save, size_t afterBytes,
                           const std::string &targetEnd = std::string());

// Runs save in a child killed part-way (as above) and checks that it was killed during its
// writes and that the folder holds exactly what it held before: every old file byte-identical,
// no new, partial or temporary file beside them.
::testing::AssertionResult
KilledSaveLeavesFolderAsItWas(const std::string &folder, const std::function<bool()> &save,
                              size_t afterBytes, const std::string &targetEnd = std::string());

// Kills a child process running loop (which never returns by itself) with SIGKILL at random
// moments, again and again: each child is killed a random time of up to maxDelayUs microseconds
// after it started, then check() runs in this process (it returns an empty text when all is
// well, else what went wrong). Stops after kills kills, at the first failure, or when
// budgetSeconds have passed. The result: the kills done and the failures met.
struct SRandomKills {
    int kills = 0;
    std::vector<std::string> failures;
};
SRandomKills KillAtRandomMoments(const std::function<void()> &loop,
                                 const std::function<std::string(int kill)> &check, int kills,
                                 int maxDelayUs, double budgetSeconds);

// The temporary files and intent records of file replacements in a folder (its own entries).
std::vector<std::string> ReplacementLeftovers(const std::string &folder);
// Empty when the folder holds none of them, else a text that lists them.
std::string DescribeLeftovers(const std::string &folder);

} // namespace kvdtest
