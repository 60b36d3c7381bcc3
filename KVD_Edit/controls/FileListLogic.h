#pragma once

// The logic of the owner-draw file list box: its item records (a file's name and icon), what a
// drop of files adds, and where an item's icon and text go for each layout.

#include <wx/bitmap.h>
#include <wx/gdicmn.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One item's record: the text shown and the file's icon.
struct SFileListItem {
    std::string text;
    wxBitmap icon;
};

struct SFileListLayout {
    wxRect icon;
    wxRect text;
};

class CFileListLogic {
public:
    // Adds an item with its record.
    void AddItem(const std::string &text, const wxBitmap &icon);
    // Deletes every item's record (the items stay, drawn empty); returns the number of items.
    size_t FreeItemData();
    size_t GetCount() const { return m_items.size(); }
    // The record of an item, or null once freed (or for an index outside the list).
    const SFileListItem *GetItem(size_t index) const;

    // Files dropped on the list: only the first is taken, with its icon (iconOf gives an
    // invalid bitmap when there is none, and then nothing is added). Returns the item to
    // select, the last one; -1 for an empty list.
    int Drop(const std::vector<std::string> &paths,
             const std::function<wxBitmap(const std::string &)> &iconOf);
    // The name of a path without its folder and extension ('\' or '/' separators).
    static std::string NameOf(const std::string &path);

    void SetLayoutMode(int mode) { m_layoutMode = mode; }
    void SetIconPosition(int position) { m_iconPosition = position; }
    int GetLayoutMode() const { return m_layoutMode; }
    int GetIconPosition() const { return m_iconPosition; }
    SFileListLayout Layout(const wxRect &item) const;
    // Whether the text, and the icon, are drawn in the present layout.
    bool DrawsText() const;
    bool DrawsIcon() const;
    // Right-aligned text (else left-aligned).
    bool TextRightAligned() const { return m_layoutMode != 1; }

    static constexpr int ItemHeight = 40;

private:
    std::vector<std::unique_ptr<SFileListItem>> m_items;
    int m_layoutMode = 0;
    int m_iconPosition = 0;
};
