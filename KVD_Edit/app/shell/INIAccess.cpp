#include "KVD_Edit/app/shell/INIAccess.h"

#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SystemFont.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "orq_utils/MessageSink.h"

#include <wx/settings.h>

namespace {
const char kIniName[] = "KVDGridView.ini";
const char kFontFileName[] = "ProgramFont.bin";
} // namespace

INIAccess::INIAccess() : m_iniPath(kIniName) {}

INIAccess::~INIAccess() = default;

void INIAccess::Initialize(const std::string &path, bool readFont) {
    m_iniPath = path;
    std::string folder;
    SplitPath(path, &folder, nullptr);
    m_fontPath = folder.empty() ? std::string() : folder + kFontFileName;
    if (readFont)
        ReadFont();
}

bool INIAccess::WriteIni(const std::string &section, const std::string &key,
                         const std::string &text) {
    return CIniFile::WriteString(m_iniPath, section, key, text);
}

bool INIAccess::WriteIni(const std::string &section, const std::string &key, int value) {
    return WriteIni(section, key, FormatC("%i", value));
}

bool INIAccess::WriteIni(const std::string &section, const std::string &key, double value) {
    return WriteIni(section, key, FormatC("%f", value));
}

bool INIAccess::WriteLogical(const std::string &section, const std::string &key, bool value) {
    return WriteIni(section, key, std::string(value ? "Y" : "N"));
}

std::string INIAccess::ReadIni(const std::string &section, const std::string &key,
                               const std::string &def) {
    std::string value = CIniFile::ReadString(m_iniPath, section, key, def);
    WriteIni(section, key, value);
    return value;
}

std::string INIAccess::ReadIni(const std::string &section, const std::string &key,
                               const char *def) {
    return ReadIni(section, key, std::string(def ? def : ""));
}

int INIAccess::ReadIni(const std::string &section, const std::string &key, int def) {
    int value = CIniFile::ReadInt(m_iniPath, section, key, def);
    WriteIni(section, key, value);
    return value;
}

double INIAccess::ReadIni(const std::string &section, const std::string &key, double def) {
    return ParseDoubleC(ReadIni(section, key, FormatC("%f", def)));
}

bool INIAccess::ReadLogical(const std::string &section, const std::string &key, int def) {
    return IsYes(ReadIni(section, key, std::string(def ? "Y" : "N")));
}

void INIAccess::SetFont(const SLogFont &font) {
    if (WriteFont(font)) {
        ReadFont();
    } else {
        // The file cannot be stored (read-only folder): the choice still holds for this run.
        SLogFont record = font;
        record.Sanitize();
        MakeFont(record);
    }
}

bool INIAccess::WriteFont() {
    SLogFont record;
    if (!GetLogFont(record))
        return false;
    return WriteFont(record);
}

bool INIAccess::WriteFont(const SLogFont &font) {
    if (m_fontPath.empty())
        return false;
    return WriteLogFontFile(m_fontPath, font);
}

void INIAccess::ReadFont() {
    SLogFont record;
    if (m_fontPath.empty() || !ReadLogFontFile(m_fontPath, record)) {
        record = GetSystemLogfont();
        WriteFont(record);
    }
    MakeFont(record);
}

void INIAccess::MakeFont(const SLogFont &record) {
    wxFont font = record.ToWxFont();
    SLogFont made = record;
    if (!font.IsOk()) {
        ORQ::ShowMessage("An error occurred while loading the program font.\nA default font (8 "
                         "pt Arial) will be used. It is suggested that font be manually selected "
                         "from View | Settings.",
                         ORQ::MB_OK | ORQ::MB_ICONWARNING);
        made = SLogFont::Fixed();
        font = made.ToWxFont();
    }
    if (!font.IsOk()) {
        // Even the fixed record is refused: the toolkit's own default font still shows text.
        font = WindowSystem::IsDisplayOpen() ? *wxNORMAL_FONT : wxFont(wxFontInfo());
        if (!SLogFont::FromWxFont(font, made))
            made = SLogFont::Fixed();
    }
    m_font = font;
    m_fontRecord = made;
    m_hasFont = m_font.IsOk();
}

SLogFont INIAccess::GetSystemLogfont() {
    SLogFont record;
    if (GetSystemFontRecord(record))
        return record;
    ORQ::ShowMessage("An error occurred while determing the system font.\nPlease select program "
                     "font manually.",
                     ORQ::MB_OK | ORQ::MB_ICONWARNING);
    if (PickFontRecord(record))
        return record;
    WarningBeep();
    return SLogFont::Fixed();
}

bool INIAccess::GetLogFont(SLogFont &out) const {
    if (!m_hasFont)
        return false;
    out = m_fontRecord;
    return true;
}
