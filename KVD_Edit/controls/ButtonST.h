#pragma once

// An owner-drawn push button: per-state background and text colours, an optional pair of
// images (one while hovered or pressed, one otherwise, the second possibly a grey or darker copy
// of the first) left of, above or right of the caption, a flat look with hover tracking, a
// tooltip, an attached popup menu, a link opened on click, sounds on hover and on click, a
// check-box mode, a transparent face and a custom cursor. Keyboard users press it with Space or
// Enter; a press sends wxEVT_BUTTON to the parent as a button does. Its drawing is split into
// overridable steps (CShadeButtonST overrides background and border). The decisions are
// CButtonSTLogic's.

#include "KVD_Edit/controls/ButtonSTLogic.h"

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/event.h>

#include <memory>
#include <string>

class wxGraphicsContext;
class wxMenu;
class wxSound;

// Sent to the menu-notify window before the attached menu shows: GetClientData() is the
// wxMenu, GetExtraLong() the value given to SetMenuNotify, GetId() its message id.
wxDECLARE_EVENT(EVT_BUTTONST_MENU, wxCommandEvent);

class CButtonST : public wxControl {
public:
    // Normal image requests of SetFaceIcons and SetFaceBitmaps.
    enum : int {
        NoNormalImage = 0,
        GreyNormalImage = -2,
        DarkerNormalImage = -3,
        NormalImageGiven = 1 // (internal) the normal image is passed as a bitmap
    };

    CButtonST();
    CButtonST(wxWindow *parent, wxWindowID id, const wxString &label,
              const wxPoint &pos = wxDefaultPosition, const wxSize &size = wxDefaultSize,
              int buttonType = BTNST_PUSHBUTTON);
    ~CButtonST() override;
    bool Create(wxWindow *parent, wxWindowID id, const wxString &label,
                const wxPoint &pos = wxDefaultPosition, const wxSize &size = wxDefaultSize,
                int buttonType = BTNST_PUSHBUTTON);

    // Images: the hover image (alpha or mask kept), and a normal image or one of the requests
    // above. Without a (valid) hover image the button shows none (0); a normal image passed
    // as a bitmap that is not valid leaves the button without images (LoadFailed).
    int SetFaceIcons(const wxBitmap &hover, const wxBitmap &normal);
    int SetFaceIcons(const wxBitmap &hover, int normal = NoNormalImage);
    // Bitmaps whose pixels of the transparent colour are not drawn.
    int SetFaceBitmaps(const wxBitmap &hover, const wxColour &transparentHover,
                       const wxBitmap &normal, const wxColour &transparentNormal);
    int SetFaceBitmaps(const wxBitmap &hover, const wxColour &transparentHover,
                       int normal = NoNormalImage);

    int SetFlatLook(bool flat, bool repaint = true);
    int SetImageAlign(int align, bool repaint = true);
    int SetPushOffsetStyle(int style, bool repaint = true);
    int SetCheck(int value, bool repaint = true);
    int GetCheck() const { return m_logic.GetCheck(); }
    void ResetFaceColours(bool repaint = true);
    int SetFaceColour(int index, const wxColour &colour, bool repaint = true);
    int GetFaceColour(int index, wxColour *colour) const;
    int ShiftFaceColour(int index, int offset, bool repaint = true);
    int SetTrackWhenInactive(bool track);
    // A stock cursor while the mouse is over the button; wxCURSOR_NONE for the default one.
    int SetButtonCursor(wxStockCursor cursor, bool repaint = false);
    int SetDrawBorder(bool draw, bool repaint = true);
    int SetFlatFocus(bool draw, bool repaint = true);
    // Null does nothing.
    void SetTipText(const char *text, bool activate = true);
    void EnableTip(bool activate);
    int UseBalloonTip();
    bool IsDefaultButton() const { return m_logic.m_default; }
    void SetButtonStyle(int type);
    // The face is not painted: the parent's background shows through.
    void UseTransparentFace(bool repaint = true);
    // In transparent mode: the background is copied from dc at the button's place.
    int SetBackgroundDC(wxDC *dc);
    // A link opened in the browser on click; null or empty clears it.
    int SetLinkTarget(const char *url);
    // A popup menu shown on click (the button owns it; null detaches); chosen commands go to
    // owner (the parent when null) as wxEVT_MENU.
    int AttachMenu(wxMenu *menu, wxWindow *owner = nullptr, bool repaint = true);
    int SetMenuNotify(wxEvtHandler *handler, int messageId, long value);
    // The button takes the image's size; margins become 0.
    void FitToImage();
    // A sound file played on click (click true) or on hover; null clears it.
    int SetButtonSound(const char *sound, bool click, bool async = true);

    // A press as a click or Space/Enter makes it.
    void Press();

    const CButtonSTLogic &GetLogic() const { return m_logic; }
    bool IsHovered() const { return m_logic.m_hover; }
    bool IsMenuShown() const { return m_menuShown; }
    bool AcceptsFocus() const override { return IsEnabled(); }
    // Draws the face into dc (as the window paints it).
    void DrawFace(wxDC &dc);

protected:
    // Drawing steps; each returns 0. The background step may shrink the rectangle.
    virtual int DrawFaceBackground(wxGraphicsContext &gc, wxRect &rect);
    virtual int DrawFaceBorder(wxGraphicsContext &gc, wxRect &rect);
    virtual void DrawImage(wxGraphicsContext &gc, bool hasCaption, const wxRect &item,
                           wxRect &caption, bool pressed, bool disabled);
    virtual void DrawCaption(wxGraphicsContext &gc, const wxString &caption, const wxRect &item,
                             wxRect &captionRect, bool pressed, bool disabled);
    wxSize DoGetBestSize() const override;

    bool m_pressed = false; // as found by the last drawing
    bool m_focused = false;
    bool m_disabled = false;

private:
    void FreeImages();
    int StoreImages(const wxBitmap &hover, const wxBitmap &normal, int request,
                    const wxColour *transparent);
    void Repaint(bool repaint);
    void SetHover(bool hover);
    void ShowMenu();

    void OnPaint(wxPaintEvent &event);
    void OnMouse(wxMouseEvent &event);
    void OnCaptureLost(wxMouseCaptureLostEvent &event);
    void OnKey(wxKeyEvent &event);
    void OnKeyUp(wxKeyEvent &event);
    void OnFocus(wxFocusEvent &event);
    void OnSysColour(wxSysColourChangedEvent &event);

    CButtonSTLogic m_logic;
    wxBitmap m_images[2]; // 0 hover, 1 normal
    wxBitmap m_disabledImages[2];
    wxBitmap m_background; // transparent mode's copy
    wxColour m_normalTransparent;
    bool m_buttonDown = false;
    bool m_keyDown = false;
    bool m_menuShown = false;
    std::unique_ptr<wxMenu> m_menu;
    wxWindow *m_menuOwner = nullptr;
    wxEvtHandler *m_menuNotify = nullptr;
    int m_menuMessage = 0;
    long m_menuValue = 0;
    wxString m_tipText;
    bool m_balloon = false;
    std::string m_url;
    std::unique_ptr<wxSound> m_sounds[2]; // 0 hover, 1 click
    bool m_soundAsync[2] = {true, true};
};
