// The group replacement of files that must change together, its intent record, and the removal
// of temporaries that killed writes left behind (never one a live write still uses).
#include "orq_utils/FileGroupReplacement.h"

#include "orq_utils/ReplacementRecord.h"
#include "tests/support/KilledSave.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <initializer_list>
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

// The extensions of a line's files, as the line library passes them.
const std::vector<std::string> kLine = {"hd", "dt1"};

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
    CFileGroupReplacement group(kLine);
    CFileReplacement &h = group.Add(folder + "/a.hd");
    CFileReplacement &d = group.Add(folder + "/a.dt1");
    EXPECT_TRUE(h.Open() && h.Write(hd.data(), hd.size()) && h.Finish());
    EXPECT_TRUE(d.Open() && d.Write(dt1.data(), dt1.size()) && d.Finish());
    return group.Commit();
}

// Writes the line GPS01 (GPS01.hd and GPS01.dt1) as one group; the Commit's result.
bool WriteGpsLine(const std::string &folder, const std::string &text) {
    CFileGroupReplacement group(kLine);
    for (const char *name : {"GPS01.hd", "GPS01.dt1"}) {
        CFileReplacement &m = group.Add(folder + "/" + name);
        EXPECT_TRUE(m.Open() && m.Write(text.data(), text.size()) && m.Finish());
    }
    return group.Commit();
}

// Commits a group of the given files of folder, each written "new" first; the Commit's result,
// errno and why.
bool CommitNewContent(const std::string &folder, std::initializer_list<const char *> names,
                      int &error, std::string &why) {
    CFileGroupReplacement group(kLine);
    for (const char *name : names) {
        CFileReplacement &m = group.Add(folder + "/" + name);
        EXPECT_TRUE(m.Open() && m.Write("new", 3) && m.Finish());
    }
    errno = 0;
    const bool committed = group.Commit();
    error = errno;
    why = group.Why();
    return committed;
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
        const auto result = ORQ::FinishPendingReplacementOf(dir.File("A.DT1"), kLine);
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
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd"), kLine), ORQ::PENDING_BUSY);
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "old");
    ::close(fd);
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd"), kLine), ORQ::PENDING_FINISHED);
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
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd"), kLine, &why),
              ORQ::PENDING_UNREADABLE);
    EXPECT_NE(why.find("end"), std::string::npos) << why;
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.dt1"), kLine), ORQ::PENDING_UNREADABLE);
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
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.hd"), kLine), ORQ::PENDING_FINISHED);
    EXPECT_FALSE(FileExists(record));
    EXPECT_EQ(ReadFile(dir.File("a.hd")), "header");

    std::filesystem::create_directory(dir.File("sub"));
    WriteFile(dir.File("outside"), "keep me");
    WriteFile(dir.File("sub/.outside.tmp12345678"), "intruder");
    WriteFile(dir.File("sub/.a.kvd-intent"),
              "kvd group replacement 1\nrename\t.outside.tmp12345678\t../outside\nend\n");
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("sub/a.hd"), kLine),
              ORQ::PENDING_UNREADABLE);
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

// A record is carried out only when it names its own line's files (the line it is named for,
// with the extensions the line library gives): one left by another program, damaged, or copied
// in from elsewhere must not put a temporary (perhaps a killed save's partial file) over the
// project or another line. Refused whole, reported once, kept; its line stays held back until
// the record is deleted.
TEST(FileGroupReplacement, ARecordNamingFilesBesideItsLineIsRefusedWhole) {
    const std::string head = "kvd group replacement 1\n";
    const std::string ownHd = "rename\t.GPS01.hd.tmpzzzz0001\tGPS01.hd\n";
    const std::string ownDt1 = "rename\t.GPS01.dt1.tmpzzzz0002\tGPS01.dt1\n";
    // Each record names the line's own two files and one beside them.
    const struct {
        const char *name;
        const char *named;
    } rows[] = {
        {"the project", "p.kvd"},
        {"another line's header", "LINE02.hd"},
        {"the line's GPS file", "GPS01.GPS"},
        {"a name with another stem", "GPS010.hd"},
        {"its header again, in another spelling", "gps01.HD"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        kvdtest::CaptureSink sink;
        TempDir dir;
        for (const char *file :
             {"GPS01.hd", "GPS01.dt1", "p.kvd", "LINE02.hd", "GPS01.GPS", "GPS010.hd", "gps01.HD"})
            WriteFile(dir.File(file), std::string("old ") + file);
        for (const char *temporary : {".GPS01.hd.tmpzzzz0001", ".GPS01.dt1.tmpzzzz0002"})
            WriteFile(dir.File(temporary), "new line file");
        WriteFile(dir.File("." + std::string(row.named) + ".tmpzzzz9999"), "partial");
        const std::string record = ORQ::ReplacementRecordPath(dir.File("GPS01.hd"));
        const std::string named = row.named;
        WriteFile(record, head + ownHd + "rename\t." + named + ".tmpzzzz9999\t" + named + "\n" +
                              ownDt1 + "end\n");
        const kvdtest::FolderState before = kvdtest::ReadFolder(dir.Path());

        std::string why;
        EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("GPS01.hd"), kLine, &why),
                  ORQ::PENDING_REFUSED);
        EXPECT_NE(why.find(row.named), std::string::npos) << why;
        EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("GPS01.dt1"), kLine),
                  ORQ::PENDING_REFUSED);
        ORQ::TidyReplacementFolder(dir.Path(), kLine);
        EXPECT_EQ(kvdtest::ReadFolder(dir.Path()), before)
            << "nothing renamed, nothing removed: the named files byte-identical, the "
               "temporaries still there";
        ASSERT_EQ(sink.Messages().size(), 1u) << sink.AllTexts();
        const std::string &text = sink.Messages()[0].text;
        EXPECT_NE(text.find(record), std::string::npos) << text;
        EXPECT_NE(text.find(row.named), std::string::npos) << text;

        EXPECT_FALSE(WriteGpsLine(dir.Path(), "held")) << "the line stays held back";
        EXPECT_EQ(ReadFile(dir.File("GPS01.hd")), "old GPS01.hd");
        ASSERT_TRUE(std::filesystem::remove(record));
        EXPECT_TRUE(WriteGpsLine(dir.Path(), "written")) << "deleting the record frees the line";
        EXPECT_EQ(ReadFile(dir.File("GPS01.hd")), "written");
        EXPECT_EQ(ReadFile(dir.File("p.kvd")), "old p.kvd");
    }

    // Its own two files, in the spellings of the disk, still roll forward.
    TempDir dir;
    WriteFile(dir.File("GPS01.hd"), "old header");
    WriteFile(dir.File("gps01.DT1"), "old traces");
    WriteFile(dir.File(".GPS01.hd.tmpzzzz0001"), "new header");
    WriteFile(dir.File(".gps01.DT1.tmpzzzz0002"), "new traces");
    WriteFile(ORQ::ReplacementRecordPath(dir.File("GPS01.hd")),
              head + ownHd + "rename\t.gps01.DT1.tmpzzzz0002\tgps01.DT1\nend\n");
    EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("gps01.DT1"), kLine), ORQ::PENDING_FINISHED);
    EXPECT_EQ(ReadFile(dir.File("GPS01.hd")), "new header");
    EXPECT_EQ(ReadFile(dir.File("gps01.DT1")), "new traces");
    EXPECT_TRUE(OtherNames(dir.Path(), {"GPS01.hd", "gps01.DT1"}).empty());
}

// The writer never makes a record the reader would refuse, by the one rule both take for a
// line's files: a group of files that are not one line's, or that share a stem but not the
// line's extensions, is refused before anything is written.
TEST(FileGroupReplacement, AGroupTheReaderWouldRefuseIsRefusedBeforeItsWrites) {
    const struct {
        const char *name;
        const char *first;
        const char *second;
    } rows[] = {
        {"files of two lines", "a.hd", "b.hd"},
        {"a file of another extension", "a.hd", "a.txt"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFile(dir.File(row.first), "old first");
        WriteFile(dir.File(row.second), "old second");
        int error = 0;
        std::string why;
        EXPECT_FALSE(CommitNewContent(dir.Path(), {row.first, row.second}, error, why));
        EXPECT_EQ(error, EINVAL) << why;
        EXPECT_NE(why.find(row.second), std::string::npos) << why;
        EXPECT_EQ(ReadFile(dir.File(row.first)), "old first");
        EXPECT_EQ(ReadFile(dir.File(row.second)), "old second");
        EXPECT_FALSE(FileExists(ORQ::ReplacementRecordPath(dir.File(row.first))));
    }
}

// A record that cannot be read may name any file of its own line, and no other: it keeps only
// its line's temporaries, and those of every other line go as usual.
TEST(FileGroupReplacement, ADamagedRecordHoldsBackOnlyItsOwnLine) {
    kvdtest::CaptureSink sink;
    TempDir dir;
    WriteFile(dir.File("L.hd"), "header of L");
    WriteFile(dir.File("LINE02.hd"), "header of LINE02");
    WriteFile(dir.File(".line02.kvd-intent"), "kvd group replacement 1\nrename\t.LINE02.h");
    WriteFile(dir.File(".LINE02.hd.tmpabcdefgh"), "kept with the record");
    WriteFile(dir.File(".L.hd.tmpabcdefgh"), "left by a killed write");
    WriteFile(dir.File(".L.hd.tmpabcdefgi"), "left by another");

    ASSERT_TRUE(ORQ::ReplaceFileContent(dir.File("L.hd"), "next header of L"));
    EXPECT_FALSE(FileExists(dir.File(".L.hd.tmpabcdefgh"))) << "the next write of L.hd tidies";
    WriteFile(dir.File(".L.hd.tmpabcdefgh"), "left again");
    EXPECT_EQ(ORQ::TidyReplacementFolder(dir.Path(), kLine), 1);
    const std::vector<std::string> left = OtherNames(dir.Path(), {"L.hd", "LINE02.hd"});
    EXPECT_EQ(std::set<std::string>(left.begin(), left.end()),
              (std::set<std::string>{".LINE02.hd.tmpabcdefgh", ".line02.kvd-intent"}));
    ASSERT_EQ(sink.Messages().size(), 1u) << sink.AllTexts();
    EXPECT_NE(sink.Messages()[0].text.find(dir.File(".line02.kvd-intent")), std::string::npos)
        << sink.AllTexts();
}

// A child writes the header of line L over and over and is killed at random moments, beside a
// damaged record of another line: the next write of L's header leaves no temporary of it, as
// without the record (a kill between naming the temporary and renaming it leaves one behind).
TEST(FileGroupReplacement, KilledHeaderWritesBesideADamagedRecordOfAnotherLineLeaveNothing) {
    kvdtest::CaptureSink sink;
    TempDir dir;
    const std::string path = dir.File("L.hd");
    const std::string header(1024, 'h');
    WriteFile(path, header);
    WriteFile(dir.File(".line02.kvd-intent"), "kvd group replacement 1\nrename\t.LINE02.h");
    auto loop = [&] {
        while (true)
            ORQ::ReplaceFileContent(path, header, false);
    };
    auto check = [&](int) -> std::string {
        if (!ORQ::ReplaceFileContent(path, header, false))
            return "the next write failed";
        if (ReadFile(path) != header)
            return "the header is not whole";
        for (const std::string &name : kvdtest::ReplacementLeftovers(dir.Path()))
            if (ORQ::IsTemporaryName(name, "L.hd"))
                return "left behind: " + name;
        return std::string();
    };
    const kvdtest::SRandomKills run = kvdtest::KillAtRandomMoments(loop, check, 300, 2000, 20);
    EXPECT_TRUE(run.failures.empty()) << testing::PrintToString(run.failures);
    EXPECT_GE(run.kills, 100);
    EXPECT_TRUE(FileExists(dir.File(".line02.kvd-intent"))) << "the damaged record stays";
}
