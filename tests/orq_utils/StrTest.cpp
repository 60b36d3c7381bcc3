#include "orq_utils/Str.h"
#include "orq_utils/CLocale.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <stdexcept>

using ORQ::CStr;

TEST(StrFormat, LongOutputIsNeverCutShort) {
    CStr s;
    s.Format("%3000d|%s", 7, "end"); // 10-character format, 3004 characters of output
    ASSERT_EQ(s.size(), 3004u);
    EXPECT_EQ(s.substr(2999), "7|end");
    s.AppendFormat("%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(s.size(), 8004u);
    std::string out = "old";
    CStr::Format(out, "%d-%s", 12, "ab");
    EXPECT_EQ(out, "12-ab");
}

TEST(StrFormat, NumbersUseTheCLocaleWhateverTheProcessLocale) {
    const char *saved = std::setlocale(LC_NUMERIC, nullptr);
    std::string restore = saved ? saved : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    CStr s;
    s.Format("%.2f", 1.5);
    EXPECT_EQ(s, "1.50");
    double v = 0;
    EXPECT_EQ(ORQ::IsNotRealNumber("2.25", false, false, &v), 0);
    EXPECT_EQ(v, 2.25);
    std::setlocale(LC_NUMERIC, restore.c_str());
}

TEST(StrSubstrings, LeftAndRightClampToTheLength) {
    CStr s("abc");
    EXPECT_EQ(s.Left(0), "");
    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Left(99), "abc");
    EXPECT_EQ(s.Right(2), "bc");
    EXPECT_EQ(s.Right(99), "abc");
    EXPECT_EQ(CStr().Right(1), "");
}

TEST(StrCase, UpperLowerAndCompareNoCase) {
    CStr s("aBc1");
    s.ToUpper();
    EXPECT_EQ(s, "ABC1");
    s.ToLower();
    EXPECT_EQ(s, "abc1");
    EXPECT_EQ(CStr::CompareNoCase("abc", "ABD"), -1);
    EXPECT_EQ(CStr::CompareNoCase("abc", "ABC"), 0);
    EXPECT_EQ(CStr::CompareNoCase("ab", "abc"), -1);
    EXPECT_EQ(CStr::CompareNoCase("abc", "ab"), 1);
    EXPECT_EQ(CStr::CompareNoCase("a", "z"), 'A' - 'Z'); // the difference, not clamped
    EXPECT_EQ(CStr("Line01").CompareNoCase("LINE01"), 0);
}

// Names typed by crews in Germany, France or Scandinavia: the code page's letters change case
// in pairs, and characters without a single-byte partner stay.
TEST(StrCase, CodePageLettersChangeCaseInPairs) {
    CStr s("gr\xFCn \x9C\x9A\x9E\xFF \xE6\xF8\xE5 \xDF\xB5\xF7 \x80");
    s.ToUpper();
    EXPECT_EQ(s, "GR\xDCN \x8C\x8A\x8E\x9F \xC6\xD8\xC5 \xDF\xB5\xF7 \x80");
    s.ToLower();
    EXPECT_EQ(s, "gr\xFCn \x9C\x9A\x9E\xFF \xE6\xF8\xE5 \xDF\xB5\xF7 \x80")
        << "the multiplication sign 0xD7 and the division sign 0xF7 are no letters";
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const char up = ORQ::UpperCp1252(c);
        SCOPED_TRACE(b);
        if (up != c) {
            EXPECT_EQ(ORQ::LowerCp1252(up), c) << "every capital leads back to its letter";
        }
    }
    EXPECT_EQ(CStr::CompareNoCase("Gr\xFCn \x80", "GR\xDCN \x80"), 0);
    EXPECT_EQ(CStr::CompareNoCase("\xC6r\xF8", "\xE6R\xD8"), 0);
    EXPECT_NE(CStr::CompareNoCase("gr\xFCn", "grun"), 0);
    // Bytes compare as unsigned: an accented letter sorts after 'Z'.
    EXPECT_GT(CStr::CompareNoCase("\xE9", "z"), 0);
}

TEST(StrConversions, Cp1252BytesAndCharacters) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        unsigned char back = 0;
        ASSERT_TRUE(
            ORQ::UnicodeToCp1252(ORQ::Cp1252ToUnicode(static_cast<unsigned char>(b)), back));
        EXPECT_EQ(back, b);
    }
    EXPECT_EQ(ORQ::Cp1252ToUnicode(0x80), 0x20ACu);
    EXPECT_EQ(ORQ::Cp1252ToUnicode(0x9F), 0x178u);
    EXPECT_EQ(ORQ::Cp1252ToUnicode(0x81), 0x81u) << "undefined bytes keep their value";
    unsigned char b = 0;
    EXPECT_FALSE(ORQ::UnicodeToCp1252(0x80, b)) << "U+0080 has no byte: 0x80 is the euro sign";
    EXPECT_FALSE(ORQ::UnicodeToCp1252(0x3A9, b));
}

TEST(StrTrim, RemovesOnlyCharactersOfTheSet) {
    EXPECT_EQ(CStr::TrimLeft("  x ", " "), "x ");
    EXPECT_EQ(CStr::TrimRight("  x ", " "), "  x");
    EXPECT_EQ(CStr::Trim("\t x\r\n", " \t\r\n"), "x");
    EXPECT_EQ(CStr::Trim("   ", " "), "");
    EXPECT_EQ(CStr::Trim("", " "), "");
}

TEST(StrSubstitute, SearchesReplacedTextAgainAndAlwaysEnds) {
    const struct {
        const char *text, *find, *with;
        int count;
        const char *result;
    } cases[] = {
        {"abb", "ab", "a", 2, "a"}, // the replaced text is searched again
        {"a\\b\\c", "\\", "/", 2, "a/b/c"},
        {"x.x", "x", "xx", 2, "xx.xx"}, // the replacement holds the search text
        {"aaa", "a", "a", 3, "aaa"},
        {"abc", "", "z", 0, "abc"}, // empty search text
        {"abc", "q", "z", 0, "abc"},
        {"abc", "b", "", 1, "ac"},
    };
    for (const auto &c : cases) {
        CStr s(c.text);
        EXPECT_EQ(s.Substitute(c.find, c.with), c.count) << c.text << " " << c.find;
        EXPECT_EQ(s, c.result) << c.text << " " << c.find;
    }
}

TEST(StrToken, MemberSplitsAtAnyDelimiterAndStopsAtTheEnd) {
    CStr s("a;b");
    size_t pos = 0;
    EXPECT_EQ(s.Token(";", pos), "a");
    EXPECT_EQ(pos, 2u);
    EXPECT_EQ(s.Token(";", pos), "b");
    EXPECT_EQ(pos, 4u);
    // Past the end: an empty text, no exception, pos unchanged.
    EXPECT_EQ(s.Token(";", pos), "");
    EXPECT_EQ(pos, 4u);

    CStr gga("$GPGGA,1,,x\t2");
    std::vector<std::string> parts;
    for (pos = 0; pos < gga.size();)
        parts.push_back(gga.Tokenize(",\t", pos));
    EXPECT_EQ(parts, (std::vector<std::string>{"$GPGGA", "1", "", "x", "2"}));

    CStr trailing("a,");
    pos = 0;
    EXPECT_EQ(trailing.Token(",", pos), "a");
    EXPECT_EQ(pos, 2u);
    EXPECT_EQ(trailing.Token(",", pos), "");
    EXPECT_EQ(pos, 2u);
}

namespace {
std::vector<std::string> StaticTokens(const char *text) {
    std::vector<std::string> out;
    std::string token = "unchanged";
    size_t pos = 0;
    while (CStr::Token(token, pos, text, ','))
        out.push_back(token);
    return out;
}
} // namespace

TEST(StrToken, StaticGivesEmptyTokensForAdjacentAndTrailingDelimiters) {
    EXPECT_EQ(StaticTokens("a,,b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(StaticTokens("a,b,"), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(StaticTokens(""), (std::vector<std::string>{""}));
    std::string out = "keep";
    size_t pos = 9;
    EXPECT_FALSE(CStr::Token(out, pos, "abc", ','));
    EXPECT_EQ(out, "keep");

    pos = 0;
    std::vector<std::string> viaShared;
    const char *text = "x,y";
    while (pos <= 3)
        viaShared.push_back(CStr::StrToken(text, ',', pos));
    EXPECT_EQ(viaShared, (std::vector<std::string>{"x", "y"}));
}

TEST(StrNumbers, NonNumericContentIsPerCharacter) {
    EXPECT_FALSE(ORQ::NonNummericContent(nullptr, true, true));
    EXPECT_FALSE(ORQ::NonNummericContent("", false, false));
    EXPECT_FALSE(ORQ::NonNummericContent("0123456789", false, false));
    EXPECT_TRUE(ORQ::NonNummericContent("-1", false, true));
    EXPECT_FALSE(ORQ::NonNummericContent("1-2", true, true));
    EXPECT_FALSE(ORQ::NonNummericContent("1.2.3", true, true));
    EXPECT_TRUE(ORQ::NonNummericContent("1.2", true, false));
    EXPECT_TRUE(ORQ::NonNummericContent("1e5", true, true));
    EXPECT_TRUE(CStr().IsNumeric(false, false));
    EXPECT_FALSE(CStr("12a").IsNumeric(true, true));
}

TEST(StrNumbers, RealNumberCodes) {
    double v = -1;
    EXPECT_EQ(ORQ::IsNotRealNumber(nullptr, true, true, &v), 3);
    EXPECT_EQ(ORQ::IsNotRealNumber(" 1.5 ", false, true, &v), 0);
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(ORQ::IsNotRealNumber(" 1.5 ", false, false, &v), 1);
    EXPECT_EQ(ORQ::IsNotRealNumber("-1.5", false, false, &v), 1);
    EXPECT_EQ(ORQ::IsNotRealNumber("-1.5", true, false, &v), 0);
    EXPECT_EQ(v, -1.5);
    for (const char *ok : {"15", "1.", "0.25"})
        EXPECT_EQ(ORQ::IsNotRealNumber(ok, true, false, nullptr), 0) << ok;
    for (const char *bad : {"007", ".5", "1.2.3", "1-2", "0.1234567890123456789"})
        EXPECT_EQ(ORQ::IsNotRealNumber(bad, true, false, nullptr), 2) << bad;
    v = 9;
    EXPECT_EQ(ORQ::IsNotRealNumber("", true, false, &v), 0);
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(CStr("2.5").Real(false, false, &v));
    EXPECT_EQ(v, 2.5);
    EXPECT_FALSE(CStr("x").Real(false, false, &v));
}

TEST(StrNumbers, WholeNumberCodes) {
    int n = 0;
    EXPECT_EQ(ORQ::IsNotWholeNumber("-12", true, false, &n), 0);
    EXPECT_EQ(n, -12);
    EXPECT_EQ(ORQ::IsNotWholeNumber("-12", false, false, &n), 1);
    EXPECT_EQ(ORQ::IsNotWholeNumber("12.0", true, false, &n), 1);
    EXPECT_EQ(ORQ::IsNotWholeNumber("", true, false, &n), 3);
    EXPECT_EQ(ORQ::IsNotWholeNumber(nullptr, true, false, &n), 3);
    EXPECT_EQ(ORQ::IsNotWholeNumber(" 42\r\n", false, true, &n), 0);
    EXPECT_EQ(n, 42);
    for (const char *bad : {"007", "-0", "1-2", "2147483648", "99999999999999999999"})
        EXPECT_EQ(ORQ::IsNotWholeNumber(bad, true, false, nullptr), 2) << bad;
    EXPECT_EQ(ORQ::IsNotWholeNumber("2147483647", false, false, &n), 0);
    EXPECT_EQ(n, 2147483647);
    EXPECT_TRUE(CStr("-3").Whole(true, false, &n));
    EXPECT_EQ(n, -3);
}

TEST(StrUid, PacksSixCharactersAndBack) {
    EXPECT_EQ(ORQ::Str2UID("ab"), 65u);
    EXPECT_EQ(ORQ::UID2Str(65u), "AB@@@@");
    EXPECT_EQ(ORQ::Str2UID("abcdefgh"), ORQ::Str2UID("ABCDEF"));
    EXPECT_EQ(ORQ::UID2Str(ORQ::Str2UID("abcdefgh")), "ABCDEF");
    EXPECT_EQ(ORQ::UID2Str(0u), "@@@@@@");
    EXPECT_EQ(ORQ::UID2Str(ORQ::Str2UID("_[\\]^@")), "_[\\]^@");
    std::string buffer(7, 'z');
    ORQ::UID2Str(ORQ::Str2UID("GPS"), &buffer[0]);
    EXPECT_STREQ(buffer.c_str(), "GPS@@@");
    // Characters outside '@'..'_' do not round-trip, but packing them is well defined.
    EXPECT_EQ(ORQ::Str2UID("0"), 0xFFFFFFF0u);
    EXPECT_EQ(ORQ::Str2UID(nullptr), 0u);
}

TEST(StrConversions, WideTextNarrowsToLowBytesAndWidensFromCp1252) {
    const wchar_t wide[] = {65, 321, 0};
    EXPECT_EQ(CStr(wide), "AA");
    CStr s("A\x80\xE9");
    const wchar_t *w = s;
    EXPECT_EQ(std::wstring(w), std::wstring(L"A\u20AC\u00E9"));
    const char *narrow = s;
    EXPECT_STREQ(narrow, "A\x80\xE9");
    char *copy = CStr::MallocCharArray("heap");
    EXPECT_STREQ(copy, "heap");
    std::free(copy);
    EXPECT_EQ(CStr(static_cast<const char *>(nullptr)), "");
    CStr idx("xyz");
    EXPECT_EQ(idx[0], 'x');
    EXPECT_EQ(idx[2u], 'z');
}

TEST(StrVersion, RecordStartsWithModuleVersionAndDate) {
    const std::string v = ORQ::StringGetVerStr();
    EXPECT_EQ(v.rfind("String\t1.1.0.0\tVersion 1 Release 1\t2006-08-22\t", 0), 0u);
}

TEST(CLocaleNumbers, ReadTheLeadingNumberWhateverTheLocale) {
    const char *old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // a decimal-comma locale where the system has one
    EXPECT_DOUBLE_EQ(ORQ::AtofC(" -1.5e1x"), -15.0);
    EXPECT_DOUBLE_EQ(ORQ::AtofC("2,5"), 2.0);
    EXPECT_DOUBLE_EQ(ORQ::AtofC(nullptr), 0.0);
    for (const char *nan : {"nan", " -NaN", "NAN(12)"})
        EXPECT_EQ(ORQ::AtofC(nan), 0.0) << nan;
    EXPECT_EQ(ORQ::AtofC("inf"), HUGE_VAL);
    std::setlocale(LC_NUMERIC, saved.c_str());

    EXPECT_EQ(ORQ::AtoiC("  +42 m"), 42);
    EXPECT_EQ(ORQ::AtoiC("\t-7"), -7);
    EXPECT_EQ(ORQ::AtoiC("x1"), 0);
    EXPECT_EQ(ORQ::AtoiC(""), 0);
    EXPECT_EQ(ORQ::AtoiC(nullptr), 0);
    // Beyond the int range the value stops at its end instead of wrapping around.
    EXPECT_EQ(ORQ::AtoiC("2147483648"), INT_MAX);
    EXPECT_EQ(ORQ::AtoiC("-2147483649"), INT_MIN);
    EXPECT_EQ(ORQ::AtoiC("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(ORQ::AtoiC("-99999999999999999999999"), INT_MIN);
}
