#include "KVD_Edit/app/edit/EditSnapshots.h"

#include "KVD_Edit/app/document/KvdGprDataFiles.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/XmlDom.h"
#include "orq_utils/FileReplacement.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

CEditSnapshots::~CEditSnapshots() {
    RemoveAll();
}

std::string CEditSnapshots::TempFolder() {
    const char *env = std::getenv("TMPDIR");
    std::string folder = env && *env ? env : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string CEditSnapshots::BasePath() const {
    return m_folder + "/base.xml";
}

std::string CEditSnapshots::RestorePointPath(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/restore%03d.xml", n);
    return m_folder + name;
}

bool CEditSnapshots::Open(const ORQ::CKVDXmlFile &file) {
    RemoveAll();
    std::string pattern = TempFolder() + "/KVD_Edit-edit-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        return false;
    m_folder = buffer.data();
    if (!Write(file, BasePath())) {
        RemoveAll();
        return false;
    }
    return true;
}

bool CEditSnapshots::Write(const ORQ::CKVDXmlFile &file, const std::string &path) {
    std::string bytes;
    if (!file.GetFileHnd() || !file.GetFileHnd()->Serialize(bytes))
        return false;
    // Only this session reads its snapshots, so they skip the flushing to disk; but a snapshot
    // is put in place whole or not at all, and never over a file of that name.
    return ORQ::CreateFileContent(path, bytes, 0600, false);
}

bool CEditSnapshots::SaveRestorePoint(const ORQ::CKVDXmlFile &file) {
    if (!IsOpen())
        return false;
    const int n = m_count + 1;
    // A restore point above the count was restored already and is gone; one left over (its
    // removal failed) is replaced.
    ::unlink(RestorePointPath(n).c_str());
    if (!Write(file, RestorePointPath(n)))
        return false;
    m_count = n;
    if (n > m_highestWritten)
        m_highestWritten = n;
    return true;
}

bool CEditSnapshots::Load(CKvdGprDataFiles &holder, const std::string &path) {
    ORQ::CKVDXmlFile *file = holder.GetKvdXmlFile();
    if (!file)
        return false;
    const ORQ::CStr projectPath = file->GetFilePathName();
    // Initialize keeps the document it has until the snapshot has loaded.
    if (file->Initialize(ORQ::CStr(path)) != 1)
        return false;
    // The lines' files are found beside the project, so the path goes back before the query
    // interface is built again.
    file->SetFilePathName(projectPath);
    holder.UpdateKvdDataBlockPtr();
    file->GotoRootNode();
    file->GotoChildNode("Data", 0);
    return true;
}

bool CEditSnapshots::Restore(CKvdGprDataFiles &holder) {
    if (!IsOpen())
        return false;
    if (m_count == 0)
        return Load(holder, BasePath());
    if (!Load(holder, RestorePointPath(m_count)))
        return false;
    ::unlink(RestorePointPath(m_count).c_str());
    --m_count;
    return true;
}

bool CEditSnapshots::RestoreBase(CKvdGprDataFiles &holder) {
    return IsOpen() && Load(holder, BasePath());
}

void CEditSnapshots::RemoveAll() {
    if (m_folder.empty())
        return;
    for (int n = 1; n <= m_highestWritten; ++n)
        ::unlink(RestorePointPath(n).c_str());
    ::unlink(BasePath().c_str());
    ::rmdir(m_folder.c_str());
    m_folder.clear();
    m_count = 0;
    m_highestWritten = 0;
}
