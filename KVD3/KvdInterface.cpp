#include "KVD3/KvdInterface.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/VersionRecord.h"
#include "orq_utils/MessageSink.h"

#include <memory>

namespace ORQ {

namespace {

const char kVersionRecord[] =
    "KVDInterfaceRM\t1.1.0.0\tVersion 1 Release 1\t2005-02-07\tKVD3-KVDINTRFACE";
const char kSupportedVersion[] = "1.1.0";
const char kVersionWarning[] = "\nWarning: You are attempting to open a KVD file that is not "
                               "support by the current version of the software. ";
const char kLoadErrorsHeader[] =
    "The following errors have occured while attempting to load KVD:\n(creating a new KVD file "
    "and manually importing Lines in\nKVD_Edit may solve this problem)";

} // namespace

CKvdInterface::~CKvdInterface() = default;

CKvdInterface *CKvdInterface::CreateAndInit(CKVDXmlFile *file) {
    if (!file || !file->GotoRootNode())
        return nullptr;
    CStr errors;
    CStr version = kSupportedVersion;
    int overall = 0, major = 0, minor = 0, patch = 0;
    // A root without a version cannot be shown to be one this library reads.
    if (!file->NodeVersionCompatibility(version, overall, major, minor, patch) || major != 0 ||
        minor != 0 || patch != 0)
        errors += kVersionWarning;

    auto result = std::make_unique<CKvdInterface_V110>(file);
    const int loaded = result->LoadSiteDefinition(errors);
    if (!errors.empty())
        ShowMessage(CStr(kLoadErrorsHeader) + errors, MB_ICONWARNING);
    if (!loaded)
        return nullptr;
    return result.release();
}

int CKvdInterface::GetCreatedByBlock(SCreatedBy *records, int capacity) {
    return m_pFile ? m_pFile->GetCreatedByBlock(records, capacity) : 0;
}

CKvdInterface_V110::~CKvdInterface_V110() = default;

CKVDXmlFile *CKvdInterface_V110::GetBlock(CStr name) {
    if (!m_pFile || !m_pFile->GotoRootNode())
        return nullptr;
    return m_pFile->GotoChildNode(name, 0) ? m_pFile : nullptr;
}

int CKvdInterface_V110::LoadSiteDefinition(CStr &) {
    if (m_pFile) {
        m_pFile->GotoChildNode("SiteDefinition", 0);
        m_SiteDefinition.Load(m_pFile);
    }
    return 1;
}

} // namespace ORQ

void KVDInterface_GetVerStr(char *buffer, int size) {
    ORQ::CopyVersionRecord(ORQ::kVersionRecord, buffer, size);
}
