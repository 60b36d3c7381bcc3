#include "KVD_Edit/controls/ControlDrawing.h"

#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/pen.h>

#include <wx/settings.h>

#include <algorithm>
#include <cmath>

namespace ControlDrawing {

namespace {
wxColour Sys(wxSystemColour colour) {
    return wxSystemSettings::GetColour(colour);
}
} // namespace

std::unique_ptr<wxGraphicsContext> CreateContext(wxDC &dc) {
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (gc)
        gc->DisableOffset();
    return gc;
}

void Draw3dRect(wxGraphicsContext &gc, const wxRect &rect, const wxColour &topLeft,
                const wxColour &bottomRight) {
    if (rect.width <= 0 || rect.height <= 0)
        return;
    const double l = rect.x + 0.5, t = rect.y + 0.5;
    const double r = rect.x + rect.width - 0.5, b = rect.y + rect.height - 0.5;
    gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(topLeft, 1.0)));
    gc.StrokeLine(l, b, l, t);
    gc.StrokeLine(l, t, r, t);
    gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(bottomRight, 1.0)));
    gc.StrokeLine(r, t, r, b);
    gc.StrokeLine(r, b, l, b);
}

void DrawEdge(wxGraphicsContext &gc, const wxRect &rect, bool raised) {
    const wxColour light = Sys(wxSYS_COLOUR_BTNHIGHLIGHT);
    const wxColour shadow = Sys(wxSYS_COLOUR_BTNSHADOW);
    const wxColour dark = Sys(wxSYS_COLOUR_3DDKSHADOW);
    const wxColour face = Sys(wxSYS_COLOUR_3DLIGHT);
    wxRect inner = rect;
    inner.Deflate(1, 1);
    if (raised) {
        Draw3dRect(gc, rect, face, dark);
        Draw3dRect(gc, inner, light, shadow);
    } else {
        Draw3dRect(gc, rect, shadow, light);
        Draw3dRect(gc, inner, dark, face);
    }
}

void DrawFocusRect(wxGraphicsContext &gc, const wxRect &rect, const wxColour &colour) {
    if (rect.width <= 1 || rect.height <= 1)
        return;
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
    gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(colour, 1.0).Style(wxPENSTYLE_DOT)));
    gc.DrawRectangle(rect.x + 0.5, rect.y + 0.5, rect.width - 1, rect.height - 1);
}

wxColour FieldBackground(bool disabled) {
    return Sys(disabled ? wxSYS_COLOUR_BTNFACE : wxSYS_COLOUR_WINDOW);
}

wxColour Mix(const wxColour &a, const wxColour &b, double share) {
    share = std::clamp(share, 0.0, 1.0);
    const auto channel = [share](unsigned char x, unsigned char y) {
        return static_cast<unsigned char>(std::lround(share * x + (1.0 - share) * y));
    };
    return wxColour(channel(a.Red(), b.Red()), channel(a.Green(), b.Green()),
                    channel(a.Blue(), b.Blue()));
}

wxColour HotCellFill() {
    return Mix(Sys(wxSYS_COLOUR_HIGHLIGHT), Sys(wxSYS_COLOUR_BTNHIGHLIGHT), 0.35);
}

void DrawDropArrow(wxGraphicsContext &gc, const wxRect &rect, bool pressed, bool disabled) {
    if (rect.width <= 0 || rect.height <= 0)
        return;
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(gc.CreateBrush(wxBrush(Sys(wxSYS_COLOUR_BTNFACE))));
    gc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);
    DrawEdge(gc, rect, !pressed);
    const double shift = pressed ? 1.0 : 0.0;
    const double cx = rect.x + rect.width / 2.0 + shift;
    const double cy = rect.y + rect.height / 2.0 + shift;
    const double half = std::max(2.0, rect.width / 5.0);
    wxGraphicsPath path = gc.CreatePath();
    path.MoveToPoint(cx - half, cy - half / 2);
    path.AddLineToPoint(cx + half, cy - half / 2);
    path.AddLineToPoint(cx, cy + half / 2);
    path.CloseSubpath();
    gc.SetBrush(
        gc.CreateBrush(wxBrush(Sys(disabled ? wxSYS_COLOUR_GRAYTEXT : wxSYS_COLOUR_BTNTEXT))));
    gc.FillPath(path);
}

} // namespace ControlDrawing
