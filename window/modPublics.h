// Program-wide names and state.
#pragma once

#include <string>

namespace modPublics {

// Where the companion installer Quorrel keeps the directory it installs into.
inline constexpr char kSettingsApp[] = "Quorrel";
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kSettingsKey[] = "QRL_Dir";

// The directory read when the window loaded.
extern std::string mDefaultDir;

// The installer's directory setting, defaulting to the personal documents folder (asked
// for on every read, whether or not the setting exists), unchanged.
std::string ReadInstallerDirectory();

}  // namespace modPublics
