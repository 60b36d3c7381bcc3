#include "KVD_Edit/planview/PlanRenderer.h"

#include "KVD_Edit/planview/Clip.h"
#include "KVD_Edit/transform/Math2D.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <map>
#include <utility>

namespace {

using ORQ::Transform::CTransformMatrix2D;
using ORQ::Transform::SPoint2D;
using ORQ::Transform::STransformParams;

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = 0.017453292519943295; // one degree in radians

// Line types of the project: 2 runs along X, 3 along Y.
constexpr int kLineAlongX = 2;
constexpr int kLineAlongY = 3;

double Metres(double value, ORQ::EUnitType unit) {
    return ORQ::CMeasure::ConvertTo(value, unit, ORQ::UNIT_M);
}

ORQ::SRectMeasure InMetres(const ORQ::SRectMeasure &r) {
    return ORQ::SRectMeasure(Metres(r.left, r.unit), Metres(r.top, r.unit), Metres(r.right, r.unit),
                             Metres(r.bottom, r.unit), ORQ::UNIT_M);
}

bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A logical coordinate kept as an int: far values saturate beyond the drawable range, so that
// a cached point still reads as out of range.
int SaturatedInt(double v) {
    const double limit = 1073741824.0; // 2^30
    if (!(v == v))
        return INT_MIN;
    if (v > limit)
        return static_cast<int>(limit);
    if (v < -limit)
        return -static_cast<int>(limit);
    return static_cast<int>(v); // truncated toward zero
}

// The two longitudes of a north-south line of the local grid turned by angle about its centre,
// placed in the world with p (whose rotation is ignored). False when a position does not
// convert.
bool ProjectCentreLine(SPoint2D top, SPoint2D bottom, double angle, const STransformParams &p,
                       int zone, int letter, int ellipsoid, double &lonTop, double &lonBottom) {
    const SPoint2D c{(top.x + bottom.x) / 2, (top.y + bottom.y) / 2};
    const CTransformMatrix2D turn(-c.x, -c.y, angle, 1.0, 1.0);
    const CTransformMatrix2D place(p.shiftX, p.shiftY, 0.0, 1.0, 1.0);
    double lon[2];
    int i = 0;
    for (SPoint2D q : {top, bottom}) {
        SPoint2D t = turn.InverseTransform(q);
        t.x += c.x;
        t.y += c.y;
        const SPoint2D w = place.Transform(t);
        SUTMCoord utm;
        utm.northing = w.y;
        utm.easting = w.x;
        utm.zone = zone;
        utm.letter = letter;
        SLatLong ll;
        if (!GPS_UTMtoLL(utm, ll, ellipsoid) || !std::isfinite(ll.longitude))
            return false;
        lon[i++] = ll.longitude;
    }
    if (std::fabs(lon[0] - lon[1]) > 180) {
        if (lon[0] < lon[1])
            lon[0] += 360;
        else
            lon[1] += 360;
    }
    lonTop = lon[0];
    lonBottom = lon[1];
    return true;
}

} // namespace

CPlanRenderer::CPlanRenderer(ETarget target) : m_target(target) {}

void CPlanRenderer::SetExtents(const ORQ::SRectMeasure &dataExtent,
                               const ORQ::SRectMeasure &mapExtent, const RECT *plotRect,
                               const RECT *plotRectDevice) {
    const ORQ::SRectMeasure data = InMetres(dataExtent);
    const ORQ::SRectMeasure map = InMetres(mapExtent);
    const RECT plot = plotRect != nullptr ? *plotRect : RECT{};
    const RECT device = plotRectDevice != nullptr ? *plotRectDevice : RECT{};
    if (data != m_dataExtent || map != m_mapExtent || !SameRect(plot, m_plot) ||
        !SameRect(device, m_plotDevice))
        for (bool &flag : m_recompute)
            flag = true;
    m_dataExtent = data;
    m_mapExtent = map;
    m_plot = plot;
    m_plotDevice = device;
}

bool CPlanRenderer::UpdateLineGeometry(const CLinesSource &source, const ORQ::SMeasure &scale) {
    m_geometry.clear();
    if (m_gps == nullptr)
        return false;
    // The project's lines by their address, so that each GPS line finds its own at once.
    std::map<std::pair<int, int>, const SLineSource *> byAddress;
    for (const SLineSource &line : source)
        byAddress.emplace(std::make_pair(line.set, line.line), &line);

    bool all = true;
    for (CGPSInfo::SSetRecord &set : m_gps->Sets()) {
        for (CGPSInfo::SLineRecord &record : set.lines) {
            auto found = byAddress.find(std::make_pair(set.set, record.line));
            if (found == byAddress.end()) {
                all = false;
                continue;
            }
            const SLineSource &line = *found->second;
            SLineGeometry g;
            RECT bounds{};
            int count = 0;
            bool usable = true;
            for (const SLineFileSource &file : line.files) {
                if (!file.found || !file.isGPR)
                    continue;
                // A radar file with fewer than two positions gives the line no direction.
                if (file.positions.size() < 2) {
                    usable = false;
                    break;
                }
                for (const SLinePosition &p : file.positions) {
                    const POINT q =
                        ORQ::ConvertMeasureUnits(ORQ::S2DMeasure(p.x, p.y, p.units), scale);
                    const double x = Metres(p.x, p.units);
                    const double y = Metres(p.y, p.units);
                    if (count == 0) {
                        g.startX = g.endX = x;
                        g.startY = g.endY = y;
                        bounds = PlanRect::Make(q.x, q.y, q.x, q.y);
                    } else {
                        g.endX = x;
                        g.endY = y;
                        bounds.left = std::min(bounds.left, q.x);
                        bounds.right = std::max(bounds.right, q.x);
                        bounds.top = std::min(bounds.top, q.y);
                        bounds.bottom = std::max(bounds.bottom, q.y);
                    }
                    ++count;
                }
                record.step = file.odoStep;
                g.traces = static_cast<int>(std::min<long long>(file.traces, INT_MAX));
            }
            if (!usable || count < 2) {
                all = false;
                continue;
            }
            if (line.lineType == kLineAlongX)
                record.orientation = 0;
            else if (line.lineType == kLineAlongY)
                record.orientation = 1;
            // What the GPS data read of the line: its local range, in metres.
            record.xRange.Set(g.startX, g.endX, ORQ::UNIT_M);
            record.yRange.Set(g.startY, g.endY, ORQ::UNIT_M);
            if (m_target == TARGET_WINDOW) {
                record.plotMinX = bounds.left;
                record.plotMaxX = bounds.right;
                record.plotMinY = bounds.top;
                record.plotMaxY = bounds.bottom;
            }
            m_geometry[&record] = g;
        }
    }
    return all;
}

const CPlanRenderer::SLineGeometry *
CPlanRenderer::Geometry(const CGPSInfo::SLineRecord &line) const {
    auto it = m_geometry.find(&line);
    return it == m_geometry.end() ? nullptr : &it->second;
}

SLocalWorldDef *CPlanRenderer::Definition() {
    if (m_gps == nullptr || m_gps->GetLWCData() == nullptr)
        return nullptr;
    if (m_target == TARGET_WINDOW)
        return m_gps->GetLWCData();
    // A page fits a copy: printing never changes the project's definition.
    m_pageDefinition = *m_gps->GetLWCData();
    return &m_pageDefinition;
}

void CPlanRenderer::UpdateTransform(bool force) {
    SLocalWorldDef *r = Definition();
    if (r == nullptr)
        return;
    const bool changed = m_gps->GetUpdateState();
    if (changed) {
        // New or changed GPS data: no cached point holds, and an invalid trace number found
        // in them is reported again.
        for (bool &flag : m_recompute)
            flag = true;
        if (m_target == TARGET_WINDOW)
            m_invalidTraceReported = false;
    }
    // "Automatic" (2) is on while there are GPS data and off without them; the definition
    // keeps it, so a paint before the lines' GPS files are read does not switch GPS off for
    // good.
    if (EnableState() != 1 || !(changed || force))
        return;
    for (bool &flag : m_recompute)
        flag = true;

    if (r->TwoPointDefinition) {
        FitTwoPoints();
    } else if (r->FitGrid && m_gps->GetMeanPosition().count > 0) {
        // Fitting needs raw fixes; without them the definition's own heading and shift hold.
        FitGridToGps(*r);
        r->FitGrid = false;
    } else {
        m_rotation = r->Rotation;
        m_params.shiftX = -r->ShiftX;
        m_params.shiftY = -r->ShiftY;
        m_params.rotation = m_rotation * kPi / 180;
        m_params.scaleX = m_params.scaleY = 1.0;
    }
    m_transform.SetParams(&m_params);
    m_northHeading =
        m_rotation + ComputeNorthRotation(&m_params, m_gps->GetUTMZone(true),
                                          m_gps->GetUTMZoneLetter(true), m_gps->GetEllipsoid()) *
                         180 / kPi;
    if (m_target == TARGET_WINDOW)
        m_gps->SetUpdateState(false);
}

void CPlanRenderer::FitTwoPoints() {
    // The GPS data keep the definition with both points in UTM; their local values go to
    // metres.
    const SLocalWorldDef &utm = m_gps->GetUTMDefinition();
    const auto unit = static_cast<ORQ::EUnitType>(utm.Unit);
    SPoint2D local[2], world[2];
    for (int i = 0; i < 2; ++i) {
        const SLocalWorldDef::SRefPoint &p = utm.RefPoint[i];
        local[i] = {Metres(p.LocalX, unit), Metres(p.LocalY, unit)};
        world[i] = {p.EastingOrLongitude, p.NorthingOrLatitude};
    }
    if (utm.RatioCheckBox) {
        const double l = std::hypot(local[1].x - local[0].x, local[1].y - local[0].y);
        const double w = std::hypot(world[1].x - world[0].x, world[1].y - world[0].y);
        // Equal world points give no ratio: the fit cannot be made and the last one stays.
        if (!(w > 0) || !(l > 0))
            return;
        world[1].x = world[0].x + (world[1].x - world[0].x) * l / w;
        world[1].y = world[0].y + (world[1].y - world[0].y) * l / w;
    }
    STransformParams fitted = m_params;
    if (!ORQ::Transform::ComputeTwoPointTransform(&fitted, world[0], local[0], world[1], local[1]))
        return;
    m_params = fitted;
    m_rotation = m_params.rotation * 180 / kPi;
}

void CPlanRenderer::FitGridToGps(SLocalWorldDef &r) {
    m_rotation = FitGridRotation();
    r.GlobalKind = 1;
    STransformParams p;
    p.rotation = m_rotation * kPi / 180;
    CTransformMatrix2D turn(&p);
    const ORQ::S2DMeasure o = m_gps->GetOriginMeasure().Convert(ORQ::UNIT_M, -1);
    const SPoint2D w = turn.Transform({o.x, o.y});
    r.Rotation = m_rotation;
    const CGPSInfo::SMeanPosition m = m_gps->GetMeanPosition();
    const SPoint2D shift{w.x - m.easting, w.y - m.northing};
    r.ShiftX = -shift.x;
    r.ShiftY = -shift.y;
    p.shiftX = shift.x;
    p.shiftY = shift.y;
    m_params = p;
    const CTransformMatrix2D fitted(&p);
    const auto unit = static_cast<ORQ::EUnitType>(r.Unit);
    SLocalWorldDef::SRefPoint &p1 = r.RefPoint[0];
    const SPoint2D w1 = fitted.Transform({Metres(p1.LocalX, unit), Metres(p1.LocalY, unit)});
    p1.EastingOrLongitude = w1.x;
    p1.NorthingOrLatitude = w1.y;
    SLocalWorldDef::SRefPoint &p2 = r.RefPoint[1];
    const ORQ::SRectMeasure data(m_dataExtent);
    p2.LocalX = data.Right(unit, -1);
    p2.LocalY = data.Top(unit, -1);
    const SPoint2D w2 = fitted.Transform({data.right, data.top});
    p2.EastingOrLongitude = w2.x;
    p2.NorthingOrLatitude = w2.y;
    for (SLocalWorldDef::SRefPoint *q : {&p1, &p2}) {
        q->Zone = r.Zone;
        q->ZoneLetter = r.ZoneLetter;
    }
}

SPoint2D CPlanRenderer::LocalOfTrace(const SLineGeometry &g, int trace) const {
    const double t = trace;
    const double first = 1;
    const double last = g.traces;
    // One trace (or none) has no line to run along: the trace lies at the start point.
    return {LinearInterpolate(&t, &first, &last, &g.startX, &g.endX),
            LinearInterpolate(&t, &first, &last, &g.startY, &g.endY)};
}

double CPlanRenderer::GridRotationCost(double degrees) const {
    const CGPSInfo::SMeanPosition m = m_gps->GetMeanPosition();
    const CTransformMatrix2D turn(-m.easting, -m.northing, degrees * kPi / 180, 1.0, 1.0);
    const ORQ::S2DMeasure o = m_gps->GetOriginMeasure().Convert(ORQ::UNIT_M, -1);
    double cost = 0;
    for (const CGPSInfo::SSetRecord &set : m_gps->Sets())
        for (const CGPSInfo::SLineRecord &line : set.lines) {
            const SLineGeometry *g = Geometry(line);
            if (g == nullptr)
                continue;
            const size_t used =
                std::min(line.points.size(), static_cast<size_t>(std::max(line.pointCount, 0)));
            for (size_t i = 0; i < used; ++i) {
                const CGPSInfo::SGPSPoint &p = line.points[i];
                const CGPSInfo::SPointSource &raw = p.source[CGPSInfo::SOURCE_RAW];
                if (raw.kind == CGPSInfo::KIND_EMPTY || p.excluded)
                    continue;
                const SPoint2D l = turn.InverseTransform({raw.easting, raw.northing});
                const SPoint2D t = LocalOfTrace(*g, p.trace);
                const double dx = l.x - (t.x - o.x);
                const double dy = l.y - (t.y - o.y);
                cost += dx * dx + dy * dy;
            }
        }
    return cost;
}

double CPlanRenderer::SearchRotation(double low, double high, double step) const {
    for (;;) {
        double best = low;
        double bestCost = DBL_MAX;
        for (double a = low; a < high; a += step) {
            const double cost = GridRotationCost(a);
            if (cost < bestCost) {
                bestCost = cost;
                best = a;
            }
        }
        if (step <= 0.04)
            return best;
        low = best - 1.2 * step;
        high = best + 1.2 * step;
        step /= 5;
    }
}

double CPlanRenderer::FitGridRotation() const {
    if (m_gps == nullptr)
        return 0;
    return SearchRotation(0, 360, 15);
}

double CPlanRenderer::ComputeNorthRotation(const STransformParams *params, int zone, int zoneLetter,
                                           int ellipsoid) {
    if (params == nullptr)
        return 0;
    STransformParams p;
    p.shiftX = params->shiftX;
    p.shiftY = params->shiftY;
    // The centre line of a square of 100 m about the local origin.
    const SPoint2D top{0, 50};
    const SPoint2D bottom{0, -50};
    double angle = 0;
    double lonT = 0, lonB = 0;
    if (!ProjectCentreLine(top, bottom, angle, p, zone, zoneLetter, ellipsoid, lonT, lonB))
        return 0;
    double sign = lonT > lonB ? 1 : -1;
    double step = sign * kDegree;
    int steps = 0;
    while (std::fabs(lonB - lonT) > 4.440892098500626e-16 && std::fabs(step) > 1e-4) {
        if (++steps > kMaxNorthSteps)
            return 0;
        angle += step;
        if (!ProjectCentreLine(top, bottom, angle, p, zone, zoneLetter, ellipsoid, lonT, lonB))
            return 0;
        if ((lonT > lonB) == (sign < 0)) {
            sign = -sign;
            step = -step / 2;
        }
    }
    return std::isfinite(angle) ? angle : 0;
}

bool CPlanRenderer::IsOutOfRange(double x, double y) {
    const bool inRange =
        x >= -kDrawableRange && x <= kDrawableRange && y >= -kDrawableRange && y <= kDrawableRange;
    if (inRange)
        return false;
    m_outOfRange = true;
    if (m_target == TARGET_WINDOW && m_gps != nullptr && m_gps->GetDisplayState() == 0)
        m_gps->SetDisplayState(1);
    return true;
}

bool CPlanRenderer::GetTracePoint(const CGPSInfo::SLineRecord &line, CGPSInfo::SGPSPoint &record,
                                  int source, POINT &point) {
    const bool cache = m_target == TARGET_WINDOW && source != CGPSInfo::SOURCE_LOCAL;
    if (cache && !m_recompute[source]) {
        point = PlanRect::Pt(record.cacheX[source], record.cacheY[source]);
        return !IsOutOfRange(point.x, point.y);
    }
    SPoint2D local;
    if (source == CGPSInfo::SOURCE_LOCAL) {
        const SLineGeometry *g = Geometry(line);
        if (g == nullptr)
            return false;
        local = LocalOfTrace(*g, record.trace);
    } else {
        const CGPSInfo::SPointSource &s = record.source[source];
        local = m_transform.InverseTransform({s.easting, s.northing});
    }
    // Into the plot area's logical units; the range is tested before anything becomes an int.
    const double left = m_plot.left, right = m_plot.right;
    const double top = m_plot.top, bottom = m_plot.bottom;
    const double x =
        LinearInterpolate(&local.x, &m_mapExtent.left, &m_mapExtent.right, &left, &right);
    const double y =
        LinearInterpolate(&local.y, &m_mapExtent.top, &m_mapExtent.bottom, &top, &bottom);
    point = PlanRect::Pt(SaturatedInt(x), SaturatedInt(y));
    if (cache) {
        record.cacheX[source] = point.x;
        record.cacheY[source] = point.y;
    }
    return !IsOutOfRange(x, y);
}

bool CPlanRenderer::ClipSegment(int &x0, int &y0, int &x1, int &y1, int left, int right, int top,
                                int bottom) {
    SDPoint a{static_cast<double>(x0), static_cast<double>(y0)};
    SDPoint b{static_cast<double>(x1), static_cast<double>(y1)};
    SDRect box;
    box.left = left;
    box.right = right;
    box.top = top;
    box.bottom = bottom;
    if (!::ClipSegment(a, b, box))
        return false;
    x0 = static_cast<int>(std::lround(a.x));
    y0 = static_cast<int>(std::lround(a.y));
    x1 = static_cast<int>(std::lround(b.x));
    y1 = static_cast<int>(std::lround(b.y));
    return true;
}

void CPlanRenderer::DrawMarker(CPlanDC *dc, POINT at, const SLineDisplayEntry &style) {
    const int s = style.MarkerSize;
    if (s <= 0)
        return;
    const int h = s / 2;
    const COLORREF colour = style.MarkerColour;
    switch (style.MarkerStyle) {
    case MARKER_SQUARE:
        dc->FillDeviceRect(at.x - h, at.y - h, s, s, colour);
        break;
    case MARKER_CIRCLE:
        dc->FillDeviceEllipse(at.x - h, at.y - h, s, s, colour);
        break;
    case MARKER_DIAMOND: {
        const int x = at.x - h;
        const POINT diamond[5] = {PlanRect::Pt(x, at.y), PlanRect::Pt(x + h, at.y - h),
                                  PlanRect::Pt(x + s, at.y), PlanRect::Pt(x + h, at.y + h),
                                  PlanRect::Pt(x, at.y)};
        dc->FillDevicePolygon(diamond, 5, colour);
        break;
    }
    default:
        break;
    }
}

void CPlanRenderer::DrawSegment(CPlanDC *dc, POINT from, POINT to, const SLineDisplayEntry &style) {
    if (style.LineStyle >= LINE_STYLE_NONE || style.LineStyle < 0)
        return;
    // Far beyond the plot area on any side the segment is cut to the plot area first.
    const RECT &c = m_clip;
    const auto beyond = [&c](POINT p) {
        return p.x < c.left - kClipMargin || p.x > c.right + kClipMargin ||
               p.y < c.top - kClipMargin || p.y > c.bottom + kClipMargin;
    };
    if ((beyond(from) || beyond(to)) &&
        !ClipSegment(from.x, from.y, to.x, to.y, c.left, c.right, c.top, c.bottom))
        return;
    SPlanPen pen;
    pen.style = style.LineStyle;
    pen.width = style.LineWidth;
    pen.colour = style.LineColour;
    dc->DeviceLine(from, to, pen);
}

void CPlanRenderer::DrawTracePoint(CPlanDC *dc, const CGPSInfo::SLineRecord &line,
                                   CGPSInfo::SGPSPoint &record, int layer, SChain &chain,
                                   const SLineDisplayEntry &style) {
    if (layer == LINE_KIND_WHISKERS) {
        POINT raw, local;
        if (!GetTracePoint(line, record, CGPSInfo::SOURCE_RAW, raw) ||
            !GetTracePoint(line, record, CGPSInfo::SOURCE_LOCAL, local))
            return;
        raw = dc->LPtoDP(raw);
        local = dc->LPtoDP(local);
        DrawSegment(dc, raw, local, style);
        DrawMarker(dc, raw, style);
        DrawMarker(dc, local, style);
        return;
    }
    const int source = layer == LINE_KIND_GPS_TRACE ? CGPSInfo::SOURCE_TRACE : CGPSInfo::SOURCE_RAW;
    POINT current;
    // A point beyond the drawable range is passed over; the chain goes on from the last one.
    if (!GetTracePoint(line, record, source, current))
        return;
    current = dc->LPtoDP(current);
    if (!chain.first) {
        DrawSegment(dc, chain.previous, current, style);
        if (!chain.previousMarked)
            DrawMarker(dc, chain.previous, style);
    }
    chain.first = false;
    chain.previous = current;
    chain.previousMarked = false;
}

void CPlanRenderer::DrawLocalMarkers(CPlanDC *dc, const CGPSInfo::SLineRecord &line,
                                     const SLineDisplayEntry &style) {
    const SLineGeometry *g = Geometry(line);
    if (g == nullptr)
        return;
    CGPSInfo::SGPSPoint record;
    for (int t = 1; t <= g->traces; ++t) {
        record.trace = t;
        POINT p;
        if (GetTracePoint(line, record, CGPSInfo::SOURCE_LOCAL, p))
            DrawMarker(dc, dc->LPtoDP(p), style);
    }
}

namespace {

// Names the drawing's owner for the life of a scope, its strokes one group.
class COwnerScope {
public:
    COwnerScope(CPlanDC *dc, uint64_t key) : m_dc(dc) {
        m_dc->BeginOwner(key);
        m_dc->BeginGroup();
    }
    ~COwnerScope() {
        m_dc->EndGroup();
        m_dc->EndOwner();
    }
    COwnerScope(const COwnerScope &) = delete;
    COwnerScope &operator=(const COwnerScope &) = delete;

private:
    CPlanDC *m_dc;
};

} // namespace

void CPlanRenderer::DrawLayer(CPlanDC *dc, int set, int line, int trace, int layer,
                              const SLineDisplayEntry *active, const SLineDisplayEntry *inactive) {
    if (dc == nullptr || m_gps == nullptr || active == nullptr || inactive == nullptr ||
        layer < 0 || layer >= LINE_KIND_COUNT)
        return;
    const POINT a = dc->LPtoDP(PlanRect::Pt(m_plot.left, m_plot.top));
    const POINT b = dc->LPtoDP(PlanRect::Pt(m_plot.right, m_plot.bottom));
    m_clip = PlanRect::Normalized(PlanRect::Make(a.x, a.y, b.x, b.y));
    if (EnableState() == 0)
        return;
    UpdateTransform(false);

    // The layer's cached points hold for the next paint only when every line was walked.
    bool complete = set == -1 && line == -1 && trace == -1;
    for (CGPSInfo::SSetRecord &s : m_gps->Sets()) {
        if (set != -1 && s.set != set)
            continue;
        for (CGPSInfo::SLineRecord &l : s.lines) {
            if (line != -1 && l.line != line)
                continue;
            const uint64_t key = PlanLineKey(s.set, l.line);
            // A repaint of part of the map walks only the lines whose drawing touches it.
            if (dc->OwnerPassedOver(key)) {
                complete = false;
                continue;
            }
            const bool selected = m_selection != nullptr && m_selection->IsSelected(s.set, l.line);
            // What the line's layers draw is noted as the line's, for the repaint of a change of
            // the selection.
            COwnerScope owner(dc, key);
            const SLineDisplayEntry &style = selected ? *active : *inactive;
            const bool markers = style.MarkerStyle >= MARKER_SQUARE &&
                                 style.MarkerStyle <= MARKER_DIAMOND && style.MarkerSize > 0;
            const bool lines = style.LineStyle >= 0 && style.LineStyle < LINE_STYLE_NONE;
            if (layer == LINE_KIND_LOCAL_XY) {
                // Markers only: a style without one draws nothing, so the traces are not walked.
                if (markers)
                    DrawLocalMarkers(dc, l, style);
                continue;
            }
            if (!markers && !lines) {
                complete = false;
                continue;
            }
            const SLineGeometry *g = Geometry(l);
            if (layer == LINE_KIND_WHISKERS && g == nullptr)
                continue;
            const int source =
                layer == LINE_KIND_GPS_TRACE ? CGPSInfo::SOURCE_TRACE : CGPSInfo::SOURCE_RAW;
            SChain chain;
            const size_t used =
                std::min(l.points.size(), static_cast<size_t>(std::max(l.pointCount, 0)));
            for (size_t i = 0; i < used; ++i) {
                CGPSInfo::SGPSPoint &record = l.points[i];
                if (trace != -1 && record.trace != trace)
                    continue;
                if (g != nullptr && record.trace > g->traces) {
                    // Reported after the paint, once per load; the record is passed over.
                    m_invalidTrace = true;
                    continue;
                }
                if (record.source[source].kind != CGPSInfo::KIND_EMPTY && !record.excluded)
                    DrawTracePoint(dc, l, record, layer, chain, style);
                if (trace != -1)
                    break;
            }
            // The chain's last point takes its marker, also when it stands alone.
            if (!chain.first && !chain.previousMarked)
                DrawMarker(dc, chain.previous, style);
        }
    }
    if (complete && layer <= LINE_KIND_RAW_GPS)
        m_recompute[layer] = false;
}

int CPlanRenderer::EnableState() const {
    const SLocalWorldDef *def = m_gps != nullptr ? m_gps->GetLWCData() : nullptr;
    if (def == nullptr)
        return 0;
    if (def->EnableGPS == 2)
        return m_gps->HasGPSData() ? 1 : 0;
    return def->EnableGPS;
}

bool CPlanRenderer::TakeOutOfRange() {
    const bool met = m_outOfRange;
    m_outOfRange = false;
    return met;
}

bool CPlanRenderer::TakeInvalidTraceReport() {
    const bool report = m_invalidTrace && !m_invalidTraceReported && m_target == TARGET_WINDOW;
    m_invalidTrace = false;
    if (report)
        m_invalidTraceReported = true;
    return report;
}

SPlanPointInfo CPlanRenderer::BuildPointInfo(const double local[2], std::string *text,
                                             const char *format) const {
    SPlanPointInfo info;
    info.local = ORQ::S2DMeasure(local[0], local[1], ORQ::UNIT_M);
    if (m_gps == nullptr) {
        if (text != nullptr)
            *text = "GPS: N/A";
        return info;
    }
    const SPoint2D w = m_transform.Transform({local[0], local[1]});
    info.utm.northing = w.y;
    info.utm.easting = w.x;
    info.utm.zone = m_gps->GetUTMZone(true);
    info.utm.letter = static_cast<unsigned char>(m_gps->GetUTMZoneLetter(true));
    SLatLong ll;
    const bool converted = GPS_UTMtoLLEQFix(info.utm, ll, m_gps->GetEllipsoid(), 1) != 0;
    if (text == nullptr)
        return info;
    const SLocalWorldDef *def = m_gps->GetLWCData();
    if (EnableState() == 0)
        *text = m_gps->HasGPSData() ? "GPS: Disabled" : "GPS: N/A";
    else if (!converted || !ValidLL(&ll))
        *text = "GPS: Invalid, Out of Bounds";
    else if (format != nullptr)
        UpdateGPS(format, def->Ellipsoid, 2, &ll, &info.utm, *text);
    return info;
}

SPlanPointInfo CPlanRenderer::ViewPointToStatusText(POINT devicePoint, std::string *text,
                                                    const char *format) const {
    const double px = devicePoint.x, py = devicePoint.y;
    const double left = m_plotDevice.left, right = m_plotDevice.right;
    const double top = m_plotDevice.top, bottom = m_plotDevice.bottom;
    const double local[2] = {
        LinearInterpolate(&px, &left, &right, &m_mapExtent.left, &m_mapExtent.right),
        LinearInterpolate(&py, &top, &bottom, &m_mapExtent.top, &m_mapExtent.bottom)};
    return BuildPointInfo(local, text, format);
}

SPlanPointInfo CPlanRenderer::LocalPointToStatusText(const ORQ::S2DMeasure &local,
                                                     std::string *text, const char *format) const {
    const ORQ::S2DMeasure m = local.Convert(ORQ::UNIT_M, -1);
    const double point[2] = {m.x, m.y};
    return BuildPointInfo(point, text, format);
}
