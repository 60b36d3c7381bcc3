#include "KVD_Edit/controls/FileListLogic.h"

void CFileListLogic::AddItem(const std::string &text, const wxBitmap &icon) {
    m_items.push_back(std::make_unique<SFileListItem>(SFileListItem{text, icon}));
}

size_t CFileListLogic::FreeItemData() {
    for (auto &item : m_items)
        item.reset(); // the slot stays, empty, so a later drawing finds nothing to read
    return m_items.size();
}

const SFileListItem *CFileListLogic::GetItem(size_t index) const {
    return index < m_items.size() ? m_items[index].get() : nullptr;
}

std::string CFileListLogic::NameOf(const std::string &path) {
    const size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

int CFileListLogic::Drop(const std::vector<std::string> &paths,
                         const std::function<wxBitmap(const std::string &)> &iconOf) {
    if (!paths.empty()) {
        const wxBitmap icon = iconOf ? iconOf(paths.front()) : wxBitmap();
        if (icon.IsOk())
            AddItem(NameOf(paths.front()), icon);
    }
    return m_items.empty() ? -1 : static_cast<int>(m_items.size()) - 1;
}

SFileListLayout CFileListLogic::Layout(const wxRect &r) const {
    const int L = r.x, T = r.y, R = r.x + r.width, B = r.y + r.height;
    auto rect = [](int l, int t, int rr, int b) {
        return wxRect(wxPoint(l, t), wxPoint(rr - 1, b - 1));
    };
    const wxRect wide = rect(L + 100, T, R, B);
    const wxRect left = rect(L + 10, T, L + 100, B);
    if (m_layoutMode == 0) {
        if (m_iconPosition == 1)
            return {rect(L, T, L + 40, T + 40), rect(L, T, R - 20, B)};
        return {wide, rect(L + 40, T, R - 20, B)};
    }
    if (m_layoutMode == 1) {
        if (m_iconPosition == 0)
            return {wide, left};
        return {left, left};
    }
    if (m_iconPosition == 0)
        return {wide, rect(L + 40, T, R - 20, B)};
    if (m_iconPosition == 1)
        return {left, left};
    return {rect(L, T, L + 40, B), rect(L, T, R - 20, B)};
}

bool CFileListLogic::DrawsText() const {
    if (m_layoutMode == 0 || m_layoutMode == 1)
        return true;
    return m_iconPosition != 0 && m_iconPosition != 1;
}

bool CFileListLogic::DrawsIcon() const {
    if (m_layoutMode == 0 || m_layoutMode == 1)
        return m_iconPosition == 0 || m_iconPosition == 1;
    return true;
}
