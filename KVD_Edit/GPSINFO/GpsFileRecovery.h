#pragma once

#include "orq_utils/Measure.h"

#include <string>

// The two kinds of line data that the GPS commands attach, detach, merge, remove and recover:
// GPS positions (".GPS" files, data-file tag "GPS@@@", longitude and latitude in the trace
// headers) and topography (".CTP" files, tag "TOPO@@", the topography value of the trace
// headers). The numbers are the program's own: 11 is GPS, the grid's hooks pass it.
enum EDataFileKind : int {
    DFK_GPS = 11,
    DFK_TOPO = 12,
};

// "GPS" or "CTP": the file extension of a kind, also the "ext" of its data-file entry.
const char *DataKindExtension(int kind);
// "GPS@@@" or "TOPO@@": the "UID" of the entry's "FileType".
const char *DataKindFileTypeUid(int kind);

// Results of WriteGpsFileFromTraces.
enum ERecoveryResult : int {
    RECOVERY_WRITTEN = 0,
    RECOVERY_TRACES_UNREADABLE = -1, // "Unable to load data %s"
    RECOVERY_NOT_CREATED = -2,       // "Unable to Create File %s"
    RECOVERY_PAIR_CHANGED = -4,      // a write came between the header and the trace file
};

namespace ORQ {
class CLinePairCheck;
}

// Recovers the GPS (or topography) text file of a radar line from the values stored in its
// trace headers: the trace file is hdPath up to its last "." plus ".dt1" (found whatever the
// letter case of its name), the new file the same with ".GPS" or ".CTP".
//
// GPS: for every trace not marked interpolated (bit 0x10) whose longitude or latitude is not 0,
// "Trace #n at position p" (p = (n - 1) x stepMetres) and a "$GPGGA" sentence of its latitude,
// longitude and elevation. Topography: "n,elevation" in metres for every trace not marked
// interpolated, from the topography value (in headerUnit, the header's position unit) that the
// merge of topography writes. Every line ends with CR LF; an elevation without a value is
// written as 0.
//
// The file is created exclusively: an existing file of that name, in any letter case, is never
// replaced. Every write is checked; a file that cannot be written completely is removed again.
// A failure is shown as a message and returned. pair, when given, is the check made before the
// caller read the header the counts come from: when the trace file read is not of that
// header's write, nothing is written or shown (RECOVERY_PAIR_CHANGED), for the caller to read
// the line again.
int WriteGpsFileFromTraces(const std::string &hdPath, int traces, int samples, double stepMetres,
                           int kind, ORQ::EUnitType headerUnit = ORQ::UNIT_M,
                           const ORQ::CLinePairCheck *pair = nullptr);
