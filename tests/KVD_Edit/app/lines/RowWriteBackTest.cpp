#include "KVD_Edit/app/lines/RowWriteBack.h"

#include "KVD_Edit/app/document/GpsCommands.h"

#include "KVD_Edit/app/lines/ImportDlgLogic.h"
#include "KVD_Edit/app/lines/LineImporter.h"
#include "tests/KVD_Edit/app/lines/ImportTestSupport.h"

#include <gtest/gtest.h>

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
