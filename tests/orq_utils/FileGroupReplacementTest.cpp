// The group replacement of files that must change together, its intent record, and the removal
// of temporaries that killed writes left behind (never one a live write still uses).
#include "orq_utils/FileGroupReplacement.h"

#include "orq_utils/ReplacementRecord.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/file.h>
#include <unistd.h>

using kvdtest::FileExists;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;
using ORQ::CFileGroupReplacement;
using ORQ::CFileReplacement;

namespace {

// The names in a folder other than the ones given.
std::vector<std::string> OtherNames(const std::string &folder, std::set<std::string> known) {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (!known.count(name))
            names.push_back(name);
    }
    return names;
}

// Writes a.hd and a.dt1 as one group with the given texts; the Commit's result.
bool WritePair(const std::string &folder, const std::string &hd, const std::string &dt1) {
    CFileGroupReplacement group;
    CFileReplacement &h = group.Add(folder + "/a.hd");
    CFileReplacement &d = group.Add(folder + "/a.dt1");
    EXPECT_TRUE(h.Open() && h.Write(hd.data(), hd.size()) && h.Finish());
    EXPECT_TRUE(d.Open() && d.Write(dt1.data(), dt1.size()) && d.Finish());
    return group.Commit();
}

struct StopAfter {
    explicit StopAfter(CFileGroupReplacement::EStep step) {
        CFileGroupReplacement::SetStopAfter(step);
    }
    ~StopAfter() { CFileGroupReplacement::SetStopAfter(CFileGroupReplacement::STEP_NONE); }
};

} // namespace

TEST(FileGroupReplacement, ReplacesEveryMemberAndLeavesNothingBeside) {
    TempDir dir;
    WriteFile(dir.File("a.hd"), "old header");
    WriteFile(dir.File("a.dt1"), "old traces");
    ASSERT_TRUE(WritePair(dir.Path(), "new header", "new traces"));
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "new header");
    EXPECT_EQ(ReadFile(dir.File("a.dt1")), "new traces");
    EXPECT_TRUE(OtherNames(dir.Path(), {"a.hd", "a.dt1"}).empty())
        << "no record and no temporary once the group is in place";
}

// A group stopped after each step as a kill would stop it: before the record exists the old
// pair stands, from then on the new one; whoever touches the files next finishes the record,
// and the next write removes what is left.
TEST(FileGroupReplacement, StoppedAfterEachStepTheNextReaderFindsAWholePair) {
    const struct {
        CFileGroupReplacement::EStep step;
        bool newPair;
    } rows[] = {{CFileGroupReplacement::STEP_TEMPORARIES, false},
                {CFileGroupReplacement::STEP_RECORD, true},
                {CFileGroupReplacement::STEP_RENAMES, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.step);
        TempDir dir;
        WriteFile(dir.File("a.hd"), "old header");
        WriteFile(dir.File("a.dt1"), "old traces");
        {
            StopAfter stop(row.step);
            errno = 0;
            EXPECT_FALSE(WritePair(dir.Path(), "new header", "new traces"));
            EXPECT_EQ(errno, EINTR);
        }
        EXPECT_EQ(FileExists(ORQ::ReplacementRecordPath(dir.File("a.hd"))),
                  row.step != CFileGroupReplacement::STEP_TEMPORARIES);

        // The reader of either file finishes what the record asks for.
        const auto result = ORQ::FinishPendingReplacementOf(dir.File("A.DT1"));
        EXPECT_EQ(result, row.step == CFileGroupReplacement::STEP_TEMPORARIES
                              ? ORQ::PENDING_NONE
                              : ORQ::PENDING_FINISHED);
        const std::string hd = ReadFile(dir.File("a.hd")), dt1 = ReadFile(dir.File("a.dt1"));
        EXPECT_EQ(hd, row.newPair ? "new header" : "old header");
        EXPECT_EQ(dt1, row.newPair ? "new traces" : "old traces");
        EXPECT_FALSE(FileExists(ORQ::ReplacementRecordPath(dir.File("a.hd"))));

        // The folder's tidy (opening a project) removes the temporaries nobody uses.
        ORQ::TidyReplacementFolder(dir.Path(), {"hd", "dt1"});
        EXPECT_TRUE(OtherNames(dir.Path(), {"a.hd", "a.dt1"}).empty());
        ASSERT_TRUE(WritePair(dir.Path(), "third header", "third traces"));
        EXPECT_EQ(ReadFile(dir.File("a.hd")), "third header");
    }
}

TEST(FileGroupReplacement, TheNextWriteOfATargetRemovesItsStaleTemporaries) {
    TempDir dir;
    WriteFile(dir.File("a.hd"), "old header");
    WriteFile(dir.File("a.dt1"), "old traces");
    {
        StopAfter stop(CFileGroupReplacement::STEP_TEMPORARIES);
        EXPECT_FALSE(WritePair(dir.Path(), "new header", "new traces"));
    }
    EXPECT_EQ(OtherNames(dir.Path(), {"a.hd", "a.dt1"}).size(), 2u);
    ASSERT_TRUE(ORQ::ReplaceFileContent(dir.File("a.hd"), "single header"));
    ASSERT_EQ(OtherNames(dir.Path(), {"a.hd", "a.dt1"}).size(), 1u)
        << "the header's temporary went with the next header write; the trace file's waits";
    ASSERT_TRUE(WritePair(dir.Path(), "h", "t"));
    EXPECT_TRUE(OtherNames(dir.Path(), {"a.hd", "a.dt1"}).empty());
}

// A temporary whose write is still under way holds its lock: no tidy, no other write and no
// finisher of a record takes it.
TEST(FileGroupReplacement, ALiveWritesTemporaryIsNeverRemoved) {
    TempDir dir;
    WriteFile(dir.File("a.hd"), "old");
    CFileReplacement live(dir.File("a.hd"));
    ASSERT_TRUE(live.Open());
    ASSERT_TRUE(live.Write("live", 4));
    ASSERT_TRUE(live.Finish());
    ASSERT_TRUE(live.Name()) << "named, as a group names its members before its record";
    const std::string temp = live.TempPath();
    ASSERT_TRUE(FileExists(temp));

    EXPECT_EQ(ORQ::RemoveStaleTemporaries(dir.File("a.hd")), 0);
    EXPECT_EQ(ORQ::TidyReplacementFolder(dir.Path(), {"hd"}), 0);
    ASSERT_TRUE(ORQ::ReplaceFileContent(dir.File("a.hd"), "other"));
    EXPECT_TRUE(FileExists(temp)) << "the live write's temporary is still there";
    ASSERT_TRUE(live.Commit());
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "live");
    EXPECT_TRUE(OtherNames(dir.Path(), {"a.hd"}).empty());
}

// A record naming a temporary that a live write holds is that write's own: left to it.
TEST(FileGroupReplacement, ARecordOfALiveWriteIsLeftToIt) {
    TempDir dir;
    WriteFile(dir.File("a.hd"), "old");
    const std::string temp = dir.File(".a.hd.tmpabcdefgh");
    WriteFile(temp, "new");
    const int fd = ::open(temp.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    WriteFile(ORQ::ReplacementRecordPath(dir.File("a.hd")),
              "kvd group replacement 1\nrename\t.a.hd.tmpabcdefgh\ta.hd\nend\n");
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd")), ORQ::PENDING_BUSY);
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "old");
    ::close(fd);
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd")), ORQ::PENDING_FINISHED);
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "new");
}

// A record that cannot be read is never guessed at: it stays, with the temporaries it may
// name, it is reported once, and a group write of the same files refuses to go over it.
TEST(FileGroupReplacement, AnUnreadableRecordIsLeftAloneAndReported) {
    kvdtest::CaptureSink sink;
    TempDir dir;
    WriteFile(dir.File("a.hd"), "old header");
    WriteFile(dir.File("a.dt1"), "old traces");
    WriteFile(dir.File(".a.hd.tmp12345678"), "stale or not");
    const std::string record = ORQ::ReplacementRecordPath(dir.File("a.hd"));
    WriteFile(record, "kvd group replacement 1\nrename\t.a.hd.tmp12345678\ta.hd\n");

    std::string why;
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd"), &why), ORQ::PENDING_UNREADABLE);
    EXPECT_NE(why.find("end"), std::string::npos) << why;
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.dt1")), ORQ::PENDING_UNREADABLE);
    ASSERT_EQ(sink.Messages().size(), 1u) << "reported once, however often the line is read";
    EXPECT_NE(sink.Messages()[0].text.find(record), std::string::npos) << sink.AllTexts();

    EXPECT_EQ(ORQ::TidyReplacementFolder(dir.Path(), {"hd", "dt1"}), 0);
    EXPECT_TRUE(FileExists(dir.File(".a.hd.tmp12345678")))
        << "a temporary an unreadable record may name stays";
    EXPECT_FALSE(WritePair(dir.Path(), "new header", "new traces"));
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "old header");
    EXPECT_EQ(ReadFile(record), "kvd group replacement 1\nrename\t.a.hd.tmp12345678\ta.hd\n");
}

// A record whose renames all happened before the kill (the targets in place, the temporaries
// gone) is simply removed; one naming a file outside its folder is never acted on.
TEST(FileGroupReplacement, FinishedOrForeignRecords) {
    kvdtest::CaptureSink sink;
    TempDir dir;
    WriteFile(dir.File("a.hd"), "header");
    const std::string record = ORQ::ReplacementRecordPath(dir.File("a.hd"));
    WriteFile(record, "kvd group replacement 1\nrename\t.a.hd.tmp12345678\ta.hd\nend\n");
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd")), ORQ::PENDING_FINISHED);
    EXPECT_FALSE(FileExists(record));
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "header");

    std::filesystem::create_directory(dir.File("sub"));
    WriteFile(dir.File("outside"), "keep me");
    WriteFile(dir.File("sub/.outside.tmp12345678"), "intruder");
    WriteFile(dir.File("sub/.a.kvd-intent"),
              "kvd group replacement 1\nrename\t.outside.tmp12345678\t../outside\nend\n");
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("sub/a.hd")), ORQ::PENDING_UNREADABLE);
    EXPECT_EQ(ReadFile(dir.File("outside")), "keep me");
}

// A pass that writes every line of a large folder must not read the whole folder before each
// write (the pass would cost the square of its lines): the folder is read again only after a
// hundredth of its names were written, and a leftover found then goes with its target's write.
TEST(FileGroupReplacement, ALargeFolderIsNotReadBeforeEveryWrite) {
    TempDir dir;
    const int lines = 1000;
    for (int i = 0; i < lines; ++i)
        WriteFile(dir.File("L" + std::to_string(i) + ".hd"), "header");
    ASSERT_TRUE(ORQ::ReplaceFileContent(dir.File("L0.hd"), "read the folder"));
    const std::string leftover = dir.File(".L0.hd.tmpabcdefgh");
    WriteFile(leftover, "left by a write killed elsewhere");

    ASSERT_TRUE(ORQ::ReplaceFileContent(dir.File("L0.hd"), "next"));
    EXPECT_TRUE(FileExists(leftover)) << "the folder was read whole again at once";
    int writes = 1;
    while (FileExists(leftover) && writes <= lines / 100 + 1) {
        ASSERT_TRUE(ORQ::ReplaceFileContent(dir.File("L0.hd"), "again"));
        ++writes;
    }
    EXPECT_FALSE(FileExists(leftover)) << "still there after " << writes << " writes";
    EXPECT_LE(writes, lines / 100 + 1);
}
