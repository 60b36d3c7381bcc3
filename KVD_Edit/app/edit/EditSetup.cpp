#include "KVD_Edit/app/edit/EditSetup.h"

#include "KVD_Edit/app/edit/EditOrientation.h"
#include "KVD_Edit/app/edit/EditPosition.h"
#include "KVD_Edit/app/edit/EditText.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/INIAccess.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/button.h>
#include <wx/display.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

INIAccess *Ini() {
    CKVDVApp *app = GetKVDVApp();
    return app ? &app->GetINIAccess() : nullptr;
}

bool IsFieldTab(int tab) {
    return tab == TAB_NAME || tab == TAB_LENGTH || tab == TAB_STEP || tab == TAB_SPACING;
}

std::string Text(const wxTextCtrl *field) {
    return FromWx(field->GetValue());
}

} // namespace

CEditSetup::CEditSetup(wxWindow *frame, SEditData *data, IEditSetupHost &host, int column)
    : wxDialog(frame, wxID_ANY, EditText::kCaption), m_logic(data, host) {
    KVD_LOG_CALL();
    m_ready = m_logic.Open();
    if (!m_ready)
        return;
    CreateControls();
    m_orientation->SetEditData(data);
    m_position->SetEditData(data);

    m_notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &CEditSetup::OnPageChanging, this);
    m_notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CEditSetup::OnPageChanged, this);
    Bind(wxEVT_BUTTON, &CEditSetup::OnApply, this, EditId::APPLY);
    Bind(wxEVT_BUTTON, &CEditSetup::OnPreview, this, EditId::PREVIEW);
    Bind(wxEVT_BUTTON, &CEditSetup::OnUndo, this, EditId::UNDO);
    Bind(wxEVT_BUTTON, &CEditSetup::OnOK, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CEditSetup::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CEditSetup::OnCloseWindow, this);
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        if (!m_fields[tab])
            continue;
        m_fields[tab]->Bind(wxEVT_TEXT, &CEditSetup::OnFieldText, this);
        m_fields[tab]->Bind(wxEVT_TEXT_ENTER, &CEditSetup::OnFieldEnter, this);
        m_fields[tab]->Bind(wxEVT_KILL_FOCUS, &CEditSetup::OnFieldKillFocus, this);
    }

    const int tab = CEditSetupLogic::TabForColumn(column);
    m_notebook->ChangeSelection(tab);
    ShowTab(tab);
    // The toolkit takes the size of a dialog's window-manager frame from the last dialog whose
    // frame it heard of, and a dialog hidden for a while (the busy dialog stepping aside for a
    // message) leaves that at nothing. A dialog that starts without a frame size is shown only
    // once the manager has told it: shown so, it stands where the manager puts it (the
    // screen's corner), not where it was placed, with a client area smaller by its frame.
    // Shown at once it stands where it is placed, with the size it was laid out for, and its
    // frame is added when the manager tells it.
    WindowSystem::ShowAtOnce(this);
    PlaceWindow();
    m_updating = false;
}

CEditSetup::~CEditSetup() {
    m_closing = true;
}

void CEditSetup::CreateControls() {
    m_notebook = new wxNotebook(this, EditId::NOTEBOOK);
    m_orientation = new CEditOrientation(m_notebook, [this](CEditDlg::ENotice n) { OnNotice(n); });
    m_position = new CEditPosition(m_notebook, [this](CEditDlg::ENotice n) { OnNotice(n); });
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        wxWindow *page = tab == TAB_ORIENTATION ? m_orientation
                         : tab == TAB_POSITION
                             ? m_position
                             : CreateFieldPage(tab, tab == TAB_NAME ? "Line" : nullptr);
        m_notebook->AddPage(page, EditText::kTabNames[tab]);
    }

    m_hint = new wxStaticText(this, EditId::HINT, EditText::kLocalWorldHint);
    m_hint->Wrap(FromDIP(580));
    m_hint->Hide();
    m_undo = new wxButton(this, EditId::UNDO, "Undo");
    m_preview = new wxButton(this, EditId::PREVIEW, "Preview");
    m_cancel = new wxButton(this, wxID_CANCEL, "Cancel");
    m_ok = new wxButton(this, wxID_OK, "OK");
    SetEscapeId(wxID_CANCEL);
    SetAffirmativeId(wxID_OK);

    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(m_undo, 0, wxRIGHT, FromDIP(6));
    buttons->Add(m_preview, 0, wxRIGHT, FromDIP(6));
    buttons->AddStretchSpacer();
    buttons->Add(m_cancel, 0, wxRIGHT, FromDIP(6));
    buttons->Add(m_ok, 0);

    auto *top = new wxBoxSizer(wxVERTICAL);
    top->Add(m_notebook, 1, wxEXPAND | wxALL, FromDIP(8));
    top->Add(m_hint, 0, wxLEFT | wxRIGHT, FromDIP(8));
    top->Add(buttons, 0, wxEXPAND | wxALL, FromDIP(8));
    SetSizer(top);
    // The toolkit's notebook does not measure the layouts of its pages: it is made large enough
    // for the largest, so that every label of every page shows whole.
    wxSize largest;
    for (size_t page = 0; page < m_notebook->GetPageCount(); ++page)
        largest.IncTo(m_notebook->GetPage(page)->GetBestSize());
    wxSize least = FromDIP(wxSize(600, 210));
    least.IncTo(m_notebook->CalcSizeFromPage(largest));
    m_notebook->SetMinSize(least);
    Fit();
}

wxWindow *CEditSetup::CreateFieldPage(int tab, const char *label) {
    auto *page = new wxPanel(m_notebook, wxID_ANY);
    m_fields[tab] = new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                   FromDIP(wxSize(160, -1)), wxTE_PROCESS_ENTER);
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    if (label)
        row->Add(new wxStaticText(page, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT,
                 FromDIP(8));
    row->Add(m_fields[tab], 0, wxALIGN_CENTER_VERTICAL);
    auto *top = new wxBoxSizer(wxVERTICAL);
    top->AddStretchSpacer();
    top->Add(row, 0, wxALIGN_CENTER_HORIZONTAL);
    top->AddStretchSpacer();
    page->SetSizer(top);
    return page;
}

wxTextCtrl *CEditSetup::GetField(int tab) const {
    return tab >= 0 && tab < TAB_COUNT ? m_fields[tab] : nullptr;
}

CEditDlg *CEditSetup::Page(int tab) const {
    if (tab == TAB_ORIENTATION)
        return m_orientation;
    if (tab == TAB_POSITION)
        return m_position;
    return nullptr;
}

// A stored point on no display (a screen that is gone) leaves the dialog centred on its
// parent; else the dialog keeps its own size at the stored left and top.
void CEditSetup::PlaceWindow() {
    CentreOnParent();
    INIAccess *ini = Ini();
    if (!ini)
        return;
    const wxRect now = GetScreenRect();
    const std::string text = ini->ReadIni(EditText::kPlacementSection, EditText::kPlacementKey,
                                          FormatC("%d,%d,%d,%d", now.GetLeft(), now.GetTop(),
                                                  now.GetRight() + 1, now.GetBottom() + 1));
    SWindowPlacement placement;
    if (!ParseRectString(text, placement))
        return;
    const wxPoint at(placement.rcNormalPosition.left, placement.rcNormalPosition.top);
    if (wxDisplay::GetFromPoint(at) != wxNOT_FOUND)
        Move(at);
}

void CEditSetup::StorePlacement() {
    if (INIAccess *ini = Ini())
        SaveWindowPlacement(this, *ini, EditText::kPlacementSection, EditText::kPlacementKey);
}

void CEditSetup::SyncWorkBuffers() {
    m_logic.SyncWorkBuffers();
}

void CEditSetup::OnTcnSelchangeTab1() {
    KVD_LOG_CALL();
    if (m_closing)
        return;
    ShowTab(m_notebook->GetSelection());
}

void CEditSetup::ShowTab(int tab) {
    m_logic.SetCurrentTab(tab);
    if (IsFieldTab(tab)) {
        wxTextCtrl *field = m_fields[tab];
        EnableKeepingTheKeyboard(field, m_logic.FieldEnabled(tab));
        if (field->IsEnabled())
            CallAfter([this, field] {
                if (!m_closing && field->IsShownOnScreen())
                    field->SetFocus();
            });
    }
    DisplayValues();
    m_logic.AnyWorkChanges(false, false);
    RefreshButtons();
}

void CEditSetup::DisplayValues() {
    KVD_LOG_CALL();
    const int tab = m_logic.GetCurrentTab();
    const bool updating = m_updating;
    m_updating = true;
    if (IsFieldTab(tab))
        m_fields[tab]->ChangeValue(ToWx(m_logic.Display(tab)));
    else if (CEditDlg *page = Page(tab))
        page->DisplayControls();
    m_updating = updating;
    RefreshButtons();
}

void CEditSetup::RefreshButtons() {
    if (!m_undo)
        return;
    // An applied edit disables Preview, and Undo back to the start disables Undo, often while
    // the button has the keyboard (the person tabbed onto it or pressed it): it hands it on.
    EnableKeepingTheKeyboard(m_undo, m_logic.IsUndoEnabled());
    EnableKeepingTheKeyboard(m_preview, m_logic.IsPreviewEnabled());
    if (m_hint->IsShown() != m_logic.IsHintShown()) {
        m_hint->Show(m_logic.IsHintShown());
        Layout();
    }
}

void CEditSetup::ApplyTab(int tab, bool force) {
    if (m_closing || tab < 0)
        return;
    if (IsFieldTab(tab)) {
        wxTextCtrl *field = m_fields[tab];
        std::string text = Text(field);
        m_logic.Preview(tab, text, force,
                        [field](const std::string &reset) { field->ChangeValue(ToWx(reset)); });
        if (!m_closing)
            m_fields[tab]->ChangeValue(ToWx(text));
    } else {
        if (CEditDlg *page = Page(tab)) {
            if (!page->ValidateFields())
                return;
            page->UpdateValues();
        }
        m_logic.AnyWorkChanges(true, force);
        DisplayValues();
    }
    RefreshButtons();
}

void CEditSetup::OnNotice(CEditDlg::ENotice what) {
    if (what == CEditDlg::NOTICE_CHANGED) {
        m_logic.EnablePreview();
        m_logic.ShowHint();
        RefreshButtons();
    } else {
        ApplyTab(m_logic.GetCurrentTab(), false);
    }
}

// Leaving a tab whose entry is invalid is refused here, before the tab changes; the message is
// shown once the notebook has finished with the click.
void CEditSetup::OnPageChanging(wxBookCtrlEvent &event) {
    const int old = event.GetOldSelection();
    SFieldCheck check;
    if (IsFieldTab(old)) {
        check = m_logic.Check(old, Text(m_fields[old]));
        if (!check.valid)
            m_fields[old]->ChangeValue(ToWx(check.resetText));
    } else if (CEditDlg *page = Page(old)) {
        check = page->CheckFields();
        if (page->TakeInvalidEntryFlag())
            check.valid = false;
    }
    if (check.valid)
        return;
    event.Veto();
    if (!check.message.empty())
        CallAfter([check] { CEditSetupLogic::ShowCheck(check); });
}

void CEditSetup::OnPageChanged(wxBookCtrlEvent &event) {
    KVD_LOG_CALL();
    const int old = event.GetOldSelection();
    if (old >= 0 && old != event.GetSelection())
        ApplyTab(old, false);
    ShowTab(event.GetSelection());
}

void CEditSetup::OnApply(wxCommandEvent &) {
    ApplyTab(m_logic.GetCurrentTab(), false);
}

void CEditSetup::OnPreview(wxCommandEvent &) {
    KVD_LOG_CALL();
    ApplyTab(m_logic.GetCurrentTab(), true);
}

void CEditSetup::OnUndo(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_logic.Undo();
    RefreshButtons();
}

void CEditSetup::CloseOK() {
    if (m_closing)
        return;
    if (m_logic.IsPreviewEnabled())
        ApplyTab(m_logic.GetCurrentTab(), true);
    m_closing = true;
    StorePlacement();
    EndModal(wxID_OK);
}

void CEditSetup::CloseCancel() {
    if (m_closing)
        return;
    m_closing = true;
    m_cancelRestored = m_logic.Cancel();
    StorePlacement();
    EndModal(wxID_CANCEL);
}

void CEditSetup::OnOK(wxCommandEvent &) {
    KVD_LOG_CALL();
    CloseOK();
}

void CEditSetup::OnCancel(wxCommandEvent &) {
    KVD_LOG_CALL();
    CloseCancel();
}

void CEditSetup::OnCloseWindow(wxCloseEvent &) {
    CloseCancel();
}

void CEditSetup::OnFieldText(wxCommandEvent &event) {
    if (m_updating)
        return;
    for (int tab = 0; tab < TAB_COUNT; ++tab)
        if (m_fields[tab] && m_fields[tab] == event.GetEventObject()) {
            if (m_logic.OnTextChanged(tab, FromWx(event.GetString())))
                RefreshButtons();
            return;
        }
}

void CEditSetup::OnFieldEnter(wxCommandEvent &) {
    KVD_LOG_CALL();
    ApplyTab(m_logic.GetCurrentTab(), false);
}

void CEditSetup::OnFieldKillFocus(wxFocusEvent &event) {
    event.Skip();
    if (m_closing || m_updating)
        return;
    // Leaving for Cancel takes nothing: Cancel undoes every edit anyway.
    if (event.GetWindow() == m_cancel)
        return;
    const int tab = m_logic.GetCurrentTab();
    if (!IsFieldTab(tab) || m_fields[tab] != event.GetEventObject())
        return;
    CallAfter([this, tab] {
        if (!m_closing && m_logic.GetCurrentTab() == tab)
            ApplyTab(tab, false);
    });
}
