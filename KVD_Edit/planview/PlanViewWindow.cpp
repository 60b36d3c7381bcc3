#include "KVD_Edit/planview/PlanViewWindow.h"

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/SplashDlg.h"
#include "KVD_Edit/planview/CompassRotation.h"
#include "KVD_Edit/planview/GraphicsPlanDC.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "orq_utils/MessageSink.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/log.h>

#include <algorithm>
#include <memory>

namespace {

// The compass image's background colour, drawn transparent.
const unsigned char kCompassMask[3] = {255, 0, 255};

RECT ClientRect(const wxSize &size) {
    return PlanRect::Make(0, 0, size.x, size.y);
}

POINT ToPoint(const wxPoint &p) {
    return PlanRect::Pt(p.x, p.y);
}

// The platform key code of a key event, as the plan view's key table names keys.
int VirtualKey(const wxKeyEvent &event) {
    switch (event.GetKeyCode()) {
    case WXK_INSERT:
    case WXK_NUMPAD_INSERT:
        return CPlanViewController::VK_INSERT;
    case WXK_DELETE:
    case WXK_NUMPAD_DELETE:
        return CPlanViewController::VK_DELETE;
    case 'A':
    case 'a':
        return 'A';
    case 'D':
    case 'd':
        return 'D';
    default:
        return 0;
    }
}

int ScrollCode(wxEventType type) {
    if (type == wxEVT_SCROLLWIN_TOP)
        return CPlanScroll::SB_TOP;
    if (type == wxEVT_SCROLLWIN_BOTTOM)
        return CPlanScroll::SB_BOTTOM;
    if (type == wxEVT_SCROLLWIN_LINEUP)
        return CPlanScroll::SB_LINEUP;
    if (type == wxEVT_SCROLLWIN_LINEDOWN)
        return CPlanScroll::SB_LINEDOWN;
    if (type == wxEVT_SCROLLWIN_PAGEUP)
        return CPlanScroll::SB_PAGEUP;
    if (type == wxEVT_SCROLLWIN_PAGEDOWN)
        return CPlanScroll::SB_PAGEDOWN;
    if (type == wxEVT_SCROLLWIN_THUMBTRACK)
        return CPlanScroll::SB_THUMBTRACK;
    if (type == wxEVT_SCROLLWIN_THUMBRELEASE)
        return CPlanScroll::SB_THUMBPOSITION;
    return CPlanScroll::SB_ENDSCROLL;
}

} // namespace

CPlanViewWindow::CPlanViewWindow(wxWindow *parent, IPlanViewHost *host)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
               wxHSCROLL | wxVSCROLL | wxALWAYS_SHOW_SB | wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      m_host(host) {
    KVD_LOG_CALL();
    m_cursor.Init(this);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(*wxWHITE);
    Bind(wxEVT_PAINT, &CPlanViewWindow::OnPaint, this);
    Bind(wxEVT_SIZE, &CPlanViewWindow::OnSize, this);
    Bind(wxEVT_IDLE, &CPlanViewWindow::OnIdle, this);
    Bind(wxEVT_LEFT_DOWN, &CPlanViewWindow::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CPlanViewWindow::OnLeftUp, this);
    Bind(wxEVT_MOTION, &CPlanViewWindow::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &CPlanViewWindow::OnLeave, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CPlanViewWindow::OnCaptureLost, this);
    Bind(wxEVT_KEY_DOWN, &CPlanViewWindow::OnKeyDown, this);
    Bind(wxEVT_RIGHT_DOWN, &CPlanViewWindow::OnUserInput, this);
    Bind(wxEVT_MIDDLE_DOWN, &CPlanViewWindow::OnUserInput, this);
    Bind(wxEVT_SCROLLWIN_TOP, &CPlanViewWindow::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_BOTTOM, &CPlanViewWindow::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEUP, &CPlanViewWindow::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEDOWN, &CPlanViewWindow::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEUP, &CPlanViewWindow::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEDOWN, &CPlanViewWindow::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBTRACK, &CPlanViewWindow::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBRELEASE, &CPlanViewWindow::OnScroll, this);
    // The bars stand from the start (disabled until there is somewhere to scroll), so that the
    // first layout has the client area of every later one.
    SetScrollbar(wxHORIZONTAL, 0, 1, 1);
    SetScrollbar(wxVERTICAL, 0, 1, 1);
    // Overlay bars would fade in and out after every click, each step painting the view again.
    WindowSystem::KeepClassicScrollBars(this);
}

CPlanViewWindow::~CPlanViewWindow() {
    if (HasCapture())
        ReleaseMouse();
    if (m_hint)
        m_hint->Destroy();
}

bool CPlanViewWindow::LoadCompass(const std::string &path) {
    KVD_LOG_CALL();
    m_compass = wxImage();
    wxImage image;
    {
        wxLogNull quiet;
        if (path.empty() || !image.LoadFile(wxString::FromUTF8(path), wxBITMAP_TYPE_BMP))
            return false;
    }
    image.SetMaskColour(kCompassMask[0], kCompassMask[1], kCompassMask[2]);
    image.InitAlpha();
    m_compass = image;
    InvalidateMap();
    return true;
}

void CPlanViewWindow::RefreshCursor() {
    InvalidateMap();
    EnsureMap();
    m_cursor.Refresh();
}

void CPlanViewWindow::InvalidateMap() {
    m_mapValid = false;
    Refresh(false);
}

void CPlanViewWindow::SelectionChanged() {
    m_selectionStale = true;
    Refresh(false);
}

bool CPlanViewWindow::Doc(SPlanViewDoc &doc) {
    return m_host != nullptr && m_host->GetPlanDoc(doc);
}

void CPlanViewWindow::ZoomToFit() {
    KVD_LOG_CALL();
    SPlanViewDoc doc;
    if (Doc(doc) && m_controller.ZoomToFit(doc))
        InvalidateMap();
}

int CPlanViewWindow::ToggleZoomArea() {
    KVD_LOG_CALL();
    int result = m_controller.ToggleZoomArea();
    SetPlanCursor(m_controller.ZoomAndPan().GetCursor());
    Refresh(false);
    return result;
}

void CPlanViewWindow::ZoomIn() {
    KVD_LOG_CALL();
    SPlanViewDoc doc;
    if (Doc(doc) && m_controller.ZoomIn(doc))
        InvalidateMap();
}

void CPlanViewWindow::ZoomOut() {
    KVD_LOG_CALL();
    SPlanViewDoc doc;
    if (Doc(doc) && m_controller.ZoomOut(doc))
        InvalidateMap();
}

void CPlanViewWindow::TogglePan() {
    KVD_LOG_CALL();
    m_controller.TogglePan();
    SetPlanCursor(m_controller.ZoomAndPan().GetCursor());
}

void CPlanViewWindow::PrepareLayers(CPlanDC *dc, const SPlanPaintFrame &frame) {
    CPlanRenderer &renderer = *m_activeRenderer;
    const bool window = &renderer == &m_renderer;
    if (window)
        m_cursor.SetPlotArea(frame.devicePlot, frame.visibleExtent);
    CGPSInfo *gps = m_host != nullptr ? m_host->GetGPSInfo() : nullptr;
    renderer.SetGPSInfo(gps);
    if (gps == nullptr)
        return;
    if (SLocalWorldDef *def = m_host->GetLocalWorldDef())
        gps->SetLWCDefinition(def);
    renderer.SetExtents(frame.dataExtent, frame.visibleExtent, &frame.plot, &frame.devicePlot);
    renderer.SetSelection(frame.selection);
    // A repaint of part of the map follows a change of the selection alone: the lines' geometry
    // and the GPS data's fit stand as the whole drawing before it left them.
    const bool part = dc != nullptr && dc->Limited();
    if (frame.lines != nullptr && !part)
        renderer.UpdateLineGeometry(*frame.lines, frame.scale);
    // The plot rectangle goes to the GPS data, which refits its automatic local-to-world
    // relation to the fixes. Without GPS data there is nothing to fit, and the project's
    // definition is left as the user made it; a page leaves the GPS data as the window has them.
    if (window && !part && gps->HasGPSData())
        gps->SetPlotRect(frame.plot);
    renderer.UpdateTransform(!window);
}

void CPlanViewWindow::DrawCompass(CPlanDC *dc, POINT anchor) {
    KVD_LOG_CALL();
    // Whatever the drawing context still holds goes first: the compass lies over it.
    if (auto *graphics = dynamic_cast<CGraphicsPlanDC *>(dc))
        graphics->Flush();
    CGPSInfo *gps = m_host != nullptr ? m_host->GetGPSInfo() : nullptr;
    // The GPS data holds the project's definition since PrepareLayers; without GPS data the
    // definition is read where the project keeps it.
    const SLocalWorldDef *def = gps != nullptr ? gps->GetLWCData() : nullptr;
    if (def == nullptr && m_host != nullptr)
        def = m_host->GetLocalWorldDef();
    if (def == nullptr || def->EnableGPS == 0 || m_gc == nullptr || !m_compass.IsOk())
        return;
    // The grid's north heading, as the layers' renderer found it for this target.
    const double heading = m_activeRenderer->GetNorthHeading();
    const int w = m_compass.GetWidth();
    const int h = m_compass.GetHeight();
    SRotatedLayout turned = RotatedLayout(w, h, -heading);
    // The turned image's top-right corner sits on the plot area's top-right corner.
    const double left = anchor.x - turned.width;
    const double top = anchor.y;
    m_gc->PushState();
    m_gc->Translate(left + turned.upperLeft.x, top + turned.upperLeft.y);
    m_gc->Rotate(turned.radians);
    m_gc->DrawBitmap(wxBitmap(m_compass), 0, 0, w, h);
    m_gc->PopState();
}

void CPlanViewWindow::DrawLayer(CPlanDC *dc, int kind, const SLineDisplayEntry &active,
                                const SLineDisplayEntry &inactive, const ORQ::SMeasure &) {
    m_activeRenderer->DrawLayer(dc, -1, -1, -1, kind, &active, &inactive);
}

void CPlanViewWindow::AfterLayers() {
    // A page keeps what it met to itself: printing shows no hint and no message.
    if (m_activeRenderer != &m_renderer) {
        m_activeRenderer->TakeOutOfRange();
        return;
    }
    m_renderer.TakeOutOfRange();
    // Messages and windows are made after the paint, not inside it.
    if (m_renderer.TakeInvalidTraceReport())
        CallAfter(&CPlanViewWindow::ShowInvalidTraceMessage);
    // A point beyond the drawable range was met while drawing: the hint shows once, until the
    // document resets the state.
    CGPSInfo *gps = m_host != nullptr ? m_host->GetGPSInfo() : nullptr;
    if (gps == nullptr || gps->GetDisplayState() != 1)
        return;
    gps->SetDisplayState(2);
    CallAfter(&CPlanViewWindow::ShowRangeHint);
}

void CPlanViewWindow::ShowInvalidTraceMessage() {
    KVD_LOG_CALL();
    ORQ::ShowMessage("Error, Invalid trace number", ORQ::MB_OK);
}

std::string CPlanViewWindow::GetCursorStatusText(POINT devicePoint) {
    std::string text;
    m_renderer.ViewPointToStatusText(devicePoint, &text, m_cursor.GetGPSFormat().c_str());
    return text;
}

void CPlanViewWindow::SetStatusText(int pane, const std::string &text) {
    if (m_host != nullptr)
        m_host->SetStatusText(pane, text);
}

void CPlanViewWindow::RefreshCrosshairArea() {
    for (bool vertical : {true, false}) {
        const RECT r = m_cursor.GetCoveredRect(vertical);
        if (!PlanRect::IsEmpty(r))
            RefreshRect(wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top), false);
    }
}

void CPlanViewWindow::MoveCrosshair(POINT point) {
    RefreshCrosshairArea();
    m_cursor.MoveTo(point, GetClientSize().x);
    RefreshCrosshairArea();
}

void CPlanViewWindow::ShowRangeHint() {
    KVD_LOG_CALL();
    if (m_hint)
        m_hint->Destroy();
    auto *hint = new CSplashDlg(this);
    m_hint = hint;
    hint->SetBitmap(CSplashDlg::kWhiskersHint, 3);
    hint->Create(CSplashDlg::kDialogId, this);
}

bool CPlanViewWindow::HintTakes(const wxEvent &event) {
    return m_hint && m_hint->IsOpen() && m_hint->CloseOnUserInput(event);
}

void CPlanViewWindow::OnUserInput(wxEvent &event) {
    if (!HintTakes(event))
        event.Skip();
}

void CPlanViewWindow::RenderMap(const wxSize &size) {
    KVD_LOG_CALL();
    if (!m_map.IsOk() || m_map.GetWidth() != size.x || m_map.GetHeight() != size.y)
        m_map.Create(size.x, size.y, 24);
    wxMemoryDC memory(m_map);
    memory.SetBackground(*wxWHITE_BRUSH);
    memory.Clear();
    SPlanViewDoc doc;
    if (Doc(doc)) {
        m_cursor.SetGPSFormat(doc.gpsFormat, doc.ellipsoid);
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(memory));
        if (gc) {
            const wxSize ppi = memory.GetPPI();
            CGraphicsPlanDC planDC(gc.get(), size.x, size.y, ppi.x > 0 ? ppi.x : 96,
                                   ppi.y > 0 ? ppi.y : 96);
            m_gc = gc.get();
            m_activeRenderer = &m_renderer;
            m_controller.Paint(&planDC, ClientRect(size), doc, this);
            m_gc = nullptr;
        }
    }
    memory.SelectObject(wxNullBitmap);
    m_mapValid = true;
    m_selectionStale = false;
    ++m_mapDraws;
    ApplyScrollBars();
}

bool CPlanViewWindow::RepaintSelection(const wxSize &size) {
    KVD_LOG_CALL();
    // Past this many lines changed (a whole selection taken or given), one drawing of the map
    // costs less than clipping to each of them.
    constexpr size_t kMostAreas = 256;
    SPlanViewDoc doc;
    std::vector<SDRect> areas;
    if (!Doc(doc) || !m_controller.SelectionDamage(doc, areas) || areas.size() > kMostAreas)
        return false;
    m_selectionStale = false;
    if (areas.empty())
        return true;
    // The parts are drawn on a picture of their own, of the map's size and unclipped, and only
    // their rectangles copied onto the map: a clipped target smooths the edges of strokes
    // otherwise than a whole one does.
    if (!m_part.IsOk() || m_part.GetWidth() != size.x || m_part.GetHeight() != size.y)
        m_part.Create(size.x, size.y, 24);
    std::vector<wxRect> rects;
    const wxRect client(0, 0, size.x, size.y);
    for (const SDRect &a : areas) {
        const wxRect r =
            wxRect(static_cast<int>(a.left), static_cast<int>(a.top),
                   static_cast<int>(a.right - a.left), static_cast<int>(a.bottom - a.top))
                .Intersect(client);
        if (!r.IsEmpty())
            rects.push_back(r);
    }
    if (rects.empty())
        return true;
    wxMemoryDC part(m_part);
    part.SetBackground(*wxWHITE_BRUSH);
    part.Clear();
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(part));
        if (!gc)
            return false;
        const wxSize ppi = part.GetPPI();
        CGraphicsPlanDC planDC(gc.get(), size.x, size.y, ppi.x > 0 ? ppi.x : 96,
                               ppi.y > 0 ? ppi.y : 96);
        planDC.LimitTo(std::move(areas));
        m_gc = gc.get();
        m_activeRenderer = &m_renderer;
        m_controller.Paint(&planDC, ClientRect(size), doc, this);
        m_gc = nullptr;
    }
    wxMemoryDC map(m_map);
    for (const wxRect &r : rects)
        map.Blit(r.x, r.y, r.width, r.height, &part, r.x, r.y);
    map.SelectObject(wxNullBitmap);
    part.SelectObject(wxNullBitmap);
    ++m_partDraws;
    return true;
}

void CPlanViewWindow::ApplyScrollBars() {
    for (int bar : {CPlanScroll::BAR_HORZ, CPlanScroll::BAR_VERT}) {
        SPlanScrollInfo info;
        if (!m_controller.GetScrollInfo(bar, info))
            continue;
        const int orient = bar == CPlanScroll::BAR_HORZ ? wxHORIZONTAL : wxVERTICAL;
        const int range = std::max(info.max - info.min, 0);
        const int page = std::clamp(info.page, 0, range);
        const int pos = std::clamp(info.pos - info.min, 0, std::max(range - page, 0));
        if (GetScrollPos(orient) != pos || GetScrollThumb(orient) != page ||
            GetScrollRange(orient) != range)
            SetScrollbar(orient, pos, page, range);
    }
}

void CPlanViewWindow::DrawOverlay(wxDC &dc) {
    if (m_cursor.IsShown()) {
        // Drawn in a colour of its own, not inverted: over the white map it stays visible.
        dc.SetPen(wxPen(ToWxColour(CCursor::kColour), 1));
        for (const RECT &l : {m_cursor.GetVerticalLine(), m_cursor.GetHorizontalLine()})
            dc.DrawLine(l.left, l.top, l.right, l.bottom);
    }
    RECT band{};
    if (m_controller.IsRubberBandActive())
        band = m_controller.GetRubberBand();
    else if (m_controller.ZoomAndPan().IsFocusShown())
        band = m_controller.ZoomAndPan().GetFocus();
    else
        return;
    dc.SetPen(wxPen(*wxBLACK, 1, wxPENSTYLE_DOT));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(band.left, band.top, band.right - band.left + 1, band.bottom - band.top + 1);
}

bool CPlanViewWindow::MapCurrent(const wxSize &size) const {
    return m_mapValid && m_map.IsOk() && m_map.GetWidth() == size.x && m_map.GetHeight() == size.y;
}

void CPlanViewWindow::OnIdle(wxIdleEvent &event) {
    if (m_mapWaits && !AppIsBusy()) {
        m_mapWaits = false;
        Refresh(false);
    }
    event.Skip();
}

bool CPlanViewWindow::EnsureMap() {
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0)
        return false;
    if (MapCurrent(size) && m_selectionStale && !RepaintSelection(size))
        m_mapValid = false;
    if (!MapCurrent(size)) {
        wxCursor previous = GetCursor();
        SetCursor(wxCursor(wxCURSOR_WAIT));
        RenderMap(size);
        SetCursor(previous);
    }
    return true;
}

void CPlanViewWindow::OnPaint(wxPaintEvent &) {
    wxPaintDC dc(this);
    // The map of a large project takes a while to draw. While long work runs (a project opens,
    // its grid fills) the work's ticks would draw it again and again, and stand still meanwhile:
    // the window stays blank until the program is idle again and then draws the map once.
    if (!MapCurrent(GetClientSize()) && AppIsBusy()) {
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        m_mapWaits = true;
        return;
    }
    if (!EnsureMap())
        return;
    dc.DrawBitmap(m_map, 0, 0);
    DrawOverlay(dc);
}

wxBitmap CPlanViewWindow::Snapshot() {
    if (!EnsureMap())
        return wxBitmap();
    wxBitmap shot(m_map.GetWidth(), m_map.GetHeight(), 24);
    wxMemoryDC dc(shot);
    dc.DrawBitmap(m_map, 0, 0);
    DrawOverlay(dc);
    dc.SelectObject(wxNullBitmap);
    return shot;
}

void CPlanViewWindow::OnSize(wxSizeEvent &event) {
    InvalidateMap();
    event.Skip();
}

void CPlanViewWindow::SetPlanCursor(int id) {
    switch (id) {
    case CPlanViewController::CURSOR_HAND:
        SetCursor(wxCursor(wxCURSOR_HAND));
        break;
    case CZoomAndPan::CURSOR_ZOOM:
        SetCursor(wxCursor(wxCURSOR_MAGNIFIER));
        break;
    case CZoomAndPan::CURSOR_PAN:
    case CZoomAndPan::CURSOR_PANNING:
        SetCursor(wxCursor(wxCURSOR_SIZING));
        break;
    default:
        SetCursor(wxNullCursor);
        break;
    }
}

void CPlanViewWindow::OnLeftDown(wxMouseEvent &event) {
    KVD_LOG_CALL();
    if (HintTakes(event))
        return;
    SetFocus();
    const POINT point = ToPoint(event.GetPosition());
    if (m_host != nullptr) {
        const POINT clamped = m_controller.ClampToPlot(point);
        const SPlanPointInfo info = m_renderer.ViewPointToStatusText(clamped, nullptr, nullptr);
        if (m_host->OfferViewPoint(clamped, info)) {
            event.Skip();
            return;
        }
    }
    m_controller.OnLButtonDown(point);
    if (!HasCapture())
        CaptureMouse();
    Refresh(false);
    event.Skip();
}

void CPlanViewWindow::OnMotion(wxMouseEvent &event) {
    KVD_LOG_CALL();
    const bool overlay =
        m_controller.IsRubberBandActive() || m_controller.ZoomAndPan().IsFocusShown();
    const bool buttons =
        event.ButtonIsDown(wxMOUSE_BTN_ANY) || event.ShiftDown() || event.ControlDown();
    const POINT point = ToPoint(event.GetPosition());
    SetPlanCursor(m_controller.OnMouseMove(point, buttons));
    if (overlay || m_controller.IsRubberBandActive() || m_controller.ZoomAndPan().IsFocusShown())
        Refresh(false);
    // The crosshair stays in the plot area; in zoom and pan modes it stands still while the
    // panes follow the mouse. The map itself is never drawn again for it.
    const POINT inPlot = m_cursor.ClampToPlot(point);
    if (!m_controller.ZoomAndPan().IsActive())
        MoveCrosshair(inPlot);
    m_cursor.UpdatePosition(inPlot, true);
    event.Skip();
}

void CPlanViewWindow::OnLeave(wxMouseEvent &event) {
    RefreshCrosshairArea();
    m_cursor.OnMouseLeave();
    event.Skip();
}

void CPlanViewWindow::OnLeftUp(wxMouseEvent &event) {
    KVD_LOG_CALL();
    if (HasCapture())
        ReleaseMouse();
    const bool band = m_controller.IsRubberBandActive();
    // Without a document the band still ends; it then selects nothing.
    SPlanViewDoc doc;
    Doc(doc);
    const bool moved =
        m_controller.OnLButtonUp(ToPoint(event.GetPosition()), event.ControlDown(), doc);
    SetPlanCursor(m_controller.ZoomAndPan().GetCursor());
    // A zoom or pan moved the map; a band may have changed the selection (the document tells
    // its views, and a host without a document is asked here).
    if (moved)
        InvalidateMap();
    else if (band)
        SelectionChanged();
    else
        Refresh(false);
    event.Skip();
}

void CPlanViewWindow::OnCaptureLost(wxMouseCaptureLostEvent &) {
    // The button went up somewhere else: the band ends without selecting.
    if (m_controller.IsRubberBandActive()) {
        m_controller.OnMouseMove(PlanRect::Pt(0, 0), false);
        Refresh(false);
    }
}

// A key pressed: it closes an open hint first; Ins, Del, Ctrl+A and Ctrl+D go to the frame's
// commands once and are used up here, so that the same keys as the frame's menu accelerators
// do not run their command a second time.
void CPlanViewWindow::OnKeyDown(wxKeyEvent &event) {
    KVD_LOG_CALL();
    if (HintTakes(event))
        return;
    const int command = CPlanViewController::CommandForKey(VirtualKey(event), event.ControlDown());
    if (command != 0 && m_host != nullptr) {
        m_host->PostFrameCommand(command);
        return;
    }
    event.Skip();
}

void CPlanViewWindow::OnScroll(wxScrollWinEvent &event) {
    KVD_LOG_CALL();
    const int bar =
        event.GetOrientation() == wxHORIZONTAL ? CPlanScroll::BAR_HORZ : CPlanScroll::BAR_VERT;
    SPlanScrollInfo info;
    SPlanViewDoc doc;
    if (!m_controller.GetScrollInfo(bar, info) || !Doc(doc))
        return;
    info.trackPos = event.GetPosition() + info.min;
    if (!m_controller.OnScroll(bar, ScrollCode(event.GetEventType()), info, doc))
        return;
    ApplyScrollBars();
    InvalidateMap();
}

bool CPlanViewWindow::DrawOnto(wxDC &dc) {
    KVD_LOG_CALL();
    SPlanViewDoc doc;
    if (!Doc(doc) || !dc.IsOk())
        return false;
    const wxSize size = dc.GetSize();
    if (size.x <= 0 || size.y <= 0)
        return false;
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!gc)
        return false;
    const wxSize ppi = dc.GetPPI();
    CGraphicsPlanDC planDC(gc.get(), size.x, size.y, ppi.x > 0 ? ppi.x : 96,
                           ppi.y > 0 ? ppi.y : 96);
    // A view of its own: the page gets the same map rectangle laid out in the page's size,
    // while the window keeps its layout, hit-test lines and scroll bars.
    CPlanViewController page;
    page.CopyViewFrom(m_controller);
    page.CacheTexts(false);
    // And a renderer of its own: the window's cached points, GPS state and hint stay as they are.
    CPlanRenderer pageRenderer(CPlanRenderer::TARGET_PAGE);
    m_gc = gc.get();
    m_activeRenderer = &pageRenderer;
    const int drawn = page.Paint(&planDC, ClientRect(size), doc, this);
    m_activeRenderer = &m_renderer;
    m_gc = nullptr;
    return drawn == 1;
}
