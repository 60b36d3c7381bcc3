#include "KVD_Edit/planview/PlanDC.h"

#include "KVD_Edit/planview/Clip.h"

#include <algorithm>
#include <cmath>

CPlanDC::CPlanDC(int pixelsPerInchX, int pixelsPerInchY)
    : m_mapping(pixelsPerInchX, pixelsPerInchY) {}

CPlanDC::~CPlanDC() = default;

UINT CPlanDC::SetTextAlign(UINT align) {
    UINT previous = m_textAlign;
    m_textAlign = align;
    return previous;
}

COLORREF CPlanDC::SetTextColor(COLORREF colour) {
    COLORREF previous = m_textColour;
    m_textColour = colour;
    return previous;
}

COLORREF CPlanDC::SetBkColor(COLORREF colour) {
    COLORREF previous = m_bkColour;
    m_bkColour = colour;
    return previous;
}

int CPlanDC::SetBkMode(int mode) {
    int previous = m_bkMode;
    m_bkMode = mode;
    return previous;
}

const CPrgFont *CPlanDC::SelectFont(const CPrgFont *font) {
    const CPrgFont *previous = m_font;
    m_font = font;
    return previous;
}

SPlanPen CPlanDC::SelectPen(const SPlanPen &pen) {
    SPlanPen previous = m_pen;
    m_pen = pen;
    return previous;
}

void CPlanDC::BeginOwner(uint64_t key) {
    m_owned = m_extents != nullptr;
    m_owner = key;
    m_ownerDrew = false;
}

void CPlanDC::EndOwner() {
    if (m_owned && m_ownerDrew) {
        auto inserted = m_extents->emplace(m_owner, m_ownerBox);
        if (!inserted.second) {
            SDRect &box = inserted.first->second;
            box.left = std::min(box.left, m_ownerBox.left);
            box.top = std::min(box.top, m_ownerBox.top);
            box.right = std::max(box.right, m_ownerBox.right);
            box.bottom = std::max(box.bottom, m_ownerBox.bottom);
        }
    }
    m_owned = false;
}

bool CPlanDC::OwnerPassedOver(uint64_t key) const {
    if (m_areas.empty() || m_extents == nullptr)
        return false;
    const auto it = m_extents->find(key);
    if (it == m_extents->end())
        return false;
    const SDRect &box = it->second;
    for (const SDRect &a : m_areas)
        if (box.left <= a.right && box.right >= a.left && box.top <= a.bottom &&
            box.bottom >= a.top)
            return false;
    return true;
}

void CPlanDC::EndGroup() {
    m_grouped = false;
    DevEndGroup();
}

void CPlanDC::Note(double left, double top, double right, double bottom) {
    if (m_owned) {
        if (!m_ownerDrew) {
            m_ownerBox = SDRect{left, top, right, bottom};
            m_ownerDrew = true;
        } else {
            m_ownerBox.left = std::min(m_ownerBox.left, left);
            m_ownerBox.top = std::min(m_ownerBox.top, top);
            m_ownerBox.right = std::max(m_ownerBox.right, right);
            m_ownerBox.bottom = std::max(m_ownerBox.bottom, bottom);
        }
    }
    m_passOver = !m_areas.empty();
    for (const SDRect &a : m_areas)
        if (left <= a.right && right >= a.left && top <= a.bottom && bottom >= a.top) {
            m_passOver = false;
            break;
        }
}

void CPlanDC::NotePoints(const std::vector<SDPoint> &points, double margin) {
    if (points.empty())
        return;
    double left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const SDPoint &p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    Note(left - margin, top - margin, right + margin, bottom + margin);
}

// Room around a stroke's points for its pen, joins and smoothed edges (device pixels).
static double StrokeMargin(double width) {
    return 5 * width + 2;
}

CSize CPlanDC::GetTextExtent(const std::string &text) {
    double w = 0, h = 0, descent = 0;
    DevTextMetrics(text, w, h, descent);
    CSize device(static_cast<int>(std::ceil(w)), static_cast<int>(std::ceil(h)));
    CSize logical = m_mapping.DPtoLP(device);
    return CSize(std::abs(logical.cx), std::abs(logical.cy));
}

POINT CPlanDC::MoveTo(POINT p) {
    POINT previous = m_current;
    m_current = p;
    return previous;
}

void CPlanDC::LineTo(POINT p) {
    POINT pts[2] = {m_current, p};
    StrokeLogical(pts, 2);
    m_current = p;
}

void CPlanDC::Polyline(const POINT *points, int count) {
    StrokeLogical(points, count);
}

double CPlanDC::DevicePenWidth() const {
    // Width 0 and 1 are one pixel whatever the mapping, wider pens scale with it.
    if (m_pen.width <= 1)
        return 1.0;
    double w = m_pen.width * std::fabs(m_mapping.ScaleX());
    return w < 1.0 ? 1.0 : w;
}

// Converts the points to device units and draws them as runs of clipped segments: a segment
// that had to be cut at its start begins a new run.
void CPlanDC::StrokeLogical(const POINT *points, int count) {
    if (m_pen.style == PS_NULL || points == nullptr || count < 2)
        return;
    SDRect box = DeviceBounds();
    double width = DevicePenWidth();
    // One buffer for every stroke: drawing thousands of lines allocates nothing per line.
    std::vector<SDPoint> &run = m_run;
    run.clear();
    SDPoint previous = m_mapping.LPtoDPd(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i) {
        SDPoint next = m_mapping.LPtoDPd(points[i].x, points[i].y);
        SDPoint a = previous;
        SDPoint b = next;
        if (ClipSegment(a, b, box)) {
            bool continues = !run.empty() && run.back().x == a.x && run.back().y == a.y;
            if (!continues) {
                if (run.size() >= 2) {
                    NotePoints(run, StrokeMargin(width));
                    DevPolyline(run, m_pen, width);
                }
                run.clear();
                run.push_back(a);
            }
            run.push_back(b);
        }
        previous = next;
    }
    if (run.size() >= 2) {
        NotePoints(run, StrokeMargin(width));
        DevPolyline(run, m_pen, width);
    }
}

void CPlanDC::TextOut(int x, int y, const std::string &text) {
    if (text.empty())
        return;
    double w = 0, h = 0, descent = 0;
    DevTextMetrics(text, w, h, descent);
    SDPoint p = m_mapping.LPtoDPd(x, y);
    double left = p.x;
    switch (m_textAlign & 6) {
    case TA_RIGHT:
        left -= w;
        break;
    case TA_CENTER:
        left -= w / 2;
        break;
    default:
        break;
    }
    double top = p.y;
    switch (m_textAlign & 24) {
    case TA_BOTTOM:
        top -= h;
        break;
    case TA_BASELINE:
        top -= h - descent;
        break;
    default:
        break;
    }
    SDRect box = DeviceBounds();
    if (left > box.right || top > box.bottom || left + w < box.left || top + h < box.top)
        return;
    // The picture of a text lands on the nearest whole pixel.
    Note(left - 1, top - 1, left + w + 1, top + h + 1);
    DevText(left, top, text, m_textColour, m_bkMode == OPAQUE, m_bkColour);
}

void CPlanDC::FillRect(const RECT &rect, COLORREF colour) {
    RECT d = PlanRect::Normalized(m_mapping.LPtoDP(rect));
    if (PlanRect::IsEmpty(d))
        return;
    SDRect box = DeviceBounds();
    SDRect r;
    r.left = std::max<double>(d.left, box.left);
    r.top = std::max<double>(d.top, box.top);
    r.right = std::min<double>(d.right, box.right);
    r.bottom = std::min<double>(d.bottom, box.bottom);
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    Note(r.left, r.top, r.right, r.bottom);
    DevFillRect(r, colour);
}

void CPlanDC::Rectangle(const RECT &rect) {
    FillRect(rect, RGB(255, 255, 255));
    // The outline runs along the inside of the right and bottom edges, as the platform drew it.
    RECT d = PlanRect::Normalized(m_mapping.LPtoDP(rect));
    if (PlanRect::IsEmpty(d))
        return;
    POINT corners[5] = {PlanRect::Pt(d.left, d.top), PlanRect::Pt(d.right - 1, d.top),
                        PlanRect::Pt(d.right - 1, d.bottom - 1), PlanRect::Pt(d.left, d.bottom - 1),
                        PlanRect::Pt(d.left, d.top)};
    for (POINT &c : corners)
        c = m_mapping.DPtoLP(c);
    StrokeLogical(corners, 5);
}

int CPlanDC::DrawText(const std::string &text, const RECT &rect) {
    double w = 0, h = 0, descent = 0;
    DevTextMetrics(text, w, h, descent);
    RECT d = PlanRect::Normalized(m_mapping.LPtoDP(rect));
    if (!text.empty() && !PlanRect::IsEmpty(d)) {
        Note(d.left - 1, d.top - 1, d.left + w + 1, d.top + h + 1);
        DevText(d.left, d.top, text, m_textColour, m_bkMode == OPAQUE, m_bkColour);
    }
    CSize logical = m_mapping.DPtoLP(CSize(0, static_cast<int>(std::ceil(h))));
    return std::abs(logical.cy);
}

void CPlanDC::DeviceLine(POINT from, POINT to, const SPlanPen &pen) {
    if (pen.style == PS_NULL)
        return;
    SDPoint a{static_cast<double>(from.x), static_cast<double>(from.y)};
    SDPoint b{static_cast<double>(to.x), static_cast<double>(to.y)};
    if (!ClipSegment(a, b, DeviceBounds()))
        return;
    std::vector<SDPoint> &run = m_run;
    run.clear();
    run.push_back(a);
    run.push_back(b);
    const double width = pen.width <= 1 ? 1.0 : static_cast<double>(pen.width);
    NotePoints(run, StrokeMargin(width));
    DevPolyline(run, pen, width);
}

namespace {

// The box in doubles, or false when it has no area or lies wholly outside bounds.
bool DeviceBox(int left, int top, int width, int height, const SDRect &bounds, SDRect &box) {
    if (width <= 0 || height <= 0)
        return false;
    box.left = left;
    box.top = top;
    box.right = static_cast<double>(left) + width;
    box.bottom = static_cast<double>(top) + height;
    return box.right > bounds.left && box.left < bounds.right && box.bottom > bounds.top &&
           box.top < bounds.bottom;
}

} // namespace

void CPlanDC::FillDeviceRect(int left, int top, int width, int height, COLORREF colour) {
    const SDRect bounds = DeviceBounds();
    SDRect box;
    if (!DeviceBox(left, top, width, height, bounds, box))
        return;
    box.left = std::max(box.left, bounds.left);
    box.top = std::max(box.top, bounds.top);
    box.right = std::min(box.right, bounds.right);
    box.bottom = std::min(box.bottom, bounds.bottom);
    Note(box.left, box.top, box.right, box.bottom);
    DevFillRect(box, colour);
}

void CPlanDC::FillDeviceEllipse(int left, int top, int width, int height, COLORREF colour) {
    SDRect box;
    if (DeviceBox(left, top, width, height, DeviceBounds(), box)) {
        Note(box.left - 1, box.top - 1, box.right + 1, box.bottom + 1);
        DevFillEllipse(box, colour);
    }
}

void CPlanDC::FillDevicePolygon(const POINT *points, int count, COLORREF colour) {
    if (points == nullptr || count < 3)
        return;
    const SDRect bounds = DeviceBounds();
    SDRect extent{1e300, 1e300, -1e300, -1e300};
    std::vector<SDPoint> &polygon = m_polygon;
    polygon.clear();
    for (int i = 0; i < count; ++i) {
        SDPoint p{static_cast<double>(points[i].x), static_cast<double>(points[i].y)};
        extent.left = std::min(extent.left, p.x);
        extent.top = std::min(extent.top, p.y);
        extent.right = std::max(extent.right, p.x);
        extent.bottom = std::max(extent.bottom, p.y);
        polygon.push_back(p);
    }
    // Markers are small: one that does not touch the drawable area is left out whole.
    if (extent.right < bounds.left || extent.left > bounds.right || extent.bottom < bounds.top ||
        extent.top > bounds.bottom)
        return;
    Note(extent.left - 1, extent.top - 1, extent.right + 1, extent.bottom + 1);
    DevFillPolygon(polygon, colour);
}
