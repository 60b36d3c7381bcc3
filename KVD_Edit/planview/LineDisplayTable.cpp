#include "KVD_Edit/planview/LineDisplayTable.h"

namespace {

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
           (static_cast<uint32_t>(b) << 16);
}

// Line style, line colour, width, marker style, marker colour, marker size.
const SLineDisplayEntry kDefaultEntries[SLineDisplayTable::kEntryCount] = {
    {0, Rgb(255, 0, 0), 2, 3, Rgb(255, 0, 0), 5},     // LocalXY Active
    {0, Rgb(0, 0, 0), 0, 3, Rgb(0, 0, 0), 5},         // LocalXY InActive
    {5, Rgb(64, 0, 128), 0, 3, Rgb(64, 0, 128), 7},   // GPS_Trace Active
    {5, Rgb(64, 0, 128), 0, 3, Rgb(64, 0, 128), 7},   // GPS_Trace InActive
    {0, Rgb(0, 128, 128), 2, 1, Rgb(0, 128, 128), 6}, // Raw_GPS Active
    {0, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7}, // Raw_GPS InActive
    {2, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7}, // Whiskers Active
    {5, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7}, // Whiskers InActive
};

} // namespace

bool SLineDisplayEntry::operator==(const SLineDisplayEntry &other) const {
    return LineStyle == other.LineStyle && LineColour == other.LineColour &&
           LineWidth == other.LineWidth && MarkerStyle == other.MarkerStyle &&
           MarkerColour == other.MarkerColour && MarkerSize == other.MarkerSize;
}

SLineDisplayTable::SLineDisplayTable() {
    SetDefaultLineDisplaySettings(*this);
}

bool SLineDisplayTable::operator==(const SLineDisplayTable &other) const {
    for (int k = 0; k < LINE_KIND_COUNT; ++k)
        if (LayerShown[k] != other.LayerShown[k])
            return false;
    for (int i = 0; i < kEntryCount; ++i)
        if (Entry[i] != other.Entry[i])
            return false;
    return true;
}

void SetDefaultLineDisplaySettings(SLineDisplayTable &table) {
    for (int k = 0; k < LINE_KIND_COUNT; ++k)
        table.LayerShown[k] = (k != LINE_KIND_GPS_TRACE);
    for (int i = 0; i < SLineDisplayTable::kEntryCount; ++i)
        table.Entry[i] = kDefaultEntries[i];
}

const char *LineDisplayKindName(int kind) {
    static const char *const names[LINE_KIND_COUNT] = {"LocalXY", "GPS_Trace", "Raw_GPS",
                                                       "Whiskers"};
    return (kind >= 0 && kind < LINE_KIND_COUNT) ? names[kind] : nullptr;
}

void HideTraceGpsStyles(SLineDisplayTable &table) {
    for (int i = 2 * LINE_KIND_GPS_TRACE; i <= 2 * LINE_KIND_GPS_TRACE + 1; ++i) {
        table.Entry[i].LineStyle = LINE_STYLE_NONE;
        table.Entry[i].LineWidth = 0;
        table.Entry[i].MarkerStyle = MARKER_NONE;
    }
}

const SLineDisplayEntry &DefaultLineDisplayEntry(int entry) {
    return kDefaultEntries[(entry >= 0 && entry < SLineDisplayTable::kEntryCount) ? entry : 0];
}

bool IsLineDisplayEntryInRange(const SLineDisplayEntry &e) {
    return e.LineStyle >= LINE_STYLE_SOLID && e.LineStyle <= LINE_STYLE_NONE && e.LineWidth >= 0 &&
           e.LineWidth <= MAX_LINE_WIDTH && e.MarkerStyle >= MARKER_SQUARE &&
           e.MarkerStyle <= MARKER_NONE && e.MarkerSize >= MIN_MARKER_SIZE &&
           e.MarkerSize <= MAX_MARKER_SIZE && e.LineColour <= 0xFFFFFFu &&
           e.MarkerColour <= 0xFFFFFFu;
}
