// The grid's selection as a person makes it, with clicks and keys through the X server: after
// every command that reloads or reorders the grid keeping the selection, a plain click selects
// the clicked row alone, the arrow keys move from the row selected, and Del removes only what
// the grid shows selected.

#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/edit/EditSetup.h"
#include "KVD_Edit/app/edit/EditSetupLogic.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridInfo.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "tests/support/GridProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include "orq_utils/MessageSink.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// Eight X lines X01 to X08 of one set, each with a GPS file beside it that the open attaches.
GridProjectLayout EightLines() {
    GridProjectLayout layout;
    for (int i = 1; i <= 8; ++i) {
        GridLineLayout line;
        line.name = "X0" + std::to_string(i);
        line.positions = {{0, 2.0 * i, 0, "m"}, {10, 2.0 * i, 1, "m"}};
        line.gpsBeside = true;
        line.gpsFixes = 5;
        line.gpsSpacing = 5;
        layout.lines.push_back(line);
    }
    return layout;
}

// Runs step on the editing dialog once it runs modally (from a timer, so that its own loop
// runs); a dialog still open afterwards is cancelled, so a failing step never hangs the test.
class CEditDialogStep : public wxEvtHandler {
public:
    explicit CEditDialogStep(std::function<void(CEditSetup &)> step)
        : m_timer(this), m_step(std::move(step)) {
        Bind(wxEVT_TIMER, &CEditDialogStep::OnTimer, this);
        m_timer.Start(100);
    }
    bool Ran() const { return m_ran; }

private:
    void OnTimer(wxTimerEvent &) {
        for (wxWindow *window : wxTopLevelWindows) {
            auto *dialog = dynamic_cast<CEditSetup *>(window);
            if (!dialog || !dialog->IsModal() || m_ran)
                continue;
            m_ran = true;
            m_timer.Stop();
            m_step(*dialog);
            WaitFor([dialog] { return !dialog->IsModal(); }, 5000);
            if (dialog->IsModal())
                dialog->CloseCancel();
            return;
        }
    }

    wxTimer m_timer;
    std::function<void(CEditSetup &)> m_step;
    bool m_ran = false;
};

// The project opened by the application (document, frame, grid and plan view), its GPS files
// attached by the answer Yes to the open's question.
struct SSelectionProject {
    SSelectionProject() {
        App();
        Sink().Clear();
        path = WriteGridProject(dir.Path(), EightLines());
        Sink().Answer(ORQ::IDYES);
        open = OpenProject(path);
        doc = open.doc;
        frame = doc ? dynamic_cast<CChildFrame *>(doc->GetFrame()) : nullptr;
        grid = frame ? frame->GetGridView() : nullptr;
        list = grid ? grid->GetListCtrl() : nullptr;
        WaitFor([this] { return grid && grid->GetNumRows() == 8; });
        PumpEvents(300); // the reload the open posts after attaching the GPS files
        Sink().Clear();
    }
    ~SSelectionProject() { CloseProject(open); }
    bool Ready() const { return list && grid->GetNumRows() == 8; }

    int RowOf(const std::string &line) const {
        for (int i = 0; i < grid->GetNumRows(); ++i)
            if (grid->GetRowInfo(i)->lineName == line)
                return i;
        return -1;
    }
    // The line names of the rows the list shows selected, in row order.
    std::vector<std::string> Selected() const {
        std::vector<std::string> names;
        for (int i = 0; i < grid->GetNumRows(); ++i)
            if (grid->IsRowSelected(i))
                names.push_back(grid->GetRowInfo(i)->lineName);
        return names;
    }
    // The line names the document's selection holds (what the plan view draws selected and
    // the editing dialog edits).
    std::vector<std::string> DocumentSelection() const {
        std::vector<std::string> names;
        for (const CFocusEntryList::CRowSelect &entry : doc->GetFocusList()->GetEntries())
            for (int i = 0; i < grid->GetNumRows(); ++i)
                if (grid->GetRowInfo(i)->setIndex == entry.set &&
                    grid->GetRowInfo(i)->lineIndex == entry.line)
                    names.push_back(grid->GetRowInfo(i)->lineName);
        std::sort(names.begin(), names.end());
        return names;
    }
    // A plain left click on the line's name cell, through the X server.
    void Click(const std::string &line) {
        FocusWindow(App().GetMainFrame());
        wxRect rect;
        list->GetSubItemRect(RowOf(line), CGridRowFormatter::COL_LINE_NAME, rect);
        RealClick(list, wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2), 1, false, 100);
        WaitFor([this, line] { return Selected() == std::vector<std::string>{line}; }, 1500);
        PumpEvents(100);
    }
    // A shift+click on the line's name cell, through the X server.
    void ShiftClick(const std::string &line) {
        wxRect rect;
        list->GetSubItemRect(RowOf(line), CGridRowFormatter::COL_LINE_NAME, rect);
        FocusWindow(App().GetMainFrame());
        RealClickWith("shift", list, wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2),
                      300);
    }
    // What the plan view shows, saved as a PNG.
    wxImage Plan(const std::string &name) {
        PumpEvents(200);
        open.window->Update();
        PumpEvents(100);
        wxImage image = open.window->Snapshot().ConvertToImage();
        SaveArtifact(image, name);
        return image;
    }
    // A key typed with the keyboard in the grid.
    void Key(const std::string &keys) {
        FocusWindow(App().GetMainFrame());
        wxWindow *rows = RowArea();
        rows->SetFocus();
        WaitFor([rows] { return wxWindow::FindFocus() == rows; }, 2000);
        RealKey(keys, 200);
    }
    wxWindow *RowArea() const {
        for (wxWindow *child : list->GetChildren())
            if (static_cast<const void *>(child) != static_cast<const void *>(list->m_headerWin))
                return child;
        return list;
    }
    // A left click on the title of a column, through the X server.
    void ClickTitle(int column) {
        wxWindow *header = nullptr;
        for (wxWindow *child : list->GetChildren())
            if (static_cast<const void *>(child) == static_cast<const void *>(list->m_headerWin))
                header = child;
        ASSERT_NE(header, nullptr);
        int x = 0;
        for (int c = 0; c < column; ++c)
            x += list->GetColumnWidth(c);
        FocusWindow(App().GetMainFrame());
        RealClick(header, wxPoint(x + list->GetColumnWidth(column) / 2, header->GetSize().y / 2), 1,
                  false, 300);
        // A second click this soon would be a double click.
        PumpEvents(700);
    }
    void Command(int id) {
        wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(id));
        frame->GetEventHandler()->ProcessEvent(event);
        PumpEvents(300);
    }
    // F5 in the grid, step on the editing dialog it opens, and the reload its end brings.
    void Edit(const std::function<void(CEditSetup &)> &step) {
        CEditDialogStep driver(step);
        Key("F5");
        EXPECT_TRUE(WaitFor([&driver] { return driver.Ran(); }, 10000)) << "F5 opened no dialog";
        EXPECT_TRUE(WaitFor([this] { return frame->GetEditDialog() == nullptr; }, 10000));
        PumpEvents(300);
    }

    TempDir dir;
    std::string path;
    SOpenProject open;
    CKVDVDoc *doc = nullptr;
    CChildFrame *frame = nullptr;
    KVDGridView *grid = nullptr;
    wxListCtrl *list = nullptr;
};

// Enters a new length on the dialog's Length page with the keyboard; Enter applies it.
void EnterLength(CEditSetup &dialog, const std::string &length) {
    dialog.GetNotebook()->SetSelection(TAB_LENGTH);
    PumpEvents(100);
    wxTextCtrl *field = dialog.GetField(TAB_LENGTH);
    field->SetFocus();
    field->SelectAll();
    PumpEvents(100);
    RealType(length);
    RealKey("Return", 400);
}

// A click in the middle of a button of the dialog.
void ClickButton(wxWindow *button) {
    RealClick(button, wxPoint(button->GetSize().x / 2, button->GetSize().y / 2), 1, false, 400);
}

// The command of a case: it runs with X02 selected alone (by a click) and keeps X02 selected.
struct SKeepingCommand {
    const char *name;
    std::function<void(SSelectionProject &)> run;
};

// The editing dialog's ends that reload the grid keeping the selection.
const std::vector<SKeepingCommand> &EditingDialogEnds() {
    static const std::vector<SKeepingCommand> commands = {
        {"F5, Escape",
         [](SSelectionProject &p) { p.Edit([](CEditSetup &) { SendRealKey("Escape"); }); }},
        {"F5, a new length entered, OK",
         [](SSelectionProject &p) {
             p.Edit([](CEditSetup &dialog) {
                 EnterLength(dialog, "9");
                 ClickButton(dialog.FindWindow(wxID_OK));
             });
         }},
        {"F5, a new length entered, Undo, Escape",
         [](SSelectionProject &p) {
             p.Edit([](CEditSetup &dialog) {
                 EnterLength(dialog, "8");
                 ClickButton(dialog.GetUndoButton());
                 SendRealKey("Escape");
             });
         }},
    };
    return commands;
}

// The menu commands, the sort and the plan view's pick that reload or reorder the grid keeping
// the selection (or keep the grid and change its texts).
const std::vector<SKeepingCommand> &OtherKeepingCommands() {
    static const std::vector<SKeepingCommand> commands = {
        {"Edit > GPS Data > Detach",
         [](SSelectionProject &p) { p.Command(KVDCmd::ID_EDIT_GPS_DETACH); }},
        {"Edit > GPS Data > Merge to Line",
         [](SSelectionProject &p) {
             // Any question of the merge is answered Yes.
             for (int i = 0; i < 4; ++i)
                 Sink().Answer(ORQ::IDYES);
             p.Command(KVDCmd::ID_EDIT_GPS_MERGE);
         }},
        {"Edit > Re-import Fiducials",
         [](SSelectionProject &p) { p.Command(KVDCmd::ID_IMPORT_FIDUCIALS); }},
        {"View > Feet", [](SSelectionProject &p) { p.Command(KVDCmd::ID_DISPLAYUNITS_FEET); }},
        {"a sort by two clicks on the Line Name title",
         [](SSelectionProject &p) {
             p.ClickTitle(CGridRowFormatter::COL_LINE_NAME);
             p.ClickTitle(CGridRowFormatter::COL_LINE_NAME);
             EXPECT_EQ(p.RowOf("X08"), 0) << "the rows are in descending order";
         }},
        {"a pick in the plan view",
         [](SSelectionProject &p) {
             const SGridInfo &row = *p.grid->GetRowInfo(p.RowOf("X02"));
             CFocusEntryList *focus = p.doc->GetFocusList();
             focus->DeleteFocusArray();
             focus->AddFocusEntry(row.setIndex, row.lineIndex, nullptr, true);
             PumpEvents(200);
         }},
    };
    return commands;
}

// Clicks X02, runs each command, then clicks X06: X06 alone is selected, in the grid and in the
// document.
void ExpectAPlainClickSelectsOneRowAfter(const std::vector<SKeepingCommand> &commands) {
    const std::vector<std::string> x02{"X02"}, x06{"X06"};
    for (const SKeepingCommand &command : commands) {
        SCOPED_TRACE(command.name);
        SSelectionProject p;
        ASSERT_TRUE(p.Ready()) << Sink().AllTexts();
        p.Click("X02");
        ASSERT_EQ(p.Selected(), x02);
        command.run(p);
        ASSERT_EQ(p.grid->GetNumRows(), 8) << Sink().AllTexts();
        EXPECT_EQ(p.Selected(), x02) << "the command kept the selection";
        p.Click("X06");
        EXPECT_EQ(p.Selected(), x06) << "a plain click selects the clicked row alone";
        EXPECT_EQ(p.DocumentSelection(), x06);
    }
}

} // namespace

TEST(GridSelectionGui, APlainClickAfterTheEditingDialogSelectsTheClickedRowAlone) {
    ExpectAPlainClickSelectsOneRowAfter(EditingDialogEnds());
}

TEST(GridSelectionGui, APlainClickAfterACommandKeepingTheSelectionSelectsTheClickedRowAlone) {
    ExpectAPlainClickSelectsOneRowAfter(OtherKeepingCommands());
}

TEST(GridSelectionGui, ArrowKeysAfterAReloadMoveFromTheSelectedRow) {
    SSelectionProject p;
    ASSERT_TRUE(p.Ready()) << Sink().AllTexts();
    p.Click("X03");
    p.Edit([](CEditSetup &) { SendRealKey("Escape"); });
    ASSERT_EQ(p.Selected(), std::vector<std::string>{"X03"});
    const struct {
        const char *key;
        const char *selected;
    } steps[] = {{"Down", "X04"}, {"Down", "X05"}, {"Up", "X04"}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.key);
        p.Key(step.key);
        EXPECT_EQ(p.Selected(), std::vector<std::string>{step.selected});
        EXPECT_EQ(p.DocumentSelection(), std::vector<std::string>{step.selected});
    }
}

// What Del removes after a reload and a click: the clicked line alone. The plan view paints the
// change a few times, not once per step of scroll bars fading in and out for a second after.
TEST(GridSelectionGui, DelAfterAReloadAndAClickRemovesTheClickedLineAlone) {
    SSelectionProject p;
    ASSERT_TRUE(p.Ready()) << Sink().AllTexts();
    p.Click("X02");
    p.Edit([](CEditSetup &) { SendRealKey("Escape"); });
    p.Click("X06");
    auto planPaints = std::make_shared<int>(0);
    p.open.window->Bind(wxEVT_PAINT, [planPaints](wxPaintEvent &event) {
        ++*planPaints;
        event.Skip();
    });
    p.Key("Delete");
    ASSERT_TRUE(WaitFor([&p] { return p.grid->GetNumRows() == 7; }, 5000)) << Sink().AllTexts();
    PumpEvents(2000);
    EXPECT_LE(*planPaints, 8);
    EXPECT_EQ(p.grid->GetNumRows(), 7);
    EXPECT_EQ(p.RowOf("X06"), -1);
    EXPECT_GE(p.RowOf("X02"), 0) << "the line selected before the reload stays";
    SaveScreenshot(p.frame, "GridSelectionGui_AfterDel");
}

// A shift+click extends the selection from the row clicked before, also after a reload.
TEST(GridSelectionGui, AShiftClickAfterAReloadSelectsTheRangeFromTheSelectedRow) {
    SSelectionProject p;
    ASSERT_TRUE(p.Ready()) << Sink().AllTexts();
    p.Click("X02");
    p.Edit([](CEditSetup &) { SendRealKey("Escape"); });
    wxRect rect;
    p.list->GetSubItemRect(p.RowOf("X05"), CGridRowFormatter::COL_LINE_NAME, rect);
    FocusWindow(App().GetMainFrame());
    ASSERT_TRUE(RealClickWith("shift", p.list,
                              wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2), 300));
    const std::vector<std::string> range{"X02", "X03", "X04", "X05"};
    EXPECT_EQ(p.Selected(), range);
    EXPECT_EQ(p.DocumentSelection(), range);
}

// The rows of a plan view's picture along which a line is drawn selected (in red over a
// quarter of the width at least): the lines of these projects run across the view, and the
// pointer's cross hair takes a pixel or two of a line at most.
std::vector<int> SelectedLineRows(const wxImage &image) {
    std::vector<int> rows;
    if (!image.IsOk())
        return rows;
    const unsigned char *p = image.GetData();
    for (int y = 0; y < image.GetHeight(); ++y) {
        int red = 0;
        for (int x = 0; x < image.GetWidth(); ++x, p += 3)
            red += p[0] > 170 && p[0] - p[1] > 90 && p[0] - p[2] > 90;
        if (red > image.GetWidth() / 4)
            rows.push_back(y);
    }
    return rows;
}

// A view of the document that counts the selection hints it hears.
class CSelectionHints : public wxView {
public:
    explicit CSelectionHints(wxDocument *doc) { SetDocument(doc); }
    void OnDraw(wxDC *) override {}
    void OnUpdate(wxView *, wxObject *hint) override {
        count += CViewHint::Of(hint) == KVDCmd::HINT_SELECTION_CHANGED;
    }
    int count = 0;
};

// Whatever changes the grid's selection, the plan view shows it, and Del removes exactly that:
// after a range picked with the mouse, each key the list acts on (and a right click, which
// opens the editing dialog on its row) leaves the plan view drawn as a plain pick of the same
// rows draws it.
TEST(GridSelectionGui, ThePlanViewAndDelTakeTheSelectionEveryKeyOfTheGridMakes) {
    const struct {
        const char *name;
        const char *key; // xdotool's name; empty: a right click on X07
        std::vector<std::string> selected;
    } rows[] = {
        {"Home", "Home", {"X01"}},
        {"End", "End", {"X08"}},
        {"Page Up", "Prior", {"X01"}},
        {"Page Down", "Next", {"X08"}},
        {"Space", "space", {"X02", "X03", "X04"}},
        {"a typed letter", "g", {"X06"}}, // the first of the next row's grid name "GRID1"
        {"a right click", "", {"X07"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SSelectionProject p;
        ASSERT_TRUE(p.Ready()) << Sink().AllTexts();
        const std::string picture = std::string("GridSelectionGui_") + row.name;
        // The plan view as a plain click (and a shift+click) on the rows draws them.
        p.Click(row.selected.front());
        if (row.selected.size() > 1)
            p.ShiftClick(row.selected.back());
        ASSERT_EQ(p.Selected(), row.selected);
        const wxImage picked = p.Plan(picture + "_picked");

        p.Click("X02");
        auto hints = std::make_unique<CSelectionHints>(p.doc);
        p.ShiftClick("X05");
        ASSERT_EQ(p.DocumentSelection(), (std::vector<std::string>{"X02", "X03", "X04", "X05"}));
        EXPECT_EQ(1, hints->count) << "the shift+click told the views more than once";
        hints->count = 0;
        if (*row.key) {
            p.Key(row.key);
        } else {
            std::vector<std::string> edited;
            CEditDialogStep driver([&p, &edited](CEditSetup &) {
                edited = p.DocumentSelection();
                SendRealKey("Escape");
            });
            wxRect rect;
            p.list->GetSubItemRect(p.RowOf("X07"), CGridRowFormatter::COL_LINE_NAME, rect);
            FocusWindow(App().GetMainFrame());
            RealClick(p.list, wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2), 3);
            EXPECT_TRUE(WaitFor([&driver] { return driver.Ran(); }, 10000)) << "no dialog";
            EXPECT_TRUE(WaitFor([&p] { return p.frame->GetEditDialog() == nullptr; }, 10000));
            EXPECT_EQ(edited, row.selected) << "the dialog opened on the old selection";
        }
        EXPECT_EQ(p.Selected(), row.selected);
        EXPECT_EQ(p.DocumentSelection(), row.selected);
        EXPECT_EQ(1, hints->count) << "the views heard of one change more than once";
        hints.reset();
        const wxImage shown = p.Plan(picture);
        ASSERT_EQ(picked.GetSize(), shown.GetSize());
        EXPECT_FALSE(SelectedLineRows(picked).empty());
        EXPECT_EQ(SelectedLineRows(picked), SelectedLineRows(shown))
            << "the plan view does not show what the grid selected";

        p.Key("Delete");
        const int left = 8 - static_cast<int>(row.selected.size());
        ASSERT_TRUE(WaitFor([&p, left] { return p.grid->GetNumRows() == left; }, 5000))
            << Sink().AllTexts();
        for (int i = 1; i <= 8; ++i) {
            const std::string line = "X0" + std::to_string(i);
            const bool deleted =
                std::find(row.selected.begin(), row.selected.end(), line) != row.selected.end();
            EXPECT_EQ(deleted, p.RowOf(line) < 0) << line;
        }
    }
}
