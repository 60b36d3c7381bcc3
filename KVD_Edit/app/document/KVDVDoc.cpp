#include "KVD_Edit/app/document/KVDVDoc.h"

#include "KVD_Edit/GPSINFO/LWCDefinition.h"

#include "KVD_Edit/GPSINFO/DlgGPSConfig.h"
#include "KVD_Edit/app/document/DocumentCommands.h"
#include "KVD_Edit/app/document/DocumentTitle.h"
#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/document/ProjectLoader.h"
#include "KVD_Edit/app/document/ProjectSaver.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/grid/ProjectFrame.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/RegistryValues.h"
#include "KVD_Edit/planview/DlgLineSettings.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "KVD_Edit/platform/WxText.h"
#include "orq_utils/MessageSink.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/mdi.h>
#include <wx/stdpaths.h>

#include <fstream>

namespace {

// The toolkit's file dialogs and the plan view's line display settings dialog.
class CWxDocumentDialogs : public IDocumentDialogs {
public:
    bool AskNewProjectPath(std::string &path) override {
        wxFileDialog dialog(DialogParent(), "Please select new KVD file name and location", "", "",
                            "KVD Files (*.kvd)|*.kvd", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() != wxID_OK)
            return false;
        path = WithExtension(dialog.GetPath());
        return true;
    }
    bool AskSaveAsPath(const std::string &currentPath, std::string &path) override {
        const wxFileName current(PathToWx(currentPath));
        wxFileDialog dialog(DialogParent(), wxFileSelectorPromptStr, current.GetPath(),
                            current.GetFullName(), "KVD Files (*.kvd)|*.kvd",
                            wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() != wxID_OK)
            return false;
        path = WithExtension(dialog.GetPath());
        return true;
    }
    bool RunLineSettings(wxWindow *parent, SLineDisplayTable &table) override {
        DlgLineSettings dialog(parent, table);
        if (dialog.DoModal() != ORQ::IDOK)
            return false;
        table = dialog.GetTable();
        return true;
    }

private:
    static std::string WithExtension(const wxString &chosen) {
        wxFileName name(chosen);
        if (!name.HasExt())
            name.SetExt("kvd");
        return PathFromWx(name.GetFullPath());
    }
};

CWxDocumentDialogs g_wxDialogs;
IDocumentDialogs *g_dialogs = &g_wxDialogs;
// The program's dialog unless a test puts its own in place.
CKVDVDoc::LocalWorldDialogFactory g_localWorldFactory = &CLWCDefinition::Create;

} // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CKVDVDoc, wxDocument);

CKVDVDoc::CKVDVDoc() : m_settings(std::make_unique<CMapperSettings>()) {
    m_focusList.SetOwner(this, &m_dataFiles);
    m_gpsInfo.SetLWCDefinition(&m_settings->LocalWorld);
    for (int id : KVDCmd::kDocumentCommands) {
        Bind(wxEVT_MENU, &CKVDVDoc::OnCommand, this, KVDCmd::ToWxId(id));
        Bind(wxEVT_UPDATE_UI, &CKVDVDoc::CommandUi, this, KVDCmd::ToWxId(id));
    }
    SetUnits(ORQ::UNIT_M);
    m_savedDefinition = m_settings->LocalWorld;
}

CKVDVDoc::~CKVDVDoc() {
    DropLineNodes();
    if (m_localWorldDialog) {
        m_localWorldDialog->DestroyDialog();
        m_localWorldDialog.reset();
    }
}

void CKVDVDoc::SetDialogs(IDocumentDialogs *dialogs) {
    g_dialogs = dialogs ? dialogs : &g_wxDialogs;
}

void CKVDVDoc::SetLocalWorldDialogFactory(LocalWorldDialogFactory factory) {
    g_localWorldFactory = factory ? std::move(factory) : &CLWCDefinition::Create;
}

std::string CKVDVDoc::ExeDir() const {
    if (CKVDVApp *app = GetKVDVApp())
        return app->GetExeDir();
    wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    return exe.GetPathWithSep().utf8_string();
}

wxWindow *CKVDVDoc::GetFrame() const {
    wxView *view = GetFirstView();
    return view ? view->GetFrame() : nullptr;
}

IProjectFrame *CKVDVDoc::GetProjectFrame() const {
    return dynamic_cast<IProjectFrame *>(GetFrame());
}

void CKVDVDoc::UpdateAllViewsWithHint(wxView *sender, int hint) {
    CViewHint object(hint);
    UpdateAllViews(sender, &object);
}

// ---- title and units --------------------------------------------------------------------------

void CKVDVDoc::SetTitle(const wxString &) {
    wxDocument::SetTitle(
        ToWxQuotingPaths(BuildDocumentTitle(m_units, m_dataFiles.GetFilePathName())));
    for (wxView *view : GetViewsVector())
        view->OnChangeFilename();
}

void CKVDVDoc::OnChangeFilename(bool notifyViews) {
    wxDocument::SetTitle(
        ToWxQuotingPaths(BuildDocumentTitle(m_units, m_dataFiles.GetFilePathName())));
    wxDocument::OnChangeFilename(notifyViews);
}

void CKVDVDoc::SetUnits(ORQ::EUnitType unit) {
    m_units = unit;
    SetTitle();
}

void CKVDVDoc::SetFiducialsPresent(bool value) {
    m_fiducialsPresent = value;
    m_showFiducialText = value;
}

bool CKVDVDoc::IsSelectingInView() const {
    return m_localWorldDialog && m_localWorldDialog->IsSelectingInView();
}

void CKVDVDoc::OnDisplayunitsMeters() {
    SetUnits(ORQ::UNIT_M);
    UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_DISPLAY_CHANGED);
    SetLocalWorldUnit(ORQ::UNIT_M);
}

void CKVDVDoc::OnDisplayunitsFeet() {
    SetUnits(ORQ::UNIT_FT);
    UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_DISPLAY_CHANGED);
    SetLocalWorldUnit(ORQ::UNIT_FT);
}

void CKVDVDoc::SetLocalWorldUnit(ORQ::EUnitType unit) {
    ConvertLocalWorldUnit(m_settings->LocalWorld, unit);
    if (m_localWorldDialog)
        m_localWorldDialog->SetUnit(unit);
}

void CKVDVDoc::OnZoomFit() {
    IProjectFrame *frame = GetProjectFrame();
    if (frame && frame->GetPlanView())
        frame->GetPlanView()->ZoomToFit();
}

// ---- local-to-world definition and line settings ----------------------------------------------

void CKVDVDoc::OnLocalWorldDefinition() {
    if (m_localWorldDialog) {
        m_localWorldDialog->ShowRestored();
        return;
    }
    if (!g_localWorldFactory)
        return;
    m_localWorldDialog =
        g_localWorldFactory(*this, GetFrame(), m_settings->LocalWorld, m_gpsInfo.HasGPSData());
    if (!m_localWorldDialog)
        return;
    m_localWorldDialog->SetUnit(m_units);
    m_localWorldDialog->StorePreviewState();
    m_savedDefinition = m_settings->LocalWorld;
}

void CKVDVDoc::ApplyLocalWorldDefinition(int mode) {
    if (!m_localWorldDialog)
        return;
    const SLocalWorldApply what = DecideLocalWorldApply(mode);
    const bool changed = m_localWorldDialog->GetWorkingDefinition() != m_savedDefinition;
    if (what.takeWorking)
        m_settings->LocalWorld = m_localWorldDialog->GetWorkingDefinition();
    if (what.accept) {
        // The plan view's hint about points outside its drawable range may show again.
        m_gpsInfo.SetDisplayState(0);
        if (changed) {
            Modify(true);
            m_settings->Save(&m_dataFiles);
        }
    }
    if (what.closeDialog) {
        m_localWorldDialog->DestroyDialog();
        m_localWorldDialog.reset();
    }
    if (what.restoreSaved)
        m_settings->LocalWorld = m_savedDefinition;
    if (what.reloadAndRedraw) {
        IProjectFrame *frame = GetProjectFrame();
        if (frame)
            frame->ReloadDOMReportNoErrors();
        SetLocalWorldUnit(m_units);
        if (wxWindow *window = GetFrame()) {
            window->Refresh();
            window->Update();
        }
        // The cursor's panes are written anew for its last point, after the plan view has
        // drawn its map with the definition now in force.
        for (wxView *view : GetViewsVector())
            if (auto *plan = dynamic_cast<CKVDVView *>(view))
                plan->RefreshCursor();
    }
}

void CKVDVDoc::OnLineSettings() {
    // The dialog's Preview writes into the settings record directly; the kept copy undoes it.
    const SLineDisplayTable kept = m_settings->LineDisplay;
    SLineDisplayTable edited = kept;
    const bool ok = g_dialogs->RunLineSettings(GetFrame(), edited);
    const SLineSettingsOutcome outcome = ResolveLineSettings(ok, kept, edited);
    m_settings->LineDisplay = outcome.table;
    if (outcome.modified) {
        Modify(true);
        m_settings->Save(&m_dataFiles);
    }
    // The plan view keeps its map in a picture: it must draw it anew, not only repaint it.
    UpdateAllViewsWithHint(nullptr, LINE_SETTINGS_HINT);
    if (wxWindow *window = GetFrame())
        window->Refresh();
}

void CKVDVDoc::OnEditGpsFormat() {
    DlgGPSConfig dialog(GetFrame(), &m_settings->GPSConfiguration);
    if (dialog.DoModal() != ORQ::IDOK || dialog.GetConfiguration() == m_settings->GPSConfiguration)
        return;
    m_settings->GPSConfiguration = dialog.GetConfiguration();
    m_settings->RebuildGPSFormat();
    // The GPS data converts with the new ellipsoid from now on.
    m_gpsInfo.SetLWCDefinition(&m_settings->LocalWorld);
    Modify(true);
}

// ---- new and open ---------------------------------------------------------------------------

bool CKVDVDoc::OnNewDocument() {
    if (wxTheApp && wxTheApp->argc > 1 && wxTheApp->argv[1] == "new")
        m_newFileFlag = 1;
    if (!wxDocument::OnNewDocument())
        return false;
    // The new project's frame, made with the document, comes on the screen once the project has
    // its file: while the person names it, the open project stays in sight behind the dialog.
    auto *frame = dynamic_cast<wxMDIChildFrame *>(GetFrame());
    WindowSystem::HoldNewChildBack(frame);
    if (!OnFileNew())
        return false;
    WindowSystem::ShowHeldChild(frame);
    return true;
}

bool CKVDVDoc::OnFileNew() {
    std::string path;
    if (!g_dialogs->AskNewProjectPath(path))
        return false;
    const std::string templatePath = ExeDir() + CProjectLoader::kTemplateName;
    CKVDVApp *app = GetKVDVApp();
    if (!CProjectLoader::CreateFromTemplate(m_dataFiles, *m_settings, templatePath, path,
                                            app ? &app->GetINIAccess() : nullptr,
                                            GetProgramIdentity()))
        return false;
    // The GPS data works with the new project's definition and ellipsoid.
    m_gpsInfo.SetLWCDefinition(&m_settings->LocalWorld);
    if (IProjectFrame *frame = GetProjectFrame())
        frame->LoadKVD(path, false, true);
    SetUnits(ORQ::UNIT_M);
    SetFilename(PathToWx(m_dataFiles.GetFilePathName()), true);
    SetDocumentSaved(true);
    Modify(false);
    if (GetDocumentManager())
        GetDocumentManager()->AddFileToHistory(GetFilename());
    SetTitle();
    if (m_newFileFlag)
        WriteRegString(kHandBackCompany, "NEW FILE", path, path.size() + 1);
    m_newFileFlag = 0;
    return true;
}

bool CKVDVDoc::OnOpenDocument(const wxString &file) {
    m_newFileFlag = 0;
    CKVDVApp *app = GetKVDVApp();
    if (app)
        app->GetBusyIndicator().Begin();
    auto end = [app] {
        if (app)
            app->GetBusyIndicator().End();
    };
    const std::string path = PathFromWx(file);
    if (!std::ifstream(path, std::ios::binary).is_open()) {
        end();
        ORQ::ShowMessage("Sorry, could not open this file.\n" + path,
                         ORQ::MB_OK | ORQ::MB_ICONERROR);
        return false;
    }
    SetFilename(file, true);
    Modify(false);
    SetDocumentSaved(true);

    const bool ok =
        CProjectLoader::Open(m_dataFiles, *m_settings, path, app && app->GetCheckGPSImport());
    if (ok) {
        m_gpsInfo.SetLWCDefinition(&m_settings->LocalWorld);
        if (wxWindow *frame = GetFrame()) {
            wxCommandEvent reload(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_RELOAD_REPORT_ERRORS));
            wxPostEvent(frame, reload);
            // The person opened the project: the grid's filling is the same operation and
            // goes on under the same dialog.
            if (app)
                app->GetBusyIndicator().HandOver();
        }
    }
    end();
    if (ok) {
        SetTitle();
        if (wxWindow *frame = GetFrame())
            frame->Raise();
    }
    return ok;
}

bool CKVDVDoc::OnCloseDocument() {
    CKVDVApp *app = GetKVDVApp();
    if (app && !m_settings->GPSConfiguration.empty())
        app->GetINIAccess().WriteIni("GENERAL", "GPSConfiguration", m_settings->GPSConfiguration);
    return wxDocument::OnCloseDocument();
}

// ---- saving ---------------------------------------------------------------------------------

std::string CKVDVDoc::GetFileComment() const {
    IProjectFrame *frame = GetProjectFrame();
    return CProjectSaver::GetFileComment(frame ? frame->GetChangeFlags() : 0);
}

bool CKVDVDoc::CheckKVDFileOwnerCreation() {
    CProjectSaver saver(m_dataFiles, *m_settings);
    return saver.CheckKVDFileOwnerCreation();
}

bool CKVDVDoc::AddModifyBlock() {
    CProjectSaver saver(m_dataFiles, *m_settings);
    return saver.AddModifyBlock(GetFileComment());
}

bool CKVDVDoc::OnFileSave() {
    IProjectFrame *frame = GetProjectFrame();
    CProjectSaver saver(m_dataFiles, *m_settings);
    if (!saver.Save(frame ? frame->GetChangeFlags() : 0))
        return false;
    Modify(false);
    return true;
}

bool CKVDVDoc::OnFileSaveAs() {
    const std::string current = m_dataFiles.GetFilePathName();
    std::string path;
    if (!g_dialogs->AskSaveAsPath(current, path))
        return false;
    const std::string question = CProjectSaver::MovedFolderQuestion(current, path);
    if (!question.empty() && ORQ::ShowMessage(question, ORQ::MB_YESNO | ORQ::MB_ICONQUESTION |
                                                            ORQ::MB_DEFBUTTON2) != ORQ::IDYES)
        return false;
    IProjectFrame *frame = GetProjectFrame();
    CProjectSaver saver(m_dataFiles, *m_settings);
    if (!saver.SaveAs(path, frame ? frame->GetChangeFlags() : 0))
        return false;
    Modify(false);
    SetFilename(PathToWx(m_dataFiles.GetFilePathName()), true);
    SetDocumentSaved(true);
    SetTitle();
    if (GetDocumentManager())
        GetDocumentManager()->AddFileToHistory(GetFilename());
    return true;
}

bool CKVDVDoc::OnSaveModified() {
    return CProjectSaver::SaveModified(
        IsModified(), m_dataFiles.GetFilePathName(), [this] { return OnFileSave(); },
        [this] { Modify(false); });
}

bool CKVDVDoc::Save() {
    if (!IsModified())
        return true;
    return OnFileSave();
}

bool CKVDVDoc::SaveAs() {
    return OnFileSaveAs();
}

bool CKVDVDoc::OnSaveDocument(const wxString &) {
    return false;
}

bool CKVDVDoc::DoOpenDocument(const wxString &) {
    return false;
}

bool CKVDVDoc::DoSaveDocument(const wxString &) {
    return false;
}

// ---- GPS and topography commands of the grid's rows -----------------------------------------

// The document's project and GPS data, and the grid and reloads of its child frame.
class CKVDVDoc::CGpsHost : public IGpsCommandHost {
public:
    explicit CGpsHost(CKVDVDoc &doc)
        : m_doc(doc), m_frame(dynamic_cast<CChildFrame *>(doc.GetFrame())),
          m_grid(m_frame ? m_frame->GetGridView() : nullptr) {}

    ORQ::CKVDXmlFile *GetKvdFile() override { return m_doc.m_dataFiles.GetKvdXmlFile(); }
    CGPSInfo *GetGPSInfo() override { return &m_doc.m_gpsInfo; }
    int GetNumRows() const override { return m_grid ? m_grid->GetNumRows() : 0; }
    SGridInfo *GetRowInfo(int row) override { return m_grid ? m_grid->GetRowInfo(row) : nullptr; }
    bool IsRowSelected(int row) const override { return m_grid && m_grid->IsRowSelected(row); }
    int GetSelectedCount() const override { return m_grid ? m_grid->GetSelectedCount() : 0; }
    void SelectAllLines() override {
        if (m_frame)
            m_frame->SelectAllLines();
    }
    bool AttachGPSOrTopoFile(const char *path, SGridInfo &row, int kind,
                             ORQ::CStr &errors) override {
        return m_frame && m_frame->AttachGPSOrTopoFile(path, row, kind, errors);
    }
    void SetModifiedFlag() override { m_doc.Modify(true); }
    void UpdateKvdDataBlockPtr() override { m_doc.m_dataFiles.UpdateKvdDataBlockPtr(); }
    void ReloadReportErrors() override {
        if (m_frame)
            m_frame->LoadDOMReportErrors();
    }
    void ReloadNoErrors() override {
        if (m_frame)
            m_frame->ReloadDOMReportNoErrors();
    }
    const CLineNodes *GetLineNodes() override { return m_doc.LineNodes(); }

private:
    CKVDVDoc &m_doc;
    CChildFrame *m_frame;
    KVDGridView *m_grid;
};

void CKVDVDoc::DropLineNodes() {
    // The handles of a file object that is gone went with it.
    if (m_lineNodes && m_lineNodesFileGeneration != m_dataFiles.GetFileGeneration())
        m_lineNodes->Forget();
    m_lineNodes.reset();
}

const CLineNodes *CKVDVDoc::LineNodes() {
    if (m_lineNodes && (m_lineNodesGeneration != m_dataFiles.GetGeneration() ||
                        m_lineNodes->File() != m_dataFiles.GetKvdXmlFile()))
        DropLineNodes();
    if (!m_lineNodes && m_dataFiles.GetKvdXmlFile()) {
        m_lineNodes = std::make_unique<CLineNodes>(m_dataFiles.GetKvdXmlFile());
        m_lineNodesGeneration = m_dataFiles.GetGeneration();
        m_lineNodesFileGeneration = m_dataFiles.GetFileGeneration();
    }
    return m_lineNodes.get();
}

bool CKVDVDoc::AttachDataFile(int kind, const char *, SGridInfo &row) {
    CGpsHost host(*this);
    return CGpsCommands(host).AttachDataFile(kind, false, &row);
}

void CKVDVDoc::RecoverDataFile(int kind, SGridInfo &row) {
    CGpsHost host(*this);
    CGpsCommands(host).RecoverDataFile(kind, &row, false);
}

void CKVDVDoc::RunGpsCommand(const std::function<void(CGpsCommands &)> &command) {
    // The grid's status cells reach the commands without their menu rules.
    if (IsSelectingInView())
        return;
    CGpsHost host(*this);
    CGpsCommands commands(host);
    command(commands);
}

void CKVDVDoc::OnEditGpsAttach() {
    RunGpsCommand([this](CGpsCommands &c) {
        c.AttachDataFile(DFK_GPS, true, nullptr);
        // The first GPS of a project switches GPS on, with a definition to be fitted anew.
        if (m_gpsInfo.HasGPSData() && m_settings->LocalWorld.EnableGPS == 0) {
            m_gpsInfo.ResetLWCDefinition(1);
            CGpsHost(*this).ReloadReportErrors();
        }
    });
}

void CKVDVDoc::OnEditGpsDetach() {
    RunGpsCommand([](CGpsCommands &c) { c.DetachDataFile(DFK_GPS); });
}

void CKVDVDoc::OnEditGpsMerge() {
    RunGpsCommand([](CGpsCommands &c) { c.MergeDataFile(DFK_GPS, nullptr, false, false); });
}

void CKVDVDoc::OnEditGpsRemove() {
    RunGpsCommand([](CGpsCommands &c) { c.MergeDataFile(DFK_GPS, nullptr, true, false); });
}

void CKVDVDoc::OnEditGpsRecover() {
    RunGpsCommand([](CGpsCommands &c) { c.RecoverDataFile(DFK_GPS, nullptr, true); });
}

void CKVDVDoc::OnEditTopoAttach() {
    RunGpsCommand([](CGpsCommands &c) { c.AttachDataFile(DFK_TOPO, true, nullptr); });
}

void CKVDVDoc::OnEditTopoDetach() {
    RunGpsCommand([](CGpsCommands &c) { c.DetachDataFile(DFK_TOPO); });
}

void CKVDVDoc::OnEditTopoMerge() {
    RunGpsCommand([](CGpsCommands &c) { c.MergeDataFile(DFK_TOPO, nullptr, false, false); });
}

void CKVDVDoc::OnEditTopoRemove() {
    RunGpsCommand([](CGpsCommands &c) { c.MergeDataFile(DFK_TOPO, nullptr, true, false); });
}

void CKVDVDoc::OnEditTopoMergeGpsElevation() {
    RunGpsCommand([](CGpsCommands &c) { c.MergeDataFile(DFK_TOPO, nullptr, false, true); });
}

void CKVDVDoc::OnEditTopoRecover() {
    RunGpsCommand([](CGpsCommands &c) { c.RecoverDataFile(DFK_TOPO, nullptr, true); });
}

// ---- command routing ------------------------------------------------------------------------

void CKVDVDoc::OnCommand(wxCommandEvent &event) {
    IProjectFrame *frame = GetProjectFrame();
    IPlanViewCommands *plan = frame ? frame->GetPlanView() : nullptr;
    switch (KVDCmd::FromWxId(event.GetId())) {
    case KVDCmd::ID_FILE_SAVE:
        OnFileSave();
        break;
    case KVDCmd::ID_FILE_SAVE_AS:
        OnFileSaveAs();
        break;
    case KVDCmd::ID_DISPLAYUNITS_METERS:
        OnDisplayunitsMeters();
        break;
    case KVDCmd::ID_DISPLAYUNITS_FEET:
        OnDisplayunitsFeet();
        break;
    case KVDCmd::ID_VIEW_FIDUCIAL_TEXT:
        m_showFiducialText = !m_showFiducialText;
        UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_DISPLAY_CHANGED);
        break;
    case KVDCmd::ID_VIEW_DISPLAY_FIDUCIALS:
        m_showFiducials = !m_showFiducials;
        m_showFiducialText = m_showFiducials;
        UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_DISPLAY_CHANGED);
        break;
    case KVDCmd::ID_ZOOM_FIT:
        OnZoomFit();
        break;
    case KVDCmd::ID_ZOOM_AREA:
        if (plan)
            plan->ToggleZoomArea();
        break;
    case KVDCmd::ID_ZOOM_IN:
        if (plan)
            plan->ZoomIn();
        break;
    case KVDCmd::ID_ZOOM_OUT:
        if (plan)
            plan->ZoomOut();
        break;
    case KVDCmd::ID_PAN:
        if (plan)
            plan->TogglePan();
        break;
    case KVDCmd::ID_LOCAL_WORLD_DEFINITION:
        OnLocalWorldDefinition();
        break;
    case KVDCmd::ID_LINE_SETTINGS:
        OnLineSettings();
        break;
    case KVDCmd::ID_EDIT_GPS_FORMAT:
        OnEditGpsFormat();
        break;
    case KVDCmd::ID_EDIT_GPS_ATTACH:
        OnEditGpsAttach();
        break;
    case KVDCmd::ID_EDIT_GPS_DETACH:
        OnEditGpsDetach();
        break;
    case KVDCmd::ID_EDIT_GPS_MERGE:
        OnEditGpsMerge();
        break;
    case KVDCmd::ID_EDIT_GPS_REMOVE:
        OnEditGpsRemove();
        break;
    case KVDCmd::ID_EDIT_GPS_RECOVER:
        OnEditGpsRecover();
        break;
    case KVDCmd::ID_EDIT_TOPO_ATTACH:
        OnEditTopoAttach();
        break;
    case KVDCmd::ID_EDIT_TOPO_DETACH:
        OnEditTopoDetach();
        break;
    case KVDCmd::ID_EDIT_TOPO_MERGE:
        OnEditTopoMerge();
        break;
    case KVDCmd::ID_EDIT_TOPO_REMOVE:
        OnEditTopoRemove();
        break;
    case KVDCmd::ID_EDIT_TOPO_MERGE_GPS_ELEVATION:
        OnEditTopoMergeGpsElevation();
        break;
    case KVDCmd::ID_EDIT_TOPO_RECOVER:
        OnEditTopoRecover();
        break;
    default:
        event.Skip();
        break;
    }
}

void CKVDVDoc::CommandUi(wxUpdateUIEvent &event) {
    IProjectFrame *frame = GetProjectFrame();
    IPlanViewCommands *plan = frame ? frame->GetPlanView() : nullptr;
    SDocCommandState state;
    state.hasFrame = frame != nullptr;
    state.selectingInView = IsSelectingInView();
    state.hasRows = frame && frame->GetNumRows() > 0;
    state.fiducialsPresent = m_fiducialsPresent;
    state.showFiducials = m_showFiducials;
    state.showFiducialText = m_showFiducialText;
    state.gprLayerOn = m_settings->LineDisplay.LayerShown[LINE_KIND_LOCAL_XY];
    state.zoomAreaMode = plan && plan->IsZoomAreaMode();
    state.panChecked = plan && plan->IsPanMode();
    state.modified = IsModified();
    state.hasPath = !m_dataFiles.GetFilePathName().empty();
    state.unit = m_units;
    state.localWorldDialogOpen = m_localWorldDialog != nullptr;
    state.enableGPS = m_settings->LocalWorld.EnableGPS;
    const int id = KVDCmd::FromWxId(event.GetId());
    auto *child = IsSelectedRowsCommand(id) ? dynamic_cast<CChildFrame *>(GetFrame()) : nullptr;
    if (child)
        if (KVDGridView *grid = child->GetGridView())
            for (int i = 0; i < grid->GetNumRows(); ++i)
                if (grid->IsRowSelected(i))
                    state.rows.Add(*grid->GetRowInfo(i));
    const SCommandUi ui = DecideCommandUi(id, state);
    if (!ui.handled) {
        event.Skip();
        return;
    }
    event.Enable(ui.enable);
    if (ui.setCheck)
        event.Check(ui.check);
}
