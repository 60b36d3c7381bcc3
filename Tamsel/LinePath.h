#pragma once

#include "Tamsel/TamselExport.h"

#include <string>

namespace ORQ {

// Finds the file that a path written on Windows names here: backslashes separate folders and
// every part of the path may differ in letter case from the name on disk (LINE01.DT1 for
// line01.dt1). Names may be the program's code page 1252 text while the disk spells them in
// UTF-8, or keep raw code page 1252 bytes (copied from Windows): each part is looked for in its
// UTF-8 spelling, then as its bytes, then without regard to case on the decoded names
// (ORQ::FileNameKey). Returns the path of the existing file; when none exists, the path with
// forward slashes, its existing folders resolved the same way and the rest spelled in UTF-8, so
// that a new file lands beside the others under the name a Linux tool shows.
TAMSEL_API std::string ResolveLinePath(const std::string &path);

} // namespace ORQ
