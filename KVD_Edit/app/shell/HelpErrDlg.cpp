#include "KVD_Edit/app/shell/HelpErrDlg.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/ManualOpener.h"
#include "KVD_Edit/platform/WxText.h"

#include "orq_utils/MessageSink.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace {

// The desktop's opener on the web address, running on its own: the address counts as shown
// only when the opener ends well, since it starts whether or not a browser is there to take
// the address. A failure is reported when the opener ends, whether or not the help-error
// dialog is still up.
class CWebLinkOpener : public CDesktopOpener {
public:
    // Starts the opener; false when it could not be started (nothing then waits for it).
    static bool Launch(const wxString &opener, const char *address) {
        // The object lives until the opener ends (it deletes itself then).
        auto *process = new CWebLinkOpener();
        if (!process->Start(opener, wxString::FromUTF8(address))) {
            delete process;
            return false;
        }
        return true;
    }

private:
    void OnEnded(int status, const std::string &report) override {
        KVD_LOG_CALL_TEXT(report.c_str());
        // Shown once the toolkit is done with the opener's end, so that a message up does not
        // hold back the end of another child process.
        if (status != 0 && wxTheApp)
            wxTheApp->CallAfter(
                [status] { ORQ::ShowMessage(CHelpErrDlg::WebFailureText(status)); });
    }
};

} // namespace

std::string CHelpErrDlg::Explanation() {
    return "The above error was reported by the system.\n\nA PDF reader is required to display "
           "the help file.\nIf one is not installed on your system,  please Install a PDF reader "
           "or select below to connect to Adobe and retrieve their free PDF Reader.";
}

CHelpErrDlg::CHelpErrDlg(wxWindow *parent) : wxDialog(parent, wxID_ANY, "Loading Error") {
    auto *top = new wxBoxSizer(wxVERTICAL);
    m_headline = new wxStaticText(this, 1156, kHeadline);
    m_error = new wxStaticText(this, 1010, "");
    m_explanation = new wxStaticText(this, 1157, Explanation());
    m_explanation->Wrap(420);
    m_web = new wxButton(this, 1011, kWebAddress);
    top->Add(m_headline, 0, wxALL, 10);
    top->Add(m_error, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    top->Add(m_explanation, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    top->Add(m_web, 0, wxALIGN_CENTER | wxBOTTOM, 10);
    top->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(top);
    CentreOnParent();
    Bind(wxEVT_BUTTON, &CHelpErrDlg::OnWebButton, this, 1011);
}

void CHelpErrDlg::SetTexts(const std::string &errorText) {
    if (!errorText.empty())
        m_error->SetLabel(ToWxQuotingPaths(errorText));
    Fit();
}

void CHelpErrDlg::Report(wxWindow *parent, const std::string &reason, const std::string &path) {
    CHelpErrDlg dialog(parent);
    dialog.SetTexts(reason + "\nHelp File is " + path);
    dialog.ShowModal();
}

std::string CHelpErrDlg::GetErrorText() const {
    return m_error->GetLabel().utf8_string();
}

std::string CHelpErrDlg::WebFailureText(bool openerFound) {
    std::string text = "Unable to load web site";
    if (!openerFound)
        text += std::string("\n\nNo desktop handler for web addresses was found: ") +
                CManualOpener::kOpener + " is not on the PATH.";
    return text;
}

std::string CHelpErrDlg::WebFailureText(int exitCode) {
    return std::string("Unable to load web site\n\nThe desktop's handler for web addresses (") +
           CManualOpener::kOpener + ") could not show it (exit code " + std::to_string(exitCode) +
           ").";
}

void CHelpErrDlg::OnWebButton(wxCommandEvent &) {
    KVD_LOG_CALL();
    // The same opener as the manual's, so that one report says what went wrong: a missing
    // opener at once, a failed one when it ends.
    const wxString opener = CManualOpener::FindOpener();
    if (opener.empty()) {
        ORQ::ShowMessage(WebFailureText(false));
        return;
    }
    if (!CWebLinkOpener::Launch(opener, kWebAddress))
        ORQ::ShowMessage(WebFailureText(true));
}
