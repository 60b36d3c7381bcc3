#include "KVD_Edit/GPSINFO/GPSDataSample.h"

#include "KVD_Edit/GPSINFO/Array3D.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/TraceHeaderFields.h"
#include "KVD_Edit/transform/Math2D.h"
#include "Quillon/Quillon.h"
#include "Tamsel/DT1File.h"
#include "Tamsel/LinePair.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/CLocale.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/Measure.h"
#include "orq_utils/Pieces.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

namespace TH = TraceHeaderField;

static_assert(offsetof(DT1TraceHeader, m_topo) == TH::kTopography &&
                  offsetof(DT1TraceHeader, m_x) == TH::kLongitude &&
                  offsetof(DT1TraceHeader, m_y) == TH::kLatitude &&
                  offsetof(DT1TraceHeader, m_z) == TH::kElevation &&
                  offsetof(DT1TraceHeader, m_flags) == TH::kFlags,
              "the trace header fields are those of the radar line library");

// The lines of a text file, without their line ends (files from Windows end lines with CR LF).
// The name is found without regard to letter case. false when the file does not open.
bool ReadTextLines(const char *path, std::vector<std::string> &lines) {
    lines.clear();
    if (!path || !*path)
        return false;
    std::ifstream in(ORQ::ResolveLinePath(path), std::ios::binary);
    if (!in.is_open())
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return !in.bad();
}

bool StartsWith(const std::string &text, const char *prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool IsBlank(const std::string &text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// Position fields of a point source, leaving its topography alone.
void CopyPosition(CGPSInfo::SPointSource &to, const CGPSInfo::SPointSource &from) {
    to.easting = from.easting;
    to.northing = from.northing;
    to.gpsElevation = from.gpsElevation;
    to.kind = from.kind;
    to.zone = from.zone;
    to.letter = from.letter;
}

} // namespace

int CGPSDataSample::AddLine(CGPSInfo *gps, int set, int /*orientation*/, int line, double /*step*/,
                            int traces, const char *name) {
    if (!gps)
        return -1;
    // Only a line that gets positions stores its points: most lines of a project have none.
    CGPSInfo::SLineRecord *record = gps->RegisterLine(set, line, traces);
    record->name = name ? name : "";
    return -1;
}

namespace {

// The UTM position of a fix; false when it does not convert (latitude 9999, minutes of 60),
// which is no position at all.
bool FixToPosition(CGPSInfo *gps, const SGGAFix &fix, int ellipsoid, CGPSInfo::SPointSource &here) {
    SLatLong ll;
    ll.longitude = fix.longitude;
    ll.latitude = fix.latitude;
    SUTMCoord utm;
    if (!GPS_ConvertArcToDecimal(ll) || !ValidLL(&ll) || !GPS_LLtoUTM(ll, utm, ellipsoid) ||
        !gps->FixZone(ll, &utm))
        return false;
    here.easting = utm.easting;
    here.northing = utm.northing;
    here.gpsElevation = fix.altitude;
    here.kind = CGPSInfo::KIND_FILLED;
    here.zone = utm.zone;
    here.letter = static_cast<char>(utm.letter);
    return true;
}

// The trace layer of the traces after fromTrace and before toTrace, on a straight line between
// the two fixes.
void FillTraceLayerBetween(CGPSInfo *gps, int set, int line, const CGPSInfo::SPointSource &from,
                           int fromTrace, const CGPSInfo::SPointSource &to, int toTrace) {
    const double x0 = fromTrace, x1 = toTrace;
    for (int k = fromTrace + 1; k < toTrace; ++k) {
        CGPSInfo::SGPSPoint *point = gps->GetPoint(set, line, k);
        if (!point)
            continue;
        const double x = k;
        CGPSInfo::SPointSource &s = point->source[CGPSInfo::SOURCE_TRACE];
        s.easting = LinearInterpolate(&x, &x0, &x1, &from.easting, &to.easting);
        s.northing = LinearInterpolate(&x, &x0, &x1, &from.northing, &to.northing);
        s.gpsElevation = LinearInterpolate(&x, &x0, &x1, &from.gpsElevation, &to.gpsElevation);
        s.zone = to.zone;
        s.letter = (from.letter == 'N' && s.northing > 0) ? 'N' : to.letter;
        s.kind = CGPSInfo::KIND_FILLED;
        point->trace = k;
    }
}

} // namespace

int CGPSDataSample::LoadGpsFile(CGPSInfo *gps, const char *path, int set, int line, int traces,
                                ORQ::CStr &errors, bool traceLayerOnly) {
    std::vector<std::string> text;
    if (!gps || !ReadTextLines(path, text)) {
        errors.AppendFormat("Unable to open File %s", path ? path : "");
        return -1;
    }
    gps->FindLine(set, line, traces);
    const int target = traceLayerOnly ? CGPSInfo::SOURCE_TRACE : CGPSInfo::SOURCE_RAW;
    const int ellipsoid = gps->GetEllipsoid();

    int current = 0, lastHandled = 0, fixes = 0;
    bool havePrevious = false, reported = false;
    CGPSInfo::SPointSource previous;
    previous.zone = 99;

    auto malformed = [&]() {
        if (!reported)
            errors += "The following errors occurred when attempting to load GPS data\n"
                      "(erroneous data ignored):\n";
        reported = true;
        errors.AppendFormat("\nMalformed GPS data for Trace %d in %s.", current, path);
    };

    for (const std::string &row : text) {
        if (StartsWith(row, "Trace #")) {
            // A trace number below 1 names no trace: sentences wait for the next "Trace #".
            const int n = ORQ::AtoiC(row.c_str() + 7);
            current = n >= 1 ? n : 0;
            continue;
        }
        if (!StartsWith(row, "$GPGGA") || current == 0)
            continue;
        if (std::count(row.begin(), row.end(), ',') != 14) {
            malformed();
            continue;
        }
        if (current > traces)
            break;
        SGGAFix fix;
        CGPSInfo::ParseGGA(row.c_str(), &fix);
        if (fix.latitude == 0 && fix.longitude == 0)
            continue;

        CGPSInfo::SPointSource here;
        if (!FixToPosition(gps, fix, ellipsoid, here)) {
            malformed();
            continue;
        }
        ++fixes;

        if (havePrevious && here.northing == previous.northing &&
            here.easting == previous.easting && here.zone == previous.zone &&
            here.letter == previous.letter && here.gpsElevation == previous.gpsElevation)
            continue; // the same fix again

        CGPSInfo::SLineRecord *record = gps->FindLine(set, line, -1);
        record->lastGpsTrace = current;
        if (CGPSInfo::SGPSPoint *point = gps->GetPoint(set, line, current)) {
            record->SetSentence(current, row + "\n");
            CopyPosition(point->source[target], here);
            CopyPosition(point->source[CGPSInfo::SOURCE_TRACE], here);
        }
        if (!havePrevious)
            previous = here; // traces before the first fix take its values

        FillTraceLayerBetween(gps, set, line, previous, lastHandled, here, current);
        lastHandled = current;
        previous = here;
        havePrevious = true;
        if (target == CGPSInfo::SOURCE_RAW)
            gps->SetHasGPSData(true);
    }

    if (havePrevious) // traces after the last fix keep its values
        for (int k = lastHandled + 1; k <= traces; ++k)
            if (CGPSInfo::SGPSPoint *point = gps->GetPoint(set, line, k)) {
                CopyPosition(point->source[CGPSInfo::SOURCE_TRACE], previous);
                point->trace = k;
            }
    gps->SetUpdateState(true);
    if (fixes < 2)
        errors.AppendFormat("\nToo few defined GPS points were found in the file %s", path);
    return fixes;
}

namespace {

// Reads the trace file of a line whose header the caller read before, with the header's
// counts, as one write left both files: while the header's file is still the one read and no
// write of the line comes during the read. When one came, the pair is read again once the
// writer is done, and serves while the header gives the same counts. False when the traces
// cannot be read so.
bool ReadTracesOfHeader(const ORQ::Tamsel &header, const std::string &dt1, CArray3D &data) {
    const ORQ::STamsel &h = *header.GetTamsel();
    const std::string hdPath = ORQ::ResolveLinePath(header.FilePathName());
    bool loaded = false;
    const ORQ::ELinePairRead pair = ORQ::ReadLinePair(
        hdPath, dt1, &header.FileState(), [&](const ORQ::CLinePairCheck &, int read) {
            if (read > 0) {
                ORQ::Tamsel again;
                if (again.Load(hdPath.c_str(), ORQ::ST_FILE) || !again.GetTamsel() ||
                    again.GetTamsel()->m_traces != h.m_traces ||
                    again.GetTamsel()->m_points != h.m_points)
                    return false;
            }
            loaded = data.ReadDt1(dt1.c_str(), h.m_traces, h.m_points) == 0;
            return true;
        });
    return pair == ORQ::PAIR_READ_WHOLE && loaded;
}

} // namespace

int CGPSDataSample::LoadLineGps(CGPSInfo *gps, const char *gpsPath, const ORQ::Tamsel *header,
                                int set, int line, int traces, ORQ::CStr *errors,
                                const std::string *traceFile, long long traceCapacity) {
    if (!gps)
        return -1;
    const ORQ::STamsel *h = header ? header->GetTamsel() : nullptr;
    std::string dt1;
    if (h) {
        if (traceFile) {
            dt1 = *traceFile;
        } else {
            dt1 = header->FilePathName();
            dt1 = ORQ::ResolveLinePath(dt1.substr(0, dt1.size() >= 2 ? dt1.size() - 2 : 0) + "dt1");
        }
        // One point per trace: a damaged header's claim must not decide what is allocated.
        const long long holds =
            traceFile ? traceCapacity : CDT1File::TraceCapacity(dt1.c_str(), h->m_points);
        const int claimed = std::max(traces, h->m_traces);
        if (holds >= 0 && claimed > holds) {
            if (errors)
                errors->AppendFormat("\n%s claims %d traces, its trace file holds %lld",
                                     header->FilePathName().c_str(), claimed, holds);
            return -1;
        }
    }
    if (h && h->m_gpsType == GPS_LATLONG) {
        CArray3D data;
        if (!ReadTracesOfHeader(*header, dt1, data)) {
            if (errors)
                errors->AppendFormat("\nUnable to load data %s", dt1.c_str());
            return -1;
        }
        gps->FindLine(set, line, traces);
        const int ellipsoid = gps->GetEllipsoid();
        for (int i = 0; i < h->m_traces; ++i) {
            if (!data.Seek(-64, i, 0))
                continue;
            const void *th = data.Element();
            SLatLong ll;
            ll.longitude = TH::Get<double>(th, TH::kLongitude);
            ll.latitude = TH::Get<double>(th, TH::kLatitude);
            if (ll.longitude == 0 && ll.latitude == 0)
                continue;
            CGPSInfo::SGPSPoint *point = gps->GetPoint(set, line, i + 1);
            if (!point)
                continue;
            SUTMCoord utm;
            if (!ValidLL(&ll) || !GPS_LLtoUTM(ll, utm, ellipsoid) || !gps->FixZone(ll, &utm))
                continue;
            CGPSInfo::SPointSource &s = point->source[CGPSInfo::SOURCE_TRACE];
            s.easting = utm.easting;
            s.northing = utm.northing;
            s.gpsElevation = TH::Get<double>(th, TH::kElevation);
            s.kind = CGPSInfo::KIND_FILLED;
            s.zone = utm.zone;
            s.letter = static_cast<char>(utm.letter);
        }
        gps->SetUpdateState(true);
        return 0;
    }
    if (gpsPath && *gpsPath) {
        ORQ::CStr found;
        LoadGpsFile(gps, gpsPath, set, line, traces, found, true);
        if (errors)
            *errors += found;
        return 0;
    }
    // Points never written hold no raw fix to copy: a line without GPS stays without points.
    CGPSInfo::SLineRecord *record = gps->RegisterLine(set, line, traces);
    const size_t used = std::min(record->points.size(), size_t(std::max(record->pointCount, 0)));
    for (size_t i = 0; i < used; ++i) {
        CGPSInfo::SGPSPoint &p = record->points[i];
        if (p.source[CGPSInfo::SOURCE_RAW].kind == CGPSInfo::KIND_FILLED)
            CopyPosition(p.source[CGPSInfo::SOURCE_TRACE], p.source[CGPSInfo::SOURCE_RAW]);
    }
    return 0;
}

int CGPSDataSample::LoadTopoFile(CGPSInfo *gps, const char *path, int set, int line, int traces,
                                 bool traceLayerOnly) {
    std::vector<std::string> text;
    if (!gps || !ReadTextLines(path, text))
        return -1;
    CGPSInfo::SLineRecord *record = gps->FindLine(set, line, traces);
    for (auto &p : record->points)
        p.source[CGPSInfo::SOURCE_TRACE].topography = p.source[CGPSInfo::SOURCE_RAW].topography =
            DBL_MAX;
    const int target = traceLayerOnly ? CGPSInfo::SOURCE_TRACE : CGPSInfo::SOURCE_RAW;

    auto setTopo = [&](int trace, int source, double value) {
        if (CGPSInfo::SGPSPoint *p = gps->GetPoint(set, line, trace))
            p->source[source].topography = value;
    };

    size_t at = 0;
    // The header: "# " lines at the start of the file, the last of them "# POSITION".
    while (at < text.size() && StartsWith(text[at], "# ")) {
        const bool last = StartsWith(text[at], "# POSITION");
        ++at;
        if (last)
            break;
    }

    int previous = 1, lastGiven = 0;
    double lastValue = 0;
    for (; at < text.size(); ++at) {
        const std::string &row = text[at];
        if (IsBlank(row))
            continue;
        const int trace = ORQ::AtoiC(row.c_str());
        if (trace < 1 || trace < previous)
            return -3;
        if (std::count(row.begin(), row.end(), ',') != 1)
            return -2;
        if (trace > traces)
            break;
        const double value = ORQ::AtofC(row.c_str() + row.find(',') + 1);
        setTopo(trace, target, value);

        // The trace layer: the first value back to trace 1, a straight line from the value
        // before.
        const double x0 = lastGiven ? lastGiven : 0, x1 = trace;
        const double y0 = lastGiven ? lastValue : value;
        for (int k = lastGiven + 1; k <= trace; ++k) {
            const double x = k;
            setTopo(k, CGPSInfo::SOURCE_TRACE, LinearInterpolate(&x, &x0, &x1, &y0, &value));
        }
        setTopo(trace, CGPSInfo::SOURCE_TRACE, value);
        previous = trace;
        lastGiven = trace;
        lastValue = value;
        gps->SetHasTopoData(true);
    }
    if (lastGiven)
        for (int k = lastGiven + 1; k <= traces; ++k)
            setTopo(k, CGPSInfo::SOURCE_TRACE, lastValue);
    gps->SetUpdateState(true);
    return 0;
}

namespace {

// One trace's values as the write-back stores them.
struct SWriteValues {
    double easting = 0;
    double northing = 0;
    int zone = 0;
    char letter = 0;
    double gpsElevationMetres = 0;
    double gpsElevation = 0; // in the header's position unit
    double topography = 0;   // in the header's position unit
};

// The float field's nearest value; out-of-range input is clamped rather than overflowing.
float ToFloat(double value) {
    if (std::isnan(value))
        return 0.0f;
    return static_cast<float>(std::clamp(value, double(-FLT_MAX), double(FLT_MAX)));
}

// Writes both files of a line as one group (group, which holds the line): each goes to a
// temporary file beside it, and only when both are complete does an intent record make them
// the line's files; whoever next reads the line finds either both old files or both new ones,
// even after a kill or a power loss between the two renames. The trace file goes out a block
// at a time, progress called after each.
ORQ::CStr ReplaceLineFiles(ORQ::CFileGroupReplacement &group, ORQ::Tamsel &header,
                           const std::string &hdPath, const std::string &dt1Path,
                           const CArray3D &block, const std::function<void()> &progress) {
    ORQ::CStr error;
    ORQ::CFileReplacement &dt1 = group.Add(dt1Path);
    ORQ::CFileReplacement &hd = group.Add(header.FilePathName());
    auto writePiece = [&](int64_t at, int64_t length) {
        return dt1.Write(block.Data() + at, size_t(length)) ? length : int64_t(-1);
    };
    const bool written = dt1.Open() && ORQ::InPieces(block.SizeBytes(), CArray3D::kProgressBytes,
                                                     writePiece, progress) >= 0;
    if (!written || !dt1.Finish()) {
        error.Format("Error saving to File %s.\n", dt1Path.c_str());
        return error;
    }
    if (progress)
        progress();
    const std::string hdText = header.GetText();
    if (!hd.Open() || !hd.Write(hdText.data(), hdText.size()) || !hd.Finish()) {
        error.Format("Error saving to File %s.\n", hdPath.c_str());
        return error;
    }
    if (!group.Commit())
        error.Format("Error saving to File %s.\n%s\n", hdPath.c_str(), group.Why().c_str());
    return error;
}

} // namespace

namespace {

// Writes positions, GPS elevations or topography into the trace headers of one line's block.
class CTraceHeaderWriter {
public:
    CTraceHeaderWriter(CArray3D &block, int traces, ORQ::EUnitType unit, int ellipsoid,
                       bool gpsMode, bool gpsElevation, const std::function<void()> &progress)
        : m_block(block), m_traces(traces), m_unit(unit), m_ellipsoid(ellipsoid),
          m_gpsMode(gpsMode), m_gpsElevation(gpsElevation), m_progress(progress) {}

    // Removal touches only the fields of its own kind: positions and their GPS elevation, or
    // the topography value that merging topography wrote. True when a header was written.
    bool Clear() {
        bool written = false;
        for (int t = 0; t < m_traces; ++t) {
            void *th = HeaderOf(t);
            if (!th)
                continue;
            if (m_gpsMode) {
                TH::Put<double>(th, TH::kLongitude, 0.0);
                TH::Put<double>(th, TH::kLatitude, 0.0);
                TH::Put<double>(th, TH::kElevation, 0.0);
            } else {
                TH::Put<float>(th, TH::kTopography, 0.0f);
            }
            written = true;
        }
        return written;
    }

    // Writes the line's used points into their traces; the traces between two used ones lie on
    // a straight line between them, those before the first take its values and those after the
    // last keep its values. True when a header was written.
    bool Merge(CGPSInfo *gps, int set, int line) {
        bool haveUsed = false;
        int previousTrace = -1;
        SWriteValues previous;
        for (int t = 0; t < m_traces; ++t) {
            void *th = HeaderOf(t);
            if (!th)
                continue;
            SWriteValues v;
            if (!UsedValues(gps->FindPointByTrace(set, line, t + 1, CGPSInfo::SOURCE_RAW), v) ||
                !Store(th, v, false, true))
                continue;
            if (!m_gpsMode)
                AddToRange(m_gpsElevation ? v.gpsElevation : v.topography);
            FillBetween(haveUsed ? previous : v, haveUsed ? previousTrace : -1, v, t);
            haveUsed = true;
            previous = v;
            previousTrace = t;
        }
        if (haveUsed)
            for (int k = previousTrace + 1; k < m_traces; ++k)
                if (void *kh = HeaderOf(k))
                    Store(kh, previous, false, false);
        return haveUsed;
    }

    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }

private:
    // The header of trace t (0-based); every trace a pass visits comes here, so the progress
    // callback is called from here after each kTracesPerProgress of them.
    void *HeaderOf(int t) {
        if (++m_visited % kTracesPerProgress == 0 && m_progress)
            m_progress();
        return m_block.Seek(-64, t, 0) ? m_block.Element() : nullptr;
    }

    // The values of a point that this kind of merge uses, in the header's unit.
    bool UsedValues(const CGPSInfo::SPointSource *p, SWriteValues &v) const {
        if (!p)
            return false;
        const bool hasPosition = p->kind == CGPSInfo::KIND_FILLED;
        const bool used = (m_gpsMode || m_gpsElevation) ? hasPosition : p->topography != DBL_MAX;
        if (!used)
            return false;
        v.easting = p->easting;
        v.northing = p->northing;
        v.zone = p->zone;
        v.letter = p->letter;
        v.gpsElevationMetres = p->gpsElevation;
        v.gpsElevation = ORQ::CMeasure::ConvertTo(p->gpsElevation, ORQ::UNIT_M, m_unit);
        v.topography = p->topography == DBL_MAX
                           ? 0
                           : ORQ::CMeasure::ConvertTo(p->topography, ORQ::UNIT_M, m_unit);
        return true;
    }

    // The traces after fromTrace and before toTrace, interpolated between the two values
    // (fromTrace -1: from trace 0, all with the values of to).
    void FillBetween(const SWriteValues &from, int fromTrace, const SWriteValues &to, int toTrace) {
        const double x0 = fromTrace < 0 ? 0 : fromTrace, x1 = toTrace;
        for (int k = fromTrace + 1; k < toTrace; ++k) {
            void *kh = HeaderOf(k);
            if (!kh)
                continue;
            const double x = k;
            SWriteValues w;
            w.easting = LinearInterpolate(&x, &x0, &x1, &from.easting, &to.easting);
            w.northing = LinearInterpolate(&x, &x0, &x1, &from.northing, &to.northing);
            w.zone = to.zone;
            w.letter = to.letter;
            w.gpsElevation = LinearInterpolate(&x, &x0, &x1, &from.gpsElevation, &to.gpsElevation);
            w.topography = LinearInterpolate(&x, &x0, &x1, &from.topography, &to.topography);
            w.gpsElevationMetres = ORQ::CMeasure::ConvertTo(w.gpsElevation, m_unit, ORQ::UNIT_M);
            Store(kh, w, true, true);
        }
    }

    // Stores one trace's values; false when its position has no latitude/longitude.
    bool Store(void *th, const SWriteValues &v, bool interpolated, bool touchFlag) {
        if (m_gpsMode) {
            SUTMCoord utm;
            utm.easting = v.easting;
            utm.northing = v.northing;
            utm.zone = v.zone;
            utm.letter = static_cast<unsigned char>(v.letter);
            SLatLong ll;
            if (!GPS_UTMtoLLEQFix(utm, ll, m_ellipsoid, 1))
                return false;
            TH::Put<double>(th, TH::kLongitude, ll.longitude);
            TH::Put<double>(th, TH::kLatitude, ll.latitude);
            TH::Put<double>(th, TH::kElevation, v.gpsElevationMetres);
        } else {
            TH::Put<float>(th, TH::kTopography,
                           ToFloat(m_gpsElevation ? v.gpsElevation : v.topography));
        }
        if (touchFlag) {
            int32_t flags = TH::Get<int32_t>(th, TH::kFlags);
            if (interpolated)
                flags |= TH::kInterpolated;
            else if (m_gpsMode)
                flags &= ~TH::kInterpolated;
            TH::Put<int32_t>(th, TH::kFlags, flags);
        }
        return true;
    }

    void AddToRange(double value) {
        m_minimum = m_haveRange ? std::min(m_minimum, value) : value;
        m_maximum = m_haveRange ? std::max(m_maximum, value) : value;
        m_haveRange = true;
    }

    CArray3D &m_block;
    const int m_traces;
    const ORQ::EUnitType m_unit;
    const int m_ellipsoid;
    const bool m_gpsMode;
    const bool m_gpsElevation;
    const std::function<void()> &m_progress;
    static constexpr int kTracesPerProgress = 256;
    int m_visited = 0;
    bool m_haveRange = false;
    double m_minimum = 0, m_maximum = 0;
};

} // namespace

ORQ::CStr CGPSDataSample::WriteToLineFiles(CGPSInfo *gps, const char *hdPath, const char *dt1Path,
                                           bool gpsMode, int set, int line, bool clear,
                                           bool gpsElevation,
                                           const std::function<void()> &progress) {
    ORQ::CStr error;
    const std::string hdName = hdPath ? hdPath : "";
    const std::string dt1Name = dt1Path ? dt1Path : "";

    // The line is held from before its files are read until their replacement is in place: a
    // read-change-write of another program in between would be lost under this one. A line
    // another program keeps is left as it is.
    ORQ::CFileGroupReplacement group(ORQ::kLineFileExtensions);
    const std::string hdFile = ORQ::ResolveLinePath(hdName);
    if (gps && !group.Hold(hdFile)) {
        error.Format("Error saving to File %s.\n%s\n", hdName.c_str(), group.Why().c_str());
        return error;
    }
    // Read under the hold: another holder cannot write the line meanwhile, and a write of one
    // that does not hold lines makes the commit refuse (the header is no longer the one held).
    ORQ::Tamsel header;
    if (!gps || header.Load(hdName.c_str(), ORQ::ST_FILE) || !header.GetTamsel()) {
        error.Format("Unable to load data %s", hdName.c_str());
        return error;
    }
    const std::string dt1File = ORQ::ResolveLinePath(dt1Name);
    CArray3D block;
    if (block.ReadDt1(dt1File.c_str(), header.GetTamsel()->m_traces, header.GetTamsel()->m_points,
                      progress) != 0) {
        error.Format("Unable to load data %s", dt1Name.c_str());
        return error;
    }
    const ORQ::STamsel hd = *header.GetTamsel();

    const ORQ::EUnitType unit = hd.m_stepSize.unit;
    CTraceHeaderWriter writer(block, hd.m_traces, unit, gps->GetEllipsoid(), gpsMode, gpsElevation,
                              progress);
    // A merge that found nothing to write leaves both files exactly as they are.
    if (!(clear ? writer.Clear() : writer.Merge(gps, set, line)))
        return error;

    if (gpsMode)
        header.SetGpsType(clear ? GPS_NONE : GPS_LATLONG);
    else if (clear)
        header.SetElevation(0, 0, ORQ::UNIT_M);
    else
        header.SetElevation(writer.Minimum(), writer.Maximum(), unit);
    return ReplaceLineFiles(group, header, hdName, dt1File, block, progress);
}
