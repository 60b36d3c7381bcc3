#include "KVD_Edit/app/document/FocusEntryList.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"

#include <algorithm>

void CFocusEntryList::SetOwner(IFocusListOwner *owner, CKvdGprDataFiles *holder) {
    m_owner = owner;
    m_holder = holder;
}

bool CFocusEntryList::CheckAddress(int &set, int &line) const {
    if (!m_holder)
        return false;
    const ORQ::CKvdDataBlockInterface_V110 *query = m_holder->GetDataBlockInterface();
    if (!query)
        return false;
    int s = set;
    int l = line;
    const int result =
        query->GetLineAddress(&l, nullptr, &s, ORQ::CKvdDataBlockInterface::WALK_BY_NAME);
    if (result < 0)
        return false;
    if (result == 1) {
        set = s;
        line = l;
    }
    return true;
}

void CFocusEntryList::AddFocusEntry(int set, int line, wxView *sender, bool update) {
    if (!CheckAddress(set, line))
        return;
    m_entries.push_back(CRowSelect{set, line});
    m_keys.insert(Key(set, line));
    if (update && m_owner)
        m_owner->UpdateAllViewsWithHint(sender, kSelectionHint);
}

void CFocusEntryList::DeleteFocusEntry(int set, int line, wxView *sender, bool update) {
    if (!CheckAddress(set, line))
        return;
    const CRowSelect key{set, line};
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), key), m_entries.end());
    m_keys.erase(Key(set, line));
    if (update && m_owner)
        m_owner->UpdateAllViewsWithHint(sender, kSelectionHint);
}

bool CFocusEntryList::IsSelected(int set, int line) const {
    if (!CheckAddress(set, line))
        return false;
    return m_keys.count(Key(set, line)) != 0;
}

void CFocusEntryList::SetFocusPen(uint32_t colour, const int *style, const int *width) {
    m_pen.colour = colour;
    if (style)
        m_pen.style = *style;
    if (width)
        m_pen.width = *width;
}
