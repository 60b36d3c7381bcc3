#include "KVD_Edit/app/grid/GridSelection.h"

#include "orq_utils/Str.h"

#include <unordered_set>

std::string CGridSelection::Fold(const std::string &key) {
    // Names are code page 1252 text: its letters compare without case, as everywhere in the
    // program (ORQ::CStr::CompareNoCase).
    std::string folded = key;
    for (char &c : folded)
        c = ORQ::UpperCp1252(c);
    return folded;
}

std::vector<bool> CGridSelection::Restore(const std::vector<std::string> &rowKeys,
                                          const std::vector<std::string> &savedKeys) {
    std::unordered_set<std::string> saved;
    saved.reserve(savedKeys.size());
    for (const std::string &key : savedKeys)
        saved.insert(Fold(key));
    std::vector<bool> selected(rowKeys.size(), false);
    if (saved.empty())
        return selected;
    for (size_t i = 0; i < rowKeys.size(); ++i)
        selected[i] = saved.count(Fold(rowKeys[i])) != 0;
    return selected;
}

int CGridSelection::FindRow(const std::vector<std::string> &rowKeys, const std::string &key) {
    if (key.empty())
        return -1;
    const std::string folded = Fold(key);
    for (size_t i = 0; i < rowKeys.size(); ++i)
        if (Fold(rowKeys[i]) == folded)
            return static_cast<int>(i);
    return -1;
}

int CGridSelection::CurrentRow(const std::vector<bool> &selected, int current, int wanted) {
    const int rows = static_cast<int>(selected.size());
    const auto isRow = [rows](int row) { return row >= 0 && row < rows; };
    int first = -1;
    for (int i = 0; i < rows && first < 0; ++i)
        if (selected[i])
            first = i;
    if (isRow(wanted) && (selected[wanted] || first < 0))
        return wanted;
    if (isRow(current) && selected[current])
        return current;
    return first;
}
