#include "KVD_Edit/app/grid/ChildFrame.h"

#include "KVD_Edit/app/document/DocumentCommands.h"
#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/edit/EditSetup.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/lines/RowWriteBack.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/INIAccess.h"
#include "KVD_Edit/app/shell/KVDVApp.h"

#include <wx/utils.h>

#include <memory>

// The editing command of the child frame: the frame gathers the selected grid rows for the
// edit engine, runs the editing dialog and writes the rows back when the dialog applies.

namespace {

// The frame's grid rows as the edit engine reads and writes them. The rows of one apply are
// written by one writer over one index of the project's lines, read at the first row: each
// row's line is then reached through its node rather than by a walk of its set.
class CFrameEditRows : public IEditRows {
public:
    explicit CFrameEditRows(CChildFrame &frame) : m_frame(frame) {}
    int GetNumRows() const override { return m_frame.GetNumRows(); }
    bool IsRowSelected(int row) const override {
        KVDGridView *grid = m_frame.GetGridView();
        return grid && grid->IsRowSelected(row);
    }
    void GetGridInfoRow(SGridInfo &out, int row) const override {
        m_frame.GetGridInfoRow(out, row);
    }
    bool ModifyRow(const SGridInfo &row, int index) override {
        IGridDocument *doc = m_frame.GetGridDocument();
        ORQ::CKVDXmlFile *file = m_frame.GetKvdFilePtr();
        KVDGridView *grid = m_frame.GetGridView();
        if (!doc || !file || !grid || index < 0 || index >= grid->GetNumRows())
            return false;
        if (!m_writer || m_lines->File() != file) {
            m_writer.reset();
            m_lines = std::make_unique<CLineNodes>(file);
            m_writer = std::make_unique<CRowWriteBack>(file, m_frame.GetProjectPath(), m_lines.get());
        }
        const SGridInfo &stored = *grid->GetRowInfo(index);
        return m_writer->ModifyRow(CRowWriteBack::ValuesOf(row, doc->GetUnits()), stored.gridName,
                                   stored.lineName, grid->GetSelectedCount());
    }

private:
    CChildFrame &m_frame;
    std::unique_ptr<CLineNodes> m_lines;
    std::unique_ptr<CRowWriteBack> m_writer;
};

// What the editing dialog asks of the frame.
class CFrameEditHost : public IEditSetupHost {
public:
    explicit CFrameEditHost(CChildFrame &frame) : m_frame(frame) {}
    void UpdateViewAndGridFromEditDlg() override { m_frame.UpdateViewAndGridFromEditDlg(); }
    void ReloadAfterUndo() override {
        wxQueueEvent(&m_frame,
                     new wxCommandEvent(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_RELOAD_NO_ERRORS)));
        wxQueueEvent(&m_frame, new wxCommandEvent(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_EDIT_KVD)));
    }
    CKvdGprDataFiles *GetDataFiles() override {
        IGridDocument *doc = m_frame.GetGridDocument();
        return doc ? doc->GetDataFiles() : nullptr;
    }

private:
    CChildFrame &m_frame;
};

int EditTolerance() {
    CKVDVApp *app = GetKVDVApp();
    return app ? app->GetINIAccess().ReadIni("SETTINGS", "TOLERANCE", 1000) : 1000;
}

} // namespace

bool CChildFrame::CanEditLines() const {
    IGridDocument *doc = GetGridDocument();
    SDocCommandState state;
    state.hasFrame = true;
    state.selectingInView = !doc || doc->IsSelectingInView();
    state.rows.selected = m_gridView && GetKvdFilePtr() ? m_gridView->GetSelectedCount() : 0;
    return DecideCommandUi(KVDCmd::ID_EDIT_KVD, state).enable;
}

void CChildFrame::OnEditKVD() {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    if (!doc || !m_gridView)
        return;
    CFrameEditRows rows(*this);
    if (m_editDlg) {
        m_editEngine.Gather(rows, EditTolerance());
        m_editDlg->SyncWorkBuffers();
        m_editDlg->OnTcnSelchangeTab1();
        return;
    }
    // The grid posts the command for clicks outside the cells too.
    if (!CanEditLines() || !m_editEngine.Gather(rows, EditTolerance()))
        return;
    // Every dialog starts with the lines moving as a group, as its Position page presents.
    m_editEngine.Data().moveAsGroup = 1;
    m_editEngine.Data().keepLength = true;

    CFrameEditHost host(*this);
    CEditSetup dialog(this, &m_editEngine.Data(), host, m_gridView->GetLastClickedColumn());
    if (!dialog.IsReady())
        return;
    const bool modifiedBefore = doc->GetModifiedFlag();
    m_editDlg = &dialog;
    const int result = dialog.ShowModal();
    m_editDlg = nullptr;
    if (result != wxID_CANCEL)
        return;
    const ORQ::EUnitType unit = doc->GetUnits();
    ReloadDOMReportNoErrors();
    if (CKVDVDoc *real = GetKVDVDoc()) {
        if (unit == ORQ::UNIT_FT)
            real->OnDisplayunitsFeet();
        else
            real->OnDisplayunitsMeters();
    } else {
        doc->SetUnits(unit == ORQ::UNIT_FT ? ORQ::UNIT_FT : ORQ::UNIT_M);
        doc->UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_DISPLAY_CHANGED);
    }
    // The previews' applies set the flag; the project is back as the dialog found it.
    if (!modifiedBefore && dialog.CancelRestoredTheProject())
        doc->ClearModifiedFlag();
}

void CChildFrame::UpdateViewAndGridFromEditDlg() {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    if (!doc || !m_gridView)
        return;
    wxBusyCursor wait;
    SaveSelection();
    CFrameEditRows rows(*this);
    m_editEngine.Apply(rows);
    doc->SetModifiedFlag();
    if (CKvdGprDataFiles *files = doc->GetDataFiles())
        files->UpdateKvdDataBlockPtr();
    ReloadDOMReportNoErrors();
    RestoreSelection();
    m_editEngine.Data().ClearRequests();
    if (m_editDlg) {
        m_editDlg->SyncWorkBuffers();
        m_editDlg->DisplayValues();
    }
}

void CChildFrame::OnEditCommand(wxCommandEvent &) {
    OnEditKVD();
}

void CChildFrame::OnRefreshEditDlg(wxCommandEvent &) {
    if (m_editDlg)
        OnEditKVD();
}

void CChildFrame::OnUpdateEditKVD(wxUpdateUIEvent &event) {
    event.Enable(m_editDlg == nullptr && CanEditLines());
}

void CChildFrame::OnUpdateFromEditDlg(wxCommandEvent &) {
    if (m_editDlg)
        UpdateViewAndGridFromEditDlg();
}

void CChildFrame::OnKVDEditExit(wxCommandEvent &event) {
    if (!m_editDlg)
        return;
    if (KVDCmd::FromWxId(event.GetId()) == KVDCmd::ID_KVDEDIT_EXIT_OK)
        m_editDlg->CloseOK();
    else
        m_editDlg->CloseCancel();
}
