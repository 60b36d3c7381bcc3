#include "KVD_Edit/planview/Legend.h"

#include <cmath>

namespace {

std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t pos = text.find(separator, start);
        parts.push_back(
            text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos)
            break;
        start = pos + 1;
    }
    return parts;
}

std::string WithoutTabs(const std::string &text) {
    std::string out;
    for (char c : text)
        if (c != '\t')
            out += c;
    return out;
}

} // namespace

CLegend::CLegend() {
    m_position = 2;
    m_framePen.colour = m_colour;
}

void CLegend::Init(const CPrgFont *font, const std::string *text, EScreenPosition position,
                   EScreenPosition boxAnchor) {
    m_font = font;
    m_text = text;
    m_position = position;
    m_boxAnchor = boxAnchor;
}

void CLegend::SetFrameColour(COLORREF colour) {
    m_colour = colour;
    SetFramePen(colour, PS_SOLID);
}

void CLegend::SetFramePen(COLORREF colour, int style) {
    m_framePen.colour = colour;
    m_framePen.style = style;
    m_framePen.width = 1;
}

void CLegend::ParseLegendText() {
    if (m_text == nullptr || (m_hasParsed && *m_text == m_parsed))
        return;
    m_parsed = *m_text;
    m_hasParsed = true;
    m_lines.clear();
    m_formats.clear();
    for (const std::string &token : Split(m_parsed, '\n')) {
        if (token.empty())
            break;
        int format = -1;
        switch (token[0]) {
        case 'L':
            format = 0;
            break;
        case 'C':
            format = 1;
            break;
        case 'R':
            format = 2;
            break;
        case 'V':
            format = 4;
            break;
        case 'B':
            format = 16;
            break;
        default:
            break;
        }
        m_formats.push_back(format < 0 ? 0 : format);
        m_lines.push_back(format < 0 ? token : token.substr(1));
    }
}

POINT CLegend::GetAnchorPoint(EScreenPosition position, const RECT *rect) {
    if (rect == nullptr)
        return PlanRect::Pt(0, 0);
    POINT p;
    switch (position & 6) {
    case 0:
        p.x = rect->left;
        break;
    case 2:
        p.x = rect->right;
        break;
    default:
        p.x = static_cast<int>(std::floor(0.5 + (rect->right - rect->left) * 0.5 + rect->left));
        break;
    }
    switch (position & 24) {
    case 0:
        p.y = rect->top;
        break;
    case 8:
        p.y = rect->bottom;
        break;
    default:
        p.y = static_cast<int>(std::floor(0.5 + (rect->bottom - rect->top) * 0.5 + rect->top));
        break;
    }
    return p;
}

RECT CLegend::GetLegendFrame(CPlanDC *dc, const RECT *area) {
    RECT r = PlanRect::Make(0, 0, 0, 0);
    if (m_font == nullptr || dc == nullptr)
        return r;
    const CPrgFont *previous = dc->SelectFont(m_font);
    ParseLegendText();
    int width = 0;
    int height = 0;
    for (const std::string &line : m_lines) {
        CSize ext = dc->GetTextExtent(WithoutTabs(line));
        width = std::max(width, ext.cx);
        height += ext.cy;
    }
    r = PlanRect::Make(0, 0, width, height);
    RECT d = PlanRect::Normalized(dc->LPtoDP(r));
    CSize margin = dc->HIMETRICtoDP(CSize(100, 100));
    d = PlanRect::Inflated(d, margin.cx, margin.cy);
    r = dc->DPtoLP(d);
    r = PlanRect::Offset(r, -r.left, -r.top);
    if (area != nullptr) {
        POINT a = GetAnchorPoint(m_position, area);
        POINT b = GetAnchorPoint(m_boxAnchor, &r);
        r = PlanRect::Offset(r, a.x - b.x, a.y - b.y);
    }
    dc->SelectFont(previous);
    return r;
}

void CLegend::PlaceLegend(CPlanDC *dc, const RECT *area, const RECT *limit) {
    RECT frame = GetLegendFrame(dc, area);
    if (limit != nullptr && dc != nullptr) {
        RECT a = PlanRect::Normalized(dc->LPtoDP(frame));
        RECT b = PlanRect::Normalized(dc->LPtoDP(*limit));
        RECT both;
        PlanRect::Intersect(both, a, b);
        frame = PlanRect::IsEmpty(both) ? PlanRect::Make(0, 0, 0, 0) : dc->DPtoLP(both);
    }
    m_frame = frame;
}

CSize CLegend::GetSize(CPlanDC *dc) {
    RECT r = GetLegendFrame(dc, nullptr);
    return CSize(std::abs(PlanRect::Width(r)), std::abs(PlanRect::Height(r)));
}

int CLegend::Draw(CPlanDC *dc) {
    if (dc == nullptr)
        return 1;
    SPlanPen previousPen = dc->SelectPen(m_framePen);
    const CPrgFont *previousFont = dc->SelectFont(m_font);
    int previousMode = dc->SetBkMode(OPAQUE);
    COLORREF previousColour = dc->SetTextColor(m_colour);

    RECT area = PlanRect::Normalized(dc->LPtoDP(m_frame));
    CSize margin = dc->HIMETRICtoDP(CSize(100, 100));
    area = PlanRect::Inflated(area, -margin.cx, -margin.cy);
    if (m_font != nullptr && !PlanRect::IsEmpty(area)) {
        dc->Rectangle(m_frame);
        ParseLegendText();
        int areaWidth = std::abs(dc->DPtoLP(CSize(PlanRect::Width(area), 0)).cx);
        COLORREF labelColour = m_colour;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const std::string &line = m_lines[i];
            int f = m_formats[i];
            std::string plain = WithoutTabs(line);
            CSize ext = dc->GetTextExtent(plain);
            if (f != 0 && ext.cx > areaWidth)
                f = 4;
            if (f == 2)
                labelColour = kValueColour;
            else if (f == 0 || f == 4 || f == 16)
                labelColour = m_colour;
            int offset = 0;
            if (f == 4 && areaWidth > ext.cx)
                offset = (areaWidth - ext.cx) / 2;

            RECT logicalArea = dc->DPtoLP(area);
            int x = std::min(logicalArea.left, logicalArea.right) + offset;
            int height = 0;
            std::vector<std::string> tokens = Split(line, '\t');
            for (size_t t = 0; t < tokens.size(); ++t) {
                dc->SetTextColor(t % 2 == 0 ? labelColour : kValueColour);
                RECT place = logicalArea;
                place.left = x;
                height = std::max(height, dc->DrawText(tokens[t], place));
                x += dc->GetTextExtent(tokens[t]).cx;
            }
            area.top += std::abs(dc->LPtoDP(CSize(0, height)).cy);
            if (PlanRect::IsEmpty(area))
                break;
        }
    }

    dc->SetTextColor(previousColour);
    dc->SetBkMode(previousMode);
    dc->SelectFont(previousFont);
    dc->SelectPen(previousPen);
    return 1;
}
