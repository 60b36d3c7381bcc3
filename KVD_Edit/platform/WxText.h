#pragma once

// The window boundary of the program's text: the program, its libraries and its project files
// hold the system's 8-bit code page 1252; windows hold Unicode.

#include <wx/string.h>

#include <string>

// The program's 8-bit text for a window; every byte is one character, so nothing is lost.
wxString ToWx(const std::string &text);
// A message for a window that may quote a path as the file system spells it (UTF-8) beside the
// program's text: each valid UTF-8 sequence is shown as its character, every other byte as
// ToWx shows it (ORQ::PathToFileSystemSpelling).
wxString ToWxQuotingPaths(const std::string &text);
// A path a window (a file chooser, the command line, the recent-file list) holds, as the file
// system spells it: the bytes to open it by, whatever the locale. Names that are not valid UTF-8
// come back as the bytes they are on disk.
std::string PathFromWx(const wxString &path);
// The reverse: a path on disk for a window.
wxString PathToWx(const std::string &path);
// Text from a window as the program's 8-bit text; a character the code page lacks becomes '?'.
std::string FromWx(const wxString &text);
