#include "KVD_Edit/app/shell/HelpErrDlg.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/ManualOpener.h"
#include "KVD_Edit/platform/WxText.h"

#include "orq_utils/MessageSink.h"

#include <wx/button.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

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

void CHelpErrDlg::OnWebButton(wxCommandEvent &) {
    KVD_LOG_CALL();
    bool started = false;
    {
        // The toolkit reports its own failure in a box of its own; one report is enough, and
        // it is the one below, which says what is missing.
        wxLogNull quiet;
        started = wxLaunchDefaultBrowser(kWebAddress);
    }
    if (!started)
        ORQ::ShowMessage(WebFailureText(!CManualOpener::FindOpener().empty()));
}
