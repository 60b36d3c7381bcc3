#include "KVD_Edit/app/grid/GridInput.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/shell/CommandIds.h"

#include <gtest/gtest.h>

#include <vector>

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
    EXPECT_EQ(K::CELL_NONE, K::DecideCell(K::CLICK_LEFT, 0, CGridRowFormatter::COL_LINE_NAME, &r));
    EXPECT_EQ(K::CELL_EDIT,
              K::DecideCell(K::CLICK_DOUBLE, 0, CGridRowFormatter::COL_LINE_NAME, &r));
    EXPECT_EQ(K::CELL_EDIT, K::DecideCell(K::CLICK_RIGHT, 0, CGridRowFormatter::COL_GPS, &r));
    const K::ECellAction gps[] = {K::CELL_NONE,       K::CELL_GPS_DETACH, K::CELL_GPS_ATTACH,
                                  K::CELL_GPS_DETACH, K::CELL_NONE,       K::CELL_NONE};
    const K::ECellAction topo[] = {K::CELL_NONE,        K::CELL_TOPO_DETACH, K::CELL_TOPO_ATTACH,
                                   K::CELL_TOPO_DETACH, K::CELL_NONE,        K::CELL_NONE};
    for (int status = 0; status <= 5; ++status) {
        SCOPED_TRACE(status);
        r.gpsStatus = r.topoStatus = static_cast<int8_t>(status);
        EXPECT_EQ(gps[status], K::DecideCell(K::CLICK_LEFT, 0, CGridRowFormatter::COL_GPS, &r));
        EXPECT_EQ(topo[status], K::DecideCell(K::CLICK_LEFT, 0, CGridRowFormatter::COL_TOPO, &r));
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
