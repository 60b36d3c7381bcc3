#pragma once

#include <wx/filedlg.h>

#include <string>
#include <vector>

// A file dialog that reports which filter of its list is in force (1-based) into a variable of
// the caller, so that the line import knows whether X lines, Y lines or both were chosen.
class SCFileDialog : public wxFileDialog {
public:
    // filter: "description|patterns|...||" as the import writes it; patterns match letters
    // in either case (".dt1" and ".DT1" alike).
    SCFileDialog(bool open, const char *defaultExtension, const char *fileName, long flags,
                 const char *filter, char *filterIndex, wxWindow *parent,
                 const std::string &initialFolder = std::string());
    ~SCFileDialog() override;

    // 1 for OK (the filter index then stored), else 0.
    int DoModal();
    // Stores the filter in force into the caller's variable.
    void OnTypeChange();
    // The chosen paths, as the file system spells them (UTF-8 names, or the raw bytes of names
    // that are not); the import turns the names it stores into the program's text.
    std::vector<std::string> GetPathList() const;

    // The toolkit's wildcard of a filter list: the closing "||" dropped and every letter of the
    // patterns matched in both cases.
    static std::string ToWildcard(const char *filter);

private:
    char *m_filterIndex;
};
