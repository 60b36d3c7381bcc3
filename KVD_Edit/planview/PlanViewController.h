#pragma once

#include "KVD_Edit/planview/KvdGprLines.h"
#include "KVD_Edit/planview/LineDisplayTable.h"
#include "KVD_Edit/planview/PlanMap.h"
#include "KVD_Edit/planview/PlanScroll.h"
#include "KVD_Edit/planview/PlanTextCache.h"
#include "KVD_Edit/planview/PlanViewScales.h"
#include "KVD_Edit/planview/ZoomAndPan.h"

#include <memory>
#include <string>
#include <vector>

namespace ORQ {
class CKvdDataBlockInterface_V110;
}

// The selection list as the plan view uses it: it asks which lines are selected, sets the pen
// selected lines are drawn with, and changes the selection after a click or a rubber band.
class IPlanSelection : public ILineSelection {
public:
    virtual void SetFocusPen(COLORREF colour, const int *style, const int *width) = 0;
    // Empties the selection without telling any view.
    virtual void ClearSelection() = 0;
    // Adds a line and has every view of the document redrawn.
    virtual void AddToSelection(int set, int line) = 0;
};

// What the plan view reads from its document for one layout or paint.
struct SPlanViewDoc {
    const ORQ::CKvdDataBlockInterface_V110 *query = nullptr;
    // Counts the query interfaces the document has built: while query and generation stay the
    // same, the lines read from it last are still the project's and are not read again. 0: not
    // known, the lines are read at every paint.
    unsigned queryGeneration = 0;
    ORQ::EUnitType unit = ORQ::UNIT_M; // the document's display unit
    IPlanSelection *selection = nullptr;
    const SLineDisplayTable *lineDisplay = nullptr; // null: the default table
    bool showFiducials = false;
    bool showFiducialText = false;
    const CPrgFont *font = nullptr; // the program font
    // The project's coordinate format string and ellipsoid id (the cursor's world text).
    std::string gpsFormat;
    int ellipsoid = 23;
};

// Where one paint has laid the map out, handed to the steps around the line drawing.
struct SPlanPaintFrame {
    ORQ::SRectMeasure dataExtent;              // extent of the lines, in their positions' unit
    ORQ::SRectMeasure visibleExtent;           // the plot area in display units
    RECT plot{};                               // the plot area in logical units (y up)
    RECT devicePlot{};                         // the plot area in device pixels
    ORQ::SMeasure scale;                       // logical units per display unit
    const CLinesSource *lines = nullptr;       // the project's lines as this paint read them
    const IPlanSelection *selection = nullptr; // the document's selection
};

// The steps of a paint that other parts of the plan view perform, called at their place in the
// paint order. The window implements them; each does nothing by default.
class IPlanPaintSteps {
public:
    virtual ~IPlanPaintSteps() = default;
    // After the layout, before anything is drawn: the GPS data and the layers' renderer take
    // the extents, the local-to-world definition and the plot rectangle.
    virtual void PrepareLayers(CPlanDC *, const SPlanPaintFrame &) {}
    // The compass in the plot area's top-right corner (anchor in device pixels).
    virtual void DrawCompass(CPlanDC *, POINT) {}
    // One GPS layer (kind 0 to 3) in its two styles, over the lines.
    virtual void DrawLayer(CPlanDC *, int, const SLineDisplayEntry &, const SLineDisplayEntry &,
                           const ORQ::SMeasure &) {}
    // After the layers: the hint about points beyond the drawable range.
    virtual void AfterLayers() {}
};

// The plan view's own logic, without a window: lays the map of the project's lines out in a
// client rectangle (scale bars along the top and left, the map in the rest), paints lines,
// scale bars and the compass in their order, keeps the requested map rectangle through Fit,
// Zoom In, Zoom Out, rectangle zoom, pan and the scroll bars, selects lines by click or
// rubber band and turns keys into the child frame's commands. All points are device pixels.
class CPlanViewController {
public:
    // Cursor ids of OnMouseMove beyond those of CZoomAndPan: a line under the mouse.
    enum { CURSOR_HAND = 32649 };
    // Results of Layout.
    enum { LAYOUT_NONE = 0, LAYOUT_DONE = 1, LAYOUT_AGAIN = 2 };
    // Platform key codes the plan view turns into commands.
    enum { VK_INSERT = 0x2D, VK_DELETE = 0x2E };

    CPlanViewController();
    CPlanViewController(const CPlanViewController &) = delete;
    CPlanViewController &operator=(const CPlanViewController &) = delete;

    // Takes the requested rectangle of another view (a printout shows what the screen shows).
    void CopyViewFrom(const CPlanViewController &other);

    // Lays the map out in client (device pixels of dc's current mapping) and leaves dc in the
    // map's mapping. LAYOUT_NONE: nothing to draw (no line extent, no room); LAYOUT_AGAIN: the
    // requested rectangle was centred on flat lines and the layout must run again.
    int Layout(CPlanDC *dc, const RECT &client, const SPlanViewDoc &doc);
    // Lays out and draws everything of the map in order. Returns 1 when a map was drawn.
    int Paint(CPlanDC *dc, const RECT &client, const SPlanViewDoc &doc,
              IPlanPaintSteps *steps = nullptr);

    // Commands the document forwards. Each returns true when the map must be redrawn.
    bool ZoomToFit(const SPlanViewDoc &doc);
    bool ZoomIn(const SPlanViewDoc &doc);
    bool ZoomOut(const SPlanViewDoc &doc);
    int ToggleZoomArea() { return m_zoom.ToggleZoomArea(); }
    void TogglePan() { m_zoom.TogglePan(); }
    const CZoomAndPan &ZoomAndPan() const { return m_zoom; }

    // Mouse steps (device pixels). OnMouseMove returns the cursor id to show (CZoomAndPan's
    // ids, or CURSOR_HAND over a line); buttons tells whether any button or modifier is down.
    void OnLButtonDown(POINT point);
    int OnMouseMove(POINT point, bool buttons);
    // Ends a rubber band (selecting what it touches, adding with ctrl) or a zoom-and-pan drag.
    // Returns true when the requested rectangle changed (the map must be redrawn).
    bool OnLButtonUp(POINT point, bool ctrl, const SPlanViewDoc &doc);
    bool IsRubberBandActive() const { return m_bandAnchor != nullptr; }
    // The rubber band in device pixels, normalised.
    const RECT &GetRubberBand() const { return m_band; }
    // The point moved into the device plot of the last layout.
    POINT ClampToPlot(POINT point) const;

    // The command (a KVDCmd id) a key posts to the child frame, 0 for none.
    static int CommandForKey(int virtualKey, bool ctrl);

    // A scroll request on a bar (CPlanScroll codes); info is the bar's state as shown. Returns
    // true when the requested rectangle moved (info then holds the new bar state).
    bool OnScroll(int bar, int code, SPlanScrollInfo &info, const SPlanViewDoc &doc);
    // The bar states of the last layout; false before any layout drew a map.
    bool GetScrollInfo(int bar, SPlanScrollInfo &info) const;

    // The map rectangle to show (display unit after a layout).
    ORQ::SRectMeasure GetRequested() const { return m_map.GetRequestedDimensions(); }
    ORQ::SMeasure GetScale() const { return m_scale; }
    const RECT &GetPlot() const { return m_plot; }
    const RECT &GetDevicePlot() const { return m_devicePlot; }
    const CKvdGprLines &Lines() const { return m_lines; }
    const CKvdGprLines::SPolylines &DeviceLines() const { return m_deviceLines; }
    const CPlanViewScales &Scales() const { return m_scales; }
    // The device areas that a change of the selection since the last paint must draw anew:
    // for each line whose selection changed, what its drawing covered and its rectangle, with
    // room for the other style's pens and markers. False before a paint of lines (the whole map
    // must be drawn); empty when no line changed.
    bool SelectionDamage(const SPlanViewDoc &doc, std::vector<SDRect> &areas) const;
    // Whether the paints lay each text out once and keep it (the default, for the screen); a
    // printer page lays its texts out in its own resolution every time.
    void CacheTexts(bool on) { m_cacheTexts = on; }
    const CPlanTextCache &TextCache() const { return m_textCache; }

private:
    bool DataBounds(ORQ::SRectMeasure &rect, const SPlanViewDoc &doc);
    void SetRequested(ORQ::SRectMeasure rect, const ORQ::EUnitType *unit);

    RECT m_plot{};
    CPlanMap m_map;
    CPlanViewScales m_scales;
    ORQ::SMeasure m_scale;
    CZoomAndPan m_zoom;
    CKvdGprLines m_lines;
    CKvdGprLines::SPolylines m_deviceLines;
    std::unique_ptr<POINT> m_bandAnchor;
    RECT m_band{};
    CLinesSource m_source;
    // What m_source and m_sourceBounds were read from (see SPlanViewDoc::queryGeneration).
    const ORQ::CKvdDataBlockInterface_V110 *m_sourceQuery = nullptr;
    unsigned m_sourceGeneration = 0;
    // Counts the readings of m_source, so that the lines' geometry is rebuilt only after one.
    unsigned m_sourceVersion = 0;
    bool m_sourceHasBounds = false;
    ORQ::SRectMeasure m_sourceBounds;
    ORQ::SRectMeasure m_dataExtent; // of the last layout, in the positions' unit
    RECT m_devicePlot{};
    bool m_laidOut = false;
    bool m_haveScroll = false;
    SPlanScrollInfo m_scroll[2];
    CPlanTextCache m_textCache;
    // What each line drew in the last paint, and the room around it a change of style may need.
    CPlanExtents m_extents;
    double m_selectionRoom = 0;
    bool m_linesPainted = false;
    bool m_cacheTexts = true;
};
