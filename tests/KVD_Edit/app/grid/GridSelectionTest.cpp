#include "KVD_Edit/app/grid/GridSelection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<bool> Rows(const std::string &marks) {
    std::vector<bool> rows;
    for (char c : marks)
        rows.push_back(c == 'x');
    return rows;
}

} // namespace

TEST(GridSelection, KeysMatchWithoutRegardToCaseOfTheCodePagesLetters) {
    const struct {
        const char *name;
        std::string a, b;
        bool same;
    } rows[] = {
        {"ASCII letters", "GRID1,.\\X01.dt1", "grid1,.\\x01.DT1", true},
        {"accented letters (E acute)", "G,.\\\xC9T\xC9.dt1", "g,.\\\xE9t\xE9.dt1", true},
        {"another letter", "GRID1,.\\X01.dt1", "GRID1,.\\X02.dt1", false},
        {"sharp s is no SS", "G,\xDF", "G,SS", false},
        {"a longer key", "G,X01", "G,X010", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CGridSelection::Fold(row.a) == CGridSelection::Fold(row.b), row.same);
    }
}

TEST(GridSelection, ARestoreSelectsTheRowsOfTheSavedKeysWhateverTheirOrder) {
    const std::vector<std::string> keys{"G,X1", "G,X2", "H,X1", "G,X3", "G,X2"};
    const struct {
        const char *name;
        std::vector<std::string> saved;
        std::string selected;
    } rows[] = {
        {"nothing saved", {}, "....."},
        {"saved in another order and case", {"g,x3", "H,X1"}, "..xx."},
        {"a key of two rows selects both", {"G,X2"}, ".x..x"},
        {"a key no row has", {"G,X9"}, "....."},
        {"the same name in another set", {"H,X1"}, "..x.."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CGridSelection::Restore(keys, row.saved), Rows(row.selected));
    }
    EXPECT_EQ(CGridSelection::FindRow(keys, "h,x1"), 2);
    EXPECT_EQ(CGridSelection::FindRow(keys, "G,X9"), -1);
    EXPECT_EQ(CGridSelection::FindRow(keys, ""), -1);
}

// Where the list's current row goes once the program has set a selection: on a selected row
// whenever one is selected, preferring the row asked for, then the row it stood on.
TEST(GridSelection, TheCurrentRowStandsOnASelectedRow) {
    const struct {
        const char *name;
        std::string selected;
        int current, wanted, expected;
    } rows[] = {
        {"the wanted row, selected", ".x.x.", 0, 3, 3},
        {"the wanted row is not selected: the current one is", ".x.x.", 1, 2, 1},
        {"neither is selected: the first selected row", "..xx.", 0, 4, 2},
        {"no current row (a reload emptied the list)", "...x.", -1, -1, 3},
        {"nothing selected: the wanted row", ".....", 1, 3, 3},
        {"nothing selected, nothing wanted: it stays", ".....", 1, -1, -1},
        {"a wanted row past the end", ".x...", -1, 9, 1},
        {"a current row past the end", "x....", 7, -1, 0},
        {"no rows", "", -1, 0, -1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CGridSelection::CurrentRow(Rows(row.selected), row.current, row.wanted),
                  row.expected);
    }
}
