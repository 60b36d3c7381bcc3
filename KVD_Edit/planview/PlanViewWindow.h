#pragma once

#include "KVD_Edit/planview/Cursor.h"
#include "KVD_Edit/planview/PlanRenderer.h"
#include "KVD_Edit/planview/PlanViewController.h"

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <string>

class CGPSInfo;
class CSplashDlg;
struct SLocalWorldDef;
class wxDC;
class wxGraphicsContext;

// What the plan view's window needs of the project it shows. The document's view implements it;
// tests give a window a project of their own.
class IPlanViewHost {
public:
    virtual ~IPlanViewHost() = default;
    // The document's state for a layout; false without a document (nothing is drawn).
    virtual bool GetPlanDoc(SPlanViewDoc &doc) = 0;
    // The document's GPS data and the project's local-to-world definition; null when missing.
    virtual CGPSInfo *GetGPSInfo() { return nullptr; }
    virtual SLocalWorldDef *GetLocalWorldDef() { return nullptr; }
    // A left click in the plot area (device pixels, moved into the plot area) with the point
    // the renderer makes of it; the local-to-world dialog takes it while it waits for a point
    // (true: taken, the click does nothing else).
    virtual bool OfferViewPoint(POINT, const SPlanPointInfo &) { return false; }
    // Posts a command to the child frame.
    virtual void PostFrameCommand(int command) = 0;
    // Text of a pane of the main frame's status bar (0 message, 1 local, 2 world position).
    virtual void SetStatusText(int, const std::string &) {}
};

// The plan view's window, the right-hand pane of a project's frame: draws the map of the lines
// (kept in an off-screen image, so that rubber bands and zoom rectangles are drawn over it
// without rebuilding the map), moves the map with its scroll bars, selects lines with the
// mouse, zooms and pans, and turns Ins, Del, Ctrl+A and Ctrl+D into the frame's commands. Its
// renderer draws the GPS layers into the map; the crosshair cursor follows the mouse over the
// map (never redrawing it) and writes the point's local and world position to the status bar.
class CPlanViewWindow : public wxWindow, private IPlanPaintSteps, private ICursorHost {
public:
    CPlanViewWindow(wxWindow *parent, IPlanViewHost *host);
    ~CPlanViewWindow() override;

    // The host the window asks (null: the window draws nothing and posts nothing).
    void SetHost(IPlanViewHost *host) { m_host = host; }

    // Loads the compass image (a bitmap file); a missing or unreadable file draws no compass.
    bool LoadCompass(const std::string &path);
    // The map must be drawn anew (document changes, zoom, pan, scrolling).
    void InvalidateMap();
    // The document's selection changed: the next paint draws anew only where a line's
    // selection changed, with the pixels a whole drawing of the map would give.
    void SelectionChanged();

    // The commands the document forwards.
    void ZoomToFit();
    int ToggleZoomArea();
    void ZoomIn();
    void ZoomOut();
    void TogglePan();
    bool IsZoomAreaMode() const { return m_controller.ZoomAndPan().IsZoomAreaMode(); }
    bool IsPanMode() const { return m_controller.ZoomAndPan().IsPanMode(); }

    // Draws the whole map onto dc (a printer page or any other target) laid out in dc's own
    // size and resolution, compass included; the window's own view is left as it is.
    bool DrawOnto(wxDC &dc);

    // What the window shows: the map (drawn first when it is out of date) with the rubber band
    // or zoom rectangle over it.
    wxBitmap Snapshot();

    const CPlanViewController &Controller() const { return m_controller; }
    // The window's renderer: north heading, transform and coordinate texts of the map shown.
    const CPlanRenderer &Renderer() const { return m_renderer; }
    const CCursor &Cursor() const { return m_cursor; }
    // Writes the cursor's last point into the status panes again, after the local-to-world
    // definition changed: the map is drawn first, so that the renderer's transform (and the
    // compass) are those of the new definition, whether or not a paint came first.
    void RefreshCursor();
    // How often the map itself has been drawn whole (not counting overlays), and how often in
    // part after a change of the selection.
    int MapDrawCount() const { return m_mapDraws; }
    int PartDrawCount() const { return m_partDraws; }
    // The hint about points beyond the drawable range, while it exists.
    CSplashDlg *GetRangeHint() const { return m_hint.get(); }

private:
    // Paint steps of the plan view.
    void PrepareLayers(CPlanDC *dc, const SPlanPaintFrame &frame) override;
    void DrawCompass(CPlanDC *dc, POINT anchor) override;
    void DrawLayer(CPlanDC *dc, int kind, const SLineDisplayEntry &active,
                   const SLineDisplayEntry &inactive, const ORQ::SMeasure &scale) override;
    void AfterLayers() override;
    void ShowInvalidTraceMessage();
    // ICursorHost
    std::string GetCursorStatusText(POINT devicePoint) override;
    void SetStatusText(int pane, const std::string &text) override;
    // The crosshair to a point (device pixels, moved into the plot area), redrawing only the
    // pixels of the old and the new lines.
    void MoveCrosshair(POINT point);
    void RefreshCrosshairArea();
    void ShowRangeHint();
    // A key or button press closes an open hint first; true when it did (the press ends there).
    bool HintTakes(const wxEvent &event);
    void OnUserInput(wxEvent &event);

    bool Doc(SPlanViewDoc &doc);
    // Draws the map when it is out of date; false when the window has no area.
    bool EnsureMap();
    void RenderMap(const wxSize &size);
    // Draws the map again where the selection changed; false when it must be drawn whole.
    bool RepaintSelection(const wxSize &size);
    void ApplyScrollBars();
    void DrawOverlay(wxDC &dc);
    void SetPlanCursor(int id);

    void OnPaint(wxPaintEvent &event);
    void OnSize(wxSizeEvent &event);
    void OnLeftDown(wxMouseEvent &event);
    void OnLeftUp(wxMouseEvent &event);
    void OnMotion(wxMouseEvent &event);
    void OnLeave(wxMouseEvent &event);
    void OnCaptureLost(wxMouseCaptureLostEvent &event);
    void OnKeyDown(wxKeyEvent &event);
    void OnScroll(wxScrollWinEvent &event);
    void OnIdle(wxIdleEvent &event);
    // Whether the drawn map fits a client area of size and shows what the document holds.
    bool MapCurrent(const wxSize &size) const;

    IPlanViewHost *m_host;
    CPlanViewController m_controller;
    CPlanRenderer m_renderer{CPlanRenderer::TARGET_WINDOW};
    // The renderer of the target being drawn: the window's, or a page's while printing.
    CPlanRenderer *m_activeRenderer = &m_renderer;
    CCursor m_cursor;
    wxImage m_compass;
    wxBitmap m_map;
    wxBitmap m_part; // where parts of the map are drawn again (RepaintSelection)
    bool m_mapValid = false;
    bool m_mapWaits = false;       // a paint left the map for the end of long work
    bool m_selectionStale = false; // the map shows an earlier selection
    int m_mapDraws = 0;
    int m_partDraws = 0;
    // The graphics context of the target being drawn, for the compass.
    wxGraphicsContext *m_gc = nullptr;
    wxWeakRef<CSplashDlg> m_hint;
};
