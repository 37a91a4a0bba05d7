// POSIX placement of the settings file (see SettingsLocation.h for the rules).
#include "platform/SettingsLocation.h"

#include <cstdlib>
#include <optional>

#include "platform/FileSystem.h"

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

std::optional<std::string> ReadUserRegistryString(const std::string&, const std::string&) {
  return std::nullopt;  // no registry here: the callers fall back to settings files
}

}  // namespace sw::platform
