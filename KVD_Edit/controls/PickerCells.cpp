#include "KVD_Edit/controls/PickerCells.h"

#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/pen.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>

namespace {

wxColour CellColour(const SPickerCell &cell) {
    if (cell.disabled)
        return wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    return wxSystemSettings::GetColour(cell.highlighted ? wxSYS_COLOUR_BTNTEXT
                                                        : wxSYS_COLOUR_BTNSHADOW);
}

// The row on which a cell's sample sits: its vertical centre.
double CentreY(const wxRect &rect) {
    return rect.y + rect.height / 2;
}

// A sample line across the cell at its vertical centre. Flat ends: a round or square cap would
// reach past the cell's sides into its neighbour.
void HorizontalLine(const SPickerCell &cell, wxGraphicsPenInfo pen) {
    pen.Cap(wxCAP_BUTT);
    cell.gc->SetPen(cell.gc->CreatePen(pen));
    // A line covers whole pixel rows when an odd width has its middle on a pixel's centre and
    // an even one on the border between two pixels.
    const bool odd = std::lround(std::max(pen.GetWidth(), 1.0)) % 2 == 1;
    const double y = CentreY(cell.rect) + (odd ? 0.5 : 0.0);
    cell.gc->StrokeLine(cell.rect.x, y, cell.rect.x + cell.rect.width, y);
}

// The entries for no line and no marker show the word, so that no cell and no face is blank.
void DrawNone(const SPickerCell &cell) {
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    const int height = std::max(cell.rect.height - 2, 6);
    if (font.GetPixelSize().y > height)
        font.SetPixelSize(wxSize(0, height));
    cell.gc->SetFont(font, CellColour(cell));
    double w = 0, h = 0;
    cell.gc->GetTextExtent(kNoneText, &w, &h);
    cell.gc->DrawText(kNoneText, cell.rect.x + 4, CentreY(cell.rect) - h / 2);
}

} // namespace

uint32_t CLineStyleCells::FromLineStyle(int style) {
    return PickerValue::Make(0, std::clamp(style, 0, MaxStyle));
}

void CLineStyleCells::DrawCell(const SPickerCell &cell) const {
    if (!cell.gc)
        return;
    if (cell.row == MaxStyle) {
        DrawNone(cell); // the entry for no line
        return;
    }
    wxGraphicsPenInfo pen(CellColour(cell), 1.0);
    // Rows 0 to 4 are the pen's dash styles; any other row (an empty picker) stays solid.
    static const wxDash dashDotDot[] = {6, 2, 1, 2, 1, 2};
    switch (cell.row) {
    case 1:
        pen.Style(wxPENSTYLE_LONG_DASH);
        break;
    case 2:
        pen.Style(wxPENSTYLE_DOT);
        break;
    case 3:
        pen.Style(wxPENSTYLE_DOT_DASH);
        break;
    case 4:
        pen.Style(wxPENSTYLE_USER_DASH);
        pen.Dashes(6, dashDotDot);
        break;
    default:
        break;
    }
    HorizontalLine(cell, pen);
}

float CLineWidthCells::ToLineWidth(uint32_t value) {
    return (PickerValue::Row(value) + 10.0f * PickerValue::Column(value)) / 2.0f;
}

uint32_t CLineWidthCells::FromLineWidth(float width) {
    // Widths beyond the grid (or no number at all) come to its nearest cell.
    if (!std::isfinite(width) || width < 0.0f)
        width = 0.0f;
    width = std::min(width, MaxWidth);
    const int n = static_cast<int>(2.0f * width);
    return PickerValue::Make(n / 10, n % 10);
}

void CLineWidthCells::DrawCell(const SPickerCell &cell) const {
    if (!cell.gc)
        return;
    const double width = (cell.row + 10.0 * cell.column) / 2.0;
    // Width 0 is the thinnest line the device draws: one pixel.
    HorizontalLine(cell, wxGraphicsPenInfo(CellColour(cell), width > 0.0 ? width : 1.0));
}

int CMarkerStyleCells::ToMarkerStyle(uint32_t value) {
    return std::clamp(PickerValue::Row(value), 0, MaxStyle);
}

uint32_t CMarkerStyleCells::FromMarkerStyle(int style) {
    return PickerValue::Make(0, std::clamp(style, 0, MaxStyle));
}

void CMarkerStyleCells::DrawCell(const SPickerCell &cell) const {
    if (!cell.gc)
        return;
    // The shape the value stands for (a row beyond the list reads as its nearest entry), an
    // 8-pixel box centred on the cell's middle row; the diamond is twice as high as wide.
    const double x0 = cell.rect.x + 10;
    const double c = CentreY(cell.rect);
    cell.gc->SetPen(*wxTRANSPARENT_PEN);
    cell.gc->SetBrush(cell.gc->CreateBrush(wxBrush(CellColour(cell))));
    switch (std::clamp(cell.row, 0, MaxStyle)) {
    case 0:
        cell.gc->DrawRectangle(x0, c - 4, 8, 8);
        break;
    case 1:
        cell.gc->DrawEllipse(x0, c - 4, 8, 8);
        break;
    case 2: {
        const double top = std::max(c - 8, double(cell.rect.y));
        const double bottom = std::min(c + 8, double(cell.rect.y + cell.rect.height));
        const wxPoint2DDouble diamond[] = {
            {x0, c}, {x0 + 4, top}, {x0 + 8, c}, {x0 + 4, bottom}, {x0, c}};
        cell.gc->DrawLines(5, diamond, wxODDEVEN_RULE);
        break;
    }
    default:
        DrawNone(cell); // the entry for no marker
        break;
    }
}

bool CFillStyleCells::IsCellValid(int column, int row) const {
    const int i = column + 8 * (row - 1);
    if (i > MaxStyle)
        return false;
    return i >= 0 || i == -8 || i == -7;
}

int CFillStyleCells::ToFillStyle(uint32_t value) {
    const int row = PickerValue::Row(value);
    const int column = PickerValue::Column(value);
    if (row <= 0)
        return column == 1 ? -2 : -1;
    return std::min(column + 8 * row - 8, MaxStyle);
}

uint32_t CFillStyleCells::FromFillStyle(int style) {
    if (style == -2)
        return PickerValue::Make(1, 0);
    if (style < 0)
        return PickerValue::Make(0, 0);
    style = std::min(style, MaxStyle);
    return PickerValue::Make(style % 8, style / 8 + 1);
}

void CFillStyleCells::DrawCell(const SPickerCell &cell) const {
    if (!cell.gc || !IsCellValid(cell.column, cell.row))
        return;
    const int i = cell.column + 8 * (cell.row - 1);
    const wxColour colour = CellColour(cell);
    const wxRect &r = cell.rect;
    cell.gc->SetPen(*wxTRANSPARENT_PEN);
    if (i >= 0) {
        // The toolkit knows six hatch patterns; the 53 styles cycle through them.
        static const wxBrushStyle hatches[] = {
            wxBRUSHSTYLE_HORIZONTAL_HATCH, wxBRUSHSTYLE_VERTICAL_HATCH,
            wxBRUSHSTYLE_FDIAGONAL_HATCH,  wxBRUSHSTYLE_BDIAGONAL_HATCH,
            wxBRUSHSTYLE_CROSS_HATCH,      wxBRUSHSTYLE_CROSSDIAG_HATCH};
        cell.gc->SetBrush(cell.gc->CreateBrush(wxBrush(colour, hatches[i % 6])));
        cell.gc->DrawRectangle(r.x, r.y, r.width, r.height);
    } else if (i == -7) {
        cell.gc->SetBrush(cell.gc->CreateBrush(wxBrush(colour)));
        cell.gc->DrawRectangle(r.x, r.y, r.width, r.height);
    }
    cell.gc->SetBrush(*wxTRANSPARENT_BRUSH);
    cell.gc->SetPen(cell.gc->CreatePen(wxGraphicsPenInfo(colour, 1.0)));
    cell.gc->DrawRectangle(r.x + 0.5, r.y + 0.5, r.width - 1, r.height - 1);
}
