#include "KVD_Edit/planview/PlanMap.h"

#include "orq_utils/Measure.h"

#include <cmath>

namespace {

// Edges far beyond the int range (a small extent far from the grid's origin, zoomed in) stop
// at its end rather than overflowing.
int RoundEdge(double v) {
    return ORQ::RoundToDevice(v);
}

// Widens one axis about its centre when it has no size (or is not a number at all).
void EnsureSize(double &low, double &high) {
    if (!std::isfinite(low) || !std::isfinite(high))
        return;
    if (std::fabs(high - low) > 0)
        return;
    double centre = (low + high) / 2;
    double half = std::max(kMinRequestedSize, std::fabs(centre) * 1e-6) / 2;
    low = centre - half;
    high = centre + half;
}

} // namespace

CPlanMap::CPlanMap() : m_requested(0, 10, 10, 0, ORQ::EUnitType(1)) {}

void CPlanMap::SetRequestedDimensions(ORQ::SRectMeasure &rect, const ORQ::EUnitType *unit,
                                      EScreenPosition anchor) {
    if (unit != nullptr && *unit != rect.unit)
        rect = ORQ::ConvertMeasureUnits(rect, *unit);
    // A rectangle zoom released at its press point, or lines on one X or Y value, would give an
    // infinite scale: keep a minimum size instead.
    if (rect.left <= rect.right)
        EnsureSize(rect.left, rect.right);
    else
        EnsureSize(rect.right, rect.left);
    if (rect.bottom <= rect.top)
        EnsureSize(rect.bottom, rect.top);
    else
        EnsureSize(rect.top, rect.bottom);
    m_requested = rect;
    m_anchor = anchor;
}

POINT CPlanMap::AnchorPoint(const RECT &r, EScreenPosition anchor) {
    switch (anchor) {
    case 0:
        return PlanRect::Pt(r.left, r.top);
    case 2:
        return PlanRect::Pt(r.right, r.top);
    case 6:
        return PlanRect::Pt((r.left + r.right) / 2, r.top);
    case 8:
        return PlanRect::Pt(r.left, r.bottom);
    case 10:
        return PlanRect::Pt(r.right, r.bottom);
    case 14:
        return PlanRect::Pt((r.left + r.right) / 2, r.bottom);
    case 24:
        return PlanRect::Pt(r.left, (r.top + r.bottom) / 2);
    case 26:
        return PlanRect::Pt(r.right, (r.top + r.bottom) / 2);
    default:
        return PlanRect::Pt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
}

ORQ::SMeasure CPlanMap::DCSetup(CPlanDC *dc, RECT &target) {
    ORQ::SMeasure result(-1.0, ORQ::EUnitType(1));
    if (dc == nullptr || PlanRect::IsEmpty(target))
        return result;
    double width = std::fabs(m_requested.right - m_requested.left);
    double height = std::fabs(m_requested.top - m_requested.bottom);
    double sx = PlanRect::Width(target) / width;
    double sy = PlanRect::Height(target) / height;
    double s = sx < sy ? sx : sy;
    if (!std::isfinite(s) || s <= 0)
        return result;

    RECT scaled =
        PlanRect::Make(RoundEdge(s * m_requested.left), RoundEdge(s * m_requested.top),
                       RoundEdge(s * m_requested.right), RoundEdge(s * m_requested.bottom));
    CMapping &map = dc->Mapping();
    map.SetMapMode(CMapping::MM_ISOTROPIC);
    map.SetWindowOrg(0, 0);
    map.SetViewportOrg(0, 0);
    map.SetWindowExt(scaled.right - scaled.left + 1, (scaled.bottom - scaled.top) - 1);
    map.SetViewportExt(PlanRect::Width(target), PlanRect::Height(target));

    POINT logicalAnchor = map.LPtoDP(AnchorPoint(scaled, m_anchor));
    POINT deviceAnchor = AnchorPoint(target, m_anchor);
    map.SetViewportOrg(deviceAnchor.x - logicalAnchor.x, deviceAnchor.y - logicalAnchor.y);

    target = map.DPtoLP(target);
    return ORQ::SMeasure(s, m_requested.unit);
}

ORQ::SRectMeasure MapRectToMeasure(const RECT &logical, const ORQ::SMeasure &scale) {
    double v = scale.value;
    return ORQ::SRectMeasure(logical.left / v, logical.top / v, logical.right / v,
                             logical.bottom / v, scale.unit);
}

bool RecentreFlatExtent(ORQ::SRectMeasure &requested, const ORQ::SRectMeasure &data,
                        const ORQ::SRectMeasure &visible) {
    bool changed = false;
    double tolerance = kMinRequestedSize * (1 + 1e-9);
    double visibleHeight = std::fabs(visible.top - visible.bottom);
    if (data.top == data.bottom && std::fabs(requested.top - requested.bottom) <= tolerance &&
        visibleHeight > tolerance) {
        double cy = (requested.top + requested.bottom) / 2;
        requested.top = cy + visibleHeight / 2;
        requested.bottom = cy - visibleHeight / 2;
        changed = true;
    }
    double visibleWidth = std::fabs(visible.right - visible.left);
    if (data.left == data.right && std::fabs(requested.right - requested.left) <= tolerance &&
        visibleWidth > tolerance) {
        double cx = (requested.left + requested.right) / 2;
        requested.left = cx - visibleWidth / 2;
        requested.right = cx + visibleWidth / 2;
        changed = true;
    }
    return changed;
}
