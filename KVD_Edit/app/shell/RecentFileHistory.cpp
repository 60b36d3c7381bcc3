#include "KVD_Edit/app/shell/RecentFileHistory.h"

#include <wx/menu.h>

namespace {

bool IsSeparator(const wxMenu *menu, size_t pos) {
    return pos < menu->GetMenuItemCount() && menu->FindItemByPosition(pos)->IsSeparator();
}

// The text of the n-th entry (from 0): "&1 path", with the path's own '&' kept as text.
wxString EntryLabel(size_t n, const wxString &path) {
    wxString escaped = path;
    escaped.Replace("&", "&&");
    return wxString::Format("&%zu %s", n + 1, escaped);
}

} // namespace

void CRecentFileHistory::AddFileToHistory(const wxString &file) {
    wxFileHistory::AddFileToHistory(file);
    AddFilesToMenu();
}

void CRecentFileHistory::RemoveFileFromHistory(size_t i) {
    wxFileHistory::RemoveFileFromHistory(i);
    AddFilesToMenu();
}

void CRecentFileHistory::AddFilesToMenu() {
    for (wxList::compatibility_iterator node = GetMenus().GetFirst(); node; node = node->GetNext())
        Rebuild(static_cast<wxMenu *>(node->GetData()));
}

void CRecentFileHistory::AddFilesToMenu(wxMenu *menu) {
    Rebuild(menu);
}

void CRecentFileHistory::Rebuild(wxMenu *menu) {
    if (!menu)
        return;
    const int first = GetBaseId();
    const int last = first + GetMaxFiles() - 1;
    for (size_t pos = menu->GetMenuItemCount(); pos-- > 0;) {
        const int id = menu->FindItemByPosition(pos)->GetId();
        if (id >= first && id <= last)
            menu->Destroy(menu->FindItemByPosition(pos));
    }
    // The framework's list adds a separator of its own before its first entry, at the end of
    // the menu or beside the block's: those go, so that the block keeps one above and one below.
    while (menu->GetMenuItemCount() > 0 && IsSeparator(menu, menu->GetMenuItemCount() - 1))
        menu->Destroy(menu->FindItemByPosition(menu->GetMenuItemCount() - 1));
    size_t slot = menu->GetMenuItemCount();
    for (size_t pos = 0; pos + 1 < menu->GetMenuItemCount(); ++pos) {
        if (IsSeparator(menu, pos) && IsSeparator(menu, pos + 1)) {
            while (IsSeparator(menu, pos + 2))
                menu->Destroy(menu->FindItemByPosition(pos + 2));
            slot = pos + 1;
            break;
        }
    }
    for (size_t i = 0; i < GetCount(); ++i)
        menu->Insert(slot + i, first + static_cast<int>(i), EntryLabel(i, GetHistoryFile(i)));
}
