#pragma once

// The GPS display configuration: nine integers and six quoted texts, comma separated, that say
// how world coordinates are shown, and the coordinate-library format string built from it.

#include "orq_utils/Str.h"

#include <string>

// The configuration of a new project and of a user without one.
extern const char *const DEFAULT_GPS_CONFIGURATION;

// The fifteen fields of a configuration, in their order in the text.
struct SGPSConfig {
    int ShowLatLong = 1;     // 1: latitude/longitude shown
    int LatLongMode = 1;     // 0: degrees, minutes, seconds; 1: decimal degrees
    int HemisphereStyle = 2; // 0 none, 1 sign, 2 letter, 3 word
    int LatLongDecimals = 5; // decimals of the seconds; decimal degrees show 2 more
    int ShowUTM = 1;         // 1: UTM easting and northing shown
    int Ellipsoid = 23;      // id in the coordinate library's ellipsoid table
    int ShowUTMLetter = 1;
    int ShowUTMZone = 1;
    int UTMDecimals = 2;
    std::string Separator = ", ";
    std::string LatPrefix = "Lat: ";
    std::string LongPrefix = "Long: ";
    std::string EastingPrefix = "E: ";
    std::string NorthingPrefix = "N: ";
    std::string ZonePrefix = "Z: ";
};

// Reads a configuration. Fields start from the defaults; reading stops at the first field that
// is missing or malformed, so the fields after it keep their defaults. Integers read as C's
// "%i" does (decimal, 0x hexadecimal, leading-0 octal); a text is everything up to its closing
// double quote, and may be empty. The decimals are kept within what the coordinate formatter
// shows (0 to 13 for LatLongDecimals, 0 to 15 for UTMDecimals).
SGPSConfig ParseGPSConfiguration(const std::string &configuration);

// Writes a configuration in the stored form; double quotes cannot be stored in a text and are
// left out.
std::string FormatGPSConfiguration(const SGPSConfig &config);

// An ellipsoid id of the coordinate library's table (1 to 23); any other id means WGS-84 (23).
int ValidGPSEllipsoid(int id);

// The coordinate-library format string of a configuration; *ellipsoid (when given) receives the
// configuration's ellipsoid id, an unknown one as 23.
ORQ::CStr BuildGPSFormatString(const std::string &configuration, int *ellipsoid = nullptr);
