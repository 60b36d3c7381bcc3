#pragma once

#include <functional>

#include "orq_utils/Str.h"

class CGPSInfo;

namespace ORQ {
class Tamsel;
}

// Reads a line's GPS positions and elevations into the document's GPS data (GPS text files of
// "Trace #" lines and "$GPGGA" sentences, the positions in the .dt1 trace headers, position and
// elevation text files) and writes them back into the line's .hd and .dt1 files. It holds no
// data: callers build one where they need it and pass the document's CGPSInfo to every call.
class CGPSDataSample {
public:
    CGPSDataSample() = default;
    virtual ~CGPSDataSample() = default;

    // Registers a line with at least points for traces 1 to traces and names it; -1.
    int AddLine(CGPSInfo *gps, int set, int orientation, int line, double step, int traces,
                const char *name);

    // Reads a GPS file into the line: raw fixes into source 2 (source 1 only when
    // traceLayerOnly), every trace of source 1 filled by interpolation between fixes and
    // copies before the first and after the last. Returns the number of fixes with a position
    // (duplicates included), or -1 when the file does not open. Problems are appended to
    // errors.
    int LoadGpsFile(CGPSInfo *gps, const char *path, int set, int line, int traces,
                    ORQ::CStr &errors, bool traceLayerOnly);

    // The line's trace layer: from the trace headers when the header's GPS type is 3
    // (latitude/longitude), else from the GPS file when one is named, else from the raw fixes
    // already held. 0, or -1 when the trace file cannot be read. When errors is given, problems
    // of the trace file or the GPS file are appended to it. traceFile, when given, is the line's
    // trace file as the caller found it and traceCapacity the whole traces it holds (-1 when it
    // could not be measured): neither is looked for or measured again.
    int LoadLineGps(CGPSInfo *gps, const char *gpsPath, const ORQ::Tamsel *header, int set,
                    int line, int traces, ORQ::CStr *errors = nullptr,
                    const std::string *traceFile = nullptr, long long traceCapacity = -1);

    // Reads a position/elevation file (optional "# " header ending at "# POSITION", then lines
    // "trace,elevation"). 0 on success; -1 the file does not open; -2 a data line without
    // exactly one comma; -3 a trace number below 1 or below the one before.
    int LoadTopoFile(CGPSInfo *gps, const char *path, int set, int line, int traces,
                     bool traceLayerOnly);

    // Writes the raw fixes (gpsMode: positions and GPS elevations; else topography) of the line
    // into the trace headers of dt1Path and records in the header hdPath what was added; with
    // clear, removes that kind of data instead. Both files are replaced together or not at
    // all. Returns the error text, empty on success. progress, when given, is called again and
    // again on the way (each block of the trace file read or written, each few hundred traces),
    // so that a long line keeps the windows alive.
    ORQ::CStr WriteToLineFiles(CGPSInfo *gps, const char *hdPath, const char *dt1Path, bool gpsMode,
                               int set, int line, bool clear, bool gpsElevation,
                               const std::function<void()> &progress = {});
};
