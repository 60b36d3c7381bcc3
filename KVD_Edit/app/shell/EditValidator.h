#pragma once

#include <wx/textctrl.h>

// An edit control for numbers whose checking is left to ValidateNumericEdit: it passes every
// character on unchanged and otherwise behaves as a plain edit control.
class CEditValidator : public wxTextCtrl {
public:
    using wxTextCtrl::wxTextCtrl;

private:
    void OnChar(wxKeyEvent &event);
    wxDECLARE_EVENT_TABLE();
};
