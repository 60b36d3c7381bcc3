#include "KVD_Edit/app/document/GpsCommands.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/TraceHeaderFields.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "Tamsel/Tamsel.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"
#include "tests/support/GridProject.h"
#include "tests/support/ProjectFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <memory>

using namespace kvdtest;
using doctest::CountText;
namespace TH = TraceHeaderField;

namespace {

// The document and its frame as the commands see them: a generated project, its query
// interface, the GPS data and the grid rows as a load builds them. The GPS question of a load
// is answered from `answer`; its Yes runs the commands for the row, as the document does.
class Project : public IGpsCommandHost, public IGridLoadHooks {
public:
    explicit Project(const GridProjectLayout &layout) {
        path = WriteGridProject(dir.Path(), layout);
        EXPECT_EQ(1, file.Initialize(path));
        gps.SetLWCDefinition(&def);
        Load();
    }

    // A reload as the frame does it: the interface as it stands, the GPS data refilled, the
    // selection kept by line name.
    void Load() {
        std::vector<std::string> keep;
        for (size_t i = 0; i < rows.size(); ++i)
            if (selected[i])
                keep.push_back(rows[i]->lineName);
        if (!dbi)
            dbi.reset(static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
                ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        gps.Clear();
        CGridRowBuilder::SInput in;
        in.dbi = dbi.get();
        in.projectFolder = dir.Path();
        loading = true;
        auto result = CGridRowBuilder::Build(in, *this);
        loading = false;
        loadErrors = result.errors;
        gpsAttached = result.gpsAttached;
        rows = std::move(result.rows);
        selected.assign(rows.size(), false);
        for (size_t i = 0; i < rows.size(); ++i)
            selected[i] = std::find(keep.begin(), keep.end(), rows[i]->lineName) != keep.end();
    }
    SGridInfo &Row(const std::string &line) {
        for (auto &r : rows)
            if (r->lineName == line)
                return *r;
        ADD_FAILURE() << "no row " << line;
        static SGridInfo none;
        return none;
    }
    void Select(const std::string &line) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i]->lineName == line)
                selected[i] = true;
    }
    std::string Xml() const {
        std::string out;
        file.GetFileHnd()->Serialize(out);
        return out;
    }
    std::string File(const std::string &name) const { return dir.File(name); }
    CGpsCommands Commands() { return CGpsCommands(*this); }

    // IGpsCommandHost
    ORQ::CKVDXmlFile *GetKvdFile() override { return &file; }
    CGPSInfo *GetGPSInfo() override { return &gps; }
    int GetNumRows() const override { return int(rows.size()); }
    SGridInfo *GetRowInfo(int row) override { return rows[row].get(); }
    bool IsRowSelected(int row) const override { return selected[row]; }
    int GetSelectedCount() const override {
        return int(std::count(selected.begin(), selected.end(), true));
    }
    void SelectAllLines() override { selected.assign(rows.size(), true); }
    bool AttachGPSOrTopoFile(const char *p, SGridInfo &row, int kind, ORQ::CStr &errors) override {
        return AttachFileToRow(&gps, p, dir.Path(), row, kind, errors);
    }
    void SetModifiedFlag() override { modified = true; }
    void UpdateKvdDataBlockPtr() override {
        EXPECT_FALSE(loading) << "the interface was rebuilt while a load walked it";
        ++rebuilds;
        dbi.reset(static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
    }
    void ReloadReportErrors() override {
        EXPECT_FALSE(loading);
        ++reloads;
        Load();
    }
    void ReloadNoErrors() override { ReloadReportErrors(); }

    // IGridLoadHooks
    void AddLine(int set, int type, int line, double step, int traces,
                 const std::string &name) override {
        CGPSDataSample().AddLine(&gps, set, type, line, step, traces, name.c_str());
    }
    int LoadGpsFile(const std::string &p, int set, int line, int traces,
                    std::string &errors) override {
        ORQ::CStr text;
        const int fixes =
            CGPSDataSample().LoadGpsFile(&gps, p.c_str(), set, line, traces, text, false);
        errors = text;
        return fixes;
    }
    int LoadTopoFile(const std::string &p, int set, int line, int traces) override {
        return CGPSDataSample().LoadTopoFile(&gps, p.c_str(), set, line, traces, false);
    }
    void LoadLineGps(const std::string &p, const ORQ::Tamsel &header, const std::string &traceFile,
                     long long traceCapacity, int set, int line, double, int traces) override {
        CGPSDataSample().LoadLineGps(&gps, p.c_str(), &header, set, line, traces, nullptr,
                                     &traceFile, traceCapacity);
    }
    bool AskImportGps() override { return answer; }
    bool AttachGps(SGridInfo &row) override {
        return Commands().AttachDataFile(DFK_GPS, false, &row);
    }
    void RecoverGps(SGridInfo &row) override { Commands().RecoverDataFile(DFK_GPS, &row, false); }
    void SetDisplayUnit(ORQ::EUnitType) override {}

    CaptureSink sink;
    TempDir dir;
    std::string path;
    ORQ::CKVDXmlFile file;
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> dbi;
    SLocalWorldDef def;
    CGPSInfo gps;
    std::vector<std::unique_ptr<SGridInfo>> rows;
    std::vector<bool> selected;
    std::string loadErrors;
    bool answer = false;
    bool loading = false;
    bool gpsAttached = false;
    bool modified = false;
    int rebuilds = 0;
    int reloads = 0;
};

GridLineLayout Line(const std::string &name, double y) {
    GridLineLayout l;
    l.name = name;
    l.positions = {{0, y, 0, "m"}, {10, y, 1, "m"}};
    return l; // 21 traces, 0.5 m apart
}

// A line that lists its GPS file as a data-file entry.
GridLineLayout WithGpsEntry(const std::string &name, double y) {
    GridLineLayout l = Line(name, y);
    l.gpsEntry = true;
    return l;
}

GridProjectLayout Layout(std::vector<GridLineLayout> lines) {
    GridProjectLayout layout;
    layout.lines = std::move(lines);
    return layout;
}

// The trace headers of a line's .dt1 (16 samples per trace, as the fixture writes them).
struct Traces {
    explicit Traces(const std::string &path) : bytes(ReadFile(path)) {}
    const char *Header(int t) const { return bytes.data() + t * (128 + 2 * 16); }
    double Longitude(int t) const { return TH::Get<double>(Header(t), TH::kLongitude); }
    double Latitude(int t) const { return TH::Get<double>(Header(t), TH::kLatitude); }
    float Topography(int t) const { return TH::Get<float>(Header(t), TH::kTopography); }
    bool Interpolated(int t) const {
        return TH::Get<int32_t>(Header(t), TH::kFlags) & TH::kInterpolated;
    }
    int Count() const { return int(bytes.size() / (128 + 2 * 16)); }
    std::string bytes;
};

ORQ::STamsel Header(const std::string &path) {
    ORQ::Tamsel hd;
    EXPECT_FALSE(hd.Load(path.c_str(), ORQ::ST_FILE)) << path;
    return hd.GetTamsel() ? *hd.GetTamsel() : ORQ::STamsel();
}

} // namespace

TEST(GpsCommands, AttachWritesTheEntryMergesTheFixesAndShowsTheRowAttached) {
    GridLineLayout l1 = Line("L1", 0);
    l1.gpsBeside = true;
    l1.gpsFixes = 3;
    l1.gpsSpacing = 5; // fixes at traces 1, 6 and 11 of 21
    GridLineLayout l2 = Line("L2", 1);
    l2.gpsBeside = true;
    Project p(Layout({l1, l2}));
    ASSERT_EQ(GFS_BESIDE, p.Row("L1").gpsStatus) << p.loadErrors;
    p.Select("L1");
    p.sink.Answer(ORQ::IDNO); // "Do you wish to include all lines?"

    EXPECT_TRUE(p.Commands().AttachDataFile(DFK_GPS, true, nullptr));
    ASSERT_GE(p.sink.Messages().size(), 1u);
    EXPECT_EQ(CGpsCommands::kIncludeAllLines, p.sink.Messages()[0].text);
    EXPECT_EQ(1u, p.sink.Messages().size()) << p.sink.AllTexts();
    EXPECT_TRUE(p.modified);
    EXPECT_EQ(1, p.rebuilds);
    EXPECT_EQ(1, p.reloads);

    // (The reload's reading adds the counts of the line's header to the new entry.)
    const std::string xml = p.Xml();
    EXPECT_NE(xml.find("<DataFile name=\"L1\" seq=\"1\" ext=\"GPS\"><FileType UID=\"GPS@@@\"/>"
                       "<FileDirPath/><Position X=\"0.000\" Y=\"0.000\" Z=\"NA\" units=\"m\" "
                       "normalized_file_pos=\"0.0\"/><Position X=\"10.000\" Y=\"0.000\" "
                       "Z=\"NA\" units=\"m\" normalized_file_pos=\"1.0\"/><Odometer "
                       "start=\"0.000\" end=\"10.000\" step=\"0.500000\" units=\"m\"/>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(1, CountText(xml, "ext=\"GPS\"")) << "No attaches only the selected line";

    const SGridInfo &row = p.Row("L1");
    EXPECT_EQ(".\\L1.dt1 (+)", row.dataFileName);
    EXPECT_EQ(GFS_LOADED, row.gpsStatus);
    EXPECT_EQ(".\\L1.GPS", row.gpsFileName);
    EXPECT_EQ(GPS_LATLONG, row.hdrGpsType);
    // The entry repeats the line's end points: the line's positions are not edited by it.
    EXPECT_EQ(SGridInfo::kUnchanged, row.editFlag);
    EXPECT_EQ(GFS_BESIDE, p.Row("L2").gpsStatus);

    // The fixes in the trace headers: interpolated between them, the last one after them.
    const Traces traces(p.File("L1.dt1"));
    ASSERT_EQ(21, traces.Count());
    for (int t = 0; t < 21; ++t) {
        SCOPED_TRACE(t + 1);
        EXPECT_NEAR(-79.3833, traces.Longitude(t), 1e-3);
        EXPECT_NEAR(43.65, traces.Latitude(t), 0.01);
        EXPECT_EQ(t > 0 && t < 10 && t != 5, traces.Interpolated(t));
    }
    EXPECT_LT(traces.Latitude(0), traces.Latitude(3));
    EXPECT_EQ(traces.Latitude(10), traces.Latitude(20));
    EXPECT_EQ(GPS_LATLONG, Header(p.File("L1.hd")).m_gpsType);
}

TEST(GpsCommands, DetachRemovesOnlyThatEntryAndLeavesTheLineFilesAlone) {
    Project p(Layout({WithGpsEntry("L1", 0), WithGpsEntry("L2", 1)}));
    ASSERT_EQ(GFS_LOADED, p.Row("L1").gpsStatus) << p.loadErrors;
    const std::string hd = ReadFile(p.File("L1.hd")), dt1 = ReadFile(p.File("L1.dt1"));
    p.Select("L1");

    p.Commands().DetachDataFile(DFK_GPS);
    EXPECT_TRUE(p.modified);
    EXPECT_EQ(1, p.reloads);
    const std::string xml = p.Xml();
    EXPECT_EQ(1, CountText(xml, "ext=\"GPS\"")) << xml;
    EXPECT_EQ(ReadFile(p.File("L1.hd")), hd);
    EXPECT_EQ(ReadFile(p.File("L1.dt1")), dt1);
    // The file itself stays beside the line, to be attached again.
    EXPECT_EQ(GFS_BESIDE, p.Row("L1").gpsStatus);
    EXPECT_EQ(".\\L1.dt1", p.Row("L1").dataFileName);
    EXPECT_TRUE(p.selected[0] || p.selected[1]) << "the selection survives the reload";
    EXPECT_TRUE(p.sink.Messages().empty()) << p.sink.AllTexts();
}

TEST(GpsCommands, FewFixesOrAFailedReadShowTheLoadersTextAndCanBeDetached) {
    GridLineLayout one = Line("ONE", 0);
    one.gpsBeside = true;
    one.gpsFixes = 1;
    GridLineLayout few = Line("FEW", 1);
    few.gpsEntry = true;
    few.gpsFixes = 1;
    Project p(Layout({one, few}));
    ASSERT_EQ(GFS_FEW_FIXES, p.Row("FEW").gpsStatus);
    const std::string before = p.Xml();

    p.Select("ONE");
    p.Select("FEW");
    EXPECT_FALSE(p.Commands().AttachDataFile(DFK_GPS, true, nullptr));
    ASSERT_EQ(1u, p.sink.Messages().size()) << p.sink.AllTexts();
    EXPECT_EQ("\nToo few defined GPS points were found in the file " + p.File("ONE.GPS"),
              p.sink.Messages()[0].text);
    EXPECT_EQ(before, p.Xml());
    EXPECT_FALSE(p.modified);

    // A file of fewer than two fixes is attached all the same: it can be detached.
    p.Commands().DetachDataFile(DFK_GPS);
    EXPECT_EQ(0, CountText(p.Xml(), "ext=\"GPS\""));
    EXPECT_TRUE(p.modified);
}

TEST(GpsCommands, EntryEditFindsLinesOutsideSetsAndMatchesNameAndExtensionTogether) {
    // The same edits find their lines by walking the project or through its line index.
    for (bool indexed : {false, true}) {
        SCOPED_TRACE(indexed ? "indexed" : "walked");
        XmlNode data = DataNode();
        XmlNode &line = data.Add("Line").Attr("name", "L1");
        AddDataFile(line, "L1", "HD+DT1", 1, {{0, 0, 0}, {5, 0, 1}});
        line.Add("DataFile").Attr("name", "OTHER").Attr("ext", "GPS");
        line.Add("DataFile").Attr("name", "L1").Attr("ext", "CTP");
        line.Add("DataFile").Attr("name", "L1").Attr("ext", "GPS");
        data.Add("LineSet").Attr("name", "GRID1").Add("Line").Attr("name", "S1");
        ProjectFixture f(ProjectText(data));
        ASSERT_TRUE(f.Loaded());
        CaptureSink sink;
        std::unique_ptr<CLineNodes> index;
        if (indexed)
            index = std::make_unique<CLineNodes>(f.File());
        auto edit = [&](const SGridInfo &row, const std::string &old, int kind, bool remove) {
            return CGpsCommands::EditLineDataFileEntry(f.File(), row, old, kind, remove,
                                                       index.get());
        };

        SGridInfo row;
        row.lineName = "l1"; // names compare without regard to case
        EXPECT_TRUE(edit(row, ".\\L1.GPS", DFK_GPS, true));
        const std::string text = f.Text();
        EXPECT_EQ(std::string::npos, text.find("name=\"L1\" ext=\"GPS\"")) << text;
        EXPECT_NE(std::string::npos, text.find("name=\"OTHER\" ext=\"GPS\""));
        EXPECT_NE(std::string::npos, text.find("name=\"L1\" ext=\"CTP\""));
        EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();

        // No entry of that name and extension: refused, nothing removed.
        EXPECT_FALSE(edit(row, ".\\L1.GPS", DFK_GPS, true));
        EXPECT_EQ(text, f.Text());
        ASSERT_EQ(1u, sink.Messages().size());
        EXPECT_EQ("Entry not found L1", sink.Messages()[0].text);

        // A set or line that is not there.
        row.gridName = "GRID2";
        EXPECT_FALSE(edit(row, "", DFK_GPS, false));
        EXPECT_EQ("Entry not found GRID1", sink.Messages().back().text);
        row.gridName = "grid1";
        EXPECT_FALSE(edit(row, "", DFK_GPS, false));
        EXPECT_EQ("Entry not found S1", sink.Messages().back().text);
        EXPECT_EQ(text, f.Text());

        // A new entry of a line in centimetres below a sub-folder, running backwards: positions in
        // metres (the project reads no other unit but feet), the odometer in the row's unit.
        row.lineName = "S1";
        row.topoFileName = ".\\sub\\deep\\S1.CTP";
        row.unit = ORQ::UNIT_CM;
        row.orientation = 3;
        row.xMin = row.xMax = 150;
        row.yMin = 0;
        row.yMax = 1000;
        row.step = 2.5;
        row.decimals = 2;
        row.reversed = true;
        EXPECT_TRUE(edit(row, "", DFK_TOPO, false));
        EXPECT_NE(f.Text().find("<Line name=\"S1\"><DataFile name=\"S1\" seq=\"1\" ext=\"CTP\">"
                                "<FileType UID=\"TOPO@@\"/><FileDirPath>sub\\deep</FileDirPath>"
                                "<Position X=\"1.500\" Y=\"10.000\" Z=\"NA\" units=\"m\" "
                                "normalized_file_pos=\"0.0\"/><Position X=\"1.500\" Y=\"0.000\" "
                                "Z=\"NA\" units=\"m\" normalized_file_pos=\"1.0\"/><Odometer "
                                "start=\"0.00\" end=\"1000.00\" step=\"2.500000\" units=\"cm\"/>"
                                "</DataFile></Line>"),
                  std::string::npos)
            << f.Text();
    }
}

TEST(GpsCommands, LineIndexTakesOnlyLinesThatStillStandWhereItFoundThem) {
    XmlNode data = DataNode();
    data.Add("Line").Attr("name", "FREE");
    XmlNode &set = data.Add("LineSet").Attr("name", "GRID1");
    set.Add("Line").Attr("name", "A");
    set.Add("Line").Attr("name", "B");
    set.Add("Line").Attr("name", "b"); // a second of the name: the first one counts
    ProjectFixture f(ProjectText(data));
    ASSERT_TRUE(f.Loaded());
    ORQ::CKVDXmlFile *file = f.File();
    const size_t handles = file->GetFileHnd()->GetHandleCount();
    {
        CLineNodes lines(file);
        ORQ::CStr name = "name";
        EXPECT_TRUE(lines.Goto("", "free"));
        EXPECT_TRUE(lines.Goto("grid1", "B"));
        EXPECT_TRUE(file->GetNodeAttribute(name));
        EXPECT_EQ("B", name);
        EXPECT_FALSE(lines.Goto("GRID1", "C"));
        EXPECT_FALSE(lines.Goto("GRID2", "A"));
        EXPECT_FALSE(lines.Goto("", "A")) << "A stands in a set, not under Data";

        // Renamed and removed since the index was made: not taken any more.
        ASSERT_TRUE(lines.Goto("GRID1", "A"));
        file->SetNodeAttribute("name", "A2");
        EXPECT_FALSE(lines.Goto("GRID1", "A"));
        ASSERT_TRUE(lines.Goto("GRID1", "B"));
        ASSERT_TRUE(file->RemoveCurrentNode());
        EXPECT_FALSE(lines.Goto("GRID1", "B"));
        // The entry edit then walks the document and finds what stands there now.
        CaptureSink sink;
        SGridInfo row;
        row.gridName = "GRID1";
        row.lineName = "A2";
        row.gpsFileName = ".\\A.GPS";
        EXPECT_TRUE(CGpsCommands::EditLineDataFileEntry(file, row, "", DFK_GPS, false, &lines));
        EXPECT_NE(f.Text().find("<Line name=\"A2\"><DataFile name=\"A\""), std::string::npos)
            << f.Text();
    }
    EXPECT_EQ(handles, file->GetFileHnd()->GetHandleCount()) << "the index released its handles";
}

TEST(GpsCommands, RecoverWritesTheFileOnceAndKeepsFilesOfAnyCase) {
    GridLineLayout t1 = Line("T1", 0);
    t1.gpsType = 3; // positions in the trace headers, no GPS file
    GridLineLayout t2 = Line("T2", 1);
    t2.gpsType = 3;
    Project p(Layout({t1, t2}));
    ASSERT_EQ(GFS_IN_TRACES, p.Row("T1").gpsStatus);
    WriteFile(p.File("t2.gps"), "hand-made\r\n");
    p.Select("T1");
    p.Select("T2");

    EXPECT_EQ(RECOVERY_WRITTEN, p.Commands().RecoverDataFile(DFK_GPS, nullptr, true));
    const std::string text = ReadFile(p.File("T1.GPS"));
    EXPECT_EQ(0u, text.rfind("Trace #1 at position 0.000000\r\n$GPGGA,000000.000,4339.19", 0))
        << text;
    EXPECT_EQ(ReadFile(p.File("t2.gps")), "hand-made\r\n");
    EXPECT_FALSE(FileExists(p.File("T2.GPS")));
    EXPECT_EQ(1, p.reloads);
    EXPECT_EQ(GFS_BESIDE, p.Row("T1").gpsStatus);

    // Nothing is left to recover: the file written stays as it is.
    EXPECT_EQ(CGpsCommands::kNothingRecovered,
              p.Commands().RecoverDataFile(DFK_GPS, nullptr, false));
    EXPECT_EQ(text, ReadFile(p.File("T1.GPS")));
    // A header without positions in its traces writes nothing.
    GridLineLayout plain = Line("P", 0);
    Project q(Layout({plain}));
    q.Select("P");
    EXPECT_EQ(CGpsCommands::kNothingRecovered,
              q.Commands().RecoverDataFile(DFK_GPS, nullptr, false));
    EXPECT_FALSE(FileExists(q.File("P.GPS")));
}

TEST(GpsCommands, GpsQuestionAnsweredYesAttachesAndRecoversDuringTheLoad) {
    GridLineLayout a = Line("A", 0);
    a.gpsBeside = true;
    GridLineLayout t = Line("T", 1);
    t.gpsType = 3;
    Project p(Layout({a, t}));
    ASSERT_EQ(0, CountText(p.Xml(), "ext=\"GPS\""));
    p.answer = true;
    p.Load(); // the load's own calls: no rebuild and no reload while it walks the interface
    EXPECT_TRUE(p.gpsAttached);
    EXPECT_EQ(0, p.rebuilds);
    EXPECT_EQ(0, p.reloads);
    EXPECT_EQ(2, CountText(p.Xml(), "ext=\"GPS\"")) << p.Xml();
    EXPECT_TRUE(FileExists(p.File("T.GPS")));
    EXPECT_TRUE(p.gps.HasGPSData());
    // The reload the load posts afterwards shows both attached.
    p.answer = false;
    p.UpdateKvdDataBlockPtr();
    p.Load();
    EXPECT_EQ(GFS_LOADED, p.Row("A").gpsStatus);
    EXPECT_EQ(GFS_LOADED, p.Row("T").gpsStatus);
}

TEST(GpsCommands, RemoveClearsPositionsAndTheHeadersGpsType) {
    GridLineLayout t = Line("T", 0);
    t.gpsType = 3;
    Project p(Layout({t}));
    ASSERT_EQ(GPS_LATLONG, p.Row("T").hdrGpsType);
    p.Select("T");
    p.Commands().MergeDataFile(DFK_GPS, nullptr, true, false);
    const Traces traces(p.File("T.dt1"));
    for (int i = 0; i < traces.Count(); ++i) {
        EXPECT_EQ(0.0, traces.Longitude(i)) << i;
        EXPECT_EQ(0.0, traces.Latitude(i)) << i;
    }
    EXPECT_EQ(GPS_NONE, Header(p.File("T.hd")).m_gpsType);
    EXPECT_EQ(1, p.reloads);
    EXPECT_EQ(0, p.Row("T").hdrGpsType);
    EXPECT_TRUE(p.sink.Messages().empty()) << p.sink.AllTexts();
}

TEST(GpsCommands, MergeThatStopsPartWayStillReloads) {
    Project p(Layout({WithGpsEntry("A", 0), WithGpsEntry("B", 1)}));
    ASSERT_EQ("A", p.rows[0]->lineName);
    p.Select("A");
    p.Select("B");
    // A's trace file went missing since the load.
    std::remove(p.File("A.dt1").c_str());
    const std::string bBefore = ReadFile(p.File("B.dt1"));
    p.Commands().MergeDataFile(DFK_GPS, nullptr, false, false);
    ASSERT_EQ(1u, p.sink.Messages().size());
    EXPECT_EQ(0u, p.sink.Messages()[0].text.rfind("Unable to load data ", 0));
    EXPECT_EQ(bBefore, ReadFile(p.File("B.dt1"))) << "the rows after the failure are left alone";
    EXPECT_EQ(1, p.reloads);
}

TEST(GpsCommands, TopographyAttachMergeRecoverAndRemove) {
    GridLineLayout l = Line("L", 0);
    l.ctpBeside = true;
    l.gpsEntry = true;
    Project p(Layout({l}));
    ASSERT_EQ(GFS_BESIDE, p.Row("L").topoStatus);
    p.Select("L");
    p.sink.Answer(ORQ::IDYES); // all lines: there is only this one

    EXPECT_TRUE(p.Commands().AttachDataFile(DFK_TOPO, true, nullptr));
    EXPECT_EQ(1, CountText(p.Xml(), "ext=\"CTP\"><FileType UID=\"TOPO@@\"/>")) << p.Xml();
    EXPECT_EQ(GFS_LOADED, p.Row("L").topoStatus);
    EXPECT_EQ(".\\L.CTP", p.Row("L").topoFileName);

    // Merge: the topography value of every trace, in the header's unit, and its range.
    p.Commands().MergeDataFile(DFK_TOPO, nullptr, false, false);
    {
        const Traces traces(p.File("L.dt1"));
        EXPECT_FLOAT_EQ(100.1f, traces.Topography(0));
        EXPECT_FLOAT_EQ(102.1f, traces.Topography(20));
        const ORQ::STamsel hd = Header(p.File("L.hd"));
        EXPECT_NEAR(102.1, hd.m_elevation.x, 1e-6);
        EXPECT_NEAR(100.1, hd.m_elevation.y, 1e-6);
    }

    // Without its file and entry, the topography in the trace headers can be recovered.
    std::remove(p.File("L.CTP").c_str());
    p.Commands().DetachDataFile(DFK_TOPO);
    ASSERT_EQ(GFS_IN_TRACES, p.Row("L").topoStatus);
    EXPECT_EQ(RECOVERY_WRITTEN, p.Commands().RecoverDataFile(DFK_TOPO, nullptr, true));
    const std::string ctp = ReadFile(p.File("L.CTP"));
    EXPECT_EQ(0u, ctp.rfind("1,100.10\r\n2,100.20\r\n", 0)) << ctp;
    EXPECT_EQ(GFS_BESIDE, p.Row("L").topoStatus);

    // The GPS elevations as topography; the positions stay where they are.
    const std::string gpsBefore = Traces(p.File("L.dt1")).bytes.substr(32, 16);
    p.Commands().MergeDataFile(DFK_TOPO, nullptr, false, true);
    {
        const Traces traces(p.File("L.dt1"));
        EXPECT_FLOAT_EQ(76.0f, traces.Topography(0));
        EXPECT_EQ(gpsBefore, traces.bytes.substr(32, 16));
        EXPECT_EQ(GPS_NONE, Header(p.File("L.hd")).m_gpsType);
    }

    // Remove: the topography values and the range go.
    p.Commands().MergeDataFile(DFK_TOPO, nullptr, true, false);
    const Traces cleared(p.File("L.dt1"));
    for (int i = 0; i < cleared.Count(); ++i)
        EXPECT_EQ(0.0f, cleared.Topography(i)) << i;
    const ORQ::STamsel hd = Header(p.File("L.hd"));
    EXPECT_EQ(0.0, hd.m_elevation.x);
    EXPECT_EQ(0.0, hd.m_elevation.y);
    EXPECT_EQ(GFS_BESIDE, p.Row("L").topoStatus);
}

TEST(GpsCommands, ImportedGpsIsEnteredReadAndWrittenForALineOutsideSets) {
    GridLineLayout l = Line("N1", 0);
    l.set = "";
    l.gpsBeside = true;
    Project p(Layout({l}));
    // The line as the import wrote it, without its GPS entry yet.
    SGridInfo row;
    row.lineName = "N1";
    row.orientation = 2;
    row.xMax = 10;
    row.step = 0.5;
    row.unit = ORQ::UNIT_M;
    row.decimals = 3;
    row.numTraces = 21;
    row.setIndex = -3;
    row.gpsFileName = ".\\N1.GPS";
    EXPECT_EQ("", AttachImportedGps(&p.file, &p.gps, row, p.File("N1.GPS"), p.File("N1.hd")));
    EXPECT_NE(p.Xml().find("<DataFile name=\"N1\" seq=\"1\" ext=\"GPS\">"), std::string::npos);
    EXPECT_EQ(GPS_LATLONG, Header(p.File("N1.hd")).m_gpsType);
    EXPECT_NEAR(43.65, Traces(p.File("N1.dt1")).Latitude(0), 0.01);
    EXPECT_TRUE(p.sink.Messages().empty()) << p.sink.AllTexts();
}
