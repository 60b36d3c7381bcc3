#include "KVD_Edit/app/shell/VersionInfo.h"

#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/VersionStrings.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SettingsFolder.h"

#include <sys/stat.h>

namespace {

const char *const kKeyNames[CVersionInfo::KEY_COUNT] = {
    "Comments",        "CompanyName",      "",
    "FileVersion",     "InternalName",     "LegalCopyright",
    "LegalTradeMarks", "OriginalFilename", "PrivateBuild",
    "ProductName",     "ProductVersion",   "Software DIP",
    "SpecialBuild"};

std::string VersionText(uint32_t ms, uint32_t ls) {
    return FormatC("%i, %i, %i, %i", static_cast<int>(ms >> 16), static_cast<int>(ms & 0xFFFF),
                   static_cast<int>(ls >> 16), static_cast<int>(ls & 0xFFFF));
}

// True when path names the running program's file. The program's file is taken by the name the
// system gives it, not through the link itself: under a tool that runs the program (a profiler)
// the link leads to the tool's file.
bool IsRunningProgram(const std::string &path) {
    struct stat a, b;
    const std::string self = GetProgramPath();
    if (self.empty() || stat(path.c_str(), &a) != 0 || stat(self.c_str(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

SVersionResource SVersionResource::Program() {
    SVersionResource r;
    r.fixed.dwFileVersionMS = (KVD_VERSION_MAJOR << 16) | KVD_VERSION_MINOR;
    r.fixed.dwFileVersionLS = (KVD_VERSION_PATCH << 16) | KVD_VERSION_TWEAK;
    r.fixed.dwProductVersionMS = r.fixed.dwFileVersionMS;
    r.fixed.dwProductVersionLS = r.fixed.dwFileVersionLS;
    r.translations.push_back({KVD_VERSION_LANGUAGE, KVD_VERSION_CODEPAGE});
    r.stringTables[FormatC("%04x%04x", KVD_VERSION_LANGUAGE, KVD_VERSION_CODEPAGE)] = {
        {"Comments", KVD_VERSION_COMMENTS},
        {"CompanyName", KVD_VERSION_COMPANYNAME},
        {"FileDescription", KVD_VERSION_FILEDESCRIPTION},
        {"FileVersion", KVD_VERSION_FILEVERSION},
        {"InternalName", KVD_VERSION_INTERNALNAME},
        {"LegalCopyright", KVD_VERSION_LEGALCOPYRIGHT},
        {"OriginalFilename", KVD_VERSION_ORIGINALFILENAME},
        {"ProductName", KVD_VERSION_PRODUCTNAME},
        {"ProductVersion", KVD_VERSION_PRODUCTVERSION},
        {"Software DIP", KVD_VERSION_SOFTWAREDIP},
    };
    return r;
}

const char *CVersionInfo::KeyName(int key) {
    return key >= 0 && key < KEY_COUNT ? kKeyNames[key] : "";
}

int CVersionInfo::Load(const char *path) {
    std::string file;
    if (path) {
        file = path;
    } else {
        file = GetProgramPath();
        if (file.empty()) {
            m_block.reset();
            return -2;
        }
    }
    if (IsRunningProgram(file)) {
        const SVersionResource own = SVersionResource::Program();
        return LoadResource(file, &own);
    }
    return LoadResource(file, nullptr);
}

int CVersionInfo::LoadResource(const std::string &path, const SVersionResource *resource) {
    m_block.reset();
    m_filePath = path;
    if (!resource)
        return -1;
    m_block = std::make_unique<SVersionResource>(*resource);
    const SFixedFileInfo *fixed = GetFixedInfo();
    if (!fixed)
        return -1;
    m_productVersion.build = static_cast<uint16_t>(fixed->dwProductVersionLS & 0xFFFF);
    m_productVersion.third = static_cast<uint16_t>(fixed->dwProductVersionLS >> 16);
    m_productVersion.minor = static_cast<uint16_t>(fixed->dwProductVersionMS & 0xFFFF);
    m_productVersion.major = static_cast<uint16_t>(fixed->dwProductVersionMS >> 16);

    int result = 0;
    bool matched = false;
    std::string translation;
    for (int i = 0; GetTranslation(i, translation, nullptr, nullptr); ++i) {
        if (m_languageKey.empty())
            m_languageKey = translation;
        if (translation == m_languageKey) {
            matched = true;
            break;
        }
    }
    if (!matched)
        result |= 1;
    std::string text;
    if (!GetString(KEY_SOFTWAREDIP, text))
        result |= 2;
    if (!GetString(KEY_FILEVERSION, text) ||
        text != VersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS))
        result |= 4;
    if (!GetString(KEY_PRODUCTVERSION, text) ||
        text != VersionText(fixed->dwProductVersionMS, fixed->dwProductVersionLS))
        result |= 8;
    return result;
}

const SFixedFileInfo *CVersionInfo::GetFixedInfo() const {
    return m_block && m_block->hasFixedInfo ? &m_block->fixed : nullptr;
}

int CVersionInfo::GetStringValue(const char *name, std::string &out) const {
    if (!m_block || !name || !*name)
        return 0;
    for (const auto &table : m_block->stringTables) {
        if (!CIniFile::EqualsNoCase(table.first, m_languageKey))
            continue;
        for (const auto &entry : table.second) {
            if (CIniFile::EqualsNoCase(entry.first, name)) {
                out = entry.second;
                return 1;
            }
        }
    }
    return 0;
}

int CVersionInfo::GetString(int key, std::string &out) const {
    if (key < 0 || key >= KEY_COUNT)
        return 0;
    return GetStringValue(kKeyNames[key], out);
}

int CVersionInfo::GetTranslation(int i, std::string &out, uint16_t *language,
                                 uint16_t *codePage) const {
    if (!m_block || i < 0 || static_cast<size_t>(i) >= m_block->translations.size())
        return 0;
    const SVersionTranslation &t = m_block->translations[static_cast<size_t>(i)];
    out = FormatC("%04x%04x", t.language, t.codePage);
    if (language)
        *language = t.language;
    if (codePage)
        *codePage = t.codePage;
    return 1;
}

std::string CVersionInfo::GetFilePath(bool nameOnly, bool withoutExtension) const {
    std::string path = m_filePath;
    const size_t sep = path.find_last_of("/\\");
    if (withoutExtension) {
        const size_t dot = path.rfind('.');
        if (dot != std::string::npos && (sep == std::string::npos || dot > sep))
            path.erase(dot);
    }
    if (nameOnly && sep != std::string::npos)
        path.erase(0, sep + 1);
    return path;
}

const SProductVersionWords *CVersionInfo::GetProductVersionWords() const {
    return m_block ? &m_productVersion : nullptr;
}
