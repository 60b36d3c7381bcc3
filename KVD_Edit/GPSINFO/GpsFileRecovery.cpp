#include "KVD_Edit/GPSINFO/GpsFileRecovery.h"

#include "KVD_Edit/GPSINFO/Array3D.h"
#include "KVD_Edit/GPSINFO/TraceHeaderFields.h"
#include "Quillon/Quillon.h"
#include "Tamsel/LinePair.h"
#include "Tamsel/LinePath.h"
#include "orq_utils/FileReplacement.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/Str.h"

#include <sys/stat.h>

#include <cerrno>
#include <cfloat>
#include <cmath>

namespace TH = TraceHeaderField;

const char *DataKindExtension(int kind) {
    return kind == DFK_GPS ? "GPS" : "CTP";
}

const char *DataKindFileTypeUid(int kind) {
    return kind == DFK_GPS ? "GPS@@@" : "TOPO@@";
}

namespace {

// The path up to its last "." (the whole path when it has none in its file name).
std::string WithoutExtension(const std::string &path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path;
    return path.substr(0, dot);
}

// An elevation as the files state it: one without a value (never set, or not a number) is 0.
double ElevationValue(double value) {
    return std::isfinite(value) && value != DBL_MAX && value != -DBL_MAX ? value : 0.0;
}

// The "Trace #" line and the "$GPGGA" sentence of one trace's fix; false when its position
// does not convert (a header holding rubbish).
bool AppendGpsFix(ORQ::CStr &text, int trace, double stepMetres, const void *th) {
    SLatLong ll;
    ll.longitude = TH::Get<double>(th, TH::kLongitude);
    ll.latitude = TH::Get<double>(th, TH::kLatitude);
    if (ll.longitude == 0 && ll.latitude == 0)
        return false;
    const char *north = ll.latitude > 0 ? "N" : "S";
    const char *east = ll.longitude > 0 ? "E" : "W";
    if (!ValidLL(&ll) || !GPS_ConvertDecimalToArc(ll))
        return false;
    const double elevation = ElevationValue(TH::Get<double>(th, TH::kElevation));
    text.AppendFormat("Trace #%d at position %.6f\r\n", trace + 1, trace * stepMetres);
    text.AppendFormat("$GPGGA,000000.000,%.*f,%s,", 12, std::fabs(ll.latitude), north);
    text.AppendFormat("%5.*f,%s,7,", 12, std::fabs(ll.longitude), east);
    text.AppendFormat("0,0,%.2f,M,0,M,0,0\r\n", elevation);
    return true;
}

// The topography value of one trace, in metres.
void AppendTopography(ORQ::CStr &text, int trace, const void *th, ORQ::EUnitType unit) {
    double value = ElevationValue(TH::Get<float>(th, TH::kTopography));
    if (unit != ORQ::UNIT_M && ORQ::CMeasure::IsDistanceUnit(unit))
        value = ORQ::CMeasure::ConvertTo(value, unit, ORQ::UNIT_M);
    text.AppendFormat("%d,%.2f\r\n", trace + 1, value);
}

std::string RecoveredText(CArray3D &block, int traces, double stepMetres, int kind,
                          ORQ::EUnitType unit) {
    ORQ::CStr text;
    for (int i = 0; i < traces; ++i) {
        if (!block.Seek(-64, i, 0))
            continue;
        const void *th = block.Element();
        if (TH::Get<int32_t>(th, TH::kFlags) & TH::kInterpolated)
            continue;
        if (kind == DFK_GPS)
            AppendGpsFix(text, i, stepMetres, th);
        else
            AppendTopography(text, i, th, unit);
    }
    return text;
}

// Creates path with bytes only when no file of that name exists: written beside it first and
// put in place without replacing, so neither an existing file is touched nor a file cut short
// is ever seen under the name (the next start would take it for a whole recovery file).
bool CreateExclusively(const std::string &path, const std::string &bytes) {
    return ORQ::CreateFileContent(path, bytes);
}

bool Exists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

int WriteGpsFileFromTraces(const std::string &hdPath, int traces, int samples, double stepMetres,
                           int kind, ORQ::EUnitType headerUnit, const ORQ::CLinePairCheck *pair) {
    const std::string base = WithoutExtension(hdPath);
    const std::string dt1 = ORQ::ResolveLinePath(base + ".dt1");
    CArray3D block;
    const int read = block.ReadDt1(dt1.c_str(), traces, samples);
    if (pair && !pair->Whole())
        return RECOVERY_PAIR_CHANGED;
    if (read != 0) {
        ORQ::CStr message;
        message.Format("Unable to load data %s", dt1.c_str());
        ORQ::ShowMessage(message, ORQ::MB_OK);
        return RECOVERY_TRACES_UNREADABLE;
    }
    const std::string text = RecoveredText(block, traces, stepMetres, kind, headerUnit);
    block.Release();

    // A file of the name in another letter case is the same file to the project: it stays.
    const std::string target = ORQ::ResolveLinePath(base + "." + DataKindExtension(kind));
    if (Exists(target) || !CreateExclusively(target, text)) {
        ORQ::CStr message;
        message.Format("Unable to Create File %s", target.c_str());
        ORQ::ShowMessage(message, ORQ::MB_OK);
        return RECOVERY_NOT_CREATED;
    }
    return RECOVERY_WRITTEN;
}
