#pragma once

// Small inline helpers shared by the plan view, the cursor and the GPS readers.

namespace ORQ::Transform {

// A point of the plane.
struct SPoint2D {
    double x = 0.0;
    double y = 0.0;
};

} // namespace ORQ::Transform

// Sets the point to (0, 0) and returns it.
inline ORQ::Transform::SPoint2D *ZeroPoint2D(ORQ::Transform::SPoint2D *point) {
    if (point)
        point->x = point->y = 0.0;
    return point;
}

// The value at x on the straight line through (x0, y0) and (x1, y1). When x0 equals x1 there is
// no line: y0 is the answer rather than a division by zero.
inline double LinearInterpolate(const double *x, const double *x0, const double *x1,
                                const double *y0, const double *y1) {
    if (*x1 == *x0)
        return *y0;
    return *y0 + (*x - *x0) * (*y1 - *y0) / (*x1 - *x0);
}
