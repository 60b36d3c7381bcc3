#pragma once

// Writes small grid projects for the tests and the benchmark of the line grid: a project file
// and, beside it, the radar line files its lines name.

#include "tests/support/ProjectBuilder.h"

#include <string>
#include <vector>

namespace kvdtest {

struct GridLineLayout {
    std::string set = "GRID1"; // empty: written directly under "Data"
    std::string name = "L1";
    std::string file; // data file name; empty: the line's name
    // Recorded positions, first to last (normalized file positions spread evenly).
    std::vector<Position> positions = {{0, 0, 0, "m"}, {10, 0, 1, "m"}};
    // Header: start and final position, step, unit. final < start makes a reversed header.
    double start = 0;
    double final = 10;
    double step = 0.5;
    std::string unit = "m";
    bool writeDt1 = true;
    bool writeHd = true;
    bool badHd = false;         // the .hd holds binary rubbish that does not load
    int gpsType = 0;            // the header's GPS type (3: positions in the trace headers)
    bool gpsBeside = false;     // a .GPS file lies beside the trace file
    bool gpsEntry = false;      // the line also lists its .GPS file as a data file entry
    int gpsFixes = 3;           // "$GPGGA" fixes written into a .GPS file
    int gpsSpacing = 1;         // traces from one fix of the .GPS file to the next
    bool ctpBeside = false;     // a .CTP (trace,elevation) file lies beside the trace file
    bool ctpEntry = false;      // the line also lists its .CTP file as a data file entry
    std::string fidComment;     // a fiducial comment of the data file
    int fiducials = 0;          // more comments "FID1", "FID2", ... 2.5 m apart from 2.5 m on
    std::string fileNameOnDisk; // the radar files' base name on disk (default: file)
};

struct GridProjectLayout {
    std::vector<GridLineLayout> lines;
    double settingsStep = 0.5; // the data block's step in force
    std::string settingsUnit = "m";
};

// Writes folder/project.kvd and the lines' files; returns the project's path.
std::string WriteGridProject(const std::string &folder, const GridProjectLayout &layout);
// Gives the project file at path the created-by record the acquisition program writes, which
// every save of the editor needs.
void AddCreatedByRecord(const std::string &path);

// The text of a GPS file with fixes "$GPGGA" sentences at traces 1, 1 + spacing, ...
std::string GpsFileText(int fixes, int spacing = 1);
// The text of a topography file: "trace,elevation" for traces 1 to traces, elevation
// 100 + trace / 10 (metres).
std::string TopoFileText(int traces);

// A project of count lines (X and Y lines in turn) in one set, each with its .hd and .dt1 and
// fiducials comments "FID1", "FID2", ... along it.
GridProjectLayout ManyLines(int count, int fiducials = 0);

} // namespace kvdtest
