#include "tests/support/gui/GpsProject.h"

#include "KVD_Edit/demo/GpsFixText.h"
#include "tests/support/TestSupport.h"

#include <cmath>

namespace kvdtest {

void GpsProjectLatLong(const SGpsProject &project, double x, double y, double &latitude,
                       double &longitude) {
    kvdgen::SGridPlacement placement;
    placement.easting = project.easting;
    placement.northing = project.northing;
    placement.rotation = project.rotation;
    kvdgen::PlacementLatLong(placement, x, y, latitude, longitude);
}

SGpsProject WriteGpsProject(const std::string &dir, double rotation) {
    SGpsProject project;
    project.rotation = rotation;
    project.lines = PlanGridLines();
    const std::string path = WritePlanProject(dir, project.lines);
    if (path.empty())
        return project;
    for (const PlanLineSpec &line : project.lines) {
        std::vector<int> traces;
        for (int t = 1; t < project.traces; t += project.every)
            traces.push_back(t);
        traces.push_back(project.traces); // the last trace always carries a fix
        std::vector<kvdgen::SGpsFix> fixes;
        for (int t : traces) {
            kvdgen::SGpsFix fix;
            fix.trace = t;
            const double fraction = double(t - 1) / (project.traces - 1);
            fix.position = fraction * std::hypot(line.x1 - line.x0, line.y1 - line.y0);
            GpsProjectLatLong(project, line.x0 + fraction * (line.x1 - line.x0),
                              line.y0 + fraction * (line.y1 - line.y0), fix.latitude,
                              fix.longitude);
            fixes.push_back(fix);
        }
        const std::string gps = dir + "/" + line.name + ".GPS";
        WriteFile(gps, kvdgen::GpsFileText(fixes));
        project.gpsFiles.push_back(gps);
    }
    project.path = path;
    return project;
}

bool AddCreatedBy(const std::string &path) {
    std::string xml = ReadFile(path);
    const size_t data = xml.find("<Data");
    const size_t end = data == std::string::npos ? data : xml.find('>', data);
    if (end == std::string::npos)
        return false;
    xml.insert(end + 1, "<CreatedBy name=\"KVD_Edit\" version=\"1.0\" DIP=\"X\" "
                        "date=\"2026-01-02\" time=\"10:11:12\" comment=\"FILE CREATION\"/>");
    WriteFile(path, xml);
    return ReadFile(path) == xml;
}

} // namespace kvdtest
