#include "KVD3/XmlText.h"

#include "orq_utils/Str.h"

namespace ORQ {
namespace xmltext {

bool DecodeUtf8(const std::string &text, size_t pos, uint32_t &cp, size_t &len) {
    const size_t n = text.size();
    if (pos >= n)
        return false;
    const unsigned char c0 = static_cast<unsigned char>(text[pos]);
    if (c0 < 0x80) {
        cp = c0;
        len = 1;
        return true;
    }
    size_t need;
    uint32_t value;
    uint32_t minimum;
    if ((c0 & 0xE0) == 0xC0) {
        need = 1;
        value = c0 & 0x1F;
        minimum = 0x80;
    } else if ((c0 & 0xF0) == 0xE0) {
        need = 2;
        value = c0 & 0x0F;
        minimum = 0x800;
    } else if ((c0 & 0xF8) == 0xF0) {
        need = 3;
        value = c0 & 0x07;
        minimum = 0x10000;
    } else {
        return false;
    }
    if (pos + need >= n)
        return false;
    for (size_t i = 1; i <= need; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (c & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    cp = value;
    len = need + 1;
    return true;
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

bool IsValidUtf8(const std::string &text) {
    size_t pos = 0;
    while (pos < text.size()) {
        uint32_t cp;
        size_t len;
        if (!DecodeUtf8(text, pos, cp, len))
            return false;
        pos += len;
    }
    return true;
}

std::string RepairUtf8(const std::string &text) {
    if (IsValidUtf8(text))
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t pos = 0;
    while (pos < text.size()) {
        uint32_t cp;
        size_t len;
        if (DecodeUtf8(text, pos, cp, len)) {
            out.append(text, pos, len);
            pos += len;
        } else {
            AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(text[pos])));
            ++pos;
        }
    }
    return out;
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
