#pragma once

#include "KVD_Edit/planview/Mapping.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CPlanTextCache;
class CPrgFont;

// The key of a project line (set and line index as the selection names them) among the
// drawing's owners.
inline uint64_t PlanLineKey(int set, int line) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(set)) << 32) | static_cast<uint32_t>(line);
}

// The device box of what each owner drew, by owner key.
using CPlanExtents = std::unordered_map<uint64_t, SDRect>;

// Pen of the plan view: style (PS_*), width in logical units, colour.
struct SPlanPen {
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = RGB(0, 0, 0);
};

// Drawing context of the plan view. The plan view's logic works in logical units with y
// growing upwards; this class keeps the mapping to device pixels (CMapping) and the drawing
// state the logic relies on (pen, font, text alignment and colour, background mode, current
// position), converts every call to device units, clips segments in doubles and hands the
// result to a backend. Text is always drawn upright; the alignment flags are emulated from the
// text's extent and descent in device units.
//
// Backends: a wxGraphicsContext (screen, bitmap, printer) and, in tests, a recorder with fixed
// text metrics.
class CPlanDC {
public:
    explicit CPlanDC(int pixelsPerInchX = 96, int pixelsPerInchY = 96);
    virtual ~CPlanDC();
    CPlanDC(const CPlanDC &) = delete;
    CPlanDC &operator=(const CPlanDC &) = delete;

    CMapping &Mapping() { return m_mapping; }
    const CMapping &Mapping() const { return m_mapping; }

    // Shortcuts to the mapping.
    POINT LPtoDP(POINT p) const { return m_mapping.LPtoDP(p); }
    POINT DPtoLP(POINT p) const { return m_mapping.DPtoLP(p); }
    RECT LPtoDP(const RECT &r) const { return m_mapping.LPtoDP(r); }
    RECT DPtoLP(const RECT &r) const { return m_mapping.DPtoLP(r); }
    CSize LPtoDP(CSize s) const { return m_mapping.LPtoDP(s); }
    CSize DPtoLP(CSize s) const { return m_mapping.DPtoLP(s); }
    CSize HIMETRICtoLP(CSize s) const { return m_mapping.HIMETRICtoLP(s); }
    CSize HIMETRICtoDP(CSize s) const { return m_mapping.HIMETRICtoDP(s); }

    // Drawing state; each setter returns the previous value.
    UINT SetTextAlign(UINT align);
    UINT GetTextAlign() const { return m_textAlign; }
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_textColour; }
    COLORREF SetBkColor(COLORREF colour);
    int SetBkMode(int mode);
    int GetBkMode() const { return m_bkMode; }
    const CPrgFont *SelectFont(const CPrgFont *font);
    const CPrgFont *GetFont() const { return m_font; }
    SPlanPen SelectPen(const SPlanPen &pen);
    const SPlanPen &GetPen() const { return m_pen; }

    // Extent of a single line of text in logical units (always positive).
    CSize GetTextExtent(const std::string &text);

    // Drawing in logical units.
    POINT MoveTo(POINT p);
    void LineTo(POINT p);
    void Polyline(const POINT *points, int count);
    void TextOut(int x, int y, const std::string &text);
    // Fills the rectangle without its right and bottom edges (in device units).
    void FillRect(const RECT &rect, COLORREF colour);
    // Outline in the current pen, filled white inside.
    void Rectangle(const RECT &rect);
    // Draws one line of text at the rectangle's left-top corner and returns the text's height
    // in logical units.
    int DrawText(const std::string &text, const RECT &rect);

    // Drawing in device pixels, whatever the mapping: the GPS layers place their points and
    // markers in pixels. The pen's width is in pixels too (0 and 1 draw one pixel); the fills
    // cover a box of left, top, width and height. Everything is clipped to DeviceBounds.
    void DeviceLine(POINT from, POINT to, const SPlanPen &pen);
    void FillDeviceRect(int left, int top, int width, int height, COLORREF colour);
    void FillDeviceEllipse(int left, int top, int width, int height, COLORREF colour);
    void FillDevicePolygon(const POINT *points, int count, COLORREF colour);

    // Device area that drawing is clipped to (the target's size, with a margin for wide pens).
    virtual SDRect DeviceBounds() const = 0;
    // Texts laid out once and kept beyond this context (borrowed; null: every text is laid out
    // where it is measured and where it is drawn). Backends without a text engine ignore it.
    virtual void UseTextCache(CPlanTextCache *) {}

    // A repaint of part of a drawing: only what touches one of areas (device pixels) reaches
    // the backend's target; the rest is passed over, in the same order and in the same strokes
    // as a whole drawing makes them, so that the pixels inside the areas are those of a whole
    // drawing. The caller clips the target to the areas. Empty: everything is drawn.
    void LimitTo(std::vector<SDRect> areas) { m_areas = std::move(areas); }
    // Whether this is such a repaint of part of a drawing.
    bool Limited() const { return !m_areas.empty(); }
    // Whether all an owner draws in this repaint is passed over: its box in the extents (kept
    // from the whole drawing before, as a repaint of part of it only adds to them) touches none
    // of the areas. False when it has no box, or for a whole drawing.
    bool OwnerPassedOver(uint64_t key) const;
    // While an owner is named, the device box of everything drawn (or passed over) is added to
    // its entry in extents (borrowed; null notes nothing).
    void RecordExtents(CPlanExtents *extents) { m_extents = extents; }
    void BeginOwner(uint64_t key);
    void EndOwner();
    // Strokes between these two are gathered whole and drawn at the end, whatever their number
    // of points: the strokes that share a path (and overlap without adding up) are the group's,
    // not those that happen to fit the backend's batch, so that the pixels of a line do not
    // depend on which other lines were drawn or passed over.
    void BeginGroup() { m_grouped = true; }
    void EndGroup();

protected:
    // Device metrics of text in the current font: width, height and descent in pixels.
    virtual void DevTextMetrics(const std::string &text, double &width, double &height,
                                double &descent) = 0;
    // A connected run of already clipped device points in the given pen (never PS_NULL).
    virtual void DevPolyline(const std::vector<SDPoint> &points, const SPlanPen &pen,
                             double devWidth) = 0;
    // Text with its left-top corner at (x, y) in device pixels; background filled when opaque.
    virtual void DevText(double x, double y, const std::string &text, COLORREF colour, bool opaque,
                         COLORREF background) = 0;
    virtual void DevFillRect(const SDRect &rect, COLORREF colour) = 0;
    // The ellipse inside the box, and a closed polygon, filled (already known to touch the
    // drawable area).
    virtual void DevFillEllipse(const SDRect &box, COLORREF colour) = 0;
    virtual void DevFillPolygon(const std::vector<SDPoint> &points, COLORREF colour) = 0;
    // Whether the drawing being handed to the backend lies outside every area of LimitTo: the
    // backend keeps its order and strokes as they are but leaves the pixels alone.
    bool PassedOver() const { return m_passOver; }
    // Whether strokes are being gathered into a group (BeginGroup).
    bool Grouped() const { return m_grouped; }
    // The end of a group: whatever the backend gathered goes to the target.
    virtual void DevEndGroup() {}

private:
    // Notes a device box for the owner and decides PassedOver for the drawing it holds.
    void Note(double left, double top, double right, double bottom);
    void NotePoints(const std::vector<SDPoint> &points, double margin);
    void StrokeLogical(const POINT *points, int count);
    double DevicePenWidth() const;

    CMapping m_mapping;
    UINT m_textAlign = TA_LEFT | TA_TOP;
    COLORREF m_textColour = RGB(0, 0, 0);
    COLORREF m_bkColour = RGB(255, 255, 255);
    int m_bkMode = OPAQUE;
    const CPrgFont *m_font = nullptr;
    SPlanPen m_pen;
    POINT m_current{};
    std::vector<SDPoint> m_run;
    std::vector<SDPoint> m_polygon;
    std::vector<SDRect> m_areas;
    bool m_passOver = false;
    CPlanExtents *m_extents = nullptr;
    bool m_owned = false;
    bool m_grouped = false;
    uint64_t m_owner = 0;
    SDRect m_ownerBox{};
    bool m_ownerDrew = false;
};
