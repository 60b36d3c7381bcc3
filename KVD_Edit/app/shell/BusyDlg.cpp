#include "KVD_Edit/app/shell/BusyDlg.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/KVDVApp.h"

#include <wx/activityindicator.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/thread.h>
#include <wx/utils.h>

CBusyDlg::CBusyDlg(wxWindow *parent)
    : wxDialog(parent, wxID_ANY, wxString(kProgramTitle) + " Processing", wxDefaultPosition,
               wxDefaultSize, wxCAPTION) {
    auto *top = new wxBoxSizer(wxVERTICAL);
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    m_animation = new wxActivityIndicator(this, wxID_ANY);
    row->Add(m_animation, 0, wxALIGN_CENTER_VERTICAL | wxALL, 10);
    row->Add(new wxStaticText(this, wxID_ANY, kMessage), 1, wxALIGN_CENTER_VERTICAL | wxALL, 10);
    top->Add(row, 1, wxEXPAND);
    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 5);
    top->Add(buttons, 0, wxALIGN_CENTER);
    SetSizerAndFit(top);
    CentreOnParent();
    m_animation->Start();

    // Neither button nor Escape closes the dialog: it goes when the work is done.
    Bind(
        wxEVT_BUTTON, [](wxCommandEvent &) {}, wxID_OK);
    Bind(wxEVT_BUTTON, &CBusyDlg::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CBusyDlg::OnCloseWindow, this);
}

CBusyDlg::~CBusyDlg() = default;

void CBusyDlg::OnCancel(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_cancelled = true;
}

void CBusyDlg::OnCloseWindow(wxCloseEvent &event) {
    if (event.CanVeto()) {
        m_cancelled = true;
        event.Veto();
        return;
    }
    Destroy();
}

bool CBusyDlg::IsCancelled() {
    // Only this dialog takes input while it is pumped, so the busy work cannot be re-entered.
    if (wxTheApp && wxIsMainThread())
        wxTheApp->SafeYieldFor(this, wxEVT_CATEGORY_UI | wxEVT_CATEGORY_USER_INPUT);
    return m_cancelled;
}

namespace {

class CBusyDlgDisplay : public IBusyDisplay {
public:
    explicit CBusyDlgDisplay(wxWindow *parent) {
        wxBeginBusyCursor();
        m_dlg = new CBusyDlg(parent);
        m_dlg->Show();
        m_dlg->Raise();
        // The UI thread is about to be busy: draw the dialog now.
        m_dlg->Refresh();
        m_dlg->Update();
        if (wxTheApp)
            wxTheApp->SafeYieldFor(m_dlg, wxEVT_CATEGORY_UI);
    }
    ~CBusyDlgDisplay() override {
        m_dlg->Destroy();
        wxEndBusyCursor();
    }
    bool IsCancelled() override { return m_dlg->IsCancelled(); }

private:
    CBusyDlg *m_dlg;
};

} // namespace

std::unique_ptr<IBusyDisplay> CBusyDlg::CreateDisplay() {
    if (!wxTheApp || !wxTheApp->IsGUI() || !wxIsMainThread())
        return nullptr;
    return std::make_unique<CBusyDlgDisplay>(wxTheApp->GetTopWindow());
}
