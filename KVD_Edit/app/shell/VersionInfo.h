#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The fixed part of a version resource, laid out as the Windows VS_FIXEDFILEINFO (52 bytes).
struct SFixedFileInfo {
    uint32_t dwSignature = 0xFEEF04BD;
    uint32_t dwStrucVersion = 0x00010000;
    uint32_t dwFileVersionMS = 0;
    uint32_t dwFileVersionLS = 0;
    uint32_t dwProductVersionMS = 0;
    uint32_t dwProductVersionLS = 0;
    uint32_t dwFileFlagsMask = 0x3F;
    uint32_t dwFileFlags = 0;
    uint32_t dwFileOS = 0x00040004; // VOS__WINDOWS32
    uint32_t dwFileType = 1;        // VFT_APP
    uint32_t dwFileSubtype = 0;
    uint32_t dwFileDateMS = 0;
    uint32_t dwFileDateLS = 0;
};
static_assert(sizeof(SFixedFileInfo) == 52, "the fixed information is 52 bytes");

// One entry of the translation list: language id and code page.
struct SVersionTranslation {
    uint16_t language = 0;
    uint16_t codePage = 0;
};

// A version resource: fixed information, translation list and string tables by language key
// ("040904e4"). The program carries one, compiled in (see VersionStrings.h.in).
struct SVersionResource {
    bool hasFixedInfo = true;
    SFixedFileInfo fixed;
    std::vector<SVersionTranslation> translations;
    std::map<std::string, std::map<std::string, std::string>> stringTables;

    // The running program's own resource.
    static SVersionResource Program();
};

// The product version numbers, in the order build, third, minor, major.
struct SProductVersionWords {
    uint16_t build = 0;
    uint16_t third = 0;
    uint16_t minor = 0;
    uint16_t major = 0;
};

// Reads the version resource of a program file, by default of the running program itself.
class CVersionInfo {
public:
    // Key numbers of GetString.
    enum {
        KEY_COMMENTS = 0,
        KEY_COMPANYNAME = 1,
        KEY_FILEVERSION = 3,
        KEY_INTERNALNAME = 4,
        KEY_LEGALCOPYRIGHT = 5,
        KEY_PRODUCTNAME = 9,
        KEY_PRODUCTVERSION = 10,
        KEY_SOFTWAREDIP = 11,
        KEY_COUNT = 13
    };

    CVersionInfo() = default;

    // Loads the resource of the file at path (null: the running program). -2 when the program's
    // own path cannot be found; -1 when the file has no version resource or no fixed
    // information; otherwise a bit set: 1 no translation matches the language key, 2 no
    // "Software DIP", 4 "FileVersion" missing or not the fixed file version written
    // "%i, %i, %i, %i", 8 the same for "ProductVersion". Only the running program carries a
    // resource on this platform.
    int Load(const char *path = nullptr);
    // The same steps over a given resource of the file at path (null: the file has none).
    int LoadResource(const std::string &path, const SVersionResource *resource);

    // The fixed information of the loaded resource, or null.
    const SFixedFileInfo *GetFixedInfo() const;
    // String value by name under the language key: 1 and out set, or 0 and out unchanged.
    int GetStringValue(const char *name, std::string &out) const;
    // String value by key number 0 to 12 (see the key table); 0 for any other number.
    int GetString(int key, std::string &out) const;
    // The i-th translation as "%04x%04x" (and its two numbers where the pointers are not null);
    // 0 when there is no resource or fewer than i + 1 translations.
    int GetTranslation(int i, std::string &out, uint16_t *language, uint16_t *codePage) const;
    // The loaded path; with nameOnly only its last component; withoutExtension cuts the part
    // from the last dot on when that dot lies in the last component. "/" and "\" both separate.
    std::string GetFilePath(bool nameOnly, bool withoutExtension) const;
    // The product version numbers, or null when no resource is loaded.
    const SProductVersionWords *GetProductVersionWords() const;

    // The name of a key number ("" for 2 and for numbers outside the table).
    static const char *KeyName(int key);

private:
    std::string m_languageKey;
    std::string m_filePath;
    std::unique_ptr<SVersionResource> m_block;
    SProductVersionWords m_productVersion;
};
