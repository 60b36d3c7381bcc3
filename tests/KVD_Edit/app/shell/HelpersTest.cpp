#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/INIAccess.h"
#include "tests/support/TestSupport.h"

#include <wx/image.h>

#include <gtest/gtest.h>

#include <clocale>

TEST(Helpers, RoundToDecimalsRoundsHalfAwayFromZero) {
    EXPECT_DOUBLE_EQ(RoundToDecimals(2.345, 2), 2.35);
    EXPECT_DOUBLE_EQ(RoundToDecimals(-2.345, 2), -2.35);
    EXPECT_DOUBLE_EQ(RoundToDecimals(2.5, 0), 3.0);
    EXPECT_DOUBLE_EQ(RoundToDecimals(-2.5, 0), -2.0);
    EXPECT_DOUBLE_EQ(RoundToDecimals(1.0049, 2), 1.0);
    const double x = 0.125;
    EXPECT_DOUBLE_EQ(RoundToDecimals(&x, 2), 0.13);
    const float f = 2.345f;
    EXPECT_FLOAT_EQ(RoundToDecimalsF(&f, 2), 2.35f);
}

TEST(Helpers, FormatsNumbersInTheCLocale) {
    const char *old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    // A decimal-comma locale when the system has one; the results must not change.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(FormatFixed3(1.23456), "1.235");
    EXPECT_EQ(FormatWithUnit(1.23456, 2, "m"), "1.23 m");
    EXPECT_EQ(FormatWithUnit(2.5, 0, nullptr), "3");
    EXPECT_EQ(FormatWithUnit(0.5, -1, nullptr), "0.500000000000000");
    EXPECT_DOUBLE_EQ(ParseDoubleC("0.02"), 0.02);
    EXPECT_DOUBLE_EQ(ParseDoubleC("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDoubleC(" -1.5e1x"), -15.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Helpers, ConvertUnitsConvertsOneValue) {
    EXPECT_NEAR(ConvertUnits(1.0, ORQ::UNIT_FT, ORQ::UNIT_M), 0.3048, 1e-12);
    EXPECT_NEAR(ConvertUnits(2.5, ORQ::UNIT_M, ORQ::UNIT_CM), 250.0, 1e-9);
    EXPECT_DOUBLE_EQ(ConvertUnits(7.0, ORQ::UNIT_M, ORQ::UNIT_M), 7.0);
    EXPECT_DOUBLE_EQ(ConvertUnits(7.0, ORQ::UNIT_M, ORQ::UNIT_NS), 0.0);
}

TEST(Helpers, ParseColourReadsThreeEightBitComponents) {
    ColourRef c = ParseColour("0,128,128");
    EXPECT_EQ(ColourRed(c), 0);
    EXPECT_EQ(ColourGreen(c), 128);
    EXPECT_EQ(ColourBlue(c), 128);
    EXPECT_EQ(c, 0u + 256u * 128u + 65536u * 128u);
    EXPECT_EQ(ColourRed(ParseColour("300,0,0")), 44);
    c = ParseColour("255");
    EXPECT_EQ(c, 255u);
    EXPECT_EQ(ParseColour("abc,x"), 0u);
    EXPECT_EQ(ParseColour(""), 0u);
}

TEST(Helpers, ParsePlacementNeedsThreeOrFourNumbers) {
    SWindowPlacement p;
    p.rcNormalPosition.bottom = 99;
    ASSERT_TRUE(ParsePlacement("10,20,30", p));
    EXPECT_EQ(p.rcNormalPosition.left, 10);
    EXPECT_EQ(p.rcNormalPosition.top, 20);
    EXPECT_EQ(p.rcNormalPosition.right, 30);
    EXPECT_EQ(p.rcNormalPosition.bottom, 99);
    ASSERT_TRUE(ParsePlacement("1,2,3,4,5", p));
    EXPECT_EQ(p.rcNormalPosition.bottom, 4);
    EXPECT_EQ(FormatPlacement(p), "1,2,3,4");
    EXPECT_FALSE(ParsePlacement("10,20", p));
    EXPECT_FALSE(ParsePlacement("", p));
    EXPECT_EQ(p.rcNormalPosition.left, 1);
}

TEST(Helpers, SplitsPathsWithEitherSeparatorAndListsOfAnyLength) {
    std::string folder, name;
    SplitPath("D:\\a\\b.kvd", &folder, &name);
    EXPECT_EQ(folder, "D:\\a\\");
    EXPECT_EQ(name, "b.kvd");
    SplitPath("/home/u/p.kvd", &folder, &name);
    EXPECT_EQ(folder, "/home/u/");
    EXPECT_EQ(name, "p.kvd");
    SplitPath("D:\\a/mixed\\c", &folder, nullptr);
    EXPECT_EQ(folder, "D:\\a/mixed\\");
    SplitPath("plain.kvd", &folder, &name);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "plain.kvd");

    std::vector<std::string> tokens{"stale"};
    SplitList(",,a, b;;c,", ",;", tokens);
    EXPECT_EQ(tokens, (std::vector<std::string>{"a", " b", "c"}));
    const std::string longText = std::string(600, 'x') + "," + std::string(600, 'y');
    SplitList(longText, ",", tokens);
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].size(), 600u);
}

TEST(Helpers, TrimTrailingZerosAndIsYes) {
    std::string s = "1.2500";
    EXPECT_EQ(TrimTrailingZeros(s), '5');
    EXPECT_EQ(s, "1.25");
    s = "000";
    EXPECT_EQ(TrimTrailingZeros(s), 0);
    EXPECT_EQ(s, "0");
    s = "";
    EXPECT_EQ(TrimTrailingZeros(s), 0);
    EXPECT_TRUE(IsYes("y"));
    EXPECT_TRUE(IsYes("Y"));
    EXPECT_FALSE(IsYes("yes"));
    EXPECT_FALSE(IsYes(""));
}

TEST(Helpers, NumericEditCutsInvalidCharacters) {
    SNumericEditCheck r = CheckNumericText("12a4", true, -1, -1, 2);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.text, "12");
    EXPECT_EQ(r.caret, 2u);
    EXPECT_TRUE(r.message.empty());
    r = CheckNumericText("1.2.3", true, -1, -1, 2);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.text, "1.2");
    r = CheckNumericText("-5", false, -1, -1, 2);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.text, "");
    r = CheckNumericText("5-", true, -1, -1, 2);
    EXPECT_EQ(r.text, "5");
    for (const char *ok : {"", "-", ".", "-12.5", "999999"})
        EXPECT_TRUE(CheckNumericText(ok, true, -1, -1, 2).valid) << ok;
}

TEST(Helpers, NumericEditCorrectsValuesOutsideTheRange) {
    SNumericEditCheck r = CheckNumericText("150", false, 0, 100, 1);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.text, "100.0");
    EXPECT_TRUE(r.selectAll);
    EXPECT_EQ(r.message, "Valid values are 0.0 to 100.0");
    r = CheckNumericText("-3", true, -2.5, 10, 2);
    EXPECT_EQ(r.text, "-2.50");
    EXPECT_EQ(r.message, "Valid values are -2.50 to 10.00");
    // Compared after rounding to the decimals: 100.04 counts as 100.0.
    EXPECT_TRUE(CheckNumericText("100.04", false, 0, 100, 1).valid);
    EXPECT_FALSE(CheckNumericText("100.06", false, 0, 100, 1).valid);
    EXPECT_TRUE(CheckNumericText("", false, 5, 100, 1).valid);
}

TEST(Helpers, DebugTraceFormsTheLine) {
    const std::string line = DebugTrace("step", false);
    ASSERT_GE(line.size(), 11u);
    EXPECT_EQ(line.rfind("step ", 0), 0u);
    EXPECT_EQ(line.back(), '\n');
}

TEST(Helpers, IsImageFileLoadsImages) {
    kvdtest::TempDir dir;
    kvdtest::WriteFile(dir.File("not.png"), "plain text, no image");
    EXPECT_FALSE(IsImageFile(dir.File("not.png")));
    EXPECT_FALSE(IsImageFile(dir.File("missing.png")));
    // A 1x1 grey PGM image.
    kvdtest::WriteFile(dir.File("dot.pgm"), std::string("P5\n1 1\n255\n\x80", 12));
    EXPECT_TRUE(IsImageFile(dir.File("dot.pgm")));
    wxImage::CleanUpHandlers(); // no wxApp here to release the handlers IsImageFile added
}
