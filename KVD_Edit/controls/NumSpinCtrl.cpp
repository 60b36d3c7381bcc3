#include "KVD_Edit/controls/NumSpinCtrl.h"

#include "KVD_Edit/platform/WxText.h"

#include <wx/textctrl.h>

// The toolkit's own range is one position wider at each end than the value's: its arrows then
// stay active at the limits (where wrapping needs them), and every arrow press moves the toolkit
// position off ours, which tells the direction even when the toolkit itself would wrap.

CNumSpinCtrl::CNumSpinCtrl(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size,
                           long style) {
    Create(parent, id, pos, size, style);
}

CNumSpinCtrl::~CNumSpinCtrl() {
    SetBuddy(nullptr);
}

bool CNumSpinCtrl::Create(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size,
                          long style) {
    // Wrapping is ours: the toolkit never wraps its own position.
    if (!wxSpinButton::Create(parent, id, pos, size, style & ~wxSP_WRAP))
        return false;
    SetWindowStyleFlag(style);
    Bind(wxEVT_SPIN, &CNumSpinCtrl::OnSpin, this);
    ApplyRange();
    return true;
}

void CNumSpinCtrl::SetBuddy(wxTextCtrl *buddy) {
    if (m_buddy) {
        m_buddy->Unbind(wxEVT_KEY_DOWN, &CNumSpinCtrl::OnBuddyKey, this);
        m_buddy->Unbind(wxEVT_TEXT, &CNumSpinCtrl::OnBuddyText, this);
        m_buddy->Unbind(wxEVT_DESTROY, &CNumSpinCtrl::OnBuddyDestroy, this);
    }
    m_buddy = buddy;
    if (m_buddy) {
        m_buddy->Bind(wxEVT_KEY_DOWN, &CNumSpinCtrl::OnBuddyKey, this);
        m_buddy->Bind(wxEVT_TEXT, &CNumSpinCtrl::OnBuddyText, this);
        m_buddy->Bind(wxEVT_DESTROY, &CNumSpinCtrl::OnBuddyDestroy, this);
        MovePosition(GetPos());
    }
}

void CNumSpinCtrl::SetLimitsAndStep(double minimum, double maximum, double step) {
    m_logic.SetLimitsAndStep(minimum, maximum, step);
    ApplyRange();
}

void CNumSpinCtrl::GetLimitsAndStep(double &minimum, double &maximum, double &step) const {
    m_logic.GetLimitsAndStep(minimum, maximum, step);
}

void CNumSpinCtrl::ApplyRange() {
    if (!GetHandle())
        return; // applied when the window is made
    wxSpinButton::SetRange(-1, m_logic.GetPositionCount() + 1);
    MovePosition(GetPos());
}

void CNumSpinCtrl::SetPos(double value) {
    if (m_buddy)
        m_buddy->ChangeValue(ToWx(m_logic.Format(value)));
    MovePosition(value);
}

double CNumSpinCtrl::GetPos() const {
    if (!m_buddy)
        return 0.0;
    return m_logic.Parse(FromWx(m_buddy->GetValue()));
}

void CNumSpinCtrl::MovePosition(double value) {
    double minimum = 0, maximum = 0, step = 0;
    m_logic.GetLimitsAndStep(minimum, maximum, step);
    if (maximum == minimum)
        return;
    m_position = m_logic.PositionOf(value);
    if (GetHandle())
        wxSpinButton::SetValue(m_position);
}

void CNumSpinCtrl::StepBy(int delta) {
    if (!m_buddy) {
        MovePosition(0.0);
        return;
    }
    const double value = m_logic.Step(GetPos(), delta, HasFlag(wxSP_WRAP));
    m_buddy->ChangeValue(ToWx(m_logic.Format(value)));
    MovePosition(value);
    // The parent hears of the step as of any spin of the control.
    wxSpinEvent changed(wxEVT_SPIN, GetId());
    changed.SetEventObject(this);
    changed.SetPosition(m_position);
    if (GetParent())
        GetParent()->GetEventHandler()->ProcessEvent(changed);
}

void CNumSpinCtrl::OnSpin(wxSpinEvent &event) {
    if (event.GetEventObject() != this) {
        event.Skip();
        return;
    }
    const int pos = event.GetPosition();
    if (pos == m_position)
        return;
    StepBy(pos > m_position ? 1 : -1);
}

void CNumSpinCtrl::OnBuddyKey(wxKeyEvent &event) {
    switch (event.GetKeyCode()) {
    case WXK_UP:
    case WXK_NUMPAD_UP:
        StepBy(1);
        break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        StepBy(-1);
        break;
    default:
        event.Skip();
        break;
    }
}

void CNumSpinCtrl::OnBuddyText(wxCommandEvent &event) {
    // Typed text moves the position, so the arrows step from what the user sees.
    MovePosition(GetPos());
    event.Skip();
}

void CNumSpinCtrl::OnBuddyDestroy(wxWindowDestroyEvent &event) {
    if (event.GetEventObject() == m_buddy)
        m_buddy = nullptr;
    event.Skip();
}
