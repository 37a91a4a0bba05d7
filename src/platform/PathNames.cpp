#include "platform/PathNames.h"

#include "platform/FileSystem.h"

namespace sw {

std::string ExtractFileName(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::string();
  return std::string(path.substr(dot));
}

std::string ExtractFilePath(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string StripExt(std::string_view path) {
  const auto slash = path.find_last_of(platform::PathDelims);
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const auto dot = path.find('.', nameStart);
  if (dot == std::string_view::npos) return std::string(path);
  return std::string(path.substr(0, dot));
}

}  // namespace sw
