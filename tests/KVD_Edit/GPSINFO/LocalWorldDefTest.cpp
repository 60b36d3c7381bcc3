#include "KVD_Edit/GPSINFO/LocalWorldDef.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(LocalWorldDef, FreshRecordHoldsTheLoadDefaults) {
    SLocalWorldDef def;
    EXPECT_EQ(def.EnableGPS, 2);
    EXPECT_FALSE(def.TwoPointDefinition);
    EXPECT_EQ(def.LastGPSView, -1);
    EXPECT_EQ(def.GlobalKind, 0);
    EXPECT_EQ(def.Zone, -1);
    EXPECT_EQ(def.ZoneLetter, 'T');
    EXPECT_EQ(def.ZoneA, -1);
    EXPECT_EQ(def.ZoneLetterA, 'T');
    EXPECT_TRUE(def.FitGrid);
    EXPECT_TRUE(def.RatioCheckBox);
    EXPECT_EQ(def.Unit, 1);
    EXPECT_EQ(def.Ellipsoid, 23);
    for (const auto &p : def.RefPoint) {
        EXPECT_EQ(p.Zone, 17);
        EXPECT_EQ(p.ZoneLetter, 'T');
        EXPECT_EQ(p.LocalX, 0.0);
    }

    SLocalWorldDef changed;
    changed.ShiftX = 5;
    changed.RefPoint[1].Zone = 3;
    changed.SetDefaults();
    EXPECT_EQ(changed, def);
}

TEST(LocalWorldDef, ComparesMembersNotBytes) {
    SLocalWorldDef a, b;
    // Garbage in the padding of one copy must not count as a change.
    std::memset(static_cast<void *>(&b), 0xA5, sizeof b);
    b = SLocalWorldDef();
    EXPECT_EQ(a, b);

    // A zero's sign is no change.
    b.Rotation = -0.0;
    b.RefPoint[0].LocalX = -0.0;
    EXPECT_EQ(a, b);

    // Every member counts, the second reference point and the letters included.
    b.RefPoint[1].ZoneLetter = 'K';
    EXPECT_NE(a, b);
    b = a;
    b.Ellipsoid = 4;
    EXPECT_NE(a, b);
    b = a;
    b.ZoneLetterA = 'S';
    EXPECT_NE(a, b);
    b = a;
    b.RefPoint[0].EastingOrLongitude = 1e-12;
    EXPECT_NE(a, b);
}

TEST(LocalWorldDef, ZoneTextsReadAndWrite) {
    struct Case {
        const char *text;
        int zone;
        char letter;
    } cases[] = {
        {"5K", 5, 'K'},   {"17", 17, 'T'},  {"12S", 12, 'S'},   {"17T", 17, 'T'},
        {"-1T", -1, 'T'}, {"-1K", -1, 'K'}, {"-12S", -12, 'S'}, {"", 0, 'T'},
        {"abc", 0, 'T'},  {"60X", 60, 'X'}, {"7z", 7, 'T'},
    };
    for (const auto &c : cases) {
        int32_t zone = 99;
        char letter = '?';
        ParseZoneText(c.text, zone, letter);
        EXPECT_EQ(zone, c.zone) << c.text;
        EXPECT_EQ(letter, c.letter) << c.text;
    }

    EXPECT_EQ(FormatZoneText(17, 'T'), "17T");
    EXPECT_EQ(FormatZoneText(5, 'K'), "5K");
    EXPECT_EQ(FormatZoneText(-1, 'T'), "-1T");
    // A reset definition leaves its letters 0: nothing but the number is written.
    std::string reset = FormatZoneText(-1, '\0');
    EXPECT_EQ(reset, "-1");
    EXPECT_EQ(reset.find('\0'), std::string::npos);
    EXPECT_EQ(FormatZoneText(12, 'a'), "12");

    // What is written reads back.
    for (int zone : {-1, 1, 9, 10, 60}) {
        int32_t z = 0;
        char l = 0;
        ParseZoneText(FormatZoneText(zone, 'M'), z, l);
        EXPECT_EQ(z, zone);
        EXPECT_EQ(l, 'M');
    }
}
