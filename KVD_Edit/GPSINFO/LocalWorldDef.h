#pragma once

#include <cstdint>
#include <string>

// How a project's local grid relates to world coordinates: the world system, one or two
// reference points known in both systems, the transform's shift and rotation, the unit of the
// local side and the reference ellipsoid. Stored in the project's "LocalWorld_Settings" group.
//
// A plain record: copies are compared member by member (operator==), never as raw bytes, so
// padding and the sign of a zero never count as a change.
struct SLocalWorldDef {
    struct SRefPoint {
        double LocalX = 0.0;
        double LocalY = 0.0;
        // UTM northing, or the latitude in degrees when GlobalKind is 0 (stored under
        // "NORTHING_LONGITUDE_P"n: the key names read crosswise to the content).
        double NorthingOrLatitude = 0.0;
        // UTM easting, or the longitude in degrees when GlobalKind is 0 (stored under
        // "EASTING_LATITUDE_P"n).
        double EastingOrLongitude = 0.0;
        int32_t Zone = 17; // UTM zone number of the point; -1 none
        char ZoneLetter = 'T';

        bool operator==(const SRefPoint &other) const;
        bool operator!=(const SRefPoint &other) const { return !(*this == other); }
    };

    int32_t EnableGPS = 2;           // GPS state as the GPS code sets and tests it
    bool TwoPointDefinition = false; // two reference points, or one point and a heading
    int32_t LastGPSView = -1;
    int32_t GlobalKind = 0; // 0 latitude/longitude, any other value UTM
    int32_t ZoneA = -1;     // first zone pair (not stored)
    int32_t Zone = -1;      // zone of the definition; -1 none
    char ZoneLetterA = 'T';
    char ZoneLetter = 'T';
    bool FitGrid = true;
    SRefPoint RefPoint[2];
    bool RatioCheckBox = true;
    double ShiftX = 0.0;
    double ShiftY = 0.0;
    double Rotation = 0.0;
    int32_t Unit = 1;       // EUnitType of the local coordinates: 1 metre or 5 foot
    int32_t Ellipsoid = 23; // reference ellipsoid id of the GPS display configuration

    // Back to the values of a fresh record (the defaults every settings load starts from).
    void SetDefaults() { *this = SLocalWorldDef(); }

    bool operator==(const SLocalWorldDef &other) const;
    bool operator!=(const SLocalWorldDef &other) const { return !(*this == other); }
};

// Zone text of the project file: the zone number in decimal directly followed by its letter,
// e.g. "17T", "5K" or "-1T". A letter that is not 'A' to 'Z' is left out, so no control byte
// ever reaches the file.
std::string FormatZoneText(int32_t zone, char letter);

// Reads a zone text: the number as atoi reads it, the letter being the character right after
// the number's own text (sign included). When there is no such character, or it is not 'A' to
// 'Z', the letter is 'T'.
void ParseZoneText(const std::string &text, int32_t &zone, char &letter);
