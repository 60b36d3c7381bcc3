#pragma once

#include "orq_utils/OrqExport.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace ORQ {

// The system's general 8-bit string: a std::string with printf-style formatting, tokenising,
// trimming, case operations and numeric-text tests. Formatting always uses the "C" locale.
class ORQ_UTILS_API CStr : public std::string {
public:
    CStr() = default;
    CStr(const std::string &text) : std::string(text) {}
    CStr(std::string &&text) : std::string(std::move(text)) {}
    // A null text gives the empty string.
    CStr(const char *text) : std::string(text ? text : "") {}
    // Each wide character keeps its low 8 bits (no code-page conversion).
    CStr(const wchar_t *text);
    CStr(const CStr &other) : std::string(other) {}
    CStr(CStr &&other) noexcept : std::string(std::move(other)) {}
    CStr &operator=(const CStr &other);
    CStr &operator=(CStr &&other) noexcept;
    CStr &operator=(const std::string &text);
    CStr &operator=(const char *text);
    ~CStr();

    operator const char *() const { return c_str(); }
    operator const void *() const { return c_str(); }
    // The text widened from code page 1252; stays readable while this string is unchanged.
    operator const wchar_t *() const;

    // Subscripts with int or other index types would otherwise be ambiguous with the
    // conversions above.
    template <class I, std::enable_if_t<std::is_integral_v<I>, int> = 0> char &operator[](I i) {
        return std::string::operator[](static_cast<size_type>(i));
    }
    template <class I, std::enable_if_t<std::is_integral_v<I>, int> = 0>
    const char &operator[](I i) const {
        return std::string::operator[](static_cast<size_type>(i));
    }

    // A heap copy of text made with strdup; the caller releases it with free().
    static char *MallocCharArray(const std::string &text);

    // The first n characters (all of them when n exceeds the length).
    CStr Left(size_t n) const;
    // The last n characters (all of them when n exceeds the length).
    CStr Right(size_t n) const;
    // Letters of the code page change case; other bytes stay.
    void ToUpper();
    void ToLower();

    // s without the trailing (leading, both) characters that are in set.
    static std::string TrimRight(const std::string &s, const char *set);
    static std::string TrimLeft(const std::string &s, const char *set);
    static std::string Trim(const std::string &s, const char *set);

    // Case-blind comparison (code page letters, see UpperCp1252): 0 equal, -1 when this (a) is a
    // prefix of the other, 1 the other way round, else the difference of the first differing
    // upper-cased characters.
    int CompareNoCase(const std::string &other) const;
    static int CompareNoCase(const std::string &a, const std::string &b);

    // Replaces find by with in place and returns the number of replacements. The text after a
    // replacement is searched again from where the replacement started (replacing "ab" by "a"
    // in "abb" gives "a", two replacements), unless with contains find: then the search goes on
    // after the inserted text. An empty find replaces nothing.
    int Substitute(const char *find, const char *with);

    // printf-style formatting in the "C" locale; the text is never cut short.
    void Format(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    static void Format(std::string &out, const char *fmt, ...)
        __attribute__((format(printf, 2, 3)));
    // Format with the arguments of a variadic caller.
    void vFormat(const char *fmt, va_list args);

    // The text from pos up to the first of the delimiter characters; pos moves past that
    // delimiter. With no delimiter left: the rest and pos = length + 1. At or past the end: an
    // empty text, pos unchanged. Callers loop while pos < length.
    CStr Token(const char *delimiters, size_t &pos) const;
    CStr Tokenize(const char *delimiters, size_t &pos) const { return Token(delimiters, pos); }

    // Splits text at one delimiter character: false once pos is past the text's end (out
    // unchanged); adjacent delimiters give empty tokens.
    static bool Token(std::string &out, size_t &pos, const char *text, char delimiter);
    static bool Tokenize(std::string &out, size_t &pos, const char *text, char delimiter) {
        return Token(out, pos, text, delimiter);
    }
    // The static Token into one buffer shared by all callers (one thread only); stop when pos
    // exceeds the text's length.
    static const char *StrToken(const char *text, char delimiter, size_t &pos);

    // True unless a character other than digits (and '-' / '.' when allowed) is present.
    bool IsNumeric(bool allowMinus, bool allowDot) const;
    // True when the text is a plain decimal number; value receives it (may be null).
    bool Real(bool allowMinus, bool trim, double *value) const;
    bool Whole(bool allowMinus, bool trim, int *value) const;

private:
    mutable std::unique_ptr<std::wstring> m_wide;
};

// True when text holds a character outside the digits ('-' and '.' allowed on request).
// Null or empty text gives false.
ORQ_UTILS_API bool NonNummericContent(const char *text, bool allowMinus, bool allowDot);

// Codes of the numeric-text tests: 0 valid, 1 foreign character, 2 text that does not read back
// the same, 3 no text.
ORQ_UTILS_API int IsNotRealNumber(const char *text, bool allowMinus, bool trim, double *value);
ORQ_UTILS_API int IsNotWholeNumber(const char *text, bool allowMinus, bool trim, int *value);

// Packs up to six characters ('@' to '_' after upper-casing, five bits each) into a number,
// padding with '@'; UID2Str unpacks six characters (buffer: at least 7 characters).
ORQ_UTILS_API uint32_t Str2UID(const char *text);
ORQ_UTILS_API void UID2Str(uint32_t id, char *buffer);
ORQ_UTILS_API std::string UID2Str(uint32_t id);

// Code page 1252, the system's 8-bit code page. The Unicode character of a byte: the five
// bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 control of the
// same value, so every byte round-trips.
ORQ_UTILS_API uint32_t Cp1252ToUnicode(unsigned char byte);
// The byte of a Unicode character; false when the code page has none.
ORQ_UTILS_API bool UnicodeToCp1252(uint32_t cp, unsigned char &byte);
// The upper (lower) case of a code page letter: 'a'..'z', the accented letters, 'š', 'œ', 'ž'
// and 'ÿ' with their capitals; every other byte ('ß', 'µ', digits, signs) stays as it is.
ORQ_UTILS_API char UpperCp1252(char c);
ORQ_UTILS_API char LowerCp1252(char c);

// UTF-8. DecodeUtf8 reads the sequence at text[pos]: its character and length; false for a byte
// that starts no valid sequence (overlong forms, surrogates, values beyond U+10FFFF, a sequence
// cut short) or pos past the end. AppendUtf8 writes a character. IsValidUtf8: every byte is part
// of a valid sequence.
ORQ_UTILS_API bool DecodeUtf8(const std::string &text, size_t pos, uint32_t &cp, size_t &len);
ORQ_UTILS_API void AppendUtf8(std::string &out, uint32_t cp);
ORQ_UTILS_API bool IsValidUtf8(const std::string &text);

// The string module's version record: name, version, release text, date, part number (tabs).
ORQ_UTILS_API const char *StringGetVerStr();

} // namespace ORQ
