#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/planview/FocusSelection.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "tests/support/PlanProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/image.h>

#include <cmath>
#include <string>
#include <vector>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

std::string Artifacts() {
    const char *folder = std::getenv("KVD_ARTIFACTS");
    return folder != nullptr && *folder != 0 ? folder : ".";
}

// Ten X lines and ten Y lines crossing each other 2 m apart, each with the fiducials "FID1",
// "FID2" and "FID3", their names running over the neighbouring lines.
std::vector<PlanLineSpec> CrossingLines() {
    std::vector<PlanLineSpec> lines;
    for (int i = 0; i < 10; ++i) {
        PlanLineSpec x;
        x.name = "X" + std::to_string(i);
        x.x0 = 0;
        x.x1 = 20;
        x.y0 = x.y1 = 2.0 * i;
        PlanLineSpec y;
        y.name = "Y" + std::to_string(i);
        y.x0 = y.x1 = 1 + 2.0 * i;
        y.y0 = -1;
        y.y1 = 19;
        for (PlanLineSpec *l : {&x, &y})
            l->fids = {{5, "FID1"}, {10, "FID2"}, {15, "FID3"}};
        lines.push_back(x);
        lines.push_back(y);
    }
    return lines;
}

// A plan view window over a project whose selection list tells the window of its changes the
// way the document does: by the selection hint.
class SelectionHost : public IPlanViewHost, public IFocusListOwner {
public:
    SelectionHost() {
        const std::string path = dir.File("plan.kvd");
        WriteFile(path, PlanProjectText(CrossingLines()));
        files.LoadKvdXmlFile(path.c_str());
        focus.SetOwner(this, &files);
        SLogFont record;
        CPrgFont::GetStockLogFont(&record);
        font.CreateFromLogFont(&record);
        frame = new wxFrame(nullptr, wxID_ANY, "Plan view", wxPoint(0, 0), wxSize(760, 600));
        window = new CPlanViewWindow(frame, this);
        frame->Show();
        WaitFor([this] { return window->MapDrawCount() > 0; });
        PumpEvents(100);
    }
    ~SelectionHost() override {
        frame->Hide();
        frame->Destroy();
        PumpEvents(50);
    }

    bool GetPlanDoc(SPlanViewDoc &doc) override {
        doc.query = files.GetDataBlockInterface();
        doc.queryGeneration = 1;
        doc.selection = &selection;
        doc.lineDisplay = &table;
        doc.showFiducials = true;
        doc.showFiducialText = true;
        doc.font = &font;
        return true;
    }
    void PostFrameCommand(int) override {}
    void UpdateAllViewsWithHint(wxView *, int hint) override {
        if (hint == KVDCmd::HINT_SELECTION_CHANGED)
            window->SelectionChanged();
        else
            window->InvalidateMap();
    }

    // What the window shows now, drawn as it stands.
    wxImage Shown() { return window->Snapshot().ConvertToImage(); }
    // What a drawing of the whole map shows.
    wxImage Whole() {
        window->InvalidateMap();
        return Shown();
    }

    // The device pixel of a local position in the last layout.
    wxPoint ToDevice(double x, double y) const {
        const CPlanViewController &c = window->Controller();
        ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
        const RECT &d = c.GetDevicePlot();
        return wxPoint(
            static_cast<int>(std::lround(PlanInterpolate(x, e.left, e.right, d.left, d.right))),
            static_cast<int>(std::lround(PlanInterpolate(y, e.top, e.bottom, d.top, d.bottom))));
    }

    TempDir dir;
    CKvdGprDataFiles files;
    CFocusEntryList focus;
    CFocusSelection selection{&focus, nullptr};
    SLineDisplayTable table;
    CPrgFont font;
    wxFrame *frame = nullptr;
    CPlanViewWindow *window = nullptr;
};

void Save(const wxImage &image, const std::string &name) {
    image.SaveFile(wxString::FromUTF8(Artifacts() + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
}

} // namespace

// Each change of the selection draws the map again only where lines changed, and the picture
// is the one a drawing of the whole map gives, pixel for pixel: a line taken, one replaced by
// another that crosses it, a second added, a label's line, all given back.
TEST(PlanSelectionRepaintGui, APartRepaintEqualsAWholeDrawing) {
    App();
    SelectionHost host;
    struct Step {
        const char *name;
        // Lines of the set (X0 to X9 are 0 to 9, Y0 to Y9 10 to 19) selected after the step.
        std::vector<int> lines;
    } steps[] = {
        {"one X line", {0}},
        {"a crossing Y line instead", {12}},
        {"a second line added", {12, 4}},
        {"a line under fiducial names", {15}},
        {"nothing", {}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        const int wholeBefore = host.window->MapDrawCount();
        const int partsBefore = host.window->PartDrawCount();
        host.focus.DeleteFocusArray();
        for (int line : step.lines)
            host.focus.AddFocusEntry(0, line, nullptr, false);
        host.UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_SELECTION_CHANGED);
        const wxImage part = host.Shown();
        EXPECT_EQ(wholeBefore, host.window->MapDrawCount()) << "the whole map was drawn again";
        EXPECT_EQ(partsBefore + 1, host.window->PartDrawCount());
        const wxImage whole = host.Whole();
        ASSERT_TRUE(part.IsOk() && whole.IsOk());
        wxPoint first;
        const int differing = PixelDifferences(part, whole, first);
        EXPECT_EQ(0, differing) << "first at " << first.x << "," << first.y;
        const std::string name = std::string("plan_part_") + std::to_string(&step - steps);
        Save(part, name);
        if (differing != 0)
            Save(whole, name + "_whole");
    }
}

// A click on a line through the X server selects it, and the view shows it as a drawing of the
// whole map would.
TEST(PlanSelectionRepaintGui, AClickOnALineRepaintsItAsAWholeDrawingWould) {
    if (!RealInputAvailable())
        GTEST_SKIP() << "the display has no XTest";
    App();
    SelectionHost host;
    host.focus.AddFocusEntry(0, 0, nullptr, false);
    host.window->InvalidateMap();
    host.Shown();
    const int wholeBefore = host.window->MapDrawCount();
    // On Y3 (x = 7), between the X lines at y = 2 and 4.
    RealClick(host.window, host.ToDevice(7, 3));
    WaitFor([&] {
        return host.focus.GetEntries().size() == 1 && host.focus.GetEntries()[0].line == 13;
    });
    ASSERT_EQ(1u, host.focus.GetEntries().size());
    EXPECT_EQ(13, host.focus.GetEntries()[0].line);
    const wxImage part = host.Shown();
    EXPECT_EQ(wholeBefore, host.window->MapDrawCount());
    const wxImage whole = host.Whole();
    wxPoint first;
    EXPECT_EQ(0, PixelDifferences(part, whole, first)) << "first at " << first.x << "," << first.y;
    Save(part, "plan_part_click");
}

// Every label of the map is one of three texts: each is laid out once for the font, and a
// drawing of the whole map again lays out nothing.
TEST(PlanSelectionRepaintGui, EachTextIsLaidOutOncePerFont) {
    App();
    SelectionHost host;
    const int first = host.window->Controller().TextCache().Layouts();
    host.Whole();
    host.Whole();
    EXPECT_EQ(first, host.window->Controller().TextCache().Layouts());
    // 60 fiducial names and the scale bars' labels: fewer layouts than fiducial names alone.
    EXPECT_LT(first, 60);
    EXPECT_EQ(60u, host.window->Controller().Lines().GetData().fids.size());
}

// A selected line is drawn over the lines that cross it, in the selection pen.
TEST(PlanSelectionRepaintGui, ASelectedLineLiesOverTheLinesCrossingIt) {
    App();
    SelectionHost host;
    for (int line : {4, 13}) // X4 along y = 8 and Y3 at x = 7
        host.focus.AddFocusEntry(0, line, nullptr, false);
    host.UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_SELECTION_CHANGED);
    wxImage shown = host.Shown();
    host.focus.DeleteFocusArray();
    host.focus.AddFocusEntry(0, 4, nullptr, false);
    host.UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_SELECTION_CHANGED);
    const wxImage one = host.Shown();
    Save(one, "plan_selected_over");
    // Where X4 crosses Y5 (x = 11), Y1 (x = 3) and Y3 once it is no longer selected (away from
    // the fiducial marks).
    for (double x : {11.0, 3.0, 7.0}) {
        SCOPED_TRACE(x);
        const wxPoint p = host.ToDevice(x, 8);
        EXPECT_GT(one.GetRed(p.x, p.y), 200);
        EXPECT_LT(one.GetBlue(p.x, p.y), 80);
    }
    // While both were selected, their crossing was in the selection pen too.
    const wxPoint both = host.ToDevice(7, 8);
    EXPECT_GT(shown.GetRed(both.x, both.y), 200);
}
