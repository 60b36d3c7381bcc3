#include "KVD_Edit/app/edit/EditEngine.h"

#include "tests/KVD_Edit/app/edit/EditProject.h"

#include <gtest/gtest.h>

using namespace edittest;
using kvdtest::CaptureSink;
using kvdtest::GridProjectLayout;

namespace {

// The XML of one line, from its element to its end.
std::string LineXml(const std::string &xml, const std::string &name) {
    const size_t at = xml.find("<Line name=\"" + name + "\"");
    if (at == std::string::npos)
        return std::string();
    return xml.substr(at, xml.find("</Line>", at) - at);
}

// The "Position" elements of a line in document order, as "X,Y" texts.
std::vector<std::string> Positions(const std::string &xml, const std::string &name) {
    std::vector<std::string> out;
    const std::string line = LineXml(xml, name);
    for (size_t at = line.find("<Position "); at != std::string::npos;
         at = line.find("<Position ", at + 1)) {
        auto attr = [&](const char *key) {
            const size_t v = line.find(std::string(key) + "=\"", at) + std::string(key).size() + 2;
            return line.substr(v, line.find('"', v) - v);
        };
        out.push_back(attr("X") + "," + attr("Y"));
    }
    return out;
}

GridProjectLayout Layout(std::vector<kvdtest::GridLineLayout> lines, double settingsStep = 0.5) {
    GridProjectLayout layout;
    layout.lines = std::move(lines);
    layout.settingsStep = settingsStep;
    return layout;
}

TEST(EditEngine, GatherCombinesTheSelectedRows) {
    CEditProject p(Layout({XLine("X0", 0, 0, 10), XLine("X1", 3, 2, 12), XLine("X2", 3, 0, 5),
                           XLine("X3", 7, 0, 10), YLine("Y0", 1, 0, 4), YLine("Y1", 5, 0, 4)}));
    ASSERT_TRUE(p.Loaded());
    CEditEngine &e = p.Engine();
    EXPECT_FALSE(e.Gather(p, 1000)) << "nothing selected: nothing to edit";

    p.Select({"X0", "X1", "X2", "X3", "Y0", "Y1"});
    ASSERT_TRUE(e.Gather(p, 77));
    const SEditData &d = e.Data();
    EXPECT_EQ(d.selectedCount, 6);
    EXPECT_EQ(d.tolerance, 77);
    EXPECT_EQ(d.xLineCount, 4);
    EXPECT_EQ(d.yLineCount, 2);
    EXPECT_FALSE(d.setNamesDiffer);
    EXPECT_DOUBLE_EQ(e.WorkRow().xMin, 0);
    EXPECT_DOUBLE_EQ(e.WorkRow().xMax, 12);
    EXPECT_DOUBLE_EQ(e.WorkRow().yMax, 7);
    EXPECT_DOUBLE_EQ(e.WorkRow().length, 10);
    // Spacing over distinct positions: X lines at 0, 3, 3, 7 span 7 over 2 gaps (3.5); the Y
    // lines at 1 and 5 span 4 over 1 gap; both kinds: the mean.
    EXPECT_DOUBLE_EQ(d.lineSpacing, (3.5 + 4) / 2);
    EXPECT_EQ(e.ReferenceRow().xMax, e.WorkRow().xMax);

    p.Select({"X1", "X2"});
    ASSERT_TRUE(e.Gather(p, 1000));
    EXPECT_EQ(d.lineSpacing, 0) << "two lines at one position have no spacing";
}

TEST(EditEngine, InterchangeMapsDistinctPositionsOntoTheirMirror) {
    CEditProject p(Layout({XLine("X0", 0, 0, 10), XLine("X0b", 0, 0, 10), XLine("X1", 10, 0, 10),
                           XLine("X2", 20, 0, 10), YLine("Y0", 1, 0, 20), YLine("Y1", 4, 0, 20)}));
    ASSERT_TRUE(p.Loaded());
    p.Select({"X0", "X0b", "X1", "X2", "Y0", "Y1"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().Data().interchangeX = true;
    CaptureSink sink;
    p.Apply();
    EXPECT_EQ(sink.AllTexts(), "");
    // The two lines at Y 0 move together to the top; the middle one stays.
    EXPECT_EQ(p.Row("X0")->yMin, 20);
    EXPECT_EQ(p.Row("X0b")->yMin, 20);
    EXPECT_EQ(p.Row("X1")->yMin, 10);
    EXPECT_EQ(p.Row("X2")->yMin, 0);
    EXPECT_EQ(Positions(p.Xml(), "X2"), (std::vector<std::string>{"0.000,0.000", "10.000,0.000"}));
    // Y lines are left alone unless asked for.
    EXPECT_EQ(p.Row("Y0")->xMin, 1);

    p.Engine().Gather(p, 1000);
    p.Engine().Data().interchangeY = true;
    p.Apply();
    EXPECT_EQ(p.Row("Y0")->xMin, 4);
    EXPECT_EQ(p.Row("Y1")->xMin, 1);
    EXPECT_EQ(p.Row("X2")->yMin, 0) << "X lines stay when only Y is interchanged";

    // One line of a kind: nothing to interchange.
    p.Select({"Y0"});
    p.Engine().Gather(p, 1000);
    p.Engine().Data().interchangeY = true;
    EXPECT_EQ(p.Apply().written, 0);
}

TEST(EditEngine, RespacingKeepsTheFirstPositionAndLinesThatShareOne) {
    CEditProject p(Layout(
        {XLine("A", 0, 0, 10), XLine("A2", 0, 0, 10), XLine("B", 3, 0, 10), XLine("C", 7, 0, 10)}));
    ASSERT_TRUE(p.Loaded());
    p.Select({"A", "A2", "B", "C"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    EXPECT_DOUBLE_EQ(p.Engine().Data().lineSpacing, 3.5);
    p.Engine().Data().lineSpacing = 5;
    p.Engine().Data().spacingChanged = true;
    p.Apply();
    const std::string xml = p.Xml();
    EXPECT_EQ(p.Row("A")->yMin, 0);
    EXPECT_EQ(p.Row("A2")->yMin, 0) << "a second line at the first position stays";
    EXPECT_EQ(Positions(xml, "B"), (std::vector<std::string>{"0.000,5.000", "10.000,5.000"}));
    EXPECT_EQ(Positions(xml, "C"), (std::vector<std::string>{"0.000,10.000", "10.000,10.000"}));
}

TEST(EditEngine, LengthAndStepKeepTheStartOfReversedLines) {
    CEditProject p(
        Layout({XLine("F", 0, 0, 10, 0.05), XLine("R", 5, 10, 0, 0.05)}, /*settingsStep=*/0.05));
    ASSERT_TRUE(p.Loaded());
    ASSERT_EQ(p.Row("F")->numTraces, 201);
    ASSERT_TRUE(p.Row("R")->reversed);

    p.Select({"F"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().WorkRow().length = 8;
    p.Apply();
    EXPECT_DOUBLE_EQ(p.Engine().WorkRow().step, 0.04);
    EXPECT_DOUBLE_EQ(p.Row("F")->xMax, 8);
    EXPECT_NE(LineXml(p.Xml(), "F").find("step=\"0.040\""), std::string::npos) << p.Xml();

    // The reversed line runs from its start at Xmax = 10 back over 8.
    p.Select({"R"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().WorkRow().length = 8;
    p.Apply();
    EXPECT_EQ(Positions(p.Xml(), "R"), (std::vector<std::string>{"10.000,5.000", "2.000,5.000"}));

    // A step edit keeps the start as well: 200 steps of 0.025 from 10.
    p.Engine().Gather(p, 1000);
    p.Engine().WorkRow().step = 0.025;
    p.Apply();
    EXPECT_EQ(Positions(p.Xml(), "R"), (std::vector<std::string>{"10.000,5.000", "5.000,5.000"}));
    EXPECT_DOUBLE_EQ(p.Engine().WorkRow().length, 5);
}

TEST(EditEngine, ReverseSwapAndGroupMove) {
    CEditProject p(Layout({XLine("X0", 10, 0, 50), XLine("X1", 20, 0, 50)}));
    ASSERT_TRUE(p.Loaded());
    p.Select({"X0"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().Data().reverseDirection = true;
    p.Apply();
    EXPECT_EQ(Positions(p.Xml(), "X0"),
              (std::vector<std::string>{"50.000,10.000", "0.000,10.000"}));
    EXPECT_TRUE(p.Row("X0")->reversed);

    // Moving the group by Xmin + 2 and Ymin + 1 keeps every length and the spacing.
    p.Select({"X0", "X1"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().WorkRow().xMin += 2;
    p.Engine().WorkRow().yMin += 1;
    p.Apply();
    EXPECT_EQ(Positions(p.Xml(), "X0"),
              (std::vector<std::string>{"52.000,11.000", "2.000,11.000"}));
    EXPECT_EQ(Positions(p.Xml(), "X1"),
              (std::vector<std::string>{"2.000,21.000", "52.000,21.000"}));

    // A step edit of the group changes lengths only; the lines keep their Y.
    p.Engine().Gather(p, 1000);
    p.Engine().WorkRow().step = 0.25;
    p.Apply();
    EXPECT_EQ(p.Row("X0")->yMin, 11);
    EXPECT_EQ(p.Row("X1")->yMin, 21);
    EXPECT_DOUBLE_EQ(p.Row("X1")->xMax, 2 + 0.25 * 100);

    p.Engine().Gather(p, 1000);
    p.Engine().Data().swapXY = true;
    p.Apply();
    EXPECT_EQ(p.Row("X1")->orientation, 3) << "an X line becomes a Y line";
    EXPECT_EQ(p.Engine().Data().yLineCount, 2);
    EXPECT_EQ(Positions(p.Xml(), "X1"),
              (std::vector<std::string>{"21.000,2.000", "21.000,27.000"}));
}

// A line slightly off the axis (within the step-size tolerance) keeps its positions through an
// edit that does not move it, and a group move drags its end by its extent along the axis.
TEST(EditEngine, EditsThatDoNotMoveALineKeepItsPositions) {
    kvdtest::GridLineLayout skewed = XLine("S", 5, 0, 10);
    skewed.positions = {{0, 5, 0, "m"}, {10, 5.004, 1, "m"}};
    CEditProject p(Layout({skewed}));
    ASSERT_TRUE(p.Loaded());
    ASSERT_EQ(p.Row("S")->orientation, 2);
    p.Select({"S"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().WorkRow().lineName = "S2";
    p.Apply();
    EXPECT_EQ(Positions(p.Xml(), "S2"), (std::vector<std::string>{"0.000,5.000", "10.000,5.004"}));

    p.Select({"S2"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().WorkRow().xMin += 1;
    p.Apply();
    EXPECT_EQ(Positions(p.Xml(), "S2"), (std::vector<std::string>{"1.000,5.000", "11.000,5.004"}));
}

TEST(EditEngine, RenameOntoAUsedNameKeepsTheOldName) {
    CEditProject p(Layout({XLine("X0", 0, 0, 10), XLine("X1", 5, 0, 10)}));
    ASSERT_TRUE(p.Loaded());
    p.Select({"X1"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().WorkRow().lineName = "X0";
    const std::string before = p.Xml();
    CaptureSink sink;
    const CEditEngine::SApplyResult r = p.Apply();
    EXPECT_EQ(r.refused, 1);
    EXPECT_EQ(sink.AllTexts(), "Line X0 already used.  Aborting update.");
    EXPECT_EQ(p.Engine().WorkRow().lineName, "X1") << "the dialog shows the old name again";
    EXPECT_EQ(p.Xml(), before);

    p.Engine().WorkRow().lineName = "X9";
    p.Apply();
    EXPECT_NE(p.Row("X9"), nullptr);

    // With two rows selected no line takes the work row's name.
    p.Select({"X0", "X9"});
    p.Engine().Gather(p, 1000);
    p.Engine().WorkRow().lineName = "Other";
    p.Apply();
    EXPECT_NE(p.Row("X0"), nullptr);
    EXPECT_NE(p.Row("X9"), nullptr);
}

TEST(EditEngine, RowsOfOneTraceGetNoNegativeStep) {
    kvdtest::GridLineLayout one = XLine("ONE", 0, 0, 0, 0.5); // a header of one trace
    CEditProject p(Layout({one, XLine("X1", 5, 0, 10)}));
    ASSERT_TRUE(p.Loaded());
    ASSERT_EQ(p.Row("ONE")->numTraces, 1);
    p.Select({"ONE", "X1"});
    ASSERT_TRUE(p.Engine().Gather(p, 1000));
    p.Engine().WorkRow().length = 4;
    p.Apply();
    EXPECT_GE(p.Row("ONE")->step, 0);
    EXPECT_GE(p.Row("ONE")->xMax, p.Row("ONE")->xMin);
    // The one-trace row does not change what the other rows were asked for.
    EXPECT_DOUBLE_EQ(p.Row("X1")->xMax, 4);
    EXPECT_DOUBLE_EQ(p.Row("X1")->step, 0.2);
}

} // namespace
