// File-system services the operating system gives on Windows: files opened
// with share modes, folder enumeration with attributes, folder creation and
// the atomic replacement of a file. This header is toolkit- and OS-neutral;
// PosixFileSystem.cpp implements it with POSIX calls, Win32FileSystem.cpp
// with the Windows API (there the share modes are the system's own, and
// names are UTF-8 on this side of the interface, UTF-16 towards Windows).
//
// Share modes on POSIX: a file opened for writing or exclusively takes an
// advisory write lock (fcntl open-file-description lock), a read-only file
// opened with "deny write" takes a read lock. Two Shelfwright processes thus
// exclude each other as the Windows share modes would; programs that do not
// take locks are not kept out, unlike on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/AnsiText.h"

namespace sw::platform {

#ifdef _WIN32
inline constexpr char PathDelim = '\\';
// Windows takes "/" in a path as well as its own delimiter.
inline constexpr const char* PathDelims = "\\/";
#else
inline constexpr char PathDelim = '/';
inline constexpr const char* PathDelims = "/";
#endif

enum class FileAccess { Read, Write, ReadWrite };
enum class FileShare { Exclusive, DenyWrite, DenyRead, DenyNone };

// An open file handle; closed by the destructor.
class NativeFile {
 public:
  NativeFile() = default;
  ~NativeFile();
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;

  // Opens (or with `create`, creates or truncates) the file. Returns false when
  // the file cannot be opened or another process holds a conflicting lock;
  // `LastError()` then tells why.
  bool Open(const std::string& path, bool create, FileAccess access, FileShare share);
  // Opens an existing regular file (or a link to one) for reading, without
  // waiting on it: a FIFO, a device, a socket or a folder is refused
  // ("not a regular file", "is a folder") before anything is read from it.
  bool OpenRegular(const std::string& path, FileShare share);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  std::size_t Read(void* buffer, std::size_t count);
  std::size_t Write(const void* buffer, std::size_t count);
  // origin: 0 beginning, 1 current, 2 end. Returns the new position.
  std::int64_t Seek(std::int64_t offset, int origin);
  bool Truncate(std::int64_t size);
  // The open file's size in bytes as the system reports it; -1 when unknown.
  std::int64_t Size() const;
  const std::string& LastError() const { return lastError_; }

 private:
#ifdef _WIN32
  std::intptr_t fd_ = -1;  // a HANDLE; INVALID_HANDLE_VALUE is -1
#else
  int fd_ = -1;
#endif
  std::string lastError_;
};

// File attribute bits as Windows reports them.
enum : std::uint32_t {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faDirectory = 0x10,
  faArchive = 0x20,
};

struct DirEntry {
  std::string Name;
  std::uint32_t Attributes = 0;
  std::int64_t Size = 0;
  // Neither a folder nor a regular file, nor a link to one: a FIFO, a device,
  // a socket. Reading one may wait for ever or never end; a dangling link is
  // not special (it is a file that cannot be opened).
  bool Special = false;
  bool IsDirectory() const { return (Attributes & faDirectory) != 0; }
};

// The entries of a folder, sorted as NTFS returns them (upper-cased names
// compared ordinally) so that every machine reads the files in the same order.
// With `includeDots` the "." and ".." entries come first, as on Windows.
// A name starting with "." (other than those two) counts as hidden; entries
// that are neither regular files nor folders count as system files.
// Throws sw::EOSError when the folder cannot be read.
std::vector<DirEntry> ListFolder(const std::string& path, bool includeDots = false);
// The order ListFolder gives on every system, for its implementations: names
// by their upper-cased bytes (NTFS's order; other file systems and Wine's
// need not keep it), then "." and ".." first when `includeDots`.
void OrderFolderListing(std::vector<DirEntry>& entries, bool includeDots);

bool FileExists(const std::string& path);       // a regular file (or link to one)
bool DirectoryExists(const std::string& path);  // a folder (or link to one)
// Creates the folder and its parents; returns false on failure.
bool ForceDirectories(const std::string& path);
bool DeleteFile(const std::string& path);

// Writes `data` to a temporary file in the same folder and renames it over
// `path`, so that a failure never leaves a truncated file behind. Keeps the
// permission bits of an existing file. A symbolic link is kept: the file it
// points to is replaced, in that file's folder. Throws sw::EFCreateError on
// failure.
//
// The temporary file is named after the file it replaces (on POSIX
// ".<name>.XXXXXX", six letters or digits; on Windows ".<name>.<digits>.tmp")
// and is held open and locked while it is written. One that a killed writer
// left behind is removed by the next replacement of the same file: only names
// of exactly that pattern, beside that file, and only when no process holds
// them.
void WriteFileAtomic(const std::string& path, std::string_view data);

// The same written in steps: a temporary file beside `path`, named, locked
// and cleaned up as WriteFileAtomic's, written by Write and renamed over
// `path` by Commit. Destroyed without Commit (or after a failure), it is
// closed and removed. Every failure throws sw::EFCreateError naming `path`;
// a failed Write or Commit has removed the temporary file.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& path);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  void Write(std::string_view data);
  // Flushes to the disk first unless `flush` is false (a file whose loss
  // costs nothing but time, such as a cache).
  void Commit(bool flush = true);
  // The temporary file's name.
  const std::string& TempName() const { return temp_; }

 private:
  [[noreturn]] void Fail(const char* what);
  void Drop();
  std::string path_;    // as given, for messages
  std::string target_;  // the file renamed over (a link's target)
  std::string temp_;
  std::intptr_t handle_ = -1;  // POSIX descriptor or Windows HANDLE; -1 when closed
};

// Reads a whole file; throws sw::EFOpenError "Cannot open file %s" on failure.
std::string ReadFileBytes(const std::string& path);

// The largest source file the readers take: a compiled resource file, a form,
// a unit, a resource script or a header it includes. Real ones are far
// smaller; anything larger is refused before it is read, so a run's memory is
// bounded by this size, not by the largest file that happens to lie in a
// source folder.
inline constexpr std::uint64_t kMaxSourceFileSize = std::uint64_t{64} << 20;

// Raises sw::EFOpenError "Cannot open file %s", with the reason attached as
// its location, unless `path` names a regular file (or a link to one) that can
// be opened for reading and holds at most `maxSize` bytes. The size is taken
// from the open file before anything is read ("the file holds N bytes, more
// than the M bytes read at most"). Never waits on a FIFO or a device.
void CheckRegularFile(const std::string& path, std::uint64_t maxSize = kMaxSourceFileSize);

// CheckRegularFile, then the whole file. A file whose size the system does
// not tell, or that grows while it is read, is read up to `maxSize` bytes
// only and then refused the same way. Others may read the file meanwhile,
// Shelfwright processes may not write it.
std::string ReadRegularFile(const std::string& path, std::uint64_t maxSize = kMaxSourceFileSize);

// Looks for `name` in `folder`: an exact match first, then one that differs
// only in the case of its letters. Returns the full path, or "" when none.
std::string FindFileIgnoringCase(const std::string& folder, const std::string& name);

// The running program's full path ("" when unknown).
std::string ExecutablePath();
// The value of an environment variable, "" when unset.
std::string GetEnv(const char* name);

}  // namespace sw::platform

namespace sw {

// A folder and a name joined with one path delimiter.
inline std::string JoinPath(std::string_view a, std::string_view b) { return JoinWithSep(a, b, platform::PathDelim); }

}  // namespace sw
