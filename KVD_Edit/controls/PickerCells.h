#pragma once

// The four kinds of picker grid: line styles, line widths, marker styles and fill styles. Each
// gives its grid's shape and cell drawing, and translates the picker's packed value (low half
// column, high half row) to and from its own value. The setters' translations clamp to cells
// that exist, so a picker never holds a value that names no cell.

#include "KVD_Edit/controls/GenericPickerLogic.h"

// The text of the entries for no line and no marker.
inline constexpr const char *kNoneText = "None";

// Rows 0 to 5: solid, dash, dot, dash-dot, dash-dot-dot, no line (the pen styles). Every sample
// sits on the cell's vertical centre, in the picker's face as in the popup.
class CLineStyleCells : public CPickerGrid {
public:
    static constexpr int MaxStyle = 5;
    wxSize GetCellSize(const wxSize &button) const override { return wxSize(button.x, 13); }
    void DrawCell(const SPickerCell &cell) const override;
    int GetColumnCount() const override { return 1; }
    int GetRowCount() const override { return 6; }
    static int ToLineStyle(uint32_t value) { return PickerValue::Row(value); }
    static uint32_t FromLineStyle(int style);
};

// Widths 0 to 4.5 in column 0 and 5 to 9.5 in column 1, in steps of 0.5 from the top.
class CLineWidthCells : public CPickerGrid {
public:
    static constexpr float MaxWidth = 9.5f;
    wxSize GetCellSize(const wxSize &button) const override { return wxSize(button.x / 2, 12); }
    void DrawCell(const SPickerCell &cell) const override;
    int GetColumnCount() const override { return 2; }
    int GetRowCount() const override { return 10; }
    static float ToLineWidth(uint32_t value);
    static uint32_t FromLineWidth(float width);
};

// Rows 0 to 3: square, circle, diamond, no marker; a value beyond them draws its nearest row,
// as GetMarkerStyle reads it, so that the face always shows the style the picker stands for.
class CMarkerStyleCells : public CPickerGrid {
public:
    static constexpr int MaxStyle = 3;
    wxSize GetCellSize(const wxSize &) const override { return wxSize(40, 20); }
    void DrawCell(const SPickerCell &cell) const override;
    int GetColumnCount() const override { return 1; }
    int GetRowCount() const override { return 4; }
    static int ToMarkerStyle(uint32_t value);
    static uint32_t FromMarkerStyle(int style);
};

// Cell i = column + 8 (row - 1): -8 no fill, -7 solid, 0 to 52 the hatch styles.
class CFillStyleCells : public CPickerGrid {
public:
    static constexpr int MaxStyle = 52;
    wxSize GetCellSize(const wxSize &) const override { return wxSize(20, 20); }
    void DrawCell(const SPickerCell &cell) const override;
    int GetColumnCount() const override { return 8; }
    int GetRowCount() const override { return 8; }
    bool IsCellValid(int column, int row) const override;
    static int ToFillStyle(uint32_t value);
    static uint32_t FromFillStyle(int style);
};
