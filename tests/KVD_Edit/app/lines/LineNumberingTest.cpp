#include "KVD_Edit/app/lines/LineNumbering.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::vector<SFileListEntry> List(std::initializer_list<const char *> names) {
    std::vector<SFileListEntry> files;
    for (const char *n : names)
        files.push_back(SFileListEntry{n, -1});
    return files;
}

TEST(LineNumbering, SortsByNameAndNumbersFromTheLastDigits) {
    auto files = List({"LINE2", "line10", "Line1"});
    LineNumbering::Sort(files);
    LineNumbering::Assign(files);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].name, "Line1");
    EXPECT_EQ(files[1].name, "line10");
    EXPECT_EQ(files[2].name, "LINE2");
    EXPECT_EQ(files[0].number, 1);
    EXPECT_EQ(files[1].number, 10);
    EXPECT_EQ(files[2].number, 2);

    int64_t v = 0;
    ASSERT_TRUE(LineNumbering::LastDigitGroup("0007", v));
    EXPECT_EQ(v, 7);
    ASSERT_TRUE(LineNumbering::LastDigitGroup("a1b22c", v));
    EXPECT_EQ(v, 22);
    EXPECT_FALSE(LineNumbering::LastDigitGroup("abc", v));
    ASSERT_TRUE(LineNumbering::LastDigitGroup("x123456789012345678901234567890", v));
    EXPECT_EQ(v, std::numeric_limits<int64_t>::max());
    ASSERT_TRUE(LineNumbering::LastDigitGroup("x9999999999", v));
    EXPECT_EQ(v, 9999999999LL) << "numbers beyond 32 bits are kept";
}

TEST(LineNumbering, UnnumberedFilesTakeTheFreeNumbers) {
    auto mixed = List({"abc", "def", "x1"});
    EXPECT_TRUE(LineNumbering::Check(mixed).Mixed());
    LineNumbering::Assign(mixed);
    EXPECT_EQ(mixed[0].number, 0);
    EXPECT_EQ(mixed[1].number, 2);
    EXPECT_EQ(mixed[2].number, 1);

    auto plain = List({"abc", "def"});
    EXPECT_TRUE(LineNumbering::Check(plain).NoneNumbered());
    LineNumbering::Assign(plain);
    EXPECT_EQ(plain[0].number, 0);
    EXPECT_EQ(plain[1].number, 1);

    EXPECT_TRUE(LineNumbering::HintsXAndY(List({"gridX1"})));
    EXPECT_FALSE(LineNumbering::HintsXAndY(List({"gridx1", "line"})));
    EXPECT_EQ(LineNumbering::BaseName("/a/b.c/Line1.DT1"), "Line1");
    EXPECT_EQ(LineNumbering::BaseName("sub\\L.2.dt1"), "L.2");
}

TEST(LineNumbering, FreeNamesRunThroughTheAlphabet) {
    std::string name = "L5";
    std::vector<std::string> seen;
    for (int i = 0; i < 28; ++i) {
        name = LineNumbering::NextFreeName(name, i);
        seen.push_back(name);
    }
    EXPECT_EQ(seen[0], "L5a");
    EXPECT_EQ(seen[1], "L5b");
    EXPECT_EQ(seen[25], "L5z");
    EXPECT_EQ(seen[26], "L5aa");
    EXPECT_EQ(seen[27], "L5ab");
}

} // namespace
