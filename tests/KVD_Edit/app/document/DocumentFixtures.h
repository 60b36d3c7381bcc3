#pragma once

// Fixture projects and small inspection helpers shared by the tests of the project document's
// classes.

#include "tests/support/ProjectBuilder.h"
#include "tests/support/TestSupport.h"

#include <string>
#include <vector>

namespace doctest {

// The program's shipped template, from the source tree.
inline std::string TemplatePath() {
    return KVD_SOURCE_DIR "/resources/BlankTemplate.kvd";
}

// A project made by creator, modified by each of modifiers in turn, with one line.
inline std::string AuthoredProject(const std::string &creator,
                                   const std::vector<std::string> &modifiers = {},
                                   const std::string &version = "1.1.0") {
    kvdtest::XmlNode data = kvdtest::DataNode(version);
    kvdtest::XmlNode &created = data.Add("CreatedBy");
    created.Attr("name", creator)
        .Attr("version", "2.0")
        .Attr("DIP", "X")
        .Attr("date", "2020-01-02")
        .Attr("time", "10:11:12");
    for (const auto &m : modifiers)
        created.Add("ModifiedBy").Attr("name", m).Attr("comment", "");
    kvdtest::AddSettings(data);
    kvdtest::AddDataFile(data.Add("Line").Attr("name", "L1"), "L1", ".dt1", 1,
                         {{0, 0, 0}, {0, 5, 1}});
    return kvdtest::ProjectText(data);
}

// Two line sets, "A" with 3 lines and "B" with 5.
inline std::string TwoSetProject() {
    kvdtest::XmlNode data = kvdtest::DataNode("1.2.0");
    kvdtest::AddSettings(data);
    const int counts[2] = {3, 5};
    const char *names[2] = {"A", "B"};
    for (int s = 0; s < 2; ++s) {
        kvdtest::XmlNode &set = data.Add("LineSet");
        set.Attr("name", names[s]);
        for (int l = 0; l < counts[s]; ++l) {
            const std::string name = std::string(names[s]) + std::to_string(l + 1);
            kvdtest::AddDataFile(set.Add("Line").Attr("name", name), name, ".dt1", 1,
                                 {{double(l), 0, 0}, {double(l), 5, 1}});
        }
    }
    return kvdtest::ProjectText(data);
}

// Number of elements `name` in an XML text.
inline int CountElements(const std::string &text, const std::string &name) {
    int n = 0;
    for (size_t pos = 0; (pos = text.find("<" + name, pos)) != std::string::npos; ++pos) {
        const char next = pos + name.size() + 1 < text.size() ? text[pos + name.size() + 1] : 0;
        if (next == ' ' || next == '>' || next == '/')
            ++n;
    }
    return n;
}

// Number of places where part stands in text.
inline int CountText(const std::string &text, const std::string &part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace doctest
