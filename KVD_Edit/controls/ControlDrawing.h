#pragma once

// Drawing steps the custom controls share.

#include <wx/colour.h>
#include <wx/gdicmn.h>

#include <memory>

class wxDC;
class wxGraphicsContext;

namespace ControlDrawing {

// A graphics context on dc that draws at exactly the coordinates given: a one-pixel line at
// x + 0.5 covers pixel column x (the toolkit's own half-pixel shift, which would smear it over
// two columns, is off). Null when none can be made.
std::unique_ptr<wxGraphicsContext> CreateContext(wxDC &dc);

// A one-pixel frame just inside rect: topLeft on the left and top sides, bottomRight on the
// right and bottom (a 3-D rectangle).
void Draw3dRect(wxGraphicsContext &gc, const wxRect &rect, const wxColour &topLeft,
                const wxColour &bottomRight);
// A two-pixel raised (or sunken) edge of the system's 3-D colours.
void DrawEdge(wxGraphicsContext &gc, const wxRect &rect, bool raised);
// A dotted focus rectangle just inside rect.
void DrawFocusRect(wxGraphicsContext &gc, const wxRect &rect, const wxColour &colour);
// The background of an editable field: the window colour, or the face colour when disabled.
wxColour FieldBackground(bool disabled);
// The fill of a hovered cell of a popup grid: the selection colour, lightened toward the
// popup's background so that samples drawn in the text colour stay readable on it.
wxColour HotCellFill();
// a mixed with b: share (0 to 1) of a, the rest of b.
wxColour Mix(const wxColour &a, const wxColour &b, double share);
// A downward arrow box (drop-down button), pressed or not, greyed when disabled.
void DrawDropArrow(wxGraphicsContext &gc, const wxRect &rect, bool pressed, bool disabled);

} // namespace ControlDrawing
