#include "KVD_Edit/GPSINFO/LocalWorldDef.h"

#include <cctype>
#include <cstdlib>

bool SLocalWorldDef::SRefPoint::operator==(const SRefPoint &other) const {
    return LocalX == other.LocalX && LocalY == other.LocalY &&
           NorthingOrLatitude == other.NorthingOrLatitude &&
           EastingOrLongitude == other.EastingOrLongitude && Zone == other.Zone &&
           ZoneLetter == other.ZoneLetter;
}

bool SLocalWorldDef::operator==(const SLocalWorldDef &other) const {
    return EnableGPS == other.EnableGPS && TwoPointDefinition == other.TwoPointDefinition &&
           LastGPSView == other.LastGPSView && GlobalKind == other.GlobalKind &&
           ZoneA == other.ZoneA && Zone == other.Zone && ZoneLetterA == other.ZoneLetterA &&
           ZoneLetter == other.ZoneLetter && FitGrid == other.FitGrid &&
           RefPoint[0] == other.RefPoint[0] && RefPoint[1] == other.RefPoint[1] &&
           RatioCheckBox == other.RatioCheckBox && ShiftX == other.ShiftX &&
           ShiftY == other.ShiftY && Rotation == other.Rotation && Unit == other.Unit &&
           Ellipsoid == other.Ellipsoid;
}

static bool IsZoneLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

std::string FormatZoneText(int32_t zone, char letter) {
    std::string text = std::to_string(zone);
    if (IsZoneLetter(letter))
        text += letter;
    return text;
}

void ParseZoneText(const std::string &text, int32_t &zone, char &letter) {
    zone = static_cast<int32_t>(std::atoi(text.c_str()));
    // The number's own text, as atoi takes it: blanks, a sign, then digits.
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    letter = (i < text.size() && IsZoneLetter(text[i])) ? text[i] : 'T';
}
