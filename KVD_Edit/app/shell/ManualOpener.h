#pragma once

#include <wx/process.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <string>

// Shows the user manual with the desktop's handler for PDF files: "xdg-open <manual>", the
// opener found on PATH, which hands the file to the PDF reader the desktop has chosen. The
// opener runs on its own, so the program goes on while the reader is open. When the manual is
// missing, no opener is installed, it cannot be started or it ends with a failure (a desktop
// without a PDF reader), the help-error dialog says why, with the manual's path.
class CManualOpener : public wxProcess {
public:
    static constexpr const char *kOpener = "xdg-open";

    // Starts the opener on the manual at path. Failures known at once show the dialog over
    // parent at once; a failure the opener reports when it ends shows it then, while parent
    // still exists.
    static void Open(wxWindow *parent, const std::string &path);

    // The dialog's reason for an opener that ended with exitCode (xdg-open's codes named).
    static std::string FailureText(int exitCode);
    // The reason when no opener is on PATH.
    static std::string MissingOpenerText();
    // The full path of the opener on PATH; empty when there is none.
    static wxString FindOpener();

private:
    CManualOpener(wxWindow *parent, const std::string &path);
    // The opener ended: a failure shows the dialog; the object goes.
    void OnTerminate(int pid, int status) override;

    wxWeakRef<wxWindow> m_parent;
    std::string m_path;
};
