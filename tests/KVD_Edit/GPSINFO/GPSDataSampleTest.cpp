#include "KVD_Edit/GPSINFO/GPSDataSample.h"

#include "KVD_Edit/GPSINFO/Array3D.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/TraceHeaderFields.h"
#include "Tamsel/Tamsel.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <dirent.h>

namespace TH = TraceHeaderField;

namespace {

// "$GPGGA" sentence of a position in degrees and minutes (14 commas).
std::string Gga(const std::string &lat, char ns, const std::string &lon, char ew, double alt) {
    ORQ::CStr s;
    s.Format("$GPGGA,120000.00,%s,%c,%s,%c,1,08,0.9,%.1f,M,-34.0,M,,0000*47", lat.c_str(), ns,
             lon.c_str(), ew, alt);
    return s;
}

struct GpsFixture : ::testing::Test {
    kvdtest::TempDir dir;
    SLocalWorldDef def;
    CGPSInfo gps;
    CGPSDataSample reader;
    ORQ::CStr errors;

    void SetUp() override { gps.SetLWCDefinition(&def); }

    std::string Write(const std::string &name, const std::string &text) {
        kvdtest::WriteFile(dir.File(name), text);
        return dir.File(name);
    }
    const CGPSInfo::SPointSource &Src(int trace, int source) {
        return gps.GetPoint(0, 0, trace)->source[source];
    }
};

// Fixes at traces 1 and 11 of a 15-trace line: 43.5 N 80.25 W at 250 m, 43.5009 N at 252 m.
const char *kTwoFixes =
    "Trace #1 at position 0.000000\r\n"
    "$GPGGA,120000.00,4330.0000,N,08015.0000,W,1,08,0.9,250.0,M,-34.0,M,,0000*47\r\n"
    "Trace #11 at position 0.500000\r\n"
    "$GPGGA,120010.00,4330.0540,N,08015.0000,W,1,08,0.9,252.0,M,-34.0,M,,0000*47\r\n";

} // namespace

TEST_F(GpsFixture, GpsFileFillsEveryTraceBetweenBeforeAndAfterTheFixes) {
    // Written on Windows: CR LF line ends and an upper-case extension, opened by another case.
    Write("LINE01.GPS", kTwoFixes);
    reader.AddLine(&gps, 0, 0, 0, 0.05, 15, "LINE01.DT1");
    EXPECT_EQ(reader.LoadGpsFile(&gps, dir.File("line01.gps").c_str(), 0, 0, 15, errors, false), 2);
    EXPECT_EQ(errors, "");
    EXPECT_TRUE(gps.HasGPSData());
    EXPECT_TRUE(gps.GetUpdateState());
    EXPECT_EQ(gps.FindLine(0, 0, -1)->lastGpsTrace, 11);

    const auto &t1 = Src(1, CGPSInfo::SOURCE_RAW);
    EXPECT_EQ(t1.zone, 17);
    EXPECT_EQ(t1.letter, 'T');
    EXPECT_NEAR(t1.easting, 560633.340, 0.001);
    EXPECT_NEAR(t1.northing, 4816614.559, 0.001);
    EXPECT_EQ(t1.kind, CGPSInfo::KIND_FILLED);
    EXPECT_EQ(def.ZoneA, 17); // the first fix chose the project's zone
    EXPECT_EQ(def.Zone, 17);

    // Only traces 1 and 11 carry raw fixes; every trace has a trace-layer position.
    for (int t = 1; t <= 15; ++t) {
        EXPECT_EQ(Src(t, CGPSInfo::SOURCE_RAW).kind, (t == 1 || t == 11) ? 2 : 0) << t;
        EXPECT_EQ(Src(t, CGPSInfo::SOURCE_TRACE).kind, 2) << t;
        EXPECT_EQ(gps.GetPoint(0, 0, t)->trace, t);
    }
    const auto &t6 = Src(6, CGPSInfo::SOURCE_TRACE);
    const auto &t11 = Src(11, CGPSInfo::SOURCE_TRACE);
    EXPECT_NEAR(t6.gpsElevation, 251.0, 1e-9);
    EXPECT_NEAR(t6.northing, (t1.northing + t11.northing) / 2, 1e-6);
    EXPECT_NEAR(t6.easting, (t1.easting + t11.easting) / 2, 1e-6);
    for (int t = 12; t <= 15; ++t) {
        EXPECT_EQ(Src(t, 1).easting, t11.easting);
        EXPECT_EQ(Src(t, 1).northing, t11.northing);
        EXPECT_EQ(Src(t, 1).gpsElevation, 252.0);
    }
    EXPECT_EQ(gps.FindLine(0, 0, -1)->Sentence(1).rfind("$GPGGA,120000.00", 0), 0u);
}

TEST_F(GpsFixture, FirstFixLateDuplicatesAndTraceLayerOption) {
    const std::string path =
        Write("a.gps", "Trace #10\n" + Gga("4330.0000", 'N', "08015.0000", 'W', 250) +
                           "\nTrace #12\n" + Gga("4330.0000", 'N', "08015.0000", 'W', 250) +
                           "\nTrace #14\n" + Gga("4330.0100", 'N', "08015.0000", 'W', 250) + "\n");
    reader.AddLine(&gps, 0, 0, 0, 0.05, 15, "a");
    // The repeat at trace 12 is counted but not stored.
    EXPECT_EQ(reader.LoadGpsFile(&gps, path.c_str(), 0, 0, 15, errors, true), 3);
    EXPECT_FALSE(gps.HasGPSData()); // trace layer only
    EXPECT_EQ(Src(10, CGPSInfo::SOURCE_RAW).kind, 0);
    EXPECT_EQ(Src(12, CGPSInfo::SOURCE_TRACE).kind, 2);
    EXPECT_NE(gps.GetPoint(0, 0, 12), nullptr);
    EXPECT_TRUE(gps.FindLine(0, 0, -1)->Sentence(12).empty());
    for (int t = 1; t < 10; ++t)
        EXPECT_EQ(Src(t, 1).northing, Src(10, 1).northing) << t;
    EXPECT_NEAR(Src(12, 1).northing, (Src(10, 1).northing + Src(14, 1).northing) / 2, 1e-6);
}

TEST_F(GpsFixture, MalformedAndTooFewAreBothReportedAndBadTraceNumbersIgnored) {
    const std::string good = Gga("4330.0000", 'N', "08015.0000", 'W', 250);
    const std::string path =
        Write("bad.gps",
              good + "\n"                        // before any "Trace #": ignored
                  + "Trace #-3\n" + good + "\n"  // no current trace: ignored
                  + "Trace #0\n" + good + "\n"   // the same
                  + "Trace #2\n" + good + ",9\n" // 15 commas
                  + "Trace #3\n" + Gga("9999.0000", 'N', "08015.0000", 'W', 1) + "\n" // no position
                  + "Trace #4\n" + good +
                  "\n"
                  // beyond the int range: past the line's end, not wrapped round to trace 1
                  + "Trace #4294967297\n" + good + "\n");
    reader.AddLine(&gps, 0, 0, 0, 0.05, 6, "bad");
    EXPECT_EQ(reader.LoadGpsFile(&gps, path.c_str(), 0, 0, 6, errors, false), 1);
    EXPECT_EQ(errors, "The following errors occurred when attempting to load GPS data\n"
                      "(erroneous data ignored):\n"
                      "\nMalformed GPS data for Trace 2 in " +
                          path + "." + "\nMalformed GPS data for Trace 3 in " + path + "." +
                          "\nToo few defined GPS points were found in the file " + path);
    EXPECT_EQ(Src(3, CGPSInfo::SOURCE_RAW).kind, 0); // not stored as zone 0
    EXPECT_EQ(Src(4, CGPSInfo::SOURCE_RAW).zone, 17);
    EXPECT_EQ(Src(1, CGPSInfo::SOURCE_RAW).kind, 0);
    EXPECT_EQ(Src(1, CGPSInfo::SOURCE_TRACE).zone, 17);

    ORQ::CStr missing;
    EXPECT_EQ(reader.LoadGpsFile(&gps, dir.File("none.gps").c_str(), 0, 0, 6, missing, false), -1);
    EXPECT_EQ(missing, "Unable to open File " + dir.File("none.gps"));
}

TEST_F(GpsFixture, FixesOfAnotherZoneAreStoredInTheProjectsZone) {
    // 78.5 W lies in zone 17 too, 77.9 W in zone 18: stored in zone 17 all the same.
    const std::string path =
        Write("z.gps", "Trace #1\n" + Gga("4330.0000", 'N', "07830.0000", 'W', 1) + "\nTrace #2\n" +
                           Gga("4330.0000", 'N', "07754.0000", 'W', 1) + "\n");
    reader.AddLine(&gps, 0, 0, 0, 1, 2, "z");
    EXPECT_EQ(reader.LoadGpsFile(&gps, path.c_str(), 0, 0, 2, errors, false), 2);
    EXPECT_EQ(Src(2, CGPSInfo::SOURCE_RAW).zone, 17);
    EXPECT_GT(Src(2, CGPSInfo::SOURCE_RAW).easting, Src(1, CGPSInfo::SOURCE_RAW).easting);
}

TEST_F(GpsFixture, PositionFileInterpolatesAndReportsBadLines) {
    reader.AddLine(&gps, 0, 0, 0, 1, 6, "p");
    const std::string ok = Write("p.ctp", "# Elevations\r\n# of a line\r\n# POSITION, ELEVATION\r\n"
                                          "3,10.0\r\n5,12.0\r\n");
    EXPECT_EQ(reader.LoadTopoFile(&gps, ok.c_str(), 0, 0, 6, false), 0);
    const double expected[] = {10, 10, 10, 11, 12, 12};
    for (int t = 1; t <= 6; ++t) {
        EXPECT_DOUBLE_EQ(Src(t, CGPSInfo::SOURCE_TRACE).topography, expected[t - 1]) << t;
        EXPECT_EQ(Src(t, CGPSInfo::SOURCE_RAW).topography, t == 3   ? 10.0
                                                           : t == 5 ? 12.0
                                                                    : DBL_MAX)
            << t;
    }
    EXPECT_TRUE(gps.HasTopoData());

    // Without a header the first line is data.
    EXPECT_EQ(reader.LoadTopoFile(&gps, Write("n.ctp", "1,5\n6,10\n").c_str(), 0, 0, 6, false), 0);
    EXPECT_DOUBLE_EQ(Src(2, CGPSInfo::SOURCE_TRACE).topography, 6.0);

    EXPECT_EQ(
        reader.LoadTopoFile(&gps, Write("a.ctp", "2,1.0\n4,1.0,2.0\n").c_str(), 0, 0, 6, false),
        -2);
    EXPECT_EQ(Src(2, CGPSInfo::SOURCE_RAW).topography, 1.0); // read before the bad line
    EXPECT_EQ(reader.LoadTopoFile(&gps, Write("b.ctp", "0,1.0\n").c_str(), 0, 0, 6, false), -3);
    EXPECT_EQ(reader.LoadTopoFile(&gps, Write("c.ctp", "4,1\n3,2\n").c_str(), 0, 0, 6, false), -3);
    // A trace number beyond the int range is past the line's end, not trace 1 again.
    EXPECT_EQ(reader.LoadTopoFile(&gps, Write("d.ctp", "2,3.0\n4294967297,9.0\n").c_str(), 0, 0, 6,
                                  false),
              0);
    EXPECT_EQ(Src(1, CGPSInfo::SOURCE_RAW).topography, DBL_MAX);
    EXPECT_EQ(reader.LoadTopoFile(&gps, dir.File("none.ctp").c_str(), 0, 0, 6, false), -1);
}

TEST_F(GpsFixture, LineGpsFromTraceHeadersOrGpsFileIntoTheCallersErrors) {
    kvdtest::SRadarLine line;
    line.traces = 8;
    line.samples = 32;
    line.gpsType = 3;
    line.x0 = -80.25;
    line.y0 = 43.5;
    line.dy = 1e-5;
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("LINE"), line));
    ORQ::Tamsel hd;
    ASSERT_FALSE(hd.Load(dir.File("LINE.hd").c_str(), ORQ::ST_FILE));
    reader.AddLine(&gps, 0, 0, 0, 0.05, 8, "LINE");
    EXPECT_EQ(reader.LoadLineGps(&gps, nullptr, &hd, 0, 0, 8), 0);
    EXPECT_NEAR(Src(1, CGPSInfo::SOURCE_TRACE).easting, 560633.340, 0.001);
    EXPECT_EQ(Src(1, CGPSInfo::SOURCE_TRACE).gpsElevation, line.z0);
    EXPECT_GT(Src(8, CGPSInfo::SOURCE_TRACE).northing, Src(1, CGPSInfo::SOURCE_TRACE).northing);

    // A trace file of the wrong size is reported, not read.
    kvdtest::WriteFile(dir.File("LINE.dt1"), kvdtest::ReadFile(dir.File("LINE.dt1")) + "x");
    ORQ::CStr collected = "\nError: earlier";
    EXPECT_EQ(reader.LoadLineGps(&gps, nullptr, &hd, 0, 0, 8, &collected), -1);
    EXPECT_EQ(collected, "\nError: earlier\nUnable to load data " + dir.File("LINE.dt1"));

    // No positions in the header: the GPS file, whose problems join the collected errors.
    line.gpsType = 0;
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("PLAIN"), line));
    ASSERT_FALSE(hd.Load(dir.File("PLAIN.hd").c_str(), ORQ::ST_FILE));
    const std::string gpsPath =
        Write("PLAIN.GPS", "Trace #2\n" + Gga("4330.0000", 'N', "08015.0000", 'W', 1) + "\n");
    reader.AddLine(&gps, 0, 1, 1, 0.05, 8, "PLAIN");
    collected.clear();
    EXPECT_EQ(reader.LoadLineGps(&gps, gpsPath.c_str(), &hd, 0, 1, 8, &collected), 0);
    EXPECT_EQ(collected, "\nToo few defined GPS points were found in the file " + gpsPath);
    EXPECT_EQ(gps.GetPoint(0, 1, 1)->source[CGPSInfo::SOURCE_TRACE].kind, 2);

    // A line with neither: registered with its trace count, no point stored.
    reader.AddLine(&gps, 0, 2, 2, 0.05, 8, "PLAIN");
    EXPECT_EQ(reader.LoadLineGps(&gps, nullptr, &hd, 0, 2, 8), 0);
    EXPECT_EQ(gps.FindLine(0, 2, -1)->pointCount, 8);
    EXPECT_TRUE(gps.FindLine(0, 2, -1)->points.empty());
    EXPECT_EQ(gps.GetPoint(0, 2, 8)->source[CGPSInfo::SOURCE_TRACE].kind, 0);
}

// Write-back into generated lines.
struct WriteBackFixture : GpsFixture {
    kvdtest::SRadarLine line;
    std::string hdPath, dt1Path;

    void MakeLine(int traces, const std::string &unit = "m") {
        line.traces = traces;
        line.samples = 64;
        line.unit = unit;
        hdPath = dir.File("LINE01.hd");
        dt1Path = dir.File("LINE01.dt1");
        ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("LINE01"), line));
        reader.AddLine(&gps, 0, 0, 0, line.step, traces, "LINE01.dt1");
    }
    // Raw fixes 0.0009 degrees of latitude apart at the given traces.
    void LoadFixes(const std::vector<int> &traces) {
        std::string text;
        for (size_t i = 0; i < traces.size(); ++i) {
            ORQ::CStr lat;
            lat.Format("%.4f", 4330.0 + 0.054 * double(i));
            text += "Trace #" + std::to_string(traces[i]) + "\n" +
                    Gga(lat, 'N', "08015.0000", 'W', 250 + 2.0 * double(i)) + "\n";
        }
        ASSERT_EQ(reader.LoadGpsFile(&gps, Write("fixes.gps", text).c_str(), 0, 0, line.traces,
                                     errors, false),
                  int(traces.size()));
    }
    std::string Header(int trace) { // 1-based
        const std::string bytes = kvdtest::ReadFile(dt1Path);
        return bytes.substr(size_t(trace - 1) * (128 + 2 * size_t(line.samples)), 128);
    }
    template <class T> T Field(int trace, size_t offset) {
        return TH::Get<T>(Header(trace).data(), offset);
    }
    ORQ::STamsel LoadHd() {
        ORQ::Tamsel hd;
        EXPECT_FALSE(hd.Load(hdPath.c_str(), ORQ::ST_FILE));
        return hd.GetTamsel() ? *hd.GetTamsel() : ORQ::STamsel();
    }
    std::vector<std::string> Listing() {
        std::vector<std::string> names;
        if (DIR *d = opendir(dir.Path().c_str())) {
            while (dirent *e = readdir(d))
                names.push_back(e->d_name);
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(WriteBackFixture, MergeInterpolatesBetweenFixesAndMarksOnlyThoseTraces) {
    MakeLine(30);
    LoadFixes({1, 11, 21});
    const std::string before = kvdtest::ReadFile(dt1Path);
    EXPECT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false, false),
        "");

    for (int t = 1; t <= 30; ++t) {
        const bool interpolated = (t >= 2 && t <= 10) || (t >= 12 && t <= 20);
        EXPECT_EQ((Field<int32_t>(t, TH::kFlags) & TH::kInterpolated) != 0, interpolated) << t;
    }
    EXPECT_NEAR(Field<double>(1, TH::kLatitude), 43.5, 1e-9);
    EXPECT_NEAR(Field<double>(1, TH::kLongitude), -80.25, 1e-9);
    EXPECT_NEAR(Field<double>(11, TH::kLatitude), 43.5009, 1e-9);
    EXPECT_NEAR(Field<double>(6, TH::kLatitude), 43.50045, 1e-7);
    EXPECT_NEAR(Field<double>(6, TH::kElevation), 251.0, 1e-9);
    for (int t = 22; t <= 30; ++t) {
        EXPECT_EQ(Field<double>(t, TH::kLatitude), Field<double>(21, TH::kLatitude));
        EXPECT_EQ(Field<double>(t, TH::kElevation), 254.0);
    }
    EXPECT_EQ(Field<float>(5, TH::kTopography), 0.0f); // the other kind's field stays
    EXPECT_EQ(LoadHd().m_gpsType, GPS_LATLONG);
    // Samples are untouched.
    const std::string after = kvdtest::ReadFile(dt1Path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(128, 128), before.substr(128, 128));
}

TEST_F(WriteBackFixture, RemovingGpsAndTopographyClearsOnlyTheirOwnFields) {
    MakeLine(12, "ft");
    LoadFixes({1, 12});
    ASSERT_EQ(
        reader.LoadTopoFile(&gps, Write("t.ctp", "1,10.0\n12,21.0\n").c_str(), 0, 0, 12, false), 0);
    ASSERT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false, false),
        "");
    ASSERT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), false, 0, 0, false, false),
        "");
    // Topography in the header's unit (feet), the GPS elevation in metres.
    EXPECT_NEAR(Field<float>(1, TH::kTopography), 10.0 / 0.3048, 1e-3);
    EXPECT_NEAR(Field<float>(12, TH::kTopography), 21.0 / 0.3048, 1e-3);
    EXPECT_NEAR(Field<float>(2, TH::kTopography), 11.0 / 0.3048, 1e-3);
    EXPECT_EQ(Field<double>(12, TH::kElevation), 252.0);
    ORQ::STamsel hd = LoadHd();
    EXPECT_NEAR(hd.m_elevation.x, 21.0 / 0.3048, 1e-3); // maximum
    EXPECT_NEAR(hd.m_elevation.y, 10.0 / 0.3048, 1e-3);

    // Remove topography: the topography float goes, the GPS elevation double stays.
    ASSERT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), false, 0, 0, true, false),
        "");
    for (int t = 1; t <= 12; ++t) {
        EXPECT_EQ(Field<float>(t, TH::kTopography), 0.0f);
        EXPECT_NE(Field<double>(t, TH::kLatitude), 0.0);
    }
    EXPECT_EQ(Field<double>(12, TH::kElevation), 252.0);
    hd = LoadHd();
    EXPECT_EQ(hd.m_elevation.x, 0.0);
    EXPECT_EQ(hd.m_elevation.y, 0.0);
    EXPECT_EQ(hd.m_gpsType, GPS_LATLONG);

    // Remove GPS: positions and type go.
    ASSERT_EQ(reader.LoadTopoFile(&gps, dir.File("t.ctp").c_str(), 0, 0, 12, false), 0);
    ASSERT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), false, 0, 0, false, false),
        "");
    ASSERT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, true, false),
        "");
    for (int t = 1; t <= 12; ++t) {
        EXPECT_EQ(Field<double>(t, TH::kLongitude), 0.0);
        EXPECT_EQ(Field<double>(t, TH::kLatitude), 0.0);
        EXPECT_NE(Field<float>(t, TH::kTopography), 0.0f);
    }
    EXPECT_EQ(LoadHd().m_gpsType, GPS_NONE);
}

TEST_F(WriteBackFixture, MergeWithoutFixesChangesNeitherFile) {
    MakeLine(10);
    const std::string hd = kvdtest::ReadFile(hdPath), dt1 = kvdtest::ReadFile(dt1Path);
    EXPECT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false, false),
        "");
    EXPECT_EQ(kvdtest::ReadFile(hdPath), hd);
    EXPECT_EQ(kvdtest::ReadFile(dt1Path), dt1);
}

TEST_F(WriteBackFixture, LongLineKeepsCallingTheProgressHookAndIsWrittenWhole) {
    // Longer than one block of the read and of the write, so both go in several parts.
    constexpr int kTraces = 5000;
    MakeLine(kTraces);
    LoadFixes({1, 2500, kTraces});
    const std::string before = kvdtest::ReadFile(dt1Path);
    ASSERT_GT(before.size(), size_t(CArray3D::kProgressBytes));
    int calls = 0;
    EXPECT_EQ(reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false,
                                      false, [&calls] { ++calls; }),
              "");
    EXPECT_GE(calls, kTraces / 256) << "the hook is called at least every 256 traces' worth";

    const std::string after = kvdtest::ReadFile(dt1Path);
    ASSERT_EQ(after.size(), before.size());
    const size_t traceBytes = 128 + 2 * size_t(line.samples);
    EXPECT_EQ(after.substr(after.size() - traceBytes + 128),
              before.substr(before.size() - traceBytes + 128))
        << "the samples of the last trace, in the last block, are as they were";
    // The trace that starts the second block is written like its neighbours.
    const int secondBlock = int(CArray3D::kProgressBytes / traceBytes) + 1;
    EXPECT_NE(Field<int32_t>(secondBlock, TH::kFlags) & TH::kInterpolated, 0);
    EXPECT_GT(Field<double>(secondBlock, TH::kLatitude),
              Field<double>(secondBlock - 1, TH::kLatitude));
    EXPECT_NEAR(Field<double>(kTraces, TH::kLatitude), 43.5018, 1e-9);
}

TEST_F(WriteBackFixture, UnreadableFilesAreRefusedAndNothingIsWritten) {
    MakeLine(10);
    LoadFixes({1, 10});
    kvdtest::WriteFile(dt1Path, kvdtest::ReadFile(dt1Path) + "x");
    const std::string hd = kvdtest::ReadFile(hdPath), dt1 = kvdtest::ReadFile(dt1Path);
    EXPECT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false, false),
        "Unable to load data " + dt1Path);
    kvdtest::WriteFile(dt1Path, dt1.substr(0, dt1.size() - 2)); // one byte short
    EXPECT_EQ(
        reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false, false),
        "Unable to load data " + dt1Path);
    EXPECT_EQ(kvdtest::ReadFile(hdPath), hd);
    EXPECT_EQ(kvdtest::ReadFile(dt1Path), dt1.substr(0, dt1.size() - 2));

    const std::string missing = dir.File("NONE.hd");
    EXPECT_EQ(
        reader.WriteToLineFiles(&gps, missing.c_str(), dt1Path.c_str(), true, 0, 0, false, false),
        "Unable to load data " + missing);
    EXPECT_EQ(kvdtest::ReadFile(dt1Path), dt1.substr(0, dt1.size() - 2));
}

using kvdtest::ScopedFileSizeLimit;

TEST_F(WriteBackFixture, FailedWriteOfEitherFileLeavesBothByteIdentical) {
    MakeLine(30);
    LoadFixes({1, 11, 21});
    const std::string hd = kvdtest::ReadFile(hdPath), dt1 = kvdtest::ReadFile(dt1Path);
    const auto files = Listing();
    ASSERT_GT(dt1.size(), 4096u);
    {
        ScopedFileSizeLimit limit(4096); // the trace file cannot be written
        EXPECT_EQ(reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false,
                                          false),
                  "Error saving to File " + dt1Path + ".\n");
    }
    EXPECT_EQ(kvdtest::ReadFile(hdPath), hd);
    EXPECT_EQ(kvdtest::ReadFile(dt1Path), dt1);
    EXPECT_EQ(Listing(), files); // no temporary file left behind

    // A header far larger than its trace file: the trace file is written, the header is not.
    line.extraHeaderLines.assign(400, std::string(60, 'c'));
    MakeLine(2);
    LoadFixes({1, 2});
    const std::string hd2 = kvdtest::ReadFile(hdPath), dt12 = kvdtest::ReadFile(dt1Path);
    ASSERT_GT(hd2.size(), 4096u);
    ASSERT_LT(dt12.size(), 4096u);
    {
        ScopedFileSizeLimit limit(4096);
        EXPECT_EQ(reader.WriteToLineFiles(&gps, hdPath.c_str(), dt1Path.c_str(), true, 0, 0, false,
                                          false),
                  "Error saving to File " + hdPath + ".\n");
    }
    EXPECT_EQ(kvdtest::ReadFile(hdPath), hd2);
    EXPECT_EQ(kvdtest::ReadFile(dt1Path), dt12);
    EXPECT_EQ(Listing(), files);
}
