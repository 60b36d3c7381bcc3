#include "KVD_Edit/planview/CompassRotation.h"

#include <cmath>

SRotatedLayout RotatedLayout(int width, int height, double degrees) {
    const double pi = 3.14159265358979323846;
    SRotatedLayout out;
    double d = std::isfinite(degrees) ? std::fmod(degrees, 360.0) : 0.0;
    if (d < 0)
        d += 360.0;
    double a = d * pi / 180.0;
    if (a >= 2 * pi)
        a = 0;
    out.radians = a;

    double w = width;
    double h = height;
    double c = std::fabs(std::cos(a));
    double s = std::fabs(std::sin(a));
    double p, q, r, t;
    if ((a >= 0 && a < pi / 2) || (a >= pi && a < 3 * pi / 2)) {
        p = c * w;
        q = s * w;
        r = c * h;
        t = s * h;
    } else {
        p = s * h;
        q = c * h;
        r = s * w;
        t = c * w;
    }
    // Rounding noise of the sines (cos 90 degrees is 6e-17) must not add a pixel.
    out.width = static_cast<int>(std::ceil(p + t - 1e-9));
    out.height = static_cast<int>(std::ceil(r + q - 1e-9));
    int ip = static_cast<int>(p);
    int iq = static_cast<int>(q);
    int ir = static_cast<int>(r);
    int is = static_cast<int>(t);
    int nw = out.width;
    int nh = out.height;
    if (a < pi / 2) {
        out.upperLeft = PlanRect::Pt(is, 0);
        out.upperRight = PlanRect::Pt(nw, iq);
        out.lowerLeft = PlanRect::Pt(0, ir);
    } else if (a < pi) {
        out.upperLeft = PlanRect::Pt(nw, iq);
        out.upperRight = PlanRect::Pt(ip, nh);
        out.lowerLeft = PlanRect::Pt(is, 0);
    } else if (a < 3 * pi / 2) {
        out.upperLeft = PlanRect::Pt(ip, nh);
        out.upperRight = PlanRect::Pt(0, ir);
        out.lowerLeft = PlanRect::Pt(nw, iq);
    } else {
        out.upperLeft = PlanRect::Pt(0, ir);
        out.upperRight = PlanRect::Pt(is, 0);
        out.lowerLeft = PlanRect::Pt(ip, nh);
    }
    return out;
}
