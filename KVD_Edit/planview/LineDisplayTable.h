#pragma once

#include <cstdint>

// The plan view's four kinds of polyline layers, in table order.
enum ELineDisplayKind : int {
    LINE_KIND_LOCAL_XY = 0,  // the radar lines in local XY coordinates
    LINE_KIND_GPS_TRACE = 1, // the GPS positions of the traces
    LINE_KIND_RAW_GPS = 2,   // the raw GPS fixes
    LINE_KIND_WHISKERS = 3,  // a raw fix joined to its trace's local position
    LINE_KIND_COUNT = 4,
};

// Pen styles of a line (the platform's PS_SOLID to PS_NULL) and marker shapes.
enum : int32_t { LINE_STYLE_SOLID = 0, LINE_STYLE_NONE = 5 };
enum : int32_t { MARKER_SQUARE = 0, MARKER_CIRCLE = 1, MARKER_DIAMOND = 2, MARKER_NONE = 3 };

// One drawing style of a layer. Colours hold red in the low byte, then green, then blue.
struct SLineDisplayEntry {
    int32_t LineStyle = LINE_STYLE_SOLID; // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot,
                                          // 5 no line
    uint32_t LineColour = 0;
    int32_t LineWidth = 0; // pixels; 0 draws the thinnest line
    int32_t MarkerStyle = MARKER_NONE;
    uint32_t MarkerColour = 0;
    int32_t MarkerSize = 5; // marker edge in pixels

    bool operator==(const SLineDisplayEntry &other) const;
    bool operator!=(const SLineDisplayEntry &other) const { return !(*this == other); }
};

// Per layer kind a shown flag, and an Active (selected lines) and an InActive style: entry 2k
// is kind k's Active style, entry 2k + 1 its InActive style. A new table holds the defaults.
// Copies are compared member by member.
struct SLineDisplayTable {
    static constexpr int kEntryCount = 2 * LINE_KIND_COUNT;

    bool LayerShown[LINE_KIND_COUNT];
    SLineDisplayEntry Entry[kEntryCount];

    SLineDisplayTable();
    bool operator==(const SLineDisplayTable &other) const;
    bool operator!=(const SLineDisplayTable &other) const { return !(*this == other); }
};

// Fills a table with the default layers and styles.
void SetDefaultLineDisplaySettings(SLineDisplayTable &table);

// The element name of a kind in the project file: "LocalXY", "GPS_Trace", "Raw_GPS",
// "Whiskers"; null outside 0 to 3.
const char *LineDisplayKindName(int kind);

// The default style of entry (0 to 7); entry 0 for any other number.
const SLineDisplayEntry &DefaultLineDisplayEntry(int entry);

// The ranges a stored style must keep to, those the dialog offers: line style 0 to 5, whole
// widths 0 to 9, marker style 0 to 3, marker size 1 to 20, colours of 24 bits.
enum : int32_t { MAX_LINE_WIDTH = 9, MIN_MARKER_SIZE = 1, MAX_MARKER_SIZE = 20 };
bool IsLineDisplayEntryInRange(const SLineDisplayEntry &entry);

// The GPS_Trace entries draw neither line nor marker (width 0); colours and size stay. The
// dialog cuts that layer off, so nothing else could be chosen for it.
void HideTraceGpsStyles(SLineDisplayTable &table);
