#pragma once

#include "Tamsel/TamselExport.h"

#include <string>

namespace ORQ {

// Finds the file that a path written on Windows names here: backslashes separate folders and
// every part of the path may differ in letter case from the name on disk (LINE01.DT1 for
// line01.dt1). Returns the path of the existing file; when none exists, the path with forward
// slashes, its existing folders resolved the same way, so that a new file lands beside the
// others.
TAMSEL_API std::string ResolveLinePath(const std::string &path);

} // namespace ORQ
