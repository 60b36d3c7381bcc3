// A folder read once answers for its files what a reader of many lines asks of each: which
// entry a name written on Windows stands for, how large a file is, and whether a replacement
// must be finished before the file is read.
#include "orq_utils/FolderListing.h"

#include "orq_utils/FileGroupReplacement.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using kvdtest::FileExists;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;
using ORQ::CFileGroupReplacement;
using ORQ::CFileReplacement;
using ORQ::CFolderListing;

namespace {

const std::vector<std::string> kExtensions = {"hd", "dt1"};

// Writes a.hd and a.dt1 as one group, stopped right after its intent record as a kill would
// stop it: the record stands and the new pair counts.
void WritePairStoppedAfterRecord(const std::string &folder) {
    CFileGroupReplacement::SetStopAfter(CFileGroupReplacement::STEP_RECORD);
    CFileGroupReplacement group(kExtensions);
    CFileReplacement &h = group.Add(folder + "/a.hd");
    CFileReplacement &d = group.Add(folder + "/a.dt1");
    EXPECT_TRUE(h.Open() && h.Write("new header", 10) && h.Finish());
    EXPECT_TRUE(d.Open() && d.Write("new traces, longer", 18) && d.Finish());
    EXPECT_FALSE(group.Commit());
    CFileGroupReplacement::SetStopAfter(CFileGroupReplacement::STEP_NONE);
}

// The old pair a.hd and a.dt1 in folder, a listing of it, and the pair written again and stopped
// after its record, before the listing is read or after it.
void ListAroundAStoppedPair(const std::string &folder, bool before, CFolderListing &listing) {
    WriteFile(folder + "/a.hd", "old header");
    WriteFile(folder + "/a.dt1", "old traces");
    if (before)
        WritePairStoppedAfterRecord(folder);
    listing.Read(folder);
    if (!before)
        WritePairStoppedAfterRecord(folder);
}

} // namespace

TEST(FolderListing, FindsTheEntryANameWrittenOnWindowsStandsFor) {
    TempDir dir;
    WriteFile(dir.File("line01.dt1"), "x");
    WriteFile(dir.File("caf\xc3\xa9.hd"), "x"); // UTF-8, as Linux tools name it
    WriteFile(dir.File("na\xefve.hd"), "x");    // raw code page 1252 bytes, copied from Windows
    const CFolderListing listing(dir.Path());
    ASSERT_TRUE(listing.IsRead());
    const struct {
        const char *name;
        const char *asked;
        const char *found;
    } rows[] = {
        {"exact", "line01.dt1", "line01.dt1"},
        {"other case", "LINE01.DT1", "line01.dt1"},
        {"code page text of a UTF-8 name", "caf\xe9.hd", "caf\xc3\xa9.hd"},
        {"code page text of a UTF-8 name, other case", "CAF\xc9.HD", "caf\xc3\xa9.hd"},
        {"raw code page name", "na\xefve.hd", "na\xefve.hd"},
        {"raw code page name, other case", "NA\xcfVE.HD", "na\xefve.hd"},
        {"missing", "line02.dt1", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(listing.Find(row.asked), row.found);
    }
    EXPECT_EQ("", listing.Find("LINE01.GPS"));

    // An extension that is not plain ASCII, in the other letter case.
    TempDir other;
    WriteFile(other.File("scan.dt\xc3\xa9"), "x");
    const CFolderListing accented(other.Path());
    EXPECT_EQ("scan.dt\xc3\xa9", accented.Find("SCAN.DT\xc9"));
}

TEST(FolderListing, SizeIsTheFilesSizeAndNoneForWhatIsNoFile) {
    TempDir dir;
    WriteFile(dir.File("a.dt1"), std::string(3000, 'x'));
    ::mkdir(dir.File("sub.dt1").c_str(), 0755);
    const CFolderListing listing(dir.Path());
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("a.dt1").c_str(), &st), 0);
    EXPECT_EQ(listing.SizeOf("a.dt1"), static_cast<long long>(st.st_size));
    EXPECT_EQ(listing.SizeOf("sub.dt1"), -1) << "a folder has no size as a file";
    EXPECT_EQ(listing.SizeOf("b.dt1"), -1) << "the folder held no such file";
}

// The listing is read once for a whole open; a record standing when it was read, and one this
// program writes after it (a write-back stopped part-way during the open), are both finished
// before the line is read.
TEST(FolderListing, PendingRecordIsFinishedWhetherWrittenBeforeOrAfterTheReading) {
    for (const bool before : {true, false}) {
        SCOPED_TRACE(before ? "record written before the reading" : "record written after it");
        TempDir dir;
        WriteFile(dir.File("b.hd"), "other line");
        CFolderListing listing;
        ListAroundAStoppedPair(dir.Path(), before, listing);

        EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("a.dt1"), listing, kExtensions),
                  ORQ::PENDING_FINISHED);
        EXPECT_EQ(ReadFile(dir.File("a.hd")), "new header");
        EXPECT_EQ(ReadFile(dir.File("a.dt1")), "new traces, longer");
        EXPECT_EQ(ORQ::FinishPendingReplacementOf(dir.File("b.hd"), listing, kExtensions),
                  ORQ::PENDING_NONE);
    }
}

// The tidy at open works from the listing the load read: a record standing then, and one this
// program writes after it, are both carried out, and a stale temporary the listing holds goes.
TEST(FolderListing, TidyOfAListingFinishesRecordsWrittenBeforeOrAfterTheReading) {
    for (const bool before : {true, false}) {
        SCOPED_TRACE(before ? "record written before the reading" : "record written after it");
        TempDir dir;
        WriteFile(dir.File(".b.hd.tmpabcdefgh"), "left by a killed write");
        WriteFile(dir.File(".keep"), "a hidden file of the person's");
        CFolderListing listing;
        ListAroundAStoppedPair(dir.Path(), before, listing);

        EXPECT_GE(ORQ::TidyReplacementFolder(listing, kExtensions), 1);
        EXPECT_EQ(ReadFile(dir.File("a.hd")), "new header");
        EXPECT_EQ(ReadFile(dir.File("a.dt1")), "new traces, longer");
        EXPECT_FALSE(FileExists(ORQ::ReplacementRecordPath(dir.File("a.hd"))));
        EXPECT_FALSE(FileExists(dir.File(".b.hd.tmpabcdefgh")));
        EXPECT_TRUE(FileExists(dir.File(".keep"))) << "only the replacement's files go";
    }
}

namespace {

size_t OpenDescriptors() {
    size_t count = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

} // namespace

// A load lists every folder its lines lie in and keeps the listings to the end: only some of them
// hold their folder open, so that a project spread over many folders never runs the process out
// of descriptors, and every listing still measures and finds its files.
TEST(FolderListing, ManyListingsAtOnceHoldFewFoldersOpenAndAllAnswer) {
    TempDir dir;
    const int folders = 300;
    for (int i = 0; i < folders; ++i) {
        const std::string folder = dir.File("f" + std::to_string(i));
        ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
        WriteFile(folder + "/LINE.dt1", std::string(static_cast<size_t>(i + 1), 'x'));
    }
    const size_t before = OpenDescriptors();
    {
        std::vector<CFolderListing> listings;
        for (int i = 0; i < folders; ++i)
            listings.emplace_back(dir.File("f" + std::to_string(i)));
        EXPECT_LE(OpenDescriptors(), before + 64);
        for (int i = 0; i < folders; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ("LINE.dt1", listings[i].Find("line.DT1"));
            EXPECT_EQ(i + 1, listings[i].SizeOf("LINE.dt1"));
            const int fd = listings[i].Open("LINE.dt1", O_RDONLY);
            EXPECT_GE(fd, 0);
            if (fd >= 0)
                ::close(fd);
        }
    }
    EXPECT_EQ(before, OpenDescriptors());
}

// A listing tells whether any name of its folder changed since its reading: a file written in
// place does not count, a name given, renamed or removed does.
TEST(FolderListing, TellsWhetherAnyNameChangedSinceItsReading) {
    const struct {
        const char *name;
        void (*change)(const kvdtest::TempDir &dir);
        bool unchanged;
    } rows[] = {
        {"nothing", [](const kvdtest::TempDir &) {}, true},
        {"a file written in place",
         [](const kvdtest::TempDir &dir) { kvdtest::WriteFile(dir.File("a.hd"), "other"); }, true},
        {"a file renamed over another",
         [](const kvdtest::TempDir &dir) {
             kvdtest::WriteFile(dir.File(".a.hd.tmp"), "new");
             ::rename(dir.File(".a.hd.tmp").c_str(), dir.File("a.hd").c_str());
         },
         false},
        {"a file removed", [](const kvdtest::TempDir &dir) { ::unlink(dir.File("a.dt1").c_str()); },
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        kvdtest::TempDir dir;
        kvdtest::WriteFile(dir.File("a.hd"), "hd");
        kvdtest::WriteFile(dir.File("a.dt1"), "dt1");
        // Past the clock's tick of the last change (a few milliseconds).
        ::usleep(50000);
        const CFolderListing listing(dir.Path());
        row.change(dir);
        EXPECT_EQ(listing.UnchangedSinceReading(), row.unchanged);
    }
}
