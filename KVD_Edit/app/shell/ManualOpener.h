#pragma once

#include "KVD_Edit/app/shell/DesktopOpener.h"

#include <wx/weakref.h>
#include <wx/window.h>

#include <string>

// Shows the user manual with the desktop's handler for PDF files: "xdg-open <manual>", which
// hands the file to the PDF reader the desktop has chosen. When the manual is missing, no opener
// is installed, it cannot be started or it ends with a failure (a desktop without a PDF reader),
// the help-error dialog says why, with the manual's path.
class CManualOpener : public CDesktopOpener {
public:
    // Starts the opener on the manual at path. Failures known at once show the dialog over
    // parent at once; a failure the opener reports when it ends shows it then, while parent
    // still exists.
    static void Open(wxWindow *parent, const std::string &path);

    // The dialog's reason for an opener that ended with exitCode (xdg-open's codes named).
    static std::string FailureText(int exitCode);
    // The reason when no opener is on PATH.
    static std::string MissingOpenerText();

private:
    CManualOpener(wxWindow *parent, const std::string &path);
    // The opener ended: its report goes into the diagnostic log, a failure shows the dialog.
    void OnEnded(int status, const std::string &report) override;

    wxWeakRef<wxWindow> m_parent;
    std::string m_path;
};
