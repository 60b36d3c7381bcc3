#include "KVD_Edit/controls/ButtonST.h"

#include "KVD_Edit/controls/ControlDrawing.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/app.h>
#include <wx/brush.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/pen.h>
#include <wx/settings.h>
#include <wx/sound.h>
#include <wx/tooltip.h>
#include <wx/utils.h>

wxDEFINE_EVENT(EVT_BUTTONST_MENU, wxCommandEvent);

namespace {

wxColour Sys(wxSystemColour colour) {
    return wxSystemSettings::GetColour(colour);
}

// The grey or darker copy of an image; pixels of the transparent colour (for icons: black
// pixels) stay, and so does the alpha channel.
wxBitmap DerivedCopy(const wxBitmap &source, int request, const wxColour *transparent) {
    wxImage image = source.ConvertToImage();
    if (!image.IsOk())
        return wxBitmap();
    const size_t pixels = static_cast<size_t>(image.GetWidth()) * image.GetHeight();
    if (request == CButtonST::GreyNormalImage)
        MakeGreyPixels(image.GetData(), pixels, transparent);
    else
        MakeDarkerPixels(image.GetData(), pixels, transparent);
    return wxBitmap(image);
}

} // namespace

CButtonST::CButtonST() = default;

CButtonST::CButtonST(wxWindow *parent, wxWindowID id, const wxString &label, const wxPoint &pos,
                     const wxSize &size, int buttonType) {
    Create(parent, id, label, pos, size, buttonType);
}

CButtonST::~CButtonST() = default;

bool CButtonST::Create(wxWindow *parent, wxWindowID id, const wxString &label, const wxPoint &pos,
                       const wxSize &size, int buttonType) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxControl::Create(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS))
        return false;
    SetLabel(label);
    m_logic.ApplyButtonType(buttonType);
    m_logic.ResetFaceColours(Sys(wxSYS_COLOUR_BTNFACE), Sys(wxSYS_COLOUR_BTNTEXT));
    Bind(wxEVT_PAINT, &CButtonST::OnPaint, this);
    for (const auto &type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MOTION,
                             wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW})
        Bind(type, &CButtonST::OnMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CButtonST::OnCaptureLost, this);
    Bind(wxEVT_KEY_DOWN, &CButtonST::OnKey, this);
    Bind(wxEVT_KEY_UP, &CButtonST::OnKeyUp, this);
    Bind(wxEVT_SET_FOCUS, &CButtonST::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CButtonST::OnFocus, this);
    Bind(wxEVT_SYS_COLOUR_CHANGED, &CButtonST::OnSysColour, this);
    if (size == wxDefaultSize)
        SetInitialSize(DoGetBestSize());
    return true;
}

wxSize CButtonST::DoGetBestSize() const {
    wxSize best = GetTextExtent(GetLabel().empty() ? wxString("M") : GetLabel());
    best.x += 2 * m_logic.m_marginX + 16;
    best.y += 2 * m_logic.m_marginY + 8;
    const wxBitmap &image = m_images[0];
    if (image.IsOk()) {
        best.x += image.GetWidth() + m_logic.m_marginX;
        best.y = std::max(best.y, image.GetHeight() + 2 * m_logic.m_marginY);
    }
    return best;
}

void CButtonST::Repaint(bool repaint) {
    if (repaint && GetHandle())
        Refresh();
}

void CButtonST::FreeImages() {
    for (int i = 0; i < 2; ++i) {
        m_images[i] = wxBitmap();
        m_disabledImages[i] = wxBitmap();
    }
}

int CButtonST::StoreImages(const wxBitmap &hover, const wxBitmap &normal, int request,
                           const wxColour *transparent) {
    FreeImages();
    if (!hover.IsOk()) {
        Repaint(true);
        return ButtonSTResult::Ok; // no hover image: the button shows none
    }
    if (request == NormalImageGiven && !normal.IsOk()) {
        Repaint(true);
        return ButtonSTResult::LoadFailed;
    }
    m_images[0] = hover;
    if (request == GreyNormalImage || request == DarkerNormalImage)
        m_images[1] = DerivedCopy(hover, request, transparent);
    else if (request == NormalImageGiven)
        m_images[1] = normal;
    if (transparent) {
        const wxColour colours[2] = {*transparent, m_normalTransparent};
        for (int i = 0; i < 2; ++i) {
            if (!m_images[i].IsOk())
                continue;
            // Derived copies keep the hover image's transparent colour.
            const wxColour &key = request == NormalImageGiven ? colours[i] : colours[0];
            auto mask = std::make_unique<wxMask>();
            if (!mask->Create(m_images[i], key)) {
                FreeImages();
                Repaint(true);
                return ButtonSTResult::MaskFailed;
            }
            m_images[i].SetMask(mask.release());
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (m_images[i].IsOk())
            m_disabledImages[i] = m_images[i].ConvertToDisabled();
    }
    Repaint(true);
    return ButtonSTResult::Ok;
}

int CButtonST::SetFaceIcons(const wxBitmap &hover, const wxBitmap &normal) {
    return StoreImages(hover, normal, NormalImageGiven, nullptr);
}

int CButtonST::SetFaceIcons(const wxBitmap &hover, int normal) {
    return StoreImages(hover, wxBitmap(), normal == NormalImageGiven ? NoNormalImage : normal,
                       nullptr);
}

int CButtonST::SetFaceBitmaps(const wxBitmap &hover, const wxColour &transparentHover,
                              const wxBitmap &normal, const wxColour &transparentNormal) {
    m_normalTransparent = transparentNormal;
    return StoreImages(hover, normal, NormalImageGiven, &transparentHover);
}

int CButtonST::SetFaceBitmaps(const wxBitmap &hover, const wxColour &transparentHover, int normal) {
    return StoreImages(hover, wxBitmap(), normal == NormalImageGiven ? NoNormalImage : normal,
                       &transparentHover);
}

int CButtonST::SetFlatLook(bool flat, bool repaint) {
    m_logic.m_flat = flat;
    if (!flat)
        m_logic.m_hover = false;
    Repaint(repaint);
    return ButtonSTResult::Ok;
}

int CButtonST::SetImageAlign(int align, bool repaint) {
    const int result = m_logic.SetImageAlign(align);
    Repaint(repaint && result == ButtonSTResult::Ok);
    return result;
}

int CButtonST::SetPushOffsetStyle(int style, bool repaint) {
    const int result = m_logic.SetPushOffsetStyle(style);
    Repaint(repaint && result == ButtonSTResult::Ok);
    return result;
}

int CButtonST::SetCheck(int value, bool repaint) {
    const int result = m_logic.SetCheck(value);
    Repaint(repaint);
    return result;
}

void CButtonST::ResetFaceColours(bool repaint) {
    m_logic.ResetFaceColours(Sys(wxSYS_COLOUR_BTNFACE), Sys(wxSYS_COLOUR_BTNTEXT));
    Repaint(repaint);
}

int CButtonST::SetFaceColour(int index, const wxColour &colour, bool repaint) {
    const int result = m_logic.SetFaceColour(index, colour);
    Repaint(repaint && result == ButtonSTResult::Ok);
    return result;
}

int CButtonST::GetFaceColour(int index, wxColour *colour) const {
    return m_logic.GetFaceColour(index, colour);
}

int CButtonST::ShiftFaceColour(int index, int offset, bool repaint) {
    const int result = m_logic.ShiftFaceColour(index, offset);
    Repaint(repaint && result == ButtonSTResult::Ok);
    return result;
}

int CButtonST::SetTrackWhenInactive(bool track) {
    m_logic.m_trackInactive = track;
    return ButtonSTResult::Ok;
}

int CButtonST::SetButtonCursor(wxStockCursor cursor, bool repaint) {
    SetCursor(cursor == wxCURSOR_NONE ? wxNullCursor : wxCursor(cursor));
    Repaint(repaint);
    return ButtonSTResult::Ok;
}

int CButtonST::SetDrawBorder(bool draw, bool repaint) {
    m_logic.m_drawBorder = draw;
    Repaint(repaint);
    return ButtonSTResult::Ok;
}

int CButtonST::SetFlatFocus(bool draw, bool repaint) {
    m_logic.m_flatFocus = draw;
    Repaint(repaint);
    return ButtonSTResult::Ok;
}

void CButtonST::SetTipText(const char *text, bool activate) {
    if (!text)
        return;
    m_tipText = ToWx(text);
    EnableTip(activate);
}

void CButtonST::EnableTip(bool activate) {
    if (m_tipText.empty())
        return;
    if (activate) {
        SetToolTip(m_tipText);
    } else {
        UnsetToolTip();
    }
}

int CButtonST::UseBalloonTip() {
    m_balloon = true; // the toolkit draws every tooltip its own way
    return ButtonSTResult::Ok;
}

void CButtonST::SetButtonStyle(int type) {
    m_logic.SetButtonStyle(type);
    Refresh();
}

void CButtonST::UseTransparentFace(bool repaint) {
    m_logic.m_transparent = true;
    m_background = wxBitmap();
    Repaint(repaint);
}

int CButtonST::SetBackgroundDC(wxDC *dc) {
    if (!m_logic.m_transparent || !dc)
        return ButtonSTResult::BadArgument;
    const wxSize size = GetClientSize();
    m_background = wxBitmap();
    if (size.x <= 0 || size.y <= 0)
        return ButtonSTResult::Ok;
    m_background.Create(size);
    wxMemoryDC copy(m_background);
    const wxPoint at = GetPosition();
    copy.Blit(0, 0, size.x, size.y, dc, at.x, at.y);
    return ButtonSTResult::Ok;
}

int CButtonST::SetLinkTarget(const char *url) {
    m_url = url ? url : "";
    return ButtonSTResult::Ok;
}

int CButtonST::AttachMenu(wxMenu *menu, wxWindow *owner, bool repaint) {
    m_menu.reset(menu);
    m_menuOwner = menu ? owner : nullptr;
    m_menuShown = false;
    Repaint(repaint);
    return ButtonSTResult::Ok;
}

int CButtonST::SetMenuNotify(wxEvtHandler *handler, int messageId, long value) {
    m_menuNotify = handler;
    m_menuMessage = messageId;
    m_menuValue = value;
    return ButtonSTResult::Ok;
}

void CButtonST::FitToImage() {
    const wxBitmap &image = m_images[0];
    if (!image.IsOk())
        return;
    m_logic.m_marginX = m_logic.m_marginY = 0;
    SetSize(image.GetSize());
}

int CButtonST::SetButtonSound(const char *sound, bool click, bool async) {
    const int slot = click ? 1 : 0;
    m_sounds[slot].reset();
    m_soundAsync[slot] = async;
    if (sound && *sound)
        m_sounds[slot] = std::make_unique<wxSound>(wxString::FromUTF8(sound));
    return ButtonSTResult::Ok;
}

void CButtonST::SetHover(bool hover) {
    if (m_logic.m_hover == hover)
        return;
    m_logic.m_hover = hover;
    if (hover && m_sounds[0] && m_sounds[0]->IsOk())
        m_sounds[0]->Play(m_soundAsync[0] ? wxSOUND_ASYNC : wxSOUND_SYNC);
    Refresh();
}

void CButtonST::Press() {
    if (!IsEnabled())
        return;
    SetFocus();
    if (m_sounds[1] && m_sounds[1]->IsOk())
        m_sounds[1]->Play(m_soundAsync[1] ? wxSOUND_ASYNC : wxSOUND_SYNC);
    if (m_logic.m_checkBox) {
        m_logic.Toggle();
        Refresh();
    } else if (m_menu) {
        ShowMenu();
    } else if (!m_url.empty()) {
        wxLaunchDefaultBrowser(wxString::FromUTF8(m_url));
    }
    // The parent hears of the press as of any button's.
    wxCommandEvent event(wxEVT_BUTTON, GetId());
    event.SetEventObject(this);
    event.SetInt(GetCheck());
    ProcessWindowEvent(event);
}

void CButtonST::ShowMenu() {
    m_menuShown = true;
    Refresh();
    Update();
    if (m_menuNotify) {
        wxCommandEvent notify(EVT_BUTTONST_MENU, m_menuMessage);
        notify.SetEventObject(this);
        notify.SetClientData(m_menu.get());
        notify.SetExtraLong(m_menuValue);
        m_menuNotify->ProcessEvent(notify);
    }
    const int command = GetPopupMenuSelectionFromUser(*m_menu, wxPoint(0, GetSize().y));
    m_menuShown = false;
    Refresh();
    wxWindow *owner = m_menuOwner ? m_menuOwner : GetParent();
    if (command != wxID_NONE && owner) {
        wxCommandEvent chosen(wxEVT_MENU, command);
        chosen.SetEventObject(this);
        owner->GetEventHandler()->AddPendingEvent(chosen);
    }
}

int CButtonST::DrawFaceBackground(wxGraphicsContext &gc, wxRect &rect) {
    if (!m_logic.m_flat && (m_focused || m_logic.m_default)) {
        gc.SetBrush(*wxTRANSPARENT_BRUSH);
        gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(*wxBLACK, 1.0)));
        gc.DrawRectangle(rect.x + 0.5, rect.y + 0.5, rect.width - 1, rect.height - 1);
        rect.Deflate(1, 1);
    }
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(
        gc.CreateBrush(wxBrush(m_logic.Colour(m_logic.BackgroundIndex(m_pressed, m_focused)))));
    gc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);
    return 0;
}

int CButtonST::DrawFaceBorder(wxGraphicsContext &gc, wxRect &rect) {
    const bool flat = m_logic.m_flat;
    if (m_pressed) {
        if (!flat)
            ControlDrawing::Draw3dRect(gc, rect, Sys(wxSYS_COLOUR_BTNSHADOW),
                                       Sys(wxSYS_COLOUR_BTNSHADOW));
        else if (m_logic.m_drawBorder)
            ControlDrawing::Draw3dRect(gc, rect, Sys(wxSYS_COLOUR_BTNSHADOW),
                                       Sys(wxSYS_COLOUR_BTNHIGHLIGHT));
    } else if (!flat) {
        ControlDrawing::DrawEdge(gc, rect, true);
    } else if (m_logic.m_hover && m_logic.m_drawBorder) {
        ControlDrawing::Draw3dRect(gc, rect, Sys(wxSYS_COLOUR_BTNHIGHLIGHT),
                                   Sys(wxSYS_COLOUR_BTNSHADOW));
    }
    return 0;
}

void CButtonST::DrawImage(wxGraphicsContext &gc, bool hasCaption, const wxRect &item,
                          wxRect &caption, bool pressed, bool disabled) {
    const int which = m_logic.WhichImage(pressed, m_images[1].IsOk());
    const wxBitmap &image =
        disabled && m_logic.m_embossed ? m_disabledImages[which] : m_images[which];
    if (!image.IsOk())
        return;
    const SButtonSTLayout layout = m_logic.Layout(item, image.GetSize(), hasCaption, pressed);
    caption = layout.caption;
    gc.DrawBitmap(image, layout.image.x, layout.image.y, image.GetWidth(), image.GetHeight());
}

void CButtonST::DrawCaption(wxGraphicsContext &gc, const wxString &caption, const wxRect &,
                            wxRect &rect, bool pressed, bool disabled) {
    if (pressed && !m_logic.m_checkBox)
        rect.Offset(m_logic.m_pushOffset);
    double w = 0, h = 0;
    gc.SetFont(GetFont(), *wxBLACK);
    gc.GetTextExtent(caption, &w, &h);
    const double x = rect.x + (rect.width - w) / 2;
    const double y = rect.y + (rect.height - h) / 2;
    if (disabled) {
        gc.SetFont(GetFont(), Sys(wxSYS_COLOUR_BTNHIGHLIGHT));
        gc.DrawText(caption, x + 1, y + 1);
        gc.SetFont(GetFont(), Sys(wxSYS_COLOUR_BTNSHADOW));
    } else {
        gc.SetFont(GetFont(), m_logic.Colour(m_logic.TextIndex(pressed, m_focused)));
    }
    gc.DrawText(caption, x, y);
}

void CButtonST::OnPaint(wxPaintEvent &) {
    wxPaintDC dc(this);
    DrawFace(dc);
}

void CButtonST::DrawFace(wxDC &dc) {
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!gc)
        return;
    wxRect item(GetClientSize());
    if (item.IsEmpty())
        return;
    const bool selected = (m_buttonDown && m_logic.m_hover) || m_keyDown;
    m_pressed = m_logic.IsPressed(selected, m_menuShown);
    m_focused = HasFocus();
    m_disabled = !IsEnabled();

    if (m_logic.m_transparent) {
        if (m_background.IsOk())
            gc->DrawBitmap(m_background, 0, 0, item.width, item.height);
    } else {
        DrawFaceBackground(*gc, item);
    }
    DrawFaceBorder(*gc, item);

    const wxString caption = GetLabel();
    wxRect captionRect = item;
    if (m_images[0].IsOk())
        DrawImage(*gc, !caption.empty(), item, captionRect, m_pressed, m_disabled);
    if (!caption.empty())
        DrawCaption(*gc, caption, item, captionRect, m_pressed, m_disabled);
    if (m_focused && (!m_logic.m_flat || m_logic.m_flatFocus)) {
        wxRect focus(GetClientSize());
        focus.Deflate(3, 3);
        ControlDrawing::DrawFocusRect(*gc, focus, Sys(wxSYS_COLOUR_BTNTEXT));
    }
}

void CButtonST::OnMouse(wxMouseEvent &event) {
    const bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK) {
        // A double click is a second press.
        if (!IsEnabled())
            return;
        SetFocus();
        m_buttonDown = true;
        m_logic.m_hover = true;
        if (!HasCapture())
            CaptureMouse();
        Refresh();
        return;
    }
    if (type == wxEVT_LEFT_UP) {
        const bool wasDown = m_buttonDown;
        m_buttonDown = false;
        if (HasCapture())
            ReleaseMouse();
        m_logic.m_hover = inside && m_logic.m_flat;
        Refresh();
        if (wasDown && inside)
            Press();
        return;
    }
    if (type == wxEVT_LEAVE_WINDOW && !m_buttonDown) {
        SetHover(false);
        return;
    }
    // Hover is tracked in the flat look only; with the button held it follows the pointer.
    if (m_buttonDown) {
        if (m_logic.m_hover != inside) {
            m_logic.m_hover = inside;
            Refresh();
        }
        return;
    }
    if (!m_logic.m_flat)
        return;
    const bool tracking = m_logic.m_trackInactive || wxTheApp->IsActive();
    SetHover(inside && tracking && IsEnabled());
    event.Skip();
}

void CButtonST::OnCaptureLost(wxMouseCaptureLostEvent &) {
    m_buttonDown = false;
    m_logic.m_hover = false;
    Refresh();
}

void CButtonST::OnKey(wxKeyEvent &event) {
    switch (event.GetKeyCode()) {
    case WXK_SPACE:
        if (!m_keyDown) {
            m_keyDown = true;
            Refresh();
        }
        return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        Press();
        return;
    default:
        break;
    }
    // Tab and the dialog keys keep their usual meaning.
    if (event.GetKeyCode() == WXK_TAB)
        Navigate(event.ShiftDown() ? wxNavigationKeyEvent::IsBackward
                                   : wxNavigationKeyEvent::IsForward);
    else
        event.Skip();
}

void CButtonST::OnKeyUp(wxKeyEvent &event) {
    if (event.GetKeyCode() == WXK_SPACE && m_keyDown) {
        m_keyDown = false;
        Refresh();
        Press();
        return;
    }
    event.Skip();
}

void CButtonST::OnFocus(wxFocusEvent &event) {
    if (event.GetEventType() == wxEVT_KILL_FOCUS) {
        m_keyDown = false;
        if (!m_buttonDown)
            m_logic.m_hover = false;
    }
    Refresh();
    event.Skip();
}

void CButtonST::OnSysColour(wxSysColourChangedEvent &event) {
    m_background = wxBitmap();
    ResetFaceColours(true);
    event.Skip();
}
