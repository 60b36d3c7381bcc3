#pragma once

// Text conversions between the bytes of a file, the library's 8-bit interface text and the
// UTF-8 that the XML tree holds. Internal to the library.

#include <cstddef>
#include <cstdint>
#include <string>

namespace ORQ {
namespace xmltext {

// Decodes one UTF-8 sequence at text[pos]; on success sets cp and len and returns true. Rejects
// overlong forms, surrogates and values beyond U+10FFFF.
bool DecodeUtf8(const std::string &text, size_t pos, uint32_t &cp, size_t &len);
void AppendUtf8(std::string &out, uint32_t cp);
bool IsValidUtf8(const std::string &text);

// The Unicode character of a code page 1252 byte (the five bytes Windows leaves undefined map to
// the C1 control of the same value, so every byte round-trips).
uint32_t Cp1252ToUnicode(unsigned char byte);
// The code page 1252 byte of a character; false when the code page has none.
bool UnicodeToCp1252(uint32_t cp, unsigned char &byte);

// Every byte read as code page 1252.
std::string Cp1252ToUtf8(const std::string &text);
// Valid UTF-8 sequences kept, each byte that is not part of one read as code page 1252: text
// written on Windows in the 8-bit code page is accepted wherever UTF-8 is expected.
std::string RepairUtf8(const std::string &text);
// Text for the XML tree: RepairUtf8, then characters that XML 1.0 cannot hold (control
// characters other than tab, line feed and carriage return) become '?', so that a saved file
// always loads again.
std::string ToTreeText(const char *text);
std::string ToTreeText(const std::string &text);

bool IsXmlChar(uint32_t cp);

} // namespace xmltext
} // namespace ORQ
