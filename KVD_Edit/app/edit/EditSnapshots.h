#pragma once

#include <string>

class CKvdGprDataFiles;

namespace ORQ {
class CKVDXmlFile;
}

// The editing dialog's snapshots of the project XML: the base snapshot taken when the dialog
// opens (what Cancel returns to) and one numbered restore point before each applied edit (what
// Undo steps back to). They live in a private folder of their own (made with mkdtemp, mode
// 0700) below the temporary folder; each file is created exclusively (never through a name
// someone else made). Every file and the folder are removed when the object goes.
//
// Restoring reads a snapshot into the project file object, which gives up its document only
// once the snapshot has loaded: a snapshot that cannot be read leaves the project as it was.
// The project's own path is never changed by writing or restoring a snapshot.
class CEditSnapshots {
public:
    CEditSnapshots() = default;
    ~CEditSnapshots();
    CEditSnapshots(const CEditSnapshots &) = delete;
    CEditSnapshots &operator=(const CEditSnapshots &) = delete;

    // Makes the folder and writes the base snapshot of file. False (nothing left behind) when
    // either fails.
    bool Open(const ORQ::CKVDXmlFile &file);
    bool IsOpen() const { return !m_folder.empty(); }

    // Writes restore point count + 1 of file; true (and counted) only when it was written.
    bool SaveRestorePoint(const ORQ::CKVDXmlFile &file);
    // Restore points written and not yet restored.
    int GetCount() const { return m_count; }

    // Loads the latest restore point (the base snapshot at count 0) into the holder, with the
    // project's path kept; on success the count goes down by one (never below 0) and that
    // restore point is removed. False, with the holder unchanged, when it cannot be read.
    bool Restore(CKvdGprDataFiles &holder);
    // Loads the base snapshot into the holder, the same way.
    bool RestoreBase(CKvdGprDataFiles &holder);

    // Removes every snapshot file and the folder.
    void RemoveAll();

    const std::string &GetFolder() const { return m_folder; }
    std::string BasePath() const;
    std::string RestorePointPath(int n) const;

    // The temporary folder: $TMPDIR when set, else /tmp.
    static std::string TempFolder();

private:
    bool Write(const ORQ::CKVDXmlFile &file, const std::string &path);
    bool Load(CKvdGprDataFiles &holder, const std::string &path);

    std::string m_folder;
    int m_count = 0;
    int m_highestWritten = 0;
};
