#pragma once

#include "KVD_Edit/planview/PlanGeometry.h"

#include <memory>

// Zoom and pan state of one plan view: the armed mouse mode (rectangle zoom or pan), the
// rubber band of a rectangle zoom, the button-down point, and the world rectangle the plot area
// shows with the matching device rectangle. It turns a dragged rectangle into a new extent, a
// drag in pan mode into a shifted extent and Zoom In / Zoom Out into an extent scaled about its
// centre. The plan view copies the results into the plan map's requested rectangle.
//
// The rubber band is not drawn with XOR: DrawFocus toggles whether it is shown, and the window
// draws the shown focus rectangle as an overlay. The mouse cursor to show is a plain id that
// the window applies.
class CZoomAndPan {
public:
    enum EMode { MODE_NONE = 0, MODE_ZOOM_AREA = 1, MODE_PAN = 2, MODE_PANNING = 3 };
    // Cursor ids: the system arrow and the three cursor resources.
    enum ECursor { CURSOR_ARROW = 0, CURSOR_PAN = 206, CURSOR_PANNING = 207, CURSOR_ZOOM = 208 };

    CZoomAndPan();

    void SetExtent(const ORQ::SRectMeasure &extent, const RECT &devicePlot);
    ORQ::SRectMeasure GetExtent() const { return m_extent; }
    const RECT &GetDevicePlot() const { return m_devicePlot; }
    void Reset();
    int GetMode() const { return m_mode; }
    bool IsActive() const { return m_mode != MODE_NONE; }
    int ToggleZoomArea();
    bool IsZoomAreaMode() const { return m_mode == MODE_ZOOM_AREA; }
    void TogglePan();
    bool IsPanMode() const { return m_mode == MODE_PAN; }
    ORQ::SRectMeasure ZoomIn(const ORQ::SRectMeasure &current);
    ORQ::SRectMeasure ZoomOut(const ORQ::SRectMeasure &current);
    void UpdateCursor();
    int GetCursor() const { return m_cursor; }

    // Shows (or, when shown, hides) the focus rectangle; a corner first moves its free corner.
    // draw false only updates the rectangle, as a call without a device context did.
    void DrawFocus(bool draw, const POINT *corner);
    bool IsFocusShown() const { return m_focusShown; }
    const RECT &GetFocus() const { return m_focus; }

    // Mouse steps in device units; the plan view calls them while the mode is not 0.
    void OnLButtonDown(POINT point);
    void OnMouseMove(POINT point);
    // Returns true when the extent changed (a finished zoom or pan).
    bool OnLButtonUp(POINT point);

    // Scales the rectangle about its centre by f; the unit stays.
    static void ScaleAboutCentre(ORQ::SRectMeasure &r, double f);

private:
    bool ZoomToFocus();
    bool Pan();

    ORQ::SRectMeasure m_extent;
    RECT m_devicePlot{};
    int m_mode = MODE_NONE;
    RECT m_focus{};
    std::unique_ptr<POINT> m_anchor;
    int m_cursor = CURSOR_ARROW;
    bool m_focusShown = false;
};
