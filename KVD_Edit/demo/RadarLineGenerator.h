#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kvdgen {

// A radar line to write as a .hd/.dt1 pair: acquisition values, fiducial comments, skip traces,
// GPS positions in the trace headers and a synthetic radargram (direct wave, a few layers and
// diffraction hyperbolae). Every field has a plausible default.
struct SRadarLine {
    int traces = 100;
    int samples = 256;
    double start = 0;
    double step = 0.05;
    std::string unit = "m"; // the "POSITION UNITS" text
    int timeZero = 20;
    double timeWindow = 50; // ns
    double frequency = 250; // MHz
    double antennaSeparation = 1;
    double pulserVoltage = 400;
    int stacks = 16;
    std::string surveyMode = "Reflection";
    std::string firstLine = "1234";
    std::vector<std::string> titles = {"Synthetic radar line"};
    std::string date = "2023/06/14";

    // (trace, comment): the trace header's comment flag is set and the text stored.
    std::vector<std::pair<int, std::string>> fiducials;
    // Traces with the skip bit set; each carries skipComment unless it is empty.
    std::vector<int> skipTraces;
    std::string skipComment = "SKIP";

    // GPS: 0 none, 2 UTM (with utmZone), 3 latitude/longitude. Trace t gets the position
    // (x0 + t dx, y0 + t dy, z0 + t dz) at bytes 32, 40 and 48 of its header.
    int gpsType = 0;
    std::string utmZone = "17N";
    double x0 = -79.3832, y0 = 43.6532, z0 = 76.0;
    double dx = 1e-6, dy = 2e-7, dz = 0.01;

    // true: each trace header carries its 1-based number (bytes 0) and its position, start +
    // t step (bytes 4), as floats, as recorded lines do; false leaves both 0.
    bool tracePositions = false;

    // Further header lines written after the known keys, as they are.
    std::vector<std::string> extraHeaderLines;
    bool crlf = true;
    std::string hdExtension = ".hd";
    std::string dt1Extension = ".dt1";
    // false: a cheap ramp instead of the radargram (for very large files).
    bool synthetic = true;
    unsigned seed = 1;
};

// The header text of the line.
std::string RadarHeaderText(const SRadarLine &line);
// The whole trace file of the line in memory (for small lines and byte checks).
std::string RadarTraceBytes(const SRadarLine &line);
// Writes base + hdExtension and base + dt1Extension (the trace file trace by trace); false when
// a file cannot be written.
bool WriteRadarLine(const std::string &base, const SRadarLine &line);
// Writes only the trace file.
bool WriteRadarTraceFile(const std::string &path, const SRadarLine &line);

} // namespace kvdgen
