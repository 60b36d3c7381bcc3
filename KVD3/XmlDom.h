#pragma once

#include "KVD3/Kvd3Export.h"
#include "orq_utils/FileStamp.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// The library's one contact with the XML parser. A wrapper owns one document, keeps a single
// current node (a cursor), hands out node handles and loads and saves the document as a file.
//
// Text crossing the interface (names, texts, attribute values, comments) is the system's 8-bit
// code page 1252, in and out, one byte a character; the tree holds UTF-8, and the wrapper
// converts on the way in and out. A character the code page lacks reads as '?'; writing back the
// text read leaves such a character as it was. Paths are passed to the file system as they are.
// Results are 16-bit codes: 1 done, 0 not done; the save returns one of EXmlSaveResult. No
// operation lets an exception escape.
//
// What the tree keeps and how it is written:
// - white-space-only text between elements is dropped on load, real text is kept as it is;
// - the XML declaration is a processing instruction with the target "xml";
// - attributes keep their order, a replaced attribute keeps its place;
// - a file is read in the encoding its declaration names (UTF-8 when it names none); 8-bit bytes
//   are read as code page 1252 where a file declares ISO-8859-1 or ASCII, or declares UTF-8 and
//   holds bytes that are no UTF-8, as files written on Windows do;
// - a save writes the nodes as they are (no indentation), in the encoding that the declaration
//   names (UTF-8 when it names none); a character that encoding lacks is written as a character
//   reference in text and attribute values, and as '?' in names and comments; the file is
//   replaced through a temporary file beside it;
// - a removed node, and any document replaced by a later load, stays alive until the wrapper
//   goes, so handles and remembered positions never dangle.
// What a save returns (values as stored callers compare them).
enum EXmlSaveResult : short {
    XML_SAVE_OK = 0,
    XML_SAVE_NO_PATH = 201,        // no path given and none loaded
    XML_SAVE_NOT_ACCESSIBLE = 202, // the file (or a temporary file beside it) cannot be opened
    XML_SAVE_WRITE_FAILED = -200,  // writing failed; the old file is left whole
};

class KVD3_API CXmlDom {
public:
    CXmlDom();
    virtual ~CXmlDom();
    CXmlDom(const CXmlDom &) = delete;
    CXmlDom &operator=(const CXmlDom &) = delete;

    // Builds the head of a new document: the declaration "version='1.0'", the root element and,
    // when comment is given and not empty, a comment as the root's first child. 0 when the
    // document already has a child node or the root name is not a valid element name.
    short InitializeNewXmlFile(const char *comment, const char *rootName);
    // Keeps the path, probes the file for writing, loads it; the root element becomes current.
    // 0 (nothing changed but the kept path and the probe) when the file does not load.
    short LoadFile(const char *path);
    // Writes the document to path, or to the loaded path when path is null or empty.
    short SaveFile(const char *path);

    short MoveToRootNode();
    // name null: the parent; else the nearest ancestor element of that name.
    short MoveToParentNode(const char *name);
    // name null: the first child of any kind; else the first child element of that name.
    short MoveToFirstChildNode(const char *name);
    // name null: the next sibling of any kind; else the next following sibling element so named.
    short MoveToNextSiblingNode(const char *name);

    bool HasCurrentNode() const;
    // The current node's name: an element's tag, "#text", "#comment", "#cdata-section",
    // "#document", or the target of a processing instruction ("xml" for the declaration).
    bool GetNodeName(std::string &out) const;
    // The text of the current node when it is a text node, else of its first child when that is
    // a text node.
    bool GetNodeText(std::string &out) const;
    bool GetNodeAttributeText(const std::string &name, std::string &out) const;
    short SetNodeText(const char *text);
    // value null removes the attribute. 0 when the current node is not an element or the name
    // is not a valid attribute name.
    short SetNodeAttributeText(const char *name, const char *value);
    void GetNodeInfo(short &hasChildren, short &hasAttributes, short &isText) const;

    short AppendChildNode(const char *name);
    short AppendTextChildNode(const char *text);
    short AppendComment(const char *text);
    short RemoveCurrentNode();

    void *GetCurrentNodeHandle();
    short MoveToHandleNode(void *handle);
    void ReleaseNodeHandle(void *handle);
    // What tells the current node from every other node of the wrapper's document while it is
    // loaded (removed nodes included), without taking a handle; null without a current node.
    // It cannot be moved to.
    const void *GetCurrentNodeKey() const;
    // Handles handed out and not yet released.
    size_t GetHandleCount() const;

    // The path given to the last load, and whether the last probe could open the file.
    const std::string &GetPath() const;
    int IsFileAccessible() const;
    // Why the last load failed, as a sentence for people ("File does not appear to be in XML
    // format.", a file too large or nested too deeply, one that cannot be opened); empty after a
    // load that worked.
    const std::string &GetLoadFailure() const;
    // The file as this wrapper last loaded or saved it (its state then, with the digest of the
    // bytes where the state needs one); empty before the first load or save that worked. A save
    // to another path stamps that file.
    const ORQ::CFileStamp &GetFileStamp() const;

    // The document as a save would write it (in its encoding), without touching any file.
    bool Serialize(std::string &out) const;

    // Called again and again while a load or a save runs, after each block of the file read,
    // written or built (some tens of KiB), so that a program keeps its windows alive during the
    // work. The call must not use this wrapper. Empty (the default): nothing is called.
    void SetProgress(std::function<void()> progress);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The plain interface of the wrapper: each function takes the wrapper first. A null wrapper
// gives the "not done" result (201 for a save).
KVD3_API CXmlDom *XmlDom_GetHandle();
KVD3_API void XmlDom_ReleaseHandle(CXmlDom *dom);
// Writes the module's version record, always terminated inside the buffer; 0 when it fit,
// 1 when it was cut short, -1 when there is no room at all.
KVD3_API short XmlDom_GetVerStr(char *buffer, int size);

KVD3_API short XmlDom_InitializeNewXmlFile(CXmlDom *dom, const char *comment, const char *root);
KVD3_API short XmlDom_LoadFile(CXmlDom *dom, const char *path);
KVD3_API short XmlDom_SaveFile(CXmlDom *dom, const char *path);

KVD3_API short XmlDom_MoveToRootNode(CXmlDom *dom);
KVD3_API short XmlDom_MoveToParentNode(CXmlDom *dom, const char *name);
KVD3_API short XmlDom_MoveToFirstChildNode(CXmlDom *dom, const char *name);
KVD3_API short XmlDom_MoveToNextSiblingNode(CXmlDom *dom, const char *name);

// The text getters copy into buffer (its size in bytes in *size) when the text and its
// terminator fit (result 1); otherwise the buffer is left alone (result 0). Either way *size
// becomes the text's length plus one; 0 with no current node or no such text.
KVD3_API short XmlDom_GetNodeName(CXmlDom *dom, char *buffer, int *size);
KVD3_API short XmlDom_GetNodeText(CXmlDom *dom, char *buffer, int *size);
// buffer holds the attribute name on entry.
KVD3_API short XmlDom_GetNodeAttributeText(CXmlDom *dom, char *buffer, int *size);
KVD3_API short XmlDom_SetNodeText(CXmlDom *dom, const char *text);
KVD3_API short XmlDom_SetNodeAttributeText(CXmlDom *dom, const char *name, const char *value);
KVD3_API void XmlDom_GetNodeInfo(CXmlDom *dom, short *hasChildren, short *hasAttributes,
                                 short *isText);
KVD3_API short XmlDom_AppendChildNode(CXmlDom *dom, const char *name);
KVD3_API short XmlDom_AppendTextChildNode(CXmlDom *dom, const char *text);
KVD3_API short XmlDom_AppendComment(CXmlDom *dom, const char *text);
KVD3_API short XmlDom_RemoveCurrentNode(CXmlDom *dom);

KVD3_API void *XmlDom_GetCurrentNodeHandle(CXmlDom *dom);
KVD3_API short XmlDom_MoveToHandleNode(CXmlDom *dom, void *handle);
KVD3_API void XmlDom_ReleaseNodeHandle(CXmlDom *dom, void *handle);
