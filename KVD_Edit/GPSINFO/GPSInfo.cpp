#include "KVD_Edit/GPSINFO/GPSInfo.h"

#include "KVD_Edit/transform/Math2D.h"
#include "KVD_Edit/transform/TransformMatrix2D.h"
#include "orq_utils/CLocale.h"
#include "orq_utils/Str.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool ValidZone(int zone) {
    return zone >= 1 && zone <= 60;
}

} // namespace

CGPSInfo::CGPSInfo(int64_t) {}

CGPSInfo::~CGPSInfo() {
    Clear();
}

void CGPSInfo::Clear() {
    m_index.clear();
    m_indexedSets = 0;
    m_sets.clear();
    m_hasGPSData = false;
    m_hasTopoData = false;
    m_displayState = 0;
}

void CGPSInfo::RebuildIndex() {
    m_index.clear();
    // The first record of a key is the one a search in order would find.
    for (auto &s : m_sets)
        m_index.emplace(s.set, SSetIndex()).first->second.record = &s;
    for (auto &entry : m_index)
        RebuildLineIndex(entry.second);
    m_indexedSets = m_sets.size();
}

void CGPSInfo::RebuildLineIndex(SSetIndex &set) {
    set.lines.clear();
    for (auto &l : set.record->lines)
        set.lines.emplace(l.line, &l);
    set.indexedLines = set.record->lines.size();
}

CGPSInfo::SSetIndex &CGPSInfo::IndexedSet(int set) {
    if (m_sets.size() != m_indexedSets)
        RebuildIndex();
    auto it = m_index.find(set);
    if (it != m_index.end() && it->second.record->set != set) {
        RebuildIndex();
        it = m_index.find(set);
    }
    if (it == m_index.end()) {
        m_sets.emplace_back();
        m_sets.back().set = set;
        it = m_index.emplace(set, SSetIndex()).first;
        it->second.record = &m_sets.back();
        ++m_indexedSets;
    }
    SSetIndex &s = it->second;
    if (s.record->lines.size() != s.indexedLines)
        RebuildLineIndex(s);
    return s;
}

CGPSInfo::SLineRecord *CGPSInfo::IndexedLine(SSetIndex &set, int line) {
    auto it = set.lines.find(line);
    if (it != set.lines.end() && it->second->line != line) {
        RebuildLineIndex(set);
        it = set.lines.find(line);
    }
    return it == set.lines.end() ? nullptr : it->second;
}

CGPSInfo::SSetRecord *CGPSInfo::FindSet(int set) {
    return IndexedSet(set).record;
}

const std::string &CGPSInfo::SLineRecord::Sentence(int trace) const {
    static const std::string none;
    const auto found = sentences.find(trace);
    return found == sentences.end() ? none : found->second;
}

CGPSInfo::SLineRecord *CGPSInfo::LineRecord(int set, int line) {
    SSetIndex &s = IndexedSet(set);
    SLineRecord *record = IndexedLine(s, line);
    if (!record) {
        s.record->lines.emplace_back();
        record = &s.record->lines.back();
        record->line = line;
        s.lines.emplace(line, record);
        ++s.indexedLines;
    }
    return record;
}

void CGPSInfo::StorePoints(SLineRecord &record, int traces) {
    // Point i always holds trace i + 1: a line that shrank and grows again takes its old
    // points back into use rather than appending second copies of their trace numbers.
    if (traces <= 0 || record.points.size() >= size_t(traces))
        return;
    record.points.reserve(size_t(traces));
    while (record.points.size() < size_t(traces)) {
        record.points.emplace_back();
        record.points.back().trace = int(record.points.size());
    }
}

CGPSInfo::SLineRecord *CGPSInfo::FindLine(int set, int line, int traces) {
    SLineRecord *record = LineRecord(set, line);
    if (traces >= 0) {
        StorePoints(*record, traces);
        record->pointCount = traces;
    }
    return record;
}

CGPSInfo::SLineRecord *CGPSInfo::RegisterLine(int set, int line, int traces) {
    SLineRecord *record = LineRecord(set, line);
    if (traces >= 0)
        record->pointCount = traces;
    return record;
}

CGPSInfo::SGPSPoint *CGPSInfo::GetPoint(int set, int line, int trace) {
    SLineRecord *l = IndexedLine(IndexedSet(set), line);
    if (!l || trace < 1 || trace > l->pointCount)
        return nullptr;
    StorePoints(*l, l->pointCount);
    return &l->points[size_t(trace) - 1];
}

CGPSInfo::SPointSource *CGPSInfo::FindPointByTrace(int set, int line, int trace, int source) {
    if (source < 0 || source >= SOURCE_COUNT)
        return nullptr;
    SLineRecord *l = IndexedLine(IndexedSet(set), line);
    if (!l)
        return nullptr;
    if (trace >= 1 && trace <= l->pointCount) {
        StorePoints(*l, l->pointCount);
        // Point i holds trace i + 1 unless the list was changed from outside.
        SGPSPoint &direct = l->points[size_t(trace) - 1];
        if (direct.trace == trace)
            return &direct.source[source];
    }
    const size_t used = std::min(l->points.size(), size_t(std::max(l->pointCount, 0)));
    for (size_t i = 0; i < used; ++i)
        if (l->points[i].trace == trace)
            return &l->points[i].source[source];
    return nullptr;
}

int CGPSInfo::GetEllipsoid() const {
    return m_lwc ? m_lwc->Ellipsoid : QUILLON_WGS84;
}

int CGPSInfo::GetUTMZone(bool second) const {
    if (!m_lwc)
        return -1;
    return second ? m_lwc->Zone : m_lwc->ZoneA;
}

char CGPSInfo::GetUTMZoneLetter(bool second) const {
    if (!m_lwc)
        return 0;
    return second ? m_lwc->ZoneLetter : m_lwc->ZoneLetterA;
}

void CGPSInfo::SetUTMZone(int zone, bool second) {
    if (m_lwc)
        (second ? m_lwc->Zone : m_lwc->ZoneA) = zone;
}

void CGPSInfo::SetUTMZoneLetter(char letter, bool second) {
    if (m_lwc)
        (second ? m_lwc->ZoneLetter : m_lwc->ZoneLetterA) = letter;
}

void CGPSInfo::SetPlotRect(const ORQ::RECT &plot) {
    m_plotRect = plot;
    ComputeAutoLWCFromGPS();
}

void CGPSInfo::ComputeExtents(SExtent *out, int source) {
    if (source < 0 || source >= SOURCE_COUNT)
        return;
    if (m_lwc && m_lwc->EnableGPS == 3) {
        if (out)
            *out = m_extent[source];
        return;
    }
    SExtent &ext = m_extent[source];
    SExtent &local = m_extent[SOURCE_LOCAL];
    ext = SExtent();
    m_mean = SMeanPosition();
    SPointSums sums;
    bool firstLine = true;
    for (auto &s : m_sets) {
        for (auto &l : s.lines) {
            AddLocalExtent(local, l, firstLine);
            firstLine = false;
            AddLinePoints(l, source, ext, sums);
        }
    }
    FinishMean(sums);
    CompleteResetDefinition(local);
    if (out)
        *out = m_hasGPSData ? ext : local;
}

void CGPSInfo::AddLocalExtent(SExtent &local, const SLineRecord &l, bool first) {
    const double ys[2] = {l.yRange.x, l.yRange.y};
    const double xs[2] = {l.xRange.x, l.xRange.y};
    if (first) {
        local.minNorthing = std::max(ys[0], ys[1]); // maximum Y
        local.maxNorthing = std::min(ys[0], ys[1]); // minimum Y
        local.minEasting = std::min(xs[0], xs[1]);  // minimum X
        local.maxEasting = std::max(xs[0], xs[1]);  // maximum X
    } else {
        local.minNorthing = std::max({local.minNorthing, ys[0], ys[1]});
        local.maxNorthing = std::min({local.maxNorthing, ys[0], ys[1]});
        local.minEasting = std::min({local.minEasting, xs[0], xs[1]});
        local.maxEasting = std::max({local.maxEasting, xs[0], xs[1]});
    }
}

void CGPSInfo::AddLinePoints(SLineRecord &l, int source, SExtent &ext, SPointSums &sums) {
    bool firstOfLine = true;
    const double first = 1, last = l.pointCount;
    const size_t used = std::min(l.points.size(), size_t(std::max(l.pointCount, 0)));
    for (size_t i = 0; i < used; ++i) {
        const SGPSPoint &p = l.points[i];
        if (p.excluded)
            continue;
        const SPointSource &src = p.source[source];
        if (src.kind == KIND_EMPTY)
            continue;
        // Local position from the trace number, along the line from trace 1 to the last.
        const double t = p.trace;
        const double x = LinearInterpolate(&t, &first, &last, &l.xRange.x, &l.xRange.y);
        const double y = LinearInterpolate(&t, &first, &last, &l.yRange.x, &l.yRange.y);
        m_mean.count += 1;
        if (sums.firstPoint) {
            ext.minNorthing = ext.maxNorthing = src.northing;
            ext.minEasting = ext.maxEasting = src.easting;
            sums.firstPoint = false;
        } else {
            ext.minNorthing = std::min(ext.minNorthing, src.northing);
            ext.maxNorthing = std::max(ext.maxNorthing, src.northing);
            ext.minEasting = std::min(ext.minEasting, src.easting);
            ext.maxEasting = std::max(ext.maxEasting, src.easting);
        }
        m_mean.easting += src.easting;
        m_mean.northing += src.northing;
        sums.x += x;
        sums.y += y;
        sums.localUnit = l.xRange.unit;
        if (firstOfLine) {
            l.minNorthing = l.maxNorthing = src.northing;
            l.minEasting = l.maxEasting = src.easting;
            firstOfLine = false;
        } else {
            l.minNorthing = std::min(l.minNorthing, src.northing);
            l.maxNorthing = std::max(l.maxNorthing, src.northing);
            l.minEasting = std::min(l.minEasting, src.easting);
            l.maxEasting = std::max(l.maxEasting, src.easting);
        }
    }
}

void CGPSInfo::FinishMean(const SPointSums &sums) {
    // A mean over no points is 0 with a count of 0.
    if (m_mean.count > 0) {
        m_mean.easting /= m_mean.count;
        m_mean.northing /= m_mean.count;
        m_originMeasure.Set(sums.x / m_mean.count, sums.y / m_mean.count, sums.localUnit);
    } else {
        m_mean = SMeanPosition();
        m_originMeasure.Set(0, 0, ORQ::UNIT_M);
    }
}

void CGPSInfo::CompleteResetDefinition(const SExtent &local) {
    // A reset definition (no reference point in either system) gets a second reference point
    // at the far corner of the lines, so that a two-point fit has something to work with. A
    // user's own one-point definition at the local origin is left alone.
    if (!m_lwc)
        return;
    SLocalWorldDef &d = *m_lwc;
    bool reset = true;
    for (const auto &r : d.RefPoint)
        reset = reset && r.LocalX == 0 && r.LocalY == 0 && r.NorthingOrLatitude == 0 &&
                r.EastingOrLongitude == 0;
    if (!reset || local.minNorthing == local.maxNorthing)
        return;
    const auto unit = static_cast<ORQ::EUnitType>(d.Unit);
    d.RefPoint[1].LocalX = ORQ::CMeasure::ConvertTo(local.maxEasting, ORQ::UNIT_M, unit);
    d.RefPoint[1].LocalY = ORQ::CMeasure::ConvertTo(local.minNorthing, ORQ::UNIT_M, unit);
    if (m_hasGPSData)
        return;
    SLatLong ll;
    ll.latitude = d.RefPoint[0].NorthingOrLatitude;
    ll.longitude = d.RefPoint[0].EastingOrLongitude;
    SUTMCoord utm;
    if (GPS_LLtoUTM(ll, utm, GetEllipsoid()) && d.Zone == -1) {
        d.Zone = utm.zone;
        d.ZoneLetter = static_cast<char>(utm.letter);
        d.RefPoint[1].NorthingOrLatitude = 0;
        d.RefPoint[1].EastingOrLongitude = 0;
    }
    d.Rotation = 0;
    d.TwoPointDefinition = true;
}

void CGPSInfo::ComputeAutoLWCFromGPS() {
    ComputeExtents(nullptr, SOURCE_RAW);
}

bool CGPSInfo::FixZone(SLatLong ll, SUTMCoord *utm) {
    if (!utm)
        return false;
    if (!m_lwc)
        return true;
    SLocalWorldDef &d = *m_lwc;
    int zone = -1;
    char letter = 0;
    if (d.GlobalKind != 0) {
        if (d.ZoneA == -1) {
            d.ZoneA = utm->zone;
            d.ZoneLetterA = static_cast<char>(utm->letter);
        }
        if (d.Zone == -1) {
            d.Zone = utm->zone;
            d.ZoneLetter = static_cast<char>(utm->letter);
        }
        zone = d.Zone;
        letter = d.ZoneLetter;
    } else {
        if (d.ZoneA == -1) {
            d.ZoneA = utm->zone;
            d.ZoneLetterA = static_cast<char>(utm->letter);
            if (d.Zone == -1) {
                d.Zone = utm->zone;
                d.ZoneLetter = static_cast<char>(utm->letter);
            }
            return true;
        }
        zone = d.ZoneA;
        letter = d.ZoneLetterA;
    }
    // A stored zone that names no zone cannot take the fix; it keeps its own.
    if (!ValidZone(zone))
        return true;
    if (zone == utm->zone && letter == utm->letter)
        return true;
    SUTMCoord placed = *utm;
    placed.zone = zone;
    placed.letter = static_cast<unsigned char>(letter);
    if (!GPS_LLtoUTMZone(ll, placed, GetEllipsoid()))
        return false;
    *utm = placed;
    return true;
}

void CGPSInfo::ReZonePoints(int zone, char letter) {
    bool changed = false;
    const int ellipsoid = GetEllipsoid();
    for (auto &s : m_sets)
        for (auto &l : s.lines)
            for (auto &p : l.points)
                for (int src = SOURCE_TRACE; src <= SOURCE_RAW; ++src) {
                    SPointSource &ps = p.source[src];
                    if (ps.kind == KIND_EMPTY || ps.kind == KIND_FIXED)
                        continue;
                    if (ps.zone == zone && ps.letter == letter)
                        continue;
                    SUTMCoord from;
                    from.northing = ps.northing;
                    from.easting = ps.easting;
                    from.zone = ps.zone;
                    from.letter = static_cast<unsigned char>(ps.letter);
                    SLatLong ll;
                    if (!GPS_UTMtoLL(from, ll, ellipsoid))
                        continue;
                    SUTMCoord to;
                    to.zone = zone;
                    to.letter = static_cast<unsigned char>(letter);
                    if (!GPS_LLtoUTMZone(ll, to, ellipsoid))
                        continue;
                    ps.easting = to.easting;
                    ps.northing = to.northing;
                    ps.zone = zone;
                    ps.letter = letter;
                    changed = true;
                }
    if (changed) {
        m_update = true;
        ComputeAutoLWCFromGPS();
    }
}

void CGPSInfo::ResetLWCDefinition(int enable) {
    if (m_lwc) {
        SLocalWorldDef &d = *m_lwc;
        d.EnableGPS = enable;
        for (auto &r : d.RefPoint) {
            r = SLocalWorldDef::SRefPoint();
            r.Zone = -1;
            r.ZoneLetter = 0;
        }
        d.ZoneA = -1;
        d.Zone = -1;
        d.TwoPointDefinition = false;
        d.FitGrid = true;
    }
    m_update = true;
}

void CGPSInfo::SetLWCDefinition(SLocalWorldDef *def) {
    m_lwc = def;
    if (!def)
        return;
    SLocalWorldDef copy = *def;
    const bool second = copy.GlobalKind >= 2;
    const int zone = second ? copy.Zone : copy.ZoneA;
    const char letter = second ? copy.ZoneLetter : copy.ZoneLetterA;
    for (auto &r : copy.RefPoint) {
        r.Zone = zone;
        r.ZoneLetter = letter;
    }
    if (copy.GlobalKind == 0) {
        for (auto &r : copy.RefPoint) {
            SLatLong ll;
            ll.latitude = r.NorthingOrLatitude;
            ll.longitude = r.EastingOrLongitude;
            SUTMCoord utm;
            bool ok;
            if (ValidZone(zone)) {
                utm.zone = zone;
                utm.letter = static_cast<unsigned char>(letter);
                ok = GPS_LLtoUTMZone(ll, utm, copy.Ellipsoid) != 0;
            } else {
                // No zone chosen yet: the point's own zone, so the copy still holds UTM values.
                ok = GPS_LLtoUTM(ll, utm, copy.Ellipsoid) != 0;
                if (ok) {
                    r.Zone = utm.zone;
                    r.ZoneLetter = static_cast<char>(utm.letter);
                }
            }
            if (ok) {
                r.NorthingOrLatitude = utm.northing;
                r.EastingOrLongitude = utm.easting;
            }
        }
    }
    const auto keptUnit = m_haveKept ? static_cast<ORQ::EUnitType>(m_kept.Unit) : ORQ::UNIT_M;
    const auto unit = static_cast<ORQ::EUnitType>(copy.Unit);
    for (auto &r : copy.RefPoint) {
        r.LocalX = ORQ::CMeasure::ConvertTo(r.LocalX, unit, keptUnit);
        r.LocalY = ORQ::CMeasure::ConvertTo(r.LocalY, unit, keptUnit);
    }
    copy.Unit = keptUnit;
    if (!m_haveKept || copy != m_kept)
        m_update = true;
    m_kept = copy;
    m_haveKept = true;
}

void CGPSInfo::WriteKml(FILE *out, const ORQ::Transform::CTransformMatrix2D &localToWorld) {
    if (!out)
        return;
    ORQ::CLocaleScope cLocale;
    const int ellipsoid = GetEllipsoid();
    const int zone = GetUTMZone(true);
    const char letter = GetUTMZoneLetter(true);
    auto toLL = [&](double x, double y) {
        const ORQ::Transform::SPoint2D world = localToWorld.Transform({x, y});
        SUTMCoord utm;
        utm.easting = world.x;
        utm.northing = world.y;
        utm.zone = zone;
        utm.letter = static_cast<unsigned char>(letter);
        SLatLong ll;
        GPS_UTMtoLL(utm, ll, ellipsoid);
        return ll;
    };
    std::fprintf(out, "\n\t<Folder>");
    std::fprintf(out, "\n\t\t<name>Collected Lines</name>");
    for (const auto &s : m_sets)
        for (const auto &l : s.lines) {
            const SLatLong a = toLL(l.xRange.x, l.yRange.x);
            const SLatLong b = toLL(l.xRange.y, l.yRange.y);
            const ORQ::S2DMeasure &range = l.orientation != 0 ? l.yRange : l.xRange;
            std::fprintf(out, "\n\t\t<Placemark>");
            std::fprintf(out, "\n\t\t\t<name>%s</name>", XmlEscape(l.name.c_str()).c_str());
            std::fprintf(out, "\n\t\t\t<description>%.2f-%.2f (m)", range.x, range.y);
            std::fprintf(out, "\nLon:%.10f\nLat:%.10f</description>", a.longitude, a.latitude);
            std::fprintf(out, "\n\t\t\t<LineString>");
            std::fprintf(out, "\n\t\t\t\t<styleUrl>#msn_ylw-pushpin0</styleUrl>");
            std::fprintf(out, "\n\t\t\t\t<coordinates>%.10f, %.10f, 0, ", a.longitude, a.latitude);
            std::fprintf(out, "%.10f, %.10f, 0</coordinates>", b.longitude, b.latitude);
            std::fprintf(out, "\n\t\t\t</LineString>");
            std::fprintf(out, "\n\t\t</Placemark>");
        }
    std::fprintf(out, "\n\t</Folder>");
}

bool CGPSInfo::ParseGGA(const char *sentence, SGGAFix *out) {
    if (!sentence || !out)
        return false;
    *out = SGGAFix();
    const ORQ::CStr text(sentence);
    size_t pos = 0;
    auto field = [&]() { return text.Token(",", pos); };
    auto number = [](const ORQ::CStr &f) { return ORQ::AtofC(f.c_str()); };
    auto whole = [](const ORQ::CStr &f) { return ORQ::AtoiC(f.c_str()); };

    field(); // "$GPGGA"
    out->utcTime = number(field());
    out->latitude = std::fabs(number(field()));
    ORQ::CStr h = field();
    out->latitudeHemisphere = h.empty() ? 0 : h[0];
    if (out->latitudeHemisphere == 'S')
        out->latitude = -out->latitude;
    out->longitude = std::fabs(number(field()));
    h = field();
    out->longitudeHemisphere = h.empty() ? 0 : h[0];
    if (out->longitudeHemisphere == 'W')
        out->longitude = -out->longitude;
    out->quality = whole(field());
    out->satellites = whole(field());
    out->hdop = number(field());
    out->altitude = number(field());
    field(); // altitude unit
    out->geoidSeparation = number(field());
    field(); // its unit
    out->differentialAge = number(field());
    out->stationId = whole(field()); // digits up to the checksum
    return true;
}

std::string XmlEscape(const char *text) {
    std::string out;
    for (const char *p = text ? text : ""; *p; ++p) {
        switch (*p) {
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        default:
            out += *p;
        }
    }
    return out;
}

double UnwrapLongitude(double a, double b) {
    return (a < 0 && b > 0) ? a + 360 : a;
}
