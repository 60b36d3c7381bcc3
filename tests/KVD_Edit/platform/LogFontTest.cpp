#include "KVD_Edit/platform/LogFont.h"
#include "tests/support/TestSupport.h"

#include <wx/font.h>

#include <gtest/gtest.h>

TEST(LogFont, WritesTheSixtyByteLittleEndianRecord) {
    SLogFont f = SLogFont::Fixed();
    f.lfItalic = 1;
    const auto b = f.ToBytes();
    ASSERT_EQ(b.size(), 60u);
    // height -11 as a little-endian 32-bit integer, weight 400 at byte 16
    EXPECT_EQ(b[0], 0xF5);
    EXPECT_EQ(b[1], 0xFF);
    EXPECT_EQ(b[3], 0xFF);
    EXPECT_EQ(b[16], 0x90);
    EXPECT_EQ(b[17], 0x01);
    EXPECT_EQ(b[20], 1);    // italic
    EXPECT_EQ(b[24], 3);    // output precision
    EXPECT_EQ(b[25], 2);    // clip precision
    EXPECT_EQ(b[26], 1);    // quality
    EXPECT_EQ(b[27], 0x22); // pitch and family
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&b[28]), 5), "Arial");
    EXPECT_EQ(b[33], 0);
    SLogFont back;
    ASSERT_TRUE(back.FromBytes(b.data(), b.size()));
    EXPECT_EQ(back, f);
    EXPECT_EQ(back.lfFaceName, "Arial");
}

TEST(LogFont, DoesNotTrustARawRecord) {
    std::array<uint8_t, 60> raw;
    raw.fill(0x7F); // huge height, width and weight; face name without terminator
    SLogFont f;
    ASSERT_TRUE(f.FromBytes(raw.data(), raw.size()));
    EXPECT_EQ(f.lfHeight, SLogFont::kMaxHeight);
    EXPECT_EQ(f.lfWeight, SLogFont::kMaxWeight);
    EXPECT_EQ(f.lfFaceName.size(), 31u);
    EXPECT_EQ(f.lfItalic, 1);
    raw.fill(0x80); // very negative numbers
    ASSERT_TRUE(f.FromBytes(raw.data(), raw.size()));
    EXPECT_EQ(f.lfHeight, -SLogFont::kMaxHeight);
    EXPECT_EQ(f.lfWeight, 0);
    EXPECT_FALSE(f.FromBytes(raw.data(), 59));
}

TEST(LogFont, FontFilesNeedSixtyBytesAndKeepOnlyTheFirstSixty) {
    kvdtest::TempDir dir;
    SLogFont f = SLogFont::Fixed();
    f.lfFaceName = "A face name that is much longer than the field holds";
    ASSERT_TRUE(WriteLogFontFile(dir.File("font.bin"), f));
    const std::string bytes = kvdtest::ReadFile(dir.File("font.bin"));
    ASSERT_EQ(bytes.size(), 60u);
    EXPECT_EQ(bytes[59], '\0');
    SLogFont back;
    ASSERT_TRUE(ReadLogFontFile(dir.File("font.bin"), back));
    EXPECT_EQ(back.lfFaceName, f.lfFaceName.substr(0, 31));

    kvdtest::WriteFile(dir.File("short.bin"), bytes.substr(0, 59));
    EXPECT_FALSE(ReadLogFontFile(dir.File("short.bin"), back));
    kvdtest::WriteFile(dir.File("long.bin"), bytes + "trailing bytes");
    EXPECT_TRUE(ReadLogFontFile(dir.File("long.bin"), back));
    EXPECT_FALSE(ReadLogFontFile(dir.File("missing.bin"), back));
}

TEST(LogFont, ConvertsToAndFromToolkitFonts) {
    SLogFont f = SLogFont::Fixed();
    f.lfHeight = -16; // 12 pt at 96 dots per inch
    f.lfWeight = 700;
    f.lfItalic = 1;
    f.lfUnderline = 1;
    wxFont font = f.ToWxFont();
    ASSERT_TRUE(font.IsOk());
    EXPECT_DOUBLE_EQ(font.GetFractionalPointSize(), 12.0);
    EXPECT_EQ(font.GetNumericWeight(), 700);
    EXPECT_EQ(font.GetStyle(), wxFONTSTYLE_ITALIC);
    EXPECT_TRUE(font.GetUnderlined());
    EXPECT_EQ(font.GetFaceName(), "Arial");
    SLogFont back;
    ASSERT_TRUE(SLogFont::FromWxFont(font, back));
    EXPECT_EQ(back.lfHeight, -16);
    EXPECT_EQ(back.lfWeight, 700);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_EQ(back.lfUnderline, 1);
    EXPECT_EQ(back.lfFaceName, "Arial");
    EXPECT_FALSE(SLogFont::FromWxFont(wxFont(), back));
}
