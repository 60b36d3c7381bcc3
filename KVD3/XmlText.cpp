#include "KVD3/XmlText.h"

namespace ORQ {
namespace xmltext {

namespace {

// Unicode of the bytes 0x80 to 0x9F of code page 1252.
const uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

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

uint32_t Cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kCp1252High[byte - 0x80];
    return byte;
}

bool UnicodeToCp1252(uint32_t cp, unsigned char &byte) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        byte = static_cast<unsigned char>(cp);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == cp) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

std::string Cp1252ToUtf8(const std::string &text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text)
        AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
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

std::string ToTreeText(const std::string &text) {
    std::string repaired = RepairUtf8(text);
    bool clean = true;
    for (char c : repaired) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) {
            clean = false;
            break;
        }
    }
    if (clean && repaired.find("\xEF\xBF\xBE") == std::string::npos &&
        repaired.find("\xEF\xBF\xBF") == std::string::npos)
        return repaired;
    std::string out;
    out.reserve(repaired.size());
    size_t pos = 0;
    while (pos < repaired.size()) {
        uint32_t cp;
        size_t len;
        DecodeUtf8(repaired, pos, cp, len);
        if (IsXmlChar(cp))
            out.append(repaired, pos, len);
        else
            out += '?';
        pos += len;
    }
    return out;
}

std::string ToTreeText(const char *text) {
    return ToTreeText(std::string(text ? text : ""));
}

} // namespace xmltext
} // namespace ORQ
