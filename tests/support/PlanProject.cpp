#include "tests/support/PlanProject.h"

#include "tests/support/ProjectBuilder.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <cmath>

namespace kvdtest {

std::vector<PlanLineSpec> PlanGridLines() {
    std::vector<PlanLineSpec> lines;
    for (int y : {0, 5, 10}) {
        PlanLineSpec l;
        l.name = (y < 10 ? "X0" : "X") + std::to_string(y);
        l.x0 = 0;
        l.x1 = 20;
        l.y0 = l.y1 = y;
        lines.push_back(l);
    }
    for (int x : {2, 10, 18}) {
        PlanLineSpec l;
        l.name = (x < 10 ? "Y0" : "Y") + std::to_string(x);
        l.x0 = l.x1 = x;
        l.y0 = 0;
        l.y1 = 10;
        lines.push_back(l);
    }
    return lines;
}

std::string PlanProjectText(const std::vector<PlanLineSpec> &lines, const std::string &units) {
    XmlNode data = DataNode("1.2.0");
    AddSettings(data);
    XmlNode &set = data.Add("LineSet");
    set.Attr("name", "Grid");
    for (const PlanLineSpec &layout : lines) {
        XmlNode &line = set.Add("Line");
        line.Attr("name", layout.name);
        std::vector<Position> positions;
        const int n = layout.positions < 1 ? 1 : layout.positions;
        for (int p = 0; p < n; ++p) {
            const double t = n > 1 ? double(p) / (n - 1) : 0.0;
            Position pos;
            pos.x = layout.x0 + t * (layout.x1 - layout.x0);
            pos.y = layout.y0 + t * (layout.y1 - layout.y0);
            pos.pos = t;
            pos.units = units;
            positions.push_back(pos);
        }
        XmlNode &file = AddDataFile(line, layout.name, ".dt1", 1, positions);
        for (const auto &fid : layout.fids)
            file.Add("FIDComment")
                .Attr("units", "m")
                .Attr("ododist", fid.first)
                .Attr("fileflag", "Y")
                .Text(fid.second);
    }
    return ProjectText(data);
}

std::string WritePlanProject(const std::string &dir, const std::vector<PlanLineSpec> &lines) {
    for (const PlanLineSpec &layout : lines) {
        SRadarLine radar;
        radar.traces = 100;
        radar.samples = 64;
        radar.synthetic = false;
        const double length = std::hypot(layout.x1 - layout.x0, layout.y1 - layout.y0);
        radar.step = length > 0 ? length / (radar.traces - 1) : 0.05;
        if (!WriteRadarLine(dir + "/" + layout.name, radar))
            return std::string();
    }
    const std::string path = dir + "/plan.kvd";
    WriteFile(path, PlanProjectText(lines));
    return path;
}

} // namespace kvdtest
