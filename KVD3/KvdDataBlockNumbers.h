#pragma once

// Number reading and writing shared by the settings and data block readers and writers (not
// part of the library's interface). Numbers are read as their leading number, as the project
// files have always been read, and always in the "C" locale.

#include "orq_utils/CLocale.h"
#include "orq_utils/Str.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

namespace ORQ {
namespace kvdnum {

// The leading decimal number of text, 0 when there is none. Values that are not finite (an
// overflowing exponent, "inf", "nan") read as 0 so that garbage never reaches the geometry.
inline double Double(const std::string &text) {
    // A plain decimal number, as written in every project file, is read without the C library's
    // locale machinery: from_chars rounds exactly as strtod does. Anything else (leading blanks,
    // a sign of "+", hexadecimal, words, trailing text, a value out of range) is left to strtod.
    const char *begin = text.data();
    const char *end = begin + text.size();
    const char *digits = begin != end && *begin == '-' ? begin + 1 : begin;
    if (digits != end && ((*digits >= '0' && *digits <= '9') || *digits == '.')) {
        double v = 0.0;
        const std::from_chars_result read = std::from_chars(begin, end, v);
        if (read.ec == std::errc() && read.ptr == end)
            return std::isfinite(v) ? v : 0.0;
    }
    const double v = AtofC(text.c_str());
    return std::isfinite(v) ? v : 0.0;
}

// The leading decimal integer of text (optional blanks and sign, then digits), 0 when there is
// none; clamped to the range of a long long.
inline long long Integer(const std::string &text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned long long value = 0;
    bool overflow = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (ULLONG_MAX - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    if (overflow || value > static_cast<unsigned long long>(LLONG_MAX))
        return negative ? LLONG_MIN : LLONG_MAX;
    return negative ? -static_cast<long long>(value) : static_cast<long long>(value);
}

// An int32 as atoi reads it, clamped to the int range.
inline int Int(const std::string &text) {
    return AtoiC(text.c_str());
}

// An unsigned 32-bit count: the value's low 32 bits, so "-1" reads as all bits set.
inline uint32_t UInt(const std::string &text) {
    return static_cast<uint32_t>(static_cast<unsigned long long>(Integer(text)));
}

// "%f": six decimals in the "C" locale.
inline CStr FormatF(double v) {
    CStr s;
    s.Format("%f", v);
    return s;
}

inline CStr FormatU(uint32_t v) {
    CStr s;
    s.Format("%u", v);
    return s;
}

inline CStr FormatD(int v) {
    CStr s;
    s.Format("%d", v);
    return s;
}

} // namespace kvdnum
} // namespace ORQ
