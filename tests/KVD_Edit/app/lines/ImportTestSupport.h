#pragma once

// Helpers shared by the tests of the line import, deletion and row write-back: a project in a
// temporary folder with generated radar lines beside it.

#include "KVD3/KVDXmlFile.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace importtest {

// Counts the occurrences of what in text.
inline int Count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Writes the float position at byte 4 of a trace header of a generated trace file.
inline void SetTracePosition(const std::string &dt1, int samples, int trace, float position) {
    std::fstream f(dt1, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(trace) * (128 + 2 * samples) + 4);
    char bytes[4];
    std::memcpy(bytes, &position, 4);
    f.write(bytes, 4);
}

// A line of 101 traces, 0 to 5 m, that keeps its files small.
inline kvdtest::SRadarLine SmallLine() {
    kvdtest::SRadarLine line;
    line.traces = 101;
    line.samples = 16;
    line.start = 0;
    line.step = 0.05;
    line.synthetic = false;
    return line;
}

// A project file in a fresh folder, loaded.
class Project {
public:
    // head: the XML declaration the file starts with.
    explicit Project(const std::string &dataXml = "<Data version=\"1.2.0\"></Data>",
                     const std::string &head = "<?xml version='1.0'?>") {
        m_path = m_dir.File("proj/site.kvd");
        mkdir(m_dir.File("proj").c_str(), 0755);
        kvdtest::WriteFile(m_path,
                           head + "\n<ORQ_KVD version=\"1.1.0\">" + dataXml + "</ORQ_KVD>\n");
        m_file = std::make_unique<ORQ::CKVDXmlFile>();
        m_loaded = m_file->Initialize(m_path) == 1;
    }
    bool Loaded() const { return m_loaded; }
    ORQ::CKVDXmlFile *File() { return m_file.get(); }
    const std::string &Path() const { return m_path; }
    std::string Folder() const { return m_dir.File("proj"); }
    std::string Root() const { return m_dir.Path(); }
    // A generated line inside the project folder (sub: a sub-folder, made when missing).
    std::string AddLine(const std::string &name, const kvdtest::SRadarLine &line = SmallLine(),
                        const std::string &sub = "") {
        std::string folder = Folder();
        if (!sub.empty()) {
            folder += "/" + sub;
            mkdir(folder.c_str(), 0755);
        }
        kvdtest::WriteRadarLine(folder + "/" + name, line);
        return folder + "/" + name + ".dt1";
    }
    std::string Text() const {
        std::string out;
        if (m_file->GetFileHnd())
            m_file->GetFileHnd()->Serialize(out);
        return out;
    }

private:
    kvdtest::TempDir m_dir;
    std::string m_path;
    std::unique_ptr<ORQ::CKVDXmlFile> m_file;
    bool m_loaded = false;
};

} // namespace importtest
