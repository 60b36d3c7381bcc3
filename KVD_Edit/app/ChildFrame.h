#pragma once

#include <wx/docmdi.h>

class CKVDVDoc;
class wxMenu;
class wxSplitterWindow;

// The frame of one open project inside the main frame: a one-row, two-pane splitter with the
// grid of line rows on the left and the plan view on the right.
class CChildFrame : public wxDocMDIChildFrame {
public:
    CChildFrame(wxDocument *doc, wxView *view, wxMDIParentFrame *parent);
    ~CChildFrame() override;

    // The frame's document.
    CKVDVDoc *GetKVDVDoc() const;
    wxSplitterWindow *GetSplitter() const { return m_splitter; }
    // The two panes of the splitter: (0, 0) the grid, (0, 1) the plan view.
    wxWindow *GetGridPane() const;
    wxWindow *GetPlanPane() const;
    // Puts a window (a child of the splitter) into a pane in place of what is there.
    void ReplacePane(int column, wxWindow *window);

private:
    wxSplitterWindow *m_splitter = nullptr;
    wxMenu *m_historyMenu = nullptr;
};
