#include "KVD_Edit/app/grid/SplitterLayout.h"

#include <gtest/gtest.h>

TEST(SplitterLayout, StoredTextIsReadAndClamped) {
    SSplitterLayout d = SSplitterLayout::Parse(SSplitterLayout::kDefaultText);
    EXPECT_EQ(400, d.leftWidth);
    EXPECT_EQ(150, d.rightWidth);
    EXPECT_EQ(100, d.rowHeight);

    SSplitterLayout a = SSplitterLayout::Parse("0, 0, 800, 60, 300");
    a.FitToFrame(1000);
    EXPECT_EQ(760, a.leftWidth);
    EXPECT_EQ(100, a.rightWidth);
    EXPECT_EQ(300, a.rowHeight);

    SSplitterLayout b = SSplitterLayout::Parse("0, 0, 950, 300, 100");
    b.FitToFrame(1000);
    EXPECT_EQ(900, b.leftWidth);
    EXPECT_EQ(100, b.rightWidth);

    // A narrow right pane and a left pane still too wide: the right pane keeps its minimum.
    SSplitterLayout c = SSplitterLayout::Parse("0,0,990,60,100");
    c.FitToFrame(1000);
    EXPECT_EQ(900, c.leftWidth);
    // A frame narrower than the minimum leaves the left pane at 0.
    SSplitterLayout n;
    n.FitToFrame(60);
    EXPECT_EQ(0, n.leftWidth);
}

TEST(SplitterLayout, BadStoredTextsGiveTheDefaults) {
    for (const char *text :
         {"", "0, 0, 500", "0, 0, 500, 200", "0, 0, -5, 200, 100", "0, 0, 500, -1, 100",
          "0, 0, 500, 200, -9", "a, b, c, d, e", "0, 0, 99999999999999999999, 200, 100"}) {
        SCOPED_TRACE(text);
        SSplitterLayout l = SSplitterLayout::Parse(text);
        EXPECT_EQ(400, l.leftWidth);
        EXPECT_EQ(150, l.rightWidth);
        EXPECT_EQ(100, l.rowHeight);
    }
    EXPECT_EQ("0, 0, 320, 480, 260", SSplitterLayout::Format(320, 480, 260));
    SSplitterLayout back = SSplitterLayout::Parse(SSplitterLayout::Format(320, 480, 260));
    EXPECT_EQ(320, back.leftWidth);
    EXPECT_EQ(480, back.rightWidth);
    EXPECT_EQ(260, back.rowHeight);
}
