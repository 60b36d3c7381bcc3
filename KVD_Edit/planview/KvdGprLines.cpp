#include "KVD_Edit/planview/KvdGprLines.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// An extent is degenerate (a line running exactly along the other axis) when its size is
// negligible against the magnitude of its coordinates; a size of 0 always is.
bool Degenerate(double a, double b) {
    return std::fabs(a - b) <= 1e-5 * std::max(std::fabs(a), std::fabs(b));
}

POINT ToLogical(double x, double y, ORQ::EUnitType unit, const ORQ::SMeasure &scale) {
    return ORQ::ConvertMeasureUnits(ORQ::S2DMeasure(x, y, unit), scale);
}

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kNavy = RGB(0, 0, 128);
const COLORREF kCommentColour = RGB(170, 170, 170);

} // namespace

void CKvdGprLines::SLinesData::Clear() {
    fids.clear();
    positions.clear();
    addresses.clear();
    polylines.rects.clear();
    polylines.ranges.clear();
    polylines.points.clear();
}

CKvdGprLines::CKvdGprLines() {
    m_pen.style = PS_SOLID;
    m_pen.width = 1;
    m_pen.colour = RGB(0, 0, 255);
}

CKvdGprLines::~CKvdGprLines() = default;

int CKvdGprLines::SetPen(const SPlanPen &pen) {
    m_pen = pen;
    return 1;
}

void CKvdGprLines::SetLineStyle(COLORREF colour, const int *style, const int *width) {
    int s = PS_SOLID;
    int w = 1;
    if (style != nullptr)
        s = *style;
    if (width != nullptr)
        w = *width;
    m_lineStyle = s;
    m_lineWidth = w;
    SPlanPen pen;
    pen.style = s;
    pen.width = w;
    pen.colour = colour;
    SetPen(pen);
}

void CKvdGprLines::SetFidDisplay(bool marks, bool comments, const CPrgFont *font) {
    m_showMarks = marks;
    m_showComments = comments;
    m_commentFont = font;
}

void CKvdGprLines::GetLinesData(SLinesData &data, const CLinesSource &source, ORQ::SMeasure scale,
                                int markSize, int lineKind) const {
    int half = static_cast<int>(std::floor(markSize / 2.0 + 0.5));
    data.Clear();
    data.scale = scale;
    int first = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        const SLineSource &line = source[i];
        RECT rect = PlanRect::Make(0, 0, 0, 0);
        bool firstPoint = true;
        for (size_t j = 0; j < line.files.size(); ++j) {
            const SLineFileSource &file = line.files[j];
            if (!file.found || !file.isGPR)
                continue;
            if ((lineKind == 0 && line.lineType != 2) || (lineKind == 1 && line.lineType != 3))
                continue;
            SKvdDataBlockElementAddress address;
            address.set = line.set;
            address.line = line.line;
            address.file = static_cast<int>(j);
            for (const SLinePosition &pos : file.positions) {
                POINT p = ToLogical(pos.x, pos.y, pos.units, scale);
                if (firstPoint) {
                    rect = PlanRect::Make(p.x, p.y, p.x, p.y);
                    firstPoint = false;
                } else {
                    rect.left = std::min(rect.left, p.x);
                    rect.right = std::max(rect.right, p.x);
                    rect.top = std::max(rect.top, p.y);
                    rect.bottom = std::min(rect.bottom, p.y);
                }
                data.addresses.push_back(address);
                data.positions.push_back(pos);
                data.polylines.points.push_back(p);
            }
            // A fiducial sits at its odometer distance along the line, on the line's last
            // position across it; a file without positions gives it no place.
            if (file.positions.empty())
                continue;
            const SLinePosition &last = file.positions.back();
            for (const SLineFiducial &fid : file.fiducials) {
                double x = 0;
                double y = 0;
                if (line.lineType == 2) {
                    x = fid.ododist;
                    y = ORQ::CMeasure::ConvertTo(last.y, last.units, ORQ::UNIT_M);
                } else if (line.lineType == 3) {
                    y = fid.ododist;
                    x = ORQ::CMeasure::ConvertTo(last.x, last.units, ORQ::UNIT_M);
                }
                auto mark = std::make_unique<FidPos>();
                mark->pos = ToLogical(x, y, ORQ::UNIT_M, scale);
                mark->text = fid.text;
                data.fids.push_back(std::move(mark));
            }
        }
        // A line without points keeps an empty rectangle, which no point or band can hit.
        if (!firstPoint) {
            rect.left -= half;
            rect.right += half;
            rect.top += half;
            rect.bottom -= half;
        }
        data.polylines.rects.push_back(rect);
        int last = static_cast<int>(data.polylines.points.size()) - 1;
        data.polylines.ranges.push_back(PlanRect::Pt(first, last));
        first = last + 1;
    }
}

int CKvdGprLines::DrawLines(const CLinesSource *source, CPlanDC *dc, ORQ::SMeasure scale,
                            SPolylines *deviceCopy, const ORQ::SMeasure *arrowSize, int lineKind,
                            unsigned sourceVersion) {
    if (source == nullptr || dc == nullptr)
        return 0;
    int himetric = 200;
    if (arrowSize != nullptr)
        himetric = static_cast<int>(std::floor(
            100 * ORQ::CMeasure::ConvertTo(arrowSize->value, arrowSize->unit, ORQ::UNIT_MM) + 0.5));
    int size = std::abs(dc->HIMETRICtoLP(CSize(himetric, himetric)).cx);
    const bool same = sourceVersion != 0 && m_dataKey.version == sourceVersion &&
                      m_dataKey.source == source && m_dataKey.scale.value == scale.value &&
                      m_dataKey.scale.unit == scale.unit && m_dataKey.markSize == size &&
                      m_dataKey.lineKind == lineKind;
    if (!same) {
        m_dataKey = SDataKey();
        GetLinesData(m_data, *source, scale, size, lineKind);
        if (sourceVersion != 0)
            m_dataKey = SDataKey{source, sourceVersion, scale, size, lineKind};
    }
    if (deviceCopy != nullptr)
        ToDevice(*deviceCopy, dc);
    DrawData(m_data, dc, arrowSize != nullptr ? size : 0);
    return 1;
}

void CKvdGprLines::DrawData(const SLinesData &data, CPlanDC *dc, int arrowSize) {
    if (dc == nullptr)
        return;
    const SPolylines &poly = data.polylines;
    SPlanPen previousPen = dc->SelectPen(m_pen);
    SPlanPen focusPen = m_selection != nullptr ? m_selection->GetFocusPen() : m_pen;
    bool haveExtremes = false;
    int minX = 0, maxX = 0, maxY = 0;
    m_drawnSelection.assign(poly.ranges.size(), 0);
    bool anySelected = false;

    // The lines not selected first, the selected ones over them: a selected line is never
    // hidden under another. The strokes of each run of kGroupLines lines (by index) of a pass
    // share a path.
    const size_t kGroupLines = 16;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            if (!anySelected)
                break;
            dc->SelectPen(focusPen);
        }
        const int style = pass == 1 ? focusPen.style : m_lineStyle;
        dc->BeginGroup();
        for (size_t i = 0; i < poly.ranges.size(); ++i) {
            if (i % kGroupLines == 0 && i != 0) {
                dc->EndGroup();
                dc->BeginGroup();
            }
            int first = poly.ranges[i].x;
            int last = poly.ranges[i].y;
            // Lines without points are not drawn and take no part in the extremes.
            if (last < first || first < 0 || last >= static_cast<int>(poly.points.size()))
                continue;
            const SKvdDataBlockElementAddress &a = data.addresses[static_cast<size_t>(first)];
            if (pass == 0) {
                m_drawnSelection[i] =
                    m_selection != nullptr && m_selection->IsSelected(a.set, a.line) ? 1 : 0;
                anySelected = anySelected || m_drawnSelection[i] != 0;
            }
            if (m_drawnSelection[i] != pass)
                continue;
            const POINT *pts = &poly.points[static_cast<size_t>(first)];
            int count = last - first + 1;
            if (style != PS_NULL) {
                dc->BeginOwner(PlanLineKey(a.set, a.line));
                dc->Polyline(pts, count);
                if (arrowSize != 0 && count >= 2)
                    DrawArrowHead(dc, &pts[count - 1], &pts[count - 2], arrowSize);
                dc->EndOwner();
            }
            for (const POINT &end : {pts[0], pts[count - 1]}) {
                if (!haveExtremes) {
                    minX = maxX = end.x;
                    maxY = end.y;
                    haveExtremes = true;
                }
                minX = std::min(minX, end.x);
                maxX = std::max(maxX, end.x);
                maxY = std::max(maxY, end.y);
            }
        }
        dc->EndGroup();
    }

    bool comments = m_showComments && m_commentFont != nullptr;
    if (m_showMarks || comments) {
        const CPrgFont *previousFont = dc->SelectFont(m_commentFont);
        UINT previousAlign = dc->SetTextAlign(TA_BOTTOM);
        int s = std::abs(dc->HIMETRICtoLP(CSize(200, 200)).cx);
        int d = s / 3;
        for (const auto &fid : data.fids) {
            int x = fid->pos.x;
            int y = fid->pos.y;
            if (m_showMarks) {
                dc->FillRect(PlanRect::Make(x - d - 2, y - d - 2, x + d + 2, y + d + 2), kWhite);
                dc->FillRect(PlanRect::Make(x - d, y - d, x + d, y + d), kNavy);
            }
            if (comments) {
                COLORREF previousColour = dc->SetTextColor(kCommentColour);
                CSize ext = dc->GetTextExtent(fid->text);
                int ty = maxY > y + s / 3.0 + 6 + ext.cy ? y + d + 6 : y - (d + 6) - ext.cy;
                int tx = std::max(x - ext.cx / 2, minX);
                if (maxX < tx + ext.cx / 2)
                    tx = maxX - ext.cx;
                dc->TextOut(tx, ty, fid->text);
                dc->SetTextColor(previousColour);
            }
        }
        dc->SetTextAlign(previousAlign);
        dc->SelectFont(previousFont);
    }
    dc->SelectPen(previousPen);
}

bool CKvdGprLines::ArrowHead(POINT tip, POINT before, int size, POINT corners[3]) {
    double dx = static_cast<double>(tip.x) - before.x;
    double dy = static_cast<double>(tip.y) - before.y;
    if (dx == 0 && dy == 0)
        return false;
    double k = size / std::sqrt(dx * dx + dy * dy);
    int ix = static_cast<int>(std::floor(k * dx + 0.5));
    int iy = static_cast<int>(std::floor(k * dy + 0.5));
    POINT b = PlanRect::Pt(tip.x - ix, tip.y - iy);
    corners[0] = tip;
    corners[1] = PlanRect::Pt(b.x - iy / 2, b.y + ix / 2);
    corners[2] = PlanRect::Pt(b.x + iy / 2, b.y - ix / 2);
    return true;
}

void CKvdGprLines::DrawArrowHead(CPlanDC *dc, const POINT *tip, const POINT *before, int size) {
    if (dc == nullptr || tip == nullptr || before == nullptr)
        return;
    POINT c[4];
    if (!ArrowHead(*tip, *before, size, c))
        return;
    // The outline as one stroke from the tip round to the tip again.
    c[3] = c[0];
    dc->Polyline(c, 4);
    dc->MoveTo(c[0]);
}

void CKvdGprLines::ToDevice(SPolylines &deviceCopy, CPlanDC *dc) const {
    const SPolylines &poly = m_data.polylines;
    deviceCopy.rects.resize(poly.rects.size());
    deviceCopy.ranges = poly.ranges;
    deviceCopy.points = poly.points;
    for (size_t i = 0; i < poly.rects.size(); ++i)
        deviceCopy.rects[i] = PlanRect::Normalized(dc->LPtoDP(poly.rects[i]));
    for (POINT &p : deviceCopy.points)
        p = dc->LPtoDP(p);
}

POINT CKvdGprLines::HitTest(const POINT *point, const SPolylines &deviceCopy) {
    POINT best = PlanRect::Pt(-1, -1);
    if (point == nullptr)
        return best;
    for (size_t i = 0; i < deviceCopy.rects.size(); ++i) {
        const RECT &r = deviceCopy.rects[i];
        if (!PlanRect::PtIn(r, *point))
            continue;
        long long dx = std::llabs(static_cast<long long>((r.left + r.right) / 2) - point->x);
        long long dy = std::llabs(static_cast<long long>((r.top + r.bottom) / 2) - point->y);
        long long m = std::min(dx, dy);
        m *= m;
        int metric = m > INT_MAX ? INT_MAX : static_cast<int>(m);
        if (best.y < 0 || metric < best.y)
            best = PlanRect::Pt(static_cast<int>(i), metric);
    }
    return best;
}

std::vector<int> CKvdGprLines::LinesInBand(const RECT &band, const SPolylines &deviceCopy) {
    std::vector<int> lines;
    RECT b = PlanRect::Normalized(band);
    for (size_t i = 0; i < deviceCopy.rects.size(); ++i)
        if (PlanRect::Intersects(deviceCopy.rects[i], b))
            lines.push_back(static_cast<int>(i));
    return lines;
}

CKvdGprLines::SKvdDataBlockElementAddress
CKvdGprLines::GetPointAddress(int line, int offset, const SLinesData *data) const {
    const SLinesData &d = data != nullptr ? *data : m_data;
    if (line < 0 || line >= static_cast<int>(d.polylines.ranges.size()))
        return SKvdDataBlockElementAddress();
    return GetPointAddressAt(d.polylines.ranges[static_cast<size_t>(line)].x + offset, &d);
}

CKvdGprLines::SKvdDataBlockElementAddress
CKvdGprLines::GetPointAddressAt(int index, const SLinesData *data) const {
    const SLinesData &d = data != nullptr ? *data : m_data;
    if (index < 0 || index >= static_cast<int>(d.addresses.size()))
        return SKvdDataBlockElementAddress();
    return d.addresses[static_cast<size_t>(index)];
}

bool CKvdGprLines::GetLineBounds(ORQ::SRectMeasure &rect, const SLineSource &line) {
    bool started = false;
    for (const SLineFileSource &file : line.files) {
        if (!file.found)
            return false;
        if (!file.isGPR)
            continue;
        if (file.positions.empty() || file.traces < 0)
            return false;
        const std::vector<SLinePosition> &pos = file.positions;
        for (size_t k = 0; k < pos.size(); ++k) {
            const SLinePosition &p = pos[k];
            if (!started) {
                rect = ORQ::SRectMeasure(p.x, p.y, p.x, p.y, p.units);
                started = true;
                continue;
            }
            if (p.units != rect.unit)
                return false;
            double ex = p.x;
            double ey = p.y;
            // Each later position stands for its trace: the point one trace beyond it in the
            // direction of travel. Without a predecessor in its file, or without a usable
            // spacing, the position itself counts.
            if (k > 0 && file.traces > 0) {
                const SLinePosition &q = pos[k - 1];
                double span = p.normalized_file_pos - q.normalized_file_pos;
                if (span != 0 && std::isfinite(span)) {
                    double f = (1.0 / static_cast<double>(file.traces)) / span;
                    ex = p.x + (p.x - q.x) * f;
                    ey = p.y + (p.y - q.y) * f;
                }
            }
            rect.left = std::min(rect.left, ex);
            rect.right = std::max(rect.right, ex);
            rect.top = std::max(rect.top, ey);
            rect.bottom = std::min(rect.bottom, ey);
        }
    }
    return started;
}

bool CKvdGprLines::GetDataBounds(ORQ::SRectMeasure &rect, const CLinesSource &source, int limit) {
    if (limit < LIMIT_ALL || limit >= LIMIT_REFUSED || source.empty())
        return false;
    ORQ::SRectMeasure result;
    bool haveX = false;
    bool haveY = false;
    bool haveUnit = false;
    if (limit == LIMIT_COMMON) {
        if (!GetDataBounds(result, source, LIMIT_ALL))
            return false;
        haveX = haveY = haveUnit = true;
    }
    // Lines without bounds (no positions, unreadable entries) are left out; the extent fails
    // only when no line gives one.
    for (const SLineSource &line : source) {
        ORQ::SRectMeasure l;
        if (!GetLineBounds(l, line))
            continue;
        if (!haveUnit) {
            result.unit = l.unit;
            haveUnit = true;
        } else if (l.unit != result.unit) {
            result = ORQ::ConvertMeasureUnits(result, l.unit);
        }
        bool flatY = Degenerate(l.bottom, l.top);
        bool flatX = Degenerate(l.left, l.right);
        auto widenX = [&]() {
            result.left = haveX ? std::min(result.left, l.left) : l.left;
            result.right = haveX ? std::max(result.right, l.right) : l.right;
            haveX = true;
        };
        auto widenY = [&]() {
            result.top = haveY ? std::max(result.top, l.top) : l.top;
            result.bottom = haveY ? std::min(result.bottom, l.bottom) : l.bottom;
            haveY = true;
        };
        switch (limit) {
        case LIMIT_ALL:
            widenX();
            widenY();
            break;
        case LIMIT_CROSS:
            if (flatY)
                widenY();
            if (flatX)
                widenX();
            break;
        default:
            if (flatY) {
                result.left = std::max(result.left, l.left);
                result.right = std::min(result.right, l.right);
            }
            if (flatX) {
                result.bottom = std::max(result.bottom, l.bottom);
                result.top = std::min(result.top, l.top);
            }
            break;
        }
    }
    if (!haveX || !haveY || !(result.top >= result.bottom) || !(result.right >= result.left))
        return false;
    rect = result;
    return true;
}

bool CKvdGprLines::GetAvgLineSeparation(ORQ::SMeasure &result, const CLinesSource &source) {
    double sum = 0;
    int count = 0;
    ORQ::EUnitType unit = ORQ::UNIT_M;
    for (int type : {2, 3}) {
        bool firstOfType = true;
        double previous = 0;
        for (const SLineSource &line : source) {
            if (line.lineType != type)
                continue;
            if (line.files.empty() || !line.files[0].found)
                return false;
            const SLineFileSource &file = line.files[0];
            if (!file.isGPR)
                continue;
            if (file.positions.empty())
                return false;
            const SLinePosition &p = file.positions[0];
            if (firstOfType) {
                unit = p.units;
                previous = type == 2 ? p.y : p.x;
                firstOfType = false;
                continue;
            }
            double v = ORQ::CMeasure::ConvertTo(type == 2 ? p.y : p.x, p.units, unit);
            if (!Degenerate(v, previous)) {
                sum += v - previous;
                ++count;
            }
            previous = v;
        }
    }
    result = ORQ::SMeasure(count > 0 ? sum / count : 0, unit);
    return true;
}

double CKvdGprLines::GetTraceSpacing(const CLinesSource &source, int file, int line,
                                     ORQ::EUnitType unit) {
    if (line < 0 || line >= static_cast<int>(source.size()))
        return 0;
    const SLineSource &l = source[static_cast<size_t>(line)];
    if (file < 0 || file >= static_cast<int>(l.files.size()))
        return 0;
    const SLineFileSource &f = l.files[static_cast<size_t>(file)];
    if (!f.found || f.positions.size() < 2 || f.traces <= 0)
        return 0;
    const SLinePosition &p1 = f.positions[0];
    const SLinePosition &p2 = f.positions[1];
    double span = p2.normalized_file_pos - p1.normalized_file_pos;
    if (span == 0)
        return 0;
    double along = p2.x != p1.x ? p2.x - p1.x : p2.y - p1.y;
    double s = (1.0 / static_cast<double>(f.traces)) / span * along;
    return std::fabs(ORQ::CMeasure::ConvertTo(s, p1.units, unit));
}

bool CKvdGprLines::GetPosAtDistance(double *x, double *y, double *z, unsigned line,
                                    const double *distance) {
    const SPolylines &poly = m_data.polylines;
    if (distance == nullptr || line >= poly.ranges.size())
        return false;
    int first = poly.ranges[line].x;
    int last = poly.ranges[line].y;
    if (last - first + 1 < 2 || first < 0 || last >= static_cast<int>(m_data.positions.size()))
        return false;
    int k = first;
    while (k < last && !(m_data.positions[static_cast<size_t>(k)].normalized_file_pos > *distance))
        ++k;
    // Below the first point the first two points extrapolate.
    if (k == first)
        k = first + 1;
    const SLinePosition &a = m_data.positions[static_cast<size_t>(k - 1)];
    const SLinePosition &b = m_data.positions[static_cast<size_t>(k)];
    double d = *distance;
    if (x != nullptr)
        *x = PlanInterpolate(d, a.normalized_file_pos, b.normalized_file_pos, a.x, b.x);
    if (y != nullptr)
        *y = PlanInterpolate(d, a.normalized_file_pos, b.normalized_file_pos, a.y, b.y);
    if (z != nullptr)
        *z = PlanInterpolate(d, a.normalized_file_pos, b.normalized_file_pos, a.z, b.z);
    return true;
}

int CKvdGprLines::GetLineCount() {
    return static_cast<int>(m_data.polylines.ranges.size());
}
