#pragma once

// A list of files dropped onto it from the desktop: each item shows the file's name (without
// folder and extension) and the icon of its file type, laid out by a mode and an icon position
// (CFileListLogic).

#include "KVD_Edit/controls/FileListLogic.h"

#include <wx/vlbox.h>

class COwnerDrawListBox : public wxVListBox {
public:
    COwnerDrawListBox() = default;
    COwnerDrawListBox(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                      const wxSize &size = wxDefaultSize);
    bool Create(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                const wxSize &size = wxDefaultSize);

    void AddItem(const std::string &text, const wxBitmap &icon);
    size_t FreeItemData();
    void SetLayoutMode(int mode);
    void SetIconPosition(int position);
    // Files dropped on the list (the drop target calls it): the first one is added when its
    // type has an icon, and the last item is selected.
    void DropFiles(const wxArrayString &files);
    const CFileListLogic &GetLogic() const { return m_logic; }
    // The icon shown for a file: its file type's, else the desktop's generic file icon.
    static wxBitmap IconOf(const std::string &path);

protected:
    void OnDrawItem(wxDC &dc, const wxRect &rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;
    void OnDrawBackground(wxDC &dc, const wxRect &rect, size_t n) const override;

private:
    CFileListLogic m_logic;
};
