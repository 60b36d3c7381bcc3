#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/grid/SplitterLayout.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "tests/support/GridProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/RealInput.h"
#include "tests/support/gui/StandInDocument.h"

#include <gtest/gtest.h>

#include <wx/docview.h>
#include <wx/listctrl.h>
#include <wx/splitter.h>
#include <wx/uiaction.h>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

struct OpenProject {
    explicit OpenProject(const GridProjectLayout &layout, bool autoImport = false) {
        App();
        sink.Clear();
        path = WriteGridProject(dir.Path(), layout);
        doc = new CStandInDocument();
        doc->GetMapperSettings()->AutoImport = autoImport;
        EXPECT_EQ(1, doc->GetDataFiles()->LoadKvdXmlFile(path.c_str()));
        auto *view = new CPaneView();
        view->SetDocument(doc);
        frame = new CChildFrame(doc, view, App().GetMainFrame());
        view->SetFrame(frame);
        frame->Show();
        frame->LoadKVD(path, true, true);
        grid = frame->GetGridView();
        list = grid ? grid->GetListCtrl() : nullptr;
        PumpEvents(100);
    }
    ~OpenProject() {
        if (frame) {
            doc->Modify(false); // nothing to save: the test's project goes with its folder
            frame->Close(true);
            PumpEvents(100);
        }
    }
    // The list's own text of a cell.
    std::string Text(int row, int column) const {
        return list->GetItemText(row, column).utf8_string();
    }
    // The list's row area, which takes the keys.
    wxWindow *Rows() const {
        wxWindow *rows = list;
        for (wxWindow *child : list->GetChildren())
            if (wxString(child->GetClassInfo()->GetClassName()) == "wxListMainWindow")
                rows = child;
        return rows;
    }
    // A key typed on the display's keyboard (xdotool's names) while the window has the focus:
    // the toolkit and its accelerators take it as they take a person's.
    void TypeKey(const std::string &keys, wxWindow *target = nullptr) {
        if (!target)
            target = Rows();
        EXPECT_TRUE(FocusWindow(App().GetMainFrame()));
        target->SetFocus();
        EXPECT_TRUE(WaitFor([target] { return wxWindow::FindFocus() == target; }, 2000));
        EXPECT_TRUE(RealKey(keys));
        PumpEvents(100);
    }

    CaptureSink &sink = Sink();
    TempDir dir;
    std::string path;
    CStandInDocument *doc = nullptr;
    CChildFrame *frame = nullptr;
    KVDGridView *grid = nullptr;
    wxListCtrl *list = nullptr;
};

// The list's header window (the toolkit's list keeps it as a window of its own type).
wxWindow *ListHeader(wxListCtrl *list) {
    for (wxWindow *child : list->GetChildren())
        if (static_cast<const void *>(child) == static_cast<const void *>(list->m_headerWin))
            return child;
    return nullptr;
}

GridProjectLayout XAndYLines() {
    GridProjectLayout layout;
    for (int i = 0; i < 3; ++i) {
        GridLineLayout x;
        x.name = "X" + std::to_string(i + 1);
        x.positions = {{0, 2.0 * i, 0, "m"}, {10, 2.0 * i, 1, "m"}};
        layout.lines.push_back(x);
        GridLineLayout y;
        y.set = "GRID2";
        y.name = "Y" + std::to_string(i + 1);
        y.positions = {{2.0 * i, 0, 0, "m"}, {2.0 * i, 8, 1, "m"}};
        y.start = 0;
        y.final = 8;
        layout.lines.push_back(y);
    }
    layout.lines[1].gpsBeside = true; // Y1 has a GPS file beside it
    return layout;
}

} // namespace

TEST(GridGui, ShowsOneRowPerLineAndSelectsWithCtrlAAndCtrlD) {
    OpenProject p(XAndYLines());
    ASSERT_NE(nullptr, p.list);
    EXPECT_TRUE(p.sink.Messages().empty()) << p.sink.AllTexts();
    ASSERT_EQ(6, p.grid->GetNumRows());
    ASSERT_EQ(6, p.list->GetItemCount());
    EXPECT_EQ(16, p.list->GetColumnCount());
    wxListItem header;
    header.SetMask(wxLIST_MASK_TEXT);
    p.list->GetColumn(0, header);
    EXPECT_EQ("Grid Name", header.GetText());

    int xRows = 0, yRows = 0;
    for (int i = 0; i < 6; ++i) {
        const std::string orientation = p.Text(i, 2);
        if (orientation == "X") {
            ++xRows;
            EXPECT_EQ("GRID1", p.Text(i, 0));
            EXPECT_EQ("10.000", p.Text(i, 7));
        } else if (orientation == "Y") {
            ++yRows;
            EXPECT_EQ("GRID2", p.Text(i, 0));
            EXPECT_EQ("8.000", p.Text(i, 7));
        }
        EXPECT_EQ("0.500000", p.Text(i, 8));
        EXPECT_EQ("No", p.Text(i, 9));
        EXPECT_EQ(".\\" + p.Text(i, 1) + ".dt1", p.Text(i, 10));
        // Status cells show marks, not numbers; the numbers stay the grid's own texts.
        EXPECT_EQ("", p.Text(i, 11));
    }
    EXPECT_EQ(3, xRows);
    EXPECT_EQ(3, yRows);

    p.TypeKey("ctrl+a");
    EXPECT_EQ(6, p.grid->GetSelectedCount());
    EXPECT_EQ(6u, p.doc->GetFocusList()->GetEntries().size());
    SaveScreenshot(p.frame, "GridGui_SelectAll");

    p.TypeKey("ctrl+d");
    EXPECT_EQ(0, p.grid->GetSelectedCount());
    EXPECT_TRUE(p.doc->GetFocusList()->GetEntries().empty());

    // Without Ctrl, A selects nothing.
    p.TypeKey("a");
    EXPECT_EQ(0, p.grid->GetSelectedCount());

    // From another window of the frame the keys reach the commands through the accelerators.
    p.TypeKey("ctrl+a", p.frame->GetPlanPane());
    EXPECT_EQ(6, p.grid->GetSelectedCount()) << "Ctrl+A from the plan pane selects every line";
    EXPECT_EQ(6u, p.doc->GetFocusList()->GetEntries().size());
    p.TypeKey("ctrl+d", p.frame->GetPlanPane());
    EXPECT_EQ(0, p.grid->GetSelectedCount()) << "Ctrl+D from the plan pane deselects them";
    SaveScreenshot(p.frame, "GridGui_ChildFrame");
}

// The columns the grid widens take the widest of their texts, a long name included, as the
// list draws them: inside its margins.
TEST(GridGui, ColumnsAreWideEnoughForEveryText) {
    GridProjectLayout layout = XAndYLines();
    layout.lines[2].name = "X2 Westwand Mauerwerk WWW";
    for (int i = 0; i < 30; ++i) {
        GridLineLayout x = layout.lines[0];
        x.name = "X" + std::to_string(100 + i);
        layout.lines.push_back(x);
    }
    OpenProject p(layout);
    ASSERT_NE(nullptr, p.list);
    ASSERT_EQ(36, p.list->GetItemCount());
    for (int c = 0; c <= CGridRowFormatter::COL_GPR_DATA; ++c) {
        int widest = 0;
        for (int i = 0; i < p.list->GetItemCount(); ++i)
            widest = std::max(widest, p.list->GetTextExtent(p.list->GetItemText(i, c)).x);
        EXPECT_GE(p.list->GetColumnWidth(c), widest + 12) << "column " << c;
        // Never much wider than that, unless the column starts wider (for its title too).
        const double start = std::max(
            CGridRowFormatter::kColumns[c].width,
            ListHeader(p.list)->GetTextExtent(CGridRowFormatter::kColumns[c].title).x + 16);
        EXPECT_LE(p.list->GetColumnWidth(c), std::max(widest * 1.02 + 20, start)) << "column " << c;
    }
    SaveScreenshot(p.frame, "GridGui_ColumnWidths");
}

// Each shown column shows its whole title: the header keeps 5 pixels on either side of it and
// shortens a title that does not fit ("Grid Nam", "Orientatio").
TEST(GridGui, ColumnTitlesShowWhole) {
    OpenProject p(XAndYLines());
    ASSERT_NE(nullptr, p.list);
    wxWindow *header = ListHeader(p.list);
    ASSERT_NE(nullptr, header) << "the list shows no header";
    for (int c = 0; c < CGridRowFormatter::COLUMN_COUNT; ++c) {
        const CGridRowFormatter::SColumn &column = CGridRowFormatter::kColumns[c];
        SCOPED_TRACE(column.title);
        if (column.width == 0) {
            EXPECT_EQ(0, p.list->GetColumnWidth(c)) << "a hidden column stays hidden";
            continue;
        }
        EXPECT_GE(p.list->GetColumnWidth(c), header->GetTextExtent(column.title).x + 2 * 5);
    }
    SaveScreenshot(p.frame, "GridGui_ColumnTitles");
}

// A right click in the rows asks for the editing dialog; one on the column titles does not
// (nor does a click there count as one on a row).
TEST(GridGui, ClicksOnTheTitlesAreNoRowClicks) {
    OpenProject p(XAndYLines());
    ASSERT_NE(nullptr, p.list);
    int edits = 0;
    p.frame->Bind(wxEVT_MENU, [&edits](wxCommandEvent &e) {
        edits += KVDCmd::FromWxId(e.GetId()) == KVDCmd::ID_EDIT_KVD ? 1 : 0;
    });
    wxWindow *header = ListHeader(p.list);
    ASSERT_NE(nullptr, header);
    wxWindow *rows = nullptr;
    for (wxWindow *child : p.list->GetChildren())
        if (child != header)
            rows = child;
    ASSERT_NE(nullptr, rows);
    const auto rightClick = [](wxWindow *window) {
        wxMouseEvent up(wxEVT_RIGHT_UP);
        up.SetPosition(wxPoint(20, 8));
        up.SetEventObject(window);
        window->GetEventHandler()->ProcessEvent(up);
        PumpEvents(100);
    };
    rightClick(header);
    EXPECT_EQ(0, edits) << "a right click on the titles";
    rightClick(rows);
    EXPECT_EQ(1, edits) << "a right click on the first row";
}

TEST(GridGui, EachKeyRunsItsCommandOnce) {
    OpenProject p(XAndYLines());
    ASSERT_NE(nullptr, p.list);
    std::vector<int> commands;
    p.frame->Bind(wxEVT_MENU, [&commands](wxCommandEvent &e) {
        const int id = KVDCmd::FromWxId(e.GetId());
        if (id == KVDCmd::ID_IMPORT_LINES || id == KVDCmd::ID_DELETE_LINES ||
            id == KVDCmd::ID_SELECT_ALL_LINES || id == KVDCmd::ID_DESELECT_ALL_LINES)
            commands.push_back(id);
        e.Skip();
    });
    // Ins opens the import's file dialog (cancelled by the harness) once.
    p.TypeKey("Insert");
    PumpEvents(100);
    EXPECT_EQ(std::vector<int>{KVDCmd::ID_IMPORT_LINES}, commands);

    // Del removes the selected line once: run twice, the second run missed the line it had
    // just removed and said so.
    commands.clear();
    p.sink.Clear();
    const std::string removed = p.Text(0, 1);
    p.list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    p.TypeKey("Delete");
    WaitFor([&] { return p.grid->GetNumRows() == 5; });
    PumpEvents(100);
    EXPECT_EQ(std::vector<int>{KVDCmd::ID_DELETE_LINES}, commands);
    EXPECT_EQ(5, p.grid->GetNumRows());
    EXPECT_TRUE(p.sink.Messages().empty()) << p.sink.AllTexts();
    for (int i = 0; i < p.grid->GetNumRows(); ++i)
        EXPECT_NE(removed, p.Text(i, 1));

    commands.clear();
    p.TypeKey("ctrl+a");
    p.TypeKey("ctrl+d");
    EXPECT_EQ((std::vector<int>{KVDCmd::ID_SELECT_ALL_LINES, KVDCmd::ID_DESELECT_ALL_LINES}),
              commands);
}

TEST(GridGui, SortsByHeaderClicksAndKeepsTheSelectionAcrossAReload) {
    OpenProject p(XAndYLines());
    ASSERT_EQ(6, p.grid->GetNumRows());
    // The first "Grid Name" click after opening sorts descending.
    p.grid->OnColumnClick(0);
    EXPECT_EQ("GRID2", p.Text(0, 0));
    EXPECT_EQ("GRID1", p.Text(5, 0));
    p.grid->OnColumnClick(1);
    EXPECT_EQ("X1", p.Text(0, 1));
    EXPECT_EQ("Y3", p.Text(5, 1));

    // Select X2 and Y3, reload: the same lines are selected again.
    for (int i = 0; i < 6; ++i)
        p.grid->SelectRow(i, p.Text(i, 1) == "X2" || p.Text(i, 1) == "Y3");
    p.frame->ReloadDOMReportNoErrors();
    ASSERT_EQ(6, p.grid->GetNumRows());
    std::vector<std::string> selected;
    for (int i = 0; i < 6; ++i)
        if (p.grid->IsRowSelected(i))
            selected.push_back(p.Text(i, 1));
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ((std::vector<std::string>{"X2", "Y3"}), selected);
    EXPECT_EQ(2u, p.doc->GetFocusList()->GetEntries().size());

    // A reload with nothing selected selects nothing.
    p.frame->DeselectAllLines();
    p.frame->ReloadDOMReportNoErrors();
    EXPECT_EQ(0, p.grid->GetSelectedCount());
}

TEST(GridGui, DisplayUnitAndStatusCodes) {
    OpenProject p(XAndYLines());
    int y1 = -1;
    for (int i = 0; i < p.grid->GetNumRows(); ++i)
        if (p.Text(i, 1) == "Y1")
            y1 = i;
    ASSERT_GE(y1, 0);
    // The GPS file beside Y1 was not attached: the question is asked only while the project
    // asks for it, and the answer No leaves status 2.
    EXPECT_EQ("2", p.grid->QueryItemText(y1, 11));
    p.doc->SetUnits(ORQ::UNIT_FT);
    p.list->Refresh();
    PumpEvents(50);
    EXPECT_EQ("26.247", p.Text(y1, 7));
    EXPECT_EQ("1.640420", p.Text(y1, 8));
    SGridInfo copy;
    p.frame->GetGridInfoRow(copy, y1);
    EXPECT_NEAR(26.2467, copy.length, 1e-3);
    EXPECT_EQ(ORQ::UNIT_M, copy.unit);
}

TEST(GridGui, GpsQuestionIsAskedOncePerLoadWhileTheProjectAsksForIt) {
    Sink().Answer(ORQ::IDNO);
    GridProjectLayout layout = XAndYLines();
    layout.lines[3].gpsBeside = true; // a second line with GPS beside it
    OpenProject p(layout, true);
    ASSERT_EQ(1u, p.sink.Messages().size()) << p.sink.AllTexts();
    EXPECT_EQ("GPS Information is available for loaded data.\nImport available GPS information?",
              p.sink.Messages()[0].text);
    EXPECT_FALSE(p.doc->GetMapperSettings()->AutoImport);
    EXPECT_TRUE(p.doc->IsModified()) << "the No is kept with the project";
    p.sink.Clear();
    p.frame->ReloadDOMReportNoErrors();
    EXPECT_TRUE(p.sink.Messages().empty()) << p.sink.AllTexts();
}

// A project whose line files are missing opens unmodified unless it asks the GPS question:
// either answer is then a change to save (Yes attaches the GPS files, No is kept so that the
// question is not asked again).
TEST(GridGui, OpeningChangesTheProjectOnlyWhenTheGpsQuestionIsAsked) {
    const struct {
        const char *name;
        bool autoImport;
        int answer;
    } rows[] = {{"No", true, ORQ::IDNO}, {"Yes", true, ORQ::IDYES}, {"no question", false, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Sink().Clear();
        if (row.autoImport)
            Sink().Answer(row.answer);
        GridProjectLayout layout = XAndYLines();
        layout.lines[4].writeDt1 = false; // one line's files are missing
        OpenProject p(layout, row.autoImport);
        EXPECT_EQ(row.autoImport, p.doc->IsModified()) << p.sink.AllTexts();
        EXPECT_FALSE(p.doc->GetMapperSettings()->AutoImport);
        PumpEvents(100);
    }
}

TEST(GridGui, LoadErrorsAreShownOnceAndCut) {
    GridProjectLayout layout = ManyLines(12);
    for (GridLineLayout &line : layout.lines)
        line.writeDt1 = false;
    OpenProject p(layout);
    ASSERT_EQ(1u, p.sink.Messages().size());
    const std::string &text = p.sink.Messages()[0].text;
    EXPECT_EQ(0u, text.find("The following errors have occured while attempting to load the "
                            "KVD\n(creating a new KVD file and importing data lines manually "
                            "may fix problem):\nError Loading "));
    EXPECT_EQ("...", text.substr(text.size() - 3));
    EXPECT_EQ(12, p.grid->GetNumRows());
    EXPECT_EQ("No", p.Text(0, 9));
    // Without the error report a reload shows nothing.
    p.sink.Clear();
    p.frame->ReloadDOMReportNoErrors();
    EXPECT_TRUE(p.sink.Messages().empty());
}

TEST(GridGui, ClosingStoresTheSplitterLayout) {
    INIAccess &ini = App().GetINIAccess();
    ini.WriteIni(SSplitterLayout::kSection, SSplitterLayout::kKey, "0, 0, 300, 40, 200");
    {
        OpenProject p(XAndYLines());
        // The stored right pane was too narrow: it gets its minimum.
        EXPECT_GE(p.frame->GetPlanPane()->GetSize().x, SSplitterLayout::kMinRightWidth - 10);
    }
    const std::string stored =
        ini.ReadIni(SSplitterLayout::kSection, SSplitterLayout::kKey, "none");
    SSplitterLayout layout = SSplitterLayout::Parse(stored);
    EXPECT_EQ(0u, stored.find("0, 0, ")) << stored;
    EXPECT_GT(layout.leftWidth, 0) << stored;
    EXPECT_GE(layout.rightWidth, 80) << stored;
}

// File > Close and Exit close the document, which destroys the frame without a close event:
// the layout is stored all the same.
TEST(GridGui, ClosingTheDocumentStoresTheSplitterLayout) {
    INIAccess &ini = App().GetINIAccess();
    ini.WriteIni(SSplitterLayout::kSection, SSplitterLayout::kKey, "0, 0, 333, 444, 55");
    {
        OpenProject p(XAndYLines());
        p.doc->Modify(false);
        // What closing the document does to its view: the view's end destroys its frame.
        delete p.frame->GetView();
        p.frame = nullptr;
        PumpEvents(200);
    }
    const std::string stored =
        ini.ReadIni(SSplitterLayout::kSection, SSplitterLayout::kKey, "none");
    EXPECT_NE("0, 0, 333, 444, 55", stored) << "the layout was not stored";
    const SSplitterLayout layout = SSplitterLayout::Parse(stored);
    EXPECT_GT(layout.leftWidth, 0) << stored;
    EXPECT_GE(layout.rightWidth, SSplitterLayout::kMinRightWidth - 10) << stored;
}
