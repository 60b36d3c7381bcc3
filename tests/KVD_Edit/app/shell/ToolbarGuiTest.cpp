// The main frame's toolbar pictures as the screen shows them: an enabled button reads as
// enabled (full contrast), a disabled one as disabled (the toolkit's greyed form).

#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"

#include <gtest/gtest.h>

#include <wx/sizer.h>
#include <wx/toolbar.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace kvdtest::gui;
using namespace KVDCmd;

namespace {

int Luminance(const wxImage &image, int x, int y) {
    return (image.GetRed(x, y) * 299 + image.GetGreen(x, y) * 587 + image.GetBlue(x, y) * 114) /
           1000;
}

// What a picture on a toolbar looks like: how many pixels are dark ink, and how many differ
// from the toolbar's ground at all.
struct SInk {
    int dark = 0;
    int drawn = 0;
};

SInk InkOf(const wxImage &image) {
    SInk ink;
    if (!image.IsOk())
        return ink;
    const int ground = Luminance(image, 1, 1);
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x) {
            const int l = Luminance(image, x, y);
            ink.dark += l < 90 ? 1 : 0;
            ink.drawn += std::abs(l - ground) > 20 ? 1 : 0;
        }
    return ink;
}

// A toolbar with the main frame's buttons, all enabled or all disabled whatever the program's
// rules say; keep names the only button left on it (all when empty).
wxToolBar *Toolbar(wxWindow *parent, bool enabled, int keep) {
    auto *bar = new wxToolBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                              wxTB_HORIZONTAL | wxTB_FLAT);
    CMainFrame::AddToolButtons(bar);
    if (keep != 0) {
        while (bar->GetToolsCount() > 1) {
            const wxToolBarToolBase *first = bar->GetToolByPos(0);
            bar->DeleteToolByPos(first->GetId() == ToWxId(keep) ? 1 : 0);
        }
    }
    bar->Realize();
    for (size_t i = 0; i < bar->GetToolsCount(); ++i)
        bar->EnableTool(bar->GetToolByPos(static_cast<int>(i))->GetId(), enabled);
    bar->Bind(wxEVT_UPDATE_UI, [enabled](wxUpdateUIEvent &event) { event.Enable(enabled); });
    return bar;
}

} // namespace

TEST(ToolbarGui, EnabledPicturesHaveFullContrastAndDisabledOnesAreGreyed) {
    App();
    CTestFrame frame("Toolbar pictures", wxSize(760, 190));
    auto *rows = new wxBoxSizer(wxVERTICAL);
    // The whole toolbar in both states, for the picture; then the zoom buttons one by one.
    rows->Add(Toolbar(frame.Get(), true, 0), 0, wxEXPAND | wxBOTTOM, 6);
    rows->Add(Toolbar(frame.Get(), false, 0), 0, wxEXPAND | wxBOTTOM, 6);
    struct SButton {
        const char *name;
        int command;
        wxToolBar *enabled = nullptr;
        wxToolBar *disabled = nullptr;
    };
    std::vector<SButton> buttons = {
        {"open", ID_FILE_OPEN},      {"new", ID_FILE_NEW},      {"save", ID_FILE_SAVE},
        {"help", ID_HELP_FINDER},    {"zoom out", ID_ZOOM_OUT}, {"zoom in", ID_ZOOM_IN},
        {"zoom area", ID_ZOOM_AREA}, {"zoom fit", ID_ZOOM_FIT}, {"pan", ID_PAN}};
    auto *singles = new wxBoxSizer(wxHORIZONTAL);
    for (SButton &b : buttons) {
        auto *pair = new wxBoxSizer(wxVERTICAL);
        b.enabled = Toolbar(frame.Get(), true, b.command);
        b.disabled = Toolbar(frame.Get(), false, b.command);
        pair->Add(b.enabled, 0, wxBOTTOM, 6);
        pair->Add(b.disabled, 0);
        singles->Add(pair, 0, wxRIGHT, 12);
    }
    rows->Add(singles);
    frame->SetSizer(rows);
    frame->Layout();
    PumpEvents(400);
    SaveArtifact(GrabScreen(std::string(), frame->GetScreenRect()),
                 "ToolbarGui_EnabledAndDisabled");

    for (const SButton &b : buttons) {
        SCOPED_TRACE(b.name);
        ASSERT_EQ(1u, b.enabled->GetToolsCount());
        EXPECT_TRUE(b.enabled->GetToolEnabled(ToWxId(b.command)));
        EXPECT_FALSE(b.disabled->GetToolEnabled(ToWxId(b.command)));
        const SInk on = InkOf(GrabScreen(std::string(), b.enabled->GetScreenRect()));
        const SInk off = InkOf(GrabScreen(std::string(), b.disabled->GetScreenRect()));
        EXPECT_GE(on.dark, 12) << "enabled, the picture has dark lines (full contrast)";
        EXPECT_EQ(0, off.dark) << "disabled, the picture is greyed";
        EXPECT_GE(off.drawn, 12) << "disabled, the picture is still there";
    }
}
