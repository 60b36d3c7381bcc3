#pragma once

#include "KVD_Edit/planview/PlanGeometry.h"

// Where a bitmap of W x H pixels goes when it is turned clockwise on screen by an angle: the
// size of the new bitmap and the destination points of the source's upper-left, upper-right
// and lower-left corners. The compass in the plan view's top-right corner is drawn this way.
struct SRotatedLayout {
    int width = 0;
    int height = 0;
    POINT upperLeft{};
    POINT upperRight{};
    POINT lowerLeft{};
    double radians = 0; // the angle reduced to [0, 2 pi)
};

// Any angle is reduced modulo 360 degrees first; a non-finite angle counts as 0.
SRotatedLayout RotatedLayout(int width, int height, double degrees);
