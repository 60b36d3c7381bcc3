#include "KVD_Edit/app/lines/LineNumbering.h"

#include "orq_utils/Str.h"

#include <limits>
#include <set>
#include <utility>

namespace LineNumbering {

std::string BaseName(const std::string &path) {
    const size_t sep = path.find_last_of("\\/");
    std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

void Sort(std::vector<SFileListEntry> &files) {
    for (size_t i = 0; i < files.size(); ++i)
        for (size_t j = i + 1; j < files.size(); ++j)
            if (ORQ::CStr::CompareNoCase(files[j].name, files[i].name) < 0)
                std::swap(files[i], files[j]);
}

bool LastDigitGroup(const std::string &name, int64_t &value) {
    size_t end = name.size();
    while (end > 0 && !(name[end - 1] >= '0' && name[end - 1] <= '9'))
        --end;
    if (end == 0)
        return false;
    size_t begin = end;
    while (begin > 0 && name[begin - 1] >= '0' && name[begin - 1] <= '9')
        --begin;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t v = 0;
    for (size_t i = begin; i < end; ++i) {
        const int digit = name[i] - '0';
        if (v > (kMax - digit) / 10) {
            v = kMax;
            break;
        }
        v = v * 10 + digit;
    }
    value = v;
    return true;
}

SNumberingCheck Check(const std::vector<SFileListEntry> &files) {
    SNumberingCheck check;
    for (const SFileListEntry &f : files) {
        int64_t v = 0;
        if (LastDigitGroup(f.name, v))
            check.anyNumbered = true;
        else
            check.anyUnnumbered = true;
    }
    return check;
}

void Assign(std::vector<SFileListEntry> &files) {
    std::set<int64_t> taken;
    for (SFileListEntry &f : files) {
        int64_t v = 0;
        f.number = LastDigitGroup(f.name, v) ? v : -1;
        if (f.number >= 0)
            taken.insert(f.number);
    }
    int64_t next = 0;
    for (SFileListEntry &f : files) {
        if (f.number >= 0)
            continue;
        while (taken.count(next))
            ++next;
        f.number = next;
        taken.insert(next);
    }
}

bool HintsXAndY(const std::vector<SFileListEntry> &files) {
    for (const SFileListEntry &f : files)
        if (f.name.find_first_of("XY") != std::string::npos)
            return true;
    return false;
}

std::string NextFreeName(const std::string &name, int changes) {
    if (changes == 0 || name.empty())
        return name + "a";
    std::string next = name;
    const char last = next.back();
    if (last >= 'z' && last <= '~') {
        next.pop_back();
        next += "aa";
    } else {
        next.back() = static_cast<char>(last + 1);
    }
    return next;
}

} // namespace LineNumbering
