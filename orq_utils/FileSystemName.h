#pragma once

// The file-system boundary of the program's text. Names on this system's disks are UTF-8; the
// program, its libraries and its project files hold the 8-bit code page 1252. A name crosses
// here in both directions:
// - from the disk: valid UTF-8 is decoded and encoded in code page 1252; a name that is not
//   valid UTF-8 (copied from Windows by a tool that kept the raw bytes) is taken as code page
//   1252 bytes as it is;
// - to the disk: every code page 1252 byte is written as its character in UTF-8.
// Paths joined from both kinds of text (a folder as the disk spells it, a line name from a
// project) are spelled for the disk part by part of valid UTF-8.

#include "orq_utils/OrqExport.h"

#include <string>

namespace ORQ {

// The program's text of a file-system name (or path). False when the name is valid UTF-8 but
// holds a character code page 1252 lacks (Cyrillic, Greek, CJK): text then receives the name's
// bytes unchanged, which a caller must not store.
ORQ_UTILS_API bool FileNameToText(const std::string &name, std::string &text);
// The same, for names that are only compared or shown: a name code page 1252 cannot hold comes
// back unchanged.
ORQ_UTILS_API std::string FileNameToText(const std::string &name);

// The file-system spelling of the program's text: each byte as its code page 1252 character in
// UTF-8 (the five bytes the code page leaves undefined as the C1 control of the same value, so
// every name round-trips).
ORQ_UTILS_API std::string TextToFileName(const std::string &text);

// The file-system spelling of a path joined from the disk's names and the program's text: every
// valid UTF-8 sequence stays, every other byte is read as code page 1252 and written in UTF-8.
// The result is valid UTF-8. (Program text that happens to form a valid UTF-8 sequence, such as
// "Ã©", is taken as UTF-8; project names practically never do.)
ORQ_UTILS_API std::string PathToFileSystemSpelling(const std::string &path);

// The key by which two file names are the same without regard to letter case or to how they are
// spelled on disk: the name's program text (FileNameToText) in lower case (LowerCp1252). A
// UTF-8 name, the same name in raw code page 1252 bytes and the program's text of it give one
// key.
ORQ_UTILS_API std::string FileNameKey(const std::string &name);

} // namespace ORQ
