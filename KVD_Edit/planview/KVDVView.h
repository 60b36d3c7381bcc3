#pragma once

#include <wx/docview.h>

class CChildFrame;

// The plan view of a project: the view class of the application's document template. Creating
// it opens the project's child frame, whose right-hand pane it draws.
class CKVDVView : public wxView {
public:
    CKVDVView();
    ~CKVDVView() override;

    bool OnCreate(wxDocument *doc, long flags) override;
    void OnDraw(wxDC *dc) override;
    bool OnClose(bool deleteWindow) override;

    CChildFrame *GetChildFrame() const;

private:
    wxDECLARE_DYNAMIC_CLASS(CKVDVView);
};
