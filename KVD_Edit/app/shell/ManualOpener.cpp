#include "KVD_Edit/app/shell/ManualOpener.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/HelpErrDlg.h"
#include "KVD_Edit/app/shell/RegistryValues.h"

#include <wx/app.h>
#include <wx/filefn.h>

#include <cerrno>
#include <cstring>

CManualOpener::CManualOpener(wxWindow *parent, const std::string &path)
    : m_parent(parent), m_path(path) {}

void CManualOpener::Open(wxWindow *parent, const std::string &path) {
    if (!wxFileExists(wxString::FromUTF8(path.c_str()))) {
        errno = ENOENT;
        CHelpErrDlg::Report(parent, GetLastErrorText(false), path);
        return;
    }
    const wxString opener = FindOpener();
    if (opener.empty()) {
        CHelpErrDlg::Report(parent, MissingOpenerText(), path);
        return;
    }
    // The process object lives until the opener ends (it deletes itself then).
    auto *process = new CManualOpener(parent, path);
    errno = 0;
    if (!process->Start(opener, wxString::FromUTF8(path.c_str()))) {
        const int error = errno != 0 ? errno : ENOEXEC;
        delete process;
        CHelpErrDlg::Report(
            parent, std::string(kOpener) + " could not be started: " + std::strerror(error), path);
    }
}

std::string CManualOpener::FailureText(int exitCode) {
    std::string reason;
    switch (exitCode) {
    case 1:
        reason = "it did not understand its command line";
        break;
    case 2:
        reason = "the file was not found";
        break;
    case 3:
        reason = "no program to show PDF files is installed";
        break;
    case 4:
        reason = "the program that shows PDF files failed";
        break;
    case 126:
    case 127:
        reason = "it could not be run";
        break;
    default:
        reason = "it ended with a failure";
        break;
    }
    return std::string("The desktop's handler for PDF files (") + kOpener +
           ") could not show the manual:\n" + reason + " (exit code " + std::to_string(exitCode) +
           ").";
}

std::string CManualOpener::MissingOpenerText() {
    return std::string("No desktop handler for PDF files was found: ") + kOpener +
           " is not on the PATH.";
}

void CManualOpener::OnEnded(int status, const std::string &report) {
    KVD_LOG_CALL_TEXT(report.c_str());
    if (status != 0 && m_parent && wxTheApp) {
        // Shown once the toolkit is done with the opener's end: shown from here, the dialog
        // would hold back the end of every later child process (its own web link's opener) until
        // it closed, and that failure would show only then.
        wxWeakRef<wxWindow> parent = m_parent;
        const std::string reason = FailureText(status);
        const std::string path = m_path;
        wxTheApp->CallAfter([parent, reason, path] {
            if (parent)
                CHelpErrDlg::Report(parent.get(), reason, path);
        });
    }
}
