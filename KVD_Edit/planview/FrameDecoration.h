#pragma once

#include "KVD_Edit/planview/PlanDC.h"

// Base of everything the plan view draws in the margins around its map (scale bars, their
// container, the legend). A decoration belongs to a side or corner of the frame by its position
// code (2 right, 4 horizontally centred, 8 bottom, 16 vertically centred; 30 the centre) and
// can take the room it needs from a free rectangle, so that the decorations carve the margins
// out of the window before the map takes the rest.
class CFrameDecoration {
public:
    CFrameDecoration() = default;
    virtual ~CFrameDecoration() = default;

    virtual int Draw(CPlanDC *dc) = 0;
    // The room the decoration needs, in logical units of dc.
    virtual CSize GetSize(CPlanDC *dc) = 0;

    // Takes the decoration's band from free (logical units; comparisons in device units).
    // With snap the band is measured from the frame's edge again. Returns -1 when the rectangle
    // left over is empty (it is still stored in free when it changed), 0 when free did not
    // change, 1 when it changed and the decoration fits, 2 when it changed and it does not fit.
    virtual int ReserveSpace(RECT *free, const RECT *frame, CPlanDC *dc, bool snap);

    // The rectangle a text covers when drawn at point with the alignment *align (dc's current
    // alignment when null), enlarged by inflate when given.
    static RECT GetTextPosEstimate(CPlanDC *dc, POINT point, const char *text, const RECT *inflate,
                                   const UINT *align);

    int GetPosition() const { return m_position; }
    void SetPosition(int position) { m_position = position; }

    static bool BelongsToTop(int code) { return code == 0 || code == 2 || code == 6; }
    static bool BelongsToBottom(int code) { return code == 8 || code == 10 || code == 14; }
    static bool BelongsToLeft(int code) { return code == 0 || code == 8 || code == 24; }
    static bool BelongsToRight(int code) { return code == 2 || code == 10 || code == 26; }

protected:
    int m_position = 30;
};
