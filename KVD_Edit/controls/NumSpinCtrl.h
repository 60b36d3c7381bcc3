#pragma once

// A decimal spin control: the arrows of a wxSpinButton step a floating-point value that lives as
// text in an explicit buddy edit. Up and Down in the buddy step it as the arrows do. The
// decisions (formatting, reading, wrap and clamp) are CNumSpinLogic's.

#include "KVD_Edit/controls/NumSpinLogic.h"

#include <wx/spinbutt.h>

class wxTextCtrl;

class CNumSpinCtrl : public wxSpinButton {
public:
    CNumSpinCtrl() = default;
    // style: wxSP_VERTICAL and wxSP_WRAP (wrap at the limits instead of clamping).
    CNumSpinCtrl(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                 const wxSize &size = wxDefaultSize, long style = wxSP_VERTICAL);
    ~CNumSpinCtrl() override;
    bool Create(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                const wxSize &size = wxDefaultSize, long style = wxSP_VERTICAL);

    // The edit that holds the value; null detaches it. The buddy must outlive the binding or
    // be detached first (a buddy destroyed first detaches itself).
    void SetBuddy(wxTextCtrl *buddy);
    wxTextCtrl *GetBuddy() const { return m_buddy; }

    void SetLimitsAndStep(double minimum, double maximum, double step);
    void GetLimitsAndStep(double &minimum, double &maximum, double &step) const;
    void SetRangeAndDelta(double minimum, double maximum, double step) {
        SetLimitsAndStep(minimum, maximum, step);
    }
    void GetRangeAndDelta(double &minimum, double &maximum, double &step) const {
        GetLimitsAndStep(minimum, maximum, step);
    }
    // Writes the value into the buddy and moves the position to match.
    void SetPos(double value);
    // The buddy's value; 0 without a buddy.
    double GetPos() const;
    void SetPrecision(int decimals) { m_logic.SetPrecision(decimals); }
    int GetPrecision() const { return m_logic.GetPrecision(); }
    void SetDecimalPlaces(int decimals) { SetPrecision(decimals); }
    int GetDecimalPlaces() const { return GetPrecision(); }
    void SetTrimTrailingZeros(int trim) { m_logic.SetTrimTrailingZeros(trim != 0); }
    // False (format unchanged) for a format that is not one floating conversion.
    bool SetValueFormat(const char *format) { return m_logic.SetValueFormat(format); }
    // The integer position mirroring the value (0 to the position count).
    int GetSpinPosition() const { return m_position; }
    const CNumSpinLogic &GetLogic() const { return m_logic; }

    // One arrow step (delta +1 up, -1 down), as a click on an arrow does.
    void StepBy(int delta);

private:
    void ApplyRange();
    void MovePosition(double value);
    void OnSpin(wxSpinEvent &event);
    void OnBuddyKey(wxKeyEvent &event);
    void OnBuddyText(wxCommandEvent &event);
    void OnBuddyDestroy(wxWindowDestroyEvent &event);

    CNumSpinLogic m_logic;
    wxTextCtrl *m_buddy = nullptr;
    int m_position = 0;
};
