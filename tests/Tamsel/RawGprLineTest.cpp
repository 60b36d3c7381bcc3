#include "Tamsel/RawGprLine.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using kvdtest::CaptureSink;
using kvdtest::SRadarLine;
using kvdtest::TempDir;

namespace {

SRadarLine Line250x512() {
    SRadarLine line;
    line.traces = 250;
    line.samples = 512;
    line.step = 0.5;
    line.unit = "ft";
    line.frequency = 500;
    line.timeZero = 12;
    line.gpsType = 2;
    line.utmZone = "18T";
    return line;
}

} // namespace

TEST(RawGprLine, EmptyLineAnswersEveryQueryAsNotLoaded) {
    CRawGprLine line;
    Clvr3DDataAxis axes;
    ClvrDataPtr out;
    GPSPos pos;
    EXPECT_EQ(line.TamselPtr(), nullptr);
    EXPECT_FALSE(line.GetAvailableRange(&axes, -1));
    EXPECT_EQ(line.GetDataCdp(out, nullptr, nullptr), -1);
    EXPECT_TRUE(line.SourceChanged(nullptr));
    EXPECT_EQ(line.EdgeEffect(true), 0u);
    EXPECT_FALSE(line.GetGPSInformation(pos, 0L));
    EXPECT_EQ(line.GetFilename(), "");
}

TEST(RawGprLine, LoadsHeaderAndTracesAndOffersTheirRanges) {
    TempDir dir;
    CaptureSink sink;
    const SRadarLine shape = Line250x512();
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("LINE01"), shape));
    CRawGprLine line;
    ASSERT_EQ(line.LoadData(dir.File("LINE01")), 0) << sink.AllTexts();
    EXPECT_TRUE(sink.Messages().empty());
    EXPECT_FALSE(line.SourceChanged(nullptr));
    EXPECT_EQ(line.GetFilename(), dir.File("LINE01"));
    EXPECT_FALSE(kvdtest::FileExists(dir.File("LINE01.ini"))) << "no probe file is left";

    const ICdpDataSource::STamsel *summary = line.TamselPtr();
    ASSERT_NE(summary, nullptr);
    EXPECT_DOUBLE_EQ(summary->m_stepSize, 0.5 * 0.3048);
    EXPECT_EQ(summary->m_timeZero, 12);
    EXPECT_EQ(summary->m_frequency, 500);

    Clvr3DDataAxis axes;
    ASSERT_TRUE(line.GetAvailableRange(&axes, -1));
    EXPECT_EQ(axes.m_axis[0].m_first, -64);
    EXPECT_EQ(axes.m_axis[0].m_last, 511);
    EXPECT_EQ(axes.m_axis[0].m_step, 2);
    EXPECT_EQ(axes.m_axis[1].m_first, 0);
    EXPECT_EQ(axes.m_axis[1].m_last, 249);
    EXPECT_EQ(axes.m_axis[1].m_step, 1152);
    EXPECT_EQ(axes.m_axis[2].m_last, 0);
    Clvr3DDataAxis one;
    ASSERT_TRUE(line.GetAvailableRange(&one, 1));
    EXPECT_EQ(one.m_axis[1].m_last, 249);
    EXPECT_EQ(one.m_axis[0].m_last, 0);
    EXPECT_FALSE(line.GetAvailableRange(&one, 3));
    EXPECT_FALSE(line.GetAvailableRange(nullptr, 0));

    GPSPos pos;
    ASSERT_TRUE(line.GetGPSInformation(pos, 10L));
    EXPECT_DOUBLE_EQ(pos.m_x, shape.x0 + 10 * shape.dx);
    EXPECT_DOUBLE_EQ(pos.m_z, shape.z0 + 10 * shape.dz);
    EXPECT_EQ(pos.m_gpsType, GPS_UTM);
    EXPECT_EQ(pos.m_zone, "18T");
    ASSERT_TRUE(line.GetGPSInformation(pos, 9.5));
    EXPECT_DOUBLE_EQ(pos.m_y, shape.y0 + 10 * shape.dy);
    EXPECT_FALSE(line.GetGPSInformation(pos, 250L));
}

TEST(RawGprLine, CutsSampleBlocksToTheRequest) {
    TempDir dir;
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("l"), Line250x512()));
    CRawGprLine line;
    ASSERT_EQ(line.LoadData(dir.File("l")), 0);
    ClvrDataPtr out;
    ASSERT_EQ(line.GetDataCdp(out, nullptr, nullptr), 0);
    EXPECT_EQ(out.Axes().m_axis[0].m_first, 0);
    EXPECT_EQ(out.Axes().m_axis[0].m_last, 511);

    Clvr3DDataAxis request;
    request.m_axis[0] = {2, 100, 199};
    request.m_axis[1] = {1152, 10, 19};
    request.m_axis[2] = {0, 0, 0};
    ASSERT_EQ(line.GetDataCdp(out, &request, nullptr), 0);
    EXPECT_EQ(out.Axes().m_axis[1].m_first, 10);
    EXPECT_EQ(out.Axes().m_axis[1].m_last, 19);
    short direct = 0;
    ASSERT_TRUE(line.GetDT1File()->GetRawData(direct, 12L, 150L));
    short viewed = 0;
    std::memcpy(&viewed, out.At(150, 12, 0), 2);
    EXPECT_EQ(viewed, direct);

    // Past the last trace: clipped to what exists, reported with bit value 2.
    request.m_axis[1] = {1152, 240, 300};
    ASSERT_EQ(line.GetDataCdp(out, &request, nullptr), 3);
    EXPECT_EQ(out.Axes().m_axis[1].m_first, 240);
    EXPECT_EQ(out.Axes().m_axis[1].m_last, 249);
    request.m_axis[0] = {2, -10, 600};
    request.m_axis[1] = {1152, -5, 300};
    ASSERT_EQ(line.GetDataCdp(out, &request, nullptr), 2);
    EXPECT_EQ(out.Axes().m_axis[1].m_first, 0);
    EXPECT_EQ(out.Axes().m_axis[1].m_last, 249);
    EXPECT_EQ(out.Axes().m_axis[0].m_last, 511);
    request.m_axis[1] = {1152, 400, 500};
    EXPECT_EQ(line.GetDataCdp(out, &request, nullptr), -1);
}

TEST(RawGprLine, FailuresGiveTheirCodesAndAMessage) {
    TempDir dir;
    CaptureSink sink;
    CRawGprLine line;
    EXPECT_EQ(line.LoadData(dir.File("missing")), -2);
    EXPECT_EQ(line.LoadData("nofolder"), -2);

    // A header that loads but no folder in the base path.
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    kvdtest::WriteFile("rel.hd", "1\r\n1/2/3\r\nNUMBER OF TRACES = 0\r\n");
    EXPECT_EQ(line.LoadData("rel"), -4);
    std::filesystem::current_path(cwd);

    // Header with no traces: the trace file refuses the counts.
    kvdtest::WriteFile(dir.File("zero.hd"), "1\r\n1/2/3\r\nNUMBER OF TRACES = 0\r\n");
    kvdtest::WriteFile(dir.File("zero.dt1"), "");
    EXPECT_EQ(line.LoadData(dir.File("zero")), -1);

    // A trace file one byte short.
    SRadarLine shape;
    shape.traces = 10;
    shape.samples = 20;
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("short"), shape));
    std::filesystem::resize_file(dir.File("short.dt1"), 10 * 84 * 2 - 1);
    EXPECT_EQ(line.LoadData(dir.File("short")), -3);
    EXPECT_EQ(line.TamselPtr(), nullptr);

    if (::geteuid() != 0) {
        std::filesystem::create_directory(dir.File("ro"));
        ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("ro/a"), shape));
        kvdtest::WriteFile(dir.File("ro/a.ini"), "[x]\n");
        ::chmod(dir.File("ro/a.ini").c_str(), 0444);
        ::chmod(dir.File("ro").c_str(), 0555);
        EXPECT_EQ(line.LoadData(dir.File("ro/a")), -5);
        ::chmod(dir.File("ro").c_str(), 0755);
    }
    EXPECT_GE(sink.Messages().size(), 5u);
    for (const auto &m : sink.Messages())
        EXPECT_FALSE(m.text.empty());
}

TEST(RawGprLine, KeepsAnExistingIniAndReadsWindowsStylePaths) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("Data"));
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("Data/LINE02"), Line250x512()));
    kvdtest::WriteFile(dir.File("Data/LINE02.ini"), "[Settings]\nKept=1\n");
    CRawGprLine line;
    ASSERT_EQ(line.LoadData(dir.Path() + "\\data\\line02"), 0);
    EXPECT_EQ(kvdtest::ReadFile(dir.File("Data/LINE02.ini")), "[Settings]\nKept=1\n");
    EXPECT_EQ(line.GetDT1File()->TrcCnt(), 250u);
}
