#include "KVD3/KvdDataBlock.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "tests/support/ProjectFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

using ORQ::CKvdDataBlock_V110;
using ORQ::CStr;
using namespace kvdtest;
using CLine = CKvdDataBlock_V110::CLine;

namespace {

// Reads the "Data" block of a project text the way the query interface does.
struct Block {
    explicit Block(const std::string &text) : project(text) {
        EXPECT_TRUE(project.Loaded());
        block.SetSettingsFactory(&ORQ::CKvdDataBlockInterface::CreateSettings);
        ORQ::CKVDXmlFile *f = project.File();
        f->GotoRootNode();
        f->GotoChildNode("Data", 0);
        result = block.ReadKvdDataBlock(f, errors);
    }
    const CLine *Line(const std::string &name) const {
        for (const auto &s : block.GetSets())
            for (const auto &l : s->m_LinesByName)
                if (l->m_Name == name)
                    return l.get();
        for (const auto &l : block.GetFreeLines())
            if (l->m_Name == name)
                return l.get();
        return nullptr;
    }
    ProjectFixture project;
    CKvdDataBlock_V110 block;
    CStr errors;
    int result = 0;
};

std::string Fixture(const char *name) {
    return ReadFile(std::string(KVD_TEST_DATA_DIR) + "/kvd3data/" + name);
}

std::vector<std::string> Names(const std::vector<CLine *> &lines) {
    std::vector<std::string> out;
    for (const CLine *l : lines)
        out.push_back(l->m_Name);
    return out;
}

// One free line with one data file holding the positions.
std::string OneLine(const std::vector<Position> &positions) {
    XmlNode data = DataNode();
    AddSettings(data);
    AddDataFile(data.Add("Line").Attr("name", "L"), "L", ".dt1", 1, positions);
    return ProjectText(data);
}

} // namespace

TEST(KvdDataBlock, ReadsTheHandWrittenGrid) {
    Block b(Fixture("grid.kvd"));
    ASSERT_EQ(1, b.result);
    // The files without sample counts have no header beside them: nothing is reported.
    EXPECT_EQ("", b.errors);
    EXPECT_EQ("D:\\Surveys\\Site 7\\", b.block.GetDataDir());
    EXPECT_EQ(2u, b.block.GetSettingsBlocks().size());

    // Sets by name, letter case counting; a set without lines stays.
    const auto &sets = b.block.GetSets();
    ASSERT_EQ(3u, sets.size());
    EXPECT_EQ("A", sets[0]->m_Name);
    EXPECT_EQ("B", sets[1]->m_Name);
    EXPECT_EQ("a", sets[2]->m_Name);
    EXPECT_TRUE(sets[2]->m_LinesByName.empty());

    std::vector<std::string> byName;
    for (const auto &l : sets[0]->m_LinesByName)
        byName.push_back(l->m_Name);
    EXPECT_EQ((std::vector<std::string>{"Diag", "X10", "X5", "Y0", "Y20"}), byName);
    // Type 0 first, X lines bottom to top, Y lines left to right.
    EXPECT_EQ((std::vector<std::string>{"Diag", "X5", "X10", "Y0", "Y20"}),
              Names(sets[0]->m_LinesByType));

    // Free lines keep document order (the first stood before every set).
    ASSERT_EQ(2u, b.block.GetFreeLines().size());
    EXPECT_EQ("FREE2", b.block.GetFreeLines()[0]->m_Name);
    EXPECT_EQ("FREE1", b.block.GetFreeLines()[1]->m_Name);
    EXPECT_EQ((std::vector<std::string>{"FREE1", "FREE2"}), Names(b.block.GetFreeLinesByType()));
}

TEST(KvdDataBlock, OrientationExtentsAndEditFlagPerLine) {
    Block b(Fixture("grid.kvd"));
    struct Expect {
        const char *name;
        ELineType type;
        double xmin, xmax, ymin, ymax, total;
        char flag;
    };
    const Expect expected[] = {
        {"FREE2", LT_YLINE, 5, 5, 0, 8, 2, 'N'},     {"B1", LT_XLINE, 0, 30, 10, 10, 2, 'R'},
        {"Y20", LT_YLINE, 20, 20, 0, 10, 2, 'N'},    {"X10", LT_XLINE, 0, 30, 10, 10.005, 2, 'N'},
        {"Diag", LT_NONE, 0, 30, 10, 10.02, 2, 'N'}, {"X5", LT_XLINE, 0, 40, 5, 5, 3, 'Y'},
        {"Y0", LT_YLINE, 0, 0.03, 0, 10, 2, 'N'},    {"FREE1", LT_XLINE, 0, 12, 1, 1, 4, 'Y'},
    };
    for (const Expect &e : expected) {
        const CLine *l = b.Line(e.name);
        ASSERT_TRUE(l) << e.name;
        EXPECT_EQ(e.type, l->m_LineType) << e.name;
        EXPECT_DOUBLE_EQ(e.xmin, l->m_XMin) << e.name;
        EXPECT_DOUBLE_EQ(e.xmax, l->m_XMax) << e.name;
        EXPECT_DOUBLE_EQ(e.ymin, l->m_YMin) << e.name;
        EXPECT_DOUBLE_EQ(e.ymax, l->m_YMax) << e.name;
        EXPECT_DOUBLE_EQ(e.total, l->m_TotalPositions) << e.name;
        EXPECT_EQ(e.flag, l->m_EditFlag) << e.name;
    }
}

TEST(KvdDataBlock, MergesHdAndDt1AndSortsFiducialsInMetres) {
    Block b(Fixture("grid.kvd"));
    const CLine *x10 = b.Line("X10");
    ASSERT_TRUE(x10);
    ASSERT_EQ(1u, x10->m_Extensions.size()); // the emptied ".hd" list is gone
    EXPECT_EQ("HD+DT1", x10->m_Extensions[0]->m_Name);
    ASSERT_EQ(1, x10->FileCount());
    const auto *f = x10->GetFile(0);
    EXPECT_EQ("HD+DT1", f->m_Extension);
    EXPECT_EQ(ORQ::Str2UID("COR@@@"), f->m_FileTypeUID);
    EXPECT_EQ(301u, f->m_Dim2);
    ASSERT_EQ(2u, f->m_FidComments.size());
    EXPECT_EQ("first", f->m_FidComments[0].text);
    EXPECT_DOUBLE_EQ(3.048, f->m_FidComments[0].ododist);
    EXPECT_EQ('N', f->m_FidComments[0].fileflag);
    EXPECT_DOUBLE_EQ(6.096, f->m_FidComments[1].ododist);

    // Positions come back ascending along the file.
    const auto *x5 = b.Line("X5")->GetFile(0);
    EXPECT_DOUBLE_EQ(0, x5->m_Positions[0].X);
    EXPECT_DOUBLE_EQ(40, x5->m_Positions[2].X);
    EXPECT_EQ(ORQ::UNIT_M, x5->m_Positions[0].units);
    EXPECT_EQ(ORQ::UNIT_FT, b.Line("Y0")->GetFile(0)->m_Positions[1].units);

    // A gap in "seq" leaves an empty place that no count sees.
    const CLine *free1 = b.Line("FREE1");
    ASSERT_EQ(3u, free1->m_Extensions[0]->PlaceCount());
    EXPECT_FALSE(free1->m_Extensions[0]->FileAtPlace(1));
    EXPECT_TRUE(free1->m_Extensions[0]->FileAtPlace(2));
    EXPECT_EQ(2, free1->FileCount());
    EXPECT_EQ("FREE1B", free1->GetFile(0)->m_Name);
    EXPECT_EQ("FREE1", free1->GetFile(1)->m_Name);
    EXPECT_EQ(nullptr, free1->GetFile(2));
}

TEST(KvdDataBlock, SettingsInForceIncludingLineSetLevel) {
    Block b(Fixture("grid.kvd"));
    // Lines of set A use the set's own settings; the others the block-wide ones.
    EXPECT_DOUBLE_EQ(0.1, b.Line("Y20")->GetFile(0)->m_pSettings->m_StepSize.Value());
    EXPECT_DOUBLE_EQ(0.05, b.Line("B1")->GetFile(0)->m_pSettings->m_StepSize.Value());
    EXPECT_DOUBLE_EQ(0.05, b.Line("FREE1")->GetFile(0)->m_pSettings->m_StepSize.Value());

    // Line and file settings nest inside; a broken line block falls back with a warning.
    XmlNode data = DataNode();
    AddSettings(data);
    XmlNode &line = data.Add("Line").Attr("name", "L1");
    SettingsSpec lineSpec;
    lineSpec.step = 0.2;
    AddSettings(line, lineSpec);
    AddDataFile(line, "F1", ".dt1", 1, {{0, 0, 0}, {0, 5, 1}});
    XmlNode &own = AddDataFile(line, "F2", ".dt1", 2, {{0, 5, 0}, {0, 9, 1}});
    SettingsSpec fileSpec;
    fileSpec.step = 0.3;
    AddSettings(own, fileSpec);
    AddDataFile(line, "F3", ".dt1", 3, {{0, 9, 0}, {0, 12, 1}});
    XmlNode &broken = data.Add("Line").Attr("name", "L2");
    SettingsSpec bad;
    bad.omit = {"Pulse"};
    AddSettings(broken, bad);
    AddDataFile(broken, "G1", ".dt1", 1, {{1, 0, 0}, {1, 5, 1}});
    Block nested(ProjectText(data));
    EXPECT_EQ(1, nested.result);
    EXPECT_EQ("\nError: Missing element in <Settings> block: <Pulse>"
              "\nWarning: <Settings> could not be correctly loaded.",
              nested.errors);
    const CLine *l1 = nested.Line("L1");
    EXPECT_DOUBLE_EQ(0.2, l1->GetFile(0)->m_pSettings->m_StepSize.Value());
    EXPECT_DOUBLE_EQ(0.3, l1->GetFile(1)->m_pSettings->m_StepSize.Value());
    EXPECT_DOUBLE_EQ(0.2, l1->GetFile(2)->m_pSettings->m_StepSize.Value());
    EXPECT_DOUBLE_EQ(0.05, nested.Line("L2")->GetFile(0)->m_pSettings->m_StepSize.Value());
    // Three files over one Y line in three parts.
    EXPECT_EQ(LT_YLINE, l1->m_LineType);
    EXPECT_DOUBLE_EQ(12, l1->m_YMax);
}

TEST(KvdDataBlock, FileOwnSettingsProblemsComeBeforeTheFileProblems) {
    // The settings in force for a file are read before the file; their problems say so first,
    // wherever the element stands among the file's children.
    XmlNode data = DataNode();
    AddSettings(data);
    XmlNode &file =
        AddDataFile(data.Add("Line").Attr("name", "L1"), "F1", ".dt1", 1, {{0, 0, 0}, {0, 5, 1}});
    file.Add("FIDComment").Attr("ododist", 1.0).Text("mark");
    SettingsSpec bad;
    bad.omit = {"Pulse"};
    AddSettings(file, bad);
    Block b(ProjectText(data));
    EXPECT_EQ(1, b.result);
    EXPECT_EQ("\nError: Missing element in <Settings> block: <Pulse>"
              "\nWarning: <Settings> could not be correctly loaded."
              "\nWarning: <FIDComment> without \"units\" in file F1: metres assumed.",
              b.errors);
    EXPECT_DOUBLE_EQ(0.05, b.Line("L1")->GetFile(0)->m_pSettings->m_StepSize.Value());
}

TEST(KvdDataBlock, LineTypeOfSeveralFilesUsesFirstXAndFirstY) {
    // An X line split into two files: the second file's X values must not be compared with
    // the first Y (nor its Y values missed).
    XmlNode data = DataNode();
    AddSettings(data);
    XmlNode &line = data.Add("Line").Attr("name", "X");
    AddDataFile(line, "X_1", ".dt1", 1, {{0, 10, 0}, {10, 10, 1}});
    AddDataFile(line, "X_2", ".dt1", 2, {{10, 10, 0}, {20, 10.004, 1}});
    XmlNode &bent = data.Add("Line").Attr("name", "Bent");
    AddDataFile(bent, "B_1", ".dt1", 1, {{0, 10, 0}, {10, 10, 1}});
    AddDataFile(bent, "B_2", ".dt1", 2, {{10, 10, 0}, {20, 14, 1}});
    XmlNode &y = data.Add("Line").Attr("name", "Y");
    AddDataFile(y, "Y_1", ".dt1", 1, {{10, 0, 0}, {10, 10, 1}});
    AddDataFile(y, "Y_2", ".dt1", 2, {{10.005, 10, 0}, {10, 20, 1}});
    Block b(ProjectText(data));
    EXPECT_EQ(LT_XLINE, b.Line("X")->m_LineType);
    EXPECT_EQ(LT_NONE, b.Line("Bent")->m_LineType);
    EXPECT_EQ(LT_YLINE, b.Line("Y")->m_LineType);
    EXPECT_EQ('Y', b.Line("X")->m_EditFlag);
}

TEST(KvdDataBlock, ToleranceEdges) {
    EXPECT_EQ(LT_XLINE, Block(OneLine({{0, 10, 0}, {30, 10.005, 1}})).Line("L")->m_LineType);
    EXPECT_EQ(LT_NONE, Block(OneLine({{0, 10, 0}, {30, 10.02, 1}})).Line("L")->m_LineType);
    EXPECT_EQ(LT_YLINE, Block(OneLine({{0, 5, 0}, {0, 50, 1}})).Line("L")->m_LineType);
    // Feet: the 0.01 m tolerance is about 0.0328 ft.
    EXPECT_EQ(LT_YLINE,
              Block(OneLine({{0, 0, 0, "ft"}, {0.03, 9, 1, "ft"}})).Line("L")->m_LineType);
    EXPECT_NE(LT_YLINE,
              Block(OneLine({{0, 0, 0, "ft"}, {0.033, 9, 1, "ft"}})).Line("L")->m_LineType);
    // An upper-case "M" means metres as well.
    EXPECT_NE(LT_YLINE, Block(OneLine({{0, 0, 0, "M"}, {0.03, 9, 1, "M"}})).Line("L")->m_LineType);

    CKvdDataBlock_V110 block;
    EXPECT_TRUE(block.CheckStepSizeTolerance(1.0, 1.03, ORQ::UNIT_FT));
    EXPECT_FALSE(block.CheckStepSizeTolerance(1.0, 1.04, ORQ::UNIT_FT));
    EXPECT_TRUE(block.CheckStepSizeTolerance(2.0, 2.0, ORQ::UNIT_M));
    block.SetStepSizeTolerance(0.1);
    EXPECT_TRUE(block.CheckStepSizeTolerance(1.0, 1.04, ORQ::UNIT_FT));
}

TEST(KvdDataBlock, LinearReferencesKeepTheirPairs) {
    Block b(Fixture("grid.kvd"));
    const CLine *y0 = b.Line("Y0");
    ASSERT_TRUE(y0->m_pConverter);
    ASSERT_EQ(3u, y0->m_LinearRefs.size());
    EXPECT_DOUBLE_EQ(0, y0->m_LinearRefs[0].ododist);
    EXPECT_DOUBLE_EQ(10, y0->m_LinearRefs[1].ododist);
    EXPECT_DOUBLE_EQ(20, y0->m_LinearRefs[1].refdist);
    const auto &points = y0->m_pConverter->GetRef2OdoTable().GetPoints();
    ASSERT_EQ(3u, points.size());
    EXPECT_DOUBLE_EQ(20, points[1].first);
    EXPECT_DOUBLE_EQ(10, points[1].second);
    EXPECT_DOUBLE_EQ(20, points[2].second);
    EXPECT_FALSE(b.Line("X10")->m_pConverter);

    // Pairs stay together when the odometer order differs from the reference order; such a
    // table is reported.
    XmlNode data = DataNode();
    AddSettings(data);
    XmlNode &line = data.Add("Line").Attr("name", "L");
    line.Add("LinearRef")
        .Attr("ododist", "0")
        .Attr("refdist", "0")
        .Attr("reflateral", "0")
        .Attr("units", "m");
    line.Add("LinearRef")
        .Attr("ododist", "10")
        .Attr("refdist", "5")
        .Attr("reflateral", "0")
        .Attr("units", "m");
    line.Add("LinearRef")
        .Attr("ododist", "5")
        .Attr("refdist", "10")
        .Attr("reflateral", "0")
        .Attr("units", "m");
    AddDataFile(line, "L", ".dt1", 1, {{0, 0, 0}, {0, 9, 1}});
    Block odd(ProjectText(data));
    EXPECT_NE(std::string::npos, odd.errors.find("\nWarning: The linear references of line L"));
    const auto &p = odd.Line("L")->m_pConverter->GetRef2OdoTable().GetPoints();
    EXPECT_DOUBLE_EQ(5, p[1].first);
    EXPECT_DOUBLE_EQ(10, p[1].second);
    EXPECT_DOUBLE_EQ(10, p[2].first);
    EXPECT_DOUBLE_EQ(5, p[2].second);
}

TEST(KvdDataBlock, SampleCountsComeFromTheHeaderOnlyWhenItLoads) {
    XmlNode data = DataNode();
    AddSettings(data);
    XmlNode &line = data.Add("Line").Attr("name", "Line01");
    XmlNode &f1 = line.Add("DataFile").Attr("name", "Line01").Attr("ext", ".dt1").Attr("seq", "1");
    f1.Add("FileDirPath").Text("LINES");
    f1.Add("Odometer").Attr("start", "0").Attr("end", "5").Attr("step", "0.05").Attr("units", "m");
    XmlNode &f2 = line.Add("DataFile").Attr("name", "Missing").Attr("ext", ".dt1").Attr("seq", "2");
    f2.Add("Odometer").Attr("start", "0").Attr("end", "5").Attr("step", "0.05").Attr("units", "m");
    XmlNode &f3 = line.Add("DataFile").Attr("name", "Line01").Attr("ext", ".hd").Attr("seq", "3");
    f3.Add("DataSampleCnt").Attr("dim0", "NA").Attr("dim1", "NA").Attr("dim2", "NA");
    f3.Add("FileDirPath").Text("LINES");
    f3.Add("Odometer").Attr("start", "0").Attr("end", "5").Attr("step", "0.05").Attr("units", "m");

    const std::string text = ProjectText(data);
    TempDir dir;
    // Stored as "LINES\Line01", on disk in another letter case.
    std::filesystem::create_directories(dir.File("lines"));
    WriteHeader(dir.File("lines/LINE01.HD"));
    WriteFile(dir.File("p.kvd"), text);
    ORQ::CKVDXmlFile file;
    ASSERT_EQ(1, file.Initialize(dir.File("p.kvd")));
    file.GotoRootNode();
    file.GotoChildNode("Data", 0);
    CKvdDataBlock_V110 block;
    block.SetSettingsFactory(&ORQ::CKvdDataBlockInterface::CreateSettings);
    CStr errors;
    ASSERT_EQ(1, block.ReadKvdDataBlock(&file, errors));
    EXPECT_EQ("", errors);

    const CLine &l = *block.GetFreeLines()[0];
    const auto *read = l.GetFile(0);
    EXPECT_EQ("LINES", read->m_FileDirPath);
    EXPECT_EQ(2u, read->m_Dim0);
    EXPECT_EQ(512u, read->m_Dim1);
    EXPECT_EQ(100u, read->m_Dim2);
    const auto *missing = l.GetFile(1);
    EXPECT_EQ(0xFFFFFFFFu, missing->m_Dim1);
    EXPECT_EQ(0xFFFFFFFFu, missing->m_Dim2);
    const auto *na = l.GetFile(2);
    EXPECT_EQ(0u, na->m_Dim0);
    EXPECT_EQ(0u, na->m_Dim2);

    std::string doc;
    file.GetFileHnd()->Serialize(doc);
    EXPECT_NE(
        std::string::npos,
        doc.find("<FileDirPath>LINES</FileDirPath><Odometer start=\"0\" end=\"5\" step=\"0.05\" "
                 "units=\"m\"/><DataSampleCnt dim0=\"2\" dim1=\"512\" dim2=\"100\" dim3=\"NA\"/>"))
        << doc;
    // Only the file whose header loaded gained the element.
    size_t count = 0;
    for (size_t at = doc.find("<DataSampleCnt"); at != std::string::npos;
         at = doc.find("<DataSampleCnt", at + 1))
        ++count;
    EXPECT_EQ(2u, count);
    EXPECT_EQ(std::string::npos, doc.find("\"-1\""));
    // Loading writes nothing to disk.
    EXPECT_EQ(text, ReadFile(dir.File("p.kvd")));
}

TEST(KvdDataBlock, BadInputOpensWhatCanBeOpened) {
    XmlNode data = DataNode();
    // No block-wide settings: only the second set carries some.
    XmlNode &noSettings = data.Add("LineSet").Attr("name", "S0");
    AddDataFile(noSettings.Add("Line").Attr("name", "N1"), "N1", ".dt1", 1, {{0, 0, 0}, {0, 5, 1}});
    XmlNode &set = data.Add("LineSet").Attr("name", "S1");
    AddSettings(set);
    XmlNode &dup = set.Add("Line").Attr("name", "Dup");
    AddDataFile(dup, "D1", ".dt1", 1, {{0, 0, 0}, {0, 5, 1}});
    AddDataFile(dup, "D2", ".dt1", 1, {{0, 5, 0}, {0, 9, 1}});
    AddDataFile(dup, "D3", ".dt1", -1, {{0, 9, 0}, {0, 12, 1}});
    AddDataFile(dup, "D4", ".dt1", 0, {{0, 9, 0}, {0, 12, 1}});
    XmlNode &odd = set.Add("Line"); // no name
    XmlNode &f = odd.Add("DataFile").Attr("name", "Odd").Attr("ext", ".dt1").Attr("seq", "1");
    f.Add("Position").Attr("X", "abc").Attr("Y", "1e999").Attr("normalized_file_pos", "0");
    f.Add("Position")
        .Attr("X", "12")
        .Attr("Y", "0")
        .Attr("normalized_file_pos", "1")
        .Attr("units", "m");
    f.Add("FIDComment").Attr("ododist", "2").Text("no units");
    XmlNode &empty = set.Add("Line").Attr("name", "Empty");
    XmlNode &e = empty.Add("DataFile").Attr("name", "E").Attr("ext", ".dt1").Attr("seq", "2");
    e.Add("Odometer")
        .Attr("start", "0")
        .Attr("end", "3")
        .Attr("step", "0.1")
        .Attr("units", "parsecs");
    set.Add("Line").Attr("name", "NoFiles");

    CaptureSink sink;
    ProjectFixture project(ProjectText(data));
    const std::string before = ReadFile(project.Path());
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> q(
        static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(project.File(), 1, nullptr)));
    ASSERT_TRUE(q);
    ASSERT_EQ(1u, sink.Messages().size());
    const std::string &text = sink.Messages()[0].text;
    for (const char *expected :
         {"\nError: Cannot find corresponding settings for file N1",
          "\nError: Invalid file sequence in line: Dup\nError: Invalid file sequence in line: Dup"
          "\nError: Invalid file sequence in line: Dup",
          "\nWarning: <Position> without \"units\" in file Odd: metres assumed.",
          "\nWarning: <FIDComment> without \"units\" in file Odd: metres assumed.",
          "\nError: Missing element: <Odometer>",
          "\nWarning: Unknown units \"parsecs\" in <Odometer> of file E: metres assumed."}) {
        EXPECT_NE(std::string::npos, text.find(expected)) << expected << "\n---\n" << text;
    }
    EXPECT_EQ(before, ReadFile(project.Path()));

    // Set S1: Dup keeps its first file; the nameless line reads as "name".
    EXPECT_EQ(4, q->GetNumLines(1, LT_ANY));
    EXPECT_EQ(1, q->GetNumLines(0, LT_ANY));
    EXPECT_EQ(0, q->GetFileCount(0, 0, LT_ANY, 2));
    ORQ::CKvdDataBlockInterface::SLineInfo info;
    std::vector<std::string> names;
    for (int n = 0; q->GetLineInfo(&info, n, LT_ANY, 1, 2) == 1; ++n) {
        names.push_back(info.name);
        EXPECT_TRUE(std::isfinite(info.xMax) && std::isfinite(info.yMax));
    }
    EXPECT_EQ((std::vector<std::string>{"Dup", "Empty", "NoFiles", "name"}), names);
    EXPECT_EQ(1, q->GetFileCount(0, 1, LT_ANY, 2));
    // Lines without positions: no direction, no extent.
    for (int n : {1, 2}) {
        ASSERT_EQ(1, q->GetLineInfo(&info, n, LT_ANY, 1, 2));
        EXPECT_EQ(LT_NONE, info.lineType);
        EXPECT_EQ(0.0, info.xMin);
        EXPECT_EQ(0.0, info.yMax);
        EXPECT_EQ(0.0, info.numPositions);
    }
    ORQ::CKvdDataBlockInterface::SFileInfo file;
    ASSERT_EQ(1, q->GetFileInfo(&file, 0, 1, LT_ANY, 1, 2));
    EXPECT_EQ(0, file.numPositions);
    EXPECT_EQ(nullptr, file.positions);
    EXPECT_DOUBLE_EQ(3, file.odoEnd);
    ASSERT_EQ(1, q->GetFileInfo(&file, 0, 3, LT_ANY, 1, 2));
    EXPECT_EQ(ORQ::UNIT_M, file.positions[0].units);
    EXPECT_EQ(0.0, file.positions[0].X);
    EXPECT_EQ(0.0, file.positions[0].Y);
    ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
    ASSERT_TRUE(q->GetFidComment(&fid, 1, 3, 0, 0, LT_ANY, 2));
    EXPECT_DOUBLE_EQ(2, fid.ododist);
}

TEST(KvdDataBlock, MergesEveryPartOfAMultiFileLineInEitherOrder) {
    XmlNode data = DataNode();
    AddSettings(data);
    XmlNode &line = data.Add("Line").Attr("name", "L");
    // Headers first for part 1, traces first for part 2; part 3 has a trace file only.
    AddDataFile(line, "L_1", ".hd", 1, {{0, 0, 0}, {10, 0, 1}});
    AddDataFile(line, "L_1", ".dt1", 1, {{0, 0, 0}, {10, 0, 1}});
    AddDataFile(line, "L_2", ".DT1", 2, {{10, 0, 0}, {20, 0, 1}});
    AddDataFile(line, "L_2", ".HD", 2, {{10, 0, 0}, {20, 0, 1}});
    AddDataFile(line, "L_3", ".dt1", 3, {{20, 0, 0}, {30, 0, 1}});
    Block b(ProjectText(data));
    EXPECT_EQ("", b.errors);
    const CLine *l = b.Line("L");
    ASSERT_EQ(2u, l->m_Extensions.size());
    EXPECT_EQ("HD+DT1", l->m_Extensions[0]->m_Name);
    EXPECT_EQ(2, l->m_Extensions[0]->FileCount());
    EXPECT_EQ("L_2", l->m_Extensions[0]->GetFile(1)->m_Name);
    EXPECT_EQ(".DT1", l->m_Extensions[1]->m_Name); // the name it first appeared with
    EXPECT_EQ("L_3", l->GetFile(2)->m_Name);
    EXPECT_EQ(LT_XLINE, l->m_LineType);
    EXPECT_DOUBLE_EQ(30, l->m_XMax);
}

// A "seq" near the top of the int range (a damaged file) costs one entry, not a list of two
// thousand million places; the file keeps its place and merges with its partner there.
TEST(KvdDataBlock, AHugeSequenceNumberKeepsItsPlaceWithoutAListOfThatLength) {
    XmlNode data = DataNode();
    AddSettings(data);
    XmlNode &line = data.Add("Line").Attr("name", "L");
    AddDataFile(line, "BIG", ".dt1", 2147483647, {{0, 0, 0}, {10, 0, 1}});
    AddDataFile(line, "SMALL", ".dt1", 1, {{10, 0, 0}, {20, 0, 1}});
    AddDataFile(line, "BIG", ".hd", 2147483647, {{0, 0, 0}, {10, 0, 1}});
    Block b(ProjectText(data));
    EXPECT_EQ("", b.errors);
    const CLine *l = b.Line("L");
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(2u, l->m_Extensions.size());
    EXPECT_EQ(".dt1", l->m_Extensions[0]->m_Name);
    EXPECT_EQ(1u, l->m_Extensions[0]->PlaceCount());
    EXPECT_EQ("SMALL", l->m_Extensions[0]->GetFile(0)->m_Name);
    EXPECT_EQ("HD+DT1", l->m_Extensions[1]->m_Name);
    EXPECT_EQ(2147483647u, l->m_Extensions[1]->PlaceCount());
    EXPECT_EQ(1, l->m_Extensions[1]->FileCount());
    EXPECT_EQ("BIG", l->m_Extensions[1]->FileAtPlace(2147483646)->m_Name);
    EXPECT_EQ(2, l->FileCount());
    EXPECT_DOUBLE_EQ(20, l->m_XMax);
}
