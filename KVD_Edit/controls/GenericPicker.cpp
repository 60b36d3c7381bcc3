#include "KVD_Edit/controls/GenericPicker.h"

#include "KVD_Edit/controls/ControlDrawing.h"
#include "KVD_Edit/controls/MemDC.h"

#include <wx/app.h>
#include <wx/brush.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/graphics.h>
#include <wx/pen.h>
#include <wx/settings.h>

#include <memory>

wxDEFINE_EVENT(EVT_PICKER_NOTIFY, wxCommandEvent);
wxDEFINE_EVENT(EVT_PICKER_OPENED, wxCommandEvent);

SPickerMetrics SystemPickerMetrics() {
    return SPickerMetrics::Make(
        wxSystemSettings::GetMetric(wxSYS_EDGE_X), wxSystemSettings::GetMetric(wxSYS_EDGE_Y),
        wxSystemSettings::GetMetric(wxSYS_HTHUMB_X), wxSystemSettings::GetMetric(wxSYS_VTHUMB_Y));
}

namespace {

wxSize EdgeSize() {
    const SPickerMetrics m = SystemPickerMetrics();
    return wxSize(m.ex, m.ey);
}

// The display the window is on; the primary one when it is on none.
wxRect DisplayArea(const wxWindow *window) {
    int index = wxDisplay::GetFromWindow(window);
    if (index == wxNOT_FOUND)
        index = 0;
    return wxDisplay(static_cast<unsigned>(index)).GetClientArea();
}

} // namespace

CGenericPicker::CGenericPicker(std::unique_ptr<CPickerGrid> grid) : m_grid(std::move(grid)) {}

CGenericPicker::~CGenericPicker() {
    if (m_popup) {
        // The popup must not report to a picker that is gone.
        CGenericPickerPopup *popup = m_popup;
        m_popup = nullptr;
        popup->Detach();
        popup->Destroy();
    }
}

bool CGenericPicker::Create(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size,
                            long style) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxControl::Create(parent, id, pos, size, style | wxBORDER_NONE | wxWANTS_CHARS))
        return false;
    const wxSize grown = SystemPickerMetrics().MinButtonSize(GetSize());
    SetMinSize(SystemPickerMetrics().MinButtonSize(wxSize(0, 0)));
    SetSize(grown);
    Bind(wxEVT_PAINT, &CGenericPicker::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CGenericPicker::OnLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &CGenericPicker::OnLeftDown, this);
    Bind(wxEVT_KEY_DOWN, &CGenericPicker::OnKeyDown, this);
    Bind(wxEVT_SET_FOCUS, &CGenericPicker::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CGenericPicker::OnFocus, this);
    Bind(wxEVT_SIZE, &CGenericPicker::OnSize, this);
    return true;
}

wxSize CGenericPicker::DoGetBestSize() const {
    return SystemPickerMetrics().MinButtonSize(wxSize(80, 0));
}

void CGenericPicker::SetValue(uint32_t value) {
    m_logic.SetValue(value);
    if (GetHandle()) {
        Refresh();
        Update();
    }
}

wxRect CGenericPicker::GetArrowRect() const {
    return SystemPickerMetrics().ArrowRect(GetClientSize());
}

bool CGenericPicker::OpenPopup() {
    const std::vector<SPickerNotice> notices = m_logic.Open();
    if (notices.empty())
        return false;
    auto *popup = new CGenericPickerPopup(this, m_logic.GetValue());
    if (!popup->GetHandle()) {
        // No popup: the picker is closed again, and the parent hears nothing.
        m_logic.OpenFailed();
        popup->Destroy();
        Refresh();
        return false;
    }
    m_popup = popup;
    const wxPoint pos = popup->GetLogic().Place(GetScreenRect(), DisplayArea(this));
    popup->SetSize(wxRect(pos, popup->GetLogic().GetPopupSize()));
    popup->Popup(this);
    Refresh();
    Send(notices);
    return true;
}

void CGenericPicker::PopupHotCell(uint32_t value) {
    const std::vector<SPickerNotice> notices = m_logic.HotCellChanged(value);
    Refresh();
    Update();
    Send(notices);
}

void CGenericPicker::PopupClosed(int message, uint32_t value) {
    m_popup = nullptr;
    const std::vector<SPickerNotice> notices = message == PickerMsg::ClosedInside
                                                   ? m_logic.ClosedInside(value)
                                                   : m_logic.ClosedOtherwise();
    Refresh();
    Send(notices);
}

bool CGenericPicker::PopupKey(const wxKeyEvent &event) {
    return m_popup && m_popup->Key(event);
}

void CGenericPicker::Send(const std::vector<SPickerNotice> &notices) {
    for (const SPickerNotice &notice : notices) {
        if (!GetParent())
            return;
        const bool opened = notice.code == PickerMsg::PopupOpened;
        wxCommandEvent event(opened ? EVT_PICKER_OPENED : EVT_PICKER_NOTIFY, GetId());
        event.SetEventObject(this);
        event.SetInt(opened ? 0 : notice.code);
        event.SetExtraLong(static_cast<long>(notice.value));
        GetParent()->GetEventHandler()->ProcessEvent(event);
    }
}

void CGenericPicker::OnPaint(wxPaintEvent &) {
    wxPaintDC dc(this);
    DrawFace(dc);
}

void CGenericPicker::DrawFace(wxDC &dc) const {
    std::unique_ptr<wxGraphicsContext> gc = ControlDrawing::CreateContext(dc);
    if (!gc)
        return;
    const SPickerMetrics metrics = SystemPickerMetrics();
    // A disabled picker takes the toolkit's colours of a disabled field: the face colour behind,
    // its sample and arrow in the grey-text colour.
    const bool disabled = !IsEnabled();
    wxRect rect(GetClientSize());
    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->SetBrush(gc->CreateBrush(wxBrush(ControlDrawing::FieldBackground(disabled))));
    gc->DrawRectangle(rect.x, rect.y, rect.width, rect.height);

    // While the popup is open the button counts as pressed.
    const wxRect arrow = metrics.ArrowRect(rect.GetSize());
    ControlDrawing::DrawDropArrow(*gc, arrow, m_logic.IsPopupOpen(), disabled);
    ControlDrawing::DrawEdge(*gc, rect, false);

    rect.Deflate(metrics.ex, metrics.ey);
    rect.width -= arrow.width;
    SPickerCell cell;
    cell.rect = rect;
    cell.gc = gc.get();
    cell.row = PickerValue::Row(GetValue());
    cell.column = PickerValue::Column(GetValue());
    cell.highlighted = 1;
    cell.disabled = disabled ? 1 : 0;
    gc->Clip(rect.x, rect.y, rect.width, rect.height);
    m_grid->DrawCell(cell);
    gc->ResetClip();
    if (HasFocus()) {
        rect.Deflate(1, 1);
        ControlDrawing::DrawFocusRect(*gc, rect, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    }
}

void CGenericPicker::OnLeftDown(wxMouseEvent &) {
    if (!IsEnabled())
        return;
    SetFocus();
    OpenPopup();
}

void CGenericPicker::OnKeyDown(wxKeyEvent &event) {
    if (m_logic.IsPopupOpen()) {
        if (!PopupKey(event))
            event.Skip();
        return;
    }
    const int key = event.GetKeyCode();
    const bool opens = (key == WXK_SPACE && !event.HasAnyModifiers()) || key == WXK_F4 ||
                       ((key == WXK_DOWN || key == WXK_NUMPAD_DOWN) && event.AltDown());
    if (opens && IsEnabled()) {
        OpenPopup();
        return;
    }
    // Tab and the dialog keys keep their usual meaning.
    event.Skip();
}

void CGenericPicker::OnFocus(wxFocusEvent &event) {
    Refresh();
    event.Skip();
}

void CGenericPicker::OnSize(wxSizeEvent &event) {
    Refresh();
    event.Skip();
}

CGenericPickerPopup::CGenericPickerPopup(CGenericPicker *owner, uint32_t value)
    : m_owner(owner), m_logic(owner->GetGrid(), owner->GetSize(), EdgeSize(), value) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!Create(owner, wxBORDER_NONE))
        return;
    SetClientSize(m_logic.GetPopupSize());
    Bind(wxEVT_PAINT, &CGenericPickerPopup::OnPaint, this);
    Bind(wxEVT_MOTION, &CGenericPickerPopup::OnMotion, this);
    Bind(wxEVT_LEFT_UP, &CGenericPickerPopup::OnLeftUp, this);
    Bind(wxEVT_KEY_DOWN, &CGenericPickerPopup::OnKeyDown, this);
    Bind(wxEVT_CHAR_HOOK, &CGenericPickerPopup::OnKeyDown, this);
}

void CGenericPickerPopup::End(int message) {
    if (m_ended)
        return;
    m_ended = true;
    if (IsShown())
        Dismiss();
    if (m_owner)
        m_owner->PopupClosed(message, m_logic.GetValue());
    wxTheApp->ScheduleForDestruction(this);
}

bool CGenericPickerPopup::Key(const wxKeyEvent &event) {
    int dc = 0, dr = 0;
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
        End(PickerMsg::ClosedOtherwise);
        return true;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
        End(PickerMsg::ClosedInside);
        return true;
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
        dc = -1;
        break;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
        dc = 1;
        break;
    case WXK_UP:
    case WXK_NUMPAD_UP:
        dr = -1;
        break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        dr = 1;
        break;
    case WXK_TAB:
        End(PickerMsg::ClosedOtherwise);
        return false;
    default:
        return false;
    }
    if (m_logic.MoveBy(dc, dr) && m_owner) {
        m_owner->PopupHotCell(m_logic.GetValue());
        Refresh();
    }
    return true;
}

void CGenericPickerPopup::OnDismiss() {
    // A click outside, or the focus went elsewhere: closed without a pick.
    if (m_ended)
        return;
    m_ended = true;
    if (m_owner)
        m_owner->PopupClosed(PickerMsg::ClosedOtherwise, m_logic.GetValue());
    wxTheApp->ScheduleForDestruction(this);
}

void CGenericPickerPopup::OnMotion(wxMouseEvent &event) {
    if (m_logic.MouseMove(event.GetPosition()) && m_owner) {
        m_owner->PopupHotCell(m_logic.GetValue());
        Refresh();
    }
}

void CGenericPickerPopup::OnLeftUp(wxMouseEvent &event) {
    const wxRect client(GetClientSize());
    End(client.Contains(event.GetPosition()) ? PickerMsg::ClosedInside
                                             : PickerMsg::ClosedOtherwise);
}

void CGenericPickerPopup::OnKeyDown(wxKeyEvent &event) {
    if (!Key(event))
        event.Skip();
}

void CGenericPickerPopup::OnPaint(wxPaintEvent &) {
    wxPaintDC paint(this);
    const wxRect client(GetClientSize());
    CMemDC dc(&paint, &client);
    DrawGrid(dc);
}

void CGenericPickerPopup::DrawGrid(wxDC &dc) const {
    const wxRect client(GetClientSize());
    std::unique_ptr<wxGraphicsContext> gc = ControlDrawing::CreateContext(dc);
    if (!gc || !m_owner)
        return;
    const CPickerGrid &grid = m_owner->GetGrid();
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    gc->SetPen(*wxTRANSPARENT_PEN);
    gc->SetBrush(gc->CreateBrush(wxBrush(highlight)));
    gc->DrawRectangle(client.x, client.y, client.width, client.height);

    SPickerCell cell;
    cell.gc = gc.get();
    if (grid.HasExtraRow()) {
        cell.rect = m_logic.GetDrawRect(-1, -1);
        cell.row = cell.column = -1;
        cell.highlighted = 0;
        grid.DrawCell(cell);
    }
    const uint32_t value = m_logic.GetValue();
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        for (int column = 0; column < grid.GetColumnCount(); ++column) {
            if (!grid.IsCellValid(column, row))
                continue;
            const bool hot = PickerValue::Make(column, row) == value;
            if (hot) {
                // The hovered cell stands out by its fill as well as by its raised edge.
                const wxRect rect = m_logic.GetCellRect(column, row);
                gc->SetPen(*wxTRANSPARENT_PEN);
                gc->SetBrush(gc->CreateBrush(wxBrush(ControlDrawing::HotCellFill())));
                gc->DrawRectangle(rect.x, rect.y, rect.width, rect.height);
                ControlDrawing::DrawEdge(*gc, rect, true);
            }
            cell.rect = m_logic.GetDrawRect(column, row);
            cell.row = row;
            cell.column = column;
            cell.highlighted = hot ? 1 : 0;
            // Each sample stays inside its own cell (a thick line's ends would run into the next).
            gc->Clip(cell.rect.x, cell.rect.y, cell.rect.width, cell.rect.height);
            grid.DrawCell(cell);
            gc->ResetClip();
        }
    }
    ControlDrawing::DrawEdge(*gc, client, true);
}
