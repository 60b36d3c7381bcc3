#pragma once

#include "KVD_Edit/app/grid/GridInfo.h"
#include "KVD_Edit/app/grid/GridInput.h"

#include <wx/docview.h>

#include <memory>
#include <string>
#include <vector>

class CChildFrame;
class IGridDocument;
class wxImageList;
class wxListCtrl;
class wxListEvent;
class wxMouseEvent;
class wxKeyEvent;
class wxWindow;

// The line grid: the left pane of a project's child frame. A report list with one row per radar
// data file of the project; each row shows a GridInfo record that the frame's load built, and
// every text is made on demand (CGridRowFormatter), so lengths follow the display unit. It sorts
// by any column, shows the GPS and TOPO states as small marks, keeps the document's selection
// equal to its selected rows and turns keys and clicks into the frame's commands.
class KVDGridView : public wxView {
public:
    using GridInfo = SGridInfo;

    KVDGridView();
    ~KVDGridView() override;

    // Creates the list window as a child of parent (the frame's splitter) and joins the
    // frame's document as one of its views. False when the window cannot be made.
    bool Create(wxDocument *doc, wxWindow *parent, CChildFrame *frame);
    // The list window (null once it is gone).
    wxListCtrl *GetListCtrl() const;

    void OnDraw(wxDC *dc) override;
    // Hints of another view or the document: 7737 the selection changed (refresh the rows'
    // selected state, then 32795 to the frame), 2 lines were imported or deleted (32774),
    // 3 the display changed (32795 and a redraw).
    void OnUpdate(wxView *sender, wxObject *hint) override;
    void OnUpdateHint(wxView *sender, int hint);
    bool OnClose(bool deleteWindow) override;

    // Rows, addressed by their list index.
    int AddRow(GridInfo *row); // takes the record; returns the new row's index
    int AddItem(GridInfo *row, int index);
    // Appends the records in their order (taking them), with one update of the list.
    void AddRows(std::vector<std::unique_ptr<GridInfo>> rows);
    void DeleteRow(int index);
    void DeleteAllItems();
    int GetNumRows() const;
    GridInfo *GetRowInfo(int index) const;
    bool IsRowSelected(int index) const;
    // Sets or clears the selected state of one row; the list's current row stays on a selected
    // row (CGridSelection).
    void SelectRow(int index, bool select);
    // Gives each row the state of its entry in selected (rows past its end: not selected) at
    // once, and puts the list's current row on focus when that row is selected (or none is),
    // else keeps it where it is when that row is selected, else on the first selected row.
    void SelectRows(const std::vector<bool> &selected, int focus = -1);
    // The list's current row (where the keyboard stands); -1 when none.
    int GetCurrentRow() const;
    int GetSelectedCount() const;
    std::string QueryItemText(int index, int column) const;
    // Selects exactly the rows whose (set, line) the document's selection holds.
    void UpdateRowSelection();
    // Widens each of the first 12 columns to its widest text plus 5 pixels; never narrows.
    void AutoSizeColumns();
    void FitColumnWidths() { AutoSizeColumns(); }
    int GetLastClickedColumn() const { return m_lastHitColumn; }
    int GetSortKey() const { return m_sortKey; }

    // The document's selection follows the list's. Whatever changes the list's selection (the
    // mouse, any key the list acts on, the program) marks it changed, and one pass once the
    // event is handled, or SyncSelection before a command reads the selection, takes it over:
    // one user action that changes many rows updates the document and the other views once.
    // Marks the list's selection as possibly changed; the pass is queued once.
    void SelectionMayHaveChanged();
    // The pass: when the list's selected rows are not the document's selected lines, the
    // document's selection becomes the selected rows, the other views hear of it (hint 7737)
    // and the frame refreshes an open editing dialog. True when it changed the document.
    bool SyncSelection();
    // While held (a reload that rebuilds the rows), the pass waits; the last release queues it.
    void HoldSelectionSync();
    void ReleaseSelectionSync();

    // What the list's notifications do; the window's event handlers call these, and tests may.
    void OnColumnClick(int column);
    // A left click: the document's selection becomes the selected rows, the other views hear
    // of a change and the frame refreshes an open editing dialog. With a cell, the cell's
    // command runs as well.
    void OnNMClick(bool withCell, int row = -1, int column = -1);
    void OnCellCommand(CGridInput::EClick click, int row, int column);
    // A pressed key: Ins, Del, Ctrl+A and Ctrl+D post their frame command (true when one was
    // posted). A released arrow takes the list's new selection into the document.
    bool OnKeyDown(CGridInput::EKey key, bool ctrlDown);
    void OnKeyUp(CGridInput::EKey key, bool ctrlDown);

    // Posts a command (CommandIds.h) to the frame through the list's parent.
    void PostCommand(int command);

private:
    class CListWindow;
    friend class CListWindow;

    IGridDocument *GetGridDocument() const;
    ORQ::EUnitType DisplayUnit() const;
    // The selected state of every row, in row order.
    std::vector<bool> SelectedRows() const;
    void SetCurrentRow(int row);
    // The document's selection made the list's selected rows; false (and nothing done) when it
    // holds them already.
    bool CopySelectionToDocument();
    void Resort();
    void WindowGone() { m_list = nullptr; }

    CListWindow *m_list = nullptr;
    CChildFrame *m_frame = nullptr;
    std::vector<std::unique_ptr<GridInfo>> m_rows;
    int m_sortKey = 1;
    int m_lastHitColumn = 0;
    bool m_syncQueued = false; // a pass is queued
    bool m_syncWanted = false; // the list's selection may differ from the document's
    int m_syncHolds = 0;

    wxDECLARE_DYNAMIC_CLASS(KVDGridView);
};

// The hint object that carries a view update hint through wxDocument::UpdateAllViews.
class CViewHint : public wxObject {
public:
    explicit CViewHint(int hint = 0) : m_hint(hint) {}
    int GetHint() const { return m_hint; }
    // The hint of an update's hint object; 0 without one.
    static int Of(const wxObject *hint);

private:
    int m_hint;
};
