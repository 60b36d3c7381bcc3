// Header saves stopped by SIGKILL part-way through their writes leave the old header whole.
#include "tests/support/KilledSave.h"
#include "Tamsel/Tamsel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

using kvdtest::KilledSaveLeavesFolderAsItWas;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;

namespace {

const char kOldHeader[] = "1234\r\nOld title\r\n2023/06/14\r\nNUMBER OF TRACES   = 250\r\n"
                          "NUMBER OF PTS/TRC  = 512\r\nSTEP SIZE USED     = 0.05\r\n";

// A header with many kept lines, so its text is long enough to be cut part-way.
void FillHeader(ORQ::Tamsel &hd) {
    for (int i = 0; i < 200; ++i)
        hd.AddComment(("comment line number " + std::to_string(i)).c_str());
    hd.SetElevation(10, 20, ORQ::UNIT_M);
}

} // namespace

TEST(KilledSave, HeaderSaveLeavesTheOldHeader) {
    TempDir dir;
    const std::string path = dir.File("LINE01.HD");
    WriteFile(path, kOldHeader);
    auto save = [&] {
        ORQ::Tamsel hd;
        if (hd.Load(path.c_str(), ORQ::ST_FILE))
            return false;
        FillHeader(hd);
        return hd.Save("", ORQ::ST_FILE) == 0;
    };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), save, 100, "LINE01.HD"));
    ASSERT_TRUE(save());
    EXPECT_NE(ReadFile(path), kOldHeader);
}

// A header written through Create and Write replaces the old file only when its stream closes:
// a kill before then, or part-way through the final write, leaves the old file as it was (a
// truncating open would have emptied it at once).
TEST(KilledSave, CreatedHeaderReplacesTheOldOneOnlyWhole) {
    TempDir dir;
    const std::string path = dir.File("line02.hd");
    WriteFile(path, kOldHeader);
    auto writeAndKill = [&] {
        ORQ::Tamsel hd;
        if (hd.Create(path.c_str(), ORQ::ST_FILE) != 0)
            return false;
        FillHeader(hd);
        hd.Write();
        ::raise(SIGKILL);
        return true;
    };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), writeAndKill, 1u << 30))
        << "killed after Write, before the stream closed";

    auto write = [&] {
        ORQ::Tamsel hd;
        if (hd.Create(path.c_str(), ORQ::ST_FILE) != 0)
            return false;
        FillHeader(hd);
        return hd.Write() == 0;
    };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), write, 100, "line02.hd"))
        << "killed while the closing stream writes the file";
    ASSERT_TRUE(write());
    ORQ::Tamsel reread;
    ASSERT_FALSE(reread.Load(path.c_str(), ORQ::ST_FILE)) << reread.GetLastMessage();
    ASSERT_NE(reread.GetComment(199), nullptr);
    EXPECT_STREQ(reread.GetComment(199), "comment line number 199");
}

// A child saves a header over and over and is killed at random moments: the header always loads
// whole, as one of the two versions saved, and the next save leaves no temporary beside it.
TEST(KilledSave, HeaderSavesKilledAtRandomLeaveAWholeHeaderAndNoTemporaries) {
    TempDir dir;
    const std::string path = dir.File("LINE03.hd");
    WriteFile(path, kOldHeader);
    auto save = [&](int version) {
        ORQ::Tamsel hd;
        if (hd.Load(path.c_str(), ORQ::ST_FILE))
            return false;
        hd.ClearComments();
        FillHeader(hd);
        hd.AddComment(("version " + std::to_string(version % 2)).c_str());
        return hd.Save("", ORQ::ST_FILE) == 0;
    };
    ASSERT_TRUE(save(0));
    auto loop = [&] {
        for (int version = 1;; ++version)
            save(version);
    };
    auto check = [&](int kill) -> std::string {
        ORQ::Tamsel hd;
        if (hd.Load(path.c_str(), ORQ::ST_FILE) || !hd.GetComment(200))
            return "the header is not whole: " + hd.GetLastMessage();
        if (!save(kill))
            return "the next save failed: " + hd.GetLastMessage();
        return kvdtest::DescribeLeftovers(dir.Path());
    };
    const kvdtest::SRandomKills run = kvdtest::KillAtRandomMoments(loop, check, 120, 8000, 55);
    EXPECT_TRUE(run.failures.empty()) << testing::PrintToString(run.failures);
    EXPECT_GE(run.kills, 100);
}
