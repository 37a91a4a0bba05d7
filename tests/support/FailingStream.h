// A stream that fails after N bytes, as a full disk or a broken pipe makes a
// file fail: the first `capacity` bytes written are kept, a write reaching
// beyond them stores what fits and reports the rest unwritten (so that
// TStream::WriteBuffer raises EWriteError "Stream write error"), and growing
// the stream past its capacity raises EWriteError too. What was written can be
// read back. Writers' tests pass it where a writer takes a TStream and check
// that the failure comes out as the writer's error and nothing half-written
// goes unnoticed; ScopedFileSizeLimit (FileSizeLimit.h) does the same below
// the writers that replace files.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/Exceptions.h"
#include "runtime/Streams.h"

namespace sw {

class TFailingStream : public TMemoryStream {
 public:
  explicit TFailingStream(std::size_t capacity) : capacity_(capacity) {}

  std::size_t Write(const void* buffer, std::size_t count) override {
    const auto position = static_cast<std::size_t>(Position());
    const std::size_t room = position < capacity_ ? capacity_ - position : 0;
    const std::size_t n = std::min(count, room);
    if (n < count) ++failures_;
    return n == 0 ? 0 : TMemoryStream::Write(buffer, n);
  }
  void SetSize(std::int64_t newSize) override {
    if (newSize > static_cast<std::int64_t>(capacity_)) {
      ++failures_;
      throw EWriteError(SWriteError);
    }
    TMemoryStream::SetSize(newSize);
  }
  // Writes that did not fit (a writer that ignored one lost bytes silently).
  int Failures() const { return failures_; }

 private:
  std::size_t capacity_;
  int failures_ = 0;
};

}  // namespace sw
