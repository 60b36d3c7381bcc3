#pragma once

// The window boundary of the program's text: the program, its libraries and its project files
// hold the system's 8-bit code page 1252; windows hold Unicode.

#include <wx/string.h>

#include <string>

// The program's 8-bit text for a window; every byte is one character, so nothing is lost.
wxString ToWx(const std::string &text);
// A message for a window that may quote a path as the file system spells it (UTF-8): text that
// is valid UTF-8 is shown as such, any other text as ToWx shows it.
wxString ToWxQuotingPaths(const std::string &text);
// Text from a window as the program's 8-bit text; a character the code page lacks becomes '?'.
std::string FromWx(const wxString &text);
