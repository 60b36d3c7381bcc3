#pragma once

#include "KVD_Edit/planview/PlanDC.h"

#include <wx/font.h>
#include <wx/graphics.h>

#include <string>

// The plan view's drawing context over a wxGraphicsContext (anti-aliased, cairo on GTK): the
// window's buffered paint context, an offscreen bitmap or a printer page. Coordinates reach the
// graphics context in device pixels, already clipped, so its own transform stays the identity.
class CGraphicsPlanDC : public CPlanDC {
public:
    // gc is borrowed; width and height are the target's size in device pixels.
    CGraphicsPlanDC(wxGraphicsContext *gc, int width, int height, int pixelsPerInchX = 96,
                    int pixelsPerInchY = 96);
    ~CGraphicsPlanDC() override;

    SDRect DeviceBounds() const override;
    void UseTextCache(CPlanTextCache *cache) override { m_textCache = cache; }
    // Short strokes in one pen are gathered into small paths (a line and its arrow head make
    // one), drawn when the pen changes, before any text or fill, and here. Call it before
    // drawing on the graphics context directly.
    void Flush();

protected:
    void DevTextMetrics(const std::string &text, double &width, double &height,
                        double &descent) override;
    void DevPolyline(const std::vector<SDPoint> &points, const SPlanPen &pen,
                     double devWidth) override;
    void DevText(double x, double y, const std::string &text, COLORREF colour, bool opaque,
                 COLORREF background) override;
    void DevFillRect(const SDRect &rect, COLORREF colour) override;
    void DevFillEllipse(const SDRect &box, COLORREF colour) override;
    void DevFillPolygon(const std::vector<SDPoint> &points, COLORREF colour) override;
    void DevEndGroup() override { Flush(); }

private:
    // The toolkit font of the font selected, made when the selection changed.
    void ResolveFont();
    void ApplyFont(COLORREF colour);
    // Pending strokes first, then no outline and a solid brush of the colour.
    void BeginFill(COLORREF colour);

    wxGraphicsContext *m_gc;
    int m_width;
    int m_height;
    const CPrgFont *m_fontFor = nullptr;
    bool m_fontValid = false;
    COLORREF m_fontColour = 0;
    wxFont m_font;
    std::string m_fontKey; // names m_font for the text cache
    CPlanTextCache *m_textCache = nullptr;
    wxGraphicsPen m_strokePen;
    SPlanPen m_strokePenFor;
    double m_strokePenWidth = 0;
    bool m_strokePenValid = false;
    wxGraphicsPath m_pending;
    size_t m_pendingPoints = 0;  // of the strokes drawn and passed over
    bool m_pendingDrawn = false; // m_pending holds a stroke to draw
};

// The toolkit colour of a platform colour value.
wxColour ToWxColour(COLORREF colour);
