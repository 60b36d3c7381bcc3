#include "KVD3/XmlText.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/Str.h"

namespace ORQ {
namespace xmltext {

std::string RepairUtf8(const std::string &text) {
    return IsValidUtf8(text) ? text : PathToFileSystemSpelling(text);
}

bool IsXmlChar(uint32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

namespace {

// Bytes that stand for themselves in both the 8-bit text and UTF-8 and that XML can hold.
bool IsPlainByte(unsigned char u) {
    return u < 0x80 && (u >= 0x20 || u == 0x9 || u == 0xA || u == 0xD);
}

} // namespace

std::string ToTreeText(const std::string &text) {
    size_t plain = 0;
    while (plain < text.size() && IsPlainByte(static_cast<unsigned char>(text[plain])))
        ++plain;
    if (plain == text.size())
        return text;
    std::string out(text, 0, plain);
    out.reserve(text.size() + text.size() / 8);
    for (size_t pos = plain; pos < text.size(); ++pos) {
        const uint32_t cp = Cp1252ToUnicode(static_cast<unsigned char>(text[pos]));
        if (IsXmlChar(cp))
            AppendUtf8(out, cp);
        else
            out += '?';
    }
    return out;
}

std::string ToTreeText(const char *text) {
    return ToTreeText(std::string(text ? text : ""));
}

std::string FromTreeText(const std::string &utf8) {
    size_t ascii = 0;
    while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80)
        ++ascii;
    if (ascii == utf8.size())
        return utf8;
    std::string out(utf8, 0, ascii);
    out.reserve(utf8.size());
    size_t pos = ascii;
    while (pos < utf8.size()) {
        uint32_t cp;
        size_t len;
        unsigned char byte;
        if (!DecodeUtf8(utf8, pos, cp, len)) {
            cp = '?';
            len = 1;
        }
        out += UnicodeToCp1252(cp, byte) ? static_cast<char>(byte) : '?';
        pos += len;
    }
    return out;
}

std::string FromTreeText(const char *utf8) {
    return FromTreeText(std::string(utf8 ? utf8 : ""));
}

} // namespace xmltext
} // namespace ORQ
