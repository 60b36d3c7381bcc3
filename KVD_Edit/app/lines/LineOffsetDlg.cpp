#include "KVD_Edit/app/lines/LineOffsetDlg.h"

#include "KVD3/LineOffsetDlg.h"
#include "KVD_Edit/platform/WxText.h"
#include "orq_utils/MessageSink.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

LineOffsetDlg::LineOffsetDlg(ORQ::CLineOffsetDlg &record, wxWindow *parent)
    : wxDialog(parent, wxID_ANY, "Enter Line Offset", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_record(record) {
    // Laid out as the dialog's template: edit 106 x 14, "m" beside it, OK at the right edge.
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    m_edit = new wxTextCtrl(this, ORQ::CLineOffsetDlg::IDC_LINE_OFFSET, "", wxDefaultPosition,
                            wxDLG_UNIT(this, wxSize(106, 14)));
    row->Add(m_edit, 0, wxALIGN_CENTER_VERTICAL | wxALL, wxDLG_UNIT(this, wxSize(7, 0)).x);
    row->Add(new wxStaticText(this, wxID_ANY, "m"), 0, wxALIGN_CENTER_VERTICAL);
    row->AddStretchSpacer();
    auto *ok =
        new wxButton(this, wxID_OK, "OK", wxDefaultPosition, wxDLG_UNIT(this, wxSize(50, 14)));
    ok->SetDefault();
    row->Add(ok, 0, wxALIGN_CENTER_VERTICAL | wxALL, wxDLG_UNIT(this, wxSize(7, 0)).x);
    SetSizer(row);
    SetMinClientSize(wxDLG_UNIT(this, wxSize(211, 28)));
    Fit();
    CentreOnParent();

    // Escape and the close box end the dialog without exchanging anything; the toolkit would
    // otherwise press OK for them, as the dialog has no Cancel button.
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_BUTTON, &LineOffsetDlg::OnOk, this, wxID_OK);
    Bind(wxEVT_CLOSE_WINDOW, &LineOffsetDlg::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &LineOffsetDlg::OnCharHook, this);

    ORQ::CStr text;
    m_record.DoDataExchange(text, false);
    m_edit->ChangeValue(ToWx(text));
    m_edit->SetFocus();
    m_edit->SelectAll();
}

int LineOffsetDlg::Present(ORQ::CLineOffsetDlg &record) {
    LineOffsetDlg dialog(record, wxTheApp ? wxTheApp->GetTopWindow() : nullptr);
    return dialog.ShowModal() == wxID_OK ? ORQ::IDOK : ORQ::IDCANCEL;
}

void LineOffsetDlg::OnOk(wxCommandEvent &) {
    ORQ::CStr text = FromWx(m_edit->GetValue());
    if (!m_record.DoDataExchange(text, true)) {
        m_edit->SetFocus();
        m_edit->SelectAll();
        return;
    }
    EndModal(wxID_OK);
}

void LineOffsetDlg::OnClose(wxCloseEvent &) {
    if (IsModal())
        EndModal(wxID_CANCEL);
    else
        Hide();
}

void LineOffsetDlg::OnCharHook(wxKeyEvent &event) {
    if (event.GetKeyCode() == WXK_ESCAPE && IsModal()) {
        EndModal(wxID_CANCEL);
        return;
    }
    event.Skip();
}
