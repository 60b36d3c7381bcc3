#include "Tamsel/TamselText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdlib.h>

namespace ORQ {

bool ReadTextLine(std::istream &in, std::string &line) {
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

std::string UpperAscii(const std::string &text) {
    std::string upper = text;
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string TrimBlanks(const std::string &text) {
    const char *blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

double ScanDouble(const std::string &text, size_t pos, size_t &end) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    end = pos;
    if (pos >= text.size())
        return 0;
    const char *start = text.c_str() + pos;
    char *stop = nullptr;
    const double v = ::strtod_l(start, &stop, CLocale());
    if (stop == start)
        return 0;
    end = pos + static_cast<size_t>(stop - start);
    return std::isnan(v) ? 0 : v; // "nan" reads as 0, as AtofC has it
}

namespace {

std::string ToChars(double value, std::chars_format format, int precision) {
    std::string buf(64, '\0');
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, format, precision);
    buf.resize(res.ec == std::errc() ? static_cast<size_t>(res.ptr - buf.data()) : 0);
    return buf;
}

} // namespace

std::string FormatG(double value) {
    return ToChars(value, std::chars_format::general, 6);
}

std::string FormatFixed6(double value) {
    // Values beyond what fits a line are written in exponent form rather than dropped.
    std::string s = ToChars(value, std::chars_format::fixed, 6);
    return s.empty() ? ToChars(value, std::chars_format::scientific, 6) : s;
}

} // namespace ORQ
