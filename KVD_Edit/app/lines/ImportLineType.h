#pragma once

#include "orq_utils/Measure.h"

#include <string>

// The parameters of a line import, exchanged with the import dialog.
struct ImportLineType {
    enum : int { kNone = -1, kXLines = 0, kYLines = 1, kXAndYLines = 2 };

    int lineType = kNone;
    bool reverse = false; // reverse line direction
    std::string gridName; // trimmed and upper-cased by the dialog
    double spacing = 0;   // line spacing factor; -1 for a single file (not asked)
    double offsetX = 0;   // offset from the current origin
    double offsetY = 0;
    ORQ::EUnitType unit = ORQ::UNIT_M; // unit of spacing and offsets
    bool addGps = true;                // attach GPS files found beside the lines
};
