#pragma once

#include "KVD_Edit/app/edit/EditDlg.h"

class CShadeButtonST;
class wxButton;
class wxCommandEvent;
class wxWindow;

// The Orientation page: interchange of the selected Y lines (left) and X lines (right), and
// between them the reversal of every line's direction and the swap of X and Y. Each button sets
// its request and has the dialog apply it at once.
class CEditOrientation : public CEditDlg {
public:
    CEditOrientation(wxWindow *parent, Notify notify);

    // The interchange buttons are enabled for more than one selected line of their kind.
    void DisplayControls() override;

    // The page's buttons by id (the interchange buttons are shaded owner-drawn buttons).
    wxWindow *GetButton(int id) const;

private:
    void CreateControls();
    void OnButton(wxCommandEvent &event);

    CShadeButtonST *m_interchangeY = nullptr;
    CShadeButtonST *m_interchangeX = nullptr;
    wxButton *m_reverse = nullptr;
    wxButton *m_swap = nullptr;
};
