#include "KVD_Edit/app/shell/AboutDlg.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/VersionInfo.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

CAboutDlg::CAboutDlg(wxWindow *parent) : wxDialog(parent, wxID_ANY, "About KVD_View") {
    auto *top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(new wxStaticBitmap(this, wxID_ANY,
                                wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_MESSAGE_BOX)),
             0, wxALL, 12);
    auto *texts = new wxBoxSizer(wxVERTICAL);
    m_programName = new wxStaticText(this, 1065, "KVD_View");
    m_version = new wxStaticText(this, 1066, "Version");
    m_dip = new wxStaticText(this, 1067, "");
    m_comments = new wxStaticText(this, 1068, "");
    m_copyright = new wxStaticText(this, 1069, "");
    for (wxStaticText *text : {m_programName, m_version, m_dip, m_comments, m_copyright})
        texts->Add(text, 0, wxBOTTOM, 6);
    texts->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALIGN_RIGHT | wxTOP, 6);
    top->Add(texts, 1, wxALL, 12);
    OnInitDialog();
    SetSizerAndFit(top);
    CentreOnParent();
}

void CAboutDlg::OnInitDialog() {
    KVD_LOG_CALL();
    CVersionInfo info;
    if (info.Load(nullptr) < 0)
        return; // the dialog keeps its own texts
    std::string text;
    std::string name;
    if (info.GetString(9, text)) {
        name = text;
        const size_t cr = name.find('\r');
        if (cr != std::string::npos)
            name.erase(cr);
        name += " (64 bit)";
        m_programName->SetLabel(ToWx(name));
    }
    SetTitle(ToWx("About " + name));
    if (info.GetString(11, text))
        m_dip->SetLabel(ToWx(text));
    if (info.GetString(5, text)) {
        // Shown literally: a single "&" would mark a mnemonic.
        std::string copyright;
        for (char c : std::string(text))
            copyright += c == '&' ? std::string("&&") : std::string(1, c);
        m_copyright->SetLabel(ToWx(copyright));
    }
    if (info.GetString(0, text))
        m_comments->SetLabel(ToWx(text));
    if (const auto *words = info.GetProductVersionWords())
        m_version->SetLabel(
            ToWx(FormatAboutVersion(words->major, words->minor, words->third, words->build)));
}

std::string CAboutDlg::GetProgramNameText() const {
    return m_programName->GetLabel().utf8_string();
}
std::string CAboutDlg::GetVersionText() const {
    return m_version->GetLabel().utf8_string();
}
std::string CAboutDlg::GetDIPText() const {
    return m_dip->GetLabel().utf8_string();
}
std::string CAboutDlg::GetCommentsText() const {
    return m_comments->GetLabel().utf8_string();
}
std::string CAboutDlg::GetCopyrightText() const {
    return m_copyright->GetLabel().utf8_string();
}
