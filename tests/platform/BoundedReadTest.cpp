// The bounded, regular-file-only read every reader of sources goes through,
// the folder listing's view of entries that are not files, and the removal of
// temporary files a killed writer left beside a replaced file.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/Exceptions.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

// The reason ReadRegularFile gave for refusing `path`, "" when it read it.
std::string Refusal(const std::string& path, std::uint64_t maxSize) {
  try {
    platform::ReadRegularFile(path, maxSize);
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + path);
    return e.Location();
  }
  return "";
}

TEST(BoundedReadTest, SizesUpToTheLimitAreReadLargerOnesRefusedNamingBothSizes) {
  TempDir dir;
  const std::string path = dir.Write("f.bin", std::string(100, 'x'));
  EXPECT_EQ(platform::ReadRegularFile(path, 100), std::string(100, 'x'));
  EXPECT_EQ(Refusal(path, 99), "the file holds 100 bytes, more than the 99 bytes read at most");
  EXPECT_EQ(platform::ReadRegularFile(dir.Write("empty", ""), 0), "");
  EXPECT_THROW(platform::CheckRegularFile(path, 10), EFOpenError);
  EXPECT_NO_THROW(platform::CheckRegularFile(path, 100));
}

TEST(BoundedReadTest, AHugeSparseFileIsRefusedBeforeItIsRead) {
  SKIP_ON_WINDOWS("a sparse file needs no disk space on POSIX file systems only");
  TempDir dir;
  const std::string path = dir.Write("Huge.res", "");
  fs::resize_file(path, std::uintmax_t{1} << 30);
  EXPECT_EQ(Refusal(path, platform::kMaxSourceFileSize),
            "the file holds 1073741824 bytes, more than the 67108864 bytes read at most");
}

#ifndef _WIN32
TEST(BoundedReadTest, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
  SKIP_ON_WINDOWS("FIFOs, devices and the files of /proc");
  TempDir dir;
  const std::string fifo = dir.Path("x.pas");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  // Opening a FIFO without a writer would wait for ever.
  EXPECT_EQ(Refusal(fifo, 1000), "not a regular file");
  EXPECT_EQ(Refusal("/dev/zero", 1000), "not a regular file");
  EXPECT_EQ(Refusal(dir.Root(), 1000), "is a folder");
  EXPECT_NE(Refusal(dir.Path("missing"), 1000).find("No such file"), std::string::npos);
  // A link to a file is the file.
  const std::string file = dir.Write("real.pas", "abc");
  fs::create_symlink(file, dir.Path("link.pas"));
  EXPECT_EQ(platform::ReadRegularFile(dir.Path("link.pas"), 3), "abc");
  // A file whose size the system does not tell is read up to the limit only.
  EXPECT_EQ(Refusal("/proc/self/maps", 16), "the file holds more than the 16 bytes read at most");
}

TEST(BoundedReadTest, TheListingTellsEntriesThatAreNoFiles) {
  SKIP_ON_WINDOWS("FIFOs and symbolic links");
  TempDir dir;
  dir.Write("a.pas", "x");
  ASSERT_EQ(::mkfifo(dir.Path("b.dfm").c_str(), 0644), 0);
  fs::create_symlink(dir.Path("nowhere.pas"), dir.Path("c.pas"));
  fs::create_symlink(dir.Path("a.pas"), dir.Path("d.pas"));
  fs::create_directories(dir.Path("e.res"));
  const auto entries = platform::ListFolder(dir.Root());
  ASSERT_EQ(entries.size(), 5u);
  const bool special[] = {false, true, false, false, false};  // a, b, c (dangling), d (link to a), e (folder)
  for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].Special, special[i]) << entries[i].Name;
}

TEST(BoundedReadTest, ReplacingAFileRemovesOnlyItsOwnStaleTemporaries) {
  SKIP_ON_WINDOWS("POSIX temporary names and locks");
  TempDir dir;
  const std::string path = dir.Write("Lib.DEU.lng", "old");
  const std::string stale = dir.Write(".Lib.DEU.lng.Ab3dE9", "left by a killed run");
  const char* const others[] = {".Lib.DEU.lng.Ab3dE", ".Lib.DEU.lng.Ab3dE9x", ".Lib.DEU.lng.Ab-dE9",
                                ".Lib.ENU.lng.Ab3dE9", "Lib.DEU.lng.Ab3dE9", ".Lib.DEU.lng.Ab3dE9.tmp"};
  for (const char* name : others) dir.Write(name, "not ours");
  // A writer at work (here: this process through another open file) holds a
  // write lock on its temporary file; that one stays.
  const std::string busy = dir.Write(".Lib.DEU.lng.Busy01", "being written");
  const int fd = ::open(busy.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);

  platform::WriteFileAtomic(path, "new");
  ::close(fd);
  EXPECT_EQ(TempDir::Read(path), "new");
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(busy));
  for (const char* name : others) EXPECT_EQ(TempDir::Read(dir.Path(name)), "not ours") << name;
  // Nothing else was made: the writer's own temporary file is gone too.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.Root())) ++entries;
  EXPECT_EQ(entries, 1 + 1 + static_cast<int>(std::size(others)));
}

#endif  // _WIN32

}  // namespace
}  // namespace sw
