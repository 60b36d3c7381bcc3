#include "KVD_Edit/planview/GraphicsPlanDC.h"

#include "KVD_Edit/planview/PlanTextCache.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/brush.h>
#include <wx/pen.h>
#include <wx/settings.h>

namespace {

// Room beyond the target's edges, so that wide pens and the outer half of border lines are
// drawn in full while nothing far away reaches the backend.
constexpr double kClipMargin = 64;

wxPenStyle ToPenStyle(int style) {
    switch (style) {
    case PS_DASH:
        return wxPENSTYLE_LONG_DASH;
    case PS_DOT:
        return wxPENSTYLE_DOT;
    case PS_DASHDOT:
    case PS_DASHDOTDOT:
        return wxPENSTYLE_DOT_DASH;
    default:
        return wxPENSTYLE_SOLID;
    }
}

} // namespace

wxColour ToWxColour(COLORREF colour) {
    return wxColour(static_cast<unsigned char>(GetRValue(colour)),
                    static_cast<unsigned char>(GetGValue(colour)),
                    static_cast<unsigned char>(GetBValue(colour)));
}

CGraphicsPlanDC::CGraphicsPlanDC(wxGraphicsContext *gc, int width, int height, int pixelsPerInchX,
                                 int pixelsPerInchY)
    : CPlanDC(pixelsPerInchX, pixelsPerInchY), m_gc(gc), m_width(width), m_height(height) {
    if (m_gc != nullptr)
        m_gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
}

CGraphicsPlanDC::~CGraphicsPlanDC() {
    Flush();
}

void CGraphicsPlanDC::Flush() {
    if (m_pendingPoints == 0 || m_gc == nullptr)
        return;
    if (m_pendingDrawn) {
        m_gc->SetPen(m_strokePen);
        m_gc->StrokePath(m_pending);
    }
    m_pending = wxGraphicsPath();
    m_pendingPoints = 0;
    m_pendingDrawn = false;
}

SDRect CGraphicsPlanDC::DeviceBounds() const {
    SDRect r;
    r.left = -kClipMargin;
    r.top = -kClipMargin;
    r.right = m_width + kClipMargin;
    r.bottom = m_height + kClipMargin;
    return r;
}

void CGraphicsPlanDC::ResolveFont() {
    const CPrgFont *wanted = GetFont();
    if (m_font.IsOk() && wanted == m_fontFor)
        return;
    m_font = wanted != nullptr ? wanted->GetWxFont() : wxFont();
    if (!m_font.IsOk())
        m_font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    m_fontKey = m_font.GetNativeFontInfoDesc().utf8_string();
    m_fontFor = wanted;
    m_fontValid = false;
}

void CGraphicsPlanDC::ApplyFont(COLORREF colour) {
    ResolveFont();
    if (!m_fontValid || colour != m_fontColour) {
        m_gc->SetFont(m_font, ToWxColour(colour));
        m_fontColour = colour;
        m_fontValid = true;
    }
}

void CGraphicsPlanDC::DevTextMetrics(const std::string &text, double &width, double &height,
                                     double &descent) {
    width = height = descent = 0;
    if (m_gc == nullptr)
        return;
    if (m_textCache != nullptr) {
        ResolveFont();
        const CPlanTextCache::SMetrics &m = m_textCache->Metrics(m_gc, m_font, m_fontKey, text);
        // The cache set the context's font its own way.
        m_fontValid = false;
        width = m.width;
        height = m.height;
        descent = m.descent;
        return;
    }
    ApplyFont(m_fontValid ? m_fontColour : GetTextColor());
    double external = 0;
    m_gc->GetTextExtent(ToWx(text), &width, &height, &descent, &external);
}

void CGraphicsPlanDC::DevPolyline(const std::vector<SDPoint> &points, const SPlanPen &pen,
                                  double devWidth) {
    if (m_gc == nullptr || points.size() < 2)
        return;
    // Pens are made once per change, and short strokes in one pen share a path: stroking is
    // paid per path, while one path of very many points strokes slower than several.
    const size_t kBatchPoints = 256;
    if (!m_strokePenValid || pen.colour != m_strokePenFor.colour ||
        pen.style != m_strokePenFor.style || devWidth != m_strokePenWidth) {
        Flush();
        m_strokePen = m_gc->CreatePen(
            wxGraphicsPenInfo(ToWxColour(pen.colour), devWidth, ToPenStyle(pen.style))
                .Cap(wxCAP_BUTT));
        m_strokePenFor = pen;
        m_strokePenWidth = devWidth;
        m_strokePenValid = true;
    } else if (!Grouped() && m_pendingPoints + points.size() > kBatchPoints) {
        Flush();
    }
    // A stroke passed over still counts in its path, so that the paths of a part repainted are
    // cut where a whole drawing cuts them: strokes of one path overlap without adding up.
    if (PassedOver()) {
        m_pendingPoints += points.size();
        return;
    }
    if (!m_pendingDrawn)
        m_pending = m_gc->CreatePath();
    m_pendingDrawn = true;
    // Pixel centres: a one-pixel line at x = 10 covers the pixel column 10, as it did.
    m_pending.MoveToPoint(points[0].x + 0.5, points[0].y + 0.5);
    for (size_t i = 1; i < points.size(); ++i)
        m_pending.AddLineToPoint(points[i].x + 0.5, points[i].y + 0.5);
    m_pendingPoints += points.size();
}

void CGraphicsPlanDC::DevText(double x, double y, const std::string &text, COLORREF colour,
                              bool opaque, COLORREF background) {
    if (m_gc == nullptr)
        return;
    Flush();
    if (PassedOver())
        return;
    if (m_textCache != nullptr) {
        ResolveFont();
        m_textCache->Draw(m_gc, m_font, m_fontKey, text, x, y, colour, opaque, background);
        m_fontValid = false;
        return;
    }
    ApplyFont(colour);
    wxString s = ToWx(text);
    if (opaque) {
        wxGraphicsBrush brush = m_gc->CreateBrush(wxBrush(ToWxColour(background)));
        m_gc->DrawText(s, x, y, brush);
    } else {
        m_gc->DrawText(s, x, y);
    }
}

void CGraphicsPlanDC::BeginFill(COLORREF colour) {
    Flush();
    m_gc->SetPen(*wxTRANSPARENT_PEN);
    m_gc->SetBrush(wxBrush(ToWxColour(colour)));
}

void CGraphicsPlanDC::DevFillRect(const SDRect &rect, COLORREF colour) {
    if (m_gc == nullptr)
        return;
    if (PassedOver()) {
        Flush();
        return;
    }
    BeginFill(colour);
    m_gc->DrawRectangle(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CGraphicsPlanDC::DevFillEllipse(const SDRect &box, COLORREF colour) {
    if (m_gc == nullptr)
        return;
    if (PassedOver()) {
        Flush();
        return;
    }
    BeginFill(colour);
    m_gc->DrawEllipse(box.left, box.top, box.right - box.left, box.bottom - box.top);
}

void CGraphicsPlanDC::DevFillPolygon(const std::vector<SDPoint> &points, COLORREF colour) {
    if (m_gc == nullptr || points.size() < 3)
        return;
    if (PassedOver()) {
        Flush();
        return;
    }
    wxGraphicsPath path = m_gc->CreatePath();
    path.MoveToPoint(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        path.AddLineToPoint(points[i].x, points[i].y);
    path.CloseSubpath();
    BeginFill(colour);
    m_gc->FillPath(path);
}
