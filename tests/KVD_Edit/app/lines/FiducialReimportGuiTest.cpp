#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "tests/support/GridProject.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include <wx/listctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

const std::vector<std::string> kLines = {"X01", "X02", "X03", "X04", "X05", "X06"};

// A line as the crew recorded it: 201 traces over 10 m, three fiducials; its trace file is
// 128,640 bytes long.
SRadarLine RecordedLine(const std::string &secondComment = "FID B") {
    SRadarLine line;
    line.traces = 201;
    line.samples = 256;
    line.step = 0.05;
    line.synthetic = false;
    line.tracePositions = true;
    line.fiducials = {{50, "FID A"}, {100, secondComment}, {150, "FID C"}};
    return line;
}

// The "FIDComment" elements of a line in the saved project text, as written.
std::vector<std::string> SavedComments(const std::string &text, const std::string &line) {
    std::vector<std::string> comments;
    const size_t start = text.find("<Line name=\"" + line + "\"");
    if (start == std::string::npos)
        return comments;
    const size_t end = text.find("</Line>", start);
    for (size_t at = text.find("<FIDComment", start); at < end;
         at = text.find("<FIDComment", at + 1)) {
        const size_t close = text.find("</FIDComment>", at);
        comments.push_back(text.substr(at, close + 13 - at));
    }
    return comments;
}

CChildFrame *FrameOf(const SOpenProject &project) {
    return project.doc ? dynamic_cast<CChildFrame *>(project.doc->GetFrame()) : nullptr;
}

// The line grid's row area, which takes the keys.
wxWindow *GridRows(CChildFrame *frame) {
    wxWindow *rows = frame->GetGridView()->GetListCtrl();
    for (wxWindow *child : rows->GetChildren())
        if (wxString(child->GetClassInfo()->GetClassName()) == "wxListMainWindow")
            return child;
    return rows;
}

// Keys typed on the display's keyboard with the line grid in the focus, as a person types them.
void TypeKeys(CChildFrame *frame, const std::vector<std::string> &keys) {
    EXPECT_TRUE(FocusWindow(App().GetMainFrame()));
    wxWindow *target = GridRows(frame);
    target->SetFocus();
    EXPECT_TRUE(WaitFor([target] { return wxWindow::FindFocus() == target; }, 2000));
    for (const std::string &key : keys)
        EXPECT_TRUE(RealKey(key, 400)) << key;
    PumpEvents(200);
}

// Edit > Re-import Fiducials, then Ctrl+S, through the keyboard; true when the project was saved.
bool ReimportAndSave(SOpenProject &project, const std::string &picture) {
    CChildFrame *frame = FrameOf(project);
    TypeKeys(frame, {"alt+e", "f"});
    WaitFor([&] { return project.doc->IsModified(); }, 3000);
    TypeKeys(frame, {"ctrl+s"});
    const bool saved = WaitFor([&] { return !project.doc->IsModified(); }, 5000);
    PumpEvents(500);
    // Read from the X server: what the screen shows once the reload has drawn the new comments.
    SaveArtifact(GrabScreen(std::string(), App().GetMainFrame()->GetScreenRect()), picture);
    return saved;
}

// The person's comments are the only copy left of the marks of a line whose trace file is gone:
// a re-import over a missing, a short and a 0-trace line, and over one whose header gives fewer
// traces than its trace file holds, keeps their comments byte for byte in the saved project,
// renews a readable line whose trace file comment was changed, and names the four lines in one
// message.
TEST(FiducialReimportGui, KeepsTheCommentsOfLinesThatCannotBeReadAndNamesThem) {
    if (!RealInputAvailable())
        GTEST_SKIP() << "the display offers no XTest";
    App();
    Sink().Clear();
    TempDir dir;
    GridProjectLayout layout;
    for (size_t i = 0; i < kLines.size(); ++i) {
        GridLineLayout line;
        line.set = "GRID";
        line.name = kLines[i];
        line.positions = {{0, 1.0 + 2 * i, 0, "m"}, {10, 1.0 + 2 * i, 1, "m"}};
        line.step = 0.05;
        layout.lines.push_back(line);
    }
    layout.settingsStep = 0.05;
    const std::string path = WriteGridProject(dir.Path(), layout);
    AddCreatedByRecord(path);
    for (const std::string &name : kLines)
        ASSERT_TRUE(WriteRadarLine(dir.File(name), RecordedLine()));

    // The comments come into the project from the trace files, and are saved.
    SOpenProject project = OpenProject(path);
    ASSERT_NE(FrameOf(project), nullptr);
    ASSERT_EQ(FrameOf(project)->GetGridView()->GetNumRows(), 6) << Sink().AllTexts();
    Sink().Clear();
    ASSERT_TRUE(ReimportAndSave(project, "FiducialReimportGui_First")) << Sink().AllTexts();
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    const std::string first = ReadFile(path);
    std::map<std::string, std::vector<std::string>> kept;
    for (const std::string &name : kLines) {
        kept[name] = SavedComments(first, name);
        EXPECT_EQ(kept[name].size(), 3u) << name << "\n" << first;
    }
    CloseProject(project);

    // X02's trace file is deleted, X03's stopped at 100,000 bytes, X04's header lost its trace
    // count, X06's was damaged by hand so that its first digit reads as 2 of 201 traces; X01's
    // second comment was edited in its trace file.
    std::remove(dir.File("X02.dt1").c_str());
    const std::string x03 = ReadFile(dir.File("X03.dt1"));
    ASSERT_GT(x03.size(), 100000u);
    WriteFile(dir.File("X03.dt1"), x03.substr(0, 100000));
    std::string x04 = ReadFile(dir.File("X04.hd"));
    const size_t at = x04.find("NUMBER OF TRACES");
    ASSERT_NE(at, std::string::npos);
    x04.replace(at, x04.find('\r', at) - at, "NUMBER OF TRACES   = abc");
    WriteFile(dir.File("X04.hd"), x04);
    ASSERT_TRUE(SetHeaderValue(dir.File("X06.hd"), "NUMBER OF TRACES", "2x01"));
    ASSERT_TRUE(WriteRadarLine(dir.File("X01"), RecordedLine("EDITED B")));

    // Opened again (the load names the problems), re-imported and saved.
    project = OpenProject(path);
    ASSERT_NE(FrameOf(project), nullptr);
    EXPECT_NE(Sink().AllTexts().find(CGridRowBuilder::kErrorIntro), std::string::npos)
        << Sink().AllTexts();
    Sink().Clear();
    ASSERT_TRUE(ReimportAndSave(project, "FiducialReimportGui_Second")) << Sink().AllTexts();

    ASSERT_EQ(Sink().Messages().size(), 1u) << Sink().AllTexts();
    const std::string message = Sink().Messages()[0].text;
    EXPECT_EQ(message.rfind("The fiducial comments of these lines were kept as they were", 0), 0u)
        << message;
    const size_t x02 = message.find("\nX02: the trace file .\\X02.dt1 is missing");
    const size_t x03At = message.find("\nX03: the trace file .\\X03.dt1 is shorter");
    const size_t x04At = message.find("\nX04: the header .\\X04.hd gives no traces");
    const size_t x06At = message.find("\nX06: the trace file .\\X06.dt1 is longer");
    EXPECT_NE(x02, std::string::npos) << message;
    EXPECT_NE(x03At, std::string::npos) << message;
    EXPECT_NE(x04At, std::string::npos) << message;
    EXPECT_NE(x06At, std::string::npos) << message;
    EXPECT_TRUE(x02 < x03At && x03At < x04At && x04At < x06At) << "in grid order: " << message;
    EXPECT_EQ(message.find("X01"), std::string::npos) << message;
    EXPECT_EQ(message.find("X05"), std::string::npos) << message;

    const std::string second = ReadFile(path);
    for (const char *name : {"X02", "X03", "X04", "X05", "X06"})
        EXPECT_EQ(SavedComments(second, name), kept[name]) << name << " kept its comments";
    const std::vector<std::string> renewed = SavedComments(second, "X01");
    ASSERT_EQ(renewed.size(), 3u) << second;
    EXPECT_EQ(renewed[0], kept["X01"][0]);
    EXPECT_NE(renewed[1].find(">EDITED B</FIDComment>"), std::string::npos) << renewed[1];
    EXPECT_EQ(renewed[2], kept["X01"][2]);
    CloseProject(project);
}

// A project of count X lines X01, X02, ... 2 m apart, each data file holding the one comment
// "kept <name>"; their trace files have no fiducials.
GridProjectLayout LinesWithKeptComments(int count) {
    GridProjectLayout layout;
    for (int i = 0; i < count; ++i) {
        GridLineLayout line;
        line.name = "X0" + std::to_string(i + 1);
        line.positions = {{0, 1.0 + 2 * i, 0, "m"}, {10, 1.0 + 2 * i, 1, "m"}};
        line.fidComment = "kept " + line.name;
        layout.lines.push_back(line);
    }
    return layout;
}

// A project that asks for its fiducials to be imported gets them at its first open: lines whose
// files cannot be read keep the comments the project holds, and the load's own report is the
// only message.
TEST(FiducialReimportGui, LoadsFiducialImportKeepsTheCommentsOfLinesThatCannotBeRead) {
    App();
    Sink().Clear();
    TempDir dir;
    GridProjectLayout layout = LinesWithKeptComments(4);
    layout.lines[1].writeDt1 = false;
    layout.lines[2].badHd = true;
    const std::string path = WriteGridProject(dir.Path(), layout);
    const std::string x04 = ReadFile(dir.File("X04.dt1"));
    WriteFile(dir.File("X04.dt1"), x04.substr(0, x04.size() / 2));

    SOpenProject project = OpenProject(path);
    ASSERT_NE(FrameOf(project), nullptr);
    std::string xml;
    project.doc->GetDataFiles()->GetKvdXmlFile()->GetFileHnd()->Serialize(xml);
    EXPECT_EQ(xml.find(">kept X01<"), std::string::npos)
        << "the readable line's comments come from its trace file, which has none\n"
        << xml;
    for (const char *name : {"X02", "X03", "X04"})
        EXPECT_NE(xml.find(std::string(">kept ") + name + "</FIDComment>"), std::string::npos)
            << name << "\n"
            << xml;
    ASSERT_EQ(Sink().Messages().size(), 1u) << Sink().AllTexts();
    EXPECT_EQ(Sink().Messages()[0].text.rfind(CGridRowBuilder::kErrorIntro, 0), 0u)
        << Sink().AllTexts();
    CloseProject(project);
}

// A header damaged to give fewer traces than its trace file holds: the open names the line with
// both counts (and nothing of GPS it does not have), and the fiducial import the project asks for
// at its first open keeps the line's comments.
TEST(FiducialReimportGui, LoadNamesALineWhoseTraceFileIsLongerThanItsHeaderAndKeepsItsComments) {
    App();
    Sink().Clear();
    TempDir dir;
    const std::string path = WriteGridProject(dir.Path(), LinesWithKeptComments(3));
    ASSERT_TRUE(SetHeaderValue(dir.File("X03.hd"), "NUMBER OF TRACES", "4x0y1"));

    SOpenProject project = OpenProject(path);
    ASSERT_NE(FrameOf(project), nullptr);
    ASSERT_EQ(Sink().Messages().size(), 1u) << Sink().AllTexts();
    EXPECT_EQ(Sink().Messages()[0].text, CGridRowBuilder::kErrorIntro + dir.File("X03.hd") +
                                             " claims 4 traces, its trace file holds 21.\n");
    std::string xml;
    project.doc->GetDataFiles()->GetKvdXmlFile()->GetFileHnd()->Serialize(xml);
    EXPECT_EQ(xml.find(">kept X01<"), std::string::npos)
        << "the readable lines' comments come from their trace files, which have none\n"
        << xml;
    EXPECT_NE(xml.find(">kept X03</FIDComment>"), std::string::npos) << xml;
    CloseProject(project);
}

} // namespace
