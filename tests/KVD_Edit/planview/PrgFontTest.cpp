#include "KVD_Edit/planview/PrgFont.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(ProgramFont, StartsWithoutFontAndRefusesToSaveNothing) {
    kvdtest::TempDir dir;
    CPrgFont font;
    EXPECT_FALSE(font.HasFont());
    EXPECT_EQ(font.CreateFromLogFont(nullptr), 0);
    EXPECT_EQ(font.LoadSave(-1, dir.File("ProgramFont.bin")), 0);
    EXPECT_FALSE(kvdtest::FileExists(dir.File("ProgramFont.bin")));
}

TEST(ProgramFont, SavedFileLoadsBackIntoTheSameRecord) {
    kvdtest::TempDir dir;
    SLogFont record = SLogFont::Fixed();
    record.lfHeight = -15;
    record.lfWeight = 700;
    record.lfFaceName = "DejaVu Sans";
    CPrgFont font;
    ASSERT_EQ(font.CreateFromLogFont(&record), 1);
    ASSERT_EQ(font.LoadSave(-1, dir.File("ProgramFont.bin")), 1);
    EXPECT_EQ(kvdtest::ReadFile(dir.File("ProgramFont.bin")).size(), 60u);
    CPrgFont loaded;
    ASSERT_EQ(loaded.LoadSave(1, dir.File("ProgramFont.bin")), 1);
    SLogFont back;
    ASSERT_TRUE(loaded.GetLogFont(back));
    EXPECT_EQ(back, record);
}

TEST(ProgramFont, ShortFilesAreRefusedAndLongerOnesGiveTheirFirstRecord) {
    kvdtest::TempDir dir;
    SLogFont record = SLogFont::Fixed();
    CPrgFont font;
    font.CreateFromLogFont(&record);
    ASSERT_EQ(font.LoadSave(-1, dir.File("full.bin")), 1);
    std::string bytes = kvdtest::ReadFile(dir.File("full.bin"));

    SLogFont other = SLogFont::Fixed();
    other.lfHeight = -20;
    CPrgFont held;
    held.CreateFromLogFont(&other);
    kvdtest::WriteFile(dir.File("short.bin"), bytes.substr(0, 59));
    EXPECT_EQ(held.LoadSave(1, dir.File("short.bin")), 0);
    EXPECT_EQ(held.LoadSave(1, dir.File("missing.bin")), 0);
    SLogFont kept;
    ASSERT_TRUE(held.GetLogFont(kept));
    EXPECT_EQ(kept.lfHeight, -20);

    kvdtest::WriteFile(dir.File("long.bin"), bytes + "trailing bytes");
    EXPECT_EQ(held.LoadSave(1, dir.File("long.bin")), 1);
    ASSERT_TRUE(held.GetLogFont(kept));
    EXPECT_EQ(kept, record);
}
