#include "KVD_Edit/platform/RegistryStore.h"

#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SettingsFolder.h"

namespace {
const char kStoreName[] = "/Registry.ini";

std::string FolderOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
} // namespace

bool CRegistryStore::KeyExists(const std::string &key) const {
    return CIniFile::HasSection(m_path, key);
}

bool CRegistryStore::CreateKey(const std::string &key) {
    if (KeyExists(key))
        return true;
    const std::string folder = FolderOf(m_path);
    if (!folder.empty() && !EnsureFolder(folder))
        return false;
    return CIniFile::EnsureSection(m_path, key);
}

bool CRegistryStore::GetValue(const std::string &key, const std::string &name,
                              std::string &out) const {
    if (!CIniFile::HasKey(m_path, key, name))
        return false;
    out = CIniFile::ReadString(m_path, key, name, std::string());
    return true;
}

bool CRegistryStore::SetValue(const std::string &key, const std::string &name,
                              const std::string &value) {
    if (!KeyExists(key))
        return false;
    return CIniFile::WriteString(m_path, key, name, "\"" + value + "\"");
}

bool CRegistryStore::DeleteValue(const std::string &key, const std::string &name) {
    return CIniFile::DeleteKey(m_path, key, name);
}

CRegistryStore CRegistryStore::CurrentUser() {
    return CRegistryStore(GetMakerConfigFolder() + kStoreName);
}

CRegistryStore CRegistryStore::CurrentUserVolatile() {
    return CRegistryStore(GetRuntimeFolderPath() + kStoreName);
}

CRegistryStore CRegistryStore::LocalMachine() {
    return CRegistryStore(GetMachineFolderPath() + kStoreName);
}

std::string CAppProfile::PathIn(const std::string &settingsFolder) {
    return settingsFolder + "/Profile.ini";
}

int CAppProfile::GetProfileInt(const std::string &section, const std::string &entry,
                               int def) const {
    return CIniFile::ReadInt(m_path, section, entry, def);
}

std::string CAppProfile::GetProfileString(const std::string &section, const std::string &entry,
                                          const std::string &def) const {
    return CIniFile::ReadString(m_path, section, entry, def);
}

bool CAppProfile::WriteProfileInt(const std::string &section, const std::string &entry, int value) {
    return WriteProfileString(section, entry, std::to_string(value));
}

bool CAppProfile::WriteProfileString(const std::string &section, const std::string &entry,
                                     const std::string &value) {
    // Quoted, so texts with blanks or quotes at their ends come back as written.
    return CIniFile::WriteString(m_path, section, entry, "\"" + value + "\"");
}
