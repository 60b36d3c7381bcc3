#pragma once

#include "KVD_Edit/app/grid/GridInfo.h"

#include <vector>

// What the line grid does with keys and clicks, decided without a window: which command goes to
// the child frame, and which GPS or topography command a click on a status cell runs.
class CGridInput {
public:
    // Keys of the grid, independent of the toolkit's key codes.
    enum EKey { KEY_OTHER, KEY_DELETE, KEY_INSERT, KEY_UP, KEY_DOWN, KEY_A, KEY_D };

    struct SKeyAction {
        int command = 0;               // command to post to the frame; 0 none
        bool refreshSelection = false; // copy the grid's selection into the document's
    };
    // A released key: Delete posts the deletion, Insert the import, Ctrl+A and Ctrl+D select and
    // deselect all; the arrows move the selection, which the document then takes over.
    static SKeyAction DecideKey(EKey key, bool ctrlDown);

    // Kinds of a mouse notification on the grid.
    enum EClick { CLICK_LEFT = -2, CLICK_DOUBLE = -3, CLICK_RIGHT = -5 };

    enum ECellAction {
        CELL_NONE,
        CELL_EDIT,        // post the edit command 32796
        CELL_GPS_ATTACH,  // the document's GPS attach
        CELL_GPS_DETACH,  // the document's GPS detach
        CELL_TOPO_ATTACH, // the document's topography attach
        CELL_TOPO_DETACH, // the document's topography detach
    };
    // A click of a kind on the cell (row, column); row < 0 or column < 0 when no cell was hit.
    // record is the hit row's record (null when the row has none).
    static ECellAction DecideCell(EClick click, int row, int column, const SGridInfo *record);

    // The column under x (pixels from the left edge of the first column) for the given widths
    // in display order; -1 past the last column or left of the first.
    static int ColumnAtX(int x, const std::vector<int> &widths);
};
