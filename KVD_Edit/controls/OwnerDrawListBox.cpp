#include "KVD_Edit/controls/OwnerDrawListBox.h"

#include <wx/artprov.h>
#include <wx/dc.h>
#include <wx/dnd.h>
#include <wx/filename.h>
#include <wx/mimetype.h>
#include <wx/renderer.h>
#include <wx/settings.h>

#include <memory>

namespace {

class CFileDrop : public wxFileDropTarget {
public:
    explicit CFileDrop(COwnerDrawListBox *list) : m_list(list) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString &files) override {
        m_list->DropFiles(files);
        return true;
    }

private:
    COwnerDrawListBox *m_list;
};

} // namespace

COwnerDrawListBox::COwnerDrawListBox(wxWindow *parent, wxWindowID id, const wxPoint &pos,
                                     const wxSize &size) {
    Create(parent, id, pos, size);
}

bool COwnerDrawListBox::Create(wxWindow *parent, wxWindowID id, const wxPoint &pos,
                               const wxSize &size) {
    if (!wxVListBox::Create(parent, id, pos, size, wxBORDER_SUNKEN))
        return false;
    SetDropTarget(new CFileDrop(this));
    return true;
}

void COwnerDrawListBox::AddItem(const std::string &text, const wxBitmap &icon) {
    m_logic.AddItem(text, icon);
    SetItemCount(m_logic.GetCount());
    Refresh();
}

size_t COwnerDrawListBox::FreeItemData() {
    const size_t n = m_logic.FreeItemData();
    Refresh();
    return n;
}

void COwnerDrawListBox::SetLayoutMode(int mode) {
    m_logic.SetLayoutMode(mode);
    Refresh();
}

void COwnerDrawListBox::SetIconPosition(int position) {
    m_logic.SetIconPosition(position);
    Refresh();
}

wxBitmap COwnerDrawListBox::IconOf(const std::string &path) {
    const wxSize size(32, 32);
    // The desktop theme names its file-type icons after the MIME type ("text/plain" is
    // "text-plain"); a type without one gets the generic file icon.
    const wxString ext = wxFileName(wxString::FromUTF8(path)).GetExt();
    if (!ext.empty() && wxTheMimeTypesManager) {
        std::unique_ptr<wxFileType> type(wxTheMimeTypesManager->GetFileTypeFromExtension(ext));
        wxString mime;
        if (type && type->GetMimeType(&mime) && !mime.empty()) {
            mime.Replace("/", "-");
            const wxBitmap icon = wxArtProvider::GetBitmap(mime, wxART_LIST, size);
            if (icon.IsOk())
                return icon;
        }
    }
    return wxArtProvider::GetBitmap(wxART_NORMAL_FILE, wxART_LIST, size);
}

void COwnerDrawListBox::DropFiles(const wxArrayString &files) {
    std::vector<std::string> paths;
    for (const wxString &file : files)
        paths.push_back(file.utf8_string());
    const int select = m_logic.Drop(paths, &COwnerDrawListBox::IconOf);
    SetItemCount(m_logic.GetCount());
    if (select >= 0)
        SetSelection(select);
    Refresh();
}

wxCoord COwnerDrawListBox::OnMeasureItem(size_t) const {
    return CFileListLogic::ItemHeight;
}

void COwnerDrawListBox::OnDrawBackground(wxDC &dc, const wxRect &rect, size_t n) const {
    const bool selected = IsSelected(n);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(
        wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_LISTBOX)));
    dc.DrawRectangle(rect);
}

void COwnerDrawListBox::OnDrawItem(wxDC &dc, const wxRect &rect, size_t n) const {
    // The focused item shows its text and icon too, with the focus frame around them.
    const SFileListItem *item = m_logic.GetItem(n);
    if (item) {
        const SFileListLayout layout = m_logic.Layout(rect);
        dc.SetTextForeground(wxSystemSettings::GetColour(IsSelected(n) ? wxSYS_COLOUR_HIGHLIGHTTEXT
                                                                       : wxSYS_COLOUR_LISTBOXTEXT));
        const wxString text = wxString::FromUTF8(item->text);
        if (m_logic.DrawsText())
            dc.DrawLabel(text, layout.text,
                         wxALIGN_CENTER_VERTICAL |
                             (m_logic.TextRightAligned() ? wxALIGN_RIGHT : wxALIGN_LEFT));
        if (m_logic.DrawsIcon() && item->icon.IsOk())
            dc.DrawBitmap(item->icon, layout.icon.GetTopLeft(), true);
    }
    if (IsCurrent(n) && HasFocus())
        wxRendererNative::Get().DrawFocusRect(const_cast<COwnerDrawListBox *>(this), dc, rect);
}
