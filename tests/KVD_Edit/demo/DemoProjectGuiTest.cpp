#include "KVD_Edit/demo/DemoProject.h"

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridInfo.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// The project path the tool prints for folder; empty when it failed.
std::string RunTool(const std::string &folder) {
    const std::string command = std::string("'") + KVD_DEMO_TOOL + "' '" + folder + "'";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::string();
    std::string out;
    std::array<char, 512> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    const int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || out.empty() || out.back() != '\n')
        return std::string();
    out.pop_back();
    return out;
}

// The demo written by the tool into dir and opened as File Open opens it, nothing said yet.
SOpenProject OpenDemo(const TempDir &dir) {
    App();
    Sink().Clear();
    const std::string path = RunTool(dir.File("demo"));
    EXPECT_FALSE(path.empty());
    return path.empty() ? SOpenProject() : OpenProject(path);
}

std::string Artifacts() {
    const char *folder = std::getenv("KVD_ARTIFACTS");
    return folder != nullptr && *folder != 0 ? folder : ".";
}

// Whether a pixel is drawn on, not the white background or its light dotted grid.
bool Ink(const wxImage &img, int x, int y) {
    return std::min({img.GetRed(x, y), img.GetGreen(x, y), img.GetBlue(x, y)}) < 150;
}

// The middles of the runs of ink along a column (vertical) or a row of the picture, between
// from and to (device pixels).
std::vector<double> InkRuns(const wxImage &img, bool vertical, int at, int from, int to) {
    std::vector<double> runs;
    int start = -1;
    for (int i = from; i <= to + 1; ++i) {
        bool ink = false;
        if (i <= to)
            for (int d = -1; d <= 1; ++d)
                ink = ink || (vertical ? Ink(img, at + d, i) : Ink(img, i, at + d));
        if (ink && start < 0)
            start = i;
        if (!ink && start >= 0) {
            runs.push_back((start + i - 1) / 2.0);
            start = -1;
        }
    }
    return runs;
}

} // namespace

// The demo grid as the run script opens it: the grid lists its twenty lines in their set, the
// ten GPS files beside them are attached and read, and the plan draws the ten X lines and the
// ten Y lines where the grid puts them.
TEST(DemoProjectGui, OpensWithItsLinesDrawn) {
    TempDir dir;
    SOpenProject project = OpenDemo(dir);
    CKVDVDoc *doc = project.doc;
    ASSERT_NE(nullptr, doc);
    ASSERT_NE(nullptr, project.window);
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    CPlanViewWindow *window = project.window;
    CChildFrame *frame = project.view->GetChildFrame();
    ASSERT_NE(nullptr, frame);

    // The grid: every line in its set, in import order, with its GPS file loaded or none.
    KVDGridView *grid = frame->GetGridView();
    ASSERT_NE(nullptr, grid);
    const std::vector<SDemoLine> lines = CDemoProject::Lines();
    ASSERT_EQ(static_cast<int>(lines.size()), grid->GetNumRows());
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].name);
        const SGridInfo *row = grid->GetRowInfo(static_cast<int>(i));
        ASSERT_NE(nullptr, row);
        EXPECT_EQ(CDemoProject::kLineSet, row->gridName);
        EXPECT_EQ(lines[i].name, row->lineName);
        EXPECT_EQ(lines[i].gps ? GFS_LOADED : GFS_NONE, row->gpsStatus);
    }
    CGPSInfo *gps = doc->GetGPSInfo();
    ASSERT_NE(nullptr, gps);
    EXPECT_TRUE(gps->HasGPSData());
    int gpsLines = 0;
    for (const CGPSInfo::SSetRecord &set : gps->Sets())
        for (const CGPSInfo::SLineRecord &line : set.lines)
            gpsLines += line.lastGpsTrace == CDemoProject::kTraces;
    EXPECT_EQ(10, gpsLines) << "each GPS file is read up to the line's last trace";

    wxCommandEvent fit(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_ZOOM_FIT));
    doc->ProcessEvent(fit);
    window->InvalidateMap();
    window->Update();
    PumpEvents(100);
    SaveScreenshot(frame, "demo_project_frame");
    const wxImage img = window->Snapshot().ConvertToImage();
    img.SaveFile(wxString::FromUTF8(Artifacts() + "/demo_project_plan.png"), wxBITMAP_TYPE_PNG);

    // Down the column at x = 2 m (between the first two Y lines) the X lines cross at y = 1, 3,
    // ... 19 m; along the row at y = 2 m the Y lines at x = 1, 3, ... 19 m. Nothing else is drawn
    // on either inside the grid.
    const CPlanViewController &c = window->Controller();
    const ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
    const RECT &d = c.GetDevicePlot();
    auto column = [&](double x) { return PlanInterpolate(x, e.left, e.right, d.left, d.right); };
    auto row = [&](double y) { return PlanInterpolate(y, e.top, e.bottom, d.top, d.bottom); };
    ASSERT_GT(std::fabs(row(0) - row(20)), 200) << "the grid fills the plan";
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "X lines down x = 2 m" : "Y lines along y = 2 m");
        const std::function<double(double)> place =
            vertical ? std::function<double(double)>(row) : std::function<double(double)>(column);
        const int at = static_cast<int>(std::lround(vertical ? column(2) : row(2)));
        const double a = place(0.5), b = place(19.5);
        const std::vector<double> runs = InkRuns(
            img, vertical, at, static_cast<int>(std::min(a, b)), static_cast<int>(std::max(a, b)));
        ASSERT_EQ(static_cast<size_t>(CDemoProject::kLinesPerDirection), runs.size());
        std::vector<double> want;
        for (int n = 0; n < CDemoProject::kLinesPerDirection; ++n)
            want.push_back(place(1 + 2 * n));
        std::sort(want.begin(), want.end());
        for (size_t n = 0; n < runs.size(); ++n)
            EXPECT_NEAR(want[n], runs[n], 2.5) << "line " << n;
    }

    CloseProject(project);
}

// The untouched demo opens as it was saved: nothing asked, nothing to save, and closing it
// asks nothing.
TEST(DemoProjectGui, OpensAndClosesUnmodified) {
    TempDir dir;
    SOpenProject project = OpenDemo(dir);
    ASSERT_NE(nullptr, project.doc);
    ASSERT_NE(nullptr, project.window);
    PumpEvents(200);
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    EXPECT_FALSE(project.doc->IsModified()) << "opening the demo changed it";
    EXPECT_TRUE(project.doc->GetGPSInfo()->HasGPSData());
    EXPECT_TRUE(project.doc->Close()) << "closing it needs no answer";
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    project.doc->DeleteAllViews();
    PumpEvents(100);
}
