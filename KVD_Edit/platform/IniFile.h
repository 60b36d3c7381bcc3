#pragma once

#include <string>
#include <vector>

// Reads and writes INI files the way the Windows private-profile functions do, which the
// editor's settings code was written against:
// - sections and keys are found without regard to (ASCII) case, the first match wins;
// - blanks around keys and values are trimmed, one pair of surrounding quotes is stripped;
// - integers are read from their leading digits (no digits: 0);
// - nothing is cached: every write goes to the file at once, replacing it atomically, so the
//   next read sees it; lines the reader does not understand are kept as they are;
// - 8-bit text passes through unchanged; CRLF files stay CRLF.
// Values are not limited in length. A value holding a line break would break the file's
// structure and is refused.
class CIniFile {
public:
    // The value of section/key, or def when the file, the section or the key is missing.
    static std::string ReadString(const std::string &path, const std::string &section,
                                  const std::string &key, const std::string &def);
    // The integer of section/key from its leading digits (an optional sign first); def when
    // missing; 0 when the text starts with no digit. Values beyond the int range are clamped.
    static int ReadInt(const std::string &path, const std::string &section, const std::string &key,
                       int def);
    // Writes section/key = value, creating the file, the section or the key when missing.
    // False when the file cannot be written (for example its folder is missing) or the value
    // holds a line break.
    static bool WriteString(const std::string &path, const std::string &section,
                            const std::string &key, const std::string &value);
    // Removes section/key (every line of it in the section); false when it was not there or
    // the file cannot be written.
    static bool DeleteKey(const std::string &path, const std::string &section,
                          const std::string &key);
    // True when the file holds the section (with or without keys).
    static bool HasSection(const std::string &path, const std::string &section);
    // Adds an empty section when it is missing; true when the section exists afterwards.
    static bool EnsureSection(const std::string &path, const std::string &section);
    // True when the file holds section/key.
    static bool HasKey(const std::string &path, const std::string &section, const std::string &key);

    // Case-insensitive comparison of ASCII letters; other bytes compare as they are.
    static bool EqualsNoCase(const std::string &a, const std::string &b);
};
