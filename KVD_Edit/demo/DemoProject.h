#pragma once

// The demo grid project the run script opens when it is given no project: a square grid of X
// and Y radar lines with fiducials, GPS files beside some of them, written by the radar line
// generator and entered into a new project by the editor's own line import, then saved the way
// the editor saves.

#include <string>
#include <utility>
#include <vector>

// One line of the demo grid.
struct SDemoLine {
    std::string name; // also the base name of its .hd/.dt1 (and .GPS) files
    bool yLine = false;
    int number = 0;    // 0 to kLinesPerDirection - 1, across the grid
    double across = 0; // metres: y of an X line, x of a Y line
    bool gps = false;  // a GPS file lies beside it
};

class CDemoProject {
public:
    static constexpr const char *kProjectName = "Demo.kvd";
    static constexpr const char *kLineSet = "GRID";
    static constexpr int kLinesPerDirection = 10;
    static constexpr double kGridSize = 20;   // metres, both ways
    static constexpr double kLineSpacing = 2; // metres; the first line lies half of it in
    static constexpr double kStep = 0.05;     // metres between traces
    static constexpr int kTraces = 401;       // 0 to 20 m
    static constexpr int kSamples = 256;
    static constexpr int kGpsEvery = 20; // traces between GPS fixes (1 m)

    // The lines in the order they are imported: X00 to X09 along x at y = 1, 3, ... 19, then
    // Y00 to Y09 along y at x = 1, 3, ... 19; every even-numbered line has a GPS file.
    static std::vector<SDemoLine> Lines();
    // The fiducial comments of every line: (0-based trace, text), every 5 m inside the line.
    static std::vector<std::pair<int, std::string>> Fiducials();

    // Writes the project into folder, which must not exist yet: a new project from the program's
    // template, the line files, the GPS files, both imports and the save. The folder appears
    // only complete: everything is written into a folder beside it that is renamed at the end,
    // and removed when a step fails. True when written; otherwise error says what failed.
    static bool Write(const std::string &folder, const std::string &templatePath,
                      std::string &error);

    // The project file inside folder.
    static std::string ProjectPath(const std::string &folder);
};
