#pragma once

#include <wx/dialog.h>

#include <string>

class wxStaticText;
class wxButton;

// "Loading Error": explains that the manual could not be shown and offers the download site of
// a PDF reader.
class CHelpErrDlg : public wxDialog {
public:
    explicit CHelpErrDlg(wxWindow *parent);

    // The system's error text with the manual's path; the other texts are fixed.
    void SetTexts(const std::string &errorText);

    // Shows the dialog modally over parent: reason, then "\nHelp File is " and the manual's path.
    static void Report(wxWindow *parent, const std::string &reason, const std::string &path);

    static constexpr const char *kHeadline = "Unable to display help file.";
    static constexpr const char *kWebAddress = "https://get.adobe.com/reader/";
    static std::string Explanation();

    std::string GetErrorText() const;

    // The message when the web address could not be handed to the desktop; without the opener
    // on the PATH it says so.
    static std::string WebFailureText(bool openerFound);
    // The message when the desktop's opener took the web address and ended with a failure (no
    // browser installed, none that could show it).
    static std::string WebFailureText(int exitCode);

private:
    void OnWebButton(wxCommandEvent &event);

    wxStaticText *m_error = nullptr;       // 1010
    wxButton *m_web = nullptr;             // 1011
    wxStaticText *m_headline = nullptr;    // 1156
    wxStaticText *m_explanation = nullptr; // 1157
};
