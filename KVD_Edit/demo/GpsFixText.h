#pragma once

// GPS files as a receiver beside a radar line leaves them: for each fix a "Trace #" line naming
// the trace it belongs to, then the "$GPGGA" sentence of the position.

#include <string>
#include <vector>

namespace kvdgen {

// Where a local grid lies in the world: local (x, y) in metres lies at (easting, northing) +
// R(rotation) (x, y), rotation in degrees counter-clockwise, in UTM zone 17 north (WGS84).
struct SGridPlacement {
    double easting = 630000;
    double northing = 4833000;
    double rotation = 30;
};

// The latitude and longitude (degrees, south and west negative) of a local point.
void PlacementLatLong(const SGridPlacement &placement, double x, double y, double &latitude,
                      double &longitude);

// The "$GPGGA" sentence of a fix at 12:00:second (second taken modulo 60), the position in
// degrees and minutes with its hemisphere letters.
std::string GgaSentence(int second, double latitude, double longitude);

// One fix of a GPS file: the 1-based trace, its distance along the line from the first trace
// (metres) and its position.
struct SGpsFix {
    int trace = 1;
    double position = 0;
    double latitude = 0;
    double longitude = 0;
};

// The text of a GPS file with these fixes (CRLF line ends): each "Trace #<n> at position <m>",
// the metres with six decimals as the editor's own GPS files write them, then its sentence.
std::string GpsFileText(const std::vector<SGpsFix> &fixes);

} // namespace kvdgen
