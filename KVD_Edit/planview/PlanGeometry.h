#pragma once

// Small geometry records of the plan view: integer rectangles and sizes in logical or device
// units with the operations the Windows platform gave them, double points for drawing, colours
// and the text-alignment and pen-style codes the plan view's logic is written in.

#include "KVD_Edit/transform/Math2D.h"
#include "orq_utils/Measure.h"

#include <algorithm>
#include <cstdint>

using ORQ::POINT;
using ORQ::RECT;

using COLORREF = std::uint32_t;
using UINT = unsigned int;

// Colour as the platform wrote it: red in the low byte.
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Text alignment bits (horizontal: mask 6, vertical: mask 24).
enum : UINT {
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
};

// Pen styles of the line display table.
enum : int {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
};

// Background modes of text output.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Place of a frame decoration or map anchor: mask 6 horizontal (0 left, 2 right, 4 or 6
// centre), mask 24 vertical (0 top, 8 bottom, 16 or 24 centre).
using EScreenPosition = int;

struct CSize {
    int cx = 0;
    int cy = 0;
    CSize() = default;
    CSize(int x, int y) : cx(x), cy(y) {}
    bool operator==(const CSize &o) const { return cx == o.cx && cy == o.cy; }
    bool operator!=(const CSize &o) const { return !(*this == o); }
};

// Rectangle helpers with the platform's semantics: right and bottom are exclusive, a rectangle
// is empty when it has no width or no height.
namespace PlanRect {

inline RECT Make(int l, int t, int r, int b) {
    RECT rc;
    rc.left = l;
    rc.top = t;
    rc.right = r;
    rc.bottom = b;
    return rc;
}
inline POINT Pt(int x, int y) {
    POINT p;
    p.x = x;
    p.y = y;
    return p;
}
inline int Width(const RECT &r) {
    return r.right - r.left;
}
inline int Height(const RECT &r) {
    return r.bottom - r.top;
}
inline bool IsEmpty(const RECT &r) {
    return r.right <= r.left || r.bottom <= r.top;
}
inline bool Equal(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline RECT Normalized(const RECT &r) {
    return Make(std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom));
}
inline RECT Inflated(const RECT &r, int dx, int dy) {
    return Make(r.left - dx, r.top - dy, r.right + dx, r.bottom + dy);
}
inline RECT Offset(const RECT &r, int dx, int dy) {
    return Make(r.left + dx, r.top + dy, r.right + dx, r.bottom + dy);
}
inline bool PtIn(const RECT &r, const POINT &p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
// The point moved into the rectangle (normalised): left and top are inside, right and bottom
// are not, so a coordinate at or beyond them becomes right - 1 or bottom - 1. An empty
// rectangle leaves the point as it is.
inline POINT Clamp(const RECT &r, POINT p) {
    if (IsEmpty(r))
        return p;
    p.x = std::clamp(p.x, r.left, r.right - 1);
    p.y = std::clamp(p.y, r.top, r.bottom - 1);
    return p;
}
// Intersection of two normalised rectangles; empty (all zero) when they do not overlap.
inline bool Intersect(RECT &out, const RECT &a, const RECT &b) {
    RECT r = Make(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom));
    if (IsEmpty(r)) {
        out = Make(0, 0, 0, 0);
        return false;
    }
    out = r;
    return true;
}
inline bool Intersects(const RECT &a, const RECT &b) {
    RECT r;
    return Intersect(r, a, b);
}

} // namespace PlanRect

// A point in double device coordinates, for drawing after clipping.
struct SDPoint {
    double x = 0;
    double y = 0;
};

// A rectangle in doubles (left <= right, top <= bottom in device units).
struct SDRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The shared linear interpolation by value: y0 when the interval is empty (x1 = x0).
inline double PlanInterpolate(double x, double x0, double x1, double y0, double y1) {
    return LinearInterpolate(&x, &x0, &x1, &y0, &y1);
}
