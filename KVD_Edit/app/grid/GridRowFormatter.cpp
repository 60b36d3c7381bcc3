#include "KVD_Edit/app/grid/GridRowFormatter.h"

#include "KVD_Edit/app/shell/Helpers.h"

#include <charconv>
#include <cmath>

namespace {

// A value with a fixed number of decimals, as "%.*f" in the C locale writes it: std::to_chars
// rounds exactly as printf does, and costs a fraction of a formatted print, which a grid of
// 10,000 lines makes for every length cell it fits its columns to. Values that are not finite
// go through printf, whose texts for them are the ones shown.
std::string FixedText(double value, int decimals) {
    if (std::isfinite(value)) {
        // Room for the 309 integer digits of the largest double, a sign, a point and decimals.
        char buffer[330];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::fixed, decimals);
        if (end.ec == std::errc())
            return std::string(buffer, end.ptr);
    }
    return FormatC("%.*f", decimals, value);
}

// An int as "%d" writes it.
std::string IntText(int value) {
    char buffer[16];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

} // namespace

const CGridRowFormatter::SColumn CGridRowFormatter::kColumns[COLUMN_COUNT] = {
    {"Grid Name", 65}, {"Line Name", 75}, {"Orientation", 70}, {"Xmin", 50},
    {"Xmax", 45},      {"Ymin", 50},      {"Ymax", 45},        {"Length", 50},
    {"Step", 40},      {"Edit", 40},      {"GPR Data", 100},   {"GPS", 50},
    {"TOPO", 0},       {"SetIndex", 0},   {"Line Index", 0},   {"NoTraces", 0},
};

std::string CGridRowFormatter::OrientationText(int orientation) {
    switch (orientation) {
    case 0:
        return "NA";
    case 1:
        return "S";
    case 2:
        return "X";
    case 3:
        return "Y";
    default:
        return "";
    }
}

std::string CGridRowFormatter::EditText(char flag) {
    if (flag == SGridInfo::kReversed)
        return "RLD";
    if (flag == SGridInfo::kEdited)
        return "Yes";
    return "No";
}

double CGridRowFormatter::ToDisplay(double value, ORQ::EUnitType from, ORQ::EUnitType displayUnit) {
    // A row whose unit is unknown (or a display unit of another kind) would convert to 0 and
    // hide the value; show it as stored instead.
    double factor = 0;
    if (from == displayUnit || !ORQ::CMeasure::GetConversionFactor(from, displayUnit, factor))
        return value;
    return ConvertUnits(value, from, displayUnit);
}

std::string CGridRowFormatter::FormatCell(const SGridInfo &row, int column,
                                          ORQ::EUnitType displayUnit) {
    auto length = [&](double v, int decimals) {
        return FixedText(ToDisplay(v, row.unit, displayUnit), decimals);
    };
    switch (column) {
    case COL_GRID_NAME:
        return row.gridName;
    case COL_LINE_NAME:
        return row.lineName;
    case COL_ORIENTATION:
        return OrientationText(row.orientation);
    case COL_XMIN:
        return length(row.xMin, 3);
    case COL_XMAX:
        return length(row.xMax, 3);
    case COL_YMIN:
        return length(row.yMin, 3);
    case COL_YMAX:
        return length(row.yMax, 3);
    case COL_LENGTH:
        return length(row.length, 3);
    case COL_STEP:
        return length(row.step, 6);
    case COL_EDIT:
        return EditText(row.editFlag);
    case COL_GPR_DATA:
        return row.dataFileName;
    case COL_GPS:
        return IntText(row.gpsStatus);
    case COL_TOPO:
        return IntText(row.topoStatus);
    case COL_SET_INDEX:
        return IntText(row.setIndex);
    case COL_LINE_INDEX:
        return IntText(row.lineIndex);
    case COL_NO_TRACES:
        return IntText(row.numTraces);
    case FIELD_GPS_FILE:
        return row.gpsFileName;
    case FIELD_TOPO_FILE:
        return row.topoFileName;
    case FIELD_HDR_GPS_TYPE:
        return IntText(row.hdrGpsType);
    default:
        return "";
    }
}

EStatusMark StatusMarkFor(int status) {
    switch (status) {
    case GFS_NONE:
        return SM_NONE;
    case GFS_LOADED:
        return SM_ATTACHED;
    case GFS_FAILED:
        return SM_FAILED;
    case GFS_IN_TRACES:
        return SM_IN_TRACES;
    case GFS_FEW_FIXES:
        return SM_FEW_FIXES;
    default:
        return SM_BESIDE;
    }
}
