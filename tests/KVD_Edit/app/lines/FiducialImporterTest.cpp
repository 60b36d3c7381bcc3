#include "KVD_Edit/app/lines/FiducialImporter.h"

#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/FileReplacement.h"
#include "tests/KVD_Edit/app/lines/ImportTestSupport.h"
#include "tests/support/RadarLineGenerator.h"

#include <gtest/gtest.h>

using importtest::Count;
using importtest::Project;

namespace {

// Runs UpdateFidDetails on a fresh "DataFile" element under "Data" and returns the element's
// text as written, or the result code when negative.
struct FidRun {
    int result = 0;
    std::string xml;
};

FidRun RunFid(Project &p, const std::string &hd, ORQ::EUnitType unit, double step, double x0,
              double x1, double y0, double y1) {
    ORQ::CKVDXmlFile *f = p.File();
    f->GotoRootNode();
    f->GotoChildNode("Data", 0);
    f->AppendChildNode("DataFile");
    FidRun run;
    run.result = CFiducialImporter::UpdateFidDetails(f, hd, unit, step, x0, x1, y0, y1);
    ORQ::CStr name;
    f->GetNodeName(name);
    EXPECT_EQ(name, "DataFile") << "the cursor stays on the data file";
    run.xml = p.Text();
    return run;
}

TEST(FiducialImport, MapsCommentsAndLeavesSkipsOut) {
    Project p;
    ASSERT_TRUE(p.Loaded());
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{10, "FID1"}, {20, "skip"}, {30, "SKIPPED"}, {60, "Sk"}};
    line.skipTraces = {40, 50};
    line.skipComment = "comment of a skip trace";
    const std::string dt1 = p.AddLine("L1", line);
    importtest::SetTracePosition(dt1, line.samples, 10, 2.5f);
    importtest::SetTracePosition(dt1, line.samples, 30, 5.0f);

    const FidRun run = RunFid(p, p.Folder() + "/L1.hd", ORQ::UNIT_M, 0.05, 0, 10, 10, 0);
    EXPECT_EQ(run.result, 101);
    EXPECT_NE(run.xml.find("<FIDComment ododist=\"7.500000\" units=\"m\" fileflag=\"C\">FID1"
                           "</FIDComment>"),
              std::string::npos)
        << run.xml;
    EXPECT_NE(run.xml.find("ododist=\"5.000000\" units=\"m\" fileflag=\"C\">SKIPPED<"),
              std::string::npos);
    EXPECT_EQ(Count(run.xml, "<FIDComment"), 3) << "skip, skip traces left out: " << run.xml;
    EXPECT_EQ(run.xml.find(">skip<"), std::string::npos);
    EXPECT_EQ(run.xml.find("comment of a skip"), std::string::npos);
}

TEST(FiducialImport, WithoutStepKeepsPositionsAndLongComments) {
    Project p;
    kvdtest::SRadarLine line = importtest::SmallLine();
    const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01"; // 28 characters
    line.fiducials = {{3, full}};
    const std::string dt1 = p.AddLine("L1", line);
    importtest::SetTracePosition(dt1, line.samples, 3, 1.25f);

    const FidRun run = RunFid(p, p.Folder() + "/L1.hd", ORQ::UNIT_FT, 0, 0, 10, 10, 0);
    EXPECT_NE(run.xml.find("ododist=\"1.250000\" units=\"ft\" fileflag=\"D\">" + full + "<"),
              std::string::npos)
        << run.xml;
}

TEST(FiducialImport, LineWithoutLengthMapsToItsStart) {
    Project p;
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{3, "F"}};
    const std::string dt1 = p.AddLine("L1", line);
    importtest::SetTracePosition(dt1, line.samples, 3, 1.0f);

    const FidRun run = RunFid(p, p.Folder() + "/L1.hd", ORQ::UNIT_M, 0.05, 4, 4, 3, 9);
    EXPECT_NE(run.xml.find("ododist=\"3.000000\""), std::string::npos) << run.xml;
    EXPECT_EQ(run.xml.find("nan"), std::string::npos);
    EXPECT_EQ(run.xml.find("inf"), std::string::npos);
    EXPECT_EQ(CFiducialImporter::MapPosition(2.5, 0, 10, 10, 0), 7.5);
}

TEST(FiducialImport, ReadsMarksOfManyTracesAndOfVeryLongTraces) {
    Project p;
    // Many short traces: the marks at both ends of each run of traces read together.
    kvdtest::SRadarLine many = importtest::SmallLine();
    many.traces = 3000;
    many.samples = 1024;
    many.fiducials = {{0, "first"}, {119, "a"}, {120, "b"}, {121, "c"}, {2999, "last"}};
    p.AddLine("MANY", many);
    std::vector<SFiducialMark> marks;
    ASSERT_EQ(CFiducialImporter::ReadMarks(p.Folder() + "/MANY.hd", marks), 3000);
    std::vector<std::pair<int, std::string>> got;
    for (const SFiducialMark &m : marks)
        got.emplace_back(m.trace, m.comment);
    EXPECT_EQ(got, many.fiducials);
    // The same file cut inside its last trace: the runs before the cut gave marks, but a file
    // shorter than its header promises gives none.
    const std::string manyDt1 = p.Folder() + "/MANY.dt1";
    const std::string manyBytes = kvdtest::ReadFile(manyDt1);
    kvdtest::WriteFile(manyDt1, manyBytes.substr(0, manyBytes.size() - 1));
    EXPECT_EQ(CFiducialImporter::ReadMarks(p.Folder() + "/MANY.hd", marks),
              CFiducialImporter::kTraceFileUnreadable);
    EXPECT_TRUE(marks.empty());

    // Traces longer than a run: read header by header.
    kvdtest::SRadarLine longTraces = importtest::SmallLine();
    longTraces.traces = 4;
    longTraces.samples = 200000;
    longTraces.fiducials = {{1, "one"}, {3, "three"}};
    const std::string dt1 = p.AddLine("LONG", longTraces);
    ASSERT_EQ(CFiducialImporter::ReadMarks(p.Folder() + "/LONG.hd", marks), 4);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].trace, 1);
    EXPECT_EQ(marks[0].comment, "one");
    EXPECT_EQ(marks[1].trace, 3);
    EXPECT_EQ(marks[1].comment, "three");

    // A file cut inside its last trace is unreadable and gives no marks.
    std::string bytes = kvdtest::ReadFile(dt1);
    kvdtest::WriteFile(dt1, bytes.substr(0, bytes.size() - 1));
    ETraceFileFault fault = ETraceFileFault::None;
    EXPECT_EQ(CFiducialImporter::ReadMarks(p.Folder() + "/LONG.hd", marks, nullptr, "", &fault),
              CFiducialImporter::kTraceFileUnreadable);
    EXPECT_TRUE(marks.empty());
    EXPECT_EQ(fault, ETraceFileFault::Short) << "the size is measured before reading";
    std::remove(dt1.c_str());
    EXPECT_EQ(CFiducialImporter::ReadMarks(p.Folder() + "/LONG.hd", marks, nullptr, "", &fault),
              CFiducialImporter::kTraceFileUnreadable);
    EXPECT_EQ(fault, ETraceFileFault::Missing);
}

// A header that gives fewer traces than its trace file holds describes the start of the file:
// the marks of its traces are read (a new line takes them), and the reader says the file is
// longer, so that a renewal keeps what the project holds.
TEST(FiducialImport, TraceFileLongerThanItsHeaderGivesTheHeadersTracesAndSaysSo) {
    Project p;
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{3, "early"}, {50, "late"}};
    p.AddLine("L1", line);
    const std::string hd = p.Folder() + "/L1.hd";
    std::vector<SFiducialMark> marks;
    ETraceFileFault fault = ETraceFileFault::Long;
    ASSERT_EQ(CFiducialImporter::ReadMarks(hd, marks, nullptr, std::string(), &fault), 101);
    EXPECT_EQ(fault, ETraceFileFault::None) << "file and header agree";
    EXPECT_EQ(marks.size(), 2u);

    ASSERT_TRUE(kvdtest::SetHeaderValue(hd, "NUMBER OF TRACES", "10x1"));
    EXPECT_EQ(CFiducialImporter::ReadMarks(hd, marks, nullptr, std::string(), &fault), 10);
    EXPECT_EQ(fault, ETraceFileFault::Long);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].comment, "early");
    const FidRun run = RunFid(p, hd, ORQ::UNIT_M, 0.05, 0, 5, 0, 5);
    EXPECT_EQ(run.result, 10);
    EXPECT_EQ(Count(run.xml, "<FIDComment"), 1) << run.xml;
}

TEST(FiducialImport, ReportsUnreadableFilesAndWritesNothing) {
    Project p;
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{3, "F"}};
    const std::string dt1 = p.AddLine("L1", line);
    const std::string hd = p.Folder() + "/L1.hd";

    // The trace file is shorter than its header promises: nothing is read from it.
    std::string bytes = kvdtest::ReadFile(dt1);
    kvdtest::WriteFile(dt1, bytes.substr(0, bytes.size() - 10));
    FidRun run = RunFid(p, hd, ORQ::UNIT_M, 0.05, 0, 5, 0, 5);
    EXPECT_EQ(run.result, CFiducialImporter::kTraceFileUnreadable);
    EXPECT_EQ(Count(run.xml, "<FIDComment"), 0);

    std::remove(dt1.c_str());
    EXPECT_EQ(RunFid(p, hd, ORQ::UNIT_M, 0.05, 0, 5, 0, 5).result,
              CFiducialImporter::kTraceFileUnreadable);
    EXPECT_EQ(RunFid(p, p.Folder() + "/none.hd", ORQ::UNIT_M, 0.05, 0, 5, 0, 5).result,
              CFiducialImporter::kHeaderNotLoaded);

    line.traces = 0;
    p.AddLine("L0", line);
    run = RunFid(p, p.Folder() + "/L0.hd", ORQ::UNIT_M, 0.05, 0, 5, 0, 5);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(Count(run.xml, "<FIDComment"), 0);
}

} // namespace

// A header the caller read serves while its file is still the one read; once another program
// replaced the line's pair since, the marks are those of the new pair, read whole, never the new
// trace file with the old header.
TEST(FiducialImport, AHeaderReadBeforeAnotherWriteOfTheLineIsReadAgainWithItsTraceFile) {
    for (const bool written : {false, true}) {
        SCOPED_TRACE(written ? "the pair replaced since the header's read" : "nothing written");
        Project p;
        kvdtest::SRadarLine line = importtest::SmallLine();
        line.fiducials = {{10, "OLD"}, {60, "LATE"}};
        p.AddLine("L1", line);
        const std::string base = p.Folder() + "/L1";
        ORQ::Tamsel read;
        ASSERT_FALSE(read.Load((base + ".hd").c_str(), ORQ::ST_FILE));
        if (written) {
            line.fiducials = {{10, "NEW"}, {60, "LATE"}};
            ORQ::CFileGroupReplacement group(ORQ::kLineFileExtensions);
            const std::string hd = kvdgen::RadarHeaderText(line),
                              dt1 = kvdgen::RadarTraceBytes(line);
            ORQ::CFileReplacement &h = group.Add(base + ".hd");
            ORQ::CFileReplacement &d = group.Add(base + ".dt1");
            ASSERT_TRUE(h.Open() && h.Write(hd.data(), hd.size()) && h.Finish());
            ASSERT_TRUE(d.Open() && d.Write(dt1.data(), dt1.size()) && d.Finish());
            ASSERT_TRUE(group.Commit());
        }
        // The values given say 20 traces: what a read with them gives tells that they served.
        ORQ::STamsel given = *read.GetTamsel();
        given.m_traces = 20;
        std::vector<SFiducialMark> marks;
        ETraceFileFault fault = ETraceFileFault::None;
        const int traces = CFiducialImporter::ReadMarks(base + ".hd", marks, &given, "", &fault,
                                                        &read.FileState());
        ASSERT_EQ(written ? 101 : 20, traces);
        ASSERT_EQ(written ? 2u : 1u, marks.size());
        EXPECT_EQ(written ? "NEW" : "OLD", marks[0].comment);
    }
}
