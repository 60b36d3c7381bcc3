#include "Quillon/Quillon.h"

#include <GeographicLib/Math.hpp>
#include <GeographicLib/TransverseMercator.hpp>

#include <array>
#include <cctype>
#include <cmath>
#include <memory>

// The ids and names of the ellipsoid table are what stored configurations refer to; keep them.
const SEllipsoid Ellipsoids[QUILLON_ELLIPSOID_COUNT] = {
    {-1, "Placeholder"},
    {1, "Airy"},
    {2, "Australian National"},
    {3, "Bessel 1841"},
    {4, "Bessel 1841 (Namibia)"},
    {5, "Clarke 1866"},
    {6, "Clarke 1880"},
    {7, "Everest"},
    {8, "Fischer 1960 (Mercury)"},
    {9, "Fischer 1968"},
    {10, "GRS 1967"},
    {11, "GRS 1980"},
    {12, "Helmert 1906"},
    {13, "Hough"},
    {14, "International"},
    {15, "Krassovsky"},
    {16, "Modified Airy"},
    {17, "Modified Everest"},
    {18, "Modified Fischer 1960"},
    {19, "South American 1969"},
    {20, "WGS 60"},
    {21, "WGS 66"},
    {22, "WGS-72"},
    {23, "WGS-84"},
};

namespace {

constexpr double kScale = 0.9996;
constexpr double kFalseEasting = 500000.0;
constexpr double kFalseNorthingSouth = 10000000.0;
// Beyond this the projection series loses its accuracy; a zone that far away is a mistake.
constexpr double kMaxLongitudeFromMeridian = 30.0;
// Farther than this from the central meridian or the equator is no position on the earth.
constexpr double kMaxFalseEastingOffset = 4000000.0;
constexpr double kMaxNorthingOffset = 10500000.0;

// Equatorial radius and squared eccentricity of each ellipsoid, in table order. WGS-84 and
// GRS 1980 carry their defining values; the others the values surveyors' tables give.
struct SEllipsoidShape {
    double a;
    double e2;
};
constexpr std::array<SEllipsoidShape, QUILLON_ELLIPSOID_COUNT> kShapes = {{
    {6378137.0, 0.00669437999014}, // placeholder: never used
    {6377563.0, 0.00667054},       {6378160.0, 0.006694542},      {6377397.0, 0.006674372},
    {6377484.0, 0.006674372},      {6378206.0, 0.006768658},      {6378249.0, 0.006803511},
    {6377276.0, 0.006637847},      {6378166.0, 0.006693422},      {6378150.0, 0.006693422},
    {6378160.0, 0.006694605},      {6378137.0, 0.00669438002290}, {6378200.0, 0.006693422},
    {6378270.0, 0.00672267},       {6378388.0, 0.00672267},       {6378245.0, 0.006693422},
    {6377340.0, 0.00667054},       {6377304.0, 0.006637847},      {6378155.0, 0.006693422},
    {6378160.0, 0.006694542},      {6378165.0, 0.006693422},      {6378145.0, 0.006694542},
    {6378135.0, 0.006694318},      {6378137.0, 0.00669437999014},
}};

int EllipsoidIndex(int id) {
    return (id >= QUILLON_FIRST_ELLIPSOID && id <= QUILLON_LAST_ELLIPSOID) ? id : QUILLON_WGS84;
}

// One projection per ellipsoid, built once (thread-safe static initialisation).
const GeographicLib::TransverseMercator &Projection(int ellipsoid) {
    static const auto projections = [] {
        std::array<std::unique_ptr<GeographicLib::TransverseMercator>, QUILLON_ELLIPSOID_COUNT> p;
        for (int i = QUILLON_FIRST_ELLIPSOID; i <= QUILLON_LAST_ELLIPSOID; ++i) {
            const double f = 1.0 - std::sqrt(1.0 - kShapes[i].e2);
            p[i] = std::make_unique<GeographicLib::TransverseMercator>(kShapes[i].a, f, kScale);
        }
        return p;
    }();
    return *projections[EllipsoidIndex(ellipsoid)];
}

double CentralMeridian(int zone) {
    return 6.0 * zone - 183.0;
}

// Latitude bands of 8 degrees from -80; X stretches to 84.
const char kBandLetters[] = "CDEFGHJKLMNPQRSTUVWX";

int BandLetter(double latitude) {
    int band = static_cast<int>(std::floor((latitude + 80.0) / 8.0));
    if (band < 0)
        band = 0;
    if (band > 19)
        band = 19;
    return kBandLetters[band];
}

// 1 north, 0 south, -1 not a band letter.
int Hemisphere(int letter) {
    const int c = std::toupper(letter & 0xFF);
    for (const char *p = kBandLetters; *p; ++p)
        if (*p == c)
            return c >= 'N' ? 1 : 0;
    return -1;
}

// The standard zone, with the exceptions of south-west Norway and Svalbard.
int StandardZone(double latitude, double longitude) {
    int zone = static_cast<int>(std::floor((longitude + 180.0) / 6.0)) + 1;
    if (zone > 60)
        zone = 60;
    if (latitude >= 56.0 && latitude < 64.0 && longitude >= 3.0 && longitude < 12.0)
        zone = 32;
    if (latitude >= 72.0) {
        if (longitude >= 0.0 && longitude < 9.0)
            zone = 31;
        else if (longitude >= 9.0 && longitude < 21.0)
            zone = 33;
        else if (longitude >= 21.0 && longitude < 33.0)
            zone = 35;
        else if (longitude >= 33.0 && longitude < 42.0)
            zone = 37;
    }
    return zone;
}

bool Forward(const SLatLong &ll, int zone, bool north, int ellipsoid, double &easting,
             double &northing) {
    if (!ValidLL(&ll) || zone < 1 || zone > 60)
        return false;
    const double lon0 = CentralMeridian(zone);
    if (std::fabs(GeographicLib::Math::AngDiff(lon0, ll.longitude)) > kMaxLongitudeFromMeridian)
        return false;
    try {
        double x = 0, y = 0;
        Projection(ellipsoid).Forward(lon0, ll.latitude, ll.longitude, x, y);
        x += kFalseEasting;
        if (!north)
            y += kFalseNorthingSouth;
        if (!std::isfinite(x) || !std::isfinite(y))
            return false;
        easting = x;
        northing = y;
        return true;
    } catch (...) {
        return false;
    }
}

bool Reverse(const SUTMCoord &utm, int ellipsoid, SLatLong &ll) {
    const int hemisphere = Hemisphere(utm.letter);
    if (hemisphere < 0 || utm.zone < 1 || utm.zone > 60)
        return false;
    const double x = utm.easting - kFalseEasting;
    const double y = utm.northing - (hemisphere ? 0.0 : kFalseNorthingSouth);
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > kMaxFalseEastingOffset ||
        std::fabs(y) > kMaxNorthingOffset)
        return false;
    try {
        double lat = 0, lon = 0;
        Projection(ellipsoid).Reverse(CentralMeridian(utm.zone), x, y, lat, lon);
        if (!std::isfinite(lat) || !std::isfinite(lon))
            return false;
        ll.latitude = lat;
        ll.longitude = lon;
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

int ValidLL(const SLatLong *ll) {
    if (!ll)
        return 0;
    return std::isfinite(ll->latitude) && std::isfinite(ll->longitude) && ll->latitude >= -80.0 &&
           ll->latitude <= 84.0 && ll->longitude >= -180.0 && ll->longitude <= 180.0;
}

int GPS_LLtoUTM(SLatLong ll, SUTMCoord &utm, int ellipsoid) {
    if (!ValidLL(&ll))
        return 0;
    const int zone = StandardZone(ll.latitude, ll.longitude);
    const int letter = BandLetter(ll.latitude);
    double easting = 0, northing = 0;
    if (!Forward(ll, zone, ll.latitude >= 0.0, ellipsoid, easting, northing))
        return 0;
    utm.easting = easting;
    utm.northing = northing;
    utm.zone = zone;
    utm.letter = letter;
    return 1;
}

int GPS_LLtoUTMZone(SLatLong ll, SUTMCoord &utm, int ellipsoid) {
    const int hemisphere = Hemisphere(utm.letter);
    if (hemisphere < 0)
        return 0;
    double easting = 0, northing = 0;
    if (!Forward(ll, utm.zone, hemisphere == 1, ellipsoid, easting, northing))
        return 0;
    utm.easting = easting;
    utm.northing = northing;
    return 1;
}

int GPS_UTMtoLL(SUTMCoord utm, SLatLong &ll, int ellipsoid) {
    return Reverse(utm, ellipsoid, ll) ? 1 : 0;
}

int GPS_UTMtoLLEQFix(SUTMCoord utm, SLatLong &ll, int ellipsoid, int /*fix*/) {
    return Reverse(utm, ellipsoid, ll) ? 1 : 0;
}

namespace {

// ddmm.mmmm of one signed value; false when the minutes are out of range.
bool ArcToDecimal(double arc, double &decimal) {
    if (!std::isfinite(arc))
        return false;
    const double size = std::fabs(arc);
    const double degrees = std::floor(size / 100.0);
    const double minutes = size - degrees * 100.0;
    if (minutes >= 60.0)
        return false;
    const double value = degrees + minutes / 60.0;
    decimal = arc < 0.0 ? -value : value;
    return true;
}

bool DecimalToArc(double decimal, double &arc) {
    if (!std::isfinite(decimal))
        return false;
    const double size = std::fabs(decimal);
    const double degrees = std::floor(size);
    const double value = degrees * 100.0 + (size - degrees) * 60.0;
    arc = decimal < 0.0 ? -value : value;
    return true;
}

} // namespace

int GPS_ConvertArcToDecimal(SLatLong &ll) {
    double lon = 0, lat = 0;
    if (!ArcToDecimal(ll.longitude, lon) || !ArcToDecimal(ll.latitude, lat))
        return 0;
    ll.longitude = lon;
    ll.latitude = lat;
    return 1;
}

int GPS_ConvertDecimalToArc(SLatLong &ll) {
    double lon = 0, lat = 0;
    if (!DecimalToArc(ll.longitude, lon) || !DecimalToArc(ll.latitude, lat))
        return 0;
    ll.longitude = lon;
    ll.latitude = lat;
    return 1;
}
