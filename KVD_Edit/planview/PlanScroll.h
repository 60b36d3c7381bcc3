#pragma once

#include "KVD_Edit/planview/PlanGeometry.h"

// The plan view's scroll bars move the shown rectangle over the lines' extent. Position, page
// and range are thousandths of a display unit; y grows upwards, so the vertical bar's position
// counts down from the extent's top.
struct SPlanScrollInfo {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int trackPos = 0;
};

class CPlanScroll {
public:
    enum EBar { BAR_HORZ = 0, BAR_VERT = 1 };
    // Scroll request codes (left/up and right/down share their values).
    enum ECode {
        SB_LINEUP = 0,
        SB_LINEDOWN = 1,
        SB_PAGEUP = 2,
        SB_PAGEDOWN = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
        SB_TOP = 6,
        SB_BOTTOM = 7,
        SB_ENDSCROLL = 8,
    };

    // Range, page and position of a bar for the extent of the lines (data) and the rectangle
    // shown (view), both in the display unit.
    static SPlanScrollInfo Compute(int bar, const ORQ::SRectMeasure &data,
                                   const ORQ::SRectMeasure &view);

    // Applies a scroll request to the shown rectangle and the bar's information. Returns false
    // (nothing changed) without a usable extent, for a thumb message at the current position
    // and for the end of scrolling.
    static bool Scroll(int bar, int code, SPlanScrollInfo &info, const ORQ::SRectMeasure &data,
                       ORQ::SRectMeasure &view);
};
