// POSIX placement of the settings file and of the sibling tool's library path
// (see SettingsLocation.h for the rules).
#include "platform/SettingsLocation.h"

#include <cstdlib>

#include "platform/FileSystem.h"
#include "runtime/StringList.h"
#include "util/QStrings.h"

namespace sw::platform {

namespace {

std::string ChangeExtToIni(const std::string& path) {
  const auto slash = path.find_last_of(PathDelim);
  const auto dot = path.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return path.substr(0, dot) + ".ini";
  return path + ".ini";
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of(PathDelim);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string ConfigHome() {
  const std::string xdg = GetEnv("XDG_CONFIG_HOME");
  if (!xdg.empty()) return xdg;
  const std::string home = GetEnv("HOME");
  return home.empty() ? std::string() : JoinPath(home, ".config");
}

std::string SettingsFileNameFor(const std::string& programPath, const std::string& configHome) {
  if (!programPath.empty()) {
    const std::string beside = ChangeExtToIni(programPath);
    if (FileExists(beside)) return beside;
    const std::string shared = FolderOf(programPath) + "shelfwright.ini";
    if (FileExists(shared)) return shared;
  }
  if (configHome.empty()) return ChangeExtToIni(programPath.empty() ? "shelfwright" : programPath);
  return JoinPath(JoinPath(configHome, "shelfwright"), "shelfwright.ini");
}

std::string SettingsFileName() { return SettingsFileNameFor(ExecutablePath(), ConfigHome()); }

std::string ReadSiblingLibraryPath() {
  if (const char* value = std::getenv("LINGUADESK_LIBRARY_PATH")) return value;
  const std::string home = ConfigHome();
  if (home.empty()) return "";
  const std::string file = JoinPath(JoinPath(home, "linguadesk"), "linguadesk.ini");
  if (!FileExists(file)) return "";
  TStringList lines;
  try {
    lines.LoadFromFile(file);
  } catch (const Exception&) {
    return "";  // an unreadable file is as good as a missing one: no default folder
  }
  TStringList section;
  ReadSection(0, lines, "Linguadesk", section);
  for (const auto& line : section) {
    const auto eq = line.find('=');
    if (eq != std::string::npos && SameText(TrimSpaces(line.substr(0, eq)), "LibraryPath"))
      return line.substr(eq + 1);
  }
  return "";
}

}  // namespace sw::platform
