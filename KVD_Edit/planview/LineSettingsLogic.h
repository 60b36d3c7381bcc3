#pragma once

// What the Line Display Settings dialog decides, without a window: the table it edits, which
// entry is being edited and which entries may be edited at all, the marker-size check, the
// geometry of a preview field and what the document does with the dialog's result.

#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/planview/LineDisplayTable.h"

#include <cstdint>
#include <string>
#include <vector>

// Control ids of the dialog (resource 217).
enum : int {
    IDD_LINE_SETTINGS = 217,
    IDC_LS_SHOW_TRACE_GPS = 1034,
    IDC_LS_SHOW_RAW_GPS = 1035,
    IDC_LS_LINE_COLOUR_BUTTON = 1065,
    IDC_LS_MARKER_COLOUR_BUTTON = 1066,
    IDC_LS_PREVIEW_BUTTON = 1062,
    IDC_LS_LINE_STYLE = 1078,
    IDC_LS_SHOW_WHISKERS = 1106,
    IDC_LS_RADIO_FIRST = 1107, // 1107 to 1114: entries 0 to 7
    IDC_LS_SHOW_LOCAL_XY = 1116,
    IDC_LS_MARKER_SIZE = 1119,
    IDC_LS_LINE_COLOUR = 1120,
    IDC_LS_MARKER_COLOUR = 1121,
    IDC_LS_LINE_WIDTH = 1123,
    IDC_LS_MARKER_STYLE = 1124,
    IDC_LS_PREVIEW_FIRST = 1125, // 1125 to 1132: entries 0 to 7
    IDC_LS_DEFAULTS = 1133,
    IDC_LS_EDIT_MARK_FIRST = 1149, // 1149 to 1154: the "-Edit->-" marks of the shown rows
    IDC_LS_MARKER_SPIN = 1026,
};

// The update a line display change sends to the views: no hint of its own, which every view
// takes as "redraw what you draw" (the plan view draws its map anew).
constexpr int LINE_SETTINGS_HINT = 0;

// The marker edge the dialog allows, in pixels.
constexpr int kMinMarkerSize = MIN_MARKER_SIZE;
constexpr int kMaxMarkerSize = MAX_MARKER_SIZE;

// The labels of the four layer check boxes, in kind order.
const char *LineSettingsKindLabel(int kind);
// The check box of a kind (1116, 1034, 1035, 1106); 0 outside 0 to 3.
int LayerCheckId(int kind);

// The result of the marker-size edit's check.
struct SMarkerSizeEdit {
    SNumericEditCheck check; // what the edit must show and say
    int size = 0;            // the marker size to store
};

class LineSettingsLogic {
public:
    // Copies the table and applies what the dialog fixes on opening: the "GPS_Trace" layer is
    // hidden and its entries draw neither line nor marker. The radar lines' Active style (entry
    // 0) is current.
    explicit LineSettingsLogic(const SLineDisplayTable &start);

    const SLineDisplayTable &GetTable() const { return m_table; }
    int GetCurrentEntry() const { return m_current; }
    const SLineDisplayEntry &Current() const { return m_table.Entry[m_current]; }

    // Every row the dialog shows may be edited. The "GPS_Trace" entries are set to no line and
    // no marker whenever the dialog opens, so their rows are cut off the dialog: no choice of the
    // user could last there.
    static bool IsEntryEditable(int entry);
    // The "Trace GPS Position:" rows are cut off the dialog; the other six rows show.
    static bool IsEntryShown(int entry);
    // The "-Edit->-" mark shown beside the current entry: 0 to 5 for 1149 to 1154.
    static int EditMarkIndex(int entry);

    // Makes an editable entry current; false (nothing changes) for any other.
    bool SelectEntry(int entry);
    void ToggleLayer(int kind);

    // The current entry's styles (ignored while the current entry is not editable). The width
    // is stored as the table holds it, the fraction dropped (0 to 9; others are refused); the
    // stored width is returned, for the picker to show.
    void SetLineStyle(int style);
    int SetLineWidth(float width);
    void SetMarkerStyle(int style);
    void SetLineColour(uint32_t colour);
    void SetMarkerColour(uint32_t colour);
    // Checks the size edit's text (digits only, 1 to 20) and stores the size it stands for. An
    // empty field, or one whose text is cut to nothing, keeps the size stored before.
    SMarkerSizeEdit SetMarkerSizeText(const std::string &text);

    // "Defaults": the whole table takes its defaults; the current entry stays.
    void Defaults();

private:
    bool Editable() const { return IsEntryEditable(m_current); }

    SLineDisplayTable m_table;
    int m_current = 0;
};

// What the document does after the dialog ended.
struct SLineSettingsOutcome {
    SLineDisplayTable table; // the settings record's table from now on
    bool modified = false;   // mark the document modified and write the settings into the file
};
// OK with a table that differs from the kept one takes it; OK without a change and every other
// ending put the kept table back (which undoes a Preview).
SLineSettingsOutcome ResolveLineSettings(bool ok, const SLineDisplayTable &kept,
                                         const SLineDisplayTable &edited);

// A marker of the preview in field pixels: its box (x, y, size, size).
struct SPreviewMarker {
    int x = 0;
    int y = 0;
    int size = 0;
};
// What one preview field shows of an entry, in the field's client pixels.
struct SPreviewGeometry {
    int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0; // the 1-pixel frame
    bool line = false; // a horizontal line at centreY from lineLeft to lineRight
    int centreY = 0;
    int lineLeft = 0, lineRight = 0;
    int markerStyle = MARKER_NONE;
    std::vector<SPreviewMarker> markers; // five, evenly spaced, unless no marker
};
// The preview of entry in a field whose client area is (left, top, right, bottom).
SPreviewGeometry LinePreviewGeometry(int left, int top, int right, int bottom,
                                     const SLineDisplayEntry &entry);
// The corner points of a diamond marker in its box, closed (five points).
std::vector<std::pair<int, int>> DiamondPoints(const SPreviewMarker &marker, int centreY);
