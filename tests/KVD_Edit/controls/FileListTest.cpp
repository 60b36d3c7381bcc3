#include "KVD_Edit/controls/FileListLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(FileListLayout, RectanglesOfEachModeAndIconPosition) {
    // Item rectangle (L, T, R, B) = (0, 40, 300, 80).
    const wxRect item(wxPoint(0, 40), wxPoint(299, 79));
    auto r = [](int l, int t, int rr, int b) {
        return wxRect(wxPoint(l, t), wxPoint(rr - 1, b - 1));
    };
    struct Row {
        const char *name;
        int mode, position;
        wxRect icon, text;
        bool drawsText, drawsIcon;
    } rows[] = {
        {"mode 0, icon 1", 0, 1, r(0, 40, 40, 80), r(0, 40, 280, 80), true, true},
        {"mode 0, icon 0", 0, 0, r(100, 40, 300, 80), r(40, 40, 280, 80), true, true},
        {"mode 0, icon 2", 0, 2, r(100, 40, 300, 80), r(40, 40, 280, 80), true, false},
        {"mode 1, icon 0", 1, 0, r(100, 40, 300, 80), r(10, 40, 100, 80), true, true},
        {"mode 1, icon 1", 1, 1, r(10, 40, 100, 80), r(10, 40, 100, 80), true, true},
        {"mode 2, icon 0", 2, 0, r(100, 40, 300, 80), r(40, 40, 280, 80), false, true},
        {"mode 2, icon 1", 2, 1, r(10, 40, 100, 80), r(10, 40, 100, 80), false, true},
        {"mode 2, icon 2", 2, 2, r(0, 40, 40, 80), r(0, 40, 280, 80), true, true},
    };
    CFileListLogic list;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        list.SetLayoutMode(row.mode);
        list.SetIconPosition(row.position);
        const SFileListLayout layout = list.Layout(item);
        EXPECT_EQ(layout.icon, row.icon);
        EXPECT_EQ(layout.text, row.text);
        EXPECT_EQ(list.DrawsText(), row.drawsText);
        EXPECT_EQ(list.DrawsIcon(), row.drawsIcon);
    }
}

TEST(FileListItems, NamesAndFreedRecords) {
    EXPECT_EQ(CFileListLogic::NameOf("/data/site 4/LINE01.DT1"), "LINE01");
    EXPECT_EQ(CFileListLogic::NameOf("C:\\survey\\grid.kvd"), "grid");
    EXPECT_EQ(CFileListLogic::NameOf("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(CFileListLogic::NameOf(".profile"), ".profile");
    CFileListLogic list;
    list.AddItem("a", wxBitmap());
    list.AddItem("b", wxBitmap());
    ASSERT_NE(list.GetItem(1), nullptr);
    EXPECT_EQ(list.GetItem(1)->text, "b");
    EXPECT_EQ(list.FreeItemData(), 2u);
    EXPECT_EQ(list.GetCount(), 2u) << "the items stay";
    EXPECT_EQ(list.GetItem(0), nullptr) << "their records are gone, not dangling";
    EXPECT_EQ(list.GetItem(5), nullptr);
}

TEST(FileListDrop, OnlyTheFirstFileWithAnIcon) {
    CFileListLogic list;
    std::vector<std::string> asked;
    auto none = [&asked](const std::string &path) {
        asked.push_back(path);
        return wxBitmap();
    };
    EXPECT_EQ(list.Drop({"/x/a.txt", "/x/b.txt", "/x/c.txt"}, none), -1);
    EXPECT_EQ(asked, std::vector<std::string>{"/x/a.txt"}) << "only the first file is taken";
    EXPECT_EQ(list.GetCount(), 0u) << "no icon, no item";
    list.AddItem("old", wxBitmap());
    EXPECT_EQ(list.Drop({"/x/d.txt"}, none), 0) << "the last item is still selected";
    EXPECT_EQ(list.Drop({}, none), 0);
}

} // namespace
