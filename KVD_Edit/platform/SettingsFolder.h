#pragma once

#include <string>

// Where the editor keeps its files on this platform.
//
// - Program folder: the folder of the running program (/proc/self/exe), ending in "/".
// - Settings folder: $XDG_CONFIG_HOME (default ~/.config) + "/Brenwick/" + the program's base
//   name. "KVDGridView.ini", "ProgramFont.bin", the application profile and the diagnostic log
//   live there.
// - Runtime folder: $XDG_RUNTIME_DIR + "/Brenwick", for values that must not outlive the
//   session; without $XDG_RUNTIME_DIR the user's "Brenwick" configuration folder.
// - Machine folder: the first folder of $XDG_CONFIG_DIRS (default /etc/xdg) + "/Brenwick".

// Full path of the running program; empty when it cannot be found.
std::string GetProgramPath();
// Folder of the running program, ending in "/"; empty when unknown.
std::string GetProgramFolder();
// File name of the running program without its extension.
std::string GetProgramBaseName();

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute.
std::string GetUserConfigHome();
// The maker's folder under the user's configuration folder: GetUserConfigHome() + "/Brenwick".
std::string GetMakerConfigFolder();
// The settings folder of a program base name (not created here).
std::string GetSettingsFolderPath(const std::string &programBaseName);
// The folder for volatile values (not created here).
std::string GetRuntimeFolderPath();
// The machine-wide folder (read only for the editor).
std::string GetMachineFolderPath();

// Creates the folder and any missing parents (mode 0700 for new folders). True when the folder
// exists afterwards; otherwise false with the system's reason in *error when given.
bool EnsureFolder(const std::string &path, std::string *error = nullptr);

// Builds the settings folder of the program, creating the missing folders. When it cannot be
// made, one warning goes to the message sink and false is returned; the path is returned in
// *folder either way, so settings calls then simply fail to store.
bool MakeSettingsFolder(const std::string &programBaseName, std::string *folder);
