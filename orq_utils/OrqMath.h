#pragma once

#include "orq_utils/OrqExport.h"

#include <cstdint>

namespace ORQ {

// Device coordinates (pixels); y grows downwards, so "above" means y < top.
struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

inline bool operator==(const POINT &a, const POINT &b) {
    return a.x == b.x && a.y == b.y;
}
inline bool operator!=(const POINT &a, const POINT &b) {
    return !(a == b);
}
inline bool operator==(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const RECT &a, const RECT &b) {
    return !(a == b);
}

// Speed of light in air, metres per nanosecond.
constexpr double kSpeedOfLight = 0.2997925;

// Rounding and tolerant comparison.

// x rounded half up at n decimals: floor((x * 10^(n+1) + 5) / 10) / 10^n.
ORQ_UTILS_API double Round(const double &x, int n);
// Round(a, n) == Round(b, n), exactly.
ORQ_UTILS_API bool DEquals(double a, double b, int n);
// x moved to a multiple of m: the nearest one (halves upwards) for positive x, the one towards
// zero for negative x. An m of 0 leaves x unchanged.
ORQ_UTILS_API double RoundToMultiple(const double &x, const double &m);
// Relative comparisons: eps scales with the larger (EssentiallyEqual: the smaller) magnitude.
ORQ_UTILS_API bool ApproximatelyEqual(double a, double b, double eps);
ORQ_UTILS_API bool EssentiallyEqual(double a, double b, double eps);
ORQ_UTILS_API bool DefinitelyGreaterThan(double a, double b, double eps);
ORQ_UTILS_API bool DefinitelyLessThan(double a, double b, double eps);

// Distances and clipping in device coordinates.

ORQ_UTILS_API double CalcDistance(POINT a, POINT b);
// Distance from P to the segment AB (to A when A and B coincide).
ORQ_UTILS_API double DistanceToLine(double px, double py, double ax, double ay, double bx,
                                    double by);
ORQ_UTILS_API double DistanceToLine(POINT p, POINT a, POINT b);
// 0 inside (edges included), else the distance to the nearest edge.
ORQ_UTILS_API double DistanceToRect(POINT p, const RECT &r);
ORQ_UTILS_API double DistanceToRect(POINT p, POINT topLeft, POINT bottomRight);
ORQ_UTILS_API bool PointInRect(const POINT &p, const RECT &r);
// Out code: 1 left, 2 right, 4 below (y > bottom), 8 above (y < top); 0 inside or on an edge.
ORQ_UTILS_API int CompOutCode(const POINT &p, const RECT &r);
// True when any part of the segment ab lies in r (edges included).
ORQ_UTILS_API bool LineCrossesRect(POINT a, POINT b, const RECT &r);

// Radar conversions: times in ns, lengths in m, velocities in m/ns; the time-zero position is a
// sample position counted from 1.

ORQ_UTILS_API double SampleIdx2FlightTime(double idx, double separation, double interval,
                                          double timeZero);
ORQ_UTILS_API double FlightTime2SampleIdx(double time, double separation, double interval,
                                          double timeZero);
// The most negative double when no depth exists for the time (antennas further apart than the
// pulse travelled); negative times give negative depths.
ORQ_UTILS_API double FlightTime2Depth(double time, double velocity, double separation);
ORQ_UTILS_API double Depth2FlightTime(double depth, double velocity, double separation);
ORQ_UTILS_API double SampleIdx2Depth(double idx, double velocity, double separation,
                                     double interval, double timeZero);
ORQ_UTILS_API double Depth2SampleIdx(double depth, double velocity, double separation,
                                     double interval, double timeZero);

} // namespace ORQ
