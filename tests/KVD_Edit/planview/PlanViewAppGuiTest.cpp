#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "tests/support/PlanProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// The device row of a local Y value in the plan view's last layout.
double RowOf(const CPlanViewWindow *window, double y) {
    const CPlanViewController &c = window->Controller();
    ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
    const RECT &d = c.GetDevicePlot();
    return PlanInterpolate(y, e.top, e.bottom, d.top, d.bottom);
}

// Rows of dark pixels down a column of the window's picture, as their middles.
std::vector<double> DarkRows(const wxImage &img, int x) {
    std::vector<double> rows;
    int start = -1;
    for (int y = 0; y <= img.GetHeight(); ++y) {
        bool dark = false;
        for (int dx = -2; dx <= 2 && y < img.GetHeight(); ++dx) {
            const int xx = std::clamp(x + dx, 0, img.GetWidth() - 1);
            dark = dark || (img.GetRed(xx, y) < 170 && img.GetGreen(xx, y) < 170 &&
                            img.GetBlue(xx, y) < 170);
        }
        if (dark && start < 0)
            start = y;
        if (!dark && start >= 0) {
            rows.push_back((start + y - 1) / 2.0);
            start = -1;
        }
    }
    return rows;
}

} // namespace

// A project opened by the application: the document's Zoom In, Zoom Out and Fit commands reach
// the plan view, which draws the project's lines in the frame's right-hand pane.
TEST(PlanViewAppGui, OpenedProjectZoomsThroughTheDocumentsCommands) {
    App();
    Sink().Clear();
    TempDir dir;
    const std::string path = WritePlanProject(dir.Path(), PlanGridLines());
    ASSERT_FALSE(path.empty());
    SOpenProject project = OpenProject(path);
    CKVDVDoc *doc = project.doc;
    ASSERT_NE(nullptr, doc);
    CKVDVView *view = project.view;
    ASSERT_NE(nullptr, view);
    CPlanViewWindow *window = project.window;
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(window, view->GetChildFrame()->GetPlanPane());
    EXPECT_GT(window->MapDrawCount(), 0);

    auto command = [&](int id) {
        wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(id));
        doc->ProcessEvent(event);
        window->Update();
        PumpEvents(80);
    };
    // The metres across the plot of the last layout looked at: its rulers' widths follow their
    // labels, so the pixels a zoom gives a metre depend on the texts; the X range limits this
    // layout, and a zoom scales the range shown.
    double across = 0;
    auto spacing = [&](const std::string &name) {
        SaveScreenshot(view->GetChildFrame(), name + "_frame");
        wxImage img = window->Snapshot().ConvertToImage();
        const char *folder = std::getenv("KVD_ARTIFACTS");
        img.SaveFile(wxString::FromUTF8(std::string(folder ? folder : ".") + "/" + name + ".png"),
                     wxBITMAP_TYPE_PNG);
        const CPlanViewController &c = window->Controller();
        ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
        const RECT &d = c.GetDevicePlot();
        across = e.right - e.left;
        const int x = static_cast<int>(PlanInterpolate(6.37, e.left, e.right, d.left, d.right));
        std::vector<double> rows = DarkRows(img, x);
        // The X lines at Y = 0, 5 and 10 where the layout puts them, as far as they are shown.
        int found = 0, shown = 0;
        for (double y : {0.0, 5.0, 10.0}) {
            if (y < e.bottom || y > e.top)
                continue;
            ++shown;
            for (double r : rows)
                found += std::fabs(r - RowOf(window, y)) < 2.5;
        }
        EXPECT_GT(shown, 0) << name;
        EXPECT_EQ(shown, found) << name;
        return RowOf(window, 0) - RowOf(window, 10);
    };

    command(KVDCmd::ID_ZOOM_IN);
    command(KVDCmd::ID_ZOOM_FIT);
    const double fit = spacing("plan_app_fit");
    ASSERT_GT(fit, 50);
    const double fitAcross = across;
    command(KVDCmd::ID_ZOOM_IN);
    EXPECT_GT(spacing("plan_app_zoom_in"), fit * 1.2);
    EXPECT_NEAR(0.8, across / fitAcross, 0.005);
    command(KVDCmd::ID_ZOOM_OUT);
    EXPECT_NEAR(1.0, spacing("plan_app_zoom_out") / fit, 0.02);
    EXPECT_NEAR(1.0, across / fitAcross, 0.005);
    command(KVDCmd::ID_ZOOM_IN);
    command(KVDCmd::ID_ZOOM_FIT);
    EXPECT_NEAR(fit, spacing("plan_app_refit"), 1.0);

    // Pan and Select Area tick their menu items through the view's modes.
    command(KVDCmd::ID_PAN);
    EXPECT_TRUE(view->IsPanMode());
    command(KVDCmd::ID_ZOOM_AREA);
    EXPECT_TRUE(view->IsZoomAreaMode());
    EXPECT_FALSE(view->IsPanMode());

    CloseProject(project);
}
