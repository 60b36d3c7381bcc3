#pragma once

#include "KVD3/Kvd3Export.h"
#include "KVD3/SiteDefinition.h"
#include "orq_utils/Str.h"

namespace ORQ {

class CKVDXmlFile;
struct SCreatedBy;

// A whole-file interface over an open project file for clients of the library: it checks the
// root's version and reads the site definition. The file is not owned and must outlive the
// interface.
class KVD3_API CKvdInterface {
public:
    CKvdInterface() = default;
    CKvdInterface(const CKvdInterface &) = default;
    CKvdInterface &operator=(const CKvdInterface &) = default;
    virtual ~CKvdInterface();

    // The interface of an open project file (null when the file is null or has no root
    // element), the caller owns it. A root whose "version" is not "1.1.0", or that has none, is
    // reported in one message box with the other problems found; the file is read all the same.
    static CKvdInterface *CreateAndInit(CKVDXmlFile *file);

    // The root's first child of that name (of any kind when the name is empty) becomes the
    // file's current node: the file, or null with the cursor on the root when there is none.
    virtual CKVDXmlFile *GetBlock(CStr name) = 0;
    virtual const CSiteDefinition *GetSiteDefinition() const = 0;
    // Reads the current node's first "SiteDefinition" child (the current node itself when it
    // has none); problems are appended to errors. Returns 1.
    virtual int LoadSiteDefinition(CStr &errors) = 0;

    // CKVDXmlFile::GetCreatedByBlock of the file: at most capacity records; 0 without a file.
    int GetCreatedByBlock(SCreatedBy *records, int capacity);

protected:
    explicit CKvdInterface(CKVDXmlFile *file) : m_pFile(file) {}

    CKVDXmlFile *m_pFile = nullptr;
};

class KVD3_API CKvdInterface_V110 : public CKvdInterface {
public:
    explicit CKvdInterface_V110(CKVDXmlFile *file) : CKvdInterface(file) {}
    CKvdInterface_V110(const CKvdInterface_V110 &) = default;
    CKvdInterface_V110 &operator=(const CKvdInterface_V110 &) = default;
    ~CKvdInterface_V110() override;

    CKVDXmlFile *GetBlock(CStr name) override;
    const CSiteDefinition *GetSiteDefinition() const override { return &m_SiteDefinition; }
    int LoadSiteDefinition(CStr &errors) override;

private:
    CSiteDefinition m_SiteDefinition;
};

} // namespace ORQ

// Writes the module's version record into buffer (size bytes), cut short when it does not fit
// and always terminated inside the buffer; the whole record takes 71 bytes.
KVD3_API void KVDInterface_GetVerStr(char *buffer, int size);
