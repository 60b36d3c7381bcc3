#include "KVD_Edit/app/edit/EditPosition.h"

#include "KVD_Edit/app/edit/EditText.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

CEditPosition::CEditPosition(wxWindow *parent, Notify notify)
    : CEditDlg(parent, std::move(notify)) {
    KVD_LOG_CALL();
    CreateControls();
    for (wxTextCtrl *field : m_fields) {
        field->Bind(wxEVT_TEXT, &CEditPosition::OnText, this);
        field->Bind(wxEVT_TEXT_ENTER, &CEditPosition::OnEnter, this);
        field->Bind(wxEVT_KILL_FOCUS, &CEditPosition::OnKillFocus, this);
    }
    for (wxRadioButton *mode : m_modes)
        mode->Bind(wxEVT_RADIOBUTTON, &CEditPosition::OnMode, this);
    m_busy = false;
}

void CEditPosition::CreateControls() {
    const int ids[3] = {EditId::MOVE_AS_GROUP, EditId::MOVE_LINES, EditId::STRETCH};
    const char *labels[3] = {EditText::kMoveAsGroup, EditText::kMoveLines, EditText::kStretch};
    auto *modes = new wxBoxSizer(wxHORIZONTAL);
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = new wxRadioButton(this, ids[i], labels[i], wxDefaultPosition, wxDefaultSize,
                                       i == 0 ? wxRB_GROUP : 0);
        modes->Add(m_modes[i], 0, wxRIGHT, FromDIP(8));
    }

    const wxSize size = FromDIP(wxSize(90, -1));
    auto cell = [&](int field) {
        m_fields[field] = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, size,
                                         wxTE_PROCESS_ENTER | wxTE_RIGHT);
        auto *box = new wxBoxSizer(wxVERTICAL);
        box->Add(m_fields[field], 0, wxALIGN_CENTER_HORIZONTAL);
        box->Add(new wxStaticText(this, wxID_ANY, EditText::kPositionLabels[field]), 0,
                 wxALIGN_CENTER_HORIZONTAL | wxTOP, FromDIP(2));
        return box;
    };
    auto *compass = new wxFlexGridSizer(3, 3, FromDIP(6), FromDIP(10));
    compass->AddSpacer(0);
    compass->Add(cell(PF_YMAX), 0, wxALIGN_CENTER);
    compass->AddSpacer(0);
    compass->Add(cell(PF_XMIN), 0, wxALIGN_CENTER);
    compass->AddSpacer(0);
    compass->Add(cell(PF_XMAX), 0, wxALIGN_CENTER);
    compass->AddSpacer(0);
    compass->Add(cell(PF_YMIN), 0, wxALIGN_CENTER);
    compass->AddSpacer(0);

    auto *top = new wxBoxSizer(wxVERTICAL);
    top->Add(modes, 0, wxALL, FromDIP(6));
    top->Add(compass, 1, wxALIGN_CENTER | wxALL, FromDIP(6));
    SetSizer(top);
}

void CEditPosition::SetEditData(SEditData *data) {
    CEditDlg::SetEditData(data);
    m_logic = data ? std::make_unique<CEditPositionLogic>(data) : nullptr;
}

void CEditPosition::Texts(std::string (&texts)[PF_COUNT]) const {
    for (int i = 0; i < PF_COUNT; ++i)
        texts[i] = FromWx(m_fields[i]->GetValue());
}

int CEditPosition::FieldOf(const wxObject *object) const {
    for (int i = 0; i < PF_COUNT; ++i)
        if (m_fields[i] == object)
            return i;
    return -1;
}

void CEditPosition::DisplayControls() {
    KVD_LOG_CALL();
    if (!m_logic)
        return;
    m_busy = true;
    for (int i = 0; i < PF_COUNT; ++i) {
        m_fields[i]->ChangeValue(ToWx(m_logic->Display(i)));
        m_fields[i]->Enable(m_logic->FieldEnabled(i));
    }
    m_logic->SelectMode(CEditPositionLogic::MODE_MOVE_AS_GROUP);
    m_modes[0]->SetValue(true);
    m_modes[0]->Enable(true);
    bool hidden = false;
    for (wxRadioButton *mode : m_modes) {
        if (mode != m_modes[0])
            mode->Enable(false);
        hidden = mode->Hide() || hidden;
    }
    // The fields take the room the buttons leave.
    if (hidden)
        Layout();
    m_busy = false;
}

SFieldCheck CEditPosition::CheckFields() {
    if (!m_logic)
        return SFieldCheck();
    std::string texts[PF_COUNT];
    Texts(texts);
    const SFieldCheck check = m_logic->ValidateFields(texts);
    if (check.valid)
        return check;
    for (int i = 0; i < PF_COUNT; ++i)
        if (m_data->enteredField[i]) {
            m_fields[i]->ChangeValue(ToWx(check.resetText));
            m_fields[i]->SetFocus();
        }
    return check;
}

void CEditPosition::UpdateValues() {
    if (!m_logic)
        return;
    std::string texts[PF_COUNT];
    Texts(texts);
    if (m_logic->UpdateValues(texts))
        Notice(NOTICE_CHANGED);
}

void CEditPosition::SetEnterValue(int field, bool apply) {
    m_data->ClearEnteredFields();
    m_data->enteredField[field] = true;
    m_invalidEntry = false;
    if (!apply)
        return;
    ValidateFields();
    UpdateValues();
    DisplayControls();
}

void CEditPosition::OnText(wxCommandEvent &event) {
    const int field = FieldOf(event.GetEventObject());
    if (field < 0 || !m_logic || m_busy)
        return;
    if (m_logic->OnTextChanged(field, FromWx(event.GetString())))
        Notice(NOTICE_CHANGED);
}

void CEditPosition::OnEnter(wxCommandEvent &event) {
    KVD_LOG_CALL();
    const int field = FieldOf(event.GetEventObject());
    if (field < 0 || !m_logic)
        return;
    m_data->ClearEnteredFields();
    m_data->enteredField[field] = true;
    if (!ValidateFields())
        return;
    UpdateValues();
    Notice(NOTICE_APPLY);
    DisplayControls();
}

void CEditPosition::OnKillFocus(wxFocusEvent &event) {
    event.Skip();
    const int field = FieldOf(event.GetEventObject());
    if (field < 0 || !m_logic || m_busy)
        return;
    // The value is taken once the focus has settled; a message shown inside the focus change
    // would disturb it.
    CallAfter([this, field] {
        if (m_logic && IsShownOnScreen())
            SetEnterValue(field, true);
    });
}

void CEditPosition::OnMode(wxCommandEvent &event) {
    if (!m_logic)
        return;
    const int mode = event.GetId() == EditId::MOVE_LINES ? CEditPositionLogic::MODE_MOVE_LINES
                     : event.GetId() == EditId::STRETCH  ? CEditPositionLogic::MODE_STRETCH
                                                         : CEditPositionLogic::MODE_MOVE_AS_GROUP;
    m_logic->SelectMode(mode);
    DisplayControls();
}
