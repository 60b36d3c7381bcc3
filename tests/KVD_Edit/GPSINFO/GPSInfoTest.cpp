#include "KVD_Edit/GPSINFO/GPSInfo.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(GPSInfo, LinesGrowAndShrinkWithOnePointPerTrace) {
    CGPSInfo gps;
    CGPSInfo::SLineRecord *line = gps.FindLine(4, 2, 5);
    ASSERT_EQ(line->points.size(), 5u);
    EXPECT_EQ(line->line, 2);
    EXPECT_EQ(gps.FindSet(4)->set, 4);
    EXPECT_EQ(gps.FindLine(4, 2, 3), line); // same record
    EXPECT_EQ(line->points.size(), 5u);
    EXPECT_EQ(gps.GetPoint(4, 2, 3)->trace, 3);
    EXPECT_EQ(gps.GetPoint(4, 2, 4), nullptr);
    EXPECT_EQ(gps.FindPointByTrace(4, 2, 4, 1), nullptr);
    EXPECT_EQ(gps.GetPoint(4, 2, 0), nullptr);

    // Growing again takes the kept points back: no trace number twice, index = trace - 1.
    gps.FindLine(4, 2, 7);
    ASSERT_EQ(line->points.size(), 7u);
    for (size_t i = 0; i < line->points.size(); ++i)
        EXPECT_EQ(line->points[i].trace, int(i) + 1);
    EXPECT_EQ(gps.FindPointByTrace(4, 2, 7, 2), &line->points[6].source[2]);
    EXPECT_EQ(gps.FindLine(4, 2, -1)->pointCount, 7);

    // Records stay where they are while others are added.
    for (int l = 0; l < 50; ++l)
        gps.FindLine(4, 100 + l, 1);
    for (int s = 0; s < 50; ++s)
        gps.FindSet(s + 10);
    EXPECT_EQ(gps.FindLine(4, 2, -1), line);
    EXPECT_EQ(gps.GetPoint(9, 1, 1), nullptr);                // missing line
    EXPECT_EQ(line->points[0].source[1].topography, DBL_MAX); // no topography yet

    gps.SetHasGPSData(true).SetHasTopoData(true).SetUpdateState(true);
    gps.SetDisplayState(2);
    gps.Clear();
    EXPECT_TRUE(gps.Sets().empty());
    EXPECT_FALSE(gps.HasGPSData());
    EXPECT_FALSE(gps.HasTopoData());
    EXPECT_EQ(gps.GetDisplayState(), 0);
    EXPECT_TRUE(gps.GetUpdateState());
}

TEST(GPSInfo, RegisteredLinesStoreTheirPointsOnTheFirstWrite) {
    CGPSInfo gps;
    CGPSInfo::SLineRecord *line = gps.RegisterLine(1, 3, 400);
    EXPECT_EQ(line->pointCount, 400);
    EXPECT_TRUE(line->points.empty()); // nothing stored for a line without positions
    EXPECT_EQ(gps.RegisterLine(1, 3, 400), line);
    EXPECT_EQ(gps.FindLine(1, 3, -1), line);

    // Extents see no point of the line, as with empty points stored.
    line->xRange = ORQ::S2DMeasure(0, 10, ORQ::UNIT_M);
    CGPSInfo::SExtent extent;
    gps.ComputeExtents(&extent, CGPSInfo::SOURCE_RAW);
    EXPECT_EQ(gps.GetMeanPosition().count, 0);
    EXPECT_TRUE(line->points.empty());

    // A write through GetPoint stores the points in use, each an empty point of its trace.
    CGPSInfo::SGPSPoint *p = gps.GetPoint(1, 3, 250);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(line->points.size(), 400u);
    EXPECT_EQ(p, &line->points[249]);
    for (size_t i = 0; i < line->points.size(); ++i) {
        EXPECT_EQ(line->points[i].trace, int(i) + 1);
        EXPECT_EQ(line->points[i].source[CGPSInfo::SOURCE_RAW].kind, CGPSInfo::KIND_EMPTY);
        EXPECT_EQ(line->points[i].source[CGPSInfo::SOURCE_TRACE].topography, DBL_MAX);
    }
    EXPECT_EQ(gps.GetPoint(1, 3, 401), nullptr);

    // A line registered longer than it has points: the new ones are stored on a write, the
    // old ones keep their values.
    p->source[CGPSInfo::SOURCE_RAW].kind = CGPSInfo::KIND_FILLED;
    gps.RegisterLine(1, 3, 600);
    EXPECT_EQ(line->points.size(), 400u);
    EXPECT_EQ(gps.FindPointByTrace(1, 3, 250, CGPSInfo::SOURCE_RAW)->kind, CGPSInfo::KIND_FILLED);
    EXPECT_EQ(line->points.size(), 600u);
    EXPECT_EQ(gps.FindPointByTrace(1, 3, 600, CGPSInfo::SOURCE_RAW),
              &line->points[599].source[CGPSInfo::SOURCE_RAW]);
    EXPECT_EQ(gps.FindPointByTrace(1, 3, 601, CGPSInfo::SOURCE_RAW), nullptr);

    // A shorter registration keeps the stored points out of use.
    gps.RegisterLine(1, 3, 10);
    EXPECT_EQ(gps.GetPoint(1, 3, 11), nullptr);
    EXPECT_EQ(line->points.size(), 600u);
}

TEST(GPSInfo, LookupsFindTheirOwnRecordAcrossManySetsClearAndOutsideChanges) {
    CGPSInfo gps;
    // Lines of several sets registered interleaved, as a project's load does.
    for (int l = 0; l < 300; ++l)
        for (int s : {-2, 0, 3})
            gps.FindLine(s, l, 1 + (l + s + 2) % 4);
    ASSERT_EQ(gps.Sets().size(), 3u);
    for (int l = 0; l < 300; ++l)
        for (int s : {-2, 0, 3}) {
            CGPSInfo::SLineRecord *line = gps.FindLine(s, l, -1);
            ASSERT_EQ(line->line, l);
            EXPECT_EQ(line->pointCount, 1 + (l + s + 2) % 4);
            EXPECT_EQ(gps.GetPoint(s, l, line->pointCount), &line->points.back());
        }
    EXPECT_EQ(gps.FindSet(0)->lines.size(), 300u); // nothing registered twice
    EXPECT_EQ(gps.GetPoint(0, 300, 1), nullptr);
    EXPECT_EQ(gps.FindSet(0)->lines.size(), 300u);

    // After Clear the same keys give new, empty records.
    gps.FindLine(0, 7, -1)->name = "old";
    gps.Clear();
    EXPECT_EQ(gps.GetPoint(0, 7, 1), nullptr);
    CGPSInfo::SLineRecord *fresh = gps.FindLine(0, 7, 2);
    EXPECT_TRUE(fresh->name.empty());
    EXPECT_EQ(fresh->points.size(), 2u);
    EXPECT_EQ(gps.Sets().size(), 1u);
    EXPECT_EQ(gps.FindSet(0)->lines.size(), 1u);

    // A line added straight into a set's list is found, not registered a second time.
    CGPSInfo::SSetRecord *set = gps.FindSet(0);
    set->lines.emplace_back();
    set->lines.back().line = 8;
    EXPECT_EQ(gps.FindLine(0, 8, -1), &set->lines.back());
    EXPECT_EQ(set->lines.size(), 2u);

    // A record whose key was changed is no longer found under the old one, but under the new.
    fresh->line = 9;
    CGPSInfo::SLineRecord *again = gps.FindLine(0, 7, -1);
    EXPECT_NE(again, fresh);
    EXPECT_EQ(again->line, 7);
    EXPECT_EQ(gps.FindLine(0, 9, -1), fresh);
    EXPECT_EQ(set->lines.size(), 3u);
}

namespace {
void Fill(CGPSInfo::SGPSPoint &p, int source, double e, double n) {
    p.source[source].easting = e;
    p.source[source].northing = n;
    p.source[source].kind = CGPSInfo::KIND_FILLED;
}
} // namespace

TEST(GPSInfo, ExtentsAndMeansCountOnlyFilledPointsNotExcluded) {
    SLocalWorldDef def;
    def.RefPoint[0].NorthingOrLatitude = 43.5; // a user's definition: no automatic point
    CGPSInfo gps;
    gps.SetLWCDefinition(&def);

    CGPSInfo::SExtent out;
    gps.ComputeExtents(&out, 2);
    EXPECT_EQ(gps.GetMeanPosition().count, 0); // no point: 0, not NaN
    EXPECT_EQ(gps.GetMeanPosition().easting, 0);
    EXPECT_FALSE(std::isnan(gps.GetOriginMeasure().x));

    CGPSInfo::SLineRecord *line = gps.FindLine(0, 0, 3);
    line->xRange.Set(0, 10, ORQ::UNIT_M);
    line->yRange.Set(5, 5, ORQ::UNIT_M);
    Fill(line->points[0], 2, 100, 1000);
    Fill(line->points[2], 2, 300, 3000);
    Fill(line->points[1], 2, 9999, 9999);
    line->points[1].excluded = true;
    CGPSInfo::SLineRecord *one = gps.FindLine(1, 0, 1); // one trace: no division by zero
    one->xRange.Set(20, 20, ORQ::UNIT_M);
    one->yRange.Set(-5, 7, ORQ::UNIT_M);
    Fill(one->points[0], 2, 200, 2000);
    gps.SetHasGPSData(true);

    gps.ComputeExtents(&out, 2);
    EXPECT_EQ(out.minEasting, 100);
    EXPECT_EQ(out.maxEasting, 300);
    EXPECT_EQ(out.minNorthing, 1000);
    EXPECT_EQ(out.maxNorthing, 3000);
    EXPECT_EQ(gps.GetMeanPosition().count, 3);
    EXPECT_DOUBLE_EQ(gps.GetMeanPosition().easting, 200);
    EXPECT_DOUBLE_EQ(gps.GetOriginMeasure().x, 10); // (0 + 10 + 20) / 3
    EXPECT_DOUBLE_EQ(gps.GetOriginMeasure().y, (5 + 5 - 5) / 3.0);
    EXPECT_EQ(line->maxEasting, 300);
    const CGPSInfo::SExtent &local = gps.GetExtent(0);
    EXPECT_EQ(local.minNorthing, 7);  // maximum Y
    EXPECT_EQ(local.maxNorthing, -5); // minimum Y
    EXPECT_EQ(local.minEasting, 0);
    EXPECT_EQ(local.maxEasting, 20);
    EXPECT_EQ(def.RefPoint[1].LocalX, 0); // the user's definition is left alone

    // Without GPS data the local extents are the answer; with "EnableGPS" 3 the stored ones.
    gps.SetHasGPSData(false);
    gps.ComputeExtents(&out, 2);
    EXPECT_EQ(out.maxEasting, 20);
    def.EnableGPS = 3;
    line->points[0].source[2].easting = -5;
    gps.ComputeExtents(&out, 2);
    EXPECT_EQ(out.minEasting, 100);
}

TEST(GPSInfo, SecondReferencePointOnlyForAResetDefinition) {
    SLocalWorldDef def;
    def.Unit = ORQ::UNIT_FT;
    CGPSInfo gps;
    gps.SetLWCDefinition(&def);
    CGPSInfo::SLineRecord *line = gps.FindLine(0, 0, 2);
    line->xRange.Set(0, 30.48, ORQ::UNIT_M);
    line->yRange.Set(0, 3.048, ORQ::UNIT_M);

    gps.ResetLWCDefinition(2);
    EXPECT_EQ(def.EnableGPS, 2);
    EXPECT_EQ(def.Zone, -1);
    EXPECT_EQ(def.RefPoint[0].Zone, -1);
    EXPECT_TRUE(def.FitGrid);
    gps.ComputeAutoLWCFromGPS();
    EXPECT_NEAR(def.RefPoint[1].LocalX, 100, 1e-9); // feet
    EXPECT_NEAR(def.RefPoint[1].LocalY, 10, 1e-9);
    EXPECT_TRUE(def.TwoPointDefinition);
    EXPECT_EQ(def.Rotation, 0);

    // A one-point definition of the user at the local origin stays one.
    SLocalWorldDef user;
    user.RefPoint[0].NorthingOrLatitude = 43.5;
    user.RefPoint[0].EastingOrLongitude = -80.25;
    user.Rotation = 0.5;
    gps.SetLWCDefinition(&user);
    gps.ComputeAutoLWCFromGPS();
    EXPECT_EQ(user.RefPoint[1].LocalX, 0);
    EXPECT_FALSE(user.TwoPointDefinition);
    EXPECT_EQ(user.Rotation, 0.5);
}

TEST(GPSInfo, ZonesOfFixesAndTheKeptDefinition) {
    SLocalWorldDef def;
    CGPSInfo gps;
    gps.SetLWCDefinition(&def);
    EXPECT_TRUE(gps.GetUpdateState());
    gps.SetUpdateState(false);
    gps.SetLWCDefinition(&def);
    EXPECT_FALSE(gps.GetUpdateState()); // nothing changed

    SLatLong a{-80.25, 43.5}, b{-77.9, 43.5};
    SUTMCoord ua, ub;
    ASSERT_TRUE(GPS_LLtoUTM(a, ua, 23));
    ASSERT_TRUE(GPS_LLtoUTM(b, ub, 23));
    ASSERT_EQ(ub.zone, 18);
    EXPECT_TRUE(gps.FixZone(a, &ua));
    EXPECT_EQ(gps.GetUTMZone(false), 17);
    EXPECT_EQ(gps.GetUTMZone(true), 17);
    EXPECT_TRUE(gps.FixZone(b, &ub));
    EXPECT_EQ(ub.zone, 17);
    EXPECT_GT(ub.easting, 700000);

    // Kind UTM uses the second pair.
    def.GlobalKind = 1;
    def.Zone = 16;
    def.ZoneLetter = 'T';
    SUTMCoord uc;
    GPS_LLtoUTM(a, uc, 23);
    EXPECT_TRUE(gps.FixZone(a, &uc));
    EXPECT_EQ(uc.zone, 16);

    // Re-zoning moves filled points only.
    CGPSInfo::SLineRecord *line = gps.FindLine(0, 0, 2);
    CGPSInfo::SPointSource &p = line->points[0].source[1];
    p.easting = ua.easting;
    p.northing = ua.northing;
    p.zone = 17;
    p.letter = 'T';
    p.kind = CGPSInfo::KIND_FILLED;
    gps.SetUpdateState(false);
    gps.ReZonePoints(18, 'T');
    EXPECT_EQ(p.zone, 18);
    EXPECT_LT(p.easting, 300000);
    EXPECT_EQ(line->points[1].source[1].zone, 0);
    EXPECT_TRUE(gps.GetUpdateState());

    // The kept copy holds UTM values and metres.
    SLocalWorldDef ll;
    ll.ZoneA = 17;
    ll.ZoneLetterA = 'T';
    ll.Unit = ORQ::UNIT_FT;
    ll.RefPoint[0].NorthingOrLatitude = 43.5;
    ll.RefPoint[0].EastingOrLongitude = -80.25;
    ll.RefPoint[0].LocalX = 10;
    gps.SetLWCDefinition(&ll);
    const SLocalWorldDef &kept = gps.GetUTMDefinition();
    EXPECT_NEAR(kept.RefPoint[0].EastingOrLongitude, 560633.340, 0.001);
    EXPECT_NEAR(kept.RefPoint[0].NorthingOrLatitude, 4816614.559, 0.001);
    EXPECT_NEAR(kept.RefPoint[0].LocalX, 3.048, 1e-12);
    EXPECT_EQ(kept.Unit, ORQ::UNIT_M);
    EXPECT_EQ(ll.RefPoint[0].NorthingOrLatitude, 43.5); // the project's own is untouched
}

TEST(GPSInfo, ParseGGATakesSignsFromTheHemisphereLetters) {
    SGGAFix fix;
    ASSERT_TRUE(CGPSInfo::ParseGGA(
        "$GPGGA,123519.00,-4807.038,S,01131.000,W,1,08,0.9,545.4,M,46.9,M,2.5,0031*47", &fix));
    EXPECT_DOUBLE_EQ(fix.utcTime, 123519);
    EXPECT_DOUBLE_EQ(fix.latitude, -4807.038);
    EXPECT_DOUBLE_EQ(fix.longitude, -1131.0);
    EXPECT_EQ(fix.quality, 1);
    EXPECT_EQ(fix.satellites, 8);
    EXPECT_DOUBLE_EQ(fix.hdop, 0.9);
    EXPECT_DOUBLE_EQ(fix.altitude, 545.4);
    EXPECT_DOUBLE_EQ(fix.geoidSeparation, 46.9);
    EXPECT_DOUBLE_EQ(fix.differentialAge, 2.5);
    EXPECT_EQ(fix.stationId, 31);
    ASSERT_TRUE(CGPSInfo::ParseGGA("$GPGGA,1,4807.038,N,01131.000,E", &fix));
    EXPECT_GT(fix.latitude, 0);
    EXPECT_GT(fix.longitude, 0);
    EXPECT_EQ(fix.altitude, 0);
    EXPECT_FALSE(CGPSInfo::ParseGGA(nullptr, &fix));
}

TEST(GPSInfo, XmlEscapeAndUnwrap) {
    EXPECT_EQ(XmlEscape("a&b'c\"d<e>"), "a&amp;b&apos;c&quot;d&lt;e>");
    EXPECT_EQ(UnwrapLongitude(-179, 179), 181);
    EXPECT_EQ(UnwrapLongitude(-10, -20), -10);
    EXPECT_EQ(UnwrapLongitude(10, -20), 10);
}
