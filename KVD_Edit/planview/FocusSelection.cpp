#include "KVD_Edit/planview/FocusSelection.h"

#include "KVD_Edit/app/document/FocusEntryList.h"

bool CFocusSelection::IsSelected(int set, int line) const {
    return m_list != nullptr && m_list->IsSelected(set, line);
}

SPlanPen CFocusSelection::GetFocusPen() const {
    SPlanPen pen;
    if (m_list != nullptr) {
        const SPenDesc &desc = m_list->GetFocusPen();
        pen.style = desc.style;
        pen.width = desc.width;
        pen.colour = desc.colour;
    }
    return pen;
}

void CFocusSelection::SetFocusPen(COLORREF colour, const int *style, const int *width) {
    if (m_list != nullptr)
        m_list->SetFocusPen(colour, style, width);
}

void CFocusSelection::ClearSelection() {
    if (m_list != nullptr)
        m_list->DeleteFocusArray();
}

void CFocusSelection::AddToSelection(int set, int line) {
    if (m_list != nullptr)
        m_list->AddFocusEntry(set, line, m_sender, true);
}
