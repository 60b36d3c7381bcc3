#pragma once

// A button painted entirely from bitmaps (skins): normal, pressed, hovered, disabled and focused
// looks, and an optional mask whose non-white pixels give the button its shape. The toolkit
// cannot shape a child window, so the button paints through the mask (white shows the parent's
// background) and takes clicks only inside the shape. It works as a push button, a check box or
// a radio button and draws its caption over the skin; a press sends wxEVT_BUTTON to the parent.

#include "KVD_Edit/controls/SkinButtonLogic.h"

#include <wx/bitmap.h>
#include <wx/control.h>

class wxGraphicsContext;

class CxSkinButton : public wxControl {
public:
    CxSkinButton() = default;
    // style: SKIN_BS_AUTOCHECKBOX or SKIN_BS_AUTORADIOBUTTON for the other kinds, plus
    // wxRB_GROUP for the first radio button of a group.
    CxSkinButton(wxWindow *parent, wxWindowID id, const wxString &label,
                 const wxPoint &pos = wxDefaultPosition, const wxSize &size = wxDefaultSize,
                 long style = 0);
    bool Create(wxWindow *parent, wxWindowID id, const wxString &label,
                const wxPoint &pos = wxDefaultPosition, const wxSize &size = wxDefaultSize,
                long style = 0);

    // Invalid bitmaps are "none"; the disabled skin defaults to the normal one. drawMode: 0 own
    // size (the button takes the mask's size), 1 stretched, larger values tiled. Without a mask
    // (or with an all-white one) the button is rectangular again.
    void LoadSkins(const wxBitmap &normal, const wxBitmap &pressed = wxBitmap(),
                   const wxBitmap &hover = wxBitmap(), const wxBitmap &disabled = wxBitmap(),
                   const wxBitmap &focus = wxBitmap(), const wxBitmap &mask = wxBitmap(),
                   int drawMode = SKIN_DRAW_STRETCH, int drawEdge = 0, int margin = 0);
    wxColour SetTextColor(const wxColour &colour);
    void SetTipText(const wxString &text);
    int SetCheck(int value);
    int GetCheck() const { return m_logic.GetCheck(); }
    int GetKind() const { return m_logic.GetKind(); }
    const CMaskRegion &GetRegion() const { return m_region; }
    bool HasShape() const { return !m_region.IsEmpty(); }
    // Whether a client point lies on the button's shape.
    bool HitTestShape(const wxPoint &client) const;
    void DrawFace(wxDC &dc);
    bool AcceptsFocus() const override { return IsEnabled(); }

private:
    void DrawSkin(wxGraphicsContext &gc, const wxBitmap &skin, const wxRect &rect);
    void NotifyGroup();
    void Press();
    void OnPaint(wxPaintEvent &event);
    void OnMouse(wxMouseEvent &event);
    void OnKey(wxKeyEvent &event);
    void OnFocus(wxFocusEvent &event);

    CSkinButtonLogic m_logic;
    wxBitmap m_skins[6];
    CMaskRegion m_region;
    wxColour m_textColour;
    int m_drawMode = SKIN_DRAW_STRETCH;
    int m_drawEdge = 0;
    int m_margin = 0;
    bool m_hover = false;
    bool m_held = false;
    bool m_pushed = false;
};
