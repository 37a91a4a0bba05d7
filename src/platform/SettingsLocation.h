// Where the settings file lives, and the registry the sibling tool keeps its
// library path in (reading it is the library settings' business).
//
// On Windows the settings file sits beside the program ("<program>.ini") and
// the sibling tool Linguadesk keeps "LibraryPath" in the registry under
// HKEY_CURRENT_USER\Software\Tarnix\Linguadesk. Elsewhere:
//
// - Settings: "<program>.ini" or "shelfwright.ini" beside the program when one
//   of them exists there (a portable installation); otherwise
//   $XDG_CONFIG_HOME/shelfwright/shelfwright.ini ($HOME/.config when
//   XDG_CONFIG_HOME is unset). Both front ends also take --settings FILE.
// - LibraryPath: the environment variable LINGUADESK_LIBRARY_PATH when it is
//   set (even to ""), otherwise the key "LibraryPath" of section [Linguadesk]
//   in $XDG_CONFIG_HOME/linguadesk/linguadesk.ini. Missing file, section or
//   key give "".
#pragma once

#include <optional>
#include <string>

namespace sw::platform {

// The settings file for the running program.
std::string SettingsFileName();
// The same rule for a given program path and configuration folder (tests).
std::string SettingsFileNameFor(const std::string& programPath, const std::string& configHome);

// The configuration folder: $XDG_CONFIG_HOME, else $HOME/.config, else "".
std::string ConfigHome();

// A string value under HKEY_CURRENT_USER: `key` is the path below it
// ("Software\\Tarnix\\Linguadesk"), `value` the value's name. std::nullopt when
// the key or value does not exist, and always where there is no registry.
std::optional<std::string> ReadUserRegistryString(const std::string& key, const std::string& value);

}  // namespace sw::platform
