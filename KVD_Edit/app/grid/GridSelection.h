#pragma once

#include <string>
#include <vector>

// The line grid's selection, decided without a window: which rows a reload selects again, and
// where the list's current row stands.
//
// The list control starts a plain click's and an arrow key's new selection from its current row
// (the row the keyboard stands on): it clears the rows selected before only when that row is
// one of them or several are selected. A selection the program sets (a reload, a sort, the plan
// view's pick, select all) therefore takes the current row onto a selected row, else the next
// plain click would add its row to a row selected before instead of replacing it.
class CGridSelection {
public:
    // A selection key (CGridRowBuilder::SelectionKey) folded for comparison: two keys that are
    // equal without regard to case fold to the same text.
    static std::string Fold(const std::string &key);

    // The selected state of each row after a reload: a row is selected when its key equals a
    // saved key without regard to case, whatever the rows' new order. Linear in the number of
    // rows and keys.
    static std::vector<bool> Restore(const std::vector<std::string> &rowKeys,
                                     const std::vector<std::string> &savedKeys);
    // The row whose key equals key without regard to case; -1 when none (or key is empty).
    static int FindRow(const std::vector<std::string> &rowKeys, const std::string &key);

    // The row the list's current row is to stand on once the rows have the states selected:
    // wanted when it is a row and selected (or no row is selected); else current when it is
    // selected; else the first selected row. -1 when no row is selected and wanted is no row:
    // the current row then stays where it is.
    static int CurrentRow(const std::vector<bool> &selected, int current, int wanted);
};
