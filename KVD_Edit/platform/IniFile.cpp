#include "KVD_Edit/platform/IniFile.h"

#include "orq_utils/CLocale.h"
#include "orq_utils/FileReplacement.h"

#include <fstream>
#include <sstream>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A line of the file without its line end, and whether that end was CRLF. Each line keeps its
// own end, so that a write changes nothing but the line it writes: in a file of mixed ends, a
// line ending in "\r\r\n" would otherwise lose a CR of its value on the next save.
struct SIniLine {
    std::string text;
    bool crlf = false;
};

// The file as lines, remembering whether its first line ended in CRLF (new lines follow it).
struct SIniText {
    std::vector<SIniLine> lines;
    bool crlf = false;
    bool exists = false;

    void Append(const std::string &text) { lines.push_back({text, crlf}); }
    void Insert(size_t at, const std::string &text) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), SIniLine{text, crlf});
    }
};

SIniText Load(const std::string &path) {
    SIniText t;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return t;
    t.exists = true;
    std::ostringstream all;
    all << in.rdbuf();
    const std::string bytes = all.str();
    size_t start = 0;
    bool first = true;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        std::string line =
            bytes.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        bool hadCr = !line.empty() && line.back() == '\r';
        if (hadCr)
            line.pop_back();
        if (first && nl != std::string::npos)
            t.crlf = hadCr;
        first = false;
        t.lines.push_back({line, hadCr});
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    return t;
}

bool Save(const std::string &path, const SIniText &t) {
    std::string bytes;
    for (const auto &l : t.lines) {
        bytes += l.text;
        bytes += l.crlf ? "\r\n" : "\n";
    }
    return ORQ::ReplaceFileContent(path, bytes);
}

// Section name of a header line, or false when the line is no header.
bool SectionOf(const std::string &line, std::string &name) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i >= line.size() || line[i] != '[')
        return false;
    size_t close = line.find(']', i + 1);
    name = Trim(line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1));
    return true;
}

// Key and raw value of a key line, or false when the line holds no "=".
bool KeyOf(const std::string &line, std::string &key, std::string &value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(line.substr(0, eq));
    value = line.substr(eq + 1);
    return true;
}

std::string Unquote(const std::string &raw) {
    std::string v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// Line range [begin, end) of the first section of that name; begin is the header's index.
bool FindSection(const SIniText &t, const std::string &section, size_t &begin, size_t &end) {
    std::string name;
    for (size_t i = 0; i < t.lines.size(); ++i) {
        if (SectionOf(t.lines[i].text, name) && CIniFile::EqualsNoCase(name, section)) {
            begin = i;
            end = i + 1;
            while (end < t.lines.size() && !SectionOf(t.lines[end].text, name))
                ++end;
            return true;
        }
    }
    return false;
}

// Index of the first line of key within the section's range, or npos.
size_t FindKey(const SIniText &t, size_t begin, size_t end, const std::string &key) {
    std::string k, v;
    for (size_t i = begin + 1; i < end; ++i)
        if (KeyOf(t.lines[i].text, k, v) && CIniFile::EqualsNoCase(k, key))
            return i;
    return std::string::npos;
}

bool Lookup(const std::string &path, const std::string &section, const std::string &key,
            std::string &value) {
    SIniText t = Load(path);
    size_t b, e;
    if (!FindSection(t, section, b, e))
        return false;
    size_t i = FindKey(t, b, e, key);
    if (i == std::string::npos)
        return false;
    std::string k, raw;
    KeyOf(t.lines[i].text, k, raw);
    value = Unquote(raw);
    return true;
}

} // namespace

bool CIniFile::EqualsNoCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string CIniFile::ReadString(const std::string &path, const std::string &section,
                                 const std::string &key, const std::string &def) {
    std::string value;
    if (Lookup(path, section, key, value))
        return value;
    return def;
}

int CIniFile::ReadInt(const std::string &path, const std::string &section, const std::string &key,
                      int def) {
    std::string value;
    if (!Lookup(path, section, key, value))
        return def;
    return ORQ::AtoiC(value.c_str());
}

bool CIniFile::WriteString(const std::string &path, const std::string &section,
                           const std::string &key, const std::string &value) {
    if (value.find_first_of("\r\n") != std::string::npos ||
        key.find_first_of("\r\n=") != std::string::npos ||
        section.find_first_of("\r\n]") != std::string::npos)
        return false;
    SIniText t = Load(path);
    const std::string line = key + "=" + value;
    size_t b, e;
    if (!FindSection(t, section, b, e)) {
        t.Append("[" + section + "]");
        t.Append(line);
        return Save(path, t);
    }
    size_t i = FindKey(t, b, e, key);
    if (i != std::string::npos) {
        if (t.lines[i].text == line)
            return true; // already stored: a read's write-back leaves the file alone
        t.lines[i].text = line;
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        size_t at = e;
        while (at > b + 1 && Trim(t.lines[at - 1].text).empty())
            --at;
        t.Insert(at, line);
    }
    return Save(path, t);
}

bool CIniFile::DeleteKey(const std::string &path, const std::string &section,
                         const std::string &key) {
    SIniText t = Load(path);
    size_t b, e;
    if (!FindSection(t, section, b, e))
        return false;
    size_t i = FindKey(t, b, e, key);
    if (i == std::string::npos)
        return false;
    // Every line of the key: a second one, written by hand, would otherwise be read in its
    // place and bring back a value the user deleted.
    while (i != std::string::npos) {
        t.lines.erase(t.lines.begin() + static_cast<std::ptrdiff_t>(i));
        --e;
        i = FindKey(t, i - 1, e, key); // the search starts after its first argument
    }
    return Save(path, t);
}

bool CIniFile::HasSection(const std::string &path, const std::string &section) {
    SIniText t = Load(path);
    size_t b, e;
    return FindSection(t, section, b, e);
}

bool CIniFile::EnsureSection(const std::string &path, const std::string &section) {
    if (section.find_first_of("\r\n]") != std::string::npos)
        return false;
    SIniText t = Load(path);
    size_t b, e;
    if (FindSection(t, section, b, e))
        return true;
    t.Append("[" + section + "]");
    return Save(path, t);
}

bool CIniFile::HasKey(const std::string &path, const std::string &section, const std::string &key) {
    std::string value;
    return Lookup(path, section, key, value);
}
