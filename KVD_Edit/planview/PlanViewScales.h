#pragma once

#include "KVD_Edit/planview/Legend.h"
#include "KVD_Edit/planview/Scale.h"

#include <vector>

// Layout parameters the scale bars and the legend share.
struct SPlanScaleParams {
    RECT frame{};             // the window's client rectangle in logical units of the map
    ORQ::SRectMeasure extent; // world rectangle of the plot area
    double factor = 0;        // logical units per display unit
    int grid = 0;             // 1: draw the dotted grid
    int showScales = 0;
    int showLegend = 0;

    bool SameAs(const SPlanScaleParams &o) const;
};

// The scale bars around the plan view's map (X along the top, Y along the left) with the
// dotted grid across the map and the legend: one common tick step for both bars, the rectangle
// left for the map, the white margin bands.
class CPlanViewScales : public CFrameDecoration {
public:
    CPlanViewScales();
    // The bars keep a pointer to the stored frame: the object stays where it was made.
    CPlanViewScales(const CPlanViewScales &) = delete;
    CPlanViewScales &operator=(const CPlanViewScales &) = delete;

    void Init(const CPrgFont *font, const std::string *legendText);
    bool IsInitialised() const;
    void SetUnit(ORQ::EUnitType unit);
    SPlanScaleParams GetParams() const { return m_params; }
    void SetParams(const SPlanScaleParams &p, CPlanDC *dc);
    RECT GetFreeRect(CPlanDC *dc, const RECT &frame, const ORQ::SRectMeasure &extent);
    int Draw(CPlanDC *dc) override;
    CSize GetSize(CPlanDC *) override { return CSize(0, 0); }

    CScale &XScale() { return m_x; }
    CScale &YScale() { return m_y; }
    CLegend &Legend() { return m_legend; }
    COLORREF GetColour() const { return m_colour; }

private:
    void CommonStep(CScale::SDrawParam &x, CScale::SDrawParam &y);

    COLORREF m_colour = RGB(170, 170, 170);
    std::vector<POINT> m_segments;
    SPlanScaleParams m_params;
    CScale m_x;
    CScale m_y;
    CLegend m_legend;
};
