#include "KVD_Edit/app/CommandIds.h"
#include "KVD_Edit/app/GridInput.h"
#include "KVD_Edit/app/GridRowFormatter.h"
#include "KVD_Edit/app/GridSort.h"
#include "KVD_Edit/app/SplitterLayout.h"

#include <gtest/gtest.h>

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

std::vector<std::string> Names(const std::vector<const SGridInfo *> &rows) {
    std::vector<std::string> names;
    for (const SGridInfo *r : rows)
        names.push_back(r->lineName);
    return names;
}

} // namespace

TEST(GridRowFormatter, ColumnsHaveTheirTitlesAndWidths) {
    const char *titles[] = {"Grid Name", "Line Name", "Orientation", "Xmin",    "Xmax",     "Ymin",
                            "Ymax",      "Length",    "Step",        "Edit",    "GPR Data", "GPS",
                            "TOPO",      "SetIndex",  "Line Index",  "NoTraces"};
    for (int i = 0; i < CGridRowFormatter::COLUMN_COUNT; ++i)
        EXPECT_STREQ(titles[i], CGridRowFormatter::kColumns[i].title);
    EXPECT_EQ(0, CGridRowFormatter::kColumns[12].width);
    EXPECT_EQ(100, CGridRowFormatter::kColumns[10].width);
}

TEST(GridRowFormatter, LengthsShowInTheDisplayUnit) {
    SGridInfo r;
    r.unit = ORQ::UNIT_M;
    r.xMin = 1.0;
    r.step = 0.05;
    EXPECT_EQ("1.000", CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_XMIN, ORQ::UNIT_M));
    EXPECT_EQ("3.281", CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_XMIN, ORQ::UNIT_FT));
    EXPECT_EQ("0.164042",
              CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_STEP, ORQ::UNIT_FT));
    EXPECT_EQ("0.050000",
              CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_STEP, ORQ::UNIT_M));
    // A row without a known unit shows its value rather than 0.
    r.unit = ORQ::UNIT_NONE;
    EXPECT_EQ("1.000", CGridRowFormatter::FormatCell(r, CGridRowFormatter::COL_XMIN, ORQ::UNIT_FT));
}

TEST(GridRowFormatter, CodesAndFlagsShowAsTexts) {
    SGridInfo r;
    const int orient = CGridRowFormatter::COL_ORIENTATION;
    const char *orientations[] = {"NA", "S", "X", "Y", ""};
    for (int code = 0; code < 5; ++code) {
        r.orientation = code;
        EXPECT_EQ(orientations[code], CGridRowFormatter::FormatCell(r, orient, ORQ::UNIT_M));
    }
    const int edit = CGridRowFormatter::COL_EDIT;
    std::pair<char, const char *> flags[] = {{'R', "RLD"}, {'Y', "Yes"}, {'N', "No"}, {'?', "No"}};
    for (auto [flag, text] : flags) {
        r.editFlag = flag;
        EXPECT_EQ(text, CGridRowFormatter::FormatCell(r, edit, ORQ::UNIT_M));
    }
    r.gpsStatus = 2;
    r.topoStatus = 3;
    r.setIndex = -2;
    r.lineIndex = 7;
    r.numTraces = 301;
    r.gpsFileName = ".\\a.GPS";
    r.topoFileName = ".\\a.CTP";
    r.hdrGpsType = 3;
    const char *expected[] = {"2", "3", "-2", "7", "301", ".\\a.GPS", ".\\a.CTP", "3"};
    for (int c = 11; c <= 18; ++c)
        EXPECT_EQ(expected[c - 11], CGridRowFormatter::FormatCell(r, c, ORQ::UNIT_M)) << c;
    EXPECT_EQ("", CGridRowFormatter::FormatCell(r, 19, ORQ::UNIT_M));
}

TEST(GridRowFormatter, StatusCodesPickTheirMarks) {
    EXPECT_EQ(SM_NONE, StatusMarkFor(0));
    EXPECT_EQ(SM_ATTACHED, StatusMarkFor(1));
    EXPECT_EQ(SM_BESIDE, StatusMarkFor(2));
    EXPECT_EQ(SM_FAILED, StatusMarkFor(3));
    EXPECT_EQ(SM_IN_TRACES, StatusMarkFor(4));
    EXPECT_EQ(SM_FEW_FIXES, StatusMarkFor(5));
    EXPECT_EQ(SM_BESIDE, StatusMarkFor(9));
}

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
    EXPECT_EQ(-1, CGridSort::CompareFields(feet, metres, 4));
    EXPECT_EQ(1, CGridSort::CompareFields(feet, metres, -4));
    for (int key = 5; key <= 9; ++key) {
        SGridInfo a = feet, b = metres;
        a.xMax = a.yMin = a.yMax = a.length = a.step = 10;
        b.xMax = b.yMin = b.yMax = b.length = b.step = 5;
        EXPECT_EQ(-1, CGridSort::CompareFields(a, b, key)) << key;
    }
}

TEST(GridSort, OtherKeysFollowTheirFields) {
    SGridInfo a, b;
    a.orientation = 2;
    b.orientation = 3;
    EXPECT_EQ(-1, CGridSort::CompareFields(a, b, 3));
    a.editFlag = 'Y';
    b.editFlag = static_cast<char>(0xE9); // above any ASCII letter as an unsigned byte
    EXPECT_EQ(-1, CGridSort::CompareFields(a, b, 10));
    a.dataFileName = ".\\b";
    b.dataFileName = ".\\a";
    EXPECT_EQ(1, CGridSort::CompareFields(a, b, 11));
    a.gpsFileName = "a";
    b.gpsFileName = "b";
    EXPECT_EQ(-1, CGridSort::CompareFields(a, b, 17));
    a.topoFileName = "b";
    b.topoFileName = "a";
    EXPECT_EQ(1, CGridSort::CompareFields(a, b, 18));
    // GPS, TOPO and the hidden columns leave rows equal.
    a.gpsStatus = 1;
    a.setIndex = 5;
    a.numTraces = 9;
    for (int key : {12, 13, 14, 15, 16, -12, 19})
        EXPECT_EQ(0, CGridSort::CompareFields(a, b, key)) << key;
}

TEST(GridInput, KeysBecomeFrameCommands) {
    using K = CGridInput;
    EXPECT_EQ(KVDCmd::ID_DELETE_LINES, K::DecideKey(K::KEY_DELETE, false).command);
    EXPECT_EQ(KVDCmd::ID_IMPORT_LINES, K::DecideKey(K::KEY_INSERT, false).command);
    EXPECT_EQ(KVDCmd::ID_SELECT_ALL_LINES, K::DecideKey(K::KEY_A, true).command);
    EXPECT_EQ(KVDCmd::ID_DESELECT_ALL_LINES, K::DecideKey(K::KEY_D, true).command);
    EXPECT_EQ(0, K::DecideKey(K::KEY_A, false).command);
    EXPECT_EQ(0, K::DecideKey(K::KEY_D, false).command);
    EXPECT_EQ(0, K::DecideKey(K::KEY_OTHER, true).command);
    EXPECT_TRUE(K::DecideKey(K::KEY_UP, false).refreshSelection);
    EXPECT_TRUE(K::DecideKey(K::KEY_DOWN, false).refreshSelection);
    EXPECT_FALSE(K::DecideKey(K::KEY_DELETE, false).refreshSelection);
}

TEST(GridInput, ClicksOnStatusCellsRunTheGpsAndTopoCommands) {
    using K = CGridInput;
    SGridInfo r;
    EXPECT_EQ(K::CELL_EDIT, K::DecideCell(K::CLICK_LEFT, -1, -1, nullptr));
    EXPECT_EQ(K::CELL_NONE, K::DecideCell(K::CLICK_LEFT, 0, 1, &r));
    EXPECT_EQ(K::CELL_EDIT, K::DecideCell(K::CLICK_DOUBLE, 0, 1, &r));
    EXPECT_EQ(K::CELL_EDIT, K::DecideCell(K::CLICK_RIGHT, 0, 11, &r));
    const K::ECellAction gps[] = {K::CELL_NONE,       K::CELL_GPS_DETACH, K::CELL_GPS_ATTACH,
                                  K::CELL_GPS_DETACH, K::CELL_NONE,       K::CELL_NONE};
    const K::ECellAction topo[] = {K::CELL_NONE,        K::CELL_TOPO_DETACH, K::CELL_TOPO_ATTACH,
                                   K::CELL_TOPO_DETACH, K::CELL_NONE,        K::CELL_NONE};
    for (int status = 0; status <= 5; ++status) {
        r.gpsStatus = r.topoStatus = static_cast<int8_t>(status);
        EXPECT_EQ(gps[status], K::DecideCell(K::CLICK_LEFT, 0, 11, &r)) << status;
        EXPECT_EQ(topo[status], K::DecideCell(K::CLICK_LEFT, 0, 12, &r)) << status;
    }
}

TEST(GridInput, ColumnUnderThePointer) {
    std::vector<int> widths = {65, 75, 0, 50};
    EXPECT_EQ(0, CGridInput::ColumnAtX(0, widths));
    EXPECT_EQ(0, CGridInput::ColumnAtX(64, widths));
    EXPECT_EQ(1, CGridInput::ColumnAtX(65, widths));
    EXPECT_EQ(3, CGridInput::ColumnAtX(140, widths)); // the hidden column is never hit
    EXPECT_EQ(-1, CGridInput::ColumnAtX(190, widths));
    EXPECT_EQ(-1, CGridInput::ColumnAtX(-3, widths));
}

TEST(SplitterLayout, StoredTextIsReadAndClamped) {
    SSplitterLayout d = SSplitterLayout::Parse(SSplitterLayout::kDefaultText);
    EXPECT_EQ(400, d.leftWidth);
    EXPECT_EQ(150, d.rightWidth);
    EXPECT_EQ(100, d.rowHeight);

    SSplitterLayout a = SSplitterLayout::Parse("0, 0, 800, 60, 300");
    a.FitToFrame(1000);
    EXPECT_EQ(760, a.leftWidth);
    EXPECT_EQ(100, a.rightWidth);
    EXPECT_EQ(300, a.rowHeight);

    SSplitterLayout b = SSplitterLayout::Parse("0, 0, 950, 300, 100");
    b.FitToFrame(1000);
    EXPECT_EQ(900, b.leftWidth);
    EXPECT_EQ(100, b.rightWidth);

    // A narrow right pane and a left pane still too wide: the right pane keeps its minimum.
    SSplitterLayout c = SSplitterLayout::Parse("0,0,990,60,100");
    c.FitToFrame(1000);
    EXPECT_EQ(900, c.leftWidth);
    // A frame narrower than the minimum leaves the left pane at 0.
    SSplitterLayout n;
    n.FitToFrame(60);
    EXPECT_EQ(0, n.leftWidth);
}

TEST(SplitterLayout, BadStoredTextsGiveTheDefaults) {
    for (const char *text :
         {"", "0, 0, 500", "0, 0, 500, 200", "0, 0, -5, 200, 100", "0, 0, 500, -1, 100",
          "0, 0, 500, 200, -9", "a, b, c, d, e", "0, 0, 99999999999999999999, 200, 100"}) {
        SSplitterLayout l = SSplitterLayout::Parse(text);
        EXPECT_EQ(400, l.leftWidth) << text;
        EXPECT_EQ(150, l.rightWidth) << text;
        EXPECT_EQ(100, l.rowHeight) << text;
    }
    EXPECT_EQ("0, 0, 320, 480, 260", SSplitterLayout::Format(320, 480, 260));
    SSplitterLayout back = SSplitterLayout::Parse(SSplitterLayout::Format(320, 480, 260));
    EXPECT_EQ(320, back.leftWidth);
    EXPECT_EQ(480, back.rightWidth);
    EXPECT_EQ(260, back.rowHeight);
}
