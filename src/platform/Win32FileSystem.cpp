// The file-system services (FileSystem.h) with the Windows API. Share modes
// are Windows' own: a conflicting open fails with a sharing violation, which
// keeps out every program, not only Shelfwright processes.
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "platform/Win32Text.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"

// windows.h names DeleteFile as a macro for DeleteFileW.
#undef DeleteFile

namespace sw::platform {

using win32::ErrorText;
using win32::Narrow;
using win32::Wide;

namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

// Repeats `transfer(done, chunk, &n)`, a ReadFile or WriteFile of `chunk`
// bytes from `done` on, until `count` bytes are through, the end is reached
// or a call fails. The bytes done.
template <class Transfer>
std::size_t TransferAll(std::size_t count, Transfer transfer) {
  std::size_t done = 0;
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD n = 0;
    if (!transfer(done, chunk, &n) || n == 0) break;
    done += n;
  }
  return done;
}

std::string Folder(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  const char last = folder.back();
  return (last == '\\' || last == '/' || last == ':') ? folder + name : folder + PathDelim + name;
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(Wide(path).c_str()); }

}  // namespace

NativeFile::~NativeFile() { Close(); }

void NativeFile::Close() {
  if (fd_ != -1) {
    ::CloseHandle(AsHandle(fd_));
    fd_ = -1;
  }
}

bool NativeFile::Open(const std::string& path, bool create, FileAccess access, FileShare share) {
  Close();
  DWORD desired = 0;
  switch (access) {
    case FileAccess::Read: desired = GENERIC_READ; break;
    case FileAccess::Write: desired = GENERIC_WRITE; break;
    case FileAccess::ReadWrite: desired = GENERIC_READ | GENERIC_WRITE; break;
  }
  DWORD shareMode = 0;
  switch (share) {
    case FileShare::Exclusive: shareMode = 0; break;
    case FileShare::DenyWrite: shareMode = FILE_SHARE_READ; break;
    case FileShare::DenyRead: shareMode = FILE_SHARE_WRITE; break;
    case FileShare::DenyNone: shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
  }
  // CREATE_ALWAYS truncates only once the share check has passed, so a file
  // in use is never emptied.
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), desired, shareMode, nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
      lastError_ = "the file is in use by another process";
    else if (error == ERROR_ACCESS_DENIED && DirectoryExists(path))
      lastError_ = "is a folder";
    else
      lastError_ = ErrorText(error);
    return false;
  }
  fd_ = reinterpret_cast<std::intptr_t>(h);
  return true;
}

bool NativeFile::OpenRegular(const std::string& path, FileShare share) {
  if (!Open(path, false, FileAccess::Read, share)) return false;
  // A named pipe, a console or another device is no file on a disk.
  if (::GetFileType(AsHandle(fd_)) != FILE_TYPE_DISK) {
    Close();
    lastError_ = "not a regular file";
    return false;
  }
  return true;
}

std::int64_t NativeFile::Size() const {
  LARGE_INTEGER size{};
  if (fd_ == -1 || !::GetFileSizeEx(AsHandle(fd_), &size)) return -1;
  return size.QuadPart;
}

std::size_t NativeFile::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  return TransferAll(count, [&](std::size_t done, DWORD chunk, DWORD* n) {
    return ::ReadFile(AsHandle(fd_), out + done, chunk, n, nullptr);
  });
}

std::size_t NativeFile::Write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const char*>(buffer);
  return TransferAll(count, [&](std::size_t done, DWORD chunk, DWORD* n) {
    return ::WriteFile(AsHandle(fd_), in + done, chunk, n, nullptr);
  });
}

std::int64_t NativeFile::Seek(std::int64_t offset, int origin) {
  const DWORD method = origin == 0 ? FILE_BEGIN : origin == 1 ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  LARGE_INTEGER position{};
  if (!::SetFilePointerEx(AsHandle(fd_), distance, &position, method)) return -1;
  return position.QuadPart;
}

bool NativeFile::Truncate(std::int64_t size) {
  const std::int64_t here = Seek(0, 1);
  if (here < 0 || Seek(size, 0) < 0) return false;
  const bool ok = ::SetEndOfFile(AsHandle(fd_)) != 0;
  Seek(std::min(here, size), 0);
  return ok;
}

std::vector<DirEntry> ListFolder(const std::string& path, bool includeDots) {
  std::vector<DirEntry> entries;
  const std::string pattern = Join(path.empty() ? "." : path, "*");
  WIN32_FIND_DATAW data{};
  const HANDLE find = ::FindFirstFileW(Wide(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND || !DirectoryExists(path.empty() ? "." : path))
      throw EOSError(Format("Cannot read folder %s: %s", path, ErrorText(error)));
    return entries;
  }
  do {
    DirEntry e;
    e.Name = Narrow(data.cFileName);
    if (e.Name == "." || e.Name == "..") continue;
    e.Attributes = data.dwFileAttributes & (faReadOnly | faHidden | faSysFile | faDirectory | faArchive);
    if (!e.IsDirectory())
      e.Size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    entries.push_back(std::move(e));
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  OrderFolderListing(entries, includeDots);
  return entries;
}

bool FileExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::string p = path;
  while (p.size() > 1 && (p.back() == '\\' || p.back() == '/') && !(p.size() == 3 && p[1] == ':')) p.pop_back();
  if (DirectoryExists(p)) return true;
  const std::string parent = Folder(p);
  if (parent != p && parent != "." && !DirectoryExists(parent) && !ForceDirectories(parent)) return false;
  return ::CreateDirectoryW(Wide(p).c_str(), nullptr) != 0 || DirectoryExists(p);
}

bool DeleteFile(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

namespace {

// Removes the temporary files ".<name>.<digits>.tmp" of `name` that a killed
// writer left in `folder`. A writer at work holds its temporary file open
// without sharing, so deleting that one fails and it stays.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  const std::string prefix = "." + name + ".";
  WIN32_FIND_DATAW data{};
  const HANDLE find = ::FindFirstFileW(Wide(Join(folder, prefix + "*.tmp")).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> candidates;
  do {
    const std::string entry = Narrow(data.cFileName);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || entry.size() <= prefix.size() + 4) continue;
    const std::string digits = entry.substr(prefix.size(), entry.size() - prefix.size() - 4);
    if (entry.compare(0, prefix.size(), prefix) == 0 && entry.compare(entry.size() - 4, 4, ".tmp") == 0 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      candidates.push_back(entry);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  for (const std::string& entry : candidates) ::DeleteFileW(Wide(Join(folder, entry)).c_str());
}

}  // namespace

ReplacementFile::ReplacementFile(const std::string& path) : path_(path), target_(path) {
  std::random_device random;
  const std::string folder = Folder(path);
  const std::string name = path.substr(path.find_last_of("\\/") == std::string::npos ? 0 : path.find_last_of("\\/") + 1);
  RemoveStaleTemporaries(folder, name);
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    temp_ = Join(folder, "." + name + "." + std::to_string(random() % 1000000) + ".tmp");
    h = ::CreateFileW(Wide(temp_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) throw EFCreateError(Format(SFCreateError, path) + ": " + ErrorText(::GetLastError()));
  handle_ = reinterpret_cast<std::intptr_t>(h);
}

ReplacementFile::~ReplacementFile() { Drop(); }

void ReplacementFile::Drop() {
  if (handle_ == -1) return;
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  ::DeleteFileW(Wide(temp_).c_str());
  handle_ = -1;
}

void ReplacementFile::Fail(const char* what) {
  const std::string reason = ErrorText(::GetLastError());
  Drop();
  throw EFCreateError(Format(SFCreateError, path_) + ": " + what + ": " + reason);
}

void ReplacementFile::Write(std::string_view data) {
  if (handle_ == -1) throw EFCreateError(Format(SFCreateError, path_) + ": write failed");
  std::size_t done = 0;
  while (done < data.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 30));
    DWORD n = 0;
    if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), data.data() + done, chunk, &n, nullptr) || n == 0)
      Fail("write failed");
    done += n;
  }
}

void ReplacementFile::Commit(bool flush) {
  if (handle_ == -1) throw EFCreateError(Format(SFCreateError, path_) + ": write failed");
  if (flush && !::FlushFileBuffers(reinterpret_cast<HANDLE>(handle_))) Fail("cannot flush");
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  // A replaced file keeps its read-only and hidden attributes.
  const DWORD old = Attributes(path_);
  if (old != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(Wide(temp_).c_str(), old & ~FILE_ATTRIBUTE_READONLY);
  if (!::MoveFileExW(Wide(temp_).c_str(), Wide(path_).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const std::string reason = ErrorText(::GetLastError());
    ::DeleteFileW(Wide(temp_).c_str());
    throw EFCreateError(Format(SFCreateError, path_) + ": " + reason);
  }
  if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0)
    ::SetFileAttributesW(Wide(path_).c_str(), old);
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
  ReplacementFile file(path);
  file.Write(data);
  file.Commit();
}

std::string FindFileIgnoringCase(const std::string& folder, const std::string& name) {
  // Windows names ignore case already; the folder's own spelling is returned.
  const std::string dir = folder.empty() ? "." : folder;
  const std::string wanted = UpperAscii(name);
  std::vector<DirEntry> entries;
  try {
    entries = ListFolder(dir);
  } catch (const Exception&) {
    return "";
  }
  for (const auto& entry : entries)
    if (entry.Name == name && !entry.IsDirectory()) return Join(dir, entry.Name);
  for (const auto& entry : entries)
    if (UpperAscii(entry.Name) == wanted && !entry.IsDirectory()) return Join(dir, entry.Name);
  return "";
}

std::string ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string GetEnv(const char* name) {
  const std::wstring wideName = Wide(name);
  const DWORD needed = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (needed == 0) return "";
  std::wstring value(needed, L'\0');
  const DWORD n = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), needed);
  value.resize(n);
  return Narrow(value);
}

}  // namespace sw::platform
