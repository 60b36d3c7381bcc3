#include "KVD_Edit/planview/PlanScroll.h"

#include <climits>
#include <cmath>

namespace {

// Thousandths of a unit as a bar value, kept inside the bar's integer range.
int Thousandths(double v) {
    double t = v * 1000;
    if (!(t == t))
        return 0;
    if (t >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (t <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(t);
}

bool UsableExtent(const ORQ::SRectMeasure &r) {
    // The sentinel rectangle of a failed extent (left above right) is no extent.
    return std::isfinite(r.left) && std::isfinite(r.right) && std::isfinite(r.top) &&
           std::isfinite(r.bottom) && r.right >= r.left && r.top >= r.bottom;
}

} // namespace

SPlanScrollInfo CPlanScroll::Compute(int bar, const ORQ::SRectMeasure &data,
                                     const ORQ::SRectMeasure &view) {
    SPlanScrollInfo info;
    info.min = 0;
    if (bar == BAR_HORZ) {
        double full = data.right - data.left;
        double shown = view.right - view.left;
        if (shown == 0)
            shown = 100;
        info.max = Thousandths(full);
        if (full > shown) {
            info.page = Thousandths(shown);
            info.pos = Thousandths(view.left - data.left);
        } else {
            if (info.max == 0) {
                full = 1;
                info.max = 1000;
            }
            info.page = Thousandths(full);
            info.pos = 0;
        }
    } else {
        double full = data.top - data.bottom;
        if (full == 0)
            full = 100;
        double shown = view.top - view.bottom;
        if (shown == 0)
            shown = 1000;
        info.max = Thousandths(full);
        if (full > shown) {
            info.page = Thousandths(shown);
            info.pos = Thousandths(data.top - view.top);
        } else {
            if (info.max == 0) {
                full = shown;
                info.max = Thousandths(shown);
            }
            info.page = Thousandths(full);
            info.pos = 0;
        }
    }
    if (info.pos < 0)
        info.pos = 0;
    if (static_cast<unsigned>(info.page) > static_cast<unsigned>(info.max))
        info.page = info.max;
    info.trackPos = info.pos;
    return info;
}

bool CPlanScroll::Scroll(int bar, int code, SPlanScrollInfo &info, const ORQ::SRectMeasure &data,
                         ORQ::SRectMeasure &view) {
    if (!UsableExtent(data) || code == SB_ENDSCROLL)
        return false;
    double step = std::fabs(view.top - view.bottom) / 10;
    if (step < 0.01)
        step = 0.01;
    double page = info.page / 1000.0;
    if (bar == BAR_HORZ) {
        switch (code) {
        case SB_LINEUP:
            view.left -= step;
            view.right -= step;
            info.pos -= 1;
            break;
        case SB_LINEDOWN:
            view.left += step;
            view.right += step;
            info.pos += 1;
            break;
        case SB_PAGEUP:
            view.left -= page;
            view.right -= page;
            info.pos -= info.page;
            break;
        case SB_PAGEDOWN:
            view.left += page;
            view.right += page;
            info.pos += info.page;
            break;
        case SB_TOP:
            view.left = data.left;
            view.right = data.left + page;
            info.pos = info.min;
            break;
        case SB_BOTTOM:
            view.right = data.right;
            view.left = data.right - page;
            info.pos = info.max;
            break;
        default:
            if (info.trackPos == info.pos)
                return false;
            view.right += (info.trackPos - info.pos) / 1000.0;
            view.left = view.right - page;
            info.pos = info.trackPos;
            break;
        }
    } else {
        switch (code) {
        case SB_LINEUP:
            view.top += step;
            view.bottom += step;
            info.pos -= 1;
            break;
        case SB_LINEDOWN:
            view.top -= step;
            view.bottom -= step;
            info.pos += 1;
            break;
        case SB_PAGEUP:
            view.top += page;
            view.bottom += page;
            info.pos -= info.page;
            break;
        case SB_PAGEDOWN:
            view.top -= page;
            view.bottom -= page;
            info.pos += info.page;
            break;
        case SB_TOP:
            view.top = data.top;
            view.bottom = data.top - page;
            info.pos = info.min;
            break;
        case SB_BOTTOM:
            view.bottom = data.bottom;
            view.top = data.bottom + page;
            info.pos = info.max;
            break;
        default:
            if (info.trackPos == info.pos)
                return false;
            view.top -= (info.trackPos - info.pos) / 1000.0;
            view.bottom = view.top - page;
            info.pos = info.trackPos;
            break;
        }
    }
    return true;
}
