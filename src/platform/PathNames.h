// The parts of a path's text, split at the platform's path delimiters ("\"
// and "/" on Windows, "/" elsewhere): the file name, its extension, the
// folder before it. Nothing here touches the file system.
#pragma once

#include <string>
#include <string_view>

namespace sw {

// The last component of a path.
std::string ExtractFileName(std::string_view path);
// The last component's extension with its dot ("" when none).
std::string ExtractFileExt(std::string_view path);
// The folder part, with its trailing delimiter ("" when none).
std::string ExtractFilePath(std::string_view path);
// The path without the last component's extension, from its first dot on.
std::string StripExt(std::string_view path);

}  // namespace sw
