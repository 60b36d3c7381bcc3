#pragma once

#include "KVD_Edit/planview/FrameDecoration.h"

#include <string>
#include <vector>

class CPrgFont;

// The boxed block of text the plan view can place beside its map: lines of a caller's text
// (separated by "\n"), each starting with a format letter ("L" 0, "C" 1, "R" 2, "V" 4, "B" 16;
// any other first character stays and means 0) and made of label and value pairs separated by
// "\t", drawn in the program font inside a frame.
class CLegend : public CFrameDecoration {
public:
    CLegend();

    // Font and text are borrowed; position names the point of the area the box is placed on,
    // boxAnchor the point of the box that goes there.
    void Init(const CPrgFont *font, const std::string *text, EScreenPosition position,
              EScreenPosition boxAnchor);
    void SetFrameColour(COLORREF colour);
    void SetFramePen(COLORREF colour, int style);
    void ParseLegendText();
    RECT GetLegendFrame(CPlanDC *dc, const RECT *area);
    void PlaceLegend(CPlanDC *dc, const RECT *area, const RECT *limit);
    CSize GetSize(CPlanDC *dc) override;
    int Draw(CPlanDC *dc) override;
    static POINT GetAnchorPoint(EScreenPosition position, const RECT *rect);

    bool HasFont() const { return m_font != nullptr; }
    const RECT &GetFrame() const { return m_frame; }
    const std::vector<std::string> &GetLines() const { return m_lines; }
    const std::vector<int> &GetFormats() const { return m_formats; }
    COLORREF GetColour() const { return m_colour; }

    static constexpr COLORREF kValueColour = RGB(75, 80, 80);

private:
    const CPrgFont *m_font = nullptr;
    const std::string *m_text = nullptr;
    SPlanPen m_framePen;
    COLORREF m_colour = RGB(0, 128, 0);
    EScreenPosition m_boxAnchor = 0;
    RECT m_frame{};
    std::string m_parsed;
    bool m_hasParsed = false;
    std::vector<std::string> m_lines;
    std::vector<int> m_formats;
};
