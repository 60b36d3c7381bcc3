#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/platform/IniFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Stands in for the usage clock: the two readings the log takes from it.
struct FakeClock {
    int seconds = 0;
    std::string stats;
    bool statsOk = true;
    int GetActiveSeconds(bool includePending) { return includePending ? seconds + 1 : seconds; }
    bool GetStatsText(std::string &out) {
        out = stats;
        return statsOk;
    }
};

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

struct LoggerFixture : ::testing::Test {
    kvdtest::TempDir dir;
    std::string ini = dir.File("KVDGridView.ini");
    std::string log = dir.File("KVD_Edit (4110).log");
};

inline void ReportFromInline(CCodeLogger *logger) {
    CCodeLogger *saved = g_pCodeLogger;
    g_pCodeLogger = logger;
    KVD_LOG_CALL();
    g_pCodeLogger = saved;
}

template <int N> void ReportFromTemplate(CCodeLogger *logger) {
    CCodeLogger *saved = g_pCodeLogger;
    g_pCodeLogger = logger;
    KVD_LOG_CALL_TEXT("from a template");
    g_pCodeLogger = saved;
}

} // namespace

TEST(CodeLoggerFormat, KeysAndCoverageLines) {
    EXPECT_EQ(CCodeLogger::MakeKey("D:\\src\\BusyDlg.cpp", 271), "BusyDlg.cpp:  271");
    EXPECT_EQ(CCodeLogger::MakeKey("/src/app/KVDVDoc.cpp", 5), "KVDVDoc.cpp:    5");
    EXPECT_EQ(CCodeLogger::MakeKey("plain.cpp", 123456), "plain.cpp:123456");
    EXPECT_LT(CCodeLogger::MakeKey("a.cpp", 104), CCodeLogger::MakeKey("a.cpp", 1040));
    EXPECT_EQ(CCodeLogger::CoverageLine(3, 154), "Code Coverage, 1.948%, 3 out of 154");
    EXPECT_EQ(CCodeLogger::CoverageLine(77, 154), "Code Coverage, 50%, 77 out of 154");
    EXPECT_EQ(CCodeLogger::CoverageLine(0, 154), "Code Coverage, 0%, 0 out of 154");
    EXPECT_EQ(CCodeLogger::CoverageLine(160, 154), "Code Coverage, 103.9%, 160 out of 154");
    EXPECT_EQ(CCodeLogger::CoverageLine(0, 0), "Code Coverage, 0%, 0 out of 0");
}

TEST_F(LoggerFixture, WritesHeaderClockAndEntriesInKeyOrder) {
    FakeClock clock{41, "11, 5, 500", true};
    {
        CCodeLogger logger("", log, &clock, 154);
        EXPECT_EQ(logger.GetLevel(), 1);
        logger.LogCall("/src/b.cpp", 1040, "void CB::Two()", "Two", nullptr);
        logger.LogCall("/src/b.cpp", 104, "void CB::One()", "One", "note");
        logger.LogCall("D:\\src\\a.cpp", 7, "int CA::Zero(int)", "Zero", nullptr);
        EXPECT_EQ(logger.GetEntryCount(), 3);
        EXPECT_FALSE(kvdtest::FileExists(log)); // level 1 writes at exit only
    }
    const auto lines = Lines(kvdtest::ReadFile(log));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0].rfind("Start Time, ", 0), 0u);
    EXPECT_EQ(lines[0].size(), std::string("Start Time, 2024-01-01, 12:00:00").size());
    EXPECT_EQ(lines[1].rfind("End Time, ", 0), 0u);
    EXPECT_EQ(lines[2], "Code Coverage, 1.948%, 3 out of 154");
    EXPECT_EQ(lines[3], "AppClock, 42");
    EXPECT_EQ(lines[4], "AppStats, 11, 5, 500");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "Filename:Line Number, Date, Time, CPU Clock, Function Prototype, "
                        "Decorated Function Name, Stack, Custom String (Optional)");
    EXPECT_EQ(lines[7].rfind("a.cpp:    7, ", 0), 0u);
    EXPECT_EQ(lines[8].rfind("b.cpp:  104, ", 0), 0u);
    EXPECT_EQ(lines[9].rfind("b.cpp: 1040, ", 0), 0u);
    // key, date, time, clock, signature, decorated name, empty stack, custom text
    const std::string &rec = lines[8];
    EXPECT_EQ(rec.substr(rec.size() - std::string(", void CB::One(), One, , note").size()),
              ", void CB::One(), One, , note");
    EXPECT_EQ(lines[9].substr(lines[9].size() - 12), "Two(), Two, ");
}

TEST_F(LoggerFixture, LatestReportOfALocationWins) {
    CCodeLogger logger("", log, nullptr, 154);
    logger.LogCall("x.cpp", 10, "first", "f", nullptr);
    logger.LogCall("x.cpp", 10, "second", "s", nullptr);
    EXPECT_EQ(logger.GetEntryCount(), 1);
    ASSERT_TRUE(logger.WriteLog());
    const auto lines = Lines(kvdtest::ReadFile(log));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[3], "AppClock");
    EXPECT_EQ(lines[4], "AppStats");
    EXPECT_NE(lines[7].find(", second, s, "), std::string::npos);
}

TEST_F(LoggerFixture, LevelsComeFromTheIniAndAreStoredBack) {
    {
        CCodeLogger logger(ini, log, nullptr, 154);
        EXPECT_EQ(logger.GetLevel(), 1);
        EXPECT_EQ(CIniFile::ReadString(ini, "CODE_LOGGER", "LOG_LEVEL", ""), "1");
        logger.SetLevel(2);
        EXPECT_EQ(CIniFile::ReadString(ini, "CODE_LOGGER", "LOG_LEVEL", ""), "2");
    }
    {
        // Level 2 rewrites the log after every report.
        CCodeLogger logger(ini, log, nullptr, 154);
        EXPECT_EQ(logger.GetLevel(), 2);
        kvdtest::WriteFile(log, "");
        logger.LogCall("y.cpp", 3, "sig", "dec", nullptr);
        EXPECT_NE(kvdtest::ReadFile(log).find("y.cpp:    3, "), std::string::npos);
        logger.SetLevel(0);
    }
    std::remove(log.c_str());
    {
        CCodeLogger logger(ini, log, nullptr, 154);
        EXPECT_EQ(logger.GetLevel(), 0);
        logger.LogCall("z.cpp", 1, "sig", "dec", nullptr);
        EXPECT_EQ(logger.GetEntryCount(), 0);
    }
    const auto lines = Lines(kvdtest::ReadFile(log));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], "Code Coverage, 0%, 0 out of 154");
}

TEST_F(LoggerFixture, MergesTheLogOfAnEarlierRun) {
    std::string firstStart;
    {
        CCodeLogger logger("", log, nullptr, 154);
        logger.LogCall("a.cpp", 1, "one", "1", nullptr);
        logger.LogCall("a.cpp", 2, "two", "2", nullptr);
    }
    firstStart = Lines(kvdtest::ReadFile(log))[0];
    {
        CCodeLogger logger("", log, nullptr, 154);
        EXPECT_EQ(logger.GetEntryCount(), 2);
        logger.LogCall("a.cpp", 2, "two again", "2", nullptr);
        logger.LogCall("b.cpp", 9, "nine", "9", nullptr);
    }
    const auto lines = Lines(kvdtest::ReadFile(log));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], firstStart);
    EXPECT_EQ(lines[2], "Code Coverage, 1.948%, 3 out of 154");
    EXPECT_NE(lines[7].find(", one, 1, "), std::string::npos);
    EXPECT_NE(lines[8].find(", two again, 2, "), std::string::npos);
    EXPECT_EQ(lines[9].rfind("b.cpp:    9, ", 0), 0u);
}

TEST_F(LoggerFixture, ADamagedLogIsReportedAndAnUnwritableOneKeepsTheEntries) {
    kvdtest::WriteFile(log, "Start Time, 2020-01-02, 03:04:05\nEnd Time, x\n");
    CCodeLogger logger("", log, nullptr, 154);
    EXPECT_FALSE(logger.ReadLog());
    EXPECT_EQ(logger.GetEntryCount(), 0);
    kvdtest::WriteFile(log, "Start Time, 2020-01-02, 03:04:05\n1\n2\n3\n4\n\ncolumns\n"
                            "k.cpp:   1, old record\r\n\r\n");
    EXPECT_TRUE(logger.ReadLog());
    EXPECT_EQ(logger.GetEntryCount(), 1);

    CCodeLogger lost("", dir.File("no/such/folder/x.log"), nullptr, 154);
    lost.LogCall("a.cpp", 1, "s", "d", nullptr);
    EXPECT_FALSE(lost.WriteLog());
    EXPECT_EQ(lost.GetEntryCount(), 1);
}

TEST_F(LoggerFixture, DefaultPathAndProgramLocationCount) {
    kvdtest::ScopedEnv config("XDG_CONFIG_HOME", dir.File("cfg"));
    CCodeLogger logger("", "", nullptr);
    EXPECT_EQ(logger.GetLogPath(),
              dir.File("cfg") + "/Brenwick/kvd_app_shell_tests/kvd_app_shell_tests (4110).log");
    // The total is the program's reporting locations, counted in its sources by the build.
    EXPECT_EQ(logger.GetLocationTotal(), CCodeLogger::GetProgramLocationCount());
    EXPECT_GT(CCodeLogger::GetProgramLocationCount(), 0);
    ReportFromInline(&logger);
    ReportFromTemplate<1>(&logger);
    ReportFromTemplate<2>(&logger);
    EXPECT_EQ(logger.GetEntryCount(), 2); // one location in the template, whatever N is
    ReportFromInline(nullptr);            // no logger: nothing happens
    std::remove(logger.GetLogPath().c_str());
}
