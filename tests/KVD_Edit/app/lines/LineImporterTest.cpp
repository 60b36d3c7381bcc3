#include "KVD_Edit/app/lines/LineImporter.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "KVD3/KvdSettingsBlock.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/lines/ImportDlgLogic.h"
#include "KVD_Edit/app/lines/ImportText.h"
#include "tests/KVD_Edit/app/lines/ImportTestSupport.h"
#include "tests/support/OutsideXml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using importtest::Count;
using importtest::Project;

namespace {

// Answers the file dialog with paths and the import dialog by running its OK checks on what a
// user typed.
class FakeHost : public IImportHost {
public:
    bool ChooseFiles(const std::string &folder, const std::string &filter,
                     std::vector<std::string> &out, int &filterIndex) override {
        initialFolder = folder;
        filterText = filter;
        out = paths;
        filterIndex = filter_;
        return chooseOk;
    }
    bool RunImportDialog(int setsSupported, ImportLineType &record, int preselect) override {
        dialogRuns++;
        seenSets = setsSupported;
        seenPreselect = preselect;
        seen = record;
        if (!dialogOk)
            return false;
        ImportDlgLogic::SDialogInput in = input;
        if (in.selectedType == ImportLineType::kNone)
            in.selectedType = ImportDlgLogic::PreselectedType(preselect);
        return ImportDlgLogic::Accept(setsSupported, in, record);
    }
    void ClearAutoImport() override { autoImportCleared = true; }
    std::string AttachGps(const SImportedLine &line, const std::string &gpsPath) override {
        attached.push_back(line.lineName + "|" + gpsPath);
        return std::string();
    }

    std::vector<std::string> paths;
    int filter_ = 2; // X lines
    bool chooseOk = true;
    bool dialogOk = true;
    ImportDlgLogic::SDialogInput input;
    int dialogRuns = 0;
    int seenSets = -1;
    int seenPreselect = -9;
    ImportLineType seen;
    bool autoImportCleared = false;
    std::vector<std::string> attached;
    std::string initialFolder, filterText;
};

FakeHost GridHost(const std::string &grid, const std::string &spacing) {
    FakeHost host;
    host.input.gridText = grid;
    host.input.spacingText = spacing;
    host.input.offsetXText = "0";
    host.input.offsetYText = "0";
    return host;
}

// The settings in force for the data file named name, as the project reader finds them.
const ORQ::CKvdSettingsBlock_V110 *SettingsOf(ORQ::CKvdDataBlockInterface *db,
                                              const std::string &name) {
    auto *v = dynamic_cast<ORQ::CKvdDataBlockInterface_V110 *>(db);
    for (int i = 0;; ++i) {
        ORQ::CKvdDataBlockInterface::SFileInfo info;
        if (v->GetFileInfo(&info, i, -1, LT_ANY, -1, 2) != 1)
            return nullptr;
        if (info.path == name || info.path.find("\\" + name) != std::string::npos)
            return info.settings;
    }
}

TEST(LineImport, WritesNumberedLinesIntoANewSet) {
    Project p;
    ASSERT_TRUE(p.Loaded());
    FakeHost host = GridHost(" g1 ", "0.5");
    host.paths = {p.AddLine("LINE2"), p.AddLine("line10"), p.AddLine("Line1")};
    kvdtest::CaptureSink sink;
    SImportMemory memory;

    CLineImporter importer(p.File(), p.Path());
    ASSERT_TRUE(importer.Import(host, memory)) << sink.AllTexts();
    EXPECT_EQ(host.initialFolder, p.Folder());
    EXPECT_EQ(host.filterText, "1- X & Y Line files|*x*.dt1;*y*.dt1|2- X Line files|*x*.dt1|"
                               "3- Y Line files|*y*.dt1|4- All Files|*.dt1||");
    EXPECT_EQ(host.seenSets, 1);
    EXPECT_EQ(host.seenPreselect, 1);
    EXPECT_EQ(host.seen.lineType, ImportLineType::kNone) << "no upper-case X or Y in the names";
    EXPECT_TRUE(host.autoImportCleared);
    EXPECT_EQ(memory.spacing, 0.5);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();

    const std::string xml = p.Text();
    EXPECT_NE(xml.find("<Data version=\"1.2.0\">"), std::string::npos);
    const size_t set = xml.find("<LineSet name=\"G1\">");
    ASSERT_NE(set, std::string::npos) << xml;
    const size_t l1 = xml.find("<Line name=\"Line1\">"), l10 = xml.find("<Line name=\"line10\">"),
                 l2 = xml.find("<Line name=\"LINE2\">");
    ASSERT_NE(l1, std::string::npos);
    EXPECT_TRUE(set < l1 && l1 < l10 && l10 < l2) << xml;

    EXPECT_NE(xml.find("<Line name=\"Line1\"><DataFile name=\"Line1\" seq=\"1\" ext=\"HD+DT1\">"
                       "<FileType UID=\"COR@@@\"/><FileDirPath/>"
                       "<Position X=\"0.000\" Y=\"0.500\" Z=\"0.00\" units=\"m\" "
                       "normalized_file_pos=\"0.0\"/>"
                       "<Position X=\"5.000\" Y=\"0.500\" Z=\"0.00\" units=\"m\" "
                       "normalized_file_pos=\"1.0\"/>"
                       "<Odometer start=\"0.000\" end=\"5.000\" step=\"0.050\" units=\"m\"/>"
                       "</DataFile></Line>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<Position X=\"0.000\" Y=\"5.000\""), std::string::npos);
    EXPECT_NE(xml.find("<Position X=\"0.000\" Y=\"1.000\""), std::string::npos);
    // The first lines of a project give the data block its settings; the lines inherit them.
    EXPECT_EQ(Count(xml, "<Settings"), 1);
    EXPECT_LT(xml.find("<Settings"), set);
    EXPECT_NE(xml.find("<NominalFrequency"), std::string::npos) << xml;

    std::unique_ptr<ORQ::CKvdDataBlockInterface> db(
        ORQ::CKvdDataBlockInterface::CreateAndInit(p.File(), 0, nullptr));
    ASSERT_TRUE(db);
    const ORQ::CKvdSettingsBlock_V110 *s = SettingsOf(db.get(), "Line1");
    ASSERT_TRUE(s);
    EXPECT_DOUBLE_EQ(s->m_NominalFrequency, 250);
    EXPECT_EQ(importer.WrittenLines(), (std::vector<std::string>{"Line1", "line10", "LINE2"}));
}

TEST(LineImport, ReverseSwapsPositionsAndMirrorsFiducials) {
    Project p;
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{20, "F"}};
    const std::string dt1 = p.AddLine("Y7", line);
    importtest::SetTracePosition(dt1, line.samples, 20, 1.0f);
    FakeHost host = GridHost("g", "");
    host.paths = {dt1};
    host.filter_ = 1; // X & Y lines: a "Y" in the name makes a Y line
    host.input.reverse = true;
    host.input.offsetXText = "2";
    host.input.offsetYText = "3";
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(host, memory)) << sink.AllTexts();
    EXPECT_EQ(host.seen.spacing, -1) << "one file: no spacing asked";
    EXPECT_EQ(host.seen.lineType, ImportLineType::kXAndYLines);
    EXPECT_EQ(memory.offsetX, 2);

    const std::string xml = p.Text();
    EXPECT_NE(xml.find("<Position X=\"2.000\" Y=\"8.000\" Z=\"0.00\" units=\"m\" "
                       "normalized_file_pos=\"0.0\"/><Position X=\"2.000\" Y=\"3.000\""),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<Odometer start=\"0.000\" end=\"5.000\""), std::string::npos);
    EXPECT_NE(xml.find("<FIDComment ododist=\"4.000000\" units=\"m\" fileflag=\"C\">F<"),
              std::string::npos)
        << xml;
}

TEST(LineImport, TakenNamesGetTheNextLetter) {
    Project p("<Data version=\"1.2.0\"><LineSet name=\"G\"><Line name=\"L5\"/>"
              "<Line name=\"l5A\"/></LineSet></Data>");
    FakeHost host = GridHost("g", "");
    host.paths = {p.AddLine("L5")};
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(host, memory)) << sink.AllTexts();
    const std::string xml = p.Text();
    const size_t line = xml.find("<Line name=\"L5b\">");
    ASSERT_NE(line, std::string::npos) << xml;
    EXPECT_LT(line, xml.find("<DataFile name=\"L5\""));
    EXPECT_EQ(Count(xml, "<LineSet"), 1);
}

// Crews name grids, lines and folders with accents and symbols. The names are the system's code
// page text in the program, on disk and through the project library, whatever encoding the
// project file is written in.
TEST(LineImport, NamesWithAccentsAndSymbolsFindTheirSetAndTheirTakenNames) {
    const struct {
        const char *name;
        const char *head;
        std::string setInFile; // how the file spells the set's name
    } rows[] = {
        {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "GR\xDCN \x80"},
        {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "GR\xDCN &#8364;"},
        {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "GR\xC3\x9CN \xE2\x82\xAC"},
        {"no declaration", "<?xml version=\"1.0\"?>", "GR\xC3\x9CN \xE2\x82\xAC"},
    };
    const std::string grid = "GR\xDCN \x80";
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Project p("<Data version=\"1.2.0\"></Data>", row.head);
        ASSERT_TRUE(p.Loaded());
        const std::string folder = "D\xE4ten \x96 1";
        kvdtest::CaptureSink sink;
        SImportMemory memory;
        FakeHost first = GridHost(" gr\xFCn \x80 ", "1");
        first.paths = {p.AddLine("S\xFC"
                                 "d\xE9 1",
                                 importtest::SmallLine(), folder),
                       p.AddLine("S\xFC"
                                 "d\xE9 2",
                                 importtest::SmallLine(), folder)};
        ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(first, memory)) << sink.AllTexts();
        // The same set typed in other letters, and a file whose name differs from a line's
        // only in the case of its accented letters.
        FakeHost second = GridHost("Gr\xDCn \x80", "1");
        second.paths = {p.AddLine("S\xDC"
                                  "D\xC9 1",
                                  importtest::SmallLine(), folder)};
        ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(second, memory)) << sink.AllTexts();
        FakeHost third = GridHost("gr\xFCn \x80", "");
        third.paths = {p.AddLine("S\xFC"
                                 "d\xE9 2",
                                 importtest::SmallLine(), folder)};
        ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(third, memory)) << sink.AllTexts();
        EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
        ASSERT_EQ(0, p.File()->Save(""));

        const std::string saved = kvdtest::ReadFile(p.Path());
        EXPECT_EQ(Count(saved, "<LineSet"), 1) << saved;
        EXPECT_NE(saved.find("<LineSet name=\"" + row.setInFile + "\">"), std::string::npos)
            << saved;
        std::string messages;
        EXPECT_TRUE(kvdtest::XmllintAccepts(p.Path(), messages)) << messages;
        std::vector<std::string> outside;
        ASSERT_TRUE(kvdtest::ElementTreeValues(p.Path(), "Line", "name", outside, messages))
            << messages;

        ORQ::CKVDXmlFile reloaded;
        ASSERT_EQ(1, reloaded.Initialize(p.Path()));
        std::unique_ptr<ORQ::CKvdDataBlockInterface> db(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&reloaded, 0, nullptr));
        ASSERT_TRUE(db);
        auto *v = dynamic_cast<ORQ::CKvdDataBlockInterface_V110 *>(db.get());
        ASSERT_EQ(v->GetSetCount(), 1);
        ORQ::CKvdDataBlockInterface::SLineSetInfo set;
        v->GetLineSet(&set, 0); // fills the record, reports 0
        EXPECT_EQ(set.name, grid);
        std::vector<std::string> lines;
        for (int i = 0;; ++i) {
            ORQ::CKvdDataBlockInterface::SLineInfo line;
            if (v->GetLineInfo(&line, i, LT_ANY, 0, 2) != 1)
                break;
            lines.push_back(line.name);
        }
        // In the file in the order of import; the interface lists them by name.
        const std::vector<std::string> expected = {"S\xFC"
                                                   "d\xE9 1",
                                                   "S\xFC"
                                                   "d\xE9 2",
                                                   "S\xDC"
                                                   "D\xC9 1a",
                                                   "S\xFC"
                                                   "d\xE9 2a"};
        const std::vector<std::string> byName = {expected[2], expected[0], expected[1],
                                                 expected[3]};
        EXPECT_EQ(lines, byName) << "a name taken in other letters gets the next letter";
        ASSERT_EQ(outside.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(outside[i], kvdtest::Cp1252AsUtf8(expected[i])) << i;
        int files = 0;
        for (int i = 0;; ++i) {
            ORQ::CKvdDataBlockInterface::SFileInfo info;
            if (v->GetFileInfo(&info, i, -1, LT_ANY, -1, 2) != 1)
                break;
            ++files;
            SCOPED_TRACE(info.path);
            EXPECT_EQ(info.path.rfind(folder + "\\", 0), 0u);
            EXPECT_EQ(info.dim1, 16u) << "the header beside the project was found";
            EXPECT_EQ(info.dim2, 101u);
        }
        EXPECT_EQ(files, 4);
    }
}

TEST(LineImport, RefusesFilesOutsideTheProjectFolder) {
    Project p;
    const std::string before = p.Text();
    // A sibling whose name begins with the project folder's name.
    const std::string sibling = p.Root() + "/proj2";
    mkdir(sibling.c_str(), 0755);
    kvdtest::WriteRadarLine(sibling + "/L1", importtest::SmallLine());
    FakeHost host = GridHost("g", "1");
    host.paths = {sibling + "/L1.dt1"};
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    EXPECT_FALSE(CLineImporter(p.File(), p.Path()).Import(host, memory));
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].text,
              "We can only import files from the current folder or sub folder.");
    EXPECT_EQ(host.dialogRuns, 0);
    EXPECT_EQ(p.Text(), before);
}

TEST(LineImport, SubFolderIsStoredAndRead) {
    Project p;
    FakeHost host = GridHost("g", "1");
    host.paths = {p.AddLine("A1", importtest::SmallLine(), "day1"),
                  p.AddLine("A2", importtest::SmallLine(), "day1")};
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(host, memory)) << sink.AllTexts();
    const std::string xml = p.Text();
    EXPECT_EQ(Count(xml, "<FileDirPath>day1</FileDirPath>"), 2) << xml;
    EXPECT_NE(xml.find("Y=\"2.000\""), std::string::npos);
}

TEST(LineImport, NothingWrittenLeavesTheProjectAsItWas) {
    {
        // A project whose data block knows no line sets: the dialog refuses every grid name, so
        // only Cancel ends it; the version is not touched.
        Project p("<Data version=\"1.1.0\"></Data>");
        const std::string before = p.Text();
        FakeHost host = GridHost("g", "1");
        host.paths = {p.AddLine("L1")};
        host.dialogOk = false;
        kvdtest::CaptureSink sink;
        SImportMemory memory;
        EXPECT_FALSE(CLineImporter(p.File(), p.Path()).Import(host, memory));
        EXPECT_EQ(host.seenSets, 0);
        EXPECT_EQ(p.Text(), before);
    }
    {
        // The only file is not a reflection survey and the user declines it.
        Project p;
        const std::string before = p.Text();
        kvdtest::SRadarLine cmp = importtest::SmallLine();
        cmp.surveyMode = "CMP";
        FakeHost host = GridHost("g", "1");
        host.paths = {p.AddLine("C1", cmp)};
        kvdtest::CaptureSink sink;
        sink.Answer(ORQ::IDNO);
        SImportMemory memory;
        EXPECT_FALSE(CLineImporter(p.File(), p.Path()).Import(host, memory));
        ASSERT_EQ(sink.Messages().size(), 1u);
        EXPECT_EQ(sink.Messages()[0].text.rfind("File ", 0), 0u);
        EXPECT_NE(sink.Messages()[0].text.find("survey mode is CMP.\nDo you wish to add non "
                                               "reflection data to your KVD file?"),
                  std::string::npos);
        EXPECT_EQ(p.Text(), before);
    }
    {
        // No header can be read.
        Project p;
        const std::string before = p.Text();
        FakeHost host = GridHost("g", "1");
        host.paths = {p.Folder() + "/missing1.dt1"};
        kvdtest::CaptureSink sink;
        SImportMemory memory;
        EXPECT_FALSE(CLineImporter(p.File(), p.Path()).Import(host, memory));
        EXPECT_EQ(sink.AllTexts(), ImportText::kNoStepSize);
        EXPECT_EQ(p.Text(), before);
    }
}

TEST(LineImport, AsksAboutMixedNumberingAndNonReflectionFilesOnce) {
    Project p;
    kvdtest::SRadarLine cmp = importtest::SmallLine();
    cmp.surveyMode = "CMP";
    FakeHost host = GridHost("g", "1");
    host.paths = {p.AddLine("abc", cmp), p.AddLine("def", cmp), p.AddLine("x1")};
    {
        kvdtest::CaptureSink sink;
        sink.Answer(ORQ::IDNO);
        SImportMemory memory;
        EXPECT_FALSE(CLineImporter(p.File(), p.Path()).Import(host, memory));
        EXPECT_EQ(sink.AllTexts(),
                  "You have a mix of numbered and unnumbered files\nDo you wish to proceed?");
        EXPECT_EQ(host.dialogRuns, 0);
    }
    kvdtest::CaptureSink sink;
    sink.Answer(ORQ::IDYES); // mixed numbering
    sink.Answer(ORQ::IDNO);  // non-reflection data
    SImportMemory memory;
    CLineImporter importer(p.File(), p.Path());
    ASSERT_TRUE(importer.Import(host, memory));
    EXPECT_EQ(sink.Messages().size(), 2u) << sink.AllTexts();
    EXPECT_EQ(importer.WrittenLines(), std::vector<std::string>{"x1"});
    const std::string xml = p.Text();
    EXPECT_EQ(xml.find("name=\"abc\""), std::string::npos);
    EXPECT_NE(xml.find("Y=\"1.000\""), std::string::npos) << "x1 keeps its number";
}

TEST(LineImport, PositionsInOtherUnitsAreWrittenInMetres) {
    Project p;
    kvdtest::SRadarLine cm = importtest::SmallLine();
    cm.unit = "cm";
    cm.step = 5; // 0 to 500 cm
    FakeHost host = GridHost("g", "");
    host.paths = {p.AddLine("L1", cm)};
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(host, memory)) << sink.AllTexts();
    EXPECT_EQ(host.seen.unit, ORQ::UNIT_CM);
    const std::string xml = p.Text();
    EXPECT_NE(xml.find("<Position X=\"5.000\" Y=\"0.000\" Z=\"0.00\" units=\"m\""),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<Odometer start=\"0.000\" end=\"500.000\" step=\"5.000\" units=\"cm\""),
              std::string::npos);

    std::unique_ptr<ORQ::CKvdDataBlockInterface> db(
        ORQ::CKvdDataBlockInterface::CreateAndInit(p.File(), 0, nullptr));
    ORQ::CKvdDataBlockInterface::SLineInfo info;
    ASSERT_EQ(dynamic_cast<ORQ::CKvdDataBlockInterface_V110 *>(db.get())->GetLineInfo(
                  &info, 0, LT_ANY, -1, 1),
              1);
    EXPECT_DOUBLE_EQ(info.xMax, 5.0);
}

TEST(LineImport, EveryLineEndsWithTheSettingsOfItsHeader) {
    // A project with lines, block-wide settings at 250 MHz and a set "B" at 500 MHz.
    kvdtest::XmlNode data = kvdtest::DataNode("1.2.0");
    kvdtest::AddSettings(data);
    kvdtest::XmlNode &a = data.Add("LineSet").Attr("name", "A");
    kvdtest::AddDataFile(a.Add("Line").Attr("name", "old"), "old", "HD+DT1", 1,
                         {{0, 0, 0, "m"}, {5, 0, 1, "m"}});
    kvdtest::XmlNode &b = data.Add("LineSet").Attr("name", "B");
    kvdtest::SettingsSpec fast;
    fast.frequency = 500;
    kvdtest::AddSettings(b, fast);
    std::string text;
    data.Write(text);
    Project p(text);
    ASSERT_TRUE(p.Loaded());

    kvdtest::SRadarLine at250 = importtest::SmallLine();
    at250.samples = 512;
    at250.timeWindow = 102.4;
    kvdtest::SRadarLine at500 = at250;
    at500.frequency = 500;
    const std::string f250 = p.AddLine("f250", at250), f500 = p.AddLine("f500", at500);
    const std::string g250 = p.AddLine("g250", at250);

    kvdtest::CaptureSink sink;
    SImportMemory memory;
    for (const auto &[grid, path] :
         std::vector<std::pair<std::string, std::string>>{{"B", f250}, {"B", f500}, {"C", g250}}) {
        FakeHost host = GridHost(grid, "");
        host.paths = {path};
        ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(host, memory)) << sink.AllTexts();
    }
    std::unique_ptr<ORQ::CKvdDataBlockInterface> db(
        ORQ::CKvdDataBlockInterface::CreateAndInit(p.File(), 0, nullptr));
    ASSERT_TRUE(db);
    for (const auto &[name, mhz] :
         std::vector<std::pair<std::string, double>>{{"f250", 250}, {"f500", 500}, {"g250", 250}}) {
        const ORQ::CKvdSettingsBlock_V110 *s = SettingsOf(db.get(), name);
        ASSERT_TRUE(s) << name;
        EXPECT_DOUBLE_EQ(s->m_NominalFrequency, mhz) << name << "\n" << p.Text();
    }
}

TEST(LineImport, TheFirstSetCarriesTheSettingsItsLinesShare) {
    kvdtest::XmlNode data = kvdtest::DataNode("1.2.0");
    kvdtest::SettingsSpec slow;
    slow.frequency = 100;
    kvdtest::AddSettings(data, slow);
    kvdtest::AddDataFile(data.Add("Line").Attr("name", "old"), "old", "HD+DT1", 1,
                         {{0, 0, 0, "m"}, {5, 0, 1, "m"}});
    std::string text;
    data.Write(text);
    Project p(text);
    FakeHost host = GridHost("n", "1");
    host.paths = {p.AddLine("A1"), p.AddLine("A2")};
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    ASSERT_TRUE(CLineImporter(p.File(), p.Path()).Import(host, memory)) << sink.AllTexts();
    const std::string xml = p.Text();
    EXPECT_NE(xml.find("<LineSet name=\"N\"><Settings"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Line name=\"A1\"><DataFile"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Line name=\"A2\"><DataFile"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<NominalFrequency units=\"Mhz\">100"), std::string::npos)
        << "the block-wide settings of the old line stay";
}

} // namespace

namespace {

TEST(LineImport, AFileWithoutHeaderIsSkippedAndReported) {
    Project p;
    FakeHost host = GridHost("g", "1");
    const std::string lost = p.AddLine("L2");
    std::remove((p.Folder() + "/L2.hd").c_str());
    host.paths = {p.AddLine("L1"), lost};
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    CLineImporter importer(p.File(), p.Path());
    ASSERT_TRUE(importer.Import(host, memory));
    EXPECT_EQ(importer.WrittenLines(), std::vector<std::string>{"L1"});
    // The report names the header and why it could not be read.
    EXPECT_EQ(sink.AllTexts(), "LoadHDFile err=1, skipping entry \n'L2.dt1'\nUnable to read the "
                               "header " +
                                   p.Folder() + "/L2.hd: No such file or directory\n");
}

} // namespace

namespace {

// Loads the grid rows without a document: what the load asks of it is answered with nothing.
struct QuietHooks : IGridLoadHooks {
    void AddLine(int, int, int, double, int, const std::string &) override {}
    int LoadGpsFile(const std::string &, int, int, int, std::string &) override { return 5; }
    void LoadLineGps(const std::string &, const ORQ::Tamsel &, const std::string &, long long, int,
                     int, double, int) override {}
    bool AskImportGps() override { return false; }
    bool AttachGps(SGridInfo &) override { return false; }
    void RecoverGps(SGridInfo &) override {}
    void SetDisplayUnit(ORQ::EUnitType) override {}
};

// Line names as a Linux disk spells them (UTF-8) and as the project stores them (code page
// 1252), in the order the import sorts them.
const std::vector<std::string> kUtf8Names = {"GR\xC3\x9CN_Y2", "L\xC3\xAFne_3", "X_L\xC3\xADnea1"};
const std::vector<std::string> kTextNames = {"GR\xDCN_Y2", "L\xEFne_3", "X_L\xEDnea1"};
const std::string kUtf8Folder = "Pr\xC3\xBC"
                                "fung";
const std::string kTextFolder = "Pr\xFC"
                                "fung";

TEST(LineImport, Utf8FileNamesAreStoredInTheCodePageAndFoundAgain) {
    Project p;
    FakeHost host = GridHost("g", "1");
    for (const std::string &name : {kUtf8Names[2], kUtf8Names[0], kUtf8Names[1]})
        host.paths.push_back(p.AddLine(name, importtest::SmallLine(), kUtf8Folder));
    const std::string gpsOnDisk = p.Folder() + "/" + kUtf8Folder + "/" + kUtf8Names[0] + ".GPS";
    kvdtest::WriteFile(gpsOnDisk, "$GPGGA\n");
    kvdtest::CaptureSink sink;
    SImportMemory memory;
    CLineImporter importer(p.File(), p.Path());
    ASSERT_TRUE(importer.Import(host, memory)) << sink.AllTexts();
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    EXPECT_EQ(importer.WrittenLines(), kTextNames);
    EXPECT_EQ(host.seen.lineType, ImportLineType::kXAndYLines) << "X and Y read from the names";
    // The GPS file beside the line is handed on as the disk spells it.
    EXPECT_EQ(host.attached, std::vector<std::string>{kTextNames[0] + "|" + gpsOnDisk});

    ASSERT_EQ(0, p.File()->Save(""));
    std::string messages;
    for (const char *element : {"Line", "DataFile"}) {
        SCOPED_TRACE(element);
        std::vector<std::string> outside;
        ASSERT_TRUE(kvdtest::ElementTreeValues(p.Path(), element, "name", outside, messages))
            << messages;
        EXPECT_EQ(outside, kUtf8Names) << "an outside reader sees the names the disk shows";
    }
    const std::string saved = kvdtest::ReadFile(p.Path());
    EXPECT_EQ(saved.find("\xC3\x83"), std::string::npos) << "no name encoded twice:\n" << saved;

    // Opened again, every line finds its files.
    ORQ::CKVDXmlFile reloaded;
    ASSERT_EQ(1, reloaded.Initialize(p.Path()));
    std::unique_ptr<ORQ::CKvdDataBlockInterface> db(
        ORQ::CKvdDataBlockInterface::CreateAndInit(&reloaded, 0, nullptr));
    ASSERT_TRUE(db);
    QuietHooks hooks;
    CGridRowBuilder::SInput in;
    in.dbi = dynamic_cast<ORQ::CKvdDataBlockInterface_V110 *>(db.get());
    in.projectFolder = p.Folder();
    in.reportErrors = true;
    const CGridRowBuilder::SResult rows = CGridRowBuilder::Build(in, hooks);
    EXPECT_EQ(rows.errors, "");
    ASSERT_EQ(rows.rows.size(), 3u);
    std::vector<std::string> shown;
    for (const auto &row : rows.rows) {
        EXPECT_EQ(row->numTraces, 101) << row->lineName;
        EXPECT_EQ(row->dataFileName.find(".\\" + kTextFolder + "\\"), 0u) << row->dataFileName;
        shown.push_back(row->lineName);
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, kTextNames);
}

TEST(LineImport, NamesTheCodePageCannotHoldAreRefusedAndNothingIsAdded) {
    struct Row {
        const char *name;
        std::string file;
        std::string folder;
    };
    const std::vector<Row> rows = {
        {"Cyrillic file name", "\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F_1", ""},
        {"Greek sub-folder", "X_Line2", "\xCE\xA9mega"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Project p;
        FakeHost host = GridHost("g", "1");
        const std::string refused = p.AddLine(row.file, importtest::SmallLine(), row.folder);
        host.paths = {p.AddLine(kUtf8Names[2], importtest::SmallLine(), row.folder), refused};
        const std::string before = p.Text();
        kvdtest::CaptureSink sink;
        SImportMemory memory;
        CLineImporter importer(p.File(), p.Path());
        EXPECT_FALSE(importer.Import(host, memory));
        ASSERT_EQ(sink.Messages().size(), 1u);
        // Every file that cannot be stored is named: in a folder that cannot be, all of them.
        std::string named;
        for (const std::string &path : host.paths)
            if (!row.folder.empty() || path == refused)
                named += path + " contains characters that project files cannot store.\n";
        EXPECT_EQ(sink.AllTexts(), named + ImportText::kNothingImported);
        EXPECT_EQ(host.dialogRuns, 0);
        EXPECT_TRUE(importer.WrittenLines().empty());
        EXPECT_EQ(p.Text(), before) << "the project is as it was";
    }
}

} // namespace
