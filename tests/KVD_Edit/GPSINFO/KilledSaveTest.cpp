// GPS write-back, the trace block writer and the GPS and topography file recovery, stopped by
// SIGKILL part-way through their writes: the line's files stay byte-identical, and no partial
// recovery file appears (the next start would take it for a whole one).
#include "tests/support/KilledSave.h"
#include "KVD_Edit/GPSINFO/Array3D.h"
#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/GpsFileRecovery.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using kvdtest::KilledSaveLeavesFolderAsItWas;
using kvdtest::ReadFile;

namespace {

struct LineFixture : ::testing::Test {
    kvdtest::TempDir dir;
    kvdtest::CaptureSink sink;
    kvdtest::SRadarLine line;
    std::string base;

    void SetUp() override {
        line.traces = 200;
        line.samples = 64;
        line.step = 0.5;
        line.synthetic = false;
        line.gpsType = 3;
        base = dir.File("LINE01");
        ASSERT_TRUE(kvdtest::WriteRadarLine(base, line));
    }
};

} // namespace

TEST_F(LineFixture, GpsWriteBackLeavesBothLineFilesAsTheyWere) {
    SLocalWorldDef def;
    CGPSInfo gps;
    gps.SetLWCDefinition(&def);
    CGPSDataSample reader;
    reader.AddLine(&gps, 0, 0, 0, line.step, line.traces, "LINE01.dt1");
    const std::string fixes =
        "Trace #1 at position 0.000000\r\n"
        "$GPGGA,120000.00,4330.0000,N,08015.0000,W,1,08,0.9,250.0,M,-34.0,M,,0000*47\r\n"
        "Trace #150 at position 75.000000\r\n"
        "$GPGGA,120010.00,4330.0540,N,08015.0000,W,1,08,0.9,252.0,M,-34.0,M,,0000*47\r\n";
    kvdtest::WriteFile(dir.File("fixes.gps"), fixes);
    ORQ::CStr errors;
    ASSERT_EQ(
        reader.LoadGpsFile(&gps, dir.File("fixes.gps").c_str(), 0, 0, line.traces, errors, false),
        2)
        << errors;
    const std::string hd = base + ".hd", dt1 = base + ".dt1";
    auto merge = [&] {
        return reader.WriteToLineFiles(&gps, hd.c_str(), dt1.c_str(), true, 0, 0, false, false)
            .empty();
    };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), merge, 1000, "LINE01.dt1"))
        << "killed while the trace file is written";
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), merge, 50, "LINE01.hd"))
        << "killed while the header is written, the trace file complete but not in place";

    const std::string oldDt1 = ReadFile(dt1), oldHd = ReadFile(hd);
    ASSERT_TRUE(merge()) << sink.AllTexts();
    EXPECT_NE(ReadFile(dt1), oldDt1);
    EXPECT_NE(ReadFile(hd), oldHd);
}

TEST_F(LineFixture, TraceBlockWriteLeavesTheOldFile) {
    CArray3D block;
    ASSERT_EQ(block.ReadDt1((base + ".dt1").c_str(), line.traces, line.samples), 0);
    const std::string target = dir.File("copy.dt1");
    kvdtest::WriteFile(target, "old trace file");
    auto write = [&] { return block.WriteFile(target.c_str(), 0) == 0; };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), write, 4096, "copy.dt1"));
    ASSERT_TRUE(write());
    EXPECT_EQ(ReadFile(target), ReadFile(base + ".dt1"));
}

TEST_F(LineFixture, RecoveredGpsAndTopographyFilesNeverAppearHalfWritten) {
    for (int kind : {DFK_GPS, DFK_TOPO}) {
        SCOPED_TRACE(DataKindExtension(kind));
        auto recover = [&] {
            return WriteGpsFileFromTraces(base + ".hd", line.traces, line.samples, 0.5, kind,
                                          ORQ::UNIT_M) == RECOVERY_WRITTEN;
        };
        EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), recover, 100,
                                                  std::string(".") + DataKindExtension(kind)));
        ASSERT_TRUE(recover()) << sink.AllTexts();
        EXPECT_FALSE(ReadFile(base + "." + DataKindExtension(kind)).empty());
    }
}
