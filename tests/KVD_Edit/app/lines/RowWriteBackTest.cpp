#include "KVD_Edit/app/lines/RowWriteBack.h"

#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "Tamsel/Tamsel.h"

#include "KVD_Edit/app/lines/ImportDlgLogic.h"
#include "KVD_Edit/app/lines/ImportText.h"
#include "KVD_Edit/app/lines/LineImporter.h"
#include "tests/KVD_Edit/app/lines/ImportTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using importtest::Count;
using importtest::Project;

namespace {

class Host : public IImportHost {
public:
    std::vector<std::string> paths;
    std::string grid = "G";
    bool ChooseFiles(const std::string &, const std::string &, std::vector<std::string> &out,
                     int &filter) override {
        out = paths;
        filter = 4;
        return true;
    }
    bool RunImportDialog(int sets, ImportLineType &record, int) override {
        ImportDlgLogic::SDialogInput in;
        in.selectedType = ImportLineType::kXLines;
        in.gridText = grid;
        in.spacingText = "1";
        return ImportDlgLogic::Accept(sets, in, record);
    }
};

// A project with lines L1 and L2 in set "G", imported from generated files; L1 has a fiducial.
// The row of line L1 along X (step 0.05 m) with the given extent.
SRowValues L1Row(double xMin, double xMax, double yMin, double yMax) {
    SRowValues row;
    row.dataFileName = ".\\L1.dt1";
    row.lineName = "L1";
    row.orientation = 2;
    row.xMin = xMin;
    row.xMax = xMax;
    row.yMin = yMin;
    row.yMax = yMax;
    row.step = 0.05;
    return row;
}

struct Fixture {
    Project p;
    Fixture() {
        kvdtest::SRadarLine line = importtest::SmallLine();
        line.fiducials = {{20, "F"}};
        const std::string l1 = p.AddLine("L1", line);
        importtest::SetTracePosition(l1, line.samples, 20, 1.0f);
        Host host;
        host.paths = {l1, p.AddLine("L2")};
        SImportMemory memory;
        kvdtest::CaptureSink sink;
        EXPECT_TRUE(CLineImporter(p.File(), p.Path()).Import(host, memory)) << sink.AllTexts();
    }
    SRowValues Row() const { return L1Row(0, 5, 1, 1); }
};

TEST(RowWriteBack, RenamingOntoAUsedNameIsRefused) {
    Fixture f;
    const std::string before = f.p.Text();
    SRowValues row = f.Row();
    row.lineName = "l2";
    row.xMin = 3;
    kvdtest::CaptureSink sink;
    EXPECT_FALSE(CRowWriteBack(f.p.File(), f.p.Path()).ModifyRow(row, "G", "L1", 1));
    EXPECT_EQ(sink.AllTexts(), "Line l2 already used.  Aborting update.");
    EXPECT_EQ(f.p.Text(), before);

    sink.Clear();
    EXPECT_FALSE(CRowWriteBack(f.p.File(), f.p.Path()).ModifyRow(row, "H", "L1", 1));
    EXPECT_EQ(sink.AllTexts(), "Invalid Set Name H, Aborting");
    EXPECT_FALSE(CRowWriteBack(f.p.File(), f.p.Path()).ModifyRow(f.Row(), "G", "L3", 1));
    row.dataFileName = ".\\none.dt1";
    EXPECT_FALSE(CRowWriteBack(f.p.File(), f.p.Path()).ModifyRow(row, "G", "L1", 1));
    EXPECT_EQ(f.p.Text(), before);
}

TEST(RowWriteBack, WritesPositionsOdometerAndFiducials) {
    Fixture f;
    SRowValues row = f.Row();
    row.lineName = "L1new";
    row.xMin = 10;
    row.xMax = 20;
    row.yMin = row.yMax = 2;
    row.step = 0.1;
    row.reversed = true;
    kvdtest::CaptureSink sink;
    ASSERT_TRUE(CRowWriteBack(f.p.File(), f.p.Path()).ModifyRow(row, "G", "L1", 1))
        << sink.AllTexts();
    const std::string xml = f.p.Text();
    EXPECT_NE(xml.find("<Line name=\"L1new\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Position X=\"20.000\" Y=\"2.000\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<Position X=\"10.000\" Y=\"2.000\""), std::string::npos);
    EXPECT_NE(xml.find("<Odometer start=\"10.000\" end=\"20.000\" step=\"0.100\""),
              std::string::npos);
    // The fiducial at 1 m of a 0 to 5 m line, reversed onto 20 .. 10.
    EXPECT_NE(xml.find("<FIDComment ododist=\"18.000000\" units=\"m\" fileflag=\"C\">F<"),
              std::string::npos)
        << xml;
    EXPECT_EQ(Count(xml, "<FIDComment"), 1);
    // The new step differs from the settings in force: the data file gets its own.
    const size_t file = xml.find("<DataFile name=\"L1\"");
    EXPECT_NE(xml.find("<StepSize units=\"m\">0.100000</StepSize>", file), std::string::npos);

    // Several rows selected: the name stays; the step back at 0.05 needs no settings.
    row.lineName = "other";
    row.step = 0.05;
    ASSERT_TRUE(CRowWriteBack(f.p.File(), f.p.Path()).ModifyRow(row, "G", "L1new", 2));
    const std::string again = f.p.Text();
    EXPECT_NE(again.find("<Line name=\"L1new\">"), std::string::npos);
    EXPECT_EQ(Count(again, "<Settings"), 1) << again;
}

TEST(RowWriteBack, MissingPositionsAreAppendedAndOtherEntriesKeepTheirFiducials) {
    Project p("<Data version=\"1.2.0\"><LineSet name=\"G\"><Line name=\"L1\">"
              "<DataFile name=\"L1\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
              "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/></DataFile>"
              "<DataFile name=\"L1b\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
              "<Position X=\"0\" Y=\"0\" Z=\"0\" units=\"ft\" normalized_file_pos=\"0.0\"/>"
              "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/>"
              "<FIDComment ododist=\"1\" units=\"m\" fileflag=\"C\">keep</FIDComment>"
              "</DataFile></Line></LineSet></Data>");
    p.AddLine("L1");
    SRowValues row;
    row.dataFileName = ".\\L1.dt1 (+)";
    row.lineName = "L1";
    row.orientation = 2;
    row.xMax = 3.048;
    row.step = 0.05;
    kvdtest::CaptureSink sink;
    ASSERT_TRUE(CRowWriteBack(p.File(), p.Path()).ModifyRow(row, "G", "L1", 1)) << sink.AllTexts();
    const std::string xml = p.Text();
    EXPECT_NE(xml.find("<Position X=\"0.000\" Y=\"0.000\" Z=\"0.00\" units=\"m\" "
                       "normalized_file_pos=\"0.0\"/><Position X=\"3.048\" Y=\"0.000\""),
              std::string::npos)
        << xml;
    // The second entry's one position is in feet; its second is appended.
    EXPECT_NE(xml.find("<Position X=\"0.000\" Y=\"0.000\" Z=\"0\" units=\"ft\""),
              std::string::npos);
    EXPECT_NE(xml.find("keep</FIDComment>"), std::string::npos);
    EXPECT_EQ(Count(xml, "<Position"), 4);
    EXPECT_EQ(xml.find("X=\"3.048\" Y=\"0.000\" Z=\"0.00\" units=\"ft\""), std::string::npos);
}

// Positions stored out of file order: the line's start and end are the lowest and highest
// "normalized_file_pos", as the project is read, whatever their place in the document.
TEST(RowWriteBack, WritesTheEndsInFilePositionOrder) {
    Project p("<Data version=\"1.2.0\"><LineSet name=\"G\"><Line name=\"L1\">"
              "<DataFile name=\"L1\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
              "<Position X=\"2.5\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"0.5\"/>"
              "<Position X=\"5\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"1.0\"/>"
              "<Position X=\"0\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"0.0\"/>"
              "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/>"
              "</DataFile></Line></LineSet></Data>");
    p.AddLine("L1");
    SRowValues row = L1Row(10, 15, 1, 1);
    kvdtest::CaptureSink sink;
    ASSERT_TRUE(CRowWriteBack(p.File(), p.Path()).ModifyRow(row, "G", "L1", 1)) << sink.AllTexts();
    const std::string xml = p.Text();
    EXPECT_NE(xml.find("<Position X=\"2.5\" Y=\"1\""), std::string::npos)
        << "the middle point is left as it was\n"
        << xml;
    EXPECT_NE(xml.find("<Position X=\"15.000\" Y=\"1.000\" Z=\"0\" units=\"m\" "
                       "normalized_file_pos=\"1.0\"/>"),
              std::string::npos)
        << "the end";
    EXPECT_NE(xml.find("<Position X=\"10.000\" Y=\"1.000\" Z=\"0\" units=\"m\" "
                       "normalized_file_pos=\"0.0\"/>"),
              std::string::npos)
        << "the start";
}

} // namespace

namespace {

TEST(RowWriteBack, FiducialReimportTouchesOnlyTheComments) {
    Project p("<Data version=\"1.2.0\"><LineSet name=\"G\"><Line name=\"L1\">"
              "<DataFile name=\"L1\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
              "<Position X=\"0.0004\" Y=\"0\" Z=\"0\" units=\"m\" normalized_file_pos=\"0.0\"/>"
              "<Position X=\"2\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"0.5\"/>"
              "<Position X=\"5\" Y=\"0\" Z=\"0\" units=\"m\" normalized_file_pos=\"1.0\"/>"
              "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/>"
              "<FIDComment ododist=\"1\" units=\"m\" fileflag=\"C\">old</FIDComment>"
              "<Settings version=\"1.2.0\"/></DataFile></Line></LineSet></Data>");
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{20, "new"}};
    importtest::SetTracePosition(p.AddLine("L1", line), line.samples, 20, 1.0f);
    SRowValues row = L1Row(0, 5, 0, 1);
    row.lineName = "ignored";
    kvdtest::CaptureSink sink;
    const std::string before = p.Text();
    ASSERT_TRUE(CRowWriteBack(p.File(), p.Path()).RewriteFiducials(row, "G", "L1"))
        << sink.AllTexts();
    std::string after = p.Text();
    EXPECT_NE(after.find("fileflag=\"C\">new</FIDComment>"), std::string::npos) << after;
    EXPECT_EQ(after.find(">old<"), std::string::npos);
    // Everything but the comment is as it was.
    const auto cut = [](std::string text) {
        const size_t at = text.find("<FIDComment");
        return text.erase(at, text.find("</FIDComment>", at) + 13 - at);
    };
    EXPECT_EQ(cut(after), cut(before));
}

// A pass over many rows finds each line through one index of the project: the line of the right
// set (names compared without regard to case), the walk for a line the index does not know, the
// refusal of a used name as before; and it tells a renewal that changed the comments from one
// that found them as they were.
TEST(RowWriteBack, IndexedPassFindsEachLineAndTellsWhetherCommentsChanged) {
    const std::string entry =
        "<DataFile name=\"L1\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
        "<Position X=\"0\" Y=\"0\" Z=\"0\" units=\"m\" normalized_file_pos=\"0\"/>"
        "<Position X=\"5\" Y=\"0\" Z=\"0\" units=\"m\" normalized_file_pos=\"1\"/>"
        "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/></DataFile>";
    Project p("<Data version=\"1.2.0\"><LineSet name=\"A\"><Line name=\"L1\">" + entry +
              "</Line></LineSet><LineSet name=\"B\"><Line name=\"x\"/><Line name=\"l1\">" + entry +
              "</Line><Line name=\"L2\"/></LineSet></Data>");
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{20, "mark"}};
    importtest::SetTracePosition(p.AddLine("L1", line), line.samples, 20, 1.0f);
    SRowValues row = L1Row(0, 5, 0, 1);
    kvdtest::CaptureSink sink;

    const CLineNodes lines(p.File());
    CRowWriteBack writer(p.File(), p.Path(), &lines);
    bool changed = false;
    ASSERT_TRUE(writer.RewriteFiducials(row, "b", "L1", &changed)) << sink.AllTexts();
    EXPECT_TRUE(changed);
    std::string text = p.Text();
    // Set B's line got the comment, set A's did not.
    const size_t setB = text.find("<LineSet name=\"B\"");
    EXPECT_NE(text.find(">mark</FIDComment>", setB), std::string::npos) << text;
    EXPECT_EQ(text.find(">mark</FIDComment>"), text.find(">mark</FIDComment>", setB));

    // The same comments again: found, nothing changed, the file as it was.
    ASSERT_TRUE(writer.RewriteFiducials(row, "B", "l1", &changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(p.Text(), text);

    // A line the index was built without is found by the walk.
    ASSERT_TRUE(p.File()->GotoRootNode() && p.File()->GotoChildNode("Data", 0) &&
                p.File()->GotoChildNode("LineSet", 0));
    ASSERT_TRUE(p.File()->AppendChildNode("Line"));
    p.File()->SetNodeAttribute("name", "L9");
    EXPECT_TRUE(writer.RewriteFiducials(row, "A", "L9", &changed)) << sink.AllTexts();
    EXPECT_FALSE(changed); // no data file of its own
    EXPECT_FALSE(writer.RewriteFiducials(row, "A", "L7", &changed));
    EXPECT_EQ(sink.Messages().back().text, "Invalid Line Name L7.  Aborting update.");

    // A rename through the index still refuses a name used in the set.
    row.lineName = "l2";
    EXPECT_FALSE(writer.ModifyRow(row, "B", "L1", 1));
    EXPECT_EQ(sink.Messages().back().text, "Line l2 already used.  Aborting update.");
}

} // namespace

namespace {

// A line L1 whose data file holds three comments the project keeps, and its files beside it.
const std::string kKeptComments =
    "<FIDComment ododist=\"1.000000\" units=\"m\" fileflag=\"C\">first</FIDComment>"
    "<FIDComment ododist=\"2.500000\" units=\"m\" fileflag=\"C\">second</FIDComment>"
    "<FIDComment ododist=\"4.000000\" units=\"m\" fileflag=\"C\">third</FIDComment>";

std::string L1Project() {
    return "<Data version=\"1.2.0\"><LineSet name=\"G\"><Line name=\"L1\">"
           "<DataFile name=\"L1\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
           "<Position X=\"0\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"0.0\"/>"
           "<Position X=\"5\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"1.0\"/>"
           "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/>" +
           kKeptComments + "</DataFile></Line></LineSet></Data>";
}

// The ways a line's files fail to give fiducials, each made from a readable line L1.
struct SBrokenFiles {
    const char *name;
    std::function<void(importtest::Project &)> breakFiles;
    int result;
    ETraceFileFault fault;
};

std::vector<SBrokenFiles> BrokenFiles() {
    const auto dt1 = [](importtest::Project &p) { return p.Folder() + "/L1.dt1"; };
    const auto hd = [](importtest::Project &p) { return p.Folder() + "/L1.hd"; };
    return {
        {"trace file missing", [=](importtest::Project &p) { std::remove(dt1(p).c_str()); },
         CFiducialImporter::kTraceFileUnreadable, ETraceFileFault::Missing},
        {"trace file cut inside a trace",
         [=](importtest::Project &p) {
             const std::string bytes = kvdtest::ReadFile(dt1(p));
             kvdtest::WriteFile(dt1(p), bytes.substr(0, bytes.size() / 2 + 7));
         },
         CFiducialImporter::kTraceFileUnreadable, ETraceFileFault::Short},
        {"trace file a folder",
         [=](importtest::Project &p) {
             std::remove(dt1(p).c_str());
             mkdir(dt1(p).c_str(), 0755);
         },
         CFiducialImporter::kTraceFileUnreadable, ETraceFileFault::ReadError},
        {"trace count not a number",
         [=](importtest::Project &p) {
             std::string text = kvdtest::ReadFile(hd(p));
             const size_t at = text.find("NUMBER OF TRACES");
             text.replace(at, text.find('\r', at) - at, "NUMBER OF TRACES   = abc");
             kvdtest::WriteFile(hd(p), text);
         },
         CFiducialImporter::kEmptyLine, ETraceFileFault::None},
        {"header rubbish",
         [=](importtest::Project &p) {
             kvdtest::WriteFile(hd(p), std::string("\x00\x01\x02\xff\xfe binary", 12));
         },
         CFiducialImporter::kHeaderNotLoaded, ETraceFileFault::None},
        {"header missing", [=](importtest::Project &p) { std::remove(hd(p).c_str()); },
         CFiducialImporter::kHeaderNotLoaded, ETraceFileFault::None},
    };
}

// Fiducial comments are the person's only copy once the trace file is gone: a renewal from
// files that cannot be read keeps them byte for byte, says nothing itself and tells why; with
// the same files readable the comments are renewed from the trace file.
TEST(RowWriteBack, ReimportKeepsTheCommentsOfLinesWhoseFilesCannotBeRead) {
    for (const SBrokenFiles &broken : BrokenFiles()) {
        SCOPED_TRACE(broken.name);
        importtest::Project p(L1Project());
        kvdtest::SRadarLine line = importtest::SmallLine();
        line.fiducials = {{20, "renewed"}};
        p.AddLine("L1", line);
        const SRowValues row = L1Row(0, 5, 1, 1);
        kvdtest::CaptureSink sink;
        broken.breakFiles(p);
        const std::string before = p.Text();

        SFidFilesRead read;
        bool changed = true;
        CRowWriteBack writer(p.File(), p.Path());
        EXPECT_FALSE(writer.RewriteFiducials(row, "G", "L1", &changed, nullptr, &read));
        EXPECT_EQ(p.Text(), before) << "nothing of the line changes";
        EXPECT_NE(p.Text().find(kKeptComments), std::string::npos);
        EXPECT_FALSE(changed);
        EXPECT_TRUE(read.KeepsComments());
        EXPECT_EQ(read.result, broken.result);
        EXPECT_EQ(read.fault, broken.fault);
        EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    }

    // The readable line, for comparison: its comments come from the trace file.
    importtest::Project p(L1Project());
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{20, "renewed"}};
    importtest::SetTracePosition(p.AddLine("L1", line), line.samples, 20, 1.0f);
    SFidFilesRead read;
    bool changed = false;
    EXPECT_TRUE(CRowWriteBack(p.File(), p.Path())
                    .RewriteFiducials(L1Row(0, 5, 1, 1), "G", "L1", &changed, nullptr, &read));
    EXPECT_TRUE(changed);
    EXPECT_EQ(read.result, 101);
    EXPECT_EQ(Count(p.Text(), "<FIDComment"), 1) << p.Text();
    EXPECT_NE(p.Text().find("fileflag=\"C\">renewed</FIDComment>"), std::string::npos);
}

// The header a load read and the trace file it found serve the renewal; a trace file that was
// cut after it was found still keeps the comments.
TEST(RowWriteBack, ReimportFromTheLoadsHeaderKeepsTheCommentsOfACutTraceFile) {
    importtest::Project p(L1Project());
    const std::string dt1 = p.AddLine("L1");
    auto header = std::make_shared<ORQ::Tamsel>();
    ASSERT_EQ(header->Load((p.Folder() + "/L1.hd").c_str(), ORQ::ST_FILE), 0);
    const SRowHeader known{header, dt1, 101};
    const std::string bytes = kvdtest::ReadFile(dt1);
    kvdtest::WriteFile(dt1, bytes.substr(0, 1000));
    const std::string before = p.Text();
    kvdtest::CaptureSink sink;
    SFidFilesRead read;
    EXPECT_FALSE(CRowWriteBack(p.File(), p.Path())
                     .RewriteFiducials(L1Row(0, 5, 1, 1), "G", "L1", nullptr, &known, &read));
    EXPECT_EQ(p.Text(), before);
    EXPECT_EQ(read.result, CFiducialImporter::kTraceFileUnreadable);
    EXPECT_EQ(read.fault, ETraceFileFault::Short);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}

// An edit of a line whose trace file cannot be read writes its new positions and odometer but
// keeps its comments; one whose header cannot be read is refused as before.
TEST(RowWriteBack, EditOfALineWhoseFilesCannotBeReadKeepsItsComments) {
    for (const SBrokenFiles &broken : BrokenFiles()) {
        SCOPED_TRACE(broken.name);
        importtest::Project p(L1Project());
        p.AddLine("L1");
        broken.breakFiles(p);
        const std::string before = p.Text();
        kvdtest::CaptureSink sink;
        const bool written =
            CRowWriteBack(p.File(), p.Path()).ModifyRow(L1Row(2, 7, 1, 1), "G", "L1", 1);
        const std::string xml = p.Text();
        EXPECT_NE(xml.find(kKeptComments), std::string::npos) << xml;
        if (broken.result == CFiducialImporter::kHeaderNotLoaded) {
            EXPECT_FALSE(written);
            EXPECT_EQ(xml, before);
            ASSERT_EQ(sink.Messages().size(), 1u);
            EXPECT_EQ(sink.Messages()[0].text.rfind("Unable to read from ", 0), 0u);
            continue;
        }
        EXPECT_TRUE(written) << sink.AllTexts();
        EXPECT_NE(xml.find("<Odometer start=\"2.000\" end=\"7.000\""), std::string::npos) << xml;
        EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    }
}

// The ways a line's trace file and its header may disagree on the traces, each made from a
// readable line L1 of 101 traces of 160 bytes.
struct SDisagreement {
    const char *name;
    std::function<bool(importtest::Project &)> change;
    ETraceFileFault fault; // None: the files agree and the comments are renewed
};

std::vector<SDisagreement> Disagreements() {
    const auto dt1 = [](importtest::Project &p) { return p.Folder() + "/L1.dt1"; };
    const auto hd = [](importtest::Project &p) { return p.Folder() + "/L1.hd"; };
    const auto append = [=](importtest::Project &p, size_t bytes) {
        kvdtest::WriteFile(dt1(p), kvdtest::ReadFile(dt1(p)) + std::string(bytes, '\0'));
        return true;
    };
    return {
        // The first digits of a damaged count read as 10 traces of a 101-trace file.
        {"header's trace count damaged to 10x1",
         [=](importtest::Project &p) {
             return kvdtest::SetHeaderValue(hd(p), "NUMBER OF TRACES", "10x1");
         },
         ETraceFileFault::Long},
        {"one whole trace more in the file", [=](importtest::Project &p) { return append(p, 160); },
         ETraceFileFault::Long},
        {"header gives one sample fewer per trace",
         [=](importtest::Project &p) {
             return kvdtest::SetHeaderValue(hd(p), "NUMBER OF PTS/TRC", "15");
         },
         ETraceFileFault::Long},
        {"header gives one sample more per trace",
         [=](importtest::Project &p) {
             return kvdtest::SetHeaderValue(hd(p), "NUMBER OF PTS/TRC", "17");
         },
         ETraceFileFault::Short},
        {"last trace missing from the file",
         [=](importtest::Project &p) {
             const std::string bytes = kvdtest::ReadFile(dt1(p));
             kvdtest::WriteFile(dt1(p), bytes.substr(0, bytes.size() - 160));
             return true;
         },
         ETraceFileFault::Short},
        // Bytes short of one more trace are no trace: the file still holds its header's traces.
        {"bytes short of a trace after the last",
         [=](importtest::Project &p) { return append(p, 159); }, ETraceFileFault::None},
    };
}

// A trace file longer or shorter than its header says is not the line its header describes: a
// renewal, by re-import or by an edit, keeps the line's comments byte for byte and says nothing
// itself; the edit still writes the line's new extent. Files that agree are renewed.
TEST(RowWriteBack, RenewalKeepsTheCommentsOfALineWhoseTraceFileDisagreesWithItsHeader) {
    for (const SDisagreement &c : Disagreements()) {
        SCOPED_TRACE(c.name);
        const bool agree = c.fault == ETraceFileFault::None;
        for (const bool edit : {false, true}) {
            SCOPED_TRACE(edit ? "edit" : "re-import");
            importtest::Project p(L1Project());
            kvdtest::SRadarLine line = importtest::SmallLine();
            line.fiducials = {{20, "renewed"}};
            p.AddLine("L1", line);
            ASSERT_TRUE(c.change(p));
            const std::string before = p.Text();
            kvdtest::CaptureSink sink;
            CRowWriteBack writer(p.File(), p.Path());
            if (edit) {
                EXPECT_TRUE(writer.ModifyRow(L1Row(2, 7, 1, 1), "G", "L1", 1)) << sink.AllTexts();
                EXPECT_NE(p.Text().find("<Odometer start=\"2.000\" end=\"7.000\""),
                          std::string::npos)
                    << p.Text();
            } else {
                SFidFilesRead read;
                bool changed = false;
                EXPECT_EQ(
                    writer.RewriteFiducials(L1Row(0, 5, 1, 1), "G", "L1", &changed, nullptr, &read),
                    agree);
                EXPECT_EQ(read.fault, c.fault);
                EXPECT_EQ(read.KeepsComments(), !agree);
                EXPECT_EQ(changed, agree);
                if (!agree) {
                    EXPECT_EQ(p.Text(), before) << "nothing of the line changes";
                }
            }
            const std::string xml = p.Text();
            if (agree) {
                EXPECT_EQ(xml.find(">first</FIDComment>"), std::string::npos) << xml;
                EXPECT_EQ(Count(xml, "<FIDComment"), 1) << xml;
                EXPECT_NE(xml.find(">renewed</FIDComment>"), std::string::npos) << xml;
            } else {
                EXPECT_NE(xml.find(kKeptComments), std::string::npos) << xml;
                EXPECT_EQ(Count(xml, "<FIDComment"), 3) << xml;
            }
            EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
        }
    }
}

// Lines L1 and L2 of set "G" as L1Project writes L1, each holding the three kept comments.
std::string TwoLineProject() {
    std::string lines;
    for (const char *name : {"L1", "L2"})
        lines += std::string("<Line name=\"") + name + "\"><DataFile name=\"" + name +
                 "\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
                 "<Position X=\"0\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"0.0\"/>"
                 "<Position X=\"5\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"1.0\"/>"
                 "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/>" +
                 kKeptComments + "</DataFile></Line>";
    return "<Data version=\"1.2.0\"><LineSet name=\"G\">" + lines + "</LineSet></Data>";
}

// A re-import over a line whose trace file is longer than its header says and one whose trace
// file is shorter keeps both lines' comments byte for byte, and the one message names both with
// their reasons.
TEST(RowWriteBack, ReimportNamesTheLinesWhoseTraceFilesAreLongerAndShorterThanTheirHeaders) {
    importtest::Project p(TwoLineProject());
    kvdtest::SRadarLine line = importtest::SmallLine();
    line.fiducials = {{20, "renewed"}};
    p.AddLine("L1", line);
    const std::string l2 = p.AddLine("L2", line);
    ASSERT_TRUE(kvdtest::SetHeaderValue(p.Folder() + "/L1.hd", "NUMBER OF TRACES", "10x1"));
    const std::string bytes = kvdtest::ReadFile(l2);
    kvdtest::WriteFile(l2, bytes.substr(0, bytes.size() - 1000));
    const std::string before = p.Text();

    kvdtest::CaptureSink sink;
    CRowWriteBack writer(p.File(), p.Path());
    std::vector<SKeptFiducials> kept;
    for (const char *name : {"L1", "L2"}) {
        SRowValues row = L1Row(0, 5, 1, 1);
        row.lineName = name;
        row.dataFileName = std::string(".\\") + name + ".dt1";
        SKeptFiducials unread{row.lineName, row.dataFileName, SFidFilesRead()};
        EXPECT_FALSE(writer.RewriteFiducials(row, "G", name, nullptr, nullptr, &unread.why));
        EXPECT_TRUE(unread.why.KeepsComments()) << name;
        kept.push_back(unread);
    }
    EXPECT_EQ(p.Text(), before);
    EXPECT_EQ(Count(p.Text(), kKeptComments), 2);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    EXPECT_EQ(CRowWriteBack::KeptFiducialsMessage(kept),
              std::string(ImportText::kFiducialsKept) +
                  "\nL1: the trace file .\\L1.dt1 is longer than its header says"
                  "\nL2: the trace file .\\L2.dt1 is shorter than its header says");
}

TEST(RowWriteBack, KeptLinesMessageNamesEachLineWithItsReason) {
    EXPECT_EQ(CRowWriteBack::KeptFiducialsMessage({}), "");
    const auto kept = [](const char *name, const char *file, int result, ETraceFileFault fault) {
        return SKeptFiducials{name, file, SFidFilesRead{result, fault}};
    };
    const std::vector<SKeptFiducials> rows = {
        kept("X05", ".\\X05.dt1", CFiducialImporter::kTraceFileUnreadable,
             ETraceFileFault::Missing),
        kept("X07", ".\\sub\\X07.dt1 (+)", CFiducialImporter::kTraceFileUnreadable,
             ETraceFileFault::Short),
        kept("X08", ".\\X08.dt1", CFiducialImporter::kTraceFileUnreadable,
             ETraceFileFault::ReadError),
        kept("X03", ".\\X03.dt1", 4, ETraceFileFault::Long),
        kept("X09", ".\\X09.dt1", CFiducialImporter::kEmptyLine, ETraceFileFault::None),
        kept("Y01", ".\\Y01.dt1", CFiducialImporter::kHeaderNotLoaded, ETraceFileFault::None),
    };
    EXPECT_EQ(CRowWriteBack::KeptFiducialsMessage(rows),
              "The fiducial comments of these lines were kept as they were, because their files "
              "cannot be read or disagree with their headers:\n"
              "X05: the trace file .\\X05.dt1 is missing\n"
              "X07: the trace file .\\sub\\X07.dt1 is shorter than its header says\n"
              "X08: the trace file .\\X08.dt1 cannot be read\n"
              "X03: the trace file .\\X03.dt1 is longer than its header says\n"
              "X09: the header .\\X09.hd gives no traces or no samples per trace\n"
              "Y01: the header .\\Y01.hd cannot be read");

    // Many lines: the message stays short enough for the screen and says how many more.
    std::vector<SKeptFiducials> many;
    for (int i = 0; i < 25; ++i)
        many.push_back(kept(("L" + std::to_string(i)).c_str(), ".\\L.dt1",
                            CFiducialImporter::kTraceFileUnreadable, ETraceFileFault::Missing));
    const std::string text = CRowWriteBack::KeptFiducialsMessage(many);
    EXPECT_EQ(Count(text, "\n"), static_cast<int>(CRowWriteBack::kKeptLinesShown) + 1) << text;
    EXPECT_NE(text.find("\nL19: "), std::string::npos);
    EXPECT_EQ(text.find("\nL20: "), std::string::npos);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "... and 5 more");
}

} // namespace

namespace {

// A project of several sets (two of one name in other cases, one whose settings follow its
// lines), a line name twice in a set, a line under "Data" and a data block whose settings follow
// the sets and fail to load; every line has a data file L1 with an odometer.
std::string ManySetsProject() {
    const auto line = [](const std::string &name, const std::string &x) {
        return "<Line name=\"" + name +
               "\"><DataFile name=\"L1\" seq=\"1\" ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/>"
               "<Position X=\"" +
               x +
               "\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"0.0\"/>"
               "<Position X=\"5\" Y=\"1\" Z=\"0\" units=\"m\" normalized_file_pos=\"1.0\"/>"
               "<Odometer start=\"0\" end=\"5\" step=\"0.05\" units=\"m\"/></DataFile></Line>";
    };
    return "<Data version=\"1.2.0\"><LineSet name=\"A\">" + line("L1", "0") + line("L2", "0") +
           line("l1", "9") + "</LineSet><LineSet name=\"a\">" + line("L1", "8") +
           "</LineSet><LineSet name=\"B\">" + line("X", "0") + line("Y", "0") +
           "<Settings version=\"1.2.0\"><StepSize units=\"m\">0.040000</StepSize></Settings>"
           "</LineSet>" +
           line("D1", "0") + "<Settings version=\"1.2.0\"/></Data>";
}

// Every row of a project written in one pass through the index of its lines gives the file and
// the messages that a walk of the document for each row gives, refused rows included: the first
// set and the first line of a name, a set's settings wherever they stand.
TEST(RowWriteBack, APassOverEveryRowWritesWhatARowByRowWalkWrites) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"A", "L1"}, {"a", "L2"}, {"A", "l1"}, {"B", "X"}, {"b", "Y"},
        {"", "D1"},  {"A", "L9"}, {"C", "L1"}, {"B", "Y"}};
    const auto writeAll = [&](bool pass, std::vector<std::string> &messages) {
        importtest::Project p(ManySetsProject());
        p.AddLine("L1");
        kvdtest::CaptureSink sink;
        const CLineNodes lines(p.File());
        CRowWriteBack one(p.File(), p.Path(), &lines);
        int written = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            SRowValues row = L1Row(0.5 * i, 4 + i, 1, 1);
            row.lineName = rows[i].second;
            row.step = 0.04;
            if (pass)
                written += one.ModifyRow(row, rows[i].first, rows[i].second, 9);
            else
                written += CRowWriteBack(p.File(), p.Path())
                               .ModifyRow(row, rows[i].first, rows[i].second, 9);
        }
        messages.clear();
        for (const auto &message : sink.Messages())
            messages.push_back(message.text);
        EXPECT_EQ(written, 7);
        return p.Text();
    };
    std::vector<std::string> walked, passed;
    const std::string expected = writeAll(false, walked);
    EXPECT_EQ(writeAll(true, passed), expected);
    // A walk warns of the data block's settings at each of the nine rows; the pass once, at the
    // first. The two refusals are the same.
    ASSERT_EQ(walked.size(), 9u + 2u);
    std::vector<std::string> once;
    for (const std::string &text : walked)
        if (std::find(once.begin(), once.end(), text) == once.end())
            once.push_back(text);
    EXPECT_EQ(once.size(), 1u + 2u);
    EXPECT_EQ(passed, once);
    // The first line of a name took both of its rows; the second of set A and set "a" none.
    EXPECT_NE(expected.find("<LineSet name=\"A\"><Line name=\"L1\"><DataFile name=\"L1\" seq=\"1\" "
                            "ext=\"HD+DT1\"><FileType UID=\"COR@@@\"/><Position X=\"1.000\""),
              std::string::npos)
        << expected;
    EXPECT_NE(expected.find("<Position X=\"9\""), std::string::npos);
    EXPECT_NE(expected.find("<Position X=\"8\""), std::string::npos);
}

} // namespace
