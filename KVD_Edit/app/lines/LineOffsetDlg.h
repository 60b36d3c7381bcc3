#pragma once

#include <wx/dialog.h>

namespace ORQ {
class CLineOffsetDlg;
}
class wxTextCtrl;

// "Enter Line Offset": the program's window over the project library's line offset record. The
// edit shows the record's offset in metres; OK exchanges and checks it through the record (a
// refused text keeps the dialog open with the record's message); closing the dialog any other
// way (its close box, Escape) leaves the record as it was. There is no Cancel button.
class LineOffsetDlg : public wxDialog {
public:
    LineOffsetDlg(ORQ::CLineOffsetDlg &record, wxWindow *parent);

    // The presenter the program installs for the library: shows the dialog modally over the
    // application's top window; IDOK or IDCANCEL.
    static int Present(ORQ::CLineOffsetDlg &record);

private:
    void OnOk(wxCommandEvent &event);
    void OnClose(wxCloseEvent &event);
    void OnCharHook(wxKeyEvent &event);

    ORQ::CLineOffsetDlg &m_record;
    wxTextCtrl *m_edit = nullptr;
};
