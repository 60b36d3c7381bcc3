#pragma once

// A grid project with GPS: the plan lines of PlanGridLines (100 traces each), placed in the
// world with a heading, and beside each line's radar files a GPS file "<name>.GPS" of "$GPGGA"
// fixes along the line. Built from our own coordinate library, so the fixes lie exactly where
// the grid puts them.

#include "tests/support/PlanProject.h"

#include <string>
#include <vector>

namespace kvdtest {

struct SGpsProject {
    std::string path; // the project file
    std::vector<PlanLineSpec> lines;
    std::vector<std::string> gpsFiles; // per line, its GPS file
    int traces = 100;                  // of every line
    // Where the local origin lies (UTM zone 17, north) and how the grid is turned: local
    // (x, y) lies at (easting, northing) + R(rotation) (x, y), rotation counter-clockwise.
    double easting = 630000;
    double northing = 4833000;
    double rotation = 30; // degrees
    int every = 11;       // a fix at traces 1, 1 + every, ... and the last
};

// Writes the project into dir; path stays empty when a file could not be written.
SGpsProject WriteGpsProject(const std::string &dir, double rotation = 30);

// The latitude and longitude of a local point of the project.
void GpsProjectLatLong(const SGpsProject &project, double x, double y, double &latitude,
                       double &longitude);

// Gives the project file the creation record this program's saves expect, as the editor
// writes it. False when the file has no "Data" element or cannot be written.
bool AddCreatedBy(const std::string &path);

} // namespace kvdtest
