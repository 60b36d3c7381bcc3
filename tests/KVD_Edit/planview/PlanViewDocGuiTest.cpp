#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/app/shell/SplashDlg.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/planview/PlanViewDocument.h"
#include "tests/support/PlanProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/RealInput.h"
#include "tests/support/gui/StandInDocument.h"

#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/listctrl.h>

#include <cmath>
#include <vector>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// A project opened in a child frame made by the plan view itself; the frame's commands are
// recorded on their way to the frame's own handlers.
std::vector<PlanLineSpec> GridWithFiducial() {
    std::vector<PlanLineSpec> lines = PlanGridLines();
    lines[1].fids = {{4.0, "culvert"}};
    return lines;
}

struct OpenPlan {
    OpenPlan() : OpenPlan(GridWithFiducial()) {}
    explicit OpenPlan(const std::vector<PlanLineSpec> &lines) {
        App();
        Sink().Clear();
        path = WritePlanProject(dir.Path(), lines);
        doc = new CStandInDocument();
        EXPECT_EQ(1, doc->GetDataFiles()->LoadKvdXmlFile(path.c_str()));
        view = new CKVDVView();
        view->SetDocument(doc);
        EXPECT_TRUE(view->OnCreate(doc, 0));
        frame = view->GetChildFrame();
        if (frame == nullptr)
            return;
        // The four commands of the plan view's keys (the grid posts others of its own).
        frame->Bind(wxEVT_MENU, [this](wxCommandEvent &e) {
            const int id = KVDCmd::FromWxId(e.GetId());
            if (id == KVDCmd::ID_IMPORT_LINES || id == KVDCmd::ID_DELETE_LINES ||
                id == KVDCmd::ID_SELECT_ALL_LINES || id == KVDCmd::ID_DESELECT_ALL_LINES)
                commands.push_back(id);
            e.Skip();
        });
        frame->LoadKVD(path, true, true);
        window = view->GetPlanWindow();
        WaitFor([this] { return window->MapDrawCount() > 0; });
        PumpEvents(100);
    }
    ~OpenPlan() {
        if (frame) {
            doc->Modify(false);
            frame->Close(true);
            PumpEvents(100);
        }
    }
    wxImage Shot(const std::string &name) {
        window->Update();
        PumpEvents(50);
        SaveScreenshot(frame, name + "_frame");
        wxImage image = window->Snapshot().ConvertToImage();
        const char *folder = std::getenv("KVD_ARTIFACTS");
        image.SaveFile(wxString::FromUTF8(std::string(folder ? folder : ".") + "/" + name + ".png"),
                       wxBITMAP_TYPE_PNG);
        return image;
    }
    wxPoint ToDevice(double x, double y) const {
        const CPlanViewController &c = window->Controller();
        ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
        ORQ::S2DMeasure p = ORQ::ConvertMeasureUnits(ORQ::S2DMeasure(x, y, ORQ::UNIT_M), e.unit);
        const RECT &d = c.GetDevicePlot();
        return wxPoint(
            static_cast<int>(std::lround(PlanInterpolate(p.x, e.left, e.right, d.left, d.right))),
            static_cast<int>(std::lround(PlanInterpolate(p.y, e.top, e.bottom, d.top, d.bottom))));
    }
    // A key typed on the display's keyboard (xdotool's names) while the plan view has the focus.
    void Key(const std::string &keys) {
        EXPECT_TRUE(FocusWindow(App().GetMainFrame()));
        window->SetFocus();
        EXPECT_TRUE(WaitFor([this] { return wxWindow::FindFocus() == window; }, 2000));
        EXPECT_TRUE(RealKey(keys));
        PumpEvents(100);
    }
    void Click(wxPoint p, bool ctrl) {
        for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
            wxMouseEvent event(type);
            event.SetPosition(p);
            event.m_leftDown = type == wxEVT_LEFT_DOWN;
            event.m_controlDown = ctrl;
            event.SetEventObject(window);
            window->GetEventHandler()->ProcessEvent(event);
        }
        PumpEvents(50);
    }
    int RedNear(const wxImage &img, wxPoint p) const {
        int n = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int x = p.x + dx, y = p.y + dy;
                if (x < 0 || y < 0 || x >= img.GetWidth() || y >= img.GetHeight())
                    continue;
                const int r = img.GetRed(x, y), g = img.GetGreen(x, y), b = img.GetBlue(x, y);
                n += r > 170 && r - g > 90 && r - b > 90;
            }
        return n;
    }
    std::vector<std::pair<int, int>> Selection() const {
        std::vector<std::pair<int, int>> out;
        for (const auto &e : doc->GetFocusList()->GetEntries())
            out.emplace_back(e.set, e.line);
        return out;
    }

    TempDir dir;
    std::string path;
    CStandInDocument *doc = nullptr;
    CKVDVView *view = nullptr;
    CChildFrame *frame = nullptr;
    CPlanViewWindow *window = nullptr;
    std::vector<int> commands;
};

} // namespace

TEST(PlanViewDocGui, TheViewDrawsItsDocumentInTheFramesRightPane) {
    OpenPlan p;
    ASSERT_NE(nullptr, p.frame);
    ASSERT_NE(nullptr, p.window);
    EXPECT_EQ(p.window, p.frame->GetPlanPane());
    EXPECT_EQ(6, p.frame->GetNumRows());
    wxImage img = p.Shot("plan_doc_lines");
    // The six lines, none selected; the settings' Active style became the selection pen.
    const wxPoint y10 = p.ToDevice(10, 7.37);
    EXPECT_LT(img.GetRed(y10.x, y10.y) + img.GetRed(y10.x + 1, y10.y), 340);
    EXPECT_EQ(0, p.RedNear(img, y10));
    EXPECT_EQ(255u, p.doc->GetFocusList()->GetFocusPenColour());

    // Feet as display unit: the same lines in the same place, the map in feet.
    p.doc->SetUnits(ORQ::UNIT_FT);
    p.view->ZoomToFit();
    p.Shot("plan_doc_feet");
    const ORQ::SRectMeasure r = p.window->Controller().GetRequested();
    EXPECT_EQ(ORQ::UNIT_FT, r.unit);
    EXPECT_NEAR(20.2 / 0.3048, r.right, 1e-6);
}

TEST(PlanViewDocGui, KeysOnThePlanViewReachTheFrame) {
    OpenPlan p;
    ASSERT_NE(nullptr, p.window);
    p.Key("Insert");
    p.Key("Delete");
    p.Key("a");
    p.Key("ctrl+a");
    WaitFor([&] { return p.commands.size() >= 3; });
    // Select All reached the frame, which selected every row; the plan shows them selected.
    EXPECT_EQ(6u, p.Selection().size());
    wxImage all = p.Shot("plan_doc_select_all");
    EXPECT_GT(p.RedNear(all, p.ToDevice(2, 7.37)), 0);
    EXPECT_GT(p.RedNear(all, p.ToDevice(6.37, 10)), 0);
    p.Key("ctrl+d");
    WaitFor([&] { return p.commands.size() >= 4; });
    EXPECT_EQ((std::vector<int>{KVDCmd::ID_IMPORT_LINES, KVDCmd::ID_DELETE_LINES,
                                KVDCmd::ID_SELECT_ALL_LINES, KVDCmd::ID_DESELECT_ALL_LINES}),
              p.commands);
    EXPECT_TRUE(p.Selection().empty());
}

TEST(PlanViewDocGui, AClickSelectsTheLineInTheGridToo) {
    OpenPlan p;
    ASSERT_NE(nullptr, p.window);
    p.Click(p.ToDevice(18, 7.37), false);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 5}}), p.Selection());
    wxListCtrl *list = p.frame->GetGridView()->GetListCtrl();
    ASSERT_NE(nullptr, list);
    PumpEvents(50);
    EXPECT_EQ(1, list->GetSelectedItemCount());
    wxImage img = p.Shot("plan_doc_click");
    EXPECT_GT(p.RedNear(img, p.ToDevice(18, 7.37)), 0);

    // While the local-to-world dialog waits for a point, a click neither selects nor zooms.
    p.doc->selectingInView = true;
    p.Click(p.ToDevice(2, 7.37), false);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 5}}), p.Selection());
}

TEST(PlanViewDocGui, PrintingDrawsThePageInItsOwnSize) {
    OpenPlan p;
    ASSERT_NE(nullptr, p.window);
    wxBitmap page(1200, 1600, 24);
    {
        wxMemoryDC dc(page);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        p.view->OnDraw(&dc);
    }
    wxImage img = page.ConvertToImage();
    int right = 0;
    for (int x = 0; x < img.GetWidth(); ++x)
        for (int y = 0; y < img.GetHeight(); y += 4)
            if (img.GetRed(x, y) < 120 && img.GetGreen(x, y) < 120)
                right = std::max(right, x);
    EXPECT_GT(right, 1100);
    std::unique_ptr<wxPrintout> printout(p.view->OnCreatePrintout());
    ASSERT_NE(nullptr, printout);
    EXPECT_TRUE(printout->HasPage(1));
    EXPECT_FALSE(printout->HasPage(2));
}

TEST(PlanViewDocGui, PointsBeyondTheDrawableRangeShowTheHintOnce) {
    CBDialog::SetBitmapResourceFolder(KVD_SOURCE_DIR "/resources");
    OpenPlan p;
    ASSERT_NE(nullptr, p.window);
    CGPSInfo *gps = p.doc->GetGPSInfo();
    gps->SetDisplayState(1);
    p.window->InvalidateMap();
    EXPECT_TRUE(WaitFor([&] { return p.window->GetRangeHint() != nullptr; }));
    CSplashDlg *hint = p.window->GetRangeHint();
    ASSERT_NE(nullptr, hint);
    EXPECT_TRUE(hint->IsOpen());
    EXPECT_EQ(2, gps->GetDisplayState());
    SaveScreenshot(hint, "plan_doc_range_hint");

    // Later paints leave it alone until the document resets the state.
    p.window->InvalidateMap();
    p.window->Update();
    PumpEvents(50);
    EXPECT_EQ(hint, p.window->GetRangeHint());
    EXPECT_EQ(2, gps->GetDisplayState());

    // A click in the view closes the hint and does nothing else.
    p.Click(p.ToDevice(18, 7.37), false);
    EXPECT_FALSE(hint->IsOpen());
    EXPECT_TRUE(p.Selection().empty());
    CBDialog::SetBitmapResourceFolder("");
}

// A 10 x 10 m grid whose outer lines lie on the extent's edges: every line must show above the
// plot's frame (selected, so that they are red and told apart from the grey frame).
TEST(PlanViewDocGui, LinesOnTheExtentsEdgesAreDrawnAboveTheFrame) {
    std::vector<PlanLineSpec> lines;
    for (double at : {0.0, 5.0, 10.0}) {
        lines.push_back({"X" + std::to_string(int(at)), 0, at, 10, at, 2, {}});
        lines.push_back({"Y" + std::to_string(int(at)), at, 0, at, 10, 2, {}});
    }
    OpenPlan p(lines);
    ASSERT_NE(nullptr, p.window);
    p.Key("ctrl+a");
    WaitFor([&] { return p.Selection().size() == 6; });
    const wxImage shot = p.Shot("plan_doc_edge_lines");
    // The lines on the right and bottom edges stand inside the window, with room for their
    // width, not on its last pixel.
    const wxSize client = p.window->GetClientSize();
    EXPECT_LE(p.ToDevice(10, 5).x, client.x - 4);
    EXPECT_LE(p.ToDevice(5, 0).y, client.y - 4);
    for (double along : {2.5, 7.5}) {
        SCOPED_TRACE(along);
        EXPECT_GT(p.RedNear(shot, p.ToDevice(along, 0)), 0) << "line Y = 0";
        EXPECT_GT(p.RedNear(shot, p.ToDevice(along, 10)), 0) << "line Y = 10";
        EXPECT_GT(p.RedNear(shot, p.ToDevice(0, along)), 0) << "line X = 0";
        EXPECT_GT(p.RedNear(shot, p.ToDevice(10, along)), 0) << "line X = 10";
        EXPECT_GT(p.RedNear(shot, p.ToDevice(5, along)), 0) << "line X = 5";
    }
}
