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

// One bar's stretch of the shown rectangle: start is its edge at the bar's beginning (left, top),
// end the other; down is +1 where moving down the bar grows the coordinate (x), -1 where it
// shrinks it (y, whose bar counts down from the extent's top). False for a thumb message at the
// current position.
bool ScrollAlong(int code, SPlanScrollInfo &info, double &start, double &end, double dataStart,
                 double dataEnd, double down, double step, double page) {
    switch (code) {
    case CPlanScroll::SB_LINEUP:
        start -= down * step;
        end -= down * step;
        info.pos -= 1;
        break;
    case CPlanScroll::SB_LINEDOWN:
        start += down * step;
        end += down * step;
        info.pos += 1;
        break;
    case CPlanScroll::SB_PAGEUP:
        start -= down * page;
        end -= down * page;
        info.pos -= info.page;
        break;
    case CPlanScroll::SB_PAGEDOWN:
        start += down * page;
        end += down * page;
        info.pos += info.page;
        break;
    case CPlanScroll::SB_TOP:
        start = dataStart;
        end = dataStart + down * page;
        info.pos = info.min;
        break;
    case CPlanScroll::SB_BOTTOM:
        end = dataEnd;
        start = dataEnd - down * page;
        info.pos = info.max;
        break;
    default: {
        if (info.trackPos == info.pos)
            return false;
        // The thumb moves the edge of larger coordinate (right, top); the other follows a page
        // below it.
        double &high = down > 0 ? end : start;
        double &low = down > 0 ? start : end;
        high += down * ((info.trackPos - info.pos) / 1000.0);
        low = high - page;
        info.pos = info.trackPos;
        break;
    }
    }
    return true;
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
    const double page = info.page / 1000.0;
    if (bar == BAR_HORZ)
        return ScrollAlong(code, info, view.left, view.right, data.left, data.right, 1, step, page);
    return ScrollAlong(code, info, view.top, view.bottom, data.top, data.bottom, -1, step, page);
}
