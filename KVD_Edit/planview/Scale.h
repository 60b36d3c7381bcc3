#pragma once

#include "KVD_Edit/planview/FrameDecoration.h"

#include <cfloat>
#include <string>
#include <vector>

class CPrgFont;

// One scale bar along a side of the map: major ticks labelled in display units at a step of 1,
// 2 or 5 times a power of ten chosen from the room the labels need, minor ticks between them,
// labels that would overlap left out, an optional title, and the grid segments that continue
// every major tick across the map.
class CScale : public CFrameDecoration {
public:
    struct SScaleDef {
        double min = -DBL_MAX; // smallest value ever labelled
        double max = DBL_MAX;  // largest value ever labelled
        int position = 24;     // 6 top, 14 bottom, 24 left, 26 right
        UINT titleAlign = 0;   // text alignment of the title
        std::string title;     // up to 7 characters; empty for none
        int margin = 0;        // spacing in steps of 0.5 mm
    };

    struct SDrawParam {
        RECT rect{};                 // axis rectangle in logical units
        double start = 0;            // value at rect's left (horizontal) or top (vertical)
        double end = 0;              // value at rect's right or bottom
        double step = 0;             // interval between major ticks
        int decimals = 0;            // decimals of the labels
        const RECT *frame = nullptr; // places the title; null means rect
    };

    CScale() = default;

    void Init(const SScaleDef &def, const CPrgFont *font);
    bool HasFont() const { return m_font != nullptr; }
    const SScaleDef &GetDef() const { return m_def; }
    // Sets the title (the first 7 characters count).
    void SetTitle(const std::string &title);

    void AutoScale(SDrawParam &param, CPlanDC *dc, const RECT *frame);
    CSize GetMaxTxtSize(CPlanDC *dc, const SDrawParam &param) const;
    static double NiceCeil(double x);

    // Draws ticks and labels with param (null: the stored parameters). Mode -1 leaves out a
    // label that would overlap the last one drawn, 1 draws every label, 0 draws nothing and
    // only computes the result: 0 when there is no font or the last label's margin rectangle
    // overlapped the one drawn before it, else 1. Grid segments go to segments when given.
    int Draw(CPlanDC *dc, std::vector<POINT> *segments, const SDrawParam *param, int mode);
    int Draw(CPlanDC *dc) override;
    CSize GetSize(CPlanDC *dc) override;

    POINT ValueToPoint(double value, const SDrawParam &param) const;
    void GetValueRange(double &low, double &high, const SDrawParam &param) const;
    SDrawParam SetDrawParam(const SDrawParam *param);
    const SDrawParam &GetDrawParam() const { return m_param; }
    CSize GetTickSize(CPlanDC *dc) const;
    CSize GetTickVector(int length, CPlanDC *dc) const;
    POINT DrawTick(double value, CPlanDC *dc, const SDrawParam &param, CSize vector,
                   std::vector<POINT> *segments, bool line) const;

    bool IsVertical() const { return m_def.position == 24 || m_def.position == 26; }
    // Text alignment that puts labels outside the map for a position code.
    static UINT OuterAlignment(int position);

private:
    CSize MarginSize(CPlanDC *dc) const;

    // The major ticks drawn so far: how many, and the tips of the last two.
    struct STickRun {
        int majors = 0;
        POINT previousTip{};
        POINT currentTip{};
    };
    // The major ticks from low up to high, with their labels as mode says (see Draw); Draw's
    // result for the labels, -1 when there was no tick.
    int DrawMajorTicks(CPlanDC *dc, std::vector<POINT> *segments, const SDrawParam &p, int mode,
                       double low, double high, STickRun &run) const;
    // Minor ticks at a nice division of the step, sized by the spacing of the last two major
    // ticks.
    void DrawMinorTicks(CPlanDC *dc, const SDrawParam &p, double low, double high,
                        const STickRun &run) const;
    void DrawTitle(CPlanDC *dc, const SDrawParam &p) const;

    const CPrgFont *m_font = nullptr;
    SScaleDef m_def;
    SDrawParam m_param;
};
