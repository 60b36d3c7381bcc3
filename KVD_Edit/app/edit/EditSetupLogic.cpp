#include "KVD_Edit/app/edit/EditSetupLogic.h"

#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/edit/EditText.h"
#include "KVD_Edit/app/shell/Helpers.h"

#include "KVD3/KVDXmlFile.h"
#include "orq_utils/MessageSink.h"

namespace {

constexpr size_t kMaxNameLength = 255;

bool Differs(double a, double b, int decimals) {
    return RoundToDecimals(a, decimals) != RoundToDecimals(b, decimals);
}

bool IsFieldTab(int tab) {
    return tab == TAB_NAME || tab == TAB_LENGTH || tab == TAB_STEP || tab == TAB_SPACING;
}

} // namespace

CEditSetupLogic::CEditSetupLogic(SEditData *data, IEditSetupHost &host)
    : m_data(data), m_host(host) {
    SyncWorkBuffers();
}

bool CEditSetupLogic::Open() {
    CKvdGprDataFiles *files = m_host.GetDataFiles();
    ORQ::CKVDXmlFile *file = files ? files->GetKvdXmlFile() : nullptr;
    if (file && m_snapshots.Open(*file))
        return true;
    ORQ::ShowMessage(FormatC(EditText::kNoSnapshotFormat, CEditSnapshots::TempFolder().c_str()),
                     ORQ::MB_OK | ORQ::MB_ICONERROR);
    return false;
}

void CEditSetupLogic::SyncWorkBuffers() {
    if (m_data && m_data->workRow)
        m_reference = *m_data->workRow;
}

int CEditSetupLogic::TabForColumn(int column) {
    switch (column) {
    case 2: // "Orientation"
    case 9: // "Edit"
        return TAB_ORIENTATION;
    case 3: // "Xmin" to "Ymax"
    case 4:
    case 5:
    case 6:
        return TAB_POSITION;
    case 7: // "Length"
        return TAB_LENGTH;
    case 8: // "Step"
        return TAB_STEP;
    default: // "Grid Name", "Line Name" and the rest
        return TAB_NAME;
    }
}

std::string CEditSetupLogic::Format(int tab) const {
    const SGridInfo &work = *m_data->workRow;
    switch (tab) {
    case TAB_NAME:
        return m_data->selectedCount == 1 ? work.lineName : std::string();
    case TAB_LENGTH:
        return FormatC("%.3f", work.length);
    case TAB_STEP:
        return FormatC("%.*f", 6, work.step);
    case TAB_SPACING:
        return FormatC("%.6f", m_data->lineSpacing);
    default:
        return std::string();
    }
}

std::string CEditSetupLogic::Display(int tab) {
    if (!IsFieldTab(tab))
        return std::string();
    m_shown[tab] = Format(tab);
    return m_shown[tab];
}

bool CEditSetupLogic::FieldEnabled(int tab) const {
    switch (tab) {
    case TAB_NAME:
        return m_data->selectedCount == 1;
    case TAB_LENGTH:
        return !m_data->setNamesDiffer;
    case TAB_STEP:
        return true;
    case TAB_SPACING:
        return (m_data->xLineCount > 1 || m_data->yLineCount > 1) && !m_data->setNamesDiffer;
    default:
        return false;
    }
}

bool CEditSetupLogic::OnTextChanged(int tab, const std::string &text) {
    if (m_currentTab == -1 || !IsFieldTab(tab) || text == m_shown[tab])
        return false;
    const SGridInfo &work = *m_data->workRow;
    const double v = ParseDoubleC(text);
    bool changed = false;
    switch (tab) {
    case TAB_NAME:
        changed = m_data->selectedCount == 1 && text != work.lineName;
        break;
    case TAB_LENGTH:
        changed = Differs(v, work.length, 6);
        break;
    case TAB_STEP:
        changed = Differs(v, work.step, 6);
        break;
    case TAB_SPACING:
        changed = Differs(v, m_data->lineSpacing, 6);
        break;
    }
    if (changed)
        m_previewEnabled = m_hintShown = true;
    return changed;
}

bool CEditSetupLogic::IsNumberText(const std::string &text) {
    bool digit = false, point = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else if (!(c == '-' && i == 0))
            return false;
    }
    return digit;
}

SFieldCheck CEditSetupLogic::Check(int tab, const std::string &text) const {
    SFieldCheck check;
    if (!IsFieldTab(tab) || !FieldEnabled(tab) || text == m_shown[tab])
        return check;
    if (tab == TAB_NAME) {
        if (text.empty()) {
            check.valid = false;
            check.message = EditText::kEmptyName;
            check.resetText = Format(tab);
        }
        return check;
    }
    if (!IsNumberText(text)) {
        check.valid = false;
        check.message = EditText::kInvalidNumber;
    } else if ((tab == TAB_STEP || tab == TAB_LENGTH) && ParseDoubleC(text) <= 0) {
        // Zero and a negative value are refused alike; the message says which was given.
        const bool zero = ParseDoubleC(text) == 0;
        check.valid = false;
        if (tab == TAB_STEP)
            check.message = zero ? EditText::kStepZero : EditText::kStepNegative;
        else
            check.message = zero ? EditText::kLengthZero : EditText::kLengthNegative;
    }
    if (!check.valid)
        check.resetText = Format(tab);
    return check;
}

void CEditSetupLogic::ShowCheck(const SFieldCheck &check) {
    if (!check.valid && !check.message.empty())
        ORQ::ShowMessage(check.message, ORQ::MB_OK | ORQ::MB_ICONWARNING);
}

void CEditSetupLogic::UpdateValues(int tab, const std::string &text) {
    if (!IsFieldTab(tab) || !FieldEnabled(tab) || text == m_shown[tab])
        return;
    SGridInfo &work = *m_data->workRow;
    if (tab == TAB_NAME) {
        if (!text.empty())
            work.lineName = text.substr(0, kMaxNameLength);
        return;
    }
    const double v = ParseDoubleC(text);
    if (!Differs(v, ParseDoubleC(m_shown[tab]), 6))
        return;
    if (tab == TAB_LENGTH) {
        work.length = v;
    } else if (tab == TAB_STEP) {
        work.step = v;
    } else {
        m_data->lineSpacing = v;
        m_spacingEdited = true;
    }
}

bool CEditSetupLogic::Preview(int tab, std::string &text, bool force,
                              const std::function<void(const std::string &)> &putBack) {
    if (IsFieldTab(tab)) {
        const SFieldCheck check = Check(tab, text);
        if (!check.valid) {
            text = check.resetText;
            m_shown[tab] = text;
            if (putBack)
                putBack(text);
            ShowCheck(check);
            return false;
        }
        UpdateValues(tab, text);
    }
    const bool applied = AnyWorkChanges(true, force);
    if (IsFieldTab(tab))
        text = Display(tab);
    return applied;
}

void CEditSetupLogic::ResetWorkToReference() {
    SGridInfo &work = *m_data->workRow;
    work.xMin = m_reference.xMin;
    work.xMax = m_reference.xMax;
    work.yMin = m_reference.yMin;
    work.yMax = m_reference.yMax;
    work.length = m_reference.length;
    work.step = m_reference.step;
}

bool CEditSetupLogic::AnyWorkChanges(bool apply, bool force) {
    SGridInfo &work = *m_data->workRow;
    const SEditData &d = *m_data;
    const bool change =
        Differs(work.xMax, m_reference.xMax, 3) || Differs(work.xMin, m_reference.xMin, 3) ||
        Differs(work.yMin, m_reference.yMin, 3) || Differs(work.yMax, m_reference.yMax, 3) ||
        Differs(work.length, m_reference.length, 3) || Differs(work.step, m_reference.step, 6) ||
        d.reverseDirection || d.interchangeX || d.swapXY ||
        work.lineName.compare(0, 256, m_reference.lineName, 0, 256) != 0 || force ||
        d.interchangeY || m_spacingEdited;
    if (!change) {
        // A change below the precision shown is no change: the work row takes the values it
        // had, so that no later apply carries it along.
        ResetWorkToReference();
        return false;
    }
    if (!apply) {
        m_hintShown = true;
        return true;
    }
    CKvdGprDataFiles *files = m_host.GetDataFiles();
    ORQ::CKVDXmlFile *file = files ? files->GetKvdXmlFile() : nullptr;
    if (!file || !m_snapshots.SaveRestorePoint(*file)) {
        // Without its restore point the edit could not be undone: it is not made.
        ORQ::ShowMessage(EditText::kErrorSaving, ORQ::MB_OK | ORQ::MB_ICONERROR);
        m_data->ClearRequests();
        m_spacingEdited = false;
        ResetWorkToReference();
        work.lineName = m_reference.lineName;
        return false;
    }
    if (m_spacingEdited) {
        m_data->spacingChanged = true;
        m_spacingEdited = false;
    }
    m_hintShown = true;
    m_undoEnabled = true;
    m_applied = true;
    m_reference = work;
    m_host.UpdateViewAndGridFromEditDlg();
    m_previewEnabled = false;
    m_reference = work;
    return true;
}

bool CEditSetupLogic::Undo() {
    CKvdGprDataFiles *files = m_host.GetDataFiles();
    if (!files || !m_snapshots.Restore(*files))
        return false;
    m_host.ReloadAfterUndo();
    if (m_snapshots.GetCount() == 0) {
        m_undoEnabled = false;
        m_hintShown = false;
    }
    return true;
}

bool CEditSetupLogic::Cancel() {
    m_currentTab = -1;
    if (!m_applied)
        return true;
    CKvdGprDataFiles *files = m_host.GetDataFiles();
    return files && m_snapshots.RestoreBase(*files);
}
