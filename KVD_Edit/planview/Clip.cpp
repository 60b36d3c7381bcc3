#include "KVD_Edit/planview/Clip.h"

#include <algorithm>
#include <cmath>

namespace {

// One Liang-Barsky boundary test: narrows [t0, t1] for the boundary p * t <= q.
bool ClipTest(double p, double q, double &t0, double &t1) {
    if (p == 0)
        return q >= 0;
    double t = q / p;
    if (p < 0) {
        if (t > t1)
            return false;
        if (t > t0)
            t0 = t;
    } else {
        if (t < t0)
            return false;
        if (t < t1)
            t1 = t;
    }
    return true;
}

bool Finite(const SDPoint &p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

bool PointInBox(const SDPoint &p, const SDRect &box) {
    return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom;
}

bool ClipSegment(SDPoint &a, SDPoint &b, const SDRect &box) {
    if (!Finite(a) || !Finite(b))
        return false;
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    double t0 = 0;
    double t1 = 1;
    if (!ClipTest(-dx, a.x - box.left, t0, t1) || !ClipTest(dx, box.right - a.x, t0, t1) ||
        !ClipTest(-dy, a.y - box.top, t0, t1) || !ClipTest(dy, box.bottom - a.y, t0, t1))
        return false;
    SDPoint start = a;
    if (t1 < 1) {
        b.x = start.x + t1 * dx;
        b.y = start.y + t1 * dy;
    }
    if (t0 > 0) {
        a.x = start.x + t0 * dx;
        a.y = start.y + t0 * dy;
    }
    // Rounding of far-away endpoints can leave a cut point a hair outside: keep it on the box.
    for (SDPoint *p : {&a, &b}) {
        p->x = std::min(std::max(p->x, box.left), box.right);
        p->y = std::min(std::max(p->y, box.top), box.bottom);
    }
    return true;
}
