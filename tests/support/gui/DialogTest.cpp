#include "tests/support/gui/DialogTest.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>

namespace kvdtest::gui {

void CDialogTest::SetUp() {
    App();
    Sink().Clear();
}

void Select(wxRadioButton *button) {
    button->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, button->GetId());
    event.SetInt(1);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

void Toggle(wxCheckBox *box) {
    box->SetValue(!box->GetValue());
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetInt(box->GetValue() ? 1 : 0);
    event.SetEventObject(box);
    box->GetEventHandler()->ProcessEvent(event);
}

void Choose(wxChoice *choice, int index) {
    choice->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(index);
    event.SetEventObject(choice);
    choice->GetEventHandler()->ProcessEvent(event);
}

} // namespace kvdtest::gui
