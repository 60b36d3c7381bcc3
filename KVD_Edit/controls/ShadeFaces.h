#pragma once

// The shaded faces of CShadeButtonST: a pattern of palette indices (gradients, bumps, a metal
// cylinder, streaks or noise) over a 256-entry palette running from the shadow colour through
// the face colour to the highlight colour, and a highlighted copy for the hovered state.

#include "KVD_Edit/controls/CeXDib.h"

#include <functional>

// Shade styles of BuildShadedFaces.
namespace ShadeStyle {
enum : int {
    Noise = 0,
    DiagonalGradient = 1,
    VerticalGradient = 2,   // the level changes from bottom to top
    HorizontalGradient = 3, // the level changes from right to left
    VerticalBump = 4,
    HorizontalBump = 5,
    TwoWayBump = 6,
    Cylinder = 7, // a metal cylinder with rounded ends
    Streaks = 8
};
}

struct SShadeColours {
    wxColour shadow, face, highlight;
};

// Builds normal and hot faces of width x height. random gives uniform integers 0 to 32767 (the
// faces differ from run to run only by it). A size of 0 leaves both faces empty.
void BuildShadeFaces(CCeXDib &normal, CCeXDib &hot, int width, int height, int shade,
                     int granularity, int highlight, int colouring, const wxColour &colour,
                     const SShadeColours &system, const std::function<int()> &random);
