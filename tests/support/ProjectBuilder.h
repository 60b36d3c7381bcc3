#pragma once

// Builds project files (.kvd) and radar line headers (.hd) for tests and benchmarks, as text,
// so that fixtures never depend on the code they test.

#include <list>
#include <string>
#include <utility>
#include <vector>

namespace kvdtest {

// One XML element of a fixture: attributes in the order given, a text, children.
class XmlNode {
public:
    explicit XmlNode(std::string name) : m_name(std::move(name)) {}

    XmlNode &Attr(const std::string &name, const std::string &value);
    XmlNode &Attr(const std::string &name, double value); // "%f"
    XmlNode &Text(const std::string &text);
    // Appends a child and returns it (references stay valid as more children are added).
    XmlNode &Add(const std::string &name);
    // Appends a copy of a ready element.
    XmlNode &Add(const XmlNode &node);

    const std::string &Name() const { return m_name; }
    void Write(std::string &out) const;

private:
    std::string m_name;
    std::vector<std::pair<std::string, std::string>> m_attrs;
    std::string m_text;
    std::list<XmlNode> m_children;
};

// What a fixture "Settings" element holds; the defaults form a complete, valid block.
struct SettingsSpec {
    unsigned samples = 512;
    double timeZero = 20;
    double intervalNs = 0.2;
    double step = 0.05;
    std::string stepUnits = "m";
    double frequency = 250;
    double pulse = 400;
    std::string version = "1.2.0";
    // Required elements to leave out ("Trace", "StepSize", ...).
    std::vector<std::string> omit;
};
XmlNode &AddSettings(XmlNode &parent, const SettingsSpec &shape = SettingsSpec());

struct Position {
    double x = 0;
    double y = 0;
    double pos = 0; // normalized file position
    std::string units = "m";
};

// A "DataFile" with an "Odometer" (metres, 0 to the distance between the first and last
// position, step 0.05) and the given positions. seq < 0 leaves "seq" out.
XmlNode &AddDataFile(XmlNode &line, const std::string &name, const std::string &ext, int seq,
                     const std::vector<Position> &positions, const std::string &dirPath = "");

// A whole project document: head, root "ORQ_KVD" 1.1.0 and the given "Data" element.
std::string ProjectText(const XmlNode &data);

// A fresh "Data" element of that version.
XmlNode DataNode(const std::string &version = "1.2.0");

// Writes a radar line header with the keys the project library reads.
struct HeaderSpec {
    int traces = 100;
    int points = 512;
    double timeZero = 20;
    double timeWindow = 102.4;
    double start = 0;
    double final = 5;
    double step = 0.05;
    std::string units = "m";
    double frequency = 250;
    double separation = 1;
    double pulser = 400;
    int stacks = 4;
    std::string surveyMode = "Reflection";
    double odometer = 1000;
    std::string stackingType = "";
};
void WriteHeader(const std::string &path, const HeaderSpec &shape = HeaderSpec());

// A generated survey for benchmarks: lineCount lines in one set ("Grid"), X and Y lines in
// turn, each recorded as two ".dt1" data files with positions and fiducial comments.
std::string GeneratedProject(int lineCount, int positionsPerFile, int fidsPerFile);

} // namespace kvdtest
