#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"

#include <gtest/gtest.h>

namespace {

struct RecordingOwner : IFocusListOwner {
    std::vector<int> hints;
    void UpdateAllViewsWithHint(wxView *, int hint) override { hints.push_back(hint); }
};

struct Selection : ::testing::Test {
    void SetUp() override {
        kvdtest::WriteFile(dir.File("p.kvd"), doctest::TwoSetProject());
        ASSERT_EQ(holder.LoadKvdXmlFile(dir.File("p.kvd").c_str()), 1) << sink.AllTexts();
        list.SetOwner(&owner, &holder);
    }
    kvdtest::CaptureSink sink;
    kvdtest::TempDir dir;
    CKvdGprDataFiles holder;
    RecordingOwner owner;
    CFocusEntryList list;
};

std::vector<std::pair<int, int>> Pairs(const CFocusEntryList &list) {
    std::vector<std::pair<int, int>> out;
    for (const auto &e : list.GetEntries())
        out.emplace_back(e.set, e.line);
    return out;
}

} // namespace

TEST_F(Selection, AnySetCountsRunOnIntoTheFollowingSets) {
    list.AddFocusEntry(-1, 4, nullptr, false);
    list.AddFocusEntry(-1, 4, nullptr, true);
    EXPECT_EQ(Pairs(list), (std::vector<std::pair<int, int>>{{1, 1}, {1, 1}}));
    EXPECT_EQ(owner.hints, std::vector<int>{7737});
    // A given set is walked alone: a count past its end finds nothing and stays as given.
    list.AddFocusEntry(0, 4, nullptr, false);
    EXPECT_EQ(Pairs(list).back(), std::make_pair(0, 4));
    list.DeleteFocusEntry(0, 4, nullptr, false);
    EXPECT_TRUE(list.IsSelected(1, 1));
    EXPECT_TRUE(list.IsSelected(-1, 4));
    EXPECT_FALSE(list.IsSelected(0, 1));

    // A count past the last line is kept as given and found again.
    list.AddFocusEntry(1, 9, nullptr, false);
    EXPECT_EQ(Pairs(list).back(), std::make_pair(1, 9));
    EXPECT_TRUE(list.IsSelected(1, 9));

    // Duplicates stay; deleting removes them all.
    list.DeleteFocusEntry(1, 1, nullptr, true);
    EXPECT_EQ(Pairs(list), (std::vector<std::pair<int, int>>{{1, 9}}));
    EXPECT_EQ(owner.hints.size(), 2u);

    list.DeleteFocusArray();
    EXPECT_TRUE(list.GetEntries().empty());
    EXPECT_FALSE(list.IsSelected(1, 9)) << "an emptied list holds no line";
    EXPECT_EQ(owner.hints.size(), 2u);
}

TEST_F(Selection, BadAddressesAreIgnoredSilently) {
    list.AddFocusEntry(0, -1, nullptr, true);
    list.AddFocusEntry(3, 0, nullptr, true);
    list.AddFocusEntry(-3, 0, nullptr, true);
    EXPECT_TRUE(list.GetEntries().empty());
    EXPECT_TRUE(owner.hints.empty());
    EXPECT_TRUE(sink.Messages().empty());

    CFocusEntryList unowned;
    unowned.AddFocusEntry(0, 0, nullptr, true);
    EXPECT_TRUE(unowned.GetEntries().empty());
    EXPECT_FALSE(unowned.IsSelected(0, 0));
}

TEST(FocusEntryList, PenKeepsWhatIsNotGiven) {
    CFocusEntryList list;
    EXPECT_EQ(list.GetFocusPen().style, 0);
    EXPECT_EQ(list.GetFocusPen().width, 1);
    EXPECT_EQ(list.GetFocusPenColour(), 255u);
    const int style = 2, width = 3;
    list.SetFocusPen(0x00FF00, &style, &width);
    list.SetFocusPen(0x0000FF, nullptr, nullptr);
    EXPECT_EQ(list.GetFocusPenColour(), 0x0000FFu);
    EXPECT_EQ(list.GetFocusPenStyle(), 2);
    EXPECT_EQ(list.GetFocusPen().width, 3);
}
