// GPS display configuration text: the input is a stored configuration. It parses, formats back
// to a text that parses to the same fields, builds a format string, and positions format with
// it (the sample position and positions taken from the input's last bytes).

#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "KVD_Edit/GPSINFO/GPSConfigForm.h"
#include "Quillon/Quillon.h"
#include "fuzz/FuzzSupport.h"

#include <cstring>

namespace {

bool SameFields(const SGPSConfig &a, const SGPSConfig &b) {
    return a.ShowLatLong == b.ShowLatLong && a.LatLongMode == b.LatLongMode &&
           a.HemisphereStyle == b.HemisphereStyle && a.LatLongDecimals == b.LatLongDecimals &&
           a.ShowUTM == b.ShowUTM && a.Ellipsoid == b.Ellipsoid &&
           a.ShowUTMLetter == b.ShowUTMLetter && a.ShowUTMZone == b.ShowUTMZone &&
           a.UTMDecimals == b.UTMDecimals && a.Separator == b.Separator &&
           a.LatPrefix == b.LatPrefix && a.LongPrefix == b.LongPrefix &&
           a.EastingPrefix == b.EastingPrefix && a.NorthingPrefix == b.NorthingPrefix &&
           a.ZonePrefix == b.ZonePrefix;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    const std::string text(reinterpret_cast<const char *>(data), size);
    const SGPSConfig config = ParseGPSConfiguration(text);
    const std::string stored = FormatGPSConfiguration(config);
    kvdfuzz::Check(SameFields(ParseGPSConfiguration(stored), config),
                   "a formatted configuration parses to the same fields");
    kvdfuzz::Check(FormatGPSConfiguration(ParseGPSConfiguration(stored)) == stored,
                   "formatting a configuration twice gives the same text");

    int ellipsoid = 0;
    const ORQ::CStr format = BuildGPSFormatString(text, &ellipsoid);
    kvdfuzz::Check(ellipsoid >= 1 && ellipsoid <= 23, "the format's ellipsoid is in the table");

    CGPSConfigForm form;
    form.Load(text);
    (void)form.BuildConfiguration();
    (void)form.SampleText();

    SLatLong ll = form.SampleLatLong();
    if (size >= 16) {
        std::memcpy(&ll.latitude, data + size - 16, 8);
        std::memcpy(&ll.longitude, data + size - 8, 8);
    }
    std::string shown;
    UpdateGPS(format.c_str(), ellipsoid, 3, &ll, nullptr, shown);
    char small[16];
    SUTMCoord utm;
    utm.zone = 17;
    utm.letter = 'T';
    GPS_FormatCoordinateString(small, format.c_str(), &ll, &utm, int(sizeof small));
    kvdfuzz::Check(std::strlen(small) < sizeof small, "formatting stays inside its buffer");
    return 0;
}
