#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/edit/EditOrientation.h"
#include "KVD_Edit/app/edit/EditPosition.h"
#include "KVD_Edit/app/edit/EditSetup.h"
#include "KVD_Edit/app/edit/EditText.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/INIAccess.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/app/shell/ProgramIdentity.h"
#include "KVD_Edit/controls/ShadeButtonST.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/planview/PlanGeometry.h"
#include "KVD_Edit/planview/PlanMap.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "tests/KVD_Edit/app/edit/EditProject.h"
#include "tests/support/gui/GuiHarness.h"

#include "KVD3/KVDXmlFile.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <sys/stat.h>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// Runs steps on the editing dialog once it runs modally, one step per timer tick, so that the
// dialog's own loop runs (and draws) between them. The last step ends the dialog (OK, Escape);
// when the steps stop early the dialog is cancelled, so a failing test never hangs.
class CEditDriver : public wxEvtHandler {
public:
    using Step = std::function<void(CEditSetup &)>;
    explicit CEditDriver(std::vector<Step> steps) : m_timer(this), m_steps(std::move(steps)) {
        Bind(wxEVT_TIMER, &CEditDriver::OnTimer, this);
        m_timer.Start(60);
    }
    explicit CEditDriver(Step step) : CEditDriver(std::vector<Step>{std::move(step)}) {}
    // True once the dialog has been ended.
    bool Ran() const { return m_ran; }

private:
    void OnTimer(wxTimerEvent &) {
        for (wxWindow *window : wxTopLevelWindows) {
            auto *dialog = dynamic_cast<CEditSetup *>(window);
            if (!dialog || !dialog->IsModal())
                continue;
            if (m_next < m_steps.size() && !::testing::Test::HasFatalFailure())
                m_steps[m_next++](*dialog);
            else
                m_next = m_steps.size();
            if (m_next >= m_steps.size()) {
                m_timer.Stop();
                m_ran = true;
                if (dialog->IsModal())
                    dialog->CloseCancel();
            }
            return;
        }
    }

    wxTimer m_timer;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_ran = false;
};

// Types text into a field and presses Enter in it.
void TypeAndEnter(wxTextCtrl *field, const std::string &text) {
    field->SetFocus();
    field->SetValue(wxString::FromUTF8(text));
    wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
    enter.SetEventObject(field);
    enter.SetString(field->GetValue());
    field->GetEventHandler()->ProcessEvent(enter);
    PumpEvents(80);
}

void Press(wxWindow *dialog, int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(dialog);
    dialog->GetEventHandler()->ProcessEvent(click);
}

void PressEscape(wxWindow *dialog) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    key.SetEventObject(dialog);
    dialog->GetEventHandler()->ProcessEvent(key);
}

// A project opened by the application, with its grid filled.
struct OpenedProject {
    TempDir dir;
    std::string path;
    CKVDVDoc *doc = nullptr;
    CChildFrame *frame = nullptr;
    KVDGridView *grid = nullptr;

    OpenedProject() {
        App();
        Sink().Clear();
        GridProjectLayout layout;
        layout.lines = {edittest::XLine("X0", 0, 0, 10), edittest::XLine("X1", 5, 0, 10),
                        edittest::XLine("X2", 10, 0, 10)};
        path = WriteGridProject(dir.Path(), layout);
        // A project of this program, so that it saves in place.
        std::string text = ReadFile(path);
        const std::string data = "<Data version=\"1.2.0\">";
        text.insert(text.find(data) + data.size(),
                    "<CreatedBy name=\"" + GetProgramIdentity().name +
                        "\" version=\"1\" DIP=\"X\" date=\"2020-01-02\" time=\"10:11:12\"/>");
        WriteFile(path, text);
        doc = dynamic_cast<CKVDVDoc *>(App().GetDocManager()->CreateDocument(path, wxDOC_SILENT));
        if (!doc)
            return;
        frame = dynamic_cast<CChildFrame *>(doc->GetFrame());
        if (frame)
            grid = frame->GetGridView();
        WaitFor([&] { return grid && grid->GetNumRows() == 3; });
        PumpEvents(100);
    }
    ~OpenedProject() {
        if (!doc)
            return;
        doc->Modify(false);
        doc->Close();
        doc->DeleteAllViews();
        PumpEvents(100);
    }
    int RowOf(const std::string &line) const {
        for (int i = 0; i < grid->GetNumRows(); ++i)
            if (grid->GetRowInfo(i)->lineName == line)
                return i;
        return -1;
    }
    std::string Cell(const std::string &line, int column) const {
        const int row = RowOf(line);
        return row < 0 ? std::string() : grid->QueryItemText(row, column);
    }
    void SelectOnly(const std::string &line) {
        for (int i = 0; i < grid->GetNumRows(); ++i)
            grid->SelectRow(i, grid->GetRowInfo(i)->lineName == line);
        grid->OnNMClick(false);
        PumpEvents(50);
    }
    std::string Xml() const {
        std::string out;
        doc->GetDataFiles()->GetKvdXmlFile()->GetFileHnd()->Serialize(out);
        return out;
    }
    // Double-clicks a row's cell in the list's row area.
    void DoubleClick(const std::string &line, int column) {
        wxListCtrl *list = grid->GetListCtrl();
        wxRect rect;
        list->GetSubItemRect(RowOf(line), column, rect);
        // The row area: the list's child that is not its header (a window of the toolkit's own
        // type, known by its address).
        wxWindow *area = list;
        for (wxWindow *child : list->GetChildren())
            if (static_cast<const void *>(child) != static_cast<const void *>(list->m_headerWin))
                area = child;
        const wxPoint at = area->ScreenToClient(list->ClientToScreen(rect.GetPosition())) +
                           wxPoint(rect.width / 2, rect.height / 2);
        wxMouseEvent click(wxEVT_LEFT_DCLICK);
        click.SetPosition(at);
        click.SetEventObject(area);
        area->GetEventHandler()->ProcessEvent(click);
    }
    CPlanViewWindow *PlanWindow() const {
        for (wxView *v : doc->GetViewsVector())
            if (auto *plan = dynamic_cast<CKVDVView *>(v))
                return plan->GetPlanWindow();
        return nullptr;
    }
};

// Whether the plan view draws something dark across local X = 6 at local Y.
bool PlanLineAt(CPlanViewWindow *window, double y) {
    const wxImage img = window->Snapshot().ConvertToImage();
    const CPlanViewController &c = window->Controller();
    const ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
    const RECT &d = c.GetDevicePlot();
    const int x = static_cast<int>(PlanInterpolate(6, e.left, e.right, d.left, d.right));
    const int row = static_cast<int>(PlanInterpolate(y, e.top, e.bottom, d.top, d.bottom));
    for (int dy = -2; dy <= 2; ++dy) {
        const int yy = row + dy;
        if (x < 0 || x >= img.GetWidth() || yy < 0 || yy >= img.GetHeight())
            continue;
        if (img.GetRed(x, yy) < 170 && img.GetGreen(x, yy) < 170 && img.GetBlue(x, yy) < 170)
            return true;
    }
    return false;
}

TEST(EditSetupGui, NameAndPositionFromAGridDoubleClickThenOK) {
    OpenedProject o;
    ASSERT_NE(o.grid, nullptr) << Sink().AllTexts();
    o.SelectOnly("X1");
    bool shownEveryTab = false;
    std::vector<CEditDriver::Step> steps;
    steps.push_back([&](CEditSetup &dialog) {
        EXPECT_EQ(dialog.GetNotebook()->GetSelection(), TAB_NAME) << "the Line Name column";
        wxTextCtrl *name = dialog.GetField(TAB_NAME);
        EXPECT_EQ(name->GetValue(), "X1");
        EXPECT_TRUE(name->IsEnabled());
        EXPECT_FALSE(dialog.GetUndoButton()->IsEnabled());
        EXPECT_FALSE(dialog.GetHint()->IsShown());
    });
    // Every tab, for the record.
    const char *names[TAB_COUNT] = {"name", "orientation", "position", "length", "step", "spacing"};
    for (int tab : {1, 2, 3, 4, 5, 0}) {
        steps.push_back([tab](CEditSetup &dialog) { dialog.GetNotebook()->SetSelection(tab); });
        steps.push_back([tab, &names](CEditSetup &dialog) {
            EXPECT_EQ(dialog.GetLogic().GetCurrentTab(), tab);
            SaveScreenshot(&dialog, std::string("edit_tab_") + names[tab]);
        });
    }
    steps.push_back([&](CEditSetup &dialog) {
        // One X line: no interchange, no spacing.
        EXPECT_FALSE(dialog.GetOrientationPage()->GetButton(EditId::INTERCHANGE_X)->IsEnabled());
        EXPECT_TRUE(dialog.GetOrientationPage()->GetButton(EditId::REVERSE)->IsEnabled());
        EXPECT_FALSE(dialog.GetField(TAB_SPACING)->IsEnabled());
        shownEveryTab = true;
        // Typed as the window holds it; the program keeps its code page (0xC9 is an E acute).
        TypeAndEnter(dialog.GetField(TAB_NAME), "X1N\xC3\x89W");
        EXPECT_EQ(o.Cell("X1N\xC9W", 1), "X1N\xC9W") << "Enter applies at once";
        EXPECT_TRUE(dialog.GetUndoButton()->IsEnabled());
        EXPECT_TRUE(dialog.GetHint()->IsShown());
        dialog.GetNotebook()->SetSelection(TAB_POSITION);
    });
    steps.push_back([&](CEditSetup &dialog) {
        CEditPosition *position = dialog.GetPositionPage();
        EXPECT_EQ(position->GetField(PF_YMIN)->GetValue(), "5.000");
        EXPECT_FALSE(position->GetField(PF_YMAX)->IsEnabled());
        TypeAndEnter(position->GetField(PF_YMIN), "7");
    });
    steps.push_back([&](CEditSetup &dialog) {
        SaveScreenshot(&dialog, "edit_position_applied");
        Press(&dialog, wxID_OK);
    });
    CEditDriver driver(steps);
    o.DoubleClick("X1", 1);
    ASSERT_TRUE(WaitFor([&] { return driver.Ran(); }, 30000)) << Sink().AllTexts();
    PumpEvents(100);
    EXPECT_TRUE(shownEveryTab);
    EXPECT_EQ(o.frame->GetEditDialog(), nullptr);

    // The grid, the plan view and the saved project show the new name and position.
    EXPECT_EQ(o.Cell("X1N\xC9W", 5), "7.000") << Sink().AllTexts();
    EXPECT_EQ(o.Cell("X1N\xC9W", 6), "7.000");
    EXPECT_EQ(o.RowOf("X1"), -1);
    o.frame->DeselectAllLines();
    CPlanViewWindow *plan = o.PlanWindow();
    ASSERT_NE(plan, nullptr);
    plan->Refresh();
    plan->Update();
    PumpEvents(150);
    EXPECT_TRUE(PlanLineAt(plan, 7));
    EXPECT_FALSE(PlanLineAt(plan, 5));
    EXPECT_TRUE(PlanLineAt(plan, 10));
    SaveScreenshot(o.frame, "edit_after_ok");
    EXPECT_TRUE(o.doc->IsModified());
    ASSERT_TRUE(o.doc->OnFileSave()) << Sink().AllTexts();
    const std::string saved = ReadFile(o.path);
    // The project file names no encoding: UTF-8, one E acute again.
    const size_t line = saved.find("<Line name=\"X1N\xC3\x89W\"");
    ASSERT_NE(line, std::string::npos) << saved;
    EXPECT_NE(saved.find("<Position X=\"0.000\" Y=\"7.000\"", line), std::string::npos);
    EXPECT_NE(saved.find("<Position X=\"10.000\" Y=\"7.000\"", line), std::string::npos);
}

TEST(EditSetupGui, EscapeAfterAnApplyLeavesTheProjectAsItWas) {
    OpenedProject o;
    ASSERT_NE(o.grid, nullptr) << Sink().AllTexts();
    const std::string before = o.Xml();
    o.doc->Modify(false); // as just saved
    for (int i = 0; i < o.grid->GetNumRows(); ++i)
        o.grid->SelectRow(i, true);
    o.grid->OnNMClick(false);
    std::string folder;
    CEditDriver driver(std::vector<CEditDriver::Step>{
        [&](CEditSetup &dialog) {
            folder = dialog.GetLogic().Snapshots().GetFolder();
            dialog.GetNotebook()->SetSelection(TAB_LENGTH);
        },
        [&](CEditSetup &dialog) {
            TypeAndEnter(dialog.GetField(TAB_LENGTH), "8");
            EXPECT_EQ(o.Cell("X2", 4), "8.000") << "the apply reached the grid";
            EXPECT_NE(o.Xml(), before);
            EXPECT_TRUE(o.doc->IsModified());
            dialog.GetNotebook()->SetSelection(TAB_ORIENTATION);
        },
        [&](CEditSetup &dialog) {
            // Interchange of the three X lines, from the Orientation page.
            auto *interchange = dynamic_cast<CShadeButtonST *>(
                dialog.GetOrientationPage()->GetButton(EditId::INTERCHANGE_X));
            ASSERT_NE(interchange, nullptr);
            EXPECT_TRUE(interchange->IsEnabled());
            interchange->Press();
            EXPECT_EQ(o.Cell("X0", 5), "10.000");
        },
        [&](CEditSetup &dialog) {
            SaveScreenshot(&dialog, "edit_before_escape");
            PressEscape(&dialog);
        }});
    // F5, through the main frame's accelerator, with the grid focused.
    o.grid->GetListCtrl()->SetFocus();
    PumpEvents(50);
    wxUIActionSimulator keys;
    keys.Char(WXK_F5);
    if (!WaitFor([&] { return driver.Ran(); }, 2000)) {
        // No key reached the window (a display without input focus): the command F5 sends.
        wxCommandEvent f5(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_EDIT_KVD));
        App().GetMainFrame()->GetEventHandler()->ProcessEvent(f5);
    }
    ASSERT_TRUE(WaitFor([&] { return driver.Ran(); }, 30000)) << Sink().AllTexts();
    PumpEvents(150);
    EXPECT_EQ(o.Xml(), before) << "Escape reverts every applied edit";
    EXPECT_FALSE(o.doc->IsModified()) << "the project is as it was saved";
    EXPECT_EQ(o.Cell("X2", 4), "10.000");
    EXPECT_EQ(o.Cell("X0", 5), "0.000");
    struct stat st;
    EXPECT_FALSE(folder.empty());
    EXPECT_NE(stat(folder.c_str(), &st), 0) << "no snapshot folder is left";
    EXPECT_EQ(o.doc->GetDataFiles()->GetFilePathName(), o.path);
}

TEST(EditSetupGui, PlacementFromTheIni) {
    OpenedProject o;
    ASSERT_NE(o.grid, nullptr) << Sink().AllTexts();
    o.SelectOnly("X0");
    INIAccess &ini = App().GetINIAccess();
    auto openAt = [&](const std::string &stored) {
        ini.WriteIni(EditText::kPlacementSection, EditText::kPlacementKey, stored);
        wxPoint at(-1, -1);
        wxSize size;
        CEditDriver driver([&](CEditSetup &dialog) {
            at = dialog.GetScreenPosition();
            size = dialog.GetSize();
            Press(&dialog, wxID_CANCEL);
        });
        o.frame->OnEditKVD();
        EXPECT_TRUE(driver.Ran());
        return wxRect(at, size);
    };
    const wxRect stored = openAt("100,50,0,0");
    EXPECT_EQ(stored.GetPosition(), wxPoint(100, 50)) << "its own size at the stored corner";
    EXPECT_GT(stored.width, 100);
    // A point on no display: centred on the frame.
    const wxRect centred = openAt("-5000,-5000,-4000,-4000");
    const wxRect parent = o.frame->GetScreenRect();
    EXPECT_NEAR(centred.x + centred.width / 2, parent.x + parent.width / 2, 40);
    // Closing stores where the dialog was.
    SWindowPlacement placement;
    ASSERT_TRUE(ParseRectString(
        ini.ReadIni(EditText::kPlacementSection, EditText::kPlacementKey, ""), placement));
    EXPECT_EQ(placement.rcNormalPosition.left, centred.x);
}

TEST(EditSetupGui, EditNeedsASelectedRow) {
    OpenedProject o;
    ASSERT_NE(o.grid, nullptr) << Sink().AllTexts();
    o.frame->DeselectAllLines();
    PumpEvents(50);
    EXPECT_FALSE(o.frame->CanEditLines());
    bool opened = false;
    CEditDriver driver([&](CEditSetup &) { opened = true; });
    wxCommandEvent edit(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_EDIT_KVD));
    o.frame->GetEventHandler()->ProcessEvent(edit);
    PumpEvents(150);
    EXPECT_FALSE(opened) << "a click outside the cells with nothing selected opens nothing";
}

} // namespace

namespace {

// The windows a page shows.
std::vector<wxWindow *> ShownControls(wxWindow *page) {
    std::vector<wxWindow *> controls;
    for (wxWindow *child : page->GetChildren())
        if (child->IsShown())
            controls.push_back(child);
    return controls;
}

} // namespace

// At the dialog's default size every label of every tab's page shows whole: inside its page, as
// large as its text needs, and under no other control.
TEST(EditSetupGui, EveryLabelOfEveryPageShowsWhole) {
    OpenedProject o;
    ASSERT_NE(o.grid, nullptr) << Sink().AllTexts();
    o.SelectOnly("X1");
    int checked = 0;
    std::vector<CEditDriver::Step> steps;
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        steps.push_back([tab](CEditSetup &dialog) { dialog.GetNotebook()->SetSelection(tab); });
        steps.push_back([tab, &checked](CEditSetup &dialog) {
            SCOPED_TRACE(EditText::kTabNames[tab]);
            wxWindow *page = dialog.GetNotebook()->GetPage(tab);
            SaveScreenshot(&dialog, std::string("edit_labels_") + EditText::kTabNames[tab]);
            const wxRect inside(wxPoint(0, 0), page->GetClientSize());
            const std::vector<wxWindow *> controls = ShownControls(page);
            for (wxWindow *control : controls) {
                auto *label = dynamic_cast<wxStaticText *>(control);
                if (!label)
                    continue;
                ++checked;
                const std::string text = label->GetLabel().ToStdString();
                const wxRect rect = label->GetRect();
                EXPECT_TRUE(inside.Contains(rect))
                    << "\"" << text << "\" at " << rect.x << "," << rect.y << " " << rect.width
                    << "x" << rect.height << " outside the page of " << inside.width << "x"
                    << inside.height;
                EXPECT_GE(rect.width, label->GetBestSize().x) << "\"" << text << "\" cut";
                EXPECT_GE(rect.height, label->GetBestSize().y) << "\"" << text << "\" cut";
                for (wxWindow *other : controls) {
                    if (other != control) {
                        EXPECT_FALSE(rect.Intersects(other->GetRect()))
                            << "\"" << text << "\" under " << other->GetLabel().ToStdString();
                    }
                }
            }
        });
    }
    CEditDriver driver(steps);
    o.frame->OnEditKVD();
    EXPECT_TRUE(driver.Ran());
    // "Line" on the Name page and the four position labels.
    EXPECT_EQ(checked, 5);
}
