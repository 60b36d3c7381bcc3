#pragma once

#include "KVD_Edit/app/edit/EditData.h"
#include "KVD_Edit/app/edit/EditSetupLogic.h"

#include <string>

// The decisions of the Position page, without windows: the four position fields (Xmin, Xmax,
// Ymin, Ymax) of the work row, which of them was entered last, their check and the values they
// give the work row. The page presents "Move as Group" only: Xmin and Ymin accept input and
// every selected line moves by their change.
class CEditPositionLogic {
public:
    // Position modes.
    enum EMode : int {
        MODE_MOVE_AS_GROUP = 0,
        MODE_MOVE_LINES = 1,
        MODE_STRETCH = 2,
    };

    explicit CEditPositionLogic(SEditData *data) : m_data(data) {}

    // The text a field shows now; it is remembered as what the page wrote into it.
    std::string Display(int field);
    // Whether a field accepts input (Xmin and Ymin).
    bool FieldEnabled(int field) const;
    int GetMode() const { return m_mode; }
    // The radio buttons choose a mode; the page presents mode 0 again whatever is chosen.
    void SelectMode(int mode);

    // The user changed a field's text: it becomes the entered field. True when the value
    // differs from the work row's (the dialog then shows its hint and enables "Preview").
    bool OnTextChanged(int field, const std::string &text);
    // Checks the entered field (the first flagged, in the order Xmin, Xmax, Ymin, else Ymax).
    // An invalid text comes back in resetText, and the invalid-entry flag is set.
    SFieldCheck ValidateFields(const std::string (&texts)[PF_COUNT]);
    // Takes the fields whose values differ from what the page wrote into them; true when one
    // was taken. Sets the mode's move-as-group and keep-length values.
    bool UpdateValues(const std::string (&texts)[PF_COUNT]);
    // The invalid-entry flag, cleared by taking it.
    bool TakeInvalidEntryFlag();

private:
    double &Value(int field);

    SEditData *m_data;
    int m_mode = MODE_MOVE_AS_GROUP;
    bool m_invalidEntry = false;
    std::string m_shown[PF_COUNT];
};
