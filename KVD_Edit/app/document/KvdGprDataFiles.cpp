#include "KVD_Edit/app/document/KvdGprDataFiles.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"

#include <new>

CKvdGprDataFiles::CKvdGprDataFiles() = default;

CKvdGprDataFiles::~CKvdGprDataFiles() {
    Release();
}

void CKvdGprDataFiles::Release() {
    m_interface.reset();
    m_file.reset();
    ++m_generation;
    ++m_fileGeneration;
}

int CKvdGprDataFiles::LoadKvdXmlFile(const char *path) {
    Release();
    if (!path)
        return 0;
    m_file.reset(new (std::nothrow) ORQ::CKVDXmlFile());
    if (!m_file)
        return 0;
    // The load, the reading of the data block and every later save keep the busy dialog going.
    m_file->SetProgress(&BusyTick);
    if (m_file->Initialize(ORQ::CStr(path)) != 1) {
        Release();
        return 0;
    }
    m_interface.reset(ORQ::CKvdDataBlockInterface::CreateAndInit(m_file.get(), 1, nullptr));
    if (!m_interface) {
        Release();
        return 0;
    }
    if (!m_file->GotoRootNode() || !m_file->GotoChildNode("Data", 0)) {
        Release();
        return 0;
    }
    return 1;
}

int CKvdGprDataFiles::UpdateKvdDataBlockPtr() {
    ++m_generation;
    m_interface.reset();
    if (!m_file)
        return 0;
    m_interface.reset(ORQ::CKvdDataBlockInterface::CreateAndInit(m_file.get(), 1, nullptr));
    return m_interface ? 1 : 0;
}

int CKvdGprDataFiles::SaveKvdXmlFile(const char *path) {
    if (!m_file)
        return XML_SAVE_WRITE_FAILED;
    const ORQ::CStr previous = m_file->GetFilePathName();
    const int result = m_file->Save(ORQ::CStr(path ? path : ""));
    if (result != 0)
        m_file->SetFilePathName(previous);
    return result;
}

std::string CKvdGprDataFiles::GetFilePathName() const {
    return m_file ? std::string(m_file->GetFilePathName()) : std::string();
}

ORQ::CKvdDataBlockInterface_V110 *CKvdGprDataFiles::GetDataBlockInterface() const {
    return dynamic_cast<ORQ::CKvdDataBlockInterface_V110 *>(m_interface.get());
}
