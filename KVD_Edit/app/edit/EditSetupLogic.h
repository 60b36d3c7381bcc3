#pragma once

#include "KVD_Edit/app/edit/EditData.h"
#include "KVD_Edit/app/edit/EditSnapshots.h"
#include "KVD_Edit/app/grid/GridInfo.h"

#include <functional>
#include <string>

class CKvdGprDataFiles;

// The tabs of the editing dialog.
enum EEditTab : int {
    TAB_NAME = 0,
    TAB_ORIENTATION = 1,
    TAB_POSITION = 2,
    TAB_LENGTH = 3,
    TAB_STEP = 4,
    TAB_SPACING = 5,
    TAB_COUNT = 6,
};

// What the editing dialog asks of the frame that runs it.
class IEditSetupHost {
public:
    virtual ~IEditSetupHost() = default;
    // Writes the selected rows back from the edit request and reloads the grid (command 32797).
    virtual void UpdateViewAndGridFromEditDlg() = 0;
    // After an Undo: reloads the grid keeping the selection and refreshes the dialog from it
    // (commands 32774 and 32796).
    virtual void ReloadAfterUndo() = 0;
    // The document's project holder; null without one.
    virtual CKvdGprDataFiles *GetDataFiles() = 0;
};

// The decisions of the editing dialog, without windows: which tab a grid column opens, what
// each field shows and whether it is enabled, whether typed text is valid and whether it is a
// change, and the apply, Undo and Cancel sequence over the project's snapshots. The values
// typed into a field are taken only when they differ from what the dialog wrote into it, so
// the rounding of a shown value never becomes an edit.
class CEditSetupLogic {
public:
    CEditSetupLogic(SEditData *data, IEditSetupHost &host);

    // Writes the base snapshot of the project. False (the dialog must not open) when there is
    // no project or the snapshot cannot be written; the message has been shown.
    bool Open();

    SEditData &Data() { return *m_data; }
    SGridInfo &Work() { return *m_data->workRow; }
    const SGridInfo &Reference() const { return m_reference; }

    // Copies the frame's work row into the dialog's reference copy.
    void SyncWorkBuffers();

    // The tab a grid column opens: 0 and 1 Name, 2 Orientation, 3 to 6 Position, 7 Length,
    // 8 Step Size, 9 Edit flag Orientation, any other Name.
    static int TabForColumn(int column);

    int GetCurrentTab() const { return m_currentTab; }
    void SetCurrentTab(int tab) { m_currentTab = tab; }

    // The text a field tab (Name, Length, Step Size, Line Spacing) shows now; it is remembered
    // as what the dialog wrote into the field.
    std::string Display(int tab);
    // Whether the field of a tab accepts input.
    bool FieldEnabled(int tab) const;
    // The user changed the text of a field tab: true when that is a change (the dialog then
    // shows its hint and enables "Preview").
    bool OnTextChanged(int tab, const std::string &text);

    // Checks a field tab's text: a number (digits, one '.', a leading '-', at least one digit);
    // a step or length above 0; a line name that is not empty.
    SFieldCheck Check(int tab, const std::string &text) const;
    // Takes a field tab's text into the edit data when it differs from what was shown.
    void UpdateValues(int tab, const std::string &text);

    // "Preview" and the apply of Enter, of a page and of leaving a field: the text is checked
    // (an invalid one comes back in text reset, is handed to putBack and then its message
    // shows), taken, and applied when anything changed (force: always). True when an apply ran.
    // The field holds the stored value again before the message takes the focus from it, so
    // that the check its focus loss runs finds nothing to refuse.
    bool Preview(int tab, std::string &text, bool force,
                 const std::function<void(const std::string &)> &putBack = {});
    // Whether the work row or a request differs from the reference copy; with apply, saves a
    // restore point and has the frame write the rows back. True when there was a change (and,
    // with apply, it was applied).
    bool AnyWorkChanges(bool apply, bool force);

    // Steps back to the latest restore point. True when restored.
    bool Undo();
    // Returns the project to the state it had when the dialog opened. True when it is there
    // (also when nothing had been applied).
    bool Cancel();

    bool IsPreviewEnabled() const { return m_previewEnabled; }
    void EnablePreview() { m_previewEnabled = true; }
    bool IsUndoEnabled() const { return m_undoEnabled; }
    bool IsHintShown() const { return m_hintShown; }
    void ShowHint() { m_hintShown = true; }
    const CEditSnapshots &Snapshots() const { return m_snapshots; }

    // Whether a text is a number as the fields take them.
    static bool IsNumberText(const std::string &text);
    // Shows a check's message through the message sink.
    static void ShowCheck(const SFieldCheck &check);

private:
    void ResetWorkToReference();
    std::string Format(int tab) const;

    SEditData *m_data;
    IEditSetupHost &m_host;
    SGridInfo m_reference;
    CEditSnapshots m_snapshots;
    int m_currentTab = -1;
    std::string m_shown[TAB_COUNT];
    bool m_spacingEdited = false;
    bool m_previewEnabled = false;
    bool m_undoEnabled = false;
    bool m_hintShown = false;
    bool m_applied = false;
};
