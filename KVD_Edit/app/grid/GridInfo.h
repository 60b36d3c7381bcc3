#pragma once

#include "orq_utils/Measure.h"

#include <cstdint>
#include <string>

// One row of the line grid: one radar data file of a line, as the child frame's load builds it.
// Lengths (Xmin ... Step) are kept in the row's own unit, the position unit of the line's
// header; the grid converts them into the display unit whenever it shows them.
struct SGridInfo {
    // Edit flags of a row.
    static constexpr char kEdited = 'Y';
    static constexpr char kReversed = 'R';
    static constexpr char kUnchanged = 'N';
    static constexpr char kUnknown = '?'; // the line's files could not be read

    std::string gridName;     // the line set's name; empty for a line outside any set
    std::string lineName;     // the line's name
    std::string dataFileName; // ".\" + path + ".dt1", with " (+)" for a line of several entries
    int orientation = 0;      // 0 "NA", 1 "S", 2 "X", 3 "Y"
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
    double length = 0; // (xMax - xMin) + (yMax - yMin)
    double step = 0;   // the step in force for the data file
    char editFlag = 0; // kEdited, kReversed, kUnchanged or kUnknown
    int8_t gpsStatus = 0;
    int8_t topoStatus = 0;
    int setIndex = 0; // -2: outside sets
    int lineIndex = 0;
    ORQ::EUnitType unit = ORQ::UNIT_NONE; // unit of every length of the row
    int decimals = 0;
    bool reversed = false; // the file's first position is not the (xMin, yMin) corner
    int numTraces = 0;
    std::string gpsFileName;  // ".\" + relative path of the attached GPS file
    std::string topoFileName; // ".\" + relative path of the attached topography file
    int hdrGpsType = 0;       // the header's GPS type (3: positions in the trace headers)
};

// GPS and topography status codes of a row.
enum EGridFileStatus : int {
    GFS_NONE = 0,      // nothing known
    GFS_LOADED = 1,    // attached and loaded
    GFS_BESIDE = 2,    // a file lies beside the trace file, not attached
    GFS_FAILED = 3,    // attached, but reading it failed
    GFS_IN_TRACES = 4, // values in the trace headers (GPS: import declined), no file beside
    GFS_FEW_FIXES = 5, // (GPS) the file gave fewer than two fixes
};
