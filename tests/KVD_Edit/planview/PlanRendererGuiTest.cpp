#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "orq_utils/MessageSink.h"
#include "tests/KVD_Edit/planview/RecordingDC.h"
#include "tests/support/gui/GpsProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"

#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/print.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

std::string Artifacts() {
    const char *folder = std::getenv("KVD_ARTIFACTS");
    return folder != nullptr && *folder != 0 ? folder : ".";
}

const COLORREF kTraceColour = RGB(255, 140, 0);  // layer 0: every trace's local position
const COLORREF kTraceGpsColour = RGB(0, 0, 255); // layer 1: the traces' GPS positions
const COLORREF kRawColour = RGB(0, 170, 0);      // layer 2: the raw GPS fixes

// The editor with our GPS project open: its GPS files read into the document's GPS data by the
// program's own reader, and the layers drawn in colours of their own.
struct GpsPlan {
    TempDir dir;
    SGpsProject project;
    SOpenProject opened;
    CKVDVDoc *doc = nullptr;
    CKVDVView *view = nullptr;
    CPlanViewWindow *window = nullptr;

    void Open(double rotation) {
        App();
        Sink().Clear();
        project = WriteGpsProject(dir.Path(), rotation);
        ASSERT_FALSE(project.path.empty());
        // The reload asks once whether to import the GPS files beside the lines.
        for (int i = 0; i < 4; ++i)
            Sink().Answer(ORQ::IDYES);
        opened = OpenProject(project.path);
        doc = opened.doc;
        ASSERT_NE(nullptr, doc);
        view = opened.view;
        ASSERT_NE(nullptr, view);
        window = opened.window;
        ASSERT_NE(nullptr, window);
        // The program's compass image (the test binary's folder holds none).
        window->LoadCompass(KVD_SOURCE_DIR "/resources/Compass.bmp");

        CGPSInfo *gps = doc->GetGPSInfo();
        // Paints before the fixes are read may have given the definition an automatic second
        // point; the fixes go to a definition to fit, as a new project's, which takes their
        // zone.
        gps->ResetLWCDefinition(2);
        for (size_t i = 0; i < project.gpsFiles.size(); ++i) {
            ORQ::CStr errors;
            EXPECT_EQ(10, CGPSDataSample().LoadGpsFile(gps, project.gpsFiles[i].c_str(), 0,
                                                       static_cast<int>(i), project.traces, errors,
                                                       false))
                << errors.c_str();
        }
        ASSERT_TRUE(gps->HasGPSData());

        SLineDisplayTable &table = doc->GetMapperSettings()->LineDisplay;
        for (int k = 0; k < LINE_KIND_COUNT; ++k)
            table.LayerShown[k] = k != LINE_KIND_WHISKERS;
        SLineDisplayEntry &local = table.Entry[2 * LINE_KIND_LOCAL_XY + 1];
        local.MarkerStyle = MARKER_SQUARE;
        local.MarkerColour = kTraceColour;
        local.MarkerSize = 11;
        SLineDisplayEntry &trace = table.Entry[2 * LINE_KIND_GPS_TRACE + 1];
        trace.LineStyle = LINE_STYLE_NONE;
        trace.MarkerStyle = MARKER_SQUARE;
        trace.MarkerColour = kTraceGpsColour;
        trace.MarkerSize = 3;
        SLineDisplayEntry &raw = table.Entry[2 * LINE_KIND_RAW_GPS + 1];
        raw.LineStyle = LINE_STYLE_NONE;
        raw.MarkerStyle = MARKER_CIRCLE;
        raw.MarkerColour = kRawColour;
        raw.MarkerSize = 7;
        Redraw();
    }

    // Draws the map anew now (a paint of a window not yet shown may wait).
    void Redraw() {
        window->InvalidateMap();
        window->Snapshot();
        window->Update();
        PumpEvents(80);
    }

    wxImage Shot(const std::string &name) {
        SaveScreenshot(view->GetChildFrame(), name + "_frame");
        wxImage image = window->Snapshot().ConvertToImage();
        image.SaveFile(wxString::FromUTF8(Artifacts() + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
        return image;
    }

    // The device pixel of a local point in the window's last layout.
    wxPoint ToDevice(double x, double y) const {
        const POINT p = plantest::LocalToDevice(window->Controller(), x, y);
        return wxPoint(p.x, p.y);
    }

    // Trace t of line X05 (y = 5 m, x = 0 to 20 m over 100 traces).
    wxPoint TraceOfX05(int t) const { return ToDevice(20.0 * (t - 1) / 99, 5); }

    void Close() {
        CloseProject(opened);
        doc = nullptr;
    }
    ~GpsPlan() { Close(); }
};

bool Near(const wxImage &img, wxPoint p, COLORREF colour, int tolerance = 40) {
    if (p.x < 0 || p.y < 0 || p.x >= img.GetWidth() || p.y >= img.GetHeight())
        return false;
    return std::abs(img.GetRed(p.x, p.y) - GetRValue(colour)) <= tolerance &&
           std::abs(img.GetGreen(p.x, p.y) - GetGValue(colour)) <= tolerance &&
           std::abs(img.GetBlue(p.x, p.y) - GetBValue(colour)) <= tolerance;
}

void Move(CPlanViewWindow *window, wxPoint p) {
    wxMouseEvent move(wxEVT_MOTION);
    move.SetPosition(p);
    move.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(move);
    window->Update();
    PumpEvents(30);
}

CMainFrame *MainFrame() {
    return dynamic_cast<CMainFrame *>(App().GetTopWindow());
}

} // namespace

// The GPS layers of a GPS project: every trace's local position, the traces' GPS positions and
// the raw fixes, each with its markers in its own colour where the grid puts them.
TEST(PlanRendererGui, GpsLayersDrawTheirMarkersInTheConfiguredColours) {
    GpsPlan plan;
    ASSERT_NO_FATAL_FAILURE(plan.Open(30));
    const wxImage img = plan.Shot("plan_gps_layers");

    // Trace 34 carries a fix; trace 28 lies between two. Around each, the larger square of the
    // local trace position shows; on it the GPS marker.
    const wxPoint fix = plan.TraceOfX05(34);
    const wxPoint between = plan.TraceOfX05(28);
    EXPECT_TRUE(Near(img, fix, kRawColour)) << "raw fix at " << fix.x << "," << fix.y;
    EXPECT_TRUE(Near(img, between, kTraceGpsColour)) << "trace GPS at " << between.x;
    EXPECT_TRUE(Near(img, between + wxPoint(0, 4), kTraceColour));
    EXPECT_TRUE(Near(img, fix + wxPoint(0, -5), kTraceColour));
    // No GPS marker away from the lines.
    EXPECT_TRUE(Near(img, plan.ToDevice(6, 2.5), RGB(255, 255, 255), 10));
    // The fit found the grid's heading from the fixes: 30 degrees plus the convergence of the
    // meridians east of the zone's centre (about 1.2 degrees).
    const double heading = plan.window->Renderer().GetNorthHeading();
    EXPECT_NEAR(330 + 1.2, heading, 0.5);
    EXPECT_EQ(0, plan.doc->GetGPSInfo()->GetDisplayState());

    // GPS records beyond a line's trace count: passed over, reported once after the paint.
    CGPSInfo *gps = plan.doc->GetGPSInfo();
    CGPSInfo::SLineRecord *line = gps->FindLine(0, 1, plan.project.traces + 5);
    line->points.back().source[CGPSInfo::SOURCE_RAW] = line->points[33].source[2];
    gps->SetUpdateState(true);
    auto invalid = [] {
        int n = 0;
        for (const auto &m : Sink().Messages())
            n += m.text == "Error, Invalid trace number";
        return n;
    };
    Sink().Clear();
    plan.Redraw();
    plan.Redraw();
    EXPECT_EQ(1, invalid());
}

// The crosshair follows the mouse in the window's overlay and the status bar shows the point in
// local and world coordinates; the map is not drawn again for it. Leaving the window removes
// the crosshair, the panes keep their texts.
TEST(PlanRendererGui, CrosshairFollowsTheMouseAndFillsTheStatusPanes) {
    GpsPlan plan;
    ASSERT_NO_FATAL_FAILURE(plan.Open(30));
    CMainFrame *frame = MainFrame();
    ASSERT_NE(nullptr, frame);
    const int draws = plan.window->MapDrawCount();

    const wxPoint p = plan.ToDevice(8, 7.5);
    Move(plan.window, p);
    EXPECT_EQ(draws, plan.window->MapDrawCount()) << "the mouse never redraws the map";
    const CCursor &cursor = plan.window->Cursor();
    ASSERT_TRUE(cursor.IsShown());
    wxImage img = plan.Shot("plan_crosshair");
    // Grey crosshair through the point, away from the lines.
    EXPECT_TRUE(Near(img, wxPoint(p.x, plan.ToDevice(8, 2.5).y), CCursor::kColour, 20));
    EXPECT_TRUE(Near(img, wxPoint(plan.ToDevice(14, 7.5).x, p.y), CCursor::kColour, 20));

    const std::string local = frame->GetPaneText(1);
    double x = 0, y = 0;
    char unit[8] = {};
    ASSERT_EQ(3, std::sscanf(local.c_str(), "X=%lf Y=%lf %7s", &x, &y, unit)) << local;
    EXPECT_NEAR(8, x, 0.1);
    EXPECT_NEAR(7.5, y, 0.1);
    EXPECT_STREQ("m", unit);
    // The world text in the project's format: the point's UTM easting where the grid lies.
    const std::string world = frame->GetPaneText(2);
    const double a = 30 * 3.14159265358979323846 / 180;
    const double easting = plan.project.easting + 8 * std::cos(a) - 7.5 * std::sin(a);
    const size_t e = world.find("E: ");
    ASSERT_NE(std::string::npos, e) << world;
    EXPECT_NEAR(easting, std::atof(world.c_str() + e + 3), 0.5) << world;
    EXPECT_NE(std::string::npos, world.find("Lat: ")) << world;

    // In pan mode the panes follow the mouse while the crosshair stands still.
    plan.view->TogglePan();
    const RECT before = cursor.GetVerticalLine();
    Move(plan.window, plan.ToDevice(4, 2));
    EXPECT_EQ(before.left, cursor.GetVerticalLine().left);
    EXPECT_NE(local, frame->GetPaneText(1));
    plan.view->TogglePan();

    wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
    leave.SetEventObject(plan.window);
    const std::string kept = frame->GetPaneText(1);
    plan.window->GetEventHandler()->ProcessEvent(leave);
    plan.window->Update();
    PumpEvents(30);
    EXPECT_FALSE(cursor.IsShown());
    img = plan.Shot("plan_crosshair_left");
    EXPECT_FALSE(Near(img, wxPoint(p.x, plan.ToDevice(8, 2.5).y), CCursor::kColour, 20));
    EXPECT_EQ(kept, frame->GetPaneText(1));

    // With GPS switched off the world pane says so.
    plan.doc->GetMapperSettings()->LocalWorld.EnableGPS = 0;
    Move(plan.window, p);
    EXPECT_EQ("GPS: Disabled", frame->GetPaneText(2));
}

// The compass turns with the grid's heading: its picture differs between a grid laid north and
// one turned by 30 degrees.
TEST(PlanRendererGui, CompassTurnsWithTheHeadingOfTheDefinition) {
    GpsPlan plan;
    ASSERT_NO_FATAL_FAILURE(plan.Open(30));
    SLocalWorldDef &def = plan.doc->GetMapperSettings()->LocalWorld;
    auto compass = [&](double rotation, const std::string &name) {
        def.FitGrid = false;
        def.TwoPointDefinition = false;
        def.Rotation = rotation;
        plan.doc->GetGPSInfo()->SetUpdateState(true);
        plan.Redraw();
        const wxImage img = plan.Shot(name);
        const RECT &d = plan.window->Controller().GetDevicePlot();
        // The compass stands in the plot area's top-right corner.
        return img.GetSubImage(wxRect(d.right - 80, d.top, 80, 80));
    };
    const wxImage north = compass(0, "plan_compass_north");
    EXPECT_NEAR(1.2, plan.window->Renderer().GetNorthHeading(), 0.5);
    const wxImage turned = compass(45, "plan_compass_turned");
    EXPECT_NEAR(46.2, plan.window->Renderer().GetNorthHeading(), 0.5);
    int differing = 0;
    for (int y = 0; y < north.GetHeight(); ++y)
        for (int x = 0; x < north.GetWidth(); ++x)
            differing += std::abs(north.GetRed(x, y) - turned.GetRed(x, y)) > 60;
    EXPECT_GT(differing, 100);
}

// Ctrl+P prints the plan view through its printout: the page shows the GPS layers in the page's
// own layout, and the window keeps its map, cached points and GPS state.
TEST(PlanRendererGui, CtrlPReachesTheViewsPrintout) {
    GpsPlan plan;
    ASSERT_NO_FATAL_FAILURE(plan.Open(30));
    int runs = 0;
    CKVDVView::EPrintMode mode = CKVDVView::PRINT_PREVIEW;
    wxImage page;
    plan.view->SetPrintRunner(
        [&](CKVDVView::EPrintMode m, wxPrintout *printout, wxPrintout *second) {
            std::unique_ptr<wxPrintout> owned(printout), other(second);
            ++runs;
            mode = m;
            wxBitmap bitmap(1200, 900, 24);
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            printout->SetDC(&dc);
            printout->SetPageSizePixels(1200, 900);
            int minPage = 0, maxPage = 0, from = 0, to = 0;
            printout->GetPageInfo(&minPage, &maxPage, &from, &to);
            EXPECT_TRUE(printout->HasPage(1));
            EXPECT_TRUE(printout->OnPrintPage(1));
            dc.SelectObject(wxNullBitmap);
            page = bitmap.ConvertToImage();
            page.SaveFile(wxString::FromUTF8(Artifacts() + "/plan_printed_page.png"),
                          wxBITMAP_TYPE_PNG);
        });
    CGPSInfo *gps = plan.doc->GetGPSInfo();
    const int draws = plan.window->MapDrawCount();
    const int cached = gps->Sets()[0].lines[1].points[33].cacheX[CGPSInfo::SOURCE_RAW];
    const int state = gps->GetDisplayState();

    CMainFrame *frame = MainFrame();
    ASSERT_NE(nullptr, frame);
    // Ctrl+P is the frame's key for the print command, which the frame hands to the view.
    int printKey = 0;
    for (const wxAcceleratorEntry &key : CMainFrame::AcceleratorEntries())
        if (key.GetFlags() == wxACCEL_CTRL && key.GetKeyCode() == 'P')
            printKey = KVDCmd::FromWxId(key.GetCommand());
    EXPECT_EQ(KVDCmd::ID_FILE_PRINT, printKey);
    wxCommandEvent print(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_FILE_PRINT));
    frame->GetEventHandler()->ProcessEvent(print);
    PumpEvents(30);
    ASSERT_EQ(1, runs) << "Ctrl+P reaches the view's printout";
    EXPECT_EQ(CKVDVView::PRINT_DIALOG, mode);
    ASSERT_TRUE(page.IsOk());
    int rawPixels = 0;
    for (int y = 0; y < page.GetHeight(); ++y)
        for (int x = 0; x < page.GetWidth(); ++x)
            rawPixels += Near(page, wxPoint(x, y), kRawColour, 30);
    EXPECT_GT(rawPixels, 50) << "the raw fixes reach the page";
    EXPECT_EQ(draws, plan.window->MapDrawCount());
    EXPECT_EQ(cached, gps->Sets()[0].lines[1].points[33].cacheX[CGPSInfo::SOURCE_RAW]);
    EXPECT_EQ(state, gps->GetDisplayState());

    // Print Direct and Print Preview reach it too.
    for (int command : {KVDCmd::ID_FILE_PRINT_DIRECT, KVDCmd::ID_FILE_PRINT_PREVIEW}) {
        wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(command));
        frame->GetEventHandler()->ProcessEvent(event);
        PumpEvents(30);
    }
    EXPECT_EQ(3, runs);
    EXPECT_EQ(CKVDVView::PRINT_PREVIEW, mode);
}

namespace {

// The local-to-world dialog as the document drives it, waiting for a point while selecting.
class CWaitingDialog : public ILocalWorldDialog {
public:
    CWaitingDialog(const SLocalWorldDef &def, const bool &selecting)
        : m_def(def), m_selecting(selecting) {}
    const SLocalWorldDef &GetWorkingDefinition() const override { return m_def; }
    void SetUnit(int) override {}
    void StorePreviewState() override {}
    bool IsSelectingInView() const override { return m_selecting; }
    void ShowRestored() override {}
    void DestroyDialog() override {}

private:
    SLocalWorldDef m_def;
    const bool &m_selecting;
};

void Click(CPlanViewWindow *window, wxPoint p) {
    for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
        wxMouseEvent event(type);
        event.SetPosition(p);
        event.SetEventObject(window);
        window->GetEventHandler()->ProcessEvent(event);
    }
    PumpEvents(30);
}

} // namespace

// While the local-to-world dialog waits for a point ("Select in View"), a click in the plan
// view goes to it with the point's local and world position and selects nothing.
TEST(PlanRendererGui, SelectInViewHandsTheClickedPointOn) {
    bool selecting = false;
    CKVDVDoc::SetLocalWorldDialogFactory(
        [&selecting](CKVDVDoc &, wxWindow *, SLocalWorldDef &def, bool) {
            return std::make_unique<CWaitingDialog>(def, selecting);
        });
    GpsPlan plan;
    ASSERT_NO_FATAL_FAILURE(plan.Open(30));
    wxCommandEvent open(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_LOCAL_WORLD_DEFINITION));
    plan.doc->ProcessEvent(open);

    int offered = 0;
    SPlanPointInfo got;
    plan.view->SetViewPointListener(
        [&](const CPlanRenderer &renderer, POINT, const SPlanPointInfo &point) {
            ++offered;
            got = point;
            EXPECT_EQ(&renderer, plan.view->GetRenderer());
        });
    CFocusEntryList *selection = plan.doc->GetFocusList();
    const wxPoint onLine = plan.TraceOfX05(50);

    // Not waiting: the click selects the line under it and offers nothing.
    Click(plan.window, onLine);
    EXPECT_EQ(0, offered);
    EXPECT_EQ(1, static_cast<int>(selection->GetEntries().size()));

    selecting = true;
    plan.doc->GetFocusList()->DeleteFocusArray();
    Click(plan.window, onLine);
    ASSERT_EQ(1, offered);
    EXPECT_EQ(0, static_cast<int>(selection->GetEntries().size()))
        << "the dialog's click selects nothing";
    EXPECT_NEAR(20.0 * 49 / 99, got.local.x, 0.1);
    EXPECT_NEAR(5, got.local.y, 0.1);
    EXPECT_EQ(17, got.utm.zone);
    const double a = 30 * 3.14159265358979323846 / 180;
    EXPECT_NEAR(plan.project.northing + got.local.x * std::sin(a) + got.local.y * std::cos(a),
                got.utm.northing, 0.5);

    plan.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_CANCEL);
    CKVDVDoc::SetLocalWorldDialogFactory(nullptr);
}

// A change of the selection draws the GPS layers again only where lines changed, the selected
// lines' markers in a style of their own, and the picture is the one a whole drawing gives:
// the markers of the lines crossing a changed one included.
TEST(PlanRendererGui, APartRepaintOfTheSelectionDrawsTheGpsLayersAsAWholeDrawing) {
    GpsPlan plan;
    ASSERT_NO_FATAL_FAILURE(plan.Open(30));
    SLineDisplayTable &table = plan.doc->GetMapperSettings()->LineDisplay;
    for (int k = 0; k < LINE_KIND_COUNT; ++k) {
        SLineDisplayEntry &active = table.Entry[2 * k];
        active = table.Entry[2 * k + 1];
        active.MarkerStyle = MARKER_DIAMOND;
        active.MarkerColour = RGB(200, 0, 200);
        active.MarkerSize = 9;
    }
    plan.Redraw();
    CFocusEntryList *focus = plan.doc->GetFocusList();
    // X05 crossing the three Y lines, then two of them, then nothing.
    for (const std::vector<int> &lines : {std::vector<int>{1}, {3, 5}, {}}) {
        SCOPED_TRACE(testing::PrintToString(lines));
        const int wholeBefore = plan.window->MapDrawCount();
        const int partsBefore = plan.window->PartDrawCount();
        focus->DeleteFocusArray();
        for (int line : lines)
            focus->AddFocusEntry(0, line, nullptr, false);
        plan.window->SelectionChanged();
        const wxImage part = plan.window->Snapshot().ConvertToImage();
        EXPECT_EQ(wholeBefore, plan.window->MapDrawCount()) << "the whole map was drawn again";
        EXPECT_EQ(partsBefore + 1, plan.window->PartDrawCount());
        plan.window->InvalidateMap();
        const wxImage whole = plan.window->Snapshot().ConvertToImage();
        wxPoint first;
        EXPECT_EQ(0, PixelDifferences(part, whole, first))
            << "first at " << first.x << "," << first.y;
        SaveArtifact(part, "plan_gps_part_" + std::to_string(lines.size()));
    }
}
