#pragma once

#include <wx/filehistory.h>

// The recent-file list of the File menus, kept in one block: the block stands between the two
// separators that the menu places for it (above Close and Exit), wherever files are added or
// removed while the program runs. The framework's own list appends a file added at run time at
// the end of the menu, below Exit, where a click meant for Exit would open a project.
class CRecentFileHistory : public wxFileHistory {
public:
    CRecentFileHistory(size_t maxFiles, wxWindowID idBase) : wxFileHistory(maxFiles, idBase) {}

    void AddFileToHistory(const wxString &file) override;
    void RemoveFileFromHistory(size_t i) override;
    void AddFilesToMenu() override;
    void AddFilesToMenu(wxMenu *menu) override;

private:
    // Puts the menu's recent-file entries back into their block, in list order.
    void Rebuild(wxMenu *menu);
};
