#pragma once

#include "KVD_Edit/app/edit/EditData.h"
#include "KVD_Edit/app/grid/GridInfo.h"

#include <functional>
#include <vector>

// The grid rows an edit reads and writes. The child frame answers from its line grid and its
// row write-back; tests answer from a project of their own.
class IEditRows {
public:
    virtual ~IEditRows() = default;
    virtual int GetNumRows() const = 0;
    virtual bool IsRowSelected(int row) const = 0;
    // A copy of the row as the grid shows it now, its lengths in the display unit.
    virtual void GetGridInfoRow(SGridInfo &out, int row) const = 0;
    // Writes new values of a row into the project; index is the grid row whose record names the
    // set and line to change. True when written (a refusal has shown its message).
    virtual bool ModifyRow(const SGridInfo &row, int index) = 0;
};

// The arithmetic of the editing dialog: it combines the selected grid rows into one work row,
// and turns an edit request into new values for every selected row (interchange, re-spacing, or
// the per-row update of position, step, length, X/Y swap, direction and name), each written
// back through IEditRows. The rows are always read as the grid showed them before the apply;
// the caller reloads the grid afterwards. Every length is in the display unit.
class CEditEngine {
public:
    CEditEngine();
    CEditEngine(const CEditEngine &) = delete;
    CEditEngine &operator=(const CEditEngine &) = delete;

    SEditData &Data() { return m_data; }
    const SEditData &Data() const { return m_data; }
    // The combined row the dialog edits, and the same values as at the last gather or apply,
    // against which an apply measures what changed.
    SGridInfo &WorkRow() { return m_work; }
    const SGridInfo &ReferenceRow() const { return m_reference; }

    // Refills the work row, the counts, the line spacing and the reference row from the
    // selected rows, and clears the requests (the position mode and entered fields stay).
    // Without a selected row the work row stays as it was and false is returned.
    bool Gather(const IEditRows &rows, int tolerance);

    struct SApplyResult {
        int written = 0; // rows written back
        int refused = 0; // rows the write-back refused
    };
    // Carries out the request on the selected rows: interchange when asked, else re-spacing when
    // asked, else the per-row update. The requests are left for the caller to clear.
    SApplyResult Apply(IEditRows &rows);

    // The spacing of lines at these positions: (highest - lowest) / (distinct positions - 1),
    // 0 for fewer than two distinct positions. lows and highs pair up.
    static double Spacing(const double *lows, const double *highs, int count);

private:
    struct SSelected {
        int index;
        SGridInfo row;
    };
    // The new position across the grid for a rank among the distinct positions.
    using PlaceFn = std::function<double(const std::vector<double> &, size_t)>;
    std::vector<SSelected> Selected(const IEditRows &rows, int orientation) const;
    void PlaceAcross(IEditRows &rows, int orientation, const PlaceFn &place, SApplyResult &result);
    static void Write(IEditRows &rows, const SSelected &line, SApplyResult &result);
    void UpdateRows(IEditRows &rows, SApplyResult &result);
    // Moves one row as the position edit asks.
    void MoveRow(SGridInfo &row) const;

    SEditData m_data;
    SGridInfo m_work;
    SGridInfo m_reference;
};
