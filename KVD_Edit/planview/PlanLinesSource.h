#pragma once

#include "KVD_Edit/planview/KvdGprLines.h"

namespace ORQ {
class CKvdDataBlockInterface_V110;
}

// Reads the radar lines of a project through its data-block query interface into the form the
// line geometry draws from: every line of the set (-1: of every set, then the lines outside
// sets), in the order of the interface's type-ordered walk, each with its data files, their
// stored positions and fiducial comments. A line is named by its set index and its index within
// that set, the address the selection list and the grid keep. Returns false without an
// interface (out is then empty).
bool BuildLinesSource(CLinesSource &out, const ORQ::CKvdDataBlockInterface_V110 *query,
                      int set = -1);
