#pragma once

#include "KVD_Edit/planview/FocusSelection.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "KVD_Edit/planview/PrgFont.h"

#include <wx/docview.h>

#include <functional>
#include <memory>

class CChildFrame;
class IGridDocument;
class wxCommandEvent;
class wxPrintout;
class wxUpdateUIEvent;

// The plan view of a project: the view class of the application's document template. Creating
// it opens the project's child frame and puts the plan view's window into the frame's
// right-hand pane; every change the document reports redraws the map. The document forwards
// Fit, Select Area, Zoom In, Zoom Out and Pan to it. Print (Ctrl+P), Print Direct and Print
// Preview print the map through the view's printout.
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

    // The renderer of the map the window shows: its north heading (the compass), its
    // local-to-world transform and the coordinate texts of points of the view. Null before
    // OnCreate and after closing.
    const CPlanRenderer *GetRenderer() const;
    // The cursor's status panes written again for its last point (after the local-to-world
    // definition changed and the map was drawn with it).
    void RefreshCursor();

    // A left click in the plot area while the local-to-world dialog waits for a point ("Select
    // in View"): the click is the dialog's alone (true, it neither selects nor zooms) and goes
    // to the listener with its device point and the local and world position the renderer
    // makes of it. False, and nothing is handed on, while no point is awaited.
    bool OfferViewPoint(POINT devicePoint, const SPlanPointInfo &point) override;
    using ViewPointListener = std::function<void(const CPlanRenderer &renderer, POINT devicePoint,
                                                 const SPlanPointInfo &point)>;
    void SetViewPointListener(ViewPointListener listener) {
        m_viewPointListener = std::move(listener);
    }

    // How a printout is run: printing with or without the print dialog, or previewing.
    enum EPrintMode { PRINT_DIALOG = 0, PRINT_DIRECT = 1, PRINT_PREVIEW = 2 };
    // Runs the printouts (page and, for a preview, a second one to print from); the runner
    // owns them. The default prints through the toolkit's printer or preview frame; tests put
    // their own in its place.
    using PrintRunner =
        std::function<void(EPrintMode mode, wxPrintout *printout, wxPrintout *printoutForPrinting)>;
    void SetPrintRunner(PrintRunner runner) { m_printRunner = std::move(runner); }

private:
    IGridDocument *Document() const;

    // IPlanViewHost
    bool GetPlanDoc(SPlanViewDoc &doc) override;
    CGPSInfo *GetGPSInfo() override;
    SLocalWorldDef *GetLocalWorldDef() override;
    void PostFrameCommand(int command) override;
    void SetStatusText(int pane, const std::string &text) override;

    void OnPrintCommand(wxCommandEvent &event);
    static void RunPrintout(EPrintMode mode, wxPrintout *printout, wxPrintout *printoutForPrinting);

    CPlanViewWindow *m_window = nullptr;
    std::unique_ptr<CFocusSelection> m_selection;
    CPrgFont m_font;
    ViewPointListener m_viewPointListener;
    PrintRunner m_printRunner;

    wxDECLARE_DYNAMIC_CLASS(CKVDVView);
};
