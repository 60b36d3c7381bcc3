#include "KVD_Edit/demo/GpsFixText.h"

#include "Quillon/Quillon.h"

#include <cmath>
#include <cstdio>

namespace kvdgen {

void PlacementLatLong(const SGridPlacement &placement, double x, double y, double &latitude,
                      double &longitude) {
    const double a = placement.rotation * 3.14159265358979323846 / 180;
    SUTMCoord utm;
    utm.easting = placement.easting + x * std::cos(a) - y * std::sin(a);
    utm.northing = placement.northing + x * std::sin(a) + y * std::cos(a);
    utm.zone = 17;
    utm.letter = 'T';
    SLatLong ll;
    GPS_UTMtoLL(utm, ll, QUILLON_WGS84);
    latitude = ll.latitude;
    longitude = ll.longitude;
}

std::string GgaSentence(int second, double latitude, double longitude) {
    SLatLong arc;
    arc.latitude = latitude;
    arc.longitude = longitude;
    GPS_ConvertDecimalToArc(arc);
    char text[200];
    std::snprintf(text, sizeof text,
                  "$GPGGA,1200%02d.00,%.6f,%c,%.6f,%c,1,08,0.9,76.0,M,-34.0,M,,*47", second % 60,
                  std::fabs(arc.latitude), latitude < 0 ? 'S' : 'N', std::fabs(arc.longitude),
                  longitude < 0 ? 'W' : 'E');
    return text;
}

std::string GpsFileText(const std::vector<SGpsFix> &fixes) {
    std::string text;
    for (const SGpsFix &fix : fixes) {
        char head[80];
        std::snprintf(head, sizeof head, "Trace #%d at position %.6f\r\n", fix.trace, fix.position);
        text += head + GgaSentence(fix.trace, fix.latitude, fix.longitude) + "\r\n";
    }
    return text;
}

} // namespace kvdgen
