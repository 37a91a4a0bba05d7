// A file system that fails after N bytes: while the guard lives, every write
// that would make a file of this process larger than `bytes` fails (the
// process's file-size limit, with the signal it raises ignored), as a full
// disk would make it fail.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace sw {

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

}  // namespace sw
