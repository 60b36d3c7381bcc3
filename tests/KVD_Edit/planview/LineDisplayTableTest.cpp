#include "KVD_Edit/planview/LineDisplayTable.h"

#include <gtest/gtest.h>

#include <cstring>

static uint32_t Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

TEST(LineDisplayTable, DefaultsOfEveryEntry) {
    SLineDisplayTable t;
    EXPECT_TRUE(t.LayerShown[0]);
    EXPECT_FALSE(t.LayerShown[1]);
    EXPECT_TRUE(t.LayerShown[2]);
    EXPECT_TRUE(t.LayerShown[3]);
    struct Row {
        int style;
        uint32_t colour;
        int width, marker;
        uint32_t markerColour;
        int size;
    } rows[8] = {
        {0, Rgb(255, 0, 0), 2, 3, Rgb(255, 0, 0), 5},
        {0, Rgb(0, 0, 0), 0, 3, Rgb(0, 0, 0), 5},
        {5, Rgb(64, 0, 128), 0, 3, Rgb(64, 0, 128), 7},
        {5, Rgb(64, 0, 128), 0, 3, Rgb(64, 0, 128), 7},
        {0, Rgb(0, 128, 128), 2, 1, Rgb(0, 128, 128), 6},
        {0, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7},
        {2, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7},
        {5, Rgb(0, 128, 128), 0, 3, Rgb(0, 128, 128), 7},
    };
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t.Entry[i].LineStyle, rows[i].style);
        EXPECT_EQ(t.Entry[i].LineColour, rows[i].colour);
        EXPECT_EQ(t.Entry[i].LineWidth, rows[i].width);
        EXPECT_EQ(t.Entry[i].MarkerStyle, rows[i].marker);
        EXPECT_EQ(t.Entry[i].MarkerColour, rows[i].markerColour);
        EXPECT_EQ(t.Entry[i].MarkerSize, rows[i].size);
    }
    EXPECT_STREQ(LineDisplayKindName(0), "LocalXY");
    EXPECT_STREQ(LineDisplayKindName(3), "Whiskers");
    EXPECT_EQ(LineDisplayKindName(4), nullptr);
}

TEST(LineDisplayTable, ComparesMembersNotBytes) {
    SLineDisplayTable a;
    SLineDisplayTable b;
    std::memset(static_cast<void *>(&b), 0x5A, sizeof b);
    SetDefaultLineDisplaySettings(b);
    EXPECT_EQ(a, b);
    b.LayerShown[1] = true;
    EXPECT_NE(a, b);
    b = a;
    b.Entry[7].MarkerSize = 8;
    EXPECT_NE(a, b);
}

TEST(LineDisplayTable, TraceStylesHiddenOthersKeptAndRangesChecked) {
    SLineDisplayTable t;
    t.Entry[0].LineColour = Rgb(0, 0, 255);
    t.Entry[0].LineWidth = 4;
    t.Entry[2] = {1, Rgb(1, 2, 3), 6, 2, Rgb(4, 5, 6), 11};
    t.Entry[4].LineWidth = 9;
    HideTraceGpsStyles(t);
    // Trace GPS: no line, no marker, but its colours and size stay as stored.
    EXPECT_EQ(t.Entry[2].LineStyle, 5);
    EXPECT_EQ(t.Entry[2].LineWidth, 0);
    EXPECT_EQ(t.Entry[2].MarkerStyle, 3);
    EXPECT_EQ(t.Entry[2].LineColour, Rgb(1, 2, 3));
    EXPECT_EQ(t.Entry[2].MarkerSize, 11);
    // Other kinds, the radar lines among them, are the user's.
    EXPECT_EQ(t.Entry[0].LineColour, Rgb(0, 0, 255));
    EXPECT_EQ(t.Entry[0].LineWidth, 4);
    EXPECT_EQ(t.Entry[4].LineWidth, 9);

    SLineDisplayTable d;
    for (int i = 0; i < SLineDisplayTable::kEntryCount; ++i) {
        EXPECT_EQ(DefaultLineDisplayEntry(i), d.Entry[i]) << i;
        EXPECT_TRUE(IsLineDisplayEntryInRange(d.Entry[i])) << i;
    }
    EXPECT_EQ(DefaultLineDisplayEntry(-1), d.Entry[0]);
    EXPECT_EQ(DefaultLineDisplayEntry(8), d.Entry[0]);
    struct Row {
        const char *name;
        SLineDisplayEntry entry;
        bool inRange;
    };
    const Row rows[] = {
        {"widest and largest", {5, 0xFFFFFF, 9, 3, 0xFFFFFF, 20}, true},
        {"thinnest and smallest", {0, 0, 0, 0, 0, 1}, true},
        {"line style -1", {-1, 0, 0, 0, 0, 5}, false},
        {"line style 6", {6, 0, 0, 0, 0, 5}, false},
        {"width 10", {0, 0, 10, 0, 0, 5}, false},
        {"width -1", {0, 0, -1, 0, 0, 5}, false},
        {"marker style 4", {0, 0, 0, 4, 0, 5}, false},
        {"marker size 0", {0, 0, 0, 0, 0, 0}, false},
        {"marker size 21", {0, 0, 0, 0, 0, 21}, false},
        {"colour of 25 bits", {0, 0x1000000, 0, 0, 0, 5}, false},
        {"marker colour of 25 bits", {0, 0, 0, 0, 0x1000000, 5}, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.inRange, IsLineDisplayEntryInRange(row.entry)) << row.name;
}
