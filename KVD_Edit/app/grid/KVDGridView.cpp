#include "KVD_Edit/app/grid/KVDGridView.h"

#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/ColumnWidth.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/GridSelection.h"
#include "KVD_Edit/app/grid/GridSort.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/dcmemory.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/settings.h>

#include <algorithm>
#include <unordered_map>

wxIMPLEMENT_DYNAMIC_CLASS(KVDGridView, wxView);

int CViewHint::Of(const wxObject *hint) {
    const auto *h = dynamic_cast<const CViewHint *>(hint);
    return h ? h->GetHint() : 0;
}

namespace {

constexpr int kMarkWidth = 16;
constexpr int kMarkHeight = 14;
// Left and right margins of a cell's text in the list control.
constexpr int kCellMargins = 12;
// Room around a column title in its header button: the toolkit keeps 5 pixels on either side
// and shortens a title that does not fit into the rest; a little more keeps it clear of the
// button's edges.
constexpr int kHeaderMargins = 16;

// The marks of the GPS and TOPO cells, in the order of EStatusMark from SM_ATTACHED on.
wxImageList *MakeStatusMarks() {
    auto *images = new wxImageList(kMarkWidth, kMarkHeight, true, STATUS_MARK_COUNT - 1);
    const wxColour red(255, 0, 0);
    for (int mark = SM_ATTACHED; mark < STATUS_MARK_COUNT; ++mark) {
        wxBitmap bitmap(kMarkWidth, kMarkHeight);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            const wxRect box(3, 1, 11, 11);
            switch (mark) {
            case SM_ATTACHED:
                dc.SetPen(wxPen(*wxBLACK, 1));
                dc.SetBrush(*wxTRANSPARENT_BRUSH);
                dc.DrawRectangle(box);
                dc.SetPen(wxPen(wxColour(0, 128, 0), 2));
                dc.DrawLine(5, 6, 8, 9);
                dc.DrawLine(8, 9, 13, 2);
                break;
            case SM_BESIDE:
                dc.SetPen(wxPen(*wxBLACK, 1));
                dc.SetBrush(*wxTRANSPARENT_BRUSH);
                dc.DrawRectangle(box);
                break;
            default: {
                const char *text = mark == SM_FAILED ? "X" : mark == SM_IN_TRACES ? "?" : "0";
                wxFont font(wxFontInfo(9).Bold());
                dc.SetFont(font);
                dc.SetTextForeground(mark == SM_IN_TRACES ? *wxBLACK : red);
                const wxSize size = dc.GetTextExtent(text);
                dc.DrawText(text, (kMarkWidth - size.x) / 2, (kMarkHeight - size.y) / 2);
                break;
            }
            }
        }
        wxMask *mask = new wxMask(bitmap, *wxWHITE);
        bitmap.SetMask(mask);
        images->Add(bitmap);
    }
    return images;
}

} // namespace

// The list window of the grid: a virtual report list whose texts and marks come from the view's
// row records.
class KVDGridView::CListWindow : public wxListCtrl {
public:
    CListWindow(wxWindow *parent, KVDGridView *view)
        : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                     wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxLC_VRULES),
          m_view(view) {
        // The scroll bars are the control's own (its rows scroll below a header that stays).
        WindowSystem::KeepClassicScrollBars(this);
        m_marks.reset(MakeStatusMarks());
        SetImageList(m_marks.get(), wxIMAGE_LIST_SMALL);
        for (int c = 0; c < CGridRowFormatter::COLUMN_COUNT; ++c) {
            const CGridRowFormatter::SColumn &column = CGridRowFormatter::kColumns[c];
            // A shown column is wide enough for its title ("Grid Name", "Orientation").
            const int width =
                column.width > 0 ? std::max(column.width, TitleWidth(column.title)) : column.width;
            AppendColumn(column.title, wxLIST_FORMAT_CENTRE, width);
        }
        Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent &e) {
            if (m_view)
                m_view->OnColumnClick(e.GetColumn());
        });
        // Mouse events reach the list's row area, a child window of the control. Its key events
        // are passed up to the control itself, so keys are bound there only: bound on both, each
        // key would run its command twice.
        for (wxWindow *child : GetChildren()) {
            if (IsHeader(child))
                continue;
            child->Bind(wxEVT_LEFT_DOWN, &CListWindow::OnButtonDown, this);
            child->Bind(wxEVT_RIGHT_DOWN, &CListWindow::OnButtonDown, this);
            child->Bind(wxEVT_LEFT_UP, &CListWindow::OnLeftUp, this);
            child->Bind(wxEVT_LEFT_DCLICK, &CListWindow::OnDoubleClick, this);
            child->Bind(wxEVT_RIGHT_UP, &CListWindow::OnRightUp, this);
        }
        Bind(wxEVT_KEY_DOWN, &CListWindow::OnKeyDown, this);
        Bind(wxEVT_CHAR, &CListWindow::OnChar, this);
        Bind(wxEVT_KEY_UP, &CListWindow::OnKey, this);
        // The list tells of a row it selects or deselects on its own, but not of a range it
        // changes at once (shift+click, Home after a range, shift+End): the buttons and keys
        // above mark the selection as well.
        Bind(wxEVT_LIST_ITEM_SELECTED, &CListWindow::OnRowState, this);
        Bind(wxEVT_LIST_ITEM_DESELECTED, &CListWindow::OnRowState, this);
        Bind(wxEVT_LIST_ITEM_FOCUSED, &CListWindow::OnRowState, this);
    }
    ~CListWindow() override {
        // The list's own destructor deselects its rows, after this object's part is gone.
        Unbind(wxEVT_LIST_ITEM_SELECTED, &CListWindow::OnRowState, this);
        Unbind(wxEVT_LIST_ITEM_DESELECTED, &CListWindow::OnRowState, this);
        Unbind(wxEVT_LIST_ITEM_FOCUSED, &CListWindow::OnRowState, this);
        if (m_view)
            m_view->WindowGone();
    }

    void ViewGone() { m_view = nullptr; }

    // Queues the view's selection pass, to run once the event in hand is handled (the list
    // applies a key or a click to its selection after the handlers here).
    void QueueSelectionSync() {
        CallAfter([this]() {
            if (!m_view)
                return;
            m_view->m_syncQueued = false;
            m_view->SyncSelection();
        });
    }

    // The width a column needs to show title whole in its header.
    int TitleWidth(const char *title) const {
        const wxWindow *header = this;
        for (const wxWindow *child : GetChildren())
            if (IsHeader(child))
                header = child;
        return header->GetTextExtent(ToWx(title)).x + kHeaderMargins;
    }

    // Whether child is the list's header (column titles). It is a window of the toolkit's own
    // type, without a class name of its own: it is known by its address.
    bool IsHeader(const wxWindow *child) const {
        return static_cast<const void *>(child) == static_cast<const void *>(m_headerWin);
    }

    // The cell under a point of the row area: row and column, -1 when none.
    void HitCell(const wxPoint &pos, int &row, int &column) const {
        int flags = 0;
        long hit = HitTest(pos, flags);
        row = (hit >= 0 && (flags & wxLIST_HITTEST_ONITEM)) ? static_cast<int>(hit) : -1;
        std::vector<int> widths;
        for (int c = 0; c < GetColumnCount(); ++c)
            widths.push_back(GetColumnWidth(c));
        const wxPoint unscrolled = CalcUnscrolledPosition(pos);
        column = row >= 0 ? CGridInput::ColumnAtX(unscrolled.x, widths) : -1;
    }

protected:
    wxString OnGetItemText(long item, long column) const override {
        if (!m_view || column == CGridRowFormatter::COL_GPS ||
            column == CGridRowFormatter::COL_TOPO)
            return wxString();
        return ToWx(m_view->QueryItemText(static_cast<int>(item), static_cast<int>(column)));
    }
    int OnGetItemImage(long) const override { return -1; }
    int OnGetItemColumnImage(long item, long column) const override {
        if (!m_view ||
            (column != CGridRowFormatter::COL_GPS && column != CGridRowFormatter::COL_TOPO))
            return -1;
        const SGridInfo *row = m_view->GetRowInfo(static_cast<int>(item));
        if (!row)
            return -1;
        EStatusMark mark =
            StatusMarkFor(column == CGridRowFormatter::COL_GPS ? row->gpsStatus : row->topoStatus);
        return mark == SM_NONE ? -1 : mark - SM_ATTACHED;
    }

private:
    void SelectionMayHaveChanged() {
        if (m_view)
            m_view->SelectionMayHaveChanged();
    }
    void OnButtonDown(wxMouseEvent &event) {
        event.Skip();
        SelectionMayHaveChanged();
    }
    void OnRowState(wxListEvent &event) {
        event.Skip();
        SelectionMayHaveChanged();
    }
    void OnChar(wxKeyEvent &event) {
        event.Skip();
        SelectionMayHaveChanged();
    }
    void OnLeftUp(wxMouseEvent &event) {
        event.Skip();
        const wxPoint pos = event.GetPosition();
        // The list applies the click to the selection first; the grid reads it afterwards.
        CallAfter([this, pos]() {
            if (!m_view)
                return;
            int row = -1, column = -1;
            HitCell(pos, row, column);
            m_view->OnNMClick(true, row, column);
        });
    }
    void OnDoubleClick(wxMouseEvent &event) {
        event.Skip();
        if (!m_view)
            return;
        int row = -1, column = -1;
        HitCell(event.GetPosition(), row, column);
        m_view->OnCellCommand(CGridInput::CLICK_DOUBLE, row, column);
    }
    void OnRightUp(wxMouseEvent &event) {
        event.Skip();
        if (m_view)
            m_view->PostCommand(KVDCmd::ID_EDIT_KVD);
    }
    static CGridInput::EKey GridKey(const wxKeyEvent &event) {
        switch (event.GetKeyCode()) {
        case WXK_DELETE:
        case WXK_NUMPAD_DELETE:
            return CGridInput::KEY_DELETE;
        case WXK_INSERT:
        case WXK_NUMPAD_INSERT:
            return CGridInput::KEY_INSERT;
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return CGridInput::KEY_UP;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return CGridInput::KEY_DOWN;
        case 'A':
        case 'a':
            return CGridInput::KEY_A;
        case 'D':
        case 'd':
            return CGridInput::KEY_D;
        default:
            return CGridInput::KEY_OTHER;
        }
    }
    // A pressed key that names a frame command posts it once and is used up here: the frame's
    // menu accelerators for the same keys then do not run it a second time.
    void OnKeyDown(wxKeyEvent &event) {
        // A modifier held down for a click or a key changes nothing by itself.
        const int code = event.GetKeyCode();
        if (code != WXK_SHIFT && code != WXK_CONTROL && code != WXK_ALT && code != WXK_RAW_CONTROL)
            SelectionMayHaveChanged();
        if (m_view && m_view->OnKeyDown(GridKey(event), event.ControlDown()))
            return;
        event.Skip();
    }
    // A released arrow: the list has moved its selection, which the document takes over.
    void OnKey(wxKeyEvent &event) {
        event.Skip();
        if (m_view)
            m_view->OnKeyUp(GridKey(event), event.ControlDown() || IsCtrlKeyDown());
    }

    KVDGridView *m_view;
    std::unique_ptr<wxImageList> m_marks;
};

KVDGridView::KVDGridView() = default;

KVDGridView::~KVDGridView() {
    if (m_list)
        m_list->ViewGone();
    if (m_frame)
        m_frame->GridViewGone(this);
}

bool KVDGridView::Create(wxDocument *doc, wxWindow *parent, CChildFrame *frame) {
    KVD_LOG_CALL();
    m_frame = frame;
    m_list = new CListWindow(parent, this);
    if (doc)
        SetDocument(doc);
    m_sortKey = CGridSort::kInitialKey;
    return true;
}

wxListCtrl *KVDGridView::GetListCtrl() const {
    return m_list;
}

void KVDGridView::OnDraw(wxDC *) {}

bool KVDGridView::OnClose(bool) {
    // The frame and its plan view close the document; the grid only goes with them.
    return true;
}

IGridDocument *KVDGridView::GetGridDocument() const {
    return dynamic_cast<IGridDocument *>(GetDocument());
}

ORQ::EUnitType KVDGridView::DisplayUnit() const {
    IGridDocument *doc = GetGridDocument();
    return doc ? doc->GetUnits() : ORQ::UNIT_M;
}

void KVDGridView::OnUpdate(wxView *sender, wxObject *hint) {
    OnUpdateHint(sender, CViewHint::Of(hint));
}

void KVDGridView::OnUpdateHint(wxView *sender, int hint) {
    KVD_LOG_CALL();
    if (sender == this)
        return;
    switch (hint) {
    case KVDCmd::HINT_SELECTION_CHANGED:
        UpdateRowSelection();
        PostCommand(KVDCmd::ID_REFRESH_EDIT_DLG);
        break;
    case KVDCmd::HINT_LINES_CHANGED:
        PostCommand(KVDCmd::ID_RELOAD_NO_ERRORS);
        break;
    case KVDCmd::HINT_DISPLAY_CHANGED:
        PostCommand(KVDCmd::ID_REFRESH_EDIT_DLG);
        if (m_list)
            m_list->Refresh(true);
        break;
    default:
        break;
    }
}

void KVDGridView::PostCommand(int command) {
    wxWindow *target = m_list ? m_list->GetParent() : nullptr;
    if (!target)
        return;
    auto *event = new wxCommandEvent(wxEVT_MENU, KVDCmd::ToWxId(command));
    event->SetEventObject(target);
    wxQueueEvent(target, event);
}

int KVDGridView::AddRow(GridInfo *row) {
    KVD_LOG_CALL();
    const int index = GetNumRows();
    AddItem(row, index);
    return index;
}

int KVDGridView::AddItem(GridInfo *row, int index) {
    std::unique_ptr<GridInfo> owned(row);
    if (!owned)
        return 0;
    if (index < 0 || index > GetNumRows())
        index = GetNumRows();
    // Selection lives in the list by position: move it, and the current row, with the rows
    // that follow (a row appended at the end moves none).
    const bool moves = index < GetNumRows();
    std::vector<bool> selected;
    int current = -1;
    if (moves) {
        selected = SelectedRows();
        selected.insert(selected.begin() + index, false);
        current = GetCurrentRow();
        if (current >= index)
            ++current;
    }
    m_rows.insert(m_rows.begin() + index, std::move(owned));
    if (m_list) {
        m_list->SetItemCount(static_cast<long>(m_rows.size()));
        if (moves)
            SelectRows(selected, current);
        m_list->RefreshItems(index, static_cast<long>(m_rows.size()) - 1);
    }
    return 1;
}

void KVDGridView::AddRows(std::vector<std::unique_ptr<GridInfo>> rows) {
    const long first = static_cast<long>(m_rows.size());
    for (auto &row : rows)
        if (row)
            m_rows.push_back(std::move(row));
    if (m_list && static_cast<long>(m_rows.size()) > first) {
        m_list->SetItemCount(static_cast<long>(m_rows.size()));
        m_list->RefreshItems(first, static_cast<long>(m_rows.size()) - 1);
    }
}

void KVDGridView::DeleteRow(int index) {
    if (index < 0 || index >= GetNumRows())
        return;
    std::vector<bool> selected = SelectedRows();
    int current = GetCurrentRow();
    if (current > index)
        --current;
    else if (current == index)
        current = -1;
    m_rows.erase(m_rows.begin() + index);
    selected.erase(selected.begin() + index);
    if (m_list) {
        m_list->SetItemCount(static_cast<long>(m_rows.size()));
        SelectRows(selected, current);
        m_list->Refresh();
    }
}

void KVDGridView::DeleteAllItems() {
    KVD_LOG_CALL();
    if (m_rows.empty())
        return;
    if (m_list) {
        // Cleared at once: the list keeps a selection of most of its rows as the rows that are
        // not selected, and would give that state to the rows of the next load.
        m_list->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
        m_list->SetItemCount(0);
        m_list->Refresh();
    }
    m_rows.clear();
    SelectionMayHaveChanged();
}

int KVDGridView::GetNumRows() const {
    return static_cast<int>(m_rows.size());
}

KVDGridView::GridInfo *KVDGridView::GetRowInfo(int index) const {
    if (index < 0 || index >= GetNumRows())
        return nullptr;
    return m_rows[index].get();
}

bool KVDGridView::IsRowSelected(int index) const {
    return m_list && index >= 0 && index < GetNumRows() &&
           (m_list->GetItemState(index, wxLIST_STATE_SELECTED) & wxLIST_STATE_SELECTED);
}

void KVDGridView::SelectRow(int index, bool select) {
    if (!m_list || index < 0 || index >= GetNumRows())
        return;
    m_list->SetItemState(index, select ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    const int current = GetCurrentRow();
    if (select) {
        if (current != index && !IsRowSelected(current))
            SetCurrentRow(index);
    } else if (current == index) {
        // The nearest selected row after it, else the first one before it.
        long next = m_list->GetNextItem(index, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
        if (next < 0)
            next = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
        if (next >= 0)
            SetCurrentRow(static_cast<int>(next));
    }
}

void KVDGridView::SelectRows(const std::vector<bool> &selected, int focus) {
    if (!m_list)
        return;
    const int rows = GetNumRows();
    std::vector<bool> states(selected.begin(),
                             selected.begin() + std::min<size_t>(selected.size(), rows));
    states.resize(rows, false);
    // One state change for the whole list, then only the selected rows: no event or redraw per
    // row that merely stays unselected.
    m_list->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
    for (int i = 0; i < rows; ++i)
        if (states[i])
            m_list->SetItemState(i, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    const int current = CGridSelection::CurrentRow(states, GetCurrentRow(), focus);
    if (current >= 0)
        SetCurrentRow(current);
    SelectionMayHaveChanged();
}

int KVDGridView::GetCurrentRow() const {
    if (!m_list)
        return -1;
    return static_cast<int>(m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED));
}

void KVDGridView::SetCurrentRow(int row) {
    if (m_list && row >= 0 && row < GetNumRows())
        m_list->SetItemState(row, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
}

std::vector<bool> KVDGridView::SelectedRows() const {
    std::vector<bool> selected(m_rows.size(), false);
    if (!m_list)
        return selected;
    for (long i = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
         i = m_list->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        if (i < static_cast<long>(selected.size()))
            selected[i] = true;
    return selected;
}

int KVDGridView::GetSelectedCount() const {
    return m_list ? m_list->GetSelectedItemCount() : 0;
}

std::string KVDGridView::QueryItemText(int index, int column) const {
    const GridInfo *row = GetRowInfo(index);
    return row ? CGridRowFormatter::FormatCell(*row, column, DisplayUnit()) : std::string();
}

void KVDGridView::UpdateRowSelection() {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    CFocusEntryList *focus = doc ? doc->GetFocusList() : nullptr;
    std::vector<bool> selected(m_rows.size(), false);
    if (focus)
        for (size_t i = 0; i < m_rows.size(); ++i)
            selected[i] = focus->IsSelected(m_rows[i]->setIndex, m_rows[i]->lineIndex);
    SelectRows(selected);
}

void KVDGridView::AutoSizeColumns() {
    KVD_LOG_CALL();
    if (!m_list)
        return;
    // One estimate of the characters' advances serves every column: all share the list's font.
    CColumnWidth width(
        [this](const std::string &text) { return m_list->GetTextExtent(ToWx(text)).x; });
    // The texts QueryItemText gives, made here with the display unit asked once for all cells.
    const ORQ::EUnitType unit = DisplayUnit();
    std::vector<std::string> texts;
    texts.reserve(m_rows.size());
    for (int c = 0; c < CGridRowFormatter::kAutoSizedColumns; ++c) {
        if (c == CGridRowFormatter::COL_GPS || c == CGridRowFormatter::COL_TOPO)
            continue;
        texts.clear();
        for (const auto &row : m_rows)
            texts.push_back(CGridRowFormatter::FormatCell(*row, c, unit));
        // The list draws its texts inside margins of its own: they count as well.
        const int widest = texts.empty() ? 0 : width.Widest(texts) + 5 + kCellMargins;
        if (widest > m_list->GetColumnWidth(c))
            m_list->SetColumnWidth(c, widest);
    }
}

void KVDGridView::Resort() {
    // The selection and the current row go with their records to their new places.
    const std::vector<bool> wasSelected = SelectedRows();
    const int wasCurrent = GetCurrentRow();
    std::vector<const GridInfo *> order;
    order.reserve(m_rows.size());
    std::unordered_map<const GridInfo *, size_t> oldIndex;
    oldIndex.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        order.push_back(m_rows[i].get());
        oldIndex.emplace(m_rows[i].get(), i);
    }
    CGridSort::Sort(order, m_sortKey);
    std::vector<std::unique_ptr<GridInfo>> sorted;
    sorted.reserve(m_rows.size());
    std::vector<bool> selected(m_rows.size(), false);
    int current = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        const size_t from = oldIndex[order[i]];
        sorted.push_back(std::move(m_rows[from]));
        selected[i] = wasSelected[from];
        if (static_cast<int>(from) == wasCurrent)
            current = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    SelectRows(selected, current);
    if (m_list)
        m_list->Refresh();
}

void KVDGridView::OnColumnClick(int column) {
    KVD_LOG_CALL();
    m_sortKey = CGridSort::NextKey(m_sortKey, column);
    Resort();
}

void KVDGridView::SelectionMayHaveChanged() {
    m_syncWanted = true;
    if (m_syncQueued || m_syncHolds > 0 || !m_list)
        return;
    m_syncQueued = true;
    m_list->QueueSelectionSync();
}

void KVDGridView::HoldSelectionSync() {
    ++m_syncHolds;
}

void KVDGridView::ReleaseSelectionSync() {
    if (m_syncHolds > 0 && --m_syncHolds == 0 && m_syncWanted)
        SelectionMayHaveChanged();
}

bool KVDGridView::SyncSelection() {
    if (!m_syncWanted || m_syncHolds > 0)
        return false;
    m_syncWanted = false;
    if (!CopySelectionToDocument())
        return false;
    KVD_LOG_CALL();
    if (IGridDocument *doc = GetGridDocument())
        doc->UpdateAllViewsWithHint(this, KVDCmd::HINT_SELECTION_CHANGED);
    PostCommand(KVDCmd::ID_REFRESH_EDIT_DLG);
    return true;
}

bool KVDGridView::CopySelectionToDocument() {
    IGridDocument *doc = GetGridDocument();
    CFocusEntryList *focus = doc ? doc->GetFocusList() : nullptr;
    if (!focus)
        return false;
    const std::vector<bool> selected = SelectedRows();
    size_t count = 0;
    bool same = true;
    for (size_t i = 0; same && i < selected.size(); ++i)
        if (selected[i]) {
            ++count;
            same = focus->IsSelected(m_rows[i]->setIndex, m_rows[i]->lineIndex);
        }
    if (same && count == focus->GetLineCount())
        return false;
    focus->DeleteFocusArray();
    for (size_t i = 0; i < selected.size(); ++i)
        if (selected[i])
            focus->AddFocusEntry(m_rows[i]->setIndex, m_rows[i]->lineIndex, nullptr, false);
    return true;
}

void KVDGridView::OnNMClick(bool withCell, int row, int column) {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    // The click's selection is taken over now. The pass after the button's press has mostly
    // done so already: the other views hear of a change once, not again at the release.
    m_syncWanted = false;
    const bool changed = CopySelectionToDocument();
    if (withCell)
        OnCellCommand(CGridInput::CLICK_LEFT, row, column);
    if (doc && changed)
        doc->UpdateAllViewsWithHint(this, KVDCmd::HINT_SELECTION_CHANGED);
    PostCommand(KVDCmd::ID_REFRESH_EDIT_DLG);
}

void KVDGridView::OnCellCommand(CGridInput::EClick click, int row, int column) {
    KVD_LOG_CALL();
    if (row >= 0 && column >= 0)
        m_lastHitColumn = column;
    IGridDocument *doc = GetGridDocument();
    switch (CGridInput::DecideCell(click, row, column, GetRowInfo(row))) {
    case CGridInput::CELL_EDIT:
        PostCommand(KVDCmd::ID_EDIT_KVD);
        break;
    case CGridInput::CELL_GPS_ATTACH:
        if (doc)
            doc->OnEditGpsAttach();
        break;
    case CGridInput::CELL_GPS_DETACH:
        if (doc)
            doc->OnEditGpsDetach();
        break;
    case CGridInput::CELL_TOPO_ATTACH:
        if (doc)
            doc->OnEditTopoAttach();
        break;
    case CGridInput::CELL_TOPO_DETACH:
        if (doc)
            doc->OnEditTopoDetach();
        break;
    case CGridInput::CELL_NONE:
        break;
    }
}

bool KVDGridView::OnKeyDown(CGridInput::EKey key, bool ctrlDown) {
    KVD_LOG_CALL();
    const CGridInput::SKeyAction action = CGridInput::DecideKey(key, ctrlDown);
    if (action.command)
        PostCommand(action.command);
    return action.command != 0;
}

void KVDGridView::OnKeyUp(CGridInput::EKey key, bool ctrlDown) {
    KVD_LOG_CALL();
    if (CGridInput::DecideKey(key, ctrlDown).refreshSelection) {
        m_syncWanted = true;
        SyncSelection();
    }
}
