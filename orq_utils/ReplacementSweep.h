#pragma once

// Removing the temporary files that killed replacements left behind. A temporary is stale when
// no live write holds it locked (CFileReplacement locks each from its creation until it is in
// place or removed), no pending intent record names it, and no record that cannot be read may
// name it (those of its own line's files). It is removed only under its line's lock
// (ReplacementLockPath), after a look at the line's record on disk at that moment: a line whose
// lock another process holds is being written, and is left as it is.

#include "orq_utils/OrqExport.h"

#include <string>
#include <vector>

namespace ORQ {

class CFolderListing;

// Removes the stale temporaries of target. Returns how many went. The folder is read whole
// again only after a hundredth of its names were written since its last reading, so that
// writing every line of a large folder costs no more per line than a small one.
ORQ_UTILS_API int RemoveStaleTemporaries(const std::string &target);

// Once for a folder (opening a project): carries out every pending record in it (each may name
// only its line's files with one of extensions), then removes the stale temporaries of its files
// whose extension is one of extensions (without ".", letter case ignored) and of records, as
// RemoveStaleTemporaries does (a record found then is carried out first), and the lock files
// that killed writers left. Returns how many temporaries went.
ORQ_UTILS_API int TidyReplacementFolder(const std::string &folder,
                                        const std::vector<std::string> &extensions);
// The same for the folder of a listing read before, from the names it holds: a folder that held
// no hidden name, and may have had no record written since, is not looked at again. Only the
// lines with a temporary, a record or a lock file among those names are locked.
ORQ_UTILS_API int TidyReplacementFolder(const CFolderListing &listing,
                                        const std::vector<std::string> &extensions);

} // namespace ORQ
