#include "KVD_Edit/app/shell/EditValidator.h"

wxBEGIN_EVENT_TABLE(CEditValidator, wxTextCtrl) EVT_CHAR(CEditValidator::OnChar) wxEND_EVENT_TABLE()

    void CEditValidator::OnChar(wxKeyEvent &event) {
    event.Skip();
}
