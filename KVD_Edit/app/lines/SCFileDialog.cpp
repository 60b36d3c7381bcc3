#include "KVD_Edit/app/lines/SCFileDialog.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/platform/WxText.h"

#include <cctype>

std::string SCFileDialog::ToWildcard(const char *filter) {
    std::string text = filter ? filter : "";
    while (!text.empty() && text.back() == '|')
        text.pop_back();
    // Descriptions and patterns alternate between the bars; only patterns change.
    std::string out;
    bool pattern = false;
    for (char c : text) {
        if (c == '|') {
            pattern = !pattern;
            out += c;
        } else if (pattern && std::isalpha(static_cast<unsigned char>(c))) {
            out += '[';
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

SCFileDialog::SCFileDialog(bool open, const char *defaultExtension, const char *fileName,
                           long flags, const char *filter, char *filterIndex, wxWindow *parent,
                           const std::string &initialFolder)
    : wxFileDialog(parent, open ? "Open" : "Save As", PathToWx(initialFolder),
                   wxString::FromUTF8(fileName ? fileName : ""),
                   wxString::FromUTF8(ToWildcard(filter).c_str()),
                   flags | (open ? wxFD_OPEN : wxFD_SAVE)),
      m_filterIndex(filterIndex) {
    (void)defaultExtension; // the patterns name the extension
    if (m_filterIndex)
        *m_filterIndex = 0;
}

SCFileDialog::~SCFileDialog() = default;

void SCFileDialog::OnTypeChange() {
    KVD_LOG_CALL();
    if (m_filterIndex)
        *m_filterIndex = static_cast<char>(GetFilterIndex() + 1);
}

int SCFileDialog::DoModal() {
    KVD_LOG_CALL();
    const int result = ShowModal();
    OnTypeChange();
    return result == wxID_OK ? 1 : 0;
}

std::vector<std::string> SCFileDialog::GetPathList() const {
    wxArrayString paths;
    if (HasFlag(wxFD_MULTIPLE))
        GetPaths(paths);
    else
        paths.push_back(GetPath());
    std::vector<std::string> out;
    for (const wxString &p : paths)
        if (!p.empty())
            out.push_back(PathFromWx(p));
    return out;
}
