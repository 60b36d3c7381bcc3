#pragma once

#include "KVD_Edit/planview/PlanGeometry.h"

// Clipping of segments in doubles. Device coordinates of far-away lines can exceed the range
// that the graphics backend holds exactly (cairo keeps 24.8 fixed point), so every segment is
// cut to the drawable area before it is drawn.

// Cuts the segment a-b to the rectangle (Liang-Barsky). Returns false when nothing of it lies
// inside; otherwise a and b are moved onto the part inside. Non-finite input is refused.
bool ClipSegment(SDPoint &a, SDPoint &b, const SDRect &box);

// Whether the point lies inside the rectangle, edges included.
bool PointInBox(const SDPoint &p, const SDRect &box);
