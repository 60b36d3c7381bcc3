// Coordinate text from a %-token format (see GPS_FormatCoordinateString).

#include "Quillon/Quillon.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr int kMaxDecimals = QUILLON_MAX_DECIMALS;
// Seconds are counted in whole units of 10^-N seconds; beyond 9 decimals that overflows.
constexpr int kMaxSecondDecimals = QUILLON_MAX_SECOND_DECIMALS;
// The most units of 10^-N seconds a split counts (2^62, well inside long long).
constexpr double kMaxSecondUnits = 4611686018427387904.0;

// Fixed-point text in the C locale, whatever locale the process runs in.
std::string Fixed(double value, int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    char buffer[400];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return std::string();
    return std::string(buffer, result.ptr);
}

// What a degrees, minutes or seconds token shows for a value it cannot split.
const char kUnsplittable[] = "?";

bool IsZeroText(const std::string &text) {
    return text.find_first_not_of("0.") == std::string::npos;
}

// Decimals of the seconds token of a coordinate ("lats." or "lons."), or -1 when the format
// shows no seconds of it.
int SecondDecimals(const std::string &format, const char *secondsToken) {
    const size_t at = format.find(secondsToken);
    if (at == std::string::npos)
        return -1;
    return std::clamp(std::atoi(format.c_str() + at + std::strlen(secondsToken)), 0,
                      kMaxSecondDecimals);
}

// Degrees, minutes and seconds of a coordinate's size, the seconds rounded to the decimals the
// format shows (so that 59.9999999" becomes a whole minute more) or truncated when it shows none.
struct SDms {
    long long degrees = 0;
    long long minutes = 0;
    long long secondUnits = 0; // seconds in units of 10^-decimals
    long long unitsPerSecond = 1;
    bool zero = true;
    bool valid = false; // false for a value that is not finite or too large to split
};

SDms SplitDms(double value, int secondDecimals) {
    SDms dms;
    const double size = std::fabs(value);
    const int decimals = std::max(secondDecimals, 0);
    for (int i = 0; i < decimals; ++i)
        dms.unitsPerSecond *= 10;
    const double scaled = size * 3600.0 * static_cast<double>(dms.unitsPerSecond);
    if (!(scaled < kMaxSecondUnits))
        return dms;
    dms.valid = true;
    const long long units =
        static_cast<long long>(secondDecimals >= 0 ? std::llround(scaled) : std::floor(scaled));
    const long long perMinute = 60 * dms.unitsPerSecond;
    const long long perDegree = 60 * perMinute;
    dms.degrees = units / perDegree;
    dms.minutes = (units % perDegree) / perMinute;
    dms.secondUnits = units % perMinute;
    dms.zero = units == 0;
    return dms;
}

std::string SecondsText(const SDms &dms, int decimals) {
    std::string text = std::to_string(dms.secondUnits / dms.unitsPerSecond);
    if (decimals > 0) {
        std::string fraction = std::to_string(dms.secondUnits % dms.unitsPerSecond);
        text += '.';
        text += std::string(static_cast<size_t>(decimals) - fraction.size(), '0') + fraction;
    }
    return text;
}

// Reads ".N" at pos; returns the number (0 when absent) and moves pos past it.
int ReadDecimals(const std::string &token, size_t &pos, bool &present) {
    present = false;
    if (pos >= token.size() || token[pos] != '.')
        return 0;
    size_t end = pos + 1;
    int value = 0;
    while (end < token.size() && std::isdigit(static_cast<unsigned char>(token[end])) &&
           end - pos <= 3)
        value = value * 10 + (token[end++] - '0');
    if (end == pos + 1)
        return 0;
    present = true;
    pos = end;
    return value;
}

class CFormatter {
public:
    CFormatter(const std::string &format, const SLatLong *ll, const SUTMCoord *utm)
        : m_ll(ll), m_utm(utm), m_latSeconds(SecondDecimals(format, "lats.")),
          m_lonSeconds(SecondDecimals(format, "lons.")) {}

    // The text of one token (without its percent signs); false when the token is unknown.
    bool Render(const std::string &token, std::string &out) const {
        size_t pos = 0;
        const bool sign = !token.empty() && token[0] == '-';
        if (sign)
            pos = 1;
        const std::string family = token.substr(pos, 3);
        pos += 3;
        if (pos >= token.size())
            return false;
        const char kind = token[pos++];
        bool hasDecimals = false;
        const int decimals = ReadDecimals(token, pos, hasDecimals);
        const bool word = pos < token.size() && token[pos] == 'F';
        if (word)
            ++pos;
        if (pos != token.size())
            return false;

        if (family == "lat" || family == "lon") {
            const bool lat = family == "lat";
            if (kind == 'c' && !hasDecimals && !sign)
                return Hemisphere(lat, word, out);
            if (word)
                return false;
            if (kind == 'd')
                return Degrees(lat, sign, hasDecimals, decimals, out);
            if (sign)
                return false;
            if (kind == 'm' && !hasDecimals)
                return Minutes(lat, out);
            if (kind == 's')
                return Seconds(lat, out);
            return false;
        }
        if (family == "utm" && !sign && !word) {
            if (!m_utm)
                return true;
            switch (kind) {
            case 'e':
                out += Fixed(m_utm->easting, decimals);
                return true;
            case 'n':
                out += Fixed(m_utm->northing, decimals);
                return true;
            case 'z':
                if (hasDecimals)
                    return false;
                out += std::to_string(m_utm->zone);
                return true;
            case 'l':
                if (hasDecimals)
                    return false;
                if (m_utm->letter & 0xFF)
                    out += static_cast<char>(m_utm->letter & 0xFF);
                return true;
            default:
                return false;
            }
        }
        return false;
    }

private:
    double Value(bool lat) const { return lat ? m_ll->latitude : m_ll->longitude; }
    SDms Dms(bool lat) const { return SplitDms(Value(lat), lat ? m_latSeconds : m_lonSeconds); }

    bool Hemisphere(bool lat, bool word, std::string &out) const {
        if (!m_ll)
            return true;
        const bool positive = Value(lat) >= 0.0;
        if (lat)
            out += word ? (positive ? "North" : "South") : (positive ? "N" : "S");
        else
            out += word ? (positive ? "East" : "West") : (positive ? "E" : "W");
        return true;
    }

    bool Degrees(bool lat, bool sign, bool decimal, int decimals, std::string &out) const {
        if (!m_ll)
            return true;
        const double value = Value(lat);
        if (decimal) {
            const std::string text = Fixed(std::fabs(value), decimals);
            if (sign && value < 0.0 && !IsZeroText(text))
                out += '-';
            out += text;
            return true;
        }
        const SDms dms = Dms(lat);
        if (!dms.valid) {
            out += kUnsplittable;
            return true;
        }
        if (sign && value < 0.0 && !dms.zero)
            out += '-';
        out += std::to_string(dms.degrees);
        return true;
    }

    bool Minutes(bool lat, std::string &out) const {
        if (m_ll) {
            const SDms dms = Dms(lat);
            out += dms.valid ? std::to_string(dms.minutes) : kUnsplittable;
        }
        return true;
    }

    bool Seconds(bool lat, std::string &out) const {
        if (m_ll) {
            const SDms dms = Dms(lat);
            out += dms.valid ? SecondsText(dms, lat ? m_latSeconds : m_lonSeconds) : kUnsplittable;
        }
        return true;
    }

    const SLatLong *m_ll;
    const SUTMCoord *m_utm;
    int m_latSeconds;
    int m_lonSeconds;
};

std::string Format(const char *format, const SLatLong *ll, const SUTMCoord *utm) {
    if (!format)
        return std::string();
    const std::string text(format);
    const CFormatter formatter(text, ll, utm);
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('%', pos);
        if (open == std::string::npos) {
            out.append(text, pos, std::string::npos);
            break;
        }
        out.append(text, pos, open - pos);
        const size_t close = text.find('%', open + 1);
        if (close == std::string::npos) {
            out.append(text, open, std::string::npos);
            break;
        }
        const std::string token = text.substr(open + 1, close - open - 1);
        if (token.empty())
            out += '%';
        else if (!formatter.Render(token, out))
            out.append(text, open, close - open + 1);
        pos = close + 1;
    }
    return out;
}

void CopyOut(const std::string &text, char *out, int outSize) {
    if (!out || outSize <= 0)
        return;
    const size_t n = std::min(text.size(), static_cast<size_t>(outSize - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

std::string GPS_FormatCoordinateString(const char *format, const SLatLong *ll,
                                       const SUTMCoord *utm) {
    try {
        return Format(format, ll, utm);
    } catch (...) {
        return std::string();
    }
}

int GPS_FormatCoordinateString(char *out, const char *format, const SLatLong *ll,
                               const SUTMCoord *utm, int outSize) {
    if (!out || outSize <= 0)
        return 0;
    CopyOut(GPS_FormatCoordinateString(format, ll, utm), out, outSize);
    return 1;
}

int UpdateGPS(const char *format, int ellipsoid, int mode, const SLatLong *ll, const SUTMCoord *utm,
              std::string &out) {
    out.clear();
    if (!ll)
        return 0;
    SUTMCoord computed;
    if (mode == 3) {
        if (!GPS_LLtoUTM(*ll, computed, ellipsoid))
            return 0;
        utm = &computed;
    } else if (mode != 2 || !utm) {
        return 0;
    }
    out = GPS_FormatCoordinateString(format, ll, utm);
    return 1;
}

int UpdateGPS(const char *format, int ellipsoid, int mode, const SLatLong *ll, const SUTMCoord *utm,
              char *out, int outSize) {
    if (!out || outSize <= 0)
        return 0;
    std::string text;
    const int result = UpdateGPS(format, ellipsoid, mode, ll, utm, text);
    CopyOut(text, out, outSize);
    return result;
}
