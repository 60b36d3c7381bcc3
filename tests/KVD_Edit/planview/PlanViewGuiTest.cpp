#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
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

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// The source folder, for the program's own compass image.
std::string SourceRoot() {
    return KVD_SOURCE_DIR;
}

std::string Artifacts() {
    const char *folder = std::getenv("KVD_ARTIFACTS");
    return folder != nullptr && *folder != 0 ? folder : ".";
}

// A project, its selection and settings, shown by a plan view window in a frame of its own; the
// frame records the commands that reach it.
class PlanHost : public IPlanViewHost, public IFocusListOwner {
public:
    explicit PlanHost(const std::vector<PlanLineSpec> &lines) {
        const std::string path = dir.File("plan.kvd");
        WriteFile(path, PlanProjectText(lines));
        files.LoadKvdXmlFile(path.c_str());
        focus.SetOwner(this, &files);
        SLogFont record;
        CPrgFont::GetStockLogFont(&record);
        font.CreateFromLogFont(&record);

        frame = new wxFrame(nullptr, wxID_ANY, "Plan view", wxPoint(0, 0), wxSize(860, 600));
        frame->Bind(wxEVT_MENU,
                    [this](wxCommandEvent &e) { commands.push_back(KVDCmd::FromWxId(e.GetId())); });
        window = new CPlanViewWindow(frame, this);
        window->LoadCompass(SourceRoot() + "/resources/Compass.bmp");
        frame->Show();
        WaitFor([this] { return window->MapDrawCount() > 0; });
        PumpEvents(100);
    }
    ~PlanHost() override {
        frame->Hide();
        frame->Destroy();
        PumpEvents(50);
    }

    bool GetPlanDoc(SPlanViewDoc &doc) override {
        doc.query = files.GetDataBlockInterface();
        doc.unit = unit;
        doc.selection = &selection;
        doc.lineDisplay = &table;
        doc.font = &font;
        return true;
    }
    SLocalWorldDef *GetLocalWorldDef() override { return &definition; }
    void PostFrameCommand(int command) override {
        wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(command));
        wxQueueEvent(frame, event.Clone());
    }
    void UpdateAllViewsWithHint(wxView *, int) override { window->InvalidateMap(); }

    // Redraws, saves a screenshot of the frame and returns what the window shows (its client
    // area), also saved as a PNG.
    wxImage Shot(const std::string &name) {
        window->InvalidateMap();
        window->Update();
        PumpEvents(50);
        SaveScreenshot(frame, name + "_frame");
        wxImage image = window->Snapshot().ConvertToImage();
        EXPECT_TRUE(image.IsOk());
        if (image.IsOk()) {
            EXPECT_TRUE(image.SaveFile(wxString::FromUTF8(Artifacts() + "/" + name + ".png"),
                                       wxBITMAP_TYPE_PNG));
        }
        return image;
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
    SLocalWorldDef definition;
    CPrgFont font;
    ORQ::EUnitType unit = ORQ::UNIT_M;
    std::vector<int> commands;
    wxFrame *frame = nullptr;
    CPlanViewWindow *window = nullptr;
};

bool IsDark(const wxImage &img, int x, int y) {
    if (x < 0 || y < 0 || x >= img.GetWidth() || y >= img.GetHeight())
        return false;
    // A one-pixel line between pixel rows comes out as two half-dark rows.
    return img.GetRed(x, y) < 170 && img.GetGreen(x, y) < 170 && img.GetBlue(x, y) < 170;
}
// Dark here or within two pixels along the row: the dotted grid may lie over a line.
bool IsDarkRow(const wxImage &img, int x, int y) {
    for (int dx = -2; dx <= 2; ++dx)
        if (IsDark(img, x + dx, y))
            return true;
    return false;
}
bool IsRed(const wxImage &img, int x, int y) {
    if (x < 0 || y < 0 || x >= img.GetWidth() || y >= img.GetHeight())
        return false;
    const int r = img.GetRed(x, y), g = img.GetGreen(x, y), b = img.GetBlue(x, y);
    return r > 170 && r - g > 90 && r - b > 90;
}
bool IsGrey(const wxImage &img, int x, int y) {
    const int r = img.GetRed(x, y), g = img.GetGreen(x, y), b = img.GetBlue(x, y);
    return r < 235 && r > 60 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
}
template <typename Pred> bool Near(const wxImage &img, wxPoint p, int radius, Pred pred) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (pred(img, p.x + dx, p.y + dy))
                return true;
    return false;
}
template <typename Pred> int Count(const wxImage &img, const wxRect &r, Pred pred) {
    int n = 0;
    for (int y = std::max(r.y, 0); y < std::min(r.GetBottom() + 1, img.GetHeight()); ++y)
        for (int x = std::max(r.x, 0); x < std::min(r.GetRight() + 1, img.GetWidth()); ++x)
            if (pred(img, x, y))
                ++n;
    return n;
}
// The middle rows of the runs of dark pixels down one column, from top to bottom.
std::vector<double> DarkRuns(const wxImage &img, int x, int top, int bottom) {
    std::vector<double> runs;
    int start = -1;
    for (int y = top; y <= bottom + 1; ++y) {
        const bool dark = y <= bottom && IsDarkRow(img, x, y);
        if (dark && start < 0)
            start = y;
        if (!dark && start >= 0) {
            runs.push_back((start + y - 1) / 2.0);
            start = -1;
        }
    }
    return runs;
}

wxRect PlotRect(const PlanHost &host) {
    const RECT &d = host.window->Controller().GetDevicePlot();
    return wxRect(wxPoint(d.left, d.top), wxPoint(d.right, d.bottom));
}

} // namespace

TEST(PlanViewGui, DrawsTheLinesToScaleWithYUp) {
    App();
    PlanHost host(PlanGridLines());
    wxImage img = host.Shot("plan_lines_to_scale");
    ASSERT_TRUE(img.IsOk());
    const wxRect plot = PlotRect(host);
    ASSERT_GT(plot.width, 300);

    // Down the column at x = 6 m: three X lines, Y = 10 at the top and Y = 0 at the bottom.
    const int column = host.ToDevice(6.37, 0).x;
    std::vector<double> rows = DarkRuns(img, column, plot.y, plot.GetBottom());
    ASSERT_EQ(3u, rows.size());
    EXPECT_NEAR(host.ToDevice(6.37, 10).y, rows[0], 2);
    EXPECT_NEAR(host.ToDevice(6.37, 5).y, rows[1], 2);
    EXPECT_NEAR(host.ToDevice(6.37, 0).y, rows[2], 2);
    EXPECT_NEAR(rows[1] - rows[0], rows[2] - rows[1], 1.5);

    // Across the row at y = 7 m: three Y lines at 2, 10 and 18 m, drawn at the same scale.
    int across = host.ToDevice(0, 7.37).y;
    std::vector<double> cols;
    int start = -1;
    for (int x = plot.x; x <= plot.GetRight() + 1; ++x) {
        bool dark = false;
        for (int dy = -2; dy <= 2 && x <= plot.GetRight(); ++dy)
            dark = dark || IsDark(img, x, across + dy);
        if (dark && start < 0)
            start = x;
        if (!dark && start >= 0) {
            cols.push_back((start + x - 1) / 2.0);
            start = -1;
        }
    }
    ASSERT_EQ(3u, cols.size());
    const double perMetreX = (cols[2] - cols[0]) / 16.0;
    const double perMetreY = (rows[2] - rows[0]) / 10.0;
    EXPECT_NEAR(perMetreX, perMetreY, 0.1 * perMetreX);
    // Nothing between the lines.
    EXPECT_FALSE(Near(img, host.ToDevice(6.37, 2.5), 2, IsDark));
}

TEST(PlanViewGui, SelectedLineShowsInTheSelectionPen) {
    App();
    PlanHost host(PlanGridLines());
    host.focus.AddFocusEntry(0, 4, nullptr, false); // Y10
    wxImage img = host.Shot("plan_selected_line");
    ASSERT_TRUE(img.IsOk());
    EXPECT_TRUE(Near(img, host.ToDevice(10, 7.37), 2, IsRed));
    EXPECT_TRUE(Near(img, host.ToDevice(2, 7.37), 1, IsDark));
    EXPECT_FALSE(Near(img, host.ToDevice(2, 7.37), 2, IsRed));
    EXPECT_FALSE(Near(img, host.ToDevice(18, 7.37), 2, IsRed));
    // The selection pen is the Active style of the local lines: red, two pixels wide.
    EXPECT_EQ(255u, host.focus.GetFocusPenColour());
    EXPECT_EQ(2, host.focus.GetFocusPen().width);
}

TEST(PlanViewGui, ScaleBarsCarryLabelsAndTheCompassSitsTopRight) {
    App();
    PlanHost host(PlanGridLines());
    wxImage img = host.Shot("plan_scales_compass");
    ASSERT_TRUE(img.IsOk());
    const wxRect plot = PlotRect(host);
    // Labels and ticks in grey above the map and left of it.
    EXPECT_GT(Count(img, wxRect(plot.x, 0, plot.width, plot.y - 1), IsGrey), 40);
    EXPECT_GT(Count(img, wxRect(0, plot.y, plot.x - 1, plot.height), IsGrey), 40);
    EXPECT_GT(plot.y, 8);
    EXPECT_GT(plot.x, 8);

    // The compass: the red north half of its needle in the plot area's top-right corner.
    const wxRect corner(plot.GetRight() - 64, plot.y, 64, 64);
    EXPECT_GT(Count(img, corner, IsRed), 30);
    EXPECT_EQ(0, Count(img, wxRect(plot.x, plot.y, 64, 64), IsRed));

    // Without GPS use there is no compass.
    host.definition.EnableGPS = 0;
    wxImage without = host.Shot("plan_no_compass");
    EXPECT_EQ(0, Count(without, corner, IsRed));
}

TEST(PlanViewGui, ZoomInWidensTheSpacingAndFitRestoresIt) {
    App();
    PlanHost host(PlanGridLines());
    auto spacing = [&](const std::string &name) {
        wxImage img = host.Shot(name);
        const wxRect plot = PlotRect(host);
        std::vector<double> rows =
            DarkRuns(img, host.ToDevice(6.37, 5).x, plot.y, plot.GetBottom());
        // Y = 5 and its neighbours: the middle spacing of the visible lines.
        EXPECT_GE(rows.size(), 2u);
        return rows.size() >= 2 ? rows[1] - rows[0] : 0.0;
    };
    // Once zoomed, the toolkit gives the scroll bars their room: fit after that, so that all
    // three pictures share one client area.
    host.window->ZoomIn();
    host.Shot("plan_zoom_first");
    host.window->ZoomToFit();
    const double fit = spacing("plan_zoom_fit");
    ASSERT_GT(fit, 10);
    host.window->ZoomIn();
    const double in = spacing("plan_zoom_in");
    EXPECT_NEAR(1.25, in / fit, 0.03);
    host.window->ZoomToFit();
    EXPECT_NEAR(fit, spacing("plan_zoom_refit"), 1.0);
}

TEST(PlanViewGui, KeysReachTheFrameAsCommands) {
    App();
    PlanHost host(PlanGridLines());
    // Typed on the display's keyboard while the plan view has the focus.
    ASSERT_TRUE(FocusWindow(host.frame));
    host.window->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return wxWindow::FindFocus() == host.window; }, 2000));
    for (const char *keys : {"Insert", "ctrl+Delete", "ctrl+a", "ctrl+d", "a", "d"})
        EXPECT_TRUE(RealKey(keys)) << keys;
    WaitFor([&] { return host.commands.size() >= 4; });
    PumpEvents(50);
    EXPECT_EQ((std::vector<int>{32785, 32786, 32805, 32866}), host.commands);
    host.Shot("plan_keys");
}

TEST(PlanViewGui, RubberBandSelectsTheLinesItTouches) {
    App();
    PlanHost host(PlanGridLines());
    host.focus.AddFocusEntry(0, 2, nullptr, false);
    auto mouse = [&](wxEventType type, wxPoint p, bool left) {
        wxMouseEvent event(type);
        event.SetPosition(p);
        event.m_leftDown = left;
        event.SetEventObject(host.window);
        host.window->GetEventHandler()->ProcessEvent(event);
    };
    const wxPoint from = host.ToDevice(16, 6);
    const wxPoint to = host.ToDevice(19.5, -0.5);
    mouse(wxEVT_LEFT_DOWN, from, true);
    mouse(wxEVT_MOTION, (from + to) / 2, true);
    mouse(wxEVT_MOTION, to, true);
    EXPECT_TRUE(host.window->Controller().IsRubberBandActive());
    mouse(wxEVT_LEFT_UP, to, false);
    EXPECT_FALSE(host.window->Controller().IsRubberBandActive());

    // X00, X05 and Y18 in line order, replacing what was selected.
    std::vector<std::pair<int, int>> entries;
    for (const auto &e : host.focus.GetEntries())
        entries.emplace_back(e.set, e.line);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 5}}), entries);
    wxImage img = host.Shot("plan_rubber_band");
    ASSERT_TRUE(img.IsOk());
    EXPECT_TRUE(Near(img, host.ToDevice(6.37, 0), 2, IsRed));
    EXPECT_TRUE(Near(img, host.ToDevice(6.37, 5), 2, IsRed));
    EXPECT_TRUE(Near(img, host.ToDevice(18, 8.37), 2, IsRed));
    EXPECT_FALSE(Near(img, host.ToDevice(6.37, 10), 2, IsRed));
}

TEST(PlanViewGui, ScrollingWithoutLinesLeavesTheViewAlone) {
    App();
    PlanHost host({});
    const ORQ::SRectMeasure before = host.window->Controller().GetRequested();
    for (wxEventType type : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEDOWN,
                             wxEVT_SCROLLWIN_PAGEUP}) {
        for (int orient : {wxHORIZONTAL, wxVERTICAL}) {
            wxScrollWinEvent event(type, 0, orient);
            event.SetEventObject(host.window);
            host.window->GetEventHandler()->ProcessEvent(event);
        }
    }
    PumpEvents(30);
    const ORQ::SRectMeasure after = host.window->Controller().GetRequested();
    EXPECT_DOUBLE_EQ(before.left, after.left);
    EXPECT_DOUBLE_EQ(before.top, after.top);
    wxImage img = host.Shot("plan_empty");
    ASSERT_TRUE(img.IsOk());
    EXPECT_EQ(0, Count(img, wxRect(0, 0, img.GetWidth(), img.GetHeight()), IsDark));
}

TEST(PlanViewGui, PrintingLaysTheMapOutInThePagesOwnSize) {
    App();
    PlanHost host(PlanGridLines());
    const int screenWidth = host.window->GetClientSize().x;
    wxBitmap page(1700, 2200, 24);
    {
        wxMemoryDC dc(page);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        ASSERT_TRUE(host.window->DrawOnto(dc));
    }
    wxImage img = page.ConvertToImage();
    img.SaveFile(wxString::FromUTF8(Artifacts() + "/plan_printed_page.png"), wxBITMAP_TYPE_PNG);
    // The lines fill the page's width, far beyond the window's.
    int right = 0;
    for (int x = 0; x < img.GetWidth(); ++x)
        for (int y = 0; y < img.GetHeight(); y += 3)
            if (IsDark(img, x, y))
                right = std::max(right, x);
    EXPECT_GT(right, screenWidth + 300);
    // The compass is drawn on the page too.
    int red = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 1000; x < img.GetWidth(); ++x)
            if (IsRed(img, x, y))
                ++red;
    EXPECT_GT(red, 30);
    // The window keeps its own layout.
    EXPECT_LT(host.window->Controller().GetDevicePlot().right, screenWidth + 2);
}
