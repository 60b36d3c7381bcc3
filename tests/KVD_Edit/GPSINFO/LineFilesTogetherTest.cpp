// The GPS write-back replaces a line's .hd and .dt1 as one group: stopped after any step of the
// group, or killed at any moment of a merge/remove loop, the next reader of the line finds a
// header and a trace file that belong together, and no temporary file stays after the next
// write.
#include "KVD_Edit/GPSINFO/Array3D.h"
#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/TraceHeaderFields.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "tests/support/GridProject.h"
#include "tests/support/HeldWriter.h"
#include "tests/support/KilledSave.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace TH = TraceHeaderField;

namespace {

struct LinePair : ::testing::Test {
    kvdtest::TempDir dir;
    kvdtest::CaptureSink sink;
    kvdtest::SRadarLine line;
    std::string base, hd, dt1;
    SLocalWorldDef def;
    CGPSInfo gps;

    void SetUp() override {
        line.traces = 60;
        line.samples = 32;
        line.step = 0.5;
        line.synthetic = false;
        base = dir.File("LINE01");
        hd = base + ".hd";
        dt1 = base + ".dt1";
        ASSERT_TRUE(kvdtest::WriteRadarLine(base, line));
        gps.SetLWCDefinition(&def);
        CGPSDataSample reader;
        reader.AddLine(&gps, 0, 0, 0, line.step, line.traces, "LINE01.dt1");
        kvdtest::WriteFile(dir.File("fixes.gps"), kvdtest::GpsFileText(4, 15));
        ORQ::CStr errors;
        ASSERT_EQ(reader.LoadGpsFile(&gps, dir.File("fixes.gps").c_str(), 0, 0, line.traces, errors,
                                     false),
                  4)
            << errors;
    }

    // Merges (positions in) or removes (positions out); the write-back's error text.
    std::string Write(bool merge) {
        return CGPSDataSample().WriteToLineFiles(&gps, hd.c_str(), dt1.c_str(), true, 0, 0, !merge,
                                                 false);
    }

    // Reads the line as the program does (which finishes a pending replacement first): "new"
    // for a header with positions over traces with positions, "old" for neither, anything
    // else tells how the pair is torn.
    std::string ReadPair() const {
        ORQ::Tamsel header;
        if (header.Load(hd.c_str(), ORQ::ST_FILE) || !header.GetTamsel())
            return "the header does not load: " + header.GetLastMessage();
        const ORQ::STamsel &h = *header.GetTamsel();
        CArray3D block;
        if (block.ReadDt1(dt1.c_str(), h.m_traces, h.m_points) != 0)
            return "the trace file does not load";
        int withPosition = 0;
        for (int t = 0; t < h.m_traces; ++t) {
            block.Seek(-64, t, 0);
            withPosition += TH::Get<double>(block.Element(), TH::kLongitude) != 0 ? 1 : 0;
        }
        if (h.m_gpsType == GPS_LATLONG && withPosition == h.m_traces)
            return "new";
        if (h.m_gpsType == GPS_NONE && withPosition == 0)
            return "old";
        return "torn: header GPS type " + std::to_string(int(h.m_gpsType)) + " over " +
               std::to_string(withPosition) + " of " + std::to_string(h.m_traces) +
               " traces with positions";
    }
};

struct StopAfter {
    explicit StopAfter(ORQ::CFileGroupReplacement::EStep step) {
        ORQ::CFileGroupReplacement::SetStopAfter(step);
    }
    ~StopAfter() {
        ORQ::CFileGroupReplacement::SetStopAfter(ORQ::CFileGroupReplacement::STEP_NONE);
    }
};

} // namespace

TEST_F(LinePair, MergeStoppedAfterEachStepReadsAsAWholePair) {
    using Group = ORQ::CFileGroupReplacement;
    const struct {
        Group::EStep step;
        const char *expected;
    } rows[] = {{Group::STEP_TEMPORARIES, "old"},
                {Group::STEP_RECORD, "new"},
                {Group::STEP_RENAMES, "new"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.step);
        ASSERT_EQ(Write(false), "");
        ASSERT_EQ(ReadPair(), "old");
        {
            StopAfter stop(row.step);
            EXPECT_NE(Write(true), "") << "a stopped write-back reports its failure";
        }
        EXPECT_EQ(ReadPair(), row.expected);
        EXPECT_FALSE(kvdtest::FileExists(ORQ::ReplacementRecordPath(hd)))
            << "the read finished the record";
        ASSERT_EQ(Write(false), "") << sink.AllTexts();
        EXPECT_EQ(ReadPair(), "old");
        EXPECT_EQ(kvdtest::DescribeLeftovers(dir.Path()), "")
            << "the next write-back of the line leaves no temporary";
    }
}

// A child merges and removes GPS on one line without end and is killed at random moments:
// after every kill the line reads as a whole pair, and the next write-back leaves nothing.
TEST_F(LinePair, KilledMergeAndRemoveNeverTearThePair) {
    ASSERT_EQ(Write(false), "");
    auto loop = [&] {
        for (bool merge = true;; merge = !merge)
            Write(merge);
    };
    int merged = 0;
    auto check = [&](int kill) -> std::string {
        const std::string pair = ReadPair();
        if (pair != "new" && pair != "old")
            return pair;
        merged += pair == "new" ? 1 : 0;
        const std::string error = Write(kill % 2 == 0);
        if (!error.empty())
            return "the next write-back failed: " + error;
        return kvdtest::DescribeLeftovers(dir.Path());
    };
    const kvdtest::SRandomKills run = kvdtest::KillAtRandomMoments(loop, check, 120, 12000, 55);
    EXPECT_TRUE(run.failures.empty()) << testing::PrintToString(run.failures);
    EXPECT_GE(run.kills, 100) << "too few kills within the time";
    EXPECT_GT(merged, 0) << "some kill came after a merge";
    EXPECT_LT(merged, run.kills) << "some kill came after a removal";
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

// A write-back of a line that another program is writing at the same moment waits a while for
// it, then gives up with a message that names the line and says nothing was changed; both
// files stay as the other program leaves them.
TEST_F(LinePair, AWriteBackOfALineAnotherProgramKeepsFailsWithAMessage) {
    using Group = ORQ::CFileGroupReplacement;
    ASSERT_EQ(Write(false), "");
    const std::string oldHd = kvdtest::ReadFile(hd), oldDt1 = kvdtest::ReadFile(dt1);
    // The other program writes the pair as it is.
    kvdtest::CHeldWriter other(
        [&] {
            Group group(ORQ::kLineFileExtensions);
            ORQ::CFileReplacement &d = group.Add(dt1);
            ORQ::CFileReplacement &h = group.Add(hd);
            return d.Open() && d.Write(oldDt1.data(), oldDt1.size()) && d.Finish() && h.Open() &&
                   h.Write(oldHd.data(), oldHd.size()) && h.Finish() && group.Commit();
        },
        {Group::STEP_TEMPORARIES});
    ASSERT_EQ(other.WaitHeld(10000), Group::STEP_TEMPORARIES);
    Group::SetLockWait(200);
    const std::string error = Write(true);
    Group::SetLockWait(-1);
    EXPECT_NE(error.find("another program is writing the files of the line LINE01"),
              std::string::npos)
        << error;
    EXPECT_EQ(kvdtest::ReadFile(hd), oldHd);
    EXPECT_EQ(kvdtest::ReadFile(dt1), oldDt1);
    other.Go();
    EXPECT_EQ(other.Wait(10000), 0);
    EXPECT_EQ(ReadPair(), "old");
    EXPECT_EQ(Write(true), "") << "the line is free again";
    EXPECT_EQ(ReadPair(), "new");
    EXPECT_EQ(kvdtest::DescribeLeftovers(dir.Path()), "");
    EXPECT_FALSE(kvdtest::FileExists(ORQ::ReplacementLockPath(hd)));
}

// A GPS write-back and a topography merge of one line in two processes at once, the first held
// in its write after it read the line: the second waits for it and adds its change to the
// first one's, or, kept past its wait, is refused with its message; never is one change lost
// without a word.
TEST_F(LinePair, AGpsWriteBackAndATopographyMergeOfOneLineNeverLoseEitherInSilence) {
    using Group = ORQ::CFileGroupReplacement;
    kvdtest::WriteFile(dir.File("line.ctp"), "# POSITION, ELEVATION\r\n1,10.0\r\n60,12.0\r\n");
    ASSERT_EQ(
        CGPSDataSample().LoadTopoFile(&gps, dir.File("line.ctp").c_str(), 0, 0, line.traces, false),
        0);
    const struct {
        const char *name;
        bool gpsFirst;
        int waitMs; // of the second writer; 0 the usual wait
    } rows[] = {{"topography waits for GPS", true, 0},
                {"GPS waits for topography", false, 0},
                {"topography refused while GPS is written", true, 300},
                {"GPS refused while topography is written", false, 300}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(kvdtest::WriteRadarLine(base, line));
        auto merge = [&](bool gpsMode) {
            return CGPSDataSample().WriteToLineFiles(&gps, hd.c_str(), dt1.c_str(), gpsMode, 0, 0,
                                                     false, false);
        };
        kvdtest::CHeldWriter first([&] { return merge(row.gpsFirst).empty(); },
                                   {Group::STEP_TEMPORARIES});
        ASSERT_EQ(first.WaitHeld(10000), Group::STEP_TEMPORARIES);
        std::thread letGo;
        if (row.waitMs)
            Group::SetLockWait(row.waitMs);
        else
            letGo = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                first.Go();
            });
        const std::string second = merge(!row.gpsFirst);
        if (letGo.joinable())
            letGo.join();
        else
            first.Go();
        Group::SetLockWait(-1);
        EXPECT_EQ(first.Wait(10000), 0);

        ORQ::Tamsel header;
        ASSERT_FALSE(header.Load(hd.c_str(), ORQ::ST_FILE));
        CArray3D block;
        ASSERT_EQ(block.ReadDt1(dt1.c_str(), line.traces, line.samples), 0);
        int positions = 0, elevations = 0;
        for (int t = 0; t < line.traces; ++t) {
            block.Seek(-64, t, 0);
            positions += TH::Get<double>(block.Element(), TH::kLongitude) != 0 ? 1 : 0;
            elevations += TH::Get<float>(block.Element(), TH::kTopography) != 0 ? 1 : 0;
        }
        const bool secondKept = row.waitMs == 0;
        EXPECT_EQ(positions, row.gpsFirst || secondKept ? line.traces : 0);
        EXPECT_EQ(elevations, !row.gpsFirst || secondKept ? line.traces : 0);
        EXPECT_EQ(header.GetTamsel()->m_gpsType,
                  row.gpsFirst || secondKept ? GPS_LATLONG : GPS_NONE);
        if (secondKept)
            EXPECT_EQ(second, "");
        else
            EXPECT_NE(second.find("another program is writing the files of the line LINE01"),
                      std::string::npos)
                << second;
        EXPECT_EQ(kvdtest::DescribeLeftovers(dir.Path()), "");
    }
}
