#pragma once

// The radar line generator the demo project tool writes its lines with, under the names the
// tests use.

#include "KVD_Edit/demo/RadarLineGenerator.h"

namespace kvdtest {

using kvdgen::RadarHeaderText;
using kvdgen::RadarTraceBytes;
using kvdgen::SRadarLine;
using kvdgen::WriteRadarLine;
using kvdgen::WriteRadarTraceFile;

} // namespace kvdtest
