#include "orq_utils/FileSystemName.h"

#include "orq_utils/Str.h"

#include <cstdint>

namespace ORQ {
namespace {

// Decodes the UTF-8 sequence at text[pos]: its character and length; false for a byte that
// starts no valid sequence (overlong forms, surrogates and values beyond U+10FFFF included).
bool DecodeSequence(const std::string &text, size_t pos, uint32_t &cp, size_t &len) {
    const unsigned char b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) {
        cp = b0;
        len = 1;
        return true;
    }
    uint32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1Fu;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0Fu;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07u;
        min = 0x10000;
    } else {
        return false;
    }
    if (pos + len > text.size())
        return false;
    for (size_t i = 1; i < len; ++i) {
        const unsigned char b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0u) != 0x80u)
            return false;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    return cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

void AppendUtf8(std::string &out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

bool IsValidUtf8(const std::string &text) {
    uint32_t cp;
    size_t len;
    for (size_t pos = 0; pos < text.size(); pos += len)
        if (!DecodeSequence(text, pos, cp, len))
            return false;
    return true;
}

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
        DecodeSequence(name, pos, cp, len);
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
        if (!DecodeSequence(path, pos, cp, len)) {
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
