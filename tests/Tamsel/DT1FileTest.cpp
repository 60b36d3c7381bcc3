#include "Tamsel/DT1File.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/FolderListing.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using kvdtest::CaptureSink;
using kvdtest::SRadarLine;
using kvdtest::TempDir;
using kvdtest::WriteFile;

namespace {

SRadarLine SmallLine() {
    SRadarLine line;
    line.traces = 20;
    line.samples = 50;
    return line;
}

// Sets a trace header's comment flag, skip bit and comment in a trace file image.
void MarkTrace(std::string &bytes, const SRadarLine &line, int trace, float flag, bool skip,
               const std::string &comment) {
    const size_t at = size_t(trace) * (line.samples + 64) * 2;
    std::memcpy(&bytes[at + 96], &flag, 4);
    bytes[at + 88] = static_cast<char>(skip ? 4 : 0);
    std::memset(&bytes[at + 100], 0, 28);
    std::memcpy(&bytes[at + 100], comment.data(), std::min<size_t>(comment.size(), 28));
}

} // namespace

TEST(TraceFileSize, ExactLoadsShorterFailsLongerLoadsWithANote) {
    TempDir dir;
    CaptureSink sink;
    const SRadarLine line = SmallLine();
    const std::string bytes = kvdtest::RadarTraceBytes(line);
    ASSERT_EQ(bytes.size(), size_t(20 * (50 + 64) * 2));
    WriteFile(dir.File("exact.dt1"), bytes);
    WriteFile(dir.File("short.dt1"), bytes.substr(0, bytes.size() - 1));
    WriteFile(dir.File("long.dt1"), bytes + bytes.substr(0, (50 + 64) * 2));

    CDT1File f;
    EXPECT_EQ(f.Load(dir.File("exact.dt1").c_str(), 20, 50), 0);
    EXPECT_EQ(f.GetLastMessage(), "");
    EXPECT_TRUE(sink.Messages().empty());
    EXPECT_EQ(f.TrcCnt(), 20u);
    EXPECT_EQ(f.SmpCnt(), 50u);
    EXPECT_EQ(f.GetFileName(), dir.File("exact.dt1"));

    EXPECT_EQ(f.Load(dir.File("short.dt1").c_str(), 20, 50), -1);
    EXPECT_FALSE(f.GetRawDataCdpPtr()->Holds()) << "no partial data";
    EXPECT_EQ(f.TrcCnt(), 0u);
    EXPECT_EQ(f.GetFileName(), "");
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_NE(sink.Messages()[0].text.find("shorter"), std::string::npos);

    sink.Clear();
    EXPECT_EQ(f.Load(dir.File("long.dt1").c_str(), 20, 50), 0);
    const std::string note = "Number of data points in .DT1 file exceeds \"Traces x Points per "
                             "Trace\" defined in .HD file.\nOnly 20 traces will be loaded\nNote: "
                             "File maybe corrupted.";
    EXPECT_EQ(f.GetLastMessage(), note);
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, note);
    EXPECT_EQ(f.TrcCnt(), 20u);

    // A later load of a fitting file leaves the note as it was.
    EXPECT_EQ(f.Load(dir.File("exact.dt1").c_str(), 20, 50), 0);
    EXPECT_EQ(f.GetLastMessage(), note);
}

TEST(TraceFileSize, BadCountsAndUnreadableFilesGiveMinusTwoAndAMessage) {
    TempDir dir;
    CaptureSink sink;
    WriteFile(dir.File("a.dt1"), kvdtest::RadarTraceBytes(SmallLine()));
    WriteFile(dir.File("empty.dt1"), "");
    CDT1File f;
    ASSERT_EQ(f.Load(dir.File("a.dt1").c_str(), 20, 50), 0);
    EXPECT_EQ(f.Load(dir.File("a.dt1").c_str(), 0, 50), -2);
    EXPECT_EQ(f.TrcCnt(), 20u) << "refused counts change nothing";
    EXPECT_EQ(f.Load(dir.File("a.dt1").c_str(), 20, -1), -2);
    EXPECT_EQ(f.Load(dir.File("a.dt1").c_str(), 2000000000L, 2000000000L), -2);
    EXPECT_EQ(f.Load(dir.File("a.dt1").c_str(), 100000, 100000), -2); // 20 GB
    EXPECT_EQ(f.Load(dir.File("missing.dt1").c_str(), 20, 50), -2);
    EXPECT_EQ(f.Load(dir.File("empty.dt1").c_str(), 20, 50), -2);
    EXPECT_EQ(f.Load(dir.Path().c_str(), 20, 50), -2);
    EXPECT_EQ(f.Load(nullptr, 20, 50), -2);
    EXPECT_EQ(f.TrcCnt(), 0u);
    EXPECT_EQ(f.GetFiducialCount(), 0);
    EXPECT_EQ(sink.Messages().size(), 8u) << sink.AllTexts();
    for (const auto &m : sink.Messages())
        EXPECT_FALSE(m.text.empty());
    // The count refusals name the trace file as the trace file, not as its header.
    for (int i : {0, 1, 2, 3}) {
        const std::string &text = sink.Messages()[size_t(i)].text;
        EXPECT_EQ(text.find("The trace file " + dir.File("a.dt1") + " was not loaded: its header "),
                  0u)
            << text;
    }
    EXPECT_EQ(f.Save(dir.File("x.dt1").c_str(), true), -1);
    EXPECT_FALSE(kvdtest::FileExists(dir.File("x.dt1")));
}

TEST(TraceFileFiducials, CommentsAndSkipTracesFromTheTraceHeaders) {
    TempDir dir;
    SRadarLine line = SmallLine();
    line.fiducials = {{2, "Fence"}, {5, "Road centre line 28 chars!!!"}};
    std::string bytes = kvdtest::RadarTraceBytes(line);
    MarkTrace(bytes, line, 7, 1.7f, false, "flag 1.7");
    MarkTrace(bytes, line, 8, 0.0f, false, "no flag");
    MarkTrace(bytes, line, 9, 1.0f, true, "skip");
    MarkTrace(bytes, line, 10, 1.0f, true, "SKIP here");
    MarkTrace(bytes, line, 11, 1.0f, false, "Skipped");
    MarkTrace(bytes, line, 12, 0.0f, true, "");
    MarkTrace(bytes, line, 13, 2.0f, false, "flag 2");
    MarkTrace(bytes, line, 14, 1.0f, false, "SKIP");
    WriteFile(dir.File("f.dt1"), bytes);

    CDT1File f;
    ASSERT_EQ(f.Load(dir.File("f.dt1").c_str(), line.traces, line.samples), 0);
    ASSERT_EQ(f.GetFiducialCount(), 5);
    EXPECT_EQ(f.GetFiducial(0).m_text, "Fence");
    EXPECT_EQ(f.GetFiducial(0).m_trace, 2);
    EXPECT_EQ(f.GetFiducial(1).m_text, "Road centre line 28 chars!!!");
    EXPECT_EQ(f.GetFiducial(2).m_trace, 7);
    EXPECT_EQ(f.GetFiducial(3).m_text, "SKIP here");
    EXPECT_EQ(f.GetFiducial(3).m_trace, 10);
    EXPECT_EQ(f.GetFiducial(4).m_text, "SKIP") << "without the skip bit it is a comment";
    EXPECT_EQ(f.GetFiducial(5).m_trace, -1);
    EXPECT_EQ(f.GetFiducial(5).m_text, "");
    EXPECT_EQ(f.GetFiducial(-1).m_trace, -1);
    ASSERT_EQ(f.GetSkipTraceCount(), 3);
    EXPECT_EQ(f.GetSkipTraceIndex(0), 9);
    EXPECT_EQ(f.GetSkipTraceIndex(1), 10);
    EXPECT_EQ(f.GetSkipTraceIndex(2), 12);
    EXPECT_EQ(f.GetSkipTraceIndex(3), -1);
    EXPECT_EQ(f.GetSkipTraceIndex(-1), -1);
}

TEST(TraceFileFiducials, GeneratorSkipTracesAndGarbageHeaders) {
    TempDir dir;
    SRadarLine line = SmallLine();
    line.skipTraces = {3, 4};
    line.fiducials = {{0, "Start"}};
    std::string bytes = kvdtest::RadarTraceBytes(line);
    // Trace 6: a NaN comment flag and a comment without its NUL must not upset the reader.
    const size_t at = 6 * (line.samples + 64) * 2;
    std::memset(&bytes[at + 96], 0xff, 32);
    WriteFile(dir.File("g.dt1"), bytes);
    CDT1File f;
    ASSERT_EQ(f.Load(dir.File("g.dt1").c_str(), line.traces, line.samples), 0);
    EXPECT_EQ(f.GetFiducialCount(), 1);
    EXPECT_EQ(f.GetSkipTraceCount(), 2);
}

TEST(TraceFileAccess, RawSamplesHeadersAndViews) {
    TempDir dir;
    SRadarLine line = SmallLine();
    line.gpsType = 3;
    const std::string bytes = kvdtest::RadarTraceBytes(line);
    WriteFile(dir.File("v.dt1"), bytes);
    CDT1File f;
    ASSERT_EQ(f.Load(dir.File("v.dt1").c_str(), line.traces, line.samples), 0);

    const size_t traceBytes = (line.samples + 64) * 2;
    short value = 0;
    int16_t expected = 0;
    ASSERT_TRUE(f.GetRawData(value, 3L, -64L));
    std::memcpy(&expected, &bytes[3 * traceBytes], 2);
    EXPECT_EQ(value, expected);
    ASSERT_TRUE(f.GetRawData(value, 3L, 49L));
    std::memcpy(&expected, &bytes[3 * traceBytes + 128 + 49 * 2], 2);
    EXPECT_EQ(value, expected);
    ASSERT_TRUE(f.GetRawData(value, 2.6, 48.5));
    std::memcpy(&expected, &bytes[3 * traceBytes + 128 + 49 * 2], 2);
    EXPECT_EQ(value, expected);
    EXPECT_FALSE(f.GetRawData(value, -1L, 0L));
    EXPECT_FALSE(f.GetRawData(value, 20L, 0L));
    EXPECT_FALSE(f.GetRawData(value, 0L, 50L));
    EXPECT_FALSE(f.GetRawData(value, 0L, -65L));
    EXPECT_FALSE(f.GetRawData(value, 1e300, 0.0));

    const DT1TraceHeader *h = f.GetTraceHdrPtr(5L);
    ASSERT_NE(h, nullptr);
    EXPECT_DOUBLE_EQ(h->m_x, line.x0 + 5 * line.dx);
    EXPECT_DOUBLE_EQ(h->m_y, line.y0 + 5 * line.dy);
    EXPECT_DOUBLE_EQ(h->m_z, line.z0 + 5 * line.dz);
    EXPECT_EQ(f.GetTraceHdrPtr(4.5), h);
    EXPECT_EQ(f.GetTraceHdrPtr(5), h);
    EXPECT_TRUE(f.GetRawData(value, 5, -64));
    EXPECT_EQ(f.GetTraceHdrPtr(20L), nullptr);
    EXPECT_EQ(f.GetTraceHdrPtr(-1L), nullptr);

    ClvrDataPtr headers, samples;
    ASSERT_TRUE(f.GetDataCdp(headers, IDT1File::TraceHeaders));
    EXPECT_EQ(headers.At(8, 5, 0), reinterpret_cast<const char *>(h) + 32);
    ASSERT_TRUE(f.GetDataCdp(samples, IDT1File::TraceSamples));
    EXPECT_EQ(samples.Axes().m_axis[0].m_last, 49);
    EXPECT_FALSE(f.GetDataCdp(samples, static_cast<IDT1File::ECdpType>(3)));

    // A copy shares the block and keeps it alive.
    CDT1File copy = f;
    EXPECT_EQ(copy.GetRawDataCdpPtr()->Origin(), f.GetRawDataCdpPtr()->Origin());
    f = CDT1File();
    EXPECT_EQ(copy.TrcCnt(), 20u);
    EXPECT_TRUE(copy.GetRawData(value, 19L, 49L));
}

TEST(TraceFileAccess, WindowsNamesAndOddSampleCounts) {
    TempDir dir;
    SRadarLine line = SmallLine();
    line.samples = 51; // traces start at offsets that are not multiples of 8
    line.gpsType = 3;
    line.dt1Extension = ".DT1";
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("LINE01"), line));
    CDT1File f;
    ASSERT_EQ(f.Load((dir.Path() + "\\line01.dt1").c_str(), line.traces, line.samples), 0);
    EXPECT_EQ(f.GetFileName(), dir.File("LINE01.DT1"));
    const DT1TraceHeader *h = f.GetTraceHdrPtr(1L);
    ASSERT_NE(h, nullptr);
    EXPECT_DOUBLE_EQ(h->m_y, line.y0 + line.dy);
}

// A reader of many lines measures each trace file through its folder's listing: the count is
// the one a stat gives, also for a line whose replacement by a larger file was stopped after its
// record, when the record was written after the folder was read.
TEST(TraceFileAccess, CapacityThroughAFolderListingIsTheFilesAfterItsPendingReplacement) {
    TempDir dir;
    SRadarLine line = SmallLine();
    const std::string dt1 = dir.File("LINE01.dt1");
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("LINE01"), line));
    ORQ::CFolderListing listing(dir.Path());
    EXPECT_EQ(CDT1File::TraceCapacity(dt1, line.samples, listing), line.traces);
    EXPECT_EQ(CDT1File::TraceCapacity(dt1.c_str(), line.samples), line.traces);

    SRadarLine longer = line;
    longer.traces = 35;
    const std::string bytes = kvdtest::RadarTraceBytes(longer);
    ORQ::CFileGroupReplacement::SetStopAfter(ORQ::CFileGroupReplacement::STEP_RECORD);
    ORQ::CFileGroupReplacement group(ORQ::kLineFileExtensions);
    ORQ::CFileReplacement &d = group.Add(dt1);
    EXPECT_TRUE(d.Open() && d.Write(bytes.data(), bytes.size()) && d.Finish());
    EXPECT_FALSE(group.Commit());
    ORQ::CFileGroupReplacement::SetStopAfter(ORQ::CFileGroupReplacement::STEP_NONE);

    EXPECT_EQ(CDT1File::TraceCapacity(dt1, line.samples, listing), 35)
        << "the replacement is finished before the file is measured";
    EXPECT_FALSE(kvdtest::FileExists(ORQ::ReplacementRecordPath(dt1)));
}
