#include "KVD_Edit/app/grid/ChildFrame.h"

#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/GridSelection.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/grid/SplitterLayout.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/platform/WxText.h"

#include "KVD3/KVDXmlFile.h"
#include "orq_utils/MessageSink.h"

#include <wx/docview.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/splitter.h>
#include <wx/utils.h>

using namespace KVDCmd;

namespace {

// The load's questions and registrations, answered by the frame and its document.
class CFrameLoadHooks : public IGridLoadHooks {
public:
    CFrameLoadHooks(CChildFrame &frame, IGridDocument &doc) : m_frame(frame), m_doc(doc) {}

    void AddLine(int set, int lineType, int line, double odoStep, int traces,
                 const std::string &path) override {
        if (CGPSInfo *gps = m_doc.GetGPSInfo())
            CGPSDataSample().AddLine(gps, set, lineType, line, odoStep, traces, path.c_str());
    }
    int LoadGpsFile(const std::string &path, int set, int line, int traces,
                    std::string &errors) override {
        CGPSInfo *gps = m_doc.GetGPSInfo();
        if (!gps)
            return -1;
        ORQ::CStr text;
        const int fixes =
            CGPSDataSample().LoadGpsFile(gps, path.c_str(), set, line, traces, text, false);
        errors = text;
        return fixes;
    }
    int LoadTopoFile(const std::string &path, int set, int line, int traces) override {
        CGPSInfo *gps = m_doc.GetGPSInfo();
        return gps ? CGPSDataSample().LoadTopoFile(gps, path.c_str(), set, line, traces, false)
                   : -1;
    }
    void LoadLineGps(const std::string &gpsPath, const ORQ::Tamsel &header,
                     const std::string &traceFile, long long traceCapacity, int set, int line,
                     double, int traces) override {
        if (CGPSInfo *gps = m_doc.GetGPSInfo())
            CGPSDataSample().LoadLineGps(gps, gpsPath.c_str(), &header, set, line, traces, nullptr,
                                         &traceFile, traceCapacity);
    }
    bool AskImportGps() override { return m_frame.AskImportGps() == 1; }
    bool AttachGps(SGridInfo &row) override {
        return m_doc.AttachDataFile(IGridDocument::kGpsKind, nullptr, row);
    }
    void RecoverGps(SGridInfo &row) override {
        m_doc.RecoverDataFile(IGridDocument::kGpsKind, row);
    }
    void SetDisplayUnit(ORQ::EUnitType unit) override { m_doc.SetUnits(unit); }

private:
    CChildFrame &m_frame;
    IGridDocument &m_doc;
};

} // namespace

// The plan view's commands as the document routes them, run by the frame's plan view.
class CChildFrame::CPlanCommands : public IPlanViewCommands {
public:
    explicit CPlanCommands(CKVDVView *view) : m_view(view) {}
    CKVDVView *View() const { return m_view; }

    void ZoomToFit() override { m_view->ZoomToFit(); }
    void ToggleZoomArea() override { m_view->ToggleZoomArea(); }
    void ZoomIn() override { m_view->ZoomIn(); }
    void ZoomOut() override { m_view->ZoomOut(); }
    void TogglePan() override { m_view->TogglePan(); }
    bool IsZoomAreaMode() const override { return m_view->IsZoomAreaMode(); }
    bool IsPanMode() const override { return m_view->IsPanMode(); }

private:
    CKVDVView *m_view;
};

namespace {

INIAccess *Ini() {
    CKVDVApp *app = GetKVDVApp();
    return app ? &app->GetINIAccess() : nullptr;
}

// While the grid's rows are rebuilt, the document's selection does not follow the list's: the
// rows are gone for a while, and the selection comes back with them.
class CSelectionSyncHold {
public:
    explicit CSelectionSyncHold(KVDGridView *view) : m_view(view) {
        if (m_view)
            m_view->HoldSelectionSync();
    }
    ~CSelectionSyncHold() {
        if (m_view)
            m_view->ReleaseSelectionSync();
    }
    CSelectionSyncHold(const CSelectionSyncHold &) = delete;
    CSelectionSyncHold &operator=(const CSelectionSyncHold &) = delete;

private:
    KVDGridView *m_view;
};

} // namespace

CChildFrame::CChildFrame(wxDocument *doc, wxView *view, wxMDIParentFrame *parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, doc ? doc->GetUserReadableName() : "",
                         wxDefaultPosition, wxSize(900, 600)) {
    KVD_LOG_CALL();
    wxDocManager *manager = doc ? doc->GetDocumentManager() : nullptr;
    wxMenuBar *menuBar = CMainFrame::CreateDocumentMenuBar(manager);
    CMainFrame::ApplyAboutLabel(menuBar);
    if (manager && manager->GetFileHistory())
        m_historyMenu = menuBar->GetMenu(0);
    SetMenuBar(menuBar);

    CreateClient();

    Bind(wxEVT_CLOSE_WINDOW, &CChildFrame::OnClose, this);
    Bind(wxEVT_MENU, &CChildFrame::OnImportLines, this, ToWxId(ID_IMPORT_LINES));
    Bind(wxEVT_MENU, &CChildFrame::OnDeleteLines, this, ToWxId(ID_DELETE_LINES));
    Bind(wxEVT_MENU, &CChildFrame::OnSelectAll, this, ToWxId(ID_SELECT_ALL_LINES));
    Bind(wxEVT_MENU, &CChildFrame::OnDeselectAll, this, ToWxId(ID_DESELECT_ALL_LINES));
    Bind(wxEVT_MENU, &CChildFrame::OnImportFiducials, this, ToWxId(ID_IMPORT_FIDUCIALS));
    Bind(wxEVT_MENU, &CChildFrame::OnReloadNoErrors, this, ToWxId(ID_RELOAD_NO_ERRORS));
    Bind(wxEVT_MENU, &CChildFrame::OnReloadReportErrors, this, ToWxId(ID_RELOAD_REPORT_ERRORS));
    Bind(wxEVT_MENU, &CChildFrame::OnRefreshEditDlg, this, ToWxId(ID_REFRESH_EDIT_DLG));
    Bind(wxEVT_MENU, &CChildFrame::OnEditCommand, this, ToWxId(ID_EDIT_KVD));
    Bind(wxEVT_MENU, &CChildFrame::OnUpdateFromEditDlg, this, ToWxId(ID_UPDATE_FROM_EDIT_DLG));
    Bind(wxEVT_MENU, &CChildFrame::OnKVDEditExit, this, ToWxId(ID_KVDEDIT_EXIT_OK));
    Bind(wxEVT_MENU, &CChildFrame::OnKVDEditExit, this, ToWxId(ID_KVDEDIT_EXIT_CANCEL));
    Bind(wxEVT_UPDATE_UI, &CChildFrame::OnUpdateEditKVD, this, ToWxId(ID_EDIT_KVD));
    Bind(wxEVT_MENU, &CChildFrame::OnNextPane, this, ToWxId(ID_NEXT_PANE));
    Bind(wxEVT_MENU, &CChildFrame::OnNextPane, this, ToWxId(ID_PREV_PANE));
    Bind(wxEVT_UPDATE_UI, &CChildFrame::OnUpdateImport, this, ToWxId(ID_IMPORT_LINES));
    Bind(wxEVT_UPDATE_UI, &CChildFrame::OnUpdateImport, this, ToWxId(ID_IMPORT_FIDUCIALS));
    Bind(wxEVT_UPDATE_UI, &CChildFrame::OnUpdateDelete, this, ToWxId(ID_DELETE_LINES));
}

CChildFrame::~CChildFrame() {
    // File > Close and Exit destroy the frame without a close event: the layout is kept here
    // too (the panes are still there until the base class destroys the children).
    StoreLayout();
    if (m_gridView) {
        // The grid view is the document's second view: it goes with its window.
        KVDGridView *view = m_gridView;
        m_gridView = nullptr;
        delete view;
    }
    if (m_historyMenu) {
        if (wxDocManager *manager = wxDocManager::GetDocumentManager())
            manager->FileHistoryRemoveMenu(m_historyMenu);
    }
}

void CChildFrame::CreateClient() {
    KVD_LOG_CALL();
    std::string text = SSplitterLayout::kDefaultText;
    if (INIAccess *ini = Ini())
        text = ini->ReadIni(SSplitterLayout::kSection, SSplitterLayout::kKey,
                            SSplitterLayout::kDefaultText);
    SSplitterLayout layout = SSplitterLayout::Parse(text);

    m_splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxSP_3D | wxSP_LIVE_UPDATE);
    m_splitter->SetMinimumPaneSize(SSplitterLayout::kMinPane);

    m_gridView = new KVDGridView();
    m_gridView->Create(GetDocument(), m_splitter, this);
    // The plan view puts its window into the right-hand pane when it is made.
    auto *plan = new wxPanel(m_splitter, wxID_ANY);
    plan->SetBackgroundColour(*wxWHITE);

    // The frame is not laid out yet: its width is a placeholder until the toolkit gives it
    // its place in the main frame. The stored layout is fitted to the width the splitter gets
    // each time it changes, until the person moves the sash.
    m_storedLayout = layout;
    m_fitLayout = true;
    layout.FitToFrame(GetClientSize().x);
    m_splitter->SplitVertically(m_gridView->GetListCtrl(), plan,
                                std::max(layout.leftWidth, SSplitterLayout::kMinPane));
    m_splitter->Bind(wxEVT_SIZE, &CChildFrame::OnSplitterSize, this);
    // Only a drag of the sash sends this event.
    m_splitter->Bind(wxEVT_SPLITTER_SASH_POS_CHANGING, [this](wxSplitterEvent &event) {
        m_fitLayout = false;
        event.Skip();
    });
}

void CChildFrame::OnSplitterSize(wxSizeEvent &event) {
    // The splitter lays its panes out after this, with the sash where it is put here.
    event.Skip();
    const int width = event.GetSize().x;
    if (!m_fitLayout || width <= 0)
        return;
    SSplitterLayout layout = m_storedLayout;
    layout.FitToFrame(width);
    m_splitter->SetSashPosition(std::max(layout.leftWidth, SSplitterLayout::kMinPane), false);
}

CKVDVDoc *CChildFrame::GetKVDVDoc() const {
    return dynamic_cast<CKVDVDoc *>(GetDocument());
}

IGridDocument *CChildFrame::GetGridDocument() const {
    return dynamic_cast<IGridDocument *>(GetDocument());
}

ORQ::CKVDXmlFile *CChildFrame::GetKvdFilePtr() const {
    IGridDocument *doc = GetGridDocument();
    CKvdGprDataFiles *files = doc ? doc->GetDataFiles() : nullptr;
    return files ? files->GetKvdXmlFile() : nullptr;
}

wxWindow *CChildFrame::GetGridPane() const {
    return m_splitter->GetWindow1();
}

wxWindow *CChildFrame::GetPlanPane() const {
    return m_splitter->GetWindow2();
}

std::vector<std::string> CChildFrame::RowGridNames() const {
    std::vector<std::string> names;
    if (m_gridView)
        for (int i = 0; i < m_gridView->GetNumRows(); ++i)
            names.push_back(m_gridView->GetRowInfo(i)->gridName);
    return names;
}

void CChildFrame::ReplacePane(int column, wxWindow *window) {
    wxWindow *old = column == 0 ? m_splitter->GetWindow1() : m_splitter->GetWindow2();
    if (!window || window == old)
        return;
    m_splitter->ReplaceWindow(old, window);
    if (old)
        old->Destroy();
}

void CChildFrame::GridViewGone(KVDGridView *view) {
    if (m_gridView == view)
        m_gridView = nullptr;
}

std::string CChildFrame::GetProjectFolder() const {
    const size_t cut = m_projectPath.find_last_of("/\\");
    return cut == std::string::npos ? std::string(".") : m_projectPath.substr(0, cut);
}

int CChildFrame::GetNumRows() const {
    return m_gridView ? m_gridView->GetNumRows() : 0;
}

IPlanViewCommands *CChildFrame::GetPlanView() {
    auto *view = dynamic_cast<CKVDVView *>(GetView());
    if (!view) {
        m_planCommands.reset();
        return nullptr;
    }
    if (!m_planCommands || m_planCommands->View() != view)
        m_planCommands = std::make_unique<CPlanCommands>(view);
    return m_planCommands.get();
}

void CChildFrame::StoreLayout() {
    if (m_layoutStored || !m_splitter)
        return;
    m_layoutStored = true;
    wxWindow *left = m_splitter->GetWindow1();
    wxWindow *right = m_splitter->GetWindow2();
    if (!left || !right)
        return;
    if (INIAccess *ini = Ini())
        ini->WriteIni(
            SSplitterLayout::kSection, SSplitterLayout::kKey,
            SSplitterLayout::Format(left->GetSize().x, right->GetSize().x, right->GetSize().y));
}

void CChildFrame::OnNextPane(wxCommandEvent &) {
    wxWindow *grid = GetGridPane();
    wxWindow *plan = GetPlanPane();
    if (!grid || !plan)
        return;
    bool inGrid = false;
    for (wxWindow *w = wxWindow::FindFocus(); w && w != this; w = w->GetParent())
        inGrid = inGrid || w == grid;
    wxWindow *target = inGrid ? plan : grid;
    // The plan view's own window sits inside its pane; the keys go to it.
    if (target == plan && !plan->GetChildren().empty() && !plan->AcceptsFocus())
        target = plan->GetChildren().GetFirst()->GetData();
    target->SetFocus();
}

bool CChildFrame::TryBefore(wxEvent &event) {
    if (event.GetEventType() == wxEVT_MENU && m_gridView)
        m_gridView->SyncSelection();
    return wxDocMDIChildFrame::TryBefore(event);
}

void CChildFrame::OnClose(wxCloseEvent &event) {
    KVD_LOG_CALL();
    StoreLayout();
    event.Skip();
}

// Loading the rows

void CChildFrame::LoadKVD(const std::string &path, bool alreadyOpen, bool reportErrors) {
    KVD_LOG_CALL();
    // Headers the load before this one read in the same operation (the fiducial renewal's
    // reload follows its load at once) are not read again. The operation goes on while the busy
    // display is kept between its levels.
    const CBusyIndicator *operation = AppBusyIndicator();
    if (!operation || !operation->IsKept())
        m_carriedHeaders.Forget();
    const RowHeaders known = m_carriedHeaders.TakeInSameOperation();
    IGridDocument *doc = GetGridDocument();
    if (!doc || !m_gridView)
        return;
    CSelectionSyncHold hold(m_gridView);
    CKvdGprDataFiles *files = doc->GetDataFiles();
    if (m_gridView && (alreadyOpen || (files && files->GetKvdXmlFile())))
        m_gridView->DeleteAllItems();
    if (CGPSInfo *gps = doc->GetGPSInfo())
        gps->Clear();
    // An open project is where the document's file object says (a Save As moves it); the
    // lines' files are found beside it.
    m_projectPath = path;
    if (alreadyOpen && files && !files->GetFilePathName().empty())
        m_projectPath = files->GetFilePathName();
    if (!alreadyOpen && files)
        files->LoadKvdXmlFile(path.c_str());

    ORQ::CKvdDataBlockInterface_V110 *dbi = files ? files->GetDataBlockInterface() : nullptr;
    if (!dbi)
        return;
    // Building the rows of a large project is long work: the "Processing" dialog stays up and
    // alive until they are shown and the fiducials renewed (it steps aside for a message). The
    // list lays out and paints its new rows once the program is idle: the dialog stays until
    // then, and goes only when nothing else follows (a reload this one posts).
    CBusyLevel busy;
    if (CBusyIndicator *indicator = AppBusyIndicator())
        indicator->HandOver();

    CGridRowBuilder::SInput input;
    input.dbi = dbi;
    input.projectFolder = GetProjectFolder();
    input.displayUnit = doc->GetUnits();
    input.frameUnit = m_unit;
    input.reportErrors = reportErrors;
    if (!known.empty())
        input.knownHeaders = &known;
    if (INIAccess *ini = Ini())
        input.stepTolerance = ini->ReadIni("SETTINGS", "STEP_TOLERANCE", 0.01);
    CFrameLoadHooks hooks(*this, *doc);
    CGridRowBuilder::SResult result = CGridRowBuilder::Build(input, hooks);
    m_unit = result.frameUnit;

    m_gridView->AddRows(std::move(result.rows));
    m_gridView->FitColumnWidths();
    doc->SetFiducialsPresent(result.fiducialsPresent);
    doc->UpdateAllViewsWithHint(nullptr, result.fiducialsPresent ? 1 : 0);

    // The reload a load posts after attaching GPS files reports only what is new: the errors
    // the load before it reported are not shown a second time.
    if (!result.errors.empty() && reportErrors && result.errors != m_reportedErrors)
        ORQ::ShowMessage(CGridRowBuilder::kErrorIntro + CGridRowBuilder::CutErrors(result.errors),
                         ORQ::MB_OK | ORQ::MB_ICONWARNING);
    m_reportedErrors = reportErrors ? result.errors : std::string();
    m_gpsImportAnswer = 0;

    CMapperSettings *settings = doc->GetMapperSettings();
    CGPSInfo *gps = doc->GetGPSInfo();
    if (result.gpsAttached) {
        if (gps && settings && gps->HasGPSData() && settings->LocalWorld.EnableGPS == 0)
            gps->ResetLWCDefinition(2);
        files->UpdateKvdDataBlockPtr();
        auto *event = new wxCommandEvent(wxEVT_MENU, ToWxId(ID_RELOAD_REPORT_ERRORS));
        wxQueueEvent(this, event);
    } else {
        if (settings) {
            if (settings->LocalWorld.EnableGPS == 3) {
                settings->LocalWorld.EnableGPS = 2;
                doc->SetModifiedFlag();
            }
            // The plan view fits the grid to the GPS fixes, which changes the definition; without
            // GPS data nothing is fitted and the project stays as it was.
            if (settings->LocalWorld.FitGrid && settings->LocalWorld.EnableGPS != 0 && gps &&
                gps->HasGPSData())
                doc->SetModifiedFlag();
        }
        Refresh();
    }

    // The fiducials of a project that asks for them are imported once; the request stays until
    // an import has run.
    if (settings && settings->FiducialsNotImported &&
        UpdateFidDetails(&result.headers, result.filesWrittenAtRead))
        settings->FiducialsNotImported = false;
}

std::vector<std::string> CChildFrame::RowSelectionKeys() const {
    std::vector<std::string> keys;
    if (!m_gridView)
        return keys;
    keys.reserve(static_cast<size_t>(m_gridView->GetNumRows()));
    for (int i = 0; i < m_gridView->GetNumRows(); ++i)
        keys.push_back(CGridRowBuilder::SelectionKey(*m_gridView->GetRowInfo(i)));
    return keys;
}

void CChildFrame::SaveSelection() {
    if (!m_gridView || m_selectionSaved || m_gridView->GetSelectedCount() == 0)
        return;
    m_savedSelection.clear();
    for (int i = 0; i < m_gridView->GetNumRows(); ++i)
        if (m_gridView->IsRowSelected(i))
            m_savedSelection.push_back(CGridRowBuilder::SelectionKey(*m_gridView->GetRowInfo(i)));
    // The row the keyboard stood on comes back as well: a plain click or an arrow key after the
    // reload starts from it.
    const int current = m_gridView->GetCurrentRow();
    m_savedCurrentRow = current >= 0 && current < m_gridView->GetNumRows()
                            ? CGridRowBuilder::SelectionKey(*m_gridView->GetRowInfo(current))
                            : std::string();
    m_selectionSaved = true;
}

void CChildFrame::RestoreSelection() {
    if (!m_selectionSaved)
        return;
    IGridDocument *doc = GetGridDocument();
    CFocusEntryList *focus = doc ? doc->GetFocusList() : nullptr;
    if (focus)
        focus->DeleteFocusArray();
    if (m_gridView) {
        const std::vector<std::string> keys = RowSelectionKeys();
        const std::vector<bool> selected = CGridSelection::Restore(keys, m_savedSelection);
        m_gridView->SelectRows(selected, CGridSelection::FindRow(keys, m_savedCurrentRow));
        if (focus)
            for (int i = 0; i < m_gridView->GetNumRows(); ++i)
                if (selected[i]) {
                    const SGridInfo &row = *m_gridView->GetRowInfo(i);
                    focus->AddFocusEntry(row.setIndex, row.lineIndex, nullptr, false);
                }
    }
    m_savedSelection.clear();
    m_savedCurrentRow.clear();
    m_selectionSaved = false;
}

void CChildFrame::ReloadDOMReportNoErrors() {
    KVD_LOG_CALL();
    CSelectionSyncHold hold(m_gridView);
    SaveSelection();
    LoadKVD(m_projectPath, true, false);
    RestoreSelection();
}

void CChildFrame::LoadDOMReportErrors() {
    KVD_LOG_CALL();
    CSelectionSyncHold hold(m_gridView);
    SaveSelection();
    LoadKVD(m_projectPath, true, true);
    if (IGridDocument *doc = GetGridDocument())
        doc->SetUnits(m_unit);
    RestoreSelection();
}

// Selection and GPS hooks

void CChildFrame::GetGridInfoRow(SGridInfo &out, int row) const {
    const SGridInfo *info = m_gridView ? m_gridView->GetRowInfo(row) : nullptr;
    if (!info)
        return;
    out = *info;
    IGridDocument *doc = GetGridDocument();
    const ORQ::EUnitType to = doc ? doc->GetUnits() : ORQ::UNIT_M;
    for (double *v : {&out.xMin, &out.xMax, &out.yMin, &out.yMax, &out.length, &out.step})
        *v = CGridRowFormatter::ToDisplay(*v, info->unit, to);
}

void CChildFrame::SelectAllLines() {
    KVD_LOG_CALL();
    SetAllLinesSelected(true);
}

void CChildFrame::DeselectAllLines() {
    KVD_LOG_CALL();
    SetAllLinesSelected(false);
}

// Every row selected or none; the focus list follows (empty, or one entry per row) and the
// views hear of the change once.
void CChildFrame::SetAllLinesSelected(bool selected) {
    IGridDocument *doc = GetGridDocument();
    CFocusEntryList *focus = doc ? doc->GetFocusList() : nullptr;
    if (focus)
        focus->DeleteFocusArray();
    if (m_gridView) {
        const int rows = m_gridView->GetNumRows();
        m_gridView->SelectRows(std::vector<bool>(static_cast<size_t>(rows), selected));
        if (selected && focus)
            for (int i = 0; i < rows; ++i) {
                const SGridInfo &row = *m_gridView->GetRowInfo(i);
                focus->AddFocusEntry(row.setIndex, row.lineIndex, nullptr, false);
            }
        m_gridView->UpdateRowSelection();
    }
    if (doc)
        doc->UpdateAllViewsWithHint(nullptr, HINT_SELECTION_CHANGED);
}

bool CChildFrame::AttachGPSOrTopoFile(const char *path, SGridInfo &row, int kind,
                                      ORQ::CStr &errors) {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    CGPSInfo *gps = doc ? doc->GetGPSInfo() : nullptr;
    if (!gps)
        return false;
    const std::string folder = GetProjectFolder();
    std::string chosen;
    if (path) {
        chosen = path;
    } else {
        const char *ext = kind == kGpsKind ? "GPS" : "CTP";
        const wxString filter =
            wxString::Format(kind == kGpsKind ? "GPS Files|*.%s;*.%s" : "Topo Files|*.%s;*.%s", ext,
                             wxString(ext).Lower());
        wxFileDialog dialog(this, wxEmptyString, PathToWx(folder), wxEmptyString, filter,
                            wxFD_OPEN | wxFD_FILE_MUST_EXIST);
        if (dialog.ShowModal() != wxID_OK)
            return false;
        chosen = PathFromWx(dialog.GetPath());
        if (!CGridRowBuilder::IsInFolder(chosen, folder)) {
            ORQ::ShowMessage("We can only import files from the current folder or sub folder.",
                             ORQ::MB_OK);
            return false;
        }
    }
    return AttachFileToRow(gps, chosen, folder, row, kind, errors);
}

int CChildFrame::AskImportGps() {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    CMapperSettings *settings = doc ? doc->GetMapperSettings() : nullptr;
    if (!settings || !settings->AutoImport)
        return m_gpsImportAnswer;
    if (settings->LocalWorld.EnableGPS == 3) {
        settings->LocalWorld.EnableGPS = 2;
        m_gpsImportAnswer = 1;
    } else if (ORQ::ShowMessage(CGridRowBuilder::kGpsQuestion,
                                ORQ::MB_YESNO | ORQ::MB_ICONQUESTION) == ORQ::IDYES) {
        m_gpsImportAnswer = 1;
    }
    if (m_gpsImportAnswer == 1 && !settings->LocalWorld.TwoPointDefinition)
        settings->LocalWorld.FitGrid = true;
    // Either answer is kept with the project: the question is not asked again once it is saved.
    settings->AutoImport = false;
    doc->SetModifiedFlag();
    return m_gpsImportAnswer;
}

// Commands

void CChildFrame::OnImportLines(wxCommandEvent &) {
    KVD_LOG_CALL();
    if (Import())
        AfterLinesChanged();
}

void CChildFrame::OnDeleteLines(wxCommandEvent &) {
    KVD_LOG_CALL();
    if (DeleteKVDEntries())
        AfterLinesChanged();
}

void CChildFrame::OnImportFiducials(wxCommandEvent &) {
    KVD_LOG_CALL();
    UpdateFidDetails(nullptr, 0, true);
}

void CChildFrame::OnSelectAll(wxCommandEvent &) {
    SelectAllLines();
}

void CChildFrame::OnDeselectAll(wxCommandEvent &) {
    DeselectAllLines();
}

void CChildFrame::OnReloadNoErrors(wxCommandEvent &) {
    ReloadDOMReportNoErrors();
}

void CChildFrame::OnReloadReportErrors(wxCommandEvent &) {
    LoadDOMReportErrors();
}

void CChildFrame::OnUpdateImport(wxUpdateUIEvent &event) {
    IGridDocument *doc = GetGridDocument();
    event.Enable(GetKvdFilePtr() && doc && !doc->IsSelectingInView());
}

void CChildFrame::OnUpdateDelete(wxUpdateUIEvent &event) {
    IGridDocument *doc = GetGridDocument();
    event.Enable(m_gridView && m_gridView->GetSelectedCount() > 0 && doc &&
                 !doc->IsSelectingInView());
}
