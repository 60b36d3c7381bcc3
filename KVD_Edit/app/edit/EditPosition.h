#pragma once

#include "KVD_Edit/app/edit/EditDlg.h"
#include "KVD_Edit/app/edit/EditPositionLogic.h"

#include <memory>

class wxRadioButton;
class wxTextCtrl;
class wxCommandEvent;
class wxFocusEvent;

// The Position page: the work row's Xmin, Xmax, Ymin and Ymax laid out like a compass (Ymax
// at the top, Xmin left, Xmax right, Ymin at the bottom). Every selected line moves by the
// change of Xmin and Ymin ("Move as Group"); Enter applies, leaving a field takes its value.
class CEditPosition : public CEditDlg {
public:
    CEditPosition(wxWindow *parent, Notify notify);

    void SetEditData(SEditData *data) override;
    void DisplayControls() override;
    SFieldCheck CheckFields() override;
    void UpdateValues() override;

    wxTextCtrl *GetField(int field) const { return m_fields[field]; }
    CEditPositionLogic *GetLogic() const { return m_logic.get(); }

private:
    void CreateControls();
    void Texts(std::string (&texts)[PF_COUNT]) const;
    int FieldOf(const wxObject *object) const;
    void OnText(wxCommandEvent &event);
    void OnEnter(wxCommandEvent &event);
    void OnKillFocus(wxFocusEvent &event);
    void OnMode(wxCommandEvent &event);
    // Takes the value of a field that was left: the entered field, its check, the values.
    void SetEnterValue(int field, bool apply);

    std::unique_ptr<CEditPositionLogic> m_logic;
    wxTextCtrl *m_fields[PF_COUNT] = {};
    wxRadioButton *m_modes[3] = {};
};
