#include "KVD_Edit/app/grid/GridInput.h"

#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/shell/CommandIds.h"

CGridInput::SKeyAction CGridInput::DecideKey(EKey key, bool ctrlDown) {
    SKeyAction action;
    switch (key) {
    case KEY_DELETE:
        action.command = KVDCmd::ID_DELETE_LINES;
        break;
    case KEY_INSERT:
        action.command = KVDCmd::ID_IMPORT_LINES;
        break;
    case KEY_UP:
    case KEY_DOWN:
        action.refreshSelection = true;
        break;
    case KEY_A:
        if (ctrlDown)
            action.command = KVDCmd::ID_SELECT_ALL_LINES;
        break;
    case KEY_D:
        if (ctrlDown)
            action.command = KVDCmd::ID_DESELECT_ALL_LINES;
        break;
    default:
        break;
    }
    return action;
}

CGridInput::ECellAction CGridInput::DecideCell(EClick click, int row, int column,
                                               const SGridInfo *record) {
    if (row < 0 || column < 0)
        return CELL_EDIT;
    if (click != CLICK_LEFT)
        return CELL_EDIT;
    if (!record)
        return CELL_NONE;
    if (column == CGridRowFormatter::COL_TOPO) {
        if (record->topoStatus == GFS_LOADED || record->topoStatus == GFS_FAILED)
            return CELL_TOPO_DETACH;
        if (record->topoStatus == GFS_BESIDE)
            return CELL_TOPO_ATTACH;
    } else if (column == CGridRowFormatter::COL_GPS) {
        if (record->gpsStatus == GFS_LOADED || record->gpsStatus == GFS_FAILED)
            return CELL_GPS_DETACH;
        if (record->gpsStatus == GFS_BESIDE)
            return CELL_GPS_ATTACH;
    }
    return CELL_NONE;
}

int CGridInput::ColumnAtX(int x, const std::vector<int> &widths) {
    if (x < 0)
        return -1;
    int left = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (x < left + widths[i])
            return static_cast<int>(i);
        left += widths[i];
    }
    return -1;
}
