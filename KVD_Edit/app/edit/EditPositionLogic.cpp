#include "KVD_Edit/app/edit/EditPositionLogic.h"

#include "KVD_Edit/app/edit/EditText.h"
#include "KVD_Edit/app/shell/Helpers.h"

double &CEditPositionLogic::Value(int field) {
    SGridInfo &work = *m_data->workRow;
    switch (field) {
    case PF_XMIN:
        return work.xMin;
    case PF_XMAX:
        return work.xMax;
    case PF_YMIN:
        return work.yMin;
    default:
        return work.yMax;
    }
}

std::string CEditPositionLogic::Display(int field) {
    if (field < 0 || field >= PF_COUNT)
        return std::string();
    m_shown[field] = FormatC("%.3f", Value(field));
    return m_shown[field];
}

bool CEditPositionLogic::FieldEnabled(int field) const {
    return field == PF_XMIN || field == PF_YMIN;
}

void CEditPositionLogic::SelectMode(int) {
    m_mode = MODE_MOVE_AS_GROUP;
}

bool CEditPositionLogic::OnTextChanged(int field, const std::string &text) {
    if (field < 0 || field >= PF_COUNT)
        return false;
    m_data->ClearEnteredFields();
    m_data->enteredField[field] = true;
    m_invalidEntry = false;
    return text != m_shown[field] &&
           RoundToDecimals(ParseDoubleC(text), 6) != RoundToDecimals(Value(field), 6);
}

SFieldCheck CEditPositionLogic::ValidateFields(const std::string (&texts)[PF_COUNT]) {
    SFieldCheck check;
    static const int kOrder[PF_COUNT] = {PF_XMIN, PF_XMAX, PF_YMIN, PF_YMAX};
    int field = m_data->FirstEntered(kOrder);
    if (field < 0)
        field = PF_YMAX;
    if (texts[field] == m_shown[field] || CEditSetupLogic::IsNumberText(texts[field]))
        return check;
    check.valid = false;
    check.message = EditText::kInvalidNumber;
    check.resetText = Display(field);
    m_invalidEntry = true;
    return check;
}

bool CEditPositionLogic::UpdateValues(const std::string (&texts)[PF_COUNT]) {
    bool taken = false;
    for (int field : {PF_XMIN, PF_XMAX, PF_YMAX, PF_YMIN}) {
        if (!FieldEnabled(field) || texts[field] == m_shown[field] ||
            !CEditSetupLogic::IsNumberText(texts[field]))
            continue;
        const double v = ParseDoubleC(texts[field]);
        if (RoundToDecimals(v, 6) == RoundToDecimals(ParseDoubleC(m_shown[field]), 6))
            continue;
        Value(field) = v;
        taken = true;
    }
    m_data->moveAsGroup = m_mode == MODE_MOVE_AS_GROUP ? 1 : 0;
    m_data->keepLength = m_mode != MODE_STRETCH;
    return taken;
}

bool CEditPositionLogic::TakeInvalidEntryFlag() {
    const bool flag = m_invalidEntry;
    m_invalidEntry = false;
    return flag;
}
