#include "tests/support/ProjectBuilder.h"

#include "tests/support/TestSupport.h"

#include <cstdio>

namespace kvdtest {

namespace {

std::string Escape(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string F(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", v);
    return buf;
}

} // namespace

XmlNode &XmlNode::Attr(const std::string &name, const std::string &value) {
    m_attrs.emplace_back(name, value);
    return *this;
}

XmlNode &XmlNode::Attr(const std::string &name, double value) {
    return Attr(name, F(value));
}

XmlNode &XmlNode::Text(const std::string &text) {
    m_text = text;
    return *this;
}

XmlNode &XmlNode::Add(const std::string &name) {
    m_children.emplace_back(name);
    return m_children.back();
}

XmlNode &XmlNode::Add(const XmlNode &node) {
    m_children.push_back(node);
    return m_children.back();
}

void XmlNode::Write(std::string &out) const {
    out += "<" + m_name;
    for (const auto &a : m_attrs)
        out += " " + a.first + "=\"" + Escape(a.second) + "\"";
    if (m_text.empty() && m_children.empty()) {
        out += "/>";
        return;
    }
    out += ">";
    out += Escape(m_text);
    for (const auto &c : m_children)
        c.Write(out);
    out += "</" + m_name + ">";
}

XmlNode &AddSettings(XmlNode &parent, const SettingsSpec &s) {
    auto keep = [&](const char *name) {
        for (const auto &o : s.omit)
            if (o == name)
                return false;
        return true;
    };
    XmlNode &set = parent.Add("Settings");
    if (!s.version.empty())
        set.Attr("version", s.version);
    if (keep("Trace"))
        set.Add("Trace")
            .Attr("sample_cnt", std::to_string(s.samples))
            .Attr("time_zero_cnt", s.timeZero)
            .Attr("interval_ns", s.intervalNs);
    if (keep("OdometerCal"))
        set.Add("OdometerCal").Attr("ticks_per_m", 1000.0).Attr("sensorID", "NA");
    if (keep("StepSize"))
        set.Add("StepSize").Attr("units", s.stepUnits).Text(F(s.step));
    if (keep("NominalFrequency"))
        set.Add("NominalFrequency").Attr("units", "Mhz").Text(F(s.frequency));
    if (keep("Pulse"))
        set.Add("Pulse").Attr("units", "Vpp").Text(F(s.pulse));
    if (keep("Antenna")) {
        XmlNode &ant = set.Add("Antenna");
        for (int i = 0; i < 2; ++i) {
            XmlNode &a = ant.Add(i == 0 ? "Receiver" : "Transmitter");
            a.Add("AntPosition")
                .Attr("X", "0")
                .Attr("Y", i == 0 ? 0.5 : -0.5)
                .Attr("Z", "0")
                .Attr("units", "m")
                .Attr("reference", "relative");
            a.Add("AntOrientation")
                .Attr("X", "NA")
                .Attr("Y", "NA")
                .Attr("Z", "NA")
                .Attr("units", "Perpendicular")
                .Attr("reference", "relative");
        }
    }
    if (keep("SurveyMode"))
        set.Add("SurveyMode").Text("Reflection");
    return set;
}

XmlNode &AddDataFile(XmlNode &line, const std::string &name, const std::string &ext, int seq,
                     const std::vector<Position> &positions, const std::string &dirPath) {
    XmlNode &f = line.Add("DataFile");
    f.Attr("name", name).Attr("ext", ext);
    if (seq >= 0)
        f.Attr("seq", std::to_string(seq));
    f.Add("FileType").Attr("UID", "COR@@@");
    if (!dirPath.empty())
        f.Add("FileDirPath").Text(dirPath);
    f.Add("DataSampleCnt")
        .Attr("dim0", "2")
        .Attr("dim1", "512")
        .Attr("dim2", "100")
        .Attr("dim3", "NA");
    for (const Position &p : positions)
        f.Add("Position")
            .Attr("X", p.x)
            .Attr("Y", p.y)
            .Attr("Z", "NA")
            .Attr("normalized_file_pos", p.pos)
            .Attr("units", p.units);
    double length = 0;
    if (positions.size() > 1) {
        const double dx = positions.back().x - positions.front().x;
        const double dy = positions.back().y - positions.front().y;
        length = dx < 0 ? -dx : dx;
        length += dy < 0 ? -dy : dy;
    }
    f.Add("Odometer").Attr("start", 0.0).Attr("end", length).Attr("step", 0.05).Attr("units", "m");
    return f;
}

XmlNode DataNode(const std::string &version) {
    XmlNode data("Data");
    if (!version.empty())
        data.Attr("version", version);
    return data;
}

std::string ProjectText(const XmlNode &data) {
    std::string out = "<?xml version='1.0'?>\n<ORQ_KVD version=\"1.1.0\">"
                      "<!--Brenwick Inc. Grid, File information, & Project File-->";
    data.Write(out);
    out += "</ORQ_KVD>\n";
    return out;
}

void WriteHeader(const std::string &path, const HeaderSpec &h) {
    std::string t;
    char buf[256];
    t += "1234\r\nData Collected with a test rig\r\n2024-03-05\r\n";
    auto key = [&](const char *k, const std::string &v) {
        std::snprintf(buf, sizeof buf, "%-18s = %s\r\n", k, v.c_str());
        t += buf;
    };
    key("NUMBER OF TRACES", std::to_string(h.traces));
    key("NUMBER OF PTS/TRC", std::to_string(h.points));
    key("TIMEZERO AT POINT", F(h.timeZero));
    key("TOTAL TIME WINDOW", F(h.timeWindow));
    key("STARTING POSITION", F(h.start));
    key("FINAL POSITION", F(h.final));
    key("STEP SIZE USED", F(h.step));
    key("POSITION UNITS", h.units);
    key("NOMINAL FREQUENCY", F(h.frequency));
    key("ANTENNA SEPARATION", F(h.separation));
    key("PULSER VOLTAGE (V)", F(h.pulser));
    key("NUMBER OF STACKS", std::to_string(h.stacks));
    key("SURVEY MODE", h.surveyMode);
    key("ODOMETER CAL (T/M)", F(h.odometer));
    if (!h.stackingType.empty())
        key("STACKING TYPE", h.stackingType);
    WriteFile(path, t);
}

std::string GeneratedProject(int lineCount, int positionsPerFile, int fidsPerFile) {
    XmlNode data = DataNode("1.2.0");
    data.Add("DataDirPath").Text("C:\\Survey\\");
    AddSettings(data);
    XmlNode &set = data.Add("LineSet");
    set.Attr("name", "Grid");
    for (int i = 0; i < lineCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "LINE%04d", i);
        XmlNode &line = set.Add("Line");
        line.Attr("name", name);
        const bool xLine = i % 2 == 0;
        const double across = 0.5 * i;
        for (int part = 0; part < 2; ++part) {
            std::vector<Position> positions;
            for (int p = 0; p < positionsPerFile; ++p) {
                const double t = positionsPerFile > 1 ? double(p) / (positionsPerFile - 1) : 0.0;
                const double along = 20.0 * part + 20.0 * t;
                Position pos;
                pos.x = xLine ? along : across;
                pos.y = xLine ? across : along;
                pos.pos = t;
                positions.push_back(pos);
            }
            XmlNode &f = AddDataFile(line, std::string(name) + "_" + std::to_string(part + 1),
                                     ".dt1", part + 1, positions, "lines");
            for (int c = 0; c < fidsPerFile; ++c)
                f.Add("FIDComment")
                    .Attr("units", "m")
                    .Attr("ododist", 1.0 + c)
                    .Attr("fileflag", "Y")
                    .Text("mark " + std::to_string(c));
        }
    }
    return ProjectText(data);
}

} // namespace kvdtest
