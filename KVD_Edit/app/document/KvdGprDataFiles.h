#pragma once

#include <memory>
#include <string>

namespace ORQ {
class CKVDXmlFile;
class CKvdDataBlockInterface;
class CKvdDataBlockInterface_V110;
} // namespace ORQ

// The document's holder of the open project file and of the read-only query interface that the
// project library builds over its "Data" element. Parts of the editor that list lines ask the
// interface; parts that edit move the file's cursor, edit nodes and then have the holder
// rebuild the interface. The interface exists only while a file exists and goes before it.
class CKvdGprDataFiles {
public:
    CKvdGprDataFiles();
    ~CKvdGprDataFiles();
    CKvdGprDataFiles(const CKvdGprDataFiles &) = delete;
    CKvdGprDataFiles &operator=(const CKvdGprDataFiles &) = delete;

    // Deletes the interface, then the file object.
    void Release();
    void Close() { Release(); }
    void Clear() { Release(); }

    // Loads a project: 1 loaded (interface built, cursor on "Data"), 0 failed. Whatever was
    // held before is released first; a failed load leaves the holder empty. The library shows
    // its own messages (a file that is not XML, errors collected in the data block).
    int LoadKvdXmlFile(const char *path);
    // Rebuilds the query interface over the file as it stands: 1 rebuilt, 0 failed (the file
    // stays, without interface). The rebuild may move the cursor.
    int UpdateKvdDataBlockPtr();
    // Writes the project: to path when given (not null, not empty), else to the file's own
    // path. 0 written, else the library's failure code. The file takes a new path only once it
    // has been written there; a failed write keeps the path it had.
    int SaveKvdXmlFile(const char *path);

    // The project's path, empty when no file is held.
    std::string GetFilePathName() const;
    // The query interface, null when there is none.
    ORQ::CKvdDataBlockInterface_V110 *GetDataBlockInterface() const;
    // The project file, null when none is loaded.
    ORQ::CKVDXmlFile *GetKvdXmlFile() const { return m_file.get(); }

    // Counters that tell what others derived from the project is out of date: the first grows
    // whenever the file object or the query interface is replaced or released (after every
    // structural edit), the second only when the file object is released.
    unsigned GetGeneration() const { return m_generation; }
    unsigned GetFileGeneration() const { return m_fileGeneration; }

private:
    std::unique_ptr<ORQ::CKVDXmlFile> m_file;
    std::unique_ptr<ORQ::CKvdDataBlockInterface> m_interface;
    unsigned m_generation = 0;
    unsigned m_fileGeneration = 0;
};
