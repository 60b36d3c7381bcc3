#include "KVD_Edit/planview/KVDVView.h"

#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/PlanViewDocument.h"

#include <wx/app.h>
#include <wx/dc.h>
#include <wx/docmdi.h>
#include <wx/print.h>
#include <wx/splitter.h>

namespace {

// One page: the map laid out in the page's own size on the printer's context.
class CPlanPrintout : public wxPrintout {
public:
    explicit CPlanPrintout(CPlanViewWindow *window) : wxPrintout("Plan view"), m_window(window) {}
    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int *minPage, int *maxPage, int *from, int *to) override {
        *minPage = *maxPage = *from = *to = 1;
    }
    bool OnPrintPage(int) override {
        wxDC *dc = GetDC();
        if (dc == nullptr || m_window == nullptr)
            return false;
        dc->SetUserScale(1, 1);
        dc->SetDeviceOrigin(0, 0);
        m_window->DrawOnto(*dc);
        return true;
    }

private:
    CPlanViewWindow *m_window;
};

} // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CKVDVView, wxView);

CKVDVView::CKVDVView() {
    for (int command :
         {KVDCmd::ID_FILE_PRINT, KVDCmd::ID_FILE_PRINT_DIRECT, KVDCmd::ID_FILE_PRINT_PREVIEW})
        Bind(wxEVT_MENU, &CKVDVView::OnPrintCommand, this, KVDCmd::ToWxId(command));
}

CKVDVView::~CKVDVView() {
    if (m_window != nullptr)
        m_window->SetHost(nullptr);
}

bool CKVDVView::OnCreate(wxDocument *doc, long flags) {
    KVD_LOG_CALL();
    if (!wxView::OnCreate(doc, flags))
        return false;
    auto *parent = dynamic_cast<wxMDIParentFrame *>(wxTheApp ? wxTheApp->GetTopWindow() : nullptr);
    if (!parent)
        return false;
    auto *app = dynamic_cast<CKVDVApp *>(wxTheApp);
    if (app != nullptr) {
        SLogFont record = app->GetProgramFontRecord();
        m_font.CreateFromLogFont(&record);
    }
    IGridDocument *grid = dynamic_cast<IGridDocument *>(doc);
    m_selection = std::make_unique<CFocusSelection>(grid ? grid->GetFocusList() : nullptr, nullptr);

    auto *frame = new CChildFrame(doc, this, parent);
    SetFrame(frame);
    m_window = new CPlanViewWindow(frame->GetSplitter(), this);
    if (app != nullptr)
        m_window->LoadCompass(app->GetExeDir() + "Compass.bmp");
    frame->ReplacePane(1, m_window);
    frame->Show(true);
    return true;
}

void CKVDVView::OnDraw(wxDC *dc) {
    KVD_LOG_CALL();
    if (dc != nullptr && m_window != nullptr)
        m_window->DrawOnto(*dc);
}

void CKVDVView::OnUpdate(wxView *, wxObject *hint) {
    KVD_LOG_CALL();
    if (m_window == nullptr)
        return;
    // A change of the selection draws again only the lines it changed.
    if (CViewHint::Of(hint) == KVDCmd::HINT_SELECTION_CHANGED)
        m_window->SelectionChanged();
    else
        m_window->InvalidateMap();
}

bool CKVDVView::OnClose(bool deleteWindow) {
    KVD_LOG_CALL();
    if (!wxView::OnClose(deleteWindow))
        return false;
    Activate(false);
    // The cursor's coordinates in the status bar belong to this view's project.
    SetStatusText(1, std::string());
    SetStatusText(2, std::string());
    // The window goes with the frame, later than this view: it must not call back.
    if (m_window != nullptr) {
        m_window->SetHost(nullptr);
        m_window = nullptr;
    }
    if (deleteWindow && GetFrame()) {
        GetFrame()->Destroy();
        SetFrame(nullptr);
    }
    return true;
}

wxPrintout *CKVDVView::OnCreatePrintout() {
    KVD_LOG_CALL();
    return new CPlanPrintout(m_window);
}

CChildFrame *CKVDVView::GetChildFrame() const {
    return dynamic_cast<CChildFrame *>(GetFrame());
}

IGridDocument *CKVDVView::Document() const {
    return dynamic_cast<IGridDocument *>(GetDocument());
}

void CKVDVView::ZoomToFit() {
    KVD_LOG_CALL();
    if (m_window != nullptr)
        m_window->ZoomToFit();
}

int CKVDVView::ToggleZoomArea() {
    KVD_LOG_CALL();
    return m_window != nullptr ? m_window->ToggleZoomArea() : 0;
}

void CKVDVView::ZoomIn() {
    KVD_LOG_CALL();
    if (m_window != nullptr)
        m_window->ZoomIn();
}

void CKVDVView::ZoomOut() {
    KVD_LOG_CALL();
    if (m_window != nullptr)
        m_window->ZoomOut();
}

void CKVDVView::TogglePan() {
    KVD_LOG_CALL();
    if (m_window != nullptr)
        m_window->TogglePan();
}

bool CKVDVView::IsZoomAreaMode() const {
    return m_window != nullptr && m_window->IsZoomAreaMode();
}

bool CKVDVView::IsPanMode() const {
    return m_window != nullptr && m_window->IsPanMode();
}

void CKVDVView::UpdatePanCheck(wxUpdateUIEvent &event) const {
    KVD_LOG_CALL();
    event.Check(IsPanMode());
}

bool CKVDVView::GetPlanDoc(SPlanViewDoc &doc) {
    IGridDocument *grid = Document();
    if (grid == nullptr)
        return false;
    CKvdGprDataFiles *files = grid->GetDataFiles();
    doc.query = files != nullptr ? files->GetDataBlockInterface() : nullptr;
    doc.queryGeneration = files != nullptr ? files->GetGeneration() : 0;
    doc.unit = grid->GetUnits();
    doc.selection = m_selection.get();
    CMapperSettings *settings = grid->GetMapperSettings();
    doc.lineDisplay = settings != nullptr ? &settings->LineDisplay : nullptr;
    const auto *fiducials = dynamic_cast<const IPlanViewDocument *>(grid);
    doc.showFiducials = fiducials != nullptr && fiducials->GetShowFiducials();
    doc.showFiducialText = fiducials != nullptr && fiducials->GetShowFiducialText();
    doc.font = m_font.HasFont() ? &m_font : nullptr;
    if (settings != nullptr) {
        doc.gpsFormat = settings->GPSFormat;
        doc.ellipsoid = settings->LocalWorld.Ellipsoid;
    }
    return true;
}

CGPSInfo *CKVDVView::GetGPSInfo() {
    IGridDocument *grid = Document();
    return grid != nullptr ? grid->GetGPSInfo() : nullptr;
}

SLocalWorldDef *CKVDVView::GetLocalWorldDef() {
    IGridDocument *grid = Document();
    CMapperSettings *settings = grid != nullptr ? grid->GetMapperSettings() : nullptr;
    return settings != nullptr ? &settings->LocalWorld : nullptr;
}

bool CKVDVView::OfferViewPoint(POINT devicePoint, const SPlanPointInfo &point) {
    // While the local-to-world dialog waits for a point the click is its alone: it neither
    // selects nor zooms.
    IGridDocument *grid = Document();
    if (grid == nullptr || !grid->IsSelectingInView())
        return false;
    if (m_viewPointListener && m_window != nullptr)
        m_viewPointListener(m_window->Renderer(), devicePoint, point);
    return true;
}

const CPlanRenderer *CKVDVView::GetRenderer() const {
    return m_window != nullptr ? &m_window->Renderer() : nullptr;
}

void CKVDVView::RefreshCursor() {
    if (m_window != nullptr)
        m_window->RefreshCursor();
}

void CKVDVView::SetStatusText(int pane, const std::string &text) {
    if (auto *frame = dynamic_cast<CMainFrame *>(GetMainFrame()))
        frame->SetStatusText(pane, text.c_str());
}

void CKVDVView::OnPrintCommand(wxCommandEvent &event) {
    KVD_LOG_CALL();
    if (m_window == nullptr)
        return;
    EPrintMode mode = PRINT_DIALOG;
    switch (KVDCmd::FromWxId(event.GetId())) {
    case KVDCmd::ID_FILE_PRINT_DIRECT:
        mode = PRINT_DIRECT;
        break;
    case KVDCmd::ID_FILE_PRINT_PREVIEW:
        mode = PRINT_PREVIEW;
        break;
    default:
        break;
    }
    wxPrintout *page = OnCreatePrintout();
    wxPrintout *forPrinting = mode == PRINT_PREVIEW ? OnCreatePrintout() : nullptr;
    if (m_printRunner)
        m_printRunner(mode, page, forPrinting);
    else
        RunPrintout(mode, page, forPrinting);
}

void CKVDVView::RunPrintout(EPrintMode mode, wxPrintout *printout,
                            wxPrintout *printoutForPrinting) {
    wxWindow *parent = GetMainFrame();
    if (mode != PRINT_PREVIEW) {
        std::unique_ptr<wxPrintout> owned(printout);
        wxPrinter printer;
        printer.Print(parent, owned.get(), mode == PRINT_DIALOG);
        return;
    }
    auto *preview = new wxPrintPreview(printout, printoutForPrinting);
    if (!preview->IsOk()) {
        delete preview;
        return;
    }
    auto *frame =
        new wxPreviewFrame(preview, parent, "Print Preview", wxDefaultPosition, wxSize(800, 700));
    frame->Initialize();
    frame->Show(true);
}

void CKVDVView::PostFrameCommand(int command) {
    wxWindow *frame = GetFrame();
    if (frame == nullptr)
        return;
    auto *event = new wxCommandEvent(wxEVT_MENU, KVDCmd::ToWxId(command));
    event->SetEventObject(frame);
    wxQueueEvent(frame, event);
}
