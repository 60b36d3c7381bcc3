#include "KVD_Edit/GPSINFO/GpsFileRecovery.h"

#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/TraceHeaderFields.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cfloat>
#include <cstring>
#include <functional>
#include <set>

namespace TH = TraceHeaderField;

namespace {

struct Recovery : ::testing::Test {
    kvdtest::TempDir dir;
    kvdtest::CaptureSink sink;
    kvdtest::SRadarLine line;
    std::string base;

    void SetUp() override {
        line.traces = 6;
        line.samples = 8;
        line.step = 0.5;
        line.synthetic = false;
        line.gpsType = 3;
        base = dir.File("LINE1");
    }
    // Writes the line, then lets edit change the header of trace t (0-based) in place.
    void Make(const std::function<void(int t, char *header)> &edit = nullptr) {
        ASSERT_TRUE(kvdtest::WriteRadarLine(base, line));
        if (!edit)
            return;
        std::string bytes = kvdtest::ReadFile(base + ".dt1");
        const size_t record = 128 + 2 * size_t(line.samples);
        for (int t = 0; t < line.traces; ++t)
            edit(t, &bytes[t * record]);
        kvdtest::WriteFile(base + ".dt1", bytes);
    }
    int Recover(int kind, ORQ::EUnitType unit = ORQ::UNIT_M) {
        return WriteGpsFileFromTraces(base + ".hd", line.traces, line.samples, 0.5, kind, unit);
    }
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        if (DIR *d = opendir(dir.Path().c_str())) {
            while (dirent *e = readdir(d))
                names.insert(e->d_name);
            closedir(d);
        }
        return names;
    }
};

// Each line of a recovered file and its count; every line must end with exactly one CR LF.
std::vector<std::string> CrLfLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text after the last CR LF: " << text.substr(at);
            break;
        }
        const std::string one = text.substr(at, end - at);
        EXPECT_EQ(one.find('\r'), std::string::npos) << "a stray CR in: " << one;
        EXPECT_EQ(one.find('\n'), std::string::npos) << "a stray LF in: " << one;
        lines.push_back(one);
        at = end + 2;
    }
    return lines;
}

} // namespace

TEST_F(Recovery, GpsFileOfTheTraceHeaderFixesReadsBack) {
    // Trace 3 was interpolated by a merge; trace 5 carries no elevation.
    Make([](int t, char *h) {
        if (t == 2)
            TH::Put<int32_t>(h, TH::kFlags, TH::Get<int32_t>(h, TH::kFlags) | TH::kInterpolated);
        if (t == 4)
            TH::Put<double>(h, TH::kElevation, DBL_MAX);
    });
    ASSERT_EQ(Recover(DFK_GPS), RECOVERY_WRITTEN) << sink.AllTexts();
    const std::string text = kvdtest::ReadFile(base + ".GPS");
    const auto lines = CrLfLines(text);
    ASSERT_EQ(lines.size(), 10u) << text; // 5 traces, the interpolated one left out
    EXPECT_EQ(lines[0], "Trace #1 at position 0.000000");
    // 43.6532 N, 79.3832 W at 76 m in degrees and minutes, 14 commas, no checksum.
    const std::string tail = ",W,7,0,0,76.00,M,0,M,0,0";
    EXPECT_EQ(lines[1].rfind("$GPGGA,000000.000,4339.19", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find(",N,7922.99"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - tail.size()), tail) << lines[1];
    EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), ','), 14);
    EXPECT_EQ(lines[4], "Trace #4 at position 1.500000");
    EXPECT_NE(lines[7].find(",0,0,0.00,M,"), std::string::npos) << "no elevation: " << lines[7];

    // The reader takes one fix per written trace, at the trace headers' positions.
    SLocalWorldDef def;
    CGPSInfo gps;
    gps.SetLWCDefinition(&def);
    ORQ::CStr errors;
    EXPECT_EQ(CGPSDataSample().LoadGpsFile(&gps, (base + ".GPS").c_str(), 0, 0, line.traces, errors,
                                           false),
              5)
        << errors;
    EXPECT_EQ(gps.GetPoint(0, 0, 3)->source[CGPSInfo::SOURCE_RAW].kind, CGPSInfo::KIND_EMPTY);
    EXPECT_EQ(gps.GetPoint(0, 0, 4)->source[CGPSInfo::SOURCE_RAW].kind, CGPSInfo::KIND_FILLED);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

TEST_F(Recovery, TopographyFileInMetresFromTheMergedTopographyValue) {
    // A line in feet: the topography value at byte 12 is in feet, the elevation double is not
    // what a topography merge wrote.
    line.unit = "ft";
    Make([](int t, char *h) {
        TH::Put<float>(h, TH::kTopography, float(10 * (t + 1)));
        TH::Put<double>(h, TH::kElevation, 999.0);
        if (t == 1)
            TH::Put<int32_t>(h, TH::kFlags, TH::kInterpolated);
    });
    ASSERT_EQ(Recover(DFK_TOPO, ORQ::UNIT_FT), RECOVERY_WRITTEN) << sink.AllTexts();
    const auto lines = CrLfLines(kvdtest::ReadFile(base + ".CTP"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "1,3.05");
    EXPECT_EQ(lines[1], "3,9.14");
    EXPECT_EQ(lines[4], "6,18.29");
}

TEST_F(Recovery, AnExistingFileInAnyLetterCaseIsNeverReplaced) {
    Make();
    kvdtest::WriteFile(base + ".gps", "kept\r\n");
    EXPECT_EQ(Recover(DFK_GPS), RECOVERY_NOT_CREATED);
    EXPECT_EQ(kvdtest::ReadFile(base + ".gps"), "kept\r\n");
    EXPECT_FALSE(kvdtest::FileExists(base + ".GPS"));
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "Unable to Create File " + base + ".gps");
}

TEST_F(Recovery, FailuresAreShownAndLeaveNoFile) {
    // No trace file at all, and one shorter than its header says.
    EXPECT_EQ(Recover(DFK_GPS), RECOVERY_TRACES_UNREADABLE);
    Make();
    kvdtest::WriteFile(base + ".dt1", kvdtest::ReadFile(base + ".dt1").substr(10));
    EXPECT_EQ(Recover(DFK_TOPO), RECOVERY_TRACES_UNREADABLE);
    ASSERT_EQ(sink.Messages().size(), 2u);
    EXPECT_EQ(sink.Messages()[1].text, "Unable to load data " + base + ".dt1");
    EXPECT_FALSE(kvdtest::FileExists(base + ".CTP"));

    // A write that runs out of room part-way: the partial file goes again.
    line.traces = 200;
    Make();
    const auto before = Listing();
    {
        kvdtest::ScopedFileSizeLimit limit(1000);
        EXPECT_EQ(Recover(DFK_GPS), RECOVERY_NOT_CREATED);
    }
    EXPECT_EQ(Listing(), before);
    EXPECT_EQ(sink.Messages().back().text, "Unable to Create File " + base + ".GPS");
}
