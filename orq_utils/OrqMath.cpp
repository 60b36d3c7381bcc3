#include "orq_utils/OrqMath.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace ORQ {

double Round(const double &x, int n) {
    return std::floor((x * std::pow(10.0, n + 1) + 5.0) / 10.0) / std::pow(10.0, n);
}

bool DEquals(double a, double b, int n) {
    return Round(a, n) == Round(b, n);
}

double RoundToMultiple(const double &x, const double &m) {
    if (m == 0.0)
        return x;
    const double r = std::fmod(x, m);
    return r < m / 2.0 ? x - r : x - r + m;
}

bool ApproximatelyEqual(double a, double b, double eps) {
    return std::fabs(a - b) <= std::max(std::fabs(a), std::fabs(b)) * eps;
}

bool EssentiallyEqual(double a, double b, double eps) {
    return std::fabs(a - b) <= std::min(std::fabs(a), std::fabs(b)) * eps;
}

bool DefinitelyGreaterThan(double a, double b, double eps) {
    return a - b > std::max(std::fabs(a), std::fabs(b)) * eps;
}

bool DefinitelyLessThan(double a, double b, double eps) {
    return b - a > std::max(std::fabs(a), std::fabs(b)) * eps;
}

double CalcDistance(POINT a, POINT b) {
    // In double: the squares of pixel differences overflow 32-bit integers beyond 46341.
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

double DistanceToLine(double px, double py, double ax, double ay, double bx, double by) {
    // Hit-testing precision: the projection runs in single precision.
    const float dx = static_cast<float>(bx - ax);
    const float dy = static_cast<float>(by - ay);
    const float len2 = dx * dx + dy * dy;
    if (len2 == 0.0f)
        return std::hypot(px - ax, py - ay);
    const float t = (static_cast<float>(px - ax) * dx + static_cast<float>(py - ay) * dy) / len2;
    float nx, ny;
    if (t < 0.0f) {
        nx = static_cast<float>(ax);
        ny = static_cast<float>(ay);
    } else if (t > 1.0f) {
        nx = static_cast<float>(bx);
        ny = static_cast<float>(by);
    } else {
        nx = static_cast<float>(ax + t * dx);
        ny = static_cast<float>(ay + t * dy);
    }
    const double ex = px - nx;
    const double ey = py - ny;
    return std::sqrt(ex * ex + ey * ey);
}

double DistanceToLine(POINT p, POINT a, POINT b) {
    return DistanceToLine(p.x, p.y, a.x, a.y, b.x, b.y);
}

double DistanceToRect(POINT p, const RECT &r) {
    if (PointInRect(p, r))
        return 0.0;
    const double top = DistanceToLine(p.x, p.y, r.left, r.top, r.right, r.top);
    const double right = DistanceToLine(p.x, p.y, r.right, r.top, r.right, r.bottom);
    const double bottom = DistanceToLine(p.x, p.y, r.left, r.bottom, r.right, r.bottom);
    const double left = DistanceToLine(p.x, p.y, r.left, r.top, r.left, r.bottom);
    return std::min(std::min(top, right), std::min(bottom, left));
}

double DistanceToRect(POINT p, POINT topLeft, POINT bottomRight) {
    RECT r;
    r.left = topLeft.x;
    r.top = topLeft.y;
    r.right = bottomRight.x;
    r.bottom = bottomRight.y;
    return DistanceToRect(p, r);
}

bool PointInRect(const POINT &p, const RECT &r) {
    return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

namespace {

int OutCode(double x, double y, const RECT &r) {
    int code = 0;
    if (y > r.bottom)
        code = 4;
    else if (y < r.top)
        code = 8;
    if (x > r.right)
        code += 2;
    else if (x < r.left)
        code += 1;
    return code;
}

} // namespace

int CompOutCode(const POINT &p, const RECT &r) {
    return OutCode(p.x, p.y, r);
}

bool LineCrossesRect(POINT a, POINT b, const RECT &r) {
    // Cohen-Sutherland: clip the end points onto the rectangle's edges until both lie inside
    // (the segment crosses) or both lie beyond one edge (it misses). Each pass puts one end on
    // an edge line, so a few passes settle it; the bound only guards against rounding.
    double x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
    int c0 = OutCode(x0, y0, r);
    int c1 = OutCode(x1, y1, r);
    for (int pass = 0; pass < 16; ++pass) {
        if (c0 == 0 || c1 == 0)
            return true;
        if ((c0 & c1) != 0)
            return false;
        const int c = c0;
        double x, y;
        if (c & 8) {
            x = x0 + (x1 - x0) * (r.top - y0) / (y1 - y0);
            y = r.top;
        } else if (c & 4) {
            x = x0 + (x1 - x0) * (r.bottom - y0) / (y1 - y0);
            y = r.bottom;
        } else if (c & 2) {
            y = y0 + (y1 - y0) * (r.right - x0) / (x1 - x0);
            x = r.right;
        } else {
            y = y0 + (y1 - y0) * (r.left - x0) / (x1 - x0);
            x = r.left;
        }
        x0 = x;
        y0 = y;
        c0 = OutCode(x0, y0, r);
    }
    return false;
}

double SampleIdx2FlightTime(double idx, double separation, double interval, double timeZero) {
    return (idx + 1.0 - timeZero) * interval + separation / kSpeedOfLight;
}

double FlightTime2SampleIdx(double time, double separation, double interval, double timeZero) {
    return (time - separation / kSpeedOfLight) / interval + timeZero - 1.0;
}

double FlightTime2Depth(double time, double velocity, double separation) {
    const double halfSeparation = separation / 2.0;
    const double halfPath = velocity * std::fabs(time) / 2.0;
    const double a = halfSeparation * halfSeparation;
    const double b = halfPath * halfPath;
    if (a > b)
        return -DBL_MAX;
    const double depth = std::sqrt(b - a);
    return time < 0.0 ? -depth : depth;
}

double Depth2FlightTime(double depth, double velocity, double separation) {
    const double halfSeparation = separation / 2.0;
    return 2.0 * std::sqrt(depth * depth + halfSeparation * halfSeparation) / velocity;
}

double SampleIdx2Depth(double idx, double velocity, double separation, double interval,
                       double timeZero) {
    const double time = SampleIdx2FlightTime(idx, separation, interval, timeZero);
    const double d = FlightTime2Depth(time, velocity, separation);
    if (time > 0.0 || d < 0.0)
        return d;
    return -d;
}

double Depth2SampleIdx(double depth, double velocity, double separation, double interval,
                       double timeZero) {
    return timeZero - 1.0 +
           (Depth2FlightTime(depth, velocity, separation) - separation / kSpeedOfLight) / interval;
}

} // namespace ORQ
