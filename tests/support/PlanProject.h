#pragma once

// Grid projects for the plan view's tests and benchmark: straight lines given by their end
// points, written as project text (and, for window tests, with a radar line pair per line so
// that the document opens them without complaint).

#include <string>
#include <utility>
#include <vector>

namespace kvdtest {

struct PlanLineSpec {
    std::string name;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int positions = 2; // evenly spaced from (x0, y0) to (x1, y1)
    // Fiducial comments: odometer distance in metres and text.
    std::vector<std::pair<double, std::string>> fids;
};

// Three X lines "X00", "X05", "X10" along y = 0, 5 and 10 from x = 0 to 20, and three Y lines
// "Y02", "Y10", "Y18" at x = 2, 10 and 18 from y = 0 to 10 (metres).
std::vector<PlanLineSpec> PlanGridLines();

// A project with one line set "Grid" holding the lines in the given order; positions in units
// ("m" or "ft").
std::string PlanProjectText(const std::vector<PlanLineSpec> &lines, const std::string &units = "m");

// Writes "<dir>/plan.kvd" and a radar line pair "<dir>/<name>.hd/.dt1" per line; returns the
// project's path (empty when a file could not be written).
std::string WritePlanProject(const std::string &dir, const std::vector<PlanLineSpec> &lines);

} // namespace kvdtest
