#pragma once

// The logic of the drop-down pickers, kept apart from the windows so that tests drive it without
// a display: the picker's packed value, the kinds' grid shape, the popup's layout, placement and
// hot-cell tracking, and the notifications the picker sends to its parent.

#include <wx/gdicmn.h>

#include <cstdint>
#include <vector>

class wxGraphicsContext;

// Messages between the popup and its picker, and the picker's message to its parent when the
// popup opens; named by their numbers so that the codes stay those of the original control.
namespace PickerMsg {
enum : int {
    HotCellChanged = 2025, // popup -> picker: the hovered cell changed
    PopupOpened = 2026,    // picker -> parent: the popup has just opened
    ClosedInside = 2028,   // popup -> picker: closed by a click inside it
    ClosedOtherwise = 2029 // popup -> picker: closed by a click outside, Escape or deactivation
};
}

// Notification codes of the picker's command event to its parent.
namespace PickerNotify {
enum : int {
    ValueChanged = 1,
    Closed = 8,        // always first when the popup closes
    ClosedInside = 9,  // closed by a click inside the popup (or Enter)
    ClosedOutside = 10 // closed by a click outside, Escape, focus loss or deactivation
};
}

// The picker's value: low 16 bits the column, high 16 bits the row of the chosen cell, both
// signed. A new picker holds -1 in both halves (nothing chosen).
namespace PickerValue {
constexpr uint32_t None = 0xFFFFFFFFu;
inline int Column(uint32_t value) {
    return static_cast<int16_t>(value & 0xFFFFu);
}
inline int Row(uint32_t value) {
    return static_cast<int16_t>(value >> 16);
}
inline uint32_t Make(int column, int row) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(row)) << 16) |
           static_cast<uint16_t>(column);
}
} // namespace PickerValue

// The record handed to a kind's cell drawing. Row and column are -1 for the extra row.
struct SPickerCell {
    wxRect rect;
    wxGraphicsContext *gc = nullptr;
    int row = 0;
    int column = 0;
    int highlighted = 0; // 1: drawn in the button-text colour, 0: in the button-shadow colour
    int disabled = 0;    // 1: the picker is disabled, drawn in the grey-text colour
};

// What a kind of picker supplies: the cell size, the grid's shape, which cells exist and how a
// cell looks.
class CPickerGrid {
public:
    virtual ~CPickerGrid() = default;
    // The size of one cell's drawing area for a picker button of the given window size.
    virtual wxSize GetCellSize(const wxSize &button) const = 0;
    virtual void DrawCell(const SPickerCell &cell) const = 0;
    virtual bool HasExtraRow() const { return false; }
    virtual int GetColumnCount() const = 0;
    virtual int GetRowCount() const = 0;
    virtual bool IsCellValid(int column, int row) const {
        (void)column;
        (void)row;
        return true;
    }
};

// Size rules of the picker button: an arrow box of side a at the right, a the larger of
// max(5 ex, thumb width) and max(5 ey, thumb height); the button is at least 2 ex + 2 a wide and
// a + 2 ey high. Metrics the toolkit does not know (zero or negative) take common defaults.
struct SPickerMetrics {
    int ex = 2, ey = 2;           // edge size
    int thumbX = 16, thumbY = 16; // scroll-bar thumb size
    int ArrowSide() const;
    wxSize MinButtonSize(const wxSize &size) const;
    // The arrow box in the button's own coordinates.
    wxRect ArrowRect(const wxSize &button) const;
    static SPickerMetrics Make(int ex, int ey, int thumbX, int thumbY);
};

// One notification of the picker to its parent: a command code, or the "opened" message.
struct SPickerNotice {
    int code = 0;       // PickerNotify::... or PickerMsg::PopupOpened
    uint32_t value = 0; // the picker's value when it was sent
    bool operator==(const SPickerNotice &o) const { return code == o.code && value == o.value; }
};

// The picker's state: its value and whether its popup is open, and what it tells its parent.
class CGenericPickerLogic {
public:
    uint32_t GetValue() const { return m_value; }
    void SetValue(uint32_t value) { m_value = value; }
    bool IsPopupOpen() const { return m_popupOpen; }
    uint32_t GetValueAtOpening() const { return m_valueAtOpening; }

    // The user opened the popup: "opened" for the parent. Ignored while it is open already.
    std::vector<SPickerNotice> Open();
    // The popup could not be made: the picker is closed again and nobody is told.
    void OpenFailed();
    // The popup's hot cell changed to value.
    std::vector<SPickerNotice> HotCellChanged(uint32_t value);
    // The popup closed with a pick (a click inside it, or Enter) of value: "closed", "closed
    // inside", and "value changed" only when value differs from the value held now (the last
    // hovered cell's, which hovering has reported already).
    std::vector<SPickerNotice> ClosedInside(uint32_t value);
    // The popup closed without a pick: the value held at opening comes back.
    std::vector<SPickerNotice> ClosedOtherwise();

private:
    uint32_t m_value = PickerValue::None;
    uint32_t m_valueAtOpening = PickerValue::None;
    bool m_popupOpen = false;
};

// The popup's grid: layout, placement on a display, hit tests and the hot cell.
class CPickerPopupLogic {
public:
    // edge: the system edge size (cx, cy) that frames every cell.
    CPickerPopupLogic(const CPickerGrid &grid, const wxSize &buttonSize, const wxSize &edge,
                      uint32_t value);

    uint32_t GetValue() const { return m_value; }
    wxSize GetCellSize() const { return m_cell; }
    // The popup's window size for the grid.
    wxSize GetPopupSize() const;
    // Where the popup goes: below the picker (its screen rectangle) and fitted into the display's
    // client area; above the picker when it would pass the display's bottom.
    wxPoint Place(const wxRect &pickerScreenRect, const wxRect &display) const;

    // The cell (column, row) under a client point, or false when the point lies outside the
    // popup's client area or on no existing cell. With the extra row, its row and column are -1.
    bool HitTest(const wxPoint &client, int &column, int &row) const;
    // The hovered point moved: true when the hot cell changed (the new value is then held).
    bool MouseMove(const wxPoint &client);
    // Keyboard: moves the hot cell by (dc, dr) to the next existing cell in that direction,
    // starting at the first cell when none is hot. True when it moved.
    bool MoveBy(int dc, int dr);

    // The rectangle of a cell in client coordinates, edges included (row -1: the extra row).
    wxRect GetCellRect(int column, int row) const;
    // The rectangle handed to the cell's drawing: the cell without its edges.
    wxRect GetDrawRect(int column, int row) const;

private:
    int TotalRows() const;

    const CPickerGrid &m_grid;
    wxSize m_cell;
    wxSize m_edge;
    uint32_t m_value;
};
