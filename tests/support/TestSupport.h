// Helpers shared by every test executable: an exception check that compares
// type and message together, and a temporary folder removed at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <fstream>
#include <random>
#include <string>

// Checks that `statement` throws `ExceptionType` whose what() equals `message`.
#define EXPECT_THROW_MSG(statement, ExceptionType, message)                        \
  do {                                                                             \
    bool thrown_ = false;                                                          \
    try {                                                                          \
      statement;                                                                   \
    } catch (const ExceptionType& e_) {                                            \
      thrown_ = true;                                                              \
      EXPECT_EQ(std::string(e_.what()), std::string(message));                     \
    }                                                                              \
    EXPECT_TRUE(thrown_) << "expected " #ExceptionType " from " #statement;        \
  } while (false)

#ifdef _WIN32
// The C runtime of Windows has no setenv/unsetenv; _putenv_s changes the
// process environment that both getenv and GetEnvironmentVariable read.
inline int setenv(const char* name, const char* value, int /*overwrite*/) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
// std::system answers the program's exit code itself.
#define WIFEXITED(status) ((status) != -1)
#define WEXITSTATUS(status) (status)
#endif

// Tests of behaviour that only a POSIX system has (its environment rules,
// permission bits, shells) call this first; on Windows they are skipped.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << "POSIX only: " << (reason)
#else
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

namespace sw {

// A path written with "/" as the running system writes it ("\\" on Windows).
inline std::string NativePath(std::string path) {
#ifdef _WIN32
  for (char& c : path)
    if (c == '/') c = '\\';
#endif
  return path;
}

// Sets an environment variable (nullptr: unsets it) for one scope and
// restores the old value afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    root_ = std::filesystem::temp_directory_path() /
            ("shelfwright-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(root_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string Root() const { return root_.string(); }
  std::string Path(const std::string& relative) const { return (root_ / relative).string(); }
  // Writes `bytes` to `relative`, creating folders; returns the full path.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const auto p = root_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path root_;
};

}  // namespace sw
