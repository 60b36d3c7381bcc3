#pragma once

#include "KVD_Edit/app/grid/GridInfo.h"

#include <vector>

// Sorting of the line grid. A sort key is +(column + 1) for an ascending sort by that column and
// -(column + 1) for a descending one.
class CGridSort {
public:
    // The key the grid starts with: ascending by "Grid Name".
    static constexpr int kInitialKey = 1;

    // The key after a click on a column's header: ascending by that column, or the reverse of
    // the current key when it already sorts by that column.
    static int NextKey(int currentKey, int column);

    // -1, 0 or 1 as a sorts before, with or after b under key. Names and data files compare
    // byte-wise, the orientation as a number, the edit flag as an unsigned byte, lengths in one
    // unit (rows keep their own units); the status and index columns leave rows equal, and the
    // key 17 and 18 sort by the GPS and the topography file.
    static int CompareFields(const SGridInfo &a, const SGridInfo &b, int key);

    // Sorts the rows by key; rows that compare equal keep their order.
    static void Sort(std::vector<const SGridInfo *> &rows, int key);
};
