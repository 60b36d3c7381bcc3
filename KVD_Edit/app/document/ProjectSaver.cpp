#include "KVD_Edit/app/document/ProjectSaver.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "KVD_Edit/app/shell/RegistryValues.h"
#include "orq_utils/FileReplacement.h"
#include "orq_utils/MessageSink.h"

#include <cerrno>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

bool SameNameNoCase(const std::string &a, const std::string &b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The "name" attribute of the current element ("name" itself when it has none).
std::string NameAttribute(ORQ::CKVDXmlFile *file) {
    ORQ::CStr name("name");
    file->GetNodeAttribute(name);
    return name;
}

// Counts the "ModifiedBy" records of the first "CreatedBy" under the current node; the cursor
// stays.
int CountModifiedBy(ORQ::CKVDXmlFile *file) {
    if (!file->GotoChildNode("CreatedBy", 0))
        return -1;
    int n = 0;
    while (file->GotoChildNode("ModifiedBy", n)) {
        file->GotoParentNode();
        ++n;
    }
    file->GotoParentNode();
    return n;
}

// Takes out every "ModifiedBy" past the first `keep` of the first "CreatedBy" under the current
// node; the cursor stays.
void TrimModifiedBy(ORQ::CKVDXmlFile *file, int keep) {
    if (keep < 0 || !file->GotoChildNode("CreatedBy", 0))
        return;
    while (file->GotoChildNode("ModifiedBy", keep))
        file->RemoveCurrentNode();
    file->GotoParentNode();
}

// What a write appends to the document, so that a failed write can take it out again.
struct SAppendedRecords {
    int dataModified = -1;
    int settingsModified = -1;
    bool settingsBlockExisted = false;
    bool settingsCreatedByExisted = false;
};

SAppendedRecords NoteRecords(ORQ::CKVDXmlFile *file) {
    SAppendedRecords r;
    file->PushPosition();
    if (file->GotoRootNode()) {
        if (file->GotoChildNode("Data", 0)) {
            r.dataModified = CountModifiedBy(file);
            file->GotoParentNode();
        }
        if (file->GotoChildNode(kMapperSettingsElement, 0)) {
            r.settingsBlockExisted = true;
            r.settingsModified = CountModifiedBy(file);
            r.settingsCreatedByExisted = r.settingsModified >= 0;
            file->GotoParentNode();
        }
    }
    file->GotoTopPosition();
    file->PopPosition();
    return r;
}

void UndoRecords(ORQ::CKVDXmlFile *file, const SAppendedRecords &r) {
    file->PushPosition();
    if (file->GotoRootNode()) {
        if (file->GotoChildNode("Data", 0)) {
            TrimModifiedBy(file, r.dataModified);
            file->GotoParentNode();
        }
        if (file->GotoChildNode(kMapperSettingsElement, 0)) {
            if (!r.settingsBlockExisted) {
                file->RemoveCurrentNode();
            } else {
                if (r.settingsCreatedByExisted)
                    TrimModifiedBy(file, r.settingsModified);
                else if (file->GotoChildNode("CreatedBy", 0))
                    file->RemoveCurrentNode();
                file->GotoParentNode();
            }
        }
    }
    file->GotoTopPosition();
    file->PopPosition();
}

} // namespace

bool CopyFileToFreeName(const std::string &from, const std::string &to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    // The copy is written beside its name and put in place without replacing: an existing file
    // of that name (an older backup) is never touched, and a copy cut short never appears.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        ::close(in);
        return false;
    }
    ORQ::CFileReplacement out(to);
    bool ok = out.Open(0644);
    std::vector<char> buffer(1 << 16);
    while (ok) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = out.Write(buffer.data(), static_cast<size_t>(got));
        BusyTick();
    }
    ::close(in);
    ok = ok && out.Finish() && out.CommitNew();
    if (!ok)
        out.Discard();
    return ok;
}

CProjectSaver::CProjectSaver(CKvdGprDataFiles &holder, CMapperSettings &settings)
    : m_holder(holder), m_settings(settings), m_identity(GetProgramIdentity()),
      m_handBack([](const std::string &valueName, const std::string &text) {
          WriteRegString(kHandBackCompany, valueName, text, text.size() + 1);
      }) {}

std::string CProjectSaver::BackupPathFor(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const std::string stem =
        (dot != std::string::npos && dot >= nameStart) ? path.substr(0, dot) : path;
    return stem + "_Original.kvd";
}

std::string CProjectSaver::GetFileComment(int changeFlags) {
    std::string text;
    if (changeFlags & 1)
        text = "Imported lines";
    if (changeFlags & 2) {
        if (!text.empty())
            text += ", ";
        text += "Deleted lines";
    }
    return text;
}

bool CProjectSaver::CheckKVDFileOwnerCreation() {
    ORQ::CKVDXmlFile *file = m_holder.GetKvdXmlFile();
    if (!file) {
        ORQ::ShowMessage(kMsgNoMemory, ORQ::MB_OK);
        return false;
    }
    if (!file->GotoRootNode() || !file->GotoChildNode("Data", 0) ||
        !file->GotoChildNode("CreatedBy", 0)) {
        ORQ::ShowMessage(kMsgNoCreatedBy, ORQ::MB_OK);
        return false;
    }
    bool own = SameNameNoCase(NameAttribute(file), m_identity.name);
    if (!own && file->GotoChildNode("ModifiedBy", 0)) {
        do {
            own = SameNameNoCase(NameAttribute(file), m_identity.name);
        } while (!own && file->GotoNextSibling());
    }
    const std::string path = m_holder.GetFilePathName();
    if (!own && path.find("original") == std::string::npos)
        CopyFileToFreeName(path, BackupPathFor(path));
    return true;
}

bool CProjectSaver::AddModifyBlock(const std::string &comment) {
    ORQ::CKVDXmlFile *file = m_holder.GetKvdXmlFile();
    if (!file) {
        ORQ::ShowMessage(kMsgNoMemory, ORQ::MB_OK);
        return false;
    }
    if (!file->GotoRootNode() || !file->GotoChildNode("Data", 0) ||
        !file->AppendModifiedByBlock(MakeCreatedBy(m_identity, comment))) {
        ORQ::ShowMessage(kMsgModifiedByFailed, ORQ::MB_OK);
        return false;
    }
    return true;
}

bool CProjectSaver::WriteProject(const char *path, const std::string &shownPath, int changeFlags) {
    ORQ::CKVDXmlFile *file = m_holder.GetKvdXmlFile();
    if (!file) {
        ORQ::ShowMessage(kMsgNoMemory, ORQ::MB_OK);
        return false;
    }
    const SAppendedRecords before = NoteRecords(file);
    if (!AddModifyBlock(GetFileComment(changeFlags)))
        return false;
    m_settings.Save(&m_holder);
    BusyTick();
    const int saved = m_holder.SaveKvdXmlFile(path);
    BusyTick();
    if (saved != 0) {
        UndoRecords(file, before);
        ORQ::ShowMessage(std::string(kMsgCreateFailed) + shownPath + kMsgCreateFailedTail,
                         ORQ::MB_OK);
        return false;
    }
    if (m_handBack)
        m_handBack("LAST_SAVE", m_holder.GetFilePathName());
    return true;
}

bool CProjectSaver::ConfirmOverwrite(const std::string &shownPath) const {
    const ORQ::CKVDXmlFile *file = m_holder.GetKvdXmlFile();
    if (!file)
        return true;
    if (file->GetFileStamp().Compare(m_holder.GetFilePathName()) != ORQ::CFileStamp::FILE_CHANGED)
        return true;
    return ORQ::ShowMessage(shownPath + kMsgChangedOnDisk,
                            ORQ::MB_YESNO | ORQ::MB_ICONWARNING | ORQ::MB_DEFBUTTON2) == ORQ::IDYES;
}

bool CProjectSaver::Save(int changeFlags) {
    if (!ConfirmOverwrite(m_holder.GetFilePathName()))
        return false;
    if (!CheckKVDFileOwnerCreation())
        return false;
    return WriteProject(nullptr, m_holder.GetFilePathName(), changeFlags);
}

bool CProjectSaver::SaveAs(const std::string &path, int changeFlags) {
    ORQ::CKVDXmlFile *file = m_holder.GetKvdXmlFile();
    if (!file) {
        ORQ::ShowMessage(kMsgNoMemory, ORQ::MB_OK);
        return false;
    }
    if (path.empty()) {
        ORQ::ShowMessage(std::string(kMsgCreateFailed) + path + kMsgCreateFailedTail, ORQ::MB_OK);
        return false;
    }
    // A path that names the project's own file, by whatever spelling, is a save over it.
    std::error_code cannotTell;
    if (std::filesystem::equivalent(path, m_holder.GetFilePathName(), cannotTell) && !cannotTell &&
        !ConfirmOverwrite(path))
        return false;
    if (file->GotoRootNode() && file->GotoChildNode("Data", 0)) {
        ORQ::CStr version("version");
        if (!file->GetNodeAttribute(version) || version != "1.2.0")
            file->SetNodeAttribute("version", "1.2.0");
    }
    return WriteProject(path.c_str(), path, changeFlags);
}

std::string CProjectSaver::MovedFolderQuestion(const std::string &oldPath,
                                               const std::string &newPath) {
    namespace fs = std::filesystem;
    const auto folderOf = [](const std::string &path) {
        const size_t cut = path.find_last_of("/\\");
        return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
    };
    const std::string oldFolder = folderOf(oldPath);
    const std::string newFolder = folderOf(newPath);
    if (oldPath.empty() || oldFolder == newFolder)
        return std::string();
    std::error_code a, b;
    const fs::path oldReal = fs::weakly_canonical(fs::path(oldFolder), a);
    const fs::path newReal = fs::weakly_canonical(fs::path(newFolder), b);
    if (!a && !b && oldReal == newReal)
        return std::string();
    return "The line files stay in " + oldFolder + "; the project saved in " + newFolder +
           " will not find them. Save anyway?";
}

bool CProjectSaver::SaveModified(bool modified, const std::string &path,
                                 const std::function<bool()> &save,
                                 const std::function<void()> &discard) {
    if (!modified)
        return true;
    const int answer = ORQ::ShowMessage("Save " + path + " ?", ORQ::MB_YESNOCANCEL);
    if (answer == ORQ::IDCANCEL)
        return false;
    if (answer == ORQ::IDYES)
        return save && save();
    if (discard)
        discard();
    return true;
}
