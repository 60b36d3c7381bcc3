#include "KVD_Edit/app/ChildFrame.h"

#include "KVD_Edit/app/KVDVDoc.h"
#include "KVD_Edit/app/MainFrame.h"

#include <wx/docview.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/splitter.h>

CChildFrame::CChildFrame(wxDocument *doc, wxView *view, wxMDIParentFrame *parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, doc ? doc->GetUserReadableName() : "",
                         wxDefaultPosition, wxSize(900, 600)) {
    wxDocManager *manager = doc ? doc->GetDocumentManager() : nullptr;
    wxMenuBar *menuBar = CMainFrame::CreateDocumentMenuBar(manager);
    CMainFrame::ApplyAboutLabel(menuBar);
    if (manager && manager->GetFileHistory())
        m_historyMenu = menuBar->GetMenu(0);
    SetMenuBar(menuBar);

    m_splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxSP_3D | wxSP_LIVE_UPDATE);
    m_splitter->SetMinimumPaneSize(20);
    auto *grid = new wxPanel(m_splitter, wxID_ANY);
    auto *plan = new wxPanel(m_splitter, wxID_ANY);
    plan->SetBackgroundColour(*wxWHITE);
    m_splitter->SplitVertically(grid, plan, 400);
}

CChildFrame::~CChildFrame() {
    if (m_historyMenu) {
        if (wxDocManager *manager = wxDocManager::GetDocumentManager())
            manager->FileHistoryRemoveMenu(m_historyMenu);
    }
}

CKVDVDoc *CChildFrame::GetKVDVDoc() const {
    return wxDynamicCast(GetDocument(), CKVDVDoc);
}

wxWindow *CChildFrame::GetGridPane() const {
    return m_splitter->GetWindow1();
}

wxWindow *CChildFrame::GetPlanPane() const {
    return m_splitter->GetWindow2();
}

void CChildFrame::ReplacePane(int column, wxWindow *window) {
    wxWindow *old = column == 0 ? m_splitter->GetWindow1() : m_splitter->GetWindow2();
    if (!window || window == old)
        return;
    m_splitter->ReplaceWindow(old, window);
    if (old)
        old->Destroy();
}
