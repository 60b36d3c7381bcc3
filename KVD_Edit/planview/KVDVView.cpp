#include "KVD_Edit/planview/KVDVView.h"

#include "KVD_Edit/app/ChildFrame.h"
#include "KVD_Edit/app/CodeLogger.h"
#include "KVD_Edit/app/CommandIds.h"
#include "KVD_Edit/app/GridDocument.h"
#include "KVD_Edit/app/KVDVApp.h"
#include "KVD_Edit/app/KvdGprDataFiles.h"
#include "KVD_Edit/app/MapperSettings.h"
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

CKVDVView::CKVDVView() = default;

CKVDVView::~CKVDVView() {
    if (m_window != nullptr)
        m_window->SetHost(nullptr);
}

bool CKVDVView::OnCreate(wxDocument *doc, long flags) {
    KVD_LOG_CALL();
    if (!wxView::OnCreate(doc, flags))
        return false;
    auto *parent = wxDynamicCast(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, wxMDIParentFrame);
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

void CKVDVView::OnUpdate(wxView *, wxObject *) {
    KVD_LOG_CALL();
    if (m_window != nullptr)
        m_window->InvalidateMap();
}

bool CKVDVView::OnClose(bool deleteWindow) {
    KVD_LOG_CALL();
    if (!wxView::OnClose(deleteWindow))
        return false;
    Activate(false);
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
    return wxDynamicCast(GetFrame(), CChildFrame);
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
    doc.unit = grid->GetUnits();
    doc.selection = m_selection.get();
    CMapperSettings *settings = grid->GetMapperSettings();
    doc.lineDisplay = settings != nullptr ? &settings->LineDisplay : nullptr;
    const auto *fiducials = dynamic_cast<const IPlanViewDocument *>(grid);
    doc.showFiducials = fiducials != nullptr && fiducials->GetShowFiducials();
    doc.showFiducialText = fiducials != nullptr && fiducials->GetShowFiducialText();
    doc.font = m_font.HasFont() ? &m_font : nullptr;
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

bool CKVDVView::OfferViewPoint(POINT) {
    // While the local-to-world dialog waits for a point the click is its alone: it neither
    // selects nor zooms. Handing the point to the dialog is the dialog's own part.
    IGridDocument *grid = Document();
    return grid != nullptr && grid->IsSelectingInView();
}

void CKVDVView::PostFrameCommand(int command) {
    wxWindow *frame = GetFrame();
    if (frame == nullptr)
        return;
    auto *event = new wxCommandEvent(wxEVT_MENU, KVDCmd::ToWxId(command));
    event->SetEventObject(frame);
    wxQueueEvent(frame, event);
}
