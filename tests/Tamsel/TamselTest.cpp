#include "Tamsel/Tamsel.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <locale>
#include <sys/stat.h>
#include <unistd.h>

using namespace ORQ;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;

namespace {

// Joins lines with CR LF, the line end the header writer uses.
std::string Crlf(std::initializer_list<const char *> lines) {
    std::string s;
    for (const char *l : lines)
        s += std::string(l) + "\r\n";
    return s;
}

const std::string kKeyedBlock = Crlf({
    "NUMBER OF TRACES   = 250",
    "NUMBER OF PTS/TRC  = 512",
    "TIMEZERO AT POINT  = 31",
    "TOTAL TIME WINDOW  = 100",
    "STARTING POSITION  = 0",
    "FINAL POSITION     = 12.45",
    "STEP SIZE USED     = 0.05",
    "POSITION UNITS     = m",
    "NOMINAL FREQUENCY  = 250",
    "ANTENNA SEPARATION = 1",
    "PULSER VOLTAGE (V) = 400",
    "NUMBER OF STACKS   = 16",
    "SURVEY MODE        = Reflection",
    "ODOMETER CAL (T/M) = 1234.57",
    "STACKING TYPE      = F1",
});

struct HeaderFile {
    TempDir dir;
    std::string path = dir.File("line.hd");
    Tamsel hd;

    const STamsel &Load(const std::string &text) {
        WriteFile(path, text);
        EXPECT_FALSE(hd.Load(path.c_str(), ST_FILE)) << hd.GetLastMessage();
        EXPECT_NE(hd.GetTamsel(), nullptr);
        static const STamsel empty;
        return hd.GetTamsel() ? *hd.GetTamsel() : empty;
    }
    std::string SaveAndRead() {
        EXPECT_EQ(hd.Save("", ST_FILE), 0) << hd.GetLastMessage();
        return ReadFile(path);
    }
};

} // namespace

TEST(TamselLoad, FillsIdentifierTitlesDateAndKeys) {
    HeaderFile f;
    const STamsel &r = f.Load(Crlf({"1234", "Title A", "Title B", "2023/06/14"}) + kKeyedBlock);
    EXPECT_EQ(r.m_firstLine, "1234");
    EXPECT_EQ(r.m_title1, "Title A");
    EXPECT_EQ(r.m_title2, "Title B");
    EXPECT_EQ(r.m_title3, "");
    EXPECT_EQ(r.m_date, "2023/06/14");
    EXPECT_EQ(r.m_traces, 250);
    EXPECT_EQ(r.m_points, 512);
    EXPECT_EQ(r.m_timeZero, 31);
    EXPECT_EQ(r.m_timeWindow, 100);
    EXPECT_EQ(r.m_finalPosition.value, 12.45);
    EXPECT_EQ(r.m_stepSize.value, 0.05);
    EXPECT_EQ(r.m_stepSize.unit, UNIT_M);
    EXPECT_EQ(r.m_frequency, 250);
    EXPECT_EQ(r.m_antennaSeparation.value, 1);
    EXPECT_EQ(r.m_pulserVoltage, 400);
    EXPECT_EQ(r.m_stacks, 16);
    EXPECT_EQ(r.m_surveyMode, "Reflection");
    EXPECT_FALSE(r.m_cmpSurvey);
    EXPECT_EQ(r.m_odometerCal, 1234.57);
    EXPECT_EQ(r.m_stackingType, "F1");
    EXPECT_EQ(f.hd.GetComment(0), nullptr);
}

TEST(TamselSave, WritesTheExactLinesInFixedOrder) {
    HeaderFile f;
    const std::string text = Crlf({"1234", "Title A", "Title B", "2023/06/14"}) + kKeyedBlock;
    f.Load(text);
    EXPECT_EQ(f.SaveAndRead(), text);
    EXPECT_TRUE(f.hd.IsLoaded());
    EXPECT_EQ(f.hd.FilePathName(), f.path);
}

TEST(TamselSave, FormatsNumbersLikePrintfG) {
    HeaderFile f;
    f.Load(Crlf({"1", "2020/01/01", "TOTAL TIME WINDOW = 1234567", "STEP SIZE USED = 0.00001",
                 "NOMINAL FREQUENCY = 1234.5678", "STARTING POSITION = -0.0001",
                 "FINAL POSITION = 100.50000"}));
    const std::string out = f.SaveAndRead();
    EXPECT_NE(out.find("TOTAL TIME WINDOW  = 1.23457e+06\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("STEP SIZE USED     = 1e-05\r\n"), std::string::npos);
    EXPECT_NE(out.find("NOMINAL FREQUENCY  = 1234.57\r\n"), std::string::npos);
    EXPECT_NE(out.find("STARTING POSITION  = -0.0001\r\n"), std::string::npos);
    EXPECT_NE(out.find("FINAL POSITION     = 100.5\r\n"), std::string::npos);
    // The date line is written even when empty; the points go under PTS/TRC.
    EXPECT_EQ(
        out.rfind("1\r\n2020/01/01\r\nNUMBER OF TRACES   = 0\r\nNUMBER OF PTS/TRC  = 0\r\n", 0),
        0u);
}

TEST(TamselSave, WritesNumbersInTheCLocaleWhateverTheProgramsLocale) {
    // A program-wide locale with a decimal comma and digit grouping, as a German desktop has.
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    bool cLocaleChanged = false;
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_ALL, name)) {
            cLocaleChanged = true;
            break;
        }
    std::string out;
    {
        HeaderFile f;
        const STamsel &r = f.Load(Crlf({"1", "1/2/3", "NUMBER OF TRACES = 12345",
                                        "STEP SIZE USED = 0.25", "TOTAL TIME WINDOW = 1234.5"}));
        EXPECT_EQ(r.m_stepSize.value, 0.25);
        EXPECT_EQ(r.m_timeWindow, 1234.5);
        out = f.SaveAndRead();
    }
    std::locale::global(previous);
    if (cLocaleChanged)
        std::setlocale(LC_ALL, "C");
    EXPECT_NE(out.find("NUMBER OF TRACES   = 12345\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("STEP SIZE USED     = 0.25\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("TOTAL TIME WINDOW  = 1234.5\r\n"), std::string::npos) << out;
}

TEST(TamselLoad, TakesEitherSamplesKeyAndWritesOnlyPtsPerTrc) {
    HeaderFile f;
    EXPECT_EQ(f.Load(Crlf({"1", "1/2/3", "NUMBER OF SAMPLES = 400"})).m_points, 400);
    EXPECT_EQ(
        f.Load(Crlf({"1", "1/2/3", "NUMBER OF SAMPLES = 400", "NUMBER OF PTS/TRC = 256"})).m_points,
        256);
    const std::string out = f.SaveAndRead();
    EXPECT_EQ(out.find("NUMBER OF SAMPLES"), std::string::npos);
    EXPECT_NE(out.find("NUMBER OF PTS/TRC  = 256\r\n"), std::string::npos);
}

// Time zero is a whole number, written as one: a large one keeps all its digits.
TEST(TamselLoad, ReadsAndWritesTimeZeroAsAnInteger) {
    HeaderFile f;
    EXPECT_EQ(f.Load(Crlf({"1", "1/2/3", "TIMEZERO AT POINT = 12.7"})).m_timeZero, 12);
    EXPECT_NE(f.SaveAndRead().find("TIMEZERO AT POINT  = 12\r\n"), std::string::npos);
    EXPECT_EQ(f.Load(Crlf({"1", "1/2/3", "TIMEZERO AT POINT = 1234567"})).m_timeZero, 1234567);
    f.SaveAndRead();
    ASSERT_FALSE(f.hd.Load(f.path.c_str(), ST_FILE));
    EXPECT_EQ(f.hd.GetTamsel()->m_timeZero, 1234567);
}

TEST(TamselLoad, PositionUnitsApplyToEveryMeasureWhereverTheLineStands) {
    HeaderFile f;
    // After the positions: relabels them.
    const STamsel &a = f.Load(Crlf(
        {"1", "1/2/3", "STEP SIZE USED = 0.05", "ANTENNA SEPARATION = 2", "POSITION UNITS = ft"}));
    EXPECT_EQ(a.m_stepSize.value, 0.05);
    EXPECT_EQ(a.m_stepSize.unit, UNIT_FT);
    for (const SMeasure *m : {&a.m_startPosition, &a.m_finalPosition, &a.m_further1, &a.m_further2,
                              &a.m_further3, &a.m_antennaSeparation, &a.m_datum, &a.m_velocity})
        EXPECT_EQ(m->unit, UNIT_FT);
    EXPECT_EQ(a.m_elevation.unit, UNIT_FT);
    EXPECT_EQ(a.m_antennaSeparation.value, 2);
    // Before the positions: the positions still carry it.
    const STamsel &b = f.Load(Crlf({"1", "1/2/3", "POSITION UNITS = feet", "STARTING POSITION = 3",
                                    "FINAL POSITION = 9", "STEP SIZE USED = 0.1"}));
    EXPECT_EQ(b.m_startPosition.unit, UNIT_FT);
    EXPECT_EQ(b.m_finalPosition.unit, UNIT_FT);
    EXPECT_EQ(b.m_stepSize.unit, UNIT_FT);
    EXPECT_EQ(b.m_stepSize.value, 0.1);
    EXPECT_NE(f.SaveAndRead().find("POSITION UNITS     = ft\r\n"), std::string::npos);
}

TEST(TamselLoad, KeepsUnknownLinesVerbatimAndWritesThemLastInFileOrder) {
    HeaderFile f;
    const STamsel &r = f.Load(Crlf({"1", "1/2/3", "CMP VELOCITY ANALYSIS", "NUMBER OF TRACES = 5",
                                    "COLLECTED BY  j.smith", "CHAN_1 = Tx1 Rx1",
                                    "  some note, \xE9t\xE9 2023", "GPR SERIAL# = 0034"}));
    EXPECT_EQ(r.m_traces, 5);
    EXPECT_STREQ(f.hd.GetComment(0), "CMP VELOCITY ANALYSIS");
    EXPECT_STREQ(f.hd.GetComment(1), "COLLECTED BY  j.smith");
    EXPECT_STREQ(f.hd.GetComment(2), "CHAN_1 = Tx1 Rx1");
    EXPECT_STREQ(f.hd.GetComment(3), "  some note, \xE9t\xE9 2023");
    EXPECT_STREQ(f.hd.GetComment(4), "GPR SERIAL# = 0034");
    EXPECT_EQ(f.hd.GetComment(5), nullptr);
    const std::string out = f.SaveAndRead();
    const std::string tail =
        Crlf({"STACKING TYPE      = ", "CMP VELOCITY ANALYSIS", "COLLECTED BY  j.smith",
              "CHAN_1 = Tx1 Rx1", "  some note, \xE9t\xE9 2023", "GPR SERIAL# = 0034"});
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

TEST(TamselLoad, GainLineSetsTheFlagAndIsWrittenBackVerbatimOnce) {
    HeaderFile f;
    const std::string text = Crlf({"1", "1/2/3", "AGC GAIN MAX = 500", "Surveyed at Gainesville"});
    const STamsel &r = f.Load(text);
    EXPECT_TRUE(r.m_gain);
    EXPECT_EQ(f.hd.GetComment(0), nullptr);
    std::string out = f.SaveAndRead();
    EXPECT_NE(out.find("\r\nAGC GAIN MAX = 500\r\nSurveyed at Gainesville\r\n"), std::string::npos)
        << out;
    EXPECT_FALSE(f.hd.Load(f.path.c_str(), ST_FILE));
    EXPECT_EQ(f.SaveAndRead(), out);
}

TEST(TamselLoad, FlagLinesAndCmpSurvey) {
    HeaderFile f;
    const STamsel &r = f.Load(
        Crlf({"1", "1/2/3", "SIGNAL SATURATION CORRECTION APPLIED", "SURVEY MODE = CMP", "GAIN"}));
    EXPECT_TRUE(r.m_saturationCorrected);
    EXPECT_TRUE(r.m_cmpSurvey);
    EXPECT_TRUE(r.m_gain);
    const std::string out = f.SaveAndRead();
    EXPECT_NE(out.find("\r\nSIGNAL SATURATION CORRECTION APPLIED\r\nGAIN\r\n"), std::string::npos);
}

TEST(TamselGps, UtmZoneSurvivesSaveAndLoad) {
    HeaderFile f;
    const STamsel &r = f.Load(Crlf({"1", "1/2/3", "X Y Z POSITIONS ADDED - UTM Zone 17N"}));
    EXPECT_EQ(r.m_gpsType, GPS_UTM);
    EXPECT_EQ(r.m_utmZone, "17N");
    const std::string out = f.SaveAndRead();
    EXPECT_NE(out.find("\r\nX Y Z POSITIONS ADDED - UTM Zone 17N\r\n"), std::string::npos);
    EXPECT_FALSE(f.hd.Load(f.path.c_str(), ST_FILE));
    EXPECT_EQ(f.hd.GetTamsel()->m_gpsType, GPS_UTM);
    EXPECT_EQ(f.hd.GetTamsel()->m_utmZone, "17N");
    // Upper case as other tools write it, and a label with nothing after it.
    EXPECT_EQ(f.Load(Crlf({"1", "1/2/3", "X Y Z POSITIONS ADDED - UTM ZONE 33"})).m_utmZone, "33");
    const STamsel &bare = f.Load(Crlf({"1", "1/2/3", "X Y Z POSITIONS ADDED - UTM ZONE"}));
    EXPECT_EQ(bare.m_gpsType, GPS_UTM);
    EXPECT_EQ(bare.m_utmZone, "");
}

TEST(TamselGps, SetGpsTypeWritesOrRemovesThePositionsLine) {
    HeaderFile f;
    f.Load(Crlf({"1", "1/2/3", "NUMBER OF TRACES = 4"}));
    f.hd.SetGpsType(GPS_LATLONG);
    std::string out = f.SaveAndRead();
    EXPECT_NE(out.find("\r\nX Y Z POSITIONS ADDED - LatLong\r\n"), std::string::npos);
    EXPECT_FALSE(f.hd.Load(f.path.c_str(), ST_FILE));
    EXPECT_EQ(f.hd.GetTamsel()->m_gpsType, GPS_LATLONG);
    f.hd.SetGpsType(GPS_NONE);
    out = f.SaveAndRead();
    EXPECT_EQ(out.find("POSITIONS ADDED"), std::string::npos);
}

TEST(TamselElevation, RangeKeepsItsUnitThroughSaveAndLoad) {
    HeaderFile f;
    f.Load(Crlf({"1", "1/2/3", "POSITION UNITS = m"}));
    f.hd.SetElevation(3.5, 12.25, UNIT_FT);
    std::string out = f.SaveAndRead();
    EXPECT_NE(out.find("\r\nELEVATION DATA ENTERED MAX = 12.25 ft MIN = 3.5 ft\r\n"),
              std::string::npos)
        << out;
    EXPECT_FALSE(f.hd.Load(f.path.c_str(), ST_FILE));
    const S2DMeasure &e = f.hd.GetTamsel()->m_elevation;
    EXPECT_EQ(e.x, 12.25);
    EXPECT_EQ(e.y, 3.5);
    EXPECT_EQ(e.unit, UNIT_FT);
    EXPECT_EQ(f.SaveAndRead(), out);
    // A zero range writes no line.
    f.hd.SetElevation(0, 0, UNIT_M);
    EXPECT_EQ(f.SaveAndRead().find("ELEVATION"), std::string::npos);
}

TEST(TamselElevation, TopoLineReadsVelocityAndDatumWithTheirUnits) {
    HeaderFile f;
    const STamsel &r =
        f.Load(Crlf({"1", "1/2/3", "POSITION UNITS = ft",
                     "TRACES TOPO SHIFTED. VELOCITY = 0.100000 m/nsDATUM = 120.500000 ft"}));
    EXPECT_TRUE(r.m_topoShifted);
    EXPECT_EQ(r.m_velocity.value, 0.1);
    EXPECT_EQ(r.m_velocity.unit, MakeSpeedUnit(UNIT_M, UNIT_NS));
    EXPECT_EQ(r.m_datum.value, 120.5);
    EXPECT_EQ(r.m_datum.unit, UNIT_FT);
    const std::string out = f.SaveAndRead();
    EXPECT_NE(
        out.find("\r\nTRACES TOPO SHIFTED. VELOCITY = 0.100000 m/nsDATUM = 120.500000 ft\r\n"),
        std::string::npos)
        << out;
    // Labels with nothing after them read as 0; no label at all leaves 0 too.
    const STamsel &bare = f.Load(Crlf({"1", "1/2/3", "TRACES TOPO SHIFTED. VELOCITY =",
                                       "ELEVATION DATA ENTERED MAX =", "DATUM ="}));
    EXPECT_TRUE(bare.m_topoShifted);
    EXPECT_EQ(bare.m_velocity.value, 0);
    EXPECT_EQ(bare.m_datum.value, 0);
    EXPECT_EQ(bare.m_elevation.x, 0);
    EXPECT_EQ(bare.m_elevation.y, 0);
}

TEST(TamselLoad, ReadsLinesOfAnyLength) {
    HeaderFile f;
    const std::string longLine = "COMMENT " + std::string(5000, 'x');
    const STamsel &r =
        f.Load(Crlf({"1", "1/2/3"}) + longLine + "\r\n" + Crlf({"NUMBER OF TRACES = 77"}));
    EXPECT_EQ(r.m_traces, 77);
    EXPECT_EQ(std::string(f.hd.GetComment(0)), longLine);
}

TEST(TamselLoad, FirstLineThatIsNoNumberIsWrittenOnce) {
    HeaderFile f;
    const std::string text = Crlf({"Survey north field", "2023/06/14"}) + kKeyedBlock;
    const STamsel &r = f.Load(text);
    EXPECT_EQ(r.m_firstLine, "Survey north field");
    EXPECT_EQ(r.m_title1, "Survey north field");
    EXPECT_EQ(f.SaveAndRead(), text);
    EXPECT_FALSE(f.hd.Load(f.path.c_str(), ST_FILE));
    EXPECT_EQ(f.SaveAndRead(), text);
    // A date standing on the first line is written once too.
    const std::string dated = Crlf({"June/14/2023"}) + kKeyedBlock;
    EXPECT_EQ(f.Load(dated).m_date, "June/14/2023");
    EXPECT_EQ(f.SaveAndRead(), dated);
}

TEST(TamselLoad, HeaderWithoutDateLineStillReadsItsFirstKey) {
    HeaderFile f;
    const STamsel &r =
        f.Load(Crlf({"1234", "Title", "", "NUMBER OF TRACES = 40", "NUMBER OF PTS/TRC = 100"}));
    EXPECT_EQ(r.m_traces, 40);
    EXPECT_EQ(r.m_points, 100);
    EXPECT_EQ(r.m_date, "");
}

TEST(TamselLoad, ReadsLfOnlyAndCrLfFiles) {
    HeaderFile f;
    EXPECT_EQ(f.Load("1\n1/2/3\nNUMBER OF TRACES = 9\nSURVEY MODE = Reflection\n").m_surveyMode,
              "Reflection");
    EXPECT_EQ(f.Load("1\r\n1/2/3\r\nSURVEY MODE = Reflection\r\n").m_surveyMode, "Reflection");
    EXPECT_EQ(f.Load("1\r\n1/2/3\r\nSURVEY MODE = CMP").m_surveyMode, "CMP");
}

TEST(TamselLoad, ResetsEverythingBetweenFilesAndAfterAFailure) {
    HeaderFile f;
    f.Load(Crlf({"1", "1/2/3", "NUMBER OF TRACES = 9", "STEP SIZE USED = 0.5",
                 "POSITION UNITS = ft", "GAIN", "X Y Z POSITIONS ADDED - LatLong",
                 "TRACES TOPO SHIFTED. VELOCITY = 0.1 m/ns DATUM = 4 m", "ODD LINE"}));
    f.hd.SetElevation(1, 2, UNIT_FT);
    const STamsel &r = f.Load(Crlf({"1", "1/2/3", "NUMBER OF TRACES = 0"}));
    STamsel fresh;
    fresh.m_firstLine = "1";
    fresh.m_date = "1/2/3";
    EXPECT_TRUE(r == fresh);
    EXPECT_EQ(f.hd.GetComment(0), nullptr);
    EXPECT_EQ(f.SaveAndRead().find("GAIN"), std::string::npos);

    EXPECT_TRUE(f.hd.Load(f.dir.File("missing.hd").c_str(), ST_FILE));
    EXPECT_EQ(f.hd.GetTamsel(), nullptr);
    EXPECT_FALSE(f.hd.IsLoaded());
    EXPECT_NE(f.hd.GetLastMessage().find("missing.hd"), std::string::npos);

    f.Load(Crlf({"1", "1/2/3", "NUMBER OF TRACES = 9"}));
    f.hd.GprClear();
    EXPECT_EQ(f.hd.GetTamsel(), nullptr);
}

// A file without a single key of a header is no line of 0 traces: it is refused with a reason.
TEST(TamselLoad, EmptyOrKeylessFileIsNotARadarLineHeader) {
    const struct {
        const char *name;
        std::string text;
    } rows[] = {
        {"empty", ""},
        {"junk without a line end", "\x89PNG junk and more junk"},
        {"identifier, title and date only", Crlf({"1", "a title", "1/2/3"})},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFile(dir.File("x.hd"), row.text);
        Tamsel hd;
        EXPECT_TRUE(hd.Load(dir.File("x.hd").c_str(), ST_FILE));
        EXPECT_EQ(hd.GetTamsel(), nullptr);
        EXPECT_NE(hd.GetLastMessage().find("not a radar line header"), std::string::npos)
            << hd.GetLastMessage();
    }
    HeaderFile f;
    const STamsel &r = f.Load(Crlf({"1", "1/2/3", "NUMBER OF TRACES = 0"}));
    EXPECT_EQ(r.m_traces, 0) << "one known key is enough, even with nothing in it";
}

TEST(TamselLoad, RefusesBinaryAndOversizedFilesAndFolders) {
    TempDir dir;
    Tamsel hd;
    WriteFile(dir.File("bin.hd"), std::string("1\r\n\0\0\x7f\x01garbage", 14));
    EXPECT_TRUE(hd.Load(dir.File("bin.hd").c_str(), ST_FILE));
    EXPECT_EQ(hd.GetTamsel(), nullptr);
    EXPECT_NE(hd.GetLastMessage().find("binary"), std::string::npos);
    WriteFile(dir.File("big.hd"), std::string(5 * 1024 * 1024, 'x'));
    EXPECT_TRUE(hd.Load(dir.File("big.hd").c_str(), ST_FILE));
    EXPECT_TRUE(hd.Load(dir.Path().c_str(), ST_FILE));
    EXPECT_TRUE(hd.Load(nullptr, ST_FILE));
}

TEST(TamselLoad, FindsFilesNamedTheWindowsWay) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("Lines"));
    WriteFile(dir.File("Lines/LINE01.HD"), Crlf({"1", "1/2/3", "NUMBER OF TRACES = 12"}));
    Tamsel hd;
    const std::string windowsPath = dir.Path() + "\\lines\\line01.hd";
    ASSERT_FALSE(hd.Load(windowsPath.c_str(), ST_FILE)) << hd.GetLastMessage();
    EXPECT_EQ(hd.GetTamsel()->m_traces, 12);
    EXPECT_EQ(hd.FilePathName(), dir.File("Lines/LINE01.HD"));
    // Saving without a path writes back the file that was found.
    EXPECT_EQ(hd.Save("", ST_FILE), 0);
    EXPECT_FALSE(kvdtest::FileExists(dir.File("Lines/line01.hd")));
    EXPECT_NE(ReadFile(dir.File("Lines/LINE01.HD")).find("= 12\r\n"), std::string::npos);
}

TEST(TamselSave, WritesThePathItIsGivenAndNotAFileOfAnotherCase) {
    TempDir dir;
    const std::string other = Crlf({"1", "1/2/3", "NUMBER OF TRACES = 5"});
    WriteFile(dir.File("line01.hd"), other);
    WriteFile(dir.File("line02.hd"), Crlf({"1", "1/2/3", "NUMBER OF TRACES = 77"}));
    Tamsel hd;
    ASSERT_FALSE(hd.Load(dir.File("line02.hd").c_str(), ST_FILE));
    ASSERT_EQ(hd.Save(dir.File("LINE01.HD"), ST_FILE), 0) << hd.GetLastMessage();
    EXPECT_EQ(ReadFile(dir.File("line01.hd")), other) << "the header of another line was replaced";
    ASSERT_TRUE(kvdtest::FileExists(dir.File("LINE01.HD"))) << "the requested file was not made";
    EXPECT_NE(ReadFile(dir.File("LINE01.HD")).find("= 77\r\n"), std::string::npos);
    EXPECT_EQ(hd.FilePathName(), dir.File("LINE01.HD"));
}

// "nan" would pass every later check of a value and differ from itself after a save: it reads
// as no number, 0, in every numeric key, and the file reads back equal to what was saved.
TEST(TamselLoad, ReadsNotANumberAsZero) {
    HeaderFile f;
    const STamsel &r =
        f.Load(ReadFile(std::string(KVD_TEST_DATA_DIR "/fuzz/") + "header-not-a-number.hd"));
    for (double v :
         {r.m_timeWindow, r.m_startPosition.value, r.m_finalPosition.value, r.m_stepSize.value,
          r.m_frequency, r.m_antennaSeparation.value, r.m_pulserVoltage, r.m_odometerCal,
          r.m_velocity.value, r.m_datum.value, r.m_elevation.x, r.m_elevation.y})
        EXPECT_EQ(v, 0.0);
    EXPECT_EQ(r.m_datum.unit, UNIT_FT);
    const STamsel loaded = r;
    f.SaveAndRead();
    EXPECT_TRUE(f.Load(ReadFile(f.path)) == loaded) << "the saved header reads back otherwise";
}

// Headers the fuzzer found to change with every Load and Save: after the first save, saving
// again must write the same bytes.
TEST(TamselSave, FuzzReproducersStayTheSameFromTheFirstSave) {
    for (const char *name :
         {"header-three-titles-no-date.hd", "header-position-units-without-value.hd",
          "header-huge-time-zero.hd", "header-not-a-number.hd"}) {
        SCOPED_TRACE(name);
        HeaderFile f;
        f.Load(ReadFile(std::string(KVD_TEST_DATA_DIR "/fuzz/") + name));
        const std::string first = f.SaveAndRead();
        for (int cycle = 2; cycle <= 4; ++cycle) {
            ASSERT_FALSE(f.hd.Load(f.path.c_str(), ST_FILE)) << f.hd.GetLastMessage();
            EXPECT_EQ(f.SaveAndRead(), first) << "save " << cycle;
        }
    }
    // The titles stay, and a line after them that is no known key is neither date nor kept.
    HeaderFile f;
    const STamsel &r = f.Load(Crlf({"1234", "A", "B", "C", "", "NUMBER OF TRACES = 8"}));
    EXPECT_EQ(r.m_title3, "C");
    EXPECT_EQ(r.m_traces, 8);
    EXPECT_EQ(f.hd.GetComment(0), nullptr);
    // A datum without a unit keeps the position unit in force; one with a unit keeps its own.
    const STamsel &u = f.Load(Crlf(
        {"1", "1/2/3", "POSITION UNITS = ft", "TRACES TOPO SHIFTED. VELOCITY = 0.1 DATUM = 2"}));
    EXPECT_EQ(u.m_datum.unit, UNIT_FT);
    EXPECT_EQ(u.m_datum.value, 2);
}

TEST(TamselSave, FailsWithoutTouchingAnythingWhenThePathCannotBeWritten) {
    TempDir dir;
    Tamsel hd;
    WriteFile(dir.File("a.hd"), Crlf({"1", "1/2/3", "NUMBER OF TRACES = 3"}));
    ASSERT_FALSE(hd.Load(dir.File("a.hd").c_str(), ST_FILE));
    EXPECT_EQ(hd.Save(dir.File("no/such/folder/a.hd"), ST_FILE), 1);
    EXPECT_FALSE(hd.GetLastMessage().empty());
    EXPECT_EQ(hd.Save(dir.Path(), ST_FILE), 1); // a folder is no header file
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));

    // A read-only folder: the old header stays whole and no temporary file is left.
    if (::geteuid() != 0) {
        std::filesystem::create_directory(dir.File("ro"));
        WriteFile(dir.File("ro/b.hd"), "old");
        ::chmod(dir.File("ro").c_str(), 0555);
        EXPECT_EQ(hd.Save(dir.File("ro/b.hd"), ST_FILE), 1);
        EXPECT_EQ(ReadFile(dir.File("ro/b.hd")), "old");
        ::chmod(dir.File("ro").c_str(), 0755);
        ::chmod(dir.File("ro/b.hd").c_str(), 0444);
        EXPECT_EQ(hd.Save(dir.File("ro/b.hd"), ST_FILE), 1) << "a read-only header is not replaced";
        EXPECT_EQ(ReadFile(dir.File("ro/b.hd")), "old");
    }
    EXPECT_EQ(hd.Save(dir.File("a.hd"), ST_FILE), 0);
    int files = 0;
    for (const auto &e : std::filesystem::directory_iterator(dir.Path()))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST(TamselSave, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    Tamsel hd;
    WriteFile(dir.File("p.hd"), Crlf({"1", "1/2/3", "NUMBER OF TRACES = 4"}));
    ::chmod(dir.File("p.hd").c_str(), 0640);
    ASSERT_FALSE(hd.Load(dir.File("p.hd").c_str(), ST_FILE));
    ASSERT_EQ(hd.Save("", ST_FILE), 0);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("p.hd").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(TamselRecord, ComparesFieldByField) {
    STamsel a, b;
    EXPECT_TRUE(a == b);
    b.m_stepSize.unit = UNIT_FT;
    EXPECT_TRUE(a != b);
    b = a;
    b.m_utmZone = "17N";
    EXPECT_FALSE(a == b);
    b = a;
    b.m_elevation.y = 1;
    EXPECT_TRUE(a != b);
}

TEST(TamselKeys, TableLookups) {
    EXPECT_STREQ(Tamsel::GetKey(TT_BATTERY), "START RX BATTERY");
    EXPECT_STREQ(Tamsel::GetKey(TT_CHANNEL), "CHAN_%d");
    EXPECT_STREQ(Tamsel::GetKey(TT_OTHER), "");
    EXPECT_EQ(Tamsel::GetKey(static_cast<TamselType>(99)), nullptr);
    EXPECT_STREQ(Tamsel::GetSeparator(TT_TOPO_SHIFTED), ".");
    EXPECT_STREQ(Tamsel::GetSeparator(TT_POSITIONS_ADDED), "-");
    TamselItem item;
    item.Set(TT_TRACES, "250");
    EXPECT_EQ(item.GetRaw(), "NUMBER OF TRACES = 250");
    EXPECT_EQ(item.GetValue(), "250");
}

TEST(TamselComments, AddFindAndDeleteIgnoringCase) {
    Tamsel hd;
    hd.AddComment("CHAN_1 = a").AddComment("chan_2 = b").AddComment("PORT_1 = c");
    EXPECT_STREQ(hd.GetComment(2), "PORT_1 = c");
    EXPECT_EQ(hd.GetComment(3), nullptr);
    EXPECT_EQ(hd.GetComment(-1), nullptr);
    EXPECT_EQ(hd.DeleteComment("port"), 1);
    EXPECT_EQ(hd.DeleteComment("port"), 0);
    EXPECT_EQ(hd.DeleteComments("Chan_"), 2);
    EXPECT_EQ(hd.GetComment(0), nullptr);
}

TEST(TamselLoad, ReadsTheGeneratorsHeader) {
    TempDir dir;
    kvdtest::SRadarLine line;
    line.traces = 30;
    line.samples = 64;
    line.step = 0.25;
    line.unit = "ft";
    line.gpsType = 3;
    line.extraHeaderLines = {"ODD LINE = 1"};
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("g"), line));
    Tamsel hd;
    ASSERT_FALSE(hd.Load(dir.File("g.hd").c_str(), ST_FILE));
    const STamsel *r = hd.GetTamsel();
    EXPECT_EQ(r->m_traces, 30);
    EXPECT_EQ(r->m_points, 64);
    EXPECT_EQ(r->m_stepSize.value, 0.25);
    EXPECT_EQ(r->m_stepSize.unit, UNIT_FT);
    EXPECT_EQ(r->m_finalPosition.value, 7.25);
    EXPECT_EQ(r->m_gpsType, GPS_LATLONG);
    EXPECT_STREQ(hd.GetComment(0), "ODD LINE = 1");
}
