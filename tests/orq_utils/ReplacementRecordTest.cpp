#include "orq_utils/ReplacementRecord.h"

#include "orq_utils/FileGroupReplacement.h"
#include "tests/support/KilledSave.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using ORQ::FormatReplacementRecord;
using ORQ::IsTemporaryName;
using ORQ::ParseReplacementRecord;
using ORQ::SReplacementRecord;

namespace {

SReplacementRecord LineRecord() {
    SReplacementRecord record;
    record.renames.push_back({".LINE01.dt1.tmpab12cd34", "LINE01.dt1"});
    record.renames.push_back({".LINE01.hd.tmp0z9y8x7w", "LINE01.hd"});
    return record;
}

} // namespace

TEST(ReplacementRecord, WritesAndReadsBackTheRenames) {
    const std::string text = FormatReplacementRecord(LineRecord());
    EXPECT_EQ(text, "kvd group replacement 1\n"
                    "rename\t.LINE01.dt1.tmpab12cd34\tLINE01.dt1\n"
                    "rename\t.LINE01.hd.tmp0z9y8x7w\tLINE01.hd\n"
                    "end\n");
    SReplacementRecord back;
    std::string why;
    ASSERT_TRUE(ParseReplacementRecord(text, back, why)) << why;
    ASSERT_EQ(back.renames.size(), 2u);
    EXPECT_EQ(back.renames[1].temporary, ".LINE01.hd.tmp0z9y8x7w");
    EXPECT_EQ(back.renames[1].target, "LINE01.hd");
    EXPECT_EQ(FormatReplacementRecord(back), text);
}

// A record is acted on only when it is exactly what the writer writes: anything else could
// rename a file that was never a temporary of its target, or one outside the folder.
TEST(ReplacementRecord, RefusesAnythingButAWholeRecordOfTemporaries) {
    const std::string head = "kvd group replacement 1\n";
    const struct {
        const char *name;
        std::string text;
    } rows[] = {
        {"empty", ""},
        {"cut before its end line", head + "rename\t.a.hd.tmp12345678\ta.hd\n"},
        {"cut part-way through a line", head + "rename\t.a.hd.tmp12345678\ta.h"},
        {"no renames", head + "end\n"},
        {"another first line", "kvd group replacement 2\nrename\t.a.tmp12345678\ta\nend\n"},
        {"something after the end", head + "rename\t.a.tmp12345678\ta\nend\nmore\n"},
        {"a target in another folder",
         head + "rename\t.passwd.tmp12345678\t../../etc/passwd\nend\n"},
        {"a temporary of another target", head + "rename\t.b.hd.tmp12345678\ta.hd\nend\n"},
        {"a temporary with capital letters", head + "rename\t.a.hd.tmpABCDEFGH\ta.hd\nend\n"},
        {"a temporary with a short suffix", head + "rename\t.a.hd.tmp1234567\ta.hd\nend\n"},
        {"a target of two dots", head + "rename\t....tmp12345678\t..\nend\n"},
        {"the same target twice",
         head + "rename\t.a.tmp12345678\ta\nrename\t.a.tmp87654321\ta\nend\n"},
        {"a line that is no rename", head + "delete\t.a.tmp12345678\ta\nend\n"},
        {"a rename without its target", head + "rename\t.a.tmp12345678\nend\n"},
        {"windows line ends", "kvd group replacement 1\r\nrename\t.a.tmp12345678\ta\r\nend\r\n"},
        {"far too large", head + std::string(70000, 'x') + "\nend\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SReplacementRecord record;
        record.renames.push_back({"left", "over"});
        std::string why;
        EXPECT_FALSE(ParseReplacementRecord(row.text, record, why));
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(record.renames.empty()) << "a refused record holds nothing to act on";
    }
}

TEST(ReplacementRecord, WriterRefusesNamesItCouldNotReadBack) {
    SReplacementRecord record;
    EXPECT_EQ(FormatReplacementRecord(record), "") << "no renames";
    record.renames.push_back({".a\tb.tmp12345678", "a\tb"});
    EXPECT_EQ(FormatReplacementRecord(record), "") << "a tab in a name";
    record.renames = {{".x.tmp12345678", "a"}};
    EXPECT_EQ(FormatReplacementRecord(record), "") << "not a temporary of its target";

    std::string target;
    EXPECT_TRUE(IsTemporaryName(".LINE01.hd.tmpa1b2c3d4", &target));
    EXPECT_EQ(target, "LINE01.hd");
    EXPECT_FALSE(IsTemporaryName("LINE01.hd.tmpa1b2c3d4"));
    EXPECT_FALSE(IsTemporaryName(".LINE01.hd.tmpa1b2c3d4x"));
}

// Inputs the fuzz target of the record reader found or was seeded with, carried out as the
// target does: in a folder with the files it names, under the name of its first target's line.
// A record is carried out exactly when every file it names is one of that line's; the ones
// named "refused" name another file, and leave the folder as it was.
TEST(ReplacementRecord, FuzzReproducersAreRefusedOrReadBackAlike) {
    const std::vector<std::string> extensions = {"hd", "dt1"};
    const std::string folder = std::string(KVD_TEST_DATA_DIR "/fuzz");
    int seen = 0, refused = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("replacement-record-", 0) != 0)
            continue;
        SCOPED_TRACE(name);
        ++seen;
        const std::string text = kvdtest::ReadFile(entry.path().string());
        SReplacementRecord record;
        std::string why;
        if (!ParseReplacementRecord(text, record, why))
            continue;
        SReplacementRecord again;
        ASSERT_TRUE(ParseReplacementRecord(FormatReplacementRecord(record), again, why)) << why;
        EXPECT_EQ(again.renames.size(), record.renames.size());

        kvdtest::CaptureSink quiet;
        kvdtest::TempDir dir;
        for (const auto &r : record.renames) {
            kvdtest::WriteFile(dir.File(r.target), "old " + r.target);
            kvdtest::WriteFile(dir.File(r.temporary), "new " + r.target);
        }
        const std::string lineFile = dir.File(record.renames.front().target);
        const std::string recordPath = ORQ::ReplacementRecordPath(lineFile);
        kvdtest::WriteFile(recordPath, text);
        const std::string recordName = std::filesystem::path(recordPath).filename().string();
        const std::string stem = recordName.substr(1, recordName.find(".kvd-intent") - 1);
        const bool ownLine = ORQ::CheckReplacementTargets(record, stem, extensions, why);
        EXPECT_EQ(ownLine, name.find("-refused-") == std::string::npos) << why;
        const kvdtest::FolderState before = kvdtest::ReadFolder(dir.Path());
        const ORQ::EPendingReplacement result =
            ORQ::FinishPendingReplacementOf(lineFile, extensions);
        if (ownLine) {
            EXPECT_EQ(result, ORQ::PENDING_FINISHED);
            for (const auto &r : record.renames)
                EXPECT_EQ(kvdtest::ReadFile(dir.File(r.target)), "new " + r.target);
            EXPECT_FALSE(kvdtest::FileExists(ORQ::ReplacementLockPath(lineFile)))
                << "the line's lock goes with the reader that took it";
        } else {
            ++refused;
            EXPECT_EQ(result, ORQ::PENDING_REFUSED);
            EXPECT_EQ(kvdtest::ReadFolder(dir.Path()), before) << "nothing renamed";
        }
    }
    EXPECT_GE(seen, 6);
    EXPECT_GE(refused, 4);
}
