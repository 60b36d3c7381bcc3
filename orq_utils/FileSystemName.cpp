#include "orq_utils/FileSystemName.h"

#include "orq_utils/Str.h"

#include <cstdint>

namespace ORQ {

bool FileNameToText(const std::string &name, std::string &text) {
    if (!IsValidUtf8(name)) {
        text = name;
        return true;
    }
    std::string out;
    out.reserve(name.size());
    uint32_t cp;
    size_t len;
    for (size_t pos = 0; pos < name.size(); pos += len) {
        DecodeUtf8(name, pos, cp, len);
        unsigned char byte;
        if (!UnicodeToCp1252(cp, byte)) {
            text = name;
            return false;
        }
        out += static_cast<char>(byte);
    }
    text = std::move(out);
    return true;
}

std::string FileNameToText(const std::string &name) {
    std::string text;
    FileNameToText(name, text);
    return text;
}

std::string TextToFileName(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string PathToFileSystemSpelling(const std::string &path) {
    std::string out;
    out.reserve(path.size());
    uint32_t cp;
    size_t len;
    for (size_t pos = 0; pos < path.size(); pos += len) {
        if (!DecodeUtf8(path, pos, cp, len)) {
            cp = Cp1252ToUnicode(static_cast<unsigned char>(path[pos]));
            len = 1;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string FileNameKey(const std::string &name) {
    std::string key = FileNameToText(name);
    for (char &c : key)
        c = LowerCp1252(c);
    return key;
}

} // namespace ORQ
