#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/FileReplacement.h"
#include "tests/support/GridProject.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include <unistd.h>

using namespace kvdtest;

namespace {

// Records what the load asks of the document and answers the GPS question from a script.
struct RecordingHooks : IGridLoadHooks {
    void AddLine(int set, int, int line, double, int traces, const std::string &path) override {
        added.push_back(std::to_string(set) + "/" + std::to_string(line) + ":" + path + "#" +
                        std::to_string(traces));
    }
    int LoadGpsFile(const std::string &path, int, int, int, std::string &errors) override {
        gpsLoads.push_back(path);
        if (gpsResult < 0)
            errors = "Unable to open File " + path;
        return gpsResult;
    }
    int LoadTopoFile(const std::string &path, int, int, int) override {
        topoLoads.push_back(path);
        return topoResult;
    }
    void LoadLineGps(const std::string &, const ORQ::Tamsel &, const std::string &, long long, int,
                     int line, double, int) override {
        lineGps.push_back(line);
    }
    bool AskImportGps() override {
        ++questions;
        return answer;
    }
    bool AttachGps(SGridInfo &row) override {
        attached.push_back(row.lineName);
        row.gpsStatus = GFS_LOADED;
        return attachWorks;
    }
    void RecoverGps(SGridInfo &row) override {
        recovered.push_back(row.lineName);
        row.gpsStatus = GFS_BESIDE;
    }
    void SetDisplayUnit(ORQ::EUnitType unit) override { displayUnits.push_back(unit); }

    std::vector<std::string> added, gpsLoads, topoLoads, attached, recovered;
    std::vector<int> lineGps;
    std::vector<ORQ::EUnitType> displayUnits;
    int gpsResult = 5;
    int topoResult = 0;
    int questions = 0;
    bool answer = false;
    bool attachWorks = true;
};

struct Loaded {
    // windowsCodePage: the project is written as on Windows, its names in code page 1252 and
    // the file declaring that code page.
    explicit Loaded(const GridProjectLayout &layout, bool report = true,
                    ORQ::EUnitType display = ORQ::UNIT_M, bool answer = false, int gpsResult = 5,
                    bool windowsCodePage = false) {
        hooks.answer = answer;
        hooks.gpsResult = gpsResult;
        path = WriteGridProject(dir.Path(), layout);
        if (windowsCodePage)
            DeclareWindowsCodePage();
        EXPECT_EQ(1, file.Initialize(path));
        ORQ::CStr errors;
        dbi.reset(static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, &errors)));
        EXPECT_TRUE(dbi);
        CGridRowBuilder::SInput in;
        in.dbi = dbi.get();
        in.projectFolder = dir.Path();
        in.displayUnit = display;
        in.reportErrors = report;
        result = CGridRowBuilder::Build(in, hooks);
    }
    void DeclareWindowsCodePage() {
        std::string text = ReadFile(path);
        const std::string plain = "<?xml version='1.0'?>";
        EXPECT_EQ(0u, text.find(plain));
        text.replace(0, plain.size(), "<?xml version=\"1.0\" encoding=\"windows-1252\"?>");
        WriteFile(path, text);
    }
    std::vector<std::string> SortedLineNames() const {
        std::vector<std::string> names;
        for (const auto &r : result.rows)
            names.push_back(r->lineName);
        std::sort(names.begin(), names.end());
        return names;
    }
    const SGridInfo *Row(const std::string &line) const {
        for (const auto &r : result.rows)
            if (r->lineName == line)
                return r.get();
        return nullptr;
    }
    std::string Cell(const std::string &line, int column, ORQ::EUnitType unit = ORQ::UNIT_M) const {
        const SGridInfo *r = Row(line);
        return r ? CGridRowFormatter::FormatCell(*r, column, unit) : "<no row>";
    }

    CaptureSink sink;
    TempDir dir;
    std::string path;
    ORQ::CKVDXmlFile file;
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> dbi;
    RecordingHooks hooks;
    CGridRowBuilder::SResult result;
};

GridLineLayout Line(const std::string &name, std::vector<Position> positions, double start = 0,
                    double final = 10) {
    GridLineLayout l;
    l.name = name;
    l.positions = std::move(positions);
    l.start = start;
    l.final = final;
    return l;
}

} // namespace

TEST(GridRowBuilder, RowsCarryOrientationExtentsLengthAndStep) {
    GridProjectLayout layout;
    layout.lines.push_back(Line("X1", {{1, 2, 0, "m"}, {11, 2, 1, "m"}}, 1, 11));
    layout.lines.push_back(Line("Y1", {{5, 0, 0, "m"}, {5, 8, 1, "m"}}, 0, 8));
    layout.lines.push_back(Line("D1", {{0, 0, 0, "m"}, {6, 4, 1, "m"}}, 0, 10));
    layout.lines.back().set = "";
    Loaded l(layout);
    ASSERT_EQ(3u, l.result.rows.size()) << l.result.errors;
    EXPECT_EQ("", l.result.errors);

    EXPECT_EQ("GRID1", l.Cell("X1", 0));
    EXPECT_EQ("X", l.Cell("X1", 2));
    EXPECT_EQ("1.000", l.Cell("X1", 3));
    EXPECT_EQ("11.000", l.Cell("X1", 4));
    EXPECT_EQ("2.000", l.Cell("X1", 5));
    EXPECT_EQ("2.000", l.Cell("X1", 6));
    EXPECT_EQ("10.000", l.Cell("X1", 7));
    EXPECT_EQ("0.500000", l.Cell("X1", 8));
    EXPECT_EQ("No", l.Cell("X1", 9));
    EXPECT_EQ(".\\X1.dt1", l.Cell("X1", 10));
    EXPECT_EQ("21", l.Cell("X1", 15));

    EXPECT_EQ("Y", l.Cell("Y1", 2));
    EXPECT_EQ("8.000", l.Cell("Y1", 7));
    // A line outside sets has no grid name and set index -2; a diagonal one is "NA" and its
    // length is dX + dY.
    EXPECT_EQ("", l.Cell("D1", 0));
    EXPECT_EQ("-2", l.Cell("D1", 13));
    EXPECT_EQ("NA", l.Cell("D1", 2));
    EXPECT_EQ("10.000", l.Cell("D1", 7));

    // Every line is registered with the GPS data once per data file.
    EXPECT_EQ(3u, l.hooks.added.size());
    EXPECT_EQ(3u, l.hooks.lineGps.size());
    EXPECT_FALSE(l.result.fiducialsPresent);
}

TEST(GridRowBuilder, EditFlagsFollowHeaderAgainstRecordedPositions) {
    GridProjectLayout layout;
    layout.lines.push_back(Line("SAME", {{0, 0, 0, "m"}, {10, 0, 1, "m"}}, 0.0004, 10.0004));
    layout.lines.push_back(Line("MOVED", {{0, 1, 0, "m"}, {10, 1, 1, "m"}}, 0.002, 10.002));
    layout.lines.push_back(Line("BACK", {{0, 2, 0, "m"}, {10, 2, 1, "m"}}, 10, 0));
    layout.lines.push_back(Line("BENT", {{0, 3, 0, "m"}, {5, 3, 0, "m"}, {10, 3, 0, "m"}}));
    GridLineLayout wide = Line("STEP", {{0, 4, 0, "m"}, {10, 4, 1, "m"}});
    wide.step = 0.25;
    layout.lines.push_back(wide);
    Loaded l(layout);
    ASSERT_EQ(5u, l.result.rows.size()) << l.result.errors;
    EXPECT_EQ("No", l.Cell("SAME", 9));
    EXPECT_EQ("Yes", l.Cell("MOVED", 9));
    EXPECT_EQ("RLD", l.Cell("BACK", 9));
    EXPECT_EQ("Yes", l.Cell("BENT", 9));
    // A header step other than the step in force.
    EXPECT_EQ("Yes", l.Cell("STEP", 9));
    // The row shows the step in force.
    EXPECT_EQ("0.500000", l.Cell("STEP", 8));
}

// The reload the fiducial renewal posts builds its rows from the headers the load before it read
// (their trace files as found and measured): the same rows and messages, with none of the lines'
// files looked for or read again. A row the headers do not know is read as usual.
TEST(GridRowBuilder, HeadersReadEarlierInTheOperationBuildTheSameRowsWithoutTheFiles) {
    GridProjectLayout layout;
    layout.lines.push_back(Line("SAME", {{0, 0, 0, "m"}, {10, 0, 1, "m"}}));
    layout.lines.push_back(Line("BACK", {{0, 1, 0, "m"}, {10, 1, 1, "m"}}, 10, 0));
    layout.lines.push_back(Line("SHORT", {{0, 2, 0, "m"}, {10, 2, 1, "m"}}));
    GridLineLayout gone = Line("GONE", {{0, 3, 0, "m"}, {10, 3, 1, "m"}});
    gone.writeDt1 = false;
    layout.lines.push_back(gone);
    Loaded l(layout);
    // The header of SHORT now claims more traces than its trace file holds.
    const std::string shortDt1 = l.dir.File("SHORT.dt1");
    ASSERT_EQ(0, ::truncate(shortDt1.c_str(), 1000));
    auto build = [&l](const RowHeaders *known, RecordingHooks &hooks) {
        CGridRowBuilder::SInput in;
        in.dbi = l.dbi.get();
        in.projectFolder = l.dir.Path();
        in.reportErrors = true;
        in.knownHeaders = known;
        return CGridRowBuilder::Build(in, hooks);
    };
    RecordingHooks readHooks;
    const CGridRowBuilder::SResult read = build(nullptr, readHooks);
    ASSERT_EQ(4u, read.rows.size());
    ASSERT_EQ(3u, read.headers.size());
    EXPECT_NE(std::string::npos, read.errors.find("claims")) << read.errors;

    for (const char *name : {"SAME", "BACK", "SHORT"})
        for (const char *ext : {".hd", ".dt1"})
            ASSERT_EQ(0, std::remove(l.dir.File(std::string(name) + ext).c_str()));
    RecordingHooks knownHooks;
    const CGridRowBuilder::SResult again = build(&read.headers, knownHooks);
    ASSERT_EQ(read.rows.size(), again.rows.size());
    for (size_t i = 0; i < read.rows.size(); ++i)
        for (int column = 0; column < CGridRowFormatter::COLUMN_COUNT; ++column)
            EXPECT_EQ(CGridRowFormatter::FormatCell(*read.rows[i], column, ORQ::UNIT_M),
                      CGridRowFormatter::FormatCell(*again.rows[i], column, ORQ::UNIT_M))
                << read.rows[i]->lineName << " column " << column;
    EXPECT_EQ(read.errors, again.errors);
    EXPECT_EQ(readHooks.added, knownHooks.added);
    EXPECT_EQ(readHooks.lineGps, knownHooks.lineGps);
    EXPECT_EQ(3u, again.headers.size());

    // Without the headers the same build finds the files gone.
    RecordingHooks lostHooks;
    const CGridRowBuilder::SResult lost = build(nullptr, lostHooks);
    EXPECT_NE(std::string::npos, lost.errors.find("SAME.dt1")) << lost.errors;
}

// Headers kept for the next reload serve it only while the operation that read them goes on and
// no file was written since; they are taken once.
TEST(GridRowBuilder, CarriedHeadersServeOnlyTheNextLoadOfTheSameOperationWithNothingWritten) {
    TempDir dir;
    auto headers = [] {
        RowHeaders kept;
        kept[".\\L.dt1"] = SRowHeader{std::make_shared<ORQ::Tamsel>(), "", -1};
        return kept;
    };
    CCarriedHeaders carried;
    carried.Keep(headers(), ORQ::FileReplacementsBegun());
    EXPECT_EQ(1u, carried.TakeInSameOperation().size());
    EXPECT_TRUE(carried.TakeInSameOperation().empty());

    carried.Keep(headers(), ORQ::FileReplacementsBegun());
    carried.Forget();
    EXPECT_TRUE(carried.TakeInSameOperation().empty()) << "another operation's load forgot them";

    carried.Keep(headers(), ORQ::FileReplacementsBegun());
    ASSERT_TRUE(ORQ::ReplaceFileContent(dir.File("other.GPS"), "x"));
    EXPECT_TRUE(carried.TakeInSameOperation().empty());
}

TEST(GridRowBuilder, MissingTraceFileReportsAndShowsUnknownRow) {
    GridProjectLayout layout;
    layout.lines.push_back(Line("OK", {{0, 0, 0, "m"}, {10, 0, 1, "m"}}));
    GridLineLayout gone = Line("GONE", {{0, 1, 0, "m"}, {10, 1, 1, "m"}});
    gone.writeDt1 = false;
    layout.lines.push_back(gone);
    Loaded l(layout);
    ASSERT_EQ(2u, l.result.rows.size());
    EXPECT_EQ('?', l.Row("GONE")->editFlag);
    EXPECT_EQ("No", l.Cell("GONE", 9));
    EXPECT_EQ("0", l.Cell("GONE", 15));
    EXPECT_EQ("10.000", l.Cell("GONE", 7));
    EXPECT_EQ("Error Loading " + l.dir.Path() + "/GONE.dt1\n", l.result.errors);
}

// A header whose trace count its trace file does not hold is named with both counts. One that
// claims more than the file holds bounds the line's traces by the file and loads none of its GPS
// and topography: the message says so of what the line has, and of nothing it lacks. One that
// claims fewer describes only the start of the file.
TEST(GridRowBuilder, TraceCountsTheTraceFileDoesNotHoldAreReportedWithWhatIsNotLoaded) {
    const auto cut = [](const std::string &dt1) { ASSERT_EQ(0, ::truncate(dt1.c_str(), 160)); };
    struct Case {
        const char *name;
        std::function<void(GridLineLayout &)> layout;
        std::function<void(const std::string &dt1, const std::string &hd)> damage;
        std::string said; // after "<folder>/X07.hd "; empty: nothing
        int traces;       // shown for the row
    };
    const Case cases[] = {
        {"no GPS, trace file cut", [](GridLineLayout &) {},
         [&](const std::string &dt1, const std::string &) { cut(dt1); },
         "claims 21 traces, its trace file holds 1.\n", 1},
        {"GPS file beside", [](GridLineLayout &l) { l.gpsBeside = true; },
         [&](const std::string &dt1, const std::string &) { cut(dt1); },
         "claims 21 traces, its trace file holds 1; the line's GPS is not loaded.\n", 1},
        {"GPS file attached", [](GridLineLayout &l) { l.gpsEntry = true; },
         [&](const std::string &dt1, const std::string &) { cut(dt1); },
         "claims 21 traces, its trace file holds 1; the line's GPS is not loaded.\n", 1},
        {"GPS in the trace headers", [](GridLineLayout &l) { l.gpsType = 3; },
         [&](const std::string &dt1, const std::string &) { cut(dt1); },
         "claims 21 traces, its trace file holds 1; the line's GPS is not loaded.\n", 1},
        {"topography attached", [](GridLineLayout &l) { l.ctpEntry = true; },
         [&](const std::string &dt1, const std::string &) { cut(dt1); },
         "claims 21 traces, its trace file holds 1; the line's topography is not loaded.\n", 1},
        {"GPS and topography attached",
         [](GridLineLayout &l) {
             l.gpsEntry = true;
             l.ctpEntry = true;
         },
         [&](const std::string &dt1, const std::string &) { cut(dt1); },
         "claims 21 traces, its trace file holds 1; the line's GPS and topography are not "
         "loaded.\n",
         1},
        {"header's count damaged to fewer traces, GPS file beside",
         [](GridLineLayout &l) { l.gpsBeside = true; },
         [](const std::string &, const std::string &hd) {
             ASSERT_TRUE(SetHeaderValue(hd, "NUMBER OF TRACES", "2x1"));
         },
         "claims 2 traces, its trace file holds 21.\n", 2},
        {"bytes short of a trace beyond the last", [](GridLineLayout &) {},
         [](const std::string &dt1, const std::string &) {
             WriteFile(dt1, ReadFile(dt1) + std::string(100, '\0'));
         },
         "", 21},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        GridProjectLayout layout;
        layout.lines.push_back(Line("X07", {{0, 0, 0, "m"}, {10, 0, 1, "m"}}));
        c.layout(layout.lines.back());
        WriteGridProject(dir.Path(), layout);
        c.damage(dir.File("X07.dt1"), dir.File("X07.hd"));
        ORQ::CKVDXmlFile file;
        ASSERT_EQ(1, file.Initialize(dir.File("project.kvd")));
        std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> dbi(
            static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
                ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        RecordingHooks hooks;
        CGridRowBuilder::SInput in;
        in.dbi = dbi.get();
        in.projectFolder = dir.Path();
        in.reportErrors = true;
        const auto result = CGridRowBuilder::Build(in, hooks);
        ASSERT_EQ(1u, result.rows.size()) << result.errors;
        EXPECT_EQ(c.said.empty() ? std::string() : dir.File("X07.hd") + " " + c.said,
                  result.errors);
        EXPECT_EQ(c.traces, result.rows[0]->numTraces);
    }
}

TEST(GridRowBuilder, HeaderThatFailsToLoadDoesNotTakeThePreviousRowsValues) {
    GridProjectLayout layout;
    GridLineLayout first = Line("A", {{0, 0, 0, "m"}, {10, 0, 1, "m"}});
    first.step = 0.25; // 41 traces, and a step unlike the one in force
    layout.lines.push_back(first);
    GridLineLayout bad = Line("B", {{0, 1, 0, "m"}, {10, 1, 1, "m"}});
    bad.badHd = true;
    layout.lines.push_back(bad);
    GridLineLayout none = Line("C", {{0, 2, 0, "m"}, {10, 2, 1, "m"}});
    none.writeHd = false;
    layout.lines.push_back(none);
    Loaded l(layout);
    ASSERT_EQ(3u, l.result.rows.size());
    for (const char *name : {"B", "C"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ('?', l.Row(name)->editFlag);
        EXPECT_EQ("0", l.Cell(name, 15));       // no trace count of another line
        EXPECT_EQ("0.500000", l.Cell(name, 8)); // the step in force, not line A's
        EXPECT_EQ("10.000", l.Cell(name, 7));   // lengths kept, not converted to 0
        EXPECT_EQ(ORQ::UNIT_M, l.Row(name)->unit);
    }
    // The header that is there but unreadable says why.
    EXPECT_NE(std::string::npos, l.result.errors.find("Error Loading " + l.dir.Path() +
                                                      "/B.hd\nUnable to read the "
                                                      "header " +
                                                      l.dir.Path() + "/B.hd: it holds binary data"))
        << l.result.errors;
    EXPECT_NE(std::string::npos, l.result.errors.find("Error Loading " + l.dir.Path() + "/C.hd\n"));
    // Neither row has a header to load GPS with.
    EXPECT_EQ(1u, l.hooks.lineGps.size());
}

TEST(GridRowBuilder, HeaderProblemsAreReported) {
    GridProjectLayout layout;
    GridLineLayout zero = Line("Z", {{0, 0, 0, "m"}, {10, 0, 1, "m"}});
    zero.step = 0;
    layout.lines.push_back(zero);
    Loaded l(layout);
    ASSERT_EQ(1u, l.result.rows.size());
    EXPECT_NE(std::string::npos, l.result.errors.find("Error Loading STEP SIZE from "));
}

TEST(GridRowBuilder, FeetHeadersSetTheDisplayUnitOnlyWhenReporting) {
    GridProjectLayout layout;
    GridLineLayout ft = Line("F", {{0, 0, 0, "ft"}, {10, 0, 1, "ft"}});
    ft.unit = "ft";
    layout.lines.push_back(ft);
    layout.settingsUnit = "ft";
    {
        Loaded l(layout, true);
        ASSERT_EQ(1u, l.result.rows.size());
        EXPECT_EQ(ORQ::UNIT_FT, l.result.displayUnit);
        ASSERT_EQ(1u, l.hooks.displayUnits.size());
        EXPECT_EQ(ORQ::UNIT_FT, l.hooks.displayUnits[0]);
        EXPECT_EQ(ORQ::UNIT_FT, l.result.frameUnit);
        EXPECT_EQ("10.000", l.Cell("F", 7, ORQ::UNIT_FT));
        EXPECT_EQ("3.048", l.Cell("F", 7, ORQ::UNIT_M));
    }
    {
        Loaded l(layout, false);
        EXPECT_EQ(ORQ::UNIT_M, l.result.displayUnit);
        EXPECT_TRUE(l.hooks.displayUnits.empty());
    }
}

TEST(GridRowBuilder, GpsEntryOfALineGivesOneRowWithItsLoadStatus) {
    for (int fixes : {7, 1, -1}) {
        SCOPED_TRACE(fixes);
        GridProjectLayout layout;
        GridLineLayout g = Line("G", {{0, 0, 0, "m"}, {10, 0, 1, "m"}});
        g.gpsEntry = true;
        layout.lines.push_back(g);
        Loaded l(layout, true, ORQ::UNIT_M, false, fixes);
        ASSERT_EQ(1u, l.result.rows.size());
        const SGridInfo &row = *l.result.rows[0];
        EXPECT_EQ(".\\G.dt1 (+)", row.dataFileName);
        EXPECT_EQ(".\\G.GPS", row.gpsFileName);
        // A failed read leaves status 3 until the file beside is found again (status 2).
        EXPECT_EQ(fixes >= 2 ? GFS_LOADED : fixes >= 0 ? GFS_FEW_FIXES : GFS_BESIDE, row.gpsStatus);
        ASSERT_EQ(1u, l.hooks.gpsLoads.size());
        EXPECT_EQ(l.dir.Path() + "/G.GPS", l.hooks.gpsLoads[0]);
        if (fixes < 0) {
            EXPECT_NE(std::string::npos, l.result.errors.find("Unable to open File "));
        }
    }
}

TEST(GridRowBuilder, GpsBesideTheTraceFileIsAttachedOnlyWhenTheAnswerIsYes) {
    GridProjectLayout layout;
    GridLineLayout a = Line("A", {{0, 0, 0, "m"}, {10, 0, 1, "m"}});
    a.gpsBeside = true;
    GridLineLayout b = a;
    b.name = "B";
    b.positions = {{0, 1, 0, "m"}, {10, 1, 1, "m"}};
    GridLineLayout t = Line("T", {{0, 2, 0, "m"}, {10, 2, 1, "m"}});
    t.gpsType = 3;
    layout.lines = {a, b, t};
    {
        Loaded l(layout);
        EXPECT_EQ(3, l.hooks.questions);
        EXPECT_TRUE(l.hooks.attached.empty());
        EXPECT_FALSE(l.result.gpsAttached);
        EXPECT_EQ(GFS_BESIDE, l.Row("A")->gpsStatus);
        EXPECT_EQ(GFS_IN_TRACES, l.Row("T")->gpsStatus);
    }
    {
        // Yes attaches the files beside and recovers the trace-header GPS, then attaches it.
        Loaded l(layout, true, ORQ::UNIT_M, true);
        EXPECT_TRUE(l.result.gpsAttached);
        EXPECT_EQ((std::vector<std::string>{"A", "B", "T"}), l.hooks.attached);
        EXPECT_EQ((std::vector<std::string>{"T"}), l.hooks.recovered);
    }
}

TEST(GridRowBuilder, TopographyStatusFollowsItsEntryTheFileBesideAndTheHeader) {
    GridProjectLayout layout;
    GridLineLayout entry = Line("E", {{0, 0, 0, "m"}, {10, 0, 1, "m"}});
    entry.ctpEntry = true;
    GridLineLayout beside = Line("B", {{0, 1, 0, "m"}, {10, 1, 1, "m"}});
    beside.ctpBeside = true;
    GridLineLayout header = Line("H", {{0, 2, 0, "m"}, {10, 2, 1, "m"}});
    GridLineLayout none = Line("N", {{0, 3, 0, "m"}, {10, 3, 1, "m"}});
    layout.lines = {entry, beside, header, none};
    struct Case {
        const char *name;
        int topoResult;
        int8_t entryStatus;
    } cases[] = {{"entry loads", 0, GFS_LOADED}, {"entry fails", -2, GFS_BESIDE}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteGridProject(dir.Path(), layout);
        // H's header records an elevation range: the topography lies in its trace headers.
        {
            ORQ::Tamsel hd;
            ASSERT_FALSE(hd.Load((dir.Path() + "/H.hd").c_str(), ORQ::ST_FILE));
            hd.SetElevation(10, 12, ORQ::UNIT_M);
            ASSERT_EQ(0, hd.Save("", ORQ::ST_FILE));
        }
        ORQ::CKVDXmlFile file;
        ASSERT_EQ(1, file.Initialize(dir.Path() + "/project.kvd"));
        std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> dbi(
            static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
                ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        RecordingHooks hooks;
        hooks.topoResult = c.topoResult;
        CGridRowBuilder::SInput in;
        in.dbi = dbi.get();
        in.projectFolder = dir.Path();
        const auto result = CGridRowBuilder::Build(in, hooks);
        ASSERT_EQ(4u, result.rows.size()) << result.errors;
        std::map<std::string, const SGridInfo *> rows;
        for (const auto &r : result.rows)
            rows[r->lineName] = r.get();
        // A failed entry falls back to the file beside it, as the GPS status does.
        EXPECT_EQ(c.entryStatus, rows["E"]->topoStatus);
        EXPECT_EQ(".\\E.CTP", rows["E"]->topoFileName);
        EXPECT_EQ((std::vector<std::string>{dir.Path() + "/E.CTP"}), hooks.topoLoads);
        EXPECT_EQ(GFS_BESIDE, rows["B"]->topoStatus);
        EXPECT_EQ("", rows["B"]->topoFileName);
        EXPECT_EQ(GFS_IN_TRACES, rows["H"]->topoStatus);
        EXPECT_EQ(GFS_NONE, rows["N"]->topoStatus);
        // The topography entry is no row of its own.
        EXPECT_EQ(".\\E.dt1 (+)", rows["E"]->dataFileName);
    }
}

TEST(GridRowBuilder, FiducialCommentsAreNoticed) {
    GridProjectLayout layout;
    layout.lines.push_back(Line("A", {{0, 0, 0, "m"}, {10, 0, 1, "m"}}));
    layout.lines.back().fidComment = "mark";
    Loaded l(layout);
    EXPECT_TRUE(l.result.fiducialsPresent);
}

TEST(GridRowBuilder, WindowsNamesOfAnyCaseAreFound) {
    GridProjectLayout layout;
    GridLineLayout l = Line("A", {{0, 0, 0, "m"}, {10, 0, 1, "m"}});
    l.file = "LINE01";
    l.fileNameOnDisk = "line01";
    layout.lines.push_back(l);
    Loaded loaded(layout);
    ASSERT_EQ(1u, loaded.result.rows.size());
    EXPECT_EQ("", loaded.result.errors);
    EXPECT_EQ("No", loaded.Cell("A", 9));
}

TEST(GridRowBuilder, NoQueryInterfaceBuildsNothing) {
    RecordingHooks hooks;
    CGridRowBuilder::SInput in;
    auto result = CGridRowBuilder::Build(in, hooks);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ("", result.errors);
}

TEST(GridRowBuilder, LongErrorTextsAreCutAt300Characters) {
    std::string errors(400, 'e');
    std::string cut = CGridRowBuilder::CutErrors(errors);
    EXPECT_EQ(std::string(300, 'e') + "...", cut);
    EXPECT_EQ(std::string(300, 'e'), CGridRowBuilder::CutErrors(std::string(300, 'e')));
}

TEST(GridRowBuilder, SelectionKeysIgnoreTheSeveralEntriesMarkAndCase) {
    SGridInfo a;
    a.gridName = "GRID1";
    a.dataFileName = ".\\L1.dt1 (+)";
    SGridInfo b = a;
    b.dataFileName = ".\\l1.DT1";
    EXPECT_EQ("GRID1,.\\L1.dt1", CGridRowBuilder::SelectionKey(a));
    EXPECT_TRUE(CGridRowBuilder::SameSelectionKey(CGridRowBuilder::SelectionKey(a),
                                                  CGridRowBuilder::SelectionKey(b)));
    b.gridName = "GRID2";
    EXPECT_FALSE(CGridRowBuilder::SameSelectionKey(CGridRowBuilder::SelectionKey(a),
                                                   CGridRowBuilder::SelectionKey(b)));
    // A name that begins with the mark keeps it.
    SGridInfo c;
    c.dataFileName = " (+)x";
    EXPECT_EQ(", (+)x", CGridRowBuilder::SelectionKey(c));
}

TEST(GridRowBuilder, AttachedFilesMustLieBelowTheProjectFolder) {
    EXPECT_TRUE(CGridRowBuilder::IsInFolder("/data/site/line1.GPS", "/data/site"));
    EXPECT_TRUE(CGridRowBuilder::IsInFolder("/data/site/gps/line1.GPS", "/data/site/"));
    // A folder beside the project folder whose name begins with the project folder's name.
    EXPECT_FALSE(CGridRowBuilder::IsInFolder("/data/site2/line1.GPS", "/data/site"));
    EXPECT_FALSE(CGridRowBuilder::IsInFolder("/data/Site/line1.GPS", "/data/site"));
    EXPECT_FALSE(CGridRowBuilder::IsInFolder("/data/site", "/data/site"));
    EXPECT_EQ(".\\gps\\line1.GPS",
              CGridRowBuilder::RelativeName("/data/site/gps/line1.GPS", "/data/site"));
    EXPECT_EQ(".\\line1.CTP", CGridRowBuilder::RelativeName("/data/site/line1.CTP", "/data/site/"));
}

namespace {

// The three names of the lines, in the program's code page 1252 and as a Linux disk spells them.
struct AccentedName {
    std::string text;
    std::string utf8;
};
const std::vector<AccentedName> kAccented = {{"X_L\xEDnea1", "X_L\xC3\xADnea1"},
                                             {"GR\xDCN_Y2", "GR\xC3\x9CN_Y2"},
                                             {"L\xEFne_3", "L\xC3\xAFne_3"}};

GridProjectLayout AccentedLayout(bool utf8OnDisk) {
    GridProjectLayout layout;
    for (const AccentedName &n : kAccented) {
        GridLineLayout l = Line(n.text, {{0, 0, 0, "m"}, {10, 0, 1, "m"}});
        l.fileNameOnDisk = utf8OnDisk ? n.utf8 : n.text;
        layout.lines.push_back(l);
    }
    return layout;
}

} // namespace

TEST(GridRowBuilder, WindowsNamesFindFilesNamedInUtf8OrInRawCodePage) {
    for (const bool utf8OnDisk : {true, false}) {
        SCOPED_TRACE(utf8OnDisk ? "UTF-8 names on disk" : "raw code page names on disk");
        Loaded p(AccentedLayout(utf8OnDisk), true, ORQ::UNIT_M, false, 5, true);
        EXPECT_EQ("", p.result.errors);
        ASSERT_EQ(3u, p.result.rows.size());
        EXPECT_EQ(
            p.SortedLineNames(),
            (std::vector<std::string>{kAccented[1].text, kAccented[2].text, kAccented[0].text}))
            << "the grid shows the project's names";
        for (const auto &row : p.result.rows) {
            EXPECT_EQ(21, row->numTraces) << row->lineName << ": its header was read";
            EXPECT_EQ("No", CGridRowFormatter::FormatCell(*row, 9, ORQ::UNIT_M));
        }
    }
}

TEST(GridRowBuilder, MissingAccentedFilesAreReportedAsTheDiskSpellsThem) {
    GridProjectLayout layout = AccentedLayout(true);
    layout.lines[0].fileNameOnDisk = "elsewhere";
    Loaded p(layout, true, ORQ::UNIT_M, false, 5, true);
    // The message quotes the path in UTF-8, as every other path of it.
    EXPECT_NE(
        p.result.errors.find("Error Loading " + p.dir.Path() + "/" + kAccented[0].utf8 + ".dt1"),
        std::string::npos)
        << p.result.errors;
}

TEST(GridRowBuilder, GpsFilesBesideAccentedLinesAreFoundAndRecordedInTheCodePage) {
    GridProjectLayout layout = AccentedLayout(true);
    layout.lines[1].gpsBeside = true;
    layout.lines[1].gpsEntry = true;
    Loaded p(layout, true, ORQ::UNIT_M, false, 5, true);
    ASSERT_EQ(1u, p.hooks.gpsLoads.size()) << p.result.errors;
    EXPECT_EQ(p.dir.File(kAccented[1].utf8 + ".GPS"), p.hooks.gpsLoads[0]);
    // A file chosen on disk is recorded in the project's text.
    EXPECT_EQ(".\\gps\\" + kAccented[0].text + ".GPS",
              CGridRowBuilder::RelativeName("/data/site/gps/" + kAccented[0].utf8 + ".GPS",
                                            "/data/site"));
}

namespace {

// Replaces a line's header and trace file (base + ".hd", ".dt1") as one group with a line of
// traces traces, stopped after its record as a kill would stop it: the new pair counts.
void ReplaceLineStoppedAfterRecord(const std::string &base, int traces) {
    SRadarLine radar;
    radar.traces = traces;
    radar.step = 10.0 / (traces - 1);
    radar.samples = 16;
    radar.synthetic = false;
    const std::string hd = RadarHeaderText(radar), dt1 = RadarTraceBytes(radar);
    ORQ::CFileGroupReplacement::SetStopAfter(ORQ::CFileGroupReplacement::STEP_RECORD);
    ORQ::CFileGroupReplacement group(ORQ::kLineFileExtensions);
    ORQ::CFileReplacement &h = group.Add(base + ".hd");
    ORQ::CFileReplacement &d = group.Add(base + ".dt1");
    EXPECT_TRUE(h.Open() && h.Write(hd.data(), hd.size()) && h.Finish());
    EXPECT_TRUE(d.Open() && d.Write(dt1.data(), dt1.size()) && d.Finish());
    EXPECT_FALSE(group.Commit());
    ORQ::CFileGroupReplacement::SetStopAfter(ORQ::CFileGroupReplacement::STEP_NONE);
}

// Hooks that run a step when the first line registers: after the load read its folder.
struct StepOnFirstLine : RecordingHooks {
    void AddLine(int set, int type, int line, double step, int traces,
                 const std::string &path) override {
        RecordingHooks::AddLine(set, type, line, step, traces, path);
        if (step_)
            std::exchange(step_, nullptr)();
    }
    std::function<void()> step_;
};

} // namespace

// The load reads each line folder once. A line whose replacement was left part-way is still
// read as replaced, its header and trace file together: whether the record stood before the
// load or this program wrote it during the load, after the folder was read.
TEST(GridRowBuilder, LineWithAReplacementLeftPartWayIsReadAsReplaced) {
    for (const bool duringLoad : {false, true}) {
        SCOPED_TRACE(duringLoad ? "record written during the load" : "record before the load");
        CaptureSink sink;
        TempDir dir;
        GridProjectLayout layout;
        layout.lines.push_back(Line("A", {{0, 0, 0, "m"}, {10, 0, 1, "m"}}));
        layout.lines.push_back(Line("B", {{0, 1, 0, "m"}, {10, 1, 1, "m"}}));
        const std::string path = WriteGridProject(dir.Path(), layout);
        const std::string lineB = dir.File("B");
        StepOnFirstLine hooks;
        if (duringLoad)
            hooks.step_ = [&] { ReplaceLineStoppedAfterRecord(lineB, 41); };
        else
            ReplaceLineStoppedAfterRecord(lineB, 41);

        ORQ::CKVDXmlFile file;
        ASSERT_EQ(1, file.Initialize(path));
        std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> dbi(
            static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
                ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        ASSERT_TRUE(dbi);
        CGridRowBuilder::SInput in;
        in.dbi = dbi.get();
        in.projectFolder = dir.Path();
        const CGridRowBuilder::SResult result = CGridRowBuilder::Build(in, hooks);

        EXPECT_EQ(result.errors, "");
        ASSERT_EQ(result.rows.size(), 2u);
        const SGridInfo &b = *result.rows[1];
        EXPECT_EQ(b.lineName, "B");
        EXPECT_EQ(b.numTraces, 41) << "the header of the replacement, with its trace file";
        EXPECT_FALSE(FileExists(ORQ::ReplacementRecordPath(lineB + ".hd")));
    }
}
