#include "KVD_Edit/planview/KVDVView.h"

#include "KVD_Edit/app/ChildFrame.h"

#include <wx/app.h>
#include <wx/docmdi.h>

wxIMPLEMENT_DYNAMIC_CLASS(CKVDVView, wxView);

CKVDVView::CKVDVView() = default;

CKVDVView::~CKVDVView() = default;

bool CKVDVView::OnCreate(wxDocument *doc, long flags) {
    if (!wxView::OnCreate(doc, flags))
        return false;
    auto *parent = wxDynamicCast(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, wxMDIParentFrame);
    if (!parent)
        return false;
    auto *frame = new CChildFrame(doc, this, parent);
    SetFrame(frame);
    frame->Show(true);
    return true;
}

void CKVDVView::OnDraw(wxDC *) {}

bool CKVDVView::OnClose(bool deleteWindow) {
    if (!wxView::OnClose(deleteWindow))
        return false;
    Activate(false);
    if (deleteWindow && GetFrame()) {
        GetFrame()->Destroy();
        SetFrame(nullptr);
    }
    return true;
}

CChildFrame *CKVDVView::GetChildFrame() const {
    return wxDynamicCast(GetFrame(), CChildFrame);
}
