#pragma once

#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
#include "KVD_Edit/planview/LinePos.h"
#include "Quillon/Quillon.h"
#include "orq_utils/Measure.h"
#include "orq_utils/OrqMath.h"

#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace ORQ::Transform {
class CTransformMatrix2D;
}

// The fifteen fields of one "$GPGGA" sentence.
struct SGGAFix {
    double utcTime = 0;
    double latitude = 0; // ddmm.mmmm, negative for "S"
    char latitudeHemisphere = 0;
    double longitude = 0; // dddmm.mmmm, negative for "W"
    char longitudeHemisphere = 0;
    int quality = 0;
    int satellites = 0;
    double hdop = 0;
    double altitude = 0; // metres
    double geoidSeparation = 0;
    double differentialAge = 0;
    int stationId = 0;
};

// The GPS positions and elevations of one open project's radar lines, one point per trace,
// with their extents and mean, and the project's local-to-world definition. The document holds
// one; the file readers fill it, the write-back reads it, the plan view draws from it. All of
// it runs on the UI thread.
//
// Every GPS position of a project lies in one UTM zone: the first fix sets the zone pair of the
// definition unless one is set (FixZone).
class CGPSInfo {
public:
    // Sources of a point.
    enum { SOURCE_LOCAL = 0, SOURCE_TRACE = 1, SOURCE_RAW = 2, SOURCE_COUNT = 3 };
    // Kinds of a point source.
    enum : int16_t { KIND_EMPTY = 0, KIND_FILLED = 2, KIND_FIXED = 3 };

    // The small members sit together so that a source takes 40 bytes: a project holds one
    // point of three sources for every trace of every line.
    struct SPointSource {
        double easting = 0;
        double northing = 0;
        double gpsElevation = 0; // metres, from the GGA altitude or the trace header
        int zone = 0;
        int16_t kind = KIND_EMPTY;
        char letter = 0;
        double topography = DBL_MAX; // metres; DBL_MAX: none
    };

    // One trace. Its "$GPGGA" text, when it has one, is kept by its line (SLineRecord::
    // Sentence), not here: most traces of most lines have none.
    struct SGPSPoint {
        SPointSource source[SOURCE_COUNT];
        // The plan renderer's cached point of each source.
        int cacheX[SOURCE_COUNT] = {0, 0, 0};
        int cacheY[SOURCE_COUNT] = {0, 0, 0};
        int trace = 0;         // 1-based
        bool excluded = false; // left out of extents and means
    };

    struct SLineRecord {
        std::vector<SGPSPoint> points; // point i holds trace i + 1
        int line = 0;        // the record's key within its set: fixed once the record exists
        int orientation = 0; // 0 X line, 1 Y line (set by the plan renderer)
        int reserved = 0;
        double step = 0;      // trace step (set by the plan renderer)
        int lastGpsTrace = 0; // last trace that carried a GPS fix
        // Local X (Y) at the first trace in x and at the last trace in y, metres.
        ORQ::S2DMeasure xRange;
        ORQ::S2DMeasure yRange;
        // The points in use: the first pointCount traces. Points of those beyond the end of
        // points are empty (never written) and not stored.
        int pointCount = 0;
        // Integer bounds the plan renderer keeps for the line.
        int plotMinX = 0, plotMaxX = 0, plotMinY = 0, plotMaxY = 0;
        // Extents of the counted points of the last ComputeExtents.
        double minNorthing = 0, maxNorthing = 0, minEasting = 0, maxEasting = 0;
        double spare[3] = {0, 0, 0};
        std::string name; // the GPS (data) file attached to the line
        // The "$GPGGA" sentence that gave the position of a 1-based trace; empty for none.
        const std::string &Sentence(int trace) const;
        void SetSentence(int trace, std::string text) { sentences[trace] = std::move(text); }
        std::unordered_map<int, std::string> sentences; // by 1-based trace
    };

    // Lines live in a deque: a record stays where it is while others are added.
    struct SSetRecord {
        std::deque<SLineRecord> lines;
        int set = 0; // -2: lines written directly under "Data"; the key, fixed once created
    };

    // Records [1] and [2] hold minimum and maximum northing and easting. The local record [0]
    // holds, in the same four slots, maximum Y, minimum Y, minimum X and maximum X.
    struct SExtent {
        double minNorthing = 0;
        double maxNorthing = 0;
        double minEasting = 0;
        double maxEasting = 0;
    };

    struct SMeanPosition {
        double easting = 0;
        double northing = 0;
        double count = 0;
    };

    // Positions along the project's lines; the plan view's line geometry offers it.
    using ILinePos = ::ILinePos;

    // Callers hand over an argument that no part of the GPS data uses.
    explicit CGPSInfo(int64_t argument = 0);
    ~CGPSInfo();
    CGPSInfo(const CGPSInfo &) = delete;
    CGPSInfo &operator=(const CGPSInfo &) = delete;

    // Removes every set, line and point; clears the GPS and topography flags and the display
    // state. The recompute flag and the extents stay.
    void Clear();

    // The set record with that index, appended when missing (never null).
    SSetRecord *FindSet(int set);
    // The line record, appended (with the set) when missing. traces >= 0: the line gets points
    // for traces 1 to traces and its point count becomes traces (points beyond it stay but are
    // out of use); -1 leaves points and count alone.
    SLineRecord *FindLine(int set, int line, int traces);
    // As FindLine, but the line's points are not stored yet: its point count becomes traces
    // while the points vector keeps what it holds (nothing for a new line). The points a line
    // has in use beyond the stored ones are empty; they are stored on their first write
    // (FindLine with a count, GetPoint, FindPointByTrace). Registering a project's lines
    // without GPS so costs memory per line, not per trace.
    SLineRecord *RegisterLine(int set, int line, int traces);
    // The point of 1-based trace number, or null when the line is missing or the trace is not
    // in use. A missing set is created. The line's points in use are stored first.
    SGPSPoint *GetPoint(int set, int line, int trace);
    // Source [source] of the point of that trace number, or null (the line is not created).
    // The line's points in use are stored first.
    SPointSource *FindPointByTrace(int set, int line, int trace, int source);
    const std::deque<SSetRecord> &Sets() const { return m_sets; }
    std::deque<SSetRecord> &Sets() { return m_sets; }

    bool HasGPSData() const { return m_hasGPSData; }
    CGPSInfo &SetHasGPSData(bool on) {
        m_hasGPSData = on;
        return *this;
    }
    bool HasTopoData() const { return m_hasTopoData; }
    CGPSInfo &SetHasTopoData(bool on) {
        m_hasTopoData = on;
        return *this;
    }
    // The recompute flag: positions, zones or the definition changed since the plan view last
    // fitted its transform.
    bool GetUpdateState() const { return m_update; }
    CGPSInfo &SetUpdateState(bool on) {
        m_update = on;
        return *this;
    }
    // 0 nothing to report; 1 a point fell outside the drawable range; 2 the hint was shown.
    int GetDisplayState() const { return m_displayState; }
    void SetDisplayState(int state) { m_displayState = state; }

    SLocalWorldDef *GetLWCData() const { return m_lwc; }
    // The definition's ellipsoid id (WGS-84 without a definition).
    int GetEllipsoid() const;
    // The second zone pair (the definition's Zone) when second is true, else the first (ZoneA);
    // -1 without a definition.
    int GetUTMZone(bool second) const;
    char GetUTMZoneLetter(bool second) const;
    void SetUTMZone(int zone, bool second);
    void SetUTMZoneLetter(char letter, bool second);

    // Stores the plan view's plot rectangle and recomputes the mean of the raw fixes.
    void SetPlotRect(const ORQ::RECT &plot);
    const ORQ::RECT &GetPlotRect() const { return m_plotRect; }
    SMeanPosition GetMeanPosition() const { return m_mean; }
    ORQ::S2DMeasure GetOriginMeasure() const { return m_originMeasure; }
    const SExtent &GetExtent(int source) const { return m_extent[source]; }

    // Extents and mean of source (0, 1 or 2); see the source for the rules. out may be null.
    void ComputeExtents(SExtent *out, int source);
    // ComputeExtents of the raw fixes, for their mean.
    void ComputeAutoLWCFromGPS();
    // Places a new fix into the project's zone. utm holds the library's own conversion of ll;
    // false when the fix cannot be converted into the project's zone.
    bool FixZone(SLatLong ll, SUTMCoord *utm);
    // Converts every filled position of the trace and raw layers into the given zone.
    void ReZonePoints(int zone, char letter);
    // Back to a definition without reference points, with the given "EnableGPS" mode.
    void ResetLWCDefinition(int enable);
    // Takes the project's definition; the recompute flag is set when it differs from the last.
    void SetLWCDefinition(SLocalWorldDef *def);
    // The last definition given, both reference points in UTM and their local values in metres.
    const SLocalWorldDef &GetUTMDefinition() const { return m_kept; }

    // A KML folder with one placemark per line; localToWorld maps local metres to UTM.
    void WriteKml(FILE *out, const ORQ::Transform::CTransformMatrix2D &localToWorld);

    // Splits one "$GPGGA" sentence into its fields; false for a null sentence or a null out.
    static bool ParseGGA(const char *sentence, SGGAFix *out);

private:
    // The steps of ComputeExtents: the lines' local extent, the counted points of one line
    // (their extent, the line's own and the sums of the mean), the mean, and the second
    // reference point of a reset definition.
    struct SPointSums {
        bool firstPoint = true;
        double x = 0;
        double y = 0;
        ORQ::EUnitType localUnit = ORQ::UNIT_M;
    };
    static void AddLocalExtent(SExtent &local, const SLineRecord &l, bool first);
    void AddLinePoints(SLineRecord &l, int source, SExtent &ext, SPointSums &sums);
    void FinishMean(const SPointSums &sums);
    void CompleteResetDefinition(const SExtent &local);
    int m_displayState = 0;
    ORQ::RECT m_plotRect;
    bool m_update = false;
    bool m_hasGPSData = false;
    bool m_hasTopoData = false;
    // Where each set and line record lives, so that registering a project's lines does not
    // search every line already registered. Records never move (deques that only grow), so the
    // index holds pointers; Clear empties it with the records. A set or line list whose length
    // differs from what the index has seen, or a record found under a key it no longer holds,
    // means the records were changed from outside and the index is built again.
    struct SSetIndex {
        SSetRecord *record = nullptr;
        std::unordered_map<int, SLineRecord *> lines;
        size_t indexedLines = 0;
    };
    SSetIndex &IndexedSet(int set);
    SLineRecord *IndexedLine(SSetIndex &set, int line);
    void RebuildIndex();
    void RebuildLineIndex(SSetIndex &set);
    SLineRecord *LineRecord(int set, int line);
    // Stores points up to traces (each point i holding trace i + 1).
    static void StorePoints(SLineRecord &record, int traces);

    std::deque<SSetRecord> m_sets;
    std::unordered_map<int, SSetIndex> m_index;
    size_t m_indexedSets = 0;
    SLocalWorldDef *m_lwc = nullptr;
    SLocalWorldDef m_kept;
    bool m_haveKept = false;
    SExtent m_extent[SOURCE_COUNT];
    SMeanPosition m_mean;
    ORQ::S2DMeasure m_originMeasure{0, 0, ORQ::UNIT_M};
};

// The text with "&", "'", the double quote and "<" written as XML entities.
std::string XmlEscape(const char *text);

// a + 360 when a is negative and b positive (a longitude unwrapped next to b), else a.
double UnwrapLongitude(double a, double b);
