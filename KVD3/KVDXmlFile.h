#pragma once

#include "KVD3/Kvd3Export.h"
#include "KVD3/XmlDom.h"
#include "orq_utils/DateTime.h"
#include "orq_utils/FileStamp.h"
#include "orq_utils/Str.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace ORQ {

class Tamsel;

// The record of one program run that created or modified a project file.
struct KVD3_API SCreatedBy {
    CStr name;      // the program's name
    CStr version;   // the program's version
    CStr DIP;       // the program's DIP text
    CDateTime when; // date and time of the run
    CStr comment;   // what was done (written for modified-by records only)
};

// The open project file: one XML document with a current-node cursor, a stack of remembered
// positions and the file's path. Operations return 1 for success and 0 for failure unless said
// otherwise; a getter that fails leaves its in/out string as it was (holding the name it was
// given). Names and texts have no length limit. No operation throws.
class KVD3_API CKVDXmlFile {
public:
    struct SVersion {
        int major = 0;
        int minor = 0;
        int patch = 0;
        CStr text;
    };

    // The record of a "Process" element.
    struct SProcess {
        int operationId = 0; // packed text id (Str2UID)
        CStr implementation;
        CStr version;
        CStr DIP;
        int buffer = 0; // 1 yes, 0 no
        short ID = 0;
    };

    // The record of a "Component" element.
    struct SComponent {
        CStr name;
        CStr version;
        CStr SN;
        int typeId = 0;       // packed text id (Str2UID)
        int sensorStatus = 0; // 1 on, -1 not on, 0 no sensor
        int sensorID = 0;
    };

    CKVDXmlFile();
    virtual ~CKVDXmlFile();
    CKVDXmlFile(const CKVDXmlFile &) = delete;
    CKVDXmlFile &operator=(const CKVDXmlFile &) = delete;

    // Loads a project file. On success the document, the path and the cursor (on the root
    // element) are the file's and the position stack is empty. On failure a message is shown and
    // the object stays exactly as it was (its document, path and positions).
    int Initialize(CStr path);
    // A non-empty path first becomes the kept path (also when the save then fails); the document
    // is written to the kept path, replacing the file only once the new one is complete.
    // One of EXmlSaveResult; XML_SAVE_WRITE_FAILED also when nothing is loaded.
    int Save(CStr path);
    CStr GetFilePathName() const { return m_path; }
    // The file as this object last loaded or saved it (CXmlDom::GetFileStamp): what tells a
    // later save whether another program has written the file since. Empty before either.
    CFileStamp GetFileStamp() const;
    void SetFilePathName(CStr path) { m_path = path; }
    // The wrapper, for callers that use the XmlDom_* functions on this document; null until a
    // file is loaded. The scratch buffer (GetMaxTxtSz() bytes) serves such callers.
    CXmlDom *GetFileHnd() const { return m_dom.get(); }
    char *GetPtrTmpTxt() { return m_tmpTxt.data(); }
    int GetMaxTxtSz() const { return static_cast<int>(m_tmpTxt.size()); }
    bool IsLoaded() const { return m_dom != nullptr; }
    // Called again and again during long work on the project: each block of a load or a save
    // and each line read into a data block, so that a program keeps its windows alive while it
    // runs. The call must not use this object. Empty (the default): nothing is called.
    void SetProgress(std::function<void()> progress);
    void ReportProgress() const {
        if (m_progress)
            m_progress();
    }
    const SVersion &GetVersion() const { return m_version; }

    // Navigation: on failure the cursor stays where it was.
    int GotoRootNode();
    int GotoParentNode();
    // Empty name: the first child of any kind (n unused). Else the child element of that name
    // that follows n earlier children of the name (n = 0: the first).
    int GotoChildNode(CStr name, int n);
    int GotoNextSibling();
    int GotoNextSibling(CStr name);

    int GetNodeName(CStr &out);
    // The text of the current node when it is a text node, else of its first child when that is
    // a text node.
    int GetNodeText(CStr &out);
    int GetNodeAttribute(CStr &nameInOut);
    int GetSubNodeText(CStr &nameInOut, int n);
    int GetSubNodeAttribute(CStr &attributeInOut, CStr child, int n);

    int SetNodeAttribute(CStr name, CStr value);
    // Replaces the current element's text, or gives an element without text a text child; 0 for
    // mixed content whose first child is not its text.
    int SetNodeText(CStr text);
    int SetSubNodeText(CStr child, CStr text, int n);
    int SetSubNodeAttribute(CStr child, CStr name, CStr value, int n);
    int AppendChildNode(CStr name);
    int AppendTextChildNode(CStr text);
    int RemoveCurrentNode();

    // The position stack: push; go to the top position (which stays); pop (without moving).
    int PushPosition();
    int GotoTopPosition();
    int PopPosition();
    size_t GetPositionCount() const { return m_positions.size(); }
    void *GetCurrentNodeHandle();
    int MoveToHandleNode(void *handle);
    void ReleaseNodeHandle(void *handle);
    // CXmlDom::GetCurrentNodeKey: null when nothing is loaded.
    const void *GetCurrentNodeKey() const;

    // Versions and authorship records.
    int NodeVersionCompatibility(CStr &versionInOut, int &overall, int &major, int &minor,
                                 int &patch);
    static CStr KVDVersionToStr(const SVersion &version);
    static int KVDVersionToNum(CStr text, SVersion &out);
    int AppendCreatedByBlock(const SCreatedBy &record);
    int AppendModifiedByBlock(const SCreatedBy &record);
    // Fills at most capacity records (the created-by record, then its modified-by records in
    // document order); returns the number filled.
    int GetCreatedByBlock(SCreatedBy *records, int capacity);
    int GetProcess(SProcess *out);
    int GetComponent(SComponent *out);

    // The settings members, built with the settings block.
    void *LoadSettings110FromHd(const Tamsel &hd);
    int WriteSettingsBlock_V110(const Tamsel &hd, double stepSize);
    // Results of CreateNewFile_V110 besides the save codes of Save (EXmlSaveResult).
    enum ECreateResult : int {
        CREATE_EMPTY_LIST = 1, // no data files: the new document is held, nothing is saved
        CREATE_FAILED = -1,    // the failure was shown in a message box; nothing is saved
    };
    // Builds a new project file from radar data files and saves it to path: the document head,
    // a "SiteDefinition" from the first trace file's header and a "Data" block with one "Line"
    // per line number of the file names (Line1, Line2, ...). The list holds full paths of
    // trace files (".dt1", each with its ".hd" header beside it) and sensor files (".sen");
    // other files are passed over, and so is a trace file whose header does not load. Data files
    // are found whatever the letter case of their names. dataFolder (null or empty: the folder
    // of the first path) holds them and is written as the data folder. When the file names span
    // more than one line number, the line offset dialog asks for the distance between
    // neighbouring lines (metres); each line's linear reference lies (line number - 1) times
    // that distance to the side, in the unit of the line's header.
    // A line none of whose data files can be written is left out, and the problem is shown once
    // after the save. On success the new document is held with path as its kept path (none
    // when path is empty); on any failure the document, path and positions held before stay.
    int CreateNewFile_V110(CStr path, const SCreatedBy &createdBy, const std::vector<CStr> &files,
                           const char *dataFolder);

protected:
    int Uninitialize();
    // Appends the "Data" block of the new-file writer under the current node (the root) and
    // returns to it. dataFolder ends with a folder separator. 1 written; 0 when a sensor file
    // cannot be read (the error is appended to errors). Warnings about lines left out are
    // appended to errors either way.
    int WriteDataBlock_V110(const SCreatedBy &createdBy, const std::vector<CStr> &files,
                            CStr dataFolder, CStr &errors);
    // The odometer range of a sensor file (an XML document whose root has an "Odometer" child
    // with "start", "end" and "units"): 1 read, 0 when the file does not load (its message is
    // shown) or has no "Odometer". A missing "units" reads as "m"; a value that is no finite
    // number as 0.
    static int GetSenOdometer(CStr path, double &start, double &end, CStr &unit);
    // Appends a "SiteDefinition" under the current node from the created-by record and the
    // date line of the radar line header at headerPath; the cursor stays. Returns 1.
    int WriteSiteDefinition(const SCreatedBy &createdBy, CStr headerPath);
    // Replaces the document by a new empty one (for writers that build a file from nothing).
    int NewDocument();

private:
    class CHeldDocument;

    void ReleasePositions();
    // Moves to the first child of the current node named name that follows n earlier ones.
    int MoveToNthChild(const CStr &name, int n);

    SVersion m_version;
    std::vector<char> m_tmpTxt;
    std::unique_ptr<CXmlDom> m_dom;
    CStr m_path;
    std::deque<void *> m_positions;
    std::function<void()> m_progress;
};

} // namespace ORQ

// Writes the module's version record into buffer, always terminated inside it.
KVD3_API void KVDXmlFile_GetVerStr(char *buffer, int size);
