#include "orq_utils/FileReplacement.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using kvdtest::FileExists;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;
using ORQ::CFileReplacement;
using ORQ::ReplaceFileContent;

namespace {

int FileCount(const std::string &folder) {
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator(folder))
        n += e.is_regular_file() || e.is_symlink() ? 1 : 0;
    return n;
}

unsigned ModeOf(const std::string &path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

} // namespace

TEST(FileReplacement, ReplacesKeepingPermissionsAndLeavesNothingBeside) {
    TempDir dir;
    const std::string path = dir.File("f.bin");
    WriteFile(path, "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(ReplaceFileContent(path, std::string("new\0data", 8)));
    EXPECT_EQ(ReadFile(path), std::string("new\0data", 8));
    EXPECT_EQ(ModeOf(path), 0640u);
    ASSERT_TRUE(ReplaceFileContent(path, "", false)) << "an empty file, without flushing";
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(FileCount(dir.Path()), 1);
}

TEST(FileReplacement, NewFileGetsTheModeOfAnyNewFile) {
    TempDir dir;
    const mode_t old = ::umask(027);
    const bool ok = ReplaceFileContent(dir.File("new.ini"), "[a]\n");
    ::umask(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ModeOf(dir.File("new.ini")), 0640u)
        << "0666 less the umask, not the temp file's 0600";
}

TEST(FileReplacement, ALinkStaysALinkAndItsFileIsReplaced) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    WriteFile(dir.File("real/data.hd"), "old");
    std::filesystem::create_symlink(dir.File("real/data.hd"), dir.File("link.hd"));
    ASSERT_TRUE(ReplaceFileContent(dir.File("link.hd"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.hd")));
    EXPECT_EQ(ReadFile(dir.File("real/data.hd")), "new");
    EXPECT_EQ(FileCount(dir.Path()), 1);
    EXPECT_EQ(FileCount(dir.File("real")), 1);
}

TEST(FileReplacement, FailuresLeaveTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    errno = 0;
    EXPECT_FALSE(ReplaceFileContent(dir.File("no/such/f"), "x"));
    EXPECT_EQ(errno, ENOENT);
    if (::geteuid() != 0) {
        // A file the user made read-only is not replaced, although its folder allows a rename.
        WriteFile(dir.File("ro.hd"), "old");
        ::chmod(dir.File("ro.hd").c_str(), 0444);
        EXPECT_FALSE(ReplaceFileContent(dir.File("ro.hd"), "new"));
        EXPECT_EQ(errno, EACCES);
        EXPECT_EQ(ReadFile(dir.File("ro.hd")), "old");
        // A folder that may not be written.
        std::filesystem::create_directory(dir.File("locked"));
        WriteFile(dir.File("locked/a.ini"), "old");
        ::chmod(dir.File("locked").c_str(), 0555);
        EXPECT_FALSE(ReplaceFileContent(dir.File("locked/a.ini"), "new"));
        ::chmod(dir.File("locked").c_str(), 0755);
        EXPECT_EQ(ReadFile(dir.File("locked/a.ini")), "old");
        EXPECT_EQ(FileCount(dir.File("locked")), 1);
    }
    EXPECT_EQ(FileCount(dir.Path()), geteuid() != 0 ? 1 : 0);
}

TEST(FileReplacement, TargetIsUntouchedUntilCommitAndAnUncommittedTempGoes) {
    TempDir dir;
    const std::string path = dir.File("LINE01.DT1");
    WriteFile(path, "old");
    {
        CFileReplacement file(path);
        ASSERT_TRUE(file.Open());
        if (!file.TempPath().empty()) {
            EXPECT_EQ(file.TempPath().find(dir.Path() + "/"), 0u) << "beside the target";
        }
        ASSERT_TRUE(file.Write("new", 3));
        ASSERT_TRUE(file.Finish());
        EXPECT_FALSE(file.Write("x", 1)) << "finished";
        EXPECT_EQ(ReadFile(path), "old");
        EXPECT_EQ(FileCount(dir.Path()), file.TempPath().empty() ? 1 : 2)
            << "the temporary file, where it has a name, is the only other file";
    }
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(FileCount(dir.Path()), 1);

    CFileReplacement file(path);
    EXPECT_FALSE(file.Commit()) << "nothing written yet";
    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(file.Commit()) << "not finished";
    EXPECT_NE(file.Error(), 0);
    ASSERT_TRUE(file.Open()) << "a new attempt starts afresh";
    EXPECT_EQ(file.Error(), 0);
    ASSERT_TRUE(file.Write("abc", 3));
    ASSERT_TRUE(file.Finish());
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadFile(path), "abc");
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_EQ(FileCount(dir.Path()), 1);
}
