#include "Quillon/Quillon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr double kMetre = 0.01;
constexpr int kClarke1866 = 5;

SUTMCoord ToUTM(double lat, double lon, int ellipsoid = QUILLON_WGS84) {
    SUTMCoord utm;
    EXPECT_TRUE(GPS_LLtoUTM(SLatLong{lon, lat}, utm, ellipsoid)) << lat << ", " << lon;
    return utm;
}

} // namespace

TEST(QuillonLLtoUTM, KnownPositionsOnWgs84) {
    SUTMCoord u = ToUTM(0.0, -81.0);
    EXPECT_EQ(u.zone, 17);
    EXPECT_EQ(u.letter, 'N');
    EXPECT_NEAR(u.easting, 500000.000, kMetre);
    EXPECT_NEAR(u.northing, 0.000, kMetre);

    u = ToUTM(45.0, -75.0);
    EXPECT_EQ(u.zone, 18);
    EXPECT_EQ(u.letter, 'T');
    EXPECT_NEAR(u.easting, 500000.000, kMetre);
    EXPECT_NEAR(u.northing, 4982950.400, kMetre);

    // Southern hemisphere: the false northing of 10,000,000 applies (Cape Town, 34H).
    u = ToUTM(-33.9, 18.4);
    EXPECT_EQ(u.zone, 34);
    EXPECT_EQ(u.letter, 'H');
    EXPECT_NEAR(u.easting, 259583.222, kMetre);
    EXPECT_NEAR(u.northing, 6245888.045, kMetre);
}

TEST(QuillonLLtoUTM, EllipsoidChangesTheResult) {
    SUTMCoord u = ToUTM(45.0, -75.0, kClarke1866);
    EXPECT_NEAR(u.northing, 4982732.897, kMetre);
    EXPECT_NEAR(u.easting, 500000.000, kMetre);
}

TEST(QuillonLLtoUTM, UnknownEllipsoidIdMeansWgs84) {
    for (int id : {0, -1, 24, 1000}) {
        SUTMCoord u = ToUTM(45.0, -75.0, id);
        EXPECT_NEAR(u.northing, 4982950.400, kMetre) << id;
    }
}

TEST(QuillonLLtoUTM, ZoneExceptionsAndBands) {
    EXPECT_EQ(ToUTM(60.0, 5.0).zone, 32);  // south-west Norway
    EXPECT_EQ(ToUTM(78.0, 10.0).zone, 33); // Svalbard
    EXPECT_EQ(ToUTM(84.0, 10.0).letter, 'X');
    EXPECT_EQ(ToUTM(-80.0, 10.0).letter, 'C');
    EXPECT_EQ(ToUTM(0.0, 180.0).zone, 60);
    EXPECT_EQ(ToUTM(0.0, -180.0).zone, 1);
}

TEST(QuillonLLtoUTM, RefusesPositionsOutsideUtmAndLeavesRecord) {
    SUTMCoord u{1.0, 2.0, 3, 'Q'};
    EXPECT_FALSE(GPS_LLtoUTM(SLatLong{0.0, 84.01}, u, QUILLON_WGS84));
    EXPECT_FALSE(GPS_LLtoUTM(SLatLong{0.0, -80.01}, u, QUILLON_WGS84));
    EXPECT_FALSE(GPS_LLtoUTM(SLatLong{NAN, 10.0}, u, QUILLON_WGS84));
    EXPECT_EQ(u.northing, 1.0);
    EXPECT_EQ(u.easting, 2.0);
    EXPECT_EQ(u.zone, 3);
    EXPECT_EQ(u.letter, 'Q');
}

TEST(QuillonLLtoUTMZone, ForcedIntoNeighbouringZone) {
    SUTMCoord u;
    u.zone = 17;
    u.letter = 'T';
    ASSERT_TRUE(GPS_LLtoUTMZone(SLatLong{-75.0, 45.0}, u, QUILLON_WGS84));
    EXPECT_NEAR(u.easting, 972891.791, kMetre);
    EXPECT_NEAR(u.northing, 5000491.005, kMetre);
    EXPECT_EQ(u.zone, 17);
    EXPECT_EQ(u.letter, 'T');

    // Round trip through the forced zone.
    SLatLong back;
    ASSERT_TRUE(GPS_UTMtoLL(u, back, QUILLON_WGS84));
    EXPECT_NEAR(back.latitude, 45.0, 1e-9);
    EXPECT_NEAR(back.longitude, -75.0, 1e-9);
}

TEST(QuillonLLtoUTMZone, LetterChoosesHemisphereAcrossTheEquator) {
    // A point just north of the equator placed into a southern zone pair keeps continuity.
    SUTMCoord u;
    u.zone = 17;
    u.letter = 'M';
    ASSERT_TRUE(GPS_LLtoUTMZone(SLatLong{-81.0, 0.001}, u, QUILLON_WGS84));
    EXPECT_NEAR(u.northing, 10000000.0 + 110.57, 0.1);
    SLatLong back;
    ASSERT_TRUE(GPS_UTMtoLLEQFix(u, back, QUILLON_WGS84, 1));
    EXPECT_NEAR(back.latitude, 0.001, 1e-9);
}

TEST(QuillonLLtoUTMZone, RefusesBadZoneLetterOrDistantZone) {
    SUTMCoord u{7.0, 8.0, 0, 'T'};
    EXPECT_FALSE(GPS_LLtoUTMZone(SLatLong{-75.0, 45.0}, u, QUILLON_WGS84)); // zone 0
    u.zone = -1;
    EXPECT_FALSE(GPS_LLtoUTMZone(SLatLong{-75.0, 45.0}, u, QUILLON_WGS84));
    u.zone = 18;
    u.letter = 0;
    EXPECT_FALSE(GPS_LLtoUTMZone(SLatLong{-75.0, 45.0}, u, QUILLON_WGS84)); // no letter
    u.letter = 'I';
    EXPECT_FALSE(GPS_LLtoUTMZone(SLatLong{-75.0, 45.0}, u, QUILLON_WGS84));
    u.letter = 'T';
    u.zone = 30; // 72 degrees away
    EXPECT_FALSE(GPS_LLtoUTMZone(SLatLong{-75.0, 45.0}, u, QUILLON_WGS84));
    EXPECT_EQ(u.northing, 7.0);
    EXPECT_EQ(u.easting, 8.0);
}

TEST(QuillonUTMtoLL, RoundTripsOnSeveralEllipsoids) {
    const double points[][2] = {{45.0, -75.0}, {-33.9, 18.4}, {0.0, -81.0},   {83.9, 170.0},
                                {-79.9, -3.0}, {51.5, -0.1},  {-0.0001, 33.0}};
    for (int ellipsoid : {1, 5, 14, 22, 23}) {
        for (const auto &p : points) {
            const SUTMCoord u = ToUTM(p[0], p[1], ellipsoid);
            SLatLong ll;
            ASSERT_TRUE(GPS_UTMtoLL(u, ll, ellipsoid));
            EXPECT_NEAR(ll.latitude, p[0], 1e-9) << ellipsoid;
            EXPECT_NEAR(ll.longitude, p[1], 1e-9) << ellipsoid;
            SUTMCoord again;
            ASSERT_TRUE(GPS_LLtoUTM(ll, again, ellipsoid));
            EXPECT_NEAR(again.easting, u.easting, 1e-4);
            EXPECT_NEAR(again.northing, u.northing, 1e-4);
        }
    }
}

TEST(QuillonUTMtoLL, RefusesRecordsWithoutZoneOrLetterAndLeavesResult) {
    SLatLong ll{1.5, 2.5};
    EXPECT_FALSE(GPS_UTMtoLL(SUTMCoord{4982950.4, 500000.0, -1, 'T'}, ll, QUILLON_WGS84));
    EXPECT_FALSE(GPS_UTMtoLL(SUTMCoord{4982950.4, 500000.0, 61, 'T'}, ll, QUILLON_WGS84));
    EXPECT_FALSE(GPS_UTMtoLL(SUTMCoord{4982950.4, 500000.0, 18, 0}, ll, QUILLON_WGS84));
    EXPECT_FALSE(GPS_UTMtoLLEQFix(SUTMCoord{NAN, 500000.0, 18, 'T'}, ll, QUILLON_WGS84, 1));
    EXPECT_FALSE(GPS_UTMtoLLEQFix(SUTMCoord{4982950.4, 9e7, 18, 'T'}, ll, QUILLON_WGS84, 1));
    EXPECT_EQ(ll.longitude, 1.5);
    EXPECT_EQ(ll.latitude, 2.5);
    // A lower-case letter is still a letter.
    ASSERT_TRUE(GPS_UTMtoLL(SUTMCoord{4982950.4, 500000.0, 18, 't'}, ll, QUILLON_WGS84));
    EXPECT_NEAR(ll.latitude, 45.0, 1e-7);
}

TEST(QuillonValidLL, LimitsOfUtm) {
    auto valid = [](double lat, double lon) {
        SLatLong ll{lon, lat};
        return ValidLL(&ll) != 0;
    };
    EXPECT_TRUE(valid(-80.0, 0.0));
    EXPECT_TRUE(valid(84.0, 0.0));
    EXPECT_TRUE(valid(0.0, -180.0));
    EXPECT_TRUE(valid(0.0, 180.0));
    EXPECT_FALSE(valid(-80.0001, 0.0));
    EXPECT_FALSE(valid(84.0001, 0.0));
    EXPECT_FALSE(valid(0.0, 180.0001));
    EXPECT_FALSE(valid(NAN, 0.0));
    EXPECT_FALSE(valid(0.0, INFINITY));
    EXPECT_FALSE(ValidLL(nullptr));
}

TEST(QuillonArc, DegreeMinuteConversions) {
    SLatLong ll{-8015.0, 4330.0};
    ASSERT_TRUE(GPS_ConvertArcToDecimal(ll));
    EXPECT_DOUBLE_EQ(ll.longitude, -80.25);
    EXPECT_DOUBLE_EQ(ll.latitude, 43.5);

    ASSERT_TRUE(GPS_ConvertDecimalToArc(ll));
    EXPECT_NEAR(ll.longitude, -8015.0, 1e-9);
    EXPECT_NEAR(ll.latitude, 4330.0, 1e-9);

    SLatLong small{0.5, -0.25}; // under one degree: minutes only
    ASSERT_TRUE(GPS_ConvertDecimalToArc(small));
    EXPECT_NEAR(small.longitude, 30.0, 1e-9);
    EXPECT_NEAR(small.latitude, -15.0, 1e-9);
}

TEST(QuillonArc, RefusesMalformedMinutesAndLeavesValues) {
    SLatLong ll{-8075.0, 4330.0}; // 75 minutes
    EXPECT_FALSE(GPS_ConvertArcToDecimal(ll));
    EXPECT_EQ(ll.longitude, -8075.0);
    EXPECT_EQ(ll.latitude, 4330.0);
    SLatLong bad{NAN, 1.0};
    EXPECT_FALSE(GPS_ConvertDecimalToArc(bad));
    EXPECT_EQ(bad.latitude, 1.0);
}

TEST(QuillonEllipsoids, TableHasIdsOneToTwentyThree) {
    for (int i = QUILLON_FIRST_ELLIPSOID; i <= QUILLON_LAST_ELLIPSOID; ++i) {
        EXPECT_EQ(Ellipsoids[i].id, i);
        EXPECT_GT(std::strlen(Ellipsoids[i].name), 0u);
    }
    EXPECT_STREQ(Ellipsoids[QUILLON_WGS84].name, "WGS-84");
    EXPECT_STREQ(Ellipsoids[kClarke1866].name, "Clarke 1866");
    EXPECT_EQ(sizeof(SEllipsoid), 224u);
}
