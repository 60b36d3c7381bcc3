#pragma once

#include <wx/dialog.h>

#include <string>

class wxStaticText;

// The About box: program name, version, "Software DIP" text, comments and copyright from the
// program's version strings.
class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow *parent);

    // The texts shown (for the program's own version strings unless they cannot be read).
    std::string GetProgramNameText() const;
    std::string GetVersionText() const;
    std::string GetDIPText() const;
    std::string GetCommentsText() const;
    std::string GetCopyrightText() const;

private:
    void OnInitDialog();

    wxStaticText *m_programName = nullptr; // 1065
    wxStaticText *m_version = nullptr;     // 1066
    wxStaticText *m_dip = nullptr;         // 1067
    wxStaticText *m_comments = nullptr;    // 1068
    wxStaticText *m_copyright = nullptr;   // 1069
};
