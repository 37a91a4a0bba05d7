// The memory layer's exception, and the SQLite result code it came from
// (0 when it did not come from SQLite).
#pragma once

#include "base/Exceptions.h"

namespace sw {

class EMemoryError : public Exception {
 public:
  explicit EMemoryError(std::string message, int sqliteCode = 0)
      : Exception(std::move(message)), code_(sqliteCode) {}
  int SqliteCode() const { return code_; }

 private:
  int code_ = 0;
};

}  // namespace sw
