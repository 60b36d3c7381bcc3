#include "KVD_Edit/planview/Mapping.h"

#include "orq_utils/Measure.h"

#include <climits>
#include <cmath>

int PlanMulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    double v = static_cast<double>(a) * b / c;
    double r = v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
    if (r > INT_MAX || r < INT_MIN)
        return -1;
    return static_cast<int>(r);
}

CMapping::CMapping(int pixelsPerInchX, int pixelsPerInchY)
    : m_ppiX(pixelsPerInchX > 0 ? pixelsPerInchX : 96),
      m_ppiY(pixelsPerInchY > 0 ? pixelsPerInchY : 96) {}

void CMapping::SetPixelsPerInch(int x, int y) {
    if (x > 0)
        m_ppiX = x;
    if (y > 0)
        m_ppiY = y;
}

int CMapping::SetMapMode(int mode) {
    int previous = m_mode;
    m_mode = mode;
    if (mode == MM_TEXT) {
        m_winExt = CSize(1, 1);
        m_vpExt = CSize(1, 1);
    }
    return previous;
}

CSize CMapping::SetWindowExt(int cx, int cy) {
    CSize previous = m_winExt;
    // Only the isotropic mode takes extents; a zero extent is refused as the platform did.
    if (m_mode != MM_ISOTROPIC || cx == 0 || cy == 0)
        return previous;
    m_winExt = CSize(cx, cy);
    FixIsotropic();
    return previous;
}

CSize CMapping::SetViewportExt(int cx, int cy) {
    CSize previous = m_vpExt;
    if (m_mode != MM_ISOTROPIC || cx == 0 || cy == 0)
        return previous;
    m_vpExt = CSize(cx, cy);
    FixIsotropic();
    return previous;
}

POINT CMapping::SetWindowOrg(int x, int y) {
    POINT previous = m_winOrg;
    m_winOrg = PlanRect::Pt(x, y);
    return previous;
}

POINT CMapping::SetViewportOrg(int x, int y) {
    POINT previous = m_vpOrg;
    m_vpOrg = PlanRect::Pt(x, y);
    return previous;
}

// Shrinks the viewport extent of the axis with the larger scale so that both axes share the
// smaller one (square pixels assumed).
void CMapping::FixIsotropic() {
    double xdim = std::fabs(static_cast<double>(m_vpExt.cx) / m_winExt.cx);
    double ydim = std::fabs(static_cast<double>(m_vpExt.cy) / m_winExt.cy);
    if (xdim > ydim) {
        int minimum = m_vpExt.cx >= 0 ? 1 : -1;
        m_vpExt.cx = ORQ::RoundToDevice(m_vpExt.cx * ydim / xdim);
        if (m_vpExt.cx == 0)
            m_vpExt.cx = minimum;
    } else if (ydim > xdim) {
        int minimum = m_vpExt.cy >= 0 ? 1 : -1;
        m_vpExt.cy = ORQ::RoundToDevice(m_vpExt.cy * xdim / ydim);
        if (m_vpExt.cy == 0)
            m_vpExt.cy = minimum;
    }
}

double CMapping::ScaleX() const {
    return static_cast<double>(m_vpExt.cx) / m_winExt.cx;
}
double CMapping::ScaleY() const {
    return static_cast<double>(m_vpExt.cy) / m_winExt.cy;
}

SDPoint CMapping::LPtoDPd(double x, double y) const {
    SDPoint d;
    d.x = (x - m_winOrg.x) * ScaleX() + m_vpOrg.x;
    d.y = (y - m_winOrg.y) * ScaleY() + m_vpOrg.y;
    return d;
}

POINT CMapping::LPtoDP(POINT p) const {
    SDPoint d = LPtoDPd(p.x, p.y);
    return PlanRect::Pt(ORQ::RoundToDevice(d.x), ORQ::RoundToDevice(d.y));
}

POINT CMapping::DPtoLP(POINT p) const {
    double x = (static_cast<double>(p.x) - m_vpOrg.x) / ScaleX() + m_winOrg.x;
    double y = (static_cast<double>(p.y) - m_vpOrg.y) / ScaleY() + m_winOrg.y;
    return PlanRect::Pt(ORQ::RoundToDevice(x), ORQ::RoundToDevice(y));
}

RECT CMapping::LPtoDP(const RECT &r) const {
    POINT a = LPtoDP(PlanRect::Pt(r.left, r.top));
    POINT b = LPtoDP(PlanRect::Pt(r.right, r.bottom));
    return PlanRect::Make(a.x, a.y, b.x, b.y);
}

RECT CMapping::DPtoLP(const RECT &r) const {
    POINT a = DPtoLP(PlanRect::Pt(r.left, r.top));
    POINT b = DPtoLP(PlanRect::Pt(r.right, r.bottom));
    return PlanRect::Make(a.x, a.y, b.x, b.y);
}

void CMapping::LPtoDP(POINT *points, int count) const {
    for (int i = 0; i < count; ++i)
        points[i] = LPtoDP(points[i]);
}

CSize CMapping::LPtoDP(CSize s) const {
    return CSize(PlanMulDiv(s.cx, std::abs(m_vpExt.cx), std::abs(m_winExt.cx)),
                 PlanMulDiv(s.cy, std::abs(m_vpExt.cy), std::abs(m_winExt.cy)));
}

CSize CMapping::DPtoLP(CSize s) const {
    return CSize(PlanMulDiv(s.cx, std::abs(m_winExt.cx), std::abs(m_vpExt.cx)),
                 PlanMulDiv(s.cy, std::abs(m_winExt.cy), std::abs(m_vpExt.cy)));
}

CSize CMapping::HIMETRICtoDP(CSize s) const {
    return CSize(PlanMulDiv(s.cx, m_ppiX, 2540), PlanMulDiv(s.cy, m_ppiY, 2540));
}

CSize CMapping::HIMETRICtoLP(CSize s) const {
    // Against the logical inch of the device, then into logical units.
    return DPtoLP(HIMETRICtoDP(s));
}
