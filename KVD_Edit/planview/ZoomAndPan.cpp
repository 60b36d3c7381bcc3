#include "KVD_Edit/planview/ZoomAndPan.h"

#include <cmath>

CZoomAndPan::CZoomAndPan() : m_extent(0, 0, 0, 0, ORQ::UNIT_M) {}

void CZoomAndPan::SetExtent(const ORQ::SRectMeasure &extent, const RECT &devicePlot) {
    m_extent = extent;
    m_devicePlot = devicePlot;
}

void CZoomAndPan::Reset() {
    m_mode = MODE_NONE;
}

int CZoomAndPan::ToggleZoomArea() {
    m_mode = m_mode == MODE_ZOOM_AREA ? MODE_NONE : MODE_ZOOM_AREA;
    UpdateCursor();
    m_focus = PlanRect::Make(0, 0, 0, 0);
    m_focusShown = false;
    return 1;
}

void CZoomAndPan::TogglePan() {
    m_mode = m_mode == MODE_PAN ? MODE_NONE : MODE_PAN;
    UpdateCursor();
}

void CZoomAndPan::ScaleAboutCentre(ORQ::SRectMeasure &r, double f) {
    double cx = (r.left + r.right) / 2;
    r.left = cx + f * (r.left - cx);
    r.right = cx + f * (r.right - cx);
    double cy = (r.top + r.bottom) / 2;
    r.top = cy + f * (r.top - cy);
    r.bottom = cy + f * (r.bottom - cy);
}

ORQ::SRectMeasure CZoomAndPan::ZoomIn(const ORQ::SRectMeasure &current) {
    m_extent = current;
    ScaleAboutCentre(m_extent, 0.8);
    m_mode = MODE_NONE;
    return m_extent;
}

ORQ::SRectMeasure CZoomAndPan::ZoomOut(const ORQ::SRectMeasure &current) {
    m_extent = current;
    ScaleAboutCentre(m_extent, 1.25);
    m_mode = MODE_NONE;
    return m_extent;
}

void CZoomAndPan::UpdateCursor() {
    switch (m_mode) {
    case MODE_ZOOM_AREA:
        m_cursor = CURSOR_ZOOM;
        break;
    case MODE_PAN:
        m_cursor = CURSOR_PAN;
        break;
    case MODE_PANNING:
        m_cursor = CURSOR_PANNING;
        break;
    default:
        m_cursor = CURSOR_ARROW;
        break;
    }
}

void CZoomAndPan::DrawFocus(bool draw, const POINT *corner) {
    if (m_mode != MODE_ZOOM_AREA || !m_anchor)
        return;
    if (corner != nullptr)
        m_focus = PlanRect::Make(m_anchor->x, m_anchor->y, corner->x, corner->y);
    m_focus = PlanRect::Normalized(m_focus);
    if (draw)
        m_focusShown = !m_focusShown;
}

void CZoomAndPan::OnLButtonDown(POINT point) {
    if (m_mode == MODE_ZOOM_AREA) {
        if (m_anchor) {
            if (m_focusShown)
                DrawFocus(true, nullptr);
        } else {
            m_anchor = std::make_unique<POINT>();
        }
        *m_anchor = point;
        m_focus = PlanRect::Make(point.x, point.y, point.x, point.y);
        DrawFocus(true, &point);
    } else if (m_mode == MODE_PAN) {
        m_mode = MODE_PANNING;
        UpdateCursor();
        m_anchor = std::make_unique<POINT>(point);
    }
}

void CZoomAndPan::OnMouseMove(POINT point) {
    if (m_mode == MODE_ZOOM_AREA && m_anchor) {
        if (m_focusShown)
            DrawFocus(true, nullptr);
        DrawFocus(true, &point);
    }
    UpdateCursor();
}

bool CZoomAndPan::OnLButtonUp(POINT point) {
    bool changed = false;
    if (m_mode == MODE_ZOOM_AREA) {
        if (m_anchor) {
            if (m_focusShown)
                DrawFocus(true, nullptr);
            m_focus =
                PlanRect::Normalized(PlanRect::Make(m_anchor->x, m_anchor->y, point.x, point.y));
            changed = ZoomToFocus();
        }
        m_mode = MODE_NONE;
    } else if (m_mode == MODE_PANNING) {
        if (m_anchor) {
            m_focus = PlanRect::Make(m_anchor->x, m_anchor->y, point.x, point.y);
            changed = Pan();
        }
        m_mode = MODE_PAN;
    } else {
        return false;
    }
    m_anchor.reset();
    m_focusShown = false;
    UpdateCursor();
    return changed;
}

// A rectangle released at its press point, or along a line, has no area to zoom to: it is
// ignored and the extent stays.
bool CZoomAndPan::ZoomToFocus() {
    const RECT &d = m_devicePlot;
    if (m_focus.right <= m_focus.left || m_focus.bottom <= m_focus.top)
        return false;
    if (d.right == d.left || d.bottom == d.top)
        return false;
    ORQ::SRectMeasure e = m_extent;
    m_extent.left = PlanInterpolate(m_focus.left, d.left, d.right, e.left, e.right);
    m_extent.right = PlanInterpolate(m_focus.right, d.left, d.right, e.left, e.right);
    m_extent.top = PlanInterpolate(m_focus.top, d.top, d.bottom, e.top, e.bottom);
    m_extent.bottom = PlanInterpolate(m_focus.bottom, d.top, d.bottom, e.top, e.bottom);
    return true;
}

bool CZoomAndPan::Pan() {
    const RECT &d = m_devicePlot;
    if (d.right == d.left || d.bottom == d.top)
        return false;
    const ORQ::SRectMeasure e = m_extent;
    double dx = PlanInterpolate(m_focus.left, d.left, d.right, e.left, e.right) -
                PlanInterpolate(m_focus.right, d.left, d.right, e.left, e.right);
    double dy = PlanInterpolate(m_focus.top, d.top, d.bottom, e.top, e.bottom) -
                PlanInterpolate(m_focus.bottom, d.top, d.bottom, e.top, e.bottom);
    m_extent.left += dx;
    m_extent.right += dx;
    m_extent.top += dy;
    m_extent.bottom += dy;
    return true;
}
