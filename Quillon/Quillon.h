#pragma once

// Quillon: coordinate conversions between latitude/longitude and UTM on a chosen reference
// ellipsoid, coordinate text from a %-token format, NMEA degree-minute conversion and the table
// of ellipsoids. Every int result is non-zero on success; a zero result leaves the caller's
// records as they were.

#include "Quillon/QuillonExport.h"

#include <string>

// A position in decimal degrees; west and south are negative.
struct SLatLong {
    double longitude = 0.0;
    double latitude = 0.0;
};

// A UTM position: northing and easting in metres, zone 1 to 60 (callers use -1 for none) and
// the zone letter as a character code ('C' to 'X'; 'N' and above are north of the equator).
struct SUTMCoord {
    double northing = 0.0;
    double easting = 0.0;
    int zone = 0;
    int letter = 0;
};

// One entry of the ellipsoid table: its id and its name.
struct SEllipsoid {
    int id;
    char name[220];
};

enum : int {
    QUILLON_FIRST_ELLIPSOID = 1,
    QUILLON_LAST_ELLIPSOID = 23,
    QUILLON_WGS84 = 23,
    QUILLON_ELLIPSOID_COUNT = 24, // entries of Ellipsoids, entry 0 being a placeholder
};

// The most decimals a token shows: up to QUILLON_MAX_DECIMALS for decimal degrees, easting and
// northing, up to QUILLON_MAX_SECOND_DECIMALS for seconds; more are shown as that many.
enum : int {
    QUILLON_MAX_DECIMALS = 15,
    QUILLON_MAX_SECOND_DECIMALS = 9,
};

// The ellipsoid table: entry i has id i for i = 1 to 23 (23 is WGS-84); entry 0 is no ellipsoid.
// An id outside 1 to 23 passed to any conversion means WGS-84.
extern QUILLON_API const SEllipsoid Ellipsoids[QUILLON_ELLIPSOID_COUNT];

// Converts into the standard UTM zone and latitude band of the position.
QUILLON_API int GPS_LLtoUTM(SLatLong ll, SUTMCoord &utm, int ellipsoid);

// Converts into the zone and letter the caller set in utm (a neighbouring zone works too); the
// letter only chooses the hemisphere of the false northing. Refused beyond 30 degrees of
// longitude from the zone's central meridian, where the projection no longer serves.
QUILLON_API int GPS_LLtoUTMZone(SLatLong ll, SUTMCoord &utm, int ellipsoid);

// Converts back to latitude/longitude; the letter chooses the hemisphere of the false northing.
// Northings that run across the equator (a negative northing in the north, one above
// 10,000,000 in the south) give positions on the other side, as the projection continues there.
QUILLON_API int GPS_UTMtoLL(SUTMCoord utm, SLatLong &ll, int ellipsoid);

// As GPS_UTMtoLL. The fix flag asks for positions across the equator to be resolved from the
// northing, which this library always does; any value is accepted.
QUILLON_API int GPS_UTMtoLLEQFix(SUTMCoord utm, SLatLong &ll, int ellipsoid, int fix);

// Non-zero when the position lies where UTM is defined: latitude -80 to 84, longitude -180 to
// 180, both finite.
QUILLON_API int ValidLL(const SLatLong *ll);

// Formats a position with a %-token format (see GPS_FormatCoordinateString). Mode 2: both
// records are given. Mode 3: only ll is given; the UTM values are computed from it on the
// ellipsoid. Writes zero-terminated text of at most outSize - 1 characters; an empty text and 0
// when the mode is unknown, a needed record is missing or the conversion fails.
QUILLON_API int UpdateGPS(const char *format, int ellipsoid, int mode, const SLatLong *ll,
                          const SUTMCoord *utm, char *out, int outSize);
QUILLON_API int UpdateGPS(const char *format, int ellipsoid, int mode, const SLatLong *ll,
                          const SUTMCoord *utm, std::string &out);

// Formats a position. Literal text is copied; tokens between percent signs are replaced:
//   %latd% %latm% %lats.N%   degrees, minutes and seconds (N decimals) of the latitude's size
//   %latd.N%                 decimal degrees with N decimals
//   %latc% %latcF%           hemisphere letter (N, S) or word (North, South)
//   a '-' after the opening percent sign of a degrees token signs the value instead
//   %lon...%                 the same for the longitude (E, W, East, West)
//   %utme.N% %utmn.N%        easting and northing with N decimals
//   %utmz% %utml%            zone number and letter
// "%%" stands for one percent sign; unknown tokens are copied as they stand. A degrees, minutes
// or seconds token of a value that is not finite or too large to split into whole units of its
// seconds (beyond about 2.5e6 degrees at 9 decimals) renders as "?". Tokens of a record
// that is not given render as nothing. Numbers are written in the C locale. Writes at most
// outSize - 1 characters and a terminating zero.
QUILLON_API int GPS_FormatCoordinateString(char *out, const char *format, const SLatLong *ll,
                                           const SUTMCoord *utm, int outSize = 1000);
QUILLON_API std::string GPS_FormatCoordinateString(const char *format, const SLatLong *ll,
                                                   const SUTMCoord *utm);

// Signed ddmm.mmmm (dddmm.mmmm) to signed decimal degrees, in place. Refused (0) for values that
// are not finite or whose minutes are 60 or more.
QUILLON_API int GPS_ConvertArcToDecimal(SLatLong &ll);

// Signed decimal degrees to signed ddmm.mmmm, in place. Refused (0) for values not finite.
QUILLON_API int GPS_ConvertDecimalToArc(SLatLong &ll);
