#include "KVD_Edit/planview/LineSettingsLogic.h"

#include <algorithm>
#include <cstdlib>

const char *LineSettingsKindLabel(int kind) {
    static const char *const labels[LINE_KIND_COUNT] = {
        "GPR Line (Local XY coordinates):", "Trace GPS Position:", "Raw GPS:", "GPS Whiskers:"};
    return (kind >= 0 && kind < LINE_KIND_COUNT) ? labels[kind] : nullptr;
}

int LayerCheckId(int kind) {
    static const int ids[LINE_KIND_COUNT] = {IDC_LS_SHOW_LOCAL_XY, IDC_LS_SHOW_TRACE_GPS,
                                             IDC_LS_SHOW_RAW_GPS, IDC_LS_SHOW_WHISKERS};
    return (kind >= 0 && kind < LINE_KIND_COUNT) ? ids[kind] : 0;
}

LineSettingsLogic::LineSettingsLogic(const SLineDisplayTable &start)
    : m_table(start), m_current(2 * LINE_KIND_LOCAL_XY) {
    m_table.LayerShown[LINE_KIND_GPS_TRACE] = false;
    HideTraceGpsStyles(m_table);
}

bool LineSettingsLogic::IsEntryEditable(int entry) {
    return IsEntryShown(entry);
}

bool LineSettingsLogic::IsEntryShown(int entry) {
    return entry >= 0 && entry < SLineDisplayTable::kEntryCount && entry / 2 != LINE_KIND_GPS_TRACE;
}

int LineSettingsLogic::EditMarkIndex(int entry) {
    // The trace rows have no marks of their own: they borrow those of the LocalXY rows.
    if (entry < 0 || entry >= SLineDisplayTable::kEntryCount)
        return 0;
    if (entry / 2 <= LINE_KIND_GPS_TRACE)
        return entry % 2;
    return entry - 2;
}

bool LineSettingsLogic::SelectEntry(int entry) {
    if (!IsEntryEditable(entry))
        return false;
    m_current = entry;
    return true;
}

void LineSettingsLogic::ToggleLayer(int kind) {
    if (kind >= 0 && kind < LINE_KIND_COUNT)
        m_table.LayerShown[kind] = !m_table.LayerShown[kind];
}

void LineSettingsLogic::SetLineStyle(int style) {
    if (Editable())
        m_table.Entry[m_current].LineStyle =
            std::clamp(style, 0, static_cast<int>(LINE_STYLE_NONE));
}

int LineSettingsLogic::SetLineWidth(float width) {
    if (Editable() && width >= 0.0f && width < MAX_LINE_WIDTH + 1.0f)
        m_table.Entry[m_current].LineWidth = static_cast<int32_t>(width);
    return m_table.Entry[m_current].LineWidth;
}

void LineSettingsLogic::SetMarkerStyle(int style) {
    if (Editable())
        m_table.Entry[m_current].MarkerStyle = std::clamp(style, 0, static_cast<int>(MARKER_NONE));
}

void LineSettingsLogic::SetLineColour(uint32_t colour) {
    if (Editable())
        m_table.Entry[m_current].LineColour = colour;
}

void LineSettingsLogic::SetMarkerColour(uint32_t colour) {
    if (Editable())
        m_table.Entry[m_current].MarkerColour = colour;
}

SMarkerSizeEdit LineSettingsLogic::SetMarkerSizeText(const std::string &text) {
    SMarkerSizeEdit result;
    result.check = CheckNumericText(text, false, kMinMarkerSize, kMaxMarkerSize, 0);
    SLineDisplayEntry &entry = m_table.Entry[m_current];
    // What the field holds after the check; nothing in it is no new size.
    const std::string &shown = result.check.changed ? result.check.text : text;
    if (Editable() && !shown.empty() && shown != ".") {
        const int size = static_cast<int>(std::strtod(shown.c_str(), nullptr));
        entry.MarkerSize = std::clamp(size, kMinMarkerSize, kMaxMarkerSize);
    }
    result.size = entry.MarkerSize;
    return result;
}

void LineSettingsLogic::Defaults() {
    SetDefaultLineDisplaySettings(m_table);
}

SLineSettingsOutcome ResolveLineSettings(bool ok, const SLineDisplayTable &kept,
                                         const SLineDisplayTable &edited) {
    SLineSettingsOutcome outcome;
    outcome.modified = ok && edited != kept;
    outcome.table = outcome.modified ? edited : kept;
    return outcome;
}

SPreviewGeometry LinePreviewGeometry(int left, int top, int right, int bottom,
                                     const SLineDisplayEntry &entry) {
    SPreviewGeometry g;
    g.frameLeft = left;
    g.frameTop = top;
    g.frameRight = right - 1;
    g.frameBottom = bottom - 1;
    g.centreY = top + (bottom - top) / 2;
    g.line = entry.LineStyle >= 0 && entry.LineStyle < LINE_STYLE_NONE;
    g.lineLeft = left;
    g.lineRight = right;
    g.markerStyle = entry.MarkerStyle;
    if (entry.MarkerStyle >= MARKER_SQUARE && entry.MarkerStyle < MARKER_NONE) {
        const int s = entry.MarkerSize;
        for (int k = 0; k <= 4; ++k)
            g.markers.push_back({left + k * ((right - left) / 4), g.centreY - s / 2, s});
    }
    return g;
}

std::vector<std::pair<int, int>> DiamondPoints(const SPreviewMarker &m, int c) {
    const int h = m.size / 2;
    return {{m.x, c}, {m.x + h, c - h}, {m.x + m.size, c}, {m.x + h, c + h}, {m.x, c}};
}
