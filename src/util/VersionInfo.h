// Version information of the program, as the about box shows it.
#pragma once

#include <string>

namespace sw {

struct TQVersionInfoRec {
  std::string CompanyName;
  std::string FileDescription;
  std::string FileVersion;
  std::string InternalName;
  std::string LegalCopyright;
  std::string OriginalFilename;
  std::string ProductVersion;
  std::string ProductName;
};

// Fills `info` from the version information of `fileName`. The program's own
// version information is compiled in; any other file has none (false, and
// `info` is left as it was).
bool GetVersionInfo(const std::string& fileName, TQVersionInfoRec& info);

// The version information compiled into this program; `programName` becomes
// the original file name.
TQVersionInfoRec CompiledVersionInfo(const std::string& programName);

}  // namespace sw
