#include "KVD_Edit/planview/Cursor.h"

#include "KVD_Edit/transform/Math2D.h"

#include <cstdio>

void CCursor::SetGPSFormat(const std::string &format, int ellipsoid) {
    m_gpsFormat = format;
    m_ellipsoid = ellipsoid;
}

void CCursor::SetPlotArea(const RECT &plot, const ORQ::SRectMeasure &world) {
    m_plot = plot;
    m_world = world;
}

bool CCursor::MoveTo(POINT point, int clientWidth) {
    if (!IsInPlot(point))
        return false;
    m_vertical = PlanRect::Make(point.x, 0, point.x, m_plot.bottom);
    m_horizontal = PlanRect::Make(0, point.y, clientWidth, point.y);
    return true;
}

void CCursor::UpdatePosition(POINT point, bool show) {
    if (IsInPlot(point)) {
        m_lastPoint = point;
        const double px = point.x, py = point.y;
        const double left = m_plot.left, right = m_plot.right;
        const double top = m_plot.top, bottom = m_plot.bottom;
        const double x = LinearInterpolate(&px, &left, &right, &m_world.left, &m_world.right);
        const double y = LinearInterpolate(&py, &top, &bottom, &m_world.top, &m_world.bottom);
        char text[160];
        std::snprintf(text, sizeof text, "X=%.3f Y=%.3f %s", x, y,
                      ORQ::CMeasure::UnitToString(m_world.unit).c_str());
        m_positionText = text;
        if (m_host != nullptr)
            m_worldText = m_host->GetCursorStatusText(point);
    }
    if (show && m_host != nullptr) {
        m_host->SetStatusText(0, std::string());
        m_host->SetStatusText(1, m_positionText);
        m_host->SetStatusText(2, m_worldText);
    }
}

void CCursor::OnMouseLeave() {
    UpdatePosition(PlanRect::Pt(0, 0), true);
    m_vertical = RECT{};
    m_horizontal = RECT{};
}

RECT CCursor::BoundsOf(const RECT &line) {
    const RECT r = PlanRect::Normalized(line);
    if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0)
        return RECT{};
    return PlanRect::Make(r.left, r.top, r.right + 1, r.bottom + 1);
}

RECT CCursor::GetCoveredRect(bool vertical) const {
    return BoundsOf(vertical ? m_vertical : m_horizontal);
}
