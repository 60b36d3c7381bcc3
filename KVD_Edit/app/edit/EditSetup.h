#pragma once

#include "KVD_Edit/app/edit/EditDlg.h"
#include "KVD_Edit/app/edit/EditSetupLogic.h"

#include <wx/dialog.h>

class CEditOrientation;
class CEditPosition;
class wxBookCtrlEvent;
class wxButton;
class wxCloseEvent;
class wxCommandEvent;
class wxFocusEvent;
class wxNotebook;
class wxStaticText;
class wxTextCtrl;

// The modal dialog "Editing" that the child frame's Edit command runs over the selected grid
// rows: one tab per kind of edit ("Name", "Orientation", "Position", "Length", "Step Size",
// "Line Spacing"). An applied edit first saves a restore point of the project, then has the
// frame write the rows back; "Undo" steps back through the restore points and Cancel (or
// Escape) returns the project to what it was when the dialog opened. The project file itself
// is never written: the user saves the project as usual.
class CEditSetup : public wxDialog {
public:
    // column: the grid column last clicked, which chooses the first tab.
    CEditSetup(wxWindow *frame, SEditData *data, IEditSetupHost &host, int column);
    ~CEditSetup() override;

    // False when the dialog must not run (the project's base snapshot could not be saved; the
    // message has been shown).
    bool IsReady() const { return m_ready; }

    // The frame's work row becomes the reference of the next change.
    void SyncWorkBuffers();
    // Shows the current tab again from the edit data (after the frame refilled it).
    void OnTcnSelchangeTab1();
    // Puts the work row's values into the current tab's fields.
    void DisplayValues();

    // Ends the dialog as OK and Cancel do.
    void CloseOK();
    void CloseCancel();
    // After a Cancel: whether the project is back as the dialog found it (nothing applied, or
    // the base snapshot restored).
    bool CancelRestoredTheProject() const { return m_cancelRestored; }

    CEditSetupLogic &GetLogic() { return m_logic; }
    wxNotebook *GetNotebook() const { return m_notebook; }
    // The input field of a field tab (Name, Length, Step Size, Line Spacing), else null.
    wxTextCtrl *GetField(int tab) const;
    CEditOrientation *GetOrientationPage() const { return m_orientation; }
    CEditPosition *GetPositionPage() const { return m_position; }
    wxButton *GetUndoButton() const { return m_undo; }
    wxButton *GetPreviewButton() const { return m_preview; }
    wxStaticText *GetHint() const { return m_hint; }

private:
    void CreateControls();
    wxWindow *CreateFieldPage(int tab, const char *label);
    void PlaceWindow();
    void StorePlacement();
    // Shows a tab's controls and values.
    void ShowTab(int tab);
    CEditDlg *Page(int tab) const;
    void RefreshButtons();
    // Applies what a tab holds: its field's text (field tabs) or the edit data (pages).
    void ApplyTab(int tab, bool force);
    void OnNotice(CEditDlg::ENotice what);

    void OnPageChanging(wxBookCtrlEvent &event);
    void OnPageChanged(wxBookCtrlEvent &event);
    void OnApply(wxCommandEvent &event);
    void OnPreview(wxCommandEvent &event);
    void OnUndo(wxCommandEvent &event);
    void OnOK(wxCommandEvent &event);
    void OnCancel(wxCommandEvent &event);
    void OnCloseWindow(wxCloseEvent &event);
    void OnFieldText(wxCommandEvent &event);
    void OnFieldEnter(wxCommandEvent &event);
    void OnFieldKillFocus(wxFocusEvent &event);

    CEditSetupLogic m_logic;
    bool m_ready = false;
    bool m_closing = false;
    bool m_cancelRestored = false;
    bool m_updating = true;
    wxNotebook *m_notebook = nullptr;
    wxTextCtrl *m_fields[TAB_COUNT] = {};
    CEditOrientation *m_orientation = nullptr;
    CEditPosition *m_position = nullptr;
    wxButton *m_undo = nullptr;
    wxButton *m_preview = nullptr;
    wxButton *m_ok = nullptr;
    wxButton *m_cancel = nullptr;
    wxStaticText *m_hint = nullptr;
};
