#pragma once

// An open project file made from fixture text, for tests of the project file library.

#include "KVD3/KVDXmlFile.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/TestSupport.h"

#include <memory>
#include <string>

namespace kvdtest {

class ProjectFixture {
public:
    // Writes text as name inside a fresh folder and loads it.
    explicit ProjectFixture(const std::string &text, const std::string &name = "project.kvd")
        : m_path(m_dir.File(name)), m_file(std::make_unique<ORQ::CKVDXmlFile>()) {
        WriteFile(m_path, text);
        m_loaded = m_file->Initialize(m_path) == 1;
    }

    bool Loaded() const { return m_loaded; }
    ORQ::CKVDXmlFile *File() { return m_file.get(); }
    const TempDir &Dir() const { return m_dir; }
    const std::string &Path() const { return m_path; }

    // The document as it stands in memory.
    std::string Text() const {
        std::string out;
        if (m_file->GetFileHnd())
            m_file->GetFileHnd()->Serialize(out);
        return out;
    }

private:
    TempDir m_dir;
    std::string m_path;
    std::unique_ptr<ORQ::CKVDXmlFile> m_file;
    bool m_loaded = false;
};

} // namespace kvdtest
