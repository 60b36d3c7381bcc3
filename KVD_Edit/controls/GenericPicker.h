#pragma once

// A drop-down picker button: it shows the chosen item (a line style, a line width, a marker) and
// opens a popup grid of cells to pick another with the mouse or the keyboard (Space or Alt+Down
// opens, arrows move, Enter picks, Escape closes and brings back the value held at opening).
// The kind of picker supplies the grid (CPickerGrid); the state lives in CGenericPickerLogic.
//
// The picker tells its parent with command events: EVT_PICKER_NOTIFY (GetInt() the
// PickerNotify code, GetExtraLong() the value, the id the picker's) and EVT_PICKER_OPENED when
// the popup has opened.

#include "KVD_Edit/controls/GenericPickerLogic.h"

#include <wx/control.h>
#include <wx/event.h>
#include <wx/popupwin.h>

#include <memory>

wxDECLARE_EVENT(EVT_PICKER_NOTIFY, wxCommandEvent);
wxDECLARE_EVENT(EVT_PICKER_OPENED, wxCommandEvent);

class CGenericPickerPopup;

class CGenericPicker : public wxControl {
public:
    ~CGenericPicker() override;

    bool Create(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                const wxSize &size = wxDefaultSize, long style = 0);

    uint32_t GetValue() const { return m_logic.GetValue(); }
    // Stores the value and redraws the button at once.
    void SetValue(uint32_t value);
    bool IsPopupOpen() const { return m_logic.IsPopupOpen(); }
    // Opens the popup below the button (above it at the display's bottom); false when it could
    // not be made.
    bool OpenPopup();
    // The open popup, or null.
    CGenericPickerPopup *GetPopup() const { return m_popup; }
    const CPickerGrid &GetGrid() const { return *m_grid; }
    wxRect GetArrowRect() const;

    // The popup reports back (PickerMsg codes).
    void PopupHotCell(uint32_t value);
    void PopupClosed(int message, uint32_t value);
    // A key while the popup is open; true when it was used.
    bool PopupKey(const wxKeyEvent &event);

    bool AcceptsFocus() const override { return IsEnabled(); }
    // Draws the button face into dc (as the window paints it).
    void DrawFace(wxDC &dc) const;

protected:
    explicit CGenericPicker(std::unique_ptr<CPickerGrid> grid);
    wxSize DoGetBestSize() const override;

private:
    void OnPaint(wxPaintEvent &event);
    void OnLeftDown(wxMouseEvent &event);
    void OnKeyDown(wxKeyEvent &event);
    void OnFocus(wxFocusEvent &event);
    void OnSize(wxSizeEvent &event);
    void Send(const std::vector<SPickerNotice> &notices);

    std::unique_ptr<CPickerGrid> m_grid;
    CGenericPickerLogic m_logic;
    CGenericPickerPopup *m_popup = nullptr;
};

// The popup grid of a picker. Made only by the picker; it destroys itself when it ends.
class CGenericPickerPopup : public wxPopupTransientWindow {
public:
    CGenericPickerPopup(CGenericPicker *owner, uint32_t value);

    const CPickerPopupLogic &GetLogic() const { return m_logic; }
    // The picker is going: the popup reports to nobody from now on.
    void Detach() { m_owner = nullptr; }
    // Ends the popup with the message (PickerMsg::ClosedInside or ClosedOtherwise).
    void End(int message);
    // A key for the grid; true when it was used.
    bool Key(const wxKeyEvent &event);
    // Draws the grid into dc (as the window paints it): every cell's sample clipped to the
    // cell, the hovered cell filled and raised.
    void DrawGrid(wxDC &dc) const;

protected:
    void OnDismiss() override;

private:
    void OnPaint(wxPaintEvent &event);
    void OnMotion(wxMouseEvent &event);
    void OnLeftUp(wxMouseEvent &event);
    void OnKeyDown(wxKeyEvent &event);

    CGenericPicker *m_owner;
    CPickerPopupLogic m_logic;
    bool m_ended = false;
};

// The edge size (cx, cy) that frames the cells, and the button's size rules, from the system.
SPickerMetrics SystemPickerMetrics();
