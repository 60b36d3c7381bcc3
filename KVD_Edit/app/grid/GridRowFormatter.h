#pragma once

#include "KVD_Edit/app/grid/GridInfo.h"

#include <string>

// The texts of the line grid's cells, produced on demand from a row record. Lengths are
// converted from the row's unit into the display unit every time a text is made.
class CGridRowFormatter {
public:
    enum EColumn {
        COL_GRID_NAME = 0,
        COL_LINE_NAME = 1,
        COL_ORIENTATION = 2,
        COL_XMIN = 3,
        COL_XMAX = 4,
        COL_YMIN = 5,
        COL_YMAX = 6,
        COL_LENGTH = 7,
        COL_STEP = 8,
        COL_EDIT = 9,
        COL_GPR_DATA = 10,
        COL_GPS = 11,
        COL_TOPO = 12,
        COL_SET_INDEX = 13,
        COL_LINE_INDEX = 14,
        COL_NO_TRACES = 15,
        COLUMN_COUNT = 16,
        // Fields without a column that FormatCell also answers.
        FIELD_GPS_FILE = 16,
        FIELD_TOPO_FILE = 17,
        FIELD_HDR_GPS_TYPE = 18,
    };

    struct SColumn {
        const char *title;
        int width; // pixels; 0 hides the column until the user widens it
    };
    // The sixteen columns in creation order.
    static const SColumn kColumns[COLUMN_COUNT];
    // The columns that FitColumnWidths widens.
    static constexpr int kAutoSizedColumns = 12;

    // The text of a cell (columns 0 to 15, fields 16 to 18); empty for any other index.
    static std::string FormatCell(const SGridInfo &row, int column, ORQ::EUnitType displayUnit);

    // "NA", "S", "X", "Y" for 0 to 3; "" for any other code.
    static std::string OrientationText(int orientation);
    // "RLD" for 'R', "Yes" for 'Y', "No" for anything else.
    static std::string EditText(char flag);
    // The length converted for display; a row without a known unit shows its value as stored.
    static double ToDisplay(double value, ORQ::EUnitType from, ORQ::EUnitType displayUnit);
};

// What a GPS or TOPO cell draws for its status code.
enum EStatusMark {
    SM_NONE = 0,  // 0: nothing
    SM_ATTACHED,  // 1: a checked box
    SM_BESIDE,    // 2 and unknown codes: an empty box
    SM_FAILED,    // 3: "X" in red
    SM_IN_TRACES, // 4: "?"
    SM_FEW_FIXES, // 5: "0" in red
    STATUS_MARK_COUNT,
};
EStatusMark StatusMarkFor(int status);
