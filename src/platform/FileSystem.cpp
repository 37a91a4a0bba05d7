// The file functions every operating system's layer shares: they stand on
// the native file of each. Whole-file reads of outside data are bounded here,
// in one place: the size is checked on the open file before a byte is read.
#include "platform/FileSystem.h"

#include <algorithm>

#include "base/AsciiText.h"
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

namespace {

[[noreturn]] void RaiseCannotOpen(const std::string& path, const std::string& reason) {
  EFOpenError error(Format(SFOpenError, path));
  error.AttachLocation(reason);
  throw error;
}

std::string TooLarge(std::uint64_t size, std::uint64_t maxSize) {
  return Format("the file holds %llu bytes, more than the %llu bytes read at most",
                static_cast<unsigned long long>(size), static_cast<unsigned long long>(maxSize));
}

// Opens the file and checks its kind and reported size; returns that size
// (0 when the system does not tell it).
std::uint64_t OpenChecked(NativeFile& file, const std::string& path, std::uint64_t maxSize) {
  if (!file.OpenRegular(path, FileShare::DenyWrite)) RaiseCannotOpen(path, file.LastError());
  const std::int64_t size = file.Size();
  if (size > 0 && static_cast<std::uint64_t>(size) > maxSize) RaiseCannotOpen(path, TooLarge(size, maxSize));
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

}  // namespace

void CheckRegularFile(const std::string& path, std::uint64_t maxSize) {
  NativeFile file;
  OpenChecked(file, path, maxSize);
}

std::string ReadRegularFile(const std::string& path, std::uint64_t maxSize) {
  NativeFile file;
  const std::uint64_t size = OpenChecked(file, path, maxSize);
  std::string data;
  data.reserve(static_cast<std::size_t>(size));
  // One byte beyond the limit tells a file that grew past it.
  std::uint64_t left = maxSize + 1;
  char buffer[1 << 16];
  while (left > 0) {
    const std::size_t n = file.Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof buffer)));
    if (n == 0) break;
    data.append(buffer, n);
    left -= n;
  }
  if (data.size() > maxSize)
    RaiseCannotOpen(path, Format("the file holds more than the %llu bytes read at most",
                                 static_cast<unsigned long long>(maxSize)));
  return data;
}

void OrderFolderListing(std::vector<DirEntry>& entries, bool includeDots) {
  std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
    const std::string ua = UpperAscii(a.Name), ub = UpperAscii(b.Name);
    return ua != ub ? ua < ub : a.Name < b.Name;
  });
  if (includeDots)
    entries.insert(entries.begin(), {DirEntry{".", faDirectory, 0, false}, DirEntry{"..", faDirectory, 0, false}});
}

}  // namespace sw::platform
