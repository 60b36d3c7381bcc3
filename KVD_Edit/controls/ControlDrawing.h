#pragma once

// Drawing steps the custom controls share.

#include <wx/colour.h>
#include <wx/gdicmn.h>

class wxGraphicsContext;

namespace ControlDrawing {

// A one-pixel frame just inside rect: topLeft on the left and top sides, bottomRight on the
// right and bottom (a 3-D rectangle).
void Draw3dRect(wxGraphicsContext &gc, const wxRect &rect, const wxColour &topLeft,
                const wxColour &bottomRight);
// A two-pixel raised (or sunken) edge of the system's 3-D colours.
void DrawEdge(wxGraphicsContext &gc, const wxRect &rect, bool raised);
// A dotted focus rectangle just inside rect.
void DrawFocusRect(wxGraphicsContext &gc, const wxRect &rect, const wxColour &colour);
// A downward arrow box (drop-down button), pressed or not, greyed when disabled.
void DrawDropArrow(wxGraphicsContext &gc, const wxRect &rect, bool pressed, bool disabled);

} // namespace ControlDrawing
