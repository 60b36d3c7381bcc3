#include "KVD_Edit/planview/PlanViewController.h"

#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/planview/PlanLinesSource.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Direction arrows and the line rectangles' margin: 2 mm on the target.
const ORQ::SMeasure kArrowSize(2.0, ORQ::UNIT_MM);

// Back to device pixels, as a fresh drawing context starts.
// Device pixels kept free on the right and bottom of the map: room for a line's width and its
// arrow head.
constexpr int kEdgeRoom = 8;

// Device pixels around a line that its drawing in either style may cover beyond its points:
// the widest pen with its joins, the largest marker, and smoothed edges.
double SelectionRoom(const SLineDisplayTable &table, double devicePerLogical) {
    double widest = 1;
    double marker = 0;
    for (int k = 0; k < LINE_KIND_COUNT; ++k) {
        if (!table.LayerShown[k])
            continue;
        for (int e = 2 * k; e <= 2 * k + 1; ++e) {
            const SLineDisplayEntry &entry = table.Entry[e];
            double width = entry.LineWidth;
            // The lines' own pens are in logical units.
            if (k == LINE_KIND_LOCAL_XY && entry.LineWidth > 1)
                width = entry.LineWidth * devicePerLogical;
            widest = std::max(widest, width);
            marker = std::max(marker, static_cast<double>(entry.MarkerSize));
        }
    }
    return 5 * widest + marker + 4;
}

void ResetMapping(CPlanDC *dc) {
    CMapping &m = dc->Mapping();
    m.SetMapMode(CMapping::MM_TEXT);
    m.SetWindowOrg(0, 0);
    m.SetViewportOrg(0, 0);
}

} // namespace

CPlanViewController::CPlanViewController() : m_scale(0, ORQ::UNIT_M) {}

void CPlanViewController::CopyViewFrom(const CPlanViewController &other) {
    ORQ::SRectMeasure requested = other.m_map.GetRequestedDimensions();
    m_map.SetRequestedDimensions(requested, nullptr, other.m_map.GetAnchor());
    m_laidOut = other.m_laidOut;
}

bool CPlanViewController::DataBounds(ORQ::SRectMeasure &rect, const SPlanViewDoc &doc) {
    // The lines of the same query interface are read once: a paint after a scroll, a zoom or a
    // change of selection or unit only draws them.
    const bool cached = doc.query != nullptr && doc.queryGeneration != 0 &&
                        doc.query == m_sourceQuery && doc.queryGeneration == m_sourceGeneration;
    if (!cached) {
        m_sourceQuery = nullptr;
        m_sourceGeneration = 0;
        // Never 0: that number asks the lines to rebuild their geometry at every paint.
        m_sourceVersion = m_sourceVersion == UINT_MAX ? 1 : m_sourceVersion + 1;
        if (!BuildLinesSource(m_source, doc.query, -1))
            return false;
        m_sourceHasBounds =
            CKvdGprLines::GetDataBounds(m_sourceBounds, m_source, CKvdGprLines::LIMIT_ALL);
        m_sourceQuery = doc.query;
        m_sourceGeneration = doc.queryGeneration;
    }
    if (m_sourceHasBounds)
        rect = m_sourceBounds;
    return m_sourceHasBounds;
}

void CPlanViewController::SetRequested(ORQ::SRectMeasure rect, const ORQ::EUnitType *unit) {
    m_map.SetRequestedDimensions(rect, unit, 0);
}

int CPlanViewController::Layout(CPlanDC *dc, const RECT &client, const SPlanViewDoc &doc) {
    if (dc == nullptr)
        return LAYOUT_NONE;
    if (!m_scales.IsInitialised())
        m_scales.Init(doc.font, nullptr);
    RECT frame = dc->DPtoLP(client);

    ORQ::SRectMeasure data;
    if (!DataBounds(data, doc))
        return LAYOUT_NONE;
    m_dataExtent = data;

    // The first layout shows every line; later ones keep what zoom, pan and scrolling chose.
    ORQ::SRectMeasure requested = m_laidOut ? m_map.GetRequestedDimensions() : data;
    m_laidOut = true;
    SetRequested(requested, &doc.unit);
    requested = m_map.GetRequestedDimensions();

    SPlanScaleParams params = m_scales.GetParams();
    m_scales.SetUnit(doc.unit);
    params.grid = 1;
    params.showScales = 1;
    params.showLegend = 0;
    params.extent = requested;
    m_scales.SetParams(params, dc);

    // The map keeps a few pixels from the window's right and bottom edges, where no scale bar
    // stands: lines on the extent's edge would otherwise fall on (or beyond) the last pixel and
    // could be neither seen nor clicked.
    RECT room = frame;
    room.right -= kEdgeRoom;
    room.bottom -= kEdgeRoom;
    RECT plot = m_scales.GetFreeRect(dc, room, requested);
    plot = PlanRect::Inflated(plot, 1, 1);
    if (PlanRect::IsEmpty(PlanRect::Normalized(plot)))
        return LAYOUT_NONE;

    ORQ::SMeasure scale = m_map.DCSetup(dc, plot);
    if (!(scale.value > 0))
        return LAYOUT_NONE;
    m_scale = scale;
    m_plot = plot;

    params.frame = dc->DPtoLP(client);
    params.factor = scale.value;
    params.extent = MapRectToMeasure(plot, scale);
    m_devicePlot = PlanRect::Normalized(dc->LPtoDP(plot));
    m_zoom.SetExtent(params.extent, m_devicePlot);
    m_scales.SetParams(params, dc);

    // Lines on one Y (or X) value: centre them in the plot area with its full height (width).
    ORQ::SRectMeasure centred = requested;
    if (RecentreFlatExtent(centred, data, params.extent)) {
        SetRequested(centred, &doc.unit);
        return LAYOUT_AGAIN;
    }

    ORQ::SRectMeasure dataInUnit = ORQ::ConvertMeasureUnits(data, doc.unit);
    m_scroll[CPlanScroll::BAR_HORZ] =
        CPlanScroll::Compute(CPlanScroll::BAR_HORZ, dataInUnit, requested);
    m_scroll[CPlanScroll::BAR_VERT] =
        CPlanScroll::Compute(CPlanScroll::BAR_VERT, dataInUnit, requested);
    m_haveScroll = true;
    return LAYOUT_DONE;
}

int CPlanViewController::Paint(CPlanDC *dc, const RECT &client, const SPlanViewDoc &doc,
                               IPlanPaintSteps *steps) {
    IPlanPaintSteps none;
    if (steps == nullptr)
        steps = &none;
    if (dc == nullptr)
        return 0;
    dc->UseTextCache(m_cacheTexts ? &m_textCache : nullptr);
    m_linesPainted = false;
    // A repaint of part of the map keeps the boxes of the whole drawing before it: those of the
    // lines it passes over tell the layers what they need not walk.
    if (!dc->Limited())
        m_extents.clear();
    // Every paint lays out from device pixels, whatever an earlier paint left in dc.
    ResetMapping(dc);
    int laid = Layout(dc, client, doc);
    if (laid == LAYOUT_AGAIN) {
        ResetMapping(dc);
        laid = Layout(dc, client, doc);
    }
    if (laid == LAYOUT_NONE)
        return 0;

    m_lines.SetSelection(doc.selection);
    m_lines.SetFidDisplay(doc.showFiducials, doc.showFiducials && doc.showFiducialText, doc.font);

    SPlanPaintFrame frame;
    frame.visibleExtent = MapRectToMeasure(m_plot, m_scale);
    frame.plot = m_plot;
    frame.devicePlot = m_devicePlot;
    frame.scale = m_scale;
    frame.dataExtent = m_dataExtent;
    frame.lines = &m_source;
    frame.selection = doc.selection;

    const SLineDisplayTable defaults;
    const SLineDisplayTable &table = doc.lineDisplay != nullptr ? *doc.lineDisplay : defaults;
    const bool linesShown = table.LayerShown[LINE_KIND_LOCAL_XY];
    if (linesShown) {
        const SLineDisplayEntry &active = table.Entry[2 * LINE_KIND_LOCAL_XY];
        const SLineDisplayEntry &inactive = table.Entry[2 * LINE_KIND_LOCAL_XY + 1];
        if (doc.selection != nullptr) {
            int style = active.LineStyle;
            int width = active.LineWidth;
            doc.selection->SetFocusPen(active.LineColour, &style, &width);
        }
        int style = inactive.LineStyle;
        int width = inactive.LineWidth;
        m_lines.SetLineStyle(inactive.LineColour, &style, &width);
    }

    m_selectionRoom = SelectionRoom(table, std::fabs(dc->Mapping().ScaleX()));
    dc->RecordExtents(&m_extents);
    steps->PrepareLayers(dc, frame);
    steps->DrawCompass(dc, dc->LPtoDP(PlanRect::Pt(m_plot.right, m_plot.top)));
    if (linesShown)
        m_lines.DrawLines(&m_source, dc, m_scale, &m_deviceLines, &kArrowSize, 2, m_sourceVersion);
    for (int k = 0; k < LINE_KIND_COUNT; ++k)
        if (table.LayerShown[k])
            steps->DrawLayer(dc, k, table.Entry[2 * k], table.Entry[2 * k + 1], m_scale);
    steps->AfterLayers();
    dc->RecordExtents(nullptr);
    m_scales.Draw(dc);
    m_linesPainted = linesShown;
    return 1;
}

bool CPlanViewController::SelectionDamage(const SPlanViewDoc &doc,
                                          std::vector<SDRect> &areas) const {
    areas.clear();
    const CKvdGprLines::SLinesData &data = m_lines.GetData();
    const std::vector<char> &drawn = m_lines.DrawnSelection();
    const auto &ranges = data.polylines.ranges;
    if (!m_linesPainted || drawn.size() != ranges.size() ||
        m_deviceLines.rects.size() != ranges.size())
        return false;
    const double room = m_selectionRoom;
    for (size_t i = 0; i < ranges.size(); ++i) {
        const int first = ranges[i].x;
        if (ranges[i].y < first || first < 0 || static_cast<size_t>(first) >= data.addresses.size())
            continue;
        const CKvdGprLines::SKvdDataBlockElementAddress &a =
            data.addresses[static_cast<size_t>(first)];
        const bool now = doc.selection != nullptr && doc.selection->IsSelected(a.set, a.line);
        if (now == (drawn[i] != 0))
            continue;
        const RECT &r = m_deviceLines.rects[i];
        SDRect box{static_cast<double>(r.left), static_cast<double>(r.top),
                   static_cast<double>(r.right), static_cast<double>(r.bottom)};
        auto it = m_extents.find(PlanLineKey(a.set, a.line));
        if (it != m_extents.end()) {
            box.left = std::min(box.left, it->second.left);
            box.top = std::min(box.top, it->second.top);
            box.right = std::max(box.right, it->second.right);
            box.bottom = std::max(box.bottom, it->second.bottom);
        }
        areas.push_back(SDRect{std::floor(box.left - room), std::floor(box.top - room),
                               std::ceil(box.right + room), std::ceil(box.bottom + room)});
    }
    return true;
}

bool CPlanViewController::ZoomToFit(const SPlanViewDoc &doc) {
    ORQ::SRectMeasure data;
    if (!DataBounds(data, doc))
        return false;
    SetRequested(data, &doc.unit);
    m_zoom.Reset();
    m_laidOut = true;
    return true;
}

bool CPlanViewController::ZoomIn(const SPlanViewDoc &doc) {
    SetRequested(m_zoom.ZoomIn(m_map.GetRequestedDimensions()), &doc.unit);
    return true;
}

bool CPlanViewController::ZoomOut(const SPlanViewDoc &doc) {
    SetRequested(m_zoom.ZoomOut(m_map.GetRequestedDimensions()), &doc.unit);
    return true;
}

POINT CPlanViewController::ClampToPlot(POINT point) const {
    return PlanRect::Clamp(m_devicePlot, point);
}

void CPlanViewController::OnLButtonDown(POINT point) {
    if (m_zoom.IsActive()) {
        m_zoom.OnLButtonDown(ClampToPlot(point));
        return;
    }
    if (!m_bandAnchor)
        m_bandAnchor = std::make_unique<POINT>();
    *m_bandAnchor = point;
    m_band = PlanRect::Make(point.x, point.y, point.x, point.y);
}

int CPlanViewController::OnMouseMove(POINT point, bool buttons) {
    if (m_zoom.IsActive()) {
        m_zoom.OnMouseMove(ClampToPlot(point));
        return m_zoom.GetCursor();
    }
    if (m_bandAnchor) {
        // Without any button down the release happened outside the window: the band ends.
        if (buttons)
            m_band = PlanRect::Normalized(
                PlanRect::Make(m_bandAnchor->x, m_bandAnchor->y, point.x, point.y));
        else
            m_bandAnchor.reset();
        return CZoomAndPan::CURSOR_ARROW;
    }
    POINT hit = CKvdGprLines::HitTest(&point, m_deviceLines);
    return hit.x >= 0 ? static_cast<int>(CURSOR_HAND) : static_cast<int>(CZoomAndPan::CURSOR_ARROW);
}

bool CPlanViewController::OnLButtonUp(POINT point, bool ctrl, const SPlanViewDoc &doc) {
    if (m_bandAnchor) {
        m_band = PlanRect::Normalized(
            PlanRect::Make(m_bandAnchor->x, m_bandAnchor->y, point.x, point.y));
        std::vector<int> lines;
        if (PlanRect::IsEmpty(m_band)) {
            POINT hit = CKvdGprLines::HitTest(&point, m_deviceLines);
            if (hit.x >= 0)
                lines.push_back(hit.x);
        } else {
            lines = CKvdGprLines::LinesInBand(m_band, m_deviceLines);
        }
        // Lines without points have no address of their own.
        const auto &ranges = m_lines.GetData().polylines.ranges;
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [&](int i) {
                                       return i >= static_cast<int>(ranges.size()) ||
                                              ranges[static_cast<size_t>(i)].y <
                                                  ranges[static_cast<size_t>(i)].x;
                                   }),
                    lines.end());
        if (!lines.empty() && doc.selection != nullptr) {
            if (!ctrl)
                doc.selection->ClearSelection();
            for (int i : lines) {
                CKvdGprLines::SKvdDataBlockElementAddress a = m_lines.GetPointAddress(i, 0);
                doc.selection->AddToSelection(a.set, a.line);
            }
        }
        m_bandAnchor.reset();
        m_band = PlanRect::Make(0, 0, 0, 0);
    }
    if (m_zoom.IsActive() && m_zoom.OnLButtonUp(ClampToPlot(point))) {
        SetRequested(m_zoom.GetExtent(), &doc.unit);
        return true;
    }
    return false;
}

int CPlanViewController::CommandForKey(int virtualKey, bool ctrl) {
    switch (virtualKey) {
    case VK_INSERT:
        return KVDCmd::ID_IMPORT_LINES;
    case VK_DELETE:
        return KVDCmd::ID_DELETE_LINES;
    case 'A':
        return ctrl ? KVDCmd::ID_SELECT_ALL_LINES : 0;
    case 'D':
        return ctrl ? KVDCmd::ID_DESELECT_ALL_LINES : 0;
    default:
        return 0;
    }
}

bool CPlanViewController::OnScroll(int bar, int code, SPlanScrollInfo &info,
                                   const SPlanViewDoc &doc) {
    if (bar != CPlanScroll::BAR_HORZ && bar != CPlanScroll::BAR_VERT)
        return false;
    // Without a line extent there is nowhere to scroll to.
    ORQ::SRectMeasure data;
    if (!DataBounds(data, doc))
        return false;
    data = ORQ::ConvertMeasureUnits(data, doc.unit);
    ORQ::SRectMeasure view = m_map.GetRequestedDimensions();
    if (!CPlanScroll::Scroll(bar, code, info, data, view))
        return false;
    SetRequested(view, bar == CPlanScroll::BAR_VERT ? &doc.unit : nullptr);
    m_scroll[bar] = info;
    return true;
}

bool CPlanViewController::GetScrollInfo(int bar, SPlanScrollInfo &info) const {
    if (!m_haveScroll || (bar != CPlanScroll::BAR_HORZ && bar != CPlanScroll::BAR_VERT))
        return false;
    info = m_scroll[bar];
    return true;
}
