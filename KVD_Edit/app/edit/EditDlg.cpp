#include "KVD_Edit/app/edit/EditDlg.h"

#include "KVD_Edit/app/edit/EditSetupLogic.h"

#include <utility>

CEditDlg::CEditDlg(wxWindow *parent, Notify notify)
    : wxPanel(parent, wxID_ANY), m_notify(std::move(notify)) {}

bool CEditDlg::TakeInvalidEntryFlag() {
    const bool flag = m_invalidEntry;
    m_invalidEntry = false;
    return flag;
}

bool CEditDlg::ValidateFields() {
    const SFieldCheck check = CheckFields();
    if (check.valid)
        return true;
    m_invalidEntry = true;
    CEditSetupLogic::ShowCheck(check);
    return false;
}
