#include "KVD_Edit/planview/LineSettingsLogic.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
           (static_cast<uint32_t>(b) << 16);
}

} // namespace

// A dialog opened on the default table shows each of the eight entries with its defaults, the
// trace GPS layer hidden, and the radar lines' Active entry as the one to edit.
TEST(LineSettingsLogic, OpensOnTheDefaultsOfEveryEntry) {
    struct Row {
        const char *name;
        int entry;
        SLineDisplayEntry expected;
        bool editable;
    };
    const Row rows[] = {
        {"LocalXY Active", 0, {0, Rgb(255, 0, 0), 2, 3, Rgb(255, 0, 0), 5}, true},
        {"LocalXY InActive", 1, {0, Rgb(0, 0, 0), 0, 3, Rgb(0, 0, 0), 5}, true},
        {"GPS_Trace Active", 2, {5, Rgb(64, 0, 128), 0, 3, Rgb(64, 0, 128), 7}, false},
        {"GPS_Trace InActive", 3, {5, Rgb(64, 0, 128), 0, 3, Rgb(64, 0, 128), 7}, false},
        {"Raw_GPS Active", 4, {0, Rgb(0, 128, 128), 2, 1, Rgb(0, 128, 128), 6}, true},
        {"Raw_GPS InActive", 5, {0, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7}, true},
        {"Whiskers Active", 6, {2, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7}, true},
        {"Whiskers InActive", 7, {5, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7}, true},
    };
    LineSettingsLogic logic{SLineDisplayTable()};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, logic.GetTable().Entry[row.entry]);
        EXPECT_EQ(row.editable, LineSettingsLogic::IsEntryEditable(row.entry));
        EXPECT_EQ(row.entry / 2 != LINE_KIND_GPS_TRACE, LineSettingsLogic::IsEntryShown(row.entry));
    }
    EXPECT_TRUE(logic.GetTable().LayerShown[LINE_KIND_LOCAL_XY]);
    EXPECT_FALSE(logic.GetTable().LayerShown[LINE_KIND_GPS_TRACE]);
    EXPECT_TRUE(logic.GetTable().LayerShown[LINE_KIND_RAW_GPS]);
    EXPECT_TRUE(logic.GetTable().LayerShown[LINE_KIND_WHISKERS]);
    EXPECT_EQ(2 * LINE_KIND_LOCAL_XY, logic.GetCurrentEntry());
    EXPECT_STREQ("GPR Line (Local XY coordinates):", LineSettingsKindLabel(LINE_KIND_LOCAL_XY));
    EXPECT_STREQ("Raw GPS:", LineSettingsKindLabel(LINE_KIND_RAW_GPS));
    EXPECT_EQ(IDC_LS_SHOW_WHISKERS, LayerCheckId(LINE_KIND_WHISKERS));
}

// Opening hides the trace GPS layer and its styles whatever the document held; its rows, which
// the dialog cuts off, cannot be chosen for editing, every other row can.
TEST(LineSettingsLogic, FixesTheTraceLayerAndRefusesItsRows) {
    SLineDisplayTable start;
    start.LayerShown[LINE_KIND_GPS_TRACE] = true;
    start.Entry[2] = {0, Rgb(1, 2, 3), 4, 1, Rgb(4, 5, 6), 9};
    LineSettingsLogic logic(start);
    EXPECT_FALSE(logic.GetTable().LayerShown[LINE_KIND_GPS_TRACE]);
    EXPECT_EQ(LINE_STYLE_NONE, logic.GetTable().Entry[2].LineStyle);
    EXPECT_EQ(0, logic.GetTable().Entry[2].LineWidth);
    EXPECT_EQ(MARKER_NONE, logic.GetTable().Entry[2].MarkerStyle);
    EXPECT_EQ(Rgb(1, 2, 3), logic.GetTable().Entry[2].LineColour) << "the colour stays";
    // The dialog always hides the layer: OK counts that as a change when the document showed it.
    EXPECT_TRUE(ResolveLineSettings(true, start, logic.GetTable()).modified);

    for (int entry : {2, 3, -1, 8}) {
        EXPECT_FALSE(logic.SelectEntry(entry)) << entry;
        EXPECT_EQ(0, logic.GetCurrentEntry()) << entry;
    }
    for (int entry : {7, 1, 4, 0}) {
        EXPECT_TRUE(logic.SelectEntry(entry)) << entry;
        EXPECT_EQ(entry, logic.GetCurrentEntry());
    }
    // The shown check box of the radar lines stays free.
    logic.ToggleLayer(LINE_KIND_LOCAL_XY);
    EXPECT_FALSE(logic.GetTable().LayerShown[LINE_KIND_LOCAL_XY]);

    // The edit marks: LocalXY rows 0 and 1, the others after them; the trace rows borrow.
    const int marks[] = {0, 1, 0, 1, 2, 3, 4, 5};
    for (int entry = 0; entry < SLineDisplayTable::kEntryCount; ++entry)
        EXPECT_EQ(marks[entry], LineSettingsLogic::EditMarkIndex(entry)) << entry;
}

// Each control edits only the current entry; the width is stored as the table can hold it.
TEST(LineSettingsLogic, EditsTheCurrentEntry) {
    LineSettingsLogic logic{SLineDisplayTable()};
    ASSERT_TRUE(logic.SelectEntry(5));
    logic.SetLineStyle(3);
    logic.SetMarkerStyle(2);
    logic.SetLineColour(Rgb(255, 0, 255));
    logic.SetMarkerColour(Rgb(1, 1, 1));
    EXPECT_EQ(2, logic.SetLineWidth(2.5f)) << "the half pixel is dropped";
    EXPECT_EQ(9, logic.SetLineWidth(9.5f));
    EXPECT_EQ(9, logic.SetLineWidth(-1.0f)) << "no width below 0";
    const SLineDisplayEntry &e = logic.GetTable().Entry[5];
    EXPECT_EQ(3, e.LineStyle);
    EXPECT_EQ(2, e.MarkerStyle);
    EXPECT_EQ(Rgb(255, 0, 255), e.LineColour);
    EXPECT_EQ(Rgb(1, 1, 1), e.MarkerColour);
    EXPECT_EQ(9, e.LineWidth);
    EXPECT_EQ(SLineDisplayTable().Entry[4], logic.GetTable().Entry[4]) << "others unchanged";

    logic.SetLineStyle(17);
    EXPECT_EQ(LINE_STYLE_NONE, logic.GetTable().Entry[5].LineStyle);
    logic.SetMarkerStyle(-4);
    EXPECT_EQ(MARKER_SQUARE, logic.GetTable().Entry[5].MarkerStyle);

    EXPECT_EQ(9, logic.SetLineWidth(10.0f)) << "no width beyond what the picker offers";

    // The radar lines' own styles are edited as any other.
    ASSERT_TRUE(logic.SelectEntry(0));
    logic.SetLineColour(Rgb(0, 160, 0));
    EXPECT_EQ(5, logic.SetLineWidth(5.0f));
    logic.SetLineStyle(1);
    EXPECT_EQ((SLineDisplayEntry{1, Rgb(0, 160, 0), 5, 3, Rgb(255, 0, 0), 5}),
              logic.GetTable().Entry[0]);
    ASSERT_TRUE(logic.SelectEntry(1));
    logic.SetMarkerStyle(MARKER_DIAMOND);
    EXPECT_EQ(MARKER_DIAMOND, logic.GetTable().Entry[1].MarkerStyle);

    logic.Defaults();
    EXPECT_EQ(SLineDisplayTable(), logic.GetTable());
    EXPECT_EQ(1, logic.GetCurrentEntry()) << "Defaults keeps the entry being edited";
}

// The marker-size field: sizes outside 1 to 20 are corrected with the range message; an empty
// field, or one whose text the check cuts to nothing, keeps the size stored before.
TEST(LineSettingsLogic, ChecksTheMarkerSize) {
    struct Row {
        const char *name;
        const char *text;
        int size;
        const char *shown; // the field's text after the check
        const char *message;
    };
    const Row rows[] = {
        {"in range", "12", 12, "12", ""},
        {"too large", "25", 20, "20", "Valid values are 1 to 20"},
        {"zero", "0", 1, "1", "Valid values are 1 to 20"},
        {"empty keeps", "", 6, "", ""},
        {"letter keeps", "x", 6, "", ""},
        {"letter cut", "7x", 7, "7", ""},
        {"sign refused", "-3", 6, "", ""},
        {"fraction dropped", "3.4", 3, "3.4", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LineSettingsLogic logic{SLineDisplayTable()};
        ASSERT_TRUE(logic.SelectEntry(4)); // Raw GPS Active, size 6
        const SMarkerSizeEdit edit = logic.SetMarkerSizeText(row.text);
        EXPECT_EQ(row.size, edit.size);
        EXPECT_EQ(row.size, logic.GetTable().Entry[4].MarkerSize);
        EXPECT_EQ(row.shown, edit.check.changed ? edit.check.text : std::string(row.text));
        EXPECT_EQ(row.message, edit.check.message);
    }
}

// What the document keeps: OK takes a changed table, OK without a change and Cancel (after a
// Preview or not) keep the table of before.
TEST(LineSettingsLogic, ResolvesOkAndCancel) {
    const SLineDisplayTable kept;
    SLineDisplayTable edited = kept;
    SLineSettingsOutcome unchanged = ResolveLineSettings(true, kept, edited);
    EXPECT_FALSE(unchanged.modified);
    EXPECT_EQ(kept, unchanged.table);

    edited.LayerShown[LINE_KIND_WHISKERS] = false;
    SLineSettingsOutcome changed = ResolveLineSettings(true, kept, edited);
    EXPECT_TRUE(changed.modified);
    EXPECT_FALSE(changed.table.LayerShown[LINE_KIND_WHISKERS]);

    SLineSettingsOutcome cancelled = ResolveLineSettings(false, kept, edited);
    EXPECT_FALSE(cancelled.modified);
    EXPECT_EQ(kept, cancelled.table);
}

// A 100 x 20 field: the frame one pixel inside, the line across at mid-height, five markers a
// quarter of the width apart, each box centred on the line; no line for style 5, no markers for
// marker style 3.
TEST(LineSettingsLogic, LaysOutThePreviewField) {
    SLineDisplayEntry entry{0, 0, 2, MARKER_SQUARE, 0, 6};
    SPreviewGeometry g = LinePreviewGeometry(0, 0, 100, 20, entry);
    EXPECT_EQ(0, g.frameLeft);
    EXPECT_EQ(0, g.frameTop);
    EXPECT_EQ(99, g.frameRight);
    EXPECT_EQ(19, g.frameBottom);
    EXPECT_TRUE(g.line);
    EXPECT_EQ(10, g.centreY);
    EXPECT_EQ(0, g.lineLeft);
    EXPECT_EQ(100, g.lineRight);
    ASSERT_EQ(5u, g.markers.size());
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(25 * k, g.markers[k].x) << k;
        EXPECT_EQ(7, g.markers[k].y) << k;
        EXPECT_EQ(6, g.markers[k].size) << k;
    }
    const auto diamond = DiamondPoints(g.markers[1], g.centreY);
    const std::vector<std::pair<int, int>> expected = {
        {25, 10}, {28, 7}, {31, 10}, {28, 13}, {25, 10}};
    EXPECT_EQ(expected, diamond);

    // An odd field: integer divisions throughout.
    g = LinePreviewGeometry(3, 5, 104, 26, entry);
    EXPECT_EQ(15, g.centreY);
    EXPECT_EQ(3 + 4 * 25, g.markers[4].x);

    entry.LineStyle = LINE_STYLE_NONE;
    entry.MarkerStyle = MARKER_NONE;
    g = LinePreviewGeometry(0, 0, 100, 20, entry);
    EXPECT_FALSE(g.line);
    EXPECT_TRUE(g.markers.empty());
}
