#pragma once

// Text helpers of the header reader and writer (not exported). Numbers are read and written in
// the C locale whatever locale the program runs in.

#include "orq_utils/CLocale.h"

#include <istream>
#include <string>

namespace ORQ {

// Reads one line of any length; the line end (LF or CR LF) is not part of it. False when no
// line was left.
bool ReadTextLine(std::istream &in, std::string &line);
// The line with its ASCII letters upper-cased; other bytes (code page 1252) stay.
std::string UpperAscii(const std::string &text);
// Blanks, tabs and line-end characters cut from both ends.
std::string TrimBlanks(const std::string &text);
// The number at text[pos] (blanks skipped); end receives where it stopped (pos after blanks
// when there is no number, value 0). "nan" is read past and gives 0.
double ScanDouble(const std::string &text, size_t pos, size_t &end);
// "%g": six significant digits, fixed or exponent form, trailing zeros dropped.
std::string FormatG(double value);
// "%f": six decimals.
std::string FormatFixed6(double value);

} // namespace ORQ
