#pragma once

// Text conversions between the bytes of a file, the library's 8-bit interface text and the
// UTF-8 that the XML tree holds. Internal to the library.

#include "orq_utils/Str.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ORQ {
namespace xmltext {

// UTF-8 sequences: the string module's (orq_utils/Str.h).
using ORQ::AppendUtf8;
using ORQ::DecodeUtf8;
using ORQ::IsValidUtf8;

// Valid UTF-8 sequences kept, each byte that is not part of one read as code page 1252: text
// written on Windows in the 8-bit code page is accepted wherever UTF-8 is expected in a file.
std::string RepairUtf8(const std::string &text);
// The library's 8-bit text (code page 1252, every byte one character) for the XML tree, in
// UTF-8; characters that XML 1.0 cannot hold (control characters other than tab, line feed and
// carriage return) become '?', so that a saved file always loads again.
std::string ToTreeText(const char *text);
std::string ToTreeText(const std::string &text);
// Text of the XML tree as the library's 8-bit text: each character that code page 1252 lacks
// becomes '?'.
std::string FromTreeText(const char *utf8);
std::string FromTreeText(const std::string &utf8);

bool IsXmlChar(uint32_t cp);

} // namespace xmltext
} // namespace ORQ
