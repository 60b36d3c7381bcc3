#pragma once

#include "KVD_Edit/planview/PlanDC.h"
#include "KVD_Edit/planview/PlanViewController.h"

#include <cmath>

#include <string>
#include <vector>

namespace plantest {

// A drawing context without a display: fixed text metrics (8 pixels a character, 16 high,
// descent 4) and a record of everything drawn, in device pixels.
class CRecordingDC : public CPlanDC {
public:
    struct Stroke {
        std::vector<SDPoint> points;
        SPlanPen pen;
    };
    struct Text {
        double x, y;
        std::string text;
        COLORREF colour;
    };
    struct Fill {
        SDRect rect;
        COLORREF colour;
    };
    struct Polygon {
        std::vector<SDPoint> points;
        COLORREF colour;
    };

    explicit CRecordingDC(int width = 1000, int height = 1000, int ppi = 96)
        : CPlanDC(ppi, ppi), m_width(width), m_height(height) {}

    SDRect DeviceBounds() const override {
        SDRect r;
        r.left = -10;
        r.top = -10;
        r.right = m_width + 10;
        r.bottom = m_height + 10;
        return r;
    }

    std::vector<Stroke> strokes;
    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<Fill> ellipses; // the boxes of filled ellipses
    std::vector<Polygon> polygons;
    void Clear() {
        strokes.clear();
        texts.clear();
        fills.clear();
        ellipses.clear();
        polygons.clear();
    }

protected:
    void DevTextMetrics(const std::string &text, double &width, double &height,
                        double &descent) override {
        width = 8.0 * static_cast<double>(text.size());
        height = 16;
        descent = 4;
    }
    void DevPolyline(const std::vector<SDPoint> &points, const SPlanPen &pen, double) override {
        strokes.push_back(Stroke{points, pen});
    }
    void DevText(double x, double y, const std::string &text, COLORREF colour, bool,
                 COLORREF) override {
        texts.push_back(Text{x, y, text, colour});
    }
    void DevFillRect(const SDRect &rect, COLORREF colour) override {
        fills.push_back(Fill{rect, colour});
    }
    void DevFillEllipse(const SDRect &box, COLORREF colour) override {
        ellipses.push_back(Fill{box, colour});
    }
    void DevFillPolygon(const std::vector<SDPoint> &points, COLORREF colour) override {
        polygons.push_back(Polygon{points, colour});
    }

private:
    int m_width;
    int m_height;
};

inline RECT R(int l, int t, int r, int b) {
    return PlanRect::Make(l, t, r, b);
}
inline POINT P(int x, int y) {
    return PlanRect::Pt(x, y);
}

// The device pixel of a local position, through a layout's plot rectangle and extent.
inline POINT LocalToDevice(const CPlanViewController &c, double x, double y) {
    ORQ::SRectMeasure e = MapRectToMeasure(c.GetPlot(), c.GetScale());
    const RECT &d = c.GetDevicePlot();
    return P(static_cast<int>(std::lround(PlanInterpolate(x, e.left, e.right, d.left, d.right))),
             static_cast<int>(std::lround(PlanInterpolate(y, e.top, e.bottom, d.top, d.bottom))));
}

} // namespace plantest
