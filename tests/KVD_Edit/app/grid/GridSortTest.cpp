#include "KVD_Edit/app/grid/GridSort.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SGridInfo Row(const std::string &grid, const std::string &line, double xMin,
              ORQ::EUnitType unit = ORQ::UNIT_M) {
    SGridInfo r;
    r.gridName = grid;
    r.lineName = line;
    r.xMin = xMin;
    r.unit = unit;
    return r;
}

// The sort key of a column or field: +(column + 1) sorts ascending by it.
int Key(int column) {
    return column + 1;
}

std::vector<std::string> Names(const std::vector<const SGridInfo *> &rows) {
    std::vector<std::string> names;
    for (const SGridInfo *r : rows)
        names.push_back(r->lineName);
    return names;
}

} // namespace

TEST(GridSort, FirstGridNameClickSortsDescendingThenLineNameAscending) {
    int key = CGridSort::kInitialKey;
    key = CGridSort::NextKey(key, 0);
    EXPECT_EQ(-1, key);
    key = CGridSort::NextKey(key, 1);
    EXPECT_EQ(2, key);
    key = CGridSort::NextKey(key, 1);
    EXPECT_EQ(-2, key);
    key = CGridSort::NextKey(key, 1);
    EXPECT_EQ(2, key);

    SGridInfo a = Row("A", "L2", 0), b = Row("B", "L1", 0), c = Row("A", "L3", 0);
    std::vector<const SGridInfo *> rows = {&a, &b, &c};
    CGridSort::Sort(rows, -1);
    EXPECT_EQ((std::vector<std::string>{"L1", "L2", "L3"}), Names(rows));
    CGridSort::Sort(rows, 2);
    EXPECT_EQ((std::vector<std::string>{"L1", "L2", "L3"}), Names(rows));
    CGridSort::Sort(rows, -2);
    EXPECT_EQ((std::vector<std::string>{"L3", "L2", "L1"}), Names(rows));
}

TEST(GridSort, LengthsCompareInOneUnit) {
    // 10 ft is 3.048 m: less than 5 m although its stored number is larger.
    SGridInfo feet = Row("G", "FT", 10, ORQ::UNIT_FT);
    SGridInfo metres = Row("G", "M", 5, ORQ::UNIT_M);
    EXPECT_EQ(-1, CGridSort::CompareFields(feet, metres, Key(CGridRowFormatter::COL_XMIN)));
    EXPECT_EQ(1, CGridSort::CompareFields(feet, metres, -Key(CGridRowFormatter::COL_XMIN)));
    for (int key = Key(CGridRowFormatter::COL_XMAX); key <= Key(CGridRowFormatter::COL_STEP);
         ++key) {
        SCOPED_TRACE(key);
        SGridInfo a = feet, b = metres;
        a.xMax = a.yMin = a.yMax = a.length = a.step = 10;
        b.xMax = b.yMin = b.yMax = b.length = b.step = 5;
        EXPECT_EQ(-1, CGridSort::CompareFields(a, b, key));
    }
}

TEST(GridSort, OtherKeysFollowTheirFields) {
    SGridInfo a, b;
    a.orientation = 2;
    b.orientation = 3;
    EXPECT_EQ(-1, CGridSort::CompareFields(a, b, Key(CGridRowFormatter::COL_ORIENTATION)));
    a.editFlag = 'Y';
    b.editFlag = static_cast<char>(0xE9); // above any ASCII letter as an unsigned byte
    EXPECT_EQ(-1, CGridSort::CompareFields(a, b, Key(CGridRowFormatter::COL_EDIT)));
    a.dataFileName = ".\\b";
    b.dataFileName = ".\\a";
    EXPECT_EQ(1, CGridSort::CompareFields(a, b, Key(CGridRowFormatter::COL_GPR_DATA)));
    a.gpsFileName = "a";
    b.gpsFileName = "b";
    EXPECT_EQ(-1, CGridSort::CompareFields(a, b, Key(CGridRowFormatter::FIELD_GPS_FILE)));
    a.topoFileName = "b";
    b.topoFileName = "a";
    EXPECT_EQ(1, CGridSort::CompareFields(a, b, Key(CGridRowFormatter::FIELD_TOPO_FILE)));
    // GPS, TOPO and the hidden columns leave rows equal.
    a.gpsStatus = 1;
    a.setIndex = 5;
    a.numTraces = 9;
    using F = CGridRowFormatter;
    for (int key :
         {Key(F::COL_GPS), Key(F::COL_TOPO), Key(F::COL_SET_INDEX), Key(F::COL_LINE_INDEX),
          Key(F::COL_NO_TRACES), -Key(F::COL_GPS), Key(F::FIELD_HDR_GPS_TYPE)}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(0, CGridSort::CompareFields(a, b, key));
    }
}
