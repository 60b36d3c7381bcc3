#include "orq_utils/Str.h"

#include "orq_utils/CLocale.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ORQ {

namespace {

const char kStringVersion[] = "String\t1.1.0.0\tVersion 1 Release 1\t2006-08-22\tORQ-UTL-0101";

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; unassigned bytes keep their value.
const uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// printf into a string sized from the formatter's own count, so nothing is ever cut short.
// Each pass takes its own copy of the argument list.
std::string FormatArgs(const char *fmt, va_list args) {
    if (!fmt)
        return std::string();
    CLocaleScope cLocale;
    va_list measure;
    va_copy(measure, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    va_list fill;
    va_copy(fill, args);
    std::vsnprintf(&out[0], out.size() + 1, fmt, fill);
    va_end(fill);
    return out;
}

int Upper(char c) {
    return static_cast<unsigned char>(UpperCp1252(c));
}

} // namespace

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

bool DecodeUtf8(const std::string &text, size_t pos, uint32_t &cp, size_t &len) {
    if (pos >= text.size())
        return false;
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

bool IsValidUtf8(const std::string &text) {
    uint32_t cp;
    size_t len;
    for (size_t pos = 0; pos < text.size(); pos += len)
        if (!DecodeUtf8(text, pos, cp, len))
            return false;
    return true;
}

// The letters of the code page in pairs: the ASCII letters and 0xE0..0xFE (but the division
// sign 0xF7) are their capitals plus 0x20; four small letters have their capitals elsewhere.
char UpperCp1252(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
        return static_cast<char>(b - 0x20);
    switch (b) {
    case 0x9A: // š
        return static_cast<char>(0x8A);
    case 0x9C: // œ
        return static_cast<char>(0x8C);
    case 0x9E: // ž
        return static_cast<char>(0x8E);
    case 0xFF: // ÿ
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

char LowerCp1252(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
        return static_cast<char>(b + 0x20);
    switch (b) {
    case 0x8A: // Š
        return static_cast<char>(0x9A);
    case 0x8C: // Œ
        return static_cast<char>(0x9C);
    case 0x8E: // Ž
        return static_cast<char>(0x9E);
    case 0x9F: // Ÿ
        return static_cast<char>(0xFF);
    default:
        return c;
    }
}

CStr::CStr(const wchar_t *text) {
    if (!text)
        return;
    for (; *text; ++text)
        push_back(static_cast<char>(static_cast<unsigned>(*text) & 0xFFu));
}

CStr &CStr::operator=(const CStr &other) {
    std::string::operator=(other);
    return *this;
}

CStr &CStr::operator=(CStr &&other) noexcept {
    std::string::operator=(std::move(other));
    return *this;
}

CStr &CStr::operator=(const std::string &text) {
    std::string::operator=(text);
    return *this;
}

CStr &CStr::operator=(const char *text) {
    std::string::operator=(text ? text : "");
    return *this;
}

CStr::~CStr() = default;

CStr::operator const wchar_t *() const {
    if (!m_wide)
        m_wide = std::make_unique<std::wstring>();
    m_wide->clear();
    for (char c : *this)
        m_wide->push_back(static_cast<wchar_t>(Cp1252ToUnicode(static_cast<unsigned char>(c))));
    return m_wide->c_str();
}

char *CStr::MallocCharArray(const std::string &text) {
    return strdup(text.c_str());
}

CStr CStr::Left(size_t n) const {
    return CStr(substr(0, n));
}

CStr CStr::Right(size_t n) const {
    if (n >= size())
        return *this;
    return CStr(substr(size() - n));
}

void CStr::ToUpper() {
    for (char &c : *this)
        c = UpperCp1252(c);
}

void CStr::ToLower() {
    for (char &c : *this)
        c = LowerCp1252(c);
}

std::string CStr::TrimRight(const std::string &s, const char *set) {
    if (!set)
        return s;
    const size_t last = s.find_last_not_of(set);
    return last == npos ? std::string() : s.substr(0, last + 1);
}

std::string CStr::TrimLeft(const std::string &s, const char *set) {
    if (!set)
        return s;
    const size_t first = s.find_first_not_of(set);
    return first == npos ? std::string() : s.substr(first);
}

std::string CStr::Trim(const std::string &s, const char *set) {
    return TrimLeft(TrimRight(s, set), set);
}

int CStr::CompareNoCase(const std::string &other) const {
    return CompareNoCase(*this, other);
}

int CStr::CompareNoCase(const std::string &a, const std::string &b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && Upper(a[i]) == Upper(b[i]))
        ++i;
    if (i == a.size())
        return i == b.size() ? 0 : -1;
    if (i == b.size())
        return 1;
    return Upper(a[i]) - Upper(b[i]);
}

int CStr::Substitute(const char *find, const char *with) {
    if (!find || !*find)
        return 0;
    if (!with)
        with = "";
    const size_t findLen = std::strlen(find);
    const size_t withLen = std::strlen(with);
    // Searching the inserted text again would never end when it holds the search text.
    const bool searchInserted = std::strstr(with, find) == nullptr;
    int count = 0;
    size_t pos = 0;
    while ((pos = this->find(find, pos, findLen)) != npos) {
        replace(pos, findLen, with, withLen);
        ++count;
        if (!searchInserted)
            pos += withLen;
    }
    return count;
}

void CStr::vFormat(const char *fmt, va_list args) {
    assign(FormatArgs(fmt, args));
}

void CStr::Format(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vFormat(fmt, args);
    va_end(args);
}

void CStr::AppendFormat(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    CStr more;
    more.vFormat(fmt, args);
    va_end(args);
    append(more);
}

void CStr::Format(std::string &out, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    out = FormatArgs(fmt, args);
    va_end(args);
}

CStr CStr::Token(const char *delimiters, size_t &pos) const {
    if (pos >= size())
        return CStr();
    const size_t k = find_first_of(delimiters ? delimiters : "", pos);
    if (k != npos) {
        CStr token(substr(pos, k - pos));
        pos = k + 1;
        return token;
    }
    CStr token(substr(pos));
    pos = size() + 1;
    return token;
}

bool CStr::Token(std::string &out, size_t &pos, const char *text, char delimiter) {
    if (!text)
        return false;
    const size_t len = std::strlen(text);
    if (len < pos)
        return false;
    const char c = text[pos];
    if (c != delimiter && c != '\0') {
        const void *hit = std::memchr(text + pos, delimiter, len - pos);
        if (hit) {
            const size_t k = static_cast<size_t>(static_cast<const char *>(hit) - text);
            out.assign(text + pos, k - pos);
            pos = k + 1;
        } else {
            out.assign(text + pos, len - pos);
            pos = len + 1;
        }
    } else {
        out.clear();
        pos += 1;
    }
    return true;
}

const char *CStr::StrToken(const char *text, char delimiter, size_t &pos) {
    static std::string shared;
    Token(shared, pos, text, delimiter);
    return shared.c_str();
}

bool CStr::IsNumeric(bool allowMinus, bool allowDot) const {
    return !NonNummericContent(c_str(), allowMinus, allowDot);
}

bool CStr::Real(bool allowMinus, bool trim, double *value) const {
    return IsNotRealNumber(c_str(), allowMinus, trim, value) == 0;
}

bool CStr::Whole(bool allowMinus, bool trim, int *value) const {
    return IsNotWholeNumber(c_str(), allowMinus, trim, value) == 0;
}

bool NonNummericContent(const char *text, bool allowMinus, bool allowDot) {
    if (!text || !*text)
        return false;
    for (const char *p = text; *p; ++p) {
        const char c = *p;
        const bool allowed =
            (c >= '0' && c <= '9') || (allowMinus && c == '-') || (allowDot && c == '.');
        if (!allowed)
            return true;
    }
    return false;
}

namespace {
const char kBlanks[] = " \t\r\n";
}

int IsNotRealNumber(const char *text, bool allowMinus, bool trim, double *value) {
    if (!text)
        return 3;
    const std::string t = trim ? CStr::Trim(text, kBlanks) : std::string(text);
    if (NonNummericContent(t.c_str(), allowMinus, true))
        return 1;
    const double x = AtofC(t.c_str());
    std::string back;
    CStr::Format(back, "%.*f", static_cast<int>(t.size()), x);
    if (back.size() > t.size())
        back.resize(t.size());
    if (back != t)
        return 2;
    if (value)
        *value = x;
    return 0;
}

int IsNotWholeNumber(const char *text, bool allowMinus, bool trim, int *value) {
    if (!text || !*text)
        return 3;
    const std::string t = trim ? CStr::Trim(text, kBlanks) : std::string(text);
    if (NonNummericContent(t.c_str(), allowMinus, false))
        return 1;
    // Out-of-range texts clamp to the int limits and then fail to read back the same.
    errno = 0;
    long n = std::strtol(t.c_str(), nullptr, 10);
    if (n > INT_MAX)
        n = INT_MAX;
    if (n < INT_MIN)
        n = INT_MIN;
    std::string back;
    CStr::Format(back, "%i", static_cast<int>(n));
    if (back != t)
        return 2;
    if (value)
        *value = static_cast<int>(n);
    return 0;
}

uint32_t Str2UID(const char *text) {
    std::string pad = "@@@@@@";
    if (text) {
        for (size_t i = 0; i < 6 && text[i]; ++i)
            pad[i] = text[i];
    }
    uint32_t id = 0;
    for (unsigned i = 0; i < 6; ++i) {
        const int c = static_cast<signed char>(static_cast<char>(Upper(pad[i])));
        // The arithmetic stays unsigned: characters outside '@'..'_' give wide terms whose
        // bits simply spill into the neighbouring fields.
        id |= static_cast<uint32_t>(c - 64) << (5 * i);
    }
    return id;
}

void UID2Str(uint32_t id, char *buffer) {
    if (!buffer)
        return;
    for (unsigned i = 0; i < 6; ++i)
        buffer[i] = static_cast<char>(((id >> (5 * i)) & 31u) + 64);
    buffer[6] = '\0';
}

std::string UID2Str(uint32_t id) {
    std::string out(7, '\0');
    UID2Str(id, &out[0]);
    out.resize(6);
    return out;
}

const char *StringGetVerStr() {
    return kStringVersion;
}

} // namespace ORQ
