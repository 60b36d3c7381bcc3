#include "KVD3/KVDXmlFile.h"

#include "KVD3/VersionRecord.h"
#include "orq_utils/MessageSink.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace ORQ {

namespace {

const char kVersionRecord[] =
    "KVDXmlFile\t1.1.1.0\tVersion 1 Release 1\t2005-10-14\tKVD3-KVDXMLFILE";
const int kScratchSize = 256;

} // namespace

CKVDXmlFile::CKVDXmlFile() : m_tmpTxt(kScratchSize, '\0') {
    KVDVersionToNum("1.1.0", m_version);
}

CKVDXmlFile::~CKVDXmlFile() {
    ReleasePositions();
}

void CKVDXmlFile::ReleasePositions() {
    if (m_dom)
        for (void *h : m_positions)
            m_dom->ReleaseNodeHandle(h);
    m_positions.clear();
}

int CKVDXmlFile::Uninitialize() {
    ReleasePositions();
    m_dom.reset();
    return 1;
}

int CKVDXmlFile::NewDocument() {
    try {
        auto dom = std::make_unique<CXmlDom>();
        dom->SetProgress(m_progress);
        ReleasePositions();
        m_dom = std::move(dom);
        return 1;
    } catch (...) {
        return 0;
    }
}

int CKVDXmlFile::Initialize(CStr path) {
    // The file is loaded into a wrapper of its own: the current document, path and positions
    // are given up only once the new file has loaded, so a failed load can never lead a later
    // save to write an empty document over the last good file.
    std::unique_ptr<CXmlDom> dom;
    try {
        dom = std::make_unique<CXmlDom>();
        dom->SetProgress(m_progress);
    } catch (...) {
        return 0;
    }
    if (dom->LoadFile(path.c_str()) != 1) {
        const std::string why = dom->GetLoadFailure().empty()
                                    ? std::string("File does not appear to be in XML format.")
                                    : dom->GetLoadFailure();
        ShowMessage("Failed to load file:\n" + path + "\n" + why + "\nOperation aborted.",
                    MB_ICONWARNING);
        return 0;
    }
    ReleasePositions();
    m_dom = std::move(dom);
    m_path = path;
    return 1;
}

void CKVDXmlFile::SetProgress(std::function<void()> progress) {
    m_progress = std::move(progress);
    if (m_dom)
        m_dom->SetProgress(m_progress);
}

int CKVDXmlFile::Save(CStr path) {
    if (!path.empty())
        m_path = path;
    if (m_path.empty())
        return XML_SAVE_NO_PATH;
    if (!m_dom)
        return XML_SAVE_WRITE_FAILED;
    return m_dom->SaveFile(m_path.c_str());
}

CFileStamp CKVDXmlFile::GetFileStamp() const {
    return m_dom ? m_dom->GetFileStamp() : CFileStamp();
}

int CKVDXmlFile::GotoRootNode() {
    return m_dom ? m_dom->MoveToRootNode() : 0;
}

int CKVDXmlFile::GotoParentNode() {
    return m_dom ? m_dom->MoveToParentNode(nullptr) : 0;
}

int CKVDXmlFile::MoveToNthChild(const CStr &name, int n) {
    if (!m_dom->MoveToFirstChildNode(name.c_str()))
        return 0;
    while (n > 0) {
        --n;
        if (!m_dom->MoveToNextSiblingNode(name.c_str())) {
            m_dom->MoveToParentNode(nullptr);
            return 0;
        }
    }
    return 1;
}

int CKVDXmlFile::GotoChildNode(CStr name, int n) {
    if (!m_dom)
        return 0;
    if (name.empty())
        return m_dom->MoveToFirstChildNode(nullptr);
    return MoveToNthChild(name, n);
}

int CKVDXmlFile::GotoNextSibling() {
    return m_dom ? m_dom->MoveToNextSiblingNode(nullptr) : 0;
}

int CKVDXmlFile::GotoNextSibling(CStr name) {
    return m_dom ? m_dom->MoveToNextSiblingNode(name.c_str()) : 0;
}

int CKVDXmlFile::GetNodeName(CStr &out) {
    std::string text;
    if (!m_dom || !m_dom->GetNodeName(text))
        return 0;
    out = text;
    return 1;
}

int CKVDXmlFile::GetNodeText(CStr &out) {
    std::string text;
    if (!m_dom || !m_dom->GetNodeText(text))
        return 0;
    out = text;
    return 1;
}

int CKVDXmlFile::GetNodeAttribute(CStr &nameInOut) {
    std::string value;
    if (!m_dom || !m_dom->GetNodeAttributeText(nameInOut, value))
        return 0;
    nameInOut = std::move(value);
    return 1;
}

int CKVDXmlFile::GetSubNodeText(CStr &nameInOut, int n) {
    if (!GotoChildNode(nameInOut, n))
        return 0;
    const int result = GetNodeText(nameInOut);
    m_dom->MoveToParentNode(nullptr);
    return result;
}

int CKVDXmlFile::GetSubNodeAttribute(CStr &attributeInOut, CStr child, int n) {
    if (!GotoChildNode(child, n))
        return 0;
    const int result = GetNodeAttribute(attributeInOut);
    m_dom->MoveToParentNode(nullptr);
    return result;
}

int CKVDXmlFile::SetNodeAttribute(CStr name, CStr value) {
    return m_dom ? m_dom->SetNodeAttributeText(name.c_str(), value.c_str()) : 0;
}

int CKVDXmlFile::SetNodeText(CStr text) {
    if (!m_dom || !m_dom->HasCurrentNode())
        return 0;
    if (m_dom->SetNodeText(text.c_str()))
        return 1;
    // Mixed content whose first child is not the text: leave it alone.
    if (m_dom->MoveToFirstChildNode(nullptr)) {
        bool hasText = false;
        do {
            short children, attributes, isText;
            m_dom->GetNodeInfo(children, attributes, isText);
            hasText = hasText || isText;
        } while (!hasText && m_dom->MoveToNextSiblingNode(nullptr));
        m_dom->MoveToParentNode(nullptr);
        if (hasText)
            return 0;
    }
    return m_dom->AppendTextChildNode(text.c_str());
}

int CKVDXmlFile::SetSubNodeText(CStr child, CStr text, int n) {
    if (!GotoChildNode(child, n))
        return 0;
    const int result = SetNodeText(text);
    m_dom->MoveToParentNode(nullptr);
    return result;
}

int CKVDXmlFile::SetSubNodeAttribute(CStr child, CStr name, CStr value, int n) {
    if (!GotoChildNode(child, n))
        return 0;
    const int result = SetNodeAttribute(name, value);
    m_dom->MoveToParentNode(nullptr);
    return result;
}

int CKVDXmlFile::AppendChildNode(CStr name) {
    return m_dom ? m_dom->AppendChildNode(name.c_str()) : 0;
}

int CKVDXmlFile::AppendTextChildNode(CStr text) {
    return m_dom ? m_dom->AppendTextChildNode(text.c_str()) : 0;
}

int CKVDXmlFile::RemoveCurrentNode() {
    return m_dom ? m_dom->RemoveCurrentNode() : 0;
}

int CKVDXmlFile::PushPosition() {
    if (!m_dom)
        return 0;
    void *h = m_dom->GetCurrentNodeHandle();
    if (!h)
        return 0;
    try {
        m_positions.push_back(h);
    } catch (...) {
        m_dom->ReleaseNodeHandle(h);
        return 0;
    }
    return 1;
}

int CKVDXmlFile::GotoTopPosition() {
    if (!m_dom || m_positions.empty())
        return 0;
    return m_dom->MoveToHandleNode(m_positions.back());
}

int CKVDXmlFile::PopPosition() {
    if (!m_dom || m_positions.empty())
        return 0;
    m_dom->ReleaseNodeHandle(m_positions.back());
    m_positions.pop_back();
    return 1;
}

void *CKVDXmlFile::GetCurrentNodeHandle() {
    return m_dom ? m_dom->GetCurrentNodeHandle() : nullptr;
}

int CKVDXmlFile::MoveToHandleNode(void *handle) {
    return m_dom ? m_dom->MoveToHandleNode(handle) : 0;
}

const void *CKVDXmlFile::GetCurrentNodeKey() const {
    return m_dom ? m_dom->GetCurrentNodeKey() : nullptr;
}

void CKVDXmlFile::ReleaseNodeHandle(void *handle) {
    if (m_dom)
        m_dom->ReleaseNodeHandle(handle);
}

} // namespace ORQ

void KVDXmlFile_GetVerStr(char *buffer, int size) {
    ORQ::CopyVersionRecord(ORQ::kVersionRecord, buffer, size);
}
