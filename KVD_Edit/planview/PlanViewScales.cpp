#include "KVD_Edit/planview/PlanViewScales.h"

bool SPlanScaleParams::SameAs(const SPlanScaleParams &o) const {
    return PlanRect::Equal(frame, o.frame) && extent.left == o.extent.left &&
           extent.top == o.extent.top && extent.right == o.extent.right &&
           extent.bottom == o.extent.bottom && extent.unit == o.extent.unit && factor == o.factor &&
           grid == o.grid && showScales == o.showScales && showLegend == o.showLegend;
}

CPlanViewScales::CPlanViewScales() {
    m_segments.reserve(800);
}

void CPlanViewScales::Init(const CPrgFont *font, const std::string *legendText) {
    CScale::SScaleDef def;
    def.margin = 4;
    def.position = 24;
    m_y.Init(def, font);
    def.title = "m";
    def.position = 6;
    def.titleAlign = 0;
    m_x.Init(def, font);
    m_legend.Init(font, legendText, 2, 0);
}

bool CPlanViewScales::IsInitialised() const {
    return m_x.HasFont() && m_y.HasFont() && m_legend.HasFont();
}

void CPlanViewScales::SetUnit(ORQ::EUnitType unit) {
    std::string symbol = ORQ::CMeasure::UnitToString(unit);
    m_x.SetTitle(symbol);
    m_y.SetTitle(symbol);
}

void CPlanViewScales::CommonStep(CScale::SDrawParam &x, CScale::SDrawParam &y) {
    if (y.step > x.step) {
        x.step = y.step;
        x.decimals = y.decimals;
    } else {
        y.step = x.step;
        y.decimals = x.decimals;
    }
}

void CPlanViewScales::SetParams(const SPlanScaleParams &p, CPlanDC *dc) {
    if (p.SameAs(m_params))
        return;
    m_params = p;
    RECT r = ORQ::ConvertMeasureUnits(m_params.extent, &m_params.factor);
    m_legend.PlaceLegend(dc, &r, &m_params.frame);

    CScale::SDrawParam x;
    x.rect = r;
    x.start = m_params.extent.left;
    x.end = m_params.extent.right;
    x.frame = &m_params.frame;
    m_x.AutoScale(x, dc, nullptr);
    CScale::SDrawParam y;
    y.rect = r;
    y.start = m_params.extent.top;
    y.end = m_params.extent.bottom;
    y.frame = &m_params.frame;
    m_y.AutoScale(y, dc, nullptr);
    CommonStep(x, y);
    m_x.SetDrawParam(&x);
    m_y.SetDrawParam(&y);
}

RECT CPlanViewScales::GetFreeRect(CPlanDC *dc, const RECT &frame, const ORQ::SRectMeasure &extent) {
    if (!IsInitialised())
        return PlanRect::Make(0, 0, 0, 0);
    RECT q = frame;
    CScale::SDrawParam x;
    CScale::SDrawParam y;
    if (m_params.showScales) {
        x = CScale::SDrawParam();
        x.rect = q;
        x.start = extent.left;
        x.end = extent.right;
        m_x.AutoScale(x, dc, &frame);
        q.top = x.rect.top;
        y = CScale::SDrawParam();
        y.rect = q;
        y.start = extent.top;
        y.end = extent.bottom;
        m_y.AutoScale(y, dc, &frame);
        q = y.rect;
    }
    if (m_params.showLegend) {
        RECT previous = q;
        m_legend.ReserveSpace(&q, &frame, dc, false);
        if (std::abs(PlanRect::Width(q)) > 5) {
            q.top = previous.top;
            q.bottom = previous.bottom;
        } else {
            q = previous;
        }
    }
    if (m_params.showScales) {
        x = CScale::SDrawParam();
        x.rect = q;
        x.start = extent.left;
        x.end = extent.right;
        m_x.AutoScale(x, dc, &frame);
        q = x.rect;
        CommonStep(x, y);
        m_y.SetDrawParam(&y);
        m_x.SetDrawParam(&x);
    }
    return q;
}

int CPlanViewScales::Draw(CPlanDC *dc) {
    if (!IsInitialised() || dc == nullptr)
        return -1;
    SPlanPen solid;
    solid.colour = m_colour;
    SPlanPen dotted = solid;
    dotted.style = PS_DOT;
    SPlanPen previousPen = dc->SelectPen(solid);
    int previousMode = dc->SetBkMode(OPAQUE);
    COLORREF previousColour = dc->SetTextColor(m_colour);

    const CScale::SDrawParam &xp = m_x.GetDrawParam();
    if (m_params.showScales && xp.frame != nullptr) {
        const RECT &f = *xp.frame;
        const COLORREF white = RGB(255, 255, 255);
        dc->FillRect(PlanRect::Make(f.left, f.top, f.right, xp.rect.top), white);
        dc->FillRect(PlanRect::Make(f.left, f.top, xp.rect.left, f.bottom), white);
        dc->FillRect(PlanRect::Make(xp.rect.right, f.top, f.right, f.bottom), white);
    }
    if (m_params.showScales && m_params.grid == 1) {
        m_segments.clear();
        m_x.Draw(dc, &m_segments, nullptr, -1);
        m_y.Draw(dc, &m_segments, nullptr, -1);
        dc->SelectPen(dotted);
        dc->SetBkMode(TRANSPARENT);
        for (size_t i = 0; i + 1 < m_segments.size(); i += 2)
            dc->Polyline(&m_segments[i], 2);
    } else if (m_params.showScales) {
        m_x.Draw(dc);
        m_y.Draw(dc);
    }
    if (m_params.showLegend)
        m_legend.Draw(dc);

    dc->SetTextColor(previousColour);
    dc->SelectPen(previousPen);
    dc->SetBkMode(previousMode);
    return 0;
}
