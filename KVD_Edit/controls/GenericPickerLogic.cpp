#include "KVD_Edit/controls/GenericPickerLogic.h"

#include <algorithm>

SPickerMetrics SPickerMetrics::Make(int ex, int ey, int thumbX, int thumbY) {
    SPickerMetrics m;
    m.ex = ex > 0 ? ex : m.ex;
    m.ey = ey > 0 ? ey : m.ey;
    m.thumbX = thumbX > 0 ? thumbX : m.thumbX;
    m.thumbY = thumbY > 0 ? thumbY : m.thumbY;
    return m;
}

int SPickerMetrics::ArrowSide() const {
    return std::max(std::max(5 * ex, thumbX), std::max(5 * ey, thumbY));
}

wxSize SPickerMetrics::MinButtonSize(const wxSize &size) const {
    const int a = ArrowSide();
    return wxSize(std::max(size.x, 2 * ex + 2 * a), std::max(size.y, a + 2 * ey));
}

wxRect SPickerMetrics::ArrowRect(const wxSize &button) const {
    const int a = ArrowSide();
    return wxRect(button.x - a - ex, ey, a, std::max(button.y - 2 * ey, 0));
}

std::vector<SPickerNotice> CGenericPickerLogic::Open() {
    if (m_popupOpen)
        return {};
    m_popupOpen = true;
    m_valueAtOpening = m_value;
    return {{PickerMsg::PopupOpened, m_value}};
}

void CGenericPickerLogic::OpenFailed() {
    m_popupOpen = false;
    m_value = m_valueAtOpening;
}

std::vector<SPickerNotice> CGenericPickerLogic::HotCellChanged(uint32_t value) {
    if (!m_popupOpen)
        return {};
    m_value = value;
    return {{PickerNotify::ValueChanged, m_value}};
}

std::vector<SPickerNotice> CGenericPickerLogic::ClosedInside(uint32_t value) {
    if (!m_popupOpen)
        return {};
    m_popupOpen = false;
    // Hovering has already set (and reported) the cells it passed: only a pick that differs
    // from what the picker holds now is news to the parent.
    const uint32_t old = m_value;
    m_value = value;
    std::vector<SPickerNotice> notices{{PickerNotify::Closed, m_value},
                                       {PickerNotify::ClosedInside, m_value}};
    if (PickerValue::Column(old) != PickerValue::Column(value) ||
        PickerValue::Row(old) != PickerValue::Row(value))
        notices.push_back({PickerNotify::ValueChanged, m_value});
    return notices;
}

std::vector<SPickerNotice> CGenericPickerLogic::ClosedOtherwise() {
    if (!m_popupOpen)
        return {};
    m_popupOpen = false;
    // Hovering already showed (and reported) other cells; no pick was made, so the value held
    // at opening comes back, and the parent hears of it when hovering had changed it.
    const bool hovered = m_value != m_valueAtOpening;
    m_value = m_valueAtOpening;
    std::vector<SPickerNotice> notices{{PickerNotify::Closed, m_value},
                                       {PickerNotify::ClosedOutside, m_value}};
    if (hovered)
        notices.push_back({PickerNotify::ValueChanged, m_value});
    return notices;
}

CPickerPopupLogic::CPickerPopupLogic(const CPickerGrid &grid, const wxSize &buttonSize,
                                     const wxSize &edge, uint32_t value)
    : m_grid(grid), m_cell(grid.GetCellSize(buttonSize)), m_edge(edge), m_value(value) {
    m_cell.x = std::max(m_cell.x, 0);
    m_cell.y = std::max(m_cell.y, 0);
}

int CPickerPopupLogic::TotalRows() const {
    return m_grid.GetRowCount() + (m_grid.HasExtraRow() ? 1 : 0);
}

wxSize CPickerPopupLogic::GetPopupSize() const {
    const int cellW = m_cell.x + 2 * m_edge.x;
    const int cellH = m_cell.y + 2 * m_edge.y;
    return wxSize(2 * m_edge.x + m_grid.GetColumnCount() * cellW,
                  2 * m_edge.y + TotalRows() * cellH);
}

wxPoint CPickerPopupLogic::Place(const wxRect &picker, const wxRect &display) const {
    const wxSize size = GetPopupSize();
    wxPoint pos(picker.x, picker.y + picker.height);
    const int right = display.x + display.width;
    const int bottom = display.y + display.height;
    if (pos.x + size.x > right)
        pos.x -= pos.x + size.x - right;
    if (pos.x < display.x)
        pos.x = display.x;
    if (pos.y + size.y > bottom)
        pos.y = picker.y - size.y; // directly above the picker button
    if (pos.y < display.y)
        pos.y = display.y;
    return pos;
}

bool CPickerPopupLogic::HitTest(const wxPoint &client, int &column, int &row) const {
    const wxSize size = GetPopupSize();
    // Only the popup's own client area picks: points left of or above it would otherwise
    // truncate onto column or row 0.
    if (client.x < 0 || client.y < 0 || client.x >= size.x || client.y >= size.y)
        return false;
    const int cellW = m_cell.x + 2 * m_edge.x;
    const int cellH = m_cell.y + 2 * m_edge.y;
    if (cellW <= 0 || cellH <= 0)
        return false;
    // Truncating toward zero: the margin left of the first cell still belongs to column 0.
    int c = (client.x - m_edge.x) / cellW;
    int r = (client.y - m_edge.y) / cellH;
    if (c < 0 || c >= m_grid.GetColumnCount() || r < 0 || r >= TotalRows())
        return false;
    if (m_grid.HasExtraRow()) {
        --r;
        if (r == -1)
            c = -1;
    }
    if (!m_grid.IsCellValid(c, r))
        return false;
    column = c;
    row = r;
    return true;
}

bool CPickerPopupLogic::MouseMove(const wxPoint &client) {
    int c = 0, r = 0;
    if (!HitTest(client, c, r))
        return false;
    const uint32_t value = PickerValue::Make(c, r);
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

bool CPickerPopupLogic::MoveBy(int dc, int dr) {
    const int cols = m_grid.GetColumnCount();
    const int rows = m_grid.GetRowCount();
    int c = PickerValue::Column(m_value);
    int r = PickerValue::Row(m_value);
    const bool inside = c >= 0 && c < cols && r >= 0 && r < rows && m_grid.IsCellValid(c, r);
    if (!inside) {
        // Nothing hot yet (or the held value names no cell): start at the first cell.
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < cols; ++col) {
                if (m_grid.IsCellValid(col, row)) {
                    m_value = PickerValue::Make(col, row);
                    return true;
                }
            }
        }
        return false;
    }
    for (;;) {
        c += dc;
        r += dr;
        if (c < 0 || c >= cols || r < 0 || r >= rows || (dc == 0 && dr == 0))
            return false;
        if (m_grid.IsCellValid(c, r)) {
            m_value = PickerValue::Make(c, r);
            return true;
        }
    }
}

wxRect CPickerPopupLogic::GetCellRect(int column, int row) const {
    const int cellW = m_cell.x + 2 * m_edge.x;
    const int cellH = m_cell.y + 2 * m_edge.y;
    if (row < 0)
        return wxRect(0, 0, GetPopupSize().x, cellH);
    const int top = m_grid.HasExtraRow() ? cellH : 0;
    return wxRect(m_edge.x + column * cellW, top + m_edge.y + row * cellH, cellW, cellH);
}

wxRect CPickerPopupLogic::GetDrawRect(int column, int row) const {
    wxRect rect = GetCellRect(column, row);
    if (row >= 0)
        rect.Deflate(m_edge.x, m_edge.y);
    return rect;
}
