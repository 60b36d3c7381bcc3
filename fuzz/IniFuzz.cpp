// INI text: the input is a settings file. Reading never fails; a value written reads back as
// written, and the file's other keys read as before.

#include "KVD_Edit/platform/IniFile.h"
#include "fuzz/FuzzSupport.h"

#include <vector>

namespace {

// Names as the program asks for them: without surrounding blanks.
std::string Trimmed(const std::string &s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    const std::string path = kvdfuzz::Scratch("settings.ini");
    const std::string text(reinterpret_cast<const char *>(data), size);
    kvdfuzz::WriteBytes(path, text);

    // The sections and keys named in the input, as a reader of the file would ask for them.
    std::vector<std::pair<std::string, std::string>> keys;
    std::string section;
    size_t start = 0;
    while (start < text.size() && keys.size() < 32) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 1 && line.front() == '[' && line.find(']') != std::string::npos)
            section = Trimmed(line.substr(1, line.find(']') - 1));
        else if (line.find('=') != std::string::npos)
            keys.emplace_back(section, Trimmed(line.substr(0, line.find('='))));
    }
    std::vector<std::string> before;
    for (const auto &k : keys) {
        before.push_back(CIniFile::ReadString(path, k.first, k.second, "\x01"));
        CIniFile::ReadInt(path, k.first, k.second, -7);
        CIniFile::HasKey(path, k.first, k.second);
        CIniFile::HasSection(path, k.first);
    }

    const std::string value = "written value 42";
    const std::string writeSection = keys.empty() ? "GENERAL" : keys.front().first;
    const std::string writeKey = "FuzzWritten";
    if (writeSection.find_first_of("\r\n") != std::string::npos)
        return 0;
    if (!CIniFile::WriteString(path, writeSection, writeKey, value))
        return 0;
    kvdfuzz::Check(CIniFile::ReadString(path, writeSection, writeKey, "") == value,
                   "a written INI value reads back");
    for (size_t i = 0; i < keys.size(); ++i) {
        if (CIniFile::EqualsNoCase(keys[i].first, writeSection) &&
            CIniFile::EqualsNoCase(keys[i].second, writeKey))
            continue;
        kvdfuzz::Check(CIniFile::ReadString(path, keys[i].first, keys[i].second, "\x01") ==
                           before[i],
                       "writing one INI value leaves the others as they read");
    }
    kvdfuzz::Check(CIniFile::DeleteKey(path, writeSection, writeKey), "a written key deletes");
    kvdfuzz::Check(!CIniFile::HasKey(path, writeSection, writeKey), "a deleted key is gone");
    return 0;
}
