// Where the settings file and the sibling tool's library path live.
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

#include <string>

namespace sw::platform {

// The settings file for the running program.
std::string SettingsFileName();
// The same rule for a given program path and configuration folder (tests).
std::string SettingsFileNameFor(const std::string& programPath, const std::string& configHome);

// The configuration folder: $XDG_CONFIG_HOME, else $HOME/.config, else "".
std::string ConfigHome();

// The raw "LibraryPath" value of the sibling tool ("" when not set).
std::string ReadSiblingLibraryPath();

}  // namespace sw::platform
