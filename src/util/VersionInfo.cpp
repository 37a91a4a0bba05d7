// The program's version information is compiled in from the project version,
// so `GetVersionInfo` answers only for the running program's own file.
#include "util/VersionInfo.h"

#include <filesystem>

#include "BuildInfo.h"
#include "platform/FileSystem.h"

namespace sw {

namespace {

bool IsOwnProgram(const std::string& fileName) {
  if (fileName.empty()) return false;
  const std::string self = platform::ExecutablePath();
  if (self.empty()) return false;
  std::error_code ec;
  const bool same = std::filesystem::equivalent(fileName, self, ec);
  return !ec && same;
}

}  // namespace

TQVersionInfoRec CompiledVersionInfo(const std::string& programName) {
  TQVersionInfoRec info;
  info.CompanyName = "the Shelfwright developers";
  info.FileDescription = "Shelfwright translation extractor";
  info.FileVersion = SHELFWRIGHT_VERSION;
  info.InternalName = "Shelfwright";
  info.LegalCopyright = "Copyright (C) 2026 the Shelfwright developers";
  info.OriginalFilename = programName;
  info.ProductVersion = SHELFWRIGHT_VERSION;
  info.ProductName = "Shelfwright";
  return info;
}

bool GetVersionInfo(const std::string& fileName, TQVersionInfoRec& info) {
  if (!IsOwnProgram(fileName)) return false;
  info = CompiledVersionInfo(std::filesystem::path(platform::ExecutablePath()).filename().string());
  return true;
}

}  // namespace sw
