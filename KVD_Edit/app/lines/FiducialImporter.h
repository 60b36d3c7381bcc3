#pragma once

#include "orq_utils/Measure.h"

#include <string>
#include <vector>

namespace ORQ {
class CFileStamp;
class CKVDXmlFile;
struct STamsel;
} // namespace ORQ

// One fiducial mark of a trace file: the trace's comment and its position along the line as the
// trace header records it.
struct SFiducialMark {
    int trace = 0;
    double position = 0; // the trace header's position, in the header's position unit
    std::string comment; // up to 28 characters
};

// Why a trace file gave CFiducialImporter::kTraceFileUnreadable, or that it holds more than its
// header gives.
enum class ETraceFileFault {
    None,
    Missing,   // no file of that name
    Short,     // fewer whole traces than its header gives
    ReadError, // there, but it cannot be opened or read
    Long,      // more whole traces than its header gives: the header does not describe the file
};

// Reads the fiducial comments of a radar line's trace file and writes them as "FIDComment"
// elements into the project file. Only the trace headers are read: the trace file is checked
// against the size its header promises and then visited header by header.
class CFiducialImporter {
public:
    // Results of ReadMarks and UpdateFidDetails besides the trace count.
    enum : int { kHeaderNotLoaded = -1, kEmptyLine = 0, kTraceFileUnreadable = -3 };

    // The marks of the line whose header lies at headerPath (its trace file is the same path with
    // ".dt1" after the last "."). Returns the number of traces, kEmptyLine when the header gives
    // no traces or no samples, kHeaderNotLoaded or kTraceFileUnreadable; marks is filled only
    // with a positive result. Traces flagged as skip traces and comments that read "SKIP" in any
    // case are no fiducials. header, when given, is that header already loaded by the caller
    // from the file whose state headerState is: it is not read again while the trace file, read
    // now, belongs with it (no write of the line came after the header's read); otherwise both
    // are read here. traceFilePath, when not empty, is the trace file as the caller found it
    // on disk: it is not looked for again. fault, when given, is set to why the trace file gave
    // kTraceFileUnreadable; to ETraceFileFault::Long when the file holds more whole traces than
    // the header gives (the header's traces are read and counted all the same: what the file
    // holds beyond them is no part of the line as its header describes it); else to
    // ETraceFileFault::None.
    static int ReadMarks(const std::string &headerPath, std::vector<SFiducialMark> &marks,
                         const ORQ::STamsel *header = nullptr,
                         const std::string &traceFilePath = std::string(),
                         ETraceFileFault *fault = nullptr,
                         const ORQ::CFileStamp *headerState = nullptr);

    // Appends one "FIDComment" per mark under the file's current node (a "DataFile"), as
    // UpdateFidDetails describes; the cursor stands on the same node afterwards.
    static void WriteMarks(ORQ::CKVDXmlFile *file, const std::vector<SFiducialMark> &marks,
                           ORQ::EUnitType unit, double step, double x0, double x1, double y0,
                           double y1);

    // Appends one "FIDComment" per mark under the file's current node (a "DataFile"): "ododist"
    // the mark's position mapped linearly from x0..x1 onto y0..y1 when step is not 0 (unchanged
    // otherwise), "units" the unit's symbol, "fileflag" "C" with a step and "D" without, the
    // comment as text. The cursor stands on the same node afterwards. Returns as ReadMarks.
    static int UpdateFidDetails(ORQ::CKVDXmlFile *file, const std::string &headerPath,
                                ORQ::EUnitType unit, double step, double x0, double x1, double y0,
                                double y1, const ORQ::STamsel *header = nullptr,
                                const std::string &traceFilePath = std::string());

    // The mapped position: y0 + (position - x0) (y1 - y0) / (x1 - x0). A line whose header gives
    // the same start and final position has no length to map over: every mark lands on y0.
    static double MapPosition(double position, double x0, double x1, double y0, double y1);
};
