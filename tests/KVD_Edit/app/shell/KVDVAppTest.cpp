#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/KVDVAppLogic.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(CommandLine, EmptyOrNoArgumentOpensNothing) {
    EXPECT_EQ(SCommandLineRequest::None, CutCommandLine({}).kind);
    EXPECT_EQ(SCommandLineRequest::None, CutCommandLine({""}).kind);
}

TEST(CommandLine, PathOpensAndCheckGPSImportIsCutOff) {
    SCommandLineRequest r = CutCommandLine({"/data/site 1/grid.kvd"});
    EXPECT_EQ(SCommandLineRequest::Open, r.kind);
    EXPECT_EQ("/data/site 1/grid.kvd", r.path);
    EXPECT_FALSE(r.checkGPSImport);

    r = CutCommandLine({"/data/grid.kvd CheckGPSImport"});
    EXPECT_EQ(SCommandLineRequest::Open, r.kind);
    EXPECT_EQ("/data/grid.kvd", r.path);
    EXPECT_TRUE(r.checkGPSImport);

    // Everything from the word on is cut.
    r = CutCommandLine({"/data/grid.kvd CheckGPSImport extra"});
    EXPECT_EQ("/data/grid.kvd", r.path);
    EXPECT_TRUE(r.checkGPSImport);
}

TEST(CommandLine, NewIsExactAndCaseSensitive) {
    SCommandLineRequest r = CutCommandLine({"new"});
    EXPECT_EQ(SCommandLineRequest::New, r.kind);
    EXPECT_FALSE(r.checkGPSImport);

    r = CutCommandLine({"new CheckGPSImport"});
    EXPECT_EQ(SCommandLineRequest::New, r.kind);
    EXPECT_TRUE(r.checkGPSImport);

    r = CutCommandLine({"New"});
    EXPECT_EQ(SCommandLineRequest::Open, r.kind);
    EXPECT_EQ("New", r.path);
}

TEST(CommandLine, WordAtTheStartOrAsSecondArgumentIsNotTheSwitch) {
    SCommandLineRequest r = CutCommandLine({" CheckGPSImport"});
    EXPECT_EQ(SCommandLineRequest::Open, r.kind);
    EXPECT_EQ(" CheckGPSImport", r.path);
    EXPECT_FALSE(r.checkGPSImport);

    r = CutCommandLine({"/data/grid.kvd", "CheckGPSImport"});
    EXPECT_EQ("/data/grid.kvd", r.path);
    EXPECT_FALSE(r.checkGPSImport);
}

TEST(WindowPlacement, FourNumbersNotAllZeroRestore) {
    int l = -1, t = -1, r = -1, b = -1;
    ASSERT_TRUE(DecideWindowPlacement("10,20,800,600", l, t, r, b));
    EXPECT_EQ(10, l);
    EXPECT_EQ(20, t);
    EXPECT_EQ(800, r);
    EXPECT_EQ(600, b);
    // Empty parts between commas are skipped; blanks are read as atoi reads them.
    ASSERT_TRUE(DecideWindowPlacement("10,,20, 800,600", l, t, r, b));
    EXPECT_EQ(800, r);
    ASSERT_TRUE(DecideWindowPlacement("-8,-8,1000,700", l, t, r, b));
    EXPECT_EQ(-8, l);
}

TEST(WindowPlacement, DefaultOrWrongCountKeepsTheWindow) {
    int l = 7, t = 7, r = 7, b = 7;
    EXPECT_FALSE(DecideWindowPlacement("0,0,0,0", l, t, r, b));
    EXPECT_FALSE(DecideWindowPlacement("10,20,800", l, t, r, b));
    EXPECT_FALSE(DecideWindowPlacement("10,20,800,600,5", l, t, r, b));
    EXPECT_FALSE(DecideWindowPlacement("", l, t, r, b));
    EXPECT_FALSE(DecideWindowPlacement(",,,", l, t, r, b));
    EXPECT_EQ(7, l);
    EXPECT_EQ(7, b);
}

TEST(WindowPlacement, StoredRectangleIsBroughtOntoTheScreen) {
    const SScreenRect screen{0, 0, 1280, 1024};
    struct Row {
        const char *name;
        SScreenRect stored;
        SScreenRect fitted;
    };
    const Row rows[] = {
        {"inside: kept", {40, 40, 1040, 740}, {40, 40, 1040, 740}},
        {"touching the far edges: kept", {280, 324, 1280, 1024}, {280, 324, 1280, 1024}},
        {"past the right and bottom", {2000, 1500, 3200, 2400}, {80, 124, 1280, 1024}},
        {"past the left and top", {-900, -700, -100, -100}, {0, 0, 800, 600}},
        {"partly past the left", {-8, -8, 992, 692}, {0, 0, 1000, 700}},
        {"larger than the screen", {-50, -50, 2000, 1600}, {0, 0, 1280, 1024}},
        {"wider only", {100, 100, 1500, 500}, {0, 100, 1280, 500}},
        {"no width or height: the default size", {100, 100, 100, 50}, {100, 100, 1100, 800}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const SScreenRect r = FitWindowOnScreen(row.stored, screen, 1000, 700);
        EXPECT_EQ(row.fitted.left, r.left);
        EXPECT_EQ(row.fitted.top, r.top);
        EXPECT_EQ(row.fitted.right, r.right);
        EXPECT_EQ(row.fitted.bottom, r.bottom);
    }
    // A screen whose work area does not start at 0 (a panel above it).
    const SScreenRect r = FitWindowOnScreen({10, 0, 510, 400}, {0, 30, 1280, 1024}, 1000, 700);
    EXPECT_EQ(30, r.top);
    EXPECT_EQ(430, r.bottom);
}

TEST(AboutBox, VersionTextFollowsTheProductVersion) {
    EXPECT_EQ("Version 4 Release 1.1", FormatAboutVersion(4, 1, 1, 0));
    EXPECT_EQ("Version 4 Release 1", FormatAboutVersion(4, 1, 0, 0));
    EXPECT_EQ(" Release 2\nAlpha 5", FormatAboutVersion(1, 2, 0, 1005));
    EXPECT_EQ("Version 4 Release 1.3\nPre-Alpha Prototype 50", FormatAboutVersion(4, 1, 3, 950));
    EXPECT_EQ("Version 2 Release 0\nRelease Candidate (Gamma) 1",
              FormatAboutVersion(2, 0, 0, 3001));
    EXPECT_EQ("Version 2 Release 0\nBeta 0", FormatAboutVersion(2, 0, 0, 2000));
    EXPECT_EQ("Version 2 Release 0\nSpecial Build 899", FormatAboutVersion(2, 0, 0, 899));
}

TEST(DiagnosticMode, SwitchesBetweenOneAndTwo) {
    EXPECT_EQ(2, NextDiagnosticLevel(1));
    EXPECT_EQ(1, NextDiagnosticLevel(2));
    EXPECT_EQ(1, NextDiagnosticLevel(0));
}

TEST(Application, AccessorIsNullWithoutApplication) {
    EXPECT_EQ(nullptr, GetKVDVApp());
}

TEST(Application, StartUpWaitsABoundedTimeForTheUsageClock) {
    // Without a profile the clock never runs: start-up goes on after the bound.
    CAppClock clock;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WaitForClockState(clock, 1, 1, 200));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_LT(waited, std::chrono::seconds(2));
    EXPECT_TRUE(WaitForClockState(clock, -1, 0, 200));
}
