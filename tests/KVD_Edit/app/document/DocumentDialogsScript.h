#pragma once

// Window tests of the project document: its file dialogs answered from a script, and the blank
// template placed beside the test program, where the document looks for it.

#include "KVD_Edit/app/document/KVDVDoc.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"

#include <wx/filefn.h>
#include <wx/utils.h>

#include <string>

namespace doctest {

// Answers the document's file dialogs with fixed paths; an empty path cancels.
struct ScriptedDialogs : IDocumentDialogs {
    std::string newPath;
    std::string saveAsPath;
    int newAsked = 0;
    bool AskNewProjectPath(std::string &path) override {
        ++newAsked;
        path = newPath;
        return !path.empty();
    }
    std::string saveAsStartedAt; // the project path the last Save As dialog started from
    bool AskSaveAsPath(const std::string &currentPath, std::string &path) override {
        saveAsStartedAt = currentPath;
        path = saveAsPath;
        return !path.empty();
    }
    bool RunLineSettings(wxWindow *, SLineDisplayTable &) override { return false; }
};

// Installs the script for the life of the object.
struct ScopedDialogs {
    explicit ScopedDialogs(IDocumentDialogs &dialogs) { CKVDVDoc::SetDialogs(&dialogs); }
    ~ScopedDialogs() { CKVDVDoc::SetDialogs(nullptr); }
    ScopedDialogs(const ScopedDialogs &) = delete;
    ScopedDialogs &operator=(const ScopedDialogs &) = delete;
};

// Places the shipped template into programFolder (ending in "/") unless it is there. Test
// programs run side by side, so the copy goes to a name of its own first and is renamed.
inline bool InstallTemplate(const std::string &programFolder) {
    const wxString target = wxString::FromUTF8(programFolder + "BlankTemplate.kvd");
    if (wxFileExists(target))
        return true;
    const wxString part = target + wxString::Format(".%lu.part", wxGetProcessId());
    if (wxCopyFile(wxString::FromUTF8(TemplatePath()), part, true))
        wxRenameFile(part, target, true);
    if (wxFileExists(part))
        wxRemoveFile(part);
    return wxFileExists(target);
}

} // namespace doctest
