#include "KVD_Edit/GPSINFO/GPSConfig.h"

#include "Quillon/Quillon.h"

#include <algorithm>
#include <cctype>
#include <climits>

const char *const DEFAULT_GPS_CONFIGURATION =
    "1,1,2,5,1,23,1,1,2,\", \",\"Lat: \",\"Long: \",\"E: \",\"N: \",\"Z: \"";

namespace {

// One integer as "%i" reads it: leading white space, a sign, then 0x hexadecimal, leading-0
// octal or decimal digits. False when there is no digit or the value leaves the int range.
bool ReadInt(const std::string &text, size_t &pos, int &value) {
    size_t p = pos;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p])))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    int base = 10;
    if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X') &&
        p + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[p + 2]))) {
        base = 16;
        p += 2;
    } else if (p < text.size() && text[p] == '0') {
        base = 8;
    }
    long long result = 0;
    const size_t first = p;
    for (; p < text.size(); ++p) {
        const int c = std::tolower(static_cast<unsigned char>(text[p]));
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            break;
        if (digit >= base)
            break;
        result = result * base + digit;
        if (result > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (p == first)
        return false;
    if (negative)
        result = -result;
    if (result > INT_MAX || result < INT_MIN)
        return false;
    value = static_cast<int>(result);
    pos = p;
    return true;
}

bool Expect(const std::string &text, size_t &pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

std::string WithoutQuotes(const std::string &text) {
    std::string out;
    for (char c : text)
        if (c != '"')
            out += c;
    return out;
}

} // namespace

namespace {

// Keeps the decimals within what the coordinate formatter shows: a stored configuration may say
// anything, and decimal degrees take two more than the seconds.
void ClampDecimals(SGPSConfig &config) {
    config.LatLongDecimals = std::clamp(config.LatLongDecimals, 0, int(QUILLON_MAX_DECIMALS) - 2);
    config.UTMDecimals = std::clamp(config.UTMDecimals, 0, int(QUILLON_MAX_DECIMALS));
}

SGPSConfig ReadConfiguration(const std::string &configuration) {
    SGPSConfig config;
    int *const ints[] = {&config.ShowLatLong,     &config.LatLongMode, &config.HemisphereStyle,
                         &config.LatLongDecimals, &config.ShowUTM,     &config.Ellipsoid,
                         &config.ShowUTMLetter,   &config.ShowUTMZone, &config.UTMDecimals};
    std::string *const texts[] = {&config.Separator,      &config.LatPrefix,
                                  &config.LongPrefix,     &config.EastingPrefix,
                                  &config.NorthingPrefix, &config.ZonePrefix};
    size_t pos = 0;
    for (size_t i = 0; i < std::size(ints); ++i) {
        if (i > 0 && !Expect(configuration, pos, ','))
            return config;
        if (!ReadInt(configuration, pos, *ints[i]))
            return config;
    }
    for (std::string *text : texts) {
        if (!Expect(configuration, pos, ',') || !Expect(configuration, pos, '"'))
            return config;
        const size_t close = configuration.find('"', pos);
        if (close == std::string::npos) {
            *text = configuration.substr(pos);
            return config;
        }
        *text = configuration.substr(pos, close - pos);
        pos = close + 1;
    }
    return config;
}

} // namespace

SGPSConfig ParseGPSConfiguration(const std::string &configuration) {
    SGPSConfig config = ReadConfiguration(configuration);
    ClampDecimals(config);
    return config;
}

std::string FormatGPSConfiguration(const SGPSConfig &c) {
    std::string out;
    for (int value : {c.ShowLatLong, c.LatLongMode, c.HemisphereStyle, c.LatLongDecimals, c.ShowUTM,
                      c.Ellipsoid, c.ShowUTMLetter, c.ShowUTMZone, c.UTMDecimals}) {
        out += std::to_string(value);
        out += ',';
    }
    bool first = true;
    for (const std::string *text : {&c.Separator, &c.LatPrefix, &c.LongPrefix, &c.EastingPrefix,
                                    &c.NorthingPrefix, &c.ZonePrefix}) {
        if (!first)
            out += ',';
        first = false;
        out += '"';
        out += WithoutQuotes(*text);
        out += '"';
    }
    return out;
}

int ValidGPSEllipsoid(int id) {
    return (id >= QUILLON_FIRST_ELLIPSOID && id <= QUILLON_LAST_ELLIPSOID) ? id : QUILLON_WGS84;
}

namespace {

// The hemisphere token of one coordinate for the style: " %latc%" or " %latcF%".
std::string HemisphereToken(const char *axis, int style) {
    if (style == 2)
        return std::string(" %") + axis + "c%";
    if (style == 3)
        return std::string(" %") + axis + "cF%";
    return std::string();
}

// Degrees, minutes and seconds of one coordinate; the degree sign is the code-page byte 0xB0.
std::string DmsTokens(const char *axis, const SGPSConfig &c) {
    std::string out = "%";
    if (c.HemisphereStyle == 1)
        out += '-';
    out += axis;
    out += "d%\xB0 %";
    out += axis;
    out += "m%' %";
    out += axis;
    out += "s." + std::to_string(c.LatLongDecimals) + "%\"";
    out += HemisphereToken(axis, c.HemisphereStyle);
    return out;
}

std::string DecimalTokens(const char *axis, const SGPSConfig &c) {
    std::string out = "%";
    if (c.HemisphereStyle == 1)
        out += '-';
    out += axis;
    out += "d." + std::to_string(c.LatLongDecimals + 2) + "%";
    out += HemisphereToken(axis, c.HemisphereStyle);
    return out;
}

} // namespace

ORQ::CStr BuildGPSFormatString(const std::string &configuration, int *ellipsoid) {
    const SGPSConfig c = ParseGPSConfiguration(configuration);
    if (ellipsoid)
        *ellipsoid = ValidGPSEllipsoid(c.Ellipsoid);
    std::string result;
    if (c.ShowLatLong != 0) {
        if (c.LatLongMode == 0)
            result = c.LatPrefix + DmsTokens("lat", c) + c.Separator + c.LongPrefix +
                     DmsTokens("lon", c);
        else if (c.LatLongMode == 1)
            result = c.LatPrefix + DecimalTokens("lat", c) + c.Separator + c.LongPrefix +
                     DecimalTokens("lon", c);
    }
    if (c.ShowUTM != 0) {
        if (!result.empty())
            result += c.Separator;
        const std::string decimals = std::to_string(c.UTMDecimals);
        result += c.EastingPrefix + "%utme." + decimals + "%" + c.Separator + c.NorthingPrefix +
                  "%utmn." + decimals + "%";
        if (c.ShowUTMLetter && c.ShowUTMZone)
            result += c.Separator + c.ZonePrefix + "%utmz%%utml%";
        else if (c.ShowUTMLetter)
            result += c.Separator + c.ZonePrefix + "%utml%";
        else if (c.ShowUTMZone)
            result += c.Separator + c.ZonePrefix + "%utmz%";
    }
    return result;
}
