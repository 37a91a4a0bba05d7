// The file functions every operating system's layer shares: they stand on
// the native file of each.
#include "platform/FileSystem.h"

#include "base/Exceptions.h"

namespace sw::platform {

std::string ReadFileBytes(const std::string& path) {
  NativeFile file;
  if (!file.Open(path, false, FileAccess::Read, FileShare::DenyNone)) throw EFOpenError(Format(SFOpenError, path));
  std::string data;
  char buffer[1 << 16];
  for (;;) {
    const std::size_t n = file.Read(buffer, sizeof buffer);
    if (n == 0) break;
    data.append(buffer, n);
  }
  return data;
}

}  // namespace sw::platform
