#include "KVD_Edit/app/shell/INIAccess.h"
#include "KVD_Edit/platform/IniFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct IniFixture : ::testing::Test {
    kvdtest::TempDir dir;
    INIAccess ini;
    std::string path;
    void SetUp() override {
        path = dir.File("KVDGridView.ini");
        ini.Initialize(path, false);
    }
    std::string Stored(const std::string &section, const std::string &key) {
        return CIniFile::ReadString(path, section, key, "<missing>");
    }
};

} // namespace

TEST(INIAccessBasics, NamesTheFileAndPutsTheFontFileBesideIt) {
    INIAccess ini;
    EXPECT_EQ(ini.GetIniPath(), "KVDGridView.ini");
    EXPECT_EQ(ini.GetFontPath(), "");
    SLogFont f;
    EXPECT_FALSE(ini.GetLogFont(f));
    ini.Initialize("/some/folder/KVDGridView.ini", false);
    EXPECT_EQ(ini.GetFontPath(), "/some/folder/ProgramFont.bin");
}

TEST_F(IniFixture, FirstRunStoresTheDefaults) {
    EXPECT_EQ(ini.ReadIni("GENERAL", "Window Position", "0,0,0,0"), "0,0,0,0");
    EXPECT_EQ(kvdtest::ReadFile(path), "[GENERAL]\nWindow Position=0,0,0,0\n");
    EXPECT_DOUBLE_EQ(ini.ReadIni("SETTINGS", "STEP_TOLERANCE", 0.01), 0.01);
    EXPECT_EQ(Stored("SETTINGS", "STEP_TOLERANCE"), "0.010000");
    EXPECT_EQ(ini.ReadIni("SETTINGS", "TOLERANCE", 1000), 1000);
    EXPECT_EQ(Stored("SETTINGS", "TOLERANCE"), "1000");
    EXPECT_TRUE(ini.ReadLogical("SETTINGS", "Flag", 1));
    EXPECT_EQ(Stored("SETTINGS", "Flag"), "Y");
    EXPECT_FALSE(ini.ReadLogical("SETTINGS", "Other", 0));
    EXPECT_EQ(Stored("SETTINGS", "Other"), "N");
}

TEST_F(IniFixture, StoredValuesAreReturnedAndWrittenBackAsRead) {
    kvdtest::WriteFile(path, "[settings]\nstep_tolerance=0.02\ntolerance=12abc\nflag=y\n"
                             "no=yes\nbad=abc\n");
    EXPECT_DOUBLE_EQ(ini.ReadIni("SETTINGS", "STEP_TOLERANCE", 0.01), 0.02);
    EXPECT_EQ(Stored("SETTINGS", "STEP_TOLERANCE"), "0.02");
    EXPECT_EQ(ini.ReadIni("SETTINGS", "TOLERANCE", 1000), 12);
    EXPECT_EQ(Stored("SETTINGS", "TOLERANCE"), "12");
    EXPECT_TRUE(ini.ReadLogical("SETTINGS", "FLAG", 0));
    EXPECT_FALSE(ini.ReadLogical("SETTINGS", "NO", 1));
    EXPECT_EQ(Stored("SETTINGS", "NO"), "yes");
    EXPECT_DOUBLE_EQ(ini.ReadIni("SETTINGS", "BAD", 5.0), 0.0);
}

TEST_F(IniFixture, WritesAreSeenByTheNextReadAndLongValuesStayWhole) {
    ASSERT_TRUE(ini.WriteIni("GENERAL", "Edit_Win_Size", std::string("1,2,3,4")));
    EXPECT_EQ(ini.ReadIni("general", "edit_win_size", "0,0,0,0"), "1,2,3,4");
    ASSERT_TRUE(ini.WriteIni("S", "i", -42));
    ASSERT_TRUE(ini.WriteIni("S", "d", 2.5));
    ASSERT_TRUE(ini.WriteLogical("S", "b", false));
    EXPECT_EQ(Stored("S", "i"), "-42");
    EXPECT_EQ(Stored("S", "d"), "2.500000");
    EXPECT_EQ(Stored("S", "b"), "N");
    const std::string config(700, 'c'); // longer than the old 511-character limit
    ASSERT_TRUE(ini.WriteIni("GENERAL", "GPSConfiguration", config));
    EXPECT_EQ(ini.ReadIni("GENERAL", "GPSConfiguration", "x"), config);
    EXPECT_EQ(Stored("GENERAL", "GPSConfiguration"), config);
}

TEST(INIAccessMissingFolder, ReadsDefaultsAndStoresNothing) {
    kvdtest::TempDir dir;
    INIAccess ini;
    ini.Initialize(dir.File("gone/KVDGridView.ini"), false);
    EXPECT_EQ(ini.ReadIni("GENERAL", "Window Position", "0,0,0,0"), "0,0,0,0");
    EXPECT_EQ(ini.ReadIni("SETTINGS", "TOLERANCE", 7), 7);
    EXPECT_FALSE(ini.WriteIni("S", "k", std::string("v")));
    EXPECT_FALSE(kvdtest::FileExists(dir.File("gone")));
}

TEST_F(IniFixture, FontFileRoundTripsAndBadFilesAreReplaced) {
    kvdtest::CaptureSink sink;
    SLogFont chosen = SLogFont::Fixed();
    chosen.lfHeight = -15;
    chosen.lfFaceName = "DejaVu Sans";
    ini.SetFont(chosen);
    SLogFont held;
    ASSERT_TRUE(ini.GetLogFont(held));
    EXPECT_EQ(held, chosen);
    EXPECT_TRUE(ini.GetFont().IsOk());
    EXPECT_EQ(kvdtest::ReadFile(ini.GetFontPath()).size(), 60u);

    // A short file is replaced by the system font's record. Without a display the system font
    // cannot be taken: one warning, no dialog, and the fixed record instead.
    const std::string bytes = kvdtest::ReadFile(ini.GetFontPath());
    kvdtest::WriteFile(ini.GetFontPath(), bytes.substr(0, 59));
    ini.ReadFont();
    SLogFont replaced;
    ASSERT_TRUE(ReadLogFontFile(ini.GetFontPath(), replaced));
    ASSERT_TRUE(ini.GetLogFont(held));
    EXPECT_EQ(held, replaced);
    EXPECT_EQ(replaced, SLogFont::Fixed());
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].text, "An error occurred while determing the system font.\n"
                                       "Please select program font manually.");

    // A raw record with an unterminated name and absurd sizes is clamped, not trusted.
    std::string raw(60, '\x7f');
    kvdtest::WriteFile(ini.GetFontPath(), raw);
    ini.ReadFont();
    ASSERT_TRUE(ini.GetLogFont(held));
    EXPECT_EQ(held.lfHeight, SLogFont::kMaxHeight);
    EXPECT_EQ(held.lfWeight, SLogFont::kMaxWeight);
    EXPECT_EQ(held.lfFaceName.size(), 31u);
    EXPECT_TRUE(ini.GetFont().IsOk());
}

TEST(INIAccessFont, UnwritableFolderKeepsTheChosenFontForTheRun) {
    kvdtest::TempDir dir;
    INIAccess ini;
    ini.Initialize(dir.File("gone/KVDGridView.ini"), false);
    SLogFont chosen = SLogFont::Fixed();
    chosen.lfWeight = 700;
    ini.SetFont(chosen);
    SLogFont held;
    ASSERT_TRUE(ini.GetLogFont(held));
    EXPECT_EQ(held, chosen);
    EXPECT_FALSE(ini.WriteFont());
}
