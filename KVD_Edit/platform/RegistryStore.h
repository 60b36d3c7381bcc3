#pragma once

#include <string>

// A small registry-like store in INI form: each section is a key path ("SOFTWARE\Brenwick,
// Inc."), each entry a string value of that key. Key paths and value names are found without
// regard to case. Values are written quoted, so blanks and quotes at their ends survive.
//
// The stores of this platform:
// - CurrentUser: the user's persistent keys, GetMakerConfigFolder() + "/Registry.ini";
// - CurrentUserVolatile: the user's volatile keys, GetRuntimeFolderPath() + "/Registry.ini",
//   gone with the session (without $XDG_RUNTIME_DIR the persistent file serves);
// - LocalMachine: machine-wide keys, GetMachineFolderPath() + "/Registry.ini", read only here.
class CRegistryStore {
public:
    explicit CRegistryStore(std::string path) : m_path(std::move(path)) {}
    const std::string &GetPath() const { return m_path; }

    bool KeyExists(const std::string &key) const;
    // Creates the key (and the store's folder) when missing; true when it exists afterwards.
    bool CreateKey(const std::string &key);
    // The value; false when the key or the value is missing.
    bool GetValue(const std::string &key, const std::string &name, std::string &out) const;
    // Stores the value in an existing key; false when the key is missing, the value holds a
    // line break or the file cannot be written.
    bool SetValue(const std::string &key, const std::string &name, const std::string &value);
    // Removes the value; false when it was not there or the file cannot be written.
    bool DeleteValue(const std::string &key, const std::string &name);

    static CRegistryStore CurrentUser();
    static CRegistryStore CurrentUserVolatile();
    static CRegistryStore LocalMachine();

private:
    std::string m_path;
};

// The application profile: the framework's per-application settings (recent files, usage
// clock values) in sections of entries, kept in "Profile.ini" in the settings folder.
class CAppProfile {
public:
    explicit CAppProfile(std::string path) : m_path(std::move(path)) {}
    // The profile file of a settings folder.
    static std::string PathIn(const std::string &settingsFolder);
    const std::string &GetPath() const { return m_path; }

    int GetProfileInt(const std::string &section, const std::string &entry, int def) const;
    std::string GetProfileString(const std::string &section, const std::string &entry,
                                 const std::string &def) const;
    bool WriteProfileInt(const std::string &section, const std::string &entry, int value);
    bool WriteProfileString(const std::string &section, const std::string &entry,
                            const std::string &value);

private:
    std::string m_path;
};
