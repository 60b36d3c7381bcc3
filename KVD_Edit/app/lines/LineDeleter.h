#pragma once

#include <string>
#include <vector>

namespace ORQ {
class CKVDXmlFile;
}

// A grid row to delete: the names of its line set ("" outside sets) and line.
struct SDeleteRow {
    std::string gridName;
    std::string lineName;
};

// What a deletion removed.
struct SDeleteResult {
    int linesRemoved = 0;
    int setsRemoved = 0;
};

// Removes the lines of grid rows from the project file: names are matched without regard to
// case, a line set left without lines goes with its last line, and the data files on disk are
// never touched.
class CLineDeleter {
public:
    // Rows naming the same line (one row per data file of a line) count once. Rows with a set
    // name in a project whose "Data" version knows no line sets are refused with a message and
    // remove nothing.
    static SDeleteResult DeleteKVDEntries(ORQ::CKVDXmlFile *file,
                                          const std::vector<SDeleteRow> &rows);
};
