#pragma once

#include "KVD_Edit/platform/LogFont.h"

#include <wx/font.h>

#include <string>

// The user's settings of the editor in "KVDGridView.ini", and the font file "ProgramFont.bin"
// beside it. Every read writes the value it returns back into the file, so a default becomes a
// stored value the first time it is read and the file lists every key the program has used.
// Nothing is cached: a value written is seen by the next read at once. When the file cannot be
// written (its folder is missing) reads give their defaults and nothing is stored.
class INIAccess {
public:
    // Names the file "KVDGridView.ini" (no folder yet). The toolkit cannot make fonts before
    // the application has initialised it, so no font is held until ReadFont or SetFont runs;
    // start-up then takes GetSystemLogfont().
    INIAccess();
    virtual ~INIAccess();
    INIAccess(const INIAccess &) = delete;
    INIAccess &operator=(const INIAccess &) = delete;

    // Binds the object to the INI file at path; the font file is "ProgramFont.bin" in the same
    // folder. With readFont, runs ReadFont().
    void Initialize(const std::string &path, bool readFont);
    const std::string &GetIniPath() const { return m_iniPath; }
    // Path of the font file; empty while the INI path has no folder.
    const std::string &GetFontPath() const { return m_fontPath; }

    // Writes text, an integer ("%i"), a double ("%f") or a logical ("Y"/"N") under
    // section/key. True when stored.
    bool WriteIni(const std::string &section, const std::string &key, const std::string &text);
    bool WriteIni(const std::string &section, const std::string &key, int value);
    bool WriteIni(const std::string &section, const std::string &key, double value);
    bool WriteLogical(const std::string &section, const std::string &key, bool value);

    // Reads text (whole, however long), an integer (its leading digits) or a double (the stored
    // text as atof reads it: no number gives 0), the default when missing, and writes the value
    // back: text and doubles as read, integers as "%i".
    std::string ReadIni(const std::string &section, const std::string &key, const std::string &def);
    std::string ReadIni(const std::string &section, const std::string &key, const char *def);
    int ReadIni(const std::string &section, const std::string &key, int def);
    double ReadIni(const std::string &section, const std::string &key, double def);
    // True when the stored text (default "Y" for a non-zero default, else "N") is "Y" or "y";
    // the text is written back as read.
    bool ReadLogical(const std::string &section, const std::string &key, int def);

    // Stores the record in the font file and makes the font from it.
    void SetFont(const SLogFont &font);
    // Writes the record of the current font; false when there is none or it cannot be written.
    bool WriteFont();
    // Writes a record to the font file (atomically); false, silently, when it cannot.
    bool WriteFont(const SLogFont &font);
    // Makes the font from the font file. A missing, unreadable or short file is replaced by the
    // system font's record; a record the toolkit refuses falls back to 8 pt Arial, then to the
    // toolkit's default font.
    void ReadFont();
    // The record of the system font. When the toolkit cannot give it, a warning asks the user
    // to pick a font in the font dialog; on Cancel the fixed 8 pt Arial record is used.
    SLogFont GetSystemLogfont();

    // The object's font (not IsOk() until ReadFont or SetFont made one).
    const wxFont &GetFont() const { return m_font; }
    // The record of the current font; false when none is held.
    bool GetLogFont(SLogFont &out) const;

private:
    void MakeFont(const SLogFont &record);

    std::string m_iniPath;
    std::string m_fontPath;
    wxFont m_font;
    SLogFont m_fontRecord;
    bool m_hasFont = false;
};
