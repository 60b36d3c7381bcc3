#pragma once

#include "KVD_Edit/planview/PlanViewController.h"

class CFocusEntryList;
class wxView;

// The document's selection list as the plan view uses it.
class CFocusSelection : public IPlanSelection {
public:
    // sender: the view that changes the selection (null: every view hears of it).
    CFocusSelection(CFocusEntryList *list, wxView *sender) : m_list(list), m_sender(sender) {}

    bool IsSelected(int set, int line) const override;
    SPlanPen GetFocusPen() const override;
    void SetFocusPen(COLORREF colour, const int *style, const int *width) override;
    void ClearSelection() override;
    void AddToSelection(int set, int line) override;

private:
    CFocusEntryList *m_list;
    wxView *m_sender;
};
