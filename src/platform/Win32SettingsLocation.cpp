// Windows placement of the settings file (the program's path with the
// extension ".ini") and the registry the sibling tool keeps its library path
// in (see SettingsLocation.h).
#include "platform/SettingsLocation.h"

#include <algorithm>
#include <optional>

#include "platform/FileSystem.h"
#include "platform/Win32Text.h"

namespace sw::platform {

namespace {

std::string ChangeExtToIni(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  const auto dot = path.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return path.substr(0, dot) + ".ini";
  return path + ".ini";
}

}  // namespace

// The user's roaming application data folder; the settings do not use it on
// Windows, where they sit beside the program.
std::string ConfigHome() { return GetEnv("APPDATA"); }

std::string SettingsFileNameFor(const std::string& programPath, const std::string& /*configHome*/) {
  return ChangeExtToIni(programPath.empty() ? "shelfwright" : programPath);
}

std::string SettingsFileName() { return SettingsFileNameFor(ExecutablePath(), ConfigHome()); }

std::optional<std::string> ReadUserRegistryString(const std::string& keyPath, const std::string& valueName) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, win32::Wide(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  const std::wstring name = win32::Wide(valueName);
  std::optional<std::string> result;
  DWORD type = 0;
  DWORD bytes = 0;
  if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && bytes < (1u << 20)) {
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) ==
        ERROR_SUCCESS) {
      // The stored value need not end with a zero; stop at the first one.
      value.resize(std::min<std::size_t>(size / sizeof(wchar_t), value.size()));
      const auto zero = value.find(L'\0');
      if (zero != std::wstring::npos) value.resize(zero);
      result = win32::Narrow(value);
    }
  }
  ::RegCloseKey(key);
  return result;
}

}  // namespace sw::platform
