#include "KVD_Edit/controls/xSkinButton.h"

#include "KVD_Edit/controls/ControlDrawing.h"

#include <wx/brush.h>
#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/weakref.h>

#include <memory>

namespace {
wxColour Sys(wxSystemColour colour) {
    return wxSystemSettings::GetColour(colour);
}
} // namespace

CxSkinButton::CxSkinButton(wxWindow *parent, wxWindowID id, const wxString &label,
                           const wxPoint &pos, const wxSize &size, long style) {
    Create(parent, id, label, pos, size, style);
}

bool CxSkinButton::Create(wxWindow *parent, wxWindowID id, const wxString &label,
                          const wxPoint &pos, const wxSize &size, long style) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    const long group = style & wxRB_GROUP;
    if (!wxControl::Create(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS | group))
        return false;
    SetLabel(label);
    m_logic.SetKind(CSkinButtonLogic::KindOfStyle(style & ~wxRB_GROUP));
    m_textColour = Sys(wxSYS_COLOUR_BTNTEXT);
    Bind(wxEVT_PAINT, &CxSkinButton::OnPaint, this);
    for (const auto &type :
         {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MOTION, wxEVT_LEAVE_WINDOW})
        Bind(type, &CxSkinButton::OnMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent &) {
        m_held = m_pushed = false;
        Refresh();
    });
    Bind(wxEVT_KEY_DOWN, &CxSkinButton::OnKey, this);
    Bind(wxEVT_SET_FOCUS, &CxSkinButton::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CxSkinButton::OnFocus, this);
    return true;
}

void CxSkinButton::LoadSkins(const wxBitmap &normal, const wxBitmap &pressed, const wxBitmap &hover,
                             const wxBitmap &disabled, const wxBitmap &focus, const wxBitmap &mask,
                             int drawMode, int drawEdge, int margin) {
    m_skins[SKIN_NORMAL] = normal;
    m_skins[SKIN_PRESSED] = pressed;
    m_skins[SKIN_HOVER] = hover;
    m_skins[SKIN_FOCUS] = focus;
    m_skins[SKIN_DISABLED] = disabled.IsOk() ? disabled : normal;
    m_skins[SKIN_MASK] = mask;
    m_drawMode = CSkinButtonLogic::ClampDrawMode(drawMode);
    m_drawEdge = drawEdge;
    m_margin = CSkinButtonLogic::ClampMargin(margin);
    // A new mask gives a new shape; none (or an all-white one) leaves the button rectangular.
    m_region = CMaskRegion();
    if (mask.IsOk()) {
        const wxImage image = mask.ConvertToImage();
        m_region = CMaskRegion::FromRgb(image.GetData(), image.GetWidth(), image.GetHeight());
        if (m_drawMode == SKIN_DRAW_NORMAL)
            SetSize(mask.GetSize());
    }
    Refresh();
}

wxColour CxSkinButton::SetTextColor(const wxColour &colour) {
    const wxColour old = m_textColour;
    m_textColour = colour;
    Refresh();
    return old;
}

void CxSkinButton::SetTipText(const wxString &text) {
    SetToolTip(text);
}

bool CxSkinButton::HitTestShape(const wxPoint &client) const {
    if (!wxRect(GetClientSize()).Contains(client))
        return false;
    return !HasShape() || m_region.Contains(client);
}

int CxSkinButton::SetCheck(int value) {
    if (m_logic.SetCheck(value))
        NotifyGroup();
    Refresh();
    return 0;
}

void CxSkinButton::NotifyGroup() {
    wxWindow *parent = GetParent();
    if (!parent)
        return;
    std::vector<SGroupMember> members;
    std::vector<wxWindow *> windows;
    size_t self = 0;
    for (wxWindow *child : parent->GetChildren()) {
        if (child == this)
            self = windows.size();
        windows.push_back(child);
        members.push_back(
            {dynamic_cast<CxSkinButton *>(child) != nullptr, child->HasFlag(wxRB_GROUP)});
    }
    // Posted, as the others may be drawing; only skinned buttons are asked.
    for (size_t i : RadioGroupOthers(members, self)) {
        auto *other = static_cast<CxSkinButton *>(windows[i]);
        wxWeakRef<CxSkinButton> weak(other);
        other->CallAfter([weak] {
            if (weak && weak->GetCheck()) {
                weak->m_logic.SetCheck(0);
                weak->Refresh();
            }
        });
    }
}

void CxSkinButton::Press() {
    if (m_logic.Clicked())
        NotifyGroup();
    Refresh();
    wxCommandEvent event(wxEVT_BUTTON, GetId());
    event.SetEventObject(this);
    event.SetInt(GetCheck());
    ProcessWindowEvent(event);
}

void CxSkinButton::DrawSkin(wxGraphicsContext &gc, const wxBitmap &skin, const wxRect &rect) {
    if (!skin.IsOk())
        return;
    wxImage image = skin.ConvertToImage();
    const wxBitmap &mask = m_skins[SKIN_MASK];
    // The skin is drawn through the mask: white mask pixels keep what lies beneath.
    auto through = [&mask](wxImage face) {
        if (!mask.IsOk())
            return face;
        wxImage shape = mask.ConvertToImage();
        shape.Rescale(face.GetWidth(), face.GetHeight());
        if (!face.HasAlpha())
            face.InitAlpha();
        unsigned char *alpha = face.GetAlpha();
        const unsigned char *rgb = shape.GetData();
        const size_t n = static_cast<size_t>(face.GetWidth()) * face.GetHeight();
        for (size_t i = 0; i < n; ++i) {
            if (rgb[3 * i] == 255 && rgb[3 * i + 1] == 255 && rgb[3 * i + 2] == 255)
                alpha[i] = 0;
        }
        return face;
    };
    if (m_drawMode == SKIN_DRAW_TILE) {
        const wxBitmap tile(through(image));
        gc.Clip(rect.x, rect.y, rect.width, rect.height);
        for (const wxPoint &at : TileOrigins(skin.GetSize(), rect))
            gc.DrawBitmap(tile, at.x, at.y, tile.GetWidth(), tile.GetHeight());
        gc.ResetClip();
        return;
    }
    if (m_drawMode == SKIN_DRAW_STRETCH && rect.width > 0 && rect.height > 0)
        image.Rescale(rect.width, rect.height);
    const wxBitmap face(through(image));
    gc.DrawBitmap(face, rect.x, rect.y, face.GetWidth(), face.GetHeight());
}

void CxSkinButton::DrawFace(wxDC &dc) {
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!gc)
        return;
    const wxRect item(GetClientSize());
    const bool disabled = !IsEnabled();
    const bool pressed = m_pushed || GetCheck();
    const bool focused = HasFocus();
    const int which = CSkinButtonLogic::WhichSkin(
        disabled, pressed, m_hover, focused, [this](int skin) { return m_skins[skin].IsOk(); });
    if (which == SKIN_NONE) {
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(gc->CreateBrush(wxBrush(Sys(wxSYS_COLOUR_BTNFACE))));
        gc->DrawRectangle(item.x, item.y, item.width, item.height);
    } else {
        DrawSkin(*gc, m_skins[which], item);
    }
    if (m_drawEdge)
        ControlDrawing::DrawEdge(*gc, item, !pressed || disabled);
    wxRect caption = item;
    caption.Deflate(m_margin + 2, 0);
    if (pressed && !disabled)
        caption.Offset(1, 1);
    if (!disabled && focused && m_margin > 0) {
        wxRect focus = item;
        focus.Deflate(m_margin, m_margin);
        ControlDrawing::DrawFocusRect(*gc, focus, m_textColour);
    }
    const wxString label = GetLabel();
    if (label.empty())
        return;
    double w = 0, h = 0;
    gc->SetFont(GetFont(), m_textColour);
    gc->GetTextExtent(label, &w, &h);
    const double x = caption.x + (caption.width - w) / 2, y = caption.y + (caption.height - h) / 2;
    if (disabled) {
        gc->SetFont(GetFont(), Sys(wxSYS_COLOUR_BTNHIGHLIGHT));
        gc->DrawText(label, x, y);
        gc->SetFont(GetFont(), Sys(wxSYS_COLOUR_GRAYTEXT));
        gc->DrawText(label, x - 1, y - 1);
    } else {
        gc->DrawText(label, x, y);
    }
}

void CxSkinButton::OnPaint(wxPaintEvent &) {
    wxPaintDC dc(this);
    DrawFace(dc);
}

void CxSkinButton::OnMouse(wxMouseEvent &event) {
    const bool over = HitTestShape(event.GetPosition());
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK) {
        if (!over || !IsEnabled()) {
            event.Skip(); // outside the shape: not this button's click
            return;
        }
        SetFocus();
        m_hover = false;
        m_held = m_pushed = true;
        if (!HasCapture())
            CaptureMouse();
        Refresh();
        return;
    }
    if (type == wxEVT_LEFT_UP) {
        const bool wasHeld = m_held;
        m_held = m_pushed = false;
        if (HasCapture())
            ReleaseMouse();
        Refresh();
        if (wasHeld && over)
            Press();
        return;
    }
    if (type == wxEVT_LEAVE_WINDOW) {
        if (m_hover) {
            m_hover = false;
            Refresh();
        }
        return;
    }
    if (m_held) {
        if (m_pushed != over) {
            m_pushed = over;
            Refresh();
        }
        return;
    }
    if (m_hover != over) {
        m_hover = over;
        Refresh();
    }
    event.Skip();
}

void CxSkinButton::OnKey(wxKeyEvent &event) {
    if (event.GetKeyCode() == WXK_SPACE || event.GetKeyCode() == WXK_RETURN) {
        Press();
        return;
    }
    event.Skip();
}

void CxSkinButton::OnFocus(wxFocusEvent &event) {
    if (event.GetEventType() == wxEVT_KILL_FOCUS && m_held) {
        if (HasCapture())
            ReleaseMouse();
        m_held = m_pushed = false;
    }
    Refresh();
    event.Skip();
}
