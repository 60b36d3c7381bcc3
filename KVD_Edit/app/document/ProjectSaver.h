#pragma once

#include "KVD_Edit/app/shell/ProgramIdentity.h"

#include <functional>
#include <string>

class CKvdGprDataFiles;
class CMapperSettings;

// The save road of a project: the owner check that keeps a copy of a project another program
// made, the modified-by record each save appends, the settings block, the write itself and the
// "LAST_SAVE" hand-back value. Messages go through the message sink; windows stay outside.
//
// A save never harms what is on disk: the project is written to a temporary file beside it and
// renamed over the old one, so a failed write leaves the old file as it was; a backup copy of a
// foreign project is made only under a free name and never replaces an older backup; the file
// takes a new path only once it has been written there; and the records a failed save appended
// are taken out of the document again, so a retry adds exactly one.
//
// Nor does a save silently undo another program's: before it writes over the project's own file
// it compares the file on disk with what this project last read or wrote there, and when another
// program (another instance of this one too) has written or replaced it since, it asks first.
class CProjectSaver {
public:
    // Writes a hand-back value ("LAST_SAVE", "NEW FILE") for programs outside the editor.
    using HandBack = std::function<void(const std::string &valueName, const std::string &text)>;

    CProjectSaver(CKvdGprDataFiles &holder, CMapperSettings &settings);

    void SetIdentity(const SProgramIdentity &identity) { m_identity = identity; }
    const SProgramIdentity &GetIdentity() const { return m_identity; }
    // The default writes the registry value under "Brenwick, Inc.".
    void SetHandBack(HandBack handBack) { m_handBack = std::move(handBack); }

    // The owner check of Save: false (after a message) stops the save. When neither the
    // created-by record nor any modified-by record names this program (case ignored) and the
    // path holds no lower-case "original", the project file is first copied to its backup
    // name, unless that name is taken.
    bool CheckKVDFileOwnerCreation();
    // Appends this program's modified-by record with the comment; false (after a message)
    // stops the save.
    bool AddModifyBlock(const std::string &comment);
    // "Imported lines", "Deleted lines", both joined by ", ", or empty, from the child frame's
    // change flags (bit 0 imported, bit 1 deleted).
    static std::string GetFileComment(int changeFlags);
    // The backup name: the file name's extension (not a dot of a folder) replaced by
    // "_Original.kvd".
    static std::string BackupPathFor(const std::string &path);

    // Before a write over the project's own file (shown as shownPath): when the file on disk is
    // no longer the one this project last read or wrote, asks kMsgChangedOnDisk (Yes, No). True
    // when the write may go on: the file unchanged, gone (removed or renamed away: nothing of
    // another's is lost by writing it anew), not to be looked at (the write then reports), or
    // Yes. No: false, nothing written.
    bool ConfirmOverwrite(const std::string &shownPath) const;

    // Save: the question above, owner check, modified-by, settings block, write to the
    // project's own path. True when written (the caller clears its modified flag); false also
    // for No to the question, which writes nothing, the backup copy included.
    bool Save(int changeFlags);
    // Save As to path: "Data" version "1.2.0", modified-by, settings block, write. No owner
    // check. A path that names the project's own file (by any spelling) is asked about as Save
    // is; any other file there was confirmed in the file dialog. True when written; the
    // project then works on path.
    bool SaveAs(const std::string &path, int changeFlags);
    // The lines' paths are stored relative to the project's folder and are kept as they are
    // (other programs read them so): a project saved into another folder finds none of its
    // lines there. The question asked before such a save, or empty when newPath lies in the
    // folder of oldPath (the same folder by another spelling included).
    static std::string MovedFolderQuestion(const std::string &oldPath, const std::string &newPath);

    // The close prompt "Save %s ?" with Yes, No, Cancel. Yes saves through save, No through
    // discard. True when the close may go on: Cancel and a failed save keep the document open.
    static bool SaveModified(bool modified, const std::string &path,
                             const std::function<bool()> &save,
                             const std::function<void()> &discard);

private:
    bool WriteProject(const char *path, const std::string &shownPath, int changeFlags);

    CKvdGprDataFiles &m_holder;
    CMapperSettings &m_settings;
    SProgramIdentity m_identity;
    HandBack m_handBack;
};

// Copies a file to a name that must not exist yet: never replaces a file. True when the copy is
// complete; a partial copy is removed.
bool CopyFileToFreeName(const std::string &from, const std::string &to);

// Messages of the save road.
inline constexpr const char *kMsgNoMemory =
    "An error occured while creating new KVD file.\nUnable to access memory\nOperation aborted.\n";
inline constexpr const char *kMsgNoCreatedBy =
    "Unable to access the CreatedBy block,\nOperation cancelled";
inline constexpr const char *kMsgModifiedByFailed =
    "Error adding Modified block, Operation aborted.";
// Followed by the path and kMsgCreateFailedTail.
inline constexpr const char *kMsgCreateFailed =
    "An error occured while creating new KVD file.\nUnable to create KVD file:\n";
inline constexpr const char *kMsgCreateFailedTail = "\nOperation aborted.\n";
// Follows the project's path when its file changed on disk since it was read or written here.
inline constexpr const char *kMsgChangedOnDisk =
    " has been changed by another program since it was opened or last saved. Save over it?";
// The company whose registry key holds the hand-back values.
inline constexpr const char *kHandBackCompany = "Brenwick, Inc.";
