#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "base/AsciiText.h"
#include "base/Exceptions.h"

namespace sw::platform {

namespace fs = std::filesystem;

NativeFile::~NativeFile() { Close(); }

void NativeFile::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

namespace {

// Repeats `transfer(done)`, a read or write of the bytes from `done` on,
// until `count` bytes are through, the end is reached or a call fails; an
// interrupted call is repeated. The bytes done.
template <class Transfer>
std::size_t TransferAll(std::size_t count, Transfer transfer) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = transfer(done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

// Takes the advisory lock that stands for a Windows share mode; false when
// another process holds a conflicting one.
bool LockForShare(int fd, FileAccess access, FileShare share) {
  short lockType = F_UNLCK;
  if (access != FileAccess::Read || share == FileShare::Exclusive || share == FileShare::DenyRead)
    lockType = F_WRLCK;
  else if (share == FileShare::DenyWrite)
    lockType = F_RDLCK;
  if (lockType == F_UNLCK) return true;
  struct flock lock {};
  lock.l_type = lockType;
  lock.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 || errno == EINVAL || errno == ENOLCK;
}

}  // namespace

bool NativeFile::Open(const std::string& path, bool create, FileAccess access, FileShare share) {
  Close();
  int flags = O_CLOEXEC;
  switch (access) {
    case FileAccess::Read: flags |= O_RDONLY; break;
    case FileAccess::Write: flags |= O_WRONLY; break;
    case FileAccess::ReadWrite: flags |= O_RDWR; break;
  }
  if (create) flags |= O_CREAT;
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    lastError_ = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    lastError_ = "is a folder";
    return false;
  }
  if (!LockForShare(fd, access, share)) {
    lastError_ = "the file is in use by another process";
    ::close(fd);
    return false;
  }
  // Truncate only once the lock is ours, so a file in use is never emptied.
  if (create && ::ftruncate(fd, 0) != 0) {
    lastError_ = std::strerror(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool NativeFile::OpenRegular(const std::string& path, FileShare share) {
  Close();
  // Without O_NONBLOCK opening a FIFO waits for a writer, for ever if none comes.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    lastError_ = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    lastError_ = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
    ::close(fd);
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (!LockForShare(fd, FileAccess::Read, share)) {
    lastError_ = "the file is in use by another process";
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

std::int64_t NativeFile::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::size_t NativeFile::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  return TransferAll(count, [&](std::size_t done) { return ::read(fd_, out + done, count - done); });
}

std::size_t NativeFile::Write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const char*>(buffer);
  return TransferAll(count, [&](std::size_t done) { return ::write(fd_, in + done, count - done); });
}

std::int64_t NativeFile::Seek(std::int64_t offset, int origin) {
  const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  const off_t pos = ::lseek(fd_, static_cast<off_t>(offset), whence);
  return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

bool NativeFile::Truncate(std::int64_t size) { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

std::vector<DirEntry> ListFolder(const std::string& path, bool includeDots) {
  std::vector<DirEntry> entries;
  std::error_code ec;
  fs::directory_iterator it(path.empty() ? fs::path(".") : fs::path(path), ec);
  if (ec) throw EOSError(Format("Cannot read folder %s: %s", path, ec.message()));
  for (const auto& entry : it) {
    DirEntry e;
    e.Name = entry.path().filename().string();
    std::error_code sec;
    const auto status = entry.status(sec);
    if (fs::is_directory(status)) {
      e.Attributes |= faDirectory;
    } else if (fs::is_regular_file(status)) {
      e.Attributes |= faArchive;
      e.Size = static_cast<std::int64_t>(entry.file_size(sec));
    } else {
      e.Attributes |= faSysFile;
      // A dangling link exists as a name only: it is listed as a file that
      // cannot be opened, not as something other than a file.
      e.Special = fs::exists(status);
    }
    if (!e.Name.empty() && e.Name[0] == '.') e.Attributes |= faHidden;
    if (::access(entry.path().c_str(), W_OK) != 0 && !fs::is_directory(status)) e.Attributes |= faReadOnly;
    entries.push_back(std::move(e));
  }
  OrderFolderListing(entries, includeDots);
  return entries;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(path, ec);
  return DirectoryExists(path);
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

namespace {

// The file a path finally names: a symbolic link (or a chain of them) is
// followed, so that replacing the file replaces the link's target and keeps
// the link. A dangling link names the file it points to.
fs::path FollowLinks(const std::string& path) {
  fs::path target(path);
  std::error_code ec;
  for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++depth) {
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

// ".<name>.XXXXXX" with six letters or digits in place of the X, as mkstemp
// makes them.
bool IsTemporaryOf(const std::string& entry, const std::string& name) {
  const std::string prefix = "." + name + ".";
  if (entry.size() != prefix.size() + 6 || entry.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  });
}

// Removes the temporary files of `name` that a killed writer left in
// `folder`. A writer at work holds a write lock on its temporary file, so a
// file whose read lock cannot be had is someone's work in progress and stays.
// Best effort: what cannot be removed stays.
void RemoveStaleTemporaries(const fs::path& folder, const std::string& name) {
  std::vector<fs::path> candidates;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (IsTemporaryOf(it->path().filename().string(), name)) candidates.push_back(it->path());
  for (const fs::path& candidate : candidates) {
    const int fd = ::open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::fcntl(fd, F_OFD_SETLK, &lock) == 0)
      ::unlink(candidate.c_str());
    ::close(fd);
  }
}

}  // namespace

ReplacementFile::ReplacementFile(const std::string& path) : path_(path) {
  const fs::path target = FollowLinks(path);
  target_ = target.string();
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  RemoveStaleTemporaries(folder, target.filename().string());
  temp_ = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp_.data());
  if (fd < 0) throw EFCreateError(Format(SFCreateError, path) + ": " + std::strerror(errno));
  handle_ = fd;
  // Held until the file is renamed or removed: the next writer of this file
  // tells a temporary file at work from one a killed writer left.
  struct flock working {};
  working.l_type = F_WRLCK;
  working.l_whence = SEEK_SET;
  ::fcntl(fd, F_OFD_SETLK, &working);
  // mkstemp creates the file readable by the owner only; give it the old
  // file's permissions, or those a newly created file would have.
  struct stat st {};
  mode_t mode;
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) Fail("cannot set permissions");
}

ReplacementFile::~ReplacementFile() { Drop(); }

void ReplacementFile::Drop() {
  if (handle_ < 0) return;
  ::close(static_cast<int>(handle_));
  ::unlink(temp_.c_str());
  handle_ = -1;
}

void ReplacementFile::Fail(const char* what) {
  const std::string reason = std::strerror(errno);
  Drop();
  throw EFCreateError(Format(SFCreateError, path_) + ": " + what + ": " + reason);
}

void ReplacementFile::Write(std::string_view data) {
  if (handle_ < 0) throw EFCreateError(Format(SFCreateError, path_) + ": write failed");
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(static_cast<int>(handle_), data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("write failed");
    done += static_cast<std::size_t>(n);
  }
}

void ReplacementFile::Commit(bool flush) {
  if (handle_ < 0) throw EFCreateError(Format(SFCreateError, path_) + ": write failed");
  const int fd = static_cast<int>(handle_);
  if (flush && ::fsync(fd) != 0) Fail("cannot flush");
  handle_ = -1;
  if (::close(fd) != 0) {
    const std::string reason = std::strerror(errno);
    ::unlink(temp_.c_str());
    throw EFCreateError(Format(SFCreateError, path_) + ": " + reason);
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    ::unlink(temp_.c_str());
    throw EFCreateError(Format(SFCreateError, path_) + ": " + reason);
  }
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
  ReplacementFile file(path);
  file.Write(data);
  file.Commit();
}

std::string FindFileIgnoringCase(const std::string& folder, const std::string& name) {
  const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
  if (FileExists((dir / name).string())) return (dir / name).string();
  std::error_code ec;
  const std::string wanted = UpperAscii(name);
  std::vector<std::string> matches;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string entryName = entry.path().filename().string();
    if (UpperAscii(entryName) == wanted && FileExists(entry.path().string())) matches.push_back(entryName);
  }
  if (matches.empty()) return "";
  std::sort(matches.begin(), matches.end());
  return (dir / matches.front()).string();
}

std::string ExecutablePath() {
  std::error_code ec;
  const fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string GetEnv(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

}  // namespace sw::platform
