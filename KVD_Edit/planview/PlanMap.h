#pragma once

#include "KVD_Edit/planview/PlanDC.h"

// Places a rectangle of the survey's local grid (the requested rectangle, y up) onto a target
// rectangle of a drawing context: one scale for both axes, the largest that fits the whole
// rectangle, y growing upwards, the map anchored at one of nine places of the target.
class CPlanMap {
public:
    CPlanMap();

    // Stores the rectangle as the one to show. With a unit given, the caller's rectangle is
    // first converted into that unit (so it changes too). A rectangle without width or height
    // is widened to a minimum size about its centre, so that a scale can always be found.
    void SetRequestedDimensions(ORQ::SRectMeasure &rect, const ORQ::EUnitType *unit,
                                EScreenPosition anchor);
    ORQ::SRectMeasure GetRequestedDimensions() const { return m_requested; }
    EScreenPosition GetAnchor() const { return m_anchor; }

    // Sets dc's mapping so that the requested rectangle fits into target (device units of dc's
    // current mapping) and turns target into logical units of the new mapping. Returns the
    // scale: logical units per unit of the requested rectangle, in that unit; (-1, metre) and
    // dc untouched when the target is empty.
    ORQ::SMeasure DCSetup(CPlanDC *dc, RECT &target);

    // The point of a rectangle that an anchor code names (the centre for unknown codes).
    static POINT AnchorPoint(const RECT &r, EScreenPosition anchor);

private:
    ORQ::SRectMeasure m_requested;
    EScreenPosition m_anchor = 0;
};

// Each edge of a logical rectangle divided by the scale value, in the scale's unit.
ORQ::SRectMeasure MapRectToMeasure(const RECT &logical, const ORQ::SMeasure &scale);

// Smallest width or height a requested rectangle may have (in its own unit); a single point or
// a single straight line is shown with this size about its centre.
constexpr double kMinRequestedSize = 1.0;

// Lines on a single Y value (or X value) have an extent without height (or width); the map of
// them is first laid out at the minimum size. This centres the requested rectangle on the lines
// with the height (or width) of the area the layout showed, so that they sit in the middle of
// the plot. Returns true when the requested rectangle changed (the caller stores it again and
// lays out anew).
bool RecentreFlatExtent(ORQ::SRectMeasure &requested, const ORQ::SRectMeasure &data,
                        const ORQ::SRectMeasure &visible);
