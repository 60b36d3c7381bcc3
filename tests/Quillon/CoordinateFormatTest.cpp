#include "Quillon/Quillon.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include <string>

namespace {

const char *kDefaultFormat =
    "Lat: %latd.7% %latc%, Long: %lond.7% %lonc%, E: %utme.2%, N: %utmn.2%, Z: %utmz%%utml%";

std::string Format(const std::string &format, SLatLong ll, SUTMCoord utm) {
    return GPS_FormatCoordinateString(format.c_str(), &ll, &utm);
}

} // namespace

TEST(QuillonFormat, DefaultFormatOfANorthWesternPoint) {
    const SLatLong ll{-75.0, 45.0};
    const SUTMCoord utm{4982950.4, 500000.0, 18, 'T'};
    EXPECT_EQ(Format(kDefaultFormat, ll, utm),
              "Lat: 45.0000000 N, Long: 75.0000000 W, E: 500000.00, N: 4982950.40, Z: 18T");
}

TEST(QuillonFormat, DegreesMinutesSecondsAndSigns) {
    const SLatLong ll{-80.2541666666, -43.5};
    const SUTMCoord utm{};
    // 80.2541666666 degrees = 80 deg 15 min 14.99999... s, which rounds up at two decimals.
    EXPECT_EQ(Format("%-latd%\xB0 %latm%' %lats.2%\" %-lond%\xB0 %lonm%' %lons.2%\"", ll, utm),
              "-43\xB0 30' 0.00\" -80\xB0 15' 15.00\"");
    EXPECT_EQ(Format("%latd% %latm% %lats.0% %latcF% %loncF% %lonc%", ll, utm),
              "43 30 0 South West W");
    EXPECT_EQ(Format("%-latd.3%/%latd.3%", ll, utm), "-43.500/43.500");
}

TEST(QuillonFormat, SecondsCarryIntoMinutesAndDegrees) {
    const SLatLong ll{10.0 - 1e-9, 59.0 + 59.0 / 60.0 + 59.9999 / 3600.0};
    EXPECT_EQ(Format("%latd% %latm% %lats.2%", ll, SUTMCoord{}), "60 0 0.00");
    EXPECT_EQ(Format("%lond% %lonm% %lons.3%", ll, SUTMCoord{}), "10 0 0.000");
    // Without a seconds token the minutes are cut, not rounded.
    EXPECT_EQ(Format("%latd% %latm%", ll, SUTMCoord{}), "59 59");
}

TEST(QuillonFormat, NegativeValueThatRoundsToZeroShowsNoSign) {
    const SLatLong ll{-1e-12, -1e-12};
    EXPECT_EQ(Format("%-latd.3% %-lond%", ll, SUTMCoord{}), "0.000 0");
}

TEST(QuillonFormat, LiteralTextUnknownTokensAndPercentSigns) {
    const SLatLong ll{1.0, 2.0};
    const SUTMCoord utm{3.0, 4.0, 5, 'N'};
    EXPECT_EQ(Format("100%% at %utmz%", ll, utm), "100% at 5");
    EXPECT_EQ(Format("%foo% %latx% %-utme.1% %utmz.2%", ll, utm),
              "%foo% %latx% %-utme.1% %utmz.2%");
    EXPECT_EQ(Format("open %utme.1", ll, utm), "open %utme.1");
    EXPECT_EQ(Format("", ll, utm), "");
    EXPECT_EQ(GPS_FormatCoordinateString(nullptr, &ll, &utm), "");
}

TEST(QuillonFormat, MissingRecordsRenderNothing) {
    const SLatLong ll{1.0, 2.0};
    EXPECT_EQ(GPS_FormatCoordinateString("[%latd.1%][%utme.1%][%utml%]", &ll, nullptr),
              "[2.0][][]");
}

TEST(QuillonFormat, BufferFormTruncatesSafely) {
    const SLatLong ll{-75.0, 45.0};
    const SUTMCoord utm{4982950.4, 500000.0, 18, 'T'};
    char small[8];
    ASSERT_TRUE(GPS_FormatCoordinateString(small, kDefaultFormat, &ll, &utm, sizeof small));
    EXPECT_STREQ(small, "Lat: 45");
    char full[1000];
    ASSERT_TRUE(GPS_FormatCoordinateString(full, kDefaultFormat, &ll, &utm));
    EXPECT_EQ(std::string(full), Format(kDefaultFormat, ll, utm));
}

TEST(QuillonUpdateGPS, ModeTwoUsesBothRecordsModeThreeComputesUtm) {
    const SLatLong ll{-75.0, 45.0};
    const SUTMCoord given{1.0, 2.0, 3, 'C'};
    std::string text;
    ASSERT_TRUE(UpdateGPS("%utme.0% %utmn.0% %utmz%%utml%", QUILLON_WGS84, 2, &ll, &given, text));
    EXPECT_EQ(text, "2 1 3C");
    ASSERT_TRUE(UpdateGPS("%utme.3% %utmn.3% %utmz%%utml%", QUILLON_WGS84, 3, &ll, nullptr, text));
    EXPECT_EQ(text, "500000.000 4982950.400 18T");
    ASSERT_TRUE(UpdateGPS("%utmn.3%", 5, 3, &ll, nullptr, text));
    EXPECT_EQ(text, "4982732.897");

    char buffer[1000] = "old";
    EXPECT_TRUE(UpdateGPS("%latd.1%", QUILLON_WGS84, 3, &ll, nullptr, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "45.0");
}

TEST(QuillonUpdateGPS, FailuresGiveEmptyText) {
    const SLatLong outside{0.0, 85.0};
    const SLatLong ll{-75.0, 45.0};
    std::string text = "old";
    EXPECT_FALSE(UpdateGPS("%latd.1%", QUILLON_WGS84, 3, &outside, nullptr, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(UpdateGPS("%latd.1%", QUILLON_WGS84, 2, &ll, nullptr, text));
    EXPECT_FALSE(UpdateGPS("%latd.1%", QUILLON_WGS84, 7, &ll, nullptr, text));
    char buffer[16] = "old";
    EXPECT_FALSE(UpdateGPS("%latd.1%", QUILLON_WGS84, 3, nullptr, nullptr, buffer, 16));
    EXPECT_STREQ(buffer, "");
}

// Coordinates the fuzzer found beyond what degrees, minutes and seconds can be split into (one
// line each: format|latitude|longitude): their tokens show "?" instead of a wrapped number.
TEST(QuillonFormat, ValuesThatCannotBeSplitShowAQuestionMark) {
    std::ifstream in(KVD_TEST_DATA_DIR "/fuzz/coordinate-beyond-split-range.txt");
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        const size_t a = line.find('|');
        const size_t b = line.find('|', a + 1);
        ASSERT_NE(b, std::string::npos) << line;
        const SLatLong ll{std::strtod(line.c_str() + b + 1, nullptr),
                          std::strtod(line.c_str() + a + 1, nullptr)};
        out.push_back(Format(line.substr(0, a), ll, SUTMCoord{}));
    }
    const std::vector<std::string> expected = {"? ?", "?\xB0 ?", "? ? ?", "? ? ?"};
    EXPECT_EQ(out, expected);
    // Just inside the range the split still works.
    EXPECT_EQ(Format("%latd% %latm%", SLatLong{0, 1e12 + 0.5}, SUTMCoord{}), "1000000000000 30");
}
