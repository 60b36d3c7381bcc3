#pragma once

#include "orq_utils/Measure.h"

#include <string>

namespace ORQ {
class CKVDXmlFile;
}

// The new values of one edited grid row. Lengths are in unit.
struct SRowValues {
    std::string dataFileName; // ".\" + path + ".dt1", possibly followed by " (+)"
    std::string lineName;     // the new name
    int orientation = 0;      // 2 X line, 3 Y line
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
    double step = 0;
    bool reversed = false;
    ORQ::EUnitType unit = ORQ::UNIT_M;
};

// Writes an edited grid row back into the project file: renames the line (one row edited),
// rewrites the two positions and the odometer of every data file of the line, and renews the
// fiducial comments and the settings of the data file the row shows. Every check comes before
// the first change, so a refused row leaves the file as it was.
class CRowWriteBack {
public:
    // projectPath: the project file; data file names are relative to its folder.
    CRowWriteBack(ORQ::CKVDXmlFile *file, const std::string &projectPath);

    // oldGridName and oldLineName name the line as the grid showed it before the edit;
    // selectedCount is the number of selected grid rows (only one renames). True when written.
    bool ModifyRow(const SRowValues &row, const std::string &oldGridName,
                   const std::string &oldLineName, int selectedCount);
    // Renews only the fiducial comments of the data file the row shows, from its trace file;
    // names, positions, odometer and settings stay as they are.
    bool RewriteFiducials(const SRowValues &row, const std::string &gridName,
                          const std::string &lineName);

    // The header path of a row's data file name.
    std::string HeaderPath(const std::string &dataFileName) const;

private:
    bool Write(const SRowValues &row, const std::string &oldGridName,
               const std::string &oldLineName, int selectedCount, bool fiducialsOnly);

    ORQ::CKVDXmlFile *m_file;
    std::string m_projectFolder;
};
