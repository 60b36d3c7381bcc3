#pragma once

#include "KVD_Edit/planview/FocusSelection.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "KVD_Edit/planview/PrgFont.h"

#include <wx/docview.h>

#include <memory>

class CChildFrame;
class IGridDocument;
class wxUpdateUIEvent;

// The plan view of a project: the view class of the application's document template. Creating
// it opens the project's child frame and puts the plan view's window into the frame's
// right-hand pane; every change the document reports redraws the map. The document forwards
// Fit, Select Area, Zoom In, Zoom Out and Pan to it.
class CKVDVView : public wxView, private IPlanViewHost {
public:
    CKVDVView();
    ~CKVDVView() override;

    bool OnCreate(wxDocument *doc, long flags) override;
    // Draws the map onto a printer page (or any other context) in the page's own size.
    void OnDraw(wxDC *dc) override;
    void OnUpdate(wxView *sender, wxObject *hint = nullptr) override;
    bool OnClose(bool deleteWindow) override;
    wxPrintout *OnCreatePrintout() override;

    CChildFrame *GetChildFrame() const;
    // The window in the frame's right-hand pane; null before OnCreate and after closing.
    CPlanViewWindow *GetPlanWindow() const { return m_window; }

    // Commands the document forwards.
    void ZoomToFit();
    int ToggleZoomArea();
    void ZoomIn();
    void ZoomOut();
    void TogglePan();
    bool IsZoomAreaMode() const;
    bool IsPanMode() const;
    void UpdatePanCheck(wxUpdateUIEvent &event) const;

private:
    IGridDocument *Document() const;

    // IPlanViewHost
    bool GetPlanDoc(SPlanViewDoc &doc) override;
    CGPSInfo *GetGPSInfo() override;
    SLocalWorldDef *GetLocalWorldDef() override;
    bool OfferViewPoint(POINT point) override;
    void PostFrameCommand(int command) override;

    CPlanViewWindow *m_window = nullptr;
    std::unique_ptr<CFocusSelection> m_selection;
    CPrgFont m_font;

    wxDECLARE_DYNAMIC_CLASS(CKVDVView);
};
