#include "tests/support/GridProject.h"

#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace kvdtest {

std::string GpsFileText(int fixes, int spacing) {
    std::string text;
    char buf[160];
    for (int i = 0; i < fixes; ++i) {
        const int trace = 1 + i * spacing;
        std::snprintf(buf, sizeof buf,
                      "Trace #%d at position %.3f\r\n$GPGGA,1200%02d.00,4339.%04d,N,07923.0000,W,"
                      "1,08,0.9,76.0,M,-34.0,M,,*47\r\n",
                      trace, (trace - 1) * 0.5, i % 60, 1000 + i);
        text += buf;
    }
    return text;
}

std::string TopoFileText(int traces) {
    std::string text;
    char buf[64];
    for (int t = 1; t <= traces; ++t) {
        std::snprintf(buf, sizeof buf, "%d,%.2f\r\n", t, 100 + t / 10.0);
        text += buf;
    }
    return text;
}

void AddCreatedByRecord(const std::string &path) {
    std::string text = ReadFile(path);
    const std::string data = "<Data version=\"1.2.0\">";
    const size_t at = text.find(data);
    if (at != std::string::npos)
        text.insert(at + data.size(), "<CreatedBy name=\"GPR Acquire\" version=\"2.0\" DIP=\"X\" "
                                      "date=\"2020-01-02\" time=\"10:11:12\"/>");
    WriteFile(path, text);
}

std::string WriteGridProject(const std::string &folder, const GridProjectLayout &layout) {
    XmlNode data = DataNode("1.2.0");
    SettingsSpec settings;
    settings.step = layout.settingsStep;
    settings.stepUnits = layout.settingsUnit;
    AddSettings(data, settings);

    std::map<std::string, XmlNode *> sets;
    for (const GridLineLayout &l : layout.lines) {
        XmlNode *parent = &data;
        if (!l.set.empty()) {
            auto it = sets.find(l.set);
            if (it == sets.end()) {
                XmlNode &set = data.Add("LineSet");
                set.Attr("name", l.set);
                it = sets.emplace(l.set, &set).first;
            }
            parent = it->second;
        }
        XmlNode &line = parent->Add("Line");
        line.Attr("name", l.name);
        const std::string file = l.file.empty() ? l.name : l.file;
        std::vector<Position> positions = l.positions;
        for (size_t i = 0; i < positions.size(); ++i)
            positions[i].pos = positions.size() > 1 ? double(i) / (positions.size() - 1) : 0.0;
        XmlNode &df = AddDataFile(line, file, ".dt1", 1, positions);
        if (!l.fidComment.empty())
            df.Add("FIDComment")
                .Attr("units", "m")
                .Attr("ododist", 1.0)
                .Attr("fileflag", "Y")
                .Text(l.fidComment);
        for (int k = 1; k <= l.fiducials; ++k)
            df.Add("FIDComment")
                .Attr("units", "m")
                .Attr("ododist", 2.5 * k)
                .Attr("fileflag", "Y")
                .Text("FID" + std::to_string(k));
        if (l.ctpEntry) {
            XmlNode &topo = line.Add("DataFile");
            topo.Attr("name", file).Attr("ext", "CTP").Attr("seq", "1");
            topo.Add("FileType").Attr("UID", "TOPO@@");
        }
        if (l.gpsEntry) {
            XmlNode &gps = line.Add("DataFile");
            gps.Attr("name", file).Attr("ext", "GPS").Attr("seq", "1");
            gps.Add("FileType").Attr("UID", "GPS@@@");
            gps.Add("Odometer")
                .Attr("start", 0.0)
                .Attr("end", 10.0)
                .Attr("step", 0.5)
                .Attr("units", "m");
        }

        const std::string base =
            folder + "/" + (l.fileNameOnDisk.empty() ? file : l.fileNameOnDisk);
        SRadarLine radar;
        radar.start = l.start;
        radar.step = l.final >= l.start ? std::fabs(l.step) : -std::fabs(l.step);
        radar.traces =
            l.step != 0
                ? static_cast<int>(std::lround(std::fabs(l.final - l.start) / std::fabs(l.step))) +
                      1
                : 21;
        radar.samples = 16;
        radar.synthetic = false;
        radar.unit = l.unit;
        radar.gpsType = l.gpsType;
        // The fiducials are marked in the traces too, where the open reads them from.
        for (int k = 1; k <= l.fiducials && l.step != 0; ++k)
            radar.fiducials.push_back(
                {static_cast<int>(std::lround((2.5 * k - l.start) / std::fabs(l.step))),
                 "FID" + std::to_string(k)});
        if (l.writeDt1)
            WriteRadarTraceFile(base + ".dt1", radar);
        if (l.badHd) {
            WriteFile(base + ".hd", std::string("\x00\x01\x02\xff\xfe binary", 12));
        } else if (l.writeHd) {
            std::string text = RadarHeaderText(radar);
            if (l.step == 0) {
                // A header whose step is 0: the final position stays as given.
                size_t at = text.find("STEP SIZE USED");
                size_t end = text.find('\n', at);
                text.replace(at, end - at, "STEP SIZE USED     = 0\r");
            }
            WriteFile(base + ".hd", text);
        }
        if (l.gpsBeside || l.gpsEntry)
            WriteFile(base + ".GPS", GpsFileText(l.gpsFixes, l.gpsSpacing));
        if (l.ctpBeside || l.ctpEntry)
            WriteFile(base + ".CTP", TopoFileText(radar.traces));
    }
    const std::string path = folder + "/project.kvd";
    WriteFile(path, ProjectText(data));
    return path;
}

GridProjectLayout ManyLines(int count, int fiducials) {
    GridProjectLayout layout;
    for (int i = 0; i < count; ++i) {
        GridLineLayout l;
        l.fiducials = fiducials;
        char name[32];
        std::snprintf(name, sizeof name, "LINE%04d", i);
        l.name = name;
        const double across = 0.5 * i;
        if (i % 2 == 0)
            l.positions = {{0, across, 0, "m"}, {10, across, 1, "m"}};
        else
            l.positions = {{across, 0, 0, "m"}, {across, 10, 1, "m"}};
        layout.lines.push_back(l);
    }
    return layout;
}

} // namespace kvdtest
