// A file system that fails after N bytes: while the guard lives, every write
// that would make a file of this process larger than `bytes` fails (the
// process's file-size limit, with the signal it raises ignored), as a full
// disk would make it fail.
#pragma once

#ifdef _WIN32
#include <cstdint>
#else
#include <sys/resource.h>
#endif

#include <csignal>

namespace sw {

#ifdef _WIN32
// Windows has no file-size limit of a process: the guard is never active,
// and the tests that need it are skipped there.
using rlim_t = std::uint64_t;
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(std::uint64_t) {}
  bool Active() const { return false; }
};
#else

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved_;
    limited.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

  bool Active() const { return active_; }

 private:
  struct rlimit saved_ {};
  void (*previousHandler_)(int) = nullptr;
  bool active_ = false;
};

#endif  // _WIN32

}  // namespace sw
