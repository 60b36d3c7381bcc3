#pragma once

#include "KVD_Edit/planview/PlanGeometry.h"
#include "orq_utils/Measure.h"

#include <string>

// What the crosshair cursor needs of its plan view: the world-coordinate text of a point of the
// view (the renderer's) and the main frame's status panes.
class ICursorHost {
public:
    virtual ~ICursorHost() = default;
    virtual std::string GetCursorStatusText(POINT devicePoint) = 0;
    // Pane 0 the message pane, 1 the local position, 2 the world position.
    virtual void SetStatusText(int pane, const std::string &text) = 0;
};

// The plan view's crosshair: one vertical and one horizontal line through the mouse point, and
// the point's local and world position for the status bar. It keeps the lines and texts; the
// window draws the lines over its map (they never reach the map itself or a printed page).
// Every point is in device pixels of the window.
class CCursor {
public:
    // Colour of the crosshair: visible on the white map and distinct from the lines' colours.
    static constexpr unsigned kColour = 0x808080; // grey

    explicit CCursor(ICursorHost *host = nullptr) : m_host(host) {}
    void Init(ICursorHost *host) { m_host = host; }

    // The coordinate format and ellipsoid of the project, kept for the view.
    void SetGPSFormat(const std::string &format, int ellipsoid);
    const std::string &GetGPSFormat() const { return m_gpsFormat; }
    int GetEllipsoid() const { return m_ellipsoid; }
    // The plot area and the world values at its left, top, right and bottom edges.
    void SetPlotArea(const RECT &plot, const ORQ::SRectMeasure &world);
    const RECT &GetPlotRect() const { return m_plot; }

    // Left and top are inside the plot area; right and bottom are outside.
    bool IsInPlot(POINT point) const { return PlanRect::PtIn(m_plot, point); }
    // The point moved into the plot area (the rule of PlanRect::Clamp).
    POINT ClampToPlot(POINT point) const { return PlanRect::Clamp(m_plot, point); }

    // Moves the crosshair to a point in the plot area (others are ignored): the vertical line
    // from the window's top to the plot's bottom, the horizontal one across the client width.
    // True when it moved.
    bool MoveTo(POINT point, int clientWidth);
    // Takes a point in the plot area into the texts (others keep them) and, with show, writes
    // them into the status panes (pane 0 emptied, 1 the local, 2 the world position).
    void UpdatePosition(POINT point, bool show);
    // UpdatePosition of the last point, shown: after the local-to-world definition changed.
    void Refresh() { UpdatePosition(m_lastPoint, true); }
    // The mouse left the window: the crosshair goes, the panes keep their texts unless (0, 0)
    // lies in the plot area.
    void OnMouseLeave();

    bool IsShown() const { return !PlanRect::IsEmpty(BoundsOf(m_vertical)); }
    // Start (left, top) and end (right, bottom) of each line; empty when none is drawn.
    const RECT &GetVerticalLine() const { return m_vertical; }
    const RECT &GetHorizontalLine() const { return m_horizontal; }
    // The pixels both lines cover (to redraw them), empty when none is drawn.
    RECT GetCoveredRect(bool vertical) const;

    const std::string &GetPositionText() const { return m_positionText; }
    const std::string &GetWorldText() const { return m_worldText; }
    POINT GetLastPoint() const { return m_lastPoint; }

private:
    // The pixels of a line from (left, top) to (right, bottom), one pixel wide.
    static RECT BoundsOf(const RECT &line);

    ICursorHost *m_host;
    std::string m_worldText;
    std::string m_positionText;
    std::string m_gpsFormat;
    POINT m_lastPoint{};
    int m_ellipsoid = 23;
    ORQ::SRectMeasure m_world{0, 0, 0, 0, ORQ::UNIT_M};
    RECT m_vertical{};
    RECT m_horizontal{};
    RECT m_plot{};
};
