#include "KVD_Edit/app/edit/EditEngine.h"

#include "KVD3/KvdDataBlock.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace {

constexpr size_t kNameCompareLength = 256;

bool SameName(const std::string &a, const std::string &b) {
    return a.compare(0, kNameCompareLength, b, 0, kNameCompareLength) == 0;
}

// The position a line is ordered by across the grid: Ymin of an X line, Xmin of a Y line.
double CrossKey(const SGridInfo &row) {
    return row.orientation == LT_XLINE ? row.yMin : row.xMin;
}

void SetCross(SGridInfo &row, double value) {
    if (row.orientation == LT_XLINE)
        row.yMin = row.yMax = value;
    else
        row.xMin = row.xMax = value;
}

// The distinct values, ascending.
std::vector<double> Distinct(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

size_t Rank(const std::vector<double> &distinct, double value) {
    return static_cast<size_t>(std::lower_bound(distinct.begin(), distinct.end(), value) -
                               distinct.begin());
}

// Widens box to take in the row's extents.
void GrowBox(SGridInfo &box, const SGridInfo &row) {
    box.xMin = std::min(box.xMin, row.xMin);
    box.yMin = std::min(box.yMin, row.yMin);
    box.xMax = std::max(box.xMax, row.xMax);
    box.yMax = std::max(box.yMax, row.yMax);
}

void CopyExtents(SGridInfo &to, const SGridInfo &from) {
    to.xMin = from.xMin;
    to.xMax = from.xMax;
    to.yMin = from.yMin;
    to.yMax = from.yMax;
}

// Lays an X or Y line's length along it; a reversed line keeps its start, the Xmax (Ymax) end.
void LayAlong(SGridInfo &r) {
    if (r.orientation != LT_XLINE && r.orientation != LT_YLINE)
        return;
    const bool xLine = r.orientation == LT_XLINE;
    double &lo = xLine ? r.xMin : r.yMin;
    double &hi = xLine ? r.xMax : r.yMax;
    if (r.reversed)
        lo = hi - r.length;
    else
        hi = lo + r.length;
}

// What the rows are asked to take: taken once, so that a row of one trace does not turn the
// request of the rows after it into another one.
struct SSizeRequest {
    bool stepEdited = false;
    bool lengthEdited = false;
    double step = 0;
    double length = 0;
};

// What the resized rows come to, for the work row: the running means of their lengths and
// steps, and whether every row has one trace.
struct SSizeTotals {
    double length = 0;
    double step = 0;
    bool everyRowOneTrace = true;
};

// Gives a row the requested step (its length follows from its traces) or length (its step
// follows); first is the first row of the selection.
void Resize(SGridInfo &r, const SSizeRequest &request, bool first, SSizeTotals &totals) {
    // A row of 0 or 1 traces counts as one trace.
    const int n = std::max(r.numTraces, 1);
    if (n > 1)
        totals.everyRowOneTrace = false;
    if (request.stepEdited) {
        r.step = request.step;
        r.length = n > 1 ? request.step * (n - 1) : 0;
        totals.length = first ? r.length : (totals.length + r.length) / 2;
        LayAlong(r);
    }
    if (request.lengthEdited) {
        r.length = n > 1 ? request.length : 0;
        r.step = n > 1 ? request.length / (n - 1) : 0;
        LayAlong(r);
        totals.step = first ? r.step : (r.step + totals.step) / 2;
    }
}

// Swaps a row's axes (an X line becomes a Y line, counted as such) and reverses its direction,
// as asked.
void Turn(SGridInfo &r, SEditData &data) {
    if (data.swapXY) {
        std::swap(r.xMin, r.yMin);
        std::swap(r.xMax, r.yMax);
        if (r.orientation == LT_XLINE) {
            r.orientation = LT_YLINE;
            ++data.yLineCount;
        } else if (r.orientation == LT_YLINE) {
            r.orientation = LT_XLINE;
            ++data.xLineCount;
        }
    }
    if (data.reverseDirection)
        r.reversed = !r.reversed;
}

} // namespace

CEditEngine::CEditEngine() {
    m_data.workRow = &m_work;
}

double CEditEngine::Spacing(const double *lows, const double *highs, int count) {
    if (count < 2)
        return 0;
    const std::vector<double> keys = Distinct(std::vector<double>(lows, lows + count));
    if (keys.size() < 2)
        return 0;
    const double highest = *std::max_element(highs, highs + count);
    return (highest - keys.front()) / static_cast<double>(keys.size() - 1);
}

bool CEditEngine::Gather(const IEditRows &rows, int tolerance) {
    m_data.setNamesDiffer = false;
    m_data.xLineCount = m_data.yLineCount = 0;
    m_data.interchangeX = m_data.interchangeY = false;
    m_data.reverseDirection = m_data.swapXY = m_data.spacingChanged = false;
    m_data.tolerance = tolerance;

    std::vector<double> xLow, xHigh, yLow, yHigh;
    SGridInfo work;
    int selected = 0;
    for (int i = 0; i < rows.GetNumRows(); ++i) {
        if (!rows.IsRowSelected(i))
            continue;
        SGridInfo row;
        rows.GetGridInfoRow(row, i);
        if (row.orientation == LT_XLINE) {
            ++m_data.xLineCount;
            xLow.push_back(row.yMin);
            xHigh.push_back(row.yMax);
        } else if (row.orientation == LT_YLINE) {
            ++m_data.yLineCount;
            yLow.push_back(row.xMin);
            yHigh.push_back(row.xMax);
        }
        if (selected++ == 0) {
            work = row;
            continue;
        }
        if (!SameName(row.gridName, work.gridName))
            m_data.setNamesDiffer = true;
        GrowBox(work, row);
        work.length = std::max(work.length, row.length);
        work.step = std::max(work.step, row.step);
    }
    m_data.selectedCount = selected;
    m_data.workRow = &m_work;
    if (selected == 0)
        return false;
    m_work = work;

    const int nx = static_cast<int>(xLow.size()), ny = static_cast<int>(yLow.size());
    const double sx = Spacing(xLow.data(), xHigh.data(), nx);
    const double sy = Spacing(yLow.data(), yHigh.data(), ny);
    const bool haveX = nx > 1 && Distinct(xLow).size() > 1;
    const bool haveY = ny > 1 && Distinct(yLow).size() > 1;
    m_data.lineSpacing = haveX && haveY ? (sx + sy) / 2 : haveX ? sx : haveY ? sy : 0;
    m_reference = m_work;
    return true;
}

std::vector<CEditEngine::SSelected> CEditEngine::Selected(const IEditRows &rows,
                                                          int orientation) const {
    std::vector<SSelected> out;
    for (int i = 0; i < rows.GetNumRows(); ++i) {
        if (!rows.IsRowSelected(i))
            continue;
        SSelected s{i, SGridInfo()};
        rows.GetGridInfoRow(s.row, i);
        if (orientation < 0 || s.row.orientation == orientation)
            out.push_back(std::move(s));
    }
    return out;
}

CEditEngine::SApplyResult CEditEngine::Apply(IEditRows &rows) {
    SApplyResult result;
    // Interchange: the lines at the k-th lowest distinct position go to the k-th highest, so
    // lines that share a position stay together and the set of positions stays the same.
    const PlaceFn mirror = [](const std::vector<double> &keys, size_t rank) {
        return keys[keys.size() - 1 - rank];
    };
    // Re-spacing: the lines at the lowest position stay; the k-th distinct position above it
    // becomes lowest + k x spacing.
    const double spacing = m_data.lineSpacing;
    const PlaceFn respace = [spacing](const std::vector<double> &keys, size_t rank) {
        return keys.front() + static_cast<double>(rank) * spacing;
    };
    if (m_data.interchangeX || m_data.interchangeY) {
        if (m_data.interchangeX)
            PlaceAcross(rows, LT_XLINE, mirror, result);
        if (m_data.interchangeY)
            PlaceAcross(rows, LT_YLINE, mirror, result);
    } else if (m_data.spacingChanged) {
        PlaceAcross(rows, LT_XLINE, respace, result);
        PlaceAcross(rows, LT_YLINE, respace, result);
    } else {
        UpdateRows(rows, result);
    }
    return result;
}

// Every selected line of the orientation takes, across the grid, the position that place gives
// for the rank of its own position among the distinct positions (ascending); a line whose
// position stays is not written.
void CEditEngine::PlaceAcross(IEditRows &rows, int orientation, const PlaceFn &place,
                              SApplyResult &result) {
    std::vector<SSelected> lines = Selected(rows, orientation);
    std::vector<double> keys;
    for (const SSelected &l : lines)
        keys.push_back(CrossKey(l.row));
    keys = Distinct(std::move(keys));
    if (keys.size() < 2)
        return;
    for (SSelected &l : lines) {
        const double key = CrossKey(l.row);
        const double to = place(keys, Rank(keys, key));
        if (to == key)
            continue;
        SetCross(l.row, to);
        Write(rows, l, result);
    }
}

void CEditEngine::Write(IEditRows &rows, const SSelected &line, SApplyResult &result) {
    if (rows.ModifyRow(line.row, line.index))
        ++result.written;
    else
        ++result.refused;
}

void CEditEngine::MoveRow(SGridInfo &r) const {
    const bool xLine = r.orientation == LT_XLINE;
    if (!xLine && r.orientation != LT_YLINE)
        return;
    const SGridInfo &w = m_work;
    const SGridInfo &ref = m_reference;
    // The extent along the line: what a moved end drags along.
    const double along = xLine ? r.xMax - r.xMin : r.yMax - r.yMin;
    const bool keep = m_data.keepLength;
    if (m_data.moveAsGroup) {
        const double dX = w.xMin - ref.xMin;
        const double dY = w.yMin - ref.yMin;
        if (xLine) {
            if (dX != 0) {
                r.xMin += dX;
                r.xMax = keep ? r.xMin + along : r.xMax;
            }
            if (dY != 0)
                r.yMin = r.yMax = r.yMax + dY;
        } else {
            if (dY != 0) {
                r.yMin += dY;
                r.yMax = keep ? r.yMin + along : r.yMax;
            }
            if (dX != 0)
                r.xMin = r.xMax = r.xMax + dX;
        }
        return;
    }
    static const int kXOrder[PF_COUNT] = {PF_XMIN, PF_XMAX, PF_YMIN, PF_YMAX};
    static const int kYOrder[PF_COUNT] = {PF_YMIN, PF_YMAX, PF_XMIN, PF_XMAX};
    const int field = m_data.FirstEntered(xLine ? kXOrder : kYOrder);
    // Only a value that was changed is set on the lines.
    double SGridInfo::*member = field == PF_XMIN   ? &SGridInfo::xMin
                                : field == PF_XMAX ? &SGridInfo::xMax
                                : field == PF_YMIN ? &SGridInfo::yMin
                                : field == PF_YMAX ? &SGridInfo::yMax
                                                   : nullptr;
    if (!member || w.*member == ref.*member)
        return;
    const double v = w.*member;
    const bool alongMin = xLine ? field == PF_XMIN : field == PF_YMIN;
    const bool alongMax = xLine ? field == PF_XMAX : field == PF_YMAX;
    double &lo = xLine ? r.xMin : r.yMin;
    double &hi = xLine ? r.xMax : r.yMax;
    if (alongMin) {
        lo = v;
        if (keep)
            hi = v + along;
    } else if (alongMax) {
        hi = v;
        if (keep)
            lo = v - along;
    } else if (xLine) {
        r.yMin = r.yMax = v;
    } else {
        r.xMin = r.xMax = v;
    }
}

void CEditEngine::UpdateRows(IEditRows &rows, SApplyResult &result) {
    SGridInfo &w = m_work;
    SSizeRequest request;
    request.stepEdited = w.step != m_reference.step;
    request.lengthEdited = w.length != m_reference.length;
    request.step = w.step;
    request.length = w.length;
    if (m_data.swapXY)
        m_data.xLineCount = m_data.yLineCount = 0;

    bool first = true;
    SSizeTotals totals;
    SGridInfo box;
    for (SSelected &s : Selected(rows, -1)) {
        SGridInfo &r = s.row;
        MoveRow(r);
        Resize(r, request, first, totals);
        Turn(r, m_data);
        if (first)
            box = r;
        else
            GrowBox(box, r);
        first = false;

        if (m_data.selectedCount == 1 && !w.lineName.empty() && !SameName(r.lineName, w.lineName))
            r.lineName = w.lineName;
        const int refused = result.refused;
        Write(rows, s, result);
        if (result.refused != refused)
            w.lineName = m_reference.lineName;
    }
    if (first)
        return;

    CopyExtents(w, box);
    if (request.lengthEdited) {
        w.step = totals.step;
        w.length = totals.everyRowOneTrace ? 0 : request.length;
    } else if (request.stepEdited) {
        w.length = totals.length;
    }
    CopyExtents(m_reference, w);
    m_reference.length = w.length;
    m_reference.step = w.step;
    m_reference.lineName = w.lineName;
}
