#pragma once

#include "KVD_Edit/app/edit/EditData.h"

#include <wx/panel.h>

#include <functional>

// Window ids of the editing dialog and its pages.
namespace EditId {
enum : int {
    APPLY = 1025,         // the apply the pages ask for (Enter, a button)
    INTERCHANGE_X = 1037, // Orientation page
    SWAP_XY = 1038,
    INTERCHANGE_Y = 1039,
    REVERSE = 1040,
    MOVE_AS_GROUP = 1049, // Position page
    MOVE_LINES = 1050,
    STRETCH = 1051,
    NOTEBOOK = 1053,
    UNDO = 1062,
    PREVIEW = 1065,
    HINT = 1161,
};
} // namespace EditId

// The base of the editing dialog's pages (Orientation and Position): a panel on the dialog's
// notebook over the frame's edit data. A page changes only the edit data and then asks the
// dialog to apply it; the arithmetic of every edit is the frame's.
class CEditDlg : public wxPanel {
public:
    // What a page tells its dialog.
    enum ENotice : int {
        NOTICE_APPLY,   // apply the edit data now
        NOTICE_CHANGED, // a value was changed (show the hint, enable "Preview")
    };
    using Notify = std::function<void(ENotice)>;

    CEditDlg(wxWindow *parent, Notify notify);

    virtual void SetEditData(SEditData *data) { m_data = data; }
    // Shows the edit data.
    virtual void DisplayControls() {}
    // Checks what was typed; an invalid value is put back (the page keeps the focus) and the
    // check says why, without showing it.
    virtual SFieldCheck CheckFields() { return SFieldCheck(); }
    // The same, showing the message and setting the invalid-entry flag; false when invalid.
    bool ValidateFields();
    // Takes what was typed into the edit data (before an apply or when the page is left).
    virtual void UpdateValues() {}
    // The invalid-entry flag (a validation put a value back), cleared by taking it.
    bool TakeInvalidEntryFlag();

protected:
    void Notice(ENotice what) {
        if (m_notify)
            m_notify(what);
    }

    SEditData *m_data = nullptr;
    bool m_invalidEntry = false;
    bool m_busy = true; // while the page puts values into its fields

private:
    Notify m_notify;
};
